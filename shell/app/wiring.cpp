/* The shell's part in the other subsystems: every hook table that asks
 * for the main window, the frames' trees, threads, dialogs, modeless
 * windows, repaints or boxes is filled here once at start-up. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"
#include "wirelibs.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "agent.h"
#include "command.h"
#include "mqengine.h"
#include "xferwnd.h"
#include "cfgfile.h"
#include "cmdusage.h"
#include "cmddlg.h"
#include "cnt.h"
#include "colours.h"
#include "colourwin.h"
#include "csdate.h"
#include "dlgcolours.h"
#include "fltwin.h"
#include "confirm.h"
#include "cs.h"
#include "export.h"
#include "loccache.h"
#include "locimport.h"
#include "locdlg.h"
#include "locdlgwin.h"
#include "locstore.h"
#include "mq/capability.h"
#include "pcflistwin.h"
#include "pcfwin.h"
#include "prefs.h"
#include "pwcwin.h"
#include "prffile.h"
#include "prfsect.h"
#include "savedlg.h"
#include "tkutil.h"
#include "tkwin.h"
#include "tkplace.h"
#include "userfmt.h"

/* ---- the engine ---- */

static int port_message(void *, void *window, uint32_t message, uintptr_t wp, void *lp, int send)
{
    HWND target = window ? (HWND)window : Shell.mainWindow;
    if (!target || !IsWindow(target))
        return 0;
    if (send) {
        SendMessageA(target, message, wp, (LPARAM)lp);
        return 1;
    }
    return PostMessageA(target, message, wp, (LPARAM)lp) ? 1 : 0;
}

static void port_error(void *, void *owner, QMS *location, uint32_t flags, const char *text)
{
    UtilPostErrorEx((HWND)owner, location, flags, text);
}

/* ---- the command dialogs ---- */

static void do_action(void *, HWND window, QMS *location, void *row, int32_t command)
{
    DoAction(window, location, row, command);
}

static void add_modeless(void *, HWND window, int kind, QMS *location, uintptr_t word)
{
    AddModeless(window, kind, location, (void *)word);
}

static void remove_modeless(void *, HWND window)
{
    UtilRemoveModeless(window);
}

static HBITMAP list_bitmap(void *, int picture)
{
    return ShellBitmap(BMP_QMLIST + picture);
}

static void startup_message(void *, DialogWords *dialog)
{
    OpenStartupMessage(dialog);
}

static int alt_key(void *)
{
    return AltKeyOption();
}


static HBITMAP toolbar_image(void *, int32_t command)
{
    return ShellMenuBitmap(command);
}

void ShellDialogContextMenu(void *, WPARAM wp, LPARAM lp);

/* ---- what the command engine opens or shows through the shell ---- */

/* A Message List refreshed: the frame that holds it as a pane shows its
 * caption again (posted: replies end on worker threads). */
static void frame_title(void *, DialogWords *d)
{
    HWND top = d && d->ownerSlot && d->window ? GetAncestor(PCFWnd(d->window), GA_ROOT) : nullptr;
    if (top)
        PostMessageA(top, FRM_TITLE, 0, 0);
}

/* A failure of the dialogs' reply conversion, for the location's error
 * display. */
static void dialog_error(void *, QMS *location, uint32_t flags, const char *text)
{
    UtilPostErrorEx(nullptr, location, flags, text);
}

static void dialog_dialog(void *, DialogWords *d, const PCFActionDef *a) { PCFDialogDialog(d, a); }
static void list_dialog(void *, DialogWords *d, const PCFActionDef *a) { PCFListDialog(d, a); }
static void sync_panel(void *, DialogWords *d) { SyncPanelQMgr(d); }
static void put_dialog(void *, QMS *r, const char *queue) { PutDialog(r, queue); }
static void drask_dialog(void *, QMS *r, const char *queue) { DraskDialog(r, queue); }
static void publish_dialog(void *, QMS *r, const char *stream, const char *topic)
{
    PublishDialog(r, stream, topic);
}
/* The queue manager's splash text, once, for a dialog's command. */
static void splash(void *, void *window, QMS *r)
{
    if (ShellWork.splashShow)
        ShellWork.splashShow(window ? (HWND)window : Shell.mainWindow, nullptr, r, 0, 0);
}

/* ---- the location store ---- */

static void add_row(void *, QMS *r, uint32_t flags) { LocAddRow(r, flags); }
static void update_row(void *, QMS *r) { LocUpdateRow(r, 0); }
static void remove_row(void *, QMS *r) { LocRefreshRow(r); }
static void begin_batch(void *) { LocListBeginUpdate(); }
static void end_batch(void *) { LocListEndUpdate(); }
static void repaint(void *, uint32_t mask)
{
    if (ShellWork.repaintAllWindows)
        ShellWork.repaintAllWindows(mask);
}
/* A location's "cmdok" or "cmdfail" command line, run as it recovers or
 * fails. */
static int run_command(void *, QMS *r, const char *command, char **errorText)
{
    return RunUserCommand(r, nullptr, nullptr, command, errorText);
}
static void end_get(void *, QMS *r) { EndGetThread(r); }
static void end_put(void *, QMS *r, int mode) { EndPutThread(r, mode); }
static void destroy_window(void *, void *w) { DestroyWindow((HWND)w); }
static void caps_for(void *, uint8_t *caps, int32_t platform, int32_t level)
{
    CapSetForQmgr(caps, platform, level);
}
static void *load_bitmap(void *, const char *file, int image) { return GetBitmapByName(file, image); }
static void schedule_export(void *, QMS *r) { ExpScheduleNext(r); }

/* A location goes: what the console, the engine and the caches keep of it. */
static void free_cache(void *, QMS *r)
{
    ConsoleForgetLocation(r);
    if (ShellWork.freeCache)
        ShellWork.freeCache(r, 1);
    MQEForgetLocation(r);
}

struct LOCDIALOGS {
    QMS *location;
    HWND close[256];
    int count;
};

static int collect_location_dialogs(DialogWords *d, void *ctx)
{
    LOCDIALOGS *c = (LOCDIALOGS *)ctx;
    if (d->first.location == c->location && !d->ownerSlot && d->window && c->count < 256)
        c->close[c->count++] = PCFWnd(d->window);
    else if (d->window)
        PostMessageA(PCFWnd(d->window), UM_QMLIST_CHANGED, 0, 0);
    return 0;
}

/* The windows of dialogs on a deleted location go; the others hear of it. */
static void close_dialogs(void *, QMS *r)
{
    LOCDIALOGS c = { r, {}, 0 };
    PCFForEachDialog(collect_location_dialogs, &c);
    for (int i = 0; i < c.count; i++)
        if (IsWindow(c.close[i]))
            SendMessageA(c.close[i], WM_CLOSE, 0, 0);
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        for (DialogWords *pane : { f->listPane, f->msgPane })
            if (pane && pane->first.location == r)
                pane->first.location = nullptr;
    /* the other windows that hold the location go before it does */
    if (r->credDialog && IsWindow((HWND)r->credDialog))
        SendMessageA((HWND)r->credDialog, WM_CLOSE, 0, 0);
    if (r->splashWindow && IsWindow((HWND)r->splashWindow))
        DestroyWindow((HWND)r->splashWindow);
    MultiChgForgetLocation(r);
}

static int caps_changed_one(DialogWords *d, void *ctx)
{
    if (d->first.location == (QMS *)ctx && d->window)
        PostMessageA(PCFWnd(d->window), UM_PCF_LOCATION, 0, 0);
    return 0;
}

static void caps_changed(void *, QMS *r) { PCFForEachDialog(caps_changed_one, r); }

static int broadcast_one(DialogWords *d, void *)
{
    if (d->window)
        PostMessageA(PCFWnd(d->window), UM_QMLIST_CHANGED, 0, 0);
    return 0;
}

static void broadcast(void *) { PCFForEachDialog(broadcast_one, nullptr); }

/* ---- the location dialogs and the Preferences ---- */

static int post(void *, void *window, uint32_t message, uintptr_t wp, intptr_t lp)
{
    return window && IsWindow((HWND)window) && PostMessageA((HWND)window, message, wp, lp);
}
static void start_put(void *, QMS *r) { StartPutThread(r); }
static DialogWords *command_dialog(void *, void *owner, DialogWords *templ,
                                   void (*done)(DialogWords *))
{
    templ->release = done;
    return PCFCommandDialog(nullptr, (HWND)owner, templ, nullptr);
}
static void focus_window(void *, void *w) { ActivateWindow((HWND)w); }
static void close_window(void *, void *w) { SendMessageA((HWND)w, WM_CLOSE, 0, 0); }
static void splash_show(void *, QMS *r)
{
    if (ShellWork.splashShow)
        ShellWork.splashShow(Shell.mainWindow, nullptr, r, 1, 1);
}
static void show_ini(void *, QMS *r) { ShowMQIniFile(r); }
static void show_log(void *, QMS *r) { ShowMQErrorLog(r); }
static void loc_add_modeless(void *, void *w, int kind, uintptr_t a, uintptr_t b)
{
    AddModeless(w, kind, (void *)a, (void *)b);
}
static void loc_remove_modeless(void *, void *w) { UtilRemoveModeless(w); }
/* The pending reply polls and the poll count of a location's get side
 * (developer diagnostics of Location Settings). */
static void get_counters(void *, QMS *r, int32_t *first, int32_t *second)
{
    if (MQELOC *e = MQELocFind(r)) {
        *first = e->pollsPending;
        *second = e->pollCount;
    }
}
/* The dialogs, lists and filters take the profile's settings anew
 * (separators, local times and the time zone, contexts, sounds, list
 * options, histories); what the windows keep of the profile (the list
 * widths and heights) goes back to it first, so that it is not lost. */
static void prefs_derive(void *)
{
    ShellStoreSettings();
    ShellHostFromProfile();
    PCFWinPrefsFromProfile();
    PCFPrefsFromProfile();
    PCFListPrefsFromProfile();
    FltPrefsFromProfile();
}
/* Preferences applied: the dialogs take their settings anew and the
 * windows repaint what changed. */
static void prefs_repaint(void *, uint32_t mask)
{
    prefs_derive(nullptr);
    repaint(nullptr, mask);
}

static void locnotify(void *) { LocListCommand(Shell.mainWindow, 0); }
static int uf_load(void *, void *owner, uint32_t flags)
{
    return ShellWork.loadFormats ? ShellWork.loadFormats((HWND)owner, flags) : 0;
}
static void uf_reapply(void *) { UFReapplyFormats(); }
static int tabs_one(DialogWords *d, void *)
{
    if (d->window)
        PostMessageA(PCFWnd(d->window), UM_FIELDS_CHANGED, 0, 0);
    return 0;
}
static void tabs_changed(void *) { PCFForEachDialog(tabs_one, nullptr); }
static void filter_refresh(void *)
{
    if (ShellWork.filterRefresh)
        ShellWork.filterRefresh();
}
static void loc_list(void *) { LocListCommand(Shell.mainWindow, 0); }
static void program_icon(void *)
{
    if (Shell.mainWindow)
        SendMessageA(Shell.mainWindow, WM_SETICON, ICON_BIG, (LPARAM)Shell.icons[0]);
}
static void drop_user(void *) { DynQueueUserNameReset(); }
static void play(void *, const char *name) { WinPlaySound(name, 0, 1); }
static void pref_add_modeless(void *, void *w) { AddModeless(w, 0, nullptr, nullptr); }
static void pref_remove_modeless(void *, void *w) { UtilRemoveModeless(w); }
/* A splash source tried from Preferences: the start-up one as at start-up,
 * a queue manager's for a sample location (kept: its window refers to it). */
static void splash_test(void *, int which, const char *source)
{
    static QMS sample;
    if (!ShellWork.splashFile)
        return;
    if (which == 0) {
        ShellWork.splashFile(Shell.mainWindow, "Ravolt Start-up", nullptr, source, 1, 0);
        return;
    }
    snprintf(sample.qmName, sizeof sample.qmName, "vorskqm");
    snprintf(sample.groupName, sizeof sample.groupName, "vorskgroup");
    ShellWork.splashFile(Shell.mainWindow, "Ravolt Queue Manager Splash Test", &sample, source, 1, 0);
}

/* ---- saved dialogs: a start or switch of the dialog commands ---- */

static void saved_post(void *, uint32_t message, uintptr_t word, SAVEDDIALOG *record)
{
    if (Shell.mainWindow && record)
        PostMessageA(Shell.mainWindow, message, word, (LPARAM)record->id);
}
static void saved_stale(void *, int32_t command) { MarkDialogsStale(nullptr, (uint32_t)command, 0, 1, 0); }

/* ---- the configuration file and the profile ---- */

static int cfg_error_box(void *, const char *caption, const char *text, int withLastError,
                         int okCancel)
{
    if (withLastError)
        return WinOpErrorEx(Shell.mainWindow, text, okCancel);
    return ShellBox(Shell.mainWindow, text, caption,
                    (okCancel ? MB_OKCANCEL : MB_OK) | MB_ICONEXCLAMATION) == IDCANCEL;
}

static void dialog_notice(const char *caption, const char *text)
{
    ShellBox(Shell.mainWindow, text, caption, MB_OK | MB_ICONINFORMATION);
}

static void cfg_notice(void *, const char *caption, const char *text)
{
    ShellBox(Shell.mainWindow, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

static void cfg_fit(void *, int32_t *rect)
{
    PlaceRect r = { rect[0], rect[1], rect[2], rect[3] };
    WinFitRect(&r, 1, 0);
    rect[0] = r.x;
    rect[1] = r.y;
    rect[2] = r.cx;
    rect[3] = r.cy;
}

static void prf_box(void *, const char *text, const char *caption)
{
    ShellBox(Shell.mainWindow, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

/* What the shared filter file reports goes to the main window's status
 * line. */
static void prf_post_text(const char *text, uintptr_t word) { WinPostText(text, (WPARAM)word); }

/* A saved rectangle fitted to the monitors; one never saved (no size) is
 * left for its window's own default placement. */
static void fit_saved(int32_t *rect, uint32_t rule)
{
    if (!rect[2] || !rect[3])
        return;
    PlaceRect r = { rect[0], rect[1], rect[2], rect[3] };
    WinFitRect(&r, 1, rule);
    rect[0] = r.x;
    rect[1] = r.y;
    rect[2] = r.cx;
    rect[3] = r.cy;
}

/* The profile's placements fitted to the monitors as they are now, and
 * the bitmaps its icon keys name loaded. */
static void prf_fit_and_load(void *, PRFDATA *p)
{
    enum { RULE1 = FIT_THIRD, RULE2 = FIT_TWO_THIRDS, RULE5 = FIT_THIRD | FIT_KEEP_SMALL };
    PlaceRect main[2] = { { p->main[0], p->main[1], p->main[2], p->main[3] },
                          { p->main[4], p->main[5], p->main[6], p->main[7] } };
    if (main[UtilDisplayLayout()->monitors > 1].cx && main[UtilDisplayLayout()->monitors > 1].cy) {
        WinFitRectSaved(main, 1, RULE2);
        for (int i = 0; i < 2; i++) {
            int32_t *m = p->main + 4 * i;
            m[0] = main[i].x, m[1] = main[i].y, m[2] = main[i].cx, m[3] = main[i].cy;
        }
    }
    fit_saved(p->view, RULE1);
    static const int rule1[] = { DLG_LOC, DLG_PRF, DLG_PRNT, DLG_EXP, DLG_ADD, DLG_FILTERS,
                                 DLG_SYNCS, DLG_PUT, DLG_ALIST, DLG_COLOUR, DLG_PUB, DLG_DRASK,
                                 DLG_AR, DLG_VERSION, DLG_TRCMSG, DLG_TRCMSGEXP, DLG_FR };
    for (int d : rule1)
        fit_saved(p->dialogs[d], RULE1);
    for (int d : { DLG_SAVEM, DLG_LOADM, DLG_PRGSZ })
        fit_saved(p->dialogs[d], RULE5);
    static const int images[] = { 10, 12, 11, 41, 43, 42, 44 };
    const char *const names[] = { p->qmicon[0], p->qmicon[1], p->qmicon[2], p->qmicon[3],
                                  p->appicon[0], p->appicon[1], p->appicon[2] };
    for (int i = 0; i < 7; i++)
        if (names[i] && names[i][0])
            GetBitmapByName(names[i], images[i]);
}

/* The connection name of a location's client settings (searches). */
static const char *connection_name(void *, const QMS *r, char *buffer, size_t size)
{
    char channel[64], connection[300];
    ImportClientNames(r, channel, connection);
    snprintf(buffer, size, "%s", connection);
    return buffer;
}

static void tk_repaint(void *, int mask)
{
    if (ShellWork.repaintAllWindows)
        ShellWork.repaintAllWindows((uint32_t)mask);
}

static const char *bitmap_name(void *, int index)
{
    return ShellBitmapName(index);
}

/* ---- the location timer and the caches ---- */

static_assert((uint32_t)LOCREF_QMGR == (uint32_t)RK_QMGR && (uint32_t)LOCREF_QLIST == (uint32_t)RK_QUEUES &&
              (uint32_t)LOCREF_POLL == (uint32_t)RK_POLL && (uint32_t)LOCREF_DOWNLOAD == (uint32_t)RK_DOWNLOAD &&
              (uint32_t)LOCREF_AUTO == (uint32_t)RK_AUTO,
              "the location timer asks for the engine's refresh bits");

static int timer_refresh(void *, QMS *r, uint32_t bits, const char *prefix, int wait)
{
    return ShellWork.requestRefresh ? ShellWork.requestRefresh(r, bits, prefix, wait) : 0;
}
static void download_state(void *, QMS *r, uint32_t bits) { SetDownloadState(r, bits); }
static int downloading(void *, QMS *r) { return (DownloadState(r) & DL_RUNNING) != 0; }
static void post_monitor(void *, QMS *r) { PostMonMsg(r, 0); }
static void main_icon(void *, int error)
{
    if (Shell.mainWindow)
        SendMessageA(Shell.mainWindow, WM_SETICON, ICON_BIG, (LPARAM)Shell.icons[error ? 2 : 0]);
}
static void post_frame(void *, uint32_t message, QMS *r) { MQEPostFrame(nullptr, message, 0, r, 0); }
static void post_window(void *, void *w, uint32_t message) { PostMessageA((HWND)w, message, 0, 0); }
static void startup_queue(void *, QMS *r) { OpenStartupQueue(r); }
static void free_download(void *, QMS *r) { FreeDownloadData(r); }
static void free_client_settings(void *, QMS *r) { CfgFreeClientSettings(r); }
static void dialogs_stale(void *, QMS *r, int32_t command) { MarkDialogsStale(r, (uint32_t)command, 0, 1, 0); }

static void install_timer_hooks(void)
{
    LOCTIMERHOOKS t = {};
    t.requestRefresh = timer_refresh;
    t.startPutThread = start_put;
    t.setDownloadState = download_state;
    t.downloading = downloading;
    t.postMonitor = post_monitor;
    t.setMainIcon = main_icon;
    t.postFrame = post_frame;
    t.postWindow = post_window;
    t.openStartupQueue = startup_queue;
    t.freeDownloadData = free_download;
    t.markDialogsStale = dialogs_stale;
    t.freeClientSettings = free_client_settings;
    LocSetTimerHooks(&t);
}

/* ---- the colour chooser and the Filter Manager follow the main window ---- */

/* A repaint announcement on the object dialogs and the frames: each
 * frame's tree takes its colours again, a shown message is formatted
 * again when the mask asks, and the frame is repainted. */
/* The filter windows' colours (the column filter pop-up, the Filter
 * Manager's lists) from the live colour table. */
static void filter_colours(void)
{
    FltColours.menuBack = *ColourRef(CLR_MENUBG);
    FltColours.menuFore = *ColourRef(CLR_MENUFG);
    FltColours.titlesBack = *ColourRef(13);             /* "List Titles Background" */
    FltColours.listBack = *ColourRef(CLR_LISTBG);
    FltColours.listFore = *ColourRef(CLR_LISTFG);
    FltColours.selectBack = *ColourRef(CLR_SELECTBG);
    FltColours.selectFore = *ColourRef(32);             /* "List Select Foreground" */
}

static void repaint_frames(uint32_t mask)
{
    if (mask & RP_COLOURS)
        filter_colours();
    PCFRepaintDialogs(mask);
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f)) {
        if (f->tree)
            cntSetColours(f->tree, ColourRef(CLR_NAVFG), ColourRef(CLR_NAVBG), ColourRef(CLR_NAVFOCUS));
        if ((mask & RP_MESSAGES) && f->msgPane && f->msgPane->dataWindow)
            SendMessageA(PCFWnd(f->msgPane->dataWindow), UM_PANE_REFORMAT, 0, 0);
        if (f->window)
            RedrawWindow(f->window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}
static DialogWords *active_dialog(void *) { return PCFActiveDialog; }
static int filter_confirm(void *, HWND owner, const char *question, const char *name)
{
    return ShellConfirm(owner, 0, question, name, nullptr, 0);
}
static int64_t program_clock(void *) { return CSGetCurrentTime(); }

void ShellFollowMainWindow(HWND main)
{
    PWCInitWindows(main);                  /* the cache's dialogs, owned by the main window */
    PWCHOOKS cache = *PWCHooks();
    cache.preferencesChanged = ShellCacheNews;
    PWCSetHooks(&cache);
    ColourInitWindows(main, repaint_frames);
    filter_colours();
    FLTWINHOOKS filterWindows = {};
    filterWindows.owner = main;
    filterWindows.activeDialog = active_dialog;
    filterWindows.confirm = filter_confirm;
    filterWindows.clock = program_clock;
    FltWinSetHooks(&filterWindows);
}

/* The confirmation box's colours: the dialogs' text on their background,
 * its button band in the buttons' colours. */
static void bind_dialog_colours(void)
{
    dlgColours = { ColourRef(CLR_TITLEFG), ColourRef(CLR_DIALOGBG), ColourBrushRef(CLR_DIALOGBG),
                   ColourRef(CLR_BUTTONFG), ColourRef(CLR_BUTTONBG), ColourBrushRef(CLR_BUTTONBG) };
}

void ShellInstallHooks(void)
{
    WireLibraries();
    ModelessSetNotFound(ModelessNotFound);
    static const CMDUSAGEHOOKS usage = { SetCommandUsage, CommandUsageText };
    CmdUsageSetHooks(&usage);
    install_timer_hooks();
    MQEPORT port = { nullptr, port_message, port_error };
    MQESetPort(&port);
    MQEHOOKS engineHooks = MQEHooks;
    engineHooks.qlistBuild = QListBuild;
    MQESetHooks(&engineHooks);

    CMDHOOKS engine = {};
    PCFEngineHooks(&engine);
    engine.dialogDialog = dialog_dialog;
    engine.listDialog = list_dialog;
    engine.syncPanel = sync_panel;
    engine.putDialog = put_dialog;
    engine.draskDialog = drask_dialog;
    engine.publishDialog = publish_dialog;
    engine.splash = splash;
    engine.frameTitle = frame_title;
    CmdSetHooks(&engine);
    EXPHOOKS exportHooks = {};
    ExpDefaultHooks(&exportHooks);
    ExpSetHooks(&exportHooks);
    FLTHOOKS filterHooks = {};
    PCFFilterWindowHooks(&filterHooks);
    FltInstallWindowHooks(&filterHooks);
    PCFHOOKS h = *PCFHooks();
    PCFWindowHooks(&h);
    CmdDialogHooks(&h);
    h.postError = dialog_error;
    PCFSetHooks(&h);
    /* with tracing on, the command dialogs' notices of missing pieces (the
       combined date fields) are shown in a box of their own */
    PCFNoticeSink = dialog_notice;
    PCFSHELLHOOKS s = {};
    s.doAction = do_action;
    s.contextMenu = ShellDialogContextMenu;
    s.addModeless = add_modeless;
    s.removeModeless = remove_modeless;
    s.openStartupMessage = startup_message;
    s.altKeyOption = alt_key;
    s.toolbarImage = toolbar_image;
    s.messageFile = MsgFileCommand;
    s.listBitmap = list_bitmap;
    PCFSetShellHooks(&s);
    DragInstallHooks();

    LOCHOOKS l = {};
    l.addRow = add_row;
    l.updateRow = update_row;
    l.removeRow = remove_row;
    l.beginBatch = begin_batch;
    l.endBatch = end_batch;
    l.consoleEvent = ConsoleLocationEvent;
    l.repaint = repaint;
    l.endGetThread = end_get;
    l.endPutThread = end_put;
    l.closeDialogs = close_dialogs;
    l.runCommand = run_command;
    l.destroyWindow = destroy_window;
    l.freeCache = free_cache;
    l.capsForQmgr = caps_for;
    l.capsChanged = caps_changed;
    l.broadcast = broadcast;
    l.loadBitmap = load_bitmap;
    l.scheduleExport = schedule_export;
    LocSetHooks(&l);

    LOCDLGHOOKS d;
    LocDlgDefaultHooks(&d);                /* credentials, key-database password, dialog colours */
    d.post = post;
    d.startPutThread = start_put;
    d.endPutThread = end_put;
    d.commandDialog = command_dialog;
    d.focusWindow = focus_window;
    d.closeWindow = close_window;
    d.splashShow = splash_show;
    d.showIniFile = show_ini;
    d.showErrorLog = show_log;
    d.repaint = repaint;
    d.addModeless = loc_add_modeless;
    d.removeModeless = loc_remove_modeless;
    d.getCounters = get_counters;
    LocDlgSetHooks(&d);

    PREFHOOKS p;
    PrefDefaultHooks(&p);                  /* the password cache and dialog colours */
    p.repaint = prefs_repaint;
    p.timeZoneChanged = prefs_derive;
    p.locNotifyWindows = locnotify;
    p.ufLoadFormats = uf_load;
    p.ufReapplyFormats = uf_reapply;
    p.tabsChanged = tabs_changed;
    p.filterManagerRefresh = filter_refresh;
    p.locListCommand = loc_list;
    p.programIcon = program_icon;
    p.dropQueueUserName = drop_user;
    p.splashTest = splash_test;
    p.playSound = play;
    p.addModeless = pref_add_modeless;
    p.removeModeless = pref_remove_modeless;
    PrefSetHooks(&p);

    SAVEDDLGHOOKS saved = {};
    saved.post = saved_post;
    saved.markDialogsStale = saved_stale;
    SavedDialogSetHooks(&saved);

    CFGHOOKS c = {};
    c.errorBox = cfg_error_box;
    c.notice = cfg_notice;
    c.fitRect = cfg_fit;
    CfgSetHooks(&c);
    PrfPostText = prf_post_text;
    PRFHOOKS r = {};
    r.messageBox = prf_box;
    r.fitAndLoad = prf_fit_and_load;
    PrfSetHooks(&r);

    bind_dialog_colours();
    TKHOOKS toolkit = {};
    toolkit.repaintAllWindows = tk_repaint;
    toolkit.bitmapName = bitmap_name;
    TkSetHooks(&toolkit);
    SHELLSEARCHHOOKS search = {};
    search.connectionName = connection_name;
    ShellSearchSetHooks(&search);
}
