/* The analyser thread's work: the program's own commands answered in
 * process, rebuilding a frame's location lines and the follow-up of a
 * version check.  AnalyserRefresh asks for the rebuilds. */
#include "engint.h"

#include <atomic>
#include <cstring>

/* The descriptor of an in-process command: with a location, the reply-to
 * names are the location's, as the message thread gives them. */
void EngRequestMD(MQMD *md, const ThreadRequest *request)
{
    const MQMD init = {MQMD_DEFAULT};
    *md = init;
    md->Encoding = 546;
    memcpy(md->Format, "MQADMIN ", 8);
    md->MsgType = MQMT_REQUEST;
    md->Priority = MQPRI_PRIORITY_AS_Q_DEF;
    md->Persistence = MQPER_PERSISTENCE_AS_Q_DEF;
    memcpy(md->MsgId, request->key, sizeof md->MsgId);
    QMS *r = request->location;
    MQELOC *e = r ? MQELocOf(r) : nullptr;
    EngPadName(md->ReplyToQMgr, r ? r->qmName : "", 48);
    EngPadName(md->ReplyToQ, e ? e->replyQ : "", 48);
}

/* The frames whose lines the analyser rebuilds (the shell's list). */
MQEFRAMELINK *MQEFrames;
uint32_t MQERebuildAgain;

void EngAnalyserStart(void)
{
    if (EngImportLocalAtStart() && MQEHooks.importLocal)
        MQEHooks.importLocal(0);
}

int EngServeAnalyser(ThreadRequest *request, void *block)
{
    switch (request->kind) {
    case TRK_PUT: {
        MQMD md;
        EngRequestMD(&md, request);
        if (MQEHooks.debugDump)
            MQEHooks.debugDump(request->location, 1, &md, block, (int32_t)request->dataLength);
        int32_t stop = 0;
        MQEHooks.process(request->location, &stop, MQHC_UNUSABLE_HCONN, &md, block,
                         (int32_t)request->dataLength);
        return 0;
    }
    case TRK_END:
        return 1;
    case TRK_REBUILD:
        if (MQEHooks.qlistBuild)
            MQEHooks.qlistBuild((void *)request->location);
        return 0;
    case TRK_VERCHECK:
        if (MQEHooks.verCheckRun)
            MQEHooks.verCheckRun(request);
        else
            SendErrorText(request->resultWindow, "The version check is not available in this build");
        return 0;
    default:
        return 0;
    }
}

void AnalyserRefresh(MQEFRAMELINK *only)
{
    for (MQEFRAMELINK *f = only ? only : MQEFrames; f; f = only ? nullptr : f->next) {
        if (!std::atomic_ref<uint32_t>(f->rebuildPending).exchange(0))
            continue;
        ThreadRequest request = {};
        request.kind = TRK_REBUILD;
        request.count = 1;
        request.location = (QMS *)(void *)f;
        EngQueueToAnalyser(&request, nullptr);
    }
    std::atomic_ref<uint32_t>(MQERebuildAgain).store(0);
}
