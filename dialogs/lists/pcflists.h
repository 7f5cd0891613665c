/* List dialogs, the window-free part: which columns show, sort keys and
 * the row order, the rebuild of the shown rows from the list areas (with
 * the selection kept by key), column widths, column moves and sort
 * marks, cell texts, lists rebuilt for changed columns, the difference
 * from the default object, the commands built from selected rows, the
 * WHERE filter, date texts, auto refresh and the timed checks, the chain
 * of queue-manager list records, and "Change List Contents"' list
 * building.
 *
 * The window code (pcflistwin.h) feeds the list window from the rows
 * built here and reads the selection back from it; tests and the
 * benchmark drive the same functions without a window.  User-interface
 * thread only, like the windows it serves. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "dialogs.h"
#include "cmddlg.h"
#include "dlghooks.h"

/* ---- settings ---------------------------------------------------------- */

/* Grid edge kinds and the selection frame (list display preferences). */
enum PCFGridBits : uint32_t {
    PCFG_RAISED = 0x1, PCFG_BUMP = 0x2, PCFG_SUNKEN = 0x4, PCFG_FLAT = 0x10, PCFG_MONO = 0x20,
    PCFG_SOFT = 0x40, PCFG_RIGHTBOTTOM = 0x80, PCFG_FRAMEBLOCK = 0x100
};

/* The program-wide list settings (the shell fills them from the profile;
 * tests set them). */
struct PCFLISTPREFS {
    uint32_t grid;               /* PCFG_ bits; any of 0x1-0x20: edges drawn */
    int stripes;                 /* odd rows in "List Stripe Background" */
    int digitAlign;              /* numbers drawn with aligned digits */
    int invertSelected;          /* selected cells in the select colours */
    int focusLine;               /* a line along the focus row, no focus rectangle */
    int selectFirst;             /* select the first row when none is */
    int predictiveNotice;        /* "One or more messages show predictive text" */
    int valuesOnly;              /* size columns by their values alone */
    int colFilterMark;           /* room for the column-filter mark */
    int32_t markWidth;           /* that mark's width */
    int keepSelectionOnSort;     /* a sort keeps the selection and caret */
    int keepRowsOnTimeout;       /* rows of a silent queue manager stay */
    int noQmBoxes;               /* the queue-manager list draws no boxes */
    int checkStyle;              /* the second pair of box bitmaps */
    int elapsedDays;             /* today and yesterday by elapsed time */
    int balloonTips;             /* title tips as balloons */
    int32_t responseTimeout;     /* seconds; 0: 10 */
    int timeoutOption;           /* the configured time-out, else 60 s */
    int32_t flashSeconds;        /* "List Flash Interval": seconds a phase */
};
extern PCFLISTPREFS PcfListPrefs;
void PCFListPrefsDefaults(void);
void PCFListPrefsFromProfile(void);

/* ---- columns ----------------------------------------------------------- */

/* Column flags beyond pcfdefs.h's. */
#define PCFL_CUT       0x20       /* the title is cut to the values' width */
#define PCFL_NOSPARE   0x80       /* takes no share of spare width */
#define PCFL_NOSORT    0x100
#define PCFL_NOLOW     0x400      /* never drawn in the lowlight colour */
#define PCFL_USERWIDTH 0x4000     /* width set by the user */
#define PCFL_HTTP      0x8000     /* shown in dialogs titled "HTTP:" */
#define PCFL_HIDDEN    0x10000
#define PCFL_SORTMARKS (PCFL_SORT1 | PCFL_DESCEND | PCFL_SORT2)
#define PCF_SORT_MARK_ROOM 14     /* pixels a sort arrow takes beside a title */
#define PCFL_CARRIED   (PCFL_KEEP | 0x80 | 0x200 | 0x400 | 0x20000)

/* Whether a column with these flags is shown in the dialog (painting,
 * hit testing, sizing, printing and copying all ask this). */
int PCFColumnShown(const DialogWords *dialog, uint32_t flags);
/* The dialog's column list (its first record's, else the definition's). */
PCFLISTENTRY *PCFDialogColumns(const DialogWords *dialog);
int PCFColumnCount(const PCFLISTENTRY *columns);
/* The area a record's rows are shown from: the rebuilt one, else the reply. */
PCFLISTAREA *PCFCurrentArea(const PCFLISTREQ *request);
/* Every list record of a dialog (the chain, else the embedded first). */
PCFLISTREQ *PCFFirstList(DialogWords *dialog);
PCFLISTREQ *PCFNextList(DialogWords *dialog, PCFLISTREQ *request);
/* Whether a record's rows are shown: selected in a queue-manager list,
 * else the dialog's own record (and B's of a pair). */
int PCFListShown(const DialogWords *dialog, const PCFLISTREQ *request);
/* Makes the dialog's column list its own (a copy of a definition's static
 * list, kept by its DLGINFO when that has none); 0 without storage. */
int PCFOwnColumns(DialogWords *dialog);
/* A copy of a column list (tag "PCFLIST"); null without storage. */
PCFLISTENTRY *PCFCopyColumns(const PCFLISTENTRY *columns, int extra);

/* Row flags (PCFROW.flags). */
#define PCFR_OWNTEXT   0x1
#define PCFR_OWNBACK   0x2
#define PCFR_KEY1      0x4        /* own primary key (text when 0x8) */
#define PCFR_KEY1TEXT  0x8
#define PCFR_KEY1DESC  0x10
#define PCFR_KEY2      0x20       /* own secondary key (text when 0x40) */
#define PCFR_KEY2TEXT  0x40
#define PCFR_SIDEA     0x80
#define PCFR_SIDEB     0x100
#define PCFR_DIFFERS   0x200
#define PCFR_FLASH     0x400
#define PCFR_MARKED    0x800
#define PCFR_KEY2DESC  0x4000
#define PCFR_KEEP      (0x80 | 0x100 | 0x200 | 0x1000 | 0x2000 | 0x10000)

/* List value-record state bits beyond the present bit; a cell's own
 * colour (text with 0x10, background with 0x20 alone) is the u32 at +4. */
#define PCFV_MARK4     0x4
#define PCFV_DIFFERS   0x8
#define PCFV_OWNTEXT   0x10
#define PCFV_OWNBACK   0x20
#define PCFV_FLASH     0x40
#define PCFV_WHITE     0x100      /* also: the value was missing when rebuilt */
#define PCFLV_COLOUR   4

/* ---- sort keys --------------------------------------------------------- */

#define PCF_KEYPART 249           /* bytes of one key part at most */
#define PCF_KEYMAX  (2 * (2 * PCF_KEYPART + 3) + 2)

/* The key text of a value record for a field (no collation yet); its
 * length.  secondary picks the secondary form of type 18. */
int PCFValueKey(const PCFFieldDef *field, const uint8_t *value, int secondary, char *out);
/* A row's sort key: primary and secondary parts through the collation
 * table, each complemented and ended by 255 when descending, separated by
 * 1, ended by NUL; its length without the NUL. */
int PCFSortKey(const char *primary, int primaryLength, int primaryDescending,
               const char *secondary, int secondaryLength, int secondaryDescending, char *out);
/* The names of the value table's flags set in a value, "," separated,
 * with left-over bits as "0x%X"; its length. */
int FlagsToNames(const PCFFieldDef *field, uint32_t flags, char *text);

/* ---- the shown rows ---------------------------------------------------- */

/* One row of the list window, in order. */
struct PCFSHOWN {
    PCFROW *row;
    uint32_t key;                 /* offset of its sort key in the key buffer */
    uint32_t order;               /* arrival order, for equal keys */
    uint8_t selected;
};

/* A user-set column width, kept across refreshes by field. */
struct PCFUSERWIDTH {
    const PCFFieldDef *field;
    int32_t width;
};

/* Per column of the dialog's column list: what a rebuild measured and the
 * widths laid out from it. */
struct PCFCOLSIZE {
    int32_t valueWidth, deviceWidth;   /* widest shown value, on the list and a second device */
    int32_t valueChars;                /* most characters */
    int32_t titleWidth, deviceTitle, titleChars;
    int32_t hasValues;
    int32_t width, printWidth, chars;  /* laid out */
};

/* The list state of one dialog (kept in its work block 1). */
struct PCFLISTSTATE {
    PCFSHOWN *rows;
    uint32_t count, capacity;
    int32_t caret;                /* index in rows, -1 none */
    int32_t top;
    int anySelected;
    char *keys;
    uint32_t keysUsed, keysCapacity;
    PCFLISTAREA **held;           /* areas whose rows the list window shows */
    uint32_t heldCount, heldCapacity;
    PCFCOLSIZE *cols;
    uint32_t colCount, colCapacity;
    PCFUSERWIDTH userWidths[32];
    int32_t neededWidth;
    int32_t room;                 /* the list window's width at the last layout */
    int32_t printExtra;           /* added to each print width (0: 104) */
    int evalFailed;               /* the filter failed at a row */
    int predictive;               /* a shown area holds predictive text */
};
PCFLISTSTATE *PCFListState(DialogWords *dialog);
/* The columns changed: the sizes are measured again at the next build. */
void PCFListColumnsChanged(DialogWords *dialog);
/* Releases the rows, the held areas and the state (FreeDialogWords). */
void PCFListStateFree(DialogWords *dialog);

/* What the list window showed before a rebuild. */
struct PCFSELECTION {
    PCFROW **rows;                /* the selected rows */
    int32_t count;
    PCFROW *caret;                /* the caret row, or null */
    int32_t top;
};

/* Character widths of a font, for measuring without a device. */
struct PCFCHARWIDTHS {
    int16_t widths[256];
    int32_t margin;               /* the cell margin */
    int32_t digitSlot;            /* an aligned digit: the widest digit and its gap */
    int32_t numberRoom;           /* an aligned number's room right of its last digit */
};
int32_t PCFTextWidth(const PCFCHARWIDTHS *metrics, const char *text, int length);
/* The width of a number drawn with aligned digits: every digit in a slot
 * of the widest digit, other characters in the width of "-" (a thousands
 * separator in its own), each with a gap, and the room on the right. */
int32_t PCFNumberWidth(const PCFCHARWIDTHS *metrics, const char *text, int length);

/* What a rebuild measures with: the list's font, and a second device
 * (a printer) when given. */
struct PCFMEASURE {
    const PCFCHARWIDTHS *list;
    const PCFCHARWIDTHS *device;
};

/* Rebuild modes. */
#define PCFU_MEASUREONLY 0x1
#define PCFU_NOTOP       0x2

/* Takes a newly arrived area for a record (its rows rebuilt for the
 * dialog's columns when they differ; one refresh asked for when values
 * were missing). */
void PCFTakeNewArea(DialogWords *dialog, PCFLISTREQ *request, PCFLISTAREA *area);
/* The rebuild: the rows shown in order, selected again by key, counted
 * and measured.  0, or 1 when the filter failed at a row. */
int PCFBuildRows(DialogWords *dialog, int mode, const PCFSELECTION *before, const PCFMEASURE *measure);
/* After the list window took the rows: the areas it shows are held, the
 * ones it showed before released. */
void PCFHoldShownAreas(DialogWords *dialog);
/* The area a shown row lies in (held or current), or null. */
PCFLISTAREA *PCFRowArea(DialogWords *dialog, const PCFROW *row);
/* The selected rows of the last rebuild (tests and the window's fallback). */
int PCFShownSelected(DialogWords *dialog, PCFROW **rows, int max);

/* A message list's range of message numbers ("first,last"; unreadable:
 * "1,100") moved to the first, next or previous page of its size, into
 * out; 0 when the page would pass the largest number. */
enum { PCFPAGE_FIRST, PCFPAGE_NEXT, PCFPAGE_PREVIOUS };
int PCFPageRange(const char *range, int how, char *out, size_t size);
/* The number of messages a page of the range holds (a range that does
 * not read as one gives the default page). */
int32_t PCFPageLength(const char *range);

/* Column layout: widths from the measures for a room (the list window's
 * width); flags 1 forgets the user's widths.  The needed width. */
int32_t PCFLayoutColumns(DialogWords *dialog, int32_t room, int flags);
/* A column's width set by the user (at least 1 pixel). */
void PCFSetUserWidth(DialogWords *dialog, int column, int32_t width);
/* Shown column at a position of the title band: index, or -1; *left and
 * *right its edges; *border set within a border width of an edge (the
 * column left of a left edge). */
int PCFColumnAt(DialogWords *dialog, int32_t x, int32_t borderWidth, int32_t *left, int32_t *right,
                int *border);

/* ---- sorting and column moves ----------------------------------------- */

/* A click on a column heading (Alt held or not): the new marks.  0 when
 * the column cannot be sorted. */
int PCFSortColumn(DialogWords *dialog, int column, int alt);
/* The marks of the dialog's current area carried over to a new area. */
void PCFCopySortMarks(DialogWords *dialog, PCFLISTREQ *request, PCFLISTAREA *area);
void PCFMoveArrayEntry(void *array, size_t entrySize, int count, int from, int to);
void PCFMoveArrayEntryTo(void *array, size_t entrySize, int count, int from, int to);
/* The same move on one row's packed value records; 0 when it did not fit. */
int PCFMoveRowValue(PCFLISTAREA *area, const PCFLISTENTRY *columns, PCFROW *row, int from, int to);
/* A column of one area moved (rows, then the column arrays); swapped when
 * from is to - 1. */
void PCFMoveAreaColumn(PCFLISTAREA *area, int from, int to);
/* PCFMoveColumns: every record's areas and the column list; the new order
 * handed on as a list update (code 131). */
void PCFMoveColumns(DialogWords *dialog, int from, int to);
void PCFDumpList(const char *title, const PCFLISTENTRY *columns);

/* ---- cells -------------------------------------------------------------- */

/* A cell's text: its length, *text in buf or in the record; *numeric for
 * digit-aligned numbers. */
int PCFListCellText(const PCFLISTENTRY *column, const uint8_t *value, char *buf, int size, const char **text,
                    int *numeric);
/* "Title (KEYWORD)" of a field, in a shared buffer. */
const char *PCFFieldTitleWithKeyword(const PCFFieldDef *field);
/* The shown cells of a row joined by tabs (copying). */
int PCFRowText(DialogWords *dialog, PCFROW *row, char *out, int size);

/* ---- lists rebuilt for the columns ------------------------------------- */

void CheckValidOneList(DialogWords *dialog, QMS *location, PCFLISTENTRY *columns, PCFLISTENTRY **slot,
                       uint32_t *owns);
void PCFCheckListsCore(DialogWords *dialog);
/* A list area rebuilt for the dialog's columns from an area of other
 * columns (null when they match); 0 or 1 without storage. */
int PCFLoadListData(DialogWords *dialog, PCFLISTAREA *from, PCFLISTAREA **outNew, int *outNeedsRefresh);
/* 1 when an area's columns equal a column list (fields, 0x1, 0xC, 0x48). */
int PCFSameColumns(PCFLISTAREA *area, const PCFLISTENTRY *columns);
/* Rebuilds every record for the dialog's columns; 1 when values were
 * missing (the caller posts a refresh). */
int PCFRebuildLists(DialogWords *dialog);
/* Selected records recounted: DO_SEVERAL_QMGRS and DV_SEVERAL; 1 when
 * DV_SEVERAL changed. */
int PCFCountSelectedLists(DialogWords *dialog);

/* ---- the default objects a download fetches ---------------------------- */

/* One row of the download table. */
struct DOWNLOADROW {
    uint16_t need1, need2, exclude;
    PCFCommandDef *object;
    PCFCommandDef *list;
    const char *pattern;
    uint32_t nameAttr;
    uint32_t typeAttr;
    const char *accepted;        /* ",NAME,NAME," */
};
#define DOWNLOAD_ROWS 1
extern const DOWNLOADROW DownloadTable[DOWNLOAD_ROWS];

/* The row index of a definition (its object or its list) with the row in
 * *row, or -1. */
int FindDownloadEntry(const PCFCommandDef *definition, const DOWNLOADROW **row);
/* The row of a definition (its object or its list), or null. */
const void *GetDownloadEntry(const PCFCommandDef *definition);
const DOWNLOADROW *FindDownloadEntryById(uint32_t nameAttr);
/* 1 when the name is a whole element of the row's accepted names. */
int FindNameInList(const DOWNLOADROW *row, const char *name, int32_t length);

/* The stored default object of a type (its data area), or null; also
 * while the download is not done. */
const uint8_t *FindDownloadedObject(QMS *location, uint32_t nameAttr, int32_t type);
/* 1 once the location's download has kept the default objects of the
 * definition's kind (the comparison with them is possible). */
int PCFDefaultsDownloaded(QMS *location, const PCFCommandDef *definition);

/* ---- difference from the default object ------------------------------- */

int PCFCompareDefault(QMS *location, const PCFCommandDef *definition, uint8_t *area, int *nameListed,
                      int *systemName);
void PCFDiffFromDefaultCore(DialogWords *dialog, PCFLISTREQ *request);

/* ---- commands of the selected rows ------------------------------------ */

/* The selected rows in order (PCFSelectionSource): their count; rows
 * filled up to max. */
int PCFSelectedList(DialogWords *dialog, PCFROW **rows, int max);

#define PCFSEL_CORREL 0x100
struct PCFREQINFO {
    uint32_t flags;               /* PCFSEL_CORREL */
    uint8_t correlId[24];
};
/* One command for the next selected row (cursor -1 first, -2 after the
 * last): 0 built, 1 a row without its record, else an MQ reason. */
int PCFRowCommand(DialogWords *dialog, QMS **location, PCFREQINFO *info, const PCFCommandDef *target,
                  const PCFActionDef *action, int32_t *cursor, uint8_t *out, uint32_t room,
                  uint32_t *length, char *name);
/* One command for all selected rows: 0 built, 1 without storage (status
 * "No Storage"), 2110 for a type it cannot send, else an MQ reason. */
int BuildSelectionList(DialogWords *dialog, const PCFCommandDef *target, const PCFActionDef *action,
                       uint8_t *out, uint32_t room, uint32_t *length);
/* The target of a copy or move dropped on a queue: the queue and its
 * queue manager, taken by BuildSelectionList while the drop's command is
 * built (display flag PCFDISP_DROP) and kept as the last target. */
void PCFSetDropTarget(const char *queue, const char *qmgr);
/* Copies a row's values into a dialog's fields. */
void PCFFieldsFromRow(DialogWords *target, int several, int firstRow, PCFLISTAREA *area, PCFROW *row,
                      int sideB, int markListed, int onlySpecified);

/* ---- date texts -------------------------------------------------------- */

/* An MQ date and time ("YYYY-MM-DD" "HH.MM.SS", or 8 + 8 digits) as the
 * display text of the date formats; *value the local time in seconds
 * (hundredths in *hundredths), INT64_MIN when empty.  The text's length. */
int FormatMQDateTime(char *out, int size, const char *date, int dateLength, const char *time,
                     int timeLength, int64_t *value, int *hundredths);
int FormatRelativeTime(char *out, int size, int64_t value, int hundredths);
/* A date-time pair list record (36 + text bytes) for a type 32 or 36
 * column; its length. */
uint32_t PCFPairRecord(uint8_t *out, int type, const char *date, int dateLength, const char *time,
                       int timeLength);
/* The 64-bit time value of a pair record. */
int64_t PCFPairTime(const uint8_t *record);

/* ---- auto refresh and timed checks ------------------------------------- */

int64_t PCFNextRefreshTime(int64_t last, uint32_t rate, int32_t alignment, int *aligned);
void PCFInitAutoRefresh(DialogWords *dialog);
void PCFFmtAlignTime(uint32_t rate, int32_t alignment, char *out, size_t size);
/* 1 with *alignment read; 0 for "Unavailable" or no number. */
int PCFParseAlignment(const char *text, int32_t *alignment);
void PCFFmtRefreshTime(int64_t time, int withSeconds, char *out, size_t size);
/* The up-down steps: the new rate or alignment. */
uint32_t PCFRateStep(uint32_t rate, int up);
int32_t PCFAlignStep(uint32_t rate, int32_t alignment, int up);
/* The rate read from its text ("5 Min"); -1 when not a rate. */
int64_t PCFParseRate(const char *text);
void PCFFmtRate(uint32_t rate, char *out, size_t size);

/* The once-a-second check of every open dialog; now in seconds. */
struct PCFCHECKHOOKS {
    void *context;
    void (*refresh)(void *ctx, DialogWords *dialog);            /* posts WM_COMMAND 1 */
    void (*rebuild)(void *ctx, DialogWords *dialog);            /* rows rebuilt */
    void (*autoExport)(void *ctx, DialogWords *dialog);
    void (*timesChanged)(void *ctx, DialogWords *dialog);       /* 11380 to its dialog */
    void (*show)(void *ctx, DialogWords *dialog);               /* the window shown */
};
void PCFCheckResponses(int64_t now, const PCFCHECKHOOKS *hooks);
/* The list-record flags of the checks (QMSREQ); a record waiting to be
 * asked again is its refresh flag 8 (PCFLR_REFRESH_DUE) with its time. */
#define PCFLR_REMOVE      0x2
#define PCFLR_ISSUED      0x4
#define PCFLR_SILENT      16
#define PCFLR_REPORTED    0x20
/* Option flags of the checks; the dialog's waiting and export-due marks
 * are its status word's (DM_WAITING, DM_EXPORT_DUE), a refresh due its
 * DF_REFRESH_DUE, a command awaiting its first answer DM_REQUEST_SENT with
 * the time it was sent; a background dialog (DO_BACKGROUND) waits the
 * configured response time-out. */
#define DO_AUTO_EXPORT    0x4
#define DO_APPEND         0x8
#define DO_TIMESTAMP      0x10        /* Text and CSV exports begin each row with date and time */
#define DO_TRANSIENT      0x2000
#define DO_LISTS_WAIT     0x4000
#define DO_ALWAYS_HEADER  0x10000

/* ---- the queue-manager list records ------------------------------------ */

/* Rebuilds the chain of records (own record first set selected); before
 * a record is freed, beforeFree is called for it.  1 when records were
 * added or removed. */
int PCFBuildQmListCore(DialogWords *dialog, void (*beforeFree)(DialogWords *dialog, PCFLISTREQ *request));
/* Frees the chain's own records (FreeDialogWords). */
void PCFFreeQmList(DialogWords *dialog);

/* ---- Change List Contents ---------------------------------------------- */

/* One request to the window: the caller's slots and the list's kind. */
struct CHGLIST {
    void **ownerSlot;
    void *dialogHandle;
    void *modelessLink;
    void *window;
    DialogWords *dialog;          /* the list dialog, or null */
    const PCFCommandDef *definition;
    PCFLISTENTRY **resultSlot;
    PCFLISTENTRY **baseSlot;
    PCFLISTENTRY *newList;
    const uint8_t *caps;
    uint32_t *ownedFlag;
    uint32_t requestCode;         /* 152 every dialog of the kind, 131 the dialog only */
    PCFLISTENTRY *base;           /* the list the window started from */
    uint32_t applied;             /* a list of "OK"/"Apply" was handed on since */
};
/* The fields "Change List Contents" offers, in definition order; count. */
int PCFAlterOffered(const CHGLIST *record, const PCFFieldDef **out, int max);
/* The new list from the chosen fields in order and the sort choices
 * (null: none); null when it equals the base list (nothing changes) or
 * storage ran out. */
PCFLISTENTRY *PCFAlterBuild(const CHGLIST *record, const PCFFieldDef *const *chosen, int count,
                            const PCFFieldDef *sort1, int descending1, const PCFFieldDef *sort2,
                            int descending2);
/* "OK"/"Apply": the list built and handed on; 1 when anything changed. */
int PCFAlterListApply(CHGLIST *record, const PCFFieldDef *const *chosen, int count, const PCFFieldDef *sort1,
                      int descending1, const PCFFieldDef *sort2, int descending2);
/* "Reset": a list made by an earlier "Apply" dropped, the base back. */
void PCFAlterListReset(CHGLIST *record);
void PCFNotifyListUpdate(const PCFCommandDef *definition, CHGLIST *record);
/* Column lists no longer used by anyone, freed when the last user goes. */
void PCFReleaseColumns(PCFLISTENTRY *columns);
