/* Difference from the default object definition: each value of an
 * object's data area, or of every row of a list, compared with the
 * location's default object of the same kind (and type), and marked when
 * it differs.  The object's name (and its type) is always marked, so that
 * a view of the differences alone still names the object. */
#include "pcflists.h"
#include "../pcfint.h"

#include "qms.h"

#define AREA_DIFFERS 0x20

/* ---- one data area ---- */

static int StrListsEqual(const PCFSTRLIST *a, const PCFSTRLIST *b, int maximum)
{
    int na = a ? a->count : 0, nb = b ? b->count : 0;
    if (na != nb)
        return 0;
    for (int i = 0; i < na; i++)
        if (memcmp(PCFStrListItem((PCFSTRLIST *)a, maximum, i), PCFStrListItem((PCFSTRLIST *)b, maximum, i),
                   (size_t)maximum) != 0)
            return 0;
    return 1;
}

static int IntListsEqual(const PCFINTLIST *a, const PCFINTLIST *b)
{
    int na = a ? a->count : 0, nb = b ? b->count : 0;
    return na == nb && (!na || memcmp(PCFIntListItems((PCFINTLIST *)a), PCFIntListItems((PCFINTLIST *)b),
                                      4 * (size_t)na) == 0);
}

/* Whether two data-area records of a field hold the same value. */
static int RecordsEqual(const PCFFieldDef *f, uint8_t *a, uint8_t *b)
{
    switch (f->type) {
    case 1: case 2: case 3: case 13: case 14: case 15:
        return PCFRecInt(a) == PCFRecInt(b);
    case 4: case 5: case 25:
        return strcmp(PCFRecText(a), PCFRecText(b)) == 0;
    case 6: case 7:
        return StrListsEqual(PCFRecStrList(a), PCFRecStrList(b), f->maximum);
    case 8: case 9: case 23:
        return PCFRecBytesLength(a) == PCFRecBytesLength(b) &&
               memcmp(PCFRecBytes(a), PCFRecBytes(b), PCFRecBytesLength(a)) == 0;
    case 19: case 22: case 24:
        return IntListsEqual(PCFRecIntList(a), PCFRecIntList(b));
    }
    return 1;
}

static void ClearMarks(const PCFCommandDef *def, uint8_t *area)
{
    for (PCFFieldEntry *e = def->fields; e && e->field; e++)
        if (PCFStoresValue(e))
            PCFSetState(area + e->offset, (uint16_t)(PCFState(area + e->offset) & ~AREA_DIFFERS));
}

int PCFCompareDefault(QMS *location, const PCFCommandDef *def, uint8_t *area, int *nameListed, int *systemName)
{
    *nameListed = *systemName = 0;
    if (!def || !area)
        return 0;
    uint32_t key = PCFNameFieldId(def);
    const DOWNLOADROW *row = FindDownloadEntryById(key);
    uint32_t second = row && row->typeAttr ? (uint32_t)PCFGetIntValue(nullptr, def, area, row->typeAttr, nullptr) : 0;
    const uint8_t *defaults = row ? FindDownloadedObject(location, key, (int32_t)second) : nullptr;
    if (!defaults) {
        ClearMarks(def, area);
        return 0;
    }
    const PCFCommandDef *layout = row->object;
    for (PCFFieldEntry *e = def->fields; e && e->field; e++) {
        if (!PCFStoresValue(e))
            continue;
        const PCFFieldDef *f = e->field;
        uint8_t *mine = area + e->offset;
        PCFFieldEntry *de = layout == def ? e : PCFFindSameField(nullptr, layout->fields, f);
        int differs = de && PCFStoresValue(de) && f->type >= 1 && f->type <= 36 &&
                      !RecordsEqual(f, mine, (uint8_t *)defaults + de->offset);
        if (f->attrId == key && (f->type == 4 || f->type == 5 || f->type == 25)) {
            const char *name = PCFRecText(mine);
            *systemName |= strncmp(name, "SYSTEM.", 7) == 0;
            *nameListed |= FindNameInList(row, name, (int32_t)strlen(name));
        }
        if (f->attrId == key || (row->typeAttr && f->attrId == row->typeAttr))
            differs = 1;
        uint16_t s = PCFState(mine);
        PCFSetState(mine, (uint16_t)(differs ? s | AREA_DIFFERS : s & ~AREA_DIFFERS));
    }
    return 1;
}

/* ---- list rows ---- */

/* The definition whose first action answers the dialog's first action. */
static const PCFCommandDef *ObjectDef(const PCFCommandDef *def)
{
    if (!def->actions || !def->actions->id)
        return nullptr;
    uint32_t code = def->actions->command;
    for (int i = 0; PCFCommandDefs[i]; i++) {
        const PCFCommandDef *c = PCFCommandDefs[i];
        if (!c->menuId && c->actions && c->actions->id && c->actions->command == code &&
            (c->flags & PCFD_SELECTOR) == (def->flags & PCFD_SELECTOR))
            return c;
    }
    return nullptr;
}

/* A row's multi-string (elements by the byte 5) against a default list. */
static int ListTextEqual(const uint8_t *v, const PCFSTRLIST *l, int maximum)
{
    int n = PCFListLength(v);
    const char *text = (const char *)v + PCFLV_TEXT;
    if (!l || !l->count)
        return n == 0;
    int at = 0, total = 0;
    for (int i = 0; i < l->count; i++) {
        const char *item = PCFStrListItem((PCFSTRLIST *)l, maximum, i);
        int len = 0;
        while (len < maximum && item[len] != ' ')
            len++;
        if (i)
            total++;
        total += len;
        if (at + len > n || memcmp(text + at, item, (size_t)len) != 0)
            return 0;
        at += len;
        if (i + 1 < l->count && (at >= n || text[at++] != 5))
            return 0;
    }
    return total == n;
}

/* 1 same, 0 differs, -1 a field missing (the marking stops). */
static int ValueEqual(const PCFFieldDef *f, const uint8_t *v, const PCFCommandDef *layout, uint8_t *defaults)
{
    int present = (PCFState(v) & PCFS_PRESENT) != 0;
    switch (f->type) {
    case 1: case 2: case 3: case 13: case 14: case 15: case 20: case 21: case 24:
        return present && PCFListInt(v) == PCFGetIntValue(nullptr, layout, defaults, f->attrId, nullptr);
    case 4: case 5: case 8: case 9: case 23: case 25: {
        const uint8_t *d = PCFGetStrValue(nullptr, layout, defaults, f->attrId, nullptr);
        if (!d)
            return 1;
        int n = PCFListLength(v);
        if (f->type == 8 || f->type == 23 || f->type == 9) {
            char hex[1024];
            uint32_t len;
            memcpy(&len, d + 4, 4);
            if (f->type == 9)
                return (uint32_t)n == len && memcmp(v + PCFLV_TEXT, d + 8, len) == 0;
            PCFHexText(d + 8, len > 500 ? 500 : len, hex, sizeof hex);
            return (size_t)n == strlen(hex) && memcmp(v + PCFLV_TEXT, hex, (size_t)n) == 0;
        }
        return (size_t)n == strlen((const char *)d) && memcmp(v + PCFLV_TEXT, d, (size_t)n) == 0;
    }
    case 7: {
        const uint8_t *d = PCFGetStrValue(nullptr, layout, defaults, f->attrId, nullptr);
        if (!d)
            return -1;
        PCFSTRLIST *l;
        memcpy(&l, d, sizeof l);
        return ListTextEqual(v, l, f->maximum);
    }
    case 19: case 22: {
        const uint8_t *d = PCFGetStrValue(nullptr, layout, defaults, f->attrId, nullptr);
        if (!d)
            return -1;
        PCFINTLIST *l;
        memcpy(&l, d, sizeof l);
        int n = PCFListLength(v), count = l ? l->count : 0;
        if (!count)
            return n == 0;
        return n == count && memcmp(v + PCFLV_TEXT, PCFIntListItems(l), 4 * (size_t)n) == 0;
    }
    }
    return 1;
}

void PCFDiffFromDefaultCore(DialogWords *d, PCFLISTREQ *r)
{
    const PCFCommandDef *def = d->definition;
    if (!def)
        return;
    if (!def->list) {
        int listed, system;
        PCFCompareDefault(d->first.location, def, d->dataArea, &listed, &system);
        return;
    }
    PCFLISTAREA *area = r ? PCFCurrentArea(r) : nullptr;
    const PCFCommandDef *objDef = ObjectDef(def);
    const DOWNLOADROW *row = objDef ? (const DOWNLOADROW *)GetDownloadEntry(objDef) : nullptr;
    if (!area || !row)
        return;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    uint32_t k = 0;
    for (PCFROW *x = PCFFirstRow(area); x && k < area->rows; x = PCFNextRow(area, x), k++) {
        uint32_t type = 0;
        if (row->typeAttr) {
            uint8_t *t = FindItemAttr(area, row->typeAttr, x);
            type = t && (PCFState(t) & PCFS_PRESENT) ? (uint32_t)PCFListInt(t) : 0;
        }
        const uint8_t *defaults = FindDownloadedObject(r->location, row->nameAttr, (int32_t)type);
        uint8_t *v = (uint8_t *)x + PCFLA_ROWHEADER;
        for (int i = 0; parts.columns[i].field; i++) {
            const PCFFieldDef *f = parts.columns[i].field;
            int same = defaults ? ValueEqual(f, v, row->object, (uint8_t *)defaults) : 0;
            if (same < 0)
                return;
            int mark = !same || f->attrId == row->nameAttr || (row->typeAttr && f->attrId == row->typeAttr);
            uint16_t s = PCFState(v);
            PCFSetState(v, (uint16_t)(mark ? s | PCFV_DIFFERS : s & ~PCFV_DIFFERS));
            v = PCFNextValue(v, f);
        }
    }
}
