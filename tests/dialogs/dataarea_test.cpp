/* Definitions and data areas: preparation sizes, initialising, copying,
 * comparing, the lookups by keyword and by mnemonic letter, and the
 * geometry of list areas. */
#include "dlgtest.h"
#include "mq/capability.h"

using namespace dlgtest;

namespace {

PCFFieldDef Fd(uint32_t id, int16_t type, int32_t max = 0)
{
    PCFFieldDef f = {};
    f.title = "Field";
    f.attrId = id;
    f.type = type;
    f.maximum = max;
    return f;
}

PCFFieldEntry Fe(const PCFFieldDef *f, uint32_t flags = 0)
{
    PCFFieldEntry e = {};
    e.field = f;
    e.flags = flags;
    e.mqcdOffset = 0xFFFFFFFF;
    return e;
}

TEST(DataArea, PreparationSizesByType)
{
    PCFFieldEntry none[1] = {};
    PCFListDef list = {};
    PCFCommandDef def = {};
    def.fields = none;
    PCFPrepareDef(&def);
    EXPECT_EQ(def.dataSize, 0u);
    EXPECT_EQ(def.pcfBound, 536u);
    def.list = &list;
    PCFPrepareDef(&def);
    EXPECT_EQ(def.dataSize, 420u);
    EXPECT_EQ(def.pcfBound, 956u);

    PCFFieldDef novalue = Fd(1, PCFT_NOVALUE), pair = Fd(2, PCFT_DATETIME), text = Fd(3, PCFT_STRING, 20),
                kept = Fd(4, PCFT_INT), list7 = Fd(5, PCFT_MULTISTR, 10);
    PCFFieldEntry fields[] = { Fe(&novalue), Fe(&pair), Fe(&kept, PCFE_NOSTORE), Fe(&text), Fe(&list7), {} };
    PCFCommandDef d2 = {};
    d2.fields = fields;
    PCFPrepareDef(&d2);
    EXPECT_EQ(fields[1].offset, 0u);
    EXPECT_EQ(fields[2].offset, 122u);          /* offset, but no room */
    EXPECT_EQ(fields[3].offset, 122u);
    EXPECT_EQ(fields[4].offset, 122u + 23);
    EXPECT_EQ(d2.dataSize, 122u + 23 + 11);
    EXPECT_EQ(d2.pcfBound, 36u + 24 + 24 + (24 + 20) + (28 + 300) + 500);
    EXPECT_EQ(d2.nameField, nullptr);
}

TEST(DataArea, InitialisingKeepsKeysAndSetsDefaults)
{
    Recorder rec;
    rec.Install();
    PcfPrefs.maxMsgSize = 4321;
    Dialog q(&PCFQueueDef, (void *)1);
    PCFInitData(&PCFQueueDef, q->dataArea, q.get(), 0, 0, 0);
    EXPECT_EQ(q.Text(MQIA_Q_TYPE), "Local");
    EXPECT_EQ(q.State(MQIA_Q_TYPE), PCFS_PRESENT | PCFS_SPECIFIED);
    FieldHWNDData(q.get(), 0, nullptr, 0, q.Field(MQCA_Q_NAME), "APP.Q", -1, 0);
    FieldHWNDData(q.get(), 0, nullptr, 0, q.Field(MQIA_MAX_Q_DEPTH), "5000", -1, 0);
    PCFInitData(&PCFQueueDef, q->dataArea, q.get(), 0, 1, 0);
    EXPECT_EQ(q.Text(MQCA_Q_NAME), "");                 /* bit 1 gone: not shown */
    EXPECT_STREQ(PCFRecText(q.Record(MQCA_Q_NAME)), "APP.Q");
    EXPECT_EQ(q.State(MQIA_MAX_Q_DEPTH), 0);
    PCFInitData(&PCFQueueDef, q->dataArea, q.get(), 0, 1, 1);
    EXPECT_STREQ(PCFRecText(q.Record(MQCA_Q_NAME)), "");

    Dialog m(&PCFMessageDef, (void *)1);
    PCFInitData(&PCFMessageDef, m->dataArea, m.get(), 0, 0, 0);
    EXPECT_EQ(PCFGetIntValue(nullptr, &PCFMessageDef, m->dataArea, 10052, nullptr), 4321);
    PCFInitData(&PCFMessageListDef, nullptr, nullptr, 1, 0, 0);   /* no area: nothing */
    Dialog l(&PCFMessageListDef);
    PCFInitData(&PCFMessageListDef, l->dataArea, nullptr, 1, 0, 0);
    EXPECT_STREQ(PCFRecText(l.Record(MQCA_Q_NAME)), "");   /* a key field is kept */
    PCFInitData(&PCFMessageListDef, l->dataArea, nullptr, 1, 0, 1);
    EXPECT_STREQ(PCFRecText(l.Record(MQCA_Q_NAME)), "*");
    EXPECT_EQ(l.State(MQCA_Q_NAME), PCFS_PRESENT | PCFS_SPECIFIED);
    PCFPrefsDefaults();
    Recorder::Clear();
}

TEST(DataArea, CopiesAreIndependentAndCompareAcrossCapacities)
{
    int64_t before = Blocks();
    PCFInitCommandDefs();
    PCFCommandDef *def = &PCFClientChannelDef;
    PCFFieldEntry *exits = PCFFindField(nullptr, nullptr, def->fields, MQCACH_SEND_EXIT_NAME);
    uint8_t *a = PCFNewData(def, "A"), *b = PCFNewData(def, "B"), *c = PCFNewData(def, "C");
    for (const char *exit : { "exit1", "exit2", "exit3", "exit4", "exit5", "exit6" })
        PCFStoreText(def, a, exits, exit, -1, nullptr, 0);
    PCFCopyData(def, b, a);
    PCFSTRLIST *la = PCFRecStrList(a + exits->offset), *lb = PCFRecStrList(b + exits->offset);
    EXPECT_NE(la, lb);
    EXPECT_EQ(la->capacity, 10);                  /* grown by 5 */
    EXPECT_EQ(PCFCompareData(def, a, b), 1);
    PCFFreeData(def, a, 1);
    EXPECT_EQ(lb->count, 6);
    EXPECT_EQ(std::string(PCFStrListItem(lb, exits->field->maximum, 5), 5), "exit6");
    /* the same elements in a list of another capacity compare equal */
    PCFSTRLIST *wide = (PCFSTRLIST *)CSGetMem(20 * 128 + 15, "WIDE");
    memset(wide + 1, ' ', 20 * 128 + 3);
    wide->size = 20 * 128 + 15;
    wide->capacity = 20;
    wide->count = 6;
    memcpy(wide + 1, lb + 1, 6 * 128);
    PCFSetRecPtr(c + exits->offset, wide);
    EXPECT_EQ(PCFCompareData(def, b, c), 1);
    memcpy(PCFStrListItem(wide, 128, 0), "other", 5);
    EXPECT_EQ(PCFCompareData(def, b, c), 0);
    EXPECT_EQ(PCFCompareData(def, nullptr, nullptr), 1);
    EXPECT_EQ(PCFCompareData(def, b, nullptr), 0);
    /* a response copy into an empty slot, then freed through the slot */
    uint8_t *slot = nullptr;
    PCFCopyResponseData(def, &slot, b);
    EXPECT_EQ(PCFCompareData(def, slot, b), 1);
    PCFCopyResponseData(def, &slot, nullptr);
    EXPECT_EQ(slot, nullptr);
    PCFFreeData(def, b, 1);
    PCFFreeData(def, c, 1);
    EXPECT_EQ(Blocks(), before);
}

TEST(DataArea, ComparisonSeesEveryValueNotOnlyLists)
{
    PCFInitCommandDefs();
    PCFCommandDef *def = &PCFClientChannelDef;
    uint8_t *a = PCFNewData(def, "A"), *b = PCFNewData(def, "B");
    auto set = [def](uint8_t *area, uint32_t id, const char *text) {
        PCFStoreText(def, area, PCFFindField(nullptr, nullptr, def->fields, id), text, -1, nullptr, 0);
    };
    for (uint8_t *area : {a, b}) {
        set(area, MQCACH_CHANNEL_NAME, "APP.SVRCONN");
        set(area, MQCACH_CONNECTION_NAME, "host(1414)");
        set(area, MQIACH_HB_INTERVAL, "300");
    }
    EXPECT_EQ(PCFCompareData(def, a, b), 1);
    set(b, MQCACH_CONNECTION_NAME, "other(1414)");
    EXPECT_EQ(PCFCompareData(def, a, b), 0);       /* a moved queue manager differs */
    set(b, MQCACH_CONNECTION_NAME, "host(1414)");
    set(b, MQIACH_HB_INTERVAL, "60");
    EXPECT_EQ(PCFCompareData(def, a, b), 0);
    set(b, MQIACH_HB_INTERVAL, "300");
    /* a value only one side holds differs; a record present but never
       specified holds none */
    set(a, MQCACH_LOCAL_ADDRESS, "(2020)");
    EXPECT_EQ(PCFCompareData(def, a, b), 0);
    uint8_t *local = b + PCFFindField(nullptr, nullptr, def->fields, MQCACH_LOCAL_ADDRESS)->offset;
    strcpy(PCFRecText(local), "(2020)");
    EXPECT_EQ(PCFCompareData(def, a, b), 0);
    PCFSetState(local, PCFS_PRESENT);
    uint8_t *other = a + PCFFindField(nullptr, nullptr, def->fields, MQCACH_LOCAL_ADDRESS)->offset;
    PCFSetState(other, PCFS_PRESENT);
    EXPECT_EQ(PCFCompareData(def, a, b), 1);
    PCFFreeData(def, a, 1);
    PCFFreeData(def, b, 1);
}

TEST(DataArea, FindFieldByNameOnTheQueueDefinition)
{
    PCFFieldEntry *e;
    const PCFFieldDef *f;
    const PCFValueDef *v;
    EXPECT_EQ(PCFFindFieldByName(nullptr, 0, 0, &PCFQueueDef, "curdepth", "", 1, &e, &f, &v), 0);
    EXPECT_EQ(f->attrId, (uint32_t)MQIA_CURRENT_Q_DEPTH);
    EXPECT_EQ(PCFFindFieldByName(nullptr, 0, 0, &PCFQueueDef, "TARGQ", "", 0, &e, &f, &v), 0);
    EXPECT_EQ(f->attrId, 2002u);
    EXPECT_EQ(PCFFindFieldByName(nullptr, 0, 0, &PCFQueueDef, "NOSUCH", "", 1, &e, &f, &v), 1);
    EXPECT_EQ(PCFFindFieldByName(nullptr, 0, 0, &PCFQueueDef, "DEF", "", 1, &e, &f, &v), 2);
    EXPECT_EQ(PCFFindFieldByName(nullptr, 0, 0, &PCFQueueDef, "DEF", "", 0, &e, &f, &v), 1);
    EXPECT_EQ(PCFFindFieldByName(nullptr, 0, 0, &PCFQueueDef, "TYPE", "Q", 1, &e, &f, &v), 3);
    EXPECT_EQ(PCFFindFieldByName(nullptr, 0, 0, &PCFQueueDef, "TYPE", "qloc", 1, &e, &f, &v), 0);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->value, MQQT_LOCAL);
    EXPECT_EQ(PCFFindFieldByName(nullptr, 0, 0, &PCFQueueDef, "USAGE", "XMITQ", 0, &e, &f, &v), 0);
    EXPECT_EQ(v->value, MQUS_TRANSMISSION);
    /* a field the capabilities exclude counts only with anyCaps */
    uint8_t caps[CAP_COUNT] = {};
    EXPECT_EQ(PCFFindFieldByName(caps, 0, 0, &PCFQueueDef, "STGCLASS", "", 0, &e, &f, &v), 1);
    EXPECT_EQ(PCFFindFieldByName(caps, 0, 1, &PCFQueueDef, "STGCLASS", "", 0, &e, &f, &v), 0);
    /* the detail list of a list definition */
    EXPECT_EQ(PCFFindFieldByName(nullptr, 1, 0, &PCFQueueListDef, "MAXDEPTH", "", 0, &e, &f, &v), 0);
    EXPECT_EQ(PCFFindFieldByName(nullptr, 0, 0, &PCFQueueListDef, "MAXDEPTH", "", 0, &e, &f, &v), 1);
}

TEST(DataArea, ActionsByLetterAndLookups)
{
    Recorder rec;
    rec.Install();
    Dialog q(&PCFQueueDef, (void *)7);
    EXPECT_EQ(PCFIssueAction(q.get(), 'r'), 1);
    EXPECT_EQ(PCFIssueAction(q.get(), 'R'), 1);
    EXPECT_EQ(PCFIssueAction(q.get(), 'z'), -1);
    ASSERT_EQ(rec.posts.size(), 2u);
    EXPECT_EQ(rec.posts[0].message, (uint32_t)PCF_WM_COMMAND);
    EXPECT_EQ(rec.posts[0].wParam, 1u);
    /* "Cancel" has no "&": C is "&Clear" */
    EXPECT_EQ(PCFIssueAction(q.get(), 'c'), 579);
    PCFIssueDefaultAction(nullptr, q.get(), nullptr);
    PCFLISTREQ r = {};
    PCFIssueDefaultAction(&r, q.get(), nullptr);
    EXPECT_EQ(rec.commands, (std::vector<uint32_t>{ 100001, 1 }));
    EXPECT_EQ(rec.filtersCompiled, 0);
    /* a list's default action compiles its typed filter again */
    Dialog l(&PCFQueueListDef, (void *)7);
    PCFIssueDefaultAction(&r, l.get(), nullptr);
    EXPECT_EQ(rec.filtersCompiled, 1);

    EXPECT_EQ(PCFFindCommandByName("Queue List", 0), &PCFQueueListDef);
    EXPECT_EQ(PCFFindCommandByName("Client Channel Definition", 0), nullptr);
    EXPECT_EQ(PCFFindCommandByName("Client Channel Definition", 1), &PCFClientChannelDef);
    EXPECT_EQ(PCFFindCommandByCode(nullptr, MQCMD_INQUIRE_Q, 1, 1), &PCFQueueListDef);
    EXPECT_EQ(PCFFindCommandByCode(nullptr, MQCMD_INQUIRE_Q, 1, 0), &PCFQueueDef);
    EXPECT_EQ(PCFFindCommandByCode(nullptr, MQCMD_INQUIRE_CHANNEL, 0, 0), nullptr);  /* 0x800 */
    EXPECT_EQ(PCFFindSelectorDef(nullptr, MQCMD_INQUIRE_Q), &PCFQueueDef);
    EXPECT_EQ(PCFNameFieldId(&PCFQueueDef), (uint32_t)MQCA_Q_NAME);
    EXPECT_EQ(PCFFindNameField(PCFClientChannelDef.fields)->field->attrId, (uint32_t)MQCACH_CHANNEL_NAME);
    EXPECT_EQ(PCFFindActionFlags(PCFQueueDef.actions, PCFA_DEFAULT, 0)->id, 1);
    EXPECT_EQ(PCFFindValueByName(nullptr, q.Field(MQIA_Q_TYPE)->field->values, "<All>")->value, MQQT_LOCAL);
    Recorder::Clear();
}

TEST(DataArea, ListAreaGeometryAndColumnOnlyList)
{
    EXPECT_EQ(PCFListAreaSize(0), 36u);
    EXPECT_EQ(PCFListAreaSize(9), 36u + 54 * 9);
    PCFLISTAREA *a = PCFColumnOnlyList(PCFQueueListDef.list->current);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->flags, PCFLA_COLUMNS);
    EXPECT_EQ(a->columns, 9);
    EXPECT_EQ(a->rows, 0u);
    PCFLISTPARTS p;
    PCFListAreaPointers(a, &p);
    uint8_t *base = (uint8_t *)a;
    EXPECT_EQ((uint8_t *)p.columns - base, 24);
    EXPECT_EQ(p.widths - base, 24 + 12 * 10);
    EXPECT_EQ(p.entries - p.widths, 8 * 9);
    EXPECT_EQ(p.titles - p.entries, 16 * 9);
    EXPECT_EQ(p.rows - base, (36 + 54 * 9 + 7) & ~7);
    const PCFFieldDef *last = p.columns[8].field, *end = p.columns[9].field;
    EXPECT_EQ(end, nullptr);
    EXPECT_EQ(PCFFindColumnIndex(a, last), 8);
    EXPECT_EQ(PCFFirstRow(a), nullptr);
    ReleaseRefBlock(&a);
    EXPECT_EQ(a, nullptr);

    /* value records by type: empty ones and measured ones */
    uint8_t rec[80] = {};
    PCFFieldDef t4 = Fd(1, PCFT_STRING), t19 = Fd(2, PCFT_ENUMLIST), t32 = Fd(3, PCFT_DATETIME),
                t24 = Fd(4, PCFT_FLAGSET), t17 = Fd(5, PCFT_WIDE17), t6 = Fd(6, PCFT_STRLIST);
    rec[2] = 5;
    EXPECT_EQ(PCFValueLength(rec, &t4), 17u);
    EXPECT_EQ(PCFValueLength(rec, &t6), 17u);        /* measured like 7 */
    EXPECT_EQ(PCFValueLength(rec, &t19), 32u);
    EXPECT_EQ(PCFValueLength(rec, &t32), 41u);
    EXPECT_EQ(PCFValueLength(rec, &t24), 14u);
    EXPECT_EQ(PCFValueLength(rec, &t17), 62u);
    EXPECT_EQ(ResetListValue(PCFT_REAL, rec), 18u);
    EXPECT_EQ(rec[2], 0);
    uint32_t date, time;
    EXPECT_TRUE(FindDateTimePair(10230, &date, &time));
    EXPECT_EQ(date, 10027u);
    EXPECT_FALSE(FindDateTimePair(10231, &date, &time));
}

}  // namespace
