/* The test message dialog (edhost.h). */
#include "edhost.h"
#include "tkharness.h"
#include "tktoolbar.h"
#include "csmem.h"
#include <cstdio>
#include <cstdlib>

static const char hostClass[] = "RavoltTestMessageDialog";

static EdHostDialog *HostOf(HWND hwnd) { return (EdHostDialog *)GetWindowLongPtrA(hwnd, GWLP_USERDATA); }

static void Layout(EdHostDialog *h)
{
    RECT r;
    GetClientRect(h->window, &r);
    int bar = h->toolbar ? TbGetHeight(h->toolbar) : 0;
    if (h->toolbar)
        MoveWindow(h->toolbar, 0, 0, r.right, bar, TRUE);
    MoveWindow(h->status, 0, r.bottom - 24, r.right - 120, 200, TRUE);
    MoveWindow(h->count, r.right - 120, r.bottom - 24, 120, 24, TRUE);
    MoveWindow(h->pane, 0, bar, r.right, r.bottom - bar - 24, TRUE);
}

static LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    EdHostDialog *h = HostOf(hwnd);
    switch (msg) {
    case WM_CREATE:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTA *)lp)->lpCreateParams);
        return 0;
    case WM_SIZE:
        if (h && h->pane)
            Layout(h);
        return 0;
    case WM_COMMAND:
        if (h && EdDialogCommand(&h->d, LOWORD(wp)))
            return 0;
        break;
    case UM_PCF_UPDATE_DIALOG:
        if (h && h->pane)
            SendMessageA(h->pane, UM_PCF_UPDATE_DIALOG, wp, lp);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* The view commands' menu and tool bar. */
static HMENU ViewMenu()
{
    static const struct { int id; const char *text; } items[] = {
        { 568, "&Hex\tCtrl+H" }, { 569, "&Formatted\tCtrl+Shift+H" }, { 570, "Level &1\tCtrl+1" },
        { 571, "Level &2\tCtrl+2" }, { 572, "Level &3\tCtrl+3" }, { 573, "&Descriptor\tCtrl+0" },
        { 609, "&Offsets" }, { 640, "&Character line" }, { 673, "Detect &XML" }, { 674, "XML &names" },
        { 737, "Dump c&haracters" }, { 775, "No &split" }, { 936, "&Entities" }, { 922, "&Automatic" },
        { 925, "&CSV" }, { 924, "F&IX" }, { 923, "&JSON" }, { 928, "&Text" }, { 929, "X&ML" },
        { 930, "&EDIFACT" }, { 926, "Return &separates" }, { 927, "Typing &aids" },
        { 670, "Copy &page" }, { 692, "Copy &all" }, { 813, "Copy &selection" },
    };
    HMENU bar = CreateMenu(), view = CreatePopupMenu();
    for (auto &i : items)
        AppendMenuA(view, MF_STRING, (UINT_PTR)i.id, i.text);
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)view, "&View");
    return bar;
}

static HWND ViewToolbar(HWND parent)
{
    static const int ids[] = { 568, 569, 573, 609, 640, 570, 571, 572 };
    ToolbarButton b[8] = {};
    for (int i = 0; i < 8; i++) {
        b[i].text = "View";
        b[i].id = ids[i];
        b[i].key = i + 1;
        b[i].flags = TBB_CHECK;
    }
    return TbCreate(parent, 0, 8, b);
}

bool EdHostDialog::Create(int width, int height, const char *title)
{
    HINSTANCE inst = GetModuleHandleA(NULL);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(inst, hostClass, &wc)) {
        wc.lpfnWndProc = HostProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursor(NULL, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = hostClass;
        RegisterClassA(&wc);
    }
    RegisterControlClasses(inst);
    if (!EdRegisterPaneClass(inst))
        return false;
    EdTestDialog(&d, &qms, &area);
    menu = ViewMenu();
    RECT r = { 0, 0, width, height };
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, TRUE);
    window = CreateWindowExA(0, hostClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                             r.right - r.left, r.bottom - r.top, NULL, menu, inst, this);
    if (!window)
        return false;
    d.window = window;
    d.menu = menu;
    toolbar = ViewToolbar(window);
    d.toolbar = toolbar;
    status = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_READONLY, 0, 0, 10, 10, window,
                             (HMENU)17, inst, nullptr);
    count = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window, (HMENU)32, inst,
                            nullptr);
    d.statusLine = status;
    d.countWindow = count;
    ed = EdCreatePane(&d);
    pane = EdCreatePaneWindow(&d, window, ed);
    if (!pane)
        return false;
    int n;
    const ACCEL *a = EdViewAccelerators(&n);
    accelerators = CreateAcceleratorTableA((ACCEL *)a, n);
    Layout(this);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetFocus(pane);
    PumpWith(this);
    return true;
}

void EdHostDialog::Destroy()
{
    if (window) {
        SetWindowPos(window, NULL, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                     SWP_NOACTIVATE);
        DestroyWindow(window);
    }
    window = pane = nullptr;
    if (accelerators)
        DestroyAcceleratorTable(accelerators);
    accelerators = nullptr;
    EdFreePane(ed);
    ed = nullptr;
    free(qms);
    qms = nullptr;
    Pump();
}

void EdHostDialog::Load(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    Fill(md, body);
    PostMessageA(window, UM_PCF_UPDATE_DIALOG, 0, 1);
    PumpWith(this);
}

void EdHostDialog::Fill(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    FillMessageArea(&area, &block, md, body);
}

void EdHostDialog::Command(int id)
{
    SendMessageA(window, WM_COMMAND, (WPARAM)id, 0);
    PumpWith(this);
}

void EdHostDialog::AccelKey(WPARAM vk, bool shift, bool control)
{
    BYTE ks[256];
    GetKeyboardState(ks);
    ks[VK_SHIFT] = shift ? 0x80 : 0;
    ks[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(ks);
    PostMessageA(pane, WM_KEYDOWN, vk, 1);
    PumpWith(this);
    ks[VK_SHIFT] = ks[VK_CONTROL] = 0;
    SetKeyboardState(ks);
}

std::string EdHostDialog::StatusText()
{
    char text[300] = "";
    GetWindowTextA(status, text, sizeof text);
    return text;
}

int EdHostDialog::RowY(int32_t line)
{
    return (line - ed->scroll.top) * ed->scroll.lineHeight + ed->scroll.lineHeight / 2;
}

int EdHostDialog::ColumnX(int32_t column)
{
    int cell = edHost.cellWidth(ed, 850);
    return column * cell + cell / 2;
}

void PumpWith(EdHostDialog *host)
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
        if (host && host->accelerators && host->window && TranslateAcceleratorA(host->window, host->accelerators, &m))
            continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

EdHostDialog &SharedHost(void)
{
    static EdHostDialog host;
    if (!host.window)
        host.Create();
    return host;
}

void ResetHost(EdHostDialog &host)
{
    DialogWords &d = host.d;
    d.viewWords[0] = 3 | VW_FORMATTED | VW_SHOW_MD;
    d.viewWords[1] = 0;
    d.bodyKind = BK_AUTO;
    d.viewSwitches[0] = 0;
    d.viewSwitches[1] = 1;
    d.status = 0;
    d.viewOptions = 0;
    d.lineSpacing = 0;
    d.titleTag[0] = 0;
    host.ed->anchor.column = ED_UNSET;
    host.ed->highlight[0] = 0;
    host.ed->typing = host.ed->deferred = 0;
    host.ed->capturing = 0;
    edDebugSwitch = 0;
    Layout(&host);
    SetFocus(host.pane);
    ToggleViewOption(&d, &d.viewWords[0], &d.viewWords[1], 0);
    PumpWith(&host);
}
