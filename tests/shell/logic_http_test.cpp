/* The version check's HTTP pieces without a socket: addresses, the
 * request's bytes, and the response parser on bodies with a length,
 * without one and in chunks split across reads, and at its bounds. */
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "version.h"
#include "cs.h"

/* feeds a response in pieces of the given sizes (the rest at once) */
static int Feed(VERHTTP *h, const std::string &bytes, std::initializer_list<size_t> pieces = {})
{
    size_t at = 0;
    int rc = VERHTTP_MORE;
    for (size_t n : pieces) {
        if (at >= bytes.size())
            break;
        n = std::min(n, bytes.size() - at);
        rc = VerHttpFeed(h, bytes.data() + at, (uint32_t)n);
        at += n;
    }
    if (at < bytes.size())
        rc = VerHttpFeed(h, bytes.data() + at, (uint32_t)(bytes.size() - at));
    return rc;
}

static std::string Body(const VERHTTP *h)
{
    uint32_t n;
    const char *b = VerHttpBody(h, &n);
    return std::string(b, n);
}

struct HttpTest : ::testing::Test {
    VERHTTP h;
    CSMEMSTATS before;
    void SetUp() override
    {
        CSMemStats(&before);
        VerHttpInit(&h);
    }
    void TearDown() override
    {
        VerHttpFree(&h);
        CSMEMSTATS after;
        CSMemStats(&after);
        EXPECT_EQ(after.blocks, before.blocks);
    }
};

TEST_F(HttpTest, BodyOfContentLengthStopsAtTheLength)
{
    std::string r = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\ncontent-length:  11 \r\n\r\nhello worldEXTRA";
    EXPECT_EQ(Feed(&h, r, {3, 1, 20, 30}), VERHTTP_DONE);
    EXPECT_EQ(h.status, 200);
    EXPECT_EQ(Body(&h), "hello world");
    EXPECT_EQ(h.length, h.headerLength + 11);
    EXPECT_EQ(h.data[h.length], 0);
    /* nothing more is taken once done */
    EXPECT_EQ(VerHttpFeed(&h, "x", 1), VERHTTP_DONE);
}

TEST_F(HttpTest, BodyWithoutLengthIsWhatCameWithTheHeader)
{
    std::string r = "HTTP/1.0 404 Not Found\nServer: x\n\n<p>gone</p>";
    EXPECT_EQ(Feed(&h, r), VERHTTP_DONE);
    EXPECT_EQ(h.status, 404);
    EXPECT_EQ(Body(&h), "<p>gone</p>");
    VerHttpFree(&h);
    /* the header's end arriving alone: an empty body */
    EXPECT_EQ(Feed(&h, "HTTP/1.1 204 No Content\r\n\r\n"), VERHTTP_DONE);
    EXPECT_EQ(Body(&h), "");
}

TEST_F(HttpTest, ChunksSplitAcrossReadsMakeOneBody)
{
    std::string r = "HTTP/1.1 200 OK\r\nTransfer-Encoding:   chunked\r\n\r\n"
                    "5\r\nRavol\r\n"
                    "1;name=value\r\nt\r\n"
                    "1A\r\n Program version\nVersion 9\r\n"
                    "0\r\n\r\n";
    const char *expect = "Ravolt Program version\nVersion 9";
    /* every split point into two reads, and byte by byte */
    for (size_t cut = 1; cut < r.size(); cut++) {
        VERHTTP x;
        VerHttpInit(&x);
        ASSERT_EQ(Feed(&x, r, {cut}), VERHTTP_DONE) << cut;
        EXPECT_EQ(Body(&x), expect) << cut;
        VerHttpFree(&x);
    }
    std::initializer_list<size_t> ones = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                          1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                          1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                          1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(Feed(&h, r, ones), VERHTTP_DONE);
    EXPECT_EQ(Body(&h), expect);
    /* bare line feeds are accepted as line ends */
    VerHttpFree(&h);
    EXPECT_EQ(Feed(&h, "HTTP/1.1 200 OK\nTransfer-Encoding: chunked\n\n3\nabc\n0\n"), VERHTTP_DONE);
    EXPECT_EQ(Body(&h), "abc");
}

TEST_F(HttpTest, MalformedAnswersAreRefused)
{
    const char *bad[] = {
        "HELLO WORLD\r\n\r\n",                                               /* not HTTP */
        "HTTP/1.1 200 OK\r\nContent-Length: 12x\r\n\r\n",                    /* not a number */
        "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 1048577\r\n\r\n",                /* over the body bound */
        "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n", /* two lengths */
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFFFF\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n100001\r\n",     /* over the body bound */
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nxyz\r\n",         /* no size */
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabcX",       /* no line end after */
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3 x\r\nabc\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\rabc\r\n",
    };
    for (const char *b : bad) {
        VERHTTP x;
        VerHttpInit(&x);
        EXPECT_EQ(Feed(&x, b), VERHTTP_BAD) << b;
        VerHttpFree(&x);
    }
    /* chunk sizes that add up past the bound */
    std::string r = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    std::string chunk(0x80000, 'a');
    r += "80000\r\n" + chunk + "\r\n80000\r\n" + chunk + "\r\n1\r\n";
    EXPECT_EQ(Feed(&h, r), VERHTTP_BAD);
}

TEST_F(HttpTest, HeaderAndLinesAreBounded)
{
    /* a header that never ends stops at its bound */
    std::string line = "X-Filler: " + std::string(90, 'f') + "\r\n";
    int rc = Feed(&h, "HTTP/1.1 200 OK\r\n");
    size_t fed = 0;
    while (rc == VERHTTP_MORE && fed < 10 * VERHTTP_HEADER_MAX) {
        rc = VerHttpFeed(&h, line.data(), (uint32_t)line.size());
        fed += line.size();
    }
    EXPECT_EQ(rc, VERHTTP_BAD);
    EXPECT_LE(fed, VERHTTP_HEADER_MAX + line.size());
    EXPECT_LE(h.length, VERHTTP_HEADER_MAX + 1);
    VerHttpFree(&h);
    /* a chunk-size line that never ends */
    std::string r = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1" + std::string(300, '0');
    EXPECT_EQ(Feed(&h, r), VERHTTP_BAD);
    VerHttpFree(&h);
    /* the largest body that is allowed arrives whole */
    std::string big = "HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\n\r\n" + std::string(VERHTTP_BODY_MAX, 'b');
    EXPECT_EQ(Feed(&h, big, {1000, 70000, 300000}), VERHTTP_DONE);
    EXPECT_EQ(Body(&h).size(), VERHTTP_BODY_MAX);
}

TEST_F(HttpTest, ClosedConnectionEndsOnlyACompleteResponse)
{
    EXPECT_EQ(Feed(&h, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly part"), VERHTTP_MORE);
    EXPECT_EQ(VerHttpClosed(&h), VERHTTP_BAD);
    VerHttpFree(&h);
    EXPECT_EQ(Feed(&h, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nabc"), VERHTTP_MORE);
    EXPECT_EQ(VerHttpClosed(&h), VERHTTP_BAD);
    VerHttpFree(&h);
    EXPECT_EQ(Feed(&h, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"), VERHTTP_DONE);
    EXPECT_EQ(VerHttpClosed(&h), VERHTTP_DONE);
}

TEST(HttpRequest, AddressesSplitIntoHostPageAndPort)
{
    char host[64];
    const char *page;
    int port;
    ASSERT_EQ(VerSplitUrl("http://www.ravolt.example/download/v.html", host, sizeof host, &page, &port), 1);
    EXPECT_STREQ(host, "www.ravolt.example");
    EXPECT_STREQ(page, "download/v.html");
    EXPECT_EQ(port, 80);
    ASSERT_EQ(VerSplitUrl("HTTP://127.0.0.1:8080/", host, sizeof host, &page, &port), 1);
    EXPECT_STREQ(host, "127.0.0.1");
    EXPECT_STREQ(page, "");
    EXPECT_EQ(port, 8080);
    ASSERT_EQ(VerSplitUrl("host:0/x", host, sizeof host, &page, &port), 1);
    EXPECT_EQ(port, 80);
    ASSERT_EQ(VerSplitUrl("host:/x", host, sizeof host, &page, &port), 1);
    EXPECT_EQ(port, 80);
    for (const char *bad : {"http://host", "", "/page", "host:65536/x", "host:8o/x", ":80/x"})
        EXPECT_EQ(VerSplitUrl(bad, host, sizeof host, &page, &port), 0) << bad;
    std::string longHost(200, 'h');
    EXPECT_EQ(VerSplitUrl((longHost + "/x").c_str(), host, sizeof host, &page, &port), 0);
}

TEST(HttpRequest, RequestBytesAsTheProgramHasAlwaysSentThem)
{
    char out[1024];
    int n = VerHttpRequestText(out, sizeof out, "www.ravolt.example", "download/v.html", 80);
    std::string expect =
        "GET /download/v.html HTTP/1.1 \n"
        "Accept: text/html, */*\n"
        "Accept-Language: en-gb\n"
        "Accept-Encoding: identity\n"
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 1.1.4322; .NET CLR 2.0.50727)\n"
        "Connection: Keep-Alive\n"
        "Host: www.ravolt.example\n\n";
    ASSERT_EQ(n, (int)expect.size());
    EXPECT_EQ(std::string(out, (size_t)n), expect);
    n = VerHttpRequestText(out, sizeof out, "127.0.0.1", "", 8080);
    EXPECT_NE(std::string(out).find("GET / HTTP/1.1 \n"), std::string::npos);
    EXPECT_NE(std::string(out).find("\nHost: 127.0.0.1:8080\n\n"), std::string::npos);
    EXPECT_EQ(VerHttpRequestText(out, 100, "h", "p", 80), -1);
}
