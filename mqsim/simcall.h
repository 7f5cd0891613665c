/* What the MQI verbs of the stand-in share: the start of every call
 * (fault injection, connection lookup, handle sharing), structure
 * versions and their lengths, and the connection registry. */
#pragma once

#include "sim.h"

#include <cstring>

/* Takes a connection for one verb: the connection's own lock (a second
 * thread waits, or with MQCNO_HANDLE_SHARE_NO_BLOCK gets 2219), then
 * SimLock.  reason is 0 when the call may go on. */
struct SimCall {
    SimConn *conn;            /* null when the call may not go on */
    SimConn *brokenConn;      /* the connection, when it is broken (2009) */
    std::unique_lock<std::recursive_mutex> callLock;
    std::unique_lock<std::mutex> lock;
    MQLONG reason;
};
void SimCallBegin(SimCall *call, const char *verb, MQHCONN hconn);
SimHandle *SimHandleOf(SimConn *c, MQHOBJ h);
/* simconn.cpp: breaks the call's connection (an injected 2009). */
void SimBreakConnection(SimCall *call);
/* The call's object handle, opened with option need (0: any) when the
 * call itself has not failed: the call's reason, MQRC_HOBJ_ERROR,
 * notOpen, or 0 with *out set. */
MQLONG SimCallHandle(const SimCall *call, MQHOBJ hobj, MQLONG need, MQLONG notOpen, SimHandle **out);

/* Results into the caller's CompCode and Reason. */
static inline void SimResult(PMQLONG cc, PMQLONG rc, MQLONG reason)
{
    static const MQLONG warnings[] = {
        MQRC_TRUNCATED_MSG_ACCEPTED, MQRC_TRUNCATED_MSG_FAILED, MQRC_NOT_CONVERTED,
        MQRC_PRIORITY_EXCEEDS_MAXIMUM, MQRC_INT_ATTR_COUNT_TOO_SMALL,
        MQRC_CHAR_ATTRS_TOO_SHORT, MQRC_NO_SUBS_MATCHED,
    };
    MQLONG c = reason ? MQCC_FAILED : MQCC_OK;
    for (MQLONG w : warnings)
        if (reason == w)
            c = MQCC_WARNING;
    if (cc)
        *cc = c;
    if (rc)
        *rc = reason;
}

/* Byte length a structure of this version vouches for (0: bad version). */
MQLONG SimLengthOf(const char *strucId, MQLONG version);

/* Copies a caller's structure into a full-size local one (its StrucId and
 * Version checked): 0 or the given error reason. */
template <class T>
static MQLONG SimCopyIn(T *local, const T &dflt, const void *user, const char *id, MQLONG error)
{
    *local = dflt;
    if (!user)
        return error;
    const T *u = (const T *)user;
    if (memcmp(u->StrucId, id, 4) != 0)
        return error;
    MQLONG len = SimLengthOf(id, u->Version);
    if (!len)
        return error;
    memcpy((void *)local, user, (size_t)len);
    return 0;
}
template <class T>
static void SimCopyOut(void *user, const T &local)
{
    memcpy(user, (const void *)&local, (size_t)SimLengthOf(local.StrucId, local.Version));
}

extern std::map<MQHCONN, SimConn *> &SimConns;

/* simconn.cpp: a new connection of this process to a loaded queue
 * manager (SimLock held), as MQCONNX makes it. */
SimConn *SimNewConn(SimQMgr *q, const std::string &user, MQLONG options);

/* simopen.cpp */
static const MQLONG SimInputOptions = MQOO_INPUT_AS_Q_DEF | MQOO_INPUT_SHARED | MQOO_INPUT_EXCLUSIVE;
static const MQLONG SimContextOptions = MQOO_PASS_IDENTITY_CONTEXT | MQOO_PASS_ALL_CONTEXT |
                                        MQOO_SET_IDENTITY_CONTEXT | MQOO_SET_ALL_CONTEXT;
/* The string of a variable-length field, its offset taken from base. */
std::string SimCharV(const MQCHARV &v, const void *base);
MQLONG SimOpen(SimConn *c, MQOD *od, const void *userOd, MQLONG options, SimHandle **out);
void SimCloseHandle(SimConn *c, SimHandle *h, MQLONG options);
bool SimInhibited(const SimObject *o, MQLONG id);
/* Forgets every reference to a queue being deleted. */
void SimForgetQueue(SimObject *o);

/* simget.cpp */
MQLONG SimGet(SimConn *c, SimHandle *h, MQMD *md, MQGMO *gmo, MQLONG bufLen, void *buf,
              MQLONG *dataLen, std::unique_lock<std::mutex> *lock);

/* simcb.cpp */
void SimStopConsumers(SimCall *call);

/* Single-byte code-page conversion hook for MQGMO_CONVERT: 0 done,
 * non-zero when these CCSIDs cannot be converted. */
extern int (*SimConvertHook)(MQLONG fromCcsid, MQLONG toCcsid, MQBYTE *data, MQLONG length);
