/* Attribute text of a CSQM4 reply read into a PCF response: keyword by
 * keyword, each mapped back to the field whose MQSC keyword it is (or, for
 * a bare word, whose value table holds it) and written as the structure
 * its field type calls for.  Every read stays inside the text and every
 * write inside the response; what does not fit is dropped. */
#include "mqsc.h"

#include <atomic>
#include <cctype>
#include <cstdlib>

#include "cs.h"
#include "cstext.h"

#define VALUE_SIZE 2000

/* ---- items of the text ---- */

/* The characters before the first zero byte among n, eight at a time. */
static int32_t TextLength(const char *text, int32_t n)
{
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        memcpy(&w, text + i, 8);
        if ((w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull)
            break;
    }
    for (; i < n; i++)
        if (!text[i])
            return i;
    return n;
}

int MQSCListKeyword(const uint8_t *caps, const char *keyword)
{
    static const char *const always[] = { "NAMES", "TPIPE", "ADDRLIST", "USERLIST" };
    static const char *const exits[] = { "SENDEXIT", "SENDDATA", "MSGEXIT", "MSGDATA", "RCVEXIT", "RCVDATA" };
    for (const char *k : always)
        if (k[0] == keyword[0] && !strcmp(k, keyword))
            return 1;
    if (CapGet(caps, 1))
        for (const char *k : exits)
            if (k[0] == keyword[0] && !strcmp(k, keyword))
                return 1;
    return 0;
}

/* MQSCNextKeyword, with the lengths of the keyword and the value. */
static void NextItem(const uint8_t *caps, const char **position, int32_t *remaining, char *keyword,
                     int32_t *keywordLength, char *value, int32_t valueSize, int32_t *valueLength)
{
    *valueLength = 0;
    const char *p = *position;
    const char *end = p + (*remaining > 0 ? *remaining : 0);
    keyword[0] = value[0] = 0;
    while (p < end && *p == ' ')
        p++;
    int32_t k = 0;
    while (p < end && *p != ' ' && *p != '(') {
        if (k < MQSC_KEYWORD_SIZE)
            keyword[k++] = *p;
        p++;
    }
    keyword[k] = 0;
    *keywordLength = k;
    if (k && p < end && *p == '(' && MQSCListKeyword(caps, keyword)) {
        CmdCopy(value, "Dummy", (size_t)valueSize + 1);
        *valueLength = (int32_t)strlen(value);
    } else if (p < end && *p == '(') {
        p++;
        while (p < end && *p == ' ')
            p++;
        int32_t v = 0, depth = 1, blanks = 0, gap = 0;
        while (p < end && v < valueSize) {
            if (depth == 1) {
                /* a run without parentheses is taken whole (blanks count
                   only inside nested ones) */
                const char *q = p;
                while (q < end && *q != '(' && *q != ')')
                    q++;
                int32_t run = q - p < valueSize - v ? (int32_t)(q - p) : valueSize - v;
                memcpy(value + v, p, (size_t)run);
                v += run;
                p += run;
                if (p == end || v == valueSize)
                    break;
            }
            char c = *p;
            if (c == ')' && depth == 1 && (p + 1 == end || p[1] == ' '))
                break;
            if (c == '(')
                depth++;
            else if (c == ')' && depth > 1)
                depth--;
            blanks = c == ' ' ? blanks + 1 : 0;
            if (depth >= 2 && blanks == 5) {
                gap = 1;                       /* ended by the gap: left open */
                break;
            }
            value[v++] = c;
            p++;
        }
        if (p < end && *p == ')')
            p++;
        while (v && value[v - 1] == ' ')
            v--;
        for (; !gap && depth > 1 && v < valueSize; depth--)
            value[v++] = ')';
        if (!v)
            value[v++] = ' ';
        value[v] = 0;
        *valueLength = v;
    }
    *remaining -= (int32_t)(p - *position);
    *position = p;
}

void MQSCNextKeyword(const uint8_t *caps, const char **position, int32_t *remaining, char *keyword,
                     char *value, int32_t valueSize)
{
    int32_t k, v;
    NextItem(caps, position, remaining, keyword, &k, value, valueSize, &v);
}

/* The span of a list keyword's parenthesised value, the position moved
 * past it. */
static void ListSpan(const char **position, int32_t *remaining, const char **from, int32_t *length)
{
    const char *p = *position, *end = p + *remaining;
    int depth = 0;
    *from = p + 1;
    while (p < end) {
        if (*p == '(')
            depth++;
        else if (*p == ')' && --depth == 0)
            break;
        p++;
    }
    *length = (int32_t)(p - *from);
    if (p < end)
        p++;
    *remaining -= (int32_t)(p - *position);
    *position = p;
}

/* ---- fields ---- */

/* Upper case of the letters a to z only (the keywords are ASCII). */
static inline int Upper(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}

static int SameNoCase(const char *a, const char *b, size_t n)
{
    if (strlen(b) != n)
        return 0;
    for (size_t i = 0; i < n; i++)
        if (Upper((unsigned char)a[i]) != Upper((unsigned char)b[i]))
            return 0;
    return 1;
}

static const PCFValueDef *RowByKeyword(const PCFValueDef *table, const char *word, size_t n)
{
    for (const PCFValueDef *v = table; v && v->name && *v->name; v++)
        if (v->keyword && SameNoCase(word, v->keyword[0] == '!' ? v->keyword + 1 : v->keyword, n))
            return v;
    return nullptr;
}

static int KeywordIsForm(const char *keyword, const char *word)
{
    size_t n = strlen(word);
    while (keyword && *keyword) {
        const char *slash = strchr(keyword, '/');
        size_t len = slash ? (size_t)(slash - keyword) : strlen(keyword);
        if (len == n && !memcmp(keyword, word, n))
            return 1;
        keyword = slash ? slash + 1 : nullptr;
    }
    return 0;
}

/* ---- the keyword forms and value words of a field list, sorted once ---- */

/* One keyword form of a field entry; entries of one form keep the list's
 * order. */
struct FORM {
    char word[MQSC_KEYWORD_SIZE + 1];
    uint32_t length;
    uint32_t order;
    const PCFFieldEntry *entry;
};
/* One value word of a field's value table (its "!" left off); words
 * compare without case, and equal words keep the list's order. */
struct WORD {
    const char *word;
    uint32_t length;
    uint32_t order;
    uint32_t runEnd;                   /* past the last word equal to this one */
    const PCFValueDef *table;
    const PCFValueDef *row;
    const PCFFieldEntry *entry;
};
struct FORMINDEX {
    const PCFFieldEntry *list;
    FORM *forms;
    uint32_t count;
    WORD *words;
    uint32_t wordCount;
    int32_t *formHash;                 /* the first form of each keyword, by hash */
    int32_t *wordHash;                 /* the first word of each spelling, by hash */
    uint32_t formMask, wordMask;       /* slots - 1 (a power of two) */
};
#define MAX_INDEXES 64
static FORMINDEX Indexes[MAX_INDEXES];
static std::atomic<int> IndexCount;
static std::atomic<int> IndexLookups{1};

void MQSCIndexLookups(int on)
{
    IndexLookups.store(on);
}

static int CompareForms(const void *a, const void *b)
{
    const FORM *x = (const FORM *)a, *y = (const FORM *)b;
    int c = strcmp(x->word, y->word);
    return c ? c : x->order < y->order ? -1 : x->order > y->order;
}

/* Two words compared as SameNoCase matches them: upper case, then length. */
static int CompareNoCase(const char *a, size_t an, const char *b, size_t bn)
{
    size_t n = an < bn ? an : bn;
    for (size_t i = 0; i < n; i++) {
        int x = Upper((unsigned char)a[i]), y = Upper((unsigned char)b[i]);
        if (x != y)
            return x - y;
    }
    return an < bn ? -1 : an > bn;
}

static int CompareWords(const void *a, const void *b)
{
    const WORD *x = (const WORD *)a, *y = (const WORD *)b;
    int c = CompareNoCase(x->word, x->length, y->word, y->length);
    return c ? c : x->order < y->order ? -1 : x->order > y->order;
}

/* The keyword forms of a list's fields (string lists left out). */
static uint32_t MakeForms(const PCFFieldEntry *list, FORM *forms)
{
    uint32_t at = 0;
    for (const PCFFieldEntry *e = list; e->field; e++)
        for (int form = 0; e->field->type != PCFT_STRLIST; form++) {
            const char *k = e->field->keyword;
            for (int skip = 0; k && skip < form; skip++)
                k = strchr(k, '/') ? strchr(k, '/') + 1 : nullptr;
            if (!k || !*k)
                break;
            if (forms) {
                MQSCKeywordForm(k, 0, forms[at].word, sizeof forms[at].word);
                forms[at].length = (uint32_t)strlen(forms[at].word);
                forms[at].order = at;
                forms[at].entry = e;
            }
            at++;
        }
    return at;
}

/* The value words of a list's fields, in list order then table order. */
static uint32_t MakeWords(const PCFFieldEntry *list, WORD *words)
{
    uint32_t at = 0;
    for (const PCFFieldEntry *e = list; e->field; e++)
        for (const PCFValueDef *v = e->field->values; v && v->name && *v->name; v++) {
            if (!v->keyword)
                continue;
            if (words) {
                const char *w = v->keyword[0] == '!' ? v->keyword + 1 : v->keyword;
                words[at] = { w, (uint32_t)strlen(w), at, 0, e->field->values, v, e };
            }
            at++;
        }
    return at;
}

/* Hashes of a keyword as it is and of a word in upper case. */
static uint32_t HashBytes(const char *p, size_t n)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < n; i++)
        h = (h ^ (unsigned char)p[i]) * 16777619u;
    return h;
}

static uint32_t HashUpper(const char *p, size_t n)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < n; i++)
        h = (h ^ (uint32_t)Upper((unsigned char)p[i])) * 16777619u;
    return h;
}

/* Slots for n entries: a power of two at least twice n. */
static uint32_t HashSlots(uint32_t n)
{
    uint32_t slots = 16;
    while (slots < 2 * n)
        slots *= 2;
    return slots;
}

/* Each run of equal entries goes into the table by its first entry. */
static void FillFormHash(FORMINDEX *x)
{
    for (uint32_t i = 0; i <= x->formMask; i++)
        x->formHash[i] = -1;
    for (uint32_t i = 0; i < x->count; i++) {
        if (i && !strcmp(x->forms[i].word, x->forms[i - 1].word))
            continue;
        uint32_t h = HashBytes(x->forms[i].word, x->forms[i].length) & x->formMask;
        while (x->formHash[h] >= 0)
            h = (h + 1) & x->formMask;
        x->formHash[h] = (int32_t)i;
    }
}

static void FillWordHash(FORMINDEX *x)
{
    for (uint32_t i = 0; i <= x->wordMask; i++)
        x->wordHash[i] = -1;
    for (uint32_t i = x->wordCount; i-- > 0;) {
        WORD *w = &x->words[i];
        int same = i + 1 < x->wordCount && !CompareNoCase(w->word, w->length, w[1].word, w[1].length);
        w->runEnd = same ? w[1].runEnd : i + 1;
    }
    for (uint32_t i = 0; i < x->wordCount; i++) {
        const WORD *w = &x->words[i];
        if (i && w[-1].runEnd == w->runEnd)
            continue;
        uint32_t h = HashUpper(w->word, w->length) & x->wordMask;
        while (x->wordHash[h] >= 0)
            h = (h + 1) & x->wordMask;
        x->wordHash[h] = (int32_t)i;
    }
}

/* The forms and words of a list, made on first use (the definitions never
 * change) and found afterwards without a lock; null without storage, then
 * the list is searched field by field. */
static const FORMINDEX *IndexOf(const PCFFieldEntry *list)
{
    int published = IndexCount.load(std::memory_order_acquire);
    for (int i = 0; i < published; i++)
        if (Indexes[i].list == list)
            return &Indexes[i];
    CSLockGlobal(CSLOCK_DIALOGS);
    const FORMINDEX *found = nullptr;
    int count = IndexCount.load(std::memory_order_relaxed);
    for (int i = 0; i < count && !found; i++)
        if (Indexes[i].list == list)
            found = &Indexes[i];
    if (!found && count < MAX_INDEXES) {
        uint32_t n = MakeForms(list, nullptr), w = MakeWords(list, nullptr);
        uint32_t formSlots = HashSlots(n), wordSlots = HashSlots(w);
        /* kept for the program's life */
        FORM *forms = (FORM *)malloc((n ? n : 1) * sizeof *forms);
        WORD *words = (WORD *)malloc((w ? w : 1) * sizeof *words);
        int32_t *formHash = (int32_t *)malloc(formSlots * sizeof *formHash);
        int32_t *wordHash = (int32_t *)malloc(wordSlots * sizeof *wordHash);
        if (forms && words && formHash && wordHash) {
            MakeForms(list, forms);
            MakeWords(list, words);
            qsort(forms, n, sizeof *forms, CompareForms);
            qsort(words, w, sizeof *words, CompareWords);
            FORMINDEX *x = &Indexes[count];
            *x = { list, forms, n, words, w, formHash, wordHash, formSlots - 1, wordSlots - 1 };
            FillFormHash(x);
            FillWordHash(x);
            found = x;
            IndexCount.store(count + 1, std::memory_order_release);
        } else {
            free(forms);
            free(words);
            free(formHash);
            free(wordHash);
        }
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return found;
}

/* The first of a list's value words equal to word (without case); the
 * index's count when there is none. */
static uint32_t FirstWord(const FORMINDEX *x, const char *word, size_t n)
{
    for (uint32_t h = HashUpper(word, n) & x->wordMask;; h = (h + 1) & x->wordMask) {
        int32_t i = x->wordHash[h];
        if (i < 0)
            return x->wordCount;
        if (!CompareNoCase(x->words[i].word, x->words[i].length, word, n))
            return (uint32_t)i;
    }
}

/* A form spelt as the keyword of n characters. */
static int IsForm(const FORM *f, const char *keyword, size_t n)
{
    if (f->length != n)
        return 0;
    for (size_t i = 0; i < n; i++)
        if (f->word[i] != keyword[i])
            return 0;
    return 1;
}

/* The first of a list's keyword forms equal to keyword; the index's
 * count when there is none. */
static uint32_t FirstForm(const FORMINDEX *x, const char *keyword, size_t n)
{
    for (uint32_t h = HashBytes(keyword, n) & x->formMask;; h = (h + 1) & x->formMask) {
        int32_t i = x->formHash[h];
        if (i < 0)
            return x->count;
        if (IsForm(&x->forms[i], keyword, n))
            return (uint32_t)i;
    }
}

/* The row of a value table holding word, through the index when the
 * table's field is in it. */
static const PCFValueDef *RowOf(const FORMINDEX *x, const PCFValueDef *table, const char *word, size_t n)
{
    if (!x)
        return RowByKeyword(table, word, n);
    uint32_t first = FirstWord(x, word, n);
    for (uint32_t i = first, end = first < x->wordCount ? x->words[first].runEnd : first; i < end; i++)
        if (x->words[i].table == table)
            return x->words[i].row;
    return nullptr;
}

/* One candidate field: 1 when it is taken with its row. */
static int Candidate(const FORMINDEX *x, const PCFFieldEntry *e, const uint8_t *caps, const char *keyword,
                     const char *value, size_t n, const PCFValueDef **row, const PCFFieldEntry **kept)
{
    const PCFFieldDef *f = e->field;
    if (f->values && (*row = RowOf(x, f->values, value, n)) != nullptr)
        return 1;
    if (*keyword && (!*kept || (CapTest(nullptr, caps, e) && CapTest(nullptr, caps, f))))
        *kept = e;
    return 0;
}

/* The field of a keyword (empty: a bare word) and the row its value names. */
static const PCFFieldEntry *FindField(const PCFFieldEntry *list, const FORMINDEX *x, const uint8_t *caps,
                                      const char *keyword, int32_t keywordLength, const char *value, size_t n,
                                      const PCFValueDef **row)
{
    *row = nullptr;
    const PCFFieldEntry *kept = nullptr;
    if (x && *keyword) {
        size_t k = (size_t)(keywordLength < MQSC_KEYWORD_SIZE ? keywordLength : MQSC_KEYWORD_SIZE);
        for (uint32_t i = FirstForm(x, keyword, k); i < x->count && IsForm(&x->forms[i], keyword, k); i++)
            if (Candidate(x, x->forms[i].entry, caps, keyword, value, n, row, &kept))
                return x->forms[i].entry;
        return kept;
    }
    if (x) {
        /* a bare word: the first field in list order whose table holds it */
        uint32_t first = FirstWord(x, value, n);
        for (uint32_t i = first, end = first < x->wordCount ? x->words[first].runEnd : first; i < end; i++)
            if (x->words[i].entry->field->type != PCFT_STRLIST) {
                *row = x->words[i].row;
                return x->words[i].entry;
            }
        return nullptr;
    }
    for (const PCFFieldEntry *e = list; e && e->field; e++) {
        if (e->field->type == PCFT_STRLIST || (*keyword && !KeywordIsForm(e->field->keyword, keyword)))
            continue;
        if (Candidate(nullptr, e, caps, keyword, value, n, row, &kept))
            return e;
    }
    return kept;
}

/* ---- the response ---- */

struct VALUES {
    MQPP pp;
    const uint8_t *caps;
    const PCFFieldEntry *entry;
    const PCFValueDef *row;
};

static void AddParm(VALUES *x, int32_t type, const void *value, int32_t length, int32_t count)
{
    MQLONG cc, rc;
    PCFAddParm(&x->pp, type, (int32_t)x->entry->field->attrId, value, length, count, &cc, &rc);
}

/* Elements of a comma list, each trimmed; empty ones dropped.  first
 * ends an element at its first blank. */
static int32_t Elements(const char *text, int32_t length, int firstWord, const char **from, int32_t *lengths,
                        int32_t maximum)
{
    int32_t n = 0;
    const char *p = text, *end = text + length;
    while (p < end && n < maximum) {
        while (p < end && *p == ' ')
            p++;
        const char *s = p;
        while (p < end && *p != ',' && *p != ')')
            p++;
        const char *e = p;
        if (firstWord)
            for (const char *b = s; b < e; b++)
                if (*b == ' ') {
                    e = b;
                    break;
                }
        while (e > s && e[-1] == ' ')
            e--;
        if (e > s) {
            from[n] = s;
            lengths[n++] = (int32_t)(e - s);
        }
        if (p < end)
            p++;
    }
    return n;
}

#define MAX_ELEMENTS 256

static void StringList(VALUES *x, const char *text, int32_t length)
{
    const char *from[MAX_ELEMENTS];
    int32_t lengths[MAX_ELEMENTS], width = 0;
    int32_t n = Elements(text, length, 0, from, lengths, MAX_ELEMENTS);
    for (int32_t i = 0; i < n; i++)
        width = lengths[i] > width ? lengths[i] : width;
    if (!n)
        return;
    char *block = (char *)CSGetMem((size_t)n * (size_t)width, "MQSCList");
    if (!block)
        return;
    memset(block, ' ', (size_t)n * (size_t)width);
    for (int32_t i = 0; i < n; i++)
        memcpy(block + (size_t)i * (size_t)width, from[i], (size_t)lengths[i]);
    AddParm(x, MQCFT_STRING_LIST, block, n * width, n);
    CSFreeMem(block);
}

/* The values of a word list: each by its row, or in decimal without a
 * value table; words without a row are dropped. */
static int32_t WordValues(VALUES *x, const char *text, int32_t length, int32_t *values)
{
    const char *from[MAX_ELEMENTS];
    int32_t lengths[MAX_ELEMENTS], n = 0;
    int32_t words = Elements(text, length, 1, from, lengths, MAX_ELEMENTS);
    const PCFFieldDef *f = x->entry->field;
    for (int32_t i = 0; i < words; i++) {
        if (!f->values) {
            char number[16];
            CmdCopy(number, from[i], lengths[i] < 16 ? (size_t)lengths[i] + 1 : sizeof number);
            values[n++] = (int32_t)strtol(number, nullptr, 10);
            continue;
        }
        const PCFValueDef *row = RowByKeyword(f->values, from[i], (size_t)lengths[i]);
        if (row)
            values[n++] = row->value;
    }
    return n;
}

/* What strtol makes of a number in base 10, read here when it is short
 * enough that it cannot overflow (blanks, a sign and one to nine digits),
 * else by strtol itself. */
static int32_t Decimal(const char *text)
{
    const char *p = text;
    while (*p == ' ')
        p++;
    int negative = *p == '-';
    if (*p == '-' || *p == '+')
        p++;
    int32_t v = 0, digits = 0;
    for (; digits < 9 && *p >= '0' && *p <= '9'; p++, digits++)
        v = v * 10 + (*p - '0');
    if (!digits || (*p >= '0' && *p <= '9'))
        return (int32_t)strtol(text, nullptr, 10);
    return negative ? -v : v;
}

/* value holds valueLength characters and a zero. */
static void WriteField(VALUES *x, const char *value, int32_t valueLength, const char *list, int32_t listLength)
{
    const PCFFieldDef *f = x->entry->field;
    int32_t values[MAX_ELEMENTS];
    switch (f->type) {
    case PCFT_INT: case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14: case PCFT_NUMBER: {
        int32_t v = x->row ? x->row->value : Decimal(value);
        AddParm(x, MQCFT_INTEGER, &v, 4, 1);
        return;
    }
    case PCFT_STRING: case PCFT_NAME: case PCFT_HEX: case PCFT_BYTES: case PCFT_STRING25:
        AddParm(x, MQCFT_STRING, value, valueLength, 1);
        return;
    case PCFT_MULTISTR:
        StringList(x, list, listLength);
        return;
    case PCFT_ENUMLIST: case PCFT_INTLIST: {
        int32_t n = WordValues(x, list, listLength, values);
        if (n)
            AddParm(x, MQCFT_INTEGER_LIST, values, n * 4, n);
        return;
    }
    case PCFT_WIDEHEX: {
        int32_t digits = valueLength & ~1;
        uint8_t *bytes = (uint8_t *)CSGetMem((size_t)digits / 2 + 1, "MQSCHex");
        if (!bytes)
            return;
        if (!UTHexToBytes(value, digits, bytes))
            AddParm(x, MQCFT_BYTE_STRING, bytes, digits / 2, 1);
        CSFreeMem(bytes);
        return;
    }
    case PCFT_FLAGSET: {
        int32_t n = WordValues(x, list, listLength, values), v = 0;
        for (int32_t i = 0; i < n; i++)
            v |= values[i];
        AddParm(x, MQCFT_INTEGER, &v, 4, 1);
        return;
    }
    default:
        return;
    }
}

/* An attribute no field takes, kept for diagnostics. */
static void Unhandled(char *unhandled, const char *keyword, const char *value)
{
    const char *word = *keyword ? keyword : value;
    if (!strcmp(word, "CPILEVEL") || !strcmp(word, "MCANAME") || strstr(unhandled, word))
        return;
    size_t used = strlen(unhandled);
    char item[MQSC_UNHANDLED_SIZE];
    int n = *keyword ? snprintf(item, sizeof item, "%s(%s),", keyword, value) : snprintf(item, sizeof item, "%s,", value);
    if (n > 0 && used + (size_t)n < MQSC_UNHANDLED_SIZE)
        memcpy(unhandled + used, item, (size_t)n + 1);
}

void PCFMQSCValues(const uint8_t *caps, char *unhandled, MQSCPcf *state, const char *text, int32_t textLength,
                   uint8_t *out, uint32_t size, uint32_t *length)
{
    VALUES x = {};
    MQLONG cc, rc;
    void *area = out;
    x.caps = caps;
    PCFInitArea(&x.pp, &area, 0, (int32_t)size, 0, (int32_t)state->command, &cc, &rc);
    *length = 0;
    if (cc)
        return;
    MQCFH *h = PCFHeader(&x.pp);
    h->Type = MQCFT_RESPONSE;
    h->MsgSeqNumber = state->replies ? (MQLONG)state->replies - 1 : 0;
    h->Control = 0;
    /* a zero byte ends the text: the lengths below are then the strings' */
    if (textLength > 0)
        textLength = TextLength(text, textLength);
    const char *p = text;
    int32_t left = textLength;
    if (left > 0 && *p != ' ')
        while (left > 0 && *p != ' ')
            p++, left--;
    char keyword[MQSC_KEYWORD_SIZE + 1], small[VALUE_SIZE + 1];
    char *value = small;
    int32_t valueSize = VALUE_SIZE;
    if (textLength > VALUE_SIZE && (value = (char *)CSGetMem((size_t)textLength + 1, "ValueHeap")) != nullptr)
        valueSize = textLength;
    if (!value) {
        value = small;
        valueSize = VALUE_SIZE;
    }
    const PCFCommandDef *def = state->definition;
    const PCFFieldEntry *fields = def ? (def->detail ? def->detail : def->fields) : nullptr;
    const FORMINDEX *index = fields && IndexLookups.load(std::memory_order_relaxed) ? IndexOf(fields) : nullptr;
    for (;;) {
        int32_t keywordLength, valueLength;
        NextItem(caps, &p, &left, keyword, &keywordLength, value, valueSize, &valueLength);
        if (!keywordLength && !valueLength)
            break;
        const char *list = value;
        int32_t listLength = valueLength;
        if (valueLength == 5 && !memcmp(value, "Dummy", 5) && left > 0 && *p == '(')
            ListSpan(&p, &left, &list, &listLength);
        if (!valueLength) {
            CmdCopy(value, keyword, (size_t)valueSize + 1);
            valueLength = (int32_t)strlen(value);
            keyword[0] = 0;
            keywordLength = 0;
        }
        x.entry = fields ? FindField(fields, index, caps, keyword, keywordLength, value, (size_t)valueLength, &x.row)
                         : nullptr;
        if (x.entry)
            WriteField(&x, value, valueLength, list, listLength);
        else if (unhandled)
            Unhandled(unhandled, keyword, value);
    }
    if (value != small)
        CSFreeMem(value);
    *length = (uint32_t)x.pp.position;
}
