/* A small HTTP server on 127.0.0.1 for the tests: a thread that accepts
 * connections one at a time, keeps each request's bytes and answers with
 * a canned script (pieces sent with pauses, then a close, a silent hold
 * or an endless stream). */
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct HttpScript {
    std::vector<std::string> pieces;
    int pauseMs = 0;                     /* between the pieces, so that each comes in a read of its own */
    enum End { CLOSE, HOLD, ENDLESS } end = CLOSE;
    std::string endless;                 /* sent again and again with ENDLESS */
    void *held = nullptr;                /* an event: the pieces after the first wait until it is set */
};

class TestHttpServer {
public:
    TestHttpServer();
    ~TestHttpServer();
    void Serve(const HttpScript &script);
    /* the usual answers */
    void ServeBody(const std::string &body, int status = 200);
    void ServeChunks(const std::vector<std::string> &chunks, int pauseMs = 50);
    int Port() const { return port; }
    std::string Url(const char *page) const;
    std::string LastRequest();
    int Connections() const { return connections.load(); }

private:
    void Run();
    void Answer(uintptr_t client);
    uintptr_t listener = ~(uintptr_t)0;
    int port = 0;
    std::atomic<bool> stop{false};
    std::atomic<int> connections{0};
    std::mutex lock;
    HttpScript script;
    std::string lastRequest;
    std::thread thread;
};

/* a version page as the product's site publishes it */
std::string VersionPage(const char *versionLine);
