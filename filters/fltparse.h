/* Private to the compiler: its growable buffers, tokens and state, shared
 * by the parser (fltparse.cpp) and the resolution pass (fltresolve.cpp). */
#pragma once

#include "fltint.h"

/* A forward byte buffer (statements, sequences). */
struct FBUF {
    uint8_t *data;
    uint32_t size, cap;
};

/* A backward buffer: nodes are put in front (an expression's postfix
 * output becomes its prefix stream). */
struct FBACK {
    uint8_t *data;
    uint32_t cap, start;
};

enum { TK_END = 0, TK_OP = 1, TK_STRING = 2, TK_WORD = 3 };

struct FTOKEN {
    int kind;
    char text[FLT_TOKEN_MAX + 1];
    FLTPLACE place;
};

/* One pending operator of an expression. */
struct FPENDING {
    uint16_t code;
    uint8_t input, stack;
    uint8_t unary, paren;
    FLTPLACE place;
    char text[4];
};

struct FPARSE {
    FLTREADER *reader;
    const uint8_t *caps;
    const PCFCommandDef *def;
    FilterEvalContext *ctx;
    FTOKEN tok;                  /* the next token, not yet taken */
    FTOKEN ahead;                /* the one after it, when read */
    int haveAhead;
    int depth;                   /* blocks, ifs and calls open */
    int failed;
    uint32_t flags;              /* program flags found */
    uint64_t total;              /* bytes of program so far */
    FBACK expr;                  /* the statement being parsed */
    FPENDING *ops;               /* pending operators of open expressions */
    uint32_t opTop, opCap;
    uint16_t *depths;            /* tree depth of each pending operand */
    uint32_t depthTop, depthCap;
};

/* Buffers; 0, or 1 without storage. */
int FBufAppend(FBUF *b, const void *bytes, uint32_t n);
void FBufFree(FBUF *b);
/* Fails the compile with a message at a place (null: the next token's). */
void FFail(FPARSE *p, const FLTPLACE *place, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

/* Resolves and folds one statement's expression (in: its prefix stream)
 * into out; 0, or 1 after an error. */
int FltResolveStatement(FPARSE *p, const uint8_t *stream, uint32_t length, FBUF *out);
/* A user variable's pseudo field binds the variable (PCFCheckVars). */
int FltNodeIsName(const FNODE *n);
