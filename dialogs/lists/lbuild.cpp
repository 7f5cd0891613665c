/* The rebuild of a list dialog's shown rows: newly arrived areas taken
 * in (rebuilt for the dialog's columns when theirs differ), then every
 * row of the shown records tested (side, hidden SYSTEM. objects, the
 * filter and the column filters), selected again when its key value was
 * selected before, given its sort key and measured; the rows are ordered
 * by key once, keeping arrival order among equal keys.
 *
 * The list window shows rows that point into list areas; the areas it
 * shows are held by reference until the next rebuild has read its
 * selection, so that a refresh, a rebuild or a removed queue manager
 * never leaves it pointing at freed rows. */
#include "pcflists.h"
#include "../pcfint.h"

#include <algorithm>
#include <initializer_list>

#include "cs.h"
#include "qms.h"

static PCFLISTFILTER FilterHooks;

void PCFSetListFilter(const PCFLISTFILTER *hooks)
{
    FilterHooks = hooks ? *hooks : PCFLISTFILTER{};
}

const PCFLISTFILTER *PCFListFilter(void)
{
    return &FilterHooks;
}

/* ---- taking a new area ---- */

void PCFTakeNewArea(DialogWords *d, PCFLISTREQ *r, PCFLISTAREA *area)
{
    if (!r || !area)
        return;
    if (r->highestSeen < area->sequence)
        r->highestSeen = area->sequence;
    if (area == r->replyArea)
        return;
    ReleaseRefBlock(&r->replyArea);
    ReleaseRefBlock(&r->rebuilt);
    r->replyArea = area;
    PCFLISTENTRY *columns = PCFDialogColumns(d);
    if (!columns || PCFSameColumns(area, columns))
        return;
    PCFLISTAREA *rebuilt = nullptr;
    int refresh = 0;
    if (PCFLoadListData(d, area, &rebuilt, &refresh) == 0 && rebuilt)
        r->rebuilt = rebuilt;
    const PCFHOOKS *h = PCFHooks();
    if (refresh && area->rows && h->doCommand)
        h->doCommand(h->context, d, PCFID_DEFAULT, r, nullptr);
}

/* ---- the selection before ---- */

struct SelEntry {
    const PCFLISTREQ *request;
    const uint8_t *key;
    uint32_t length;
    uint32_t index;              /* the row's index in its area */
};

struct SelSet {
    SelEntry *slots;
    uint32_t mask;
    int used;
};

static uint32_t Hash(const PCFLISTREQ *r, const uint8_t *key, uint32_t n)
{
    uint32_t h = 2166136261u ^ (uint32_t)(uintptr_t)r;
    for (uint32_t i = 0; i < n; i++)
        h = (h ^ key[i]) * 16777619u;
    return h;
}

/* The key value of a row: its bytes and length, or 0. */
static uint32_t RowKey(PCFROW *row, const uint8_t **key)
{
    if (!row->keyOffset || row->keyOffset + PCFLV_TEXT > row->length)
        return 0;
    const uint8_t *v = (const uint8_t *)row + row->keyOffset;
    uint32_t n = PCFListLength(v);
    if (row->keyOffset + PCFLV_TEXT + n > row->length)
        return 0;
    *key = v + PCFLV_TEXT;
    return n;
}

static int Live(DialogWords *d, const PCFLISTREQ *r)
{
    for (PCFLISTREQ *x = PCFFirstList(d); x; x = PCFNextList(d, x))
        if (x == r)
            return 1;
    return 0;
}

static void SelAdd(SelSet *s, const PCFLISTREQ *r, const uint8_t *key, uint32_t n, uint32_t index)
{
    uint32_t i = Hash(r, key, n) & s->mask;
    while (s->slots[i].key)
        i = (i + 1) & s->mask;
    s->slots[i] = { r, key, n, index };
    s->used++;
}

static const SelEntry *SelFind(const SelSet *s, const PCFLISTREQ *r, const uint8_t *key, uint32_t n)
{
    if (!s->used)
        return nullptr;
    for (uint32_t i = Hash(r, key, n) & s->mask; s->slots[i].key; i = (i + 1) & s->mask) {
        const SelEntry *e = &s->slots[i];
        if (e->request == r && e->length == n && memcmp(e->key, key, n) == 0)
            return e;
    }
    return nullptr;
}

/* The selected rows of live records with a key value. */
static int SelBuild(DialogWords *d, const PCFSELECTION *before, SelSet *s)
{
    memset(s, 0, sizeof *s);
    if (!before || before->count <= 0)
        return 1;
    uint32_t size = 16;
    while (size < 2u * (uint32_t)before->count)
        size *= 2;
    s->slots = (SelEntry *)CSGetMem(sizeof(SelEntry) * size, "SELKEYS");
    if (!s->slots)
        return 0;
    memset(s->slots, 0, sizeof(SelEntry) * size);
    s->mask = size - 1;
    for (int i = 0; i < before->count; i++) {
        PCFROW *row = before->rows[i];
        const uint8_t *key;
        uint32_t n;
        if (row && Live(d, row->request) && (n = RowKey(row, &key)) > 0)
            SelAdd(s, row->request, key, n, row->index);
    }
    return 1;
}

/* ---- measuring ---- */

int32_t PCFTextWidth(const PCFCHARWIDTHS *m, const char *text, int n)
{
    int32_t w = 0;
    for (int i = 0; i < n; i++)
        w += m->widths[(uint8_t)text[i]];
    return w;
}

int32_t PCFNumberWidth(const PCFCHARWIDTHS *m, const char *text, int n)
{
    const char *sep = PcfPrefs.sep1000;
    int sepLength = (int)strlen(sep);
    int32_t w = m->numberRoom;
    for (int i = n - 1; i >= 0;) {
        if (sepLength && i + 1 >= sepLength && !memcmp(text + i + 1 - sepLength, sep, (size_t)sepLength) &&
            (text[i] < '0' || text[i] > '9')) {
            w += PCFTextWidth(m, sep, sepLength) + 1;
            i -= sepLength;
            continue;
        }
        w += text[i] >= '0' && text[i] <= '9' ? m->digitSlot : m->widths[(uint8_t)'-'] + 1;
        i--;
    }
    return w;
}

static int EnsureCols(PCFLISTSTATE *st, uint32_t n)
{
    if (n > st->colCapacity) {
        PCFCOLSIZE *c = (PCFCOLSIZE *)CSGetMem(sizeof *c * n, "LISTCOLS");
        if (!c)
            return 0;
        memset(c, 0, sizeof *c * n);
        if (st->colCount)
            memcpy(c, st->cols, sizeof *c * st->colCount);
        CSFreeMemAndClear(&st->cols);
        st->cols = c;
        st->colCapacity = n;
    }
    st->colCount = n;
    return 1;
}

static void MeasureValue(PCFCOLSIZE *c, const PCFMEASURE *m, const PCFLISTENTRY *column, const uint8_t *v)
{
    char buf[1024];
    const char *text;
    int numeric;
    int n = PCFListCellText(column, v, buf, sizeof buf, &text, &numeric);
    c->hasValues = 1;
    if (n > c->valueChars)
        c->valueChars = n;
    int aligned = numeric && PcfListPrefs.digitAlign;
    if (m->list) {
        int32_t w = aligned ? PCFNumberWidth(m->list, text, n) : PCFTextWidth(m->list, text, n);
        if (w > c->valueWidth)
            c->valueWidth = w;
    }
    if (m->device) {
        int32_t w = aligned ? PCFNumberWidth(m->device, text, n) : PCFTextWidth(m->device, text, n);
        if (w > c->deviceWidth)
            c->deviceWidth = w;
    }
}

/* Step 10: the three titles of every column with the cell margin. */
static void MeasureTitles(DialogWords *d, PCFLISTSTATE *st, const PCFMEASURE *m, const PCFLISTENTRY *columns)
{
    int32_t mark = PcfListPrefs.colFilterMark && d->columnFilters ? PcfListPrefs.markWidth : 0;
    for (uint32_t i = 0; i < st->colCount; i++) {
        PCFCOLSIZE *c = &st->cols[i];
        PCFLISTENTRY plain = columns[i];
        plain.flags &= ~PCFL_CUT;
        uint32_t mode = d->stateFlags & DF_TITLE_MODES;
        const char *title = PCFFieldTitle(d, mode ? mode : DF_TITLE_AUTO, &plain);
        int n = (int)strlen(title);
        c->titleChars = n;
        int32_t sortMark = (columns[i].flags & (PCFL_SORT1 | PCFL_SORT2)) && m->list ? PCF_SORT_MARK_ROOM : 0;
        c->titleWidth = (m->list ? PCFTextWidth(m->list, title, n) : n) + mark + sortMark;
        /* a printed "Auto" title is the short one unless the full one fits */
        const PCFFieldDef *f = columns[i].field;
        const char *printed = (!mode || mode == DF_TITLE_AUTO) && f->shortTitle ? f->shortTitle : title;
        c->deviceTitle = m->device ? PCFTextWidth(m->device, printed, (int)strlen(printed)) : 0;
    }
}

/* ---- keys ---- */

static int KeyRoom(PCFLISTSTATE *st)
{
    if (st->keysUsed + PCF_KEYMAX + 8 <= st->keysCapacity)
        return 1;
    uint32_t capacity = st->keysCapacity ? 2 * st->keysCapacity : 65536;
    char *k = (char *)CSGetMem(capacity, "LISTKEYS");
    if (!k)
        return 0;
    if (st->keysUsed)
        memcpy(k, st->keys, st->keysUsed);
    CSFreeMemAndClear(&st->keys);
    st->keys = k;
    st->keysCapacity = capacity;
    return 1;
}

/* A row's own key part (flags 4 and 32): a text at an offset of the row,
 * else a number. */
static int OwnKey(PCFROW *row, uint32_t reference, uint16_t length, int text, char *out)
{
    if (!text) {
        uint8_t v[14] = {};
        Put16(v, PCFS_PRESENT);
        Put32(v + PCFLV_INT, (int32_t)reference);
        static const PCFFieldDef number = { 0, 0, 0, "", "", nullptr, 0, nullptr, nullptr, 0, PCFT_SIGNED, 0, 0, nullptr, 0 };
        return PCFValueKey(&number, v, 0, out);
    }
    if (reference + length > row->length || length > PCF_KEYPART)
        return 0;
    memcpy(out, (const uint8_t *)row + reference, length);
    out[length] = 0;
    return length;
}

struct SortCols {
    int primary, secondary;      /* column index in the area, -1 none */
    int primaryDescending, secondaryDescending;
};

/* The sort columns of an area: the dialog's marks by field. */
static SortCols FindSortCols(const PCFLISTENTRY *marks, const PCFLISTENTRY *columns)
{
    SortCols s = { -1, -1, 0, 0 };
    for (int i = 0; marks && marks[i].field; i++) {
        int at = -1;
        for (int j = 0; columns[j].field && at < 0; j++)
            if (columns[j].field == marks[i].field)
                at = j;
        if ((marks[i].flags & PCFL_SORT1) && s.primary < 0 && at >= 0) {
            s.primary = at;
            s.primaryDescending = (marks[i].flags & PCFL_DESCEND) != 0;
        }
        if ((marks[i].flags & PCFL_SORT2) && s.secondary < 0 && at >= 0) {
            s.secondary = at;
            s.secondaryDescending = (marks[i].flags & PCFL_DESCEND) != 0;
        }
    }
    return s;
}

/* ---- the rows ---- */

struct Build {
    DialogWords *d;
    PCFLISTSTATE *st;
    const PCFMEASURE *measure;
    const PCFLISTENTRY *columns;     /* the dialog's column list */
    SelSet sel;
    const PCFLISTREQ *caretRequest;
    uint32_t caretIndex;
    int hasCaret;
    int filtered;
    int failed;
    uint32_t total;                  /* rows of every shown list */
    uint32_t visited;
};

static int AddShown(PCFLISTSTATE *st, PCFROW *row, uint32_t key, int selected)
{
    if (st->count == st->capacity) {
        uint32_t capacity = st->capacity ? 2 * st->capacity : 1024;
        PCFSHOWN *r = (PCFSHOWN *)CSGetMem(sizeof *r * capacity, "LISTROWS");
        if (!r)
            return 0;
        if (st->count)
            memcpy(r, st->rows, sizeof *r * st->count);
        CSFreeMemAndClear(&st->rows);
        st->rows = r;
        st->capacity = capacity;
    }
    st->rows[st->count] = { row, key, st->count, (uint8_t)selected };
    st->count++;
    return 1;
}

/* Whether a row's kind shows in a two-sided dialog. */
static int KindShown(const DialogWords *d, const PCFROW *row)
{
    if (!(d->definition->flags & PCFD_PAIR))
        return 1;
    uint32_t v = d->viewOptions;
    if (row->flags & PCFR_SIDEA)
        return (v & 0x10000) != 0;
    if (row->flags & PCFR_SIDEB)
        return (v & 0x20000) != 0;
    if (row->flags & (PCFR_DIFFERS | 0x10000))
        return (v & 0x40000) != 0;
    return (v & 0x80000) != 0;
}

static int SystemHidden(const DialogWords *d, PCFROW *row)
{
    const uint8_t *key;
    uint32_t n;
    return (d->optionFlags & DO_HIDE_SYSTEM) && (n = RowKey(row, &key)) >= 7 && memcmp(key, "SYSTEM.", 7) == 0;
}

/* Filter and column filters: 1 shown, 0 hidden, -1 the fill ends. */
static int Passes(Build *b, PCFLISTAREA *area, PCFROW *row, uint32_t index, int last)
{
    const PCFLISTFILTER *f = &FilterHooks;
    if (b->filtered) {
        if (f->rowVars)
            f->rowVars(f->context, b->d, b->total, last, index);
        if (f->bind && f->bind(f->context, b->d, area, row))
            return 0;
        int show = 1;
        if (f->evaluate && f->evaluate(f->context, b->d, row, &show))
            return -1;
        if (!show)
            return 0;
    }
    if (f->colCount)
        f->colCount(f->context, b->d, area, row);
    if (f->colMatch && !f->colMatch(f->context, b->d, area, row))
        return 0;
    return 1;
}

/* Keys and measures of a shown row, from its values in column order. */
static int KeyAndMeasure(Build *b, const PCFLISTENTRY *columns, const SortCols *sc, PCFROW *row, int measure,
                         uint32_t *keyAt)
{
    char k1[PCF_KEYPART + 1] = "", k2[PCF_KEYPART + 1] = "";
    int n1 = 0, n2 = 0, d1 = sc->primaryDescending, d2 = sc->secondaryDescending;
    int own1 = (row->flags & PCFR_KEY1) != 0, own2 = (row->flags & PCFR_KEY2) != 0;
    if (own1) {
        n1 = OwnKey(row, row->primaryKey, row->keyLength[0], (row->flags & PCFR_KEY1TEXT) != 0, k1);
        d1 = (row->flags & PCFR_KEY1DESC) != 0;
    }
    if (own2) {
        n2 = OwnKey(row, row->secondaryKey, row->keyLength[1], (row->flags & PCFR_KEY2TEXT) != 0, k2);
        d2 = (row->flags & PCFR_KEY2DESC) != 0;
    }
    int measuring = measure && (b->measure->list || b->measure->device);
    if (!(own1 && own2) && (sc->primary >= 0 || sc->secondary >= 0 || measuring)) {
        uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER, *end = (uint8_t *)row + row->length;
        for (int i = 0; columns[i].field && v < end; i++) {
            const PCFFieldDef *f = columns[i].field;
            if (i == sc->primary && !own1)
                n1 = PCFValueKey(f, v, 0, k1);
            if (i == sc->secondary && !own2)
                n2 = PCFValueKey(f, v, 1, k2);
            if (measuring && (uint32_t)i < b->st->colCount && PCFColumnShown(b->d, b->columns[i].flags))
                MeasureValue(&b->st->cols[i], b->measure, &columns[i], v);
            v = PCFNextValue(v, f);
        }
    }
    if (!KeyRoom(b->st))
        return 0;
    *keyAt = b->st->keysUsed;
    b->st->keysUsed += (uint32_t)PCFSortKey(k1, n1, d1, k2, n2, d2, b->st->keys + *keyAt) + 1;
    return 1;
}

/* A shown row counts for its side by its own flags: side A only, side B
 * only, or both when it stands on both sides. */
static void CountShown(DialogWords *d, const PCFROW *row)
{
    if (!(d->definition->flags & PCFD_PAIR)) {
        d->rowCounts[1]++;
        return;
    }
    if (!(row->flags & PCFR_SIDEB))
        d->rowCounts[1]++;
    if (!(row->flags & PCFR_SIDEA))
        d->rowCounts[3]++;
}

/* One record's rows; 0 when the fill ends. */
static int Rows(Build *b, PCFLISTREQ *r)
{
    PCFLISTAREA *area = PCFCurrentArea(r);
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    SortCols sc = FindSortCols(b->columns, parts.columns);
    int same = PCFSameColumns(area, b->columns);
    uint32_t n = 0;
    for (PCFROW *row = PCFFirstRow(area); row && n < area->rows; row = PCFNextRow(area, row), n++) {
        row->flags &= PCFR_KEEP;
        b->visited++;
        if (!KindShown(b->d, row) || SystemHidden(b->d, row))
            continue;
        int pass = Passes(b, area, row, n, n + 1 == area->rows && !PCFNextList(b->d, r));
        if (pass < 0) {
            b->failed = 1;
            return 0;
        }
        if (!pass)
            continue;
        if (b->filtered && (row->flags & (PCFR_FLASH | PCFR_MARKED)))
            b->d->markFlags |= DM_FLASHING;
        CountShown(b->d, row);
        const uint8_t *key;
        uint32_t kn = RowKey(row, &key);
        const SelEntry *e = kn ? SelFind(&b->sel, r, key, kn) : nullptr;
        uint32_t keyAt;
        if (!KeyAndMeasure(b, parts.columns, &sc, row, same, &keyAt))
            return 0;
        if (!AddShown(b->st, row, keyAt, e != nullptr))
            return 0;
        if (e)
            b->st->anySelected = 1;
        if (e && b->hasCaret && r == b->caretRequest && row->index == b->caretIndex)
            b->st->caret = (int32_t)(b->st->count - 1);
    }
    return 1;
}

/* One pass over every shown record. */
static void Pass(Build *b)
{
    PCFLISTSTATE *st = b->st;
    st->count = 0;
    st->keysUsed = 0;
    st->caret = -1;
    st->anySelected = 0;
    for (int i = 0; i < 4; i++)
        b->d->rowCounts[i] = 0;
    b->d->markFlags &= ~DM_FLASHING;
    b->total = 0;
    int pair = (b->d->definition->flags & PCFD_PAIR) != 0;
    for (PCFLISTREQ *r = PCFFirstList(b->d); r; r = PCFNextList(b->d, r))
        if (PCFListShown(b->d, r) && PCFCurrentArea(r))
            b->total += PCFCurrentArea(r)->rows;
    for (PCFLISTREQ *r = PCFFirstList(b->d); r && !b->failed; r = PCFNextList(b->d, r)) {
        PCFLISTAREA *area = PCFCurrentArea(r);
        if (!PCFListShown(b->d, r) || !area)
            continue;
        b->d->rowCounts[pair && r == &b->d->second ? 2 : 0] += area->rows;
        if (b->d->viewOptions & 0xC00000)
            PCFDiffFromDefaultCore(b->d, r);
        if (!Rows(b, r))
            break;
    }
}

/* Step 7: the predictive-text notice. */
static void Predictive(DialogWords *d)
{
    int any = 0;
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r))
        if (PCFListShown(d, r) && PCFCurrentArea(r) && (PCFCurrentArea(r)->flags & PCFLA_PREDICTIVE))
            any = 1;
    PCFListState(d)->predictive = any;
    if (any && PcfListPrefs.predictiveNotice)
        PCFStatus(d, "One or more messages show predictive text", DS_APPEND);
}

static void SortShown(PCFLISTSTATE *st)
{
    const char *keys = st->keys;
    std::stable_sort(st->rows, st->rows + st->count, [keys](const PCFSHOWN &a, const PCFSHOWN &b) {
        return strcmp(keys + a.key, keys + b.key) < 0;
    });
}

static int32_t IndexOfOrder(const PCFLISTSTATE *st, uint32_t order)
{
    for (uint32_t i = 0; i < st->count; i++)
        if (st->rows[i].order == order)
            return (int32_t)i;
    return -1;
}

static void ResetMeasures(PCFLISTSTATE *st, uint32_t columns)
{
    if (!EnsureCols(st, columns))
        return;
    for (uint32_t i = 0; i < columns; i++) {
        PCFCOLSIZE *c = &st->cols[i];
        c->valueWidth = c->deviceWidth = c->valueChars = 0;
        c->titleWidth = c->deviceTitle = c->titleChars = c->hasValues = 0;
    }
}

int PCFBuildRows(DialogWords *d, int mode, const PCFSELECTION *before, const PCFMEASURE *measure)
{
    PCFLISTSTATE *st = PCFListState(d);
    if (!st || !d->definition || !d->definition->list)
        return 0;
    PCFMEASURE none = {};
    Build b = {};
    b.d = d;
    b.st = st;
    b.measure = measure ? measure : &none;
    b.columns = PCFDialogColumns(d);
    ResetMeasures(st, (uint32_t)PCFColumnCount(b.columns));
    if (mode & PCFU_MEASUREONLY) {
        for (uint32_t i = 0; i < st->count; i++) {
            PCFROW *row = st->rows[i].row;
            PCFLISTAREA *area = row->request ? PCFCurrentArea(row->request) : nullptr;
            SortCols unsorted = { -1, -1, 0, 0 };
            uint32_t key;
            PCFLISTPARTS parts;
            if (!area)
                continue;
            PCFListAreaPointers(area, &parts);
            uint32_t saved = st->keysUsed;
            KeyAndMeasure(&b, parts.columns, &unsorted, row, PCFSameColumns(area, b.columns), &key);
            st->keysUsed = saved;
        }
        MeasureTitles(d, st, b.measure, b.columns);
        return 0;
    }
    const PCFLISTFILTER *f = &FilterHooks;
    if (f->colReset)
        f->colReset(f->context, d);
    if (!SelBuild(d, before, &b.sel))
        PCFStatus(d, "No Storage", 1);
    if (before && before->caret) {
        b.hasCaret = 1;
        b.caretRequest = before->caret->request;
        b.caretIndex = before->caret->index;
    }
    b.filtered = f->begin && f->begin(f->context, d);
    if (b.filtered)
        PCFClearFilterMark(d);
    Predictive(d);
    Pass(&b);
    if (!b.failed && b.filtered && f->rescan && f->rescan(f->context, d)) {
        ResetMeasures(st, st->colCount);
        Pass(&b);
    }
    st->evalFailed = b.failed;
    uint32_t caretOrder = st->caret >= 0 ? st->rows[st->caret].order : 0;
    SortShown(st);
    st->caret = (mode & PCFU_NOTOP) || st->caret < 0 ? -1 : IndexOfOrder(st, caretOrder);
    if (!st->anySelected && PcfListPrefs.selectFirst && st->count) {
        st->rows[0].selected = 1;
        st->anySelected = 1;
    }
    st->top = (mode & PCFU_NOTOP) || !before ? 0 : before->top;
    if (st->top >= (int32_t)st->count)
        st->top = st->count ? (int32_t)st->count - 1 : 0;
    MeasureTitles(d, st, b.measure, b.columns);
    if (f->colRecount)
        f->colRecount(f->context, d);
    if (f->end && b.filtered)
        f->end(f->context, d);
    CSFreeMemAndClear(&b.sel.slots);
    PCFHoldShownAreas(d);
    return b.failed;
}

void PCFHoldShownAreas(DialogWords *d)
{
    PCFLISTSTATE *st = PCFListState(d);
    if (!st)
        return;
    uint32_t n = 0;
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r))
        n += PCFCurrentArea(r) && PCFListShown(d, r);
    PCFLISTAREA **held = n ? (PCFLISTAREA **)CSGetMem(sizeof *held * n, "HELDAREAS") : nullptr;
    if (n && !held)
        return;                           /* the old ones stay held */
    uint32_t k = 0;
    for (PCFLISTREQ *r = PCFFirstList(d); r && k < n; r = PCFNextList(d, r))
        if (PCFCurrentArea(r) && PCFListShown(d, r)) {
            held[k] = PCFCurrentArea(r);
            AddRefBlock(held[k++]);
        }
    for (uint32_t i = 0; i < st->heldCount; i++)
        ReleaseRefBlock(&st->held[i]);
    CSFreeMemAndClear(&st->held);
    st->held = held;
    st->heldCount = st->heldCapacity = k;
}

static int Holds(const PCFLISTAREA *a, const PCFROW *row)
{
    return a && (const uint8_t *)row >= (const uint8_t *)a && (const uint8_t *)row < (const uint8_t *)a + a->used;
}

PCFLISTAREA *PCFRowArea(DialogWords *d, const PCFROW *row)
{
    PCFLISTSTATE *st = PCFListState(d);
    for (uint32_t i = 0; st && i < st->heldCount; i++)
        if (Holds(st->held[i], row))
            return st->held[i];
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r))
        for (PCFLISTAREA *a : { r->replyArea, r->rebuilt })
            if (Holds(a, row))
                return a;
    return nullptr;
}

int PCFShownSelected(DialogWords *d, PCFROW **rows, int max)
{
    PCFLISTSTATE *st = PCFListState(d);
    int n = 0;
    for (uint32_t i = 0; st && i < st->count; i++)
        if (st->rows[i].selected) {
            if (n < max)
                rows[n] = st->rows[i].row;
            n++;
        }
    return n;
}
