/* The message editor pane: the state of one pane (PCFDATA), its cached
 * display lines (LINEDATA), cursor positions, and the window-free
 * operations on them: formatting runs with their line sinks, the line
 * cache, line counting and placement, field location, cursor movement,
 * the key table, message formats, view words and the discard check.
 *
 * The pane's window (win/) draws the cached lines and turns window
 * messages into these calls; everything here also runs without a window,
 * through the host hooks (EdHost) that the window code fills. */
#pragma once

#include "fapparse.h"
#include "csbuffer.h"
#include <cstddef>
#include <cstdint>
#include "edhooks.h"

struct DialogWords;
struct PCFDATA;
struct FRText;

/* ---- words and flags ------------------------------------------------- */

/* The first message-view word is the line record's formatting flags (the
 * detail level in its low byte, the LR_* bits); these three are the
 * view's own. */
enum : uint32_t {
    VW_RAW_BYTES = 0x100,       /* the data as one hex dump */
    VW_FORMATTED = 0x200,       /* the data formatted by its structures */
    VW_SHOW_MD = 0x400,         /* the descriptor's lines first */
};

/* Edit flags of PCFDATA */
enum : uint32_t {
    EF_REBUILD = 1, EF_UNDOING = 2, EF_REDOING = 4, EF_HALF_BYTE = 8,
    EF_GROUP_OPEN = 16, EF_ENUM_OPEN = 32, EF_HEADER_ERROR = 64, EF_KEEP_FOCUS = 128,
};

/* Display classes added to a line's field flags */
enum : uint32_t {
    DC_HEX = 1,                 /* hex digits, one column per half-byte */
    DC_HEX_FROM_LINE = 2,       /* hex digits counted from the line offset */
    DC_HEX_GROUPED = 4,         /* hex bytes, a blank after every eight digits */
    DC_HEX_DUMP = 8,            /* the character line of hex */
    DC_NUMBER = 16,             /* a number edited as a whole value */
    DC_TIME = 32,               /* a time stamp edited as a whole value */
    DC_CHARS_GROUPED = 64,      /* the character line under a dump's grouped hex */
    DC_CLASSES = 127,
};

/* Line kinds the formatter gives hex output (FmtLineRec.lineClass) */
enum : uint16_t {
    LK_TEXT = 5, LK_HEX_PAIRS = 32, LK_XML_TEXT = 37, LK_DUMP = 257, LK_DUMP_CHARS = 288,
    LK_BYTES_CHARS = 544, LK_BYTES_DUMP = 769, LK_BYTES_PAIRS = 800,
    /* the editor's own kinds for the character lines of a dump (classes
       288 and 544 with LF_DUMP): a blank between groups, as the hex has */
    LK_DUMP_GCHARS = 289, LK_BYTES_GCHARS = 545,
};

enum { ED_UNSET = -1 };                 /* the column of an unset anchor */
enum { ED_STATUS_SIZE = 100 };          /* status text: 99 characters and a NUL */
enum { ED_CACHE_AROUND = 5000, ED_CACHE_SLACK = 200 };
enum { ED_DUMP_GAP = 4 };               /* the formatter's gap and "| " before a dump's characters */

/* ---- records ---------------------------------------------------------- */

/* A position in display terms (line, column) and in data terms (buffer,
 * half-byte offset), with the line's field it lies in. */
struct EdPosition {
    int32_t column;             /* ED_UNSET: no anchor */
    int32_t line;
    CSDATA *buffer;             /* the descriptor or data buffer, or null */
    uint32_t digit;             /* half-bytes from the buffer's start */
    const FmtFieldDef *field;
    uint16_t lineType;
    uint8_t placed;             /* the counting pass gave it its line */
    int8_t overflow;            /* typed text longer than the value shown */
    uint8_t valueColumn;        /* the column inside a numeric value */
    uint32_t fieldOffset;       /* of the line's field */
    uint32_t elementOffset;
    const FmtStructDef *frame;  /* the field's structure */
    uint32_t frameOffset;
};

/* One cached display line. */
struct LINEDATA {
    const char *text;           /* in the line text store, not terminated */
    uint16_t textLength;
    int16_t valueLength;        /* characters of the value shown */
    uint32_t lineFlags;         /* LF_* of the formatter */
    CSDATA *buffer;             /* where the line's bytes lie */
    uint32_t fieldOffset;       /* data offset of the line's field */
    uint32_t elementOffset;     /* lines of one element or structure share it */
    uint32_t runOffset;         /* offset of the field inside its structure */
    uint32_t lineOffset;        /* the first byte the line shows */
    uint32_t dataLength;        /* bytes the line shows */
    int16_t valueColumn;        /* where the value begins */
    int16_t hexColumns;         /* width of the hex part of a dump line */
    uint16_t lineType;          /* field type or line kind; 0 no field */
    const FmtFieldDef *field;
    uint32_t fieldAttributes;   /* the array index the formatter gave */
    uint32_t fieldLength;
    uint32_t displayClass;      /* field flags with DC_* added */
    uint8_t printable;          /* every value byte printable in its code page */
    uint8_t ebcdic;
    uint8_t bodyKind;
    uint8_t rawValue;           /* the value is message bytes (else formatter text) */
    const FmtStructDef *structure;
    uint32_t structOffset;      /* of that instance in the buffer */
    const FmtStructDef *outer;  /* the nearest frame that is not a repeat */
    uint32_t outerOffset;
    uint32_t encoding;
    uint32_t ccsid;
    const FmtTagInfo *element;  /* XML lines: the element and tag report */
    uint32_t dataCcsid;         /* the CCSID of the field's bytes */
    const FmtStructDef *lengthParent;   /* the nearest enclosing structure with */
    uint32_t lengthParentOffset;        /*   a length field, its offset and */
    uint32_t lengthParentEncoding;      /*   encoding (none: null) */
};

/* The line text store: one block of texts ("LINEAREA"). */
struct EdLineArea {
    uint32_t capacity;
    uint32_t used;
    /* the texts follow */
};

/* The pane's vertical scroll record: the shape of the toolkit's
 * ScrollState, so that the window code hands it on as it is. */
struct EdScroll {
    int32_t top;                /* first visible line */
    int32_t lineCount;
    uint16_t visible;
    uint16_t lineHeight;
    uint16_t flags, nesting, owner, needed;
};

/* What a line count depended on: a count is made again only when one of
 * these changed. */
struct EdCountKey {
    const void *md, *data;
    uint32_t mdLength, dataLength;
    uint32_t generation;        /* PCFDATA.generation */
    uint32_t view[2];
    uint32_t bodyKind;
    uint32_t width;
    const FmtStructDef *formatter;
    uint32_t valid;
};

/* The find and replace progress of a pane (the strings are in find[]). */
struct EdFindState {
    int32_t startLine, startColumn;     /* the search start */
    uint32_t wrapped;
    uint32_t replacing;                 /* one replacement runs */
    uint32_t replacingAll;
    uint32_t error;                     /* a replacement failed */
    int32_t lastLine;                   /* line after the last replacement */
    uint32_t replaced;                  /* replacements made */
    uint32_t progressStep, progress;
    uint32_t occurrences;
    uint32_t ordinal;                   /* matches met in this run */
    uint32_t expected, expectedStep;    /* the match that counts, and its step */
    uint32_t matched;                   /* a match was recorded */
    uint32_t inField;                   /* it lies inside a field value */
    uint32_t changed;                   /* the dialog's strings changed */
    uint32_t options;                   /* FO_* of the last validation */
    int32_t x, y, cx, cy;               /* the dialog's place */
};

/* Editor state of one message dialog (tag "PCFDATA"). */
struct PCFDATA {
    void *descriptorSlot;       /* PCFBytesValue of dialog field 10036 */
    void *dataSlot;             /* PCFBlockValue of dialog field 10037 */
    CSDATA descriptor;          /* the MQMD being edited: 0 or 364 bytes */
    CSDATA data;                /* the message data being edited */
    char queueName[49];
    uint32_t queueNameLength;
    const FmtStructDef *bodyFormatter;
    uint32_t messageState;      /* 1: the dialog's view options lack 0x40 */
    uint32_t qmCcsid;
    int32_t width, height;      /* client area in pixels */
    FmtLineRec lineRec;
    uint32_t editFlags;         /* EF_* */
    uint32_t typing;            /* typed text waits in the typing buffer */
    uint32_t deferred;          /* the typed field is stored when typing ends */
    CSDATA typed;               /* the typing buffer, NUL-terminated */
    uint32_t insertMode;
    uint32_t insertingLineEnd;
    void *undoPosition;         /* the editing operations' undo list */
    uint32_t statusShown;
    char status[ED_STATUS_SIZE];
    uint32_t noRedraw;          /* while Replace All runs */
    void *selectionBox;         /* ZKTSELECTIONBOX of named values */
    int32_t listLine;           /* -1 none */
    uint32_t tracking;          /* an XML tag name is edited: its partner follows */
    uint32_t trackTag;          /* data offsets of the edited tag's "<" and its */
    uint32_t trackPartner;      /*   partner's (as they were when tracking began) */
    CSDATA *trackBuffer;
    int32_t trackedChange;      /* net change of the edited name since then */
    FRText *find[4];     /* find and replacement, typed and converted */
    EdFindState findState;
    EdPosition found;           /* the last match: its line and column */
    LINEDATA foundLine;         /*   and a copy of its line */
    uint32_t quiet;
    EdPosition cursor;
    EdPosition anchor;
    EdPosition mark;            /* kept by menu 905, returned to by 906 */
    uint32_t movingToEnd;
    uint32_t flush;
    uint32_t cursorFromPartner;
    uint32_t refreshPositions;
    int32_t rememberedColumn;
    int32_t cacheFirst, cacheLast;
    int32_t cacheCapacity;
    int32_t madeFirst, madeLast;        /* the window's lines made so far (the rest when first asked for) */
    LINEDATA *cache;            /* "LINEDATA" */
    FmtTagInfo *cacheTags;      /* the XML reports of the cached lines */
    EdLineArea *lineArea;       /* "LINEAREA" */
    uint32_t capturing;
    uint32_t hoverTracking;
    uint32_t caretKind;         /* 0 none, 1 outside a field, 2 in a field */
    int16_t charWidth, charHeight;
    EdScroll scroll;            /* top line, line count, visible lines, line height */
    uint32_t scrolling;
    char highlight[50];         /* marked in every painted line */
    int32_t runLine, runFirst, runLast;
    CSDATA *runBuffer;          /* the buffer of the walk in progress */
    DialogWords *dialog;
    uint32_t (*format)(FmtLineSink sink, PCFDATA *ed);
    void *window;
    void *paintDc;
    /* beside the pane's own fields: what the engine reads (sent and
     * compared bytes) and the count bookkeeping */
    void *savedDescriptor;      /* "PHEX Copy" blocks of the message as it */
    void *savedData;            /*   was loaded or last sent */
    uint32_t savedDataDeferred; /* while savedData is null: the data is still as
                                   loaded and stands for its own saved copy */
    void *sentDescriptor;       /* "PHEX Copy" blocks of the message as the */
    void *sentData;             /*   last request took it (Update, Add) */
    uint32_t endedCommand;      /* an Update or Add ended, not yet settled */
    uint32_t noFormat;          /* the message does not format */
    char formatName[9];         /* the descriptor's format name */
    uint32_t generation;        /* incremented by every change of the bytes */
    EdCountKey counted;
    uint32_t gutterWidth;       /* line-number characters */
    uint32_t countRuns;         /* formatting runs made (for measurements) */
    uint32_t displayRuns;       /*   and display lines made (by a count on its way, too) */
    PCFDATA *nextPane;          /* the chain of open pane windows */
    void *font;                 /* the pane's font (HFONT) */
    /* the editing operations' bookkeeping */
    uint16_t undoGroup;         /* the group counter */
    EdPosition groupCursor;     /* cursor and anchor when the group opened */
    EdPosition groupAnchor;
    uint32_t agreed;            /* EA_* questions answered yes for this message */
    uint8_t copyStartDigit;     /* digits of the last copy's ends */
    uint8_t copyEndDigit;
    uint64_t copyHash;          /* of the hex text the last copy put there */
    void *enumList;             /* the selection box's EdEnumList */
    uint32_t structMenuBuilt;   /* the context sub-menus were filled */
};

/* ---- the host (EdHost: edhooks.h) --------------------------------------- */

/* Process-wide switch: the state caption after each group, move and paint. */
extern int edDebugSwitch;
/* Lines above and below the view (and the cursor's line) that a build of
 * the window makes at once; the window's other lines are made by one run
 * when one of them is first asked for.  Tests set it beyond the window
 * to have it all made at once. */
extern int32_t edLinesMadeAround;

/* ---- formatting runs and the line cache (edcache.cpp) ------------------ */

/* A zeroed pane state for the dialog (its metrics copied), or null; freed
 * with everything it holds by EdFreePane. */
PCFDATA *EdCreatePane(DialogWords *dialog);
void EdFreePane(PCFDATA *ed);
/* The dialog's side: a message dialog's pane state goes with the dialog
 * (the dialogs' part hook freeEditor). */
void PCFEditorFree(DialogWords *dialog);

uint32_t EdFormatMessage(FmtLineSink sink, PCFDATA *ed);
/* 1 while a formatting run of a pane is in progress */
int EdRunActive(void);
uint32_t EdDisplayLineSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t length);
/* a count that also caches the display lines runFirst..runLast */
uint32_t EdCountDisplaySink(uint64_t context, FmtLineRec *lr, char *text, uint32_t length);
void EdStoreLine(PCFDATA *ed, const FmtLineRec *lr, LINEDATA *line, const char *text,
                 uint32_t length, int checkPrintable);
void EdCacheLine(PCFDATA *ed, int32_t index, const char *text, uint32_t length, const FmtLineRec *lr);
void EdUpdateLinePos(PCFDATA *ed, const FmtLineRec *lr);
void EdBuildLineData(PCFDATA *ed, int force);
LINEDATA *EdGetLine(PCFDATA *ed, int32_t line);
/* the cached record of a line, or null (the cache is not moved) */
LINEDATA *EdCachedLine(PCFDATA *ed, int32_t line);
/* 1 when the sink is one of the pane's own (run line counting); further
 * sinks of the pane (copies, searches) register themselves. */
int EdIsPaneSink(FmtLineSink sink);
void EdRegisterPaneSink(FmtLineSink sink);
/* makes line the top line (limited to the range) */
void EdSetTop(PCFDATA *ed, int32_t line);

/* ---- the line text store (edlinearea.cpp) ------------------------------ */

/* Appends a line's text, moving the store (and the cached lines' text
 * pointers) when it must grow; the text's address, or null when storage
 * runs out. */
const char *EdLineAreaReserve(PCFDATA *ed, const char *text, uint32_t length);
void EdLineAreaEmpty(PCFDATA *ed);

/* ---- where a line's value lies (edstore.cpp) --------------------------- */

struct EdLayout {
    uint16_t lineType;          /* 0: the line has no field */
    int16_t valueColumn;
    int16_t valueLength;
    int16_t hexColumns;
    uint32_t lineOffset, dataLength;
    uint32_t ccsid;             /* of the value's characters */
    uint8_t rawValue;
};
/* From the formatter's record (and the text when it was built). */
void EdLineLayout(const FmtLineRec *lr, const char *text, uint32_t length, EdLayout *out);
uint32_t EdDisplayClass(uint16_t lineType);
/* 1 when every one of n bytes is printable: in ASCII 0x20 to 0x7E and
 * 0xA0 up, in EBCDIC 0x40 to 0xFE. */
int EdPrintable(const unsigned char *bytes, uint32_t n, int ebcdic);
/* The CCSID of the bytes a character line shows. */
uint32_t EdLineCcsid(const FmtLineRec *lr);

/* ---- counting and placing (edcount.cpp) ------------------------------- */

uint32_t EdCountLineSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t length);
void EdPlacePosition(PCFDATA *ed, const FmtLineRec *lr, int isCursor, EdPosition *pos);
/* the digits a line covers, and the column of digit d (counted from the
 * line's first digit) inside its value */
uint32_t EdLineDigits(uint16_t lineType, uint32_t dataLength, uint32_t valueLength);
int32_t EdDigitColumn(uint16_t lineType, uint32_t d, int32_t valueLength, int32_t keptColumn);
/* 0 or 1: which half of a byte the column of a hex field stands on */
int EdHexNibble(uint16_t lineType, int32_t column);
int EdIsCharType(uint16_t type);
/* Whether a line is the character line under hex (a field's or a dump's). */
static inline int EdIsCharLine(uint16_t type)
{
    return type == LK_DUMP_CHARS || type == LK_BYTES_CHARS || type == LK_DUMP_GCHARS || type == LK_BYTES_GCHARS;
}
/* Ends pending typing when the flush flag is set and counts the lines
 * again when anything they depend on changed. */
void EdFlushTyping(PCFDATA *ed);
/* the same, a count that is due caching the window first..last on its
 * way, the lines madeFirst..madeLast of it made (no display run needed
 * after it); 1 when it counted */
int EdFlushTypingCaching(PCFDATA *ed, int32_t first, int32_t last, int32_t madeFirst, int32_t madeLast);
/* counts unconditionally */
void EdCountLines(PCFDATA *ed);

/* ---- fields and cursor (edfield.cpp, edcursor.cpp) -------------------- */

struct EdFieldAt {
    LINEDATA *line;
    unsigned char *field;       /* the field's first byte */
    unsigned char *address;     /* the byte at the column */
    uint32_t limit;             /* bytes the field may hold */
    uint32_t lineDigit;         /* half-byte position of the line's start */
    uint32_t digit;             /* half-byte position of the column */
};
int EdFindField(PCFDATA *ed, EdFieldAt *out, int32_t column, int32_t line, int32_t delta,
                int join, int clamp);
/* the widest text of a numeric type, 0 when it has none, -1: always one more */
int EdValueAllowance(uint16_t type);
int EdLineContinues(PCFDATA *ed, int sameType, int32_t line);
int EdCanJoinField(PCFDATA *ed, const LINEDATA *line);
const FmtTagInfo *EdLineElement(PCFDATA *ed, const LINEDATA *line, int32_t lineNumber);
int64_t EdStructFieldValue(PCFDATA *ed, const LINEDATA *line, const FmtFieldDef *field,
                           unsigned char **address);
void EdXmlSelectionRange(PCFDATA *ed, const EdPosition *first, const EdPosition *second);
int32_t EdColumnFromX(PCFDATA *ed, int32_t line, int32_t x);

enum {
    MC_TAB = 9, MC_EXTEND_TO = 30, MC_PAGE_UP = 33, MC_PAGE_DOWN = 34, MC_END = 35,
    MC_HOME = 36, MC_LEFT = 37, MC_UP = 38, MC_RIGHT = 39, MC_DOWN = 40, MC_GOTO = 41,
};
void EdMoveCursor(PCFDATA *ed, int extendAllowed, int wrap, int code, int32_t column, int32_t line);
void EdTabField(PCFDATA *ed, int backwards);
int EdSelectAll(DialogWords *dialog);
void EdSelectAnchor(DialogWords *dialog);
void EdSelectMark(DialogWords *dialog);
/* 1 when a selection exists */
int EdHasSelection(const PCFDATA *ed);
/* the earlier and the later of anchor and cursor */
void EdSelectionEnds(const PCFDATA *ed, const EdPosition **start, const EdPosition **end);

/* ---- keys (edkeys.cpp) ------------------------------------------------ */

/* WM_KEYDOWN: 1 when the key was used */
int EdKeyDown(PCFDATA *ed, int key);
int EdCharProc(PCFDATA *ed, int character);
int EdTypeText(PCFDATA *ed, const char *text, uint32_t length);
void EdSetPending(PCFDATA *ed, int on);
int EdSetFieldInt(PCFDATA *ed, LINEDATA *line, const FmtFieldDef *field, unsigned char *address,
                  uint32_t encoding, int64_t value, int ebcdic);
void EdSetErrorText(PCFDATA *ed, const char *text);

/* ---- messages and formats (edformat.cpp) ------------------------------ */

void EdSetDefaultDescriptor(DialogWords *dialog, const char *format, int32_t ccsid, int32_t encoding);
/* The 364 bytes of a default version-2 descriptor (0: the location's
 * encoding and CCSID, else 546 and 850). */
void EdDefaultDescriptorBytes(const DialogWords *dialog, unsigned char *md, const char *format, int32_t ccsid,
                              int32_t encoding);
int EdSetMessageFormat(DialogWords *dialog);
int EdSetGenericFormat(DialogWords *dialog, const char *format, int32_t ccsid, int32_t encoding);
void EdSetQueueName(DialogWords *dialog);
void EdSetFormatName(DialogWords *dialog);
void EdSyncDataArea(PCFDATA *ed, int load);
void EdSyncPutContext(DialogWords *dialog);
/* the structure a format name chooses a default header by, or null */
FmtStructDef *EdHeaderForFormat(const char *format);
/* a new message arrived in the data area (10004 with bit 0) */
void EdReload(PCFDATA *ed);

/* ---- view commands (edview.cpp) --------------------------------------- */

void ToggleViewOption(DialogWords *dialog, uint32_t *first, uint32_t *second, int menuId);
void SetViewModeOption(DialogWords *dialog, int menuId);
/* the check marks and tool bar buttons of both groups, from the words */
void EdShowViewState(DialogWords *dialog);
void SetLineNumberWidth(PCFDATA *ed);
int ConfirmDiscardEdits(DialogWords *dialog);
/* Whether the pane holds edits not yet saved. */
int EdUnsaved(const PCFDATA *ed);
/* The pane's message dropped (another queue is shown), unless it shows
 * none or holds edits not yet saved: 1 when dropped, and the pane's
 * window is then to be told (UM_PCF_UPDATE_DIALOG, lParam 3). */
int EdForgetMessage(DialogWords *dialog);
/* Before the pane's data changes: makes the saved copy a load deferred
 * (the discard check compares with it); 0 when storage runs out, and the
 * change must then not be made. */
int EdKeepSavedData(PCFDATA *ed);
/* 10002 on the pane notes an Update or Add that ended; the dialog's
 * update after it (10004) settles it: when no error was shown the pane's
 * message as the request took it counts as saved. */
void EdCommandDone(DialogWords *dialog, uint32_t command);
void EdSettleCommand(DialogWords *dialog);
/* The message as a request takes it (on the interface thread). */
void EdNoteSent(PCFDATA *ed);
/* The display copy as text: the lines of the range (670 page, 692 all,
 * 813 selection), each with CR LF, then a NUL; null when there is nothing
 * (no selection) or storage runs out.  *size: bytes with the NUL.  With
 * ask set, a copy of 51,200 bytes or more is asked first (null, *size 0
 * when the user declines). */
char *EdViewCopyText(DialogWords *dialog, int menuId, uint32_t *size, int ask);
/* A range of display lines copied as text (two runs: size, then copy). */
struct EdCopyRange {
    int32_t first, last;        /* lines */
    int32_t startColumn;        /* on the first line, -1: whole */
    int32_t endColumn;          /* on the last line, -1: whole */
    int clipboard;              /* field bytes converted, unprintable bytes dots */
    char *out;                  /* null while sizing */
    uint64_t size;              /* each line's piece and CR LF */
};
void EdRunCopy(PCFDATA *ed, EdCopyRange *range);
/* the text of the debug caption */
void EdDebugStateText(PCFDATA *ed, char *out, size_t size);
void EdDebugState(PCFDATA *ed);

/* ---- user formats (eduserfmt.cpp) -------------------------------------- */

/* Lets the chooser of user formats read panes (the program installs it:
 * WireLibraries). */
void EdUseUserFormats(void);

