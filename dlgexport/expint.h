/* Private to the export: the state of one run shared by the writers of
 * list rows (exprows.cpp), of objects (expobject.cpp) and the run itself
 * (exprun.cpp). */
#pragma once

#include "export.h"
#include "pcfint.h"

#define EXP_BUFFER 12000               /* an object's work buffer (tag "BUFFER") */
#define EXP_VALUE 300                  /* a row value's work buffer */
#define EXP_MAX_COLUMNS 512
#define EXP_OUT_BLOCK 65536            /* the run's output gathered before a write */
#define EXP_MEMO 4                     /* remembered integer stores per column */

/* What an MQSC export of a definition decides once per field entry (the
 * tests that do not depend on the object's values). */
struct EXPFIELD {
    const PCFCommandUse *use;          /* the row of the writing command, or null */
    uint8_t skip;                      /* EXPSKIP_ reason: not written */
    uint8_t useConditions;             /* the use row's conditions: tested per object */
    uint8_t staticFails;               /* applies fails whatever the values */
    uint8_t entryConditions;           /* the entry's conditions: tested per object */
    char keyword[64];
};
enum { EXPSKIP_NONE, EXPSKIP_QUIET, EXPSKIP_READONLY, EXPSKIP_UNUSED };

/* The name of the value a column showed last. */
struct EXPNAME {
    const char *name;                  /* null: none yet */
    int32_t value;
    size_t length;
};

/* A list value stored in the object's data area, remembered with the
 * record it made: the same value makes the same record again. */
struct EXPMEMO {
    int32_t value;
    uint8_t used;
    uint8_t before[6];                 /* the record the value was stored into */
    uint8_t record[6];                 /* the record it made: state and integer */
};

struct EXPCTX {
    EXPORTRUN *run;
    DialogWords *dialog;
    QMS *location;
    const uint8_t *caps;
    PCFCommandDef *objectDef;          /* the definition objects are written by */
    uint8_t *work;                     /* its temporary data area */
    char *buffer;                      /* EXP_BUFFER bytes */
    int debug;                         /* RAVOLT_EXPORT_DBG lines */
    const char *defaultNames;          /* the accepted default names, or null */
    char separator;                    /* the CSV separator */
    uint8_t csvClass[256];             /* CSV characters: 1 quoted, 2 also doubled */
    int widths[EXP_MAX_COLUMNS];       /* text columns, without the blank after each */
    PCFLISTAREA *mappedArea;           /* the area whose columns are mapped below */
    PCFFieldEntry *mapped[EXP_MAX_COLUMNS];   /* each column's entry of the object, or null */
    int dateWidth;
    char *out;                         /* outSize bytes of lines not yet written */
    size_t outUsed, outSize;
    int holding;                       /* an object's lines kept from holdFrom on */
    size_t holdFrom;
    PCFCommandDef *planDef;            /* the definition the plan below was made for */
    uint32_t planCommand;
    EXPFIELD *plan;                    /* one per field entry of planDef */
    int noPlan;                        /* every entry tested per object (as without memory) */
    PCFLISTAREA *groupArea;            /* the area whose columns grouping describes */
    int8_t grouping[EXP_MAX_COLUMNS];  /* 0 not known, 1 plain numbers, 2 grouped */
    EXPNAME names[EXP_MAX_COLUMNS];
    EXPMEMO memo[EXP_MAX_COLUMNS][EXP_MEMO];
    uint8_t memoNext[EXP_MAX_COLUMNS];
};

/* A line through the run's output block (long MQSC lines of a file
 * split); the block goes to the target when full and at ExpFlush. */
int ExpLine(EXPCTX *c, const char *text, int endLine);
int ExpLineN(EXPCTX *c, const char *text, size_t length, int endLine);
/* Writes the gathered lines to the target: 0, or -1 when it failed. */
int ExpFlush(EXPCTX *c);
/* An object's lines held in the block (which grows to take them all)
 * until they are kept or dropped: 1 holding, 0 without a block. */
int ExpHold(EXPCTX *c);
/* The held lines kept, or dropped as if never written; 0, or -1 when
 * the block could not hold them all (some went out already). */
int ExpRelease(EXPCTX *c, int keep);
/* Decimal text of an integer (signed or as unsigned 32 bits) into out
 * (12 bytes at least); its length. */
int ExpDecimal(int32_t value, int asUnsigned, char *out);
/* A debug line, when asked for. */
void ExpDebug(EXPCTX *c, const char *format, ...);

/* List rows (text and CSV). */
int ExpShownColumn(const PCFLISTENTRY *column);
const char *ExpColumnTitle(const PCFFieldDef *field);
/* A row value as text in a buffer of EXP_VALUE bytes; *number is set for
 * values aligned to the right.  column: the value's column of the area
 * last measured or written (what is learnt of its numbers is kept), or -1. */
const char *ExpRowValue(EXPCTX *c, const PCFFieldDef *f, const uint8_t *record, int textExport,
                        char *buffer, int *number, int column);
void ExpMeasureColumns(EXPCTX *c, PCFLISTAREA *area, PCFROW **rows, int count);
void ExpWriteHeadings(EXPCTX *c, PCFLISTAREA *area);
int ExpWriteRow(EXPCTX *c, PCFLISTAREA *area, PCFROW *row, int isDefault);
/* A CSV value into out: leading blanks dropped (unless kept), quoted when
 * it holds the separator, a comma, a double quote, CR or LF. */
void ExpCsvValue(const char *text, char separator, int keepBlanks, char *out, size_t size);
/* Text for XML element content or attribute values (tabs and line ends
 * as character references). */
void ExpXmlEscape(const char *text, int attribute, char *out, size_t size);
/* 1 when a text holds a character that an MQSC command (or, xml set, an
 * XML text) can not carry: a line end would end the command, and XML
 * has no form for the other control characters.  Tabs are carried. */
int ExpUncarried(const char *text, int xml);
/* The length of a text that MQSC can carry, or -1 (a control character
 * other than a tab). */
long ExpMqscLength(const char *text);
/* Notes an object left out for such a value in the run's warning. */
void ExpLeftOut(EXPCTX *c, const char *name);

/* Objects (MQSC, XML, and text or CSV of one object). */
void ExpRowToArea(EXPCTX *c, PCFLISTAREA *area, PCFROW *row);
/* -1 on an error (the message is in the run), 0 when skipped, 1 written. */
int ExpWriteObject(EXPCTX *c, PCFCommandDef *def, uint8_t *area, const char *name, int compared);
/* The object name of a row (its name column), or "". */
const char *ExpRowName(PCFLISTAREA *area, PCFROW *row, const PCFCommandDef *def, char *buffer,
                       size_t size);
/* The quoted MQSC text of a value (element i): PCFExportValueText's text,
 * made without formatting calls for integers, enumerations and strings. */
const char *ExpValueText(const uint8_t *area, const PCFFieldEntry *e, int i, char *buffer, int size);
/* The name of an object's data area. */
const char *ExpAreaName(PCFCommandDef *def, uint8_t *area);
