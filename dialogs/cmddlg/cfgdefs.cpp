/* The command definitions as the saved dialogs and the profile's column
 * lists see them (cfgdefs.h): the dialogs library's two definition
 * tables, their field lists and their column lists. */
#include "cfgdefs.h"
#include "dialogs.h"
#include "cs.h"

static const PCFCommandDef *D(const void *def)
{
    return (const PCFCommandDef *)def;
}

const void *DefFindCommand(const char *title)
{
    return PCFFindCommandByName(title, 1);
}

const char *DefTitle(const void *def) { return D(def)->title; }
uint32_t DefFlags(const void *def) { return D(def)->flags; }
int32_t DefFieldAttribute(const PCFFieldDef *field) { return (int32_t)field->attrId; }
uint32_t DefFieldType(const PCFFieldDef *field) { return (uint32_t)field->type; }

const PCFFieldDef *DefFindField(const void *def, int32_t attribute, const uint8_t *caps)
{
    const PCFCommandDef *d = D(def);
    PCFFieldEntry *fields = d->list && d->detail ? d->detail : d->fields;
    PCFFieldEntry *e = PCFFindField(nullptr, caps, fields, (uint32_t)attribute);
    return e ? e->field : nullptr;
}

const DLGCOLUMN *DefDefaultColumns(const void *def)
{
    return D(def)->list ? D(def)->list->defaults : nullptr;
}

const DLGCOLUMN *DefCurrentColumns(const void *def)
{
    return D(def)->list ? D(def)->list->current : nullptr;
}

void DefSetColumns(const void *def, DLGCOLUMN *columns)
{
    /* the list records are the definitions' own, made to be changed */
    PCFListDef *l = (PCFListDef *)D(def)->list;
    if (!l) {
        if (columns)
            CSFreeMem(columns);
        return;
    }
    if (l->current != l->defaults && l->current != columns)
        CSFreeMem(l->current);
    l->current = columns ? columns : l->defaults;
}

const void *DefAt(int list, int index)
{
    PCFCommandDef *const *table = list == 0 ? PCFCommandDefs : list == 1 ? PCFInternalDefs : nullptr;
    if (!table || index < 0)
        return nullptr;
    PCFInitCommandDefs();
    for (int i = 0; i < index; i++)
        if (!table[i])
            return nullptr;
    return table[index];
}
