/* Colours: the 66 slots every coloured element takes its colour from, the
 * 13 named colour schemes and the rule that fills the slots an older
 * profile lacks.  The live colours are the profile's table (Prf.colours);
 * their brushes and the standard colouring of a dialog are the toolkit's
 * (dlgcolours.h), the announcement of a visual change is the
 * configuration's (repaint.h). */
#pragma once

#include <cstddef>
#include <cstdint>

#define CLR_LAST 65
#define CLR_SLOTS 66
#define CLR_SCHEMES 13

/* Slots named by what they colour (the rest by number). */
enum ColourSlot {
    CLR_FIELDBG = 0, CLR_FIELDFG = 1, CLR_PROTBG = 2, CLR_PROTFG = 3, CLR_DIALOGBG = 4,
    CLR_TITLEBG = 5, CLR_TITLEFG = 6, CLR_LISTBG = 7, CLR_LISTFG = 8, CLR_STATUSBG = 9,
    CLR_STATUSFG = 10, CLR_BUTTONBG = 15, CLR_BUTTONFG = 16, CLR_MENUBG = 17, CLR_MENUFG = 18,
    CLR_NAVFG = 28, CLR_NAVBG = 29,
    CLR_NAVFOCUS = 30, CLR_SELECTBG = 31, CLR_STRIPEBG = 33, CLR_PROTTITLEBG = 38,
};

/* Repaint mask bits (RepaintFlags): what a visual change asks of the
 * windows (RepaintAllWindows, repaint.h). */
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
