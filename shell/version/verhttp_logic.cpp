/* The HTTP side of the version check that needs no socket: splitting an
 * address, the request's text, and the response parser.
 *
 * The parser is fed bytes as they arrive.  Every receive is bounded by the
 * room it offers: the header may take VERHTTP_HEADER_MAX bytes, the body
 * VERHTTP_BODY_MAX; lengths and chunk sizes are checked for overflow and
 * each chunk must end its lines.  Chunked bodies are moved down behind the
 * header as they come, so the body is one run of bytes. */
#include "version.h"

#include <cstdio>
#include <cstring>

#include "cs.h"

/* parser states */
enum { ST_STATUS, ST_HEADER, ST_LENGTH, ST_CHUNKSIZE, ST_CHUNKDATA, ST_CHUNKEND, ST_DONE,
       ST_BAD };

/* the largest block: header, body, one chunk-size line and the NUL */
static const uint32_t capacity = VERHTTP_HEADER_MAX + VERHTTP_BODY_MAX + VERHTTP_LINE_MAX + 1;

void VerHttpInit(VERHTTP *h)
{
    memset(h, 0, sizeof *h);
    h->contentLength = -1;
}

void VerHttpFree(VERHTTP *h)
{
    CSFreeMemAndClear(&h->data);
    VerHttpInit(h);
}

static int finish(VERHTTP *h, int result)
{
    h->result = result;
    if (result == VERHTTP_DONE) {
        h->state = ST_DONE;
        h->length = h->parsed = h->headerLength + h->bodyLength;
        h->data[h->length] = 0;
    } else if (result == VERHTTP_BAD) {
        h->state = ST_BAD;
    }
    return result;
}

/* grows the block towards capacity; 0 when memory runs out */
static int grow(VERHTTP *h)
{
    uint32_t size = h->size ? h->size * 2 : VERHTTP_INITIAL;
    if (size > capacity)
        size = capacity;
    char *block = (char *)CSGetMem(size, "HTTPBUF");
    if (!block)
        return 0;
    if (h->data) {
        memcpy(block, h->data, h->length);
        CSFreeMem(h->data);
    }
    h->data = block;
    h->size = size;
    return 1;
}

int VerHttpRoom(VERHTTP *h, char **at, uint32_t *room)
{
    if (h->state == ST_DONE || h->state == ST_BAD)
        return h->result;
    if (!h->data || h->length + 1 >= h->size) {
        if (h->size >= capacity)
            return finish(h, VERHTTP_BAD);
        if (!grow(h))
            return finish(h, VERHTTP_NOMEM);
    }
    uint32_t limit = h->size - 1 - h->length;
    /* the header and a body of known length take no more than their bounds */
    if (h->state == ST_STATUS || h->state == ST_HEADER) {
        uint32_t left = VERHTTP_HEADER_MAX + 1 - h->length;
        if (limit > left)
            limit = left;
    } else if (h->state == ST_LENGTH) {
        uint64_t left = (uint64_t)h->contentLength - h->bodyLength;
        if (limit > left)
            limit = (uint32_t)left;
    }
    *at = h->data + h->length;
    *room = limit;
    return VERHTTP_MORE;
}

static int lower(int c)
{
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

/* 1 when the line begins with the name (any case) */
static int starts_with(const char *line, const char *end, const char *name)
{
    size_t n = strlen(name);
    if ((size_t)(end - line) < n)
        return 0;
    for (size_t i = 0; i < n; i++)
        if (lower(line[i]) != lower(name[i]))
            return 0;
    return 1;
}

/* a decimal number between blanks, at most max; -1 when it is not one */
static int64_t decimal_value(const char *p, const char *end, int64_t max)
{
    int64_t v = 0;
    int digits = 0;
    while (p < end && (*p == ' ' || *p == '\t'))
        p++;
    for (; p < end && *p >= '0' && *p <= '9'; p++, digits++) {
        v = v * 10 + (*p - '0');
        if (v > max)
            return -1;
    }
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r'))
        p++;
    return digits && p == end ? v : -1;
}

/* "chunked" among the 20 characters after the name */
static int says_chunked(const char *value, const char *end)
{
    static const char word[] = "chunked";
    size_t n = (size_t)(end - value) < 20 ? (size_t)(end - value) : 20;
    for (size_t i = 0; i + 7 <= n; i++) {
        size_t k = 0;
        while (k < 7 && lower(value[i + k]) == word[k])
            k++;
        if (k == 7)
            return 1;
    }
    return 0;
}

static int32_t status_number(const char *line, const char *end)
{
    const char *p = (const char *)memchr(line, ' ', (size_t)(end - line));
    int32_t v = 0;
    if (!p)
        return 0;
    for (p++; p < end && *p >= '0' && *p <= '9' && v < 100000; p++)
        v = v * 10 + (*p - '0');
    return v;
}

/* reads the header's lines; 0 when a length is malformed or too large */
static int scan_header(VERHTTP *h)
{
    const char *p = h->data, *end = h->data + h->headerLength;
    int first = 1;
    while (p < end) {
        const char *nl = (const char *)memchr(p, '\n', (size_t)(end - p));
        const char *e = nl ? nl : end;
        const char *line_end = e > p && e[-1] == '\r' ? e - 1 : e;
        if (first) {
            h->status = status_number(p, line_end);
            first = 0;
        } else if (starts_with(p, line_end, "Content-Length:")) {
            int64_t v = decimal_value(p + 15, line_end, VERHTTP_BODY_MAX);
            if (v < 0 || (h->contentLength >= 0 && h->contentLength != v))
                return 0;
            h->contentLength = v;
        } else if (starts_with(p, line_end, "Transfer-Encoding:") &&
                   says_chunked(p + 18, line_end)) {
            h->chunked = 1;
        }
        p = e + 1;
    }
    return 1;
}

/* looks for the line feed that ends an empty line */
static int find_header_end(VERHTTP *h)
{
    uint32_t from = h->parsed;
    for (uint32_t i = from; i < h->length; i++) {
        if (h->data[i] != '\n')
            continue;
        if ((i >= 1 && h->data[i - 1] == '\n') ||
            (i >= 2 && h->data[i - 1] == '\r' && h->data[i - 2] == '\n')) {
            h->headerLength = i + 1;
            return 1;
        }
    }
    /* keep the last two bytes for the next search */
    h->parsed = h->length >= 2 ? h->length - 2 : 0;
    return 0;
}

/* after the header: where the body goes and how it is read */
static int start_body(VERHTTP *h)
{
    if (!scan_header(h))
        return finish(h, VERHTTP_BAD);
    h->parsed = h->headerLength;
    h->bodyLength = 0;
    if (h->chunked) {
        h->state = ST_CHUNKSIZE;
        return VERHTTP_MORE;
    }
    if (h->contentLength < 0) {
        /* no length: the body is what came with the header */
        uint32_t got = h->length - h->headerLength;
        h->bodyLength = got > VERHTTP_BODY_MAX ? VERHTTP_BODY_MAX : got;
        return finish(h, VERHTTP_DONE);
    }
    h->state = ST_LENGTH;
    return VERHTTP_MORE;
}

/* one chunk-size line at parsed; VERHTTP_MORE when it is not all in */
static int chunk_size_line(VERHTTP *h, int *advanced)
{
    const char *p = h->data + h->parsed, *end = h->data + h->length;
    const char *nl = (const char *)memchr(p, '\n', (size_t)(end - p));
    *advanced = 0;
    if (!nl)
        return (uint32_t)(end - p) > VERHTTP_LINE_MAX ? finish(h, VERHTTP_BAD) : VERHTTP_MORE;
    if ((uint32_t)(nl - p) > VERHTTP_LINE_MAX)
        return finish(h, VERHTTP_BAD);
    uint64_t size = 0;
    int digits = 0;
    uint64_t room = VERHTTP_BODY_MAX - h->bodyLength;
    for (; p < nl; p++, digits++) {
        int c = lower(*p), d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0)
            break;
        size = size * 16 + (uint64_t)d;
        if (size > room)
            return finish(h, VERHTTP_BAD);
    }
    if (!digits)
        return finish(h, VERHTTP_BAD);
    while (p < nl && (*p == ' ' || *p == '\t'))
        p++;
    if (p < nl && *p == ';')
        p = nl - (nl[-1] == '\r' ? 1 : 0);
    if (p < nl && *p == '\r')
        p++;
    if (p != nl)
        return finish(h, VERHTTP_BAD);
    h->parsed = (uint32_t)(nl + 1 - h->data);
    *advanced = 1;
    if (size == 0)
        return finish(h, VERHTTP_DONE);
    h->chunkLeft = (uint32_t)size;
    h->state = ST_CHUNKDATA;
    return VERHTTP_MORE;
}

/* the line end after a chunk's data */
static int chunk_end(VERHTTP *h, int *advanced)
{
    uint32_t have = h->length - h->parsed;
    const char *p = h->data + h->parsed;
    *advanced = 0;
    if (have == 0)
        return VERHTTP_MORE;
    if (p[0] == '\n') {
        h->parsed += 1;
    } else if (p[0] == '\r') {
        if (have < 2)
            return VERHTTP_MORE;
        if (p[1] != '\n')
            return finish(h, VERHTTP_BAD);
        h->parsed += 2;
    } else {
        return finish(h, VERHTTP_BAD);
    }
    *advanced = 1;
    h->state = ST_CHUNKSIZE;
    return VERHTTP_MORE;
}

/* chunk data: moved down behind the body so far */
static void chunk_data(VERHTTP *h, int *advanced)
{
    uint32_t have = h->length - h->parsed;
    uint32_t take = have < h->chunkLeft ? have : h->chunkLeft;
    uint32_t to = h->headerLength + h->bodyLength;
    if (take && to != h->parsed)
        memmove(h->data + to, h->data + h->parsed, take);
    h->bodyLength += take;
    h->parsed += take;
    h->chunkLeft -= take;
    *advanced = take > 0;
    if (h->chunkLeft == 0)
        h->state = ST_CHUNKEND;
}

static int parse_chunks(VERHTTP *h)
{
    int rc = VERHTTP_MORE, advanced = 1;
    while (rc == VERHTTP_MORE && advanced) {
        if (h->state == ST_CHUNKSIZE)
            rc = chunk_size_line(h, &advanced);
        else if (h->state == ST_CHUNKDATA)
            chunk_data(h, &advanced);
        else
            rc = chunk_end(h, &advanced);
    }
    if (rc != VERHTTP_MORE)
        return rc;
    /* what is not parsed yet moves down behind the body */
    uint32_t to = h->headerLength + h->bodyLength, rest = h->length - h->parsed;
    if (to != h->parsed) {
        memmove(h->data + to, h->data + h->parsed, rest);
        h->parsed = to;
        h->length = to + rest;
    }
    return VERHTTP_MORE;
}

int VerHttpParse(VERHTTP *h, uint32_t added)
{
    if (h->state == ST_DONE || h->state == ST_BAD)
        return h->result;
    h->length += added;
    if (h->state == ST_STATUS) {
        if (h->length < 4)
            return VERHTTP_MORE;
        if (memcmp(h->data, "HTTP", 4) != 0)
            return finish(h, VERHTTP_BAD);
        h->state = ST_HEADER;
    }
    if (h->state == ST_HEADER) {
        if (!find_header_end(h))
            return h->length > VERHTTP_HEADER_MAX ? finish(h, VERHTTP_BAD) : VERHTTP_MORE;
        int rc = start_body(h);
        if (rc != VERHTTP_MORE)
            return rc;
    }
    if (h->state == ST_LENGTH) {
        uint32_t got = h->length - h->headerLength;
        h->bodyLength = got > h->contentLength ? (uint32_t)h->contentLength : got;
        h->parsed = h->headerLength + h->bodyLength;
        if (h->bodyLength == h->contentLength)
            return finish(h, VERHTTP_DONE);
        return VERHTTP_MORE;
    }
    return parse_chunks(h);
}

int VerHttpFeed(VERHTTP *h, const void *bytes, uint32_t count)
{
    const char *p = (const char *)bytes;
    int rc = h->state == ST_DONE || h->state == ST_BAD ? h->result : VERHTTP_MORE;
    while (count && rc == VERHTTP_MORE) {
        char *at;
        uint32_t room;
        rc = VerHttpRoom(h, &at, &room);
        if (rc != VERHTTP_MORE)
            break;
        uint32_t n = count < room ? count : room;
        memcpy(at, p, n);
        p += n;
        count -= n;
        rc = VerHttpParse(h, n);
    }
    return rc;
}

int VerHttpClosed(VERHTTP *h)
{
    if (h->state == ST_DONE || h->state == ST_BAD)
        return h->result;
    return finish(h, VERHTTP_BAD);
}

const char *VerHttpBody(const VERHTTP *h, uint32_t *length)
{
    *length = h->state == ST_DONE ? h->bodyLength : 0;
    return h->data ? h->data + h->headerLength : "";
}

int VerSplitUrl(const char *address, char *host, size_t hostSize, const char **page, int *port)
{
    const char *a = address;
    if (!a || !hostSize)
        return 0;
    if (starts_with(a, a + strlen(a), "http://"))
        a += 7;
    const char *slash = strchr(a, '/');
    if (!slash)
        return 0;
    const char *colon = (const char *)memchr(a, ':', (size_t)(slash - a));
    const char *host_end = colon ? colon : slash;
    if (host_end == a || (size_t)(host_end - a) >= hostSize)
        return 0;
    memcpy(host, a, (size_t)(host_end - a));
    host[host_end - a] = 0;
    *port = 80;
    if (colon) {
        int64_t v = colon + 1 == slash ? 0 : decimal_value(colon + 1, slash, 65535);
        if (v < 0)
            return 0;
        if (v)
            *port = (int)v;
    }
    *page = slash + 1;
    return 1;
}

int VerHttpRequestText(char *out, size_t size, const char *host, const char *page, int port)
{
    char hostLine[300];
    if (port != 80)
        snprintf(hostLine, sizeof hostLine, "Host: %s:%d", host, port);
    else
        snprintf(hostLine, sizeof hostLine, "Host: %s", host);
    int n = snprintf(out, size,
                     "GET /%s HTTP/1.1 \n"
                     "Accept: text/html, */*\n"
                     "Accept-Language: en-gb\n"
                     "Accept-Encoding: identity\n"
                     "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; "
                     ".NET CLR 1.1.4322; .NET CLR 2.0.50727)\n"
                     "Connection: Keep-Alive\n"
                     "%s\n\n",
                     page, hostLine);
    return n < 0 || (size_t)n >= size ? -1 : n;
}
