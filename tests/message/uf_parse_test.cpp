/* The user format language: what the parser builds from each statement,
 * type word, field format, dimension, enumeration, conditional value and
 * option; rules; comments and long lines; every error text with its
 * include chain; reloading while panes still hold the old formats. */
#include "uftest.h"
#include "csmem.h"
#include <cstring>


TEST_F(UserFormats, TypeWordsGiveTheirTypesAndLengths)
{
    /* ";" ends a statement: the rest of its line is its description, so
       each field stands on a line of its own */
    ASSERT_EQ(Load("struct Inner\n{\n int a;\n short b;\n}\n"
                   "struct All ; Every type word\n"
                   "{\n"
                   " hex h;\n int i;\n flags8 f8;\n char c;\n short s;\n struct Inner in;\n flags fl;\n"
                   " inth ih;\n int64h i64h;\n align4 ;\n flags16 f16;\n charbp cb[6];\n uint u;\n"
                   " uinth uh;\n int64 i64;\n uint64 u64;\n uint64h u64h;\n shorth sh;\n ushort us;\n"
                   " ushorth ush;\n int8 i8;\n int8h i8h;\n uint8 u8;\n uint8h u8h;\n desc ; A line of text\n"
                   " float fl32;\n double fl64;\n time32 t32;\n time64 t64;\n packed p;\n upacked up;\n"
                   " opunch o;\n digits d;\n align16 ;\n"
                   " packed (5.2) p52;\n digits (3) d3;\n opunch (3.1) o31;\n upacked (9) u9;\n"
                   "}\n"), 1) << errors.Last();
    UFSTRUCT *s = Struct("All");
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->def.title, "Every type word");
    EXPECT_EQ(s->def.state & 3, 3u);                    /* built at run time, laid out */
    struct { uint16_t type; uint32_t length; } want[] = {
        {1, 1}, {2, 4}, {4, 1}, {5, 1}, {7, 2}, {8, 6}, {9, 4}, {21, 4}, {25, 8}, {30, 4}, {31, 2},
        {37, 6}, {40, 4}, {41, 4}, {42, 8}, {43, 8}, {44, 8}, {45, 2}, {46, 2}, {47, 2}, {48, 1},
        {49, 1}, {50, 1}, {51, 1}, {52, 0}, {53, 4}, {54, 8}, {55, 4}, {56, 8}, {57, 4}, {58, 4},
        {60, 1}, {61, 1}, {30, 16}, {57, 4}, {61, 4}, {60, 4}, {58, 5} };
    ASSERT_EQ(s->rowCount, sizeof want / sizeof *want);
    for (uint32_t i = 0; i < s->rowCount; i++) {
        EXPECT_EQ(s->def.rows[i].field->type, want[i].type) << "row " << i;
        EXPECT_EQ(s->def.rows[i].field->length, want[i].length) << "row " << i;
    }
    EXPECT_EQ(s->def.rows[s->rowCount].field, nullptr);
    EXPECT_STREQ((const char *)s->def.rows[24].field->reference, "A line of text");
    const FmtFieldDef *p52 = s->def.rows[34].field;
    EXPECT_EQ(p52->digits, 5u);
    EXPECT_EQ(p52->decimals, 2u);
    EXPECT_EQ(s->def.rows[29].field->digits, 7u);      /* packed: 7 digits by default */
    /* the alignment after i64h (ending at 31) moves flags16 to 32 */
    EXPECT_EQ(s->def.rows[10].offset, 32u);
}

TEST_F(UserFormats, FieldFormatsDimensionsEnumerationsAndOptions)
{
    ASSERT_EQ(Load("enum_int Colour {\n 1, RED ; Red as a rose\n 2, BLUE }\n"
                   "enum Kind {\n \"AB\", KIND_AB; 'AB' records\n XY , KIND_XY\n}\n"
                   "struct Rec {\n"
                   " float (5) f;\n time32 (UTC, MMDDYYYY) t;\n packed (7.2, lead) p;\n opunch (4|plus|signleft) o;\n"
                   " char (YYYYMMDD) day[8];\n char (\"hh:mm\") at[5];\n"
                   " int n;\n hex raw[16];\n char name[n];\n hex blob[n];\n"
                   " int fixed[3];\n int counted[n];\n int rest[*];\n char names[8][2];\n"
                   " int colour (Colour) : low, medium;\n char kind[2] (Kind) : summary;\n"
                   " int len : struclen, enc, ccsid, pad4, defer, expert, limval ; Length of it all\n"
                   "}\n"), 1) << errors.Last();
    UFSTRUCT *s = Struct("Rec");
    ASSERT_NE(s, nullptr);
    const FmtStructRow *r = s->def.rows;
    EXPECT_EQ(r[0].field->digits, 5u);
    EXPECT_EQ(r[1].field->digits, 3u);
    EXPECT_EQ(r[2].field->length, 5u);                  /* (7 + 2 + 2) / 2 */
    EXPECT_EQ(r[2].field->flags & 0x1000, 0x1000u);
    EXPECT_EQ(r[3].field->flags & (FF_SHOW_PLUS | FF_SIGN_FIRST), (uint32_t)(FF_SHOW_PLUS | FF_SIGN_FIRST));
    EXPECT_STREQ((const char *)r[4].field->dateLayout, "YYYYMMDD");
    EXPECT_STREQ((const char *)r[5].field->dateLayout, "hh:mm");
    const FmtFieldDef *n = r[6].field;
    EXPECT_EQ(n->flags & FF_REFERENCED, (uint32_t)FF_REFERENCED);
    EXPECT_EQ(r[7].field->length, 16u);
    EXPECT_EQ(r[8].field->type, FT_TEXT_BYLEN);
    EXPECT_EQ(r[8].field->reference, n);
    EXPECT_EQ(r[8].flags & RF_SHOW_EMPTY, (uint64_t)RF_SHOW_EMPTY);
    EXPECT_EQ(r[9].field->type, FT_BYTES_BYLEN);
    /* arrays: a nameless row before the element */
    EXPECT_EQ(r[10].field->type, FT_FIXED_ARRAY);
    EXPECT_EQ(r[10].field->length, 3u);
    EXPECT_EQ(r[12].field->type, FT_COUNTED_ARRAY);
    EXPECT_EQ(r[12].field->reference, n);
    EXPECT_EQ(r[14].field->length, 0xFFFFFFFFu);
    EXPECT_EQ(r[16].field->type, FT_FIXED_ARRAY);       /* the second dimension of a text */
    EXPECT_EQ(r[16].field->length, 2u);
    EXPECT_EQ(r[17].field->length, 8u);
    /* enumerations and options */
    const FmtValueName *colours = (const FmtValueName *)r[18].field->reference;
    ASSERT_NE(colours, nullptr);
    EXPECT_STREQ(colours[0].description, "Red as a rose");
    EXPECT_STREQ(colours[1].description, "BLUE");           /* defaults to the constant */
    EXPECT_EQ(colours[2].name, nullptr);
    EXPECT_EQ(r[18].flags & 0xFF, 3u);                       /* low and medium */
    const FmtValueName *kinds = (const FmtValueName *)r[19].field->reference;
    EXPECT_STREQ((const char *)(uintptr_t)kinds[0].value, "AB");
    EXPECT_STREQ(kinds[0].description, "'AB' records");
    EXPECT_EQ(r[19].flags & RF_UF_SUMMARY, (uint64_t)RF_UF_SUMMARY);
    EXPECT_EQ(s->def.kind & RF_UF_SUMMARY, (uint64_t)RF_UF_SUMMARY);
    const FmtStructRow &len = r[20];
    EXPECT_STREQ(len.field->name, "Length of it all");
    uint64_t flags = RF_STRUCLEN | RF_ENCODING_NEXT | RF_CCSID_NEXT | RF_PAD4;
    EXPECT_EQ(len.flags & flags, flags);
    EXPECT_EQ(len.field->flags & 0xE00, 0xE00u);             /* defer, expert, limval */
    EXPECT_STREQ(r[18].field->name, "colour");               /* no description: the name */
    EXPECT_NE(s->def.state & 8, 0u);                          /* its size varies */
}

TEST_F(UserFormats, ConditionalValuesAndTheirPlacement)
{
    ASSERT_EQ(Load("struct Head {\n char tag[4] = ORD1;\n int ver = 2;\n}\n"
                   "struct Msg {\n struct Head h;\n hex id[2] = 0A0B;\n packed amt = -5;\n upacked u = 5;\n"
                   " flags8 f = 255;\n short s = -1;\n int64 big = 0x7FFFFFFFFFFFFFFF;\n int n;\n char v[n];\n}\n"), 1)
        << errors.Last();
    UFSTRUCT *head = Struct("Head"), *msg = Struct("Msg");
    ASSERT_TRUE(head && msg);
    EXPECT_EQ(head->def.kind & RF_UF_CONDITION, (uint64_t)RF_UF_CONDITION);
    EXPECT_EQ(msg->def.rows[0].flags & RF_UF_CONDITION, (uint64_t)RF_UF_CONDITION);   /* inherited */
    ASSERT_NE(head->conds[0], nullptr);
    EXPECT_EQ(memcmp(head->conds[0]->bytes, "ORD1", 4), 0);
    EXPECT_EQ(msg->conds[1]->length, 2u);
    EXPECT_EQ(msg->conds[1]->bytes[0], 0x0A);
    EXPECT_EQ(msg->conds[2]->number, -5);
    EXPECT_EQ(msg->conds[6]->number, INT64_MAX);
    EXPECT_EQ(msg->conds[7], nullptr);

    /* after a field of varying length, no position is fixed */
    const char *varying[] = { "struct V {\n int n;\n char v[n];\n int x = 5;\n}\n",
                              "struct V {\n int n;\n int a[n];\n int x = 5;\n}\n",
                              "struct V {\n int a[*];\n int x = 5;\n}\n",
                              "struct W {\n int n;\n char v[n];\n}\nstruct V {\n struct W w;\n int x = 5;\n}\n" };
    for (const char *text : varying) {
        EXPECT_EQ(Load(text), 0);
        EXPECT_EQ(errors.Last(), "A conditional value is not allowed on field 'x' because it's position is not fixed.");
    }
}

TEST_F(UserFormats, RulesNestStructureListsFormattersAndOverrides)
{
    ASSERT_EQ(Load("struct A {\n int a;\n}\nstruct B {\n int b;\n}\n"
                   "queue APP.*, $none {\n"
                   "  format ORD*, \"MYFMT\" ; Orders of the shop\n"
                   "  {\n"
                   "    struct A, B;\n"
                   "    formatter XML\n"
                   "    override { Encoding = 273 CodedCharSetId = 500 format = NEWFMT }\n"
                   "  }\n"
                   "  formatter Csv\n"
                   "}\n"
                   "format MQSTR, MYFMT { formatter bogus\n struct B;\n}\n"
                   "format OTHER { }\n"
                   "struct Later {\n int z;\n}\n"), 0);
    EXPECT_EQ(errors.texts.size(), 1u);                   /* reported, and parsing went on */
    EXPECT_EQ(errors.Last(), "Unrecognised formatter name 'bogus'.");
    EXPECT_NE(Struct("Later"), nullptr);
    UFRULE *q = UFCurrent()->rules;
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->kind, (uint32_t)UFR_QUEUE);
    EXPECT_STREQ(q->names->text, "APP.*");
    EXPECT_STREQ(q->names->next->text, "$none");
    UFRULE *f = q->child;
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->kind, (uint32_t)UFR_FORMAT);
    EXPECT_EQ(f->bodyKind, UF_BODY_CSV);                  /* the most recent node of the body */
    UFRULE *list = f->child;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->kind, (uint32_t)UFR_LIST);
    EXPECT_EQ(list->bodyKind, UF_BODY_XML);
    EXPECT_EQ(list->names->def, &Struct("A")->def);
    const UFOverride *o = f->names->override;
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(f->names->next->override, o);              /* every name of the rule */
    EXPECT_EQ(o->encoding, 273u);
    EXPECT_EQ(o->ccsid, 500u);
    EXPECT_EQ(memcmp(o->format, "NEWFMT  ", 8), 0);
    EXPECT_EQ(o->formatLength, 6u);
    /* user format names: new, not IBM MQ's, newest first */
    const UFFormatName *u = UFFormatNames();
    ASSERT_NE(u, nullptr);
    EXPECT_STREQ(u->name, "OTHER");
    EXPECT_EQ(u->description, nullptr);
    ASSERT_NE(u = u->next, nullptr);
    EXPECT_STREQ(u->name, "MYFMT");
    EXPECT_STREQ(u->description, "Orders of the shop");
    ASSERT_NE(u = u->next, nullptr);
    EXPECT_STREQ(u->name, "ORD*");
    EXPECT_EQ(u->next, nullptr);                          /* MQSTR is IBM MQ's */
}

TEST_F(UserFormats, AFormatterWordOnTheNextLineLoadsAndTheRestOfTheFileFollows)
{
    /* the word may stand on any later line, and what follows still loads */
    ASSERT_EQ(Load("format JSONMSG {\n formatter\n   json\n}\n"
                   "format FIXED { formatter\n\n ; a comment line between\n Fix }\n"
                   "struct After {\n int a;\n}\n"), 1) << errors.Last();
    EXPECT_TRUE(errors.texts.empty());
    const UFRULE *r = UFCurrent()->rules;
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->bodyKind, UF_BODY_JSON);
    ASSERT_NE(r->next, nullptr);
    EXPECT_EQ(r->next->bodyKind, UF_BODY_FIX);
    EXPECT_NE(Struct("After"), nullptr);

    /* a missing word before "}" is reported and parsing goes on */
    EXPECT_EQ(Load("format A { formatter\n}\nstruct After {\n int a;\n}\n"), 0);
    EXPECT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.Last(), "Expected formatter name.");
    EXPECT_NE(Struct("After"), nullptr);

    /* an error that ends the parse: its text as it stands, nothing after it loaded */
    errors.texts.clear();
    EXPECT_EQ(Load("struct A {\n int a b;\n}\nstruct Lost {\n int l;\n}\n"), 0);
    EXPECT_EQ(errors.texts.back(), "At line 2 of file '" + Path("RAVOLT.FMT") + "'\n\n'b' found where ';' was expected.");
    EXPECT_EQ(Struct("Lost"), nullptr);
}

TEST_F(UserFormats, CommentsAndLongLines)
{
    /* a token across the 500th byte of a line, and a description of 600 */
    std::string longName(100, 'x');
    ASSERT_EQ(Load("; a whole comment line\n"
                   "struct S { ; the fields follow\n"
                   " int a; The first\n"
                   "; int b; commented out\n" +
                   std::string(450, ' ') + " char " + longName + "[2];\n"
                   " int c; " + std::string(600, 'd') + "\n"
                   "}\n"), 1) << errors.Last();
    UFSTRUCT *s = Struct("S");
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->rowCount, 3u);
    EXPECT_STREQ(s->def.rows[0].field->name, "The first");
    EXPECT_EQ(strlen(s->def.rows[1].field->name), 100u);
    EXPECT_EQ(strlen(s->def.rows[2].field->name), 200u);   /* a label holds 200 characters */
    /* an error after long lines names its real line */
    std::string filler = " int f" + std::string(700, 'f') + ";\n";
    EXPECT_EQ(Load("struct S {\n" + filler + " int g" + std::string(700, 'g') + ";\n int x y;\n}\n"), 0);
    EXPECT_NE(errors.texts.back().find("At line 4 of file"), std::string::npos) << errors.texts.back();
    EXPECT_EQ(errors.Last(), "'y' found where ';' was expected.");
}

TEST_F(UserFormats, NumbersAreCheckedWithoutOverflow)
{
    struct { const char *number, *error; } cases[] = {
        { "1234567890123456789012345678901234567890", "Number '1234567890123456789012345678901234567890' too large." },
        { "12345678901234567890123456789012345678901", "Number '12345678901234567890123456789012345678901' too large." },
        { "18446744073709551616", "Number '18446744073709551616' too large." },
        { "-9223372036854775809", "Number '-9223372036854775809' too large." },
        { "0x10000000000000000", "Number '0x10000000000000000' too large." },
        { "007", "Number '007' is not a valid format." }, { "+5", "Number '+5' is not a valid format." },
        { "-0", "Number '-0' is not a valid format." }, { "0xZ", "Number '0xZ' is not a valid format." },
        { "5a", "Number '5a' is not a valid format." }, { ",", "Number expected." },
    };
    for (auto &c : cases) {
        EXPECT_EQ(Load(std::string("enum_int E { ") + c.number + ", A }\n"), 0) << c.number;
        EXPECT_EQ(errors.Last(), c.error);
    }
    ASSERT_EQ(Load("enum_int E { 18446744073709551615, A\n -9223372036854775808, B\n 0xFF, C\n 0, D }\n"), 1);
    const FmtValueName *t = UFFindEnum(UFCurrent(), "E")->table;
    EXPECT_EQ(t[0].value, UINT64_MAX);
    EXPECT_EQ((int64_t)t[1].value, INT64_MIN);
    EXPECT_EQ(t[2].value, 255u);
}

/* Each error text of the language, from a file of its own. */
TEST_F(UserFormats, EveryErrorTextFromAFileOfItsOwn)
{
    struct { const char *file, *error; } cases[] = {
        { "junk", "Unexpected Token 'junk' found." },
        { "include", "Expected file name to follow include statment" },
        { "include missing.fmt", "Can not open user format file '" },
        { "include .", "Can not open user format file '" },               /* a folder */
        { "struct A {\n int a;\n}\nstruct A {\n int b;\n}", "Stucture 'A' is already defined." },
        { "struct A {\n struct B b;\n}", "Unknown structure 'B' specified." },
        { "struct A {\n int a;\n int a;\n}", "Field 'a' is already defined." },
        { "struct A {\n int a b;\n}", "'b' found where ';' was expected." },
        { "struct A {", "Data type expected." },
        { "struct A {\n integer a;\n}", "'integer' is not a valid field type." },
        { "struct A {\n float (31) f;\n}", "The precision value '31' is not a valid value." },
        { "struct A {\n packed (0) p;\n}", "Packed field of zero length is not supported." },
        { "struct A {\n opunch (0.0) p;\n}", "Over-punched field of zero length is not supported." },
        { "struct A {\n digits (0) p;\n}", "Digits field of zero length is not supported." },
        { "struct A {\n char (YYYYQQ) d[6];\n}", "Invalid date string format." },
        { "struct A {\n int (5) a;\n}", "Field type does not support Field Format data." },
        { "struct A {\n time32 (GMT) t;\n}", "Unrecognised CTIME field format 'GMT'." },
        { "struct A {\n int a[n];\n}", "Array field 'n' is not defined." },
        { "struct A {\n char n[2];\n int a[n];\n}", "Array field 'n' is not numeric." },
        { "struct A {\n int a[2][3];\n}", "Multi-dimension arrays are not supported." },
        { "struct A {\n desc [2];\n}", "Arrays are not supported for this field type." },
        { "struct A {\n int a (E);\n}", "Enumeration 'E' is not defined." },
        { "enum E { A, X }\nstruct A {\n int a (E);\n}", "Enumeration 'E' is not of integer type." },
        { "enum_int E { 1, X }\nstruct A {\n char a[2] (E);\n}", "Enumeration 'E' is not of character type." },
        { "enum_int E { 1, X }\nstruct A {\n packed a (E);\n}", "Enumeration 'E' is not of suitable type." },
        { "enum E { A, X }\nstruct A {\n hex a (E);\n}", "Enumerations are not supported for this field type" },
        { "enum E { A, X }\nstruct A {\n int n;\n char v[n] (E);\n}",
          "Enumerations are not supported on variable length fields such as 'v'." },
        { "struct A {\n int n;\n char v[n] = AB;\n}",
          "Conditional values are not supported on variable length fields such as 'v'." },
        { "struct A {\n int n;\n char v[n];\n int x = 5;\n}",
          "A conditional value is not allowed on field 'x' because it's position is not fixed." },
        { "struct A {\n hex h[2] = 010203;\n}", "Conditional hex string is larger than actual hex field." },
        { "struct A {\n hex h[2] = 01XY;\n}", "Conditional value '01XY' should be in hex." },
        { "struct A {\n char c[2] = ABC;\n}", "Conditional string is larger than actual string field." },
        { "struct A {\n float f = 1;\n}", "Field type does not support conditional values." },
        { "struct A {\n char c[2] : struclen;\n}", "Field option 'struclen' can only be specified on numeric fields." },
        { "struct A {\n int a : ;\n}", "Expected field option." },
        { "struct A {\n int a : bold;\n}", "Unrecognised field option 'bold'." },
        { "struct A {\n int a : low high;\n}", "'high' found where ',' (comma) was expected." },
        { "struct A {\n int a : low, ;\n}", "Expected field option." },
        { "struct A {\n int a[x-y];\n}", "'x-y' is not a valid Array name." },
        { "enum E { A, X }\nenum E { B, Y }", "Enumeration 'E' is already defined." },
        { "enum E { A, }", "Constant name missing." },
        { "enum E {\n 5, ; no constant\n}", "Constant name missing." },
        { "queue A", "List ended unexpectedly." },
        { "queue {", "Queue name expected." },
        { "queue 1ABC {", "'1ABC' is not a valid queue name." },
        { "format TOOLONGNAME {", "Format values must be 8 characters or less." },
        { "queue A {\n struct X;\n}", "Stucture 'X' is not defined." },
        { "queue A { formatter }", "Expected formatter name." },
        { "queue A { formatter magic }", "Unrecognised formatter name 'magic'." },
        { "queue A { override { Format = TOOLONGXX } }", "Character value can only be up to 8 characters" },
        { "queue A { override { Colour = 1 } }", "Unexpected Token 'Colour' found." },
        { "queue A { struct", "Structure name missing." },
        { "queue A {", "Unexpected end of file." },
        { "queue A { include x }", "Unexpected Token 'include' found." },
        { "struct A", "Expected '{' missing." },
        { "struct A x", "'x' found where '{' expected." },
        { "struct\nA { }", "Structure name missing." },
        { "struct 9A { }", "'9A' is not a valid Structure name." },
    };
    for (auto &c : cases) {
        errors.texts.clear();
        Load(c.file);
        ASSERT_FALSE(errors.texts.empty()) << c.file;
        EXPECT_EQ(errors.Last().compare(0, strlen(c.error), c.error), 0)
            << c.file << "\n gave: " << errors.Last();
        EXPECT_EQ(errors.captions.back(), "Ravolt User Format File Parse Error");
        EXPECT_EQ(errors.texts.back().compare(0, 8, "At line "), 0) << errors.texts.back();
    }
}

TEST_F(UserFormats, IncludesResolveAgainstTheIncludingFolderAndShowTheirChain)
{
    Write("sub/common.fmt", "include more.fmt\nstruct Common {\n int c;\n}\n");
    Write("sub/more.fmt", "struct More {\n int m;\n}\n");
    ASSERT_EQ(Load("; includes\ninclude sub/common.fmt\nstruct Top {\n struct More m;\n struct Common c;\n}\n"), 1)
        << errors.Last();
    EXPECT_NE(Struct("Top"), nullptr);
    /* an error two files down: one line per file, outermost first */
    Write("sub/common.fmt", "struct Common {\n int c;\n}\ninclude more.fmt\n");
    Write("sub/more.fmt", "\n\nstruct Broken { int b c;\n}\n");
    EXPECT_EQ(Load("\ninclude sub/common.fmt\n"), 0);
    std::string expected = "At line 2 of file '" + Path("RAVOLT.FMT") + "'\n" +
                           "At line 4 of file '" + Path("sub/common.fmt") + "'\n" +
                           "At line 3 of file '" + Path("sub/more.fmt") + "'\n\n" +
                           "'c' found where ';' was expected.";
    EXPECT_EQ(errors.texts.back(), expected);
    EXPECT_NE(Struct("Common"), nullptr) << "what was built before the error stays";
}

TEST_F(UserFormats, IncludeCyclesEndWithTheirChain)
{
    Write("a.fmt", "include b.fmt\n");
    Write("b.fmt", "struct B {\n int b;\n}\ninclude a.fmt\n");
    EXPECT_EQ(Load("include a.fmt\n"), 0);
    const std::string &t = errors.texts.back();
    EXPECT_NE(t.find("At line 1 of file '" + Path("a.fmt") + "'"), std::string::npos) << t;
    EXPECT_NE(t.find("At line 4 of file '" + Path("b.fmt") + "'"), std::string::npos) << t;
    EXPECT_EQ(errors.Last(), "Include cycle: 'a.fmt' includes itself.");
    /* a file including itself by other spellings ends at the depth bound */
    Write("self.fmt", "include ./self.fmt\n");
    errors.texts.clear();
    EXPECT_EQ(Load("include self.fmt\n"), 0);
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.Last().compare(0, 36, "Include files are nested too deeply "), 0) << errors.Last();
}

TEST_F(UserFormats, AMissingTopFileIsSilentAtStartAndReportedOnReload)
{
    fileName = "NOSUCH.FMT";
    Prefs();
    EXPECT_EQ(UFLoadFormats(nullptr, 1), 0);
    EXPECT_TRUE(errors.texts.empty());
    EXPECT_EQ(UFLoadFormats(nullptr, 0), 0);
    EXPECT_EQ(errors.Last(), "Can not open user format file '" + Path("NOSUCH.FMT") + "'.");
    fileName = "";
    Prefs();
    EXPECT_EQ(UFLoadFormats(nullptr, 0), 1);                 /* no file named: nothing to load */
}

/* The reporter of a reload formats a message with the formats in force
 * while the new file is parsed; the old set lives until the panes have
 * formatted again. */
struct ReloadProbe {
    std::vector<std::string> shown;
    int walks = 0;
    std::string seenInWalk;
};

static void ReformatWalk(void *context)
{
    ReloadProbe *p = (ReloadProbe *)context;
    p->walks++;
    UFSTRUCT *s = UFFindStruct(UFCurrent(), "Rec");
    p->seenInWalk = s ? s->def.rows[0].field->name : "";
}

TEST_F(UserFormats, AReloadKeepsTheOldFormatsUntilThePanesFormatAgain)
{
    ReloadProbe probe;
    UFSetReformatWalk(ReformatWalk, &probe);
    ASSERT_EQ(Load("struct Rec {\n int old;\n}\n"), 1);
    EXPECT_EQ(probe.walks, 1);
    EXPECT_EQ(probe.seenInWalk, "old");
    struct Ctx { UserFormats *t; ReloadProbe *p; } ctx = { this, &probe };
    UFSetErrorReporter([](void *c, void *, const char *, const char *) {
        Ctx *x = (Ctx *)c;
        /* a repaint inside the error box: the old definition, complete */
        UFSTRUCT *s = UFFindStruct(UFCurrent(), "Rec");
        ASSERT_NE(s, nullptr);
        std::vector<unsigned char> data = { 7, 0, 0, 0 };
        x->p->shown.push_back(FormatWith(&s->def, data));
        EXPECT_EQ(UFLoadFormats(nullptr, 0), 0);      /* no reload inside a reload */
    }, &ctx);
    EXPECT_EQ(Load("struct Rec {\n int new;\n}\nstruct Rec2 {\n int x y;\n}\n"), 0);
    ASSERT_EQ(probe.shown.size(), 1u);
    EXPECT_NE(probe.shown[0].find("old          : 7"), std::string::npos) << probe.shown[0];
    EXPECT_EQ(probe.walks, 2);
    EXPECT_EQ(probe.seenInWalk, "new");                   /* what was built before the error */
    UFReapplyFormats();
    EXPECT_EQ(probe.walks, 3);
}

TEST_F(UserFormats, AThousandReloadsLeaveNothingBehind)
{
    Write("inc.fmt", "enum_int E { 1, ONE }\nstruct I {\n int i (E);\n}\n");
    std::string text = "include inc.fmt\nstruct A {\n struct I i;\n char c[4] = ABCD;\n}\n"
                       "format F1 ; first\n{ struct A;\n override { Format = F2 } }\nqueue Q* { formatter json }\n";
    Write(fileName, text);
    UFLoadFormats(nullptr, 0);
    CSMEMSTATS before, after;
    CSMemStats(&before);
    for (int i = 0; i < 1000; i++)
        ASSERT_EQ(UFLoadFormats(nullptr, 0), 1);
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
    EXPECT_EQ(after.bytes, before.bytes);
}
