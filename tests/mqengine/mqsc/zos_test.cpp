/* A z/OS queue manager of the stand-in administered through MQSC text end
 * to end: the refresh, queue lists, a queue shown and altered with a quote
 * in its description, errors collected from the CSQ replies, an empty
 * display, and a location that finds out its queue manager refuses PCF. */
#include "mqsctest.h"

#include <algorithm>
#include <cstring>

#include "cs.h"
#include "locstore.h"
#include "mq/capability.h"

using namespace cmdtest;
using namespace mqsctest;

namespace {

struct Zos : Live {
    /* The status text of a dialog that starts so, or "". */
    std::string Starting(DialogWords *d, const char *prefix)
    {
        for (const std::string &t : hooks.Texts(d))
            if (!t.compare(0, strlen(prefix), prefix))
                return t;
        return "";
    }
    QMS *Mvs(const char *qm, const char *setup)
    {
        Mqsc(qm, (std::string("ALTER QMGR PLATFORM(MVS) CMDLEVEL(910)\n") + setup).c_str());
        return Location(qm, LF_MVS);
    }
};

TEST_F(Zos, TheRefreshLearnsTheQueueManagerAndItsQueues)
{
    QMS *r = Mvs("ZQMA", "DEFINE QLOCAL(APP.FILL) MAXDEPTH(5000)\nDEFINE QALIAS(APP.ALIAS) TARGET(APP.FILL)\n"
                         "DEFINE QLOCAL(APP.XMIT) USAGE(XMITQ)\nALTER QMGR DEADQ(APP.FILL)\n");
    Put("ZQMA", "APP.FILL", "x");
    RequestQmgrRefresh(r, RK_QMGR | RK_QUEUES, "*", 1);
    ASSERT_TRUE(WaitFor([r] { return r->commandLevel > 0; }));
    RequestQmgrRefresh(r, RK_QUEUES, "*", 1);
    ASSERT_TRUE(Listed(r, { "APP.ALIAS", "APP.XMIT" }));     /* each type's queue in the list */
    EXPECT_EQ(r->platform, MQPL_ZOS);
    EXPECT_EQ(r->commandLevel, 910);
    uint8_t caps[CAP_COUNT] = {};
    CapSetForQmgr(caps, MQPL_ZOS, 910);
    for (int i = 0; i < CAP_COUNT; i++)
        if (i != 17) {
            EXPECT_EQ(r->caps[i], caps[i]) << i;
        }
    CMDQMGR got;
    ASSERT_TRUE(CmdReported(r, &got));
    EXPECT_STREQ(got.name, "ZQMA");
    EXPECT_STREQ(got.deadLetterQ, "APP.FILL");
    QINFO *q = LocFindQueueInfo(r, "APP.FILL");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->type, (uint32_t)MQQT_LOCAL);
    EXPECT_EQ(((const QATTRLOCAL *)q->attrs)->depth, 1);
    EXPECT_EQ(((const QATTRLOCAL *)q->attrs)->maxDepth, 5000);
    ASSERT_NE(LocFindQueueInfo(r, "APP.ALIAS"), nullptr);
    EXPECT_EQ(LocFindQueueInfo(r, "APP.ALIAS")->type, (uint32_t)MQQT_ALIAS);
    EXPECT_STREQ(((const QATTRALIAS *)LocFindQueueInfo(r, "APP.ALIAS")->attrs)->baseQ, "APP.FILL");
    EXPECT_EQ(((const QATTRLOCAL *)LocFindQueueInfo(r, "APP.XMIT")->attrs)->usage, MQUS_TRANSMISSION);
    for (const std::string &text : Puts())
        EXPECT_EQ(text.compare(0, 7, "DISPLAY"), 0) << text;
}

TEST_F(Zos, AQueueListAndAQueueWithAQuoteInItsDescription)
{
    QMS *r = Mvs("ZQMB", "DEFINE QLOCAL(APP.A)\nDEFINE QLOCAL(APP.B)\nDEFINE QALIAS(APP.C) TARGET(APP.A)\n");
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 1);
    ASSERT_TRUE(WaitFor([r] { return r->commandLevel == 910; }));
    TestDialog list(&PCFQueueListDef, r);
    EXPECT_EQ(Do(list, 1), 0);
    std::vector<std::string> names = list.Column(MQCA_Q_NAME);
    for (const char *n : { "APP.A", "APP.B", "APP.C" })
        EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
    TestDialog q(&PCFQueueDef, r);
    q.Set(MQCA_Q_NAME, "APP.A");
    EXPECT_EQ(Do(q, 1), 0);
    q.Set(MQCA_Q_DESC, "Bob's queue");
    EXPECT_EQ(Do(q, 575), 0);
    EXPECT_NE(Puts().back().find("DESCR('Bob''s queue')"), std::string::npos) << Puts().back();
    q.Set(MQCA_Q_DESC, "");
    EXPECT_EQ(Do(q, 1), 0);
    EXPECT_EQ(q.Value(MQCA_Q_DESC), "Bob's queue");
    /* a new queue: the queue type becomes the object keyword */
    q.Set(MQCA_Q_NAME, "APP.NEW");
    q.Set(MQCA_Q_DESC, "made here");
    EXPECT_EQ(Do(q, 565), 0);
    EXPECT_EQ(Puts().back().compare(0, 24, "DEFINE QLOCAL('APP.NEW')"), 0) << Puts().back();
    EXPECT_NE(Mqsc("ZQMB", "DISPLAY QLOCAL(APP.NEW) DESCR\n").find("made here"), std::string::npos);
}

TEST_F(Zos, ErrorsAndAnEmptyDisplay)
{
    QMS *r = Mvs("ZQMC", "DEFINE QLOCAL(APP.A)\n");
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 1);
    ASSERT_TRUE(WaitFor([r] { return r->commandLevel == 910; }));
    TestDialog q(&PCFQueueDef, r);
    q.Set(MQCA_Q_NAME, "APP.NONE");
    EXPECT_EQ(Do(q, 578), 0);
    std::string text = Starting(q.d, "CSQM125I");    /* "Request sent..." may come after it */
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find("CSQM090E"), std::string::npos) << text;
    TestDialog list(&PCFQueueListDef, r);
    list.Set(MQCA_Q_NAME, "NOTHING.*");
    EXPECT_EQ(Do(list, 1), 0);
    EXPECT_EQ(list.Rows(), 0);
    EXPECT_FALSE(Starting(list.d, "CSQM297I").empty());
    EXPECT_GE(hooks.Count(UM_PCF_UPDATE_LIST, list.d), 1u);
    /* an attribute reply that cannot be converted ends the command there:
       the replies after it change nothing, nothing stays in flight (Do
       waits for that) and the dialog is told once */
    list.Set(MQCA_Q_NAME, "*");
    size_t updates = hooks.Count(UM_PCF_UPDATE_DIALOG, list.d);
    size_t lists = hooks.Count(UM_PCF_UPDATE_LIST, list.d);
    CSMemFailTag("pPcfMsg", 1);
    EXPECT_EQ(Do(list, 1), 0);
    CSMemFailTag("pPcfMsg", 0);
    EXPECT_EQ(hooks.LastText(list.d), "Error converting MQSC Response.");
    EXPECT_EQ(hooks.Count(UM_PCF_UPDATE_DIALOG, list.d), updates + 1);
    EXPECT_EQ(hooks.Count(UM_PCF_UPDATE_LIST, list.d), lists);
    EXPECT_EQ(list.d->first.lastAnswered, list.d->first.sequence);
}

TEST_F(Zos, ALocationThatRefusesPcfSwitchesToMqsc)
{
    Mqsc("ZQMD", "ALTER QMGR PLATFORM(MVS) CMDLEVEL(910)\nDEFINE QLOCAL(APP.A)\n");
    QMS *r = Location("ZQMD");
    StandInFault("CMDSERVER", 1, MQRCCF_CFH_VERSION_ERROR, 0);
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 1);
    ASSERT_TRUE(WaitFor([r] { return (r->flags & LF_MVS) && r->commandLevel == 910; }));
    RequestQmgrRefresh(r, RK_QUEUES, "*", 1);
    ASSERT_TRUE(Listed(r, { "APP.A" }));
    EXPECT_EQ(Puts().back().compare(0, 7, "DISPLAY"), 0);
}

}  // namespace
