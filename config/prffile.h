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
#include "cfghooks.h"

void LoadPrfData(void);
/* Reads the profile from a text (LoadPrfData reads the configuration file). */
void PrfLoadText(const char *text, size_t length);
void SavePrfData(PRFOUT *out);
void SavePrfData(FILE *out);
/* The effective time zone from the host (po2 0x2000: the system's). */
void PrfGetTimeZone(void);
