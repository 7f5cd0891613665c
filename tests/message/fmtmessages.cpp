/* The messages of the golden tests, built field by field. */
#include "fmtbuild.h"

static Bytes Text(const char *s)
{
    Bytes b;
    b.Chars(s, strlen(s));
    return b;
}

static Bytes Dlh(bool rev) { Bytes b = BuildDLH(rev, "MQSTR   "); return b.Add(Text("Undeliverable text")); }

static Bytes Xqh(bool rev)
{
    Bytes b(rev);
    b.Chars("XQH ", 4).I32(1).Chars("REMOTE.Q", 48).Chars("REMOTE.QM", 48);
    Bytes md = BuildMD(rev, 1, "MQSTR   ", rev ? 546 : 273, 1208);
    b.Add(md);
    return b.Add(Text("Through the transmission queue"));
}

static Bytes Mde(bool rev)
{
    Bytes b(rev);
    b.Chars("MDE ", 4).I32(2).I32(72).I32(rev ? 546 : 273).I32(1208).Chars("MQSTR   ", 8).I32(0)
        .Fill(0xAB, 24).I32(3).I32(100).I32(0x10).I32(500);
    return b.Add(Text("Extended descriptor"));
}

static Bytes Dh(bool rev)
{
    Bytes b(rev);
    int recs = 2, pmr = 24 + 4;
    b.Chars("DH  ", 4).I32(1).I32(48 + recs * 96 + recs * pmr).I32(rev ? 546 : 273).I32(1208)
        .Chars("MQSTR   ", 8).I32(0).I32(1 | 8).I32(recs).I32(48).I32(48 + recs * 96);
    b.Chars("Q.ONE", 48).Chars("QM.A", 48).Chars("Q.TWO", 48).Chars("QM.B", 48);
    b.Fill(0x11, 24).I32(259).Fill(0x22, 24).I32(260);
    return b.Add(Text("To a distribution list"));
}

static Bytes Rfh1(bool rev)
{
    Bytes b(rev);
    const char *nv = "OPT_APP_GRP SampleGroup OPT_MSG_TYPE SampleType";
    uint32_t n = (uint32_t)((strlen(nv) + 3) & ~3u);
    b.Chars("RFH ", 4).I32(1).I32(32 + n).I32(rev ? 546 : 273).I32(1208).Chars("MQSTR   ", 8).I32(0)
        .Chars(nv, n);
    return b.Add(Text("Version one rules"));
}

static Bytes Rfh2Chain(bool rev)
{
    Bytes b = BuildRfh2(rev, "MQHRF2  ", { "<mcd><Msd>jms_text</Msd></mcd>",
                                          "<jms><Dst>queue:///Q1</Dst><Tms>1571328167362</Tms><Dlv>2</Dlv></jms>" });
    b.Add(BuildRfh2(rev, "MQSTR   ", { "<usr><colour>blue</colour><size dt='i4'>7</size></usr>" }));
    return b.Add(Text("Body after two RFH2s"));
}

static Bytes Cih(bool rev)
{
    Bytes b(rev);
    b.Chars("CIH ", 4).I32(2).I32(180).I32(rev ? 546 : 273).I32(1208).Chars("MQSTR   ", 8).I32(0)
        .I32(0).I32(0).I32(0).I32(273).I32(-2).I32(1).I32(-1).I32(0).I32(0).I32(0).I32(0)
        .Fill(0, 8).Chars("", 4).Chars("", 4).Chars("", 8).Chars("", 8).Chars("MQSTR", 8)
        .Chars("", 4).Chars("", 4).Chars("CKBP", 4).Chars("", 4).Chars("", 4).Chars("", 4).Chars("", 4)
        .Chars("", 4).Chars("", 8).Chars("", 8).I32(0).I32(0).I32(0).I32(0);
    return b.Add(Text("COMMAREA"));
}

static Bytes Iih(bool rev)
{
    Bytes b(rev);
    b.Chars("IIH ", 4).I32(1).I32(84).I32(rev ? 546 : 273).I32(1208).Chars("MQSTR   ", 8).I32(0)
        .Chars("LTERM1", 8).Chars("MAP1", 8).Chars("MQIMSVS", 8).Chars("", 8).Fill(0, 16)
        .Chars(" ", 1).Chars("0", 1).Chars("C", 1).Chars(" ", 1);
    return b.Add(Text("IMS transaction"));
}

static Bytes Wih(bool rev)
{
    Bytes b(rev);
    b.Chars("WIH ", 4).I32(1).I32(120).I32(rev ? 546 : 273).I32(1208).Chars("MQSTR   ", 8).I32(0)
        .Chars("PAYROLL.SERVICE", 32).Chars("STEP1", 8).Fill(0x5A, 16).Chars("", 32);
    return b.Add(Text("Work item"));
}

static Bytes Tm(bool rev)
{
    Bytes b(rev);
    b.Chars("TM  ", 4).I32(1).Chars("APP.INPUT", 48).Chars("APP.PROCESS", 48).Chars("trigger data", 64)
        .I32(6).Chars("/opt/app/bin/run", 256).Chars("env", 128).Chars("user", 128);
    return b.Add(Text("junk"));
}

static Bytes Rmh(bool rev)
{
    Bytes b(rev);
    const char *env = "SRCENV", *name = "source.file.name";
    b.Chars("RMH ", 4).I32(1).I32(108 + 8 + 16).I32(rev ? 546 : 273).I32(1208).Chars("MQSTR   ", 8).I32(0)
        .Chars("FILE", 8).Fill(0x33, 24).I32(6).I32(108).I32(16).I32(116).I32(0).I32(0).I32(0).I32(0)
        .I32(1000).I32(0).I32(0).Chars(env, 8).Chars(name, 16);
    return b.Add(Text("Reference data"));
}

static Bytes Eph(bool rev)
{
    Bytes pcf = BuildPcfHeader(rev, 1, 13, 2);
    CfSt(pcf, 2016, "APP.QUEUE");
    CfIn(pcf, 20, 1);
    Bytes b(rev);
    b.Chars("EPH ", 4).I32(1).I32(32 + (int64_t)pcf.size()).I32(rev ? 546 : 273).I32(1208)
        .Chars("MQSTR   ", 8).I32(0).Add(pcf);
    return b.Add(Text("After the embedded PCF"));
}

static Bytes PcfCommand(bool rev)
{
    Bytes b = BuildPcfHeader(rev, 1, 13, 3);
    CfSt(b, 2016, "SYSTEM.*");
    CfIn(b, 20, 1);
    b.I32(5).I32(16 + 12).I32(1002).I32(3).I32(2016).I32(20).I32(1016);   /* MQCFIL */
    return b;
}

static Bytes PcfResponseGroups(bool rev)
{
    Bytes b = BuildPcfHeader(rev, 2, 13, 3, 0, 0);
    CfSt(b, 2016, "APP.QUEUE");
    CfGr(b, 8001, 2);
    CfIn(b, 20, 1);
    CfSt(b, 2016, "INSIDE.GROUP");
    CfIn(b, 1016, 1);
    return b;
}

static Bytes PcfEvent(bool rev)
{
    Bytes b = BuildPcfHeader(rev, 7, 44, 3, 2, 2035);
    CfSt(b, 2016, "SECRET.Q");
    b.I32(9).I32(16 + 8).I32(7001).I32(6).Chars("\x01\x02\x03\x04\x05\x06", 6).Pad4();   /* MQCFBS */
    b.I32(3).I32(16).I32(1022).I32(8 | 16);            /* open options as flags */
    return b;
}

static Bytes PcfStatistics(bool rev)
{
    Bytes b = BuildPcfHeader(rev, 21, 164, 3);
    CfSt(b, 2016, "STATS.Q");
    b.I32(23).I32(24).I32(703).I32(0).I64(123456789012345LL);          /* MQCFIN64 */
    b.I32(25).I32(16 + 16).I32(704).I32(2).I64(7).I64(-1);             /* MQCFIL64 */
    return b;
}

/* A trace-route message: route settings in one group, one recorded
 * activity in another. */
static Bytes PcfTraceRoute(bool rev)
{
    Bytes b = BuildPcfHeader(rev, 10, 75, 2);
    CfGr(b, 8003, 3);                                   /* MQGACF_TRACE_ROUTE */
    CfIn(b, 1234, 2);                                   /* MQIACF_ROUTE_DETAIL */
    CfIn(b, 1235, 1);                                   /* MQIACF_RECORDED_ACTIVITIES */
    CfIn(b, 1236, -1);                                  /* MQIACF_MAX_ACTIVITIES */
    CfGr(b, 8005, 1);                                   /* MQGACF_ACTIVITY */
    CfSt(b, 2015, "QM1");                               /* MQCA_Q_MGR_NAME */
    return b;
}

/* An application activity trace record with one traced operation. */
static Bytes PcfAppActivity(bool rev)
{
    Bytes b = BuildPcfHeader(rev, 26, 209, 3);
    CfSt(b, 2015, "QM1");                               /* MQCA_Q_MGR_NAME */
    CfSt(b, 3024, "amqsput");                           /* MQCACF_APPL_NAME */
    CfGr(b, 8013, 2);                                   /* MQGACF_ACTIVITY_TRACE */
    CfIn(b, 1356, 3);                                   /* MQIACF_OPERATION_ID */
    CfIn(b, 1242, 0);                                   /* MQIACF_COMP_CODE */
    return b;
}

std::vector<BuiltMessage> BuiltMessages()
{
    struct { const char *name; const char *format; bool rev; int version; Bytes (*body)(bool); } cases[] = {
        { "md1_le_dlh", "MQDEAD  ", true, 1, Dlh },
        { "md2_be_dlh", "MQDEAD  ", false, 2, Dlh },
        { "md2_le_xqh", "MQXMIT  ", true, 2, Xqh },
        { "md1_be_xqh", "MQXMIT  ", false, 1, Xqh },
        { "mde", "MQHMDE  ", true, 2, Mde },
        { "dh_records", "MQHDIST ", true, 2, Dh },
        { "rfh1", "MQHRF   ", true, 2, Rfh1 },
        { "rfh2_chain", "MQHRF2  ", true, 2, Rfh2Chain },
        { "rfh2_chain_be", "MQHRF2  ", false, 2, Rfh2Chain },
        { "cih", "MQCICS  ", true, 2, Cih },
        { "iih", "MQIMS   ", true, 2, Iih },
        { "wih", "MQHWIH  ", true, 2, Wih },
        { "tm", "MQTRIG  ", true, 2, Tm },
        { "rmh", "MQHREF  ", true, 2, Rmh },
        { "eph", "MQHEPCF ", true, 2, Eph },
        { "pcf_command", "MQADMIN ", true, 2, PcfCommand },
        { "pcf_command_be", "MQADMIN ", false, 2, PcfCommand },
        { "pcf_response_groups", "MQADMIN ", true, 2, PcfResponseGroups },
        { "pcf_event", "MQEVENT ", true, 2, PcfEvent },
        { "pcf_statistics", "MQADMIN ", true, 2, PcfStatistics },
        { "pcf_trace_route", "MQADMIN ", true, 2, PcfTraceRoute },
        { "pcf_app_activity", "MQADMIN ", false, 2, PcfAppActivity },
    };
    std::vector<BuiltMessage> out;
    for (auto &c : cases)
        out.push_back({ c.name, BuildMD(c.rev, c.version, c.format, c.rev ? 546 : 273, 1208), c.body(c.rev) });
    return out;
}
