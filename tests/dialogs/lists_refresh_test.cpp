/* Auto refresh (due times in a pinned time zone, the dialog's texts and
 * up-down steps), the once-a-second checks with an injected clock,
 * "Change List Contents"' list building and hand-over, and the records
 * of a list over several queue managers. */
#include "listtest.h"

#include "csdate.h"
#include "locstore.h"
#include "mq/mqown.h"
#include "mqehooks.h"

using namespace listtest;

namespace {

/* One hour east of UTC, no daylight saving. */
int OneHourEast(int64_t, CSZoneInfo *z)
{
    z->offset = z->standardOffset = 3600;
    z->isDst = 0;
    return 1;
}

int64_t Clock;
int64_t TestClock(void)
{
    return Clock;
}

/* 2025-03-10 12:03:20 UTC. */
const int64_t Monday = 1741608200;

struct Refresh : Lists {
    void SetUp() override
    {
        Lists::SetUp();
        CSSetTimeZoneProc(OneHourEast);
        Clock = Monday;
        PCFClock = TestClock;
    }
    void TearDown() override
    {
        CSSetTimeZoneProc(nullptr);
        Lists::TearDown();
    }
};

TEST_F(Refresh, DueTimesAlignedToTheLocalDay)
{
    int aligned = 0;
    /* every 15 minutes from 00:05:00 local: 13:03:20 local is followed by 13:05:00 */
    int64_t next = PCFNextRefreshTime(Monday, 900, 300, &aligned);
    EXPECT_TRUE(aligned);
    EXPECT_EQ(next, Monday + 100);
    /* from a due time the next one is a full period on */
    Clock = next;
    EXPECT_EQ(PCFNextRefreshTime(next, 900, 300, nullptr), next + 900);
    Clock = Monday;
    /* unaligned: the last time plus the rate, never in the past */
    EXPECT_EQ(PCFNextRefreshTime(Monday, 60, -1, nullptr), Monday + 60);
    EXPECT_EQ(PCFNextRefreshTime(Monday - 3600, 60, -1, nullptr), Monday + 60);
    /* a rate that does not divide a day cannot be aligned */
    EXPECT_EQ(PCFNextRefreshTime(Monday, 7, 300, &aligned), Monday + 7);
    EXPECT_FALSE(aligned);
}

TEST_F(Refresh, TextsOfTheRateDialog)
{
    char text[64];
    PCFFmtAlignTime(900, 300, text, sizeof text);
    EXPECT_STREQ(text, "00:05:00");
    int32_t back = 0;
    ASSERT_TRUE(PCFParseAlignment(text, &back));
    EXPECT_EQ(back, 300);
    PCFFmtAlignTime(7, 300, text, sizeof text);
    EXPECT_STREQ(text, "Unavailable");
    EXPECT_FALSE(PCFParseAlignment(text, &back));
    PCFFmtAlignTime(900, -1, text, sizeof text);
    EXPECT_STREQ(text, "None");
    ASSERT_TRUE(PCFParseAlignment(text, &back));
    EXPECT_EQ(back, -1);
    ASSERT_TRUE(PCFParseAlignment("25:00:00", &back));   /* past a day wraps */
    EXPECT_EQ(back, 3600);
    /* rates */
    EXPECT_EQ(PCFParseRate("5 Min"), 300);
    EXPECT_EQ(PCFParseRate("1 Hr 30 Min"), 5400);
    EXPECT_EQ(PCFParseRate(""), 0);
    EXPECT_EQ(PCFParseRate("soon"), -1);
    PCFFmtRate(0, text, sizeof text);
    EXPECT_STREQ(text, "0");
    /* due times: the time alone today, the day and date otherwise */
    PCFFmtRefreshTime(Monday + 100, 0, text, sizeof text);
    EXPECT_STREQ(text, "13:05");
    PCFFmtRefreshTime(Monday + 101, 0, text, sizeof text);
    EXPECT_STREQ(text, "13:05:01");
    PCFFmtRefreshTime(Monday + 86400, 1, text, sizeof text);
    EXPECT_STREQ(text, "Mar 11 13:03:20");
}

TEST_F(Refresh, UpDownSteps)
{
    struct Step {
        uint32_t from;
        int up;
        uint32_t to;
    } rates[] = { { 0, 1, 10 },      { 10, 1, 20 },     { 55, 1, 60 },       { 60, 1, 120 },  { 590, 1, 600 },
                  { 600, 1, 1200 },  { 3600, 1, 7200 }, { 86400, 1, 172800 }, { 10, 0, 9 },   { 60, 0, 50 },
                  { 11, 0, 0 },      { 1200, 0, 600 },   { 1, 0, 0 },         { 0, 0, 0 } };
    for (const Step &s : rates)
        EXPECT_EQ(PCFRateStep(s.from, s.up), s.to) << s.from << (s.up ? " up" : " down");
    EXPECT_EQ(PCFAlignStep(900, -1, 1), 0);              /* from "None" up to midnight */
    EXPECT_EQ(PCFAlignStep(900, 0, 0), -1);              /* and down to "None" again */
    EXPECT_EQ(PCFAlignStep(900, 300, 1), 600);
    EXPECT_EQ(PCFAlignStep(900, 310, 1), 600);           /* snapped to the step */
    EXPECT_EQ(PCFAlignStep(60, 50, 1), 60);
    EXPECT_EQ(PCFAlignStep(3600, 86000, 1), 86400);      /* never past a day */
}

/* What the checks asked of the windows. */
struct Asked {
    std::vector<DialogWords *> refreshed, rebuilt, shown;
    static void Refresh(void *c, DialogWords *d) { ((Asked *)c)->refreshed.push_back(d); }
    static void Rebuild(void *c, DialogWords *d) { ((Asked *)c)->rebuilt.push_back(d); }
    static void Show(void *c, DialogWords *d) { ((Asked *)c)->shown.push_back(d); }
    PCFCHECKHOOKS Hooks() { return { this, Refresh, Rebuild, nullptr, nullptr, Show }; }
};

TEST_F(Refresh, ChecksFireRefreshesAndReportSilentQueueManagers)
{
    QMS qm = {};
    snprintf(qm.qmName, sizeof qm.qmName, "QMSLOW");
    DialogWords *d = Open(&PCFQueueListDef, &qm);
    ASSERT_NE(d, nullptr);
    Reply reply(MQCMD_INQUIRE_Q);
    Feed(d, Queue(reply, "APP.A", 1));
    Asked asked;
    PCFCHECKHOOKS hooks = asked.Hooks();
    /* an auto refresh falls due */
    d->refreshRate = 60;
    d->refreshAlign = -1;
    d->refreshLast = Monday;
    PCFInitAutoRefresh(d);
    PCFCheckResponses(Monday + 59, &hooks);
    EXPECT_TRUE(asked.refreshed.empty());
    PCFCheckResponses(Monday + 60, &hooks);
    ASSERT_EQ(asked.refreshed.size(), 1u);
    EXPECT_EQ(d->refreshNext, Monday + 120);
    EXPECT_TRUE(d->stateFlags & DF_REFRESH_DUE);
    d->refreshRate = 0;
    /* marked stale (what it lists has changed): refreshed at the next check */
    EXPECT_EQ(MarkDialogsStale(&qm, MQCMD_INQUIRE_Q, 0, 1, 0), 1);
    PCFCheckResponses(Monday + 60, &hooks);
    EXPECT_EQ(asked.refreshed.size(), 2u);
    EXPECT_FALSE(d->stateFlags & DF_STALE);
    /* the engine's own sink marks the lists of the event console's command alone */
    static const PCFActionDef consoleActions[] = {
        { 0, 0, 0, MYCMD_INQUIRE_CONSOLE, 1, nullptr, "&Refresh", 0x10001, 0, nullptr, nullptr, nullptr, nullptr }, {} };
    PCFCommandDef consoleList = PCFQueueListDef;
    consoleList.actions = consoleActions;
    DialogWords *events = Open(&consoleList);
    MQEResetHooks();
    MQEHooks.markStale(MYCMD_INQUIRE_CONSOLE);
    EXPECT_TRUE(events->stateFlags & DF_STALE);
    EXPECT_FALSE(d->stateFlags & DF_STALE);
    Close(events);
    /* the list request goes unanswered: reported once, its rows dropped */
    d->markFlags |= DM_WAITING;
    d->requestSent = Monday;
    d->first.state |= PCFLR_OUTSTANDING;
    d->first.lastRequest = Monday;
    rec.statuses.clear();
    PCFCheckResponses(Monday + 30, &hooks);              /* within the minute */
    EXPECT_TRUE(rec.statuses.empty());
    PCFCheckResponses(Monday + 61, &hooks);
    PCFCheckResponses(Monday + 62, &hooks);
    EXPECT_EQ(rec.statuses, std::vector<std::string>({ "Queue Manager 'QMSLOW' not responding" }));
    EXPECT_TRUE(d->first.flags & PCFLR_SILENT);
    EXPECT_EQ(d->first.replyArea, nullptr);
    EXPECT_EQ(asked.rebuilt.size(), 1u);              /* the rows went once */
    /* a background dialog waits the configured time-out */
    d->first.flags &= ~(uint32_t)(PCFLR_SILENT | PCFLR_REPORTED);
    d->optionFlags |= DO_BACKGROUND;
    d->requestSent = Monday + 100;
    d->first.lastRequest = Monday + 100;
    rec.statuses.clear();
    PCFCheckResponses(Monday + 111, &hooks);
    EXPECT_EQ(rec.statuses.size(), 1u);
    d->markFlags &= ~(uint32_t)DM_WAITING;
    d->optionFlags &= ~(uint32_t)DO_BACKGROUND;
    /* a command never answered: reported once */
    rec.statuses.clear();
    d->markFlags |= DM_REQUEST_SENT;
    d->requestSent = Monday + 200;
    PCFCheckResponses(Monday + 205, &hooks);
    PCFCheckResponses(Monday + 206, &hooks);
    PCFCheckResponses(Monday + 207, &hooks);
    EXPECT_EQ(rec.statuses, std::vector<std::string>({ "No response from Command Server" }));
    EXPECT_EQ(asked.shown.size(), 1u);
}

/* ---- Change List Contents ---- */

PCFFieldDef Def(const char *title, uint32_t id, int16_t type)
{
    PCFFieldDef f = {};
    f.title = title;
    f.shortTitle = title;
    f.attrId = id;
    f.type = type;
    f.maximum = 48;
    return f;
}

/* A definition whose default list keeps 40 key columns and offers an
 * alteration date-time column made of its date and time. */
struct Wide {
    std::vector<PCFFieldDef> keys;
    PCFFieldDef name = Def("Name", MQCA_Q_NAME, PCFT_NAME), depth = Def("Depth", MQIA_CURRENT_Q_DEPTH, PCFT_INT),
                date = Def("Alteration Date", 2027, PCFT_STRING), time = Def("Alteration Time", 2028, PCFT_STRING),
                when = Def("Altered", 10217, PCFT_DATETIME);
    std::vector<PCFFieldEntry> entries;
    std::vector<PCFLISTENTRY> defaults;
    PCFListDef list = {};
    PCFCommandDef def = {};
    Wide()
    {
        keys.reserve(40);
        for (int i = 0; i < 40; i++)
            keys.push_back(Def("Key", 30000 + (uint32_t)i, PCFT_INT));
        for (const PCFFieldDef *f : { &name, &depth, &date, &time, &when })
            entries.push_back({ 0, 0, 0, nullptr, f, 0, 0, nullptr, 0xFFFFFFFF, 0 });
        for (const PCFFieldDef &k : keys)
            entries.push_back({ 0, 0, 0, nullptr, &k, 0, 0, nullptr, 0xFFFFFFFF, 0 });
        entries.push_back({ 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 });
        defaults.push_back({ &name, PCFL_USER | PCFL_KEEP });
        for (const PCFFieldDef &k : keys)
            defaults.push_back({ &k, PCFL_KEEP });
        defaults.push_back({ nullptr, 0 });
        list = { defaults.data(), defaults.data(), 0, 1 };
        def = PCFQueueListDef;
        def.title = "Wide List";
        def.fields = def.detail = entries.data();
        def.list = &list;
        def.flags &= ~(uint32_t)PCFD_QMLIST;
    }
};

struct Alter : Lists {};

TEST_F(Alter, ApplyCountsEverythingItAppendsAndNeverFreesATakenList)
{
    Wide w;
    QMS qm = {};
    snprintf(qm.qmName, sizeof qm.qmName, "QMWIDE");
    DialogWords *a = Open(&w.def, &qm), *b = Open(&w.def, &qm);
    ASSERT_TRUE(a && b);
    DLGINFO *info = PCFGetDlgInfo(&w.def, &qm);
    ASSERT_NE(info, nullptr);
    a->dlgInfo = b->dlgInfo = info;
    CHGLIST c = {};
    c.dialog = a;
    c.definition = &w.def;
    c.base = w.defaults.data();
    c.caps = AllCaps;
    const PCFFieldDef *chosen[] = { &w.when, &w.depth, &w.name };
    /* Reset before any Apply has nothing of the window's to drop: a sort
       chosen on the list meanwhile stays */
    PCFLISTENTRY *sorted = PCFCopyColumns(w.defaults.data(), 0);
    ASSERT_NE(sorted, nullptr);
    sorted[0].flags |= PCFL_SORT1;
    a->first.columns = sorted;
    a->first.ownsColumns = 1;
    newLists = 0;
    PCFAlterListReset(&c);
    EXPECT_EQ(newLists, 0);
    EXPECT_EQ(PCFDialogColumns(a), sorted);
    for (int round = 0; round < 2; round++) {
        newLists = 0;
        ASSERT_EQ(PCFAlterListApply(&c, chosen, 3, &w.depth, 1, &w.name, 0), round == 0);
        if (round == 1) {
            EXPECT_EQ(newLists, 0);                   /* the same choice again changes nothing */
            break;
        }
        EXPECT_EQ(newLists, 2);
        for (DialogWords *d : { a, b }) {
            PCFLISTENTRY *cols = PCFDialogColumns(d);
            ASSERT_NE(cols, nullptr);
            /* chosen three, 40 keys, then the date and time behind "Altered" */
            EXPECT_EQ(PCFColumnCount(cols), 3 + 40 + 2);
            EXPECT_EQ(cols[Column(d, MQIA_CURRENT_Q_DEPTH)].flags & PCFL_SORTMARKS, PCFL_SORT1 | PCFL_DESCEND);
            EXPECT_EQ(cols[Column(d, MQCA_Q_NAME)].flags & PCFL_SORTMARKS, (uint32_t)PCFL_SORT2);
            EXPECT_GE(Column(d, 2027), 0);
            EXPECT_GE(Column(d, 2028), 0);
        }
        /* laid out too narrow, the list marks a title cut; OK with the
           same choice hands nothing on all the same */
        c.base = PCFDialogColumns(a);
        Reply r(MQCMD_INQUIRE_Q);
        Queue(r, "Q", 1);
        Feed(a, r);
        Build(a);
        PCFLayoutColumns(a, 10, 0);
        uint32_t marks = 0;
        for (int i = 0; c.base[i].field; i++)
            marks |= c.base[i].flags;
        ASSERT_TRUE(marks & PCFL_CUT);
    }
    /* both dialogs sort and lay out their rows on the list they were given */
    for (DialogWords *d : { a, b }) {
        Reply r(MQCMD_INQUIRE_Q);
        Queue(r, "Q.LOW", 1);
        Queue(r, "Q.HIGH", 9);
        Feed(d, r);
        Build(d);
        EXPECT_EQ(Shown(d, MQIA_CURRENT_Q_DEPTH), std::vector<std::string>({ "9", "1" }));
        EXPECT_GT(PCFLayoutColumns(d, 400, 0), 0);
    }
    /* Reset brings the base back; the lists the dialogs hold stay theirs */
    c.base = w.defaults.data();
    PCFAlterListReset(&c);
    for (DialogWords *d : { a, b })
        EXPECT_EQ(PCFColumnCount(PCFDialogColumns(d)), 41);
    Close(a);
    Close(b);
    CSTreeFree(&qm.dialogs, FreeInfo, nullptr);
}

TEST_F(Alter, SameSortColumnTwiceGivesNoSecondary)
{
    Wide w;
    CHGLIST c = {};
    c.definition = &w.def;
    c.base = w.defaults.data();
    c.caps = AllCaps;
    const PCFFieldDef *chosen[] = { &w.name, &w.depth };
    PCFLISTENTRY *list = PCFAlterBuild(&c, chosen, 2, &w.depth, 0, &w.depth, 1);
    ASSERT_NE(list, nullptr);
    int marks = 0;
    for (int i = 0; list[i].field; i++)
        marks |= (int)(list[i].flags & PCFL_SORTMARKS);
    EXPECT_EQ(marks, PCFL_SORT1);
    CSFreeMem(list);
    /* a sort column left out of the chosen ones carries its sort marks
       alone, whatever it showed before */
    PCFLISTENTRY shown[] = { { &w.name, PCFL_USER | PCFL_KEEP }, { &w.depth, PCFL_USER | PCFL_SHOWN | PCFL_EXPORTED },
                             { nullptr, 0 } };
    c.base = shown;
    const PCFFieldDef *nameOnly[] = { &w.name };
    list = PCFAlterBuild(&c, nameOnly, 1, &w.depth, 1, nullptr, 0);
    ASSERT_NE(list, nullptr);
    PCFLISTENTRY sort = list[1];                          /* entries are packed */
    ASSERT_TRUE(sort.field == &w.depth);
    EXPECT_EQ(sort.flags, (uint32_t)(PCFL_SORT1 | PCFL_DESCEND));
    EXPECT_FALSE(PCFColumnShown(nullptr, list[1].flags));
    EXPECT_TRUE(PCFColumnShown(nullptr, list[0].flags));
    CSFreeMem(list);
    /* the base itself chosen again: nothing to hand on */
    const PCFFieldDef *same[] = { &w.name };
    c.base = nullptr;
    PCFLISTENTRY *first = PCFAlterBuild(&c, same, 1, nullptr, 0, nullptr, 0);
    ASSERT_NE(first, nullptr);
    c.base = first;
    EXPECT_EQ(PCFAlterBuild(&c, same, 1, nullptr, 0, nullptr, 0), nullptr);
    CSFreeMem(first);
}

/* ---- a list over several queue managers ---- */

struct QmList : Lists {
    std::vector<QMS *> made;
    QMS *Make(const char *name)
    {
        QMS t = {};
        snprintf(t.qmName, sizeof t.qmName, "%s", name);
        QMS *q = LocCreate(&LocTree, &t, 0);
        if (q) {
            CapSetAll(q->caps);
            made.push_back(q);
        }
        return q;
    }
    void TearDown() override
    {
        Lists::TearDown();
        for (QMS *q : made)
            LocDelete(&LocTree, q, nullptr);
    }
    static std::vector<std::string> Names(DialogWords *d)
    {
        std::vector<std::string> out;
        for (PCFLISTREQ *r = d->lists; r; r = r->next)
            out.push_back(r->location ? r->location->qmName : "");
        return out;
    }
};

TEST_F(QmList, RecordsInNameOrderTheOwnOneKept)
{
    QMS *own = Make("qm2");
    ASSERT_NE(own, nullptr);
    Make("QM1");
    QMS *third = Make("QM3");
    before = dlgtest::Blocks();                       /* the locations are the store's */
    DialogWords *d = Open(&PCFQueueListDef, own);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(PCFBuildQmListCore(d, nullptr), 1);
    EXPECT_EQ(Names(d), std::vector<std::string>({ "QM1", "qm2", "QM3" }));
    EXPECT_TRUE(d->first.flags & PCFLR_SELECTED);
    EXPECT_EQ(PCFBuildQmListCore(d, nullptr), 0);     /* nothing new */
    /* a location that went is freed, the dialog's own never */
    int64_t location = dlgtest::Blocks();
    LocDelete(&LocTree, third, nullptr);
    before -= location - dlgtest::Blocks();
    made.pop_back();
    std::vector<PCFLISTREQ *> freed;
    static std::vector<PCFLISTREQ *> *Freed;
    Freed = &freed;
    EXPECT_EQ(PCFBuildQmListCore(d, [](DialogWords *, PCFLISTREQ *r) { Freed->push_back(r); }), 1);
    EXPECT_EQ(Names(d), std::vector<std::string>({ "QM1", "qm2" }));
    EXPECT_EQ(freed.size(), 1u);
    EXPECT_NE(freed[0], &d->first);
}

}  // namespace
