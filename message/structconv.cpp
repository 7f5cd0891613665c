/* Converting the fields of a structure instance between code pages and
 * integer encodings (StructConvertFields). */
#include "structconv.h"
#include "cscodepage.h"

namespace {

struct ConvWalk {
    unsigned char *p;
    uint64_t left;
    int fromCcsid, toCcsid;
    int32_t fromEncoding, toEncoding;
};

}

/* Bytes of an integer field whose byte order follows the encoding; 0 for
 * every other type (16 is always in normal order). */
static uint32_t SwappedSize(uint16_t type)
{
    switch (type) {
    case FT_INT: case FT_ENCODING: case FT_FLAGS: case FT_REC_OFFSET: case FT_INTH:
    case FT_UINT: case FT_UINTH:
        return 4;
    case FT_SHORT: case FT_FLAGS16: case FT_SHORTH: case FT_USHORT: case FT_USHORTH:
        return 2;
    case FT_POINTER: case FT_INT64H: case FT_INT64: case FT_UINT64: case FT_UINT64H:
        return 8;
    }
    return 0;
}

static int IsCharType(uint16_t type)
{
    return type == FT_CHAR || type == FT_FORMAT || type == FT_PUTDATE || type == FT_PUTTIME ||
           type == FT_CODE1;
}

static void SwapBytes(unsigned char *p, uint32_t n)
{
    for (uint32_t i = 0; i < n / 2; i++) {
        unsigned char t = p[i];
        p[i] = p[n - 1 - i];
        p[n - 1 - i] = t;
    }
}

/* One field: converted in place; 0 or the conversion's code. */
static int ConvertField(ConvWalk &w, const FmtFieldDef *f, uint32_t n)
{
    if (IsCharType(f->type)) {
        int rc = CSConvertCodepage(w.p, (int)n, w.fromCcsid, w.toCcsid, nullptr, nullptr);
        if (rc)
            return rc;
    } else if (uint32_t size = SwappedSize(f->type)) {
        if ((w.fromEncoding & 0xF) != (w.toEncoding & 0xF) && n == size)
            SwapBytes(w.p, size);
    } else if (f->type == FT_FLOAT && n == 4) {
        CSConvertFloat32(w.p, w.fromEncoding, w.toEncoding);
    } else if (f->type == FT_DOUBLE && n == 8) {
        CSConvertFloat64(w.p, w.fromEncoding, w.toEncoding);
    }
    w.p += n;
    w.left -= n;
    return 0;
}

static int WalkRows(ConvWalk &w, const FmtStructDef *def);

/* One row (an array repeats it); 1 ends the walk without failure. */
static int WalkRow(ConvWalk &w, const FmtStructRow *row, const unsigned char *start, int *rc)
{
    const FmtFieldDef *f = row->field;
    switch (f->type) {
    case FT_STRUCTS_BYLEN: case FT_STRUCT_BYLEN: case FT_REPEAT:
        return 1;
    case FT_STRUCT:
        *rc = WalkRows(w, (const FmtStructDef *)f->reference);
        return *rc != 0;
    case FT_ALIGN: {
        uint32_t a = f->length ? f->length : 1;
        uint64_t pad = (a - (uint64_t)(w.p - start) % a) % a;
        if (pad > w.left)
            return 1;
        w.p += pad;
        w.left -= pad;
        return 0;
    }
    case FT_REC_COUNT: case FT_DESC:
        return 0;
    }
    if (f->length == 0xFFFFFFFF || f->length > w.left)
        return 1;
    *rc = ConvertField(w, f, f->length);
    return *rc != 0;
}

static int WalkRows(ConvWalk &w, const FmtStructDef *def)
{
    if (!def)
        return 0;
    const unsigned char *start = w.p;
    int rc = 0;
    for (const FmtStructRow *row = def->rows; row && row->field; row++) {
        uint16_t t = row->field->type;
        if (t == FT_COUNTED_ARRAY) {
            if (row[1].field)
                row++;                  /* its count lies in the data: skipped */
            continue;
        }
        if (t == FT_FIXED_ARRAY) {
            if (!row[1].field)
                break;
            row++;
            for (uint32_t i = 0; i < row[-1].field->length; i++)
                if (WalkRow(w, row, start, &rc))
                    return rc ? rc : -1;
            continue;
        }
        if (WalkRow(w, row, start, &rc))
            return rc ? rc : -1;
    }
    return 0;
}

int StructConvertFields(const FmtStructDef *def, unsigned char **position, int64_t length,
                        int fromCcsid, int32_t fromEncoding, int toCcsid, int32_t toEncoding)
{
    ConvWalk w = { *position, length < 0 ? UINT64_MAX : (uint64_t)length, fromCcsid, toCcsid,
                   fromEncoding, toEncoding };
    int rc = WalkRows(w, def);
    *position = w.p;
    return rc < 0 ? 0 : rc;
}
