/* The per-CCSID display records (CPSETTING): the CCSID's bytes of the
 * syntax characters and, for a display font, the drawn width and centring
 * offset of every byte value.  Kept in one chain, most recently used first;
 * callers serialise their use of it. */
#include "cscodepage.h"
#include "cscpint.h"
#include "csmem.h"

#include <cstring>

static CPSETTING *settings;

/* The syntax characters in code page 850, in CPSyntax order. */
static const char syntaxChars[CPS_COUNT + 1] = " \n\r\t<>()[]{}/?!-+:,.'\"UNAB";

#define CCSID_850 850

static void FillSyntax(CPSETTING *s)
{
    for (int i = 0; i < CPS_COUNT; i++) {
        unsigned char c = (unsigned char)syntaxChars[i];
        if (CSConvertCodepage(&c, 1, CCSID_850, s->ccsid, nullptr, nullptr) != CSCP_OK) {
            c = (unsigned char)syntaxChars[i];
            if (i == CPS_BLANK)
                s->blankNotConvertible = 1;
        }
        s->syntax[i] = c;
    }
}

static int TypicalByte(int ebcdic, int b)
{
    if (ebcdic)
        return b >= 64 && b <= 254;
    return (b >= 32 && b <= 126) || b >= 160;
}

static void MeasureWidths(CPSETTING *s, void *dc)
{
    s->fixedPitch = 1;
    s->cellWidth = 0;
    int measured[256];
    for (int b = 0; b < 256; b++) {
        uint16_t unit;
        measured[b] = CSCodepageDecodeByte(s->codepage, (unsigned char)b, &unit)
                          ? CSCpSysTextWidth(dc, unit) : 0;
        if (measured[b] < 0)
            measured[b] = 0;
        s->widths[b] = (uint8_t)(measured[b] > 255 ? 255 : measured[b]);
        if (!TypicalByte(s->ebcdic, b) || !measured[b])
            continue;
        if (!s->cellWidth) {
            s->cellWidth = measured[b];
        } else if (measured[b] != s->cellWidth) {
            s->fixedPitch = 0;
            if (measured[b] > s->cellWidth)
                s->cellWidth = measured[b];
        }
    }
    unsigned char m = 'm';
    if (CSConvertCodepage(&m, 1, CCSID_850, s->ccsid, nullptr, nullptr) == CSCP_OK &&
        measured[m])
        s->cellWidth = measured[m];
    for (int b = 0; b < 256; b++) {
        int off = (s->cellWidth - measured[b]) / 2;
        s->offsets[b] = (int8_t)(off < -128 ? -128 : off > 127 ? 127 : off);
    }
}

CPSETTING *CSGetCodepageSetting(int ccsid, void *window, void *font, void *dc)
{
    CPSETTING *s = settings, **link = &settings;
    while (s && s->ccsid != ccsid) {
        link = &s->next;
        s = s->next;
    }
    if (s) {
        *link = s->next;               /* to the front */
        s->next = settings;
        settings = s;
        if (s->cellWidth || !window)
            return s;
    } else {
        s = (CPSETTING *)CSGetMem(sizeof *s, "CPSETTING");
        if (!s)
            return nullptr;
        memset(s, 0, sizeof *s);
        s->ccsid = ccsid;
        s->codepage = CSCcsidToCodepage(ccsid);
        s->ebcdic = CSIsEbcdicCcsid(ccsid);
        s->notInstalled = !CSCodepageKnown(s->codepage);
        s->next = settings;
        settings = s;
    }
    FillSyntax(s);
    void *measureDc = CSCpSysMeasureBegin(window, font, dc);
    if (measureDc) {
        MeasureWidths(s, measureDc);
        CSCpSysMeasureEnd(window, measureDc, dc);
    }
    return s;
}

void CSFreeCodepageSettings(void)
{
    while (settings) {
        CPSETTING *next = settings->next;
        CSFreeMem(settings);
        settings = next;
    }
}
