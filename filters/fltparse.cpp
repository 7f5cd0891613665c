/* The filter compiler: statements, blocks and if-statements, expressions
 * by operator precedence (their postfix output put in front of a buffer,
 * so that the stream reads in prefix order, right operand first), the
 * operands, function calls, and the program that joins the statements.
 *
 * Nesting is bounded (FLT_DEPTH_MAX) and a run of statements is joined
 * by a row of sequence headers before them, so that no walk of a program
 * takes a stack frame per statement. */
#include "fltparse.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

/* ---- buffers ---------------------------------------------------------- */

int FBufAppend(FBUF *b, const void *bytes, uint32_t n)
{
    if (b->size + n > b->cap) {
        uint64_t cap = b->cap ? (uint64_t)b->cap * 2 : 512;
        while (cap < (uint64_t)b->size + n)
            cap *= 2;
        if (cap > 0x7FFFFFFF)
            return 1;
        uint8_t *grown = (uint8_t *)CSGetMem((size_t)cap, "STACK");
        if (!grown)
            return 1;
        if (b->size)
            memcpy(grown, b->data, b->size);
        if (b->data)
            CSFreeMem(b->data);
        b->data = grown;
        b->cap = (uint32_t)cap;
    }
    if (n)
        memcpy(b->data + b->size, bytes, n);
    b->size += n;
    return 0;
}

void FBufFree(FBUF *b)
{
    CSFreeMemAndClear(&b->data);
    b->size = b->cap = 0;
}

/* Puts a node in front of the expression's stream. */
static uint8_t *Prepend(FPARSE *p, const void *node, uint32_t n)
{
    FBACK *e = &p->expr;
    if (n > e->start) {
        uint32_t used = e->cap - e->start;
        if ((uint64_t)used + n > FLT_STATEMENT_MAX) {
            FFail(p, nullptr, "Too many terms in expression");
            return nullptr;
        }
        uint32_t cap = e->cap ? e->cap + 5000 : 512;
        while (cap < used + n)
            cap += 5000;
        cap = (cap + 7) & ~7u;
        uint8_t *grown = (uint8_t *)CSGetMem(cap, "STACK");
        if (!grown) {
            FFail(p, nullptr, "Out of memory");
            return nullptr;
        }
        if (used)
            memcpy(grown + cap - used, e->data + e->start, used);
        if (e->data)
            CSFreeMem(e->data);
        e->data = grown;
        e->cap = cap;
        e->start = cap - used;
    }
    e->start -= n;
    memcpy(e->data + e->start, node, n);
    return e->data + e->start;
}

/* ---- tokens ----------------------------------------------------------- */

void FFail(FPARSE *p, const FLTPLACE *place, const char *format, ...)
{
    if (p->failed)
        return;
    p->failed = 1;
    char text[FLT_ERROR_SIZE];
    va_list ap;
    va_start(ap, format);
    vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    FltReaderError(p->reader, place ? place : &p->tok.place, "%s", text);
}

static void ReadToken(FPARSE *p, FTOKEN *t)
{
    FLTREADER *r = p->reader;
    if (PCFEvalNextToken(t->text, r)) {
        t->kind = TK_END;
        t->text[0] = 0;
        t->place = r->last;
        if (r->error[0])
            p->failed = 1;
        return;
    }
    t->place = r->last;
    char c = t->text[0];
    t->kind = c == '"' || c == '\'' ? TK_STRING : strchr("()!|&<>-+*/=,#?:;{}[]", c) ? TK_OP : TK_WORD;
}

/* Takes the next token. */
static void Advance(FPARSE *p)
{
    if (p->haveAhead) {
        p->tok = p->ahead;
        p->haveAhead = 0;
    } else {
        ReadToken(p, &p->tok);
    }
}

static const FTOKEN *Ahead(FPARSE *p)
{
    if (!p->haveAhead) {
        ReadToken(p, &p->ahead);
        p->haveAhead = 1;
    }
    return &p->ahead;
}

static int Is(const FTOKEN *t, const char *text)
{
    return t->kind != TK_END && t->kind != TK_STRING && !strcmp(t->text, text);
}

static int Nest(FPARSE *p, int by)
{
    p->depth += by;
    if (p->depth > FLT_DEPTH_MAX) {
        FFail(p, nullptr, "Too many terms in expression");
        return 1;
    }
    return 0;
}

/* ---- operand depths and pending operators ------------------------------ */

static int PushDepth(FPARSE *p, uint32_t d)
{
    if (d > FLT_DEPTH_MAX) {
        FFail(p, nullptr, "Too many terms in expression");
        return 1;
    }
    if (p->depthTop == p->depthCap) {
        uint32_t cap = p->depthCap ? p->depthCap * 2 : 64;
        uint16_t *grown = (uint16_t *)CSGetMem(sizeof(uint16_t) * cap, "STACK");
        if (!grown) {
            FFail(p, nullptr, "Out of memory");
            return 1;
        }
        if (p->depthTop)
            memcpy(grown, p->depths, sizeof(uint16_t) * p->depthTop);
        CSFreeMemAndClear(&p->depths);
        p->depths = grown;
        p->depthCap = cap;
    }
    p->depths[p->depthTop++] = (uint16_t)d;
    return 0;
}

/* Takes n operand depths: the deepest plus one goes back. */
static int CombineDepths(FPARSE *p, uint32_t n, uint32_t base)
{
    uint32_t d = 0;
    for (uint32_t i = 0; i < n && p->depthTop > base; i++) {
        uint32_t k = p->depths[--p->depthTop];
        if (k > d)
            d = k;
    }
    return PushDepth(p, d + 1);
}

static int PushOp(FPARSE *p, const FPENDING *op, uint32_t base)
{
    if (p->opTop - base >= FLT_DEPTH_MAX) {
        FFail(p, &op->place, "Too many terms in expression");
        return 1;
    }
    if (p->opTop == p->opCap) {
        uint32_t cap = p->opCap ? p->opCap * 2 : 32;
        FPENDING *grown = (FPENDING *)CSGetMem(sizeof(FPENDING) * cap, "STACK");
        if (!grown) {
            FFail(p, nullptr, "Out of memory");
            return 1;
        }
        if (p->opTop)
            memcpy(grown, p->ops, sizeof(FPENDING) * p->opTop);
        CSFreeMemAndClear(&p->ops);
        p->ops = grown;
        p->opCap = cap;
    }
    p->ops[p->opTop++] = *op;
    return 0;
}

/* Outputs a pending operator. */
static int EmitOp(FPARSE *p, const FPENDING *op, uint32_t depthBase)
{
    FOPNODE n = {};
    n.n.length = sizeof n;
    n.n.kind = op->unary ? FK_UNARY : FK_BINARY;
    n.n.code = op->code;
    n.place = op->place;
    if (!Prepend(p, &n, sizeof n))
        return 1;
    return CombineDepths(p, op->unary ? 1 : 2, depthBase);
}

/* ---- operators -------------------------------------------------------- */

struct FPREC {
    const char *text;
    uint16_t code;
    uint8_t input, stack;
};

static const FPREC Precedence[] = {
    { ":=", FOP(':', '='), 2, 2 },
    { "|", FOP('|', ' '), 10, 10 }, { "||", FOP('|', '|'), 10, 10 },
    { "&", FOP('&', ' '), 11, 11 }, { "&&", FOP('&', '&'), 11, 11 },
    { "=", FOP('=', ' '), 12, 12 }, { "==", FOP('=', '='), 12, 12 }, { "!=", FOP('!', '='), 12, 12 },
    { "<>", FOP('<', '>'), 12, 12 }, { "<=", FOP('<', '='), 12, 12 }, { ">=", FOP('>', '='), 12, 12 },
    { "<", FOP('<', ' '), 13, 13 }, { ">", FOP('>', ' '), 13, 13 },
    { "+", FOP('+', ' '), 14, 14 }, { "-", FOP('-', ' '), 14, 14 },
    { "*", FOP('*', ' '), 15, 15 }, { "/", FOP('/', ' '), 15, 15 }, { "mod", FOP_MOD, 15, 15 },
};

static const FPREC *FindPrecedence(const char *text)
{
    for (const FPREC &r : Precedence)
        if (!strcmp(r.text, text))
            return &r;
    return nullptr;
}

/* "Unexpected operator" of the last pending operator. */
static void FailTrailing(FPARSE *p, const FPENDING *op)
{
    if (op->code == FOP_MOD)
        FFail(p, &op->place, "Unexpected operator 'mod'");
    else
        FFail(p, &op->place, "Unexpected operator '%c%c'", op->code >> 8, op->code & 0xFF);
}

/* ---- operands --------------------------------------------------------- */

static uint32_t Align8(uint32_t n) { return (n + 7) & ~7u; }

static int EmitString(FPARSE *p, const FTOKEN *t)
{
    size_t n = strlen(t->text + 1);
    if (n > FLT_STRING_MAX)
        n = FLT_STRING_MAX;
    uint8_t node[sizeof(FSTRNODE) + FLT_STRING_MAX + 8] = {};
    FSTRNODE *s = (FSTRNODE *)node;
    s->n.length = Align8((uint32_t)(offsetof(FSTRNODE, text) + n));
    if (s->n.length < sizeof(FSTRNODE))
        s->n.length = sizeof(FSTRNODE);
    s->n.kind = FK_CONST | FLT_STRING;
    s->length = (uint16_t)n;
    memcpy(FStrText(s), t->text + 1, n);
    return !Prepend(p, node, s->n.length) || PushDepth(p, 1);
}

static int EmitInt(FPARSE *p, int64_t v)
{
    FCONSTNODE c = {};
    c.n.length = sizeof c;
    c.n.kind = FK_CONST | FLT_INT;
    c.i = v;
    return !Prepend(p, &c, sizeof c) || PushDepth(p, 1);
}

/* A number: real with ".", hexadecimal after "0x", else decimal; the
 * integers are signed 32-bit values (wrapping). */
static int EmitNumber(FPARSE *p, const char *text)
{
    if (strchr(text, '.')) {
        FCONSTNODE c = {};
        c.n.length = sizeof c;
        c.n.kind = FK_CONST | FLT_REAL;
        c.r = strtod(text, nullptr);
        return !Prepend(p, &c, sizeof c) || PushDepth(p, 1);
    }
    uint64_t v = 0;
    if (text[0] == '0' && text[1] == 'x') {
        for (const char *q = text + 2; isxdigit((unsigned char)*q); q++)
            v = v * 16 + (uint64_t)(isdigit((unsigned char)*q) ? *q - '0' : (tolower((unsigned char)*q) - 'a' + 10));
    } else {
        for (const char *q = text; isdigit((unsigned char)*q); q++)
            v = v * 10 + (uint64_t)(*q - '0');
    }
    return EmitInt(p, (int32_t)(uint32_t)v);
}

/* A name: a variable node, resolved after parsing. */
static FVARNODE *EmitName(FPARSE *p, const FTOKEN *t)
{
    uint32_t n = (uint32_t)strlen(t->text);
    uint8_t node[FVARNODE_FIXED + FLT_TOKEN_MAX + 16] = {};
    FVARNODE *v = (FVARNODE *)node;
    v->n.length = Align8((uint32_t)FVARNODE_FIXED + n + 1);
    v->n.kind = FK_VAR;
    v->nameLength = (uint16_t)n;
    v->column = -1;
    v->columnIndex = -1;
    v->place = t->place;
    memcpy(v->name, t->text, n + 1);
    FVARNODE *out = (FVARNODE *)Prepend(p, node, v->n.length);
    if (!out || PushDepth(p, 1))
        return nullptr;
    return out;
}

static int ParseExpression(FPARSE *p);

/* A call of a built-in function: the name is the current token and "("
 * the next one. */
static int ParseCall(FPARSE *p, const FLTFUNC *f)
{
    FLTPLACE at = p->tok.place;
    Advance(p);
    Advance(p);
    uint32_t base = p->depthTop;
    int count = 0;
    FLTPLACE last = p->tok.place;
    if (Is(&p->tok, ")")) {
        Advance(p);
    } else {
        for (;;) {
            if (p->tok.kind == TK_END) {
                FFail(p, nullptr, "Unexpected end of expression");
                return 1;
            }
            if (Is(&p->tok, ",")) {
                FFail(p, nullptr, "',' found where expression expected");
                return 1;
            }
            last = p->tok.place;
            if (Nest(p, 1) || ParseExpression(p))
                return 1;
            p->depth--;
            count++;
            if (p->tok.kind == TK_END) {
                FFail(p, nullptr, "Missing parameter for function '%s'", f->name);
                return 1;
            }
            if (Is(&p->tok, ",")) {
                Advance(p);
                continue;
            }
            if (Is(&p->tok, ")")) {
                Advance(p);
                break;
            }
            FFail(p, nullptr, f->count >= 0 ? "'%s' found where ',' expected" : "'%s' found where ')' expected",
                  p->tok.text);
            return 1;
        }
    }
    if (f->count >= 0 && count != f->count) {
        FFail(p, &at, "Function '%s' takes %d parameter%s", f->name, f->count, f->count == 1 ? "" : "s");
        return 1;
    }
    if (f->count < 0 && count > FLT_PARAMS_MAX) {
        FFail(p, &at, "Function '%s' can take no more than %d parameters", f->name, FLT_PARAMS_MAX);
        return 1;
    }
    if (f->column)
        p->flags |= FLTP_COLUMNS;
    FCALLNODE c = {};
    c.n.length = sizeof c;
    c.n.kind = FK_BINARY;
    c.n.code = FOP_CALL;
    c.count = (uint32_t)count;
    c.func = f;
    c.last = last;
    if (!Prepend(p, &c, sizeof c))
        return 1;
    return count ? CombineDepths(p, (uint32_t)count, base) : PushDepth(p, 1);
}

/* One operand token; the variable node when it was a name. */
static int ParseOperand(FPARSE *p, FVARNODE **name)
{
    const FTOKEN *t = &p->tok;
    *name = nullptr;
    if (t->kind == TK_STRING) {
        if (EmitString(p, t))
            return 1;
        Advance(p);
        return 0;
    }
    if (isdigit((unsigned char)t->text[0])) {
        if (EmitNumber(p, t->text))
            return 1;
        Advance(p);
        return 0;
    }
    int64_t value;
    if (PCFFindConstant(t->text, &value)) {
        if (EmitInt(p, value))
            return 1;
        Advance(p);
        return 0;
    }
    const FLTFUNC *f = PCFFindFunction(t->text);
    if (f) {
        if (!Is(Ahead(p), "(")) {
            FFail(p, &p->tok.place, "'(' expected after function '%s'", t->text);
            return 1;
        }
        return ParseCall(p, f);
    }
    *name = EmitName(p, t);
    if (!*name)
        return 1;
    Advance(p);
    return 0;
}

/* An expression up to its end (end of text, ",", ";", "{", "}" or a ")"
 * it did not open), left as the next token; the postfix output goes in
 * front of the statement's stream. */
static int ParseExpression(FPARSE *p)
{
    uint32_t opBase = p->opTop, depthBase = p->depthTop;
    int expectOperand = 1, any = 0, parens = 0;
    FPENDING last = {};
    int lastIsOp = 0;
    FVARNODE *lastName = nullptr;
    for (;;) {
        if (p->failed)
            return 1;
        FTOKEN *t = &p->tok;
        int ends = t->kind == TK_END || Is(t, ",") || Is(t, ";") || Is(t, "{") || Is(t, "}") ||
                   (Is(t, ")") && !parens);
        if (ends) {
            if (expectOperand) {
                if (lastIsOp)
                    FailTrailing(p, &last);
                else
                    FFail(p, nullptr, "Unexpected token '%s'", t->text);
                return 1;
            }
            break;
        }
        if (t->kind == TK_OP && !strcmp(t->text, ")")) {
            if (expectOperand) {
                if (lastIsOp)
                    FailTrailing(p, &last);
                else
                    FFail(p, nullptr, "Unexpected token ')'");
                return 1;
            }
            while (p->opTop > opBase && !p->ops[p->opTop - 1].paren)
                if (EmitOp(p, &p->ops[--p->opTop], depthBase))
                    return 1;
            p->opTop--;
            parens--;
            lastName = nullptr;
            Advance(p);
            continue;
        }
        if (t->kind == TK_OP && !strcmp(t->text, "(")) {
            if (!expectOperand) {
                FFail(p, nullptr, "Syntax error at operator '('");
                return 1;
            }
            FPENDING op = {};
            op.paren = 1;
            op.input = 20;
            op.stack = 8;
            op.place = t->place;
            if (PushOp(p, &op, opBase))
                return 1;
            parens++;
            any = 1;
            lastIsOp = 0;
            Advance(p);
            continue;
        }
        if (t->kind == TK_OP && !strcmp(t->text, "#")) {
            if (expectOperand || !lastName) {
                FFail(p, nullptr, "Sorry but the '#' character must be after the variable name");
                return 1;
            }
            lastName->flags |= VF_SHOW;
            lastName = nullptr;
            Advance(p);
            continue;
        }
        int isMod = t->kind == TK_WORD && !strcmp(t->text, "mod");
        if (t->kind == TK_OP || (isMod && !expectOperand)) {
            FPENDING op = {};
            op.place = t->place;
            UTStrCopy(op.text, t->text, sizeof op.text);
            int unary = expectOperand && (Is(t, "!") || Is(t, "+") || Is(t, "-"));
            if (!expectOperand && Is(t, "!")) {
                FFail(p, nullptr, "Syntax error at operator '!'");
                return 1;
            }
            if (unary) {
                op.unary = 1;
                op.code = Is(t, "!") ? FOP_NOT : Is(t, "+") ? FOP_PLUS : FOP_NEG;
                op.input = 18;
                op.stack = 17;
            } else {
                const FPREC *pr = FindPrecedence(t->text);
                if (!pr) {
                    FFail(p, nullptr, "Unrecognised operator %c%c", t->text[0], t->text[1] ? t->text[1] : ' ');
                    return 1;
                }
                if (expectOperand) {
                    FFail(p, nullptr, "Syntax error at operator '%s'", t->text);
                    return 1;
                }
                op.code = pr->code;
                op.input = pr->input;
                op.stack = pr->stack;
            }
            while (p->opTop > opBase && !p->ops[p->opTop - 1].paren &&
                   p->ops[p->opTop - 1].stack >= op.input)
                if (EmitOp(p, &p->ops[--p->opTop], depthBase))
                    return 1;
            if (PushOp(p, &op, opBase))
                return 1;
            last = op;
            lastIsOp = 1;
            expectOperand = 1;
            any = 1;
            lastName = nullptr;
            Advance(p);
            continue;
        }
        if (!expectOperand) {
            FFail(p, nullptr, "Syntax error at value '%s'", t->text);
            return 1;
        }
        if (isMod) {
            FFail(p, nullptr, "Syntax error at operator 'mod'");
            return 1;
        }
        if (ParseOperand(p, &lastName))
            return 1;
        expectOperand = 0;
        lastIsOp = 0;
        any = 1;
    }
    (void)any;
    while (p->opTop > opBase) {
        FPENDING *op = &p->ops[--p->opTop];
        if (op->paren) {
            FFail(p, &op->place, "Unmatched parenthesis");
            return 1;
        }
        if (EmitOp(p, op, depthBase))
            return 1;
    }
    return 0;
}

/* ---- statements -------------------------------------------------------- */

enum { ST_EMPTY, ST_EXPR, ST_BLOCK, ST_IF };

/* An expression statement: parsed, then resolved into out. */
static int ExpressionStatement(FPARSE *p, FBUF *out)
{
    FBACK *e = &p->expr;
    e->start = e->cap;
    p->depthTop = 0;
    if (ParseExpression(p))
        return 1;
    p->depthTop = 0;
    const uint8_t *stream = e->data + e->start;
    uint32_t n = e->cap - e->start;
    if (p->def)
        return FltResolveStatement(p, stream, n, out);
    if (FBufAppend(out, stream, n)) {
        FFail(p, nullptr, "Out of memory");
        return 1;
    }
    return 0;
}

static int ParseSequence(FPARSE *p, int closer, FBUF *out, int *count);
static int ParseIf(FPARSE *p, FBUF *out);

/* A statement of a sequence; its kind. */
static int ParseStatement(FPARSE *p, FBUF *out, int *kind)
{
    if (Is(&p->tok, "{")) {
        *kind = ST_BLOCK;
        Advance(p);
        int n;
        if (Nest(p, 1) || ParseSequence(p, '}', out, &n))
            return 1;
        p->depth--;
        if (!n)
            *kind = ST_EMPTY;
        return 0;
    }
    if (p->tok.kind == TK_WORD && !strcmp(p->tok.text, "if")) {
        *kind = ST_IF;
        return ParseIf(p, out);
    }
    *kind = ST_EXPR;
    return ExpressionStatement(p, out);
}

/* The statement or block of an if's branch (";" alone: none). */
static int ParseBranch(FPARSE *p, FBUF *out)
{
    if (p->tok.kind == TK_END || Is(&p->tok, "}") || Is(&p->tok, ")"))
        return 0;
    if (Is(&p->tok, ";")) {
        Advance(p);
        return 0;
    }
    int kind;
    if (ParseStatement(p, out, &kind))
        return 1;
    if (kind == ST_EXPR) {
        if (Is(&p->tok, ";"))
            Advance(p);
        else if (p->tok.kind != TK_END && !Is(&p->tok, "}") && !Is(&p->tok, ")")) {
            FFail(p, nullptr, "Unexpected token '%s'", p->tok.text);
            return 1;
        }
    }
    return 0;
}

static int ParseIf(FPARSE *p, FBUF *out)
{
    if (Nest(p, 1))
        return 1;
    Advance(p);
    if (p->tok.kind == TK_END) {
        FFail(p, nullptr, "Unexpected end of expression after 'if' statenent");
        return 1;
    }
    if (!Is(&p->tok, "(")) {
        FFail(p, nullptr, "'%s' found after 'if' statement where '(' expected", p->tok.text);
        return 1;
    }
    Advance(p);
    FBUF cond = {}, yes = {}, no = {};
    int n, rc = 1;
    if (ParseSequence(p, ')', &cond, &n) || ParseBranch(p, &yes))
        goto done;
    if (p->tok.kind == TK_WORD && !strcmp(p->tok.text, "else")) {
        Advance(p);
        if (ParseBranch(p, &no))
            goto done;
    }
    {
        FIFNODE f = {};
        f.n.length = sizeof f;
        f.n.kind = FK_UNARY;
        f.n.code = FOP_IF;
        f.trueOffset = yes.size ? (uint32_t)sizeof f + cond.size : 0;
        f.falseOffset = no.size ? (uint32_t)sizeof f + cond.size + yes.size : 0;
        uint64_t size = (uint64_t)sizeof f + cond.size + yes.size + no.size;
        if (size > FLT_PROGRAM_MAX) {
            FFail(p, nullptr, "Too many terms in expression");
            goto done;
        }
        f.size = (uint32_t)size;
        if (FBufAppend(out, &f, sizeof f) || FBufAppend(out, cond.data, cond.size) ||
            FBufAppend(out, yes.data, yes.size) || FBufAppend(out, no.data, no.size)) {
            FFail(p, nullptr, "Out of memory");
            goto done;
        }
        rc = 0;
        p->depth--;
    }
done:
    FBufFree(&cond);
    FBufFree(&yes);
    FBufFree(&no);
    return rc;
}

/* Statements up to the closer (0 end of text, '}' or ')'), joined: k
 * statements give k - 1 sequence headers and then the statements. */
static int ParseSequence(FPARSE *p, int closer, FBUF *out, int *count)
{
    FBUF body = {};
    int k = 0, rc = 1;
    *count = 0;
    for (;;) {
        while (Is(&p->tok, ";"))
            Advance(p);
        if (p->failed)
            goto done;
        if (p->tok.kind == TK_END) {
            if (closer == '}')
                FFail(p, nullptr, "'}' expected");
            else if (closer == ')')
                FFail(p, nullptr, "Unexpected end of expression in 'if' statement where ')' expected");
            else
                break;
            goto done;
        }
        if (Is(&p->tok, "}")) {
            if (closer == '}') {
                Advance(p);
                break;
            }
            if (closer == ')')
                FFail(p, nullptr, "'%s' found after 'if' statement where ')' expected", p->tok.text);
            else
                FFail(p, nullptr, "'}' found where expression expected");
            goto done;
        }
        if (Is(&p->tok, ")")) {
            if (closer == ')') {
                if (!k) {
                    FFail(p, nullptr, "Unexpected token ')'");
                    goto done;
                }
                Advance(p);
                break;
            }
            FFail(p, nullptr, "Unmatched parenthesis");
            goto done;
        }
        int kind;
        uint32_t before = body.size;
        if (ParseStatement(p, &body, &kind))
            goto done;
        if (body.size > before)
            k++;
        p->total = (uint64_t)body.size + out->size;
        if (p->total > FLT_PROGRAM_MAX) {
            FFail(p, nullptr, "Too many terms in expression");
            goto done;
        }
        if (kind == ST_EXPR && p->tok.kind != TK_END && !Is(&p->tok, ";") && !Is(&p->tok, "}") &&
            !Is(&p->tok, ")")) {
            if (closer == ')')
                FFail(p, nullptr, "'%s' found after 'if' statement where ')' expected", p->tok.text);
            else
                FFail(p, nullptr, "Unexpected token '%s'", p->tok.text);
            goto done;
        }
    }
    {
        FOPNODE seq = {};
        seq.n.length = sizeof seq;
        seq.n.kind = FK_BINARY;
        seq.n.code = FOP_SEQ;
        for (int i = 1; i < k; i++)
            if (FBufAppend(out, &seq, sizeof seq)) {
                FFail(p, nullptr, "Out of memory");
                goto done;
            }
        if (FBufAppend(out, body.data, body.size)) {
            FFail(p, nullptr, "Out of memory");
            goto done;
        }
        *count = k;
        rc = 0;
    }
done:
    FBufFree(&body);
    return rc;
}

/* ---- the program ------------------------------------------------------- */

/* Slots one evaluation of the node at *cursor takes; the cursor moves
 * past the node's subtree. */
static uint32_t SlotNeed(const uint8_t **cursor, const uint8_t *end)
{
    const FNODE *n = (const FNODE *)*cursor;
    *cursor += n->length;
    switch (FNodeKind(n)) {
    case FK_CONST:
    case FK_VAR:
        return 0;
    case FK_UNARY:
        if (n->code == FOP_IF) {
            const FIFNODE *f = (const FIFNODE *)n;
            const uint8_t *stop = (const uint8_t *)n + f->size;
            uint32_t need = 0;
            while (*cursor < stop && *cursor < end) {
                uint32_t k = SlotNeed(cursor, end);
                if (k > need)
                    need = k;
            }
            return need + 1;
        }
        return SlotNeed(cursor, end) + 1;
    }
    if (n->code == FOP_SEQ) {
        uint32_t headers = 1;
        while (*cursor < end && ((const FNODE *)*cursor)->code == FOP_SEQ &&
               FNodeKind((const FNODE *)*cursor) == FK_BINARY) {
            *cursor += ((const FNODE *)*cursor)->length;
            headers++;
        }
        uint32_t need = 0;
        for (uint32_t i = 0; i <= headers && *cursor < end; i++) {
            uint32_t k = SlotNeed(cursor, end);
            if (k > need)
                need = k;
        }
        return need + 1;
    }
    uint32_t operands = n->code == FOP_CALL ? ((const FCALLNODE *)n)->count : 2;
    uint32_t need = 0;
    for (uint32_t i = 0; i < operands && *cursor < end; i++) {
        uint32_t k = SlotNeed(cursor, end);
        if (k > need)
            need = k;
    }
    return need + operands;
}

void PCFFreeProgram(FilterProgram **program)
{
    CSFreeMemAndClear(program);
}

uint32_t PCFProgramFlags(const FilterProgram *program) { return program ? program->flags : 0; }
uint32_t PCFProgramNodes(const FilterProgram *program) { return program ? program->nodes : 0; }
uint32_t PCFProgramSize(const FilterProgram *program) { return program ? program->used : 0; }

/* The program block: header, variable pointers, room for their
 * bindings, the plan's steps, then the stream. */
static FilterProgram *MakeProgram(FPARSE *p, const FBUF *stream)
{
    uint32_t vars = 0, nodes = 0;
    for (uint32_t at = 0; at < stream->size; at += ((const FNODE *)(stream->data + at))->length) {
        nodes++;
        if (FNodeKind((const FNODE *)(stream->data + at)) == FK_VAR)
            vars++;
    }
    size_t head = (sizeof(FilterProgram) + 7) & ~(size_t)7;
    size_t pointers = sizeof(FVARNODE *) * vars, binds = sizeof(FLTBIND) * vars;
    size_t size = head + pointers + binds + sizeof(FSTEP) * nodes + stream->size;
    FilterProgram *prog = (FilterProgram *)CSGetMem(size, "STACK");
    if (!prog) {
        FFail(p, nullptr, "Out of memory");
        return nullptr;
    }
    memset(prog, 0, head);
    prog->vars = (FVARNODE **)((uint8_t *)prog + head);
    prog->binds = (FLTBIND *)((uint8_t *)prog + head + pointers);
    prog->steps = (FSTEP *)((uint8_t *)prog + head + pointers + binds);
    prog->first = (uint8_t *)(prog->steps + nodes);
    if (stream->size)
        memcpy(prog->first, stream->data, stream->size);
    prog->nodes = nodes;
    prog->flags = p->flags;
    prog->capacity = prog->used = stream->size;
    prog->free = 0;
    for (uint32_t at = 0; at < stream->size; at += ((const FNODE *)(prog->first + at))->length)
        if (FNodeKind((const FNODE *)(prog->first + at)) == FK_VAR)
            prog->vars[prog->varCount++] = (FVARNODE *)(prog->first + at);
    const uint8_t *cursor = prog->first, *end = prog->first + prog->used;
    prog->slotNeed = 1;
    while (cursor < end) {
        uint32_t k = SlotNeed(&cursor, end) + 1;
        if (k > prog->slotNeed)
            prog->slotNeed = k;
    }
    if (FltBuildPlan(prog)) {
        PCFFreeProgram(&prog);
        FFail(p, nullptr, "Syntax error");
    }
    return prog;
}

/* Field sorts: a sort kind called once on a field variable becomes its
 * field-sort variant. */
static void PCFEvalFixSorts(FilterProgram *prog)
{
    int counts[5] = {};
    const uint8_t *end = prog->first + prog->used;
    for (const uint8_t *at = prog->first; at < end; at += ((const FNODE *)at)->length) {
        const FCALLNODE *c = (const FCALLNODE *)at;
        if (c->n.code != FOP_CALL || c->func->sort <= 0 || c->count != 1)
            continue;
        const FVARNODE *v = (const FVARNODE *)(at + c->n.length);
        if (FNodeKind(&v->n) == FK_VAR && (v->flags & VF_FIELD))
            counts[c->func->sort]++;
    }
    for (uint8_t *at = prog->first; at < end; at += ((const FNODE *)at)->length) {
        FCALLNODE *c = (FCALLNODE *)at;
        if (c->n.code != FOP_CALL || c->func->sort <= 0 || c->count != 1 || counts[c->func->sort] != 1)
            continue;
        const FVARNODE *v = (const FVARNODE *)(at + c->n.length);
        if (FNodeKind(&v->n) != FK_VAR || !(v->flags & VF_FIELD))
            continue;
        c->func = &PCFFieldSortTable[c->func->sort - 1];
        prog->flags |= FLTP_SORTS;
    }
}

int PCFEvalParse(const uint8_t *caps, const PCFCommandDef *def, FilterEvalContext *ctx,
                 FilterProgram **program, FLTREADER *reader)
{
    FPARSE p = {};
    p.reader = reader;
    p.caps = caps;
    p.def = def;
    p.ctx = ctx;
    FBUF stream = {};
    int count = 0;
    Advance(&p);
    int rc = p.failed || ParseSequence(&p, 0, &stream, &count) || p.failed;
    FilterProgram *prog = rc ? nullptr : MakeProgram(&p, &stream);
    FBufFree(&stream);
    CSFreeMemAndClear(&p.expr.data);
    CSFreeMemAndClear(&p.ops);
    CSFreeMemAndClear(&p.depths);
    PCFFreeProgram(program);
    if (!prog) {
        if (!reader->error[0])
            FltReaderError(reader, nullptr, "Out of memory");
        return 1;
    }
    PCFEvalFixSorts(prog);
    *program = prog;
    if (FltTraceCompile)
        PCFEvalDumpStack("Compiled", prog);
    return 0;
}
