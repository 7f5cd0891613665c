/* The container's windows: the outer window with its heading strip and the
 * child that paints the visible lines, scrolls, keeps the selection and
 * handles the keyboard and the mouse, telling the owner and the items'
 * callbacks what the user did. */
#include <cstring>
#include "cs.h"
#include "cntint.h"
#include "tkutil.h"

static const char CONTAINER[] = "CntContainer", CHILD[] = "CntChildContainer";

/* Shared default colours. */
static COLORREF black = 0x000000, grey = 0xC0C0C0, dark = 0x808080;

static LRESULT CALLBACK cntContainerProc(HWND, UINT, WPARAM, LPARAM);
static LRESULT CALLBACK cntChildContainerProc(HWND, UINT, WPARAM, LPARAM);

static CNTW *Rec(HWND w)
{
    CNTW *r = w ? (CNTW *)GetWindowLongPtrA(w, GWLP_USERDATA) : nullptr;
    return r && !memcmp(r->signature, "CNTW", 4) ? r : nullptr;
}

static void Metrics(CNTW *rec)
{
    HFONT font = rec->font ? rec->font : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    SelectObject(rec->measureDC, font);
    TEXTMETRICA tm = {};
    GetTextMetricsA(rec->measureDC, &tm);
    rec->textHeight = tm.tmAscent + tm.tmDescent;
    rec->avgChar = tm.tmAveCharWidth;
    rec->charUnit = tm.tmAveCharWidth * 3 / 2;
    rec->scrollCx = GetSystemMetrics(SM_CXVSCROLL);
    rec->scrollCy = GetSystemMetrics(SM_CYHSCROLL);
    rec->borderCx = GetSystemMetrics(SM_CXBORDER);
    rec->borderCy = GetSystemMetrics(SM_CYBORDER);
    rec->indent = rec->scrollCx > 22 ? rec->scrollCx : 22;
    rec->halfIndent = rec->indent / 2;
    int row = rec->textHeight + 2 * rec->borderCy;
    rec->rowHeight = row > rec->rowMin ? row : rec->rowMin;
    rec->rowMin = rec->scrollCy > 22 ? rec->scrollCy : 22;
    rec->halfRow = rec->rowHeight / 2;
    rec->v.unit = (uint16_t)rec->rowHeight;
    rec->h.unit = 1;
}

/* ---- Rows, views and the selection ---- */

static cntLINE *LineAtRow(CNTW *rec, int32_t row, cntLINE *start = nullptr)
{
    cntLINE *l = start ? start : rec->firstVisible;
    while (l && (int32_t)l->row < row)
        l = l->nextVisible;
    return l && (int32_t)l->row == row ? l : nullptr;
}

static int InView(CNTW *rec, const cntLINE *l)
{
    return (int32_t)l->row >= rec->v.position && (int32_t)l->row < rec->v.position + rec->v.page;
}

static void RepaintRow(CNTW *rec, const cntLINE *l)
{
    if (!l || !InView(rec, l))
        return;
    RECT rc = { 0, ((int)l->row - rec->v.position) * rec->rowHeight, rec->childCx, 0 };
    rc.bottom = rc.top + rec->rowHeight;
    InvalidateRect(rec->child, &rc, FALSE);
}

static void UpdateBars(CNTW *rec)
{
    ScrollUpdateBars(rec->child, &rec->h, &rec->v, 3);
}

static void ScrollToRow(CNTW *rec, int32_t top)
{
    int32_t largest = ScrollLargest(&rec->v);
    if (top > largest) top = largest;
    if (top < 0) top = 0;
    if (top == rec->v.position)
        return;
    rec->v.position = top;
    InvalidateRect(rec->child, nullptr, FALSE);
    UpdateBars(rec);
}

static void Relayout(CNTW *rec)
{
    CntLayout(rec);
    UpdateBars(rec);
    InvalidateRect(rec->child, nullptr, FALSE);
}

static int ItemX(const cntLINE *l, const cntITEM *item)
{
    int x = l->indent;
    for (cntITEM *it = cntFirstItem(l); it && it != item; it = cntNextItem(it))
        x += CntCellWidth(l, it);
    return x;
}

static int Selectable(const cntLINE *l, const cntITEM *it)
{
    if (!(it->flags & CNTI_SELECTABLE))
        return 0;
    return !((it->flags & CNTI_EXPANDER) && (l->flags & CNTL_NOCHILD));
}

static void Select(CNTW *rec, cntLINE *line, cntITEM *item)
{
    if (rec->selItem)
        rec->selItem->flags &= ~CNTI_SELECTED;
    else if (rec->selLine)
        rec->selLine->flags &= ~CNTL_SELECTED;
    RepaintRow(rec, rec->selLine);
    rec->selLine = line;
    rec->selItem = item;
    if (line) {
        if (item) {
            item->flags |= CNTI_SELECTED;
            rec->selX = ItemX(line, item);
        } else
            line->flags |= CNTL_SELECTED;
    }
    if (rec->style & CNTS_NOTIFYSEL)
        SendMessageA(rec->owner, CN_SELCHANGE, 0, (LPARAM)line);
    if (!line || rec->selLine != line)
        return;
    if (InView(rec, line))
        RepaintRow(rec, line);
    else if ((int32_t)line->row < rec->v.position)
        ScrollToRow(rec, line->row);
    else
        ScrollToRow(rec, (int32_t)line->row - rec->v.page + 1);
    UpdateWindow(rec->child);
}

/* The selectable item of a line whose left edge is nearest to x (the later
 * one on equal distance), with the selectable items before and after it. */
static cntITEM *Nearest(const cntLINE *l, int refX, cntITEM **before, cntITEM **after)
{
    cntITEM *best = nullptr;
    int bestDist = 0, x = l->indent;
    for (cntITEM *it = cntFirstItem(l); it; it = cntNextItem(it)) {
        int d = x > refX ? x - refX : refX - x;
        if (Selectable(l, it) && (!best || d <= bestDist)) {
            best = it;
            bestDist = d;
        }
        x += CntCellWidth(l, it);
    }
    *before = *after = nullptr;
    if (!best)
        return nullptr;
    for (cntITEM *it = cntFirstItem(l); it != best; it = cntNextItem(it))
        if (Selectable(l, it))
            *before = it;
    for (cntITEM *it = cntNextItem(best); it && !*after; it = cntNextItem(it))
        if (Selectable(l, it))
            *after = it;
    return best;
}

/* Tab, Left and Right, Up and Down, and a new line set (which keeps its
 * selected line even when it is out of view). */
enum Move { MOVE_TAB, MOVE_SIDE, MOVE_LINE, MOVE_NEW };

static void MoveSelection(CNTW *rec, int forward, Move kind)
{
    if (rec->pressedItem)
        return;
    cntLINE *line = rec->selLine;
    int refX = rec->selX;
    if (line) {
        if (InView(rec, line) || kind == MOVE_NEW) {
            if (kind == MOVE_LINE) {
                line = forward ? line->nextVisible : line->prevVisible;
                if (!line)
                    return;
            }
        } else {
            int32_t last = rec->v.position + (rec->v.page ? rec->v.page - 1 : 0);
            line = LineAtRow(rec, forward ? rec->v.position : last);
            refX = forward ? 0 : 80000;
        }
    } else {
        line = rec->firstVisible;
        refX = 0;
    }
    while (line) {
        cntITEM *before, *after, *it = Nearest(line, refX, &before, &after);
        if (it && it != rec->selItem) {
            Select(rec, line, it);
            return;
        }
        if (it && (forward ? after : before)) {
            Select(rec, line, forward ? after : before);
            return;
        }
        if (kind == MOVE_SIDE)
            return;
        if (kind != MOVE_TAB) {
            Select(rec, line, nullptr);
            return;
        }
        line = forward ? line->nextVisible : line->prevVisible;
        refX = forward ? 0 : 80000;
    }
}

/* ---- Painting ---- */

static CntColour *Entry(CNTW *rec, int index, int fallback)
{
    CntColour *c = CntTableColour(index);
    return c ? c : &rec->colours[fallback];
}

static void PaintBox(CNTW *rec, HDC dc, cntLINE *l, cntITEM *it, const RECT *cell, HBRUSH back)
{
    int focusSel = (it->flags & CNTI_SELECTED) && rec->focus;
    FillRect(dc, cell, focusSel ? rec->colours[CNTC_SELBACK].brush : back);
    int size = (it->flags & CNTI_NOFRAME) ? 16 : 20;
    RECT box;
    box.left = cell->left + (cell->right - cell->left - size) / 2;
    box.top = cell->top + (cell->bottom - cell->top - size) / 2;
    box.right = box.left + size;
    box.bottom = box.top + size;
    /* an expander's picture is its own frame: no raised edge around it */
    if (!(it->flags & (CNTI_NOFRAME | CNTI_EXPANDER))) {
        if (it->type == CNTI_CHECK)
            DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
        else if (it->flags & CNTI_PRESSED) {
            DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT);
            OffsetRect(&box, 1, 1);
        } else
            DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);
    }
    if (it->callback) {
        rec->paintDC = dc;
        rec->itemRect = box;
        rec->itemLine = l;
        it->callback(rec->child, CN_PAINT, it, rec);
        rec->paintDC = nullptr;
    }
    if (focusSel)
        DrawFocusRect(dc, cell);
}

static void PaintText(CNTW *rec, HDC dc, cntLINE *l, cntITEM *it, const RECT *cell)
{
    FillRect(dc, cell, Entry(rec, it->backColour ? it->backColour : l->backColour, CNTC_BACK)->brush);
    SetTextColor(dc, Entry(rec, it->textColour ? it->textColour : l->textColour, CNTC_TEXT)->seen);
    RECT r = *cell;
    r.left += CNT_TEXT_MARGIN;                     /* clear of the focus rectangle */
    int pressed = it->flags & CNTI_PRESSED;
    if (pressed) {
        OffsetRect(&r, 2, 2);
        if (it->callback) {
            RECT e = *cell;
            DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT);
        }
    }
    UINT fmt = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX
             | ((it->align & CNTA_CENTRE) ? DT_CENTER : (it->align & CNTA_RIGHT) ? DT_RIGHT : DT_LEFT);
    DrawTextA(dc, it->text, -1, &r, fmt);
    if ((it->flags & CNTI_SELECTED) && rec->focus && !pressed)
        DrawFocusRect(dc, cell);
}

static void TreeLines(CNTW *rec, HDC dc, cntLINE *l, const RECT *row)
{
    HGDIOBJ old = SelectObject(dc, Entry(rec, l->textColour, CNTC_TEXT)->pen);
    int x = row->left + rec->halfIndent, end = row->left + l->indent, top = row->top;
    /* the column left of a line's elbow belongs to the siblings one level up */
    for (int col = 1; x < end - rec->indent; x += rec->indent, col++)
        if (l->treeMask & (1u << col)) {
            MoveToEx(dc, x, top, nullptr);
            LineTo(dc, x, top + rec->rowHeight);
        }
    MoveToEx(dc, x, top, nullptr);
    LineTo(dc, x, (l->flags & CNTL_LAST) ? top + rec->halfRow + 1 : top + rec->rowHeight);
    MoveToEx(dc, x, top + rec->halfRow, nullptr);
    LineTo(dc, x + rec->indent, top + rec->halfRow);
    SelectObject(dc, old);
}

static void PaintLine(CNTW *rec, HDC dc, cntLINE *l, const RECT *row)
{
    HBRUSH back = Entry(rec, l->backColour, CNTC_BACK)->brush;
    RECT r = { row->left, row->top, row->left + l->indent, row->bottom };
    FillRect(dc, &r, back);
    if ((rec->style & CNTS_TREELINES) && l->indent)
        TreeLines(rec, dc, l, row);
    rec->lineRect = *row;
    int x = r.right;
    for (cntITEM *it = cntFirstItem(l); it; it = cntNextItem(it)) {
        RECT cell = { x, row->top, x + CntCellWidth(l, it), row->bottom };
        x = cell.right;
        switch (it->type) {
        case CNTI_TEXT:
            PaintText(rec, dc, l, it, &cell);
            break;
        case CNTI_DRAW:
            if ((it->flags & CNTI_EXPANDER) && (l->flags & CNTL_NOCHILD)) {
                FillRect(dc, &cell, back);
                if (l->indent && (rec->style & CNTS_TREELINES) && cell.right > cell.left) {
                    HGDIOBJ old = SelectObject(dc, Entry(rec, l->textColour, CNTC_TEXT)->pen);
                    MoveToEx(dc, cell.left, row->top + rec->halfRow, nullptr);
                    LineTo(dc, cell.right, row->top + rec->halfRow);
                    SelectObject(dc, old);
                }
                break;
            }
            PaintBox(rec, dc, l, it, &cell, back);
            break;
        case CNTI_CHECK:
            PaintBox(rec, dc, l, it, &cell, back);
            break;
        case CNTI_USERDATA:
            break;
        default:
            CSTrap("cnt", __TIMESTAMP__, __LINE__, it->type);
            break;
        }
    }
    RECT rest = { x, row->top, row->right, row->bottom };
    if (rest.right > rest.left)
        FillRect(dc, &rest, back);
    if (l->flags & CNTL_SELECTED)
        DrawFocusRect(dc, row);
}

static void Paint(HWND hwnd, CNTW *rec)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!rec) {
        FillRect(dc, &ps.rcPaint, (HBRUSH)GetStockObject(LTGRAY_BRUSH));
        EndPaint(hwnd, &ps);
        return;
    }
    CntRefreshColours(rec);
    HGDIOBJ oldFont = SelectObject(dc, rec->font ? rec->font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    int32_t top = rec->v.position, rh = rec->rowHeight;
    int32_t first = top + ps.rcPaint.top / rh - 1, end = top + ps.rcPaint.bottom / rh + 1;
    if (first < 0) first = 0;
    if (end > rec->v.total) end = rec->v.total;
    int width = rec->childCx > rec->h.total ? rec->childCx : rec->h.total;
    int32_t row = first;
    for (cntLINE *l = LineAtRow(rec, first); l && row < end; l = l->nextVisible, row++) {
        RECT r = { -rec->h.position, (row - top) * rh, width, (row - top + 1) * rh };
        PaintLine(rec, dc, l, &r);
    }
    RECT below = { 0, (row - top) * rh, ps.rcPaint.right, ps.rcPaint.bottom };
    if (below.bottom > below.top)
        FillRect(dc, &below, rec->colours[CNTC_BACK].brush);
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

/* ---- Pictures of owner-drawn items ---- */

int cntDrawItemBitmap(CNTW *rec, HBITMAP bitmap)
{
    if (!bitmap || !rec->paintDC)
        return 0;
    HDC mem = CreateCompatibleDC(rec->paintDC);
    HGDIOBJ old = SelectObject(mem, bitmap);
    /* no more than the picture itself, centred: past its edges a bitmap
     * reads as black */
    BITMAP info = {};
    GetObject(bitmap, sizeof info, &info);
    int cx = rec->itemRect.right - rec->itemRect.left;
    int cy = rec->itemRect.bottom - rec->itemRect.top;
    int x = rec->itemRect.left, y = rec->itemRect.top;
    if (info.bmWidth && info.bmWidth < cx) {
        x += (cx - info.bmWidth) / 2;
        cx = info.bmWidth;
    }
    if (info.bmHeight && info.bmHeight < cy) {
        y += (cy - info.bmHeight) / 2;
        cy = info.bmHeight;
    }
    DrawTransparentBitmap(rec->paintDC, x, y, cx, cy, mem, 0, 0, cx, cy, GetPixel(mem, 0, 0));
    SelectObject(mem, old);
    DeleteDC(mem);
    return 1;
}

/* ---- The expander ---- */

int cntExpanderProc(HWND child, UINT code, cntITEM *item, CNTW *rec)
{
    cntLINE *line = rec->itemLine;
    if (code == CN_PAINT && line) {
        cntDrawItemBitmap(rec, rec->images[(item->flags & CNTI_PRESSED) ? 2
                                           : (line->flags & CNTL_EXPANDED) ? 1 : 0]);
    } else if (code == CN_CLICKED && line) {
        CntLineSet *set = rec->lines;
        if (rec->style & CNTS_ASKEXPAND) {
            UINT ask = (line->flags & CNTL_EXPANDED) ? CN_COLLAPSING : CN_EXPANDING;
            if (!SendMessageA(rec->owner, ask, 0, (LPARAM)line))
                return 0;
        }
        if (rec->lines == set && set) {
            line->flags ^= CNTL_EXPANDED;
            set->flags |= 1;
        }
    }
    return 0;
}

/* ---- Mouse and keys ---- */

static void ItemCall(CNTW *rec, UINT code, cntITEM *it)
{
    rec->itemLine = rec->pressedLine;
    if (it->callback)
        it->callback(rec->child, code, it, rec);
}

static void RepaintCell(CNTW *rec)
{
    InvalidateRect(rec->child, &rec->pressedRect, FALSE);
}

static void LayoutIfChanged(CNTW *rec)
{
    if (rec->lines && (rec->lines->flags & 1))
        Relayout(rec);
}

static void SelectAt(CNTW *rec, cntLINE *line, cntITEM *item)
{
    if (item && Selectable(line, item)) {
        if (item != rec->selItem)
            Select(rec, line, item);
        return;
    }
    int refX = rec->selX;
    Select(rec, line, nullptr);
    cntITEM *before, *after, *it = Nearest(line, refX, &before, &after);
    if (it && rec->selLine == line)
        Select(rec, line, it);
}

static LRESULT ButtonDown(HWND hwnd, CNTW *rec, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_LBUTTONDOWN && rec->keyPressed)
        return 0;
    SetFocus(hwnd);
    RECT rc;
    cntITEM *item = nullptr;
    cntLINE *line = cntLineAtPos(rec, (short)LOWORD(lp), (short)HIWORD(lp), nullptr, &rc, &item);
    if (!line)
        return DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_LBUTTONDOWN && item && (item->flags & CNTI_PRESSABLE) && item->callback) {
        SetCapture(hwnd);
        rec->mousePressed = 1;
        rec->pressedItem = item;
        rec->pressedRect = rc;
        rec->pressedLine = line;
        rec->inside = 1;
        item->flags |= CNTI_PRESSED;
        SendMessageA(hwnd, CN_PRESSED, 0, (LPARAM)item);
        RepaintCell(rec);
    }
    SelectAt(rec, line, item);
    if (msg == WM_RBUTTONDOWN)
        return DefWindowProcA(hwnd, msg, wp, lp);
    return 0;
}

static void MouseMove(CNTW *rec, LPARAM lp)
{
    POINT pt = { (short)LOWORD(lp), (short)HIWORD(lp) };
    int in = PtInRect(&rec->pressedRect, pt);
    if (in == rec->inside)
        return;
    rec->inside = in;
    cntITEM *it = rec->pressedItem;
    if (in)
        it->flags |= CNTI_PRESSED;
    else
        it->flags &= ~CNTI_PRESSED;
    SendMessageA(rec->child, in ? CN_PRESSED : CN_RELEASED, 0, (LPARAM)it);
    RepaintCell(rec);
}

static void ButtonUp(CNTW *rec, LPARAM lp)
{
    cntITEM *it = rec->pressedItem, *at = nullptr;
    RECT rc;
    rec->mousePressed = 0;
    ReleaseCapture();
    if (it->flags & CNTI_PRESSED) {     /* not when it was left already */
        it->flags &= ~CNTI_PRESSED;
        SendMessageA(rec->child, CN_RELEASED, 0, (LPARAM)it);
        RepaintCell(rec);
    }
    cntLineAtPos(rec, (short)LOWORD(lp), (short)HIWORD(lp), nullptr, &rc, &at);
    rec->pressedItem = nullptr;
    if (at == it)
        ItemCall(rec, CN_CLICKED, it);
    rec->pressedLine = nullptr;
    LayoutIfChanged(rec);
}

static void ExpandAll(cntLINE *l, int expand)
{
    for (; l; l = l->next) {
        if (l->flags & CNTL_EXPANDER)
            l->flags = expand ? (l->flags | CNTL_EXPANDED) : (l->flags & ~CNTL_EXPANDED);
        ExpandAll(l->child, expand);
    }
}

static void F9(CNTW *rec, int shift, int ctrl, int alt)
{
    cntLINE *l = rec->selLine;
    if (!rec->lines)
        return;
    if (alt && (shift || ctrl))
        ExpandAll(rec->lines->first, shift);
    else if (!l || !(l->flags & CNTL_EXPANDER))
        return;
    else if (shift || ctrl) {
        l->flags = shift ? (l->flags | CNTL_EXPANDED) : (l->flags & ~CNTL_EXPANDED);
        ExpandAll(l->child, shift);
    } else
        l->flags ^= CNTL_EXPANDED;
    rec->lines->flags |= 1;
    LayoutIfChanged(rec);
}

static void Space(CNTW *rec, int down)
{
    cntITEM *it = rec->selItem;
    if (down) {
        if (rec->pressedItem || !it || !(it->flags & CNTI_PRESSABLE))
            return;
        rec->keyPressed = 1;
        rec->pressedItem = it;
        rec->pressedLine = rec->selLine;
        it->flags |= CNTI_PRESSED;
        SendMessageA(rec->child, CN_PRESSED, 0, (LPARAM)it);
    } else {
        if (!rec->keyPressed)
            return;
        rec->keyPressed = 0;
        it = rec->pressedItem;
        it->flags &= ~CNTI_PRESSED;
        SendMessageA(rec->child, CN_RELEASED, 0, (LPARAM)it);
        rec->pressedItem = nullptr;
        ItemCall(rec, CN_CLICKED, it);
        rec->pressedLine = nullptr;
        LayoutIfChanged(rec);
    }
    RepaintRow(rec, rec->selLine);
}

static LRESULT Key(HWND hwnd, CNTW *rec, UINT msg, WPARAM wp, LPARAM lp)
{
    int shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    int alt = GetKeyState(VK_MENU) < 0 || msg == WM_SYSKEYDOWN;
    if (msg == WM_KEYUP) {
        if (wp != VK_SPACE)
            return DefWindowProcA(hwnd, msg, wp, lp);
        Space(rec, 0);
        return 1;
    }
    if (wp == VK_F9) {
        F9(rec, shift, ctrl, alt);
        return 1;
    }
    if (msg == WM_SYSKEYDOWN)
        return DefWindowProcA(hwnd, msg, wp, lp);
    static const struct { WPARAM key; WORD code; } scroll[] = {
        { VK_PRIOR, SB_PAGEUP }, { VK_NEXT, SB_PAGEDOWN }, { VK_HOME, SB_TOP }, { VK_END, SB_BOTTOM },
    };
    for (auto &s : scroll)
        if (wp == s.key) {
            ScrollMessage(hwnd, &rec->h, &rec->v, shift ? WM_HSCROLL : WM_VSCROLL, s.code, 0);
            return 1;
        }
    switch (wp) {
    case VK_TAB:   MoveSelection(rec, !shift, MOVE_TAB); return 1;
    case VK_LEFT:  MoveSelection(rec, 0, MOVE_SIDE); return 1;
    case VK_RIGHT: MoveSelection(rec, 1, MOVE_SIDE); return 1;
    case VK_UP:    MoveSelection(rec, 0, MOVE_LINE); return 1;
    case VK_DOWN:  MoveSelection(rec, 1, MOVE_LINE); return 1;
    case VK_SPACE: Space(rec, 1); return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static void ChildSize(CNTW *rec, int cx, int cy)
{
    rec->childCx = cx;
    rec->childCy = cy;
    int32_t rows = rec->v.total, page = rec->rowHeight ? cy / rec->rowHeight : 0;
    rec->v.page = (uint16_t)(page < rows ? page : rows);
    if (rec->v.position + rec->v.page > rows) {
        rec->v.position = rows - rec->v.page > 0 ? rows - rec->v.page : 0;
        InvalidateRect(rec->child, nullptr, FALSE);
    }
    rec->h.page = (uint16_t)(cx < rec->h.total ? cx : rec->h.total);
    if (rec->h.position + cx > rec->h.total) {
        int32_t left = rec->h.total - cx > 0 ? rec->h.total - cx : 0;
        if (left != rec->h.position) {
            rec->h.position = left;
            InvalidateRect(rec->child, nullptr, FALSE);
        }
    }
    UpdateBars(rec);
}

static LRESULT CALLBACK cntChildContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        CNTW *r = (CNTW *)((CREATESTRUCTA *)lp)->lpCreateParams;
        r->child = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)r);
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    CNTW *rec = Rec(hwnd);
    if (msg == WM_PAINT) {
        Paint(hwnd, rec);
        return 0;
    }
    if (msg == WM_ERASEBKGND)
        return 1;
    if (!rec)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_SIZE:
        ChildSize(rec, LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        rec->focus = msg == WM_SETFOCUS;
        RepaintRow(rec, rec->selLine);
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        return ScrollMessage(hwnd, &rec->h, &rec->v, msg, wp, lp);
    case WM_SETTEXT: {
        const char *t = (const char *)lp;
        if (rec->heading)
            HeapFree(GetProcessHeap(), 0, rec->heading);
        rec->heading = nullptr;
        if (t && *t) {
            rec->heading = (char *)HeapAlloc(GetProcessHeap(), 0, strlen(t) + 1);
            if (rec->heading)
                strcpy(rec->heading, t);
        }
        rec->headHeight = rec->heading ? rec->textHeight * 3 / 2 : 0;
        return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        return ButtonDown(hwnd, rec, msg, wp, lp);
    case WM_MOUSEMOVE:
        if (rec->mousePressed && rec->pressedItem)
            MouseMove(rec, lp);
        return 0;
    case WM_LBUTTONUP:
        if (rec->mousePressed && rec->pressedItem)
            ButtonUp(rec, lp);
        return 0;
    case WM_LBUTTONDBLCLK: {
        SetFocus(hwnd);
        RECT rc;
        cntITEM *item;
        cntLINE *l = cntLineAtPos(rec, (short)LOWORD(lp), (short)HIWORD(lp), nullptr, &rc, &item);
        if (rec->style & CNTS_ACTIVATE)
            SendMessageA(rec->owner, CN_ACTIVATE, 0, (LPARAM)l);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
        return Key(hwnd, rec, msg, wp, lp);
    case CN_PRESSED:
    case CN_RELEASED:
        if (lp)
            ItemCall(rec, msg, (cntITEM *)lp);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- The outer window ---- */

static void PlaceChild(CNTW *rec)
{
    int cy = rec->cy - rec->headHeight;
    SetWindowPos(rec->child, nullptr, 0, rec->headHeight, rec->cx, cy > 0 ? cy : 0,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

static void PaintHeading(HWND hwnd, CNTW *rec)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (rec && rec->headHeight) {
        CntRefreshColours(rec);
        RECT r = { 0, 0, rec->cx, rec->headHeight };
        FillRect(dc, &r, rec->colours[CNTC_HEADBACK].brush);
        uint32_t s = rec->headStyle;
        UINT edge = (s & 16) ? EDGE_BUMP : (s & 128) ? EDGE_SUNKEN : (s & 64) ? EDGE_RAISED
                  : (s & 32) ? EDGE_ETCHED : 0;
        if (edge)
            DrawEdge(dc, &r, edge, BF_RECT | BF_ADJUST);
        HGDIOBJ old = SelectObject(dc, rec->font ? rec->font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, rec->colours[CNTC_HEADTEXT].seen);
        UINT fmt = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX
                 | ((s & 2) ? DT_LEFT : (s & 4) ? DT_RIGHT : DT_CENTER);
        if (rec->heading)
            DrawTextA(dc, rec->heading, -1, &r, fmt);
        if (s & 0x100) {
            SelectObject(dc, rec->colours[CNTC_HEADTEXT].pen);
            MoveToEx(dc, 0, rec->headHeight - 1, nullptr);
            LineTo(dc, rec->cx, rec->headHeight - 1);
        }
        SelectObject(dc, old);
    }
    EndPaint(hwnd, &ps);
}

static LRESULT CALLBACK cntContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        CNTW *r = (CNTW *)((CREATESTRUCTA *)lp)->lpCreateParams;
        r->container = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)r);
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    CNTW *rec = Rec(hwnd);
    if (!rec)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        Metrics(rec);
        return 0;
    case WM_SIZE:
        rec->cx = LOWORD(lp);
        rec->cy = HIWORD(lp);
        if (rec->child)
            PlaceChild(rec);
        return 0;
    case WM_SETTEXT:
        SendMessageA(rec->child, WM_SETTEXT, wp, lp);
        PlaceChild(rec);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case WM_PAINT:
        PaintHeading(hwnd, rec);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
        return SendMessageA(rec->child, msg, wp, lp);
    case WM_SETFOCUS:
        SetFocus(rec->child);
        return 0;
    case WM_DESTROY:
        if (rec->measureDC)
            DeleteDC(rec->measureDC);
        rec->measureDC = nullptr;
        return 0;
    case WM_NCDESTROY:
        /* the record and the heading copy go with the window */
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        if (rec->child && IsWindow(rec->child))
            SetWindowLongPtrA(rec->child, GWLP_USERDATA, 0);
        for (auto &c : rec->colours)
            CntColourSet(&c, nullptr);
        if (rec->heading)
            HeapFree(GetProcessHeap(), 0, rec->heading);
        HeapFree(GetProcessHeap(), 0, rec);
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- Interfaces ---- */

static int Register(void)
{
    static int done;
    if (done)
        return 1;
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.cbWndExtra = 8;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpfnWndProc = cntContainerProc;
    wc.lpszClassName = CONTAINER;
    if (!RegisterClassA(&wc))
        return 0;
    wc.lpfnWndProc = cntChildContainerProc;
    wc.lpszClassName = CHILD;
    if (!RegisterClassA(&wc))
        return 0;
    done = 1;
    return 1;
}

HWND cntCreateWindow(HWND owner, HBITMAP collapsed, HBITMAP expanded, HBITMAP pressed)
{
    if (!Register())
        return nullptr;
    CNTW *rec = (CNTW *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(CNTW));
    if (!rec)
        return nullptr;
    memcpy(rec->signature, "CNTW", 4);
    const COLORREF *defaults[5] = { &black, &grey, &black, &dark, &dark };
    for (int i = 0; i < 5; i++)
        CntColourSet(&rec->colours[i], defaults[i]);
    rec->filter = 0xFFFFFFFF;
    rec->owner = owner;
    rec->images[0] = collapsed;
    rec->images[1] = expanded;
    rec->images[2] = pressed;
    rec->measureDC = CreateCompatibleDC(nullptr);
    HWND w = CreateWindowExA(0, CONTAINER, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, owner, nullptr,
                             GetModuleHandleA(nullptr), rec);
    if (!w) {
        for (auto &c : rec->colours)
            CntColourSet(&c, nullptr);
        if (rec->measureDC)
            DeleteDC(rec->measureDC);
        HeapFree(GetProcessHeap(), 0, rec);
        return nullptr;
    }
    HWND c = CreateWindowExA(0, CHILD, "", WS_CHILD | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, 0, 0,
                             0, 0, w, nullptr, GetModuleHandleA(nullptr), rec);
    if (!c) {
        DestroyWindow(w);
        return nullptr;
    }
    ShowWindow(c, SW_SHOWNA);
    return w;
}

int cntSetLines(HWND window, CntLineSet *set, CntLineSet **old)
{
    CNTW *rec = Rec(window);
    if (!rec)
        return CNT_ENOTCNT;
    CntLineSet *prev = rec->lines;
    if (old)
        *old = prev;
    rec->lines = set;
    rec->selItem = nullptr;
    rec->selectionKept = 0;
    if (set) {
        if (prev && prev->first)
            CntMatchTrees(rec, prev->first, set->first);
        else
            CntInitialSelection(rec, set->first);
    }
    if (rec->mousePressed) {
        rec->mousePressed = 0;
        ReleaseCapture();
    }
    rec->keyPressed = 0;
    rec->pressedItem = nullptr;
    rec->pressedLine = nullptr;
    if (!rec->selectionKept) {
        rec->selLine = nullptr;
        rec->selItem = nullptr;
    }
    Relayout(rec);
    if (set && !rec->selItem)
        MoveSelection(rec, 1, MOVE_NEW);
    return 0;
}

int cntSetColours(HWND window, const COLORREF *text, const COLORREF *back,
                  const COLORREF *selection)
{
    CNTW *rec = Rec(window);
    if (!rec)
        return CNT_ENOTCNT;
    if (text) CntColourSet(&rec->colours[CNTC_TEXT], text);
    if (back) CntColourSet(&rec->colours[CNTC_BACK], back);
    if (selection) CntColourSet(&rec->colours[CNTC_SELBACK], selection);
    CntRefreshColours(rec);
    InvalidateRect(rec->child, nullptr, FALSE);
    return 0;
}

int cntSetFont(HWND window, HFONT font)
{
    CNTW *rec = Rec(window);
    if (!rec)
        return CNT_ENOTCNT;
    rec->font = font;
    Metrics(rec);
    if (rec->lines)
        rec->lines->generation++;
    Relayout(rec);
    ChildSize(rec, rec->childCx, rec->childCy);
    return 0;
}

int cntSetStyle(HWND window, uint32_t style)
{
    CNTW *rec = Rec(window);
    if (!rec)
        return CNT_ENOTCNT;
    rec->style = style;
    InvalidateRect(rec->child, nullptr, FALSE);
    return 0;
}

int cntScrollToSelection(HWND window)
{
    CNTW *rec = Rec(window);
    if (!rec)
        return CNT_ENOTCNT;
    if (rec->selLine) {
        int32_t top = (int32_t)rec->selLine->row - rec->v.page / 2;
        ScrollToRow(rec, top > 0 ? top : 0);
    }
    return 0;
}

cntLINE *cntLineAtPos(CNTW *rec, int x, int y, cntLINE *start, RECT *itemRect, cntITEM **item)
{
    if (item)
        *item = nullptr;
    if (!rec || !rec->rowHeight || y < 0)
        return nullptr;
    int32_t row = rec->v.position + y / rec->rowHeight;
    cntLINE *l = LineAtRow(rec, row, start);
    if (!l)
        return nullptr;
    int left = l->indent - rec->h.position, top = (row - rec->v.position) * rec->rowHeight;
    for (cntITEM *it = cntFirstItem(l); it; it = cntNextItem(it)) {
        int w = CntCellWidth(l, it);
        if (w > 0 && x >= left && x < left + w) {
            if (item)
                *item = it;
            if (itemRect)
                SetRect(itemRect, left, top, left + w, top + rec->rowHeight);
            break;
        }
        left += w;
    }
    return l;
}
