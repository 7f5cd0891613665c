/* Real replies: queues and a queue manager defined in the stand-in, asked
 * for through the MQI on the command queue, and their replies turned
 * into list rows and field values. */
#include "dlgtest.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "autfile.h"
#include "qms.h"

using namespace dlgtest;

namespace {

const char Script[] =
    "DEFINE QLOCAL(APP.ONE) MAXDEPTH(1234) DESCR('first queue') DEFPSIST(YES)\n"
    "DEFINE QLOCAL(APP.TWO)\n"
    "DEFINE QREMOTE(REM.Q) RNAME(FAR.Q) RQMNAME(QM2) XMITQ(QM2.XQ)\n"
    "DEFINE QALIAS(ALIAS.Q) TARGET(APP.ONE)\n"
    "DEFINE QMODEL(MODEL.Q)\n"
    "ALTER QMGR DESCR('dialogs test')\n";

struct Standin : ::testing::Test {
    Recorder rec;
    QMS location = {};
    void SetUp() override
    {
        static bool made;
        if (!made) {
            StandinMqsc("QMD", Script);
            made = true;
        }
        PCFPrefsDefaults();
        rec.Install();
        strcpy(location.qmName, "QMD");
        strcpy(location.locationName, "Stand-in");
        location.commandLevel = 940;
        location.platform = MQPL_WINDOWS_NT;
    }
    void TearDown() override
    {
        rec.ReleasePosted();
        Recorder::Clear();
        AutReset();
    }
    std::vector<std::string> Queues(const char *name)
    {
        Reply q = Request(MQCMD_INQUIRE_Q);
        q.Str(MQCA_Q_NAME, name).Ints(MQIACF_Q_ATTRS, { MQIACF_ALL });
        return StandinAsk("QMD", q);
    }
    /* The rows of a queue list, by queue name. */
    std::map<std::string, PCFROW *> Fill(Dialog &d, PCFLISTREQ &req, const std::vector<std::string> &replies)
    {
        req.location = &location;
        req.columns = PCFQueueListDef.list->current;
        for (const std::string &r : replies)
            EXPECT_EQ(FillListArea(d.get(), nullptr, &req, (const uint8_t *)r.data(), (uint32_t)r.size(), 0), 0);
        std::map<std::string, PCFROW *> rows;
        for (Post &p : rec.posts)
            if (p.message == UM_PCF_UPDATE_LIST) {
                PCFTakeListArea(d.get(), &req, (PCFLISTAREA *)p.lParam);
                p.message = 0;
            }
        PCFLISTAREA *a = req.replyArea;
        for (PCFROW *r = PCFFirstRow(a); r; r = PCFNextRow(a, r)) {
            uint8_t *v = FindItemAttr(a, MQCA_Q_NAME, r);
            rows[std::string((char *)v + PCFLV_TEXT, PCFListLength(v))] = r;
        }
        return rows;
    }
};

int32_t Int(PCFLISTAREA *a, PCFROW *r, uint32_t id)
{
    uint8_t *v = FindItemAttr(a, id, r);
    return v && (PCFState(v) & PCFS_PRESENT) ? PCFListInt(v) : -999;
}

TEST_F(Standin, QueueListRowsEqualTheDefinedQueues)
{
    Dialog d(&PCFQueueListDef, (void *)1);
    PCFLISTREQ req = {};
    auto rows = Fill(d, req, Queues("*"));
    PCFLISTAREA *a = req.replyArea;
    ASSERT_NE(a, nullptr);
    ASSERT_TRUE(rows.count("APP.ONE") && rows.count("REM.Q") && rows.count("ALIAS.Q") && rows.count("MODEL.Q"));
    EXPECT_TRUE(rows.count("SYSTEM.DEFAULT.LOCAL.QUEUE"));
    EXPECT_EQ(Int(a, rows["APP.ONE"], MQIA_Q_TYPE), MQQT_LOCAL);
    EXPECT_EQ(Int(a, rows["APP.ONE"], MQIA_CURRENT_Q_DEPTH), 0);
    EXPECT_EQ(Int(a, rows["APP.ONE"], MQIA_DEFINITION_TYPE), MQQDT_PREDEFINED);
    EXPECT_EQ(Int(a, rows["REM.Q"], MQIA_Q_TYPE), MQQT_REMOTE);
    EXPECT_EQ(Int(a, rows["ALIAS.Q"], MQIA_Q_TYPE), MQQT_ALIAS);
    EXPECT_EQ(Int(a, rows["ALIAS.Q"], MQIA_BASE_TYPE), MQOT_Q);
    EXPECT_EQ(Int(a, rows["MODEL.Q"], MQIA_Q_TYPE), MQQT_MODEL);
    EXPECT_EQ(Int(a, rows["REM.Q"], MQIA_CURRENT_Q_DEPTH), -999);     /* not answered */
    uint8_t *qm = FindItemAttr(a, 10044, rows["REM.Q"]);
    EXPECT_EQ(std::string((char *)qm + PCFLV_TEXT, PCFListLength(qm)), "QMD");
    ReleaseRefBlock(&req.replyArea);
}

TEST_F(Standin, NameFiltersOfTheAuthoritiesFile)
{
    std::string path = (std::filesystem::temp_directory_path() / "ravolt-dialogs.aut").string();
    {
        std::ofstream f(path);
        f << "all queue_mask = { APP.*, !APP.TWO, S* } queue_list = *.*\n";
    }
    ASSERT_EQ(AutLoadFile(path.c_str()), 1);
    std::filesystem::remove(path);
    Dialog d(&PCFQueueListDef, (void *)1);
    PCFLISTREQ req = {};
    auto rows = Fill(d, req, Queues("*"));
    std::set<std::string> names;
    for (auto &r : rows)
        names.insert(r.first);
    EXPECT_TRUE(names.count("APP.ONE"));
    EXPECT_FALSE(names.count("APP.TWO"));
    EXPECT_TRUE(names.count("SYSTEM.DEFAULT.LOCAL.QUEUE"));   /* tried after the exclusion */
    EXPECT_FALSE(names.count("REM.Q"));
    ReleaseRefBlock(&req.replyArea);
}

TEST_F(Standin, QueueManagerValuesAndKeyMatching)
{
    Reply ask = Request(MQCMD_INQUIRE_Q_MGR);
    ask.Ints(MQIACF_Q_MGR_ATTRS, { MQIACF_ALL });
    auto replies = StandinAsk("QMD", ask);
    ASSERT_EQ(replies.size(), 1u);
    Dialog qm(&PCFQueueManagerDef, (void *)2);
    uint32_t changed;
    EXPECT_EQ(PCFSetDialogData(qm.get(), &location, nullptr, nullptr, 0, (const uint8_t *)replies[0].data(),
                               (uint32_t)replies[0].size(), &changed), 0);
    EXPECT_EQ(PCFTakeDialogData(qm.get()), 1);
    EXPECT_EQ(qm.Text(MQCA_Q_MGR_NAME), "QMD");
    EXPECT_STREQ(qm->objectName, "QMD");
    EXPECT_EQ(qm.Text(MQCA_Q_MGR_DESC), "dialogs test");
    EXPECT_EQ(qm.Text(10200), "Stand-in");
    EXPECT_EQ(qm.Text(MQCA_DEAD_LETTER_Q_NAME).empty(), false);
    EXPECT_EQ(qm.Text(MQIA_MAX_PRIORITY), "9");
    EXPECT_EQ(qm.State(MQIA_MAX_HANDLES) & (PCFS_RECEIVED | PCFS_SPECIFIED), PCFS_RECEIVED | PCFS_SPECIFIED);

    /* a queue dialog takes only the queue its key names */
    auto two = Queues("APP.*");
    ASSERT_EQ(two.size(), 2u);
    for (const char *name : { "APP.ONE", "APP.TWO" }) {
        Dialog q(&PCFQueueDef);
        FieldHWNDData(q.get(), 0, nullptr, 0, q.Field(MQCA_Q_NAME), name, -1, 0);
        for (const std::string &r : two)
            PCFSetDialogData(q.get(), &location, nullptr, nullptr, 1, (const uint8_t *)r.data(), (uint32_t)r.size(), nullptr);
        bool one = !strcmp(name, "APP.ONE");
        EXPECT_EQ(PCFRecInt(q.Record(MQIA_MAX_Q_DEPTH)), one ? 1234 : 5000) << name;
        EXPECT_EQ(q.Text(MQCA_Q_DESC), one ? "first queue" : "") << name;
        EXPECT_EQ(q.Text(MQIA_DEF_PERSISTENCE), one ? "Persistent" : "Not persistent") << name;
        EXPECT_EQ(q.Text(MQIA_Q_TYPE), "Local");
        char b[64];
        EXPECT_STREQ(PCFExportValueText(q->dataArea, q.Field(MQIA_DEF_PERSISTENCE), 0, 1, 0, b, sizeof b),
                     one ? "YES" : "NO");
    }
}

}  // namespace
