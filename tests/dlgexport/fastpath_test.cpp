/* The export's quick ways against the general ones they stand for, on the
 * same queues of a stand-in queue manager: integers without formatting
 * calls, row values of known columns, CSV and text rows written straight
 * into their lines, MQSC value texts, list values stored through what an
 * earlier row stored, and MQSC objects written by a definition's plan. */
#include "exptest.h"

#include <climits>
#include <cstring>

#include "expint.h"
#include "mqsim.h"
#include "prfdata.h"
#include "prffile.h"
#include "cs.h"

using namespace exptest;

namespace {

std::string Script()
{
    std::string s;
    const char *types[] = { "QLOCAL", "QALIAS", "QREMOTE", "QMODEL" };
    for (int i = 0; i < 24; i++) {
        char line[400];
        const char *type = types[i % 4];
        snprintf(line, sizeof line, "DEFINE %s(FAST.Q%02d) DESCR('%s queue %d') ", type, i,
                 i % 3 == 0 ? "a \"quoted\", it''s" : i % 3 == 1 ? "semi;colon" : "  blanks", i);
        s += line;
        if (!strcmp(type, "QLOCAL") || !strcmp(type, "QMODEL")) {
            snprintf(line, sizeof line, "MAXDEPTH(%d) MAXMSGL(%d) %s BOTHRESH(%d) ",
                     i * 123457 % 999999999, 1000 + i * 99991, i % 2 ? "TRIGGER TRIGTYPE(EVERY) "
                     "INITQ(FAST.INIT)" : "NOTRIGGER NOSHARE", i * 1001);
            s += line;
        }
        if (!strcmp(type, "QALIAS"))
            s += "TARGET(FAST.Q00) ";
        if (!strcmp(type, "QREMOTE"))
            s += "RNAME(FAR.Q) RQMNAME(FARQM) XMITQ(FARQM.XQ) ";
        s += "\n";
    }
    return s;
}

std::vector<std::string> Inquiry()
{
    Reply q = Request(MQCMD_INQUIRE_Q);
    q.Str(MQCA_Q_NAME, "FAST.*").Ints(MQIACF_Q_ATTRS, { MQIACF_ALL });
    std::vector<std::string> all = StandinAsk("QMFAST", q);
    for (size_t i = 0; i + 1 < all.size(); i++) {
        MQLONG control = MQCFC_NOT_LAST;
        memcpy(&all[i][20], &control, 4);
    }
    return all;
}

struct FastPaths : ::testing::Test {
    static void SetUpTestSuite()
    {
        StandinMqsc("QMFAST", Script());
        PrfLoadText("AP:\n", 4);
    }
    void SetUp() override
    {
        PCFPrefsDefaults();
        FixZone();
    }
    void TearDown() override
    {
        FreeZone();
        PCFPrefsDefaults();
        Prf.csvsep = ',';
    }
};

/* A context as ExpRun makes it, for the writers called one by one. */
struct Context {
    EXPCTX c;
    EXPORTRUN run = {};
    EXPTEXTAREA *area = ExpNewTextArea(nullptr);
    EXPTARGET target = { nullptr, area, 0 };
    Context(DialogWords *d, int type, PCFCommandDef *objectDef)
    {
        memset(&c, 0, sizeof c);
        run.dialog = d;
        run.type = type;
        run.target = &target;
        run.now = Moment;
        c.run = &run;
        c.dialog = d;
        c.location = d->first.location;
        c.caps = PCFDialogCaps(d);
        c.separator = ',';
        c.buffer = (char *)CSGetMem(EXP_BUFFER, "BUFFER");
        c.objectDef = objectDef;
        c.work = objectDef ? PCFNewData(objectDef, "EXPORT") : nullptr;
    }
    ~Context()
    {
        if (c.work)
            PCFFreeData(c.objectDef, c.work, 1);
        if (c.plan)
            CSFreeMem(c.plan);
        CSFreeMem(c.buffer);
        ExpFreeTextArea(area);
    }
    std::string Text() const { return std::string(area->text, area->used); }
};

TEST_F(FastPaths, DecimalsAreThoseOfPrintf)
{
    const int32_t values[] = { 0, 1, -1, 9, 10, 99, 100, 999, 1000, 123456789, -123456789,
                               INT32_MAX, INT32_MIN, INT32_MIN + 1, 1000000000, -1000000000 };
    char mine[16], want[32];
    for (int32_t v : values) {
        int n = ExpDecimal(v, 0, mine);
        snprintf(want, sizeof want, "%ld", (long)v);
        EXPECT_STREQ(mine, want);
        EXPECT_EQ(n, (int)strlen(want));
        n = ExpDecimal(v, 1, mine);
        snprintf(want, sizeof want, "%lu", (unsigned long)(uint32_t)v);
        EXPECT_STREQ(mine, want);
        EXPECT_EQ(n, (int)strlen(want));
    }
}

/* The value of every cell as a known column shows it and as the general
 * text, with and without thousands separators of one or two characters. */
TEST_F(FastPaths, RowValuesOfKnownColumnsAreTheGeneralTexts)
{
    ListDialog list(&PCFQueueListDef, AllColumns(&PCFQueueDef), "QMFAST");
    list.Fill(Inquiry());
    PCFLISTAREA *a = list.get()->first.replyArea;
    ASSERT_NE(a, nullptr);
    PCFLISTPARTS parts;
    PCFListAreaPointers(a, &parts);
    struct { int thousands; const char *sep; } prefs[] = { { 1, "," }, { 0, "," }, { 1, ". " }, { 1, "" } };
    int compared = 0;
    for (const auto &p : prefs) {
        PcfPrefs.thousands = p.thousands;
        snprintf(PcfPrefs.sep1000, sizeof PcfPrefs.sep1000, "%s", p.sep);
        Context ctx(list.get(), EXP_CSV, nullptr);
        for (PCFROW *row : list.Rows()) {
            uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
            for (int i = 0; i < a->columns && parts.columns[i].field; i++) {
                const PCFFieldDef *f = parts.columns[i].field;
                char known[EXP_VALUE], general[EXP_VALUE];
                int n1 = -1, n2 = -2;
                ExpRowValue(&ctx.c, f, v, 0, known, &n1, i);
                ExpRowValue(&ctx.c, f, v, 0, general, &n2, -1);
                EXPECT_STREQ(known, general) << f->title << " " << p.sep;
                EXPECT_EQ(n1, n2) << f->title;
                compared++;
                v = PCFNextValue(v, f);
            }
        }
    }
    EXPECT_GT(compared, 24 * 60 * 4);
}

/* The CSV rows and text table as the writers made them value by value:
 * each value's general text, ExpCsvValue, and padding by strlen. */
std::string ReferenceRows(DialogWords *d, int csv, char separator)
{
    PCFLISTAREA *a = d->first.replyArea;
    PCFLISTPARTS parts;
    PCFListAreaPointers(a, &parts);
    EXPCTX c;
    memset(&c, 0, sizeof c);
    char value[EXP_VALUE], cell[2 * EXP_VALUE + 4];
    int number;
    std::vector<size_t> widths;
    for (int i = 0; i < a->columns && parts.columns[i].field; i++)
        widths.push_back(strlen(ExpColumnTitle(parts.columns[i].field)));
    std::vector<std::vector<std::pair<std::string, int>>> rows;
    for (PCFROW *row = PCFFirstRow(a); row; row = PCFNextRow(a, row)) {
        rows.emplace_back();
        uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
        for (int i = 0; i < a->columns && parts.columns[i].field; i++) {
            const PCFFieldDef *f = parts.columns[i].field;
            std::string text = ExpRowValue(&c, f, v, !csv, value, &number, -1);
            widths[(size_t)i] = std::max(widths[(size_t)i], text.size());
            rows.back().push_back({ text, number });
            v = PCFNextValue(v, f);
        }
    }
    std::string out;
    for (const auto &r : rows) {
        std::string line;
        for (size_t i = 0; i < r.size(); i++) {
            if (csv) {
                ExpCsvValue(r[i].first.c_str(), separator, 0, cell, sizeof cell);
                line += (i ? std::string(1, separator) : "") + cell;
            } else {
                std::string pad(widths[i] - r[i].first.size(), ' ');
                line += (r[i].second ? pad + r[i].first : r[i].first + pad) + " ";
            }
        }
        if (!csv)
            line.erase(line.find_last_not_of(' ') + 1);
        out += line + "\r\n";
    }
    return out;
}

TEST_F(FastPaths, CsvAndTextRowsAreThoseOfTheValueByValueWriter)
{
    ListDialog list(&PCFQueueListDef, AllColumns(&PCFQueueDef), "QMFAST");
    list.Fill(Inquiry());
    for (char separator : { ',', ';' }) {
        Prf.csvsep = separator;
        Exported e = ExportText(list.get(), EXP_CSV, 0);
        ASSERT_EQ(e.count, 24) << e.message;
        std::string rows = e.text.substr(e.text.find("\r\n") + 2);    /* past the headings */
        EXPECT_EQ(rows, ReferenceRows(list.get(), 1, separator));
    }
    Exported e = ExportText(list.get(), EXP_TEXT, 0);
    ASSERT_EQ(e.count, 24) << e.message;
    size_t rule = e.text.find("\r\n========");                        /* under the titles */
    ASSERT_NE(rule, std::string::npos);
    std::string rows = e.text.substr(e.text.find("\r\n", rule + 2) + 2);
    EXPECT_EQ(rows, ReferenceRows(list.get(), 0, ','));
}

/* Each row into the object's data area twice: through a context that has
 * stored earlier rows (their stores remembered) and a fresh one; the areas
 * give the same MQSC text for every field, and that text is
 * PCFExportValueText's. */
TEST_F(FastPaths, RememberedStoresAndValueTextsAreTheGeneralOnes)
{
    ListDialog list(&PCFQueueListDef, AllColumns(&PCFQueueDef), "QMFAST");
    list.Fill(Inquiry());
    PCFLISTAREA *a = list.get()->first.replyArea;
    Context kept(list.get(), EXP_MQSC, &PCFQueueDef);
    int compared = 0;
    for (PCFROW *row : list.Rows()) {
        Context fresh(list.get(), EXP_MQSC, &PCFQueueDef);
        ExpRowToArea(&kept.c, a, row);
        ExpRowToArea(&fresh.c, a, row);
        for (PCFFieldEntry *e = PCFQueueDef.fields; e->field; e++) {
            if (!PCFStoresValue(e))
                continue;
            const uint8_t *r1 = kept.c.work + e->offset, *r2 = fresh.c.work + e->offset;
            ASSERT_EQ(PCFState(r1), PCFState(r2)) << e->field->title;
            if (!(PCFState(r1) & (PCFS_PRESENT | PCFS_RECEIVED)))
                continue;
            char v1[EXP_VALUE * 4], v2[EXP_VALUE * 4], general[EXP_VALUE * 4];
            for (int i = 0; i < 4; i++) {
                ExpValueText(kept.c.work, e, i, v1, sizeof v1);
                ExpValueText(fresh.c.work, e, i, v2, sizeof v2);
                EXPECT_STREQ(v1, v2) << e->field->title;
                EXPECT_STREQ(v1, PCFExportValueText(fresh.c.work, e, i, 1, 1, general, sizeof general))
                    << e->field->title;
                compared++;
            }
        }
    }
    EXPECT_GT(compared, 24 * 20);
}

/* Every queue written as MQSC with its debug lines, by the definition's
 * plan and with every entry tested per object: the same text. */
TEST_F(FastPaths, PlannedMqscIsTheMqscOfTestsPerObject)
{
    ListDialog list(&PCFQueueListDef, AllColumns(&PCFQueueDef), "QMFAST");
    list.Fill(Inquiry());
    PCFLISTAREA *a = list.get()->first.replyArea;
    std::string text[2];
    for (int noPlan = 0; noPlan < 2; noPlan++) {
        Context ctx(list.get(), EXP_MQSC, &PCFQueueDef);
        ctx.c.noPlan = noPlan;
        ctx.c.debug = 1;
        char name[QMS_NAME + 1];
        for (PCFROW *row : list.Rows()) {
            ExpRowName(a, row, &PCFQueueDef, name, sizeof name);
            ExpRowToArea(&ctx.c, a, row);
            ASSERT_EQ(ExpWriteObject(&ctx.c, &PCFQueueDef, ctx.c.work, name, 0), 1) << name;
        }
        text[noPlan] = ctx.Text();
    }
    EXPECT_EQ(text[0], text[1]);
    EXPECT_NE(text[0].find("  Field is not required for this command"), std::string::npos);
    EXPECT_NE(text[0].find("DEFINE QREMOTE('FAST.Q02')"), std::string::npos);
    EXPECT_NE(text[0].find("TRIGTYPE(EVERY)"), std::string::npos);
}

}  // namespace
