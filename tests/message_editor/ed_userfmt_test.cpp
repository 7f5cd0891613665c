/* The pane with user formats: the structure that a format or queue rule
 * chooses shows in the pane (overrides reach the data walk; a header's
 * format name formats the data after it), EDIFACT detection through the
 * chooser and a body kind the user fixed, and a user format picked as the
 * message's format giving the message its structure. */
#include "edtest.h"
#include "message/uftest.h"
#include "fmtint.h"
#include "cscodepage.h"
#include "edfind.h"
#include "edops.h"

struct EdUserFormats : EdFixture, UFFiles {
    void SetUp() override
    {
        EdFixture::SetUp();
        EdUseUserFormats();                 /* as the program installs it */
        Start();
    }
    void TearDown() override
    {
        Stop();
        EdFixture::TearDown();
    }
    using EdFixture::Load;
    int LoadFormats(const char *text) { return UFFiles::Load(text); }
    /* formats the message again, as a format change does */
    void Again()
    {
        ed->flush = 1;
        EdBuildLineData(ed, 1);
    }
};

/* The shop's formats: a format rule, one with an override, and a queue
 * rule choosing between two structures by their first field. */
static const char *shop =
    "struct Order ; An order\n{\n int qty;\n char item[6];\n}\n"
    "struct Cancel ; A cancellation\n{\n char kind[3] = CAN;\n int order;\n}\n"
    "struct Entry ; An entry\n{\n char kind[3] = ENT;\n int entry;\n}\n"
    "format ORDERS ; Orders of the shop\n{\n struct Order;\n}\n"
    "format LEGACY\n{\n override { CodedCharSetId = 500 }\n struct Order;\n}\n"
    "queue APP.* {\n struct Cancel, Entry;\n}\n";

static Bytes OrderBytes(bool ebcdic = false)
{
    Bytes b;
    b.I32(12).Chars("WIDGET", 6);
    if (ebcdic)
        for (size_t i = 4; i < b.size(); i++)
            b.b[i] = CSAsciiToEbcdic[b.b[i]];
    return b;
}

TEST_F(EdUserFormats, TheChosenStructureShowsInThePane)
{
    ASSERT_EQ(LoadFormats(shop), 1) << errors.Last();
    Load(EdDescriptor("ORDERS  "), OrderBytes());
    EXPECT_STREQ(ed->bodyFormatter->title, "An order");
    EXPECT_GE(Find("qty          : 12"), 0);
    int32_t item = Find("item         : 'WIDGET'");
    ASSERT_GE(item, 0);
    EXPECT_EQ(Line(item)->ccsid, 850u);
    EXPECT_GE(Find("'ORDERS  ' (Orders of the shop)"), 0);   /* the descriptor's Format field */

    /* the override's CCSID formats the data */
    Load(EdDescriptor("LEGACY  "), OrderBytes(true));
    item = Find("item");
    ASSERT_GE(item, 0);
    EXPECT_EQ(Line(item)->ccsid, 500u);

    /* the pane's queue (APP.QUEUE) with the data's first field */
    Bytes cancel, entry, other;
    cancel.Chars("CAN", 3).I32(4711);
    entry.Chars("ENT", 3).I32(7);
    other.Chars("XYZ", 3).I32(7);
    Load(EdDescriptor("MQSTR   "), cancel);
    EXPECT_GE(Find("order        : 4711"), 0);
    Load(EdDescriptor("MQSTR   "), entry);
    EXPECT_GE(Find("entry        : 7"), 0);
    Load(EdDescriptor("MQSTR   "), other);
    EXPECT_EQ(ed->bodyFormatter, &FmtDefMessageContent);

    /* a dead letter naming the format: the data after its header */
    Bytes dlh = BuildDLH(true, "ORDERS  ");
    dlh.Raw(OrderBytes().b.data(), OrderBytes().size());
    Load(EdDescriptor("MQDEAD  "), dlh);
    EXPECT_EQ(ed->bodyFormatter, &FmtDefMessageContent);
    EXPECT_GE(Find("qty          : 12"), 0);

    /* user formats switched off */
    Load(EdDescriptor("ORDERS  "), OrderBytes());
    options &= ~UF_OPT_ALLOW;
    Again();
    EXPECT_EQ(ed->bodyFormatter, &FmtDefMessageContent);
    EXPECT_LT(Find("qty"), 0);
}

TEST_F(EdUserFormats, EdifactIsDetectedWhenThePreferenceAsks)
{
    ASSERT_EQ(LoadFormats(shop), 1) << errors.Last();
    std::string edi = "UNA:+.? 'UNB+UNOC:3+SENDER+RECEIVER+240131:1200+1'UNH+1+ORDERS:D:96A:UN'"
                      "UNT+2+1'UNZ+1+1'";
    Bytes body;
    body.Chars(edi.c_str(), edi.size());
    d.viewWords[0] &= ~VW_SHOW_MD;
    Size(40, 200);
    options &= ~UF_OPT_EDIFACT;
    Load(EdDescriptor("EDI     "), body);
    EXPECT_EQ(Find("UNH+1"), Find("UNB+UNOC"));      /* one text line */
    options |= UF_OPT_EDIFACT;
    Again();
    EXPECT_EQ(ed->bodyFormatter, &FmtDefEdifact);
    int32_t unb = Find("UNB+UNOC"), unh = Find("UNH+1");
    EXPECT_GE(unb, 0);
    EXPECT_EQ(unh, unb + 1);                         /* a line per segment */
    /* a body kind the user chose keeps "Message Content", a user format too */
    d.bodyKind = BK_TEXT;
    Again();
    EXPECT_EQ(ed->bodyFormatter, &FmtDefMessageContent);
    Load(EdDescriptor("ORDERS  "), OrderBytes());
    EXPECT_EQ(ed->bodyFormatter, &FmtDefMessageContent);
    d.bodyKind = BK_AUTO;
    Again();
    EXPECT_STREQ(ed->bodyFormatter->title, "An order");
}

static void CollectName(void *context, const char *name)
{
    ((std::vector<std::string> *)context)->push_back(name);
}

TEST_F(EdUserFormats, AUserFormatPickedAsTheFormatGivesItsStructure)
{
    ASSERT_EQ(LoadFormats(shop), 1) << errors.Last();
    /* the names a Format field offers beside IBM MQ's */
    std::vector<std::string> names;
    UFEachFormatName(CollectName, &names);
    EXPECT_EQ(names, (std::vector<std::string>{ "LEGACY", "ORDERS" }));

    for (int32_t ccsid : { 850, 500 }) {
        Load(EdDescriptor("ORDERS  ", ccsid), Bytes());
        ASSERT_TRUE(EdSetMessageFormat(&d));
        ASSERT_EQ(ed->data.length, 10u) << ccsid;          /* int and char[6] */
        unsigned char blank = ccsid == 500 ? 0x40 : ' ';
        EXPECT_EQ(std::vector<unsigned char>(ed->data.data, ed->data.data + 10),
                  (std::vector<unsigned char>{ 0, 0, 0, 0, blank, blank, blank, blank, blank, blank }));
        EXPECT_EQ(std::string((const char *)ed->descriptor.data + 32, 8), "ORDERS  ");
        EdBuildLineData(ed, 1);
        EXPECT_STREQ(ed->bodyFormatter->title, "An order");
        EXPECT_GE(Find("qty          : 0"), 0);
    }
    /* another format: the first structure of the queue's rule (APP.*) */
    Load(EdDescriptor("NOSUCH  "), OrderBytes());
    ASSERT_TRUE(EdSetMessageFormat(&d));
    EXPECT_EQ(ed->data.length, 7u);                    /* Cancel: char[3] and int */
    /* on a queue no rule names: no header */
    area.SetQueue("OTHER.Q");
    Load(EdDescriptor("NOSUCH  "), OrderBytes());
    ASSERT_TRUE(EdSetMessageFormat(&d));
    EXPECT_EQ(ed->data.length, 0u);
    EXPECT_EQ(std::string((const char *)ed->descriptor.data + 32, 8), "NOSUCH  ");
}

/* Floats of a user structure, typed and replaced, are written in the
 * float part of the message's encoding (IEEE reversed, normal, S/390),
 * whatever its integer part says. */
static const char *prices =
    "struct Price ; Prices\n{\n float price;\n double total;\n}\n"
    "format PRICES\n{\n struct Price;\n}\n";

static int FloatTexts(DialogWords *, char *find, uint32_t fs, char *replace, uint32_t rs)
{
    snprintf(find, fs, "-2");
    snprintf(replace, rs, "0.25");
    return 2;
}

TEST_F(EdUserFormats, FloatsTypedOrReplacedKeepTheirFloatEncoding)
{
    ASSERT_EQ(LoadFormats(prices), 1) << errors.Last();
    EdFindHost savedFind = edFind;
    edFind.texts = FloatTexts;
    for (uint32_t enc : { 0x221u, 0x112u, 0x311u, 0x312u }) {
        Bytes body;
        body.b.resize(12);
        EdPutFloat(body.b.data(), 4, 1.5, enc);
        EdPutFloat(body.b.data() + 4, 8, -2.0, enc);
        Load(EdDescriptor("PRICES  ", 850, (int32_t)enc), body);
        ed->insertMode = 1;
        int32_t price = Find("price"), total = Find("total");
        ASSERT_GE(price, 0) << std::hex << enc;
        ASSERT_GE(total, 0);
        const FmtFieldDef *pf = Line(price)->field, *tf = Line(total)->field;
        uint32_t at = Line(price)->lineOffset, totalAt = Line(total)->lineOffset;
        /* "2" typed before "1.5" */
        EdMoveCursor(ed, 0, 0, MC_GOTO, Line(price)->valueColumn, price);
        EdCharProc(ed, '2');
        EdFlushTyping(ed);
        EXPECT_EQ(FapGetFieldFloat(pf, ed->data.data + at, enc), 21.5) << Text(price);
        unsigned char want[8];
        EdPutFloat(want, 4, 21.5, enc);
        EXPECT_EQ(memcmp(ed->data.data + at, want, 4), 0) << std::hex << enc;
        /* "-2" replaced by "0.25" in the double */
        d.displayFlags |= FO_DATA_ONLY;
        EdMoveCursor(ed, 0, 0, MC_GOTO, 0, price);
        ASSERT_TRUE(FRFindNext(&d, 1, 0, 1)) << Text(total);
        ASSERT_TRUE(FRValidate(&d, FR_REPLACE));
        ASSERT_TRUE(FindReplaceOnce(&d, 0)) << rec.statuses.back();
        EXPECT_EQ(FapGetFieldFloat(tf, ed->data.data + totalAt, enc), 0.25);
        EdPutFloat(want, 8, 0.25, enc);
        EXPECT_EQ(memcmp(ed->data.data + totalAt, want, 8), 0) << std::hex << enc;
        EdUndo(ed, 0);
        EdUndo(ed, 0);
        EXPECT_EQ(ed->data.length, 12u);
        EXPECT_EQ(memcmp(ed->data.data, body.b.data(), 12), 0);
    }
    edFind = savedFind;
    FRFreeHistories();
}

/* A ledger of the decimal and text kinds as the pane shows and edits
 * them: the heading of a structure that starts with a nested one comes
 * first, a sign written at the right of numeric text reads either way, a
 * double keeps no rounding noise, a named value fills a long text field
 * whole, and a structure started from the format name begins valid. */
static const char *ledger =
    "enum Notes\n{\n XY, NOTE_XY;\n AB, NOTE_AB;\n}\n"
    "struct Amount ; An amount\n{\n digits (4) units;\n digits (3, signleft) delta;\n}\n"
    "struct Ledger ; A ledger entry\n{\n struct Amount amount;\n double rate;\n char note[100] (Notes);\n}\n"
    "format LEDGER\n{\n struct Ledger;\n}\n";

TEST_F(EdUserFormats, DecimalsFloatsAndNamedValuesShowAndEditAsTheirFieldsSay)
{
    ASSERT_EQ(LoadFormats(ledger), 1) << errors.Last();
    Size(60, 200);
    struct { const char *units, *delta, *shown; } amounts[] = {
        { "0012+", "+007", "units        : 12" },           /* the sign as the editor writes it */
        { "0012-", "-007", "units        : -12" },
        { "0012 ", "+007", "** Invalid Digits field 'units' **" },
    };
    for (auto &a : amounts) {
        Bytes b;
        double rate = 4.35 * 100;
        b.Chars(a.units, 5).Chars(a.delta, 4).Raw(&rate, 8).Chars("AB", 2).Fill('Z', 98);
        Load(EdDescriptor("LEDGER  "), b);
        EXPECT_GE(Find(a.shown), 0) << a.units;
        EXPECT_LT(Find("A ledger entry"), Find("An amount"));
        EXPECT_GE(Find("rate         : 435"), 0) << Text(Find("rate"));
    }
    /* 12 typed over to 13: the sign stays at the right */
    Bytes b;
    double rate = 1.5;
    b.Chars("0012+", 5).Chars("+007", 4).Raw(&rate, 8).Chars("AB", 2).Fill('Z', 98);
    Load(EdDescriptor("LEDGER  "), b);
    int32_t units = Find("units");
    ASSERT_GE(units, 0);
    ed->insertMode = 0;
    EdMoveCursor(ed, 0, 0, MC_GOTO, Line(units)->valueColumn + 1, units);
    EdCharProc(ed, '3');
    EdFlushTyping(ed);
    EXPECT_EQ(std::string((const char *)ed->data.data, 5), "0013+");
    EXPECT_GE(Find("units        : 13"), 0);
    /* the named value XY over "AB" and 98 Z: the whole field */
    ed->listLine = Find("note");
    EdEnumList list;
    ASSERT_TRUE(EdEnumValues(ed, 0, &list));
    std::vector<uint8_t> chosen(list.count);
    for (uint32_t i = 0; i < list.count; i++)
        chosen[i] = !strcmp(list.entries[i].text, "NOTE_XY");
    ASSERT_TRUE(EdApplyEnumEntries(ed, &list, chosen.data()));
    EdFreeEnumList(&list);
    EXPECT_EQ(std::string((const char *)ed->data.data + 17, 100), "XY" + std::string(98, ' '));
    /* a new message of the format: its numbers start valid, at 0 */
    Load(EdDescriptor("LEDGER  "), Bytes());
    ASSERT_TRUE(EdSetMessageFormat(&d));
    EXPECT_EQ(std::string((const char *)ed->data.data, 9), "0000++000");
    EdBuildLineData(ed, 1);
    EXPECT_GE(Find("units        : 0"), 0);
    EXPECT_GE(Find("delta        : 0"), 0);
    EXPECT_LT(Find("Invalid"), 0);
}
