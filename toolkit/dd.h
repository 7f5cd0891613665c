/* The dynamic dialog engine: dialog definition tables (DDFieldDef rows),
 * the dialog handle with its field records, creation of dialogs from
 * tables, layout from the font's character size, field access by row id
 * and the engine's window classes. User-interface thread only. */
#pragma once

#include <windows.h>
#include <cstdint>
#include "tkscroll.h"

/* One row of a definition table (56 bytes). Tables are writable data:
 * the engine marks and rewrites some rows. A row whose word is 0 ends a
 * table; GROUP and GROUPBOX levels end with a GROUPE row. */
struct DDFieldDef {
    uint32_t type;          /* DDFieldType in the low 8 bits, DDRowFlag above */
    int32_t id;
    const char *text;
    uint32_t value;
    DDFieldDef *sub;
    uint32_t style;
    float minCx, minCy, maxCx, maxCy;   /* > 0 characters, < 0 pixels, 0 not given */
    uint32_t exStyle;
};

enum DDFieldType {
    DD_STATIC = 1, DD_EDIT = 2, DD_BUTTON = 3, DD_TAB = 4, DD_GROUP = 5, DD_COMBOBOX = 6,
    DD_SCROLL = 7, DD_LISTBOX = 8, DD_CHECKBOX = 9, DD_RADIO = 10, DD_GROUPBOX = 11,
    DD_SPANE = 12, DD_SPACER = 13, DD_GROUPE = 14, DD_TABCTL = 15, DD_RICHEDIT = 16,
    DD_TWISTY = 17, DD_TWISTYE = 18, DD_SEPARATOR = 19, DD_SPIN = 20, DD_USER = 21,
    DD_MULTIEDIT = 22, DD_SECTION = 23, DD_ULISTBOX = 24, DD_ULISTBOXT = 25,
    DD_ULISTBOXS = 26, DD_PROGRESS = 27, DD_BACKGROUND = 28 /* DDSetFieldColours only */,
    DD_SPIN_IND = 29, DD_CONTAINER = 30, DD_SPINNER = 31, DD_UBUTTON = 32, DD_SPLITLR = 33,
    DD_SPLITTB = 34, DD_ENGINEGROUP = 254, DD_ROOT = 255
};

/* DDRowFlag: the row flags above the type byte. */
typedef uint32_t DDRowFlag;
constexpr uint32_t DDF_GROUP = 0x100;
constexpr uint32_t DDF_GROUPEND = 0x200;
constexpr uint32_t DDF_NEWROW = 0x400;
constexpr uint32_t DDF_NOBREAK = 0x800;
constexpr uint32_t DDF_CLASS1 = 0x1000;
constexpr uint32_t DDF_CLASS2 = 0x2000;
constexpr uint32_t DDF_CLASS3 = 0x3000;
constexpr uint32_t DDF_CLASSMASK = 0x3000;
constexpr uint32_t DDF_CLASSDIALOG = 0x4000;
constexpr uint32_t DDF_HIDDEN = 0x8000;
constexpr uint32_t DDF_LEFT = 0x10000;
constexpr uint32_t DDF_RIGHT = 0x20000;
constexpr uint32_t DDF_HCENTRE = 0x40000;
constexpr uint32_t DDF_TOP = 0x100000;
constexpr uint32_t DDF_BOTTOM = 0x200000;
constexpr uint32_t DDF_VCENTRE = 0x400000;
constexpr uint32_t DDF_NOSTRETCH = 0x1000000;
constexpr uint32_t DDF_NOEFFECT = 0x2000000;
constexpr uint32_t DDF_CLASSSIBLINGS = 0x4000000;
constexpr uint32_t DDF_FILL = 0x8000000;
constexpr uint32_t DDF_DBLCLICK = 0x10000000;

/* Creation flags of DDCreate and DDCreateDialog. */
enum {
    DDC_KEEPPROC = 1, DDC_KEEPPROC2 = 2, DDC_ALLCONTROLS = 4, DDC_OWNERDRAW = 8,
    DDC_PAINTTABS = 16, DDC_ESCAPECLOSES = 32, DDC_UNDOKEYS = 64
};

/* Result codes. */
enum {
    DDERR_VERSION = 1001, DDERR_AGAIN = 1002, DDERR_STORAGE = 1003, DDERR_NOTAB = 1004,
    DDERR_TABOUTSIDE = 1005, DDERR_NOPANE = 1006, DDERR_NOBUDDY = 1008,
    DDERR_WINDOWBYTES = 1009, DDERR_TYPE = 1010, DDERR_SPLITROW = 1011,
    DDERR_TABLE = 1012    /* a handle reused for another table */
};

/* Private messages (DDM_*): ravoltids.h. */
#include "ravoltids.h"

struct DDHANDLE_;
typedef DDHANDLE_ *DDHANDLE;

/* One field of a dialog (the root record stands for the dialog window). */
struct DDField {
    HWND hwnd;
    COLORREF *textColour, *backColour;
    HBRUSH *brush;
    int32_t x, y;
    uint32_t type;              /* row word; 254 engine group, 255 root */
    uint32_t value;
    uint32_t state;             /* DDS_* */
    DDFieldDef *row;
    int32_t minCx, minCy, maxCx, maxCy, cx, cy;
    int32_t contentCx, contentCy;
    ScrollState hscroll, vscroll;
    DDField *page;              /* TABCTL: current page */
    int32_t marginL, marginR, marginT, marginB;
    int32_t rowMinCy, rowMaxCy;
    DDField *spinBuddy;
    DDField *scrollOrigin;
    DDField *parent, *winParent;
    DDField *next, *child;      /* TWISTY: child = last field of its section */
    DDField *nextRow, *rowLast;
    uint32_t handouts, handFlags;   /* DDH_* */
    LONG_PTR savedUser;
    WNDPROC savedProc;
    LONG savedStyle, savedExStyle;
    char *saved;                /* "SS" block */
    uint32_t created;
    HBITMAP twisty[3];
    HFONT font;
    int32_t bar, dragOffset, dragStart;
};

enum {
    DDS_ROWLAST = 0x1, DDS_MAXCY = 0x2, DDS_MAXCX = 0x4, DDS_PRESSED = 0x8, DDS_DRAWNPRESSED = 0x10,
    DDS_FOCUS = 0x20, DDS_REPLACE = 0x40, DDS_PLACING = 0x80, DDS_VSCROLL = 0x100,
    DDS_RECREATE = 0x800, DDS_CREATING = 0x1000, DDS_NEEDVSCROLL = 0x2000,
    DDS_MAXINCLBAR = 0x4000, DDS_SAVEDVALUE = 0x10000, DDS_TEXTSIZED = 0x20000
};
enum { DDH_HELD = 1, DDH_DISABLED = 4, DDH_BYACCESS = 8, DDH_COLLAPSED = 16, DDH_DRAGGING = 32 };

struct DDHANDLE_ {
    DDFieldDef *table;
    uint32_t sizesValid;
    uint32_t classesMeasured;
    uint32_t flags;
    uint32_t state;             /* 1 built, 2 scroll fields, 4 second pass, 8 pane needs a bar */
    int32_t cw, ch, ch4, cw2;
    HFONT font;
    int32_t classMin[3], classMax[3];
    int32_t count;
    int32_t sectionOffset;
    WNDPROC dialogProc;
    DDField root;
    DDField fields[1];          /* count records */
};

extern DDHANDLE DDModalHandle;

/* Start-up; version must hold 100. */
int DDInitialise(HINSTANCE instance, int *version, void *unused1, void *unused2);
int DDCreate(HWND hwnd, DDFieldDef *table, uint32_t flags, DDHANDLE *handle);
HWND DDCreateDialog(HICON icon, DDFieldDef *table, uint32_t flags, const char *title,
                    const char *name, HWND parent, WNDPROC proc, LPARAM param);
INT_PTR DDDialogBox(DDFieldDef *table, const char *templateName, HWND parent, DLGPROC proc);
void DDDestroy(DDHANDLE *handle);
int DDRestoreWindow(DDHANDLE dd, DDField *f, const POINT *pos, const SIZE *size);
/* the dialog a window (or one of its parents) belongs to */
DDHANDLE DDFindHandle(HWND hwnd);
/* number of dialogs the engine tracks */
int DDHandleCount(void);

/* Layout. */
void DDSizePane(DDHANDLE dd, DDField *pane, int x, int y, int cx, int cy);
void DDLayout(DDHANDLE dd);        /* the whole dialog at its client size */
void DDCalcMinSize(DDHANDLE dd, SIZE *size);
/* The window size of a dialog: at least its minimum and the given
 * character cells, or the remembered window size when larger. */
void DDWindowSize(DDHANDLE dd, HWND hwnd, int columns, int lines, int32_t savedCx, int32_t savedCy,
                  SIZE *size);

/* Field access by row id. */
DDField *DDFindField(DDHANDLE dd, int id);
HWND DDGetFieldWindow(DDHANDLE dd, int id, int hold);
void DDReleaseField(DDHANDLE dd, HWND hwnd);
int DDGetFieldText(DDHANDLE dd, int id, char *buffer, int size);
int DDGetFieldTextLength(DDHANDLE dd, int id);
int DDSetFieldValue(DDHANDLE dd, int id, const char *text);
int DDSetFieldText(DDHANDLE dd, int id, int limit, const char *text);
LRESULT DDSendFieldMsg(DDHANDLE dd, int id, UINT msg, WPARAM wp, LPARAM lp);
int DDSetCheck(DDHANDLE dd, int id, int state);
int DDGetCheck(DDHANDLE dd, int id);
int DDEnableField(DDHANDLE dd, int id, int enable, int descend);
int DDShowFields(DDHANDLE dd, const int *ids, int count, int show, int descend);
int DDCheckMandatory(DDHANDLE dd, int id, int size, char *buffer, int messageId, const char *name);
int DDGetTabSelection(DDHANDLE dd, int id);
void DDInvalidateAll(DDHANDLE dd);
int DDSetFieldColours(DDHANDLE dd, int type, int id, uint32_t styleAll, uint32_t styleNot,
                      COLORREF *text, COLORREF *back, HBRUSH *brush);
void DDSetFont(DDHANDLE dd, HFONT font);
int DDSetFieldFont(DDHANDLE dd, int id, HFONT font);
HBRUSH DDCtlColour(HWND hwnd, UINT msg, HDC dc, HWND control);
COLORREF DDButtonFaceColour(void);
COLORREF DDShadeColour(COLORREF colour, float factor);

/* Window procedures and keyboard rules. */
int DDTabToNext(DDHANDLE dd, DDField *f, int backwards);
int DDPressDefault(DDHANDLE dd);
void DDApplyTwisty(DDHANDLE dd, DDField *twisty);
