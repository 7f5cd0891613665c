/* User formats, internals: the loaded set ("generation") with its pool and
 * indexes, the rule tree, the parser's state and token reader, and the
 * helpers that the parser's files and the summaries share. */
#pragma once

#include "userfmt.h"
#include "cslist.h"
#include "csmem.h"
#include <cstddef>
#include <cstdint>

/* ---- The loaded set ----------------------------------------------------- */

/* A conditional value of one row. */
struct UFCOND {
    uint16_t type;              /* the field's type */
    uint32_t length;            /* hex: bytes; char: text length; numbers: width */
    int64_t number;
    unsigned char *bytes;       /* hex bytes, or the text in the display code page */
    unsigned char *converted;   /* char: the text in convertedCcsid */
    uint32_t convertedCcsid;    /* 0: none yet */
};

/* A user structure; its FmtStructDef comes first, so a definition built at
 * run time (state bit 1) is one of these. */
struct UFSTRUCT {
    FmtStructDef def;
    const char *name;
    CSTREE *fields;             /* UFFIELD entries by field name */
    UFCOND **conds;             /* per row, null where none */
    uint32_t rowCount;
    uint32_t variable;          /* its size depends on the data */
};

static inline UFSTRUCT *UFStructOf(const FmtStructDef *def)
{
    return def && (def->state & 1) ? (UFSTRUCT *)def : nullptr;
}

struct UFFIELD {
    FmtFieldDef *field;
    uint32_t row;
};

enum { UF_ENUM_INT = 1, UF_ENUM_CHAR = 2 };
struct UFENUM {
    const char *name;
    uint32_t kind;
    FmtValueName *table;
};

/* Tree entry of the three indexes: the key (a string) then the record. */
struct UFINDEX {
    CSTREE header;
    const char *key;
    void *record;
};

enum { UFR_QUEUE = 1, UFR_FORMAT = 2, UFR_LIST = 3 };

struct UFNAME {
    UFNAME *next;
    const char *text;           /* "$none": the empty name */
    uint32_t length;
    FmtStructDef *def;          /* structure lists */
    const UFOverride *override;
};

struct UFRULE {
    UFRULE *next;
    UFRULE *child;
    UFNAME *names;
    uint32_t kind;
    uint8_t bodyKind;
};

struct UFGEN {
    CSSTATIC pool;
    CSTREE *structs;            /* "Struct" */
    CSTREE *enums;              /* "Enumm" */
    UFRULE *rules;
    UFFormatName *names;
};

UFGEN *UFCurrent(void);
UFGEN *UFBuilding(void);
void *UFAlloc(UFGEN *gen, size_t size);         /* zeroed, 8-byte aligned */
char *UFStrDup(UFGEN *gen, const char *text, size_t length);
UFSTRUCT *UFFindStruct(UFGEN *gen, const char *name);
UFENUM *UFFindEnum(UFGEN *gen, const char *name);
int UFIndexAdd(CSTREE **root, const char *tag, const char *key, void *record);
void *UFIndexFind(CSTREE *root, const char *key);
const UFPREFS *UFPrefs(void);
/* Through the program's reporter, else the default box. */
void UFReport(void *owner, const char *text, const char *caption);

/* ---- The parser ----------------------------------------------------------- */

enum { TK_END, TK_WORD, TK_QUOTED, TK_OP };

struct UFTOKEN {
    const char *text;
    uint32_t length;
    uint32_t line;
    uint32_t kind;
};

#define UF_MAX_INCLUDE_DEPTH 16

struct UFPARSER {
    UFPARSER *parent;           /* the including file's */
    UFGEN *gen;
    void *owner;
    char path[320];
    char *buffer;               /* the whole file, NUL-ended */
    const char *pos, *end;
    uint32_t line;
    UFTOKEN back;               /* a token put back */
    int hasBack;
    uint32_t depth;
    int *errors;                /* shared by the include chain */
};

/* Token reader flags */
enum { UFT_SEMI = 1,            /* ";" is expected here: hand it out */
       UFT_SAME_LINE = 2 };     /* only a token on the current line */

int UFNext(UFPARSER *p, UFTOKEN *t, int flags);
void UFUnget(UFPARSER *p, const UFTOKEN *t);
/* The rest of the current line, trimmed (the statement's description). */
uint32_t UFRestOfLine(UFPARSER *p, const char **text);
int UFIs(const UFTOKEN *t, const char *word);
int UFIsNoCase(const UFTOKEN *t, const char *word);

/* Reports an error (one "At line" line per file of the include chain) and
 * returns 0.  argLength -1: a NUL-ended argument; fmt without "%.*s" takes
 * none. */
int UFParseError(void *owner, UFPARSER *p, const char *fmt, const char *arg, int argLength);
/* An error the parse goes on after: reported without the stopped note. */
void UFParseWarning(UFPARSER *p, const char *fmt, const char *arg, int argLength);
/* "Expected '%s' missing." or "'%.*s' found where '%s' expected." */
int UFExpect(UFPARSER *p, const char *word, int flags);
int UFExpectedError(UFPARSER *p, const UFTOKEN *t, const char *word);
/* A name of a kind ("Structure", "Field", "Enumeration", "Array"). */
int UFReadName(UFPARSER *p, UFTOKEN *t, const char *kind, int flags);
int UFValidName(const UFTOKEN *t);
/* The token as a NUL-ended key of the indexes. */
void UFTokenKey(const UFTOKEN *t, char *key, size_t size);
/* A name of a kind found in an index: its record, or null with notDefined
 * reported. */
void *UFReadDefined(UFPARSER *p, UFTOKEN *t, const char *kind, CSTREE *index, const char *notDefined);
/* The name of a new statement, on its keyword's line and not yet in the
 * index (else defined is reported), as a key. */
int UFReadNewName(UFPARSER *p, const char *kind, CSTREE *index, const char *defined, char *key, size_t size);
/* "Can not allocate format storage." */
int UFNoStorage(UFPARSER *p);
/* A number token: decimal or 0x hex, at most 40 characters. */
int UFNumber(UFPARSER *p, const UFTOKEN *t, int64_t *value);
int UFReadNumber(UFPARSER *p, int64_t *value, int flags);

int UFParseFile(void *owner, int mayBeMissing, UFPARSER *including,
                const char *fileName, UFRULE ***tail);
int UFParseStruct(UFPARSER *p);
int UFParseRule(UFPARSER *p, uint32_t kind, UFRULE ***tail);
int UFMatchRules(int mode, const char *queue, uint32_t queueLength, const UFRULE *rules,
                 const unsigned char *data, uint32_t length, UFMatchState *state,
                 FmtStructDef **result);

/* ---- Shared by matching and summaries --------------------------------- */

/* The encoding and CCSID that the matching applies to the data. */
uint32_t UFStateEncoding(const UFMatchState *state);
uint32_t UFStateCcsid(const UFMatchState *state);
/* 1 when every conditional value of the structure holds on the data. */
int UFConditionsHold(const UFSTRUCT *s, const unsigned char *data, uint32_t length,
                     const UFMatchState *state);

/* Text written within a limit (the list's value area). */
struct UFTEXT {
    char *out;
    uint32_t size;              /* bytes the text may take */
    uint32_t length;
};
void UFTextAdd(UFTEXT *t, const char *text, size_t length);
void UFTextPrintf(UFTEXT *t, const char *fmt, ...);

/* The text area of a list value record (u16 state, u16 length, text), and
 * its length set from what was written: 1 when not empty. */
UFTEXT UFValueText(const MSGSUMCTX *ctx, unsigned char *value);
int UFSetValueLength(unsigned char *value, const UFTEXT *t);

int StructSummaryFields(const FmtStructDef *def, const UFMatchState *state,
                        const unsigned char *data, uint32_t length, UFTEXT *text);
uint32_t SummaryValueName(const FmtFieldDef *f, uint32_t ccsid, uint32_t encoding,
                          const unsigned char *data, char *out, uint32_t length);
int64_t SummaryFieldInt(const unsigned char *data, const FmtStructRow *row,
                        const UFMatchState *state);
