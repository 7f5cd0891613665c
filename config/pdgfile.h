/* The profile's "PDG:" sections: the saved dialogs (savedlg.h) as the
 * configuration file holds them. */
#pragma once

#include "prftext.h"

/* Reads one section into a new record of the list; returns the length of
 * the token that ended it (0 at the end of the text), the token in token. */
int PrfReadSavedDialog(PRFIN *in, char *token);
void PrfWriteSavedDialogs(PRFOUT *out);
