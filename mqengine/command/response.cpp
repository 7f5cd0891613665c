/* ProcessResponse: one reply of a dialog or program command.  It finds
 * the command in flight by the request key in the MsgId, holds it while
 * it works, and turns the reply into what the issuer sees: values in the
 * dialog's data area, rows in its list area, the status line and title,
 * the reply callback, and at the command's end 10002 (only error replies
 * came) and 10004.  Every reply is read within its length. */
#include "cmdint.h"

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"

#define STATUS_SIZE 512

/* One reply being processed. */
struct REPLY {
    QMS *context;                /* the location the reply came on */
    IFCMD *record;
    DialogWords *dialog;
    const PCFActionDef *action;
    const PCFCommandDef *definition;
    const uint8_t *data;
    uint32_t length;
    MQCFH head;
    int last;
    int errorReply;              /* counted as an error reply */
};

/* The definition's default action (its first row). */
static const PCFActionDef *DefaultAction(const PCFCommandDef *def)
{
    return def && def->actions && def->actions->id ? def->actions : nullptr;
}

/* The list of a definition whose default command is the reply's. */
static int ListOfCommand(const REPLY *x)
{
    const PCFActionDef *dflt = DefaultAction(x->definition);
    return x->definition && x->definition->list && dflt && dflt->command == (uint32_t)x->head.Command &&
           !(dflt->flags & 0x100);
}

/* The action's status text with the quoted object name for its "%s". */
static void ActionText(const REPLY *x, char *out, size_t size)
{
    const char *status = x->action && x->action->status ? x->action->status : "";
    char quoted[504] = "";
    if (x->record->objectText[0])
        snprintf(quoted, sizeof quoted, "'%.497s'", x->record->objectText);
    const char *at = strstr(status, "%s");
    if (!at)
        snprintf(out, size, "%s", status);
    else
        snprintf(out, size, "%.*s%s%s", (int)(at - status), status, quoted, at + 2);
}

/* Rows a list reply brings: one per item separator or end mark, and the
 * last part. */
static uint32_t RowsIn(const uint8_t *data, uint32_t length)
{
    MQPP pp;
    MQLONG cc, rc, type, id, len, count;
    void *value;
    PCFInitParse(&pp, data, (int32_t)length, nullptr, &cc, &rc);
    uint32_t rows = 0;
    int open = 0;
    for (; !cc;) {
        PCFGetNextParm(&pp, &type, &id, &value, &len, &count, &cc, &rc);
        if (cc)
            break;
        if (type == PCF_END_GROUP || (type == MQCFT_INTEGER && id == ZKT_OBJECT_SEPARATOR)) {
            rows++;
            open = 0;
        } else {
            open = 1;
        }
    }
    return rows + (uint32_t)open;
}

/* The attribute name of a WHERE filter's parameter. */
static void FilterName(const REPLY *x, char *out, size_t size)
{
    uint32_t length = 0;
    const uint8_t *filter = PCFWhereFilter(x->dialog, &length);
    int32_t id = 0;
    if (filter && length >= 12)
        memcpy(&id, filter + 8, 4);
    const PCFCommandDef *def = x->definition;
    PCFFieldEntry *e = PCFFindField(nullptr, nullptr, def->list && def->detail ? def->detail : def->fields,
                                    (uint32_t)id);
    const char *desc = e ? e->field->title : MQParmDesc(id);
    snprintf(out, size, "%s", desc && *desc ? desc : "attribute");
}

/* ---- a good reply ---- */

static void Store(REPLY *x)
{
    IFCMD *r = x->record;
    DialogWords *d = x->dialog;
    const PCFActionDef *dflt = DefaultAction(x->definition);
    int qmgrPair = r->sequenceBlock && x->definition == &PCFQueueManagerDef;
    if (!d || x->length < sizeof(MQCFH))
        return;
    if (!((dflt && dflt->command == (uint32_t)x->head.Command && !(dflt->flags & 0x100)) ||
          (x->action->flags2 & 0x20) || qmgrPair))
        return;
    char text[80];
    if (!x->definition->list) {
        int merge = 0;
        if (qmgrPair) {
            CSLockGlobal(CSLOCK_DIALOGS);
            merge = r->sequenceBlock->users == 1;
            CSUnlockGlobal(CSLOCK_DIALOGS);
        }
        /* a status reply adds its values to the object's attributes */
        int reinit = !merge && !(x->action->flags2 & 0x20);
        uint32_t changed = 0;
        int rc = PCFSetDialogData(d, r->location, (PCFCommandDef *)x->definition, nullptr, reinit, x->data,
                                  x->length, &changed);
        if (rc) {
            snprintf(text, sizeof text, "Error %ld receiving data.", (long)rc);
            CmdStatus(d, text, r->location, SK_ERROR);
        }
        return;
    }
    r->rowsReceived += RowsIn(x->data, x->length);
    int rc = FillListArea(d, x->context, r->entry, x->data, x->length, 0);
    if (rc) {
        snprintf(text, sizeof text, "Error %ld receiving list.", (long)rc);
        CmdStatus(d, text, r->location, SK_ERROR);
        PCFPostListArea(d, r->entry);
    }
}

/* Step 7: the dialog at its command's last reply. */
static void FinishDialog(REPLY *x)
{
    DialogWords *d = x->dialog;
    IFCMD *r = x->record;
    if (!d)
        return;
    if (x->action->flags & PCFA_REFRESH) {
        d->markFlags &= ~DM_CONFIRM_DUE;
        d->stateFlags |= DF_NAME_INITIAL;
        CmdSetMenu(d);
        ResponseTimeText(d->timeTexts, CmdNow());
        const CMDHOOKS *h = CmdHooks();
        if (x->definition == &PCFMessageListDef && h->frameTitle)
            h->frameTitle(h->context, d);
    }
    if (x->action->flags2 & 0x4)
        SetDialogObjectName(d);
    if (!x->definition->list && r->entry)
        r->entry->lastAnswered = r->replySequence;
    CmdTitle(d, nullptr);
}

static void GoodReply(REPLY *x)
{
    IFCMD *r = x->record;
    DialogWords *d = x->dialog;
    if (x->last)
        r->complete = 1;
    if (!r->callback) {
        Store(x);
        if (!x->last)
            return;
    }
    char text[STATUS_SIZE];
    if (d && PCFWhereFilter(d, nullptr) && x->definition->list && !r->rowsReceived) {
        char name[100];
        FilterName(x, name, sizeof name);
        snprintf(text, sizeof text, "No definitions found with a matching %s value.", name);
    } else {
        ActionText(x, text, sizeof text);
    }
    if (r->callback)
        r->callback(r, (uint32_t)x->head.Command, x->data, x->length, 0, x->last ? text : "");
    if (!x->last)
        return;
    FinishDialog(x);
    if (d)
        CmdStatus(d, text, r->location, SK_LAST);
    if ((Prf.po[2] & PO3_REFRESH_AFTER_CHANGE) && ((x->action->flags & 0x40) || (x->action->flags2 & 0xE)))
        PCFRefreshAfterResponse(r->location, r->command, x->data, x->length, r->objectText, d, CmdNow());
}

/* ---- an error reply ---- */

static void ErrorReply(REPLY *x)
{
    IFCMD *r = x->record;
    DialogWords *d = x->dialog;
    QMS *location = r->location;
    int listFailed = 0;
    x->errorReply = 1;
    if (x->last) {
        r->complete = 1;
        if (d && ListOfCommand(x)) {
            int rc = FillListArea(d, x->context, r->entry, nullptr, 0, 0);
            PCFPostListArea(d, r->entry);
            if (rc) {
                char text[80];
                snprintf(text, sizeof text, "Error %ld receiving list.", (long)rc);
                CmdStatus(d, text, location, SK_ERROR);
                listFailed = 1;
            }
        }
    }
    if (!r->errorReplies && !r->otherReplies)
        CmdTitle(d, nullptr);
    char text[STATUS_SIZE] = "";
    int info = 0;
    if (!listFailed && x->head.Reason != MQRCCF_COMMAND_FAILED) {
        ErrorReplyText(r, x->data, x->length, text, sizeof text, &info);
        if (x->head.Reason == MQRC_NOT_AUTHORIZED && x->definition->list && r->command != MYCMD_INQUIRE_MSGS) {
            CmdStatus(d, "", location, SK_PLAIN);
        } else if (x->head.Reason == MQRCCF_CFH_VERSION_ERROR && location && !(location->flags & LF_MVS)) {
            location->flags |= LF_MVS;
            CmdStatus(d, "", location, SK_PLAIN);
            CSLockGlobal(CSLOCK_OBJECTS);
            location->refreshMarks &= ~(RM_QMGR_ASKED | RM_QUEUES_ASKED | RM_QMGR_DONE | RM_QUEUES_DONE);
            CSUnlockGlobal(CSLOCK_OBJECTS);
            CmdFrameMessage(FRM_REFRESH, RK_QMGR | RK_QUEUES, location);
        } else {
            CmdStatus(d, text, location, info ? SK_INFO : SK_ERROR);
        }
    }
    if (r->callback) {
        if (!listFailed)
            r->callback(r, (uint32_t)x->head.Command, nullptr, 1, 1, text);
        r->callback(r, (uint32_t)x->head.Command, nullptr, 0, 1, nullptr);
    }
}

/* ---- MQSC replies ---- */

/* An MQSC reply: 1 when it was converted into a PCF message to process
 * in its place (*pcf), 0 when it is done with. */
static int MqscReply(REPLY *x, const MQMD *md, uint8_t **pcf, uint32_t *pcfLength)
{
    IFCMD *r = x->record;
    DialogWords *d = x->dialog;
    *pcf = nullptr;
    if (MQSCResponseToPcf(r, md, x->data, x->length, pcf, pcfLength)) {
        /* a reply that cannot be read ends the command: nothing more of
           it would be understood, and the dialog must not wait for good */
        r->complete = 1;
        CmdStatus(d, "Error converting MQSC Response.", r->location, SK_ERROR);
        if (d)
            d->first.lastAnswered = d->first.sequence;
        if (r->callback)
            r->callback(r, r->command, nullptr, 0, 1, nullptr);
        x->errorReply = 1;
        return 0;
    }
    MQSCPcf *s = (MQSCPcf *)r->mqscState;
    if (s && s->complete) {
        r->complete = 1;
        if (r->callback) {
            if (r->entry)
                r->entry->lastAnswered = r->replySequence;
            r->callback(r, r->command, nullptr, 0, (uint32_t)s->reason, s->text);
        } else if (d && x->definition->list) {
            PCFPostListArea(d, r->entry);
        } else if (r->entry) {
            r->entry->lastAnswered = r->replySequence;
        }
        if (d && (!s->hasText || !s->text)) {
            char text[STATUS_SIZE];
            FinishDialog(x);
            ActionText(x, text, sizeof text);
            CmdStatus(d, text, r->location, SK_MQSC_LAST);
        } else if (d) {
            if (x->definition->list && s->text && !strncmp(s->text, "CSQM297", 7)) {
                FillListArea(d, x->context, r->entry, nullptr, 0, 0);
                PCFPostListArea(d, r->entry);
            }
            CmdStatus(d, s->text ? s->text : "", r->location, s->text ? SK_ERROR : SK_PLAIN);
        }
        CmdTitle(d, nullptr);
    }
    return *pcf != nullptr;
}

/* ---- the end of a reply ---- */

static void EndOfReply(REPLY *x)
{
    IFCMD *r = x->record;
    DialogWords *d = x->dialog;
    if (!x->errorReply)
        r->otherReplies++;
    else
        r->errorReplies++;
    if (!r->complete)
        return;
    if (r->entry)
        (r->otherReplies ? r->entry->replyCount : r->entry->endCount)++;
    if (!d)
        return;
    if (d->unhandled && d->unhandled[0])
        CmdStatus(d, d->unhandled, r->location, SK_UNHANDLED);
    if (!r->otherReplies)
        CmdDialogMessage(d, UM_PCF_REPLY_DONE, 0, (intptr_t)r->command, 1);
    CmdDialogMessage(d, UM_PCF_UPDATE_DIALOG, 0, (x->action->flags & 0x100) ? 0 : 1, 0);
}

/* A PCF reply (or the PCF message an MQSC reply became). */
static void PcfReply(REPLY *x)
{
    IFCMD *r = x->record;
    if (x->action && (x->action->flags2 & 0x800)) {
        r->complete = 0;
        if (r->location && (r->location->flags & LF_MVS)) {
            MQSCConsoleHeader(x->data, x->length, &x->head);
            x->last = (x->head.Control & MQCFC_LAST) != 0;
            GoodReply(x);
            return;
        }
    }
    if (x->length < sizeof(MQCFH))
        return;
    memcpy(&x->head, x->data, sizeof x->head);
    x->last = (x->head.Control & MQCFC_LAST) != 0;
    if (x->head.Reason == 0)
        GoodReply(x);
    else
        ErrorReply(x);
}

int ProcessResponse(QMS *context, uint32_t value, MQMD *md, void *data, uint32_t length)
{
    if (!md)
        return 0;
    IFCMD *r = IfcmdHold(md->MsgId);
    if (!r)
        return 0;
    CMDKEY key;
    memcpy(&key, md->MsgId, sizeof key);
    REPLY x = {};
    x.context = context;
    x.record = r;
    x.dialog = r->dialog;
    x.action = r->action;
    x.definition = r->definition;
    x.data = (const uint8_t *)data;
    x.length = data ? length : 0;
    uint8_t *converted = nullptr;
    if (key.created != r->key.created || key.serial != r->key.serial) {
        r->otherReplies++;                     /* a reply of an earlier record */
        IfcmdLetGo(r);
        return 0;
    }
    if (r->publish) {
        PSHandleReply(r, value, md, x.data, x.length);
        EndOfReply(&x);
        IfcmdLetGo(r);
        return 0;
    }
    if (key.sequence != r->replySequence) {
        r->replySequence = key.sequence;
        r->rowsReceived = 0;
    }
    LocSetStatus(r->location, 0, LS_NORESPONSE, 0);
    if (MQEGlobals.debugMode && x.dialog && !x.dialog->unhandled &&
        (x.dialog->unhandled = (char *)CSGetMem(1000, "UNHANDLED")) != nullptr)
        x.dialog->unhandled[0] = 0;
    int mqsc = !memcmp(md->Format, "MQCMD1  ", 8) || !memcmp(md->Format, "MQCMD2  ", 8);
    if (mqsc && !(x.action && (x.action->flags2 & 0x800))) {
        uint32_t n = 0;
        if (MqscReply(&x, md, &converted, &n)) {
            x.data = converted;
            x.length = n;
            PcfReply(&x);
        }
    } else {
        PcfReply(&x);
    }
    EndOfReply(&x);
    CSFreeMemAndClear(&converted);
    IfcmdLetGo(r);
    return 0;
}
