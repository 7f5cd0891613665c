/* Export of object definitions: the objects a list dialog shows (or the
 * object of an object dialog) written as a text table, MQSC commands, CSV
 * or XML into a file or a text area for the clipboard, by hand or on a
 * schedule; file-name templates; the header texts.  Window-free; the
 * export dialog and Choose Queue Manager are expwin.h.
 *
 * What the export asks of other parts (the default comparison, the
 * downloaded default objects) goes through EXPHOOKS; an unset hook means
 * nothing is compared and there are no default objects. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "dialogs.h"
#include "exphooks.h"

struct QMS;

/* Export types (ExportTypes rows). */
enum ExportType { EXP_TEXT = 0, EXP_MQSC, EXP_CSV, EXP_XML, EXP_POINTS, EXP_TYPES };
struct ExportTypeRow {
    const char *name;
    const char *extension;
    const char *keyword;
};
extern const ExportTypeRow ExportTypes[EXP_TYPES];
/* Selection types. */
enum { EXP_SHOWN = 0, EXP_SELECTED = 1 };
extern const PCFValueDef ExportSelections[];

/* Export options. */
#define EXPO_SYSTEM    0x1            /* SYSTEM. objects that are not defaults */
#define EXPO_DEFAULTS  0x2            /* the default objects */
#define EXPO_ONLYDIFF  0x4            /* only values that differ from the default */
#define EXPO_HEADER    0x8            /* the header also when appending */

/* The text area of a clipboard export (tags "CLIPLINK" and "CLIPAREA"). */
#define EXP_AREA_STEP 50000
struct EXPTEXTAREA {
    void *owner;
    uint32_t used;
    uint32_t capacity;
    char *text;
};
EXPTEXTAREA *ExpNewTextArea(void *owner);
void ExpFreeTextArea(EXPTEXTAREA *area);

/* Where the export writes. */
struct EXPTARGET {
    FILE *file;
    EXPTEXTAREA *area;                 /* the clipboard's text, when not a file */
    int error;                         /* a write failed */
};
/* Appends a piece of text; endLine adds CR LF; split cuts lines of 71
 * characters or more into pieces of 70 followed by "-" (a file only). 0,
 * or -1 when the piece could not be written. */
int ExpWriteLine(EXPTARGET *target, int endLine, int split, const char *text, int length);

/* One export. */
struct EXPORTRUN {
    DialogWords *dialog;
    int type;                          /* ExportType */
    uint32_t options;                  /* EXPO_ bits */
    int selection;                     /* EXP_SHOWN or EXP_SELECTED */
    EXPTARGET *target;
    int appending;                     /* a file that is not new */
    int dateTime;                      /* the dialog shows date and time columns */
    int64_t now;                       /* 0: the clock */
    char message[200];                 /* the error text of a failure */
    int leftOut;                       /* objects left out for values MQSC or XML can not carry */
    char warning[200];                 /* which: shown after the count */
};
/* The number of objects exported, or -1 with the message. */
int ExpRun(EXPORTRUN *run);
/* The parts of a run. */
void ExpWriteHeader(EXPORTRUN *run);
void ExpWriteColumns(EXPORTRUN *run);
void ExpWriteTrailer(EXPORTRUN *run);
/* "No objects exported.", "1 object exported." or "%d objects exported.". */
void ExpCountText(int count, char *out, size_t size);

/* The automatic export of a dialog whose export is due: 1 when it ran
 * (or failed with a status text), 0 while the lists are not complete. */
int ExpAutoExport(DialogWords *dialog, int force);
/* The next automatic export of a location (and the earliest of all). */
void ExpScheduleNext(QMS *location);
extern int64_t ExpEarliest;

/* File-name templates: the output holds 260 characters.  1, or 0 when the
 * name is longer than 259 characters (the output holds its first 259: a
 * name to show, never one to write to). */
struct EXPTEMPLATECTX {
    int32_t *sequence;
    int32_t maximum;                   /* set by the template's "%i" digits */
};
int ExpandFileTemplate(const QMS *location, EXPTEMPLATECTX *context, const char *templ,
                       char *output);
/* The same at a given moment (tests and the automatic export). */
int ExpandFileTemplateAt(const QMS *location, EXPTEMPLATECTX *context, const char *templ,
                         char *output, int64_t now);
/* A header template expanded for a queue manager and a definition's title. */
void ExpHeaderText(const char *templ, const char *qmName, const char *title, int64_t now,
                   char *out, size_t size);
/* A moment's local date in an export date format (0 "DD/MM/YYYY", 1
 * "DD/MM/YY", 2 "MM/DD/YYYY", 3 "MM/DD/YY") with a separator ("/" for
 * none), and its time "hh:mm:ss" (time may be null). */
void ExpDateText(int format, char separator, int64_t moment, char *date, size_t dateSize, char *time,
                 size_t timeSize);
/* The 24-character local time text "Wed Feb 17 19:37:14 2021". */
void ExpTimeText(int64_t now, char *out, size_t size);
/* A file name with its extension replaced by an export type's (only when
 * the last "." lies after the last path separator). */
void ExpReplaceExtension(const char *name, int type, char *out, size_t size);

/* 1 when the name is a whole element of a comma-delimited list. */
int ExpNameInList(const char *list, const char *name, int length);

/* Value bits of the default comparison. */
#define PCFS_LISTDIFF  0x8            /* a list value differs from the default */
#define PCFS_AREADIFF  0x20           /* a data-area value differs */
