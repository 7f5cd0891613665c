/* Lookups in the command definitions: field entries by attribute id,
 * values of a data area, action rows, value rows and definitions by
 * title, command code or object type. */
#include "pcfint.h"
#include "lists/pcflists.h"

#include <cctype>

#include "mq/capability.h"
#include "cs.h"

int PCFEntryCaps(const uint8_t *caps, const PCFFieldEntry *entry)
{
    if (!caps)
        return 1;
    return CapTest(nullptr, caps, entry) && CapTest(nullptr, caps, entry->field);
}

PCFFieldEntry *PCFFindEntry(const uint8_t *caps, PCFFieldEntry *fields, uint32_t attrId)
{
    for (PCFFieldEntry *e = fields; e && e->field; e++)
        if (e->field->attrId == attrId && e->field->type != PCFT_HEADING && PCFEntryCaps(caps, e))
            return e;
    return nullptr;
}

PCFFieldEntry *PCFFindField(DialogWords *dialog, const uint8_t *caps, PCFFieldEntry *fields,
                            uint32_t attrId)
{
    for (PCFFieldEntry *e = fields; e && e->field; e++) {
        if (e->field->attrId != attrId || e->field->type == PCFT_HEADING ||
            !PCFEntryCaps(caps, e))
            continue;
        if (dialog && (e->flags & PCFE_IFCONDITION)) {
            if (!e->conditions ||
                !PCFFieldApplies(caps, dialog->stateFlags, dialog->definition, nullptr, nullptr,
                                 dialog->dataArea, nullptr, e->conditions, nullptr))
                continue;
        }
        return e;
    }
    return nullptr;
}

PCFFieldEntry *PCFFindSameField(const uint8_t *caps, PCFFieldEntry *fields, const PCFFieldDef *field)
{
    return field ? PCFFindEntry(caps, fields, field->attrId) : nullptr;
}

PCFFieldEntry *PCFFindNameField(PCFFieldEntry *fields)
{
    for (PCFFieldEntry *e = fields; e && e->field; e++)
        if (e->field->type == PCFT_NAME)
            return e;
    for (PCFFieldEntry *e = fields; e && e->field; e++)
        if (e->flags & PCFE_NAMEFIELD)
            return e;
    return nullptr;
}

uint32_t PCFNameFieldId(const PCFCommandDef *def)
{
    for (const PCFFieldEntry *e = def ? def->fields : nullptr; e && e->field; e++)
        if (e->field->type == PCFT_NAME)
            return e->field->attrId;
    return 0;
}

const char *PCFGetObjectName(DialogWords *dialog)
{
    if (!dialog || !dialog->definition || !dialog->dataArea)
        return nullptr;
    PCFFieldEntry *e = PCFFindNameField(dialog->definition->fields);
    if (!e || !PCFStoresValue(e) || !PCFIsTextType(e->field->type))
        return nullptr;
    uint8_t *r = dialog->dataArea + e->offset;
    return (PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED)) ? PCFRecText(r) : nullptr;
}

int32_t PCFGetIntValue(const uint8_t *caps, const PCFCommandDef *def, const uint8_t *area,
                       uint32_t attrId, uint16_t *state)
{
    if (state)
        *state = 0;
    PCFFieldEntry *e = def && area ? PCFFindEntry(caps, def->fields, attrId) : nullptr;
    if (!e || !PCFStoresValue(e))
        return 0;
    if (state)
        *state = PCFState(area + e->offset) & 3;
    return PCFIsIntType(e->field->type) ? PCFRecInt(area + e->offset) : 0;
}

uint8_t *PCFGetStrValue(const uint8_t *caps, const PCFCommandDef *def, uint8_t *area,
                        uint32_t attrId, uint16_t *state)
{
    if (state)
        *state = 0;
    PCFFieldEntry *e = def && area ? PCFFindEntry(caps, def->fields, attrId) : nullptr;
    if (!e || !PCFStoresValue(e))
        return nullptr;
    if (state)
        *state = PCFState(area + e->offset) & 3;
    return area + e->offset + REC_VALUE;
}

const char *PCFGetValueText(DialogWords *dialog, uint32_t attrId, char *buffer, int size)
{
    if (!dialog || !dialog->definition || !dialog->dataArea)
        return nullptr;
    PCFFieldEntry *e = PCFFindField(dialog, PCFDialogCaps(dialog), dialog->definition->fields, attrId);
    if (!e || !PCFStoresValue(e))
        return nullptr;
    return PCFValueText(dialog->dataArea, e, dialog->listIndex < 0 ? 0 : dialog->listIndex,
                        buffer, size, 1);
}

const PCFActionDef *PCFFindActionDef(const PCFActionDef *table, uint32_t id)
{
    for (const PCFActionDef *a = table; a && a->id; a++)
        if (a->id == id)
            return a;
    return nullptr;
}

const PCFActionDef *PCFFindActionFlags(const PCFActionDef *table, uint32_t flags, uint32_t flags2)
{
    for (const PCFActionDef *a = table; a && a->id; a++)
        if ((a->flags & flags) == flags && (a->flags2 & flags2) == flags2)
            return a;
    return nullptr;
}

const PCFValueDef *PCFFindValue(const PCFValueDef *table, int32_t value)
{
    for (const PCFValueDef *v = table; v && v->name && *v->name; v++)
        if (v->value == value)
            return v;
    return nullptr;
}

static int SameNoCase(const char *a, const char *b)
{
    if (!a || !b)
        return 0;
    for (; *a && *b; a++, b++)
        if (toupper((unsigned char)*a) != toupper((unsigned char)*b))
            return 0;
    return *a == *b;
}

const PCFValueDef *PCFFindValueByName(const uint8_t *caps, const PCFValueDef *table, const char *text)
{
    if (!table || !text)
        return nullptr;
    if (*text == '<')
        return table->name && *table->name ? table : nullptr;
    for (const PCFValueDef *v = table; v->name && *v->name; v++) {
        const char *kw = v->keyword && *v->keyword == '!' ? v->keyword + 1 : v->keyword;
        if ((SameNoCase(v->name, text) || SameNoCase(kw, text)) && CapTest(nullptr, caps, v))
            return v;
    }
    return nullptr;
}

PCFCommandDef *PCFFindCommandByName(const char *title, int both)
{
    PCFInitCommandDefs();
    for (PCFCommandDef *const *d = PCFCommandDefs; *d; d++)
        if (!strcmp((*d)->title, title))
            return *d;
    if (both)
        for (PCFCommandDef *const *d = PCFInternalDefs; *d; d++)
            if (!strcmp((*d)->title, title))
                return *d;
    return nullptr;
}

static int HasCommand(const PCFCommandDef *def, uint32_t code, int firstOnly)
{
    for (const PCFActionDef *a = def->actions; a && a->id; a++) {
        if (a->command == code)
            return 1;
        if (firstOnly)
            break;
    }
    return 0;
}

PCFCommandDef *PCFFindCommandByCode(const PCFCommandDef *dialogDef, uint32_t code, int firstOnly,
                                    int listOnly)
{
    PCFInitCommandDefs();
    int selector = dialogDef && (dialogDef->flags & PCFD_SELECTOR);
    PCFCommandDef *const *tables[] = { PCFCommandDefs, PCFInternalDefs };
    for (PCFCommandDef *const *t : tables)
        for (PCFCommandDef *const *d = t; *d; d++) {
            const PCFCommandDef *c = *d;
            if ((c->flags & PCFD_NOTBYCODE) || (listOnly && !c->list))
                continue;
            if (selector && !(c->flags & PCFD_SELECTOR))
                continue;
            if (HasCommand(c, code, firstOnly))
                return *d;
        }
    return nullptr;
}

PCFCommandDef *PCFFindSelectorDef(const PCFCommandDef *dialogDef, uint32_t objectType)
{
    PCFInitCommandDefs();
    uint32_t selector = dialogDef ? (dialogDef->flags & PCFD_SELECTOR) : 0;
    for (PCFCommandDef *const *d = PCFCommandDefs; *d; d++) {
        const PCFCommandDef *c = *d;
        if (c->menuId || (c->flags & PCFD_SELECTOR) != selector)
            continue;
        if (c->actions && c->actions->id && c->actions->command == objectType)
            return *d;
    }
    return nullptr;
}

const char *PCFParmText(DialogWords *dialog, PCFROW *row, const PCFFieldDef *field, uint32_t attrId,
                        int *length)
{
    *length = 0;
    if (!dialog || !dialog->definition)
        return nullptr;
    if (dialog->definition->detail) {
        PCFLISTAREA *area = row ? PCFRowArea(dialog, row) : nullptr;
        if (!row || !area)
            return nullptr;
        PCFLISTPARTS parts;
        PCFListAreaPointers(area, &parts);
        uint8_t *value;
        const PCFFieldDef *f = PCFFindParm(parts.columns, row, attrId, &value, nullptr, nullptr);
        if (!f || !(PCFState(value) & PCFS_PRESENT) || f->type == PCFT_ENUMLIST ||
            f->type == PCFT_INTLIST || PCFEmptyValueLength(f->type) != PCFLV_TEXT)
            return nullptr;
        *length = PCFListLength(value);
        return (const char *)value + PCFLV_TEXT;
    }
    (void)field;
    PCFFieldEntry *e = PCFFindEntry(PCFDialogCaps(dialog), dialog->definition->fields, attrId);
    if (!e || !PCFStoresValue(e) || !PCFIsTextType(e->field->type) || !dialog->dataArea)
        return nullptr;
    uint8_t *r = dialog->dataArea + e->offset;
    if (!(PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED)))
        return nullptr;
    *length = (int)strlen(PCFRecText(r));
    return PCFRecText(r);
}
