/* Dialog records: the "DLG:" entry's reader and writer. */
#include "cfgdialog.h"
#include "cfgfile.h"
#include "cmddlg.h"
#include "prfdata.h"
#include "cs.h"

#include <cstddef>
#include <cstring>

struct DLGFLAG {
    const char *name;
    uint8_t word;                      /* 0: option word A, 1: B */
    uint32_t bit;
};

/* In the writer's order. */
static const DLGFLAG dlgFlags[] = {
    { "buttons", 0, DLGA_BUTTONS }, { "fields", 0, DLGA_FIELDS }, { "filter", 0, DLGA_FILTER },
    { "initrefresh", 0, DLGA_INITREFRESH }, { "tfull", 0, DLGA_TFULL },
    { "tshort", 0, DLGA_TSHORT }, { "tmqsc", 0, DLGA_TMQSC }, { "tl", 1, DLGB_TL },
    { "autoexp", 1, DLGB_AUTOEXP }, { "autoexpapp", 1, DLGB_AUTOEXPAPP },
    { "autoexpchng", 1, DLGB_AUTOEXPCHNG }, { "autoexpah", 1, DLGB_AUTOEXPAH },
    { "autoexpts", 1, DLGB_AUTOEXPTS }, { "autoexpsys", 1, DLGB_AUTOEXPSYS },
    { "autoexpdef", 1, DLGB_AUTOEXPDEF }, { "nosys", 1, DLGB_NOSYS },
};

/* Integer keys: the field and whether it is written on the flags line. */
struct DLGINT {
    const char *name;
    size_t offset;
};
#define DI(f) offsetof(DLGINFO, f)
static const DLGINT dlgInts[] = {
    { "x2", DI(x2) }, { "y2", DI(y2) }, { "cx2", DI(cx2) }, { "cy2", DI(cy2) },
    { "refresh", DI(refresh) }, { "align", DI(align) }, { "ds3", DI(ds3) },
    { "exptype", DI(exptype) }, { "expseltype", DI(expseltype) },
    { "autoexptype", DI(autoexptype) },
};
#undef DI

/* ---- reading ---------------------------------------------------------- */

static int tag(const char *token, int len, uint32_t q)
{
    return PrfIsSectionTag(token, len, q);
}

/* Whether two texts are the same, compared in line: the keywords are
 * short, and a library call per compare costs more on some hosts. */
static inline bool same(const char *a, const char *b)
{
    while (*a && *a == *b)
        a++, b++;
    return *a == *b;
}

/* The keywords of an entry; the length of the token that ended them. */
static int read_keywords(PRFIN *in, DLGINFO *d, char *token, uint32_t *q)
{
    for (;;) {
        int len = PrfGetToken(in, q, 0, token);
        if ((len == 0 && !*q) || tag(token, len, *q))
            return len;
        if (*q)
            continue;
        int done = 0;
        for (const DLGFLAG &f : dlgFlags)
            if (token[0] == f.name[0] && same(token, f.name)) {
                (f.word ? d->optB : d->optA) |= f.bit;
                done = 1;
            }
        if (done)
            continue;
        if (same(token, "x") || same(token, "y") || same(token, "cx") ||
            same(token, "cy")) {
            int32_t v = 0;
            char key = token[0] == 'c' ? token[1] : token[0];
            int size = token[0] == 'c';
            PrfGetInt(in, &v, token);
            int32_t *one = key == 'x' ? (size ? &d->cx : &d->x) : (size ? &d->cy : &d->y);
            int32_t *two = key == 'x' ? (size ? &d->cx2 : &d->x2) : (size ? &d->cy2 : &d->y2);
            *one = *two = v;
            if (key == 'x')
                d->optA |= size ? DLGA_SIZESAVED : DLGA_POSSAVED;
            continue;
        }
        for (const DLGINT &k : dlgInts)
            if (token[0] == k.name[0] && same(token, k.name)) {
                PrfGetInt(in, (int32_t *)((char *)d + k.offset), token);
                done = 1;
                break;
            }
        if (done)
            continue;
        if (same(token, "expfile") || same(token, "autoexpfile")) {
            char *field = token[0] == 'e' ? d->expfile : d->autoexpfile;
            PrfGetString(in, field, sizeof d->expfile, token);
        } else if (same(token, "dftfilter")) {
            int vlen = PrfGetValue(in, token, q);
            if (tag(token, vlen, *q))
                return vlen;
            CSFreeMemAndClear(&d->dftFilter);
            d->dftFilter = (char *)CSGetMem((size_t)vlen + 1, "DFTFILTER");
            if (d->dftFilter)
                memcpy(d->dftFilter, token, (size_t)vlen + 1);
        }
    }
}

/* Reads past a damaged list's pairs up to the next tag. */
static int skip_to_tag(PRFIN *in, char *token, uint32_t *q)
{
    for (;;) {
        int len = PrfGetToken(in, q, 0, token);
        if ((len == 0 && !*q) || tag(token, len, *q))
            return len;
    }
}

/* The list read so far becomes the dialog's columns, the always-present
 * ones added after the stored ones: a list cut short ends as a whole one
 * does, so that it reads back as written.  The list has room for them
 * and its end mark (see read_columns). */
static void finish_columns(DLGINFO *d, DLGCOLUMN *list, int count, const DLGCOLUMN *defaults)
{
    for (const DLGCOLUMN *c = defaults; c && c->field; c++)
        if ((c->flags & DLGCOL_ALWAYS) &&
            !DlgColumnsHold(list, count, DefFieldAttribute(c->field))) {
            list[count].field = c->field;
            list[count].flags = DLGCOL_ALWAYS;
            count++;
        }
    list[count].field = nullptr;
    list[count].flags = 0;
    DlgFieldsMergeFlags(list, defaults);
    d->columns = list;
}

/* The always-present columns of a definition's defaults. */
static int always_count(const DLGCOLUMN *defaults)
{
    int n = 0;
    for (const DLGCOLUMN *c = defaults; c && c->field; c++)
        n += (c->flags & DLGCOL_ALWAYS) != 0;
    return n;
}

/* "LST:": the stored columns, then the always-present ones; a count
 * that is no count keeps the default columns.  The list is made as large
 * as what it can come to hold: the stored count, the always-present
 * columns and the end mark.  Nothing adds to it in place later (a changed
 * list is a new block), and a small block comes from the heap far faster
 * on some hosts than one of a kilobyte. */
static int read_columns(PRFIN *in, DLGINFO *d, const uint8_t *caps, char *token, uint32_t *q)
{
    int64_t n;
    int len = PrfGetToken(in, q, 0, token);
    if (*q || !PrfBoundedCount(token, DLG_MAXCOLUMNS, &n))
        return tag(token, len, *q) ? len : skip_to_tag(in, token, q);
    const DLGCOLUMN *defaults = DefDefaultColumns(d->def);
    size_t entries = (size_t)n + (size_t)always_count(defaults) + 1;
    DLGCOLUMN *list = (DLGCOLUMN *)CSGetMem(entries * sizeof(DLGCOLUMN), "PCFLIST");
    if (!list)
        return skip_to_tag(in, token, q);
    int count = 0;
    int32_t previous = INT32_MIN;
    for (int64_t i = 0; i < n; i++) {
        int32_t id = 0, flags = 0;
        len = PrfGetToken(in, q, 0, token);
        if ((len == 0 && !*q) || tag(token, len, *q)) {
            finish_columns(d, list, count, defaults);
            return len;
        }
        id = (int32_t)PrfDecimal(token);
        len = PrfGetToken(in, q, 0, token);
        if ((len == 0 && !*q) || tag(token, len, *q)) {
            finish_columns(d, list, count, defaults);
            return len;
        }
        flags = (int32_t)PrfDecimal(token);
        if (id == previous || DlgColumnsHold(list, count, id))
            continue;                   /* a column is listed once */
        previous = id;
        const PCFFieldDef *field = DefFindField(d->def, id, caps);
        if (field) {
            list[count].field = field;
            list[count].flags = (uint32_t)flags;
            count++;
        }
    }
    finish_columns(d, list, count, defaults);
    return PrfGetToken(in, q, 0, token);
}

static int read_filter_lines(PRFIN *in, DLGINFO *d, char *token, uint32_t *q)
{
    for (;;) {
        int len = PrfGetToken(in, q, 0, token);
        if ((len == 0 && !*q) || tag(token, len, *q))
            return len;
        CSListAdd(&d->filters, "FILTER2", CSLIST_COPYDATA, token, (size_t)len + 1);
    }
}

/* An entry whose title names no definition: its text up to the next tag
 * that is not its own is kept to be written back. */
static int keep_unknown(PRFIN *in, CSTREE **tree, const char *title, size_t start, char *token,
                        uint32_t *q)
{
    int len;
    for (;;) {
        len = PrfGetToken(in, q, 0, token);
        if (len == 0 && !*q)
            break;
        if (tag(token, len, *q) && !same(token, "LST:") && !same(token, "FLT:"))
            break;
    }
    size_t end = PrfKeptEnd(in->text, start, len || *q ? in->tokenStart : in->length);
    DLGINFO d;
    memset(&d, 0, sizeof d);
    memcpy(d.title, title, strnlen(title, DLGINFO_TITLE - 1));
    d.raw = PrfKeptText(in->text + start, end - start, "DLGINFO");
    if (!d.raw)
        return len;
    if (!CSTreeAdd(tree, "DLGINFO", CSTREE_NORENUM, &d, sizeof d, DLGINFO_TITLE))
        CSFreeMem(d.raw);
    return len;
}

/* The saved rectangle of the current monitor configuration fitted to the
 * monitors; the other configuration's slot is kept as it was saved, for
 * when the program starts on that configuration again. */
static void fit_rectangles(DLGINFO *d)
{
    const CFGHOOKS *h = CfgHooks();
    if (!h->fitRect || !(d->optA & (DLGA_POSSAVED | DLGA_SIZESAVED)))
        return;
    int32_t *slot[2][4] = { { &d->x, &d->y, &d->cx, &d->cy }, { &d->x2, &d->y2, &d->cx2, &d->cy2 } };
    int32_t **s = slot[PCFPlacementSlot()];
    int32_t rect[4] = { *s[0], *s[1], *s[2], *s[3] };
    h->fitRect(h->context, rect);
    for (int i = 0; i < 4; i++)
        *s[i] = rect[i];
}

int CfgFileParseDialog(PRFIN *in, CSTREE **tree, const uint8_t *caps, char *token)
{
    uint32_t q;
    size_t start = in->tokenStart;
    char title[PRF_TOKEN_SIZE];
    int tlen = PrfGetToken(in, &q, 0, title);
    if (!PrfKeptTitle(title, tlen, q)) {
        memcpy(token, title, (size_t)tlen + 1);
        return tlen;
    }
    const void *def = tlen ? DefFindCommand(title) : nullptr;
    if (!def)
        return keep_unknown(in, tree, title, start, token, &q);
    DLGINFO *d = (DLGINFO *)CSGetMem(sizeof(DLGINFO), "DLGINFO");
    if (!d)
        return keep_unknown(in, tree, "", start, token, &q);
    memset(d, 0, sizeof *d);
    memcpy(d->title, title, strnlen(title, DLGINFO_TITLE - 1));
    d->align = -1;
    d->def = def;
    int len = read_keywords(in, d, token, &q);
    if (DefFlags(def) & 0x20) {
        d->optA &= ~(DLGA_INITREFRESH | DLGA_AUTOREFRESH);
        d->refresh = 0;
    }
    fit_rectangles(d);
    if (len && same(token, "LST:"))
        len = read_columns(in, d, caps, token, &q);
    if (len && same(token, "FLT:"))
        len = read_filter_lines(in, d, token, &q);
    /* the block itself goes into the tree */
    if (!CSTreeAdd(tree, "DLGINFO", CSTREE_NORENUM | CSTREE_INSERT, d, sizeof *d,
                   DLGINFO_TITLE)) {
        DlgInfoFreeData(d);
        CSFreeMem(d);
    }
    return len;
}

/* ---- writing ---------------------------------------------------------- */

static void put_quoted_line(PRFOUT *out, const char *key, const char *text, size_t max)
{
    PrfOutText(out, key);
    PrfPutQuoted(out, text, max ? max : strlen(text));
    PrfOutChar(out, '\n');
}

/* Four keys with their values, each followed by a blank. */
static void put_ints(PRFOUT *out, const char *k1, const char *k2, const char *k3,
                     const char *k4, int32_t v1, int32_t v2, int32_t v3, int32_t v4)
{
    PrfOutKeyInt(out, k1, v1, ' ');
    PrfOutKeyInt(out, k2, v2, ' ');
    PrfOutKeyInt(out, k3, v3, ' ');
    PrfOutKeyInt(out, k4, v4, ' ');
}

int CfgFileWriteDialog(const DLGINFO *d, PRFOUT *out)
{
    if (d->raw) {
        PrfOutChar(out, '\n');
        PrfOutText(out, d->raw);
        PrfOutChar(out, '\n');
        return 0;
    }
    PrfOutText(out, "\nDLG:");
    PrfPutQuoted(out, d->title, PRF_WHOLE);
    PrfOutChar(out, '\n');
    if ((Prf.opt1 & 0x10) && (d->optA & DLGA_POSSAVED))
        put_ints(out, "x=", "y=", "x2=", "y2=", d->x, d->y, d->x2, d->y2);
    if ((Prf.opt1 & 0x20) && (d->optA & DLGA_SIZESAVED))
        put_ints(out, "cx=", "cy=", "cx2=", "cy2=", d->cx, d->cy, d->cx2, d->cy2);
    PrfOutChar(out, '\n');
    int any = 0;
    if (d->refresh) {
        PrfOutKeyInt(out, "refresh=", d->refresh, ' ');
        any = 1;
    }
    if (d->align != -1) {
        PrfOutKeyInt(out, "align=", d->align, ' ');
        any = 1;
    }
    for (const DLGFLAG &f : dlgFlags) {
        if (!((f.word ? d->optB : d->optA) & f.bit))
            continue;
        PrfOutText(out, f.name);
        PrfOutChar(out, ' ');
        any = 1;
    }
    const struct { const char *name; int32_t v; } tail[] = {
        { "ds3", d->ds3 }, { "autoexptype", d->autoexptype }, { "exptype", d->exptype },
        { "expseltype", d->expseltype },
    };
    for (const auto &t : tail)
        if (t.v) {
            PrfOutText(out, t.name);
            PrfOutKeyInt(out, "=", t.v, ' ');
            any = 1;
        }
    if (any)
        PrfOutChar(out, '\n');
    if (d->autoexpfile[0])
        put_quoted_line(out, " autoexpfile=", d->autoexpfile, 300);
    if (d->expfile[0])
        put_quoted_line(out, " expfile=", d->expfile, 300);
    if (d->dftFilter && d->dftFilter[0])
        put_quoted_line(out, "dftfilter=", d->dftFilter, 0);
    int n = DlgColumnCount(d->columns);
    if (n) {
        PrfOutKeyInt(out, "LST: ", n, ' ');
        for (int i = 0; i < n; i++) {
            PrfOutKeyInt(out, "", DefFieldAttribute(d->columns[i].field), ' ');
            PrfOutKeyInt(out, "", d->columns[i].flags, ' ');
        }
        PrfOutChar(out, '\n');
    }
    if (d->filters.first) {
        PrfOutText(out, "\nFLT:\n");
        for (CSLISTELEM *e = d->filters.first; e; e = e->next) {
            PrfPutQuoted(out, (const char *)(e + 1), (size_t)e->length);
            PrfOutChar(out, '\n');
        }
    }
    return 0;
}

static void write_one(CSTREE *e, void *out)
{
    CfgFileWriteDialog((const DLGINFO *)e, (PRFOUT *)out);
}

void CfgWriteDialogs(CSTREE *tree, PRFOUT *out)
{
    CSListForEach(tree, write_one, out);
}
