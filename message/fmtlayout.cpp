/* The layout pass: computes every field offset, name length and structure
 * size of the static definitions once, and links the MQ engine's constant
 * tables into the fields that show them. */
#include "fmtdefs.h"
#include <mutex>

FmtConstLinks FmtLinks;
static int linksSet;                    /* the program supplied its own */
extern unsigned char *FmtRfh2Default;
void FmtLinkTables();
void FmtUseMQConstTables();

void FmtSetConstLinks(const FmtConstLinks *links)
{
    FmtLinks = *links;
    linksSet = 1;
    FmtLinkTables();
}

const FmtConstLinks *FmtGetConstLinks(void)
{
    return &FmtLinks;
}

static int IsNestedType(uint16_t t)
{
    return t == FT_STRUCT || t == FT_STRUCT_BYLEN || t == FT_STRUCTS_BYLEN;
}

void FmtLayoutStruct(FmtStructDef *def, int builtAtRunTime)
{
    if (!def || (def->state & 2))
        return;
    def->state |= 2 | (builtAtRunTime ? 1 : 0);
    uint32_t offset = 0, multiplier = 1;
    int pending = 0;
    for (FmtStructRow *row = def->rows; row && row->field; row++) {
        FmtFieldDef *f = row->field;
        f->nameLength = f->name ? (uint32_t)strlen(f->name) : 0;
        uint32_t size = f->length;
        if (IsNestedType(f->type) || f->type == FT_REPEAT || f->type == FT_REC_OFFSET) {
            FmtStructDef *nested = (FmtStructDef *)f->reference;
            FmtLayoutStruct(nested, builtAtRunTime);
            if (IsNestedType(f->type))
                size = nested ? nested->size : 0;
        }
        if (f->type == FT_REPEAT)
            size = 0;
        if (f->type == FT_ALIGN) {
            uint32_t a = f->length ? f->length : 1;
            offset = (offset + a - 1) / a * a;
            size = 0;
        }
        if (size == 0xFFFFFFFF)
            size = 0;
        row->offset = offset;
        if (f->type != FT_COUNTED_ARRAY && f->type != FT_FIXED_ARRAY) {
            if (pending) {
                size *= multiplier;
                pending = 0;
            }
            offset += size;
        }
        if (f->type == FT_COUNTED_ARRAY) {
            pending = 1;
            multiplier = 1;
        } else if (f->type == FT_FIXED_ARRAY) {
            pending = 1;
            multiplier = f->length;
        }
        if (f->type == FT_FLOAT && f->digits == 0)
            f->digits = 7;
        if (f->type == FT_DOUBLE && f->digits == 0)
            f->digits = 16;
        if ((f->type == FT_PACKED || f->type == FT_UPACKED) && f->digits == 0)
            f->digits = 7;
        for (const FmtCondition *c = row->conditions; c && c->field; c++)
            c->field->flags |= FF_TESTED;
    }
    def->size = offset;
    uint32_t width = 0;                 /* the name column, set here once for every thread */
    for (FmtStructRow *row = def->rows; row && row->field; row++)
        if (row->field->nameLength > width)
            width = row->field->nameLength;
    def->nameWidth = width + 1 < 14 ? 14 : width + 1;
}

void FmtLinkTables()
{
    struct { FmtFieldDef *field; const FmtValueName *table; } links[] = {
        { &FmtFReason, FmtLinks.reasons },
        { &FmtFieldParameterId, FmtLinks.parameters },
        { &FmtFieldCommand, FmtLinks.commands },
        { &FmtFOpenOptions, FmtLinks.openOptions },
        { &FmtFCloseOptions, FmtLinks.closeOptions },
        { &FmtFPmoOptions, FmtLinks.pmoOptions },
        { &FmtFGmoOptions, FmtLinks.gmoOptions },
        { &FmtFSdOptions, FmtLinks.sdOptions },
        { &FmtFSroOptions, FmtLinks.sroOptions },
    };
    for (auto &l : links)
        l.field->reference = l.table;
}

static std::once_flag layoutOnce;

static void LayoutAllOnce()
{
    for (FmtStructList *e = FmtStructListAll; e->def; e++)
        FmtLayoutStruct(e->def, 0);
    FmtRfh2Default[8] = 40;     /* StrucLength: fixed part and one folder length */
    if (!linksSet)
        FmtUseMQConstTables();
    FmtLinkTables();
}

void FmtLayoutAll()
{
    std::call_once(layoutOnce, LayoutAllOnce);
}
