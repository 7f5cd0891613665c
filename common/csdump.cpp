/* Crash dumps: the options recorded by CSInstallExceptionHandler, which
 * exceptions get a dump, and the dump file's name. */
#include "cstrace.h"
#include "cssys.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>

#define DUMP_DIR_MAX 300

static char dumpDir[DUMP_DIR_MAX];
static int dumpDirSet;
static int dumpMode;

/* Exceptions that the system or the language runtime raise and handle
 * themselves: debug output, thread naming and C++ throws (both the other
 * compiler's code and the unwinder codes of ours). */
static const uint32_t quietCodes[] = {
    0x40010006, /* debug output text */
    0x4001000A, /* debug output, wide text */
    0x406D1388, /* thread naming */
    0xE06D7363, /* C++ throw */
    0x20474343, /* C++ throw, our runtime */
    0x21474343, /* C++ unwind, our runtime */
    0x22474343, /* C++ forced unwind, our runtime */
};

int CSDumpWanted(uint32_t code)
{
    for (uint32_t q : quietCodes)
        if (q == code)
            return 0;
    return 1;
}

int CSInstallExceptionHandler(const char *directory, int mode)
{
    dumpDirSet = directory && *directory;
    snprintf(dumpDir, sizeof dumpDir, "%s", dumpDirSet ? directory : "");
    dumpMode = mode == 1 ? 1 : 0;
    return CSSysInstallDumpHandler();
}

void CSWriteDumpForException(void *exceptionInfo)
{
    CSWriteDump(dumpDirSet ? dumpDir : nullptr, exceptionInfo, dumpMode, nullptr, 0);
}

static int IsSplit(char c)
{
    return c == ':' || c == '/' || c == '\\';
}

int CSDumpFileName(char *out, size_t size, const char *directory, const char *programFile,
                   const struct tm *when, uint32_t tid)
{
    while (*programFile == ' ')
        programFile++;
    const char *base = programFile;
    for (const char *p = programFile; *p; p++)
        if (IsSplit(*p))
            base = p + 1;
    size_t progLen = strcspn(base, ".");
    char folder[DUMP_DIR_MAX + 2];
    if (directory && *directory)
        snprintf(folder, sizeof folder, "%s", directory);
    else
        snprintf(folder, sizeof folder, "%.*s", (int)(base - programFile), programFile);
    size_t n = strlen(folder);
    if (n == 0 || (folder[n - 1] != '\\' && folder[n - 1] != '/'))
        snprintf(folder + n, sizeof folder - n, "\\");
    int len = snprintf(out, size, "%s%.*s_%4.4d%2.2d%2.2d_%2.2d%2.2d%2.2d_%d.dmp", folder,
                       (int)progLen, base, when->tm_year + 1900, when->tm_mon + 1,
                       when->tm_mday, when->tm_hour, when->tm_min, when->tm_sec, (int)tid);
    return len < 0 || (size_t)len >= size ? -1 : 0;
}

int CSWriteDump(const char *directory, void *exceptionInfo, int mode, char *name, size_t size)
{
    char program[DUMP_DIR_MAX + 1];
    if (!CSSysProgramFile(program, sizeof program))
        return -1;
    time_t now = time(nullptr);
    struct tm local;
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char file[2 * DUMP_DIR_MAX + 64];
    if (CSDumpFileName(file, sizeof file, directory, program, &local, CSSysThreadId()) != 0)
        return -1;
    int rc = CSSysWriteDump(file, exceptionInfo, mode);
    if (rc == 0 && name && size)
        snprintf(name, size, "%s", file);
    return rc;
}
