/* Credentials of a location: what the main window does when a worker
 * lacks a user id, a password or a key-database password (the cache
 * first, else the prompt), the requests that wait for the cache password,
 * saving, sharing and forgetting a location's credentials, and the
 * window-free part of the three dialogs (the prompt USERIDDLG, the
 * log-on or creation dialog CACHEACCESSDLG and CACHESETDLG). */
#pragma once

#include <cstdint>
#include "cslist.h"
#include "pwcache.h"
#include "qms.h"

/* The main frame's messages of the exchange (CRED_MSG_*) are in
 * ravoltids.h. */
#include "ravoltids.h"

/* The block of 11354: made by the waiting worker, freed by the receiver. */
struct CREDREQUEST {
    QMS *location;
    uint32_t needUser;                 /* user id and password */
    uint32_t needKdb;                  /* key-database password */
};

enum PwcRequestKind : uint32_t {
    PWCL_GET = 1, PWCL_DELETE = 2, PWCL_SAVE = 3, PWCL_GETKDB = 4,
};

/* A request waiting for the cache password (tag "PWCL"). */
struct PWCL {
    CSLISTELEM links;
    uint32_t kind;
    QMS *location;
};

/* On the user-interface thread. */
void PWCGetCredentials(QMS *location, int needUser, int needKdb);
void PWCSaveCredentials(QMS *location);
void PWCDeleteCredentials(QMS *location);
void PWCQueueRequest(QMS *location, uint32_t kind);
/* Runs the waiting requests in order of arrival; a request queued during
 * the pass waits for the next one.  Without a cache password the get
 * requests go to the prompt and the others are dropped. */
void PWCRunPendingRequests(void);
int PWCPendingCount(void);
/* Drops a location's waiting requests (it is going away). */
void PWCForgetLocation(QMS *location);
void ShareGroupCredentials(QMS *location);
/* The log-on dialog (or the fallback when it cannot open): 1 when it is
 * open or opening. */
int PWCAccessDialog(int cancelAllowed, int offerCreation);
void UserIdDialog(QMS *location, int askUser, int askKdb);

/* The waiting worker's next sleep after `slept` ms slept in all (the
 * engine's RequestCredentials waits in these steps). */
uint32_t CredWaitStep(int64_t slept);
/* A location's credentials are complete for what it asks. */
int CredMissing(const QMS *location, int *needUser, int *needKdb);

/* ---- the dialogs' decisions (the window code shows what they say) ---- */

/* The prompt: the lines it is high and its note. */
int CredPromptLines(int askUser, int askKdb);
const char *CredPromptNote(const QMS *location);
/* The prompt's OK: stores the typed texts, shares them, and saves them or
 * marks them to be saved after the next successful connection. */
void CredPromptAccepted(QMS *location, int askUser, int askKdb, const char *userId,
                        const char *password, const char *kdbPassword);
/* The prompt closes: the worker goes on with what the location holds. */
void CredPromptClosed(QMS *location);

/* The log-on and creation dialog before it opens: 0 open it, 1 open it in
 * creation mode (after the question was answered yes), -1 not at all (the
 * reason was reported). */
int PWCAccessDecide(int offerCreation, int (*ask)(void *ctx, const char *question),
                    void *ctx);
/* Its OK: 0 done (close the dialog), else the status text to show in
 * status (400 bytes), with *clear telling which fields to empty (1 the
 * password, 2 the confirmation) and *sound whether to play the warning. */
int PWCAccessOk(int creation, const char *password, const char *confirm, const char *hint,
                char *status, int *clear, int *sound);
/* The set-password dialog before it opens: 0 open it, 1 the log-on
 * dialog instead (no file), -1 not at all. */
int PWCSetDecide(void);
int PWCSetOk(const char *oldPassword, const char *newPassword, const char *confirm,
             const char *hint, char *status, int *clear, int *sound);
