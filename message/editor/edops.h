/* The editing operations the pane's keys, menus and selection box reach:
 * undo groups, inserting and deleting, the clipboard, undo and redo,
 * named values and partner tags.  Declared here with the pane's own
 * calls; they change the message bytes inside undo groups. */
#pragma once

#include "edpane.h"

/* Undo groups: one user action is one group; a failed group rolls back. */
void EdBeginUndoGroup(PCFDATA *ed);
void EdEndUndoGroup(PCFDATA *ed, int success);
void EdFreeUndoList(PCFDATA *ed);
int EdUndo(PCFDATA *ed, int rollback);
int EdRedo(PCFDATA *ed);
/* Stores (at most 99 characters of) a status text, shows it in the
 * dialog's status line and plays the error sound unless quiet. */
void EdSetStatus(PCFDATA *ed, const char *text);

/* Inserting at the field located by EdFindField. */
int EdInsertText(PCFDATA *ed, EdFieldAt *at, const char *text, uint32_t length, int insert);
/* count units forward (direction 0) or backward (negative); *again is
 * set when a second unit must follow (a hex pair). */
int EdDeleteChars(PCFDATA *ed, EdFieldAt *at, int count, int direction, int *again);
int EdDeleteSelection(DialogWords *dialog, PCFDATA *ed, int flags);
int EdReplaceBytes(PCFDATA *ed, CSDATA *buffer, unsigned char *position, const void *bytes,
                   uint32_t count);
/* An undo record of the typing buffer (types 9 and 10). */
int EdAddTypingRecord(PCFDATA *ed, int type);

/* The clipboard. */
int EdCopy(DialogWords *dialog);
int EdCut(DialogWords *dialog);
int EdPaste(DialogWords *dialog);
int EdPasteAll(DialogWords *dialog);

/* Named values and partner tags. */
int EdShowEnumList(PCFDATA *ed);
void EdHoverSelectionBox(PCFDATA *ed, int32_t line);
void EdApplyEnumChoice(PCFDATA *ed);
int EdSyncPartnerTag(PCFDATA *ed);
