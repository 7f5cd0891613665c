/* Setting a dialog's values from the program (texts, integers, date-time
 * pairs), whether its lists are complete, and issuing its actions by
 * mnemonic letter or its default action. */
#include "pcfint.h"

#include <cctype>

#include "cs.h"
#include "qms.h"

int PCFSetFieldText(DialogWords *dialog, uint32_t attrId, const char *text)
{
    if (!dialog || !dialog->definition)
        return 0;
    PCFFieldEntry *e = PCFFindField(dialog, PCFDialogCaps(dialog), dialog->definition->fields, attrId);
    return e ? FieldHWNDData(dialog, 0, nullptr, 0, e, text ? text : "", -1, 0) : 0;
}

int PCFSetFieldInt(DialogWords *dialog, uint32_t attrId, int32_t value)
{
    if (!dialog || !dialog->definition || !dialog->dataArea)
        return 0;
    PCFFieldEntry *e = PCFFindField(dialog, PCFDialogCaps(dialog), dialog->definition->fields, attrId);
    if (!e || !PCFStoresValue(e) || (e->field->type != PCFT_INT && e->field->type != PCFT_ENUM))
        return 0;
    uint8_t *r = dialog->dataArea + e->offset;
    CSLockGlobal(CSLOCK_DIALOGS);
    int changed = PCFRecInt(r) != value;
    PCFSetState(r, PCFState(r) | PCFS_PRESENT);
    if (changed)
        PCFSetRecInt(r, value);
    CSUnlockGlobal(CSLOCK_DIALOGS);
    const PCFHOOKS *h = PCFHooks();
    if (e->flags & PCFE_DEPENDS) {
        if (changed && !(dialog->stateFlags & DF_LIST_EDIT) && h->dependChanged)
            h->dependChanged(h->context, dialog);
        if (h->repaintFields)
            h->repaintFields(h->context, dialog);
    }
    return changed;
}

void PCFSetPairValue(uint8_t *area, const PCFFieldEntry *entry, const char *text, const uint8_t *value16)
{
    if (!area || !entry || !entry->field || !PCFStoresValue(entry) ||
        (entry->field->type != PCFT_DATETIME && entry->field->type != PCFT_DATETIME100))
        return;
    uint8_t *r = area + entry->offset;
    if (value16)
        memcpy(r + REC_VALUE, value16, 16);
    char *t = (char *)r + REC_PAIRTEXT;
    memset(t, 0, PAIR_TEXT_MAX + 1);
    if (text)
        strncpy(t, text, PAIR_TEXT_MAX);
    PCFSetState(r, PCFState(r) | PCFS_PRESENT);
}

/* ---- completeness of the lists ---- */

static int ListDone(const DialogWords *d, const PCFLISTREQ *r, int strict, int64_t maxAge, int force,
                    int64_t now)
{
    if (r->location && (r->location->status & (LS_CANTSEND | LS_UNAVAILABLE)))
        return 1;
    if (!r->requestCount)
        return 0;
    if (r->replyCount == r->requestCount || r->endCount == r->requestCount)
        return 1;
    int missing = (int)(r->requestCount - r->replyCount);
    int counts = strict || (missing <= 2 && now - r->lastRequest < maxAge);
    int matters = !d->definition->list || force || !r->replyArea || !r->replyArea->rows;
    return !(counts && matters);
}

int PCFListsUpToDate(DialogWords *dialog, int strict, int64_t maxAge, int force, int64_t now)
{
    if (!dialog || !dialog->definition || (dialog->stateFlags & DF_CLOSING))
        return 0;
    if (dialog->definition->list && !dialog->first.replyArea && !dialog->lists)
        return 0;
    for (const PCFLISTREQ *r = dialog->lists ? dialog->lists : &dialog->first; r;
         r = dialog->lists ? r->next : nullptr)
        if ((r->inUse || r == &dialog->first) && !ListDone(dialog, r, strict, maxAge, force, now))
            return 0;
    return 1;
}

/* ---- actions ---- */

int PCFIssueAction(DialogWords *dialog, char letter)
{
    if (!dialog || !dialog->definition)
        return -1;
    int want = toupper((unsigned char)letter);
    for (const PCFActionDef *a = dialog->definition->actions; a && a->id; a++) {
        const char *amp = a->text ? strchr(a->text, '&') : nullptr;
        if (!amp || !amp[1] || toupper((unsigned char)amp[1]) != want)
            continue;
        PCFPost(dialog->window, PCF_WM_COMMAND, a->id, 0);
        return a->id;
    }
    return -1;
}

int PCFIssueDefaultAction(PCFLISTREQ *request, DialogWords *dialog, void *targets)
{
    if (!dialog || !dialog->definition)
        return 0;
    const PCFHOOKS *h = PCFHooks();
    if (dialog->definition->list && h->newFilter)
        h->newFilter(h->context, dialog);
    const PCFActionDef *a = PCFFindActionFlags(dialog->definition->actions, PCFA_DEFAULT, 0);
    if (!a)
        return 0;
    if (request)
        return h->doCommand ? h->doCommand(h->context, dialog, a->id, request, targets) : 0;
    return h->sendToAll ? h->sendToAll(h->context, dialog, a->id) : 0;
}

int PCFFocusFirstField(DialogWords *dialog)
{
    if (!dialog || !dialog->definition)
        return 0;
    const PCFCommandDef *def = dialog->definition;
    PCFFieldEntry *fields = def->list && def->detail ? def->detail : def->fields;
    for (PCFFieldEntry *e = fields; e && e->field; e++) {
        if (e->field->type == PCFT_HEADING ||
            !PCFFieldApplies(PCFDialogCaps(dialog), dialog->stateFlags, def, nullptr, nullptr,
                             dialog->dataArea, e, nullptr, nullptr))
            continue;
        const PCFHOOKS *h = PCFHooks();
        if (h->focusField)
            h->focusField(h->context, dialog, e);
        return 1;
    }
    return 0;
}
