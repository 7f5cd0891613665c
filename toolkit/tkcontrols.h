/* The program's own controls: class registration, the list box family
 * (ZKTLISTBOX and its companions), frame, progress bar, button,
 * selection box and drop tip. Messages and notification codes of the
 * family and the blocks they carry. */
#pragma once

#include <windows.h>
#include <cstdint>

#define ZKT_LISTBOX      "ZKTLISTBOX"
#define ZKT_BUDDYLIST    "ZKTBUDDYLIST"
#define ZKT_TITLELIST    "ZKTTITLELIST"
#define ZKT_TITLE        "ZKTTITLE"
#define ZKT_TITLEBUDDY   "ZKTTITLEBUDDY"
#define ZKT_SPLITLIST    "ZKTSPLITLIST"
#define ZKT_PROGRESS     "ZKTPROGRESS"
#define ZKT_FRAME        "ZKTFRAME"
#define ZKT_SELECTIONBOX "ZKTSELECTIONBOX"
#define ZKT_BUTTON       "ZKTBUTTON"
#define ZKT_DROPTIP      "ZKTDROPTIP"

/* The private messages of the list family (LBM_*) are in ravoltids.h. */
#include "ravoltids.h"

/* CtlNotify: notification codes of the controls (list box, selection box). */
enum CtlNotify {
    CN_HSCROLLOPTION = 6024, CN_EMPTYSELECTION = 6025, CN_DRAGOUT = 6026, CN_DROP = 6027,
    CN_ALLOWDRAG = 6028, CN_DRAGBACK = 6029, CN_OPTIONS = 6030, CN_FILTER = 6031,
    CN_SELSTYLE = 6032, CN_ACCEPT = 6033, CN_BUTTON = 6034, CN_CANCEL = 6035,
    CN_RESUBCLASS = 6036, CN_HOVER = 6037, CN_HOVEREND = 6038
};

/* ZKTBUTTON: wParam non-zero of ZKTBM_DISABLEDLOOK gives the button its
 * disabled look. */

/* Options of CN_OPTIONS. */
enum { LBO_KEEPALL = 1, LBO_HOVER = 2 };

#ifndef LB_GETITEMHEIGHT
#define LB_GETITEMHEIGHT 0x01A1
#endif

struct ItemAddRequest {
    const char *text;
    uint64_t data;
    uint8_t selected;
};

struct HoverInfo {
    HWND list;
    int32_t x, y;
    int32_t contentX;
    int32_t rowTop;
    int32_t itemHeight;
    int32_t row;          /* -1 below the last item */
    uint64_t data;
    int32_t hpos;
    int32_t vOffset;
};

struct ItemSelectedInfo {
    HWND list;
    uint64_t data;
};

/* lParam of LBM_DRAWTITLE (wParam 1001). */
struct TitleDrawBlock {
    DRAWITEMSTRUCT dis;
    uint32_t hpos;
    uint32_t width;
    HWND title;
};

int RegisterControlClasses(HINSTANCE instance);
void RectOffset(RECT *rc, int dx, int dy);

/* Selection box. */
enum { SB_MODE_HIDDEN = 0, SB_MODE_BUTTON = 1, SB_MODE_EDITLIST = 2, SB_MODE_LIST = 3 };
int ShowSelectionBox(HWND box, int column, int row, int cellWidth, int cellHeight, int mode);
int HideSelectionBox(HWND box);

/* Drop tip. */
struct DropTipRequest {
    HWND owner;
    uint32_t style;       /* top four bits: border; 2 underline title; 1 no x offset */
    const char *title;
    const char *body;
    uint32_t bodyLength;
    POINT cursor;         /* screen */
    HFONT font;
};
int ShowDropTip(const DropTipRequest *request);
int HideDropTip(HWND owner);
HWND DropTipWindow(void);
