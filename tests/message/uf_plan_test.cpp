/* Arrays of fixed user records formatted through their record plans and
 * through the row walk alone: every call of the sink the same (the text,
 * its length, the line record's fields and the frame it points at), for
 * the benchmark's records, every field kind a plan takes, byte orders and
 * code pages, cut records, sink answers, random bodies and every prefix of
 * a short one; structures a plan must not take are left to the walk. */
#include "uftest.h"
#include "fmtint.h"
#include <random>

namespace {

std::string Lines(std::initializer_list<const char *> lines)
{
    std::string s;
    for (const char *l : lines)
        s += std::string(l) + "\n";
    return s;
}

/* What the sink is shown, and how it answers. */
struct Probe {
    std::vector<std::string> calls;
    uint32_t countOnlyAt = 0, buildAt = 0, stopAt = 0;     /* 1-based lines */
};

std::string Describe(FmtLineRec *lr, const char *text, uint32_t n)
{
    char head[640];
    const FmtWalkFrame *fr = lr->frame;
    auto at = [&](const unsigned char *p) { return p ? (long long)(p - lr->dataStart) : -1ll; };
    snprintf(head, sizeof head,
             "n=%u flags=%X opt=%X lf=%X so=%u do=%u fl=%u vo=%u vb=%u pl=%u vt=%u vw=%u cl=%u el=%u "
             "depth=%u conv=%u field=%p nested=%p res=%u | frame def=%p parent=%p start=%lld cur=%lld "
             "rem=%u enc=%u ccsid=%u ebcdic=%u cp=%p dep=%u head=%u elem=%u count=%u kind=%u ext=%lld|",
             n, lr->flags, lr->options, lr->lineFlags, lr->structOffset, lr->dataOffset, lr->fieldLength,
             lr->valueOffset, lr->valueBytes, lr->prefixLength, lr->valueTextLength, lr->valueWidth,
             lr->lineClass, lr->element, lr->runDepth, lr->converted, (const void *)lr->field,
             (const void *)lr->nestedRow, (unsigned)lr->sinkResult, fr ? (const void *)fr->def : nullptr,
             fr && fr->parent ? (const void *)fr->parent->def : nullptr, fr ? at(fr->start) : -2,
             fr ? at(fr->cur) : -2, fr ? fr->remaining : 0, fr ? fr->encoding : 0, fr ? fr->ccsid : 0,
             fr ? fr->ebcdic : 0, fr ? (const void *)fr->cp : nullptr, fr ? fr->depth : 0,
             fr ? fr->headingShown : 0, fr ? fr->element : 0, fr ? fr->count : 0, fr ? fr->bodyKind : 0,
             fr ? at(fr->extent) : -2);
    return head + std::string(text, n);
}

uint32_t ProbeSink(uint64_t context, FmtLineRec *lr, char *text, uint32_t n)
{
    Probe *p = (Probe *)(uintptr_t)context;
    p->calls.push_back(Describe(lr, text, n));
    uint32_t k = (uint32_t)p->calls.size();
    if (k == p->stopAt) return FMT_STOP;
    if (k == p->countOnlyAt) return FMT_COUNT_ONLY;
    if (k == p->buildAt) return FMT_BUILD_TEXT;
    return 0;
}

/* How a run is made: the message's byte order and CCSID, the line
 * record's flags and options, and the sink's answers. */
struct RunSetup {
    uint32_t encoding = 546, ccsid = 850;
    uint32_t flags = 3, options = 0, endLevel = 0, width = 100;
    uint32_t countOnlyAt = 0, buildAt = 0, stopAt = 0;
};

struct Outcome {
    std::vector<std::string> calls;
    uint32_t rc = 0, remaining = 0;
    long long consumed = 0;
};

Outcome FormatOnce(FmtStructDef *def, const std::vector<unsigned char> &data, const RunSetup &s)
{
    FmtMsgInfo m = MakeMsg("        ", s.encoding, s.ccsid);
    FmtLineRec lr = {};
    lr.flags = s.flags;
    lr.options = s.options;
    lr.endLevel = s.endLevel;
    lr.width = s.width;
    lr.displayCcsid = 850;
    Probe p;
    p.countOnlyAt = s.countOnlyAt;
    p.buildAt = s.buildAt;
    p.stopAt = s.stopAt;
    std::vector<unsigned char> copy(data);     /* exactly the bytes: reads past them are caught */
    const unsigned char *at = copy.data();
    Outcome o;
    o.remaining = (uint32_t)copy.size();
    o.rc = FapFormatStructure(&m, def, nullptr, ProbeSink, (uint64_t)(uintptr_t)&p, &lr, &o.remaining, &at);
    o.consumed = at - copy.data();
    o.calls = std::move(p.calls);
    return o;
}

/* Formats through the plans and through the walk alone and requires the
 * same calls; returns the records the plans formatted. */
uint64_t Same(FmtStructDef *def, const std::vector<unsigned char> &data, const RunSetup &s, const std::string &what)
{
    uint64_t before = FmtRecordPlanRecords();
    Outcome planned = FormatOnce(def, data, s);
    uint64_t records = FmtRecordPlanRecords() - before;
    FmtSetRecordPlans(0);
    Outcome walked = FormatOnce(def, data, s);
    FmtSetRecordPlans(1);
    EXPECT_EQ(FmtRecordPlanRecords() - before, records) << what;
    EXPECT_EQ(planned.rc, walked.rc) << what;
    EXPECT_EQ(planned.remaining, walked.remaining) << what;
    EXPECT_EQ(planned.consumed, walked.consumed) << what;
    EXPECT_EQ(planned.calls.size(), walked.calls.size()) << what;
    for (size_t i = 0; i < planned.calls.size() && i < walked.calls.size(); i++)
        if (planned.calls[i] != walked.calls[i]) {
            ADD_FAILURE() << what << ": call " << i + 1 << "\n plan: " << planned.calls[i]
                          << "\n walk: " << walked.calls[i];
            break;
        }
    return records;
}

std::string Named(const char *structName, const std::vector<unsigned char> &data, const RunSetup &s)
{
    char t[200];
    snprintf(t, sizeof t, "%s, %zu bytes, encoding %u, CCSID %u, flags %X, options %X, end level %u, width %u, "
             "answers %u/%u/%u", structName, data.size(), s.encoding, s.ccsid, s.flags, s.options, s.endLevel,
             s.width, s.countOnlyAt, s.buildAt, s.stopAt);
    return t;
}

/* The benchmark's record: id, name, amount, quantity. */
std::vector<unsigned char> BenchRecords(uint32_t count, bool reversed)
{
    Bytes b(reversed);
    for (uint32_t id = 0; id < count; id++) {
        b.I32(id * 1000003).Chars("WIDGET.NAME ", 12);
        b.b.insert(b.b.end(), { 0x00, 0x12, 0x34, (unsigned char)(id & 1 ? 0x5D : 0x5C) });
        uint16_t qty = (uint16_t)(id * 7 - 50);
        if (reversed) b.b.insert(b.b.end(), { (unsigned char)qty, (unsigned char)(qty >> 8) });
        else b.b.insert(b.b.end(), { (unsigned char)(qty >> 8), (unsigned char)qty });
    }
    return b.b;
}

const char *benchFormats =
    "struct Rec ; A record\n{\n int id;\n char name[12];\n packed (5.2) amount;\n short qty;\n}\n"
    "struct All ; Records\n{\n struct Rec recs[*];\n}\n";

/* Every field kind a plan takes, with detail levels, conditional values,
 * summary marks, an enumeration and a date mask on decimals. */
const char *kindFormats[] = {
    "enum Amounts {", " 12.5, HALF ; Twelve and a half", "}",
    "struct Kinds ; Every kind", "{",
    " short first : high;", " int i;", " short s;", " ushort us;", " uint u;", " int64 i64;", " uint64 u64;", " int8 i8;",
    " uint8 u8;", " inth ih;", " shorth sh;", " ushorth ush;", " uinth uh;", " int64h i64h;",
    " uint64h u64h;", " int8h i8h;", " uint8h u8h;", " flags fl;", " flags8 f8;", " flags16 f16;",
    " char c[7];", " charbp cb[5];", " hex h[3];", " hex long[40];", " packed (5.2) p;",
    " upacked up;", " opunch (3.1, signleft) o;", " digits (2.1, plus) d;", " packed (3.1) amount (Amounts);",
    " packed (8, ?YYYYMMDD) day;", " packed (4.1, lead) pp;", " packed (1) tiny;",
    " packed (1.28) many;", " packed (20.12) big;", " float f32;", " double (3) f64;", " int version = 2;",
    " int qty : summary;", " short low : low;", " short medium : medium;", " short high : high;",
    " char tail[2];", " short last : high;", "}",
    "struct AllKinds ; All of them", "{", " struct Kinds k[*];", "}",
    "struct Five ; Five of them", "{", " struct Kinds k[3];", "}",
    "struct Counted ; Counted", "{", " int n;", " struct Kinds k[n];", "}",
    "struct Limited ; Limited by its length", "{", " int len : struclen;", " struct Kinds k[*];", "}",
    "struct Inner ; Inner", "{", " short a;", " char b[3];", "}",
    "struct Holder ; Holds an array", "{", " int tag;", " struct Inner in[4];", "}",
    "struct Nest ; Arrays in arrays", "{", " struct Holder h[*];", "}"};

uint32_t KindsSize() { return UFFindStruct(UFCurrent(), "Kinds")->def.size; }

std::vector<unsigned char> RandomBytes(std::mt19937 &rng, size_t n)
{
    std::vector<unsigned char> b(n);
    for (auto &c : b)
        c = (unsigned char)rng();
    return b;
}

/* Bytes that are mostly valid for Kinds: packed and zoned digits, text
 * with a line end now and then, a date. */
std::vector<unsigned char> KindsRecords(std::mt19937 &rng, uint32_t count, uint32_t size)
{
    std::vector<unsigned char> b;
    for (uint32_t r = 0; r < count; r++) {
        std::vector<unsigned char> rec = RandomBytes(rng, size);
        /* the fields' offsets, as the kinds above lay them out */
        const uint32_t c = 2 + 4 + 2 + 2 + 4 + 8 + 8 + 1 + 1 + 4 + 2 + 2 + 4 + 8 + 8 + 1 + 1 + 4 + 1 + 2;
        const char *texts[] = { "ABC\r\nDE", "WIDGET ", "a\0bc   ", "       " };
        memcpy(&rec[c], texts[rng() % 4], 7);
        memcpy(&rec[c + 7], "XY\0\0\0", 5);
        const uint32_t p = c + 7 + 5 + 3 + 40;
        const unsigned char packed[] = { 0x00, 0x12, 0x34, 0x5C, 0x00, 0x00, 0x12, 0x3F, '1', '2', 'J', '1', '2', '+',
                                         0x12, 0x5C, 0x02, 0x02, 0x40, 0x22, 0x9C };
        if (rng() % 4)
            memcpy(&rec[p], packed, sizeof packed);
        /* the packed fields after the date: digits, now and then a sign
           nibble amid them */
        for (uint32_t i = p + sizeof packed + 3; i < p + sizeof packed + 3 + 36; i++) {
            unsigned hi = rng() % 3 ? rng() % 10 : 0, lo = rng() % 5 ? rng() % 10 : "BCDF"[rng() % 4] - 'A' + 10;
            rec[i] = (unsigned char)(hi << 4 | lo);
        }
        b.insert(b.end(), rec.begin(), rec.end());
    }
    return b;
}

/* The line record states the comparisons go through. */
std::vector<RunSetup> RunSetups()
{
    std::vector<RunSetup> all;
    for (uint32_t detail : { 1u, 2u, 3u, 4u })
        for (uint32_t variant = 0; variant < 6; variant++) {
            RunSetup s;
            s.flags = detail;
            switch (variant) {
            case 1: s.flags |= LR_OFFSET_PREFIX; s.endLevel = 3; break;
            case 2: s.flags |= LR_OFFSET_PREFIX; s.options = LO_HEX_OFFSETS | LO_EMPTY_LINE; s.width = 24; break;
            case 3: s.options = LO_PLAIN; s.endLevel = 4; break;
            case 4: s.flags |= LR_NO_TEXT; s.endLevel = 1; break;
            case 5: s.flags |= LR_HEX_CHARLINE; s.options = LO_EBCDIC_TO_ASCII | LO_CONV_NOTE; s.width = 300; break;
            }
            all.push_back(s);
        }
    return all;
}

/* A short in the reversed byte order. */
Bytes &I16(Bytes &b, int v)
{
    b.b.insert(b.b.end(), { (unsigned char)v, (unsigned char)(v >> 8) });
    return b;
}

class RecordPlans : public UserFormats {};

}

TEST_F(RecordPlans, BenchmarkRecordsInEveryLineRecordState)
{
    ASSERT_EQ(Load(benchFormats), 1) << errors.Last();
    FmtStructDef *def = &Struct("All")->def;
    for (bool reversed : { true, false })
        for (uint32_t count : { 4u, 5u, 17u })
            for (const RunSetup &base : RunSetups()) {
                RunSetup s = base;
                s.encoding = reversed ? 546 : 273;
                std::vector<unsigned char> data = BenchRecords(count, reversed);
                data.push_back(0x41);                   /* a record cut short */
                uint64_t planned = Same(def, data, s, Named("All", data, s));
                EXPECT_EQ(planned, count) << Named("All", data, s);
            }
}

TEST_F(RecordPlans, EveryFieldKindInByteOrdersAndCodePages)
{
    std::string text;
    for (const char *l : kindFormats)
        text += std::string(l) + "\n";
    ASSERT_EQ(Load(text), 1) << errors.Last();
    std::mt19937 rng(4711);
    /* a packed field that shows its plus sign, as built-in layouts may have */
    for (FmtStructRow *row = Struct("Kinds")->def.rows; row->field; row++)
        if (!strcmp(row->field->name, "pp"))
            row->field->flags |= FF_SHOW_PLUS;
    FmtStructDef *def = &Struct("AllKinds")->def;
    uint32_t size = KindsSize();
    const struct { uint32_t encoding, ccsid; } pages[] = { { 546, 850 }, { 273, 500 }, { 546, 1208 },
                                                           { 273, 37 }, { 546, 819 }, { 1, 1140 },
                                                           { 0x311, 500 } };   /* S/390 floats */
    for (auto &page : pages)
        for (const RunSetup &base : RunSetups()) {
            RunSetup s = base;
            s.encoding = page.encoding;
            s.ccsid = page.ccsid;
            std::vector<unsigned char> data = KindsRecords(rng, 4, size);
            data.insert(data.end(), { 1, 2, 3 });
            EXPECT_EQ(Same(def, data, s, Named("AllKinds", data, s)), 4u) << Named("AllKinds", data, s);
        }
}

/* Records cut anywhere, counts larger than the data, a structure length
 * that ends the array early, arrays inside the records of an array, and
 * the sink stopping, counting only and building text again at each line. */
TEST_F(RecordPlans, CutRecordsCountsLengthsAndSinkAnswers)
{
    std::string text;
    for (const char *l : kindFormats)
        text += std::string(l) + "\n";
    ASSERT_EQ(Load(text), 1) << errors.Last();
    std::mt19937 rng(99);
    uint32_t size = KindsSize();
    std::vector<unsigned char> five = KindsRecords(rng, 5, size);
    five.resize(five.size() + size / 2, 0x40);
    RunSetup s;
    s.endLevel = 3;
    s.flags = 3 | LR_OFFSET_PREFIX;
    for (size_t n = 0; n <= five.size(); n++) {
        std::vector<unsigned char> prefix(five.begin(), five.begin() + (long)n);
        Same(&Struct("AllKinds")->def, prefix, s, Named("AllKinds", prefix, s));
        Same(&Struct("Five")->def, prefix, s, Named("Five", prefix, s));
    }
    for (int32_t count : { 0, 1, 3, 4, 5, 6, -1, 1000000 }) {
        Bytes b(true);
        b.I32(count);
        std::vector<unsigned char> data = b.b;
        data.insert(data.end(), five.begin(), five.end());
        Same(&Struct("Counted")->def, data, s, Named("Counted", data, s));
    }
    for (uint32_t len : { 0u, 4u, 4u + size, 4u + 4 * size - 1, 4u + 4 * size, 100000u }) {
        Bytes b(true);
        b.I32(len);
        std::vector<unsigned char> data = b.b;
        data.insert(data.end(), five.begin(), five.end());
        Same(&Struct("Limited")->def, data, s, Named("Limited", data, s));
    }
    std::vector<unsigned char> nest = RandomBytes(rng, 4 * 24 + 5);
    EXPECT_GT(Same(&Struct("Nest")->def, nest, s, Named("Nest", nest, s)), 0u);
    std::vector<unsigned char> data = KindsRecords(rng, 4, size);
    Outcome whole = FormatOnce(&Struct("AllKinds")->def, data, s);
    for (uint32_t k = 1; k <= whole.calls.size() + 1; k++) {
        RunSetup a = s;
        a.stopAt = k;
        Same(&Struct("AllKinds")->def, data, a, Named("AllKinds", data, a));
        a.stopAt = 0;
        a.countOnlyAt = k;
        a.buildAt = k + 3;
        Same(&Struct("AllKinds")->def, data, a, Named("AllKinds", data, a));
    }
}

TEST_F(RecordPlans, RandomBodies)
{
    std::string text;
    for (const char *l : kindFormats)
        text += std::string(l) + "\n";
    text += benchFormats;
    ASSERT_EQ(Load(text), 1) << errors.Last();
    std::mt19937 rng(20261208);
    const char *names[] = { "AllKinds", "Five", "Counted", "Limited", "Nest", "All" };
    std::vector<RunSetup> setups = RunSetups();
    for (int i = 0; i < 400; i++) {
        const char *name = names[rng() % 6];
        RunSetup s = setups[rng() % setups.size()];
        s.encoding = rng() % 2 ? 546 : 273;
        s.ccsid = rng() % 2 ? 850 : 500;
        if (rng() % 4 == 0)
            s.countOnlyAt = 1 + rng() % 40, s.buildAt = s.countOnlyAt + rng() % 10;
        std::vector<unsigned char> data = RandomBytes(rng, rng() % 700);
        Same(&Struct(name)->def, data, s, Named(name, data, s));
    }
    /* every prefix of a short body */
    std::vector<unsigned char> body = RandomBytes(rng, 22 * 5 + 9);
    for (size_t n = 0; n <= body.size(); n++) {
        std::vector<unsigned char> prefix(body.begin(), body.begin() + (long)n);
        Same(&Struct("All")->def, prefix, RunSetup(), Named("All", prefix, RunSetup()));
    }
}

/* Structures whose fields look a value up, capture it, take a length from
 * the data, align, nest or repeat: the walk formats them, as before. */
TEST_F(RecordPlans, StructuresThePlansLeaveToTheWalk)
{
    ASSERT_EQ(Load(Lines({
        "enum_int Colour {", " 1, RED", " 2, BLUE", "}",
        "enum Kind {", " AB, KIND_AB", "}",
        "struct Named", "{", " int colour (Colour);", " short s;", "}",
        "struct Limval", "{", " int ccsid : limval;", "}",
        "struct Coded", "{", " char tag[2] (Kind);", " short s;", "}",
        "struct Dated", "{", " char (YYYYMMDD) day[8];", "}",
        "struct Aligned", "{", " short s;", " align4 ;", "}",
        "struct Nested", "{", " struct Named n;", "}",
        "struct Repeated", "{", " short s[2];", "}",
        "struct Plain", "{", " int colour;", " short s;", "}",
        "struct Control ; Planned", "{", " struct Plain p[4];", "}",
        "struct Sized", "{", " int len;", " char text[len];", "}",
        "struct Padded", "{", " short s : pad4;", " int i;", "}",
        "struct Enc", "{", " int e : enc;", " int c : ccsid;", "}",
        "struct Described", "{", " desc ; Said first", " int i;", "}",
        "struct Times", "{", " time32 (UTC) t;", "}",
        "struct Flagged", "{", " flags bits (Colour);", "}",
        "struct Arrays ; The arrays", "{",
        " struct Named a[4];", " struct Limval b[4];", " struct Coded c[4];", " struct Dated d[4];",
        " struct Aligned e[4];", " struct Nested f[4];", " struct Repeated g[4];", " struct Sized h[4];",
        " struct Padded i[4];", " struct Enc j[4];", " struct Described k[4];", " struct Times l[4];",
        " struct Flagged m[4];", "}"})), 1) << errors.Last();
    std::mt19937 rng(7);
    for (const RunSetup &s : RunSetups()) {
        Bytes b(true);
        for (int i = 0; i < 4; i++) I16(b.I32(1 + i), 5);                     /* a */
        for (int i = 0; i < 4; i++) b.I32(850);                             /* b */
        for (int i = 0; i < 4; i++) I16(b.Chars("AB", 2), 6);                /* c */
        for (int i = 0; i < 4; i++) b.Chars("20240229", 8);                 /* d */
        for (int i = 0; i < 4; i++) I16(b, 7).Fill(0, 2);                    /* e */
        for (int i = 0; i < 4; i++) I16(b.I32(2), 8);                        /* f */
        for (int i = 0; i < 4; i++) I16(I16(b, 9), 10);                       /* g */
        for (int i = 0; i < 4; i++) b.I32(2).Chars("hi", 2);                /* h */
        for (int i = 0; i < 4; i++) I16(b, 11).Fill(0, 2).I32(12);           /* i */
        for (int i = 0; i < 4; i++) b.I32(546).I32(850);                    /* j */
        for (int i = 0; i < 4; i++) b.I32(13);                              /* k */
        for (int i = 0; i < 4; i++) b.I32(86400);                           /* l */
        for (int i = 0; i < 4; i++) b.I32(3);                               /* m */
        EXPECT_EQ(Same(&Struct("Arrays")->def, b.b, s, Named("Arrays", b.b, s)), 0u) << Named("Arrays", b.b, s);
        /* the same records without the value names: planned */
        Bytes c(true);
        for (int i = 0; i < 4; i++) I16(c.I32(1 + i), 5);
        EXPECT_EQ(Same(&Struct("Control")->def, c.b, s, Named("Control", c.b, s)), 4u);
        std::vector<unsigned char> noise = RandomBytes(rng, 200 + rng() % 120);
        EXPECT_EQ(Same(&Struct("Arrays")->def, noise, s, Named("Arrays", noise, s)), 0u);
    }
}
