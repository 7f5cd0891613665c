/* The command dialog's window-free decisions: titles in their order of
 * parts, status texts and their precedence, the error-sound gate, the
 * dialog profile with instance numbers and saved-dialog overrides,
 * default sizes and the placement slot rule, the dialog menu table, view
 * commands and check marks, and the instance's life with a command in
 * flight. */
#include "dlgtest.h"

#include <algorithm>
#include <string>

#include "autfile.h"
#include "cmddlg.h"
#include "qms.h"

using namespace dlgtest;

namespace {

/* A location record of the tests' own. */
struct Location {
    QMS q = {};
    explicit Location(const char *name, int32_t level = 910)
    {
        snprintf(q.qmName, sizeof q.qmName, "%s", name);
        q.commandLevel = level;
        q.authMask = ~0ull;
    }
    ~Location() { CSTreeFree(&q.dialogs, nullptr, nullptr); }
};

/* A dialog instance on the open list, freed at the end. */
struct Open {
    DialogWords *d;
    Open(PCFCommandDef *def, QMS *location = nullptr, SAVEDDIALOG *saved = nullptr)
    {
        PCFInitCommandDefs();
        DialogWords t = {};
        t.definition = def;
        t.first.location = location;
        t.saved = saved;
        d = GetDialogWords(&t, 0);
    }
    ~Open()
    {
        if (d)
            FreeDialogWords(d);
    }
    DialogWords *operator->() { return d; }
};

/* A copy of a definition with other flags. */
static PCFCommandDef Variant(const PCFCommandDef &def, uint32_t set, uint32_t clear = 0)
{
    PCFCommandDef v = def;
    v.flags = (v.flags | set) & ~clear;
    return v;
}

std::vector<std::string> Errors;

struct CommandDialog : ::testing::Test {
    void SetUp() override
    {
        PCFInitCommandDefs();
        PCFWinPrefsDefaults();
        Errors.clear();
        PCFErrorSink = [](const char *text) { Errors.push_back(text); };
        PCFSetMonitors(1, 1);
    }
    void TearDown() override
    {
        PCFErrorSink = nullptr;
        PCFSetHooks(nullptr);
        CSTreeFree(&DlgInfoGlobal, nullptr, nullptr);
        PCFWinPrefsDefaults();
        PCFErrorSoundReset();
        AutReset();
    }
    std::string Title(const DialogWords *d, const char *suffix = nullptr)
    {
        char t[600];
        PCFComposeTitle(d, suffix, t, sizeof t);
        return t;
    }
};

/* ---- titles ---- */

TEST_F(CommandDialog, TitlePartsInOrder)
{
    Location qm1("QM1"), qm2("QM2");
    DialogWords d = {};
    d.definition = &PCFQueueDef;
    EXPECT_EQ(Title(&d), "[] Queue");                    /* no tag: the brackets stand */
    strcpy(d.captionText, "tag");
    EXPECT_EQ(Title(&d), "[tag] Queue");
    PcfWinPrefs.captionTagsOff = 1;
    d.first.location = &qm1.q;
    EXPECT_EQ(Title(&d), "QM1/Queue");
    d.first.waiting = 1;
    d.markFlags |= DM_HTTP;
    EXPECT_EQ(Title(&d), "HTTP:QM1(waiting)/Queue");
    d.markFlags = 0;
    d.first.waiting = 0;
    strcpy(d.objectName, "APP.Q");
    int32_t depth = 5;
    ASSERT_EQ(SetWhereFilter(&d, 1, MQCFT_INTEGER_FILTER, MQIA_CURRENT_Q_DEPTH, MQCFOP_GREATER, &depth, 4), 0);
    d.instance = 2;
    d.refreshRate = 90;
    EXPECT_EQ(Title(&d, "!"), "QM1/Queue 'APP.Q' [WHERE Active]:2 (auto 1m 30s) !");
    PCFFreeWhereFilter(&d);
    d.instance = 1;
    d.refreshRate = 0;
    /* a 60-character name: its first 20 and "..." */
    std::string name(60, 'N');
    name.replace(0, 20, "ABCDEFGHIJKLMNOPQRST");
    snprintf(d.objectName, sizeof d.objectName, "%s", name.c_str());
    d.objectName[49] = 0;
    EXPECT_EQ(Title(&d), "QM1/Queue 'ABCDEFGHIJKLMNOPQRST...'");
    PcfWinPrefs.showObjectName = 0;
    EXPECT_EQ(Title(&d), "QM1/Queue");
    /* a second location, and a dialog spanning queue managers */
    d.second.location = &qm2.q;
    d.second.waiting = 1;
    EXPECT_EQ(Title(&d), "QM1-QM2(waiting)/Queue");
    d.second.location = nullptr;
    d.optionFlags |= DO_SEVERAL_QMGRS;
    EXPECT_EQ(Title(&d), "[Multi QMgr]/Queue");
    d.first.flags |= PCFLR_SELECTED;
    EXPECT_EQ(Title(&d), "QM1[Multi QMgr]/Queue");
}

TEST_F(CommandDialog, TitleOfAPairWithoutLocations)
{
    PCFCommandDef pair = Variant(PCFQueueListDef, PCFD_PAIR);
    DialogWords d = {};
    d.definition = &pair;
    PcfWinPrefs.captionTagsOff = 1;
    EXPECT_EQ(Title(&d), "(unknown)-(unknown)Queue List");
    PcfWinPrefs.diagnostics = 1;
    EXPECT_EQ(Title(&d), "(unknown)-(unknown)Queue List CmdLevel(0) PCFLIST(NULL) UserList(No) ");
    d.first.columns = pair.list->current;
    EXPECT_NE(Title(&d).find("CmdLevel(0) PCFLIST(GLOBAL) UserList("), std::string::npos);
    PCFLISTENTRY mine[2] = { { pair.list->current[0].field, 0 }, { nullptr, 0 } };
    d.first.columns = mine;
    EXPECT_EQ(Title(&d), "(unknown)-(unknown)Queue List CmdLevel(0) PCFLIST(LOCAL) UserList(No) ");
}

/* ---- status ---- */

TEST_F(CommandDialog, StatusTextsAndPrecedence)
{
    Location qm1("QM1");
    DialogWords d = {};
    d.definition = &PCFQueueDef;
    char out[800];
    PCFStatusText(&d, "done", &qm1.q, out, sizeof out);
    EXPECT_STREQ(out, "done");
    d.optionFlags |= DO_SEVERAL_QMGRS;
    PCFStatusText(&d, "done", &qm1.q, out, sizeof out);
    EXPECT_STREQ(out, "QM1:done");
    PCFStatusText(&d, "", &qm1.q, out, sizeof out);
    EXPECT_STREQ(out, "");
    std::string longText(900, 'x');
    PCFStatusText(&d, longText.c_str(), nullptr, out, sizeof out);
    EXPECT_EQ(strlen(out), 749u);
    /* a text with flag 32 stays against empty texts and flag 16; 128 against 64 */
    EXPECT_TRUE(PCFStatusKeeps(32, 0, ""));
    EXPECT_TRUE(PCFStatusKeeps(32, 16, "next"));
    EXPECT_FALSE(PCFStatusKeeps(32, 0, "next"));
    EXPECT_TRUE(PCFStatusKeeps(128, 64, "next"));
    EXPECT_FALSE(PCFStatusKeeps(128, 0, "next"));
    EXPECT_FALSE(PCFStatusKeeps(0, 64, ""));
}

TEST_F(CommandDialog, ErrorSoundAtMostOnceInTwoSeconds)
{
    EXPECT_TRUE(PCFErrorSoundDue(1000));
    EXPECT_FALSE(PCFErrorSoundDue(1000));
    EXPECT_FALSE(PCFErrorSoundDue(1001));
    EXPECT_TRUE(PCFErrorSoundDue(1002));
    EXPECT_FALSE(PCFErrorSoundDue(1003));
}

/* ---- profile ---- */

TEST_F(CommandDialog, DialogRecordsByTitleAndPlace)
{
    Location qm1("QM1");
    PCFCommandDef named = PCFQueueDef;
    std::string t39(39, 'T'), t40(40, 'T');
    named.title = t39.c_str();
    DLGINFO *info = PCFGetDlgInfo(&named, &qm1.q);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->optA, (uint32_t)(DLGA_FIELDS | DLGA_BUTTONS));
    EXPECT_EQ(info->optB, (uint32_t)DLGB_TL);
    EXPECT_EQ(PCFGetDlgInfo(&named, &qm1.q), info);
    EXPECT_EQ(CSTreeFirst(qm1.q.dialogs), &info->tree);
    named.title = t40.c_str();
    EXPECT_EQ(PCFGetDlgInfo(&named, &qm1.q), nullptr);
    EXPECT_EQ(Errors, std::vector<std::string>({ "PCFGetDialogProfile: Name too large" }));
    /* the Message List is program-wide; a list kind gets the automatic title mode */
    DLGINFO *messages = PCFGetDlgInfo(&PCFMessageListDef, &qm1.q);
    ASSERT_NE(messages, nullptr);
    EXPECT_EQ(CSTreeFirst(DlgInfoGlobal), &messages->tree);
    EXPECT_EQ(messages->optA & DF_TITLE_MODES, (uint32_t)DLGA_TAUTO);
    EXPECT_EQ(messages->optA & (DLGA_FIELDS | DLGA_BUTTONS), 0u);
}

TEST_F(CommandDialog, ProfileOfTheFirstAndSecondInstance)
{
    Location qm1("QM1");
    DLGINFO *info = PCFGetDlgInfo(&PCFQueueDef, &qm1.q);
    info->optA |= DLGA_POSSAVED | DLGA_SIZESAVED | DLGA_INITREFRESH | DLGA_TSHORT;
    info->x = 11, info->y = 12, info->cx = 300, info->cy = 200;
    info->refresh = 60;
    info->optB |= DLGB_NOSYS;
    info->ds3 = 0x5;
    Open a(&PCFQueueDef, &qm1.q), b(&PCFQueueDef, &qm1.q);
    PCFGetDialogProfile(a.d);
    PCFGetDialogProfile(b.d);
    EXPECT_EQ(a->instance, 1u);
    EXPECT_EQ(b->instance, 2u);
    EXPECT_EQ(a->dlgInfo, info);
    EXPECT_TRUE(a->markFlags & DM_POS_SET);
    EXPECT_EQ(a->placement[0][0], 11);
    EXPECT_EQ(a->refreshRate, 60u);
    EXPECT_FALSE(b->markFlags & DM_POS_SET);
    EXPECT_EQ(b->refreshRate, 0u);
    EXPECT_TRUE(b->markFlags & DM_SIZE_SET);
    EXPECT_EQ(b->placement[0][2], 300);
    for (DialogWords *d : { a.d, b.d }) {
        EXPECT_TRUE(d->stateFlags & DF_TITLE_SHORT);
        EXPECT_TRUE(d->stateFlags & DF_REFRESH_AT_OPEN);
        EXPECT_TRUE(d->stateFlags & (DF_SHOW_FIELDS | DF_SHOW_BUTTONS));
        EXPECT_TRUE(d->optionFlags & DO_HIDE_SYSTEM);
        EXPECT_TRUE(d->optionFlags & DO_TOOLBAR);
        EXPECT_EQ(d->displayFlags, 5u);
    }
    /* without remembered positions nothing is taken */
    PcfWinPrefs.rememberPositions = PcfWinPrefs.rememberSizes = 0;
    Open c(&PCFQueueDef, &qm1.q);
    PCFGetDialogProfile(c.d);
    EXPECT_EQ(c->instance, 3u);
    EXPECT_FALSE(c->markFlags & (DM_POS_SET | DM_SIZE_SET));
    /* a background dialog keeps no record */
    Open e(&PCFQueueDef, &qm1.q);
    e->optionFlags |= DO_BACKGROUND;
    PCFGetDialogProfile(e.d);
    EXPECT_EQ(e->dlgInfo, nullptr);
    EXPECT_EQ(e->instance, 0u);
}

TEST_F(CommandDialog, SavedDialogOverridesAndUnsetValues)
{
    Location qm1("QM1");
    DLGINFO *info = PCFGetDlgInfo(&PCFQueueListDef, &qm1.q);
    info->optA |= DLGA_POSSAVED | DLGA_FILTER | DLGA_INITREFRESH;
    info->x = 5, info->y = 6;
    info->refresh = 30;
    SAVEDDIALOG saved = {};
    saved.type = 1;
    saved.st.x = PD_UNSET, saved.st.y = 40, saved.st.cx = 500, saved.st.cy = 400;
    saved.st.flags = PDF_BUTTONS | PDF_TL;
    saved.st.refresh = 120;
    saved.st.ds3 = 0x7F;
    {
        Open a(&PCFQueueListDef, &qm1.q, &saved);
        EXPECT_EQ(saved.openDialog, a.d);
        PCFGetDialogProfile(a.d);
        /* the saved position is unset: the record's is taken; the size is the saved one */
        EXPECT_EQ(a->placement[0][0], 5);
        EXPECT_EQ(a->placement[0][2], 500);
        EXPECT_EQ(a->refreshRate, 120u);
        EXPECT_TRUE(a->stateFlags & DF_SHOW_BUTTONS);
        EXPECT_FALSE(a->stateFlags & (DF_SHOW_FILTER | DF_REFRESH_AT_OPEN | DF_SHOW_FIELDS));
        EXPECT_TRUE(a->optionFlags & DO_TOOLBAR);
        EXPECT_EQ(a->displayFlags & 0x3F, 0x3Fu);
        EXPECT_NE(a->first.columns, nullptr);
        EXPECT_EQ(a->globalInfo, PCFGetDlgInfo(&PCFQueueListDef, nullptr));
    }
    EXPECT_EQ(saved.openDialog, nullptr);
    /* two monitors at start-up: the second pair of the saved values */
    PCFSetMonitors(2, 2);
    saved.st.x2 = 1700, saved.st.y2 = 20, saved.st.cx2 = PD_UNSET, saved.st.cy2 = 300;
    Open b(&PCFQueueListDef, &qm1.q, &saved);
    PCFGetDialogProfile(b.d);
    EXPECT_EQ(b->placement[1][0], 1700);
    EXPECT_FALSE(b->markFlags & DM_SIZE_SET);
}

TEST_F(CommandDialog, DefaultSizes)
{
    DialogWords d = {};
    d.definition = &PCFQueueDef;
    d.charWidth = 10, d.lineHeight = 16, d.margin = 8;
    d.buttonRowWidth = 400, d.buttonHeight = 24, d.paneWidth = 600, d.paneHeight = 300;
    d.stateFlags = DF_SHOW_BUTTONS | DF_SHOW_FIELDS;
    GetDialogSize(&d, 1600, 1000);
    EXPECT_EQ(d.placement[0][2], 608);
    EXPECT_EQ(d.placement[0][3], 24 + 300 + 40);
    EXPECT_TRUE(d.markFlags & DM_SIZE_SET);
    d.stateFlags = DF_SHOW_FIELDS;
    GetDialogSize(&d, 1600, 1000);
    EXPECT_EQ(d.placement[0][3], 8 + 300 + 40);
    /* a hidden field pane takes no height */
    d.stateFlags = 0;
    GetDialogSize(&d, 1600, 1000);
    EXPECT_EQ(d.placement[0][3], 8 + 40);
    d.stateFlags = DF_SHOW_FIELDS;
    /* at most three quarters of the work area */
    d.paneHeight = 2000;
    GetDialogSize(&d, 1600, 1000);
    EXPECT_EQ(d.placement[0][3], 750);
    /* a message dialog is at least half the work area */
    d.definition = &PCFMessageDef;
    d.paneWidth = 10, d.paneHeight = 10, d.buttonRowWidth = 10;
    GetDialogSize(&d, 1600, 1000);
    EXPECT_EQ(d.placement[0][2], 800);
    EXPECT_EQ(d.placement[0][3], 500);
    /* a list dialog: 15 more lines and the width of its columns */
    d.definition = &PCFQueueListDef;
    GetDialogSize(&d, 4000, 4000);
    int columns = 0;
    for (const PCFLISTENTRY *c = PCFQueueListDef.list->current; c->field; c++)
        columns++;
    EXPECT_GT(d.placement[0][2], columns * 10);
    EXPECT_EQ(d.placement[0][3], 8 + 10 + 40 + 15 * 16);
}

TEST_F(CommandDialog, PlacementSlotsStopWhenTheMonitorsChange)
{
    int32_t slots[2][4] = {};
    PCFSetMonitors(2, 2);
    EXPECT_EQ(PCFPlacementSlot(), 1);
    EXPECT_TRUE(PCFSetPlacementPos(slots, 10, 20));
    EXPECT_EQ(slots[1][0], 10);
    EXPECT_EQ(slots[0][0], 0);
    PCFNoteMonitors(1);
    EXPECT_FALSE(PCFSetPlacementPos(slots, 30, 40));
    EXPECT_TRUE(PCFPlacementChanged());
    PCFNoteMonitors(2);
    EXPECT_FALSE(PCFSetPlacementSize(slots, 500, 400));
    EXPECT_EQ(slots[1][0], 10);
    EXPECT_EQ(slots[1][2], 0);
    PcfWinPrefs.alwaysPlace = 1;
    EXPECT_TRUE(PCFSetPlacementSize(slots, 500, 400));
    int32_t cx, cy;
    PCFPlacementSize(slots, &cx, &cy);
    EXPECT_EQ(cx, 500);
    EXPECT_EQ(cy, 400);
}

/* ---- menu table, labels, view commands ---- */

static std::vector<int32_t> Applying(const DialogWords *d, const PCFCommandDef *def, int extra)
{
    std::vector<int32_t> ids;
    for (const PCFMENUROW &r : PCFDialogMenu)
        if (r.id > 0 && PCFButtonApplies(d, def, extra, &r))
            ids.push_back(r.id);
    return ids;
}

static bool Has(const std::vector<int32_t> &ids, int32_t id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

TEST_F(CommandDialog, MenuTableRowsByDefinition)
{
    EXPECT_EQ(PCFDialogMenu[0].id, 864);
    EXPECT_EQ(PCFDialogMenu[PCFM_ROWS - 2].id, 832);
    DialogWords d = {};
    /* an object dialog: no list items, no export of a 0x40 definition */
    std::vector<int32_t> queue = Applying(&d, &PCFQueueDef, 1);
    EXPECT_EQ(queue, std::vector<int32_t>({ 504, 735, 736, 657, 501, 754 }));
    EXPECT_FALSE(Has(Applying(&d, &PCFQueueDef, 0), 735));
    std::vector<int32_t> message = Applying(&d, &PCFMessageDef, 0);
    EXPECT_FALSE(Has(message, 657));
    EXPECT_FALSE(Has(message, 504));
    EXPECT_TRUE(Has(message, 502));       /* definition flag 0x40 */
    /* list dialogs: Hide System Objects not with definition flag 0x2 */
    std::vector<int32_t> queues = Applying(&d, &PCFQueueListDef, 1);
    for (int32_t id : { 505, 684, 748, 796, 503, 961, 780, 789, 610, 613, 502 })
        EXPECT_TRUE(Has(queues, id)) << id;
    EXPECT_FALSE(Has(queues, 706));
    EXPECT_FALSE(Has(queues, 696));
    EXPECT_FALSE(Has(queues, 864));
    EXPECT_FALSE(Has(Applying(&d, &PCFMessageListDef, 0), 748));
    /* pair rows only for two queue managers; group and saved rows */
    PCFCommandDef pair = Variant(PCFQueueListDef, PCFD_PAIR);
    std::vector<int32_t> pairs = Applying(&d, &pair, 0);
    for (int32_t id : { 706, 712, 711, 707, 710, 867 })
        EXPECT_TRUE(Has(pairs, id)) << id;
    EXPECT_FALSE(Has(pairs, 748) && Has(Applying(&d, &PCFQueueDef, 0), 706));
    SAVEDDIALOG saved = {};
    d.saved = &saved;
    EXPECT_TRUE(Has(Applying(&d, &PCFQueueListDef, 0), 696));
    EXPECT_FALSE(Has(Applying(&d, &PCFQueueDef, 0), 696));
    EXPECT_FALSE(Has(Applying(&d, &PCFQueueListDef, 0), 832));
    saved.gtype = 1;
    EXPECT_TRUE(Has(Applying(&d, &PCFQueueListDef, 0), 832));
    /* a row the authorities refuse */
    AutAddMenuRestriction(505);
    EXPECT_FALSE(Has(Applying(&d, &PCFQueueListDef, 0), 505));
}

TEST_F(CommandDialog, LabelsOfButtonsAndMenuItems)
{
    DialogWords d = {};
    d.definition = &PCFMessageListDef;
    const PCFActionDef *copy = PCFFindActionDef(PCFMessageListDef.actions, 597);
    ASSERT_STREQ(copy->text, "?8:&Copy All:&Copy");
    char buffer[80];
    EXPECT_STREQ(PCFButtonText(&d, copy, buffer, sizeof buffer), "&Copy");
    d.viewOptions = 0x8;
    EXPECT_STREQ(PCFButtonText(&d, copy, buffer, sizeof buffer), "&Copy All");
    const PCFActionDef *refresh = PCFFindActionDef(PCFMessageListDef.actions, 1);
    EXPECT_STREQ(PCFButtonText(&d, refresh, buffer, sizeof buffer), "&Refresh");
    d.viewOptions = DV_SEVERAL;
    EXPECT_STREQ(PCFButtonText(&d, refresh, buffer, sizeof buffer), "&Refresh All");
    /* put contexts */
    const PCFActionDef *add = PCFFindActionDef(PCFMessageDef.actions, 941);
    struct { uint32_t context; const char *add, *update; } rows[] = {
        { 2048, "Add : (Set All)", "Update : (Set All)" }, { 32, "Add : (Default)", "Update : (Default)" },
        { 1024, "Add : (Set Identity)", "Update : (Set Identity)" },
        { 512, "Add : (Unknown)", "Update : (Pass All)" }, { 7, "Add : (Unknown)", "Update : (Unknown)" },
    };
    for (auto &r : rows) {
        d.addContext = d.updateContext = r.context;
        EXPECT_STREQ(PCFContextMenuText(&d, 941), r.add);
        EXPECT_STREQ(PCFContextMenuText(&d, 946), r.update);
    }
    EXPECT_STREQ(PCFButtonText(&d, add, buffer, sizeof buffer), "Add : (Unknown)");
    EXPECT_STREQ(PCFContextMenuText(&d, 1), "Unknown");
    /* show and hide texts */
    d.definition = &PCFQueueListDef;
    d.stateFlags = DF_SHOW_BUTTONS;
    EXPECT_STREQ(PCFShowHideText(&d, 501), "Hide Buttons");
    EXPECT_STREQ(PCFShowHideText(&d, 502), "Show Fields");
    EXPECT_STREQ(PCFShowHideText(&d, 503), "Show Filter");
    EXPECT_STREQ(PCFShowHideText(&d, 754), "Show Toolbar");
    EXPECT_STREQ(PCFShowHideText(&d, 961), "Hide Column Filters");
    EXPECT_STREQ(PCFShowHideText(&d, 780), "Show Queue Manager List");
    d.definition = &PCFQueueDef;
    EXPECT_EQ(PCFShowHideText(&d, 503), nullptr);
    EXPECT_EQ(PCFShowHideText(&d, 780), nullptr);
    /* buttons are at least 6 character widths */
    EXPECT_EQ(PCFButtonWidth(10, 8), 48);
    EXPECT_EQ(PCFButtonWidth(100, 8), 116);
}

TEST_F(CommandDialog, ViewCommandsAndCheckMarks)
{
    uint32_t view = 0xF0000 | 0x10, numeric[2] = { 1, 1 };
    EXPECT_TRUE(PCFViewApply(&view, numeric, 707, 0, 1));
    EXPECT_EQ(view & 0xF0000, 0x10000u);
    EXPECT_EQ(view & 0x10, 0x10u);
    view |= 0xF0000;
    EXPECT_TRUE(PCFViewApply(&view, numeric, 707, 1, 1));
    EXPECT_EQ(view & 0xF0000, 0xE0000u);
    PCFViewApply(&view, numeric, 711, 0, 1);
    EXPECT_EQ(view & 0xF0000, 0xF0000u);
    view = 0;
    PCFViewApply(&view, numeric, 735, 0, 1);
    EXPECT_EQ(view, 0x400000u);
    PCFViewApply(&view, numeric, 735, 0, 0);
    EXPECT_EQ(view, 0x500000u);
    PCFViewApply(&view, numeric, 602, 0, 0);
    EXPECT_EQ(view & 0xF, 0x4u);
    PCFViewApply(&view, numeric, 604, 0, 0);
    EXPECT_EQ(view & 0xF, 0xBu);
    PCFViewApply(&view, numeric, 954, 0, 0);
    EXPECT_EQ(view & 0xF00, 0x800u);
    PCFViewApply(&view, numeric, 948, 0, 0);
    EXPECT_EQ(numeric[1], 512u);
    PCFViewApply(&view, numeric, 951, 0, 0);
    EXPECT_EQ(numeric[1], PcfWinPrefs.numericWords[1]);
    EXPECT_FALSE(PCFViewApply(&view, numeric, 999, 0, 0));
    EXPECT_TRUE(PCFIsViewCommand(892));
    DialogWords d = {};
    d.definition = &PCFQueueListDef;
    EXPECT_EQ(PCFViewCheck(&d, 617), 1);
    EXPECT_EQ(PCFViewCheck(&d, 600), 0);
    d.viewOptions = 0x40 | 0x10 | 0x2000;
    EXPECT_EQ(PCFViewCheck(&d, 617), 0);
    EXPECT_EQ(PCFViewCheck(&d, 600), 1);
    EXPECT_EQ(PCFViewCheck(&d, 697), 0);
    EXPECT_EQ(PCFViewCheck(&d, 892), 1);
    d.numericWords[0] = 1024;
    EXPECT_EQ(PCFViewCheck(&d, 943), 1);
    EXPECT_EQ(PCFViewCheck(&d, 942), 0);
    d.stateFlags = DF_TITLE_SHORT;
    EXPECT_EQ(PCFViewCheck(&d, 612), 1);
    EXPECT_EQ(PCFViewCheck(&d, 610), 0);
    EXPECT_EQ(PCFViewCheck(&d, 1), -1);
}

/* ---- the instance ---- */

static int Busy;
static int DropCommands(void *, DialogWords *) { return Busy; }

TEST_F(CommandDialog, FreedWhenItsLastCommandIsDone)
{
    int64_t before = Blocks();
    PCFHOOKS h = {};
    h.dropCommands = DropCommands;
    PCFSetHooks(&h);
    Location qm1("QM1");
    DialogWords t = {};
    t.definition = &PCFQueueDef;
    t.first.location = &qm1.q;
    t.window = (void *)0x1234;
    DialogWords *slot = nullptr;
    t.ownerSlot = &slot;
    DialogWords *d = GetDialogWords(&t, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(slot, d);
    EXPECT_EQ(PCFOpenDialogs, d);
    d->dataArea = PCFNewData(&PCFQueueDef, "Dialog Data Area");
    Busy = 1;
    EXPECT_EQ(FreeDialogWords(d), 0);
    EXPECT_EQ(d->closePending, 1u);
    EXPECT_EQ(d->window, nullptr);
    EXPECT_TRUE(d->stateFlags & DF_CLOSING);
    /* walks pass over it, and a reply posts to nothing */
    int seen = 0;
    PCFForEachDialog([](DialogWords *, void *ctx) { ++*(int *)ctx; return 0; }, &seen);
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(MarkDialogsStale(nullptr, 13, 0, 0, 0), 0);
    EXPECT_EQ(PCFRefreshObjectDialogs(&qm1.q, &PCFQueueDef, 0, 13, 2016, "Q", 100), 0);
    /* still being processed: kept */
    EXPECT_EQ(PCFReleaseClosing(d), 0);
    Busy = 0;
    EXPECT_EQ(PCFReleaseClosing(d), 1);
    EXPECT_EQ(PCFOpenDialogs, nullptr);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(Blocks(), before);
    /* an instance not on the list is left alone */
    DialogWords stray = {};
    EXPECT_EQ(PCFReleaseClosing(&stray), 0);
}

TEST_F(CommandDialog, RenumberingAndTheFilterMark)
{
    Location qm1("QM1");
    Open a(&PCFQueueDef, &qm1.q), b(&PCFQueueDef, &qm1.q), c(&PCFQueueDef, &qm1.q);
    for (DialogWords *d : { a.d, b.d, c.d })
        PCFGetDialogProfile(d);
    EXPECT_EQ(c->instance, 3u);
    std::vector<DialogWords *> retitled;
    static std::vector<DialogWords *> *seen;
    seen = &retitled;
    b->stateFlags |= DF_CLOSING;
    PCFRenumberSharing(b.d, [](DialogWords *d) { seen->push_back(d); });
    EXPECT_EQ(c->instance, 2u);
    EXPECT_EQ(a->instance, 1u);
    EXPECT_EQ(retitled, std::vector<DialogWords *>({ c.d }));
    /* the program-wide count of filter-marked dialogs */
    int32_t marks = PCFFilterMarkedCount();
    DialogWords t = {};
    t.definition = &PCFQueueDef;
    t.stateFlags = DF_FILTER_MARKED;
    DialogWords *m = GetDialogWords(&t, 0);
    EXPECT_EQ(PCFFilterMarkedCount(), marks + 1);
    FreeDialogWords(m);
    EXPECT_EQ(PCFFilterMarkedCount(), marks);
}

}  // namespace
