/* Linked into every Windows test program: a crash on any thread ends the
 * program at once with the exception and a backtrace on stderr.  No
 * debugger is started and no dialog waits for a click that never comes,
 * so a crashing test costs seconds, not its entry's whole time-out. */
#include <windows.h>

#include <cstdio>

namespace {

/* "module+offset" of a code address. */
void print_frame(int n, DWORD64 pc)
{
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (LPCSTR)pc, &module) && module) {
        GetModuleFileNameA(module, name, sizeof name);
        const char *base = name;
        for (const char *p = name; *p; p++)
            if (*p == '\\' || *p == '/')
                base = p + 1;
        fprintf(stderr, "  #%-2d 0x%016llx %s+0x%llx\n", n, (unsigned long long)pc, base,
                (unsigned long long)(pc - (DWORD64)module));
    } else {
        fprintf(stderr, "  #%-2d 0x%016llx %s\n", n, (unsigned long long)pc, name);
    }
}

/* The frames from the faulting context, unwound as the system does. */
void print_backtrace(CONTEXT context)
{
    if (!context.Rip && context.Rsp) {         /* a call through a null pointer: start at its caller */
        context.Rip = *(DWORD64 *)context.Rsp;
        context.Rsp += 8;
    }
    for (int n = 0; n < 48 && context.Rip; n++) {
        print_frame(n, context.Rip);
        DWORD64 base = 0;
        PRUNTIME_FUNCTION f = RtlLookupFunctionEntry(context.Rip, &base, nullptr);
        if (!f) {                      /* a leaf: its return address is on top of the stack */
            context.Rip = *(DWORD64 *)context.Rsp;
            context.Rsp += 8;
            continue;
        }
        void *handlerData = nullptr;
        DWORD64 frame = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, base, context.Rip, f, &context, &handlerData, &frame, nullptr);
    }
}

LONG WINAPI crashed(EXCEPTION_POINTERS *info)
{
    static volatile LONG inside;
    const EXCEPTION_RECORD *r = info->ExceptionRecord;
    if (InterlockedExchange(&inside, 1))      /* a fault while telling of one */
        TerminateProcess(GetCurrentProcess(), 0xC0DE0000u | (r->ExceptionCode & 0xFFFF));
    fprintf(stderr, "\nUnhandled exception 0x%08lx at 0x%016llx on thread %lu; the test program ends\n",
            (unsigned long)r->ExceptionCode, (unsigned long long)(DWORD64)r->ExceptionAddress,
            (unsigned long)GetCurrentThreadId());
    if (r->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && r->NumberParameters >= 2)
        fprintf(stderr, "  %s address 0x%016llx\n", r->ExceptionInformation[0] ? "writing" : "reading",
                (unsigned long long)r->ExceptionInformation[1]);
    print_backtrace(*info->ContextRecord);
    fflush(stderr);
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 0xC0DE0000u | (r->ExceptionCode & 0xFFFF));
    return EXCEPTION_EXECUTE_HANDLER;
}

struct CrashExit {
    CrashExit()
    {
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
        SetUnhandledExceptionFilter(crashed);
    }
} installed;

}  // namespace
