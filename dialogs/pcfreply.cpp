/* Replies into data areas: the object a response names is picked by the
 * dialog's key fields and its parameters become field values.
 *
 * For a dialog with a window the reply thread converts into a new data
 * area, built from the dialog's current values (or from the conversion
 * still waiting), and leaves it as the dialog's pending area; the window
 * takes it over when UM_PCF_UPDATE_DIALOG arrives (PCFTakeDialogData).
 * The window never sees a half-converted area and the reply thread never
 * frees one the window may read.  Without a window, or for a data area
 * of the caller's, the values go straight into that area.
 *
 * Every string, list element and byte string that arrives is cut to its
 * field's record. */
#include "pcfint.h"

#include <cstdio>

#include "mq/capability.h"
#include "cs.h"
#include "qms.h"

#define MSG_DATA       10034
#define MSG_LENGTH     10035
#define MSG_DESCRIPTOR 10036
#define MSG_FULL       10037
#define MAX_MSG_SIZE   10052
#define PUT_DATE       10027
#define PUT_TIME       10028
#define LOCATION_TEXT  10200

struct ReplyCtx {
    DialogWords *dialog;
    QMS *location;
    PCFCommandDef *def;
    uint8_t *area;
    const uint8_t *caps;
    uint32_t changed;
    int32_t platform;
    char objectName[50];
    int nameSet;
    uint8_t *dateRec, *timeRec;
};

static void PostError(ReplyCtx *c, const char *text)
{
    const PCFHOOKS *h = PCFHooks();
    if (h->postError)
        h->postError(h->context, c->location, 6, text);
}

/* ---- storing parameters ---- */

static PCFINTLIST *ReplaceIntList(uint8_t *r, int count, int minimum, const char *tag)
{
    PCFINTLIST *l = PCFRecIntList(r);
    if (l && l->capacity > count + 1)
        return l;
    int cap = count + 5 < minimum ? minimum : count + 5;
    PCFINTLIST *g = PCFNewIntList(cap, tag);
    if (!g)
        return nullptr;
    if (l)
        CSFreeMem(l);
    PCFSetRecPtr(r, g);
    return g;
}

/* A flag set: the value rows whose bits the integer holds, in table
 * order, and one element for the bits left over. */
static int StoreFlagSet(ReplyCtx *c, const PCFFieldDef *f, uint8_t *r, uint32_t value)
{
    int32_t parts[64];
    int n = 0;
    uint32_t left = value;
    for (const PCFValueDef *v = f->values; v && v->name && *v->name && n < 63; v++)
        if (v->value && ((uint32_t)v->value & value) == (uint32_t)v->value) {
            parts[n++] = v->value;
            left &= ~(uint32_t)v->value;
        }
    if (left)
        parts[n++] = (int32_t)left;
    PCFINTLIST *l = ReplaceIntList(r, n, 5, "PCFINTLHDRI");
    if (!l) {
        PostError(c, "No storage for PCFINTLHDR");
        return 1003;
    }
    memcpy(PCFIntListItems(l), parts, 4 * (size_t)n);
    l->count = (int16_t)n;
    return 0;
}

static int StoreInteger(ReplyCtx *c, const PCFFieldDef *f, uint8_t *r, int32_t v)
{
    if (f->type == PCFT_FLAGSET) {
        int rc = StoreFlagSet(c, f, r, (uint32_t)v);
        if (rc)
            return rc;
    } else if (f->type == PCFT_ENUMLIST || f->type == PCFT_INTLIST) {
        PCFINTLIST *l = ReplaceIntList(r, 1, 10, "PCFINTLHDRIL");
        if (!l) {
            PostError(c, "No storage for PCFINTLHDR");
            return 1005;
        }
        PCFIntListItems(l)[0] = v;
        l->count = 1;
        c->changed = 1;
    } else if (PCFIsIntType(f->type)) {
        PCFSetRecInt(r, v);
    } else {
        return 0;
    }
    PCFSetState(r, PCFState(r) | PCFS_RECEIVED | PCFS_SPECIFIED);
    return 0;
}

static int StoreIntList(ReplyCtx *c, const PCFFieldDef *f, uint8_t *r, const PCFPARM *p)
{
    if (!PCFIsIntListType(f->type))
        return 0;
    int32_t *items = (int32_t *)CSGetMem(4 * (size_t)p->valueLength + 4, "PCFINTLTMP");
    if (!items) {
        PostError(c, "No storage for PCFINTLHDR");
        return 1005;
    }
    memcpy(items, p->value, 4 * (size_t)p->valueLength);
    int n = PCFCheckNotValues(f, items, p->valueLength);
    if (n > 32000)
        n = 32000;
    PCFINTLIST *l = ReplaceIntList(r, n, 10, "PCFINTLHDRIL");
    if (!l) {
        CSFreeMem(items);
        PostError(c, "No storage for PCFINTLHDR");
        return 1005;
    }
    memcpy(PCFIntListItems(l), items, 4 * (size_t)n);
    l->count = (int16_t)n;
    CSFreeMem(items);
    PCFSetState(r, PCFState(r) | PCFS_RECEIVED | PCFS_SPECIFIED);
    return 0;
}

/* Strings into a string list; all-blank elements are left out and every
 * element is cut to the field's maximum. */
static int StoreStrings(ReplyCtx *c, const PCFFieldDef *f, uint8_t *r, const uint8_t *strings,
                        int32_t count, int32_t each)
{
    int max = f->maximum > 0 ? f->maximum : 1;
    if (count > 32000)
        count = 32000;
    PCFSTRLIST *l = PCFRecStrList(r);
    if (!l || (uint64_t)count * (uint64_t)max + 15 > l->size) {
        PCFSTRLIST *g = PCFNewStrList(count + 1, max, "PCFSTRLHDR");
        if (!g) {
            PostError(c, "No storage for PCFINTLHDR");
            return 1005;
        }
        if (l)
            CSFreeMem(l);
        PCFSetRecPtr(r, g);
        l = g;
    }
    memset(l + 1, ' ', l->size - sizeof *l);
    l->count = 0;
    for (int32_t i = 0; i < count && l->count < l->capacity; i++) {
        const uint8_t *s = strings + (size_t)i * (size_t)each;
        int32_t n = PCFTrimmedLength(s, each);
        if (!n)
            continue;
        memcpy(PCFStrListItem(l, max, l->count++), s, (size_t)(n < max ? n : max));
    }
    PCFSetState(r, PCFState(r) | PCFS_RECEIVED | PCFS_SPECIFIED);
    c->changed = 1;
    return 0;
}

static int StoreString(ReplyCtx *c, PCFFieldEntry *e, uint8_t *r, const PCFPARM *p)
{
    const PCFFieldDef *f = e->field;
    int32_t n = PCFTrimmedLength(p->value, p->valueLength);
    if (f->flags & PCFF_DATE)
        c->changed = 1;
    if (f->type == PCFT_STRLIST || f->type == PCFT_MULTISTR)
        return StoreStrings(c, f, r, p->value, 1, n);
    if (!PCFIsTextType(f->type))
        return 0;
    int32_t max = f->maximum > 0 ? f->maximum : 0;
    int32_t len = n < max ? n : max;
    char *text = PCFRecText(r);
    memset(text, 0, (size_t)max + 1);
    memcpy(text, p->value, (size_t)len);
    uint16_t st = PCFState(r) | PCFS_RECEIVED;
    st = n ? (st | PCFS_SPECIFIED) : (st & ~PCFS_SPECIFIED);
    PCFSetState(r, st);
    if (c->def->nameField && c->def->nameField->field == f) {
        snprintf(c->objectName, sizeof c->objectName, "%.49s", text);
        c->nameSet = 1;
    }
    if (PcfPrefs.timeOffset && len == 8) {
        if (f->attrId == PUT_DATE)
            c->dateRec = r;
        if (f->attrId == PUT_TIME)
            c->timeRec = r;
    }
    return 0;
}

/* Byte strings: into the record (cut to it) or a message buffer. */
static int StoreBytes(ReplyCtx *c, const PCFFieldDef *f, uint8_t *r, const PCFPARM *p, int own)
{
    uint32_t n = (uint32_t)p->valueLength;
    const uint8_t *bytes = p->value;
    uint8_t *converted = nullptr;
    if (!own)
        n = (uint32_t)UTTrimZeroLength(bytes, (int)n);
    if (own && f->attrId == MSG_DATA) {
        const PCFHOOKS *h = PCFHooks();
        uint32_t outLength;
        if (h->convertMessage && h->convertMessage(h->context, c->dialog, bytes, n, &converted, &outLength)) {
            bytes = converted;
            n = outLength;
        }
    }
    int rc = 0;
    if (f->type == PCFT_HEX || f->type == PCFT_BYTES || f->type == PCFT_WIDEHEX) {
        PCFSetRecBytes(r, f, bytes, n);
    } else if (f->type == PCFT_MESSAGE) {
        PCFMSGBUF *b = PCFRecMsgBuf(r);
        if (!b || b->capacity < n) {
            PCFMSGBUF *g = PCFNewMsgBuf(n + 4, "PHEX Data");
            if (!g) {
                PostError(c, "No storage for PHEX");
                rc = own ? 2001 : 1009;
            } else {
                if (b)
                    CSFreeMem(b);
                PCFSetRecPtr(r, g);
                b = g;
            }
        }
        if (!rc) {
            memcpy(PCFMsgBufBytes(b), bytes, n);
            b->length = n;
        }
    } else {
        PostError(c, "Unknown HEX type");
        rc = own ? 2001 : 1009;
    }
    if (converted)
        CSFreeMem(converted);
    if (!rc && n)
        PCFSetState(r, PCFState(r) | PCFS_RECEIVED | PCFS_SPECIFIED);
    return rc;
}

/* One parameter into its field; 0, -1 at the object's end, or a code. */
static int StoreParm(ReplyCtx *c, const PCFPARM *p)
{
    if (p->type == PCFT_OWN_END || (p->type == MQCFT_INTEGER && p->id == OBJECT_SEPARATOR))
        return -1;
    int known = p->type == MQCFT_INTEGER || p->type == MQCFT_STRING || p->type == MQCFT_INTEGER_LIST ||
                p->type == MQCFT_STRING_LIST || p->type == MQCFT_BYTE_STRING ||
                p->type == MQCFT_INTEGER64 || p->type == PCFT_OWN_BYTES;
    if (!known)
        return PCFTypeError(p->type);
    PCFFieldEntry *e = PCFFindField(c->dialog, c->caps, c->def->fields, (uint32_t)p->id);
    if (!e || !PCFStoresValue(e)) {
        int quiet = (p->id == 19 && (p->type == MQCFT_INTEGER || p->type == MQCFT_INTEGER64)) ||
                    (p->id == 3507 && p->type == MQCFT_STRING);
        if (!quiet)
            PCFUnhandled(c->dialog, p->id);
        return 0;
    }
    if (e->flags & PCFE_DEPENDS)
        c->changed = 1;
    uint8_t *r = c->area + e->offset;
    const PCFFieldDef *f = e->field;
    switch (p->type) {
    case MQCFT_INTEGER:
    case MQCFT_INTEGER64:
        return StoreInteger(c, f, r, Get32(p->value));
    case MQCFT_STRING:
        return StoreString(c, e, r, p);
    case MQCFT_INTEGER_LIST:
        c->changed = 1;
        return StoreIntList(c, f, r, p);
    case MQCFT_STRING_LIST:
        c->changed = 1;
        if (f->type != PCFT_STRLIST && f->type != PCFT_MULTISTR)
            return 0;
        return StoreStrings(c, f, r, p->value, p->valueLength, p->itemLength);
    case MQCFT_BYTE_STRING: {
        int message = f->type == PCFT_MESSAGE &&
                      (f->attrId == MSG_DATA || f->attrId == MSG_FULL || f->attrId == MSG_DESCRIPTOR);
        return StoreBytes(c, f, r, p, message);
    }
    case PCFT_OWN_BYTES:
        return StoreBytes(c, f, r, p, 1);
    }
    return 0;
}

/* Converts the parameters of one object, from the walk's position. */
static int ResponseToData(ReplyCtx *c, PCFWALK *w)
{
    PCFPARM p;
    int rc = 0;
    if (c->def == &PCFQueueManagerDef && c->location) {
        PCFFieldEntry *e = PCFFindEntry(c->caps, c->def->fields, LOCATION_TEXT);
        if (e && PCFStoresValue(e)) {
            uint8_t *r = c->area + e->offset;
            snprintf(PCFRecText(r), (size_t)e->field->maximum + 1, "%s", c->location->locationName);
            PCFSetState(r, PCFState(r) | PCFS_RECEIVED | PCFS_SPECIFIED);
        }
    }
    while (!rc && PCFWalkNext(w, &p)) {
        rc = StoreParm(c, &p);
        if (rc < 0) {
            rc = 0;
            break;
        }
    }
    if (c->dateRec && c->timeRec)
        CSAdjustDateTime(PCFRecText(c->dateRec), PCFRecText(c->timeRec), PcfPrefs.timeOffsetMinutes);
    c->dateRec = c->timeRec = nullptr;
    return rc;
}

/* ---- key matching ---- */

/* 1 when the parameter holds the key field's value: plain integers by
 * value, strings and names by their text (the parameter longer only by
 * blanks), wide byte strings by their bytes.  Other kinds of key count
 * as equal: an enumeration's value may stand for several (a Queue Type
 * of "All" for every type of queue). */
static int KeyEquals(const PCFFieldDef *f, const uint8_t *r, const PCFPARM *p)
{
    if (f->type == PCFT_INT && (p->type == MQCFT_INTEGER || p->type == MQCFT_INTEGER64))
        return Get32(p->value) == PCFRecInt(r);
    if ((f->type == PCFT_STRING || f->type == PCFT_NAME) && p->type == MQCFT_STRING) {
        const char *text = PCFRecText((uint8_t *)r);
        size_t n = strlen(text);
        if ((size_t)p->valueLength < n || memcmp(p->value, text, n))
            return 0;
        for (int32_t i = (int32_t)n; i < p->valueLength; i++)
            if (p->value[i] != ' ' && p->value[i] != 0)
                return 0;
        return 1;
    }
    if (f->type == PCFT_WIDEHEX && (p->type == MQCFT_BYTE_STRING || p->type == PCFT_OWN_BYTES))
        return PCFRecBytesLength(r) == (uint32_t)p->valueLength &&
               !memcmp(PCFRecBytes((uint8_t *)r), p->value, (size_t)p->valueLength);
    return 1;
}

/* The parameters of the object that starts at the walk: 1 when every
 * key field with a value equals its parameter (a missing one counts as
 * equal).  The walk is left at the next object. */
static int ObjectMatches(ReplyCtx *c, PCFWALK *w)
{
    int equal = 1;
    PCFPARM p;
    while (PCFWalkNext(w, &p)) {
        if (p.type == PCFT_OWN_END || (p.type == MQCFT_INTEGER && p.id == OBJECT_SEPARATOR))
            break;
        if (!equal)
            continue;
        for (PCFFieldEntry *e = c->def->fields; e && e->field; e++) {
            if (!(e->flags & PCFE_KEY) || e->field->attrId != (uint32_t)p.id || !PCFStoresValue(e))
                continue;
            const uint8_t *r = c->area + e->offset;
            if (!(PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED)))
                continue;
            if (!PCFFieldApplies(c->caps, c->dialog->stateFlags, c->def, nullptr, nullptr, c->area,
                                 nullptr, e->conditions, nullptr))
                continue;
            if (!KeyEquals(e->field, r, &p))
                equal = 0;
        }
    }
    return equal;
}

/* Moves the walk to the first object whose keys match; 0 when none. */
static int MatchKeys(ReplyCtx *c, PCFWALK *w)
{
    while (w->pos && w->left > 0 && w->pos < w->end) {
        PCFWALK start = *w;
        if (ObjectMatches(c, w)) {
            *w = start;
            return 1;
        }
    }
    return 0;
}

/* ---- fields given by the reply ---- */

/* The nested parameter list the reply carries for a reply-fields kind:
 * a walk over it, set up in nested. */
static int NestedList(const PCFCommandDef *def, const uint8_t *response, uint32_t length,
                      int32_t platform, PCFWALK *nested)
{
    PCFWALK w;
    PCFPARM p;
    PCFWalkStart(&w, response, length, platform);
    while (PCFWalkNext(&w, &p)) {
        if ((p.type == MQCFT_STRING || p.type == PCFT_OWN_BYTES) && (uint32_t)p.id == def->objectId &&
            p.valueLength >= 4) {
            nested->pos = p.value + 4;
            nested->end = p.value + p.valueLength;
            nested->left = Get32(p.value);
            nested->platform = platform;
            return 1;
        }
    }
    return 0;
}

/* The private field list: the existing entries, then the detail entry of
 * each nested parameter not yet present.  A new definition copy. */
static PCFCommandDef *FieldsFromReply(const PCFCommandDef *def, PCFWALK nested)
{
    int extra = 0;
    PCFWALK count = nested;
    PCFPARM p;
    while (PCFWalkNext(&count, &p))
        extra++;
    PCFCommandDef *copy = PCFCopyDef(def, extra);
    if (!copy)
        return nullptr;
    int n = 0;
    while (copy->fields[n].field)
        n++;
    while (PCFWalkNext(&nested, &p)) {
        int t = p.type;
        if (t != MQCFT_INTEGER && t != MQCFT_STRING && t != MQCFT_INTEGER_LIST && t != MQCFT_STRING_LIST &&
            t != MQCFT_BYTE_STRING && t != PCFT_OWN_BYTES)
            break;
        if (PCFFindEntry(nullptr, copy->fields, (uint32_t)p.id))
            continue;
        PCFFieldEntry *d = PCFFindEntry(nullptr, def->detail, (uint32_t)p.id);
        if (d)
            copy->fields[n++] = *d;
    }
    PCFPrepareDef(copy);
    return copy;
}

/* ---- the hand-over ---- */

void PCFFreePending(PCFPENDING *p)
{
    if (!p)
        return;
    PCFCommandDef *def = p->definition;
    if (p->area && def)
        PCFFreeData(def, p->area, 1);
    if (def && p->fields)
        PCFFreeDefCopy(def);
    CSFreeMem(p);
}

/* A pending record holding a copy of the dialog's latest values. */
static PCFPENDING *StartPending(DialogWords *dialog)
{
    PCFPENDING *p = (PCFPENDING *)CSGetMem(sizeof *p, "PCFPENDING");
    if (!p)
        return nullptr;
    memset(p, 0, sizeof *p);
    CSLockGlobal(CSLOCK_DIALOGS);
    PCFPENDING *prev = dialog->pending;
    PCFCommandDef *def = prev && prev->fields ? prev->definition : dialog->definition;
    const uint8_t *base = prev ? prev->area : dialog->dataArea;
    p->area = (uint8_t *)CSGetMem(def->dataSize ? def->dataSize : 1, "PCFDATA");
    if (p->area) {
        memset(p->area, 0, def->dataSize);
        if (base)
            PCFCopyData(def, p->area, base);
        p->definition = def;
        if (prev && prev->fields) {
            /* the private field list travels on with the newer area */
            p->definition = PCFCopyDef(def, 0);
            p->fields = p->definition ? p->definition->fields : nullptr;
            if (!p->definition) {
                PCFFreeData(def, p->area, 1);
                p->area = nullptr;
            }
        }
        const char *name = prev && prev->objectNameSet ? prev->objectName : dialog->objectName;
        snprintf(p->objectName, sizeof p->objectName, "%s", name);
        p->objectNameSet = prev ? prev->objectNameSet : 0;
        p->statusSet = prev ? prev->statusSet : 0;
        p->statusClear = prev ? prev->statusClear : 0;
        p->resetIndex = prev ? prev->resetIndex : 0;
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    if (!p->area) {
        CSFreeMem(p);
        return nullptr;
    }
    return p;
}

/* Leaves a converted area for the window, replacing one it never took. */
static void SetPending(DialogWords *dialog, PCFPENDING *p)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    PCFPENDING *old = dialog->pending;
    dialog->pending = p;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    PCFFreePending(old);
}

/* Takes the pending area back when the window is gone. */
static void WithdrawPending(DialogWords *dialog, PCFPENDING *p)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    int mine = dialog->pending == p;
    if (mine)
        dialog->pending = nullptr;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    if (mine)
        PCFFreePending(p);
}

int PCFTakeDialogData(DialogWords *dialog)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    PCFPENDING *p = dialog->pending;
    dialog->pending = nullptr;
    if (!p) {
        CSUnlockGlobal(CSLOCK_DIALOGS);
        return 0;
    }
    PCFCommandDef *oldDef = dialog->definition;
    uint8_t *oldArea = dialog->dataArea;
    dialog->dataArea = p->area;
    if (p->fields)
        dialog->definition = p->definition;
    if (p->objectNameSet) {
        memcpy(dialog->objectName, p->objectName, sizeof dialog->objectName);
        dialog->objectNameLength = (int32_t)strlen(dialog->objectName);
    }
    dialog->statusFlags = (dialog->statusFlags & ~p->statusClear) | p->statusSet;
    if (p->resetIndex) {
        dialog->listIndex = -1;
        dialog->currentField = nullptr;
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    if (oldArea)
        PCFFreeData(oldDef, oldArea, 1);
    if (p->fields && oldDef != dialog->definition) {
        if (dialog->ownsDefinition)
            PCFFreeDefCopy(oldDef);
        dialog->ownsDefinition = 1;
    }
    CSFreeMem(p);
    const PCFHOOKS *h = PCFHooks();
    if ((dialog->viewOptions & DV_COMPARE_DEFAULT) && h->diffFromDefault)
        h->diffFromDefault(h->context, dialog);
    return 1;
}

/* ---- the message dialog's status ---- */

/* What was retrieved of the message is told with precedence (128) over
 * the command's own last text (64), which follows it. */
#define STATUS_RETRIEVED 0x80

static void MessageStatus(ReplyCtx *c, uint32_t *set, uint32_t *clear)
{
    DialogWords *d = c->dialog;
    char text[128];
    if (d->statusFlags & DS_WANT_COMPLETE) {
        PCFStatus(d, "The complete message has been retrieved from Queue Manager", STATUS_RETRIEVED);
        *clear |= DS_TRUNCATED | DS_WANT_COMPLETE;
        return;
    }
    uint16_t s1, s2;
    int32_t length = PCFGetIntValue(c->caps, c->def, c->area, MSG_LENGTH, &s1);
    int32_t size = PCFGetIntValue(c->caps, c->def, c->area, MAX_MSG_SIZE, &s2);
    if (s1 && s2 && length > size) {
        snprintf(text, sizeof text, "Only the first %d bytes have been retrieved from the Queue Manager",
                 (int)size);
        PCFStatus(d, text, STATUS_RETRIEVED);
        *set |= DS_TRUNCATED;
    } else {
        *clear |= DS_TRUNCATED;
    }
}

/* ---- installing a response ---- */

int PCFSetDialogData(DialogWords *dialog, QMS *location, PCFCommandDef *def, uint8_t *area,
                     int reinit, const uint8_t *response, uint32_t length, uint32_t *changed)
{
    PCFInitCommandDefs();
    if (changed)
        *changed = 0;
    DialogWords temp = {};
    if (!dialog) {
        temp.definition = def;
        temp.dataArea = area;
        temp.first.location = location;
        temp.first.caps = location ? location->caps : nullptr;
        temp.listIndex = -1;
        dialog = &temp;
    }
    if (!def)
        def = dialog->definition;
    if (!def || !response || length < sizeof(MQCFH))
        return 0;
    int handOver = dialog != &temp && dialog->window && (!area || area == dialog->dataArea);
    PCFPENDING *pending = nullptr;
    ReplyCtx c = {};
    c.dialog = dialog;
    c.location = location;
    c.caps = PCFDialogCaps(dialog);
    c.platform = location ? location->platform : 0;
    c.def = def;
    if (handOver) {
        pending = StartPending(dialog);
        if (!pending)
            return 1;
        c.area = pending->area;
        if (pending->fields)
            c.def = pending->definition;
    } else {
        c.area = area ? area : dialog->dataArea;
        if (!c.area)
            return 0;
    }
    uint8_t *copy = nullptr;
    if (Get32(response + 12) == MQCMD_INQUIRE_SUBSCRIPTION) {
        copy = (uint8_t *)CSGetMem(length, "REPLYCOPY");
        if (copy) {
            memcpy(copy, response, length);
            PCFScanResponseParms(dialog, location, 1, copy, length);
            response = copy;
        }
    }
    int rc = 0, install = 1;
    uint32_t set = 0, clear = 0;
    PCFWALK w, nested;
    PCFWalkStart(&w, response, length, c.platform);
    int hasNested = 0;
    if (c.def->flags & PCFD_REPLYFIELDS) {
        hasNested = NestedList(c.def, response, length, c.platform, &nested);
        PCFCommandDef *fresh = hasNested ? FieldsFromReply(c.def, nested) : nullptr;
        if (fresh) {
            uint8_t *grown = (uint8_t *)CSGetMem(fresh->dataSize ? fresh->dataSize : 1, "PCFDATA");
            if (grown) {
                PCFInitData(fresh, grown, nullptr, 0, 0, 0);
                if (handOver) {
                    PCFFreeData(c.def, pending->area, 1);
                    if (pending->fields)
                        PCFFreeDefCopy(pending->definition);
                    pending->area = grown;
                    pending->definition = fresh;
                    pending->fields = fresh->fields;
                    pending->resetIndex = 1;
                } else {
                    PCFFreeData(dialog->definition ? dialog->definition : c.def, c.area, 1);
                    if (dialog->definition && dialog->ownsDefinition)
                        PCFFreeDefCopy(dialog->definition);
                    dialog->definition = fresh;
                    dialog->ownsDefinition = 1;
                    dialog->dataArea = grown;
                    dialog->listIndex = -1;
                    dialog->currentField = nullptr;
                }
                c.def = fresh;
                c.area = grown;
            } else {
                PCFFreeDefCopy(fresh);
            }
        }
    } else if ((c.def->flags & PCFD_HASKEYS) && !PcfPrefs.takeFirstObject) {
        /* keys are compared in the area the reply converts into */
        install = MatchKeys(&c, &w);
        if (install)
            set |= DS_MATCHED;
        if (install && reinit)
            PCFInitData(c.def, c.area, nullptr, 0, 1, 0);
    } else if (reinit) {
        PCFInitData(c.def, c.area, nullptr, 0, 1, 0);
    }
    if (install) {
        rc = ResponseToData(&c, &w);
        if (!rc && hasNested)
            rc = ResponseToData(&c, &nested);
        if (!strcmp(c.def->title, "Message") && dialog != &temp)
            MessageStatus(&c, &set, &clear);
    }
    if (copy)
        CSFreeMem(copy);
    if (changed)
        *changed = c.changed;
    if (!handOver) {
        if (install && c.nameSet && dialog != &temp) {
            memcpy(dialog->objectName, c.objectName, sizeof dialog->objectName);
            dialog->objectNameLength = (int32_t)strlen(dialog->objectName);
        }
        dialog->statusFlags = (dialog->statusFlags & ~clear) | set;
        return rc;
    }
    if (!install) {
        PCFFreePending(pending);
        return rc;
    }
    if (c.nameSet) {
        memcpy(pending->objectName, c.objectName, sizeof pending->objectName);
        pending->objectNameSet = 1;
    }
    pending->statusSet = (pending->statusSet & ~clear) | set;
    pending->statusClear = (pending->statusClear & ~set) | clear;
    pending->changed |= c.changed;
    SetPending(dialog, pending);
    if (!PCFPost(dialog->window, UM_PCF_UPDATE_DIALOG, c.changed, 1)) {
        WithdrawPending(dialog, pending);
        return rc;
    }
    if (dialog->stateFlags & DF_AUTO_EXECUTE) {
        if (CSTraceIsOn())
            CSTrace(1, "DS_AUTO_EXECUTE\n");
        PCFPost(dialog->window, PCF_WM_COMMAND, PCFID_EXECUTE, 0);
    }
    return rc;
}
