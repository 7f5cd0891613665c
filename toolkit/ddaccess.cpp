/* Dynamic dialog field access: the operations by which a dialog's code
 * reaches its fields by row id, serving requests from saved values while
 * a field has no control. */
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include "ddint.h"
#include "csmem.h"
#include "tkutil.h"
#include "tkwin.h"

DDField *DDFindField(DDHANDLE dd, int id)
{
    if (!dd)
        return nullptr;
    if (dd->root.row && dd->root.row->id == id)
        return &dd->root;
    for (int i = 0; i < dd->count; i++)
        if (dd->fields[i].row && dd->fields[i].row->id == id)
            return &dd->fields[i];
    return nullptr;
}

/* the field's control, made when missing (flagged as made by an access) */
static HWND field_control(DDHANDLE dd, DDField *f)
{
    if (!f)
        return nullptr;
    if (!f->hwnd) {
        DDRestoreWindow(dd, f, nullptr, nullptr);
        if (f->hwnd)
            f->handFlags |= DDH_BYACCESS;
    }
    return f->hwnd;
}

static void drop_handout(DDHANDLE dd, HWND hwnd)
{
    for (int i = 0; i < dd->count; i++)
        if (dd->fields[i].hwnd == hwnd && dd->fields[i].handouts > 0)
            dd->fields[i].handouts--;
}

HWND DDGetFieldWindow(DDHANDLE dd, int id, int hold)
{
    DDField *f = DDFindField(dd, id);
    if (!f)
        return nullptr;
    if (hold) {
        f->handFlags |= DDH_HELD;
        f->handouts++;
    }
    return field_control(dd, f);
}

void DDReleaseField(DDHANDLE dd, HWND hwnd)
{
    if (dd && hwnd)
        drop_handout(dd, hwnd);
}

static int saved_kind(const DDField *f)
{
    return DD_TYPE(f) == DD_EDIT || DD_TYPE(f) == DD_COMBOBOX;
}

int DDGetFieldText(DDHANDLE dd, int id, char *buffer, int size)
{
    DDField *f = DDFindField(dd, id);
    if (!f || size <= 0)
        return 0;
    if (!f->hwnd && saved_kind(f) && f->saved) {
        const char *t = DDSavedText(f);
        int n = (int)strlen(t);
        if (n > size - 1)
            n = size - 1;
        memcpy(buffer, t, (size_t)n);
        buffer[n] = 0;
        return n;
    }
    if (!f->hwnd && !f->saved)
        return 0;
    HWND w = field_control(dd, f);
    return w ? GetWindowTextA(w, buffer, size) : 0;
}

int DDGetFieldTextLength(DDHANDLE dd, int id)
{
    DDField *f = DDFindField(dd, id);
    if (!f)
        return 0;
    if (!f->hwnd && saved_kind(f) && f->saved)
        return (int)strlen(DDSavedText(f));
    if (!f->hwnd && !f->saved)
        return 0;
    HWND w = field_control(dd, f);
    return w ? GetWindowTextLengthA(w) : 0;
}

int DDSetFieldValue(DDHANDLE dd, int id, const char *text)
{
    DDField *f = DDFindField(dd, id);
    if (!f)
        return 0;
    if (!text)
        text = "";
    if (f->hwnd)
        return SetWindowTextA(f->hwnd, text);
    if (saved_kind(f)) {
        const char *cur = f->saved ? DDSavedText(f) : (f->row && f->row->text ? f->row->text : "");
        if (!strcmp(cur, text))
            return 1;
        const char *items = "";
        size_t itemsLength = 0;
        if (f->saved && DD_TYPE(f) == DD_COMBOBOX) {
            items = cur + strlen(cur) + 1;
            const char *p = items;
            while (*p)
                p += strlen(p) + 1;
            itemsLength = (size_t)(p - items);
        }
        char *b = DDMakeSaved(text, strlen(text), items, itemsLength);
        if (!b)
            return 0;
        CSFreeMemAndClear(&f->saved);
        f->saved = b;
        f->state |= DDS_SAVEDVALUE;
        return 1;
    }
    HWND w = field_control(dd, f);
    return w ? SetWindowTextA(w, text) : 0;
}

int DDSetFieldText(DDHANDLE dd, int id, int limit, const char *text)
{
    DDField *f = DDFindField(dd, id);
    if (!f)
        return 1;
    if (limit != -1) {
        HWND w = field_control(dd, f);
        if (w)
            SendMessageA(w, EM_LIMITTEXT, (WPARAM)limit, 0);
    }
    if (DD_TYPE(f) == DD_COMBOBOX && f->hwnd)
        SendMessageA(f->hwnd, CB_SETCURSEL, (WPARAM)-1, 0);
    if (f->hwnd)
        SetWindowTextA(f->hwnd, text ? text : "");
    else
        DDSetFieldValue(dd, id, text);
    return 1;
}

LRESULT DDSendFieldMsg(DDHANDLE dd, int id, UINT msg, WPARAM wp, LPARAM lp)
{
    DDField *f = DDFindField(dd, id);
    if (!f)
        return 0;
    if (!f->hwnd) {
        switch (msg) {
        case WM_SETTEXT: return DDSetFieldValue(dd, id, (const char *)lp);
        case WM_GETTEXT: return DDGetFieldText(dd, id, (char *)lp, (int)wp);
        case WM_GETTEXTLENGTH: return DDGetFieldTextLength(dd, id);
        }
    }
    HWND w = field_control(dd, f);
    return w ? SendMessageA(w, msg, wp, lp) : 0;
}

int DDSetCheck(DDHANDLE dd, int id, int state)
{
    DDField *f = DDFindField(dd, id);
    HWND w = field_control(dd, f);
    if (w) {
        SendMessageA(w, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
        drop_handout(dd, w);
    }
    return 1;
}

int DDGetCheck(DDHANDLE dd, int id)
{
    DDField *f = DDFindField(dd, id);
    HWND w = field_control(dd, f);
    if (!w)
        return 0;
    int r = (int)(SendMessageA(w, BM_GETCHECK, 0, 0) & 1);
    drop_handout(dd, w);
    return r;
}

static void enable_one(DDField *f, int enable)
{
    if (enable)
        f->handFlags &= ~DDH_DISABLED;
    else
        f->handFlags |= DDH_DISABLED;
    if (f->hwnd) {
        EnableWindow(f->hwnd, enable ? TRUE : FALSE);
        InvalidateRect(f->hwnd, nullptr, FALSE);
    }
}

static void enable_tree(DDField *f, int enable)
{
    for (DDField *c = f->child; c && DDIsContainer(f); c = c->next) {
        enable_one(c, enable);
        enable_tree(c, enable);
    }
}

int DDEnableField(DDHANDLE dd, int id, int enable, int descend)
{
    DDField *f = DDFindField(dd, id);
    if (!f)
        return 0;
    enable_one(f, enable);
    if (descend)
        enable_tree(f, enable);
    return 0;
}

/* a twisty's section follows the twisty's visibility */
static void twisty_carry(DDHANDLE dd, DDField *t, int show)
{
    if (!show) {
        for (DDField *s = t->next; s; s = s->next) {
            s->handFlags |= DDH_COLLAPSED;
            if (s == t->child)
                break;
        }
        return;
    }
    DDApplyTwisty(dd, t);
}

static int set_hidden(DDHANDLE dd, DDField *f, int show)
{
    uint32_t before = f->type;
    if (show)
        f->type &= ~DDF_HIDDEN;
    else
        f->type |= DDF_HIDDEN;
    if (DD_TYPE(f) == DD_TWISTY && f->child)
        twisty_carry(dd, f, show);
    if (!show)
        DDReleaseControl(dd, f);
    return before != f->type;
}

static int set_tree(DDHANDLE dd, DDField *f, int show)
{
    int changed = 0;
    if (DDIsContainer(f))
        for (DDField *c = f->child; c; c = c->next) {
            changed |= set_hidden(dd, c, show);
            changed |= set_tree(dd, c, show);
        }
    return changed;
}

int DDShowFields(DDHANDLE dd, const int *ids, int count, int show, int descend)
{
    if (!dd)
        return 0;
    if (!ids) {
        for (DDField *f = dd->root.child; f; f = f->next) {
            set_hidden(dd, f, show);
            if (descend)
                set_tree(dd, f, show);
        }
        return 0;
    }
    int changed = 0;
    for (int i = count - 1; i >= 0; i--) {
        DDField *f = DDFindField(dd, ids[i]);
        if (!f)
            continue;
        for (DDField *p = f->parent; p; p = p->parent)
            p->state |= DDS_REPLACE;
        changed |= set_hidden(dd, f, show);
        if (descend) {
            changed |= set_tree(dd, f, show);
            for (DDField *s = f->next; s; s = s->next) {
                changed |= set_hidden(dd, s, show);
                changed |= set_tree(dd, s, show);
                if (DD_TYPE(s) == DD_GROUPBOX)
                    break;
            }
        }
    }
    if (changed) {
        dd->sizesValid = 0;
        DDLayout(dd);
    }
    return 0;
}

static void trim_right(char *s)
{
    size_t n = strlen(s);
    while (n && (s[n - 1] == ' ' || s[n - 1] == '\t' || s[n - 1] == '\n' || s[n - 1] == '\r'))
        s[--n] = 0;
}

int DDCheckMandatory(DDHANDLE dd, int id, int size, char *buffer, int messageId, const char *name)
{
    DDField *f = DDFindField(dd, id);
    HWND w = field_control(dd, f);
    if (size > 0) {
        memset(buffer, 0, (size_t)size);
        if (w)
            GetWindowTextA(w, buffer, size);
        trim_right(buffer);
    }
    if (!name || (size > 0 && buffer[0])) {
        if (w)
            drop_handout(dd, w);
        return 1;
    }
    char text[400];
    snprintf(text, sizeof text, "Please enter a value for '%s'", name);
    if (!messageId) {
        UtilMessageBox(dd->root.hwnd, text, "Parameter error", MB_ICONEXCLAMATION | MB_OK);
    } else {
        HWND m = DDGetFieldWindow(dd, messageId, 0);
        if (m)
            SetWindowTextA(m, text);
        else
            DDSetFieldValue(dd, messageId, text);
        MessageBeep(MB_ICONEXCLAMATION);
        if (m)
            drop_handout(dd, m);
    }
    if (w)
        SetFocus(w);
    return 0;
}

int DDGetTabSelection(DDHANDLE dd, int id)
{
    DDField *f = DDFindField(dd, id);
    if (!f)
        return -1;
    if (DD_TYPE(f) != DD_TABCTL)
        return -2;
    HWND w = field_control(dd, f);
    return w ? (int)SendMessageA(w, TCM_GETCURSEL, 0, 0) : 0;
}

void DDInvalidateAll(DDHANDLE dd)
{
    for (int i = 0; dd && i < dd->count; i++)
        if (dd->fields[i].hwnd)
            InvalidateRect(dd->fields[i].hwnd, nullptr, FALSE);
}

static int background_kind(int t)
{
    switch (t) {
    case DD_STATIC: case DD_BUTTON: case DD_CHECKBOX: case DD_RADIO: case DD_GROUPBOX:
    case DD_SPANE: case DD_TABCTL: case DD_TWISTY: case DD_SEPARATOR: case DD_SPIN:
    case DD_SPIN_IND: case DD_SPINNER: case DD_UBUTTON: case DD_SPLITLR: case DD_SPLITTB:
    case DD_ROOT:
        return 1;
    }
    return 0;
}

static int colour_match(DDField *f, int type, int id, uint32_t all, uint32_t notAll)
{
    int t = DD_TYPE(f);
    if (type == DD_BACKGROUND ? !background_kind(t) : (type && type != t))
        return 0;
    if (id && (!f->row || f->row->id != id))
        return 0;
    uint32_t style = f->row ? f->row->style : 0;
    if (all && (style & all) != all)
        return 0;
    if (notAll && (style & notAll) == notAll)
        return 0;
    return 1;
}

int DDSetFieldColours(DDHANDLE dd, int type, int id, uint32_t styleAll, uint32_t styleNot,
                      COLORREF *text, COLORREF *back, HBRUSH *brush)
{
    if (!dd)
        return 1;
    for (int i = -1; i < dd->count; i++) {
        DDField *f = i < 0 ? &dd->root : &dd->fields[i];
        if (!colour_match(f, type, id, styleAll, styleNot))
            continue;
        if (text) f->textColour = text;
        if (back) f->backColour = back;
        if (brush) f->brush = brush;
        if (f->hwnd)
            InvalidateRect(f->hwnd, nullptr, TRUE);
    }
    return 1;
}

/* WM_SETFONT on a window and everything inside it */
static void font_tree(HWND w, HFONT font)
{
    char cls[32];
    GetClassNameA(w, cls, sizeof cls);
    char *text = nullptr;
    if (!lstrcmpiA(cls, "ComboBox")) {
        int n = GetWindowTextLengthA(w);
        text = (char *)CSGetMem((size_t)n + 1, "DDFONT");
        if (text)
            GetWindowTextA(w, text, n + 1);
    }
    SendMessageA(w, WM_SETFONT, (WPARAM)font, 0);
    if (text) {
        SetWindowTextA(w, text);
        CSFreeMem(text);
    }
    WinFitListBoxToFont(w, font);
    InvalidateRect(w, nullptr, TRUE);
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        font_tree(c, font);
}

void DDSetFont(DDHANDLE dd, HFONT font)
{
    if (!dd)
        return;
    dd->font = font;
    dd->sizesValid = 0;
    if (dd->root.hwnd) {
        font_tree(dd->root.hwnd, font);
        DDLayout(dd);
        InvalidateRect(dd->root.hwnd, nullptr, TRUE);
    }
}

int DDSetFieldFont(DDHANDLE dd, int id, HFONT font)
{
    DDField *f = DDFindField(dd, id);
    if (!f)
        return 1;
    f->font = font;
    if (f->hwnd)
        font_tree(f->hwnd, font);
    dd->sizesValid = 0;
    DDLayout(dd);
    if (dd->root.hwnd)
        InvalidateRect(dd->root.hwnd, nullptr, TRUE);
    return 1;
}

HBRUSH DDCtlColour(HWND, UINT, HDC dc, HWND control)
{
    if (!control)
        return nullptr;
    DDField *f = (DDField *)GetWindowLongPtrA(control, GWLP_USERDATA);
    if (!f || !DDHandleOfField(f)) {
        /* a combo box's edit reports for the combo box */
        HWND parent = GetParent(control);
        f = parent ? (DDField *)GetWindowLongPtrA(parent, GWLP_USERDATA) : nullptr;
        if (!f || !DDHandleOfField(f) || f->hwnd != parent)
            return nullptr;
    }
    if (f->textColour)
        SetTextColor(dc, *f->textColour);
    if (f->backColour)
        SetBkColor(dc, *f->backColour);
    return f->brush ? *f->brush : nullptr;
}

COLORREF DDButtonFaceColour(void)
{
    COLORREF c = GetSysColor(COLOR_GRAYTEXT);
    return c ? c : RGB(0xC0, 0xC0, 0xC0);
}

static int clamp255(int v)
{
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

COLORREF DDShadeColour(COLORREF colour, float factor)
{
    int ch[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    for (int &c : ch) {
        if (factor == 1.0f)
            c += 150;
        else if (factor == -1.0f)
            c -= 80;
        else if (factor > 0)
            c += (int)((255 - c) * factor / 100.0f);
        else
            c -= (int)(c * -factor / 100.0f);
        c = clamp255(c);
    }
    return RGB(ch[0], ch[1], ch[2]);
}
