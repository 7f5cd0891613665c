/* The automatic export: a file-name template with a sequence that wraps
 * at its maximum, overwriting and appending, the debug report and the
 * debug lines, lists that are not complete yet, and the texts of a
 * missing template and of a file that cannot be opened. */
#include "exptest.h"

#include <cstdlib>
#include <filesystem>

#include "pcflists.h"
#include "prffile.h"

using namespace exptest;

namespace {

void SetEnv(const char *name, const char *value)
{
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

Reply TwoQueues()
{
    Reply r(MQCMD_INQUIRE_Q);
    r.Str(MQCA_Q_NAME, "APP.A").Int(MQIA_Q_TYPE, MQQT_LOCAL).Int(MQIA_MAX_Q_DEPTH, 10).Separator();
    r.Str(MQCA_Q_NAME, "APP.B").Int(MQIA_Q_TYPE, MQQT_LOCAL).Int(MQIA_MAX_Q_DEPTH, 20);
    return r;
}

struct Auto : ::testing::Test {
    Recorder rec;
    std::unique_ptr<ListDialog> list;
    std::string dir;
    void SetUp() override
    {
        PrfLoadText("AP:\n", 4);
        PCFPrefsDefaults();
        list.reset(new ListDialog(&PCFQueueListDef, AllColumns(&PCFQueueDef), "QMA"));
        list->Fill(TwoQueues());
        DialogWords *d = list->get();
        d->first.requestCount = d->first.replyCount = d->first.endCount = 1;
        dir = std::filesystem::path(TempPath("auto")).parent_path().string() + "/auto";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        rec.Install();
    }
    void TearDown() override
    {
        Recorder::Clear();
        list.reset();
        SetEnv("RAVOLT_EXPORT_DEBUG", nullptr);
        SetEnv("RAVOLT_EXPORT_DBG", nullptr);
    }
    DialogWords *Due(const std::string &templ, int type, int append)
    {
        DialogWords *d = list->get();
        snprintf(d->exportFile, sizeof d->exportFile, "%s", templ.c_str());
        d->exportType = type;
        d->optionFlags = (d->optionFlags & ~(uint32_t)DO_APPEND) | (append ? DO_APPEND : 0);
        d->exportDue = 1;
        return d;
    }
};

TEST_F(Auto, SequenceWrapsAndFilesAreOverwrittenOrAppended)
{
    DialogWords *d = Due(dir + "/%q-%i3.mqs", EXP_MQSC, 0);
    for (int i = 0; i < 4; i++) {
        d->exportDue = 1;
        ASSERT_EQ(ExpAutoExport(d, 0), 1);
        EXPECT_EQ(d->exportDue, 0);
    }
    EXPECT_EQ(d->exportMaximum, 3);
    EXPECT_EQ(d->exportSequence, 2);                   /* 1, 2, 3, back to 1, now 2 */
    for (const char *name : { "/QMA-1.mqs", "/QMA-2.mqs", "/QMA-3.mqs" })
        ASSERT_TRUE(std::filesystem::exists(dir + name)) << name;
    std::string once = ReadFile(dir + "/QMA-2.mqs");
    EXPECT_NE(once.find("DEFINE QLOCAL('APP.B')"), std::string::npos);
    EXPECT_EQ(ReadFile(dir + "/QMA-1.mqs"), once);     /* overwritten, not appended */

    /* appending to one file: the header once, unless always asked for */
    d = Due(dir + "/all.txt", EXP_TEXT, 1);
    d->exportSequence = 0;
    d->exportMaximum = 0;
    ASSERT_EQ(ExpAutoExport(d, 1), 1);
    d->exportDue = 1;
    ASSERT_EQ(ExpAutoExport(d, 1), 1);
    auto lines = Lines(ReadFile(dir + "/all.txt"));
    ASSERT_EQ(lines.size(), 7u);                        /* title, headings, two rows, two rows */
    EXPECT_EQ(lines[5].compare(0, 5, "APP.A"), 0);
    d->optionFlags |= DO_ALWAYS_HEADER;
    d->exportDue = 1;
    ASSERT_EQ(ExpAutoExport(d, 1), 1);
    EXPECT_EQ(Lines(ReadFile(dir + "/all.txt")).size(), 12u);
    EXPECT_EQ(d->exportSequence, 0);                    /* no maximum: no sequence */
}

TEST_F(Auto, ListsNotCompleteWaitUnlessForced)
{
    DialogWords *d = Due(dir + "/wait.csv", EXP_CSV, 0);
    d->first.requestCount = 3;
    d->first.replyCount = d->first.endCount = 1;
    d->first.lastRequest = CSGetCurrentTime();           /* two replies missing, asked just now */
    EXPECT_EQ(ExpAutoExport(d, 0), 0);
    EXPECT_EQ(d->exportDue, 1);
    EXPECT_FALSE(std::filesystem::exists(dir + "/wait.csv"));
    std::string report = dir + "/report.txt";
    SetEnv("RAVOLT_EXPORT_DEBUG", report.c_str());
    EXPECT_EQ(ExpAutoExport(d, 1), 1);
    EXPECT_TRUE(std::filesystem::exists(dir + "/wait.csv"));
    auto lines = Lines(ReadFile(report));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].compare(0, 32, "Auto Export for 'Queue List' at "), 0) << lines[0];
    EXPECT_NE(lines[0].find("FORCE(Yes)"), std::string::npos);
    EXPECT_EQ(lines[1].find("Qm(QMA) Data(Yes) Req(3) Err(1) Rsp(1) "), 0u) << lines[1];
    EXPECT_NE(lines[1].find("ReqAge("), std::string::npos);
    EXPECT_NE(lines[1].find(" Incomplete"), std::string::npos);
    EXPECT_EQ(lines[2], "One or more are incomplete");
}

TEST_F(Auto, DebugLinesAndFailureTexts)
{
    SetEnv("RAVOLT_EXPORT_DBG", "1");
    DialogWords *d = Due(dir + "/dbg.mqs", EXP_MQSC, 0);
    ASSERT_EQ(ExpAutoExport(d, 1), 1);
    std::string text = ReadFile(dir + "/dbg.mqs");
    EXPECT_NE(text.find("Exporting 'APP.A' - Export Type 1 - Export Qualifier 0"), std::string::npos);
    EXPECT_NE(text.find("  QMS - 'QMA' Command Level 0x3AC"), std::string::npos);
    EXPECT_NE(text.find("  Field is read only"), std::string::npos);
    EXPECT_NE(text.find("  Field is not required for this command"), std::string::npos);
    EXPECT_NE(text.find("  Field has NULL value"), std::string::npos);
    EXPECT_NE(text.find("  Field 'Maximum Queue Depth      ' ID:   15 Offset:"), std::string::npos);
    SetEnv("RAVOLT_EXPORT_DBG", nullptr);

    d = Due("", EXP_MQSC, 0);
    ASSERT_EQ(ExpAutoExport(d, 1), 1);
    ASSERT_FALSE(rec.statuses.empty());
    EXPECT_EQ(rec.statuses.back(), "For auto export you must provide a file");
    EXPECT_EQ(d->exportDue, 0);
    std::string bad = dir + "/no/such/folder/x.mqs";
    d = Due(bad, EXP_MQSC, 0);
    ASSERT_EQ(ExpAutoExport(d, 1), 1);
    EXPECT_EQ(rec.statuses.back(), "Unable to open auto export file '" + bad + "'");
    d->exportDue = 0;
    EXPECT_EQ(ExpAutoExport(d, 1), 0);                  /* nothing due */
    /* a name that expands past 259 characters is refused, never cut to
       another file's name */
    std::string longName = dir + "/" + std::string(250 - dir.size(), 'n') + "%q%q%q";
    d = Due(longName, EXP_MQSC, 0);
    ASSERT_EQ(ExpAutoExport(d, 1), 1);
    EXPECT_EQ(rec.statuses.back().find("Auto export file name '" + dir + "/nnn"), 0u) << rec.statuses.back();
    EXPECT_NE(rec.statuses.back().find("' is longer than 259 characters"), std::string::npos);
    std::string cut = (dir + "/" + std::string(250 - dir.size(), 'n') + "QMAQMAQMA").substr(0, 259);
    EXPECT_FALSE(std::filesystem::exists(cut));
    EXPECT_FALSE(std::filesystem::exists(cut.substr(0, 257)));
}

}  // namespace
