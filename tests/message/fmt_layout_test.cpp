/* The layout pass over the static definitions: sizes agree with IBM MQ's
 * published layouts, and the pass's own rules. */
#include "fmttest.h"
#include <gtest/gtest.h>

namespace {

uint32_t RowOffset(const FmtStructDef &def, const char *name, int occurrence = 1)
{
    for (const FmtStructRow *r = def.rows; r->field; r++)
        if (strcmp(r->field->name, name) == 0 && --occurrence == 0)
            return r->offset;
    return 0xFFFFFFFF;
}

TEST(FmtLayout, SizesAgreeWithPublishedLayouts)
{
    FmtLayoutAll();
    struct { const FmtStructDef *def; uint32_t size; } sizes[] = {
        { &FmtDefMQMD, 364 }, { &FmtDefMQMDE, 72 }, { &FmtDefMQDLH, 172 }, { &FmtDefXQH, 428 },
        { &FmtDefMQDH, 48 }, { &FmtDefMQOR, 96 }, { &FmtDefMQRR, 8 }, { &FmtDefMQRFH, 32 },
        { &FmtDefMQRFH2, 40 }, { &FmtDefMQCIH, 180 }, { &FmtDefMQIIH, 84 }, { &FmtDefMQWIH, 120 },
        { &FmtDefMQRMH, 108 }, { &FmtDefMQTM, 684 }, { &FmtDefMQTMC2, 732 }, { &FmtDefMQEPH, 68 },
        { &FmtDefMQCFH, 36 }, { &FmtDefMQCFIN, 16 }, { &FmtDefMQCFST, 20 }, { &FmtDefMQCFIL, 20 },
        { &FmtDefMQCFSL, 24 }, { &FmtDefMQCFBS, 16 }, { &FmtDefMQCFGR, 16 }, { &FmtDefMQCFIN64, 24 },
        { &FmtDefMQCFIL64, 24 }, { &FmtDefMQCFIF, 20 }, { &FmtDefMQCFSF, 24 }, { &FmtDefMQCFBF, 20 },
        { &FmtDefMQOD, 424 }, { &FmtDefMQPMO, 184 }, { &FmtDefMQGMO, 112 }, { &FmtDefMQCNO, 272 },
        { &FmtDefMQSD, 344 }, { &FmtDefMQSRO, 16 }, { &FmtDefMQBO, 12 }, { &FmtDefMQCD, 1992 },
    };
    for (auto &s : sizes)
        EXPECT_EQ(s.size, s.def->size) << s.def->title;
    EXPECT_EQ(324u, RowOffset(FmtDefMQMD, "Group Id"));
    EXPECT_EQ(360u, RowOffset(FmtDefMQMD, "Original Len."));
    EXPECT_EQ(104u, RowOffset(FmtDefXQH, "StrucId", 2));
    EXPECT_EQ(164u, RowOffset(FmtDefMQCIH, "Cursor Posn"));
    EXPECT_EQ(344u, RowOffset(FmtDefMQOD, "Object String"));
    EXPECT_EQ(120u, RowOffset(FmtDefMQSD, "Object String"));
    EXPECT_EQ(320u, RowOffset(FmtDefMQSD, "Res. Obj. Str"));
    EXPECT_EQ(256u, RowOffset(FmtDefMQCNO, "Pointer", 5));
    EXPECT_EQ(160u, RowOffset(FmtDefMQPMO, "Orig. Handle"));
    EXPECT_EQ(1520u, RowOffset(FmtDefMQCD, "MsgExitPtr"));
    EXPECT_EQ(1800u, RowOffset(FmtDefMQCD, "MsgCompList"));
    EXPECT_EQ(1984u, RowOffset(FmtDefMQCD, "SPLProtection"));
    /* the default instances carry the published initial values */
    EXPECT_EQ(0, memcmp(FmtDefMQMD.defaultInstance, "MD  \x01\0\0\0", 8));
    EXPECT_EQ(40, FmtDefMQRFH2.defaultInstance[8]);
    EXPECT_EQ(0xB8, FmtDefMQRFH2.defaultInstance[32]);
}

TEST(FmtLayout, EveryListedDefinitionIsLaidOut)
{
    FmtLayoutAll();
    int n = 0;
    for (FmtStructList *e = FmtStructListAll; e->def; e++, n++) {
        EXPECT_TRUE(e->def->state & 2) << e->def->title;
        for (const FmtStructRow *r = e->def->rows; r->field; r++)
            EXPECT_EQ(strlen(r->field->name), r->field->nameLength);
    }
    EXPECT_GT(n, 40);
}

TEST(FmtLayout, RunTimeDefinitions)
{
    FmtFieldDef a = { "A", FT_CHAR, 13, nullptr, 0, 0, 0, nullptr, 0 };
    FmtFieldDef al = { "!align8", FT_ALIGN, 8, nullptr, 0, 0, 0, nullptr, 0 };
    FmtFieldDef b = { "B", FT_INT, 4, nullptr, 0, 0, 0, nullptr, 0 };
    FmtFieldDef cnt = { "Count", FT_COUNTED_ARRAY, 0, &b, 0, 0, 0, nullptr, 0 };
    FmtFieldDef fixed = { "Fixed", FT_FIXED_ARRAY, 16, nullptr, 0, 0, 0, nullptr, 0 };
    FmtFieldDef fl = { "F", FT_FLOAT, 4, nullptr, 0, 0, 0, nullptr, 0 };
    FmtFieldDef db = { "D", FT_DOUBLE, 8, nullptr, 0, 0, 0, nullptr, 0 };
    FmtStructRow rows[] = { { 0, &a, nullptr, 0 }, { 0, &al, nullptr, 0 }, { 0, &b, nullptr, 0 },
                            { 0, &cnt, nullptr, 0 }, { 0, &b, nullptr, 0 }, { 0, &fixed, nullptr, 0 },
                            { 0, &b, nullptr, 0 }, { 0, &fl, nullptr, 0 }, { 0, &db, nullptr, 0 },
                            { 0, nullptr, nullptr, 0 } };
    FmtStructDef inner = { "Inner", 0, rows, nullptr, 0, 0, 0 };
    FmtFieldDef n1 = { "N1", FT_STRUCT, 0, &inner, 0, 0, 0, nullptr, 0 };
    FmtStructRow outerRows[] = { { 0, &n1, nullptr, 0 }, { 0, &n1, nullptr, 0 }, { 0, nullptr, nullptr, 0 } };
    FmtStructDef outer = { "Outer", 0, outerRows, nullptr, 0, 0, 0 };
    FmtLayoutStruct(&outer, 1);
    EXPECT_EQ(16u, rows[2].offset);                 /* 13 aligned to 8 */
    EXPECT_EQ(16u, rows[1].offset);
    EXPECT_EQ(16u + 4 + 4 + 64 + 4 + 8, inner.size);
    EXPECT_EQ(2u * inner.size, outer.size);
    EXPECT_EQ(7u, fl.digits);
    EXPECT_EQ(16u, db.digits);
    EXPECT_EQ(3u, outer.state);
    uint32_t size = inner.size;
    FmtLayoutStruct(&inner, 1);
    FmtLayoutStruct(&outer, 1);
    EXPECT_EQ(size, inner.size);
    EXPECT_EQ(2u * size, outer.size);
}

}
