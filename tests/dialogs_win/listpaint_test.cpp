/* The list rows' painter beside the one it replaced (kept here as the
 * reference, a fill, a brush and the colours for every cell): the same
 * rows drawn in every state a row or a cell can take, scrolled and cut,
 * printed or not, match pixel for pixel and leave the device as the
 * reference leaves it.  And a list dialog's list window never asks its
 * owner to measure rows one by one (the rebuild measures them), and
 * shows again with its bars set as a rebuild ends. */
#include "listwin.h"

#include "colourwin.h"
#include "tkharness.h"
#include "tkwin.h"

using namespace wintest;
using namespace dlgtest;

namespace {

/* ---- the painter as it was ---- */

namespace reference {

enum { LIST_TEXT = 8, SELECT_BACK = 31, LOWLIGHT_TEXT = 40 };

COLORREF Slot(int slot)
{
    return *ColourRef(slot);
}

struct Edge {
    UINT kind;
    UINT sides;
};

Edge GridEdge(void)
{
    uint32_t g = PcfListPrefs.grid;
    if (!(g & 0x3F))
        return { 0, 0 };
    UINT kind = (g & PCFG_RAISED) ? EDGE_RAISED : (g & PCFG_BUMP) ? EDGE_BUMP : (g & PCFG_SUNKEN) ? EDGE_SUNKEN
                                                                                               : EDGE_ETCHED;
    UINT extra = ((g & PCFG_FLAT) ? BF_FLAT : 0) | ((g & PCFG_MONO) ? BF_MONO : 0) | ((g & PCFG_SOFT) ? BF_SOFT : 0);
    return { kind, ((g & PCFG_RIGHTBOTTOM) ? BF_RIGHT | BF_BOTTOM : BF_RECT) | extra };
}

Edge RowEdge(UINT state)
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

COLORREF CellColour(const uint8_t *v)
{
    COLORREF c;
    memcpy(&c, v + PCFLV_COLOUR, sizeof c);
    return c;
}

int Lowlight(const PCFDRAWROW *r, const PCFLISTENTRY *column, uint16_t state)
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

void StatusCell(const PCFDRAWROW *r, const PCFFieldDef *f, const uint8_t *v, RECT cell, Edge edge)
{
    int selected = (r->state & ODS_SELECTED) != 0;
    COLORREF fill = f->type == PCFT_BAR ? Slot(SELECT_BACK) : selected ? r->text : r->back;
    HBRUSH b = CreateSolidBrush(fill);
    FillRect(r->dc, &cell, b);
    DeleteObject(b);
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

void TextCell(const PCFDRAWROW *r, const PCFLISTENTRY *column, const uint8_t *v, RECT cell, Edge edge, int inverted)
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
        HBRUSH b = CreateSolidBrush(back);
        FillRect(r->dc, &cell, b);
        DeleteObject(b);
        SetTextColor(r->dc, text);
        SetBkColor(r->dc, back);
    }
    int mode = SetBkMode(r->dc, TRANSPARENT);
    if (numeric && PcfListPrefs.digitAlign) {
        PCFDrawDigits(r->dc, s, n, &cell);
    } else {
        RECT t = cell;
        t.left += 2;
        DrawTextA(r->dc, s, n, &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SetBkMode(r->dc, mode);
    if (edge.kind && !r->print)
        DrawEdge(r->dc, &cell, edge.kind, edge.sides);
}

void DrawRow(const PCFDRAWROW *r)
{
    PCFLISTSTATE *st = PCFListState(r->dialog);
    const PCFLISTENTRY *columns = r->columns, *areaColumns = r->areaColumns;
    Edge edge = RowEdge(r->state);
    int32_t left = r->rect.left;
    uint8_t *v = (uint8_t *)r->row + PCFLA_ROWHEADER, *end = (uint8_t *)r->row + r->row->length;
    for (uint32_t i = 0; columns[i].field && areaColumns[i].field && left < r->rect.right && v < end; i++) {
        const PCFFieldDef *f = areaColumns[i].field;
        uint8_t *next = PCFNextValue(v, f);
        int32_t width = i < st->colCount ? (r->print ? st->cols[i].printWidth : st->cols[i].width) : 0;
        if (!PCFColumnShown(r->dialog, columns[i].flags) || width <= 0) {
            v = next;
            continue;
        }
        if (left + width <= 0) {
            left += width;
            v = next;
            continue;
        }
        RECT cell = { left, r->rect.top, left + width, r->rect.bottom };
        int inverted = (r->state & ODS_SELECTED) != 0;
        if (((r->row->flags & PCFR_FLASH) || (PCFState(v) & PCFV_FLASH)) && PCFFlashPhase)
            inverted = !inverted;
        if (f->type == PCFT_MARKER || f->type == PCFT_BAR)
            StatusCell(r, f, v, cell, edge);
        else
            TextCell(r, &columns[i], v, cell, edge, inverted);
        left += width;
        v = next;
    }
}

} // namespace reference

/* ---- rows in every state ---- */

PCFFieldDef Col(uint32_t id, int16_t type)
{
    PCFFieldDef f = {};
    f.title = "Column";
    f.shortTitle = "Col";
    f.attrId = id;
    f.type = type;
    f.maximum = 200;
    return f;
}

const PCFFieldDef Name = Col(MQCA_Q_NAME, PCFT_NAME), Depth = Col(MQIA_CURRENT_Q_DEPTH, PCFT_INT),
                  Descr = Col(MQCA_Q_DESC, PCFT_STRING), Kind = Col(MQIA_Q_TYPE, PCFT_ENUM),
                  Marker = Col(9001, PCFT_MARKER), Bar = Col(9002, PCFT_BAR),
                  Hidden = Col(MQCA_BACKOUT_REQ_Q_NAME, PCFT_STRING), Long = Col(MQCA_CLUSTER_NAME, PCFT_STRING);

PCFLISTENTRY Columns[] = { { &Name, PCFL_SHOWN },   { &Depth, PCFL_SHOWN },  { &Descr, PCFL_SHOWN },
                           { &Kind, PCFL_SHOWN },   { &Marker, PCFL_SHOWN }, { &Bar, PCFL_SHOWN },
                           { &Hidden, PCFL_HIDDEN | PCFL_SHOWN }, { &Long, PCFL_SHOWN | PCFL_NOLOW },
                           { nullptr, 0 } };
const int32_t Widths[] = { 110, 64, 0, 58, 22, 22, 80, 150 };

/* A value record of a row by column. */
uint8_t *Cell(PCFLISTAREA *a, PCFROW *row, int column)
{
    return FindItemAttr(a, Columns[column].field->attrId, row);
}

void Mark(uint8_t *v, uint16_t bits, COLORREF colour = 0)
{
    uint16_t state = PCFState(v) | bits;
    memcpy(v, &state, 2);
    if (colour)
        memcpy(v + PCFLV_COLOUR, &colour, sizeof colour);
}

/* A bitmap of one row with the list's font, cleared to a colour no
 * painter uses; its bits. */
struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ oldBitmap, oldFont;
    uint32_t *bits = nullptr;
    static const int W = 640, H = 18;
    Canvas()
    {
        dc = CreateCompatibleDC(nullptr);
        bitmap = Dib32(dc, W, H, (void **)&bits);
        oldBitmap = SelectObject(dc, bitmap);
        oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    }
    ~Canvas()
    {
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Clear()
    {
        GdiFlush();
        for (int i = 0; i < W * H; i++)
            bits[i] = 0x00FF00FF;
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkColor(dc, RGB(4, 5, 6));
        SetBkMode(dc, OPAQUE);
    }
    std::vector<uint32_t> Pixels()
    {
        GdiFlush();
        return std::vector<uint32_t>(bits, bits + W * H);
    }
};

TEST(ListPaint, RowsMatchTheReferencePainterInEveryState)
{
    Dialog dialog(&PCFQueueListDef);
    DialogWords *d = dialog.get();
    d->first.columns = Columns;
    PCFLISTREQ req = {};
    req.columns = Columns;
    Reply r(MQCMD_INQUIRE_Q, false);
    const char *names[] = { "APP.ORDERS", "APP.PAYMENTS.QUEUE.WITH.A.NAME.LONGER.THAN.ITS.CELL", "SYSTEM.X",
                            "Q4" };
    for (int i = 0; i < 4; i++) {
        if (i)
            r.Separator();
        r.Str(MQCA_Q_NAME, names[i]).Int(MQIA_CURRENT_Q_DEPTH, i == 2 ? -5 : 1234567 * i)
            .Str(MQCA_Q_DESC, "described").Int(MQIA_Q_TYPE, i + 1).Int(9001, 20 + 5 * i).Int(9002, i)
            .Str(MQCA_BACKOUT_REQ_Q_NAME, "hidden").Str(MQCA_CLUSTER_NAME, std::string(40 + 10 * i, 'W'));
    }
    ASSERT_EQ(FillListArea(nullptr, nullptr, &req, r.Bytes(), r.Length(), 0), 0);
    PCFLISTAREA *a = req.filling;
    std::vector<PCFROW *> rows;
    for (PCFROW *row = PCFFirstRow(a); row; row = PCFNextRow(a, row))
        rows.push_back(row);
    ASSERT_EQ(rows.size(), 4u);
    /* own colours, white, flashing and marked cells; a flashing and a
       differing row */
    Mark(Cell(a, rows[1], 0), PCFV_OWNTEXT, RGB(200, 0, 0));
    Mark(Cell(a, rows[1], 7), PCFV_OWNBACK, RGB(0, 120, 0));
    Mark(Cell(a, rows[1], 1), PCFV_WHITE);
    Mark(Cell(a, rows[2], 3), PCFV_FLASH | PCFV_MARK4);
    Mark(Cell(a, rows[2], 0), PCFV_OWNTEXT | PCFV_OWNBACK, RGB(0, 0, 200));
    rows[3]->flags |= PCFR_FLASH | PCFR_DIFFERS;
    Mark(Cell(a, rows[3], 1), PCFV_MARK4 | PCFV_DIFFERS);

    PCFLISTSTATE *st = PCFListState(d);
    ASSERT_NE(st, nullptr);
    const uint32_t n = sizeof Widths / sizeof Widths[0];
    st->cols = (PCFCOLSIZE *)CSGetMem(sizeof(PCFCOLSIZE) * n, "LISTCOLS");
    ASSERT_NE(st->cols, nullptr);
    memset(st->cols, 0, sizeof(PCFCOLSIZE) * n);
    st->colCount = st->colCapacity = n;
    for (uint32_t i = 0; i < n; i++) {
        st->cols[i].width = Widths[i];
        st->cols[i].printWidth = Widths[i] ? Widths[i] + 7 : 0;
    }
    PCFLISTPARTS parts;
    PCFListAreaPointers(a, &parts);

    Canvas want, got;
    const uint32_t grids[] = { 0, PCFG_SUNKEN, PCFG_RAISED | PCFG_RIGHTBOTTOM | PCFG_SOFT, PCFG_FRAMEBLOCK,
                               PCFG_FRAMEBLOCK | PCFG_BUMP | PCFG_MONO };
    const UINT states[] = { 0, ODS_SELECTED, ODS_SELECTED | 0x2000, ODS_SELECTED | 0x2000 | 0x4000, 0x2000 };
    const uint32_t views[] = { 0, 0x4000, 0x400000 };
    const RECT places[] = { { 0, 0, 640, 18 }, { -70, 0, 640, 18 }, { -150, 1, 230, 17 } };
    const COLORREF colours[][2] = { { RGB(0, 0, 0), RGB(255, 255, 255) }, { RGB(255, 255, 0), RGB(0, 0, 128) } };
    int drawn = 0, differ = 0;
    for (uint32_t grid : grids)
        for (UINT state : states)
            for (int phase = 0; phase < 2; phase++)
                for (int digits = 0; digits < 2; digits++)
                    for (uint32_t view : views)
                        for (const RECT &place : places)
                            for (int print = 0; print < 2; print++)
                                for (size_t k = 0; k < rows.size(); k++) {
                                    PcfListPrefs.grid = grid;
                                    PcfListPrefs.digitAlign = digits;
                                    PCFFlashPhase = phase;
                                    d->viewOptions = view;
                                    const COLORREF *c = colours[k & 1];
                                    PCFDRAWROW row = { print, d, Columns, parts.columns, rows[k], nullptr, c[0],
                                                       c[1], state, place };
                                    want.Clear();
                                    row.dc = want.dc;
                                    reference::DrawRow(&row);
                                    got.Clear();
                                    row.dc = got.dc;
                                    PCFDrawRow(&row);
                                    drawn++;
                                    if (want.Pixels() != got.Pixels() ||
                                        GetTextColor(want.dc) != GetTextColor(got.dc) ||
                                        GetBkColor(want.dc) != GetBkColor(got.dc) ||
                                        GetBkMode(want.dc) != GetBkMode(got.dc)) {
                                        if (differ++ < 5)
                                            ADD_FAILURE() << "row " << k << " grid " << grid << " state " << state
                                                          << " phase " << phase << " digits " << digits << " view "
                                                          << view << " left " << place.left << " print " << print;
                                    }
                                }
    EXPECT_EQ(differ, 0) << "of " << drawn;
    PCFFlashPhase = 0;
    PCFListPrefsDefaults();
    d->first.columns = nullptr;
    ReleaseRefBlock(&req.filling);
    PCFListStateFree(d);
}

/* ---- the list window's row widths ---- */

struct ListMeasures : QueueLists {
    void SetUp() override
    {
        std::string script;
        for (int i = 0; i < 60; i++)
            script += "DEFINE QLOCAL(MEASURE.Q" + std::to_string(100 + i) + ") REPLACE\n";
        Start("QMLISTPAINT", script);
    }
};

int Measures;
WNDPROC SplitProc;

LRESULT CALLBACK CountMeasures(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_MEASUREITEM)
        Measures++;
    return CallWindowProcA(SplitProc, hwnd, msg, wp, lp);
}

TEST_F(ListMeasures, TheListWindowNeverAsksForEachRowsWidthAndShowsItsBars)
{
    DialogWords *d = Queues();
    ASSERT_NE(d, nullptr);
    HWND split = PCFWnd(d->splitList);
    SplitProc = (WNDPROC)SetWindowLongPtrA(split, GWLP_WNDPROC, (LONG_PTR)CountMeasures);
    Measures = 0;
    Refresh(d);
    UpdateWindow(PCFWnd(d->window));
    Pump();
    SetWindowLongPtrA(split, GWLP_WNDPROC, (LONG_PTR)SplitProc);
    std::vector<std::string> shown = Shown(d);
    EXPECT_GE(IndexOf(d, "MEASURE.Q159"), 0);
    EXPECT_GE(shown.size(), 60u);
    EXPECT_EQ(Measures, 0);
    /* its bars were set while it did not draw: it shows again, with them */
    EXPECT_TRUE(IsWindowVisible(List(d)));
    SCROLLINFO si = { sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0 };
    ASSERT_TRUE(GetScrollInfo(List(d), SB_VERT, &si));
    EXPECT_EQ(si.nMax + 1, (int)shown.size());
    EXPECT_LT((int)si.nPage, (int)shown.size());
    /* the columns still have the widths the rebuild measured */
    PCFLISTSTATE *st = PCFListState(d);
    ASSERT_NE(st, nullptr);
    ASSERT_GT(st->colCount, 0u);
    EXPECT_GT(st->cols[0].width, 0);
}

} // namespace
