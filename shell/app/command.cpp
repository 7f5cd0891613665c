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

/* A panel field shown or hidden (939, 881, 909). */
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
        SendMessageA(PCFWnd(d->dataWindow), FRM_PANEFONT, 1, 0);
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
    if (id >= 3000 && id <= 3999) {
        ActivateMenuWindow(f->menu, id);
        return;
    }
    if (id >= 500 && id <= 2000 && !AutMenuAllowed(id))
        return;
    HWND w = f->window;
    DialogWords *pane = f->msgPane;
    FrameWords *active = GetActiveFrameRec();
    DialogWords *activePane = active ? active->msgPane : pane;
    switch (id) {
    case 886: CreateFrame(f); break;
    case 508: case 749: case 686: case 731: case 641: case 747: case 621: case 815: case 816:
    case 517: case 543:
        location_command(f, id);
        break;
    case 750:
        location_command(f, id);
        if (ShellWork.repaintAllWindows)
            ShellWork.repaintAllWindows(0x800);
        break;
    case 542: case 533: case 534: case 566: case 556:
        if (FrameGetSelLocation(w))
            location_command(f, id);
        break;
    case 518: if (ShellWork.addLocation) ShellWork.addLocation(w, nullptr); break;
    case 938: if (ShellWork.changeLocations) ShellWork.changeLocations(w); break;
    case 884: if (ShellWork.importCcdt) ShellWork.importCcdt(); break;
    case 862: if (ShellWork.importLocal) ShellWork.importLocal(1); break;
    case 956: if (ShellWork.importExplorer) ShellWork.importExplorer(); break;
    case 931: if (ShellWork.importConfig) ShellWork.importConfig(); break;
    case 522: ShellWriteConfig(); break;
    case 546: if (ShellWork.preferences) ShellWork.preferences(w); break;
    case 528: AboutDialog(w); break;
    case 932: if (ShellWork.versionCheck) ShellWork.versionCheck(w, 1); break;
    case 529: ShowHelp(); break;
    case 519: PostMessageA(w, WM_CLOSE, 0, 0); break;
    case 893: Prf.opt1 ^= 0x200000; break;
    case 894: case 895: case 937: case 897: case 896: case 898: case 899: case 910:
        editor(pane, id);
        break;
    case 900: case 902: case 903: editor(activePane, id); break;
    case 6004: case 568: case 569: case 570: case 571: case 572: case 573:
        post_to_pane(pane, id);
        break;
    case 901: ToggleEditPanel(w); break;
    case 685: if (ShellWork.filterManager) ShellWork.filterManager(); break;
    case 882: ConnectAllShown(f, 0); break;
    case 883: ConnectAllShown(f, 1); break;
    case 723: if (ShellWork.debugWindow) ShellWork.debugWindow(); break;
    case 544: window_font(f); break;
    case 586: message_font(f); break;
    case 584: if (ShellWork.colourDialog) ShellWork.colourDialog(w); break;
    case 939: toggle_field(f, FF_PREFIX, f->prefix); break;
    case 881: toggle_field(f, FF_SEARCH, f->search); break;
    case 909: toggle_field(f, FF_SEARCHQ, f->searchQ); break;
    case 934: search_values(f, 1); break;
    case 935: search_values(f, 0); break;
    case 885: toggle_display(f, FF_DEPTH); break;
    case 907: toggle_display(f, FF_QMNAME); break;
    case 908: toggle_display(f, FF_LOCATION); break;
    case 790: toggle_display(f, FF_MQVERSION); break;
    case 933: toggle_display(f, FF_QCOUNT); break;
    case 651: WindowOpDialogs(1); WindowOpLists(1); break;
    case 652: WindowOpDialogs(1); break;
    case 653: WindowOpLists(1); break;
    case 654: WindowOpFrames(2); WindowOpDialogs(2); WindowOpLists(2); break;
    case 806: TileRows(); break;
    case 805: TileColumns(); break;
    default:
        if (ShellMenuDefinition(id) && FrameGetSelLocation(w))
            location_command(f, id);
        break;
    }
}
