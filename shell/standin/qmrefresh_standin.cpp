/* Stand-in for the MQ engine's queue-manager refresh until it lands: a
 * request for the queue list (bit 0x2) inquires the queues matching the
 * prefix from the location's command server on a worker thread, merges
 * them into the location's queue information, marks the list as arrived
 * (0x200000000) and asks the frames to rebuild.  Other kinds of refresh
 * do nothing.  The engine's RequestQmgrRefresh replaces this file (and
 * ShellWork's default entry goes back to it). */
#include <windows.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "cs.h"
#include "cslock.h"
#include "loccache.h"
#include "locstore.h"
#include "mq/engine/mqengine.h"
#include "mq/mqbind.h"
#include "mq/pcf.h"
#include "shell.h"
#include "shellwork.h"

enum { REPLY_BUFFER = 100000, REPLY_WAIT_MS = 10000 };

struct RefreshJob {
    QMS *location;
    char prefix[QMS_NAME + 1];
};

static std::atomic<int> running;

int ShellRefreshesRunning(void)
{
    return running.load();
}

/* A blank-padded MQ name field. */
static void pad(char *field, const char *text, size_t n)
{
    memset(field, ' ', n);
    memcpy(field, text, strnlen(text, n));
}

/* A name field without its trailing blanks. */
static void trim(char *out, const void *field, MQLONG length)
{
    size_t n = length < QMS_NAME ? (size_t)(length > 0 ? length : 0) : QMS_NAME;
    memcpy(out, field, n);
    out[n] = 0;
    while (n > 0 && (out[n - 1] == ' ' || !out[n - 1]))
        out[--n] = 0;
}

/* The depth class of the tree's icons. */
static uint32_t depth_class(int32_t depth)
{
    return depth == 0 ? 0 : depth < 10 ? 1 : depth < 100 ? 2 : depth < 1000 ? 3 : 4;
}

/* One reply's queue into the location's queue information. */
static void take_queue(QMS *r, const uint8_t *reply, MQLONG length)
{
    MQPP pp;
    MQLONG command, cc, rc, type, id, len, count;
    void *value;
    PCFInitParse(&pp, reply, length, &command, &cc, &rc);
    if (cc || PCFHeader(&pp)->CompCode)
        return;
    QINFO in;
    memset(&in, 0, sizeof in);
    in.location = r;
    int32_t depth = 0, defType = 1;
    char cluster[QMS_NAME + 1] = "";
    for (;;) {
        PCFGetNextParm(&pp, &type, &id, &value, &len, &count, &cc, &rc);
        if (cc)
            break;
        if (type == MQCFT_STRING && id == MQCA_Q_NAME)
            trim(in.name, value, len);
        else if (type == MQCFT_STRING && id == MQCA_CLUSTER_NAME)
            trim(cluster, value, len);
        else if (type == MQCFT_INTEGER && id == MQIA_Q_TYPE)
            in.type = (uint32_t)*(MQLONG *)value;
        else if (type == MQCFT_INTEGER && id == MQIA_CURRENT_Q_DEPTH)
            depth = *(MQLONG *)value;
        else if (type == MQCFT_INTEGER && id == MQIA_DEFINITION_TYPE)
            defType = *(MQLONG *)value;
    }
    if (!in.name[0] || !in.type)
        return;
    in.nameLength = (uint8_t)strlen(in.name);
    memcpy(in.attrs, &depth, 4);
    memcpy(in.attrs + 12, &defType, 4);
    if (in.type == 1 || in.type == 2) {
        in.flags |= QI_DEPTHKNOWN;
        in.depthClass = depth_class(depth);
    }
    if (cluster[0])
        in.flags |= QI_CLUSTER;
    LocAddQueueInfo(&in);
}

/* Sends the inquiry and merges every reply until the last. */
static void inquire(QMS *r, MQIEntryTable *t, MQHCONN h, const char *prefix)
{
    MQLONG cc, rc;
    MQOD cmd = {MQOD_DEFAULT}, reply = {MQOD_DEFAULT};
    pad(cmd.ObjectName, "SYSTEM.ADMIN.COMMAND.QUEUE", MQ_Q_NAME_LENGTH);
    pad(reply.ObjectName, "SYSTEM.DEFAULT.MODEL.QUEUE", MQ_Q_NAME_LENGTH);
    pad(reply.DynamicQName, "RAVOLT.TREE.*", MQ_Q_NAME_LENGTH);
    MQHOBJ hc = MQHO_UNUSABLE_HOBJ, hr = MQHO_UNUSABLE_HOBJ;
    t->MQOPEN(h, &cmd, MQOO_OUTPUT | MQOO_FAIL_IF_QUIESCING, &hc, &cc, &rc);
    if (cc == MQCC_FAILED)
        return;
    t->MQOPEN(h, &reply, MQOO_INPUT_EXCLUSIVE | MQOO_FAIL_IF_QUIESCING, &hr, &cc, &rc);
    void *area = nullptr;
    MQPP pp;
    if (cc != MQCC_FAILED)
        PCFInitArea(&pp, &area, 1, 0, 0, MQCMD_INQUIRE_Q, &cc, &rc);
    if (area && cc != MQCC_FAILED) {
        PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_NAME, prefix, -1, 0, &cc, &rc);
        MQMD md = {MQMD_DEFAULT};
        memcpy(md.Format, MQFMT_ADMIN, MQ_FORMAT_LENGTH);
        md.MsgType = MQMT_REQUEST;
        memcpy(md.ReplyToQ, reply.ObjectName, MQ_Q_NAME_LENGTH);
        MQPMO pmo = {MQPMO_DEFAULT};
        pmo.Options = MQPMO_NO_SYNCPOINT;
        LocMarkQueues(r, prefix);
        t->MQPUT(h, hc, &md, &pmo, pp.position, area, &cc, &rc);
        CSFreeMem(area);
        uint8_t *buffer = cc == MQCC_FAILED ? nullptr : (uint8_t *)CSGetMem(REPLY_BUFFER, "QREFRESH");
        while (buffer) {
            MQMD rmd = {MQMD_DEFAULT};
            MQGMO gmo = {MQGMO_DEFAULT};
            gmo.Options = MQGMO_WAIT | MQGMO_CONVERT | MQGMO_NO_SYNCPOINT | MQGMO_ACCEPT_TRUNCATED_MSG;
            gmo.WaitInterval = REPLY_WAIT_MS;
            MQLONG got = 0;
            t->MQGET(h, hr, &rmd, &gmo, REPLY_BUFFER, buffer, &got, &cc, &rc);
            if (cc == MQCC_FAILED || got < (MQLONG)sizeof(MQCFH))
                break;
            take_queue(r, buffer, got);
            if (((MQCFH *)buffer)->Control == MQCFC_LAST)
                break;
        }
        CSFreeMem(buffer);
        LocMarkObjectsByName(prefix, r);
        LocLockStore();
        r->downloadState |= 0x200000000ull;
        LocUnlockStore();
    }
    if (hr != MQHO_UNUSABLE_HOBJ)
        t->MQCLOSE(h, &hr, MQCO_DELETE_PURGE, &cc, &rc);
    t->MQCLOSE(h, &hc, MQCO_NONE, &cc, &rc);
}

/* The worker: connect, inquire, disconnect, and tell the frames. */
static void refresh_worker(void *arg)
{
    RefreshJob *job = (RefreshJob *)arg;
    MQHCONN h;
    MQIEntryTable *t = nullptr;
    MQLONG cc, rc;
    char text[300];
    if (ConnectMQ(job->location, &h, &t, text, sizeof text, &cc, &rc) == 0 && t) {
        inquire(job->location, t, h, job->prefix);
        t->MQDISC(&h, &cc, &rc);
    }
    MQEPostFrame(nullptr, FRM_QINFO, 0, job->location, 0);
    CSFreeMem(job);
    running--;
}

int ShellQmgrRefresh(QMS *location, uint32_t bits, const char *prefix, int)
{
    if (!location || !(bits & REFRESH_QLIST))
        return 0;
    RefreshJob *job = (RefreshJob *)CSGetMem(sizeof *job, "QREFRESHJOB");
    if (!job)
        return 0;
    job->location = location;
    strncpy(job->prefix, prefix && *prefix ? prefix : "*", QMS_NAME);
    job->prefix[QMS_NAME] = 0;
    running++;
    try {
        std::thread(refresh_worker, job).detach();
    } catch (...) {
        running--;
        CSFreeMem(job);
        return 0;
    }
    return 1;
}
