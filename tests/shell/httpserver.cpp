/* The tests' loopback HTTP server. */
#include "httpserver.h"

#include <winsock2.h>
#include <windows.h>

#include <chrono>
#include <cstdio>

TestHttpServer::TestHttpServer()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    bind(s, (sockaddr *)&a, sizeof a);
    listen(s, 8);
    int len = sizeof a;
    getsockname(s, (sockaddr *)&a, &len);
    port = ntohs(a.sin_port);
    listener = s;
    thread = std::thread(&TestHttpServer::Run, this);
}

TestHttpServer::~TestHttpServer()
{
    stop = true;
    thread.join();
    closesocket((SOCKET)listener);
}

void TestHttpServer::Serve(const HttpScript &s)
{
    std::lock_guard<std::mutex> g(lock);
    script = s;
}

void TestHttpServer::ServeBody(const std::string &body, int status)
{
    char head[200];
    snprintf(head, sizeof head, "HTTP/1.1 %d %s\r\nContent-Type: text/html\r\nContent-Length: %zu\r\n\r\n",
             status, status == 200 ? "OK" : "Not Found", body.size());
    HttpScript s;
    s.pieces = {head + body};
    Serve(s);
}

void TestHttpServer::ServeChunks(const std::vector<std::string> &chunks, int pauseMs)
{
    HttpScript s;
    s.pieces.push_back("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
    for (const std::string &c : chunks) {
        char size[20];
        snprintf(size, sizeof size, "%zx\r\n", c.size());
        /* each chunk's size line and its data arrive in separate reads */
        s.pieces.push_back(size);
        s.pieces.push_back(c + "\r\n");
    }
    s.pieces.push_back("0\r\n\r\n");
    s.pauseMs = pauseMs;
    Serve(s);
}

std::string TestHttpServer::Url(const char *page) const
{
    return "http://127.0.0.1:" + std::to_string(port) + "/" + page;
}

std::string TestHttpServer::LastRequest()
{
    std::lock_guard<std::mutex> g(lock);
    return lastRequest;
}

/* waits up to ms for the socket to be readable; 1 when it is */
static int readable(SOCKET s, int ms)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv = {ms / 1000, (ms % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &tv) > 0;
}

void TestHttpServer::Answer(uintptr_t c)
{
    SOCKET client = (SOCKET)c;
    std::string request;
    char buffer[4096];
    auto start = std::chrono::steady_clock::now();
    while (request.find("\n\n") == std::string::npos && request.size() < 65536 &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(3)) {
        if (!readable(client, 100))
            continue;
        int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, (size_t)n);
    }
    HttpScript s;
    {
        std::lock_guard<std::mutex> g(lock);
        lastRequest = request;
        s = script;
    }
    for (size_t i = 0; i < s.pieces.size(); i++) {
        if (i == 1 && s.held)
            WaitForSingleObject((HANDLE)s.held, 60000);
        if (i && s.pauseMs)
            Sleep((DWORD)s.pauseMs);
        send(client, s.pieces[i].data(), (int)s.pieces[i].size(), 0);
    }
    if (s.end == HttpScript::ENDLESS) {
        size_t sent = 0;
        while (!stop && sent < (16u << 20)) {
            int n = send(client, s.endless.data(), (int)s.endless.size(), 0);
            if (n <= 0)
                break;
            sent += (size_t)n;
        }
    } else if (s.end == HttpScript::HOLD) {
        while (!stop) {
            if (!readable(client, 100))
                continue;
            if (recv(client, buffer, sizeof buffer, 0) <= 0)
                break;
        }
    }
    shutdown(client, SD_SEND);
    closesocket(client);
}

void TestHttpServer::Run()
{
    while (!stop) {
        if (!readable((SOCKET)listener, 100))
            continue;
        SOCKET client = accept((SOCKET)listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        connections++;
        Answer(client);
    }
}

std::string VersionPage(const char *versionLine)
{
    return std::string("<html><body>\n<h2>Ravolt Program version</h2>\n<p>Download the latest build.</p>\n"
                       "<p>Version ") + versionLine + "</p>\n</body></html>\n";
}
