/* Code pages, Windows half: the system's code-page conversion and the
 * measurement of drawn character widths. */
#include "cscpint.h"

#include <windows.h>

int CSCpSysHas(int codepage)
{
    return codepage > 0 && codepage < 65536 && IsValidCodePage((UINT)codepage);
}

/* Code pages that take no conversion flags at all. */
static int NoFlags(int codepage)
{
    return codepage == 42 || codepage == 65000 || codepage == 65001 ||
           (codepage >= 50220 && codepage <= 50229 && codepage != 50223 &&
            codepage != 50224 && codepage != 50226 && codepage != 50228) ||
           (codepage >= 57002 && codepage <= 57011);
}

int CSCpSysDecode(int codepage, unsigned char byte, uint16_t *unit)
{
    DWORD flags = NoFlags(codepage) ? 0 : MB_ERR_INVALID_CHARS;
    if (codepage == 65001)
        flags = MB_ERR_INVALID_CHARS;
    WCHAR w[2];
    int n = MultiByteToWideChar((UINT)codepage, flags, (LPCSTR)&byte, 1, w, 2);
    if (n != 1)
        return 0;
    *unit = w[0];
    return 1;
}

/* Asks the encoder whether it used the default character (also when the
 * caller gave none: the system would otherwise put its own there without
 * saying), and turns best-fit look-alikes off so that only characters the
 * code page really holds convert. */
int CSCpSysEncode(int codepage, uint16_t unit, const char *defaultChar,
                  unsigned char *byte)
{
    WCHAR w = unit;
    char out[8];
    int n;
    if (NoFlags(codepage)) {
        n = WideCharToMultiByte((UINT)codepage, 0, &w, 1, out, sizeof out, nullptr, nullptr);
    } else {
        BOOL used = FALSE;
        n = WideCharToMultiByte((UINT)codepage, WC_NO_BEST_FIT_CHARS, &w, 1, out,
                                sizeof out, defaultChar, &used);
        if (used)
            return 0;
    }
    if (n != 1)
        return 0;
    *byte = (unsigned char)out[0];
    return 1;
}

void *CSCpSysMeasureBegin(void *window, void *font, void *dc)
{
    if (dc)
        return dc;
    if (!window)
        return nullptr;
    HDC hdc = GetDC((HWND)window);
    if (hdc && font)
        SelectObject(hdc, (HFONT)font);
    return hdc;
}

int CSCpSysTextWidth(void *dc, uint16_t unit)
{
    WCHAR w = unit;
    RECT r = {0, 0, 500000, 500000};
    DrawTextW((HDC)dc, &w, 1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return r.right - r.left;
}

void CSCpSysMeasureEnd(void *window, void *dc, void *givenDc)
{
    if (dc && dc != givenDc)
        ReleaseDC((HWND)window, (HDC)dc);
}
