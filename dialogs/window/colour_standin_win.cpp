/* Stand-in for the live colour table's brushes until the colour slots
 * land: a brush per slot made from the profile's colours (Prf.colours),
 * the first scheme's where the profile has none.  The real colour table
 * replaces this file. */
#include "pcfwin.h"

#include "prfdata.h"

static COLORREF Colours[PRF_COLOURS];
static HBRUSH Brushes[PRF_COLOURS];
static int Made;

/* The first scheme's base colours and each slot's parent, by which a
 * slot without a colour of its own takes one. */
static COLORREF Fallback(int slot)
{
    static const int8_t parent[PRF_COLOURS] = {
        -1, -1, -1, -1, 0, 0, 3, 0, 1, -1, 1, 0, 1, 2, 1, 0, 1, 0, 1, 0, 1, 9, 1, 0, 3, 1, 1, 0, 1, 0, 2, 1, 0,
        -1, 33, 2, 33, 2, 2, 3, 2, 3, 27, 26, -1, -1, 26, -1, 20, -1, -1, -1, -1, -1, -1, -1, 0, 1, 0, 1, 9, 1,
        9, 1, 2, 1,
    };
    switch (slot) {
    case 0: case 4: return RGB(0xC0, 0xC0, 0xC0);
    case 2: case 9: return RGB(0xAA, 0xAA, 0xAA);
    case 3: return RGB(0, 0, 0xFF);
    case 33: return RGB(0xC8, 0xC8, 0xC8);
    case 31: return RGB(0xE0, 0xE0, 0xE0);
    }
    if (slot < 0 || slot >= PRF_COLOURS || parent[slot] < 0)
        return RGB(0, 0, 0);
    return Fallback(parent[slot]);
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
