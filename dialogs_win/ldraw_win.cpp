/* Painting list rows and column titles: the colours a row takes (its own,
 * selected, striped), each cell's text, background, lowlight and grid
 * edge, the selection frame around a block of selected rows, the arrow
 * marks of status cells, numbers with aligned digits, and the title band
 * with its sort marks.  The same row painter prints (no fills, no edges,
 * the device's colours). */
#include "pcflistwin.h"
#include "pcfwin.h"
#include "fltwin.h"

#include "cs.h"
#include "tkcontrols.h"
#include "tkwin.h"

int PCFFlashPhase;

/* Colour slots of the list. */
enum { LIST_BACK = 7, LIST_TEXT = 8, TITLE_BACK = 13, TITLE_TEXT = 14, SELECT_BACK = 31, SELECT_TEXT = 32,
       STRIPE_BACK = 33, LOWLIGHT_TEXT = 40 };

static COLORREF Slot(int slot)
{
    return *ColourRef(slot);
}

/* ---- numbers ---- */

void PCFDrawDigits(HDC dc, const char *text, int length, const RECT *rc)
{
    int widest = 0, other = 0, gap = 1;
    SIZE sz;
    for (char c = '0'; c <= '9'; c++)
        if (GetTextExtentPoint32A(dc, &c, 1, &sz) && sz.cx > widest)
            widest = sz.cx;
    if (GetTextExtentPoint32A(dc, "-", 1, &sz))
        other = sz.cx;
    const char *sep = PcfPrefs.sep1000;
    int sepLength = (int)strlen(sep), sepWidth = 0;
    if (sepLength && GetTextExtentPoint32A(dc, sep, sepLength, &sz))
        sepWidth = sz.cx;
    int x = rc->right - 2 * GetSystemMetrics(SM_CXEDGE);
    UINT align = SetTextAlign(dc, TA_LEFT | TA_TOP);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    int y = rc->top + (rc->bottom - rc->top - tm.tmHeight) / 2;
    for (int i = length - 1; i >= 0 && x > rc->left;) {
        char c = text[i];
        if (sepLength && i + 1 >= sepLength && memcmp(text + i + 1 - sepLength, sep, (size_t)sepLength) == 0 &&
            (c < '0' || c > '9')) {
            x -= sepWidth + gap;
            ExtTextOutA(dc, x, y, ETO_CLIPPED, rc, sep, (UINT)sepLength, nullptr);
            i -= sepLength;
            continue;
        }
        int slot = c >= '0' && c <= '9' ? widest : other;
        GetTextExtentPoint32A(dc, &c, 1, &sz);
        x -= slot + gap;
        ExtTextOutA(dc, x + (slot - sz.cx) / 2, y, ETO_CLIPPED, rc, &c, 1, nullptr);
        i--;
    }
    SetTextAlign(dc, align);
}

/* ---- edges ---- */

struct Edge {
    UINT kind;                  /* 0: none */
    UINT sides;
};

static Edge GridEdge(void)
{
    uint32_t g = PcfListPrefs.grid;
    if (!(g & 0x3F))
        return { 0, 0 };
    UINT kind = (g & PCFG_RAISED) ? EDGE_RAISED : (g & PCFG_BUMP) ? EDGE_BUMP : (g & PCFG_SUNKEN) ? EDGE_SUNKEN
                                                                                               : EDGE_ETCHED;
    UINT extra = ((g & PCFG_FLAT) ? BF_FLAT : 0) | ((g & PCFG_MONO) ? BF_MONO : 0) | ((g & PCFG_SOFT) ? BF_SOFT : 0);
    return { kind, ((g & PCFG_RIGHTBOTTOM) ? BF_RIGHT | BF_BOTTOM : BF_RECT) | extra };
}

int PCFRowEdgeRoom(void)
{
    return (PcfListPrefs.grid & (0x3F | PCFG_FRAMEBLOCK)) ? 2 * GetSystemMetrics(SM_CYEDGE) : 0;
}

/* The edge of a row's cells, with the selection frame around blocks. */
static Edge RowEdge(UINT state)
{
    Edge e = GridEdge();
    if (!(PcfListPrefs.grid & PCFG_FRAMEBLOCK))
        return e;
    if (state & ODS_SELECTED) {
        UINT sides = (state & 0x2000 ? 0 : BF_TOP) | (state & 0x4000 ? 0 : BF_BOTTOM);
        return { EDGE_RAISED, sides | (e.kind ? e.sides & ~(UINT)BF_RECT : 0) };
    }
    if (state & 0x2000)
        return { e.kind ? e.kind : EDGE_RAISED, (e.kind ? e.sides : 0) | BF_TOP };
    return e;
}

/* ---- cells ---- */

/* What the cells of one row share while it is painted: the brushes of
 * its fills (one a colour, made once), the colours last given to the
 * device, and its background mode to give back at the end.  The cells
 * draw only inside their own rectangles, so the fill the row's cells
 * mostly share is laid over all of them first, and a cell fills again
 * only in a colour of its own. */
#define ROW_BRUSHES 4
struct RowPaint {
    COLORREF colours[ROW_BRUSHES];
    HBRUSH brushes[ROW_BRUSHES];
    int brushCount;
    COLORREF text, back;          /* given to the device when coloured */
    int coloured;
    int mode;                     /* the mode before the first text; 0 untouched */
    int spanned;                  /* spanFill laid over every cell */
    COLORREF spanFill;
};

static HBRUSH RowBrush(RowPaint *p, COLORREF colour)
{
    for (int i = 0; i < p->brushCount; i++)
        if (p->colours[i] == colour)
            return p->brushes[i];
    int at = p->brushCount < ROW_BRUSHES ? p->brushCount++ : ROW_BRUSHES - 1;
    if (at == ROW_BRUSHES - 1 && p->brushes[at])
        DeleteObject(p->brushes[at]);
    p->colours[at] = colour;
    p->brushes[at] = CreateSolidBrush(colour);
    return p->brushes[at];
}

static void CellFill(RowPaint *p, HDC dc, const RECT *cell, COLORREF colour)
{
    if (!p->spanned || colour != p->spanFill)
        FillRect(dc, cell, RowBrush(p, colour));
}

static void TextColours(RowPaint *p, HDC dc, COLORREF text, COLORREF back)
{
    if (!p->coloured || text != p->text)
        SetTextColor(dc, text);
    if (!p->coloured || back != p->back)
        SetBkColor(dc, back);
    p->text = text;
    p->back = back;
    p->coloured = 1;
}

static void EndRow(RowPaint *p, HDC dc)
{
    if (p->mode)
        SetBkMode(dc, p->mode);
    for (int i = 0; i < p->brushCount; i++)
        DeleteObject(p->brushes[i]);
}

static COLORREF CellColour(const uint8_t *v)
{
    COLORREF c;
    memcpy(&c, v + PCFLV_COLOUR, sizeof c);
    return c;
}

static int Lowlight(const PCFDRAWROW *r, const PCFLISTENTRY *column, uint16_t state)
{
    uint32_t view = r->dialog->viewOptions;
    if (column->flags & PCFL_NOLOW)
        return 0;
    if (view & 0xC00000)
        return (view & 0x400000) && !(state & PCFV_DIFFERS);
    if (view & 0x4000)
        return !(r->row->flags & PCFR_DIFFERS) || !(state & PCFV_MARK4);
    return 0;
}

/* A status cell: filled, an arrow mark by its value. */
static void StatusCell(const PCFDRAWROW *r, RowPaint *p, const PCFFieldDef *f, const uint8_t *v, RECT cell,
                       Edge edge)
{
    int selected = (r->state & ODS_SELECTED) != 0;
    COLORREF fill = f->type == PCFT_BAR ? Slot(SELECT_BACK) : selected ? r->text : r->back;
    CellFill(p, r->dc, &cell, fill);
    int kind = 0;
    switch ((PCFState(v) & PCFS_PRESENT) ? PCFListInt(v) : 0) {
    case 20: kind = 5; break;
    case 25: kind = 6; break;
    case 30: kind = 1; break;
    case 40: kind = 2; break;
    }
    if (kind && f->type == PCFT_MARKER) {
        HPEN pen = CreatePen(PS_SOLID, 1, Slot(LIST_TEXT));
        POINT c = { (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2 };
        WinDrawArrow(r->dc, pen, pen, 1, Slot(LIST_TEXT), kind, c, { 8, 8 });
        DeleteObject(pen);
    }
    if (edge.kind && !r->print)
        DrawEdge(r->dc, &cell, edge.kind, f->type == PCFT_BAR ? BF_RIGHT : edge.sides);
}

static void TextCell(const PCFDRAWROW *r, RowPaint *p, const PCFLISTENTRY *column, const uint8_t *v, RECT cell,
                     Edge edge, int inverted)
{
    uint16_t state = PCFState(v);
    COLORREF text = (state & PCFV_OWNTEXT) ? CellColour(v) : r->text;
    COLORREF back = (state & PCFV_OWNBACK) && !(state & PCFV_OWNTEXT) ? CellColour(v) : r->back;
    if (state & PCFV_WHITE)
        back = RGB(255, 255, 255);
    if (!r->print && inverted) {
        COLORREF t = text;
        text = back;
        back = t;
    }
    if (Lowlight(r, column, state))
        text = Slot(LOWLIGHT_TEXT);
    char buf[1024];
    const char *s;
    int numeric;
    int n = PCFListCellText(column, v, buf, sizeof buf, &s, &numeric);
    if (n > 1000)
        n = 1000;
    if (!r->print) {
        CellFill(p, r->dc, &cell, back);
        TextColours(p, r->dc, text, back);
    }
    if (!p->mode)
        p->mode = SetBkMode(r->dc, TRANSPARENT);
    if (numeric && PcfListPrefs.digitAlign) {
        PCFDrawDigits(r->dc, s, n, &cell);
    } else {
        RECT t = cell;
        t.left += 2;
        DrawTextA(r->dc, s, n, &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (edge.kind && !r->print)
        DrawEdge(r->dc, &cell, edge.kind, edge.sides);
}

/* The cells of a row to paint, left to right: hidden columns, columns of
 * no width and those left of the row's start are passed over. */
struct CellWalk {
    const PCFDRAWROW *r;
    const PCFLISTSTATE *st;
    uint32_t column;
    int32_t left;
    uint8_t *value, *end;
    int painting;                 /* a column list out of step is reported */
};

static CellWalk StartCells(const PCFDRAWROW *r, const PCFLISTSTATE *st, int painting)
{
    return { r, st, 0, r->rect.left, (uint8_t *)r->row + PCFLA_ROWHEADER, (uint8_t *)r->row + r->row->length,
             painting };
}

/* The next cell: 1 with its column index, value record and rectangle. */
static int NextCell(CellWalk *w, uint32_t *column, uint8_t **value, RECT *cell)
{
    const PCFDRAWROW *r = w->r;
    const PCFLISTENTRY *columns = r->columns, *areaColumns = r->areaColumns;
    while (columns[w->column].field && areaColumns[w->column].field && w->left < r->rect.right &&
           w->value < w->end) {
        uint32_t i = w->column++;
        const PCFFieldDef *f = areaColumns[i].field;
        uint8_t *v = w->value;
        w->value = PCFNextValue(v, f);
        if (w->painting && columns[i].field != f)
            CS_TRAP((int)columns[i].field->attrId);
        int32_t width = i < w->st->colCount ? (r->print ? w->st->cols[i].printWidth : w->st->cols[i].width) : 0;
        if (!PCFColumnShown(r->dialog, columns[i].flags) || width <= 0)
            continue;
        int32_t left = w->left;
        w->left += width;
        if (left + width <= 0)
            continue;
        *column = i;
        *value = v;
        *cell = { left, r->rect.top, left + width, r->rect.bottom };
        return 1;
    }
    return 0;
}

/* The fill a plain cell of the row takes. */
static COLORREF PlainFill(const PCFDRAWROW *r)
{
    return (r->state & ODS_SELECTED) ? r->text : r->back;
}

void PCFDrawRow(const PCFDRAWROW *r)
{
    PCFLISTSTATE *st = PCFListState(r->dialog);
    const PCFLISTENTRY *columns = r->columns, *areaColumns = r->areaColumns;
    if (!st || !columns || !areaColumns)
        return;
    Edge edge = RowEdge(r->state);
    RowPaint p = {};
    uint32_t i;
    uint8_t *v;
    RECT cell, span = {};
    if (!r->print) {
        CellWalk w = StartCells(r, st, 0);
        for (int first = 1; NextCell(&w, &i, &v, &cell); first = 0) {
            if (first)
                span = cell;
            span.right = cell.right;
        }
        if (span.right > span.left) {
            FillRect(r->dc, &span, RowBrush(&p, PlainFill(r)));
            p.spanFill = PlainFill(r);
            p.spanned = 1;
        }
    }
    CellWalk w = StartCells(r, st, 1);
    while (NextCell(&w, &i, &v, &cell)) {
        const PCFFieldDef *f = areaColumns[i].field;
        int inverted = (r->state & ODS_SELECTED) != 0;
        if (((r->row->flags & PCFR_FLASH) || (PCFState(v) & PCFV_FLASH)) && PCFFlashPhase)
            inverted = !inverted;
        if (f->type == PCFT_MARKER || f->type == PCFT_BAR)
            StatusCell(r, &p, f, v, cell, edge);
        else
            TextCell(r, &p, &columns[i], v, cell, edge, inverted);
    }
    EndRow(&p, r->dc);
}

/* ---- the list's owner-drawn items ---- */

void PCFDrawListItem(DialogWords *d, const DRAWITEMSTRUCT *di)
{
    PCFROW *row = (PCFROW *)di->itemData;
    PCFLISTAREA *area = row ? PCFRowArea(d, row) : nullptr;
    RECT full = di->rcItem;
    full.left = 0;
    if (!area) {
        FillRect(di->hDC, &full, ColourBrush(LIST_BACK));
        return;
    }
    int selected = (di->itemState & ODS_SELECTED) != 0;
    COLORREF text, back;
    if (selected) {
        text = (row->flags & PCFR_OWNTEXT) ? row->colours[0] : Slot(SELECT_BACK);
        back = (row->flags & PCFR_OWNBACK) ? row->colours[1] : Slot(SELECT_TEXT);
    } else {
        text = (row->flags & PCFR_OWNTEXT) ? row->colours[0] : Slot(LIST_TEXT);
        back = (row->flags & PCFR_OWNBACK) ? row->colours[1]
             : PcfListPrefs.stripes && (di->itemID & 1) ? Slot(STRIPE_BACK) : Slot(LIST_BACK);
    }
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    /* the list paints its rows in its own font: most rows find it chosen */
    HFONT font = (HFONT)SendMessageA(di->hwndItem, WM_GETFONT, 0, 0);
    HGDIOBJ want = font ? font : GetStockObject(DEFAULT_GUI_FONT);
    HGDIOBJ oldFont = GetCurrentObject(di->hDC, OBJ_FONT);
    if (oldFont != want)
        SelectObject(di->hDC, want);
    PCFDRAWROW r = { 0, d, PCFDialogColumns(d), parts.columns, row, di->hDC, text, back, di->itemState, di->rcItem };
    PCFDrawRow(&r);
    PCFLISTSTATE *st = PCFListState(d);
    int32_t right = di->rcItem.left;
    for (uint32_t i = 0; st && i < st->colCount; i++)
        if (PCFColumnShown(d, r.columns[i].flags))
            right += st->cols[i].width;
    if (right < di->rcItem.right) {
        RECT rest = { right > 0 ? right : 0, di->rcItem.top, di->rcItem.right, di->rcItem.bottom };
        FillRect(di->hDC, &rest, ColourBrush(LIST_BACK));
    }
    if (di->itemState & ODS_FOCUS) {
        if (!PcfListPrefs.focusLine) {
            SetTextColor(di->hDC, RGB(0, 0, 0));
            DrawFocusRect(di->hDC, &full);
        } else {
            RECT line = { full.left, full.bottom - 1, full.right, full.bottom };
            FillRect(di->hDC, &line, ColourBrush(SELECT_BACK));
        }
    }
    if (oldFont != want)
        SelectObject(di->hDC, oldFont);
}

/* ---- the title band ---- */

/* The sort arrow of a column, beside its title where the cell has room
 * for both, else at the cell's right edge: up ascending, down
 * descending; hollow for the secondary key. */
static void SortMark(HDC dc, const RECT *cell, int32_t titleRight, uint32_t flags)
{
    if (!(flags & (PCFL_SORT1 | PCFL_SORT2)) || cell->right - cell->left < 16)
        return;
    int size = flags & PCFL_SORT1 ? 8 : 6;
    int32_t x = titleRight + PCF_SORT_MARK_ROOM / 2 + 2;
    POINT c = { x + 8 < cell->right ? x : cell->right - 8, (cell->top + cell->bottom) / 2 };
    HPEN pen = CreatePen(PS_SOLID, 1, Slot(TITLE_TEXT));
    WinDrawArrow(dc, pen, pen, (flags & PCFL_SORT1) != 0, Slot(TITLE_TEXT), flags & PCFL_DESCEND ? 4 : 3, c,
                 { size, size });
    DeleteObject(pen);
}

LRESULT PCFDrawTitleBar(DialogWords *d, LPARAM lp)
{
    const TitleDrawBlock *b = (const TitleDrawBlock *)lp;
    PCFLISTSTATE *st = PCFListState(d);
    const PCFLISTENTRY *columns = PCFDialogColumns(d);
    HDC dc = b->dis.hDC;
    RECT band;
    GetClientRect(b->title, &band);
    FillRect(dc, &band, ColourBrush(TITLE_BACK));
    if (!st || !columns)
        return 1;
    HFONT font = (HFONT)SendMessageA(PCFWnd(d->rightList), WM_GETFONT, 0, 0);
    HGDIOBJ oldFont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, Slot(TITLE_TEXT));
    int mode = SetBkMode(dc, TRANSPARENT);
    int32_t x = -(int32_t)b->hpos;
    for (uint32_t i = 0; columns[i].field && i < st->colCount && x < band.right; i++) {
        int32_t w = st->cols[i].width;
        if (!PCFColumnShown(d, columns[i].flags) || w <= 0)
            continue;
        RECT cell = { x, 0, x + w, band.bottom };
        if (cell.right > 0) {
            RECT t = cell, mark, sorted = cell;
            int marked = PCFFilterMarkAt(d, columns[i].field, &cell, &mark);
            if (marked)
                sorted.right = mark.left;
            t.left += 2;
            t.right = sorted.right - ((columns[i].flags & (PCFL_SORT1 | PCFL_SORT2)) ? PCF_SORT_MARK_ROOM : 2);
            const char *title = PCFFieldTitle(d, (d->stateFlags & DF_TITLE_MODES) ? 0 : DF_TITLE_AUTO, &columns[i]);
            SIZE extent = {};
            GetTextExtentPoint32A(dc, title, (int)strlen(title), &extent);
            DrawTextA(dc, title, -1, &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            SortMark(dc, &sorted, t.left + extent.cx, columns[i].flags);
            if (marked)
                ColFilterDrawMark(d, dc, &cell, PCFFilterMarkPressed(d, &mark), columns[i].field);
            DrawEdge(dc, &cell, EDGE_RAISED, BF_RECT | BF_SOFT);
        }
        x += w;
    }
    SetBkMode(dc, mode);
    SelectObject(dc, oldFont);
    return 1;
}
