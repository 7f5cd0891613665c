/* Golden-line tests of the structure formatter over messages built from the
 * published layouts and over real messages, and the walk's own rules. */
#include "fmtbuild.h"
#include "cscodepage.h"
#include <algorithm>
#include <gtest/gtest.h>

namespace {

std::string FormatWithMd(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body,
                         FmtLineRec lr, Recorder *rec = nullptr, uint32_t *result = nullptr)
{
    InstallStubTables();
    FmtMsgInfo m = MakeMsg("        ", 546, 850);
    Recorder local;
    Recorder &r = rec ? *rec : local;
    uint32_t rc = FapFormatMessage(md.empty() ? nullptr : md.data(), (uint32_t)md.size(), body.data(),
                                   (uint32_t)body.size(), &m, RecordSink, (uint64_t)(uintptr_t)&r, &lr);
    if (result)
        *result = rc;
    return Render(r);
}

TEST(FmtGolden, BuiltMessages)
{
    for (auto &m : BuiltMessages()) {
        SCOPED_TRACE(m.name);
        FmtLineRec lr = MakeLineRec(4);
        if (m.name == "rfh2_chain")
            lr.flags |= LR_OFFSET_PREFIX;
        EXPECT_EQ("", CompareGolden(m.name, FormatWithMd(m.md.b, m.body.b, lr)));
    }
}

TEST(FmtGolden, DetailLevelsAndFolderNames)
{
    auto all = BuiltMessages();
    for (auto &m : all) {
        if (m.name != "rfh2_chain" && m.name != "pcf_response_groups")
            continue;
        SCOPED_TRACE(m.name);
        FmtLineRec lr = MakeLineRec(1);
        EXPECT_EQ("", CompareGolden(m.name + "_detail1", FormatWithMd({}, m.body.b, lr)));
    }
    FmtLineRec lr = MakeLineRec(2);
    lr.flags |= LR_XML_NAMES;
    for (auto &m : all)
        if (m.name == "rfh2_chain") {
            std::string out = FormatWithMd(m.md.b, m.body.b, lr);
            EXPECT_EQ("", CompareGolden("rfh2_chain_names", out));
            EXPECT_NE(std::string::npos, out.find("JMSProperties:"));
        }
}

struct RealMessage { const char *file, *format; uint32_t encoding, ccsid; };

TEST(FmtGolden, RealMessages)
{
    const RealMessage real[] = {
        { "pymqi_single_rfh2.dat", "MQHRF2  ", 273, 1208 },
        { "pymqi_multiple_rfh2.dat", "MQHRF2  ", 273, 1208 },
        { "pymqi_pcf_with_cfif.dat", "MQEVENT ", 546, 850 },
        { "pymqi_pcf_with_cfsf.dat", "MQEVENT ", 546, 850 },
        { "pymqi_statistics_q.dat", "MQADMIN ", 546, 850 },
        { "jms_text_rfh2_enc273.bin", "MQHRF2  ", 273, 1208 },
        { "dlh_enc546_reason2051.bin", "MQDEAD  ", 546, 819 },
    };
    InstallStubTables();
    for (auto &r : real) {
        SCOPED_TRACE(r.file);
        auto data = ReadFile(DataDir() + r.file);
        ASSERT_FALSE(data.empty());
        FmtLineRec lr = MakeLineRec(3);
        std::string out = FormatAll(MakeMsg(r.format, r.encoding, r.ccsid), data, lr);
        EXPECT_EQ("", CompareGolden(std::string(r.file) + "", out));
        EXPECT_EQ(std::string::npos, out.find("Incomplete")) << out;
    }
}

TEST(FmtGolden, BrowseListingsRebuilt)
{
    struct { const char *listing, *bin, *golden; } cases[] = {
        { "amqsbcg_dlh.txt", "dlh_enc546_reason2051.bin", "amqsbcg_dlh" },
        { "amqsbcg_rfh2_enc273.txt", "jms_text_rfh2_enc273.bin", "amqsbcg_rfh2_enc273" },
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.listing);
        Listing l = ParseListing(DataDir() + c.listing);
        EXPECT_EQ(ReadFile(DataDir() + c.bin), l.body);
        ASSERT_EQ(364u, l.md.size());
        std::string out = FormatWithMd(l.md.b, l.body, MakeLineRec(4));
        EXPECT_EQ("", CompareGolden(c.golden, out));
    }
}

/* ---- rules of the walk ---- */

TEST(FmtWalk, VersionAboveByteRangeFlipsTheEncoding)
{
    Bytes md = BuildMD(false, 2, "MQSTR   ", 273, 1208);     /* big-endian, read as little first */
    std::string out = FormatWithMd(md.b, Bytes().Chars("x", 1).b, MakeLineRec(4));
    EXPECT_NE(std::string::npos, out.find("Version       : 2\n"));
    EXPECT_NE(std::string::npos, out.find("Persistence   : 1 (Persistent)"));
    EXPECT_NE(std::string::npos, out.find("Msg Seq No.   : 1\n"));
    FmtLineRec keep = MakeLineRec(4);
    keep.options |= LO_KEEP_ENCODING;
    EXPECT_NE(std::string::npos, FormatWithMd(md.b, {}, keep).find("Version       : 33554432"));
}

TEST(FmtWalk, Version1DescriptorHasNoVersion2Rows)
{
    Bytes md = BuildMD(true, 1, "MQSTR   ", 546, 850);
    std::string out = FormatWithMd(md.b, {}, MakeLineRec(4));
    EXPECT_EQ(std::string::npos, out.find("Group Id"));
    EXPECT_NE(std::string::npos, out.find("(324 bytes)"));
}

std::vector<std::string> Texts(const Recorder &r)
{
    std::vector<std::string> t;
    for (auto &l : r.lines) t.push_back(l.text);
    return t;
}

TEST(FmtWalk, TextBodiesSplitAtLineEnds)
{
    using V = std::vector<std::string>;
    struct { const char *body; uint32_t options; V expect; } cases[] = {
        { "a\r\nb", 0, V{ "a", "b" } },
        { "a\r\n", 0, V{ "a", "" } },
        { "a\nb", 0, V{ "a", "b" } },
        { "a\r\nb", LO_NO_SPLIT, V{ "a\r\nb" } },
    };
    for (auto &c : cases) {
        Recorder r;
        FmtLineRec lr = MakeLineRec(4);
        lr.options = c.options;
        FormatAll(MakeMsg("MQSTR   "), Bytes().Chars(c.body, strlen(c.body)).b, lr, &r);
        DropContentHeading(&r);
        EXPECT_EQ(c.expect, Texts(r)) << c.body;
    }
    Recorder e;
    const unsigned char ebcdic[] = { 0x81, 0x25, 0x82, 0x15, 0x83 };   /* a, LF, b, NL, c */
    FormatAll(MakeMsg("MQSTR   ", 546, 500), std::vector<unsigned char>(ebcdic, ebcdic + 5), MakeLineRec(4), &e);
    DropContentHeading(&e);
    EXPECT_EQ(3u, e.lines.size());
}

TEST(FmtWalk, SinkResultsStopAndSuppress)
{
    Bytes md = BuildMD(true, 2, "MQSTR   ", 546, 850);
    Recorder stop;
    stop.stopAfter = 1;
    uint32_t rc = 0;
    FormatWithMd(md.b, Bytes().Chars("text", 4).b, MakeLineRec(4), &stop, &rc);
    EXPECT_EQ(12u, rc);
    EXPECT_EQ(1u, stop.lines.size());

    Recorder quiet;
    quiet.countOnlyAt = 1;
    quiet.buildAt = 5;
    FormatWithMd(md.b, Bytes().Chars("text", 4).b, MakeLineRec(4), &quiet);
    ASSERT_GT(quiet.lines.size(), 7u);
    for (int i = 1; i < 5; i++)
        EXPECT_EQ("", quiet.lines[i].text) << i;
    EXPECT_NE("", quiet.lines[5].text);
}

TEST(FmtWalk, PcfParameterCounts)
{
    Bytes three = BuildPcfHeader(true, 1, 13, 3);
    CfIn(three, 20, 1);
    CfIn(three, 20, 1);
    std::string out = FormatAll(MakeMsg("MQADMIN "), three.b, MakeLineRec(4));
    EXPECT_NE(std::string::npos, out.find("-- Field Command (Inquire Queue) incomplete --")) << out;

    Bytes two = BuildPcfHeader(true, 1, 13, 2);
    for (int i = 0; i < 3; i++)
        CfIn(two, 20, 1);
    out = FormatAll(MakeMsg("MQADMIN "), two.b, MakeLineRec(4));
    size_t end = out.find("-- End of Command (Inquire Queue) --");
    size_t extra = out.find("-- Fields not in PCF parameter count --");
    ASSERT_NE(std::string::npos, end) << out;
    ASSERT_NE(std::string::npos, extra);
    EXPECT_LT(end, extra);
}

TEST(FmtWalk, EmptyMessageDataShownWithOption32)
{
    Bytes md = BuildMD(true, 2, "MQSTR   ", 546, 850);
    FmtLineRec lr = MakeLineRec(4);
    lr.options |= LO_SHOW_EMPTY_END;
    EXPECT_NE(std::string::npos, FormatWithMd(md.b, {}, lr).find("|Message Data :"));
    EXPECT_EQ(std::string::npos, FormatWithMd(md.b, {}, MakeLineRec(4)).find("Message Data"));
}

TEST(FmtWalk, UnknownFormatGivesRemainingBytesDump)
{
    std::string out = FormatAll(MakeMsg("MYFMT   "), Bytes().Chars("0123456789", 10).b, MakeLineRec(4));
    EXPECT_NE(std::string::npos, out.find("<10 Remaining Bytes>"));
    EXPECT_NE(std::string::npos, out.find("30313233 34353637 3839 ")) << out;
    EXPECT_NE(std::string::npos, out.find("  | 0123456789\n")) << out;
    FmtLineRec lr = MakeLineRec(4);
    lr.flags |= LR_TRUNCATED;
    EXPECT_NE(std::string::npos, FormatAll(MakeMsg("MYFMT   "), Bytes().Chars("01", 2).b, lr).find("<Message Truncated>"));
}

/* Offsets, counts and lengths from message data are checked before use. */
TEST(FmtFaults, RecordOffsetsAndCountsAreChecked)
{
    auto all = BuiltMessages();
    const BuiltMessage *dh = nullptr;
    for (auto &m : all) if (m.name == "dh_records") dh = &m;
    ASSERT_TRUE(dh);
    struct { size_t at; int64_t value; } damage[] = {
        { 36, 0x7FFFFFFF },         /* RecsPresent */
        { 40, 0x7FFFFFF0 },         /* ObjectRecOffset beyond the data */
        { 44, -8 },                 /* PutMsgRecOffset negative */
        { 40, 300 },                /* records run off the end */
    };
    for (auto &d : damage) {
        Bytes body = dh->body;
        body.Patch32(d.at, d.value);
        body.b.resize(400);
        Recorder r;
        std::string out = FormatWithMd(dh->md.b, body.b, MakeLineRec(4), &r);
        EXPECT_NE(std::string::npos, out.find("Data Appears to be Incomplete")) << out;
    }
    /* MQRMH offsets past the end of the header's data */
    for (auto &m : all) {
        if (m.name != "rmh") continue;
        Bytes body = m.body;
        body.Patch32(68, 5000);
        std::string out = FormatWithMd(m.md.b, body.b, MakeLineRec(4));
        EXPECT_NE(std::string::npos, out.find("Data Appears to be Incomplete")) << out;
        EXPECT_NE(std::string::npos, out.find("source.file.name"));
    }
    /* an integer list announcing more values than there are bytes */
    Bytes il = BuildPcfHeader(true, 1, 13, 1);
    il.I32(5).I32(24).I32(1002).I32(0x7FFFFFFF).I32(1).I32(2);
    std::string out = FormatAll(MakeMsg("MQADMIN "), il.b, MakeLineRec(4));
    EXPECT_NE(std::string::npos, out.find("Following length is larger than the available data")) << out;
}

TEST(FmtFaults, CharvOffsetsAreCheckedAndPointersNotFollowed)
{
    FmtLayoutAll();
    Bytes od(true);
    od.Chars("OD  ", 4).I32(4).I32(1).Chars("Q", 48).Chars("", 48).Chars("", 48).Chars("", 12)
        .I32(0).I32(0).I32(0).I32(0).I32(0).I32(0).I64(0).I64(0).Fill(0, 40).Chars("", 48).Chars("", 48);
    size_t charv = od.size();
    od.I64(0x12345678).I32(424).I32(16).I32(11).I32(1208);       /* ObjectString at offset 424 */
    od.I64(0xDEADBEEF).I32(0).I32(0).I32(5).I32(1208);           /* SelectionString by pointer only */
    od.I64(0).I32(9999).I32(0).I32(4).I32(1208);                 /* ResObjectString beyond the data */
    od.I32(1).I32(0);
    ASSERT_EQ(424u, od.size());
    od.Chars("TOPIC/NAME!", 12);
    (void)charv;
    Recorder r;
    FmtMsgInfo m = MakeMsg("        ");
    FmtLineRec lr = MakeLineRec(3);
    const unsigned char *p = od.b.data();
    uint32_t rem = (uint32_t)od.size();
    FapFormatStructure(&m, &FmtDefMQOD, nullptr, RecordSink, (uint64_t)(uintptr_t)&r, &lr, &rem, &p);
    std::string out = Render(r);
    EXPECT_NE(std::string::npos, out.find("'TOPIC/NAME!'")) << out;
    EXPECT_NE(std::string::npos, out.find("Data Appears to be Incomplete"));
    EXPECT_EQ("", CompareGolden("mqod_v4", out));
}

/* A field name wider than the label column (user definitions allow long
 * descriptions): the label is cut, nothing is written beyond it. */
TEST(FmtFaults, LongFieldNamesStayInTheLabel)
{
    std::string name(200, 'N');
    FmtFieldDef value = { "", FT_INT, 4, nullptr, 0, 0, 0, nullptr, 0 };
    value.name = name.c_str();
    FmtStructRow rows[] = { { 0, &value, nullptr, 0 }, { 0, nullptr, nullptr, 0 } };
    FmtStructDef def = { "Long", 0, rows, nullptr, 0, 0, 0 };
    FmtLayoutStruct(&def, 1);
    Bytes b(true);
    b.I32(7);
    Recorder r;
    FmtMsgInfo m = MakeMsg("        ");
    FmtLineRec lr = MakeLineRec(4);
    lr.flags |= LR_RUN_OFFSET | LR_HEX_RAW;
    const unsigned char *p = b.b.data();
    uint32_t rem = (uint32_t)b.size();
    FapFormatStructure(&m, &def, nullptr, RecordSink, (uint64_t)(uintptr_t)&r, &lr, &rem, &p);
    std::string out = Render(r);
    EXPECT_NE(std::string::npos, out.find("NNNN {+000}: 07000000        : 7\n")) << out;
}

}

namespace {

/* Latin-1 text in an EBCDIC CCSID, blank-padded to n bytes. */
Bytes Ebcdic(const char *s, size_t n, int ccsid = 500)
{
    std::vector<unsigned char> t(n, ' ');
    memcpy(t.data(), s, std::min(n, strlen(s)));
    EXPECT_EQ(CSCP_OK, CSConvertCodepage(t.data(), (int)n, 819, ccsid, nullptr, nullptr)) << s;
    Bytes b;
    b.b = t;
    return b;
}

/* An EBCDIC dead-letter message: names, format and text in code page 500. */
TEST(FmtGolden, EbcdicDeadLetterMessage)
{
    auto ebcdic = [](const char *s, size_t n) { return Ebcdic(s, n); };
    Bytes md = BuildMD(false, 2, "MQDEAD  ", 785, 500);
    Bytes body(false);
    body.Add(ebcdic("DLH ", 4)).I32(1).I32(2051).Add(ebcdic("HOST.Q", 48)).Add(ebcdic("MVS1", 48))
        .I32(785).I32(500).Add(ebcdic("MQSTR", 8)).I32(2).Add(ebcdic("CICSPROG", 28))
        .Add(ebcdic("20240131", 8)).Add(ebcdic("10203040", 8));
    body.Add(ebcdic("Line one", 8)).b.push_back(0x25);
    body.Add(ebcdic("Line two", 8));
    FmtLineRec lr = MakeLineRec(4);
    lr.options |= LO_EBCDIC_TO_ASCII;
    Recorder r;
    std::string out = FormatWithMd(md.b, body.b, lr, &r);
    EXPECT_EQ("", CompareGolden("ebcdic_dlh", out));
    EXPECT_NE(std::string::npos, out.find("Format       : 'MQSTR   'MQFMT_STRING"));
    EXPECT_NE(std::string::npos, out.find("|Line one\n"));
    EXPECT_NE(std::string::npos, out.find("|Line two\n"));
    EXPECT_NE(std::string::npos, out.find("'HOST.Q'"));
}

}

namespace {

/* German (273) and z/OS (1047) text shown by its own code page: the bytes
 * are written from the published charts, not by the program's tables.
 * Each part shows what Latin-1 characters the bytes are; read as 500
 * (as the formatter once did) the brackets and umlauts would differ. */
TEST(FmtGolden, NationalEbcdicBodies)
{
    InstallStubTables();
    /* "Gruesse [Baeume] {Oel} section 1" with umlauts, sharp s and the
     * section sign, then "\Ende|" after the line end 0x25. */
    const unsigned char german[] = {
        0xC7, 0x99, 0xD0, 0xA1, 0x85, 0x40, 0x63, 0xC2, 0xC0, 0xA4, 0x94, 0x85, 0xFC, 0x40,
        0x43, 0xE0, 0x93, 0xDC, 0x40, 0x7C, 0x40, 0xF1, 0x25,
        0xEC, 0xC5, 0x95, 0x84, 0x85, 0xBB };
    /* "[z/OS] ^ not" then "~a" after the new-line byte 0x15. */
    const unsigned char zos[] = {
        0xAD, 0xA9, 0x61, 0xD6, 0xE2, 0xBD, 0x40, 0x5F, 0x40, 0xB0, 0x15, 0xA1, 0x81 };
    /* {"a": [1, 2]} in 273: braces and brackets at their German bytes. */
    const unsigned char json[] = {
        0x43, 0x7F, 0x81, 0x7F, 0x7A, 0x40, 0x63, 0xF1, 0x6B, 0x40, 0xF2, 0xFC, 0xDC };
    struct { const char *format; uint32_t ccsid; uint8_t kind; const unsigned char *data; size_t n; } parts[] = {
        { "MQSTR   ", 273, 0, german, sizeof german },
        { "MQSTR   ", 1141, 0, german, sizeof german },
        { "MQSTR   ", 1047, 0, zos, sizeof zos },
        { "MQSTR   ", 273, 3, json, sizeof json },
        { "BINARY  ", 273, 0, german, sizeof german },
    };
    std::string all;
    std::vector<std::string> texts;
    for (auto &p : parts) {
        FmtMsgInfo m = MakeMsg(p.format, 785, p.ccsid);
        m.bodyKind = p.kind;
        FmtLineRec lr = MakeLineRec(4);
        lr.options |= LO_EBCDIC_TO_ASCII;
        Recorder r;
        all += FormatAll(m, std::vector<unsigned char>(p.data, p.data + p.n), lr, &r);
        DropContentHeading(&r);
        for (auto &l : r.lines)
            texts.push_back(l.text);
    }
    EXPECT_EQ("", CompareGolden("ebcdic_national", all));
    ASSERT_EQ(11u, texts.size());
    EXPECT_EQ("Gr\xFC\xDF" "e [B\xE4ume] {\xD6l} \xA7 1", texts[0]);
    EXPECT_EQ("\\Ende|", texts[1]);
    EXPECT_EQ(texts[0], texts[2]);                  /* 1141 is 273 with the euro */
    EXPECT_EQ("[z/OS] ^ \xAC", texts[4]);
    EXPECT_EQ("~a", texts[5]);
    EXPECT_EQ((std::vector<std::string>{ "{", "  \"a\": [1, 2]", "}" }),
              std::vector<std::string>(texts.begin() + 6, texts.begin() + 9));
    /* The dump's character column shows the ASCII ones among them. */
    EXPECT_NE(std::string::npos, texts[10].find("Gr..e [B.ume] {.l} . 1.\\Ende|")) << texts[10];
}

}

namespace {
TEST(FmtWalk, TrailingBlanksOfTheDataCodePageOnly)
{
    Bytes md = BuildMD(true, 2, "MQSTR   ", 546, 850);
    memcpy(md.b.data() + 196, "user@       ", 12);             /* User Id ends in '@' (0x40) */
    std::string out = FormatWithMd(md.b, {}, MakeLineRec(4));
    EXPECT_NE(std::string::npos, out.find("'user@'")) << out;
}
}

namespace {
TEST(FmtWalk, RawHexBesideShortFields)
{
    Bytes md = BuildMD(true, 2, "MQSTR   ", 546, 850);
    FmtLineRec lr = MakeLineRec(4);
    lr.flags |= LR_HEX_RAW | LR_RUN_OFFSET;
    std::string out = FormatWithMd(md.b, {}, lr);
    EXPECT_NE(std::string::npos, out.find("|Version       : {+004}: 02000000        : 2\n")) << out;
    EXPECT_NE(std::string::npos, out.find("|Reply Queue   : {+064}: 'REPLY.Q'"));
}
}

namespace {

/* A line with what the pane reads of it beside its text. */
struct FullLine {
    std::string text;
    uint32_t lineFlags, lineClass, prefixLength, valueBytes, fieldLength;
    bool operator==(const FullLine &o) const
    {
        return text == o.text && lineFlags == o.lineFlags && lineClass == o.lineClass &&
               prefixLength == o.prefixLength && valueBytes == o.valueBytes && fieldLength == o.fieldLength;
    }
};

uint32_t FullSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t n)
{
    ((std::vector<FullLine> *)(uintptr_t)context)
        ->push_back({ std::string(text, n), lr->lineFlags, lr->lineClass, lr->prefixLength, lr->valueBytes,
                      lr->fieldLength });
    return 0;
}

}

/* Integer lines met again late in a long run come from the line cache:
 * each parameter's lines equal those of the same parameter early in the
 * run, built before the cache was made (headings aside: they count the
 * bytes left). */
TEST(FmtWalk, CachedIntegerLinesAreTheLinesBuilt)
{
    InstallStubTables();
    const int count = 3000, period = 6;
    Bytes pcf = BuildPcfHeader(true, 1, 13, count);
    for (int k = 0; k < count; k++) {
        if (k % 2)
            CfIn(pcf, 1016, k % period);
        else
            CfIn(pcf, 20, 1000000 + k % period);
    }
    for (uint32_t detail : { 2u, 4u }) {
        FmtMsgInfo m = MakeMsg("MQADMIN ");
        FmtLineRec lr = MakeLineRec(detail);
        std::vector<FullLine> lines;
        FapFormatMessage(nullptr, 0, pcf.b.data(), (uint32_t)pcf.b.size(), &m, FullSink,
                         (uint64_t)(uintptr_t)&lines, &lr);
        /* the parameters' lines: after the header's, 'count' groups alike */
        std::vector<std::vector<FullLine>> groups;
        for (const FullLine &l : lines) {
            if (l.text.find("Parameter") != std::string::npos && l.text.find(':') != std::string::npos &&
                !(l.lineFlags & LF_HEADING))
                groups.emplace_back();
            if (!groups.empty() && !(l.lineFlags & LF_HEADING))
                groups.back().push_back(l);
        }
        ASSERT_GE(groups.size(), (size_t)count) << detail;
        for (int k = period; k < count; k++)
            ASSERT_TRUE(groups[k] == groups[k % period] || k + 1 == count) << detail << " parameter " << k;
    }
}

/* Where the walk's notes and markers stand: the data's "Message Content"
 * heading before its headers, a structure length beyond the data marked
 * before the length's own line, the override note in the column 25
 * places after the names. */
TEST(FmtWalk, NotesAndMarkersWhereTheyStand)
{
    FmtLayoutAll();
    auto lineOf = [](const std::string &out, const char *piece) {
        size_t at = out.find(piece);
        return at == std::string::npos ? -1 : (int)std::count(out.begin(), out.begin() + (long)at, '\n');
    };
    Bytes rfh = BuildRfh2(true, "MQSTR   ", { "<usr><a>1</a></usr>" });
    rfh.Patch32(8, 400);                                   /* StrucLength beyond the data */
    std::string out = FormatAll(MakeMsg("MQHRF2  "), rfh.b, MakeLineRec(4));
    EXPECT_EQ(lineOf(out, "] Message Content"), 0) << out;
    EXPECT_EQ(lineOf(out, "Following length is larger than the available data") + 1, lineOf(out, "Struc Length"))
        << out;

    FmtMsgInfo m = MakeMsg("MQSTR   ");
    memcpy(m.overrideFormat, "ORDERS  ", 8);
    Bytes md = BuildMD(true, 2, "MQSTR   ", 546, 850);
    Recorder r;
    FmtLineRec lr = MakeLineRec(4);
    const unsigned char *p = md.b.data();
    uint32_t rem = (uint32_t)md.size();
    FapFormatStructure(&m, &FmtDefMQMD, nullptr, RecordSink, (uint64_t)(uintptr_t)&r, &lr, &rem, &p);
    std::string format;
    for (auto &l : r.lines)
        if (l.text.compare(0, 6, "Format") == 0)
            format = l.text;
    EXPECT_EQ(format.find(" Override('ORDERS  ')"), (size_t)FmtDefMQMD.nameWidth + 25) << format;
}
