/* Body kinds: text records, XML, JSON, EDIFACT and hex; the code pages
 * text bodies are shown in. */
#include "fmttest.h"
#include "fmtint.h"
#include <gtest/gtest.h>
#include <thread>

namespace {

Recorder Body(const std::string &text, uint8_t kind, uint32_t options = 0, uint32_t flags = 0,
              uint32_t ccsid = 850)
{
    Recorder r;
    FmtMsgInfo m = MakeMsg("MQSTR   ", 546, ccsid);
    m.bodyKind = kind;
    FmtLineRec lr = MakeLineRec(4);
    lr.options |= options;
    lr.flags |= flags;
    FormatAll(m, std::vector<unsigned char>(text.begin(), text.end()), lr, &r);
    DropContentHeading(&r);
    return r;
}

std::vector<std::string> Texts(const Recorder &r)
{
    std::vector<std::string> t;
    for (auto &l : r.lines) t.push_back(l.text);
    return t;
}

using V = std::vector<std::string>;

TEST(FmtBody, RecordsAndKinds)
{
    EXPECT_EQ((V{ "1,", "2,", "3" }), Texts(Body("1,2,3", 1)));
    EXPECT_EQ((V{ "no separator here" }), Texts(Body("no separator here", 2)));
    EXPECT_EQ((V{ "a", "b" }), Texts(Body("a\x01" "b", 2)));
    EXPECT_TRUE(Body("anything", 7).lines.empty());
    EXPECT_EQ((V{ "plain" }), Texts(Body("plain", 4)));
}

TEST(FmtBody, XmlTree)
{
    EXPECT_EQ((V{ "<a>", "  <b>", "    x", "  </b>", "</a>" }), Texts(Body("<a><b>x</b></a>", 5)));
    Recorder bad = Body("<a><b>x</a>", 5);
    ASSERT_GE(bad.lines.size(), 4u);
    EXPECT_EQ("** XML Badly formed ** Expected end tag </b>", bad.lines[3].text);
    EXPECT_EQ((uint32_t)LF_MARKER | LF_TEXT, bad.lines[3].lineFlags);
    EXPECT_EQ("  </a>", bad.lines[4].text);
    EXPECT_EQ("** XML Incomplete **", Body("<a>", 5).lines.back().text);
    EXPECT_EQ("** XML Tag is incomplete **", Body("<a><b attr='1'", 5).lines.back().text);
    Recorder unrec = Body("</z>rest", 5);
    EXPECT_EQ("** Unrecognised XML Format **", unrec.lines[0].text);
    V special = Texts(Body("<?xml version='1.0'?><!-- c --><r/>", 5));
    EXPECT_EQ((V{ "<?xml version='1.0'?>", "<!-- c -->", "<r/>" }), special);
    EXPECT_EQ((V{ "<t>", "  <x>", "</t>" }), Texts(Body("<t>&lt;x&gt;</t>", 5, LO_DECODE_ENTITIES)));
    EXPECT_EQ((V{ "<t>", "  a&b;c", "</t>" }), Texts(Body("<t>a&b;c</t>", 5, LO_DECODE_ENTITIES)));
    /* XML found in a text body when asked to look */
    EXPECT_EQ((V{ "<a>", "  x", "</a>" }), Texts(Body("  \r\n<a>x</a>", 0, 0, LR_XML_DETECT)));
}

TEST(FmtBody, XmlAttributeValuesMayHoldAGreaterThanSign)
{
    EXPECT_EQ((V{ "<rule when=\"depth > 10\" note='a>b'>", "  alert", "</rule>" }),
              Texts(Body("<rule when=\"depth > 10\" note='a>b'>alert</rule>", 5)));
    EXPECT_EQ((V{ "<r>", "  <x v='>'/>", "</r>" }), Texts(Body("<r><x v='>'/></r>", 5)));
    /* a quote left open ends at the next "<": the tag is incomplete */
    EXPECT_EQ("** XML Tag is incomplete **", Body("<a b='x>y<c/></a>", 5).lines[1].text);
    /* outside attribute values a quote is text: the processing
       instruction and the end tag end at their ">" */
    EXPECT_EQ((V{ "<?pi don't?>", "<a>", "  it's", "</a>" }), Texts(Body("<?pi don't?><a>it's</a>", 5)));
}

TEST(FmtBody, XmlTagScanner)
{
    const FmtCodepage *cp = nullptr;
    struct { const char *text; uint32_t flags; const char *name; } cases[] = {
        { "<a href='x'>", FMT_TAG_COMPLETE, "a" },
        { "</a >", FMT_TAG_COMPLETE | FMT_TAG_END, "a" },
        { "<br/>", FMT_TAG_COMPLETE | FMT_TAG_EMPTY, "br" },
        { "<!-- x > y -->", FMT_TAG_COMPLETE | FMT_TAG_EMPTY | FMT_TAG_SPECIAL, "" },
        { "<!DOCTYPE d [ <!ENTITY e 'v'> ] >", FMT_TAG_COMPLETE | FMT_TAG_EMPTY | FMT_TAG_SPECIAL, "DOCTYPE" },
        { "<a <b>", 0, "a" },
    };
    cp = FmtGetCodepage(850);
    for (auto &c : cases) {
        const unsigned char *p = (const unsigned char *)c.text;
        uint32_t n = (uint32_t)strlen(c.text);
        FmtXmlTag t;
        EXPECT_EQ(0u, FapXmlScanTag(&p, &n, 0, cp, &t)) << c.text;
        EXPECT_EQ(c.flags, t.flags) << c.text;
        if (*c.name) {
            EXPECT_EQ(std::string(c.name), std::string((const char *)t.name, t.nameLength)) << c.text;
        }
    }
    const unsigned char *p = (const unsigned char *)"<jms>";
    uint32_t n = 5;
    FmtXmlTag t;
    FapXmlScanTag(&p, &n, 1, cp, &t);
    EXPECT_STREQ("JMSProperties", t.display);
}

/* Deep nesting is bounded: the rest is shown as text after a marker. */
TEST(FmtFaults, XmlNestingIsBounded)
{
    std::string deep;
    for (int i = 0; i < 100000; i++) deep += "<a>";
    Recorder r = Body(deep, 5, 0, LR_NO_TEXT);
    bool marker = false;
    for (auto &l : r.lines) marker |= (l.lineFlags & LF_MARKER) != 0;
    EXPECT_TRUE(marker);
    EXPECT_LT(r.lines.size(), 5000u);
    Recorder shown = Body(std::string(300, ' ') + deep.substr(0, 3 * 300), 5);
    bool found = false;
    for (auto &l : shown.lines) found |= l.text == "** XML Nesting too deep **";
    EXPECT_TRUE(found);
}

TEST(FmtBody, Json)
{
    EXPECT_EQ((V{ "{", "  \"a\": 1,", "  \"b\": \"x\"", "}" }), Texts(Body("{\"a\": 1, \"b\": \"x\"}", 3)));
    EXPECT_EQ((V{ "{", "  \"list\": [1,2],", "  \"s\": \"a,b\"", "}" }),
              Texts(Body("{\"list\": [1,2], \"s\": \"a,b\"}", 3)));
    Recorder empty;
    FmtMsgInfo m = MakeMsg("MQSTR   ");
    FmtLineRec lr = MakeLineRec(4);
    char buf[FMT_LINE_BUFFER];
    lr.text = buf;
    FmtWrapValue(&m, RecordSink, (uint64_t)(uintptr_t)&empty, nullptr, &lr, 0, 20, 0, (const unsigned char *)"");
    EXPECT_EQ((V{ "" }), Texts(empty));
    EXPECT_EQ((V{ "[", "  {", "    \"k\": [", "      1,", "      {\"z\": 0}", "    ]", "  }", "]" }),
              Texts(Body("[{\"k\": [1, {\"z\": 0}]}]", 3)));
}

/* Backslash escapes inside JSON strings do not end the string. */
TEST(FmtFaults, JsonEscapedQuotes)
{
    EXPECT_EQ((V{ "{", "  \"q\": \"say \\\"hi, there\\\"\",", "  \"n\": 2", "}" }),
              Texts(Body("{\"q\": \"say \\\"hi, there\\\"\", \"n\": 2}", 3)));
    EXPECT_EQ((V{ "{", "  \"p\": \"c:\\\\\",", "  \"n\": 2", "}" }),
              Texts(Body("{\"p\": \"c:\\\\\", \"n\": 2}", 3)));
}

TEST(FmtBody, Edifact)
{
    const FmtCodepage *cp = FmtGetCodepage(850);
    auto is = [&](const char *s) { return EdiIsServiceString(cp, (const unsigned char *)s, (uint32_t)strlen(s)); };
    EXPECT_EQ(1, is("UNA:+.? 'UNB+UNOC:3"));
    EXPECT_EQ(1, is("UNB+UNOC:3"));
    EXPECT_EQ(0, is("UNH+1+ORDERS"));
    EXPECT_EQ((V{ "UNB+A'", "UNH+1'", "UNZ+1'" }), Texts(Body("UNB+A'UNH+1'UNZ+1'", 6)));
    Recorder open = Body("UNB+A'UNH+1", 6);
    EXPECT_EQ((V{ "UNB+A'", "UNH+1", "** EDIFACT Segment not terminated **" }), Texts(open));
    EXPECT_EQ((V{ "UNA:+.? |", "UNB+A|", "UNZ+1|" }), Texts(Body("UNA:+.? |UNB+A|UNZ+1|", 6)));
    /* line ends between segments are lines of their own; after the last
       segment they leave no segment open */
    EXPECT_EQ((V{ "UNB+A'", "", "UNZ+1'", "", "" }), Texts(Body("UNB+A'\r\nUNZ+1'\r\n", 6)));
}

/* Detection reads nothing past the data; the release character holds. */
TEST(FmtFaults, EdifactBoundsAndRelease)
{
    const FmtCodepage *cp = FmtGetCodepage(850);
    const char *shorts[] = { "UNB", "UN", "UNA:+.? 'UNB", "UNA:+.? 'UN" };
    for (const char *s : shorts) {
        size_t n = strlen(s);
        std::vector<unsigned char> exact(s, s + n);      /* no byte beyond the data */
        EXPECT_EQ(0, EdiIsServiceString(cp, exact.data(), (uint32_t)n)) << s;
    }
    EXPECT_EQ((V{ "UNB+O?'Brien'", "UNZ+1'" }), Texts(Body("UNB+O?'Brien'UNZ+1'", 6)));
    EXPECT_EQ((V{ "UNA:+.! |", "UNB+A!|B|", "UNZ+1|" }), Texts(Body("UNA:+.! |UNB+A!|B|UNZ+1|", 6)));
    EXPECT_EQ((V{ "UNB+A?" "?'", "UNZ+1'" }), Texts(Body("UNB+A?" "?'UNZ+1'", 6)));
}

TEST(FmtBody, HexFieldsAndDumps)
{
    FmtLayoutAll();
    FmtFieldDef len = { "Len", FT_INT, 4, nullptr, 0, 0, 0, nullptr, 0 };
    FmtFieldDef bytes = { "Bytes", FT_BYTES_BYLEN, 0, &len, 0, 0, 0, nullptr, 0 };
    FmtStructRow rows[] = { { 0, &len, nullptr, 0 }, { 0, &bytes, nullptr, 0 }, { 0, nullptr, nullptr, 0 } };
    FmtStructDef def = { "Blob", 0, rows, nullptr, 0, 0, 0 };
    FmtLayoutStruct(&def, 1);
    Bytes b;
    b.I32(16);
    for (int i = 0; i < 16; i++) b.b.push_back((unsigned char)(0xA0 + i));
    Recorder r;
    FmtMsgInfo m = MakeMsg("        ");
    FmtLineRec lr = MakeLineRec(4);
    const unsigned char *p = b.b.data();
    uint32_t rem = (uint32_t)b.size();
    FapFormatStructure(&m, &def, nullptr, RecordSink, (uint64_t)(uintptr_t)&r, &lr, &rem, &p);
    ASSERT_GE(r.lines.size(), 3u);
    EXPECT_EQ("Bytes        : A0A1A2A3A4A5A6A7A8A9AAABACADAEAF", r.lines[2].text);
    EXPECT_EQ(800u, r.lines[2].lineClass);

    /* hex dump layout follows the width and the offset prefix */
    std::vector<unsigned char> data(100, 0x41);
    Recorder d;
    FmtLineRec dl = MakeLineRec(4);
    dl.width = 80;
    dl.flags |= LR_OFFSET_PREFIX;
    FormatAll(MakeMsg("BINARY  "), data, dl, &d);
    DropContentHeading(&d);
    ASSERT_GE(d.lines.size(), 2u);
    EXPECT_EQ("+       0 <100 Remaining Bytes>", d.lines[0].text);
    EXPECT_EQ(257u, d.lines[1].lineClass);
    EXPECT_EQ(20u, d.lines[2].dataOffset);
    for (auto &l : d.lines) EXPECT_LE(l.text.size(), 80u);
}


/* What a user sees of hex beside and under its characters: the remaining
 * bytes and a field too long for its label line, with the character view
 * beside the hex and on its own line (View > Characters), each line with
 * its class. */
TEST(FmtBody, DumpsFollowTheCharacterView)
{
    FmtLayoutAll();
    FmtFieldDef tag = { "Tag", FT_INT, 4, nullptr, 0, 0, 0, nullptr, 0 };
    FmtFieldDef raw = { "Raw bytes of the record", FT_HEX, 40, nullptr, 0, 0, 0, nullptr, 0 };
    FmtFieldDef len = { "Len", FT_INT, 4, nullptr, 0, 0, 0, nullptr, 0 };
    FmtFieldDef blob = { "Blob", FT_BYTES_BYLEN, 0, &len, 0, 0, 0, nullptr, 0 };
    FmtStructRow rows[] = { { 0, &tag, nullptr, 0 }, { 0, &raw, nullptr, 0 }, { 0, &len, nullptr, 0 },
                            { 0, &blob, nullptr, 0 }, { 0, nullptr, nullptr, 0 } };
    FmtStructDef def = { "Record", 0, rows, nullptr, 0, 0, 0 };
    FmtLayoutStruct(&def, 1);
    Bytes b;
    b.I32(7);
    const char text[] = "Hello, dumps! The quick brown fox jumps.";
    b.Raw(text, 40);
    b.I32(30);
    for (int i = 0; i < 30; i++) b.b.push_back((unsigned char)(i < 26 ? 'a' + i : i));
    b.Raw("tail of the data: 0123456789", 28);
    std::string shown;
    for (uint32_t flags : { 0u, (uint32_t)LR_HEX_CHARLINE }) {
        Recorder r;
        FmtMsgInfo m = MakeMsg("        ");
        FmtLineRec lr = MakeLineRec(4);
        lr.width = 72;
        lr.flags |= flags;
        const unsigned char *p = b.b.data();
        uint32_t rem = (uint32_t)b.size();
        FapFormatStructure(&m, &def, nullptr, RecordSink, (uint64_t)(uintptr_t)&r, &lr, &rem, &p);
        shown += Render(r) + "----\n";
        for (auto &l : r.lines)
            EXPECT_LE(l.text.size(), 72u) << l.text;
    }
    EXPECT_EQ(CompareGolden("dump_views", shown), "");
}

}

namespace {

struct Shown {
    std::vector<std::string> lines;
    uint32_t converted;
};

Shown TextIn(uint32_t ccsid, const std::string &bytes, uint32_t options = LO_EBCDIC_TO_ASCII)
{
    Recorder r;
    FmtMsgInfo m = MakeMsg("MQSTR   ", 546, ccsid);
    FmtLineRec lr = MakeLineRec(4);
    lr.options |= options;
    char buf[FMT_LINE_BUFFER];
    lr.text = buf;
    FapFormatMessage(nullptr, 0, (const unsigned char *)bytes.data(), (uint32_t)bytes.size(), &m,
                     RecordSink, (uint64_t)(uintptr_t)&r, &lr);
    DropContentHeading(&r);
    Shown s{ {}, lr.converted };
    for (auto &l : r.lines) s.lines.push_back(l.text);
    return s;
}

/* Single-byte text the common tables know is shown as Latin-1; text of
 * other CCSIDs as before: bytes unchanged, or read as 500 when EBCDIC.
 * Only text that changed counts as converted. */
TEST(FmtBody, TextBodiesByCodePage)
{
    Shown pc = TextIn(850, "caf\x82 \x9C" "5");
    EXPECT_EQ((V{ "caf\xE9 \xA3" "5" }), pc.lines);
    EXPECT_EQ(1u, pc.converted);
    Shown plain = TextIn(850, "cafe");
    EXPECT_EQ((V{ "cafe" }), plain.lines);
    EXPECT_EQ(0u, plain.converted);
    EXPECT_EQ((V{ "caf\x82" }), TextIn(850, "caf\x82", 0).lines);     /* not asked */
    EXPECT_EQ((V{ "\x1A" "1" }), TextIn(1252, "\x80" "1").lines);      /* euro: no Latin-1 form */

    Shown utf8 = TextIn(1208, "caf\xC3\xA9");
    EXPECT_EQ((V{ "caf\xC3\xA9" }), utf8.lines);
    EXPECT_EQ(0u, utf8.converted);

    /* EBCDIC Latin-2 (1153) has no table here: its invariant letters and
     * line ends read as 500, as always. */
    Shown latin2 = TextIn(1153, "\xC8\xC5\xD3\xD3\xD6\x25\xE6\xD6");
    EXPECT_EQ((V{ "HELLO", "WO" }), latin2.lines);
    EXPECT_EQ(1u, latin2.converted);
    Shown german = TextIn(273, "\xC1\x4A");
    EXPECT_EQ((V{ "A\xC4" }), german.lines);
    EXPECT_EQ(1u, german.converted);
}

/* Records are made once per CCSID, the same for every thread, and carry
 * the CCSID's own syntax bytes. */
TEST(FmtCodepageRecords, OnePerCcsidFromEveryThread)
{
    const uint32_t ccsids[] = { 37, 273, 500, 1047, 1141, 1153, 290, 850, 819, 1252, 437, 1208, 0,
                                54321, 0xFFFFFFFFu, 20273, 875, 1026, 1140, 1149, 16804 };
    const size_t n = sizeof ccsids / sizeof ccsids[0];
    std::vector<std::vector<const FmtCodepage *>> seen(4, std::vector<const FmtCodepage *>(n));
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); t++)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; round++)
                for (size_t i = 0; i < n; i++)
                    seen[t][(i + t) % n] = FmtGetCodepage(ccsids[(i + t) % n]);
        });
    for (auto &th : threads) th.join();
    for (size_t t = 1; t < seen.size(); t++)
        EXPECT_EQ(seen[0], seen[t]);

    struct { uint32_t ccsid, ebcdic; unsigned char lbrk, lbrace, cr; } expect[] = {
        { 37, 1, 0xBA, 0xC0, 0x25 }, { 500, 1, 0x4A, 0xC0, 0x25 }, { 273, 1, 0x63, 0x43, 0x25 },
        { 1141, 1, 0x63, 0x43, 0x25 }, { 1047, 1, 0xAD, 0xC0, 0x25 }, { 1153, 1, 0x4A, 0xC0, 0x25 },
        { 850, 0, '[', '{', '\r' }, { 1208, 0, '[', '{', '\r' }, { 54321, 0, '[', '{', '\r' } };
    for (auto &e : expect) {
        const FmtCodepage *cp = FmtGetCodepage(e.ccsid);
        EXPECT_EQ(e.ebcdic, cp->ebcdic) << e.ccsid;
        EXPECT_EQ(e.lbrk, cp->ch[CP_LBRK]) << e.ccsid;
        EXPECT_EQ(e.lbrace, cp->ch[CP_LBRACE]) << e.ccsid;
        EXPECT_EQ(e.cr, cp->ch[CP_CR]) << e.ccsid;
    }
    EXPECT_EQ(FmtGetCodepage(273)->toAscii, CSSingleByteToLatin1(273));
    EXPECT_EQ(FmtGetCodepage(1153)->toAscii, CSSingleByteToLatin1(500));
    EXPECT_EQ(nullptr, FmtGetCodepage(1208)->toAscii);
    EXPECT_EQ(FmtGetCodepage(1208), FmtGetCodepage(54321));     /* the shared plain record */
    EXPECT_NE(FmtGetCodepage(273), FmtGetCodepage(1141));
}

}
