/* Stand-in of reply processing's copy block until the command engine
 * provides it: the message as loaded or last sent, kept to compare with. */
#include "edpane.h"
#include "csmem.h"
#include <cstring>

int MessageCopyBuffer(void **slot, const void *bytes, uint32_t length)
{
    uint32_t *block = (uint32_t *)*slot;
    if (!block || block[0] < length) {
        CSFreeMemAndClear(slot);
        block = (uint32_t *)CSGetMem((size_t)length + 12, "PHEX Copy");
        if (!block)
            return 0;
        block[0] = length;
        *slot = block;
    }
    block[1] = length;
    if (length)
        memcpy(block + 2, bytes, length);
    return 1;
}
