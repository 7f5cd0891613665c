/* The text of one list cell from its value record, by field type, with
 * whether it is a number drawn with aligned digits; a row's shown cells
 * as one line of text; a field's title with its MQSC keyword. */
#include "pcflists.h"
#include "../pcfint.h"

#include <cstdio>

/* Attribute ids whose integers are not drawn digit-aligned. */
static int Unaligned(uint32_t attrId)
{
    switch (attrId) {
    case 2: case 10015: case 10033: case 10137: case 10146: case 10167:
        return 1;
    }
    return 0;
}

static int Text(const char *from, int n, int size, const char **text)
{
    *text = from;
    return n < size ? n : size;
}

int PCFListCellText(const PCFLISTENTRY *column, const uint8_t *v, char *buf, int size, const char **text,
                    int *numeric)
{
    const PCFFieldDef *f = column->field;
    *numeric = 0;
    *text = buf;
    buf[0] = 0;
    if (!v || !(PCFState(v) & PCFS_PRESENT) || size < 2)
        return 0;
    switch (f->type) {
    case PCFT_INT: case PCFT_NUMBER: case PCFT_SIGNED:
        PCFIntValueText(f, PCFListInt(v), buf, size, 1);
        *numeric = !Unaligned(f->attrId);
        return (int)strlen(buf);
    case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14: {
        const PCFValueDef *row = PCFFindValue(f->values, PCFListInt(v));
        if (row && row->name && *row->name)
            return Text(row->name, (int)strlen(row->name), 1000, text);
        return snprintf(buf, (size_t)size, "%ld", (long)PCFListInt(v));
    }
    case PCFT_STRING: case PCFT_NAME: case PCFT_HEX: case PCFT_BYTES: case PCFT_WIDEHEX: case PCFT_STRING25:
        return Text((const char *)v + PCFLV_TEXT, PCFListLength(v), 1000, text);
    case PCFT_MULTISTR:
        if (PCFState(v) & PCFS_RECEIVED)
            return PCFMultiStringJoin(v, buf, size);
        return Text((const char *)v + PCFLV_TEXT, PCFListLength(v), 1000, text);
    case PCFT_WIDE17:
        return Text((const char *)v + PCFLV_TEXT, (int)strnlen((const char *)v + PCFLV_TEXT, 50), 1000, text);
    case PCFT_REAL: {
        double d;
        memcpy(&d, v + PCFLV_INT, sizeof d);
        return snprintf(buf, (size_t)size, "%.2f", d);
    }
    case PCFT_ENUMLIST: case PCFT_INTLIST:
        PCFListValueText(v, f, buf, size);
        return (int)strlen(buf);
    case PCFT_FLAGSET: {
        char names[PCF_KEYPART + 1];
        int n = FlagsToNames(f, (uint32_t)PCFListInt(v), names);
        snprintf(buf, (size_t)size, "%s", names);
        return n < size ? n : size - 1;
    }
    case PCFT_DATETIME: case PCFT_DATETIME100:
        return Text((const char *)v + 36, PCFListLength(v), 1000, text);
    }
    return 0;
}

const char *PCFFieldTitleWithKeyword(const PCFFieldDef *f)
{
    static thread_local char text[200];
    if (f->keyword && *f->keyword)
        snprintf(text, sizeof text, "%s (%s)", f->title ? f->title : "", f->keyword);
    else
        snprintf(text, sizeof text, "%s", f->title ? f->title : "");
    return text;
}

int PCFRowText(DialogWords *d, PCFROW *row, char *out, int size)
{
    PCFLISTAREA *area = PCFRowArea(d, row);
    const PCFLISTENTRY *shown = PCFDialogColumns(d);
    int used = 0, cells = 0;
    out[0] = 0;
    if (!area || size < 2)
        return 0;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; parts.columns[i].field; i++) {
        const PCFFieldDef *f = parts.columns[i].field;
        uint32_t flags = shown && i < PCFColumnCount(shown) && shown[i].field == f ? shown[i].flags
                                                                                : parts.columns[i].flags;
        if (PCFColumnShown(d, flags)) {
            char buf[1024];
            const char *text;
            int numeric;
            int n = PCFListCellText(&parts.columns[i], v, buf, sizeof buf, &text, &numeric);
            if (cells++ && used < size - 1)
                out[used++] = '\t';
            if (n > size - 1 - used)
                n = size - 1 - used;
            memcpy(out + used, text, (size_t)n);
            used += n;
        }
        v = PCFNextValue(v, f);
    }
    out[used] = 0;
    return used;
}
