/* The engine tests' fixture. */
#include "xferengine.h"

#include <cstring>

#include "cs.h"

static void send_text(void *ctx, void *, const char *text)
{
    ((Transfer *)ctx)->texts.push_back(text);
}

static int ask(void *ctx, void *, const char *question)
{
    Transfer *t = (Transfer *)ctx;
    t->questions.push_back(question);
    return t->answer;
}

void Transfer::SetUp()
{
    EngineTest::SetUp();
    Mqsc("QM1", "DEFINE QLOCAL(Q1) MAXDEPTH(100000)\nDEFINE QLOCAL(Q2) MAXDEPTH(100000)\n"
                "DEFINE QLOCAL(Q3) MAXDEPTH(100000)\n");
    char name[48];
    memset(name, ' ', sizeof name);
    memcpy(name, "QM1", 3);
    MQCNO cno = {MQCNO_DEFAULT};
    MQLONG cc, rc;
    MQServerTable.MQCONNX(name, &cno, &conn, &cc, &rc);
    ASSERT_EQ(rc, 0);
    Rec.Clear();
}

void Transfer::TearDown()
{
    MQLONG cc, rc;
    if (conn != MQHC_UNUSABLE_HCONN)
        MQServerTable.MQDISC(&conn, &cc, &rc);
    EngineTest::TearDown();
}

DROPT *Transfer::Block(void)
{
    DROPT *o = (DROPT *)CSGetMem(sizeof(DROPT), "DROPT");
    DraskInit(o);
    o->head.table = &MQServerTable;
    o->head.hConn = conn;
    o->runTime = CSGetCurrentTime();
    return o;
}

int Transfer::Run(DROPT *o)
{
    DRASKTHREAD thread = {nullptr, this, send_text, ask};
    int rc = DraskLoadUnload(&thread, nullptr, o);
    CSFreeMem(o);
    return rc;
}

void Transfer::PutMessage(const char *queue, const std::string &data, MQMD *md, bool setAll)
{
    MQHCONN h = Own("QM1");
    MQOD od = {MQOD_DEFAULT};
    Fill(od.ObjectName, sizeof od.ObjectName, queue);
    MQHOBJ o;
    MQLONG cc, rc;
    StandIn.MQOPEN(h, &od, MQOO_OUTPUT | (setAll ? MQOO_SET_ALL_CONTEXT : 0), &o, &cc, &rc);
    ASSERT_EQ(rc, 0);
    MQMD dflt = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_NO_SYNCPOINT | (setAll ? MQPMO_SET_ALL_CONTEXT : 0);
    StandIn.MQPUT(h, o, md ? md : &dflt, &pmo, (MQLONG)data.size(), (PMQVOID)data.data(), &cc, &rc);
    EXPECT_EQ(rc, 0);
    StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
}

void Transfer::PutMany(const char *queue, int count, const char *prefix)
{
    MQHCONN h = Own("QM1");
    MQOD od = {MQOD_DEFAULT};
    Fill(od.ObjectName, sizeof od.ObjectName, queue);
    MQHOBJ o;
    MQLONG cc, rc;
    StandIn.MQOPEN(h, &od, MQOO_OUTPUT, &o, &cc, &rc);
    ASSERT_EQ(rc, 0);
    for (int i = 1; i <= count; i++) {
        std::string data = prefix + std::to_string(i);
        MQMD md = {MQMD_DEFAULT};
        memcpy(md.Format, MQFMT_STRING, 8);
        MQPMO pmo = {MQPMO_DEFAULT};
        pmo.Options = MQPMO_NO_SYNCPOINT;
        StandIn.MQPUT(h, o, &md, &pmo, (MQLONG)data.size(), (PMQVOID)data.data(), &cc, &rc);
        ASSERT_EQ(rc, 0);
    }
    StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
}

std::vector<XMsg> Transfer::Browse(const char *queue)
{
    std::vector<XMsg> out;
    MQHCONN h = Own("QM1");
    MQOD od = {MQOD_DEFAULT};
    Fill(od.ObjectName, sizeof od.ObjectName, queue);
    MQHOBJ o;
    MQLONG cc, rc;
    StandIn.MQOPEN(h, &od, MQOO_BROWSE, &o, &cc, &rc);
    EXPECT_EQ(rc, 0);
    std::string buf(1 << 20, '\0');
    for (;;) {
        MQMD md;
        DraskDefaultMD(&md);
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_BROWSE_NEXT | MQGMO_NO_WAIT | MQGMO_PROPERTIES_FORCE_MQRFH2;
        MQLONG n = 0;
        StandIn.MQGET(h, o, &md, &gmo, (MQLONG)buf.size(), &buf[0], &n, &cc, &rc);
        if (cc == MQCC_FAILED)
            break;
        out.push_back({md, buf.substr(0, (size_t)n)});
    }
    EXPECT_EQ(rc, MQRC_NO_MSG_AVAILABLE);
    StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    return out;
}

MQMD Transfer::FullMD(int i)
{
    MQMD md;
    DraskDefaultMD(&md);
    md.Report = MQRO_EXCEPTION;
    md.MsgType = MQMT_REQUEST;
    md.Expiry = MQEI_UNLIMITED;
    md.Feedback = 0;
    md.Encoding = i % 2 ? 273 : 546;
    md.CodedCharSetId = i % 2 ? 500 : 1208;
    memcpy(md.Format, i % 3 ? MQFMT_STRING : MQFMT_NONE, 8);
    md.Priority = i % 10;
    md.Persistence = i % 2;
    memcpy(md.MsgId, "MSGID-0123456789-ABCDEF", 23);
    md.MsgId[23] = (MQBYTE)i;
    memcpy(md.CorrelId, "CORREL", 6);
    Fill(md.ReplyToQ, sizeof md.ReplyToQ, "REPLY.QUEUE");
    Fill(md.ReplyToQMgr, sizeof md.ReplyToQMgr, "QM.REPLY");
    Fill(md.UserIdentifier, sizeof md.UserIdentifier, "someone");
    memcpy(md.AccountingToken, "\x16\x01\x05\x15" "acct", 8);
    Fill(md.ApplIdentityData, sizeof md.ApplIdentityData, "identity");
    md.PutApplType = MQAT_UNIX;
    Fill(md.PutApplName, sizeof md.PutApplName, "loader test");
    memcpy(md.PutDate, "20230405", 8);
    memcpy(md.PutTime, "11223344", 8);
    memcpy(md.ApplOriginData, "orig", 4);
    return md;
}
