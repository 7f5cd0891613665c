/* Printing a dialog: a list dialog prints its column titles (in the
 * dialog's title mode, "Auto" choosing the full title where the column
 * holds it) and then its rows as the list shows them; any other dialog
 * prints its fields as title and value lines, continuation lines of a
 * value under a ditto mark, a message window its message as the pane
 * formats it.  The toolkit's print dialog and page loop (tkprint.h)
 * measure once and then ask for one page band after another. */
#include "pcflistwin.h"
#include "pcfwin.h"

#include <cstdio>
#include <cstring>

#include "cs.h"
#include "edpane.h"
#include "mq/mqown.h"

/* The print state of a dialog (in the context until 11339). */
struct DLGPRINTAREA {
    int32_t widestTitle, widestValue, gap, lines;
    TkPrintContext *context;
};

static DLGPRINTAREA *State(TkPrintContext *pc, int clear)
{
    DLGPRINTAREA *s = (DLGPRINTAREA *)pc->state;
    if (!s) {
        s = (DLGPRINTAREA *)CSGetMem(sizeof *s, "DLGPRINTAREA");
        if (!s)
            return nullptr;
        clear = 1;
        pc->state = s;
    }
    if (clear)
        memset(s, 0, sizeof *s);
    s->context = pc;
    return s;
}

static int32_t Width(HDC dc, const char *text)
{
    SIZE sz = {};
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &sz);
    return sz.cx;
}

/* ---- lists ---- */

static void MeasureList(DialogWords *d, TkPrintContext *pc)
{
    PCFCHARWIDTHS list, device;
    HWND lw = PCFWnd(d->rightList);
    HDC dc = GetDC(lw);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(lw, WM_GETFONT, 0, 0));
    PCFDeviceCharWidths(dc, &list);
    SelectObject(dc, old);
    ReleaseDC(lw, dc);
    PCFDeviceCharWidths(pc->device, &device);
    PCFLISTSTATE *st = PCFListState(d);
    if (!st)
        return;
    /* the cell margins and 100 units of a 600-dpi printer, at this device's resolution */
    st->printExtra = 4 + 100 * GetDeviceCaps(pc->device, LOGPIXELSX) / 600;
    PCFMEASURE measure = { &list, &device };
    PCFBuildRows(d, PCFU_MEASUREONLY, nullptr, &measure);
    RECT rc = {};
    GetClientRect(lw, &rc);
    PCFLayoutColumns(d, rc.right, 0);
    const PCFLISTENTRY *columns = PCFDialogColumns(d);
    TEXTMETRICA tm;
    GetTextMetricsA(pc->device, &tm);
    pc->contentWidth = 0;
    for (uint32_t i = 0; i < st->colCount; i++)
        if (PCFColumnShown(d, columns[i].flags))
            pc->contentWidth += st->cols[i].printWidth;
    pc->lineHeight = tm.tmHeight + 1;
    pc->contentHeight = (int32_t)(st->count + 2) * pc->lineHeight;
    pc->headerLines = 1;
}

/* The printed title of a column in the dialog's title mode; null traps. */
static const char *PrintTitle(DialogWords *d, HDC dc, const PCFLISTENTRY *column, int32_t width)
{
    const PCFFieldDef *f = column->field;
    const char *shortTitle = f->shortTitle ? f->shortTitle : f->title;
    switch (d->stateFlags & DF_TITLE_MODES) {
    case DF_TITLE_FULL: return f->title;
    case DF_TITLE_SHORT: return shortTitle;
    case DF_TITLE_NAME: return f->keyword ? f->keyword : f->name;
    case DF_TITLE_AUTO: return Width(dc, f->title) + 4 <= width ? f->title : shortTitle;
    }
    CS_TRAP((int)(d->stateFlags & DF_TITLE_MODES));
    return nullptr;
}

static void DrawList(DialogWords *d, TkPrintContext *pc)
{
    PCFLISTSTATE *st = PCFListState(d);
    const PCFLISTENTRY *columns = PCFDialogColumns(d);
    HDC dc = pc->device;
    if (!st || !columns)
        return;
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    int32_t x = pc->left, lh = pc->lineHeight;
    for (uint32_t i = 0; i < st->colCount; i++) {
        int32_t w = st->cols[i].printWidth;
        if (!PCFColumnShown(d, columns[i].flags) || w <= 0)
            continue;
        const char *title = PrintTitle(d, dc, &columns[i], w);
        RECT cell = { x, pc->top, x + w, pc->top + lh };
        if (title)
            DrawTextA(dc, title, -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        x += w;
    }
    for (uint32_t i = (uint32_t)pc->first; i < st->count; i++) {
        int32_t y = pc->top + lh * (int32_t)(1 + i - (uint32_t)pc->first);
        if (y + lh > pc->bottom)
            break;
        PCFROW *row = st->rows[i].row;
        PCFLISTAREA *area = PCFRowArea(d, row);
        if (!area)
            continue;
        PCFLISTPARTS parts;
        PCFListAreaPointers(area, &parts);
        PCFDRAWROW r = { 1, d, columns, parts.columns, row, dc, RGB(0, 0, 0), RGB(255, 255, 255), 0,
                         { pc->left, y, pc->right, y + lh } };
        PCFDrawRow(&r);
    }
}

/* ---- fields ---- */

/* The message of a message window as its pane formats it (every line),
 * under the field's title. */
template <typename Fn> static void MessageLines(DialogWords *d, const char *title, Fn fn)
{
    uint32_t size = 0;
    char *text = d->editor ? EdViewCopyText(d, 692, &size, 0) : nullptr;
    for (char *line = text, *end; line && *line; line = end) {
        end = line + strcspn(line, "\r\n");
        char kept = *end;
        *end = 0;
        fn(line == text ? title : nullptr, line);
        *end = kept;
        end += kept == '\r' && end[1] == '\n' ? 2 : kept ? 1 : 0;
    }
    if (text)
        CSFreeMem(text);
}

/* Calls fn for every printed line: the field's title (null on a
 * continuation line) and a value line. */
template <typename Fn> static void Lines(DialogWords *d, Fn fn)
{
    char buffer[1100];
    for (PCFFieldEntry *e = PCFPaneFields(d); e && e->field; e++) {
        if ((e->flags & (0x10 | 0x400 | 0x4 | 0x400000)) || e->field->type == PCFT_HEADING ||
            !PCFFieldApplies(PCFDialogCaps(d), d->stateFlags, d->definition, nullptr, nullptr, d->dataArea, e,
                             nullptr, nullptr))
            continue;
        if (e->field->type == PCFT_MESSAGE) {
            if (e->field->attrId == MYPCFA_FULLMESSAGE)
                MessageLines(d, e->field->title, fn);
            continue;
        }
        int elements = 1;
        if (PCFStoresValue(e) && d->dataArea &&
            (e->field->type == PCFT_STRLIST || e->field->type == PCFT_MULTISTR || e->field->type == PCFT_ENUMLIST ||
             e->field->type == PCFT_FLAGSET)) {
            elements = PCFRecListCount(d->dataArea + e->offset, e->field);
            if (elements < 1)
                elements = 1;
        }
        for (int i = 0; i < elements; i++) {
            const char *v = PCFValueText(d->dataArea, e, i, buffer, sizeof buffer, 1);
            if (i && (!v || !*v))
                continue;
            fn(i ? nullptr : e->field->title, v ? v : "");
        }
    }
}

static void MeasureFields(DialogWords *d, TkPrintContext *pc, DLGPRINTAREA *s)
{
    HDC dc = pc->device;
    Lines(d, [&](const char *title, const char *value) {
        if (title && Width(dc, title) > s->widestTitle)
            s->widestTitle = Width(dc, title);
        if (Width(dc, value) > s->widestValue)
            s->widestValue = Width(dc, value);
        s->lines++;
    });
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    s->gap = tm.tmAveCharWidth;
    pc->contentWidth = s->widestTitle + s->gap + s->widestValue;
    pc->lineHeight = tm.tmHeight;
    pc->contentHeight = s->lines * pc->lineHeight;
    pc->headerLines = 0;
}

static void DrawFields(DialogWords *d, TkPrintContext *pc, DLGPRINTAREA *s)
{
    HDC dc = pc->device;
    int32_t line = 0, lh = pc->lineHeight;
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    Lines(d, [&](const char *title, const char *value) {
        int32_t y = pc->top + (line - pc->first) * lh;
        line++;
        if (line - 1 < pc->first || y + lh > pc->bottom)
            return;
        const char *t = title ? title : "\"       \"";
        TextOutA(dc, pc->left, y, t, (int)strlen(t));
        TextOutA(dc, pc->left + s->widestTitle + s->gap, y, value, (int)strlen(value));
    });
}

void PCFPrintArea(DialogWords *d, int measure, LPARAM lp)
{
    TkPrintContext *pc = (TkPrintContext *)lp;
    if (!d || !pc || !pc->device || !d->definition)
        return;
    DLGPRINTAREA *s = State(pc, measure);
    if (!s)
        return;
    HFONT font = (HFONT)SendMessageA(PCFWnd(d->window), WM_GETFONT, 0, 0);
    HGDIOBJ old = font ? SelectObject(pc->device, font) : nullptr;
    if (d->definition->list)
        measure ? MeasureList(d, pc) : DrawList(d, pc);
    else
        measure ? MeasureFields(d, pc, s) : DrawFields(d, pc, s);
    if (old)
        SelectObject(pc->device, old);
}

void PCFPrintDialog(DialogWords *d)
{
    char title[200], error[200] = "";
    GetWindowTextA(PCFWnd(d->window), title, sizeof title);
    int pages = TkPrintWindow(PCFWnd(d->window), PCFWnd(d->window), title, error, sizeof error);
    if (pages < 0) {
        PCFDialogStatus(d, error, nullptr, 5);
    } else if (pages > 0) {
        snprintf(error, sizeof error, pages == 1 ? "1 page printed" : "%d pages printed", pages);
        PCFDialogStatus(d, error, nullptr, 1);
    }
}
