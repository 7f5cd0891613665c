/* Stand-in for the list rows' selection and command builders until they
 * exist: a row is selected when its flags have ROW_SELECTED, rows count
 * across the dialog's list areas in chain order, and a command for a row
 * (or for every selected row) carries the row's values of the target's
 * parameters.  The real pieces replace this file. */
#include "cmdint.h"

#include "cs.h"

/* Calls fn for each row of the dialog's lists with its index; stops when
 * fn returns non-zero. */
template <class Fn> static void EachRow(DialogWords *d, Fn fn)
{
    int32_t index = 0;
    for (PCFLISTREQ *r = d->lists ? d->lists : &d->first; r; r = d->lists ? r->next : nullptr)
        for (PCFROW *row = PCFFirstRow(r->replyArea); row; row = PCFNextRow(r->replyArea, row), index++)
            if (fn(row, index))
                return;
}

int32_t NextSelectedIndex(DialogWords *d, int32_t previous, PCFROW **found)
{
    int32_t next = -1;
    *found = nullptr;
    EachRow(d, [&](PCFROW *row, int32_t index) {
        if (index <= previous || !(row->flags & ROW_SELECTED))
            return 0;
        next = index;
        *found = row;
        return 1;
    });
    return next;
}

int32_t SelectedRowCount(DialogWords *d)
{
    int32_t n = 0;
    EachRow(d, [&](PCFROW *row, int32_t) {
        n += (row->flags & ROW_SELECTED) != 0;
        return 0;
    });
    return n;
}

/* Whether the target's entry is a parameter of the command. */
static int Takes(const PCFCommandDef *def, const uint8_t *caps, const PCFFieldEntry *e, uint32_t command)
{
    if (!CapTest(def, caps, e) || !CapTest(def, caps, e->field))
        return 0;
    for (const PCFCommandUse *u = e->field->uses; u && u->command; u++)
        if (u->command == command)
            return 1;
    return 0;
}

int PCFRowCommand(DialogWords *d, QMS **location, SELECTIONINFO *, const PCFCommandDef *target,
                  const PCFActionDef *a, int32_t *cursor, void *buffer, int32_t size, uint32_t *length, char *name)
{
    PCFROW *row;
    int32_t next = NextSelectedIndex(d, *cursor, &row);
    if (next < 0) {
        *cursor = -2;
        return 0;
    }
    *cursor = next;
    if (!row->request || !row->request->location)
        return 1;
    *location = row->request->location;
    MQPP pp;
    MQLONG cc, rc;
    void *area = buffer;
    PCFInitArea(&pp, &area, 0, size, 0, (int32_t)a->command, &cc, &rc);
    if (cc)
        return rc;
    int named = 0;
    for (const PCFFieldEntry *e = target->fields; e && e->field; e++) {
        const PCFFieldDef *f = e->field;
        char text[500];
        int32_t value = 0;
        if (!Takes(target, (*location)->caps, e, a->command) || !CmdRowValue(row, f->attrId, text, sizeof text, &value))
            continue;
        if (PCFEmptyValueLength(f->type) == 14) {
            PCFAddParm(&pp, MQCFT_INTEGER, (int32_t)f->attrId, &value, 4, 1, &cc, &rc);
        } else if (f->type == PCFT_STRING || f->type == PCFT_NAME || f->type == PCFT_STRING25) {
            if (!text[0] && (e->flags & 0x8))
                continue;
            PCFAddParm(&pp, MQCFT_STRING, (int32_t)f->attrId, text, -1, 1, &cc, &rc);
            if (f->type == PCFT_NAME && !named++)
                snprintf(name, 500, "%s", text);
        }
        if (cc)
            return rc;
    }
    *length = (uint32_t)pp.position;
    return 0;
}

int BuildSelectionList(DialogWords *d, const PCFCommandDef *target, const PCFActionDef *a, void *buffer,
                       int32_t size, uint32_t *length, char *)
{
    MQPP pp;
    MQLONG cc, rc;
    void *area = buffer;
    PCFInitArea(&pp, &area, 0, size, 0, (int32_t)a->command, &cc, &rc);
    if (cc)
        return rc;
    int32_t n = SelectedRowCount(d);
    for (const PCFFieldEntry *e = target->fields; e && e->field && n; e++) {
        const PCFFieldDef *f = e->field;
        if (!Takes(target, PCFDialogCaps(d), e, a->command))
            continue;
        int ints = PCFEmptyValueLength(f->type) == 14;
        int32_t width = f->maximum > 0 && f->maximum < 256 ? f->maximum : 48;
        uint8_t *out = (uint8_t *)PCFAddParm(&pp, ints ? MQCFT_INTEGER_LIST : MQCFT_STRING_LIST, (int32_t)f->attrId,
                                             nullptr, ints ? 4 * n : width * n, n, &cc, &rc);
        if (cc)
            return rc;
        int32_t i = 0;
        PCFROW *row;
        for (int32_t at = NextSelectedIndex(d, -1, &row); at >= 0 && i < n; at = NextSelectedIndex(d, at, &row), i++) {
            char text[300] = "";
            int32_t value = 0;
            CmdRowValue(row, f->attrId, text, sizeof text, &value);
            if (ints) {
                memcpy(out + 4 * i, &value, 4);
            } else {
                memset(out + (size_t)i * width, ' ', (size_t)width);
                memcpy(out + (size_t)i * width, text, strnlen(text, (size_t)width));
            }
        }
    }
    int32_t qualifier = (int32_t)PutContextFlags(d, a);
    PCFAddParm(&pp, MQCFT_INTEGER, MYPCFA_DIALOG_QUALIFIER, &qualifier, 4, 1, &cc, &rc);
    if (cc)
        return rc;
    *length = (uint32_t)pp.position;
    return 0;
}
