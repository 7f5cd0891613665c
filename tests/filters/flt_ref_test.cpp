/* The evaluator against the reference evaluator of fltref.cpp: random
 * programs (every operator, integer, real and string values, fields that
 * may be absent, keyword values, if/else, sequences and blocks, user
 * variables assigned and read, a few pure functions) compiled from their
 * text for a Queue List and evaluated over random rows laid out by the
 * list fill; each row's verdict and the user variables after it agree. */
#include "flttest.h"
#include "fltref.h"
#include "fltint.h"

#include <cmath>
#include <cstdlib>

using namespace flttest;
using namespace fltref;

namespace {

dlgtest::Reply RowsReply(const std::vector<Row> &rows)
{
    dlgtest::Reply r(MQCMD_INQUIRE_Q);
    for (size_t i = 0; i < rows.size(); i++) {
        const Row &w = rows[i];
        if (i)
            r.Separator();
        r.Int(MQIA_MAX_Q_DEPTH, 1);
        if (w.present[F_QUEUE])
            r.Str(MQCA_Q_NAME, w.queue);
        if (w.present[F_DEPTH])
            r.Int(MQIA_CURRENT_Q_DEPTH, w.depth);
        if (w.present[F_TYPE])
            r.Int(MQIA_Q_TYPE, w.type);
        if (w.present[F_DEFTYPE])
            r.Int(MQIA_DEFINITION_TYPE, w.deftype);
        if (w.present[F_CLUSTER])
            r.Str(MQCA_CLUSTER_NAME, w.cluster);
    }
    return r;
}

/* The library's value of a user variable as the reference holds it. */
Value Library(FilterEvalContext *ctx, const char *name)
{
    FLTUSERVAR *uv = FltUserVar(ctx, name);
    Value v;
    if (!uv)
        return v;
    v.type = uv->type;
    v.i = uv->i;
    v.r = uv->r;
    v.s.assign(uv->s, uv->len);
    return v;
}

bool Same(const Value &a, const Value &b)
{
    if (a.type != b.type)
        return false;
    if (a.type == 2)
        return a.i == b.i;
    if (a.type == 4)
        return (std::isnan(a.r) && std::isnan(b.r)) || a.r == b.r;
    return a.s == b.s;
}

std::string Show(const Value &v)
{
    char b[300];
    if (v.type == 2)
        snprintf(b, sizeof b, "int %d", v.i);
    else if (v.type == 4)
        snprintf(b, sizeof b, "real %.17g", v.r);
    else if (v.type == 1)
        snprintf(b, sizeof b, "str '%s'", v.s.c_str());
    else
        snprintf(b, sizeof b, "missing");
    return b;
}

struct Reference : ::testing::Test {
    Recorder rec;
    void SetUp() override
    {
        rec.Install();
        FixedZone(0);
    }
    void TearDown() override { rec.Uninstall(); }
};

TEST_F(Reference, AgreesOnRandomProgramsOverRandomRows)
{
    const char *env = getenv("RAVOLT_FILTER_PROGRAMS");
    int programs = env ? atoi(env) : 3000;
    std::mt19937 rng(20260607);
    int compared = 0;
    for (int p = 0; p < programs && !HasFailure(); p++) {
        int n = 1 + (int)(rng() % 10);
        std::vector<Row> rows;
        for (int i = 0; i < n; i++)
            rows.push_back(RandomRow(rng));
        Node program = Program(rng);
        std::string text = Render(program);
        ListDialog q(&PCFQueueListDef);
        q.Fill(RowsReply(rows));
        ASSERT_EQ(q.Rows().size(), rows.size());
        ASSERT_EQ(Compile(q.d(), text), "") << text;
        Env ref;
        ref.items = n;
        DialogWords *d = q.d();
        FilterEvalContext *ctx = FltDialogContext(d);
        PCFFilterFillBegin(d);
        PCFFilterFillArea(d, q.Area());
        int index = 0;
        for (PCFROW *r : q.Rows()) {
            ref.index = index;
            ref.last = index == n - 1;
            ref.first = index == 0;
            bool expected = Truth(Evaluate(program, ref, rows[(size_t)index]));
            int got = PCFFilterFillRow(d, r, index, index == n - 1);
            ASSERT_EQ(got, expected ? 1 : 0) << text << "\nrow " << index;
            for (const char *name : UserVars) {
                Value want = ref.Var(name), have = Library(ctx, name);
                ASSERT_TRUE(Same(want, have)) << text << "\nrow " << index << " " << name << ": reference "
                                              << Show(want) << ", library " << Show(have);
            }
            index++;
            compared++;
        }
        PCFFilterFillEnd(d);
    }
    EXPECT_GT(compared, programs);
}

}  // namespace
