/* A message put to and got from the stand-in queue manager (edmq.h). */
#include "edmq.h"
#include "simhome.h"
#include <cstdio>
#include <cstring>

const char standInApplName[] = "EditorPaneTest";
const char standInUserId[] = "edtester";

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
    SimTestHome();
    char result[2048];
    if (mqsc((PMQCHAR)qmgr, (PMQCHAR) "DEFINE QLOCAL(ED.Q) REPLACE\n", sizeof result, result) != 0)
        return std::string("MQSC: ") + result;
    MQHCONN hc = 0;
    MQLONG cc = 0, rc = 0;
    t->MQCONN((PMQCHAR)qmgr, &hc, &cc, &rc);
    if (cc == MQCC_FAILED)
        return Failed("MQCONN", rc);
    MQOD od = { MQOD_DEFAULT };
    SimFill(od.ObjectName, sizeof od.ObjectName, "ED.Q");
    MQHOBJ ho = 0;
    t->MQOPEN(hc, &od, MQOO_OUTPUT | MQOO_INPUT_AS_Q_DEF | MQOO_SET_ALL_CONTEXT, &ho, &cc, &rc);
    if (cc == MQCC_FAILED)
        return Failed("MQOPEN", rc);
    MQMD md = { MQMD_DEFAULT };
    md.Version = MQMD_VERSION_2;
    memcpy(md.Format, format, 8);
    md.CodedCharSetId = ccsid;
    md.Encoding = encoding;
    SimFill(md.PutApplName, sizeof md.PutApplName, standInApplName);
    SimFill(md.UserIdentifier, sizeof md.UserIdentifier, standInUserId);
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
