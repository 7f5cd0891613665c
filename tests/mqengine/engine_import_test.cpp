/* A location imported from a real channel definition table connects
 * through its client settings: the channel definition that reaches
 * MQCONNX is the table's channel, on both sides of the location. */
#include "enginetest.h"
#include "sampletest.h"

#include <cstdlib>

#include "cs.h"
#include "locimport.h"

namespace {

std::string Sample(const std::string &folder, const std::string &name)
{
    return samples::File(folder + "/" + name);
}

std::vector<std::string> Boxes;

void RecordBox(void *, void *, const char *text, const char *, int)
{
    Boxes.push_back(text);
}

/* Imports the channels of one queue manager from a table: the location. */
QMS *Import(const std::string &table, const char *qm)
{
    IMPORTHOOKS hooks = {};
    hooks.box = RecordBox;
    ImportSetHooks(&hooks);
    Boxes.clear();
    IMPORTLIST *list = ImportListCreate(IMP_CCDT);
    UTStrCopy(list->fileName, table.c_str(), sizeof list->fileName);
    ReadCCDTFile(list);
    IMPORTENTRY *row = list->entries;
    while (row && strcmp(row->qmName, qm))
        row = row->next;
    int made = row ? ImportEntries(list, &row, 1, "", "", 0) : 0;
    ImportListFree(list);
    ImportSetHooks(nullptr);
    EXPECT_EQ(made, 1) << (Boxes.empty() ? "" : Boxes.back());
    EXPECT_EQ(Boxes, std::vector<std::string>{"Location imported"});
    return made ? LocFind(qm) : nullptr;
}

}  // namespace

TEST_F(EngineTest, ALocationImportedFromAChannelTableConnectsThroughItsChannel)
{
    Mqsc("QMGR1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Import(Sample("ccdt-binary", "bdsaen__mqtoolbox__MQSamples_AMQCLCHL_ONE_QMGR.TAB"), "QMGR1");
    ASSERT_NE(r, nullptr);
    locations.push_back(r);
    EXPECT_TRUE(r->flags & LF_CLIENT);
    ASSERT_NE(r->clientSettings, nullptr);

    Connect(r);
    std::vector<MQCall> calls = Rec.Of("MQCONNX");
    ASSERT_EQ(calls.size(), 2u);                /* the put side and the get side */
    for (const MQCall &c : calls) {
        EXPECT_EQ(c.object, "QMGR1");
        EXPECT_EQ(c.rc, MQRC_NONE);
        EXPECT_GE(c.cno.Version, MQCNO_VERSION_2);
        ASSERT_TRUE(c.hasCd);
        EXPECT_EQ(Trim(c.cd.ChannelName, 20), "TEST.SVRCONN");
        EXPECT_EQ(Trim(c.cd.ConnectionName, 264), "localhost(1414)");
        EXPECT_EQ(Trim(c.cd.QMgrName, 48), "QMGR1");
        EXPECT_EQ(c.cd.ChannelType, MQCHT_CLNTCONN);
        EXPECT_EQ(c.cd.TransportType, MQXPT_TCP);
        EXPECT_EQ(c.cd.MaxMsgLength, 4194304);  /* the table's, not the engine's default */
        EXPECT_EQ(c.cd.HeartbeatInterval, 300);
        EXPECT_EQ(c.cd.SendExitsDefined, 0);
        EXPECT_EQ(c.cd.Version, 4);             /* nothing past version 4 differs from the defaults */
        EXPECT_EQ(c.cd.StrucLength, 1568);
        EXPECT_FALSE(c.hasSco);
    }
    EXPECT_NE(r->putThread.hConn, -1);
    for (const std::string &text : Main.ErrorTexts(r))
        EXPECT_EQ(text.find("RC("), std::string::npos) << text;
}
