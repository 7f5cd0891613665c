/* The small pieces of reply processing: the status text of an error
 * reply (its parameters walked with the PCF walker; what cannot be read
 * ends the decoding), the object name a reply gives its dialog, the
 * time-stamp texts of a refresh, and the kept copies of an edited
 * message. */
#include "cmdint.h"

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"

#define ATTR_ESCAPE_TYPE 1017
#define ATTR_ESCAPE_TEXT 3014
#define ATTR_PARAMETER   1012
#define ATTR_ERROR_ID    1013
#define ATTR_SELECTOR    1014
#define ATTR_OFFSET      1018

/* ---- the text of an error reply ---- */

struct ERRTEXT {
    IFCMD *record;
    char quoted[504];            /* "'name'" or empty */
    const char *colon;
    int32_t reason;
    const char *reasonText;
    char *text;
    size_t size;
    char targetQm[49];           /* 10501, remembered */
    const uint8_t *token;        /* 10038, the message a command left */
};

static void ReasonDefault(ERRTEXT *e)
{
    if (*e->reasonText)
        snprintf(e->text, e->size, "%s%s%s", e->quoted, e->colon, e->reasonText);
    else
        snprintf(e->text, e->size, "%s%sCommand Failed. Reason = %d", e->quoted, e->colon, (int)e->reason);
}

/* 10500: the reply options of a message command. */
static void ReplyOptions(IFCMD *r, int32_t options)
{
    DialogWords *d = r->dialog;
    if (!d || !d->dataArea || !d->definition)
        return;
    if (options & 0x1) {
        PCFFieldEntry *e = PCFFindField(nullptr, nullptr, d->definition->fields, MYPCFA_MSG_TOKEN);
        if (e && PCFStoresValue(e)) {
            uint8_t *rec = d->dataArea + e->offset;
            PCFSetState(rec, (uint16_t)(PCFState(rec) & ~0x7));
        }
    }
    if (options & 0x6)
        LoadMessageFields(d);
}

/* The information that ends an Update names the message it put by its
 * token, which the dialog takes in place of the token of the message it
 * read.  Without one (the message put could not be found again) the
 * dialog keeps the token read: it names a message that is gone, and no
 * token is used again for another, so a further Update is refused as the
 * message is no longer on the queue, never given to another message. */
static void FollowUpdate(IFCMD *r, const uint8_t *token)
{
    DialogWords *d = r->dialog;
    if (!token || !d || !d->dataArea || !d->definition)
        return;
    PCFFieldEntry *e = PCFFindField(nullptr, nullptr, d->definition->fields, MYPCFA_MSG_TOKEN);
    if (!e || !PCFStoresValue(e))
        return;
    CSLockGlobal(CSLOCK_DIALOGS);
    uint8_t *rec = d->dataArea + e->offset;
    PCFSetRecBytes(rec, e->field, token, 16);
    PCFSetState(rec, (uint16_t)((PCFState(rec) & ~0x7) | PCFS_RECEIVED | PCFS_SPECIFIED));
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

/* 10502: the target queue of a copy or move; its open dialogs refreshed. */
static void RefreshTarget(ERRTEXT *e, const char *queue)
{
    IFCMD *r = e->record;
    QMS *target = e->targetQm[0] ? LocFind(e->targetQm) : nullptr;
    if (!target || !r->definition)
        return;
    const PCFActionDef *dflt = r->definition->actions;
    uint32_t nameAttr = PCFNameFieldId(r->definition);
    int64_t now = CmdNow();
    if (dflt && dflt->id)
        PCFRefreshObjectDialogs(target, r->definition, 0, dflt->command, nameAttr ? nameAttr : MQCA_Q_NAME, queue, now);
    PCFRefreshObjectDialogs(target, r->definition, 0, MQCMD_INQUIRE_Q, MQCA_Q_NAME, queue, now);
}

/* Whether the information that ends a command makes the lists of its
 * object stale: the message actions of a confirmation kind, the event
 * console's delete, and the Update and Add of an edited message (their
 * rows ask no confirmation, yet the message they put replaces or joins
 * the queue's). */
static int RefreshesOnInfo(const IFCMD *r)
{
    const PCFActionDef *a = r->action;
    return a && ((a->flags & 0xF8000000) || a->id == 10019 || r->command == MYCMD_UPDATE_MSG ||
                 r->command == MYCMD_ADD_MSG);
}

/* The object whose open dialogs an information makes stale: a move's
 * record names its target (its question names where the messages go),
 * yet its messages left the dialog's own queue. */
static const char *StaleObject(const IFCMD *r)
{
    if (r->command == MYCMD_MOVE_MSGS && r->dialog && r->dialog->objectName[0])
        return r->dialog->objectName;
    return r->objectText;
}

/* One parameter of an error reply. */
static void ErrorParm(ERRTEXT *e, MQLONG type, MQLONG id, const void *value, MQLONG length, int *info)
{
    IFCMD *r = e->record;
    int32_t n = 0;
    char s[512];
    if (type == MQCFT_INTEGER)
        memcpy(&n, value, 4);
    else if (type == MQCFT_STRING)
        CmdTakeString(s, sizeof s, value, length);
    else
        s[0] = 0;
    if ((id == MYPCFA_ERROR_MESSAGE || id == MYPCFA_INFO_MESSAGE) && type == MQCFT_STRING) {
        snprintf(e->text, e->size, "%s", s);
        if (id == MYPCFA_INFO_MESSAGE) {
            *info = 1;
            if ((Prf.po[2] & PO3_AUTO_UPDATE_BROWSE) && RefreshesOnInfo(r))
                PCFRefreshAfterResponse(r->location, r->command, nullptr, 0, StaleObject(r), r->dialog, CmdNow());
        }
    } else if ((id == ATTR_PARAMETER || id == ATTR_SELECTOR) && type == MQCFT_INTEGER) {
        const char *desc = MQParmDesc(n);
        if (*desc)
            snprintf(e->text, e->size, "%s%s%s Parameter %s.", e->quoted, e->colon, e->reasonText, desc);
        else
            snprintf(e->text, e->size, "%s%s%s Parameter %d.", e->quoted, e->colon, e->reasonText, (int)n);
    } else if (id == ATTR_ERROR_ID && type == MQCFT_INTEGER) {
        snprintf(e->text, e->size, "%s%s%s Reason(%ld)", e->quoted, e->colon, e->reasonText, (long)n);
    } else if (id == MQIA_CODED_CHAR_SET_ID && type == MQCFT_INTEGER) {
        snprintf(e->text, e->size, "%s%s%s CCSID = %ld.", e->quoted, e->colon, e->reasonText, (long)n);
    } else if (id == ATTR_OFFSET && type == MQCFT_INTEGER) {
        snprintf(e->text, e->size, "%s%s%s Offset %ld.", e->quoted, e->colon, e->reasonText, (long)n);
    } else if (id == ATTR_ESCAPE_TYPE) {
    } else if (id == ATTR_ESCAPE_TEXT && type == MQCFT_STRING) {
        snprintf(e->text, e->size, "%.511s", s);
    } else if (id == MYPCFA_MSG_TOKEN && (type == PCF_BYTE_STRING || type == MQCFT_BYTE_STRING)) {
        e->token = length == 16 ? (const uint8_t *)value : nullptr;
    } else if (id == MYIA_REPLY_OPTIONS && type == MQCFT_INTEGER) {
        ReplyOptions(r, n);
    } else if ((id == MYIA_PD_ID || id == MYIA_MON_ID) && type == MQCFT_INTEGER) {
        if (r->dialog)
            PCFSetFieldInt(r->dialog, (uint32_t)id, n);
    } else if (id == MYCA_ACTION_TARGET_QM && type == MQCFT_STRING) {
        CmdCopy(e->targetQm, s, sizeof e->targetQm);
    } else if (id == MYCA_ACTION_TARGET_Q && type == MQCFT_STRING) {
        RefreshTarget(e, s);
    } else {
        ReasonDefault(e);
    }
}

void ErrorReplyText(IFCMD *r, const uint8_t *reply, uint32_t length, char *text, size_t size, int *info)
{
    ERRTEXT e = {};
    e.record = r;
    e.text = text;
    e.size = size;
    *info = 0;
    if (r->objectText[0])
        snprintf(e.quoted, sizeof e.quoted, "'%.497s'", r->objectText);
    e.colon = e.quoted[0] ? ":" : "";
    MQPP pp;
    MQLONG cc, rc, type, id, len, count;
    void *value;
    PCFInitParse(&pp, reply, (int32_t)length, nullptr, &cc, &rc);
    if (cc)
        return;
    memcpy(&e.reason, reply + 28, 4);
    e.reasonText = MQReasonText(e.reason);
    ReasonDefault(&e);
    for (;;) {
        PCFGetNextParm(&pp, &type, &id, &value, &len, &count, &cc, &rc);
        if (cc)
            break;                             /* the end, or what cannot be read */
        if (type == PCF_END_GROUP || type == MQCFT_GROUP)
            continue;
        ErrorParm(&e, type, id, value, len, info);
    }
    if (*info && r->command == MYCMD_UPDATE_MSG)
        FollowUpdate(r, e.token);
}

/* ---- the object name of a dialog ---- */

void SetDialogObjectName(DialogWords *d)
{
    const PCFCommandDef *def = d ? d->definition : nullptr;
    PCFFieldEntry *e = def ? PCFFindNameField(def->fields) : nullptr;
    if (!e || e->field->type != PCFT_NAME || e->field->maximum > 50)
        return;
    char buffer[64] = "";
    CSLockGlobal(CSLOCK_DIALOGS);
    const char *name = d->pending && d->pending->objectNameSet
                           ? d->pending->objectName
                           : PCFGetValueText(d, e->field->attrId, buffer, sizeof buffer);
    if (name) {
        snprintf(d->objectName, sizeof d->objectName, "%s", name);
        d->objectNameLength = (int32_t)strlen(d->objectName);
    }
    d->stateFlags |= DF_NAME_INITIAL;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    CmdSetMenu(d);
    const CMDHOOKS *h = CmdHooks();
    if (h->activateField)
        h->activateField(h->context, d);
}

/* ---- time stamps ---- */

/* The local time's parts of a time value. */
struct LOCALTIME {
    int year, month, day, hour, minute, second, weekday;
};

static void LocalParts(int64_t t, LOCALTIME *lt)
{
    CSZoneInfo zone = {};
    if (CSGetTimeZone(t, &zone))
        t += zone.offset;
    int64_t days = t >= 0 ? t / 86400 : (t - 86399) / 86400;
    int64_t secs = t - days * 86400;
    lt->hour = (int)(secs / 3600);
    lt->minute = (int)(secs / 60 % 60);
    lt->second = (int)(secs % 60);
    lt->weekday = (int)(((days % 7) + 11) % 7);          /* 1970-01-01 was a Thursday */
    int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097, yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    lt->day = (int)(doy - (153 * mp + 2) / 5 + 1);
    lt->month = (int)(mp < 10 ? mp + 3 : mp - 9);
    lt->year = (int)(yoe + era * 400 + (lt->month <= 2));
}

void ResponseTimeFormat(const char *templ, int64_t time, char *out, size_t size)
{
    static const char *const days[] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
    static const char *const months[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
    if (!size)
        return;
    LOCALTIME lt;
    LocalParts(time, &lt);
    size_t n = 0;
    for (const char *p = templ ? templ : ""; *p && n + 1 < size; p++) {
        char part[16];
        part[0] = 0;
        if (*p != '%') {
            out[n++] = *p;
            continue;
        }
        if (!*++p)
            break;
        switch (*p) {
        case 'D': snprintf(part, sizeof part, "%s", days[lt.weekday]); break;
        case 'm': snprintf(part, sizeof part, "%s", months[lt.month - 1]); break;
        case 'd': snprintf(part, sizeof part, "%2d", lt.day); break;
        case 'H': snprintf(part, sizeof part, "%02d", lt.hour); break;
        case 'M': snprintf(part, sizeof part, "%02d", lt.minute); break;
        case 'S': snprintf(part, sizeof part, "%02d", lt.second); break;
        case 't': snprintf(part, sizeof part, "%02d:%02d:%02d", lt.hour, lt.minute, lt.second); break;
        case 'y': snprintf(part, sizeof part, "%04d", lt.year); break;
        case '%': snprintf(part, sizeof part, "%%"); break;
        default: break;
        }
        for (const char *q = part; *q && n + 1 < size; q++)
            out[n++] = *q;
    }
    out[n] = 0;
}

void ResponseTimeText(char texts[3][56], int64_t time)
{
    const char *templates[3] = { Prf.tf1, Prf.tf2, Prf.tf3 };
    for (int i = 0; i < 3; i++)
        ResponseTimeFormat(templates[i], time, texts[i], 56);
}

/* ---- the edited message's copies ---- */

struct COPYBLOCK {
    uint32_t capacity;
    uint32_t length;
    /* the bytes follow */
};

int MessageCopyBuffer(void **slot, const void *bytes, uint32_t length)
{
    if (!slot)
        return 0;
    COPYBLOCK *b = (COPYBLOCK *)*slot;
    if (!b || b->capacity < length) {
        CSFreeMemAndClear(slot);
        b = (COPYBLOCK *)CSGetMem((size_t)length + 12, "PHEX Copy");
        if (!b)
            return 0;
        b->capacity = length;
        *slot = b;
    }
    if (length)
        memcpy(b + 1, bytes, length);
    b->length = length;
    return 1;
}

int LoadMessageFields(DialogWords *d)
{
    CMDMESSAGE m;
    if (!d || !d->dataArea || !d->definition || !CmdEditedMessage(d, &m))
        return 0;
    const uint8_t *caps = PCFDialogCaps(d);
    PCFFieldEntry *de = PCFFindField(d, caps, d->definition->fields, MYPCFA_MSGDESCRIPTOR);
    PCFFieldEntry *me = PCFFindField(d, caps, d->definition->fields, MYPCFA_FULLMESSAGE);
    if (!de || !me)
        return 0;
    uint8_t *rec = PCFStoresValue(de) ? d->dataArea + de->offset : nullptr;
    PCFMSGBUF *b = rec && de->field->type == PCFT_MESSAGE ? PCFRecMsgBuf(rec) : nullptr;
    if (m.md && m.mdLength <= sizeof(MQMD) && b) {
        /* a message buffer (the record holds its pointer): written in
         * place when it has the room, never grown here */
        if (b->capacity >= m.mdLength) {
            memcpy(PCFMsgBufBytes(b), m.md, m.mdLength);
            b->length = m.mdLength;
        }
    } else if (m.md && m.mdLength <= sizeof(MQMD) && rec && de->field->type != PCFT_MESSAGE &&
               m.mdLength <= PCFBytesRoom(de->field)) {
        PCFSetRecBytes(rec, de->field, m.md, m.mdLength);
    }
    MessageCopyBuffer(m.dataCopy, m.data, m.dataLength);
    if (m.mdCopy && m.md)              /* what was put is no longer an unsaved edit */
        MessageCopyBuffer(m.mdCopy, m.md, m.mdLength);
    return 1;
}
