/* User message formats: the language in which users describe their own
 * message layouts (a "RAVOLT.FMT" file of structures, value lists,
 * included files and rules), the loaded set of formats, the choice of a
 * structure for a message, date masks, and the one-line message summaries
 * of a message list's summary column.
 *
 * The parser builds structure definitions of the formatter's own shape
 * (fapparse.h), so a user structure formats like an IBM MQ header.
 * Everything here runs on the user-interface thread. */
#pragma once

#include "fapparse.h"
#include <cstdint>

/* ---- Preferences ------------------------------------------------------ */

/* Bits of the global option word (the profile's fourth preferences word). */
enum : uint32_t {
    UF_OPT_ALLOW = 0x100000,        /* "Allow user formats" */
    UF_OPT_EDIFACT = 0x200000,      /* "Autodetect EDIFACT messages" */
    UF_OPT_HEX_OFFSETS = 0x400000,  /* the pane's hexadecimal offsets */
    UF_OPT_SUMMARY = 0x800000       /* "Display user format summary fields" */
};
/* A change of any of these asks the panes to format again. */
#define UF_OPT_REAPPLY (UF_OPT_ALLOW | UF_OPT_EDIFACT | UF_OPT_HEX_OFFSETS)

/* Where the settings live: the program points at its profile once at
 * start-up; until then the defaults hold (all three options on,
 * "RAVOLT.FMT" in the current directory, display CCSID 850). */
struct UFPREFS {
    const uint32_t *options;        /* the global option word */
    const char *fileName;           /* the user format file ("" loads nothing) */
    const char *programDir;         /* where a relative top file is looked up */
    uint32_t displayCcsid;          /* code page of the file's texts */
};
void UFSetPreferences(const UFPREFS *prefs);
uint32_t UFOptions(void);

/* ---- Hooks of the program ---------------------------------------------- */

/* Shows a parse error (the product: a message box through the toolkit). */
typedef void (*UFErrorProc)(void *context, void *owner, const char *text,
                            const char *caption);
void UFSetErrorReporter(UFErrorProc proc, void *context);   /* null: the default box */
void UFErrorBox(void *context, void *owner, const char *text, const char *caption);

/* What the chooser reads of a message pane (the editor's PCFDATA). */
struct PCFDATA;
struct UFPaneView {
    const unsigned char *md;        /* MQMD in encoding 546, CCSID 850, or null */
    uint32_t mdLength;
    const unsigned char *data;
    uint32_t length;
    const char *queue;
    uint32_t queueLength;
    uint32_t fixedView;             /* the dialog's body-kind setting: not 0 keeps
                                       "Message Content" */
};

/* ---- Selection ---------------------------------------------------------- */

struct UFOverride {
    uint32_t encoding;              /* 0: not given */
    uint32_t ccsid;
    char format[8];                 /* blank-padded */
    uint32_t formatLength;          /* 0: no Format */
};

/* Body formatter kinds */
enum : uint8_t { UF_BODY_AUTO, UF_BODY_CSV, UF_BODY_FIX, UF_BODY_JSON,
                 UF_BODY_TEXT, UF_BODY_XML, UF_BODY_EDIFACT };

/* Filled by the caller, updated by the matching. */
struct UFMatchState {
    char format[8];                 /* the message's format name, blank-padded */
    uint32_t formatLength;          /* without trailing blanks */
    uint8_t bodyKind;               /* set by a rule's formatter word */
    const UFOverride *override;     /* in force, or null */
    uint32_t encoding, ccsid;       /* of the message data */
    const char *queue;              /* for the body chosen by format name */
    uint32_t queueLength;
};
/* The format, encoding and CCSID of a state from a descriptor's values. */
void UFStateFor(UFMatchState *state, const char *format, uint32_t encoding,
                uint32_t ccsid, const char *queue, uint32_t queueLength);

/* Mode 1 tests conditional values, mode 0 takes the first structure of a
 * matching list.  Null unless user formats are allowed. */
FmtStructDef *UFFindFormat(int mode, const char *queue, uint32_t queueLength,
                           const unsigned char *data, uint32_t length,
                           UFMatchState *state);
/* The structure for a pane's message data: a user structure, "Edifact"
 * or "Message Content". */
FmtStructDef *UFChooseFormatter(PCFDATA *pane, UFMatchState *state);
FmtStructDef *UFChooseFormatterView(const UFPaneView *pane, UFMatchState *state);
/* Applies a state to the description of the data walk: the override's
 * format, CCSID and encoding, and the body kind where it applies. */
void UFApplyState(const UFMatchState *state, FmtMsgInfo *msg);

extern FmtStructDef FmtDefEdifact;

/* User format names (formats named by "format" rules that IBM MQ does not
 * define), newest first. */
struct UFFormatName {
    UFFormatName *next;
    const char *name;
    uint32_t length;
    const char *description;        /* null when none */
};
const UFFormatName *UFFormatNames(void);
/* Calls each with every user format name, newest first (the list of a
 * Format field's values). */
void UFEachFormatName(void (*each)(void *context, const char *name), void *context);
/* Exactly by the name up to its first blank, else by an entry used as a
 * wildcard pattern; null when none. */
const UFFormatName *UFFindByName(const char *name, uint32_t length);

/* ---- Loading ------------------------------------------------------------ */

/* Parses the configured file into a new set of formats, makes the panes
 * format again and frees the previous set.  1 loaded; 0 failure (reported;
 * what was built before the error stays loaded).  A missing top file is
 * silent under mayBeMissing (start-up) and reported otherwise. */
int UFLoadFormats(void *owner, int mayBeMissing);
void UFReapplyFormats(void);
/* Frees every loaded format (program end, tests). */
void UFFreeFormats(void);

/* ---- Date masks --------------------------------------------------------- */

/* Appends the date or time text of a field with a date mask at *out (at
 * most 64 characters).  1 formatted (or nothing to show), 0 invalid:
 * "Invalid" is written, or nothing under quiet. */
int UFFormatDateTime(uint32_t ccsid, const FmtFieldDef *field, int quiet,
                     const unsigned char *data, char **out);

/* ---- Message summaries -------------------------------------------------- */

/* The list's context for one dialog. */
struct MSGSUMCTX {
    const char *queue;
    uint32_t queueLength;
    const char *qmgrName;           /* the location's queue manager */
    uint32_t options1, options2;    /* bit 24 of either suppresses summaries */
    uint32_t valueSize;             /* text bytes the column's value area holds */
};
#define MSGSUM_SUPPRESS 0x1000000

/* The message's data: the length and bytes of its list record's value. */
struct MSGRECORD {
    uint32_t length;
    const unsigned char *data;
};

/* Writes the summary text into the value record (u16 state, u16 length,
 * text; the length is set here).  parms: the list record's parameters in
 * the host's byte order, parmsLength bytes, parmCount of them.  1 when a
 * summary was written, else 0. */
int MessageSummaryText(const MSGSUMCTX *ctx, const unsigned char *parms,
                       uint32_t parmsLength, int32_t parmCount,
                       const MSGRECORD *msg, unsigned char *value);
/* The same from the message's Encoding, CodedCharSetId and Format (8
 * characters, blank-padded) as its list record holds them. */
int MessageSummaryFor(const MSGSUMCTX *ctx, int32_t encoding, int32_t ccsid,
                      const char format[8], const MSGRECORD *msg, unsigned char *value);

/* The pieces (value record as above). */
int UserFormatSummary(const MSGSUMCTX *ctx, UFMatchState *state,
                      const MSGRECORD *msg, unsigned char *value);
int PCFSummary(const MSGSUMCTX *ctx, uint32_t ccsid, uint32_t encoding,
               const MSGRECORD *msg, unsigned char *value);
int DeadLetterSummary(const MSGSUMCTX *ctx, uint32_t ccsid, uint32_t encoding,
                      const MSGRECORD *msg, unsigned char *value);
int XmitSummary(const MSGSUMCTX *ctx, uint32_t ccsid, uint32_t encoding,
                const MSGRECORD *msg, unsigned char *value);
/* "Reason(<description>)" or "Reason(%d)"; buffer of 128 bytes. */
void SummaryReasonText(int32_t reason, char *buffer);
