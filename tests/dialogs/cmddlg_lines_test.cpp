/* Field lines of the command dialog's field pane: which entries show,
 * lines of list values (a new-element line where they may be edited),
 * tabs, positions by line, sizes and editing windows by field type,
 * title modes, the string-list comparison, the order of Tab over
 * rectangles, and combined date-time values. */
#include "dlgtest.h"

#include "cmddlg.h"
#include "qms.h"

using namespace dlgtest;

namespace {

/* A definition of the tests' own: two tabs, a name, an editable and a
 * read-only string list, a hidden integer, a number, a date-time pair. */
const PCFFieldDef FdGeneral = { 0, 0, 0, "General", "tabGeneral", nullptr, 0, nullptr, "General", 0, 27, 0, 0, nullptr, 0 };
const PCFFieldDef FdName = { 0, 0, 0, "Queue Name", "qName", nullptr, 1, "QUEUE", "Name", 2016, 5, 0, 48, nullptr, 0 };
const PCFFieldDef FdList = { 0, 0, 0, "Names", "names", nullptr, 1, "NAMES", "Nm", 3011, 6, 0, 48, nullptr, 0 };
const PCFFieldDef FdFixed = { 0, 0, 0, "Fixed Names", "fixed", nullptr, 0, "FIXED", nullptr, 3012, 6, 0, 20, nullptr, 0 };
const PCFFieldDef FdHidden = { 0, 0, 0, "Hidden", "hidden", nullptr, 0, "HIDDEN", "H", 7001, 11, 0, 9, nullptr, 0 };
const PCFFieldDef FdLimits = { 0, 0, 0, "Limits", "tabLimits", nullptr, 0, nullptr, "Limits", 0, 27, 0, 0, nullptr, 0 };
const PCFFieldDef FdDepth = { 0, 0, 0, "Maximum Depth", "maxDepth", nullptr, 0, "MAXDEPTH", "MaxD", 15, 15, 0, 999999999, nullptr, 0 };
const PCFFieldDef FdDate = { 0, 0, 0, "Creation Date", "crDate", nullptr, 0, "CRDATE", nullptr, 2004, 4, 0, 12, nullptr, 0 };
const PCFFieldDef FdTime = { 0, 0, 0, "Creation Time", "crTime", nullptr, 0, "CRTIME", nullptr, 2005, 4, 0, 8, nullptr, 0 };
const PCFFieldDef FdCreated = { 0, 0, 0, "Created", "created", nullptr, 0, nullptr, nullptr, 10216, 32, 0, 30, nullptr, 0 };

PCFFieldEntry Fields[] = {
    { 0, 0, 0, nullptr, &FdGeneral, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FdName, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FdList, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FdFixed, 0, 0x2, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FdHidden, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FdLimits, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FdDepth, 0, 0x2000, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FdDate, 0, 0x4, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FdTime, 0, 0x4, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FdCreated, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 },
};
const PCFActionDef Actions[] = {
    { 0, 0, 0, 13, 1, "DISPLAY", "&Refresh", 0x1C001, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr },
};
PCFCommandDef Def = { 0, 0, 0, "Test Lines", Actions, Fields, 0, 0, nullptr, nullptr, 0, 0, 0, 0, "QUEUE", "test", nullptr };

struct Lines : ::testing::Test {
    DialogWords d = {};
    QMS location = {};
    void SetUp() override
    {
        PCFInitCommandDefs();
        PCFWinPrefsDefaults();
        PCFPrepareDef(&Def);
        d.definition = &Def;
        d.dataArea = PCFNewData(&Def, "TESTDATA");
        Store(&Fields[1], "APP.Q");
        for (const char *v : { "ONE", "TWO", "THREE" }) {
            Store(&Fields[2], v);
            Store(&Fields[3], v);
        }
    }
    void TearDown() override
    {
        PCFFreeData(&Def, d.dataArea, 1);
        PCFWinPrefsDefaults();
    }
    /* a value stored as typed, whatever the entry's read-only flag */
    void Store(const PCFFieldEntry *e, const char *text)
    {
        PCFFieldEntry editable = *e;
        editable.flags &= ~0x2u;
        PCFStoreText(&Def, d.dataArea, &editable, text, -1, nullptr, 0);
    }
    /* the entry and element at a line, or null */
    std::pair<const PCFFieldEntry *, int32_t> At(int32_t line, int *kind = nullptr)
    {
        PCFFieldEntry *e = nullptr;
        int32_t element = -1;
        int k = 0;
        if (PCFLineAt(&d, line, &e, &element, &k))
            return { nullptr, -1 };
        if (kind)
            *kind = k;
        return { e, element };
    }
};

TEST_F(Lines, ListValuesTabsAndCurrentLine)
{
    EXPECT_TRUE(PCFUseFieldTabs(&d));
    EXPECT_EQ(PCFEntryLines(&d, &Fields[2]), 4);     /* three values and a new one */
    EXPECT_EQ(PCFEntryLines(&d, &Fields[3]), 3);     /* read-only */
    EXPECT_EQ(PCFEntryLines(&d, &Fields[4]), 0);     /* type 11 */
    EXPECT_EQ(PCFEntryLines(&d, &Fields[7]), 0);     /* hidden by its entry flag */
    PCFCountLines(&d);
    EXPECT_EQ(d.tabs[0].first, &Fields[0]);
    EXPECT_EQ(d.tabs[0].lines, 8);
    EXPECT_EQ(d.tabs[1].first, &Fields[5]);
    EXPECT_EQ(d.tabs[1].lines, 2);
    EXPECT_EQ(d.tabsShown, 3u);
    EXPECT_EQ(d.lineCount, 8);
    EXPECT_EQ(d.currentField, &Fields[1]);   /* the first shown field becomes current */
    EXPECT_EQ(d.currentLine, 0u);
    d.currentField = &Fields[2];
    d.listIndex = 2;
    PCFCountLines(&d);
    EXPECT_EQ(d.currentLine, 3u);
    d.currentField = &Fields[6];
    d.listIndex = 0;
    d.shownTab = 1;
    PCFCountLines(&d);
    EXPECT_EQ(d.currentTab, 1u);
    EXPECT_EQ(d.currentLine, 0u);
    EXPECT_EQ(d.lineCount, 2);
    /* no tabs without the option, or when the first entry is no tab */
    PcfWinPrefs.tabOptions = 0;
    EXPECT_FALSE(PCFUseFieldTabs(&d));
    PcfWinPrefs.tabOptions = 1;
    d.definition = &PCFQueueListDef;
    EXPECT_FALSE(PCFUseFieldTabs(&d));
    DialogWords m = {};
    m.definition = &PCFCommandLevelDef;
    EXPECT_FALSE(PCFUseFieldTabs(&m));
    d.definition = &Def;
    PcfWinPrefs.tabOptions = 0;
    d.shownTab = 0;
    PCFCountLines(&d);
    EXPECT_EQ(d.lineCount, 10);
}

TEST_F(Lines, PositionsByLine)
{
    PCFCountLines(&d);
    int kind = -1;
    EXPECT_EQ(At(0, &kind), std::make_pair((const PCFFieldEntry *)&Fields[1], 0));
    EXPECT_EQ(kind, AF_SINGLE);
    EXPECT_EQ(At(3, &kind), std::make_pair((const PCFFieldEntry *)&Fields[2], 2));
    EXPECT_EQ(kind, AF_LIST);
    EXPECT_EQ(At(4, &kind), std::make_pair((const PCFFieldEntry *)&Fields[2], 3));
    EXPECT_EQ(kind, AF_NEW_ELEMENT);
    EXPECT_EQ(At(7, &kind), std::make_pair((const PCFFieldEntry *)&Fields[3], 2));
    EXPECT_EQ(kind, AF_LIST);
    /* the tab ends the search in tab mode */
    EXPECT_EQ(At(8).first, nullptr);
    d.shownTab = 1;
    EXPECT_EQ(At(0).first, &Fields[6]);
    EXPECT_EQ(At(1).first, &Fields[9]);
    PcfWinPrefs.tabOptions = 0;
    EXPECT_EQ(At(8).first, &Fields[6]);
    EXPECT_EQ(At(-1).first, &Fields[1]);
    EXPECT_EQ(At(10).first, nullptr);
    /* from the current position onwards, and skipping read-only lines */
    PCFFieldEntry *e = nullptr;
    int32_t element = 0;
    EXPECT_EQ(AccessField(&Def, nullptr, 0, d.dataArea, 9, 8, &Fields[6], 0, &e, &element, 0, 0, nullptr), 0);
    EXPECT_EQ(e, &Fields[9]);
    PcfWinPrefs.stopOnReadOnly = 0;
    EXPECT_EQ(AccessField(&Def, nullptr, 0, d.dataArea, 5, -1, nullptr, 0, &e, &element, AF_SKIP_READONLY, 0,
                          nullptr), 0);
    EXPECT_EQ(e, &Fields[6]);
    EXPECT_EQ(AccessField(&Def, nullptr, 0, d.dataArea, 5, -1, nullptr, 0, &e, &element,
                          AF_SKIP_READONLY | AF_STRICT, 0, nullptr), 1);
    /* differences only: values carrying the differs mark */
    PCFSetState(d.dataArea + Fields[6].offset, PCFState(d.dataArea + Fields[6].offset) | 0x20);
    EXPECT_EQ(AccessField(&Def, nullptr, 0, d.dataArea, 0, -1, nullptr, 0, &e, &element, AF_DIFFERENT, 0, nullptr), 0);
    EXPECT_EQ(e, &Fields[6]);

    /* a list dialog's pane: the list's own entries, each line typed into
       stays inside the list's own area (a value typed on every line, under
       the sanitizers); its name field leads, and "+" after a name opens the
       names list below it */
    const struct { PCFCommandDef *def; uint32_t first; int lines; } lists[] = {
        { &PCFQueueListDef, 2016, 4 },          /* queue name */
        { &PCFMessageListDef, 2016, 10 },
    };
    for (const auto &r : lists) {
        SCOPED_TRACE(r.def->title);
        DialogWords l = {};
        l.definition = r.def;
        l.dataArea = PCFNewData(r.def, "TESTDATA");
        l.statusFlags |= DS_NO_MESSAGES;
        PCFCountLines(&l);
        EXPECT_EQ(l.lineCount, r.lines);
        ASSERT_NE(l.currentField, nullptr);
        EXPECT_EQ(l.currentField->field->attrId, r.first);
        for (int32_t line = 0; line < (int32_t)l.lineCount; line++) {
            ASSERT_EQ(PCFLineAt(&l, line, &e, &element, nullptr), 0) << line;
            EXPECT_TRUE(e >= r.def->fields && e < r.def->fields + 200) << e->field->title;
            FieldHWNDData(&l, 0, nullptr, 0, e, "5", -1, 0);
        }
        PCFFreeData(r.def, l.dataArea, 1);
    }
    DialogWords l = {};
    l.definition = &PCFQueueListDef;
    l.dataArea = PCFNewData(&PCFQueueListDef, "TESTDATA");
    l.statusFlags |= DS_NO_MESSAGES;
    PCFCountLines(&l);
    FieldHWNDData(&l, 0, nullptr, 0, l.currentField, "APP.A+", -1, 0);
    EXPECT_TRUE(l.stateFlags & DF_MULTI_NAME);
    l.currentField = nullptr;
    PCFCountLines(&l);
    EXPECT_EQ(l.lineCount, 5);                  /* the names list and its new line replace the name */
    ASSERT_EQ(PCFLineAt(&l, 0, &e, &element, nullptr), 0);
    EXPECT_EQ(e->field->attrId, 3011u);        /* queue names */
    char text[100];
    EXPECT_STREQ(PCFValueText(l.dataArea, e, 0, text, sizeof text, 0), "APP.A");
    PCFFreeData(&PCFQueueListDef, l.dataArea, 1);
}

TEST_F(Lines, SizesEditorsAndTitles)
{
    EXPECT_EQ(PCFValueChars(&Fields[1]), 48);
    EXPECT_EQ(PCFValueChars(&Fields[6]), 16);               /* flag 0x2000 */
    EXPECT_EQ(PCFEditorTenths(&Fields[1]), 720);            /* 1.5 x 48 */
    EXPECT_EQ(PCFEditorTenths(&Fields[6]), 120);
    EXPECT_EQ(PCFEditorTenths(&Fields[9]), 450);            /* 1.5 x 30 */
    PCFFieldEntry hex = { 0, 0, 0, nullptr, &FdName, 0, 0, nullptr, 0, 0 };
    PCFFieldDef bytes = FdName;
    bytes.type = PCFT_HEX;
    bytes.maximum = 24;
    hex.field = &bytes;
    EXPECT_EQ(PCFValueChars(&hex), 48);
    EXPECT_EQ(PCFEditorTenths(&hex), 720);
    int limit = 0;
    Def.nameField = &Fields[1];
    EXPECT_EQ(PCFEditorFor(&d, &Fields[1], 0, &limit), PCFE_EDITOR);
    EXPECT_EQ(limit, 48);
    EXPECT_EQ(PCFEditorFor(&d, &Fields[2], 0, &limit), PCFE_COMBOBOX);
    EXPECT_EQ(PCFEditorFor(&d, &Fields[6], 0, &limit), PCFE_EDITOR);
    EXPECT_EQ(limit, 12);
    EXPECT_EQ(PCFEditorFor(&d, &Fields[2], 1, &limit), PCFE_EDITOR);
    EXPECT_EQ(PCFEditorFor(&d, &hex, 0, &limit), PCFE_EDITOR);
    EXPECT_EQ(limit, 48);
    EXPECT_EQ(PCFEditorFor(&d, &Fields[4], 0, &limit), PCFE_NONE);
    /* names in upper case where the location asks it */
    d.first.location = &location;
    location.flags = LF_UCO;
    EXPECT_EQ(PCFEditorFor(&d, &Fields[1], 0, &limit), PCFE_UPPER_EDIT);
    EXPECT_EQ(PCFEditorFor(&d, &Fields[2], 0, &limit), PCFE_UPPER_COMBO);
    EXPECT_TRUE(PCFNameUpperCase(&d, 1));
    EXPECT_FALSE(PCFNameUpperCase(&d, 10));
    location.flags = LF_UCE;
    EXPECT_TRUE(PCFNameUpperCase(&d, 10));
    EXPECT_FALSE(PCFSecondComboApplies(&d, 10));           /* no second combo box made */
    d.combo2Window = &d;
    EXPECT_TRUE(PCFSecondComboApplies(&d, 10));
    /* the second combo box serves a field type by the location's bit */
    static const struct { uint32_t flags; int type; bool serves; } second[] = {
        { LF_UCO, 1, true }, { LF_UCO, 5, true }, { LF_UCO, 7, true }, { LF_UCO, 9, true }, { LF_UCO, 24, true },
        { LF_UCO, 8, false }, { LF_UCO, 10, false }, { LF_UCO, 22, false }, { LF_UCE, 5, false },
        { LF_UCE, 10, true }, { LF_UCN, 11, true }, { LF_UCN, 4, false }, { 0, 5, false },
    };
    for (const auto &t : second) {
        location.flags = t.flags;
        EXPECT_EQ(PCFSecondComboApplies(&d, t.type) != 0, t.serves) << t.flags << " type " << t.type;
    }
    location.flags = LF_UCE;
    location.flags = LF_UCN;
    EXPECT_TRUE(PCFNameUpperCase(&d, 11));
    EXPECT_FALSE(PCFNameUpperCase(&d, 0));
    PcfWinPrefs.comboOnNameField = 1;
    EXPECT_EQ(PCFEditorFor(&d, &Fields[1], 0, &limit), PCFE_COMBOBOX);
    /* titles */
    PCFLISTENTRY column = { &FdList, 0 };
    EXPECT_STREQ(PCFFieldTitle(&d, DF_TITLE_AUTO, &column), "Names");
    column.flags = 0x20;
    EXPECT_STREQ(PCFFieldTitle(&d, DF_TITLE_AUTO, &column), "Nm");
    EXPECT_STREQ(PCFFieldTitle(&d, DF_TITLE_FULL, &column), "Names");
    EXPECT_STREQ(PCFFieldTitle(&d, DF_TITLE_SHORT, &column), "Nm");
    EXPECT_STREQ(PCFFieldTitle(&d, DF_TITLE_NAME, &column), "NAMES");
    d.stateFlags = DF_TITLE_SHORT;
    EXPECT_STREQ(PCFFieldTitle(&d, 0, &column), "Nm");
    PCFLISTENTRY fixed = { &FdFixed, 0 };
    EXPECT_STREQ(PCFFieldTitle(&d, DF_TITLE_SHORT, &fixed), "Fixed Names");
    EXPECT_STREQ(PCFFieldTitle(&d, 0x3000000, &column), "Oops!");
    PCFLISTENTRY none = { nullptr, 0 };
    EXPECT_STREQ(PCFFieldTitle(&d, DF_TITLE_FULL, &none), "");
    PcfWinPrefs.debugTitles = 1;
    column.flags = 0x3;
    EXPECT_STREQ(PCFFieldTitle(&d, DF_TITLE_FULL, &column), "Names(UF)");
}

TEST_F(Lines, StringListAgainstAFlattenedText)
{
    PCFSTRLIST *list = PCFRecStrList(d.dataArea + Fields[3].offset);
    ASSERT_NE(list, nullptr);
    std::string all = std::string("ONE") + '\5' + "TWO" + '\5' + "THREE";
    EXPECT_EQ(PCFCompareStrList(list, 20, all.c_str(), (int)all.size()), 0);
    std::string more = all + '\5';
    EXPECT_EQ(PCFCompareStrList(list, 20, more.c_str(), (int)more.size()), 1);
    std::string two = std::string("ONE") + '\5' + "TWO";
    EXPECT_EQ(PCFCompareStrList(list, 20, two.c_str(), (int)two.size()), 1);
    EXPECT_EQ(PCFCompareStrList(list, 20, "ONE", 3), 1);
    PCFSTRLIST empty = {};
    EXPECT_EQ(PCFCompareStrList(&empty, 20, "", 0), 0);
    EXPECT_EQ(PCFCompareStrList(nullptr, 20, "X", 1), 1);
}

TEST_F(Lines, CombinedDateAndTime)
{
    Store(&Fields[7], "2024-01-02");
    Store(&Fields[8], "10.11.12");
    PCFCheckDateFields(&d, 0);
    char text[120];
    EXPECT_STREQ(PCFValueText(d.dataArea, &Fields[9], 0, text, sizeof text, 1), "2024-01-02 10.11.12");
    /* a missing time leaves the value alone */
    Store(&Fields[8], "");
    Store(&Fields[7], "2025-05-05");
    PCFCheckDateFields(&d, 0);
    EXPECT_STREQ(PCFValueText(d.dataArea, &Fields[9], 0, text, sizeof text, 1), "2024-01-02 10.11.12");
}

/* ---- Tab order ---- */

TEST(TabOrder, ByTopThenLeftAndWrapping)
{
    /* made in the order B, A, F; A has the focus */
    auto rects = [](int focused) {
        std::vector<PCFTABRECT> r = {
            { 200, 100, 260, 120, focused == 0, 0 },   /* B: right of A */
            { 50, 100, 110, 120, focused == 1, 0 },    /* A */
            { 300, 40, 400, 60, focused == 2, 0 },     /* F: above both */
        };
        return r;
    };
    auto pick = [&](int focused, int forward, int fromEnd) {
        std::vector<PCFTABRECT> r = rects(focused);
        int i = PCFTabOrderPick(r.data(), (int)r.size(), forward, fromEnd);
        return i < 0 ? -1 : r[(size_t)i].left;
    };
    EXPECT_EQ(pick(1, 1, 0), 200);      /* A to B */
    EXPECT_EQ(pick(1, 0, 0), 300);      /* A back to F */
    EXPECT_EQ(pick(0, 1, 0), 200);      /* B is last: stays */
    EXPECT_EQ(pick(2, 0, 0), 300);      /* F is first: stays */
    EXPECT_EQ(pick(1, 1, 1), 200);      /* from the end: the last */
    EXPECT_EQ(pick(0, 1, 1), 50);       /* the last is focused: one inward */
    EXPECT_EQ(pick(2, 0, 1), 50);
    EXPECT_EQ(pick(-1, 1, 0), 300);     /* no focus: the first */
    std::vector<PCFTABRECT> none;
    EXPECT_EQ(PCFTabOrderPick(none.data(), 0, 1, 0), -1);
}

}  // namespace
