/* The column filter pop-up's controls read into the filter record: the
 * apply pass, the buttons (Select All, Select None, Refresh Values),
 * typing in the edits armed to apply a second after it stops, the three
 * spinners of a date-time range, the counts refreshed after each fill,
 * and every filter of a dialog switched off. */
#include "colpopint.h"
#include "cs.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void (*ColFilterRefreshList)(DialogWords *dialog);

static void Refresh(DialogWords *d)
{
    if (ColFilterRefreshList)
        ColFilterRefreshList(d);
}

static int Checked(COLFSTATE *st, int id)
{
    HWND w = ColControlWindow(st, id);
    return w && SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

static void SetChecked(COLFSTATE *st, int id, int on)
{
    HWND w = ColControlWindow(st, id);
    if (w)
        SendMessageA(w, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

/* A bound edit: empty clears it; else a value name (case aside) or a
 * decimal number.  1 when the record changed. */
static int ReadBound(COLFSTATE *st, COLFILTER *cf, int id, uint32_t flag, int32_t *value)
{
    HWND w = ColControlWindow(st, id);
    if (!w)
        return 0;
    char text[64];
    GetWindowTextA(w, text, sizeof text);
    char *t = UTStripChars(text, " \t");
    if (!*t) {
        int was = (cf->bounds & flag) != 0;
        cf->bounds &= ~flag;
        return was;
    }
    int32_t v;
    const PCFValueDef *row = nullptr;
    for (const PCFValueDef *r = cf->column->values; r && r->name && r->name[0]; r++)
        if (!strcasecmp(r->name, t))
            row = r;
    if (row)
        v = row->value;
    else
        v = (int32_t)strtol(t, nullptr, 10);
    int changed = !(cf->bounds & flag) || *value != v;
    cf->bounds |= flag;
    *value = v;
    return changed;
}

/* ---- the date-time range ----------------------------------------------------- */

static int ReadTime(COLFILTER *cf, HWND spin, COLTIME *t, uint32_t bad)
{
    int64_t v[7] = {};
    if (SpinGetValues(spin, 7, v) < 7)
        return 0;
    int64_t seconds;
    if (!ColFilterLocalTime((int)v[2], (int)v[1] + 1, (int)v[0], (int)v[3], (int)v[4], (int)v[5], &seconds)) {
        cf->bounds |= bad;
        SpinSetState(spin, 1);
        return 1;
    }
    cf->bounds &= ~bad;
    SpinSetState(spin, 0);
    int changed = t->seconds != seconds || t->hundredths != (uint8_t)v[6];
    t->seconds = seconds;
    t->hundredths = (uint8_t)v[6];
    return changed;
}

static int ReadDuration(HWND spin, COLTIME *t)
{
    int64_t v[5] = {};
    if (SpinGetValues(spin, 5, v) < 5)
        return 0;
    int64_t seconds = ColFilterDuration(v[0], v[1], v[2], v[3]);
    int changed = t->seconds != seconds || t->hundredths != (uint8_t)v[4];
    t->seconds = seconds;
    t->hundredths = (uint8_t)v[4];
    return changed;
}

/* Reads the spinners that are on and derives the third; 1 when anything
 * changed. */
static int ReadRange(COLPOPUP *p, COLFSTATE *st, COLFILTER *cf)
{
    HWND from = ColControlWindow(st, CFC_FROM), until = ColControlWindow(st, CFC_UNTIL),
         length = ColControlWindow(st, CFC_FOR);
    if (!from || !until || !length)
        return 0;
    int changed = 0;
    if (cf->bounds & CFB_FROM)
        changed |= ReadTime(cf, from, &cf->from, CFB_FROM_BAD);
    if ((cf->bounds & CFB_UNTIL) && !(cf->bounds & CFB_NOW))
        changed |= ReadTime(cf, until, &cf->until, CFB_UNTIL_BAD);
    if (cf->bounds & CFB_FOR)
        changed |= ReadDuration(length, &cf->length);
    p->filling++;
    switch (ColFilterDerive(cf)) {
    case CFC_UNTIL: ColWriteTime(until, &cf->until); break;
    case CFC_FROM: ColWriteTime(from, &cf->from); break;
    case CFC_FOR: ColWriteDuration(length, &cf->length); break;
    }
    p->filling--;
    return changed;
}

/* ---- the apply pass ------------------------------------------------------------ */

/* The value-table rows selected in the enumerated list or boxes. */
static int ReadSelection(COLFSTATE *st, COLFILTER *cf, int *differs)
{
    const PCFValueDef *rows[1024];
    int n = 0, any = 0;
    *differs = 0;
    if (HWND list = ColControlWindow(st, CFC_ENUMLIST)) {
        any = 1;
        int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; i++) {
            const PCFValueDef *row = (const PCFValueDef *)SendMessageA(list, LB_GETITEMDATA, (WPARAM)i, 0);
            int sel = SendMessageA(list, LB_GETSEL, (WPARAM)i, 0) > 0;
            if (row && sel != ColFilterIsSelected(cf, row))
                *differs = 1;
            if (row && sel && n < 1024)
                rows[n++] = row;
        }
        /* entries the list does not show keep their selection */
        for (int i = 0; i < cf->selectedCount; i++) {
            int shown = 0;
            for (int k = 0; k < count; k++)
                shown |= SendMessageA(list, LB_GETITEMDATA, (WPARAM)k, 0) == (LRESULT)cf->selected[i];
            if (!shown && n < 1024)
                rows[n++] = cf->selected[i];
        }
    }
    for (COLFCTL *c = st->controls; c && c->layoutRow; c++)
        if (c->window && c->id >= CFC_FIRSTBOX && c->id <= CFC_LASTBOX && c->valueRow) {
            any = 1;
            int on = SendMessageA((HWND)c->window, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (on != ColFilterIsSelected(cf, c->valueRow))
                *differs = 1;
            if (on && n < 1024)
                rows[n++] = c->valueRow;
        }
    if (any && *differs)
        ColFilterSetSelected(cf, rows, n);
    return any;
}

/* The value list 883 read into the counted values. */
static int ReadValueList(COLFSTATE *st, COLFILTER *cf, int *selected)
{
    HWND list = ColControlWindow(st, CFC_VALUELIST);
    *selected = 0;
    if (!list || !cf->values)
        return 0;
    int changed = 0, n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        COLVALUE *e = (COLVALUE *)SendMessageA(list, LB_GETITEMDATA, (WPARAM)i, 0);
        if (!e || (LRESULT)e == LB_ERR)
            continue;
        uint32_t sel = SendMessageA(list, LB_GETSEL, (WPARAM)i, 0) > 0;
        e->before = e->selected;
        if (sel != e->selected)
            changed = 1;
        e->selected = sel;
        *selected |= sel;
    }
    return changed;
}

int ColFilterApply(DialogWords *d, int fromValueList)
{
    COLFSTATE *st = ColState(d);
    COLFILTER *cf = ColOpenFilter(d);
    COLPOPUP *p = st ? ColPopup((HWND)st->popup) : nullptr;
    if (!cf || !p || st->applying)
        return 0;
    st->applying = 1;
    int selected, changed = ReadValueList(st, cf, &selected) || fromValueList;
    int enable = Checked(st, CFC_ENABLE);
    if ((d->displayFlags & DD_COLF_PENDING) && !enable) {
        SetChecked(st, CFC_ENABLE, 1);
        enable = 1;
    }
    int differs = 0;
    ReadSelection(st, cf, &differs);
    if (differs && !enable && ColControlWindow(st, CFC_ENUMLIST)) {
        SetChecked(st, CFC_ENABLE, 1);
        enable = 1;
    }
    changed |= differs;
    if ((uint32_t)enable != cf->enabled) {
        cf->enabled = (uint32_t)enable;
        changed = 1;
        ColRepaintTitles(d);
    }
    struct { int id; uint32_t *word; } boxes[] = {
        { CFC_INVERSE, &cf->inverse }, { CFC_CONTAINS, &cf->contains }, { CFC_MATCHCASE, &cf->matchCase },
    };
    for (auto &b : boxes)
        if (ColControlWindow(st, b.id)) {
            uint32_t v = (uint32_t)Checked(st, b.id);
            if (v != *b.word) {
                *b.word = v;
                changed |= cf->enabled != 0;
            }
        }
    if (ColControlWindow(st, CFC_LOCALTIME))
        cf->localTime = (uint32_t)Checked(st, CFC_LOCALTIME);
    changed |= ReadBound(st, cf, CFC_MINIMUM, CFB_MIN, &cf->minimum);
    changed |= ReadBound(st, cf, CFC_MAXIMUM, CFB_MAX, &cf->maximum);
    if (HWND t = ColControlWindow(st, CFC_TEXT)) {
        char text[FLT_OUTPUT_MAX + 1];
        int n = GetWindowTextA(t, text, sizeof text);
        if ((uint32_t)n != cf->textLength || memcmp(text, cf->text, (size_t)n)) {
            ColFilterSetText(cf, text, n);
            changed = 1;
        }
    }
    if (ColControlWindow(st, CFC_ANYVALUE) && cf->values) {
        if (fromValueList && selected)
            SetChecked(st, CFC_ANYVALUE, 0);
        uint32_t any = (uint32_t)Checked(st, CFC_ANYVALUE);
        changed |= any != cf->values->anyValue;
        cf->values->anyValue = any;
    }
    changed |= ReadRange(p, st, cf);
    d->displayFlags &= ~(uint32_t)DD_COLF_PENDING;
    st->applying = 0;
    if (changed)
        Refresh(d);
    return changed;
}

/* ---- buttons and boxes ---------------------------------------------------------- */

static void SelectEvery(COLPOPUP *p, int on)
{
    DialogWords *d = p->dialog;
    COLFSTATE *st = ColState(d);
    COLFILTER *cf = ColOpenFilter(d);
    p->filling++;
    for (COLFCTL *c = st->controls; c && c->layoutRow; c++)
        if (c->window && c->id >= CFC_FIRSTBOX && c->id <= CFC_LASTBOX)
            SendMessageA((HWND)c->window, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    if (HWND list = ColControlWindow(st, CFC_ENUMLIST)) {
        int n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
        if (n > 0)
            SendMessageA(list, LB_SELITEMRANGE, (WPARAM)on, MAKELPARAM(0, n - 1));
    }
    SetChecked(st, CFC_ENABLE, !on);
    if (cf->values)
        for (int i = 0; i < cf->values->count; i++)
            cf->values->entries[i].selected = 0;
    cf->selectedCount = 0;
    p->filling--;
    ColFilterApply(d, 0);
    Refresh(d);
}

static void RefreshValues(COLPOPUP *p)
{
    COLFSTATE *st = ColState(p->dialog);
    COLFILTER *cf = ColOpenFilter(p->dialog);
    ColFilterCount(p->dialog, cf, st->open, 1);
    ColFillValueList(p, 1);
    if (st->stale)
        ColLayout(p);
}

static void ShowAll(COLPOPUP *p)
{
    COLFSTATE *st = ColState(p->dialog);
    COLFILTER *cf = ColOpenFilter(p->dialog);
    cf->showAll = (uint32_t)Checked(st, CFC_SHOWALL);
    ColFillEnumList(p);
    ColFillValueList(p, 1);
    ColLayout(p);
}

/* Typing in an edit: applied a second after it stops, or at Enter. */
static void Armed(DialogWords *d)
{
    COLFSTATE *st = ColState(d);
    d->displayFlags |= DD_COLF_PENDING;
    st->editTime = ColNow();
    ColFilterPending = 1;
}

void ColOnCommand(COLPOPUP *p, int id, int code, HWND control)
{
    DialogWords *d = p->dialog;
    COLFSTATE *st = ColState(d);
    COLFILTER *cf = ColOpenFilter(d);
    (void)control;
    if (!st || !cf)
        return;
    if (id == CFC_CLOSE) {
        ColFilterClose(d);
        return;
    }
    if (p->filling)
        return;
    if (id == CFC_MINIMUM || id == CFC_MAXIMUM || id == CFC_TEXT) {
        if (code == EN_CHANGE)
            Armed(d);
        return;
    }
    if (id == CFC_VALUELIST || id == CFC_ENUMLIST) {
        if (code == LBN_SELCHANGE)
            ColFilterApply(d, id == CFC_VALUELIST);
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case CFC_SELECTALL: SelectEvery(p, 1); return;
    case CFC_SELECTNONE: SelectEvery(p, 0); return;
    case CFC_REFRESH: RefreshValues(p); return;
    case CFC_SHOWALL: ShowAll(p); return;
    case CFC_ANYVALUE:
        if (Checked(st, CFC_ANYVALUE) && cf->values)
            for (int i = 0; i < cf->values->count; i++)
                cf->values->entries[i].selected = 0;
        ColFillValueList(p, 1);
        break;
    }
    if (id >= CFC_FIRSTBOX && id <= CFC_LASTBOX)
        SetChecked(st, CFC_ENABLE, 1);
    ColFilterApply(d, 0);
}

void ColOnSpinner(COLPOPUP *p, const SpinNotifyBlock *b)
{
    DialogWords *d = p->dialog;
    COLFSTATE *st = ColState(d);
    COLFILTER *cf = ColOpenFilter(d);
    if (!st || !cf || p->filling)
        return;
    int32_t id = (int32_t)b->ctlId;
    uint32_t before = cf->bounds;
    if (b->fieldId == 1010 && id == CFC_UNTIL) {
        if (b->code == SPN_TICKED) {
            ColFilterUntilNow(cf, 1, ColNow());
            p->filling++;
            ColWriteTime(b->spinner, &cf->until);
            p->filling--;
        } else if (b->code == SPN_CLEARED) {
            ColFilterUntilNow(cf, 0, 0);
        }
    } else if ((int32_t)b->fieldId == -1 && (b->code == SPN_TICKED || b->code == SPN_CLEARED)) {
        int32_t off = ColFilterSpinner(cf, id, b->code == SPN_TICKED);
        if (off) {
            p->filling++;
            SpinSetCheck(ColControlWindow(st, off), -1, 0);
            p->filling--;
        }
    } else if (b->code == SPN_CHANGED) {
        int on = (int32_t)b->fieldId == -1 ? 0 : 1;
        if (on && SpinGetField(b->spinner, -1)) {
            int32_t off = ColFilterSpinner(cf, id, 2);
            if (off) {
                p->filling++;
                SpinSetCheck(ColControlWindow(st, off), -1, 0);
                p->filling--;
            }
        }
    }
    if ((cf->bounds & ~before) & (CFB_FROM | CFB_UNTIL | CFB_FOR))
        SetChecked(st, CFC_ENABLE, 1);
    ColFilterApply(d, 0);
}

/* ---- after fills, switched off, deferred ------------------------------------------ */

/* An "Until" that follows the clock, and the value derived from it, as
 * the last fill took them. */
static void ShowFollowedUntil(COLPOPUP *p, COLFSTATE *st, const COLFILTER *cf)
{
    HWND from = ColControlWindow(st, CFC_FROM), until = ColControlWindow(st, CFC_UNTIL),
         length = ColControlWindow(st, CFC_FOR);
    if (!until || (cf->bounds & (CFB_UNTIL | CFB_NOW)) != (CFB_UNTIL | CFB_NOW))
        return;
    p->filling++;
    ColWriteTime(until, &cf->until);
    if (from && !(cf->bounds & CFB_FROM))
        ColWriteTime(from, &cf->from);
    if (length && !(cf->bounds & CFB_FOR))
        ColWriteDuration(length, &cf->length);
    p->filling--;
}

void ColFilterRecount(DialogWords *d)
{
    COLFSTATE *st = ColState(d);
    COLPOPUP *p = st ? ColPopup((HWND)st->popup) : nullptr;
    COLFILTER *cf = ColOpenFilter(d);
    if (!p || !cf)
        return;
    ColFillEnumList(p);
    if (ColControlWindow(st, CFC_VALUELIST)) {
        ColFilterCount(d, cf, st->open, 0);
        ColFillValueList(p, 1);
    }
    ShowFollowedUntil(p, st, cf);
    if (st->stale)
        ColLayout(p);
    InvalidateRect(p->hwnd, nullptr, FALSE);
}

void ColFilterClearChanged(DialogWords *d)
{
    if (!ColFilterDisableAll(d))
        return;
    COLFSTATE *st = ColState(d);
    if (st && st->popup)
        SetChecked(st, CFC_ENABLE, 0);
    ColRepaintTitles(d);
    Refresh(d);
}

void ColFilterDeferred(void)
{
    int pending = 0;
    int64_t now = ColNow();
    for (DialogWords *d = PCFOpenDialogs; d; d = d->next) {
        if (!(d->displayFlags & DD_COLF_PENDING))
            continue;
        if (ColFilterDue(d, now))
            ColFilterApply(d, 0);
        else
            pending = 1;
    }
    ColFilterPending = pending;
}
