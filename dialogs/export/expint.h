/* Private to the export: the state of one run shared by the writers of
 * list rows (exprows.cpp), of objects (expobject.cpp) and the run itself
 * (exprun.cpp). */
#pragma once

#include "export.h"
#include "pcfint.h"

#define EXP_BUFFER 12000               /* an object's work buffer (tag "BUFFER") */
#define EXP_VALUE 300                  /* a row value's work buffer */
#define EXP_MAX_COLUMNS 512

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
    int widths[EXP_MAX_COLUMNS];       /* text columns, without the blank after each */
    PCFLISTAREA *mappedArea;           /* the area whose columns are mapped below */
    PCFFieldEntry *mapped[EXP_MAX_COLUMNS];   /* each column's entry of the object, or null */
    int dateWidth;
};

/* A line through the run's target. */
int ExpLine(EXPCTX *c, const char *text, int endLine);
/* A debug line, when asked for. */
void ExpDebug(EXPCTX *c, const char *format, ...);

/* List rows (text and CSV). */
int ExpShownColumn(const PCFLISTENTRY *column);
const char *ExpColumnTitle(const PCFFieldDef *field);
/* A row value as text in a buffer of EXP_VALUE bytes; *number is set for
 * values aligned to the right. */
const char *ExpRowValue(EXPCTX *c, const PCFFieldDef *f, const uint8_t *record, int textExport,
                        char *buffer, int *number);
void ExpMeasureColumns(EXPCTX *c, PCFLISTAREA *area, PCFROW **rows, int count);
void ExpWriteHeadings(EXPCTX *c, PCFLISTAREA *area);
int ExpWriteRow(EXPCTX *c, PCFLISTAREA *area, PCFROW *row, int isDefault);
/* A CSV value into out: leading blanks dropped (unless kept), quoted when
 * it holds the separator, a comma, a double quote, CR or LF. */
void ExpCsvValue(const char *text, char separator, int keepBlanks, char *out, size_t size);
/* Text for XML element content or attribute values. */
void ExpXmlEscape(const char *text, int attribute, char *out, size_t size);

/* Objects (MQSC, XML, and text or CSV of one object). */
void ExpRowToArea(EXPCTX *c, PCFLISTAREA *area, PCFROW *row);
/* -1 on an error (the message is in the run), 0 when skipped, 1 written. */
int ExpWriteObject(EXPCTX *c, PCFCommandDef *def, uint8_t *area, const char *name, int compared);
/* The object name of a row (its name column), or "". */
const char *ExpRowName(PCFLISTAREA *area, PCFROW *row, const PCFCommandDef *def, char *buffer,
                       size_t size);
/* The name of an object's data area. */
const char *ExpAreaName(PCFCommandDef *def, uint8_t *area);
