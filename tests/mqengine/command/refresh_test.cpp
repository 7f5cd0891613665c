/* The refresh and the download with replies made byte by byte: the kinds
 * of the location callers, a queue manager's attributes (also as the
 * XR_ITEM a z/OS queue manager sends), queues and their fill levels,
 * queue names paired with their types, a queue-list refresh asked before
 * the level is known, "fgn" and the names-only inquiry, and the download's
 * accepted names, generations and failures. */
#include "cmdtest.h"

#include <cstring>

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"
#include "mq/capability.h"
#include "pcflists.h"

using namespace cmdtest;

namespace {

int CapsChanged;
void CapsFor(void *, uint8_t *caps, int32_t platform, int32_t level)
{
    CapSetForQmgr(caps, platform, level);
}
void Changed(void *, QMS *)
{
    CapsChanged++;
}

struct Refresh : CmdFixture {
    void SetUp() override
    {
        CmdFixture::SetUp();
        LOCHOOKS l = {};
        l.capsForQmgr = CapsFor;
        l.capsChanged = Changed;
        LocSetHooks(&l);
        CapsChanged = 0;
    }
    void TearDown() override
    {
        LocSetHooks(nullptr);
        Prf.po[3] = 0;
        CmdFixture::TearDown();
    }
    /* A record of an inquiry without a dialog. */
    static IFCMD Record(QMS *r, PCFCommandDef *def, const char *name = "*")
    {
        IFCMD rec = {};
        rec.location = r;
        rec.definition = def;
        rec.action = def->actions;
        snprintf(rec.objectText, sizeof rec.objectText, "%s", name);
        return rec;
    }
    static void Give(IFCMD *rec, const Reply &reply, IFCMDCALLBACK fn = QmgrInfoReplyUpdate)
    {
        uint32_t command;
        memcpy(&command, reply.data.data() + 12, 4);
        fn(rec, command, reply.Bytes(), reply.Length(), 0, "");
    }
    int32_t Command(size_t n)
    {
        int32_t c;
        memcpy(&c, hooks.sent.at(n).data.data() + 12, 4);
        return c;
    }
};

TEST_F(Refresh, TheKindsOfTheLocationCallers)
{
    struct { int32_t kind; uint32_t bits; int force; } rows[] = {
        { 2, RK_QUEUES, 0 }, { 3, RK_QUEUES, 0 }, { 4, RK_POLL, 1 }, { 7, RK_DOWNLOAD, 0 },
        { 16, RK_AUTO | RK_QMGR | RK_QUEUES, 0 }, { 23, RK_QMGR | RK_QUEUES, 1 }, { 5, 0, 0 }, { 0, 0, 0 },
    };
    for (const auto &r : rows) {
        int force = -1;
        EXPECT_EQ(RefreshKindBits(r.kind, &force), r.bits) << r.kind;
        EXPECT_EQ(force, r.force) << r.kind;
    }
}

TEST_F(Refresh, AQueueManagersAttributes)
{
    Loc qm("QMATTRS", 0);
    IFCMD rec = Record(&qm, &PCFQmgrInfoDef);
    Reply reply = Reply(MQCMD_INQUIRE_Q_MGR).Str(MQCA_Q_MGR_NAME, "QMATTRS", 41).Str(MQCA_DEAD_LETTER_Q_NAME, "MY.DLQ")
                      .Str(MQCA_DEF_XMIT_Q_NAME, "MY.XMITQ").Str(MQCA_REPOSITORY_NAME, " ")
                      .Str(MQCA_REPOSITORY_NAMELIST, "CLUS.LIST other").Str(MQCA_QSG_NAME, "    ")
                      .Int(MQIA_CODED_CHAR_SET_ID, 819).Int(MQIA_COMMAND_LEVEL, 930).Int(MQIA_PLATFORM, MQPL_UNIX);
    reply.Put32At(0, MQCFT_XR_ITEM);                     /* as a z/OS queue manager answers */
    qm.q.refreshMarks = RM_QMGR_ASKED;
    Give(&rec, reply);
    CMDQMGR got;
    ASSERT_TRUE(CmdReported(&qm, &got));
    EXPECT_STREQ(got.name, "QMATTRS");
    EXPECT_STREQ(got.deadLetterQ, "MY.DLQ");
    EXPECT_STREQ(got.xmitQ, "MY.XMITQ");
    EXPECT_STREQ(got.repository, "CLUS.LIST");
    EXPECT_EQ(got.inGroup, 0);
    EXPECT_EQ(qm.q.ccsidQm, 819u);
    EXPECT_EQ(qm.q.platform, MQPL_UNIX);
    EXPECT_EQ(qm.q.commandLevel, 930);
    uint8_t caps[CAP_COUNT] = {};
    CapSetForQmgr(caps, MQPL_UNIX, 930);
    for (int i = 0; i < CAP_COUNT; i++)
        EXPECT_EQ(qm.q.caps[i], i == 17 ? 1 : caps[i]) << i;   /* 17: no via queue manager */
    EXPECT_EQ(CapsChanged, 1);
    EXPECT_EQ(qm.q.refreshMarks, RM_QMGR_DONE);
    EXPECT_EQ(hooks.Frames(11373, &qm.q), 1u);
    EXPECT_EQ(hooks.Frames(11228, &qm.q), 1u);
    /* the same again changes nothing; a command message is not a reply */
    Give(&rec, reply);
    EXPECT_EQ(CapsChanged, 1);
    EXPECT_EQ(hooks.Frames(11373, &qm.q), 1u);
    Reply command = Reply(MQCMD_INQUIRE_Q_MGR).Int(MQIA_COMMAND_LEVEL, 700);
    command.Put32At(0, MQCFT_COMMAND);
    Give(&rec, command);
    EXPECT_EQ(qm.q.commandLevel, 930);
}

TEST_F(Refresh, QueuesTheirFillLevelsAndTheOnesThatWent)
{
    Loc qm("QMQUEUES");
    QINFO old = {};
    old.location = &qm.q;
    strcpy(old.name, "APP.OLD");
    old.type = 1;
    LocAddQueueInfo(&old);
    LocMarkQueues(&qm.q, "*");
    IFCMD rec = Record(&qm, &PCFQueueNamesDef[1]);
    Reply first = Reply(MQCMD_INQUIRE_Q, false).Str(MQCA_Q_NAME, "APP.FILL1").Int(MQIA_Q_TYPE, MQQT_LOCAL)
                      .Int(MQIA_CURRENT_Q_DEPTH, 1000).Int(MQIA_MAX_Q_DEPTH, 5000).Separator()
                      .Str(MQCA_Q_NAME, "APP.FILL2").Int(MQIA_Q_TYPE, MQQT_LOCAL).Int(MQIA_CURRENT_Q_DEPTH, 1001)
                      .Int(MQIA_MAX_Q_DEPTH, 5000).Str(MQCA_Q_DESC, "second").Str(MQCA_INITIATION_Q_NAME, "INITQ")
                      .Str(MQCA_PROCESS_NAME, "PROC").Separator()
                      .Str(MQCA_Q_NAME, "APP.ALIAS").Int(MQIA_Q_TYPE, MQQT_ALIAS).Str(MQCA_BASE_Q_NAME, "APP.FILL1");
    Give(&rec, first);
    EXPECT_EQ(qm.q.refreshMarks & RM_ARRIVING, RM_ARRIVING);
    EXPECT_NE(LocFindQueueInfo(&qm, "APP.OLD"), nullptr);     /* not yet: the inquiry goes on */
    Reply last = Reply(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "CLUS.Q").Int(MQIA_Q_TYPE, MQQT_CLUSTER)
                     .Int(59, 4).Str(MQCA_CLUSTER_NAMELIST, "CLUSTERS more").Str(MQCA_XMIT_Q_NAME, "XQ");
    Give(&rec, last);
    EXPECT_EQ(LocFindQueueInfo(&qm, "APP.OLD"), nullptr);
    EXPECT_EQ(QueueRecords(&qm.q), 4);
    QINFO *q = LocFindQueueInfo(&qm, "APP.FILL1");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->depthClass, 1u);
    EXPECT_TRUE(q->flags & QI_DEPTHKNOWN);
    q = LocFindQueueInfo(&qm, "APP.FILL2");
    EXPECT_EQ(q->depthClass, 2u);
    EXPECT_STREQ(q->desc, "second");
    EXPECT_STREQ(((const QATTRLOCAL *)q->attrs)->initQ, "INITQ");
    EXPECT_STREQ(((const QATTRLOCAL *)q->attrs)->process, "PROC");
    q = LocFindQueueInfo(&qm, "APP.ALIAS");
    EXPECT_EQ(q->type, (uint32_t)MQQT_ALIAS);
    EXPECT_EQ(q->depthClass, 0u);
    EXPECT_STREQ(((const QATTRALIAS *)q->attrs)->baseQ, "APP.FILL1");
    q = LocFindQueueInfo(&qm, "CLUS.Q");
    EXPECT_EQ(q->type, (uint32_t)MQQT_REMOTE);
    EXPECT_EQ(q->flags & (QI_CLUSTER | QI_CLUSALIAS | QI_INNAMELIST), QI_CLUSTER | QI_CLUSALIAS | QI_INNAMELIST);
    EXPECT_STREQ(q->text, "CLUSTERS");
    EXPECT_STREQ(((const QATTRREMOTE *)q->attrs)->xmitQ, "XQ");
    EXPECT_EQ(qm.q.refreshMarks & (RM_ARRIVING | RM_QUEUES_ASKED | RM_QUEUES_DONE), RM_QUEUES_DONE);
}

TEST_F(Refresh, QueueNamesArePairedWithTypesByIndex)
{
    Loc qm("QMNAMES");
    IFCMD rec = Record(&qm, &PCFQueueNamesDef[3]);
    Give(&rec, Reply(MQCMD_INQUIRE_Q_NAMES).Strs(3011, { "Q.A", "Q.B", "Q.C" }, 48).Ints(1261, { 1, 3 }));
    EXPECT_EQ(QueueRecords(&qm.q), 2);
    ASSERT_NE(LocFindQueueInfo(&qm, "Q.B"), nullptr);
    EXPECT_EQ(LocFindQueueInfo(&qm, "Q.B")->type, 3u);
    EXPECT_EQ(LocFindQueueInfo(&qm, "Q.C"), nullptr);
    /* without both lists, or with a list running past the reply: nothing */
    Give(&rec, Reply(MQCMD_INQUIRE_Q_NAMES).Strs(3011, { "Q.D" }, 48));
    Reply broken = Reply(MQCMD_INQUIRE_Q_NAMES).Ints(1261, { 1 }).Strs(3011, { "Q.E" }, 48);
    broken.Put32At(36 + 20 + 16, 9);                     /* nine strings said, one there */
    Give(&rec, broken);
    EXPECT_EQ(QueueRecords(&qm.q), 2);
    EXPECT_EQ(LocFindQueueInfo(&qm, "Q.D"), nullptr);
    EXPECT_EQ(LocFindQueueInfo(&qm, "Q.E"), nullptr);
}

TEST_F(Refresh, QueueListsWaitForTheLevelAndFgnIsLeftAlone)
{
    Loc qm("QMLATER", 0);
    hooks.swallow = 1;
    hooks.onFrame = [&](const FrameMsg &m) {
        if (m.message == 11383)
            RequestQmgrRefresh(m.location, (uint32_t)m.wParam, nullptr, 0);
    };
    EXPECT_EQ(RequestQmgrRefresh(&qm, RK_QUEUES, "APP.*", 0), 0);
    EXPECT_TRUE(hooks.sent.empty());
    EXPECT_EQ(RequestQmgrRefresh(&qm, RK_QMGR, nullptr, 0), 0);
    ASSERT_EQ(hooks.sent.size(), 1u);
    EXPECT_EQ(Command(0), MQCMD_INQUIRE_Q_MGR);
    EXPECT_EQ(qm.q.refreshMarks, RM_QMGR_ASKED);
    EXPECT_EQ(RequestQmgrRefresh(&qm, RK_QMGR, nullptr, 0), 0);   /* outstanding: not again */
    EXPECT_EQ(hooks.sent.size(), 1u);
    Feed(&qm, hooks.sent[0].key, Reply(MQCMD_INQUIRE_Q_MGR).Int(MQIA_COMMAND_LEVEL, 940).Int(MQIA_PLATFORM, 11));
    /* the level came: the queue list follows, two inquiries for the prefix */
    ASSERT_EQ(hooks.sent.size(), 3u);
    EXPECT_EQ(Command(1), MQCMD_INQUIRE_Q);
    EXPECT_EQ(Command(2), MQCMD_INQUIRE_Q);
    IFCMD *r = IfcmdHold((const uint8_t *)&hooks.sent[2].key);
    EXPECT_STREQ(r->objectText, "APP.*");
    IfcmdLetGo(r);
    EXPECT_EQ(qm.q.refreshMarks, RM_QMGR_DONE | RM_QUEUES_ASKED);
    EXPECT_EQ(RequestQmgrRefresh(&qm, RK_QUEUES, nullptr, 0), 1);   /* asked already */
    EXPECT_EQ(hooks.sent.size(), 3u);
    /* one names inquiry when the option says so */
    Prf.po[3] = 0x4000000;
    EXPECT_EQ(RequestQmgrRefresh(&qm, RK_QUEUES, nullptr, 1), 1);
    ASSERT_EQ(hooks.sent.size(), 4u);
    EXPECT_EQ(Command(3), MQCMD_INQUIRE_Q_NAMES);
    /* a foreign location is never refreshed */
    qm.q.flags |= LF_FGN;
    EXPECT_EQ(RequestQmgrRefresh(&qm, RK_QMGR | RK_QUEUES | RK_DOWNLOAD, "*", 1), 0);
    EXPECT_EQ(hooks.sent.size(), 4u);
}

TEST_F(Refresh, TheDownloadKeepsTheAcceptedDefaults)
{
    Loc qm("QMDOWN");
    hooks.swallow = 1;
    LocGlobals.now = 1700000000;                          /* every step within one second */
    EXPECT_TRUE(FindNameInList(&DownloadTable[0], "SYSTEM.DEFAULT.LOCAL.QUEUE", 26));
    EXPECT_FALSE(FindNameInList(&DownloadTable[0], "SYSTEM.DEFAULT.LOCAL", 20));
    EXPECT_FALSE(FindNameInList(&DownloadTable[0], "DEFAULT.LOCAL.QUEUE", 19));
    EXPECT_EQ(GetDownloadEntry(&PCFQueueListDef), &DownloadTable[0]);
    EXPECT_EQ(GetDownloadEntry(&PCFMessageListDef), nullptr);
    EXPECT_EQ(StartDownload(&qm, 0), 0);
    EXPECT_EQ(DownloadState(&qm), DL_RUNNING);
    EXPECT_EQ(StartDownload(&qm, 1), 1);                 /* no restart while running */
    ASSERT_EQ(hooks.sent.size(), 1u);
    CMDKEY key = hooks.sent[0].key;
    IFCMD *r = IfcmdHold((const uint8_t *)&key);
    uint64_t generation = r->callerValue;
    EXPECT_STREQ(r->objectText, "SYSTEM.DEFAULT.*");
    IfcmdLetGo(r);
    const struct { const char *name; int32_t type; } queues[] = {
        { "SYSTEM.DEFAULT.ALIAS.QUEUE", MQQT_ALIAS }, { "SYSTEM.DEFAULT.INITIATION.QUEUE", MQQT_LOCAL },
        { "SYSTEM.DEFAULT.LOCAL.QUEUE", MQQT_LOCAL }, { "SYSTEM.DEFAULT.MODEL.QUEUE", MQQT_MODEL },
        { "SYSTEM.DEFAULT.REMOTE.QUEUE", MQQT_REMOTE },
    };
    for (size_t i = 0; i < 5; i++)
        Feed(&qm, key, Reply(MQCMD_INQUIRE_Q, i == 4).Str(MQCA_Q_NAME, queues[i].name, 10)
                           .Int(MQIA_Q_TYPE, queues[i].type).Str(MQCA_Q_DESC, queues[i].name));
    EXPECT_EQ(DownloadState(&qm), DL_DONE);
    for (int32_t type : { MQQT_ALIAS, MQQT_LOCAL, MQQT_MODEL, MQQT_REMOTE }) {
        const uint8_t *area = FindDownloadedObject(&qm, MQCA_Q_NAME, type);
        ASSERT_NE(area, nullptr) << type;
        PCFFieldEntry *e = PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQCA_Q_DESC);
        char text[100];
        EXPECT_NE(std::string(PCFValueText(area, e, 0, text, sizeof text, 0)).find("SYSTEM.DEFAULT."), std::string::npos);
    }
    EXPECT_EQ(FindDownloadedObject(&qm, MQCA_Q_NAME, 7), nullptr);
    EXPECT_EQ(FindDownloadedObject(&qm, MQCACH_CHANNEL_NAME, 1), nullptr);
    /* done: not again unless forced; the forced one is a new generation
     * and a reply of the earlier one changes nothing */
    EXPECT_EQ(StartDownload(&qm, 0), 1);
    EXPECT_EQ(StartDownload(&qm, 1), 0);
    IFCMD earlier = Record(&qm, &PCFQueueDef);
    earlier.callerValue = generation;
    earlier.complete = 1;
    Reply lateReply = Reply(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "SYSTEM.DEFAULT.LOCAL.QUEUE").Int(MQIA_Q_TYPE, 1);
    Give(&earlier, lateReply, DownloadResponse);
    EXPECT_EQ(DownloadState(&qm), DL_RUNNING);
    EXPECT_NE(FindDownloadedObject(&qm, MQCA_Q_NAME, MQQT_LOCAL), nullptr);   /* kept while the next runs */
    /* refused by the queue manager: the download fails, and may start again */
    Feed(&qm, hooks.sent.back().key, Reply(MQCMD_INQUIRE_Q, true, MQRC_NOT_AUTHORIZED));
    EXPECT_EQ(DownloadState(&qm), DL_FAILED);
    SetDownloadState(&qm, 0);
    EXPECT_EQ(DownloadState(&qm), DL_FAILED);
    EXPECT_NE(FindDownloadedObject(&qm, MQCA_Q_NAME, MQQT_MODEL), nullptr);   /* a failure loses none */
    EXPECT_EQ(StartDownload(&qm, 0), 0);
    /* begun again in the same second: a late reply of a download that
     * stopped is never taken for one of this one */
    IFCMD stopped = Record(&qm, &PCFQueueDef);
    stopped.callerValue = generation;
    stopped.complete = 1;
    Give(&stopped, lateReply, DownloadResponse);
    EXPECT_EQ(DownloadState(&qm), DL_RUNNING);
    FreeDownloadData(&qm);
    EXPECT_EQ(FindDownloadedObject(&qm, MQCA_Q_NAME, MQQT_MODEL), nullptr);
    LocGlobals.now = 0;
}

/* The location timer, wired as the shell wires it, asks the engine
 * whether the download runs: a running download is not asked for again
 * at every tick, and a refresh that is out does not hold back a download
 * whose repeat time has come. */
TEST_F(Refresh, TheTimerAsksTheEngineWhetherTheDownloadRuns)
{
    Loc qm("QMTIMER");
    hooks.swallow = 1;
    InstallTimerWiring();
    int32_t objr = Prf.objr, objrty = Prf.objrty;
    uint32_t po3 = Prf.po[2];
    Prf.objr = 100;
    Prf.objrty = 500;
    Prf.po[2] |= 0x40000000u;                            /* no automatic refresh */
    const int64_t now = 1700000000;
    qm.q.flags |= LF_OBJD;
    qm.q.putThread.state = 0x5;                          /* connected */
    qm.q.lastUsed = now - 100;
    LocGlobals.now = now;
    LocTimerOne(&qm.q);
    EXPECT_EQ(DownloadState(&qm.q), DL_RUNNING);
    ASSERT_EQ(hooks.sent.size(), 1u);
    EXPECT_EQ(qm.q.lastDownloadRequest, now);
    /* running: not asked for at each tick */
    for (int i = 1; i <= 50; i++) {
        LocGlobals.now = now + i;
        LocTimerOne(&qm.q);
    }
    EXPECT_EQ(qm.q.lastDownloadRequest, now);
    Feed(&qm.q, hooks.sent[0].key, Reply(MQCMD_INQUIRE_Q, true).Str(MQCA_Q_NAME, "SYSTEM.DEFAULT.LOCAL.QUEUE", 10)
                                       .Int(MQIA_Q_TYPE, MQQT_LOCAL));
    ASSERT_EQ(DownloadState(&qm.q), DL_DONE);
    /* a queue-list refresh is out when the repeat time comes: the
     * download goes all the same */
    ASSERT_EQ(RequestQmgrRefresh(&qm.q, RK_QUEUES, "*", 1), 1);
    ASSERT_NE(qm.q.refreshMarks & RM_BUSY, 0u);
    size_t sent = hooks.sent.size();
    LocGlobals.now = now + 150;
    LocTimerOne(&qm.q);
    EXPECT_EQ(DownloadState(&qm.q), DL_RUNNING);
    ASSERT_EQ(hooks.sent.size(), sent + 1);
    IFCMD *r = IfcmdHold((const uint8_t *)&hooks.sent.back().key);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->objectText, "SYSTEM.DEFAULT.*");
    IfcmdLetGo(r);
    IfcmdPurge(0, &qm.q, 1);
    FreeDownloadData(&qm.q);
    LocSetTimerHooks(nullptr);
    LocGlobals.now = 0;
    Prf.objr = objr;
    Prf.objrty = objrty;
    Prf.po[2] = po3;
}

}  // namespace
