/* The hooks that bind a lower library to a higher one and need nothing of
 * the shell (in the Windows build also those between window libraries):
 * installed once by WireLibraries(), which the program calls at start-up
 * (ShellInstallHooks) and tests call to run with the program's wiring. */
#include "wirelibs.h"

#include "command.h"
#include "mqengine.h"
#include "cfgfile.h"
#include "cmddlg.h"
#include "dlginfo.h"
#include "colfilter.h"
#include "debugwin.h"
#include "drask.h"
#include "edpane.h"
#include "export.h"
#include "filters.h"
#include "locimport.h"
#include "loccache.h"
#include "locstore.h"
#include "pcflists.h"
#include "userfmt.h"
#include "version.h"
#include "mqi.h"

#include <cstring>
#ifdef _WIN32
#include "edwnd.h"
#include "pcfwin.h"
#endif

/* ---- the configuration's records read below it ------------------------ */

static void free_client_data(void *, QMS *location)
{
    CfgFreeClientSettings(location);
}

static void free_dialogs(void *, CSTREE **tree)
{
    DlgInfoFreeTree(tree);
}

static void wire_records(void)
{
    LOCRELEASEHOOKS r = {};
    r.freeClientData = free_client_data;
    r.freeDialogs = free_dialogs;
    LocSetReleaseHooks(&r);
}

/* ---- the engine, the dialogs' core and what they reach above them ---- */

/* What the engine reaches above it: the version check's follow-up and the
 * debug dump (the shell's windows: the native build has neither, and the
 * engine goes without), the import of the local queue managers, loads and
 * unloads (the transfer), the configuration file, the message editor of a
 * dialog and the MQSC console's automatic export. */
static void wire_engine(void)
{
    MQEHOOKS h = MQEHooks;
#ifdef _WIN32
    h.verCheckRun = VerCheckRun;
    h.debugDump = DebugDumpMessage;
#endif
    h.importLocal = ImportLocalQMgrs;
    h.loadUnload = LoadUnloadQueue;
    h.writeConfig = CfgFileWrite;
    h.confirmDiscard = ConfirmDiscardEdits;
    h.setFormatName = EdSetFormatName;
    h.setMessageFormat = EdSetMessageFormat;
    h.setGenericFormat = EdSetGenericFormat;
    h.autoExport = ExpAutoExport;
    MQESetHooks(&h);
}

/* What the filters and the message editor keep in a dialog. */
static void bind_filter(void *, DialogWords *d)
{
    PCFEvalBindContext(d);
}

static void free_filter(void *, DialogWords *d)
{
    PCFEvalFreeContext(d);
    PCFFilterFree(d);
}

static void free_column_filters(void *, DialogWords *d)
{
    ColFilterFreeAll(d);
}

static void free_editor(void *, DialogWords *d)
{
    PCFEditorFree(d);
}

/* The default objects a location's download kept (the command engine's). */
static const uint8_t *kept_default(void *, QMS *r, const DOWNLOADROW *row, int32_t type, int index)
{
    return CmdKeptDefault(r, row, type, index);
}

/* A message list row's summary column (10034): the summary of its
 * message's data by its format, for the dialog's queue and location. */
static int message_summary(void *, DialogWords *d, QMS *r, const PCFMSGINFO *info,
                           const uint8_t *data, uint32_t length, char *text, uint32_t room,
                           uint32_t *textLength)
{
    /* a text field's value is the record's own text, not the buffer */
    char buffer[MQ_Q_NAME_LENGTH + 1] = "";
    const char *queue = d ? PCFGetValueText(d, MQCA_Q_NAME, buffer, sizeof buffer) : nullptr;
    if (!queue)
        queue = "";
    size_t n = strnlen(queue, MQ_Q_NAME_LENGTH);
    while (n && queue[n - 1] == ' ')
        n--;
    MSGSUMCTX ctx = { queue, (uint32_t)n, r ? r->qmName : "", 0, 0, room };
    MSGRECORD msg = { length, data };
    unsigned char value[4 + 1024];
    if (room > sizeof value - 4 || !MessageSummaryFor(&ctx, info->encoding, info->ccsid, info->format, &msg, value))
        return 0;
    uint16_t got;
    memcpy(&got, value + 2, 2);
    *textLength = got < room ? got : room;
    memcpy(text, value + 4, *textLength);
    return 1;
}

/* The topic string of a topic object the location caches (its cached
 * list of 48-character names with one text each), for the subscription
 * replies of queue managers below command level 800: the list code takes
 * it off the front of a subscription's topic string.  The value kept in
 * the dialog is the cached entry.  Reply processing calls this on worker
 * threads: the caches are read under their lock. */
enum { TOPIC_KIND = 6 };

static int find_topic(void *, QMS *r, const char *name, char *topicString, int size, uint64_t *value)
{
    char key[QMS_NAME + 1] = "";
    strncpy(key, name, QMS_NAME);
    int found = 0;
    CSLockGlobal(CSLOCK_OBJECTS);
    const LOCCACHES *c = r && size > 0 ? (const LOCCACHES *)r->objectCaches : nullptr;
    const LOCOBJ *o = c ? (const LOCOBJ *)CSTreeFind(c->lists[TOPIC_KIND], key, QMS_NAME) : nullptr;
    if (o && !(o->flags & LOCOBJ_STALE) && o->shared) {
        snprintf(topicString, (size_t)size, "%s", o->shared);
        *value = (uint64_t)(uintptr_t)o;
        found = 1;
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return found;
}

/* A list dialog's filter compiled anew before its default action. */
static void new_filter(void *, DialogWords *d)
{
    PCFNewFilter(d, 0);
}

/* The dialogs' core: the list fill's filters and message summaries, the
 * parts freed with a dialog and the downloaded defaults; and the user
 * formats' view of the message editor's panes. */
static void wire_dialogs(void)
{
    PCFHOOKS hooks = *PCFHooks();
    hooks.messageSummary = message_summary;
    hooks.newFilter = new_filter;
    hooks.findTopic = find_topic;      /* subscriptions' topic strings (old levels) */
    PCFSetHooks(&hooks);
    PCFSetListFilter(&PCFFilterListHooks);
    PCFPARTHOOKS parts = {};
    parts.bindFilter = bind_filter;
    parts.freeFilter = free_filter;
    parts.freeColumnFilters = free_column_filters;
    parts.freeEditor = free_editor;
    PCFSetPartHooks(&parts);
    PCFDOWNLOADSTORE store = {};
    store.kept = kept_default;
    PCFSetDownloadStore(&store);
    EdUseUserFormats();                /* the user formats read the editor's panes */
}

#ifdef _WIN32
/* The message editor pane of a message dialog (the pane's window code). */
static int pane_class(void *, HINSTANCE instance)
{
    return EdRegisterPaneClass(instance);
}

static HWND pane_window(void *, DialogWords *d, HWND parent, PCFDATA *ed)
{
    return EdCreatePaneWindow(d, parent, ed);
}

static int pane_command(void *, DialogWords *d, int32_t command)
{
    return EdDialogCommand(d, command);
}

static void pane_copy(void *, DialogWords *d, int32_t menuId)
{
    ViewCopyToClipboard(d, menuId);
}

static void pane_struct_menus(void *, DialogWords *d, HMENU bar)
{
    StructShowMenus(d, bar);
}

/* The dialogs' windows: the message editor pane, and the editor's hosts
 * in the pane's window code. */
static void wire_dialog_windows(void)
{
    EdUsePaneHost();
    EdUseSystemClipboard();
    EdUseSelectionBox();
    EdUseFindDialog();
    PCFPANEHOOKS pane = {};
    pane.registerClass = pane_class;
    pane.createWindow = pane_window;
    pane.command = pane_command;
    pane.copyView = pane_copy;
    pane.structMenus = pane_struct_menus;
    PCFSetPaneHooks(&pane);
}
#endif

void WireLibraries(void)
{
    wire_records();
    wire_engine();
    wire_dialogs();
#ifdef _WIN32
    wire_dialog_windows();
#endif
}
