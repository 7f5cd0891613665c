/* Integer and string lists between PCF structures and values: the values
 * a field's value table marks with "!" taken out of an integer list, and
 * an MQCFSL built from a multi-string list value. */
#include "pcfint.h"

/* 1 when the field's value table marks the value as never written. */
static int NotValue(const PCFFieldDef *field, int32_t v)
{
    for (const PCFValueDef *r = field ? field->values : nullptr; r && r->name && *r->name; r++)
        if (r->value == v && r->keyword && *r->keyword == '!')
            return 1;
    return 0;
}

int PCFCheckNotValues(const PCFFieldDef *field, void *values, int count)
{
    uint8_t *v = (uint8_t *)values;
    int kept = 0;
    for (int i = 0; i < count; i++) {
        int32_t x = Get32(v + 4 * i);
        if (!NotValue(field, x))
            Put32(v + 4 * kept++, x);
    }
    return kept;
}

uint32_t PCFMeasureList(const PCFFieldDef *field, const uint8_t *text, uint32_t length, uint8_t *out,
                        uint32_t room)
{
    uint32_t count = 0, longest = 0, run = 0;
    for (uint32_t i = 0; i <= length; i++) {
        if (i == length || text[i] == 5) {
            if (i < length || run || count)
                count++;
            if (run > longest)
                longest = run;
            run = 0;
        } else {
            run++;
        }
    }
    if (!length)
        count = 0;
    uint64_t total = (24 + (uint64_t)count * longest + 3) & ~3ull;
    if (total > room)
        return 0;
    memset(out, 0, (size_t)total);
    Put32(out, MQCFT_STRING_LIST);
    Put32(out + 4, (int32_t)total);
    Put32(out + 8, (int32_t)(field ? field->attrId : 0));
    Put32(out + 12, 0);
    Put32(out + 16, (int32_t)count);
    Put32(out + 20, (int32_t)longest);
    uint8_t *s = out + 24;
    memset(s, ' ', (size_t)count * longest);
    uint32_t item = 0, at = 0;
    for (uint32_t i = 0; i < length; i++) {
        if (text[i] == 5) {
            item++;
            at = 0;
        } else {
            s[(size_t)item * longest + at++] = text[i];
        }
    }
    return (uint32_t)total;
}
