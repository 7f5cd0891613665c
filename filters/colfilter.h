/* Column filters, the window-free part: one COLFILTER record per list
 * column ever filtered, chained from the dialog; the row test
 * (ColFilterMatch), the distinct values of numeric columns with their
 * counts (COLVALUES), the counts of the pop-up's value controls during a
 * fill, and the arithmetic of the date-time range.  The pop-up window
 * itself is in win/colpopup_win.cpp. */
#pragma once

#include <cstdint>
#include "dialogs.h"
#include "flthooks.h"

#define COLF_VALUES_MAX 200       /* distinct values counted per column */
#define COLF_CHECKBOXES 15        /* value check boxes before the list */

/* ColFilterBound: bits of COLFILTER.bounds. */
enum ColFilterBound : uint32_t {
    CFB_MIN = 0x1, CFB_MAX = 0x2,
    CFB_FROM = 0x4, CFB_FROM_BAD = 0x8,
    CFB_UNTIL = 0x10, CFB_UNTIL_BAD = 0x20,
    CFB_FOR = 0x40, CFB_FOR_BAD = 0x80,
    CFB_NOW = 0x100
};

/* Control ids of the pop-up. */
enum ColFilterControl {
    CFC_CLOSE = 2, CFC_LOCALTIME = 226, CFC_MATCHCASE = 525, CFC_SELECTALL = 540, CFC_TEXT = 579,
    CFC_INVERSE = 875, CFC_ENABLE = 876, CFC_MINIMUM = 878, CFC_MAXIMUM = 879,
    CFC_CONTAINS = 881, CFC_MATCHES = 882, CFC_VALUELIST = 883, CFC_ANYVALUE = 884,
    CFC_REFRESH = 885, CFC_SHOWALL = 886, CFC_SELECTNONE = 887, CFC_FIRSTBOX = 983,
    CFC_LASTBOX = 997, CFC_ENUMLIST = 998, CFC_FROM = 1011, CFC_UNTIL = 1012, CFC_FOR = 1013
};

struct COLVALUE {
    uint32_t selected;           /* the value passes */
    uint32_t before;             /* selected before the last apply */
    uint32_t listed;             /* stands in the value list */
    uint32_t count;              /* rows of the last count */
    int32_t value;
};

struct COLVALUES {
    uint32_t anyValue;           /* 1: every value passes */
    int32_t count;
    COLVALUE entries[COLF_VALUES_MAX];
};

/* A point or length of time: seconds and hundredths. */
struct COLTIME {
    int64_t seconds;
    uint8_t hundredths;
};

struct COLFILTER {
    COLFILTER *next;
    const PCFFieldDef *column;
    uint32_t hundredths;         /* 1 for date-time columns with hundredths */
    uint32_t bounds;             /* ColFilterBound */
    uint32_t type;
    uint32_t enabled, inverse, matchCase, showAll;
    uint32_t contains;           /* 1 "Contains", 0 "Matches" */
    uint32_t rangeKind;
    int32_t minimum, maximum;
    uint32_t textLength;
    char *text;                  /* "COLFTEXT", never null */
    uint32_t localTime;
    COLTIME from, until, length; /* "From: ", "Until: ", "For: " */
    int32_t lastEdited, editedBefore;   /* spinner ids, 0 none */
    int32_t selectedCount;
    void *enableWindow;
    COLVALUES *values;
    int32_t valueRows;           /* rows of the value table (slots below) */
    const PCFValueDef **selected;       /* the rows that pass */
};

/* One control of the open pop-up (the window code fills windows and
 * positions; the fill counts into count). */
struct COLFCTL {
    int32_t id;
    void *window;
    const void *layoutRow;       /* null ends the table */
    const char *text;
    const PCFValueDef *valueRow; /* value controls */
    uint32_t selected;
    uint32_t count;
    int32_t x, y, cx, cy;
};

/* The column filter state of one dialog (DialogWords.columnFilters). */
struct COLFSTATE {
    COLFILTER *chain;
    const PCFFieldDef *open;     /* the column whose pop-up is open */
    void *popup;                 /* its window */
    COLFCTL *controls;           /* "COLFILTFLD" */
    uint32_t controlsSize;
    int64_t editTime;            /* when an edit armed the pending mark */
    uint32_t active;             /* the marks are shown in the title cells */
    int32_t pressed;             /* a press on a filter mark */
    int32_t pressRect[4];
    int32_t dragged;             /* the user moved the pop-up */
    int32_t stale;               /* the layout needs doing again */
    int32_t x, y;                /* recorded position */
    void *list, *titleBar;       /* the list and title bar it sits under */
    int32_t cell[4];             /* the open column's title cell */
    uint32_t applying;           /* an apply is reading the controls */
};

/* The dialog's state, made on first use; null without storage. */
COLFSTATE *ColFilterState(DialogWords *dialog, int create);
/* The column's record; made (zeroed, as a new filter starts) when absent
 * and create is set.  Null without storage. */
COLFILTER *ColFilterFind(DialogWords *dialog, const PCFFieldDef *column, int create);
/* Field types that can be filtered (1, 2, 3, 4, 5, 8, 9, 15, 19, 24, 25, 36). */
int ColFilterable(const PCFFieldDef *field);
/* Numeric columns whose distinct values are counted. */
int ColFilterCountable(const PCFFieldDef *field);
/* True when the row passes every enabled record of the dialog. */
int ColFilterMatch(DialogWords *dialog, PCFROW *row);
int ColFilterMatchArea(DialogWords *dialog, PCFLISTAREA *area, PCFROW *row);
/* The record's verdict on one value record (present or not). */
int ColFilterTest(const COLFILTER *filter, const uint8_t *record);
/* Rebuilds the column's COLVALUES from the rows of every selected list
 * record; the number of distinct values. */
int ColFilterCount(DialogWords *dialog, COLFILTER *filter, const PCFFieldDef *column,
                   int dropUnused);
/* At the start of a fill: the counts of the open pop-up's value controls
 * set to 0, and every "Until" of "now" moved to the clock. */
void ColFilterResetCounts(DialogWords *dialog);
void ColFilterCountValue(DialogWords *dialog, PCFLISTAREA *area, const PCFLISTENTRY *columns,
                         PCFROW *row);
/* Every record disabled; 1 when one was enabled. */
int ColFilterDisableAll(DialogWords *dialog);
/* Frees every record with its values, and the control table (an open
 * pop-up first goes through ColFilterDestroyPopup, which the window code
 * sets). */
void ColFilterFreeAll(DialogWords *dialog);
/* The filter text of a record (copied; 0 without storage). */
int ColFilterSetText(COLFILTER *filter, const char *text, int length);
/* The selected-value list from the value-table rows that pass. */
void ColFilterSetSelected(COLFILTER *filter, const PCFValueDef *const *rows, int count);
/* Whether a value row is among the selected ones. */
int ColFilterIsSelected(const COLFILTER *filter, const PCFValueDef *row);
/* Whether a flag set's value holds a flag of its value table; the
 * table's 0 ("None") is held by a value without flags. */
int ColFlagHeld(int32_t value, int32_t flag);

/* ---- the date-time range ---------------------------------------------- */

/* A date is valid (Gregorian leap rule); month 1-12. */
int ColFilterDateValid(int year, int month, int day);
/* Local date and time fields to a time value (0 when not valid). */
int ColFilterLocalTime(int year, int month, int day, int hour, int minute, int second,
                       int64_t *value);
/* ((days * 24 + hours) * 60 + minutes) * 60 + seconds. */
int64_t ColFilterDuration(int64_t days, int64_t hours, int64_t minutes, int64_t seconds);
/* A spinner switched on (1) or off (0) or edited (2): the bound flags,
 * the third spinner switched off when two others are on; returns the
 * spinner that was switched off, or 0. */
int32_t ColFilterSpinner(COLFILTER *filter, int32_t spinner, int action);
/* Derives the third value from the two that are on; the derived spinner's
 * id, or 0. */
int32_t ColFilterDerive(COLFILTER *filter);
/* The "now" option of "Until: " switched on (Until becomes now) or off. */
void ColFilterUntilNow(COLFILTER *filter, int on, int64_t now);
/* At the start of a fill: every "Until" with the "now" option follows the
 * clock, and the value derived from it with it. */
void ColFilterFollowNow(DialogWords *dialog, int64_t now);

/* The program-wide pending flag of deferred edits and its check: 1 when
 * the dialog's edit is more than one second old at now. */
extern int ColFilterPending;
int ColFilterDue(DialogWords *dialog, int64_t now);
