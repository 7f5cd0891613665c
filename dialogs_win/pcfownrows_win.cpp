/* The rows a command dialog carries out itself rather than through the
 * command engine: printing, the export dialog, the message's ids copied,
 * the whole message fetched, a list's message saved through the message
 * window beside it; and when each of these rows, and the rows that need
 * a message or a window of their own, are offered at all.  Their ids are
 * location commands elsewhere, so a definition's own row takes its id
 * first (PCFCommand). */
#include "pcfwin.h"
#include "expwin.h"
#include "pcflistwin.h"

#include <cstring>

#include "colfilter.h"
#include "cs.h"
#include "cstext.h"
#include "edpane.h"
#include "mq/mqown.h"
#include "mqi.h"

/* The descriptor the message window shows (its MQMD bytes), or null. */
static const uint8_t *Descriptor(const DialogWords *d)
{
    const PCFDATA *ed = d ? d->editor : nullptr;
    return ed && ed->descriptor.data && ed->descriptor.length >= sizeof(MQMD1) ? ed->descriptor.data : nullptr;
}

/* The message window beside a list in its frame (the two panes share the
 * frame window), when it shows a message. */
struct BESIDE {
    const DialogWords *list;
    DialogWords *found;
};

static int FindBeside(DialogWords *d, void *ctx)
{
    BESIDE *b = (BESIDE *)ctx;
    if (d != b->list && d->editor && Descriptor(d) && d->window && b->list->window &&
        GetParent(PCFWnd(d->window)) == GetParent(PCFWnd(b->list->window)) &&
        (d->optionFlags & DO_CHILD) && (b->list->optionFlags & DO_CHILD))
        b->found = d;
    return b->found != nullptr;
}

static DialogWords *MessageBeside(const DialogWords *list)
{
    BESIDE b = { list, nullptr };
    if (list && !list->editor)
        PCFForEachDialog(FindBeside, &b);
    return b.found;
}

/* ---- what the rows do ---- */

static void Print(DialogWords *d, int32_t)
{
    PCFPrintDialog(d);
}

static void Export(DialogWords *d, int32_t)
{
    ExpOpenDialog(d, PCFWnd(d->window));
}

/* 555, 556: the message id or correlation id as 48 hex digits. */
static void CopyId(DialogWords *d, int32_t id)
{
    const uint8_t *md = Descriptor(d);
    if (!md)
        return;
    size_t at = id == 555 ? offsetof(MQMD1, MsgId) : offsetof(MQMD1, CorrelId);
    char hex[2 * MQ_MSG_ID_LENGTH + 1];
    UTBytesToHex(md + at, MQ_MSG_ID_LENGTH, hex, 0);
    if (ExpPutClipboard(PCFWnd(d->window), hex, 2 * MQ_MSG_ID_LENGTH))
        PCFDialogStatus(d, id == 555 ? "Message Id copied to clipboard" : "Correlation Id copied to clipboard",
                        nullptr, 1);
    else
        PCFDialogStatus(d, "Sorry, can't access clipboard", nullptr, 5);
}

static void WholeMessage(DialogWords *d, int32_t)
{
    PCFFetchWholeMessage(d);
}

/* A list's "Save to File": the message the window beside it shows. */
static void SaveBeside(DialogWords *d, int32_t)
{
    DialogWords *m = MessageBeside(d);
    const PCFSHELLHOOKS *s = PCFShellHooks();
    if (m && s->messageFile)
        s->messageFile(s->context, m, 918);
    else if (m)
        PCFDialogStatus(d, "Loading and saving messages are not available in this build", nullptr, 5);
}

/* ---- when they are offered ---- */

static int Always(const DialogWords *) { return 1; }
static int HasDescriptor(const DialogWords *d) { return Descriptor(d) != nullptr; }
static int Truncated(const DialogWords *d) { return (d->statusFlags & DS_TRUNCATED) != 0; }
static int HasBeside(const DialogWords *d) { return MessageBeside(d) != nullptr; }
/* Update and Add put the message a window edits: a list holds none. */
static int HasEditor(const DialogWords *d) { return d->editor != nullptr; }
/* Column filters to remove: one is switched on. */
static int ColumnFiltered(const DialogWords *d)
{
    COLFSTATE *s = ColFilterState((DialogWords *)d, 0);
    for (COLFILTER *f = s ? s->chain : nullptr; f; f = f->next)
        if (f->enabled)
            return 1;
    return 0;
}
/* A frame's pane lives as long as its frame: its Cancel closes nothing. */
static int OwnWindow(const DialogWords *d) { return d->ownerSlot == nullptr; }

static const struct OwnRow {
    int32_t first, last;
    void (*run)(DialogWords *d, int32_t id);   /* null: the row is the engine's or another handler's */
    int (*offered)(const DialogWords *d);
} OwnRows[] = {
    { 553, 553, Print, Always }, { 786, 786, Print, Always },
    { 554, 554, Export, Always }, { 784, 784, Export, Always },
    { 555, 556, CopyId, HasDescriptor },
    { 888, 888, WholeMessage, Truncated },
    { 551, 551, SaveBeside, HasBeside },
    { 941, 941, nullptr, HasEditor }, { 946, 946, nullptr, HasEditor },
    { 2, 2, nullptr, OwnWindow }, { 960, 960, nullptr, ColumnFiltered },
};

static const OwnRow *Row(const DialogWords *d, int32_t id)
{
    for (const OwnRow &r : OwnRows)
        if (id >= r.first && id <= r.last)
            return r.run && d->definition && !PCFFindActionDef(d->definition->actions, (uint32_t)id) ? nullptr : &r;
    return nullptr;
}

int PCFOwnRow(DialogWords *d, int32_t id)
{
    const OwnRow *r = Row(d, id);
    if (!r || !r->run)
        return 0;
    if (r->offered(d))
        r->run(d, id);
    return 1;
}

int PCFOwnRowOffered(const DialogWords *d, int32_t id)
{
    const OwnRow *r = Row(d, id);
    return !r || r->offered(d);
}

void PCFFetchWholeMessage(DialogWords *d)
{
    const PCFHOOKS *h = PCFHooks();
    if (!d || !d->editor || !h->doCommand)
        return;
    d->statusFlags |= DS_WANT_COMPLETE;
    if (h->doCommand(h->context, d, PCFID_DEFAULT, nullptr, nullptr) || !(d->markFlags & DM_REQUEST_SENT))
        d->statusFlags &= ~DS_WANT_COMPLETE;
}
