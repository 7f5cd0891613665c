/* Shared inside the imports: the channel table opened again for an
 * import, the hooks' calls and the result box. */
#pragma once

#include "locimport.h"

/* A channel table opened again to import rows from it. */
struct CCDTSESSION {
    RCHN *handle;
    int json;
    CHLDEF *buffer;                    /* CHL_BUFFER bytes */
};

/* 1 opened (an error box otherwise). */
int ImportCcdtOpen(IMPORTLIST *list, CCDTSESSION *session);
/* The row's channel with its exits expanded, or null (passed over). */
CHLDEF *ImportCcdtFind(CCDTSESSION *session, const IMPORTENTRY *entry);
void ImportCcdtClose(CCDTSESSION *session);

void ImportPostLocal(IMPORTLIST *list);
void ImportSettingsEvent(QMS *location, int event);
/* "No locations selected", "Location imported" or "%d locations imported". */
void ImportResultBox(IMPORTLIST *list, int selected, int made, const char *caption);
