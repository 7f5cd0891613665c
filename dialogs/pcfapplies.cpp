/* Whether a field, column or action applies (its condition rows against
 * a data area or a list row), and whether the authorities of a location
 * allow a command. */
#include "pcfint.h"

#include "mq/capability.h"
#include "autdata.h"
#include "locstore.h"

/* ---- conditions ---- */

struct GroupState {
    int matched;
    int anyOf;
};

/* 1 when a flag-set record (attached list) has an element holding bits. */
static int FlagSetHas(const uint8_t *record, uint32_t bits)
{
    const PCFINTLIST *l = PCFRecIntList(record);
    for (int i = 0; l && i < l->count; i++)
        if (((uint32_t)PCFIntListItems((PCFINTLIST *)l)[i] & bits) == bits)
            return 1;
    return 0;
}

/* One row against a data area: 1 match, 0 no match, -1 the test fails,
 * 2 the row is skipped. */
static int RowInArea(const uint8_t *caps, const PCFCommandDef *def, const uint8_t *area,
                     const PCFDependency *c)
{
    PCFFieldEntry *e = def ? PCFFindEntry(caps, def->fields, c->attrId) : nullptr;
    if (!e || !PCFStoresValue(e))
        return (c->flags & PCFC_OPTIONAL) ? 2 : -1;
    const uint8_t *r = area ? area + e->offset : nullptr;
    uint16_t st = r ? PCFState(r) : 0;
    if (c->flags & PCFC_SPECIFIED)
        return (st & PCFS_SPECIFIED) != 0;
    if (!(st & (PCFS_PRESENT | PCFS_RECEIVED)))
        return -1;
    if (e->field->type == PCFT_FLAGSET)
        return FlagSetHas(r, c->value);
    return PCFIsIntType(e->field->type) && (uint32_t)PCFRecInt(r) == c->value;
}

/* One row against a list row: a missing column applies. */
static int RowInList(PCFLISTAREA *list, PCFROW *row, const PCFDependency *c)
{
    PCFLISTPARTS parts;
    PCFListAreaPointers(list, &parts);
    uint8_t *value;
    const PCFFieldDef *f = PCFFindParm(parts.columns, row, c->attrId, &value, nullptr, nullptr);
    if (!f)
        return 1;
    return (uint32_t)PCFListInt(value) == c->value;
}

int PCFFieldApplies(const uint8_t *caps, uint32_t dialogFlags, const PCFCommandDef *def,
                    PCFLISTAREA *listArea, PCFROW *row, const uint8_t *area,
                    const PCFFieldEntry *entry, const PCFDependency *conditions,
                    uint32_t *resultFlags)
{
    if (entry) {
        if ((entry->flags & PCFE_MULTIONLY) && !(dialogFlags & DF_MULTI_NAME))
            return 0;
        if ((entry->flags & PCFE_NOTMULTI) && (dialogFlags & DF_MULTI_NAME))
            return 0;
        if (!(entry->flags & PCFE_NOFIELDCAPS) && entry->field && !CapTest(nullptr, caps, entry->field))
            return 0;
        conditions = entry->conditions;
    }
    if (!conditions || !conditions->attrId)
        return 1;
    int orGroups = 0, andGroups = 0;
    for (const PCFDependency *c = conditions; c->attrId;) {
        uint32_t id = c->attrId;
        GroupState g = { 0, 0 };
        int tested = 0;
        for (; c->attrId == id; c++) {
            int m = listArea && row ? RowInList(listArea, row, c) : RowInArea(caps, def, area, c);
            if (m < 0)
                return 0;
            if (m == 2)
                continue;
            tested = 1;
            g.anyOf |= (c->flags & PCFC_ANYOF) != 0;
            if (m == 1) {
                g.matched = 1;
                if (resultFlags)
                    *resultFlags |= c->flags;
            }
        }
        if (!tested)
            continue;
        if (g.anyOf) {
            if (g.matched)
                return 1;
            orGroups++;
        } else if (!g.matched) {
            return 0;
        } else {
            andGroups++;
        }
    }
    /* the AND groups all matched; OR groups alone must have matched */
    return andGroups || !orGroups;
}

/* ---- authorities of commands ---- */

struct MaskRow {
    uint32_t first, last;
    uint64_t mask;
};

static const MaskRow CommandMasks[] = {
    { 0, 0, 0 }, { 10018, 10025, 0 },
    { 10001, 10002, 0x1 }, { 10004, 10004, 0x1 }, { 10010, 10010, 0x1 },
    { 10046, 10047, 0x1 }, { 10007, 10007, 0x2 }, { 10009, 10009, 0x9 },
    { 10008, 10008, 0x10 }, { 10048, 10049, 0x10 }, { 83, 83, 0x100 }, { 79, 79, 0x200 },
    { 81, 81, 0x400 }, { 82, 82, 0x900 }, { 174, 174, 0x10000 }, { 176, 176, 0x10000 },
    { 182, 183, 0x10000 }, { 10026, 10027, 0x10000 }, { 170, 170, 0x20000 },
    { 64, 65, 0x40000 }, { 172, 172, 0x40000 }, { 177, 178, 0x40000 },
    { 61, 62, 0x90000 }, { 173, 173, 0x90000 }, { 179, 179, 0x90000 },
    { 191, 191, 0x100000 }, { 192, 192, 0x300000 }, { 190, 190, 0x500000 },
    { 194, 194, 0x900000 }, { 204, 204, 0x1000000 }, { 203, 203, 0x3000000 },
    { 10304, 10304, 0x3000000 }, { 10005, 10005, 0x300000000ull },
    { 13, 13, 0x1000000000ull }, { 8, 8, 0x3000000000ull }, { 11, 11, 0x5000000000ull },
    { 12, 12, 0x9000000000ull }, { 41, 41, 0x10000000000ull }, { 17, 17, 0x20000000000ull },
    { 9, 9, 0x40000000000ull }, { 70, 70, 0x80000000000ull }, { 36, 36, 0x100000000000ull },
    { 32, 32, 0x300000000000ull }, { 34, 34, 0x500000000000ull }, { 35, 35, 0x900000000000ull },
    { 25, 25, 0x1000000000000ull }, { 42, 42, 0x1000000000000ull },
    { 21, 21, 0x3000000000000ull }, { 23, 23, 0x5000000000000ull },
    { 24, 24, 0x9000000000000ull }, { 27, 27, 0x10000000000000ull },
    { 39, 39, 0x10000000000000ull }, { 28, 28, 0x20000000000000ull },
    { 29, 29, 0x40000000000000ull }, { 26, 26, 0x80000000000000ull },
    { 7, 7, 0x100000000000000ull }, { 3, 3, 0x300000000000000ull },
    { 5, 5, 0x500000000000000ull }, { 6, 6, 0x900000000000000ull },
    { 2, 2, 0x1000000000000000ull }, { 85, 85, 0x1000000000000000ull },
    { 97, 98, 0x1000000000000000ull }, { 115, 115, 0x1000000000000000ull },
    { 122, 122, 0x1000000000000000ull }, { 153, 154, 0x1000000000000000ull },
    { 161, 161, 0x1000000000000000ull }, { 186, 186, 0x1000000000000000ull },
    { 199, 199, 0x1000000000000000ull }, { 10200, 10200, 0x1000000000000000ull },
    { 1, 1, 0x3000000000000000ull },
    { 31, 31, 0x5000000000000000ull }, { 71, 74, 0x5000000000000000ull },
    { 86, 87, 0x5000000000000000ull }, { 89, 90, 0x5000000000000000ull },
    { 93, 93, 0x5000000000000000ull }, { 95, 96, 0x5000000000000000ull },
    { 101, 102, 0x5000000000000000ull }, { 108, 109, 0x5000000000000000ull },
    { 112, 113, 0x5000000000000000ull }, { 142, 142, 0x5000000000000000ull },
    { 149, 149, 0x5000000000000000ull }, { 151, 152, 0x5000000000000000ull },
    { 155, 156, 0x5000000000000000ull }, { 187, 188, 0x5000000000000000ull },
    { 197, 198, 0x5000000000000000ull }, { 10011, 10017, 0x5000000000000000ull },
    { 10029, 10040, 0x5000000000000000ull }, { 10043, 10043, 0x5000000000000000ull },
    { 10045, 10045, 0x5000000000000000ull }, { 10201, 10201, 0x5000000000000000ull },
    { 10203, 10207, 0x5000000000000000ull }, { 10241, 10243, 0x5000000000000000ull },
    { 10006, 10006, 0x8000000000000000ull },
};

uint64_t PCFCommandMask(uint32_t command, int *known)
{
    for (const MaskRow &m : CommandMasks)
        if (command >= m.first && command <= m.last) {
            *known = 1;
            return m.mask;
        }
    *known = 0;
    return 0;
}

int PCFCommandAllowed(DialogWords *dialog, const PCFActionDef *action)
{
    QMS *location = dialog ? dialog->first.location : nullptr;
    uint64_t mask = location ? location->authMask : AutGlobalMask;
    if (mask == ~0ull)
        return 1;
    int known;
    uint64_t required = PCFCommandMask(action ? action->command : 0, &known);
    return known && LocMaskMatch(mask, required);
}
