/* Messages formatted by user structures, compared line by line with
 * golden files: every type word, arrays of each kind, nested structures,
 * descriptions, alignment, enumerations, date masks, structures chosen by
 * conditional values, a body formatter chosen by a rule, user format names
 * and structures chosen by a header's format, and EDIFACT. */
#include "uftest.h"
#include "fmtbuild.h"
#include "cscodepage.h"

static std::string Lines(std::initializer_list<const char *> lines)
{
    std::string s;
    for (const char *l : lines)
        s += std::string(l) + "\n";
    return s;
}

TEST_F(UserFormats, GoldenEveryTypeWord)
{
    ASSERT_EQ(Load(Lines({
        "struct Inner ; Inner part", "{", " int a;", " short b;", "}",
        "struct All ; Every type word", "{",
        " hex h;", " int i;", " flags8 f8;", " char c;", " short s;", " struct Inner in;", " flags fl;",
        " inth ih;", " int64h i64h;", " align4 ;", " flags16 f16;", " charbp cb[6];", " uint u;",
        " uinth uh;", " int64 i64;", " uint64 u64;", " uint64h u64h;", " shorth sh;", " ushort us;",
        " ushorth ush;", " int8 i8;", " int8h i8h;", " uint8 u8;", " uint8h u8h;",
        " desc ; Then the numbers of other kinds",
        " float fl32;", " double (3) fl64;", " time32 (UTC) t32;", " time64 (UTC, MMDDYYYY) t64;",
        " packed p;", " upacked up;", " opunch (4) o;", " digits (3) d;", " align16 ;",
        " packed (5.2) p52; Packed with two places", " opunch (3.1, signleft) o31;", " digits (2.1, plus) d21;",
        "}"})), 1) << errors.Last();
    Bytes b(true);
    b.b.push_back(0xAB);
    b.I32(-7).b.push_back(0x05);
    b.Chars("Z", 1).b.insert(b.b.end(), { 0xFE, 0xFF });
    b.I32(1).b.insert(b.b.end(), { 2, 0 });
    b.I32(0x11).I32(255).I64(1ll << 40).Fill(0, 1);         /* to offset 32 */
    b.b.insert(b.b.end(), { 1, 1 });
    b.Raw("ab\0cd\0", 6).I32(4000000000ll).I32(16).I64(-9).I64(-1).I64(1);
    b.b.insert(b.b.end(), { 0xFD, 0xFF, 0xE8, 0xFD, 10, 0, 0xFF, 0x80, 200, 0x7F });
    float f = 1.5f;
    double d = 2.25;
    b.Raw(&f, 4).Raw(&d, 8).I32(86400).I64(86400 * 365);
    b.b.insert(b.b.end(), { 0x00, 0x12, 0x34, 0x5C, 0x00, 0x12, 0x34, 0x5F });
    b.Chars("123D", 4).Chars("123-", 4);
    while (b.size() % 16) b.b.push_back(0);
    b.b.insert(b.b.end(), { 0x00, 0x12, 0x34, 0x5C });
    b.Chars("}234", 4).Chars("0123", 4);
    EXPECT_EQ(CompareGolden("uf_types", FormatWith(&Struct("All")->def, b.b)), "");
}

TEST_F(UserFormats, GoldenArraysOfEachKind)
{
    ASSERT_EQ(Load(Lines({
        "struct Item", "{", " short qty;", " char code[3];", "}",
        "struct Note", "{", " int len;", " char text[len];", "}",
        "struct Arrays ; Arrays of each kind", "{",
        " int fixed[3];", " int n;", " short counted[n];", " char names[4][2];",
        " struct Item items[2];", " int notes;", " struct Note note[notes];",
        " int tail; Read where it lies", " hex bytes[tail];", " struct Item rest[*];", "}",
        "struct Ints", "{", " int all[*];", "}"})), 1) << errors.Last();
    Bytes b(true);
    b.I32(1).I32(2).I32(3).I32(2);
    b.b.insert(b.b.end(), { 7, 0, 8, 0 });
    b.Chars("AABBCCDD", 8);
    b.b.insert(b.b.end(), { 1, 0 });
    b.Chars("ONE", 3).b.insert(b.b.end(), { 2, 0 });
    b.Chars("TWO", 3).I32(2);
    b.I32(5).Chars("hello", 5).I32(2).Chars("hi", 2);
    b.I32(3).b.insert(b.b.end(), { 0xDE, 0xAD, 0xBE });
    for (int i = 0; i < 3; i++)
        b.b.insert(b.b.end(), { (unsigned char)(10 + i), 0, 'X', 'Y', (unsigned char)('0' + i) });
    b.b.insert(b.b.end(), { 9, 0 });                       /* a last item cut short */
    EXPECT_EQ(CompareGolden("uf_arrays", FormatWith(&Struct("Arrays")->def, b.b)), "");
    Bytes ints(true);
    for (int i = 0; i < 5; i++) ints.I32(i * 100);
    ints.b.push_back(0xEE);
    EXPECT_EQ(CompareGolden("uf_arrays_to_end", FormatWith(&Struct("Ints")->def, ints.b)), "");
}

TEST_F(UserFormats, GoldenNestingDescriptionsEnumerationsAndDates)
{
    ASSERT_EQ(Load(Lines({
        "enum_int Colour {", " 1, RED ; Red as a rose", " 2, BLUE", "}",
        "enum_int Bits {", " 1, BIT_ONE ; First bit", " 16, BIT_FIVE ; Fifth bit", "}",
        "enum Kind {", " AB, KIND_AB ; The AB kind", " \"X Y\", KIND_XY", "}",
        "enum Amounts {", " 12.5, HALF ; Twelve and a half", "}",
        "struct When ; Dates and times", "{",
        " char (YYYYMMDD) day[8];", " char (\"hh:mm\") at[5];", " packed (8, ?YYYYMMDD) pday;",
        " char (YYYYMMDD) bad[8];", "}",
        "struct Outer ; Nested structures", "{",
        " desc ; A heading of its own",
        " char tag[2] (Kind);", " align8 ;", " int colour (Colour);", " flags bits (Bits);",
        " packed (3.1) amount (Amounts);", " struct When when; The dates",
        " int unknown (Colour) : limval;", " short hidden : high;", "}"})), 1) << errors.Last();
    Bytes b(true);
    b.Chars("AB", 2).Fill(0, 6).I32(1).I32(0x111);
    b.b.insert(b.b.end(), { 0x00, 0x12, 0x5C });
    b.Chars("20240229", 8).Chars("07:05", 5);
    b.b.insert(b.b.end(), { 0x02, 0x02, 0x41, 0x23, 0x1C });
    b.Chars("20241301", 8).I32(3);
    b.b.insert(b.b.end(), { 1, 0 });
    EXPECT_EQ(CompareGolden("uf_nested", FormatWith(&Struct("Outer")->def, b.b)), "");
    /* at detail level 2 the "high" field is not shown */
    FmtMsgInfo m = MakeMsg("        ");
    FmtLineRec lr = MakeLineRec(2);
    Recorder r;
    const unsigned char *p = b.b.data();
    uint32_t rem = (uint32_t)b.size();
    FapFormatStructure(&m, &Struct("Outer")->def, nullptr, RecordSink, (uint64_t)(uintptr_t)&r, &lr, &rem, &p);
    EXPECT_EQ(Render(r).find("hidden"), std::string::npos);
}

/* Two structures, told apart by their conditional values, in both byte
 * orders; the EBCDIC message compares its "char" value in CCSID 500. */
TEST_F(UserFormats, GoldenStructuresChosenByConditionalValues)
{
    ASSERT_EQ(Load(Lines({
        "struct Order ; An order", "{", " char kind[3] = ORD;", " int version = 2;", " int qty;", " char item[6];", "}",
        "struct Cancel ; A cancellation", "{", " char kind[3] = CAN;", " int version = 2;", " int order;", "}",
        "queue SHOP.* {", " struct Order, Cancel;", "}"})), 1) << errors.Last();
    for (bool le : { true, false }) {
        uint32_t enc = le ? 546 : 273, ccsid = le ? 850 : 500;
        Bytes order(le), cancel(le);
        order.Chars("ORD", 3).I32(2).I32(12).Chars("WIDGET", 6);
        cancel.Chars("CAN", 3).I32(2).I32(4711);
        if (!le) {
            for (int i = 0; i < 3; i++) order.b[i] = CSAsciiToEbcdic[order.b[i]], cancel.b[i] = CSAsciiToEbcdic[cancel.b[i]];
            for (int i = 11; i < 17; i++) order.b[i] = CSAsciiToEbcdic[order.b[i]];
        }
        std::string out;
        for (Bytes *msg : { &order, &cancel }) {
            UFMatchState s = {};
            UFStateFor(&s, "ORDERS  ", enc, ccsid, "SHOP.IN", 7);
            FmtStructDef *def = UFFindFormat(1, "SHOP.IN", 7, msg->b.data(), (uint32_t)msg->size(), &s);
            ASSERT_NE(def, nullptr);
            out += FormatWith(def, msg->b, enc, ccsid);
        }
        EXPECT_EQ(CompareGolden(le ? "uf_chosen_546" : "uf_chosen_273", out), "");
    }
}

TEST_F(UserFormats, GoldenBodyFormatterAndFormatNames)
{
    ASSERT_EQ(Load(Lines({
        "struct Order ; An order", "{", " int qty : summary;", " char item[6];", "}",
        "format CSVDATA ; Comma separated values", "{", " formatter csv", "}",
        "format ORDERS ; Orders of the shop", "{", " struct Order;", "}"})), 1) << errors.Last();
    /* a rule's formatter word chooses the body formatter */
    Bytes md = BuildMD(true, 2, "CSVDATA ", 546, 850);
    const char *csv = "one,two,three";
    std::vector<unsigned char> data(csv, csv + strlen(csv));
    UFPaneView v = { md.b.data(), (uint32_t)md.size(), data.data(), (uint32_t)data.size(), "Q", 1, 0 };
    UFMatchState s = {};
    FmtStructDef *def = UFChooseFormatterView(&v, &s);
    FmtMsgInfo m = MakeMsg("CSVDATA ", 546, 850);
    UFApplyState(&s, &m);
    FmtLineRec lr = MakeLineRec(4);
    Recorder r;
    FapFormatMessage(md.b.data(), (uint32_t)md.size(), data.data(), (uint32_t)data.size(), &m, RecordSink,
                     (uint64_t)(uintptr_t)&r, &lr);
    std::string out = Render(r);
    EXPECT_EQ(def, &FmtDefMessageContent);
    /* a dead letter whose header names the user format: its Format field
       shows the format's description, and the data after the header is
       formatted by the structure that the format chooses */
    Bytes dlh = BuildDLH(true, "ORDERS  ");
    dlh.I32(3).Chars("WIDGET", 6);
    md = BuildMD(true, 2, "MQDEAD  ", 546, 850);
    UFMatchState given = {};
    given.queue = "DLQ";
    given.queueLength = 3;
    m = MakeMsg("MQDEAD  ", 546, 850);
    lr = MakeLineRec(4);
    lr.userFormats = &given;
    Recorder r2;
    FapFormatMessage(md.b.data(), (uint32_t)md.size(), dlh.b.data(), (uint32_t)dlh.size(), &m, RecordSink,
                     (uint64_t)(uintptr_t)&r2, &lr);
    out += Render(r2);
    EXPECT_EQ(CompareGolden("uf_body_and_names", out), "");
}

TEST_F(UserFormats, GoldenEdifactWhenDetected)
{
    ASSERT_EQ(Load(""), 1);
    Bytes md = BuildMD(true, 2, "MQSTR   ", 546, 850);
    const char *edi = "UNA:+.? 'UNB+UNOA:1+SENDER+RECEIVER+200101:1200+1'UNH+1+ORDERS:D:96A:UN'UNZ+1+1'";
    std::vector<unsigned char> data(edi, edi + strlen(edi));
    UFPaneView v = { md.b.data(), (uint32_t)md.size(), data.data(), (uint32_t)data.size(), "Q", 1, 0 };
    UFMatchState s = {};
    FmtStructDef *def = UFChooseFormatterView(&v, &s);
    ASSERT_EQ(def, &FmtDefEdifact);
    std::string out = FormatWith(def, data);
    options &= ~UF_OPT_EDIFACT;
    def = UFChooseFormatterView(&v, &s);
    ASSERT_EQ(def, &FmtDefMessageContent);
    FmtMsgInfo m = MakeMsg("MQSTR   ", 546, 850);
    out += FormatAll(m, data, MakeLineRec(4));
    EXPECT_EQ(CompareGolden("uf_edifact", out), "");
}
