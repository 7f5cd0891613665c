/* Inside the debug window: its program-wide state and the pieces that
 * the window procedure and the writers share. */
#pragma once

#include <windows.h>
#include <atomic>
#include <cstdio>

#include "cslock.h"
#include "debugwin.h"

/* A posted copy of a line (lParam), which the window frees; and the
 * request to show the lines gathered since the last one. */
#include "ravoltids.h" /* UM_DEBUGLINE, UM_DEBUGFLUSH */

struct DebugState {
    std::atomic<HWND> window;      /* none while closed */
    WNDPROC editProc;              /* the edit control's own procedure */
    FILE *file;                    /* the debug file, when open */
    char fileName[MAX_PATH];
    CSLOCK fileLock;               /* the file's writes and its closing */
    char *pending;                 /* lines not yet in the view (tag "DEBUGVIEW") */
    size_t pendingLength, pendingSize;
    int flushPosted;
};
extern DebugState debugState;

void DebugFileWrite(const char *text);
/* User-interface thread: a line joins those waiting for the view, which
 * UM_DEBUGFLUSH appends in one insertion; DebugDropPending forgets them. */
void DebugQueueLine(HWND dialog, const char *text);
void DebugFlush(HWND dialog);
void DebugDropPending(void);
