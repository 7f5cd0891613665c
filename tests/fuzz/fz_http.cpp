/* Fuzz target: the version check's HTTP response as a hostile server
 * sends it, in pieces of the sizes the input's first byte chooses, then
 * the page's version line read and compared with the program's own.  The
 * response always ends in a verdict inside its bounds. */
#include "fuzz.h"

#include <algorithm>

#include "cs.h"
#include "cstext.h"
#include "version.h"

namespace {

void Seeds(FuzzSeeds *s)
{
    for (const char *r : {
             "\x07HTTP/1.1 200 OK\r\nContent-Length: 52\r\n\r\n<p>Ravolt Program version</p>\nVersion 9.4.0 Jan 1 2030\n",
             "\x03HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nRavo\r\n12\r\nlt Program version\r\n"
             "A;x=y\r\n\nVersion 9\r\n0\r\n\r\n",
             "\x10HTTP/1.0 404 Not Found\nServer: test\n\n<h1>404</h1>",
             "\x01HTTP/1.1 200 OK\r\nContent-Length: 0\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
             "\xffHTTP/1.1 200 OK\r\n\r\nRavolt Program version\r\nVersion 10.2.3 Dec 31 2099\r\n" })
        s->Add(std::string(r));
}

/* The version after the page's marker, as the check reads it. */
void ReadVersion(const char *body, uint32_t length)
{
    static const char marker[] = "Ravolt Program version";
    const char *end = body + length;
    const char *m = UTMemFindNoCase(body, (int)length, marker, (int)sizeof marker - 1);
    if (!m)
        return;
    const char *after = m + sizeof marker - 1;
    const char *v = UTMemFindNoCase(after, (int)(end - after), "Version ", 8);
    if (!v)
        return;
    const char *nl = (const char *)memchr(v + 8, '\n', (size_t)(end - v - 8));
    TK47VERSION r = {};
    if (!VerParseVersion(r.page, v + 8, nl ? nl : end) || !VerOwnVersion(r.own))
        return;
    VerCompare(&r);
    FUZZ_CHECK(memchr(r.text, 0, sizeof r.text) != nullptr, "verdict text unterminated");
    VerResultAction('B', 0, &r);
    char text[100];
    VerDateText(r.page, text, sizeof text);
    VerNumberText(r.page, text, sizeof text);
}

void Run(const uint8_t *data, size_t size)
{
    FuzzInput in = { data, size };
    uint32_t piece = 1 + in.Byte();
    std::string bytes = in.Rest();
    VERHTTP h;
    VerHttpInit(&h);
    size_t at = 0;
    int rc = VERHTTP_MORE;
    while (at < bytes.size() && rc == VERHTTP_MORE) {
        uint32_t n = (uint32_t)std::min<size_t>(bytes.size() - at, piece);
        FuzzBlock block(bytes.data() + at, n);
        rc = VerHttpFeed(&h, block.data(), n);
        at += n;
        FUZZ_CHECK(h.size <= VERHTTP_HEADER_MAX + VERHTTP_BODY_MAX + VERHTTP_LINE_MAX + 1, "response grew past its bounds");
        FUZZ_CHECK(h.parsed <= h.length && (h.size == 0 || h.length < h.size), "response's counts inconsistent");
    }
    if (rc == VERHTTP_MORE)
        rc = VerHttpClosed(&h);
    FUZZ_CHECK(rc == VERHTTP_DONE || rc == VERHTTP_BAD, "no verdict after the peer closed");
    if (rc == VERHTTP_DONE) {
        FUZZ_CHECK(h.bodyLength <= VERHTTP_BODY_MAX && h.length == h.headerLength + h.bodyLength, "body outside its bounds");
        uint32_t length;
        const char *body = VerHttpBody(&h, &length);
        if (body)
            ReadVersion(body, length);
    }
    VerHttpFree(&h);
}

}  // namespace

FUZZ_TARGET(Seeds, nullptr, Run)
