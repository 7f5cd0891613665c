/* The parameters of a request, checked: the walk with its failures
 * answered, names and numbers of their proper types, byte strings of
 * their proper lengths, lists of ids, tokens and positions, and a
 * message descriptor.  Requests are outside input: nothing is read past
 * a parameter, and a value that does not fit is refused, not cut. */
#include "agentint.h"

#include <cstdarg>
#include <cstring>

#include "cs.h"

int AgentError(AGENTREQ *rq, int32_t reason, int32_t errorParm, intptr_t value)
{
    SendErrorResponse(rq->location, rq->replyOptions, rq->action, rq->hconn, rq->cache, rq->command,
                      rq->md, reason, 0, 0, errorParm, value);
    return reason;
}

int AgentErrorText(AGENTREQ *rq, int32_t reason, const char *format, ...)
{
    char text[400];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return AgentError(rq, reason, MYPCFA_ERROR_MESSAGE, (intptr_t)text);
}

int AgentUnknown(AGENTREQ *rq, const AGENTPARM *p)
{
    AgentError(rq, MQRCCF_CFIN_PARM_ID_ERROR, MQIACF_SELECTOR, p->id);
    return -1;
}

int AgentMissing(AGENTREQ *rq, int32_t parameter)
{
    return AgentError(rq, MQRCCF_CFST_PARM_ID_ERROR, MQIACF_PARAMETER_ID, parameter);
}

int AgentWalkEnd(AGENTREQ *rq, int more, const char *queue)
{
    if (more < 0)
        return -1;
    if (!queue[0]) {
        AgentMissing(rq, MQCA_Q_NAME);
        return -1;
    }
    return 0;
}

int AgentNext(AGENTREQ *rq, MQPP *pp, AGENTPARM *p)
{
    MQLONG cc, rc;
    void *value = nullptr;
    p->length = p->count = 0;
    PCFGetNextParm(pp, &p->type, &p->id, &value, &p->length, &p->count, &cc, &rc);
    p->value = (const uint8_t *)value;
    if (cc != MQCC_FAILED)
        return 1;
    if (rc == PCF_RC_END_OF_PARMS)
        return 0;
    AgentError(rq, rc);
    return -1;
}

int32_t AgentTextLength(const AGENTPARM *p)
{
    int32_t n = (int32_t)strnlen((const char *)p->value, (size_t)p->length);
    while (n && p->value[n - 1] == ' ')
        n--;
    return n;
}

int AgentString(AGENTREQ *rq, const AGENTPARM *p, char *out, int max)
{
    if (p->type != MQCFT_STRING)
        return AgentUnknown(rq, p);
    int32_t n = AgentTextLength(p);
    if (n > max) {
        AgentError(rq, MQRCCF_CFST_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, p->id);
        return -1;
    }
    memcpy(out, p->value, (size_t)n);
    out[n] = 0;
    return 0;
}

int AgentInt(AGENTREQ *rq, const AGENTPARM *p, int32_t *out)
{
    if (p->type != MQCFT_INTEGER)
        return AgentUnknown(rq, p);
    memcpy(out, p->value, 4);
    return 0;
}

static int is_bytes(const AGENTPARM *p)
{
    return p->type == PCF_BYTE_STRING || p->type == MQCFT_BYTE_STRING;
}

int AgentBytes(AGENTREQ *rq, const AGENTPARM *p, int32_t need, const uint8_t **bytes, int32_t *length)
{
    if (!is_bytes(p) && p->type != MQCFT_STRING)
        return AgentUnknown(rq, p);
    if (p->length < need) {
        AgentError(rq, MQRCCF_CFBS_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, p->id);
        return -1;
    }
    *bytes = p->value;
    *length = p->length;
    return 0;
}

/* ---- lists ---- */

int AgentListAdd(AGENTLIST *l, const void *item)
{
    if (l->count == l->capacity) {
        int32_t grown = l->capacity ? l->capacity * 2 : 16;
        uint8_t *fresh = (uint8_t *)CSGetMem((size_t)grown * l->size, "AGENTLIST");
        if (!fresh)
            return MQRC_STORAGE_NOT_AVAILABLE;
        if (l->count)
            memcpy(fresh, l->items, (size_t)l->count * l->size);
        CSFreeMemAndClear(&l->items);
        l->items = fresh;
        l->capacity = grown;
    }
    memcpy(AgentItem(l, l->count++), item, (size_t)l->size);
    return 0;
}

void AgentListFree(AGENTLIST *l)
{
    CSFreeMemAndClear(&l->items);
    l->count = l->capacity = 0;
}

/* Adds the pieces of one run of bytes: 0, or -1 answered. */
static int add_pieces(AGENTREQ *rq, const AGENTPARM *p, const uint8_t *bytes, int32_t length, AGENTLIST *l)
{
    if (length < l->size || length % l->size) {
        AgentError(rq, MQRCCF_CFBS_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, p->id);
        return -1;
    }
    for (int32_t at = 0; at < length; at += l->size)
        if (AgentListAdd(l, bytes + at)) {
            AgentError(rq, MQRC_STORAGE_NOT_AVAILABLE);
            return -1;
        }
    return 0;
}

/* Byte strings, string lists, and the MQCFST in which a dialog's byte
 * field (a message's MsgId or token) travels with its bytes. */
int AgentTakeItems(AGENTREQ *rq, const AGENTPARM *p, AGENTLIST *l)
{
    if (is_bytes(p) || p->type == MQCFT_STRING)
        return add_pieces(rq, p, p->value, p->length, l);
    if (p->type != MQCFT_STRING_LIST && p->type != PCF_STRING_LIST)
        return AgentUnknown(rq, p);
    int32_t each = p->count ? p->length / p->count : 0;
    for (int32_t i = 0; i < p->count; i++)
        if (add_pieces(rq, p, p->value + (size_t)i * each, each < l->size ? each : l->size, l))
            return -1;
    return 0;
}

int AgentTakeInts(AGENTREQ *rq, const AGENTPARM *p, AGENTLIST *l)
{
    if (p->type != MQCFT_INTEGER && p->type != MQCFT_INTEGER_LIST)
        return AgentUnknown(rq, p);
    for (int32_t i = 0; i < p->count; i++)
        if (AgentListAdd(l, p->value + (size_t)i * 4)) {
            AgentError(rq, MQRC_STORAGE_NOT_AVAILABLE);
            return -1;
        }
    return 0;
}

int AgentTakeMD(AGENTREQ *rq, const AGENTPARM *p, MQMD *md)
{
    const uint8_t *bytes;
    int32_t length;
    if (AgentBytes(rq, p, MQMD_LENGTH_1, &bytes, &length))
        return -1;
    MQLONG version;
    memcpy(&version, bytes + 4, 4);
    int32_t need = version == MQMD_VERSION_1 ? MQMD_LENGTH_1 : version == MQMD_VERSION_2 ? MQMD_LENGTH_2 : -1;
    if (memcmp(bytes, MQMD_STRUC_ID, 4) || need < 0 || length < need) {
        AgentError(rq, MQRCCF_CFBS_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, p->id);
        return -1;
    }
    const MQMD init = {MQMD_DEFAULT};
    *md = init;
    memcpy(md, bytes, (size_t)need);
    md->Version = MQMD_VERSION_2;
    return 0;
}
