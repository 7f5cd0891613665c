/* Processes, libraries and host probes: the host-neutral half.  The calls
 * into the system are in cssys_win.cpp / cssys_posix.cpp. */
#include "cshost.h"
#include "csmem.h"
#include "cssys.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

/* Backslash on Windows; the native checking build runs on a POSIX host. */
#ifdef _WIN32
#define HOST_SEP "\\"
#else
#define HOST_SEP "/"
#endif

int CSRunningOnWine;
char CSPathSep = HOST_SEP[0];
char CSPathSepString[2] = HOST_SEP;

void CSInitPlatform(void)
{
    CSRunningOnWine = CSIsWine();
    if (CSRunningOnWine) {
        CSPathSep = '/';
        CSPathSepString[0] = '/';
    }
}

int CSIsWine(void)
{
    return CSSysWineKey();
}

/* Both separators count on every host, so that a full Windows path given
 * from outside is recognised wherever the program runs. */
int CSIsPathSep(char c)
{
    return c == '\\' || c == '/';
}

static int HasDrive(const char *path)
{
    return isalpha((unsigned char)path[0]) && path[1] == ':';
}

int CSIsAbsolutePath(const char *path)
{
    return CSIsPathSep(path[0]) || HasDrive(path);
}

static int HasPathPart(const char *name)
{
    if (HasDrive(name))
        return 1;
    for (; *name; name++)
        if (CSIsPathSep(*name))
            return 1;
    return 0;
}

static const char *DebugVariable(void)
{
    return getenv("ZODADAVE_DEBUG");
}

#define LIB_PATH_MAX 568
#define LIB_ERROR_MAX 500
/* The system's code for a path longer than a library path may be. */
#ifdef _WIN32
#define LIB_PATH_TOO_LONG 206     /* ERROR_FILENAME_EXCED_RANGE */
#else
#define LIB_PATH_TOO_LONG ENAMETOOLONG
#endif

/* A failed load: the system's message for its code into the caller's
 * text (or a private one); the code. */
static int LoadFailed(int rc, char *errorText, size_t errorSize)
{
    static char privateError[LIB_ERROR_MAX];
    if (!errorText || errorSize == 0) {
        errorText = privateError;
        errorSize = sizeof privateError;
    }
    CSSysErrorText(rc, errorText, errorSize);
    if (DebugVariable())
        printf("Load failed RC(%d) %s\n", rc, errorText);
    return rc;
}

int CSLoadLibrary(const char *fileName, const char *directory, char *errorText,
                  size_t errorSize, void **module)
{
    char path[LIB_PATH_MAX];
    size_t nameLen = strlen(fileName);
    if (HasPathPart(fileName) || !directory || !*directory) {
        if (nameLen >= sizeof path)
            return LoadFailed(LIB_PATH_TOO_LONG, errorText, errorSize);
        memcpy(path, fileName, nameLen + 1);
    } else {
        size_t dirLen = strlen(directory);
        int sep = !CSIsPathSep(directory[dirLen - 1]);
        if (dirLen + (size_t)sep + nameLen >= sizeof path)
            return LoadFailed(LIB_PATH_TOO_LONG, errorText, errorSize);
        memcpy(path, directory, dirLen);
        if (sep)
            path[dirLen] = CSPathSep;
        memcpy(path + dirLen + sep, fileName, nameLen + 1);
    }
    if (DebugVariable())
        printf("Loading '%s'\n", path);
    int rc = CSSysLoadLibrary(path, module);
    return rc == 0 ? 0 : LoadFailed(rc, errorText, errorSize);
}

void *CSGetProcAddress(void *module, const char *name)
{
    return module ? CSSysGetProc(module, name) : nullptr;
}

#define RUN_ERROR_MAX 500

static void SetText(char *block, const char *text)
{
    snprintf(block, RUN_ERROR_MAX, "%s", text);
}

/* The command interpreter's path, built once from windir. */
static const char *Interpreter(void)
{
    static char *path;
    if (path)
        return path;
    const char *windir = getenv("windir");
    if (windir) {
        size_t n = strlen(windir) + sizeof "\\system32\\cmd.exe";
        char *p = (char *)CSGetMem(n, "WINDIR");
        if (p) {
            snprintf(p, n, "%s\\system32\\cmd.exe", windir);
            path = p;
            return path;
        }
    }
    return "c:\\Windows\\system32\\cmd.exe";
}

/* Turns "cmd [/c ]command" into "/c  command" for the interpreter, in
 * place; returns 1 when the line is an interpreter line. */
static int InterpreterLine(char *line)
{
    if (strncmp(line, "cmd ", 4) != 0)
        return 0;
    char *p = line + 4;
    while (*p == ' ')
        p++;
    if (p[0] == '/' && (p[1] == 'c' || p[1] == 'C') && p[2] == ' ')
        p[0] = p[1] = ' ';
    memcpy(line, "/c  ", 4);
    return 1;
}

int CSRunCommand(char *commandLine, int flags, CSHANDLE *process, char **errorText)
{
    char *text = (char *)CSGetMem(RUN_ERROR_MAX, "ErrorText");
    *errorText = text;
    if (!text)
        return 0;
    SetText(text, "Not enough memory");
    if (!commandLine || !*commandLine) {
        SetText(text, "No command supplied");
        return 0;
    }
    /* a line of blanks is not empty: it goes to the system like any other
       and fails there, with the system's code and text */
    char *line = commandLine;
    while (*line == ' ')
        line++;
    const char *program = InterpreterLine(line) ? Interpreter() : nullptr;
    void *proc = nullptr;
    int rc = CSSysStartProcess(program, line, flags & CSRUN_HIDDEN, &proc);
    if (rc == 0) {
        CSHANDLE h = CSNewProcessHandle(proc);
        if (!h)
            CSSysCloseProcess(proc);
        if (process)
            *process = h;
        else if (h)
            CSCloseHandle(&h);
        CSFreeMemAndClear(errorText);
        return 1;
    }
    int n = snprintf(text, RUN_ERROR_MAX, "Command failed RC(%d) ", rc);
    CSSysErrorText(rc, text + n, RUN_ERROR_MAX - (size_t)n);
    return 0;
}

void CSAppendPath(char *out, const char *directory, const char *name)
{
    size_t n = strlen(directory);
    if (out != directory)
        memmove(out, directory, n + 1);
    if (!*name)
        return;
    int outSep = n > 0 && CSIsPathSep(out[n - 1]);
    int nameSep = CSIsPathSep(name[0]);
    if (outSep && nameSep)
        name++;
    else if (!outSep && !nameSep)
        out[n++] = CSPathSep;
    memmove(out + n, name, strlen(name) + 1);
}

void CSNormalisePath(char *path)
{
    for (char *p = path; *p; p++)
        if (*p == '\\')
            *p = '/';
    if ((path[0] == 'Z' || path[0] == 'z') && path[1] == ':')
        memmove(path, path + 2, strlen(path + 2) + 1);
}

int CSParseFileSpec(const char *spec, int hasName, char *directory, char *name,
                    int *relative, int *drive)
{
    int hasDot = strchr(spec, '.') != nullptr;
    while (*spec == ' ')
        spec++;
    *drive = spec[0] && spec[1] == ':';
    size_t dirLen = strlen(spec);
    name[0] = 0;
    if (hasDot || hasName) {
        const char *split = spec;
        for (const char *p = spec; *p; p++)
            if (*p == ':' || CSIsPathSep(*p))
                split = p + 1;
        strcpy(name, split);
        dirLen = (size_t)(split - spec);
    }
    memcpy(directory, spec, dirLen);
    if (dirLen > 0 && CSIsPathSep(directory[dirLen - 1]))
        dirLen--;
    directory[dirLen] = 0;
    *relative = !CSIsAbsolutePath(directory);
    return 1;
}

char *CSFileLoad(FILE *file, size_t *length)
{
    *length = 0;
    if (fseek(file, 0, SEEK_END) != 0)
        return nullptr;
    long size = ftell(file);
    if (size < 0 || (unsigned long)size >= SIZE_MAX)
        return nullptr;
    char *block = (char *)CSGetMem((size_t)size + 1, "FILELOAD");
    if (!block)
        return nullptr;
    if (fseek(file, 0, SEEK_SET) != 0) {
        CSFreeMem(block);
        return nullptr;
    }
    size_t got = 0;
    while (got < (size_t)size) {
        size_t n = fread(block + got, 1, (size_t)size - got, file);
        if (n == 0)
            break;
        got += n;
    }
    block[got] = 0;
    *length = got;
    return block;
}

#define NAME_MAX_LEN 100

static const char *CachedName(char *buffer, int (*fetch)(char *, size_t))
{
    if (!buffer[0] && !fetch(buffer, NAME_MAX_LEN))
        snprintf(buffer, NAME_MAX_LEN, "Unknown");
    return buffer;
}

const char *CSGetComputerName(void)
{
    static char name[NAME_MAX_LEN];
    return CachedName(name, CSSysComputerName);
}

const char *CSGetUserName(void)
{
    static char name[NAME_MAX_LEN];
    return CachedName(name, CSSysUserName);
}
