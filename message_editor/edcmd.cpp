/* The editor commands a message dialog hands its pane (undo, redo, the
 * clipboard, find next and previous, the XML commands, select all) and
 * the structure commands of the context sub-menus, with the repeat of
 * the last structure command. */
#include "edstruct.h"
#include "edfind.h"
#include "eddialog.h"

static int lastStructCommand;       /* repeated by 6004 */

static int Structure(DialogWords *d, int id)
{
    if (id >= SM_BEFORE && id < SM_AFTER)
        return StructInsertBefore(d, id);
    if (id >= SM_AFTER && id < SM_REMOVE)
        return StructInsertAfter(d, id);
    switch (id) {
    case SM_REMOVE: return StructRemove(d);
    case SM_ELEMENT_BEFORE: return StructAddArrayElementBefore(d);
    case SM_ELEMENT_AFTER: return StructAddArrayElementAfter(d);
    case SM_ELEMENT_REMOVE: return StructRemoveArrayElement(d);
    }
    return 0;
}

/* A command that may change the bytes: the lines again when it did. */
static int Changed(PCFDATA *ed, int changed)
{
    if (changed)
        EdBuildLineData(ed, 1);
    return 1;
}

int EdEditCommand(DialogWords *d, int id)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (id >= SM_BEFORE && id <= SM_REPEAT) {
        if (id == SM_REPEAT)
            id = lastStructCommand;
        else
            lastStructCommand = id;
        if (ed && id)
            Structure(d, id);
        return 1;
    }
    if (!ed)
        return 0;
    switch (id) {
    case 894: EdUndo(ed, 0); return 1;
    case 895: EdRedo(ed); return 1;
    case 896: EdCopy(d, 0); return 1;
    case 897: return Changed(ed, EdCut(d));
    case 898: return Changed(ed, EdPaste(d));
    case 899: return Changed(ed, EdPasteAll(d));
    case FR_FIND_NEXT: case FR_FIND_PREVIOUS:
        if (!FRFindNext(d, 0, id == FR_FIND_PREVIOUS, 1))
            ED_HOST(edHost, errorSound);
        return 1;
    case 910: EdGotoPartnerTag(ed); return 1;
    case 911: EdAddXmlTag(ed); return 1;
    case 912: EdSelectXml(ed, 0); return 1;
    case 914: EdSelectXml(ed, 1); return 1;
    case 915: EdComment(ed); return 1;
    case 916: EdUncomment(ed); return 1;
    case 917: EdRemoveXmlTag(ed); return 1;
    case 937: return Changed(ed, EdSelectAll(d));
    }
    return 0;
}
