/* Stand-in for the import of the local queue managers, until the
 * location imports exist: nothing is found. */
#include "engint.h"

int ImportLocalQMgrs(int)
{
    return 0;
}
