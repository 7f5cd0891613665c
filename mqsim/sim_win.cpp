/* Host services of the stand-in on Windows: the owner lock of a queue
 * manager's folder, atomic file replacement, user and program, sockets
 * of the local channel. */
#include "sim.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdlib>

void *SimHostLockDir(const std::string &dir)
{
    std::string path = dir + "\\owner.lock";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : (void *)h;
}

void SimHostUnlockDir(void *lock)
{
    if (lock)
        CloseHandle((HANDLE)lock);
}

int SimHostReplace(const std::string &from, const std::string &to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : -1;
}

int SimHostMkdir(const std::string &dir)
{
    return CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS ? 0 : -1;
}

std::string SimHostUser(void)
{
    char buf[256];
    DWORD n = GetEnvironmentVariableA("USERNAME", buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : "unknown";
}

std::string SimHostProgram(void)
{
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf)
        return "unknown";
    std::string s(buf, n);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? s : s.substr(slash + 1);
}

std::string SimHostEnv(const char *name)
{
    char buf[4096];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : "";
}

/* Keeps this module loaded until the process ends: a thread of the
 * library (the command server) must not outlive its code when the
 * program frees the library without MQSimShutdown. */
void SimHostPinModule(void)
{
    HMODULE m;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       (LPCSTR)(void *)&SimHostPinModule, &m);
}

/* ---- sockets of the local channel ---------------------------------------- */

static bool SocketsReady(void)
{
    static bool ready = [] {
        WSADATA wsa;
        return WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    }();
    return ready;
}

/* A stream socket (not inherited) and the loopback address with a port
 * (0: any). */
static SOCKET Loopback(sockaddr_in *a, int port)
{
    *a = sockaddr_in();
    a->sin_family = AF_INET;
    a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a->sin_port = htons((u_short)port);
    if (!SocketsReady())
        return INVALID_SOCKET;
    return WSASocketA(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
}

SimSocket SimHostListen(int *port)
{
    sockaddr_in a;
    SOCKET s = Loopback(&a, 0);
    if (s == INVALID_SOCKET)
        return -1;
    BOOL excl = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, (const char *)&excl, sizeof excl);
    int len = sizeof a;
    if (bind(s, (sockaddr *)&a, sizeof a) != 0 || listen(s, 64) != 0 || getsockname(s, (sockaddr *)&a, &len) != 0) {
        closesocket(s);
        return -1;
    }
    *port = ntohs(a.sin_port);
    return (SimSocket)s;
}

/* Small writes go out at once, not held for the peer's acknowledgement. */
static void NoDelay(SOCKET s)
{
    BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, (const char *)&one, sizeof one);
}

SimSocket SimHostAccept(SimSocket s)
{
    SOCKET c = accept((SOCKET)s, nullptr, nullptr);
    if (c == INVALID_SOCKET)
        return -1;
    NoDelay(c);
    return (SimSocket)c;
}

SimSocket SimHostConnect(int port)
{
    sockaddr_in a;
    SOCKET s = Loopback(&a, port);
    if (s == INVALID_SOCKET)
        return -1;
    if (connect(s, (sockaddr *)&a, sizeof a) != 0) {
        closesocket(s);
        return -1;
    }
    NoDelay(s);
    return (SimSocket)s;
}

bool SimHostSendAll(SimSocket s, const void *p, size_t n)
{
    const char *b = (const char *)p;
    while (n > 0) {
        int k = send((SOCKET)s, b, n > 1 << 20 ? 1 << 20 : (int)n, 0);
        if (k <= 0)
            return false;
        b += k;
        n -= (size_t)k;
    }
    return true;
}

long SimHostRecvSome(SimSocket s, void *p, size_t n)
{
    return recv((SOCKET)s, (char *)p, n > 1 << 20 ? 1 << 20 : (int)n, 0);
}

bool SimHostRecvAll(SimSocket s, void *p, size_t n)
{
    char *b = (char *)p;
    while (n > 0) {
        long k = SimHostRecvSome(s, b, n);
        if (k <= 0)
            return false;
        b += k;
        n -= (size_t)k;
    }
    return true;
}

void SimHostShutdownSocket(SimSocket s)
{
    shutdown((SOCKET)s, SD_BOTH);
}

void SimHostCloseSocket(SimSocket s)
{
    if (s != -1)
        closesocket((SOCKET)s);
}

int SimHostRemove(const std::string &path)
{
    return DeleteFileA(path.c_str()) ? 0 : -1;
}
