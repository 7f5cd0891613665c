/* The dump of a compiled program: one line per node with its offset,
 * length, kind, type and name, operator, value or if-node sizes; written
 * to the trace when the compile trace switch is on. */
#include "fltint.h"

#include <cstdarg>
#include <cstdio>

int FltTraceCompile;

static const char *KindText(const FNODE *n)
{
    switch (FNodeKind(n)) {
    case FK_BINARY: return "Oper. :";
    case FK_UNARY: return "UnOp. :";
    case FK_CONST: return "Const :";
    case FK_VAR: return "Var.  :";
    }
    return "Unknwn:";
}

static const char *TypeText(const FNODE *n)
{
    switch (n->kind & 0xF7 & FK_TYPE) {
    case 0: return "Not Set :";
    case FLT_STRING: return "String  :";
    case FLT_INT: return "Integer :";
    case FLT_REAL: return "Real    :";
    case FLT_INT | FLT_REAL: return "Real/Int:";
    }
    return "Unknown :";
}

/* Appends formatted text to buffer. */
__attribute__((format(printf, 4, 5)))
static void Add(char *buffer, size_t size, size_t *n, const char *format, ...)
{
    if (*n + 1 >= size)
        return;
    va_list ap;
    va_start(ap, format);
    int k = vsnprintf(buffer + *n, size - *n, format, ap);
    va_end(ap);
    if (k > 0)
        *n += (size_t)k < size - *n ? (size_t)k : size - *n - 1;
}

void FltDumpProgram(const char *title, const FilterProgram *p, char *buffer, size_t size)
{
    size_t n = 0;
    buffer[0] = 0;
    if (!p) {
        Add(buffer, size, &n, "Stack - %s @ %p : empty\n", title, (const void *)p);
        return;
    }
    Add(buffer, size, &n, "Stack - %s @ %p : S(%d) A(%d) U(%d)\n", title, (const void *)p, (int)p->capacity,
        (int)p->free, (int)p->used);
    if (p->first + p->used != (const uint8_t *)p->first + p->capacity - p->free)
        Add(buffer, size, &n, "********** Stack sizes do not match ! ************\n");
    const uint8_t *end = p->first + p->used;
    for (const uint8_t *at = p->first; at < end; at += ((const FNODE *)at)->length) {
        const FNODE *node = (const FNODE *)at;
        Add(buffer, size, &n, "%5d %4d %s %2.2X %s", (int)(at - p->first), (int)node->length, KindText(node),
            node->kind, TypeText(node));
        switch (FNodeKind(node)) {
        case FK_VAR:
            Add(buffer, size, &n, "%s", ((const FVARNODE *)node)->name);
            break;
        case FK_CONST:
            if (FNodeType(node) == FLT_STRING)
                Add(buffer, size, &n, "\"%.*s\"", (int)((const FSTRNODE *)node)->length,
                    FStrText((const FSTRNODE *)node));
            else if (FNodeType(node) == FLT_REAL)
                Add(buffer, size, &n, "%g", ((const FCONSTNODE *)node)->r);
            else
                Add(buffer, size, &n, "%lld", (long long)((const FCONSTNODE *)node)->i);
            break;
        default:
            if (node->code == FOP_IF) {
                const FIFNODE *f = (const FIFNODE *)node;
                Add(buffer, size, &n, " IF S(%3d) T(%3d) F(%3d)", (int)f->size, (int)f->trueOffset,
                    (int)f->falseOffset);
            } else if (node->code == FOP_CALL) {
                Add(buffer, size, &n, "%s(%d)", ((const FCALLNODE *)node)->func->name,
                    (int)((const FCALLNODE *)node)->count);
            } else {
                Add(buffer, size, &n, "%c%c", node->code >> 8, node->code & 0xFF);
            }
            break;
        }
        Add(buffer, size, &n, "\n");
    }
}

void PCFEvalDumpStack(const char *title, const FilterProgram *program)
{
    if (!FltTraceCompile || !CSTraceIsOn())
        return;
    size_t size = 200 + (program ? (size_t)program->nodes * 100 : 0);
    char *text = (char *)CSGetMem(size, "DUMPSTACK");
    if (!text)
        return;
    FltDumpProgram(title, program, text, size);
    CSTrace(1, "%s", text);
    CSFreeMem(text);
}
