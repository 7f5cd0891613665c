/* The dialogs library's hooks: what the dialogs' window-free core asks of
 * the windows, the command engine, the filters, the message editor and
 * the shell above it.  The shell fills them at start-up
 * (shell/app/wirelibs.cpp, shell/app/wiring.cpp); an unset hook does
 * nothing unless its comment says otherwise. */
#pragma once

#include <cstdint>

struct QMS;
struct DialogWords;
struct PCFLISTREQ;
struct PCFFieldEntry;
struct PCFLISTAREA;
struct PCFROW;
struct DOWNLOADROW;
struct SAVEDDIALOG;

/* ---- the core: posts, status lines, fields, the command engine -------- */

/* What a message list row tells of its message (parameters 10014 to 10016). */
struct PCFMSGINFO {
    int32_t encoding, ccsid;
    char format[8];                    /* blank-padded */
};

struct PCFHOOKS {
    void *context;
    /* Posts a message to a window: 1 posted, 0 when the window is gone. */
    int (*post)(void *ctx, void *window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    /* A text for the dialog's status line (a copy reaches the window). */
    void (*status)(void *ctx, DialogWords *dialog, const char *text, uint32_t flags);
    /* PCFDoCommand of the command engine: the action for the dialog, to
     * one list record (null: the dialog's own) or its targets. */
    int (*doCommand)(void *ctx, DialogWords *dialog, uint32_t actionId, PCFLISTREQ *request,
                     void *targets);
    /* SendToAllInGroup. */
    int (*sendToAll)(void *ctx, DialogWords *dialog, uint32_t actionId);
    void (*newFilter)(void *ctx, DialogWords *dialog);
    void (*dependChanged)(void *ctx, DialogWords *dialog);
    void (*diffFromDefault)(void *ctx, DialogWords *dialog);
    void (*repaintFields)(void *ctx, DialogWords *dialog);
    /* The value window's text (0: none); resetting it to a text. */
    int (*valueText)(void *ctx, DialogWords *dialog, char *buffer, int size);
    void (*setValueText)(void *ctx, DialogWords *dialog, const char *text);
    void (*setSelectionText)(void *ctx, DialogWords *dialog, const char *text);
    void (*focusField)(void *ctx, DialogWords *dialog, PCFFieldEntry *entry);
    /* Message summary text of a list row (1: written into text), from
     * the message's data and its row's Encoding, CodedCharSetId and Format. */
    int (*messageSummary)(void *ctx, DialogWords *dialog, QMS *location, const PCFMSGINFO *info,
                          const uint8_t *data, uint32_t length, char *text, uint32_t room,
                          uint32_t *textLength);
    /* Conversion of the message data of a reply (1: converted into out). */
    int (*convertMessage)(void *ctx, DialogWords *dialog, const uint8_t *data, uint32_t length,
                          uint8_t **out, uint32_t *outLength);
    void (*postError)(void *ctx, QMS *location, uint32_t flags, const char *text);
    /* The topic string of a cached topic object (1 found). */
    int (*findTopic)(void *ctx, QMS *location, const char *name, char *topicString, int size,
                     uint64_t *value);
    /* The command-level query of a location (the queue-manager inquiry
     * whose reply records the level): 0 when it was sent. */
    int (*levelQuery)(void *ctx, QMS *location);
    /* Under global lock 5: frees the finished commands in flight of a
     * dialog; 1 while one of them is still being processed. */
    int (*dropCommands)(void *ctx, DialogWords *dialog);
};
void PCFSetHooks(const PCFHOOKS *hooks);
const PCFHOOKS *PCFHooks(void);

/* What the filters and the message editor keep in a dialog: bound when
 * the dialog is made, freed with it.  The program installs them
 * (WireLibraries); an unset hook does nothing. */
struct PCFPARTHOOKS {
    void *context;
    /* the filter's evaluation context bound to a new dialog */
    void (*bindFilter)(void *ctx, DialogWords *dialog);
    /* the filter's evaluation context, then its compiled program, freed */
    void (*freeFilter)(void *ctx, DialogWords *dialog);
    /* the column filters' records freed */
    void (*freeColumnFilters)(void *ctx, DialogWords *dialog);
    /* the message editor's state of a message dialog freed */
    void (*freeEditor)(void *ctx, DialogWords *dialog);
};
/* Installs the hooks (copied); null: none. */
void PCFSetPartHooks(const PCFPARTHOOKS *hooks);
const PCFPARTHOOKS *PCFPartHooks(void);

/* ---- the dialog commands (cmddlg/savedlg.h) ---------------------------- */

/* What the dialog commands ask of the windows; unset hooks do nothing. */
struct SAVEDDLGHOOKS {
    void *context;
    /* 11349 (switch) or 11348 (start) to the main window with the record */
    void (*post)(void *ctx, uint32_t message, uintptr_t word, SAVEDDIALOG *record);
    void (*markDialogsStale)(void *ctx, int32_t command);
};
void SavedDialogSetHooks(const SAVEDDLGHOOKS *hooks);
const SAVEDDLGHOOKS *SavedDialogHooks(void);

/* ---- the lists (lists/pcflists.h) ------------------------------------- */

/* The filter hooks of a rebuild; unset hooks pass every row. */
struct PCFLISTFILTER {
    void *context;
    /* a compiled filter to evaluate (the evaluation context started) */
    int (*begin)(void *ctx, DialogWords *dialog);
    void (*rowVars)(void *ctx, DialogWords *dialog, uint32_t items, int last, uint32_t index);
    /* 0 bound; non-zero: the row is hidden */
    int (*bind)(void *ctx, DialogWords *dialog, PCFLISTAREA *area, PCFROW *row);
    /* 0 evaluated into *show; non-zero: an evaluation error ends the fill */
    int (*evaluate)(void *ctx, DialogWords *dialog, PCFROW *row, int *show);
    int (*rescan)(void *ctx, DialogWords *dialog);
    void (*end)(void *ctx, DialogWords *dialog);
    /* the column filters */
    int (*colMatch)(void *ctx, DialogWords *dialog, PCFLISTAREA *area, PCFROW *row);
    void (*colCount)(void *ctx, DialogWords *dialog, PCFLISTAREA *area, PCFROW *row);
    void (*colReset)(void *ctx, DialogWords *dialog);
    void (*colRecount)(void *ctx, DialogWords *dialog);
};
/* Installs the hooks (copied; the filters' own are PCFFilterListHooks);
 * null: none, every row passes. */
void PCFSetListFilter(const PCFLISTFILTER *hooks);
const PCFLISTFILTER *PCFListFilter(void);

/* The objects a location's download kept (the command engine's). */
struct PCFDOWNLOADSTORE {
    void *context;
    /* the kept object of a row: of the type, or with index not negative
     * the index-th one; null while the download is not done */
    const uint8_t *(*kept)(void *ctx, QMS *location, const DOWNLOADROW *row, int32_t type, int index);
};
/* Installs the store (copied); null: none, nothing is found. */
void PCFSetDownloadStore(const PCFDOWNLOADSTORE *store);
const PCFDOWNLOADSTORE *PCFDownloadStore(void);

/* The selected rows in order: their count; rows filled up to max. */
typedef int (*PCFSELECTED)(DialogWords *dialog, PCFROW **rows, int max);
void PCFSetSelectionSource(PCFSELECTED source);
PCFSELECTED PCFSelectionSource(void);

/* Notice boxes of developer diagnostics (caption, text): the shell shows
 * them; unset, a notice is not shown. */
extern void (*PCFNoticeSink)(const char *caption, const char *text);

/* How the open dialogs learn of a new list (UM_NEW_LIST); tests set it. */
extern void (*PCFNewListSink)(DialogWords *dialog);
