/* The built-in functions on Queue List rows, time zone fixed: date$ with
 * every letter, the time functions, texts, sort keys and field sorts,
 * colours and flashing, alarms, sounds and user commands (only on rows
 * evaluated), status texts and files with hostile formats and modes, and
 * evaluation that allocates nothing once its variables exist. */
#include "flttest.h"
#include "fltint.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace flttest;

namespace {

/* 6 December 2026 14:05:09 UTC, a Sunday. */
const int64_t When = 1796565909;

struct Builtins : ::testing::Test {
    Recorder rec;
    ListDialog *q = nullptr;
    void SetUp() override
    {
        rec.Install();
        FixedZone(0);
        CSSetCurrentTime(When);
        q = new ListDialog(&PCFQueueListDef);
        q->Fill(Queues({ { "QUEUE.A", MQQT_LOCAL, 5 }, { "Q.B", MQQT_LOCAL, 500 }, { "R.C", MQQT_REMOTE, 0 } }));
    }
    void TearDown() override
    {
        delete q;
        CSSetCurrentTime(0);
        CSSetTimeZoneProc(nullptr);
        ClearNamed();
        rec.Uninstall();
    }
    /* The value of an expression on the first row, as a string variable. */
    std::string Text(const std::string &expr)
    {
        EXPECT_EQ(Compile(q->d(), "if (_index = 0) @$out := " + expr), "") << expr;
        Fill(q->d());
        FLTUSERVAR *v = FltUserVar(FltDialogContext(q->d()), "@$out");
        return std::string(v->s, v->len);
    }
    int32_t Int(const std::string &expr)
    {
        EXPECT_EQ(Compile(q->d(), "if (_index = 0) @out := " + expr), "") << expr;
        Fill(q->d());
        return FltUserVar(FltDialogContext(q->d()), "@out")->i;
    }
    FilterProgram *Prog() { return (FilterProgram *)q->d()->filterProgram; }
};

TEST_F(Builtins, DateTextWithEveryLetter)
{
    const std::string t = std::to_string(When);
    EXPECT_EQ(Text("date$(" + t + ", 'dd mmm y t')"), "6th December 2026 14:05:09");
    EXPECT_EQ(Text("date$(" + t + ")"), "14:05 06/12/2026");
    EXPECT_EQ(Text("date$()"), "14:05 06/12/2026");
    struct {
        const char *format, *text;
    } letters[] = {
        { "D", "Sun" }, { "DD", "Sunday" }, { "H", "14" }, { "HH", "14" }, { "h", "02" }, { "hh", "2" },
        { "M", "05" }, { "S", "09" }, { "P", "PM" }, { "p", "pm" }, { "d", "06" }, { "dd", "6th" },
        { "j", "339" }, { "J", "340" }, { "m", "Dec" }, { "mm", "12" }, { "mmm", "December" },
        { "y", "2026" }, { "yy", "26" }, { "t", "14:05:09" }, { "\\\\d=d", "d=06" }, { "x-y", "x-2026" },
    };
    for (auto &l : letters)
        EXPECT_EQ(Text("date$(" + t + ", '" + l.format + "')"), l.text) << l.format;
    EXPECT_EQ(Text("date$(" + std::to_string(When - 14 * 3600) + ", 'hh P dd')"), "0 AM 6th");
    /* 30 November 2026 14:30 and the days of December after it */
    struct {
        int day;
        const char *text;
    } suffixes[] = { { 1, "1st" },   { 2, "2nd" },   { 3, "3rd" },   { 4, "4th" },   { 11, "11th" },
                     { 12, "12th" }, { 13, "13th" }, { 21, "21st" }, { 22, "22nd" }, { 23, "23rd" },
                     { 24, "24th" }, { 31, "31st" } };
    for (auto &d : suffixes)
        EXPECT_EQ(Text("date$(1796049000 + 86400 * " + std::to_string(d.day) + ", 'dd')"), d.text) << d.day;
    EXPECT_EQ(Text("date$(-5)"), "<Unrecognised Date>");
    EXPECT_EQ(Text("date$(" + t + ", 5)"), "<Unrecognised Date Format>");
    EXPECT_EQ(Text("date$(1, 2, 3)"), "<Unrecognised Date Parameter>");
    /* a format of more than 99 characters is cut */
    EXPECT_EQ(Text("date$(" + t + ", '" + std::string(120, 'y') + "')").size(), 49u * 2 + 4);
    FixedZone(3600);
    EXPECT_EQ(Text("date$(" + t + ", 'H:M')"), "15:05");
}

TEST_F(Builtins, TimeFunctions)
{
    const std::string t = std::to_string(When);
    struct {
        const char *fn;
        int32_t value;
    } fields[] = { { "hour", 14 }, { "minute", 5 }, { "second", 9 }, { "weekday", 0 }, { "yearday", 339 },
                   { "day", 6 }, { "month", 11 }, { "year", 2026 } };
    for (auto &f : fields) {
        EXPECT_EQ(Int(std::string(f.fn) + "(" + t + ")"), f.value) << f.fn;
        EXPECT_EQ(Int(std::string(f.fn) + "(-1)"), -1) << f.fn;
    }
    EXPECT_EQ(Int("mqtime('20261206', '14050900') = msgtime('20261206', '14050900')"), 1);
    EXPECT_EQ(Int("hour(mqtime('20261206', '14050900'))"), 14);
    EXPECT_EQ(Int("msgtime('2026120', '14050900')"), 0);
    EXPECT_EQ(Int("mqtime('2026-12-06', '14.05.09') = mqtime('20261206', '14050900')"), 1);
    /* names of days and months: modulo, never before the tables */
    EXPECT_EQ(Text("day$(0, 1)"), "Sun");
    EXPECT_EQ(Text("day$(8, 0)"), "Monday");
    EXPECT_EQ(Text("day$(weekday(-1), 0)"), "Saturday");
    EXPECT_EQ(Text("mon$(month(-1), 1)"), "Dec");
    EXPECT_EQ(Text("mon$(13, 0)"), "February");
    EXPECT_EQ(Text("mon$(-2147483647 - 1, 0)"), "May");
}

TEST_F(Builtins, Texts)
{
    struct {
        const char *expr, *text;
    } texts[] = {
        { "substr$('0123456789', 8, 5)", "789" },  { "substr$('0123456789', -1, 3)", "789" },
        { "substr$('0123456789', 3, -1)", "23456789" }, { "substr$('0123456789', -1, -1)", "0123456789" },
        { "substr$('0123456789', 0, 3)", "" },     { "substr$('0123456789', 3, 0)", "" },
        { "substr$('0123456789', 11, 1)", "" },    { "substr$('0123456789', -2, 1)", "" },
        { "substr$(12345, 1, 2)", "" },            { "substr$('', 1, 2)", "" },
        { "substr$('abc', -1, 5)", "abc" },        { "str$(5)", "5" },
        { "str$(2.5)", "2.50" },                   { "str$('x')", "x" },
        { "str$(queue)", "QUEUE.A" },              { "'a' + 'b'", "ab" },
    };
    for (auto &t : texts)
        EXPECT_EQ(Text(t.expr), t.text) << t.expr;
    struct {
        const char *expr;
        int32_t value;
    } ints[] = {
        { "findstr(queue, 'EUE')", 3 }, { "findstr(queue, 'eue')", 0 }, { "findstri(queue, 'eue')", 3 },
        { "findstr(queue, '')", 0 },    { "findstr('', 'a')", 0 },      { "findstr(5, '5')", 0 },
        { "max(3, curdepth)", 5 },      { "min(3, curdepth)", 3 },      { "max('abcd', 2)", 4 },
        { "val(1, 2)", 1 },             { "all()", 1 },                 { "any()", 0 },
    };
    for (auto &t : ints)
        EXPECT_EQ(Int(t.expr), t.value) << t.expr;
    /* a 300-character text assigned keeps 200 */
    EXPECT_EQ(Text("'" + std::string(150, 'a') + "' + '" + std::string(150, 'b') + "'").size(), 200u);
}

TEST_F(Builtins, SortKeysByValueType)
{
    auto row = [&](const std::string &text) {
        EXPECT_EQ(Compile(q->d(), text), "") << text;
        FilterEvalContext *ctx = FltDialogContext(q->d());
        PCFFilterFillBegin(q->d());
        PCFFilterFillArea(q->d(), q->Area());
        PCFFilterFillRow(q->d(), q->Rows()[0], 0, 0);
        return ctx;
    };
    PCFROW *r = q->Rows()[0];
    /* two calls of a kind are per-row keys, not field sorts */
    FilterEvalContext *ctx = row("sort(queue); sort(queue)");
    EXPECT_EQ(r->flags & 0xFFFF, (uint32_t)(FLTR_KEY1 | FLTR_KEY1TEXT));
    EXPECT_EQ(std::string(ctx->sortText[0], ctx->sortLength[0]), "QUEUE.A");
    EXPECT_EQ(r->keyLength[0], 7);
    ctx = row("sortd(type); sortd(type)");
    EXPECT_EQ(r->flags & 0xFFFF, (uint32_t)(FLTR_KEY1 | FLTR_KEY1TEXT | FLTR_KEY1DESC));
    EXPECT_EQ(std::string(ctx->sortText[0], ctx->sortLength[0]), "Local");
    row("sort(curdepth * 2)");
    EXPECT_EQ(r->flags & 0xFFFF, (uint32_t)FLTR_KEY1);
    EXPECT_EQ(r->primaryKey, 10u);
    row("sort2(curdepth / 4)");
    EXPECT_EQ(r->flags & 0xFFFF, (uint32_t)FLTR_KEY2);
    EXPECT_EQ(r->secondaryKey, 1250u);
    row("sortd2(str$(curdepth)); sort(-7)");
    EXPECT_EQ(r->flags & 0xFFFF, (uint32_t)(FLTR_KEY1 | FLTR_KEY2 | FLTR_KEY2TEXT | FLTR_KEY2DESC));
    EXPECT_EQ((int32_t)r->primaryKey, -7);
    EXPECT_EQ(std::string(ctx->sortText[1], ctx->sortLength[1]), "5");
    row("sort(1e40 * 0 + 9999999999.0)");
    EXPECT_EQ((int32_t)r->primaryKey, INT32_MAX);
    /* the next row's fill clears the marks the filter set */
    EXPECT_EQ(Compile(q->d(), "1"), "");
    Fill(q->d());
    EXPECT_EQ(r->flags & 0xFFFF, 0u);
}

TEST_F(Builtins, ALoneSortOnAFieldIsAFieldSort)
{
    struct {
        const char *text;
        uint32_t marks;
    } cases[] = { { "sort(curdepth)", 4 }, { "sortd(curdepth)", 12 }, { "sort2(curdepth)", 64 },
                  { "sortd2(curdepth)", 72 } };
    for (auto &c : cases) {
        ListDialog d(&PCFQueueListDef);
        d.Fill(Queues({ { "A", 1, 1 } }));
        rec.field = c.text;
        ASSERT_EQ(PCFNewFilter(d.d(), 0), 0) << c.text;
        EXPECT_TRUE(PCFProgramFlags((FilterProgram *)d.d()->filterProgram) & FLTP_SORTS);
        PCFLISTENTRY *cols = FltDialogColumns(d.d());
        PCFLISTPARTS parts;
        PCFListAreaPointers(d.Area(), &parts);
        for (int i = 0; cols[i].field; i++) {
            /* the queue name column is the definition's primary sort */
            uint32_t was = PCFQueueListDef.list->current[i].flags & 0x4C;
            uint32_t want = cols[i].field->attrId == MQIA_CURRENT_Q_DEPTH ? c.marks : (c.marks & 4) ? 0 : was;
            EXPECT_EQ(cols[i].flags & 0x4C, want) << c.text << " " << cols[i].field->title;
            EXPECT_EQ(parts.columns[i].flags & 0x4C, want) << c.text;
        }
        /* the definition's own list is not touched */
        EXPECT_EQ(PCFQueueListDef.list->current[8].flags & 0x4C, 0u);
        EXPECT_EQ(PCFQueueListDef.list->current[1].flags & 0x4C, 4u);
        /* per row it sets nothing */
        Fill(d.d());
        EXPECT_EQ(d.Rows()[0]->flags & (FLTR_KEY1 | FLTR_KEY2), 0u);
    }
    /* a primary mark leaves a descending secondary alone */
    ListDialog d(&PCFQueueListDef);
    d.Fill(Queues({ { "A", 1, 1 } }));
    rec.field = "sortd2(queue)";
    PCFNewFilter(d.d(), 0);
    rec.field = "sort(curdepth)";
    PCFNewFilter(d.d(), 0);
    PCFLISTENTRY *cols = FltDialogColumns(d.d());
    EXPECT_EQ(cols[1].flags & 0x4C, 72u);
    EXPECT_EQ(cols[8].flags & 0x4C, 4u);
}

TEST_F(Builtins, ColoursAndFlashing)
{
    ASSERT_EQ(Compile(q->d(), "fg(curdepth > 100, red); bg(type = remote, 0x123456); flash(curdepth = 0); "
                              "fgcell(1, blue, queue); bgcell(curdepth = 5, green, curdepth); flashcell(1, type)"),
              "");
    FltFlashing = 0;
    EXPECT_EQ(Fill(q->d()), std::vector<int>({ 1, 1, 1 }));
    std::vector<PCFROW *> rows = q->Rows();
    EXPECT_EQ(rows[0]->flags & 0xFFF, (uint32_t)FLTR_CELLFLASH);
    EXPECT_EQ(rows[1]->flags & 0xFFF, (uint32_t)(FLTR_FG | FLTR_CELLFLASH));
    EXPECT_EQ(rows[1]->colours[FLTR_TEXTCOLOUR], 0xFFu);
    EXPECT_EQ(rows[2]->flags & 0xFFF, (uint32_t)(FLTR_BG | FLTR_FLASH | FLTR_CELLFLASH));
    EXPECT_EQ(rows[2]->colours[FLTR_BACKCOLOUR], 0x123456u);
    uint8_t *name = q->Record(rows[0], MQCA_Q_NAME), *depth = q->Record(rows[0], MQIA_CURRENT_Q_DEPTH),
            *type = q->Record(rows[0], MQIA_Q_TYPE);
    EXPECT_EQ(PCFState(name) & 0x70, FLTV_FG);
    EXPECT_EQ(FGet32(name + FLTV_COLOUR), 0xFF0000);
    EXPECT_EQ(PCFState(depth) & 0x70, FLTV_BG);
    EXPECT_EQ(FGet32(depth + FLTV_COLOUR), 0xFF00);
    EXPECT_EQ(PCFState(type) & 0x70, FLTV_FLASH);
    EXPECT_EQ(FltFlashing, 1);
    /* the next fill starts the marks again */
    ASSERT_EQ(Compile(q->d(), "1"), "");
    Fill(q->d());
    EXPECT_EQ(PCFState(name) & 0x70, 0);
    EXPECT_EQ(rows[2]->flags & 0xFFF, 0u);
}

TEST_F(Builtins, TheAlarmCountRisesOncePerDialog)
{
    int32_t base = PCFFilterMarkedCount();
    ASSERT_EQ(Compile(q->d(), "alarm(curdepth >= 0)"), "");
    Fill(q->d());
    EXPECT_EQ(PCFFilterMarkedCount(), base + 1);
    EXPECT_TRUE(q->d()->stateFlags & DF_FILTER_MARKED);
    Fill(q->d());
    EXPECT_EQ(PCFFilterMarkedCount(), base + 1);
    ListDialog other(&PCFQueueListDef);
    other.Fill(Queues({ { "X", 1, 1 } }));
    ASSERT_EQ(Compile(other.d(), "alarm(1)"), "");
    Fill(other.d());
    EXPECT_EQ(PCFFilterMarkedCount(), base + 2);
    ASSERT_EQ(Compile(q->d(), "alarm(curdepth > 10000)"), "");
    Fill(q->d());
    EXPECT_EQ(PCFFilterMarkedCount(), base + 1);
    EXPECT_FALSE(q->d()->stateFlags & DF_FILTER_MARKED);
}

TEST_F(Builtins, BeepsSoundsAndCommandsOnlyOnEvaluatedRows)
{
    ASSERT_EQ(Compile(q->d(), "beep(curdepth > 100); sound(curdepth = 0, 'ding.wav'); "
                              "system(type = local, 'cmd /c echo ' + queue); sound(1, '')"),
              "");
    EXPECT_EQ(rec.beeps, 0);
    EXPECT_TRUE(rec.commands.empty());
    Fill(q->d());
    EXPECT_EQ(rec.beeps, 1);
    EXPECT_EQ(rec.sounds, std::vector<std::string>({ "ding.wav" }));
    EXPECT_EQ(rec.commands, std::vector<std::string>({ "QM1:cmd /c echo QUEUE.A", "QM1:cmd /c echo Q.B" }));
    /* a failed command's text goes to a note box */
    rec.commandFails = 1;
    Fill(q->d());
    EXPECT_EQ(rec.notes.size(), 2u);
    /* a command is at most 255 characters */
    rec.commands.clear();
    ASSERT_EQ(Compile(q->d(), "system(curdepth = 0, '" + std::string(400, 'c') + "')"), "");
    Fill(q->d());
    ASSERT_EQ(rec.commands.size(), 1u);
    EXPECT_EQ(rec.commands[0].size(), 4u + 200u);   /* texts are at most 200 characters */
    /* never while compiling, checking, or in the initial column pass */
    rec.commands.clear();
    EXPECT_EQ(Check("system(1, 'x')"), "");
    rec.field = "showcol(curdepth, 0); system(1, 'y')";
    EXPECT_EQ(PCFNewFilter(q->d(), 0), 0);
    EXPECT_TRUE(rec.commands.empty());
    Fill(q->d());
    EXPECT_EQ(rec.commands.size(), 3u);
}

TEST_F(Builtins, StatusTextsAndHostileFormats)
{
    auto status = [&](const std::string &text) {
        rec.statuses.clear();
        EXPECT_EQ(Compile(q->d(), "curdepth = 5; " + text), "") << text;
        Fill(q->d());
        EXPECT_EQ(rec.statuses.size(), 3u) << text;
        return rec.statuses.empty() ? std::string() : rec.statuses[0].text;
    };
    EXPECT_EQ(status("status(queue, ' ', curdepth, ' ', 2.5)"), "QUEUE.A 5 2.50");
    EXPECT_EQ(rec.statuses[0].mode, 129);
    EXPECT_EQ(status("statusf('%s has %5d (%x) %.1f %-4s|', queue, curdepth, -1, 2.25, 'ab')"),
              "QUEUE.A has     5 (ffffffffffffffff) 2.2 ab  |");
    EXPECT_EQ(status("statusf('%S=%i%%', queue, 7)"), "QUEUE.A=7%%");
    EXPECT_EQ(status("statusf('%n %999999999d', 3)").size(), 3u + 400u);
    EXPECT_EQ(status("statusf('%d %d', 1)"), "1 %d");
    EXPECT_EQ(status("statusf('%k %5.5.5d', 1)"), "%k %5.5.5d");
    std::string longSpec = "%" + std::string(120, '1') + "d";
    EXPECT_EQ(status("statusf('" + longSpec + "', 1)"), longSpec);
    EXPECT_EQ(status("statusf('%s', str$(curdepth) + '" + std::string(300, 'x') + "')").size(), 200u);
    EXPECT_EQ(status("statusf('%400s%400s', 'a', 'b')").size(), 500u);
    EXPECT_EQ(status("status('" + std::string(190, 'a') + "', '" + std::string(190, 'b') + "', '" +
                     std::string(190, 'c') + "')")
                  .size(),
              500u);
    EXPECT_EQ(status("statusf(5)"), "5");
}

struct Files : Builtins {
    std::string dir;
    void SetUp() override
    {
        Builtins::SetUp();
        dir = (std::filesystem::temp_directory_path() / ("ravolt-filters-" + std::to_string(rand()))).string();
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        Builtins::TearDown();
        std::filesystem::remove_all(dir);
    }
    std::string Path(const char *name) { return (std::filesystem::path(dir) / name).generic_string(); }
    std::string Read(const char *name)
    {
        std::ifstream f(Path(name), std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
};

TEST_F(Files, SlotsReuseAndContents)
{
    std::string a = Path("a.txt"), b = Path("b.txt"), c = Path("c.txt"), d = Path("d.txt");
    ASSERT_EQ(Compile(q->d(), "@f := fopen('" + a + "', 'wb'); @g := fopen('" + a + "'); "
                              "@h := fopen('" + b + "', 'ab'); @i := fopen('" + c + "', 'wb'); "
                              "@j := fopen('" + d + "', 'wb'); "
                              "fprint(@f, queue, ';', curdepth, '\\n'); "
                              "fprintf('" + b + "', '%-8s|%04d\\n', queue, curdepth); fprint(@i, _index)"),
              "");
    Fill(q->d());
    FilterEvalContext *ctx = FltDialogContext(q->d());
    EXPECT_EQ(FltUserVar(ctx, "@f")->i, FltUserVar(ctx, "@g")->i);
    EXPECT_NE(FltUserVar(ctx, "@f")->i, 0);
    EXPECT_NE(FltUserVar(ctx, "@h")->i, 0);
    EXPECT_NE(FltUserVar(ctx, "@i")->i, 0);
    EXPECT_EQ(FltUserVar(ctx, "@j")->i, 0);
    EXPECT_FALSE(std::filesystem::exists(d));
    /* closed after the fill */
    for (const FLTFILE &f : ctx->files)
        EXPECT_EQ(f.stream, nullptr);
    EXPECT_EQ(Read("a.txt"), "QUEUE.A;5\nQ.B;500\nR.C;0\n");
    EXPECT_EQ(Read("b.txt"), "QUEUE.A |0005\nQ.B     |0500\nR.C     |0000\n");
    EXPECT_EQ(Read("c.txt"), "012");
    /* the next fill opens again: "wb" starts over, "ab" appends */
    Fill(q->d());
    EXPECT_EQ(Read("a.txt"), "QUEUE.A;5\nQ.B;500\nR.C;0\n");
    EXPECT_EQ(Read("b.txt").size(), 2 * 42u);
    /* fclose frees a slot for another name */
    ASSERT_EQ(Compile(q->d(), "@f := fopen('" + a + "', 'wb'); fclose(@f); @g := fopen('" + b + "', 'wb'); "
                              "@h := fopen('" + c + "', 'wb'); @i := fopen('" + d + "', 'wb'); fclose(@i)"),
              "");
    Fill(q->d());
    EXPECT_NE(FltUserVar(ctx, "@i")->i, 0);
    EXPECT_TRUE(std::filesystem::exists(d));
}

TEST_F(Files, BadModesAndNamesOpenNothing)
{
    for (const char *mode : { "x", "rw", "w++", "wbt", "r+b+", "wz", "", "ccs=UTF-8", "w,ccs=UTF-8" }) {
        std::string f = Path("bad.txt");
        ASSERT_EQ(Compile(q->d(), std::string("@f := fopen('") + f + "', '" + mode + "')"), "");
        Fill(q->d());
        EXPECT_EQ(FltUserVar(FltDialogContext(q->d()), "@f")->i, 0) << mode;
        EXPECT_FALSE(std::filesystem::exists(f)) << mode;
    }
    for (const char *mode : { "r+", "w+b", "wt", "a+t", "rb+" })
        EXPECT_TRUE(FltModeValid(mode)) << mode;
    ASSERT_EQ(Compile(q->d(), "@f := fopen(5); @g := fopen('" + Path("x") + "', 7); fprint(99, 'x')"), "");
    Fill(q->d());
    EXPECT_EQ(FltUserVar(FltDialogContext(q->d()), "@f")->i, 0);
    EXPECT_EQ(FltUserVar(FltDialogContext(q->d()), "@g")->i, 0);
}

TEST_F(Files, FilesCloseWhenTheDialogIsFreed)
{
    ListDialog *d = new ListDialog(&PCFQueueListDef);
    d->Fill(Queues({ { "A", 1, 1 } }));
    ASSERT_EQ(Compile(d->d(), "fprint('" + Path("open.txt") + "', queue)"), "");
    PCFFilterFillBegin(d->d());
    PCFFilterFillArea(d->d(), d->Area());
    PCFFilterFillRow(d->d(), d->Rows()[0], 0, 1);
    EXPECT_NE(FltDialogContext(d->d())->files[0].stream, nullptr);
    delete d;
    EXPECT_EQ(Read("open.txt"), "A");
}

TEST_F(Builtins, RowsAllocateNothingOnceTheirVariablesExist)
{
    ASSERT_EQ(Compile(q->d(), "@n%n := @n%n + curdepth; @$last := queue + str$(@n%n); @@r := @@r + 0.5; "
                              "sort(str$(curdepth)); fg(1, red); queue == 'Q*' | curdepth > 100"),
              "");
    Fill(q->d());
    uint32_t before = Allocations();
    for (int i = 0; i < 5; i++)
        Fill(q->d());
    EXPECT_EQ(Allocations(), before);
    EXPECT_EQ(FltUserVar(FltDialogContext(q->d()), "@nQ.B")->i, 3000);
    EXPECT_EQ(FltUserVar(FltDialogContext(q->d()), "@@r")->r, 9.0);
}

}  // namespace
