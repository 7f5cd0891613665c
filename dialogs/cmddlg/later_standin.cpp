/* Stand-ins for the window-free entry points of pieces built later
 * (laterpieces.h): the editor state and filters have nothing to free yet,
 * and every column of a list is kept.  The real pieces replace this file. */
#include "laterpieces.h"

void PCFEditorFree(DialogWords *) {}
void PCFEvalBindContext(DialogWords *) {}
void PCFEvalFreeContext(DialogWords *) {}
void PCFFilterFree(DialogWords *) {}
void ColFilterFreeAll(DialogWords *) {}

void CheckValidOneList(DialogWords *, QMS *, PCFLISTENTRY *columns, PCFLISTENTRY **slot,
                       uint32_t *owns)
{
    if (!*slot) {
        *slot = columns;
        *owns = 0;
    }
}
