/* A list dialog's WHERE filter: the one filter structure a list request
 * carries (integer, string or byte-string filter), kept in a block of the
 * dialog's own and read only through PCFWhereFilter, so that every
 * request, title and status reads the same length and bytes. */
#include "pcflists.h"
#include "../pcfint.h"

#include <cstring>

#include "cs.h"
#include "cstext.h"

/* The condition as it is sent: its length, then the filter structure. */
struct PCFWHEREBLOCK {
    uint32_t length;
    uint8_t bytes[1];
};

void PCFFreeWhereFilter(DialogWords *d)
{
    CSFreeMemAndClear(&d->whereFilter);
}

const uint8_t *PCFWhereFilter(const DialogWords *d, uint32_t *length)
{
    const PCFWHEREBLOCK *w = d->whereFilter;
    if (length)
        *length = w ? w->length : 0;
    return w ? w->bytes : nullptr;
}

int SetWhereFilter(DialogWords *d, int active, int32_t type, int32_t parameter, int32_t op, const void *value,
                   int32_t length)
{
    PCFFreeWhereFilter(d);
    if (!active)
        return 0;
    if (parameter == MQBACF_GENERIC_CONNECTION_ID)
        parameter = MQBACF_CONNECTION_ID;
    if (type != MQCFT_INTEGER_FILTER && !value)
        return 1;
    if (length == -1 && type != MQCFT_INTEGER_FILTER)
        length = (int32_t)strlen((const char *)value);
    if (length < 0 || length > 65536)
        return 1;
    uint32_t size = type == MQCFT_INTEGER_FILTER ? 20
                  : type == MQCFT_STRING_FILTER  ? ((uint32_t)length + 27) & ~3u
                  : type == MQCFT_BYTE_STRING_FILTER ? ((uint32_t)length / 2 + 23) & ~3u : 0;
    if (!size)
        return 1;
    const char *tags[] = { "WHEREIF", "WHERESF", "WHEREBF" };
    PCFWHEREBLOCK *w = (PCFWHEREBLOCK *)CSGetMem(sizeof *w + size, tags[type - MQCFT_INTEGER_FILTER]);
    if (!w)
        return 1;
    memset(w->bytes, 0, size);
    w->length = size;
    uint8_t *s = w->bytes;
    Put32(s, type);
    Put32(s + 4, (int32_t)size);
    Put32(s + 8, parameter);
    Put32(s + 12, op);
    if (type == MQCFT_INTEGER_FILTER) {
        Put32(s + 16, value ? Get32((const uint8_t *)value) : 0);
    } else if (type == MQCFT_STRING_FILTER) {
        Put32(s + 16, 0);
        Put32(s + 20, length);
        memcpy(s + 24, value, (size_t)length);
    } else {
        int32_t n = length / 2;
        if (UTHexToBytes((const char *)value, 2 * n, s + 20)) {
            CSFreeMem(w);
            return 1;
        }
        Put32(s + 16, n);
    }
    d->whereFilter = w;
    return 0;
}
