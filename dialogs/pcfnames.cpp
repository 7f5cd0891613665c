/* The queue-name filter of a location, from the authorities file: the
 * chain of "queue_mask" terms (include, or exclude with "!") and the
 * "queue_list" pattern, the location's own or the program-wide ones. */
#include "pcfint.h"

#include "cs.h"
#include "autdata.h"
#include "qms.h"

void PCFGetNameFilters(QMS *location, AUTQMASK **chain, const char **listText, int32_t *textLength)
{
    *chain = location && location->queueMasks ? location->queueMasks : AutGlobalQueueMasks;
    if (location && location->queueListLength > 0) {
        *listText = location->queueList;
        *textLength = location->queueListLength;
    } else {
        *listText = AutQueueList;
        *textLength = AutQueueListLength;
    }
}

int PCFMatchNameTerms(const AUTQMASK *chain, const char *name, int length)
{
    int result = 1, first = 1;
    for (const AUTQMASK *t = chain; t; t = t->next, first = 0) {
        if (!first && (t->negate ? !result : result))
            continue;
        int m = UTWildMatch(name, length, t->mask, t->length);
        result = t->negate ? !m : m;
    }
    return result;
}

int PCFObjectNameSelected(QMS *location, const uint8_t *reply, uint32_t length)
{
    PCFWALK w;
    PCFPARM p;
    if (!PCFWalkStart(&w, reply, length, location ? location->platform : 0))
        return 1;
    while (PCFWalkNext(&w, &p)) {
        if (p.type != MQCFT_STRING || p.id != MQCA_Q_NAME)
            continue;
        int n = PCFTrimmedLength(p.value, p.valueLength);
        AUTQMASK *chain;
        const char *text;
        int32_t textLength;
        PCFGetNameFilters(location, &chain, &text, &textLength);
        if (!PCFMatchNameTerms(chain, (const char *)p.value, n))
            return 0;
        return textLength <= 0 || UTWildMatch((const char *)p.value, n, text, textLength);
    }
    return 1;
}
