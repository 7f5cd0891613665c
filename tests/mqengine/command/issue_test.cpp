/* Issuing commands, window-free: the request key and the entry's counter,
 * the thread-request flags of each kind of action, Browse under its
 * second id, actions a definition lacks, commands without a dialog, the
 * two-queue-manager split with its pending compares, a request that
 * cannot be queued, what a request leaves of the dialog's view and the
 * target a keeping action remembers. */
#include "cmdtest.h"

#include <cstring>

#include "cs.h"
#include "locstore.h"
#include "pcflists.h"

using namespace cmdtest;

namespace {

struct Issue : CmdFixture {
    /* The command code and parameters of the n-th request. */
    int32_t Command(size_t n)
    {
        int32_t c;
        memcpy(&c, hooks.sent.at(n).data.data() + 12, 4);
        return c;
    }
};

TEST_F(Issue, KeysFlagsAndTheCounter)
{
    Loc qm("QMKEY");
    hooks.swallow = 1;
    TestDialog q(&PCFQueueDef, &qm);
    q.Set(MQCA_Q_NAME, "APP.ONE");
    q->first.sequence = 0xFFFFFFFF;
    LocGlobals.now = 0x123456789LL;
    ASSERT_EQ(PCFDoCommand(q.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(hooks.sent.size(), 1u);
    const Sent s = hooks.sent[0];
    EXPECT_EQ(s.key.origin, KEY_DIALOG);
    EXPECT_EQ(s.key.sequence, 1u);                    /* 0xFFFFFFFF wraps to 1, never 0 */
    EXPECT_EQ(s.key.created, 0x23456789u);
    EXPECT_EQ(q->first.sequence, 1u);
    EXPECT_EQ(q->first.requestCount, 1u);
    EXPECT_EQ(s.flags, (uint32_t)TRF_IFCMD);
    EXPECT_EQ(s.location, &qm.q);
    IFCMD *r = IfcmdHold((const uint8_t *)&s.key);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ((uint64_t)(uintptr_t)r, s.key.reference);
    EXPECT_EQ(r->command, (uint32_t)MQCMD_INQUIRE_Q);
    EXPECT_STREQ(r->objectText, "APP.ONE");
    EXPECT_EQ(r->dialog, q.d);
    IfcmdLetGo(r);
    EXPECT_EQ(Command(0), MQCMD_INQUIRE_Q);
    auto p = Parms((const uint8_t *)s.data.data(), (uint32_t)s.data.size());
    EXPECT_EQ(p, (std::vector<std::pair<int32_t, int32_t>>{ { MQCFT_STRING, MQCA_Q_NAME },
                                                            { MQCFT_INTEGER, MQIA_Q_TYPE } }));
    EXPECT_EQ(hooks.LastText(q.d), "Request sent...");
    EXPECT_EQ(hooks.titles.back(), " waiting...");
    /* the next one counts on; a quiet one shows nothing */
    hooks.statuses.clear();
    PCFDoCommand(q.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 1, 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(hooks.sent.back().key.sequence, 2u);
    EXPECT_NE(hooks.sent.back().key.serial, s.key.serial);
    EXPECT_EQ(hooks.Texts(q.d), std::vector<std::string>{ "" });
    /* 782 is Browse (566): it opens the queue's Message List, which
     * sends the browse itself; an action the definition lacks sends
     * nothing */
    PCFDoCommand(q.d, 0, 1, 782, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(hooks.opened, std::vector<uint32_t>{ 566 });
    EXPECT_EQ(PCFDoCommand(q.d, 0, 1, 9999, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(hooks.sent.size(), 2u);
    /* without a dialog: origin 2, sequence 1, nothing shown */
    hooks.statuses.clear();
    PCFDoCommand(nullptr, 0, 1, 1, &PCFQmgrInfoDef, nullptr, nullptr, &qm, 0, 77, QmgrInfoReplyQuiet, nullptr, nullptr);
    EXPECT_EQ(hooks.sent.back().key.origin, KEY_PROGRAM);
    EXPECT_EQ(hooks.sent.back().key.sequence, 1u);
    EXPECT_EQ(Command(2), MQCMD_INQUIRE_Q_MGR);
    EXPECT_TRUE(hooks.statuses.empty());
    /* a message list's commands go to the reply queue, where the agent
     * takes them */
    TestDialog m(&PCFMessageListDef, &qm);
    m.Set(MQCA_Q_NAME, "APP.ONE");               /* its close command goes first (10010) */
    EXPECT_EQ(Command(3), MYCMD_CLOSE_QUEUE);
    PCFDoCommand(m.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(hooks.sent.back().flags, (uint32_t)(TRF_IFCMD | TRF_REPLYQ));
    EXPECT_EQ(IfcmdCount(), 5);
    LocGlobals.now = 0;
}

/* Actions whose flags route them: the analyser, the message thread, the
 * broker, the reply queue. */
const PCFActionDef RoutedActions[] = {
    { 0, 0, 0, MYCMD_SET_GROUP, 801, nullptr, "&Central", 0, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, MYCMD_INQUIRE_MSGS, 802, nullptr, "&Message", 0, 0x400, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, MQCMD_INQUIRE_Q, 803, nullptr, "&Broker", 0, 0x2000, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, MQCMD_INQUIRE_Q, 804, nullptr, "&Agent", 0, 0x1000, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr },
};
PCFFieldEntry NoFields[] = { { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 } };
PCFCommandDef RoutedDef = { 0, 0, 0, "Routed", RoutedActions, NoFields, 0, 0, nullptr, nullptr, 0, 0, 0x200, 0,
                            nullptr, nullptr, nullptr };

TEST_F(Issue, RequestFlagsRouteEachKind)
{
    Loc qm("QMROUTE");
    hooks.swallow = 1;
    PCFPrepareDef(&RoutedDef);
    const uint32_t expect[] = { TRF_IFCMD | TRF_ANALYSER, TRF_IFCMD | TRF_MESSAGE, TRF_IFCMD | TRF_BROKER,
                                TRF_IFCMD | TRF_REPLYQ };
    for (int i = 0; i < 4; i++) {
        PCFDoCommand(nullptr, 0, 1, 801 + (uint32_t)i, &RoutedDef, nullptr, nullptr, &qm, 1, 0, nullptr, nullptr,
                     nullptr);
        ASSERT_EQ(hooks.sent.size(), (size_t)i + 1);
        EXPECT_EQ(hooks.sent[(size_t)i].flags, expect[i]) << i;
    }
    /* an mvs location sends the program's own commands as PCF, others as
     * MQSC text */
    qm.q.flags |= LF_MVS;
    EXPECT_EQ(PCFDoCommand(nullptr, 0, 1, 802, &RoutedDef, nullptr, nullptr, &qm, 1, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(hooks.sent.size(), 5u);
    EXPECT_EQ(PCFDoCommand(nullptr, 0, 1, 803, &RoutedDef, nullptr, nullptr, &qm, 1, 0, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(hooks.sent.size(), 6u);
    EXPECT_EQ(hooks.sent[5].flags, (uint32_t)(TRF_IFCMD | TRF_BROKER | TRF_TEXT));
    EXPECT_EQ(hooks.sent[5].data, "DISPLAY ALL");
}

/* A two-queue-manager definition: the name fields of A and B. */
const PCFFieldDef PairA = { 0, 0, 0, "Queue Manager A", "qmA", nullptr, 7, nullptr, "A", MYCA_Q_MGR_NAME_A, 4, 0, 48,
                            nullptr, 0 };
const PCFFieldDef PairB = { 0, 0, 0, "Queue Manager B", "qmB", nullptr, 7, nullptr, "B", MYCA_Q_MGR_NAME_B, 4, 0, 48,
                            nullptr, 0 };
PCFFieldEntry PairFields[] = {
    { 0, 0, 0, nullptr, &PairA, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &PairB, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 },
};
const PCFActionDef PairActions[] = {
    { 0, 0, 0, MQCMD_INQUIRE_Q_MGR, 1, nullptr, "&Compare", 0x10000, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, MQCMD_INQUIRE_Q_MGR, 702, nullptr, "A", 0, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, MQCMD_INQUIRE_Q_MGR, 703, nullptr, "B", 0x1000000, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr },
};
PCFCommandDef PairDef = { 0, 0, 0, "Pair", PairActions, PairFields, 0, 0, nullptr, nullptr, 0, 0, PCFD_PAIR, 0,
                          nullptr, nullptr, nullptr };

/* A location in the location tree (the pair looks names up). */
struct Stored {
    QMS *r;
    explicit Stored(const char *name)
    {
        QMS t = {};
        InitLocationDefaults(&t);
        snprintf(t.qmName, sizeof t.qmName, "%s", name);
        t.platform = MQPL_WINDOWS_NT;
        t.commandLevel = 940;
        r = LocCreate(&LocTree, &t, 0);
    }
    ~Stored()
    {
        IfcmdPurge(0, r, 1);
        MQEForgetLocation(r);
        LocDelete(&LocTree, r, nullptr);
        LocFlushFreed();
    }
};

TEST_F(Issue, APairSendsToAAndOnlyThenToB)
{
    Stored a("QMPAIRA"), b("QMPAIRB");
    PCFPrepareDef(&PairDef);
    hooks.swallow = 1;
    TestDialog d(&PairDef, nullptr);
    /* A missing, unknown, B missing, the same location twice */
    EXPECT_EQ(PCFDoCommand(d.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(hooks.LastText(), "Please enter a value for Queue Manager A");
    d.Set(MYCA_Q_MGR_NAME_A, "  QMNONE");
    PCFDoCommand(d.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(hooks.LastText(), "Unrecognised value for Queue Manager A");
    d.Set(MYCA_Q_MGR_NAME_A, "QMPAIRA");
    PCFDoCommand(d.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(hooks.LastText(), "Please enter a value for Queue Manager B");
    d.Set(MYCA_Q_MGR_NAME_B, "QMPAIRA");
    PCFDoCommand(d.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(hooks.LastText(), "Queue Manager A and Queue Manager B should be different");
    EXPECT_TRUE(hooks.sent.empty());
    /* both: 702 to A, then 703 to B */
    d.Set(MYCA_Q_MGR_NAME_B, "QMPAIRB");
    EXPECT_EQ(PCFDoCommand(d.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(hooks.sent.size(), 2u);
    EXPECT_EQ(hooks.sent[0].location, a.r);
    EXPECT_EQ(hooks.sent[1].location, b.r);
    EXPECT_EQ(d->first.caps, a.r->caps);
    EXPECT_EQ(d->second.caps, b.r->caps);
    /* both compare requests are pending on their own entry; a quiet
     * compare marks nothing */
    EXPECT_EQ(d->first.comparePending, 1u);
    EXPECT_EQ(d->second.comparePending, 1u);
    d->first.comparePending = d->second.comparePending = 0;
    EXPECT_EQ(PCFDoCommand(d.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 1, 0, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(hooks.sent.size(), 4u);
    EXPECT_EQ(d->first.comparePending, 0u);
    EXPECT_EQ(d->second.comparePending, 0u);
    /* A's request cannot be queued: B is not asked */
    hooks.swallow = 0;
    hooks.failPost = hooks.posts + 1;
    EXPECT_EQ(PCFDoCommand(d.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(hooks.sent.size(), 5u);
    EXPECT_EQ(hooks.sent[4].location, a.r);
    EXPECT_EQ(d->first.comparePending, 0u);            /* not sent: not pending */
    EXPECT_NE(hooks.LastText().find("Error putting to QMPAIRA/SYSTEM.ADMIN.COMMAND.QUEUE RC(2053)"), std::string::npos);
    EXPECT_TRUE(a.r->status & LS_CANTSEND);
}

/* The Message List with its Refresh row flagged to keep its target and
 * to mark its dialog: no shipped row carries those flags, so the test
 * flags a copy of the shipped rows. */
struct KeepingList {
    std::vector<PCFActionDef> rows;
    PCFCommandDef def;
    KeepingList()
    {
        for (const PCFActionDef *a = PCFMessageListDef.actions; a->id; a++)
            rows.push_back(*a);
        rows.push_back(PCFActionDef{});
        rows[0].flags |= 0x2000;
        rows[0].flags2 |= 0x8000;
        def = PCFMessageListDef;
        def.actions = rows.data();
    }
};

/* A request keeps what the dialog's user chose: a list's "highlight
 * difference from default" survives each refresh, while the dialog's
 * mark that lasts until its next request goes. */
TEST_F(Issue, ARequestKeepsTheViewAndEndsTheRequestMark)
{
    Loc qm("QMVIEW");
    hooks.swallow = 1;
    TestDialog l(&PCFQueueListDef, &qm);
    PCFViewApply(&l->viewOptions, l->numericWords, 735, 0, 1);     /* View > Highlight difference from default */
    const uint32_t view = l->viewOptions;
    ASSERT_TRUE(view & 0x400000);
    l->statusFlags |= DS_UNTIL_REQUEST;
    ASSERT_EQ(PCFDoCommand(l.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(hooks.sent.size(), 1u);
    EXPECT_EQ(l->viewOptions, view);
    EXPECT_FALSE(l->statusFlags & DS_UNTIL_REQUEST);
    /* a shipped Refresh row marks nothing and keeps no target */
    TestDialog m(&PCFMessageListDef, &qm);
    m.Set(MQCA_Q_NAME, "APP.SOURCE");
    m.Set(MYPCFA_TARGET_Q, "APP.KEPT");
    PCFDoCommand(m.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    EXPECT_FALSE(m->markFlags & DM_MARKING_SENT);
    EXPECT_EQ(m->lastTarget, nullptr);
}

TEST_F(Issue, AKeepingActionRemembersItsTarget)
{
    Loc qm("QMKEEP");
    hooks.swallow = 1;
    KeepingList k;
    PCFPrepareDef(&k.def);
    TestDialog m(&k.def, &qm);
    m.Set(MQCA_Q_NAME, "APP.SOURCE");
    m.Set(MYPCFA_TARGET_Q, "APP.KEPT");
    m.Set(MYPCFA_TARGET_QM, "QMFAR");
    hooks.sent.clear();                          /* the close command of the queue name given */
    ASSERT_EQ(PCFDoCommand(m.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(hooks.sent.size(), 1u);
    EXPECT_TRUE(m->markFlags & DM_MARKING_SENT);
    EXPECT_EQ(m->lastTarget, &qm.q);
    /* a copy dropped from another list, which has no targets of its
     * own, goes where the kept command went */
    TestDialog other(&PCFMessageListDef, &qm);
    other.Set(MQCA_Q_NAME, "APP.OTHER");
    other->displayFlags |= PCFDISP_DROP;
    uint8_t message[4096];
    uint32_t length = 0;
    ASSERT_EQ(BuildSelectionList(other.d, &PCFMessageListDef, PCFFindActionDef(PCFMessageListDef.actions, 597),
                                 message, sizeof message, &length), 0);
    std::string built((const char *)message, length);
    EXPECT_NE(built.find("APP.KEPT"), std::string::npos);
    EXPECT_NE(built.find("QMFAR"), std::string::npos);
    PCFSetDropTarget("", "");
}

}  // namespace
