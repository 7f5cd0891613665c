/* The editing windows of the field pane: one at a time lies over the
 * current line's value (an edit, a combo box, or their upper-case twins
 * for names a location asks in upper case).  Activating a line stores the
 * value being edited first; keys step between lines; change tracking
 * follows typing; drop-downs fill from value tables and name lists. */
#include "pcfwin.h"
#include "pcflistwin.h"

#include <commctrl.h>
#include <initializer_list>

#include "cs.h"
#include "locstore.h"
#include "mq/capability.h"
#include "command.h"
#include "tkwin.h"

#define TEXT_MAX 1023          /* longest text change tracking reads */

DialogWords *PCFFieldsDialog(HWND fieldWindow);

/* The dialog of an editing window (its parent is the field window). */
static DialogWords *DialogOfEditor(HWND hwnd)
{
    for (HWND w = hwnd; w; w = GetParent(w))
        if (GetDlgCtrlID(w) == PCFC_FIELDS)
            return PCFFieldsDialog(w);
    return nullptr;
}

/* ---- window procedures of the editors ---- */

static LRESULT CallOld(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WNDPROC old = (WNDPROC)GetPropA(hwnd, "PCFOldProc");
    return old ? CallWindowProcA(old, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

/* Plain typing gives upper case while Caps Lock is off: letters swap case. */
static WPARAM SwapCase(WPARAM ch)
{
    if (GetKeyState(VK_CAPITAL) & 1)
        return ch;
    if (ch >= 'a' && ch <= 'z')
        return ch - 'a' + 'A';
    if (ch >= 'A' && ch <= 'Z')
        return ch - 'A' + 'a';
    return ch;
}

/* What every editor does; inCombo for combo edit parts, upper for the
 * upper-case twins.  -1 when the control's own procedure should run. */
static LRESULT Common(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, int inCombo, int upper)
{
    HWND control = inCombo ? GetParent(hwnd) : hwnd;
    DialogWords *d = DialogOfEditor(control);
    switch (msg) {
    case WM_KEYUP: case WM_CHAR:
        if (wp == VK_TAB)
            return 0;
        if (msg == WM_CHAR && upper)
            return CallOld(hwnd, msg, SwapCase(wp), lp);
        break;
    case WM_KEYDOWN:
        if ((!inCombo || !SendMessageA(control, CB_GETDROPPEDSTATE, 0, 0)) && PCFFieldKey(control, wp, inCombo))
            return 0;
        break;
    case WM_LBUTTONDBLCLK:
        if (d)
            PCFClickDialog(d, (int32_t)d->currentLine);
        return 0;
    case WM_MOUSEWHEEL:
        if (inCombo && d && d->fieldWindow)
            return SendMessageA(PCFWnd(d->fieldWindow), msg, wp, lp);
        break;
    }
    return CallOld(hwnd, msg, wp, lp);
}

LRESULT CALLBACK PCFEntryFieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return Common(hwnd, msg, wp, lp, 0, 0);
}

LRESULT CALLBACK PCFEntryField2Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return Common(hwnd, msg, wp, lp, 0, 1);
}

LRESULT CALLBACK PCFComboEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return Common(hwnd, msg, wp, lp, 1, 0);
}

LRESULT CALLBACK PCFLevelComboEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return Common(hwnd, msg, wp, lp, 1, 1);
}

static void Subclass(HWND hwnd, WNDPROC proc)
{
    SetPropA(hwnd, "PCFOldProc", (HANDLE)SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)proc));
}

/* The edit part of a combo box. */
static HWND ComboEdit(HWND combo)
{
    COMBOBOXINFO info = { sizeof info };
    return GetComboBoxInfo(combo, &info) ? info.hwndItem : nullptr;
}

static HWND Editor(HWND parent, const char *cls, DWORD style, int id, DWORD exStyle)
{
    return CreateWindowExA(exStyle, cls, "", WS_CHILD | WS_TABSTOP | style, 0, 0, 0, 0, parent,
                           (HMENU)(intptr_t)id, GetModuleHandleA(nullptr), nullptr);
}

int PCFMakeEditors(DialogWords *d, HWND fields)
{
    HFONT font = winFonts.mainFont ? winFonts.mainFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    HWND edit = Editor(fields, "EDIT", WS_BORDER | ES_AUTOHSCROLL, PCFC_EDIT, WS_EX_CLIENTEDGE);
    if (!edit) {
        WinOpError("WinCreateWindow failed: ENTRYFIELD");
        return 0;
    }
    HWND combo = Editor(fields, "COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, PCFC_COMBO, 0);
    if (!combo) {
        WinOpError("WinCreateWindow failed: COMBOBOX");
        return 0;
    }
    Subclass(edit, PCFEntryFieldProc);
    if (HWND part = ComboEdit(combo))
        Subclass(part, PCFComboEditProc);
    d->editWindow = edit;
    d->comboWindow = combo;
    if (d->first.location && (d->first.location->flags & 0x7000)) {
        HWND combo2 = Editor(fields, "COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, PCFC_COMBO2, 0);
        HWND edit2 = Editor(fields, "EDIT", WS_BORDER | ES_AUTOHSCROLL, PCFC_EDIT2, WS_EX_CLIENTEDGE);
        if (!combo2 || !edit2) {
            WinOpError("WinCreateWindow failed: COMBOBOX");
            return 0;
        }
        if (HWND part = ComboEdit(combo2))
            Subclass(part, PCFLevelComboEditProc);
        Subclass(edit2, PCFEntryField2Proc);
        d->combo2Window = combo2;
        d->edit2Window = edit2;
    }
    for (HWND w : { edit, combo, PCFWnd(d->combo2Window), PCFWnd(d->edit2Window) })
        if (w)
            SendMessageA(w, WM_SETFONT, (WPARAM)font, 0);
    return 1;
}

/* ---- activating a line ---- */

static int IsCombo(HWND w)
{
    char cls[16];
    return w && GetClassNameA(w, cls, sizeof cls) && _stricmp(cls, "COMBOBOX") == 0;
}

/* Whether a text equals the current field's value (0 without storage:
 * taken as differing). */
static int SameAsValue(DialogWords *d, const char *text)
{
    char *value = PCFValueCopy(d, d->currentField, d->listIndex > 0 ? d->listIndex : 0, 0);
    int same = value && strcmp(text, value) == 0;
    CSFreeMemAndClear(&value);
    return same;
}

void PCFShowFieldValue(DialogWords *d, int onlyIfChanged)
{
    HWND w = PCFWnd(d->valueWindow);
    if (!w || !d->currentField)
        return;
    char *value = PCFValueCopy(d, d->currentField, d->listIndex > 0 ? d->listIndex : 0, 0), shown[1026];
    if (!value)
        return;
    GetWindowTextA(w, shown, sizeof shown);
    int same = strncmp(shown, value, 1025) == 0;
    if (!onlyIfChanged || !same)
        SetWindowTextA(w, value);
    CSFreeMem(value);
    if (onlyIfChanged && same)
        return;
    if (IsCombo(w))
        SendMessageA(w, CB_SETEDITSEL, 0, MAKELPARAM(-1, 0));
    else
        SendMessageA(w, EM_SETSEL, 0, 0);
}

/* Step 1: the text being edited is stored; 0 when it is not valid. */
static int StoreCurrent(DialogWords *d)
{
    HWND w = PCFWnd(d->valueWindow);
    if (!d->currentField || !w || !IsWindowVisible(w) || (GetWindowLongA(w, GWL_STYLE) & ES_READONLY))
        return 1;
    int n = GetWindowTextLengthA(w);
    char *typed = (char *)CSGetMem((size_t)n + 2, "COMBO");
    if (!typed)
        return 1;
    GetWindowTextA(w, typed, n + 1);
    int same = SameAsValue(d, typed);
    CSFreeMem(typed);
    if (same)
        return 1;
    return FieldHWNDData(d, 1, nullptr, 0, d->currentField, nullptr, -1, 0) == 0;
}

/* The editing window of a kind for a field: the upper-case combo box
 * only where it serves the field's type. */
static HWND WindowFor(DialogWords *d, int kind, const PCFFieldEntry *e)
{
    switch (kind) {
    case PCFE_EDITOR: return PCFWnd(d->editWindow);
    case PCFE_UPPER_EDIT: return PCFWnd(d->edit2Window ? d->edit2Window : d->editWindow);
    case PCFE_COMBOBOX: return PCFWnd(d->comboWindow);
    case PCFE_UPPER_COMBO:
        return PCFWnd(PCFSecondComboApplies(d, e->field->type) ? d->combo2Window : d->comboWindow);
    }
    return nullptr;
}

int ActivateField(DialogWords *d, int32_t line, int strict)
{
    int hadField = d->currentField && d->valueWindow && IsWindowVisible(PCFWnd(d->valueWindow));
    if (hadField && !StoreCurrent(d))
        return 0;
    if (!d->lineCount)
        PCFCountLines(d);
    if (line >= d->lineCount)
        line = d->lineCount - 1;
    if (line < 0)
        return 0;
    PCFFieldEntry *e = nullptr;
    int32_t element = 0;
    int kind = 0;
    if (PCFLineAt(d, line, &e, &element, &kind))
        return 0;
    int ro = 0;
    PCFEntryShown(d, e, &ro);
    int limit = 0;
    HWND w = WindowFor(d, PCFEditorFor(d, e, ro, &limit), e);
    if (!w)
        return 0;
    if (d->valueWindow && PCFWnd(d->valueWindow) != w)
        ShowWindow(PCFWnd(d->valueWindow), SW_HIDE);
    d->currentField = e;
    d->listIndex = element;
    d->currentLine = (uint32_t)line;
    d->firstValueLine = (uint32_t)(line - element);
    d->currentTab = PCFUseFieldTabs(d) ? d->shownTab : 0;
    d->valueWindow = w;
    if (!IsCombo(w))
        SendMessageA(w, EM_SETREADONLY, ro, 0);
    if (IsCombo(w)) {
        SendMessageA(w, CB_LIMITTEXT, (WPARAM)limit, 0);
        SendMessageA(w, CB_RESETCONTENT, 0, 0);
    } else {
        SendMessageA(w, EM_LIMITTEXT, (WPARAM)limit, 0);
    }
    PCFKeepFieldInView(d);
    PosField(d);
    if (hadField && GetFocus() && IsChild(PCFWnd(d->fieldWindow), GetFocus()))
        SetFocus(w);
    PCFShowFieldValue(d, 0);
    ShowWindow(w, SW_SHOW);
    if (IsCombo(w) && !PcfWinPrefs.noComboFill)
        PCFFillFieldCombo(d, 0);
    if (d->fieldWindow)
        InvalidateRect(PCFWnd(d->fieldWindow), nullptr, FALSE);
    return 1;
}

int PCFStepField(DialogWords *d, int forward, int toEnd)
{
    uint32_t before = d->currentLine;
    int32_t line;
    if (toEnd)
        line = forward ? 500 : 0;
    else if (before == 0xFFFFFFFF)
        line = 0;
    else
        line = (int32_t)before + (forward ? 1 : -1);
    if (line >= d->lineCount)
        line = d->lineCount - 1;
    if (line < 0)
        return 0;
    if (line == (int32_t)before)
        return 0;
    ActivateField(d, line, 0);
    if (d->valueWindow)
        SetFocus(PCFWnd(d->valueWindow));
    return d->currentLine != before;
}

int PCFFocusFields(DialogWords *d, int forward)
{
    if (!d->lineCount)
        return 0;
    ActivateField(d, forward ? 0 : d->lineCount - 1, 0);
    if (!d->valueWindow || !IsWindowVisible(PCFWnd(d->valueWindow)))
        return 0;
    SetFocus(PCFWnd(d->valueWindow));
    return 1;
}

int PCFFieldKey(HWND window, WPARAM key, int)
{
    DialogWords *d = DialogOfEditor(window);
    if (!d)
        return 0;
    int shift = GetKeyState(VK_SHIFT) < 0;
    int forward;
    switch (key) {
    case VK_TAB: forward = !shift; break;
    case VK_UP: case VK_DOWN:
        if (!PcfWinPrefs.arrowKeysMove)
            return 0;
        forward = key == VK_DOWN;
        break;
    case VK_PRIOR: case VK_NEXT:
        SendMessageA(PCFWnd(d->fieldWindow), WM_VSCROLL, key == VK_NEXT ? SB_PAGEDOWN : SB_PAGEUP, 0);
        return 1;
    default: return 0;
    }
    HWND dialog = PCFWnd(d->window);
    uint32_t line = d->currentLine;
    int lastList = d->currentField && d->currentField->field->type == PCFT_MULTISTR;
    if (!forward && (line == 0 || !PCFStepField(d, 0, 0))) {
        SendMessageA(dialog, LBM_BACKTAB, 0, (LPARAM)PCFWnd(d->fieldWindow));
        return 1;
    }
    if (forward && (line + 1 >= d->lineCount && !lastList)) {
        SendMessageA(dialog, LBM_TAB, 0, (LPARAM)PCFWnd(d->fieldWindow));
        return 1;
    }
    if (forward && !PCFStepField(d, 1, 0))
        SendMessageA(dialog, LBM_TAB, 0, (LPARAM)PCFWnd(d->fieldWindow));
    return 1;
}

/* ---- drop-downs and change tracking ---- */

void PCFFillFieldCombo(DialogWords *d, int)
{
    HWND w = PCFWnd(d->valueWindow);
    if (!w || !IsCombo(w) || !d->currentField || (d->optionFlags & DO_FILLING_COMBO))
        return;
    d->optionFlags |= DO_FILLING_COMBO;
    size_t size = 50;
    char *kept = (char *)CSGetMem(size, "COMBO");
    while (kept && (size_t)GetWindowTextLengthA(w) + 1 > size) {
        CSFreeMem(kept);
        size *= 2;
        kept = (char *)CSGetMem(size, "COMBO");
    }
    if (kept)
        GetWindowTextA(w, kept, (int)size);
    SendMessageA(w, CB_RESETCONTENT, 0, 0);
    const PCFFieldDef *f = d->currentField->field;
    if (f->historyKind) {
        if (f->attrId == 10105)
            SendMessageA(w, CB_ADDSTRING, 0, (LPARAM)"<Prompt>");
        for (int i = PCFHistoryCount(f->historyKind) - 1; i >= 0; i--)
            SendMessageA(w, CB_ADDSTRING, 0, (LPARAM)PCFHistoryName(f->historyKind, i));
    } else {
        for (const PCFValueDef *v = f->values; v && v->name && v->name[0]; v++)
            if (v->name[0] != '!' && CapTest(d->definition, PCFDialogCaps(d), v))
                SendMessageA(w, CB_ADDSTRING, 0, (LPARAM)v->name);
    }
    if (kept) {
        SetWindowTextA(w, kept);
        CSFreeMem(kept);
    }
    d->optionFlags &= ~DO_FILLING_COMBO;
}

void PCFFieldTextChanged(DialogWords *d, HWND control, int fromList)
{
    char text[TEXT_MAX + 2];
    if (fromList && IsCombo(control)) {
        LRESULT sel = SendMessageA(control, CB_GETCURSEL, 0, 0);
        if (sel < 0 || SendMessageA(control, CB_GETLBTEXTLEN, sel, 0) > TEXT_MAX)
            return;
        SendMessageA(control, CB_GETLBTEXT, sel, (LPARAM)text);
    } else {
        if (GetWindowTextLengthA(control) > TEXT_MAX)
            return;
        GetWindowTextA(control, text, sizeof text);
    }
    if (d->optionFlags & DO_TRACK_VALUE) {
        int differs = !SameAsValue(d, text);
        int was = (d->optionFlags & DO_VALUE_DIFFERS) != 0;
        d->optionFlags = differs ? d->optionFlags | DO_VALUE_DIFFERS : d->optionFlags & ~DO_VALUE_DIFFERS;
        if (differs != was)
            PCFSetMenu(d);
    }
    if (!d->definition || d->currentField != d->definition->nameField)
        return;
    snprintf(d->objectName, sizeof d->objectName, "%.49s", text);
    d->objectNameLength = (int32_t)strlen(d->objectName);
    if (PcfWinPrefs.retitleOnName)
        PCFDialogTitle(d, nullptr);
    int same = d->initialName[0] && strcmp(d->objectName, d->initialName) == 0;
    int was = (d->stateFlags & DF_NAME_INITIAL) != 0;
    d->stateFlags = same ? d->stateFlags | DF_NAME_INITIAL : d->stateFlags & ~DF_NAME_INITIAL;
    if (same != was && d->fieldWindow)
        InvalidateRect(PCFWnd(d->fieldWindow), nullptr, TRUE);
}

/* Whether a field's typing is tracked (names and entries flagged 0x800). */
static int Tracked(const DialogWords *d)
{
    return d->currentField && (d->currentField->field->type == PCFT_NAME || (d->currentField->flags & 0x800));
}

/* The queue-manager pair's field changed (its combo box's selection, or
 * with fromList 0 its text): the value is stored, the pair validated and
 * the title set again. */
static void PCFQmgrPairChanged(DialogWords *d, PCFFieldEntry *entry, int fromList)
{
    char text[64] = "";
    const char *value = nullptr;
    HWND combo = d->valueWindow ? PCFWnd(d->valueWindow) : nullptr;
    LRESULT at = combo && fromList ? SendMessageA(combo, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (at != CB_ERR && SendMessageA(combo, CB_GETLBTEXTLEN, (WPARAM)at, 0) < (LRESULT)sizeof text &&
        SendMessageA(combo, CB_GETLBTEXT, (WPARAM)at, (LPARAM)text) != CB_ERR)
        value = text;
    FieldHWNDData(d, 1, nullptr, 0, entry, value, -1, 0);
    CheckQmgrPair(d, 0);
    PCFDialogTitle(d, nullptr);
}

static void PairOrStore(DialogWords *d, int fromList)
{
    const PCFFieldEntry *e = d->currentField;
    if (!e)
        return;
    if (e->field->attrId == 10119 || e->field->attrId == 10120)
        PCFQmgrPairChanged(d, (PCFFieldEntry *)e, fromList);
}

LRESULT PCFFieldNotify(DialogWords *d, WPARAM wp, LPARAM lp)
{
    int id = LOWORD(wp), code = HIWORD(wp);
    HWND control = (HWND)lp;
    if (id == PCFC_EDIT && code == EN_CHANGE && Tracked(d)) {
        PCFFieldTextChanged(d, control, 0);
    } else if ((id == PCFC_COMBO || id == PCFC_COMBO2) && code == CBN_SELCHANGE) {
        if (d->currentField && (d->currentField->flags & PCFE_DEPENDS))
            PostMessageA(PCFWnd(d->fieldWindow), UM_PCF_STOREVALUE, 0, 0);
        PairOrStore(d, 1);
        if (Tracked(d))
            PCFFieldTextChanged(d, control, 1);
    } else if ((id == PCFC_COMBO || id == PCFC_COMBO2) && code == CBN_EDITCHANGE) {
        if (d->currentField && (d->currentField->flags & PCFE_DEPENDS))
            FieldHWNDData(d, 1, nullptr, 0, d->currentField, nullptr, -1, 0);
        PairOrStore(d, 0);
        if (Tracked(d))
            PCFFieldTextChanged(d, control, 0);
    } else if ((id == PCFC_COMBO || id == PCFC_COMBO2) && code == CBN_DROPDOWN) {
        PCFFillFieldCombo(d, 1);
    } else if (id == PCFC_EDIT2 && code == EN_CHANGE && Tracked(d)) {
        PCFFieldTextChanged(d, control, 0);
    }
    return 0;
}

int PCFDependChanged(DialogWords *d)
{
    PCFCountFields(d);
    PCFSetMenu(d);
    if (d->fieldWindow)
        InvalidateRect(PCFWnd(d->fieldWindow), nullptr, TRUE);
    PCFShowFieldValue(d, 1);
    if (d->definition && d->definition->list) {
        PCFCalculateMaxSizes(d);
        PCFPositionListPane(d);
    }
    return 0;
}
