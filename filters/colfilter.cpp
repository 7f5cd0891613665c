/* Column filters: the records chained from a dialog, made when a column
 * is first opened, and the row test every list fill applies: each
 * enabled record judges its column's value by the column's field type. */
#include "fltint.h"

#include <initializer_list>

#include "mq/capability.h"

int ColFilterPending;

COLFSTATE *ColFilterState(DialogWords *d, int create)
{
    if (!d)
        return nullptr;
    if (!d->columnFilters && create) {
        COLFSTATE *st = (COLFSTATE *)CSGetMem(sizeof(COLFSTATE), "COLFSTATE");
        if (!st)
            return nullptr;
        memset(st, 0, sizeof *st);
        d->columnFilters = st;
    }
    return d->columnFilters;
}

int ColFilterable(const PCFFieldDef *f)
{
    if (!f)
        return 0;
    switch (f->type) {
    case 1: case 2: case 3: case 4: case 5: case 8: case 9: case 15: case 19: case 24: case 25: case 36:
        return 1;
    }
    return 0;
}

static int Enumerated(int type)
{
    return type == PCFT_ENUM || type == PCFT_ENUMNUM || type == PCFT_ENUMLIST || type == PCFT_FLAGSET;
}

static int TableRows(const PCFValueDef *v)
{
    int n = 0;
    while (v && v[n].name && v[n].name[0])
        n++;
    return n;
}

int ColFilterSetText(COLFILTER *cf, const char *text, int length)
{
    if (length < 0)
        length = text ? (int)strlen(text) : 0;
    char *copy = (char *)CSGetMem((size_t)length + 1, "COLFTEXT");
    if (!copy)
        return 0;
    if (length)
        memcpy(copy, text, (size_t)length);
    copy[length] = 0;
    CSFreeMemAndClear(&cf->text);
    cf->text = copy;
    cf->textLength = (uint32_t)length;
    return 1;
}

void ColFilterSetSelected(COLFILTER *cf, const PCFValueDef *const *rows, int count)
{
    int n = 0;
    for (int i = 0; i < count && n < cf->valueRows; i++)
        cf->selected[n++] = rows[i];
    cf->selectedCount = n;
}

int ColFlagHeld(int32_t value, int32_t flag)
{
    return flag ? (value & flag) != 0 : value == 0;
}

int ColFilterIsSelected(const COLFILTER *cf, const PCFValueDef *row)
{
    for (int i = 0; i < cf->selectedCount; i++)
        if (cf->selected[i] == row || (row && cf->selected[i]->value == row->value))
            return 1;
    return 0;
}

COLFILTER *ColFilterFind(DialogWords *d, const PCFFieldDef *column, int create)
{
    COLFSTATE *st = ColFilterState(d, create);
    if (!st || !column)
        return nullptr;
    for (COLFILTER *cf = st->chain; cf; cf = cf->next)
        if (cf->column == column)
            return cf;
    if (!create)
        return nullptr;
    int rows = Enumerated(column->type) ? TableRows(column->values) : 0;
    size_t size = sizeof(COLFILTER) + sizeof(const PCFValueDef *) * (size_t)rows;
    COLFILTER *cf = (COLFILTER *)CSGetMem(size, "COLFILTER");
    if (!cf)
        return nullptr;
    memset(cf, 0, size);
    if (!ColFilterSetText(cf, "", 0)) {
        CSFreeMem(cf);
        return nullptr;
    }
    cf->column = column;
    cf->type = (uint32_t)column->type;
    cf->hundredths = column->type == PCFT_DATETIME100;
    cf->contains = 1;
    cf->localTime = (uint32_t)FltPrefs.localTimeDefault;
    cf->from.seconds = cf->until.seconds = CSGetCurrentTime();
    cf->valueRows = rows;
    cf->selected = (const PCFValueDef **)(cf + 1);
    const uint8_t *caps = PCFDialogCaps(d);
    for (int i = 0; i < rows; i++)
        if (CapTest(nullptr, caps, &column->values[i]))
            cf->selected[cf->selectedCount++] = &column->values[i];
    cf->next = st->chain;
    st->chain = cf;
    return cf;
}

/* ---- the row test ------------------------------------------------------ */

/* Seconds and hundredths of a date-time record (its MQ date and time
 * texts); 0 when they do not read as a time. */
static int PairTime(const uint8_t *rec, int64_t *seconds, int *hundredths)
{
    char date[9], time[9];
    memcpy(date, rec + PCFLV_TEXT, 8);
    memcpy(time, rec + PCFLV_TEXT + 8, 8);
    date[8] = time[8] = 0;
    int64_t t = UTMQTimeToTimeGmt(date, time);
    if (t < 0)
        return 0;
    *seconds = t;
    *hundredths = time[6] >= '0' && time[6] <= '9' && time[7] >= '0' && time[7] <= '9'
                      ? (time[6] - '0') * 10 + (time[7] - '0')
                      : 0;
    return 1;
}

/* -1, 0 or 1 comparing a row's time with a bound. */
static int CompareTime(const COLFILTER *cf, int64_t s, int h, const COLTIME *t)
{
    if (s != t->seconds)
        return s < t->seconds ? -1 : 1;
    if (!cf->hundredths || h == t->hundredths)
        return 0;
    return h < t->hundredths ? -1 : 1;
}

static int InSelected(const COLFILTER *cf, int32_t v)
{
    for (int i = 0; i < cf->selectedCount; i++)
        if (cf->selected[i]->value == v)
            return 1;
    return 0;
}

/* The record's verdict before inversion; -1 a final failure, 2 a final
 * pass (neither inverted). */
static int Judge(const COLFILTER *cf, const uint8_t *rec)
{
    int32_t v = FGet32(rec + PCFLV_INT);
    switch (cf->type) {
    case 1: case 15: {
        if ((cf->bounds & CFB_MIN) && v < cf->minimum)
            return 0;
        if ((cf->bounds & CFB_MAX) && v > cf->maximum)
            return 0;
        const COLVALUES *cv = cf->values;
        if (cv && cv->count && !cv->anyValue) {
            for (int i = 0; i < cv->count; i++)
                if (cv->entries[i].value == v)
                    return cv->entries[i].selected != 0;
            return 0;
        }
        return 1;
    }
    case 2:
        return InSelected(cf, v);
    case 3:
        if (InSelected(cf, v))
            return 1;
        if (!(cf->bounds & (CFB_MIN | CFB_MAX)))
            return 0;
        return !((cf->bounds & CFB_MIN) && v < cf->minimum) && !((cf->bounds & CFB_MAX) && v > cf->maximum);
    case 4: case 5: case 8: case 9: case 25: {
        const char *text = (const char *)rec + PCFLV_TEXT;
        int len = FGet16(rec + 2);
        if (!cf->textLength)
            return len == 0;
        int n = (int)cf->textLength;
        if (cf->contains)
            return (cf->matchCase ? UTMemFind(text, len, cf->text, n) : UTMemFindNoCase(text, len, cf->text, n)) != nullptr;
        return cf->matchCase ? UTWildMatch(text, len, cf->text, n) : UTWildMatchNoCase(text, len, cf->text, n);
    }
    case 19: {
        int count = FGet16(rec + 2);
        for (int i = 0; i < count; i++)
            if (InSelected(cf, FGet32(rec + PCFLV_TEXT + 4 * i)))
                return 1;
        return 0;
    }
    case 24:
        for (int i = 0; i < cf->selectedCount; i++)
            if (ColFlagHeld(v, cf->selected[i]->value))
                return 1;
        return 0;
    case 36: {
        uint32_t b = cf->bounds;
        if ((b & CFB_FOR) && !(b & (CFB_FROM | CFB_UNTIL)))
            return 2;
        if (!(b & (CFB_FROM | CFB_UNTIL | CFB_FOR)))
            return 1;
        int64_t s;
        int h;
        if (!PairTime(rec, &s, &h))
            return 0;
        if (b & (CFB_FROM | CFB_FOR)) {
            if (b & CFB_FROM_BAD)
                return -1;
            if (CompareTime(cf, s, h, &cf->from) < 0)
                return 0;
        }
        if (b & (CFB_UNTIL | CFB_FOR)) {
            if (b & CFB_UNTIL_BAD)
                return -1;
            if (CompareTime(cf, s, h, &cf->until) > 0)
                return 0;
        }
        return 1;
    }
    }
    return 1;
}

int ColFilterTest(const COLFILTER *cf, const uint8_t *rec)
{
    if (!cf || !cf->enabled)
        return 1;
    if (!(FGet16(rec) & PCFS_PRESENT))
        return cf->inverse ? 1 : 0;
    int j = Judge(cf, rec);
    if (j < 0)
        return 0;
    if (j == 2)
        return 1;
    return cf->inverse ? !j : j;
}

int ColFilterMatchArea(DialogWords *d, PCFLISTAREA *area, PCFROW *row)
{
    COLFSTATE *st = d ? (COLFSTATE *)d->columnFilters : nullptr;
    if (!st || !st->chain || !area || !row)
        return 1;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    const uint8_t *rec = (const uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; i < area->columns && parts.columns[i].field; i++) {
        const PCFFieldDef *f = parts.columns[i].field;
        for (const COLFILTER *cf = st->chain; cf; cf = cf->next)
            if (cf->column == f) {
                if (!ColFilterTest(cf, rec))
                    return 0;
                break;
            }
        rec = PCFNextValue((uint8_t *)rec, f);
    }
    return 1;
}

static int Holds(PCFLISTAREA *a, PCFROW *row)
{
    return a && (uint8_t *)row >= (uint8_t *)a && (uint8_t *)row < (uint8_t *)a + a->used;
}

int ColFilterMatch(DialogWords *d, PCFROW *row)
{
    PCFLISTAREA *area = nullptr;
    PCFLISTREQ *r = row ? row->request : nullptr;
    if (r)
        for (PCFLISTAREA *a : { r->replyArea, r->rebuilt, r->filling })
            if (Holds(a, row))
                area = a;
    if (!area)
        area = FltDialogArea(d);
    return ColFilterMatchArea(d, area, row);
}

/* ---- lifecycle --------------------------------------------------------- */

int ColFilterDisableAll(DialogWords *d)
{
    COLFSTATE *st = d ? (COLFSTATE *)d->columnFilters : nullptr;
    int any = 0;
    for (COLFILTER *cf = st ? st->chain : nullptr; cf; cf = cf->next) {
        any |= cf->enabled != 0;
        cf->enabled = 0;
    }
    return any;
}

void (*ColFilterDestroyPopup)(void *popup);

void ColFilterFreeAll(DialogWords *d)
{
    COLFSTATE *st = d ? (COLFSTATE *)d->columnFilters : nullptr;
    if (!st)
        return;
    if (st->popup && ColFilterDestroyPopup)
        ColFilterDestroyPopup(st->popup);
    while (st->chain) {
        COLFILTER *cf = st->chain;
        st->chain = cf->next;
        CSFreeMemAndClear(&cf->values);
        CSFreeMemAndClear(&cf->text);
        CSFreeMem(cf);
    }
    CSFreeMemAndClear(&st->controls);
    CSFreeMem(st);
    d->columnFilters = nullptr;
}

int ColFilterDue(DialogWords *d, int64_t now)
{
    COLFSTATE *st = d ? (COLFSTATE *)d->columnFilters : nullptr;
    return st && (d->displayFlags & DD_COLF_PENDING) && now > st->editTime + 1;
}
