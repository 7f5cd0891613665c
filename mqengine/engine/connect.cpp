/* Connecting a location: binding the right library, the channel
 * definition, TLS and credentials, one MQCONNX with the connect-options
 * version the settings need, and the credentials prompt through the main
 * window. */
#include "engint.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "cs.h"
#include "locstore.h"

/* ---- credentials ---- */

/* Whether the wait for credentials is over without them: the program or
 * the location's threads are ending. */
static int wait_abandoned(QMS *r)
{
    if ((MQEProgramState() & PS_ENDING) || LocGlobals.exiting)
        return 1;
    return r && (std::atomic_ref<uint8_t>(r->threadStop).load() ||
                 (MQEState(&r->putThread) & TS_ENDREQ));
}

void WaitWhileFlagSet(volatile uint8_t *flag, int *held, QMS *location)
{
    int64_t slept = 0;
    while (std::atomic_ref<uint8_t>(*(uint8_t *)flag).load()) {
        if (wait_abandoned(location)) {
            std::atomic_ref<uint8_t>(*(uint8_t *)flag).store(0);
            break;
        }
        uint32_t step = CredWaitStep(slept);
        PWCUnlock(held);
        MQESleep(step);
        PWCLock(held);
        slept += step;
    }
}

int RequestCredentials(QMS *r, const char **userId, const char **password)
{
    int held = 0, needUser, needKdb;
    PWCLock(&held);
    if (CredMissing(r, &needUser, &needKdb)) {
        std::atomic_ref<uint8_t>(r->credentialsPending).store(1);
        CREDREQUEST *ask = (CREDREQUEST *)CSGetMem(sizeof *ask, "CREDREQUEST");
        if (ask) {
            ask->location = r;
            ask->needUser = (uint32_t)needUser;
            ask->needKdb = (uint32_t)needKdb;
        }
        if (!ask || !MQEPostBlock(nullptr, CRED_MSG_REQUEST, 0, ask, 0))
            std::atomic_ref<uint8_t>(r->credentialsPending).store(0);
        WaitWhileFlagSet(&r->credentialsPending, &held, r);
    }
    int complete = !CredMissing(r, &needUser, &needKdb);
    if (userId)
        *userId = r->userId;
    if (password)
        *password = r->password;
    PWCUnlock(&held);
    return complete;
}

/* ---- connecting ---- */

/* What one connection attempt builds and frees again. */
struct ConnectParts {
    MQCNO cno;
    MQCD cd;
    MQSCO *sco;
    MQCSP csp;
    MQLONG needed;             /* the version the settings need */
};

static void fail(QMS *r, char *text, int size, const char *message, MQLONG *cc, MQLONG *rc, MQLONG reason)
{
    if (message) {
        EngCopy(text, message, (size_t)size);
        SetLocationErrorText(r, text);
    }
    *cc = MQCC_FAILED;
    *rc = reason;
    EngSetStatus(r, LS_UNAVAILABLE, 0);
}

/* A library name longer than a Windows path shows its end (the file)
 * after "...", so that the reason after it is still read. */
#define SHOWN_NAME_MAX 260

/* Binds the library of the location's kind: 0, or the failure reported. */
static int bind_library(QMS *r, int client, char *text, int size, MQLONG *cc, MQLONG *rc)
{
    int result = MQBindTable(client);
    if (result == 0)
        return 0;
    char message[600], reason[200];
    const char *name = client ? getenv("RAVOLT_MQLIBNAME") : "mqm.dll";
    if (!name)
        name = "mqic.dll";
    char shown[SHOWN_NAME_MAX + 1];
    size_t n = strlen(name);
    if (n > SHOWN_NAME_MAX) {
        EngFormat(shown, sizeof shown, "...%s", name + n - (SHOWN_NAME_MAX - 3));
        name = shown;
    }
    MQBindErrorText(reason, sizeof reason);     /* the system's words for the load that failed */
    if (client)
        EngFormat(message, sizeof message, "Can not find IBM MQ client (%s) on this machine. errno(%ld)%s%s",
                  name, (long)result, reason[0] ? " " : "", reason);
    else
        EngFormat(message, sizeof message,
                  "The IBM MQ Server (%s) does not appear to be installed on this machine. errno(%ld)%s%s",
                  name, (long)result, reason[0] ? " " : "", reason);
    fail(r, text, size, message, cc, rc, MQRC_ENVIRONMENT_ERROR);
    return -1;
}

/* The channel definition or the CCDT URL of a client location: 0, or
 * the failure reported. */
static int client_channel(QMS *r, MQIEntryTable *table, ConnectParts *p, char *text, int size,
                          MQLONG *cc, MQLONG *rc)
{
    char message[200];
    int haveUrl = r->ccdtUrl && r->ccdtUrl[0];
    if (!r->clientSettings && !haveUrl)
        return 0;
    if (MQEntryMissing((const void *)table->MQCONNX)) {
        EngFormat(message, sizeof message, r->clientSettings ? "The IBM MQ client must support MQCONNX. RC(%ld)"
                  : "The IBM MQ client must support MQCONNX to use the CCDT URL. RC(%ld)",
                  (long)MQRC_ENVIRONMENT_ERROR);
        fail(r, text, size, message, cc, rc, MQRC_ENVIRONMENT_ERROR);
        return -1;
    }
    if (!r->clientSettings) {
        p->cno.CCDTUrlPtr = (PMQCHAR)r->ccdtUrl;
        p->cno.CCDTUrlLength = (MQLONG)strlen(r->ccdtUrl);
        p->needed = p->needed > 6 ? p->needed : 6;
        return 0;
    }
    int result = ConvertDataMQCD(r, &p->cd, &p->sco);
    if (result) {
        fail(r, text, size, nullptr, cc, rc, result);
        return -1;
    }
    p->cno.ClientConnPtr = &p->cd;
    p->needed = p->needed > 2 ? p->needed : 2;
    if (p->sco) {
        p->cno.SSLConfigPtr = p->sco;
        p->needed = p->needed > 4 ? p->needed : 4;
    }
    return 0;
}

/* Explicit credentials: an MQCSP, and at least version 5. */
static void explicit_credentials(QMS *r, ConnectParts *p, const char *user, const char *password)
{
    if (!(r->flags & LF_USRP) || !user || !password)
        return;
    const MQCSP init = {MQCSP_DEFAULT};
    p->csp = init;
    p->csp.AuthenticationType = (r->flags & LF_USROAM) ? MQCSP_AUTH_NONE : MQCSP_AUTH_USER_ID_AND_PWD;
    p->csp.CSPUserIdPtr = (MQPTR)user;
    p->csp.CSPUserIdLength = (MQLONG)strlen(user);
    p->csp.CSPPasswordPtr = (MQPTR)password;
    p->csp.CSPPasswordLength = (MQLONG)strlen(password);
    p->cno.SecurityParmsPtr = &p->csp;
    p->needed = p->needed > 5 ? p->needed : 5;
}

/* The name connected to: "*" and the first 47 characters with "lognm". */
static void connect_name(QMS *r, char *name)
{
    if ((r->flags & LF_LOGNM) && r->qmName[0] != '*') {
        name[0] = '*';
        EngPadName(name + 1, r->qmName, 47);
    } else {
        EngPadName(name, r->qmName, 48);
    }
}

/* After the call: the password just entered is remembered, or the
 * remembered one was refused. */
static void credential_notices(QMS *r, MQLONG cc, MQLONG reason, const char *password)
{
    if (cc != MQCC_FAILED) {
        if (r->state & LST_SAVECREDS) {
            EngSetState2(r, 0, LST_SAVECREDS);
            MQEPostFrame(nullptr, CRED_MSG_SAVE, 0, r, 0);
        }
        return;
    }
    if (password && password[0] &&
        ((r->flags2 & LF2_USRSUC) || reason == MQRC_NOT_AUTHORIZED || reason == MQRC_CONNECTION_NOT_AUTHORIZED))
        MQEPostFrame(nullptr, CRED_MSG_FORGET, 0, r, 0);
}

int ConnectMQ(QMS *r, MQHCONN *hconn, MQIEntryTable **tablep, char *text, int size,
              MQLONG *cc, MQLONG *rc)
{
    int client = EngIsClient(r);
    text[0] = 0;
    *cc = MQCC_OK;
    *rc = 0;
    *hconn = MQHC_UNUSABLE_HCONN;
    MQIEntryTable *table = MQTableFor(client);
    if (tablep)
        *tablep = table;
    if (bind_library(r, client, text, size, cc, rc))
        return *rc;
    ConnectParts p;
    const MQCNO cnoInit = {MQCNO_DEFAULT};
    p.cno = cnoInit;
    p.cno.Options = MQCNO_HANDLE_SHARE_BLOCK;
    p.sco = nullptr;
    p.needed = 1;
    MQEDefaultMQCD(&p.cd);
    if (client && client_channel(r, table, &p, text, size, cc, rc)) {
        MQEFreeChannel(&p.cd, &p.sco);
        return *rc;
    }
    const char *user = nullptr, *password = nullptr;
    if (!RequestCredentials(r, &user, &password)) {
        MQEFreeChannel(&p.cd, &p.sco);
        *cc = MQCC_FAILED;
        *rc = 10;
        return *rc;
    }
    /* copies: the prompt may replace the location's texts meanwhile */
    int held = 0;
    PWCLock(&held);
    char *userCopy = r->userId ? EngTextBlock(r->userId, "CREDS") : nullptr;
    char *passwordCopy = r->password ? EngTextBlock(r->password, "CREDS") : nullptr;
    PWCUnlock(&held);
    user = userCopy;
    password = passwordCopy;
    explicit_credentials(r, &p, user, password);
    char name[48];
    connect_name(r, name);
    p.cno.Version = p.needed < MQCNO_VERSION_7 ? MQCNO_VERSION_7 : p.needed;
    EngPadName(p.cno.ApplName, ENGINE_APPL_NAME, 28);
    table->MQCONNX(name, &p.cno, hconn, cc, rc);
    if (*rc == MQRC_CNO_ERROR && p.cno.Version > p.needed) {
        p.cno.Version = p.needed;
        table->MQCONNX(name, &p.cno, hconn, cc, rc);
    }
    credential_notices(r, *cc, *rc, (r->flags & LF_USRP) ? password : nullptr);
    MQEFreeChannel(&p.cd, &p.sco);
    CSFreeMemAndClear(&userCopy);
    CSFreeMemAndClear(&passwordCopy);
    return *cc == MQCC_FAILED ? *rc : 0;
}
