/* The evaluation plan against the prefix-stream walker it replaced, kept
 * here as it was as the reference: each program compiled into two Queue
 * List dialogs over the same rows, one evaluated by the library and one
 * by the walker row by row; the verdicts, the values, the rows (flags,
 * sort keys, colours, every cell), the text sort keys, the user
 * variables and the status texts, beeps and commands must agree.
 * Programs: every operator between two leaves (fields absent on some
 * rows, integers, reals, strings and wildcard patterns of every form,
 * user variables, system fields), the reference generator's random
 * programs, the fuzz corpus and random token streams.  And the row walk
 * that binds the variables against PCFNextValue, over areas with a
 * column of every record type. */
#include "flttest.h"
#include "fltref.h"
#include "fltfuzz.h"
#include "fltint.h"

#include <cmath>
#include <map>
#include <memory>

using namespace flttest;

extern const PCFFieldDef FD_MQIA_CURRENT_Q_DEPTH;

namespace {

/* ---- the walker --------------------------------------------------------- */

namespace walker {

FVAL *Push(FilterEvalContext *ctx, int n)
{
    FVAL *v = ctx->slots + ctx->slotTop;
    ctx->slotTop += n;
    return v;
}

void Pop(FilterEvalContext *ctx, int n) { ctx->slotTop -= n; }

void EvalNode(FilterEvalContext *ctx, const uint8_t **cursor, FVAL *out);

void Operand(FilterEvalContext *ctx, const uint8_t **cursor, FVAL *out)
{
    const FNODE *n = (const FNODE *)*cursor;
    if (n->kind & (FK_CONST | FK_VAR)) {
        *cursor += n->length;
        FValFromNode(n, out);
    } else {
        EvalNode(ctx, cursor, out);
    }
}

void Unary(uint16_t code, const FVAL *v, FVAL *out)
{
    switch (v->type) {
    case FLT_STRING: {
        int32_t len = (int32_t)v->len;
        FValInt(out, code == FOP_NOT ? len == 0 : code == FOP_NEG ? -len : len);
        return;
    }
    case FLT_INT:
        FValInt(out, code == FOP_NOT ? v->i == 0 : code == FOP_NEG ? (int32_t)(0u - (uint32_t)v->i) : v->i);
        return;
    case FLT_REAL:
        FValReal(out, code == FOP_NOT ? (v->r == 0.0) : code == FOP_NEG ? -v->r : v->r);
        return;
    }
    FValInt(out, 0);
}

void EvalIf(FilterEvalContext *ctx, const FIFNODE *f, const uint8_t **cursor, FVAL *out)
{
    const uint8_t *start = (const uint8_t *)f;
    FVAL *cond = Push(ctx, 1);
    EvalNode(ctx, cursor, cond);
    int truth = FValTruth(cond);
    Pop(ctx, 1);
    uint32_t branch = truth ? f->trueOffset : f->falseOffset;
    if (branch) {
        const uint8_t *at = start + branch;
        EvalNode(ctx, &at, out);
    } else {
        FValInt(out, truth ? 1 : 0);
    }
    *cursor = start + f->size;
}

void EvalSequence(FilterEvalContext *ctx, const uint8_t **cursor, FVAL *out)
{
    int headers = 1;
    while (((const FNODE *)*cursor)->code == FOP_SEQ && FNodeKind((const FNODE *)*cursor) == FK_BINARY) {
        *cursor += ((const FNODE *)*cursor)->length;
        headers++;
    }
    FVAL *tmp = Push(ctx, 1);
    for (int i = 0; i < headers; i++)
        EvalNode(ctx, cursor, tmp);
    Pop(ctx, 1);
    EvalNode(ctx, cursor, out);
}

void EvalCall(FilterEvalContext *ctx, const FCALLNODE *c, const uint8_t **cursor, FVAL *out)
{
    int n = (int)c->count;
    FVAL *args = Push(ctx, n);
    for (int i = 0; i < n; i++)
        Operand(ctx, cursor, &args[i]);
    const FLTFUNC *f = c->func;
    if (!f->missing)
        for (int i = 0; i < n; i++)
            if (!args[i].type && args[i].var) {
                if (f->action)
                    FValInt(out, 1);
                else
                    FValMissing(out);
                Pop(ctx, n);
                return;
            }
    FValInt(out, 1);
    f->handler(ctx, c, args, n, out);
    Pop(ctx, n);
}

void EvalNode(FilterEvalContext *ctx, const uint8_t **cursor, FVAL *out)
{
    const FNODE *n = (const FNODE *)*cursor;
    *cursor += n->length;
    switch (FNodeKind(n)) {
    case FK_CONST:
    case FK_VAR:
        FValFromNode(n, out);
        return;
    case FK_UNARY:
        if (n->code == FOP_IF) {
            EvalIf(ctx, (const FIFNODE *)n, cursor, out);
        } else {
            FVAL *v = Push(ctx, 1);
            EvalNode(ctx, cursor, v);
            Unary(n->code, v, out);
            Pop(ctx, 1);
        }
        return;
    }
    if (n->code == FOP_SEQ) {
        EvalSequence(ctx, cursor, out);
        return;
    }
    if (n->code == FOP_CALL) {
        EvalCall(ctx, (const FCALLNODE *)n, cursor, out);
        return;
    }
    FVAL *right = Push(ctx, 2), *left = right + 1;
    Operand(ctx, cursor, right);
    Operand(ctx, cursor, left);
    PCFEvalOperator(ctx, n, right, left, out);
    Pop(ctx, 2);
}

int Expression(FilterEvalContext *ctx, FilterProgram *program, int *result)
{
    if (!program || !program->used) {
        if (result && !(program && (program->flags & FLTP_INITIAL)))
            *result = 1;
        ctx->first = 0;
        return 0;
    }
    if (FltEnsureSlots(ctx, program->slotNeed))
        return 1;
    ctx->program = program;
    ctx->slotTop = 0;
    FVAL *v = Push(ctx, 1);
    const uint8_t *cursor = program->first;
    EvalNode(ctx, &cursor, v);
    if (result && !(program->flags & FLTP_INITIAL))
        *result = FValTruth(v);
    Pop(ctx, 1);
    ctx->first = 0;
    return 0;
}

/* PCFFilterFillRow with the walker. */
int FillRow(DialogWords *d, PCFROW *row, int index, int last)
{
    row->flags &= FLTR_KEEP;
    FilterProgram *prog = (FilterProgram *)d->filterProgram;
    FilterEvalContext *ctx = FltDialogContext(d);
    if (!prog || !ctx)
        return 1;
    ctx->last = last;
    ctx->index = index;
    ctx->sortText[0] = ctx->sortText[1] = nullptr;
    if (PCFEvalVarColumns(d, row))
        return 0;
    int shown = 0;
    if (Expression(ctx, prog, &shown))
        return -1;
    if (shown && (row->flags & (FLTR_FLASH | FLTR_CELLFLASH))) {
        ((FLTDIALOG *)d->filterContext)->state.flashing = 1;
        FltFlashing = 1;
    }
    return shown != 0;
}

}  // namespace walker

/* ---- what a row leaves behind ------------------------------------------ */

struct Value {
    int type = 0;
    int32_t i = 0;
    double r = 0;
    std::string s;
    bool var = false;
    bool operator==(const Value &o) const
    {
        return type == o.type && var == o.var && (type != FLT_INT || i == o.i) &&
               (type != FLT_REAL || r == o.r || (std::isnan(r) && std::isnan(o.r))) &&
               (type != FLT_STRING || s == o.s);
    }
};

Value Take(const FVAL *v)
{
    Value t;
    t.type = v->type;
    t.var = v->var != nullptr;
    if (v->type == FLT_INT)
        t.i = v->i;
    else if (v->type == FLT_REAL)
        t.r = v->r;
    else if (v->type == FLT_STRING)
        t.s.assign(v->s, v->len);
    return t;
}

std::string Show(const Value &v)
{
    char b[300];
    if (v.type == FLT_INT)
        snprintf(b, sizeof b, "int %d", v.i);
    else if (v.type == FLT_REAL)
        snprintf(b, sizeof b, "real %.17g", v.r);
    else if (v.type == FLT_STRING)
        snprintf(b, sizeof b, "str '%s'", v.s.c_str());
    else
        snprintf(b, sizeof b, "missing");
    return std::string(b) + (v.var ? " (variable)" : "");
}

void TakeUserVar(CSTREE *node, void *context)
{
    const FLTUSERVAR *uv = (const FLTUSERVAR *)node;
    Value v;
    v.type = uv->type;
    v.i = uv->i;
    v.r = uv->r;
    v.s.assign(uv->s, uv->len);
    (*(std::map<std::string, Value> *)context)[uv->name] = v;
}

/* Everything one evaluation of a row leaves, as text for the message. */
struct Outcome {
    int verdict = 0;
    Value value;
    std::string row;              /* flags, keys, colours and the cells */
    std::string sortTexts;
    std::map<std::string, Value> vars;
    std::string events;
    bool operator==(const Outcome &o) const
    {
        return verdict == o.verdict && value == o.value && row == o.row && sortTexts == o.sortTexts &&
               vars == o.vars && events == o.events;
    }
};

/* The row's flags, keys and colours, then its cells, as bytes. */
std::string RowImage(PCFROW *row)
{
    uint32_t head[] = { row->flags, row->primaryKey, row->secondaryKey, row->keyLength[0], row->keyLength[1],
                        row->colours[0], row->colours[1], row->colours[2] };
    std::string image((const char *)head, sizeof head);
    return image.append((const char *)row + PCFLA_ROWHEADER, row->length - PCFLA_ROWHEADER);
}

std::string Hex(const std::string &bytes)
{
    std::string text;
    char b[4];
    for (unsigned char c : bytes) {
        snprintf(b, sizeof b, "%02x", c);
        text += b;
    }
    return text;
}

std::string Events(const Recorder &rec, size_t statuses, size_t commands, size_t sounds, int beeps)
{
    std::string e;
    for (size_t k = statuses; k < rec.statuses.size(); k++)
        e += "status " + std::to_string(rec.statuses[k].mode) + " " + rec.statuses[k].text + "\n";
    for (size_t k = commands; k < rec.commands.size(); k++)
        e += "command " + rec.commands[k] + "\n";
    for (size_t k = sounds; k < rec.sounds.size(); k++)
        e += "sound " + rec.sounds[k] + "\n";
    return e + "beeps " + std::to_string(rec.beeps - beeps);
}

/* ---- the two sides ------------------------------------------------------ */

struct Twins : ::testing::Test {
    Recorder rec;
    ListDialog *plan = nullptr, *walk = nullptr;
    int compared = 0, programs = 0;

    void SetUp() override
    {
        rec.Install();
        FixedZone(0);
    }
    void TearDown() override
    {
        delete plan;
        delete walk;
        rec.Uninstall();
    }

    void Rows(const dlgtest::Reply &reply)
    {
        delete plan;
        delete walk;
        plan = new ListDialog(&PCFQueueListDef);
        walk = new ListDialog(&PCFQueueListDef);
        plan->Fill(reply);
        walk->Fill(reply);
        ASSERT_EQ(plan->Rows().size(), walk->Rows().size());
        ASSERT_FALSE(plan->Rows().empty());
    }

    Outcome One(ListDialog *q, PCFROW *row, int index, int last, bool byPlan)
    {
        size_t statuses = rec.statuses.size(), commands = rec.commands.size(), sounds = rec.sounds.size();
        int beeps = rec.beeps;
        DialogWords *d = q->d();
        FilterEvalContext *ctx = FltDialogContext(d);
        Outcome o;
        if (ctx->slots)
            FValMissing(&ctx->slots[0]);
        o.verdict = byPlan ? PCFFilterFillRow(d, row, index, last) : walker::FillRow(d, row, index, last);
        if (ctx->slots)
            o.value = Take(&ctx->slots[0]);
        o.row = RowImage(row);
        for (int k = 0; k < 2; k++)
            o.sortTexts += (ctx->sortText[k] ? std::string(ctx->sortText[k], ctx->sortLength[k]) : "-") + "|";
        CSTreeForEach(ctx->userVars, TakeUserVar, &o.vars);
        o.events = Events(rec, statuses, commands, sounds, beeps);
        return o;
    }

    /* Compiles the text on both sides (a valid one must compile) and
     * runs the list fill's passes over the rows, comparing each row. */
    void Check(const std::string &text, bool valid = true)
    {
        std::string error = Compile(plan->d(), text);
        ASSERT_EQ(Compile(walk->d(), text), error) << text;
        if (valid) {
            ASSERT_EQ(error, "") << text;
        }
        if (!error.empty())
            return;
        programs++;
        DialogWords *dp = plan->d(), *dw = walk->d();
        std::vector<PCFROW *> rowsP = plan->Rows(), rowsW = walk->Rows();
        int n = (int)rowsP.size();
        PCFFilterFillBegin(dp);
        PCFFilterFillBegin(dw);
        for (int pass = 0; pass < 2; pass++) {
            PCFFilterFillArea(dp, plan->Area());
            PCFFilterFillArea(dw, walk->Area());
            for (int i = 0; i < n; i++) {
                Outcome p = One(plan, rowsP[(size_t)i], i, i == n - 1, true);
                Outcome w = One(walk, rowsW[(size_t)i], i, i == n - 1, false);
                compared++;
                if (p == w)
                    continue;
                std::string vars;
                for (auto &[name, v] : p.vars)
                    if (!w.vars.count(name) || !(w.vars[name] == v))
                        vars += name + ": plan " + Show(v) + ", walker " +
                                (w.vars.count(name) ? Show(w.vars[name]) : "absent") + "\n";
                FAIL() << text << "\npass " << pass << " row " << i << "\nverdict " << p.verdict << " / "
                       << w.verdict << "\nvalue " << Show(p.value) << " / " << Show(w.value) << "\nrow\n  "
                       << Hex(p.row) << "\n  " << Hex(w.row) << "\nsort texts " << p.sortTexts << " / " << w.sortTexts
                       << "\n" << vars << "events\n" << p.events << "\n--\n" << w.events;
            }
            int again = PCFFilterFillRescan(dp);
            ASSERT_EQ(PCFFilterFillRescan(dw), again) << text;
            if (!again)
                break;
        }
        PCFFilterFillEnd(dp);
        PCFFilterFillEnd(dw);
    }
};

/* Queues with every field absent on some row, names that the patterns
 * below match in every way, and depths at the integer edges. */
dlgtest::Reply EdgeRows()
{
    static const char *const names[] = { "QUEUE.A", "Q.B", "Q", "QB", "", "abc", "ABCDEF", "A", "QUEUE.",
                                         "Q*B", "?", "L" };
    static const int32_t depths[] = { 0, 1, -1, 100, 2147483647, (int32_t)0x80000000, 7, 5000 };
    static const int32_t types[] = { 1, 2, 3, 6, 7 };
    dlgtest::Reply r(MQCMD_INQUIRE_Q);
    for (int i = 0; i < 16; i++) {
        if (i)
            r.Separator();
        r.Int(MQIA_MAX_Q_DEPTH, 1);
        if (i % 7 != 3)
            r.Str(MQCA_Q_NAME, names[i % 12]);
        if (i % 5 != 2)
            r.Int(MQIA_CURRENT_Q_DEPTH, depths[i % 8]);
        if (i % 6 != 4)
            r.Int(MQIA_Q_TYPE, types[i % 5]);
        if (i % 3 == 0)
            r.Str(MQCA_CLUSTER_NAME, i % 2 ? "CL1" : "Q.B");
    }
    return r;
}

dlgtest::Reply RandomRows(std::mt19937 &rng, int n)
{
    dlgtest::Reply r(MQCMD_INQUIRE_Q);
    for (int i = 0; i < n; i++) {
        fltref::Row w = fltref::RandomRow(rng);
        if (i)
            r.Separator();
        r.Int(MQIA_MAX_Q_DEPTH, 1);
        if (w.present[fltref::F_QUEUE])
            r.Str(MQCA_Q_NAME, w.queue);
        if (w.present[fltref::F_DEPTH])
            r.Int(MQIA_CURRENT_Q_DEPTH, w.depth);
        if (w.present[fltref::F_TYPE])
            r.Int(MQIA_Q_TYPE, w.type);
        if (w.present[fltref::F_DEFTYPE])
            r.Int(MQIA_DEFINITION_TYPE, w.deftype);
        if (w.present[fltref::F_CLUSTER])
            r.Str(MQCA_CLUSTER_NAME, w.cluster);
    }
    return r;
}

TEST_F(Twins, EveryOperatorBetweenTwoLeaves)
{
    Rows(EdgeRows());
    static const char *const leaves[] = {
        "curdepth", "type", "queue", "cluster", "deftype", "0", "7", "-1", "2147483647", "0x80000000", "1.5",
        "''", "'*'", "'**'", "'Q*'", "'Q**'", "'QUEUE.A'", "'QUEUE.*'", "'Q*B'", "'Q.?'", "'?'", "'*B'",
        "'abc'", "'ABC*'", "'Q'", "@a", "@$s", "@@x", "_index", "_qmname",
    };
    static const char *const ops[] = { "+", "-", "*", "/", "mod", "<", ">", "<=", ">=", "=", "==", "!=",
                                       "<>", "&", "&&", "|", "||" };
    Check("@a := 3; @$s := 'Q.B'; @@x := 2.5; 1");
    for (const char *left : leaves)
        for (const char *op : ops)
            for (const char *right : leaves) {
                Check(std::string(left) + " " + op + " " + right);
                if (HasFatalFailure() || HasFailure())
                    return;
            }
    EXPECT_EQ(programs, 1 + 30 * 17 * 30);
}

TEST_F(Twins, RowActionsAndAssignments)
{
    Rows(EdgeRows());
    static const char *const texts[] = {
        "bg(curdepth > 1000, red); sort(5000 - curdepth); curdepth > 100 & queue == 'Q*' & type = local",
        "fg(queue == 'Q.?', 0xFF00); sortd(queue); sort2(curdepth * 1.5); flash(type = remote); 1",
        "fgcell(curdepth > 0, blue, queue); bgcell(queue == '*', green, curdepth); flashcell(1, type)",
        "@n := @n + 1; @$t := queue + '/' + cluster; @@y := curdepth / 3; @n mod 3",
        "@$s := queue; @$s == 'Q*' | @$s = 'abc'",
        "if (curdepth > 100) { @a := @a + curdepth; sort(@a) } else if (queue == '') 0; else { sortd2(type) }",
        "_rescan := _scan = 0; _index + _items + _first + _last",
        "statusf('%s %d', queue, curdepth); beep(curdepth > 100); system(queue == 'Q', 'run'); 1",
        "max(curdepth, 5) > min(type, 2) & any(cluster, curdepth) | all(queue) & val(curdepth, 1)",
        "str$(curdepth) + queue == '1*' | substr$(queue, 1, 2) = 'UE' | findstri(queue, 'b') > 0",
        "!curdepth | -curdepth < 0 & !queue | -queue",
    };
    for (const char *t : texts) {
        Check(t);
        if (HasFailure())
            return;
    }
}

/* The tested steps: "&", "|" and the other integer operators over
 * integer comparisons and arithmetic of leaves, wildcard patterns and
 * integer constants, made in line by their parents (trees, conditions,
 * colours, sort keys, other calls); the fields absent on some rows send
 * each back to the general rules. */
TEST_F(Twins, TestedTreesConditionsAndActions)
{
    Rows(EdgeRows());
    static const char *const tests[] = {
        "curdepth > 100", "curdepth < 7",        "type = local",    "deftype != 1",      "curdepth >= type",
        "curdepth <= -1", "curdepth + 7",        "7 - curdepth",    "queue == 'Q*'",     "queue == 'QUEUE.A'",
        "cluster == '*'", "cluster == 'Q.B**'",  "queue == ''",     "0",                 "-5",
    };
    static const char *const ops[] = { "&", "|", "&&", "||", "+", "-", "*", "mod", "<", "=" };
    static const char *const shapes[] = {
        "#a #op #b",
        "(#a #op #b) & (#b | #a) | queue == 'Q*'",
        "bg(#a #op #b, 0xFF); fg(#b, #a); #a",
        "sort(#a #op #b); sortd2(#a); sort2(#b #op #a); #b",
        "sortd(#a); if (#a #op #b) { fg(1, #b) } else if (#b) 7; else { bg(#a, 3) }",
        "max(#a #op #b, #b) + min(#a, 2)",
    };
    size_t nt = sizeof tests / sizeof tests[0], no = sizeof ops / sizeof ops[0];
    auto put = [](std::string &t, const char *mark, const std::string &with) {
        for (size_t at = 0; (at = t.find(mark, at)) != std::string::npos; at += with.size())
            t.replace(at, strlen(mark), with);
    };
    for (size_t k = 0; k < sizeof shapes / sizeof shapes[0]; k++)
        for (size_t i = 0; i < nt; i++)
            for (size_t j = 0; j < nt; j++) {
                std::string t = shapes[k];
                put(t, "#op", ops[(i + j + k) % no]);
                put(t, "#a", std::string("(") + tests[i] + ")");
                put(t, "#b", std::string("(") + tests[j] + ")");
                Check(t);
                if (HasFatalFailure() || HasFailure())
                    return;
            }
    EXPECT_EQ(programs, 6 * 15 * 15);
}

TEST_F(Twins, RandomProgramsOverRandomRows)
{
    const char *env = getenv("RAVOLT_FILTER_PROGRAMS");
    int count = env ? atoi(env) : 3000;
    std::mt19937 rng(20261208);
    for (int p = 0; p < count && !HasFailure(); p++) {
        if (p % 200 == 0)
            Rows(RandomRows(rng, 12));
        Check(fltref::Render(fltref::Program(rng)));
    }
    EXPECT_GT(programs, count / 2);
    EXPECT_GT(compared, count * 6);
}

TEST_F(Twins, CorpusAndRandomTokenStreams)
{
    Rows(EdgeRows());
    Named("DEEP", "curdepth > 100");
    Named("LOCALS", "type = local");
    Named("BOTH", "$DEEP & $LOCALS | queue == 'Q*'");
    for (const std::string &t : FltFuzzCorpus()) {
        bool valid = t.find("$BROKEN") == std::string::npos && t.find("$CIRC") == std::string::npos;
        Check(t, valid);
        if (HasFailure())
            break;
    }
    Check("$BOTH; sort(queue)");
    static const char *const vocabulary[] = {
        "curdepth", "queue", "type", "local", "cluster", "def", "@a", "@$s", "@@r", "@n%n", "_index",
        "_rescan", "1", "0x10", "-5", "2.5", "'Q*'", "'*'", "'QUEUE.A'", "'Q.?'", "\"x\"", "(", ")", "{", "}",
        ";", ",", "+", "-", "*", "/", "mod", "=", "==", "!=", "<>", "<", "<=", ">", ">=", "&", "&&", "|",
        "||", ":=", "!", "if", "else", "max", "str$", "substr$", "sort", "sortd2", "bg", "fgcell", "any",
        "red",
    };
    std::mt19937_64 rng(0x91A7);
    for (int i = 0; i < 20000 && !HasFailure(); i++) {
        std::string t;
        int n = 1 + (int)(rng() % 16);
        for (int k = 0; k < n; k++)
            t += std::string(vocabulary[rng() % (sizeof vocabulary / sizeof vocabulary[0])]) + " ";
        Check(t, false);
    }
    ClearNamed();
    EXPECT_GT(programs, 500);
}

/* ---- the row walk ------------------------------------------------------- */

/* Every record type of the list areas. */
const int16_t RecordTypes[] = { PCFT_INT, PCFT_ENUM, PCFT_ENUMNUM, PCFT_STRING, PCFT_NAME, PCFT_STRLIST,
                                PCFT_MULTISTR, PCFT_HEX, PCFT_BYTES, PCFT_MESSAGE, PCFT_SHOWINT,
                                PCFT_NOVALUE, PCFT_ENUM13, PCFT_ENUM14, PCFT_NUMBER, PCFT_SIGNED,
                                PCFT_WIDE17, PCFT_REAL, PCFT_ENUMLIST, PCFT_MARKER, PCFT_BAR, PCFT_INTLIST,
                                PCFT_WIDEHEX, PCFT_FLAGSET, PCFT_STRING25, PCFT_DATETIME, PCFT_DATETIME100 };

/* An area of rows laid out by hand: the columns cycle through the
 * record types, with the depth field at column depthAt; every cell has
 * some of the filter marks and other state bits set, counts vary by
 * row. */
struct HandArea {
    std::vector<PCFFieldDef> fields;
    std::vector<const PCFFieldDef *> defs;
    PCFLISTAREA *area = nullptr;
    std::vector<PCFROW *> rows;
    HandArea(int columns, int depthAt, int rowCount, std::mt19937 &rng)
    {
        fields.resize((size_t)columns);
        for (int c = 0; c < columns; c++) {
            fields[(size_t)c] = {};
            fields[(size_t)c].type = RecordTypes[c % (int)(sizeof RecordTypes / sizeof RecordTypes[0])];
            fields[(size_t)c].attrId = 0x7F000000u + (uint32_t)c;
        }
        for (int c = 0; c < columns; c++)
            defs.push_back(c == depthAt ? &FD_MQIA_CURRENT_Q_DEPTH : &fields[(size_t)c]);
        uint32_t head = (PCFListAreaSize(columns) + 7) & ~7u, size = head + (uint32_t)rowCount * 60000;
        area = AllocRefBlock(size, "TESTAREA");
        memset((uint8_t *)area + PCFLA_HEADER, 0, size - PCFLA_HEADER);
        area->columns = (uint16_t)columns;
        PCFLISTPARTS parts;
        PCFListAreaPointers(area, &parts);
        for (int c = 0; c < columns; c++)
            parts.columns[c].field = defs[(size_t)c];
        uint8_t *at = parts.rows;
        for (int r = 0; r < rowCount; r++) {
            PCFROW *row = (PCFROW *)at;
            uint8_t *rec = at + PCFLA_ROWHEADER;
            for (int c = 0; c < columns; c++) {
                uint16_t state = (uint16_t)((rng() & 0x7F) | (rng() % 2 ? 0x100 : 0));
                uint16_t count = (uint16_t)(c == depthAt ? 0 : rng() % 40);
                memcpy(rec, &state, 2);
                memcpy(rec + 2, &count, 2);
                uint32_t len = PCFValueLength(rec, defs[(size_t)c]);
                for (uint32_t k = 4; k < len; k++)
                    rec[k] = (uint8_t)rng();
                if (c == depthAt) {
                    int32_t depth = (int32_t)(rng() % 300);
                    memcpy(rec + PCFLV_INT, &depth, 4);
                }
                rec += len;
            }
            uint32_t length = ((uint32_t)(rec - at) + 7) & ~7u;
            row->length = (uint16_t)length;
            rows.push_back(row);
            at += length;
        }
        area->rows = (uint32_t)rowCount;
        area->used = (uint32_t)(at - (uint8_t *)area);
    }
    ~HandArea() { ReleaseRefBlock(&area); }
    /* The cell of a column, found by PCFNextValue. */
    uint8_t *Cell(PCFROW *row, int column)
    {
        uint8_t *rec = (uint8_t *)row + PCFLA_ROWHEADER;
        for (int c = 0; c < column; c++)
            rec = PCFNextValue(rec, defs[(size_t)c]);
        return rec;
    }
};

TEST(RowWalk, BindsAndClearsMarksLikePCFNextValueOverEveryRecordType)
{
    Recorder rec;
    rec.Install();
    std::mt19937 rng(0x3A1C);
    struct Shape {
        int columns, depthAt;
    } shapes[] = { { 30, 29 }, { 60, 31 }, { 300, 290 }, { 300, 200 } };
    for (const Shape &shape : shapes) {
        ListDialog q(&PCFQueueListDef);
        HandArea hand(shape.columns, shape.depthAt, 12, rng);
        ASSERT_EQ(Compile(q.d(), "@n := @n + 1; curdepth > 100 | curdepth = 7"), "");
        FilterProgram *prog = (FilterProgram *)q.d()->filterProgram;
        std::vector<std::string> before;
        for (PCFROW *row : hand.rows)
            before.emplace_back((const char *)row, row->length);
        PCFFilterFillBegin(q.d());
        PCFFilterFillArea(q.d(), hand.area);
        for (size_t r = 0; r < hand.rows.size(); r++) {
            PCFROW *row = hand.rows[r];
            uint8_t *depth = hand.Cell(row, shape.depthAt);
            int32_t value;
            memcpy(&value, depth + PCFLV_INT, 4);
            bool present = (before[r][depth - (uint8_t *)row] & 1) != 0;
            int verdict = PCFFilterFillRow(q.d(), row, (int)r, r + 1 == hand.rows.size());
            EXPECT_EQ(verdict, present && (value > 100 || value == 7)) << shape.columns << " row " << r;
            for (uint32_t i = 0; i < prog->varCount; i++) {
                if (prog->vars[i]->flags & VF_FIELD) {
                    EXPECT_EQ(prog->vars[i]->value, present ? depth + PCFLV_INT : nullptr) << shape.columns;
                }
            }
            /* every cell as it was but for its filter marks */
            std::string expected = before[r];
            for (int c = 0; c < shape.columns; c++) {
                size_t at = (size_t)(hand.Cell(row, c) - (uint8_t *)row);
                expected[at] = (char)(expected[at] & ~0x70);
            }
            std::string now((const char *)row, row->length);
            size_t differs = PCFLA_ROWHEADER;
            while (differs < now.size() && now[differs] == expected[differs])
                differs++;
            EXPECT_EQ(differs, now.size()) << shape.columns << " columns, row " << r << ": the cells differ at byte "
                                           << differs;
        }
        PCFFilterFillEnd(q.d());
        if (HasFailure())
            break;
    }
    rec.Uninstall();
}

}  // namespace
