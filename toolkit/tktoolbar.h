/* The program's toolbar (class TBCTL): rows of image buttons,
 * separators, spacers and stretchable gaps with hot tracking, check
 * buttons in exclusive groups, a shared tooltip and frame bands; and the
 * extra caption texts painted in a window's title bar. ToolbarButton and
 * its TBB_* flags are in tklogic.h. */
#pragma once

#include <windows.h>
#include "tklogic.h"

#define TB_CLASS "TBCTL"

/* bar style bits */
enum {
    TBS_FLAT = 0x1, TBS_NOHOT = 0x2, TBS_HOTBUMP = 0x4,
    TBS_BOTTOMBANDS = 0xF8, TBS_TOPBANDS = 0x1F00
};

HWND TbCreate(HWND parent, uint32_t style, int count, const ToolbarButton *buttons);
int TbGetHeight(HWND bar);
/* The height the bar needs at a width, its buttons wrapped onto rows. */
int TbHeightFor(HWND bar, int width);
void TbSetBrushes(HWND bar, HBRUSH *light, HBRUSH *middle, HBRUSH *dark);
void TbSetButtonData(HWND bar, int32_t id, HBITMAP normal, HBITMAP pressed, HBITMAP alternate);
void TbSetButtonState(HWND bar, int32_t id, int ticked);
void TbEnableButton(HWND bar, int32_t id, int enable);
void TbSetColour(HWND bar, COLORREF colour);
void TbSetStyle(HWND bar, uint32_t style);
/* The buttons after creation (widths in pixels), for the window's own use
 * and tests; null for another window. */
const ToolbarButton *TbButtons(HWND bar, int *count);

struct CaptionEntry {
    uint32_t width;
    char text[52];
};
struct CaptionTexts {
    uint32_t active;
    int64_t fontStamp;
    uint32_t titleWidth;        /* 0 = measure again */
    CaptionEntry entry[3];
};

LRESULT CaptionDefWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, CaptionTexts *texts, int *handled);
/* The entry CaptionDefWindowProc would draw now (-1 none), for tests. */
int CaptionChosen(HWND hwnd, CaptionTexts *texts);
