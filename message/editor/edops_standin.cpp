/* temporary */
#include "edops.h"
#include "eddialog.h"
int EdCopy(DialogWords *, int) { return 0; }
int EdCut(DialogWords *) { return 0; }
int EdPaste(DialogWords *) { return 0; }
int EdPasteAll(DialogWords *) { return 0; }
int EdShowEnumList(PCFDATA *) { return 0; }
void EdHoverSelectionBox(PCFDATA *, int32_t) {}
void EdApplyEnumChoice(PCFDATA *ed) { ed->editFlags &= ~EF_ENUM_OPEN; }
int EdSyncPartnerTag(PCFDATA *) { return 1; }
void EdFreeEnumList(EdEnumList *) {}
