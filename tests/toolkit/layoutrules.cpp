/* Layout rules of the program's windows (window tests): each control
 * inside its parent's client area and over no other, a label on the line
 * of the field right of it, a check box's text right of its box, the
 * buttons of a row of buttons of one width and apart, and at most a row of empty
 * space below the last control.  One line per fault found. */
#include "tkharness.h"

#include <cstdlib>
#include <string>
#include <vector>

static std::string ClassOf(HWND w)
{
    char c[64] = "";
    GetClassNameA(w, c, sizeof c);
    return c;
}

static std::string TextOf(HWND w)
{
    char t[80] = "";
    GetWindowTextA(w, t, sizeof t);
    return t;
}

/* a control's rectangle in its parent's client coordinates */
static RECT Rect(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), (POINT *)&r, 2);
    return r;
}

static bool Contains(HWND w)
{
    std::string c = ClassOf(w);
    return c == "SysTabControl32" || c.find("GROUP") != std::string::npos || c.find("Group") != std::string::npos ||
           (c == "Button" && (GetWindowLongA(w, GWL_STYLE) & 0xF) == BS_GROUPBOX);
}

static int ButtonKind(HWND w)
{
    return ClassOf(w) == "Button" ? (int)(GetWindowLongA(w, GWL_STYLE) & 0xF) : -1;
}

static bool IsLabel(HWND w)
{
    return ClassOf(w) == "Static" && !TextOf(w).empty() && !(GetWindowLongA(w, GWL_STYLE) & SS_ICON);
}

static bool IsField(HWND w)
{
    std::string c = ClassOf(w);
    return c == "Edit" || c == "ComboBox";
}

static bool Overlap(const RECT &a, const RECT &b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

static std::vector<HWND> ShownChildren(HWND parent)
{
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r = Rect(c);
        if ((GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE) && r.right > r.left && r.bottom > r.top)
            out.push_back(c);
    }
    return out;
}

/* The faults of one level of controls and the levels inside it, one line
 * each. */
static void Check(HWND parent, const std::string &where, std::vector<std::string> &faults)
{
    RECT client;
    GetClientRect(parent, &client);
    std::vector<HWND> kids = ShownChildren(parent);
    for (size_t i = 0; i < kids.size(); i++) {
        HWND a = kids[i];
        RECT ra = Rect(a);
        std::string na = where + " " + ClassOf(a) + " '" + TextOf(a) + "'";
        /* a combo box's list reaches below its edit: its edit counts */
        if (ClassOf(a) == "ComboBox") {
            COMBOBOXINFO ci = {sizeof ci};
            if (GetComboBoxInfo(a, &ci))
                ra.bottom = ra.top + (ci.rcItem.bottom + 3 < ra.bottom - ra.top ? ci.rcItem.bottom + 3 : ra.bottom - ra.top);
        }
        if (ra.left < 0 || ra.top < 0 || ra.right > client.right || ra.bottom > client.bottom)
            faults.push_back(na + " outside its parent");
        int kind = ButtonKind(a);
        if ((kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX || kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON) &&
            (GetWindowLongA(a, GWL_STYLE) & BS_LEFTTEXT))
            faults.push_back(na + " has its text left of its box");
        for (size_t j = i + 1; j < kids.size(); j++) {
            HWND b = kids[j];
            if (Contains(a) || Contains(b))
                continue;
            RECT rb = Rect(b);
            if (ClassOf(b) == "ComboBox")
                rb.bottom = rb.top + (rb.bottom - rb.top < 30 ? rb.bottom - rb.top : 24);
            RECT ta = ra;
            if (ClassOf(a) == "ComboBox")
                ta.bottom = ta.top + (ta.bottom - ta.top < 30 ? ta.bottom - ta.top : 24);
            if (Overlap(ta, rb))
                faults.push_back(na + " over " + ClassOf(b) + " '" + TextOf(b) + "'");
            /* a label and the field right of it on one line */
            HWND label = IsLabel(a) && IsField(b) ? a : IsLabel(b) && IsField(a) ? b : nullptr;
            HWND field = label == a ? b : a;
            if (label) {
                RECT rl = Rect(label), rf = Rect(field);
                if (ClassOf(field) == "ComboBox")
                    rf.bottom = rf.top + 24 < rf.bottom ? rf.top + 21 : rf.bottom;
                bool beside = rf.left >= rl.right && rf.left - rl.right < 40 && rl.top < rf.bottom && rf.top < rl.bottom;
                if (beside && abs((rl.top + rl.bottom) - (rf.top + rf.bottom)) / 2 > 3)
                    faults.push_back(where + " label '" + TextOf(label) + "' off its field's line");
            }
        }
        if (!kids.empty() && Contains(a))
            Check(a, where, faults);
    }
}

/* The buttons of a row of buttons alone: one width. */
static void CheckButtonRows(HWND dialog, const std::string &where, std::vector<std::string> &faults)
{
    std::vector<HWND> kids = ShownChildren(dialog);
    for (HWND a : kids) {
        if ((ButtonKind(a) != BS_PUSHBUTTON && ButtonKind(a) != BS_DEFPUSHBUTTON) || TextOf(a).empty())
            continue;
        RECT ra = Rect(a);
        bool alone = true;
        std::vector<HWND> row;
        for (HWND b : kids) {
            RECT rb = Rect(b);
            if (rb.top >= ra.bottom || ra.top >= rb.bottom)
                continue;
            if ((ButtonKind(b) == BS_PUSHBUTTON || ButtonKind(b) == BS_DEFPUSHBUTTON) && !TextOf(b).empty())
                row.push_back(b);
            else if (!Contains(b))
                alone = false;
        }
        if (!alone || row.size() < 2)
            continue;
        for (HWND b : row) {
            RECT rb = Rect(b);
            if (rb.right - rb.left != ra.right - ra.left)
                faults.push_back(where + " buttons '" + TextOf(a) + "' and '" + TextOf(b) + "' differ in width");
            if (rb.left == ra.right)
                faults.push_back(where + " buttons '" + TextOf(a) + "' and '" + TextOf(b) + "' touch");
        }
    }
}

/* Empty space below the last control: at most one row. */
static void CheckHeight(HWND dialog, const std::string &where, std::vector<std::string> &faults)
{
    RECT client;
    GetClientRect(dialog, &client);
    int lowest = 0, row = 0;
    for (HWND c : ShownChildren(dialog)) {
        RECT r = Rect(c);
        if (ClassOf(c) == "ComboBox")
            r.bottom = r.top + 24 < r.bottom ? r.top + 21 : r.bottom;
        if (r.bottom > lowest)
            lowest = r.bottom;
        if (r.bottom - r.top > row && r.bottom - r.top < 40)
            row = r.bottom - r.top;
    }
    if (client.bottom - lowest > row + 4)
        faults.push_back(where + ": " + std::to_string(client.bottom - lowest) + " px empty below the last control");
}

std::vector<std::string> LayoutFaults(HWND dialog, const char *name)
{
    std::vector<std::string> faults;
    Check(dialog, name, faults);
    CheckButtonRows(dialog, name, faults);
    CheckHeight(dialog, name, faults);
    return faults;
}

