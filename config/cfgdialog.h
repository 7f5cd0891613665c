/* The "DLG:" entries of the configuration file and the profile: the dialog
 * records (dlginfo.h) read and written. */
#pragma once

#include <cstdint>
#include "dlginfo.h"
#include "prftext.h"

/* Reads one entry, the current token being "DLG:", into a new record of
 * the tree; returns the length of the token that ended it (0 at the end
 * of the text), the token in token. */
int CfgFileParseDialog(PRFIN *in, CSTREE **tree, const uint8_t *caps, char *token);
int CfgFileWriteDialog(const DLGINFO *info, PRFOUT *out);
/* Every entry of a tree, in key order. */
void CfgWriteDialogs(CSTREE *tree, PRFOUT *out);
