/* Window utilities: error boxes, fonts and metrics, drawing primitives,
 * value-table combo boxes, sounds, posted texts and tree-wide fonts. */
#include "tkwin.h"
#include "tkutil.h"
#include "tkpriv.h"
#include "prfdata.h"
#include <cstdio>
#include <ctime>
#include <mmsystem.h>
#include <commdlg.h>

WinFontState winFonts;
static SoundGate sound_gate;
static WinClock sound_clock;
static WinSoundPlayer sound_player;

int WinOpErrorEx(HWND, const char *text, int okCancel)
{
    DWORD code = GetLastError();
    char *sys = NULL;
    char box[500];
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                   FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&sys, 0, NULL);
    WinOpErrorText(box, sizeof box, text, (long)code, sys);
    int r = UtilMessageBox(NULL, box, "Operational Error",
                           MB_ICONEXCLAMATION | (okCancel ? MB_OKCANCEL : MB_OK));
    if (sys)
        LocalFree(sys);
    return r == IDCANCEL;
}

int WinOpError(const char *text)
{
    return WinOpErrorEx(NULL, text, 0);
}

int WinNoteBox(HWND owner, int error, int okCancel, const char *text)
{
    UINT type = (error ? MB_ICONEXCLAMATION : MB_ICONINFORMATION) | (okCancel ? MB_OKCANCEL : MB_OK);
    return UtilMessageBox(owner, text, error ? "Operation Error" : "Information", type) == IDCANCEL;
}

void WinNotAvailable(HWND owner, const char *what)
{
    char text[200];
    snprintf(text, sizeof text, "%s is not available in this build", what);
    WinNoteBox(owner, 1, 0, text);
}

void WinFieldError(HWND field, const char *text)
{
    UtilMessageBox(NULL, text, "Field error", MB_ICONEXCLAMATION | MB_OK);
    if (field)
        SetFocus(field);
}

/* a LOGFONT from a description */
static void logfont_from(const FontDesc *d, LOGFONTA *lf, int32_t height)
{
    memset(lf, 0, sizeof *lf);
    lf->lfHeight = height;
    lf->lfWeight = strstr(d->style, "Bold") ? 700 : 400;
    lf->lfItalic = strstr(d->style, "Italic") != NULL;
    lf->lfUnderline = d->underline;
    lf->lfStrikeOut = d->strikeout;
    lf->lfCharSet = tkHost.oemCharset ? OEM_CHARSET : (BYTE)d->charset;
    lstrcpynA(lf->lfFaceName, d->face, LF_FACESIZE);
}

/* a font's metrics, measured in a window's device context (null: the screen) */
static void font_metrics(HWND hwnd, HFONT font, TEXTMETRICA *tm)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font);
    GetTextMetricsA(dc, tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
}

/* whether a font is fixed-pitch (TMPF_FIXED_PITCH clear) */
static uint32_t measure_fixed(HFONT font)
{
    TEXTMETRICA tm;
    font_metrics(NULL, font, &tm);
    return (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) ? 0 : 1;
}

int WinCreateFontFromDesc(FontDesc *d, HFONT *font)
{
    LOGFONTA lf;
    if (*font)
        DeleteObject(*font);
    logfont_from(d, &lf, d->height);
    *font = CreateFontIndirectA(&lf);
    if (*font)
        d->fixedPitch = measure_fixed(*font);
    return *font != NULL;
}

int WinCreateFonts(void)
{
    LOGFONTA lf;
    if (!WinCreateFontFromDesc(&winFonts.mainDesc, &winFonts.mainFont))
        return 0;
    if (winFonts.smallFont)
        DeleteObject(winFonts.smallFont);
    logfont_from(&winFonts.mainDesc, &lf, (int32_t)(winFonts.mainDesc.height * 4.0 / 5 - 0.5));
    winFonts.smallFont = CreateFontIndirectA(&lf);
    WinMeasureFont();
    return 1;
}

/* text width of a short piece on a DC */
static int piece_width(HDC dc, const char *t)
{
    return WinTextWidth(dc, t, -1);
}

void WinMeasureFont(void)
{
    HDC dc = GetDC(tkHost.mainWindow);
    if (!dc)
        return;
    HFONT small = winFonts.smallFont ? winFonts.smallFont : winFonts.mainFont;
    HGDIOBJ old = SelectObject(dc, small ? small : GetStockObject(DEFAULT_GUI_FONT));
    WinGetTextSize(dc, &winFonts.smallCharWidth, &winFonts.smallLineHeight);
    if (winFonts.mainFont)
        SelectObject(dc, winFonts.mainFont);
    WinGetTextSize(dc, &winFonts.mainCharWidth, &winFonts.mainLineHeight);
    winFonts.widestDigit = 0;
    for (int i = 0; i < 10; i++) {
        char d[2] = {(char)('0' + i), 0};
        winFonts.digitWidth[i] = piece_width(dc, d);
        if (winFonts.digitWidth[i] > winFonts.widestDigit)
            winFonts.widestDigit = winFonts.digitWidth[i];
    }
    winFonts.width99Less = piece_width(dc, "99") - 2 * winFonts.digitWidth[9];
    winFonts.separator[4] = 0;
    winFonts.separatorWidth = piece_width(dc, winFonts.separator);
    winFonts.dashWidth = piece_width(dc, "-");
    SelectObject(dc, old);
    ReleaseDC(tkHost.mainWindow, dc);
}

/* whether a face with a height can be made */
static int try_face(FontDesc *d, const char *face, int32_t height)
{
    LOGFONTA lf;
    lstrcpynA(d->face, face, sizeof d->face);
    d->height = height;
    logfont_from(d, &lf, height);
    HFONT f = CreateFontIndirectA(&lf);
    if (!f)
        return 0;
    DeleteObject(f);
    return 1;
}

void WinDefaultFont(FontDesc *d)
{
    memset(d, 0, sizeof *d);
    strcpy(d->style, "Regular");
    NONCLIENTMETRICSA ncm;
    ncm.cbSize = sizeof ncm;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0) &&
        ncm.lfMessageFont.lfFaceName[0]) {
        lstrcpynA(d->face, ncm.lfMessageFont.lfFaceName, sizeof d->face);
        d->height = ncm.lfMessageFont.lfHeight;
        d->charset = ncm.lfMessageFont.lfCharSet;
        return;
    }
    HDC dc = GetDC(NULL);
    int32_t h = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    d->size = 8;
    if (!try_face(d, "Tahoma", h) && !try_face(d, "Arial", h)) {
        TEXTMETRICA tm;
        GetTextFaceA(dc, sizeof d->face, d->face);
        d->height = GetTextMetricsA(dc, &tm) && tm.tmHeight ? tm.tmHeight : 10;
    }
    ReleaseDC(NULL, dc);
}

int WinChooseFont(HWND owner, int effects, int fixedOnly, FontDesc *d, HFONT *font)
{
    LOGFONTA lf;
    logfont_from(d, &lf, d->height);
    CHOOSEFONTA cf;
    memset(&cf, 0, sizeof cf);
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST | CF_NOVERTFONTS;
    if (fixedOnly)
        cf.Flags |= CF_FIXEDPITCHONLY;
    if (effects) {
        cf.Flags |= CF_EFFECTS;
        cf.rgbColors = d->colour;
    }
    if (!ChooseFontA(&cf))
        return 0;
    d->height = lf.lfHeight;
    d->size = cf.iPointSize / 10;
    lstrcpynA(d->face, lf.lfFaceName, sizeof d->face);
    d->charset = lf.lfCharSet;
    snprintf(d->style, sizeof d->style, "%s", lf.lfWeight >= 700 ? (lf.lfItalic ? "Bold Italic" : "Bold")
                                                 : (lf.lfItalic ? "Italic" : "Regular"));
    if (effects) {
        d->colour = cf.rgbColors;
        d->underline = lf.lfUnderline;
        d->strikeout = lf.lfStrikeOut;
    }
    if (font)
        WinCreateFontFromDesc(d, font);
    return 1;
}

void WinGetTextSize(HDC dc, int *cw, int *lh)
{
    TEXTMETRICA tm;
    if (!GetTextMetricsA(dc, &tm)) {
        *cw = *lh = 0;
        return;
    }
    *cw = tm.tmAveCharWidth;
    *lh = tm.tmAscent + tm.tmDescent;
}

void WinGetCharSize(HWND hwnd, HFONT font, int *cw, int *lh)
{
    HDC dc = GetDC(hwnd);
    *cw = *lh = 0;
    if (!dc)
        return;
    HGDIOBJ old = font ? SelectObject(dc, font) : NULL;
    WinGetTextSize(dc, cw, lh);
    if (old)
        SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
}

int WinTextWidth(HDC dc, const char *text, int length)
{
    if (!text || length == 0 || (length < 0 && !*text))
        return 0;
    RECT rc = {0, 0, 50000, 50000};
    if (!DrawTextA(dc, text, length, &rc, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE)) {
        WinOpError("WinDrawText failed");
        return 0;
    }
    return rc.right - rc.left;
}

void WinDrawEdges(HDC dc, const RECT *rc, HPEN light, HPEN dark)
{
    HGDIOBJ old = SelectObject(dc, light);
    MoveToEx(dc, rc->right - 1, rc->top, NULL);
    LineTo(dc, rc->left, rc->top);
    LineTo(dc, rc->left, rc->bottom);
    SelectObject(dc, dark);
    MoveToEx(dc, rc->right - 1, rc->top, NULL);
    LineTo(dc, rc->right - 1, rc->bottom - 1);
    LineTo(dc, rc->left - 1, rc->bottom - 1);
    SelectObject(dc, old);
}

void WinDrawArrow(HDC dc, HPEN first, HPEN second, int filled, COLORREF fill, int dir,
                  POINT c, SIZE size)
{
    int w = size.cx / 2, h = size.cy / 2;
    POINT p[4];
    int n = 3;
    switch (dir) {
    case 2: p[0] = {c.x + w, c.y - h}; p[1] = {c.x + w, c.y + h}; p[2] = {c.x - w, c.y}; break;
    case 3: p[0] = {c.x, c.y - h}; p[1] = {c.x + w, c.y + h}; p[2] = {c.x - w, c.y + h}; break;
    case 4: p[0] = {c.x + w, c.y - h}; p[1] = {c.x, c.y + h}; p[2] = {c.x - w, c.y - h}; break;
    case 5:
        p[0] = {c.x + w, c.y - h}; p[1] = {c.x + w, c.y + h};
        p[2] = {c.x - w, c.y + h}; p[3] = {c.x - w, c.y - h}; n = 4; break;
    case 6:
        p[0] = {c.x, c.y - h}; p[1] = {c.x + w, c.y}; p[2] = {c.x, c.y + h}; p[3] = {c.x - w, c.y};
        n = 4; break;
    default: p[0] = {c.x - w, c.y - h}; p[1] = {c.x + w, c.y}; p[2] = {c.x - w, c.y + h}; break;
    }
    HGDIOBJ oldPen = SelectObject(dc, first);
    if (filled) {
        HBRUSH b = CreateSolidBrush(fill);
        HGDIOBJ ob = SelectObject(dc, b);
        HGDIOBJ np = SelectObject(dc, GetStockObject(NULL_PEN));
        Polygon(dc, p, n);
        SelectObject(dc, np);
        SelectObject(dc, ob);
        DeleteObject(b);
    }
    /* the first edges with the first pen, the rest with the second */
    int firstEdges = n == 4 ? 2 : 1;
    for (int i = 0; i < n; i++) {
        SelectObject(dc, i < firstEdges ? first : second);
        MoveToEx(dc, p[i].x, p[i].y, NULL);
        LineTo(dc, p[(i + 1) % n].x, p[(i + 1) % n].y);
    }
    SelectObject(dc, oldPen);
}

void WinComboFill(HWND combo, const WinValueRow *t, int64_t value)
{
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; t && t[i].name && t[i].name[0]; i++) {
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)t[i].name);
        if (t[i].value == value)
            SendMessageA(combo, CB_SETCURSEL, i, 0);
    }
}

const WinValueRow *WinComboGetSel(HWND combo, const WinValueRow *t)
{
    LRESULT sel = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (sel < 0 || !t)
        return NULL;
    for (LRESULT i = 0; t[i].name && t[i].name[0]; i++)
        if (i == sel)
            return &t[i];
    return NULL;
}

void WinSetSoundHooks(WinClock clock, WinSoundPlayer player)
{
    sound_clock = clock;
    sound_player = player;
    memset(&sound_gate, 0, sizeof sound_gate);
}

/* play through the hook or the system */
static void play(int kind, const char *name)
{
    if (sound_player)
        sound_player(kind, name);
    else if (kind == 0)
        MessageBeep(MB_ICONEXCLAMATION);
    else
        PlaySoundA(name, NULL, (kind == 1 ? SND_ALIAS : SND_FILENAME) | SND_ASYNC);
}

void WinPlaySound(const char *name, int alert, int force)
{
    if (!name || strcmp(name, "none") == 0)
        return;
    int64_t now = sound_clock ? sound_clock() : (int64_t)time(NULL);
    SoundTimes times;                   /* the profile's "st", as Preferences last stored it */
    SoundParseTimes(Prf.st, &times);
    if (!force && !SoundGateAllow(&sound_gate, &times, alert, now))
        return;
    if (strcmp(name, "beep") == 0)
        play(0, name);
    else if (name[0] == '<')
        play(1, name + 1);
    else
        play(2, name);
}

void WinPostText(const char *text, WPARAM word)
{
    if (!tkHost.mainWindow)
        return;
    size_t n = text ? strlen(text) : 0;
    char *copy = (char *)CSGetMem(n + 1, "msg");
    if (!copy)
        return;
    memcpy(copy, text ? text : "", n + 1);
    if (!PostMessageA(tkHost.mainWindow, FRM_TEXT, word, (LPARAM)copy))
        CSFreeMem(copy);
}

/* one window of the tree: the font, and the item height of list boxes */
static BOOL CALLBACK WinSetChildFontProc(HWND hwnd, LPARAM lp)
{
    HFONT font = (HFONT)lp;
    SendMessageA(hwnd, WM_SETFONT, (WPARAM)font, TRUE);
    WinFitListBoxToFont(hwnd, font);
    return TRUE;
}

void WinFitListBoxToFont(HWND hwnd, HFONT font)
{
    char cls[16];
    if (!GetClassNameA(hwnd, cls, sizeof cls) || lstrcmpiA(cls, "ListBox") != 0)
        return;
    TEXTMETRICA tm;
    font_metrics(hwnd, font, &tm);
    SendMessageA(hwnd, LB_SETITEMHEIGHT, 0, MAKELPARAM(tm.tmAscent + tm.tmDescent, 0));
}

void WinSetChildFonts(HWND hwnd, HFONT font)
{
    WinSetChildFontProc(hwnd, (LPARAM)font);
    EnumChildWindows(hwnd, WinSetChildFontProc, (LPARAM)font);
}

void WinInvalidate(HWND hwnd)
{
    if (hwnd)
        InvalidateRect(hwnd, NULL, TRUE);
}
