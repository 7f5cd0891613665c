/* MQSC scripts: the objects of a new queue manager, DEFINE/ALTER/DELETE
 * with their messages, real scripts, and damaged input. */
#include "simtest.h"
#include "sampletest.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

TEST_F(Sim, NewQueueManagerHasDefaultObjects)
{
    Mqsc("QM1", "");
    MQHCONN h = Connect("QM1");
    for (const char *q : {"SYSTEM.DEFAULT.LOCAL.QUEUE", "SYSTEM.ADMIN.COMMAND.QUEUE", "SYSTEM.DEAD.LETTER.QUEUE",
                          "SYSTEM.BROKER.CONTROL.QUEUE", "SYSTEM.DEFAULT.ALIAS.QUEUE", "SYSTEM.DEFAULT.REMOTE.QUEUE",
                          "SYSTEM.DEFAULT.MODEL.QUEUE"})
        Close(h, Open(h, q, MQOO_INQUIRE));
    MQHOBJ o = Open(h, "SYSTEM.BROKER.CONTROL.QUEUE", MQOO_INQUIRE);
    MQLONG sel[4] = {MQIA_DEF_PERSISTENCE, MQIA_MSG_DELIVERY_SEQUENCE, MQIA_MAX_Q_DEPTH, MQIA_Q_TYPE}, v[4], cc, rc;
    MQINQ(h, o, 4, sel, 4, v, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(v[0], MQPER_PERSISTENT);
    EXPECT_EQ(v[1], MQMDS_FIFO);
    EXPECT_EQ(v[2], 5000);
    EXPECT_EQ(v[3], MQQT_LOCAL);
    MQHOBJ cmd = Open(h, "SYSTEM.ADMIN.COMMAND.QUEUE", MQOO_INQUIRE);
    MQLONG csel[2] = {MQIA_MAX_MSG_LENGTH, MQIA_SHAREABILITY};
    MQINQ(h, cmd, 2, csel, 2, v, 0, nullptr, &cc, &rc);
    EXPECT_EQ(v[0], 32762);
    EXPECT_EQ(v[1], MQQA_NOT_SHAREABLE);
}

TEST_F(Sim, DefineAlterDelete)
{
    std::string out = Mqsc("QM1",
        "* a comment\n"
        "DEFINE QLOCAL('MY.Q') DESCR('It''s mine') MAXDEPTH(7) +\n"
        "       DEFPSIST(YES) NOSHARE\n"
        "DEFINE QLOCAL(MY.Q)\n"
        "DEFINE QLOCAL(MY.Q) REPLACE MAXDEPTH(8)\n"
        "DEF QL(COPY.Q) LIKE(MY.Q)\n"
        "ALTER QLOCAL(COPY.Q) GET(DISABLED)\n"
        "ALTER QALIAS(COPY.Q) GET(DISABLED)\n"
        "DEFINE QLOCAL(BAD.Q) MAXDEPTH(many)\n"
        "DEFINE QLOCAL(BAD.Q) NOSUCHKEYWORD(1)\n"
        "DELETE QLOCAL(NOPE)\n"
        "DEFINE PROCESS(P1) APPLICID('run.exe')\n"
        "DEFINE CHANNEL(TO.QM2) CHLTYPE(SDR) CONNAME('host(1414)') XMITQ(QM2)\n"
        "DEFINE CHANNEL(NOTYPE)\n", false);
    EXPECT_NE(out.find("     2 : DEFINE QLOCAL('MY.Q') DESCR('It''s mine') MAXDEPTH(7) DEFPSIST(YES) NOSHARE\n"
                       "AMQ8006I: IBM MQ queue created."), std::string::npos) << out;
    EXPECT_NE(out.find("AMQ8150E: IBM MQ object already exists."), std::string::npos);
    EXPECT_NE(out.find("AMQ8147E: IBM MQ object COPY.Q not found."), std::string::npos);
    EXPECT_NE(out.find("AMQ8147E: IBM MQ object NOPE not found."), std::string::npos);
    EXPECT_NE(out.find("AMQ8405I"), std::string::npos);
    EXPECT_NE(out.find("AMQ8010I: IBM MQ process created."), std::string::npos);
    EXPECT_NE(out.find("AMQ8014I: IBM MQ channel created."), std::string::npos);
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "COPY.Q", MQOO_INQUIRE);
    MQLONG sel[4] = {MQIA_MAX_Q_DEPTH, MQIA_DEF_PERSISTENCE, MQIA_INHIBIT_GET, MQCA_Q_DESC}, v[3], cc, rc;
    char desc[64];
    MQINQ(h, o, 4, sel, 3, v, sizeof desc, desc, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(v[0], 8);
    EXPECT_EQ(v[1], MQPER_PERSISTENT);
    EXPECT_EQ(v[2], MQQA_GET_INHIBITED);
    EXPECT_EQ(std::string(desc, 9), "It's mine");
    Open(h, "BAD.Q", MQOO_INQUIRE, MQRC_UNKNOWN_OBJECT_NAME);
    /* deleting: not while open, not when messages are on it unless purged */
    MQHOBJ put = Open(h, "MY.Q", MQOO_OUTPUT);
    Put(h, put, "x");
    out = Mqsc("QM1", "DELETE QLOCAL(MY.Q)", false);
    EXPECT_NE(out.find("AMQ8148E: IBM MQ object in use."), std::string::npos);
    Close(h, put);
    out = Mqsc("QM1", "DELETE QLOCAL(MY.Q)", false);
    EXPECT_NE(out.find("AMQ8143E: IBM MQ queue not empty."), std::string::npos);
    out = Mqsc("QM1", "DELETE QLOCAL(MY.Q) PURGE");
    EXPECT_NE(out.find("AMQ8007I: IBM MQ queue deleted."), std::string::npos);
    Open(h, "MY.Q", MQOO_INQUIRE, MQRC_UNKNOWN_OBJECT_NAME);
}

static std::string ReadAll(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST_F(Sim, RealScriptsRunWithoutCrashing)
{
    int ran = 0;
    for (const char *name : {"SalaiMadhavan__MQ__Dublin_Dublin.mqsc", "ODOWDAIBM__mq01__config.mqsc",
                             "Jencheng1__jms-2__mq_scripts_qm1_setup.mqsc"}) {
        std::string text = ReadAll(samples::File(std::string("ini-mqsc/") + name));
        if (text.empty())
            continue;
        std::string out = Mqsc("SAMPLE", text.c_str(), false);
        EXPECT_NE(out.find("AMQ8006I"), std::string::npos) << name;
        ran++;
    }
    if (!ran)
        GTEST_SKIP() << "no sample scripts";
    MQHCONN h = Connect("SAMPLE");
    Close(h, Open(h, "INVENTQ", MQOO_INQUIRE));
}

TEST_F(Sim, DamagedScriptsNeverCrash)
{
    const std::string script =
        "DEFINE QLOCAL(A.Q) DESCR('quoted ''text''') MAXDEPTH(10) +\n  TRIGGER\n"
        "DEFINE QALIAS(B.Q) TARGET(A.Q)\nALTER QMGR DEADQ(A.Q) MAXUMSGS(5)\n"
        "DEFINE NAMELIST(N) NAMES(X, 'Y', Z)\nDELETE QALIAS(B.Q)\n";
    for (size_t i = 0; i <= script.size(); i++)
        Mqsc("FUZZ", script.substr(0, i).c_str(), false);
    srand(11);
    for (int round = 0; round < 300; round++) {
        std::string s = script;
        for (int k = 0; k < 4; k++)
            s[(size_t)rand() % s.size()] = "()',+-* \nAZ09\x01\xff"[rand() % 16];
        Mqsc("FUZZ", s.c_str(), false);
    }
    MQHCONN h = Connect("FUZZ");
    EXPECT_NE(h, MQHC_UNUSABLE_HCONN);
}

TEST_F(Sim, QueueManagerThatCannotBeHadIsExplainedInTheOutput)
{
    /* A refused name: the result says so and the buffer holds the reason,
     * never what the caller left in it. */
    for (const char *name : {"BAD NAME", "-1234", "WAY.TOO.LONG.A.NAME.FOR.ANY.QUEUE.MANAGER.AT.ALL.X"}) {
        char out[256];
        memset(out, 0x7F, sizeof out);
        EXPECT_EQ(MQSimRunMqsc((PMQCHAR)name, (PMQCHAR) "DEFINE QLOCAL(A)", sizeof out, out), -1) << name;
        ASSERT_NE(memchr(out, 0, sizeof out), nullptr) << name;
        EXPECT_NE(strstr(out, "2058"), nullptr) << name << ": " << out;
    }
    char small[8];
    EXPECT_EQ(MQSimRunMqsc((PMQCHAR) "BAD NAME", (PMQCHAR) "", sizeof small, small), -1);
    EXPECT_EQ(strlen(small), sizeof small - 1);
}
