/* The Preferences window: twelve tabs of option lists, numbers, texts,
 * sounds, time formats, the password cache file and help commands.  The
 * fields are read into a PREFINPUT and prefrules.cpp checks and stores
 * them; this file keeps the window in step. */
#include "prefwin.h"

#include <cstdio>
#include <cstring>

#include "cs.h"
#include "confirm.h"
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define SUB(type, id, text, sub) {(uint32_t)(type), id, text, 0, sub, 0, 0, 0, 0, 0, 0}
#define LABEL(text) ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, text, 0, 0)
#define EDIT(id, width) ROW(DD_EDIT, id, "", width, 0)
#define SHOWN(id, width) ROW(DD_EDIT, id, "", width, ES_READONLY)
#define LIST(id, text) ROW(DD_COMBOBOX, id, "", 26, CBS_DROPDOWNLIST | WS_VSCROLL)
#define CHOICE(id, width) ROW(DD_COMBOBOX, id, "", width, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL)
#define CHECK(id, text) ROW(DD_CHECKBOX | DDF_NEWROW, id, text, 0, BS_AUTOCHECKBOX)
#define BUTTON(id, text) ROW(DD_BUTTON | DDF_CLASS2, id, text, 1, 0)
#define BOX(text) ROW(DD_GROUPBOX | DDF_NEWROW, 0, text, 0, 0)
#define BOXEND ROW(DD_GROUPE, 0, nullptr, 0, 0)
#define OPTIONS(id, lines) {(uint32_t)(DD_LISTBOX | DDF_NEWROW), id, nullptr, 0, nullptr, \
    WS_VSCROLL | WS_BORDER | LBS_MULTIPLESEL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | \
    LBS_NOINTEGRALHEIGHT, 44, lines, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

static DDFieldDef GeneralPage[] = {
    OPTIONS(343, 10),
    LABEL("Initial Add Context  "), LIST(PF_IACTX, 0),
    LABEL("Initial Update Context  "), LIST(PF_IUCTX, 0),
    LABEL("End Of Structure Detail Level  "), LIST(PF_EOSDL, 0),
    LABEL("Max Hex Dump Bytes  "), EDIT(PF_MAXHDB, 10),
    LABEL("Notify of program updates  "), LIST(PF_NOTIFY, 0),
    LABEL("Startup Splash "), EDIT(PF_SPLASHS, 30), BUTTON(PF_SPLASHSTEST, "Test"),
    LABEL("Qm Normal Splash "), EDIT(PF_SPLASHQMN, 30), BUTTON(PF_SPLASHQMNTEST, "Test"),
    LABEL("Qm Specific Splash "), EDIT(PF_SPLASHQMS, 30), BUTTON(PF_SPLASHQMSTEST, "Test"),
    END};

static DDFieldDef ConfirmationsPage[] = { OPTIONS(523, 19), END };

static DDFieldDef DialogsPage[] = {
    OPTIONS(344, 14),
    LABEL("History of Object Names  "), EDIT(PF_HSO, 6),
    LABEL("Progress Dialog Delay  "), EDIT(PF_PRGDELAY, 6),
    BOX("Separators"),
    LABEL("  Thousands "), EDIT(PF_SEP1000, 4), LABEL("  Lists "), EDIT(PF_SEPLIST, 4),
    LABEL("  Indicators "), EDIT(PF_SEPIND, 4),
    BOXEND,
    END};

static DDFieldDef ListsPage[] = {
    OPTIONS(347, 14),
    LABEL("History of Filter Expressions  "), EDIT(PF_HSF, 6),
    LABEL("List Flash Interval  "), EDIT(PF_FLASH, 6),
    LABEL("Shared Filter File "), EDIT(PF_SFFILE, 40),
    END};

static DDFieldDef BrowsePage[] = {
    OPTIONS(411, 4),
    LABEL("Default Msg Display Range  "), EDIT(PF_DISR, 20),
    LABEL("Default Max Browse Message Size  "), EDIT(PF_MAXM, 12),
    LABEL("Default Max Browse Messages  "), EDIT(PF_MAXB, 8),
    LABEL("Message Summary Size"), EDIT(PF_MSGSMS, 8),
    LABEL("Message Summary Display"), EDIT(PF_MSGDSP, 8),
    LABEL("Locale"), CHOICE(PF_LOCALE, 26),
    LABEL("Browse CCSID  "), EDIT(PF_CCSID, 10),
    END};

static DDFieldDef ConnectionPage[] = {
    OPTIONS(348, 5),
    LABEL("Auto Connect Delay  "), EDIT(PF_AUTOD, 20),
    LABEL("Command Expire Interval  "), EDIT(PF_CMDEXP, 20),
    BOX("Password Cache File"),
    CHECK(PF_USECACHE, "Use Cache File"), ROW(DD_CHECKBOX, PF_ACCESSSTART, "Access on start-up", 0, BS_AUTOCHECKBOX),
    LABEL("Cache File Name  "), EDIT(PF_PWC, 40),
    LABEL("Actual File Name  "), SHOWN(PF_PWCACTUAL, 40),
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, PF_SETPW, "Set Password", 1, 0),
    BUTTON(PF_ACCESS, "Access Cache"),
    BOXEND,
    END};

static DDFieldDef ExportPage[] = {
    OPTIONS(427, 3),
    LABEL("Text Title "), EDIT(PF_EXPTEXT, 44), LABEL(""), SHOWN(PF_EXPTEXTSAMPLE, 44),
    LABEL("MQSC Title "), EDIT(PF_EXPMQSC, 44), LABEL(""), SHOWN(PF_EXPMQSCSAMPLE, 44),
    LABEL("Date Format "), LIST(PF_DATEFORMAT, 0), LABEL("Date Separator "),
    ROW(DD_COMBOBOX, PF_DATESEP, "", 6, CBS_DROPDOWNLIST | WS_VSCROLL),
    LABEL("Date Example "), SHOWN(PF_DATEEXAMPLE, 14),
    LABEL("CSV Separator  "), EDIT(PF_CSVSEP, 3),
    END};

static DDFieldDef UserFormatsPage[] = {
    OPTIONS(542, 4),
    LABEL("File name"), EDIT(PF_UFFILE, 44),
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, PF_UFRELOAD, "Reload User Formats", 1, 0),
    END};

static DDFieldDef SoundsPage[] = {
    LABEL("Warning Sound  "), ROW(DD_EDIT | DDF_DBLCLICK, PF_WSND, "", 30, 0), BUTTON(PF_WPLAY, "Play"),
    LABEL("Alarm Sound  "), ROW(DD_EDIT | DDF_DBLCLICK, PF_ASND, "", 30, 0), BUTTON(PF_APLAY, "Play"),
    LABEL("Sound Times  "), EDIT(PF_ST, 14),
    END};

static DDFieldDef DisplayPage[] = { OPTIONS(346, 25), END };

static DDFieldDef TimePage[] = {
    BOX("Time Zone"),
    LABEL("Time Zone"), EDIT(PF_TZ, 20),
    CHECK(PF_LOCALTIMES, "Show local times"), ROW(DD_CHECKBOX, PF_SYSTEMZONE, "Use System settings", 0, BS_AUTOCHECKBOX),
    BOXEND,
    BOX("Dialog Refresh Time"),
    LABEL("Large Format  "), EDIT(PF_TF1, 40), LABEL("Medium Format  "), EDIT(PF_TF2, 40),
    LABEL("Small Format  "), EDIT(PF_TF3, 40),
    BOXEND,
    BOX("Formatted Time"),
    LABEL("Time Format "), CHOICE(PF_TIMEFORMAT, 26),
    LABEL("Time Sample "), ROW(DD_COMBOBOX, PF_TIMESAMPLE, "", 30, CBS_DROPDOWNLIST | WS_VSCROLL),
    ROW(DD_RADIO | DDF_NEWROW, PF_TODAYRADIO, "Today/Yesterday", 0, BS_AUTORADIOBUTTON | WS_GROUP),
    ROW(DD_RADIO, PF_LAST24H, "Last 24h/48h", 0, BS_AUTORADIOBUTTON),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, PF_TODAYLABEL, "Time Format (Today) ", 0, 0),
    CHOICE(PF_TODAY, 26),
    LABEL("Time Sample "), ROW(DD_COMBOBOX, PF_TODAYSAMPLE, "", 30, CBS_DROPDOWNLIST | WS_VSCROLL),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, PF_YESTERDAYLABEL, "Time Format (Yesterday) ", 0, 0),
    CHOICE(PF_YESTERDAY, 26),
    LABEL("Time Sample "), ROW(DD_COMBOBOX, PF_YESTERDAYSAMPLE, "", 30, CBS_DROPDOWNLIST | WS_VSCROLL),
    BOXEND,
    END};

static DDFieldDef HelpPage[] = {
    LABEL("Help File Command  "), EDIT(PF_HLPC, 44),
    LABEL("Help File Location  "), EDIT(PF_HLP, 44),
    END};

DDFieldDef DLG_PREFERENCE[] = {
    SUB(DD_TABCTL, PF_TABS, nullptr, nullptr),
    SUB(DD_TAB, 0, "General", GeneralPage), SUB(DD_TAB, 0, "Confirmations", ConfirmationsPage),
    SUB(DD_TAB, 0, "Dialogs", DialogsPage), SUB(DD_TAB, 0, "Lists", ListsPage),
    SUB(DD_TAB, 0, "Browse", BrowsePage), SUB(DD_TAB, 0, "Connection", ConnectionPage),
    SUB(DD_TAB, 0, "Export", ExportPage), SUB(DD_TAB, 0, "User Formats", UserFormatsPage),
    SUB(DD_TAB, 0, "Sounds", SoundsPage), SUB(DD_TAB, 0, "Display", DisplayPage),
    SUB(DD_TAB, 0, "Time", TimePage), SUB(DD_TAB, 0, "Help", HelpPage),
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, 1, "OK", 1, BS_DEFPUSHBUTTON),
    BUTTON(PF_APPLY, "Apply"), BUTTON(2, "Cancel"),
    END};

/* ---- the fields and their places in PREFINPUT -------------------------------- */

struct TextField {
    int id;
    size_t offset, size;
    int limit;
};

#define TF(id, member, limit) { id, offsetof(PREFINPUT, member), sizeof(PREFINPUT::member), limit }
static const TextField TextFields[] = {
    TF(PF_LOCALE, locale, 49), TF(PF_CCSID, browseCcsid, 10), TF(PF_UFFILE, userfmtfile, 299),
    TF(PF_EXPTEXT, expText, 299), TF(PF_EXPMQSC, expMqsc, 299), TF(PF_DATEFORMAT, dateFormat, 19),
    TF(PF_DATESEP, dateSeparator, 1), TF(PF_MAXHDB, maxhdb, 12), TF(PF_CMDEXP, cmdexp, 39),
    TF(PF_CSVSEP, csvsep, 1), TF(PF_SPLASHS, splash[0], 299), TF(PF_SPLASHQMN, splash[1], 299),
    TF(PF_SPLASHQMS, splash[2], 299), TF(PF_NOTIFY, notify, 39), TF(PF_PWC, pwc, 299),
    TF(PF_EOSDL, eosdl, 39), TF(PF_IACTX, iactx, 39), TF(PF_IUCTX, iuctx, 39),
    TF(PF_WSND, wsnd, 119), TF(PF_ASND, asnd, 119), TF(PF_ST, st, 29), TF(PF_DISR, disr, 19),
    TF(PF_MAXM, maxm, 12), TF(PF_MAXB, maxb, 12), TF(PF_MSGSMS, msgsms, 12),
    TF(PF_MSGDSP, msgdsp, 12), TF(PF_AUTOD, autod, 39), TF(PF_HSO, hso, 12), TF(PF_HSF, hsf, 12),
    TF(PF_PRGDELAY, prgdelay, 12), TF(PF_FLASH, fint, 12), TF(PF_SEP1000, sep1000, 3),
    TF(PF_SEPLIST, seplist, 3), TF(PF_SEPIND, sepind, 3), TF(PF_SFFILE, sffile, 259),
    TF(PF_TF1, tf1, 49), TF(PF_TF2, tf2, 49), TF(PF_TF3, tf3, 49),
    TF(PF_TIMEFORMAT, timeFormat, 49), TF(PF_TODAY, timeToday, 49),
    TF(PF_YESTERDAY, timeYesterday, 49), TF(PF_TZ, timeZone, 15), TF(PF_HLPC, hlpc, 259),
    TF(PF_HLP, hlp, 259),
};

struct CheckField {
    int id;
    size_t offset;
};

static const CheckField CheckFields[] = {
    { PF_USECACHE, offsetof(PREFINPUT, useCacheFile) },
    { PF_ACCESSSTART, offsetof(PREFINPUT, accessOnStart) },
    { PF_LOCALTIMES, offsetof(PREFINPUT, localTimes) },
    { PF_SYSTEMZONE, offsetof(PREFINPUT, systemZone) },
    { PF_LAST24H, offsetof(PREFINPUT, last24h) },
};

/* The three time formats: format field, sample field, label. */
static const int TimeRows[3][3] = {
    { PF_TIMEFORMAT, PF_TIMESAMPLE, 0 },
    { PF_TODAY, PF_TODAYSAMPLE, PF_TODAYLABEL },
    { PF_YESTERDAY, PF_YESTERDAYSAMPLE, PF_YESTERDAYLABEL },
};

/* The record of the open dialog. */
struct PREFWINDOW {
    HWND hwnd;
    DDHANDLE dd;
    PREFWORDS words;                   /* working copies of the option words */
    PREFCOPY copy;
};

static PREFWINDOW *prefOpen;

#define HOOKS PrefHooks()
#define HOOK(name, ...) do { if (HOOKS->name) HOOKS->name(HOOKS->context __VA_OPT__(,) __VA_ARGS__); } while (0)
#define ASK(owner, what, name, ...) WIN_HOOK_OR_SAY(HOOKS, owner, what, name __VA_OPT__(,) __VA_ARGS__)

HWND PrefWindow(void)
{
    return prefOpen ? prefOpen->hwnd : nullptr;
}

static HWND field(PREFWINDOW *p, int id)
{
    return DDGetFieldWindow(p->dd, id, 0);
}

static void combo_fill(PREFWINDOW *p, int id, const char *const *texts)
{
    HWND combo = field(p, id);
    if (!combo)
        return;
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; texts[i]; i++)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)texts[i]);
}

static void combo_rows(PREFWINDOW *p, int id, const PrefValueRow *rows)
{
    HWND combo = field(p, id);
    for (const PrefValueRow *r = rows; combo && r->text; r++)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)r->text);
}

/* A drop-down list shows a text by selecting its row. */
static void show_text(PREFWINDOW *p, int id, const char *text)
{
    DDField *f = DDFindField(p->dd, id);
    HWND w = f && (f->type & 0xFF) == DD_COMBOBOX ? field(p, id) : nullptr;
    if (w && (f->row->style & 3) == CBS_DROPDOWNLIST) {
        SendMessageA(w, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)text);
        return;
    }
    DDSetFieldValue(p->dd, id, text);
}

/* ---- option lists ---------------------------------------------------------------- */

/* PrefRefreshOptionLists: every line selected while its row is on. */
static void sync_lists(PREFWINDOW *p)
{
    for (int l = 0; l < PrefOptionListCount; l++) {
        const PrefOptionList *list = &PrefOptionLists[l];
        HWND w = field(p, list->id);
        for (int i = 0; w && i < list->count; i++)
            SendMessageA(w, LB_SETSEL, (WPARAM)PrefRowOn(&list->rows[i], &p->words), i);
        if (w)
            InvalidateRect(w, nullptr, FALSE);
    }
}

/* PrefFillOptionLists. */
static void fill_lists(PREFWINDOW *p)
{
    for (int l = 0; l < PrefOptionListCount; l++) {
        const PrefOptionList *list = &PrefOptionLists[l];
        HWND w = DDGetFieldWindow(p->dd, list->id, 1);
        if (!w)
            continue;
        SendMessageA(w, LB_RESETCONTENT, 0, 0);
        for (int i = 0; i < list->count; i++) {
            int row = (int)SendMessageA(w, LB_ADDSTRING, 0, (LPARAM)list->rows[i].text);
            SendMessageA(w, LB_SETITEMDATA, (WPARAM)row, (LPARAM)i);
        }
    }
    sync_lists(p);
}

/* A click in an option list: each line whose state changed sets its row. */
static void list_changed(PREFWINDOW *p, int id)
{
    const PrefOptionList *list = PrefFindOptionList(id);
    HWND w = field(p, id);
    if (!list || !w)
        return;
    for (int i = 0; i < list->count; i++) {
        int sel = SendMessageA(w, LB_GETSEL, (WPARAM)i, 0) > 0;
        if (sel != PrefRowOn(&list->rows[i], &p->words))
            PrefRowSet(&list->rows[i], &p->words, sel);
    }
    sync_lists(p);
}

static void draw_option(PREFWINDOW *p, const DRAWITEMSTRUCT *di)
{
    const PrefOptionList *list = PrefFindOptionList((int)di->CtlID);
    if (!list || di->itemID == (UINT)-1 || (int)di->itemData >= list->count)
        return;
    const PrefOptionRow *row = &list->rows[di->itemData];
    HDC dc = di->hDC;
    RECT rc = di->rcItem;
    int heading = row->word == PW_HEADING;
    COLORREF back = heading ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_WINDOW);
    COLORREF text = heading ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_WINDOWTEXT);
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    int x = rc.left + 2;
    if (!heading) {
        int on = PrefRowOn(row, &p->words);
        RECT mark = { x, rc.top + (rc.bottom - rc.top - 14) / 2, x + 14, 0 };
        mark.bottom = mark.top + 14;
        UINT kind = row->group ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
        DrawFrameControl(dc, &mark, DFC_BUTTON, kind | (on ? DFCS_CHECKED : 0) | DFCS_FLAT);
        if (on && !row->group && (p->words.word[PW_PO] & 0x800)) {
            HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 160, 0));
            HGDIOBJ old = SelectObject(dc, pen);
            MoveToEx(dc, mark.left + 3, mark.top + 7, nullptr);
            LineTo(dc, mark.left + 6, mark.top + 10);
            LineTo(dc, mark.left + 11, mark.top + 3);
            SelectObject(dc, old);
            DeleteObject(pen);
        }
        x += 20;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    RECT tr = { x, rc.top, rc.right, rc.bottom };
    DrawTextA(dc, row->text, -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (di->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &rc);
}

/* ---- the fields ---------------------------------------------------------------- */

static void read_fields(PREFWINDOW *p, PREFINPUT *in)
{
    memset(in, 0, sizeof *in);
    for (const TextField &t : TextFields)
        DDGetFieldText(p->dd, t.id, (char *)in + t.offset, (int)t.size);
    for (const CheckField &c : CheckFields)
        *(int *)((char *)in + c.offset) = DDGetCheck(p->dd, c.id);
    in->words = p->words;
}

/* The format drop-downs: every template; its sample beside it. */
static void fill_time_formats(PREFWINDOW *p)
{
    char format[80], sample[120];
    int64_t moment = PrefSampleMoment();
    for (const auto &row : TimeRows) {
        HWND fmt = field(p, row[0]), smp = field(p, row[1]);
        if (fmt)
            SendMessageA(fmt, CB_RESETCONTENT, 0, 0);
        if (smp)
            SendMessageA(smp, CB_RESETCONTENT, 0, 0);
        for (int i = 0; i < PrefTimeTemplateCount; i++) {
            PrefTimeTemplate(i, Prf.eds, format, sizeof format);
            PrefTimeSample(format, moment, sample, sizeof sample);
            if (fmt)
                SendMessageA(fmt, CB_ADDSTRING, 0, (LPARAM)format);
            if (smp)
                SendMessageA(smp, CB_ADDSTRING, 0, (LPARAM)sample);
        }
    }
}

/* The sample of the format a format field holds. */
static void show_sample(PREFWINDOW *p, int row)
{
    char format[80], sample[120];
    DDGetFieldText(p->dd, TimeRows[row][0], format, sizeof format);
    PrefTimeSample(format, PrefSampleMoment(), sample, sizeof sample);
    HWND smp = field(p, TimeRows[row][1]);
    if (smp && SendMessageA(smp, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)sample) == CB_ERR)
        SendMessageA(smp, CB_SETCURSEL, (WPARAM)-1, 0);
}

/* A sample chosen: its template into the format field. */
static void take_sample(PREFWINDOW *p, int row)
{
    HWND smp = field(p, TimeRows[row][1]);
    int sel = smp ? (int)SendMessageA(smp, CB_GETCURSEL, 0, 0) : -1;
    if (sel < 0 || sel >= PrefTimeTemplateCount)
        return;
    char format[80];
    PrefTimeTemplate(sel, Prf.eds, format, sizeof format);
    DDSetFieldValue(p->dd, TimeRows[row][0], format);
}

static void relabel_formats(PREFWINDOW *p)
{
    int last = (Prf.po[4] & PO5_LAST_24H) != 0;
    DDSetFieldValue(p->dd, PF_TODAYLABEL, last ? "Time Format (Last 24h) " : "Time Format (Today) ");
    DDSetFieldValue(p->dd, PF_YESTERDAYLABEL, last ? "Time Format (Last 48h) " : "Time Format (Yesterday) ");
    DDSetCheck(p->dd, PF_LAST24H, last);
    DDSetCheck(p->dd, PF_TODAYRADIO, !last);
}

/* PrefShowTimeZone. */
static void show_time_zone(PREFWINDOW *p)
{
    int local = (Prf.po[1] & PO2_LOCAL_TIMES) != 0, system = (Prf.po[1] & PO2_SYSTEM_ZONE) != 0;
    char text[40];
    PrefTimeZoneText(system ? Prf.tzEffective : Prf.tz, system && Prf.tzEffective != Prf.tz, text, sizeof text);
    DDSetFieldValue(p->dd, PF_TZ, text);
    DDSetCheck(p->dd, PF_LOCALTIMES, local);
    DDSetCheck(p->dd, PF_SYSTEMZONE, system);
    DDEnableField(p->dd, PF_TZ, local && !system, 0);
    DDEnableField(p->dd, PF_SYSTEMZONE, local, 0);
}

/* PrefCacheButtons. */
static void cache_buttons(PREFWINDOW *p)
{
    char actual[300] = "", current[300] = "";
    DDGetFieldText(p->dd, PF_PWCACTUAL, actual, sizeof actual);
    int isOpen = 0, allowed = HOOKS->pwcState ? HOOKS->pwcState(HOOKS->context, &isOpen, current, sizeof current) : 0;
    int same = isOpen && !strcmp(actual, current);
    DDEnableField(p->dd, PF_SETPW, allowed && actual[0], 0);
    DDSetFieldValue(p->dd, PF_ACCESS, same ? "Cache Accessed" : "Access Cache");
    DDEnableField(p->dd, PF_ACCESS, allowed && (isOpen ? !same : actual[0] != 0), 0);
}

static void show_actual_name(PREFWINDOW *p)
{
    char templ[300], actual[300] = "";
    DDGetFieldText(p->dd, PF_PWC, templ, sizeof templ);
    if (HOOKS->pwcResolve)
        HOOKS->pwcResolve(HOOKS->context, templ, actual, sizeof actual);
    DDSetFieldValue(p->dd, PF_PWCACTUAL, actual);
    cache_buttons(p);
}

static void show_date_example(PREFWINDOW *p)
{
    char format[20], sep[4], example[40];
    DDGetFieldText(p->dd, PF_DATEFORMAT, format, sizeof format);
    DDGetFieldText(p->dd, PF_DATESEP, sep, sizeof sep);
    int f = 0;
    for (int i = 0; PrefDateFormats[i]; i++)
        if (!strcmp(PrefDateFormats[i], format))
            f = i;
    PrefDateExample(f, sep[0] ? sep[0] : '/', CSGetCurrentTime(), example, sizeof example);
    DDSetFieldValue(p->dd, PF_DATEEXAMPLE, example);
}

static void show_title_samples(PREFWINDOW *p)
{
    char templ[300], sample[600];
    DDGetFieldText(p->dd, PF_EXPTEXT, templ, sizeof templ);
    PrefTitleSample(templ, 0, sample, sizeof sample);
    DDSetFieldValue(p->dd, PF_EXPTEXTSAMPLE, sample);
    DDGetFieldText(p->dd, PF_EXPMQSC, templ, sizeof templ);
    PrefTitleSample(templ, 1, sample, sizeof sample);
    DDSetFieldValue(p->dd, PF_EXPMQSCSAMPLE, sample);
}

/* 11225: the copy taken and every field set from the settings. */
static void on_load(PREFWINDOW *p)
{
    PrefTakeCopy(&p->copy);
    PrefTakeWords(&p->words);
    PREFINPUT in;
    PrefLoad(&in);
    fill_time_formats(p);
    for (const TextField &t : TextFields)
        show_text(p, t.id, (const char *)&in + t.offset);
    for (const TextField &t : TextFields)
        DDSendFieldMsg(p->dd, t.id, EM_LIMITTEXT, (WPARAM)t.limit, 0);
    for (const CheckField &c : CheckFields)
        DDSetCheck(p->dd, c.id, *(const int *)((const char *)&in + c.offset));
    for (int r = 0; r < 3; r++)
        show_sample(p, r);
    relabel_formats(p);
    show_time_zone(p);
    show_actual_name(p);
    show_date_example(p);
    show_title_samples(p);
    sync_lists(p);
    DDInvalidateAll(p->dd);
}

/* ---- commands -------------------------------------------------------------------- */

static void on_apply(PREFWINDOW *p, int ok)
{
    PREFINPUT in;
    read_fields(p, &in);
    PREFERROR e;
    if (PrefApply(&in, &p->copy, p->hwnd, &e)) {
        if (e.text[0])
            WinNoteBox(p->hwnd, 1, 0, e.text);
        HWND f = field(p, e.field);
        if (f)
            SetFocus(f);
        return;
    }
    if (ok)
        PostMessageA(p->hwnd, WM_CLOSE, 0, 0);
    else
        SendMessageA(p->hwnd, UM_PREF_LOAD, 0, 0);
}

/* A time-zone box clicked: its bit at once, the fields again. */
static void zone_click(PREFWINDOW *p)
{
    UTSetFlag(&Prf.po[1], DDGetCheck(p->dd, PF_LOCALTIMES), PO2_LOCAL_TIMES);
    UTSetFlag(&Prf.po[1], DDGetCheck(p->dd, PF_SYSTEMZONE), PO2_SYSTEM_ZONE);
    const uint32_t times = PO2_LOCAL_TIMES | PO2_SYSTEM_ZONE;
    p->words.word[PW_PO2] = (p->words.word[PW_PO2] & ~times) | (Prf.po[1] & times);
    PrfGetTimeZone();
    show_time_zone(p);
}

static void relative_click(PREFWINDOW *p, int id)
{
    UTSetFlag(&Prf.po[4], id == PF_LAST24H, PO5_LAST_24H);
    p->words.word[PW_PO5] = (p->words.word[PW_PO5] & ~(uint32_t)PO5_LAST_24H) |
                            (Prf.po[4] & PO5_LAST_24H);
    relabel_formats(p);
    HOOK(repaint, 0x1000);
}

static void play(PREFWINDOW *p, int id)
{
    char name[120];
    DDGetFieldText(p->dd, id, name, sizeof name);
    WinPlaySound(name, 0, 1);
}

static void splash_test(PREFWINDOW *p, int which, int id)
{
    char source[300];
    DDGetFieldText(p->dd, id, source, sizeof source);
    const char **slot = which == 0 ? &Prf.splashs : which == 1 ? &Prf.splashqmn : &Prf.splashqms;
    CSStringSet(slot, source[0] ? source : nullptr, -1);
    ASK(p->hwnd, "The splash test", splashTest, which, source);
}

static void cache_command(PREFWINDOW *p, int id)
{
    DDGetFieldText(p->dd, PF_PWC, Prf.pwc, sizeof Prf.pwc);
    HOOK(pwcRefresh);
    if (id == PF_SETPW)
        ASK(p->hwnd, "Setting the password cache's password", pwcSetPassword, p->hwnd);
    else
        ASK(p->hwnd, "Opening the password cache", pwcAccess, p->hwnd);
    cache_buttons(p);
}

static void on_command(PREFWINDOW *p, int id, int code)
{
    if (PrefFindOptionList(id)) {
        if (code == LBN_SELCHANGE)
            list_changed(p, id);
        return;
    }
    switch (id) {
    case 1: case PF_APPLY: on_apply(p, id == 1); break;
    case 2: PostMessageA(p->hwnd, WM_CLOSE, 0, 0); break;
    case PF_WPLAY: play(p, PF_WSND); break;
    case PF_APLAY: play(p, PF_ASND); break;
    case PF_WSND: case PF_ASND:
        if (code == 2)                                 /* a double click */
            play(p, id);
        break;
    case PF_SPLASHSTEST: splash_test(p, 0, PF_SPLASHS); break;
    case PF_SPLASHQMNTEST: splash_test(p, 1, PF_SPLASHQMN); break;
    case PF_SPLASHQMSTEST: splash_test(p, 2, PF_SPLASHQMS); break;
    case PF_UFRELOAD:
        DDGetFieldText(p->dd, PF_UFFILE, Prf.userfmtfile, sizeof Prf.userfmtfile);
        ASK(p->hwnd, "Loading user formats", ufLoadFormats, p->hwnd, 0);
        break;
    case PF_LOCALTIMES: case PF_SYSTEMZONE:
        if (code == BN_CLICKED)
            zone_click(p);
        break;
    case PF_TODAYRADIO: case PF_LAST24H:
        if (code == BN_CLICKED)
            relative_click(p, id);
        break;
    case PF_TIMESAMPLE: case PF_TODAYSAMPLE: case PF_YESTERDAYSAMPLE:
        if (code == CBN_SELCHANGE)
            take_sample(p, id == PF_TIMESAMPLE ? 0 : id == PF_TODAYSAMPLE ? 1 : 2);
        break;
    case PF_TIMEFORMAT: case PF_TODAY: case PF_YESTERDAY:
        if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)
            PostMessageA(p->hwnd, WM_COMMAND, MAKEWPARAM(id, 0x7F00), 0);
        else if (code == 0x7F00)                       /* after the selection has its text */
            show_sample(p, id == PF_TIMEFORMAT ? 0 : id == PF_TODAY ? 1 : 2);
        break;
    case PF_DATEFORMAT: case PF_DATESEP:
        if (code == CBN_SELCHANGE)
            show_date_example(p);
        break;
    case PF_EXPTEXT: case PF_EXPMQSC:
        if (code == EN_CHANGE)
            show_title_samples(p);
        break;
    case PF_PWC:
        if (code == EN_CHANGE)
            show_actual_name(p);
        break;
    case PF_SETPW: case PF_ACCESS: cache_command(p, id); break;
    }
}

/* ---- the window --------------------------------------------------------------------- */

static void on_init(HWND hwnd, DDHANDLE dd)
{
    PREFWINDOW *p = (PREFWINDOW *)CSGetMem(sizeof *p, "PREFWINDOW");
    if (!p)
        return;
    memset(p, 0, sizeof *p);
    p->hwnd = hwnd;
    p->dd = dd;
    prefOpen = p;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)p);
    PrefTakeWords(&p->words);
    combo_fill(p, PF_LOCALE, PrefLocales);
    combo_rows(p, PF_EOSDL, PrefEosdlRows);
    combo_rows(p, PF_IACTX, PrefAddContextRows);
    combo_rows(p, PF_IUCTX, PrefUpdateContextRows);
    combo_fill(p, PF_DATEFORMAT, PrefDateFormats);
    combo_fill(p, PF_DATESEP, PrefDateSeparators);
    combo_fill(p, PF_NOTIFY, PrefNotifyTexts);
    fill_lists(p);
    HWND first = field(p, 343);
    if (first)
        SetFocus(first);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
}

static void on_start(PREFWINDOW *p)
{
    SendMessageA(p->hwnd, UM_PREF_LOAD, 0, 0);
    const int32_t *saved = Prf.dialogs[DLG_PRF];
    SIZE size;
    DDWindowSize(p->dd, p->hwnd, 84, 34, saved[2], saved[3], &size);
    WinPositionAtCursor(p->hwnd, size.cx, size.cy, 0);
    ShowWindow(p->hwnd, SW_SHOW);
}

static void on_close(PREFWINDOW *p)
{
    HWND hwnd = p->hwnd;
    DDHANDLE dd = p->dd;
    prefOpen = nullptr;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    CSFreeMem(p);
    DDDestroy(&dd);
    DestroyWindow(hwnd);
}

LRESULT CALLBACK PrefDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        on_init(hwnd, (DDHANDLE)wp);
        return 0;
    }
    if (msg == WM_MEASUREITEM) {
        MEASUREITEMSTRUCT *mi = (MEASUREITEMSTRUCT *)lp;
        int cw, ch;
        WinGetCharSize(hwnd, winFonts.mainFont, &cw, &ch);
        mi->itemHeight = ch > 16 ? (UINT)ch : 16;
        return TRUE;
    }
    PREFWINDOW *p = (PREFWINDOW *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    if (!p)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case UM_PREF_START: on_start(p); return 0;
    case UM_PREF_LOAD: on_load(p); return 0;
    case UM_PREF_CACHE: cache_buttons(p); return 0;
    case UM_PREF_OPTIONS:
        PrefTakeWords(&p->words);
        sync_lists(p);
        return 0;
    case UM_NEWFONT:
        if (winFonts.mainFont)
            DDSetFont(p->dd, winFonts.mainFont);
        return 0;
    case UM_COLOURSCHANGED:
        if (dlgColours.brush)
            SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
        HOOK(setDlgColours, p->dd);
        return 0;
    case WM_DRAWITEM: draw_option(p, (const DRAWITEMSTRUCT *)lp); return TRUE;
    case WM_COMMAND: on_command(p, LOWORD(wp), HIWORD(wp)); return 0;
    case WM_SIZE:
        if (IsWindowVisible(hwnd) && wp != SIZE_MINIMIZED) {
            RECT rc;
            GetWindowRect(hwnd, &rc);
            Prf.dialogs[DLG_PRF][2] = rc.right - rc.left;
            Prf.dialogs[DLG_PRF][3] = rc.bottom - rc.top;
        }
        break;
    case WM_CLOSE: on_close(p); return 0;
    case WM_DESTROY: HOOK(removeModeless, hwnd); break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND PrefDialog(HWND owner)
{
    if (prefOpen) {
        SetForegroundWindow(prefOpen->hwnd);
        return prefOpen->hwnd;
    }
    HWND hwnd = DDCreateDialog(nullptr, DLG_PREFERENCE, DDC_ESCAPECLOSES, "Kelvane Preferences", "DLG_PREFERENCE",
                               owner, PrefDlgProc, 0);
    if (!hwnd) {
        UtilMessageBox(owner, "WinLoadDlg failed", "Operational Error", MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    HOOK(addModeless, hwnd);
    SendMessageA(hwnd, UM_PREF_START, 0, 0);
    return hwnd;
}
