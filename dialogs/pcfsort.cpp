/* The order of channel-authentication records in a list area: by
 * channel, then by record type in the order the queue manager applies
 * them, then by the attributes each type matches on.  A stable exchange
 * sort, so equal rows keep their arrival order. */
#include "pcfint.h"

#include "cs.h"

#define CHLAUTH_TYPE 1352

/* Rank of each channel-authentication type. */
static int TypeRank(int32_t type)
{
    switch (type) {
    case 3: return 1;   /* SSLPEERMAP */
    case 5: return 2;   /* USERMAP */
    case 6: return 3;   /* QMGRMAP */
    case 4: return 4;   /* ADDRESSMAP */
    case 1: return 5;   /* BLOCKUSER */
    case 2: return 6;   /* BLOCKADDR */
    }
    return 10;
}

/* A present value record of a row for an attribute, or null. */
static uint8_t *Value(PCFLISTAREA *area, PCFROW *row, uint32_t attrId)
{
    uint8_t *v = FindItemAttr(area, attrId, row);
    return v && (PCFState(v) & PCFS_PRESENT) ? v : nullptr;
}

static int CompareText(PCFLISTAREA *area, PCFROW *a, PCFROW *b, uint32_t attrId)
{
    uint8_t *va = Value(area, a, attrId), *vb = Value(area, b, attrId);
    if (!va || !vb)
        return !va && !vb ? 0 : !va ? -1 : 1;
    int na = PCFListLength(va), nb = PCFListLength(vb);
    int c = memcmp(va + PCFLV_TEXT, vb + PCFLV_TEXT, (size_t)(na < nb ? na : nb));
    return c ? c : na - nb;
}

static int CompareChannelEntries(PCFLISTAREA *area, PCFROW *a, PCFROW *b)
{
    if (!a || !b)
        return !a && !b ? 0 : !a ? 1 : -1;
    int c = CompareText(area, a, b, MQCACH_CHANNEL_NAME);
    if (c)
        return c;
    uint8_t *ta = Value(area, a, CHLAUTH_TYPE), *tb = Value(area, b, CHLAUTH_TYPE);
    if (!ta || !tb)
        return 0;
    int32_t type = PCFListInt(ta);
    c = TypeRank(type) - TypeRank(PCFListInt(tb));
    if (c)
        return c;
    static const uint32_t Keys[][3] = {
        { 0, 0, 0 },
        { 0, 0, 0 },                                                   /* block user */
        { 0, 0, 0 },                                                   /* block address */
        { MQCACH_SSL_PEER_NAME, MQCACH_CONNECTION_NAME, MQCA_SSL_CERT_ISSUER_NAME },
        { MQCACH_CONNECTION_NAME, 0, 0 },                              /* address map */
        { MQCACH_CLIENT_USER_ID, MQCACH_CONNECTION_NAME, 0 },          /* user map */
        { MQCA_REMOTE_Q_MGR_NAME, MQCACH_CONNECTION_NAME, 0 },         /* queue manager map */
    };
    if (type < 1 || type > 6)
        return 0;
    for (uint32_t id : Keys[type])
        if (id && (c = CompareText(area, a, b, id)) != 0)
            return c;
    return 0;
}

void SortListArea(DialogWords *dialog, PCFLISTREQ *request, PCFLISTAREA *area)
{
    (void)dialog;
    (void)request;
    if (!area || area->rows < 2)
        return;
    PCFROW **rows = (PCFROW **)CSGetMem(sizeof(PCFROW *) * area->rows, "ENTRYARRAY");
    if (!rows)
        return;
    uint32_t n = 0;
    for (PCFROW *r = PCFFirstRow(area); r && n < area->rows; r = PCFNextRow(area, r))
        rows[n++] = r;
    int moved = 0;
    for (int swapped = 1; swapped;) {
        swapped = 0;
        for (uint32_t i = 0; i + 1 < n; i++)
            if (CompareChannelEntries(area, rows[i], rows[i + 1]) > 0) {
                PCFROW *t = rows[i];
                rows[i] = rows[i + 1];
                rows[i + 1] = t;
                swapped = moved = 1;
            }
    }
    if (moved) {
        uint8_t *first = (uint8_t *)PCFFirstRow(area);
        uint32_t bytes = (uint32_t)((uint8_t *)area + area->used - first);
        uint8_t *copy = (uint8_t *)CSGetMem(bytes, "SORTLIST");
        if (copy) {
            uint32_t at = 0;
            for (uint32_t i = 0; i < n; i++) {
                memcpy(copy + at, rows[i], rows[i]->length);
                at += rows[i]->length;
            }
            memcpy(first, copy, at);
            CSFreeMem(copy);
        }
    }
    CSFreeMem(rows);
}
