/* The command engine's window hooks for the command dialogs: status
 * lines and titles from any thread, menus, view commands, the messages
 * of a command's end to the dialog window, confirmations, message boxes
 * and operational errors.  The shell installs them (with its own frame
 * messages and the dialogs an action opens). */
#include "pcfwin.h"
#include "pcflistwin.h"
#include "filters.h"

#include "command.h"
#include "tkutil.h"

/* The toolkit's confirmation (confirm.h repeats the dialog messages of
 * cmddlg.h, so it is declared here). */
int WinConfirm(HWND owner, uint32_t nameChanged, const char *verb, const char *name, uint32_t *option,
               uint32_t mask);

static HWND Owner(const DialogWords *d)
{
    return d ? PCFWnd(d->window) : nullptr;
}

/* The engine's status kinds are the status line's flags: a notice or a
 * command's last answer (2) is a transient text that the timed check
 * clears; the engine arms the wait for an answer itself. */
static void Status(void *, DialogWords *d, const char *text, QMS *location, uint32_t kind, int show)
{
    if (show)
        PCFDialogStatusShow(d, text, location, kind);
    else
        PCFDialogStatus(d, text, location, kind);
}

static void Title(void *, DialogWords *d, const char *suffix)
{
    PCFDialogTitle(d, suffix);
}

static void SetMenu(void *, DialogWords *d)
{
    PCFSetMenu(d);
}

static void View(void *, DialogWords *d, int32_t command)
{
    if (PCFOnUiThread())
        PCFViewCommand(d, command);
}

static void Activate(void *, DialogWords *d)
{
    if (PCFOnUiThread() && d->currentLine != 0xFFFFFFFFu)
        ActivateField(d, (int32_t)d->currentLine, 0);
}

/* A send from a worker waits for the window, at most five seconds. */
static int Message(void *, DialogWords *d, uint32_t message, uintptr_t wp, intptr_t lp, int send)
{
    HWND w = Owner(d);
    if (!w || !IsWindow(w))
        return 0;
    if (!send)
        return PostMessageA(w, message, wp, lp) != 0;
    if (PCFOnUiThread())
        return (SendMessageA(w, message, wp, lp), 1);
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(w, message, wp, lp, SMTO_NORMAL, 5000, &result) != 0;
}

static int Confirm(void *, DialogWords *d, uint32_t style, const char *text, const char *name, uint32_t *options,
                   uint32_t bit)
{
    return WinConfirm(Owner(d), style, text, name, options, bit) == 1;
}

static int Box(void *, DialogWords *d, const char *text, const char *caption, int yesNo)
{
    UINT type = yesNo ? MB_YESNO | MB_ICONQUESTION : MB_OK | MB_ICONEXCLAMATION;
    return UtilMessageBox(Owner(d), text, caption, type) == IDYES;
}

static void PostError(void *, const char *text)
{
    UtilPostError(nullptr, 1, text);
}

static int NewFilter(void *, DialogWords *d)
{
    return PCFNewFilter(d, 0);
}

/* Queue Manager A or B changed, or a default action went out through one
 * of the dialog's queue managers: a pair shares its column list again and
 * the queue-manager list is drawn anew. */
static void QmListChanged(void *, DialogWords *d)
{
    if (PCFOnUiThread() && d->definition && (d->definition->flags & PCFD_PAIR))
        PCFCheckLists(d);
    if (d->qmList)
        InvalidateRect(PCFWnd(d->qmList), nullptr, FALSE);
}

void PCFEngineHooks(CMDHOOKS *h)
{
    h->status = Status;
    h->title = Title;
    h->setMenu = SetMenu;
    h->viewCommand = View;
    h->activateField = Activate;
    h->dialogMessage = Message;
    h->confirm = Confirm;
    h->box = Box;
    h->postError = PostError;
    h->newFilter = NewFilter;
    h->qmListChanged = QmListChanged;
    PCFEditorHooks(h);
}
