/* Counting a column's values: the distinct values of a numeric column
 * over the rows of the dialog's selected list records (at most 200, the
 * most recent searched first, sorted at the end), and, during a fill,
 * the rows that hold each value of the open pop-up's value controls. */
#include "fltint.h"

/* Attribute ids whose values are never counted. */
static const uint32_t Uncounted[][2] = {
    { 3, 3 }, { 17, 18 }, { 35, 35 }, { 37, 38 }, { 1230, 1230 }, { 1331, 1331 }, { 1514, 1514 },
    { 1529, 1529 }, { 1531, 1532 }, { 1534, 1541 }, { 1608, 1608 }, { 1633, 1634 }, { 10012, 10012 },
    { 10033, 10033 }, { 10035, 10035 }, { 10099, 10102 }, { 10126, 10129 }, { 10137, 10137 },
    { 10146, 10146 }, { 10150, 10154 }, { 10158, 10158 }, { 10169, 10170 }, { 10175, 10175 },
    { 10291, 10294 }, { 39308, 39308 }, { 39325, 39325 }, { 39329, 39330 },
};

int ColFilterCountable(const PCFFieldDef *f)
{
    if (!f)
        return 0;
    for (const auto &r : Uncounted)
        if (f->attrId >= r[0] && f->attrId <= r[1])
            return 0;
    return 1;
}

/* The value record of a column in a row, or null. */
static uint8_t *Record(PCFLISTAREA *area, PCFROW *row, const PCFFieldDef *column)
{
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    uint8_t *rec = (uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; i < area->columns && parts.columns[i].field; i++) {
        if (parts.columns[i].field == column)
            return rec;
        rec = PCFNextValue(rec, parts.columns[i].field);
    }
    return nullptr;
}

/* One value into the values: a hit is counted and moved to the front. */
static void Count(COLVALUES *cv, int32_t v)
{
    for (int i = 0; i < cv->count; i++)
        if (cv->entries[i].value == v) {
            cv->entries[i].count++;
            if (i) {
                COLVALUE t = cv->entries[0];
                cv->entries[0] = cv->entries[i];
                cv->entries[i] = t;
            }
            return;
        }
    if (cv->count >= COLF_VALUES_MAX)
        return;
    COLVALUE *e = &cv->entries[cv->count++];
    memset(e, 0, sizeof *e);
    e->value = v;
    e->count = 1;
}

static void SortValues(COLVALUES *cv)
{
    for (int changed = 1; changed;) {
        changed = 0;
        for (int i = 1; i < cv->count; i++)
            if (cv->entries[i - 1].value > cv->entries[i].value) {
                COLVALUE t = cv->entries[i - 1];
                cv->entries[i - 1] = cv->entries[i];
                cv->entries[i] = t;
                changed = 1;
            }
    }
}

int ColFilterCount(DialogWords *d, COLFILTER *cf, const PCFFieldDef *column, int dropUnused)
{
    if (!cf || !column || !ColFilterCountable(column))
        return 0;
    if (column->type != PCFT_INT && column->type != PCFT_NUMBER && column->type != PCFT_SIGNED &&
        column->type != 31)
        return 0;
    COLVALUES *cv = cf->values;
    if (!cv) {
        cv = (COLVALUES *)CSGetMem(sizeof(COLVALUES), "COLVALUES");
        if (!cv)
            return 0;
        memset(cv, 0, sizeof *cv);
        cv->anyValue = 1;
        cf->values = cv;
    } else {
        int kept = 0;
        for (int i = 0; i < cv->count; i++)
            if (!dropUnused || cv->entries[i].count)
                cv->entries[kept++] = cv->entries[i];
        cv->count = kept;
        for (int i = 0; i < cv->count; i++)
            cv->entries[i].count = 0;
    }
    int anySelected = 0;
    for (PCFLISTREQ *r = d->lists; r; r = r->next)
        anySelected |= (r->flags & PCFLR_SELECTED) != 0;
    PCFLISTREQ *start = d->lists ? d->lists : &d->first;
    for (PCFLISTREQ *r = start; r; r = d->lists ? r->next : nullptr) {
        if (anySelected && !(r->flags & PCFLR_SELECTED))
            continue;
        PCFLISTAREA *area = r->replyArea;
        if (!area)
            continue;
        for (PCFROW *row = PCFFirstRow(area); row; row = PCFNextRow(area, row)) {
            uint8_t *rec = Record(area, row, column);
            if (rec && (FGet16(rec) & PCFS_PRESENT))
                Count(cv, FGet32(rec + PCFLV_INT));
        }
    }
    SortValues(cv);
    return cv->count;
}

/* ---- the open pop-up's controls during a fill -------------------------- */

void ColFilterResetCounts(DialogWords *d)
{
    ColFilterFollowNow(d, CSGetCurrentTime());
    COLFSTATE *st = ColFilterState(d, 0);
    if (!st || !st->controls)
        return;
    for (COLFCTL *c = st->controls; c->layoutRow; c++)
        c->count = 0;
}

void ColFilterCountValue(DialogWords *d, PCFLISTAREA *area, const PCFLISTENTRY *columns, PCFROW *row)
{
    COLFSTATE *st = ColFilterState(d, 0);
    if (!st || !st->open || !st->controls || !area)
        return;
    (void)columns;
    uint8_t *rec = Record(area, row, st->open);
    if (!rec || !(FGet16(rec) & PCFS_PRESENT))
        return;
    int type = st->open->type;
    int32_t v = FGet32(rec + PCFLV_INT);
    for (COLFCTL *c = st->controls; c->layoutRow; c++) {
        if (!c->valueRow)
            continue;
        int32_t want = c->valueRow->value;
        if (type == PCFT_FLAGSET) {
            if (ColFlagHeld(v, want))
                c->count++;
        } else if (type == PCFT_ENUMLIST) {
            int n = FGet16(rec + 2);
            for (int i = 0; i < n; i++)
                if (FGet32(rec + PCFLV_TEXT + 4 * i) == want) {
                    c->count++;
                    break;
                }
        } else if (v == want) {
            c->count++;
        }
    }
}
