/* Trace, trap and crash dumps.
 *
 * The trace is one text file of indented entry, exit and free-text lines
 * from all threads, each prefixed with its thread id.  CSTrap records an
 * internal consistency failure in a fixed file and breaks into an attached
 * debugger; the caller goes on.  The dump handler writes a minidump for
 * every exception once installed. */
#pragma once

#include <cstddef>
#include <cstdint>

/* Stores the trace directory (at most 149 characters), ending it with the
 * path separator.  0, or 1 when the directory is too long (not changed). */
int CSSetTraceDir(const char *directory);
/* Opens trace directory + name and turns tracing on; 0 (also when a trace
 * is already open: the first open wins), 99 when it cannot be opened. */
int CSTraceOpen(const char *name);
/* Turns tracing off and closes the file (end of the program). */
void CSTraceClose(void);
/* 1 while the trace file is open. */
int CSTraceIsOn(void);

/* "--> name" at the thread's depth, then one deeper. */
void CSTraceEntry(const char *name);
/* One less deep, then "<-- name RC(0x%8.8X)". */
void CSTraceExit(const char *name, uint32_t result);
/* Formatted text (carrying its own line end); with prefix non-zero preceded
 * by the thread prefix and indentation. */
void CSTrace(int prefix, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
/* Hold the trace mutex (recursively) to write several pieces as a block. */
void CSTraceLock(void);
void CSTraceUnlock(void);

/* Window-message trace lines of a traced window procedure. */
void CSTraceMsgIn(const char *procedure, const void *window, uint32_t message,
                  uint64_t param1, uint64_t param2);
void CSTraceMsgOut(const char *procedure, const void *window, uint32_t message,
                   uint64_t result);
/* Symbolic name of a standard window message, or null. */
const char *WinMsgName(uint32_t message);

/* Consistency failure: writes "cstrap line %d file %s (%s) value %d" to the
 * trap file, then breaks only when a debugger is attached. */
void CSTrap(const char *sourceFile, const char *buildStamp, int line, int value);
#define CS_TRAP(value) CSTrap(__FILE__, __TIMESTAMP__, __LINE__, (value))
/* Full name of the trap file, its folder created when missing ("c:\temp",
 * else the temporary folder); 0, or -1 when none fits in size. */
int CSTrapFileName(char *out, size_t size);

/* Records the dump directory (null: the program's) and mode (1 full
 * memory, 0 normal) and installs the dump handler first in line.
 * 0, or -1 where dumps are not available. */
int CSInstallExceptionHandler(const char *directory, int mode);
/* Writes one minidump; exceptionInfo (EXCEPTION_POINTERS) may be null.
 * The file's full name goes to name (size bytes) when given.
 * 0 written, else the system error code (-1: not available here). */
int CSWriteDump(const char *directory, void *exceptionInfo, int mode,
                char *name, size_t size);
