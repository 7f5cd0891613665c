/* What the MQ benchmarks share: the stand-in, its home folder and short
 * forms of the MQI calls. */
#include "benchmq.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "mq/mqbind.h"
#include "mqsim.h"

#ifdef _WIN32
#include <windows.h>
#endif

double BenchSeconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BenchCheck(const char *what, MQLONG rc)
{
    if (rc != 0) {
        fprintf(stderr, "%s failed: %d\n", what, (int)rc);
        exit(1);
    }
}

void BenchMqsc(const char *qmgr, const char *text)
{
    static char out[65536];
    if (MQSimRunMqsc((PMQCHAR)qmgr, (PMQCHAR)text, sizeof out, out) != 0) {
        fprintf(stderr, "MQSC failed:\n%s\n", out);
        exit(1);
    }
}

void BenchBindStandIn(void)
{
    MQIEntryTable t = {};
    MQLinkedTable(&t);
    MQServerTable = t;
    MQClientTable = t;
}

std::string BenchHome(const char *name)
{
    if (getenv("RAVOLT_MQSIM_HOME"))
        return "";
    std::string home = (std::filesystem::temp_directory_path() / name).string();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    std::filesystem::create_directories(home, ec);
#ifdef _WIN32
    _putenv_s("RAVOLT_MQSIM_HOME", home.c_str());
    SetEnvironmentVariableA("RAVOLT_MQSIM_HOME", home.c_str());
#else
    setenv("RAVOLT_MQSIM_HOME", home.c_str(), 1);
#endif
    return home;
}

void BenchRemoveHome(const std::string &home)
{
    if (home.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}

MQHCONN BenchConnect(const char *qmgr)
{
    char name[48];
    memset(name, ' ', sizeof name);
    memcpy(name, qmgr, strlen(qmgr));
    MQCNO cno = {MQCNO_DEFAULT};
    MQHCONN h;
    MQLONG cc, rc;
    MQCONNX(name, &cno, &h, &cc, &rc);
    BenchCheck("MQCONNX", rc);
    return h;
}

MQHOBJ BenchOpen(MQHCONN h, const char *queue, MQLONG options)
{
    MQOD od = {MQOD_DEFAULT};
    memset(od.ObjectName, ' ', 48);
    memcpy(od.ObjectName, queue, strlen(queue));
    MQHOBJ o;
    MQLONG cc, rc;
    MQOPEN(h, &od, options, &o, &cc, &rc);
    BenchCheck("MQOPEN", rc);
    return o;
}
