/* The built-in function table and its row actions: colours, flashing,
 * sort keys, alarms, beeps, sounds, user commands, status texts, the
 * column functions, and the small pure functions (max, min, val, any,
 * all).  Handlers get their parameters last first: slot 0 holds the last
 * one. */
#include "fltint.h"

#include <cstdio>

/* The i-th parameter in call order. */
static FVAL *Arg(FVAL *slots, int count, int i) { return &slots[count - 1 - i]; }

/* The row an action acts on, or null (no row or no dialog). */
static PCFROW *ActionRow(FilterEvalContext *ctx)
{
    return ctx->row && ctx->dialog ? ctx->row : nullptr;
}

/* The row's value record of an attribute, or null. */
static uint8_t *Cell(FilterEvalContext *ctx, int32_t attrId)
{
    PCFLISTAREA *area = ctx->area ? ctx->area : FltDialogArea(ctx->dialog);
    if (!area || !ctx->row)
        return nullptr;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    uint8_t *rec;
    return PCFFindParm(parts.columns, ctx->row, (uint32_t)attrId, &rec, nullptr, nullptr) ? rec : nullptr;
}

/* ---- colours and flashing ---------------------------------------------- */

static void RowColour(FilterEvalContext *ctx, FVAL *s, int n, uint32_t flag, int slot)
{
    FltRowColour(ctx, FValToInt(Arg(s, n, 0)), FValToInt(Arg(s, n, 1)), flag, slot);
}

static void FnFg(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int n, FVAL *) { RowColour(c, s, n, FLTR_FG, FLTR_TEXTCOLOUR); }
static void FnBg(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int n, FVAL *) { RowColour(c, s, n, FLTR_BG, FLTR_BACKCOLOUR); }

static void FnFlash(FilterEvalContext *ctx, const FCALLNODE *, FVAL *s, int n, FVAL *)
{
    PCFROW *row = ActionRow(ctx);
    if (row && FValToInt(Arg(s, n, 0)))
        row->flags |= FLTR_FLASH;
}

static void CellMark(FilterEvalContext *ctx, FVAL *s, int n, uint16_t state, int colour)
{
    PCFROW *row = ActionRow(ctx);
    if (!row || !FValToInt(Arg(s, n, 0)))
        return;
    uint8_t *rec = Cell(ctx, FValToInt(Arg(s, n, n - 1)));
    if (!rec)
        return;
    FPut16(rec, (uint16_t)(FGet16(rec) | state));
    if (colour)
        FPut32(rec + FLTV_COLOUR, FValToInt(Arg(s, n, 1)));
    else
        row->flags |= FLTR_CELLFLASH;
}

static void FnFgCell(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int n, FVAL *) { CellMark(c, s, n, FLTV_FG, 1); }
static void FnBgCell(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int n, FVAL *) { CellMark(c, s, n, FLTV_BG, 1); }
static void FnFlashCell(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int n, FVAL *) { CellMark(c, s, n, FLTV_FLASH, 0); }

/* ---- sort keys --------------------------------------------------------- */

/* The name of an enumerated field's value for a sort key, or null. */
static const char *KeyName(const FVAL *v)
{
    const FVARNODE *var = v->var;
    if (v->type != FLT_INT || !var || !var->field || !var->field->values ||
        var->field->type == PCFT_ENUM13 || var->field->type == PCFT_ENUM14)
        return nullptr;
    const PCFValueDef *row = PCFFindValue(var->field->values, v->i);
    return row && row->name ? row->name : nullptr;
}

static void SortKey(FilterEvalContext *ctx, const FVAL *v, int second, int descending)
{
    PCFROW *row = ctx->row;
    if (!row || !v->type)
        return;
    uint32_t has = second ? FLTR_KEY2 : FLTR_KEY1, text = second ? FLTR_KEY2TEXT : FLTR_KEY1TEXT;
    const char *s = nullptr;
    uint32_t len = 0;
    if (v->type == FLT_STRING) {
        s = v->s;
        len = v->len;
    } else if ((s = KeyName(v)) != nullptr) {
        len = (uint32_t)strlen(s);
    }
    if (!s) {
        FltSortKeyInt(ctx, v->type == FLT_REAL ? FRealToInt32(v->r * 1000.0) : v->i, second, descending);
        return;
    }
    if (len > sizeof ctx->sortBuffer[0] - 1)
        len = sizeof ctx->sortBuffer[0] - 1;
    memcpy(ctx->sortBuffer[second], s, len);
    ctx->sortBuffer[second][len] = 0;
    ctx->sortText[second] = ctx->sortBuffer[second];
    ctx->sortLength[second] = (uint16_t)len;
    row->keyLength[second] = (uint16_t)len;
    row->flags |= has | text;
    if (descending)
        row->flags |= second ? FLTR_KEY2DESC : FLTR_KEY1DESC;
}

static void FnSort(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int, FVAL *) { SortKey(c, s, 0, 0); }
static void FnSortd(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int, FVAL *) { SortKey(c, s, 0, 1); }
static void FnSort2(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int, FVAL *) { SortKey(c, s, 1, 0); }
static void FnSortd2(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int, FVAL *) { SortKey(c, s, 1, 1); }
/* Field sorts are applied to the column lists when the filter is set
 * (PCFFieldSortMarks); per row they do nothing. */
static void FnFieldSort(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *) {}

/* ---- numbers and presence ---------------------------------------------- */

static void FnMax(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r)
{
    int32_t a = FValToInt(Arg(s, n, 0)), b = FValToInt(Arg(s, n, 1));
    FValInt(r, a > b ? a : b);
}

static void FnMin(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r)
{
    int32_t a = FValToInt(Arg(s, n, 0)), b = FValToInt(Arg(s, n, 1));
    FValInt(r, a < b ? a : b);
}

static void FnOne(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *) {}

static void FnAny(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r)
{
    int any = 0;
    for (int i = 0; i < n; i++)
        if (!s[i].var || s[i].type)
            any = 1;
    FValInt(r, any);
}

/* ---- alarms, sounds and commands --------------------------------------- */

static void FnAlarm(FilterEvalContext *ctx, const FCALLNODE *, FVAL *s, int n, FVAL *)
{
    if (ActionRow(ctx) && FValToInt(Arg(s, n, 0)) && !(ctx->dialog->stateFlags & DF_FILTER_MARKED))
        PCFSetFilterMark(ctx->dialog);
}

static void FnBeep(FilterEvalContext *ctx, const FCALLNODE *, FVAL *s, int n, FVAL *)
{
    const FLTHOOKS *h = FltHooks();
    if (ActionRow(ctx) && FValToInt(Arg(s, n, 0)) && h->beep)
        h->beep(h->context);
}

/* The text of a parameter, at most 255 characters; its length. */
static int Text255(const FVAL *v, char *out)
{
    return FValText(v, out, 256);
}

static void FnSystem(FilterEvalContext *ctx, const FCALLNODE *, FVAL *s, int n, FVAL *)
{
    const FLTHOOKS *h = FltHooks();
    char text[256];
    if (!ActionRow(ctx) || !FValToInt(Arg(s, n, 0)) || !Text255(Arg(s, n, 1), text) || !h->runCommand)
        return;
    /* an error text that comes back is shown, whatever the result says */
    char *error = nullptr;
    h->runCommand(h->context, ctx->dialog->first.location, ctx->dialog, ctx->row, text, &error);
    if (error) {
        if (h->noteBox)
            h->noteBox(h->context, ctx->dialog, error);
        CSFreeMem(error);
    }
}

static void FnSound(FilterEvalContext *ctx, const FCALLNODE *, FVAL *s, int n, FVAL *)
{
    const FLTHOOKS *h = FltHooks();
    char text[256];
    if (ActionRow(ctx) && FValToInt(Arg(s, n, 0)) && Text255(Arg(s, n, 1), text) && h->sound)
        h->sound(h->context, text);
}

/* ---- status texts ------------------------------------------------------ */

static void Status(FilterEvalContext *ctx, const char *text)
{
    FltStatus(ctx->dialog, text, 129);
}

/* The parameters from the first'th on, in call order. */
static int From(FVAL *s, int n, int first, const FVAL **values)
{
    for (int i = first; i < n; i++)
        values[i - first] = Arg(s, n, i);
    return n - first;
}

/* The text of print (no format) or printf (the first value a format)
 * over the parameters from the first'th on; its length. */
static int Printed(FVAL *s, int n, int first, int formatted, char *text)
{
    const FVAL *values[FLT_PARAMS_MAX];
    int count = From(s, n, first + formatted, values);
    if (formatted)
        return FltFormatValues(Arg(s, n, first), values, count, text, FLT_OUTPUT_MAX + 1);
    return FltPrintValues(values, count, text, FLT_OUTPUT_MAX + 1);
}

static void StatusText(FilterEvalContext *ctx, FVAL *s, int n, int formatted)
{
    char text[FLT_OUTPUT_MAX + 1];
    if (ActionRow(ctx) && n >= formatted) {
        Printed(s, n, 0, formatted, text);
        Status(ctx, text);
    }
}

static void FnStatus(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int n, FVAL *) { StatusText(c, s, n, 0); }
static void FnStatusf(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int n, FVAL *) { StatusText(c, s, n, 1); }

/* ---- files ------------------------------------------------------------- */

static void FileText(FilterEvalContext *ctx, FVAL *s, int n, int formatted)
{
    char text[FLT_OUTPUT_MAX + 1];
    if (!ActionRow(ctx) || n < 1 + formatted)
        return;
    int length = Printed(s, n, 1, formatted, text);
    int slot = FltFileSlot(ctx, Arg(s, n, 0), "w", 1);
    if (slot >= 0 && length > 0)
        fwrite(text, 1, (size_t)length, ctx->files[slot].stream);
}

static void FnFprint(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int n, FVAL *) { FileText(c, s, n, 0); }
static void FnFprintf(FilterEvalContext *c, const FCALLNODE *, FVAL *s, int n, FVAL *) { FileText(c, s, n, 1); }

static void FnFopen(FilterEvalContext *ctx, const FCALLNODE *, FVAL *s, int n, FVAL *r)
{
    if (!ActionRow(ctx))
        return;
    FValInt(r, 0);
    if (n < 1 || n > 2 || Arg(s, n, 0)->type != FLT_STRING)
        return;
    char mode[8] = "w";
    if (n == 2) {
        const FVAL *m = Arg(s, n, 1);
        if (m->type != FLT_STRING || m->len >= sizeof mode)
            return;
        memcpy(mode, m->s, m->len);
        mode[m->len] = 0;
        if (!FltModeValid(mode))
            return;
    }
    int slot = FltFileSlot(ctx, Arg(s, n, 0), mode, 1);
    FValInt(r, slot >= 0 ? slot + 1 : 0);
}

static void FnFclose(FilterEvalContext *ctx, const FCALLNODE *, FVAL *s, int n, FVAL *)
{
    if (!ActionRow(ctx))
        return;
    FVAL *f = Arg(s, n, 0);
    if (f->type == FLT_STRING)
        return;
    int slot = FltFileSlot(ctx, f, nullptr, 0);
    if (slot >= 0) {
        fclose(ctx->files[slot].stream);
        ctx->files[slot].stream = nullptr;
        ctx->files[slot].name[0] = 0;
    }
}

/* ---- column functions -------------------------------------------------- */

static FVARNODE *ColumnVar(FilterEvalContext *ctx, const FVAL *v)
{
    if (!ctx->initialPass || !v->var || !(v->var->flags & (VF_FIELD | VF_USER)))
        return nullptr;
    return (FVARNODE *)v->var;
}

static void FnShowcol(FilterEvalContext *ctx, const FCALLNODE *, FVAL *s, int n, FVAL *)
{
    FVARNODE *v = ColumnVar(ctx, Arg(s, n, 0));
    if (!v)
        return;
    int32_t position = FValToInt(Arg(s, n, 1));
    v->flags = (uint16_t)((v->flags | VF_SHOW) & ~VF_HIDE);
    v->column = position < 0 ? 0 : position;
}

static void FnHidecol(FilterEvalContext *ctx, const FCALLNODE *, FVAL *s, int n, FVAL *)
{
    FVARNODE *v = ColumnVar(ctx, Arg(s, n, 0));
    if (v)
        v->flags = (uint16_t)((v->flags | VF_HIDE) & ~VF_SHOW);
}

int FltIntAction(const FLTFUNC *f)
{
    if (f->handler == FnFg || f->handler == FnBg)
        return f->handler == FnFg ? FA_FG : FA_BG;
    return f->sort >= 1 && f->sort <= 4 ? FA_SORT + f->sort - 1 : 0;
}

/* ---- the tables -------------------------------------------------------- */

void FltFnTime(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *);
void FltFnMqtime(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *);
void FltFnMsgtime(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *);
void FltFnDayName(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *);
void FltFnMonthName(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *);
void FltFnDate(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *);
void FltFnFindstr(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *);
void FltFnFindstri(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *);
void FltFnSubstr(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *);
void FltFnStr(FilterEvalContext *, const FCALLNODE *, FVAL *, int, FVAL *);

const FLTFUNC PCFFunctionTable[] = {
    { "fg", 1, 0, 2, 0, FnFg, 0 },
    { "bg", 1, 0, 2, 0, FnBg, 0 },
    { "flash", 1, 0, 1, 0, FnFlash, 0 },
    { "fgcell", 1, 0, 3, 0, FnFgCell, 0 },
    { "bgcell", 1, 0, 3, 0, FnBgCell, 0 },
    { "flashcell", 1, 0, 2, 0, FnFlashCell, 0 },
    { "sort", 0, 0, 1, 0, FnSort, 1 },
    { "sortd", 0, 0, 1, 0, FnSortd, 2 },
    { "sort2", 0, 0, 1, 0, FnSort2, 3 },
    { "sortd2", 0, 0, 1, 0, FnSortd2, 4 },
    { "max", 0, 0, 2, 0, FnMax, 0 },
    { "min", 0, 0, 2, 0, FnMin, 0 },
    { "alarm", 1, 0, 1, 0, FnAlarm, 0 },
    { "beep", 1, 0, 1, 0, FnBeep, 0 },
    { "system", 1, 0, 2, 0, FnSystem, 0 },
    { "sound", 1, 0, 2, 0, FnSound, 0 },
    { "val", 0, 0, 2, 0, FnOne, 0 },
    { "any", 0, 1, -1, 0, FnAny, 0 },
    { "all", 0, 1, -1, 0, FnOne, 0 },
    { "status", 1, 0, -1, 0, FnStatus, 0 },
    { "statusf", 1, 0, -1, 0, FnStatusf, 0 },
    { "fprint", 1, 0, -1, 0, FnFprint, 0 },
    { "fprintf", 1, 0, -1, 0, FnFprintf, 0 },
    { "fopen", 1, 0, -1, 0, FnFopen, 0 },
    { "fclose", 1, 0, 1, 0, FnFclose, 0 },
    { "showcol", 0, 1, 2, 1, FnShowcol, 0 },
    { "hidecol", 0, 1, 1, 1, FnHidecol, 0 },
    { "mqtime", 1, 0, 2, 0, FltFnMqtime, 0 },
    { "msgtime", 1, 0, 2, 0, FltFnMsgtime, 0 },
    { "hour", 0, 0, 1, 0, FltFnTime, 0 },
    { "minute", 0, 0, 1, 0, FltFnTime, 0 },
    { "second", 0, 0, 1, 0, FltFnTime, 0 },
    { "weekday", 0, 0, 1, 0, FltFnTime, 0 },
    { "yearday", 0, 0, 1, 0, FltFnTime, 0 },
    { "day", 0, 0, 1, 0, FltFnTime, 0 },
    { "month", 0, 0, 1, 0, FltFnTime, 0 },
    { "year", 0, 0, 1, 0, FltFnTime, 0 },
    { "day$", 0, 0, 2, 0, FltFnDayName, 0 },
    { "mon$", 0, 0, 2, 0, FltFnMonthName, 0 },
    { "date$", 0, 0, -1, 0, FltFnDate, 0 },
    { "findstr", 0, 0, 2, 0, FltFnFindstr, 0 },
    { "findstri", 0, 0, 2, 0, FltFnFindstri, 0 },
    { "substr$", 0, 0, 3, 0, FltFnSubstr, 0 },
    { "str$", 0, 0, 1, 0, FltFnStr, 0 },
    { "", 0, 0, 0, 0, nullptr, 0 },
};

const FLTFUNC PCFFieldSortTable[] = {
    { "fsort", 0, 1, 1, 0, FnFieldSort, -1 },
    { "fsortd", 0, 1, 1, 0, FnFieldSort, -2 },
    { "fsort2", 0, 1, 1, 0, FnFieldSort, -3 },
    { "fsortd2", 0, 1, 1, 0, FnFieldSort, -4 },
};

const FLTFUNC *PCFFindFunction(const char *name)
{
    for (const FLTFUNC *f = PCFFunctionTable; f->name[0]; f++)
        if (!strcmp(f->name, name))
            return f;
    return nullptr;
}

/* ---- named constants --------------------------------------------------- */

struct FCONSTROW {
    const char *name;
    int64_t value;
};

static const FCONSTROW Constants[] = {
    { "white", 0xFFFFFF }, { "black", 0 }, { "blue", 0xFF0000 }, { "red", 0xFF },
    { "pink", 0xFF00FF }, { "green", 0xFF00 }, { "cyan", 0xFFFF00 }, { "yellow", 0xFFFF },
    { "brown", 0x8080 }, { "gray", 0xC0C0C0 }, { "true", 1 }, { "false", 0 },
    { "dblue", 0x800000 }, { "dred", 0x80 }, { "dpink", 0x800080 }, { "dgreen", 0x8000 },
    { "dcyan", 0x808000 }, { "dgray", 0x808080 }, { "info", 10 }, { "low", 20 },
    { "med", 30 }, { "medium", 30 }, { "high", 40 }, { "", 0 },
};

int PCFFindConstant(const char *name, int64_t *value)
{
    for (const FCONSTROW *c = Constants; c->name[0]; c++)
        if (!strcmp(c->name, name)) {
            *value = c->value;
            return 1;
        }
    return 0;
}
