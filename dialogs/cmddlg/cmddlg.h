/* The command dialog: every object, list and message window is one of
 * these, made from a command definition.  This header holds what the
 * window code (dialogs_win, Windows only) and its window-free helpers
 * share: control ids, private messages, the program-wide settings the
 * dialog reads, the instance's life (GetDialogWords, FreeDialogWords),
 * titles and status decisions, the dialog profile and placement slots,
 * the dialog menu table and view commands, field lines and positions,
 * and the window order of Tab.
 *
 * Everything declared here builds on every host; the window procedures
 * and creation are in window/pcfwin.h. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "dialogs.h"
#include "dlginfo.h"
#include "savedlg.h"

/* Control ids of the dialog's children. */
enum PCFControlId {
    PCFC_SPLITLIST = 16, PCFC_STATUS = 17, PCFC_FIELDS = 19, PCFC_EDIT = 20, PCFC_COMBO = 21,
    PCFC_FILTER = 22, PCFC_FILTERBUTTON = 23, PCFC_DATA = 24, PCFC_EDIT2 = 25, PCFC_HISTORY = 26,
    PCFC_COMBO2 = 27, PCFC_LISTPANE = 28, PCFC_FIELDSPANE = 29, PCFC_TABS = 30, PCFC_COUNT = 32,
    PCFC_QMLIST = 33, PCFC_LISTS = 1000
};

/* The dialog window's private messages (UM_PCF_* and the others) are in
 * ravoltids.h; the new font is the toolkit's UM_NEWFONT, as for every
 * window. */
#include "ravoltids.h"

/* Title modes (the state flags 0xF000000). */
#define DF_TITLE_MODES (DF_TITLE_AUTO | DF_TITLE_FULL | DF_TITLE_SHORT | DF_TITLE_NAME)

/* The program-wide settings the command dialog reads; the shell fills
 * them from the profile (PCFWinPrefsFromProfile) and tests set them. */
struct PCFWINPREFS {
    uint32_t defaultView;        /* view options of new dialogs */
    uint16_t sizes[4];           /* border, line gap, margin, fourth */
    uint32_t tabOptions;         /* 0x1 tabs, 0x2 buttons, 0x20 flat, 0x80 rows,
                                    0x4 vertical, 0x8 right, 0x10 bottom, 0x40 not owner-drawn */
    uint32_t toolbarStyle;       /* TbCreate style */
    uint32_t addContext, updateContext;   /* put contexts of actions 941, 946 */
    uint32_t numericWords[2];    /* default numeric display words */
    uint32_t viewWords[2];       /* default message-view words */
    int captionTagsOff;          /* either caption option: no "[tag] " */
    int showObjectName;          /* object names in titles */
    int retitleOnName;           /* a typed name retitles the dialog */
    int rememberPositions, rememberSizes;
    int alwaysPlace;             /* record placements whatever the monitors */
    int noMonitorChecks;         /* the display preference that does the same */
    int arrowKeysMove;           /* Up and Down step through fields */
    int ownTaskbarWindows;       /* no hidden owner windows */
    int showBackground;          /* background dialogs are shown */
    int captureOff;              /* show/hide toggles do not re-capture */
    int menuCheckBitmap;
    int stopOnReadOnly;
    int noComboFill;
    int comboOnNameField;
    int showQmList;
    int filterListGlobal;        /* recent filters from the program-wide record */
    int listHeightOne, listHeightMany;    /* remembered Message List heights */
    int32_t qmListPosition;      /* remembered queue-manager list width */
    int diagnostics;             /* "-d": CmdLevel and PCFLIST in titles */
    int debugTitles;             /* "(UF)" after field titles */
    char errorSound[120];
    char defaultFilter[300];
};
extern PCFWINPREFS PcfWinPrefs;
void PCFWinPrefsDefaults(void);
void PCFWinPrefsFromProfile(void);

/* The recorded user-interface thread (LocGlobals.uiThread); with none
 * recorded every thread counts as it. */
int PCFOnUiThread(void);
/* Reports an operational error (the window code shows it; tests record). */
extern void (*PCFErrorSink)(const char *text);
void PCFReportError(const char *text);
/* The program clock in seconds (tests set it). */
extern int64_t (*PCFClock)(void);
int64_t PCFNow(void);

/* ---- the instance ---------------------------------------------------- */

/* A new instance copied from the template, at the head of the open list;
 * null when storage runs out. */
DialogWords *GetDialogWords(const DialogWords *templ, int existingWindow);
/* Frees the instance (1), or keeps it marked close-pending (0) while one
 * of its commands is still being processed. */
int FreeDialogWords(DialogWords *dialog);
/* For the command engine: a command of the dialog has ended; a closing
 * instance whose commands are all done is freed now (1). */
int PCFReleaseClosing(DialogWords *dialog);
/* Every open dialog that is not closing, newest first, under lock 5;
 * fn returns non-zero to stop. */
int PCFForEachDialog(int (*fn)(DialogWords *dialog, void *ctx), void *ctx);
/* Open dialogs (not closing) sharing a dialog's DLGINFO. */
int PCFCountSharing(const DialogWords *dialog);
/* After a dialog sharing a DLGINFO closed: each with a higher instance
 * number moves down one; retitle is called for each. */
void PCFRenumberSharing(DialogWords *closed, void (*retitle)(DialogWords *dialog));
/* Sets the stale flag on open dialogs of a location (null: all) whose
 * actions include the command; the number marked. */
int MarkDialogsStale(QMS *location, uint32_t command, int unused, int listOnly, int firstOnly);
/* Dialogs whose filter marked them (state flag 0x80). */
int32_t PCFFilterMarkedCount(void);
void PCFClearFilterMark(DialogWords *dialog);
void PCFSetFilterMark(DialogWords *dialog);

/* ---- titles and status ---------------------------------------------- */

/* The window title of a dialog with an optional suffix. */
void PCFComposeTitle(const DialogWords *dialog, const char *suffix, char *out, size_t size);
/* The status text shown for a text of a location: cut to 749 and, in a
 * dialog spanning queue managers, prefixed "%s:" with the name. */
void PCFStatusText(const DialogWords *dialog, const char *text, const QMS *location, char *out,
                   size_t size);
/* Whether the shown text (with its flags) stays when a text with flags
 * arrives (1 keep). */
int PCFStatusKeeps(uint32_t shownFlags, uint32_t flags, const char *text);
/* The program-wide error-sound gate: 1 when at least two whole seconds
 * passed since the last sound (and notes the time). */
int PCFErrorSoundDue(int64_t now);
void PCFErrorSoundReset(void);

/* ---- profile and placement ------------------------------------------ */

DLGINFO *PCFGetDlgInfo(const PCFCommandDef *definition, QMS *location);
void PCFGetDialogProfile(DialogWords *dialog);
/* The dialog's shown parts, refresh and display words as the settings of
 * the saved dialog it shows (what PCFGetDialogProfile reads back). */
void PCFPutSavedSettings(const DialogWords *dialog, PDGSTATE *settings);
/* A default size for the work area (width, height in pixels). */
void GetDialogSize(DialogWords *dialog, int32_t workCx, int32_t workCy);

/* The monitor counts: at start-up and now (the window code reports the
 * layout; tests set it). */
void PCFSetMonitors(int32_t startCount, int32_t count);
void PCFNoteMonitors(int32_t count);
int32_t PCFMonitorsAtStart(void);
int PCFPlacementChanged(void);           /* the configuration-changed mark */
/* The slot of the current configuration (0 one monitor, 1 several). */
int PCFPlacementSlot(void);
const int32_t *PCFPlacementRect(const int32_t slots[2][4]);
void PCFPlacementSize(const int32_t slots[2][4], int32_t *cx, int32_t *cy);
/* 1 when written; nothing once the monitor count changed. */
int PCFSetPlacementPos(int32_t slots[2][4], int32_t x, int32_t y);
int PCFSetPlacementSize(int32_t slots[2][4], int32_t cx, int32_t cy);

/* ---- menus, buttons and view commands ------------------------------- */

struct PCFMENUROW {
    int32_t id;                  /* -1: submenu start, end or separator */
    const char *label;
    uint32_t flags;
};
enum { PCFM_OPEN = 0x2, PCFM_CLOSE = 0x4, PCFM_SEPARATOR = 0x8, PCFM_ROWS = 47 };
extern const PCFMENUROW PCFDialogMenu[PCFM_ROWS];

/* Whether a row of the dialog menu applies to the definition. */
int PCFButtonApplies(const DialogWords *dialog, const PCFCommandDef *definition, int extra,
                     const PCFMENUROW *row);
/* Whether the definition has an object-download entry (the caller's
 * extra condition of rows 0x100). */
int PCFHasDownloadEntry(const PCFCommandDef *definition);
/* The label an action shows: "?mask:first:second" chosen by the view
 * options, "&Refresh All" with several queue managers, the put contexts
 * of 941 and 946. */
const char *PCFButtonText(const DialogWords *dialog, const PCFActionDef *action, char *buffer,
                          size_t size);
const char *PCFContextMenuText(const DialogWords *dialog, uint32_t actionId);
/* The show/hide text of a view item, or null when the item has none. */
const char *PCFShowHideText(const DialogWords *dialog, int32_t id);
/* Whether an action row is offered (capabilities, command level,
 * authorities). */
int PCFActionOffered(const DialogWords *dialog, const PCFActionDef *action);
/* A push button's width for a label width: at least 6 character widths. */
int32_t PCFButtonWidth(int32_t labelWidth, int32_t charWidth);

/* View commands: the view option word after a command (ctrl: Ctrl held;
 * list: a list dialog); numeric words in and out. 0 for a command outside
 * the table. */
int PCFViewApply(uint32_t *view, uint32_t numeric[2], int32_t command, int ctrl, int list);
int PCFIsViewCommand(int32_t command);
/* The check mark of a view item: -1 none, else 0 or 1. */
int PCFViewCheck(const DialogWords *dialog, int32_t id);

/* ---- field lines ----------------------------------------------------- */

/* The field entries the pane shows: the detail fields of a list dialog. */
PCFFieldEntry *PCFPaneFields(const DialogWords *dialog);
int PCFUseFieldTabs(const DialogWords *dialog);
/* Whether an entry is shown, and whether it is read-only. */
int PCFEntryShown(const DialogWords *dialog, const PCFFieldEntry *entry, int *readOnly);
/* Lines of an entry (0 when not shown). */
int PCFEntryLines(const DialogWords *dialog, const PCFFieldEntry *entry);
/* Counts the lines and tabs into the dialog; the new current line. */
void PCFCountLines(DialogWords *dialog);
/* Value width of a field in characters (sizes), 0 for 11, 12, 27; traps
 * for a type outside the table. */
int PCFValueChars(const PCFFieldEntry *entry);
/* Editor width in characters (tenths to keep the halves). */
int PCFEditorTenths(const PCFFieldEntry *entry);
/* A field's title for a title mode (0: the dialog's); "Oops!" traps. */
const char *PCFFieldTitle(const DialogWords *dialog, uint32_t mode, const PCFLISTENTRY *column);

/* The value text of an element as a new block ("FIELDTEXT", the caller
 * frees it), cut to limit characters (0: whole); null without storage. */
char *PCFValueCopy(const DialogWords *dialog, const PCFFieldEntry *entry, int32_t element, int limit);
#define PCF_VALUE_SHOWN 5000   /* characters of a value the pane paints */

/* Field positions (AccessField modes). */
enum { AF_SKIP_READONLY = 1, AF_STRICT = 2, AF_DIFFERENT = 4, AF_IN_TAB = 8 };
/* Kind of a found position. */
enum { AF_SINGLE = 0, AF_LIST = 1, AF_NEW_ELEMENT = 3 };
int AccessField(const PCFCommandDef *definition, const uint8_t *caps, uint32_t dialogFlags,
                const uint8_t *area, int32_t wanted, int32_t current, PCFFieldEntry *currentEntry,
                int32_t element, PCFFieldEntry **foundEntry, int32_t *foundElement, int mode,
                uint32_t command, int *kind);
/* AccessField over the pane fields of a dialog, from its first field. */
int PCFLineAt(const DialogWords *dialog, int32_t line, PCFFieldEntry **entry, int32_t *element,
              int *kind);

/* Editing windows. */
enum { PCFE_NONE = 0, PCFE_EDITOR = 1, PCFE_UPPER_EDIT = 2, PCFE_COMBOBOX = 3, PCFE_UPPER_COMBO = 4 };
/* The window kind and text limit for a field. */
int PCFEditorFor(const DialogWords *dialog, const PCFFieldEntry *entry, int readOnly, int *limit);
/* Whether the location asks names of a history kind in upper case. */
int PCFNameUpperCase(const DialogWords *dialog, int historyKind);
/* Whether the second combo box serves a field type: it exists and the
 * location's flag word has the type's bit (0x1000 for the value types,
 * 0x2000 for type 10, 0x4000 for type 11). */
int PCFSecondComboApplies(const DialogWords *dialog, int fieldType);
/* 0 when a string list equals a text of items separated by byte 5. */
int PCFCompareStrList(const PCFSTRLIST *list, int maximum, const char *text, int length);

/* ---- the order of Tab ------------------------------------------------ */

struct PCFTABRECT {
    int32_t left, top, right, bottom;
    int focused;                 /* the window with the focus */
    int holdsFocus;              /* contains the focus (not itself) */
};
/* Sorts candidates by top, then left (stable); returns the index of the
 * window to focus after sorting, or -1. */
int PCFTabOrderPick(PCFTABRECT *rects, int count, int forward, int fromEnd);

/* ---- dates of the fields and lists ---------------------------------- */

int PCFCheckDateFields(DialogWords *dialog, int rebuild);
int PCFRecomputeDateTimes(DialogWords *dialog, PCFLISTREQ *request);
