/* Plain files: the whole file as one message, or messages cut out by a
 * start and an end delimiter (either may be empty; both empty: each line
 * is a message), an occurrence counting only where the brackets searched
 * over are balanced.  Also the check and decoding of the delimiters. */
#include "draskint.h"

#include <cerrno>
#include <cstring>

#include "cs.h"

enum { AHEAD = 20000, STEP = 100000, WHOLE_LIMIT = 999999999, WHOLE_SPARE = 10240 };

static int option_error(DROPT *o, const char *text)
{
    return DraskFail(o, DRC_OPTIONS, "%s\n", text);
}

/* "\n" LF, "\\" a backslash, "\<decimal>" that byte. */
static int decode(DROPT *o, uint8_t *text, int32_t *length)
{
    uint8_t out[DR_DELIM_SIZE];
    int32_t n = 0;
    for (int32_t i = 0; i < *length; i++) {
        uint8_t c = text[i];
        if (c == '\\' && i + 1 < *length) {
            uint8_t next = text[++i];
            if (next == 'n') {
                c = '\n';
            } else if (next == '\\') {
                c = '\\';
            } else if (next >= '0' && next <= '9') {
                int value = 0;
                for (; i < *length && text[i] >= '0' && text[i] <= '9'; i++)
                    if ((value = value * 10 + (text[i] - '0')) > 255)
                        return option_error(o, "Message delimiter character code must be between 0 and 255.");
                i--;
                c = (uint8_t)value;
            } else {
                return option_error(o, "Unrecognised Message delimiter character code.");
            }
        } else if (c == '\\') {
            return option_error(o, "Unrecognised Message delimiter character code.");
        }
        out[n++] = c;
    }
    memcpy(text, out, (size_t)n);
    *length = n;
    return 0;
}

static int bracket_kind(uint8_t c, int *open)
{
    static const char opens[] = "([<{", closes[] = ")]>}";
    const char *p = c ? strchr(opens, c) : nullptr;
    if (p) {
        *open = 1;
        return (int)(p - opens);
    }
    p = c ? strchr(closes, c) : nullptr;
    *open = 0;
    return p ? (int)(p - closes) : -1;
}

/* The delimiters' own brackets must pair, start then end. */
static int check_brackets(DROPT *o)
{
    uint8_t stack[2 * DR_DELIM_SIZE];
    int depth = 0;
    const uint8_t *parts[2] = {o->startDelim, o->endDelim};
    const int32_t lengths[2] = {o->startLength, o->endLength};
    for (int k = 0; k < 2; k++)
        for (int32_t i = 0; i < lengths[k]; i++) {
            int open, kind = bracket_kind(parts[k][i], &open);
            if (kind < 0)
                continue;
            if (open) {
                stack[depth++] = (uint8_t)kind;
            } else if (!depth || stack[--depth] != kind) {
                return DraskFail(o, DRC_OPTIONS, "Unmatched Message delimiter '%c' bracket.\n",
                                 parts[k][i]);
            }
        }
    return depth ? option_error(o, "Unmatched Message delimiter brackets.") : 0;
}

int DraskCheckPlain(DROPT *o)
{
    if (o->options & (DRO_CTX_PASSALL | DRO_CTX_PASSID | DRO_CTX_SETALL | DRO_CTX_SETID))
        return option_error(o, "A non-DRASK file should be loaded with either DEFAULT or NO context.");
    if (o->options2 & DRO2_WHOLE)
        return o->startLength || o->endLength
                   ? option_error(o, "Reading entire file does not require message delimiters.")
                   : 0;
    if (o->options2 & DRO2_DECODED)
        return 0;
    if (o->startLength && o->startLength == o->endLength &&
        !memcmp(o->startDelim, o->endDelim, (size_t)o->startLength))
        return option_error(o, "Message delimiters are the same.");
    int rc = decode(o, o->startDelim, &o->startLength);
    if (!rc)
        rc = decode(o, o->endDelim, &o->endLength);
    if (!rc)
        rc = check_brackets(o);
    if (rc)
        return rc;
    if (!o->startLength && !o->endLength) {
        o->endDelim[0] = '\n';
        o->endLength = 1;
    }
    o->options2 |= DRO2_DECODED;
    return 0;
}

/* ---- the buffer ---- */

/* Drops what was consumed. */
static void compact(DRPLAIN *p)
{
    if (!p->start)
        return;
    memmove(p->buffer, p->buffer + p->start, p->end - p->start);
    p->offset += p->start;
    p->end -= p->start;
    p->start = 0;
}

/* Reads more of the file: 1 more bytes are there, 0 end of file, or an
 * error code. */
static int fill(DROPT *o)
{
    DRPLAIN *p = &o->plain;
    if (p->eof)
        return 0;
    if (p->capacity - p->end < AHEAD) {
        size_t want = p->capacity + STEP;
        uint8_t *b = (uint8_t *)CSGetMem(want, "DRASKPLAIN");
        if (!b)
            return DraskFail(o, DRC_STORAGE, "Failed to allocate storage of %d bytes.", (int)want);
        if (p->end)
            memcpy(b, p->buffer, p->end);
        CSFreeMemAndClear(&p->buffer);
        p->buffer = b;
        p->capacity = want;
    }
    errno = 0;
    size_t n = fread(p->buffer + p->end, 1, p->capacity - p->end, o->in);
    if (!n && ferror(o->in))
        return DraskFail(o, DRC_BADFILE, "Error reading from input file RC(%d)\n", errno ? errno : EIO);
    if (!n)
        p->eof = 1;
    p->end += n;
    return n ? 1 : 0;
}

/* Bytes up to index `need` are in the buffer: 1, 0 at end of file, or an
 * error code. */
static int have(DROPT *o, size_t need)
{
    while (o->plain.end < need) {
        int rc = fill(o);
        if (rc != 1)
            return rc;
    }
    return 1;
}

/* ---- finding a message ---- */

struct Balance {
    int32_t depth[4];
};

static void count(Balance *b, uint8_t c)
{
    int open, kind = bracket_kind(c, &open);
    if (kind >= 0)
        b->depth[kind] += open ? 1 : -1;
}

static int balanced(const Balance *b)
{
    return !b->depth[0] && !b->depth[1] && !b->depth[2] && !b->depth[3];
}

/* The start delimiter's next occurrence from the current position, into
 * *at: 1, 0 none, or an error code. */
static int find_start(DROPT *o, size_t *at)
{
    DRPLAIN *p = &o->plain;
    size_t i = p->start;
    Balance b = {};
    for (;;) {
        int rc = have(o, i + (size_t)o->startLength);
        if (rc != 1)
            return rc;
        if (balanced(&b) && (!o->startLength || !memcmp(p->buffer + i, o->startDelim, (size_t)o->startLength))) {
            *at = i;
            return 1;
        }
        count(&b, p->buffer[i++]);
    }
}

/* The end delimiter's next occurrence after the start delimiter at from:
 * 1 with *at, 0 at end of file, or an error code. */
static int find_end(DROPT *o, size_t from, size_t *at)
{
    DRPLAIN *p = &o->plain;
    Balance b = {};
    for (int32_t k = 0; k < o->startLength; k++)
        count(&b, p->buffer[from + (size_t)k]);
    size_t i = from + (size_t)o->startLength;
    for (;;) {
        int rc = have(o, i + (size_t)o->endLength);
        if (rc != 1)
            return rc;
        if (!memcmp(p->buffer + i, o->endDelim, (size_t)o->endLength)) {
            Balance with = b;
            for (int32_t k = 0; k < o->endLength; k++)
                count(&with, o->endDelim[k]);
            if (balanced(&with)) {
                *at = i;
                return 1;
            }
        }
        count(&b, p->buffer[i++]);
    }
}

static int take(DROPT *o, size_t from, size_t to)
{
    size_t n = to - from;
    int rc = DraskReserve(o, (uint64_t)n + 1);
    if (rc)
        return rc;
    memcpy(o->msg, o->plain.buffer + from, n);
    o->msgLength = (uint32_t)n;
    return 0;
}

static int read_delimited(DROPT *o)
{
    DRPLAIN *p = &o->plain;
    if (p->done)
        return DRC_END;
    compact(p);
    size_t begin = 0, end = 0;
    int rc = find_start(o, &begin);
    if (rc == 1)
        rc = find_end(o, begin, &end);
    else if (rc == 0)
        begin = p->end;
    if (rc < 0 || rc > 1)
        return rc;
    size_t inner = begin + (size_t)o->startLength;
    int include = (o->options2 & DRO2_INCLUDE) != 0;
    if (rc == 1) {
        rc = take(o, include ? begin : inner, include ? end + (size_t)o->endLength : end);
        p->start = end + (size_t)o->endLength;
        return rc;
    }
    /* end of file: after the last line end, the rest is a last message */
    p->done = 1;
    p->start = p->end;
    int lines = o->endLength == 1 && o->endDelim[0] == '\n';
    if (!lines || inner >= p->end)
        return DRC_END;
    return take(o, include ? begin : inner, p->end);
}

/* ---- the whole file ---- */

static int read_whole(DROPT *o)
{
    if (o->plain.done)
        return DRC_END;
    o->plain.done = 1;
    int64_t size = DraskFileSize(o->in);
    if (size < 0)
        return DraskFail(o, DRC_BADFILE, "Failed to find the length of the input file RC(%d)\n",
                         DraskLastError());
    if (size > WHOLE_LIMIT)
        return DraskFail(o, DRC_BADFILE, "File is too large at %lld bytes\n", (long long)size);
    if ((uint64_t)size + 1 > o->msgCapacity) {
        uint32_t want = (uint32_t)size + WHOLE_SPARE;
        uint8_t *b = (uint8_t *)CSGetMem(want, "DRASKMSG");
        if (!b)
            return DraskFail(o, DRC_STORAGE, "Failed to allocate storage of %d bytes.", (int)want);
        CSFreeMemAndClear(&o->msg);
        o->msg = b;
        o->msgCapacity = want;
    }
    errno = 0;
    size_t n = fread(o->msg, 1, (size_t)size, o->in);
    if (n != (size_t)size && ferror(o->in))
        return DraskFail(o, DRC_BADFILE, "Error reading from input file RC(%d)\n", errno ? errno : EIO);
    o->msgLength = (uint32_t)n;
    o->inPosition = n;
    return 0;
}

int DraskReadPlain(DROPT *o)
{
    DraskDefaultMD(&o->md);
    o->md.Version = MQMD_VERSION_1;
    memcpy(o->md.Format, MQFMT_STRING, 8);
    o->msgLength = 0;
    o->dataStart = 0;
    int rc = (o->options2 & DRO2_WHOLE) ? read_whole(o) : read_delimited(o);
    if (!rc) {
        if (!(o->options2 & DRO2_WHOLE))
            o->inPosition = o->plain.offset + o->plain.start;
        ProgSetPosition(o->progress, o->inPosition, o->total);
    }
    return rc;
}
