/* The table of handlers through which the shell starts the work of the
 * other parts: filled with every part that is built, the rest left empty
 * (their commands grey, their steps do nothing). */
#include "shellwork.h"

#include <cstddef>

#include "debugwin.h"
#include "edpane.h"
#include "impwnd.h"
#include "pcfwin.h"              /* before locdlgwin.h: its UM_INITDLG is a macro */
#include "locdlgwin.h"
#include "loccache.h"
#include "command.h"
#include "mqengine.h"
#include "progress.h"
#include "prefwin.h"
#include "pwcreds.h"
#include "pwcwin.h"
#include "colours.h"
#include "colourwin.h"
#include "cs.h"
#include "fltwin.h"
#include "pwcache.h"
#include "splash.h"
#include "userfmt.h"
#include "version.h"

static SHELLWORK defaults(void);
SHELLWORK ShellWork = defaults();

static HWND add_location(HWND owner, QMS *copyFrom) { return RtabOpen(owner, nullptr, copyFrom); }
static HWND open_location(HWND owner, QMS *location) { return RtabOpen(owner, location, nullptr); }
static HWND import_local_open(void *list) { return ImportLocalOpenDialog((IMPORTLIST *)list); }
static void version_result(HWND window, void *result) { VerCheckResult(window, (TK47VERSION *)result); }
static int load_formats(HWND owner, uint32_t flags) { return UFLoadFormats(owner, (int)flags); }
static int request_refresh(QMS *location, uint32_t bits, const char *prefix, int force)
{
    return MQEHooks.requestRefresh(location, bits, prefix, force);
}
uint32_t ShellRefreshBits(int32_t kind)
{
    return RefreshKindBits(kind, nullptr);
}
static_assert((uint32_t)REFRESH_QMGR == (uint32_t)RK_QMGR, "the engine's queue-manager bit");

static void colour_dialog(HWND owner) { PCFColourDialog(owner); }
static void filter_manager(void) { FltOpenDialog(nullptr); }
static int error_counts(int32_t *seen, int32_t *inError)
{
    *seen = LocCounts.seen;
    *inError = LocCounts.inError;
    return LocCounts.inError;
}
void ShellCheckDialogs(void);

void ShellCacheNews(void *)
{
    if (HWND p = PrefWindow())
        PostMessageA(p, UM_PREF_CACHE, 0, 0);
}

/* 11354: the credentials a waiting worker asks for; the block is ours. */
static void get_credentials(QMS *location, void *request)
{
    CREDREQUEST *rq = (CREDREQUEST *)request;
    PWCGetCredentials(location, (int)rq->needUser, (int)rq->needKdb);
    CSFreeMem(rq);
}
/* The message pane's editor: its menu state from the dialog's browse
 * bits, and the question before its edits are dropped. */
static uint32_t editor_state(DialogWords *pane)
{
    int bits = PCFEditorBrowseBits(pane);
    if (bits < 0)
        return 0;
    uint32_t state = ED_ACTIVE;
    state |= (bits & 0x1) ? ED_UNDO : 0;
    state |= (bits & 0x2) ? ED_REDO : 0;
    state |= (bits & 0x8) ? ED_SELECTION : 0;
    state |= pane->repeatMessage ? ED_REPEAT : 0;
    return state;
}

/* The transfer windows (xferwork.cpp). */
void ShellPutDialog(QMS *location, int flags);
void ShellPublishDialog(QMS *location, void *topic, int flags);
void ShellDraskDialog(QMS *location, int flags);

/* The handlers of every part that is built. */
static SHELLWORK defaults(void)
{
    SHELLWORK w = {};
    w.addLocation = add_location;
    w.openLocation = open_location;
    w.changeLocations = MultiChgOpen;
    w.importCcdt = ImportCCDTDialog;
    w.importLocal = ImportLocalQMgrs;
    w.importExplorer = ImportMQExplorerDialog;
    w.importConfig = ImportConfigDialog;
    w.importLocalOpen = import_local_open;
    w.importMaster = ImportMasterConfig;
    w.preferences = PrefDialog;
    w.colourDialog = colour_dialog;
    w.repaintAllWindows = RepaintAllWindows;
    w.filterManager = filter_manager;
    w.filterRefresh = FltRefreshDialog;
    w.colFilterDeferred = ColFilterDeferred;
    w.colFilterFollow = ColFilterFollow;
    w.colFilterPlace = ColFilterPlace;
    w.cachePassword = PWCSetPassword;
    w.timerTick = LocTimerTick;
    w.freeCache = LocFreeCache;
    w.errorCounts = error_counts;
    w.checkResponses = ShellCheckDialogs;
    w.versionCheck = VerCheckRequest;
    w.versionResult = version_result;
    w.debugWindow = DebugStart;
    w.splashFile = SplashShowFile;
    w.splashShow = SplashShow;
    w.loadFormats = load_formats;
    w.getCredentials = get_credentials;
    w.saveCredentials = PWCSaveCredentials;
    w.forgetCredentials = PWCDeleteCredentials;
    w.progressUpdate = ProgUpdateAll;
    w.requestRefresh = request_refresh;
    w.refreshList[1] = LocRefreshQueueInfo;
    w.putDialog = ShellPutDialog;
    w.publishDialog = ShellPublishDialog;
    w.loadUnloadDialog = ShellDraskDialog;
    w.editorCommand = PCFEditorCommand;
    w.editorState = editor_state;
    w.confirmDiscard = ConfirmDiscardEdits;
    return w;
}

void ShellWorkDefaults(void)
{
    ShellWork = defaults();
}

/* The handler each menu command needs. */
struct SERVED {
    int32_t id;
    size_t offset;
};
#define ENTRY(field) offsetof(SHELLWORK, field)
static const SERVED served[] = {
    { IDM_ADD_LOCATION, ENTRY(addLocation) }, { IDM_COPY_LOCATION, ENTRY(addLocation) },
    { IDM_OPEN_LOCATION, ENTRY(openLocation) },
    { IDM_CHANGE_LOCATIONS, ENTRY(changeLocations) }, { IDM_IMPORT_CCDT, ENTRY(importCcdt) },
    { IDM_IMPORT_LOCAL, ENTRY(importLocal) }, { IDM_IMPORT_EXPLORER, ENTRY(importExplorer) },
    { IDM_IMPORT_CONFIG, ENTRY(importConfig) }, { IDM_PREFERENCES, ENTRY(preferences) },
    { IDM_COLOURS, ENTRY(colourDialog) }, { IDM_FILTERS, ENTRY(filterManager) },
    { IDM_PUT_MESSAGE, ENTRY(putDialog) }, { IDM_PUBLISH, ENTRY(publishDialog) },
    { IDM_LOAD_UNLOAD, ENTRY(loadUnloadDialog) }, { IDM_UNDO, ENTRY(editorCommand) },
    { IDM_REDO, ENTRY(editorCommand) }, { IDM_COPY, ENTRY(editorCommand) },
    { IDM_CUT, ENTRY(editorCommand) }, { IDM_PASTE, ENTRY(editorCommand) },
    { IDM_PASTE_ALL, ENTRY(editorCommand) }, { IDM_FIND, ENTRY(editorCommand) },
    { IDM_FIND_NEXT, ENTRY(editorCommand) }, { IDM_FIND_PREVIOUS, ENTRY(editorCommand) },
    { IDM_GOTO_PARTNER, ENTRY(editorCommand) }, { IDM_SELECT_ALL, ENTRY(editorCommand) },
    { IDM_CHECK_VERSION, ENTRY(versionCheck) }, { IDM_DEBUG_WINDOW, ENTRY(debugWindow) },
    { IDM_REFRESH, ENTRY(requestRefresh) },
};

int ShellCommandServed(int32_t id)
{
    for (const SERVED &s : served)
        if (s.id == id)
            return *(void **)((char *)&ShellWork + s.offset) != nullptr;
    return 1;
}

int ShellMissingCommands(int32_t *ids, int max)
{
    int n = 0;
    for (const SERVED &s : served)
        if (n < max && !ShellCommandServed(s.id))
            ids[n++] = s.id;
    return n;
}
