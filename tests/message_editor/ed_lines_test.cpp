/* The cached line records: for every line of every built message the
 * value column and length cover exactly what the line shows of its bytes
 * (the bytes themselves, their hex digits, or the number they hold), and
 * each kind of line gets its display class. */
#include "edtest.h"
#include "fmtint.h"
#include <map>

struct EdLines : EdFixture {};

static std::string Hex(const unsigned char *p, uint32_t n, bool groups)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (uint32_t i = 0; i < n; i++) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
        if (groups && (i & 3) == 3 && i + 1 < n)
            s += ' ';
    }
    return s;
}

/* What the line's value says about its bytes; "" when it agrees. */
static std::string Check(const LINEDATA *l)
{
    std::string value(l->text + l->valueColumn, (size_t)l->valueLength);
    const unsigned char *p = l->buffer->data + l->lineOffset;
    if (l->lineOffset + l->dataLength > l->buffer->length)
        return "bytes outside the buffer";
    switch (l->lineType) {
    case LK_DUMP: case LK_BYTES_DUMP:
        return value == Hex(p, l->dataLength, true) ? "" : "dump " + value;
    case LK_HEX_PAIRS: case LK_BYTES_PAIRS:
        return value == Hex(p, l->dataLength, false) ? "" : "hex " + value;
    }
    if (l->rawValue)
        return value == std::string((const char *)p, l->dataLength) ? "" : "text '" + value + "'";
    if (l->lineType == FT_INT && l->field && l->field->type == FT_INT) {
        long long v = (int32_t)FapGetFieldInt(l->field, p, l->encoding, l->ebcdic);
        return value == std::to_string(v) ? "" : "int " + value;
    }
    return "";
}

TEST_F(EdLines, ValuesShowTheirBytesInEveryBuiltMessage)
{
    std::map<uint32_t, int> classes;
    int checked = 0;
    d.viewWords[0] = 4 | VW_FORMATTED | VW_SHOW_MD | LR_HEX_CHARLINE;
    for (const BuiltMessage &m : BuiltMessages()) {
        const unsigned char *md = m.md.b.data();
        Bytes desc = EdDescriptor("        ", (int32_t)FmtRd32(md + 28, m.md.reversed ? 2 : 1),
                                  (int32_t)FmtRd32(md + 24, m.md.reversed ? 2 : 1));
        memcpy(desc.b.data() + 32, md + 32, 8);
        Load(desc, m.body);
        ASSERT_GT(ed->scroll.lineCount, 3) << m.name;
        for (int32_t i = 0; i < ed->scroll.lineCount; i++) {
            LINEDATA *l = Line(i);
            ASSERT_NE(l, nullptr) << m.name << " " << i;
            if (!l->lineType)
                continue;
            EXPECT_GE(l->valueColumn, 0);
            EXPECT_LE(l->valueColumn + l->valueLength, (int)l->textLength) << m.name << ": " << Text(i);
            EXPECT_EQ(Check(l), "") << m.name << ": " << Text(i);
            classes[l->displayClass & DC_CLASSES]++;
            checked++;
        }
    }
    EXPECT_GT(checked, 500);
    for (uint32_t c : { 0u, (uint32_t)DC_HEX, (uint32_t)DC_HEX_FROM_LINE, (uint32_t)DC_HEX_GROUPED,
                        (uint32_t)DC_HEX_DUMP, (uint32_t)DC_NUMBER })
        EXPECT_GT(classes[c], 0) << "class " << c;
}

TEST_F(EdLines, EachLineTypeHasItsDisplayClass)
{
    struct { uint16_t type; uint32_t cls; } rows[] = {
        { LK_DUMP, DC_HEX_GROUPED }, { LK_BYTES_DUMP, DC_HEX_GROUPED }, { LK_DUMP_CHARS, DC_HEX_DUMP },
        { LK_BYTES_CHARS, DC_HEX_DUMP }, { FT_HEX, DC_HEX }, { FT_FLAGS8, DC_HEX }, { FT_FLAGS, DC_HEX },
        { FT_HEXDUMP, DC_HEX }, { FT_MSGDATA, DC_HEX }, { FT_FLAGS16, DC_HEX }, { FT_BYTES_BYLEN, DC_HEX },
        { LK_HEX_PAIRS, DC_HEX_FROM_LINE }, { LK_BYTES_PAIRS, DC_HEX_FROM_LINE }, { FT_INT, DC_NUMBER },
        { FT_ENCODING, DC_NUMBER }, { FT_SHORT, DC_NUMBER }, { FT_INTH, DC_NUMBER },
        { FT_INT64H, DC_NUMBER }, { FT_UINT, DC_NUMBER }, { FT_UINT8H, DC_NUMBER },
        { FT_FLOAT, DC_NUMBER }, { FT_DOUBLE, DC_NUMBER }, { FT_PACKED, DC_NUMBER },
        { FT_UPACKED, DC_NUMBER }, { FT_ZONED, DC_NUMBER }, { FT_DIGITS, DC_NUMBER },
        { FT_TIME32, DC_TIME }, { FT_TIME64, DC_TIME }, { FT_CHAR, 0 }, { FT_TEXT_BYLEN, 0 },
        { FT_FORMAT, 0 }, { FT_TEXT_TOEND, 0 }, { FT_XMLMSG, 0 }, { FT_PUTDATE, 0 }, { FT_PUTTIME, 0 },
    };
    for (auto &r : rows)
        EXPECT_EQ(EdDisplayClass(r.type), r.cls) << r.type;
}

TEST_F(EdLines, HeadingsMarkersAndFlagNamesHaveNoField)
{
    Load(EdDescriptor("MQADMIN "), BuiltMessages()[17].body);   /* a PCF response with groups */
    int headings = 0, markers = 0, fields = 0;
    for (int32_t i = 0; i < ed->scroll.lineCount; i++) {
        LINEDATA *l = Line(i);
        if (l->lineFlags & (LF_HEADING | LF_MARKER | LF_GROUP_END)) {
            EXPECT_EQ(l->lineType, 0) << Text(i);
            EXPECT_EQ(l->field, nullptr);
            EXPECT_EQ(l->ccsid, 850u);
            EXPECT_EQ(l->printable, 1);
            headings++;
        } else if (l->lineType) {
            fields++;
        }
        markers += (l->lineFlags & LF_MARKER) != 0;
    }
    EXPECT_GT(headings, 3);
    EXPECT_GT(fields, 10);
    int32_t report = Find("Report");
    ASSERT_GE(report, 0);
    for (int32_t i = report + 1; i < report + 3; i++) {
        if (Line(i)->lineFlags & LF_CONTINUATION) {
            EXPECT_EQ(Line(i)->lineType, 0) << Text(i);      /* a flag's name under its word */
        }
    }
}

TEST_F(EdLines, PrintabilityIsTestedInTheLinesCodePage)
{
    Bytes body;
    body.Raw("plain text\n", 11).Raw("bell\x07here\n", 10);
    Load(EdDescriptor("MQSTR   "), body);
    int32_t plain = Find("plain"), bell = Find("bell");
    ASSERT_GE(plain, 0);
    ASSERT_GE(bell, 0);
    EXPECT_EQ(Line(plain)->printable, 1);
    EXPECT_EQ(Line(bell)->printable, 0);
    EXPECT_EQ(Line(plain)->rawValue, 1);
    /* EBCDIC: 0x40 to 0xFE are printable, the ASCII letters are not text */
    Bytes ebcdic;
    ebcdic.Raw("\xC1\xC2\xC3\x40\xF1", 5);
    Load(EdDescriptor("MQSTR   ", 500, 785), ebcdic);
    int32_t line = ed->scroll.lineCount - 1;
    EXPECT_EQ(Line(line)->ccsid, 500u);
    EXPECT_EQ(Line(line)->ebcdic, 1);
    EXPECT_EQ(Line(line)->printable, 1);
}

/* The printability test of eight bytes at a time against the byte-by-byte
 * rule: every byte value at every place of runs of 0 to 24 bytes. */
static int PrintableBytewise(const unsigned char *p, uint32_t n, int ebcdic)
{
    for (uint32_t i = 0; i < n; i++) {
        unsigned char c = p[i];
        if (ebcdic ? c < 0x40 || c == 0xFF : c < 0x20 || (c >= 0x7F && c <= 0x9F))
            return 0;
    }
    return 1;
}

TEST(EdPrintableBytes, EightAtATimeAgreesWithEachByteAlone)
{
    for (int ebcdic = 0; ebcdic < 2; ebcdic++)
        for (uint32_t n = 0; n <= 24; n++)
            for (uint32_t at = 0; at < (n ? n : 1); at++)
                for (int v = 0; v < 256; v++) {
                    unsigned char run[24];
                    memset(run, ebcdic ? 0xC1 : 'A', sizeof run);
                    if (n)
                        run[at] = (unsigned char)v;
                    ASSERT_EQ(EdPrintable(run, n, ebcdic), PrintableBytewise(run, n, ebcdic))
                        << "ebcdic " << ebcdic << " length " << n << " at " << at << " byte " << v;
                }
    /* two bytes of one word: a good byte beside a bad one must not hide it */
    for (int ebcdic = 0; ebcdic < 2; ebcdic++)
        for (int a = 0; a < 256; a++)
            for (int b = 0; b < 256; b += 3) {
                unsigned char run[8] = { 'A', 'A', 'A', 'A', 'A', 'A', 'A', 'A' };
                run[3] = (unsigned char)a;
                run[4] = (unsigned char)b;
                ASSERT_EQ(EdPrintable(run, 8, ebcdic), PrintableBytewise(run, 8, ebcdic)) << a << " " << b;
            }
}
