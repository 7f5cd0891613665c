/* Growable byte buffers (CSDATA) and the shared, reference-counted
 * strings kept in one process-wide tree. */
#include "csbuffer.h"
#include "cslist.h"
#include "csmem.h"

#include <cstring>
#include <mutex>

/* Multiple of 4096 at or above n; 0 when it would not fit in 32 bits. */
static uint64_t RoundUp(uint64_t n)
{
    uint64_t r = (n + CSDATA_STEP - 1) / CSDATA_STEP * CSDATA_STEP;
    return r > 0xFFFFF000u ? 0 : r;
}

/* New storage of capacity bytes holding the old content; the cursor moves
 * with it.  0 with everything unchanged when none can be had. */
static int Regrow(CSDATA *buffer, uint64_t capacity, void *cursor)
{
    uint8_t *data = capacity ? (uint8_t *)CSGetMem((size_t)capacity, "CSDATA") : nullptr;
    if (!data)
        return 0;
    if (buffer->length)
        memcpy(data, buffer->data, buffer->length);
    uint8_t **cur = (uint8_t **)cursor;
    if (cur && *cur && buffer->data)
        *cur = data + (*cur - buffer->data);
    if (buffer->capacity)
        CSFreeMem(buffer->data);
    buffer->data = data;
    buffer->capacity = (uint32_t)capacity;
    return 1;
}

int CSDataAppend(CSDATA *buffer, const void *bytes, size_t n, size_t reserve)
{
    if (n > buffer->capacity - buffer->length) {
        uint64_t want = (uint64_t)buffer->length + n;
        if (want < n || want + reserve < want || n > 0xFFFFFFFFu || reserve > 0xFFFFFFFFu)
            return 0;
        /* The bytes may lie in the storage that is about to move. */
        const uint8_t *src = (const uint8_t *)bytes;
        int inside = buffer->data && src >= buffer->data && src < buffer->data + buffer->length;
        if (!Regrow(buffer, RoundUp(want + reserve), inside ? &src : nullptr))
            return 0;
        bytes = src;
    }
    if (n)
        memcpy(buffer->data + buffer->length, bytes, n);
    buffer->length += (uint32_t)n;
    return 1;
}

int CSDataEnsure(CSDATA *buffer, size_t n, void *cursor)
{
    if (n <= buffer->capacity - buffer->length)
        return 1;
    return CSDataGrow(buffer, n, cursor);
}

int CSDataGrow(CSDATA *buffer, size_t n, void *cursor)
{
    if (n > 0xFFFFFFFFu)
        return 0;
    return Regrow(buffer, RoundUp((uint64_t)buffer->length + n), cursor);
}

static size_t LengthOf(const void *bytes, int64_t n)
{
    return n == -1 ? strlen((const char *)bytes) + 1 : (size_t)n;
}

int CSDataSet(CSDATA *buffer, const void *bytes, int64_t n, size_t extra)
{
    if (n < -1 || (n > 0 && !bytes))
        return 0;
    size_t len = bytes ? LengthOf(bytes, n) : 0;
    if (len > 0xFFFFFFFFu || extra > 0xFFFFFFFFu)
        return 0;
    uint64_t capacity = RoundUp((uint64_t)len + extra);
    uint8_t *data = nullptr;
    if ((uint64_t)len + extra > 0) {
        /* The old content stays until the new storage is in hand. */
        data = capacity ? (uint8_t *)CSGetMem((size_t)capacity, "CSDATA") : nullptr;
        if (!data)
            return 0;
        if (len)
            memcpy(data, bytes, len);
    }
    if (buffer->capacity)
        CSFreeMem(buffer->data);
    buffer->data = data;
    buffer->capacity = (uint32_t)capacity;
    buffer->length = (uint32_t)len;
    return 1;
}

int CSDataCompare(const CSDATA *buffer, const void *bytes, int64_t n)
{
    if (!bytes)
        return buffer->length == 0 ? 0 : 1;
    size_t len = LengthOf(bytes, n);
    if (len != buffer->length)
        return 1;
    int c = len ? memcmp(buffer->data, bytes, len) : 0;
    return (c > 0) - (c < 0);
}

void CSDataFree(CSDATA *buffer)
{
    if (buffer->capacity)
        CSFreeMem(buffer->data);
    buffer->capacity = 0;
    buffer->length = 0;
    buffer->data = nullptr;
}

int CSDataShift(CSDATA *buffer, void *position, int64_t delta)
{
    uintptr_t start = (uintptr_t)buffer->data, pos = (uintptr_t)position;
    if (pos < start || pos > start + buffer->length)
        return 0;
    size_t offset = pos - start, tail = buffer->length - offset;
    uint8_t *p = (uint8_t *)position;
    if (delta > 0) {
        if ((uint64_t)buffer->length + (uint64_t)delta > buffer->capacity)
            return 0;
        memmove(p + delta, p, tail);
    } else if (delta < 0) {
        uint64_t cut = 0 - (uint64_t)delta;
        if (cut > tail)
            return 0;
        memmove(p, p + cut, tail - (size_t)cut);
    }
    buffer->length = (uint32_t)((int64_t)buffer->length + delta);
    return 1;
}

/* Shared strings: elements "STRING" = tree header, text, NUL, 7 spare. */
#define STRING_STACK 399
#define STRING_SPARE 8
#define STRING_MAXREFS 65535

static CSTREE *strings;
/* Any thread may take, let go of or set a shared string (a get thread
 * takes queue and cluster names while the window thread changes
 * locations): the tree and every count change under this one lock,
 * which is held only over the tree's own calls. */
static std::mutex stringsLock;

static CSTREE *ElementOf(const char *text)
{
    return (CSTREE *)(text - CSTREE_HEADER);
}

static const char *GetLocked(const char *text, int64_t length)
{
    if (!text || length < -1)
        return nullptr;
    /* A shared string is a C string: it ends at its first NUL. */
    size_t len = length == -1 ? strlen(text) : strnlen(text, (size_t)length);
    if (len > 0x7FFFFFF0u)
        return nullptr;
    char stackImage[CSTREE_HEADER + STRING_STACK + STRING_SPARE];
    size_t imageSize = CSTREE_HEADER + len + STRING_SPARE;
    char *image = stackImage;
    if (len >= STRING_STACK) {
        image = (char *)CSGetMem(len + 61, "CSSTRING");
        if (!image)
            return nullptr;
    }
    memset(image, 0, CSTREE_HEADER);
    memcpy(image + CSTREE_HEADER, text, len);
    memset(image + CSTREE_HEADER + len, 0, STRING_SPARE);
    int keyLen = (int)len + 1;
    CSTREE *e = CSTreeFind(strings, image + CSTREE_HEADER, keyLen);
    if (e) {
        /* A count at its limit stays there: the text is kept for good
         * rather than freed under a holder. */
        if (e->refs < STRING_MAXREFS)
            e->refs++;
    } else {
        e = CSTreeAdd(&strings, "STRING", 0, image, imageSize, keyLen);
        if (e)
            e->refs = 1;
    }
    if (image != stackImage)
        CSFreeMem(image);
    return e ? (const char *)CSTreeKey(e) : nullptr;
}

static void ReleaseLocked(const char *text)
{
    if (!text)
        return;
    CSTREE *e = ElementOf(text);
    if (e->refs == STRING_MAXREFS)
        return;
    if (e->refs > 1) {
        e->refs--;
        return;
    }
    CSTreeDelete(&strings, nullptr, nullptr, e, (int)strlen(text) + 1);
}

const char *CSStringGet(const char *text, int64_t length)
{
    std::lock_guard<std::mutex> hold(stringsLock);
    return GetLocked(text, length);
}

void CSStringRelease(const char *text)
{
    if (!text)
        return;
    std::lock_guard<std::mutex> hold(stringsLock);
    ReleaseLocked(text);
}

int CSStringSet(const char **slot, const char *text, int64_t length)
{
    /* the slot is read and replaced under the lock, so that two threads
       setting one slot never let its text go twice */
    std::lock_guard<std::mutex> hold(stringsLock);
    size_t len = 0;
    if (text && length >= -1)
        len = length == -1 ? strlen(text) : strnlen(text, (size_t)length);
    if (*slot && len && strlen(*slot) == len && memcmp(*slot, text, len) == 0)
        return 0;
    /* The new text may be a part of the old one: copied before the old
     * one is let go. */
    const char *copy = len ? GetLocked(text, (int64_t)len) : nullptr;
    int released = *slot != nullptr;
    ReleaseLocked(*slot);
    *slot = copy;
    return len ? 1 : released;
}
