/* The Drask file format: golden files of the three data layouts (index
 * lines, empty data, a version-1 descriptor, a NUL-led character field),
 * random messages written and read back equal in every layout, what the
 * reader tolerates, and every error text with its line and code. */
#include "xfertest.h"

#include <cstring>

#include "cs.h"

namespace {

/* The four messages of the golden files. */
std::vector<XMsg> GoldenMessages()
{
    std::vector<XMsg> out;
    XMsg a = TextMessage("Hello, world");
    a.md.Encoding = 546;
    a.md.CodedCharSetId = 1208;
    a.md.Persistence = 1;
    a.md.Priority = 4;
    memcpy(a.md.MsgId, "AMQ QM1         \x01\x02\x03\x04\x05\x06\x07\x08", 24);
    FILLF(a.md.ReplyToQ, "REPLY.Q");
    FILLF(a.md.ReplyToQMgr, "QM1");
    FILLF(a.md.UserIdentifier, "mqm");
    memcpy(a.md.AccountingToken, "\x16\x01\x05\x15\x00\x00\x00\x9F", 8);
    FILLF(a.md.ApplIdentityData, "");
    a.md.PutApplType = 11;
    FILLF(a.md.PutApplName, "amqsput.exe");
    FILLF(a.md.PutDate, "20240102");
    FILLF(a.md.PutTime, "10203040");
    FILLF(a.md.ApplOriginData, "");
    out.push_back(a);
    XMsg empty = TextMessage("");
    out.push_back(empty);
    XMsg v1 = {DefaultMD(), std::string("say \"hi\" ~ok~") + std::string("\0\1\2", 3) +
                                " and a longer tail of safe text, more than one line long"};
    v1.md.Version = 1;
    memcpy(v1.md.Format, "MQSTR   ", 8);
    out.push_back(v1);
    XMsg nul = TextMessage(std::string("\xC1\xC2\xC3 binary \x7F\x80\xFF", 14));
    memcpy(nul.md.ReplyToQ, "\0REPLY.Q", 8);
    out.push_back(nul);
    return out;
}

/* What the golden messages read back as: version 2, and the NUL-led
 * field at its default. */
std::vector<XMsg> ReadBackGolden()
{
    std::vector<XMsg> out = GoldenMessages();
    out[2].md.Version = 2;
    memset(out[3].md.ReplyToQ, 0, 48);
    return out;
}

void ExpectMessages(const std::vector<XMsg> &got, const std::vector<XMsg> &want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); i++) {
        SCOPED_TRACE("message " + std::to_string(i + 1));
        ExpectSameMD(got[i].md, want[i].md);
        EXPECT_EQ(got[i].data, want[i].data);
    }
}

struct Layout {
    const char *file;
    uint32_t options;
} const layouts[] = {
    {"golden/default.drask", DRO_INDEX},
    {"golden/ascii.drask", DRO_SAFESET},
    {"golden/column.drask", DRO_COLUMN},
};

} // namespace

TEST(DraskFormat, GoldenFilesOfTheThreeLayouts)
{
    for (const Layout &l : layouts) {
        SCOPED_TRACE(l.file);
        std::string text = WriteMessages(GoldenMessages(), l.options, "APP.QUEUE");
        if (getenv("RAVOLT_WRITE_GOLDEN"))
            TempFile(std::string(l.file).substr(7), text);
        EXPECT_EQ(text, ReadAll(DataPath(l.file)));
        XRead r = ReadMessages(DataPath(l.file));
        EXPECT_EQ(r.rc, 0) << r.error;
        if (!r.rc)
            ExpectMessages(r.msgs, ReadBackGolden());
    }
}

TEST(DraskFormat, HeaderEmptyDataAndVersionOneLines)
{
    std::string text = WriteMessages(GoldenMessages(), 0, "APP.QUEUE");
    EXPECT_EQ(text.rfind("* DRASK Version:9.0.0 Created:Tue Nov 14 22:13:20 2023\n* Queue = APP.QUEUE\n\n", 0), 0u);
    /* empty data: the single line "X ", with or without the character
       column; the padded form other writings made reads back as empty */
    for (uint32_t options : {0u, (uint32_t)DRO_COLUMN}) {
        std::string written = WriteMessages({TextMessage("")}, options);
        EXPECT_NE(written.find("\nX \n\n"), std::string::npos) << options;
        EXPECT_EQ(written.find("<>"), std::string::npos) << options;
    }
    for (const std::string &x : {std::string("X "), "X " + std::string(52, ' ') + "<>"}) {
        XRead r = ReadMessages(TempFile("empty.drask", "* DRASK\nA FMT MQSTR\n" + x + "\n\nA PER 1\nX 41\n"));
        ASSERT_EQ(r.rc, 0) << r.error;
        ASSERT_EQ(r.msgs.size(), 2u) << x;
        EXPECT_EQ(r.msgs[0].data, "") << x;
        EXPECT_EQ(r.msgs[1].data, "A") << x;
    }
    /* the version-1 message: no VER, no GRP to ORL */
    size_t third = text.find("A RPT", text.find("X \n\n"));
    size_t fourth = text.find("A VER", third);
    std::string v1 = text.substr(third, fourth - third);
    EXPECT_EQ(v1.find("A VER"), std::string::npos);
    EXPECT_EQ(v1.find("A GRP"), std::string::npos);
    EXPECT_EQ(v1.find("A ORL"), std::string::npos);
    EXPECT_NE(v1.find("A AIX "), std::string::npos);
    EXPECT_EQ(v1.find("A AID"), std::string::npos);
    /* the NUL-led field: nothing after its code */
    EXPECT_NE(text.find("\nA RTQ \nA RTM"), std::string::npos);
    /* without a queue no queue line */
    EXPECT_EQ(WriteMessages({}, 0).find("* Queue"), std::string::npos);
}

TEST(DraskFormat, RandomMessagesReadBackEqualInEveryLayout)
{
    std::mt19937 rng(24);
    static const uint32_t options[] = {0, DRO_SAFESET, DRO_COLUMN, DRO_SAFESET | DRO_INDEX, DRO_COLUMN | DRO_INDEX};
    for (uint32_t opt : options) {
        SCOPED_TRACE("options " + std::to_string(opt));
        std::vector<XMsg> msgs;
        for (int i = 0; i < 40; i++) {
            int version = 1 + (int)(rng() % 2);
            size_t n = rng() % 5 == 0 ? 0 : rng() % 400;
            std::string data = rng() % 2 ? RandomBytes(rng, n) : std::string(n, 'a' + (char)(rng() % 26));
            msgs.push_back({RandomMD(rng, version), data});
        }
        std::string path = TempFile("random.drask", WriteMessages(msgs, opt));
        XRead r = ReadMessages(path);
        ASSERT_EQ(r.rc, 0) << r.error;
        for (XMsg &m : msgs)
            m.md.Version = 2;
        ExpectMessages(r.msgs, msgs);
    }
}

TEST(DraskFormat, LinesOfEveryWidthReadBackEqual)
{
    /* X lines shorter and longer than the reader's sixteen-digit steps,
     * lines wider than its room for decoding in place, with LF and CR LF */
    std::mt19937 rng(70);
    static const int32_t widths[] = {1, 7, 8, 16, 24, 25, 33, 5000};
    for (int32_t width : widths) {
        for (uint32_t opt : {0u, (uint32_t)DRO_COLUMN}) {
            SCOPED_TRACE("width " + std::to_string(width) + " options " + std::to_string(opt));
            std::vector<XMsg> msgs;
            for (int i = 0; i < 12; i++) {
                size_t n = i == 0 ? 0 : rng() % 3 == 0 ? rng() % 40 : rng() % 12000;
                msgs.push_back({RandomMD(rng, 2), RandomBytes(rng, n)});
            }
            std::string text = WriteMessages(msgs, opt, nullptr, width), crlf;
            for (char c : text)
                crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
            for (const std::string &t : {text, crlf}) {
                XRead r = ReadMessages(TempFile("width.drask", t));
                ASSERT_EQ(r.rc, 0) << r.error;
                ExpectMessages(r.msgs, msgs);
            }
        }
    }
}

/* Among X lines of one width, one that differs (shorter, longer, odd,
 * a bad digit anywhere, blanks, CR LF, text after its digits) reads as
 * the line reader reads it (a comment line before every line makes it
 * read them one by one), and a bad one is named by its line. */
TEST(DraskFormat, ALineUnlikeTheOnesBeforeItReadsAsOneByOne)
{
    std::string digits = "00112233445566778899AABBCCDDEEFF0a1b2c3d4e5f60718293";   /* 52 */
    std::string base = "X " + digits.substr(0, 50) + "\n";
    std::vector<std::string> variants = {
        "X " + digits.substr(0, 48) + "\n", "X " + digits + "\n", "X " + digits.substr(0, 49) + "\n",
        "X " + digits.substr(0, 50) + " \n", "X  " + digits.substr(0, 50) + "\n",
        "X " + digits.substr(0, 50) + "\r\n", "X " + digits.substr(0, 48) + "\r5\n",
        "X " + digits.substr(0, 16) + "\n", "X " + digits.substr(0, 14) + "\n",
        "X " + digits.substr(0, 50) + "   <text after the digits>\n"};
    for (size_t k = 0; k < 50; k++) {
        std::string bad = base;
        bad[2 + k] = k % 3 ? 'G' : '\n';
        variants.push_back(bad);
    }
    for (const std::string &variant : variants) {
        SCOPED_TRACE(variant);
        std::string inRow = "* DRASK\nA FMT MQSTR\n", oneByOne = inRow;
        for (int i = 0; i < 9; i++) {
            const std::string &line = i == 5 ? variant : base;
            inRow += line;
            oneByOne += "* one by one\n" + line;
        }
        inRow += "\nA FMT MQSTR\n" + base + base;
        oneByOne += "\nA FMT MQSTR\n" + base + base;
        XRead quick = ReadMessages(TempFile("inrow.drask", inRow));
        XRead slow = ReadMessages(TempFile("onebyone.drask", oneByOne));
        EXPECT_EQ(quick.rc, slow.rc) << quick.error << "\n" << slow.error;
        if (slow.rc) {
            /* the variant is line 8 here and 14 there, the line after it 9 and 15 */
            std::string named = slow.error;
            for (auto [there, here] : {std::pair{"line 14 ", "line 8 "}, std::pair{"line 15 ", "line 9 "}})
                if (size_t at = named.find(there); at != std::string::npos)
                    named.replace(at, strlen(there), here);
            named.replace(named.find("onebyone"), 8, "inrow");
            EXPECT_EQ(quick.error, named);
            continue;
        }
        ASSERT_EQ(quick.msgs.size(), slow.msgs.size());
        for (size_t i = 0; i < slow.msgs.size(); i++)
            EXPECT_EQ(quick.msgs[i].data, slow.msgs[i].data) << i;
    }
}

TEST(DraskFormat, ReaderTolerates)
{
    /* comments and blank lines anywhere, "N", unquoted and escaped S
     * lines, T lines, CR LF, a line of blanks */
    std::string text =
        "* DRASK Version:9.0.0 Created:whenever\r\n"
        "* a comment before anything\r\n"
        "\r\n"
        "N\r\n"
        "A FMT MQSTR\r\n"
        "* a comment between attributes\r\n"
        "A RTQ REPLY.Q\r\n"
        "\r\n"
        "   \r\n"
        "S \"abc~\"def~~\"\r\n"
        "* a comment between data lines\r\n"
        "S plain text   \r\n"
        "X 0D0a\r\n"
        "T first line\r\n"
        "T \r\n"
        "A FMT\r\n"
        "X 41\n"
        "A PER 1\n"
        "A FMT MQSTR   \n"
        "S\n";
    XRead r = ReadMessages(TempFile("tolerant.drask", text));
    ASSERT_EQ(r.rc, 0) << r.error;
    ASSERT_EQ(r.msgs.size(), 3u);
    EXPECT_EQ(r.msgs[0].data, std::string("abc\"def~plain text\r\nfirst line\n\n"));
    EXPECT_EQ(std::string(r.msgs[0].md.ReplyToQ, 48), std::string("REPLY.Q") + std::string(41, ' '));
    EXPECT_EQ(std::string(r.msgs[0].md.Format, 8), "MQSTR   ");
    EXPECT_EQ(std::string(r.msgs[1].md.Format, 8), "        ");   /* no value: the default */
    EXPECT_EQ(r.msgs[1].data, "A");
    EXPECT_EQ(r.msgs[2].md.Persistence, 1);
    EXPECT_EQ(r.msgs[2].data, "");
    /* lines of one length, one with blanks before its end, one with what
     * is no digit after whole pairs (ignored as a column is) */
    std::string line = "00112233445566778899AABBCCDDEEFF00112233445566778899";
    std::string cut = line.substr(0, 16) + "G" + line.substr(17);
    XRead same = ReadMessages(TempFile("same.drask", "* DRASK\nA FMT MQSTR\nX " + line + "\nX " + line + "  \nX " +
                                                         line + "\nX " + cut + "\nX " + line + "\nX 41\n"));
    ASSERT_EQ(same.rc, 0) << same.error;
    std::string bytes = std::string("\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB\xCC\xDD\xEE\xFF", 16) +
                        std::string("\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99", 10);
    EXPECT_EQ(same.msgs[0].data, bytes + bytes + bytes + bytes.substr(0, 8) + bytes + "A");
    /* X lines with the character column read the same bytes */
    XRead col = ReadMessages(TempFile("column.drask", "* DRASK\nA FMT MQSTR\nX 414243                                              <ABC>\n"));
    ASSERT_EQ(col.rc, 0) << col.error;
    EXPECT_EQ(col.msgs[0].data, "ABC");
}

TEST(DraskFormat, CharacterFieldsEndAtLineEnds)
{
    XMsg m = TextMessage("x");
    memcpy(m.md.ReplyToQ, "AB\rCD", 5);
    memcpy(m.md.ReplyToQMgr, "QM\nX", 4);
    memcpy(m.md.PutApplName, "prog\r\n", 6);
    std::string text = WriteMessages({m}, 0);
    EXPECT_NE(text.find("\nA RTQ AB\n"), std::string::npos);
    EXPECT_NE(text.find("\nA RTM QM\n"), std::string::npos);
    XRead r = ReadMessages(TempFile("crlf.drask", text));
    ASSERT_EQ(r.rc, 0) << r.error;
    ASSERT_EQ(r.msgs.size(), 1u);
    EXPECT_EQ(std::string(r.msgs[0].md.ReplyToQ, 3), "AB ");
    EXPECT_EQ(std::string(r.msgs[0].md.PutApplName, 5), "prog ");
}

TEST(DraskFormat, TwoAppendedSingleSavesAreTwoMessages)
{
    std::string path = TempDir() + "/appended.drask";
    remove(path.c_str());
    for (const char *data : {"first", "second"}) {
        DROPT *o = (DROPT *)CSGetMem(sizeof(DROPT), "DROPT");
        DraskInit(o);
        o->options = 0;
        UTStrCopy(o->outFile, path.c_str(), sizeof o->outFile);
        o->out = DraskOpenFile(path.c_str(), "ab");
        XMsg m = TextMessage(data);
        EXPECT_EQ(DraskWriteHeader(o, nullptr), 0);
        EXPECT_EQ(DraskWriteMessage(o, &m.md, (const uint8_t *)data, (uint32_t)strlen(data), 1), 0);
        fclose(o->out);
        DraskFreeBuffers(o);
        CSFreeMem(o);
    }
    std::string text = ReadAll(path);
    ASSERT_GT(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 3), "64\n");            /* "second": no blank line after it */
    EXPECT_NE(text.find("7374\n* DRASK"), std::string::npos);  /* "first", then the second header */
    XRead r = ReadMessages(path);
    ASSERT_EQ(r.rc, 0) << r.error;
    ASSERT_EQ(r.msgs.size(), 2u);
    EXPECT_EQ(r.msgs[0].data, "first");
    EXPECT_EQ(r.msgs[1].data, "second");
}

/* Attribute lines that follow one another are set where they lie; each
 * reads as the line reader reads it, which a comment line before every
 * attribute line forces (values the quick way leaves to the line reader
 * among them: blanks before a number, a plus, text after it, odd digits,
 * lines longer than their field, CR LF). */
TEST(DraskFormat, AttributeLinesInARowReadAsOneByOne)
{
    static const char *const ints[] = {"0", "7", "-1", "2147483647", "-2147483648", "4294967295", "007",
                                       "  5", "+5", "5 and more", "-", "", "0000000001"};
    static const char *const chars[] = {"", "REPLY.Q", "a\rb", "blanks at the end   ",
                                        "a name longer than any character field of the descriptor"};
    static const char *const hexes[] = {"", "41", "414", "4", "41G", "0A0b0C0d",
                                        "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F20"};
    std::vector<const DraskAttr *> rows;
    for (const DraskAttr *a = DraskAttrTable; a->kind; a++)
        if (a->code[0])
            rows.push_back(a);
    std::mt19937 rng(20261208);
    std::string inRow = "* DRASK\n", oneByOne = "* DRASK\n";
    for (int m = 0; m < 300; m++) {
        int lines = 1 + (int)(rng() % 12);
        for (int i = 0; i < lines; i++) {
            const DraskAttr *a = rows[rng() % rows.size()];
            const char *value = a->kind == DRA_INT ? ints[rng() % (sizeof ints / sizeof *ints)]
                                : a->kind == DRA_CHAR ? chars[rng() % (sizeof chars / sizeof *chars)]
                                                      : hexes[rng() % (sizeof hexes / sizeof *hexes)];
            std::string line = std::string("A ") + a->code + " " + value + (rng() % 4 ? "\n" : "\r\n");
            inRow += line;
            oneByOne += "* one by one\n" + line;
        }
        std::string data = "X " + std::to_string(10 + m % 90) + "\n\n";
        inRow += data;
        oneByOne += data;
    }
    XRead quick = ReadMessages(TempFile("inrow.drask", inRow));
    XRead slow = ReadMessages(TempFile("onebyone.drask", oneByOne));
    ASSERT_EQ(slow.rc, 0) << slow.error;
    ASSERT_EQ(quick.rc, 0) << quick.error;
    ASSERT_EQ(quick.msgs.size(), 300u);
    ASSERT_EQ(slow.msgs.size(), 300u);
    for (size_t i = 0; i < quick.msgs.size(); i++) {
        SCOPED_TRACE("message " + std::to_string(i + 1));
        EXPECT_EQ(memcmp(&quick.msgs[i].md, &slow.msgs[i].md, sizeof(MQMD)), 0)
            << DescribeMD(quick.msgs[i].md) << "\n" << DescribeMD(slow.msgs[i].md);
        EXPECT_EQ(quick.msgs[i].data, slow.msgs[i].data);
    }
}

TEST(DraskFormat, ErrorTextsNameTheirLine)
{
    struct Case {
        const char *text;
        int code;
        const char *error;
    } const cases[] = {
        {"* DRASK\nX 41\n", DRC_BADFILE, "Expected message attribute at line 2 of file"},
        {"* DRASK\nA FM\nX 41\n", DRC_BADFILE, "Invalid attribute line on line 2 of file"},
        {"* DRASK\n\nA ZZZ 1\nX 41\n", DRC_BADFILE, "Unrecognised attribute on line 3 of file"},
        {"* DRASK\nA PER 99999999999\nX 41\n", DRC_BADFILE, "Invalid attribute line on line 2 of file"},
        {"* DRASK\nA MSI 4G\nX 41\n", DRC_BADFILE, "Badly formed HEX string on line 2 of file"},
        /* the same after a good attribute line */
        {"* DRASK\nA PER 1\nA FM\nX 41\n", DRC_BADFILE, "Invalid attribute line on line 3 of file"},
        {"* DRASK\nA PER 1\nA ZZZ 1\nX 41\n", DRC_BADFILE, "Unrecognised attribute on line 3 of file"},
        {"* DRASK\nA PER 1\nA PRI 4294967296\nX 41\n", DRC_BADFILE, "Invalid attribute line on line 3 of file"},
        {"* DRASK\nA PER 1\nA PRI -2147483649\nX 41\n", DRC_BADFILE, "Invalid attribute line on line 3 of file"},
        {"* DRASK\nA PER 1\nA MSI 4G\nX 41\n", DRC_BADFILE, "Badly formed HEX string on line 3 of file"},
        {"* DRASK\nA PER 1\nA PRI 1\nA MSI 41\nA COI 414G\nX 41\n", DRC_BADFILE,
         "Badly formed HEX string on line 5 of file"},
        {"* DRASK\nA PER 1\nA FMT MQSTR\n", DRC_BADFILE, "Expected message at line 3 of file"},
        {"* DRASK\nA PER 1\nB 1\n", DRC_BADFILE, "Expected message at line 3 of file"},
        {"* DRASK\nA PER 1\nX 414\n", DRC_BADFILE, "Badly formed HEX string on line 3 of file"},
        {"* DRASK\nA PER 1\nX 41 4\nX 4G\n", DRC_BADFILE, "Badly formed HEX string on line 4 of file"},
        /* a bad line among long ones: an odd digit, a letter that is none */
        {"* DRASK\nA PER 1\nX 00112233445566778899AABBCCDDEEFF00112233445566778899\n"
         "X 00112233445566778899AABBCCDDEEFF0\nX 00112233445566778899AABBCCDDEEFF00112233445566778899\n",
         DRC_BADFILE, "Badly formed HEX string on line 4 of file"},
        {"* DRASK\nA PER 1\nX 00112233445566778899AABBCCDDEEFF00112233445566778899\n"
         "X 00112233445566778899AABBCCDDEEFF00112233445566778899\n"
         "X 00112233445566778899AABBCCDDEEFF0011223344556677889\nX 00112233445566778899AABBCCDDEEFF00112233445566778899\n",
         DRC_BADFILE, "Badly formed HEX string on line 5 of file"},
        {"* DRASK\nA PER 1\nX 00112233445566778899AABBCCDDEEFF00112233445566778899\n"
         "X 0011223344556677889G\nX 00112233445566778899AABBCCDDEEFF00112233445566778899\n",
         DRC_BADFILE, "Badly formed HEX string on line 4 of file"},
        /* a digit without its partner among lines of one length, in a line's last pair or in its
         * first digits */
        {"* DRASK\nA PER 1\nX 00112233445566778899AABBCCDDEEFF00112233445566778899\n"
         "X 00112233445566778899AABBCCDDEEFF0011223344556677889G\nX 00112233445566778899AABBCCDDEEFF00112233445566778899\n",
         DRC_BADFILE, "Badly formed HEX string on line 4 of file"},
        {"* DRASK\nA PER 1\nX 00112233445566778899AABBCCDDEEFF00112233445566778899\n"
         "X 00112233445566778899AABBCCDDEEFF00112233445566778899\n"
         "X 00112233445566778G99AABBCCDDEEFF00112233445566778899\n",
         DRC_BADFILE, "Badly formed HEX string on line 5 of file"},
        {"* DRASK\nA PER 1\nS \"ab~c\"\n", DRC_BADFILE, "Unexpected escape sequence on line 3 of file"},
        {"* DRASK\nA PER 1\nS \"abc\n", DRC_BADFILE, "Invalid string line - no terminating \" symbol on line 3 of file"},
        {"PK\x03\x04 not a message file\n", DRC_BADFILE, "does not appear to be a DRASK file"},
        {"one\ntwo\nthree\nfour\nfive\nsix\n* DRASK\nA PER 1\nX 41\n", DRC_BADFILE, "does not appear to be a DRASK file"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        std::string path = TempFile("error.drask", c.text);
        XRead r = ReadMessages(path);
        EXPECT_EQ(r.rc, c.code);
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        if (r.error.find("line") != std::string::npos) {
            EXPECT_NE(r.error.find("'" + path + "'"), std::string::npos) << r.error;
        }
    }
}

TEST(DraskFormat, FirstLinesDecideTheKind)
{
    /* banner lines before a dmpmqmsg header are passed over; blank lines
     * and an empty file give no message */
    XRead banner = ReadMessages(TempFile("banner.dmp",
        "5724-H72 (C) Copyright IBM Corp. 1994, 2024.\r\nIBM MQ Queue Load/Unload Utility\r\n"
        "* DMPMQMSG Version:9.3 Created:Mon Jan 15 10:00:00 2024\r\nN\r\nA PER 1\r\nX 41\r\n"));
    ASSERT_EQ(banner.rc, 0) << banner.error;
    ASSERT_EQ(banner.msgs.size(), 1u);
    EXPECT_EQ(banner.msgs[0].data, "A");
    EXPECT_EQ(ReadMessages(TempFile("empty.drask", "")).msgs.size(), 0u);
    XRead blank = ReadMessages(TempFile("blank.drask", "\n \t\r\n\n"));
    EXPECT_EQ(blank.rc, 0);
    EXPECT_EQ(blank.msgs.size(), 0u);
    XRead headerOnly = ReadMessages(TempFile("header.drask", "\n\n* DRASK Version:9.0.0\n\n"));
    EXPECT_EQ(headerOnly.rc, 0);
    EXPECT_EQ(headerOnly.msgs.size(), 0u);
    /* a file saved by a text editor with a UTF-8 byte order mark */
    XRead marked = ReadMessages(TempFile("marked.drask", "\xEF\xBB\xBF* DRASK Version:9.0.0\r\n\r\nA PER 1\r\nX 41\r\n"));
    ASSERT_EQ(marked.rc, 0) << marked.error;
    ASSERT_EQ(marked.msgs.size(), 1u);
    EXPECT_EQ(marked.msgs[0].data, "A");
    XRead markedBcg = ReadMessages(TempFile("marked.bcg", std::string("\xEF\xBB\xBF") + "AMQSBCG0 - starts here\n"));
    EXPECT_EQ(markedBcg.rc, 0) << markedBcg.error;
    /* only at the very start: a mark on a later line is no header */
    XRead late = ReadMessages(TempFile("late.drask", "\n\xEF\xBB\xBF* DRASK\nA PER 1\nX 41\n"));
    EXPECT_EQ(late.rc, DRC_BADFILE);
}
