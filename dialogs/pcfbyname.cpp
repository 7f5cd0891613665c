/* Finding a field by its MQSC keyword (any "/" alternative), and a value
 * of it by its keyword or display name, either possibly abbreviated: the
 * lookup of the filter language and of typed MQSC-like input. */
#include "pcfint.h"

#include <cctype>

#include "mq/capability.h"

/* 2 when the texts are equal without regard to case, 1 when the first
 * `n` characters of word equal name (name shorter), else 0. */
static int Compare(const char *word, size_t wordLength, const char *name)
{
    size_t n = strlen(name);
    if (!n || n > wordLength)
        return 0;
    for (size_t i = 0; i < n; i++)
        if (toupper((unsigned char)word[i]) != toupper((unsigned char)name[i]))
            return 0;
    return n == wordLength ? 2 : 1;
}

/* Best match of a name among the "/" alternatives of a keyword. */
static int KeywordMatch(const char *keyword, const char *name)
{
    int best = 0;
    while (keyword && *keyword) {
        const char *slash = strchr(keyword, '/');
        size_t len = slash ? (size_t)(slash - keyword) : strlen(keyword);
        int m = Compare(keyword, len, name);
        if (m > best)
            best = m;
        keyword = slash ? slash + 1 : nullptr;
    }
    return best;
}

/* The value row a text names: 0 found or none, 3 ambiguous. */
static int FindValueRow(const PCFValueDef *table, const char *value, int abbreviate,
                        const PCFValueDef **rowOut)
{
    const PCFValueDef *partial = nullptr;
    int partials = 0;
    *rowOut = nullptr;
    for (const PCFValueDef *v = table; v && v->name && *v->name; v++) {
        const char *kw = v->keyword && *v->keyword == '!' ? v->keyword + 1 : v->keyword;
        int k = kw ? Compare(kw, strlen(kw), value) : 0;
        int d = abbreviate ? Compare(v->name, strlen(v->name), value) : 0;
        if (k == 2 || (abbreviate && d == 2)) {
            *rowOut = v;
            return 0;
        }
        if (abbreviate && (k == 1 || d == 1) && partial != v) {
            if (!partial || partial->value != v->value)
                partials++;
            partial = v;
        }
    }
    if (partials > 1)
        return 3;
    *rowOut = partials ? partial : nullptr;
    return 0;
}

int PCFFindFieldByName(const uint8_t *caps, int useDetail, int anyCaps, const PCFCommandDef *def,
                       const char *name, const char *value, int abbreviate,
                       PCFFieldEntry **entryOut, const PCFFieldDef **fieldOut,
                       const PCFValueDef **rowOut)
{
    if (entryOut)
        *entryOut = nullptr;
    if (fieldOut)
        *fieldOut = nullptr;
    if (rowOut)
        *rowOut = nullptr;
    if (!def || !name || !*name)
        return 1;
    PCFFieldEntry *list = useDetail && def->detail ? def->detail : def->fields;
    PCFFieldEntry *exact = nullptr, *partial = nullptr;
    int partials = 0;
    for (PCFFieldEntry *e = list; e && e->field; e++) {
        const PCFFieldDef *f = e->field;
        if (f->type == PCFT_STRLIST || !f->keyword)
            continue;
        if (!anyCaps && !PCFEntryCaps(caps, e))
            continue;
        int m = KeywordMatch(f->keyword, name);
        if (m == 2 && !exact)
            exact = e;
        else if (m == 1 && abbreviate && (!partial || partial->field != f)) {
            partials++;
            partial = e;
        }
    }
    PCFFieldEntry *found = exact;
    if (!found) {
        if (partials > 1)
            return 2;
        found = partials ? partial : nullptr;
    }
    if (!found)
        return 1;
    if (entryOut)
        *entryOut = found;
    if (fieldOut)
        *fieldOut = found->field;
    if (value && *value && found->field->values) {
        const PCFValueDef *row;
        if (FindValueRow(found->field->values, value, abbreviate, &row) == 3)
            return 3;
        if (rowOut)
            *rowOut = row;
    }
    return 0;
}
