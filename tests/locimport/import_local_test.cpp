/* Import of local queue managers, without windows: names from the real
 * mqs.ini samples under MQ_DATA_PATH, those already defined left out, the
 * list handed over or the box when there is none, and (Windows) names from
 * the installation's registry keys. */
#include "loctest.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace loctest;

namespace {

std::vector<std::string> Names(IMPORTLIST *list)
{
    std::vector<std::string> v;
    for (IMPORTENTRY *e : Entries(list))
        v.push_back(e->qmName);
    return v;
}

/* A data directory holding a copy of a sample as mqs.ini. */
void DataPath(const char *sample)
{
    std::string dir = TempDir("mqdata");
    if (sample)
        WriteText(dir + "/mqs.ini", ReadText(Sample("ini-mqsc", sample)));
    SetEnv("MQ_DATA_PATH", dir.c_str());
}

}  // namespace

TEST_F(ImportTest, LocalQueueManagersOfTheSampleIniFiles)
{
    DataPath("SalaiMadhavan__MQ__mqs.ini");
    IMPORTLIST *list = ImportFindLocalQMgrs();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Names(list), (std::vector<std::string>{
                               "CPI_QM1", "TA_QM", "TRANS_ADV_QM", "Cork", "Dublin", "QMA", "QMinsT4", "QM1",
                               "London", "NewYork", "IBM_QM_MANAGER_LONG_NAME_FOR_QUEUE", "sampleQM", "CCDT"}));
    for (IMPORTENTRY *e : Entries(list))
        EXPECT_TRUE(e->selectable);
    ImportListFree(list);

    AddLocation("Dublin");
    AddLocation("CCDT", "", 0, "OTHER");        /* any second name counts */
    list = ImportFindLocalQMgrs();
    EXPECT_EQ(Names(list).size(), 11u);
    EXPECT_EQ(Entry(list, "Dublin"), nullptr);
    ImportListFree(list);

    DataPath("ibm-doc-example__mqs.ini");
    list = ImportFindLocalQMgrs();
    EXPECT_EQ(Names(list), (std::vector<std::string>{"saturn.queue.manager", "pluto.queue.manager"}));
    ImportListFree(list);
    SetEnv("MQ_DATA_PATH", nullptr);
}

TEST_F(ImportTest, LocalListHandedOverOrNoneFound)
{
    DataPath("ibm-doc-example__mqs.ini");
    ImportLocalQMgrs(0);
    ASSERT_EQ(Seen().posted.size(), 1u);
    IMPORTLIST *list = Seen().posted[0];
    EXPECT_EQ(list->kind, (uint32_t)IMP_LOCAL);
    /* the local list hides what is defined and imports the rest */
    std::vector<IMPORTENTRY *> rows = Entries(list);
    EXPECT_EQ(ImportEntries(list, rows.data(), 2, "", "", 0), 2);
    EXPECT_EQ(LastBox(), "2 locations imported");
    EXPECT_EQ(Seen().boxes.back().caption, "Local QMgr Import Result");
    QMS *r = LocFind("saturn.queue.manager");
    ASSERT_NE(r, nullptr);
    EXPECT_FALSE(r->flags & LF_CLIENT);
    EXPECT_EQ(r->clientSettings, nullptr);
    ImportMarkEntries(list);
    EXPECT_FALSE(ImportEntryShown(list, rows[0], 0));
    ImportListFree(list);

    Seen().boxes.clear();
    ImportLocalQMgrs(0);                        /* at start-up: nothing to say */
    EXPECT_TRUE(Seen().boxes.empty());
    ImportLocalQMgrs(1);
    ASSERT_EQ(Seen().boxes.size(), 1u);
    EXPECT_EQ(Seen().boxes[0].text, "No additional local Queue Managers found");
    EXPECT_EQ(Seen().boxes[0].caption, "Ravolt Queue Manager Import");
    EXPECT_EQ(Seen().boxes[0].error, 0);
    EXPECT_EQ(Seen().posted.size(), 1u);
    SetEnv("MQ_DATA_PATH", nullptr);
}

TEST(ImportIni, NamesOnlyFromQueueManagerStanzas)
{
    std::string path = TempDir("ini") + "/mqs.ini";
    WriteText(path, "# comment\nQueueManager:\n  Prefix=/x\n  Name = ONE\n  Name=TWO\n"
                    "  ; Name=HIDDEN\nqueuemanager:\nName=THREE extra\nLogDefaults:\nName=NOT.A.QM\n"
                    "QueueManager:\nName\nQueueManager:\nName=" +
                    std::string(60, 'L') + "\n");
    std::vector<std::string> names;
    FILE *f = fopen(path.c_str(), "rb");
    ImportReadMqsIni(f, [](void *ctx, const char *qm) { ((std::vector<std::string> *)ctx)->push_back(qm); }, &names);
    fclose(f);
    EXPECT_EQ(names, (std::vector<std::string>{"ONE", "THREE", std::string(60, 'L')}));
}

#ifdef _WIN32
TEST_F(ImportTest, LocalQueueManagersFromTheRegistry)
{
    const char *root = "SOFTWARE\\IBM\\MQSeries\\CurrentVersion\\Configuration\\QueueManager";
    struct { const char *key, *name; } qms[] = {{"REG!ONE", "REG.ONE"}, {"REG!TWO", "REG.TWO"}, {"EMPTY", ""}};
    for (auto &q : qms) {
        HKEY k;
        std::string path = std::string(root) + "\\" + q.key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                  nullptr), ERROR_SUCCESS);
        RegSetValueExA(k, "Name", 0, REG_SZ, (const BYTE *)q.name, (DWORD)strlen(q.name) + 1);
        RegCloseKey(k);
    }
    SetEnv("MQ_DATA_PATH", nullptr);
    IMPORTLIST *list = ImportFindLocalQMgrs();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"REG.ONE", "REG.TWO"}));
    ImportListFree(list);
    for (auto &q : qms)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(root) + "\\" + q.key).c_str());
    /* the keys made for the test go, innermost first (a key with others stays) */
    for (const char *k : {root, "SOFTWARE\\IBM\\MQSeries\\CurrentVersion\\Configuration",
                          "SOFTWARE\\IBM\\MQSeries\\CurrentVersion", "SOFTWARE\\IBM\\MQSeries", "SOFTWARE\\IBM"})
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, k);
    EXPECT_EQ(ImportFindLocalQMgrs(), nullptr);
}
#endif
