/* The version check's exchange against the test's loopback HTTP server:
 * a good page gives the versions and the verdict; every kind of broken
 * answer gives its text, without a crash and without a block left. */
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <string>

#include "httpserver.h"
#include "version.h"
#include "cs.h"
#include "prfdata.h"

static const std::string failure = "Error retrieving version information";

struct NetTest : ::testing::Test {
    TestHttpServer server;
    CSMEMSTATS before;
    void SetUp() override
    {
        CSMemStats(&before);
        Prf.vcf = 0;
        Prf.vcn = 0;
        Prf.vcl = 0;
    }
    void TearDown() override
    {
        verPageAddress = verDownloadAddress;
        VerSetResolver(nullptr);
        CSMEMSTATS after;
        CSMemStats(&after);
        EXPECT_EQ(after.blocks, before.blocks);
    }
    /* the page's fetch into a result */
    TK47VERSION Fetch(const std::string &url)
    {
        TK47VERSION r = {};
        verPageAddress = url.c_str();
        VerFetchPage(&r);
        verPageAddress = verDownloadAddress;
        return r;
    }
    /* one GET: its error text, empty on success */
    std::string Get(const std::string &url, VERHTTP *h = nullptr)
    {
        VERHTTP local;
        char error[VER_TEXT];
        int ok = VerHttpGet(url.c_str(), h ? h : &local, error);
        if (!h)
            VerHttpFree(&local);
        return ok ? std::string() : std::string(error);
    }
};

TEST_F(NetTest, GoodPageGivesTheVersionsAndTheVerdict)
{
    server.ServeBody(VersionPage("9.4.0 Jan 1 2030"));
    std::string url = server.Url("download/version.html");
    TK47VERSION r = Fetch(url);
    EXPECT_EQ(r.failed, 0) << r.text;
    EXPECT_EQ(r.text[0], 0);
    EXPECT_EQ(r.page[VER_MAJOR], 9);
    EXPECT_EQ(r.page[VER_MINOR], 4);
    EXPECT_EQ(r.page[VER_PATCH], 0);
    EXPECT_EQ(r.page[VER_YEAR], 2030);
    EXPECT_EQ(r.own[VER_MAJOR], 9);
    EXPECT_GE(r.own[VER_YEAR], 2024);
    EXPECT_EQ(Prf.vcf, 0);
    EXPECT_GT(Prf.vcl, 1700000000);
    VerCompare(&r);
    EXPECT_STREQ(r.text, "A later version of Ravolt is available.");
    /* the request's bytes, as the program has always sent them */
    std::string expect = "GET /download/version.html HTTP/1.1 \n"
                         "Accept: text/html, */*\n"
                         "Accept-Language: en-gb\n"
                         "Accept-Encoding: identity\n"
                         "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; "
                         ".NET CLR 1.1.4322; .NET CLR 2.0.50727)\n"
                         "Connection: Keep-Alive\n"
                         "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\n\n";
    EXPECT_EQ(server.LastRequest(), expect);
}

TEST_F(NetTest, ChunkedPageArrivingInPieces)
{
    std::string page = VersionPage("9.3.3 Dec 31 2099");
    server.ServeChunks({page.substr(0, 10), page.substr(10, 40), page.substr(50)}, 30);
    TK47VERSION r = Fetch(server.Url("v.html"));
    EXPECT_EQ(r.failed, 0) << r.text;
    EXPECT_EQ(r.page[VER_YEAR], 2099);
    VerCompare(&r);
    EXPECT_STREQ(r.text, "A later build of this Ravolt version is available.");
}

TEST_F(NetTest, FailuresCountAndGiveTheirTexts)
{
    struct { HttpScript script; std::string text; } cases[] = {
        {{{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nNot here."}},
         failure + " : Web page format does not appear to be correct"},
        {{{"GARBAGE AND MORE GARBAGE\r\n\r\n"}}, failure + " : Invalid HTTP response received"},
        {{{"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\nx"}},
         failure + " : Invalid HTTP response received"},
        {{{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFF\r\nabc"}},
         failure + " : Invalid HTTP response received"},
        {{{"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n<p>Ravolt Program version</p>\nVersion 9.4.0 Jan 1 20"}},
         failure + " : Invalid HTTP response received"},
        {{{"HTTP/1.1 200 OK\r\n"}, 0, HttpScript::ENDLESS, "X-Header-That-Never-Ends: yes\r\n"},
         failure + " : Invalid HTTP response received"},
    };
    int vcf = 0;
    for (auto &c : cases) {
        server.Serve(c.script);
        TK47VERSION r = Fetch(server.Url("v.html"));
        EXPECT_EQ(r.failed, 1);
        EXPECT_EQ(std::string(r.text), c.text);
        EXPECT_EQ(Prf.vcf, ++vcf);
    }
    /* a success clears the count */
    server.ServeBody(VersionPage("1.0.0 Jan 1 2001"));
    TK47VERSION r = Fetch(server.Url("v.html"));
    EXPECT_EQ(r.failed, 0);
    EXPECT_EQ(Prf.vcf, 0);
}

TEST_F(NetTest, SilentServerTimesOutAfterFiveSeconds)
{
    HttpScript silent;
    silent.end = HttpScript::HOLD;
    server.Serve(silent);
    auto start = std::chrono::steady_clock::now();
    std::string error = Get(server.Url("v.html"));
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(error, failure + " : recv() returned RC(10060)");
    EXPECT_GE(took, std::chrono::milliseconds(4500));
    EXPECT_LT(took, std::chrono::seconds(15));
}

TEST_F(NetTest, AddressesThatCannotBeUsed)
{
    EXPECT_EQ(Get("127.0.0.1"), failure + " : Urecognised URL format '127.0.0.1'");
    EXPECT_EQ(Get("http://127.0.0.1:99999/x"), failure + " : Urecognised URL format 'http://127.0.0.1:99999/x'");
    /* a port where nobody listens */
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, (sockaddr *)&a, sizeof a);
    int len = sizeof a;
    getsockname(s, (sockaddr *)&a, &len);
    closesocket(s);
    std::string url = "http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/x";
    EXPECT_EQ(Get(url), failure + " : Can not connect to server RC(10061)\n");
}

static int resolved;
static int TestResolver(const char *host, uint32_t *address)
{
    resolved++;
    if (strcmp(host, "version.ravolt.test") != 0)
        return 1;
    *address = htonl(INADDR_LOOPBACK);
    return 0;
}

TEST_F(NetTest, DottedHostIsUsedWithoutNameResolution)
{
    server.ServeBody("HTTP/1.1 body");
    VerSetResolver(TestResolver);
    resolved = 0;
    EXPECT_EQ(Get(server.Url("x")), "");
    EXPECT_EQ(resolved, 0);
    std::string named = "http://version.ravolt.test:" + std::to_string(server.Port()) + "/x";
    VERHTTP h;
    EXPECT_EQ(Get(named, &h), "");
    EXPECT_EQ(resolved, 1);
    EXPECT_EQ(h.status, 200);
    VerHttpFree(&h);
    EXPECT_EQ(Get("http://unknown.ravolt.test/x"), failure + " : Can not resolve host 'unknown.ravolt.test'");
    EXPECT_EQ(resolved, 2);
}
