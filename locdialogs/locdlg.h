/* The location dialogs, window-free part: the rules of Add Location and
 * Location Settings (status line, network names, encodings, code pages,
 * the apply with its checks) and the model of Change Multiple Locations
 * (location entries, search, visibility, list lines, field values and
 * setting them).  The windows (locdlgwin.h) read their fields into these
 * records and show what the rules answer.
 *
 * What the dialogs ask of other parts (threads, the client-connection
 * command dialog, credentials, splash, files, repaint, the modeless list)
 * goes through LOCDLGHOOKS; an unset hook does nothing. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "locstore.h"
#include "locdlghooks.h"

struct DialogWords;

/* Window messages of the location dialogs. */
#include "ravoltids.h"

/* The change-location requirement of the authorities (location_change). */
#define LOC_CHANGE_MASK 0x300000000ull

/* Program-wide settings the dialogs read. */
struct LOCDLGSETTINGS {
    int diagnostics;                   /* developer diagnostics ("-d") */
    int32_t multiSize[2];              /* Change Multiple Locations' width, height; the
                                          other sizes and its split are the profile's */
};
extern LOCDLGSETTINGS LocDlgSettings;

/* ---- Add Location and Location Settings ------------------------------ */

/* Check boxes of the dialog, as bits of RTABINPUT.checks. */
enum RtabCheck : uint32_t {
    RTC_CRLF = 0x1, RTC_MVS = 0x2, RTC_CLIENT = 0x4, RTC_UCO = 0x8, RTC_UCE = 0x10,
    RTC_NAU = 0x20, RTC_AUTO = 0x40, RTC_OBJD = 0x80, RTC_DRA = 0x100, RTC_USRP = 0x200,
    RTC_SECEXIT = 0x400, RTC_USRSUC = 0x800, RTC_CACHEFILE = 0x1000, RTC_SSLWK = 0x2000,
    RTC_UCUSER = 0x4000, RTC_UCPW = 0x8000,
};

#define RTAB_TEXT 501                  /* network names and CCDT URL */
#define RTAB_SECGROUP 201              /* security group name and description */

/* Everything the dialog shows of a location, as its fields hold it. */
struct RTABINPUT {
    char location[QMS_LOCNAME + 1];
    char qmName[QMS_NAME + 1];
    char group[QMS_NAME + 1];
    char replyQueue[QMS_NAME + 1];
    char replyPrefix[QMS_NAME + 1];
    char commandQueue[QMS_NAME + 1];
    char networkNames[RTAB_TEXT];
    char ccdtUrl[RTAB_TEXT];
    char retry[16], disconnect[16];
    char ccsid[16], encoding[32];
    char commandLevel[16];
    char secGroup[RTAB_SECGROUP], secGroupDesc[RTAB_SECGROUP];
    uint32_t checks;                   /* RtabCheck bits */
};

/* How an apply ended. */
enum RtabResult {
    RTAB_OK = 0,
    RTAB_MANDATORY,                    /* "Please enter a value for '%s'" (title) */
    RTAB_FIELD_ERROR,                  /* a "Field error" box with text */
    RTAB_NETWORK_NAMES,                /* an "Invalid Network Name" box with text */
    RTAB_DUPLICATE,                    /* a note box with text */
};

struct RTABERROR {
    int result;                        /* RtabResult */
    int field;                         /* control id of the field to focus */
    const char *title;                 /* the field's title (RTAB_MANDATORY) */
    char text[200];
};

/* Field ids of the dialogs. */
enum RtabField {
    RTF_STATUS = 103, RTF_CMDQ = 104, RTF_QMNAME = 105, RTF_ERROR = 115, RTF_MVS = 120,
    RTF_RETRY = 145, RTF_DISC = 146, RTF_CLIENT = 148, RTF_CONFIGURE = 149,
    RTF_REPLYQ = 150, RTF_AUTO = 151, RTF_GROUP = 166, RTF_NETNAMES = 228,
    RTF_REPLYPFX = 265, RTF_UCO = 283, RTF_UCE = 284, RTF_USRP = 324, RTF_CMDLVLTITLE = 326,
    RTF_CMDLVL = 325, RTF_OBJD = 370, RTF_NAU = 375, RTF_DRA = 376, RTF_SECEXIT = 441,
    RTF_USRSUC = 442, RTF_CACHEFILE = 480, RTF_SETPW = 482, RTF_DELPW = 483,
    RTF_SSLWK = 519, RTF_CCSIDP = 532, RTF_CCSIDQ = 533, RTF_CCSID = 534, RTF_ENCP = 535,
    RTF_ENCQ = 536, RTF_ENC = 537, RTF_CRLF = 538, RTF_LF = 539, RTF_CCDT = 549,
    RTF_SPLASH = 562, RTF_UCUSER = 574, RTF_UCPW = 575, RTF_SECGROUP = 577,
    RTF_SECDESC = 578, RTF_KDB = 604, RTF_LOCATION = 101, RTF_APPLY = 131,
    RTF_CONNECT = 957, RTF_INIFILE = 958, RTF_ERRLOG = 959, RTF_TABS = 130,
};

/* Encoding names. */
const char *RtabEncodingName(uint32_t encoding);       /* "" when not listed */
uint32_t RtabEncodingValue(const char *name);          /* 0 when not listed */
extern const char *const RtabEncodingNames[];          /* null-ended, in table order */

/* The status line from the thread states and the status word; with
 * diag (two get-thread counters and the download state) the diagnostics
 * are appended. */
void RtabStatusText(uint16_t put, uint16_t get, uint32_t status, const int64_t *diag,
                    char *out, size_t size);
/* 1 when every name (blanks and commas between) has at most 20
 * characters, else 0 with the message. */
int RtabCheckNetworkNames(const char *text, char *message, size_t size);
/* The window title: "Add Location" or "Location Settings" and the
 * queue-manager name. */
void RtabTitle(int addMode, const char *qmName, char *out, size_t size);
/* The connect button: its text, and whether it is enabled. */
const char *RtabConnectText(const QMS *record, int *enabled);

/* The code-page fields as shown: override, queue manager's, effective. */
struct RTABCODEPAGES {
    char ccsid[3][16];
    char encoding[3][32];
};
void RtabCodepageTexts(const QMS *record, RTABCODEPAGES *out);
/* Reads the two override fields into the record; 1 when either changed. */
int RtabReadCodepages(QMS *record, const char *ccsid, const char *encoding);

/* The fields of a record; the record's values read back from fields. */
void RtabLoad(const QMS *record, RTABINPUT *in);
/* Which fields are enabled for the record and the check boxes shown. */
struct RTABENABLES {
    int configure, ccdtUrl;            /* client part */
    int secExit, usrsuc, cacheFile, setPassword, deletePassword, ucUser, ucPassword;
    int apply;                         /* Add/OK and Apply: the authorities allow */
    int commandQueue, disconnect;
};
void RtabEnables(const QMS *record, uint32_t checks, RTABENABLES *out);
/* Copies the settings of a location being copied into the dialog's record. */
void RtabCopySource(QMS *to, const QMS *from);
/* The reply-queue rule: null when it holds, else the text. */
const char *RtabReplyQueueRule(const char *viaQm, const char *replyQueue);
/* 1 when the scratch record differs from the record in what makes the
 * connection (names, queues, via queue manager, sq name). */
int RtabConnectionChanged(const QMS *record, const QMS *scratch);
/* Stores the Security tab; a changed description goes to every location
 * of the same security group (posted to reload). */
void RtabApplySecurity(QMS *record, const RTABINPUT *in);
void SecGroupSync(QMS *record);
/* Posts UM_LOC_RELOAD to the record's settings dialog, if open. */
void PostDialogRefresh(QMS *record);

/* The apply of "Add"/"OK"/"Apply": 0 (RTAB_OK) when stored; in add mode
 * *created is the new location of the tree, which took over everything the
 * private record held (the record is left zeroed, its block the caller's
 * to free).  Every failure stops with the record as updated so far. */
int RtabApply(QMS *record, int addMode, const RTABINPUT *in, QMS **created, RTABERROR *error);

/* The client channel: the record's area, made and preset to a client
 * connection over TCP/IP when it has none; the completion of the client
 * dialog, which drops an area without a channel name. */
uint8_t *RtabClientArea(QMS *record);
void CfgClient(DialogWords *dialog);
/* The values of the security-group combo boxes: distinct texts of every
 * location, in tree order, through the callback. */
void RtabSecurityGroups(int descriptions, void (*add)(void *ctx, const char *text), void *ctx);
/* The distinct group names and network-names texts of every location. */
void RtabGroupNames(void (*add)(void *ctx, const char *text), void *ctx);
void RtabNetworkNamesTexts(void (*add)(void *ctx, const char *text), void *ctx);

/* ---- Change Multiple Locations --------------------------------------- */

/* Field row types. */
enum MultiChgType {
    MCT_STRING = 1, MCT_SHARED = 2, MCT_FLAG = 3, MCT_INT = 4, MCT_INTERVAL = 5,
    MCT_CHLSTRING = 7, MCT_CHLINT = 8, MCT_CHLENUM = 10,
};
#define MCF_LIST     0x1               /* a comma-separated list */
#define MCF_INVERTED 0x2
#define MCF_READONLY 0x4
#define MCF_REGROUP  0x8

struct MultiChgValue {
    const char *name;
    int32_t value;
    const char *keyword;
};

struct MultiChgField {
    const char *name;
    int32_t id;
    int type;                          /* MultiChgType */
    size_t offset;                     /* in QMS, or the MQ attribute id */
    uint32_t length;                   /* length or mask */
    uint32_t flags;
    const char *categories;
    const MultiChgValue *values;
};
extern const MultiChgField MultiChgFields[];
extern const int MultiChgFieldCount;

struct MCQMS {
    QMS *location;
    uint32_t selected;
    uint32_t visible;
    uint32_t matches;                  /* value-matches mark */
    uint32_t width;                    /* text width of the shown name */
};

#define MC_PATTERN 504

struct MCDIALOG {
    void *window, *locList, *fieldList, *dd;
    int count;
    char locPattern[MC_PATTERN];
    int locPatternLength;
    char fieldPattern[MC_PATTERN];
    int fieldPatternLength;
    MCQMS *entries;                    /* tag "MCQMS" */
    int byQmName;                      /* 1 queue-manager name, 0 location name */
    int measured;
    int selectedOnly, invert, valuesOnly;
    const MultiChgField *field;        /* the chosen row, or null */
    int visibleCount, selectedCount;
    int allEqual;
    MCDIALOG *next;                    /* the next open dialog */
};

/* Builds the entries from the locations of a tree that the authorities
 * let the user change. */
int MultiChgBuild(MCDIALOG *d, CSTREE *tree);
void MultiChgFree(MCDIALOG *d);
/* Drops a location's entry (it is being deleted); 1 when it had one. */
int MultiChgForget(MCDIALOG *d, const QMS *location);
/* A search text into the pattern; 1 when the visibility changed. */
int MultiChgSetSearch(MCDIALOG *d, const char *text);
int MultiChgVisibility(MCDIALOG *d);
/* The list lines: text and entry index (-1 for the plain "p" line). */
void MultiChgLines(MCDIALOG *d, void (*line)(void *ctx, const char *text, int index), void *ctx);
void MultiChgStatusText(const MCDIALOG *d, char *out, size_t size);
/* 1 when a field row is listed for the field search text. */
int MultiChgFieldListed(const MultiChgField *f, const char *search);
void MultiChgChooseField(MCDIALOG *d, const MultiChgField *f, char *title, size_t size);
const char *MultiChgValueText(MCDIALOG *d, char *buffer, size_t size, QMS *location);
/* The current value over the selected entries (sets allEqual and every
 * entry's value-matches mark); the choices of "New: " through add. */
void MultiChgCurrent(MCDIALOG *d, char *out, size_t size,
                     void (*add)(void *ctx, const char *text), void *ctx);
/* 1 when the text is a value the field can take (a number for a number
 * field, a name of its list for a choice); a refused text changes no
 * location. */
int MultiChgValueAccepted(const MultiChgField *f, const char *text);
/* 1 when the location's value was changed. */
int MultiChgSetValue(MCDIALOG *d, MCQMS *entry, const char *text);
/* Add or remove one element of the selected locations' lists; the count
 * of locations changed. */
int MultiChgListEdit(MCDIALOG *d, const char *text, int add);
/* A list text with an element added or removed (out holds size bytes);
 * 1 when it changed. */
int MultiChgListAdd(const char *list, const char *item, char *out, size_t size);
int MultiChgListRemove(const char *list, const char *item, char *out, size_t size);
/* Selection operations: 0 select visible, 1 deselect visible, 2 deselect
 * all, 3 toggle one entry. */
void MultiChgSelect(MCDIALOG *d, int how, int index);
struct MCBUTTONS {
    int setValue, add, remove, newValue;
};
void MultiChgButtons(const MCDIALOG *d, MCBUTTONS *out);
/* Sets the new value in every selected location; the count changed. */
int MultiChgSetAll(MCDIALOG *d, const char *text);
