/* A fresh home folder for the stand-in's queue managers and blank-padded
 * name fields (simhome.h). */
#include "simhome.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

void SimTestSetEnv(const char *name, const char *value)
{
#ifdef _WIN32
    _putenv_s(name, value);
    SetEnvironmentVariableA(name, value);
#else
    setenv(name, value, 1);
#endif
}

std::string SimTestHome(void)
{
    static std::atomic<int> n;
#ifdef _WIN32
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    std::string base;
    do      /* a folder made now: Wine hands out process ids again */
        base = std::string(tmp) + "ravolt-mqsim-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n++);
    while (!CreateDirectoryA(base.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
#else
    std::string base = "/tmp/ravolt-mqsim-" + std::to_string(getpid()) + "-" + std::to_string(n++);
    std::string cmd = "rm -rf '" + base + "'";
    if (system(cmd.c_str()) != 0)
        return base;
    mkdir(base.c_str(), 0755);
#endif
    SimTestSetEnv("RAVOLT_MQSIM_HOME", base.c_str());
    return base;
}

void SimFill(char *field, size_t size, const char *text)
{
    size_t n = strlen(text);
    memset(field, ' ', size);
    memcpy(field, text, n < size ? n : size);
}
