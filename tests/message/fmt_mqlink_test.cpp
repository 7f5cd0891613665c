/* Without tables of the program's own, the formatter names values from
 * the MQ engine's constant tables. (Its own executable: the other tests
 * install stand-in tables.) */
#include "fmtbuild.h"
#include "mq/mqconst.h"
#include <gtest/gtest.h>

TEST(FmtMQTables, ReasonsCommandsAndParameterValuesNamed)
{
    Bytes dlh = BuildDLH(true, "MQSTR   ");
    std::string out = FormatAll(MakeMsg("MQDEAD  "), dlh.b, MakeLineRec(4));
    std::string reason = MQReasonText(2085);
    ASSERT_FALSE(reason.empty());
    EXPECT_NE(std::string::npos, out.find("Reason       : 2085 (" + reason + ")")) << out;

    Bytes pcf = BuildPcfHeader(true, 1, 13, 1);
    CfIn(pcf, 20, 1);                                   /* queue type: local */
    out = FormatAll(MakeMsg("MQADMIN "), pcf.b, MakeLineRec(4));
    EXPECT_NE(std::string::npos, out.find(std::string("(") + MQCmdDesc(13) + ")")) << out;
    const char *local = MQValueName(20, 1);
    ASSERT_NE(nullptr, local);
    EXPECT_NE(std::string::npos, out.find(std::string("[0x'1'] ") + local)) << out;
}
