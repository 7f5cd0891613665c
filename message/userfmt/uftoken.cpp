/* The user format file's tokens: words, quoted strings and operators,
 * comments after ";", names, numbers, and the parse error report with one
 * "At line" line per file of the include chain. */
#include "ufint.h"
#include <cctype>
#include <cstdio>
#include <cstring>

static const char caption[] = "Ravolt User Format File Parse Error";

static int IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == 0; }

/* Characters that end a word. */
static int EndsWord(char c) { return c == '\n' || IsSpace(c) || strchr("()[]!|&<>=,;:", c); }

static const char *const twoCharOps[] = { "<>", "!=", ">=", "<=", "==" };

static void SkipLine(UFPARSER *p)
{
    while (p->pos < p->end && *p->pos != '\n')
        p->pos++;
}

/* Scans one token; 0 with none when only a token of the current line is
 * wanted and the line has no more. */
static int Scan(UFPARSER *p, UFTOKEN *t, int flags)
{
    for (;;) {
        while (p->pos < p->end && IsSpace(*p->pos))
            p->pos++;
        if (p->pos < p->end && *p->pos == '\n') {
            if (flags & UFT_SAME_LINE)
                return 0;
            p->pos++;
            p->line++;
            continue;
        }
        t->line = p->line;
        t->text = p->pos;
        if (p->pos >= p->end) {
            t->kind = TK_END;
            t->length = 0;
            return 1;
        }
        char c = *p->pos;
        if (c == '"') {
            const char *q = ++p->pos;
            while (q < p->end && *q != '"' && *q != '\n')
                q += (*q == '\\' && q + 1 < p->end && q[1] != '\n') ? 2 : 1;
            t->kind = TK_QUOTED;
            t->text = p->pos;
            t->length = (uint32_t)(q - p->pos);
            p->pos = q < p->end && *q == '"' ? q + 1 : q;
            return 1;
        }
        t->kind = TK_OP;
        for (const char *op : twoCharOps)
            if (p->end - p->pos >= 2 && p->pos[0] == op[0] && p->pos[1] == op[1]) {
                t->length = 2;
                p->pos += 2;
                return 1;
            }
        if (strchr("()[]!|&<>=,;:", c)) {
            p->pos++;
            if (c == ';' && !(flags & UFT_SEMI)) {   /* a comment to the line's end */
                SkipLine(p);
                continue;
            }
            t->length = 1;
            return 1;
        }
        const char *q = p->pos;
        while (q < p->end && !EndsWord(*q))
            q++;
        t->kind = TK_WORD;
        t->length = (uint32_t)(q - p->pos);
        p->pos = q;
        return 1;
    }
}

int UFNext(UFPARSER *p, UFTOKEN *t, int flags)
{
    if (p->hasBack) {
        if ((flags & UFT_SAME_LINE) && p->back.line != p->line)
            return 0;
        p->hasBack = 0;
        if (!(p->back.kind == TK_OP && p->back.length == 1 && p->back.text[0] == ';' &&
              !(flags & UFT_SEMI))) {
            *t = p->back;
            return 1;
        }
        SkipLine(p);                    /* a put-back ";" where none is wanted */
    }
    return Scan(p, t, flags);
}

void UFUnget(UFPARSER *p, const UFTOKEN *t)
{
    p->back = *t;
    p->hasBack = 1;
}

uint32_t UFRestOfLine(UFPARSER *p, const char **text)
{
    p->hasBack = 0;
    const char *s = p->pos, *e = s;
    while (e < p->end && *e != '\n')
        e++;
    p->pos = e;
    while (s < e && IsSpace(*s))
        s++;
    while (e > s && IsSpace(e[-1]))
        e--;
    *text = s;
    return (uint32_t)(e - s);
}

int UFIs(const UFTOKEN *t, const char *word)
{
    size_t n = strlen(word);
    return t->kind != TK_QUOTED && t->kind != TK_END && t->length == n && memcmp(t->text, word, n) == 0;
}

int UFIsNoCase(const UFTOKEN *t, const char *word)
{
    size_t n = strlen(word);
    if (t->kind == TK_QUOTED || t->kind == TK_END || t->length != n)
        return 0;
    for (size_t i = 0; i < n; i++)
        if (tolower((unsigned char)t->text[i]) != tolower((unsigned char)word[i]))
            return 0;
    return 1;
}

/* ---- errors ---- */

/* The report: one "At line" line per file of the chain, a blank line and
 * the message. */
static int Report(void *owner, UFPARSER *p, const char *fmt, const char *arg, int argLength)
{
    char text[8192], message[1024];
    if (arg && argLength < 0)
        argLength = (int)strlen(arg);
    if (argLength > 300)
        argLength = 300;
    if (strstr(fmt, "%.*s"))
        snprintf(message, sizeof message, fmt, arg ? argLength : 0, arg ? arg : "");
    else
        snprintf(message, sizeof message, "%s", fmt);
    UFPARSER *chain[UF_MAX_INCLUDE_DEPTH + 2];
    int n = 0;
    for (UFPARSER *q = p; q && n < UF_MAX_INCLUDE_DEPTH + 2; q = q->parent)
        chain[n++] = q;
    size_t used = 0;
    text[0] = 0;
    while (n-- > 0 && used < sizeof text - 400) {
        int k = snprintf(text + used, sizeof text - used, "At line %u of file '%s'\n",
                         (unsigned)chain[n]->line, chain[n]->path);
        if (k > 0)
            used += (size_t)k < sizeof text - used ? (size_t)k : sizeof text - used - 1;
    }
    snprintf(text + used, sizeof text - used, used ? "\n%s" : "%s", message);
    if (p && p->errors)
        (*p->errors)++;
    UFReport(owner, text, caption);
    return 0;
}

int UFParseError(void *owner, UFPARSER *p, const char *fmt, const char *arg, int argLength)
{
    return Report(owner, p, fmt, arg, argLength);
}

void UFParseWarning(UFPARSER *p, const char *fmt, const char *arg, int argLength)
{
    Report(p->owner, p, fmt, arg, argLength);
}

int UFExpectedError(UFPARSER *p, const UFTOKEN *t, const char *word)
{
    char fmt[200];
    if (t->kind == TK_END) {
        snprintf(fmt, sizeof fmt, "Expected '%s' missing.", word);
        return UFParseError(p->owner, p, fmt, nullptr, 0);
    }
    snprintf(fmt, sizeof fmt, "'%%.*s' found where '%s' expected.", word);
    return UFParseError(p->owner, p, fmt, t->text, (int)t->length);
}

int UFExpect(UFPARSER *p, const char *word, int flags)
{
    UFTOKEN t;
    if (!UFNext(p, &t, flags)) {
        t.kind = TK_END;
        t.length = 0;
    }
    return UFIs(&t, word) ? 1 : UFExpectedError(p, &t, word);
}

/* ---- names ---- */

int UFValidName(const UFTOKEN *t)
{
    if (t->kind != TK_WORD || !t->length || !isalpha((unsigned char)t->text[0]))
        return 0;
    for (uint32_t i = 1; i < t->length; i++) {
        unsigned char c = (unsigned char)t->text[i];
        if (!isalnum(c) && c != '.' && c != '_')
            return 0;
    }
    return 1;
}

int UFReadName(UFPARSER *p, UFTOKEN *t, const char *kind, int flags)
{
    if (!UFNext(p, t, flags) || t->kind == TK_END || t->kind == TK_OP)
        return UFParseError(p->owner, p, "%.*s name missing.", kind, -1);
    if (!UFValidName(t)) {
        char fmt[100];
        snprintf(fmt, sizeof fmt, "'%%.*s' is not a valid %s name.", kind);
        return UFParseError(p->owner, p, fmt, t->text, (int)t->length);
    }
    return 1;
}

void UFTokenKey(const UFTOKEN *t, char *key, size_t size)
{
    snprintf(key, size, "%.*s", (int)t->length, t->text);
}

void *UFReadDefined(UFPARSER *p, UFTOKEN *t, const char *kind, CSTREE *index, const char *notDefined)
{
    if (!UFReadName(p, t, kind, 0))
        return nullptr;
    char key[512];
    UFTokenKey(t, key, sizeof key);
    void *found = UFIndexFind(index, key);
    if (!found)
        UFParseError(p->owner, p, notDefined, t->text, (int)t->length);
    return found;
}

int UFReadNewName(UFPARSER *p, const char *kind, CSTREE *index, const char *defined, char *key, size_t size)
{
    UFTOKEN t;
    if (!UFReadName(p, &t, kind, UFT_SAME_LINE))
        return 0;
    UFTokenKey(&t, key, size);
    if (UFIndexFind(index, key))
        return UFParseError(p->owner, p, defined, t.text, (int)t.length);
    return 1;
}

int UFNoStorage(UFPARSER *p)
{
    return UFParseError(p->owner, p, "Can not allocate format storage.", nullptr, 0);
}

/* ---- numbers ---- */

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int UFNumber(UFPARSER *p, const UFTOKEN *t, int64_t *value)
{
    const char *s = t->text;
    uint32_t n = t->length;
    if (t->kind == TK_END || t->kind == TK_OP || n == 0)
        return UFParseError(p->owner, p, "Number expected.", nullptr, 0);
    if (n > 40)
        return UFParseError(p->owner, p, "Number '%.*s' too large.", s, (int)n);
    uint64_t v = 0;
    if (n > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        for (uint32_t i = 2; i < n; i++) {
            int d = HexDigit(s[i]);
            if (d < 0)
                return UFParseError(p->owner, p, "Number '%.*s' is not a valid format.", s, (int)n);
            if (v >> 60)
                return UFParseError(p->owner, p, "Number '%.*s' too large.", s, (int)n);
            v = v << 4 | (uint64_t)d;
        }
        *value = (int64_t)v;
        return 1;
    }
    int negative = s[0] == '-';
    uint32_t first = negative ? 1 : 0;
    /* printing the value back must give the same text: no "+", no leading zeros, no "-0" */
    if (first == n || (s[first] == '0' && (n - first > 1 || negative)))
        return UFParseError(p->owner, p, "Number '%.*s' is not a valid format.", s, (int)n);
    for (uint32_t i = first; i < n; i++) {
        if (s[i] < '0' || s[i] > '9')
            return UFParseError(p->owner, p, "Number '%.*s' is not a valid format.", s, (int)n);
        unsigned d = (unsigned)(s[i] - '0');
        if (v > (UINT64_MAX - d) / 10)
            return UFParseError(p->owner, p, "Number '%.*s' too large.", s, (int)n);
        v = v * 10 + d;
    }
    if (negative && v > (uint64_t)INT64_MAX + 1)
        return UFParseError(p->owner, p, "Number '%.*s' too large.", s, (int)n);
    *value = negative ? (int64_t)(0 - v) : (int64_t)v;
    return 1;
}

int UFReadNumber(UFPARSER *p, int64_t *value, int flags)
{
    UFTOKEN t;
    if (!UFNext(p, &t, flags)) {
        t.kind = TK_END;
        t.length = 0;
    }
    return UFNumber(p, &t, value);
}
