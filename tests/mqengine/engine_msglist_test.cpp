/* Browsing and reading: ranges of the message list, data sizes, search,
 * selectors, tokens by command level, empty queues, reading by token,
 * the message detail and its growing area, the descriptor version the
 * queue manager refuses, stale handles, and the descriptor fields in
 * their order and padding. */
#include "agenttest.h"

#include <cstring>
#include <iterator>

#include "cs.h"
#include "prfdata.h"

namespace {

std::vector<int32_t> Positions(const PcfPart &p)
{
    std::vector<int32_t> out;
    for (size_t i = 0; i < p.items.size(); i++)
        out.push_back(p.Int(MYPCFA_POSITION, i));
    return out;
}

std::vector<int32_t> Range(int32_t first, int32_t last)
{
    std::vector<int32_t> out;
    for (int32_t i = first; i <= last; i++)
        out.push_back(i);
    return out;
}

}  // namespace

TEST_F(AgentTest, ListRangesAndDataSizes)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q) MAXDEPTH(1000)");
    Fill("QM1", "APP.Q", 120, std::string(600, 'd') + "#");
    QMS *r = Connected("QM1");
    auto list = [&](const char *range, int32_t size = 0) {
        Pcf req(MYCMD_INQUIRE_MSGS);
        req.Str(MQCA_Q_NAME, "APP.Q").Ints(MYPCFA_MSG_ATTRS, {MYPCFA_POSITION, MYPCFA_MESSAGE, MYPCFA_MSGLEN});
        if (range)
            req.Str(MYPCFA_MSG_RANGE, range);
        if (size)
            req.Int(MYPCFA_MAX_MSG_SIZE, size);
        auto parts = Run(r, req);
        EXPECT_EQ(parts.size(), 1u);
        return parts.empty() ? PcfPart() : parts[0];
    };
    EXPECT_EQ(Positions(list("5,2")), Range(2, 5));
    EXPECT_EQ(Positions(list("0,0")), Range(1, 100));
    EXPECT_EQ(Positions(list(nullptr)), Range(1, 100));
    EXPECT_EQ(Positions(list("7")), Range(1, 7));
    EXPECT_EQ(Positions(list("115,0")), Range(115, 120));    /* last below 1: first + 99 */
    Prf.maxb = 10;
    EXPECT_EQ(Positions(list("3,50")), Range(3, 12));
    Prf.maxb = 10000;
    /* bytes per message: the default, at most 500, at least 10 */
    PcfPart p = list("1,1");
    EXPECT_EQ(p.Bytes(MYPCFA_MESSAGE).size(), 120u);
    EXPECT_EQ(p.Int(MYPCFA_MSGLEN), 602);
    EXPECT_EQ(list("1,1", -1).Bytes(MYPCFA_MESSAGE).size(), 10u);
    EXPECT_EQ(list("1,1", 1000).Bytes(MYPCFA_MESSAGE).size(), 500u);
    EXPECT_EQ(list("1,1", 37).Bytes(MYPCFA_MESSAGE).size(), 37u);
    /* the range text is at most 15 characters */
    EXPECT_EQ(list("1234567890,123456").cfh.Reason, MQRCCF_CFST_STRING_LENGTH_ERR);
}

TEST_F(AgentTest, SearchAndSelector)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    Fill("QM1", "APP.Q", 2, "plain ");
    Fill("QM1", "APP.Q", 1, "some NEEDLE here ");
    std::string big(40000, 'x');
    memcpy(&big[35000], "NEEDLE", 6);
    MQHCONN h = Conn("QM1");
    (void)h;
    Put("QM1", "APP.Q", big);
    auto search = [&](const char *text, int32_t qualifier) {
        Pcf req(MYCMD_INQUIRE_MSGS);
        req.Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_SEARCH, text).Int(MYPCFA_DIALOG_QUALIFIER, qualifier)
            .Ints(MYPCFA_MSG_ATTRS, {MYPCFA_POSITION, MYPCFA_MESSAGE, MYPCFA_MSGLEN});
        return Run(r, req)[0];
    };
    PcfPart found = search("NEEDLE", 0);
    ASSERT_EQ(found.items.size(), 2u);
    EXPECT_EQ(found.Int(MYPCFA_POSITION, 0), 3);
    EXPECT_EQ(found.Bytes(MYPCFA_MESSAGE, 0), "NEEDLE here 1");   /* from the match */
    EXPECT_EQ(found.Int(MYPCFA_POSITION, 1), 4);                   /* beyond the 30720-byte area */
    EXPECT_EQ(found.Int(MYPCFA_MSGLEN, 1), 40000);
    EXPECT_EQ(found.Bytes(MYPCFA_MESSAGE, 1).substr(0, 6), "NEEDLE");
    EXPECT_EQ(search("NEEDLE", 0x2000).Bytes(MYPCFA_MESSAGE, 0).substr(0, 5), "some ");
    PcfPart none = search("HAYSTACK", 0);
    EXPECT_EQ(none.cfh.Reason, 0);
    EXPECT_EQ(none.cfh.ParameterCount, 0);

    /* a selector chooses, a bad one is the queue manager's to refuse */
    MQMD md = {MQMD_DEFAULT};
    md.Priority = 7;
    Put("QM1", "APP.Q", "urgent", &md);
    auto select = [&](const char *selector) {
        return Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_MSG_SELECTOR, selector)
                          .Ints(MYPCFA_MSG_ATTRS, {MYPCFA_MESSAGE}))[0];
    };
    PcfPart urgent = select("Root.MQMD.Priority = 7");
    ASSERT_EQ(urgent.items.size(), 1u);
    EXPECT_EQ(urgent.Bytes(MYPCFA_MESSAGE), "urgent");
    EXPECT_EQ(select("Root.MQMD.Priority = = 7").cfh.Reason, MQRC_SELECTOR_SYNTAX_ERROR);
    EXPECT_EQ(Positions(Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q")
                                   .Ints(MYPCFA_MSG_ATTRS, {MYPCFA_POSITION}))[0]).size(), 5u);
    /* the target of a copy, which the Message List's fields send with its refresh */
    EXPECT_EQ(Positions(Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "OTHER.Q")
                                   .Str(MYPCFA_TARGET_QM, "QM1").Ints(MYPCFA_MSG_ATTRS, {MYPCFA_POSITION}))[0]).size(),
              5u);
}

TEST_F(AgentTest, TokensEmptyQueuesAndReadingByToken)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)\nDEFINE QLOCAL(EMPTY.Q)");
    Fill("QM1", "APP.Q", 6, "m");
    QMS *r = Connected("QM1");
    auto listed = [&] {
        return Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q")
                          .Ints(MYPCFA_MSG_ATTRS, {MYPCFA_MSG_TOKEN, MYPCFA_POSITION}))[0];
    };
    r->commandLevel = 530;
    EXPECT_FALSE(listed().Has(MYPCFA_MSG_TOKEN));               /* ignored below 600 */
    r->commandLevel = 600;
    PcfPart list = listed();
    ASSERT_TRUE(list.Has(MYPCFA_MSG_TOKEN, 2));
    EXPECT_EQ(list.Ids(0), (std::vector<int32_t>{MYPCFA_POSITION, MYPCFA_MSG_TOKEN}));
    std::string token3 = list.Bytes(MYPCFA_MSG_TOKEN, 2);

    /* an empty queue: an empty list, and 2033 for one message */
    PcfPart empty = Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "EMPTY.Q"))[0];
    EXPECT_EQ(empty.cfh.Reason, 0);
    EXPECT_EQ(empty.cfh.ParameterCount, 0);
    EXPECT_EQ(Run(r, Pcf(MYCMD_INQUIRE_MSG).Str(MQCA_Q_NAME, "EMPTY.Q"))[0].cfh.Reason, MQRC_NO_MSG_AVAILABLE);
    EXPECT_EQ(Run(r, Pcf(MYCMD_INQUIRE_MSG).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 9))[0].cfh.Reason,
              MQRC_NO_MSG_AVAILABLE);

    /* a row: by position, by token, and the one after the token's */
    PcfPart row = Run(r, Pcf(MYCMD_INQUIRE_MSG).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 2))[0];
    EXPECT_EQ(row.Bytes(MYPCFA_MESSAGE), "m2");
    EXPECT_EQ(row.Str(MQCA_Q_NAME), "APP.Q");
    EXPECT_EQ(row.Bytes(MYPCFA_MSGID).size(), 24u);
    EXPECT_EQ(row.Str(MYPCFA_FORMAT), "MQSTR");
    row = Run(r, Pcf(MYCMD_INQUIRE_MSG).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 3)
                     .Bytes(MYPCFA_MSG_TOKEN, token3))[0];
    EXPECT_EQ(row.Bytes(MYPCFA_MESSAGE), "m3");
    EXPECT_EQ(row.Bytes(MYPCFA_MSG_TOKEN), token3);
    row = Run(r, Pcf(MYCMD_INQUIRE_MSG_NEXT_FAST).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 3)
                     .Bytes(MYPCFA_MSG_TOKEN, token3))[0];
    EXPECT_EQ(row.Bytes(MYPCFA_MESSAGE), "m4");
    EXPECT_EQ(row.Int(MYPCFA_POSITION), 4);
    row = Run(r, Pcf(MYCMD_INQUIRE_MSG_NEXT_FAST).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 5))[0];
    EXPECT_EQ(row.Bytes(MYPCFA_MESSAGE), "m6");
    PcfPart detail = Run(r, Pcf(MYCMD_INQUIRE_MSGDETAIL_NEXT_FAST).Str(MQCA_Q_NAME, "APP.Q")
                                .Int(MYPCFA_POSITION, 3).Bytes(MYPCFA_MSG_TOKEN, token3))[0];
    EXPECT_EQ(detail.cfh.Command, MYCMD_INQUIRE_MSGDETAIL);
    EXPECT_EQ(detail.Bytes(MYPCFA_FULLMESSAGE), "m4");
    /* a list's Open sends the list's columns along: they change nothing */
    detail = Run(r, Pcf(MYCMD_INQUIRE_MSGDETAIL).Str(MQCA_Q_NAME, "APP.Q").Ints(MYPCFA_MSG_ATTRS, {MYPCFA_MSGID})
                        .Int(MYPCFA_POSITION, 3).Bytes(MYPCFA_MSG_TOKEN, token3))[0];
    EXPECT_EQ(detail.cfh.Reason, 0);
    EXPECT_EQ(detail.Bytes(MYPCFA_FULLMESSAGE), "m3");
    /* the Message dialog's Refresh: its id and token in a string's layout,
     * with the format and length it took from the row */
    std::string id3 = detail.Bytes(MYPCFA_MSGID);
    detail = Run(r, Pcf(MYCMD_INQUIRE_MSGDETAIL).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 3)
                        .Bytes(MYPCFA_MSG_TOKEN, token3, MQCFT_STRING).Bytes(MYPCFA_MSGID, id3, MQCFT_STRING)
                        .Int(MYPCFA_DIALOG_QUALIFIER, 0x4).Str(MYPCFA_FORMAT, "MQSTR").Int(MYPCFA_MSGLEN, 2))[0];
    EXPECT_EQ(detail.cfh.Reason, 0);
    EXPECT_EQ(detail.Bytes(MYPCFA_FULLMESSAGE), "m3");
    /* a token whose message has gone */
    Run(r, Pcf(MYCMD_DELETE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, 0x2)
               .Ints(MYPCFA_POSITION, {3}));
    detail = Run(r, Pcf(MYCMD_INQUIRE_MSGDETAIL).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 3)
                        .Bytes(MYPCFA_MSG_TOKEN, token3))[0];
    EXPECT_EQ(detail.cfh.Reason, MQRC_NO_MSG_AVAILABLE);
    EXPECT_EQ(detail.Text(), "The message is no longer on the queue");
}

TEST_F(AgentTest, TheDetailReadsAMessageInFull)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    std::string body(30000, 'b');
    body[29999] = 'E';
    QMS *r = Connected("QM1");
    Put("QM1", "APP.Q", "first");
    Put("QM1", "APP.Q", body);
    auto detail = [&](int32_t size, int32_t qualifier, const std::string &id = "") {
        Pcf req(MYCMD_INQUIRE_MSGDETAIL);
        req.Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 2).Int(MYPCFA_DIALOG_QUALIFIER, qualifier);
        if (size)
            req.Int(MYPCFA_MAX_MSG_SIZE, size);
        if (!id.empty())
            req.Bytes(MYPCFA_MSGID, id);
        return Run(r, req)[0];
    };
    PcfPart cut = detail(1000, 0);
    EXPECT_EQ(cut.Bytes(MYPCFA_FULLMESSAGE).size(), 1000u);
    EXPECT_EQ(cut.Int(MYPCFA_MSGLEN), 30000);
    EXPECT_EQ(cut.Int(MYPCFA_MAX_MSG_SIZE), 1000);
    EXPECT_EQ(cut.Bytes(MYPCFA_MSGDESCRIPTOR).size(), 364u);
    EXPECT_EQ(cut.Ids(), (std::vector<int32_t>{MQCA_Q_NAME, MYPCFA_POSITION, MYPCFA_MSGLEN, MYPCFA_MAX_MSG_SIZE,
                                               MYPCFA_FULLMESSAGE, MYPCFA_MSGID, MYPCFA_MSGDESCRIPTOR}));
    PcfPart whole = detail(1000, 0x8000000);                      /* truncation refused: the area grows */
    EXPECT_EQ(whole.Bytes(MYPCFA_FULLMESSAGE), body);
    Prf.maxm = 20000;
    EXPECT_EQ(detail(0, 0).Bytes(MYPCFA_FULLMESSAGE).size(), 20000u);
    /* selected by id: the message at the position must still be that one */
    MQMD got;
    memcpy(&got, cut.Bytes(MYPCFA_MSGDESCRIPTOR).data(), sizeof got);
    std::string id((const char *)got.MsgId, 24);
    EXPECT_EQ(detail(100, 0x4, id).cfh.Reason, 0);
    EXPECT_EQ(detail(100, 0x4, std::string(24, 'z')).cfh.Reason, MQRC_NO_MSG_AVAILABLE);
    EXPECT_EQ(detail(100, 0, std::string(24, 'z')).cfh.Reason, 0);   /* ids do not select */
}

TEST_F(AgentTest, RefusedDescriptorVersionsAndStaleHandles)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Fill("QM1", "APP.Q", 3);
    QMS *r = Connected("QM1");
    /* a queue manager that refuses version 2 descriptors: version 1.  The
     * faults strike the gets on APP.Q only: the get thread's own MQGET on
     * the reply queue, whenever it comes, never takes them. */
    Rec.Fail("MQGET", "APP.Q", MQRC_MD_ERROR);
    PcfPart list = Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q")
                              .Ints(MYPCFA_MSG_ATTRS, {MYPCFA_POSITION}))[0];
    EXPECT_EQ(list.items.size(), 3u);
    auto gets = Rec.Of("MQGET", "APP.Q");
    ASSERT_GE(gets.size(), 2u);
    EXPECT_EQ(gets[0].rc, MQRC_MD_ERROR);
    EXPECT_EQ(gets[0].md.Version, MQMD_VERSION_2);
    EXPECT_EQ(gets[1].md.Version, MQMD_VERSION_1);
    EXPECT_EQ(gets.back().md.Version, MQMD_VERSION_1);

    /* a handle the queue manager no longer knows is closed, then reopened */
    for (MQLONG reason : {MQRC_HOBJ_ERROR, MQRC_OBJECT_CHANGED}) {
        size_t opens = Rec.Count("MQOPEN", "APP.Q");
        size_t closes = Rec.Count("MQCLOSE", "APP.Q");
        Rec.Fail("MQGET", "APP.Q", reason);
        EXPECT_EQ(Run(r, Pcf(MYCMD_INQUIRE_MSG).Str(MQCA_Q_NAME, "APP.Q"))[0].cfh.Reason, reason);
        EXPECT_EQ(Rec.Count("MQCLOSE", "APP.Q"), closes + 1);
        EXPECT_EQ(Run(r, Pcf(MYCMD_INQUIRE_MSG).Str(MQCA_Q_NAME, "APP.Q"))[0].cfh.Reason, 0);
        EXPECT_EQ(Rec.Count("MQOPEN", "APP.Q"), opens + 1);
    }
    /* any other failure ends the list with its reason and nothing else */
    Rec.Fail("MQGET", "APP.Q", MQRC_RESOURCE_PROBLEM, 1, 1);
    auto parts = Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q"));
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].cfh.Reason, MQRC_RESOURCE_PROBLEM);
    EXPECT_EQ(parts[0].cfh.ParameterCount, 0);
    EXPECT_EQ(Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "NO.SUCH.Q"))[0].cfh.Reason,
              MQRC_UNKNOWN_OBJECT_NAME);
}

TEST_F(AgentTest, DescriptorFieldsInTheirOrderAtFullLength)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    MQMD md = {MQMD_DEFAULT};
    memset(md.ReplyToQ, ' ', 48);
    memcpy(md.ReplyToQ, "RQ", 2);
    md.Priority = 3;
    md.Expiry = 5000;
    Put("QM1", "APP.Q", "x", &md);
    QMS *r = Connected("QM1");
    /* asked in another order: answered in the fixed order */
    std::vector<int32_t> asked = {
        MYPCFA_APPLIDENTITYDATA, MYPCFA_APPLORIGINDATA, MYPCFA_MSGFLAGS, MYPCFA_MSG_SEQUENCE_NUMBER,
        MYPCFA_OFFSET, MYPCFA_GROUPID, MYPCFA_PUTTIME, MYPCFA_PUTDATE, MYPCFA_PUTAPPLNAME, MYPCFA_PUTAPPLTYPE,
        MYPCFA_MSG_USER_ID, MYPCFA_REPLYTOQMGR, MYPCFA_REPLYTOQ, MYPCFA_BACKOUTCOUNT, MYPCFA_CCORRELID,
        MYPCFA_CORRELID, MYPCFA_CMSGID, MYPCFA_MSGID, MYPCFA_PERSISTENCE, MYPCFA_PRIORITY, MYPCFA_FORMAT,
        MYPCFA_CODEDCHARSETID, MYPCFA_ENCODING, MYPCFA_FEEDBACK, MYPCFA_EXPIRY, MYPCFA_MSGTYPE, MYPCFA_REPORT,
        MYPCFA_MESSAGE, MYPCFA_MSGLEN, MYPCFA_MSG_TOKEN, MYPCFA_POSITION,
    };
    r->commandLevel = 900;
    PcfPart p = Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Ints(MYPCFA_MSG_ATTRS, asked))[0];
    std::vector<int32_t> order = {
        MYPCFA_POSITION, MYPCFA_MSG_TOKEN, MYPCFA_MSGLEN, MYPCFA_MESSAGE,
        MYPCFA_REPORT, MYPCFA_MSGTYPE, MYPCFA_EXPIRY, MYPCFA_FEEDBACK, MYPCFA_ENCODING, MYPCFA_CODEDCHARSETID,
        MYPCFA_FORMAT, MYPCFA_PRIORITY, MYPCFA_PERSISTENCE, MYPCFA_MSGID, MYPCFA_CMSGID, MYPCFA_CORRELID,
        MYPCFA_CCORRELID, MYPCFA_BACKOUTCOUNT, MYPCFA_REPLYTOQ, MYPCFA_REPLYTOQMGR, MYPCFA_MSG_USER_ID,
        MYPCFA_PUTAPPLTYPE, MYPCFA_PUTAPPLNAME, MYPCFA_PUTDATE, MYPCFA_PUTTIME, MYPCFA_GROUPID, MYPCFA_OFFSET,
        MYPCFA_MSG_SEQUENCE_NUMBER, MYPCFA_MSGFLAGS, MYPCFA_APPLORIGINDATA, MYPCFA_APPLIDENTITYDATA,
    };
    EXPECT_EQ(p.Ids(), order);
    const struct { int32_t id; size_t length; } widths[] = {
        { MYPCFA_FORMAT, 8 }, { MYPCFA_MSGID, 24 }, { MYPCFA_CORRELID, 24 }, { MYPCFA_REPLYTOQ, 48 },
        { MYPCFA_REPLYTOQMGR, 48 }, { MYPCFA_MSG_USER_ID, 12 }, { MYPCFA_PUTAPPLNAME, 28 },
        { MYPCFA_PUTDATE, 8 }, { MYPCFA_PUTTIME, 8 }, { MYPCFA_GROUPID, 24 }, { MYPCFA_APPLORIGINDATA, 4 },
        { MYPCFA_APPLIDENTITYDATA, 32 },
    };
    for (const auto &w : widths)
        EXPECT_EQ(p.Bytes(w.id).size(), w.length) << w.id;
    EXPECT_EQ(p.Bytes(MYPCFA_REPLYTOQ), "RQ" + std::string(46, ' '));
    EXPECT_EQ(p.Int(MYPCFA_PRIORITY), 3);
    EXPECT_EQ(p.Find(MYPCFA_FORMAT)->type, MQCFT_STRING);
    EXPECT_EQ(p.Find(MYPCFA_MSGID)->type, PCF_BYTE_STRING);
    EXPECT_EQ(p.Find(MYPCFA_PUTAPPLTYPE)->type, MQCFT_INTEGER);
    EXPECT_GT(p.Int(MYPCFA_EXPIRY), 0);
}

namespace {

/* Every attribute a list shows. */
std::vector<int32_t> EveryAttribute()
{
    return {
        MYPCFA_POSITION, MYPCFA_MSG_TOKEN, MYPCFA_MSGLEN, MYPCFA_MESSAGE, MYPCFA_REPORT, MYPCFA_MSGTYPE,
        MYPCFA_EXPIRY, MYPCFA_FEEDBACK, MYPCFA_ENCODING, MYPCFA_CODEDCHARSETID, MYPCFA_FORMAT, MYPCFA_PRIORITY,
        MYPCFA_PERSISTENCE, MYPCFA_MSGID, MYPCFA_CMSGID, MYPCFA_CORRELID, MYPCFA_CCORRELID, MYPCFA_BACKOUTCOUNT,
        MYPCFA_REPLYTOQ, MYPCFA_REPLYTOQMGR, MYPCFA_MSG_USER_ID, MYPCFA_PUTAPPLTYPE, MYPCFA_PUTAPPLNAME,
        MYPCFA_PUTDATE, MYPCFA_PUTTIME, MYPCFA_GROUPID, MYPCFA_OFFSET, MYPCFA_MSG_SEQUENCE_NUMBER,
        MYPCFA_MSGFLAGS, MYPCFA_APPLORIGINDATA, MYPCFA_APPLIDENTITYDATA,
    };
}

/* The answer of a list as the parameter builder writes it one parameter
 * at a time: what the list wrote before its rows were laid down once and
 * stamped per message.  From the header's end, and the parameter count. */
std::pair<std::string, int32_t> BuiltOneByOne(MQHCONN h, const char *queue, int32_t first, int32_t last,
                                              int32_t allowance, MQLONG convertTo = -1)
{
    MQHOBJ o = OpenOwn(h, queue, MQOO_BROWSE);
    MQLONG cc, rc;
    void *area = nullptr;
    MQPP pp;
    PCFInitArea(&pp, &area, 1, 0, 0, MYCMD_INQUIRE_MSGS, &cc, &rc);
    MQLONG options = MQGMO_BROWSE_FIRST | MQGMO_ACCEPT_TRUNCATED_MSG;
    std::vector<uint8_t> buffer((size_t)allowance + 1);
    for (int32_t n = 1; n <= last; n++) {
        MQMD md = {MQMD_DEFAULT};
        md.Version = MQMD_VERSION_2;
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Version = MQGMO_VERSION_3;
        gmo.Options = options;
        if (convertTo >= 0) {
            md.Encoding = MQENC_NATIVE;
            md.CodedCharSetId = convertTo;
            gmo.Options |= MQGMO_CONVERT;
        }
        options = MQGMO_BROWSE_NEXT | MQGMO_ACCEPT_TRUNCATED_MSG;
        MQLONG length = 0;
        StandIn.MQGET(h, o, &md, &gmo, allowance, buffer.data(), &length, &cc, &rc);
        if (cc == MQCC_FAILED)
            break;
        if (n < first)
            continue;
        if (n > first)
            PCFAddParm(&pp, PCF_END_GROUP, 0, nullptr, 0, 0, &cc, &rc);
        PCFAddParm(&pp, MQCFT_INTEGER, MYPCFA_POSITION, &n, 4, 1, &cc, &rc);
        PCFAddParm(&pp, PCF_BYTE_STRING, MYPCFA_MSG_TOKEN, gmo.MsgToken, 16, 1, &cc, &rc);
        PCFAddParm(&pp, MQCFT_INTEGER, MYPCFA_MSGLEN, &length, 4, 1, &cc, &rc);
        PCFAddParm(&pp, PCF_BYTE_STRING, MYPCFA_MESSAGE, buffer.data(), length < allowance ? length : allowance, 1,
                   &cc, &rc);
        AddMsgDescParms(&pp, 0xFFFFFFFFu & ~(MA_POSITION | MA_TOKEN | MA_MSGLEN | MA_MESSAGE), &md);
    }
    StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    std::pair<std::string, int32_t> built(std::string((const char *)pp.message + 36, (size_t)pp.position - 36),
                                          PCFHeader(&pp)->ParameterCount);
    CSFreeMem(area);
    return built;
}

}  // namespace

TEST_F(AgentTest, ListRowsAreTheBytesOfTheParameterBuilder)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    /* descriptors that differ in every field a list shows, data of many lengths */
    const char *texts[] = { "", "abc", "a message longer than the shortest allowance", "z" };
    for (int i = 0; i < 7; i++) {
        MQMD md = {MQMD_DEFAULT};
        md.Version = MQMD_VERSION_2;
        memset(md.MsgId, 'A' + i, 24);
        memset(md.CorrelId, 'a' + i, 24);
        memset(md.GroupId, '0' + i, 24);
        md.Priority = i;
        md.Persistence = i & 1;
        md.Report = i & 1 ? MQRO_COA : MQRO_NONE;
        md.Feedback = MQFB_APPL_FIRST + i;
        md.MsgType = 1 + (i & 1);
        md.Encoding = 273 + i;
        md.CodedCharSetId = 500 + i;
        md.MsgFlags = i & 1 ? MQMF_SEGMENTATION_ALLOWED : 0;
        md.MsgSeqNumber = 1 + i;
        memcpy(md.Format, i & 1 ? "RAVOLT  " : "        ", 8);
        memset(md.ReplyToQ, ' ', 48);
        memcpy(md.ReplyToQ, "REPLY.Q", 7);
        md.ReplyToQ[7] = (char)('0' + i);
        memset(md.ReplyToQMgr, ' ', 48);
        memcpy(md.ReplyToQMgr, "QMR", 3);
        Put("QM1", "APP.Q", texts[i % 4] + std::string((size_t)i * 9, (char)('k' + i)), &md);
    }
    QMS *r = Connected("QM1");
    r->commandLevel = 900;
    std::vector<int32_t> every = EveryAttribute();
    const struct { const char *range; int32_t first, last, allowance; } cases[] = {
        { "1,7", 1, 7, 120 },      /* every message, the default bytes */
        { "3,5", 3, 5, 120 },      /* a range from the middle: no end mark before its first */
        { "2,9", 2, 7, 7 },        /* a short allowance, the range past the last message */
    };
    for (const auto &c : cases) {
        Pcf req(MYCMD_INQUIRE_MSGS);
        req.Str(MQCA_Q_NAME, "APP.Q").Ints(MYPCFA_MSG_ATTRS, every).Str(MYPCFA_MSG_RANGE, c.range);
        if (c.allowance != 120)
            req.Int(MYPCFA_MAX_MSG_SIZE, c.allowance);
        PcfPart p = Run(r, req)[0];
        auto expected = BuiltOneByOne(Own("QM1"), "APP.Q", c.first, c.last, c.allowance);
        ASSERT_GT(p.raw.size(), 36u) << c.range;
        EXPECT_EQ(p.cfh.ParameterCount, expected.second) << c.range;
        EXPECT_EQ(p.raw.substr(36), expected.first) << c.range;
        EXPECT_EQ(p.items.size(), (size_t)(c.last - c.first + 1)) << c.range;
    }
}

/* Rows of text messages in several code pages converted to the one the
 * request asks for (or left when they cannot be), of empty, long and
 * truncated data up to the largest allowance: the bytes of the one-at-a-
 * time build of the same reads. */
TEST_F(AgentTest, ConvertedTruncatedAndEmptyRowsAreTheBytesOfTheParameterBuilder)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    const struct { MQLONG ccsid; size_t length; } messages[] = {
        { 500, 0 }, { 819, 1 }, { 437, 499 }, { 500, 500 }, { 1208, 501 }, { 819, 2000 }, { 37, 120 },
        { 850, 121 }, { 500, 7 },
    };
    for (size_t i = 0; i < std::size(messages); i++) {
        MQMD md = {MQMD_DEFAULT};
        md.Version = MQMD_VERSION_2;
        memcpy(md.Format, MQFMT_STRING, 8);
        md.CodedCharSetId = messages[i].ccsid;
        memset(md.MsgId, 'a' + (int)i, 24);
        std::string data(messages[i].length, ' ');
        for (size_t k = 0; k < data.size(); k++)
            data[k] = (char)(0x40 + (k * 13 + i) % 0xBF);      /* letters, digits and accented ones */
        Put("QM1", "APP.Q", data, &md);
    }
    QMS *r = Connected("QM1");
    r->commandLevel = 900;
    std::vector<int32_t> every = EveryAttribute();
    const int32_t n = (int32_t)std::size(messages);
    const struct { int32_t allowance; MQLONG ccsid; } cases[] = {
        { 500, 819 }, { 500, 500 }, { 120, 437 }, { 10, 1208 },
    };
    for (const auto &c : cases) {
        Pcf req(MYCMD_INQUIRE_MSGS);
        req.Str(MQCA_Q_NAME, "APP.Q").Ints(MYPCFA_MSG_ATTRS, every).Str(MYPCFA_MSG_RANGE, "1,20");
        req.Int(MYPCFA_MAX_MSG_SIZE, c.allowance).Int(MYPCFA_CONVERT_CCSID, c.ccsid);
        PcfPart p = Run(r, req)[0];
        auto expected = BuiltOneByOne(Own("QM1"), "APP.Q", 1, n, c.allowance, c.ccsid);
        ASSERT_EQ(p.items.size(), (size_t)n) << c.ccsid;
        EXPECT_EQ(p.cfh.ParameterCount, expected.second) << c.ccsid;
        EXPECT_EQ(p.raw.substr(36), expected.first) << c.ccsid;
        EXPECT_EQ(p.Bytes(MYPCFA_MESSAGE, 5).size(), (size_t)c.allowance) << c.ccsid;
        EXPECT_EQ(p.Int(MYPCFA_MSGLEN, 5), 2000) << c.ccsid;
        EXPECT_EQ(p.Bytes(MYPCFA_MESSAGE, 0), "") << c.ccsid;
        EXPECT_EQ(p.Int(MYPCFA_CODEDCHARSETID, 1), c.ccsid == 1208 ? 819 : c.ccsid) << c.ccsid;
    }
}
