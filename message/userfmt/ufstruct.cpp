/* The "struct" statement: field statements with their type words, field
 * formats, dimensions, enumerations, conditional values and options, built
 * into a structure definition of the formatter's shape and laid out when
 * the closing "}" is read. */
#include "ufint.h"
#include <cctype>
#include <cstdio>
#include <cstring>

struct TypeWord {
    const char *word;
    uint16_t type;
    uint32_t length;
};

static const TypeWord typeWords[] = {
    { "hex", FT_HEX, 1 },           { "int", FT_INT, 4 },          { "flags8", FT_FLAGS8, 1 },
    { "char", FT_CHAR, 1 },         { "short", FT_SHORT, 2 },      { "struct", FT_STRUCT, 0 },
    { "flags", FT_FLAGS, 4 },       { "inth", FT_INTH, 4 },        { "int64h", FT_INT64H, 8 },
    { "align2", FT_ALIGN, 2 },      { "align4", FT_ALIGN, 4 },     { "align8", FT_ALIGN, 8 },
    { "align16", FT_ALIGN, 16 },    { "flags16", FT_FLAGS16, 2 },  { "charbp", FT_CHARBP, 0 },
    { "uint", FT_UINT, 4 },         { "uinth", FT_UINTH, 4 },      { "int64", FT_INT64, 8 },
    { "uint64", FT_UINT64, 8 },     { "uint64h", FT_UINT64H, 8 },  { "shorth", FT_SHORTH, 2 },
    { "ushort", FT_USHORT, 2 },     { "ushorth", FT_USHORTH, 2 },  { "int8", FT_INT8, 1 },
    { "int8h", FT_INT8H, 1 },       { "uint8", FT_UINT8, 1 },      { "uint8h", FT_UINT8H, 1 },
    { "desc", FT_DESC, 0 },         { "float", FT_FLOAT, 4 },      { "double", FT_DOUBLE, 8 },
    { "time32", FT_TIME32, 4 },     { "time64", FT_TIME64, 8 },    { "packed", FT_PACKED, 4 },
    { "upacked", FT_UPACKED, 4 },   { "opunch", FT_ZONED, 1 },     { "digits", FT_DIGITS, 1 },
};

/* Types by what they accept. */
static int IsIntegerType(uint16_t t)
{
    switch (t) {
    case FT_INT: case FT_FLAGS8: case FT_SHORT: case FT_FLAGS: case FT_INTH: case FT_INT64H:
    case FT_FLAGS16:
        return 1;
    }
    return t >= FT_UINT && t <= FT_UINT8H;
}
static int IsDecimalType(uint16_t t)
{
    return t == FT_PACKED || t == FT_UPACKED || t == FT_ZONED || t == FT_DIGITS;
}
static int IsNumericType(uint16_t t) { return IsIntegerType(t) || IsDecimalType(t); }
static int IsTextType(uint16_t t) { return t == FT_CHAR || t == FT_CHARBP || t == FT_TEXT_BYLEN; }

/* Width of a conditional value, 0 when the type takes none. */
static uint32_t CondWidth(uint16_t t)
{
    switch (t) {
    case FT_INT: case FT_FLAGS: case FT_INTH: case FT_UINT: case FT_UINTH: return 4;
    case FT_PACKED: case FT_UPACKED: return 8;          /* held whole: up to 18 digits */
    case FT_FLAGS8: return 1;
    case FT_SHORT: case FT_FLAGS16: case FT_SHORTH: case FT_USHORT: case FT_USHORTH: return 2;
    case FT_INT64H: case FT_INT64: case FT_UINT64: case FT_UINT64H: return 8;
    }
    return 0;
}

/* ---- the structure being built ---- */

struct Build {
    UFPARSER *p;
    UFSTRUCT *s;
    FmtStructRow *rows;
    UFCOND **conds;
    uint32_t count, capacity;
    int variableSeen;           /* a field of varying size came before */
};

/* The field being read. */
struct Field {
    FmtFieldDef *f;
    uint64_t rowFlags;
    FmtFieldDef *array;         /* the nameless array row before it, or null */
    UFCOND *cond;
    const char *key;            /* its name in the structure */
    int lengthSet;              /* a first dimension gave hex or text its length */
};

static int AddRow(Build *b, FmtFieldDef *f, uint64_t flags, UFCOND *cond)
{
    if (b->count + 1 >= b->capacity) {
        uint32_t cap = b->capacity ? b->capacity * 2 : 32;
        FmtStructRow *rows = (FmtStructRow *)CSGetMem(cap * sizeof *rows, "UFROWS");
        UFCOND **conds = (UFCOND **)CSGetMem(cap * sizeof *conds, "UFROWS");
        if (!rows || !conds) {
            if (rows) CSFreeMem(rows);
            if (conds) CSFreeMem(conds);
            return UFNoStorage(b->p);
        }
        if (b->rows) {
            memcpy(rows, b->rows, b->count * sizeof *rows);
            memcpy(conds, b->conds, b->count * sizeof *conds);
            CSFreeMem(b->rows);
            CSFreeMem(b->conds);
        }
        b->rows = rows;
        b->conds = conds;
        b->capacity = cap;
    }
    b->rows[b->count] = FmtStructRow{ 0, f, nullptr, flags };
    b->conds[b->count] = cond;
    b->count++;
    return 1;
}

static FmtFieldDef *NewField(UFPARSER *p, const char *name, uint16_t type, uint32_t length)
{
    FmtFieldDef *f = (FmtFieldDef *)UFAlloc(p->gen, sizeof(FmtFieldDef));
    if (f) {
        f->name = name;
        f->type = type;
        f->length = length;
    }
    return f;
}

static int Found(UFPARSER *p, const UFTOKEN *t, const char *expected)
{
    char fmt[100];
    snprintf(fmt, sizeof fmt, "'%%.*s' found where '%s' was expected.", expected);
    return UFParseError(p->owner, p, fmt, t->text, (int)t->length);
}

/* Reads the next token; when it is not the word, puts it back. */
static int Accept(UFPARSER *p, const char *word)
{
    UFTOKEN t;
    if (!UFNext(p, &t, UFT_SEMI))
        return 0;
    if (UFIs(&t, word))
        return 1;
    UFUnget(p, &t);
    return 0;
}

/* ---- field formats ---- */

static const char *const maskTokens[] = { "YYYY", "YY", "yy", "MM", "DD", "hh", "mm", "ss", "xx", "JJJ" };

/* 1 when every letter of the mask starts one of its tokens (and one does). */
static int ValidMask(const char *m, uint32_t n)
{
    int tokens = 0;
    for (uint32_t i = 0; i < n;) {
        char c = m[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
            i++;
            continue;
        }
        uint32_t len = 0;
        for (const char *tok : maskTokens) {
            size_t k = strlen(tok);
            if (n - i >= k && memcmp(m + i, tok, k) == 0) {
                len = (uint32_t)k;
                break;
            }
        }
        if (!len)
            return 0;
        i += len;
        tokens++;
    }
    return tokens > 0;
}

static int DateMask(UFPARSER *p, FmtFieldDef *f, const UFTOKEN *t)
{
    if (!ValidMask(t->text, t->length))
        return UFParseError(p->owner, p, "Invalid date string format.", nullptr, 0);
    f->dateLayout = UFStrDup(p->gen, t->text, t->length);
    return f->dateLayout ? 1 : UFNoStorage(p);
}

/* "n" or "n.m": 1 read, 0 not of that form. */
static int DigitsItem(const UFTOKEN *t, uint32_t *n, uint32_t *m)
{
    uint32_t i = 0, a = 0, b = 0, digits = 0;
    for (; i < t->length && t->text[i] >= '0' && t->text[i] <= '9'; i++, digits++)
        a = a < 1000 ? a * 10 + (uint32_t)(t->text[i] - '0') : a;
    if (!digits || t->kind != TK_WORD)
        return 0;
    if (i < t->length) {
        if (t->text[i++] != '.' || i == t->length)
            return 0;
        for (; i < t->length; i++) {
            if (t->text[i] < '0' || t->text[i] > '9')
                return 0;
            b = b < 1000 ? b * 10 + (uint32_t)(t->text[i] - '0') : b;
        }
    }
    *n = a;
    *m = b;
    return 1;
}

static int DecimalItem(UFPARSER *p, FmtFieldDef *f, const UFTOKEN *t)
{
    uint32_t n, m;
    int text = f->type == FT_ZONED || f->type == FT_DIGITS;
    if (DigitsItem(t, &n, &m)) {
        static const char *const kinds[] = { "Packed", "Over-punched", "Digits" };
        const char *kind = kinds[f->type == FT_ZONED ? 1 : f->type == FT_DIGITS ? 2 : 0];
        if (n + m == 0)
            return UFParseError(p->owner, p, "%.*s field of zero length is not supported.", kind, -1);
        if (n + m > 64)
            return UFParseError(p->owner, p, "Number '%.*s' too large.", t->text, (int)t->length);
        f->digits = n;
        f->decimals = m;
        f->length = f->type == FT_ZONED ? n + m : f->type == FT_DIGITS ? n + m + 1 : (n + m + 2) / 2;
        return 1;
    }
    if (UFIs(t, "lead")) {
        f->flags |= 0x1000;
        return 1;
    }
    if (text && UFIs(t, "plus")) {
        f->flags |= FF_SHOW_PLUS;
        return 1;
    }
    if (text && UFIs(t, "signleft")) {
        f->flags |= FF_SIGN_FIRST;
        return 1;
    }
    if (text && UFIs(t, "signright"))
        return 1;
    return DateMask(p, f, t);
}

static int FormatItem(UFPARSER *p, FmtFieldDef *f, const UFTOKEN *t)
{
    switch (f->type) {
    case FT_FLOAT: case FT_DOUBLE: {
        uint32_t n, m;
        if (!DigitsItem(t, &n, &m) || memchr(t->text, '.', t->length) || n > 30)
            return UFParseError(p->owner, p, "The precision value '%.*s' is not a valid value.",
                                t->text, (int)t->length);
        f->digits = n;
        return 1;
    }
    case FT_TIME32: case FT_TIME64:
        if (UFIs(t, "UTC"))
            f->digits |= 1;
        else if (UFIs(t, "MMDDYYYY"))
            f->digits |= 2;
        else
            return UFParseError(p->owner, p, "Unrecognised CTIME field format '%.*s'.", t->text,
                                (int)t->length);
        return 1;
    case FT_CHAR:
        return DateMask(p, f, t);
    }
    return DecimalItem(p, f, t);
}

static int FieldFormat(UFPARSER *p, FmtFieldDef *f)
{
    uint16_t t = f->type;
    if (!(t == FT_FLOAT || t == FT_DOUBLE || t == FT_TIME32 || t == FT_TIME64 || t == FT_CHAR ||
          IsDecimalType(t)))
        return UFParseError(p->owner, p, "Field type does not support Field Format data.", nullptr, 0);
    for (;;) {
        UFTOKEN item, sep;
        UFNext(p, &item, 0);
        if (item.kind == TK_END || UFIs(&item, ")"))
            return UFExpectedError(p, &item, item.kind == TK_END ? ")" : "Field Format");
        if (!FormatItem(p, f, &item))
            return 0;
        UFNext(p, &sep, 0);
        if (UFIs(&sep, ")"))
            return 1;
        if (!UFIs(&sep, ",") && !UFIs(&sep, "|"))
            return UFExpectedError(p, &sep, ")");
    }
}

/* ---- dimensions ---- */

static int Dimension(Build *b, Field *fd)
{
    UFPARSER *p = b->p;
    FmtFieldDef *f = fd->f;
    UFTOKEN t;
    UFNext(p, &t, 0);
    int64_t count = 0;
    FmtFieldDef *countField = nullptr;
    if (UFIs(&t, "*")) {
        count = 0xFFFFFFFF;
    } else if (t.kind == TK_WORD && t.length && isalpha((unsigned char)t.text[0])) {
        if (!UFValidName(&t))
            return UFParseError(p->owner, p, "'%.*s' is not a valid Array name.", t.text, (int)t.length);
        char key[512];
        UFTokenKey(&t, key, sizeof key);
        UFFIELD *e = (UFFIELD *)UFIndexFind(b->s->fields, key);
        if (!e)
            return UFParseError(p->owner, p, "Array field '%.*s' is not defined.", t.text, (int)t.length);
        if (!IsNumericType(e->field->type))
            return UFParseError(p->owner, p, "Array field '%.*s' is not numeric.", t.text, (int)t.length);
        countField = e->field;
        countField->flags |= FF_REFERENCED;
    } else if (!UFNumber(p, &t, &count)) {
        return 0;
    } else if (count < 0 || count > 0x7FFFFFFF) {
        return UFParseError(p->owner, p, "Number '%.*s' too large.", t.text, (int)t.length);
    }
    if (!UFExpect(p, "]", 0))
        return 0;
    int lengthDim = (f->type == FT_HEX || f->type == FT_CHAR || f->type == FT_CHARBP) && !fd->lengthSet;
    if (lengthDim) {
        fd->lengthSet = 1;
        if (countField) {
            f->reference = countField;
            f->length = 0;
            if (f->type != FT_CHARBP)
                f->type = f->type == FT_HEX ? FT_BYTES_BYLEN : FT_TEXT_BYLEN;
        } else {
            f->length = (uint32_t)count;
        }
        return 1;
    }
    if (fd->array)
        return UFParseError(p->owner, p, "Multi-dimension arrays are not supported.", nullptr, 0);
    fd->array = countField ? NewField(p, "!array", FT_COUNTED_ARRAY, 0)
                           : NewField(p, "!array", FT_FIXED_ARRAY, (uint32_t)count);
    if (!fd->array)
        return UFNoStorage(p);
    fd->array->reference = countField;
    return 1;
}

/* ---- enumerations ---- */

static int Enumeration(UFPARSER *p, Field *fd)
{
    FmtFieldDef *f = fd->f;
    UFTOKEN t;
    UFENUM *e = (UFENUM *)UFReadDefined(p, &t, "Enumeration", p->gen->enums, "Enumeration '%.*s' is not defined.");
    if (!e)
        return 0;
    if (IsIntegerType(f->type)) {
        if (e->kind != UF_ENUM_INT)
            return UFParseError(p->owner, p, "Enumeration '%.*s' is not of integer type.", t.text, (int)t.length);
    } else if (IsTextType(f->type)) {
        if (e->kind != UF_ENUM_CHAR)
            return UFParseError(p->owner, p, "Enumeration '%.*s' is not of character type.", t.text, (int)t.length);
    } else if (f->type == FT_FLOAT || f->type == FT_DOUBLE || IsDecimalType(f->type)) {
        if (e->kind != UF_ENUM_CHAR)
            return UFParseError(p->owner, p, "Enumeration '%.*s' is not of suitable type.", t.text, (int)t.length);
    } else {
        return UFParseError(p->owner, p, "Enumerations are not supported for this field type", nullptr, 0);
    }
    /* a text whose length comes from another field holds that field as
     * its reference: there is no room for value names, so the definition
     * is refused rather than its names silently dropped */
    if (f->reference)
        return UFParseError(p->owner, p, "Enumerations are not supported on variable length fields such as '%.*s'.",
                            fd->key ? fd->key : "", -1);
    f->reference = e->table;
    return UFExpect(p, ")", 0);
}

/* ---- conditional values ---- */

static int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

static int Conditional(Build *b, Field *fd)
{
    UFPARSER *p = b->p;
    FmtFieldDef *f = fd->f;
    UFTOKEN t;
    UFNext(p, &t, UFT_SEMI);            /* a ";" here is no value, not a comment */
    const char *name = fd->key;
    if (f->length == 0 || f->length == 0xFFFFFFFF) {
        if (!name)
            return UFParseError(p->owner, p, "Conditional values are not supported for this field type.", nullptr, 0);
        return UFParseError(p->owner, p,
                            "Conditional values are not supported on variable length fields such as '%.*s'.", name, -1);
    }
    if (b->variableSeen)
        return UFParseError(p->owner, p,
                            "A conditional value is not allowed on field '%.*s' because it's position is not fixed.",
                            name, -1);
    UFCOND *c = (UFCOND *)UFAlloc(p->gen, sizeof(UFCOND));
    if (!c)
        return UFNoStorage(p);
    c->type = f->type;
    if (f->type == FT_HEX) {
        if (t.length > 2 * (uint64_t)f->length)
            return UFParseError(p->owner, p, "Conditional hex string is larger than actual hex field.", nullptr, 0);
        if (t.kind == TK_END || t.kind == TK_OP || !t.length)
            return UFParseError(p->owner, p, "Conditional value '%.*s' should be in hex.", t.text, (int)t.length);
        c->length = (t.length + 1) / 2;
        if (!(c->bytes = (unsigned char *)UFAlloc(p->gen, c->length)))
            return UFNoStorage(p);
        for (uint32_t i = 0; i < t.length; i++) {
            int d = HexValue(t.text[i]);
            if (d < 0)
                return UFParseError(p->owner, p, "Conditional value '%.*s' should be in hex.", t.text, (int)t.length);
            uint32_t nibble = i + (t.length & 1);       /* an odd count starts with a zero nibble */
            c->bytes[nibble / 2] |= (unsigned char)(nibble & 1 ? d : d << 4);
        }
    } else if (f->type == FT_CHAR) {
        if (t.kind == TK_END || (t.kind == TK_OP && t.text[0] == ';'))
            return UFExpectedError(p, &t, "value");
        if (t.length > f->length)
            return UFParseError(p->owner, p, "Conditional string is larger than actual string field.", nullptr, 0);
        c->length = t.length;
        c->bytes = (unsigned char *)UFStrDup(p->gen, t.text, t.length);
        c->converted = (unsigned char *)UFAlloc(p->gen, t.length + 1);
        if (!c->bytes || !c->converted)
            return UFNoStorage(p);
    } else if ((c->length = CondWidth(f->type)) != 0) {
        if (!UFNumber(p, &t, &c->number))
            return 0;
    } else {
        return UFParseError(p->owner, p, "Field type does not support conditional values.", nullptr, 0);
    }
    fd->cond = c;
    fd->rowFlags |= RF_UF_CONDITION;
    return 1;
}

/* ---- options ---- */

struct OptionWord {
    const char *word;
    uint64_t rowFlag;
    uint32_t fieldFlag;
};

static const OptionWord optionWords[] = {
    { "low", 1, 0 }, { "medium", 2, 0 }, { "high", 3, 0 },
    { "enc", RF_ENCODING_NEXT, 0 }, { "ccsid", RF_CCSID_NEXT, 0 }, { "struclen", RF_STRUCLEN, 0 },
    { "pad4", RF_PAD4, 0 }, { "summary", RF_UF_SUMMARY, 0 },
    { "defer", 0, FF_ENCODING }, { "expert", 0, FF_STRUCID }, { "limval", 0, FF_CCSID },
};

static int Options(UFPARSER *p, Field *fd)
{
    for (;;) {
        UFTOKEN t;
        UFNext(p, &t, UFT_SEMI);
        if (t.kind == TK_END || t.kind == TK_OP)
            return UFParseError(p->owner, p, "Expected field option.", nullptr, 0);
        const OptionWord *o = nullptr;
        for (const OptionWord &w : optionWords)
            if (UFIs(&t, w.word))
                o = &w;
        if (!o)
            return UFParseError(p->owner, p, "Unrecognised field option '%.*s'.", t.text, (int)t.length);
        if (o->rowFlag == RF_STRUCLEN && !IsNumericType(fd->f->type))
            return UFParseError(p->owner, p, "Field option '%.*s' can only be specified on numeric fields.",
                                t.text, (int)t.length);
        fd->rowFlags |= o->rowFlag;
        fd->f->flags |= o->fieldFlag;
        UFNext(p, &t, UFT_SEMI);
        if (UFIs(&t, ";")) {
            UFUnget(p, &t);
            return 1;
        }
        if (!UFIs(&t, ","))
            return UFParseError(p->owner, p, "'%.*s' found where ',' (comma) was expected.", t.text,
                                (int)t.length);
    }
}

/* ---- one field statement ---- */

/* ";" and the description, which labels the field when given. */
static int EndOfField(UFPARSER *p, Field *fd, int descField)
{
    UFTOKEN t;
    UFNext(p, &t, UFT_SEMI);
    if (!UFIs(&t, ";"))
        return Found(p, &t, ";");
    const char *d;
    uint32_t n = UFRestOfLine(p, &d);
    if (n > 200)
        n = 200;
    if (descField) {
        fd->f->reference = UFStrDup(p->gen, d, n);
        return fd->f->reference ? 1 : UFNoStorage(p);
    }
    if (n && !(fd->f->name = UFStrDup(p->gen, d, n)))
        return UFNoStorage(p);
    return 1;
}

/* The field's size varies with the data. */
static int Varies(const Field *fd)
{
    const FmtFieldDef *f = fd->f;
    if (fd->array && (fd->array->type == FT_COUNTED_ARRAY || fd->array->length == 0xFFFFFFFF))
        return 1;
    if (f->type == FT_STRUCT) {
        const UFSTRUCT *n = UFStructOf((const FmtStructDef *)f->reference);
        return !n || n->variable || n->def.size == 0;
    }
    if (f->type == FT_DESC || f->type == FT_ALIGN)
        return 0;
    return f->length == 0 || f->length == 0xFFFFFFFF;
}

static int AddField(Build *b, Field *fd)
{
    FmtFieldDef *f = fd->f;
    f->flags |= fd->key ? 0x2000 : 0;
    if (f->length == 0 && f->type != FT_STRUCT && f->type != FT_DESC)
        fd->rowFlags |= RF_SHOW_EMPTY;
    if (f->type == FT_STRUCT)
        fd->rowFlags |= ((const FmtStructDef *)f->reference)->kind & (RF_UF_CONDITION | RF_UF_SUMMARY);
    b->s->def.kind |= (uint32_t)(fd->rowFlags & (RF_UF_CONDITION | RF_UF_SUMMARY));
    if (fd->array && !AddRow(b, fd->array, 0, nullptr))
        return 0;
    if (!AddRow(b, f, fd->rowFlags, fd->cond))
        return 0;
    if (fd->key) {
        UFFIELD *e = (UFFIELD *)UFAlloc(b->p->gen, sizeof(UFFIELD));
        if (!e)
            return UFNoStorage(b->p);
        e->field = f;
        e->row = b->count - 1;
        if (!UFIndexAdd(&b->s->fields, "UFFIELD", fd->key, e))
            return UFParseError(b->p->owner, b->p, "Can not allocate format field storage.", nullptr, 0);
    }
    if (Varies(fd))
        b->variableSeen = b->s->variable = 1;
    return 1;
}

/* "desc" and the alignment words: no name, options or ";" follow. */
static int NamelessField(Build *b, Field *fd)
{
    UFPARSER *p = b->p;
    UFTOKEN t;
    UFNext(p, &t, UFT_SEMI);
    if (UFIs(&t, "["))
        return UFParseError(p->owner, p, "Arrays are not supported for this field type.", nullptr, 0);
    if (UFIs(&t, ":")) {
        if (!Options(p, fd))
            return 0;
    } else {
        UFUnget(p, &t);
    }
    if (!EndOfField(p, fd, fd->f->type == FT_DESC))
        return 0;
    return AddField(b, fd);
}

static int FieldName(Build *b, Field *fd)
{
    UFPARSER *p = b->p;
    UFTOKEN t;
    if (fd->f->type == FT_STRUCT) {
        UFSTRUCT *n = (UFSTRUCT *)UFReadDefined(p, &t, "Structure", p->gen->structs, "Unknown structure '%.*s' specified.");
        if (!n)
            return 0;
        fd->f->reference = &n->def;
        fd->f->length = n->def.size;
        UFTOKEN second;
        if (UFNext(p, &second, UFT_SEMI) && UFValidName(&second))
            t = second;
        else
            UFUnget(p, &second);
    } else if (!UFReadName(p, &t, "Field", 0)) {
        return 0;
    }
    char key[512];
    UFTokenKey(&t, key, sizeof key);
    if (UFIndexFind(b->s->fields, key))
        return UFParseError(p->owner, p, "Field '%.*s' is already defined.", t.text, (int)t.length);
    fd->key = UFStrDup(p->gen, t.text, t.length);
    fd->f->name = fd->key;
    return fd->key ? 1 : UFNoStorage(p);
}

static int ParseField(Build *b, const UFTOKEN *typeToken)
{
    UFPARSER *p = b->p;
    const TypeWord *w = nullptr;
    for (const TypeWord &tw : typeWords)
        if (UFIs(typeToken, tw.word))
            w = &tw;
    if (!w) {
        if (typeToken->kind == TK_END || !typeToken->length)
            return UFParseError(p->owner, p, "Data type expected.", nullptr, 0);
        return UFParseError(p->owner, p, "'%.*s' is not a valid field type.", typeToken->text,
                            (int)typeToken->length);
    }
    Field fd = {};
    if (!(fd.f = NewField(p, w->type == FT_DESC ? "!desc" : "!align", w->type, w->length)))
        return UFNoStorage(p);
    if (w->type == FT_PACKED || w->type == FT_UPACKED)
        fd.f->digits = 7;
    else if (w->type == FT_ZONED)
        fd.f->digits = 1;
    if (w->type == FT_DESC || w->type == FT_ALIGN)
        return NamelessField(b, &fd);
    if (Accept(p, "(") && !FieldFormat(p, fd.f))
        return 0;
    if (!FieldName(b, &fd))
        return 0;
    while (Accept(p, "["))
        if (!Dimension(b, &fd))
            return 0;
    if (Accept(p, "(") && !Enumeration(p, &fd))
        return 0;
    if (Accept(p, "=") && !Conditional(b, &fd))
        return 0;
    if (Accept(p, ":") && !Options(p, &fd))
        return 0;
    if (!EndOfField(p, &fd, 0))
        return 0;
    return AddField(b, &fd);
}

/* ---- the statement ---- */

static int Finish(Build *b, const char *title)
{
    UFPARSER *p = b->p;
    UFSTRUCT *s = b->s;
    FmtStructRow *rows = (FmtStructRow *)UFAlloc(p->gen, (b->count + 1) * sizeof(FmtStructRow));
    UFCOND **conds = (UFCOND **)UFAlloc(p->gen, (b->count + 1) * sizeof(UFCOND *));
    if (!rows || !conds)
        return UFNoStorage(p);
    if (b->count) {
        memcpy(rows, b->rows, b->count * sizeof *rows);
        memcpy(conds, b->conds, b->count * sizeof *conds);
    }
    s->def.title = title;
    s->def.rows = rows;
    s->conds = conds;
    s->rowCount = b->count;
    if (s->variable)
        s->def.state |= 8;
    FmtLayoutStruct(&s->def, 1);
    if (!UFIndexAdd(&p->gen->structs, "Struct", s->name, s))
        return UFNoStorage(p);
    return 1;
}

int UFParseStruct(UFPARSER *p)
{
    char key[512];
    if (!UFReadNewName(p, "Structure", p->gen->structs, "Stucture '%.*s' is already defined.", key, sizeof key))
        return 0;
    UFSTRUCT *s = (UFSTRUCT *)UFAlloc(p->gen, sizeof(UFSTRUCT));
    if (!s || !(s->name = UFStrDup(p->gen, key, strlen(key))))
        return UFNoStorage(p);
    const char *title = s->name;
    UFTOKEN t;
    if (UFNext(p, &t, UFT_SEMI) && UFIs(&t, ";")) {
        const char *d;
        uint32_t n = UFRestOfLine(p, &d);
        if (n && !(title = UFStrDup(p->gen, d, n > 200 ? 200 : n)))
            return UFNoStorage(p);
    } else {
        UFUnget(p, &t);
    }
    if (!UFExpect(p, "{", 0))
        return 0;
    Build b = {};
    b.p = p;
    b.s = s;
    int ok = 1;
    for (;;) {
        UFNext(p, &t, 0);
        if (UFIs(&t, "}"))
            break;
        if (!(ok = ParseField(&b, &t)))
            break;
    }
    if (ok)
        ok = Finish(&b, title);
    if (!ok)
        CSTreeFree(&s->fields, nullptr, nullptr);
    CSFreeMemAndClear(&b.rows);
    CSFreeMemAndClear(&b.conds);
    return ok;
}
