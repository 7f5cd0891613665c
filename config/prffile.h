/* The profile in the configuration file: the reader (LoadPrfData), the
 * writer (SavePrfData) and what they ask of the windows.
 *
 * The profile sections that follow the keys are kept as read and written
 * back unchanged until their own reader exists. */
#pragma once

#include <cstddef>
#include <cstdio>
#include "prfdata.h"
#include "prftext.h"

/* What the profile asks of the windows; unset hooks do nothing. */
struct PRFHOOKS {
    void *context;
    /* fills colour slots from `from` upwards from the colour scheme */
    void (*colourScheme)(void *ctx, uint32_t *colours, uint8_t *known, int from);
    /* fits the stored rectangles to the monitors and loads the bitmaps */
    void (*fitAndLoad)(void *ctx, PRFDATA *profile);
    /* "Unrecognised keyboard input codepage" and the like */
    void (*messageBox)(void *ctx, const char *text, const char *caption);
};

void PrfSetHooks(const PRFHOOKS *hooks);
const PRFHOOKS *PrfHooks(void);
void LoadPrfData(void);
/* Reads the profile from a text (LoadPrfData reads the configuration file). */
void PrfLoadText(const char *text, size_t length);
void SavePrfData(PRFOUT *out);
void SavePrfData(FILE *out);
/* The effective time zone from the host (po2 0x2000: the system's). */
void PrfGetTimeZone(void);
