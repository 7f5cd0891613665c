/* Colours: the slot table, the 13 schemes (built from a few key colours
 * each) and filling a table's missing slots. */
#include "colours.h"
#include "prfdata.h"
#include "cs.h"

#include <cstring>
#include <mutex>

const COLOURSLOT ColourSlots[CLR_SLOTS] = {
    { "Field Background", -1, 1 }, { "Field Foreground", -1, 1 },
    { "Protected Field Background", -1, 1 }, { "Protected Field Foreground", -1, 1 },
    { "Dialog Background", 0, 1 }, { "Field Title Background", 0, 1 },
    { "Field Title Foreground", 3, 1 }, { "List Background", 0, 1 },
    { "List Foreground", 1, 1 }, { "Status Background", -1, 1 },
    { "Status Foreground", 1, 1 }, { "Filter Background", 0, 1 },
    { "Filter Foreground", 1, 1 }, { "List Titles Background", 2, 1 },
    { "List Titles Foreground", 1, 1 }, { "Buttons Background", 0, 1 },
    { "Buttons Foreground", 1, 1 }, { "Menu Background", 0, 1 },
    { "Menu Foreground", 1, 1 }, { "Message Edit Background", 0, 1 },
    { "Message Edit Foreground", 1, 1 }, { "Entryfield Background", 9, 1 },
    { "Entryfield Foreground", 1, 1 }, { "Message Edit Titles Background", 0, 1 },
    { "Message Edit Titles Foreground", 3, 1 }, { "Print Foreground", 1, 0 },
    { "Diagram Foreground", 1, 0 }, { "Diagram Background", 0, 0 },
    { "Navigation Foreground", 1, 1 }, { "Navigation Background", 0, 1 },
    { "Navigation Focus", 2, 1 }, { "List Select Background", 1, 1 },
    { "List Select Foreground", 0, 1 }, { "List Stripe Background", -1, 1 },
    { "Default Object Background", 33, 0 }, { "Default Object Foreground", 2, 0 },
    { "Default Object Title Background", 33, 0 }, { "Default Object Title Foreground", 2, 0 },
    { "Protected Field Title Background", 2, 1 }, { "Protected Field Title Foreground", 3, 1 },
    { "List Lowlight Foreground", 2, 1 }, { "Container Link Foreground", 3, 1 },
    { "Diagram Focus Foreground", 27, 0 }, { "Diagram Focus Background", 26, 0 },
    { "Diagram Frame Background", -1, 0 }, { "Diagram Link Foreground", -1, 0 },
    { "Diagram Link Highlight Foreground", 26, 0 }, { "Message Edit Search Background", -1, 0 },
    { "Message Edit Search Foreground", 20, 0 },
    { "Trace Message Queue Manager Background", -1, 0 },
    { "Trace Message Queue Manager Foreground", -1, 0 },
    { "Trace Message Resolve Arrow Background", -1, 0 },
    { "Trace Message Resolve Arrow Foreground", -1, 0 },
    { "Trace Message Channel Arrow", -1, 0 },
    { "Trace Message Channel Label Background", -1, 0 },
    { "Trace Message Channel Label Foreground", -1, 0 },
    { "Message Edit Field Base Background", 0, 1 }, { "Message Edit Field Base Foreground", 1, 1 },
    { "Message Edit Field Current Background", 0, 1 },
    { "Message Edit Field Current Foreground", 1, 1 },
    { "Message Edit Field Defer Background", 9, 1 }, { "Message Edit Field Defer Foreground", 1, 1 },
    { "Message Edit Field Error Background", 9, 1 }, { "Message Edit Field Error Foreground", 1, 1 },
    { "Message Edit Header Error Background", 2, 1 },
    { "Message Edit Header Error Foreground", 1, 1 },
};

const char *const ColourSchemeNames[CLR_SCHEMES] = {
    "ISPF", "Grey", "Blue and Green", "Coffee & Green", "Ice Pink", "Spring", "Autumn",
    "Winter", "Summer", "Sugar Plum", "Mint Chocolate Chip", "Inspire", "Colour Pot",
};

/* The key colours of a scheme (RGB written red first, as 0xRRGGBB). */
struct PALETTE {
    uint32_t fieldBg, fieldFg, protBg, protFg, dialogBg, statusBg, selectBg, stripeBg;
};

static const PALETTE palettes[CLR_SCHEMES] = {
    { 0xC0C0C0, 0x000000, 0xAAAAAA, 0x0000FF, 0xC0C0C0, 0xAAAAAA, 0xE0E0E0, 0xC8C8C8 },
    { 0xDCDCDC, 0x000000, 0xBEBEBE, 0x202020, 0xD0D0D0, 0xB0B0B0, 0x808080, 0xE8E8E8 },
    { 0xB7B7FF, 0x000000, 0xB5FFBE, 0x000000, 0xC0C0C0, 0xB5FFBE, 0x000000, 0xDDDDFF },
    { 0xF3DBC5, 0x007300, 0xFCEA85, 0xEC7D04, 0xF3DBC5, 0xFCEA85, 0x007300, 0xF8E9DC },
    { 0xFFE4F0, 0x4B0026, 0xF5C6DC, 0x8B004B, 0xFFEEF6, 0xF5C6DC, 0xC71585, 0xFFF0F8 },
    { 0xFFFFAA, 0x009D4F, 0x00F47A, 0x0000FF, 0xFFFFAA, 0x00F47A, 0x009D4F, 0xFFFFE6 },
    { 0xF5DEB3, 0x5C2E00, 0xE9A96B, 0x8B2500, 0xF0D9B5, 0xE9A96B, 0xA0522D, 0xFAEBD7 },
    { 0xE8F4FF, 0x00205B, 0xC6DDF0, 0x003F87, 0xDDEAF6, 0xC6DDF0, 0x4F81BD, 0xF2F8FF },
    { 0xFFFACD, 0x3B3B00, 0xFFE066, 0xB35900, 0xFFF5B8, 0xFFE066, 0xFF9F1C, 0xFFFDE7 },
    { 0xEEDDF2, 0x3D0A4F, 0xD7B8E2, 0x6A1B7A, 0xE9D5EE, 0xD7B8E2, 0x8E44AD, 0xF6EEF8 },
    { 0xD5F5E3, 0x3B2314, 0xA9DFBF, 0x5D4037, 0xCDEFDB, 0xA9DFBF, 0x6D4C41, 0xE9F9EF },
    { 0xE6F7FF, 0x000000, 0xD9F2FF, 0x000000, 0xD7F2FF, 0xD9F2FF, 0xD9F2FF, 0xDDF4FF },
    { 0xFFFFFF, 0x000080, 0xFFD700, 0x800000, 0xF0F0F0, 0x98FB98, 0xFF4500, 0xE0FFFF },
};

static uint32_t rgb(uint32_t hex)
{
    return ((hex >> 16) & 0xFF) | (hex & 0xFF00) | ((hex & 0xFF) << 16);
}

/* a dark or light text for a background */
static uint32_t contrast(uint32_t colour)
{
    int lum = (299 * (int)(colour & 0xFF) + 587 * (int)((colour >> 8) & 0xFF) +
               114 * (int)((colour >> 16) & 0xFF)) / 1000;
    return lum < 128 ? 0xFFFFFF : 0x000000;
}

static uint32_t darken(uint32_t colour, int percent)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int c = (int)((colour >> shift) & 0xFF);
        out |= (uint32_t)(c * (100 - percent) / 100) << shift;
    }
    return out;
}

/* A scheme's colour for a slot without a parent of its own meaning. */
static void build_scheme(const PALETTE &p, uint32_t *out)
{
    uint32_t fieldBg = rgb(p.fieldBg), fieldFg = rgb(p.fieldFg), statusBg = rgb(p.statusBg);
    for (int i = 0; i < CLR_SLOTS; i++) {
        int parent = ColourSlots[i].parent;
        out[i] = parent >= 0 ? out[parent] : fieldFg;
        switch (i) {
        case 0: out[i] = fieldBg; break;
        case 1: out[i] = fieldFg; break;
        case 2: out[i] = rgb(p.protBg); break;
        case 3: out[i] = rgb(p.protFg); break;
        case 4: out[i] = rgb(p.dialogBg); break;
        case 9: out[i] = statusBg; break;
        case 13: out[i] = darken(rgb(p.protBg), 10); break;
        case 30: out[i] = darken(rgb(p.protBg), 25); break;
        case 31: out[i] = rgb(p.selectBg); break;
        case 32: out[i] = contrast(rgb(p.selectBg)); break;
        case 33: out[i] = rgb(p.stripeBg); break;
        case 40: out[i] = darken(rgb(p.protBg), 40); break;
        case 44: out[i] = darken(rgb(p.dialogBg), 15); break;
        case 45: out[i] = rgb(p.protFg); break;
        case 47: out[i] = 0x00FFFF; break;     /* yellow */
        case 49: out[i] = statusBg; break;
        case 50: out[i] = fieldFg; break;
        case 51: out[i] = rgb(p.stripeBg); break;
        case 52: out[i] = rgb(p.protFg); break;
        case 53: out[i] = 0x808080; break;
        case 54: out[i] = rgb(p.stripeBg); break;
        case 55: out[i] = fieldFg; break;
        case 58: out[i] = rgb(p.stripeBg); break;
        case 62: case 64: out[i] = 0xB0B0FF; break;   /* light red */
        default: break;
        }
    }
}

const uint32_t *ColourScheme(int index)
{
    static uint32_t schemes[CLR_SCHEMES][CLR_SLOTS];
    static std::once_flag built;
    std::call_once(built, [] {
        for (int s = 0; s < CLR_SCHEMES; s++)
            build_scheme(palettes[s], schemes[s]);
    });
    if (index < 0 || index >= CLR_SCHEMES)
        index = 0;
    return schemes[index];
}

int ColourShownCount(void)
{
    int n = 0;
    for (const COLOURSLOT &s : ColourSlots)
        n += s.shown;
    return n;
}

int ColourFindSchemeIn(const uint32_t *table, int n)
{
    int best = 0, bestCount = 0;
    if (n > CLR_SLOTS)
        n = CLR_SLOTS;
    for (int s = 0; s < CLR_SCHEMES; s++) {
        const uint32_t *scheme = ColourScheme(s);
        int count = 0;
        for (int i = 0; i < n; i++)
            count += ColourSlots[i].shown && scheme[i] == table[i];
        if (count > bestCount) {
            best = s;
            bestCount = count;
        }
    }
    return best;
}

int ColourFindScheme(int n)
{
    return ColourFindSchemeIn(Prf.colours, n);
}

void ColourApplyScheme(uint32_t *table, int k)
{
    if (k >= CLR_LAST)
        return;
    if (k < 0) {
        memcpy(table, ColourScheme(0), CLR_SLOTS * sizeof *table);
        return;
    }
    const uint32_t *scheme = ColourScheme(ColourFindSchemeIn(table, k));
    for (int i = k + 1; i < CLR_SLOTS; i++) {
        int parent = ColourSlots[i].parent;
        table[i] = (parent >= 0 && parent <= k) ? table[parent] : scheme[i];
    }
}

void PrfFillColours(int highest)
{
    ColourApplyScheme(Prf.colours, highest);
    for (int i = 0; i < CLR_SLOTS; i++)
        if (!Prf.colourKnown[i])
            Prf.colourKnown[i] = 1;
}
