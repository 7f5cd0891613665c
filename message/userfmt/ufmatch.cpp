/* Choosing a user structure for a message: the rules by queue name and
 * format name with their overrides (at most 10 restarts), structure lists
 * tried by their conditional values, the chooser of a pane's structure,
 * and the lookup of user format names. */
#include "ufint.h"
#include "../fmtint.h"
#include "cscodepage.h"
#include "cstext.h"
#include <cstring>

#define UF_MAX_RESTARTS 10

static UFPaneViewProc paneView;
static void *paneViewContext;

void UFSetPaneView(UFPaneViewProc proc, void *context)
{
    paneView = proc;
    paneViewContext = context;
}

UFPaneViewProc UFPaneViewHook(void)
{
    return paneView;
}

/* "Edifact": the whole data as EDIFACT segments. */
static FmtFieldDef fEdifact = { "Edifact", FT_EDIFACT, 0xFFFFFFFF, nullptr, 0, 0, 0, nullptr, 7 };
static FmtStructRow rowsEdifact[] = { { 0, &fEdifact, nullptr, 0 }, { 0, nullptr, nullptr, 0 } };
FmtStructDef FmtDefEdifact = { "Edifact", SK_CONTENT, rowsEdifact, nullptr, 0, 2 | 4, 0 };

void UFStateFor(UFMatchState *state, const char *format, uint32_t encoding, uint32_t ccsid,
                const char *queue, uint32_t queueLength)
{
    memcpy(state->format, format, 8);
    state->formatLength = 8;
    while (state->formatLength &&
           (state->format[state->formatLength - 1] == ' ' || state->format[state->formatLength - 1] == 0))
        state->formatLength--;
    state->encoding = encoding;
    state->ccsid = ccsid;
    state->queue = queue;
    state->queueLength = queueLength;
}

uint32_t UFStateEncoding(const UFMatchState *state)
{
    return state->override && state->override->encoding ? state->override->encoding : state->encoding;
}

uint32_t UFStateCcsid(const UFMatchState *state)
{
    uint32_t c = state->override && state->override->ccsid ? state->override->ccsid : state->ccsid;
    return c ? c : 850;
}

/* ---- conditional values ---- */

/* The stored text in the message's CCSID, converted once per CCSID. */
static const unsigned char *CondText(UFCOND *c, uint32_t ccsid)
{
    if (c->convertedCcsid != ccsid) {
        memcpy(c->converted, c->bytes, c->length);
        if (CSConvertCodepage(c->converted, (int)c->length, (int)UFPrefs()->displayCcsid, (int)ccsid,
                              nullptr, nullptr) != CSCP_OK) {
            c->convertedCcsid = 0;
            return nullptr;
        }
        c->convertedCcsid = ccsid;
    }
    return c->converted;
}

static int CondHolds(UFCOND *c, const FmtFieldDef *f, const unsigned char *p, const UFMatchState *state)
{
    uint32_t enc = UFStateEncoding(state);
    switch (c->type) {
    case FT_HEX:
        return memcmp(p, c->bytes, c->length) == 0;
    case FT_CHAR: {
        const unsigned char *text = CondText(c, UFStateCcsid(state));
        return text && memcmp(p, text, c->length) == 0;
    }
    case FT_PACKED:
        return FapGetFieldSigned(f, p, enc, 0) == c->number;
    case FT_UPACKED:
        return FapGetFieldInt(f, p, enc, 0) == c->number;
    }
    switch (c->length) {
    case 1: return p[0] == (uint8_t)c->number;
    case 2: return FmtRd16(p, enc) == (uint16_t)c->number;
    case 4: return FmtRd32(p, enc) == (uint32_t)c->number;
    case 8: return FmtRd64(p, enc) == (uint64_t)c->number;
    }
    return 0;
}

int UFConditionsHold(const UFSTRUCT *s, const unsigned char *data, uint32_t length,
                     const UFMatchState *state)
{
    for (uint32_t i = 0; i < s->rowCount; i++) {
        const FmtStructRow *row = &s->def.rows[i];
        if (!(row->flags & RF_UF_CONDITION))
            continue;
        const FmtFieldDef *f = row->field;
        if (row->offset > length)
            return 0;
        if (f->type == FT_STRUCT) {
            const UFSTRUCT *n = UFStructOf((const FmtStructDef *)f->reference);
            if (n && !UFConditionsHold(n, data + row->offset, length - row->offset, state))
                return 0;
            continue;
        }
        UFCOND *c = s->conds[i];
        if (!c)
            continue;
        if ((uint64_t)row->offset + f->length > length)
            return 0;                   /* the data does not reach the field's end */
        if (!CondHolds(c, f, data + row->offset, state))
            return 0;
    }
    return 1;
}

/* ---- rules ---- */

enum { M_NONE, M_FOUND, M_RESTART };

struct MatchRun {
    int mode;
    const char *queue;
    uint32_t queueLength;
    const unsigned char *data;
    uint32_t length;
    UFMatchState *state;
    int restarts;
};

static int NameMatches(const UFNAME *n, const char *text, uint32_t length)
{
    if (n->length == 5 && memcmp(n->text, "$none", 5) == 0)
        return length == 0;
    return UTWildMatch(text, (int)length, n->text, (int)n->length);
}

static const UFNAME *RuleMatch(const MatchRun *m, const UFRULE *r)
{
    const char *text = m->queue;
    uint32_t length = m->queueLength;
    const UFMatchState *st = m->state;
    if (r->kind == UFR_FORMAT) {
        int over = st->override && st->override->formatLength;
        text = over ? st->override->format : st->format;
        length = over ? st->override->formatLength : st->formatLength;
    }
    for (const UFNAME *n = r->names; n; n = n->next)
        if (NameMatches(n, text, length))
            return n;
    return nullptr;
}

static int TryList(MatchRun *m, const UFRULE *list, FmtStructDef **out)
{
    for (const UFNAME *n = list->names; n; n = n->next) {
        const UFSTRUCT *s = UFStructOf(n->def);
        if (!s)
            continue;
        if (m->mode == 0 || !(s->def.kind & RF_UF_CONDITION) ||
            UFConditionsHold(s, m->data, m->length, m->state)) {
            if (list->bodyKind)
                m->state->bodyKind = list->bodyKind;
            *out = n->def;
            return M_FOUND;
        }
    }
    return M_NONE;
}

static int MatchList(MatchRun *m, const UFRULE *rules, FmtStructDef **out)
{
    UFMatchState *st = m->state;
    for (const UFRULE *r = rules; r; r = r->next) {
        if (r->kind == UFR_LIST) {
            if (TryList(m, r, out) == M_FOUND)
                return M_FOUND;
            continue;
        }
        const UFNAME *hit = RuleMatch(m, r);
        if (!hit)
            continue;
        const UFOverride *o = hit->override;
        if (r->kind == UFR_FORMAT && o && o->formatLength && m->restarts < UF_MAX_RESTARTS) {
            const char *inForce = st->override && st->override->formatLength ? st->override->format : st->format;
            if (memcmp(o->format, inForce, 8) != 0) {
                st->override = o;
                m->restarts++;
                return M_RESTART;
            }
        }
        if (r->bodyKind)
            st->bodyKind = r->bodyKind;
        if (r->names && r->names->override)
            st->override = r->names->override;
        int rc = MatchList(m, r->child, out);
        if (rc != M_NONE)
            return rc;
    }
    return M_NONE;
}

int UFMatchRules(int mode, const char *queue, uint32_t queueLength, const UFRULE *rules,
                 const unsigned char *data, uint32_t length, UFMatchState *state, FmtStructDef **result)
{
    MatchRun m = { mode, queue, queueLength, data, length, state, 0 };
    *result = nullptr;
    for (;;) {
        int rc = MatchList(&m, rules, result);
        if (rc != M_RESTART)
            return rc == M_FOUND;
    }
}

FmtStructDef *UFFindFormat(int mode, const char *queue, uint32_t queueLength,
                           const unsigned char *data, uint32_t length, UFMatchState *state)
{
    UFGEN *gen = UFCurrent();
    if (!(UFOptions() & UF_OPT_ALLOW) || !gen)
        return nullptr;
    if (!queue)
        queueLength = 0;
    while (queueLength && (queue[queueLength - 1] == ' ' || queue[queueLength - 1] == 0))
        queueLength--;
    state->override = nullptr;
    if (!data)
        length = 0;
    FmtStructDef *found;
    UFMatchRules(mode, queue ? queue : "", queueLength, gen->rules, data, length, state, &found);
    return found;
}

/* ---- names ---- */

const UFFormatName *UFFindByName(const char *name, uint32_t length)
{
    uint32_t n = 0;
    while (n < length && name[n] != ' ')
        n++;
    for (const UFFormatName *u = UFFormatNames(); u; u = u->next)
        if (u->length == n && memcmp(u->name, name, n) == 0)
            return u;
    for (const UFFormatName *u = UFFormatNames(); u; u = u->next)
        if (UTWildMatch(name, (int)n, u->name, (int)u->length))
            return u;
    return nullptr;
}

/* ---- the chooser ---- */

FmtStructDef *UFChooseFormatterView(const UFPaneView *v, UFMatchState *state)
{
    FmtStructDef *def = &FmtDefMessageContent;
    state->bodyKind = 0;
    if (!v->md || v->mdLength < 40 || !v->data || !v->length)
        return def;
    /* the pane's descriptor is kept in encoding 546, CCSID 850 */
    UFStateFor(state, (const char *)v->md + 32, FmtRd32(v->md + 24, 546), FmtRd32(v->md + 28, 546),
               v->queue, v->queueLength);
    const FmtCodepage *cp = FmtGetCodepage(state->ccsid);
    if (!cp || v->fixedView)
        return def;
    if ((UFOptions() & UF_OPT_EDIFACT) && EdiIsServiceString(cp, v->data, v->length))
        def = &FmtDefEdifact;
    FmtStructDef *user = UFFindFormat(1, v->queue, v->queueLength, v->data, v->length, state);
    return user ? user : def;
}

FmtStructDef *UFChooseFormatter(PCFDATA *pane, UFMatchState *state)
{
    UFPaneView v = {};
    if (!paneView || !paneView(paneViewContext, pane, &v)) {
        state->bodyKind = 0;
        return &FmtDefMessageContent;
    }
    return UFChooseFormatterView(&v, state);
}

void UFApplyState(const UFMatchState *state, FmtMsgInfo *msg)
{
    const UFOverride *o = state->override;
    if (o) {
        if (o->encoding)
            msg->encoding = o->encoding;
        if (o->ccsid) {
            msg->ccsid = o->ccsid;
            msg->ebcdic = CSIsEbcdicCcsid((int)o->ccsid);
        }
        if (o->formatLength) {
            memcpy(msg->format, o->format, 8);
            memcpy(msg->overrideFormat, o->format, 8);
            msg->formatLength = o->formatLength;
        }
    }
    if (state->bodyKind && (memcmp(msg->format, "MQ", 2) != 0 || memcmp(msg->format, "MQSTR   ", 8) == 0))
        msg->bodyKind = state->bodyKind;
}
