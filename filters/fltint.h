/* Private to the filters library: the compiled program's node layout,
 * evaluation slots, the built-in function table's rows and the calls the
 * compiler, evaluator and functions share. */
#pragma once

#include <climits>
#include <cstddef>
#include <cstring>
#include "filters.h"
#include "cs.h"

/* Unaligned access to value records. */
inline uint16_t FGet16(const void *p) { uint16_t v; memcpy(&v, p, 2); return v; }
inline void FPut16(void *p, uint16_t v) { memcpy(p, &v, 2); }
inline int32_t FGet32(const void *p) { int32_t v; memcpy(&v, p, 4); return v; }
inline void FPut32(void *p, int32_t v) { memcpy(p, &v, 4); }
inline double FGetReal(const void *p) { double v; memcpy(&v, p, 8); return v; }
inline void FPutReal(void *p, double v) { memcpy(p, &v, 8); }

/* Nesting the compiler accepts: blocks, if/else chains, parentheses,
 * unary chains, calls inside calls and the depth of an expression's
 * tree; above it a text fails with "Too many terms in expression". */
#define FLT_DEPTH_MAX      300
#define FLT_STATEMENT_MAX  50000      /* bytes of one statement's program */
#define FLT_PROGRAM_MAX    4000000    /* bytes of a whole program */
#define FLT_PARAMS_MAX     20
#define FLT_NAME_MAX       400        /* a completed "%" variable name */

/* The reader's error (the first one stays) at a place (null: the last
 * token read). */
void FltReaderError(FLTREADER *reader, const FLTPLACE *place, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

/* ---- nodes ------------------------------------------------------------ */

/* Kinds (high nibble of the type byte) and value types (low bits). */
#define FK_BINARY 0x10            /* binary operator, call, sequence */
#define FK_UNARY  0x20            /* unary operator, if */
#define FK_VAR    0x40
#define FK_CONST  0x80
#define FK_KIND   0xF0
#define FK_TYPE   0x07

/* Operator codes: first character high, second (or blank) low. */
#define FOP(a, b) ((uint16_t)(((uint8_t)(a) << 8) | (uint8_t)(b)))
#define FOP_SEQ    FOP(';', ' ')
#define FOP_IF     FOP('?', ' ')
#define FOP_CALL   FOP('f', 'n')
#define FOP_ASSIGN FOP(':', '=')
#define FOP_NOT    FOP('!', ' ')
#define FOP_PLUS   FOP('+', '+')
#define FOP_NEG    FOP('-', '-')
#define FOP_MOD    FOP('%', ' ')

/* Every node begins with its length (a multiple of 8, any size). */
struct FNODE {
    uint32_t length;
    uint8_t kind;                 /* kind | type */
    uint8_t unary;                /* marked unary by the resolution */
    uint16_t code;
};

struct FOPNODE {                  /* binary, unary, sequence: 24 bytes */
    FNODE n;
    FLTPLACE place;               /* where the operator stands */
};

struct FLTFUNC;
struct FCALLNODE {                /* function call: 40 bytes */
    FNODE n;
    uint32_t count;               /* parameters */
    uint32_t spare;
    const FLTFUNC *func;
    FLTPLACE last;                /* where the last parameter begins */
};

struct FIFNODE {                  /* if: 24 bytes */
    FNODE n;
    uint32_t size;                /* the whole construct */
    uint32_t trueOffset;          /* from the node; 0 none */
    uint32_t falseOffset;
    uint32_t spare;
};

struct FCONSTNODE {               /* integer or real constant: 16 bytes */
    FNODE n;
    union {
        int64_t i;
        double r;
    };
};

struct FSTRNODE {                 /* string constant */
    FNODE n;
    uint16_t length;              /* at most FLT_STRING_MAX */
    char text[6];                 /* no terminator */
};

/* A string constant's characters: its node is as long as its text, so
 * they run on past the six the structure declares and are read through
 * a pointer, never by indexing the declared array. */
static inline const char *FStrText(const FSTRNODE *s)
{
    return (const char *)s + offsetof(FSTRNODE, text);
}
static inline char *FStrText(FSTRNODE *s)
{
    return (char *)s + offsetof(FSTRNODE, text);
}

/* Variable flags. */
#define VF_PERCENT  0x1           /* name completed per row */
#define VF_CLEARED  0x2
#define VF_SHOW     0x4           /* shown as a list column */
#define VF_HIDE     0x8           /* its column hidden */
#define VF_USER     0x100         /* "@" user variable */
#define VF_SYSTEM   0x200         /* "_" system field */
#define VF_FIELD    0x400         /* a field of the definition */
#define VF_WRITABLE 0x800         /* a system field the filter may set */
#define VF_COLUMN   0x1000        /* bound to a user-variable column */
#define VF_SYSTEXT  0x2000        /* "_qmname", "_locname" */

struct FVARNODE {
    FNODE n;
    uint16_t flags;
    uint16_t nameLength;
    int32_t column;               /* showcol's position, -1 none */
    const void *value;            /* current value; null: missing */
    const void *lengthPtr;        /* strings: a u16, maybe unaligned */
    const PCFFieldDef *field;
    FLTPLACE place;               /* where the name stands */
    int32_t columnIndex;          /* column in the bound area, -1 none */
    uint32_t sysIndex;            /* which system field */
    char name[8];                 /* as written, NUL-terminated */
};

#define FVARNODE_FIXED offsetof(FVARNODE, name)

inline uint32_t FNodeType(const FNODE *n) { return n->kind & FK_TYPE; }
inline uint32_t FNodeKind(const FNODE *n) { return n->kind & FK_KIND; }
inline const FNODE *FNext(const FNODE *n) { return (const FNODE *)((const uint8_t *)n + n->length); }

/* Value records remembered per row walk; the columns of an area whose
 * record lengths the program keeps. */
#define FLT_ROW_COLUMNS 256

struct FSTEP;

/* A field variable's column in the bound area and how it reads its
 * record there. */
struct FLTBIND {
    FVARNODE *var;
    int32_t column;
    uint32_t rule;
};

struct FilterProgram {
    uint32_t nodes;
    uint32_t flags;               /* FLTP_ */
    uint8_t *first;               /* the first node */
    uint32_t free, capacity, used;
    uint32_t slotNeed;            /* slots one evaluation takes */
    uint32_t varCount;
    FVARNODE **vars;              /* every variable node */
    FLTBIND *binds;               /* the field variables' bindings to the bound area */
    uint32_t bindCount;
    uint32_t bindOthers;          /* variables bound per row besides them; -1:
                                     every variable in order instead */
    FSTEP *steps;                 /* the evaluation plan (fltplan.cpp) */
    const FSTEP *root;            /* the step of the first node */
    /* the bound area's row walk: the leading columns that have a field,
       and each column's record length as base, plus its count shifted
       (shift FLT_WALK_FIXED: none; FLT_WALK_CALL: PCFNextValue) */
    const PCFLISTAREA *walkArea;
    const PCFLISTENTRY *walkList; /* its columns */
    int32_t walkColumns;
    uint8_t walkBase[FLT_ROW_COLUMNS], walkShift[FLT_ROW_COLUMNS];
    /* the variable pointers, their bindings, the steps and the node
       stream follow */
};
#define FLT_WALK_FIXED 0xFE
#define FLT_WALK_CALL  0xFF

/* ---- values ----------------------------------------------------------- */

/* One evaluation slot: a value of a type (0: missing), with the variable
 * it came from. */
struct FVAL {
    uint8_t type;                 /* FLT_STRING, FLT_INT, FLT_REAL; 0 missing */
    uint8_t spare[3];
    int32_t i;
    double r;
    const FVARNODE *var;          /* a variable's value, or null */
    const char *s;                /* string value */
    uint32_t len;
    char buf[FLT_STRING_MAX + 8];
};

/* ---- the evaluation plan ---------------------------------------------- */

/* One step per node of the stream, made once when the program is made:
 * its operands found (binary: a right, b left; unary: a; if: a the
 * condition, b and c the branches; calls and sequences: a the first
 * parameter or statement, the others chained by next) and its run
 * chosen for the operand types the compiler knows. */
typedef void (*FSTEPRUN)(FilterEvalContext *ctx, const FSTEP *step, FVAL *out);
typedef int32_t (*FINTOP)(int32_t left, int32_t right);
/* A step whose value is an integer made from integer and wildcard tests
 * of leaves, got without slots: 0 with the value in *v, 1 when an
 * operand is missing (its run then takes the general rules).  Such steps
 * change nothing, so a run may test them and then run them again. */
typedef int (*FSTEPTEST)(const FSTEP *step, int32_t *v);

struct FSTEP {
    FSTEPRUN run;
    FSTEPTEST test;               /* null: no integer test */
    FSTEPRUN general;             /* a tested step's run by the general rules */
    const FNODE *node;
    const FSTEP *a, *b, *c;
    const FSTEP *next;
    FINTOP intOp;                 /* binary: the operator on two integers */
    /* where a leaf's value and length pointers lie (a variable's own, a
       constant's in own); a binary operator on two leaves: the left
       value, right value, left length and right length */
    const void *const *ref[4];
    const void *own[2];
    uint32_t slot;                /* its first temporary */
    uint32_t count;               /* statements of a sequence before its last;
                                     a wildcard constant's literal characters */
    int32_t i;                    /* an integer constant, wrapped to 32 bits */
    uint16_t length;              /* a string constant's length */
    uint8_t leaf;                 /* a test of leaves its tested parents make
                                     in line (fltplan.cpp), 0 none */
    uint8_t action;               /* a call's row action made in line (FA_), 0 none */
};

/* Steps of a program's stream into prog->steps (room for prog->nodes);
 * 0, or 1 when the stream is not whole. */
int FltBuildPlan(FilterProgram *prog);

/* Value reading (constants, variables). */
void FValFromNode(const FNODE *node, FVAL *out);
void FValCopy(FVAL *to, const FVAL *from);
void FValMissing(FVAL *v);
/* A string result made in the slot's buffer (cut to 200). */
void FValString(FVAL *v, const char *s, size_t len);
/* Real to integer without undefined behaviour: 0 for NaN, saturated. */
int32_t FRealToInt32(double r);
int64_t FRealToInt64(double r);

inline void FValInt(FVAL *v, int32_t i)
{
    v->type = FLT_INT;
    v->i = i;
    v->var = nullptr;
}

inline void FValReal(FVAL *v, double r)
{
    v->type = FLT_REAL;
    v->r = r;
    v->var = nullptr;
}

/* 32-bit integer of a value: a string's length, an integer, a real
 * truncated (0 for NaN, saturated); 0 when missing. */
inline int32_t FValToInt(const FVAL *v)
{
    switch (v->type) {
    case FLT_STRING:
        return (int32_t)v->len;
    case FLT_INT:
        return v->i;
    case FLT_REAL:
        return FRealToInt32(v->r);
    }
    return 0;
}

double FValToReal(const FVAL *v);

inline int FValTruth(const FVAL *v)
{
    switch (v->type) {
    case FLT_STRING:
        return v->len != 0;
    case FLT_INT:
        return v->i != 0;
    case FLT_REAL:
        return FRealToInt32(v->r) != 0;
    }
    return 0;
}
/* The value as text (strings as they are, "%d", "%.2f") into buffer. */
int FValText(const FVAL *v, char *buffer, size_t size);

/* The operators on two 32-bit integers whose result is an integer
 * (arithmetic wraps; "mod" by 0, and of the least integer by -1, is 0),
 * and the one of an operator code, else null. */
inline int32_t FOpLt(int32_t a, int32_t b) { return a < b; }
inline int32_t FOpGt(int32_t a, int32_t b) { return a > b; }
inline int32_t FOpLe(int32_t a, int32_t b) { return a <= b; }
inline int32_t FOpGe(int32_t a, int32_t b) { return a >= b; }
inline int32_t FOpEq(int32_t a, int32_t b) { return a == b; }
inline int32_t FOpNe(int32_t a, int32_t b) { return a != b; }
inline int32_t FOpAdd(int32_t a, int32_t b) { return (int32_t)((uint32_t)a + (uint32_t)b); }
inline int32_t FOpSub(int32_t a, int32_t b) { return (int32_t)((uint32_t)a - (uint32_t)b); }
inline int32_t FOpMul(int32_t a, int32_t b) { return (int32_t)((uint32_t)a * (uint32_t)b); }
inline int32_t FOpMod(int32_t a, int32_t b) { return b == 0 || (a == INT32_MIN && b == -1) ? 0 : a % b; }
inline int32_t FOpAnd(int32_t a, int32_t b) { return (a != 0) & (b != 0); }
inline int32_t FOpOr(int32_t a, int32_t b) { return (a != 0) | (b != 0); }
inline int32_t FOpBitAnd(int32_t a, int32_t b) { return a & b; }
inline int32_t FOpBitOr(int32_t a, int32_t b) { return a | b; }
FINTOP FltIntOperator(uint16_t code);
/* The operators on two strings (concatenation cut to 200), as
 * PCFEvalOperator applies them. */
void FValStringOp(uint16_t code, const char *left, uint32_t leftLength, const char *right,
                  uint32_t rightLength, FVAL *out);

/* Applies a binary operator (not ";"); 0. */
int PCFEvalOperator(FilterEvalContext *ctx, const FNODE *op, const FVAL *right, const FVAL *left,
                    FVAL *result);
/* Folding of two constants or one (unary): 0 folded into *out (a constant
 * node image), 1 the operator cannot fold. */
int FltFoldBinary(uint16_t code, const FCONSTNODE *left, const FCONSTNODE *right, FCONSTNODE *out);
int FltFoldUnary(uint16_t code, const FCONSTNODE *operand, FCONSTNODE *out);

/* ---- functions -------------------------------------------------------- */

typedef void (*FLTHANDLER)(FilterEvalContext *ctx, const FCALLNODE *call, FVAL *slots, int count,
                           FVAL *result);

struct FLTFUNC {
    const char *name;             /* "" ends the table */
    uint32_t action;              /* a missing parameter yields 1 */
    uint32_t missing;             /* the handler takes missing values */
    int32_t count;                /* fixed count, or -1 for 0 to 20 */
    uint32_t column;              /* a column function */
    FLTHANDLER handler;
    int32_t sort;                 /* sort kinds: 1 sort, 2 sortd, 3 sort2, 4 sortd2;
                                     -1..-4 their field-sort variants */
};

extern const FLTFUNC PCFFunctionTable[];

/* The row actions on integer parameters that a plan makes in line,
 * with the rules of their functions: "fg", "bg" (the colour set when on
 * is not 0) and the sort keys of "sort", "sortd", "sort2", "sortd2" of
 * an integer that is no field's. */
#define FA_FG     1
#define FA_BG     2
#define FA_SORT   3               /* FA_SORT + the function's sort kind - 1 */
int FltIntAction(const FLTFUNC *f);

inline void FltRowColour(FilterEvalContext *ctx, int32_t on, int32_t colour, uint32_t flag, int slot)
{
    PCFROW *row = ctx->row && ctx->dialog ? ctx->row : nullptr;
    if (!row)
        return;
    /* without a branch on the row's value: the colour written back as it
       was when off */
    uint32_t on_mask = 0u - (uint32_t)(on != 0);
    row->flags |= flag & on_mask;
    row->colours[slot] = ((uint32_t)colour & on_mask) | (row->colours[slot] & ~on_mask);
}

inline void FltSortKeyInt(FilterEvalContext *ctx, int32_t key, int second, int descending)
{
    PCFROW *row = ctx->row;
    if (!row)
        return;
    row->flags |= second ? FLTR_KEY2 : FLTR_KEY1;
    if (second)
        row->secondaryKey = (uint32_t)key;
    else
        row->primaryKey = (uint32_t)key;
    row->flags &= ~(uint32_t)(second ? FLTR_KEY2TEXT : FLTR_KEY1TEXT);
    if (descending)
        row->flags |= second ? FLTR_KEY2DESC : FLTR_KEY1DESC;
}
extern const FLTFUNC PCFFieldSortTable[];
const FLTFUNC *PCFFindFunction(const char *name);
/* The named constants: 1 with the value. */
int PCFFindConstant(const char *name, int64_t *value);

/* Output files and printing. */
int FltFileSlot(FilterEvalContext *ctx, const FVAL *file, const char *mode, int open);
/* Prints values one after another (strings, "%d", "%.2f"); the length. */
int FltPrintValues(const FVAL *const *values, int count, char *out, int size);
/* The statusf/fprintf formatting; the length. */
int FltFormatValues(const FVAL *format, const FVAL *const *values, int count, char *out, int size);
/* "date$" text of a time value and a format (null: the default). */
void FltDateText(int64_t value, const char *format, int formatLength, char *out, size_t size);
/* A "fopen" mode the C library may take. */
int FltModeValid(const char *mode);

/* ---- binding ---------------------------------------------------------- */

/* The variable's value record is read per row. */
void FltBindSystem(FilterEvalContext *ctx, FVARNODE *var);
/* A user variable of the context ("ENVVAR"), made when absent; null
 * without storage. */
struct FLTUSERVAR {
    CSTREE tree;
    const char *key;
    int32_t type;
    int32_t i;
    double r;
    uint16_t len;
    char s[FLT_STRING_MAX + 2];
    char name[8];
};
FLTUSERVAR *FltUserVar(FilterEvalContext *ctx, const char *name);
void FltBindUserVar(FVARNODE *var, FLTUSERVAR *uv);
/* Type of a user variable by its prefix: FLT_INT "@", FLT_STRING "@$",
 * FLT_REAL "@@"; 0 when no name follows. */
int FltUserVarType(const char *name);
/* Type of a field variable by the field type. */
int FltFieldVarType(const PCFFieldDef *field);

/* The context's slot stack. */
int FltEnsureSlots(FilterEvalContext *ctx, uint32_t need);

/* The dialog's private filter state (recent text kept, marks put on
 * columns), reached through the context. */
struct FLTMARK {
    const PCFFieldDef *field;
    uint32_t flagsList, flagsArea;   /* the column flags before the filter */
};
struct FLTDLGSTATE {
    FLTMARK marks[64];
    int32_t markCount;
    int32_t flashing;             /* a shown row flashes */
    int32_t hasColumns;           /* the filter added columns */
};

/* The block a dialog's filterContext points at. */
struct FLTDIALOG {
    FilterEvalContext ctx;
    FLTDLGSTATE state;
};
FLTDLGSTATE *FltDialogState(DialogWords *dialog);

/* Status and hooks with defaults. */
void FltStatus(DialogWords *dialog, const char *text, int mode);

/* Finds a field by name for the filters: its MQSC keyword (any "/"
 * alternative, abbreviated), else its camel-case name or short column
 * title; 0 found, 1 not found, 2 ambiguous, 3 ambiguous value. */
int FltFindField(const uint8_t *caps, const PCFCommandDef *def, const char *name, const char *value,
                 const PCFFieldDef **field, const PCFValueDef **row);

/* Sort marks on a column list: mark 4 or 64 (and 8 when descending) moved
 * to the field's column. */
void FltMarkSort(PCFLISTENTRY *columns, int count, const PCFFieldDef *field, uint32_t mark,
                 int descending);
/* A dialog showing the lists of several queue managers: its column lists
 * get the sort marks of the definition's default list again. */
void FltDefaultSortMarks(DialogWords *dialog);
