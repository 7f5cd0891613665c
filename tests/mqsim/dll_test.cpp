/* The DLLs (Windows only): mqm.dll exports the MQI verbs by their names,
 * mqic.dll forwards to it, and both see one world. */
#include "simtest.h"

#ifdef _WIN32
#include <windows.h>

TEST_F(Sim, DllsExportVerbsAndShareOneWorld)
{
    HMODULE mqm = LoadLibraryA("mqm.dll"), mqic = LoadLibraryA("mqic.dll");
    ASSERT_TRUE(mqm);
    ASSERT_TRUE(mqic);
    for (const char *verb : {"MQBACK", "MQCLOSE", "MQCMIT", "MQCONN", "MQCONNX", "MQDISC", "MQGET", "MQINQ",
                             "MQOPEN", "MQPUT", "MQPUT1", "MQSET", "MQCB", "MQCTL", "MQSTAT"}) {
        EXPECT_TRUE(GetProcAddress(mqm, verb)) << verb;
        EXPECT_TRUE(GetProcAddress(mqic, verb)) << verb;
    }
    EXPECT_FALSE(GetProcAddress(mqm, "MQSUB"));      /* not offered: the program falls back */
    auto run = (MQSimRunMqsc_FN)GetProcAddress(mqm, "MQSimRunMqsc");
    ASSERT_TRUE(run);
    char out[4096];
    EXPECT_EQ(run((PMQCHAR) "DLLQM", (PMQCHAR) "DEFINE QLOCAL(D.Q)", sizeof out, out), 0);
    auto connx = (MQCONNX_FN)GetProcAddress(mqic, "MQCONNX");
    auto open = (MQOPEN_FN)GetProcAddress(mqic, "MQOPEN");
    auto put = (MQPUT_FN)GetProcAddress(mqic, "MQPUT");
    auto get = (MQGET_FN)GetProcAddress(mqm, "MQGET");
    auto openm = (MQOPEN_FN)GetProcAddress(mqm, "MQOPEN");
    char name[48];
    FILL(name, "DLLQM");
    MQCNO cno = {MQCNO_DEFAULT};
    MQHCONN hc;
    MQLONG cc, rc;
    connx(name, &cno, &hc, &cc, &rc);
    ASSERT_EQ(rc, 0);
    MQOD od = {MQOD_DEFAULT};
    FILL(od.ObjectName, "D.Q");
    MQHOBJ out1, in1;
    open(hc, &od, MQOO_OUTPUT, &out1, &cc, &rc);
    MQMD md = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    put(hc, out1, &md, &pmo, 5, (PMQVOID) "hello", &cc, &rc);
    EXPECT_EQ(rc, 0);
    /* the same connection handle is valid through mqm.dll */
    openm(hc, &od, MQOO_INPUT_SHARED, &in1, &cc, &rc);
    EXPECT_EQ(rc, 0);
    MQMD gmd = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    char buf[16];
    MQLONG len;
    get(hc, in1, &gmd, &gmo, sizeof buf, buf, &len, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(std::string(buf, (size_t)len), "hello");
    ((MQSimShutdown_FN)GetProcAddress(mqm, "MQSimShutdown"))();
}
#endif
