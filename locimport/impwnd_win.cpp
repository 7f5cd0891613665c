/* The import window shared by the four imports: its record in the
 * window's user data, the owner-drawn list of candidate entries with their
 * state marks, the "QM Group" and "Network Names" choices, and the window
 * procedure that hands each message to a helper. */
#include "impwnd.h"
#include "dd.h"
#include "confirm.h"
#include "filedlg.h"
#include "modeless.h"
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"
#include "cs.h"

#include <cstring>

#define MARK 16                        /* width of the state mark */
#define GAP 8                          /* between the list's columns */
#include "ravoltids.h"

/* Mark kinds, by the entry's state and the row's selection. */
enum { MARK_FIXED, MARK_SELECTED, MARK_FREE, MARK_DIFFERS };

static DDHANDLE dialog_of(IMPORTLIST *list)
{
    return (DDHANDLE)list->dialog;
}

IMPORTLIST *ImportWindowList(HWND hwnd)
{
    return (IMPORTLIST *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
}

/* ---- the list -------------------------------------------------------------- */

static HWND list_window(IMPORTLIST *list)
{
    return DDGetFieldWindow(dialog_of(list), IMPID_LIST, 0);
}

static int text_width(HDC dc, const char *text)
{
    SIZE s;
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &s);
    return s.cx;
}

/* Refills the list from the entries, marking them first. */
static void fill_list(IMPORTLIST *list)
{
    DDHANDLE dd = dialog_of(list);
    HWND lb = list_window(list);
    if (!lb)
        return;
    int hide = !(list->kind & IMP_LOCAL) && DDGetCheck(dd, IMPID_HIDE);
    SendMessageA(lb, LBM_REDRAW, 0, 0);
    SendMessageA(lb, LB_RESETCONTENT, 0, 0);
    ImportMarkEntries(list);
    HDC dc = GetDC(lb);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(lb, WM_GETFONT, 0, 0));
    list->widestQm = list->widestChannel = 0;
    for (IMPORTENTRY *e = list->entries; e; e = e->next) {
        if (!ImportEntryShown(list, e, hide))
            continue;
        LRESULT i = SendMessageA(lb, LB_ADDSTRING, 0, (LPARAM)e->qmName);
        if (i < 0)
            continue;
        SendMessageA(lb, LB_SETITEMDATA, (WPARAM)i, (LPARAM)e);
        int w = text_width(dc, e->qmName);
        if (w > list->widestQm)
            list->widestQm = w;
        w = text_width(dc, e->channel);
        if (w > list->widestChannel)
            list->widestChannel = w;
    }
    SelectObject(dc, old);
    ReleaseDC(lb, dc);
    LRESULT n = SendMessageA(lb, LB_GETCOUNT, 0, 0);
    if ((list->kind & IMP_LOCAL) && !list->filled && n > 0)
        SendMessageA(lb, LB_SELITEMRANGE, TRUE, MAKELPARAM(0, n - 1));
    list->filled = 1;
    SendMessageA(lb, LBM_REDRAW, 1, 0);
    InvalidateRect(lb, nullptr, TRUE);
}

/* The entries of the selected rows, in list order (a block to free). */
static IMPORTENTRY **selected_rows(IMPORTLIST *list, int *count)
{
    HWND lb = list_window(list);
    *count = 0;
    LRESULT n = lb ? SendMessageA(lb, LB_GETSELCOUNT, 0, 0) : 0;
    if (n <= 0)
        return nullptr;
    int *index = (int *)CSGetMem(sizeof(int) * (size_t)n, "IMPORTSEL");
    IMPORTENTRY **rows = (IMPORTENTRY **)CSGetMem(sizeof(IMPORTENTRY *) * (size_t)n, "IMPORTSEL");
    if (index && rows) {
        n = SendMessageA(lb, LB_GETSELITEMS, (WPARAM)n, (LPARAM)index);
        for (LRESULT i = 0; i < n; i++) {
            LRESULT data = SendMessageA(lb, LB_GETITEMDATA, (WPARAM)index[i], 0);
            if (data != LB_ERR && data)
                rows[(*count)++] = (IMPORTENTRY *)data;
        }
    }
    if (index)
        CSFreeMem(index);
    if (!*count && rows) {
        CSFreeMem(rows);
        rows = nullptr;
    }
    return rows;
}

/* ---- drawing a row -------------------------------------------------------- */

static void draw_mark(HDC dc, const RECT *row, int kind)
{
    int top = row->top + (row->bottom - row->top - 12) / 2;
    RECT box = { row->left + 2, top, row->left + 14, top + 12 };
    static const COLORREF fills[] = { RGB(200, 200, 200), RGB(255, 255, 255), RGB(255, 255, 255),
                                      RGB(255, 220, 120) };
    HBRUSH fill = CreateSolidBrush(fills[kind]);
    FillRect(dc, &box, fill);
    DeleteObject(fill);
    FrameRect(dc, &box, (HBRUSH)GetStockObject(GRAY_BRUSH));
    HPEN pen = CreatePen(PS_SOLID, 2, kind == MARK_SELECTED ? RGB(0, 128, 0) : RGB(96, 96, 96));
    HGDIOBJ old = SelectObject(dc, pen);
    if (kind == MARK_SELECTED) {           /* a check */
        MoveToEx(dc, box.left + 2, box.top + 6, nullptr);
        LineTo(dc, box.left + 5, box.top + 9);
        LineTo(dc, box.left + 10, box.top + 2);
    } else if (kind == MARK_FIXED) {       /* a dash: already defined */
        MoveToEx(dc, box.left + 3, box.top + 6, nullptr);
        LineTo(dc, box.left + 9, box.top + 6);
    } else if (kind == MARK_DIFFERS) {     /* an exclamation */
        MoveToEx(dc, box.left + 6, box.top + 2, nullptr);
        LineTo(dc, box.left + 6, box.top + 7);
        MoveToEx(dc, box.left + 6, box.top + 9, nullptr);
        LineTo(dc, box.left + 6, box.top + 10);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

static void draw_row(IMPORTLIST *list, const DRAWITEMSTRUCT *di)
{
    const IMPORTENTRY *e = (const IMPORTENTRY *)di->itemData;
    if (!e || di->itemID == (UINT)-1)
        return;
    HDC dc = di->hDC;
    int selected = (di->itemState & ODS_SELECTED) != 0;
    COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &di->rcItem, brush);
    DeleteObject(brush);
    int kind = !e->selectable ? (e->differs && !selected ? MARK_DIFFERS : MARK_FIXED)
               : selected ? MARK_SELECTED : e->differs ? MARK_DIFFERS : MARK_FREE;
    draw_mark(dc, &di->rcItem, kind);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT r = di->rcItem;
    r.left += MARK + 4;
    const char *columns[3] = { e->qmName, e->channel, e->connection };
    int widths[2] = { list->widestQm, list->widestChannel };
    for (int i = 0; i < 3; i++) {
        DrawTextA(dc, columns[i], -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (i < 2)
            r.left += widths[i] + 2 * GAP;
    }
    if (di->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &di->rcItem);
}

/* ---- the choices -------------------------------------------------------------- */

static void add_choice(HWND combo, const char *text)
{
    if (text && text[0] && SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text) == CB_ERR)
        SendMessageA(combo, CB_INSERTSTRING, (WPARAM)-1, (LPARAM)text);
}

struct CHOICES {
    HWND group, names;
};

static void location_choices(QMS *r, void *context)
{
    CHOICES *c = (CHOICES *)context;
    add_choice(c->group, r->groupName);
    add_choice(c->names, r->networkNames);
}

/* Fills "QM Group" and "Network Names" and gives them their first text. */
static void fill_choices(IMPORTLIST *list)
{
    DDHANDLE dd = dialog_of(list);
    CHOICES c = { DDGetFieldWindow(dd, IMPID_GROUP, 0), DDGetFieldWindow(dd, IMPID_NAMES, 0) };
    if (!c.group || !c.names)
        return;
    SendMessageA(c.group, CB_LIMITTEXT, QMS_NAME, 0);
    SendMessageA(c.names, CB_LIMITTEXT, IMP_NAMES_SIZE - 1, 0);
    int config = (list->kind & IMP_CONFIG) != 0;
    if (config) {
        add_choice(c.group, IMP_GROUP_TEXT);
        add_choice(c.names, IMP_NAMES_TEXT);
    }
    LocLockStore();
    LocForEach(LocTree, location_choices, &c);
    LocUnlockStore();
    char group[QMS_NAME + 1];
    if (config)
        strcpy(group, IMP_GROUP_TEXT);
    else
        ImportPresetGroup(group);
    SetWindowTextA(c.group, group);
    if (config)
        SetWindowTextA(c.names, IMP_NAMES_TEXT);
}

/* ---- the browse button ------------------------------------------------------- */

/* A small folder picture for the browse button. */
static HBITMAP browse_bitmap(HWND button)
{
    HDC screen = GetDC(button);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bm = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(button, screen);
    HGDIOBJ old = SelectObject(dc, bm);
    RECT all = { 0, 0, 16, 16 };
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    HBRUSH folder = CreateSolidBrush(RGB(230, 190, 80));
    RECT tab = { 2, 3, 7, 5 }, body = { 1, 5, 15, 13 };
    FillRect(dc, &tab, folder);
    FillRect(dc, &body, folder);
    FrameRect(dc, &body, (HBRUSH)GetStockObject(GRAY_BRUSH));
    DeleteObject(folder);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bm;
}

static void browse(IMPORTLIST *list, HWND hwnd)
{
    DDHANDLE dd = dialog_of(list);
    char current[IMP_FILE_SIZE], folder[IMP_FILE_SIZE], file[IMP_FILE_SIZE];
    DDGetFieldText(dd, IMPID_FILE, current, sizeof current);
    UIFileNameSplit(current, folder, file, sizeof folder);
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd;
    ofn.lpstrFilter = ImportWindowDef(list->kind)->filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = IMP_FILE_SIZE - 1;
    ofn.lpstrInitialDir = folder[0] ? folder : nullptr;
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    if (!UIRunFileDialog(&ofn))
        return;
    if (CSRunningOnWine)
        CSNormalisePath(file);
    DDSetFieldText(dd, IMPID_FILE, IMP_FILE_SIZE - 1, file);
}

/* ---- commands ---------------------------------------------------------------- */

static void read_file(IMPORTLIST *list)
{
    DDGetFieldText(dialog_of(list), IMPID_FILE, list->fileName, sizeof list->fileName);
    char *start = UTStripChars(list->fileName, " \t");
    memmove(list->fileName, start, strlen(start) + 1);
    if (list->kind & IMP_CCDT)
        ReadCCDTFile(list);
    else if (list->kind & IMP_CONFIG)
        ReadConfigImportFile(list);
    else
        ReadMQExplorerFile(list);
    fill_list(list);
}

/* The texts of "QM Group" and "Network Names". */
static void choice_texts(IMPORTLIST *list, char *group, char *names)
{
    DDHANDLE dd = dialog_of(list);
    DDGetFieldText(dd, IMPID_GROUP, group, QMS_NAME + 1);
    DDGetFieldText(dd, IMPID_NAMES, names, IMP_NAMES_SIZE);
}

void ImportSelected(IMPORTLIST *list)
{
    DDHANDLE dd = dialog_of(list);
    char group[QMS_NAME + 1], names[IMP_NAMES_SIZE];
    choice_texts(list, group, names);
    int mvs = (list->kind & IMP_CCDT) && DDGetCheck(dd, IMPID_MVS);
    if (list->kind & IMP_MQEX) {
        list->kind &= ~(uint32_t)(IMP_SETGROUP | IMP_SETNAMES);
        list->kind |= (DDGetCheck(dd, IMPID_SETGROUP) ? IMP_SETGROUP : 0) |
                      (DDGetCheck(dd, IMPID_SETNAMES) ? IMP_SETNAMES : 0);
    }
    int count;
    IMPORTENTRY **rows = selected_rows(list, &count);
    ImportEntries(list, rows, count, group, names, mvs);
    if (rows)
        CSFreeMem(rows);
    fill_list(list);
}

void ImportConfigSelected(IMPORTLIST *list)
{
    char group[QMS_NAME + 1], names[IMP_NAMES_SIZE];
    choice_texts(list, group, names);
    int count;
    IMPORTENTRY **rows = selected_rows(list, &count);
    ImportConfigEntries(list, rows, count, group, names);
    if (rows)
        CSFreeMem(rows);
    fill_list(list);
}

static void select_all(IMPORTLIST *list, int on)
{
    HWND lb = list_window(list);
    LRESULT n = lb ? SendMessageA(lb, LB_GETCOUNT, 0, 0) : 0;
    if (n > 0)
        SendMessageA(lb, LB_SELITEMRANGE, (WPARAM)on, MAKELPARAM(0, n - 1));
}

static void on_command(IMPORTLIST *list, HWND hwnd, int id, int code)
{
    switch (id) {
    case IMPID_READ: read_file(list); break;
    case 1:
        if (list->kind & IMP_CONFIG)
            ImportConfigSelected(list);
        else
            ImportSelected(list);
        break;
    case 2: PostMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case IMPID_SELECTALL: select_all(list, 1); break;
    case IMPID_DESELECTALL: select_all(list, 0); break;
    case IMPID_HIDE: if (code == BN_CLICKED) fill_list(list); break;
    case IMPID_BROWSE: browse(list, hwnd); break;
    }
}

/* ---- set-up and colours ------------------------------------------------------- */

static void set_colours(IMPORTLIST *list, HWND hwnd)
{
    if (dlgColours.brush)
        SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
    DDSetFieldColours(dialog_of(list), DD_BACKGROUND, 0, 0, 0, dlgColours.text, dlgColours.back,
                      dlgColours.brush);
    InvalidateRect(hwnd, nullptr, TRUE);
}

static void init_window(HWND hwnd, DDHANDLE dd, IMPORTLIST *list)
{
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)list);
    list->dialog = dd;
    list->window = hwnd;
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
    fill_choices(list);
    if (HWND b = DDGetFieldWindow(dd, IMPID_BROWSE, 0))
        SendMessageA(b, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)browse_bitmap(b));
    if (list->kind & IMP_CCDT) {
        char path[IMP_FILE_SIZE];
        ImportDefaultCcdtPath(path);
        DDSetFieldText(dd, IMPID_FILE, IMP_FILE_SIZE - 1, path);
    } else if (!(list->kind & IMP_LOCAL)) {
        DDSetFieldText(dd, IMPID_FILE, IMP_FILE_SIZE - 1, "");
    }
    if (list->kind & IMP_MQEX) {
        DDSetCheck(dd, IMPID_SETGROUP, 1);
        DDSetCheck(dd, IMPID_SETNAMES, 1);
    }
    /* the list was filled by UM_NEWFONT above */
    if (HWND lb = list_window(list))
        SetFocus(lb);
}

static void on_destroy(HWND hwnd, IMPORTLIST *list)
{
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    HWND b = list->dialog ? DDGetFieldWindow(dialog_of(list), IMPID_BROWSE, 0) : nullptr;
    HBITMAP bm = b ? (HBITMAP)SendMessageA(b, BM_GETIMAGE, IMAGE_BITMAP, 0) : nullptr;
    DDHANDLE dd = dialog_of(list);
    ImportListFree(list);
    DDDestroy(&dd);
    if (bm)
        DeleteObject(bm);
}

LRESULT CALLBACK ImportWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    IMPORTLIST *list = ImportWindowList(hwnd);
    switch (msg) {
    case WM_INITDIALOG:
        init_window(hwnd, (DDHANDLE)wp, (IMPORTLIST *)lp);
        return 0;
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT *mi = (MEASUREITEMSTRUCT *)lp;
        int h = winFonts.mainLineHeight ? winFonts.mainLineHeight : (int)mi->itemHeight;
        mi->itemHeight = (UINT)(h < 16 ? 16 : h);
        return TRUE;
    }
    case WM_DRAWITEM:
        if (list && wp == IMPID_LIST)
            draw_row(list, (const DRAWITEMSTRUCT *)lp);
        return TRUE;
    case WM_COMMAND:
        if (list)
            on_command(list, hwnd, LOWORD(wp), HIWORD(wp));
        return 0;
    case UM_NEWFONT:
        if (list && winFonts.mainFont)
            DDSetFont(dialog_of(list), winFonts.mainFont);
        if (list)
            fill_list(list);
        return 0;
    case UM_COLOURSCHANGED:
        if (list)
            set_colours(list, hwnd);
        return 0;
    case UM_LOCATIONSCHANGED:
        if (list)
            fill_list(list);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        UtilRemoveModeless(hwnd);
        if (list)
            on_destroy(hwnd, list);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- opening ------------------------------------------------------------------- */

HWND ImportOpenWindow(IMPORTLIST *list)
{
    const IMPWINDEF *def = ImportWindowDef(list->kind);
    HWND hwnd = DDCreateDialog(nullptr, def->table, DDC_ESCAPECLOSES, def->title, def->name,
                               tkHost.mainWindow, ImportWndProc, (LPARAM)list);
    if (!hwnd) {
        ImportListFree(list);
        return nullptr;
    }
    int cw, ch;
    WinGetCharSize(hwnd, winFonts.mainFont, &cw, &ch);
    SetWindowPos(hwnd, nullptr, 0, 0, 90 * cw, def->lines * ch, SWP_NOMOVE | SWP_NOZORDER);
    WinCentreWindow(hwnd);
    AddModeless(hwnd, 0, nullptr, nullptr);      /* fonts, colours and the set of locations reach it */
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}
