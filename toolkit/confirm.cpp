/* The confirmation dialog DLG_CONFIRM: the question text, the modal
 * Yes/No dialog built by the dialog engine and its procedure. */
#include <windows.h>
#include <cstdio>
#include <cstring>
#include "confirm.h"
#include <richedit.h>
#include "tkutil.h"
#include "tkwin.h"
#include "tkplace.h"

DlgColourSet dlgColours;

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}

DDFieldDef DLG_CONFIRM[] = {
    ROW(DD_GROUPBOX, CONFIRM_AREA, nullptr, 4, 0),
    ROW(DD_STATIC, CONFIRM_ICON, nullptr, 2, SS_ICON),
    ROW(DD_GROUPBOX, 0, nullptr, 4, 0),
    {DD_SPACER, 0, nullptr, 0, nullptr, 0, -4, -4, -4, -4, 0},
    {DD_RICHEDIT | DDF_NEWROW, CONFIRM_QUESTION, nullptr, 1, nullptr,
     ES_READONLY | ES_MULTILINE, 0, 0, 0, 0, WS_EX_NOPARENTNOTIFY /* no client edge */},
    {DD_SPACER | DDF_NEWROW, 0, nullptr, 0, nullptr, 0, -4, -4, -4, -4, 0},
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    ROW(DD_GROUPBOX | DDF_NEWROW, CONFIRM_BAND, nullptr, 4, 0),
    ROW(DD_CHECKBOX, CONFIRM_AGAIN, "Don't show again", 0, BS_AUTOCHECKBOX),
    {DD_SPACER, 0, nullptr, 0, nullptr, 0, 2, 0, 0, 0, 0},
    ROW(DD_BUTTON | DDF_CLASS1, 1, "  Yes  ", 1, 0),
    {DD_SPACER, 0, nullptr, 0, nullptr, 0, 1, 0, 1, 0, 0},
    ROW(DD_BUTTON | DDF_CLASS1, 2, "  No  ", 1, BS_DEFPUSHBUTTON),
    {DD_SPACER, 0, nullptr, 0, nullptr, 0, 1, 0, 1, 0, 0},
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0},
};

/* the verb used as a pattern: each "%s" takes the name, "%%" is "%",
 * any other "%" stands for itself (the verb is never a printf format) */
static size_t put_format(char *out, size_t size, size_t at, const char *verb, const char *name)
{
    for (const char *p = verb; *p && at + 1 < size; p++) {
        if (p[0] == '%' && p[1] == 's') {
            for (const char *n = name; *n && at + 1 < size; n++)
                out[at++] = *n;
            p++;
        } else if (p[0] == '%' && p[1] == '%') {
            out[at++] = '%';
            p++;
        } else {
            out[at++] = *p;
        }
    }
    out[at] = 0;
    return at;
}

void WinConfirmQuestion(const char *verb, const char *name, char *out, size_t size)
{
    if (!size)
        return;
    if (!verb)
        verb = "";
    if (verb[0] == '!') {
        snprintf(out, size, "%s", verb + 1);
        return;
    }
    if (!name || !*name) {
        snprintf(out, size, "Are you sure you want to %s ?", verb);
        return;
    }
    char shown[300];
    if (strlen(name) >= 300)
        snprintf(shown, sizeof shown, "%.*s...", 295, name);
    else
        snprintf(shown, sizeof shown, "%s", name);
    if (strchr(verb, '%')) {
        size_t at = (size_t)snprintf(out, size, "Are you sure you want to ");
        if (at >= size)
            return;
        at = put_format(out, size, at, verb, shown);
        snprintf(out + at, size - at, " ? ");
        return;
    }
    snprintf(out, size, "Are you sure you want to %s '%s' ?", verb, shown);
}

/* the request of the dialog being started (one at a time: it is modal) */
static ConfirmRequest *published;

static HWND top_of(HWND w)
{
    HWND top = w;
    for (HWND p = w ? GetParent(w) : nullptr; p; p = GetParent(p))
        top = p;
    return top;
}

static void activate(HWND w)
{
    if (!w)
        return;
    if (IsIconic(w))
        ShowWindow(w, SW_RESTORE);
    SetForegroundWindow(w);
}

int WinConfirmDialog(ConfirmRequest *rq)
{
    HWND focus = GetFocus();
    if (rq->option && !(*rq->option & rq->mask)) {
        if (focus)
            SetFocus(focus);
        return 1;
    }
    published = rq;
    if (!rq->icon)
        rq->icon = 32514;
    rq->topOwner = top_of(rq->owner);
    WinConfirmQuestion(rq->verb, rq->name, rq->question, sizeof rq->question);
    rq->answer = 0;
    DDDialogBox(DLG_CONFIRM, "DLG_CONFIRM", rq->topOwner, WinConfirmDlgProc);
    published = nullptr;
    if (rq->owner) {
        activate(rq->topOwner);
        if (rq->owner != rq->topOwner)
            SetFocus(rq->owner);
    } else {
        activate(tkHost.mainWindow);
    }
    if (focus && IsWindow(focus))
        SetFocus(focus);
    return rq->answer == 1;
}

int WinConfirm(HWND owner, uint32_t nameChanged, const char *verb, const char *name,
               uint32_t *option, uint32_t mask)
{
    ConfirmRequest rq;
    memset(&rq, 0, sizeof rq);
    rq.owner = owner;
    rq.nameChanged = nameChanged;
    rq.verb = verb;
    rq.name = name;
    rq.option = option;
    rq.mask = mask;
    return WinConfirmDialog(&rq);
}

static void confirm_colours(HWND hwnd, DDHANDLE dd)
{
    if (dlgColours.brush)
        SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
    static const int area[] = {CONFIRM_AREA, CONFIRM_QUESTION, CONFIRM_ICON};
    for (int id : area)
        DDSetFieldColours(dd, 0, id, 0, 0, dlgColours.text, dlgColours.back, dlgColours.brush);
    DDSetFieldColours(dd, DD_GROUPBOX, 0, 0, 0, dlgColours.text, dlgColours.back, dlgColours.brush);
    DDSetFieldColours(dd, DD_GROUPBOX, CONFIRM_BAND, 0, 0, dlgColours.bandText,
                      dlgColours.bandBack, dlgColours.bandBrush);
    DDSetFieldColours(dd, DD_BUTTON, 0, 0, 0, dlgColours.bandText, dlgColours.bandBack,
                      dlgColours.bandBrush);
    DDSetFieldColours(dd, DD_CHECKBOX, 0, 0, 0, dlgColours.bandText, dlgColours.bandBack,
                      dlgColours.bandBrush);
    if (dlgColours.back)
        DDSendFieldMsg(dd, CONFIRM_QUESTION, EM_SETBKGNDCOLOR, 0, (LPARAM)*dlgColours.back);
}

static void init_dialog(HWND hwnd, ConfirmRequest *rq)
{
    DDHANDLE dd = DDModalHandle;
    rq->dialog = dd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)rq);
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(rq->icon));
    DDSendFieldMsg(dd, CONFIRM_ICON, STM_SETICON, (WPARAM)icon, 0);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
    const char *caption = rq->caption ? rq->caption
                          : rq->nameChanged ? "Ravolt - Object name has changed"
                                            : "Ravolt - Confirmation";
    SetWindowTextA(hwnd, caption);
    DDSetFieldValue(dd, CONFIRM_QUESTION, rq->question);
    dd->sizesValid = 0;
    if (!rq->option) {
        int id = CONFIRM_AGAIN;
        DDShowFields(dd, &id, 1, 0, 0);
    }
    SIZE need;
    DDCalcMinSize(dd, &need);
    HDC dc = GetDC(hwnd);
    NONCLIENTMETRICSA ncm = {sizeof ncm};
    HFONT cf = nullptr;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        cf = CreateFontIndirectA(&ncm.lfCaptionFont);
    HGDIOBJ old = SelectObject(dc, cf ? (HGDIOBJ)cf : GetStockObject(SYSTEM_FONT));
    SIZE cs;
    GetTextExtentPoint32A(dc, caption, lstrlenA(caption), &cs);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    if (cf)
        DeleteObject(cf);
    int width = need.cx;
    int captionWidth = cs.cx + 5 * GetSystemMetrics(SM_CXSIZE);
    if (captionWidth > width)
        width = captionWidth;
    RECT rc = {0, 0, width, need.cy};
    AdjustWindowRectEx(&rc, GetWindowLongA(hwnd, GWL_STYLE), FALSE, GetWindowLongA(hwnd, GWL_EXSTYLE));
    SetWindowPos(hwnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (rq->owner)
        WinCentreOverWindow(hwnd, rq->topOwner);
    HWND no = DDGetFieldWindow(dd, 2, 0);
    if (no)
        SetFocus(no);
}

INT_PTR CALLBACK WinConfirmDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM)
{
    ConfirmRequest *rq = (ConfirmRequest *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    DDHANDLE dd = rq ? rq->dialog : DDModalHandle;
    switch (msg) {
    case WM_INITDIALOG:
        if (!published)
            return TRUE;
        init_dialog(hwnd, published);
        return FALSE;   /* the focus is set */
    case WM_COMMAND:
        if (!rq)
            break;
        switch (LOWORD(wp)) {
        case 1: case 2:
            rq->answer = LOWORD(wp);
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            return TRUE;
        case CONFIRM_AGAIN:
            if (HIWORD(wp) == BN_CLICKED && rq->option) {
                if (DDGetCheck(dd, CONFIRM_AGAIN))
                    *rq->option &= ~rq->mask;
                else
                    *rq->option |= rq->mask;
                if (tkHost.mainWindow)
                    PostMessageA(tkHost.mainWindow, UM_SAVESETTINGS, 0, 0);
            }
            return TRUE;
        }
        break;
    case WM_CLOSE:
        if (rq)
            activate(rq->topOwner);
        EndDialog(hwnd, rq ? rq->answer : 0);
        return TRUE;
    case UM_NEWFONT:
        if (dd && winFonts.mainFont)
            DDSetFont(dd, winFonts.mainFont);
        return TRUE;
    case UM_COLOURSCHANGED:
        if (dd)
            confirm_colours(hwnd, dd);
        return TRUE;
    }
    return FALSE;
}
