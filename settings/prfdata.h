/* The profile: the program-wide settings stored as the "AP:" block at the
 * head of the configuration file, and their defaults (the keys and what
 * each means: prfkeys.h).  The configuration file's reader and writer
 * (config/prffile.h) fill and write the record. */
#pragma once

#include <cstdint>
#include <cstdio>
#include "cslist.h"
#include "prffont.h"
#include "prfbits.h"

#define PRF_VERSION   933
#define PRF_COLOURS   66
#define PRF_SWITCHES  33
#define PRF_DIALOGS   24
#define PRF_NAMESTDS  9

/* Dialog rectangles, in the order of their keys. */
enum PrfDialog {
    DLG_ADD, DLG_LOC, DLG_PRF, DLG_SAVEM, DLG_LOADM, DLG_APIEX, DLG_EXP,
    DLG_FILE, DLG_PRNT, DLG_FILTERS, DLG_SYNCS, DLG_PUT, DLG_ALIST,
    DLG_COLOUR, DLG_PUB, DLG_DRASK, DLG_AR, DLG_GRAPH, DLG_GRAPHDLG,
    DLG_VERSION, DLG_TRCMSG, DLG_TRCMSGEXP, DLG_FR, DLG_PRGSZ,
};

/* View word and option words 1 and 2: the bits named by the flag keys. */
#define PRF_VIEW_LIST   0x1
#define PRF_OPT1_SNAPQM 0x1000
#define PRF_OPT1_SNAPGRID 0x2000
#define PRF_OPT1_ASNAPOBJ 0x80000
#define PRF_OPT1_ASNAPGRID 0x100000
#define PRF_OPT2_QMGR   0x10000
#define PRF_OPT2_LOC    0x20000

struct PRFDATA {
    int32_t storedVersion;             /* "ver" as read */
    int32_t main[8];
    int32_t mainQm[2], mainMsgs[2];
    int32_t mainMax;                   /* the main window was left maximised */
    char vct;
    int64_t vcl;
    int32_t vcf, vcn;
    int32_t view[4];                   /* vx vy vcx vcy, read only */
    uint16_t viewWord;
    uint32_t opt1, opt2;
    int32_t layout, dsplev, maxm, maxhdb, eosdl, maxb, msgsms, msgdsp;
    char disr[20];
    char dftsrchq[500], dftsrchloc[500];
    char pwc[300];
    int32_t tb, tds, autod, hsf, hso;
    int64_t tcma;
    int32_t cmdexp, sdelay, fint, prgdelay, objo, objr, objrty;
    const char *splashs, *splashqmn, *splashqms;       /* shared texts */
    const char *fmtdate, *fmtdatet, *fmtdatey;
    char dspwnd[4];
    int32_t mcsplitp, qmlistwid;
    char csvsep;
    int32_t dialogs[PRF_DIALOGS][4];
    uint32_t po[5], pom[5];            /* po, po2 .. po5 and their masks */
    uint32_t co, com;
    uint32_t iactx, iuctx;
    int16_t snapsz, asnapsz;
    int32_t appf, appff, trcmsgopt;
    int32_t putpers, putpmoo, pubpers, pubpmoo;
    int32_t alr, acr;
    const char *expText, *expMqsc;     /* shared texts */
    uint8_t edf;
    char eds;
    char sep1000[4], seplist[4], sepind[4];
    char loc[50];
    char st[30];
    char wsnd[120], asnd[120];
    char tf1[50], tf2[50], tf3[50];
    int32_t httpport, httpreqint, httpmaxrsp, httpretint;
    char httproot[260], httpincl[260], httpexcl[260];
    char httpdc[20];
    CSLIST httpbaddr;                  /* texts, tag "HTTPBADDR" */
    int32_t netf, netff;
    char *qmicon[4];                   /* n, b, g, f */
    char *appicon[3];                  /* a, i, b */
    char userfmtfile[300], savemsgfile[300], loadmsgfile[300];
    char expfile[260], sffile[260], hlpc[260], hlp[260];
    PRFFONT font, npfont, pfont;
    int16_t prnsp, prnvm, prnhm, prnvo, prnho;
    int32_t msgFormat;
    uint32_t msgFlags, msgFlags2, dumpFormat;
    const char *nameStandards[PRF_NAMESTDS];            /* shared texts */
    int32_t ccsid, tz;
    uint32_t colours[PRF_COLOURS];
    uint8_t colourKnown[PRF_COLOURS];  /* read, set by a scheme or the user */
    uint8_t switchOff[PRF_SWITCHES];   /* "prb" */
    int16_t chstype, chsrate;
    int32_t maxcsl, mitems, rfmaxrsp;

    /* derived on loading */
    int32_t tzEffective;
    int32_t keyboardCodepage;
    int32_t sepLength[3];
    int32_t disrFirst, disrLast;
    int32_t workCx, workCy;
    int loading;
    char *sections;                    /* the profile sections, as read */
};

extern PRFDATA Prf;

/* The defaults of every key (the record freed first). */
void PrfSetDefaults(void);
/* Frees what the record holds and clears it. */
void PrfFree(void);
/* "hlp" as the defaults set it: the writer leaves it out. */
extern char PrfHelpDefault[300];

/* Host part. */
int PrfHostScreenSize(int32_t *cx, int32_t *cy);       /* 0: not known */
int32_t PrfHostKeyboardCodepage(void);                 /* 0: not known */
/* -1 failed; else 2 when daylight time is in force; bias values in
 * minutes as the system gives them. */
int PrfHostTimeZone(int32_t *bias, int32_t *daylightBias);
int PrfHostProgramDir(char *buffer, size_t size);
