/* Stand-in for the window-free entry point of the message editor, built
 * later (laterpieces.h): its state has nothing to free yet.  The real
 * piece replaces this file. */
#include "laterpieces.h"

void PCFEditorFree(DialogWords *) {}
