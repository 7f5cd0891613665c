/* Import of locations: the candidate entries and the record of an import
 * window, the four imports (local queue managers, a channel definition
 * table, another configuration file with the master configuration, an MQ
 * Explorer export file) and the building of locations from entries.
 *
 * The window-free core below is what the windows (impwnd.h, Windows only)
 * call; its message boxes, the hand-over of the local list to the main
 * frame and the Location Settings dialog go through IMPORTHOOKS, whose
 * unset members fall back to the host's own (Win32 in the product,
 * nothing natively). */
#pragma once

#include <cstdint>
#include "ccdt.h"
#include "locstore.h"
#include "imphooks.h"

/* Kind and option bits of an import window. */
enum ImportKind : uint32_t {
    IMP_LOCAL = 1, IMP_CCDT = 2, IMP_MQEX = 4,
    IMP_SETGROUP = 8,                  /* use the MQ Explorer set as group */
    IMP_SETNAMES = 16,                 /* ... the sets as network names */
    IMP_CONFIG = 32
};

/* Flag word 2: the location is held by the master configuration (not saved). */
#define LF2_MASTER 0x200

#define IMP_FILE_SIZE  301             /* field 412 */
#define IMP_NAMES_SIZE 500             /* network names */
#define IMP_GROUP_TEXT "< Adopt Group from file >"
#define IMP_NAMES_TEXT "< Adopt Network Names from file >"

/* One row of an import window's list. */
struct IMPORTENTRY {
    IMPORTENTRY *next;
    char qmName[QMS_NAME + 1];
    char channel[CHL_NAME + 1];
    char connection[265];
    /* read from an MQ Explorer handle */
    char securityExit[129];
    char securityData[33];
    char cipher[65];
    char viaQm[QMS_NAME + 1];
    int32_t viaConnection;
    char peerName[1001];
    char ccdt[261];
    char userId[65];
    int32_t commandLevel;
    int32_t platform;
    int32_t autoReconnect;
    char group[QMS_NAME + 1];
    char networkNames[IMP_NAMES_SIZE];
    char uniqueId[128];
    /* a channel table's: position in a JSON list (0 binary) */
    int32_t position;
    /* a configuration file's: its location in the window's file tree */
    QMS *fileLocation;
    uint8_t selectable, differs, exists;
};

/* The record of one import window ("IMPORTQMLIST"). */
struct IMPORTLIST {
    uint32_t kind;                     /* ImportKind bits */
    IMPORTENTRY *entries;              /* in list order */
    void *dialog;                      /* the dynamic dialog */
    void *window;
    int32_t widestQm, widestChannel;
    CSTREE *fileTree;                  /* the configuration file's locations */
    char fileName[IMP_FILE_SIZE];      /* the file read (resolved) */
    int32_t filled;                    /* the list has been filled once */
};

/* The master configuration of "-j", and "-J". */
extern char ImportMasterPath[300];
extern int ImportMasterPrune;

/* ---- windows' records and entries ---------------------------------------- */

IMPORTLIST *ImportListCreate(uint32_t kind);
/* Frees the entries and the record; deletes the configuration file's
 * locations. */
void ImportListFree(IMPORTLIST *list);
void ImportFreeEntries(IMPORTLIST *list);
IMPORTENTRY *ImportNewEntry(IMPORTLIST *list, const char *qmName);
/* Marks each entry existing (some location has its queue-manager name) and
 * selectable (the opposite). */
void ImportMarkEntries(IMPORTLIST *list);
/* Whether the list shows an entry (hide: "Hide non-selectable entries"). */
int ImportEntryShown(const IMPORTLIST *list, const IMPORTENTRY *entry, int hide);
/* The "QM Group" preset from the groups of the local locations (empty when
 * none fits). */
void ImportPresetGroup(char *group);
/* A box through the hooks. */
void ImportBox(IMPORTLIST *list, const char *text, const char *caption, int error);

/* Builds and creates the location of an entry (channel: the channel
 * record to use, or null); null when it is not made. */
QMS *ImportCreateLocation(IMPORTLIST *list, IMPORTENTRY *entry, const CHLDEF *channel,
                          const char *group, const char *names);
/* Imports rows of a local, channel-table or MQ Explorer list and shows the
 * result box; the number of locations made. */
int ImportEntries(IMPORTLIST *list, IMPORTENTRY **rows, int count, const char *group,
                  const char *names, int mvs);

/* ---- channel tables --------------------------------------------------------- */

/* 1 when the table named is JSON: by its name, else by its first byte. */
int ImportCcdtIsJson(const char *spec);
/* "Read CCDT": the table named in list->fileName. */
void ReadCCDTFile(IMPORTLIST *list);
/* The default table path of field 412. */
void ImportDefaultCcdtPath(char *path);

/* ---- local queue managers ----------------------------------------------------- */

/* The local queue managers without a location, from mqs.ini or the
 * registry; null when there are none. */
IMPORTLIST *ImportFindLocalQMgrs(void);
void ImportLocalQMgrs(int interactive);
/* Queue-manager names of an mqs.ini text, in order, to the callback. */
void ImportReadMqsIni(FILE *file, void (*name)(void *ctx, const char *qm), void *context);

/* ---- configuration files --------------------------------------------------------- */

QMS *ImportFindLocation(const char *qmName, const char *secondName);
int LocDiffers(const QMS *defined, const QMS *file);
QMS *ImportLocationFromFile(QMS *file, const char *group, const char *names);
void ReadConfigImportFile(IMPORTLIST *list);
int ImportConfigEntries(IMPORTLIST *list, IMPORTENTRY **rows, int count, const char *group,
                        const char *names);
void ImportMasterConfig(void);
/* Deletes every location of a tree of its own. */
void ImportEmptyTree(CSTREE **tree);

/* ---- MQ Explorer export files ------------------------------------------------------ */

void ReadMQExplorerFile(IMPORTLIST *list);
void ParseMQExplorerXml(IMPORTLIST *list, const char *text);
int ParseQMgrHandle(const char *element, IMPORTENTRY *entry);
/* One attribute token at *cursor: 1 at the end of the text. */
int ScanToken(const char **cursor, char *token, int size, int *length);
/* The channel cipher specification of an SSL or TLS cipher suite name. */
void ImportMapCipher(char *cipher);

/* ---- the location's client channel settings ------------------------------------------ */

/* Fills client channel settings (a data area of the client-connection
 * definition) from a channel record: 0, or non-zero when a list could not
 * be stored. */
int ConvertChannel(const CHLDEF *channel, uint8_t *settings);
/* New settings ("pClCfgData") filled from a channel record; null without
 * storage. */
uint8_t *ImportClientSettings(const CHLDEF *channel);
/* The channel name and connection name of a location's client settings
 * (empty without them). */
void ImportClientNames(const QMS *location, char *channel, char *connection);

/* ---- host parts ------------------------------------------------------------------ */

void ImportHostBox(void *owner, const char *text, const char *caption, int error);
void ImportHostPostLocal(IMPORTLIST *list);
void ImportHostSettings(QMS *location, int event);
/* The registry's queue managers, each to the callback. */
void ImportHostRegistryQMgrs(void (*name)(void *ctx, const char *qm), void *context);
