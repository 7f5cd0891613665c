/* Message summaries on list records built as the list fill builds them
 * (the message command's reply parameters): dead letters, transmission
 * headers, PCF messages in either byte order, user summary fields, the
 * suppression marks and the value area's limit. */
#include "uftest.h"
#include "fmtbuild.h"
#include "cscodepage.h"
#include "mq/pcf.h"
#include <cstring>

/* The reply parameters of one message: Encoding, CodedCharSetId, Format,
 * then the message data (the program's byte string). */
struct ListRecord {
    std::vector<unsigned char> parms;
    int32_t count = 0;
    std::vector<unsigned char> data;
};

static ListRecord Record(const char *format, int32_t encoding, int32_t ccsid, const Bytes &data,
                         bool withFormat = true)
{
    MQPP pp;
    void *area = nullptr;
    MQLONG cc, rc;
    PCFInitArea(&pp, &area, 1, 0, 0, 10003, &cc, &rc);
    int32_t token = 7;
    PCFAddParm(&pp, MQCFT_INTEGER, 10038, &token, 4, 0, &cc, &rc);
    PCFAddParm(&pp, MQCFT_INTEGER, 10014, &encoding, 4, 0, &cc, &rc);
    PCFAddParm(&pp, MQCFT_INTEGER, 10015, &ccsid, 4, 0, &cc, &rc);
    if (withFormat)
        PCFAddParm(&pp, MQCFT_STRING, 10016, format, 8, 0, &cc, &rc);
    PCFAddParm(&pp, PCF_BYTE_STRING, 10034, data.b.data(), (int32_t)data.size(), 0, &cc, &rc);
    ListRecord r;
    MQCFH *h = PCFHeader(&pp);
    r.count = h->ParameterCount;
    r.parms.assign(pp.message + 36, pp.message + pp.position);
    r.data = data.b;
    CSFreeMem(area);
    return r;
}

struct Column {
    unsigned char value[4 + 2000];
    std::string Text() const
    {
        uint16_t n;
        memcpy(&n, value + 2, 2);
        return std::string((const char *)value + 4, n);
    }
};

static MSGSUMCTX Context(const char *queue = "APP.Q", uint32_t size = 400)
{
    MSGSUMCTX c = {};
    c.queue = queue;
    c.queueLength = (uint32_t)strlen(queue);
    c.qmgrName = "QM1";
    c.valueSize = size;
    return c;
}

static std::string Summary(const ListRecord &r, const MSGSUMCTX &ctx, int *result = nullptr)
{
    Column col = {};
    MSGRECORD m = { (uint32_t)r.data.size(), r.data.data() };
    int rc = MessageSummaryText(&ctx, r.parms.data(), (uint32_t)r.parms.size(), r.count, &m, col.value);
    if (result)
        *result = rc;
    return rc ? col.Text() : "<none>";
}

static Bytes Dlh(bool le, const char *queue, const char *qmgr)
{
    Bytes b(le);
    b.Chars("DLH ", 4).I32(1).I32(2085).Chars(queue, 48).Chars(qmgr, 48)
        .I32(le ? 546 : 273).I32(850).Chars("MQSTR   ", 8).I32(6).Chars("amqrmppa", 28)
        .Chars("20240131", 8).Chars("01020304", 8);
    return b;
}

TEST_F(UserFormats, DeadLetterSummaries)
{
    MSGSUMCTX ctx = Context();
    EXPECT_EQ(Summary(Record("MQDEAD  ", 546, 850, Dlh(true, "TARGET.Q", "QM2")), ctx),
              "DLQ: Reason(Unknown object name) QM2/TARGET.Q");
    EXPECT_EQ(Summary(Record("MQDEAD  ", 546, 850, Dlh(true, "TARGET.Q", "")), ctx),
              "DLQ: Reason(Unknown object name) TARGET.Q");
    EXPECT_EQ(Summary(Record("MQDEAD  ", 546, 850, Dlh(true, "", "")), ctx), "DLQ: Reason(Unknown object name)");
    /* big-endian, EBCDIC names */
    Bytes be = Dlh(false, "TARGET.Q", "QM2");
    for (size_t i = 12; i < 108; i++)
        be.b[i] = CSAsciiToEbcdic[be.b[i]];
    EXPECT_EQ(Summary(Record("MQDEAD  ", 273, 500, be), ctx), "DLQ: Reason(Unknown object name) QM2/TARGET.Q");
    Bytes odd(true);
    odd.Chars("DLH ", 4).I32(1).I32(123456).Chars("Q", 48).Chars("", 48);
    EXPECT_EQ(Summary(Record("MQDEAD  ", 546, 850, odd), ctx), "DLQ: Reason(123456) Q");
    Bytes shortDlh = Dlh(true, "Q", "QM");
    shortDlh.b.resize(107);
    EXPECT_EQ(Summary(Record("MQDEAD  ", 546, 850, shortDlh), ctx), "<none>");
}

TEST_F(UserFormats, TransmissionSummaries)
{
    Bytes x(true);
    x.Chars("XQH ", 4).I32(1).Chars("REMOTE.Q", 48).Chars("REMOTE.QM", 48);
    EXPECT_EQ(Summary(Record("MQXMIT  ", 546, 850, x), Context()), "XMIT: REMOTE.QM/REMOTE.Q");
    x.b.resize(103);
    EXPECT_EQ(Summary(Record("MQXMIT  ", 546, 850, x), Context()), "<none>");
}

static Bytes &Cfst(Bytes &b, int parm, const std::string &s, int ccsid = 0)
{
    uint32_t len = (20 + (uint32_t)s.size() + 3) & ~3u;
    b.I32(4).I32(len).I32(parm).I32(ccsid).I32((int64_t)s.size()).Chars(s.c_str(), s.size());
    return b.Pad4();
}

TEST_F(UserFormats, PcfSummaries)
{
    MSGSUMCTX ctx = Context();
    Bytes pcf = BuildPcfHeader(true, 2, 13, 5);
    Cfst(pcf, 2016, "APP.Q   ");
    CfIn(pcf, 20, 1);
    Cfst(pcf, 2015, "QM1     ");                        /* the dialog's own queue manager */
    Cfst(pcf, 2016, std::string(501, 'L'));            /* over 520 bytes: left out */
    CfIn(pcf, 20, 77);
    EXPECT_EQ(Summary(Record("MQADMIN ", 546, 850, pcf), ctx),
              "Inquire Queue - Reason(Completed successfully) Queue Name:'APP.Q' Queue Type:MQQT_LOCAL Queue Type:77");
    EXPECT_EQ(Summary(Record("MQPCF   ", 546, 850, pcf), ctx).substr(0, 13), "Inquire Queue");
    ctx.qmgrName = "QM9";
    EXPECT_NE(Summary(Record("MQADMIN ", 546, 850, pcf), ctx).find("Queue Manager Name:'QM1'"), std::string::npos);
    ctx.qmgrName = "QM1";
    /* a big-endian event: every word is swapped */
    Bytes ev = BuildPcfHeader(false, 7, 44, 2, 2, 2085);
    CfIn(ev, 20, 1);
    Cfst(ev, 2016, "MISSING.Q");
    EXPECT_EQ(Summary(Record("MQEVENT ", 273, 850, ev), ctx),
              "Queue Manager Event - Reason(Unknown object name) Queue Type:MQQT_LOCAL Queue Name:'MISSING.Q'");
    /* an EBCDIC string */
    Bytes eb = BuildPcfHeader(true, 2, 13, 1);
    Cfst(eb, 2016, "\xC1\xD7\xD7", 500);
    EXPECT_EQ(Summary(Record("MQADMIN ", 546, 850, eb), ctx), "Inquire Queue - Reason(Completed successfully) Queue Name:'APP'");
    Bytes tiny = BuildPcfHeader(true, 2, 13, 0);
    tiny.b.resize(35);
    EXPECT_EQ(Summary(Record("MQADMIN ", 546, 850, tiny), ctx), "<none>");
}

/* Lengths in the data are checked: a parameter that does not fit ends the
 * text, and nothing is read outside the data. */
TEST_F(UserFormats, PcfSummariesStopAtTheFirstBadParameter)
{
    MSGSUMCTX ctx = Context();
    struct { const char *name; int32_t type, strucLength, stringLength; } bad[] = {
        { "integer of 12", 3, 12, 0 }, { "string of 16", 4, 16, 0 },
        { "string longer than its structure", 4, 24, 5 }, { "structure beyond the data", 4, 400, 2 },
        { "structure of 4", 9, 4, 0 }, { "negative string", 4, 24, -1 },
    };
    for (auto &b : bad) {
        Bytes pcf = BuildPcfHeader(true, 2, 13, 3);
        CfIn(pcf, 20, 1);
        pcf.I32(b.type).I32(b.strucLength).I32(2016).I32(0).I32(b.stringLength).Chars("ABCD", 4);
        CfIn(pcf, 20, 1);
        EXPECT_EQ(Summary(Record("MQADMIN ", 546, 850, pcf), ctx), "Inquire Queue - Reason(Completed successfully) Queue Type:MQQT_LOCAL")
            << b.name;
    }
    /* a parameter count larger than the parameters there */
    Bytes more = BuildPcfHeader(true, 2, 13, 1000000);
    CfIn(more, 20, 1);
    EXPECT_EQ(Summary(Record("MQADMIN ", 546, 850, more), ctx), "Inquire Queue - Reason(Completed successfully) Queue Type:MQQT_LOCAL");
}

TEST_F(UserFormats, UserSummaryFields)
{
    ASSERT_EQ(Load("enum_int Status {\n 1, OPEN ; Open\n 2, SHUT ; Closed\n}\n"
                   "struct Line {\n int sku : summary; Item\n short qty;\n}\n"
                   "struct Order ; An order\n{\n"
                   " char id[6] : summary; Order\n int status (Status) : summary;\n"
                   " char (YYYYMMDD) due[8] : summary; Due\n int n;\n char note[n] : summary; Note\n"
                   " struct Line line;\n hex tail[2] : summary;\n double price : summary;\n}\n"
                   "queue SHOP.* {\n struct Order;\n}\n"
                   "queue DEAD.* {\n struct Line;\n}\n"), 1) << errors.Last();
    MSGSUMCTX ctx = Context("SHOP.IN");
    Bytes order(true);
    order.Chars("A-1001", 6).I32(2).Chars("20240131", 8).I32(5).Chars("rush!", 5).I32(42).Fill(0, 2);
    order.b.insert(order.b.end(), { 0xBE, 0xEF });
    double price = 9.5;
    order.Raw(&price, 8);
    EXPECT_EQ(Summary(Record("ORDERS  ", 546, 850, order), ctx),
              "Order(A-1001) status(Closed) Due(31st January 2024) Note(rush!) Item(42)  tail(BEEF) price(9.5)");
    /* data cut short: texts keep the bytes there; other fields show empty parentheses */
    Bytes cut(true);
    cut.Chars("A-1001", 6).I32(1).Chars("2024", 4);
    EXPECT_EQ(Summary(Record("ORDERS  ", 546, 850, cut), ctx), "Order(A-1001) status(Open) Due(2024)");
    Bytes cut2(true);
    cut2.Chars("A-1001", 6).b.insert(cut2.b.end(), { 2, 0 });
    EXPECT_EQ(Summary(Record("ORDERS  ", 546, 850, cut2), ctx), "Order(A-1001) status()");
    /* a text whose length field says more than the data holds */
    Bytes longNote(true);
    longNote.Chars("B-2", 6).I32(1).Chars("20240101", 8).I32(1000).Chars("abc", 3);
    EXPECT_EQ(Summary(Record("ORDERS  ", 546, 850, longNote), ctx),
              "Order(B-2) status(Open) Due(1st January 2024) Note(abc)");
    /* the preference off: the format's own summary, or none */
    options &= ~UF_OPT_SUMMARY;
    EXPECT_EQ(Summary(Record("ORDERS  ", 546, 850, order), ctx), "<none>");
    Bytes dlh = Dlh(true, "T.Q", "QM2");
    EXPECT_EQ(Summary(Record("MQDEAD  ", 546, 850, dlh), Context("DEAD.LETTERS")),
              "DLQ: Reason(Unknown object name) QM2/T.Q");
    options |= UF_OPT_SUMMARY;
    EXPECT_EQ(Summary(Record("MQDEAD  ", 546, 850, dlh), Context("DEAD.LETTERS")), "Item(541609028)");
    /* user formats not allowed: the standard summary */
    options &= ~UF_OPT_ALLOW;
    EXPECT_EQ(Summary(Record("MQDEAD  ", 546, 850, dlh), Context("DEAD.LETTERS")),
              "DLQ: Reason(Unknown object name) QM2/T.Q");
}

TEST_F(UserFormats, SummariesAreSuppressedLimitedAndNeedTheirParameters)
{
    Bytes dlh = Dlh(true, std::string(48, 'Q').c_str(), std::string(48, 'M').c_str());
    ListRecord r = Record("MQDEAD  ", 546, 850, dlh);
    MSGSUMCTX ctx = Context("Q", 20);
    int rc;
    EXPECT_EQ(Summary(r, ctx, &rc), "DLQ: Reason(Unknown ");   /* cut to the value area */
    EXPECT_EQ(rc, 1);
    ctx = Context();
    ctx.options1 = MSGSUM_SUPPRESS;
    EXPECT_EQ(Summary(r, ctx), "<none>");
    ctx = Context();
    ctx.options2 = MSGSUM_SUPPRESS;
    EXPECT_EQ(Summary(r, ctx), "<none>");
    EXPECT_EQ(Summary(Record("MQDEAD  ", 546, 850, dlh, false), Context()), "<none>");   /* no Format */
    EXPECT_EQ(Summary(Record("MQSTR   ", 546, 850, dlh), Context()), "<none>");
    EXPECT_EQ(Summary(Record("MYOWN   ", 546, 850, dlh), Context()), "<none>");
    /* a parameter whose length runs past the record */
    ListRecord broken = r;
    int32_t huge = 100000;
    memcpy(broken.parms.data() + 4, &huge, 4);
    EXPECT_EQ(Summary(broken, Context()), "<none>");
    broken.count = 0;
    EXPECT_EQ(Summary(r.count ? broken : r, Context()), "<none>");
}
