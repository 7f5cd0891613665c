/* The debug window (dialog DLG_DEBUG): one read-only edit control, the
 * command keys typed into it, the status and help lines, and the debug
 * file named by RAVOLT_DEBUGFILE, opened with the window. */
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "debugwin.h"
#include "debugint.h"
#include "cs.h"
#include "shellhost.h"
#include "splash.h"
#include "tkwin.h"

/* DLG_DEBUG: an overlapped dialog holding the edit control */
#pragma pack(push, 2)
struct DebugTemplate {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
    DLGITEMTEMPLATE edit;
    WORD classMark, classAtom, text, extra;
};
#pragma pack(pop)

static const DebugTemplate DLG_DEBUG = {
    {WS_OVERLAPPEDWINDOW, 0, 1, 0, 0, 300, 200},
    0, 0, 0,
    {WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
         ES_AUTOVSCROLL | ES_AUTOHSCROLL,
     0, 0, 0, 300, 200, DEBUG_EDIT},
    0xFFFF, 0x0081, 0, 0,
};

static void print_status(void)
{
    char text[MAX_PATH + 100];
    DebugStatusText(&debugSwitches, debugState.file ? debugState.fileName : nullptr, text,
                    sizeof text);
    DebugPrint(DBG_ALWAYS, text);
}

/* the command keys; every character then goes to the control itself */
static LRESULT CALLBACK DebugEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CHAR) {
        int effect = DebugApplyKey(&debugSwitches, (int)wp);
        if (effect == 3) {
            debugState.pendingLength = 0;
            SetWindowTextA(hwnd, "");
        }
        if (effect == 2)
            for (int i = 0; DebugHelpLines[i]; i++)
                DebugPrint(DBG_ALWAYS, DebugHelpLines[i]);
        if (effect)
            print_status();
    }
    return CallWindowProcA(debugState.editProc, hwnd, msg, wp, lp);
}

static void open_file(void)
{
    const char *name = getenv("RAVOLT_DEBUGFILE");
    if (!name || !*name)
        return;
    FILE *f = fopen(name, "wb");
    CSLock(&debugState.fileLock);
    debugState.file = f;
    snprintf(debugState.fileName, sizeof debugState.fileName, "%s", name);
    CSUnlockIt(&debugState.fileLock);
}

static void close_file(void)
{
    CSLock(&debugState.fileLock);
    if (debugState.file)
        fclose(debugState.file);
    debugState.file = nullptr;
    CSUnlockIt(&debugState.fileLock);
}

/* WM_INITDIALOG */
static void init_dialog(HWND hwnd)
{
    HWND edit = GetDlgItem(hwnd, DEBUG_EDIT);
    debugState.editProc =
        (WNDPROC)SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)DebugEditProc);
    HFONT font = winFonts.mainFont ? winFonts.mainFont : (HFONT)GetStockObject(ANSI_FIXED_FONT);
    SendMessageA(edit, WM_SETFONT, (WPARAM)font, FALSE);
    SendMessageA(edit, EM_SETLIMITTEXT, DEBUG_TEXT_LIMIT, 0);
    SetWindowTextA(hwnd, "Debug");
    open_file();
}

static INT_PTR CALLBACK DebugDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        init_dialog(hwnd);
        return TRUE;
    case WM_SIZE:
        MoveWindow(GetDlgItem(hwnd, DEBUG_EDIT), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL)
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return TRUE;
    case UM_DEBUGLINE:
        if (lp) {
            if (debugState.window.load() == hwnd)
                DebugQueueLine(hwnd, (const char *)lp);
            CSFreeMem((void *)lp);
        }
        return TRUE;
    case UM_DEBUGFLUSH:
        DebugFlush(hwnd);
        return TRUE;
    case WM_CLOSE:
        debugState.window.store(nullptr);
        close_file();
        DestroyWindow(hwnd);
        return TRUE;
    case WM_DESTROY:
        if (debugState.window.load() == hwnd) {
            debugState.window.store(nullptr);
            close_file();
        }
        UtilRemoveModeless(hwnd);
        ShellDropPostedBlocks(hwnd, UM_DEBUGLINE);
        DebugDropPending();
        debugState.flushPosted = 0;
        return TRUE;
    }
    return FALSE;
}

void DebugStart(void)
{
    if (HWND w = DebugWindow()) {
        ActivateWindow(w);
        SetFocus(GetDlgItem(w, DEBUG_EDIT));
        return;
    }
    HWND w = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &DLG_DEBUG.dialog, nullptr,
                                        DebugDlgProc, 0);
    if (!w) {
        WinOpError("WinLoadDlg failed");
        return;
    }
    debugState.window.store(w);
    AddModeless(w, 1, nullptr, nullptr);
    SetWindowPos(w, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN) / 2,
                 GetSystemMetrics(SM_CYSCREEN) / 2, SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(w, SW_SHOW);
    DebugPrint(DBG_ALWAYS, "Debugging Started");
    print_status();
}
