/* Filters, the window-free core: the filter language (token reader,
 * compiler to a compact program, evaluator and built-in functions), a
 * dialog's filter applied to its list rows, the named filters the Filter
 * Manager keeps, and the column filters' records, row test and value
 * counts.
 *
 * A list dialog's filter text compiles into a FilterProgram held by the
 * dialog; the list fill evaluates it once per row with the dialog's
 * FilterEvalContext (PCFFilterFillBegin ... PCFFilterFillEnd say what the
 * fill does) and applies the column filters to every row (ColFilterMatch).
 *
 * Nothing here touches a window: beeps, sounds, status texts, user
 * commands, the filter field and the list's rebuilding are reached
 * through FLTHOOKS; an unset hook does nothing.  Everything runs on the
 * user-interface thread. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include "dialogs.h"
#include "fltlist.h"
#include "flthooks.h"

struct QMS;
struct FilterProgram;
struct FVAL;

/* ---- limits ----------------------------------------------------------- */

#define FLT_TOKEN_MAX     300     /* characters of a token */
#define FLT_STRING_MAX    200     /* characters of a string value */
#define FLT_TEXT_MAX      500     /* characters read from the filter field */
#define FLT_OUTPUT_MAX    500     /* characters of status and file output */
#define FLT_ERROR_SIZE    512     /* an error text */
#define FLT_READER_STORE  576     /* bytes of the token reader's level store */
#define FLT_FILES         3       /* output-file slots of a context */

/* Value types of the language (the low bits of a node's type byte). */
enum { FLT_STRING = 1, FLT_INT = 2, FLT_REAL = 4 };

/* ---- the token reader ------------------------------------------------- */

/* One text being read: the dialog's own filter, or a named filter pushed
 * by a "$name" reference.  Its record sits in the reader's store. */
struct FLTLEVEL {
    FLTLEVEL *up;                /* enclosing level */
    const char *text, *end;
    const char *pos;             /* next character */
    uint32_t origin;             /* index of its origin record */
    uint32_t nameLength;
    /* the name follows, NUL-terminated */
};

/* Where a text came from: the outermost text (origin 0) or the named
 * filter a reference pushed; kept for the whole compile so that errors
 * found after a level ended still name the filter they lie in. */
struct FLTORIGIN {
    uint32_t parent;             /* origin of the enclosing text */
    const char *name;            /* "" for the dialog's own text */
    const char *text;
    uint32_t refStart, refEnd;   /* the "$name" token in the parent's text */
};

/* A token's place: its origin and its range in that origin's text. */
struct FLTPLACE {
    uint32_t origin;
    uint32_t start, end;
    int set;
};

struct FLTREADER {
    uint32_t capacity;           /* bytes of the store, as counted */
    uint32_t used;
    char *error;                 /* the caller's buffer, FLT_ERROR_SIZE bytes */
    FLTLEVEL *current;
    uint8_t store[FLT_READER_STORE + 256];
    FLTORIGIN *origins;          /* "FLTORIGIN", grown by pushes */
    uint32_t originCount, originCap;
    FLTPLACE last;               /* the last token read */
    FLTPLACE errorPlace;         /* where the error lies */
    char outerName[FILKEY_NAME]; /* name of the outermost text */
};

/* Sets a reader over a text (length -1: up to its NUL); outerName names
 * the outermost text ("" for a dialog's filter, the filter's name in the
 * Filter Manager's check). */
void FltReaderInit(FLTREADER *reader, const char *text, int length, const char *outerName,
                   char *errorBuffer);
/* Frees what a reader allocated (its origins). */
void FltReaderFree(FLTREADER *reader);
/* 0 with the next token in buffer (FLT_TOKEN_MAX + 1 bytes), 1 at the
 * end of all text or on a reference error (buffer empty). */
int PCFEvalNextToken(char *buffer, FLTREADER *reader);
/* 1 when the error's token lies in its text: start and end (exclusive)
 * in the innermost text, or, with outermost set, of the reference in the
 * outermost text that leads to it. */
int PCFEvalErrorPos(FLTREADER *reader, int outermost, int *start, int *end);
/* Appends to buffer (size bytes) the names of the error's text and of the
 * texts that enclose it, outermost first, separated by "/". */
void PCFFilterPath(FLTREADER *reader, char *buffer, size_t size);
/* The error's name chain and ":" when the error lies in a referenced
 * filter ("A/B:"), else "". */
void FltErrorPrefix(FLTREADER *reader, char *buffer, size_t size);
/* The name of the filter the error lies in ("" for the outermost text). */
const char *FltErrorFilterName(FLTREADER *reader);

/* ---- the evaluation context ------------------------------------------- */

struct FLTFILE {
    FILE *stream;
    char name[260];
};

/* The evaluation state of one dialog's filter. */
struct FilterEvalContext {
    CSTREE *userVars;            /* "ENVVAR": the user variables */
    DialogWords *dialog;
    PCFROW *row;                 /* the row being evaluated, or null */
    PCFLISTAREA *area;           /* the list area the row lies in */
    int64_t time;                /* the time of the pass */
    int32_t timeValue;           /* "_time" as the filter reads it */
    FLTFILE files[FLT_FILES];
    uint16_t qmLength, locLength;
    const char *qmName, *locName;
    FilterProgram *program;
    uint32_t initialPass;
    /* system fields */
    int32_t first, varsOff, last, index, items, rescan, scan;
    /* the row's sort keys that are texts: valid until the next row (the
       fill copies them into its rows) */
    const char *sortText[2];
    uint16_t sortLength[2];
    char sortBuffer[2][250];
    /* evaluation slots, allocated once for the program's need */
    FVAL *slots;
    int32_t slotCap, slotTop;
    /* the area the variables' columns were found for */
    PCFLISTAREA *boundArea;
};

/* ---- programs --------------------------------------------------------- */

/* Program flags. */
#define FLTP_COLUMNS   0x1        /* calls "showcol" or "hidecol" */
#define FLTP_SORTS     0x2        /* holds field-sort calls */
#define FLTP_STOP      0x4        /* stop after the initial column pass */
#define FLTP_INITIAL   0x8        /* the initial column pass is running */

/* 0 compiled; non-zero with the message in the reader's error buffer (a
 * program built so far is freed and *program cleared).  caps and def may
 * be null (the Filter Manager's check): names are then not resolved. */
int PCFEvalParse(const uint8_t *caps, const PCFCommandDef *def, FilterEvalContext *ctx,
                 FilterProgram **program, FLTREADER *reader);
void PCFFreeProgram(FilterProgram **program);
uint32_t PCFProgramFlags(const FilterProgram *program);
uint32_t PCFProgramNodes(const FilterProgram *program);
/* Bytes of node space in use. */
uint32_t PCFProgramSize(const FilterProgram *program);
/* Writes the program to the trace when the compile trace switch is on. */
extern int FltTraceCompile;
void PCFEvalDumpStack(const char *title, const FilterProgram *program);
/* The dump as text into a buffer (tests and the trace). */
void FltDumpProgram(const char *title, const FilterProgram *program, char *buffer, size_t size);

/* ---- evaluation ------------------------------------------------------- */

void PCFEvalInitContext(FilterProgram *program, FilterEvalContext *ctx, int initialPass);
/* 0, or non-zero when the evaluation failed; *result gets the truth of
 * the program's value (unless the initial pass is running). */
int PCFEvalExpression(FilterEvalContext *ctx, FilterProgram *program, int *result);
/* Binds every variable of the dialog's program to the row (the context's
 * area holds it): 0, or 1 after "Variable %s not found." was shown. */
int PCFEvalVarColumns(DialogWords *dialog, PCFROW *row);
/* Closes the output files. */
void PCFEvalCloseFiles(FilterEvalContext *ctx);
/* Frees the user variables and closes the files. */
void PCFEvalFreeContextRecord(FilterEvalContext *ctx);

/* The dialog's context, made on first use ("FLTCONTEXT"); null without
 * storage. */
FilterEvalContext *FltDialogContext(DialogWords *dialog);
/* GetDialogWords and FreeDialogWords: the context bound to its dialog,
 * and freed; the program, text and recent state freed. */
void PCFEvalBindContext(DialogWords *dialog);
void PCFEvalFreeContext(DialogWords *dialog);
void PCFFilterFree(DialogWords *dialog);

/* ---- the list fill's side --------------------------------------------- */

/* Row flags the filter writes (PCFROW.flags). */
#define FLTR_FG         0x1
#define FLTR_BG         0x2
#define FLTR_KEY1       0x4
#define FLTR_KEY1TEXT   0x8
#define FLTR_KEY1DESC   0x10
#define FLTR_KEY2       0x20
#define FLTR_KEY2TEXT   0x40
#define FLTR_FLASH      0x400
#define FLTR_CELLFLASH  0x800
#define FLTR_KEY2DESC   0x4000
#define FLTR_KEEP       (0x80 | 0x100 | 0x200 | 0x1000 | 0x2000 | 0x10000)
/* Value-record state bits of cells. */
#define FLTV_FG         0x10
#define FLTV_BG         0x20
#define FLTV_FLASH      0x40
#define FLTV_CHANGED    0x2
#define FLTV_COLOUR     4         /* offset of a cell's colour in its record */
/* Row colours in the row header. */
#define FLTR_TEXTCOLOUR 0
#define FLTR_BACKCOLOUR 1
/* The dialog's display flags: the user chose the sort keys (cleared by a
 * new filter); a column filter's edit waits to be applied. */
#define DD_USER_SORTS   0x600
#define DD_COLF_PENDING 0x200000

/* Starts a fill: the context for a normal pass, the alarm mark cleared. */
void PCFFilterFillBegin(DialogWords *dialog);
/* Starts a list area of the fill ("_items"). */
void PCFFilterFillArea(DialogWords *dialog, PCFLISTAREA *area);
/* One row: 1 shown, 0 hidden, -1 when the evaluation failed (the fill
 * ends).  A dialog without a program shows every row. */
int PCFFilterFillRow(DialogWords *dialog, PCFROW *row, int index, int last);
/* After a pass: 1 when a second pass is wanted (its counts then start
 * again with "_scan" and "_first" 1). */
int PCFFilterFillRescan(DialogWords *dialog);
void PCFFilterFillEnd(DialogWords *dialog);
/* Program-wide: some shown row flashes. */
extern int FltFlashing;

/* ---- settings (the hooks are in flthooks.h) --------------------------- */

/* Settings the filters read; the shell fills them from the profile. */
struct FLTPREFS {
    int recentMax;               /* recent filters kept per list */
    int exportDisabled;          /* the "Export Shared" button is off */
    int smallPopupFont;          /* the pop-up uses the small font */
    int popupMenuBrush;          /* enabled column marks use Menu Background */
    int localTimeDefault;        /* new date-time column filters: local time */
    int markAlways;              /* the column mark shows however narrow the cell */
    int marksShown;              /* list titles show the column filter marks */
};
extern FLTPREFS FltPrefs;
void FltPrefsDefaults(void);
/* What the profile gives of them (at start-up and after Preferences). */
void FltPrefsFromProfile(void);

/* ---- applying a filter to a dialog ------------------------------------ */

/* 0, or 1 after a compile error (the previous filter stays). */
int PCFNewFilter(DialogWords *dialog, int refresh);
/* A comparison of a field with a constant that a filter's rows must all
 * pass, as a PCF filter: type (MQCFT_INTEGER_FILTER or
 * MQCFT_STRING_FILTER), attribute, operator and value (the text points
 * into the program). */
struct FLTWHERE {
    int32_t type, parameter, op, value;
    const char *text;
    int32_t length;
};
int PCFFilterCondition(const FilterProgram *program, FLTWHERE *where);
/* The dialog's WHERE condition set from its filter (a list definition
 * whose list is an IBM MQ inquiry), or removed: 1 when it changed. */
int PCFFilterWhere(DialogWords *dialog);
/* 1 when the dialog's column list was replaced. */
int PCFCheckVars(DialogWords *dialog, int useList);
/* The pseudo field of a user variable column (made when absent). */
const PCFFieldDef *PCFUserVarField(const char *name);
void FltFreeUserFields(void);
/* The recent-filter list rule: the text to the front, the oldest dropped
 * while the list holds max entries or more. */
void PCFRecentFilter(CSLIST *list, const char *text, int max);
/* Runs the program's field sorts (the initial pass's sort marks). */
void PCFFieldSortMarks(DialogWords *dialog);
/* Dialogs whose filter raised the alarm; raising and clearing the mark. */
int32_t PCFFilterMarkedCount(void);
void PCFClearFilterMark(DialogWords *dialog);
void PCFSetFilterMark(DialogWords *dialog);
/* The list area whose columns a dialog shows, or null. */
PCFLISTAREA *FltDialogArea(DialogWords *dialog);
/* The dialog's current column list (its own, else the definition's). */
PCFLISTENTRY *FltDialogColumns(DialogWords *dialog);

/* ---- named filters ---------------------------------------------------- */

/* The definition of a named filter, local first, or null. */
const FILKEY *FltFindFilter(const char *name);
/* Validates and checks a Filter Manager entry: 0 when it may be stored;
 * else 1 with the status text in message (FLT_ERROR_SIZE bytes) and, for
 * a compile error, the range in the definition (start, end; -1 none). */
int FltCheckEntry(const char *name, const char *text, char *message, int *start, int *end);
/* Stores an entry (after the check) in the local or the shared list;
 * 1 when it replaced one of the same name, 0 when new, -1 without
 * storage. */
int FltStoreEntry(const char *name, const char *text, int local, int exportable, FILKEY **out);
/* Removes an entry from its list. */
void FltDeleteEntry(FILKEY *entry);
/* Whether the entry lies in the local list. */
int FltIsLocal(const FILKEY *entry);

/* From the profile: the shared filter file's export; the count, with
 * the result text in message (400 bytes). */
int PrfExportFilters(char *message);

/* ---- column filters ---------------------------------------------------- */

#include "colfilter.h"
