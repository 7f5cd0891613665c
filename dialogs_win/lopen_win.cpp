/* Dialogs opened from a list dialog: the object's own dialog filled from
 * the selected row (or rows, into a list field), the dialog of an
 * action's command filled from the current dialog's values, and the
 * dialog a double click on a field value opens for the object it names. */
#include "pcflistwin.h"
#include "pcfwin.h"

#include <cstdio>

#include "cs.h"
#include "locstore.h"

#define APPL_OBJECT 10183
#define APPL_TYPE   10182
#define APPL_TAG    3058

/* The owner of a dialog opened from d: d's own owner; none for a frame's
 * pane (a dialog opened from a pane is a window of its own, never a
 * child of the frame beside its panes). */
static HWND Owner(DialogWords *d)
{
    return d->ownerWindow && !(d->optionFlags & DO_CHILD) ? PCFWnd(d->ownerWindow) : nullptr;
}

static int HasStrList(const PCFCommandDef *def)
{
    for (const PCFFieldEntry *e = def->fields; e && e->field; e++)
        if (e->field->type == PCFT_STRLIST)
            return 1;
    return 0;
}

/* Fields of the same attribute copied by text (step 6). */
static void CopyFields(DialogWords *from, DialogWords *to, int lists)
{
    const uint8_t *caps = PCFDialogCaps(to);
    for (PCFFieldEntry *e = from->definition->fields; e && e->field; e++) {
        if (!PCFStoresValue(e) || e->field->type == PCFT_SHOWINT || (e->flags & 0x800000) || !from->dataArea)
            continue;
        uint8_t *r = from->dataArea + e->offset;
        if (!(PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED)))
            continue;
        uint32_t attr = e->field->attrId;
        PCFFieldEntry *t = PCFFindField(to, caps, to->definition->fields, attr);
        if (!t && attr == 0)
            t = PCFFindField(to, caps, to->definition->fields, 3068);
        if (!t || (!lists && t->field->type == PCFT_STRLIST))
            continue;
        char text[1100];
        int type = e->field->type;
        if (lists && (type == PCFT_STRLIST || type == PCFT_MULTISTR)) {
            PCFSTRLIST *l = PCFRecStrList(r);
            int32_t saved = to->listIndex;
            to->listIndex = 32767;
            for (int i = 0; l && i < l->count; i++)
                FieldHWNDData(to, 0, nullptr, 0, t, PCFValueText(from->dataArea, e, i, text, sizeof text, 0), -1, 1);
            to->listIndex = saved;
        } else {
            FieldHWNDData(to, 0, nullptr, 0, t, PCFValueText(from->dataArea, e, 0, text, sizeof text, 0), -1, 0);
        }
    }
}

/* A pane of a frame reuses the frame's pane of the new dialog's kind: a
 * message opened from the frame's message list shows in its message
 * pane.  Null when the frame has none. */
static DialogWords *FramePane(DialogWords *d, HWND parent, DialogWords *t)
{
    if (!(d->optionFlags & DO_CHILD) || !parent)
        return nullptr;
    DialogWords *pane = (DialogWords *)SendMessageA(parent, UM_FRAME_WHICHPANE, 0, (LPARAM)t);
    if (pane && pane->definition == &PCFMessageDef)
        pane->viewOptions &= ~(uint32_t)DV_STEPPED;
    return pane;
}

/* Action 861's presets. */
static void ApplicationPresets(DialogWords *d, const PCFActionDef *action)
{
    if (action->id != 861)
        return;
    PCFSetFieldText(d, APPL_OBJECT, "*");
    PCFSetFieldInt(d, APPL_TYPE, 2);
    char text[60];
    const char *tag = PCFGetValueText(d, APPL_TAG, text, sizeof text);
    if (!tag || !*tag)
        PCFSetFieldText(d, APPL_TAG, "*");
}

static void RefreshAtOnce(DialogWords *d, const PCFActionDef *action)
{
    if (!(action->flags & 0x8))
        return;
    if (CSTraceIsOn())
        CSTrace(1, "AT_AUTOREFRESH\n");
    PostMessageA(PCFWnd(d->window), WM_COMMAND, PCFID_DEFAULT, 0);
}

DialogWords *PCFListDialog(DialogWords *d, const PCFActionDef *action)
{
    PCFROW *few[64];
    int n = PCFSelectedList(d, few, 64);
    if (n <= 0)
        return nullptr;
    if (n > 64)
        n = 64;
    PCFROW *first = few[0];
    QMS *location = (d->definition->flags & PCFD_PAIR)
                        ? ((action->flags & 0x1000000) ? d->second.location : d->first.location)
                        : first->request ? first->request->location : d->first.location;
    PCFCommandDef *target = PCFFindCommandByCode(d->definition, action->command, 1, (action->flags & 0x4000000) != 0);
    if (!target)
        return nullptr;
    DialogWords t = {};
    t.definition = target;
    t.first.location = location;
    uint32_t view = d->viewOptions;
    if (target->list)
        view = (view & ~0xC00000u) | (PcfWinPrefs.defaultView & 0xC00000u);
    else
        view = (view & ~0x300000u) | (PcfWinPrefs.defaultView & 0x300000u);
    t.viewOptions = view & ~(uint32_t)DV_SEVERAL;
    int several = n > 1 && HasStrList(target);
    if (several)
        t.stateFlags |= 0x50000;
    DialogWords *nd = FramePane(d, (d->optionFlags & DO_CHILD) ? GetParent(PCFWnd(d->window)) : nullptr, &t);
    if (!nd)
        nd = PCFCommandDialog(nullptr, Owner(d), &t, nullptr);
    if (!nd)
        return nullptr;
    if (!(target->flags & 0x4000))
        CopyFields(d, nd, 0);
    for (int i = 0; i < (several ? n : 1); i++) {
        PCFLISTAREA *area = PCFRowArea(d, few[i]);
        if (area)
            PCFFieldsFromRow(nd, several, i == 0, area, few[i], (action->flags & 0x1000000) != 0, 0, 0);
    }
    PCFDependChanged(nd);
    ApplicationPresets(nd, action);
    PCFDialogTitle(nd, nullptr);
    RefreshAtOnce(nd, action);
    return nd;
}

DialogWords *PCFDialogDialog(DialogWords *d, const PCFActionDef *action)
{
    /* the kind whose default command it is, else the one that issues it
       (New... opens the dialog that defines the object) */
    PCFCommandDef *target = PCFFindCommandByCode(d->definition, action->command, 1, 0);
    if (!target)
        target = PCFFindCommandByCode(d->definition, action->command, 0, 0);
    if (!target)
        return nullptr;
    DialogWords t = {};
    t.definition = target;
    t.first.location = d->first.location;
    t.second.location = d->second.location;
    if (d->viewOptions & 0x10000)
        t.stateFlags |= 0x50000;
    DialogWords *nd = PCFCommandDialog(nullptr, Owner(d), &t, nullptr);
    if (!nd)
        return nullptr;
    if (!(action->flags2 & 0x1)) {
        CopyFields(d, nd, 1);
        PCFDependChanged(nd);
    }
    ApplicationPresets(nd, action);
    if (nd->lineCount)
        ActivateField(nd, 0, 0);
    RefreshAtOnce(nd, action);
    return nd;
}

/* ---- a double click on a field value ---- */

void PCFClickDialog(DialogWords *d, int32_t line)
{
    PCFFieldEntry *e = nullptr;
    int32_t element = 0;
    int kind = 0;
    if (PCFLineAt(d, line, &e, &element, &kind) || !e || !d->dataArea)
        return;
    char value[200];
    const char *text = PCFValueText(d->dataArea, e, element, value, sizeof value, 0);
    if (!text || !*text || strchr(text, '*'))
        return;
    const PCFFieldDef *f = e->field;
    DialogWords t = {};
    t.first.location = d->first.location;
    uint32_t nameAttr = 0;
    if (f->historyKind == PCFH_QMGR) {
        QMS *q = LocFind(text);
        if (!q) {
            char message[120];
            snprintf(message, sizeof message, "Queue Manager '%s' is not defined to RAVOLT", text);
            PCFDialogStatus(d, message, nullptr, 2 | 4);
            return;
        }
        t.definition = &PCFQueueManagerDef;
        t.first.location = q;
    } else if (f->historyKind == PCFH_QUEUE || f->historyKind == PCFH_XMITQ || f->historyKind == PCFH_INITQ) {
        const PCFSHELLHOOKS *s = PCFShellHooks();
        int browse = s->altKeyOption && s->altKeyOption(s->context);
        t.definition = browse ? &PCFMessageListDef : &PCFQueueDef;
        nameAttr = 2016;
    } else {
        return;
    }
    DialogWords *nd = PCFCommandDialog(nullptr, Owner(d), &t, nullptr);
    if (!nd)
        return;
    if (nameAttr)
        PCFSetFieldText(nd, nameAttr, text);
    PCFDialogTitle(nd, nullptr);
    PostMessageA(PCFWnd(nd->window), WM_COMMAND, PCFID_DEFAULT, 0);
}
