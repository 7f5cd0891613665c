/* Field values: integers, decimals, floats, times, value names and
 * conditions. */
#include "fmttest.h"
#include "fmtint.h"
#include "cstext.h"
int FmtPutToLocal(char *date, char *time);
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

FmtFieldDef Field(uint16_t type, uint32_t length, uint32_t digits = 0, uint32_t decimals = 0, uint32_t flags = 0)
{
    return FmtFieldDef{ "Field", type, length, nullptr, flags, digits, decimals, nullptr, 0 };
}

TEST(FmtValue, IntegersInBothEncodings)
{
    const unsigned char one[] = { 1, 0, 0, 0 };
    FmtFieldDef f = Field(FT_INT, 4);
    EXPECT_EQ(1, FapGetFieldInt(&f, one, 546, 0));
    EXPECT_EQ(16777216, FapGetFieldInt(&f, one, 273, 0));
    const unsigned char neg[] = { 0xFF, 0xFF, 0xFF, 0xFE };
    EXPECT_EQ(-2, FapGetFieldInt(&f, neg, 273, 0));
    FmtFieldDef u = Field(FT_UINT, 4);
    EXPECT_EQ(0xFFFFFFFEll, FapGetFieldInt(&u, neg, 273, 0));
    FmtFieldDef s = Field(FT_SHORT, 2);
    EXPECT_EQ(-1, FapGetFieldInt(&s, neg, 273, 0));
    FmtFieldDef q = Field(FT_INT64, 8);
    const unsigned char eight[] = { 0, 0, 0, 0, 0, 0, 1, 0 };
    EXPECT_EQ(256, FapGetFieldInt(&q, eight, 273, 0));
    EXPECT_EQ(1ll << 48, FapGetFieldInt(&q, eight, 546, 0));
}

/* The line writers' numbers against formatted printing: every power of
 * ten and its neighbours, the extremes, and a spread of others. */
TEST(FmtValue, NumberWritersGiveWhatPrintfGives)
{
    std::vector<uint64_t> values = { 0, UINT64_MAX, (uint64_t)INT64_MAX, (uint64_t)INT64_MIN };
    for (uint64_t p = 1; p <= UINT64_MAX / 10; p *= 10)
        for (uint64_t v : { p - 1, p, p + 1, 10 * p - 1 })
            values.push_back(v);
    uint64_t x = 88172645463325252ull;
    for (int i = 0; i < 20000; i++) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        values.push_back(x >> (i % 64));
    }
    for (uint64_t v : values) {
        char want[64], got[64];
        snprintf(want, sizeof want, "%llu", (unsigned long long)v);
        *CSPutUDec(got, v) = 0;
        ASSERT_STREQ(got, want);
        snprintf(want, sizeof want, "%lld", (long long)v);
        *CSPutDec(got, (int64_t)v) = 0;
        ASSERT_STREQ(got, want);
        for (int width : { 0, 1, 5, 8, 25 }) {
            snprintf(want, sizeof want, "%*llu", width, (unsigned long long)v);
            *FmtPutUDecWidth(got, v, width) = 0;
            ASSERT_STREQ(got, want) << width;
        }
    }
}

TEST(FmtValue, PackedZonedAndDigits)
{
    char out[64];
    const unsigned char packed[] = { 0x00, 0x12, 0x34, 0x5D };
    FmtFieldDef p = Field(FT_PACKED, 4, 5, 2);
    FapFormatPacked(&p, packed, 546, out);
    EXPECT_STREQ("-123.45", out);
    const unsigned char positive[] = { 0x00, 0x12, 0x34, 0x5C };
    FapFormatPacked(&p, positive, 546, out);
    EXPECT_STREQ("123.45", out);
    EXPECT_EQ(12345, FapGetFieldInt(&p, packed, 546, 0));      /* magnitude for lengths and counts */
    EXPECT_EQ(-12345, FapGetFieldSigned(&p, packed, 546, 0));  /* sign kept for comparisons */

    int valid = 0;
    FmtFieldDef z = Field(FT_ZONED, 3, 3);
    FapFormatZoned(&z, (const unsigned char *)"12J", 0, out, &valid);
    EXPECT_STREQ("-121", out);
    EXPECT_TRUE(valid);
    FapFormatZoned(&z, (const unsigned char *)"1X2", 0, out, &valid);
    EXPECT_FALSE(valid);
    const unsigned char ebcdicZoned[] = { 0xF1, 0xF2, 0xD1 };  /* 1 2 J */
    FapFormatZoned(&z, ebcdicZoned, 1, out, &valid);
    EXPECT_STREQ("-121", out);

    FmtFieldDef d = Field(FT_DIGITS, 4, 3, 0);
    FapFormatDigits(&d, (const unsigned char *)"042-", 0, out, &valid);
    EXPECT_STREQ("-42", out);
    FmtFieldDef ds = Field(FT_DIGITS, 4, 3, 0, FF_SIGN_FIRST | FF_SHOW_PLUS);
    FapFormatDigits(&ds, (const unsigned char *)"+007", 0, out, &valid);
    EXPECT_STREQ("+7", out);
}

/* Packed text as it was written through a digit buffer (the reference
 * for the direct writer): nibbles as digits (the last 96), leading zeros
 * dropped, zeros in front to one integer digit and the decimals. */
static std::string PackedReference(const FmtFieldDef &f, const unsigned char *p)
{
    std::string digits;
    for (uint32_t i = 0; i < f.length; i++) {
        digits += (char)('0' + (p[i] >> 4) % 10);
        if (i + 1 < f.length)
            digits += (char)('0' + (p[i] & 0xF) % 10);
    }
    if (digits.size() > 96)
        digits.erase(0, digits.size() - 96);
    uint32_t decimals = f.decimals < 96 ? f.decimals : 95;
    digits.erase(0, digits.find_first_not_of('0') == std::string::npos ? digits.size()
                                                                         : digits.find_first_not_of('0'));
    if (digits.size() < decimals + 1)
        digits.insert(0, decimals + 1 - digits.size(), '0');
    unsigned sign = f.length ? p[f.length - 1] & 0xF : 0;
    std::string out = f.type == FT_PACKED && (sign == 0xB || sign == 0xD) ? "-"
                      : (f.flags & FF_SHOW_PLUS) ? "+" : "";
    out += digits.substr(0, digits.size() - decimals);
    if (decimals)
        out += "." + digits.substr(digits.size() - decimals);
    return out;
}

TEST(FmtValue, PackedTextAsTheDigitBufferWroteIt)
{
    uint64_t x = 0x9E3779B97F4A7C15ull;
    unsigned char bytes[60];
    char out[256];
    for (int i = 0; i < 20000; i++) {
        for (unsigned char &b : bytes) {
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            /* mostly valid digits, some nibbles above 9, runs of zeros */
            b = (x & 7) == 0 ? 0 : (x & 15) == 1 ? (unsigned char)(x >> 8) : (unsigned char)(((x >> 8) % 10) << 4 | (x >> 16) % 10);
        }
        bytes[0] = (x >> 20) & 1 ? 0 : bytes[0];
        uint32_t length = 1 + (uint32_t)(x >> 24) % 56;
        bytes[length - 1] = (unsigned char)((bytes[length - 1] & 0xF0) | (0xA + (x >> 32) % 6));
        FmtFieldDef f = Field((x >> 40) & 1 ? FT_PACKED : FT_UPACKED, length, 0, (uint32_t)(x >> 44) % 14,
                              (x >> 50) & 1 ? FF_SHOW_PLUS : 0);
        if ((x >> 52) % 50 == 0)
            f.decimals = 200;               /* more places than digits can be held */
        uint32_t n = FapFormatPacked(&f, bytes, 546, out);
        ASSERT_EQ(std::string(out), PackedReference(f, bytes)) << i;
        ASSERT_EQ(n, strlen(out)) << i;
    }
}

/* Twenty digits and more do not fit a 64-bit integer: the display keeps
 * every digit, and the integer reading never overflows. */
TEST(FmtValue, DecimalsBeyondSixtyFourBits)
{
    char out[64];
    const unsigned char packed[] = { 0x09, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9D };
    FmtFieldDef p = Field(FT_PACKED, 11, 18, 2);
    FapFormatPacked(&p, packed, 546, out);
    EXPECT_STREQ("-999999999999999999.99", out);
    EXPECT_GT(FapGetFieldInt(&p, packed, 546, 0), 0);
    EXPECT_LT(FapGetFieldSigned(&p, packed, 546, 0), 0);

    int valid = 0;
    FmtFieldDef z = Field(FT_ZONED, 21, 21);
    FapFormatZoned(&z, (const unsigned char *)"12345678901234567890R", 0, out, &valid);
    EXPECT_STREQ("-123456789012345678909", out);
    EXPECT_TRUE(valid);
    FmtFieldDef d = Field(FT_DIGITS, 22, 20, 2);
    FapFormatDigits(&d, (const unsigned char *)"0000000000000000000001", 0, out, &valid);
    EXPECT_STREQ("0.01", out);
    FapFormatDigits(&d, (const unsigned char *)"9999999999999999999999", 0, out, &valid);
    EXPECT_STREQ("99999999999999999999.99", out);
    EXPECT_GT(FapGetFieldInt(&d, (const unsigned char *)"9999999999999999999999", 546, 0), 0);
}

TEST(FmtValue, DecimalsFromText)
{
    unsigned char out[8];
    FmtFieldDef p = Field(FT_PACKED, 4, 5, 2);
    ASSERT_EQ(4u, FapParseDecimal(&p, "-123.45", 7, 0, out));
    EXPECT_EQ(0, memcmp(out, "\x00\x12\x34\x5D", 4));
    EXPECT_EQ(0u, FapParseDecimal(&p, "1234567", 7, 0, out));
    FmtFieldDef up = Field(FT_UPACKED, 2, 3, 0);
    EXPECT_EQ(0u, FapParseDecimal(&up, "-1", 2, 0, out));
    ASSERT_EQ(2u, FapParseDecimal(&up, "12", 2, 0, out));
    EXPECT_EQ(0, memcmp(out, "\x01\x2F", 2));
    FmtFieldDef z = Field(FT_ZONED, 3, 3);
    ASSERT_EQ(3u, FapParseZoned(&z, "-121", 4, 0, out));
    EXPECT_EQ(0, memcmp(out, "12J", 3));

    struct { const char *text; int ok; } checks[] = {
        { "", 0 }, { "12.5", 1 }, { "-1", 1 }, { "+1", 0 }, { "1-", 0 }, { ".5", 0 },
        { "1.2.3", 0 }, { "123456", 0 }, { "12.345", 0 }, { "1a", 0 },
    };
    FmtFieldDef c = Field(FT_PACKED, 4, 5, 2);
    for (auto &k : checks)
        EXPECT_EQ(k.ok, FapCheckNumber(&c, k.text, (uint32_t)strlen(k.text))) << k.text;
    FmtFieldDef zc = Field(FT_ZONED, 4, 4, 0);
    EXPECT_EQ(1, FapCheckNumber(&zc, "+12", 3));
}

TEST(FmtValue, FloatsAndTimes)
{
    char out[64];
    FapFormatFloat(12345678901.0, out, 7);
    EXPECT_NE(nullptr, strchr(out, 'e')) << out;
    FapFormatFloat(1.5, out, 7);
    EXPECT_STREQ("1.5", out);
    FapFormatFloat(0.1f, out, 7);
    EXPECT_STREQ("0.1", out);
    const unsigned char f[] = { 0x3F, 0xC0, 0, 0 };             /* 1.5 big-endian */
    FmtFieldDef fl = Field(FT_FLOAT, 4, 7);
    EXPECT_EQ(1.5, FapGetFieldFloat(&fl, f, 273));

    FapFormatTime64(86400 + 3661, 1, out);
    EXPECT_STREQ("01:01:01 02/01/1970", out);
    FapFormatTime64(86400 + 3661, 3, out);
    EXPECT_STREQ("01:01:01 01/02/1970", out);
    int64_t t;
    EXPECT_EQ(1, FapParseTime64(&t, 1, 0, "01:01:01 02/01/1970", 19));
    EXPECT_EQ(86400 + 3661, t);
    EXPECT_EQ(0, FapParseTime64(&t, 1, 0, "24:00:00 01/01/2000", 19));
    EXPECT_EQ(0, FapParseTime64(&t, 1, 0, "00:00:00 00/01/2000", 19));
    EXPECT_EQ(0, FapParseTime64(&t, 1, 0, "00:00:00 30/02/2000", 19));
    EXPECT_EQ(0, FapParseTime64(&t, 1, 0, "00:00:00 01/01/200", 18));
    EXPECT_EQ(1, FapParseTime64(&t, 1, 60, "01:00:00 01/01/1970", 19));
    EXPECT_EQ(1, FapParseTime64(&t, 0, 60, "01:00:00 01/01/1970", 19));
    EXPECT_EQ(0, t);
}

TEST(FmtValue, ValueNames)
{
    static const FmtValueName flags[] = { { 1, "F_ONE", "One", 0 }, { 0x10, "F_SIXTEEN", "Sixteen", 0 },
                                          { 0, nullptr, nullptr, 0 } };
    FmtFieldDef f = Field(FT_FLAGS, 4);
    f.reference = flags;
    Recorder r;
    FmtLineRec lr = MakeLineRec(4);
    char buf[FMT_LINE_BUFFER];
    lr.text = buf;
    EXPECT_EQ(0u, FapFormatFlags(RecordSink, (uint64_t)(uintptr_t)&r, &f, 0x11, 2, &lr));
    ASSERT_EQ(2u, r.lines.size());
    EXPECT_EQ("  00000001 One", r.lines[0].text);
    EXPECT_EQ(LF_CONTINUATION | LF_TEXT, r.lines[0].lineFlags);
    r.lines.clear();
    FapFormatFlags(RecordSink, (uint64_t)(uintptr_t)&r, &f, 0x111, 2, &lr);
    ASSERT_EQ(3u, r.lines.size());
    EXPECT_EQ("  00000100 ** Unrecognised **", r.lines[2].text);

    static const FmtValueName fmts[] = { { (uint64_t)(uintptr_t)"MQSTR   ", "MQFMT_STRING", "String", 0 },
                                         { 0, nullptr, nullptr, 0 } };
    FmtFieldDef c = Field(FT_CHAR, 8);
    c.reference = fmts;
    char out[128];
    FapFormatEnum(850, &c, 0, (const unsigned char *)"MQSTR   ", 8, out);
    EXPECT_STREQ(" MQFMT_STRING (String)", out);
    FapFormatEnum(850, &c, 0, (const unsigned char *)"MQSTRX  ", 8, out);
    EXPECT_STREQ(" (Unrecognised)", out);
    const unsigned char ebcdic[] = { 0xD4, 0xD8, 0xE2, 0xE3, 0xD9, 0x40, 0x40, 0x40 };
    FapFormatEnum(500, &c, 1, ebcdic, 8, out);
    EXPECT_STREQ(" MQFMT_STRING", out);

    static const FmtValueName nums[] = { { (uint64_t)(uintptr_t)"-12.5", "MINUS", "Minus twelve and a half", 0 },
                                         { 0, nullptr, nullptr, 0 } };
    FmtFieldDef n = Field(FT_DIGITS, 6, 4, 2);
    n.reference = nums;
    FapFormatTextEnum(&n, 1, "-0012.50", 8, out);
    EXPECT_STREQ(" MINUS", out);
    FapFormatTextEnum(&n, 0, "12.50", 5, out);
    EXPECT_STREQ(" (Unrecognised)", out);

    EXPECT_EQ(1, BlankPadCompare("AB", 2, "AB  ", 4));
    EXPECT_EQ(0, BlankPadCompare("AB", 2, "ABC", 3));
}

/* A row conditioned on a negative range of a packed field: the
 * comparison keeps the field's sign. */
TEST(FmtFaults, PackedConditionsKeepTheirSign)
{
    FmtFieldDef amount = { "Amount", FT_PACKED, 3, nullptr, 0, 5, 0, nullptr, 0 };
    FmtFieldDef note = { "Debit Note", FT_CHAR, 4, nullptr, 0, 0, 0, nullptr, 0 };
    FmtCondition negative[] = { { &amount, -99999, -1, nullptr }, { nullptr, 0, 0, nullptr } };
    FmtStructRow rows[] = { { 0, &amount, nullptr, 0 }, { 0, &note, negative, 0 }, { 0, nullptr, nullptr, 0 } };
    FmtStructDef def = { "Ledger", 0, rows, nullptr, 0, 0, 0 };
    FmtLayoutStruct(&def, 1);
    for (unsigned char sign : { 0x0D, 0x0C }) {
        unsigned char data[] = { 0x00, 0x12, (unsigned char)(0x30 | sign), 'D', 'E', 'B', 'T' };
        Recorder r;
        FmtMsgInfo m = MakeMsg("        ");
        FmtLineRec lr = MakeLineRec(4);
        const unsigned char *p = data;
        uint32_t rem = sizeof data;
        FapFormatStructure(&m, &def, nullptr, RecordSink, (uint64_t)(uintptr_t)&r, &lr, &rem, &p);
        std::string out = Render(r);
        if (sign == 0x0D) {
            EXPECT_NE(std::string::npos, out.find("Amount       : -123")) << out;
            EXPECT_NE(std::string::npos, out.find("'DEBT'")) << out;
        } else {
            EXPECT_EQ(std::string::npos, out.find("'DEBT'")) << out;
            EXPECT_NE(std::string::npos, out.find("<4 Remaining Bytes>")) << out;
        }
    }
}

}

namespace {
TEST(FmtValue, PutDateAndTimeToLocal)
{
    char date[9] = "20240131", time[9] = "23300000";
    ASSERT_EQ(1, FmtPutToLocal(date, time));          /* the tests run with TZ=UTC */
    EXPECT_EQ(std::string("20240131"), std::string(date, 8));
    EXPECT_EQ(std::string("233000"), std::string(time, 6));
    char bad[9] = "20241301", t2[9] = "00000000";
    EXPECT_EQ(0, FmtPutToLocal(bad, t2));
}
}

namespace {
/* A run-time field shorter than its type reads shows its bytes and reads
 * nothing beyond them. */
TEST(FmtValue, FieldsShorterThanTheirTypeRead)
{
    FmtFieldDef shortInt = { "Short Int", FT_INT, 2, nullptr, 0, 0, 0, nullptr, 0 };
    FmtFieldDef shortDbl = { "Short Double", FT_DOUBLE, 3, nullptr, 0, 0, 0, nullptr, 0 };
    FmtStructRow rows[] = { { 0, &shortInt, nullptr, 0 }, { 0, &shortDbl, nullptr, 0 }, { 0, nullptr, nullptr, 0 } };
    FmtStructDef def = { "Odd", 0, rows, nullptr, 0, 0, 0 };
    FmtLayoutStruct(&def, 1);
    std::vector<unsigned char> data = { 0x12, 0x34, 0x56, 0x78, 0x9A };
    Recorder r;
    FmtMsgInfo m = MakeMsg("        ");
    FmtLineRec lr = MakeLineRec(4);
    const unsigned char *p = data.data();
    uint32_t rem = (uint32_t)data.size();
    FapFormatStructure(&m, &def, nullptr, RecordSink, (uint64_t)(uintptr_t)&r, &lr, &rem, &p);
    std::string out = Render(r);
    EXPECT_NE(std::string::npos, out.find("Short Int    : 1234")) << out;
    EXPECT_NE(std::string::npos, out.find("Short Double : 56789A")) << out;
}
}
