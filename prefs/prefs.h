/* The Preferences dialog, window-free part: the option rows of its
 * lists with their working copies of the option words, the time-format
 * templates and samples, the sound times, and the apply that checks and
 * stores every field in the profile and announces what changed.  The
 * window (prefwin.h) reads its fields into a PREFINPUT.
 *
 * What the dialog asks of other parts (repaint, colours, password cache,
 * user formats, location lists, splash) goes through PREFHOOKS; an unset
 * hook does nothing. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "prffile.h"
#include "prefhooks.h"

/* The option words a row names. */
enum PrefWord {
    PW_HEADING = 0, PW_MAIN, PW_PO, PW_PO2, PW_PO3, PW_PO4, PW_PO5, PW_CO, PW_TB, PW_TDS,
    PW_COUNT
};

/* Working copies of the option words, indexed by PrefWord. */
struct PREFWORDS {
    uint32_t word[PW_COUNT];
};

struct PrefOptionRow {
    int word;                          /* PrefWord; PW_HEADING for a heading */
    uint32_t bit;
    uint32_t group;                    /* rows with the same non-zero group exclude each other */
    uint32_t inverted;
    const char *text;
};

struct PrefOptionList {
    int id;                            /* list control */
    const PrefOptionRow *rows;
    int count;
};
extern const PrefOptionList PrefOptionLists[];
extern const int PrefOptionListCount;
const PrefOptionList *PrefFindOptionList(int id);

/* The words as the profile holds them, and back. */
void PrefTakeWords(PREFWORDS *w);
void PrefStoreWords(const PREFWORDS *w);
/* A row shown selected: its bit set, or clear for an inverted row. */
int PrefRowOn(const PrefOptionRow *row, const PREFWORDS *w);
/* A row turned on or off in the working words; turning a row of an
 * exclusive group on turns the others off, and the one row on of a group
 * stays on. */
void PrefRowSet(const PrefOptionRow *row, PREFWORDS *w, int on);

/* ---- value rows, time formats, names ------------------------------------ */

struct PrefValueRow {
    int32_t value;
    const char *text;
};
extern const PrefValueRow PrefEosdlRows[], PrefAddContextRows[], PrefUpdateContextRows[];
/* The row of a value, or null; the value of a text (0 with none found). */
const PrefValueRow *PrefValueOf(const PrefValueRow *rows, int32_t value);
const PrefValueRow *PrefValueByText(const PrefValueRow *rows, const char *text);

extern const char *const PrefTimeTemplates[];      /* 13 date-mask patterns with "%s" */
extern const int PrefTimeTemplateCount;
extern const char *const PrefDateFormats[];        /* "DD/MM/YYYY" ... */
extern const char *const PrefDateSeparators[];
extern const char *const PrefLocales[];            /* "Default", then the names offered */
extern const char *const PrefNotifyTexts[];        /* and their letters B, V, N */
extern const char PrefNotifyLetters[];

/* The sample moment of the time formats: 17 February 2021 19:37:14 local. */
int64_t PrefSampleMoment(void);
/* Template i with the separator put in (a "%" pattern of the date masks). */
void PrefTimeTemplate(int i, char separator, char *out, size_t size);
/* A time format expanded for a moment. */
void PrefTimeSample(const char *format, int64_t moment, char *out, size_t size);
/* The greatest length of the templates formatted for now: the width of
 * date columns (kept in PrefDateWidth). */
int DateFormatMeasure(const char *const *templates, int count);
extern int PrefDateWidth;
/* A date in an export date format (0 to 3) with a separator. */
void PrefDateExample(int format, char separator, int64_t moment, char *out, size_t size);

/* "5:0:0" gives "5", a first part of 0 gives ""; 1 when the text read. */
void PrefNormaliseSoundTimes(const char *text, char *out, size_t size);
/* An interval text in seconds: number and unit words, or a plain number
 * of seconds; -1 when neither. */
int64_t PrefParseInterval(const char *text);
void PrefIntervalText(int64_t seconds, char *out, size_t size);
/* The time zone line: "%.2f hours", with " (DST)" while daylight time applies. */
void PrefTimeZoneText(int32_t minutes, int dst, char *out, size_t size);

/* ---- the apply ------------------------------------------------------------ */

/* What the apply compares against (taken when the dialog opens and after
 * each Apply). */
struct PREFCOPY {
    PREFWORDS words;
    int32_t eosdl, maxhdb;
    char userfmtfile[300];
};
void PrefTakeCopy(PREFCOPY *copy);
/* The repaint mask of what changed between two copies. */
uint32_t PrefRepaintMask(const PREFCOPY *before, const PREFCOPY *after);

/* Every field of the dialog as its text. */
struct PREFINPUT {
    PREFWORDS words;                   /* the option lists */
    char locale[50], browseCcsid[16];
    char userfmtfile[300];
    char expText[300], expMqsc[300];
    char dateFormat[20], dateSeparator[4];
    char maxhdb[16];
    char cmdexp[40], csvsep[8];
    char splash[3][300];               /* start-up, normal, specific */
    char notify[40];
    int useCacheFile, accessOnStart;
    char pwc[300];
    char eosdl[40], iactx[40], iuctx[40];
    char wsnd[120], asnd[120], st[30];
    char disr[20], maxm[16], maxb[16], msgsms[16], msgdsp[16];
    char autod[40], hso[16], hsf[16], prgdelay[16], fint[16];
    char sep1000[4], seplist[4], sepind[4];
    char sffile[260];
    char tf1[50], tf2[50], tf3[50];
    char timeFormat[50], timeToday[50], timeYesterday[50];
    int last24h, localTimes, systemZone;
    char timeZone[16];
    char hlpc[260], hlp[260];
};

/* Field ids. */
enum PrefField {
    PF_TZ = 307, PF_LOCALTIMES = 308, PF_SYSTEMZONE = 309, PF_TF1 = 304, PF_TF2 = 305,
    PF_TF3 = 306, PF_HSF = 334, PF_HSO = 335, PF_CSVSEP = 337, PF_CMDEXP = 342,
    PF_HLP = 365, PF_DISR = 374, PF_MAXB = 407, PF_MSGSMS = 409, PF_MSGDSP = 410,
    PF_EXPTEXT = 428, PF_EXPTEXTSAMPLE = 429, PF_EXPMQSC = 430, PF_EXPMQSCSAMPLE = 431,
    PF_SEP1000 = 432, PF_SEPLIST = 433, PF_SEPIND = 434, PF_SFFILE = 466, PF_PWC = 478,
    PF_PWCACTUAL = 479, PF_USECACHE = 480, PF_ACCESSSTART = 481, PF_SETPW = 482,
    PF_ACCESS = 484, PF_DATEFORMAT = 485, PF_DATESEP = 486, PF_DATEEXAMPLE = 487,
    PF_FLASH = 497, PF_UFFILE = 543, PF_UFRELOAD = 544, PF_MAXHDB = 545, PF_EOSDL = 546,
    PF_HLPC = 547, PF_SPLASHS = 550, PF_SPLASHSTEST = 551, PF_NOTIFY = 556,
    PF_SPLASHQMN = 558, PF_SPLASHQMNTEST = 559, PF_SPLASHQMS = 560, PF_SPLASHQMSTEST = 561,
    PF_IACTX = 598, PF_IUCTX = 599, PF_TIMEFORMAT = 1000, PF_TIMESAMPLE = 1001,
    PF_TODAY = 1002, PF_TODAYSAMPLE = 1003, PF_YESTERDAY = 1004, PF_YESTERDAYSAMPLE = 1005,
    PF_TODAYRADIO = 1006, PF_LAST24H = 1007, PF_PRGDELAY = 1016, PF_WSND = 211, PF_ASND = 210,
    PF_WPLAY = 234, PF_APLAY = 235, PF_ST = 268, PF_LOCALE = 226, PF_CCSID = 227,
    PF_MAXM = 230, PF_AUTOD = 264, PF_APPLY = 131,
};

struct PREFERROR {
    int field;                         /* the field to focus */
    char text[200];
};

/* The fields as the profile holds them. */
void PrefLoad(PREFINPUT *in);
/* The apply: 0 with everything stored and announced, else the failed
 * check (the settings applied before it stay). */
int PrefApply(const PREFINPUT *in, PREFCOPY *copy, void *owner, PREFERROR *error);

/* The export title sample of a template. */
void PrefTitleSample(const char *templ, int mqsc, char *out, size_t size);
