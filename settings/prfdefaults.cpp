/* The profile record: the one program-wide instance, its defaults from
 * the key table and freeing what it holds. */
#include "prfdata.h"
#include "prfkeys.h"
#include "cfghost.h"
#include "colours.h"
#include "cs.h"

#include <cstdio>
#include <cstring>

PRFDATA Prf;
char PrfHelpDefault[300];

static void free_text(CSLISTELEM *, void *) {}

void PrfFree(void)
{
    for (const PRFKEY &k : PrfKeyTable()) {
        if (k.kind == K_SHARED)
            CSStringSet((const char **)k.field, nullptr, 0);
        else if (k.kind == K_ALLOC)
            CSFreeMemAndClear(k.field);
    }
    CSStringSet(&Prf.expText, nullptr, 0);
    CSStringSet(&Prf.expMqsc, nullptr, 0);
    for (auto &n : Prf.nameStandards)
        CSStringSet(&n, nullptr, 0);
    if (Prf.httpbaddr.first)
        CSListFree(&Prf.httpbaddr, free_text, nullptr);
    CSFreeMemAndClear(&Prf.sections);
    memset(&Prf, 0, sizeof Prf);
}

void PrfSetDefaults(void)
{
    PrfFree();
    for (const PRFKEY &k : PrfKeyTable()) {
        switch (k.kind) {
        case K_INT: case K_HEX: *(int32_t *)k.field = (int32_t)k.def; break;
        case K_SHORT: *(int16_t *)k.field = (int16_t)k.def; break;
        case K_INT64: *(int64_t *)k.field = k.def; break;
        case K_CHAR: *(char *)k.field = (char)k.def; break;
        case K_MASK: case K_WORD: *(uint32_t *)k.field = (uint32_t)k.def; break;
        case K_TEXT:
            if (k.defText)
                snprintf((char *)k.field, k.size, "%s", k.defText);
            break;
        case K_SHARED:
            if (k.defText)
                CSStringSet((const char **)k.field, k.defText, -1);
            break;
        default: break;
        }
    }
    Prf.viewWord = PRF_VIEW_LIST;
    Prf.opt1 = 0xFDBF0;
    Prf.opt2 = 0;
    Prf.csvsep = ',';
    Prf.eds = '/';
    snprintf(Prf.loc, sizeof Prf.loc, "C");
    Prf.msgFormat = 1;
    Prf.msgFlags = 0x200;
    Prf.dumpFormat = 0x41;
    snprintf(Prf.npfont.face, sizeof Prf.npfont.face, "DejaVu Sans Mono");
    snprintf(Prf.npfont.style, sizeof Prf.npfont.style, "Book");
    int32_t cx = 1024, cy = 768;
    PrfHostScreenSize(&cx, &cy);
    Prf.dialogs[DLG_APIEX][0] = Prf.dialogs[DLG_APIEX][1] = (int32_t)0x80000000;
    Prf.dialogs[DLG_APIEX][2] = cx / 2; Prf.dialogs[DLG_APIEX][3] = cy / 2;
    Prf.dialogs[DLG_FILE][2] = cx / 2; Prf.dialogs[DLG_FILE][3] = cy / 2;
    Prf.dialogs[DLG_ALIST][2] = cx / 3; Prf.dialogs[DLG_ALIST][3] = cy / 2;
    Prf.dialogs[DLG_EXP][2] = cx / 4; Prf.dialogs[DLG_EXP][3] = cy / 4;
    Prf.dialogs[DLG_PRGSZ][2] = 400; Prf.dialogs[DLG_PRGSZ][3] = 250;
    int n = snprintf(PrfHelpDefault, sizeof PrfHelpDefault, "%s%sravolt.pdf", ConfigPath,
                     ConfigPath[0] && !CSIsPathSep(ConfigPath[strlen(ConfigPath) - 1])
                         ? CSPathSepString : "");
    if (n < 0 || (size_t)n >= sizeof Prf.hlp)
        PrfHelpDefault[0] = 0;                     /* too long to be a default */
    memcpy(Prf.hlp, PrfHelpDefault, strlen(PrfHelpDefault) + 1);
    if (CSRunningOnWine)
        snprintf(Prf.hlpc, sizeof Prf.hlpc, "/usr/bin/evince");
    memset(Prf.switchOff, 0, sizeof Prf.switchOff);
    memcpy(Prf.colours, ColourScheme(0), sizeof Prf.colours);
}
