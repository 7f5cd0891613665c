/* Field names in filters: an MQSC keyword (any "/" alternative, possibly
 * abbreviated) of the definition's fields, else, for fields that have no
 * keyword (the message list's), the camel-case name or the short column
 * title written whole. */
#include "fltint.h"

#include <cctype>

static int EqualNoCase(const char *a, const char *b)
{
    if (!a || !b)
        return 0;
    for (; *a && *b; a++, b++)
        if (tolower((unsigned char)*a) != tolower((unsigned char)*b))
            return 0;
    return !*a && !*b;
}

int FltFindField(const uint8_t *caps, const PCFCommandDef *def, const char *name, const char *value,
                 const PCFFieldDef **field, const PCFValueDef **row)
{
    PCFFieldEntry *entry;
    *field = nullptr;
    *row = nullptr;
    int rc = PCFFindFieldByName(caps, 1, 0, def, name, value, 1, &entry, field, row);
    if (rc != 1 || !def)
        return rc;
    PCFFieldEntry *list = def->detail ? def->detail : def->fields;
    for (PCFFieldEntry *e = list; e && e->field; e++) {
        const PCFFieldDef *f = e->field;
        if (f->type == PCFT_STRLIST || (f->keyword && f->keyword[0]))
            continue;
        if (!EqualNoCase(f->name, name) && !EqualNoCase(f->shortTitle, name))
            continue;
        *field = f;
        if (value && *value && f->values)
            *row = PCFFindValueByName(caps, f->values, value);
        return 0;
    }
    return 1;
}
