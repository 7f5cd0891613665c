/* MQ library binding: choosing the library by name and directory, binding
 * the entry table, fallbacks of missing optional entries, and libraries
 * that lack a required entry.  The libraries are small ones built beside
 * this test (fakemq/), each answering its own connection handle. */
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "cssys.h"
#include "mq/mqbind.h"

namespace {

void SetEnv(const char *name, const std::string &value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

void UnsetEnv(const char *name)
{
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

/* A directory of the test libraries, ending in a separator. */
std::string Dir(const char *sub)
{
    return std::string(FAKEMQ_DIR) + "/" + sub + "/";
}

MQHCONN Connect(MQIEntryTable *t)
{
    MQHCONN h = 0;
    MQLONG cc = -1, rc = -1;
    t->MQCONN((PMQCHAR) "QM1", &h, &cc, &rc);
    EXPECT_EQ(cc, 0);
    return h;
}

bool Empty(const MQIEntryTable *t)
{
    static const MQIEntryTable zero = {};
    return memcmp(t, &zero, sizeof zero) == 0;
}

class MQBind : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetEnv("MQM_DLL_PATH", Dir("server"));
        SetEnv("MQIC_DLL_PATH", Dir("client"));
    }
    void TearDown() override
    {
        UnsetEnv("MQM_DLL_PATH");
        UnsetEnv("MQIC_DLL_PATH");
    }
    MQIEntryTable t = {};
};

} // namespace

TEST_F(MQBind, NamesChooseTheDirectoryAndFile)
{
    struct { const char *name; MQHCONN id; } cases[] = {
        { "mqm.dll", 101 }, { "mqm", 101 }, { "mqic.dll", 102 },
        { "mqic", 102 }, { "mqic32", 102 },
    };
    for (auto &c : cases) {
        MQIEntryTable table = {};
        ASSERT_EQ(LoadMQLibrary(c.name, &table), 0) << c.name;
        EXPECT_TRUE(MQTableBound(&table));
        EXPECT_EQ(Connect(&table), c.id) << c.name;
    }
}

TEST_F(MQBind, EmptyNameTriesServerThenClient)
{
    ASSERT_EQ(LoadMQLibrary("", &t), 0);
    EXPECT_EQ(Connect(&t), 101);

    SetEnv("MQM_DLL_PATH", Dir("missing"));
    MQIEntryTable other = {};
    ASSERT_EQ(LoadMQLibrary(nullptr, &other), 0);
    EXPECT_EQ(Connect(&other), 102);

    SetEnv("MQIC_DLL_PATH", Dir("missing"));
    MQIEntryTable none = {};
    int rc = LoadMQLibrary(nullptr, &none);
    EXPECT_NE(rc, 0);
    EXPECT_NE(rc, MQBIND_RC_INCOMPLETE);
    EXPECT_TRUE(Empty(&none));
}

TEST_F(MQBind, MissingOptionalEntriesAnswer2298)
{
    ASSERT_EQ(LoadMQLibrary((Dir("nocb") + "mqic.dll").c_str(), &t), 0);
    EXPECT_EQ(Connect(&t), 103);
    MQLONG cc = 0, rc = 0;
    t.MQCB(1, 0, nullptr, 0, nullptr, nullptr, &cc, &rc);
    EXPECT_EQ(cc, MQCC_FAILED);
    EXPECT_EQ(rc, MQRC_FUNCTION_NOT_SUPPORTED);
    MQHCONN h = 7;
    cc = rc = 0;
    t.MQCONNX((PMQCHAR) "QM1", nullptr, &h, &cc, &rc);
    EXPECT_EQ(rc, MQRC_FUNCTION_NOT_SUPPORTED);
    EXPECT_EQ(h, 7);
    cc = rc = 0;
    t.MQINQMP(1, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_FUNCTION_NOT_SUPPORTED);

    /* A library with them calls its own. */
    MQIEntryTable full = {};
    ASSERT_EQ(LoadMQLibrary("mqm.dll", &full), 0);
    cc = rc = -1;
    full.MQCB(1, 0, nullptr, 0, nullptr, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    full.MQSTAT(1, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, MQRC_FUNCTION_NOT_SUPPORTED);
}

TEST_F(MQBind, MissingRequiredEntryLeavesNothingBound)
{
    EXPECT_EQ(LoadMQLibrary((Dir("noput1") + "mqm.dll").c_str(), &t), MQBIND_RC_INCOMPLETE);
    EXPECT_TRUE(Empty(&t));
    EXPECT_FALSE(MQTableBound(&t));
    EXPECT_EQ(LoadMQLibrary((Dir("noclose") + "mqm.dll").c_str(), &t), MQBIND_RC_INCOMPLETE);
    EXPECT_TRUE(Empty(&t));

    /* A failed binding does not touch a table already bound. */
    ASSERT_EQ(LoadMQLibrary("mqm", &t), 0);
    MQIEntryTable before = t;
    EXPECT_EQ(LoadMQLibrary((Dir("noclose") + "mqm.dll").c_str(), &t), MQBIND_RC_INCOMPLETE);
    EXPECT_EQ(memcmp(&before, &t, sizeof t), 0);
    EXPECT_EQ(Connect(&t), 101);
}

/* A full path, as RAVOLT_MQLIBNAME may give it, is used as it stands,
 * with either separator. */
TEST_F(MQBind, FullPathsAreUsedAsGiven)
{
    std::string path = Dir("nocb") + "mqic.dll";
    ASSERT_EQ(LoadMQLibrary(path.c_str(), &t), 0);
    EXPECT_EQ(Connect(&t), 103);
#ifdef _WIN32
    std::string dos = "Z:" + path;
    for (char &c : dos)
        if (c == '/') c = '\\';
    MQIEntryTable other = {};
    ASSERT_EQ(LoadMQLibrary(dos.c_str(), &other), 0) << dos;
    EXPECT_EQ(Connect(&other), 103);
    std::string server = "Z:" + Dir("server") + "mqm.dll";
    for (char &c : server)
        if (c == '/') c = '\\';
    MQIEntryTable third = {};
    ASSERT_EQ(LoadMQLibrary(server.c_str(), &third), 0) << server;
    EXPECT_EQ(Connect(&third), 101);
#endif
}

/* The process-wide tables: the client one from RAVOLT_MQLIBNAME, bound
 * once; a failed binding leaves the table to be tried again. */
TEST_F(MQBind, ProcessTablesBindOnce)
{
    /* a library that cannot be loaded leaves the system's reason */
    char reason[300];
    SetEnv("RAVOLT_MQLIBNAME", std::string(600, 'p') + "/mqic.dll");
    int rc = MQBindTable(1);
    EXPECT_NE(rc, 0);
    char said[300];
    CSSysErrorText(rc, said, sizeof said);
    MQBindErrorText(reason, sizeof reason);
    EXPECT_STREQ(reason, said);
    EXPECT_GT(strlen(reason), 5u);
    SetEnv("RAVOLT_MQLIBNAME", Dir("noput1") + "mqm.dll");
    EXPECT_EQ(MQBindTable(1), MQBIND_RC_INCOMPLETE);
    MQBindErrorText(reason, sizeof reason);
    EXPECT_STREQ(reason, "");                /* it loaded; an entry was missing */
    EXPECT_FALSE(MQTableBound(&MQClientTable));
    std::string path = Dir("nocb") + "mqic.dll";
#ifdef _WIN32
    path = "Z:" + path;
    for (char &c : path)
        if (c == '/') c = '\\';
#endif
    SetEnv("RAVOLT_MQLIBNAME", path);
    ASSERT_EQ(MQBindTable(1), 0);
    EXPECT_EQ(Connect(MQTableFor(1)), 103);
    SetEnv("RAVOLT_MQLIBNAME", Dir("client") + "mqic.dll");
    ASSERT_EQ(MQBindTable(1), 0);
    EXPECT_EQ(Connect(MQTableFor(1)), 103);          /* still the first */
    UnsetEnv("RAVOLT_MQLIBNAME");

    ASSERT_EQ(MQBindTable(0), 0);
    EXPECT_EQ(Connect(&MQServerTable), 101);
}

TEST(MQBindDirs, InstallationPathGivesBothDirectories)
{
    UnsetEnv("MQIC_DLL_PATH");
    UnsetEnv("MQM_DLL_PATH");
    SetEnv("MQ_INSTALLATION_PATH", "D");
#ifdef _WIN32
    EXPECT_STREQ(MQClientLibDir(), "D\\bin64");
    EXPECT_STREQ(MQServerLibDir(), "D\\bin64");
#else
    EXPECT_STREQ(MQClientLibDir(), "D/bin64");
    EXPECT_STREQ(MQServerLibDir(), "D/bin64");
#endif
    SetEnv("MQIC_DLL_PATH", "C");
    EXPECT_STREQ(MQClientLibDir(), "C");
    UnsetEnv("MQIC_DLL_PATH");
    UnsetEnv("MQ_INSTALLATION_PATH");
}
