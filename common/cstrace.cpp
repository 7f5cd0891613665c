/* Trace and trap.
 *
 * One trace file for all threads.  Prefixed lines start "TID(%5d):" and
 * are indented by the thread's depth; each thread has its own depth in one
 * of 20 slots (later threads share the last).  Every write is flushed. */
#include "cstrace.h"
#include "cshost.h"
#include "cssys.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>

#define TRACE_SLOTS 20
#define TRACE_DIR_MAX 150

struct TraceSlot {
    uint32_t tid;
    int32_t inUse;
    int32_t depth;
};

static std::atomic<int> traceOn;
static FILE *traceFile;
static char traceDir[TRACE_DIR_MAX];
static std::recursive_mutex traceMutex;
static uint32_t traceOwner = (uint32_t)-1;  /* -1 when free */
static int32_t traceCount;
static TraceSlot slots[TRACE_SLOTS];

int CSSetTraceDir(const char *directory)
{
    size_t n = strlen(directory);
    int needSep = n == 0 || !CSIsPathSep(directory[n - 1]);
    if (n + (size_t)needSep >= TRACE_DIR_MAX)
        return 1;
    memcpy(traceDir, directory, n);
    if (needSep)
        traceDir[n++] = CSPathSep;
    traceDir[n] = 0;
    return 0;
}

int CSTraceOpen(const char *name)
{
    std::lock_guard<std::recursive_mutex> g(traceMutex);
    if (traceFile)
        return 0;
    char path[TRACE_DIR_MAX + 300];
    if ((size_t)snprintf(path, sizeof path, "%s%s", traceDir, name) >= sizeof path)
        return 99;
    traceFile = fopen(path, "wb");
    if (!traceFile)
        return 99;
    traceOn = 1;
    return 0;
}

void CSTraceClose(void)
{
    std::lock_guard<std::recursive_mutex> g(traceMutex);
    traceOn = 0;
    if (traceFile)
        fclose(traceFile);
    traceFile = nullptr;
}

int CSTraceIsOn(void)
{
    return traceOn.load(std::memory_order_relaxed);
}

void CSTraceLock(void)
{
    traceMutex.lock();
    traceOwner = CSSysThreadId();
    traceCount++;
}

void CSTraceUnlock(void)
{
    if (--traceCount == 0)
        traceOwner = (uint32_t)-1;
    traceMutex.unlock();
}

/* The calling thread's slot; the trace mutex is held. */
static TraceSlot *ThreadSlot(uint32_t tid)
{
    TraceSlot *freeSlot = nullptr;
    for (TraceSlot *s = slots; s < slots + TRACE_SLOTS; s++) {
        if (s->inUse && s->tid == tid)
            return s;
        if (!s->inUse && !freeSlot)
            freeSlot = s;
    }
    if (!freeSlot)
        return &slots[TRACE_SLOTS - 1];
    freeSlot->tid = tid;
    freeSlot->inUse = 1;
    freeSlot->depth = 0;
    return freeSlot;
}

/* Writes one prefixed piece; depthStep is applied before (-1) or after
 * (+1) the write. */
static void WritePrefixed(int depthStep, const char *format, va_list args)
{
    CSTraceLock();
    if (traceFile) {
        uint32_t tid = CSSysThreadId();
        TraceSlot *slot = ThreadSlot(tid);
        if (depthStep < 0)
            slot->depth--;
        fprintf(traceFile, "TID(%5d):", (int)tid);
        for (int32_t i = 0; i <= slot->depth; i++)
            fputc(' ', traceFile);
        vfprintf(traceFile, format, args);
        fflush(traceFile);
        if (depthStep > 0)
            slot->depth++;
    }
    CSTraceUnlock();
}

static void WriteLine(int depthStep, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    WritePrefixed(depthStep, format, args);
    va_end(args);
}

void CSTraceEntry(const char *name)
{
    if (CSTraceIsOn())
        WriteLine(+1, "--> %s\n", name);
}

void CSTraceExit(const char *name, uint32_t result)
{
    if (CSTraceIsOn())
        WriteLine(-1, "<-- %s RC(0x%8.8X)\n", name, result);
}

void CSTrace(int prefix, const char *format, ...)
{
    if (!CSTraceIsOn())
        return;
    va_list args;
    va_start(args, format);
    if (prefix)
        WritePrefixed(0, format, args);
    else {
        CSTraceLock();
        if (traceFile) {
            vfprintf(traceFile, format, args);
            fflush(traceFile);
        }
        CSTraceUnlock();
    }
    va_end(args);
}

/* Messages too frequent to be worth a line. */
static int MsgQuiet(uint32_t message)
{
    return message == 32 || message == 132 || message == 160 || message == 512;
}

void CSTraceMsgIn(const char *procedure, const void *window, uint32_t message,
                  uint64_t param1, uint64_t param2)
{
    if (!CSTraceIsOn() || MsgQuiet(message))
        return;
    const char *name = WinMsgName(message);
    unsigned hwnd = (unsigned)(uintptr_t)window;
    if (name)
        CSTrace(1, ">%s HWND(%8x) MSG(%20s) MP1(%8x) MP2(%8x)\n", procedure, hwnd, name,
                (unsigned)param1, (unsigned)param2);
    else
        CSTrace(1, ">%s HWND(%8x) MSG(%20x) MP1(%8x) MP2(%8x)\n", procedure, hwnd, message,
                (unsigned)param1, (unsigned)param2);
}

void CSTraceMsgOut(const char *procedure, const void *window, uint32_t message,
                   uint64_t result)
{
    if (!CSTraceIsOn() || MsgQuiet(message))
        return;
    const char *name = WinMsgName(message);
    unsigned hwnd = (unsigned)(uintptr_t)window;
    if (name)
        CSTrace(1, "<%s HWND(%8x) MSG(%20s) RES(%8x)\n", procedure, hwnd, name,
                (unsigned)result);
    else
        CSTrace(1, "<%s HWND(%8x) MSG(%20x) RES(%8x)\n", procedure, hwnd, message,
                (unsigned)result);
}

/* The trap file lives in a fixed folder; when that folder is missing and
 * cannot be made, in the temporary folder. */
int CSTrapFileName(char *out, size_t size)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path folder = CSSysTrapFolder();
    if (!fs::is_directory(folder, ec) && !fs::create_directories(folder, ec)) {
        folder = fs::temp_directory_path(ec);
        if (ec)
            return -1;
    }
    std::string name = (folder / "cstrap.txt").string();
    if (name.size() >= size)
        return -1;
    memcpy(out, name.c_str(), name.size() + 1);
    return 0;
}

static const char *BaseName(const char *file)
{
    const char *base = file;
    for (const char *p = file; *p; p++)
        if (CSIsPathSep(*p))
            base = p + 1;
    return base;
}

void CSTrap(const char *sourceFile, const char *buildStamp, int line, int value)
{
    char path[600];
    if (CSTrapFileName(path, sizeof path) == 0) {
        FILE *f = fopen(path, "wb");
        if (f) {
            fprintf(f, "cstrap line %d file %s (%s) value %d", line,
                    BaseName(sourceFile ? sourceFile : ""), buildStamp ? buildStamp : "",
                    value);
            fclose(f);
        }
    }
    CSTrace(1, "cstrap line %d file %s value %d\n", line,
            BaseName(sourceFile ? sourceFile : ""), value);
    if (CSSysDebuggerPresent())
        CSSysDebugBreak();
}
