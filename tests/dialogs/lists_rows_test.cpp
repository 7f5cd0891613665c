/* The rows of list dialogs without windows: sort keys of every kind of
 * value, flag names, the rebuild (order, the selection kept by key,
 * hidden SYSTEM. objects, a failing filter), column widths, sort marks
 * and their carrying over, column moves, and lists rebuilt for new
 * columns. */
#include "listtest.h"
#include "filters.h"

#include <algorithm>

using namespace listtest;
using dlgtest::Reply;

namespace {

/* An integer value record. */
std::string IntRecord(int32_t v)
{
    uint8_t r[14] = {};
    r[0] = PCFS_PRESENT;
    memcpy(r + PCFLV_INT, &v, 4);
    return std::string((char *)r, 14);
}

std::string RealRecord(double v)
{
    uint8_t r[18] = {};
    r[0] = PCFS_PRESENT;
    memcpy(r + PCFLV_INT, &v, 8);
    return std::string((char *)r, 18);
}

PCFFieldDef Fd(uint32_t id, int16_t type, const PCFValueDef *values = nullptr)
{
    PCFFieldDef f = {};
    f.title = "Field";
    f.shortTitle = "F";
    f.attrId = id;
    f.type = type;
    f.maximum = 48;
    f.values = values;
    return f;
}

/* The sort key of a value alone. */
std::string Key(const PCFFieldDef &f, const std::string &record, int descending = 0, int secondary = 0)
{
    char part[PCF_KEYPART + 1], key[PCF_KEYMAX];
    int n = PCFValueKey(&f, (const uint8_t *)record.data(), secondary, part);
    int k = PCFSortKey(part, n, descending, "", 0, 0, key);
    return std::string(key, (size_t)k);
}

template <typename T> std::vector<T> Sorted(const PCFFieldDef &f, std::vector<T> values, std::string (*make)(T),
                                             int descending = 0)
{
    std::vector<std::pair<std::string, T>> keyed;
    for (T v : values)
        keyed.push_back({ Key(f, make(v), descending), v });
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](auto &a, auto &b) { return strcmp(a.first.c_str(), b.first.c_str()) < 0; });
    std::vector<T> out;
    for (auto &k : keyed)
        out.push_back(k.second);
    return out;
}

std::string TextRecord(std::string s)
{
    std::string r(12, '\0');
    r[0] = PCFS_PRESENT;
    uint16_t n = (uint16_t)s.size();
    memcpy(&r[2], &n, 2);
    return r + s;
}

TEST(ListKeys, NumbersTextsTimesAndReals)
{
    PCFFieldDef number = Fd(1, PCFT_INT);
    std::vector<int32_t> order = { -5, -1, INT32_MIN, 0, 7, 12 };
    std::vector<int32_t> mixed = { 12, 0, INT32_MIN, 7, -1, -5 };
    EXPECT_EQ(Sorted<int32_t>(number, mixed, IntRecord), order);
    std::vector<int32_t> reversed(order.rbegin(), order.rend());
    EXPECT_EQ(Sorted<int32_t>(number, mixed, IntRecord, 1), reversed);
    /* ten digits: a billion after 999,999,999 */
    EXPECT_EQ(Sorted<int32_t>(number, { 1000000000, 999999999, 2147483647 }, IntRecord),
              std::vector<int32_t>({ 999999999, 1000000000, 2147483647 }));
    /* floats: negatives and a million or more in order */
    PCFFieldDef real = Fd(2, PCFT_REAL);
    std::vector<double> reals = { 12345678.0, -5.5, 1e6, 3.25, -1.0, 0.0, 2e6, -1.5 };
    EXPECT_EQ(Sorted<double>(real, reals, RealRecord),
              std::vector<double>({ -5.5, -1.5, -1.0, 0.0, 3.25, 1e6, 2e6, 12345678.0 }));
    /* texts: letter by letter without regard to case, the small letter
       first only to break a tie (a, A, b, B; Queue1 before queue2),
       prefixes first, descending reverses */
    PCFFieldDef text = Fd(3, PCFT_NAME);
    std::vector<std::string> names = { "Queue1", "b", "queue2", "Queue", "B", "a", "A", "queue" };
    EXPECT_EQ(Sorted<std::string>(text, names, TextRecord),
              std::vector<std::string>({ "a", "A", "b", "B", "queue", "Queue", "Queue1", "queue2" }));
    EXPECT_EQ(Sorted<std::string>(text, { "CASE.A", "case.b", "CASE.B", "case.a" }, TextRecord),
              std::vector<std::string>({ "case.a", "CASE.A", "case.b", "CASE.B" }));
    EXPECT_EQ(Sorted<std::string>(text, { "queue.b", "QUEUE.C", "QUEUE.A", "Queue.B" }, TextRecord),
              std::vector<std::string>({ "QUEUE.A", "queue.b", "Queue.B", "QUEUE.C" }));
    EXPECT_EQ(Sorted<std::string>(text, { "queue2", "Queue1", "QUEUE.A", "queue.b" }, TextRecord, 1),
              std::vector<std::string>({ "queue2", "Queue1", "queue.b", "QUEUE.A" }));
    /* punctuation between the capitals and the small letters sorts
       before every letter, digits before both */
    EXPECT_EQ(Sorted<std::string>(text, { "a_b", "ab", "a1", "a.b" }, TextRecord),
              std::vector<std::string>({ "a.b", "a1", "a_b", "ab" }));
    EXPECT_EQ(Sorted<std::string>(text, { "ab", "abc", "b" }, TextRecord, 1),
              std::vector<std::string>({ "b", "abc", "ab" }));
    /* date-time pairs by their time; an empty value first */
    PCFFieldDef pair = Fd(10216, PCFT_DATETIME);
    uint8_t early[200], late[200];
    uint32_t ne = PCFPairRecord(early, PCFT_DATETIME, "2023-12-31", 10, "23.59.59", 8);
    uint32_t nl = PCFPairRecord(late, PCFT_DATETIME, "2024-01-01", 10, "00.00.01", 8);
    std::string a((char *)early, ne), b((char *)late, nl);
    EXPECT_LT(Key(pair, a), Key(pair, b));
    EXPECT_GT(Key(pair, a, 1), Key(pair, b, 1));
    EXPECT_EQ(Key(pair, std::string(36, '\0')), "\x01");
    /* a secondary part follows the primary's end */
    char key[PCF_KEYMAX];
    PCFSortKey("b", 1, 0, "x", 1, 0, key);
    char other[PCF_KEYMAX];
    PCFSortKey("b", 1, 0, "y", 1, 0, other);
    EXPECT_LT(strcmp(key, other), 0);
}

TEST(ListKeys, FlagNames)
{
    static const PCFValueDef values[] = {
        { 0, 0, 0, 0, "None", "NONE" }, { 0, 0, 0, 1, "Get", "GET" }, { 0, 0, 0, 2, "Put", "PUT" },
        { 0, 0, 0, 8, "Browse", "BROWSE" }, { 0, 0, 0, 0, nullptr, nullptr },
    };
    PCFFieldDef f = Fd(9, PCFT_FLAGSET, values);
    char text[PCF_KEYPART + 1];
    EXPECT_EQ(FlagsToNames(&f, 0, text), 0);
    EXPECT_STREQ(text, "");
    FlagsToNames(&f, 0xB, text);
    EXPECT_STREQ(text, "Get,Put,Browse");
    FlagsToNames(&f, 0x31, text);
    EXPECT_STREQ(text, "Get,0x30");
    FlagsToNames(&f, 0x40, text);
    EXPECT_STREQ(text, "0x40");
}

/* ---- rebuilding ---- */

struct Rows : Lists {
    DialogWords *d = nullptr;
    void SetUp() override
    {
        Lists::SetUp();
        d = Open(&PCFQueueListDef);
        ASSERT_TRUE(PCFOwnColumns(d));
        Reply r(MQCMD_INQUIRE_Q);
        Queue(r, "B.Q", 7);
        Queue(r, "a.q", 12);
        Queue(r, "SYSTEM.DEF", 0);
        Queue(r, "SYSTEMX", -1);
        Queue(r, "A.Q", 1000000000);
        Feed(d, r);
    }
    void SortBy(uint32_t attrId, int alt = 0)
    {
        ASSERT_TRUE(PCFSortColumn(d, Column(d, attrId), alt));
        Build(d);
    }
};

TEST_F(Rows, OrderSelectionCaretAndHiddenSystemObjects)
{
    Build(d);                                     /* the static list sorts by name */
    EXPECT_EQ(Shown(d, MQCA_Q_NAME), std::vector<std::string>({ "a.q", "A.Q", "B.Q", "SYSTEM.DEF", "SYSTEMX" }));
    EXPECT_EQ(d->rowCounts[0], 5u);
    EXPECT_EQ(d->rowCounts[1], 5u);
    /* select A.Q (arrival index 4) with the caret, then a refresh that moves it */
    PCFLISTSTATE *st = PCFListState(d);
    PCFROW *sel[1] = { st->rows[1].row };
    PCFSELECTION before = { sel, 1, sel[0], 0 };
    Reply again(MQCMD_INQUIRE_Q);
    Queue(again, "Z.Q", 1);
    Queue(again, "B.Q", 3);
    Queue(again, "SYSTEMX", 2);
    Queue(again, "NEW", 5);
    Queue(again, "A.Q", 4);
    d->first.sequence++;
    Feed(d, again);
    d->optionFlags |= DO_HIDE_SYSTEM;
    ASSERT_TRUE(PCFSortColumn(d, Column(d, MQIA_CURRENT_Q_DEPTH), 0));
    Build(d, &before);
    EXPECT_EQ(Shown(d, MQCA_Q_NAME), std::vector<std::string>({ "Z.Q", "SYSTEMX", "B.Q", "A.Q", "NEW" }));
    std::vector<PCFROW *> selected(8);
    ASSERT_EQ(PCFShownSelected(d, selected.data(), 8), 1);
    EXPECT_EQ(selected[0], st->rows[3].row);
    EXPECT_EQ(st->caret, 3);                       /* it arrived where it arrived before */
    /* a row that arrives elsewhere stays selected without the caret */
    PCFROW *again2[1] = { st->rows[3].row };
    PCFSELECTION moved = { again2, 1, again2[0], 0 };
    Reply third(MQCMD_INQUIRE_Q);
    Queue(third, "A.Q", 4);
    Queue(third, "B.Q", 3);
    d->first.sequence++;
    Feed(d, third);
    Build(d, &moved);
    EXPECT_EQ(PCFShownSelected(d, selected.data(), 8), 1);
    EXPECT_EQ(st->caret, -1);
    EXPECT_EQ(d->rowCounts[0], 2u);
    /* a refresh that keeps nothing selected selects the first row shown
       with "Select first entry on refresh", and none without */
    for (int first : { 1, 0 }) {
        PcfListPrefs.selectFirst = first;
        Build(d);
        ASSERT_EQ(PCFShownSelected(d, selected.data(), 8), first);
        if (first) {
            EXPECT_EQ(selected[0], st->rows[0].row);
        }
    }
}

/* A two-sided list counts a shown row for the side its own flags name,
 * and a row on both sides for each. */
TEST_F(Lists, TwoSidedCountsFollowEachRowsSideFlags)
{
    PCFCommandDef pair = PCFQueueListDef;
    pair.flags |= PCFD_PAIR;
    DialogWords *p = Open(&pair);
    ASSERT_TRUE(PCFOwnColumns(p));
    p->viewOptions |= 0xF0000;                    /* every kind of row shown */
    Reply r(MQCMD_INQUIRE_Q);
    Queue(r, "ONLY.A", 1);
    Queue(r, "ONLY.B", 2);
    Queue(r, "BOTH", 3);
    Feed(p, r);
    PCFLISTAREA *area = PCFCurrentArea(&p->first);
    ASSERT_NE(area, nullptr);
    int n = 0;
    for (PCFROW *row = PCFFirstRow(area); row; row = PCFNextRow(area, row), n++)
        row->flags |= n == 0 ? PCFR_SIDEA : n == 1 ? PCFR_SIDEB : 0;   /* as the comparison marks them */
    Build(p);
    EXPECT_EQ(Shown(p, MQCA_Q_NAME).size(), 3u);
    EXPECT_EQ(p->rowCounts[1], 2u);               /* side A: ONLY.A and BOTH */
    EXPECT_EQ(p->rowCounts[3], 2u);               /* side B: ONLY.B and BOTH */
    Close(p);                                     /* before its definition goes */
}

TEST_F(Rows, NumericColumnDescendingAndTheSecondaryKey)
{
    SortBy(MQIA_CURRENT_Q_DEPTH);
    EXPECT_EQ(Shown(d, MQCA_Q_NAME), std::vector<std::string>({ "SYSTEMX", "SYSTEM.DEF", "B.Q", "a.q", "A.Q" }));
    SortBy(MQIA_CURRENT_Q_DEPTH);
    EXPECT_EQ(Shown(d, MQCA_Q_NAME), std::vector<std::string>({ "A.Q", "a.q", "B.Q", "SYSTEM.DEF", "SYSTEMX" }));
    /* a primary on the type (all alike) and the name second */
    SortBy(MQIA_Q_TYPE);
    SortBy(MQCA_Q_NAME, 1);
    EXPECT_EQ(Shown(d, MQCA_Q_NAME), std::vector<std::string>({ "a.q", "A.Q", "B.Q", "SYSTEM.DEF", "SYSTEMX" }));
}

TEST_F(Rows, AFilterThatFailsAtARowLeavesTheRestOut)
{
    static int evaluated;
    evaluated = 0;
    PCFLISTFILTER f = {};
    f.begin = [](void *, DialogWords *) { return 1; };
    f.evaluate = [](void *, DialogWords *, PCFROW *, int *show) {
        *show = 1;
        return ++evaluated == 3 ? 1 : 0;
    };
    PCFSetListFilter(&f);
    EXPECT_EQ(Build(d), 1);
    EXPECT_EQ(Shown(d, MQCA_Q_NAME), std::vector<std::string>({ "a.q", "B.Q" }));
    EXPECT_TRUE(PCFListState(d)->evalFailed);
    /* a row that cannot be bound is hidden, the others show */
    f.evaluate = nullptr;
    f.bind = [](void *, DialogWords *, PCFLISTAREA *, PCFROW *row) { return row->index == 1 ? 1 : 0; };
    PCFSetListFilter(&f);
    EXPECT_EQ(Build(d), 0);
    EXPECT_EQ(Shown(d, MQCA_Q_NAME).size(), 4u);
}

TEST_F(Rows, TheDialogsFilterProgramDecidesByDefault)
{
    char error[FLT_ERROR_SIZE];
    const char *text = "curdepth > 2";
    FLTREADER reader;
    FltReaderInit(&reader, text, (int)strlen(text), "", error);
    FilterProgram *program = nullptr;
    ASSERT_EQ(PCFEvalParse(PCFDialogCaps(d), d->definition, FltDialogContext(d), &program, &reader), 0) << error;
    FltReaderFree(&reader);
    d->filterProgram = program;
    EXPECT_EQ(Build(d), 0);
    std::vector<std::string> shown = Shown(d, MQCA_Q_NAME);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, std::vector<std::string>({ "A.Q", "B.Q", "a.q" }));
    /* without a program every row shows again */
    PCFFreeProgram(&program);
    d->filterProgram = nullptr;
    Build(d);
    EXPECT_EQ(Shown(d, MQCA_Q_NAME).size(), 5u);
}

/* ---- widths ---- */

TEST_F(Rows, WidthsTitlesCutAndSpareRoomShared)
{
    Build(d);
    PCFLISTSTATE *st = PCFListState(d);
    int name = Column(d, MQCA_Q_NAME), depth = Column(d, MQIA_CURRENT_Q_DEPTH), qm = Column(d, 10044);
    int32_t needed = PCFLayoutColumns(d, 100000, 0);
    int32_t natural = 0;
    int shown = 0;
    const PCFLISTENTRY *c = PCFDialogColumns(d);
    for (uint32_t i = 0; i < st->colCount; i++)
        if (PCFColumnShown(d, c[i].flags)) {
            natural += std::max(st->cols[i].valueWidth, st->cols[i].titleWidth) + 4;
            shown++;
        }
    /* spare room: each shown column with values gets an equal share */
    EXPECT_EQ(needed, natural);
    int32_t share = (100000 - natural) / shown;
    EXPECT_EQ(st->cols[name].width, std::max(st->cols[name].valueWidth, st->cols[name].titleWidth) + 4 + share);
    /* too little room: titles wider than their values are cut, the widest excess first */
    int widest = -1;
    int32_t excess = 0;
    for (uint32_t i = 0; i < st->colCount; i++) {
        int32_t e = st->cols[i].titleWidth - st->cols[i].valueWidth;
        if (PCFColumnShown(d, c[i].flags) && e > excess) {
            excess = e;
            widest = (int)i;
        }
    }
    ASSERT_GE(widest, 0);
    ASSERT_GT(excess, 20);
    int32_t room = natural - 20, before = std::max(st->cols[widest].valueWidth, st->cols[widest].titleWidth) + 4;
    needed = PCFLayoutColumns(d, room, 0);
    EXPECT_EQ(needed, room);
    EXPECT_TRUE(c[widest].flags & PCFL_CUT);
    EXPECT_EQ(st->cols[widest].width, before - 20);
    for (uint32_t i = 0; i < st->colCount; i++) {
        if ((int)i != widest) {
            EXPECT_FALSE(c[i].flags & PCFL_CUT) << i;
        }
    }
    EXPECT_STREQ(PCFFieldTitle(d, 0, &c[widest]), c[widest].field->shortTitle);
    /* "Size columns by data portion only": titles widen no column, and too
       little room marks the titles wider than their values cut, the
       columns kept at their values' widths */
    PcfListPrefs.valuesOnly = 1;
    int32_t values = 0;
    for (uint32_t i = 0; i < st->colCount; i++)
        if (PCFColumnShown(d, c[i].flags))
            values += st->cols[i].valueWidth + 4;
    EXPECT_EQ(PCFLayoutColumns(d, values, 0), values);
    EXPECT_EQ(st->cols[widest].width, st->cols[widest].valueWidth + 4);
    EXPECT_FALSE(c[widest].flags & PCFL_CUT);
    EXPECT_EQ(PCFLayoutColumns(d, values - 20, 0), values);
    EXPECT_EQ(st->cols[widest].width, st->cols[widest].valueWidth + 4);
    for (uint32_t i = 0; i < st->colCount; i++)
        if (PCFColumnShown(d, c[i].flags)) {
            EXPECT_EQ((c[i].flags & PCFL_CUT) != 0, st->cols[i].titleWidth > st->cols[i].valueWidth) << i;
        }
    PcfListPrefs.valuesOnly = 0;
    (void)depth;
    /* a width the user set is kept, never below 1 pixel, and forgotten on reset */
    PCFSetUserWidth(d, qm, -40);
    PCFLayoutColumns(d, room, 0);
    EXPECT_EQ(st->cols[qm].width, 1);
    PCFSetUserWidth(d, qm, 333);
    PCFLayoutColumns(d, 100000, 0);
    EXPECT_EQ(st->cols[qm].width, 333);
    PCFLayoutColumns(d, 100000, 1);
    EXPECT_NE(st->cols[qm].width, 333);
    /* the column at a position, and its borders */
    int32_t left, right;
    int border;
    EXPECT_EQ(PCFColumnAt(d, 1, 3, &left, &right, &border), 0);
    EXPECT_EQ(left, 0);
    int32_t edge = right;
    EXPECT_EQ(PCFColumnAt(d, edge + 1, 3, &left, &right, &border), 0);
    EXPECT_TRUE(border);                          /* the left border belongs to the column before */
    EXPECT_EQ(PCFColumnAt(d, edge + 10, 3, &left, &right, &border), 1);
    EXPECT_FALSE(border);
    EXPECT_EQ(left, edge);
    EXPECT_EQ(PCFColumnAt(d, 1000000, 3, &left, &right, &border), -1);
}

/* ---- sort marks ---- */

TEST_F(Rows, SortMarksOfClicksAndAlt)
{
    int name = Column(d, MQCA_Q_NAME), depth = Column(d, MQIA_CURRENT_Q_DEPTH), type = Column(d, MQIA_Q_TYPE);
    const PCFLISTENTRY *c = PCFDialogColumns(d);
    auto marks = [&](int i) { return c[i].flags & PCFL_SORTMARKS; };
    EXPECT_EQ(marks(name), (uint32_t)PCFL_SORT1);  /* the static list's mark */
    ASSERT_TRUE(PCFSortColumn(d, depth, 0));
    EXPECT_EQ(marks(depth), (uint32_t)PCFL_SORT1);
    EXPECT_EQ(marks(name), 0u);
    ASSERT_TRUE(PCFSortColumn(d, depth, 0));
    EXPECT_EQ(marks(depth), (uint32_t)(PCFL_SORT1 | PCFL_DESCEND));
    ASSERT_TRUE(PCFSortColumn(d, depth, 0));
    EXPECT_EQ(marks(depth), (uint32_t)PCFL_SORT1);
    EXPECT_TRUE(d->displayFlags & 0x200);
    /* Alt on another: the secondary; plain on it toggles it; Alt removes it */
    ASSERT_TRUE(PCFSortColumn(d, name, 1));
    EXPECT_EQ(marks(name), (uint32_t)PCFL_SORT2);
    ASSERT_TRUE(PCFSortColumn(d, name, 0));
    EXPECT_EQ(marks(name), (uint32_t)(PCFL_SORT2 | PCFL_DESCEND));
    EXPECT_EQ(marks(depth), (uint32_t)PCFL_SORT1);
    ASSERT_TRUE(PCFSortColumn(d, name, 1));
    EXPECT_EQ(marks(name), 0u);
    EXPECT_FALSE(d->displayFlags & 0x400);
    /* a plain click on another column keeps the secondary */
    PCFSortColumn(d, name, 1);
    PCFSortColumn(d, type, 0);
    EXPECT_EQ(marks(type), (uint32_t)PCFL_SORT1);
    EXPECT_EQ(marks(name), (uint32_t)PCFL_SORT2);
    /* the area's columns carry the same marks; a column that cannot be sorted ignores clicks */
    PCFLISTPARTS parts;
    PCFListAreaPointers(PCFCurrentArea(&d->first), &parts);
    EXPECT_EQ(parts.columns[type].flags & PCFL_SORTMARKS, (uint32_t)PCFL_SORT1);
    PCFDialogColumns(d)[depth].flags |= PCFL_NOSORT;
    EXPECT_FALSE(PCFSortColumn(d, depth, 0));
    EXPECT_EQ(marks(depth), 0u);
    /* the static list was never written */
    EXPECT_EQ(PCFQueueListDef.list->current[name].flags & PCFL_SORTMARKS, (uint32_t)PCFL_SORT1);
}

TEST_F(Rows, SortMarksCarriedToANewArea)
{
    int depth = Column(d, MQIA_CURRENT_Q_DEPTH), name = Column(d, MQCA_Q_NAME);
    PCFSortColumn(d, depth, 0);
    PCFSortColumn(d, depth, 0);
    PCFSortColumn(d, name, 1);
    /* an area filled for the static columns (as a request sent before) */
    Reply r(MQCMD_INQUIRE_Q, false);
    Queue(r, "X", 1);
    PCFLISTREQ scratch = {};
    scratch.columns = PCFQueueListDef.list->current;
    ASSERT_EQ(FillListArea(nullptr, nullptr, &scratch, r.Bytes(), r.Length(), 0), 0);
    PCFLISTAREA *fresh = scratch.filling;
    PCFLISTPARTS parts;
    PCFListAreaPointers(fresh, &parts);
    EXPECT_EQ(parts.columns[name].flags & PCFL_SORTMARKS, (uint32_t)PCFL_SORT1);
    PCFCopySortMarks(d, &d->first, fresh);
    EXPECT_EQ(parts.columns[depth].flags & PCFL_SORTMARKS, (uint32_t)(PCFL_SORT1 | PCFL_DESCEND));
    EXPECT_EQ(parts.columns[name].flags & PCFL_SORTMARKS, (uint32_t)PCFL_SORT2);
    ReleaseRefBlock(&scratch.filling);
}

/* ---- moves ---- */

TEST(ListMoves, ArrayEntries)
{
    auto before = [](std::vector<int> a, int from, int to) {
        PCFMoveArrayEntry(a.data(), sizeof(int), (int)a.size(), from, to);
        return a;
    };
    auto to = [](std::vector<int> a, int from, int at) {
        PCFMoveArrayEntryTo(a.data(), sizeof(int), (int)a.size(), from, at);
        return a;
    };
    std::vector<int> abcd = { 0, 1, 2, 3 };
    EXPECT_EQ(before(abcd, 0, 2), std::vector<int>({ 1, 0, 2, 3 }));
    EXPECT_EQ(before(abcd, 3, 0), std::vector<int>({ 3, 0, 1, 2 }));
    EXPECT_EQ(before(abcd, 1, 4), std::vector<int>({ 0, 2, 3, 1 }));
    EXPECT_EQ(before(abcd, 2, 2), abcd);
    EXPECT_EQ(to(abcd, 0, 2), std::vector<int>({ 1, 2, 0, 3 }));
    EXPECT_EQ(to(abcd, 3, 1), std::vector<int>({ 0, 3, 1, 2 }));
    EXPECT_EQ(to(abcd, 1, 1), abcd);
    EXPECT_EQ(to({}, 0, 0), std::vector<int>());
}

TEST_F(Rows, ColumnsDraggedSwapNeighboursAndGoBeforeOthers)
{
    Build(d);
    auto order = [&] {
        std::vector<uint32_t> ids;
        for (const PCFLISTENTRY *c = PCFDialogColumns(d); c->field; c++)
            ids.push_back(c->field->attrId);
        return ids;
    };
    std::vector<uint32_t> start = order();
    /* column 2 dropped on 3: the two swap, in the list and every row */
    PCFMoveColumns(d, 1, 2);
    std::vector<uint32_t> swapped = start;
    std::swap(swapped[1], swapped[2]);
    EXPECT_EQ(order(), swapped);
    EXPECT_EQ(newLists, 1);
    EXPECT_TRUE(d->first.ownsColumns);
    EXPECT_TRUE(PCFSameColumns(PCFCurrentArea(&d->first), PCFDialogColumns(d)));
    Build(d);
    EXPECT_EQ(Shown(d, MQCA_Q_NAME), std::vector<std::string>({ "a.q", "A.Q", "B.Q", "SYSTEM.DEF", "SYSTEMX" }));
    EXPECT_EQ(Shown(d, MQIA_CURRENT_Q_DEPTH)[0], "12");
    /* column 3 dropped on 1: first */
    PCFMoveColumns(d, 2, 0);
    EXPECT_EQ(order()[0], swapped[2]);
    Build(d);
    EXPECT_EQ(Shown(d, MQCA_Q_NAME)[1], "A.Q");
    /* the key value moved with its column */
    PCFLISTSTATE *st = PCFListState(d);
    PCFROW *row = st->rows[1].row;
    EXPECT_EQ(std::string((char *)row + row->keyOffset + PCFLV_TEXT, 3), "A.Q");
}

/* ---- columns changed ---- */

TEST_F(Rows, ALostColumnsValuesComeBackEmptyAndOneRefreshIsAsked)
{
    /* the dialog now wants the queue's description, which the rows lack */
    PCFLISTENTRY *columns = PCFCopyColumns(PCFDialogColumns(d), 1);
    int n = PCFColumnCount(columns);
    PCFFieldEntry *desc = PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQCA_Q_DESC);
    ASSERT_NE(desc, nullptr);
    columns[n] = { desc->field, PCFL_USER };
    CHGLIST c = {};
    c.dialog = d;
    c.definition = d->definition;
    c.newList = columns;
    c.requestCode = 131;
    PCFNotifyListUpdate(d->definition, &c);
    EXPECT_EQ(newLists, 1);
    EXPECT_EQ(PCFRebuildLists(d), 1);             /* values are missing: one refresh */
    PCFLISTAREA *rebuilt = d->first.rebuilt;
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->rows, 5u);
    PCFROW *row = PCFFirstRow(rebuilt);
    uint8_t *v = FindItemAttr(rebuilt, MQCA_Q_DESC, row);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(PCFState(v), PCFV_WHITE);
    EXPECT_EQ(PCFListInt(FindItemAttr(rebuilt, MQIA_CURRENT_Q_DEPTH, row)), 7);
    EXPECT_EQ(std::string((char *)row + row->keyOffset + PCFLV_TEXT, 3), "B.Q");
    Build(d);
    EXPECT_EQ(Shown(d, MQCA_Q_DESC)[0], "");
    /* the refresh's reply carries the new column: taken as it is, no further refresh */
    rec.commands.clear();
    d->first.columns = PCFDialogColumns(d);
    Reply r(MQCMD_INQUIRE_Q);
    Queue(r, "Q9", 3).Str(MQCA_Q_DESC, "described");
    d->first.sequence++;
    Feed(d, r);
    EXPECT_EQ(d->first.rebuilt, nullptr);
    EXPECT_TRUE(rec.commands.empty());
    Build(d);
    EXPECT_EQ(Shown(d, MQCA_Q_DESC), std::vector<std::string>({ "described" }));
    /* an old-column reply arriving now is rebuilt and asks for the one refresh */
    Reply old(MQCMD_INQUIRE_Q, false);
    Queue(old, "Q8", 1);
    PCFLISTREQ scratch = {};
    scratch.columns = PCFQueueListDef.list->current;
    FillListArea(nullptr, nullptr, &scratch, old.Bytes(), old.Length(), 0);
    PCFTakeNewArea(d, &d->first, scratch.filling);
    EXPECT_NE(d->first.rebuilt, nullptr);
    EXPECT_EQ(rec.commands, std::vector<uint32_t>({ 1u }));
}

TEST_F(Rows, AColumnListAQueueManagerLacksLosesItsColumns)
{
    QMS windows = {};
    strcpy(windows.qmName, "WINQM");
    CapSetForQmgr(windows.caps, MQPL_WINDOWS_NT, 940);
    PCFLISTENTRY *slot = nullptr;
    uint32_t owns = 0;
    CheckValidOneList(d, &windows, PCFQueueListDef.list->current, &slot, &owns);
    ASSERT_NE(slot, nullptr);
    EXPECT_TRUE(owns);
    EXPECT_EQ(PCFColumnCount(slot), PCFColumnCount(PCFQueueListDef.list->current) - 1);   /* no QSG Disp */
    PCFLISTENTRY *kept = slot;
    CheckValidOneList(d, &windows, kept, &slot, &owns);
    EXPECT_EQ(slot, kept);                         /* every field exists: left alone */
    CSFreeMem(slot);
}

}  // namespace
