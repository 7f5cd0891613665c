/* A program that starts a process of its own which outlives it, as the
 * prefix's desktop process outlives the test program that started it,
 * and ends once that process is up: the test runs must end with it, not
 * with the process it left behind.  linger_probe MARKER: the process left
 * behind makes the file MARKER and lives while the file is there (a
 * minute at the most), so that the run sees it still lives when the
 * probe's entry has ended, and ends it by taking the file away. */
#include <windows.h>

#include <cstdio>
#include <cstring>

/* The process left behind: the marker made, the probe told, then alive
 * until the marker goes. */
static int Linger(const char *marker, const char *upName)
{
    HANDLE f = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(f);
    if (HANDLE up = OpenEventA(EVENT_MODIFY_STATE, FALSE, upName)) {
        SetEvent(up);
        CloseHandle(up);
    }
    for (int i = 0; i < 600 && GetFileAttributesA(marker) != INVALID_FILE_ATTRIBUTES; i++)
        Sleep(100);
    DeleteFileA(marker);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc > 3 && !strcmp(argv[1], "linger"))
        return Linger(argv[2], argv[3]);
    if (argc < 2) {
        fprintf(stderr, "usage: linger_probe MARKER\n");
        return 1;
    }
    char upName[64];
    snprintf(upName, sizeof upName, "ravolt-linger-%lu", GetCurrentProcessId());
    HANDLE up = CreateEventA(nullptr, TRUE, FALSE, upName);
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    char line[3 * MAX_PATH];
    snprintf(line, sizeof line, "\"%s\" linger \"%s\" %s", path, argv[1], upName);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!up || !CreateProcessA(path, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        fprintf(stderr, "linger probe: the process was not started (%lu)\n", GetLastError());
        return 1;
    }
    CloseHandle(pi.hThread);
    HANDLE both[2] = { up, pi.hProcess };
    DWORD woke = WaitForMultipleObjects(2, both, FALSE, 60000);
    CloseHandle(pi.hProcess);
    if (woke != WAIT_OBJECT_0) {
        fprintf(stderr, "linger probe: its process ended or never came up\n");
        return 1;
    }
    fprintf(stderr, "linger probe ended, its process lingers\n");
    return 0;
}
