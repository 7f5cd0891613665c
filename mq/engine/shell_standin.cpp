/* Stand-in for what the application shell gives the engine, until the
 * shell exists: the frame list (empty) and the line builder, which does
 * nothing. */
#include "engint.h"

MQEFRAMELINK *MQEFrames;
uint32_t MQERebuildAgain;

int QListBuild(void *)
{
    return 0;
}
