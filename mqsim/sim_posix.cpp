/* Host services of the stand-in on POSIX systems: the owner lock of a
 * queue manager's folder, atomic file replacement, user and program. */
#include "sim.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
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
