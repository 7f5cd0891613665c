/* Stand-in for the live colour table's brushes until the colour slots
 * land: a brush per slot made from the profile's colours (Prf.colours),
 * the first scheme's where the profile has none.  The real colour table
 * replaces this file. */
#include "pcfwin.h"

#include "prfdata.h"

static COLORREF Colours[PRF_COLOURS];
static HBRUSH Brushes[PRF_COLOURS];
static int Made;

/* The first scheme's colours of the slots the dialogs use. */
static COLORREF Fallback(int slot)
{
    static const COLORREF scheme[] = {
        RGB(0xC0, 0xC0, 0xC0), RGB(0, 0, 0), RGB(0xAA, 0xAA, 0xAA), RGB(0, 0, 0xFF), RGB(0xC0, 0xC0, 0xC0),
        RGB(0xC0, 0xC0, 0xC0), RGB(0, 0, 0xFF), RGB(0xC0, 0xC0, 0xC0), RGB(0, 0, 0), RGB(0xAA, 0xAA, 0xAA),
        RGB(0, 0, 0), RGB(0xC0, 0xC0, 0xC0), RGB(0, 0, 0), RGB(0xAA, 0xAA, 0xAA), RGB(0, 0, 0),
        RGB(0xC0, 0xC0, 0xC0), RGB(0, 0, 0),
    };
    if (slot < (int)(sizeof scheme / sizeof scheme[0]))
        return scheme[slot];
    return slot == 21 ? RGB(0xAA, 0xAA, 0xAA) : slot % 2 ? RGB(0, 0, 0) : RGB(0xC0, 0xC0, 0xC0);
}

static void Make(void)
{
    if (Made)
        return;
    Made = 1;
    for (int i = 0; i < PRF_COLOURS; i++) {
        Colours[i] = Prf.colourKnown[i] ? (COLORREF)Prf.colours[i] : Fallback(i);
        Brushes[i] = CreateSolidBrush(Colours[i]);
    }
}

HBRUSH ColourBrush(int slot)
{
    Make();
    return slot >= 0 && slot < PRF_COLOURS ? Brushes[slot] : (HBRUSH)GetStockObject(WHITE_BRUSH);
}

COLORREF *ColourRef(int slot)
{
    Make();
    static COLORREF none = 0;
    return slot >= 0 && slot < PRF_COLOURS ? &Colours[slot] : &none;
}
