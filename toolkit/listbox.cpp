/* ZKTLISTBOX: a single-column, owner-drawable list with sorted or
 * unsorted items, single, multiple or extended selection, a hidden copy
 * of all items that a typed text filters, drag-out of selected items,
 * hover reports for tips, a column title and a second view (its buddy). */
#include "tklist.h"
#include "tkplace.h"
#include "tklogic.h"

enum { UNSUPPORTED_STYLES = LBS_MULTICOLUMN | LBS_OWNERDRAWVARIABLE | LBS_USETABSTOPS |
                            LBS_WANTKEYBOARDINPUT };
enum { ERROR_UNSUPPORTED_STYLE = 2002, ADD_FILTERED = -99, ADD_NOSTORAGE = -2 };

ListBoxState *ListState(HWND list)
{
    ListBoxState *st = TkRecord<ListBoxState>(list);
    return st && memcmp(st->eye, "MYLB", 4) == 0 ? st : NULL;
}

/* ---- entry arrays ---- */

/* insert an entry at pos (append when out of range) */
static int arr_insert(EntryArray *a, int32_t pos, ListEntry *e)
{
    if (a->n == a->cap) {
        int32_t cap = a->cap ? a->cap * 2 : 64;
        ListEntry **v = (ListEntry **)CSGetMem(sizeof(ListEntry *) * cap, "LWD");
        if (!v)
            return -1;
        if (a->v) {
            memcpy(v, a->v, sizeof(ListEntry *) * a->n);
            CSFreeMem(a->v);
        }
        a->v = v;
        a->cap = cap;
    }
    if (pos < 0 || pos > a->n)
        pos = a->n;
    memmove(a->v + pos + 1, a->v + pos, sizeof(ListEntry *) * (a->n - pos));
    a->v[pos] = e;
    a->n++;
    return pos;
}

/* remove the entry at pos (not freed) */
static void arr_remove(EntryArray *a, int32_t pos)
{
    memmove(a->v + pos, a->v + pos + 1, sizeof(ListEntry *) * (a->n - pos - 1));
    a->n--;
}

/* position of an entry, -1 when absent */
static int32_t arr_find(const EntryArray *a, const ListEntry *e)
{
    for (int32_t i = 0; i < a->n; i++)
        if (a->v[i] == e)
            return i;
    return -1;
}

/* a new entry with a copy of the text */
static ListEntry *entry_new(const char *text, const char *tag)
{
    size_t n = text ? strlen(text) : 0;
    ListEntry *e = (ListEntry *)TkGetMem(sizeof(ListEntry) + n + 1, tag);
    if (!e)
        return NULL;
    e->text = (char *)(e + 1);
    memcpy(e->text, text ? text : "", n + 1);
    e->width = -1;
    return e;
}

/* free every entry of an array (and the array) */
static void arr_free(EntryArray *a)
{
    for (int32_t i = 0; i < a->n; i++)
        CSFreeMem(a->v[i]);
    if (a->v)
        CSFreeMem(a->v);
    memset(a, 0, sizeof *a);
}

/* the visible entry at index, or null */
static ListEntry *item_at(ListBoxState *st, WPARAM index)
{
    return (int64_t)(INT_PTR)index >= 0 && (int64_t)(INT_PTR)index < st->items.n
               ? st->items.v[(INT_PTR)index] : NULL;
}

/* ---- small helpers ---- */

/* item height in pixels (at least 1) */
static int item_height(const ListBoxState *st)
{
    return st->vs.unit ? st->vs.unit : 1;
}

/* send a notification to the parent */
static LRESULT to_parent(ListBoxState *st, UINT msg, WPARAM wp, LPARAM lp)
{
    return SendMessageA(GetParent(st->hwnd), msg, wp, lp);
}

/* whether painting is held back */
static int quiet(const ListBoxState *st)
{
    return st->redrawOff || st->bulkLoad;
}

void ListRepaintRow(ListBoxState *st, int32_t row)
{
    if (row < 0 || quiet(st))
        return;
    int h = item_height(st);
    RECT rc = {0, (row - st->vs.position) * h, 32767, (row - st->vs.position + 1) * h};
    InvalidateRect(st->hwnd, &rc, FALSE);
    if (st->buddy)
        InvalidateRect(st->buddy, &rc, FALSE);
}

/* repaint the whole list and its buddy */
static void repaint(ListBoxState *st)
{
    if (quiet(st))
        return;
    InvalidateRect(st->hwnd, NULL, FALSE);
    if (st->buddy)
        InvalidateRect(st->buddy, NULL, FALSE);
}

/* set a visible entry's selected flag, its twin's and the count */
static int set_selected(ListBoxState *st, int32_t i, int on)
{
    ListEntry *e = st->items.v[i];
    if (!!(e->flags & LEF_SELECTED) == !!on)
        return 0;
    e->flags ^= LEF_SELECTED;
    if (e->twin)
        e->twin->flags = (e->twin->flags & ~LEF_SELECTED) | (e->flags & LEF_SELECTED);
    st->selCount += on ? 1 : -1;
    st->selChanged = 1;
    ListRepaintRow(st, i);
    return 1;
}

/* clear every selection, the hidden copy's too */
static void clear_all(ListBoxState *st)
{
    for (int32_t i = 0; i < st->items.n; i++)
        set_selected(st, i, 0);
    for (int32_t i = 0; i < st->all.n; i++)
        st->all.v[i]->flags &= ~LEF_SELECTED;
}

/* report an item that became selected by 1253 */
static void report_item(ListBoxState *st, int32_t i)
{
    if (!st->report1253 || i < 0 || i >= st->items.n)
        return;
    ItemSelectedInfo info = {st->hwnd, st->items.v[i]->data};
    to_parent(st, LBM_ITEMSELECTED, 0, (LPARAM)&info);
}

/* report a changed selection by LBN_SELCHANGE or 1240 */
static void report_change(ListBoxState *st)
{
    if (!st->selChanged)
        return;
    if (st->style & LBS_NOTIFY)
        to_parent(st, WM_COMMAND, MAKEWPARAM(st->id, LBN_SELCHANGE), (LPARAM)st->hwnd);
    else if (st->report1240)
        to_parent(st, LBM_SELCHANGED, 0, (LPARAM)st->hwnd);
    st->selChanged = 0;
}

/* scroll the vertical view to a new top row */
static void set_top(ListBoxState *st, int32_t top)
{
    ScrollStep(st->hwnd, &st->vs, 1, (int64_t)top - st->vs.position, st->buddy);
}

/* move the caret (focus mark) to an index and into view */
static void move_caret(ListBoxState *st, int32_t index)
{
    if (st->caretEntry) {
        st->caretEntry->flags &= ~LEF_FOCUS;
        ListRepaintRow(st, arr_find(&st->items, st->caretEntry));
    }
    st->caret = index;
    st->caretEntry = st->items.v[index];
    if (GetFocus() == st->hwnd || (st->buddy && GetFocus() == st->buddy))
        st->caretEntry->flags |= LEF_FOCUS;
    ListRepaintRow(st, index);
    int32_t page = st->vs.page ? st->vs.page : 1;
    if (index < st->vs.position)
        set_top(st, index);
    else if (index >= st->vs.position + page)
        set_top(st, index - page + 1);
}

/* width of a text in the list's font (at most 65535) */
static int32_t text_width(ListBoxState *st, const char *text)
{
    HDC dc = GetDC(st->hwnd);
    HGDIOBJ old = SelectObject(dc, st->font ? st->font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE sz = {0, 0};
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &sz);
    SelectObject(dc, old);
    ReleaseDC(st->hwnd, dc);
    return sz.cx > 65535 ? 65535 : sz.cx;
}

/* raise the horizontal total of list and buddy to a width */
static void raise_total(ListBoxState *st, int32_t w)
{
    if (w > st->hs.total)
        ScrollSetTotal(st->hwnd, &st->hs, NULL, w, !quiet(st));
    ScrollState *bhs = BuddyHScroll(st->buddy);
    if (bhs && w > bhs->total)
        ScrollSetTotal(st->buddy, bhs, NULL, w, !quiet(st));
}

/* measure an added entry (step 4 of adding) */
static void measure_entry(ListBoxState *st, ListEntry *e)
{
    if (!(st->style & LBS_OWNERDRAWFIXED)) {
        e->width = text_width(st, e->text);
        raise_total(st, e->width);
    } else if (!st->fixedWidth) {
        e->width = -1;
        st->measurePending = 1;
    }
}

/* sorted position of a text in an entry array */
static int32_t sorted_position(const EntryArray *a, const char *text)
{
    int32_t lo = 0, hi = a->n;
    while (lo < hi) {
        int32_t mid = (lo + hi) / 2;
        if (strcmp(a->v[mid]->text, text) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

/* the hidden position for an insert at a visible index (sorted lists keep
 * the hidden copy sorted too, so that a filter rebuilds them in order) */
static int32_t hidden_position(ListBoxState *st, int32_t index, const char *text)
{
    if (st->style & LBS_SORT)
        return sorted_position(&st->all, text);
    if (index < 0)
        return -1;
    if (!(st->style & LBS_SORT) && st->filter) {
        ListEntry *e = item_at(st, index);
        return e && e->twin ? arr_find(&st->all, e->twin) : -1;
    }
    return index;
}

/* re-evaluate the bars and repaint unless held back */
static void refresh(ListBoxState *st)
{
    if (quiet(st))
        return;
    ScrollSizeChanged(st->hwnd, &st->hs, &st->vs);
    repaint(st);
}

/* add an item (LB_ADDSTRING, LB_INSERTSTRING, 1257, 1258) */
static LRESULT add_item(ListBoxState *st, int32_t index, const char *text, uint64_t data, int selected)
{
    ListEntry *hidden = NULL;
    if (st->options & LBO_KEEPALL) {
        hidden = entry_new(text, "LWAD");
        if (!hidden || arr_insert(&st->all, hidden_position(st, index, hidden->text), hidden) < 0) {
            if (hidden) CSFreeMem(hidden);
            return ADD_NOSTORAGE;
        }
        hidden->data = data;
        hidden->flags = selected ? LEF_SELECTED : 0;
        st->lastHidden = hidden;
        if (st->filter && !TkContainsNoCase(text, st->filter))
            return ADD_FILTERED;
    }
    ListEntry *e = entry_new(text, "LWD");
    int32_t pos = (st->style & LBS_SORT) ? sorted_position(&st->items, e ? e->text : "") : index;
    if (!e || (pos = arr_insert(&st->items, pos, e)) < 0) {
        if (e) CSFreeMem(e);
        return ADD_NOSTORAGE;
    }
    e->twin = hidden;
    e->data = data;
    if (selected) {
        e->flags |= LEF_SELECTED;
        st->selCount++;
    }
    st->vs.total = st->items.n;
    st->vs.needed = st->vs.total > st->vs.page;
    measure_entry(st, e);
    refresh(st);
    if (st->current >= 0 && pos <= st->current)
        st->current++;
    if (st->caret >= 0 && pos <= st->caret)
        st->caret++;
    return pos;
}

/* delete a visible item and its twin */
static LRESULT delete_item(ListBoxState *st, int32_t i)
{
    ListEntry *e = st->items.v[i];
    if (e->flags & LEF_SELECTED)
        st->selCount--;
    if (e->twin) {
        int32_t h = arr_find(&st->all, e->twin);
        if (h >= 0) arr_remove(&st->all, h);
        if (st->lastHidden == e->twin) st->lastHidden = NULL;
        CSFreeMem(e->twin);
    }
    arr_remove(&st->items, i);
    if (st->current == i) st->current = -1;
    else if (st->current > i) st->current--;
    if (st->caretEntry == e) {
        st->caretEntry = NULL;
        st->caret = -1;
        if (st->items.n) {
            int32_t c = i > 0 ? i - 1 : 0;
            st->caret = c;
            st->caretEntry = st->items.v[c];
            st->caretEntry->flags |= LEF_FOCUS;
        }
    } else if (st->caret > i) {
        st->caret--;
    }
    CSFreeMem(e);
    st->vs.total = st->items.n;
    refresh(st);
    return st->items.n;
}

/* the buddy's horizontal position back to the start */
static void clear_buddy_position(ListBoxState *st)
{
    ScrollState *bhs = BuddyHScroll(st->buddy);
    if (bhs) {
        bhs->position = 0;
        ScrollUpdateBars(st->buddy, bhs, NULL, 1);
        InvalidateRect(st->buddy, NULL, FALSE);
    }
}

/* empty both lists */
static void reset_content(ListBoxState *st)
{
    arr_free(&st->items);
    arr_free(&st->all);
    st->lastHidden = st->caretEntry = NULL;
    st->hs.position = st->vs.position = 0;
    st->hs.total = st->vs.total = 0;
    st->selCount = 0;
    st->current = st->caret = -1;
    clear_buddy_position(st);
    refresh(st);
}

/* rebuild the visible list from the hidden copy through a filter */
static void apply_filter(ListBoxState *st, const char *text)
{
    for (int32_t i = 0; i < st->items.n; i++)
        CSFreeMem(st->items.v[i]);
    st->items.n = 0;
    st->caretEntry = NULL;
    st->hs.position = st->vs.position = 0;
    st->selCount = 0;
    st->current = st->caret = -1;
    clear_buddy_position(st);
    if (st->filter) {
        CSFreeMem(st->filter);
        st->filter = NULL;
    }
    size_t n = text ? strlen(text) : 0;
    while (n && text[0] == ' ') { text++; n--; }
    while (n && text[n - 1] == ' ') n--;
    if (n) {
        st->filter = (char *)CSGetMem(n + 1, "FS");
        if (st->filter) {
            memcpy(st->filter, text, n);
            st->filter[n] = 0;
        }
    }
    for (int32_t i = 0; i < st->all.n; i++) {
        ListEntry *h = st->all.v[i];
        if (!TkContainsNoCase(h->text, st->filter))
            continue;
        ListEntry *e = entry_new(h->text, "LWD");
        if (!e || arr_insert(&st->items, -1, e) < 0) {
            if (e) CSFreeMem(e);
            break;
        }
        e->twin = h;
        e->data = h->data;
        e->flags = h->flags & LEF_SELECTED;
        if (e->flags & LEF_SELECTED) {
            st->selCount++;
            if (!(st->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) && st->current < 0)
                st->current = st->caret = st->items.n - 1, st->caretEntry = e;
        }
        measure_entry(st, e);
    }
    st->vs.total = st->items.n;
    refresh(st);
}

/* ---- selection ---- */

void ListSelectStep(ListBoxState *st, WPARAM keys, int32_t index, int mouseDown, int toggle,
                    int keyboard)
{
    if (st->items.n == 0)
        return;
    if (index < 0) index = 0;
    if (index >= st->items.n) index = st->items.n - 1;
    move_caret(st, index);
    int ctrl = (keys & MK_CONTROL) != 0, shift = (keys & MK_SHIFT) != 0;
    if (st->style & LBS_MULTIPLESEL) {
        if (toggle) {
            set_selected(st, index, !(st->items.v[index]->flags & LEF_SELECTED));
            report_item(st, index);
        }
    } else if (st->style & LBS_EXTENDEDSEL) {
        int newRange = (mouseDown || keyboard) && !shift;
        if (ctrl) {
            if (mouseDown)
                st->dragMode = !(st->items.v[index]->flags & LEF_SELECTED);
            set_selected(st, index, st->dragMode);
            if (!st->dragMode)
                st->current = -1;
            else if (mouseDown)
                st->current = index;
        } else {
            if (newRange) {
                clear_all(st);
                st->current = index;
            } else if (st->current < 0) {
                st->current = index;
            }
            int32_t a = st->current < index ? st->current : index;
            int32_t b = st->current < index ? index : st->current;
            for (int32_t i = a; i <= b; i++)
                set_selected(st, i, 1);
        }
    } else if (st->emptySelMode && ctrl) {
        clear_all(st);
        st->current = -1;
    } else if (index != st->current) {
        clear_all(st);
        set_selected(st, index, 1);
        st->current = index;
        report_item(st, index);
    }
    report_change(st);
}

/* the key state of the keyboard */
static WPARAM key_state(void)
{
    return (GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0) | (GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0);
}

int ListKeyDown(ListBoxState *st, HWND from, WPARAM key)
{
    WPARAM keys = key_state();
    int32_t c = st->caret < 0 ? 0 : st->caret, page = st->vs.page ? st->vs.page : 1;
    switch (key) {
    case VK_TAB:
        to_parent(st, (keys & MK_SHIFT) ? LBM_BACKTAB : LBM_TAB, 0, (LPARAM)from);
        return 1;
    case VK_SPACE:
        if (!(st->style & LBS_MULTIPLESEL))
            return 0;
        ListSelectStep(st, keys, c, 0, 1, 1);
        return 1;
    case VK_PRIOR: ListSelectStep(st, keys, c - page, 0, 0, 1); return 1;
    case VK_NEXT: ListSelectStep(st, keys, c + page, 0, 0, 1); return 1;
    case VK_HOME: ListSelectStep(st, keys, 0, 0, 0, 1); return 1;
    case VK_END: ListSelectStep(st, keys, st->items.n, 0, 0, 1); return 1;
    case VK_LEFT:
    case VK_UP: ListSelectStep(st, keys, c - 1, 0, 0, 1); return 1;
    case VK_RIGHT:
    case VK_DOWN: ListSelectStep(st, keys, c + 1, 0, 0, 1); return 1;
    }
    return 0;
}

/* row under a client y */
static int32_t row_at(ListBoxState *st, int y)
{
    return y / item_height(st) + st->vs.position;
}

/* screen point of a client lParam, packed and plain */
static POINT screen_point(HWND from, LPARAM lp)
{
    POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
    ClientToScreen(from, &pt);
    return pt;
}

void ListMouseDown(ListBoxState *st, HWND from, WPARAM keys, LPARAM lp)
{
    SetFocus(from);
    SetCapture(from);
    st->captured = 1;
    int32_t row = row_at(st, (short)HIWORD(lp));
    ListEntry *e = item_at(st, row);
    if (e && (e->flags & LEF_SELECTED))
        st->pendingDrag = 1;
    else
        ListSelectStep(st, keys, row, 1, 1, 0);
}

void ListMouseMove(ListBoxState *st, HWND from, WPARAM keys, LPARAM lp, int allowDrag)
{
    if (!(keys & MK_LBUTTON) || !st->captured)
        return;
    if (!st->pendingDrag) {
        ListSelectStep(st, keys, row_at(st, (short)HIWORD(lp)), 0,
                       !(st->style & LBS_MULTIPLESEL), 0);
        return;
    }
    if (!allowDrag || !st->dragEnabled)
        return;
    POINT pt = screen_point(from, lp);
    LPARAM packed = MAKELPARAM(pt.x, pt.y);
    if (!WinPointInClient(st->hwnd, pt) && !WinPointInClient(st->buddy, pt)) {
        st->dragging = st->leftOnce = 1;
        to_parent(st, CN_DRAGOUT, (WPARAM)st->hwnd, packed);
    } else {
        if (st->dragging) {
            st->dragging = 0;
            to_parent(st, CN_DRAGBACK, (WPARAM)st->hwnd, 0);
        }
        SetCursor(LoadCursor(NULL, IDC_NO));
    }
}

void ListMouseUp(ListBoxState *st, HWND from, WPARAM keys, LPARAM lp)
{
    if (st->pendingDrag) {
        POINT pt = screen_point(from, lp);
        if ((WinPointInClient(st->hwnd, pt) || WinPointInClient(st->buddy, pt)) && !st->leftOnce)
            ListSelectStep(st, keys, row_at(st, (short)HIWORD(lp)), 1, 1, 0);
        st->pendingDrag = st->leftOnce = 0;
        if (st->dragging) {
            st->dragging = 0;
            to_parent(st, CN_DROP, keys, MAKELPARAM(pt.x, pt.y));
        }
    }
    if (st->captured)
        ReleaseCapture();
    st->captured = 0;
}

void ListFocus(ListBoxState *st, int on)
{
    if (on && !st->caretEntry && st->items.n) {
        st->caret = 0;
        st->caretEntry = st->items.v[0];
    }
    if (!st->caretEntry)
        return;
    if (on) st->caretEntry->flags |= LEF_FOCUS;
    else st->caretEntry->flags &= ~LEF_FOCUS;
    ListRepaintRow(st, st->caret);
}

/* ---- painting ---- */

/* ask the owner for the widths of unmeasured owner-drawn items */
static void measure_pending(ListBoxState *st)
{
    int32_t widest = 0;
    for (int32_t i = 0; i < st->items.n; i++) {
        ListEntry *e = st->items.v[i];
        if (e->width >= 0 || !e->data)
            continue;
        MEASUREITEMSTRUCT mi = {ODT_LISTBOX, (UINT)st->id, (UINT)i, 0, 0, (ULONG_PTR)e->data};
        to_parent(st, WM_MEASUREITEM, st->id, (LPARAM)&mi);
        e->width = (int32_t)mi.itemWidth;
        if (e->width > widest)
            widest = e->width;
    }
    st->measurePending = 0;
    raise_total(st, widest);
}

void ListPaintRows(ListBoxState *st, HWND target, HDC dc, const RECT *paint, int32_t hpos,
                   HBRUSH bg, COLORREF textColour, COLORREF bgColour)
{
    int h = item_height(st);
    int32_t first = st->vs.position + paint->top / h;
    int32_t last = st->vs.position + paint->bottom / h + 1;
    RECT cr;
    GetClientRect(target, &cr);
    HGDIOBJ oldFont = SelectObject(dc, st->font ? st->font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, OPAQUE);
    int32_t row;
    for (row = first; row <= last && row < st->items.n; row++) {
        ListEntry *e = st->items.v[row];
        RECT rc = {-hpos, (row - st->vs.position) * h, cr.right, (row - st->vs.position + 1) * h};
        UINT state = e->flags & (LEF_SELECTED | LEF_FOCUS);
        if (row > 0 && (st->items.v[row - 1]->flags & LEF_SELECTED)) state |= 0x2000;
        if (row + 1 < st->items.n && (st->items.v[row + 1]->flags & LEF_SELECTED)) state |= 0x4000;
        if (st->style & LBS_OWNERDRAWFIXED) {
            DRAWITEMSTRUCT di = {ODT_LISTBOX, (UINT)st->id, (UINT)row, ODA_DRAWENTIRE, state,
                                 target, dc, rc, (ULONG_PTR)e->data};
            SendMessageA(GetParent(target), WM_DRAWITEM, st->id, (LPARAM)&di);
            continue;
        }
        int sel = (e->flags & LEF_SELECTED) != 0;
        RECT full = {0, rc.top, cr.right, rc.bottom};
        HBRUSH fill = sel ? CreateSolidBrush(textColour) : NULL;
        FillRect(dc, &full, sel ? fill : bg);
        if (fill) DeleteObject(fill);
        SetTextColor(dc, sel ? bgColour : textColour);
        SetBkColor(dc, sel ? textColour : bgColour);
        RECT tr = rc;
        tr.left += 2;
        DrawTextA(dc, e->text, -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (e->flags & LEF_FOCUS) {
            RECT fr = {rc.left - 1 < 0 ? 0 : rc.left, rc.top, cr.right + 1, rc.bottom};
            SetTextColor(dc, RGB(0, 0, 0));
            DrawFocusRect(dc, &fr);
        }
    }
    RECT below = {0, (row - st->vs.position) * h, cr.right, cr.bottom};
    if (below.top < paint->bottom)
        FillRect(dc, &below, bg);
    SelectObject(dc, oldFont);
}

/* WM_PAINT of the list: double-buffered rows of the paint rectangle */
static void paint(ListBoxState *st, UINT msg, WPARAM wp)
{
    PAINTSTRUCT ps;
    HDC dc = TkBeginPaint(st->hwnd, msg, wp, &ps);
    if (st->redrawOff) {
        TkEndPaint(st->hwnd, msg, &ps);
        return;
    }
    if (st->title && st->hs.position != st->lastHpos) {
        InvalidateRect(st->title, NULL, FALSE);
        UpdateWindow(st->title);
    }
    st->lastHpos = st->hs.position;
    if (st->measurePending)
        measure_pending(st);
    HDC mem = CreateCompatibleDC(dc);
    int w = ps.rcPaint.right > 0 ? ps.rcPaint.right : 1, h = ps.rcPaint.bottom > 0 ? ps.rcPaint.bottom : 1;
    HBITMAP bm = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(mem, bm);
    SetTextColor(mem, st->textColour);
    SetBkColor(mem, st->bgColour);
    HBRUSH brush = (HBRUSH)to_parent(st, WM_CTLCOLORLISTBOX, (WPARAM)mem, (LPARAM)st->hwnd);
    if (brush) {
        st->bgBrush = brush;
        st->textColour = GetTextColor(mem);
        st->bgColour = GetBkColor(mem);
    } else {
        brush = (HBRUSH)GetStockObject(WHITE_BRUSH);
    }
    ListPaintRows(st, st->hwnd, mem, &ps.rcPaint, st->hs.position, brush, st->textColour, st->bgColour);
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, mem, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bm);
    DeleteDC(mem);
    TkEndPaint(st->hwnd, msg, &ps);
}

/* ---- size and font ---- */

/* rows per page and the vertical bar's need after a size change */
static void on_size(ListBoxState *st, int w, int h)
{
    st->width = w;
    st->height = h;
    if (st->buddy && IsWindowVisible(st->buddy) && st->hs.position + w >= st->hs.total) {
        int32_t p = st->hs.total - w;
        st->hs.position = p > 0 ? p : 0;
    }
    int32_t usable = h;
    if (st->buddy && IsWindowVisible(st->buddy)) {
        RECT br;
        GetClientRect(st->buddy, &br);
        if (br.bottom > 0 && br.bottom < usable)
            usable = br.bottom;
    }
    st->usableHeight = usable;
    st->vs.page = (uint16_t)(usable > 0 ? usable / item_height(st) : 0);
    st->hs.page = (uint16_t)(w > 0 ? w : 0);
    int need = st->vs.page < st->items.n;
    if (need != st->vbarShown || st->fixedWidth) {
        st->vbarShown = (uint8_t)need;
        if (to_parent(st, LBM_BARNEEDED, need, (LPARAM)st->hwnd))
            return;
    }
    if (!quiet(st))
        ScrollSizeChanged(st->hwnd, &st->hs, &st->vs);
}

/* the item height from a font (or the owner) */
static void on_font(ListBoxState *st, HFONT font)
{
    st->font = font;
    HDC dc = GetDC(st->hwnd);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(st->hwnd, dc);
    int h = tm.tmHeight + tm.tmExternalLeading;
    if (st->style & LBS_OWNERDRAWFIXED) {
        MEASUREITEMSTRUCT mi = {ODT_LISTBOX, (UINT)st->id, 0, 0, (UINT)tm.tmHeight, 0};
        if (to_parent(st, WM_MEASUREITEM, st->id, (LPARAM)&mi) && mi.itemHeight)
            h = (int)mi.itemHeight;
        else
            h = tm.tmHeight;
    }
    st->vs.unit = (uint16_t)(h > 0 ? h : 1);
    if (st->buddy)
        SendMessageA(st->buddy, WM_SETFONT, (WPARAM)font, 0);
    on_size(st, st->width, st->height);
}

/* ---- hover ---- */

/* ask for hover and leave reports */
static void track_hover(ListBoxState *st, LPARAM lp)
{
    POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
    if ((st->options & LBO_HOVERPENDING) || (pt.x == st->lastHover.x && pt.y == st->lastHover.y))
        return;
    TRACKMOUSEEVENT tme = {sizeof tme, TME_HOVER | TME_LEAVE, st->hwnd, 100};
    TrackMouseEvent(&tme);
    st->options |= LBO_HOVERPENDING;
    st->lastHover = pt;
}

/* the mouse rested: tell the parent what is under it */
static void on_hover(ListBoxState *st, LPARAM lp)
{
    st->options &= ~LBO_HOVERPENDING;
    int x = (short)LOWORD(lp), y = (short)HIWORD(lp), h = item_height(st);
    int32_t row = row_at(st, y);
    ListEntry *e = item_at(st, row);
    HoverInfo hi = {st->hwnd, x, y, x + st->hs.position, row * h, h, e ? row : -1,
                    e ? e->data : 0, st->hs.position, st->vs.position * h};
    if (to_parent(st, CN_HOVER, 0, (LPARAM)&hi))
        st->options |= LBO_TIPSHOWN;
    else
        st->options &= ~LBO_TIPSHOWN;
}

/* ---- creation ---- */

static LRESULT on_create(HWND hwnd, const CREATESTRUCTA *cs)
{
    if (cs->style & UNSUPPORTED_STYLES) {
        SetLastError(ERROR_UNSUPPORTED_STYLE);
        return -1;
    }
    ListBoxState *st = (ListBoxState *)TkGetMem(sizeof *st, "MYLB");
    if (!st)
        return -1;
    memcpy(st->eye, "MYLB", 4);
    st->hwnd = hwnd;
    st->id = (int32_t)(INT_PTR)cs->hMenu;
    st->style = (uint32_t)cs->style;
    st->current = st->caret = -1;
    st->textColour = 0xFF0000;
    st->bgColour = 0xFFFFFF;
    st->hs.unit = 1;
    st->vs.unit = 1;
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)st);
    SendMessageA(hwnd, WM_SETFONT, 0, 0);
    return 0;
}

static void on_destroy(HWND hwnd, ListBoxState *st)
{
    arr_free(&st->items);
    arr_free(&st->all);
    if (st->filter)
        CSFreeMem(st->filter);
    SetWindowLongPtrA(hwnd, 0, 0);
    CSFreeMem(st);
}

/* copy an item's text (LB_GETTEXT) */
static LRESULT get_text(ListBoxState *st, WPARAM i, char *out)
{
    ListEntry *e = item_at(st, i);
    if (!e)
        return LB_ERR;
    size_t n = strlen(e->text);
    if (out)
        memcpy(out, e->text, n + 1);
    return (LRESULT)n;
}

/* LB_FINDSTRING: after wParam, wrapping, prefix match with case */
static LRESULT find_string(ListBoxState *st, WPARAM start, const char *prefix)
{
    int32_t n = st->items.n;
    if (!prefix || n == 0)
        return LB_ERR;
    size_t len = strlen(prefix);
    int32_t from = (int32_t)(INT_PTR)start;
    if (from < -1 || from >= n) from = -1;
    for (int32_t k = 1; k <= n; k++) {
        int32_t i = (from + k) % n;
        if (strncmp(st->items.v[i]->text, prefix, len) == 0)
            return i;
    }
    return LB_ERR;
}

/* LB_SETSEL: multiple and extended styles only */
static LRESULT set_sel(ListBoxState *st, WPARAM on, LPARAM index)
{
    if (!(st->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)))
        return LB_ERR;
    if ((int)index == -1) {
        for (int32_t i = 0; i < st->items.n; i++)
            set_selected(st, i, (int)on);
    } else if (item_at(st, index)) {
        set_selected(st, (int32_t)index, (int)on);
    } else {
        return LB_ERR;
    }
    st->selChanged = 0;
    return 0;
}

/* LB_SELITEMRANGE */
static LRESULT sel_range(ListBoxState *st, WPARAM on, LPARAM lp)
{
    int32_t a = LOWORD(lp), b = HIWORD(lp);
    if (a > b) { int32_t t = a; a = b; b = t; }
    int single = !(st->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
    if (single && on) {
        for (int32_t i = 0; i < st->items.n; i++)
            if (i < a || i > b)
                set_selected(st, i, 0);
        if (item_at(st, a))
            move_caret(st, a);
    }
    for (int32_t i = a; i <= b && i < st->items.n; i++)
        set_selected(st, i, (int)on);
    st->selChanged = 0;
    return 0;
}

/* delete every unselected visible item (1241) */
static LRESULT delete_unselected(ListBoxState *st)
{
    for (int32_t i = st->items.n - 1; i >= 0; i--)
        if (!(st->items.v[i]->flags & LEF_SELECTED))
            delete_item(st, i);
    repaint(st);
    return 1;
}

/* the standard LB_ messages */
static LRESULT lb_message(ListBoxState *st, UINT msg, WPARAM wp, LPARAM lp)
{
    ListEntry *e;
    switch (msg) {
    case LB_ADDSTRING: return add_item(st, -1, (const char *)lp, 0, 0);
    case LB_INSERTSTRING: return add_item(st, (int32_t)(INT_PTR)wp, (const char *)lp, 0, 0);
    case LB_DELETESTRING: return item_at(st, wp) ? delete_item(st, (int32_t)wp) : LB_ERR;
    case LB_RESETCONTENT: reset_content(st); return 0;
    case LB_SETSEL: return set_sel(st, wp, lp);
    case LB_SETCURSEL:
        if (!item_at(st, wp)) return LB_ERR;
        ListSelectStep(st, 0, (int32_t)wp, 0, 1, 0);
        return 1;
    case LB_GETSEL: return (e = item_at(st, wp)) ? (e->flags & LEF_SELECTED) != 0 : LB_ERR;
    case LB_GETCURSEL: return st->current;
    case LB_GETTEXT: return get_text(st, wp, (char *)lp);
    case LB_GETTEXTLEN: return get_text(st, wp, NULL);
    case LB_GETCOUNT: return st->items.n;
    case LB_GETTOPINDEX: return st->vs.position;
    case LB_FINDSTRING: return find_string(st, wp, (const char *)lp);
    case LB_GETSELCOUNT: return st->selCount;
    case LB_GETSELITEMS: {
        if (!lp) return LB_ERR;
        int32_t got = 0;
        for (int32_t i = 0; i < st->items.n && got < (int32_t)wp; i++)
            if (st->items.v[i]->flags & LEF_SELECTED)
                ((int32_t *)lp)[got++] = i;
        return got;
    }
    case LB_SETHORIZONTALEXTENT:
        ScrollSetTotal(st->hwnd, &st->hs, NULL, (int32_t)wp, !quiet(st));
        return 0;
    case LB_SETTOPINDEX:
        if (!item_at(st, wp)) return LB_ERR;
        st->vs.position = (int32_t)wp;
        refresh(st);
        return 0;
    case LB_GETITEMDATA: return (e = item_at(st, wp)) ? (LRESULT)e->data : LB_ERR;
    case LB_SETITEMDATA:
        if (!(e = item_at(st, wp))) return LB_ERR;
        e->data = (uint64_t)lp;
        if (e->twin) e->twin->data = (uint64_t)lp;
        if (st->style & LBS_OWNERDRAWFIXED) ListRepaintRow(st, (int32_t)wp);
        return 0;
    case LB_SELITEMRANGE: return sel_range(st, wp, lp);
    case LB_SETCARETINDEX:
        if (!item_at(st, wp)) return LB_ERR;
        move_caret(st, (int32_t)wp);
        return 0;
    case LB_GETCARETINDEX: return st->caret;
    case LB_SETITEMHEIGHT:
        st->vs.unit = (uint16_t)(LOWORD(lp) ? LOWORD(lp) : 1);
        on_size(st, st->width, st->height);
        repaint(st);
        return 0;
    case LB_GETITEMHEIGHT: return item_height(st);
    }
    return LB_ERR;
}

/* the private LBM_* messages and the CtlNotify codes */
static LRESULT private_message(ListBoxState *st, UINT msg, WPARAM wp, LPARAM lp)
{
    const ItemAddRequest *rq = (const ItemAddRequest *)lp;
    ListEntry *e;
    switch (msg) {
    case LBM_SETBUDDY: st->buddy = (HWND)lp; return 0;
    case LBM_SETTITLE: st->title = (HWND)lp; return 0;
    case LBM_REDRAW:
        st->redrawOff = !wp;
        if (wp) {
            ScrollEnableUpdates(st->hwnd, &st->hs, &st->vs, 1);
            refresh(st);
        } else {
            ScrollEnableUpdates(st->hwnd, &st->hs, &st->vs, 0);
        }
        return 0;
    case LBM_ISSELECTED: return (e = item_at(st, wp)) ? (e->flags & LEF_SELECTED) != 0 : -1;
    case LBM_REPORT1240: st->report1240 = wp != 0; return 1;
    case LBM_DELETEUNSELECTED: return delete_unselected(st);
    case LBM_FIXEDWIDTH: st->fixedWidth = lp != 0; return 1;
    case LBM_SETLASTDATA: if (st->lastHidden) st->lastHidden->data = (uint64_t)lp; return 0;
    case LBM_REPORT1253: st->report1253 = wp != 0; return 1;
    case LBM_BULKLOAD:
        st->bulkLoad = !wp;
        if (wp) {
            ScrollEnableUpdates(st->hwnd, &st->hs, &st->vs, 1);
            refresh(st);
        }
        return 0;
    case LBM_INSERTITEM:
        return rq ? add_item(st, (int32_t)(INT_PTR)wp, rq->text, rq->data, rq->selected) : LB_ERR;
    case LBM_ADDITEM: return rq ? add_item(st, -1, rq->text, rq->data, rq->selected) : LB_ERR;
    case CN_HSCROLLOPTION:
        if (wp) st->hs.flags |= SCROLL_FOLLOWEND;
        else st->hs.flags &= ~SCROLL_FOLLOWEND;
        return 0;
    case CN_EMPTYSELECTION:
        st->emptySelMode = 1;
        clear_all(st);
        st->selChanged = 0;
        st->current = -1;
        return 0;
    case CN_ALLOWDRAG: st->dragEnabled = 1; return 1;
    case CN_OPTIONS: st->options = (st->options & ~3u) | ((uint32_t)lp & 3u); return 0;
    case CN_FILTER: apply_filter(st, (const char *)lp); return 0;
    case CN_SELSTYLE:
        st->style = (st->style & ~(uint32_t)(LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) |
                    ((uint32_t)lp & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
        return 0;
    }
    return 0;
}

/* the vertical scroll messages move the buddy in step */
static LRESULT scroll(ListBoxState *st, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_HSCROLL)
        ScrollMessage(st->hwnd, &st->hs, NULL, msg, wp, lp);
    else
        ScrollHandleMessage(st->hwnd, NULL, &st->vs, msg, wp, lp, st->buddy);
    return 0;
}

static LRESULT CALLBACK ListBoxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return on_create(hwnd, (const CREATESTRUCTA *)lp);
    ListBoxState *st = ListState(hwnd);
    if (!st)
        return (msg >= LB_ADDSTRING && msg <= LB_GETITEMHEIGHT) ? LB_ERR : DefWindowProcA(hwnd, msg, wp, lp);
    if (msg >= LB_ADDSTRING && msg <= LB_GETITEMHEIGHT)
        return lb_message(st, msg, wp, lp);
    if ((msg >= LBM_SETBUDDY && msg <= LBM_ADDITEM) || (msg >= CN_HSCROLLOPTION && msg <= CN_HOVEREND))
        return private_message(st, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY: on_destroy(hwnd, st); return 0;
    case WM_SIZE: on_size(st, LOWORD(lp), HIWORD(lp)); return 0;
    case WM_SETFOCUS: ListFocus(st, 1); return 0;
    case WM_KILLFOCUS: ListFocus(st, 0); return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT: paint(st, msg, wp); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT: on_font(st, (HFONT)wp); return 0;
    case WM_GETFONT: return (LRESULT)st->font;
    case WM_KEYDOWN:
        if (ListKeyDown(st, hwnd, wp)) return 1;
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL: return scroll(st, msg, wp, lp);
    case WM_CTLCOLORLISTBOX: return to_parent(st, msg, wp, lp);
    case WM_MOUSEMOVE:
        if (!(wp & MK_LBUTTON) && (st->options & LBO_HOVER))
            track_hover(st, lp);
        ListMouseMove(st, hwnd, wp, lp, 1);
        return 0;
    case WM_LBUTTONDOWN: ListMouseDown(st, hwnd, wp, lp); return 0;
    case WM_LBUTTONUP: ListMouseUp(st, hwnd, wp, lp); return 0;
    case WM_LBUTTONDBLCLK:
        if (st->style & LBS_NOTIFY)
            to_parent(st, WM_COMMAND, MAKEWPARAM(st->id, LBN_DBLCLK), (LPARAM)hwnd);
        return 0;
    case WM_RBUTTONDOWN: {
        SetFocus(hwnd);
        int32_t row = row_at(st, (short)HIWORD(lp));
        ListEntry *e = item_at(st, row);
        if (e && !(e->flags & LEF_SELECTED)) {
            clear_all(st);
            set_selected(st, row, 1);
            st->current = row;
            move_caret(st, row);
            report_change(st);
        }
        return 0;
    }
    case WM_CAPTURECHANGED: st->captured = 0; return 0;
    case WM_MOUSEHOVER: on_hover(st, lp); return 0;
    case WM_MOUSELEAVE:
        if (st->options & LBO_TIPSHOWN)
            to_parent(st, CN_HOVEREND, 0, 0);
        st->options &= ~(LBO_TIPSHOWN | LBO_HOVERPENDING);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static constexpr char ListBoxWndProc_name[] = "ListBoxWndProc";
WNDPROC TkListBoxProc(void) { return TkTraced<ListBoxWndProc, ListBoxWndProc_name>; }
