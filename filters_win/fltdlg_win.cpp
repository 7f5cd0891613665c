/* The Windows side of a dialog's filter: its filter field (a combo box)
 * read and its error range selected, the system beep, configured sounds,
 * the note box of a user command that failed, the Filter Manager opened
 * on an error in a named filter; the colours and host the filter windows
 * read. */
#include "fltwin.h"
#include "tkwin.h"
#include "cs.h"
#include "command.h"

#include <cstring>

FLTWINCOLOURS FltColours;
static FLTWINHOOKS winHooks;

void FltWinSetHooks(const FLTWINHOOKS *hooks)
{
    if (hooks)
        winHooks = *hooks;
    else
        memset(&winHooks, 0, sizeof winHooks);
}

const FLTWINHOOKS *FltWinHooks(void)
{
    return &winHooks;
}

void FltColoursDefaults(void)
{
    FltColours.menuBack = GetSysColor(COLOR_MENU);
    FltColours.menuFore = GetSysColor(COLOR_MENUTEXT);
    FltColours.titlesBack = GetSysColor(COLOR_BTNFACE);
    FltColours.listBack = GetSysColor(COLOR_WINDOW);
    FltColours.listFore = GetSysColor(COLOR_WINDOWTEXT);
    FltColours.selectBack = GetSysColor(COLOR_HIGHLIGHT);
    FltColours.selectFore = GetSysColor(COLOR_HIGHLIGHTTEXT);
}

int FltFieldText(DialogWords *d, char *buffer, int size)
{
    HWND field = d ? (HWND)d->filterWindow : nullptr;
    if (!field || !IsWindow(field))
        return -1;
    buffer[0] = 0;
    return GetWindowTextA(field, buffer, size);
}

static void Beep(void *) { MessageBeep(0x30); }

static void Sound(void *, const char *name) { WinPlaySound(name, 0, 0); }

static void Note(void *, DialogWords *d, const char *text)
{
    WinNoteBox(d ? (HWND)d->window : nullptr, 1, 0, text);
}

static int FieldText(void *, DialogWords *d, char *buffer, int size) { return FltFieldText(d, buffer, size); }

static void SelectRange(void *, DialogWords *d, int start, int end)
{
    HWND field = d ? (HWND)d->filterWindow : nullptr;
    if (!field)
        return;
    SetFocus(field);
    SendMessageA(field, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
}

static void NamedError(void *, const char *name, int start, int end) { FltShowError(name, start, end); }

static int Run(void *, QMS *location, DialogWords *d, PCFROW *row, const char *text, char **error)
{
    return RunUserCommand(location, d, row, text, error);
}

static void DestroyPopup(void *popup) { DestroyWindow((HWND)popup); }

void FltInstallWindowHooks(FLTHOOKS *h)
{
    ColFilterDestroyPopup = DestroyPopup;
    if (!h->beep)
        h->beep = Beep;
    if (!h->sound)
        h->sound = Sound;
    if (!h->noteBox)
        h->noteBox = Note;
    if (!h->fieldText)
        h->fieldText = FieldText;
    if (!h->selectRange)
        h->selectRange = SelectRange;
    if (!h->showNamedError)
        h->showNamedError = NamedError;
    if (!h->runCommand)
        h->runCommand = Run;
    FltSetHooks(h);
    if (!FltColours.listBack && !FltColours.listFore)
        FltColoursDefaults();
}
