/* The stand-in's command-line tool: MQSC script, put from files, list
 * and dump, against the same queue manager folders as the library. */
#include "simtest.h"
#include "sampletest.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

static void WriteFile(const std::string &path, const std::string &data)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    fwrite(data.data(), 1, data.size(), f);
    fclose(f);
}

TEST_F(Sim, ToolRunsScriptsPutsAndDumps)
{
#ifdef _WIN32
    std::string tool = SimTestExeDir() + "mqsim.exe";
#else
    std::string tool = SimTestExeDir() + "mqsim";
#endif
    WriteFile(home + "/setup.mqsc", "DEFINE QLOCAL(TOOL.Q) DESCR('tool test')\n");
    WriteFile(home + "/m1.bin", std::string("AB\0\x01", 4));
    std::string base = "\"" + tool + "\" -d \"" + home + "\" -m TOOLQM ";
    int rc;
    std::string out = SimTestRun(base + "mqsc \"" + home + "/setup.mqsc\"", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(out.find("AMQ8006I: IBM MQ queue created."), std::string::npos) << out;
    SimTestRun(base + "put TOOL.Q -P -f MQSTR -c t:corr1 -p 7 \"" + home + "/m1.bin\" \"" + home + "/m1.bin\"", &rc);
    EXPECT_EQ(rc, 0);
    out = SimTestRun(base + "list TOOL.Q", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(out.find("     2 "), std::string::npos) << out;
    out = SimTestRun(base + "dump TOOL.Q", &rc);
    EXPECT_NE(out.find("Priority 7 Persistence 1"), std::string::npos) << out;
    EXPECT_NE(out.find("CorrelId 636F72723100"), std::string::npos) << out;
    EXPECT_NE(out.find("41 42 00 01"), std::string::npos) << out;
    SimTestRun(base + "list NO.SUCH.Q", &rc);
    EXPECT_NE(rc, 0);
    /* what the tool put is there for the library too */
    MQHCONN h = Connect("TOOLQM");
    EXPECT_EQ(Depth(h, "TOOL.Q"), 2);
}

/* The tool puts a file holding a whole dead-letter message (the real
 * sample) as it is, with the header's format and encoding. */
TEST_F(Sim, ToolPutsAHeaderMessageAsItIs)
{
#ifdef _WIN32
    std::string tool = SimTestExeDir() + "mqsim.exe";
#else
    std::string tool = SimTestExeDir() + "mqsim";
#endif
    std::string sample = samples::File("mq-messages/yukun-blog_DLH_enc546_reason2051.bin");
    FILE *f = fopen(sample.c_str(), "rb");
    ASSERT_TRUE(f);
    std::string bytes(4096, '\0');
    bytes.resize(fread(&bytes[0], 1, bytes.size(), f));
    fclose(f);
    ASSERT_EQ(bytes.size(), 198u);
    Mqsc("TOOLQM", "DEFINE QLOCAL(DLQ)");
    MQSimShutdown();
    std::string base = "\"" + tool + "\" -d \"" + home + "\" -m TOOLQM ";
    int rc;
    SimTestRun(base + "put DLQ -P -f MQDEAD -E 546 -C 819 \"" + sample + "\"", &rc);
    EXPECT_EQ(rc, 0);
    MQHCONN h = Connect("TOOLQM");
    MQHOBJ q = Open(h, "DLQ", MQOO_INPUT_SHARED);
    MQMD md = {MQMD_DEFAULT};
    std::string data;
    ASSERT_EQ(Get(h, q, &data, MQGMO_NO_WAIT, &md), 0);
    EXPECT_EQ(data, bytes);
    EXPECT_EQ(memcmp(md.Format, "MQDEAD  ", 8), 0);
    EXPECT_EQ(md.Encoding, 546);
    EXPECT_EQ(md.CodedCharSetId, 819);
}

/* The descriptor fields a fill script sets, many copies of one file each
 * with its own MsgId, and a body wrapped in a dead-letter header. */
TEST_F(Sim, ToolSetsContextAndWrapsDeadLetters)
{
#ifdef _WIN32
    std::string tool = SimTestExeDir() + "mqsim.exe";
#else
    std::string tool = SimTestExeDir() + "mqsim";
#endif
    Mqsc("TOOLQM", "DEFINE QLOCAL(DLQ)\nDEFINE QLOCAL(MANY)");
    MQSimShutdown();
    WriteFile(home + "/body.txt", "hello");
    std::string base = "\"" + tool + "\" -d \"" + home + "\" -m TOOLQM ";
    int rc;
    SimTestRun(base + "put DLQ -P -f MQSTR -C 1208 -E 273 -F 7 -u alice -a ident -A filler -D 2051,TARGET.Q,QMX \"" +
               home + "/body.txt\"", &rc);
    EXPECT_EQ(rc, 0);
    SimTestRun(base + "put MANY -P -n 5 \"" + home + "/body.txt\"", &rc);
    EXPECT_EQ(rc, 0);
    SimTestRun(base + "put MANY -D nonsense \"" + home + "/body.txt\"", &rc);
    EXPECT_NE(rc, 0);

    MQHCONN h = Connect("TOOLQM");
    MQHOBJ q = Open(h, "DLQ", MQOO_INPUT_SHARED);
    MQMD md = {MQMD_DEFAULT};
    std::string data;
    ASSERT_EQ(Get(h, q, &data, MQGMO_NO_WAIT, &md), 0);
    ASSERT_EQ(data.size(), sizeof(MQDLH) + 5);
    MQDLH dlh;
    memcpy(&dlh, data.data(), sizeof dlh);
    EXPECT_EQ(memcmp(md.Format, MQFMT_DEAD_LETTER_HEADER, 8), 0);
    EXPECT_EQ(md.Encoding, MQENC_NATIVE);
    EXPECT_EQ(dlh.Reason, 2051);
    EXPECT_EQ(Trim(dlh.DestQName, 48), "TARGET.Q");
    EXPECT_EQ(Trim(dlh.DestQMgrName, 48), "QMX");
    EXPECT_EQ(memcmp(dlh.Format, "MQSTR   ", 8), 0);
    EXPECT_EQ(dlh.Encoding, 273);
    EXPECT_EQ(dlh.CodedCharSetId, 1208);
    EXPECT_EQ(data.substr(sizeof dlh), "hello");
    EXPECT_EQ(md.Feedback, 7);
    EXPECT_EQ(Trim(md.UserIdentifier, 12), "alice");
    EXPECT_EQ(Trim(md.ApplIdentityData, 32), "ident");
    EXPECT_EQ(Trim(md.PutApplName, 28), "filler");
    EXPECT_EQ(Trim(md.PutDate, 8).size(), 8u);

    EXPECT_EQ(Depth(h, "MANY"), 5);
    MQHOBJ m = Open(h, "MANY", MQOO_BROWSE);
    std::set<std::string> ids;
    for (MQLONG opt = MQGMO_BROWSE_FIRST;; opt = MQGMO_BROWSE_NEXT) {
        MQMD each = {MQMD_DEFAULT};
        if (Get(h, m, &data, opt, &each) != 0)
            break;
        ids.insert(std::string((const char *)each.MsgId, 24));
    }
    EXPECT_EQ(ids.size(), 5u);
}
