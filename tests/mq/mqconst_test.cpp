/* MQ constant tables: their shape, the lookups and the error line. */
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "mq/mqconst.h"

TEST(MQConst, TablesEndWithANullNameAndHaveTexts)
{
    for (int t = 0; t < MQTAB_COUNT; t++) {
        int count = -1;
        const MQConstRow *rows = MQConstTable(t, &count);
        ASSERT_NE(rows, nullptr) << t;
        ASSERT_GT(count, 0) << t;
        EXPECT_EQ(rows[count].name, nullptr) << t;
        for (int i = 0; i < count; i++) {
            ASSERT_NE(rows[i].name, nullptr) << t << " row " << i;
            ASSERT_NE(rows[i].desc, nullptr) << rows[i].name;
        }
    }
    EXPECT_EQ(MQConstTable(MQTAB_COUNT, nullptr), nullptr);

    /* Reasons: one row per value, each described. */
    int count;
    const MQConstRow *rc = MQConstTable(MQTAB_REASONS, &count);
    std::set<int64_t> seen;
    for (int i = 0; i < count; i++) {
        EXPECT_TRUE(seen.insert(rc[i].value).second) << rc[i].name;
        EXPECT_NE(rc[i].desc[0], 0) << rc[i].name;
    }
    const MQConstRow *fb = MQConstTable(MQTAB_FEEDBACK, &count);
    EXPECT_EQ(fb[0].value, 0);
    EXPECT_STREQ(fb[0].desc, "");
}

TEST(MQConst, Lookups)
{
    EXPECT_STREQ(MQReasonText(2085), "Unknown object name");
    EXPECT_STREQ(MQReasonText(2033), "No message available");
    EXPECT_STREQ(MQReasonText(3001), "Structure type not valid");
    EXPECT_STREQ(MQReasonText(258), "Expiration");          /* a feedback code */
    EXPECT_STREQ(MQReasonText(123456), "");
    EXPECT_STREQ(MQReasonName(2085), "MQRC_UNKNOWN_OBJECT_NAME");
    /* as the user is told a reason: the name first, the text if known */
    char shown[80];
    EXPECT_STREQ(MQReasonShown(2009, shown, sizeof shown),
                 "MQRC_CONNECTION_BROKEN (Connection to queue manager broken)");
    EXPECT_STREQ(MQReasonShown(123456, shown, sizeof shown), "");
    EXPECT_STREQ(MQReasonShown(2009, shown, 10), "MQRC_CONN");

    EXPECT_STREQ(MQCmdDesc(13), "Inquire Queue");
    EXPECT_STREQ(MQCmdDesc(10002), "Inquire Messages");
    EXPECT_STREQ(MQCmdDesc(99999), "");
    EXPECT_STREQ(MQCmdName(10003), "MYCMD_STOP_SVR");

    EXPECT_STREQ(MQParmDesc(2016), "Queue Name");
    EXPECT_STREQ(MQParmDesc(3), "Current Queue Depth");
    EXPECT_STREQ(MQParmDesc(10500), "Reply Options");
    EXPECT_STREQ(MQParmDesc(-5), "");
    EXPECT_STREQ(MQParmName(10033), "MYPCFA_POSITION");
    const MQConstRow *row = MQFindRow(MQConstTable(MQTAB_PARAMETERS, nullptr), 2016);
    ASSERT_NE(row, nullptr);
    EXPECT_STREQ(row->keyword, "QUEUE");
}

TEST(MQConst, ValueNames)
{
    EXPECT_EQ(MQValueName(2016, 1), nullptr);                /* no table */
    EXPECT_EQ(MQValueTable(2016), nullptr);
    EXPECT_STREQ(MQValueName(20, 1), "MQQT_LOCAL");
    EXPECT_EQ(MQValueName(20, 4), nullptr);                  /* not in it */
    EXPECT_STREQ(MQValueName(32, 11), "MQPL_WINDOWS_NT");
    EXPECT_STREQ(MQValueName(1, 11), MQValueName(1010, 11));
    EXPECT_STREQ(MQValueName(47, 1), "MQEVR_ENABLED");
    EXPECT_STREQ(MQValueName(1021, 2), "MQCMD_INQUIRE_Q_MGR");
    EXPECT_STREQ(MQValueName(1254, 2085), "MQRC_UNKNOWN_OBJECT_NAME");
    EXPECT_STREQ(MQValueName(1072, 2033), "MQRC_NO_MSG_AVAILABLE");
    EXPECT_STREQ(MQValueName(1013, 0x10009001), "Normal Channel End");
    EXPECT_STREQ(MQValueName(1013, 0x01000000 + 2009), "MQRC_CONNECTION_BROKEN");
    EXPECT_STREQ(MQValueName(1511, 7), "MQCHT_SVRCONN");
    EXPECT_STREQ(MQValueName(1016, 1), "MQOT_Q");

    const int tabled[] = { 1, 20, 30, 32, 34, 42, 55, 64, 65, 66, 77, 92, 93, 98, 102, 103,
                           112, 115, 116, 117, 119, 122, 137, 141, 187, 190, 203, 207, 221,
                           234, 245, 247, 248, 249, 250, 252, 254, 257, 260, 261, 264, 266,
                           268, 269, 270, 271, 1011, 1013, 1016, 1020, 1021, 1072, 1115,
                           1118, 1175, 1356, 1412, 1501, 1511, 1601 };
    for (int id : tabled) {
        const MQConstRow *t = MQValueTable(id);
        ASSERT_NE(t, nullptr) << id;
        EXPECT_NE(t[0].name, nullptr) << id;
    }
    const MQConstRow *q = MQValueTable(20);
    EXPECT_STREQ(MQFindRow(q, 2)->keyword, "QMODEL");
}

TEST(MQConst, ErrorLines)
{
    char line[300];
    MQFormatError(line, sizeof line, "MQOPEN", "QM1", "SYSTEM.DEFAULT.LOCAL.QUEUE", 2085);
    EXPECT_STREQ(line, "MQOPEN on object 'QM1/SYSTEM.DEFAULT.LOCAL.QUEUE' returned 2085 Unknown object name.\n");
    MQFormatError(line, sizeof line, "MQCONN", " ", "", 2059);
    EXPECT_STREQ(line, "MQCONN returned 2059 Queue manager not available.\n");
    MQFormatError(line, sizeof line, "MQCONN", "QM1", nullptr, 2059);
    EXPECT_STREQ(line, "MQCONN on qmgr 'QM1' returned 2059 Queue manager not available.\n");
    MQFormatError(line, sizeof line, "MQGET", nullptr, "Q", 123456);
    EXPECT_STREQ(line, "MQGET on object '/Q' returned 123456\n");
    std::string longName(60, 'N');
    MQFormatError(line, sizeof line, "MQPUT", longName.c_str(), longName.c_str(), 2053);
    EXPECT_EQ(std::string(line), "MQPUT on object '" + longName.substr(0, 48) + "/" +
                                 longName.substr(0, 48) + "' returned 2053 Queue full.\n");
    char tiny[10];
    int n = MQFormatError(tiny, sizeof tiny, "MQPUT", "QM", "Q", 2053);
    EXPECT_EQ(n, 9);
    EXPECT_STREQ(tiny, "MQPUT on ");
    testing::internal::CaptureStderr();
    PrintMQError("MQCLOSE", "QM1", "Q1", 2019);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "MQCLOSE on object 'QM1/Q1' returned 2019 Object handle not valid.\n");
}
