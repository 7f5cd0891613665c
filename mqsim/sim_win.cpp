/* Host services of the stand-in on Windows: the owner lock of a queue
 * manager's folder, atomic file replacement, user and program. */
#include "sim.h"

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
