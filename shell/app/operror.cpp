/* Reports and notices of the shell: operational errors posted from any
 * thread, function errors, the end status on every frame's status line,
 * log lines of a run without user interface, and help. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"

#include <cstdio>
#include <cstring>

#include "cmddlg.h"
#include "cs.h"
#include "locstore.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "tkutil.h"

int ShellBox(HWND owner, const char *text, const char *caption, UINT type)
{
    if (Shell.noUserInterface) {
        LogLine(owner, text, caption);
        return IDOK;
    }
    return UtilMessageBox(owner, text, caption, type);
}

void ShellStatusAll(const char *text)
{
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        if (f->status)
            SetWindowTextA(f->status, text);
}

void LogLine(HWND, const char *text, const char *name)
{
    FILE *out = tkHost.logFile ? tkHost.logFile : stderr;
    char line[1200];
    UtilLogLine(line, sizeof line, name ? name : "", text ? text : "");
    fputs(line, out);
    fflush(out);
}

/* Flag 4: the location's windows hear of it. */
struct LOCTEXT {
    QMS *location;
    const char *text;
};

static void tell_modeless(HWND window, int, void *owner1, void *, void *ctx)
{
    LOCTEXT *t = (LOCTEXT *)ctx;
    if (owner1 == t->location)
        SendMessageA(window, UM_LOCATION_ERROR, 0, (LPARAM)t->text);
}

static int tell_dialog(DialogWords *d, void *ctx)
{
    LOCTEXT *t = (LOCTEXT *)ctx;
    if (d->first.location == t->location)
        PCFDialogStatus(d, t->text, t->location, 257);
    return 0;
}

void ReportOpError(ZORVAERROR *e)
{
    if (!e)
        return;
    QMS *r = (QMS *)(uintptr_t)e->location;
    if ((e->flags & 2) && r) {
        LocSetLastError(r, e->text);
        LocUpdateRow(r, 0);
    }
    if ((e->flags & 4) && r) {
        /* the panels' status lines say it too: the tree alone would show
           a location that never loads */
        ShellStatusAll(e->text);
        LOCTEXT t = { r, e->text };
        ModelessForEach(tell_modeless, &t);
        PCFForEachDialog(tell_dialog, &t);
    }
    if (e->flags & 1)
        ShellBox((HWND)(uintptr_t)e->owner, e->text, "Ravolt - Operational error",
                 MB_OK | MB_ICONEXCLAMATION);
    CSFreeMem(e);
}

void ShowFunctionError(const char *function)
{
    DWORD code = GetLastError();
    char system[201] = "", text[400];
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   system, sizeof system, nullptr);
    snprintf(text, sizeof text, "Function %s RC(%lu) %s", function, (unsigned long)code, system);
    ShellBox(Shell.mainWindow, text, "Function error", MB_OK | MB_ICONEXCLAMATION);
}

/* The end status on every frame's status line; with nothing to say it
 * takes back only its own last text, never another's message. */
static void end_status_text(const char *text)
{
    static char shown[200];
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f)) {
        char now[200] = "";
        if (!f->status)
            continue;
        if (!text[0])
            GetWindowTextA(f->status, now, sizeof now);
        if (text[0] || !strcmp(now, shown))
            SetWindowTextA(f->status, text);
    }
    snprintf(shown, sizeof shown, "%s", text);
}

void ShowEndStatus(int force)
{
    static int32_t lastSeen = -1, lastError = -1;
    char text[200] = "";
    if (Shell.status & SHELL_EXITING) {
        const char *names = LocNameList();
        snprintf(text, sizeof text, "Ending, disconnecting (%d) %s", ShellRunningCount(),
                 names ? names : "");
        ShellStatusAll(text);
        return;
    }
    int32_t seen = 0, inError = 0;
    if (ShellWork.errorCounts)
        ShellWork.errorCounts(&seen, &inError);
    if (!force && seen == lastSeen && inError == lastError)
        return;
    lastSeen = seen;
    lastError = inError;
    if (seen && (Prf.opt1 & 0x1)) {
        if (inError)
            snprintf(text, sizeof text, "%d of %d are in error.", (int)inError, (int)seen);
        else
            snprintf(text, sizeof text, "No errors detected.");
    }
    end_status_text(text);
}

void ShowHelp(void)
{
    const UINT icon = MB_OK | MB_ICONEXCLAMATION;
    if (!Prf.hlp[0]) {
        ShellBox(Shell.mainWindow, "Please fill in the help file location in the preferences dialog",
                 "Missing file specification", icon);
        return;
    }
    FILE *f = fopen(Prf.hlp, "rb");
    if (!f) {
        char text[400];
        snprintf(text, sizeof text,
                 "File '%s' can not be opened. \nPlease update the help file location in the "
                 "preferences dialog",
                 Prf.hlp);
        ShellBox(Shell.mainWindow, text, "Can not open file", icon);
        return;
    }
    fclose(f);
    char command[600];
    if (Prf.hlpc[0])
        snprintf(command, sizeof command, "%s %s", Prf.hlpc, Prf.hlp);
    else
        snprintf(command, sizeof command, "cmd /c %s", Prf.hlp);
    char *error = nullptr;
    if (!CSRunCommand(command, 0, nullptr, &error)) {
        char text[800];
        snprintf(text, sizeof text, "%s\n\n%s", Prf.hlp, error ? error : "");
        ShellBox(Shell.mainWindow, text, "Error Issuing Command", icon);
    }
    if (error)
        CSFreeMem(error);
}
