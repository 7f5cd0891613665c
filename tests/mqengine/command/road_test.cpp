/* End to end against the stand-in through the MQI and the engine's real
 * threads, with the windows recorded: a location learns its queue
 * manager and queues and downloads its default queues; dialogs list,
 * show, alter, define and delete queues; a queueing failure in the middle
 * of a multi-object command; two queue managers of a group; errors that
 * come back from the command server. */
#include "cmdtest.h"
#include "../enginetest.h"

#include <algorithm>
#include <cstring>

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"
#include "mq/capability.h"
#include "pcflists.h"

using namespace cmdtest;

namespace {

int CapsChanged;
std::vector<std::string> UserCommands;
std::mutex UserLock;

void CapsFor(void *, uint8_t *caps, int32_t platform, int32_t level)
{
    CapSetForQmgr(caps, platform, level);
}
void Changed(void *, QMS *)
{
    CapsChanged++;
}
int RunCommand(void *, QMS *, const char *command, char **)
{
    std::lock_guard<std::mutex> g(UserLock);
    UserCommands.push_back(command);
    return 1;
}

struct Road : EngineTest {
    Hooks hooks;
    void SetUp() override
    {
        EngineTest::SetUp();
        hooks.Install();
        hooks.onFrame = [](const FrameMsg &m) {
            if (m.message == 11383)
                RequestQmgrRefresh(m.location, (uint32_t)m.wParam, nullptr, 0);
        };
        LOCHOOKS l = {};
        l.capsForQmgr = CapsFor;
        l.capsChanged = Changed;
        l.runCommand = RunCommand;
        LocSetHooks(&l);
        CapsChanged = 0;
        UserCommands.clear();
    }
    void TearDown() override
    {
        WaitFor([] { return IfcmdCount() == 0; });
        hooks.Pump();
        IfcmdPurge(0, nullptr, 1);
        for (QMS *r : locations)
            LocFreeCache(r, 0);
        hooks.Remove();
        LocSetHooks(nullptr);
        EngineTest::TearDown();
    }
    /* Messages put to the stand-in's queue. */
    void Fill(const char *qm, const char *queue, int count)
    {
        MQHCONN h = Own(qm);
        MQHOBJ o = OpenOwn(h, queue, MQOO_OUTPUT);
        MQMD md = { MQMD_DEFAULT };
        MQPMO pmo = { MQPMO_DEFAULT };
        pmo.Options = MQPMO_NO_SYNCPOINT;
        MQLONG cc, rc;
        for (int i = 0; i < count; i++) {
            md = { MQMD_DEFAULT };
            StandIn.MQPUT(h, o, &md, &pmo, 4, (PMQVOID) "data", &cc, &rc);
        }
        StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    }
    int Do(TestDialog &d, uint32_t action) { return DoAction(hooks, d, action); }
    /* The thread requests the engine asked for: a refresh and a download
       post theirs on the caller's thread, before they return. */
    size_t Posts()
    {
        std::lock_guard<std::mutex> g(hooks.lock);
        return hooks.sent.size();
    }
    /* Of those, the downloads of the default objects. */
    size_t DownloadPosts()
    {
        std::lock_guard<std::mutex> g(hooks.lock);
        size_t n = 0;
        for (const Sent &p : hooks.sent)
            n += p.data.find("SYSTEM.DEFAULT.*") != std::string::npos;
        return n;
    }
    /* The command codes put to the command queue. */
    std::vector<int32_t> Commands()
    {
        std::vector<int32_t> out;
        for (const MQCall &c : Rec.Of("MQPUT", "SYSTEM.ADMIN.COMMAND.QUEUE")) {
            int32_t code;
            memcpy(&code, c.data.data() + 12, 4);
            out.push_back(code);
        }
        return out;
    }
    /* A location that may do everything. */
    QMS *Location(const char *qm)
    {
        QMS *r = EngineTest::Location(qm);
        r->authMask = ~0ull;
        return r;
    }
    /* A message put with the context given (the put date and time too). */
    void PutWithContext(const char *qm, const char *queue, const char *data, const MQMD &model)
    {
        MQHCONN h = Own(qm);
        MQHOBJ o = OpenOwn(h, queue, MQOO_OUTPUT | MQOO_SET_ALL_CONTEXT);
        MQMD md = model;
        MQPMO pmo = { MQPMO_DEFAULT };
        pmo.Options = MQPMO_NO_SYNCPOINT | MQPMO_SET_ALL_CONTEXT;
        MQLONG cc, rc;
        StandIn.MQPUT(h, o, &md, &pmo, (MQLONG)strlen(data), (PMQVOID)data, &cc, &rc);
        EXPECT_EQ(rc, 0);
        StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    }
    /* The descriptors of a queue's messages, browsed in order. */
    std::vector<MQMD> Descriptors(const char *qm, const char *queue)
    {
        MQHCONN h = Own(qm);
        MQHOBJ o = OpenOwn(h, queue, MQOO_BROWSE);
        std::vector<MQMD> out;
        MQGMO gmo = { MQGMO_DEFAULT };
        gmo.Options = MQGMO_BROWSE_FIRST | MQGMO_ACCEPT_TRUNCATED_MSG;
        for (;;) {
            MQMD md = { MQMD_DEFAULT };
            char buffer[64];
            MQLONG length, cc, rc;
            StandIn.MQGET(h, o, &md, &gmo, sizeof buffer, buffer, &length, &cc, &rc);
            if (cc == MQCC_FAILED)
                break;
            out.push_back(md);
            gmo.Options = MQGMO_BROWSE_NEXT | MQGMO_ACCEPT_TRUNCATED_MSG;
        }
        MQLONG cc, rc;
        StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
        return out;
    }
    bool Refreshed(QMS *r)
    {
        return WaitFor([r] { return (r->refreshMarks & RM_QUEUES_DONE) && !(r->refreshMarks & RM_BUSY); });
    }
};

TEST_F(Road, ALocationLearnsItsQueueManagerAndQueues)
{
    Mqsc("QMROAD", "DEFINE QLOCAL(APP.DLQ)\nDEFINE QLOCAL(APP.XMITQ) USAGE(XMITQ)\n"
                   "ALTER QMGR DEADQ(APP.DLQ) DEFXMITQ(APP.XMITQ)\n"
                   "DEFINE QLOCAL(APP.FILL1) MAXDEPTH(5000)\nDEFINE QLOCAL(APP.FILL2) MAXDEPTH(5000)\n"
                   "DEFINE QALIAS(APP.ALIAS) TARGET(APP.FILL1)\n"
                   "DEFINE QREMOTE(APP.REMOTE) RNAME(THERE) RQMNAME(QMX) XMITQ(APP.XMITQ)\n"
                   "DEFINE QMODEL(APP.MODEL)\nDEFINE QLOCAL(APP.Q1)\nDEFINE QLOCAL(APP.Q2)\n"
                   "DEFINE QLOCAL(APP.Q3)\nDEFINE QLOCAL(APP.Q4)\nDEFINE QLOCAL(APP.Q5)\n");
    Fill("QMROAD", "APP.FILL1", 1000);
    Fill("QMROAD", "APP.FILL2", 1001);
    QMS *r = Location("QMROAD");
    /* a queue list asked before the level is known goes after it */
    EXPECT_EQ(RequestQmgrRefresh(r, RK_QUEUES, "*", 0), 0);
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 0);
    ASSERT_TRUE(Refreshed(r));
    EXPECT_EQ(Commands(), (std::vector<int32_t>{ MQCMD_INQUIRE_Q_MGR, MQCMD_INQUIRE_Q, MQCMD_INQUIRE_Q }));
    CMDQMGR got;
    ASSERT_TRUE(CmdReported(r, &got));
    EXPECT_STREQ(got.name, "QMROAD");
    EXPECT_STREQ(got.deadLetterQ, "APP.DLQ");
    EXPECT_STREQ(got.xmitQ, "APP.XMITQ");
    EXPECT_GT(r->ccsidQm, 0u);
    EXPECT_GT(r->commandLevel, 0);
    uint8_t caps[CAP_COUNT] = {};
    CapSetForQmgr(caps, r->platform, r->commandLevel);
    for (int i = 0; i < CAP_COUNT; i++)
        EXPECT_EQ(r->caps[i], i == 17 ? 1 : caps[i]) << i;
    const struct { const char *name; uint32_t type, level; } want[] = {
        { "APP.FILL1", MQQT_LOCAL, 1 }, { "APP.FILL2", MQQT_LOCAL, 2 }, { "APP.ALIAS", MQQT_ALIAS, 0 },
        { "APP.REMOTE", MQQT_REMOTE, 0 }, { "APP.MODEL", MQQT_MODEL, 0 }, { "APP.Q5", MQQT_LOCAL, 0 },
        { "APP.XMITQ", MQQT_LOCAL, 0 },
    };
    for (const auto &w : want) {
        QINFO *q = LocFindQueueInfo(r, w.name);
        ASSERT_NE(q, nullptr) << w.name;
        EXPECT_EQ(q->type, w.type) << w.name;
        EXPECT_EQ(q->depthClass, w.level) << w.name;
    }
    EXPECT_EQ(((const QATTRLOCAL *)LocFindQueueInfo(r, "APP.XMITQ")->attrs)->usage, MQUS_TRANSMISSION);
    EXPECT_STREQ(((const QATTRALIAS *)LocFindQueueInfo(r, "APP.ALIAS")->attrs)->baseQ, "APP.FILL1");
    EXPECT_GE(hooks.Frames(11373, r), 1u);
    EXPECT_GE(hooks.Frames(11228, r), 1u);
    /* a queue deleted goes at the next refresh */
    Mqsc("QMROAD", "DELETE QLOCAL(APP.Q5)\n");
    RequestQmgrRefresh(r, RK_QUEUES, nullptr, 1);
    ASSERT_TRUE(WaitFor([r] { return !LocFindQueueInfo(r, "APP.Q5") && !(r->refreshMarks & RM_BUSY); }));
    EXPECT_NE(LocFindQueueInfo(r, "APP.Q4"), nullptr);
    /* one names inquiry when the option says so; its types kept */
    Prf.po[3] |= 0x4000000;
    Rec.Clear();
    RequestQmgrRefresh(r, RK_QUEUES, nullptr, 1);
    ASSERT_TRUE(Refreshed(r));
    EXPECT_EQ(Commands(), std::vector<int32_t>{ MQCMD_INQUIRE_Q_NAMES });
    EXPECT_EQ(LocFindQueueInfo(r, "APP.ALIAS")->type, (uint32_t)MQQT_ALIAS);
    Prf.po[3] &= ~0x4000000u;
    /* a foreign location is never refreshed */
    r->flags |= LF_FGN;
    size_t posts = Posts();
    EXPECT_EQ(RequestQmgrRefresh(r, RK_QMGR | RK_QUEUES, "*", 1), 0);
    EXPECT_EQ(Posts(), posts);
    r->flags &= ~LF_FGN;
    /* a blank queue-manager name is the default queue manager's: the
       location connects to it and learns it */
    QMS *dflt = Location("");
    RequestQmgrRefresh(dflt, RK_QMGR, nullptr, 1);
    ASSERT_TRUE(WaitFor([dflt] { return dflt->commandLevel > 0 && !(dflt->refreshMarks & RM_BUSY); }));
    RequestQmgrRefresh(dflt, RK_QUEUES, "*", 1);
    ASSERT_TRUE(Refreshed(dflt));
    ASSERT_TRUE(CmdReported(dflt, &got));
    EXPECT_STREQ(got.name, "QMROAD");
    EXPECT_NE(LocFindQueueInfo(dflt, "APP.Q4"), nullptr);
    /* another platform and level: other capabilities, told to the windows */
    Mqsc("QMROAD", "ALTER QMGR PLATFORM(MVS) CMDLEVEL(910)\n");
    int changed = CapsChanged;
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 1);
    ASSERT_TRUE(WaitFor([r] { return r->platform == MQPL_ZOS && !(r->refreshMarks & RM_BUSY); }));
    EXPECT_EQ(r->commandLevel, 910);
    memset(caps, 0, sizeof caps);
    CapSetForQmgr(caps, MQPL_ZOS, 910);
    for (int i = 0; i < CAP_COUNT; i++)
        EXPECT_EQ(r->caps[i], i == 17 ? 1 : caps[i]) << i;
    EXPECT_EQ(CapsChanged, changed + 1);
}

TEST_F(Road, TheDefaultQueuesAreDownloaded)
{
    Mqsc("QMDOWN", "DEFINE QLOCAL(APP.Q)\n");
    QMS *r = Location("QMDOWN");
    EXPECT_EQ(StartDownload(r, 0), 1);                   /* the level is not known yet */
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 0);
    ASSERT_TRUE(WaitFor([r] { return r->commandLevel > 0; }));
    EXPECT_EQ(StartDownload(r, 0), 0);
    ASSERT_TRUE(WaitFor([r] { return DownloadState(r) == DL_DONE; }));
    const struct { int32_t type; const char *name; } kept[] = {
        { MQQT_LOCAL, "SYSTEM.DEFAULT.LOCAL.QUEUE" }, { MQQT_ALIAS, "SYSTEM.DEFAULT.ALIAS.QUEUE" },
        { MQQT_MODEL, "SYSTEM.DEFAULT.MODEL.QUEUE" }, { MQQT_REMOTE, "SYSTEM.DEFAULT.REMOTE.QUEUE" },
    };
    PCFFieldEntry *e = PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQCA_Q_NAME);
    for (const auto &k : kept) {
        const uint8_t *area = FindDownloadedObject(r, MQCA_Q_NAME, k.type);
        ASSERT_NE(area, nullptr) << k.name;
        char text[64];
        EXPECT_STREQ(PCFValueText(area, e, 0, text, sizeof text, 0), k.name);
    }
    Rec.Clear();
    EXPECT_EQ(StartDownload(r, 0), 1);                   /* done: not again unless forced */
    EXPECT_EQ(Rec.Count("MQPUT"), 0u);
    EXPECT_EQ(StartDownload(r, 1), 0);
    ASSERT_TRUE(WaitFor([r] { return DownloadState(r) == DL_DONE; }));
    EXPECT_NE(FindDownloadedObject(r, MQCA_Q_NAME, MQQT_MODEL), nullptr);
}

TEST_F(Road, QueueListsRowsAndAWhereThatMatchesNothing)
{
    Mqsc("QMLIST", "DEFINE QLOCAL(APP.A)\nDEFINE QLOCAL(APP.B)\nDEFINE QALIAS(APP.C) TARGET(APP.A)\n");
    QMS *r = Location("QMLIST");
    TestDialog d(&PCFQueueListDef, r);
    hooks.messages.clear();
    EXPECT_EQ(Do(d, 1), 0);
    std::string all = Mqsc("QMLIST", "DISPLAY QUEUE(*)\n");
    size_t queues = 0;
    for (size_t at = all.find("QUEUE("); at != std::string::npos; at = all.find("QUEUE(", at + 1))
        queues++;
    EXPECT_EQ((size_t)d.Rows(), queues - 1);             /* the command's own echo */
    std::vector<std::string> names = d.Column(MQCA_Q_NAME);
    EXPECT_NE(std::find(names.begin(), names.end(), "APP.C"), names.end());
    std::vector<uint32_t> seen;
    for (const DlgMsg &m : hooks.messages)
        if (m.dialog == d.d)
            seen.push_back(m.message);
    EXPECT_EQ(seen, (std::vector<uint32_t>{ UM_PCF_UPDATE_LIST, UM_PCF_UPDATE_DIALOG }));
    EXPECT_EQ(hooks.LastText(d.d), "Display refreshed");
    /* a WHERE that nothing passes */
    const int32_t depth = 100000;
    ASSERT_EQ(SetWhereFilter(d.d, 1, MQCFT_INTEGER_FILTER, MQIA_CURRENT_Q_DEPTH, MQCFOP_GREATER, &depth, 4), 0);
    EXPECT_EQ(Do(d, 1), 0);
    EXPECT_EQ(d.Rows(), 0);
    const char *title = PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQIA_CURRENT_Q_DEPTH)->field->title;
    EXPECT_EQ(hooks.LastText(d.d), std::string("No definitions found with a matching ") + title + " value.");
    PCFFreeWhereFilter(d.d);
    /* several names ("APP.A+", then "APP.B"): one inquiry for each, the
       rows of both in the one list */
    d.Set(MQCA_Q_NAME, "APP.A+");
    FieldHWNDData(d.d, 0, nullptr, 0, nullptr, "APP.B", -1, 1);
    Rec.Clear();
    EXPECT_EQ(Do(d, 1), 0);
    EXPECT_EQ(Commands(), (std::vector<int32_t>{ MQCMD_INQUIRE_Q, MQCMD_INQUIRE_Q }));
    EXPECT_EQ(d.Column(MQCA_Q_NAME), (std::vector<std::string>{ "APP.A", "APP.B" }));
    EXPECT_EQ(hooks.LastText(d.d), "Display refreshed");
}

/* A list refreshed since a time, or marked to be. */
bool ListRefreshed(const TestDialog &list, int64_t before)
{
    return list.d->lastRefresh != before || (list.d->first.refreshFlags & PCFLR_REFRESH_DUE);
}

TEST_F(Road, AQueueShownAlteredDefinedAndRefused)
{
    Mqsc("QMQUEUE", "DEFINE QLOCAL(APP.ONE) DESCR('first queue') MAXDEPTH(4000)\n");
    QMS *r = Location("QMQUEUE");
    TestDialog q(&PCFQueueDef, r);
    q.Set(MQCA_Q_NAME, "APP.ONE");
    EXPECT_EQ(Do(q, 1), 0);
    EXPECT_EQ(q.Value(MQCA_Q_DESC), "first queue");
    EXPECT_EQ(q.Value(MQIA_MAX_Q_DEPTH), "4,000");
    /* a change refreshes the open lists that show the queue, unless
       "refresh after a change" is off */
    TestDialog list(&PCFQueueListDef, r);
    list.Set(MQCA_Q_NAME, "APP.*");
    EXPECT_EQ(Do(list, 1), 0);
    uint32_t po3 = Prf.po[2];
    Prf.po[2] &= ~(uint32_t)PO3_REFRESH_AFTER_CHANGE;
    int64_t before = list.d->lastRefresh;
    q.Set(MQCA_Q_DESC, "first thoughts");
    EXPECT_EQ(Do(q, 575), 0);
    EXPECT_FALSE(ListRefreshed(list, before));
    Prf.po[2] = po3 | PO3_REFRESH_AFTER_CHANGE;
    list.d->first.refreshFlags &= ~PCFLR_REFRESH_DUE;
    before = list.d->lastRefresh;
    q.Set(MQCA_Q_DESC, "second thoughts");
    EXPECT_EQ(Do(q, 575), 0);
    EXPECT_TRUE(ListRefreshed(list, before));
    Prf.po[2] = po3;
    EXPECT_EQ(hooks.LastText(q.d), "Queue 'APP.ONE' altered");
    EXPECT_NE(Mqsc("QMQUEUE", "DISPLAY QLOCAL(APP.ONE) DESCR\n").find("second thoughts"), std::string::npos);
    q.Set(MQCA_Q_DESC, "");
    EXPECT_EQ(Do(q, 1), 0);
    EXPECT_EQ(q.Value(MQCA_Q_DESC), "second thoughts");
    /* a second confirmation due is asked (style 1) only with its
       preference, and is no longer due once agreed to */
    for (uint32_t second : { 0u, (uint32_t)PO3_SECOND_CONFIRM }) {
        Prf.po[2] = (po3 & ~(uint32_t)PO3_SECOND_CONFIRM) | second;
        q->markFlags |= DM_CONFIRM_DUE;
        hooks.questions.clear();
        EXPECT_EQ(Do(q, 575), 0);
        ASSERT_EQ(hooks.questions.size(), second ? 1u : 0u);
        EXPECT_EQ(second ? hooks.questions[0].style : 1u, 1u);
        EXPECT_EQ(q->markFlags & DM_CONFIRM_DUE, second ? 0u : (uint32_t)DM_CONFIRM_DUE);
    }
    Prf.po[2] = po3;
    q->markFlags &= ~DM_CONFIRM_DUE;
    /* a queue that is not there: only an error reply, 10002 before 10004 */
    hooks.messages.clear();
    q.Set(MQCA_Q_NAME, "APP.NONE");
    EXPECT_EQ(Do(q, 1), 0);
    EXPECT_EQ(hooks.LastText(q.d), std::string("'APP.NONE':") + MQReasonText(MQRC_UNKNOWN_OBJECT_NAME));
    ASSERT_GE(hooks.messages.size(), 2u);
    EXPECT_EQ(hooks.messages[hooks.messages.size() - 2].message, (uint32_t)UM_PCF_REPLY_DONE);
    EXPECT_EQ(hooks.messages.back().message, (uint32_t)UM_PCF_UPDATE_DIALOG);
    /* a new name with a bad character: where it is */
    q.Set(MQCA_Q_NAME, "BAD#NAME");
    EXPECT_EQ(Do(q, 565), 0);
    EXPECT_EQ(hooks.LastText(q.d),
              std::string("'BAD#NAME':") + MQReasonText(MQRCCF_OBJECT_NAME_ERROR) + " Offset 3.");
    /* a reason the command server gives */
    q.Set(MQCA_Q_NAME, "APP.ONE");
    StandInFault("CMDSERVER", 1, MQRC_PUT_INHIBITED, 0);
    EXPECT_EQ(Do(q, 1), 0);
    EXPECT_EQ(hooks.LastText(q.d), std::string("'APP.ONE':") + MQReasonText(MQRC_PUT_INHIBITED));
    /* a queue manager that does not take PCF: MQSC from now on, the
     * refresh asked again */
    StandInFault("CMDSERVER", 1, MQRCCF_CFH_VERSION_ERROR, 0);
    EXPECT_EQ(Do(q, 1), 0);
    EXPECT_TRUE(r->flags & LF_MVS);
    EXPECT_GE(hooks.Frames(11383, r), 1u);
    /* now MQSC text, which a distributed command server refuses */
    EXPECT_EQ(Do(q, 1), 0);
    EXPECT_EQ(hooks.LastText(q.d), std::string("'APP.ONE':") + MQReasonText(MQRCCF_MD_FORMAT_ERROR));
}

TEST_F(Road, ThreeSelectedQueuesDeletedWhenTheSecondCannotBeQueued)
{
    Mqsc("QMDEL", "DEFINE QLOCAL(APP.D1)\nDEFINE QLOCAL(APP.D2)\nDEFINE QLOCAL(APP.D3)\nDEFINE QLOCAL(APP.E)\n");
    QMS *r = Location("QMDEL");
    snprintf(r->failCommand, sizeof r->failCommand, "on-failure");
    snprintf(r->okCommand, sizeof r->okCommand, "on-success");
    TestDialog d(&PCFQueueListDef, r);
    d.Set(MQCA_Q_NAME, "APP.D*");
    EXPECT_EQ(Do(d, 1), 0);
    ASSERT_EQ(d.Rows(), 3);
    char text[100];
    const char *name;
    uint32_t bit;
    d.Select({ "APP.D2" });                    /* one takes the singular */
    ConfirmText(d.d, PCFFindActionDef(PCFQueueListDef.actions, 578), 3, text, sizeof text, &name, &bit);
    EXPECT_STREQ(text, "delete queue");
    d.Select({ "APP.D1", "APP.D3" });          /* two already take the plural text */
    ConfirmText(d.d, PCFFindActionDef(PCFQueueListDef.actions, 578), 1, text, sizeof text, &name, &bit);
    EXPECT_STREQ(text, "delete these 2 queues");
    d.Select({ "APP.D1", "APP.D2", "APP.D3" });
    Prf.co |= 0x80000000u;
    hooks.failPost = hooks.posts + 2;
    hooks.answers = { 1 };
    UserCommands.clear();
    int rc = PCFDoCommand(d.d, 0, 1, 578, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(rc, 1);
    ASSERT_EQ(hooks.questions.size(), 1u);
    EXPECT_EQ(hooks.questions[0].text, "delete these 3 queues");
    EXPECT_EQ(hooks.questions[0].bit, 0x80000000u);
    bool shown = false;
    for (const std::string &t : hooks.Texts(d.d))
        shown |= t.rfind("Error putting to QMDEL/SYSTEM.ADMIN.COMMAND.QUEUE RC(2053) ", 0) == 0;
    EXPECT_TRUE(shown);
    EXPECT_EQ(UserCommands, (std::vector<std::string>{ "on-failure", "on-success" }));
    ASSERT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
    std::string left = Mqsc("QMDEL", "DISPLAY QUEUE(APP.*)\n");
    EXPECT_EQ(left.find("APP.D1)"), std::string::npos);
    EXPECT_NE(left.find("APP.D2)"), std::string::npos);
    EXPECT_EQ(left.find("APP.D3)"), std::string::npos);
    EXPECT_NE(left.find("APP.E)"), std::string::npos);
    Prf.co = 0;
}

/* The windows the Put and Load/Unload hooks were asked to open, as
 * "put QM QUEUE" and "load QM QUEUE"; the hooks installed are returned. */
static std::vector<std::string> Opened;

static CMDHOOKS RecordOpened(void)
{
    CMDHOOKS c = *CmdHooks();
    c.putDialog = [](void *, QMS *l, const char *q) { Opened.push_back(std::string("put ") + l->qmName + " " + q); };
    c.draskDialog = [](void *, QMS *l, const char *q) { Opened.push_back(std::string("load ") + l->qmName + " " + q); };
    CmdSetHooks(&c);
    return c;
}

/* Put and Load/Unload of a list open one window per selected row, in
 * the rows' order, on the row's queue manager; none without a selection. */
TEST_F(Road, PutAndLoadOpenAWindowForEverySelectedQueue)
{
    Mqsc("QMROWS", "DEFINE QLOCAL(APP.R1)\nDEFINE QLOCAL(APP.R2)\nDEFINE QLOCAL(APP.R3)\n");
    QMS *r = Location("QMROWS");
    TestDialog d(&PCFQueueListDef, r);
    d.Set(MQCA_Q_NAME, "APP.R*");
    EXPECT_EQ(Do(d, 1), 0);
    ASSERT_EQ(d.Rows(), 3);
    CMDHOOKS c = RecordOpened();
    auto run = [&d](uint32_t action) {
        Opened.clear();
        PCFDoCommand(d.d, 0, 1, action, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
        return Opened;
    };
    using Texts = std::vector<std::string>;
    d.Select({ "APP.R3", "APP.R1" });
    EXPECT_EQ(run(567), (Texts{ "put QMROWS APP.R1", "put QMROWS APP.R3" }));
    EXPECT_EQ(run(583), (Texts{ "load QMROWS APP.R1", "load QMROWS APP.R3" }));
    d.Select({ "APP.R2" });
    EXPECT_EQ(run(567), (Texts{ "put QMROWS APP.R2" }));
    d.Select({});
    EXPECT_EQ(run(583), Texts{});

    /* where the program installed no Load/Unload window: the dialog says so */
    c.draskDialog = nullptr;
    CmdSetHooks(&c);
    d.Select({ "APP.R2" });
    EXPECT_EQ(run(583), Texts{});
    EXPECT_EQ(H->LastText(d.d), "Load/Unload is not available in this build");
}

TEST_F(Road, OneActionToTwoQueueManagersOfAGroup)
{
    Mqsc("QMGRPA", "DEFINE QLOCAL(APP.ONLY.A)\n");
    Mqsc("QMGRPB", "DEFINE QLOCAL(APP.ONLY.B)\n");
    QMS *a = Location("QMGRPA"), *b = Location("QMGRPB");
    TestDialog d(&PCFQueueListDef, a);
    d.Set(MQCA_Q_NAME, "APP.*");
    PCFLISTREQ *other = (PCFLISTREQ *)CSGetMem(sizeof(PCFLISTREQ), "QMSREQ");
    memset(other, 0, sizeof *other);
    other->location = b;
    other->caps = b->caps;
    other->columns = d->first.columns;
    d->first.next = other;
    d->lists = &d->first;
    /* none chosen in the queue-manager list: nothing sent, nothing said, no failure */
    size_t said = hooks.Texts(d.d).size(), sent = hooks.sent.size();
    EXPECT_EQ(SendToAllInGroup(d.d, 1, 1, nullptr, nullptr, 0), 0);
    EXPECT_EQ(IfcmdCount(), 0);
    EXPECT_EQ(hooks.sent.size(), sent);
    EXPECT_EQ(hooks.Texts(d.d).size(), said);
    other->flags = PCFLR_SELECTED;
    d->first.flags = PCFLR_SELECTED;
    EXPECT_EQ(SendToAllInGroup(d.d, 1, 1, nullptr, nullptr, 0), 0);
    ASSERT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
    hooks.Pump();
    EXPECT_EQ(d.Column(MQCA_Q_NAME), std::vector<std::string>{ "APP.ONLY.A" });
    ASSERT_NE(other->replyArea, nullptr);
    uint8_t *v = FindItemAttr(other->replyArea, MQCA_Q_NAME, PCFFirstRow(other->replyArea));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(std::string((const char *)v + PCFLV_TEXT, PCFListLength(v)), "APP.ONLY.B");
    v = FindItemAttr(other->replyArea, MYPCFA_MULTI_QMNAME, PCFFirstRow(other->replyArea));
    EXPECT_EQ(std::string((const char *)v + PCFLV_TEXT, PCFListLength(v)), "QMGRPB");

    /* a row of the second queue manager opens its windows on that one */
    RecordOpened();
    d.Select({ "APP.ONLY.A", "APP.ONLY.B" });
    for (uint32_t action : { 567u, 583u }) {
        Opened.clear();
        PCFDoCommand(d.d, 0, 1, action, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
        const char *kind = action == 567 ? "put " : "load ";
        EXPECT_EQ(Opened, (std::vector<std::string>{ std::string(kind) + "QMGRPA APP.ONLY.A",
                                                     std::string(kind) + "QMGRPB APP.ONLY.B" }));
    }
    /* a user command on it names that queue manager */
    char line[500];
    ExpandUserCommand(a, d.d, PCFFirstRow(other->replyArea), "%m %o", line);
    EXPECT_STREQ(line, "QMGRPB APP.ONLY.B");
    /* and a command on the selected rows goes to each row's own */
    EXPECT_EQ(PCFDoCommand(d.d, 0, 1, 578, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
    ASSERT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
    hooks.Pump();
    EXPECT_EQ(Mqsc("QMGRPA", "DISPLAY QUEUE(*)\n").find("APP.ONLY.A)"), std::string::npos);
    EXPECT_EQ(Mqsc("QMGRPB", "DISPLAY QUEUE(*)\n").find("APP.ONLY.B)"), std::string::npos);
}

/* Saving a message from the Message dialog keeps who put it and when:
 * Update passes all of the context it read (its default preference);
 * Add puts with the default context of its own preference. */
TEST_F(Road, AnUpdatedMessageKeepsItsContextAndAnAddedOneIsTheProgramsOwn)
{
    Mqsc("QMCTX", "DEFINE QLOCAL(APP.CTX)\n");
    MQMD model = { MQMD_DEFAULT };
    memcpy(model.Format, "MQSTR   ", 8);
    memcpy(model.UserIdentifier, "alice       ", 12);
    memcpy(model.PutApplName, "origin-app                  ", 28);
    memcpy(model.PutDate, "20200102", 8);
    memcpy(model.PutTime, "03040506", 8);
    model.PutApplType = MQAT_UNIX;
    PutWithContext("QMCTX", "APP.CTX", "original", model);
    QMS *r = Location("QMCTX");
    TestDialog m(&PCFMessageDef, r);
    m.Set(MQCA_Q_NAME, "APP.CTX");
    EXPECT_EQ(Do(m, 1), 0);
    /* the information that ends an update or an add makes an open list of
       the queue stale only with "auto update browse" (here alone) */
    TestDialog list(&PCFMessageListDef, r);
    list.Set(MQCA_Q_NAME, "APP.CTX");
    EXPECT_EQ(Do(list, 1), 0);
    ASSERT_EQ(list.Rows(), 1);
    const uint32_t saved = Prf.po[2], po3 = saved & ~(uint32_t)(PO3_AUTO_UPDATE_BROWSE | PO3_REFRESH_AFTER_CHANGE);
    int64_t before = list.d->lastRefresh;
    Prf.po[2] = po3;
    PCFPrefsFromProfile();
    EXPECT_EQ(Do(m, 946), 0);
    EXPECT_FALSE(ListRefreshed(list, before));
    EXPECT_EQ(hooks.LastText(m.d), "1 message updated");
    std::vector<MQMD> left = Descriptors("QMCTX", "APP.CTX");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(Trim(left[0].UserIdentifier, 12), "alice");
    EXPECT_EQ(Trim(left[0].PutApplName, 28), "origin-app");
    EXPECT_EQ(std::string(left[0].PutDate, 8), "20200102");
    EXPECT_EQ(std::string(left[0].PutTime, 8), "03040506");
    EXPECT_EQ(left[0].PutApplType, MQAT_UNIX);
    Prf.po[2] = po3 | PO3_AUTO_UPDATE_BROWSE;
    PCFPrefsFromProfile();
    for (uint32_t action : { 946u, 941u }) {     /* updated again, then added: each refreshes it */
        list.d->first.refreshFlags &= ~PCFLR_REFRESH_DUE;
        before = list.d->lastRefresh;
        EXPECT_EQ(Do(m, action), 0);
        EXPECT_TRUE(ListRefreshed(list, before)) << action;
    }
    Prf.po[2] = saved;
    PCFPrefsFromProfile();
    EXPECT_EQ(hooks.LastText(m.d), "1 message added");
    left = Descriptors("QMCTX", "APP.CTX");
    ASSERT_EQ(left.size(), 2u);
    EXPECT_NE(Trim(left[1].PutApplName, 28), "origin-app");
    EXPECT_NE(std::string(left[1].PutDate, 8), "20200102");
    /* another queue named: the one in use is let go (it clears), and the
       next read shows the new queue's first message, not the old token */
    Mqsc("QMCTX", "DEFINE QLOCAL(APP.CTX2)\n");
    PutWithContext("QMCTX", "APP.CTX2", "second queue", model);
    EXPECT_EQ(Do(m, 887), 0);
    EXPECT_EQ(m.Value(MYPCFA_POSITION), "2");
    Rec.Clear();
    m.Set(MQCA_Q_NAME, "APP.CTX2");
    ASSERT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
    EXPECT_NE(Mqsc("QMCTX", "CLEAR QLOCAL(APP.CTX)\n").find("AMQ8022I: IBM MQ queue cleared."), std::string::npos);
    EXPECT_EQ(Do(m, 1), 0);
    EXPECT_EQ(hooks.LastText(m.d), "Message refreshed");
    EXPECT_EQ(m.Value(MYPCFA_POSITION), "1");
    EXPECT_EQ(m.Value(MYPCFA_MSGLEN), "12");
}

/* A copy or move whose target is the source queue asks first, also when
 * the target queue manager is left blank or "*" (the source's own): no
 * leaves the messages where they are, yes goes on without asking again
 * (a copy adds one, a move puts it back where it was). */
TEST_F(Road, AMoveOntoItsOwnQueueAsksFirst)
{
    Mqsc("QMSAME", "DEFINE QLOCAL(APP.SAME)\nDEFINE QLOCAL(APP.OTHER)\n");
    Fill("QMSAME", "APP.SAME", 2);
    QMS *r = Location("QMSAME");
    ASSERT_EQ(StartMessageThread(), 0);                  /* as the program starts it */
    TestDialog l(&PCFMessageListDef, r);
    l.Set(MQCA_Q_NAME, "APP.SAME");
    EXPECT_EQ(Do(l, 1), 0);
    ASSERT_EQ(l.Rows(), 2);
    l.SelectFirst(1);
    l.Set(MYPCFA_TARGET_Q, "APP.SAME");
    const struct {
        uint32_t action;
        const char *qm;
        int answer, depth;
        const char *text;
    } cases[] = {
        { 598, "", 0, 2, nullptr }, { 598, "", 1, 2, "1 message moved" },
        { 598, "*", 0, 2, nullptr }, { 598, "*", 1, 2, "1 message moved" },
        { 598, "QMSAME", 0, 2, nullptr }, { 598, "QMSAME", 1, 2, "1 message moved" },
        { 597, "", 0, 2, nullptr }, { 597, "", 1, 3, "1 message copied" },
        { 597, "*", 0, 3, nullptr }, { 597, "*", 1, 4, "1 message copied" },
        { 597, "QMSAME", 0, 4, nullptr }, { 597, "QMSAME", 1, 5, "1 message copied" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.action) + " '" + c.qm + "' " + std::to_string(c.answer));
        EXPECT_EQ(Do(l, 1), 0);                          /* a moved message is now the last */
        l.SelectFirst(1);
        hooks.questions.clear();
        hooks.answers = { c.answer };
        l.Set(MYPCFA_TARGET_QM, c.qm);
        size_t shown = hooks.Texts(l.d).size();
        if (c.answer) {
            EXPECT_EQ(Do(l, c.action), 0);
        } else {
            PCFDoCommand(l.d, 0, 1, c.action, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
        }
        ASSERT_EQ(hooks.questions.size(), 1u);
        EXPECT_EQ(hooks.questions[0].text.rfind("!The source and target queue is the same queue, 'APP.SAME'.", 0), 0u)
            << hooks.questions[0].text;
        /* the action's own text, whatever refresh of the list it made
           stale follows it */
        std::vector<std::string> texts = hooks.Texts(l.d);
        if (c.text) {
            EXPECT_NE(std::find(texts.begin() + (long)shown, texts.end(), c.text), texts.end()) << c.text;
        }
        EXPECT_EQ(Depth("QMSAME", "APP.SAME"), c.depth);
    }
    /* another queue: no such question */
    hooks.questions.clear();
    l.Set(MYPCFA_TARGET_Q, "APP.OTHER");
    l.Set(MYPCFA_TARGET_QM, "");
    hooks.answers = { 1 };
    PCFDoCommand(l.d, 0, 1, 598, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    for (const Question &q : hooks.questions)
        EXPECT_EQ(q.text.find("same queue"), std::string::npos) << q.text;
}

/* The list's search text is matched byte for byte, its trailing blank
 * too. */
TEST_F(Road, ASearchKeepsItsTrailingBlanks)
{
    Mqsc("QMFIND", "DEFINE QLOCAL(APP.FIND)\n");
    for (const char *text : { "hello", "hello there", "say hello" })
        Put("QMFIND", "APP.FIND", text);
    QMS *r = Location("QMFIND");
    TestDialog l(&PCFMessageListDef, r);
    l.Set(MQCA_Q_NAME, "APP.FIND");
    l.Set(MYPCFA_SEARCH, "hello ");
    EXPECT_EQ(Do(l, 1), 0);
    EXPECT_EQ(l.Rows(), 1);
    l.Set(MYPCFA_SEARCH, "hello");
    EXPECT_EQ(Do(l, 1), 0);
    EXPECT_EQ(l.Rows(), 3);
}

/* The queue manager's reply may be handled before the sender of the
 * inquiry runs again: the inquiry is still seen as answered, never as
 * outstanding for good. */
TEST_F(Road, AQueueManagerReplyBeforeItsSenderReturns)
{
    Mqsc("QMFAST", "DEFINE QLOCAL(APP.FAST)\n");
    QMS *r = Location("QMFAST");
    Connect(r);
    hooks.afterPost = [] { WaitFor([] { return IfcmdCount() == 0; }); };
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 0);
    hooks.afterPost = nullptr;
    ASSERT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
    EXPECT_GT(r->commandLevel, 0);
    EXPECT_EQ(r->refreshMarks & RM_QMGR_ASKED, 0u);
    EXPECT_NE(r->refreshMarks & RM_QMGR_DONE, 0u);
    /* a forced refresh goes again and ends the same way */
    Rec.Clear();
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 1);
    ASSERT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
    EXPECT_EQ(Commands(), std::vector<int32_t>{ MQCMD_INQUIRE_Q_MGR });
    EXPECT_EQ(r->refreshMarks & RM_BUSY, 0u);
}

/* The location timer, wired as the shell wires it: a connected location
 * downloads its default objects once, not at every tick; again only when
 * the repeat time has passed, and the stored defaults are there all the
 * while. */
TEST_F(Road, TheTimerDownloadsTheDefaultsOnceAndAgainAfterTheRepeatTime)
{
    Mqsc("QMTICK", "DEFINE QLOCAL(APP.TICK)\n");
    QMS *r = Location("QMTICK");
    InstallTimerWiring();
    int32_t objr = Prf.objr, objrty = Prf.objrty;
    uint32_t po3 = Prf.po[2];
    Prf.objr = 600;
    Prf.objrty = 3600;
    Prf.po[2] |= 0x40000000u;                         /* no automatic refresh */
    Connect(r);
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 0);
    ASSERT_TRUE(WaitFor([r] { return r->commandLevel > 0 && IfcmdCount() == 0; }));
    int64_t now = r->lastUsed + Prf.objr;
    size_t downloads = DownloadPosts();
    LocGlobals.now = now;
    LocTimerTick(now);
    EXPECT_EQ(DownloadPosts(), downloads + 1);
    ASSERT_TRUE(WaitFor([r] { return DownloadState(r) == DL_DONE && IfcmdCount() == 0; }));
    EXPECT_EQ(DownloadPosts(), downloads + 1);
    ASSERT_NE(FindDownloadedObject(r, MQCA_Q_NAME, MQQT_LOCAL), nullptr);
    size_t repaints = hooks.Frames(11228, r);
    size_t posts = Posts();
    /* the ticks post nothing: each would have posted before it returned */
    for (int i = 1; i <= 5; i++) {
        LocGlobals.now = now + i;
        LocTimerTick(now + i);
        EXPECT_NE(FindDownloadedObject(r, MQCA_Q_NAME, MQQT_LOCAL), nullptr) << i;
        EXPECT_EQ(Posts(), posts) << i;
    }
    EXPECT_EQ(hooks.Frames(11228, r), repaints);         /* nor a repaint of the location list */
    /* the repeat time passed: once more, the defaults kept meanwhile */
    LocGlobals.now = now + Prf.objr;
    LocTimerTick(now + Prf.objr);
    EXPECT_NE(FindDownloadedObject(r, MQCA_Q_NAME, MQQT_LOCAL), nullptr);
    EXPECT_EQ(DownloadPosts(), downloads + 2);
    ASSERT_TRUE(WaitFor([r] { return DownloadState(r) == DL_DONE && IfcmdCount() == 0; }));
    EXPECT_NE(FindDownloadedObject(r, MQCA_Q_NAME, MQQT_MODEL), nullptr);
    LocGlobals.now = 0;
    LocSetTimerHooks(nullptr);
    Prf.objr = objr;
    Prf.objrty = objrty;
    Prf.po[2] = po3;
}

/* A message command (here Delete of a listed row) on a location that
 * cannot connect is answered at once with why, not left for the command
 * server's time-out. */
TEST_F(Road, AMessageCommandWithoutAConnectionIsAnsweredWithWhy)
{
    Mqsc("QMGONE", "DEFINE QLOCAL(APP.GONE)\n");
    Fill("QMGONE", "APP.GONE", 1);
    QMS *r = Location("QMGONE");
    ASSERT_EQ(StartMessageThread(), 0);                  /* as the program starts it */
    TestDialog l(&PCFMessageListDef, r);
    l.Set(MQCA_Q_NAME, "APP.GONE");
    EXPECT_EQ(Do(l, 1), 0);
    ASSERT_EQ(l.Rows(), 1);
    l.SelectFirst(1);
    Stop(r);
    int32_t delay = Prf.prgdelay;
    Prf.prgdelay = -1;                                   /* no progress window */
    Rec.Fail("MQCONNX", "QMGONE", MQRC_Q_MGR_NOT_AVAILABLE, -1);
    EXPECT_EQ(Do(l, 599), 0);
    Rec.faults.clear();
    Prf.prgdelay = delay;
    EXPECT_EQ(IfcmdCount(), 0);
    std::string text = hooks.LastText(l.d);
    EXPECT_NE(text.find("Not connected to queue manager 'QMGONE' RC(2059)"), std::string::npos) << text;
    EXPECT_EQ(Depth("QMGONE", "APP.GONE"), 1);
}

TEST_F(Road, TheQueueManagerWithItsStatus)
{
    Mqsc("QMSTAT", "ALTER QMGR DESCR('the stand-in')\n");
    QMS *r = Location("QMSTAT");
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 0);
    ASSERT_TRUE(WaitFor([r] { return r->commandLevel > 0 && IfcmdCount() == 0; }));
    TestDialog d(&PCFQueueManagerDef, r);
    Rec.Clear();
    EXPECT_EQ(Do(d, 1), 0);
    EXPECT_EQ(Commands(), (std::vector<int32_t>{ MQCMD_INQUIRE_Q_MGR, MQCMD_INQUIRE_Q_MGR_STATUS }));
    EXPECT_EQ(d.Value(MQCA_Q_MGR_DESC), "the stand-in");
    EXPECT_EQ(d.Value(MQIACF_Q_MGR_STATUS), "Running");
    EXPECT_EQ(hooks.LastText(d.d), "Status refreshed");
}

}  // namespace
