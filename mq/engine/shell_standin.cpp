/* Stand-in for what the application shell gives the engine, until the
 * shell exists: the frame list (empty), the line builder, the version
 * check's follow-up, the debug window's dump and the list of modeless
 * dialogs, which do nothing. */
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

int AddModeless(void *, int, void *, void *)
{
    return 0;
}

void UtilRemoveModeless(void *)
{
}
