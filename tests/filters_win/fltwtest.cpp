/* Window-test helpers of the filters (fltwtest.h). */
#include "fltwtest.h"
#include "dd.h"
#include "tkcontrols.h"
#include "tkwin.h"

namespace fltwtest {

Questions Asked;

static int Confirm(void *, HWND, const char *question, const char *name)
{
    Asked.asked.push_back(std::string(question) + (name ? std::string("|") + name : ""));
    return Asked.answer;
}

void SetUpWindows(void)
{
    static bool done;
    if (done)
        return;
    done = true;
    int version = 100;
    DDInitialise(GetModuleHandleA(nullptr), &version, nullptr, nullptr);
    RegisterControlClasses(GetModuleHandleA(nullptr));
    WinCreateFonts();
    WinMeasureFont();
    FltColoursDefaults();
    FLTWINHOOKS hooks = *FltWinHooks();
    hooks.confirm = Confirm;
    FltWinSetHooks(&hooks);
}

static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static HWND Frame(int x, int y)
{
    static bool registered;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = "FLTTESTFRAME";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "FLTTESTFRAME", "Queue List", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 600, 300,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

static TestDialog *Current;

static void Refresh(DialogWords *d)
{
    if (Current && Current->d() == d)
        Current->refreshes++;
}

TestDialog::TestDialog(PCFCommandDef *def, int x, int y) : list(def)
{
    frame = Frame(x, y);
    title = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 600, 20, frame, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    rows = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 20, 600, 240, frame, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    list.d()->window = frame;
    Current = this;
    ColFilterRefreshList = Refresh;
    FLTHOOKS h = {};
    FltInstallWindowHooks(&h);
}

TestDialog::~TestDialog()
{
    ColFilterFreeAll(list.d());
    DestroyWindow(frame);
    Current = nullptr;
    ColFilterRefreshList = nullptr;
    FltSetHooks(nullptr);
    Pump();
}

COLFANCHOR TestDialog::Anchor(int left, int width)
{
    COLFANCHOR a = { rows, title, { left, 0, left + width, 20 } };
    return a;
}

std::string WindowText(HWND hwnd)
{
    char text[2000] = "";
    if (hwnd)
        GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

HWND Control(DialogWords *d, int id)
{
    COLFSTATE *st = ColFilterState(d, 0);
    for (COLFCTL *c = st && st->controls ? st->controls : nullptr; c && c->layoutRow; c++)
        if (c->id == id && c->window)
            return (HWND)c->window;
    return nullptr;
}

int Checked(DialogWords *d, int id)
{
    HWND w = Control(d, id);
    return w && SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND button)
{
    SendMessageA(button, BM_CLICK, 0, 0);
    Pump();
}

void Picture(HWND hwnd, const char *name)
{
    Pump();
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    EXPECT_TRUE(GalleryShot(hwnd, name, true)) << name;
}

}  // namespace fltwtest
