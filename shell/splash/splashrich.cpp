/* The rich edit splash window (class TK47_RICHEDIT): a top-most window
 * whose rich edit control shows a text or rich-text file, or the error
 * window's reason, with every character protected against change and
 * links that open when clicked. */
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>

#include "splashint.h"
#include "qms.h"
#include "tkwin.h"

static const char windowClass[] = "TK47_RICHEDIT";
static const char *controlClass;    /* the rich edit class loaded */

int RichEditRegisterClass(HWND)
{
    static int registered;
    if (registered)
        return 1;
    if (LoadLibraryA("Msftedit.dll"))
        controlClass = "RICHEDIT50W";
    else if (LoadLibraryA("Riched32.dll"))
        controlClass = "RichEdit20A";
    else
        return 0;
    if (!SplashRegisterWindowClass(windowClass, SplashRichEditProc))
        return 0;
    registered = 1;
    return 1;
}

/* EDITSTREAM callback: the next bytes of the file */
static DWORD CALLBACK RichEditStreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG *got)
{
    *got = (LONG)fread(buffer, 1, (size_t)size, (FILE *)cookie);
    return 0;
}

static void stream_file(HWND control, const char *file, int rtf)
{
    FILE *f = fopen(file, "rb");
    if (!f)
        return;
    EDITSTREAM es = {};
    es.dwCookie = (DWORD_PTR)f;
    es.pfnCallback = RichEditStreamIn;
    SendMessageA(control, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, (LPARAM)&es);
    fclose(f);
}

/* the text of a clicked link, in the ANSI code page (at most 500 bytes) */
static void open_link(HWND hwnd, const ENLINK *link)
{
    char target[501];
    LONG n = link->chrg.cpMax - link->chrg.cpMin;
    if (n <= 0)
        return;
    if (n > 500)
        n = 500;
    if (IsWindowUnicode(link->nmhdr.hwndFrom)) {
        WCHAR wide[501];
        TEXTRANGEW tr = {{link->chrg.cpMin, link->chrg.cpMin + n}, wide};
        LRESULT got = SendMessageW(link->nmhdr.hwndFrom, EM_GETTEXTRANGE, 0, (LPARAM)&tr);
        int k = WideCharToMultiByte(CP_ACP, 0, wide, (int)got, target, 500, nullptr, nullptr);
        target[k > 0 ? k : 0] = 0;
    } else {
        TEXTRANGEA tr = {{link->chrg.cpMin, link->chrg.cpMin + n}, target};
        LRESULT got = SendMessageA(link->nmhdr.hwndFrom, EM_GETTEXTRANGE, 0, (LPARAM)&tr);
        target[got > 0 && got <= 500 ? got : 0] = 0;
    }
    if (target[0])
        ShellOpenLink(hwnd, target);
}

/* WM_NOTIFY: changes refused, links opened on a left button press */
static LRESULT notify(HWND hwnd, const NMHDR *nm)
{
    if (nm->code == EN_PROTECTED)
        return 1;
    if (nm->code == EN_LINK && ((const ENLINK *)nm)->msg == WM_LBUTTONDOWN)
        open_link(hwnd, (const ENLINK *)nm);
    return 0;
}

LRESULT CALLBACK SplashRichEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    QMS *location = (QMS *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    switch (msg) {
    case WM_CREATE:
        location = (QMS *)((CREATESTRUCTA *)lp)->lpCreateParams;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)location);
        if (location)
            location->splashWindow = hwnd;
        return 0;
    case WM_SIZE:
        MoveWindow(GetDlgItem(hwnd, SPLASH_CONTROL), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_NOTIFY:
        return notify(hwnd, (const NMHDR *)lp);
    case WM_DESTROY:
        if (location && location->splashWindow == hwnd)
            location->splashWindow = nullptr;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* every character protected, so that EN_PROTECTED refuses each change
 * (the control is also made read-only: not every rich edit asks before a
 * paste or a deletion) */
static void protect_all(HWND control)
{
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_PROTECTED;
    cf.dwEffects = CFE_PROTECTED;
    SendMessageA(control, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&cf);
}

HWND SplashRichWindow(HWND owner, const char *title, QMS *location, const char *file,
                      const char *errorText, PlaceRect r)
{
    if (!RichEditRegisterClass(owner)) {
        WinOpError("Can not create rich edit control");
        return nullptr;
    }
    HWND w = CreateWindowExA(0, windowClass, title, WS_OVERLAPPEDWINDOW, r.x, r.y, r.cx, r.cy,
                             nullptr, nullptr, GetModuleHandleA(nullptr), location);
    if (!w) {
        WinOpError("Can not create splash window");
        return nullptr;
    }
    RECT rc;
    GetClientRect(w, &rc);
    HWND c = CreateWindowExA(0, controlClass, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE,
                             0, 0, rc.right, rc.bottom, w, (HMENU)(INT_PTR)SPLASH_CONTROL,
                             GetModuleHandleA(nullptr), nullptr);
    if (!c) {
        DestroyWindow(w);
        WinOpError("Can not create rich edit control");
        return nullptr;
    }
    HFONT font = winFonts.mainFont ? winFonts.mainFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(c, WM_SETFONT, (WPARAM)font, FALSE);
    SendMessageA(c, EM_SETEVENTMASK, 0, ENM_LINK | ENM_PROTECTED);
    SendMessageA(c, EM_AUTOURLDETECT, TRUE, 0);
    SendMessageA(c, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    SendMessageA(c, 1074, 15, 0);
    SendMessageA(c, 1228, file ? 15 : 1, 0);
    if (file)
        stream_file(c, file, SplashKindOf(file) == SPLASH_RTF);
    else
        SetWindowTextA(c, errorText);
    protect_all(c);
    SendMessageA(c, EM_SETREADONLY, TRUE, 0);
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);
    return w;
}
