/* The container: what its line, tree and window parts share inside the
 * toolkit.  Not for owners of containers. */
#pragma once

#include "cnt.h"

/* Pixels between a text cell's edges and its text: clear of the focus
 * rectangle drawn round a selected cell. */
#define CNT_TEXT_MARGIN 2

enum { CNT_COLOURS = 20 };

/* Process-wide colour table: the 1-based index of a caller's colour
 * variable (0 for none or when the table is full), and an entry by index. */
int CntColourIndex(const COLORREF *var);
CntColour *CntTableColour(int index);
/* Points an entry at a variable and makes its brush and pen. */
void CntColourSet(CntColour *entry, const COLORREF *var);
/* Gives every entry whose variable changed a new brush and pen. */
void CntColourRefresh(CntColour *entry);
void CntRefreshColours(CNTW *record);

/* Compares two lines' sort labels (over the shorter text, then by length). */
int CntLabelCompare(const cntLINE *a, const cntLINE *b, int nocase);
/* Tree work when a line set is given to a window. */
void CntMatchTrees(CNTW *record, cntLINE *old, cntLINE *now);
void CntInitialSelection(CNTW *record, cntLINE *first);
/* Lays the set out again: levels, rows, links, widths, scroll ranges. */
void CntLayout(CNTW *record);
/* An item cell's width on the screen (expander cells of lines whose list
 * has no child to show take no room). */
int CntCellWidth(const cntLINE *line, const cntITEM *item);
