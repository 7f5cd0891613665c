/* The dialog profile: the saved options of each kind of dialog (DLGINFO,
 * per location or program-wide) and of a saved dialog applied to a new
 * instance, the default size of a dialog, and the placement slots (one
 * for a single monitor, one for several) with the rule that stops
 * recording once the monitors differ from those counted at start-up. */
#include "cmddlg.h"
#include "../lists/pcflists.h"

#include <cstring>

#include "cs.h"
#include "qms.h"

/* ---- monitors and placement slots ---- */

static int32_t MonitorsAtStart, MonitorsNow;
static int PlacementChanged;

void PCFSetMonitors(int32_t startCount, int32_t count)
{
    MonitorsAtStart = startCount;
    MonitorsNow = count;
    PlacementChanged = 0;
}

void PCFNoteMonitors(int32_t count)
{
    if (!MonitorsAtStart)
        MonitorsAtStart = count;
    MonitorsNow = count;
}

int32_t PCFMonitorsAtStart(void)
{
    return MonitorsAtStart ? MonitorsAtStart : 1;
}

int PCFPlacementChanged(void)
{
    return PlacementChanged;
}

int PCFPlacementSlot(void)
{
    return PCFMonitorsAtStart() > 1 ? 1 : 0;
}

const int32_t *PCFPlacementRect(const int32_t slots[2][4])
{
    return slots[PCFPlacementSlot()];
}

void PCFPlacementSize(const int32_t slots[2][4], int32_t *cx, int32_t *cy)
{
    const int32_t *r = PCFPlacementRect(slots);
    *cx = r[2];
    *cy = r[3];
}

/* The slot rule: nothing is recorded once the monitor count differed,
 * unless placements are always recorded or the monitor checks are off. */
static int MayRecord(void)
{
    if (PcfWinPrefs.alwaysPlace || PcfWinPrefs.noMonitorChecks)
        return 1;
    if (MonitorsNow && MonitorsNow != PCFMonitorsAtStart())
        PlacementChanged = 1;
    return !PlacementChanged;
}

int PCFSetPlacementPos(int32_t slots[2][4], int32_t x, int32_t y)
{
    if (!MayRecord())
        return 0;
    slots[PCFPlacementSlot()][0] = x;
    slots[PCFPlacementSlot()][1] = y;
    return 1;
}

int PCFSetPlacementSize(int32_t slots[2][4], int32_t cx, int32_t cy)
{
    if (!MayRecord())
        return 0;
    slots[PCFPlacementSlot()][2] = cx;
    slots[PCFPlacementSlot()][3] = cy;
    return 1;
}

/* The DLGINFO's eight placement values as two slots. */
static int32_t (*InfoSlots(DLGINFO *info))[4]
{
    return (int32_t(*)[4]) & info->x;
}

/* ---- DLGINFO records ---- */

DLGINFO *PCFGetDlgInfo(const PCFCommandDef *def, QMS *location)
{
    if (!def || !def->title)
        return nullptr;
    if (strlen(def->title) >= DLGINFO_TITLE) {
        PCFReportError("PCFGetDialogProfile: Name too large");
        return nullptr;
    }
    int global = !location || (def->flags & PCFD_PAIR) || def == &PCFMessageListDef;
    CSTREE **root = global ? &DlgInfoGlobal : &location->dialogs;
    char key[DLGINFO_TITLE] = {};
    memcpy(key, def->title, strlen(def->title));
    DLGINFO *info = (DLGINFO *)CSTreeFind(*root, key, DLGINFO_TITLE);
    int plain = !def->list && def->title != PCFMessageDef.title;   /* private copies share the title */
    if (!info) {
        DLGINFO fresh;
        memset(&fresh, 0, sizeof fresh);
        memcpy(fresh.title, key, sizeof key);
        fresh.align = -1;
        fresh.def = def;
        if (plain)
            fresh.optA = DLGA_FIELDS | DLGA_BUTTONS;
        fresh.optB = DLGB_TL;
        info = (DLGINFO *)CSTreeAdd(root, "DLGINFO", CSTREE_NORENUM, &fresh, sizeof fresh, DLGINFO_TITLE);
        if (!info)
            return nullptr;
    }
    if (plain)
        info->optA |= DLGA_FIELDS;
    if (def->list && !(info->optA & DF_TITLE_MODES))
        info->optA |= DLGA_TAUTO;
    return info;
}

/* Option bits a record carries into the dialog's option flags. */
#define PROFILE_OPTIONS 0xC03005Cu

static int Unset(int32_t a, int32_t b)
{
    return a == PD_UNSET || b == PD_UNSET;
}

/* Steps 4: the saved dialog's position and size. */
static void SavedPlacement(DialogWords *d)
{
    const PDGSTATE *s = &d->saved->st;
    int many = PCFMonitorsAtStart() > 1;
    int32_t x = many ? s->x2 : s->x, y = many ? s->y2 : s->y;
    int32_t cx = many ? s->cx2 : s->cx, cy = many ? s->cy2 : s->cy;
    int slot = PCFPlacementSlot();
    if (!Unset(x, y)) {
        d->placement[slot][0] = x;
        d->placement[slot][1] = y;
        d->markFlags |= DM_POS_SET;
    }
    if (!Unset(cx, cy)) {
        d->placement[slot][2] = cx;
        d->placement[slot][3] = cy;
        d->markFlags |= DM_SIZE_SET;
    }
}

static void SetBit(uint32_t *word, uint32_t bit, int on)
{
    *word = on ? *word | bit : *word & ~bit;
}

/* Step 9 with a saved dialog: its settings override the record's. */
static void SavedSettings(DialogWords *d)
{
    const PDGSTATE *s = &d->saved->st;
    d->refreshRate = s->refresh > 0 ? (uint32_t)s->refresh : 0;
    d->refreshAlign = s->align;
    d->exportType = s->autoexptype;
    UTStrCopy(d->exportFile, s->autoexpfile, sizeof d->exportFile);
    SetBit(&d->stateFlags, DF_REFRESH_AT_OPEN, s->flags & PDF_INITREFRESH);
    SetBit(&d->stateFlags, DF_SHOW_BUTTONS, s->flags & PDF_BUTTONS);
    SetBit(&d->stateFlags, DF_SHOW_FIELDS, s->flags & PDF_FIELDS);
    SetBit(&d->stateFlags, DF_SHOW_FILTER, s->flags & PDF_FILTER);
    SetBit(&d->optionFlags, DO_TOOLBAR, s->flags & PDF_TL);
    d->optionFlags = (d->optionFlags & ~PROFILE_OPTIONS) | ((uint32_t)s->ds2 & PROFILE_OPTIONS);
    d->displayFlags = (d->displayFlags & ~0x3Fu) | ((uint32_t)s->ds3 & 0x3F);
}

void PCFPutSavedSettings(const DialogWords *d, PDGSTATE *s)
{
    static const struct { uint32_t pd, df; } shown[] = {
        { PDF_INITREFRESH, DF_REFRESH_AT_OPEN }, { PDF_BUTTONS, DF_SHOW_BUTTONS },
        { PDF_FIELDS, DF_SHOW_FIELDS }, { PDF_FILTER, DF_SHOW_FILTER },
    };
    for (const auto &b : shown)
        SetBit(&s->flags, b.pd, d->stateFlags & b.df);
    SetBit(&s->flags, PDF_TL, d->optionFlags & DO_TOOLBAR);
    s->refresh = (int32_t)d->refreshRate;
    s->align = d->refreshAlign;
    s->autoexptype = d->exportType;
    UTStrCopy(s->autoexpfile, d->exportFile, sizeof s->autoexpfile);
    s->ds2 = (int32_t)(((uint32_t)s->ds2 & ~PROFILE_OPTIONS) | (d->optionFlags & PROFILE_OPTIONS));
    s->ds3 = (int32_t)(((uint32_t)s->ds3 & ~0x3Fu) | (d->displayFlags & 0x3F));
}

void PCFGetDialogProfile(DialogWords *d)
{
    const PCFCommandDef *def = d->definition;
    QMS *location = d->first.location;
    DLGINFO *info = PCFGetDlgInfo(def, location);
    d->dlgInfo = info;
    d->instance = 0;
    if (!info)
        return;
    if (def->list && location)
        d->globalInfo = PCFGetDlgInfo(def, nullptr);
    if (def->list) {
        PCFLISTENTRY *columns = info->columns ? info->columns : def->list->current;
        if (!d->first.columns) {
            d->first.columns = columns;
            d->first.ownsColumns = 0;
        }
        if (!(def->flags & PCFD_PAIR)) {
            CheckValidOneList(d, location, columns, &d->first.columns, &d->first.ownsColumns);
        } else {
            d->second.columns = d->first.columns;
            d->second.ownsColumns = 0;
        }
    }
    if (d->optionFlags & DO_BACKGROUND) {
        d->dlgInfo = d->globalInfo = nullptr;
        return;
    }
    d->instance = (uint32_t)PCFCountSharing(d);
    if (d->saved)
        SavedPlacement(d);
    int32_t(*slots)[4] = InfoSlots(info);
    int slot = PCFPlacementSlot();
    if (d->instance == 1) {
        if (!(d->markFlags & DM_POS_SET) && PcfWinPrefs.rememberPositions && (info->optA & DLGA_POSSAVED)) {
            d->placement[slot][0] = slots[slot][0];
            d->placement[slot][1] = slots[slot][1];
            d->markFlags |= DM_POS_SET;
        }
        d->refreshRate = info->refresh > 0 ? (uint32_t)info->refresh : 0;
        d->refreshAlign = info->align;
        d->exportType = info->autoexptype;
        UTStrCopy(d->exportFile, info->autoexpfile, sizeof d->exportFile);
    }
    if (!(d->markFlags & DM_SIZE_SET) && PcfWinPrefs.rememberSizes && (info->optA & DLGA_SIZESAVED)) {
        d->placement[slot][2] = slots[slot][2];
        d->placement[slot][3] = slots[slot][3];
        d->markFlags |= DM_SIZE_SET;
    }
    d->stateFlags |= info->optA & DF_TITLE_MODES;
    d->optionFlags |= info->optB & PROFILE_OPTIONS;
    d->displayFlags = (uint32_t)info->ds3;
    UTStrCopy(d->filterShown, info->dftFilter ? info->dftFilter : PcfWinPrefs.defaultFilter,
              sizeof d->filterShown);
    d->profileWords[0] = (uint32_t)info->exptype;
    d->profileWords[1] = (uint32_t)info->expseltype;
    if (d->saved) {
        SavedSettings(d);
    } else {
        d->stateFlags |= info->optA & (DLGA_INITREFRESH | DLGA_FILTER | DLGA_BUTTONS | DLGA_FIELDS);
        d->optionFlags |= info->optB & DLGB_TL;
    }
}

/* ---- default size ---- */

/* A column's width in characters by its field type (list dialogs). */
static int ColumnChars(const PCFFieldDef *f)
{
    switch (f->type) {
    case 1: case 15: case 24: return 12;
    case 2: case 3: case 13: case 14: case 19: return 20;
    case 4: case 5: case 6: case 7: case 9: case 22: case 25: case 32: case 36: return f->maximum;
    case 8: case 23: return 2 * f->maximum;
    }
    return 0;
}

void GetDialogSize(DialogWords *d, int32_t workCx, int32_t workCy)
{
    const PCFCommandDef *def = d->definition;
    int32_t cx = d->buttonRowWidth > d->paneWidth + d->margin ? d->buttonRowWidth : d->paneWidth + d->margin;
    int32_t pane = (d->stateFlags & DF_SHOW_FIELDS) ? d->paneHeight : 0;
    int32_t cy = ((d->stateFlags & DF_SHOW_BUTTONS) ? d->buttonHeight : d->margin) + pane + (5 * d->lineHeight) / 2;
    if (def && def->list) {
        cy += 15 * d->lineHeight;
        int32_t columns = 0;
        const PCFLISTENTRY *list = d->first.columns ? d->first.columns : def->list->current;
        for (const PCFLISTENTRY *c = list; c && c->field; c++)
            columns += ColumnChars(c->field) * d->charWidth;
        if (cx < columns)
            cx = columns;
    }
    if (def && ((def->flags & PCFD_MSGDIALOG) || d->dataWindow)) {     /* a message or a console */
        if (cx < workCx / 2)
            cx = workCx / 2;
        if (cy < workCy / 2)
            cy = workCy / 2;
    }
    if (cx > workCx * 3 / 4)
        cx = workCx * 3 / 4;
    if (cy > workCy * 3 / 4)
        cy = workCy * 3 / 4;
    d->markFlags |= DM_SIZE_SET;
    d->placement[PCFPlacementSlot()][2] = cx;
    d->placement[PCFPlacementSlot()][3] = cy;
}
