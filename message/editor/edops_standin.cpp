/* Stand-ins of the editing operations until they are built: every edit
 * changes nothing and answers 0; an undo group only shows the status text
 * of a failed action. */
#include "edops.h"
#include "eddialog.h"
#include <cstdio>

void EdBeginUndoGroup(PCFDATA *ed)
{
    ed->editFlags |= EF_GROUP_OPEN;
    if (ed->statusShown && ed->dialog)
        edHost.status(ed->dialog, "", 1);
    ed->statusShown = 0;
    ed->status[0] = 0;
}

void EdEndUndoGroup(PCFDATA *ed, int success)
{
    ed->editFlags &= ~EF_GROUP_OPEN;
    if (!success && ed->status[0])
        EdSetStatus(ed, ed->status);
    if (ed->dialog)
        edHost.browseState(ed->dialog);
    EdDebugState(ed);
}

void EdFreeUndoList(PCFDATA *ed) { ed->undoPosition = nullptr; }
int EdUndo(PCFDATA *, int) { return 0; }
int EdRedo(PCFDATA *) { return 0; }

void EdSetStatus(PCFDATA *ed, const char *text)
{
    if (text != ed->status)
        snprintf(ed->status, sizeof ed->status, "%s", text);
    ed->statusShown = 1;
    if (ed->dialog)
        edHost.status(ed->dialog, ed->status, 6);
    if (!ed->quiet)
        edHost.errorSound();
}

int EdInsertText(PCFDATA *, EdFieldAt *, const char *, uint32_t, int) { return 0; }
int EdDeleteChars(PCFDATA *, EdFieldAt *, int, int, int *again) { *again = 0; return 0; }
int EdDeleteSelection(DialogWords *, PCFDATA *, int) { return 0; }
int EdReplaceBytes(PCFDATA *, CSDATA *, unsigned char *, const void *, uint32_t) { return 0; }
int EdAddTypingRecord(PCFDATA *, int) { return 0; }
int EdCopy(DialogWords *) { return 0; }
int EdCut(DialogWords *) { return 0; }
int EdPaste(DialogWords *) { return 0; }
int EdPasteAll(DialogWords *) { return 0; }
int EdShowEnumList(PCFDATA *) { return 0; }
void EdHoverSelectionBox(PCFDATA *, int32_t) {}
void EdApplyEnumChoice(PCFDATA *ed) { ed->editFlags &= ~EF_ENUM_OPEN; }
int EdSyncPartnerTag(PCFDATA *) { return 0; }
