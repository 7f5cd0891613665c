/* Code pages: CCSID to Windows code page, the EBCDIC CCSIDs, in-place
 * single-byte conversion (through the system where it has the code page,
 * else through the program's own tables), the own tables as Latin-1 byte
 * tables, the two fixed byte tables and the ASCII-or-EBCDIC guess. */
#include "cscodepage.h"
#include "cscpint.h"

#include <cstring>
#include <vector>

struct CcsidRow {
    int ccsid;
    int codepage;
};

/* Every CCSID not listed is its own code page. */
static const CcsidRow ccsidPages[] = {
    {273, 20273},  {277, 20277},  {278, 20278},  {280, 20280},  {284, 20284},
    {285, 20285},  {290, 20290},  {297, 20297},  {420, 20420},  {423, 20423},
    {424, 20424},  {805, 20905},  {813, 28597},  {819, 28591},  {833, 20833},
    {838, 20838},  {871, 20871},  {878, 20866},  {880, 20880},  {913, 28593},
    {914, 28594},  {916, 28598},  {919, 28600},  {920, 28599},  {921, 28603},
    {923, 28605},  {924, 20924},  {930, 50930},  {931, 50931},  {933, 50933},
    {935, 50935},  {936, 50936},  {937, 50937},  {939, 50939},  {1025, 21025},
    {1089, 28596}, {1111, 28592}, {1124, 28595}, {1168, 21866}, {1208, 65001},
    {4902, 57002},
};

/* Ascending, for the binary search. */
static const uint16_t ebcdicCcsids[] = {
    37, 256, 273, 277, 278, 280, 284, 285, 286, 290, 297, 300, 420, 421, 424,
    425, 500, 803, 833, 834, 835, 836, 837, 838, 870, 871, 875, 880, 918, 924,
    930, 931, 933, 935, 937, 939, 1025, 1026, 1027, 1047, 1097, 1112, 1122,
    1123, 1130, 1132, 1137, 1140, 1141, 1142, 1143, 1144, 1145, 1146, 1147,
    1148, 1149, 1153, 1154, 1155, 1156, 1157, 1158, 1160, 1279, 1364, 1388,
    1390, 1399, 4133, 4325, 4369, 4370, 4371, 4372, 4373, 4374, 4376, 4378,
    4380, 4381, 4386, 4393, 4396, 4516, 4520, 4596, 4899, 4929, 4931, 4932,
    4933, 4934, 4966, 4967, 4971, 4976, 5014, 5026, 5029, 5031, 5033, 5035,
    5123, 5143, 5484, 8229, 8448, 8478, 8482, 8489, 8492, 8612, 8692, 9025,
    9026, 9028, 9030, 9122, 9125, 9127, 9131, 12325, 12544, 12588, 12712,
    12788, 13218, 13219, 13221, 13223, 16421, 16684, 16804, 16884, 17314,
    20517, 20980, 24613, 25076, 29172, 32805, 33058, 33268, 33698, 33699,
    37364, 41460, 45556, 49652, 53748, 61696, 61711, 61712,
};

int CSCcsidToCodepage(int ccsid)
{
    for (const CcsidRow &row : ccsidPages)
        if (row.ccsid == ccsid)
            return row.codepage;
    return ccsid;
}

int CSIsEbcdicCcsid(int ccsid)
{
    size_t lo = 0, hi = sizeof ebcdicCcsids / sizeof ebcdicCcsids[0];
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        if (ebcdicCcsids[mid] == ccsid)
            return 1;
        if (ebcdicCcsids[mid] < ccsid)
            lo = mid + 1;
        else
            hi = mid;
    }
    return 0;
}

/* ---- One code page as a decoder and an encoder ---- */

#define CP_UTF8 65001

struct CpSide {
    int codepage;
    int system;               /* the system converts it */
    const uint16_t *own;      /* else the program's table, or null */
};

static const uint16_t *OwnTable(int codepage)
{
    for (const CSCodepageTable *t = CSOwnCodepages; t->codepage; t++)
        if (t->codepage == codepage)
            return t->units;
    return nullptr;
}

static void CpOpen(int codepage, CpSide *side)
{
    side->codepage = codepage;
    side->system = CSCpSysHas(codepage);
    side->own = side->system ? nullptr : OwnTable(codepage);
}

int CSCodepageKnown(int codepage)
{
    return CSCpSysHas(codepage) || OwnTable(codepage) || codepage == CP_UTF8;
}

static int CpDecode(const CpSide *side, unsigned char byte, uint16_t *unit)
{
    if (side->system)
        return CSCpSysDecode(side->codepage, byte, unit);
    if (side->own) {
        *unit = side->own[byte];
        return *unit != CSCP_NO_UNIT;
    }
    if (side->codepage == CP_UTF8 && byte < 0x80) {
        *unit = byte;
        return 1;
    }
    return 0;
}

static int CpEncode(const CpSide *side, uint16_t unit, const char *defaultChar,
                    unsigned char *byte)
{
    if (side->system)
        return CSCpSysEncode(side->codepage, unit, defaultChar, byte);
    if (side->own) {
        /* Lowest byte first: where two bytes decode alike, the lower one
         * is the code page's own form. */
        for (int b = 0; b < 256; b++)
            if (side->own[b] == unit) {
                *byte = (unsigned char)b;
                return 1;
            }
        return 0;
    }
    if (side->codepage == CP_UTF8 && unit < 0x80) {
        *byte = (unsigned char)unit;
        return 1;
    }
    return 0;
}

int CSCodepageDecodeByte(int codepage, unsigned char byte, uint16_t *unit)
{
    CpSide side;
    CpOpen(codepage, &side);
    return CpDecode(&side, byte, unit);
}

/* ---- Own tables as Latin-1 ---- */

/* One 256-byte table per own code page, in the order of CSOwnCodepages,
 * made by the first caller under the static initialiser's guard and never
 * changed after: any thread may read them. */
struct Latin1Tables {
    std::vector<unsigned char> bytes;
    Latin1Tables()
    {
        for (const CSCodepageTable *t = CSOwnCodepages; t->codepage; t++)
            for (int b = 0; b < 256; b++) {
                uint16_t unit = t->units[b];
                bytes.push_back(unit <= 0xFF ? (unsigned char)unit : CS_LATIN1_SUBSTITUTE);
            }
    }
};

const unsigned char *CSSingleByteToLatin1(int ccsid)
{
    static const Latin1Tables tables;
    int codepage = CSCcsidToCodepage(ccsid);
    for (const CSCodepageTable *t = CSOwnCodepages; t->codepage; t++)
        if (t->codepage == codepage)
            return tables.bytes.data() + 256 * (t - CSOwnCodepages);
    return nullptr;
}

/* ---- Conversion ---- */

/* Result of one byte value: the converted byte, or a failure code in the
 * high half.  Every byte converts alone, so each value is worked out once
 * per call, on first use. */
#define PAIR_UNKNOWN 0xFFFF

static uint16_t ConvertOne(const CpSide *from, const CpSide *to, unsigned char byte,
                           const char *defaultChar)
{
    uint16_t unit;
    unsigned char out;
    if (!CpDecode(from, byte, &unit))
        return CSCP_BAD_SOURCE << 8;
    if (!CpEncode(to, unit, defaultChar, &out))
        return CSCP_NOT_HELD << 8;
    return out;
}

/* Large buffers: when every byte value converts, one pass through a plain
 * byte table.  0 (pair filled, nothing converted) when some value fails,
 * so that the byte-by-byte pass finds the first failing byte. */
static int WholeTable(const CpSide *from, const CpSide *to, const char *defaultChar,
                      uint16_t pair[256], unsigned char *bytes, int count)
{
    unsigned char table[256];
    int whole = 1;
    for (int b = 0; b < 256; b++) {
        pair[b] = ConvertOne(from, to, (unsigned char)b, defaultChar);
        whole &= pair[b] <= 0xFF;
        table[b] = (unsigned char)pair[b];
    }
    if (whole)
        CSTranslateBytes(bytes, bytes, count, table);
    return whole;
}

int CSConvertCodepage(unsigned char *bytes, int count, int fromCcsid, int toCcsid,
                      const char *defaultChar, unsigned char *badByte)
{
    if (count < 1 || fromCcsid == toCcsid)
        return CSCP_OK;
    CpSide from, to;
    CpOpen(CSCcsidToCodepage(fromCcsid), &from);
    CpOpen(CSCcsidToCodepage(toCcsid), &to);

    uint16_t pair[256];
    memset(pair, 0xFF, sizeof pair);
    if (count >= 4096 && WholeTable(&from, &to, defaultChar, pair, bytes, count))
        return CSCP_OK;
    for (int i = 0; i < count; i++) {
        unsigned char b = bytes[i];
        uint16_t r = pair[b];
        if (r == PAIR_UNKNOWN)
            r = pair[b] = ConvertOne(&from, &to, b, defaultChar);
        if (r > 0xFF) {
            if (badByte)
                *badByte = b;
            return r >> 8;
        }
        bytes[i] = (unsigned char)r;
    }
    return CSCP_OK;
}

/* ---- Fixed tables ---- */

#define D4 '.', '.', '.', '.'
#define D16 D4, D4, D4, D4

const unsigned char CSEbcdicToPrintable[256] = {
    D16, D16, D16, D16,
    0x20, '.', '.', '.', '.', '.', '.', '.', '.', '.', 0x24, '.', 0x3C, 0x28, 0x2B, 0x7C,
    0x26, '.', '.', '.', '.', '.', '.', '.', '.', '.', 0x21, 0x9C, 0x2A, 0x29, 0x3B, '.',
    0x2D, 0x2F, '.', '.', '.', '.', '.', '.', '.', '.', 0xDD, 0x2C, 0x25, 0x5F, 0x3E, 0x3F,
    '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', 0x3A, 0x23, 0x40, 0x27, 0x3D, 0x22,
    '.', 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, '.', 0x7B, '.', 0x28, 0x2B, '.',
    '.', 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, '.', 0x7D, '.', 0x29, '.', '.',
    '.', 0x7E, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, '.', '.', '.', '.', '.', '.',
    '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', 0x5B, 0x5D, '.', '.', '.', 0x2D,
    0x7B, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, '.', '.', '.', '.', '.', '.',
    0x7D, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, '.', '.', '.', '.', '.', '.',
    '.', '.', 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, '.', '.', '.', '.', '.', '.',
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, '.', '.', '.', '.', '.', '.',
};

#define E4 0x4B, 0x4B, 0x4B, 0x4B
#define E16 E4, E4, E4, E4

const unsigned char CSAsciiToEbcdic[256] = {
    E16, E16,
    0x40, 0x5A, 0x7F, 0x7B, 0x4A, 0x6C, 0x50, 0x4B, 0x8D, 0x9D, 0x5C, 0x8E, 0x6B, 0xBF, 0x4B, 0x61,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F,
    0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
    0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0x4B, 0xE0, 0x4B, 0x4B, 0x4B,
    0x4B, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xC0, 0x4F, 0xD0, 0xA1, 0x4B,
    E16,
    E4, E4, 0x4B, 0x4B, 0x4B, 0x4B, 0x5B, 0x4B, 0x4B, 0x4B,
    E16, E16, E16,
    E4, E4, E4, 0x4B, 0x6A, 0x4B, 0x4B,
    E16, E16,
};

int CSMakePrintable(unsigned char *out, const unsigned char *in, int count)
{
    int shown = 0;
    for (int i = 0; i < count; i++) {
        out[i] = CSEbcdicToPrintable[in[i]];
        shown += out[i] != '.';
    }
    return shown;
}

void CSTranslateBytes(unsigned char *out, const unsigned char *in, int count,
                      const unsigned char *table)
{
    for (int i = 0; i < count; i++)
        out[i] = table[in[i]];
}

static int IsAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int CSIsPlainText(const unsigned char *bytes, int count)
{
    int n = count < 50 ? count : 50;
    int ascii = 0, ebcdic = 0;
    for (int i = 0; i < n; i++) {
        unsigned char c = bytes[i];
        ascii += IsAlnum(c) || c == ' ';
        ebcdic += IsAlnum(CSEbcdicToPrintable[c]) || c == 0x40;
    }
    return ascii >= ebcdic;
}
