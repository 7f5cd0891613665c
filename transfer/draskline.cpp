/* Reading an input file line by line (a read-ahead chunk, a growing line
 * buffer, a line held until the caller consumes it), the recognition of
 * the file's kind from its first lines, and the growth of the message
 * buffer that every reader shares. */
#include "draskint.h"

#include <cerrno>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "cs.h"

enum { CHUNK_SIZE = 256 * 1024, FIRST_LINE = 512 };
#define MAP_WINDOW ((uint64_t)64 << 20)

const uint8_t *DraskFindNewline(const uint8_t *p, size_t n)
{
    size_t i = 0;
#ifdef __SSE2__
    /* sixteen bytes at a time, never reading past the n bytes */
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= n; i += 16) {
        int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(p + i)), lf));
        if (hits)
            return p + i + __builtin_ctz((unsigned)hits);
    }
#endif
    for (; i < n; i++)
        if (p[i] == '\n')
            return p + i;
    return nullptr;
}

/* Room in the line store for n characters and a NUL: 1, or 0. */
static int line_room(DROPT *o, uint64_t n)
{
    if (n + 1 <= o->lineCapacity)
        return 1;
    uint64_t want = o->lineCapacity ? o->lineCapacity : FIRST_LINE;
    while (want < n + 1)
        want *= 2;
    if (want > 0x7FFFFFFF)
        return 0;
    char *b = (char *)CSGetMem((size_t)want, "DRASKLINE");
    if (!b)
        return 0;
    if (o->lineLength)
        memcpy(b, o->line, o->lineLength);
    CSFreeMemAndClear(&o->lineStore);
    o->lineStore = o->line = b;
    o->lineCapacity = (uint32_t)want;
    return 1;
}

/* The next window of a mapped file: 1, 0 at its end, -1 when it cannot
 * be mapped (the file is read from there on). */
static int map_window(DROPT *o)
{
    DRLINES *l = &o->lines;
    if (l->view)
        DraskUnmapView(l->view, l->viewLength);
    l->view = nullptr;
    l->chunk = nullptr;
    l->chunkPos = l->chunkEnd = 0;
    if (l->fileOffset >= l->fileSize) {
        l->eof = 1;
        return 0;
    }
    uint64_t from = l->fileOffset & ~(uint64_t)(DraskMapGranularity() - 1);
    uint64_t length = l->fileSize - from < MAP_WINDOW ? l->fileSize - from : MAP_WINDOW;
    l->view = DraskMapView(o->in, from, (size_t)length);
    if (!l->view) {
        l->mapping = -1;
        return fseeko64(o->in, (int64_t)l->fileOffset, SEEK_SET) ? -2 : -1;
    }
    l->viewLength = (size_t)length;
    l->chunk = (const uint8_t *)l->view;
    l->chunkPos = (size_t)(l->fileOffset - from);
    l->chunkEnd = (size_t)length;
    l->fileOffset = from + length;
    return 1;
}

/* Refills the read-ahead: 1 bytes are there, 0 end of file, else an
 * error code.  A regular file is mapped window by window; anything else
 * is read into the buffer. */
static int refill(DROPT *o)
{
    DRLINES *l = &o->lines;
    if (l->chunkPos < l->chunkEnd)
        return 1;
    if (l->eof || !o->in)
        return 0;
    if (!l->mapping) {
        int64_t size = DraskFileSize(o->in);
        l->fileSize = size > 0 ? (uint64_t)size : 0;
        l->fileOffset = 0;
        l->mapping = size > 0 && !ftello64(o->in) ? 1 : -1;
    }
    if (l->mapping > 0) {
        int rc = map_window(o);
        if (rc >= 0)
            return rc;
        if (rc == -2)
            return DraskFail(o, DRC_BADFILE, "Error reading from input file RC(%d)", DraskLastError());
    }
    if (!l->buffer) {
        l->buffer = (uint8_t *)CSGetMem(CHUNK_SIZE, "DRASKREAD");
        if (!l->buffer)
            return DraskFail(o, DRC_STORAGE, "Unable to allocate %d bytes line storage", CHUNK_SIZE);
        l->chunkCapacity = CHUNK_SIZE;
    }
    errno = 0;
    size_t n = fread(l->buffer, 1, l->chunkCapacity, o->in);
    if (!n && ferror(o->in))
        return DraskFail(o, DRC_BADFILE, "Error reading from input file RC(%d)", errno ? errno : EIO);
    l->chunk = l->buffer;
    l->chunkPos = 0;
    l->chunkEnd = n;
    if (n < l->chunkCapacity)
        l->eof = 1;
    return n ? 1 : 0;
}

/* One physical line with its newline: where the read-ahead holds it
 * whole (and the caller will not keep its newline) the line stays there,
 * else it is gathered in the line store.  1, 0 at end of file, or an
 * error code. */
static int physical_line(DROPT *o, int inPlace)
{
    DRLINES *l = &o->lines;
    o->lineLength = 0;
    o->line = o->lineStore;
    if (inPlace && l->chunkPos < l->chunkEnd) {
        const uint8_t *from = l->chunk + l->chunkPos;
        const uint8_t *nl = DraskFindNewline(from, l->chunkEnd - l->chunkPos);
        if (nl) {
            size_t take = (size_t)(nl - from) + 1;
            o->line = (char *)from;     /* not written to: it may be a view */
            o->lineLength = (uint32_t)take;
            l->chunkPos += take;
            o->inPosition += take;
            return 1;
        }
    }
    for (;;) {
        int rc = refill(o);
        if (rc != 1)
            return rc < 0 || rc > 1 ? rc : (o->lineLength ? 1 : 0);
        const uint8_t *from = l->chunk + l->chunkPos;
        size_t avail = l->chunkEnd - l->chunkPos;
        const uint8_t *nl = DraskFindNewline(from, avail);
        size_t take = nl ? (size_t)(nl - from) + 1 : avail;
        if (!line_room(o, (uint64_t)o->lineLength + take))
            return DraskFail(o, DRC_STORAGE, "Unable to allocate %llu bytes line storage",
                             (unsigned long long)o->lineLength + take);
        memcpy(o->line + o->lineLength, from, take);
        o->lineLength += (uint32_t)take;
        l->chunkPos += take;
        o->inPosition += take;
        if (nl)
            return 1;
    }
}

static int blank_line(const char *line, uint32_t length)
{
    for (uint32_t i = 0; i < length; i++)
        if (line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '\n')
            return 0;
    return 1;
}

int DraskReadLine(DROPT *o, int mode)
{
    DRLINES *l = &o->lines;
    if (mode == DRL_PEEK && l->held)
        return l->atEnd ? 0 : 1;
    l->held = 0;
    for (;;) {
        int rc = physical_line(o, mode != DRL_RAW);
        if (rc != 1) {
            o->lineLength = 0;
            o->line = o->lineStore;
            if (o->line)
                o->line[0] = 0;
            if (rc == 0) {
                l->held = 1;
                l->atEnd = 1;
            }
            return rc;
        }
        o->lineNumber++;
        if (mode != DRL_RAW) {
            /* the newline goes, and one CR before it */
            if (o->lineLength && o->line[o->lineLength - 1] == '\n')
                o->lineLength--;
            if (o->lineLength && o->line[o->lineLength - 1] == '\r')
                o->lineLength--;
            if (blank_line(o->line, o->lineLength))
                continue;
            if (o->line[0] == '*' && !(o->options & DRO_AMQSBCG))
                continue;
        }
        if (o->line == o->lineStore)
            o->line[o->lineLength] = 0;    /* a line in place is not written to */
        l->held = 1;
        l->atEnd = 0;
        return 1;
    }
}

int DraskNextLine(DROPT *o)
{
    DRLINES *l = &o->lines;
    if (l->chunkPos < l->chunkEnd) {
        const uint8_t *from = l->chunk + l->chunkPos;
        uint8_t c = *from;
        if (c != '*' && c != '\n' && c != '\r' && c != ' ' && c != '\t') {
            const uint8_t *nl = DraskFindNewline(from, l->chunkEnd - l->chunkPos);
            if (nl) {
                size_t take = (size_t)(nl - from) + 1, n = take - 1;
                if (n && from[n - 1] == '\r')
                    n--;
                o->line = (char *)from;
                o->lineLength = (uint32_t)n;
                l->chunkPos += take;
                o->inPosition += take;
                o->lineNumber++;
                l->held = 1;
                l->atEnd = 0;
                return 1;
            }
        }
    }
    return DraskReadLine(o, DRL_NEXT);
}

static int begins(const DROPT *o, const char *prefix)
{
    size_t n = strlen(prefix);
    return o->lineLength >= n && !memcmp(o->line, prefix, n);
}

void DraskSkipByteOrderMark(DROPT *o)
{
    if (o->lineNumber == 1 && o->lineLength >= 3 && !memcmp(o->line, "\xEF\xBB\xBF", 3)) {
        o->line += 3;              /* a view of the line: nothing is written */
        o->lineLength -= 3;
    }
}

/* The first non-blank line decides; a Drask or dmpmqmsg header among the
 * first five non-blank lines is found behind the banner lines a tool
 * printed before it. */
int DraskRecognise(DROPT *o)
{
    int found = 0, seen = 0;
    while (seen < 5) {
        int rc = DraskReadLine(o, DRL_RAW);
        if (rc == 0)
            break;
        if (rc != 1)
            return rc;
        DraskSkipByteOrderMark(o);
        if (blank_line(o->line, o->lineLength))
            continue;
        if (!seen && begins(o, "AMQSBCG0")) {
            o->options |= DRO_AMQSBCG;
            found = 1;
            break;
        }
        if (begins(o, "* DRASK") || begins(o, "* DMPMQMSG")) {
            found = 1;
            break;
        }
        seen++;
    }
    if (!found)
        return seen ? DraskFail(o, DRC_BADFILE, "File '%s' does not appear to be a DRASK file",
                                o->inFile)
                    : DRC_END;
    int rc = DraskReadLine(o, DRL_NEXT);
    return rc == 1 || rc == 0 ? 0 : rc;
}

int DraskReserve(DROPT *o, uint64_t needed)
{
    if (needed < o->msgCapacity)
        return 0;
    uint64_t want = needed * 4;
    if (want > 0x7FFFFFFF)
        want = 0x7FFFFFFF;
    if (want < needed || needed > 0x7FFFFFFF)
        return DraskFail(o, DRC_STORAGE, "Unable to allocate %llu bytes message storage",
                         (unsigned long long)needed);
    uint8_t *b = (uint8_t *)CSGetMem((size_t)want, "DRASKMSG");
    if (!b)
        return DraskFail(o, DRC_STORAGE, "Unable to allocate %llu bytes message storage",
                         (unsigned long long)want);
    if (o->msgLength)
        memcpy(b, o->msg, o->msgLength);
    CSFreeMemAndClear(&o->msg);
    o->msg = b;
    o->msgCapacity = (uint32_t)want;
    return 0;
}
