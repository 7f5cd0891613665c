/* Host layer of the common services (private to this folder).
 *
 * Each function here has a Windows half (cssys_win.cpp) and a POSIX half
 * (cssys_posix.cpp); everything above them is host-neutral. */
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t CSSysThreadId(void);
int CSSysDebuggerPresent(void);
void CSSysDebugBreak(void);
/* Folder of the trap file ("c:\temp", natively "/tmp"). */
const char *CSSysTrapFolder(void);
/* 1 when HKLM "Software\Wine" opens for reading. */
int CSSysWineKey(void);

/* 0 with *module set, else the system error code. */
int CSSysLoadLibrary(const char *path, void **module);
void *CSSysGetProc(void *module, const char *name);
/* The system's message text for an error code (no trailing line end). */
void CSSysErrorText(int code, char *out, size_t size);

/* Starts a process.  program null: the program comes from the line;
 * otherwise program is the command interpreter and line its arguments
 * ("/c" and the command; the POSIX half runs the command with /bin/sh).
 * 0 with *process set, else the system error code. */
int CSSysStartProcess(const char *program, const char *line, int hidden, void **process);
/* A CSWaitResult: 0 ended, 2 time-out, -1 failure. */
int CSSysWaitProcess(void *process, uint32_t timeout);
void CSSysCloseProcess(void *process);

/* 1 with the name filled, 0 when the system cannot tell. */
int CSSysComputerName(char *out, size_t size);
int CSSysUserName(char *out, size_t size);
/* Full name of the program file; 0 when unknown. */
int CSSysProgramFile(char *out, size_t size);

/* Dumps: install the handler; write one dump to an opened name. */
int CSSysInstallDumpHandler(void);
int CSSysWriteDump(const char *file, void *exceptionInfo, int mode);

/* Called by the dump handler: a dump with the recorded options. */
void CSWriteDumpForException(void *exceptionInfo);
/* Dump handler's filter: 1 when an exception with this code gets a dump. */
int CSDumpWanted(uint32_t code);
/* "%s_%4.4d%2.2d%2.2d_%2.2d%2.2d%2.2d_%d.dmp" in directory (or the program's
 * folder); 0, or -1 when it does not fit. */
struct tm;
int CSDumpFileName(char *out, size_t size, const char *directory,
                   const char *programFile, const struct tm *when, uint32_t tid);

/* Wraps a host process in a CSHANDLE (csthread.cpp). */
typedef struct CSHANDLEREC *CSHANDLE;
CSHANDLE CSNewProcessHandle(void *process);
