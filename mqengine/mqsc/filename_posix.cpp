/* The console's file-name dialog natively: there is none (no name). */
#include "mqsc.h"

int MQSCSystemFileDialog(MQSCFILEDIALOG *, uint32_t *error)
{
    *error = 0;
    return 0;
}
