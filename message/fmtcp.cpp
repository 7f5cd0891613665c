/* Code-page records of the formatters: the syntax characters of a CCSID
 * (so EBCDIC data is scanned in place) and its translation to ASCII. */
#include "fmtint.h"

static const uint32_t ebcdicCcsids[] = {
    37, 273, 277, 278, 280, 284, 285, 290, 297, 420, 424, 500, 833, 836, 838, 870,
    871, 875, 880, 924, 930, 933, 935, 937, 939, 1025, 1026, 1047, 1112, 1122, 1123,
    1140, 1141, 1142, 1143, 1144, 1145, 1146, 1147, 1148, 1149, 1153, 1154, 1155,
    1156, 1157, 1158, 1160, 1364, 1388, 1390, 1399, 4971, 5026, 5035, 16804 };

struct EbcdicSet {
    unsigned char bits[16805 / 8 + 1] = {};
    EbcdicSet()
    {
        for (uint32_t c : ebcdicCcsids)
            bits[c / 8] |= (unsigned char)(1u << (c % 8));
    }
};

int FmtIsEbcdicCcsid(uint32_t ccsid)
{
    static const EbcdicSet set;
    return ccsid < sizeof set.bits * 8 && (set.bits[ccsid / 8] >> (ccsid % 8) & 1);
}

static const char syntax[CP_COUNT + 1] = " \n\r\t<>()[]{}/?!-+:,.'\"UNAB\\&;=";

static void Build(FmtCodepage *cp, uint32_t ccsid, const unsigned char *toAscii)
{
    cp->ccsid = ccsid;
    cp->ebcdic = toAscii != nullptr;
    cp->toAscii = toAscii;
    for (int i = 0; i < CP_COUNT; i++) {
        unsigned char c = (unsigned char)syntax[i];
        cp->ch[i] = c;
        if (toAscii)
            for (int e = 0; e < 256; e++)
                if (toAscii[e] == c) {
                    cp->ch[i] = (unsigned char)e;
                    break;
                }
    }
    if (toAscii)            /* EBCDIC line ends: 0x25 and 0x15 */
        cp->ch[CP_CR] = 0x25, cp->ch[CP_LF] = 0x15;
}

struct Pages {
    FmtCodepage ascii, e037, e500;
    Pages()
    {
        Build(&ascii, 850, nullptr);
        Build(&e037, 37, FmtEbcdic037);
        Build(&e500, 500, FmtEbcdic500);
    }
};

/* Built once, never changed: safe to share between threads. The record
 * carries the page's syntax characters; its ccsid is the family's. */
const FmtCodepage *FmtGetCodepage(uint32_t ccsid)
{
    static const Pages pages;
    if (!FmtIsEbcdicCcsid(ccsid))
        return &pages.ascii;
    return ccsid == 37 || ccsid == 1140 ? &pages.e037 : &pages.e500;
}
