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

/* The MQCFH variants that the header's Type chooses in an admin message,
 * and those only the editor chooses, named from the MQ engine's tables. */
TEST(FmtMQTables, PcfHeaderVariants)
{
    std::string all;
    for (auto &m : BuiltMessages()) {
        if (m.name != "pcf_trace_route" && m.name != "pcf_app_activity")
            continue;
        FmtMsgInfo info = MakeMsg("MQADMIN ", m.md.reversed ? 546 : 273, 1208);
        std::string out = FormatAll(info, m.body.b, MakeLineRec(4));
        EXPECT_EQ(std::string::npos, out.find("Incomplete")) << out;
        EXPECT_EQ(std::string::npos, out.find("Admin Header")) << out;
        all += out;
    }
    EXPECT_NE(std::string::npos, all.find("Trace Route (MQCFH)")) << all;
    EXPECT_NE(std::string::npos, all.find("Application Activity Header (MQCFH)")) << all;

    Bytes cfh = BuildPcfHeader(true, 2, 13, 0);
    FmtStructDef *generic[] = { &FmtDefCFHGenericPcf, &FmtDefCFHGenericPcf2,
                                &FmtDefCFHGenericAdmin, &FmtDefCFHGenericEvent };
    FmtLayoutAll();
    for (FmtStructDef *def : generic) {
        EXPECT_EQ(36u, def->size) << def->title;
        Recorder r;
        FmtMsgInfo m = MakeMsg("        ");
        FmtLineRec lr = MakeLineRec(4);
        const unsigned char *p = cfh.b.data();
        uint32_t rem = (uint32_t)cfh.size();
        FapFormatStructure(&m, def, nullptr, RecordSink, (uint64_t)(uintptr_t)&r, &lr, &rem, &p);
        EXPECT_EQ(0u, rem) << def->title;
        all += Render(r);
    }
    EXPECT_EQ("", CompareGolden("pcf_variants_mqtables", all));
}
