/* Around PCFDoCommand: an action to every selected queue manager of a
 * dialog's group, the put, load and publish dialogs of selected rows, the
 * put-context bits of a message put. */
#include "cmdint.h"

#include "cs.h"

#define ATTR_TOPIC  3031           /* MQCACF_TOPIC */
#define ATTR_STREAM 3030           /* MQCACF_STREAM_NAME */

int SendToAllInGroup(DialogWords *d, uint32_t fieldsRead, uint32_t actionId, PCFCommandDef *def,
                     uint8_t *area, uint64_t callerValue)
{
    if (!d || !d->definition)
        return 0;
    const CMDHOOKS *h = CmdHooks();
    if (d->definition->list && h->newFilter) {
        int rc = h->newFilter(h->context, d);
        if (rc)
            return rc;
    }
    /* none chosen in the queue-manager list: nothing is sent, and that is no error */
    int result = 0;
    if (!d->lists || (d->first.flags & PCFLR_SELECTED)) {
        int rc = PCFDoCommand(d, 0, fieldsRead, actionId, def, area, &d->first, d->first.location, 0, callerValue,
                              nullptr, nullptr, nullptr);
        if (rc)
            result = rc;
    }
    for (PCFLISTREQ *r = d->lists; r; r = r->next) {
        if (r == &d->first || !(r->flags & PCFLR_SELECTED) || !r->location)
            continue;
        int rc = PCFDoCommand(d, 0, 1, actionId, def, area, r, r->location, 0, callerValue, nullptr, nullptr,
                              nullptr);
        if (rc)
            result = rc;
    }
    return result;
}

/* The dialogs of selected rows by their actions (and the table's ids). */
enum { OPEN_PUT = 1, OPEN_DRASK, OPEN_PUBLISH };
static const char *const OpenNames[] = { "", "Put Message", "Load/Unload", "Publish" };
static const struct { uint16_t id; uint8_t open; } RowDialogs[] = {
    { 641, OPEN_PUT }, { 567, OPEN_PUT }, { 731, OPEN_DRASK }, { 583, OPEN_DRASK },
    { 747, OPEN_PUBLISH }, { 584, OPEN_PUBLISH },
};

void SelectedRowNames(DialogWords *d, const PCFActionDef *a, int32_t *continuation)
{
    int open = 0;
    for (const auto &r : RowDialogs)
        if (r.id == a->id)
            open = r.open;
    char queue[64] = "", topic[300] = "", stream[64] = "";
    QMS *location = d ? d->first.location : nullptr;
    if (!d || !open) {
        *continuation = -2;
        return;
    }
    if (d->definition->list && d->definition != &PCFMessageListDef) {
        /* the row after the last one opened, read once by its place */
        int32_t next = *continuation + 1;
        PCFROW *row = SelectedRowAt(d, next);
        if (!row) {
            *continuation = -2;
            return;
        }
        *continuation = next;
        if (row->request && row->request->location)
            location = row->request->location;
        CmdRowValue(row, MQCA_Q_NAME, queue, sizeof queue, nullptr);
        CmdRowValue(row, ATTR_TOPIC, topic, sizeof topic, nullptr);
        CmdRowValue(row, ATTR_STREAM, stream, sizeof stream, nullptr);
    } else {
        const char *v;
        if ((v = PCFGetValueText(d, MQCA_Q_NAME, queue, sizeof queue)) != queue)
            CmdCopy(queue, v, sizeof queue);
        if ((v = PCFGetValueText(d, ATTR_TOPIC, topic, sizeof topic)) != topic)
            CmdCopy(topic, v, sizeof topic);
        if ((v = PCFGetValueText(d, ATTR_STREAM, stream, sizeof stream)) != stream)
            CmdCopy(stream, v, sizeof stream);
        *continuation = -2;
    }
    const CMDHOOKS *h = CmdHooks();
    if (open == OPEN_PUT && h->putDialog)
        h->putDialog(h->context, location, queue);
    else if (open == OPEN_DRASK && h->draskDialog)
        h->draskDialog(h->context, location, queue);
    else if (open == OPEN_PUBLISH && h->publishDialog)
        h->publishDialog(h->context, location, stream, topic);
    else {
        char text[80];
        snprintf(text, sizeof text, "%s is not available in this build", OpenNames[open]);
        CmdStatus(d, text, location, SK_ERROR);
    }
}

uint32_t DialogPutContext(DialogWords *d, const PCFActionDef *a)
{
    if (!d)
        return 0;
    return a && a->command == MYCMD_ADD_MSG ? d->addContext : d->updateContext;
}

uint32_t PutContextFlags(DialogWords *d, const PCFActionDef *a)
{
    if (!d || !a || !(a->flags & 0x400000))
        return 0;
    uint32_t view = d->viewOptions;
    if (a->command != MYCMD_UPDATE_MSG && a->command != MYCMD_ADD_MSG)
        return view;
    static const uint32_t contexts[][2] = {
        { MQPMO_DEFAULT_CONTEXT, 0x400 }, { MQPMO_PASS_ALL_CONTEXT, 0x200 },
        { MQPMO_SET_IDENTITY_CONTEXT, 0x800 }, { MQPMO_SET_ALL_CONTEXT, 0x100 },
    };
    view &= ~DV_CONTEXT_BITS;
    uint32_t option = DialogPutContext(d, a);
    for (const auto &c : contexts)
        if (c[0] == option)
            view |= c[1];
    return view;
}
