/* Caption texts: up to three extra texts, the first that fits painted
 * right-aligned in a window's title bar. */
#include "tktoolbar.h"
#include "tkpriv.h"

static HFONT caption_font;
static int64_t caption_stamp;
static int frame_cx, frame_cy;

/* the caption font of the non-client metrics, made when missing */
static HFONT get_font(void)
{
    if (caption_font)
        return caption_font;
    NONCLIENTMETRICSA ncm;
    ncm.cbSize = sizeof ncm;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        return NULL;
    caption_font = CreateFontIndirectA(&ncm.lfCaptionFont);
    caption_stamp = (int64_t)GetTickCount64();
    frame_cx = GetSystemMetrics(SM_CXFRAME);
    frame_cy = GetSystemMetrics(SM_CYFRAME);
    return caption_font;
}

/* measure the title and the entries in the caption font */
static void measure(HWND hwnd, HDC dc, CaptionTexts *t)
{
    char title[100];
    SIZE sz;
    int n = GetWindowTextA(hwnd, title, sizeof title);
    GetTextExtentPoint32A(dc, title, n, &sz);
    t->titleWidth = (uint32_t)(sz.cx ? sz.cx : 1);
    for (CaptionEntry &e : t->entry) {
        GetTextExtentPoint32A(dc, e.text, (int)strnlen(e.text, sizeof e.text), &sz);
        e.width = (uint32_t)sz.cx;
    }
    t->fontStamp = caption_stamp;
}

/* the room beside the title and the chosen entry */
static int choose(HWND hwnd, HDC dc, CaptionTexts *t, RECT *bar, int *room)
{
    if (t->fontStamp != caption_stamp || t->titleWidth == 0)
        measure(hwnd, dc, t);
    TITLEBARINFO tbi;
    tbi.cbSize = sizeof tbi;
    if (!GetTitleBarInfo(hwnd, &tbi))
        return -1;
    *bar = tbi.rcTitleBar;
    *room = bar->right - 3 * GetSystemMetrics(SM_CXSIZE) - bar->left - 2 * frame_cx;
    const char *texts[3] = {t->entry[0].text, t->entry[1].text, t->entry[2].text};
    uint32_t widths[3] = {t->entry[0].width, t->entry[1].width, t->entry[2].width};
    return CaptionChooseEntry(widths, texts, (int32_t)t->titleWidth, *room);
}

static void paint_texts(HWND hwnd, CaptionTexts *t)
{
    HFONT font = get_font();
    HDC dc = GetWindowDC(hwnd);
    if (!font || !dc) {
        if (dc) ReleaseDC(hwnd, dc);
        return;
    }
    HGDIOBJ old = SelectObject(dc, font);
    RECT bar;
    int room;
    int i = choose(hwnd, dc, t, &bar, &room);
    if (i >= 0) {
        RECT wr;
        GetWindowRect(hwnd, &wr);
        int right = room + GetSystemMetrics(SM_CXSIZE) + 2 * frame_cx;
        RECT r = {right - (int)t->entry[i].width, frame_cy, right, frame_cy + (bar.bottom - bar.top)};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(t->active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        DrawTextA(dc, t->entry[i].text, -1, &r, DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
}

int CaptionChosen(HWND hwnd, CaptionTexts *t)
{
    HFONT font = get_font();
    HDC dc = GetWindowDC(hwnd);
    if (!font || !dc) {
        if (dc) ReleaseDC(hwnd, dc);
        return -1;
    }
    HGDIOBJ old = SelectObject(dc, font);
    RECT bar;
    int room;
    int i = choose(hwnd, dc, t, &bar, &room);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return i;
}

LRESULT CaptionDefWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, CaptionTexts *t, int *handled)
{
    LRESULT r = 0;
    *handled = 0;
    switch (msg) {
    case WM_SETTEXT:
        t->titleWidth = 0;
        /* fall through */
    case WM_NCPAINT:
        r = DefWindowProcA(hwnd, msg, wp, lp);
        paint_texts(hwnd, t);
        *handled = 1;
        break;
    case WM_NCACTIVATE:
        t->active = (uint32_t)wp;
        r = DefWindowProcA(hwnd, msg, wp, lp);
        paint_texts(hwnd, t);
        *handled = 1;
        break;
    case WM_SETTINGCHANGE:
        if (wp == SPI_SETNONCLIENTMETRICS && caption_font &&
            (int64_t)GetTickCount64() - caption_stamp >= 3000) {
            DeleteObject(caption_font);
            caption_font = NULL;
        }
        break;
    }
    return r;
}
