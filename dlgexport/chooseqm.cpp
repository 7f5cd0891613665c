/* Choose Queue Manager (DLG_COMMANDDLG): a modal dialog in which the user
 * picks or types the queue-manager name a command dialog works with.  It
 * is shown once per generation of the asking dialog; the last answer
 * stands until the generation changes. */
#include "expwin.h"

#include <cstdio>
#include <cstring>

#include "cs.h"
#include "locstore.h"
#include "tkwin.h"

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

DDFieldDef DLG_COMMANDDLG[] = {
    {DD_SPACER, 0, nullptr, 0, nullptr, 0, 0, 1, 0, 1, 0},
    ROW(DD_STATIC | DDF_NEWROW, 0, "Queue Manager Name", 0, 0),
    ROW(DD_COMBOBOX | DDF_NEWROW, CQM_NAME, "", 48, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL),
    {DD_SPACER | DDF_NEWROW, 0, nullptr, 0, nullptr, 0, 0, 1, 0, 1, 0},
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, 1, "OK", 1, BS_DEFPUSHBUTTON),
    ROW(DD_BUTTON | DDF_CLASS2, 2, "Cancel", 1, 0),
    END};

/* Kept for the program's life: the last name, the generation it answered,
 * the dialog's last size. */
static char chosenName[50];
static uint32_t savedGeneration = 0xFFFFFFFF;
static int chosenAnswer;
static int savedCx, savedCy;

/* OK is enabled exactly while the name is not empty. */
static void enable_ok(void)
{
    char text[50];
    DDGetFieldText(DDModalHandle, CQM_NAME, text, sizeof text);
    DDEnableField(DDModalHandle, 1, text[0] != 0, 0);
}

static void on_init(HWND hwnd)
{
    DDHANDLE dd = DDModalHandle;
    if (winFonts.mainFont)
        DDSetFont(dd, winFonts.mainFont);
    SetWindowTextA(hwnd, "Choose Queue Manager");
    int cw, ch;
    WinGetCharSize(hwnd, winFonts.mainFont, &cw, &ch);
    int cx = savedCx ? savedCx : 60 * cw, cy = savedCy ? savedCy : 7 * ch;
    if (savedCx) {
        cx = cx < 30 * cw ? 30 * cw : cx;
        cy = cy < 6 * ch ? 6 * ch : cy;
    }
    SetWindowPos(hwnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND combo = DDGetFieldWindow(dd, CQM_NAME, 1);
    if (combo) {
        SendMessageA(combo, CB_LIMITTEXT, 49, 0);
        for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
            SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)((QMS *)e)->qmName);
        SetWindowTextA(combo, chosenName);
        SetFocus(combo);
    }
    enable_ok();
}

INT_PTR CALLBACK ChooseQMgrProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        on_init(hwnd);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case 1: {
            char text[50];
            DDGetFieldText(DDModalHandle, CQM_NAME, text, sizeof text);
            if (text[0]) {
                snprintf(chosenName, sizeof chosenName, "%s", text);
                chosenAnswer = 1;
                PostMessageA(hwnd, WM_CLOSE, 0, 0);
            }
            return TRUE;
        }
        case 2:
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            return TRUE;
        case CQM_NAME:
            if (HIWORD(wp) == CBN_SELCHANGE || HIWORD(wp) == CBN_EDITCHANGE)
                PostMessageA(hwnd, UM_CQM_CHANGED, 0, 0);
            return TRUE;
        }
        break;
    case UM_CQM_CHANGED:
        enable_ok();
        return TRUE;
    case WM_SIZE: {
        RECT rc;
        GetWindowRect(hwnd, &rc);
        if (rc.right > rc.left) {
            savedCx = rc.right - rc.left;
            savedCy = rc.bottom - rc.top;
        }
        return FALSE;
    }
    case WM_CLOSE:
        EndDialog(hwnd, 0);
        return TRUE;
    }
    return FALSE;
}

int ChooseQMgrDialog(HWND owner, char *name, uint32_t generation)
{
    if (generation != savedGeneration) {
        savedGeneration = generation;
        chosenAnswer = 0;
        if (DDDialogBox(DLG_COMMANDDLG, "DLG_COMMANDDLG", owner, ChooseQMgrProc) < 0)
            return 0;
    }
    if (!chosenAnswer)
        return 0;
    snprintf(name, 50, "%s", chosenName);
    return 1;
}
