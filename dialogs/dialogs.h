/* Object and list dialogs, the window-free core: dialog data areas (the
 * value of every field of one dialog), field values as input, display
 * and MQSC text, list areas (the rows a list reply becomes), replies
 * converted into data areas, and the hand-over of finished areas to the
 * dialog window.
 *
 * Nothing here touches a window: posts, status lines, field windows and
 * the command engine are reached through PCFHOOKS; an unset hook does
 * nothing (a post then counts as failed).
 *
 * Threads: replies are converted on a worker thread into a new list area
 * or data area, which the user-interface thread takes over when its
 * UM_PCF_UPDATE_LIST or UM_PCF_UPDATE_DIALOG arrives (PCFTakeListArea,
 * PCFTakeDialogData).  The user-interface thread changes a dialog's data
 * area under global lock 5 (CSLOCK_DIALOGS); the worker copies it under
 * the same lock. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "dlghooks.h"
#include "pcfdefs.h"

struct QMS;
struct AUTQMASK;
struct DialogWords;
struct PCFDATA;

/* Window messages of the command dialog. */
#include "ravoltids.h"
#define PCF_WM_COMMAND       0x0111

/* Value-record state bits (data areas and list rows). */
#define PCFS_PRESENT   0x1
#define PCFS_RECEIVED  0x2
#define PCFS_SPECIFIED 0x4
#define PCFS_NAMECHG   0x8
#define PCFS_ERROR     0x10

/* DialogFlags (state flags) of the dialog window. */
#define DF_NAME_INITIAL   0x2         /* the object name equals its initial name */
#define DF_SHOW_FIELDS    0x8
#define DF_SHOW_BUTTONS   0x10
#define DF_SHOW_FILTER    0x20
#define DF_CLOSING        0x40
#define DF_FILTER_MARKED  0x80
#define DF_MADE           0x100       /* made by PCFCommandDialog */
#define DF_REFRESH_ASKED  0x1000
#define DF_REFRESH_AT_OPEN 0x8000
#define DF_KEEP_PREVIOUS  0x80000     /* the template's data area is kept */
#define DF_CANCELLED      0x100000
#define DF_NO_DATA        0x200000
#define DF_HISTORY_COMBO  0x400000
#define DF_STALE          0x800000
#define DF_TITLE_AUTO     0x1000000
#define DF_TITLE_FULL     0x2000000
#define DF_TITLE_SHORT    0x4000000
#define DF_TITLE_NAME     0x8000000
#define DF_NO_HIDDEN_OWNER 0x20000000
#define DF_SPLIT_TOGGLE   0x40000000
#define DF_NAME_ASKED     0x80000000u
/* DialogFlags bits of the values and replies, clear of the window's. */
#define DF_AUTO_EXECUTE   0x200       /* run the execute action after the reply */
#define DF_REFRESH_DUE    0x4000
#define DF_MULTI_NAME     0x10000     /* multi-name mode */
#define DF_NAME_CHANGED   0x20000
#define DF_LIST_EDIT      0x40000
static_assert(((DF_AUTO_EXECUTE | DF_REFRESH_DUE | DF_MULTI_NAME | DF_NAME_CHANGED | DF_LIST_EDIT) &
               (DF_NAME_INITIAL | DF_SHOW_FIELDS | DF_SHOW_BUTTONS | DF_SHOW_FILTER | DF_CLOSING |
                DF_FILTER_MARKED | DF_MADE | DF_REFRESH_ASKED | DF_REFRESH_AT_OPEN | DF_KEEP_PREVIOUS |
                DF_CANCELLED | DF_NO_DATA | DF_HISTORY_COMBO | DF_STALE | DF_TITLE_AUTO | DF_TITLE_FULL |
                DF_TITLE_SHORT | DF_TITLE_NAME | DF_NO_HIDDEN_OWNER | DF_SPLIT_TOGGLE | DF_NAME_ASKED)) == 0,
              "the values' dialog flags collide with none of the window's");

/* DialogOptions (option flags). */
#define DO_IN_CALLER_WINDOW 0x2
#define DO_FILLING_COMBO    0x20
#define DO_HIDE_SYSTEM      0x40      /* toggled by command 748 */
#define DO_BACKGROUND       0x80
#define DO_TOOLBAR          0x100
#define DO_QMLIST           0x400
#define DO_SEVERAL_QMGRS    0x800
#define DO_QMLIST_PLACED    0x1000
#define DO_TRACK_VALUE      0x80000
#define DO_VALUE_DIFFERS    0x200000
#define DO_CHILD            0x800000

/* View options. */
#define DV_SEVERAL          0x80
#define DV_HIGHLIGHT_DEFAULT 0x100000
#define DV_ONLY_DIFFERENT   0x200000
#define DV_COMPARE_DEFAULT  (DV_HIGHLIGHT_DEFAULT | DV_ONLY_DIFFERENT)
#define DV_LINE_NUMBERS     0x2000000
#define DV_STEPPED          0x8000000
/* View options the command engine reads. */
#define DV_ALL_MESSAGES     0x8       /* an action applies to all messages */
#define DV_NEW_OBJECT       0x4000000 /* names of a new object are checked */

/* Display flag: a drag-and-drop command is being built (its target is
 * the drop's, not the dialog's target fields). */
#define PCFDISP_DROP        0x4000

/* Status flags. */
#define DS_TRUNCATED    0x1
#define DS_NO_MESSAGES  0x2           /* validation messages are not shown */
#define DS_APPEND       0x8
#define DS_ONLY_DIFF    0x10
#define DS_EXPORTED     0x1000
#define DS_WANT_COMPLETE 0x20         /* the whole message was asked for */
#define DS_MATCHED      0x40          /* key matching found the object */
#define DS_NO_CONFIRM   0x8000        /* actions are not confirmed */
#define DS_SEARCH       0x1000000     /* a Message List searches its messages */
#define DS_UNTIL_REQUEST 0x400000     /* a mark that lasts until the dialog sends its next request */

/* Display flags the command engine sets. */
#define DD_NAMES_MAPPED 0x800         /* names mapped between two naming patterns */

/* ---- data areas ------------------------------------------------------ */

/* Attached blocks of a data area. */
struct PCFSTRLIST {            /* types 6, 7: capacity x maximum + 15 bytes */
    uint32_t size;
    uint32_t reserved;
    int16_t capacity;
    int16_t count;
    /* capacity elements of the field's maximum length, blank padded,
       then 3 spare bytes */
};
struct PCFINTLIST {            /* types 19, 22, 24 */
    int16_t capacity;
    int16_t count;
    /* capacity int32 elements follow */
};
struct PCFMSGBUF {             /* type 10 */
    uint32_t capacity;
    uint32_t length;
    /* the bytes follow */
};

inline char *PCFStrListItem(PCFSTRLIST *l, int maximum, int index)
{
    return (char *)(l + 1) + (size_t)index * (size_t)maximum;
}
inline int32_t *PCFIntListItems(PCFINTLIST *l) { return (int32_t *)(l + 1); }
inline uint8_t *PCFMsgBufBytes(PCFMSGBUF *b) { return (uint8_t *)(b + 1); }
/* An empty message buffer of a capacity (tagged), or null. */
PCFMSGBUF *PCFNewMsgBuf(uint32_t capacity, const char *tag);
/* Field types by their value records: a 32-bit integer, a text. */
int PCFIsIntType(int type);
int PCFIsTextType(int type);
/* Empty attached lists of a capacity (strings blank-filled); null without
 * storage or above 32767 elements. */
PCFSTRLIST *PCFNewStrList(int capacity, int maximum, const char *tag);
PCFINTLIST *PCFNewIntList(int capacity, const char *tag);

/* Reading and writing value records (records are not aligned). */
uint16_t PCFState(const uint8_t *record);
void PCFSetState(uint8_t *record, uint16_t state);
int32_t PCFRecInt(const uint8_t *record);             /* at +2 */
void PCFSetRecInt(uint8_t *record, int32_t value);
void *PCFRecPtr(const uint8_t *record);               /* attached block, at +2 */
void PCFSetRecPtr(uint8_t *record, void *block);
/* The list blocks a record holds, read only through these: a string list
 * (types 6, 7), an integer list (19, 22, 24), message data (10); null
 * when the record holds none.  The elements of a list record by its
 * field's type (0 for none or another type). */
PCFSTRLIST *PCFRecStrList(const uint8_t *record);
PCFINTLIST *PCFRecIntList(const uint8_t *record);
PCFMSGBUF *PCFRecMsgBuf(const uint8_t *record);
int PCFRecListCount(const uint8_t *record, const PCFFieldDef *field);
char *PCFRecText(uint8_t *record);                    /* types 4, 5, 25, 32, 36 */
uint32_t PCFRecBytesLength(const uint8_t *record);    /* types 8, 9, 23 */
uint8_t *PCFRecBytes(uint8_t *record);
void PCFSetRecBytes(uint8_t *record, const PCFFieldDef *field, const void *bytes,
                    uint32_t length);                 /* cut to the record */
/* Room for the bytes of a byte-string record: the maximum, twice for 23. */
uint32_t PCFBytesRoom(const PCFFieldDef *field);

/* ---- list areas ------------------------------------------------------ */

/* The fixed 24-byte header. */
struct PCFLISTAREA {
    uint32_t size;           /* total bytes */
    uint32_t used;           /* bytes used, header included */
    uint32_t refCount;
    uint32_t sequence;       /* command whose rows it holds */
    uint32_t rows;
    uint16_t columns;
    uint16_t flags;          /* 8 column-only, 4 predictive text */
};
#define PCFLA_PREDICTIVE 0x4
#define PCFLA_COLUMNS    0x8
#define PCFLA_HEADER     24
#define PCFLA_ROWHEADER  64

/* Row header (64 bytes). */
struct PCFROW {
    uint32_t flags;
    uint16_t length;
    uint16_t keyOffset;
    uint32_t zero1, zero2;
    uint32_t index;
    uint32_t spare;
    PCFROW *nextSelected;
    struct PCFLISTREQ *request;
    uint32_t primaryKey;
    uint16_t keyLength[2];
    uint32_t secondaryKey;
    uint32_t colours[3];
};
static_assert(sizeof(PCFROW) == PCFLA_ROWHEADER, "row headers are 64 bytes");

/* A list value record: state, length or count, then the value (integers
 * at +10, texts and list elements at +12). */
#define PCFLV_INT    10
#define PCFLV_TEXT   12

struct PCFLISTPARTS {
    uint8_t *widths;         /* 8 bytes per column */
    uint8_t *entries;        /* 16 bytes per column */
    uint8_t *titles;         /* 18 bytes per column */
    PCFLISTENTRY *columns;   /* n + 1 entries */
    uint8_t *rows;
};

uint32_t PCFListAreaSize(int columns);
void PCFListAreaPointers(PCFLISTAREA *area, PCFLISTPARTS *parts);
/* Length of a list value record of the field's type. */
uint32_t PCFValueLength(const uint8_t *record, const PCFFieldDef *field);
uint8_t *PCFNextValue(uint8_t *record, const PCFFieldDef *field);
/* Empty value record of a type; its length. */
uint32_t PCFEmptyValueLength(int type);
uint32_t ResetListValue(int type, uint8_t *record);
/* First row, next row; null past the last. */
PCFROW *PCFFirstRow(PCFLISTAREA *area);
PCFROW *PCFNextRow(PCFLISTAREA *area, PCFROW *row);
/* The value record of a row for an attribute, its column, and typed views. */
struct PCFPARMVIEW {
    int32_t *integer;        /* unaligned: read with PCFRecInt-style copies */
    uint8_t *list;
    uint8_t *real;
    char *text;
    uint8_t *wide;
    uint8_t *pair;
};
const PCFFieldDef *PCFFindParm(const PCFLISTENTRY *columns, PCFROW *row, uint32_t attrId,
                               uint8_t **valueOut, int *indexOut, PCFPARMVIEW *typed);
int PCFFindColumnIndex(PCFLISTAREA *area, const PCFFieldDef *field);
uint8_t *FindItemAttr(PCFLISTAREA *area, uint32_t attrId, PCFROW *row);
/* Integer of a list value record. */
int32_t PCFListInt(const uint8_t *record);
uint16_t PCFListLength(const uint8_t *record);

/* Reference-counted blocks (list areas). */
PCFLISTAREA *AllocRefBlock(uint32_t size, const char *tag);
void AddRefBlock(PCFLISTAREA *area);
/* Drops one reference and frees the block at 0; clears the slot. */
void ReleaseRefBlock(PCFLISTAREA **slot);
void PCFDumpListArea(const char *title, PCFLISTAREA *area);
/* Combined date-time column ids: 1 with the date and time ids. */
int FindDateTimePair(uint32_t combined, uint32_t *dateId, uint32_t *timeId);

/* ---- the dialog instance and its list records ------------------------ */

/* A list record: one per queue manager a dialog shows (the list request
 * of the fill, the request entry of the command engine). */
struct PCFLISTREQ {
    PCFLISTREQ *next;
    QMS *location;
    uint8_t *caps;
    uint32_t flags;              /* 0x1 selected, 0x4 default action issued */
    PCFLISTENTRY *columns;       /* column list */
    uint32_t ownsColumns;
    PCFLISTAREA *filling;        /* being filled by the reply thread */
    PCFLISTAREA *replyArea;      /* taken over by the window */
    PCFLISTAREA *rebuilt;        /* rebuilt for the current columns */
    uint32_t sequence;           /* request counter of the command answered */
    uint32_t highestSeen;
    uint32_t sizeHint;
    uint32_t state;              /* 4 outstanding list request */
    uint32_t waiting;
    PCFROW *selectedRows;
    int64_t lastRequest;
    uint32_t lastAnswered;
    uint32_t inUse;
    uint32_t requestCount, replyCount, endCount;
    uint32_t refreshFlags;       /* 8 refresh due */
    int64_t refreshDue;
    uint32_t comparePending;     /* a compare request (702, 703) was sent through it */
    uint32_t parts;              /* a command of one request per listed name: its
                                    requests still unanswered, and its sender */
};
#define PCFLR_SELECTED    0x1
#define PCFLR_OUTSTANDING 0x4
#define PCFLR_REFRESH_DUE 0x8

/* A data area converted from a reply, waiting for the window. */
struct PCFPENDING {
    uint8_t *area;
    PCFCommandDef *definition;   /* the private copy of a reply-fields kind */
    PCFFieldEntry *fields;
    char objectName[50];
    int objectNameSet;
    uint32_t statusSet, statusClear;
    uint32_t changed;
    int resetIndex;
};

/* The instance of one open command dialog: the fields the definitions,
 * values, list fill and reply code use.  The command dialog window adds
 * its own fields after these. */
struct DialogWords {
    DialogWords *next;
    void *window;
    uint32_t stateFlags;         /* DF_ */
    uint32_t optionFlags;        /* DO_ */
    uint32_t displayFlags;
    uint32_t viewOptions;        /* DV_ */
    uint32_t statusFlags;        /* DS_ */
    PCFCommandDef *definition;   /* a private copy for PCFD_REPLYFIELDS kinds */
    uint32_t ownsDefinition;     /* 1: the definition is a copy the dialog frees */
    uint16_t fieldCount;
    PCFLISTREQ first;            /* own queue manager: location and caps */
    PCFLISTREQ second;           /* queue manager B of a pair dialog */
    PCFLISTREQ *lists;           /* chain of every list record */
    uint8_t *dataArea;
    uint8_t *altDataArea;
    uint8_t *previousData;
    PCFPENDING *pending;         /* converted reply not yet taken */
    PCFLISTAREA *columnArea;     /* carries the current columns */
    PCFFieldEntry *currentField;
    int32_t listIndex;           /* element of a list field being edited */
    void *valueWindow;
    void *selectionWindow;
    char objectName[50];
    int32_t objectNameLength;
    char initialName[50];
    char *unhandled;             /* "UNHANDLED" text, diagnostics only */
    uint64_t topicValue;         /* topic object remembered for subscriptions */
    int64_t lastRefresh;
    uint32_t closePending;
    uint32_t instance;
    void *context;               /* the window code's own record */

    /* ---- the command dialog window's fields (cmddlg/cmddlg.h) ---- */
    DialogWords **ownerSlot;     /* a slot outside that points at this instance */
    void (*release)(DialogWords *dialog);   /* called when the instance is freed */
    struct DLGINFO *dlgInfo;     /* saved options of this kind: the location's */
    struct DLGINFO *globalInfo;  /* and the program-wide record of a list dialog */
    struct SAVEDDIALOG *saved;   /* the saved dialog it was opened from, or null */
    PCFCommandDef *executeDef;   /* prompt dialogs: opened by the execute action */
    uint64_t executeWords[2];
    int64_t opened;
    uint32_t markFlags;          /* DM_: the status word of the window */
    uint32_t shownStatus;        /* flags of the status text shown */
    int64_t requestSent;         /* when the last request was sent */
    int64_t statusTime;          /* when the transient status text was shown */
    char *fixedStatus;           /* overrides every status text when set */
    char captionText[52];        /* the title tag in brackets */
    struct PCFWHEREBLOCK *whereFilter;     /* read through PCFWhereFilter (lists/lrowcmd.cpp) */
    struct FilterProgram *filterProgram;   /* the compiled filter, the filters' own */
    struct FLTDIALOG *filterContext;       /* read through FltDialogContext (filters) */
    char *filterText;            /* "FILTER" */
    char filterShown[300];
    uint32_t profileWords[2];
    uint32_t viewWords[2];       /* message-view options */
    uint32_t numericWords[2];    /* numeric display words (942-955) */
    uint32_t addContext, updateContext;
    /* auto refresh: rate (seconds), last and next, alignment, export */
    uint32_t refreshRate;
    int64_t refreshLast, refreshNext;
    int32_t refreshAlign;
    /* metrics and computed sizes, in pixels */
    uint16_t charWidth, lineHeight, linePitch;
    uint16_t border, lineGap, margin, fourthSize;
    uint16_t buttonRowWidth, buttonHeight, paneWidth, paneHeight, titleWidth, longestTitle,
        totalFieldHeight;
    uint16_t fieldCx, fieldCy;   /* field window */
    uint16_t countWidth;
    uint16_t listGeometry[2];
    uint32_t rowCounts[4];
    int32_t placement[2][4];     /* x, y, cx, cy: one monitor, several */
    /* the field pane */
    uint32_t topLine;
    uint16_t lineCount, visibleLines;
    uint32_t currentLine;        /* all ones: none */
    uint32_t firstValueLine;
    uint32_t currentTab, shownTab;
    struct { uint16_t lines; PCFFieldEntry *first; } tabs[10];
    uint32_t tabsShown;          /* tabs with lines at the last tab build */
    /* windows (HWND on Windows) */
    void *ownerWindow, *dataWindow;
    PCFDATA *editor;             /* the message editor pane's state */
    void *editWindow, *edit2Window, *comboWindow, *combo2Window;
    void *tabWindow, *fieldWindow, *splitList, *qmList, *listPane, *fieldsPane;
    void *leftList, *rightList, *leftTitle, *rightTitle, *tipWindow, *tipTitle;
    void *statusWindow, *countWindow, *filterWindow, *toolbar, *filterButton, *historyCombo;
    void *popups[4];
    void *menu;
    void *bag;                   /* the pane layout */
    void *pairAreas[2];
    struct CaptionTexts *captionTexts;     /* read through PCFCaptionTexts (dialogs_win) */
    struct PCFLISTSTATE *listState;        /* read through PCFListState (lists/lcolumns.cpp) */
    struct COLFSTATE *columnFilters;       /* read through ColFilterState (filters) */
    uint32_t listSizeOption;
    /* the last repeatable command (message, wParam, lParam) */
    uint32_t repeatMessage;
    uint64_t repeatWParam;
    int64_t repeatLParam;
    uint32_t browseState;
    /* the message editor pane of a message dialog */
    uint32_t bodyKind;           /* the body kind of 922-930 */
    uint32_t viewSwitches[2];    /* 926: Return types separators; 927: typing aids */
    char queueName[49];          /* the message's queue (attribute 2016) */
    void *findWindow;            /* the "Find and Replace" dialog and its */
    void *findDialog;            /*   dynamic dialog handle, while open */
    /* export of object definitions (saved with the dialog's options) */
    int32_t exportType;          /* 0 Text, 1 MQSC, 2 CSV, 3 XML, 4 DataPoints */
    int32_t exportSelection;     /* 0 all shown, 1 selected */
    char exportFile[260];        /* file-name template */
    int32_t exportSequence;      /* its "%i" */
    int32_t exportMaximum;       /* 0: no maximum */
    uint8_t exportAppend;
    uint8_t exportOnlyDiff;      /* only the values that differ from the default */
    uint8_t exportAlwaysHeader;  /* headings also when appending */
    uint8_t exportSystem;        /* include SYSTEM. objects */
    uint8_t exportDefaults;      /* include the default objects */
    uint8_t exportToClipboard;   /* the previous export went to the clipboard */
    uint8_t exportDue;           /* an automatic export is due */
    void *exportDialog;          /* the open export dialog window */
    uint32_t chooseGeneration;   /* Choose Queue Manager asks once per generation */
    QMS *lastTarget;             /* the location of the last command that kept its target */
    char timeTexts[3][56];       /* the last refresh's time stamps, by the profile's templates */
};

/* markFlags: the window's status word, apart from the flag words above. */
#define DM_TITLE_FROZEN   0x1         /* the title is not composed again */
#define DM_HTTP           0x2         /* the title begins "HTTP:" */
#define DM_REQUEST_SENT   0x4         /* a request was sent, no status text since */
#define DM_CREATED_HIDDEN 0x8         /* shown by its first status text */
#define DM_QUIET          0x10        /* no error sound */
#define DM_LAID_OUT       0x20        /* the first layout is done */
#define DM_EXPORT_DUE     0x40        /* automatic export waiting */
#define DM_WAITING        0x80        /* a refresh waits for its replies */
#define DM_TRUNCATED      0x200       /* the message shown is cut short */
#define DM_DESTROYED      0x400       /* the window has ended */
#define DM_POS_SET        0x800       /* the placement holds a position */
#define DM_SIZE_SET       0x1000      /* the placement holds a size */
#define DM_NO_INPUT_STATUS 0x2000     /* input errors leave the status line alone */
#define DM_CONFIRM_DUE    0x4000      /* the second confirmation of a put is due */
#define DM_FIELDS_READ    0x8000      /* the active field is already read */
#define DM_CONVERTED      0x10000     /* the message shown was converted by the get */
#define DM_MARKING_SENT   0x20000     /* a request of an action flagged 0x2000 was built */
#define DM_FLASHING       0x40000     /* a shown row or cell flashes */

/* The dialog's WHERE filter (lists/lwhere.cpp), read only through
 * PCFWhereFilter: MQCFT_INTEGER_FILTER, _STRING_FILTER or
 * _BYTE_STRING_FILTER (hex text); length -1: NUL-ended.  0, 1 bad input.
 * PCFWhereFilter gives the filter structure and its length (null: none;
 * length may be null). */
int SetWhereFilter(DialogWords *dialog, int active, int32_t type, int32_t parameter, int32_t op,
                   const void *value, int32_t length);
const uint8_t *PCFWhereFilter(const DialogWords *dialog, uint32_t *length);
void PCFFreeWhereFilter(DialogWords *dialog);

/* The program-wide chain of open dialogs (newest first), under lock 5. */
extern DialogWords *PCFOpenDialogs;

/* ---- settings the values depend on ----------------------------------- */

struct PCFPREFS {
    char sep1000[4];             /* thousands separator */
    char sepList[4];             /* string-list separator */
    char sepInt[4];              /* integer-list separator */
    int thousands;               /* use thousands separators */
    int wholeMultiStrings;       /* show every element of a multi-string */
    int printableOnly;           /* keep only printable typed text */
    int historyMax;              /* names remembered per kind */
    int refreshMessageLists;     /* message lists refreshed after a command */
    int takeFirstObject;         /* no key matching of replies */
    int diagnostics;             /* developer diagnostics: unhandled ids */
    int localTime;               /* list put times shifted to local time */
    int32_t localOffset;         /* minutes added for local time */
    int timeOffset;              /* data-area put times shifted */
    int32_t timeOffsetMinutes;
    int predictive;              /* predictive text of message data */
    int32_t dataBytesShown;      /* bytes of message data in a list */
    int topicStrings;            /* adjust old-level topic strings */
    int32_t maxMsgSize;          /* default of MYPCFA_MAX_MSG_SIZE */
    char msgRange[20];           /* default of MYPCFA_MSG_RANGE */
};
extern PCFPREFS PcfPrefs;
/* Takes what the profile holds (separators, options, limits). */
void PCFPrefsFromProfile(void);
void PCFPrefsDefaults(void);

/* The hooks (PCFHOOKS, PCFPARTHOOKS) are in dlghooks.h. */

/* ---- command definitions and data areas ------------------------------ */

void PCFInitCommandDefs(void);
/* Lays out one definition (also a private copy of a reply-fields kind). */
void PCFPrepareDef(PCFCommandDef *def);
void PCFInitData(PCFCommandDef *def, uint8_t *area, DialogWords *dialog, int nameDefault,
                 int reinit, int clearKeys);
void PCFFreeData(const PCFCommandDef *def, uint8_t *area, int freeArea);
void PCFCopyData(const PCFCommandDef *def, uint8_t *target, const uint8_t *source);
void PCFCopyResponseData(const PCFCommandDef *def, uint8_t **slot, const uint8_t *source);
/* 1 when equal: lists by their elements, other records over their compare
 * length, or else by the values they hold (present and specified). */
int PCFCompareData(const PCFCommandDef *def, const uint8_t *a, const uint8_t *b);
/* 1 when the entry has a record in the data area. */
int PCFStoresValue(const PCFFieldEntry *entry);
/* A new data area of the definition, initialised (no dialog). */
uint8_t *PCFNewData(PCFCommandDef *def, const char *tag);

/* Lookups. */
const uint8_t *PCFDialogCaps(const DialogWords *dialog);
PCFFieldEntry *PCFFindField(DialogWords *dialog, const uint8_t *caps, PCFFieldEntry *fields,
                            uint32_t attrId);
PCFFieldEntry *PCFFindSameField(const uint8_t *caps, PCFFieldEntry *fields,
                                const PCFFieldDef *field);
PCFFieldEntry *PCFFindNameField(PCFFieldEntry *fields);
uint32_t PCFNameFieldId(const PCFCommandDef *def);
const char *PCFGetObjectName(DialogWords *dialog);
int32_t PCFGetIntValue(const uint8_t *caps, const PCFCommandDef *def, const uint8_t *area,
                       uint32_t attrId, uint16_t *state);
uint8_t *PCFGetStrValue(const uint8_t *caps, const PCFCommandDef *def, uint8_t *area,
                        uint32_t attrId, uint16_t *state);
const char *PCFGetValueText(DialogWords *dialog, uint32_t attrId, char *buffer, int size);
const PCFActionDef *PCFFindActionDef(const PCFActionDef *table, uint32_t id);
const PCFActionDef *PCFFindActionFlags(const PCFActionDef *table, uint32_t flags,
                                       uint32_t flags2);
const PCFValueDef *PCFFindValue(const PCFValueDef *table, int32_t value);
const PCFValueDef *PCFFindValueByName(const uint8_t *caps, const PCFValueDef *table,
                                      const char *text);
PCFCommandDef *PCFFindCommandByName(const char *title, int both);
PCFCommandDef *PCFFindCommandByCode(const PCFCommandDef *dialogDef, uint32_t code,
                                    int firstOnly, int listOnly);
PCFCommandDef *PCFFindSelectorDef(const PCFCommandDef *dialogDef, uint32_t objectType);
const char *PCFParmText(DialogWords *dialog, PCFROW *row, const PCFFieldDef *field,
                        uint32_t attrId, int *length);
/* 0 found, 1 not found, 2 ambiguous field name, 3 ambiguous value. */
int PCFFindFieldByName(const uint8_t *caps, int useDetail, int anyCaps, const PCFCommandDef *def,
                       const char *name, const char *value, int abbreviate,
                       PCFFieldEntry **entryOut, const PCFFieldDef **fieldOut,
                       const PCFValueDef **rowOut);

/* Setting values. */
int PCFSetFieldText(DialogWords *dialog, uint32_t attrId, const char *text);
int PCFSetFieldInt(DialogWords *dialog, uint32_t attrId, int32_t value);
void PCFSetPairValue(uint8_t *area, const PCFFieldEntry *entry, const char *text,
                     const uint8_t *value16);
int PCFListsUpToDate(DialogWords *dialog, int strict, int64_t maxAge, int force, int64_t now);
int PCFIssueAction(DialogWords *dialog, char letter);
int PCFIssueDefaultAction(PCFLISTREQ *request, DialogWords *dialog, void *targets);
int PCFFocusFirstField(DialogWords *dialog);
/* The column-only list of a dialog without list area (tag "DUMMYLIST"). */
PCFLISTAREA *PCFColumnOnlyList(const PCFLISTENTRY *columns);

/* ---- field values ---------------------------------------------------- */

int FieldHWNDData(DialogWords *dialog, int remember, uint8_t *area, int useAlternate,
                  PCFFieldEntry *entry, const char *text, int length, int insert);
/* A decimal text (a leading '-' kept) with the thousands separator before
 * every third digit, cut to the buffer's size. */
void PCFGroupDigits(char *buffer, int size, const char *digits);
/* Reads a decimal number as the value texts write it: a sign, digits, and
 * the thousands separator before each further group of three; the text
 * is advanced past it.  0 when no digit begins it. */
int PCFReadNumber(const char **text, int64_t *value);
/* The same without a dialog, for an area of a definition (1: a message). */
int PCFStoreText(PCFCommandDef *def, uint8_t *area, PCFFieldEntry *entry, const char *text,
                 int length, char *message, int messageSize);
const char *PCFValueText(const uint8_t *area, const PCFFieldEntry *entry, int index,
                         char *buffer, int size, int separators);
const char *PCFIntValueText(const PCFFieldDef *field, int32_t value, char *buffer, int size,
                            int separators);
const char *PCFListValueText(const uint8_t *record, const PCFFieldDef *field, char *buffer,
                             int size);
/* A multi-string list value as text: its elements (split at the byte 5)
 * joined by the string-list separator, or, with "show whole
 * multi-strings" off, the first followed by "+"; cut to the buffer; its
 * length. */
int PCFMultiStringJoin(const uint8_t *record, char *out, int size);
/* The same in a growable buffer (tag "multistring"); the text's length
 * goes to *length. */
const char *PCFMultiStringFormat(const uint8_t *record, char **buffer, uint32_t *capacity,
                                 int *length);
const char *PCFExportValueText(const uint8_t *area, const PCFFieldEntry *entry, int index,
                               int quote, int all, char *buffer, int size);
int PCFFieldApplies(const uint8_t *caps, uint32_t dialogFlags, const PCFCommandDef *def,
                    PCFLISTAREA *listArea, PCFROW *row, const uint8_t *area,
                    const PCFFieldEntry *entry, const PCFDependency *conditions,
                    uint32_t *resultFlags);
int PCFCommandAllowed(DialogWords *dialog, const PCFActionDef *action);
uint64_t PCFCommandMask(uint32_t command, int *known);

/* Name history. */
void PCFHistoryAdd(const char *name, int kind);
int PCFHistoryCount(int kind);
const char *PCFHistoryName(int kind, int index);   /* 0 is the oldest */
void PCFHistoryClear(void);

/* ---- list rows ------------------------------------------------------- */

int FillListArea(DialogWords *dialog, QMS *answering, PCFLISTREQ *request,
                 const uint8_t *reply, uint32_t length, uint32_t extra);
void PCFPostListArea(DialogWords *dialog, PCFLISTREQ *request);
/* One part of a command of several requests whose rows go into one area
 * is done: 1 while others are still due (the area is not posted yet). */
int PCFListPartDone(PCFLISTREQ *request);
/* The window's side of UM_PCF_UPDATE_LIST: the area becomes the record's
 * reply area (the previous one released). */
void PCFTakeListArea(DialogWords *dialog, PCFLISTREQ *request, PCFLISTAREA *area);
int PCFObjectNameSelected(QMS *location, const uint8_t *reply, uint32_t length);
void PCFGetNameFilters(QMS *location, AUTQMASK **chain, const char **listText,
                       int32_t *textLength);
int PCFMatchNameTerms(const AUTQMASK *chain, const char *name, int length);
void PCFScanResponseParms(DialogWords *dialog, QMS *location, int always, uint8_t *reply,
                          uint32_t length);
void SortListArea(DialogWords *dialog, PCFLISTREQ *request, PCFLISTAREA *area);

/* ---- reply data ------------------------------------------------------ */

int PCFSetDialogData(DialogWords *dialog, QMS *location, PCFCommandDef *def, uint8_t *area,
                     int reinit, const uint8_t *response, uint32_t length, uint32_t *changed);
/* The window's side of UM_PCF_UPDATE_DIALOG: 1 when a converted area was
 * taken over. */
int PCFTakeDialogData(DialogWords *dialog);
void PCFFreePending(PCFPENDING *pending);
/* The open dialogs of the object a command changed, refreshed: the
 * response's command, or without a response (an information message)
 * the command sent. */
void PCFRefreshAfterResponse(QMS *location, uint32_t command, const uint8_t *response, uint32_t length,
                             const char *text, DialogWords *dialog, int64_t now);
int PCFRefreshObjectDialogs(QMS *location, const PCFCommandDef *def, int delay,
                            uint32_t command, uint32_t nameAttr, const char *name, int64_t now);
/* Removes the "!" values of the field from an integer list (32-bit
 * elements, not necessarily aligned); the new count. */
int PCFCheckNotValues(const PCFFieldDef *field, void *values, int count);
/* An MQCFSL built from a multi-string value: its length (0 when it does
 * not fit in room). */
uint32_t PCFMeasureList(const PCFFieldDef *field, const uint8_t *text, uint32_t length,
                        uint8_t *out, uint32_t room);
