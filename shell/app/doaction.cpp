/* Location commands and the opening of object windows: the frames' menu
 * commands on the selected location, and the commands the command dialogs
 * hand to the shell, behind the authorities' gates. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"

#include <cstring>
#include <initializer_list>

#include "cmddlg.h"
#include "cs.h"
#include "locstore.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "savedlg.h"
#include "tkwin.h"

/* The window table: command, the definition it opens, the authority it
 * needs. */
static const struct {
    int32_t id;
    PCFCommandDef *definition;
    uint64_t mask;
} windowTable[] = {
    { IDM_QUEUE, &PCFQueueDef, 0x1000000000ull },
    { IDM_QUEUE_LIST, &PCFQueueListDef, 0x1000000000ull },
    { IDM_MESSAGE_DETAIL, &PCFMessageDetailDef, 0x1 },
    { IDM_MESSAGE_LIST, &PCFMessageListDef, 0x1 },
    { IDM_MESSAGE, &PCFMessageDef, 0x1 },
    { IDM_QMGR, &PCFQueueManagerDef, 0x1000000000000000ull },
    { IDM_COMMAND_LEVEL, &PCFCommandLevelDef, 0x1000000000000000ull },
    { IDM_MQSC, &PCFMqscConsoleDef, 0x1000000000000000ull },
};

static int marked(const QMS *r)
{
    return (r->flags & (LF_NC | LF_FGN)) != 0;
}

static void error_sound(void)
{
    WinPlaySound(Prf.wsnd[0] ? Prf.wsnd : "beep", 0, 0);
}

struct FINDOPEN {
    const PCFCommandDef *definition;
    QMS *location;
    DialogWords *found;
};

static int find_open(DialogWords *d, void *ctx)
{
    FINDOPEN *f = (FINDOPEN *)ctx;
    if (d->definition != f->definition || d->first.location != f->location || d->ownerSlot)
        return 0;
    f->found = d;
    return 1;
}

/* An open dialog of a definition for a location: not closing, not a
 * frame's pane. */
static DialogWords *FindOpenDialog(const PCFCommandDef *definition, QMS *location)
{
    FINDOPEN f = { definition, location, nullptr };
    PCFForEachDialog(find_open, &f);
    return f.found;
}

static DialogWords *open_definition(QMS *r, PCFCommandDef *definition);

static DialogWords *open_window(QMS *r, int32_t id)
{
    if (id == IDM_QMGR_AGAIN)
        id = IDM_QMGR;
    for (const auto &row : windowTable) {
        if (row.id != id)
            continue;
        uint64_t have = r ? r->authMask : AutTotals;
        if (!LocMaskMatch(have, row.mask))
            return nullptr;
        return open_definition(r, row.definition);
    }
    return nullptr;
}

/* A list definition of the object menu's "Default Lists" by its menu id. */
static PCFCommandDef *menu_definition(int32_t id)
{
    for (PCFCommandDef *const *table : { PCFCommandDefs, PCFInternalDefs })
        for (int i = 0; id > 0 && table[i]; i++)
            if (table[i]->list && table[i]->menuId == (uint32_t)id)
                return table[i];
    return nullptr;
}

int ShellMenuDefinition(int32_t id)
{
    return menu_definition(id) != nullptr;
}

/* A dialog of a definition for a location: the open one brought forward
 * (Shift turns the preference round), else a new one. */
static DialogWords *open_definition(QMS *r, PCFCommandDef *definition)
{
    DialogWords *open = FindOpenDialog(definition, r);
    int shift = GetKeyState(VK_SHIFT) < 0;
    int reuse = (Prf.opt1 & 0x40000) != 0;
    if (open && (reuse ? !shift : shift)) {
        ActivateWindow(PCFWnd(open->window));
        return open;
    }
    DialogWords t;
    memset(&t, 0, sizeof t);
    t.definition = definition;
    t.first.location = r;
    /* a list of objects asks for its rows at once; a message list waits
       until it is given its queue */
    if (definition->list && definition != &PCFMessageListDef)
        t.stateFlags |= DF_REFRESH_ASKED;
    return PCFCommandDialog(nullptr, nullptr, &t, nullptr);
}

static void refresh(HWND window, QMS *r)
{
    if (marked(r)) {
        error_sound();
        return;
    }
    FrameWords *f = FrameOf(UtilTopLevelParent(window));
    if (f)
        CheckQueuePrefix(f, 1);
    if (ShellWork.requestRefresh)
        ShellWork.requestRefresh(r, ShellRefreshBits(REFRESH_KIND_ALL), f ? f->prefixText : "*", 1);
}

static void mark_all(QMS *r, void *)
{
    LocMarkChanged(r);
}

static void delete_location(HWND window, QMS *r)
{
    if ((Prf.co & 0x80000000u) &&
        !ShellConfirm(window, 0, "delete location", ShellLocationName(r), nullptr, 0))
        return;
    LocDelete(&LocTree, r, nullptr);
}

DialogWords *DoAction(HWND window, QMS *r, void *, int32_t id)
{
    if (!AutMenuAllowed(id))
        return nullptr;
    if (id == IDM_QMGR_OTHER)
        id = IDM_QMGR_AGAIN;
    NoteCommandUse(id, (int32_t)CSGetCurrentTime());
    static const int32_t needLocation[] = { IDM_REFRESH, IDM_DISCONNECT, IDM_MARK_CHANGED,
                                          IDM_COPY_LOCATION, IDM_OPEN_LOCATION,
                                          IDM_DELETE_LOCATION, IDM_ERROR_LOG, IDM_INI_FILE };
    for (int32_t n : needLocation)
        if (n == id && !r)
            return nullptr;
    switch (id) {
    case IDM_REFRESH: refresh(window, r); return nullptr;
    case IDM_DISCONNECT:
        r->state |= LST_SUSPENDED;
        EndPutThread(r, 0);
        return nullptr;
    case IDM_PUT_MESSAGE: if (ShellWork.putDialog && r) ShellWork.putDialog(r, 0); return nullptr;
    case IDM_PUBLISH:
        if (ShellWork.publishDialog && r)
            ShellWork.publishDialog(r, nullptr, 0);
        return nullptr;
    case IDM_LOAD_UNLOAD:
        if (ShellWork.loadUnloadDialog && r)
            ShellWork.loadUnloadDialog(r, 0);
        return nullptr;
    case IDM_MARK_CHANGED: if (r) LocMarkChanged(r); return nullptr;
    case IDM_MARK_ALL: LocForEach(LocTree, mark_all, nullptr); return nullptr;
    case IDM_COPY_LOCATION:
        if (ShellWork.addLocation)
            ShellWork.addLocation(window, r);
        return nullptr;
    case IDM_OPEN_LOCATION:
        if (ShellWork.openLocation)
            ShellWork.openLocation(window, r);
        return nullptr;
    case IDM_DELETE_LOCATION: delete_location(window, r); return nullptr;
    case IDM_ERROR_LOG: ShowMQErrorLog(r); return nullptr;
    case IDM_INI_FILE: ShowMQIniFile(r); return nullptr;
    case IDM_QUEUE: case IDM_QUEUE_LIST: case IDM_QMGR: case IDM_COMMAND_LEVEL:
    case IDM_QMGR_AGAIN: case IDM_MQSC:
        if (r && marked(r)) {
            error_sound();
            return nullptr;
        }
        return open_window(r, id);
    case IDM_MESSAGE_DETAIL: case IDM_MESSAGE_LIST: case IDM_MESSAGE:
        return open_window(r, id);
    }
    if (PCFCommandDef *listDef = menu_definition(id)) {
        if (r && marked(r)) {
            error_sound();
            return nullptr;
        }
        return open_definition(r, listDef);
    }
    return nullptr;
}

/* ---- saved dialogs ---- */

/* A saved dialog opened again (11348, a start), or its open window
 * brought forward (11349, a switch; one that is not open is opened).
 * The dialog takes its place, options, filter and object from the record
 * and asks for the queue manager when the record says "<Prompt>". */
void OpenSavedDialog(int32_t id, int switchTo)
{
    SAVEDDIALOG *s = SavedDialogFind(id);
    if (!s)
        return;
    DialogWords *open = (DialogWords *)s->openDialog;
    if (switchTo && open && open->window) {
        ActivateWindow(PCFWnd(open->window));
        return;
    }
    PCFCommandDef *definition = (PCFCommandDef *)DlgTypeValue3(s->type);
    if (!definition)
        return;
    DialogWords t;
    memset(&t, 0, sizeof t);
    t.definition = definition;
    t.saved = s;
    if (!PCFCommandDialog(nullptr, Shell.mainWindow, &t, nullptr))
        error_sound();
}

/* Start-up: the saved dialogs marked to start by themselves. */
void StartSavedDialogs(void)
{
    for (CSTREE *e = CSTreeFirst(SavedDialogs); e; e = e->next)
        if (((SAVEDDIALOG *)e)->autoStart == 1)
            OpenSavedDialog(((SAVEDDIALOG *)e)->id, 0);
}
