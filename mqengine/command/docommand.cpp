/* PCFDoCommand: the one road of every dialog action and program command.
 * It finds the action, runs the checks the action asks for (edited
 * message, naming standards, the queue-manager pair), chooses the queue
 * manager, then sends one request per pass (dopass.cpp) and after the
 * last pass issues the Queue Manager display's status follow-up. */
#include "cmdint.h"

#include "cs.h"
#include "prfdata.h"

#define CO_ADD_INCOMPLETE 0x400
#define CO_NOT_FORMATTING 0x1000

/* The action row; 782 is Browse (566). */
static const PCFActionDef *FindAction(const PCFCommandDef *def, uint32_t id)
{
    if (id == 782)
        id = 566;
    return def ? PCFFindActionDef(def->actions, id) : nullptr;
}

/* Step 3, the edited-message guard: 0 ends the command.  Update and
 * Add put the edited message itself: they never ask whether to drop it. */
static int EditGuard(DOCMD *c)
{
    DialogWords *d = c->dialog;
    const PCFActionDef *a = c->action;
    if (!(a->flags2 & 0x100))
        return 1;
    int pass = 0;
    if (a->command == MYCMD_UPDATE_MSG || a->command == MYCMD_ADD_MSG)
        pass = 1;
    else if (a->id == PCFID_DEFAULT)
        pass = (d->viewOptions & DV_EDIT_GUARD) != 0;
    else if (a->id == 904)
        pass = 1, d->viewOptions |= DV_EDIT_GUARD;
    if (pass) {
        if (a->flags2 & 0x20000)
            d->viewOptions &= ~DV_EDIT_GUARD;
        return 1;
    }
    if (CmdKeepEdits(d))
        return 0;
    if (a->id == 920) {
        CmdMessageFormat(d);
        return 0;
    }
    if (a->id == 921) {
        CmdGenericFormat(d, "MQSTR   ");
        return 0;
    }
    return 1;
}

/* Steps 4 and 5: an incomplete or unformatted message; the active field
 * read.  0 ends the command. */
static int MessageChecks(DOCMD *c, uint32_t fieldsRead)
{
    DialogWords *d = c->dialog;
    uint32_t command = c->action->command;
    if ((d->statusFlags & DS_TRUNCATED) && command == MYCMD_UPDATE_MSG) {
        CmdBox(d, "Not all of the message has been retrieved from the Queue Manager.\n\nYou can not update a "
                  "message without first retrieving the whole message from the Queue Manager.",
               "Ravolt - Invalid Action", 0);
        return 0;
    }
    if ((d->statusFlags & DS_TRUNCATED) && command == MYCMD_ADD_MSG &&
        !CmdConfirm(d, 0, "!Not all of the message has been retrieved from the Queue Manager.\n\nAre you sure "
                          "you want to continue and add an incomplete message to the Queue?",
                    nullptr, &Prf.co, CO_ADD_INCOMPLETE))
        return 0;
    const CMDHOOKS *h = CmdHooks();
    if ((command == MYCMD_UPDATE_MSG || command == MYCMD_ADD_MSG) && h->notFormatting &&
        h->notFormatting(h->context, d) &&
        !CmdConfirm(d, 0, "!The message does not appear to format correctly.\n\nAre you sure you want to continue?",
                    nullptr, &Prf.co, CO_NOT_FORMATTING))
        return 0;
    if (!fieldsRead && !(d->markFlags & DM_FIELDS_READ) && d->valueWindow && d->currentField &&
        FieldHWNDData(d, 1, nullptr, 0, nullptr, nullptr, -1, 0) != 0)
        return 0;
    return 1;
}

/* Step 6: what a refresh does to its dialog. */
static void RefreshAction(DOCMD *c)
{
    DialogWords *d = c->dialog;
    const CMDHOOKS *h = CmdHooks();
    if (!(c->action->flags & PCFA_REFRESH))
        return;
    if (c->definition == &PCFMessageDef)
        CmdFormatName(d);
    if (c->definition == &PCFMessageListDef && h->syncPanel)
        h->syncPanel(h->context, d);
    if (c->definition->list) {
        d->lastRefresh = CmdNow();
        if (c->location)
            d->markFlags |= DM_WAITING;       /* the timed check watches for silent queue managers */
    }
    if (d->unhandled)
        d->unhandled[0] = 0;
    if (d->optionFlags & DO_AUTO_EXPORT) {        /* "Auto Export": the list is written once its replies are in */
        d->markFlags |= DM_EXPORT_DUE;
        d->exportDue = 1;
    }
}

/* Step 8 for a two-queue-manager dialog: the entry of A or B, or the
 * default action split into 702 on A and 703 on B (result in *done). */
static int PairEntry(DOCMD *c, uint32_t fieldsRead, int *done)
{
    DialogWords *d = c->dialog;
    if (!CheckQmgrPair(d, 1)) {
        *done = 1;
        return 1;
    }
    if (!CheckNamingStandard(d)) {
        *done = 1;
        return 0;
    }
    if (c->action->id == PCFID_DEFAULT) {
        *done = 1;
        int rc = PCFDoCommand(d, c->compileFilter, fieldsRead, 702, nullptr, nullptr, &d->first, nullptr, c->quiet,
                              c->callerValue, c->callback, c->objectText, nullptr);
        if (!rc)
            rc = PCFDoCommand(d, c->compileFilter, 1, 703, nullptr, nullptr, &d->second, nullptr, c->quiet,
                              c->callerValue, c->callback, c->objectText, nullptr);
        return rc;
    }
    int b = (c->action->flags & 0x1000000) != 0;
    c->entry = b ? &d->second : &d->first;
    c->location = c->entry->location;
    if (!c->location) {
        CmdStatus(d, b ? "Please enter a value for Queue Manager B" : "Please enter a value for Queue Manager A",
                  nullptr, SK_INPUT);
        *done = 1;
        return 1;
    }
    return 0;
}

/* Steps 3 to 9, with a dialog: -1 go on to the passes, else the result. */
static int Prepare(DOCMD *c, uint32_t fieldsRead)
{
    DialogWords *d = c->dialog;
    if (!EditGuard(c) || !MessageChecks(c, fieldsRead))
        return 0;
    if ((c->action->flags2 & 0x4) && !CheckGlobalNaming(d))
        return 0;
    if (c->definition->flags & PCFD_PAIR) {
        int done = 0, rc = PairEntry(c, fieldsRead, &done);
        if (done)
            return rc;
    } else {
        if (!c->entry)
            c->entry = &d->first;
        if (!c->location)
            c->location = c->entry->location ? c->entry->location : d->first.location;
    }
    RefreshAction(c);
    CmdStatus(d, "", c->location, SK_PLAIN);
    const CMDHOOKS *h = CmdHooks();
    if (c->location && h->splash)
        h->splash(h->context, d->window, c->location);
    return -1;
}

/* Step 11: the status follow-up of the Queue Manager display. */
static void FollowUp(DOCMD *c, CMDSEQ *block)
{
    const PCFActionDef *status = nullptr;
    for (const PCFActionDef *a = c->definition->actions; a && a->id; a++)
        if (a->command == MQCMD_INQUIRE_Q_MGR_STATUS)
            status = a;
    if (!status) {
        CmdSeqRelease(block);
        return;
    }
    PCFDoCommand(c->dialog, 0, 1, status->id, c->definition, c->area, c->entry, c->location, c->quiet,
                 c->callerValue, c->callback, c->objectText, block);
}

int PCFDoCommand(DialogWords *d, uint32_t compileFilter, uint32_t fieldsRead, uint32_t actionId,
                 PCFCommandDef *def, uint8_t *area, PCFLISTREQ *entry, QMS *location, uint32_t quiet,
                 uint64_t callerValue, IFCMDCALLBACK callback, const char *objectText, CMDSEQ *sequence)
{
    PCFInitCommandDefs();
    DOCMD c = {};
    c.dialog = d;
    c.definition = d ? d->definition : def;
    c.action = FindAction(c.definition, actionId);
    c.area = d ? d->dataArea : area;
    c.entry = entry;
    c.location = location;
    c.compileFilter = compileFilter;
    c.quiet = quiet;
    c.callerValue = callerValue;
    c.callback = callback;
    c.objectText = objectText;
    c.sequence = sequence;
    c.continuation = -1;
    if (!c.action) {
        CmdSeqRelease(sequence);
        return 0;
    }
    if (d) {
        int rc = Prepare(&c, fieldsRead);
        if (rc >= 0) {
            CmdSeqRelease(sequence);
            return rc;
        }
    }
    while (!CmdPass(&c) && c.continuation >= 0 && !(c.action->flags & PCFA_ONEREQ)) {
    }
    if (c.parts)
        PCFPostListArea(d, c.entry);         /* the sender's own part */
    if (d && (c.action->flags & 0x1000))
        CmdDialogMessage(d, 0x0010 /* WM_CLOSE */, 0, 0, 0);
    CmdSeqRelease(c.sequence);               /* a shared block no record took */
    if (c.followUp)
        FollowUp(&c, c.made);
    if (d && (d->viewOptions & DV_ALL_MESSAGES))
        CmdViewCommand(d, 603);
    CSFreeMemAndClear(&c.buffer);
    return c.result;
}
