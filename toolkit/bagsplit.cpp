/* Pane layout, the interactive half: the BAGSPLIT splitter windows with
 * painting, cursors and dragging, and hiding, showing and zooming panes,
 * and the splitter colours shared by all bags. */
#include <cstdlib>
#include "cs.h"
#include "bagint.h"

/* Shadow, highlight and face: one solid 1-pixel pen each, process-wide. */
enum { PEN_SHADOW, PEN_HIGHLIGHT, PEN_FACE };
static const COLORREF defaultColours[3] = { 0x808080, 0xFFFFFF, 0xC0C0C0 };
static COLORREF colours[3] = { 0x808080, 0xFFFFFF, 0xC0C0C0 };
static HPEN pens[3];

static void MakePens(void)
{
    for (int i = 0; i < 3; i++) {
        if (pens[i])
            DeleteObject(pens[i]);
        pens[i] = CreatePen(PS_SOLID, 1, colours[i]);
    }
}

void BagPensDefault(void)
{
    for (int i = 0; i < 3; i++)
        colours[i] = defaultColours[i];
    MakePens();
}

int BagRegisterClass(void)
{
    static ATOM atom;
    if (atom)
        return 1;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BagSplitProc;
    wc.cbWndExtra = 8;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszClassName = "BAGSPLIT";
    atom = RegisterClassA(&wc);
    return atom != 0;
}

static BYTE Shade(BYTE c)
{
    int v = (int)(c * 0.8f);
    return (BYTE)(v > 255 ? 255 : v);
}

int BagSetColour(BagRecord *bag, const COLORREF *colour)
{
    if (colour) {
        COLORREF face = *colour;
        colours[PEN_FACE] = face;
        colours[PEN_HIGHLIGHT] = 0xFFFFFF;
        colours[PEN_SHADOW] = RGB(Shade(GetRValue(face)), Shade(GetGValue(face)),
                                  Shade(GetBValue(face)));
        bag->colour = colour;
        bag->appliedColour = face;
        bag->customColour = 1;
    } else {
        for (int i = 0; i < 3; i++)
            colours[i] = defaultColours[i];
        bag->colour = nullptr;
        bag->customColour = 0;
    }
    MakePens();
    return 0;
}

/* ---- Dragging ---- */

static POINT BagPoint(BagRecord *bag, HWND from, int x, int y)
{
    POINT pt = { x, y };
    MapWindowPoints(from, bag->parent, &pt, 1);
    pt.x = (pt.x - bag->x) * 10;
    pt.y = (pt.y - bag->y) * 10;
    return pt;
}

static int Near(int32_t a, int32_t b, int32_t d) { return std::abs(a - b) <= d; }

/* A splitter on the bag's outer border has nothing to move. */
static int OnBorder(BagRecord *bag, BagSplitter *s)
{
    int ax = s->vertical ? 0 : 1;
    int32_t g = bag->nodes[s->nodeA].grid[ax];
    return g == 0 || g == (ax ? bag->rows : bag->columns);
}

static int32_t SplitLine(BagRecord *bag, BagSplitter *s)
{
    return BagNP(&bag->nodes[s->nodeA])->pos[s->vertical ? 0 : 1];
}

static void SplitSpan(BagRecord *bag, BagSplitter *s, int32_t *lo, int32_t *hi)
{
    int ob = s->vertical ? 1 : 0;
    *lo = BagNP(&bag->nodes[s->nodeA])->pos[ob];
    *hi = BagNP(&bag->nodes[s->nodeB])->pos[ob];
}

static void ButtonDown(BagRecord *bag, POINT pt, int ctrl)
{
    const int32_t p[2] = { pt.x, pt.y };
    for (int i = 0; i < bag->nodeCount; i++) {
        BagNode *n = &bag->nodes[i];
        n->hit = n->marked = n->used && Near(p[0], BagNP(n)->pos[0], 2 * BAG_THICK)
                             && Near(p[1], BagNP(n)->pos[1], 2 * BAG_THICK);
    }
    uint64_t grabbed = 0;
    for (int i = 0; i < bag->splitCount; i++) {
        BagSplitter *s = &bag->splits[i];
        s->selected = 0;
        if (!s->used || OnBorder(bag, s))
            continue;
        int ax = s->vertical ? 0 : 1;
        int32_t lo, hi;
        SplitSpan(bag, s, &lo, &hi);
        if (!Near(p[ax], SplitLine(bag, s), 2 * BAG_THICK))
            continue;
        if (ctrl || (p[ax ^ 1] >= lo - BAG_THICK && p[ax ^ 1] <= hi + BAG_THICK)) {
            s->selected = 1;
            grabbed |= 1ull << i;
        }
    }
    /* a grabbed splitter takes the others on its line within its span */
    for (int i = 0; i < bag->splitCount; i++) {
        if (!(grabbed & (1ull << i)))
            continue;
        BagSplitter *g = &bag->splits[i];
        int32_t glo, ghi;
        SplitSpan(bag, g, &glo, &ghi);
        for (int j = 0; j < bag->splitCount; j++) {
            BagSplitter *s = &bag->splits[j];
            int32_t lo, hi;
            if (!s->used || s->selected || s->vertical != g->vertical || OnBorder(bag, s)
                || SplitLine(bag, s) != SplitLine(bag, g))
                continue;
            SplitSpan(bag, s, &lo, &hi);
            if (lo >= glo && hi <= ghi)
                s->selected = 1;
        }
    }
    for (int i = 0; i < bag->splitCount; i++) {
        BagSplitter *s = &bag->splits[i];
        if (s->used && s->selected)
            bag->nodes[s->nodeA].marked = bag->nodes[s->nodeB].marked = 1;
    }
}

static POINT Snap(BagRecord *bag, POINT pt)
{
    for (int i = 0; i < bag->nodeCount; i++) {
        BagNode *n = &bag->nodes[i];
        if (!n->used || n->marked)
            continue;
        int32_t dx = std::abs(pt.x - BagNP(n)->pos[0]), dy = std::abs(pt.y - BagNP(n)->pos[1]);
        if (dx <= 3 * BAG_THICK && dy > 3 * BAG_THICK)
            pt.x = BagNP(n)->pos[0];
        else if (dy <= 3 * BAG_THICK && dx > 3 * BAG_THICK)
            pt.y = BagNP(n)->pos[1];
    }
    return pt;
}

static int DragTo(BagRecord *bag, int32_t x, int32_t y)
{
    const int32_t p[2] = { x, y };
    const int32_t gmax[2] = { bag->columns, bag->rows };
    bag->dragX = x;
    bag->dragY = y;
    for (int i = 0; i < bag->nodeCount; i++) {
        BagNode *n = &bag->nodes[i];
        if (!n->used || !n->hit)
            continue;
        for (int a = 0; a < 2; a++)       /* the border stays where it is */
            if (n->grid[a] != 0 && n->grid[a] != gmax[a])
                BagSetNodePos(n, a, p[a], 0);
    }
    for (int i = 0; i < bag->splitCount; i++) {
        BagSplitter *s = &bag->splits[i];
        if (!s->used || !s->selected)
            continue;
        int ax = s->vertical ? 0 : 1;
        BagSetNodePos(&bag->nodes[s->nodeA], ax, p[ax], 0);
        BagSetNodePos(&bag->nodes[s->nodeB], ax, p[ax], 0);
    }
    return BagMove(bag);
}

/* One drag step to a point; a step that would break a pane's limit is
 * retried once per direction at the place where the pane meets it. */
static int DragStep(BagRecord *bag, POINT pt)
{
    bag->dragging = 1;
    bag->suggestX = bag->suggestY = -1;
    int32_t x = pt.x, y = pt.y;
    int rc;
    for (;;) {
        rc = DragTo(bag, x, y);
        if (rc != BAGERR_TOOSMALL && rc != BAGERR_TOOLARGE)
            break;
        if (bag->suggestX != -1 && bag->suggestX != x)
            x = bag->suggestX;
        else if (bag->suggestY != -1 && bag->suggestY != y)
            y = bag->suggestY;
        else
            break;
    }
    bag->dragging = 0;
    return rc;
}

static void EndDrag(BagRecord *bag)
{
    bag->buttonDown = 0;
    for (int i = 0; i < bag->nodeCount; i++)
        bag->nodes[i].hit = bag->nodes[i].marked = 0;
    for (int i = 0; i < bag->splitCount; i++)
        bag->splits[i].selected = 0;
}

static void PaintSplit(HWND hwnd, BagRecord *bag, BagSplitter *s)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (bag->customColour && bag->colour && *bag->colour != bag->appliedColour)
        BagSetColour(bag, bag->colour);
    RECT rc;
    GetClientRect(hwnd, &rc);
    int len = s->vertical ? rc.bottom : rc.right;
    uint32_t edge = s->st[s->cur] & 15;
    int first = edge == BAG_LEFT || edge == BAG_UP;
    static const int firstPens[3] = { PEN_FACE, PEN_FACE, PEN_SHADOW };
    static const int otherPens[3] = { PEN_SHADOW, PEN_HIGHLIGHT, PEN_FACE };
    HGDIOBJ old = SelectObject(dc, pens[first ? firstPens[0] : otherPens[0]]);
    for (int i = 0; i < 3; i++) {
        SelectObject(dc, pens[first ? firstPens[i] : otherPens[i]]);
        int from = first ? i : 2 - i;
        int to = first ? len - i : s->vertical ? len - 2 + i : len - 1;
        if (s->vertical) {
            MoveToEx(dc, i, from, nullptr);
            LineTo(dc, i, to);
        } else {
            MoveToEx(dc, from, i, nullptr);
            LineTo(dc, to, i);
        }
    }
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK BagSplitProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    void **block = (void **)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          (LONG_PTR)((CREATESTRUCTA *)lp)->lpCreateParams);
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
        /* the creation block belongs to the window */
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        if (block)
            CSFreeMem(block);
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    if (!block)
        return DefWindowProcA(hwnd, msg, wp, lp);
    BagRecord *bag = (BagRecord *)block[0];
    BagSplitter *s = (BagSplitter *)block[1];
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        bag->buttonDown = 1;
        ButtonDown(bag, BagPoint(bag, hwnd, (short)LOWORD(lp), (short)HIWORD(lp)),
                   (wp & MK_CONTROL) != 0);
        return 0;
    case WM_MOUSEMOVE:
        if ((wp & MK_LBUTTON) && bag->buttonDown)
            DragStep(bag, Snap(bag, BagPoint(bag, hwnd, (short)LOWORD(lp), (short)HIWORD(lp))));
        return 0;
    case WM_LBUTTONUP:
        if (bag->buttonDown) {
            EndDrag(bag);
            ReleaseCapture();
        }
        return 0;
    case WM_SETCURSOR: {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd, &pt);
        pt = BagPoint(bag, hwnd, pt.x, pt.y);
        LPCSTR cursor = s->vertical ? IDC_SIZEWE : IDC_SIZENS;
        for (int k = 0; k < 2; k++) {
            BagNodeState *n = BagNP(&bag->nodes[k ? s->nodeB : s->nodeA]);
            if (Near(pt.x, n->pos[0], 2 * BAG_THICK) && Near(pt.y, n->pos[1], 2 * BAG_THICK))
                cursor = IDC_SIZEALL;
        }
        SetCursor(LoadCursorA(nullptr, cursor));
        return TRUE;
    }
    case WM_SIZE:
        s->cx = LOWORD(lp);
        s->cy = HIWORD(lp);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        PaintSplit(hwnd, bag, s);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- Hiding, showing and zoom ---- */

/* Moves the splitter line of one edge (and the coincident splitters
 * within its span) to a new place in the pending state. */
static void MoveSplitLine(BagRecord *bag, BagSplitter *g, int32_t to)
{
    int ax = g->vertical ? 0 : 1;
    int32_t line = SplitLine(bag, g), glo, ghi;
    SplitSpan(bag, g, &glo, &ghi);
    for (int i = 0; i < bag->splitCount; i++) {
        BagSplitter *s = &bag->splits[i];
        int32_t lo, hi;
        if (!s->used || s->vertical != g->vertical || SplitLine(bag, s) != line)
            continue;
        SplitSpan(bag, s, &lo, &hi);
        if (lo < glo || hi > ghi)
            continue;
        BagSetNodePos(&bag->nodes[s->nodeA], ax, to, 0);
        BagSetNodePos(&bag->nodes[s->nodeB], ax, to, 0);
    }
}

/* For each hide direction: the axis, the edge that stays, and the splitter
 * slot (top, bottom, left, right) that moves. */
static int HideSide(int dir, int *axis, int *standing, int *split)
{
    switch (dir) {
    case BAG_UP:    *axis = 1; *standing = 0; *split = 1; return 1;
    case BAG_DOWN:  *axis = 1; *standing = 1; *split = 0; return 1;
    case BAG_LEFT:  *axis = 0; *standing = 0; *split = 3; return 1;
    case BAG_RIGHT: *axis = 0; *standing = 1; *split = 2; return 1;
    }
    return 0;
}

int BagHide(BagRecord *bag, HWND window, int direction)
{
    int i = BagFindPane(bag, window), axis, standing, slot;
    if (i < 0)
        return BAGERR_NOTPANE;
    BagPane *p = &bag->panes[i];
    if (BagPP(p)->flags & 15)
        return BAGERR_HIDDEN;
    if (!HideSide(direction, &axis, &standing, &slot))
        return BAGERR_DIRECTION;
    BagSplitter *s = p->split[slot] >= 0 ? &bag->splits[p->split[slot]] : nullptr;
    if (!s || OnBorder(bag, s))
        return BAGERR_NOSPLITTER;
    int32_t stand = BagNP(BagEdgeNode(bag, p, axis, standing, 0))->pos[axis];
    BagPaneState *ps = BagPP(p);
    p->savedCx = ps->r[2] - ps->r[0];
    p->savedCy = ps->r[3] - ps->r[1];
    p->savedExtCx = bag->extentCx;
    p->savedExtCy = bag->extentCy;
    ps->flags |= direction | BAG_CHANGED;
    MoveSplitLine(bag, s, standing ? stand - 1 : stand + 1);
    int rc = BagMove(bag);
    if (!rc)
        ShowWindow(window, SW_HIDE);
    return rc;
}

int BagShow(BagRecord *bag, HWND window)
{
    int i = BagFindPane(bag, window), axis, standing, slot;
    if (i < 0)
        return BAGERR_NOTPANE;
    BagPane *p = &bag->panes[i];
    BagPaneState *ps = BagPP(p);
    int dir = ps->flags & 15;
    if (!dir)
        return BAGERR_NOTHIDDEN;
    if (!HideSide(dir, &axis, &standing, &slot))
        return BAGERR_DIRECTION;
    const int32_t saved = axis ? p->savedCy : p->savedCx;
    const int32_t savedExt = axis ? p->savedExtCy : p->savedExtCx;
    const int32_t ext = axis ? bag->extentCy : bag->extentCx;
    const int32_t mn = axis ? p->place.minCy : p->place.minCx;
    const int32_t mx = axis ? p->place.maxCy : p->place.maxCx;
    int hold = p->place.flags & (axis ? BAG_HOLDHEIGHT : BAG_HOLDWIDTH);
    int32_t size = hold || !savedExt ? saved : (int32_t)((int64_t)saved * ext / savedExt);
    if (mn && size < mn) size = mn;
    if (mx && size > mx) size = mx;
    int32_t stand = BagNP(BagEdgeNode(bag, p, axis, standing, 0))->pos[axis];
    int32_t size10 = (axis ? bag->cy : bag->cx) * 10;
    ps->flags = (ps->flags & ~15u) | BAG_CHANGED;
    MoveSplitLine(bag, &bag->splits[p->split[slot]],
                  BagEdgeFor(stand, standing ^ 1, size / 10 * 10, size10));
    int rc = BagMove(bag);
    if (!rc && !bag->zoomed)
        ShowWindow(window, SW_SHOWNA);
    return rc;
}

int BagZoomPane(BagRecord *bag, HWND window)
{
    if (window) {
        if (BagFindPane(bag, window) < 0)
            return BAGERR_NOTPANE;
        bag->zoomed = window;
        for (int i = 0; i < bag->paneCount; i++)
            if (bag->panes[i].used)
                ShowWindow(bag->panes[i].window, SW_HIDE);
        for (int i = 0; i < bag->splitCount; i++)
            if (bag->splits[i].used && bag->splits[i].window)
                ShowWindow(bag->splits[i].window, SW_HIDE);
        int rc = BagResizeInt(bag, bag->x, bag->y);
        ShowWindow(window, SW_SHOWNA);
        return rc;
    }
    bag->zoomed = nullptr;
    for (int i = 0; i < bag->paneCount; i++) {
        BagPane *p = &bag->panes[i];
        if (!p->used)
            continue;
        BagPP(p)->flags |= BAG_CHANGED;
        if (!(BagPP(p)->flags & 15))
            ShowWindow(p->window, SW_SHOWNA);
    }
    for (int i = 0; i < bag->splitCount; i++)
        if (bag->splits[i].used)
            *BagSP(&bag->splits[i]) |= BAG_CHANGED;
    if (bag->userCx && bag->userCy) {
        bag->cx = bag->userCx;
        bag->cy = bag->userCy;
    } else {
        bag->cx = bag->extentCx;
        bag->cy = bag->extentCy;
    }
    return BagResizeInt(bag, bag->x, bag->y);
}
