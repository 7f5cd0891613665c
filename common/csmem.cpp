/* Tagged memory: CSGetMem/CSFreeMem with their statistics, the growing
 * cursor buffer and the CSSTATIC pool. */
#include "csmem.h"
#include "cslock.h"
#include "cstrace.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define MEM_HEADER 48
#define MEM_EXTRA 52             /* what a block counts: header + 4 spare bytes */
#define MEM_SMALL 300
#define MEM_STEP_LIMIT 512000u

/* The spare bytes after the data are left out where the address sanitizer
 * watches: a write just past a block is then reported, not absorbed. */
#if defined(__SANITIZE_ADDRESS__)
#define MEM_SPARE 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MEM_SPARE 0
#endif
#endif
#ifndef MEM_SPARE
#define MEM_SPARE 4
#endif

static_assert(sizeof(CSMEMHEADER) == MEM_HEADER, "block header is 48 bytes");

/* The statistics are atomic: a plain allocate and free take no lock. */
static std::atomic<int64_t> statBlocks, statBytes, statHighWater;
static std::atomic<uint32_t> statSequence;

/* Tests: allocations of one tag that are refused (under lock 0); the
 * count is read without the lock first, so that the common path never
 * takes it. */
static char failTag[32];
static std::atomic<int> failCount;

void CSMemFailTag(const char *tag, int count)
{
    CSLockGlobal(CSLOCK_MEMORY);
    snprintf(failTag, sizeof failTag, "%s", tag ? tag : "");
    failCount.store(count > 0 ? count : 0);
    CSUnlockGlobal(CSLOCK_MEMORY);
}

static int refused(const char *tag)
{
    if (failCount.load(std::memory_order_relaxed) == 0 || !tag)
        return 0;
    CSLockGlobal(CSLOCK_MEMORY);
    int refuse = failCount.load() > 0 && strcmp(tag, failTag) == 0;
    if (refuse)
        failCount.fetch_sub(1);
    CSUnlockGlobal(CSLOCK_MEMORY);
    return refuse;
}

/* Counts a block handed out: its sequence number. */
static uint32_t CountBlock(uint32_t total)
{
    statBlocks.fetch_add(1, std::memory_order_relaxed);
    int64_t bytes = statBytes.fetch_add(total, std::memory_order_relaxed) + total;
    int64_t high = statHighWater.load(std::memory_order_relaxed);
    while (bytes > high && !statHighWater.compare_exchange_weak(high, bytes, std::memory_order_relaxed))
        ;
    return statSequence.fetch_add(1, std::memory_order_relaxed);
}

void *CSGetMem(size_t size, const char *tag)
{
    int tracing = CSTraceIsOn();
    if (tracing)
        CSTraceEntry("CSGetMem");
    CSMEMHEADER *h = nullptr;
    /* The total is kept in 32 bits: larger requests are refused. */
    if (size <= (size_t)UINT32_MAX - MEM_EXTRA && !refused(tag)) {
        size_t total = size + MEM_EXTRA;
        size_t length = size + MEM_HEADER + MEM_SPARE;
        uint32_t cls = 2;
        if (total < MEM_SMALL) {
            h = (CSMEMHEADER *)malloc(length);
            cls = 1;
        }
        if (!h) {
            h = (CSMEMHEADER *)malloc(length);
            cls = 2;
        }
        if (h) {
            h->total = (uint32_t)total;
            h->cls = cls;
            h->sequence = CountBlock((uint32_t)total);
        }
    }
    void *block = h ? (char *)h + MEM_HEADER : nullptr;
    if (tracing) {
        CSTrace(1, "CSGetMem Ptr:%p\n", block);
        CSTraceExit("CSGetMem", 0);
    }
    return block;
}

void CSFreeMem(void *block)
{
    int tracing = CSTraceIsOn();
    if (tracing) {
        CSTraceEntry("CSFreeMem");
        CSTrace(1, "CSFreeMem Ptr:%p\n", block);
    }
    CSMEMHEADER *h = (CSMEMHEADER *)((char *)block - MEM_HEADER);
    statBytes.fetch_sub(h->total, std::memory_order_relaxed);
    statBlocks.fetch_sub(1, std::memory_order_relaxed);
    free(h);
    if (tracing)
        CSTraceExit("CSFreeMem", 0);
}

void CSFreeMemAndClear(void *slot)
{
    void **p = (void **)slot;
    if (*p) {
        CSFreeMem(*p);
        *p = nullptr;
    }
}

void CSMemStats(CSMEMSTATS *out)
{
    out->blocks = statBlocks.load();
    out->bytes = statBytes.load();
    out->highWater = statHighWater.load();
    out->sequence = statSequence.load();
}

/* New block size for a buffer of `size` that needs `needed` more bytes;
 * 0 when it would not fit in 32 bits. */
static uint64_t BufferStep(uint64_t size, uint64_t needed)
{
    uint64_t step = size <= MEM_STEP_LIMIT ? size * 2 : size + MEM_STEP_LIMIT;
    if (step - size < needed)
        step = size + needed;
    return step > UINT32_MAX - MEM_EXTRA ? 0 : step;
}

int CSBufferReserve(CSBUFFER *buffer, void *cursor, size_t needed)
{
    uint8_t **cur = (uint8_t **)cursor;
    if (!buffer->block) {
        uint8_t *block = needed <= UINT32_MAX ? (uint8_t *)CSGetMem(needed, buffer->tag) : nullptr;
        *cur = block;
        buffer->block = block;
        buffer->size = block ? (uint32_t)needed : 0;
        return 1;
    }
    size_t used = (size_t)(*cur - buffer->block);
    if (used > buffer->size) {
        CS_TRAP(0);
        used = buffer->size;
    }
    if (needed < (size_t)buffer->size - used)
        return 0;
    uint64_t size = BufferStep(buffer->size, needed);
    uint8_t *block = size ? (uint8_t *)CSGetMem((size_t)size, buffer->tag) : nullptr;
    if (!block) {
        *cur = nullptr;
        return 1;
    }
    memcpy(block, buffer->block, used);
    CSFreeMem(buffer->block);
    buffer->block = block;
    buffer->size = (uint32_t)size;
    *cur = block + used;
    return 1;
}

#define POOL_HEADER sizeof(CSSTATICBLOCK)
#define POOL_DEFAULT 1024

static uint8_t *PoolData(CSSTATICBLOCK *b)
{
    return (uint8_t *)b + POOL_HEADER;
}

static void *PoolPiece(CSSTATICBLOCK *b, uint32_t start, const void *data, size_t size)
{
    uint8_t *piece = PoolData(b) + start;
    b->used = start + (uint32_t)size;
    if (data)
        memcpy(piece, data, size);
    else
        memset(piece, 0, size);
    return piece;
}

void *CSStaticAlloc(CSSTATIC *pool, int align, const void *data, size_t size)
{
    if (size > UINT32_MAX - POOL_HEADER - MEM_EXTRA - 3)
        return nullptr;
    if (pool->blockSize == 0)
        pool->blockSize = POOL_DEFAULT;
    if (size > pool->blockSize)
        pool->blockSize = (uint32_t)size;
    CSSTATICBLOCK **tail = &pool->first;
    for (CSSTATICBLOCK *b = pool->first; b; b = b->next) {
        uint32_t start = align ? (b->used + 3u) & ~3u : b->used;
        if (start <= b->capacity && b->capacity - start >= size)
            return PoolPiece(b, start, data, size);
        tail = &b->next;
    }
    CSSTATICBLOCK *b = (CSSTATICBLOCK *)CSGetMem(POOL_HEADER + pool->blockSize + 3, "CSSTATIC");
    if (!b)
        return nullptr;
    b->capacity = pool->blockSize;
    b->next = nullptr;
    b->used = 0;
    *tail = b;
    return PoolPiece(b, 0, data, size);
}

void CSStaticReset(CSSTATIC *pool)
{
    for (CSSTATICBLOCK *b = pool->first; b; b = b->next)
        b->used = 0;
}
