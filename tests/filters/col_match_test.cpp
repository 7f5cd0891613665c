/* Column filters without a window: the row test for every field type
 * (inverse with missing values, counted values, Contains and Matches with
 * and without case, integer lists, flag sets, date-time bounds with
 * carried hundredths, "For" alone, an invalid date) on rows the list
 * fill lays out; the distinct values counted (most recent first, at most
 * 200, sorted); the counts of the pop-up's value controls; and the time
 * range's spinners and derivations. */
#include "flttest.h"
#include "fltint.h"

#include <functional>

using namespace flttest;
using dlgtest::Reply;

namespace {

const PCFValueDef Colours[] = { { 0, 0, 0, 1, "Red", "RED" },   { 0, 0, 0, 2, "Green", "GREEN" },
                                { 0, 0, 0, 3, "Blue", "BLUE" }, { 0, 0, 0, 0, nullptr, nullptr } };
const PCFValueDef Flags[] = { { 0, 0, 0, 1, "One", "ONE" }, { 0, 0, 0, 2, "Two", "TWO" },
                              { 0, 0, 0, 4, "Four", "FOUR" }, { 0, 0, 0, 0, nullptr, nullptr } };

PCFFieldDef Col(const char *title, uint32_t id, int16_t type, const PCFValueDef *values = nullptr, int32_t max = 48)
{
    PCFFieldDef f = {};
    f.title = f.shortTitle = f.name = title;
    f.attrId = id;
    f.type = type;
    f.maximum = max;
    f.values = values;
    return f;
}

/* Columns of every filterable type (ids that the list fill knows how to
 * place). */
PCFFieldDef Int1 = Col("Int", 15, 1), Enum2 = Col("Enum", 20, 2, Colours), Enum3 = Col("EnumNum", 30, 3, Colours),
            Str4 = Col("Str", 2016, 4), Name5 = Col("Name", 2015, 5), Hex8 = Col("Hex", 10040, 8),
            Text9 = Col("Text", 2030, 9), Num15 = Col("Num", 16, 15), List19 = Col("List", 41, 19, Colours),
            Flag24 = Col("Flags", 10032, 24, Flags), Str25 = Col("Str25", 2092, 25),
            When36 = Col("Put Date Time", 10230, 36);

PCFLISTENTRY Columns[] = { { &Int1, 3 },  { &Enum2, 3 },  { &Enum3, 3 },  { &Str4, 3 },   { &Name5, 3 },
                           { &Hex8, 3 },  { &Text9, 3 },  { &Num15, 3 },  { &List19, 3 }, { &Flag24, 3 },
                           { &Str25, 3 }, { &When36, 3 }, { nullptr, 0 } };

struct Rowv {
    bool all;                     /* false: only the string columns */
    int32_t i, e;
    std::vector<int32_t> list;
    int32_t flags;
    const char *s;
    const char *date, *time;
};

const Rowv Rows[] = {
    { true, 5, 1, { 1 }, 1, "Alpha", "20261206", "14050900" },
    { true, 50, 2, { 2, 3 }, 2, "alphabet", "20261206", "14051050" },
    { true, 500, 3, { 3 }, 6, "beta", "20261207", "00000000" },
    { false, 0, 0, {}, 0, "", nullptr, nullptr },
};

struct ColumnFilters : ::testing::Test {
    Recorder rec;
    ListDialog *q = nullptr;
    void SetUp() override
    {
        rec.Install();
        FixedZone(0);
        q = new ListDialog(&PCFQueueListDef);
        q->d()->first.columns = Columns;
        Reply r(MQCMD_INQUIRE_Q);
        for (size_t k = 0; k < 4; k++) {
            const Rowv &w = Rows[k];
            if (k)
                r.Separator();
            r.Str(2016, w.s).Str(2015, w.s).Bytes(10040, w.s).Str(2030, w.s).Str(2092, w.s);
            if (!w.all)
                continue;
            r.Int(15, w.i).Int(20, w.e).Int(30, w.e * 100).Int(16, w.i).Ints(41, w.list).Int(10032, w.flags);
            r.Str(10027, w.date).Str(10028, w.time);
        }
        q->Fill(r);
    }
    void TearDown() override
    {
        q->d()->first.columns = nullptr;
        delete q;
        CSSetTimeZoneProc(nullptr);
        rec.Uninstall();
    }
    COLFILTER *Filter(PCFFieldDef *f)
    {
        COLFILTER *cf = ColFilterFind(q->d(), f, 1);
        cf->enabled = 1;
        return cf;
    }
    std::vector<int> Passing()
    {
        std::vector<int> v;
        int i = 0;
        for (PCFROW *r : q->Rows()) {
            if (ColFilterMatch(q->d(), r))
                v.push_back(i);
            i++;
        }
        return v;
    }
    void Reset() { ColFilterFreeAll(q->d()); }
};

std::vector<int> V(std::initializer_list<int> l) { return l; }

TEST_F(ColumnFilters, RowsPassEveryEnabledFilterByFieldType)
{
    ASSERT_EQ(q->Rows().size(), 4u);
    EXPECT_EQ(Passing(), V({ 0, 1, 2, 3 }));
    struct Case {
        const char *what;
        PCFFieldDef *column;
        std::function<void(COLFILTER *)> set;
        std::vector<int> pass;
    } cases[] = {
        { "range", &Int1, [](COLFILTER *f) { f->bounds = CFB_MIN | CFB_MAX; f->minimum = 10; f->maximum = 500; }, V({ 1, 2 }) },
        { "minimum only", &Num15, [](COLFILTER *f) { f->bounds = CFB_MIN; f->minimum = 50; }, V({ 1, 2 }) },
        { "no bound", &Int1, [](COLFILTER *) {}, V({ 0, 1, 2 }) },
        { "inverse: missing values pass", &Int1,
          [](COLFILTER *f) { f->bounds = CFB_MAX; f->maximum = 5; f->inverse = 1; }, V({ 1, 2, 3 }) },
        { "inverse alone", &Int1, [](COLFILTER *f) { f->inverse = 1; }, V({ 3 }) },
        { "disabled", &Int1, [](COLFILTER *f) { f->enabled = 0; f->bounds = CFB_MIN; f->minimum = 9999; }, V({ 0, 1, 2, 3 }) },
        { "enumeration", &Enum2, [](COLFILTER *f) { const PCFValueDef *r[] = { &Colours[0], &Colours[2] }; ColFilterSetSelected(f, r, 2); }, V({ 0, 2 }) },
        { "a new enumeration filter passes its values", &Enum2, [](COLFILTER *) {}, V({ 0, 1, 2 }) },
        { "number or value", &Enum3, [](COLFILTER *f) { ColFilterSetSelected(f, nullptr, 0); f->bounds = CFB_MIN; f->minimum = 200; }, V({ 1, 2 }) },
        { "value without range", &Enum3, [](COLFILTER *f) { ColFilterSetSelected(f, nullptr, 0); }, V({}) },
        { "contains, no case", &Str4, [](COLFILTER *f) { ColFilterSetText(f, "ALPHA", -1); }, V({ 0, 1 }) },
        { "contains, case", &Str4, [](COLFILTER *f) { ColFilterSetText(f, "alpha", -1); f->matchCase = 1; }, V({ 1 }) },
        { "matches, no case", &Name5, [](COLFILTER *f) { ColFilterSetText(f, "a*a", -1); f->contains = 0; }, V({ 0 }) },
        { "matches, case", &Name5, [](COLFILTER *f) { ColFilterSetText(f, "a?pha*", -1); f->contains = 0; f->matchCase = 1; }, V({ 1 }) },
        { "empty text: empty values", &Str25, [](COLFILTER *) {}, V({ 3 }) },
        { "hexadecimal", &Hex8, [](COLFILTER *f) { ColFilterSetText(f, "616C", -1); }, V({ 1 }) },
        { "text bytes", &Text9, [](COLFILTER *f) { ColFilterSetText(f, "*ta", -1); f->contains = 0; }, V({ 2 }) },
        { "integer list", &List19, [](COLFILTER *f) { const PCFValueDef *r[] = { &Colours[2] }; ColFilterSetSelected(f, r, 1); }, V({ 1, 2 }) },
        { "flag set", &Flag24, [](COLFILTER *f) { const PCFValueDef *r[] = { &Flags[2] }; ColFilterSetSelected(f, r, 1); }, V({ 2 }) },
        { "flag set, two flags", &Flag24, [](COLFILTER *f) { const PCFValueDef *r[] = { &Flags[0], &Flags[2] }; ColFilterSetSelected(f, r, 2); }, V({ 0, 2 }) },
    };
    for (const Case &c : cases) {
        Reset();
        c.set(Filter(c.column));
        EXPECT_EQ(Passing(), c.pass) << c.what;
    }
    /* two filters: a row passes both */
    Reset();
    COLFILTER *i = Filter(&Int1);
    i->bounds = CFB_MIN;
    i->minimum = 10;
    ColFilterSetText(Filter(&Str4), "beta", -1);
    EXPECT_EQ(Passing(), V({ 2 }));
    /* all switched off */
    EXPECT_EQ(ColFilterDisableAll(q->d()), 1);
    EXPECT_EQ(Passing(), V({ 0, 1, 2, 3 }));
    EXPECT_EQ(ColFilterDisableAll(q->d()), 0);
}

TEST_F(ColumnFilters, DateTimeBounds)
{
    int64_t t0, t1;
    ASSERT_TRUE(ColFilterLocalTime(2026, 12, 6, 14, 5, 10, &t0));
    ASSERT_TRUE(ColFilterLocalTime(2026, 12, 7, 0, 0, 0, &t1));
    struct Case {
        const char *what;
        std::function<void(COLFILTER *)> set;
        std::vector<int> pass;
    } cases[] = {
        { "no bound", [](COLFILTER *) {}, V({ 0, 1, 2 }) },
        { "no bound, inverse", [](COLFILTER *f) { f->inverse = 1; }, V({ 3 }) },
        { "For alone", [](COLFILTER *f) { f->bounds = CFB_FOR; f->length = { 1, 0 }; }, V({ 0, 1, 2 }) },
        { "For alone, inverse", [](COLFILTER *f) { f->bounds = CFB_FOR; f->inverse = 1; }, V({ 0, 1, 2, 3 }) },
        { "from, seconds", [&](COLFILTER *f) { f->bounds = CFB_FROM; f->from = { t0, 0 }; }, V({ 1, 2 }) },
        { "from, hundredths", [&](COLFILTER *f) { f->bounds = CFB_FROM; f->from = { t0, 51 }; }, V({ 2 }) },
        { "until", [&](COLFILTER *f) { f->bounds = CFB_UNTIL; f->until = { t0, 50 }; }, V({ 0, 1 }) },
        { "until, hundredths", [&](COLFILTER *f) { f->bounds = CFB_UNTIL; f->until = { t0, 49 }; }, V({ 0 }) },
        { "from and until", [&](COLFILTER *f) { f->bounds = CFB_FROM | CFB_UNTIL; f->from = { t0, 0 }; f->until = { t1 - 1, 0 }; }, V({ 1 }) },
        { "invalid from fails every row", [&](COLFILTER *f) { f->bounds = CFB_FROM | CFB_FROM_BAD; f->inverse = 1; }, V({ 3 }) },
        { "invalid until", [&](COLFILTER *f) { f->bounds = CFB_UNTIL | CFB_UNTIL_BAD; f->until = { t1, 0 }; }, V({}) },
    };
    for (const Case &c : cases) {
        Reset();
        COLFILTER *f = Filter(&When36);
        EXPECT_EQ(f->hundredths, 1u);
        c.set(f);
        EXPECT_EQ(Passing(), c.pass) << c.what;
    }
    /* a new filter's times are local ones only while the preference says */
    int local = FltPrefs.localTimeDefault;
    for (int on : { 1, 0 }) {
        Reset();
        FltPrefs.localTimeDefault = on;
        EXPECT_EQ(Filter(&When36)->localTime, (uint32_t)on);
    }
    FltPrefs.localTimeDefault = local;
}

TEST_F(ColumnFilters, AnUntilOfNowFollowsTheClockAtEachFill)
{
    int64_t ticked, later;
    ASSERT_TRUE(ColFilterLocalTime(2026, 12, 6, 14, 5, 10, &ticked));
    ASSERT_TRUE(ColFilterLocalTime(2026, 12, 7, 0, 30, 0, &later));
    CSSetCurrentTime(ticked);
    COLFILTER *f = Filter(&When36);
    /* Until switched on with "now", and an hour's For before it */
    ColFilterSpinner(f, CFC_UNTIL, 1);
    ColFilterUntilNow(f, 1, CSGetCurrentTime());
    ColFilterSpinner(f, CFC_FOR, 1);
    f->length = { 3600, 0 };
    EXPECT_EQ(ColFilterDerive(f), CFC_FROM);
    EXPECT_EQ(Passing(), V({ 0 }));
    /* the next fill, half an hour past midnight: the last hour's rows */
    CSSetCurrentTime(later);
    ColFilterResetCounts(q->d());
    EXPECT_EQ(f->until.seconds, later);
    EXPECT_EQ(f->from.seconds, later - 3600);
    EXPECT_EQ(Passing(), V({ 2 }));
    /* without "now" Until stays where it was */
    ColFilterUntilNow(f, 0, 0);
    CSSetCurrentTime(later + 86400);
    ColFilterResetCounts(q->d());
    EXPECT_EQ(f->until.seconds, later);
    EXPECT_EQ(Passing(), V({ 2 }));
    CSSetCurrentTime(0);
}

TEST_F(ColumnFilters, CountedValues)
{
    COLFILTER *f = Filter(&Int1);
    EXPECT_EQ(ColFilterCount(q->d(), f, &Int1, 0), 3);
    ASSERT_NE(f->values, nullptr);
    EXPECT_EQ(f->values->anyValue, 1u);
    EXPECT_EQ(f->values->entries[0].value, 5);
    EXPECT_EQ(f->values->entries[2].value, 500);
    EXPECT_EQ(Passing(), V({ 0, 1, 2 }));
    /* values chosen: only those pass */
    f->values->anyValue = 0;
    f->values->entries[1].selected = 1;
    EXPECT_EQ(Passing(), V({ 1 }));
    /* a range first, then the values */
    f->bounds = CFB_MIN;
    f->minimum = 100;
    EXPECT_EQ(Passing(), V({}));
    /* counting again keeps the choices; values no row holds go when asked */
    q->Fill(Reply(MQCMD_INQUIRE_Q).Int(15, 50).Separator().Int(15, 7).Separator().Int(15, 50));
    EXPECT_EQ(ColFilterCount(q->d(), f, &Int1, 0), 4);
    EXPECT_EQ(f->values->entries[2].value, 50);
    EXPECT_EQ(f->values->entries[2].count, 2u);
    EXPECT_EQ(f->values->entries[2].selected, 1u);
    EXPECT_EQ(ColFilterCount(q->d(), f, &Int1, 1), 2);
    EXPECT_EQ(f->values->entries[0].value, 7);
    /* at most 200 distinct values, the first ones met */
    Reply big(MQCMD_INQUIRE_Q);
    for (int i = 0; i < 250; i++) {
        if (i)
            big.Separator();
        big.Int(15, 1000 - i);
    }
    q->Fill(big);
    Reset();
    f = Filter(&Int1);
    EXPECT_EQ(ColFilterCount(q->d(), f, &Int1, 1), 200);
    EXPECT_EQ(f->values->entries[0].value, 801);
    EXPECT_EQ(f->values->entries[199].value, 1000);
    for (int i = 1; i < 200; i++)
        EXPECT_LT(f->values->entries[i - 1].value, f->values->entries[i].value);
    /* the most recent value is searched first */
    q->Fill(Reply(MQCMD_INQUIRE_Q).Int(15, 1).Separator().Int(15, 2).Separator().Int(15, 2));
    Reset();
    f = Filter(&Int1);
    ColFilterCount(q->d(), f, &Int1, 0);
    EXPECT_EQ(f->values->entries[1].count, 2u);
    /* columns not counted */
    PCFFieldDef depth = Col("Depth", 3, 1), pos = Col("Pos", 10033, 1), some = Col("Some", 10100, 1);
    EXPECT_FALSE(ColFilterCountable(&depth));
    EXPECT_FALSE(ColFilterCountable(&pos));
    EXPECT_FALSE(ColFilterCountable(&some));
    EXPECT_TRUE(ColFilterCountable(&Int1));
}

TEST_F(ColumnFilters, ThePopupsValueCountsDuringAFill)
{
    COLFSTATE *st = ColFilterState(q->d(), 1);
    ASSERT_NE(ColFilterFind(q->d(), &Flag24, 1), nullptr);
    COLFCTL controls[5] = {};
    for (int i = 0; i < 3; i++) {
        controls[i].layoutRow = &controls[i];
        controls[i].valueRow = &Flags[i];
    }
    st->controls = controls;
    st->open = &Flag24;
    ColFilterResetCounts(q->d());
    PCFLISTPARTS parts;
    PCFListAreaPointers(q->Area(), &parts);
    for (PCFROW *r : q->Rows())
        ColFilterCountValue(q->d(), q->Area(), parts.columns, r);
    EXPECT_EQ(controls[0].count, 1u);
    EXPECT_EQ(controls[1].count, 2u);
    EXPECT_EQ(controls[2].count, 1u);
    st->open = &List19;
    for (int i = 0; i < 3; i++)
        controls[i].valueRow = &Colours[i];
    ColFilterResetCounts(q->d());
    for (PCFROW *r : q->Rows())
        ColFilterCountValue(q->d(), q->Area(), parts.columns, r);
    EXPECT_EQ(controls[0].count, 1u);
    EXPECT_EQ(controls[2].count, 2u);
    st->controls = nullptr;
}

TEST_F(ColumnFilters, TheTimeRange)
{
    EXPECT_TRUE(ColFilterDateValid(2024, 2, 29));
    EXPECT_FALSE(ColFilterDateValid(2023, 2, 29));
    EXPECT_FALSE(ColFilterDateValid(1900, 2, 29));
    EXPECT_TRUE(ColFilterDateValid(2000, 2, 29));
    EXPECT_FALSE(ColFilterDateValid(2026, 4, 31));
    EXPECT_FALSE(ColFilterDateValid(2026, 13, 1));
    int64_t t;
    EXPECT_FALSE(ColFilterLocalTime(2026, 2, 30, 0, 0, 0, &t));
    EXPECT_EQ(ColFilterDuration(1, 2, 3, 4), 93784);
    COLFILTER *f = Filter(&When36);
    /* From and For give Until, hundredths carried */
    EXPECT_EQ(ColFilterSpinner(f, CFC_FROM, 1), 0);
    EXPECT_EQ(ColFilterSpinner(f, CFC_FOR, 1), 0);
    f->from = { 1000, 95 };
    f->length = { 60, 10 };
    EXPECT_EQ(ColFilterDerive(f), CFC_UNTIL);
    EXPECT_EQ(f->until.seconds, 1061);
    EXPECT_EQ(f->until.hundredths, 5);
    /* a third spinner switches off the one edited longer ago */
    EXPECT_EQ(ColFilterSpinner(f, CFC_UNTIL, 1), CFC_FROM);
    EXPECT_EQ(f->bounds & (CFB_FROM | CFB_UNTIL | CFB_FOR), (uint32_t)(CFB_UNTIL | CFB_FOR));
    EXPECT_EQ(ColFilterDerive(f), CFC_FROM);
    EXPECT_EQ(f->from.seconds, 1000);
    EXPECT_EQ(f->from.hundredths, 95);
    EXPECT_EQ(ColFilterSpinner(f, CFC_FROM, 2), CFC_FOR);
    f->until = { 2000, 0 };
    f->from = { 1500, 50 };
    EXPECT_EQ(ColFilterDerive(f), CFC_FOR);
    EXPECT_EQ(f->length.seconds, 499);
    EXPECT_EQ(f->length.hundredths, 50);
    /* an invalid bound derives nothing */
    f->bounds |= CFB_FROM_BAD;
    EXPECT_EQ(ColFilterDerive(f), 0);
    /* switching Until off drops "now" */
    f->bounds |= CFB_NOW;
    ColFilterSpinner(f, CFC_UNTIL, 0);
    EXPECT_EQ(f->bounds & (CFB_UNTIL | CFB_NOW), 0u);
}

TEST_F(ColumnFilters, RecordsAndFiltering)
{
    EXPECT_TRUE(ColFilterable(&Int1));
    EXPECT_TRUE(ColFilterable(&When36));
    PCFFieldDef list22 = Col("L", 1, 22), real18 = Col("R", 1, 18), pair32 = Col("P", 1, 32);
    EXPECT_FALSE(ColFilterable(&list22));
    EXPECT_FALSE(ColFilterable(&real18));
    EXPECT_FALSE(ColFilterable(&pair32));
    /* a new enumerated filter starts with every value selected, not enabled */
    COLFILTER *f = ColFilterFind(q->d(), &Enum2, 1);
    EXPECT_EQ(f->enabled, 0u);
    EXPECT_EQ(f->selectedCount, 3);
    EXPECT_EQ(f->contains, 1u);
    EXPECT_STREQ(f->text, "");
    EXPECT_EQ(ColFilterFind(q->d(), &Enum2, 0), f);
    EXPECT_EQ(ColFilterFind(q->d(), &Enum3, 0), nullptr);
    /* without storage the column stays unfiltered */
    CSMemFailTag("COLFILTER", 1);
    EXPECT_EQ(ColFilterFind(q->d(), &Str4, 1), nullptr);
    CSMemFailTag("COLFILTER", 0);
    EXPECT_EQ(Passing(), V({ 0, 1, 2, 3 }));
    /* deferred edits are due more than a second after the edit */
    COLFSTATE *st = ColFilterState(q->d(), 0);
    st->editTime = 100;
    q->d()->displayFlags |= DD_COLF_PENDING;
    EXPECT_FALSE(ColFilterDue(q->d(), 101));
    EXPECT_TRUE(ColFilterDue(q->d(), 102));
    q->d()->displayFlags = 0;
    EXPECT_FALSE(ColFilterDue(q->d(), 200));
    int64_t before = Blocks();
    ColFilterFreeAll(q->d());
    EXPECT_LT(Blocks(), before);
    EXPECT_EQ(q->d()->columnFilters, nullptr);
}

}  // namespace

/* The Message List's flag-set columns as shipped: their "None" (0)
 * passes and counts the messages without flags, beside the flags. */
extern const PCFFieldDef FD_MYPCFA_POSITION, FD_MYPCFA_MSGFLAGS;

namespace {

TEST(ColumnFiltersOfMessages, NoneOfAFlagSetStandsForAMessageWithoutFlags)
{
    Recorder rec;
    rec.Install();
    {
        ListDialog m(&PCFMessageListDef);
        /* Message Flags added to the list's columns, as Change List
           Contents adds it */
        PCFLISTENTRY columns[] = { { &FD_MYPCFA_POSITION, 3 }, { &FD_MYPCFA_MSGFLAGS, 3 }, { nullptr, 0 } };
        m.d()->first.columns = columns;
        Reply r(10001);
        const int32_t flags[] = { 0, 8, 24, 0 };
        for (int i = 0; i < 4; i++) {
            if (i)
                r.Separator();
            r.Int(10033, i + 1).Int(10032, flags[i]);
        }
        m.Fill(r);
        ASSERT_EQ(m.Rows().size(), 4u);
        const PCFFieldDef *column = &FD_MYPCFA_MSGFLAGS;
        const PCFValueDef *none = &column->values[0], *inGroup = &column->values[4];
        ASSERT_STREQ(none->name, "None");
        ASSERT_STREQ(inGroup->name, "Message in group");
        auto passing = [&] {
            std::vector<int> v;
            int i = 0;
            for (PCFROW *row : m.Rows()) {
                if (ColFilterMatch(m.d(), row))
                    v.push_back(i);
                i++;
            }
            return v;
        };
        /* a new filter, enabled with every value selected, hides nothing */
        COLFILTER *f = ColFilterFind(m.d(), column, 1);
        ASSERT_NE(f, nullptr);
        f->enabled = 1;
        EXPECT_EQ(passing(), V({ 0, 1, 2, 3 }));
        const PCFValueDef *justNone[] = { none };
        ColFilterSetSelected(f, justNone, 1);
        EXPECT_EQ(passing(), V({ 0, 3 }));
        const PCFValueDef *noneOrGroup[] = { none, inGroup };
        ColFilterSetSelected(f, noneOrGroup, 2);
        EXPECT_EQ(passing(), V({ 0, 1, 2, 3 }));
        f->inverse = 1;
        ColFilterSetSelected(f, justNone, 1);
        EXPECT_EQ(passing(), V({ 1, 2 }));
        /* the pop-up's counts: "None" counts the two messages without flags */
        COLFSTATE *st = ColFilterState(m.d(), 1);
        COLFCTL controls[3] = {};
        controls[0].layoutRow = &controls[0];
        controls[0].valueRow = none;
        controls[1].layoutRow = &controls[1];
        controls[1].valueRow = inGroup;
        st->controls = controls;
        st->open = column;
        ColFilterResetCounts(m.d());
        PCFLISTPARTS parts;
        PCFListAreaPointers(m.Area(), &parts);
        for (PCFROW *row : m.Rows())
            ColFilterCountValue(m.d(), m.Area(), parts.columns, row);
        EXPECT_EQ(controls[0].count, 2u);
        EXPECT_EQ(controls[1].count, 2u);
        st->controls = nullptr;
        m.d()->first.columns = nullptr;
    }
    rec.Uninstall();
}

}  // namespace
