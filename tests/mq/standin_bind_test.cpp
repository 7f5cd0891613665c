/* The stand-in MQ library binds by name through the library directories,
 * server and client alike, and answers an unknown queue manager (2059).  A
 * process of its own: a process holds one module named mqm.dll. */
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "mq/mqbind.h"

TEST(MQBindStandIn, BindsByNameAndPath)
{
    _putenv_s("MQM_DLL_PATH", MQSIM_DIR "/");
    _putenv_s("MQIC_DLL_PATH", MQSIM_DIR "/");
    std::string dos = "Z:" MQSIM_DIR "/mqic.dll";
    for (char &c : dos)
        if (c == '/') c = '\\';
    const char *names[] = { "mqm.dll", "mqic", "", "mqic32", dos.c_str() };
    for (const char *name : names) {
        MQIEntryTable table = {};
        ASSERT_EQ(LoadMQLibrary(name, &table), 0) << name;
        ASSERT_TRUE(MQTableBound(&table));
        MQHCONN h = 0;
        MQLONG cc = 0, rc = 0;
        table.MQCONN((PMQCHAR) "NO.SUCH.QMGR", &h, &cc, &rc);
        EXPECT_EQ(cc, MQCC_FAILED) << name;
        EXPECT_EQ(rc, MQRC_Q_MGR_NOT_AVAILABLE) << name;
    }
}
