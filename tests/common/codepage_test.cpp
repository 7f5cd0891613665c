/* Code pages and number encodings: the CCSID map, conversion through the
 * system and the own tables, the display records, the fixed tables, the
 * guess of ASCII or EBCDIC, byte reversal and the MQ float encodings. */
#include "cscodepage.h"
#include "cscpint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

typedef std::vector<unsigned char> Bytes;

static Bytes Hex(const char *hex)
{
    Bytes b;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        b.push_back((unsigned char)std::stoi(std::string(hex + i, 2), nullptr, 16));
    return b;
}

TEST(Ccsid, MapAndEbcdicSet)
{
    EXPECT_EQ(CSCcsidToCodepage(500), 500);
    EXPECT_EQ(CSCcsidToCodepage(1208), 65001);
    EXPECT_EQ(CSCcsidToCodepage(4902), 57002);
    EXPECT_EQ(CSCcsidToCodepage(273), 20273);
    EXPECT_EQ(CSCcsidToCodepage(805), 20905);
    EXPECT_EQ(CSCcsidToCodepage(878), 20866);
    EXPECT_EQ(CSCcsidToCodepage(1089), 28596);
    EXPECT_EQ(CSCcsidToCodepage(819), 28591);
    EXPECT_EQ(CSCcsidToCodepage(37), 37);
    EXPECT_EQ(CSCcsidToCodepage(1140), 1140);

    int count = 0;
    for (int c = 0; c < 70000; c++)
        count += CSIsEbcdicCcsid(c);
    EXPECT_EQ(count, 154);
    /* With the euro pages of Latin-2, Cyrillic, Turkish, the Baltic,
     * Thai and Arabic (1153 to 1160, 16804). */
    for (int c : {37, 273, 833, 838, 1047, 1140, 1149, 1153, 1160, 4369, 4374, 16804, 61712})
        EXPECT_TRUE(CSIsEbcdicCcsid(c)) << c;
    for (int c : {0, 437, 819, 850, 1208, 1252, 832, 839, 1150})
        EXPECT_FALSE(CSIsEbcdicCcsid(c)) << c;
}

/* Latin-1 letters and symbols whose EBCDIC bytes differ between the
 * national code pages. */
static const char *latin1Sample = "C4D6DCE4F6FCDFA3245B5DE9405E";

TEST(Convert, NationalCodePages)
{
    static const struct {
        int ccsid;
        const char *expected;
    } pages[] = {
        {37, "63ECFC43CCDC59B15BBABB517CB0"},   {273, "4AE05AC06AD0A1B15B63FC51B55F"},
        {277, "63ECFC43CCA159B1679E9F51805F"},  {278, "7B7CFCC06AA159B167B59F79EC5F"},
        {280, "63ECFC43CCDC597B5B90515AB55F"},  {284, "63ECFC43CCDC59B15B4A5A517CBA"},
        {285, "63ECFC43CCDC595B4AB1BB517CBA"},  {297, "63ECFC43CCDC597B5B90B5C0445F"},
        {500, "63ECFC43CCDC59B15B4A5A517C5F"},  {871, "635FFC43A1DC59B15BAE9E51ACEC"},
        {1047, "63ECFC43CCDC59B15BADBD517C5F"}, {1140, "63ECFC43CCDC59B15BBABB517CB0"},
        {1141, "4AE05AC06AD0A1B15B63FC51B55F"},
    };
    for (const auto &p : pages) {
        Bytes b = Hex(latin1Sample);
        ASSERT_EQ(CSConvertCodepage(b.data(), (int)b.size(), 819, p.ccsid, nullptr, nullptr), 0)
            << p.ccsid;
        EXPECT_EQ(b, Hex(p.expected)) << p.ccsid;
        ASSERT_EQ(CSConvertCodepage(b.data(), (int)b.size(), p.ccsid, 819, nullptr, nullptr), 0);
        EXPECT_EQ(b, Hex(latin1Sample)) << p.ccsid;
    }
    /* The euro sign of the euro pages. */
    for (int ccsid = 1140; ccsid <= 1149; ccsid++) {
        unsigned char euro = 0x80;     /* in 1252 */
        EXPECT_EQ(CSConvertCodepage(&euro, 1, 1252, ccsid, nullptr, nullptr), 0) << ccsid;
        EXPECT_EQ(euro, ccsid == 1142 || ccsid == 1143 ? 0x5A : 0x9F) << ccsid;
    }
}

TEST(Convert, LettersBothWays)
{
    unsigned char abc[3] = {'a', 'b', 'c'};
    ASSERT_EQ(CSConvertCodepage(abc, 3, 819, 500, nullptr, nullptr), 0);
    EXPECT_EQ(Bytes(abc, abc + 3), Hex("818283"));
    ASSERT_EQ(CSConvertCodepage(abc, 3, 500, 819, nullptr, nullptr), 0);
    EXPECT_EQ(Bytes(abc, abc + 3), Hex("616263"));

    unsigned char a = 0x81;
    EXPECT_EQ(CSConvertCodepage(&a, 1, 37, 437, nullptr, nullptr), 0);
    EXPECT_EQ(a, 0x61);

    unsigned char same[2] = {0xFF, 0x00};
    EXPECT_EQ(CSConvertCodepage(same, 2, 37, 37, nullptr, nullptr), 0);
    EXPECT_EQ(CSConvertCodepage(same, 0, 37, 500, nullptr, nullptr), 0);
    EXPECT_EQ(same[0], 0xFF);
}

/* Every Latin-1 byte survives a trip through each Latin-1 EBCDIC page
 * (UK 285 holds an overline where Latin-1 has its macron), and the EBCDIC
 * side has no byte twice. */
TEST(Convert, RoundTripsAllBytes)
{
    for (int ccsid : {37, 273, 277, 278, 280, 284, 285, 297, 500, 871, 1047}) {
        int hole = ccsid == 285 ? 0xAF : -1;
        Bytes b;
        for (int i = 0; i < 256; i++)
            if (i != hole)
                b.push_back((unsigned char)i);
        Bytes original = b;
        int n = (int)b.size();
        ASSERT_EQ(CSConvertCodepage(b.data(), n, 819, ccsid, nullptr, nullptr), 0) << ccsid;
        Bytes seen(256, 0);
        for (unsigned char c : b)
            seen[c]++;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), n) << ccsid;
        ASSERT_EQ(CSConvertCodepage(b.data(), n, ccsid, 819, nullptr, nullptr), 0) << ccsid;
        EXPECT_EQ(b, original) << ccsid;
    }
    unsigned char macron = 0xAF, bad = 0;
    EXPECT_EQ(CSConvertCodepage(&macron, 1, 819, 285, nullptr, &bad), 5);
    EXPECT_EQ(bad, 0xAF);
    /* A large buffer through the same route. */
    std::mt19937 rng(7);
    Bytes big(1 << 20), copy;
    for (auto &c : big)
        c = (unsigned char)rng();
    copy = big;
    ASSERT_EQ(CSConvertCodepage(big.data(), (int)big.size(), 819, 1047, nullptr, nullptr), 0);
    EXPECT_NE(big, copy);
    ASSERT_EQ(CSConvertCodepage(big.data(), (int)big.size(), 1047, 819, nullptr, nullptr), 0);
    EXPECT_EQ(big, copy);
}

TEST(Convert, FailuresReportTheBadByte)
{
    /* The euro pages hold the euro where Latin-1 has the currency sign. */
    unsigned char text[4] = {'A', 'B', 0xA4, 'C'};
    unsigned char bad = 0;
    EXPECT_EQ(CSConvertCodepage(text, 4, 819, 1140, nullptr, &bad), 5);
    EXPECT_EQ(bad, 0xA4);
    EXPECT_EQ(Bytes(text, text + 4), Hex("C1C2A443"));   /* converted up to it */

    /* The same in a large buffer. */
    Bytes large(8192, 'a');
    large[5000] = 0xA4;
    EXPECT_EQ(CSConvertCodepage(large.data(), (int)large.size(), 819, 1140, nullptr, &bad), 5);
    EXPECT_EQ(large[4999], 0x81);
    EXPECT_EQ(large[5000], 0xA4);
    EXPECT_EQ(large[5001], 'a');
    large[5000] = 'a';
    EXPECT_EQ(CSConvertCodepage(large.data(), (int)large.size(), 819, 1140, nullptr, &bad), 0);
    EXPECT_EQ(large[8191], 0x81);

    /* A box-drawing character of 850 has no place in 37. */
    unsigned char box[2] = {'x', 0xB0};
    EXPECT_EQ(CSConvertCodepage(box, 2, 850, 37, nullptr, &bad), 5);
    EXPECT_EQ(bad, 0xB0);
    EXPECT_EQ(box[1], 0xB0);

    /* Greek 875 has no e acute; the default character does not hide it. */
    unsigned char e = 0xE9;
    EXPECT_EQ(CSConvertCodepage(&e, 1, 819, 875, "?", &bad), 5);
    EXPECT_EQ(e, 0xE9);

    /* A lone UTF-8 lead byte is not valid in the source. */
    unsigned char u[2] = {'a', 0xC3};
    EXPECT_EQ(CSConvertCodepage(u, 2, 1208, 819, nullptr, &bad), 4);
    EXPECT_EQ(bad, 0xC3);
    EXPECT_EQ(u[0], 'a');
    /* UTF-8 takes ASCII only, one byte to one byte. */
    unsigned char ae = 0xE4;
    EXPECT_EQ(CSConvertCodepage(&ae, 1, 819, 1208, nullptr, &bad), 5);

    /* Code pages that nobody knows: the error, not a crash. */
    unsigned char x[2] = {'1', '2'};
    EXPECT_EQ(CSConvertCodepage(x, 2, 54321, 37, nullptr, &bad), 4);
    EXPECT_EQ(bad, '1');
    EXPECT_EQ(CSConvertCodepage(x, 2, 819, 54321, nullptr, nullptr), 5);
    EXPECT_EQ(Bytes(x, x + 2), Hex("3132"));
    EXPECT_FALSE(CSCodepageKnown(54321));
    EXPECT_TRUE(CSCodepageKnown(20273));
}

/* Where the system has a code page, its bytes and the own table's agree,
 * so data converts alike on hosts with and without it. */
TEST(Convert, SystemAndOwnTablesAgree)
{
    int compared = 0;
    for (const CSCodepageTable *t = CSOwnCodepages; t->codepage; t++) {
        if (!CSCpSysHas(t->codepage))
            continue;
        compared++;
        for (int b = 0; b < 256; b++) {
            uint16_t unit;
            int ok = CSCpSysDecode(t->codepage, (unsigned char)b, &unit);
            ASSERT_EQ(ok, t->units[b] != CSCP_NO_UNIT) << t->codepage << " byte " << b;
            if (ok) {
                EXPECT_EQ(unit, t->units[b]) << t->codepage << " byte " << b;
                unsigned char back;
                ASSERT_TRUE(CSCpSysEncode(t->codepage, unit, nullptr, &back));
                EXPECT_EQ(t->units[back], unit) << t->codepage << " byte " << b;
            }
        }
    }
#ifdef _WIN32
    EXPECT_GE(compared, 4);     /* 37, 500, 875, 1026 and the ASCII pages */
#else
    EXPECT_EQ(compared, 0);
#endif
}

/* The own tables as Latin-1: national characters at their own bytes,
 * the substitute for characters Latin-1 lacks, and the same answer as
 * converting the byte to 819. */
TEST(Latin1Tables, NationalBytesAndAgreement)
{
    const unsigned char *us = CSSingleByteToLatin1(37), *intl = CSSingleByteToLatin1(500);
    const unsigned char *de = CSSingleByteToLatin1(273), *zos = CSSingleByteToLatin1(1047);
    const unsigned char *deEuro = CSSingleByteToLatin1(1141);
    ASSERT_TRUE(us && intl && de && zos && deEuro);
    EXPECT_EQ(us[0xC1], 'A');
    EXPECT_EQ(us[0x4A], 0xA2);                 /* cent */
    EXPECT_EQ(us[0xBA], '[');
    EXPECT_EQ(intl[0x4A], '[');
    EXPECT_EQ(intl[0x4F], '!');
    EXPECT_EQ(de[0x4A], 0xC4);                 /* A umlaut */
    EXPECT_EQ(de[0xE0], 0xD6);                 /* O umlaut */
    EXPECT_EQ(de[0xA1], 0xDF);                 /* sharp s */
    EXPECT_EQ(de[0x63], '[');
    EXPECT_EQ(de[0x43], '{');
    EXPECT_EQ(de[0x7C], 0xA7);                 /* section sign */
    EXPECT_EQ(zos[0xAD], '[');
    EXPECT_EQ(zos[0x5F], '^');
    EXPECT_EQ(zos[0x15], 0x85);                /* new line */
    EXPECT_EQ(zos[0x25], '\n');
    EXPECT_EQ(deEuro[0x4A], 0xC4);
    EXPECT_EQ(deEuro[0x9F], CS_LATIN1_SUBSTITUTE);   /* the euro sign */
    EXPECT_EQ(CSSingleByteToLatin1(850)[0x82], 0xE9);
    EXPECT_EQ(CSSingleByteToLatin1(1252)[0x80], CS_LATIN1_SUBSTITUTE);
    EXPECT_EQ(CSSingleByteToLatin1(20273), de);      /* by code page too */
    for (int b = 0; b < 256; b++)
        ASSERT_EQ(CSSingleByteToLatin1(819)[b], b);
    for (int ccsid : {0, -1, 1208, 1200, 290, 1153, 54321})
        EXPECT_EQ(CSSingleByteToLatin1(ccsid), nullptr) << ccsid;

    for (int ccsid : {37, 273, 500, 875, 1026, 1047, 1140, 1141, 1149, 437, 850, 1252}) {
        const unsigned char *t = CSSingleByteToLatin1(ccsid);
        ASSERT_NE(t, nullptr) << ccsid;
        EXPECT_EQ(CSSingleByteToLatin1(ccsid), t);
        for (int b = 0; b < 256; b++) {
            unsigned char c = (unsigned char)b;
            if (CSConvertCodepage(&c, 1, ccsid, 819, nullptr, nullptr) == CSCP_OK)
                EXPECT_EQ(t[b], c) << ccsid << " byte " << b;
            else
                EXPECT_EQ(t[b], CS_LATIN1_SUBSTITUTE) << ccsid << " byte " << b;
        }
    }
}

TEST(CodepageSetting, SyntaxBytesAndCache)
{
    CPSETTING *s = CSGetCodepageSetting(37, nullptr, nullptr, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ccsid, 37);
    EXPECT_EQ(s->codepage, 37);
    EXPECT_EQ(s->ebcdic, 1);
    EXPECT_EQ(s->notInstalled, 0);
    EXPECT_EQ(s->blankNotConvertible, 0);
    const unsigned char expected37[CPS_COUNT] = {
        0x40, 0x25, 0x0D, 0x05, 0x4C, 0x6E, 0x4D, 0x5D, 0xBA, 0xBB, 0xC0, 0xD0, 0x61,
        0x6F, 0x5A, 0x60, 0x4E, 0x7A, 0x6B, 0x4B, 0x7D, 0x7F, 0xE4, 0xD5, 0xC1, 0xC2};
    EXPECT_EQ(memcmp(s->syntax, expected37, CPS_COUNT), 0);
    EXPECT_EQ(s->cellWidth, 0);

    CPSETTING *german = CSGetCodepageSetting(273, nullptr, nullptr, nullptr);
    EXPECT_EQ(german->syntax[CPS_LBRACKET], 0x63);
    EXPECT_EQ(german->codepage, 20273);

    CPSETTING *ascii = CSGetCodepageSetting(819, nullptr, nullptr, nullptr);
    EXPECT_EQ(ascii->ebcdic, 0);
    EXPECT_EQ(ascii->syntax[CPS_BLANK], ' ');
    EXPECT_EQ(ascii->syntax[CPS_B], 'B');

    /* Unknown: flagged, characters keep their 850 values. */
    CPSETTING *unknown = CSGetCodepageSetting(54321, nullptr, nullptr, nullptr);
    EXPECT_EQ(unknown->notInstalled, 1);
    EXPECT_EQ(unknown->blankNotConvertible, 1);
    EXPECT_EQ(unknown->syntax[CPS_BLANK], ' ');
    EXPECT_EQ(unknown->syntax[CPS_QUOTE], '"');
    unknown->warned = 1;

    /* Found again: the same record, moved to the front. */
    EXPECT_EQ(CSGetCodepageSetting(37, nullptr, nullptr, nullptr), s);
    EXPECT_EQ(s->next, unknown);
    EXPECT_EQ(CSGetCodepageSetting(54321, nullptr, nullptr, nullptr)->warned, 1);
    CSFreeCodepageSettings();
    EXPECT_EQ(CSGetCodepageSetting(54321, nullptr, nullptr, nullptr)->warned, 0);
    CSFreeCodepageSettings();
}

#ifdef _WIN32
TEST(CodepageSetting, WidthsFromADeviceContext)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        GTEST_SKIP() << "no device context here";
    SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    CPSETTING *s = CSGetCodepageSetting(500, nullptr, nullptr, dc);
    ASSERT_NE(s, nullptr);
    EXPECT_GT(s->cellWidth, 0);
    EXPECT_EQ(s->fixedPitch, 1);
    EXPECT_EQ(s->widths[0xC1], s->cellWidth);          /* "A" */
    EXPECT_EQ(s->offsets[0xC1], 0);
    DeleteDC(dc);
    CSFreeCodepageSettings();
}
#endif

TEST(FixedTables, PrintableAndTranslate)
{
    unsigned char in[3] = {0xC1, 0xC2, 0xF1}, out[3];
    EXPECT_EQ(CSMakePrintable(out, in, 3), 3);
    EXPECT_EQ(std::string((char *)out, 3), "AB1");
    unsigned char zero = 0;
    EXPECT_EQ(CSMakePrintable(&zero, &zero, 1), 0);
    EXPECT_EQ(zero, '.');

    /* Table spot values, first and last rows included. */
    EXPECT_EQ(CSEbcdicToPrintable[0x40], 0x20);
    EXPECT_EQ(CSEbcdicToPrintable[0x5B], 0x9C);
    EXPECT_EQ(CSEbcdicToPrintable[0x6A], 0xDD);
    EXPECT_EQ(CSEbcdicToPrintable[0xBF], 0x2D);
    EXPECT_EQ(CSEbcdicToPrintable[0xF9], '9');
    EXPECT_EQ(CSEbcdicToPrintable[0xFF], '.');
    EXPECT_EQ(CSAsciiToEbcdic[0x24], 0x4A);
    EXPECT_EQ(CSAsciiToEbcdic[0x5B], 0x4B);
    EXPECT_EQ(CSAsciiToEbcdic[0x9C], 0x5B);
    EXPECT_EQ(CSAsciiToEbcdic[0xDD], 0x6A);
    EXPECT_EQ(CSAsciiToEbcdic[0x7E], 0xA1);
    EXPECT_EQ(CSAsciiToEbcdic[0xFF], 0x4B);

    const char *hello = "HELLO 12";
    unsigned char e[8];
    CSTranslateBytes(e, (const unsigned char *)hello, 8, CSAsciiToEbcdic);
    EXPECT_EQ(Bytes(e, e + 8), Hex("C8C5D3D3D640F1F2"));
    CSMakePrintable(e, e, 8);
    EXPECT_EQ(std::string((char *)e, 8), hello);
}

TEST(FixedTables, PlainTextGuess)
{
    const char *words = "HELLO WORLD";
    unsigned char ebcdic[11];
    CSTranslateBytes(ebcdic, (const unsigned char *)words, 11, CSAsciiToEbcdic);
    EXPECT_EQ(CSIsPlainText(ebcdic, 11), 0);
    EXPECT_EQ(CSIsPlainText((const unsigned char *)words, 11), 1);
    EXPECT_EQ(CSIsPlainText(ebcdic, 0), 1);
    /* Only the first 50 bytes count. */
    Bytes mixed(50, 'A');
    mixed.insert(mixed.end(), 100, 0xC1);
    EXPECT_EQ(CSIsPlainText(mixed.data(), (int)mixed.size()), 1);
}

TEST(NumberEncoding, Swaps)
{
    unsigned char b[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    CSSwap32(b, 1);
    EXPECT_EQ(Bytes(b, b + 4), Hex("04030201"));
    CSSwap32(b, 1);
    CSSwap16(b, 3);
    EXPECT_EQ(Bytes(b, b + 8), Hex("0201040306050708"));
    CSSwap16(b, 3);
    CSSwap64(b, 2);
    EXPECT_EQ(Bytes(b, b + 16), Hex("0807060504030201100F0E0D0C0B0A09"));
    CSSwap64(b, 0);
    EXPECT_EQ(b[0], 8);
}

static Bytes F64(const char *hex, int from, int to)
{
    Bytes b = Hex(hex);
    CSConvertFloat64(b.data(), from, to);
    return b;
}

static Bytes F32(const char *hex, int from, int to)
{
    Bytes b = Hex(hex);
    CSConvertFloat32(b.data(), from, to);
    return b;
}

TEST(NumberEncoding, FloatExactValues)
{
    /* 1.0 from IEEE reversed to S/390. */
    EXPECT_EQ(F64("000000000000F03F", 0x200, 0x300), Hex("4110000000000000"));
    EXPECT_EQ(F64("4110000000000000", 0x300, 0x200), Hex("000000000000F03F"));
    EXPECT_EQ(F32("BF800000", 0x100, 0x300), Hex("C1100000"));
    EXPECT_EQ(F32("C1100000", 0x300, 0x100), Hex("BF800000"));
    /* 0.1: doubles keep every bit, singles truncate. */
    EXPECT_EQ(F64("3FB999999999999A", 0x100, 0x300), Hex("401999999999999A"));
    EXPECT_EQ(F32("3DCCCCCD", 0x100, 0x300), Hex("40199999"));
    /* -118.625 and 100.0 */
    EXPECT_EQ(F64("C05DA80000000000", 0x100, 0x300), Hex("C276A00000000000"));
    EXPECT_EQ(F32("42C80000", 0x100, 0x300), Hex("42640000"));
    /* Encoding words are masked: 546 is reversed, 785 is S/390. */
    EXPECT_EQ(F32("0000803F", 546, 785), Hex("41100000"));
    /* Between the two IEEE orders only the bytes turn. */
    EXPECT_EQ(F64("0102030405060708", 0x100, 0x200), Hex("0807060504030201"));
    /* Unknown or equal encodings leave the value alone. */
    EXPECT_EQ(F64("0102030405060708", 0x100, 0x400), Hex("0102030405060708"));
    EXPECT_EQ(F64("0102030405060708", 0x300, 0x300), Hex("0102030405060708"));
}

TEST(NumberEncoding, FloatZeroDenormalsAndOverflow)
{
    EXPECT_EQ(F64("0000000000000000", 0x100, 0x300), Hex("0000000000000000"));
    EXPECT_EQ(F64("8000000000000000", 0x100, 0x300), Hex("8000000000000000"));
    EXPECT_EQ(F32("80000000", 0x300, 0x100), Hex("80000000"));
    EXPECT_EQ(F32("7F000000", 0x300, 0x100), Hex("00000000"));     /* zero fraction */
    /* The smallest single denormal and back. */
    EXPECT_EQ(F32("00000001", 0x100, 0x300), Hex("1B800000"));
    EXPECT_EQ(F32("1B800000", 0x300, 0x100), Hex("00000001"));
    /* S/390 values beyond the single range: infinity, or signed zero. */
    EXPECT_EQ(F32("7FFFFFFF", 0x300, 0x100), Hex("7F800000"));
    EXPECT_EQ(F32("FFFFFFFF", 0x300, 0x100), Hex("FF800000"));
    EXPECT_EQ(F32("80100000", 0x300, 0x100), Hex("80000000"));
    /* Infinities and NaNs: the largest S/390 magnitude, sign kept. */
    EXPECT_EQ(F32("7F800000", 0x100, 0x300), Hex("7FFFFFFF"));
    EXPECT_EQ(F32("FF800000", 0x100, 0x300), Hex("FFFFFFFF"));
    EXPECT_EQ(F64("7FF8000000000000", 0x100, 0x300), Hex("7FFFFFFFFFFFFFFF"));
    /* Doubles outside the S/390 range saturate or go to zero, signed. */
    EXPECT_EQ(F64("7E37E43C8800759C", 0x100, 0x300), Hex("7FFFFFFFFFFFFFFF"));   /* 1e300 */
    EXPECT_EQ(F64("FE37E43C8800759C", 0x100, 0x300), Hex("FFFFFFFFFFFFFFFF"));
    EXPECT_EQ(F64("8000000000000001", 0x100, 0x300), Hex("8000000000000000"));
    /* The largest S/390 long value is a finite double. */
    Bytes big = F64("7FFFFFFFFFFFFFFF", 0x300, 0x100);
    EXPECT_EQ(big[0], 0x4F);
}

/* Doubles inside the S/390 range survive IEEE -> S/390 -> IEEE exactly;
 * S/390 short values inside the single range survive the other way. */
TEST(NumberEncoding, FloatRoundTrips)
{
    std::mt19937_64 rng(11);
    for (int i = 0; i < 20000; i++) {
        uint64_t bits = rng();
        int e = 1023 - 200 + (int)(rng() % 400);
        bits = (bits & 0x800FFFFFFFFFFFFFULL) | (uint64_t)e << 52;
        unsigned char v[8];
        for (int k = 0; k < 8; k++)
            v[k] = (unsigned char)(bits >> (56 - 8 * k));
        unsigned char w[8];
        memcpy(w, v, 8);
        CSConvertFloat64(w, 0x100, 0x300);
        CSConvertFloat64(w, 0x300, 0x100);
        ASSERT_EQ(memcmp(v, w, 8), 0) << std::hex << bits;
    }
    for (int i = 0; i < 20000; i++) {
        uint32_t frac = (uint32_t)rng() & 0xFFFFFF;
        if (!(frac & 0xF00000))
            frac |= 0x100000;
        uint32_t bits = (uint32_t)(rng() & 0x80000000u) | (uint32_t)(40 + rng() % 50) << 24 | frac;
        unsigned char v[4] = {(unsigned char)(bits >> 24), (unsigned char)(bits >> 16),
                              (unsigned char)(bits >> 8), (unsigned char)bits};
        unsigned char w[4];
        memcpy(w, v, 4);
        CSConvertFloat32(w, 0x300, 0x200);
        CSConvertFloat32(w, 0x200, 0x300);
        ASSERT_EQ(memcmp(v, w, 4), 0) << std::hex << bits;
    }
}
