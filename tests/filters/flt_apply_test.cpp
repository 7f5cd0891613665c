/* A filter applied to a list dialog: compiling only when the text
 * changes, clearing, a failed compile keeping the previous filter with
 * its error shown and selected (or the Filter Manager opened on a named
 * filter), the recent-filter lists, the columns a filter asks for (user
 * variables included) and its passes over the rows: "_last" per list
 * area, a second pass on "_rescan", assignments to user variables and
 * their columns. */
#include "flttest.h"
#include "fltint.h"
#include "pcflists.h"

using namespace flttest;

namespace {

struct Apply : ::testing::Test {
    Recorder rec;
    ListDialog *q = nullptr;
    void SetUp() override
    {
        rec.Install();
        q = new ListDialog(&PCFQueueListDef);
        q->Fill(Queues({ { "Q.A", MQQT_LOCAL, 5, 100 }, { "Q.B", MQQT_LOCAL, 500, 1000 },
                         { "R.C", MQQT_REMOTE, 0, 10 } }));
    }
    void TearDown() override
    {
        delete q;
        ClearNamed();
        rec.Uninstall();
    }
    int New(const std::string &text, int refresh = 0)
    {
        rec.field = text;
        return PCFNewFilter(q->d(), refresh);
    }
    FilterProgram *Prog() { return (FilterProgram *)q->d()->filterProgram; }
    std::vector<std::string> Recent(CSLIST &l)
    {
        std::vector<std::string> v;
        for (CSLISTELEM *e = l.first; e; e = e->next)
            v.push_back((const char *)(e + 1));
        return v;
    }
    std::vector<std::string> Titles()
    {
        std::vector<std::string> t;
        for (PCFLISTENTRY *c = FltDialogColumns(q->d()); c && c->field; c++)
            t.push_back(std::string(c->field->shortTitle) + (c->flags & 0x10000 ? "-" : c->flags & 2 ? "+" : ""));
        return t;
    }
};

TEST_F(Apply, CompilesOnlyWhenTheTextChanges)
{
    EXPECT_EQ(New("  curdepth > 100  "), 0);
    FilterProgram *first = Prog();
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(q->d()->filterText, "curdepth > 100");
    EXPECT_EQ(New("curdepth > 100"), 0);
    EXPECT_EQ(Prog(), first);
    EXPECT_EQ(rec.valueFills, 1);
    /* a changed text compiles again and clears the user's sort choice */
    q->d()->displayFlags |= 0x600;
    EXPECT_EQ(New("curdepth > 1"), 0);
    EXPECT_EQ(q->d()->displayFlags & 0x600, 0u);
    EXPECT_EQ(Shown(q->d()), std::vector<int>({ 0, 1 }));
    /* clearing frees the program and shows every row */
    int64_t before = Blocks();
    EXPECT_EQ(New("   "), 0);
    EXPECT_EQ(Prog(), nullptr);
    EXPECT_EQ(q->d()->filterText, nullptr);
    EXPECT_LT(Blocks(), before);
    EXPECT_EQ(Shown(q->d()), std::vector<int>({ 0, 1, 2 }));
    /* no filter field: nothing happens */
    rec.noField = 1;
    EXPECT_EQ(New("curdepth > 1"), 0);
    EXPECT_EQ(Prog(), nullptr);
}

TEST_F(Apply, AFailedCompileKeepsThePreviousFilterAndSelectsTheError)
{
    ASSERT_EQ(New("curdepth > 100"), 0);
    FilterProgram *kept = Prog();
    EXPECT_EQ(New("type = local & nosuch > 1"), 1);
    EXPECT_EQ(Prog(), kept);
    EXPECT_STREQ(q->d()->filterText, "curdepth > 100");
    EXPECT_EQ(rec.LastStatus(6), "Unrecognised keyword 'nosuch'");
    ASSERT_EQ(rec.selections.size(), 1u);
    EXPECT_EQ(rec.selections[0], std::make_pair(15, 21));
    EXPECT_EQ(Shown(q->d()), std::vector<int>({ 1 }));
    /* an error inside a named filter opens the Filter Manager on it */
    Named("OUTER", "type = local & $INNER");
    Named("INNER", "curdepth >");
    EXPECT_EQ(New("$OUTER"), 1);
    EXPECT_EQ(rec.LastStatus(6), "OUTER/INNER:Unexpected operator '> '");
    EXPECT_EQ(rec.namedErrors, std::vector<std::string>({ "INNER:9-10" }));
    EXPECT_EQ(rec.selections.size(), 1u);
    EXPECT_EQ(Prog(), kept);
}

TEST_F(Apply, RecentFilterLists)
{
    FltPrefs.recentMax = 3;
    for (const char *t : { "curdepth > 1", "curdepth > 2", "curdepth > 3", "curdepth > 2", "curdepth > 4" })
        ASSERT_EQ(New(t), 0);
    EXPECT_EQ(Recent(rec.own), std::vector<std::string>({ "curdepth > 4", "curdepth > 2", "curdepth > 3" }));
    EXPECT_EQ(Recent(rec.kind), Recent(rec.own));
    /* one list serving both is not doubled */
    rec.sharedList = 1;
    ASSERT_EQ(New("curdepth > 5"), 0);
    EXPECT_EQ(Recent(rec.own), std::vector<std::string>({ "curdepth > 5", "curdepth > 4", "curdepth > 2" }));
    /* a failed compile is not remembered */
    EXPECT_EQ(New("curdepth >"), 1);
    EXPECT_EQ(Recent(rec.own).front(), "curdepth > 5");
    FltPrefsDefaults();
}

TEST_F(Apply, ColumnsTheFilterAsksFor)
{
    /* a field that is no column: appended, hidden, then found in the rows */
    ASSERT_EQ(New("curdepth > maxdepth / 2"), 0);
    EXPECT_EQ(rec.refreshLists, 1);
    EXPECT_EQ(Titles().back(), "Maximum Queue Depth");
    std::vector<int> before = Shown(q->d());
    EXPECT_EQ(rec.LastStatus(2), "Variable maxdepth not found.");
    EXPECT_TRUE(before.empty());
    q->Fill(Queues({ { "Q.A", MQQT_LOCAL, 5, 100 }, { "Q.B", MQQT_LOCAL, 500, 1000 },
                     { "R.C", MQQT_REMOTE, 9, 10 } }));
    EXPECT_EQ(Shown(q->d()), std::vector<int>({ 2 }));
    /* "#" shows a column, hidecol hides one, showcol places one */
    ASSERT_EQ(New("curdepth > 0; maxdepth#; hidecol(type); showcol(curdepth, 1)"), 0);
    std::vector<std::string> t = Titles();
    EXPECT_EQ(t[1], "Depth+");
    EXPECT_EQ(t[3], "Type-");
    EXPECT_EQ(t.back(), "Maximum Queue Depth+");
    /* the same text again asks for no new columns */
    int refreshes = rec.refreshLists;
    EXPECT_EQ(New("curdepth > 0; maxdepth#; hidecol(type); showcol(curdepth, 1)"), 0);
    EXPECT_EQ(rec.refreshLists, refreshes);
    /* another filter undoes the marks the previous one put */
    ASSERT_EQ(New("1"), 0);
    t = Titles();
    EXPECT_EQ(t[3], "Type+");
    EXPECT_EQ(t.back(), "Maximum Queue Depth");
    /* a user variable with "#" gets a column of its own, titled with its name */
    ASSERT_EQ(New("@count# := _index * 10; @$tag# := queue + '!'; @@half# := curdepth / 2"), 0);
    t = Titles();
    ASSERT_GE(t.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(t.end() - 3, t.end()), std::vector<std::string>({ "count+", "tag+", "half+" }));
    q->Fill(Queues({ { "Q.A", MQQT_LOCAL, 5, 100 }, { "Q.B", MQQT_LOCAL, 500, 1000 } }));
    EXPECT_EQ(Shown(q->d()), std::vector<int>({ 0, 1 }));
    std::vector<PCFROW *> rows = q->Rows();
    const PCFFieldDef *count = PCFUserVarField("@count"), *tag = PCFUserVarField("@$tag"),
                      *half = PCFUserVarField("@@half");
    EXPECT_EQ(count->type, PCFT_SIGNED);
    EXPECT_EQ(tag->type, PCFT_WIDE17);
    EXPECT_EQ(half->type, PCFT_REAL);
    EXPECT_EQ(q->Int(rows[1], count->attrId), 10);
    uint8_t *rec1 = q->Record(rows[1], tag->attrId);
    EXPECT_EQ(std::string((char *)rec1 + PCFLV_TEXT, PCFListLength(rec1)), "Q.B!");
    EXPECT_EQ(FGetReal(q->Record(rows[1], half->attrId) + PCFLV_INT), 250.0);
    EXPECT_TRUE(PCFState(q->Record(rows[1], count->attrId)) & FLTV_CHANGED);
}

TEST_F(Apply, AssignmentsWriteOnlyUserVariables)
{
    ASSERT_EQ(New("@$t# := '" + std::string(120, 'x') + "'; curdepth := 77; queue := 'ZZ'; _index := 9; "
                  "_rescan := 0; @v := (curdepth := 5); 1"),
              0);
    q->Fill(Queues({ { "Q.A", MQQT_LOCAL, 5, 100 } }));
    EXPECT_EQ(Shown(q->d()), std::vector<int>({ 0 }));
    PCFROW *r = q->Rows()[0];
    EXPECT_EQ(q->Int(r, MQIA_CURRENT_Q_DEPTH), 5);
    EXPECT_EQ(q->Text(r, MQCA_Q_NAME), "Q.A");
    EXPECT_EQ(FltUserVar(FltDialogContext(q->d()), "@v")->i, 0);
    /* the 62-byte record of a string column takes 49 characters */
    uint8_t *t = q->Record(r, PCFUserVarField("@$t")->attrId);
    EXPECT_EQ(PCFListLength(t), 49);
    EXPECT_EQ(std::string((char *)t + PCFLV_TEXT, 49), std::string(49, 'x'));
    EXPECT_EQ(t[PCFLV_TEXT + 49], 0);
}

TEST_F(Apply, UserVariablesSurviveRecompilesAndRefreshes)
{
    ASSERT_EQ(New("@n := @n + 1; @$names := @$names + queue"), 0);
    Shown(q->d());
    ASSERT_EQ(New("@n := @n + 10; 1"), 0);
    Shown(q->d());
    FilterEvalContext *ctx = FltDialogContext(q->d());
    EXPECT_EQ(FltUserVar(ctx, "@n")->i, 33);
    EXPECT_EQ(std::string(FltUserVar(ctx, "@$names")->s), "Q.AQ.BR.C");
    /* "%" names give each object its own variable */
    ASSERT_EQ(New("@seen%n := @seen%n + 1; @$where%O := _qmname + _locname; @%% := 1"), 0);
    Shown(q->d());
    Shown(q->d());
    EXPECT_EQ(FltUserVar(ctx, "@seenQ.B")->i, 2);
    EXPECT_EQ(std::string(FltUserVar(ctx, "@$where|R.C")->s), "QM1First location");
    EXPECT_EQ(FltUserVar(ctx, "@%")->i, 1);
    /* a very long completed name is bounded */
    ASSERT_EQ(New("@" + std::string(250, 'n') + "%o%o%o%o%o := 1"), 0);
    EXPECT_EQ(Shown(q->d()).size(), 3u);
}

TEST_F(Apply, PassesLastPerAreaAndRescan)
{
    ASSERT_EQ(New("@seen := @seen + 1; if (_last) @lastrow := _index; if (_first) @firsts := @firsts + 1; "
                  "if (_index = 1 & !_scan) _rescan := 1; @items := _items; _scan | _index <> 1"),
              0);
    std::vector<int> v = Fill(q->d());
    EXPECT_EQ(v, std::vector<int>({ 1, 1, 1 }));
    FilterEvalContext *ctx = FltDialogContext(q->d());
    EXPECT_EQ(FltUserVar(ctx, "@seen")->i, 6);
    EXPECT_EQ(FltUserVar(ctx, "@lastrow")->i, 2);
    EXPECT_EQ(FltUserVar(ctx, "@firsts")->i, 2);
    EXPECT_EQ(FltUserVar(ctx, "@items")->i, 3);
}

TEST_F(Apply, TheDialogsFieldSortsRunBeforeTheRefresh)
{
    EXPECT_EQ(New("sortd(curdepth)", 1), 0);
    EXPECT_EQ(rec.updates, 1);
    PCFLISTENTRY *cols = FltDialogColumns(q->d());
    EXPECT_EQ(cols[8].flags & 0x4C, 12u);
    /* without a list area the refresh is posted */
    ListDialog empty(&PCFQueueListDef);
    rec.field = "curdepth > 1";
    EXPECT_EQ(PCFNewFilter(empty.d(), 1), 0);
    EXPECT_EQ(rec.posts, 1);
    /* a dialog showing the lists of several queue managers: a changed or
       removed filter brings the definition's own sort marks back, on its
       list and its list area, and a removed one shows the dialog's own
       list again */
    DialogWords *d = q->d();
    d->lists = &d->first;
    auto marks = [&](uint32_t attrId) {
        uint32_t both = 0;
        PCFLISTPARTS parts;
        PCFListAreaPointers(q->Area(), &parts);
        for (const PCFLISTENTRY *l : { (const PCFLISTENTRY *)FltDialogColumns(d), (const PCFLISTENTRY *)parts.columns })
            for (int i = 0; l[i].field; i++)
                if (l[i].field->attrId == attrId)
                    both = both << 8 | (l[i].flags & 0x4C);
        return both;
    };
    EXPECT_EQ(marks(MQIA_CURRENT_Q_DEPTH), 0x0C0Cu);
    EXPECT_EQ(marks(MQCA_Q_NAME), 0u);
    ASSERT_EQ(New("sortd2(maxdepth)", 1), 0);
    EXPECT_EQ(marks(MQCA_Q_NAME), 0x0404u);
    EXPECT_EQ(marks(MQIA_CURRENT_Q_DEPTH), 0u);
    EXPECT_EQ(marks(MQIA_MAX_Q_DEPTH) & 0xFF, 0x48u);
    ASSERT_EQ(New("sortd(curdepth)", 1), 0);
    d->first.flags &= ~(uint32_t)PCFLR_SELECTED;      /* its own list deselected meanwhile */
    ASSERT_EQ(New("", 1), 0);
    EXPECT_EQ(marks(MQCA_Q_NAME), 0x0404u);
    EXPECT_EQ(marks(MQIA_CURRENT_Q_DEPTH), 0u);
    EXPECT_EQ(marks(MQIA_MAX_Q_DEPTH), 0u);           /* the removed secondary sort too */
    EXPECT_EQ(d->first.flags & PCFLR_SELECTED, (uint32_t)PCFLR_SELECTED);
    d->lists = nullptr;
}

/* The WHERE condition a filter gives the list's requests: the first
 * comparison of a field with a constant that every shown row passes and
 * the queue manager takes; none for a filter the queue manager cannot
 * share; a changed condition asks for the list again. */
TEST_F(Apply, TheWhereConditionOfTheListRequests)
{
    const int32_t none = 0;
    const struct { const char *text; int32_t type, parameter, op, value; const char *string; } filters[] = {
        { "curdepth > 10", MQCFT_INTEGER_FILTER, MQIA_CURRENT_Q_DEPTH, MQCFOP_GREATER, 10, nullptr },
        { "10 < curdepth", MQCFT_INTEGER_FILTER, MQIA_CURRENT_Q_DEPTH, MQCFOP_GREATER, 10, nullptr },
        { "maxdepth <= 5000 & curdepth > 1", MQCFT_INTEGER_FILTER, MQIA_MAX_Q_DEPTH, MQCFOP_NOT_GREATER, 5000,
          nullptr },
        { "type = local", MQCFT_INTEGER_FILTER, MQIA_Q_TYPE, MQCFOP_EQUAL, MQQT_LOCAL, nullptr },
        { "curdepth + 1 > 3 && descr == 'pay*'", MQCFT_STRING_FILTER, MQCA_Q_DESC, MQCFOP_LIKE, 0, "pay*" },
        { "descr != 'x'", MQCFT_STRING_FILTER, MQCA_Q_DESC, MQCFOP_NOT_EQUAL, 0, "x" },
        { "descr == 'payments*'", MQCFT_STRING_FILTER, MQCA_Q_DESC, MQCFOP_LIKE, 0, "payments*" },
        /* a field of named values: equal or not equal only, an order stays with the program */
        { "put != 1", MQCFT_INTEGER_FILTER, MQIA_INHIBIT_PUT, MQCFOP_NOT_EQUAL, 1, nullptr },
        { "type > local & curdepth > 3", MQCFT_INTEGER_FILTER, MQIA_CURRENT_Q_DEPTH, MQCFOP_GREATER, 3, nullptr },
        { "put >= 1", none }, { "type > local", none }, { "1 <= put", none },
        /* none the queue manager compares as the filter does */
        { "descr == '*pay'", none }, { "descr == 'p?y*'", none }, { "descr = 'x '", none },
        { "descr < 'M'", none }, { "curdepth > 10 | maxdepth > 1", none }, { "!(curdepth > 10)", none },
        { "curdepth > maxdepth", none }, { "curdepth > 1.5", none }, { "@n := 1; curdepth > 10", none },
        { "curdepth > 10 & bg(1, red)", none }, { "curdepth > 10 & _index > 1", none },
    };
    for (const auto &f : filters) {
        ASSERT_EQ(New(f.text), 0) << f.text;
        uint32_t length = 0;
        const uint8_t *w = PCFWhereFilter(q->d(), &length);
        if (!f.type) {
            EXPECT_EQ(w, nullptr) << f.text;
            continue;
        }
        ASSERT_NE(w, nullptr) << f.text;
        int32_t head[4];
        memcpy(head, w, sizeof head);
        EXPECT_EQ(head[0], f.type) << f.text;
        EXPECT_EQ(head[2], f.parameter) << f.text;
        EXPECT_EQ(head[3], f.op) << f.text;
        int32_t value, n;
        memcpy(&value, w + 16, 4);
        memcpy(&n, w + 20, 4);
        if (f.string)
            EXPECT_EQ(std::string((const char *)w + 24, (size_t)n), f.string) << f.text;
        else
            EXPECT_EQ(value, f.value) << f.text;
    }
    /* a changed condition asks for the list again, the same one does not */
    ASSERT_EQ(New("curdepth > 10"), 0);
    int posts = rec.posts;
    ASSERT_EQ(New(" curdepth > 10 ", 1), 0);
    EXPECT_EQ(rec.posts, posts);
    ASSERT_EQ(New("curdepth > 20", 1), 0);
    EXPECT_EQ(rec.posts, posts + 1);
    ASSERT_EQ(New("", 1), 0);
    EXPECT_EQ(q->d()->whereFilter, nullptr);
    EXPECT_EQ(rec.posts, posts + 2);
    /* a list of the program's own command (messages) has none */
    ListDialog messages(&PCFMessageListDef);
    rec.field = "msglen > 100";
    ASSERT_EQ(PCFNewFilter(messages.d(), 0), 0);
    EXPECT_EQ(messages.d()->whereFilter, nullptr);
}

}  // namespace
