/* Processes, libraries and host probes: loading a library with a readable
 * error, running a command, detecting Wine and the path separator that goes
 * with it, path helpers, reading a whole file, the computer and user names. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include "csthread.h"

/* Process-wide: set by CSInitPlatform. */
extern int CSRunningOnWine;      /* 1 under Wine */
extern char CSPathSep;           /* '\\', or '/' under Wine */
extern char CSPathSepString[2];

void CSInitPlatform(void);
/* 1 when HKLM "Software\Wine" can be opened for reading. */
int CSIsWine(void);

/* 0 with *module set, or the system error code with its message in
 * errorText (at most errorSize bytes; a private buffer when null). */
int CSLoadLibrary(const char *fileName, const char *directory, char *errorText,
                  size_t errorSize, void **module);
void *CSGetProcAddress(void *module, const char *name);

#define CSRUN_HIDDEN 1
/* 1 started (process handle to *process when given; the caller closes it),
 * 0 failed with an "ErrorText" block in *errorText for the caller to free.
 * A line beginning "cmd " runs under the command interpreter with "/c";
 * the line is changed in place. */
int CSRunCommand(char *commandLine, int flags, CSHANDLE *process, char **errorText);

/* Joins directory and name with exactly one separator (out may be the
 * directory's own buffer). */
void CSAppendPath(char *out, const char *directory, const char *name);
/* In place: backslashes to "/", drops a drive prefix Z: or z:. */
void CSNormalisePath(char *path);
/* Splits a file specification; directory and name need strlen(spec) + 1
 * bytes each.  Returns 1. */
int CSParseFileSpec(const char *spec, int hasName, char *directory, char *name,
                    int *relative, int *drive);
/* 1 when c is "\" or "/"; a path is absolute when it starts with one or
 * with a drive "X:". */
int CSIsPathSep(char c);
int CSIsAbsolutePath(const char *path);

/* Whole open file into a new "FILELOAD" block ending with a NUL after the
 * data; the count read goes to *length.  Null on failure. */
char *CSFileLoad(FILE *file, size_t *length);

const char *CSGetComputerName(void);
const char *CSGetUserName(void);
