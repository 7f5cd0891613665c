/* The dialog menu table that every command dialog's menu bar and toolbar
 * start from, which of its rows apply to a definition, the labels of
 * buttons and menu items (choices by view option, put contexts), the
 * show/hide texts, and whether an action row is offered at all. */
#include "cmddlg.h"
#include "../lists/pcflists.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "autdata.h"
#include "mq/capability.h"
#include "cs.h"

const PCFMENUROW PCFDialogMenu[PCFM_ROWS] = {
    { 864, "Commands", 0x8002 },
    { 865, "Dummy", 0x8000 },
    { -1, nullptr, 0x8004 },
    { -1, nullptr, 0x8008 },
    { -1, "Options", 0x2 },
    { 505, "Alter List...", 0x1 },
    { 684, "Split List", 0x1 },
    { 762, "Reset Column Widths", 0x1 },
    { 960, "Remove Column Filters", 0x1 },
    { 616, "Make Filter Default", 0x1 },
    { 748, "Hide System Objects", 0x401 },
    { 696, "Update Predefined Definition", 0x4000 },
    { 504, "Auto Refresh...", 0x10 },
    { 735, "Highlight difference from default", 0x100 },
    { 736, "Display difference from default", 0x100 },
    { 706, "Highlight difference fields", 0x80 },
    { 712, "Display only different fields", 0x80 },
    { -1, nullptr, 0x8 },
    { 796, "Copy to clipboard", 0x1 },
    { 657, "Export...", 0x20 },
    { -1, "Display Objects", 0x82 },
    { 711, "All", 0x80 },
    { 707, "Qmgr A defined only", 0x80 },
    { 708, "Qmgr B defined only", 0x80 },
    { 710, "Matching entries", 0x80 },
    { 709, "Non-matching entries", 0x80 },
    { -1, nullptr, 0x84 },
    { 867, "Use name matching", 0x80 },
    { -1, nullptr, 0x8 },
    { 501, "Show Buttons", 0 },
    { 754, "Show Toolbar", 0 },
    { 502, "Show Fields", 0x800 },
    { 503, "Show Filter", 0x1 },
    { 961, "Show Column Filter", 0x1 },
    { -1, nullptr, 0x8 },
    { 780, "Show Queue Manager List", 0x1000 },
    { 789, "Reset Queue Manager List", 0x1000 },
    { -1, nullptr, 0x4 },
    { -1, "List Titles", 0x3 },
    { 610, "Auto", 0x1 },
    { 611, "Full", 0x1 },
    { 612, "Short", 0x1 },
    { 613, "Field Name", 0x1 },
    { -1, nullptr, 0x5 },
    { -1, nullptr, 0x8 },
    { 832, "Refresh Group", 0x2000 },
    { -1, nullptr, 0x8 },
};

int PCFHasDownloadEntry(const PCFCommandDef *definition)
{
    return GetDownloadEntry(definition) != nullptr;
}

/* One test of the applicability table: the row's bit and whether the
 * definition passes it. */
struct ApplyTest {
    uint32_t bit;
    int (*passes)(const PCFCommandDef *def, int extra);
};

static int HasList(const PCFCommandDef *d, int) { return d->list != nullptr; }
static int ListOr40(const PCFCommandDef *d, int) { return d->list || (d->flags & 0x40); }
static int Lacks40(const PCFCommandDef *d, int) { return !(d->flags & 0x40); }
static int Lacks100(const PCFCommandDef *d, int) { return !(d->flags & 0x100); }
static int Pair(const PCFCommandDef *d, int) { return (d->flags & PCFD_PAIR) != 0; }
static int NotPair(const PCFCommandDef *d, int) { return !(d->flags & PCFD_PAIR); }
static int Extra(const PCFCommandDef *, int extra) { return extra; }
static int Lacks20(const PCFCommandDef *d, int) { return !(d->flags & 0x20); }

static const ApplyTest ApplyTests[] = {
    { 0x1, HasList }, { 0x800, ListOr40 }, { 0x20, Lacks40 }, { 0x40, Lacks100 },
    { 0x80, Pair }, { 0x200, NotPair }, { 0x100, Extra }, { 0x10, Lacks20 },
};

int PCFButtonApplies(const DialogWords *dialog, const PCFCommandDef *def, int extra,
                     const PCFMENUROW *row)
{
    if (!def || !row)
        return 0;
    uint32_t f = row->flags;
    if ((f & 0x1000) && !(def->flags & PCFD_QMLIST))
        return 0;
    if (row->id == 502 && !(def->fields && def->fields[0].field))
        return 0;
    if ((f & 0x2000) && !(dialog && dialog->saved && dialog->saved->gtype))
        return 0;
    if (f & 0x4000)
        return def->list && dialog && dialog->saved;
    for (const ApplyTest &t : ApplyTests)
        if ((f & t.bit) && !t.passes(def, extra))
            return 0;
    if ((f & 0x401) == 0x401 && (def->flags & 0x2))
        return 0;
    if (row->id > 0 && !AutMenuEnabled(row->id))
        return 0;
    return !(f & 0x8000);
}

/* ---- labels ---- */

const char *PCFContextMenuText(const DialogWords *dialog, uint32_t id)
{
    struct Row { uint32_t context; const char *add, *update; };
    static const Row rows[] = {
        { 2048, "Add : (Set All)", "Update : (Set All)" },
        { 32, "Add : (Default)", "Update : (Default)" },
        { 1024, "Add : (Set Identity)", "Update : (Set Identity)" },
        { 512, nullptr, "Update : (Pass All)" },
    };
    if (id != 941 && id != 946)
        return "Unknown";
    uint32_t context = dialog ? (id == 941 ? dialog->addContext : dialog->updateContext) : 0;
    for (const Row &r : rows) {
        const char *text = id == 941 ? r.add : r.update;
        if (r.context == context && text)
            return text;
    }
    return id == 941 ? "Add : (Unknown)" : "Update : (Unknown)";
}

/* "?mask:first:second": the first text when the mask shares a bit with the
 * view options. */
static const char *ChooseLabel(const DialogWords *dialog, const char *label, char *buffer, size_t size)
{
    char *end = nullptr;
    unsigned long mask = strtoul(label + 1, &end, 16);
    const char *first = end && *end == ':' ? end + 1 : nullptr;
    const char *second = first ? strchr(first, ':') : nullptr;
    if (!second)
        return label;
    if (dialog && (dialog->viewOptions & mask))
        snprintf(buffer, size, "%.*s", (int)(second - first), first);
    else
        snprintf(buffer, size, "%s", second + 1);
    return buffer;
}

const char *PCFButtonText(const DialogWords *dialog, const PCFActionDef *action, char *buffer, size_t size)
{
    if (!action || !action->text)
        return "";
    if (action->id == 941 || action->id == 946)
        return PCFContextMenuText(dialog, action->id);
    if (action->text[0] == '?')
        return ChooseLabel(dialog, action->text, buffer, size);
    if ((action->flags & PCFA_DEFAULT) && dialog && (dialog->viewOptions & DV_SEVERAL) &&
        strcmp(action->text, "&Refresh") == 0)
        return "&Refresh All";
    return action->text;
}

const char *PCFShowHideText(const DialogWords *d, int32_t id)
{
    int list = d->definition && d->definition->list;
    switch (id) {
    case 501: return (d->stateFlags & DF_SHOW_BUTTONS) ? "Hide Buttons" : "Show Buttons";
    case 754: return (d->optionFlags & DO_TOOLBAR) ? "Hide Toolbar" : "Show Toolbar";
    case 502: return (d->stateFlags & DF_SHOW_FIELDS) ? "Hide Fields" : "Show Fields";
    case 503: return !list ? nullptr : (d->stateFlags & DF_SHOW_FILTER) ? "Hide Filter" : "Show Filter";
    case 961:
        return !list ? nullptr : (d->displayFlags & 0x800000) ? "Show Column Filters" : "Hide Column Filters";
    case 780:
        if (!d->definition || !(d->definition->flags & PCFD_QMLIST))
            return nullptr;
        return (d->optionFlags & DO_QMLIST) ? "Hide Queue Manager List" : "Show Queue Manager List";
    }
    return nullptr;
}

/* ---- actions offered ---- */

/* The definition of the first list, without menu id, whose first action
 * has the command code (selector variants for a selector definition). */
static const PCFCommandDef *DefinitionForCommand(const PCFCommandDef *def, uint32_t command)
{
    uint32_t selector = def ? (def->flags & PCFD_SELECTOR) : 0;
    for (PCFCommandDef *const *p = PCFCommandDefs; *p; p++) {
        const PCFCommandDef *d = *p;
        if (!d->menuId && d->actions && d->actions[0].id && d->actions[0].command == command &&
            (d->flags & PCFD_SELECTOR) == selector)
            return d;
    }
    return nullptr;
}

int PCFActionOffered(const DialogWords *dialog, const PCFActionDef *a)
{
    const uint8_t *caps = PCFDialogCaps(dialog);
    if (!CapTest(dialog->definition, caps, a) || !PCFCommandAllowed((DialogWords *)dialog, a) ||
        !AutMenuEnabled(a->id))
        return 0;
    if (a->id == 746 || a->id == 920 || a->id == 921) {
        const PCFCommandDef *other = DefinitionForCommand(dialog->definition, a->command);
        const PCFActionDef *o = other ? PCFFindActionFlags(other->actions, 0, 0x4) : nullptr;
        if (o && (!CapTest(other, caps, o) || !PCFCommandAllowed((DialogWords *)dialog, o)))
            return 0;
    }
    return 1;
}

int32_t PCFButtonWidth(int32_t labelWidth, int32_t charWidth)
{
    int32_t w = labelWidth + 2 * charWidth;
    return w > 6 * charWidth ? w : 6 * charWidth;
}
