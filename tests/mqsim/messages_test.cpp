/* Puts: the descriptor as the queue manager fills it, context options,
 * limits of the queue, delivery order, expiry. */
#include "simtest.h"
#include "sim.h"

#include <cstring>
#include <vector>

TEST_F(Sim, PutFillsDescriptor)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "Q1", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    MQMD md = {MQMD_DEFAULT};
    md.Encoding = 273;
    md.CodedCharSetId = 500;
    EXPECT_EQ(Put(h, o, "one", &md), 0);
    EXPECT_NE(memcmp(md.MsgId, MQMI_NONE, 24), 0);
    EXPECT_EQ(memcmp(md.CorrelId, MQCI_NONE, 24), 0);
    EXPECT_EQ(md.PutApplType, MQAT_WINDOWS_NT);
    EXPECT_NE(md.PutDate[0], 0);
    char today[16];
    time_t now = time(nullptr);
    strftime(today, sizeof today, "%Y%m%d", gmtime(&now));
    EXPECT_EQ(std::string(md.PutDate, 8), today);      /* UTC */
    MQMD second = {MQMD_DEFAULT};
    EXPECT_EQ(Put(h, o, "two", &second, MQPMO_NO_SYNCPOINT | MQPMO_NEW_MSG_ID | MQPMO_NEW_CORREL_ID), 0);
    EXPECT_NE(memcmp(second.MsgId, md.MsgId, 24), 0);
    EXPECT_NE(memcmp(second.CorrelId, MQCI_NONE, 24), 0);
    MQMD got = {MQMD_DEFAULT};
    got.Version = MQMD_VERSION_2;
    std::string data;
    EXPECT_EQ(Get(h, o, &data, MQGMO_NO_WAIT, &got), 0);
    EXPECT_EQ(got.Encoding, 273);
    EXPECT_EQ(got.CodedCharSetId, 500);
    EXPECT_EQ(got.MsgSeqNumber, 1);
    EXPECT_EQ(got.OriginalLength, MQOL_UNDEFINED);
    EXPECT_EQ(memcmp(got.UserIdentifier, md.UserIdentifier, 12), 0);
    EXPECT_EQ(memcmp(got.PutApplName, md.PutApplName, 28), 0);
    /* an MQMD version 1 is never written beyond its 324 bytes */
    unsigned char raw[sizeof(MQMD)];
    memset(raw, 0xEE, sizeof raw);
    MQMD v1 = {MQMD_DEFAULT};
    memcpy(raw, &v1, MQMD_LENGTH_1);
    MQGMO gmo = {MQGMO_DEFAULT};
    MQLONG len, cc, rc;
    char buf[16];
    MQGET(h, o, raw, &gmo, sizeof buf, buf, &len, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(raw[MQMD_LENGTH_1], 0xEE);
    MQMD bad = {MQMD_DEFAULT};
    bad.Version = 3;
    EXPECT_EQ(Put(h, o, "x", &bad), MQRC_MD_ERROR);
}

/* The put date and time written digit by digit, against the former
 * formatted printing of the same instant: boundaries of days, months,
 * leap days and years, and hundredths of seconds. */
TEST(PutTime, FieldsAsFormattedPrintingWroteThem)
{
    const int64_t instants[] = {0, 999, 1000, 86399999, 86400000, 951782399990, 951782400005,
                                1709251199999, 1709164800000, 1735689599994, 1735689600000,
                                2147483647000, 2147483648123, 4102444799999, 1765198212345};
    std::vector<int64_t> all(std::begin(instants), std::end(instants));
    for (int64_t ms = 1700000000000; ms < 1700000000000 + 400 * 86400000LL; ms += 86400000LL / 7 + 13)
        all.push_back(ms);
    for (int64_t ms : all) {
        time_t secs = (time_t)(ms / 1000);
        struct tm t;
#ifdef _WIN32
        gmtime_s(&t, &secs);
#else
        gmtime_r(&secs, &t);
#endif
        char want[2][48];
        snprintf(want[0], sizeof want[0], "%04d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
        snprintf(want[1], sizeof want[1], "%02d%02d%02d%02d", t.tm_hour, t.tm_min, t.tm_sec, (int)(ms % 1000) / 10);
        char date[8], clock[8];
        SimPutTimeFields(ms, date, clock);
        EXPECT_EQ(std::string(date, 8), std::string(want[0], 8)) << ms;
        EXPECT_EQ(std::string(clock, 8), std::string(want[1], 8)) << ms;
    }
}

TEST_F(Sim, ContextOptions)
{
    Mqsc("QM1", "DEFINE QLOCAL(IN.Q)\nDEFINE QLOCAL(OUT.Q)");
    MQHCONN h = Connect("QM1");
    MQHOBJ in = Open(h, "IN.Q", MQOO_OUTPUT | MQOO_SET_ALL_CONTEXT);
    MQMD md = {MQMD_DEFAULT};
    FILL(md.UserIdentifier, "alice");
    FILL(md.ApplIdentityData, "identity");
    FILL(md.PutApplName, "origin app");
    FILL(md.PutDate, "20200101");
    FILL(md.PutTime, "12000000");
    md.PutApplType = MQAT_UNIX;
    EXPECT_EQ(Put(h, in, "ctx", &md, MQPMO_SET_ALL_CONTEXT), 0);
    MQHOBJ plain = Open(h, "OUT.Q", MQOO_OUTPUT);
    EXPECT_EQ(Put(h, plain, "x", &md, MQPMO_SET_ALL_CONTEXT), MQRC_OPTIONS_ERROR);
    EXPECT_EQ(Put(h, plain, "x", &md, MQPMO_SET_IDENTITY_CONTEXT | MQPMO_SET_ALL_CONTEXT), MQRC_OPTIONS_ERROR);
    /* get with saved context, pass it all on */
    MQHOBJ src = Open(h, "IN.Q", MQOO_INPUT_SHARED | MQOO_SAVE_ALL_CONTEXT);
    EXPECT_EQ(Get(h, src, nullptr), 0);
    MQHOBJ pass = Open(h, "OUT.Q", MQOO_OUTPUT | MQOO_PASS_ALL_CONTEXT);
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_PASS_ALL_CONTEXT;
    pmo.Context = src;
    MQMD out = {MQMD_DEFAULT};
    EXPECT_EQ(Put(h, pass, "passed", &out, 0, &pmo), 0);
    pmo.Context = 999;
    EXPECT_EQ(Put(h, pass, "x", &out, 0, &pmo), MQRC_CONTEXT_HANDLE_ERROR);
    MQHOBJ get = Open(h, "OUT.Q", MQOO_INPUT_SHARED);
    MQMD got = {MQMD_DEFAULT};
    EXPECT_EQ(Get(h, get, nullptr, MQGMO_NO_WAIT, &got), 0);
    EXPECT_EQ(Trim(got.UserIdentifier, 12), "alice");
    EXPECT_EQ(std::string(got.PutApplName, 10), "origin app");
    EXPECT_EQ(std::string(got.PutDate, 8), "20200101");
    EXPECT_EQ(got.PutApplType, MQAT_UNIX);
    /* pass identity only: origin is the passer's */
    MQHOBJ in2 = Open(h, "IN.Q", MQOO_OUTPUT | MQOO_SET_IDENTITY_CONTEXT);
    EXPECT_EQ(Put(h, in2, "id", &md, MQPMO_SET_IDENTITY_CONTEXT), 0);
    EXPECT_EQ(Get(h, src, nullptr), 0);
    MQHOBJ passId = Open(h, "OUT.Q", MQOO_OUTPUT | MQOO_PASS_IDENTITY_CONTEXT);
    pmo.Options = MQPMO_PASS_IDENTITY_CONTEXT;
    pmo.Context = src;
    EXPECT_EQ(Put(h, passId, "id passed", &out, 0, &pmo), 0);
    EXPECT_EQ(Get(h, get, nullptr, MQGMO_NO_WAIT, &got), 0);
    EXPECT_EQ(Trim(got.UserIdentifier, 12), "alice");
    EXPECT_EQ(got.PutApplType, MQAT_WINDOWS_NT);
    /* MQPUT1 opens with the context option the put asks for */
    MQOD od = {MQOD_DEFAULT};
    FILL(od.ObjectName, "OUT.Q");
    MQPMO p1 = {MQPMO_DEFAULT};
    p1.Options = MQPMO_SET_IDENTITY_CONTEXT;
    MQLONG cc, rc;
    MQPUT1(h, &od, &md, &p1, 3, (PMQVOID) "one", &cc, &rc);
    EXPECT_EQ(rc, 0);
}

TEST_F(Sim, QueueLimitsAndOrder)
{
    Mqsc("QM1", "DEFINE QLOCAL(SMALL) MAXDEPTH(3) MAXMSGL(10)\nDEFINE QLOCAL(FIFO) MSGDLVSQ(FIFO)\nDEFINE QLOCAL(PRIO)");
    MQHCONN h = Connect("QM1");
    MQHOBJ s = Open(h, "SMALL", MQOO_OUTPUT);
    EXPECT_EQ(Put(h, s, "12345678901"), MQRC_MSG_TOO_BIG_FOR_Q);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(Put(h, s, "x"), 0);
    EXPECT_EQ(Put(h, s, "x"), MQRC_Q_FULL);
    for (const char *q : {"FIFO", "PRIO"}) {
        MQHOBJ o = Open(h, q, MQOO_OUTPUT | MQOO_INPUT_SHARED);
        int prios[] = {1, 5, 3, 5, 0};
        for (int i = 0; i < 5; i++) {
            MQMD md = {MQMD_DEFAULT};
            md.Priority = prios[i];
            EXPECT_EQ(Put(h, o, std::to_string(i), &md), 0);
        }
        std::string order, data;
        while (Get(h, o, &data) == 0)
            order += data;
        EXPECT_EQ(order, strcmp(q, "FIFO") == 0 ? "01234" : "13204") << q;
    }
    MQHOBJ p = Open(h, "PRIO", MQOO_OUTPUT);
    MQMD md = {MQMD_DEFAULT};
    md.Priority = 12;
    EXPECT_EQ(Put(h, p, "high", &md), MQRC_PRIORITY_EXCEEDS_MAXIMUM);
    md.Priority = -5;
    EXPECT_EQ(Put(h, p, "bad", &md), MQRC_PRIORITY_ERROR);
    md.Priority = 0;
    md.Persistence = 7;
    EXPECT_EQ(Put(h, p, "bad", &md), MQRC_PERSISTENCE_ERROR);
}

TEST_F(Sim, ExpiredMessagesAreNeverReturned)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "Q1", MQOO_OUTPUT | MQOO_INPUT_SHARED | MQOO_BROWSE);
    MQMD md = {MQMD_DEFAULT};
    md.Expiry = 1;    /* a tenth of a second */
    EXPECT_EQ(Put(h, o, "short-lived", &md), 0);
    int64_t put = SimTestClockMs();
    EXPECT_EQ(Put(h, o, "short"), 0);
    SimTestWaitExpired(put, md.Expiry);
    std::string data;
    EXPECT_EQ(Get(h, o, &data, MQGMO_BROWSE_FIRST), 0);
    EXPECT_EQ(data, "short");
    EXPECT_EQ(Get(h, o, &data, MQGMO_BROWSE_NEXT), MQRC_NO_MSG_AVAILABLE);
    EXPECT_EQ(Depth(h, "Q1"), 1);      /* the expired one was removed */
    md.Expiry = 0;
    EXPECT_EQ(Put(h, o, "x", &md), MQRC_EXPIRY_ERROR);
    /* a get shows what is left of the expiry */
    EXPECT_EQ(Get(h, o, &data), 0);
    md.Expiry = 600;
    int64_t before = SimTestClockMs();
    EXPECT_EQ(Put(h, o, "minute", &md), 0);
    MQMD got = {MQMD_DEFAULT};
    EXPECT_EQ(Get(h, o, &data, MQGMO_NO_WAIT, &got), 0);
    int64_t tenthsGone = (SimTestClockMs() - before + 99) / 100;
    EXPECT_LE(got.Expiry, 600);
    EXPECT_GE(got.Expiry, 600 - tenthsGone);
}

/* Messages carrying a transmission or dead-letter header, put as plain
 * data on a local or a transmission queue, come back byte for byte with
 * their descriptor, in either integer encoding. */
TEST_F(Sim, HeaderMessagesComeBackByteForByte)
{
    Mqsc("QM1", "DEFINE QLOCAL(XQ) USAGE(XMITQ)\nDEFINE QLOCAL(DLQ)");
    MQHCONN h = Connect("QM1");
    std::string xqh(428 + 5, '\0');
    memcpy(&xqh[0], "XQH \0\0\0\x01", 8);             /* big-endian Version 1 */
    memcpy(&xqh[8], "TARGET.Q", 8);
    memcpy(&xqh[104], "MD  ", 4);
    memcpy(&xqh[428], "hello", 5);
    std::string dlh(172 + 3, ' ');
    memcpy(&dlh[0], "DLH \x01\0\0\0", 8);
    memcpy(&dlh[172], "abc", 3);
    struct Case { const char *queue, *format; MQLONG encoding; const std::string *data; } cases[] = {
        { "XQ", MQFMT_XMIT_Q_HEADER, 273, &xqh }, { "DLQ", MQFMT_DEAD_LETTER_HEADER, 546, &dlh },
        { "DLQ", MQFMT_XMIT_Q_HEADER, 546, &xqh },
    };
    for (const Case &c : cases) {
        MQHOBJ q = Open(h, c.queue, MQOO_OUTPUT | MQOO_INPUT_SHARED);
        MQMD md = {MQMD_DEFAULT};
        memcpy(md.Format, c.format, 8);
        md.Encoding = c.encoding;
        md.CodedCharSetId = 500;
        ASSERT_EQ(Put(h, q, *c.data, &md), 0);
        MQMD back = {MQMD_DEFAULT};
        back.Version = MQMD_VERSION_2;
        std::string data;
        ASSERT_EQ(Get(h, q, &data, MQGMO_NO_WAIT, &back), 0) << c.queue;
        EXPECT_EQ(data, *c.data);
        EXPECT_EQ(memcmp(back.Format, c.format, 8), 0);
        EXPECT_EQ(back.Encoding, c.encoding);
        EXPECT_EQ(back.CodedCharSetId, 500);
        Close(h, q);
    }
}

/* A message put with CCSID 0 (the queue manager's) is stored with the
 * queue manager's own CCSID, as IBM MQ does; a named one is kept. */
TEST_F(Sim, APutInTheQueueManagersCodePageNamesIt)
{
    Mqsc("QM1", "DEFINE QLOCAL(QCCSID)\nALTER QMGR CCSID(819)");
    MQHCONN h = Connect("QM1");
    MQHOBJ o = Open(h, "QCCSID", MQOO_OUTPUT | MQOO_INPUT_SHARED);
    MQMD md = {MQMD_DEFAULT};
    md.CodedCharSetId = MQCCSI_Q_MGR;
    EXPECT_EQ(Put(h, o, "default", &md), 0);
    MQMD named = {MQMD_DEFAULT};
    named.CodedCharSetId = 1208;
    EXPECT_EQ(Put(h, o, "named", &named), 0);
    for (MQLONG want : {819, 1208}) {
        MQMD got = {MQMD_DEFAULT};
        std::string data;
        EXPECT_EQ(Get(h, o, &data, MQGMO_NO_WAIT, &got), 0);
        EXPECT_EQ(got.CodedCharSetId, want) << data;
    }
}
