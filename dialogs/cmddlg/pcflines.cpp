/* Field lines of the field pane: which entries show, how many lines each
 * takes (one per element of a list, one more for a new element where it
 * may be edited), the tabs that split them, positions found by line
 * (AccessField), sizes and editor widths by field type, field titles by
 * title mode, the editing window a field gets, and the comparison of a
 * string list with a flattened text. */
#include "cmddlg.h"
#include "../pcfint.h"

#include <cstring>

#include "mq/capability.h"
#include "cs.h"
#include "qms.h"

/* The entries the pane shows: the definition's own, in every kind of
 * dialog.  A list's detail entries describe the objects of its rows; their
 * offsets belong to another definition's area, not to the list's own, so
 * the pane neither shows nor stores them. */
PCFFieldEntry *PCFPaneFields(const DialogWords *d)
{
    const PCFCommandDef *def = d->definition;
    return def ? def->fields : nullptr;
}

int PCFUseFieldTabs(const DialogWords *d)
{
    const PCFCommandDef *def = d->definition;
    return def && !def->list && def->fields && def->fields[0].field &&
           def->fields[0].field->type == PCFT_HEADING && (PcfWinPrefs.tabOptions & 0x1);
}

static int IsListType(int type)
{
    return type == PCFT_STRLIST || type == PCFT_MULTISTR || type == PCFT_ENUMLIST || type == PCFT_FLAGSET;
}

/* Elements of a list value. */
static int ElementCount(const uint8_t *area, const PCFFieldEntry *e)
{
    if (!area || !PCFStoresValue(e))
        return 0;
    return PCFRecListCount(area + e->offset, e->field);
}

/* The read-only test of an entry for a dialog's flags: its own flags and
 * those its conditions leave. */
static int ReadOnly(uint32_t flags, uint32_t dialogFlags)
{
    return (flags & PCFE_SHOWONLY) || ((flags & 0x4000000) && (dialogFlags & DF_NAME_INITIAL));
}

/* Whether an entry takes positions (AccessField's tests); its read-only
 * state. */
static int Counts(const PCFCommandDef *def, const uint8_t *caps, uint32_t dialogFlags, const uint8_t *area,
                  const PCFFieldEntry *e, int mode, uint32_t command, int *ro)
{
    const PCFFieldDef *f = e->field;
    if (f->type == PCFT_SHOWINT || f->type == PCFT_NOVALUE || f->type == PCFT_HEADING)
        return 0;
    if (e->flags & (0x4 | 0x400 | 0x400000))
        return 0;
    int passes = CapTest(def, caps, e) && CapTest(def, caps, f);
    if (passes && (mode & AF_DIFFERENT)) {
        int differs = area && PCFStoresValue(e) && (PCFState(area + e->offset) & 0x20);
        int used = 0;
        for (const PCFCommandUse *u = f->uses; command && u && u->command; u++)
            used |= u->command == command && u->flags == 1;
        passes = differs || used;
    }
    if (!passes && !((e->flags & PCFE_NOFIELDCAPS) && CapTest(def, caps, f)))
        return 0;
    uint32_t result = 0;
    if (!PCFFieldApplies(caps, dialogFlags, def, nullptr, nullptr, area, e, nullptr, &result))
        return 0;
    *ro = ReadOnly(e->flags | result, dialogFlags);
    return 1;
}

static int Positions(const uint8_t *area, const PCFFieldEntry *e, int ro)
{
    if (!IsListType(e->field->type))
        return 1;
    int n = ElementCount(area, e) + (ro ? 0 : 1);
    return n > 0 ? n : 1;
}

/* The differences-only view of a dialog without list definition. */
static int DifferencesOnly(const DialogWords *d)
{
    return (d->viewOptions & DV_ONLY_DIFFERENT) && d->definition && !d->definition->list;
}

/* The data area as the pane's entries read it. */
static const uint8_t *PaneArea(const DialogWords *d)
{
    return d->dataArea;
}

int PCFEntryShown(const DialogWords *d, const PCFFieldEntry *e, int *readOnly)
{
    int ro = 0;
    int shown = e && e->field &&
                Counts(d->definition, PCFDialogCaps(d), d->stateFlags, PaneArea(d), e,
                       DifferencesOnly(d) ? AF_DIFFERENT : 0, 0, &ro);
    if (readOnly)
        *readOnly = ro;
    return shown;
}

int PCFEntryLines(const DialogWords *d, const PCFFieldEntry *e)
{
    int ro;
    return PCFEntryShown(d, e, &ro) ? Positions(PaneArea(d), e, ro) : 0;
}

void PCFCountLines(DialogWords *d)
{
    int tabs = PCFUseFieldTabs(d), tab = -1;
    uint32_t lines = 0, currentLine = 0xFFFFFFFF, currentTab = 0, firstTab = 0;
    PCFFieldEntry *first = nullptr;
    memset(d->tabs, 0, sizeof d->tabs);
    for (PCFFieldEntry *e = PCFPaneFields(d); e && e->field; e++) {
        if (tabs && e->field->type == PCFT_HEADING) {
            if (tab >= 0)
                d->tabs[tab].lines = (uint16_t)lines;
            if (tab + 1 >= 10)
                break;
            d->tabs[++tab].first = e;
            lines = 0;
            continue;
        }
        int n = PCFEntryLines(d, e);
        if (!n)
            continue;
        if (!first) {
            first = e;
            firstTab = tab < 0 ? 0 : (uint32_t)tab;
        }
        if (e == d->currentField) {
            int32_t element = IsListType(e->field->type) && d->listIndex > 0 ? d->listIndex : 0;
            currentLine = lines + (uint32_t)(element < n ? element : n - 1);
            currentTab = tab < 0 ? 0 : (uint32_t)tab;
        }
        lines += (uint32_t)n;
    }
    if (tab >= 0)
        d->tabs[tab].lines = (uint16_t)lines;
    else
        d->tabs[0].lines = (uint16_t)lines;
    d->tabsShown = 0;
    for (int i = 0; i < 10; i++)
        if (d->tabs[i].lines)
            d->tabsShown |= 1u << i;
    if (currentLine == 0xFFFFFFFF && first) {
        d->currentField = first;
        d->listIndex = 0;
        currentLine = 0;
        currentTab = firstTab;
    }
    d->currentLine = currentLine;
    d->currentTab = currentTab;
    if (d->shownTab >= 10)
        d->shownTab = 0;
    d->lineCount = d->tabs[tabs ? d->shownTab : 0].lines;
}

/* ---- positions ---- */

int AccessField(const PCFCommandDef *def, const uint8_t *caps, uint32_t dialogFlags, const uint8_t *area,
                int32_t wanted, int32_t current, PCFFieldEntry *currentEntry, int32_t, PCFFieldEntry **foundEntry,
                int32_t *foundElement, int mode, uint32_t command, int *kind)
{
    if (!def || !def->fields)
        return 1;
    if (wanted < 0)
        wanted = 0;
    PCFFieldEntry *e = def->fields;        /* see PCFPaneFields */
    int32_t pos = 0;
    if (currentEntry && current >= 0 && current <= wanted) {
        e = currentEntry;
        pos = current;
    }
    PCFFieldEntry *start = e;
    for (; e->field; e++) {
        if (e->field->type == PCFT_HEADING && (mode & AF_IN_TAB) && e != start)
            return 1;
        int ro = 0;
        if (!Counts(def, caps, dialogFlags, area, e, mode, command, &ro))
            continue;
        int n = Positions(area, e, ro);
        if (wanted >= pos + n) {
            pos += n;
            continue;
        }
        if (ro && (mode & AF_SKIP_READONLY) && !PcfWinPrefs.stopOnReadOnly) {
            if (mode & AF_STRICT)
                return 1;
            pos += n;
            wanted = pos;
            continue;
        }
        int32_t element = wanted - pos;
        if (foundEntry)
            *foundEntry = e;
        if (foundElement)
            *foundElement = element;
        if (kind)
            *kind = !IsListType(e->field->type) ? AF_SINGLE
                    : (!ro && element == n - 1) ? AF_NEW_ELEMENT : AF_LIST;
        return 0;
    }
    return 1;
}

int PCFLineAt(const DialogWords *d, int32_t line, PCFFieldEntry **entry, int32_t *element, int *kind)
{
    int mode = DifferencesOnly(d) ? AF_DIFFERENT : 0;
    PCFFieldEntry *start = nullptr;
    if (PCFUseFieldTabs(d) && d->shownTab < 10 && d->tabs[d->shownTab].first) {
        start = d->tabs[d->shownTab].first;
        mode |= AF_IN_TAB;
    }
    return AccessField(d->definition, PCFDialogCaps(d), d->stateFlags, d->dataArea, line, start ? 0 : -1,
                       start, 0, entry, element, mode, 0, kind);
}

char *PCFValueCopy(const DialogWords *d, const PCFFieldEntry *e, int32_t element, int limit)
{
    int maximum = e && e->field && e->field->maximum > 0 ? e->field->maximum : 64;
    size_t size = (size_t)maximum * 2 + 1100;
    char *text = (char *)CSGetMem(size, "FIELDTEXT");
    if (!text)
        return nullptr;
    text[0] = 0;
    const char *v = d->dataArea && e ? PCFValueText(d->dataArea, e, element, text, (int)size, 1) : nullptr;
    if (v && v != text)
        snprintf(text, size, "%s", v);
    else if (!v)
        text[0] = 0;
    if (limit > 0 && strlen(text) > (size_t)limit)
        text[limit] = 0;
    return text;
}

/* ---- sizes and titles ---- */

int PCFValueChars(const PCFFieldEntry *e)
{
    const PCFFieldDef *f = e->field;
    int wide = (e->flags & 0x2000) != 0;
    switch (f->type) {
    case 1: case 15: case 24: return wide ? 16 : 8;
    case 2: case 3: case 13: case 14: case 19: return wide ? 30 : 20;
    case 4: case 5: case 6: case 7: case 9: case 22: case 25: case 32: case 36: return f->maximum;
    case 8: case 23: return 2 * f->maximum;
    case 10: case 11: case 12: case 27: return 0;
    }
    CS_TRAP(f->type);
    return 0;
}

static int Larger(int a, int b)
{
    return a > b ? a : b;
}

int PCFEditorTenths(const PCFFieldEntry *e)
{
    const PCFFieldDef *f = e->field;
    int wide = (e->flags & 0x2000) != 0;
    switch (f->type) {
    case 1: case 15: return 120;
    case 2: case 3: case 13: case 14: case 19: case 24: return wide ? 300 : 200;
    case 4: case 5: case 6: case 7: case 9: case 25: return 15 * Larger(f->maximum, 12);
    case 8: return 30 * f->maximum;
    case 22: return 360;
    case 23: return 15 * Larger(2 * f->maximum, 12);
    case 32: case 36: return 15 * Larger(f->maximum, 30);
    }
    return 0;
}

const char *PCFFieldTitle(const DialogWords *d, uint32_t mode, const PCFLISTENTRY *column)
{
    static thread_local char text[160];
    if (!mode)
        mode = d ? d->stateFlags & DF_TITLE_MODES : 0;
    if (!column || !column->field)
        return "";
    const PCFFieldDef *f = column->field;
    const char *title;
    switch (mode) {
    case DF_TITLE_AUTO: title = (column->flags & 0x20) && f->shortTitle ? f->shortTitle : f->title; break;
    case DF_TITLE_FULL: title = f->title; break;
    case DF_TITLE_SHORT: title = f->shortTitle ? f->shortTitle : f->title; break;
    case DF_TITLE_NAME: title = f->keyword ? f->keyword : f->name; break;
    default:
        CS_TRAP((int)mode);
        return "Oops!";
    }
    if (!title)
        title = "";
    if (!PcfWinPrefs.debugTitles)
        return title;
    snprintf(text, sizeof text, "%s(%s%s)", title, (column->flags & 0x1) ? "U" : "",
             (column->flags & 0x2) ? "F" : "");
    return text;
}

/* ---- editing windows ---- */

int PCFNameUpperCase(const DialogWords *d, int kind)
{
    const QMS *location = d ? d->first.location : nullptr;
    if (!kind || !location)
        return 0;
    uint32_t bit = kind == 10 ? LF_UCE : kind == 11 ? LF_UCN : LF_UCO;
    return (location->flags & bit) != 0;
}

/* The location flag a field type needs for the second combo box. */
static uint32_t SecondComboBit(int type)
{
    switch (type) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 9: case 14: case 19: case 20: case 21:
    case 23: case 24:
        return LF_UCO;
    case 10: return LF_UCE;
    case 11: return LF_UCN;
    }
    return 0;
}

int PCFSecondComboApplies(const DialogWords *d, int type)
{
    const QMS *location = d ? d->first.location : nullptr;
    return d && d->combo2Window && location && (location->flags & SecondComboBit(type));
}

int PCFEditorFor(const DialogWords *d, const PCFFieldEntry *e, int readOnly, int *limit)
{
    const PCFFieldDef *f = e->field;
    int kind = f->historyKind;
    int upper = PCFNameUpperCase(d, kind);
    int combo = upper ? PCFE_UPPER_COMBO : PCFE_COMBOBOX, edit = upper ? PCFE_UPPER_EDIT : PCFE_EDITOR;
    int chosen;
    *limit = f->maximum;
    switch (f->type) {
    case 1: case 15: *limit = 12; chosen = PCFE_EDITOR; break;
    case 2: case 3: case 13: case 14: case 19: case 24: *limit = 20; chosen = PCFE_COMBOBOX; break;
    case 4: case 5: case 9: case 25: case 32: case 36: {
        const PCFCommandDef *def = d->definition;
        int nameField = def && !def->list && def->nameField == e;
        if (kind && !(nameField && !PcfWinPrefs.comboOnNameField))
            chosen = combo;
        else
            chosen = f->values ? PCFE_COMBOBOX : edit;
        break;
    }
    case 6: case 7: chosen = kind ? combo : PCFE_EDITOR; break;
    case 8: case 22: case 23: *limit = 2 * f->maximum; chosen = PCFE_EDITOR; break;
    default: *limit = 0; return PCFE_NONE;
    }
    return readOnly ? PCFE_EDITOR : chosen;
}

int PCFCompareStrList(const PCFSTRLIST *list, int maximum, const char *text, int length)
{
    int count = list ? list->count : 0;
    if (!count)
        return length != 0;
    int at = 0;
    for (int i = 0; i < count; i++) {
        const char *item = PCFStrListItem((PCFSTRLIST *)list, maximum, i);
        int n = 0;
        while (n < maximum && item[n] != ' ' && item[n])
            n++;
        if (i && (at >= length || text[at++] != 5))
            return 1;
        if (at + n > length || memcmp(text + at, item, (size_t)n) != 0)
            return 1;
        at += n;
    }
    return at != length;
}
