/* Stand-in for the load and unload engine, until message transfer
 * exists: a queue load or unload request does nothing. */
#include "engint.h"

int LoadUnloadQueue(QMS *, ThreadRequest *, void *)
{
    return 0;
}
