/* The profile sections: the order they are read in, print layouts,
 * context-menu usage, find and replace lists, customised column lists,
 * monitor sections, string lists and object-name lists, and the writer
 * of all sections. */
#include "prfsect.h"
#include "prffile.h"
#include "cfgdialog.h"
#include "cmdusage.h"
#include "savedlg.h"
#include "pdgfile.h"
#include "cs.h"
#include "mqsc.h"

#include <cstring>
#include <initializer_list>

PRFSECTIONS PrfSections;

const char *const PrfObjectTags[PRF_OBJLISTS] = {
    "OBQ:", "OBP:", "OBC:", "OBN:", "OBS:", "OBL:", "OBM:", "OBA:", "OBT:", "OBE:", "OBI:",
    "OBO:", "OBR:", "OBF:", "OBX:", "OBB:", "OBD:", "OBG:", "OBH:", "OBK:", "OBU:", "OBJ",
    "OBV:", "OBY:", "OBW:", "OEA:", "OEM:", "OEQ:", "OES:", "OEE:", "OAR:", "OEEM:",
};

/* ---- tags ---------------------------------------------------------------- */

/* An object-list tag, recognised by its first four characters: its
 * index, or -1. */
static int object_tag(const char *token, uint32_t q)
{
    if (q)
        return -1;
    for (int i = 0; i < PRF_OBJLISTS; i++)
        if (!strncmp(token, PrfObjectTags[i], 4))
            return i;
    return -1;
}

/* A tag ends a section: a word ending in ":", or the object list "OBJ"
 * that has none. */
static int is_tag(const char *token, int len, uint32_t q)
{
    return PrfIsSectionTag(token, len, q) || (!q && !strcmp(token, "OBJ"));
}

static int at_end(int len, uint32_t q)
{
    return len == 0 && !q;
}

static int skip_to_tag(PRFIN *in, char *token)
{
    uint32_t q;
    for (;;) {
        int len = PrfGetToken(in, &q, 0, token);
        if (at_end(len, q) || is_tag(token, len, q))
            return len;
    }
}

/* ---- print layouts ------------------------------------------------------- */

static void reset_layout(PRFLAYOUT *l)
{
    CSFreeMemAndClear(&l->left);
    CSFreeMemAndClear(&l->centre);
    CSFreeMemAndClear(&l->right);
    memset(l, 0, sizeof *l);
    l->margin = 100;
}

int PrfReadPrintLayout(PRFIN *in, PRFLAYOUT *l, char *token)
{
    uint32_t q;
    for (;;) {
        int len = PrfGetToken(in, &q, 0, token);
        if (at_end(len, q) || is_tag(token, len, q))
            return len;
        if (q)
            continue;
        char **text = !strcmp(token, "left") ? &l->left : !strcmp(token, "center") ? &l->centre
                    : !strcmp(token, "right") ? &l->right : nullptr;
        if (text) {
            CSFreeMemAndClear(text);
            PrfGetStringAlloc(in, text, token);
        } else if (!strcmp(token, "font")) {
            PrfGetFont(in, &l->font, token);
        } else if (!strcmp(token, "fontsize")) {
            PrfGetInt(in, &l->font.height, token);
        } else if (!strcmp(token, "psize")) {
            PrfGetInt(in, &l->font.pointSize, token);
        } else if (!strcmp(token, "rgb")) {
            int32_t v = (int32_t)l->font.colour;
            PrfGetInt(in, &v, token);
            l->font.colour = (uint32_t)v;
        } else if (!strcmp(token, "charset")) {
            PrfGetShort(in, &l->font.charSet, token);
        } else if (!strcmp(token, "margin")) {
            /* only a margin that is written back is taken: 0 and worse
               leave the default */
            int16_t margin = 0;
            PrfGetShort(in, &margin, token);
            if (margin > 0)
                l->margin = margin;
        }
    }
}

/* ---- context-menu usage ----------------------------------------------- */

int PrfReadMenuRows(PRFIN *in, char *token)
{
    uint32_t q;
    for (;;) {
        int len = PrfGetToken(in, &q, 0, token);
        if (at_end(len, q) || is_tag(token, len, q))
            return len;
        if (q || strcmp(token, "("))
            continue;
        int32_t v[3] = { 0, 0, 0 };
        int i = 0;
        for (; i < 3; i++) {
            len = PrfGetToken(in, &q, 0, token);
            if (at_end(len, q) || is_tag(token, len, q))
                return len;
            v[i] = (int32_t)PrfDecimal(token);
        }
        PrfCommandUsage(v[0], v[1], Prf.storedVersion < 702 ? 0 : v[2]);
    }
}

/* ---- find and replace lists -------------------------------------------- */

static void free_fr(CSLISTELEM *e, void *)
{
    CSFreeMemAndClear(&((FRENTRY *)e)->text);
}

int PrfReadTextList(PRFIN *in, CSLIST *list, char *token)
{
    uint32_t q;
    for (;;) {
        int len = PrfGetToken(in, &q, 0, token);
        if (at_end(len, q) || is_tag(token, len, q))
            return len;
        int32_t number = (int32_t)PrfDecimal(token);
        while (in->pos < in->length && strchr(" \t\r\n", in->text[in->pos]))
            in->pos++;
        if (in->pos >= in->length || in->text[in->pos] != '"')
            continue;
        FRENTRY e;
        memset(&e, 0, sizeof e);
        uint32_t capacity = 0;
        int n = PrfGetStringArea(in, &e.text, &capacity, 1);
        /* the text as it is written, so that it reads back so: no NUL
           bytes, no blanks at its end */
        int kept = 0;
        for (int i = 0; i < n; i++)
            if (e.text[i])
                e.text[kept++] = e.text[i];
        while (kept > 0 && e.text[kept - 1] == ' ')
            kept--;
        if (n > 0)
            e.text[kept] = 0;
        n = kept;
        if (n <= 0) {
            CSFreeMemAndClear(&e.text);
            continue;
        }
        e.number = number;
        e.length = n;
        e.hexDigits = UTCountHexDigits(e.text, n);
        if (!CSListAdd(list, "FR", 0, &e, sizeof e))
            CSFreeMem(e.text);
    }
}

void PrfWriteTextList(PRFOUT *out, const CSLIST *list, const char *tag)
{
    if (!list->first)
        return;
    PrfOutFormat(out, "\n%s", tag);
    for (CSLISTELEM *e = list->first; e; e = e->next) {
        const FRENTRY *f = (const FRENTRY *)e;
        PrfOutFormat(out, "\n%d ", (int)f->number);
        PrfPutStringArea(out, f->text, 1);         /* read back by PrfGetStringArea */
    }
    PrfOutChar(out, '\n');
}

/* ---- customised column lists ("GDG:") --------------------------------- */

static int32_t read_number(PRFIN *in, char *token, int *ok)
{
    uint32_t q;
    int len = PrfGetToken(in, &q, 0, token);
    *ok = !at_end(len, q) && !is_tag(token, len, q);
    return (int32_t)PrfDecimal(token);
}

/* The column list of a definition from its stored pairs; the token after
 * the list.  A damaged count keeps the definition's current list. */
static int read_column_list(PRFIN *in, const void *def, char *token)
{
    uint32_t q;
    int len = PrfGetToken(in, &q, 0, token);
    if (q || strcmp(token, "LST:"))
        return at_end(len, q) || is_tag(token, len, q) ? len : skip_to_tag(in, token);
    int64_t n;
    len = PrfGetToken(in, &q, 0, token);
    if (q || !PrfBoundedCount(token, DLG_MAXCOLUMNS, &n))
        return is_tag(token, len, q) || at_end(len, q) ? len : skip_to_tag(in, token);
    const DLGCOLUMN *defaults = DefDefaultColumns(def);
    size_t entries = (size_t)n + (size_t)DlgColumnCount(defaults) + 5 + 1;
    DLGCOLUMN *list = (DLGCOLUMN *)CSGetMem(entries * sizeof(DLGCOLUMN), "PCFLIST");
    if (!list)
        return skip_to_tag(in, token);
    memset(list, 0, entries * sizeof(DLGCOLUMN));
    int count = 0, ok = 1;
    int32_t previous = INT32_MIN;
    for (int64_t i = 0; i < n && ok; i++) {
        int32_t id = read_number(in, token, &ok);
        int32_t flags = ok ? read_number(in, token, &ok) : 0;
        if (!ok || id == previous || DlgColumnsHold(list, count, id)) {
            previous = id;
            continue;
        }
        previous = id;
        const PCFFieldDef *field = DefFindField(def, id, nullptr);
        if (field && DefFieldType(field) != 6) {
            list[count].field = field;
            list[count].flags = (uint32_t)flags;
            count++;
        }
    }
    for (const DLGCOLUMN *c = defaults; c && c->field; c++) {
        int32_t attr = DefFieldAttribute(c->field);
        if ((c->flags & DLGCOL_ALWAYS) && !DlgColumnsHold(list, count, attr)) {
            list[count].field = c->field;
            list[count].flags = DLGCOL_ALWAYS;
            count++;
        }
        for (int k = 0; k < count; k++)
            if (DefFieldAttribute(list[k].field) == attr)
                list[k].flags = (list[k].flags & ~DLGCOL_DEFAULT_BITS) |
                                (c->flags & DLGCOL_DEFAULT_BITS);
    }
    DlgFieldsMergeFlags(list, defaults);
    DefSetColumns(def, list);
    if (!ok)
        return (int)strlen(token);
    return PrfGetToken(in, &q, 0, token);
}

/* A list of a dialog no definition knows: its text is kept to be written
 * back. */
static int keep_columns(PRFIN *in, size_t start, char *token)
{
    uint32_t q;
    int len;
    for (;;) {
        len = PrfGetToken(in, &q, 0, token);
        if (at_end(len, q) || (is_tag(token, len, q) && strcmp(token, "LST:")))
            break;
    }
    size_t end = PrfKeptEnd(in->text, start, len || q ? in->tokenStart : in->length);
    char *text = PrfKeptText(in->text + start, end - start, "GDG");
    if (!text)
        return len;
    if (!CSListAdd(&PrfSections.keptColumns, "GDG", CSLIST_COPYDATA, &text, sizeof text))
        CSFreeMem(text);
    return len;
}

static int read_gdg(PRFIN *in, char *token)
{
    size_t start = in->tokenStart;
    uint32_t q;
    char name[PRF_TOKEN_SIZE];
    int len = PrfGetToken(in, &q, 0, name);
    if (!PrfKeptTitle(name, len, q)) {
        memcpy(token, name, (size_t)len + 1);
        return len;
    }
    const void *def = name[0] ? DefFindCommand(name) : nullptr;
    if (!def)
        return keep_columns(in, start, token);
    return read_column_list(in, def, token);
}

static int columns_are_default(const void *def)
{
    return DefCurrentColumns(def) == DefDefaultColumns(def);
}

static void write_gdg(PRFOUT *out)
{
    for (int list = 0; list < 2; list++)
        for (int i = 0; const void *def = DefAt(list, i); i++) {
            if (columns_are_default(def))
                continue;
            const DLGCOLUMN *c = DefCurrentColumns(def);
            int distinct = 0;
            for (int k = 0; c[k].field; k++)
                if (k == 0 || DefFieldAttribute(c[k].field) != DefFieldAttribute(c[k - 1].field))
                    distinct++;
            PrfOutFormat(out, "\nGDG:\"%s\"\nLST: %d ", DefTitle(def), distinct);
            for (int k = 0; c[k].field; k++)
                if (k == 0 || DefFieldAttribute(c[k].field) != DefFieldAttribute(c[k - 1].field))
                    PrfOutFormat(out, "%ld %ld ", (long)DefFieldAttribute(c[k].field),
                            (long)c[k].flags);
            PrfOutChar(out, '\n');
        }
    for (CSLISTELEM *e = PrfSections.keptColumns.first; e; e = e->next) {
        char *text;
        memcpy(&text, e + 1, sizeof text);
        PrfOutFormat(out, "\n%s\n", text);
    }
}

/* ---- monitor sections, string lists, object lists ------------------------ */

int PrfSkipMonitorSection(PRFIN *in, char *token)
{
    return skip_to_tag(in, token);
}

static int read_strings(PRFIN *in, CSLIST *list, const char *tag, char *token)
{
    uint32_t q;
    for (;;) {
        int len = PrfGetToken(in, &q, 0, token);
        if (at_end(len, q) || is_tag(token, len, q))
            return len;
        CSListAdd(list, tag, CSLIST_COPYDATA, token, (size_t)len + 1);
    }
}

/* Object lists follow each other in any order; returns the token that is
 * no object list, or -1 when an unquoted word ends the profile. */
static int read_object_lists(PRFIN *in, int index, char *token, int *stop)
{
    uint32_t q;
    for (;;) {
        int len = PrfGetToken(in, &q, 0, token);
        if (at_end(len, q))
            return 0;
        if (q) {
            /* an item is written up to a NUL and without blanks at its end:
               one that would be written empty would not read back */
            if (token[strspn(token, " ")])
                CSListAdd(&PrfSections.objectNames[index], "OBJNAME", CSLIST_COPYDATA, token,
                          (size_t)len + 1);
            continue;
        }
        int next = object_tag(token, q);
        if (next >= 0) {
            index = next;
            continue;
        }
        if (!is_tag(token, len, q))
            *stop = 1;
        return len;
    }
}

static void write_strings(PRFOUT *out, const CSLIST *list, const char *tag)
{
    if (!list->first)
        return;
    PrfOutFormat(out, "\n%s\n", tag);
    for (CSLISTELEM *e = list->first; e; e = e->next) {
        PrfPutQuoted(out, (const char *)(e + 1), PRF_WHOLE);
        PrfOutChar(out, '\n');
    }
}

/* ---- the order of the sections ---------------------------------------- */

enum SectionKind {
    SK_PRT, SK_PRH, SK_PRF, SK_FLK, SK_MNU, SK_FRF, SK_FRR, SK_DLG, SK_GDG, SK_PDG, SK_MON,
    SK_MQS, SK_QMSRCH, SK_QSRCH, SK_QPFX, SK_OBJ, SK_COUNT
};

struct SECTION {
    const char *tag;
    uint8_t kind;
    uint8_t step;
    uint8_t repeated;
};

static const SECTION sections[] = {
    { "PRT:", SK_PRT, 1, 0 }, { "PRH:", SK_PRH, 1, 0 }, { "PRF:", SK_PRF, 1, 0 },
    { "FLK:", SK_FLK, 2, 0 }, { "MNU:", SK_MNU, 3, 0 },
    { "FRF:", SK_FRF, 4, 0 }, { "FRR:", SK_FRR, 4, 0 },
    { "DLG:", SK_DLG, 5, 1 }, { "GDG:", SK_GDG, 6, 1 }, { "PDG:", SK_PDG, 7, 1 },
    { "MON:", SK_MON, 8, 1 },
    { "MQS:", SK_MQS, 9, 0 }, { "QMSRCH:", SK_QMSRCH, 9, 0 }, { "QSRCH:", SK_QSRCH, 9, 0 },
    { "QPFX:", SK_QPFX, 9, 0 },
};

static const SECTION *find_section(const char *token, uint32_t q)
{
    static const SECTION objects = { nullptr, SK_OBJ, 10, 1 };
    if (q)
        return nullptr;
    for (const SECTION &s : sections)
        if (!strcmp(token, s.tag))
            return &s;
    return object_tag(token, q) >= 0 ? &objects : nullptr;
}

int PrfReadSections(PRFIN *in, char *token, int len)
{
    uint8_t seen[SK_COUNT] = { 0 };
    int step = 0;
    PRFSECTIONS &p = PrfSections;
    for (;;) {
        const SECTION *s = len ? find_section(token, 0) : nullptr;
        if (!s || s->step < step || (seen[s->kind] && !s->repeated))
            return len;
        step = s->step;
        seen[s->kind] = 1;
        int stop = 0;
        switch (s->kind) {
        case SK_PRT: case SK_PRH: case SK_PRF:
            len = PrfReadPrintLayout(in, &p.layouts[s->kind - SK_PRT], token);
            break;
        case SK_FLK: len = PrfReadFilters(in, 1, token); break;
        case SK_MNU: len = PrfReadMenuRows(in, token); break;
        case SK_FRF: len = PrfReadTextList(in, &p.findList, token); break;
        case SK_FRR: len = PrfReadTextList(in, &p.replaceList, token); break;
        case SK_DLG: len = CfgFileParseDialog(in, &DlgInfoGlobal, nullptr, token); break;
        case SK_GDG: len = read_gdg(in, token); break;
        case SK_PDG: len = PrfReadSavedDialog(in, token); break;
        case SK_MON: len = PrfSkipMonitorSection(in, token); break;
        case SK_MQS: len = read_strings(in, MQSCGlobalHistory(), "MQSCCMD2", token); break;
        case SK_QMSRCH: len = read_strings(in, &p.qmSearch, "QMSRCH", token); break;
        case SK_QSRCH: len = read_strings(in, &p.qSearch, "QSRCH", token); break;
        case SK_QPFX: len = read_strings(in, &p.qPrefix, "QPFX", token); break;
        case SK_OBJ: len = read_object_lists(in, object_tag(token, 0), token, &stop); break;
        }
        if (stop)
            return 0;
    }
}

void PrfWriteSections(PRFOUT *out)
{
    PRFSECTIONS &p = PrfSections;
    static const char letters[3] = { 'T', 'H', 'F' };
    for (int i = 0; i < 3; i++) {
        PrfOutChar(out, '\n');
        PrfPutPrintLayout(out, &p.layouts[i], letters[i], Prf.font.charSet);
    }
    PrfWriteFilters(out);
    PrfOutText(out, "MNU:\n");
    WriteCommandUsage(out);
    PrfOutChar(out, '\n');
    PrfWriteTextList(out, &p.findList, "FRF:");
    PrfWriteTextList(out, &p.replaceList, "FRR:");
    CfgWriteDialogs(DlgInfoGlobal, out);
    write_gdg(out);
    PrfWriteSavedDialogs(out);
    write_strings(out, MQSCGlobalHistory(), "MQS:");
    write_strings(out, &p.qmSearch, "QMSRCH:");
    write_strings(out, &p.qSearch, "QSRCH:");
    write_strings(out, &p.qPrefix, "QPFX:");
    int any = 0;
    for (int i = 0; i < PRF_OBJLISTS; i++) {
        /* "OBJ" has no ":": a section before the lists does not end at it,
           so when it would come first the empty list before it leads */
        if (!any && i && p.objectNames[i].first && !strchr(PrfObjectTags[i], ':'))
            PrfOutFormat(out, "\n%s\n", PrfObjectTags[i - 1]);
        any |= p.objectNames[i].first != nullptr;
        write_strings(out, &p.objectNames[i], PrfObjectTags[i]);
    }
}

static void nothing(CSLISTELEM *, void *) {}

static void free_kept(CSLISTELEM *e, void *)
{
    char *text;
    memcpy(&text, e + 1, sizeof text);
    CSFreeMem(text);
}

static void free_list(CSLIST *list, CSLISTFUNC fn)
{
    if (list->first)
        CSListFree(list, fn, nullptr);
    *list = CSLIST{};
}

void PrfFreeSections(void)
{
    PRFSECTIONS &p = PrfSections;
    for (PRFLAYOUT &l : p.layouts)
        reset_layout(&l);
    free_list(&p.findList, free_fr);
    free_list(&p.replaceList, free_fr);
    for (CSLIST *l : { MQSCGlobalHistory(), &p.qmSearch, &p.qSearch, &p.qPrefix })
        free_list(l, nothing);
    for (CSLIST &l : p.objectNames)
        free_list(&l, nothing);
    free_list(&p.keptColumns, free_kept);
    FltFreeLists();
    FreeCommandUsage();
    DlgInfoFreeTree(&DlgInfoGlobal);
    SavedDialogFreeAll();
    for (int list = 0; list < 2; list++)
        for (int i = 0; const void *def = DefAt(list, i); i++)
            DefSetColumns(def, nullptr);
}
