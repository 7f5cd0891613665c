/* The export writers against golden files (a queue list and the queue
 * manager as Text, MQSC, CSV and XML), the split of long MQSC lines, the
 * rules for SYSTEM and default objects, only-differences, headings when
 * appending, quoting, escaping, the clipboard's text area, file-name
 * templates, extensions and the schedule of automatic exports. */
#include "exptest.h"

#include <cstring>

#include "expint.h"
#include "pcflists.h"
#include "locstore.h"
#include "prffile.h"
#include "mq/capability.h"
#include "command.h"
#include "mqengine.h"
#include "cs.h"
#include "wirelibs.h"
#include "prfbits.h"
#include "prfdata.h"

using namespace exptest;

namespace {

/* The columns of the golden queue list. */
std::vector<PCFLISTENTRY> GoldenColumns()
{
    PCFInitCommandDefs();
    std::vector<PCFLISTENTRY> cols;
    for (uint32_t id : { (uint32_t)MQCA_Q_NAME, (uint32_t)MQIA_Q_TYPE, (uint32_t)MQCA_Q_DESC,
                         (uint32_t)MQIA_MAX_Q_DEPTH, (uint32_t)MQIA_CURRENT_Q_DEPTH,
                         (uint32_t)MQIA_DEF_PERSISTENCE, (uint32_t)MQCA_BASE_Q_NAME })
        cols.push_back({ PCFFindField(nullptr, nullptr, PCFQueueDef.fields, id)->field, PCFL_SHOWN });
    cols.push_back({ nullptr, 0 });
    return cols;
}

Reply Queues(const std::string &firstDescription = "first, \"quoted\" & <queue>")
{
    Reply r(MQCMD_INQUIRE_Q, false);
    r.Str(MQCA_Q_NAME, "APP.ONE", 41).Int(MQIA_Q_TYPE, MQQT_LOCAL).Str(MQCA_Q_DESC, firstDescription)
        .Int(MQIA_MAX_Q_DEPTH, 5000).Int(MQIA_CURRENT_Q_DEPTH, 1234567).Int(MQIA_DEF_PERSISTENCE, 1)
        .Separator();
    r.Str(MQCA_Q_NAME, "APP.ALIAS", 39).Int(MQIA_Q_TYPE, MQQT_ALIAS).Str(MQCA_Q_DESC, "alias, it's")
        .Int(MQIA_DEF_PERSISTENCE, 0).Str(MQCA_BASE_Q_NAME, "APP.ONE").Separator();
    r.Str(MQCA_Q_NAME, "SYSTEM.DEFAULT.LOCAL.QUEUE", 22).Int(MQIA_Q_TYPE, MQQT_LOCAL)
        .Str(MQCA_Q_DESC, "").Int(MQIA_MAX_Q_DEPTH, 5000).Int(MQIA_CURRENT_Q_DEPTH, 0)
        .Int(MQIA_DEF_PERSISTENCE, 0).Separator();
    r.Str(MQCA_Q_NAME, "SYSTEM.ADMIN.COMMAND.QUEUE", 22).Int(MQIA_Q_TYPE, MQQT_LOCAL)
        .Str(MQCA_Q_DESC, "commands").Int(MQIA_MAX_Q_DEPTH, 3000).Int(MQIA_CURRENT_Q_DEPTH, 0)
        .Int(MQIA_DEF_PERSISTENCE, 0);
    r.Put32At(20, MQCFC_LAST);
    return r;
}

Reply Qmgr()
{
    Reply r(MQCMD_INQUIRE_Q_MGR);
    r.Str(MQCA_Q_MGR_NAME, "QMX", 45).Str(MQCA_Q_MGR_DESC, "The export's \"queue manager\"")
        .Int(MQIA_PLATFORM, MQPL_WINDOWS_NT).Int(MQIA_COMMAND_LEVEL, 940)
        .Int(MQIA_CODED_CHAR_SET_ID, 1208).Str(MQCA_DEAD_LETTER_Q_NAME, "DLQ", 45)
        .Int(MQIA_MAX_HANDLES, 256).Int(MQIA_TRIGGER_INTERVAL, 999999999).Int(MQIA_CHANNEL_EVENT, 0);
    return r;
}

struct Writers : ::testing::Test {
    static void SetUpTestSuite()
    {
        PrfLoadText("AP:\n", 4);
        PCFPrefsDefaults();
    }
    void SetUp() override
    {
        FixZone();
        WireLibraries();             /* the engine's downloaded defaults */
    }
    void TearDown() override
    {
        FreeZone();
        ExpSetHooks(nullptr);
    }
};

/* A queue manager dialog filled from the reply above. */
struct QmgrDialog {
    Dialog d{ &PCFQueueManagerDef };
    QMS location = {};
    QmgrDialog()
    {
        snprintf(location.qmName, sizeof location.qmName, "QMX");
        d->first.location = &location;
        Reply r = Qmgr();
        PCFSetDialogData(d.get(), &location, nullptr, nullptr, 0, r.Bytes(), r.Length(), nullptr);
    }
};

TEST_F(Writers, QueueListAgainstGoldenFiles)
{
    ListDialog list(&PCFQueueListDef, GoldenColumns());
    list.Fill(Queues());
    ASSERT_EQ(list.Rows().size(), 4u);
    static const char *const names[] = { "queues.txt", "queues.mqs", "queues.csv", "queues.xml" };
    std::string titled[EXP_XML + 1];
    for (int type = EXP_TEXT; type <= EXP_XML; type++) {
        Exported e = ExportText(list.get(), type, 0);
        EXPECT_EQ(e.count, 2) << e.message;
        Golden(names[type], e.text);
        titled[type] = e.text;
    }
    /* each title option drops its own file's title line, only that */
    static const struct { uint32_t off; int untitled; } options[] = {
        { PO3_EXPORT_TEXT_TITLE, EXP_TEXT }, { PO3_EXPORT_MQSC_TITLE, EXP_MQSC } };
    const uint32_t po3 = Prf.po[2];
    for (const auto &o : options) {
        Prf.po[2] = po3 & ~o.off;
        for (int type = EXP_TEXT; type <= EXP_MQSC; type++) {
            const std::string &t = titled[type];
            EXPECT_EQ(ExportText(list.get(), type, 0).text, type == o.untitled ? t.substr(t.find('\n') + 1) : t)
                << names[type];
        }
    }
    Prf.po[2] = po3;
}

/* A dialog that shows date and time columns (its Timestamp option):
 * Text and CSV headings begin with "Date" and "Time", quoted in CSV, the
 * underline covers the date's width, and every row begins with the run's
 * date and time. */
TEST_F(Writers, DateAndTimeColumnsLeadHeadingsAndRows)
{
    ListDialog list(&PCFQueueListDef, GoldenColumns());
    list.Fill(Queues());
    list.get()->optionFlags |= DO_TIMESTAMP;
    char date[40], time[16];
    ExpDateText(Prf.edf, Prf.eds, Moment, date, sizeof date, time, sizeof time);
    Exported csv = ExportText(list.get(), EXP_CSV, 0);
    std::vector<std::string> lines = Lines(csv.text);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].compare(0, 15, "\"Date\",\"Time\",\""), 0) << lines[0];
    for (size_t i = 1; i < lines.size(); i++)
        EXPECT_EQ(lines[i].compare(0, strlen(date) + 10, std::string(date) + "," + time + ","), 0) << lines[i];
    Exported text = ExportText(list.get(), EXP_TEXT, 0);
    lines = Lines(text.text);
    while (!lines.empty() && lines[0].compare(0, 4, "Date") != 0)    /* after the header */
        lines.erase(lines.begin());
    ASSERT_GE(lines.size(), 3u);
    std::string heading = std::string("Date") + std::string(strlen(date) - 4, ' ') + " Time     ";
    EXPECT_EQ(lines[0].compare(0, heading.size(), heading), 0) << lines[0];
    std::string underline = std::string(strlen(date), '=') + " ======== ";
    EXPECT_EQ(lines[1].compare(0, underline.size(), underline), 0) << lines[1];
    EXPECT_EQ(lines[2].compare(0, strlen(date) + 10, std::string(date) + " " + time + " "), 0) << lines[2];
}

TEST_F(Writers, QueueManagerAgainstGoldenFiles)
{
    QmgrDialog qm;
    static const char *const names[] = { "qmgr.txt", "qmgr.mqs", "qmgr.csv", "qmgr.xml" };
    for (int type = EXP_TEXT; type <= EXP_XML; type++) {
        Exported e = ExportText(qm.d.get(), type, EXPO_SYSTEM | EXPO_DEFAULTS);
        EXPECT_EQ(e.count, 1) << e.message;
        Golden(names[type], e.text);
    }
    Exported none = ExportText(qm.d.get(), EXP_POINTS, 0);
    EXPECT_EQ(none.count, -1);
}

TEST_F(Writers, LongMqscLinesAreSplitInFilesOnly)
{
    std::string path = TempPath("split.mqs");
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPTARGET file = { f, nullptr, 0 };
    std::string line(150, 'x');
    line[69] = 'a';
    line[139] = 'b';
    ASSERT_EQ(ExpWriteLine(&file, 1, 1, line.c_str(), -1), 0);
    ASSERT_EQ(ExpWriteLine(&file, 1, 1, std::string(70, 'y').c_str(), -1), 0);
    fclose(f);
    auto lines = Lines(ReadFile(path));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], std::string(69, 'x') + "a-");
    EXPECT_EQ(lines[1], std::string(69, 'x') + "b-");
    EXPECT_EQ(lines[2], std::string(10, 'x'));
    EXPECT_EQ(lines[3], std::string(70, 'y'));              /* 70 is not split */

    EXPTEXTAREA *area = ExpNewTextArea(nullptr);
    EXPTARGET clip = { nullptr, area, 0 };
    ExpWriteLine(&clip, 1, 1, line.c_str(), -1);
    EXPECT_EQ(std::string(area->text, area->used), line + "\r\n");
    /* pieces of 12000 bytes grow the area as far as they need */
    std::string piece(12000, 'p');
    for (int i = 0; i < 40; i++)
        ASSERT_EQ(ExpWriteLine(&clip, 0, 0, piece.c_str(), -1), 0);
    std::string big(120000, 'B');
    ASSERT_EQ(ExpWriteLine(&clip, 0, 0, big.c_str(), -1), 0);
    EXPECT_EQ(area->used, 152u + 40 * 12000 + 120000);
    EXPECT_GE(area->capacity, area->used + 5000);
    EXPECT_EQ(area->capacity % EXP_AREA_STEP, 0u);
    EXPECT_EQ(std::string(area->text + area->used - 3), "BBB");
    ExpFreeTextArea(area);
}

/* Default objects: the test's download entry. */
uint8_t *defaultAreas[2];
const char *DefaultNames(void *, const PCFCommandDef *)
{
    return ",SYSTEM.DEFAULT.REMOTE.QUEUE,SYSTEM.DEFAULT.MODEL.QUEUE,SYSTEM.DEFAULT.ALIAS.QUEUE,SYSTEM.DEFAULT.LOCAL.QUEUE,";
}
uint8_t *DefaultObject(void *, QMS *, const PCFCommandDef *, int index)
{
    return index < 2 ? defaultAreas[index] : nullptr;
}

std::vector<std::string> Names(const Exported &e, const char *prefix)
{
    std::vector<std::string> names;
    for (const std::string &l : Lines(e.text))
        if (!l.compare(0, strlen(prefix), prefix))
            names.push_back(l.substr(strlen(prefix), l.find(')') - strlen(prefix)));
    return names;
}

TEST_F(Writers, SystemAndDefaultObjects)
{
    ListDialog list(&PCFQueueListDef, GoldenColumns());
    list.Fill(Queues());
    typedef std::vector<std::string> V;
    EXPECT_EQ(Names(ExportText(list.get(), EXP_MQSC, 0), "DEFINE QLOCAL("), V({ "'APP.ONE'" }));
    /* without the download table no name is a default: option 1 takes both */
    EXPECT_EQ(Names(ExportText(list.get(), EXP_MQSC, EXPO_SYSTEM), "DEFINE QLOCAL("),
              V({ "'APP.ONE'", "'SYSTEM.DEFAULT.LOCAL.QUEUE'", "'SYSTEM.ADMIN.COMMAND.QUEUE'" }));
    EXPHOOKS h = {};
    h.defaultNames = DefaultNames;
    ExpSetHooks(&h);
    EXPECT_EQ(Names(ExportText(list.get(), EXP_MQSC, EXPO_SYSTEM), "DEFINE QLOCAL("),
              V({ "'APP.ONE'", "'SYSTEM.ADMIN.COMMAND.QUEUE'" }));
    EXPECT_EQ(Names(ExportText(list.get(), EXP_MQSC, EXPO_DEFAULTS), "DEFINE QLOCAL("),
              V({ "'APP.ONE'", "'SYSTEM.DEFAULT.LOCAL.QUEUE'" }));
    Exported csv = ExportText(list.get(), EXP_CSV, EXPO_DEFAULTS);
    EXPECT_EQ(csv.count, 3);

    /* the location's cached default objects go first, and then the rows
       of the default objects are left out */
    for (int i = 0; i < 2; i++) {
        defaultAreas[i] = PCFNewData(&PCFQueueDef, "TEST DEFAULT");
        PCFFieldEntry *name = PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQCA_Q_NAME);
        PCFFieldEntry *type = PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQIA_Q_TYPE);
        char m[100];
        PCFStoreText(&PCFQueueDef, defaultAreas[i], name,
                     i ? "SYSTEM.DEFAULT.MODEL.QUEUE" : "SYSTEM.DEFAULT.LOCAL.QUEUE", -1, m, sizeof m);
        PCFStoreText(&PCFQueueDef, defaultAreas[i], type, i ? "Model" : "Local", -1, m, sizeof m);
    }
    h.defaultObject = DefaultObject;
    ExpSetHooks(&h);
    Exported e = ExportText(list.get(), EXP_MQSC, EXPO_DEFAULTS);
    EXPECT_EQ(e.count, 4);                         /* two defaults, APP.ONE, APP.ALIAS */
    EXPECT_EQ(Names(e, "DEFINE QLOCAL("), V({ "'SYSTEM.DEFAULT.LOCAL.QUEUE'", "'APP.ONE'" }));
    EXPECT_EQ(Names(e, "DEFINE QMODEL("), V({ "'SYSTEM.DEFAULT.MODEL.QUEUE'" }));
    for (uint8_t *&a : defaultAreas)
        PCFFreeData(&PCFQueueDef, a, 1);
}

/* The command engine's download of a location's default objects, its
 * request swallowed and its replies given straight to the download. */
CMDKEY Posted;
int Swallow(QMS *, const SELECTIONINFO *, uint32_t, const ThreadRequest *, const uint8_t *key, void *block,
            uint32_t)
{
    memcpy(&Posted, key, sizeof Posted);
    CSFreeMem(block);
    return 0;
}

void Download(QMS *location, const std::vector<Reply> &replies)
{
    CMDHOOKS c = {};
    c.postRequest = Swallow;
    CmdSetHooks(&c);
    CapSetForQmgr(location->caps, location->platform, location->commandLevel);
    ASSERT_EQ(StartDownload(location, 0), 0);
    IFCMD *posted = IfcmdHold((const uint8_t *)&Posted);
    ASSERT_NE(posted, nullptr);
    IFCMD rec = {};
    rec.location = location;
    rec.definition = posted->definition;
    rec.callerValue = posted->callerValue;
    IfcmdLetGo(posted);
    for (size_t i = 0; i < replies.size(); i++) {
        rec.complete = i + 1 == replies.size();
        DownloadResponse(&rec, MQCMD_INQUIRE_Q, replies[i].Bytes(), replies[i].Length(), 0, "");
    }
    CmdSetHooks(nullptr);
}

/* A CSV line's values (quotes taken off). */
std::vector<std::string> CsvValues(const std::string &line)
{
    std::vector<std::string> out(1);
    int quoted = 0;
    for (char ch : line)
        if (ch == '"')
            quoted = !quoted;
        else if (ch == ',' && !quoted)
            out.emplace_back();
        else
            out.back() += ch;
    return out;
}

TEST_F(Writers, TheEnginesDownloadedDefaultsAreComparedAndWrittenFirst)
{
    ListDialog list(&PCFQueueListDef, GoldenColumns());
    list.Fill(Queues("plain"));
    Reply local(MQCMD_INQUIRE_Q, false), model(MQCMD_INQUIRE_Q, false), other(MQCMD_INQUIRE_Q);
    local.Str(MQCA_Q_NAME, "SYSTEM.DEFAULT.LOCAL.QUEUE", 22).Int(MQIA_Q_TYPE, MQQT_LOCAL).Str(MQCA_Q_DESC, "")
        .Int(MQIA_MAX_Q_DEPTH, 5000).Int(MQIA_CURRENT_Q_DEPTH, 1234567).Int(MQIA_DEF_PERSISTENCE, 0);
    model.Str(MQCA_Q_NAME, "SYSTEM.DEFAULT.MODEL.QUEUE", 22).Int(MQIA_Q_TYPE, MQQT_MODEL)
        .Int(MQIA_MAX_Q_DEPTH, 5000);
    other.Str(MQCA_Q_NAME, "SYSTEM.DEFAULT.INITIATION.QUEUE", 17).Int(MQIA_Q_TYPE, MQQT_LOCAL)
        .Int(MQIA_MAX_Q_DEPTH, 1);
    Download(&list.location, { local, model, other });
    ASSERT_EQ(DownloadState(&list.location), DL_DONE);
    EXPHOOKS h = {};
    ExpDefaultHooks(&h);
    ExpSetHooks(&h);
    typedef std::vector<std::string> V;

    /* SYSTEM objects: the download's accepted names are the defaults */
    EXPECT_EQ(Names(ExportText(list.get(), EXP_MQSC, EXPO_SYSTEM), "DEFINE QLOCAL("),
              V({ "'APP.ONE'", "'SYSTEM.ADMIN.COMMAND.QUEUE'" }));
    /* the downloaded defaults go first (the initiation queue is no default),
       and the list's row of a default is then not written again */
    Exported e = ExportText(list.get(), EXP_MQSC, EXPO_DEFAULTS);
    EXPECT_EQ(Names(e, "DEFINE QLOCAL("), V({ "'SYSTEM.DEFAULT.LOCAL.QUEUE'", "'APP.ONE'" }));
    EXPECT_EQ(Names(e, "DEFINE QMODEL("), V({ "'SYSTEM.DEFAULT.MODEL.QUEUE'" }));

    /* only differences: APP.ONE keeps the default depth and differs in
       persistence and description */
    Exported mqsc = ExportText(list.get(), EXP_MQSC, EXPO_ONLYDIFF);
    size_t app = mqsc.text.find("DEFINE QLOCAL('APP.ONE')");
    ASSERT_NE(app, std::string::npos);
    std::string one = mqsc.text.substr(app, mqsc.text.find("DEFINE", app + 6) - app);
    EXPECT_EQ(one.find("MAXDEPTH"), std::string::npos) << one;
    EXPECT_NE(one.find("DEFPSIST"), std::string::npos) << one;
    EXPECT_NE(one.find("DESCR('plain')"), std::string::npos) << one;
    auto lines = Lines(ExportText(list.get(), EXP_CSV, EXPO_ONLYDIFF).text);
    ASSERT_GE(lines.size(), 2u);
    V values = CsvValues(lines[1]);
    ASSERT_EQ(values.size(), 7u) << lines[1];
    EXPECT_EQ(values[0], "APP.ONE");
    EXPECT_EQ(values[2], "plain");
    EXPECT_EQ(values[3], "");                     /* the default's depth */
    EXPECT_EQ(values[4], "");                     /* the default's current depth */
    EXPECT_NE(values[5], "");
    FreeDownloadData(&list.location);
    IfcmdPurge(0, &list.location, 1);
}

/* Marks as the default comparison would: depth and persistence differ
 * only for APP.ONE. */
void MarkListDifferences(void *, DialogWords *dialog, PCFLISTREQ *request)
{
    PCFLISTAREA *a = request->replyArea;
    for (PCFROW *row = PCFFirstRow(a); row; row = PCFNextRow(a, row)) {
        uint8_t *name = FindItemAttr(a, MQCA_Q_NAME, row);
        int app = !memcmp(name + PCFLV_TEXT, "APP.ONE", 7);
        for (uint32_t id : { (uint32_t)MQCA_Q_NAME, (uint32_t)MQIA_MAX_Q_DEPTH })
            if (uint8_t *v = FindItemAttr(a, id, row))
                PCFSetState(v, PCFState(v) | (app || id == MQCA_Q_NAME ? PCFS_LISTDIFF : 0));
    }
    (void)dialog;
}

int MarkAreaDifferences(void *, QMS *, PCFCommandDef *def, uint8_t *area, int *, int *)
{
    for (PCFFieldEntry *e = def->fields; e->field; e++)
        if (PCFStoresValue(e)) {
            uint8_t *r = area + e->offset;
            int differs = e->field->attrId == MQCA_Q_NAME || e->field->attrId == MQIA_MAX_Q_DEPTH ||
                          e->field->attrId == MQCA_Q_DESC;
            PCFSetState(r, differs ? PCFState(r) | PCFS_AREADIFF : PCFState(r) & ~PCFS_AREADIFF);
        }
    return 1;
}

TEST_F(Writers, OnlyDifferencesAndHeadingsWhenAppending)
{
    ListDialog list(&PCFQueueListDef, GoldenColumns());
    list.Fill(Queues());
    EXPHOOKS h = {};
    h.diffFromDefault = MarkListDifferences;
    h.compareDefault = MarkAreaDifferences;
    ExpSetHooks(&h);
    Exported csv = ExportText(list.get(), EXP_CSV, EXPO_ONLYDIFF);
    auto lines = Lines(csv.text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "APP.ONE,\"\",\"\",\"5,000\",\"\",\"\",\"\"");
    EXPECT_EQ(lines[2], "APP.ALIAS,\"\",\"\",\"\",\"\",\"\",\"\"");
    Exported mqsc = ExportText(list.get(), EXP_MQSC, EXPO_ONLYDIFF);
    EXPECT_NE(mqsc.text.find("MAXDEPTH(5000)"), std::string::npos);
    EXPECT_EQ(mqsc.text.find("DEFPSIST"), std::string::npos);

    /* appending: no header and no headings unless always asked for */
    Exported text = ExportText(list.get(), EXP_TEXT, 0, EXP_SHOWN, 1);
    EXPECT_EQ(Lines(text.text).size(), 2u);
    EXPECT_EQ(text.text.compare(0, 7, "APP.ONE"), 0);
    text = ExportText(list.get(), EXP_TEXT, EXPO_HEADER, EXP_SHOWN, 1);
    EXPECT_EQ(Lines(text.text).size(), 5u);
    csv = ExportText(list.get(), EXP_CSV, 0, EXP_SHOWN, 1);
    EXPECT_EQ(csv.text.compare(0, 7, "APP.ONE"), 0);
    csv = ExportText(list.get(), EXP_CSV, EXPO_HEADER, EXP_SHOWN, 1);
    EXPECT_EQ(csv.text.compare(0, 6, "\"Name\""), 0);

    /* nothing selected */
    Exported sel = ExportText(list.get(), EXP_CSV, 0, EXP_SELECTED);
    EXPECT_EQ(sel.count, -1);
    EXPECT_EQ(sel.message, "No objects selected.");
    /* the row the list shows selected (kept by key through a rebuild) */
    PCFROW *pick = list.Rows()[1];
    PCFSELECTION before = { &pick, 1, nullptr, 0 };
    PCFBuildRows(list.get(), 0, &before, nullptr);
    sel = ExportText(list.get(), EXP_CSV, 0, EXP_SELECTED);
    EXPECT_EQ(sel.count, 1);
    EXPECT_NE(sel.text.find("APP.ALIAS"), std::string::npos);
}

TEST_F(Writers, QuotingEscapingAndLongValues)
{
    char out[600];
    ExpCsvValue("a,\"b\"", ',', 0, out, sizeof out);
    EXPECT_STREQ(out, "\"a,\"\"b\"\"\"");
    ExpCsvValue("  lead", ',', 0, out, sizeof out);
    EXPECT_STREQ(out, "lead");
    ExpCsvValue("  lead", ',', 1, out, sizeof out);
    EXPECT_STREQ(out, "  lead");
    ExpCsvValue("one;two", ';', 0, out, sizeof out);
    EXPECT_STREQ(out, "\"one;two\"");
    ExpCsvValue("line\r\nbreak", ',', 0, out, sizeof out);
    EXPECT_STREQ(out, "\"line\r\nbreak\"");
    ExpCsvValue("", ',', 0, out, sizeof out);
    EXPECT_STREQ(out, "\"\"");
    ExpXmlEscape("a&b<c>d'e\"f", 0, out, sizeof out);
    EXPECT_STREQ(out, "a&amp;b&lt;c&gt;d'e\"f");
    ExpXmlEscape("it's \"x\"", 1, out, sizeof out);
    EXPECT_STREQ(out, "it&apos;s &quot;x&quot;");
    ExpXmlEscape(std::string(500, '&').c_str(), 0, out, 20);
    EXPECT_STREQ(out, "&amp;&amp;&amp;");

    /* a value longer than the work buffer is cut, never overrun */
    ListDialog list(&PCFQueueListDef, GoldenColumns());
    list.Fill(Queues(std::string(700, 'D')));
    Exported e = ExportText(list.get(), EXP_CSV, 0);
    auto lines = Lines(e.text);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines[1].find(std::string(299, 'D') + ","), std::string::npos);
    EXPECT_EQ(lines[1].find(std::string(300, 'D')), std::string::npos);
    Exported t = ExportText(list.get(), EXP_TEXT, 0);
    EXPECT_EQ(t.count, 2);
}

TEST_F(Writers, ExtensionsAndCounts)
{
    char out[300];
    ExpReplaceExtension("C:\\exports\\queues.mqs", EXP_CSV, out, sizeof out);
    EXPECT_STREQ(out, "C:\\exports\\queues.csv");
    ExpReplaceExtension("queues", EXP_CSV, out, sizeof out);
    EXPECT_STREQ(out, "queues");
    ExpReplaceExtension("C:\\dir.v2\\queues", EXP_XML, out, sizeof out);
    EXPECT_STREQ(out, "C:\\dir.v2\\queues");
    ExpReplaceExtension("/home/u/dir.d/file", EXP_TEXT, out, sizeof out);
    EXPECT_STREQ(out, "/home/u/dir.d/file");
    ExpReplaceExtension("a.b.c", EXP_MQSC, out, sizeof out);
    EXPECT_STREQ(out, "a.b.mqs");
    ExpCountText(0, out, sizeof out);
    EXPECT_STREQ(out, "No objects exported.");
    ExpCountText(1, out, sizeof out);
    EXPECT_STREQ(out, "1 object exported.");
    ExpCountText(17, out, sizeof out);
    EXPECT_STREQ(out, "17 objects exported.");
}

TEST_F(Writers, FileNameTemplates)
{
    int64_t march5 = 1709652105;                  /* 2024-03-05 15:21:45 UTC */
    QMS q = {};
    snprintf(q.qmName, sizeof q.qmName, "QM1");
    snprintf(q.locationName, sizeof q.locationName, "Main");
    int32_t seq = 0;
    EXPTEMPLATECTX ctx = { &seq, 0 };
    char out[260 + 8];
    ExpandFileTemplateAt(&q, &ctx, "%y%m%d-%i3", out, march5);
    EXPECT_STREQ(out, "2024Mar 5-1");
    EXPECT_EQ(seq, 1);
    EXPECT_EQ(ctx.maximum, 3);
    ExpandFileTemplateAt(&q, &ctx, "%D %H.%M.%S %t %q-%l %x%%%", out, march5);
    EXPECT_STREQ(out, "Tue 16.21.45 16.21.45 QM1-Main %");
    ExpandFileTemplateAt(&q, &ctx, "%", out, march5);
    EXPECT_STREQ(out, "");
    ExpandFileTemplateAt(nullptr, nullptr, "a%i12b%q%lc", out, march5);
    EXPECT_STREQ(out, "abc");
    ExpandFileTemplateAt(&q, &ctx, "%i", out, march5);
    EXPECT_STREQ(out, "1");
    EXPECT_EQ(ctx.maximum, 0);
    /* a long expansion says so (its first 259 characters are only shown),
       nothing written past; 259 characters fit */
    std::string longTemplate;
    for (int i = 0; i < 60; i++)
        longTemplate += "%q%y";
    memset(out, 'Z', sizeof out);
    EXPECT_EQ(ExpandFileTemplateAt(&q, &ctx, longTemplate.c_str(), out, march5), 0);
    EXPECT_EQ(strlen(out), 259u);
    EXPECT_EQ(out[260], 'Z');
    EXPECT_EQ(ExpandFileTemplateAt(&q, &ctx, std::string(259, 'n').c_str(), out, march5), 1);
    EXPECT_EQ(ExpandFileTemplateAt(&q, &ctx, (std::string(258, 'n') + "%q").c_str(), out, march5), 0);
}

TEST_F(Writers, ScheduleOfAutomaticExports)
{
    /* Wednesday 17 February 2021 19:37:14 local */
    LocGlobals.now = Moment;
    QMS q = {};
    q.exportInterval = 0;
    ExpScheduleNext(&q);
    EXPECT_EQ(q.exportTime, 0);

    q.exportDay = 6;                               /* Friday at 08:30 */
    q.exportInterval = 8 * 60 + 30;
    ExpScheduleNext(&q);
    EXPECT_EQ(q.exportTime, Moment - (19 * 3600 + 37 * 60 + 14) + 2 * 86400 + 8 * 3600 + 30 * 60);
    q.exportDay = 4;                               /* Wednesday at 08:30: today has passed */
    ExpScheduleNext(&q);
    EXPECT_EQ(q.exportTime, Moment - (19 * 3600 + 37 * 60 + 14) + 7 * 86400 + 8 * 3600 + 30 * 60);
    q.exportInterval = 20 * 60;                    /* Wednesday at 20:00: still today */
    ExpScheduleNext(&q);
    EXPECT_EQ(q.exportTime, Moment + 22 * 60 + 46);
    q.exportDay = 8;                               /* every day at 08:30: tomorrow */
    q.exportInterval = 8 * 60 + 30;
    ExpScheduleNext(&q);
    EXPECT_EQ(q.exportTime, Moment - (19 * 3600 + 37 * 60 + 14) + 86400 + 8 * 3600 + 30 * 60);

    q.exportDay = 0;                               /* every 90 minutes from the last */
    q.exportInterval = 90;
    q.exportLast = Moment - 3600;
    ExpScheduleNext(&q);
    EXPECT_EQ(q.exportTime, Moment + 1800);
    q.exportLast = Moment - 86400;                 /* long past: now */
    ExpScheduleNext(&q);
    EXPECT_EQ(q.exportTime, Moment);
    q.exportLast = 0;
    ExpScheduleNext(&q);
    EXPECT_EQ(q.exportTime, Moment + 5400);
    LocGlobals.now = 0;
}

}  // namespace
