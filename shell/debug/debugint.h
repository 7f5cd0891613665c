/* Inside the debug window: its program-wide state and the pieces that
 * the window procedure and the writers share. */
#pragma once

#include <windows.h>
#include <atomic>
#include <cstdio>

#include "cslock.h"
#include "debugwin.h"

/* A posted copy of a line (lParam), which the window frees. */
enum { UM_DEBUGLINE = WM_APP + 1 };

struct DebugState {
    std::atomic<HWND> window;      /* none while closed */
    WNDPROC editProc;              /* the edit control's own procedure */
    FILE *file;                    /* the debug file, when open */
    char fileName[MAX_PATH];
    CSLOCK fileLock;               /* the file's writes and its closing */
};
extern DebugState debugState;

void DebugFileWrite(const char *text);
/* Appends a line to the view (user-interface thread). */
void DebugAppend(HWND dialog, const char *text);
