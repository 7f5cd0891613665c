/* The program's Message dialog as the pane's test host (edhost.h). */
#include "edhost.h"
#include "tkharness.h"
#include "tktoolbar.h"
#include "csmem.h"
#include "pcfwin.h"
#include "mq/capability.h"
#include "locstore.h"
#include "wirelibs.h"
#include <cstdio>
#include <cstdlib>

/* The dialog lays itself out; its client is resized to the asked size. */
static void Resize(EdHostDialog *h, int width, int height)
{
    RECT r = { 0, 0, width, height };
    AdjustWindowRectEx(&r, (DWORD)GetWindowLongA(h->window, GWL_STYLE), GetMenu(h->window) != NULL,
                       (DWORD)GetWindowLongA(h->window, GWL_EXSTYLE));
    SetWindowPos(h->window, NULL, 20, 20, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
}

bool EdHostDialog::Create(int width, int height, const char *title)
{
    (void)title;
    WireLibraries();                 /* the dialog's pane is the program's */
    HINSTANCE inst = GetModuleHandleA(NULL);
    RegisterControlClasses(inst);
    if (!PCFRegisterClasses())
        return false;
    PCFInitCommandDefs();
    LocGlobals.uiThread = GetCurrentThreadId();
    qms = (QMS *)calloc(1, sizeof(QMS));
    InitLocationDefaults(qms);
    snprintf(qms->qmName, sizeof qms->qmName, "QM1");
    qms->ccsid = qms->ccsidQm = 850;
    qms->encoding = 546;
    qms->platform = 11;                          /* Windows */
    qms->commandLevel = 940;
    qms->authMask = ~0ull;
    CapSetForQmgr(qms->caps, qms->platform, qms->commandLevel);
    qms->downloadState = 0x100000000ull;      /* the command level is known: no level query */
    DialogWords t = {};
    t.definition = &PCFMessageDef;
    t.first.location = qms;
    t.stateFlags = DF_SHOW_BUTTONS;
    d = PCFCommandDialog(nullptr, nullptr, &t, nullptr);
    if (!d)
        return false;
    window = PCFWnd(d->window);
    pane = PCFWnd(d->dataWindow);
    status = PCFWnd(d->statusWindow);
    count = PCFWnd(d->countWindow);
    toolbar = PCFWnd(d->toolbar);
    menu = (HMENU)d->menu;
    ed = d->editor;
    if (!pane || !ed)
        return false;
    lineGap = d->lineGap;
    viewOptions = d->viewOptions;
    int n;
    const ACCEL *a = EdViewAccelerators(&n);
    accelerators = CreateAcceleratorTableA((ACCEL *)a, n);
    ShowWindow(window, SW_SHOW);
    PumpWith(this);
    Resize(this, width, height);
    UpdateWindow(window);
    /* the test's own message in the message's own queue */
    uint8_t *q = EdDialogValue(d, ATTR_QUEUE_NAME);
    PCFFieldEntry *e = PCFFindField(d, PCFDialogCaps(d), PCFMessageDef.fields, ATTR_QUEUE_NAME);
    char message[200];
    if (q && e)
        PCFStoreText(&PCFMessageDef, d->dataArea, e, "APP.QUEUE", -1, message, sizeof message);
    d->viewWords[0] = 3 | VW_FORMATTED | VW_SHOW_MD;
    SetFocus(pane);
    PumpWith(this);
    return true;
}

void EdHostDialog::Destroy()
{
    if (window) {
        SetWindowPos(window, NULL, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                     SWP_NOACTIVATE);
        SendMessageA(window, WM_CLOSE, 0, 0);
    }
    window = pane = nullptr;
    d = nullptr;
    ed = nullptr;
    if (accelerators)
        DestroyAcceleratorTable(accelerators);
    accelerators = nullptr;
    Pump();
    free(qms);
    qms = nullptr;
}

void EdHostDialog::Load(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    Fill(md, body);
    PostMessageA(pane, UM_PCF_UPDATE_DIALOG, 0, 1);
    PumpWith(this);
}

void EdHostDialog::Fill(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    FillMessageRecords(EdDialogValue(d, ATTR_MSGDESCRIPTOR), EdDialogValue(d, ATTR_FULLMESSAGE), md, body);
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
    DialogWords &d = *host.d;
    d.viewWords[0] = 3 | VW_FORMATTED | VW_SHOW_MD;
    d.viewWords[1] = 0;
    d.bodyKind = BK_AUTO;
    d.viewSwitches[0] = 0;
    d.viewSwitches[1] = 1;
    d.statusFlags &= ~DS_TRUNCATED;
    d.markFlags &= ~DM_CONVERTED;
    d.viewOptions = host.viewOptions;
    d.lineGap = host.lineGap;
    d.captionText[0] = 0;
    host.ed->anchor.column = ED_UNSET;
    host.ed->highlight[0] = 0;
    host.ed->typing = host.ed->deferred = 0;
    host.ed->capturing = 0;
    edDebugSwitch = 0;
    RECT r;                                         /* the dialog lays its panes out again */
    GetClientRect(host.window, &r);
    SendMessageA(host.window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right, r.bottom));
    SetForegroundWindow(host.window);               /* a window of another test may have been made active */
    SetFocus(host.pane);
    ToggleViewOption(&d, &d.viewWords[0], &d.viewWords[1], 0);
    PumpWith(&host);
}
