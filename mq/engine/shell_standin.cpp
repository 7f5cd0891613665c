/* Stand-in for what the application shell gives the engine, until the
 * shell exists: the frame list (empty), the line builder, the version
 * check's follow-up and the debug window's dump, which do nothing.  (The
 * list of modeless dialogs is the configuration's stand-in,
 * config/modeless_standin_win.cpp.) */
#include "engint.h"

MQEFRAMELINK *MQEFrames;
uint32_t MQERebuildAgain;

int QListBuild(void *)
{
    return 0;
}

int VerCheckRun(ThreadRequest *)
{
    return 0;
}

void DebugDumpMessage(QMS *, int, const MQMD *, const void *, int32_t)
{
}
