/* Column widths of a list dialog: each shown column as wide as its widest
 * value or its title (plus the cell margins), titles cut to their short
 * form and hexadecimal identifiers narrowed when the room is too small,
 * spare room shared out, widths the user dragged kept by field; and the
 * column under a position of the title band. */
#include "pcflists.h"
#include "../pcfint.h"

static int IsMark(const PCFFieldDef *f)
{
    return f->type == PCFT_MARKER || f->type == PCFT_BAR;
}

static PCFUSERWIDTH *UserWidth(PCFLISTSTATE *st, const PCFFieldDef *f, int make)
{
    PCFUSERWIDTH *free = nullptr;
    for (PCFUSERWIDTH &u : st->userWidths) {
        if (u.field == f)
            return &u;
        if (!u.field && !free)
            free = &u;
    }
    if (make && free)
        free->field = f;
    return make ? free : nullptr;
}

void PCFSetUserWidth(DialogWords *d, int column, int32_t width)
{
    PCFLISTSTATE *st = PCFListState(d);
    PCFLISTENTRY *columns = PCFDialogColumns(d);
    if (!st || column < 0 || column >= PCFColumnCount(columns) || (uint32_t)column >= st->colCount)
        return;
    if (width < 1)
        width = 1;
    PCFUSERWIDTH *u = UserWidth(st, columns[column].field, 1);
    if (u)
        u->width = width;
    st->cols[column].width = width;
}

/* Step 1: each column's widths from its measures. */
static int32_t Natural(DialogWords *d, PCFLISTSTATE *st, const PCFLISTENTRY *columns, int32_t margin,
                       int32_t deviceMargin)
{
    int32_t needed = 0;
    for (uint32_t i = 0; i < st->colCount; i++) {
        PCFCOLSIZE *c = &st->cols[i];
        const PCFFieldDef *f = columns[i].field;
        c->width = c->printWidth = c->chars = 0;
        if (!PCFColumnShown(d, columns[i].flags))
            continue;
        if (IsMark(f)) {
            c->width = 16;
            c->chars = 1;
            c->printWidth = 16;
        } else {
            int32_t title = PcfListPrefs.valuesOnly ? 0 : c->titleWidth;
            c->width = (c->valueWidth > title ? c->valueWidth : title) + 2 * margin;
            c->chars = (c->valueChars > c->titleChars ? c->valueChars : c->titleChars) + 1;
            c->printWidth = (c->deviceWidth > c->deviceTitle ? c->deviceWidth : c->deviceTitle) +
                            (st->printExtra ? st->printExtra : 2 * deviceMargin + 100);
        }
        PCFUSERWIDTH *u = UserWidth(st, f, 0);
        if (u && u->width > 0)
            c->width = u->width;
        needed += c->width;
    }
    return needed;
}

/* Step 3: titles wider than their values cut, the widest excess first. */
static int32_t Cut(DialogWords *d, PCFLISTSTATE *st, PCFLISTENTRY *columns, int32_t missing, int32_t margin)
{
    for (;;) {
        int best = -1;
        int32_t excess = 0;
        for (uint32_t i = 0; i < st->colCount; i++) {
            PCFCOLSIZE *c = &st->cols[i];
            /* the title's excess over the values (sized by the values
               alone, the column does not show it) */
            int32_t wide = PcfListPrefs.valuesOnly ? c->titleWidth + 2 * margin : c->width;
            int32_t e = wide - (c->valueWidth + 2 * margin);
            if (!PCFColumnShown(d, columns[i].flags) || (columns[i].flags & PCFL_CUT) || IsMark(columns[i].field) ||
                UserWidth(st, columns[i].field, 0) || e <= 0)
                continue;
            if (e > excess) {
                excess = e;
                best = (int)i;
            }
        }
        if (best < 0 || missing <= 0)
            return missing;
        columns[best].flags |= PCFL_CUT;
        if (PcfListPrefs.valuesOnly)
            continue;
        int32_t by = excess < missing ? excess : missing;
        st->cols[best].width -= by;
        missing -= by;
    }
}

/* Step 3b: hexadecimal identifiers (message and correlation ids, tokens)
 * give up room down to a third of their values, so that the columns
 * after them (length, data) stay readable in a window of ordinary width. */
static int32_t NarrowHex(DialogWords *d, PCFLISTSTATE *st, const PCFLISTENTRY *columns, int32_t missing,
                         int32_t margin)
{
    for (uint32_t i = 0; i < st->colCount && missing > 0; i++) {
        PCFCOLSIZE *c = &st->cols[i];
        int type = columns[i].field->type;
        if (!PCFColumnShown(d, columns[i].flags) || (type != PCFT_HEX && type != PCFT_WIDEHEX) ||
            UserWidth(st, columns[i].field, 0))
            continue;
        int32_t least = c->valueWidth / 3 + 2 * margin;
        if (!PcfListPrefs.valuesOnly && c->titleWidth + 2 * margin > least)
            least = c->titleWidth + 2 * margin;
        int32_t by = c->width - least < missing ? c->width - least : missing;
        if (by > 0) {
            c->width -= by;
            missing -= by;
        }
    }
    return missing;
}

/* Step 4: the spare room shared by the columns that take a share. */
static void Share(DialogWords *d, PCFLISTSTATE *st, const PCFLISTENTRY *columns, int32_t spare)
{
    int takers = 0;
    for (uint32_t i = 0; i < st->colCount; i++)
        takers += PCFColumnShown(d, columns[i].flags) && st->cols[i].hasValues &&
                  !(columns[i].flags & (PCFL_USERWIDTH | PCFL_NOSPARE)) && !UserWidth(st, columns[i].field, 0) &&
                  !IsMark(columns[i].field);
    if (!takers)
        return;
    int32_t share = spare / takers;
    for (uint32_t i = 0; i < st->colCount; i++)
        if (PCFColumnShown(d, columns[i].flags) && st->cols[i].hasValues &&
            !(columns[i].flags & (PCFL_USERWIDTH | PCFL_NOSPARE)) && !UserWidth(st, columns[i].field, 0) &&
            !IsMark(columns[i].field))
            st->cols[i].width += share;
}

/* The widths into a record's area (screen and print width per column). */
static void StoreWidths(PCFLISTAREA *area, const PCFLISTSTATE *st)
{
    if (!area)
        return;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    for (uint32_t i = 0; i < area->columns && i < st->colCount; i++) {
        int16_t w = (int16_t)(st->cols[i].width > 32767 ? 32767 : st->cols[i].width);
        int16_t p = (int16_t)(st->cols[i].printWidth > 32767 ? 32767 : st->cols[i].printWidth);
        memcpy(parts.widths + 8 * i, &w, 2);
        memcpy(parts.widths + 8 * i + 2, &p, 2);
    }
}

int32_t PCFLayoutColumns(DialogWords *d, int32_t room, int flags)
{
    PCFLISTSTATE *st = PCFListState(d);
    PCFLISTENTRY *columns = PCFDialogColumns(d);
    if (!st || !columns)
        return 0;
    if ((uint32_t)PCFColumnCount(columns) != st->colCount)
        return st->neededWidth = 0;
    if (flags & 1)
        memset(st->userWidths, 0, sizeof st->userWidths);
    for (uint32_t i = 0; i < st->colCount; i++)
        columns[i].flags &= ~PCFL_CUT;
    int32_t margin = 2, deviceMargin = 2;
    int32_t needed = Natural(d, st, columns, margin, deviceMargin);
    uint32_t mode = d->stateFlags & DF_TITLE_MODES;
    if (needed > room && (mode == DF_TITLE_FULL || mode == DF_TITLE_AUTO || !mode)) {
        NarrowHex(d, st, columns, Cut(d, st, columns, needed - room, margin), margin);
        needed = 0;
        for (uint32_t i = 0; i < st->colCount; i++)
            needed += st->cols[i].width;
    } else if (needed < room) {
        Share(d, st, columns, room - needed);
    }
    st->neededWidth = needed;
    st->room = room;
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r))
        StoreWidths(PCFCurrentArea(r), st);
    return needed;
}

int PCFColumnAt(DialogWords *d, int32_t x, int32_t border, int32_t *left, int32_t *right, int *onBorder)
{
    PCFLISTSTATE *st = PCFListState(d);
    PCFLISTENTRY *columns = PCFDialogColumns(d);
    *onBorder = 0;
    if (!st || !columns)
        return -1;
    int32_t edge = 0;
    int previous = -1;
    int32_t previousLeft = 0;
    for (uint32_t i = 0; i < st->colCount && columns[i].field; i++) {
        int32_t w = st->cols[i].width;
        if (!PCFColumnShown(d, columns[i].flags) || w <= 0)
            continue;
        if (x >= edge && x < edge + w) {
            if (x < edge + border && previous >= 0) {
                *onBorder = 1;
                *left = previousLeft;
                *right = edge;
                return previous;
            }
            *left = edge;
            *right = edge + w;
            if (x >= edge + w - border)
                *onBorder = 1;
            return (int)i;
        }
        previous = (int)i;
        previousLeft = edge;
        edge += w;
    }
    return -1;
}
