/* A program that starts a process of its own which outlives it, as the
 * prefix's desktop process outlives the test program that started it,
 * and ends at once: the test runs must end with it, not with the process
 * it left behind. */
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc > 1 && !strcmp(argv[1], "linger")) {
        Sleep(30000);
        return 0;
    }
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    char line[MAX_PATH + 16];
    snprintf(line, sizeof line, "\"%s\" linger", path);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(path, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        fprintf(stderr, "linger probe: the process was not started (%lu)\n", GetLastError());
        return 1;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    fprintf(stderr, "linger probe ended, its process lingers\n");
    return 0;
}
