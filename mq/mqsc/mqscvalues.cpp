/* Attribute text of a CSQM4 reply read into a PCF response: keyword by
 * keyword, each mapped back to the field whose MQSC keyword it is (or, for
 * a bare word, whose value table holds it) and written as the structure
 * its field type calls for.  Every read stays inside the text and every
 * write inside the response; what does not fit is dropped. */
#include "mqsc.h"

#include <cctype>

#include "cs.h"
#include "cstext.h"

#define VALUE_SIZE 2000

/* ---- items of the text ---- */

int MQSCListKeyword(const uint8_t *caps, const char *keyword)
{
    static const char *const always[] = { "NAMES", "TPIPE", "ADDRLIST", "USERLIST" };
    static const char *const exits[] = { "SENDEXIT", "SENDDATA", "MSGEXIT", "MSGDATA", "RCVEXIT", "RCVDATA" };
    for (const char *k : always)
        if (!strcmp(k, keyword))
            return 1;
    if (CapGet(caps, 1))
        for (const char *k : exits)
            if (!strcmp(k, keyword))
                return 1;
    return 0;
}

void MQSCNextKeyword(const uint8_t *caps, const char **position, int32_t *remaining, char *keyword,
                     char *value, int32_t valueSize)
{
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
    if (k && MQSCListKeyword(caps, keyword) && p < end && *p == '(') {
        CmdCopy(value, "Dummy", (size_t)valueSize + 1);
    } else if (p < end && *p == '(') {
        p++;
        while (p < end && *p == ' ')
            p++;
        int32_t v = 0, depth = 1, blanks = 0;
        while (p < end && v < valueSize) {
            char c = *p;
            if (c == ')' && depth == 1 && (p + 1 == end || p[1] == ' '))
                break;
            if (c == '(')
                depth++;
            else if (c == ')' && depth > 1)
                depth--;
            blanks = c == ' ' ? blanks + 1 : 0;
            if (depth >= 2 && blanks == 5)
                break;
            value[v++] = c;
            p++;
        }
        if (p < end && *p == ')')
            p++;
        while (v && value[v - 1] == ' ')
            v--;
        for (; depth > 1 && v < valueSize; depth--)
            value[v++] = ')';
        if (!v)
            value[v++] = ' ';
        value[v] = 0;
    }
    *remaining -= (int32_t)(p - *position);
    *position = p;
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

static int SameNoCase(const char *a, const char *b, size_t n)
{
    if (strlen(b) != n)
        return 0;
    for (size_t i = 0; i < n; i++)
        if (toupper((unsigned char)a[i]) != toupper((unsigned char)b[i]))
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

/* ---- the keyword forms of a field list, sorted once ---- */

/* One keyword form of a field entry; entries of one form keep the list's
 * order. */
struct FORM {
    char word[MQSC_KEYWORD_SIZE + 1];
    uint32_t order;
    const PCFFieldEntry *entry;
};
struct FORMINDEX {
    const PCFFieldEntry *list;
    FORM *forms;
    uint32_t count;
};
#define MAX_INDEXES 64
static FORMINDEX Indexes[MAX_INDEXES];
static int IndexCount;

static int CompareForms(const void *a, const void *b)
{
    const FORM *x = (const FORM *)a, *y = (const FORM *)b;
    int c = strcmp(x->word, y->word);
    return c ? c : x->order < y->order ? -1 : x->order > y->order;
}

/* The forms of a list, made on first use (the definitions never change);
 * null without storage, then the list is searched field by field. */
static const FORMINDEX *IndexOf(const PCFFieldEntry *list)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    const FORMINDEX *found = nullptr;
    for (int i = 0; i < IndexCount && !found; i++)
        if (Indexes[i].list == list)
            found = &Indexes[i];
    if (!found && IndexCount < MAX_INDEXES) {
        uint32_t n = 0;
        for (const PCFFieldEntry *e = list; e->field; e++)
            for (const char *k = e->field->keyword; k && *k; k = strchr(k, '/') ? strchr(k, '/') + 1 : nullptr)
                n++;
        FORM *forms = (FORM *)malloc((n ? n : 1) * sizeof *forms);   /* kept for the program's life */
        if (forms) {
            uint32_t at = 0;
            for (const PCFFieldEntry *e = list; e->field; e++)
                for (int form = 0; e->field->type != PCFT_STRLIST; form++) {
                    const char *k = e->field->keyword;
                    for (int skip = 0; k && skip < form; skip++)
                        k = strchr(k, '/') ? strchr(k, '/') + 1 : nullptr;
                    if (!k || !*k)
                        break;
                    MQSCKeywordForm(k, 0, forms[at].word, sizeof forms[at].word);
                    forms[at].order = at;
                    forms[at++].entry = e;
                }
            qsort(forms, at, sizeof *forms, CompareForms);
            Indexes[IndexCount] = { list, forms, at };
            found = &Indexes[IndexCount++];
        }
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return found;
}

/* One candidate field: 1 when it is taken with its row. */
static int Candidate(const PCFFieldEntry *e, const uint8_t *caps, const char *keyword, const char *value, size_t n,
                     const PCFValueDef **row, const PCFFieldEntry **kept)
{
    const PCFFieldDef *f = e->field;
    if (f->values && (*row = RowByKeyword(f->values, value, n)) != nullptr)
        return 1;
    if (*keyword && (!*kept || (CapTest(nullptr, caps, e) && CapTest(nullptr, caps, f))))
        *kept = e;
    return 0;
}

/* The field of a keyword (empty: a bare word) and the row its value names. */
static const PCFFieldEntry *FindField(const PCFFieldEntry *list, const FORMINDEX *x, const uint8_t *caps,
                                      const char *keyword, const char *value, const PCFValueDef **row)
{
    *row = nullptr;
    const PCFFieldEntry *kept = nullptr;
    size_t n = strlen(value);
    if (x && *keyword) {
        FORM key = {};
        CmdCopy(key.word, keyword, sizeof key.word);
        uint32_t lo = 0, hi = x->count;
        while (lo < hi) {
            uint32_t mid = (lo + hi) / 2;
            if (strcmp(x->forms[mid].word, key.word) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        for (; lo < x->count && !strcmp(x->forms[lo].word, key.word); lo++)
            if (Candidate(x->forms[lo].entry, caps, keyword, value, n, row, &kept))
                return x->forms[lo].entry;
        return kept;
    }
    for (const PCFFieldEntry *e = list; e && e->field; e++) {
        if (e->field->type == PCFT_STRLIST || (*keyword && !KeywordIsForm(e->field->keyword, keyword)))
            continue;
        if (Candidate(e, caps, keyword, value, n, row, &kept))
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

static void WriteField(VALUES *x, const char *value, const char *list, int32_t listLength)
{
    const PCFFieldDef *f = x->entry->field;
    int32_t values[MAX_ELEMENTS];
    switch (f->type) {
    case PCFT_INT: case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14: case PCFT_NUMBER: {
        int32_t v = x->row ? x->row->value : (int32_t)strtol(value, nullptr, 10);
        AddParm(x, MQCFT_INTEGER, &v, 4, 1);
        return;
    }
    case PCFT_STRING: case PCFT_NAME: case PCFT_HEX: case PCFT_BYTES: case PCFT_STRING25:
        AddParm(x, MQCFT_STRING, value, (int32_t)strlen(value), 1);
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
        int32_t digits = (int32_t)strlen(value) & ~1;
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
    const FORMINDEX *index = fields ? IndexOf(fields) : nullptr;
    for (;;) {
        MQSCNextKeyword(caps, &p, &left, keyword, value, valueSize);
        if (!keyword[0] && !value[0])
            break;
        const char *list = value;
        int32_t listLength = (int32_t)strlen(value);
        if (!strcmp(value, "Dummy") && left > 0 && *p == '(')
            ListSpan(&p, &left, &list, &listLength);
        if (!value[0]) {
            CmdCopy(value, keyword, (size_t)valueSize + 1);
            keyword[0] = 0;
        }
        x.entry = fields ? FindField(fields, index, caps, keyword, value, &x.row) : nullptr;
        if (x.entry)
            WriteField(&x, value, list, listLength);
        else if (unhandled)
            Unhandled(unhandled, keyword, value);
    }
    if (value != small)
        CSFreeMem(value);
    *length = (uint32_t)x.pp.position;
}
