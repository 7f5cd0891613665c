/* Host services of the stand-in on POSIX systems: the owner lock of a
 * queue manager's folder, atomic file replacement, user and program,
 * sockets of the local channel. */
#include "sim.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

void *SimHostLockDir(const std::string &dir)
{
    std::string path = dir + "/owner.lock";
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return nullptr;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return nullptr;
    }
    return (void *)(intptr_t)(fd + 1);
}

void SimHostUnlockDir(void *lock)
{
    if (lock)
        close((int)(intptr_t)lock - 1);
}

int SimHostReplace(const std::string &from, const std::string &to)
{
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : -1;
}

int SimHostMkdir(const std::string &dir)
{
    return mkdir(dir.c_str(), 0755) == 0 || access(dir.c_str(), F_OK) == 0 ? 0 : -1;
}

std::string SimHostUser(void)
{
    struct passwd *pw = getpwuid(getuid());
    return pw ? pw->pw_name : "unknown";
}

std::string SimHostProgram(void)
{
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "unknown";
    buf[n] = 0;
    const char *slash = strrchr(buf, '/');
    return slash ? slash + 1 : buf;
}

std::string SimHostEnv(const char *name)
{
    const char *v = getenv(name);
    return v ? v : "";
}

/* The native build links the library statically: nothing to pin. */
void SimHostPinModule(void)
{
}

/* ---- sockets of the local channel ---------------------------------------- */

/* A stream socket and the loopback address with a port (0: any). */
static int Loopback(sockaddr_in *a, int port)
{
    *a = sockaddr_in();
    a->sin_family = AF_INET;
    a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a->sin_port = htons((uint16_t)port);
    return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

SimSocket SimHostListen(int *port)
{
    sockaddr_in a;
    int s = Loopback(&a, 0);
    if (s < 0)
        return -1;
    socklen_t len = sizeof a;
    if (bind(s, (sockaddr *)&a, sizeof a) != 0 || listen(s, 64) != 0 || getsockname(s, (sockaddr *)&a, &len) != 0) {
        close(s);
        return -1;
    }
    *port = ntohs(a.sin_port);
    return s;
}

/* Small writes go out at once, not held for the peer's acknowledgement. */
static void NoDelay(int s)
{
    int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

SimSocket SimHostAccept(SimSocket s)
{
    for (;;) {
        int c = accept4((int)s, nullptr, nullptr, SOCK_CLOEXEC);
        if (c >= 0)
            NoDelay(c);
        if (c >= 0 || errno != EINTR)
            return c < 0 ? -1 : c;
    }
}

SimSocket SimHostConnect(int port)
{
    sockaddr_in a;
    int s = Loopback(&a, port);
    if (s < 0)
        return -1;
    if (connect(s, (sockaddr *)&a, sizeof a) != 0) {
        close(s);
        return -1;
    }
    NoDelay(s);
    return s;
}

bool SimHostSendAll(SimSocket s, const void *p, size_t n)
{
    const char *b = (const char *)p;
    while (n > 0) {
        ssize_t k = send((int)s, b, n, MSG_NOSIGNAL);
        if (k < 0 && errno == EINTR)
            continue;
        if (k <= 0)
            return false;
        b += k;
        n -= (size_t)k;
    }
    return true;
}

long SimHostRecvSome(SimSocket s, void *p, size_t n)
{
    for (;;) {
        ssize_t k = recv((int)s, p, n, 0);
        if (k >= 0 || errno != EINTR)
            return (long)k;
    }
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
    shutdown((int)s, SHUT_RDWR);
}

void SimHostCloseSocket(SimSocket s)
{
    if (s >= 0)
        close((int)s);
}

int SimHostRemove(const std::string &path)
{
    return unlink(path.c_str());
}
