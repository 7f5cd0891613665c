/* A message dialog given another queue: the queue it used is let go
 * before the new name is stored (its close command names the old queue),
 * and the position of the message it showed is forgotten, so the next
 * read starts at the new queue's first message. */
#include "pcfint.h"

#include "cs.h"
#include "mq/mqown.h"

/* The name held in the dialog's own area before the text is stored in
 * the entry: 1 when that is a queue that the text replaces. */
int PCFNameReplaced(const DialogWords *d, uint8_t *area, const PCFFieldEntry *entry, const char *text)
{
    const PCFCommandDef *def = d->definition;
    if (!def || !def->secondCommand || !def->nameField || def->nameField != entry || area != d->dataArea)
        return 0;
    size_t n = strlen(text);
    if (n && text[n - 1] == '+' && (entry->flags & PCFE_NOTMULTI))
        return 0;                                   /* a multi-name list, not a new name */
    uint8_t *r = area + entry->offset;
    if (!(PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED)))
        return 0;
    const char *old = PCFRecText(r);
    size_t max = entry->field->maximum > 0 ? (size_t)entry->field->maximum : 0;
    size_t oldLength = (size_t)PCFTrimmedLength((const uint8_t *)old, (int32_t)strnlen(old, max));
    if (!oldLength || (oldLength == 1 && *old == '*'))
        return 0;
    size_t newLength = n < max ? n : max;
    return oldLength != newLength || strncmp(old, text, oldLength) != 0;
}

/* The close command for the name still stored; the dialog's fields count
 * as read meanwhile, so the command takes the stored name and does not
 * read the new one in again. */
void PCFCloseOldName(DialogWords *d)
{
    const PCFHOOKS *h = PCFHooks();
    if (!h->doCommand || (d->markFlags & DM_FIELDS_READ))
        return;
    d->markFlags |= DM_FIELDS_READ;
    h->doCommand(h->context, d, d->definition->secondCommand, nullptr, nullptr);
    d->markFlags &= ~DM_FIELDS_READ;
}

static void Forget(uint8_t *r)
{
    PCFSetState(r, PCFState(r) & ~(PCFS_PRESENT | PCFS_RECEIVED | PCFS_SPECIFIED | PCFS_NAMECHG));
}

/* The message of a one-message dialog: its token and id go, its
 * position becomes 1 (a list keeps its own start). */
void PCFForgetMessage(DialogWords *d, uint8_t *area)
{
    PCFCommandDef *def = d->definition;
    if (def->list)
        return;
    for (PCFFieldEntry *e = def->fields; e && e->field; e++) {
        if (!PCFStoresValue(e))
            continue;
        uint8_t *r = area + e->offset;
        if (e->field->attrId == MYPCFA_MSG_TOKEN || e->field->attrId == MYPCFA_MSGID) {
            PCFSetRecBytes(r, e->field, nullptr, 0);
            Forget(r);
        } else if (e->field->attrId == MYPCFA_POSITION) {
            PCFSetRecInt(r, 1);
            PCFSetState(r, (uint16_t)((PCFState(r) | PCFS_PRESENT | PCFS_SPECIFIED) & ~PCFS_ERROR));
        }
    }
}
