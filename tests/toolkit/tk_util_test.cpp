/* Window utilities: message boxes and batch log lines, error reports
 * from a worker thread, drawing routines, size combo boxes, the viewer
 * list, fonts, sounds with an injected clock, and placement on an
 * injected two-monitor layout. */
#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include <thread>
#include "tkharness.h"
#include "tkutil.h"
#include "tkwin.h"
#include "prfdata.h"
#include "tkplace.h"
#include "csmem.h"

static std::vector<std::string> boxes;
static int box_answer = IDOK;

static int sink(HWND, const char *text, const char *caption, UINT)
{
    boxes.push_back(std::string(caption) + "|" + text);
    return box_answer;
}

TEST(Boxes, BatchModeWritesLogLines)
{
    FILE *f = tmpfile();
    ASSERT_NE(f, nullptr);
    tkHost.batch = 1;
    tkHost.logFile = f;
    EXPECT_EQ(UtilMessageBox(NULL, "the text", "Error", MB_OK), IDYES);
    tkHost.logFile = NULL;
    EXPECT_EQ(UtilMessageBox(NULL, "lost", "Error", MB_OK), IDYES);   /* no log: nothing */
    tkHost.batch = 0;
    rewind(f);
    char line[200] = {0};
    fgets(line, sizeof line, f);
    EXPECT_STREQ(line, "Error                    :the text\n");
    EXPECT_EQ(fgets(line, sizeof line, f), nullptr);
    fclose(f);
}

TEST(Boxes, ErrorNoteAndFieldBoxes)
{
    UtilSetMessageBoxSink(sink);
    boxes.clear();
    box_answer = IDCANCEL;
    SetLastError(5);
    EXPECT_TRUE(WinOpErrorEx(NULL, "Open failed", 1));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Operational Error|Open failed\n\nLast error = 5 (X'5') \n\n", 0), 0u);
    box_answer = IDOK;
    EXPECT_FALSE(WinNoteBox(NULL, 1, 0, "bad"));
    EXPECT_FALSE(WinNoteBox(NULL, 0, 0, "fine"));
    EXPECT_EQ(boxes[1], "Operation Error|bad");
    EXPECT_EQ(boxes[2], "Information|fine");
    HWND parent = TestParent();
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent, NULL,
                                GetModuleHandleA(NULL), NULL);
    WinFieldError(edit, "Please enter a number");
    EXPECT_EQ(boxes[3], "Field error|Please enter a number");
    EXPECT_EQ(GetFocus(), edit);
    UtilSetMessageBoxSink(NULL);
}

TEST(Reports, ErrorFromWorkerThreadArrivesAsBlock)
{
    HWND main = TestParent();
    tkHost.mainWindow = main;
    int location = 0;
    std::thread worker([&] { UtilPostError(&location, 5, "Connection broken"); });
    worker.join();
    WinPostText("status text", 42);
    Pump();
    auto got = Got(FRM_OPERROR);
    ASSERT_EQ(got.size(), 1u);
    ZORVAERROR *e = (ZORVAERROR *)got[0].lp;
    EXPECT_EQ(e->owner, 0u);
    EXPECT_EQ(e->location, (uint64_t)(uintptr_t)&location);
    EXPECT_EQ(e->flags, 5u);
    EXPECT_STREQ(e->text, "Connection broken");
    CSFreeMem(e);
    auto texts = Got(FRM_TEXT);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].wp, 42u);
    EXPECT_STREQ((const char *)texts[0].lp, "status text");
    CSFreeMem((void *)texts[0].lp);
    tkHost.mainWindow = NULL;
    /* no main window: nothing is posted (not even to this thread) */
    UtilPostError(NULL, 1, "lost");
    WinPostText("lost", 1);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, (HWND)-1, 0, 0, PM_REMOVE));
}

/* a memory DC with a 32-bit DIB and its pixels */
struct Canvas {
    HDC dc;
    HBITMAP bm;
    HGDIOBJ old;
    uint32_t *px;
    int w, h;
    Canvas(int w_, int h_, COLORREF fill) : w(w_), h(h_)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB};
        HDC screen = GetDC(NULL);
        dc = CreateCompatibleDC(screen);
        ReleaseDC(NULL, screen);
        bm = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, (void **)&px, NULL, 0);
        old = SelectObject(dc, bm);
        HBRUSH b = CreateSolidBrush(fill);
        RECT r = {0, 0, w, h};
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bm);
        DeleteDC(dc);
    }
    uint32_t at(int x, int y)
    {
        GdiFlush();
        return px[y * w + x] & 0xFFFFFF;
    }
};

TEST(Drawing, TransparentBitmapKeepsTheBackground)
{
    Canvas src(4, 4, RGB(255, 0, 255));         /* magenta is transparent */
    SetPixel(src.dc, 1, 1, RGB(0, 128, 0));
    Canvas dst(8, 8, RGB(0, 0, 255));
    EXPECT_EQ(DrawTransparentBitmap(dst.dc, 0, 0, 8, 8, src.dc, 0, 0, 4, 4, RGB(255, 0, 255)), 1);
    EXPECT_EQ(dst.at(0, 0), 0x0000FFu);         /* destination kept (0x00RRGGBB in a DIB) */
    EXPECT_EQ(dst.at(2, 2), 0x008000u);         /* scaled source pixel */
    EXPECT_EQ(dst.at(3, 3), 0x008000u);
    EXPECT_EQ(DrawTransparentBitmap(dst.dc, 0, 0, 0, 8, src.dc, 0, 0, 4, 4, 0), 0);
    EXPECT_EQ(DrawTransparentBitmap(dst.dc, 0, 0, 8, 8, src.dc, 0, 0, 4, 0, 0), 0);
}

TEST(Drawing, RotatedTextCrossAndArrows)
{
    Canvas c(60, 60, RGB(255, 255, 255));
    RECT rc = {0, 0, 60, 60};
    SetTextColor(c.dc, RGB(0, 0, 0));
    SetBkMode(c.dc, TRANSPARENT);
    EXPECT_GT(DrawRotatedText(c.dc, "Title", -1, &rc, 37, 90), 0);
    XFORM xf;
    GetWorldTransform(c.dc, &xf);
    EXPECT_FLOAT_EQ(xf.eM11, 1.0f);
    EXPECT_FLOAT_EQ(xf.eM12, 0.0f);
    EXPECT_FLOAT_EQ(xf.eDx, 0.0f);
    /* the text now runs vertically through the centre */
    int dark_rows = 0, dark_cols = 0;
    for (int i = 0; i < 60; i++) {
        bool row = false, col = false;
        for (int k = 0; k < 60; k++) {
            if (c.at(k, i) != 0xFFFFFF) row = true;
            if (c.at(i, k) != 0xFFFFFF) col = true;
        }
        dark_rows += row;
        dark_cols += col;
    }
    EXPECT_GT(dark_rows, dark_cols);
    Canvas x(10, 10, RGB(255, 255, 255));
    RECT xr = {0, 0, 9, 9};
    DrawCross(x.dc, &xr);
    EXPECT_EQ(x.at(4, 4), 0u);
    EXPECT_EQ(x.at(8, 1), 0u);
    Canvas a(20, 20, RGB(255, 255, 255));
    HPEN p = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    WinDrawArrow(a.dc, p, p, 1, RGB(0, 255, 0), 5, POINT{10, 10}, SIZE{10, 10});
    EXPECT_EQ(a.at(10, 10), 0x00FF00u);         /* filled square */
    EXPECT_EQ(a.at(1, 1), 0xFFFFFFu);
    DeleteObject(p);
}

static const char *bitmap_name(void *, int i)
{
    static const char *names[] = {"Queue", "Topic"};
    return i < 2 ? names[i] : nullptr;
}

TEST(Utilities, SizeComboAndViewerList)
{
    HWND parent = TestParent();
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 100, 200,
                                 parent, NULL, GetModuleHandleA(NULL), NULL);
    TKHOOKS hooks = {};
    hooks.bitmapName = bitmap_name;
    TkSetHooks(&hooks);
    SetWindowTextA(combo, "kept");
    UtilFillSizeComboWindow(combo, 393);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 5);   /* small medium large + 2 */
    EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, -1, (LPARAM)"z/OS"), CB_ERR);
    UtilFillSizeComboWindow(combo, 384);
    EXPECT_NE(SendMessageA(combo, CB_FINDSTRINGEXACT, -1, (LPARAM)"z/OS"), CB_ERR);
    UtilFillSizeComboWindow(combo, 457);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    char text[20];
    GetWindowTextA(combo, text, sizeof text);
    EXPECT_STREQ(text, "kept");
    UtilFillSizeCombo(nullptr, 393);           /* no dialog: nothing */
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    TkSetHooks(nullptr);
    void *a[1], *b[1], *c[1];
    void *head = a;
    a[0] = b; b[0] = c; c[0] = nullptr;
    tkHost.viewerList = &head;
    UtilUnlinkWindow(b);
    EXPECT_EQ(a[0], (void *)c);
    UtilUnlinkWindow(b);                        /* not in the list: nothing */
    UtilUnlinkWindow(a);
    EXPECT_EQ(head, (void *)c);
    tkHost.viewerList = nullptr;
}

TEST(Fonts, CreateMeasureAndSmallHeight)
{
    HWND main = TestParent();
    tkHost.mainWindow = main;
    WinDefaultFont(&winFonts.mainDesc);
    EXPECT_STREQ(winFonts.mainDesc.style, "Regular");
    EXPECT_NE(winFonts.mainDesc.face[0], 0);
    winFonts.mainDesc.height = -13;
    strcpy(winFonts.mainDesc.style, "Bold Italic");
    ASSERT_EQ(WinCreateFonts(), 1);
    LOGFONTA lf;
    GetObjectA(winFonts.smallFont, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -10);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_TRUE(lf.lfItalic);
    EXPECT_GT(winFonts.mainCharWidth, 0);
    EXPECT_GT(winFonts.mainLineHeight, 0);
    EXPECT_GT(winFonts.widestDigit, 0);
    EXPECT_GT(winFonts.dashWidth, 0);
    int cw, lh;
    WinGetCharSize(main, winFonts.mainFont, &cw, &lh);
    EXPECT_EQ(cw, winFonts.mainCharWidth);
    HDC dc = GetDC(main);
    EXPECT_EQ(WinTextWidth(dc, "", -1), 0);
    EXPECT_GT(WinTextWidth(dc, "wide text", -1), WinTextWidth(dc, "wide", -1));
    ReleaseDC(main, dc);
    HWND lb = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_OWNERDRAWFIXED, 0, 0, 50, 50, main, NULL,
                              GetModuleHandleA(NULL), NULL);
    WinSetChildFonts(main, winFonts.mainFont);
    EXPECT_EQ((HFONT)SendMessageA(lb, WM_GETFONT, 0, 0), winFonts.mainFont);
    tkHost.mainWindow = NULL;
}

static int64_t now_s;
static int64_t fake_clock(void) { return now_s; }
static std::vector<std::string> played;
static void fake_player(int kind, const char *name) { played.push_back(std::to_string(kind) + name); }

TEST(Sounds, RateLimitsWithInjectedClock)
{
    WinSetSoundHooks(fake_clock, fake_player);
    snprintf(Prf.st, sizeof Prf.st, "5:20:3");         /* as Preferences stores them */
    played.clear();
    now_s = 1000;
    WinPlaySound("beep", 1, 0);
    now_s = 1002;
    WinPlaySound("beep", 1, 0);                 /* within the first interval */
    WinPlaySound("<SystemAsterisk", 1, 1);      /* forced */
    WinPlaySound("none", 1, 1);
    now_s = 1003;
    WinPlaySound("ding.wav", 0, 0);             /* other sound: last sound 1002 < 3 ago */
    now_s = 1005;
    WinPlaySound("ding.wav", 0, 0);
    EXPECT_EQ(played, std::vector<std::string>({"0beep", "1SystemAsterisk", "2ding.wav"}));
    /* the run: alerts for 20 s, silent while asked for, again after 20 quiet seconds */
    played.clear();
    for (now_s = 1010; now_s <= 1040; now_s += 5)
        WinPlaySound("beep", 1, 0);
    EXPECT_EQ(played.size(), 2u);               /* 1010 and 1015; from 1020 the run is over */
    now_s = 1061;
    WinPlaySound("beep", 1, 0);
    EXPECT_EQ(played.size(), 3u);
    WinSetSoundHooks(nullptr, nullptr);
    Prf.st[0] = 0;
}

static int two_monitors(DisplayLayout *d)
{
    d->monitors = 2;
    d->desktop = {0, 0, 3200, 1000};
    d->monitor[0] = {0, 0, 1600, 960};
    d->monitor[1] = {1600, 0, 3200, 1000};
    return 1;
}

static int repaints;
static void count_repaints(void *, int mask) { repaints += mask; }

TEST(Placement, InjectedTwoMonitorLayout)
{
    TKHOOKS hooks = {};
    hooks.repaintAllWindows = count_repaints;
    TkSetHooks(&hooks);
    UtilCheckMonitors();
    repaints = 0;
    tkHost.placementLatch = 1;
    UtilSetDisplaySource(two_monitors);
    UtilCheckMonitors();
    EXPECT_EQ(repaints, 2);                     /* the arrangement changed */
    EXPECT_EQ(tkHost.placementLatch, 0);
    UtilCheckMonitors();
    EXPECT_EQ(repaints, 2);                     /* unchanged: no repaint */
    PlaceRect r = {3000, 900, 500, 300};        /* mostly on the second monitor */
    WinFitRect(&r, 1, 0);
    EXPECT_EQ(r.x, 2700);
    EXPECT_EQ(r.y, 700);
    PlaceRect pair[2] = {{-50, 10, 0, 0}, {1500, 950, 0, 0}};
    WinFitRectSaved(pair, 1, FIT_THIRD);
    EXPECT_EQ(pair[0].x, -50);                  /* one-monitor slot untouched */
    EXPECT_EQ(pair[1].cx, 533);                 /* a third of the first monitor */
    EXPECT_EQ(pair[1].y, 960 - 320);
    HWND parent = TestParent();
    HWND pop = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, parent, NULL, GetModuleHandleA(NULL), NULL);
    PlaceRect wr = {1590, -40, 200, 100};
    WinFitWindowRect(pop, &wr, 1, 0);
    PlaceRect got;
    WinGetWindowRect(pop, &got);
    EXPECT_EQ(got.x, 1600);
    EXPECT_EQ(got.y, 0);
    tkHost.wholeDesktop = 1;
    r = {3100, 10, 500, 300};
    WinFitRect(&r, 1, 0);
    EXPECT_EQ(r.x, 2700);                       /* the whole desktop */
    tkHost.wholeDesktop = 0;
    DestroyWindow(pop);
    /* at the pointer near the first monitor's bottom-right corner, a
       window that takes no less than 300 x 200 though 100 x 80 is asked:
       its centre on the pointer, then moved wholly onto the work area */
    static const char *const cls = "TK_MINSIZE";
    WNDCLASSA wc = {};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_GETMINMAXINFO) {
            ((MINMAXINFO *)l)->ptMinTrackSize = {300, 200};
            return 0;
        }
        return DefWindowProcA(h, m, w, l);
    };
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
    HWND big = CreateWindowExA(0, cls, "", WS_POPUP | WS_THICKFRAME, 0, 0, 300, 200, parent, NULL,
                               GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(SetCursorPos(1580, 950));
    WinPositionAtCursor(big, 100, 80, 0);
    WinGetWindowRect(big, &got);
    EXPECT_EQ(std::to_string(got.x) + "," + std::to_string(got.y) + " " + std::to_string(got.cx) + "x" +
              std::to_string(got.cy), "1300,760 300x200");
    DestroyWindow(big);
    UtilSetDisplaySource(nullptr);
    UtilCheckMonitors();
    TkSetHooks(nullptr);
    RECT pr;
    GetWindowRect(parent, &pr);
    POINT in = {pr.left + 20, pr.top + 20}, out = {pr.left - 20, pr.top + 20};
    EXPECT_TRUE(WinPointInClient(parent, in));
    EXPECT_FALSE(WinPointInClient(parent, out));
    EXPECT_FALSE(WinPointInClient(NULL, in));
}
