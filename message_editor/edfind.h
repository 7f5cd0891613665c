/* Find and Replace over the formatted lines of a message pane: the find
 * and replacement strings with their histories, the search and count
 * sinks, matching at a position by field type, selecting a match, and
 * replacing one or all occurrences as if the replacement were typed (one
 * undo step for Replace All).  The "Find and Replace" dialog (win/) reads
 * its controls through the find host and calls these. */
#pragma once

#include "edops.h"
#include "cslist.h"

/* One search or replacement string (tag "FR"), the text after it. */
struct FRText {
    CSLISTELEM links;           /* the history list's */
    uint32_t ccsid;             /* the text's code page; 0xFFFFFFFF: not yet converted */
    uint32_t caseFlag;          /* converted find string: 0x10000 Match Case, 0 upper-cased */
    uint32_t hexDigits;         /* hex digits of the text (0: not all hex) */
    uint32_t length;
    char text[1];               /* NUL-terminated */
};

/* The dialog's options (bits of DialogWords.displayFlags). */
enum : uint32_t { FO_BACKWARD = 0x8000, FO_MATCH_CASE = 0x10000, FO_DATA_ONLY = 0x20000 };
/* Command ids of the dialog and the main window. */
enum { FR_FIND = 414, FR_REPLACE = 529, FR_REPLACE_ALL = 530, FR_FIND_NEXT = 902, FR_FIND_PREVIOUS = 903 };
enum { FR_HISTORY_MOST = 21 };

/* The program-wide histories (the newest entry last in the list). */
extern CSLIST frFindHistory, frReplaceHistory;
const FRText *FRNewest(const CSLIST *history);
FRText *FRNewText(const char *text, uint32_t length, uint32_t ccsid);
/* Puts the entry first (an equal one first already: freed instead). */
void FRAddHistory(CSLIST *history, FRText *entry);
void FRFreeHistories(void);

/* 1 ready, 0 refused (the text shown): the dialog's texts and options. */
int FRValidate(DialogWords *dialog, int id);
int FRFindNext(DialogWords *dialog, int fromDialog, int reverse, int report);
int FindReplaceOnce(DialogWords *dialog, int inReplaceAll);
int FindReplaceAll(DialogWords *dialog);
int FindCountAll(DialogWords *dialog);
void FindSetSearch(PCFDATA *ed, uint32_t ccsid);
void FindSetReplace(PCFDATA *ed, uint32_t ccsid);
uint32_t FindSearchSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t length);
int EdMatchAtPos(PCFDATA *ed, const LINEDATA *line, int32_t column);
int FRSelectMatch(PCFDATA *ed, const LINEDATA *line);
int FindReplaceNumber(DialogWords *dialog, int inReplaceAll);
/* A text for both status lines (the dialog's and the command dialog's). */
void FRStatus(DialogWords *dialog, const char *text);
