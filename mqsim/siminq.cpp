/* MQINQ and MQSET: attributes of queues and the queue manager by
 * selector, some worked out when asked (depth, open counts, names). */
#include "simcall.h"
#include "simchannel.h"

/* Attributes worked out when asked rather than stored. */
static bool Dynamic(const SimHandle *h, const SimObject *o, MQLONG id, MQLONG *iv, std::string *sv)
{
    SimQueue *q = o->queue;
    switch (id) {
    case MQIA_CURRENT_Q_DEPTH: if (!q) return false; *iv = q->depth; return true;
    case MQIA_OPEN_INPUT_COUNT: if (!q) return false; *iv = q->openInput; return true;
    case MQIA_OPEN_OUTPUT_COUNT: if (!q) return false; *iv = q->openOutput; return true;
    case MQCA_Q_NAME: if (o->kind == SIM_K_QMGR) return false; *sv = o->name; return true;
    case MQCA_Q_MGR_NAME: if (o->kind != SIM_K_QMGR) return false; *sv = h->qmgr->name; return true;
    case MQIA_Q_TYPE: if (o->kind == SIM_K_QMGR) return false; *iv = SimInt(o, MQIA_Q_TYPE); return true;
    }
    return false;
}

static bool IntSelector(MQLONG s) { return s >= MQIA_FIRST && s <= MQIA_LAST; }
static bool CharSelector(MQLONG s) { return s >= MQCA_FIRST && s <= MQCA_LAST; }

static MQLONG Inquire(SimHandle *h, MQLONG n, const MQLONG *sel, MQLONG ni, MQLONG *ints, MQLONG nc, char *chars)
{
    const SimObject *o = h->obj;
    if (h->deleted)
        return MQRC_Q_DELETED;
    if (!o)
        return MQRC_SELECTOR_ERROR;
    if (n < 0 || n > 256)
        return MQRC_SELECTOR_COUNT_ERROR;
    if (ni < 0)
        return MQRC_INT_ATTR_COUNT_ERROR;
    if (nc < 0)
        return MQRC_CHAR_ATTR_LENGTH_ERROR;
    if (n > 0 && !sel)
        return MQRC_SELECTOR_ERROR;
    MQLONG warn = 0, iUsed = 0, cUsed = 0;
    for (MQLONG i = 0; i < n; i++) {
        MQLONG iv = 0;
        std::string sv;
        const SimKeyword *k = SimKeywordById(o->kind, sel[i]);
        bool known = Dynamic(h, o, sel[i], &iv, &sv);
        if (!known && k && !(k->flags & SIM_KW_CMD)) {
            known = true;
            iv = SimInt(o, sel[i]);
            sv = SimStr(o, sel[i]);
        }
        if (!known || (!IntSelector(sel[i]) && !CharSelector(sel[i])))
            return MQRC_SELECTOR_ERROR;
        if (IntSelector(sel[i])) {
            if (iUsed < ni && ints)
                ints[iUsed] = iv;
            else
                warn = MQRC_INT_ATTR_COUNT_TOO_SMALL;
            iUsed++;
        } else {
            MQLONG len = k && k->maxlen ? k->maxlen : 48;
            if (cUsed + len <= nc && chars)
                SimPad(chars + cUsed, (size_t)len, sv);
            else if (!warn)
                warn = MQRC_CHAR_ATTRS_TOO_SHORT;
            cUsed += len;
        }
    }
    return warn;
}

extern "C" void MQENTRY MQINQ(MQHCONN Hconn, MQHOBJ Hobj, MQLONG SelectorCount, PMQLONG pSelectors,
                              MQLONG IntAttrCount, PMQLONG pIntAttrs, MQLONG CharAttrLength,
                              PMQCHAR pCharAttrs, PMQLONG pCompCode, PMQLONG pReason)
{
    if (SimRemoteInq(Hconn, Hobj, SelectorCount, pSelectors, IntAttrCount, pIntAttrs, CharAttrLength, pCharAttrs,
                     pCompCode, pReason))
        return;
    SimCall call;
    SimCallBegin(&call, "MQINQ", Hconn);
    SimHandle *h;
    MQLONG reason = SimCallHandle(&call, Hobj, MQOO_INQUIRE, MQRC_NOT_OPEN_FOR_INQUIRE, &h);
    if (!reason)
        reason = Inquire(h, SelectorCount, pSelectors, IntAttrCount, pIntAttrs, CharAttrLength, pCharAttrs);
    SimResult(pCompCode, pReason, reason);
}

static MQLONG SetAttrs(SimHandle *h, MQLONG n, const MQLONG *sel, MQLONG ni, const MQLONG *ints, MQLONG nc, const char *chars)
{
    static const MQLONG settable[] = {
        MQIA_INHIBIT_GET, MQIA_INHIBIT_PUT, MQIA_DIST_LISTS, MQIA_TRIGGER_CONTROL,
        MQIA_TRIGGER_DEPTH, MQIA_TRIGGER_MSG_PRIORITY, MQIA_TRIGGER_TYPE, MQCA_TRIGGER_DATA,
    };
    SimObject *o = h->obj;
    if (h->deleted)
        return MQRC_Q_DELETED;
    if (!o)
        return MQRC_SELECTOR_ERROR;
    if (n < 0 || n > 256)
        return MQRC_SELECTOR_COUNT_ERROR;
    if (n > 0 && !sel)
        return MQRC_SELECTOR_ERROR;
    MQLONG iUsed = 0, cUsed = 0;
    SimAttrs next = o->attrs;
    for (MQLONG i = 0; i < n; i++) {
        bool ok = false;
        for (MQLONG s : settable)
            ok |= s == sel[i];
        if (!ok || !SimKeywordById(o->kind, sel[i]))
            return MQRC_SELECTOR_ERROR;
        if (IntSelector(sel[i])) {
            if (iUsed >= ni || !ints)
                return MQRC_INT_ATTR_COUNT_ERROR;
            MQLONG v = ints[iUsed++];
            if ((sel[i] == MQIA_INHIBIT_GET || sel[i] == MQIA_INHIBIT_PUT) && v != 0 && v != 1)
                return MQRC_INHIBIT_VALUE_ERROR;
            next[sel[i]].type = SIM_INT;
            next[sel[i]].ival = v;
        } else {
            MQLONG len = SimKeywordById(o->kind, sel[i])->maxlen;
            if (cUsed + len > nc || !chars)
                return MQRC_CHAR_ATTR_LENGTH_ERROR;
            std::string v(chars + cUsed, (size_t)len);
            while (!v.empty() && v.back() == ' ')
                v.pop_back();
            next[sel[i]].type = SIM_STR;
            next[sel[i]].sval = v;
            cUsed += len;
        }
    }
    o->attrs = next;
    SimStoreObject(h->qmgr, o);
    SimWake.notify_all();
    return 0;
}

extern "C" void MQENTRY MQSET(MQHCONN Hconn, MQHOBJ Hobj, MQLONG SelectorCount, PMQLONG pSelectors,
                              MQLONG IntAttrCount, PMQLONG pIntAttrs, MQLONG CharAttrLength,
                              PMQCHAR pCharAttrs, PMQLONG pCompCode, PMQLONG pReason)
{
    if (SimRemoteSet(Hconn, Hobj, SelectorCount, pSelectors, IntAttrCount, pIntAttrs, CharAttrLength, pCharAttrs,
                     pCompCode, pReason))
        return;
    SimCall call;
    SimCallBegin(&call, "MQSET", Hconn);
    SimHandle *h;
    MQLONG reason = SimCallHandle(&call, Hobj, MQOO_SET, MQRC_NOT_OPEN_FOR_SET, &h);
    if (!reason)
        reason = SetAttrs(h, SelectorCount, pSelectors, IntAttrCount, pIntAttrs, CharAttrLength, pCharAttrs);
    SimResult(pCompCode, pReason, reason);
}

