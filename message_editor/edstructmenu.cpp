/* The contents of the context menu's structure sub-menus: "<AMP>" offers
 * the headers and structures that may be added before or after the
 * structure at the cursor (cascades walked from StructMenuTable, each row
 * passed through a filter of its flags and the cursor's context) and the
 * list elements; "<RMP>" offers the removal of the structure or element. */
#include "edstruct.h"
#include "eddialog.h"
#include <cstdio>
#include <cstring>

enum Filter { HEADER_BEFORE, HEADER_AFTER, STRUCTURE_BEFORE, STRUCTURE_AFTER };

static void Add(StructMenu *m, int kind, int id, const char *text)
{
    if (m->count < sizeof m->items / sizeof m->items[0])
        m->items[m->count++] = StructMenuItem{ id, text, (uint8_t)kind };
}

static uint32_t NodeRowFlags(const StructContext *c, int i)
{
    const StructNode *n = StructNodeAt(c, i);
    return n && n->row >= 0 ? StructMenuTable[n->row].flags : 0;
}

/* A PCF header or group counts a parameter added before (after) the
 * current structure. */
static int Counted(const StructContext *c, int after)
{
    const StructNode *n = StructNodeAt(c, c->current);
    if (!n || c->current < 0)
        return 0;
    if (after && (n->def->kind & (SK_PCF_HEADER | SK_PCF_GROUP)))
        return 1;
    return n->hasPcf;
}

static int Accepts(const StructContext *c, Filter filter, int row)
{
    uint32_t r = StructMenuTable[row].flags, f = c->flags;
    if ((r & SMR_NEVER) || !StructRowDef(row))
        return 0;
    switch (filter) {
    case HEADER_BEFORE:
        if (!(r & SMR_HEADER) || (f & SC_XML_SECTION) || ((f & SC_HEADER) && !(r & SMR_CHAINS)))
            return 0;
        /* the PCF header inside an MQEPH is part of it, not a link of the chain */
        if (c->current >= 0 && c->nodes[c->current].eph)
            return 0;
        return (f & SC_PREVIOUS_HEADER) ? (NodeRowFlags(c, c->previous) & SMR_CHAINS) != 0 : !(f & SC_PCF_PARM);
    case HEADER_AFTER:
        return (r & SMR_HEADER) && !(f & SC_PCF_PARM) &&
               (c->current < 0 || (NodeRowFlags(c, c->current) & SMR_CHAINS));
    case STRUCTURE_BEFORE:
        if ((r & SMR_HEADER) || ((r & SMR_PCF_PARM) && !(Counted(c, 0) && (f & SC_PCF_PARM))))
            return 0;
        return !(r & SMR_XML_SECTION) || (f & SC_XML_SECTION);
    case STRUCTURE_AFTER:
        if ((r & SMR_HEADER) || ((r & SMR_PCF_PARM) && !((f & SC_PCF_HEADER) || (Counted(c, 1) && (f & SC_PCF_PARM)))))
            return 0;
        return !(r & SMR_XML_SECTION) || (f & (SC_RFH2 | SC_XML_SECTION));
    }
    return 0;
}

/* Rows from *row up to the end of their level, as items of one cascade;
 * the number of items (pop-ups included) it holds. */
static int Level(StructMenu *m, const StructContext *c, Filter filter, int base, int *row)
{
    int added = 0, separator = 0;
    for (; StructMenuTable[*row].item || StructMenuTable[*row].flags; (*row)++) {
        const StructMenuRow *r = &StructMenuTable[*row];
        if (r->flags & SMR_POPUP_END)
            return added;
        if (r->flags & SMR_SEPARATOR) {
            separator = added > 0;
            continue;
        }
        if (r->flags & SMR_POPUP) {
            uint32_t mark = m->count;
            if (separator)
                Add(m, SMI_SEPARATOR, 0, nullptr);
            Add(m, SMI_POPUP, 0, (const char *)r->item);
            (*row)++;
            if (Level(m, c, filter, base, row)) {
                Add(m, SMI_POPUP_END, 0, nullptr);
                added++;
                separator = 0;
            } else {
                m->count = mark;
            }
            continue;
        }
        if (!Accepts(c, filter, *row))
            continue;
        if (separator)
            Add(m, SMI_SEPARATOR, 0, nullptr);
        separator = 0;
        Add(m, SMI_ITEM, base + *row, StructRowTitle(*row));
        added++;
    }
    return added;
}

static void Cascade(StructMenu *m, const StructContext *c, Filter filter, int base, const char *title)
{
    uint32_t mark = m->count;
    Add(m, SMI_POPUP, 0, title);
    int row = 0;
    if (Level(m, c, filter, base, &row))
        Add(m, SMI_POPUP_END, 0, nullptr);
    else
        m->count = mark;
}

/* The context is located when the caller has not. */
static int Ready(DialogWords *d, StructContext *c, StructMenu *m)
{
    memset(m, 0, sizeof *m);
    if (!c->located)
        StructLocate(c, d);
    PCFDATA *ed = d ? d->editor : nullptr;
    return ed && ed->dataSlot && ed->cursor.buffer != &ed->descriptor;
}

int StructBuildAddMenu(DialogWords *d, StructContext *c, StructMenu *m)
{
    if (!Ready(d, c, m))
        return 0;
    const StructNode *n = StructNodeAt(c, c->current);
    if (!n || c->current < 0 || n->row < 0) {
        Cascade(m, c, HEADER_BEFORE, SM_BEFORE, "Add Message Header");
        Cascade(m, c, STRUCTURE_BEFORE, SM_BEFORE, "Add Message Structure");
    } else {
        Cascade(m, c, HEADER_BEFORE, SM_BEFORE, "Add Message Header Before");
        Cascade(m, c, HEADER_AFTER, SM_AFTER, "Add Message Header After");
        Cascade(m, c, STRUCTURE_BEFORE, SM_BEFORE, "Add Message Structure Before");
        Cascade(m, c, STRUCTURE_AFTER, SM_AFTER, "Add Message Structure After");
    }
    int index;
    if (StructArrayIndex(c, &index)) {
        if (index >= 0) {
            Add(m, SMI_ITEM, SM_ELEMENT_BEFORE, "Add array element before");
            Add(m, SMI_ITEM, SM_ELEMENT_AFTER, "Add array element after");
        } else {
            Add(m, SMI_ITEM, SM_ELEMENT_AFTER, "Add array element");
        }
    }
    m->enabled = m->count > 0;
    return m->enabled;
}

int StructBuildRemoveMenu(DialogWords *d, StructContext *c, StructMenu *m)
{
    if (!Ready(d, c, m))
        return 0;
    const StructNode *n = StructNodeAt(c, c->current);
    if (n && c->current >= 0 && n->row >= 0 && !StructHoldsParameters(n)) {
        snprintf(m->remove, sizeof m->remove, "Remove Structure '%s'", StructRowTitle(n->row));
        Add(m, SMI_ITEM, SM_REMOVE, m->remove);
    }
    int index;
    if (StructArrayIndex(c, &index) && index >= 0)
        Add(m, SMI_ITEM, SM_ELEMENT_REMOVE, "Remove array element");
    m->enabled = m->count > 0;
    return m->enabled;
}
