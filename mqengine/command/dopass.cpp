/* One pass of PCFDoCommand: the request message built (from the selected
 * rows or from the dialog's fields), the confirmation, the command in
 * flight recorded with its request key, and the thread request queued.
 * A request that cannot be queued releases its record at once; the
 * requests already sent stay in flight and the next ones still go. */
#include "cmdint.h"

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"
#include "../engine/progress.h"

#define ATTR_SEARCH        10118

/* The request's buffer, allocated once per request (it goes with it). */
static int Buffer(DOCMD *c, int32_t size, const char *tag)
{
    if (c->buffer && c->bufferSize >= size)
        return 1;
    CSFreeMemAndClear(&c->buffer);
    c->buffer = CSGetMem((size_t)size, tag);
    if (!c->buffer) {
        char text[80];
        snprintf(text, sizeof text, "PCFDoCommand:Error allocating %ld bytes", (long)size);
        CmdStatus(c->dialog, text, c->location, SK_FAILURE);
        c->result = 1;
        return 0;
    }
    c->bufferSize = size;
    return 1;
}

/* The columns a list request asks for. */
static const PCFLISTENTRY *Columns(DOCMD *c)
{
    if (c->entry && c->entry->columns)
        return c->entry->columns;
    return c->definition->list ? c->definition->list->current : nullptr;
}

/* The input check's arguments of this pass. */
static void InputOf(DOCMD *c, CHECKINPUT *in, SELECTIONINFO *sel, char *name, CMDMESSAGE *msg)
{
    DialogWords *d = c->dialog;
    memset(in, 0, sizeof *in);
    in->location = c->location;
    in->dialog = d;
    in->dialogFlags = d ? d->stateFlags : 0;
    in->qualifier = d ? PutContextFlags(d, c->action) : 0;
    in->definition = c->definition;
    in->columns = Columns(c);
    in->action = c->action;
    in->area = c->area;
    in->index = c->continuation;
    in->request = sel;
    in->objectName = name;
    uint32_t filterLength = 0;
    in->filter = d ? PCFWhereFilter(d, &filterLength) : nullptr;
    uint32_t command = c->action->command;
    if ((command == MYCMD_UPDATE_MSG || command == MYCMD_ADD_MSG) && CmdEditedMessage(d, msg)) {
        in->editedMd = msg->md;
        in->editedMdLength = msg->mdLength;
        in->editedMsg = msg->data;
        in->editedMsgLength = msg->dataLength;
    }
}

static void InputError(DOCMD *c, const CHECKINPUT *in)
{
    if (!c->dialog || !(c->dialog->markFlags & DM_NO_INPUT_STATUS))
        CmdStatus(c->dialog, in->error, c->location, SK_INPUT);
    c->result = 1;
}

/* Step 8: the confirmation, once per command; 0 ends the command. */
static int Confirm(DOCMD *c, int32_t count, const char *name)
{
    DialogWords *d = c->dialog;
    const PCFActionDef *a = c->action;
    if (c->confirmed || !d)
        return 1;
    if ((a->flags & 0xF8000040) && !c->sameQueueYes) {
        c->confirmed = 1;
        if (!ConfirmAction(d, 0, a, count, name)) {
            c->result = 1;
            return 0;
        }
    } else if (!c->sameQueueYes && (Prf.po[2] & PO3_SECOND_CONFIRM) && !(d->statusFlags & DS_NO_CONFIRM) &&
               (a->flags2 & 0x2) && (d->markFlags & DM_CONFIRM_DUE)) {
        c->confirmed = 1;
        if (!ConfirmAction(d, 1, a, count, name))
            return 0;
        d->markFlags &= ~DM_CONFIRM_DUE;
    }
    return 1;
}

/* The dialog remembers where this command goes and its target fields
 * (the targets a later command without its own takes). */
static void KeepTarget(DialogWords *d, QMS *location)
{
    char q[64] = "", qm[64] = "";
    const char *t = PCFGetValueText(d, MYPCFA_TARGET_Q, q, sizeof q);
    const char *m = PCFGetValueText(d, MYPCFA_TARGET_QM, qm, sizeof qm);
    d->lastTarget = location;
    PCFSetDropTarget(t ? t : "", m ? m : "");
}

/* Step 10.3: the input checked, nothing sent. */
static void CheckOnly(DOCMD *c)
{
    CHECKINPUT in;
    SELECTIONINFO sel = {};
    CMDMESSAGE msg;
    char name[500];
    CmdCopy(name, c->objectText, sizeof name);
    InputOf(c, &in, &sel, name, &msg);
    if (PCFCheckInput(&in)) {
        InputError(c, &in);
        return;
    }
    if (!Confirm(c, in.count, name))
        return;
    if (c->action->command == MYCMD_DELETE_CLIENT && c->location) {
        if (c->location->clientSettings)
            PCFFreeData(&PCFClientChannelDef, (uint8_t *)c->location->clientSettings, 1);
        c->location->clientSettings = nullptr;
        if (c->dialog)
            c->dialog->previousData = nullptr;
    }
}

/* The command of the next selected row: rows whose list has gone are
 * passed over; the cursor is -2 once the last row's command is built, so
 * that one is still sent.  0: nothing (more) to send. */
static int FromNextRow(DOCMD *c, const PCFCommandDef *target, SELECTIONINFO *sel, char *name, uint32_t *length,
                       QMS **rowLocation)
{
    PCFREQINFO info;
    int rc;
    int32_t before;
    do {
        before = c->continuation;
        rc = PCFRowCommand(c->dialog, rowLocation, &info, target, c->action, &c->continuation,
                           (uint8_t *)c->buffer, (uint32_t)c->bufferSize, length, name);
    } while (rc == 1 && c->continuation >= 0 && c->continuation != before);
    if (rc == 1 && c->continuation == -2)
        return 0;
    if (rc) {
        CmdStatus(c->dialog, "Unexpected Error, possibly storage", c->location, SK_ERROR);
        c->result = 1;
        return 0;
    }
    if (info.flags & PCFSEL_CORREL) {
        sel->flags |= TRF_CORRELID;
        memcpy(sel->correlId, info.correlId, sizeof sel->correlId);
    }
    return 1;
}

/* A string parameter of a built message, trailing blanks cut; empty when
 * it has none. */
static void MessageString(const void *message, uint32_t length, int32_t wanted, char *out, size_t size)
{
    MQPP pp;
    MQLONG cc, rc, type, id, len, count;
    void *value;
    out[0] = 0;
    PCFInitParse(&pp, (const uint8_t *)message, (int32_t)length, nullptr, &cc, &rc);
    while (!cc) {
        PCFGetNextParm(&pp, &type, &id, &value, &len, &count, &cc, &rc);
        if (!cc && type == MQCFT_STRING && id == wanted && value) {
            size_t n = len > 0 && (size_t)len < size ? (size_t)len : (len > 0 ? size - 1 : 0);
            memcpy(out, value, n);
            out[n] = 0;
            UTTrimRight(out, (int)n);
            return;
        }
    }
}

/* Step 10.5: the message of the next selected row, or one for all; 0
 * ends the command. */
static int FromRows(DOCMD *c, SELECTIONINFO *sel, char *name, uint32_t *length, QMS **rowLocation)
{
    const PCFActionDef *a = c->action;
    PCFCommandDef *target = PCFFindCommandByCode(c->definition, a->command, 1, 0);
    if (!target)
        target = c->definition;
    if (!Buffer(c, (int32_t)target->pcfBound, "MessageL"))
        return 0;
    char text[200];
    if (a->flags & 0x40000) {
        int rc = BuildSelectionList(c->dialog, target, a, (uint8_t *)c->buffer, (uint32_t)c->bufferSize, length);
        if (rc) {
            snprintf(text, sizeof text, "Unexpected error constructing command RC(%d) %s", rc, MQReasonText(rc));
            CmdStatus(c->dialog, text, c->location, SK_ERROR);
            c->result = 1;
            return 0;
        }
    } else if (!FromNextRow(c, target, sel, name, length, rowLocation)) {
        return 0;
    }
    if ((a->id == 597 || a->id == 598) && c->definition == &PCFMessageListDef) {
        /* the target as the command carries it (a drop's queue, or the
           dialog's fields); a blank or "*" queue manager is the source's own */
        char v[64] = "", t[64] = "", source[64] = "", own[49];
        MessageString(c->buffer, *length, MYPCFA_TARGET_QM, v, sizeof v);
        MessageString(c->buffer, *length, MYPCFA_TARGET_Q, t, sizeof t);
        const char *s = PCFGetValueText(c->dialog, MQCA_Q_NAME, source, sizeof source);
        EngObjectQMgr(c->location, own);
        if (!v[0] || !strcmp(v, "*"))
            CmdCopy(v, own, sizeof v);
        /* the question names where the messages go */
        if (t[0] && strcmp(t, "*")) {
            if (strcmp(v, own))
                snprintf(text, sizeof text, "%s/%s", v, t);
            else
                snprintf(text, sizeof text, "%s", t);
            CmdCopy(name, text, 500);
        }
        if (s && !strcmp(v, own) && !strcmp(t, s)) {
            snprintf(text, sizeof text, "!The source and target queue is the same queue, '%s'.\n\nAre you sure you "
                                        "want to continue?", s);
            if (!CmdConfirm(c->dialog, 0, text, nullptr, nullptr, 0))
                return 0;
            c->sameQueueYes = 1;
        }
    }
    return 1;
}

/* Step 10.6: the message from the dialog's fields; 0 ends the command. */
static int FromFields(DOCMD *c, SELECTIONINFO *sel, char *name, uint32_t *length, int32_t *count)
{
    DialogWords *d = c->dialog;
    const CMDHOOKS *h = CmdHooks();
    if (c->compileFilter && d && c->definition->list && h->newFilter) {
        int rc = h->newFilter(h->context, d);
        if (rc) {
            c->result = rc;
            return 0;
        }
    }
    CHECKINPUT in;
    CMDMESSAGE msg;
    InputOf(c, &in, sel, name, &msg);
    int64_t size = (int64_t)c->definition->pcfBound + in.editedMdLength + in.editedMsgLength + 64;
    if (size > 0x7FFFFFF0 || !Buffer(c, (int32_t)size, "MessageO"))
        return 0;
    in.buffer = c->buffer;
    in.size = c->bufferSize;
    if (c->action->id == PCFID_DEFAULT && c->entry) {
        c->entry->flags |= PCFLR_DEFAULT_ISSUED;
        if (d && h->qmListChanged)
            h->qmListChanged(h->context, d);
    }
    if (PCFCheckInput(&in)) {
        InputError(c, &in);
        return 0;
    }
    c->continuation = in.index;
    if (c->continuation == -2)
        return 0;
    if (d && c->definition == &PCFMessageListDef) {
        char text[8] = "";
        const char *v = PCFGetValueText(d, ATTR_SEARCH, text, sizeof text);
        if (v && UTTrimmedLength(v, (int)strlen(v)) && !(d->viewOptions & 0x2000))
            d->statusFlags |= DS_SEARCH;
        else
            d->statusFlags &= ~DS_SEARCH;
    }
    *length = in.length;
    *count = in.count;
    return 1;
}

/* The thread-request flags of the command. */
static uint32_t RequestFlags(DOCMD *c, uint32_t command, int mqsc)
{
    const PCFActionDef *a = c->action;
    uint32_t flags = TRF_IFCMD;
    if ((c->definition->flags & 0x2) || (a->flags2 & 0x1000))
        flags |= TRF_REPLYQ;
    if (command >= MYCMD_CENTRAL_START && command <= MYCMD_CENTRAL_END)
        flags |= TRF_ANALYSER;
    if (a->flags2 & 0x400)
        flags |= TRF_MESSAGE;
    if (a->flags2 & 0x2000)
        flags |= TRF_BROKER;
    if (mqsc)
        flags |= TRF_TEXT;
    return flags;
}

void CmdTargetQueue(QMS *r, uint32_t flags, char *out, size_t size)
{
    const char *q;
    if (flags & TRF_BROKER)
        q = r->brokerQueue[0] ? r->brokerQueue : "SYSTEM.BROKER.CONTROL.QUEUE";
    else if (flags & TRF_REPLYQ)
        q = r->secondName;
    else
        q = r->commandQueue[0] ? r->commandQueue : ENGINE_COMMAND_QUEUE;
    CmdCopy(out, q, size);
}

/* Step 11: MQSC text for an mvs location; 0 ends the command. */
static int ToMqsc(DOCMD *c, uint32_t command, uint32_t *length, MQSCPcf **state)
{
    *state = nullptr;
    if (!c->location || !(c->location->flags & LF_MVS) || (command >= 10000 && command <= 10299))
        return 1;
    MQSCPcf *s = (MQSCPcf *)CSGetMem(sizeof *s, "MQSCPcf");
    if (!s) {
        CmdStatus(c->dialog, "PCF Storage allocation failure", c->location, SK_ERROR);
        c->result = 1;
        return 0;
    }
    memset(s, 0, sizeof *s);
    PCFCommandDef *def = PCFFindCommandByCode(c->definition, command, 0, 0);
    s->definition = def ? def : c->definition;
    s->command = command;
    const uint8_t *caps = c->dialog ? c->dialog->first.caps : c->location->caps;
    if (PCFBuildMQSC(c->dialog, caps, c->definition, s, &c->buffer, length)) {
        CSFreeMem(s);
        CmdStatus(c->dialog, "PCF Conversion failed", c->location, SK_ERROR);
        c->result = 1;
        return 0;
    }
    c->bufferSize = (int32_t)*length;        /* the text replaced the message */
    *state = s;
    return 1;
}

/* A list asked for one listed name after another: every request is one
 * part of the area, which is posted once all parts and the sender are
 * done (the sender counts itself off when the command ends).  A new
 * command awaits nothing of an earlier one. */
static void CountPart(DOCMD *c)
{
    if (!c->dialog || !c->entry || !c->definition->list)
        return;
    int part = c->continuation >= 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    if (!c->parts)
        c->entry->parts = (uint32_t)part;
    c->entry->parts += (uint32_t)part;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    c->parts += part;
}

static void PartFailed(DOCMD *c)
{
    if (c->parts)
        PCFPostListArea(c->dialog, c->entry);
}

/* Steps 12 to 17: the record, its key and the thread request. */
static void Send(DOCMD *c, QMS *location, const SELECTIONINFO *sel, const char *name, uint32_t length,
                 uint32_t command, MQSCPcf *mqsc)
{
    DialogWords *d = c->dialog;
    CountPart(c);
    const PCFActionDef *a = c->action;
    IFCMD image = {};
    image.created = CmdNow();
    image.command = command;
    image.entry = c->entry;
    image.location = location;
    image.definition = c->definition;
    image.dialog = d;
    image.action = a;
    CmdCopy(image.objectText, name, sizeof image.objectText);
    image.callerValue = c->callerValue;
    image.callback = c->callback;
    image.mqscState = mqsc;
    image.sequenceBlock = c->sequence;
    IFCMD *r = IfcmdAdd(&image, "IFCMD2");
    if (!r) {
        PartFailed(c);
        CSFreeMem(mqsc);
        CmdStatus(d, "Out of memory", location, SK_FAILURE);
        c->result = 1;
        return;
    }
    c->sequence = nullptr;
    uint32_t sequence = 1;
    if (d)
        d->statusFlags &= ~DS_UNTIL_REQUEST;
    if (d && c->entry) {
        sequence = c->parts > 1 ? c->entry->sequence : ++c->entry->sequence;
        if (!sequence)
            sequence = c->entry->sequence = 1;
        c->entry->lastRequest = CmdNow();
        c->entry->requestCount++;
        if (c->definition->list)
            c->entry->state |= PCFLR_OUTSTANDING;
    }
    IfcmdMakeKey(r, d ? KEY_DIALOG : KEY_PROGRAM, sequence);
    uint32_t flags = RequestFlags(c, command, mqsc != nullptr);
    if (d && c->definition == &PCFQueueManagerDef && a->id == PCFID_DEFAULT && !c->followUp &&
        CapGet(location ? location->caps : nullptr, 39)) {
        c->followUp = 1;
        c->made = r->sequenceBlock ? nullptr : CmdSeqNew();
        if (c->made)
            r->sequenceBlock = c->made;
    }
    if (a->flags2 & 0x40000) {
        char title[40];
        snprintf(title, sizeof title, a->id == 597 ? "Copying messages" : a->id == 598 ? "Moving messages" :
                                      a->id == 599 ? "Deleting messages" : "Operation(%d)", (int)a->id);
        ProgCreate(d ? d->window : nullptr, &r->key, title);
    }
    int rc = CmdPostRequest(location, sel, flags, (const uint8_t *)&r->key, c->buffer, length);
    if (!rc) {
        c->buffer = nullptr;
        c->bufferSize = 0;
        if (d && !c->quiet) {
            if ((a->id == 702 || a->id == 703) && c->entry)
                c->entry->comparePending = 1;
            CmdTitle(d, " waiting...");
            CmdStatus(d, "Request sent...", location, SK_PLAIN);
            d->markFlags |= DM_REQUEST_SENT;
            d->requestSent = CmdNow();
        }
        LocSetStatus(location, 0, LS_CANTSEND, 0);
        return;
    }
    char queue[64] = "", text[300];
    if (location)
        CmdTargetQueue(location, flags, queue, sizeof queue);
    snprintf(text, sizeof text, "Error putting to %.48s/%.48s RC(%ld) %s", location ? location->qmName : "",
             queue, (long)rc, MQReasonText(rc));
    CmdStatus(d, text, location, SK_ERROR);
    LocSetStatus(location, LS_CANTSEND, 0, 0);
    if (c->made && r->sequenceBlock == c->made) {
        CmdSeqRelease(c->made);                /* the follow-up goes without one */
        c->made = nullptr;
    }
    IfcmdFree(r);
    PartFailed(c);
    c->result = 1;
}

int CmdPass(DOCMD *c)
{
    DialogWords *d = c->dialog;
    const PCFActionDef *a = c->action;
    const CMDHOOKS *h = CmdHooks();
    if (d && (a->flags & 0x2000))
        d->markFlags |= DM_MARKING_SENT;
    if (a->flags2 & 0x800) {
        IssueMQSC(d, a);
        return 1;
    }
    if (a->flags2 & 0x4000) {
        CheckOnly(c);
        return 1;
    }
    if (a->flags & (0x10 | 0x4)) {
        if ((a->flags & 0x10) && h->dialogDialog)
            h->dialogDialog(h->context, d, a);
        if ((a->flags & 0x4) && h->listDialog)
            h->listDialog(h->context, d, a);
        if (!((a->flags & 0x10) ? h->dialogDialog : h->listDialog))
            CmdStatus(d, "The dialog of this action is not available in this build", d->first.location, SK_ERROR);
        return 1;
    }
    if (a->flags & 0x800) {
        SelectedRowNames(d, a, &c->continuation);
        return c->continuation == -2;
    }
    SELECTIONINFO sel = {};
    char name[500];
    CmdCopy(name, c->objectText, sizeof name);
    uint32_t length = 0;
    int32_t count = 1;
    QMS *location = c->location;
    if (a->flags & 0x2) {
        if (!FromRows(c, &sel, name, &length, &location))
            return 1;
        count = d ? SelectedRowCount(d) : 1;
    } else if (!FromFields(c, &sel, name, &length, &count)) {
        return 1;
    }
    if (!name[0] && d && d->definition == c->definition && PCFGetObjectName(d))
        CmdCopy(name, PCFGetObjectName(d), sizeof name);    /* named only by what the dialog shows */
    if ((a->flags2 & 0x200) && !CheckContextFields(d, DialogPutContext(d, a)))
        return 1;
    if (!Confirm(c, count, name))
        return 1;
    if (d && (d->viewOptions & DV_ALL_MESSAGES))
        CmdViewCommand(d, 603);
    if (d && (a->flags2 & 0x8000))
        KeepTarget(d, location);
    uint32_t command;
    memcpy(&command, (const uint8_t *)c->buffer + 12, 4);
    MQSCPcf *mqsc;
    if (!ToMqsc(c, command, &length, &mqsc))
        return 1;
    Send(c, location, &sel, name, length, command, mqsc);
    return 0;
}
