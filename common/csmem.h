/* Tagged memory: every dynamic block of the program comes from CSGetMem
 * and goes back through CSFreeMem.  Each block carries a 48-byte header in
 * front of the address handed out; the allocator keeps process-wide
 * statistics in atomic counters (no lock on its common path).
 *
 * Also here: the growing cursor buffer (CSBufferReserve) and the CSSTATIC
 * pool from which small pieces are carved and released all at once. */
#pragma once

#include <cstddef>
#include <cstdint>

/* Header in front of every block (48 bytes). */
struct CSMEMHEADER {
    uint32_t total;      /* requested size + 52 (4 spare bytes counted) */
    uint32_t cls;        /* 1 small block, first attempt; 2 otherwise */
    uint32_t sequence;   /* global sequence number when handed out */
    uint32_t spare[9];
};

/* Allocator statistics (see CSMemStats). */
struct CSMEMSTATS {
    int64_t blocks;      /* blocks handed out and not yet freed */
    int64_t bytes;       /* sum of their total sizes */
    int64_t highWater;   /* largest byte total seen */
    uint32_t sequence;   /* incremented by every successful CSGetMem */
};

/* Returns the address just past a new header, or null when the heap
 * refuses or when size + header would not fit in 32 bits. */
void *CSGetMem(size_t size, const char *tag);
/* Tests: the next count requests with this tag are refused (0 ends it). */
void CSMemFailTag(const char *tag, int count);
/* Returns a block from CSGetMem; block must not be null. */
void CSFreeMem(void *block);
/* slot is the address of a pointer variable (of any pointer type): when the
 * pointer is not null, frees the block and sets the pointer to null. */
void CSFreeMemAndClear(void *slot);
/* Copy of the statistics (each counter exact, read without a lock). */
void CSMemStats(CSMEMSTATS *stats);

/* Growing cursor buffer; the caller keeps a cursor beside it. */
struct CSBUFFER {
    uint8_t *block;      /* null until the first reserve */
    uint32_t size;       /* size of the block */
    const char *tag;     /* tag for its allocations */
};

/* Makes sure `needed` more bytes fit after *cursor (cursor is the address of
 * a pointer into the block, of any byte pointer type).  0: they fit, nothing
 * moved.  1: the block was created or replaced; the cursor points at the
 * same offset in the new block, or is null when the allocation failed (the
 * old block is then kept). */
int CSBufferReserve(CSBUFFER *buffer, void *cursor, size_t needed);

/* Pool of small pieces. */
struct CSSTATICBLOCK {
    uint32_t capacity;
    CSSTATICBLOCK *next;
    uint32_t used;
    /* capacity + 3 bytes follow */
};

struct CSSTATIC {
    CSSTATICBLOCK *first;
    uint32_t blockSize;  /* 0: not yet set (1024 on first use) */
};

/* A piece of size bytes from the pool, 4-byte aligned when align is
 * non-zero, holding a copy of data (zeros when data is null); null when a
 * new pool block cannot be had. */
void *CSStaticAlloc(CSSTATIC *pool, int align, const void *data, size_t size);
/* Empties every pool block; no block is freed. */
void CSStaticReset(CSSTATIC *pool);
