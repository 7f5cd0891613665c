/* Host layer, Windows half: threads ids, debugger, registry, libraries,
 * processes, names and minidumps. */
#include "cssys.h"
#include "cstrace.h"

#include <windows.h>
#include <dbghelp.h>

#include <cstdio>
#include <cstring>

uint32_t CSSysThreadId(void)
{
    return GetCurrentThreadId();
}

int CSSysDebuggerPresent(void)
{
    return IsDebuggerPresent() ? 1 : 0;
}

void CSSysDebugBreak(void)
{
    DebugBreak();
}

const char *CSSysTrapFolder(void)
{
    return "c:\\temp";
}

int CSSysWineKey(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

int CSSysLoadLibrary(const char *path, void **module)
{
    HMODULE h = LoadLibraryA(path);
    if (!h)
        return (int)GetLastError();
    *module = (void *)h;
    return 0;
}

void *CSSysGetProc(void *module, const char *name)
{
    return (void *)GetProcAddress((HMODULE)module, name);
}

void CSSysErrorText(int code, char *out, size_t size)
{
    if (size == 0)
        return;
    out[0] = 0;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             (DWORD)code, 0, out, (DWORD)(size > 0xFFFF ? 0xFFFF : size), nullptr);
    if (n == 0)
        snprintf(out, size, "Error %d", code);
    size_t len = strlen(out);
    while (len > 0 && (out[len - 1] == '\n' || out[len - 1] == '\r' || out[len - 1] == ' '))
        out[--len] = 0;
}

int CSSysStartProcess(const char *program, const char *line, int hidden, void **process)
{
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    if (hidden) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_HIDE;
    }
    /* CreateProcess may write into the command line: give it a copy. */
    size_t n = strlen(line) + 1;
    char *copy = (char *)malloc(n);
    if (!copy)
        return ERROR_NOT_ENOUGH_MEMORY;
    memcpy(copy, line, n);
    BOOL ok = CreateProcessA(program, copy, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    DWORD rc = ok ? 0 : GetLastError();
    free(copy);
    if (!ok)
        return (int)rc;
    CloseHandle(pi.hThread);
    *process = (void *)pi.hProcess;
    return 0;
}

int CSSysWaitProcess(void *process, uint32_t timeout)
{
    switch (WaitForSingleObject((HANDLE)process, timeout)) {
    case WAIT_OBJECT_0: return 0;
    case WAIT_TIMEOUT: return 2;
    default: return -1;
    }
}

void CSSysCloseProcess(void *process)
{
    CloseHandle((HANDLE)process);
}

int CSSysComputerName(char *out, size_t size)
{
    DWORD n = (DWORD)size;
    return GetComputerNameA(out, &n) ? 1 : 0;
}

int CSSysUserName(char *out, size_t size)
{
    DWORD n = (DWORD)size;
    return GetUserNameA(out, &n) ? 1 : 0;
}

int CSSysProgramFile(char *out, size_t size)
{
    DWORD n = GetModuleFileNameA(nullptr, out, (DWORD)size);
    return n > 0 && n < size;
}

/* The dump handler: runs first for every exception, never handles one. */
static thread_local int inDumpHandler;

static LONG CALLBACK DumpHandler(EXCEPTION_POINTERS *info)
{
    if (!inDumpHandler && CSDumpWanted(info->ExceptionRecord->ExceptionCode)) {
        inDumpHandler = 1;
        CSWriteDumpForException(info);
        inDumpHandler = 0;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

int CSSysInstallDumpHandler(void)
{
    static PVOID installed;
    if (!installed)
        installed = AddVectoredExceptionHandler(1, DumpHandler);
    return installed ? 0 : (int)GetLastError();
}

int CSSysWriteDump(const char *file, void *exceptionInfo, int mode)
{
    HANDLE h = CreateFileA(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return (int)GetLastError();
    MINIDUMP_EXCEPTION_INFORMATION mei;
    mei.ThreadId = GetCurrentThreadId();
    mei.ExceptionPointers = (EXCEPTION_POINTERS *)exceptionInfo;
    mei.ClientPointers = FALSE;
    MINIDUMP_TYPE type = mode == 1 ? MiniDumpWithFullMemory : MiniDumpNormal;
    BOOL ok = MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), h, type,
                                exceptionInfo ? &mei : nullptr, nullptr, nullptr);
    DWORD rc = ok ? 0 : GetLastError();
    CloseHandle(h);
    return (int)rc;
}
