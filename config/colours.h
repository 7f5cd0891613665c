/* Colours: the 66 slots every coloured element takes its colour from, the
 * 13 named colour schemes, the rule that fills the slots an older profile
 * lacks, and the announcement of a visual change to every window
 * (RepaintAllWindows).  The live colours are the profile's table
 * (Prf.colours); their brushes, the standard colouring of a dialog and the
 * colour chooser are the window build's (colourdlg_win.cpp). */
#pragma once

#include <cstddef>
#include <cstdint>
#include "qms.h"

#define CLR_LAST 65
#define CLR_SLOTS 66
#define CLR_SCHEMES 13

/* Slots named by what they colour (the rest by number). */
enum ColourSlot {
    CLR_FIELDBG = 0, CLR_FIELDFG = 1, CLR_PROTBG = 2, CLR_PROTFG = 3, CLR_DIALOGBG = 4,
    CLR_TITLEBG = 5, CLR_TITLEFG = 6, CLR_LISTBG = 7, CLR_LISTFG = 8, CLR_STATUSBG = 9,
    CLR_STATUSFG = 10, CLR_BUTTONBG = 15, CLR_BUTTONFG = 16, CLR_NAVFG = 28, CLR_NAVBG = 29,
    CLR_NAVFOCUS = 30, CLR_SELECTBG = 31, CLR_STRIPEBG = 33, CLR_PROTTITLEBG = 38,
};

/* Repaint mask bits (RepaintFlags). */
enum RepaintFlags : uint32_t {
    RP_ALL = 0x1, RP_PLACE = 0x2, RP_COLOURS = 0x4, RP_FONT = 0x8, RP_LIST = 0x10,
    RP_TITLE = 0x20, RP_TOOLBAR = 0x40, RP_STATUS = 0x80, RP_SECONDPANE = 0x100,
    RP_MESSAGES = 0x200, RP_ROWS = 0x400, RP_LOCATIONS = 0x800, RP_PANELS = 0x1000,
};

struct COLOURSLOT {
    const char *name;
    int8_t parent;                     /* -1: none */
    uint8_t shown;                     /* in the chooser */
};
extern const COLOURSLOT ColourSlots[CLR_SLOTS];
extern const char *const ColourSchemeNames[CLR_SCHEMES];

/* A scheme's 66 colours (0x00BBGGRR). */
const uint32_t *ColourScheme(int index);
/* The scheme that agrees with a table in the most shown slots below n
 * (ties: the earlier; none agreeing: the first). */
int ColourFindSchemeIn(const uint32_t *table, int n);
/* The same against the live table. */
int ColourFindScheme(int n);
/* Fills the slots above k, the highest slot a profile gave: from a parent
 * at or below k, else from the best scheme; k below 0: the first scheme;
 * 65 or more: nothing. */
void ColourApplyScheme(uint32_t *table, int k);
/* The profile's table after reading: the missing slots filled, every slot
 * known. */
void PrfFillColours(int highest);
int ColourShownCount(void);

/* What RepaintAllWindows and LocNotifyWindows ask of the windows. */
struct REPAINTHOOKS {
    void *context;
    /* message 11381 to the main frame */
    void (*postMainFrame)(void *ctx);
    /* on the user-interface thread: carry out a mask */
    void (*apply)(void *ctx, uint32_t mask);
    /* message 11228 with wParam 1 to a location's open window */
    void (*notifyWindow)(void *ctx, void *window);
};
void RepaintSetHooks(const REPAINTHOOKS *hooks);

/* Adds its bits (and 0x1) to the pending mask; on the user-interface
 * thread the pending mask is carried out, elsewhere 11381 asks for that
 * (once per change of the pending mask). */
void RepaintAllWindows(uint32_t mask);
uint32_t RepaintPendingMask(void);
void LocNotifyWindows(void);

/* The texts of the chooser's developer buttons: "Write" appends the shown
 * slots as scheme text to a file (0, or -1 when it cannot be opened);
 * "Convert" rewrites such a file for the whole table into "<file>.convert.txt"
 * (0, or an error text in message). */
int ColourWriteScheme(const char *file, const uint32_t *table);
int ColourConvertScheme(const char *file, char *message, size_t size);
