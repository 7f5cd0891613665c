/* Editing through the pane's window under Xvfb: typed keys with the
 * typing aids, Return, Undo and Redo keys, the system clipboard (its
 * keys, "Vorsk HEX" and text from other programs), the Find and Replace
 * dialog, the selection box of named values, the structure sub-menus of a
 * menu bar, and the gallery pictures of the dialog and the open list. */
#include <gtest/gtest.h>
#include "edhost.h"
#include "edfind.h"
#include "edstruct.h"
#include "tkharness.h"
#include "tkcontrols.h"
#include "prfdata.h"
#include "dlgcolours.h"
#include "dd.h"
#include "fmtint.h"
#include <string>
#include <vector>

static std::vector<std::string> asked;
static int answer = 1;
static int Answer(DialogWords *, const char *q, uint32_t *, uint32_t)
{
    asked.push_back(q);
    return answer;
}

struct PaneEdit : ::testing::Test {
    EdHostDialog &host = SharedHost();
    int (*confirm)(DialogWords *, const char *, uint32_t *, uint32_t) = nullptr;
    uint32_t savedPo3 = 0;
    void SetUp() override
    {
        ASSERT_NE(host.pane, nullptr);
        ResetHost(host);
        confirm = edHost.confirm;
        edHost.confirm = Answer;
        asked.clear();
        answer = 1;
        savedPo3 = Prf.po[3];
        ed()->insertMode = 1;
    }
    void TearDown() override
    {
        edHost.confirm = confirm;
        Prf.po[3] = savedPo3;
        if (host.d->findWindow)
            DestroyWindow((HWND)host.d->findWindow);
        PumpWith(&host);
    }
    PCFDATA *ed() { return host.ed; }
    std::string Body() { return std::string((const char *)ed()->data.data, ed()->data.length); }
    void Chars(const char *text)
    {
        for (const char *c = text; *c; c++)
            SendMessageA(host.pane, WM_CHAR, (WPARAM)(unsigned char)*c, 1);
        PumpWith(&host);
    }
    void At(int32_t line, int32_t column) { EdMoveCursor(ed(), 0, 0, MC_GOTO, column, line); }
    void Keys(bool shift, bool control, bool alt)
    {
        BYTE ks[256];
        GetKeyboardState(ks);
        ks[VK_SHIFT] = shift ? 0x80 : 0;
        ks[VK_CONTROL] = control ? 0x80 : 0;
        ks[VK_MENU] = alt ? 0x80 : 0;
        SetKeyboardState(ks);
    }
    Bytes Md(const char *format = "MQSTR   ") { return BuildMD(true, 2, format, 546, 850); }
};

TEST_F(PaneEdit, TypedKeysAidsAndUndo)
{
    /* JSON: "{" gives "{}" with the cursor between them */
    host.d->bodyKind = BK_JSON;
    host.Load(Md(), Bytes().Raw("[\"q\"]", 5));
    int32_t line = EdFindLine(ed(), "\"q\"");
    ASSERT_GE(line, 0);
    At(line, EdGetLine(ed(), line)->valueColumn + 1);
    Chars("{");
    EXPECT_EQ(Body(), "[{}\"q\"]");
    EXPECT_EQ(ed()->cursor.digit, 4u);
    /* "<" in an empty string message: an empty element */
    host.d->bodyKind = BK_AUTO;
    Prf.po[3] |= 0x80000;
    host.Load(Md(), Bytes());
    line = EdFindLine(ed(), "Message Data");
    ASSERT_GE(line, 0);
    At(line, EdGetLine(ed(), line)->valueColumn);
    Chars("<");
    EXPECT_EQ(Body(), "<></>");
    EXPECT_EQ(ed()->cursor.digit, 2u);
    Prf.po[3] &= ~0x80000u;                     /* XML Assist off: only the "<" */
    host.Load(Md(), Bytes());
    At(line, EdGetLine(ed(), line)->valueColumn);
    Chars("<");
    EXPECT_EQ(Body(), "<");
    /* Ctrl+Z twice, then Ctrl+Y */
    host.Load(Md(), Bytes().Raw("xy", 2));
    line = EdFindLine(ed(), "xy");
    At(line, 1);
    Chars("ab");
    EXPECT_EQ(Body(), "xaby");
    Chars("\x1A\x1A");
    EXPECT_EQ(Body(), "xy");
    Chars("\x19");
    EXPECT_EQ(Body(), "xay");
    /* Backspace at the first column of a continued field joins the lines */
    host.Load(Md(), Bytes().Raw("ab\ncd", 5));
    At(EdFindLine(ed(), "cd"), 0);
    Chars("\b");
    EXPECT_EQ(Body(), "abcd");
    /* a hex body in insert mode: a digit and Backspace leave the bytes as
       they were, and undoing a second digit and all before it too */
    host.d->viewWords[0] = 3 | VW_RAW_BYTES;
    host.Load(std::vector<unsigned char>(), std::vector<unsigned char>{ 0x4B, 0x09 });
    ASSERT_EQ(EdGetLine(ed(), 1)->lineType, LK_DUMP);
    At(1, EdGetLine(ed(), 1)->valueColumn);
    Chars("1\b");
    EXPECT_EQ(Body(), "\x4B\x09");
    Chars("2");
    EXPECT_EQ(Body(), std::string("\x20\x4B\x09"));
    Chars("\x1A\x1A\x1A");
    EXPECT_EQ(Body(), "\x4B\x09");
}

TEST_F(PaneEdit, ReturnTypesALineEndOrASeparator)
{
    host.Load(Md(), Bytes().Raw("qq,zz", 5));
    host.d->bodyKind = BK_CSV;
    host.d->viewSwitches[0] = 1;
    SendMessageA(host.pane, UM_PANE_REFORMAT, 0, 0);
    int32_t line = EdFindLine(ed(), "qq");
    ASSERT_GE(line, 0);
    At(line, EdGetLine(ed(), line)->valueColumn + 1);
    Chars("\r");
    EXPECT_EQ(Body(), "q,q,zz");
    /* overtype: the line end is still inserted, overtype stays */
    host.d->viewSwitches[0] = 0;
    host.d->bodyKind = BK_AUTO;
    host.Load(Md(), Bytes().Raw("qz", 2));
    ed()->insertMode = 0;
    At(EdFindLine(ed(), "qz"), 1);
    Chars("\r");
    EXPECT_EQ(Body(), "q\nz");
    EXPECT_EQ(ed()->insertMode, 0u);
    ed()->insertMode = 1;
}

/* ---- the system clipboard ---- */

static UINT HexFormat() { return RegisterClipboardFormatA("Vorsk HEX"); }

/* Puts a block of the given bytes (no terminator added) under a format. */
static void PutRaw(HWND owner, UINT format, const void *bytes, size_t n)
{
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, n);
    memcpy(GlobalLock(g), bytes, n);
    GlobalUnlock(g);
    SetClipboardData(format, g);
    CloseClipboard();
}

static std::string Read(HWND owner, UINT format)
{
    std::string s = "<none>";
    if (!OpenClipboard(owner))
        return s;
    if (HGLOBAL g = GetClipboardData(format)) {
        const char *p = (const char *)GlobalLock(g);
        size_t n = GlobalSize(g);
        s.assign(p, format == CF_TEXT ? strnlen(p, n) : n);
        GlobalUnlock(g);
    }
    CloseClipboard();
    return s;
}

TEST_F(PaneEdit, TheSystemClipboard)
{
    std::vector<unsigned char> body = { 0x12, 0x34, 0x56, 0x78 };
    host.Load(Md("BINARY  ").b, body);
    int32_t dump = -1;
    for (int32_t i = 0; i < ed()->scroll.lineCount && dump < 0; i++)
        if (EdGetLine(ed(), i)->lineType == LK_DUMP)
            dump = i;
    ASSERT_GE(dump, 0);
    int32_t vc = EdGetLine(ed(), dump)->valueColumn;
    /* second digit to second digit: both bytes, and the end digits kept */
    At(dump, vc + 3);
    EdMoveCursor(ed(), 0, 0, MC_EXTEND_TO, vc + 5, dump);
    host.Command(896);
    EXPECT_EQ(Read(host.pane, HexFormat()), "3456");
    EXPECT_NE(host.StatusText().find("Data(2 bytes)"), std::string::npos) << host.StatusText();
    At(dump, vc + 8);
    host.Command(899);
    EXPECT_EQ(Body(), std::string("\x12\x34\x56\x78\x45", 5));
    /* copy without an anchor: an empty text and no bytes */
    At(dump, vc);
    host.Command(896);
    EXPECT_EQ(Read(host.pane, CF_TEXT), "");
    EXPECT_EQ(Read(host.pane, HexFormat()), "<none>");
    /* another program's hex data with rubbish after its digits */
    host.Load(Md(), Bytes().Raw("xy", 2));
    int32_t line = EdFindLine(ed(), "xy");
    PutRaw(host.pane, HexFormat(), "4142\0\0zz", 8);
    At(line, 0);
    host.Command(899);
    EXPECT_EQ(Body(), "ABxy");
    /* hex-looking text: asked, and with Alt never converted */
    PutRaw(host.pane, CF_TEXT, "41 42", 6);
    answer = 1;
    At(line, 0);
    host.Command(898);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(Body(), "ABABxy");
    Keys(false, false, true);
    At(line, 0);
    EXPECT_TRUE(EdPaste(host.d));
    Keys(false, false, false);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(Body(), "41 42ABABxy");
    /* Ctrl+X cuts, Ctrl+C copies, Ctrl+V pastes */
    host.Load(Md(), Bytes().Raw("wxyz", 4));
    line = EdFindLine(ed(), "wxyz");
    At(line, 1);
    EdMoveCursor(ed(), 0, 0, MC_EXTEND_TO, 3, line);
    Chars("\x18");
    EXPECT_EQ(Body(), "wz");
    EXPECT_EQ(Read(host.pane, CF_TEXT), "xy");
    At(line, 0);
    EdMoveCursor(ed(), 0, 0, MC_EXTEND_TO, 1, line);
    Chars("\x03");
    EXPECT_EQ(Body(), "wz");
    EXPECT_EQ(Read(host.pane, CF_TEXT), "w");
    At(line, 2);
    Chars("\x16");
    EXPECT_EQ(Body(), "wzw");
    /* Paste All (Ctrl+Shift+V) in the descriptor overwrites and never grows it */
    PutRaw(host.pane, HexFormat(), "4142434445", 10);
    line = EdFindLine(ed(), "Original Len.");
    At(line, EdGetLine(ed(), line)->valueColumn);
    Keys(true, false, false);
    Chars("\x16");
    Keys(false, false, false);
    EXPECT_EQ(ed()->descriptor.length, 364u);
    EXPECT_EQ(std::string((const char *)ed()->descriptor.data + 360, 4), "ABCD");
    /* the question before a large copy */
    host.Load(Md(), EdTextLines(6000));
    answer = 0;
    EdSelectAll(host.d);
    host.Command(896);
    ASSERT_FALSE(asked.empty());
    EXPECT_NE(asked.back().find("The data is quite large"), std::string::npos);
    EXPECT_EQ(host.StatusText(), "Clipboard copy cancelled");
}

/* ---- Find and Replace ---- */

TEST_F(PaneEdit, TheFindAndReplaceDialog)
{
    host.Load(Md(), Bytes().Raw("red green\nred blue", 18));
    At(0, 0);
    host.Command(900);
    HWND dlg = (HWND)host.d->findWindow;
    ASSERT_NE(dlg, nullptr);
    DDHANDLE dd = (DDHANDLE)host.d->findDialog;
    HWND find = DDGetFieldWindow(dd, 415, 0), button = DDGetFieldWindow(dd, FR_FIND, 0);
    ASSERT_NE(find, nullptr);
    /* the buttons follow the find text */
    SetWindowTextA(find, "");
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(415, CBN_EDITUPDATE), (LPARAM)find);
    EXPECT_FALSE(IsWindowEnabled(button));
    SetWindowTextA(find, "red");
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(415, CBN_EDITUPDATE), (LPARAM)find);
    EXPECT_TRUE(IsWindowEnabled(button));
    EXPECT_TRUE(IsWindowEnabled(DDGetFieldWindow(dd, FR_REPLACE_ALL, 0)));
    /* Find: the status line says where */
    SendMessageA(dlg, WM_COMMAND, FR_FIND, 0);
    PumpWith(&host);
    char status[200];
    DDGetFieldText(dd, 103, status, sizeof status);
    EXPECT_NE(std::string(status).find("Text found at line:"), std::string::npos) << status;
    int32_t first = ed()->cursor.line;
    /* a click on a radio button chooses it (Backward, then Forward again) */
    for (int id : { 528, 527 }) {
        HWND radio = DDGetFieldWindow(dd, id, 0);
        RECT rc;
        GetClientRect(radio, &rc);
        Click(radio, 5, rc.bottom / 2);
        EXPECT_EQ(DDGetCheck(dd, id), 1) << id;
        EXPECT_EQ(DDGetCheck(dd, id == 528 ? 527 : 528), 0) << id;
    }
    /* find next and previous from the main window's commands */
    host.Command(FR_FIND_NEXT);
    EXPECT_EQ(ed()->cursor.line, first + 1);
    host.Command(FR_FIND_PREVIOUS);
    EXPECT_EQ(ed()->cursor.line, first);
    /* Replace All, then undo and redo from the dialog */
    SetWindowTextA(DDGetFieldWindow(dd, 524, 0), "pink");
    SendMessageA(dlg, WM_COMMAND, FR_REPLACE_ALL, 0);
    PumpWith(&host);
    EXPECT_EQ(Body(), "pink green\npink blue");
    DDGetFieldText(dd, 103, status, sizeof status);
    EXPECT_STREQ(status, "2 occurences changed");
    SendMessageA(dlg, DDM_UNDO, 0, 0);
    EXPECT_EQ(Body(), "red green\nred blue");
    SendMessageA(dlg, DDM_REDO, 0, 0);
    EXPECT_EQ(Body(), "pink green\npink blue");
    /* a long Replace All shows how far it is in the count window: a bar
       in "Field Foreground" from the left, at each step of its progress */
    std::string many;                 /* the lines between the matches are the progress */
    for (int i = 0; i < 1000; i++)
        many += i % 100 ? "blue line\n" : "red line\n";
    host.Load(Md(), Bytes().Raw(many.data(), (uint32_t)many.size()));
    At(0, 0);
    static EdFindHost kept;
    static int steps, bars;
    const COLORREF was[2] = { *ColourRef(1), *ColourRef(4) };
    *ColourRef(1) = RGB(200, 0, 0);               /* the bar's colour apart from the window's */
    *ColourRef(4) = RGB(0, 0, 200);
    ColourMakeBrushes();
    kept = edFind;
    steps = bars = 0;
    edFind.progress = [](DialogWords *d) {
        kept.progress(d);
        HWND w = (HWND)d->countWindow;
        RECT rc;
        GetClientRect(w, &rc);
        HDC screen = GetDC(w), mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
        HGDIOBJ was = SelectObject(mem, bmp);
        SendMessageA(w, WM_PRINTCLIENT, (WPARAM)mem, PRF_CLIENT);
        steps++;
        bars += GetPixel(mem, 2, rc.bottom / 2) == *ColourRef(1);
        SelectObject(mem, was);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(w, screen);
    };
    SetWindowTextA(find, "red");
    SendMessageA(dlg, WM_COMMAND, FR_REPLACE_ALL, 0);
    PumpWith(&host);
    edFind = kept;
    *ColourRef(1) = was[0];
    *ColourRef(4) = was[1];
    ColourMakeBrushes();
    DDGetFieldText(dd, 103, status, sizeof status);
    EXPECT_STREQ(status, "10 occurences changed");
    EXPECT_GT(steps, 0);
    EXPECT_EQ(bars, steps);
    /* the histories fill the combo boxes */
    EXPECT_GE(SendMessageA(find, CB_GETCOUNT, 0, 0), 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(415, CBN_DROPDOWN), (LPARAM)find);
    EXPECT_GE(SendMessageA(find, CB_GETCOUNT, 0, 0), 1);
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    PumpWith(&host);
    EXPECT_EQ(host.d->findWindow, nullptr);
}

/* ---- named values ---- */

TEST_F(PaneEdit, TheListOfNamedValues)
{
    host.Load(Md(), EdTextLines(1));
    int32_t report = EdFindLine(ed(), "Report");
    ASSERT_GE(report, 0);
    /* the hover box over a field with values, none over one without */
    EdHoverSelectionBox(ed(), report);
    HWND box = (HWND)ed()->selectionBox;
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsWindowVisible(box));
    EdHoverSelectionBox(ed(), EdFindLine(ed(), "Backout"));
    EXPECT_FALSE(IsWindowVisible(box));
    /* F4: the list with the set flags marked */
    At(report, EdGetLine(ed(), report)->valueColumn);
    SendMessageA(host.pane, WM_KEYDOWN, VK_F4, 1);
    PumpWith(&host);
    EXPECT_TRUE(ed()->editFlags & EF_ENUM_OPEN);
    EXPECT_GT(SendMessageA(box, LB_GETCOUNT, 0, 0), 5);
    const EdEnumList *list = (const EdEnumList *)ed()->enumList;
    ASSERT_NE(list, nullptr);
    int marked = 0;
    for (LRESULT i = 0; i < SendMessageA(box, LB_GETCOUNT, 0, 0); i++)
        marked += SendMessageA(box, LB_GETSEL, (WPARAM)i, 0) > 0;
    EXPECT_EQ(marked, 2);
    char text[100] = "";
    SendMessageA(box, LB_GETTEXT, 0, (LPARAM)text);
    EXPECT_EQ(strncmp(text, "MQRO_", 5), 0) << text;
    /* two flags chosen: their OR, one undo step */
    SendMessageA(box, LB_SELITEMRANGE, FALSE, MAKELPARAM(0, 200));
    for (LRESULT i = 0; i < SendMessageA(box, LB_GETCOUNT, 0, 0); i++) {
        LRESULT entry = SendMessageA(box, LB_GETITEMDATA, (WPARAM)i, 0);
        if (list->entries[entry].value == 0x100 || list->entries[entry].value == 0x800)
            SendMessageA(box, LB_SELITEMRANGE, TRUE, MAKELPARAM(i, i));
    }
    SendMessageA(host.pane, CN_ACCEPT, 0, (LPARAM)box);
    PumpWith(&host);
    EXPECT_EQ(FmtRd32(ed()->descriptor.data + 8, 546), 0x900u);
    EXPECT_FALSE(ed()->editFlags & EF_ENUM_OPEN);
    host.Command(894);
    EXPECT_EQ(FmtRd32(ed()->descriptor.data + 8, 546), 0x200100u);
    /* with Shift the descriptions */
    Keys(true, false, false);
    SendMessageA(host.pane, WM_KEYDOWN, VK_F4, 1);
    Keys(false, false, false);
    PumpWith(&host);
    bool described = false;
    for (LRESULT i = 0; i < SendMessageA(box, LB_GETCOUNT, 0, 0); i++) {
        SendMessageA(box, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
        described |= strcmp(text, "Confirm on arrival") == 0;
    }
    EXPECT_TRUE(described);
    HideSelectionBox(box);
    ed()->editFlags &= ~EF_ENUM_OPEN;
}

/* ---- the structure sub-menus ---- */

TEST_F(PaneEdit, StructureMenusOfTheDialogFillAsTheyOpen)
{
    HMENU bar = host.menu;
    int addAt = -1, removeAt = -1;
    for (int i = 0; i < GetMenuItemCount(bar); i++) {
        char text[100] = "";
        GetMenuStringA(bar, (UINT)i, text, sizeof text, MF_BYPOSITION);
        addAt = strcmp(text, "&Insert") ? addAt : i;
        removeAt = strcmp(text, "Re&move") ? removeAt : i;
    }
    ASSERT_GE(addAt, 0);
    ASSERT_GE(removeAt, 0);
    HMENU add = GetSubMenu(bar, addAt), remove = GetSubMenu(bar, removeAt);
    Bytes pcf = BuildPcfHeader(true, 1, 13, 1);
    CfIn(pcf, 20, 5);
    host.Load(Md("MQADMIN "), pcf);
    int32_t value = EdFindLine(ed(), "Value ");
    At(value, EdGetLine(ed(), value)->valueColumn);
    SendMessageA(host.window, WM_INITMENU, (WPARAM)bar, 0);
    EXPECT_EQ(GetMenuItemCount(add), 2);        /* structure before and after */
    char text[100];
    GetMenuStringA(add, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Add Message Structure After");
    GetMenuStringA(remove, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Remove Structure 'Integer (MQCFIN)'");
    EXPECT_FALSE(GetMenuState(bar, (UINT)removeAt, MF_BYPOSITION) & MF_GRAYED);
    /* the first item of "after" is MQCFIN: choosing it adds one */
    host.Command((int)GetMenuItemID(GetSubMenu(add, 1), 0));
    EXPECT_EQ(FmtRd32(ed()->data.data + 32, 546), 2u);
    /* 6004 repeats it */
    At(value, EdGetLine(ed(), value)->valueColumn);
    host.Command(6004);
    EXPECT_EQ(FmtRd32(ed()->data.data + 32, 546), 3u);
    /* in the descriptor both are greyed */
    At(EdFindLine(ed(), "Priority"), 20);
    SendMessageA(host.window, WM_INITMENU, (WPARAM)bar, 0);
    EXPECT_TRUE(GetMenuState(bar, (UINT)addAt, MF_BYPOSITION) & MF_GRAYED);
}

/* ---- pictures ---- */

TEST_F(PaneEdit, GalleryOfTheFindDialogAndTheValueList)
{
    host.Load(Md(), Bytes().Raw("<order><item>red</item><item>blue</item></order>", 48));
    At(0, 0);
    host.Command(900);
    HWND dlg = (HWND)host.d->findWindow;
    ASSERT_NE(dlg, nullptr);
    DDHANDLE dd = (DDHANDLE)host.d->findDialog;
    SetWindowTextA(DDGetFieldWindow(dd, 415, 0), "blue");
    SetWindowTextA(DDGetFieldWindow(dd, 524, 0), "green");
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(415, CBN_EDITUPDATE), 0);
    SendMessageA(dlg, WM_COMMAND, FR_FIND, 0);
    SetWindowPos(dlg, HWND_TOP, 360, 260, 0, 0, SWP_NOSIZE);
    PumpWith(&host);
    UpdateWindow(host.window);
    RedrawWindow(dlg, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpWith(&host);
    /* the dialog drawn over the pane with its match selected */
    int pw, ph, dw, dh;
    std::vector<uint32_t> pane = ScreenCapture(host.window, &pw, &ph), box = ScreenCapture(dlg, &dw, &dh);
    for (int y = 0; y < dh && 240 + y < ph; y++)
        for (int x = 0; x < dw && 420 + x < pw; x++)
            pane[(size_t)(240 + y) * pw + 420 + x] = box[(size_t)y * dw + x];
    CreateDirectoryA(RAVOLT_GALLERY_DIR, NULL);
    EXPECT_TRUE(WriteBmp(RAVOLT_GALLERY_DIR "/editor_find_dialog.bmp", pane, pw, ph));
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    PumpWith(&host);
    /* the open list of a field's values */
    int32_t type = EdFindLine(ed(), "Message Type");
    At(type, EdGetLine(ed(), type)->valueColumn);
    SendMessageA(host.pane, WM_KEYDOWN, VK_F4, 1);
    PumpWith(&host);
    UpdateWindow(host.window);
    EXPECT_TRUE(GalleryShot(host.window, "editor_value_list", true));
    HideSelectionBox((HWND)ed()->selectionBox);
    ed()->editFlags &= ~EF_ENUM_OPEN;
}
