/* What each menu and accelerator command of a frame does: a table from
 * command id to its handler; location commands go to DoAction with the
 * location selected in the frame's tree. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"

#include <cstring>

#include "cmddlg.h"
#include "cs.h"
#include "cscodepage.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "tkwin.h"

/* The frame's flags become the default of new frames. */
static void keep_flags(FrameWords *f)
{
    Shell.defaultFlags = f->flags & ~FF_ZOOMED;
    ShellStoreSettings();
}

static void location_command(FrameWords *f, int32_t id)
{
    DoAction(f->window, FrameGetSelLocation(f->window), nullptr, id);
}

static void post_to_pane(DialogWords *pane, int32_t id)
{
    if (pane && pane->window)
        PostMessageA(PCFWnd(pane->window), WM_COMMAND, (WPARAM)id, 0);
}

static void editor(DialogWords *pane, int32_t id)
{
    if (ShellWork.editorCommand && pane)
        ShellWork.editorCommand(pane, id);
}

/* A panel field shown or hidden (the queues prefix, the two searches). */
static void toggle_field(FrameWords *f, uint32_t flag, HWND field)
{
    if (flag == FF_PREFIX && AutQueuePrefixMinimum() > 0)
        return;
    f->flags ^= flag;
    FrameLayout(f);
    if ((f->flags & flag) && field)
        SetFocus(field);
    FrameInitMenu(f->window);
    keep_flags(f);
}

static void toggle_display(FrameWords *f, uint32_t flag)
{
    /* a location line needs a name: without the location, the queue
       manager's name stays (the menu would put it back at once) */
    if (flag == FF_QMNAME && (f->flags & (FF_QMNAME | FF_LOCATION)) == FF_QMNAME) {
        if (f->status)
            SetWindowTextA(f->status, "The queue manager name stays while the location is not included");
        WinPlaySound(Prf.wsnd[0] ? Prf.wsnd : "beep", 0, 0);
        return;
    }
    f->flags ^= flag;
    FrameInitMenu(f->window);
    LocListCommand(f->window, 0);
    keep_flags(f);
}

static void search_values(FrameWords *f, int save)
{
    for (int i = 0; i < 2; i++) {
        HWND field = i ? f->searchQ : f->search;
        char *text = Shell.defaultSearch[i];
        if (save) {
            GetWindowTextA(field, text, SHELL_SEARCH_TEXT + 1);
        } else {
            Shell.fillingCombo = 1;
            SetWindowTextA(field, text);
            Shell.fillingCombo = 0;
        }
    }
    if (save) {
        ShellStoreSettings();
        SetWindowTextA(f->status, "Default search values saved.");
    } else {
        ApplySearch(f);
    }
}

static void window_font(FrameWords *f)
{
    if (!WinChooseFont(f->window, 0, 0, &winFonts.mainDesc, &winFonts.mainFont))
        return;
    WinCreateFonts();
    FontDesc &d = winFonts.mainDesc;
    snprintf(Prf.font.face, sizeof Prf.font.face, "%s", d.face);
    snprintf(Prf.font.style, sizeof Prf.font.style, "%s", d.style);
    Prf.font.height = d.height;
    Prf.font.charSet = (int16_t)d.charset;
    SetAllFrameFonts();
    FrameLayout(f);
    if (ShellWork.repaintAllWindows)
        ShellWork.repaintAllWindows(8);
}

static int pane_font(DialogWords *d, void *)
{
    if (d->dataWindow)
        SendMessageA(PCFWnd(d->dataWindow), UM_PANE_NEWFONT, 1, 0);
    return 0;
}

static void message_font(FrameWords *f)
{
    FontDesc d = {};
    snprintf(d.face, sizeof d.face, "%s", Prf.npfont.face);
    snprintf(d.style, sizeof d.style, "%s", Prf.npfont.style[0] ? Prf.npfont.style : "Regular");
    d.height = Prf.npfont.height;
    d.charset = (uint16_t)Prf.npfont.charSet;
    HFONT font = nullptr;
    if (!WinChooseFont(f->window, 0, 1, &d, &font))
        return;
    if (font)
        DeleteObject(font);
    snprintf(Prf.npfont.face, sizeof Prf.npfont.face, "%s", d.face);
    snprintf(Prf.npfont.style, sizeof Prf.npfont.style, "%s", d.style);
    Prf.npfont.height = d.height;
    Prf.npfont.charSet = (int16_t)d.charset;
    CSFreeCodepageSettings();
    PCFForEachDialog(pane_font, nullptr);
    if (ShellWork.filterRefresh)
        ShellWork.filterRefresh();
}

void FrameCommand(FrameWords *f, int32_t id)
{
    if (id >= IDM_WINDOW_FIRST && id <= IDM_WINDOW_LAST) {
        ActivateMenuWindow(f->menu, id);
        return;
    }
    if (id >= IDM_MENU_FIRST && id <= IDM_MENU_LAST && !AutMenuAllowed(id))
        return;
    HWND w = f->window;
    DialogWords *pane = f->msgPane;
    FrameWords *active = GetActiveFrameRec();
    DialogWords *activePane = active ? active->msgPane : pane;
    switch (id) {
    case IDM_NEW_INSTANCE: CreateFrame(f); break;
    case IDM_REFRESH: case IDM_OPEN_LOCATION: case IDM_COPY_LOCATION: case IDM_LOAD_UNLOAD:
    case IDM_PUT_MESSAGE: case IDM_PUBLISH: case IDM_DISCONNECT: case IDM_ERROR_LOG:
    case IDM_INI_FILE:
    case IDM_PROPERTIES: case IDM_COMMAND_LEVEL:
        location_command(f, id);
        break;
    case IDM_DELETE_LOCATION:
        location_command(f, id);
        if (ShellWork.repaintAllWindows)
            ShellWork.repaintAllWindows(0x800);
        break;
    case IDM_QMGR: case IDM_QUEUE: case IDM_QUEUE_LIST: case IDM_MESSAGE_LIST: case IDM_MESSAGE_DETAIL:
    case IDM_MQSC:
        if (FrameGetSelLocation(w))
            location_command(f, id);
        break;
    case IDM_ADD_LOCATION: if (ShellWork.addLocation) ShellWork.addLocation(w, nullptr); break;
    case IDM_CHANGE_LOCATIONS: if (ShellWork.changeLocations) ShellWork.changeLocations(w); break;
    case IDM_IMPORT_CCDT: if (ShellWork.importCcdt) ShellWork.importCcdt(); break;
    case IDM_IMPORT_LOCAL: if (ShellWork.importLocal) ShellWork.importLocal(1); break;
    case IDM_IMPORT_EXPLORER: if (ShellWork.importExplorer) ShellWork.importExplorer(); break;
    case IDM_IMPORT_CONFIG: if (ShellWork.importConfig) ShellWork.importConfig(); break;
    case IDM_SAVE_CONFIG: ShellWriteConfig(); break;
    case IDM_PREFERENCES: if (ShellWork.preferences) ShellWork.preferences(w); break;
    case IDM_ABOUT: AboutDialog(w); break;
    case IDM_CHECK_VERSION: if (ShellWork.versionCheck) ShellWork.versionCheck(w, 1); break;
    case IDM_HELP: ShowHelp(); break;
    case IDM_EXIT: PostMessageA(w, WM_CLOSE, 0, 0); break;
    case IDM_EXPERT_MODE: Prf.opt1 ^= 0x200000; break;
    case IDM_UNDO: case IDM_REDO: case IDM_SELECT_ALL: case IDM_CUT: case IDM_COPY:
    case IDM_PASTE: case IDM_PASTE_ALL: case IDM_GOTO_PARTNER:
        editor(pane, id);
        break;
    case IDM_FIND: case IDM_FIND_NEXT: case IDM_FIND_PREVIOUS: editor(activePane, id); break;
    case IDM_REPEAT: case IDM_VIEW_HEX: case IDM_VIEW_FORMATTED: case IDM_VIEW_DETAIL1:
    case IDM_VIEW_DETAIL2: case IDM_VIEW_DETAIL3: case IDM_VIEW_DESCRIPTOR:
        post_to_pane(pane, id);
        break;
    case IDM_EXPAND_EDIT: ToggleEditPanel(w); break;
    case IDM_FILTERS: if (ShellWork.filterManager) ShellWork.filterManager(); break;
    case IDM_DISCONNECT_ALL: ConnectAllShown(f, 0); break;
    case IDM_CONNECT_ALL: ConnectAllShown(f, 1); break;
    case IDM_DEBUG_WINDOW: if (ShellWork.debugWindow) ShellWork.debugWindow(); break;
    case IDM_WINDOW_FONT: window_font(f); break;
    case IDM_MESSAGE_FONT: message_font(f); break;
    case IDM_COLOURS: if (ShellWork.colourDialog) ShellWork.colourDialog(w); break;
    case IDM_QUEUE_PREFIX: toggle_field(f, FF_PREFIX, f->prefix); break;
    case IDM_SEARCH_LOCATIONS: toggle_field(f, FF_SEARCH, f->search); break;
    case IDM_SEARCH_QUEUES: toggle_field(f, FF_SEARCHQ, f->searchQ); break;
    case IDM_SAVE_SEARCH: search_values(f, 1); break;
    case IDM_RESTORE_SEARCH: search_values(f, 0); break;
    case IDM_SHOW_DEPTH: toggle_display(f, FF_DEPTH); break;
    case IDM_SHOW_QMNAME: toggle_display(f, FF_QMNAME); break;
    case IDM_SHOW_LOCATION: toggle_display(f, FF_LOCATION); break;
    case IDM_SHOW_MQVERSION: toggle_display(f, FF_MQVERSION); break;
    case IDM_SHOW_QCOUNT: toggle_display(f, FF_QCOUNT); break;
    case IDM_CLOSE_ALL: WindowOpDialogs(1); WindowOpLists(1); break;
    case IDM_CLOSE_DIALOGS: WindowOpDialogs(1); break;
    case IDM_CLOSE_WINDOWS: WindowOpLists(1); break;
    case IDM_MINIMIZE_ALL: WindowOpFrames(2); WindowOpDialogs(2); WindowOpLists(2); break;
    case IDM_TILE_HORIZONTAL: TileRows(); break;
    case IDM_TILE_VERTICAL: TileColumns(); break;
    default:
        if (ShellMenuDefinition(id) && FrameGetSelLocation(w))
            location_command(f, id);
        break;
    }
}
