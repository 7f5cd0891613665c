/* Field values: typed input with its messages and state bits, display
 * and export texts, conditions, the authority table of commands and the
 * name history. */
#include "dlgtest.h"

#include "pcflists.h"
#include "qms.h"

using namespace dlgtest;

/* The byte-string fields of the message dialogs. */
extern const PCFFieldDef FD_MYPCFA_MSGID, FD_MYPCFA_CMSGID, FD_MYPCFA_CCORRELID, FD_MYPCFA_MESSAGE;

namespace {

struct Values : ::testing::Test {
    Recorder rec;
    void SetUp() override
    {
        PCFPrefsDefaults();
        rec.Install();
    }
    void TearDown() override
    {
        Recorder::Clear();
        PCFPrefsDefaults();
        PCFHistoryClear();
    }
    int Type(Dialog &d, uint32_t id, const char *text, int insert = 0)
    {
        return FieldHWNDData(d.get(), 1, nullptr, 0, d.Field(id), text, -1, insert);
    }
    std::string Last() { return rec.statuses.empty() ? "(none)" : rec.statuses.back(); }
};

TEST_F(Values, IntegersAndEnumerations)
{
    Dialog q(&PCFQueueDef, (void *)1);
    EXPECT_EQ(Type(q, MQIA_MAX_Q_DEPTH, " 42 "), 0);
    EXPECT_EQ(PCFRecInt(q.Record(MQIA_MAX_Q_DEPTH)), 42);
    EXPECT_EQ(q.State(MQIA_MAX_Q_DEPTH), PCFS_PRESENT | PCFS_SPECIFIED);
    EXPECT_EQ(Last(), "");
    EXPECT_EQ(Type(q, MQIA_MAX_Q_DEPTH, "1000000000"), 1);
    EXPECT_EQ(Last(), "The value of 'Maximum Queue Depth' should be between 0 and 999999999.");
    EXPECT_EQ(PCFRecInt(q.Record(MQIA_MAX_Q_DEPTH)), 42);
    EXPECT_TRUE(q.State(MQIA_MAX_Q_DEPTH) & PCFS_ERROR);
    EXPECT_EQ(Type(q, MQIA_MAX_Q_DEPTH, ""), 0);
    EXPECT_EQ(PCFRecInt(q.Record(MQIA_MAX_Q_DEPTH)), -1);
    EXPECT_EQ(q.State(MQIA_MAX_Q_DEPTH), 0);

    EXPECT_EQ(Type(q, MQIA_Q_TYPE, "qremote"), 0);
    EXPECT_EQ(q.Text(MQIA_Q_TYPE), "Remote");
    EXPECT_EQ(Type(q, MQIA_Q_TYPE, "Local"), 0);
    EXPECT_EQ(PCFRecInt(q.Record(MQIA_Q_TYPE)), MQQT_LOCAL);
    EXPECT_EQ(Type(q, MQIA_Q_TYPE, "17"), 1);
    EXPECT_EQ(Last(), "Invalid value for field 'Queue Type'.");
    /* type 3: a named value or a number in range */
    EXPECT_EQ(Type(q, MQIA_CAP_EXPIRY, "nolimit"), 0);
    EXPECT_EQ(PCFRecInt(q.Record(MQIA_CAP_EXPIRY)), -1);
    EXPECT_EQ(Type(q, MQIA_CAP_EXPIRY, "500"), 0);
    EXPECT_EQ(q.Text(MQIA_CAP_EXPIRY), "500");
    EXPECT_EQ(Type(q, MQIA_CAP_EXPIRY, "-7"), 1);
    EXPECT_NE(Last().find("should be between -1 and"), std::string::npos);
    EXPECT_EQ(Type(q, MQIA_CAP_EXPIRY, "soon"), 1);
    EXPECT_EQ(Last(), "Invalid value for field 'Cap Expiry'.");
    /* the dependent fields are re-evaluated for fields flagged 0x1 */
    int before = rec.dependChanged;
    Type(q, MQIA_Q_TYPE, "Alias");
    EXPECT_EQ(rec.dependChanged, before + 1);
    /* a dialog that suppresses messages still refuses the value */
    size_t shown = rec.statuses.size();
    q->statusFlags |= DS_NO_MESSAGES;
    EXPECT_EQ(Type(q, MQIA_MAX_Q_DEPTH, "-1"), 1);
    EXPECT_EQ(rec.statuses.size(), shown);
    q->statusFlags = 0;
    /* a shown-only field takes nothing */
    EXPECT_EQ(Type(q, MQIA_CURRENT_Q_DEPTH, "9"), 0);
    EXPECT_EQ(q.State(MQIA_CURRENT_Q_DEPTH), 0);
}

TEST_F(Values, NamesHistoryAndMultiNameMode)
{
    Dialog m(&PCFMessageListDef, (void *)1);
    Type(m, MQCA_Q_NAME, "APP.QUEUE");
    EXPECT_STREQ(m->objectName, "APP.QUEUE");
    EXPECT_TRUE(m.State(MQCA_Q_NAME) & PCFS_NAMECHG);
    EXPECT_TRUE(m->stateFlags & DF_NAME_CHANGED);
    EXPECT_EQ(rec.commands, std::vector<uint32_t>{ 10010 });    /* the second command */
    Type(m, MQCA_Q_NAME, "*");          /* the queue in use let go; "*" itself is none */
    EXPECT_EQ(rec.commands, (std::vector<uint32_t>{ 10010, 10010 }));
    EXPECT_EQ(PCFHistoryCount(PCFH_QUEUE), 1);                  /* "*" is not remembered */
    EXPECT_STREQ(PCFHistoryName(PCFH_QUEUE, 0), "APP.QUEUE");

    Dialog l(&PCFQueueListDef, (void *)1);
    Type(l, MQCA_Q_NAME, "A.Q+");
    EXPECT_TRUE(l->stateFlags & DF_MULTI_NAME);
    EXPECT_EQ(l->currentField->field->attrId, (uint32_t)MQCACF_Q_NAMES);
    EXPECT_EQ(l.Text(MQCACF_Q_NAMES, 0), "A.Q");
    /* insert of an existing element changes nothing */
    l->listIndex = 0;
    EXPECT_EQ(FieldHWNDData(l.get(), 0, nullptr, 0, nullptr, "B.Q", -1, 1), 0);
    EXPECT_EQ(FieldHWNDData(l.get(), 0, nullptr, 0, nullptr, "A.Q", -1, 1), 0);
    PCFSTRLIST *names = PCFRecStrList(l.Record(MQCACF_Q_NAMES));
    EXPECT_EQ(names->count, 2);
    /* the value window's own text, when none is given */
    rec.windowText = "  C.Q  ";
    l->listIndex = 1;
    FieldHWNDData(l.get(), 0, nullptr, 0, nullptr, nullptr, -1, 0);
    EXPECT_EQ(l.Text(MQCACF_Q_NAMES, 1), "C.Q");
    /* an empty text removes the element at the index */
    l->listIndex = 0;
    FieldHWNDData(l.get(), 0, nullptr, 0, nullptr, "", -1, 0);
    EXPECT_EQ(names->count, 1);
    EXPECT_EQ(l.Text(MQCACF_Q_NAMES, 0), "C.Q");
    EXPECT_TRUE(l.Field(MQCACF_Q_NAMES)->flags & PCFE_MULTIONLY);

    /* history: newest last, at most the maximum, kinds 19 and 20 also queues */
    PcfPrefs.historyMax = 2;
    PCFHistoryClear();
    for (const char *n : { "Q1", "Q2", "Q1", "Q3" })
        PCFHistoryAdd(n, PCFH_QUEUE);
    EXPECT_EQ(PCFHistoryCount(PCFH_QUEUE), 2);
    EXPECT_STREQ(PCFHistoryName(PCFH_QUEUE, 0), "Q1");
    EXPECT_STREQ(PCFHistoryName(PCFH_QUEUE, 1), "Q3");
    PCFHistoryAdd("XQ", PCFH_XMITQ);
    EXPECT_STREQ(PCFHistoryName(PCFH_QUEUE, 1), "XQ");
    PcfPrefs.historyMax = 0;
    PCFHistoryAdd("Q9", PCFH_QUEUE);
    EXPECT_EQ(PCFHistoryCount(PCFH_QUEUE), 0);
}

/* Every form of byte string typed at the lengths around its room, into
 * an area of exactly its definition's size (the sanitizers watch both the
 * area and the blocks the store takes): characters kept as bytes count one
 * each, hexadecimal digits one byte a pair; what does not fit is refused
 * and leaves the value as it was. */
TEST_F(Values, ByteStringsAtTheirRoom)
{
    PCFFieldDef wide = {};
    wide.title = "Wide";
    wide.attrId = 99023;
    wide.type = PCFT_WIDEHEX;
    wide.maximum = 4;                   /* 8 bytes */
    const PCFFieldDef *forms[] = { &FD_MYPCFA_MSGID, &FD_MYPCFA_CMSGID, &FD_MYPCFA_CCORRELID,
                                   &FD_MYPCFA_MESSAGE, &wide };
    PCFFieldEntry fields[6] = {};
    for (int i = 0; i < 5; i++) {
        fields[i].field = forms[i];
        fields[i].mqcdOffset = 0xFFFFFFFF;
    }
    PCFCommandDef def = {};
    def.title = "Bytes";
    def.fields = fields;
    PCFPrepareDef(&def);
    for (PCFFieldEntry *e = fields; e->field; e++) {
        const PCFFieldDef *f = e->field;
        bool text = f->type == PCFT_BYTES;
        uint32_t room = PCFBytesRoom(f), roomChars = text ? room : 2 * room;
        SCOPED_TRACE(f->title);
        for (uint32_t n : { 0u, 1u, 2u, 3u, roomChars, roomChars + 1, roomChars + 2 }) {
            SCOPED_TRACE(n);
            uint8_t *area = (uint8_t *)CSGetMem(def.dataSize, "TESTDATA");
            PCFInitData(&def, area, nullptr, 0, 0, 0);
            uint8_t *r = area + e->offset;
            char m[100];
            ASSERT_EQ(PCFStoreText(&def, area, e, "0A", -1, m, sizeof m), 0);
            std::string typed(n, 'A');
            for (uint32_t i = 1; i < n; i += 2)
                typed[i] = '5';
            bool fits = text ? n <= room : n % 2 == 0 && n / 2 <= room;
            EXPECT_EQ(PCFStoreText(&def, area, e, typed.c_str(), -1, m, sizeof m), fits ? 0 : 1);
            if (fits) {
                uint32_t stored = text ? n : n / 2;
                ASSERT_EQ(PCFRecBytesLength(r), stored);
                EXPECT_EQ(PCFState(r) & PCFS_PRESENT, stored ? PCFS_PRESENT : 0);
                for (uint32_t i = 0; i < stored; i++)
                    EXPECT_EQ(PCFRecBytes(r)[i], text ? (uint8_t)typed[i] : 0xA5);
                EXPECT_STREQ(m, "");
            } else {
                EXPECT_EQ(PCFRecBytesLength(r), text ? 2u : 1u);     /* "0A" kept */
                EXPECT_EQ(std::string(m), std::string(text ? "Invalid value for field '" :
                                                             "The value of '") + f->title +
                                              (text ? "'." : "' should be hexidecimal."));
                EXPECT_TRUE(PCFState(r) & PCFS_ERROR);
            }
            PCFFreeData(&def, area, 1);
        }
    }
}

TEST_F(Values, ByteStringsFlagSetsAndFaultTwo)
{
    Dialog m(&PCFMessageDetailDef, (void *)1);
    EXPECT_EQ(Type(m, 10019, "ABC"), 1);
    EXPECT_EQ(Last(), "The value of 'Message Id' should be hexidecimal.");
    EXPECT_EQ(Type(m, 10019, "0a0B"), 0);
    EXPECT_EQ(m.Text(10019), "0A0B");
    EXPECT_EQ(PCFRecBytesLength(m.Record(10019)), 2u);
    /* typed longer than its room: refused; the record is unchanged */
    EXPECT_EQ(Type(m, 10019, std::string(50, 'F').c_str()), 1);
    EXPECT_EQ(m.Text(10019), "0A0B");
    EXPECT_EQ(Type(m, 10019, ""), 0);
    EXPECT_EQ(m.State(10019) & PCFS_PRESENT, 0);
    /* characters kept as bytes, through the dialog's own field */
    EXPECT_EQ(Type(m, 10059, "ABC"), 0);
    EXPECT_EQ(m.Text(10059), "ABC");
    EXPECT_EQ(Type(m, 10059, std::string(25, 'I').c_str()), 1);
    EXPECT_EQ(Last(), "Invalid value for field 'Message Id (Character)'.");
    EXPECT_EQ(m.Text(10059), "ABC");
    /* strings are cut at the field's maximum */
    std::string longName(300, 'N');
    Type(m, 10022, longName.c_str());
    EXPECT_EQ(m.Text(10022), std::string(48, 'N'));
    EXPECT_EQ(m.Record(10022)[2 + 48], 0);
    /* a text of 530 bytes or more is taken from a block of its own */
    Type(m, 10026, std::string(600, 'x').c_str());
    EXPECT_EQ(m.Text(10026), std::string(28, 'x'));

    /* flag sets: values by name, value 0 empties, the selection shows it */
    EXPECT_EQ(Type(m, 10010, "Exception", 1), 0);
    EXPECT_EQ(Type(m, 10010, "Expiration", 1), 0);
    EXPECT_EQ(Type(m, 10010, "Expiration", 1), 0);
    PCFINTLIST *report = PCFRecIntList(m.Record(10010));
    EXPECT_EQ(report->count, 2);
    EXPECT_EQ(m.Text(10010, 1), "Expiration");
    EXPECT_EQ(Type(m, 10010, "Bogus"), 1);
    EXPECT_EQ(Type(m, 10010, "None"), 0);
    EXPECT_EQ(report->count, 0);
    EXPECT_EQ(rec.selections, std::vector<std::string>{ "None" });
    EXPECT_EQ(m.Text(10010, 0), "None");
}

TEST_F(Values, DisplayAndExportTexts)
{
    Dialog q(&PCFQueueDef, (void *)1);
    Type(q, MQIA_MAX_Q_DEPTH, "1234567");
    EXPECT_EQ(q.Text(MQIA_MAX_Q_DEPTH), "1,234,567");
    char b[64];
    EXPECT_STREQ(PCFValueText(q->dataArea, q.Field(MQIA_MAX_Q_DEPTH), 0, b, sizeof b, 0), "1234567");
    PCFFieldDef ccsid = *q.Field(MQIA_MAX_Q_DEPTH)->field;
    ccsid.attrId = 2;
    EXPECT_STREQ(PCFIntValueText(&ccsid, 1234567, b, sizeof b, 1), "1234567");
    /* type 15 signed, with separators like any other integer */
    ccsid.attrId = 10061;
    ccsid.type = PCFT_NUMBER;
    EXPECT_STREQ(PCFIntValueText(&ccsid, 1208, b, sizeof b, 1), "1,208");
    EXPECT_STREQ(PCFIntValueText(&ccsid, -1208, b, sizeof b, 1), "-1,208");
    EXPECT_STREQ(PCFIntValueText(&ccsid, 1208, b, sizeof b, 0), "1208");
    strcpy(PcfPrefs.sep1000, ".");
    EXPECT_EQ(q.Text(MQIA_MAX_Q_DEPTH), "1.234.567");
    PcfPrefs.thousands = 0;
    EXPECT_EQ(q.Text(MQIA_MAX_Q_DEPTH), "1234567");
    /* MQSC texts */
    Type(q, MQIA_Q_TYPE, "Remote");
    Type(q, MQCA_Q_DESC, "it's mine");
    EXPECT_STREQ(PCFExportValueText(q->dataArea, q.Field(MQIA_Q_TYPE), 0, 1, 0, b, sizeof b), "QREMOTE");
    EXPECT_STREQ(PCFExportValueText(q->dataArea, q.Field(MQCA_Q_DESC), 0, 1, 0, b, sizeof b), "'it''s mine'");
    EXPECT_STREQ(PCFExportValueText(q->dataArea, q.Field(MQCA_Q_DESC), 0, 0, 0, b, sizeof b), "it's mine");
    Type(q, MQCA_Q_DESC, "");
    EXPECT_STREQ(PCFExportValueText(q->dataArea, q.Field(MQCA_Q_DESC), 0, 1, 0, b, sizeof b), "' '");
    EXPECT_STREQ(PCFExportValueText(q->dataArea, q.Field(MQCA_XMIT_Q_NAME), 0, 1, 0, b, sizeof b), "");

    /* type 22: -1 is "Not set" alone, and an all -1 list is empty */
    PCFFieldDef numbers = {};
    numbers.title = "Numbers";
    numbers.type = PCFT_INTLIST;
    EXPECT_STREQ(PCFIntValueText(&numbers, -1, b, sizeof b, 1), "Not set");
    PCFFieldEntry fields[2] = {};
    fields[0].field = &numbers;
    PCFCommandDef def = {};
    def.fields = fields;
    PCFPrepareDef(&def);
    uint8_t *area = PCFNewData(&def, "T22");
    PCFStoreText(&def, area, fields, "-1,-1", -1, nullptr, 0);
    EXPECT_STREQ(PCFValueText(area, fields, 0, b, sizeof b, 1), "");
    PCFStoreText(&def, area, fields, "-1, 5", -1, nullptr, 0);
    EXPECT_STREQ(PCFValueText(area, fields, 0, b, sizeof b, 1), "Not set, 5");
    EXPECT_STREQ(PCFExportValueText(area, fields, 0, 0, 1, b, sizeof b), "-1,5");
    /* its numbers take separators only when asked, and read back either way */
    PCFPrefsDefaults();
    static const struct { const char *typed, *plain, *grouped; } lists[] = {
        { "1000, 2000", "1000, 2000", "1,000, 2,000" },
        { "1,000, 2,000", "1000, 2000", "1,000, 2,000" },
        { "1,2,3", "1, 2, 3", "1, 2, 3" },
        { "Not set, 12345", "Not set, 12345", "Not set, 12,345" },
    };
    for (const auto &l : lists) {
        EXPECT_EQ(PCFStoreText(&def, area, fields, l.typed, -1, nullptr, 0), 0) << l.typed;
        EXPECT_STREQ(PCFValueText(area, fields, 0, b, sizeof b, 0), l.plain) << l.typed;
        EXPECT_STREQ(PCFValueText(area, fields, 0, b, sizeof b, 1), l.grouped) << l.typed;
        EXPECT_EQ(PCFStoreText(&def, area, fields, l.grouped, -1, nullptr, 0), 0);
        EXPECT_STREQ(PCFValueText(area, fields, 0, b, sizeof b, 0), l.plain) << l.grouped;
    }
    EXPECT_EQ(PCFStoreText(&def, area, fields, "7, 8x", -1, nullptr, 0), 1);
    EXPECT_STREQ(PCFValueText(area, fields, 0, b, sizeof b, 1), "Not set, 12,345");
    PCFFreeData(&def, area, 1);
    uint8_t rec22[20] = {};
    rec22[2] = 2;
    memset(rec22 + 12, 0xFF, 8);
    EXPECT_STREQ(PCFListValueText(rec22, &numbers, b, sizeof b), "");
    /* a list row's enumeration list: names, "!" rows left out, numbers */
    const PCFFieldDef *suiteb = PCFFindField(nullptr, nullptr, PCFQueueManagerDef.fields, MQIA_SUITE_B_STRENGTH)->field;
    int32_t items[3] = { 2, 4, 99 };
    memcpy(rec22 + 12, items, 8);
    EXPECT_STREQ(PCFListValueText(rec22, suiteb, b, sizeof b), "128 bit; 192 bit");
    /* a multi-string of a list row */
    uint8_t ms[32] = {};
    memcpy(ms + 12, "ab\005cd", 5);
    ms[2] = 5;
    char *buffer = nullptr;
    uint32_t capacity = 0;
    int length;
    EXPECT_STREQ(PCFMultiStringFormat(ms, &buffer, &capacity, &length), "ab; cd");
    PcfPrefs.wholeMultiStrings = 0;
    EXPECT_STREQ(PCFMultiStringFormat(ms, &buffer, &capacity, &length), "ab+");
    EXPECT_EQ(length, 3);
    CSFreeMem(buffer);
    /* a list cell of several strings shows the same */
    PCFFieldDef names = {};
    names.type = PCFT_MULTISTR;
    PCFLISTENTRY column = { &names, PCFL_SHOWN };
    PCFSetState(ms, PCFS_PRESENT | PCFS_RECEIVED);
    const char *cell;
    int numeric;
    for (int whole : { 1, 0 }) {
        PcfPrefs.wholeMultiStrings = whole;
        int n = PCFListCellText(&column, ms, b, sizeof b, &cell, &numeric);
        EXPECT_EQ(std::string(cell, (size_t)n), whole ? "ab; cd" : "ab+");
    }
}

/* Every integer field of the shipped definitions reads back the text it
 * shows, under each thousands separator, with separators on and off; a
 * number the reader cannot take whole is refused and the value kept. */
TEST_F(Values, EveryIntegerFieldReadsBackItsOwnText)
{
    static const struct { const char *sep; int on; } styles[] = {
        { ",", 1 }, { ".", 1 }, { " ", 1 }, { "'", 1 }, { ",", 0 }, { "", 1 },
    };
    PCFInitCommandDefs();
    int fields = 0;
    for (PCFCommandDef *const *table : { PCFCommandDefs, PCFInternalDefs })
        for (PCFCommandDef *const *def = table; *def; def++) {
            uint8_t *area = PCFNewData(*def, "SWEEP");
            ASSERT_NE(area, nullptr);
            for (PCFFieldEntry *e = (*def)->fields; e && e->field; e++) {
                const PCFFieldDef *f = e->field;
                if ((f->type != PCFT_INT && f->type != PCFT_ENUMNUM && f->type != PCFT_NUMBER) ||
                    !PCFStoresValue(e) || (e->flags & PCFE_SHOWONLY))
                    continue;
                fields++;
                auto clamp = [f](int64_t v) { return (int32_t)(v < f->minimum ? f->minimum : v > f->maximum ? f->maximum : v); };
                uint8_t *r = area + e->offset;
                for (const auto &style : styles)
                    for (int32_t v : { clamp(f->minimum), clamp(f->maximum), clamp(5000), clamp(1234567), clamp(-1) }) {
                        strcpy(PcfPrefs.sep1000, style.sep);
                        PcfPrefs.thousands = style.on;
                        PCFSetRecInt(r, v);
                        PCFSetState(r, PCFS_PRESENT);
                        char b[64], message[300];
                        std::string shown = PCFValueText(area, e, 0, b, sizeof b, 1);
                        EXPECT_EQ(PCFStoreText(*def, area, e, shown.c_str(), -1, message, sizeof message), 0)
                            << (*def)->title << " / " << f->title << " \"" << shown << "\": " << message;
                        EXPECT_EQ(PCFRecInt(r), v) << (*def)->title << " / " << f->title << " \"" << shown << "\"";
                    }
                PCFPrefsDefaults();
                if (f->type == PCFT_ENUMNUM)
                    continue;
                PCFSetRecInt(r, 5);
                for (const char *cut : { "5,00", "5x", "1,000x", "12,3456", "1,,000", "-" }) {
                    char message[300];
                    EXPECT_EQ(PCFStoreText(*def, area, e, cut, -1, message, sizeof message), 1) << f->title << " " << cut;
                    EXPECT_NE(strstr(message, "should be between"), nullptr) << message;
                    EXPECT_EQ(PCFRecInt(r), 5) << f->title << " " << cut;
                }
            }
            PCFFreeData(*def, area, 1);
        }
    EXPECT_GE(fields, 41);
}

TEST_F(Values, ConditionGroups)
{
    /* a: integer, b: flag set, c: integer */
    static const PCFValueDef flags[] = { { 0, 0, 0, 1, "One", "ONE" }, { 0, 0, 0, 2, "Two", "TWO" },
                                         { 0, 0, 0, 0, nullptr, nullptr } };
    PCFFieldDef a = {}, b = {}, c = {};
    a.title = "A", a.attrId = 1, a.type = PCFT_INT, a.maximum = 100;
    b.title = "B", b.attrId = 2, b.type = PCFT_FLAGSET, b.values = flags;
    c.title = "C", c.attrId = 3, c.type = PCFT_INT, c.maximum = 100;
    PCFFieldEntry fields[4] = {};
    fields[0].field = &a, fields[1].field = &b, fields[2].field = &c;
    PCFCommandDef def = {};
    def.fields = fields;
    PCFPrepareDef(&def);
    uint8_t *area = PCFNewData(&def, "COND");
    PCFStoreText(&def, area, &fields[0], "5", -1, nullptr, 0);
    PCFStoreText(&def, area, &fields[1], "One", -1, nullptr, 0);
    PCFStoreText(&def, area, &fields[1], "Two", -1, nullptr, 0);
    auto applies = [&](std::vector<PCFDependency> rows, uint32_t *out = nullptr) {
        rows.push_back({ 0, 0, 0 });
        return PCFFieldApplies(nullptr, 0, &def, nullptr, nullptr, area, nullptr, rows.data(), out);
    };
    EXPECT_EQ(applies({ { 1, 5, 0 } }), 1);
    EXPECT_EQ(applies({ { 1, 4, 0 }, { 1, 5, 0 } }), 1);                 /* one group: any row */
    EXPECT_EQ(applies({ { 1, 5, 0 }, { 2, 2, 0 } }), 1);                  /* AND of groups */
    EXPECT_EQ(applies({ { 1, 5, 0 }, { 2, 4, 0 } }), 0);
    EXPECT_EQ(applies({ { 1, 6, PCFC_ANYOF }, { 2, 2, 0 } }), 1);        /* OR group not matched */
    EXPECT_EQ(applies({ { 1, 5, PCFC_ANYOF }, { 2, 4, 0 } }), 1);        /* OR group ends it */
    EXPECT_EQ(applies({ { 1, 6, PCFC_ANYOF } }), 0);
    EXPECT_EQ(applies({ { 3, 1, 0 } }), 0);                               /* no value */
    EXPECT_EQ(applies({ { 9, 1, 0 } }), 0);                               /* no such field */
    EXPECT_EQ(applies({ { 9, 1, PCFC_OPTIONAL }, { 1, 5, 0 } }), 1);
    EXPECT_EQ(applies({ { 1, 0, PCFC_SPECIFIED } }), 1);
    EXPECT_EQ(applies({ { 3, 0, PCFC_SPECIFIED } }), 0);
    uint32_t out = 0;
    EXPECT_EQ(applies({ { 1, 5, 0x4000002 } }, &out), 1);
    EXPECT_EQ(out, 0x4000002u);
    /* multi-name entries */
    fields[2].flags = PCFE_MULTIONLY;
    EXPECT_EQ(PCFFieldApplies(nullptr, 0, &def, nullptr, nullptr, area, &fields[2], nullptr, nullptr), 0);
    EXPECT_EQ(PCFFieldApplies(nullptr, DF_MULTI_NAME, &def, nullptr, nullptr, area, &fields[2], nullptr, nullptr), 1);
    PCFFreeData(&def, area, 1);

    /* the real queue definition: a remote queue's fields apply to remote queues */
    Dialog q(&PCFQueueDef);
    Type(q, MQIA_Q_TYPE, "Remote");
    PCFFieldEntry *xmitq = q.Field(MQCA_XMIT_Q_NAME), *maxdepth = q.Field(MQIA_MAX_Q_DEPTH);
    EXPECT_EQ(PCFFieldApplies(nullptr, 0, &PCFQueueDef, nullptr, nullptr, q->dataArea, xmitq, nullptr, nullptr), 1);
    EXPECT_EQ(PCFFieldApplies(nullptr, 0, &PCFQueueDef, nullptr, nullptr, q->dataArea, maxdepth, nullptr, nullptr), 0);
}

TEST_F(Values, AuthoritiesOfCommands)
{
    QMS location = {};
    Dialog q(&PCFQueueDef);
    q->first.location = &location;
    PCFActionDef a = {};
    auto allowed = [&](uint64_t mask, uint32_t command) {
        location.authMask = mask;
        a.command = command;
        return PCFCommandAllowed(q.get(), &a);
    };
    EXPECT_EQ(allowed(~0ull, 9999), 1);
    EXPECT_EQ(allowed(0, 0), 1);
    EXPECT_EQ(allowed(0, 10021), 1);
    EXPECT_EQ(allowed(0, 13), 0);
    EXPECT_EQ(allowed(0x1000000000ull, 13), 1);
    EXPECT_EQ(allowed(0x1000000000ull, 8), 0);
    EXPECT_EQ(allowed(0x3000000000ull, 8), 1);
    EXPECT_EQ(allowed(0x1, 10002), 1);
    EXPECT_EQ(allowed(0x8, 10009), 0);
    EXPECT_EQ(allowed(0x9, 10009), 1);
    EXPECT_EQ(allowed(0x5000000000000000ull, 10035), 1);
    EXPECT_EQ(allowed(0x5000000000000000ull, 10041), 0);
    EXPECT_EQ(allowed(0x7FFFFFFFFFFFFFFFull, 9999), 0);    /* unlisted */
    int known;
    EXPECT_EQ(PCFCommandMask(10006, &known), 0x8000000000000000ull);
    EXPECT_EQ(known, 1);
}

}  // namespace
