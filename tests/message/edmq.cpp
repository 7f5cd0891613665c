/* A message put to and got from the stand-in queue manager (edmq.h). */
#include "edmq.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

const char standInApplName[] = "EditorPaneTest";
const char standInUserId[] = "edtester";

static std::string FreshHome(const char *qmgr)
{
    static int n;
#ifdef _WIN32
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    std::string home = std::string(tmp) + "ravolt-ed-" + qmgr + "-" + std::to_string(GetCurrentProcessId()) +
                       "-" + std::to_string(n++);
    CreateDirectoryA(home.c_str(), nullptr);
    _putenv_s("RAVOLT_MQSIM_HOME", home.c_str());
    SetEnvironmentVariableA("RAVOLT_MQSIM_HOME", home.c_str());
#else
    std::string home = "/tmp/ravolt-ed-" + std::string(qmgr) + "-" + std::to_string(getpid()) + "-" +
                       std::to_string(n++);
    mkdir(home.c_str(), 0755);
    setenv("RAVOLT_MQSIM_HOME", home.c_str(), 1);
#endif
    return home;
}

static void Fill(char *field, size_t size, const char *text)
{
    size_t n = strlen(text);
    memset(field, ' ', size);
    memcpy(field, text, n < size ? n : size);
}

static std::string Failed(const char *verb, MQLONG reason)
{
    char text[64];
    snprintf(text, sizeof text, "%s failed with reason %d", verb, (int)reason);
    return text;
}

std::string PutAndGet(const MQIEntryTable *t, MQSimRunMqsc_FN mqsc, const char *qmgr,
                      const std::vector<unsigned char> &body, const char *format, int ccsid,
                      int encoding, StandInMessage *out)
{
    FreshHome(qmgr);
    char result[2048];
    if (mqsc((PMQCHAR)qmgr, (PMQCHAR) "DEFINE QLOCAL(ED.Q) REPLACE\n", sizeof result, result) != 0)
        return std::string("MQSC: ") + result;
    MQHCONN hc = 0;
    MQLONG cc = 0, rc = 0;
    t->MQCONN((PMQCHAR)qmgr, &hc, &cc, &rc);
    if (cc == MQCC_FAILED)
        return Failed("MQCONN", rc);
    MQOD od = { MQOD_DEFAULT };
    Fill(od.ObjectName, sizeof od.ObjectName, "ED.Q");
    MQHOBJ ho = 0;
    t->MQOPEN(hc, &od, MQOO_OUTPUT | MQOO_INPUT_AS_Q_DEF | MQOO_SET_ALL_CONTEXT, &ho, &cc, &rc);
    if (cc == MQCC_FAILED)
        return Failed("MQOPEN", rc);
    MQMD md = { MQMD_DEFAULT };
    md.Version = MQMD_VERSION_2;
    memcpy(md.Format, format, 8);
    md.CodedCharSetId = ccsid;
    md.Encoding = encoding;
    Fill(md.PutApplName, sizeof md.PutApplName, standInApplName);
    Fill(md.UserIdentifier, sizeof md.UserIdentifier, standInUserId);
    memcpy(md.PutDate, "20240131", 8);
    memcpy(md.PutTime, "12000000", 8);
    md.PutApplType = 11;
    MQPMO pmo = { MQPMO_DEFAULT };
    pmo.Options = MQPMO_SET_ALL_CONTEXT | MQPMO_NO_SYNCPOINT;
    t->MQPUT(hc, ho, &md, &pmo, (MQLONG)body.size(), (PMQVOID)body.data(), &cc, &rc);
    if (cc == MQCC_FAILED)
        return Failed("MQPUT", rc);
    MQMD got = { MQMD_DEFAULT };
    got.Version = MQMD_VERSION_2;
    MQGMO gmo = { MQGMO_DEFAULT };
    gmo.Options = MQGMO_NO_WAIT;
    out->data.assign(body.size() + 16, 0);
    MQLONG length = 0;
    t->MQGET(hc, ho, &got, &gmo, (MQLONG)out->data.size(), out->data.data(), &length, &cc, &rc);
    if (cc == MQCC_FAILED)
        return Failed("MQGET", rc);
    out->data.resize((size_t)length);
    out->md.assign((unsigned char *)&got, (unsigned char *)&got + sizeof got);
    t->MQCLOSE(hc, &ho, MQCO_NONE, &cc, &rc);
    t->MQDISC(&hc, &cc, &rc);
    return "";
}
