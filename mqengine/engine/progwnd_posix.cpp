/* Progress records without windows (the native build): a record needs
 * no window, and the timer has nothing to show. */
#include "progress.h"

int ProgHostCreate(PROGRESS *)
{
    return 0;
}

void ProgUpdateAll(void)
{
}
