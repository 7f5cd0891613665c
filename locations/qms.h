/* The location record (QMS): one saved definition of how the program
 * reaches one queue manager, with its status and flag bits and its group.
 * The location store that owns the records is locstore.h. */
#pragma once

#include <cstdint>
#include "cslist.h"

#define QMS_NAME     48                /* queue-manager and queue names */
#define QMS_KEYLEN   98                /* name + NUL + second name + NUL */
#define QMS_LOCNAME  99
#define QMS_CMDLEN   127
#define QMS_EXPFILE  260
#define QMS_CHLNAME  20                /* client channel name */
#define QMS_NAMELISTS 9
#define QMS_CAPS     72

/* LocationFlags, flag word 1. */
enum LocationFlags : uint32_t {
    LF_ALARM = 0x1, LF_MVS = 0x2, LF_LOOP = 0x4, LF_NETWORK = 0x8,
    LF_NC = 0x10, LF_CLIENT = 0x20, LF_AUTO = 0x40, LF_NOTSAVED = 0x80,
    LF_QSG = 0x100, LF_SINGLE = 0x400, LF_CSL = 0x800, LF_UCO = 0x1000,
    LF_UCE = 0x2000, LF_UCN = 0x4000, LF_EXPA = 0x8000, LF_EXPD = 0x10000,
    LF_EXPS = 0x20000, LF_EXPC = 0x40000, LF_NDFTD = 0x80000,
    LF_USRP = 0x100000, LF_PS = 0x200000, LF_NPSAI = 0x400000,
    LF_HTTP = 0x800000, LF_HTTPD = 0x1000000, LF_OBJD = 0x2000000,
    LF_LOGNM = 0x4000000, LF_NAU = 0x8000000, LF_DRA = 0x10000000,
    LF_FGN = 0x20000000, LF_NOMQTT = 0x40000000, LF_USROAM = 0x80000000u,
};

/* LocationFlags, flag word 2. */
enum LocationFlags2 : uint32_t {
    LF2_USRSUC = 0x1, LF2_USRNPWCF = 0x2, LF2_NMSNOCHKDEF = 0x4,
    LF2_NMSNOCHKHEL = 0x8, LF2_SSLWK = 0x10, LF2_HTTPNB = 0x20,
    LF2_CRLF = 0x40, LF2_UCUSER = 0x80, LF2_UCPW = 0x100,
};

/* LocationStatus, the status word. */
enum LocationStatus : uint32_t {
    LS_CANTSEND = 0x2, LS_NORESPONSE = 0x4, LS_DISABLED = 0x8,
    LS_PROCESSNOW = 0x10, LS_SLAVE = 0x20, LS_MONITORED = 0x40,
    LS_INTREE = 0x80, LS_UNKNOWN = 0x4000, LS_UNAVAILABLE = 0x8000,
    LS_RESTARTING = 0x10000, LS_FIRSTOFRING = 0x10000000,
    LS_FIRSTREFRESH = 0x20000000, LS_CLNKEYWORD = 0x80000000u,
};

/* Internal state word. */
enum LocationState : uint32_t {
    LST_IDLE = 0x1, LST_REDISPLAY = 0x2, LST_DELETING = 0x4,
    LST_NEW = 0x8, LST_SUSPENDED = 0x20,
    LST_FREED = 0x40,                  /* on the freed-record list */
    LST_SAVECREDS = 0x100,             /* save the credentials after the
                                          next successful connection */
    LST_POOLED = 0x200,                /* the record's block is from the pool */
    LST_TOUCHPENDING = 0x400,          /* used while a download ran: touched
                                          by the timer once it is done */
};

/* Thread blocks: the parts the MQ engine owns stay opaque here. */
struct QMSTHREAD {
    int32_t hConn;                     /* -1 when not connected */
    uint16_t state;                    /* 0x1 running, 0x2 initialising,
                                          0x4 connected, 0x8 retrying */
    uint16_t spare;
    void *engine;                      /* the engine's own block */
};
#define QMSTHREAD_RUNNING 0x1

struct QMS;

/* A location group. */
struct QMSGROUP {
    CSTREE tree;                       /* key: the 49-byte name */
    char name[QMS_NAME + 1];
    QMS *first;                        /* members in name order */
    QMS *last;                         /* the last of them */
};

/* Cached-list status block (the location timer's own): flags 0x2
 * updates suspended, 0x4 the next refresh is a full one. */
struct QMSCACHE {
    uint32_t flags;
    uint32_t count;                    /* entries changed */
    int64_t time;
    uint32_t values;                   /* values changed */
};

struct QMS {
    CSTREE tree;                       /* links of the location tree */
    char qmName[QMS_NAME + 1];         /* key, first half */
    char secondName[QMS_NAME + 1];     /* key, second half */
    char viaQm[QMS_NAME + 1];
    char commandQueue[QMS_NAME + 1];
    char replyModel[QMS_NAME + 1];
    char sqName[QMS_NAME + 1];
    char groupName[QMS_NAME + 1];
    char replyPrefix[QMS_NAME + 1];
    char brokerQueue[QMS_NAME + 1];
    QMSGROUP *group;
    QMS *nextInGroup;
    uint32_t status;                   /* LocationStatus */
    uint32_t state;                    /* LocationState */
    /* the queue-manager refresh's marks (0x1 and 0x2 asked, 0x20000 list
     * replies arriving, 0x100000000 and 0x200000000 replied) and its
     * due word (0x2 the queue list is due); the older names stay until
     * every user has moved */
    union { uint64_t refreshMarks; uint64_t downloadState; };
    union { uint64_t refreshDue; uint64_t pendingReply; };
    uint32_t flags;                    /* LocationFlags */
    uint32_t flags2;                   /* LocationFlags2 */
    uint64_t authMask;
    uint32_t authWords[2];
    struct AUTQMASK *queueMasks;       /* from the authorities file */
    char queueList[QMS_NAME + 1];
    int32_t queueListLength;
    int64_t lastUsed;
    int64_t lastDownloadRequest;
    int64_t lastStatusPoll;
    int64_t lastAutoRefresh;
    QMS *nextInRing;
    const char *clientChannel;         /* shared text */
    const char *networkNames;          /* shared text */
    char *userId;                      /* block "USR" */
    char *password;                    /* block "PWD", never saved */
    uint8_t credentialsPending;        /* a worker waits for the credentials prompt */
    void *credDialog;                  /* the open credentials prompt */
    void *kdbEntry;
    const char *nameLists[QMS_NAMELISTS];   /* shared texts */
    uint32_t ccsidOverride, ccsidQm, ccsid;
    uint32_t encodingOverride, encodingQm, encoding;
    void *splashWindow;
    uint8_t splashShown;
    const char *securityGroup;         /* shared text */
    const char *securityGroupDesc;     /* shared text */
    QMSTHREAD putThread;
    QMSTHREAD getThread;
    int64_t lastAutoConnect;
    uint8_t threadStop;
    uint32_t downloadRetry;
    int64_t downloadRetryTime;
    uint32_t placementFlags;           /* 0x4 known, 0x20 set by the user */
    int64_t placement[3];              /* [1]: x low, y high (ux, uy) */
    const char *iconFile[4];           /* normal, error, connected, foreign */
    void *iconBitmap[4];
    int32_t autoRefresh, autoRefreshOpen;
    char exportFile[QMS_EXPFILE];
    uint32_t exportMask;
    int32_t exportType, exportDay, exportFrequency, exportInterval;
    int64_t exportTime;                /* next automatic export */
    int64_t exportLast;                /* last automatic export (not saved) */
    char locationName[QMS_LOCNAME + 1];
    char *displayName;
    char okCommand[QMS_CMDLEN + 1];
    char failCommand[QMS_CMDLEN + 1];
    void *clientDialog;
    void *clientSettings;              /* the client-connection data area */
    const char *ccdtUrl;               /* shared text */
    QMSCACHE caches[8];
    int32_t retryInterval, disconnectInterval;
    int32_t interval[4];               /* answering, second, silent, second */
    int64_t monitorSent, monitorAnswered;
    int64_t monitorCount, monitorTotalMs;
    char *lastError;
    char *placeholder;
    void *settingsWindow, *secondWindow;
    uint8_t caps[QMS_CAPS];
    uint32_t queueCount, queueMatchCount;
    int32_t platform, commandLevel;
    void *objectCaches;                /* owned by the location timer */
    uint8_t entriesChanged, valuesChanged;
    CSTREE *dialogs;                   /* saved dialogs of this location */
    CSTREE *evqTree;                   /* never filled */
    CSLIST mqscCommands;               /* texts of the "MQS:" block */
    void *openWindow;
    int32_t appView[4];
    uint16_t viewOptions;
    char appWindow[4];
    char lastQueue[QMS_NAME + 1];      /* the queue the put and load dialogs last used */
};
