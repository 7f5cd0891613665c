/* Stand-in for the connection code's credential side, until the MQ
 * engine's own connection replaces it: the worker's check and wait for
 * missing credentials (RequestCredentials) and a connection made with
 * them (ConnectMQ), which asks the main frame to save or forget the
 * credentials after it. */
#include "pwcreds.h"
#include "locstore.h"
#include "mq/mqbind.h"
#include "cs.h"

#include <cstring>

static CREDPORT port;

void CredSetPort(const CREDPORT *p)
{
    if (p)
        port = *p;
    else
        memset(&port, 0, sizeof port);
}

static void post(uint32_t message, void *block)
{
    if (port.postFrame)
        port.postFrame(port.context, message, block);
}

static void nap(uint32_t ms)
{
    if (port.sleep)
        port.sleep(port.context, ms);
    else
        CSSleep(ms);
}

/* The worker's part: 1 when the credentials are complete, 0 when a value
 * is still missing after asking (or the wait ended with the thread or the
 * program).  The location's user id and password are handed out. */
int RequestCredentials(QMS *location, const char **userId, const char **password)
{
    int held = 0, needUser, needKdb;
    PWCLock(&held);
    if (CredMissing(location, &needUser, &needKdb)) {
        CREDREQUEST *rq = (CREDREQUEST *)CSGetMem(sizeof(CREDREQUEST), "CREDREQUEST");
        if (rq) {
            rq->location = location;
            rq->needUser = (uint32_t)needUser;
            rq->needKdb = (uint32_t)needKdb;
            location->credentialsPending = 1;
            post(CRED_MSG_REQUEST, rq);
            for (int64_t slept = 0; location->credentialsPending;) {
                uint32_t step = CredWaitStep(slept);
                PWCUnlock(&held);
                nap(step);
                slept += step;
                PWCLock(&held);
                if (location->threadStop || LocGlobals.exiting)
                    location->credentialsPending = 0;
            }
        }
    }
    int complete = !CredMissing(location, &needUser, &needKdb);
    *userId = location->userId;
    *password = location->password;
    PWCUnlock(&held);
    return complete;
}

/* Connects a location with its credentials; CompCode and Reason as
 * MQCONNX gives them (reason 10 when credentials were not supplied). */
int ConnectMQ(QMS *location, MQHCONN *hconn, MQIEntryTable **table, char *errorText,
              MQLONG *compCode, MQLONG *reason)
{
    int client = (location->flags & LF_CLIENT) != 0;
    *hconn = MQHC_UNUSABLE_HCONN;
    *compCode = 2;
    *table = MQTableFor(client);
    if (!MQTableBound(*table) && MQBindTable(client) != 0) {
        *reason = 2012;
        if (errorText)
            snprintf(errorText, 200, "Can not bind the IBM MQ library");
        LocSetStatus(location, LS_UNAVAILABLE, 0, 0);
        return *reason;
    }
    const char *user = nullptr, *pwd = nullptr;
    if (!RequestCredentials(location, &user, &pwd)) {
        *reason = 10;
        return *reason;
    }
    MQCNO cno = { MQCNO_DEFAULT };
    MQCSP csp = { MQCSP_DEFAULT };
    cno.Options = MQCNO_HANDLE_SHARE_BLOCK;
    int withPassword = (location->flags & LF_USRP) && pwd && pwd[0];
    if (withPassword) {
        cno.Version = MQCNO_VERSION_5;
        csp.AuthenticationType = MQCSP_AUTH_USER_ID_AND_PWD;
        csp.CSPUserIdPtr = (MQPTR)user;
        csp.CSPUserIdLength = user ? (MQLONG)strlen(user) : 0;
        csp.CSPPasswordPtr = (MQPTR)pwd;
        csp.CSPPasswordLength = (MQLONG)strlen(pwd);
        cno.SecurityParmsPtr = &csp;
    }
    MQCHAR name[48];
    memset(name, ' ', sizeof name);
    memcpy(name, location->qmName, strnlen(location->qmName, sizeof name));
    (*table)->MQCONNX(name, &cno, hconn, compCode, reason);
    if (*compCode != 2) {
        if (location->state & LST_SAVECREDS) {
            location->state &= ~LST_SAVECREDS;
            post(CRED_MSG_SAVE, location);
        }
    } else if (withPassword && ((location->flags2 & LF2_USRSUC) || *reason == 2035 ||
                                *reason == 2217)) {
        post(CRED_MSG_FORGET, location);
    }
    return *compCode == 2 ? *reason : 0;
}
