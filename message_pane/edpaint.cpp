/* Editor painting: each cached line converted to wide characters (the
 * label in 850, the value in its own code page), cut into runs by a short
 * list of colour events (value, typed value, selection, titles, header
 * errors, the highlight text, the hex cursor's shadow) and drawn run by
 * run in the editor colours. */
#include "edwnd.h"
#include "csmem.h"
#include "cstrace.h"
#include "cstext.h"
#include "prfdata.h"
#include "tkutil.h"
#include <algorithm>
#include <cstring>

enum { LINE_CHARS = 4096, MAX_EVENTS = 200, SENTINEL = 64000 };

/* Event bits */
enum {
    EV_TITLE = 1, EV_VALUE = 2, EV_TYPED = 4, EV_SELECTED = 8, EV_HIGHLIGHT = 16,
    EV_TITLE_LINE = 32, EV_HEADER_ERROR = 64, EV_OWN_CODEPAGE = 128,
};

struct Event {
    uint16_t position, set, clear;
};

static WCHAR *outputLine;                      /* "OUTPUTLINE", kept once made */
static unsigned char sourceLine[LINE_CHARS];   /* the byte behind each character */
static int painting;
static int storageWarned;                      /* once per paint */

int EdPainting(void) { return painting; }

/* ---- colours ---- */

/* Slots the profile has not set yet: the first scheme's colours by the
 * slots' parents. */
static COLORREF FallbackColour(int slot)
{
    switch (slot) {
    case CLR_EDIT_TEXT: case CLR_BASE_TEXT: case CLR_CURRENT_TEXT: case CLR_DEFER_TEXT:
    case CLR_ERROR_TEXT: case CLR_HEADER_TEXT: case CLR_SEARCH_TEXT:
        return RGB(0, 0, 0);
    case CLR_TITLES_TEXT: return RGB(0, 0, 0xFF);
    case CLR_DEFER_BACK: case CLR_ERROR_BACK: case CLR_HEADER_BACK: return RGB(0xAA, 0xAA, 0xAA);
    case CLR_SEARCH_BACK: return RGB(0xFF, 0xFF, 0);
    }
    return RGB(0xC0, 0xC0, 0xC0);
}

COLORREF EdColour(int slot)
{
    if (slot < 0 || slot >= PRF_COLOURS)
        return 0;
    return Prf.colourKnown[slot] ? (COLORREF)Prf.colours[slot] : FallbackColour(slot);
}

/* Text and background for the active bits. */
static void RunColours(int bits, int cursorLine, int deferred, COLORREF *text, COLORREF *back)
{
    int fg, bg;
    if (bits & EV_TITLE)
        fg = CLR_TITLES_TEXT, bg = CLR_TITLES_BACK;
    else if (bits & EV_TYPED)
        fg = deferred ? CLR_DEFER_TEXT : CLR_ERROR_TEXT, bg = deferred ? CLR_DEFER_BACK : CLR_ERROR_BACK;
    else if (bits & EV_HIGHLIGHT)               /* the highlight text stands out of values too */
        fg = CLR_SEARCH_TEXT, bg = CLR_SEARCH_BACK;
    else if (bits & EV_VALUE)
        fg = cursorLine && !(bits & EV_SELECTED) ? CLR_CURRENT_TEXT : CLR_BASE_TEXT,
        bg = cursorLine && !(bits & EV_SELECTED) ? CLR_CURRENT_BACK : CLR_BASE_BACK;
    else if (bits & EV_TITLE_LINE)
        fg = CLR_TITLES_TEXT, bg = CLR_TITLES_BACK;
    else if (bits & EV_HEADER_ERROR)
        fg = CLR_HEADER_TEXT, bg = CLR_HEADER_BACK;
    else
        fg = CLR_EDIT_TEXT, bg = CLR_EDIT_BACK;
    *text = EdColour(fg);
    *back = EdColour(bg);
    if (bits & EV_SELECTED)
        std::swap(*text, *back);
}

/* A rectangle filled with a colour (no brush needed). */
static void FillColour(HDC dc, const RECT *r, COLORREF colour)
{
    if (r->right <= r->left || r->bottom <= r->top)
        return;
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
}

/* ---- bytes to wide characters ---- */

struct WideTable {
    int ccsid;
    WCHAR w[256];
};
static WideTable wideTables[8];
static int wideCount, wideNext;

/* The characters of a CCSID's 256 bytes: the system's conversion with
 * glyphs for control bytes, else the program's own single-byte tables. */
static const WCHAR *WideFor(uint32_t ccsid)
{
    for (int i = 0; i < wideCount; i++)
        if (wideTables[i].ccsid == (int)ccsid)
            return wideTables[i].w;
    WideTable *t = &wideTables[wideCount < 8 ? wideCount++ : (wideNext++ % 8)];
    t->ccsid = (int)ccsid;
    int cp = CSCcsidToCodepage((int)ccsid);
    const unsigned char *latin1 = CSSingleByteToLatin1((int)ccsid);
    int system = cp > 0 && cp < 65536 && IsValidCodePage((UINT)cp);
    for (int b = 0; b < 256; b++) {
        char c = (char)b;
        WCHAR w = 0;
        if (system && MultiByteToWideChar((UINT)cp, cp == 65001 ? 0 : MB_USEGLYPHCHARS, &c, 1, &w, 1) == 1)
            t->w[b] = w;
        else if (latin1)
            t->w[b] = latin1[b] == CS_LATIN1_SUBSTITUTE && b != CS_LATIN1_SUBSTITUTE ? L'.' : latin1[b];
        else
            t->w[b] = b < 0x80 ? (WCHAR)b : L'.';
    }
    return t->w;
}

/* Appends count bytes through a table; returns the new length. */
static int Convert(int at, const unsigned char *bytes, int count, const WCHAR *table)
{
    for (int i = 0; i < count && at < LINE_CHARS - 1; i++, at++) {
        outputLine[at] = table[bytes[i]];
        sourceLine[at] = bytes[i];
    }
    return at;
}

/* ---- events ---- */

struct EventList {
    Event e[MAX_EVENTS + 2];
    int n;
    int length;
    void Add(int position, int set, int clear)
    {
        if (n >= MAX_EVENTS)
            return;
        position = position < 0 ? 0 : position > length ? length : position;
        e[n++] = Event{ (uint16_t)position, (uint16_t)set, (uint16_t)clear };
    }
};

/* Step 4 of a line: the events in their order. */
static void CollectEvents(PCFDATA *ed, int32_t line, const LINEDATA *l, int typedShown, int ownRecord,
                          EventList *ev)
{
    int vc = l->valueColumn, vl = typedShown ? (int)strlen((const char *)ed->typed.data) : l->valueLength;
    if (l->lineType && ownRecord) {
        ev->Add(vc, EV_OWN_CODEPAGE, 0);
        ev->Add(vc + vl, 0, EV_OWN_CODEPAGE);
    }
    size_t hl = strlen(ed->highlight);
    if (hl && l->text)
        for (const char *p = l->text, *end = l->text + l->textLength;
             (p = UTMemFindRange(p, end, ed->highlight, (int)hl)) != nullptr; p += hl) {
            ev->Add((int)(p - l->text), EV_HIGHLIGHT, 0);
            ev->Add((int)(p - l->text + hl), 0, EV_HIGHLIGHT);
        }
    if (l->lineFlags & LF_HEADING)
        ev->Add(0, EV_TITLE, 0);
    if (l->lineFlags & LF_GROUP_END)
        ev->Add(0, EV_TITLE_LINE, 0);
    if (l->lineFlags & LF_MARKER)
        ev->Add(0, EV_HEADER_ERROR, 0);
    if (EdHasSelection(ed)) {
        const EdPosition *s, *e;
        EdSelectionEnds(ed, &s, &e);
        /* lines after the start are selected from their first column */
        if (line > s->line && line <= e->line)
            ev->Add(0, EV_SELECTED, 0);
        if (line == s->line)
            ev->Add(s->column, EV_SELECTED, 0);
        if (line == e->line)
            ev->Add(e->column, 0, EV_SELECTED);
    }
    if (l->lineType && vl > 0) {
        int bit = typedShown ? EV_TYPED : EV_VALUE;
        ev->Add(vc, bit, 0);
        ev->Add(vc + vl, 0, bit);
        int32_t h = ed->cursor.column - vc;
        if ((l->lineType == LK_DUMP || l->lineType == LK_BYTES_DUMP) && line == ed->cursor.line &&
            h >= 0 && h < vl) {
            int shadow = vc + (h - h / 9) / 2 + l->hexColumns + ED_DUMP_GAP;
            ev->Add(shadow, EV_VALUE, 0);
            ev->Add(shadow + 1, 0, EV_VALUE);
        }
    }
    ev->e[ev->n++] = Event{ (uint16_t)ev->length, 0, 0 };
    ev->e[ev->n++] = Event{ SENTINEL, 0, 0 };
}

/* ---- drawing ---- */

void EdDrawCells(HDC dc, COLORREF text, COLORREF back, const WCHAR *wide, const unsigned char *source,
                 int count, const RECT *cell, UINT format, const CPSETTING *cp)
{
    (void)format;
    int width = cell->right - cell->left;
    RECT r = *cell;
    SetTextColor(dc, text);
    for (int i = 0; i < count; i++) {
        r.right = r.left + width;
        FillColour(dc, &r, back);
        WCHAR ch = wide[i] ? wide[i] : L'.';
        int offset = cp ? cp->offsets[source[i]] : 0;
        SetBkMode(dc, TRANSPARENT);
        ExtTextOutW(dc, r.left + offset, r.top, ETO_CLIPPED, &r, &ch, 1, nullptr);
        r.left += width;
    }
}

/* The width of one character of a record (the pane's when not measured). */
static int Cell(const PCFDATA *ed, const CPSETTING *cp)
{
    return cp && cp->cellWidth > 0 ? cp->cellWidth : ed->charWidth > 0 ? ed->charWidth : 1;
}

static CPSETTING *Record(PCFDATA *ed, uint32_t ccsid, HDC dc)
{
    return CSGetCodepageSetting((int)ccsid, ed->window, ed->font, dc);
}

/* Step 3: the line's characters; returns their count. */
static int LineText(PCFDATA *ed, int32_t line, const LINEDATA *l, int *typedShown)
{
    const unsigned char *t = (const unsigned char *)l->text;
    const WCHAR *w850 = WideFor(850);
    int n = 0, vc = l->valueColumn, vl = l->valueLength, len = l->textLength;
    *typedShown = line == ed->cursor.line && ed->typing && l->lineType && ed->typed.data;
    if (!t)
        return 0;
    if (*typedShown) {
        n = Convert(0, t, vc < len ? vc : len, w850);
        const unsigned char *typed = ed->typed.data;
        n = Convert(n, typed, (int)strlen((const char *)typed), w850);
        if (vc + vl < len)
            n = Convert(n, t + vc + vl, len - vc - vl, w850);
    } else if (l->lineType && vc <= len) {
        int value = vc + vl <= len ? vl : len - vc;
        n = Convert(0, t, vc, w850);
        n = Convert(n, t + vc, value, l->rawValue ? WideFor(l->ccsid) : w850);
        n = Convert(n, t + vc + value, len - vc - value, w850);
    } else {
        n = Convert(0, t, len, w850);
    }
    outputLine[n] = 0;
    return n;
}

int EdPaintLine(PCFDATA *ed, int32_t line, LINEDATA *l, const RECT *row)
{
    HDC dc = (HDC)ed->paintDc;
    int rowHeight = row->bottom - row->top;
    int top = row->top + (rowHeight / 2 - ed->charHeight / 2);
    COLORREF back = EdColour(CLR_EDIT_BACK);
    RECT above = { 0, row->top, ed->width, top }, below = { 0, top + ed->charHeight, ed->width, row->bottom };
    FillColour(dc, &above, back);
    FillColour(dc, &below, back);
    if (!outputLine && !(outputLine = (WCHAR *)CSGetMem(LINE_CHARS * sizeof(WCHAR), "OUTPUTLINE"))) {
        if (!storageWarned++)
            UtilMessageBox(NULL, "Can not allocate storage!", "Ravolt Operation Error", MB_ICONERROR);
        return 0;
    }
    int typedShown;
    int length = LineText(ed, line, l, &typedShown);
    CPSETTING *own = Record(ed, 850, dc), *lineRecord = l->rawValue ? Record(ed, l->ccsid, dc) : own;
    EventList ev;
    ev.n = 0;
    ev.length = length;
    CollectEvents(ed, line, l, typedShown, lineRecord != own, &ev);
    std::stable_sort(ev.e, ev.e + ev.n, [](const Event &a, const Event &b) { return a.position < b.position; });
    int bits = 0, at = 0, x = 0, drawn = 0, cursorLine = line == ed->cursor.line;
    const CPSETTING *cp = own;
    for (int i = 0; i < ev.n && at < length; i++) {
        int to = ev.e[i].position < length ? ev.e[i].position : length;
        if (to > at) {
            COLORREF text, backRun;
            RunColours(bits, cursorLine, (int)ed->deferred, &text, &backRun);
            int cell = Cell(ed, cp);
            RECT r = { x, top, x + (to - at) * cell, top + ed->charHeight };
            if (cp->fixedPitch && l->printable) {
                FillColour(dc, &r, backRun);
                SetTextColor(dc, text);
                SetBkMode(dc, TRANSPARENT);
                DrawTextW(dc, outputLine + at, to - at, &r, DT_NOPREFIX | DT_SINGLELINE | DT_NOCLIP);
            } else {
                RECT c = { x, top, x + cell, top + ed->charHeight };
                EdDrawCells(dc, text, backRun, outputLine + at, sourceLine + at, to - at, &c, 0, cp);
            }
            x = r.right;
            drawn += to - at;
            at = to;
        }
        bits = (bits | ev.e[i].set) & ~ev.e[i].clear;
        if (ev.e[i].set & EV_OWN_CODEPAGE)
            cp = lineRecord;
        if (ev.e[i].clear & EV_OWN_CODEPAGE)
            cp = own;
    }
    if (drawn != length)
        CS_TRAP(drawn);
    RECT rest = { x, top, ed->width > x ? ed->width : x, top + ed->charHeight };
    FillColour(dc, &rest, back);
    return 0;
}

void EdPaintLines(PCFDATA *ed, HDC dc, const RECT *area)
{
    painting++;
    storageWarned = 0;
    COLORREF back = EdColour(CLR_EDIT_BACK);
    int32_t lh = ed->scroll.lineHeight;
    if (ed->scroll.lineCount == 0 || lh <= 0) {
        FillColour(dc, area, back);
        painting--;
        return;
    }
    /* the cache follows the view; the paint draws what is there, it does
     * not scroll (the build's scroll and repaint are for other callers) */
    uint32_t scrolling = ed->scrolling;
    ed->scrolling = 1;
    EdBuildLineData(ed, 0);
    ed->scrolling = scrolling;
    int32_t top = ed->scroll.top, last = ed->scroll.lineCount - 1;
    int32_t first = top + area->top / lh, end = top + 1 + area->bottom / lh;
    if (first > last)
        first = last;
    if (end > last)
        end = last;
    HGDIOBJ oldFont = ed->font ? SelectObject(dc, (HFONT)ed->font) : nullptr;
    ed->paintDc = dc;
    int32_t bottom = 0;
    for (int32_t line = first; line <= end; line++) {
        LINEDATA *l = EdCachedLine(ed, line);
        RECT row = { 0, (line - top) * lh, ed->width, (line - top + 1) * lh };
        bottom = row.bottom;
        if (!l) {
            FillColour(dc, &row, back);
            continue;
        }
        if (EdPaintLine(ed, line, l, &row))
            break;
    }
    if (oldFont)
        SelectObject(dc, oldFont);
    ed->paintDc = nullptr;
    if (bottom < ed->height) {
        RECT rest = { 0, bottom, ed->width, ed->height };
        FillColour(dc, &rest, back);
    }
    painting--;
}
