/* The pane's window under synthesized input: cursor keys, clicks and
 * drags, the wheel and the thumb, Ctrl+End past 65,535 lines, Insert and
 * the caret shapes, sizing and the font message, and a row for every key
 * and character the pane handles itself (not the frame's accelerators). */
#include <gtest/gtest.h>
#include "edhost.h"
#include "tkharness.h"
#include "prfdata.h"
#include "tkscroll.h"

struct PaneKeys : ::testing::Test {
    EdHostDialog &host = SharedHost();
    void SetUp() override
    {
        ASSERT_NE(host.pane, nullptr);
        ResetHost(host);
    }
    PCFDATA *ed() { return host.ed; }
    DialogWords &d() { return *host.d; }
    Bytes Md(const char *format = "MQSTR   ") { return BuildMD(true, 2, format, 546, 850); }
};

TEST_F(PaneKeys, ArrowsHomeEndPagesAndTab)
{
    host.Load(Md(), EdTextLines(300));
    ASSERT_GT(ed()->scroll.lineCount, 300);
    EXPECT_GT(ed()->scroll.visible, 10);
    EXPECT_EQ(GetFocus(), host.pane);
    int32_t body = EdFindLine(ed(), "line 00001");
    EdMoveCursor(ed(), 0, 0, MC_GOTO, 3, body);
    Key(host.pane, VK_DOWN);
    Key(host.pane, VK_RIGHT);
    EXPECT_EQ(ed()->cursor.line, body + 1);
    EXPECT_EQ(ed()->cursor.column, 4);
    Key(host.pane, VK_HOME);
    EXPECT_EQ(ed()->cursor.column, 0);
    Key(host.pane, VK_END);
    EXPECT_EQ(ed()->cursor.column, 10);
    Key(host.pane, VK_HOME, false, true);
    EXPECT_EQ(ed()->cursor.line, 0);
    EXPECT_EQ(ed()->scroll.top, 0);
    Key(host.pane, VK_NEXT);
    EXPECT_EQ(ed()->cursor.line, ed()->scroll.visible);
    Key(host.pane, VK_PRIOR);
    EXPECT_EQ(ed()->cursor.line, 0);
    Key(host.pane, VK_TAB);
    int32_t field = ed()->cursor.line;
    EXPECT_GT(field, 0);
    Key(host.pane, VK_TAB);
    EXPECT_GT(ed()->cursor.line, field);
    Key(host.pane, VK_TAB, true);
    EXPECT_EQ(ed()->cursor.line, field);
    Key(host.pane, VK_END, false, true);
    EXPECT_EQ(ed()->cursor.line, ed()->scroll.lineCount - 1);
    EXPECT_GE(ed()->cursor.line, ed()->scroll.top);
    EXPECT_LT(ed()->cursor.line, ed()->scroll.top + ed()->scroll.visible);
    /* in a hex body Right from the eighth digit stands on the ninth, past
       the blank (column 9), there it stays when the pane counts and paints
       its lines again, and Left comes back over the blank */
    d().viewWords[0] = 3 | VW_RAW_BYTES;
    host.Load(std::vector<unsigned char>(), std::vector<unsigned char>(16, 0x5A));
    LINEDATA *dump = EdGetLine(ed(), 1);
    ASSERT_EQ(dump->lineType, LK_DUMP);
    int32_t value = dump->valueColumn;
    EdMoveCursor(ed(), 0, 0, MC_GOTO, value + 7, 1);
    Key(host.pane, VK_RIGHT);
    EXPECT_EQ(ed()->cursor.column, value + 9);
    EXPECT_EQ(ed()->cursor.digit, 8u);
    ed()->flush = 1;
    InvalidateRect(host.pane, nullptr, FALSE);
    UpdateWindow(host.pane);
    EXPECT_EQ(ed()->cursor.column, value + 9);
    Key(host.pane, VK_LEFT);
    EXPECT_EQ(ed()->cursor.column, value + 7);
    EXPECT_EQ(ed()->cursor.digit, 7u);
}

TEST_F(PaneKeys, ShiftSelectionThenAPlainArrow)
{
    host.Load(Md(), EdTextLines(50));
    int32_t body = EdFindLine(ed(), "line 00010");
    EdMoveCursor(ed(), 0, 0, MC_GOTO, 2, body);
    Key(host.pane, VK_RIGHT, true);
    Key(host.pane, VK_DOWN, true);
    ASSERT_TRUE(EdHasSelection(ed()));
    EXPECT_EQ(ed()->anchor.line, body);
    EXPECT_EQ(ed()->anchor.column, 2);
    EXPECT_EQ(ed()->cursor.line, body + 1);
    Key(host.pane, VK_LEFT);
    EXPECT_FALSE(EdHasSelection(ed()));
}

TEST_F(PaneKeys, ClickAndDragSelect)
{
    host.Load(Md(), EdTextLines(50));
    int32_t line = ed()->scroll.top + 3;
    MouseDown(host.pane, host.ColumnX(4), host.RowY(line));
    EXPECT_EQ(ed()->cursor.line, line);
    EXPECT_EQ(ed()->cursor.column, 4);
    EXPECT_FALSE(EdHasSelection(ed()));
    EXPECT_EQ(GetCapture(), host.pane);
    MouseMove(host.pane, host.ColumnX(7), host.RowY(line + 2));
    MouseUp(host.pane, host.ColumnX(7), host.RowY(line + 2));
    EXPECT_EQ(GetCapture(), (HWND)NULL);
    ASSERT_TRUE(EdHasSelection(ed()));
    EXPECT_EQ(ed()->anchor.line, line);
    EXPECT_EQ(ed()->anchor.column, 4);
    EXPECT_EQ(ed()->cursor.line, line + 2);
    EXPECT_EQ(ed()->cursor.column, 7);
    /* moving without the button changes nothing; a plain click drops the selection */
    MouseMove(host.pane, host.ColumnX(1), host.RowY(line), 0);
    EXPECT_EQ(ed()->cursor.line, line + 2);
    Click(host.pane, host.ColumnX(1), host.RowY(line + 1));
    EXPECT_FALSE(EdHasSelection(ed()));
}

TEST_F(PaneKeys, WheelAndThumbPastSixtyFiveThousandLines)
{
    host.Load(Md(), EdTextLines(70000));
    int32_t count = ed()->scroll.lineCount, body = EdFindLine(ed(), "line 00001");
    ASSERT_GT(count, 65535);
    ScrollSetWheelLines(3);
    SendMessageA(host.pane, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    Pump();
    EXPECT_EQ(ed()->scroll.top, 3);
    SCROLLINFO si = { sizeof si, SIF_RANGE | SIF_PAGE };
    GetScrollInfo(host.pane, SB_VERT, &si);
    EXPECT_EQ(si.nMax, count - 1);
    EXPECT_EQ((int)si.nPage, ed()->scroll.visible);
    /* the thumb dragged to line 68,000 */
    SetScrollPos(host.pane, SB_VERT, 68000, FALSE);
    SendMessageA(host.pane, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), 0);
    Pump();
    EXPECT_EQ(ed()->scroll.top, 68000);
    UpdateWindow(host.pane);
    EXPECT_LE(ed()->cacheFirst, 68000);
    EXPECT_GE(ed()->cacheLast, 68000 + ed()->scroll.visible - 1);
    LINEDATA *l = EdCachedLine(ed(), 68000);
    ASSERT_NE(l, nullptr);
    char want[32];
    snprintf(want, sizeof want, "line %05d", 68000 - body + 1);
    EXPECT_EQ(std::string(l->text, l->textLength), want);
    /* Ctrl+End reaches the last line */
    Key(host.pane, VK_END, false, true);
    EXPECT_EQ(ed()->cursor.line, count - 1);
    EXPECT_EQ(GetScrollPos(host.pane, SB_VERT), ed()->scroll.top);
    EXPECT_EQ(ed()->scroll.top, count - ed()->scroll.visible);
}

TEST_F(PaneKeys, InsertAndTheThreeCarets)
{
    host.Load(Md(), EdTextLines(20));
    int w, h;
    Key(host.pane, VK_HOME, false, true);          /* a heading: no field */
    EXPECT_EQ(ed()->caretKind, 1u);
    EdCaretShape(&w, &h);
    EXPECT_EQ(w, ed()->charWidth);
    EXPECT_LT(h, ed()->charHeight / 2);             /* an underline */
    int32_t body = EdFindLine(ed(), "line 00002");
    EdMoveCursor(ed(), 0, 0, MC_GOTO, 2, body);
    ASSERT_EQ(ed()->cursor.line, body);
    EXPECT_EQ(ed()->caretKind, 2u);
    uint32_t mode = ed()->insertMode;
    EdCaretShape(&w, &h);
    if (mode)
        EXPECT_EQ(h, ed()->charHeight);             /* a bar */
    else
        EXPECT_EQ(h, ed()->charHeight / 2);         /* a half-height block */
    Key(host.pane, VK_INSERT);
    EXPECT_NE(ed()->insertMode, mode);
    EdCaretShape(&w, &h);
    if (ed()->insertMode) {
        EXPECT_EQ(h, ed()->charHeight);
        EXPECT_LT(w, ed()->charWidth);
    } else {
        EXPECT_EQ(h, ed()->charHeight / 2);
        EXPECT_EQ(w, ed()->charWidth);
    }
}

TEST_F(PaneKeys, SizingKeepsOrChangesTheWidth)
{
    host.Load(Md(), EdTextLines(200));
    uint32_t counts = ed()->countRuns, runs = ed()->displayRuns;
    RECT w, r;
    GetWindowRect(host.pane, &w);
    GetClientRect(host.pane, &r);
    r.right = w.right - w.left;                     /* the window's size, scroll bar included */
    r.bottom = w.bottom - w.top;
    /* the same width, another height: the scroll bar only */
    SetWindowPos(host.pane, NULL, 0, 0, r.right, r.bottom - 50, SWP_NOMOVE | SWP_NOZORDER);
    PumpWith(&host);
    EXPECT_EQ(ed()->countRuns, counts);
    RECT now;
    GetClientRect(host.pane, &now);
    EXPECT_EQ(ed()->scroll.visible, now.bottom / ed()->scroll.lineHeight);
    /* another width: the lines are made again */
    SetWindowPos(host.pane, NULL, 0, 0, r.right - 200, r.bottom - 50, SWP_NOMOVE | SWP_NOZORDER);
    PumpWith(&host);
    EXPECT_EQ(ed()->countRuns, counts + 1);
    EXPECT_GT(ed()->displayRuns, runs);
    /* a line height of 0 (no font measured yet): sizing does nothing */
    uint16_t lh = ed()->scroll.lineHeight;
    int width = ed()->width;
    ed()->scroll.lineHeight = 0;
    SetWindowPos(host.pane, NULL, 0, 0, r.right - 300, r.bottom, SWP_NOMOVE | SWP_NOZORDER);
    PumpWith(&host);
    EXPECT_EQ(ed()->width, width);
    ed()->scroll.lineHeight = lh;
}

TEST_F(PaneKeys, TheFontMessageMeasuresTheFont)
{
    host.Load(Md(), EdTextLines(20));
    d().lineGap = 4;
    Prf.npfont.height = -20;
    SendMessageA(host.pane, UM_PANE_NEWFONT, 0, 0);
    PumpWith(&host);
    EXPECT_GE(ed()->charHeight, 18);
    EXPECT_EQ(ed()->scroll.lineHeight, ed()->charHeight + 4);
    RECT r;
    GetClientRect(host.pane, &r);
    EXPECT_EQ(ed()->scroll.visible, r.bottom / ed()->scroll.lineHeight);
    Prf.npfont.height = -13;
    d().lineGap = 0;
    SendMessageA(host.pane, UM_PANE_NEWFONT, 0, 0);
    PumpWith(&host);
}

/* ---- every key the pane handles itself ---- */

enum { PAGE = 1000, LAST = 2000 };      /* cursor line deltas: a page down (-PAGE up), the last line */

/* A key of the pane's own dispatch, from line "line 00100" column 2 of a
 * 200-line text body in insert mode, and what it leaves: the start line's
 * text, the cursor (line delta, column; -1 unchecked), a selection, the
 * insert mode flipped, the status text, the "Vorsk HEX" clipboard. */
struct PaneKeyRow {
    const char *name;
    UINT message;                       /* WM_KEYDOWN or WM_CHAR */
    WPARAM key;
    bool shift, ctrl;
    const char *before;                 /* characters typed first ("\x1A" Ctrl+Z) */
    bool select;                        /* "ne" selected first (Shift+Right twice) */
    const char *clip;                   /* text on the clipboard first, or null */
    const char *line;                   /* the start line's text after */
    int lineDelta, column;
    bool selection, insertFlipped;
    const char *status;                 /* the status text after, or null: empty */
    const char *hex;                    /* the "Vorsk HEX" clipboard after, or null */
};

static const PaneKeyRow paneKeys[] = {
    { "Left", WM_KEYDOWN, VK_LEFT, 0, 0, "", 0, nullptr, "line 00100", 0, 1, 0, 0, nullptr, nullptr },
    { "Right", WM_KEYDOWN, VK_RIGHT, 0, 0, "", 0, nullptr, "line 00100", 0, 3, 0, 0, nullptr, nullptr },
    { "Up", WM_KEYDOWN, VK_UP, 0, 0, "", 0, nullptr, "line 00100", -1, 2, 0, 0, nullptr, nullptr },
    { "Down", WM_KEYDOWN, VK_DOWN, 0, 0, "", 0, nullptr, "line 00100", 1, 2, 0, 0, nullptr, nullptr },
    { "Home", WM_KEYDOWN, VK_HOME, 0, 0, "", 0, nullptr, "line 00100", 0, 0, 0, 0, nullptr, nullptr },
    { "End", WM_KEYDOWN, VK_END, 0, 0, "", 0, nullptr, "line 00100", 0, 10, 0, 0, nullptr, nullptr },
    { "Page Down", WM_KEYDOWN, VK_NEXT, 0, 0, "", 0, nullptr, "line 00100", PAGE, -1, 0, 0, nullptr, nullptr },
    { "Page Up", WM_KEYDOWN, VK_PRIOR, 0, 0, "", 0, nullptr, "line 00100", -PAGE, -1, 0, 0, nullptr, nullptr },
    { "Tab", WM_KEYDOWN, VK_TAB, 0, 0, "", 0, nullptr, "line 00100", 1, 0, 0, 0, nullptr, nullptr },
    { "Shift+Right", WM_KEYDOWN, VK_RIGHT, 1, 0, "", 0, nullptr, "line 00100", 0, 3, 1, 0, nullptr, nullptr },
    { "Insert", WM_KEYDOWN, VK_INSERT, 0, 0, "", 0, nullptr, "line 00100", 0, 2, 0, 1, nullptr, nullptr },
    { "Delete", WM_KEYDOWN, VK_DELETE, 0, 0, "", 0, nullptr, "lie 00100", 0, 2, 0, 0, nullptr, nullptr },
    { "Delete a selection", WM_KEYDOWN, VK_DELETE, 0, 0, "", 1, nullptr, "li 00100", 0, 2, 0, 0, nullptr, nullptr },
    { "F4", WM_KEYDOWN, VK_F4, 0, 0, "", 0, nullptr, "line 00100", 0, 2, 0, 0,
      "There are no enumerated values for this field", nullptr },
    { "F5 (not the pane's)", WM_KEYDOWN, VK_F5, 0, 0, "", 0, nullptr, "line 00100", 0, 2, 0, 0, nullptr, nullptr },
    { "Ctrl+A", WM_CHAR, 1, 0, 1, "", 0, nullptr, "line 00100", LAST, 10, 1, 0, nullptr, nullptr },
    { "Ctrl+C", WM_CHAR, 3, 0, 1, "", 1, "walk", "line 00100", 0, 4, 1, 0,
      "Copied to Clipboard  : Text(2 bytes) Data(2 bytes)", "6E65" },
    { "Ctrl+X", WM_CHAR, 24, 0, 1, "", 1, "walk", "li 00100", 0, 2, 0, 0,
      "Copied to Clipboard  : Text(2 bytes) Data(2 bytes)", "6E65" },
    { "Ctrl+V", WM_CHAR, 22, 0, 1, "", 0, "walk", "liwalkne 00100", 0, 6, 0, 0, nullptr, nullptr },
    { "Ctrl+Shift+V", WM_CHAR, 22, 1, 1, "", 1, "walk", "liABC 00100", 0, 5, 0, 0, nullptr, nullptr },
    { "Ctrl+Z", WM_CHAR, 26, 0, 1, "k", 0, nullptr, "line 00100", 0, 2, 0, 0, nullptr, nullptr },
    { "z with Ctrl", WM_CHAR, 'z', 0, 1, "k", 0, nullptr, "line 00100", 0, 2, 0, 0, nullptr, nullptr },
    { "Ctrl+Y", WM_CHAR, 25, 0, 1, "k\x1A", 0, nullptr, "likne 00100", 0, 3, 0, 0, nullptr, nullptr },
    { "y with Ctrl", WM_CHAR, 'y', 0, 1, "k\x1A", 0, nullptr, "likne 00100", 0, 3, 0, 0, nullptr, nullptr },
    { "q with Ctrl", WM_CHAR, 'q', 0, 1, "", 0, nullptr, "line 00100", 0, 2, 0, 0, nullptr, nullptr },
    { "Backspace", WM_CHAR, 8, 0, 0, "", 0, nullptr, "lne 00100", 0, 1, 0, 0, nullptr, nullptr },
    { "Backspace over a selection", WM_CHAR, 8, 0, 0, "", 1, nullptr, "li 00100", 0, 2, 0, 0, nullptr, nullptr },
    { "Return", WM_CHAR, 13, 0, 0, "", 0, nullptr, "li", 1, 0, 0, 0, nullptr, nullptr },
    { "Tab character", WM_CHAR, 9, 0, 0, "", 0, nullptr, "line 00100", 0, 2, 0, 0, nullptr, nullptr },
    { "line feed", WM_CHAR, 10, 0, 0, "", 0, nullptr, "line 00100", 0, 2, 0, 0, nullptr, nullptr },
    { "Escape", WM_CHAR, 27, 0, 0, "", 0, nullptr, "line 00100", 0, 2, 0, 0, nullptr, nullptr },
    { "k typed", WM_CHAR, 'k', 0, 0, "", 0, nullptr, "likne 00100", 0, 3, 0, 0, nullptr, nullptr },
    { "k typed over a selection", WM_CHAR, 'k', 0, 0, "", 1, nullptr, "lik 00100", 0, 3, 0, 0, nullptr, nullptr },
};

/* Text on the clipboard, with the bytes "ABC" as "Vorsk HEX" beside it
 * (Paste in a text field takes the text, Paste All the bytes). */
static void ClipText(HWND owner, const char *text)
{
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(g), text, strlen(text) + 1);
    GlobalUnlock(g);
    SetClipboardData(CF_TEXT, g);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 6);
    memcpy(GlobalLock(h), "414243", 6);
    GlobalUnlock(h);
    SetClipboardData(RegisterClipboardFormatA("Vorsk HEX"), h);
    CloseClipboard();
}

/* The clipboard's "Vorsk HEX" text ("<none>" without one). */
static std::string ClipHex(HWND owner)
{
    std::string s = "<none>";
    if (!OpenClipboard(owner))
        return s;
    if (HGLOBAL g = GetClipboardData(RegisterClipboardFormatA("Vorsk HEX"))) {
        s.assign((const char *)GlobalLock(g), GlobalSize(g));
        GlobalUnlock(g);
        s.resize(strnlen(s.c_str(), s.size()));
    }
    CloseClipboard();
    return s;
}

/* The modifier keys as GetKeyState reports them. */
static void Modifiers(bool shift, bool ctrl)
{
    BYTE ks[256];
    GetKeyboardState(ks);
    ks[VK_SHIFT] = shift ? 0x80 : 0;
    ks[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(ks);
}

TEST_F(PaneKeys, EveryKeyOfThePanesOwnDispatch)
{
    for (const PaneKeyRow &r : paneKeys) {
        SCOPED_TRACE(r.name);
        host.Load(Md(), EdTextLines(200));
        ed()->insertMode = 1;
        int32_t start = EdFindLine(ed(), "line 00100");
        ASSERT_GE(start, 0);
        EdMoveCursor(ed(), 0, 0, MC_GOTO, 2, start);
        for (const char *c = r.before; *c; c++)
            SendMessageA(host.pane, WM_CHAR, (WPARAM)(unsigned char)*c, 1);
        if (r.select) {
            Key(host.pane, VK_RIGHT, true);
            Key(host.pane, VK_RIGHT, true);
        }
        if (r.clip)
            ClipText(host.pane, r.clip);
        EdDialogStatus(host.d, "", 1);
        int32_t top = ed()->scroll.top, visible = ed()->scroll.visible;
        Modifiers(r.shift, r.ctrl);
        SendMessageA(host.pane, r.message, r.key, 1);
        Modifiers(false, false);
        PumpWith(&host);
        LINEDATA *l = EdGetLine(ed(), start);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(std::string(l->text, l->textLength), r.line);
        int32_t line = r.lineDelta == PAGE    ? start + visible
                       : r.lineDelta == -PAGE ? start - visible
                       : r.lineDelta == LAST  ? ed()->scroll.lineCount - 1
                                              : start + r.lineDelta;
        EXPECT_EQ(ed()->cursor.line, line) << "top " << top << " visible " << visible;
        if (r.column >= 0)
            EXPECT_EQ(ed()->cursor.column, r.column);
        EXPECT_EQ(EdHasSelection(ed()) != 0, r.selection);
        EXPECT_EQ(ed()->insertMode, r.insertFlipped ? 0u : 1u);
        EXPECT_EQ(host.StatusText(), r.status ? r.status : "");
        if (r.hex)
            EXPECT_EQ(ClipHex(host.pane), r.hex);
    }
    ed()->insertMode = 1;
}
