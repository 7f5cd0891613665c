/* The application shell's window-free rules: the command-line scanner and
 * the options, the configuration path, the queue prefix, search texts and
 * their histories, tiling, the usage-ordered context menu, the Windows
 * menu's entry texts, the texts and places of the queue-manager tree's
 * lines, the timer's search delay, and the file viewer's text check, find
 * and file names.  Built on every host; the windows (../app) call them. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "cslist.h"
#include "tklogic.h"

struct QMS;

/* ---- the command line ------------------------------------------------ */

/* The scanner's state: next argument word (from 1), position in the
 * current word, last letter, argument of the last option (null: none). */
struct GETOPTSTATE {
    int index;
    const char *place;
    int letter;
    const char *arg;
};
extern GETOPTSTATE GetOptState;
/* Starts a scan again at the first argument. */
void GetOptReset(void);
/* The next option letter, '?' (63) or -1 at the end of the options. */
int GetOpt(int argc, char *const *argv, const char *options);

#define SHELL_OPTIONS "dDE:f:F:j:Jm:P:q:rt:T"
#define SHELL_PATH 300

/* What the options asked for. */
struct SHELLOPTIONS {
    int trace;                     /* -T */
    int debugWindow;               /* -D or -d */
    int diagnostics;               /* -d */
    int readOnly;                  /* -r */
    int pruneMaster;               /* -J */
    int dumpGiven, dumpFull;       /* -E, -F */
    char dumpDir[SHELL_PATH];
    int configGiven;               /* -f */
    char config[SHELL_PATH];
    char master[SHELL_PATH];       /* -j */
    char qmName[49];               /* -m */
    char queue[49];                /* -q */
    char token[33];                /* -t: 32 hexadecimal digits */
    const char *password;          /* -P (in the argument vector) */
};
extern SHELLOPTIONS ShellOptions;

/* A notice of the scan (a bad "-t"): text and caption. */
typedef void (*ShellNotice)(void *ctx, const char *text, const char *caption);
/* One pass (0 before the configuration is read, 1 at start-up step 2):
 * 1 when every argument was an option and none was wrong, else 0 (the
 * caller shows the usage dialog and ends). */
int ShellParseOptions(int pass, int argc, char *const *argv, SHELLOPTIONS *options,
                      ShellNotice notice, void *ctx);

/* ---- the configuration path ------------------------------------------ */

/* The configuration file and its directory (SHELL_PATH bytes each) from a
 * path ("-f", else RAVOLT, else the program's own file): "." is the
 * current directory; an existing directory is a directory, dot or not;
 * any other path is split, and its name is the file's when it holds
 * ".CFG" (any case), else the file is "RAVOLT.CFG" there (a path without
 * a dot is a directory).  isDirectory null: nothing exists.  0, or -1
 * when the result would not fit. */
int ShellConfigPath(const char *given, const char *currentDir, int (*isDirectory)(const char *),
                    char separator, char *file, char *directory);

/* ---- queue prefix, search texts and histories ------------------------ */

/* The prefix field's text checked: 1 with the prefix (an asterisk added
 * when it has none) in out (50 bytes), else 0 with the message in error
 * (100 bytes). */
int ShellCheckPrefix(const char *text, int32_t minimum, char *out, char *error);

#define SHELL_HISTORY_MAX 20
#define SHELL_SEARCH_TEXT 500
/* Adds a text as the newest of a history (elements hold the text and its
 * NUL): an empty text or the oldest entry changes nothing; another equal
 * entry moves to the end; a full history drops its oldest to 19. */
void ShellHistoryAdd(CSLIST *history, const char *text);
/* The texts newest first. */
int ShellHistoryTexts(const CSLIST *history, const char **texts, int max);

/* Search fields (the location search's "<...>" field words). */
enum SearchField : int32_t {
    SF_QMNAME = 0x1, SF_LOCATION = 0x2, SF_GROUP = 0x4, SF_NETWORK = 0x8, SF_CONNECTION = 0x10,
};
/* A search: the patterns ("*term*" each, NUL-ended, then an empty one) in
 * a block of its own (tag "SEARCH"), or none; the fields to search. */
struct SHELLSEARCH {
    char *patterns;
    int32_t fields;                /* -1: all */
};
/* Builds a search from a field's text; allowFields: the "<...>" part. */
void ShellSearchBuild(SHELLSEARCH *search, const char *text, int allowFields);
void ShellSearchFree(SHELLSEARCH *search);
/* 1 when any pattern matches the text (letter case aside). */
int ShellSearchText(const SHELLSEARCH *search, const char *text);
/* What the searches ask of the host, installed with one ShellSearchSetHooks
 * call (null, or an unset hook: no connection names are searched). */
struct SHELLSEARCHHOOKS {
    void *context;
    /* The connection name of a location's client settings (null: none). */
    const char *(*connectionName)(void *ctx, const QMS *location, char *buffer, size_t size);
};
void ShellSearchSetHooks(const SHELLSEARCHHOOKS *hooks);
const SHELLSEARCHHOOKS *ShellSearchHooks(void);
bool LocMatchesSearch(const SHELLSEARCH *search, const QMS *record);
bool QMatchesSearch(const SHELLSEARCH *search, const char *queueName);

/* ---- tiling ------------------------------------------------------------ */

/* The windows of each band of n: at most k = ceil(sqrt(n)) bands; the
 * number of bands, their counts in out. */
int ShellTileBands(int n, int *counts, int max);
/* Rectangles of n windows over an area, in rows (806) or columns (805). */
void ShellTile(const AreaRect *area, int n, int rows, PlaceRect *out);

/* ---- the location context menu --------------------------------------- */

/* One row of the context-menu command table. */
struct CTXROW {
    int32_t id;                    /* -1: a separator */
    int32_t bitmap;                /* 501 and up, 0 none */
    const char *text;
    const char *submenu;           /* or null */
    uint64_t mask;                 /* authority mask; 0: none */
    uint32_t kinds;                /* object kinds */
    int needsConnection;           /* not for locations with "nc" or "fgn" */
    int32_t lastUse;               /* seconds */
    int32_t meanInterval;
};
extern CTXROW CtxRows[];
extern const int CtxRowCount;
/* The use of a command (seconds now). */
void NoteCommandUse(int32_t id, int32_t now);
/* Statistics kept by the profile. */
void SetCommandUsage(int32_t id, int32_t lastUse, int32_t meanInterval);
/* "(%d %d %d)" per row with an id, through put. */
void CommandUsageText(void (*put)(void *ctx, const char *text), void *ctx);

/* Where a row goes: the menu (submenu null) or a submenu. */
struct CTXITEM {
    int row;
    const char *submenu;
};
/* The settings the order reads. */
struct CTXSETTINGS {
    uint32_t po2, po3, po4;
    int32_t first;                 /* rows in the menu itself ("mitems") */
};
/* Whether a row applies to a location (null: none) for object kinds. */
int CtxRowApplies(const CTXROW *row, const QMS *location, uint32_t kinds, uint32_t po4);
/* The rows of a location's menu in order; the count.  Without an order
 * bit every row (separators too) goes in table order. */
int CtxMenuOrder(const QMS *location, uint32_t kinds, const CTXSETTINGS *settings,
                 CTXITEM *out, int max);
/* A row's text for a location (size bytes). */
void CtxRowText(const CTXROW *row, const QMS *location, int diagnostics, char *out, size_t size);

/* ---- the Windows menu ------------------------------------------------ */

/* The entry text of a command dialog: browser-style, several locations,
 * location name, via queue manager, title, object name, instance. */
struct WINENTRY {
    int browser;
    int several;
    const char *location;          /* or null */
    const char *viaQm;             /* or null / empty */
    const char *title;
    const char *objectName;        /* null: a nameless definition */
    uint32_t instance;
};
void ShellWindowEntryText(const WINENTRY *entry, char *out, size_t size);

/* ---- the queue-manager tree's lines ------------------------------------ */

/* Frame display flags. */
enum FrameFlag : uint32_t {
    FF_SEARCH = 0x8, FF_MQVERSION = 0x40, FF_DEPTH = 0x8000, FF_QMNAME = 0x10000,
    FF_LOCATION = 0x20000, FF_ZOOMED = 0x40000, FF_SEARCHQ = 0x80000, FF_QCOUNT = 0x100000,
    FF_PREFIX = 0x800000,
};
/* "(MQ9.1.5)" or, inLine, " - MQ9.1.5"; "(MQ?)" / " - MQ?" for level 0. */
void MQVersionText(int32_t level, int inLine, char *out, size_t size);
/* The name of a location as lines and titles show it. */
const char *ShellLocationName(const QMS *record);
/* A location line's text after its icons. */
void ShellLocationText(const QMS *record, uint32_t flags, int prefixInUse, char *out,
                       size_t size);

/* Where a queue goes under its location. */
enum QueuePlace { QP_NONE, QP_DIRECT, QP_OTHER, QP_SYSTEM };
enum { QT_LOCAL = 1, QT_MODEL = 2, QT_ALIAS = 3, QT_REMOTE = 6, QT_CLUSTER = 7 };
int ShellQueuePlace(uint32_t type, int cluster, const char *name);
/* A local queue's definition type left out of the tree (temporary
 * dynamic always, permanent dynamic unless po4 has 0x2000000). */
int ShellQueueHidden(uint32_t type, int32_t defType, uint32_t po4);
/* The icon index (into the bitmaps from 10) of a queue. */
int ShellQueueIcon(uint32_t type, int cluster, int depthKnown, uint32_t depthClass);
/* The name QLineOpen opens: after the first "/" of a line's text, else
 * the whole text (49 bytes). */
void ShellQueueLineName(const char *text, char *out);

/* ---- the timer ---------------------------------------------------------- */

/* 1 when search typing at tick has been quiet for more than delay ms. */
int ShellSearchDue(uint32_t now, uint32_t tick, int32_t delay);

/* ---- the file viewer ----------------------------------------------------- */

#define FILEVIEW_LIMIT 52428800u       /* 50 MB */
#define FILEVIEW_LOADING 0x100000u     /* above 1 MB: the "Loading" notice first */
/* The text check of a file's first 100 bytes: 1 text, 0 not. */
int ShellIsText(const unsigned char *bytes, size_t length);
/* Find in a text from the selection's start: 1 found after it, 2 found
 * by wrapping, 0 not found; *at the offset. */
int ShellFindText(const char *text, size_t length, size_t selection, const char *what,
                  size_t *at);
/* The error log and ini file of a location: path and title (300 and 100
 * bytes); 0 when no directory is known. */
struct SHELLMQFILES {
    int client;                    /* a client location */
    const char *errorPath;         /* MQERRORPATH or null */
    const char *clientIni;         /* MQCLNTCF or null */
    const char *dataPath;          /* GetQmgrDataPath's, or null */
    const char *qmName;
    char separator;
};
int ShellErrorLogPath(const SHELLMQFILES *in, char *path, char *title);
int ShellIniPath(const SHELLMQFILES *in, char *path, char *title);
