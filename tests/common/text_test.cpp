/* String, hex and byte routines: dump layout and lines, hex texts,
 * nibbles, searches, wildcards, trimming and copying. */
#include "cstext.h"
#include "cscodepage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

TEST(DumpLayout, WidthsGroupsAndSpare)
{
    CSDumpLayout l = {0, 80, 0, 0, 0};
    CSSetDumpLayout(&l);
    EXPECT_EQ(l.bytesPerLine, 24);
    EXPECT_EQ(l.gap, 2);
    EXPECT_EQ(l.spare, 6);

    l = {CSDUMP_OFFSET, 0, 0, 0, 0};             /* 70 - 2 = 68: 5 groups */
    CSSetDumpLayout(&l);
    EXPECT_EQ(l.width, 80);
    EXPECT_EQ(l.bytesPerLine, 20);
    EXPECT_EQ(l.spare, 8);

    l = {CSDUMP_NOCHARS, 80, 3, 0, 0};            /* 80 / 8 */
    CSSetDumpLayout(&l);
    EXPECT_EQ(l.bytesPerLine, 40);
    EXPECT_EQ(l.gap, 0);
    EXPECT_EQ(l.spare, 0);

    l = {CSDUMP_GROUPBLANK, 80, 0, 0, 0};         /* 78 / 13 = 6, spare 0 -> gap */
    CSSetDumpLayout(&l);
    EXPECT_EQ(l.bytesPerLine, 24);
    EXPECT_EQ(l.spare, 2);

    l = {CSDUMP_OFFSET, 5, 0, 0, 0};              /* at least 20 wide, one group */
    CSSetDumpLayout(&l);
    EXPECT_EQ(l.width, 20);
    EXPECT_EQ(l.bytesPerLine, 4);

    l = {0, 80, 0, 16, 0};                        /* already computed: untouched */
    CSSetDumpLayout(&l);
    EXPECT_EQ(l.bytesPerLine, 16);
    EXPECT_EQ(l.gap, 0);
}

TEST(HexDump, LineLayout)
{
    const unsigned char data[] = {'A', 'B', 'C', 0x01, 'x', 0x7F, 0xFF, ' ', 'z'};
    char line[128];

    UTHexDumpLine(data, 8, 8, line, 0, 0);
    EXPECT_STREQ(line, "41424301787FFF20");

    UTHexDumpLine(data, 4, 8, line, 2, 0);        /* padded, then the characters */
    EXPECT_EQ(std::string(line), "41424301" + std::string(10, ' ') + "ABC.");

    UTHexDumpLine(data, 8, 8, line, 2, UTHEX_GROUPS);
    EXPECT_STREQ(line, "41424301 787FFF20  ABC.x.. ");

    UTHexDumpLine(data, 5, 8, line, 2, UTHEX_GROUPS);
    EXPECT_EQ(std::string(line), "41424301 78" + std::string(8, ' ') + "ABC.x");

    UTHexDumpLine(data, 3, 4, line, 0, UTHEX_GROUPS);   /* no groups under 8 */
    EXPECT_STREQ(line, "414243  ");

    memset(line, '#', sizeof line);
    UTHexDumpLine(data, 2, 2, line, 0, UTHEX_NOTERM);
    EXPECT_EQ(std::string(line, 5), "4142#");
}

TEST(HexDump, EbcdicCharacterColumn)
{
    const unsigned char ebcdic[] = {0xC1, 0xC2, 0x40, 0xF1};
    char line[64];
    EXPECT_EQ(UTHexDumpLine(ebcdic, 4, 4, line, 1, UTHEX_EBCDIC | UTHEX_SHOWEBCDIC), 1);
    EXPECT_STREQ(line, "C1C240F1 AB 1");
    EXPECT_EQ(UTHexDumpLine(ebcdic, 4, 4, line, 1, UTHEX_EBCDIC), 0);
    EXPECT_STREQ(line, "C1C240F1 ..@.");
    /* Without a character column nothing is translated. */
    EXPECT_EQ(UTHexDumpLine(ebcdic, 4, 4, line, 0, UTHEX_EBCDIC | UTHEX_SHOWEBCDIC), 0);
    /* 200 bytes or more: not translated. */
    std::vector<unsigned char> big(200, 0xC1);
    std::vector<char> out(2 * 200 + 2 + 200 + 1);
    EXPECT_EQ(UTHexDumpLine(big.data(), 200, 200, out.data(), 2,
                            UTHEX_EBCDIC | UTHEX_SHOWEBCDIC), 0);
    EXPECT_EQ(out[402], '.');
}

/* The byte-at-a-time dump line the grouped one replaced: the reference
 * for every layout. */
static int ReferenceDumpLine(const unsigned char *bytes, int count, int width, char *out, int gap, int flags)
{
    static const char digits[] = "0123456789ABCDEF";
    if (count > width)
        count = width;
    if (count < 0)
        count = 0;
    int groups = (flags & UTHEX_GROUPS) && width >= 8;
    int charStart = 2 * width + gap + (groups ? (width - 1) / 4 : 0);
    if (gap)
        memset(out, ' ', (size_t)(charStart + width));
    char *p = out;
    for (int i = 0; i < count; i++) {
        if (groups && i && i % 4 == 0)
            *p++ = ' ';
        *p++ = digits[bytes[i] >> 4];
        *p++ = digits[bytes[i] & 15];
    }
    for (int i = count; i < width; i++) {
        if (groups && i && i % 4 == 0 && gap)
            *p++ = ' ';
        *p++ = ' ';
        *p++ = ' ';
    }
    int translated = 0;
    if (gap) {
        char *c = out + charStart;
        if ((flags & UTHEX_EBCDIC) && (flags & UTHEX_SHOWEBCDIC) && count < 200) {
            CSMakePrintable((unsigned char *)c, bytes, count);
            translated = 1;
        }
        for (int i = 0; i < count; i++) {
            unsigned char b = translated ? (unsigned char)c[i] : bytes[i];
            c[i] = b >= 0x20 && b < 0x7F ? (char)b : '.';
        }
        p = c + count;
    }
    if (!(flags & UTHEX_NOTERM))
        *p = 0;
    return translated;
}

TEST(DumpLine, SameAsTheByteAtATimeLineForEveryLayout)
{
    std::mt19937 rng(41);
    Bytes data(300);
    for (auto &b : data)
        b = (unsigned char)rng();
    const int flagSets[] = {0, UTHEX_GROUPS, UTHEX_NOTERM, UTHEX_GROUPS | UTHEX_NOTERM,
                            UTHEX_EBCDIC | UTHEX_SHOWEBCDIC, UTHEX_GROUPS | UTHEX_EBCDIC | UTHEX_SHOWEBCDIC};
    int lines = 0;
    for (int width : {1, 3, 4, 7, 8, 9, 11, 14, 16, 17, 24, 33, 64, 200, 256})
        for (int count = -1; count <= width + 2; count += (width > 40 ? 13 : 1))
            for (int gap : {0, 1, 2, 5, 15, 20})
                for (int flags : flagSets) {
                    std::vector<char> got(1200, '#'), want(1200, '#');
                    int a = UTHexDumpLine(data.data(), count, width, got.data(), gap, flags);
                    int b = ReferenceDumpLine(data.data(), count, width, want.data(), gap, flags);
                    ASSERT_EQ(a, b) << width << " " << count << " " << gap << " " << flags;
                    ASSERT_EQ(got, want) << width << " " << count << " " << gap << " " << flags;
                    lines++;
                }
    EXPECT_GT(lines, 1000);
}

TEST(HexText, BytesToHexAndBack)
{
    const unsigned char b[] = {0x00, 0xAB, 0x7F};
    char out[16];
    UTBytesToHex(b, 3, out, 0);
    EXPECT_STREQ(out, "00AB7F");
    UTBytesToHex(b, 2, out, 8);
    EXPECT_STREQ(out, "00AB    ");
    memset(out, '#', sizeof out);
    UTBytesToHex(b, 3, out, 3);                   /* a field too short: cut, terminated */
    EXPECT_EQ(std::string(out, 5), std::string("00 \0#", 5));

    unsigned char f[4] = {9, 9, 9, 9};
    EXPECT_EQ(UTHexToBytes("0A", 8, f), 0);
    EXPECT_EQ(Bytes(f, f + 4), Bytes({0x0A, 0, 0, 0}));
    EXPECT_EQ(UTHexToBytes("0a1B2c3D", 8, f), 0);
    EXPECT_EQ(Bytes(f, f + 4), Bytes({0x0A, 0x1B, 0x2C, 0x3D}));
    EXPECT_EQ(UTHexToBytes("0A1", 8, f), 1);
    EXPECT_EQ(UTHexToBytes("0G", 8, f), 1);
    EXPECT_EQ(UTHexToBytes("G0", 8, f), 1);
    /* Only size / 2 bytes are written, whatever the text holds. */
    unsigned char g[3] = {7, 7, 7};
    EXPECT_EQ(UTHexToBytes("112233", 4, g), 0);
    EXPECT_EQ(Bytes(g, g + 3), Bytes({0x11, 0x22, 7}));

    EXPECT_EQ(UTCountHexDigits("0A 1b ff", 8), 6);
    EXPECT_EQ(UTCountHexDigits("0A 1G", 5), 0);
    EXPECT_EQ(UTCountHexDigits("0A", 0), 0);
}

TEST(HexText, Nibbles)
{
    unsigned char b[2] = {0x12, 0x34};
    EXPECT_EQ(UTGetNibble(b, 3), 4);
    EXPECT_EQ(UTGetNibble(b, 0), 1);
    UTSetNibble(b, 0, 0xF);
    EXPECT_EQ(Bytes(b, b + 2), Bytes({0xF2, 0x34}));
    UTSetNibble(b, -1, 0);
    EXPECT_EQ(b[0], 0xF2);

    unsigned char c[2] = {0x12, 0x34};
    UTCopyNibbles(c, 1, c, 0, 3);                 /* overlapping, forwards */
    EXPECT_EQ(Bytes(c, c + 2), Bytes({0x11, 0x23}));
    unsigned char d[2] = {0x12, 0x34};
    UTCopyNibbles(d, 0, d, 1, 3);                 /* overlapping, backwards */
    EXPECT_EQ(Bytes(d, d + 2), Bytes({0x23, 0x44}));
    unsigned char e[3] = {0, 0, 0};
    UTCopyNibbles(e, 1, d, 0, 4);                 /* separate buffers */
    EXPECT_EQ(Bytes(e, e + 3), Bytes({0x02, 0x34, 0x40}));

    UTFillNibbles(e, 1, 0xA, 3);
    EXPECT_EQ(Bytes(e, e + 3), Bytes({0x0A, 0xAA, 0x40}));

    const unsigned char m[] = {0xAB, 0xCD, 0xEF};
    EXPECT_EQ(UTHexMatch(m, 1, "bc de", 5), 1);
    EXPECT_EQ(UTHexMatch(m, 1, "BCDF", 4), 0);
    EXPECT_EQ(UTHexMatch(m, 0, "AX", 2), 0);
}

TEST(Text, PrintableCopy)
{
    const unsigned char in[] = {'a', 0, 0x1F, '~', 0x7F, 0x80, ' '};
    char out[8];
    EXPECT_EQ(UTPrintableCopy(out, in, 7), 3);
    EXPECT_EQ(std::string(out, 7), "a..~.. ");
}

TEST(Search, FindCountAndBack)
{
    const char *t = "abcabcab";
    EXPECT_EQ(UTMemFind(t, 8, "cab", 3), t + 2);
    EXPECT_EQ(UTMemFind(t, 8, "abd", 3), nullptr);
    EXPECT_EQ(UTMemFind(t, 8, "x", 0), t);
    EXPECT_EQ(UTMemFind(t, 2, "abc", 3), nullptr);
    EXPECT_EQ(UTMemFind(t, 8, "ab", 2), t);
    EXPECT_EQ(UTMemFindRange(t + 1, t + 8, "ab", 2), t + 3);
    EXPECT_EQ(UTMemFindRange(t + 1, t + 4, "ab", 2), nullptr);
    EXPECT_EQ(UTMemFindBack(t + 5, t, "ab", 2), t + 3);
    EXPECT_EQ(UTMemFindBack(t + 6, t, "ab", 2), t + 6);
    EXPECT_EQ(UTMemFindBack(t + 2, t + 1, "ab", 2), nullptr);
    EXPECT_EQ(UTMemCount("aaaa", 4, "aa", 2), 3);
    EXPECT_EQ(UTMemCount(t, 8, "ab", 2), 3);
    EXPECT_EQ(UTMemCountNoCase("AaAa", 4, "aA", 2), 3);
    EXPECT_EQ(UTMemFindNoCase(t, 8, "CAB", 3), t + 2);
    EXPECT_EQ(UTMemFindNoCase(t, 8, "cbx", 3), nullptr);
    const char *q = "Queue.Manager";
    EXPECT_EQ(UTStrStrNoCase(q, "MANAGER"), q + 6);
    EXPECT_EQ(UTStrStrNoCase(q, "managers"), nullptr);

    /* Near the end of an exactly sized buffer. */
    std::vector<char> exact(t, t + 8);
    EXPECT_EQ(UTMemFind(exact.data(), 8, "abx", 3), nullptr);
    EXPECT_EQ(UTMemFindNoCase(exact.data(), 8, "AB", 2), exact.data());
}

TEST(Search, EbcdicNoCase)
{
    unsigned char lower[3], upper[3];
    CSTranslateBytes(lower, (const unsigned char *)"abc", 3, CSAsciiToEbcdic);
    CSTranslateBytes(upper, (const unsigned char *)"ABC", 3, CSAsciiToEbcdic);
    EXPECT_EQ(UTEbcdicCompareNoCase(lower, upper, 3), 0);
    unsigned char other[3] = {0xC1, 0xC2, 0xC4};    /* ABD */
    EXPECT_EQ(UTEbcdicCompareNoCase(lower, other, 3), 1);
    EXPECT_EQ(UTEbcdicCompareNoCase(other, lower, 3), -1);
}

TEST(Search, Wildcards)
{
    auto wm = [](const char *t, const char *p) {
        return UTWildMatch(t, (int)strlen(t), p, (int)strlen(p));
    };
    EXPECT_EQ(wm("abc", "a*c"), 1);
    EXPECT_EQ(wm("ac", "a*c"), 1);
    EXPECT_EQ(wm("ab", "a*c"), 0);
    EXPECT_EQ(wm("", "*"), 1);
    EXPECT_EQ(wm("anything", "*"), 1);
    EXPECT_EQ(wm("", ""), 1);
    EXPECT_EQ(wm("a", ""), 0);
    EXPECT_EQ(wm("abc", "a?c"), 1);
    EXPECT_EQ(wm("ac", "a?c"), 0);
    EXPECT_EQ(wm("abcbcd", "a*bcd"), 1);
    EXPECT_EQ(wm("ABC", "abc"), 0);
    EXPECT_EQ(wm("xaaab", "*a*b"), 1);
    EXPECT_EQ(wm("SYSTEM.ADMIN.QUEUE", "SYSTEM.*.Q*E"), 1);
    EXPECT_EQ(UTWildMatchNoCase("ABC", 3, "a*c", 3), 1);
    EXPECT_EQ(UTWildMatchNoCase("ABD", 3, "a*c", 3), 0);
    /* A long hopeless match ends quickly. */
    std::string text(5000, 'a'), pattern;
    for (int i = 0; i < 50; i++)
        pattern += "*a";
    pattern += "b";
    EXPECT_EQ(UTWildMatch(text.data(), (int)text.size(), pattern.data(), (int)pattern.size()), 0);
}

TEST(Search, InsertionEndsAndAll)
{
    const char *l = "ABXC";
    EXPECT_EQ(UTFindInsertion(l, 4, "ABC", 3), l + 2);
    const char *l2 = "ABBBC";
    EXPECT_EQ(UTFindInsertion(l2, 5, "ABC", 3), l2 + 1);     /* the first place */
    const char *l3 = "XXABC";
    EXPECT_EQ(UTFindInsertion(l3, 5, "ABC", 3), l3);
    EXPECT_EQ(UTFindInsertion("AXBXC", 5, "ABC", 3), nullptr);
    EXPECT_EQ(UTFindInsertion("ABC", 3, "ABC", 3), nullptr);
    EXPECT_EQ(UTFindInsertion("AB", 2, "ABC", 3), nullptr);

    EXPECT_EQ(UTEndsWith("QUEUE.XMITQ", -1, ".XMITQ", -1), 1);
    EXPECT_EQ(UTEndsWith("QUEUE.XMITQ", -1, ".xmitq", -1), 0);    /* letter case counts */
    EXPECT_EQ(UTEndsWith("Q", 1, "QQ", 2), 0);
    EXPECT_EQ(UTEndsWith("ABCD", 3, "C", 1), 1);
    EXPECT_EQ(UTEndsWith("ABCD", 3, "D", -1), 0);

    EXPECT_EQ(UTIsAll("    ", 4, ' '), 1);
    EXPECT_EQ(UTIsAll("   x", 4, ' '), 0);
    EXPECT_EQ(UTIsAll("", 0, 0), 1);
}

TEST(Trim, RightLengthAndZeros)
{
    char t[6] = {'A', 'B', ' ', ' ', 0, 'Z'};
    EXPECT_EQ(UTTrimmedLength(t, 5), 2);
    EXPECT_EQ(UTTrimRight(t, 5), 2);
    EXPECT_EQ(std::string(t, 6), std::string("AB\0\0\0Z", 6));
    char cr[4] = {'A', '\r', '\t', '\n'};
    EXPECT_EQ(UTTrimRight(cr, 4), 2);                 /* a carriage return stays */
    char blanks[3] = {' ', ' ', ' '};
    EXPECT_EQ(UTTrimRight(blanks, 3), 0);

    const unsigned char z[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(UTTrimZeroLength(z, 9), 1);
    const unsigned char z2[7] = {0, 0, 5, 0, 0, 0, 0};
    EXPECT_EQ(UTTrimZeroLength(z2, 7), 3);
    EXPECT_EQ(UTTrimZeroLength(z2, 2), 0);

    char s[] = "--a-b--";
    EXPECT_EQ(UTTrimRightChars(s, 7, "-"), 5);
    EXPECT_STREQ(s, "--a-b");
    char u[] = " ,x y, ";
    EXPECT_STREQ(UTStripChars(u, " ,"), "x y");
    char all[] = "   ";
    EXPECT_STREQ(UTStripChars(all, " "), "");

    const char *span = "  ab c  ";
    int len = 8;
    UTTrimSpan(&span, &len);
    EXPECT_EQ(std::string(span, len), "ab c");
    const char *empty = "   ";
    len = 3;
    UTTrimSpan(&empty, &len);
    EXPECT_EQ(len, 0);
}

TEST(Trim, Copies)
{
    char out[16];
    EXPECT_EQ(UTStrCopyToBlank(out, "QM1     ", 8, 0), 3);
    EXPECT_STREQ(out, "QM1");
    EXPECT_EQ(UTStrCopyToBlank(out, "ABCDEFGH", 8, 4), 4);
    EXPECT_STREQ(out, "ABCD");
    EXPECT_EQ(UTStrCopyToBlank(out, "ABCDEFGH", 3, 10), 3);    /* never past the source */
    EXPECT_EQ(UTCopyTrimmed(out, "A B   ", 6, 0), 3);
    EXPECT_STREQ(out, "A B");
    EXPECT_EQ(UTCopyTrimmed(out, "ABCDEF", 6, 2), 2);
    EXPECT_STREQ(out, "AB");
    EXPECT_EQ(UTCopyTrimmed(out, "    ", 4, 0), 0);
    EXPECT_STREQ(out, "");

    char small[4] = {'x', 'x', 'x', 'x'};
    UTStrCopy(small, "0123456789", 4);
    EXPECT_STREQ(small, "012");
    char none = 'x';
    UTStrCopy(&none, "abc", 0);
    EXPECT_EQ(none, 'x');
}

TEST(Bits, MaskedAndFlags)
{
    uint32_t w = 0xF0F0;
    UTSetMasked(&w, 0x0A0A, 0x00FF);
    EXPECT_EQ(w, 0xF00Au);
    UTSetFlag(&w, 1, 0x100);
    EXPECT_EQ(w, 0xF10Au);
    UTSetFlag(&w, 0, 0xF000);
    EXPECT_EQ(w, 0x010Au);
}

/* Every width and count of a dump line stays inside the line the layout
 * promises; hex texts of every length and damage end cleanly. */
TEST(HexDump, EveryWidthAndCount)
{
    std::mt19937 rng(1);
    std::vector<unsigned char> data(64);
    for (auto &c : data)
        c = (unsigned char)rng();
    for (int width = 1; width <= 32; width++)
        for (int count = 0; count <= width; count++)
            for (int flags : {0, UTHEX_GROUPS, UTHEX_GROUPS | UTHEX_EBCDIC | UTHEX_SHOWEBCDIC})
                for (int gap : {0, 1, 3}) {
                    int groups = (flags & UTHEX_GROUPS) && width >= 8 ? (width - 1) / 4 : 0;
                    size_t size = (size_t)(2 * width + groups + (gap ? gap + width : 0) + 1);
                    std::vector<char> line(size);
                    UTHexDumpLine(data.data(), count, width, line.data(), gap, flags);
                    ASSERT_LT(strlen(line.data()), size);
                }
    const char digits[] = "0123456789abcdefXG ";
    for (int round = 0; round < 2000; round++) {
        std::string hex;
        int len = (int)(rng() % 10);
        for (int i = 0; i < len; i++)
            hex += digits[rng() % (sizeof digits - 1)];
        std::vector<unsigned char> out(8);
        int size = (int)(rng() % 17);
        int rc = UTHexToBytes(hex.c_str(), size, out.data());
        ASSERT_TRUE(rc == 0 || rc == 1);
        UTCountHexDigits(hex.data(), (int)hex.size());
        UTHexMatch(data.data(), (int)(rng() % 16), hex.data(), (int)hex.size());
    }
}
