/* The checks PCFDoCommand runs before it sends: the confirmation of an
 * action, the Queue Manager A and B of a two-queue-manager dialog, the
 * naming patterns and standards of new objects, and the context fields
 * of a message about to be put. */
#include "cmdint.h"

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"

/* ---- confirmations ---- */

/* The option bit a confirmation kind is switched off with. */
static uint32_t OptionBit(uint32_t kind, int all)
{
    switch (kind) {
    case 0x10000000: return all ? 0x2 : 0x1;
    case 0x20000000: return all ? 0x8 : 0x4;
    case 0x40000000: return all ? 0x20 : 0x10;
    case 0x80000000: return 0x40;
    case 0x8000000: return 0x80;
    case 0x40: return 0x80000000;
    default: return 0;
    }
}

void ConfirmText(DialogWords *d, const PCFActionDef *a, int32_t count, char *text, size_t size, const char **name,
                 uint32_t *bit)
{
    uint32_t kind = a->flags & 0xF8000040;
    int all = d && (d->viewOptions & DV_ALL_MESSAGES);
    *bit = OptionBit(kind, all);
    *name = nullptr;
    if (d && d->definition && d->definition->list)
        count = SelectedRowCount(d);
    if (all && (kind & 0x70000000)) {
        const char *verb = a->id == 597 ? "copy" : a->id == 598 ? "move" : a->id == 599 ? "delete" : "process";
        snprintf(text, size, "!Are you sure you want to %s all messages from queue '%s'?\n\nNote that this "
                             "operation applies to all messages, regardless of what is shown or selected or any "
                             "active filters.", verb, d->objectName);
    } else if (count > 1 && a->confirmPlural) {
        snprintf(text, size, a->confirmPlural, (int)count);
    } else {
        snprintf(text, size, "%s", a->confirm ? a->confirm : "");
        *name = d ? d->objectName : nullptr;
    }
}

int ConfirmAction(DialogWords *d, uint32_t style, const PCFActionDef *a, int32_t count, const char *objectName)
{
    if (!d || (d->statusFlags & DS_NO_CONFIRM))
        return 1;
    char text[600];
    const char *name;
    uint32_t bit;
    ConfirmText(d, a, count, text, sizeof text, &name, &bit);
    if (name && objectName && *objectName)
        name = objectName;
    return CmdConfirm(d, style, text, name, bit ? &Prf.co : nullptr, bit);
}

/* ---- the queue-manager pair ---- */

/* The location a field names, into the entry; 0 with a message. */
static int PairSide(DialogWords *d, uint32_t attrId, PCFLISTREQ *entry, const char *side, uint32_t kind,
                    int *changed)
{
    char buffer[64] = "", text[80];
    const char *v = PCFGetValueText(d, attrId, buffer, sizeof buffer);
    while (v && *v == ' ')
        v++;
    if (!v || !*v) {
        snprintf(text, sizeof text, "Please enter a value for Queue Manager %s", side);
        CmdStatus(d, text, nullptr, kind);
        return 0;
    }
    if (!entry->location || strcmp(entry->location->qmName, v)) {
        QMS *r = LocFind(v);
        *changed |= r != entry->location;
        entry->location = r;
    }
    if (!entry->location) {
        snprintf(text, sizeof text, "Unrecognised value for Queue Manager %s", side);
        CmdStatus(d, text, nullptr, kind);
        return 0;
    }
    return 1;
}

int CheckQmgrPair(DialogWords *d, uint32_t report)
{
    uint32_t kind = report ? SK_INPUT : SK_PLAIN;
    int changed = 0;
    if (!PairSide(d, MYCA_Q_MGR_NAME_A, &d->first, "A", kind, &changed) ||
        !PairSide(d, MYCA_Q_MGR_NAME_B, &d->second, "B", kind, &changed))
        return 0;
    if (d->first.location == d->second.location) {
        CmdStatus(d, "Queue Manager A and Queue Manager B should be different", nullptr, kind);
        return 0;
    }
    d->first.caps = d->first.location->caps;
    d->second.caps = d->second.location->caps;
    const CMDHOOKS *h = CmdHooks();
    if (changed && h->qmListChanged)
        h->qmListChanged(h->context, d);
    return 1;
}

/* ---- naming ---- */

static const char *const PatternNames[QMS_NAMELISTS] = {
    "Queues", "Transmission Queues", "MCA Channels", "MQI Channels", "Processes", "Topics",
    "Authinfo Objects", "Comminfo Objects", "Subscriptions",
};

/* The pattern types of a definition's object id (-1 ends). */
static const int *TypesOf(uint32_t objectId)
{
    static const struct { uint32_t id; int types[3]; } rows[] = {
        { 1002, { 0, 1, -1 } }, { 1003, { 4, -1 } }, { 1015, { 2, 3, -1 } }, { 1019, { 6, -1 } },
        { 1269, { 5, -1 } }, { 1287, { 8, -1 } }, { 1327, { 7, -1 } },
    };
    for (const auto &r : rows)
        if (r.id == objectId)
            return r.types;
    return nullptr;
}

static void PostError(const char *text)
{
    const CMDHOOKS *h = CmdHooks();
    if (h->postError)
        h->postError(h->context, text);
}

static const char *PatternOf(QMS *r, int type)
{
    const char *p = r && type >= 0 && type < QMS_NAMELISTS ? r->nameLists[type] : nullptr;
    return p && *p ? p : nullptr;
}

int CheckNamingPattern(DialogWords *d, int type, int *matched)
{
    QMS *a = d->first.location, *b = d->second.location;
    if (!a || !b)
        return 1;
    const char *pa = PatternOf(a, type), *pb = PatternOf(b, type);
    if (!pa && !pb)
        return 1;
    if (!pa || !pb) {
        char text[200];
        snprintf(text, sizeof text, "No defined naming pattern for %s for location %s.", PatternNames[type],
                 (pa ? b : a)->qmName);
        PostError(text);
        return 0;
    }
    PATTERNCTX ctx = {};
    if (!PatternMatch(&ctx, pa, pb)) {
        PostError(ctx.message);
        return 0;
    }
    *matched = 1;
    return 1;
}

int CheckNamingStandard(DialogWords *d)
{
    const int *types = d->definition ? TypesOf(d->definition->objectId) : nullptr;
    if (!(d->viewOptions & DV_NEW_OBJECT) || !types) {
        d->displayFlags &= ~DD_NAMES_MAPPED;
        return 1;
    }
    int matched = 0;
    for (; *types >= 0; types++)
        if (!CheckNamingPattern(d, *types, &matched))
            return 0;
    if (matched)
        d->displayFlags |= DD_NAMES_MAPPED;
    else
        d->displayFlags &= ~DD_NAMES_MAPPED;
    return 1;
}

/* A name that fails a pattern: a question or an error by po4. */
static int NamingMismatch(DialogWords *d, const char *name, const char *what)
{
    char text[400];
    if (Prf.po[3] & PO4_NAMING_QUESTION) {
        snprintf(text, sizeof text, "Name '%s' does not match the %s.\n\nAre you sure you want to create this object?",
                 name, what);
        return CmdBox(d, text, "Naming Error", 1);
    }
    snprintf(text, sizeof text, "Name '%s' does not match the %s.", name, what);
    CmdBox(d, text, "Naming Error", 0);
    return 0;
}

int CheckGlobalNaming(DialogWords *d)
{
    QMS *r = d->first.location;
    if (d->definition != &PCFQueueDef || !r || (r->flags2 & LF2_NMSNOCHKDEF))
        return 1;
    uint16_t state = 0;
    int32_t usage = PCFGetIntValue(PCFDialogCaps(d), d->definition, d->dataArea, MQIA_USAGE, &state);
    int type = usage == MQUS_TRANSMISSION ? 1 : 0;
    const char *pattern = PatternOf(r, type);
    const char *global = Prf.nameStandards[type] && *Prf.nameStandards[type] ? Prf.nameStandards[type] : nullptr;
    const char *name = d->objectName;
    if ((!pattern && !global) || !name[0])
        return 1;
    int n = (int)strlen(name);
    if (n >= 7 && !strncmp(name, "SYSTEM.", 7) && !(Prf.po[3] & PO4_NAMING_SYSTEM))
        return 1;
    if (pattern) {
        PATTERNCTX ctx = {};
        ctx.qmgrName = r->qmName;
        if (!PatternListMatch(&ctx, pattern, (int)strlen(pattern), name, n))
            return NamingMismatch(d, name, "Queue Manager name pattern");
    }
    if (global) {
        PATTERNCTX ctx = {};
        ctx.qmgrName = r->qmName;
        if (!PatternListMatchEx(&ctx, global, (int)strlen(global), name, n))
            return NamingMismatch(d, name, "global naming standards");
    }
    return 1;
}

/* ---- context fields ---- */

static int Blank(const void *field, size_t n)
{
    const uint8_t *p = (const uint8_t *)field;
    for (size_t i = 0; i < n; i++)
        if (p[i] != ' ' && p[i])
            return 0;
    return 1;
}

#define FIELD(name) { #name, offsetof(MQMD, name), sizeof(((MQMD *)nullptr)->name) }
struct MDFIELD {
    const char *name;
    size_t offset, size;
};
static const MDFIELD UserField = FIELD(UserIdentifier);
static const MDFIELD SetAllFields[] = { FIELD(PutApplName), FIELD(PutDate), FIELD(PutTime) };
static const MDFIELD ContextFields[] = {
    FIELD(AccountingToken), FIELD(PutApplType), FIELD(PutApplName), FIELD(PutDate), FIELD(PutTime),
    FIELD(ApplOriginData),
};

static int Changed(const MQMD *md, const MQMD *saved, const MDFIELD &f)
{
    return saved && memcmp((const uint8_t *)md + f.offset, (const uint8_t *)saved + f.offset, f.size) != 0;
}

int CheckContextFields(DialogWords *d, uint32_t option)
{
    CMDMESSAGE m;
    if (!CmdEditedMessage(d, &m) || !m.md || m.mdLength < MQMD_LENGTH_1)
        return 1;
    MQMD md = {}, savedCopy = {};
    memcpy(&md, m.md, m.mdLength < sizeof md ? m.mdLength : sizeof md);
    const MQMD *saved = nullptr;
    if (m.savedMd && m.savedMdLength >= MQMD_LENGTH_1) {
        memcpy(&savedCopy, m.savedMd, m.savedMdLength < sizeof savedCopy ? m.savedMdLength : sizeof savedCopy);
        saved = &savedCopy;
    }
    char text[500];
    int answer = 1;
    const char *changed = nullptr;
    if (option == MQPMO_SET_IDENTITY_CONTEXT || option == MQPMO_SET_ALL_CONTEXT) {
        const char *blank = Blank(md.UserIdentifier, sizeof md.UserIdentifier) ? UserField.name : nullptr;
        for (const MDFIELD &f : SetAllFields)
            if (!blank && option == MQPMO_SET_ALL_CONTEXT && Blank((const uint8_t *)&md + f.offset, f.size))
                blank = f.name;
        if (blank) {
            snprintf(text, sizeof text, "!You have specified 'set all context' and some of the Message Descriptor "
                                        "fields, such as '%s', are blank.\n\nThese fields will remain blank if you "
                                        "continue with the MQPUT. \n\nAre you sure you want to continue?", blank);
            answer = CmdConfirm(d, 0, text, nullptr, nullptr, 0);
        }
        if (option == MQPMO_SET_ALL_CONTEXT)
            return answer;
    } else if (option == MQPMO_DEFAULT_CONTEXT || option == MQPMO_PASS_ALL_CONTEXT) {
        if (Changed(&md, saved, UserField))
            changed = UserField.name;
    } else {
        return 1;
    }
    for (const MDFIELD &f : ContextFields)
        if (!changed && Changed(&md, saved, f))
            changed = f.name;
    if (!changed)
        return answer;
    snprintf(text, sizeof text, "!You have changed the value of some context fields, such as '%s'. The value will "
                                "be ignored if you put this message with the exisiting context option.\n\nAre you "
                                "sure you want to continue?", changed);
    return CmdConfirm(d, 0, text, nullptr, nullptr, 0);
}
