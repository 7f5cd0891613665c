/* The command engine's hook table (the windows as the engine sees them)
 * with the calls that use it, and the engine's part of the dialogs
 * library's hooks. */
#include "cmdint.h"
#include "../mqsc/mqsc.h"

#include "cs.h"
#include "locstore.h"

static CMDHOOKS Hooks;

void CmdSetHooks(const CMDHOOKS *hooks)
{
    if (hooks)
        Hooks = *hooks;
    else
        memset(&Hooks, 0, sizeof Hooks);
}

const CMDHOOKS *CmdHooks(void)
{
    return &Hooks;
}

void CmdStatus(DialogWords *d, const char *text, QMS *location, uint32_t kind, int show)
{
    if (Hooks.status)
        Hooks.status(Hooks.context, d, text ? text : "", location, kind, show);
}

void CmdTitle(DialogWords *d, const char *suffix)
{
    if (d && Hooks.title)
        Hooks.title(Hooks.context, d, suffix);
}

void CmdSetMenu(DialogWords *d)
{
    if (d && Hooks.setMenu)
        Hooks.setMenu(Hooks.context, d);
}

void CmdViewCommand(DialogWords *d, int32_t command)
{
    if (d && Hooks.viewCommand)
        Hooks.viewCommand(Hooks.context, d, command);
}

/* Without a hook the dialogs library's post carries it (a send too). */
int CmdDialogMessage(DialogWords *d, uint32_t message, uintptr_t wParam, intptr_t lParam, int send)
{
    if (!d)
        return 0;
    if (Hooks.dialogMessage)
        return Hooks.dialogMessage(Hooks.context, d, message, wParam, lParam, send);
    const PCFHOOKS *h = PCFHooks();
    return d->window && h->post ? h->post(h->context, d->window, message, wParam, lParam) : 0;
}

void CmdFrameMessage(uint32_t message, uintptr_t wParam, QMS *location)
{
    if (Hooks.frameMessage)
        Hooks.frameMessage(Hooks.context, message, wParam, location);
    else
        MQEPostFrame(nullptr, message, wParam, location, 0);
}

/* A question no window can put is not agreed to: the action stops, and
 * nothing is changed or lost. */
int CmdConfirm(DialogWords *d, uint32_t style, const char *text, const char *name, uint32_t *options,
               uint32_t bit)
{
    if (!Hooks.confirm)
        return 0;
    return Hooks.confirm(Hooks.context, d, style, text, name, options, bit);
}

int CmdBox(DialogWords *d, const char *text, const char *caption, int yesNo)
{
    if (!Hooks.box)
        return 0;
    return Hooks.box(Hooks.context, d, text, caption, yesNo);
}

int CmdPostRequest(QMS *location, const SELECTIONINFO *selection, uint32_t flags, const uint8_t *key,
                   void *block, uint32_t length)
{
    if (Hooks.postRequest)
        return Hooks.postRequest(location, selection, flags, nullptr, key, block, length);
    return PostThreadRequest(location, selection, flags, nullptr, key, block, length);
}

/* The message editor: its hooks, else the engine's calls of the editor. */
int CmdKeepEdits(DialogWords *d)
{
    if (Hooks.discardEdits)
        return Hooks.discardEdits(Hooks.context, d);
    return MQEHooks.confirmDiscard ? MQEHooks.confirmDiscard(d) : 0;
}

void CmdMessageFormat(DialogWords *d)
{
    if (Hooks.messageFormat)
        Hooks.messageFormat(Hooks.context, d);
    else if (MQEHooks.setMessageFormat)
        MQEHooks.setMessageFormat(d);
}

void CmdGenericFormat(DialogWords *d, const char *format)
{
    if (Hooks.genericFormat)
        Hooks.genericFormat(Hooks.context, d, format);
    else if (MQEHooks.setGenericFormat)
        MQEHooks.setGenericFormat(d, format, 0, 0);
}

void CmdFormatName(DialogWords *d)
{
    if (Hooks.formatName)
        Hooks.formatName(Hooks.context, d);
    else if (MQEHooks.setFormatName)
        MQEHooks.setFormatName(d);
}

int CmdEditedMessage(DialogWords *d, CMDMESSAGE *out)
{
    memset(out, 0, sizeof *out);
    return d && Hooks.editedMessage ? Hooks.editedMessage(Hooks.context, d, out) : 0;
}

int64_t CmdNow(void)
{
    return LocNow();
}

void CmdCopy(char *out, const char *text, size_t size)
{
    UTStrCopy(out, text ? text : "", size);
}

void CmdTakeString(char *out, size_t size, const void *value, int32_t length)
{
    if (!size)
        return;
    if (!value || length < 0)
        length = 0;
    int32_t n = UTTrimZeroLength(value, length);
    while (n > 0 && ((const char *)value)[n - 1] == ' ')
        n = UTTrimZeroLength(value, n - 1);
    if ((size_t)n >= size)
        n = (int32_t)size - 1;
    if (n > 0)
        memcpy(out, value, (size_t)n);
    out[n > 0 ? n : 0] = 0;
}

/* ---- the dialogs library's hooks ---- */

static int DoCommandHook(void *, DialogWords *d, uint32_t actionId, PCFLISTREQ *entry, void *)
{
    return PCFDoCommand(d, 0, 0, actionId, nullptr, nullptr, entry, entry ? entry->location : nullptr, 0, 0,
                        nullptr, nullptr, nullptr);
}

static int SendToAllHook(void *, DialogWords *d, uint32_t actionId)
{
    return SendToAllInGroup(d, 0, actionId, nullptr, nullptr, 0);
}

static int LevelQueryHook(void *, QMS *location)
{
    return SendQmgrInquiry(location, 0);
}

static int DropCommandsHook(void *, DialogWords *d)
{
    int busy = IfcmdDropDialog(d);
    if (!busy)
        MQSCConsoleFree(d);                   /* its reply lines go with it */
    return busy;
}

void CmdDialogHooks(PCFHOOKS *h)
{
    h->doCommand = DoCommandHook;
    h->sendToAll = SendToAllHook;
    h->levelQuery = LevelQueryHook;
    h->dropCommands = DropCommandsHook;
}
