/* Choosing a user structure: queue and format rules, overrides and their
 * restarts, conditional values in either byte order and in EBCDIC, the
 * chooser of a pane, user format names, and date masks. */
#include "uftest.h"
#include "fmtbuild.h"
#include <cstring>

static UFMatchState State(const char *format, uint32_t encoding = 546, uint32_t ccsid = 850)
{
    UFMatchState s = {};
    char f[9];
    snprintf(f, sizeof f, "%-8s", format);
    UFStateFor(&s, f, encoding, ccsid, nullptr, 0);
    return s;
}

static const char *Title(const FmtStructDef *def) { return def ? def->title : "<none>"; }

static const char *Find(const char *queue, const char *format, const std::vector<unsigned char> &data = {},
                        uint32_t encoding = 546, uint32_t ccsid = 850, int mode = 1, UFMatchState *out = nullptr)
{
    UFMatchState s = State(format, encoding, ccsid);
    FmtStructDef *def = UFFindFormat(mode, queue, (uint32_t)strlen(queue), data.data(), (uint32_t)data.size(), &s);
    if (out)
        *out = s;
    return Title(def);
}

static const char *structs = "struct A {\n int a;\n}\nstruct B {\n int b;\n}\nstruct C {\n int c;\n}\n";

TEST_F(UserFormats, QueueRulesMatchByWildcardAndTheEmptyName)
{
    ASSERT_EQ(Load(std::string(structs) +
                   "queue APP.*, ORDERS.?? {\n struct A;\n}\nqueue $none {\n struct B;\n}\n"), 1) << errors.Last();
    EXPECT_STREQ(Find("APP.ORDERS", "MQSTR"), "A");
    EXPECT_STREQ(Find("APP.", "MQSTR"), "A");
    EXPECT_STREQ(Find("app.orders", "MQSTR"), "<none>");   /* the same case only */
    EXPECT_STREQ(Find("ORDERS.01", ""), "A");
    EXPECT_STREQ(Find("ORDERS.001", ""), "<none>");
    EXPECT_STREQ(Find("", "MQSTR"), "B");
    EXPECT_STREQ(Find("APP.X   ", "MQSTR"), "A");          /* a blank-padded queue name */
    options &= ~UF_OPT_ALLOW;                               /* user formats switched off */
    EXPECT_STREQ(Find("APP.ORDERS", "MQSTR"), "<none>");
}

TEST_F(UserFormats, FormatRulesNestUnderQueueRulesAndSetTheBodyKind)
{
    ASSERT_EQ(Load(std::string(structs) +
                   "queue SHOP.* {\n format ORD* {\n  struct A;\n }\n format $none {\n  struct B;\n }\n}\n"
                   "format CSVDATA {\n formatter csv\n}\n"
                   "format ORDER {\n struct C;\n}\n"), 1) << errors.Last();
    EXPECT_STREQ(Find("SHOP.IN", "ORDER"), "A");
    EXPECT_STREQ(Find("SHOP.IN", ""), "B");
    EXPECT_STREQ(Find("OTHER", "ORDER"), "C");           /* a queue rule that fails keeps its children out */
    UFMatchState s;
    EXPECT_STREQ(Find("Q", "CSVDATA", {}, 546, 850, 1, &s), "<none>");
    EXPECT_EQ(s.bodyKind, UF_BODY_CSV);
}

TEST_F(UserFormats, OverridesRestartTheMatchingAtMostTenTimes)
{
    std::string text;
    for (int i = 0; i <= 11; i++) {
        char rule[200];
        snprintf(rule, sizeof rule, "struct S%d {\n int v;\n}\nformat F%d {\n override { Format = F%d }\n struct S%d;\n}\n",
                 i, i, i + 1, i);
        text += rule;
    }
    text += "format PLAIN {\n override { CodedCharSetId = 500 Encoding = 273 }\n struct S0;\n}\n";
    ASSERT_EQ(Load(text), 1) << errors.Last();
    /* F0 -> F1 -> ... -> F10 is ten restarts; the eleventh is not made and F10's match stands */
    UFMatchState s;
    EXPECT_STREQ(Find("Q", "F0", {}, 546, 850, 1, &s), "S10");
    ASSERT_NE(s.override, nullptr);
    EXPECT_EQ(memcmp(s.override->format, "F11     ", 8), 0);
    EXPECT_STREQ(Find("Q", "F5", {}, 546, 850, 1, &s), "<none>");   /* restarted up to F12, which no rule names */
    /* without a Format: in force at once, no restart */
    EXPECT_STREQ(Find("Q", "PLAIN", {}, 546, 850, 1, &s), "S0");
    ASSERT_NE(s.override, nullptr);
    EXPECT_EQ(s.override->ccsid, 500u);
    EXPECT_EQ(UFStateEncoding(&s), 273u);

    /* two rules naming each other end too */
    ASSERT_EQ(Load(std::string(structs) +
                   "format X {\n override { Format = Y }\n struct A;\n}\n"
                   "format Y {\n override { Format = X }\n struct B;\n}\n"), 1);
    EXPECT_STREQ(Find("Q", "X"), "A");
}

TEST_F(UserFormats, ConditionalValuesChooseAStructureInEitherByteOrder)
{
    ASSERT_EQ(Load("struct ReqA ; Request A\n{\n int type = 1;\n int a;\n}\n"
                   "struct ReqB ; Request B\n{\n int type = 2;\n short b = -2;\n}\n"
                   "struct Other ; Any request\n{\n int x;\n}\n"
                   "format REQ {\n struct ReqA, ReqB, Other;\n}\n"), 1) << errors.Last();
    Bytes le(true), be(false);
    le.I32(2).b.insert(le.b.end(), { 0xFE, 0xFF });
    be.I32(2).b.insert(be.b.end(), { 0xFF, 0xFE });
    EXPECT_STREQ(Find("Q", "REQ", le.b, 546), "Request B");
    EXPECT_STREQ(Find("Q", "REQ", be.b, 273), "Request B");
    EXPECT_STREQ(Find("Q", "REQ", be.b, 546), "Any request");       /* read in the wrong order */
    EXPECT_STREQ(Find("Q", "REQ", le.b, 546, 850, 0), "Request A");  /* mode 0: the first */
    Bytes one(true);
    one.I32(1);
    EXPECT_STREQ(Find("Q", "REQ", one.b), "Request A");             /* a, without a value, need not be there */
    std::vector<unsigned char> shortData = { 2, 0 };
    EXPECT_STREQ(Find("Q", "REQ", shortData), "Any request");       /* the field does not fit */
}

TEST_F(UserFormats, CharacterValuesCompareInTheMessagesCodePage)
{
    ASSERT_EQ(Load("struct Head {\n char tag[4] = \"AB C\";\n}\n"
                   "struct Order {\n struct Head h;\n int n;\n}\n"
                   "struct Plain {\n char tag[4];\n}\n"
                   "format * {\n struct Order, Plain;\n}\n"), 1) << errors.Last();
    std::vector<unsigned char> ascii = { 'A', 'B', ' ', 'C', 0, 0, 0, 1 };
    std::vector<unsigned char> ebcdic = { 0xC1, 0xC2, 0x40, 0xC3, 0, 0, 0, 1 };
    EXPECT_STREQ(Find("Q", "X", ascii, 546, 850), "Order");
    EXPECT_STREQ(Find("Q", "X", ebcdic, 273, 500), "Order");          /* converted for CCSID 500 */
    EXPECT_STREQ(Find("Q", "X", ebcdic, 273, 850), "Plain");
    EXPECT_STREQ(Find("Q", "X", ascii, 546, 819), "Order");           /* and again for another */
    UFMatchState s = State("X", 273, 850);
    static const UFOverride toEbcdic = { 0, 500, { ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ' }, 0 };
    s.override = &toEbcdic;
    EXPECT_EQ(UFStateCcsid(&s), 500u);
}

TEST_F(UserFormats, PackedValuesKeepTheirSign)
{
    ASSERT_EQ(Load("struct Neg {\n packed (3) amt = -5;\n}\n"
                   "struct Mag {\n upacked (3) amt = 5;\n}\n"
                   "format * {\n struct Neg, Mag;\n}\n"), 1) << errors.Last();
    std::vector<unsigned char> minus = { 0x00, 0x5D }, plus = { 0x00, 0x5C }, minusB = { 0x00, 0x5B };
    EXPECT_STREQ(Find("Q", "X", minus), "Neg");
    EXPECT_STREQ(Find("Q", "X", minusB), "Neg");
    EXPECT_STREQ(Find("Q", "X", plus), "Mag");            /* "= -5" no longer matches +5 */
    std::vector<unsigned char> other = { 0x00, 0x6C };
    EXPECT_STREQ(Find("Q", "X", other), "<none>");
}

TEST_F(UserFormats, HexAndNumericWidthsCompareTheirBytes)
{
    ASSERT_EQ(Load("struct H {\n hex id[3] = 0A0B;\n flags8 f = 0x81;\n ushort u = 65535;\n int64 big = -2;\n}\n"
                   "format * {\n struct H;\n}\n"), 1) << errors.Last();
    Bytes d(true);
    d.b = { 0x0A, 0x0B, 0x99, 0x81, 0xFF, 0xFF };
    d.I64(-2);
    EXPECT_STREQ(Find("Q", "X", d.b), "H");
    d.b[3] = 0x80;
    EXPECT_STREQ(Find("Q", "X", d.b), "<none>");
}

TEST_F(UserFormats, UserFormatNamesAreFoundExactlyThenByWildcard)
{
    ASSERT_EQ(Load("format ORDERS ; Shop orders\n{ }\nformat ORD* ; Other orders\n{ }\nformat INV ; \n{ }\n"), 1);
    const UFFormatName *u = UFFindByName("ORDERS  ", 8);
    ASSERT_NE(u, nullptr);
    EXPECT_STREQ(u->description, "Shop orders");
    u = UFFindByName("ORDX    ", 8);
    ASSERT_NE(u, nullptr);
    EXPECT_STREQ(u->description, "Other orders");
    u = UFFindByName("INV     ", 8);
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->description, nullptr);
    EXPECT_EQ(UFFindByName("MQSTR   ", 8), nullptr);
    EXPECT_EQ(UFFindByName("ORDERS X", 8)->description, std::string("Shop orders"));  /* up to the first blank */
}

/* ---- the chooser ---- */

static std::vector<unsigned char> Descriptor(const char *format, uint32_t encoding, uint32_t ccsid)
{
    Bytes md = BuildMD(true, 2, format, (int32_t)encoding, (int32_t)ccsid);
    return md.b;
}

static int paneViews;
static UFPaneView *paneToShow;

static int PaneView(void *, PCFDATA *, UFPaneView *view)
{
    paneViews++;
    if (!paneToShow)
        return 0;
    *view = *paneToShow;
    return 1;
}

TEST_F(UserFormats, TheChooserTakesAUserStructureElseEdifactElseMessageContent)
{
    ASSERT_EQ(Load("struct Ord ; Order\n{\n char k[3];\n}\nqueue ORDERS {\n struct Ord;\n}\n"
                   "format TEXTX {\n formatter text\n}\n"), 1) << errors.Last();
    std::vector<unsigned char> md = Descriptor("MQSTR   ", 546, 850);
    const char *edi = "UNB+UNOA:1+SENDER+RECEIVER+200101:1200+1'UNZ+1+1'";
    std::vector<unsigned char> data(edi, edi + strlen(edi));
    UFPaneView v = { md.data(), (uint32_t)md.size(), data.data(), (uint32_t)data.size(), "IN", 2, 0 };
    UFMatchState s = {};
    s.bodyKind = 9;
    EXPECT_EQ(UFChooseFormatterView(&v, &s), &FmtDefEdifact);
    EXPECT_EQ(s.bodyKind, 0);                             /* cleared */
    EXPECT_EQ(memcmp(s.format, "MQSTR   ", 8), 0);
    options &= ~UF_OPT_EDIFACT;
    EXPECT_EQ(UFChooseFormatterView(&v, &s), &FmtDefMessageContent);
    options |= UF_OPT_EDIFACT;
    v.queue = "ORDERS";
    v.queueLength = 6;
    EXPECT_STREQ(UFChooseFormatterView(&v, &s)->title, "Order");     /* a user structure wins */
    v.fixedView = 5;
    EXPECT_EQ(UFChooseFormatterView(&v, &s), &FmtDefMessageContent);  /* the dialog fixed the view */
    v.fixedView = 0;
    options &= ~UF_OPT_ALLOW;
    EXPECT_EQ(UFChooseFormatterView(&v, &s), &FmtDefEdifact);
    options |= UF_OPT_ALLOW;
    v.md = nullptr;
    EXPECT_EQ(UFChooseFormatterView(&v, &s), &FmtDefMessageContent);
    /* through the editor's pane */
    UFSetPaneView(PaneView, nullptr);
    v.md = md.data();
    paneToShow = &v;
    EXPECT_STREQ(UFChooseFormatter((PCFDATA *)&v, &s)->title, "Order");
    paneToShow = nullptr;
    EXPECT_EQ(UFChooseFormatter((PCFDATA *)&v, &s), &FmtDefMessageContent);
    EXPECT_EQ(paneViews, 2);
    UFSetPaneView(nullptr, nullptr);
    /* a rule's body kind applies to formats not of IBM MQ, and to MQSTR */
    md = Descriptor("TEXTX   ", 546, 850);
    v.md = md.data();
    v.data = (const unsigned char *)"plain text";
    v.length = 10;
    v.queue = "Q";
    v.queueLength = 1;
    EXPECT_EQ(UFChooseFormatterView(&v, &s), &FmtDefMessageContent);
    EXPECT_EQ(s.bodyKind, UF_BODY_TEXT);
    FmtMsgInfo m = MakeMsg("TEXTX   ");
    UFApplyState(&s, &m);
    EXPECT_EQ(m.bodyKind, UF_BODY_TEXT);
    FmtMsgInfo dlq = MakeMsg("MQDEAD  ");
    UFApplyState(&s, &dlq);
    EXPECT_EQ(dlq.bodyKind, 0);
}

/* ---- date masks ---- */

static std::string Date(const char *mask, const std::string &bytes, uint16_t type = FT_CHAR, int quiet = 0,
                        uint32_t ccsid = 850, int *result = nullptr, uint32_t length = 0)
{
    FmtFieldDef f = { "d", type, length ? length : (uint32_t)bytes.size(), nullptr, 0, 0, 0, mask, 1 };
    char out[128] = "", *p = out;
    int rc = UFFormatDateTime(ccsid, &f, quiet, (const unsigned char *)bytes.data(), &p);
    *p = 0;
    if (result)
        *result = rc;
    return out;
}

TEST(UserFormatDates, MasksOverCharacterFields)
{
    int rc;
    EXPECT_EQ(Date("YYYYMMDD", "20240131"), "31st January 2024 ");
    EXPECT_EQ(Date("YYYYMMDD", "20230229"), "29th February 2023 ");    /* the day is tested for 1 to 31 */
    EXPECT_EQ(Date("YYYYMMDD", "20231301", FT_CHAR, 0, 850, &rc), "Invalid");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Date("YYYYMMDD", "20231301", FT_CHAR, 1, 850, &rc), "");  /* quiet */
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Date("JJJ", "060"), "1st March ");                       /* no year: not a leap year */
    EXPECT_EQ(Date("YYYYJJJ", "2024060"), "29th February 2024 ");
    EXPECT_EQ(Date("YYYYJJJ", "2023366"), "Invalid");                  /* past December */
    EXPECT_EQ(Date("hh:mm", "07:05"), "07:05 ");
    EXPECT_EQ(Date("hh:mm", "07-05"), "Invalid");
    EXPECT_EQ(Date("hh?mm", "07-05"), "07:05 ");
    EXPECT_EQ(Date("hhmmssxx", "12345699"), "12:34:56.99 ");
    EXPECT_EQ(Date("hhmm", "2460"), "Invalid");
    EXPECT_EQ(Date("YYMMDD", "991231"), "31st December 1999 ");
    EXPECT_EQ(Date("YYMMDD", "490102"), "2nd January 2049 ");
    EXPECT_EQ(Date("yyMMDD", "990323"), "23rd March '99 ");
    EXPECT_EQ(Date("YYYYMMDDhhmm", "000000001230"), "12:30 ");        /* a zero date is dropped */
    EXPECT_EQ(Date("DD MM YYYY", "1 . 2.2024", FT_CHAR, 0, 850, &rc), "Invalid");
    EXPECT_EQ(Date("YYYYMMDD", "2024 1 3"), "3rd January 2024 ");     /* blanks are skipped */
    EXPECT_EQ(Date("YYYYMMDD", "        ", FT_CHAR, 0, 850, &rc), "");  /* empty: nothing, formatted */
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(Date("YYYYMMDD", "2024013", FT_CHAR, 0, 850, &rc), "Invalid");  /* a mask longer than its field */
    EXPECT_EQ(Date("hh:mm", "07:05", FT_CHAR, 1), "07:05");            /* quiet: no trailing blank */
    EXPECT_EQ(Date("DD/MM/YYYY", "\xF3\xF1\x61\xF0\xF1\x61\xF2\xF0\xF2\xF4", FT_CHAR, 0, 500), "31st January 2024 ");
    EXPECT_EQ(Date(nullptr, "20240131", FT_PUTDATE), "31st January 2024 ");
    EXPECT_EQ(Date(nullptr, "13450012", FT_PUTTIME), "13:45:00.12 ");
    EXPECT_EQ(Date(nullptr, "20240131"), "");                            /* no mask, nothing */
}

TEST(UserFormatDates, MasksOverPackedAndOverPunchedFields)
{
    int rc;
    /* packed (8): five bytes, nine digit positions */
    EXPECT_EQ(Date("?YYYYMMDD", std::string("\x02\x02\x40\x13\x1C", 5), FT_PACKED), "31st January 2024 ");
    EXPECT_EQ(Date("YYYYMMDD", std::string("\x00\x00\x00\x00\x00", 5), FT_PACKED, 0, 850, &rc), "");
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(Date("?YYYYMMDDhh", std::string("\x02\x02\x40\x13\x1C", 5), FT_PACKED), "Invalid");
    EXPECT_EQ(Date("YYYYMMDD", "2024013A", FT_ZONED), "31st January 2024 ");
    EXPECT_EQ(Date("YYYYMMDD", "2024013J", FT_ZONED), "31st January 2024 ");
}
