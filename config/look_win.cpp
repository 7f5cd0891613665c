/* The profile's look made live: the program's main font from the profile
 * (the system's default when it names none), its metrics measured, and a
 * brush for every colour slot.  The start-up runs it once the profile is
 * read; so does every test that takes a picture of a window. */
#include <cstdio>
#include <cstring>
#include "colourwin.h"
#include "prfdata.h"
#include "tkwin.h"

void PrfApplyLook(void)
{
    FontDesc &d = winFonts.mainDesc;
    if (Prf.font.face[0]) {
        memset(&d, 0, sizeof d);
        snprintf(d.face, sizeof d.face, "%s", Prf.font.face);
        snprintf(d.style, sizeof d.style, "%s", Prf.font.style[0] ? Prf.font.style : "Regular");
        d.height = Prf.font.height;
        d.charset = (uint16_t)Prf.font.charSet;
    } else {
        WinDefaultFont(&d);
    }
    WinCreateFonts();
    ColourMakeBrushes();
}
