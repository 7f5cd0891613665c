/* The token reader of the filter language: texts as a stack of levels
 * (the dialog's own text, then each named filter a "$name" reference
 * splices in), comments, operators, strings with escapes and words; the
 * place of every token, and the error's place, name chain and range. */
#include "fltint.h"

#include <cstdarg>
#include <cstdio>

#define HEADER_BYTES 24          /* the store's header, as counted */
#define LEVEL_BYTES  48          /* one level, as counted, before its name */

static const char Delimiters[] = " ()!|&<>-+*/=\n\r\t,#?:;{}[]";
static const char OperatorChars[] = "()!|&<>-+*/=,#?:;{}[]";
static const char *const TwoCharOps[] = { "<>", "!=", ">=", "<=", "==", ":=", "&&", "||" };

static int IsDelimiter(char c) { return c && strchr(Delimiters, c) != nullptr; }
static int IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

static const char *LevelName(const FLTLEVEL *l) { return (const char *)(l + 1); }

static uint32_t Align8(uint32_t n) { return (n + 7) & ~7u; }

/* Adds an origin record; its index, or -1 without storage. */
static int64_t AddOrigin(FLTREADER *r, uint32_t parent, const char *name, const char *text,
                         uint32_t refStart, uint32_t refEnd)
{
    if (r->originCount == r->originCap) {
        uint32_t cap = r->originCap ? r->originCap * 2 : 8;
        FLTORIGIN *grown = (FLTORIGIN *)CSGetMem(sizeof(FLTORIGIN) * cap, "FLTORIGIN");
        if (!grown)
            return -1;
        if (r->originCount)
            memcpy(grown, r->origins, sizeof(FLTORIGIN) * r->originCount);
        if (r->origins)
            CSFreeMem(r->origins);
        r->origins = grown;
        r->originCap = cap;
    }
    FLTORIGIN *o = &r->origins[r->originCount];
    o->parent = parent;
    o->name = name;
    o->text = text;
    o->refStart = refStart;
    o->refEnd = refEnd;
    return r->originCount++;
}

/* Places a level record for a text after the current one. */
static FLTLEVEL *PlaceLevel(FLTREADER *r, const char *name, uint32_t nameLength)
{
    uint32_t offset = 0;
    if (r->current)
        offset = (uint32_t)((uint8_t *)r->current - r->store) +
                 Align8((uint32_t)sizeof(FLTLEVEL) + r->current->nameLength + 1);
    if (offset + sizeof(FLTLEVEL) + nameLength + 1 > sizeof r->store)
        return nullptr;
    FLTLEVEL *l = (FLTLEVEL *)(r->store + offset);
    l->up = r->current;
    l->nameLength = nameLength;
    memcpy((char *)(l + 1), name, nameLength);
    ((char *)(l + 1))[nameLength] = 0;
    return l;
}

void FltReaderInit(FLTREADER *r, const char *text, int length, const char *outerName,
                   char *errorBuffer)
{
    memset(r, 0, offsetof(FLTREADER, store));
    r->origins = nullptr;
    r->originCount = r->originCap = 0;
    memset(&r->last, 0, sizeof r->last);
    memset(&r->errorPlace, 0, sizeof r->errorPlace);
    r->capacity = FLT_READER_STORE;
    r->error = errorBuffer;
    if (errorBuffer)
        errorBuffer[0] = 0;
    UTStrCopy(r->outerName, outerName ? outerName : "", sizeof r->outerName);
    if (!text)
        text = "";
    size_t n = length < 0 ? strlen(text) : (size_t)length;
    r->current = nullptr;
    FLTLEVEL *l = PlaceLevel(r, r->outerName, (uint32_t)strlen(r->outerName));
    l->text = l->pos = text;
    l->end = text + n;
    r->current = l;
    r->used = HEADER_BYTES + LEVEL_BYTES;
    l->origin = (uint32_t)AddOrigin(r, 0, r->outerName, text, 0, 0);
}

void FltReaderFree(FLTREADER *r)
{
    CSFreeMemAndClear(&r->origins);
    r->originCount = r->originCap = 0;
}

/* Records an error (the first one stays) at a place (null: the last
 * token). */
void FltReaderError(FLTREADER *r, const FLTPLACE *place, const char *format, ...)
{
    if (!r->error || r->error[0])
        return;
    va_list ap;
    va_start(ap, format);
    vsnprintf(r->error, FLT_ERROR_SIZE, format, ap);
    va_end(ap);
    if (!r->error[0])
        snprintf(r->error, FLT_ERROR_SIZE, "Syntax error");
    r->errorPlace = place ? *place : r->last;
}

static void SetLast(FLTREADER *r, const FLTLEVEL *l, const char *start, const char *end)
{
    r->last.origin = l->origin;
    r->last.start = (uint32_t)(start - l->text);
    r->last.end = (uint32_t)(end - l->text);
    r->last.set = 1;
}

/* Pops the current level; 0 at the outermost. */
static int Pop(FLTREADER *r)
{
    FLTLEVEL *l = r->current;
    if (!l->up)
        return 0;
    r->used -= LEVEL_BYTES + l->nameLength;
    r->current = l->up;
    return 1;
}

/* A reference token "$name" at start..end: pushes the named filter's
 * text; 0, or 1 after an error. */
static int Reference(FLTREADER *r, const char *start, const char *end)
{
    FLTLEVEL *cur = r->current;
    char name[FLT_TOKEN_MAX + 1];
    size_t n = (size_t)(end - start - 1);
    if (n > FLT_TOKEN_MAX)
        n = FLT_TOKEN_MAX;
    memcpy(name, start + 1, n);
    name[n] = 0;
    for (const FLTLEVEL *l = cur; l && name[0]; l = l->up)
        if (!strcmp(LevelName(l), name)) {
            FltReaderError(r, nullptr, "Circular filter dependancy on filter '%s'", name);
            return 1;
        }
    const FILKEY *f = FltFindFilter(name);
    if (!f) {
        FltReaderError(r, nullptr, "Global Filter '%s' not found", name);
        return 1;
    }
    uint32_t cost = LEVEL_BYTES + (uint32_t)n;
    FLTLEVEL *l = r->used + cost <= r->capacity ? PlaceLevel(r, f->name, (uint32_t)strlen(f->name))
                                                : nullptr;
    if (!l) {
        FltReaderError(r, nullptr, "Too many levels of nesing in filter expressions");
        return 1;
    }
    int64_t origin = AddOrigin(r, cur->origin, f->name, f->text ? f->text : "",
                               (uint32_t)(start - cur->text), (uint32_t)(end - cur->text));
    if (origin < 0) {
        FltReaderError(r, nullptr, "Out of memory");
        return 1;
    }
    l->text = l->pos = f->text ? f->text : "";
    l->end = l->text + strlen(l->text);
    l->origin = (uint32_t)origin;
    r->current = l;
    r->used += cost;
    return 0;
}

/* Reads a quoted string into buffer (opening quote kept). */
static void ReadString(FLTLEVEL *l, char *buffer)
{
    static const char Controls[] = "abfnrtv";
    static const char Codes[] = { 7, 8, 12, 10, 13, 9, 11 };
    char quote = *l->pos++;
    size_t n = 0;
    buffer[n++] = quote;
    while (l->pos < l->end && *l->pos != quote) {
        char c = *l->pos++;
        if (c == '\\' && l->pos < l->end) {
            c = *l->pos++;
            const char *k = strchr(Controls, c);
            if (k && c)
                c = Codes[k - Controls];
        }
        if (n < FLT_TOKEN_MAX)
            buffer[n++] = c;
    }
    if (l->pos < l->end)
        l->pos++;
    buffer[n] = 0;
}

int PCFEvalNextToken(char *buffer, FLTREADER *r)
{
    buffer[0] = 0;
    if (r->error && r->error[0])
        return 1;
    for (;;) {
        FLTLEVEL *l = r->current;
        for (;;) {
            while (l->pos < l->end && IsBlank(*l->pos))
                l->pos++;
            if (l->end - l->pos >= 2 && l->pos[0] == '/' && l->pos[1] == '/') {
                while (l->pos < l->end && *l->pos != '\n')
                    l->pos++;
                continue;
            }
            break;
        }
        if (l->pos >= l->end || !*l->pos) {
            l->pos = l->end;
            if (Pop(r))
                continue;
            return 1;
        }
        const char *start = l->pos;
        char c = *start;
        if (c == '$') {
            l->pos++;
            while (l->pos < l->end && *l->pos && !IsDelimiter(*l->pos))
                l->pos++;
            SetLast(r, l, start, l->pos);
            if (Reference(r, start, l->pos))
                return 1;
            continue;
        }
        if (strchr(OperatorChars, c)) {
            size_t n = 1;
            if (l->end - start >= 2 && strchr("<>!=:&|", c))
                for (const char *op : TwoCharOps)
                    if (op[0] == c && op[1] == start[1])
                        n = 2;
            memcpy(buffer, start, n);
            buffer[n] = 0;
            l->pos += n;
        } else if (c == '"' || c == '\'') {
            ReadString(l, buffer);
        } else {
            size_t n = 0;
            while (l->pos < l->end && *l->pos && !IsDelimiter(*l->pos) && n < FLT_TOKEN_MAX)
                buffer[n++] = *l->pos++;
            buffer[n] = 0;
            SetLast(r, l, start, l->pos);
            if (l->pos < l->end && IsBlank(*l->pos))
                l->pos++;
            return 0;
        }
        SetLast(r, l, start, l->pos);
        return 0;
    }
}

/* The place of the reference that leads from the outermost text. */
static FLTPLACE Outermost(const FLTREADER *r, FLTPLACE p)
{
    uint32_t o = p.origin;
    if (!o || o >= r->originCount)
        return p;
    while (r->origins[o].parent)
        o = r->origins[o].parent;
    FLTPLACE q = { 0, r->origins[o].refStart, r->origins[o].refEnd, 1 };
    return q;
}

int PCFEvalErrorPos(FLTREADER *r, int outermost, int *start, int *end)
{
    if (!r->errorPlace.set || r->errorPlace.origin >= r->originCount)
        return 0;
    FLTPLACE p = outermost ? Outermost(r, r->errorPlace) : r->errorPlace;
    *start = (int)p.start;
    *end = (int)(p.end > p.start ? p.end : p.start + 1);
    return 1;
}

/* Appends the names from the outermost origin down to o. */
static void AppendPath(const FLTREADER *r, uint32_t o, char *buffer, size_t size)
{
    uint32_t chain[64];
    int n = 0;
    for (uint32_t k = o;; k = r->origins[k].parent) {
        if (n < 64)
            chain[n++] = k;
        if (!k)
            break;
    }
    while (n--) {
        const char *name = r->origins[chain[n]].name;
        if (!name || !name[0])
            continue;
        size_t used = strlen(buffer);
        if (used && used + 1 < size)
            strcat(buffer, "/");
        used = strlen(buffer);
        if (used + 1 < size)
            snprintf(buffer + used, size - used, "%s", name);
    }
}

void PCFFilterPath(FLTREADER *r, char *buffer, size_t size)
{
    if (!size)
        return;
    if (r->errorPlace.origin < r->originCount)
        AppendPath(r, r->errorPlace.origin, buffer, size);
}

void FltErrorPrefix(FLTREADER *r, char *buffer, size_t size)
{
    if (!size)
        return;
    buffer[0] = 0;
    if (!r->errorPlace.set || !r->errorPlace.origin || r->errorPlace.origin >= r->originCount)
        return;
    PCFFilterPath(r, buffer, size);
    size_t n = strlen(buffer);
    if (n + 1 < size) {
        buffer[n] = ':';
        buffer[n + 1] = 0;
    }
}

const char *FltErrorFilterName(FLTREADER *r)
{
    if (!r->errorPlace.set || r->errorPlace.origin >= r->originCount)
        return "";
    return r->origins[r->errorPlace.origin].name;
}
