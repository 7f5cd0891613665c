/* The stand-in's command server, driven as a client program drives it:
 * PCF requests built with the program's PCF builder, put to the command
 * queue, replies read from a dynamic reply queue and walked. */
#include "simtest.h"
#include "sim.h"
#include "mq/pcf.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

int SimChildMain(const char *, const char *)
{
    return 1;
}

/* One reply message, walked. */
struct Reply {
    MQMD md;
    MQCFH cfh;
    std::map<MQLONG, MQLONG> ints;
    std::map<MQLONG, std::string> strs;       /* trailing blanks removed */
    std::map<MQLONG, std::vector<MQLONG>> ilists;
    std::map<MQLONG, std::vector<std::string>> slists;
    std::map<MQLONG, std::string> bytes;
    std::vector<MQLONG> order;                /* parameter ids in order */
    std::string raw;
};

static std::string Rtrim(const char *p, size_t n)
{
    std::string s(p, n);
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

static Reply Walk(const MQMD &md, const std::string &data)
{
    Reply r;
    r.md = md;
    r.raw = data;
    MQPP pp;
    MQLONG cmd, cc, rc;
    PCFInitParse(&pp, data.data(), (int32_t)data.size(), &cmd, &cc, &rc);
    EXPECT_EQ(cc, 0);
    memcpy(&r.cfh, data.data(), sizeof r.cfh);
    for (;;) {
        MQLONG type, id, len, count;
        void *v;
        PCFGetNextParm(&pp, &type, &id, &v, &len, &count, &cc, &rc);
        if (cc) {
            EXPECT_EQ(rc, PCF_RC_END_OF_PARMS);
            break;
        }
        r.order.push_back(id);
        if (type == MQCFT_INTEGER)
            r.ints[id] = *(MQLONG *)v;
        else if (type == MQCFT_STRING)
            r.strs[id] = Rtrim((const char *)v, (size_t)len);
        else if (type == MQCFT_INTEGER_LIST)
            r.ilists[id] = std::vector<MQLONG>((MQLONG *)v, (MQLONG *)v + count);
        else if (type == MQCFT_BYTE_STRING)
            r.bytes[id] = std::string((const char *)v, (size_t)len);
        else if (type == MQCFT_STRING_LIST || type == PCF_STRING_LIST) {
            size_t w = count ? (size_t)len / (size_t)count : 0;
            for (MQLONG i = 0; i < count; i++)
                r.slists[id].push_back(Rtrim((const char *)v + i * w, w));
        }
    }
    EXPECT_EQ((MQLONG)r.order.size(), r.cfh.ParameterCount);
    return r;
}

class Cmd : public Sim {
public:
    MQHCONN h = 0;
    MQHOBJ cmdq = 0, replyq = 0;
    char replyName[48];
    MQPP pp;
    void *area = nullptr;
    alignas(8) char buffer[16384];

    void Start(const char *qmgr = "QMC", const char *script = "")
    {
        Mqsc(qmgr, script);
        h = Connect(qmgr);
        cmdq = Open(h, "SYSTEM.ADMIN.COMMAND.QUEUE", MQOO_OUTPUT);
        MQOD od = {MQOD_DEFAULT};
        FILL(od.ObjectName, "SYSTEM.DEFAULT.MODEL.QUEUE");
        replyq = Open(h, "SYSTEM.DEFAULT.MODEL.QUEUE", MQOO_INPUT_EXCLUSIVE, 0, &od);
        memcpy(replyName, od.ObjectName, 48);
    }
    void Begin(MQLONG command)
    {
        MQLONG cc, rc;
        area = buffer;
        PCFInitArea(&pp, &area, 0, (int32_t)sizeof buffer, 0, command, &cc, &rc);
        ASSERT_EQ(cc, 0);
    }
    void Int(MQLONG id, MQLONG v) { Add(MQCFT_INTEGER, id, &v, 4, 1); }
    void Str(MQLONG id, const char *s) { Add(MQCFT_STRING, id, s, -1, 1); }
    void Ints(MQLONG id, std::vector<MQLONG> v) { Add(MQCFT_INTEGER_LIST, id, v.data(), (int32_t)(4 * v.size()), (int32_t)v.size()); }
    void Add(MQLONG type, MQLONG id, const void *v, int32_t len, int32_t count)
    {
        MQLONG cc, rc;
        PCFAddParm(&pp, type, id, v, len, count, &cc, &rc);
        ASSERT_EQ(cc, 0);
    }
    /* Appends a filter structure by hand (the builder makes no filters). */
    void Filter(MQLONG type, MQLONG id, MQLONG op, const void *value, MQLONG len)
    {
        std::string s;
        auto put = [&s](MQLONG x) { s.append((const char *)&x, 4); };
        put(type);
        MQLONG pad = (len + 3) & ~3;
        put(type == MQCFT_INTEGER_FILTER ? 20 : type == MQCFT_STRING_FILTER ? 24 + pad : 20 + pad);
        put(id);
        put(op);
        if (type == MQCFT_INTEGER_FILTER) {
            put(*(const MQLONG *)value);
        } else {
            if (type == MQCFT_STRING_FILTER)
                put(0);
            put(len);
            s.append((const char *)value, (size_t)len);
            s.append((size_t)(pad - len), '\0');
        }
        extraParms += s;
        extraCount++;
    }
    std::string extraParms;
    int extraCount = 0;

    /* The request as built, sent; its replies up to the last. */
    std::vector<Reply> Send(MQLONG report = MQRO_PASS_MSG_ID, const char *format = MQFMT_ADMIN,
                            const std::string *text = nullptr, int waitMs = 5000, MQLONG expiry = MQEI_UNLIMITED)
    {
        std::string msg = text ? *text : std::string((const char *)pp.message, (size_t)pp.position);
        if (!text && extraCount) {
            msg += extraParms;
            MQCFH *cfh = (MQCFH *)&msg[0];
            cfh->ParameterCount += extraCount;
            extraParms.clear();
            extraCount = 0;
        }
        MQMD md = {MQMD_DEFAULT};
        md.MsgType = MQMT_REQUEST;
        md.CodedCharSetId = sendCcsid;
        md.Report = report;
        md.Expiry = expiry;
        memcpy(md.Format, format, 8);
        memcpy(md.ReplyToQ, replyName, 48);
        memcpy(md.MsgId, "REQUEST-KEY-0000000000001", 24);
        EXPECT_EQ(Put(h, cmdq, msg, &md, MQPMO_NO_SYNCPOINT), 0);
        memcpy(sentId, md.MsgId, 24);
        std::vector<Reply> out;
        for (;;) {
            MQMD rmd = {MQMD_DEFAULT};
            MQGMO gmo = {MQGMO_DEFAULT};
            gmo.WaitInterval = waitMs;
            gmo.Options = MQGMO_WAIT | MQGMO_NO_SYNCPOINT;
            std::string data;
            MQLONG rc = Get(h, replyq, &data, MQGMO_WAIT | MQGMO_NO_SYNCPOINT, &rmd, &gmo, 1 << 20);
            if (rc)
                break;
            if (memcmp(rmd.Format, "MQCMD", 5) == 0) {
                Reply r = {};
                r.md = rmd;
                r.raw = data;
                out.push_back(r);
                if (data.compare(0, 7, "CSQ9022") == 0 || data.compare(0, 7, "CSQ9023") == 0)
                    break;
                continue;
            }
            out.push_back(Walk(rmd, data));
            if (out.back().cfh.Control == MQCFC_LAST)
                break;
        }
        return out;
    }
    MQBYTE sentId[24];
    MQLONG sendCcsid = 0;                     /* the requests' CCSID */

    /* One request expected to fail with reason. */
    Reply Fails(MQLONG reason)
    {
        std::vector<Reply> r = Send();
        EXPECT_EQ(r.size(), 1u);
        if (r.empty())
            return Reply{};
        EXPECT_EQ(r[0].cfh.CompCode, MQCC_FAILED);
        EXPECT_EQ(r[0].cfh.Reason, reason);
        return r[0];
    }
    void Ok()
    {
        std::vector<Reply> r = Send();
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].cfh.CompCode, 0) << r[0].cfh.Reason;
        EXPECT_EQ(r[0].cfh.Control, MQCFC_LAST);
    }
};

TEST_F(Cmd, QueueManagerInquiryAndReplyDescriptor)
{
    Start();
    Begin(MQCMD_INQUIRE_Q_MGR);
    std::vector<Reply> r = Send();
    ASSERT_EQ(r.size(), 1u);
    const Reply &q = r[0];
    EXPECT_EQ(q.cfh.Type, MQCFT_RESPONSE);
    EXPECT_EQ(q.cfh.Command, MQCMD_INQUIRE_Q_MGR);
    EXPECT_EQ(q.cfh.Control, MQCFC_LAST);
    EXPECT_EQ(q.cfh.MsgSeqNumber, 1);
    EXPECT_EQ(q.md.MsgType, MQMT_REPLY);
    EXPECT_EQ(memcmp(q.md.Format, MQFMT_ADMIN, 8), 0);
    EXPECT_EQ(memcmp(q.md.MsgId, sentId, 24), 0);       /* MQRO_PASS_MSG_ID */
    EXPECT_EQ(memcmp(q.md.CorrelId, sentId, 24), 0);
    EXPECT_EQ(q.strs.at(MQCA_Q_MGR_NAME), "QMC");
    int strings = 0;
    for (size_t at = 36; at + 20 <= q.raw.size();) {      /* strings carry the queue manager's CCSID */
        MQCFST st;
        memcpy(&st, q.raw.data() + at, 20);
        if (st.Type == MQCFT_STRING && ++strings) {
            EXPECT_EQ(st.CodedCharSetId, q.ints.at(MQIA_CODED_CHAR_SET_ID));
        }
        at += (size_t)st.StrucLength;
    }
    EXPECT_GT(strings, 10);
    EXPECT_EQ(q.ints.at(MQIA_PLATFORM), MQPL_WINDOWS_NT);
    EXPECT_GE(q.ints.at(MQIA_COMMAND_LEVEL), 900);
    EXPECT_EQ(q.strs.at(MQCA_DEAD_LETTER_Q_NAME), "SYSTEM.DEAD.LETTER.QUEUE");
    for (MQLONG id : {MQIA_CODED_CHAR_SET_ID, MQIA_MAX_UNCOMMITTED_MSGS})
        EXPECT_TRUE(q.ints.count(id)) << id;
    for (MQLONG id : {MQCA_DEF_XMIT_Q_NAME, MQCA_REPOSITORY_NAME, MQCA_REPOSITORY_NAMELIST, MQCA_QSG_NAME})
        EXPECT_TRUE(q.strs.count(id)) << id;

    /* Expiry passed on when asked. */
    Begin(MQCMD_PING_Q_MGR);
    r = Send(MQRO_PASS_MSG_ID | MQRO_PASS_DISCARD_AND_EXPIRY, MQFMT_ADMIN, nullptr, 5000, 600);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_GT(r[0].md.Expiry, 0);
    EXPECT_LE(r[0].md.Expiry, 600);
    Begin(MQCMD_PING_Q_MGR);
    r = Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, nullptr, 5000, 600);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].md.Expiry, MQEI_UNLIMITED);

    /* Without MQRO_PASS_MSG_ID a new MsgId; the request's MsgId in CorrelId. */
    Begin(MQCMD_PING_Q_MGR);
    r = Send(MQRO_NONE);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NE(memcmp(r[0].md.MsgId, sentId, 24), 0);
    EXPECT_EQ(memcmp(r[0].md.CorrelId, sentId, 24), 0);

    /* Platform and command level are settable; selectors limit the answer. */
    Begin(MQCMD_CHANGE_Q_MGR);
    Int(MQIA_COMMAND_LEVEL, 910);
    Str(MQCA_DEAD_LETTER_Q_NAME, "MY.DLQ");
    Ok();
    Begin(MQCMD_INQUIRE_Q_MGR);
    Ints(MQIACF_Q_MGR_ATTRS, {MQIA_COMMAND_LEVEL, MQCA_DEAD_LETTER_Q_NAME});
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].ints.at(MQIA_COMMAND_LEVEL), 910);
    EXPECT_EQ(r[0].strs.at(MQCA_DEAD_LETTER_Q_NAME), "MY.DLQ");
    EXPECT_EQ(r[0].cfh.ParameterCount, 2);

    Begin(MQCMD_INQUIRE_Q_MGR_STATUS);
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].ints.at(MQIACF_Q_MGR_STATUS), MQQMSTA_RUNNING);
    EXPECT_EQ(r[0].ints.at(MQIACF_CMD_SERVER_STATUS), MQSVC_STATUS_RUNNING);
}

/* Requests in the queue manager's CCSID (0), in UTF-8 or in another
 * code page are all answered, and every reply names the queue manager's
 * own CCSID, the one its strings are written in. */
TEST_F(Cmd, RequestsInAnyCodePageAreAnsweredInTheQueueManagersOwn)
{
    Start();
    for (MQLONG ccsid : {0, 1208, 819, 437}) {
        sendCcsid = ccsid;
        Begin(MQCMD_INQUIRE_Q_MGR);
        std::vector<Reply> r = Send();
        ASSERT_EQ(r.size(), 1u) << ccsid;
        EXPECT_EQ(r[0].cfh.CompCode, 0) << ccsid;
        EXPECT_EQ(r[0].strs.at(MQCA_Q_MGR_NAME), "QMC");
        EXPECT_EQ(r[0].md.CodedCharSetId, r[0].ints.at(MQIA_CODED_CHAR_SET_ID)) << ccsid;
    }
    sendCcsid = 0;
}

TEST_F(Cmd, QueueLifecycle)
{
    Start();
    Begin(MQCMD_CREATE_Q);
    Str(MQCA_Q_NAME, "CMD.A");
    Int(MQIA_Q_TYPE, MQQT_LOCAL);
    Int(MQIA_MAX_Q_DEPTH, 1234);
    Str(MQCA_Q_DESC, "first queue");
    Ok();
    Begin(MQCMD_CREATE_Q);
    Str(MQCA_Q_NAME, "CMD.A");
    Int(MQIA_Q_TYPE, MQQT_LOCAL);
    Fails(MQRCCF_OBJECT_ALREADY_EXISTS);
    Begin(MQCMD_COPY_Q);
    Str(MQCACF_FROM_Q_NAME, "CMD.A");
    Str(MQCACF_TO_Q_NAME, "CMD.B");
    Int(MQIA_Q_TYPE, MQQT_LOCAL);
    Str(MQCA_Q_DESC, "copied");
    Ok();
    Begin(MQCMD_CREATE_Q);
    Str(MQCA_Q_NAME, "CMD.ALIAS");
    Int(MQIA_Q_TYPE, MQQT_ALIAS);
    Str(MQCA_BASE_Q_NAME, "CMD.A");
    Ok();

    /* Generic inquiry: every object in name order, one message each. */
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "CMD.*");
    std::vector<Reply> r = Send();
    ASSERT_EQ(r.size(), 3u);
    const char *names[] = {"CMD.A", "CMD.ALIAS", "CMD.B"};
    for (size_t i = 0; i < 3; i++) {
        EXPECT_EQ(r[i].strs.at(MQCA_Q_NAME), names[i]);
        EXPECT_EQ(r[i].cfh.MsgSeqNumber, (MQLONG)i + 1);
        EXPECT_EQ(r[i].cfh.Control, i == 2 ? MQCFC_LAST : MQCFC_NOT_LAST);
        EXPECT_EQ(r[i].order[0], MQCA_Q_NAME);
    }
    EXPECT_EQ(r[0].ints.at(MQIA_MAX_Q_DEPTH), 1234);
    EXPECT_EQ(r[2].ints.at(MQIA_MAX_Q_DEPTH), 1234);
    EXPECT_EQ(r[2].strs.at(MQCA_Q_DESC), "copied");
    EXPECT_EQ(r[1].strs.at(MQCA_BASE_Q_NAME), "CMD.A");
    for (MQLONG id : {MQIA_CURRENT_Q_DEPTH, MQIA_OPEN_INPUT_COUNT, MQIA_DEF_PERSISTENCE, MQIA_INHIBIT_GET,
                      MQIA_INHIBIT_PUT, MQIA_MAX_MSG_LENGTH, MQIA_SHAREABILITY, MQIA_TRIGGER_CONTROL,
                      MQIA_Q_DEPTH_HIGH_LIMIT, MQIA_BACKOUT_THRESHOLD, MQIA_USAGE})
        EXPECT_TRUE(r[0].ints.count(id)) << id;
    for (MQLONG id : {MQCA_ALTERATION_DATE, MQCA_ALTERATION_TIME, MQCA_INITIATION_Q_NAME, MQCA_PROCESS_NAME,
                      MQCA_BACKOUT_REQ_Q_NAME})
        EXPECT_TRUE(r[0].strs.count(id)) << id;

    /* Queue type selection and names. */
    Begin(MQCMD_INQUIRE_Q_NAMES);
    Str(MQCA_Q_NAME, "CMD.*");
    Int(MQIA_Q_TYPE, MQQT_LOCAL);
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].slists.at(MQCACF_Q_NAMES), (std::vector<std::string>{"CMD.A", "CMD.B"}));
    EXPECT_EQ(r[0].ilists.at(MQIACF_Q_TYPES), (std::vector<MQLONG>{MQQT_LOCAL, MQQT_LOCAL}));

    /* Change; type must match. */
    Begin(MQCMD_CHANGE_Q);
    Str(MQCA_Q_NAME, "CMD.A");
    Int(MQIA_Q_TYPE, MQQT_LOCAL);
    Int(MQIA_INHIBIT_PUT, MQQA_PUT_INHIBITED);
    Ok();
    MQHOBJ a = Open(h, "CMD.A", MQOO_OUTPUT, MQRC_PUT_INHIBITED);
    Begin(MQCMD_CHANGE_Q);
    Str(MQCA_Q_NAME, "CMD.A");
    Int(MQIA_Q_TYPE, MQQT_ALIAS);
    Fails(MQRCCF_OBJECT_WRONG_TYPE);
    Begin(MQCMD_CHANGE_Q);
    Str(MQCA_Q_NAME, "CMD.A");
    Int(MQIA_Q_TYPE, MQQT_LOCAL);
    Int(MQIA_INHIBIT_PUT, MQQA_PUT_ALLOWED);
    Int(9999, 1);
    Reply e = Fails(MQRCCF_CFIN_PARM_ID_ERROR);
    EXPECT_EQ(e.ints.at(MQIACF_PARAMETER_ID), 9999);
    Begin(MQCMD_CHANGE_Q);
    Str(MQCA_Q_NAME, "CMD.A");
    Int(MQIA_Q_TYPE, MQQT_LOCAL);
    Int(MQIA_INHIBIT_PUT, MQQA_PUT_ALLOWED);
    Ok();
    (void)a;
    /* a number whose only word is a special value (DEFPRTY ASPARENT) takes
     * plain numbers; an enumeration only its own values */
    Begin(MQCMD_CHANGE_Q);
    Str(MQCA_Q_NAME, "CMD.A");
    Int(MQIA_Q_TYPE, MQQT_LOCAL);
    Int(MQIA_DEF_PRIORITY, 7);
    Ok();
    Begin(MQCMD_CHANGE_Q);
    Str(MQCA_Q_NAME, "CMD.A");
    Int(MQIA_Q_TYPE, MQQT_LOCAL);
    Int(MQIA_MONITORING_Q, 5);
    EXPECT_EQ(Fails(MQRCCF_PARM_VALUE_ERROR).ints.at(MQIACF_PARAMETER_ID), MQIA_MONITORING_Q);

    /* Delete: not empty without purge, then with purge; clear. */
    a = Open(h, "CMD.B", MQOO_OUTPUT);
    Put(h, a, "one");
    Put(h, a, "two");
    Begin(MQCMD_CLEAR_Q);
    Str(MQCA_Q_NAME, "CMD.B");
    Fails(MQRC_OBJECT_IN_USE);
    Begin(MQCMD_INQUIRE_Q_STATUS);
    Str(MQCA_Q_NAME, "CMD.B");
    Int(MQIACF_Q_STATUS_TYPE, MQIACF_Q_HANDLE);
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].ints.at(MQIACF_OPEN_OUTPUT), MQQSO_YES);
    EXPECT_EQ(r[0].ints.at(MQIACF_OPEN_INPUT_TYPE), MQQSO_NO);
    EXPECT_EQ(r[0].bytes.at(MQBACF_CONNECTION_ID).size(), 24u);
    Close(h, a);
    Begin(MQCMD_INQUIRE_Q_STATUS);
    Str(MQCA_Q_NAME, "CMD.B");
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].ints.at(MQIA_CURRENT_Q_DEPTH), 2);
    /* Reset Queue Statistics: the counts since the last reset, then from
       nothing again; a queue without messages of its own is refused */
    for (MQLONG enq : {2, 0}) {
        Begin(MQCMD_RESET_Q_STATS);
        Str(MQCA_Q_NAME, "CMD.B");
        r = Send();
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].ints.at(MQIA_MSG_ENQ_COUNT), enq);
        EXPECT_EQ(r[0].ints.at(MQIA_MSG_DEQ_COUNT), 0);
        EXPECT_EQ(r[0].ints.at(MQIA_HIGH_Q_DEPTH), 2);
        EXPECT_GE(r[0].ints.at(MQIA_TIME_SINCE_RESET), 0);
    }
    Begin(MQCMD_RESET_Q_STATS);
    Str(MQCA_Q_NAME, "CMD.ALIAS");
    Fails(MQRCCF_Q_WRONG_TYPE);
    Begin(MQCMD_DELETE_Q);
    Str(MQCA_Q_NAME, "CMD.B");
    Fails(MQRC_Q_NOT_EMPTY);
    Begin(MQCMD_CLEAR_Q);
    Str(MQCA_Q_NAME, "CMD.B");
    Ok();
    EXPECT_EQ(Depth(h, "CMD.B"), 0);
    a = Open(h, "CMD.A", MQOO_OUTPUT);
    Put(h, a, "x");
    Close(h, a);
    Begin(MQCMD_DELETE_Q);
    Str(MQCA_Q_NAME, "CMD.A");
    Int(MQIACF_PURGE, MQPO_YES);
    Ok();
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "CMD.A");
    Fails(MQRC_UNKNOWN_OBJECT_NAME);

    /* Definitions made through the server survive a restart. */
    MQSimShutdown();
    Start();
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "CMD.B");
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].strs.at(MQCA_Q_DESC), "copied");
}

TEST_F(Cmd, FiltersAndSelectors)
{
    Start("QMC", "DEFINE QLOCAL(F.SMALL) MAXDEPTH(10) DESCR('tiny one')\n"
                 "DEFINE QLOCAL(F.BIG) MAXDEPTH(90000) DESCR('big one')\n"
                 "DEFINE QALIAS(F.ALIAS) TARGET(F.BIG)\n");
    MQLONG v = 1000;
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "F.*");
    Ints(MQIACF_Q_ATTRS, {MQIA_MAX_Q_DEPTH});
    Filter(MQCFT_INTEGER_FILTER, MQIA_MAX_Q_DEPTH, MQCFOP_GREATER, &v, 4);
    std::vector<Reply> r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].strs.at(MQCA_Q_NAME), "F.BIG");
    EXPECT_EQ(r[0].ints.at(MQIA_MAX_Q_DEPTH), 90000);
    EXPECT_FALSE(r[0].strs.count(MQCA_Q_DESC));

    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "*");
    Filter(MQCFT_STRING_FILTER, MQCA_Q_DESC, MQCFOP_LIKE, "tiny*", 5);
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].strs.at(MQCA_Q_NAME), "F.SMALL");

    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "F.*");
    Int(MQIA_Q_TYPE, MQQT_ALIAS);
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].strs.at(MQCA_BASE_Q_NAME), "F.BIG");

    /* Nothing passes: an empty good answer; a bad operator is an error. */
    v = 1 << 30;
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "F.*");
    Filter(MQCFT_INTEGER_FILTER, MQIA_MAX_Q_DEPTH, MQCFOP_GREATER, &v, 4);
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].cfh.CompCode, 0);
    EXPECT_EQ(r[0].cfh.ParameterCount, 0);
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "F.*");
    Filter(MQCFT_INTEGER_FILTER, MQIA_MAX_Q_DEPTH, MQCFOP_LIKE, &v, 4);
    Fails(MQRCCF_FILTER_ERROR);

    /* An attribute of named values takes EQ and NE only; a number that
       names only special values (CAPEXPRY NOLIMIT) takes every order. */
    const struct { MQLONG id, op, value; bool ok; } named[] = {
        {MQIA_INHIBIT_PUT, MQCFOP_NOT_LESS, MQQA_PUT_INHIBITED, false},
        {MQIA_Q_TYPE, MQCFOP_GREATER, MQQT_LOCAL, false},
        {MQIA_Q_TYPE, MQCFOP_LESS, MQQT_ALIAS, false},
        {MQIA_DEF_INPUT_OPEN_OPTION, MQCFOP_NOT_GREATER, MQOO_INPUT_SHARED, false},
        {MQIA_INHIBIT_PUT, MQCFOP_NOT_EQUAL, MQQA_PUT_INHIBITED, true},
        {MQIA_Q_TYPE, MQCFOP_EQUAL, MQQT_ALIAS, true},
        {MQIA_CAP_EXPIRY, MQCFOP_GREATER, 100, true},
    };
    for (const auto &n : named) {
        Begin(MQCMD_INQUIRE_Q);
        Str(MQCA_Q_NAME, "F.*");
        Filter(MQCFT_INTEGER_FILTER, n.id, n.op, &n.value, 4);
        if (!n.ok) {
            Fails(MQRCCF_FILTER_ERROR);
            continue;
        }
        r = Send();
        ASSERT_FALSE(r.empty()) << n.id;
        EXPECT_EQ(r[0].cfh.CompCode, 0) << n.id << " " << n.op;
    }
}

/* Error responses name what was wrong: the parameter, the selector, the
 * offset of a bad character in a name. */
TEST_F(Cmd, ErrorResponsesCarryTheirParameters)
{
    Start("QMC", "DEFINE QLOCAL(X.Q)\n");
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "X.*");
    Ints(MQIACF_Q_ATTRS, {MQIA_MAX_Q_DEPTH, 99999});
    Reply e = Fails(MQRCCF_ATTR_VALUE_ERROR);
    EXPECT_EQ(e.ints.at(MQIACF_PARAMETER_ID), MQIACF_Q_ATTRS);
    EXPECT_EQ(e.ints.at(MQIACF_SELECTOR), 99999);
    Begin(MQCMD_INQUIRE_CHANNEL);
    Str(MQCACH_CHANNEL_NAME, "*");
    Ints(MQIACF_CHANNEL_ATTRS, {-5});
    e = Fails(MQRCCF_ATTR_VALUE_ERROR);
    EXPECT_EQ(e.ints.at(MQIACF_SELECTOR), -5);

    MQLONG v = 0;
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "*");
    Filter(MQCFT_INTEGER_FILTER, 0, MQCFOP_EQUAL, &v, 4);
    e = Fails(MQRCCF_FILTER_ERROR);
    EXPECT_EQ(e.ints.at(MQIACF_SELECTOR), 0);
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "*");
    Filter(MQCFT_INTEGER_FILTER, MQIA_CURRENT_Q_DEPTH, MQCFOP_LIKE, &v, 4);
    e = Fails(MQRCCF_FILTER_ERROR);
    EXPECT_EQ(e.ints.at(MQIACF_PARAMETER_ID), MQIA_CURRENT_Q_DEPTH);

    struct {
        const char *name;
        MQLONG offset;            /* -1: none */
    } const names[] = {{"BAD NAME", 3}, {"ABC*", 3}, {"#X", 0}, {"", -1},
                       {"A123456789012345678901234567890123456789012345678", -1}};
    for (const auto &n : names) {
        Begin(MQCMD_CREATE_Q);
        Str(MQCA_Q_NAME, n.name);
        Int(MQIA_Q_TYPE, MQQT_LOCAL);
        e = Fails(MQRCCF_OBJECT_NAME_ERROR);
        EXPECT_EQ(e.ints.at(MQIACF_PARAMETER_ID), MQCA_Q_NAME) << n.name;
        EXPECT_EQ(e.ints.count(MQIACF_ERROR_OFFSET) ? e.ints.at(MQIACF_ERROR_OFFSET) : -1, n.offset) << n.name;
    }
    Begin(MQCMD_COPY_CHANNEL);
    Str(MQCACF_FROM_CHANNEL_NAME, "SYSTEM.DEF.SVRCONN");
    Str(MQCACF_TO_CHANNEL_NAME, "A.CHANNEL.NAME.TOO.LONG");
    e = Fails(MQRCCF_OBJECT_NAME_ERROR);
    EXPECT_EQ(e.ints.at(MQIACF_PARAMETER_ID), MQCACF_TO_CHANNEL_NAME);
    Begin(MQCMD_CREATE_Q);
    Str(MQCA_Q_NAME, "Good_Name/1%.x");
    Int(MQIA_Q_TYPE, MQQT_LOCAL);
    Ok();
}

/* MQSC DISPLAY ... WHERE(attribute operator value), through the escape. */
TEST_F(Cmd, MqscDisplayWhere)
{
    Start("QMC", "DEFINE QLOCAL(W.SMALL) MAXDEPTH(10) DESCR('Tiny one') DEFPSIST(YES)\n"
                 "DEFINE QLOCAL(W.BIG) MAXDEPTH(90000) DESCR('big one')\n"
                 "DEFINE QALIAS(W.ALIAS) TARGET(W.BIG)\n"
                 "DEFINE NAMELIST(W.NL) NAMES(ONE, TWO.X)\n"
                 "DEFINE CHANNEL(W.SVR) CHLTYPE(SVRCONN) DESCR('srv')\n");
    MQHOBJ o = Open(h, "W.BIG", MQOO_OUTPUT);
    Put(h, o, "one");
    Close(h, o);
    /* The text of each answer, the objects' names found in them. */
    auto run = [this](const std::string &text) {
        Begin(MQCMD_ESCAPE);
        Int(MQIACF_ESCAPE_TYPE, MQET_MQSC);
        Str(MQCACF_ESCAPE_TEXT, text.c_str());
        std::vector<std::string> out;
        for (const Reply &r : Send())
            if (r.strs.count(MQCACF_ESCAPE_TEXT))
                out.push_back(r.strs.at(MQCACF_ESCAPE_TEXT));
        return out;
    };
    struct {
        const char *text;
        std::vector<std::string> shown;       /* a substring of each answer, in order */
    } const cases[] = {
        {"DISPLAY QLOCAL(W.*) WHERE(CURDEPTH GT 0)", {"QUEUE(W.BIG)"}},
        {"DISPLAY QUEUE(W.*) WHERE(MAXDEPTH LE 10)", {"QUEUE(W.SMALL)"}},
        {"DISPLAY QUEUE(W.*) WHERE(MAXDEPTH NE 10)", {"QUEUE(W.BIG)"}},   /* the alias has none */
        {"DISPLAY QUEUE(W.*) WHERE(TARGET EQ W.BIG)", {"QUEUE(W.ALIAS)"}},
        {"DISPLAY QLOCAL(*) where (descr eq 'Tiny one')", {"QUEUE(W.SMALL)"}},
        {"DISPLAY QLOCAL(W.*) WHERE(DESCR LK 'big*')", {"QUEUE(W.BIG)"}},
        {"DISPLAY QLOCAL(W.*) WHERE(DESCR NL 'big*')", {"QUEUE(W.SMALL)"}},
        {"DISPLAY QLOCAL(W.*) WHERE(DEFPSIST EQ YES)", {"DEFPSIST(YES)"}},
        {"DISPLAY QLOCAL(W.*) MAXDEPTH WHERE(MAXDEPTH GE 10)", {"QUEUE(W.BIG)", "QUEUE(W.SMALL)"}},
        {"DISPLAY NAMELIST(*) WHERE(NAMES CT TWO.X)", {"NAMELIST(W.NL)"}},
        {"DISPLAY NAMELIST(W.*) WHERE(NAMES CTG TW*)", {"NAMELIST(W.NL)"}},
        {"DISPLAY NAMELIST(W.*) WHERE(NAMES EX ONE)", {}},
        {"DISPLAY NAMELIST(W.*) WHERE(NAMES EXG X*)", {"NAMES(ONE,TWO.X)"}},
        {"DISPLAY CHANNEL(W.*) WHERE(DESCR EQ 'srv')", {"CHANNEL(W.SVR)"}},
        {"DISPLAY QLOCAL(W.*) WHERE(MAXDEPTH GT 100000)", {}},
        {"DISPLAY QLOCAL(W.NONE) WHERE(MAXDEPTH GT 1)", {"AMQ8147E"}},
        /* an order on an attribute of named values is refused as runmqsc refuses it */
        {"DISPLAY QUEUE(W.*) WHERE(PUT GE DISABLED)", {"AMQ8569E: Error in filter specification."}},
        {"DISPLAY QUEUE(W.*) WHERE(TYPE GT QLOCAL)", {"AMQ8569E: Error in filter specification."}},
        {"DISPLAY QUEUE(W.*) WHERE(PUT NE DISABLED)", {"QUEUE(W.ALIAS)", "QUEUE(W.BIG)", "QUEUE(W.SMALL)"}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> out = run(c.text);
        if (c.shown.empty()) {   /* nothing passed: one empty answer */
            EXPECT_TRUE(out.empty()) << c.text << ": " << (out.empty() ? "" : out[0]);
            continue;
        }
        ASSERT_EQ(out.size(), c.shown.size()) << c.text << ": " << (out.empty() ? "" : out[0]);
        for (size_t i = 0; i < out.size(); i++)
            EXPECT_NE(out[i].find(c.shown[i]), std::string::npos) << c.text << ": " << out[i];
    }
    /* The filter's attribute is shown with the name and type. */
    std::vector<std::string> out = run("DISPLAY QLOCAL(W.BIG) WHERE(CURDEPTH EQ 1)");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NE(out[0].find("CURDEPTH(1)"), std::string::npos) << out[0];
    EXPECT_EQ(out[0].find("MAXDEPTH"), std::string::npos) << out[0];
    /* Bad clauses are syntax errors, never a crash. */
    for (const char *bad : {"DISPLAY QLOCAL(*) WHERE(NOSUCH EQ 1)", "DISPLAY QLOCAL(*) WHERE(MAXDEPTH EQ X)",
                            "DISPLAY QLOCAL(*) WHERE(MAXDEPTH LK 1)", "DISPLAY QLOCAL(*) WHERE(MAXDEPTH CT 1)",
                            "DISPLAY NAMELIST(*) WHERE(NAMES EQ ONE)", "DISPLAY QLOCAL(*) WHERE(DESCR ZZ 'a')",
                            "DISPLAY QLOCAL(*) WHERE(DESCR EQ 'open", "DISPLAY QLOCAL(*) WHERE(MAXDEPTH EQ 1",
                            "DISPLAY QLOCAL(*) WHERE", "DISPLAY QLOCAL(*) WHERE(MAXDEPTH GT 1) WHERE(CURDEPTH GT 0)",
                            "DISPLAY QMGR WHERE(DEADQ EQ X)"}) {
        out = run(bad);
        ASSERT_EQ(out.size(), 1u) << bad;
        EXPECT_EQ(out[0].substr(0, 9), "AMQ8405I:") << bad << ": " << out[0];
    }
    /* Every cut clause is a syntax error; the whole one matches nothing. */
    std::string full = "DISPLAY QLOCAL(W.*) WHERE(DESCR EQ 'it''s (here)')";
    for (size_t n = 21; n < full.size(); n++) {
        out = run(full.substr(0, n));
        ASSERT_EQ(out.size(), 1u) << n;
        EXPECT_EQ(out[0].substr(0, 9), "AMQ8405I:") << n;
    }
    EXPECT_TRUE(run(full).empty());
}

TEST_F(Cmd, OtherObjectKinds)
{
    Start();
    struct Kind {
        MQLONG create, inquire, names, del, copy, nameId, namesId, fromId, toId, change, descId;
    } kinds[] = {
        {MQCMD_CREATE_CHANNEL, MQCMD_INQUIRE_CHANNEL, MQCMD_INQUIRE_CHANNEL_NAMES, MQCMD_DELETE_CHANNEL,
         MQCMD_COPY_CHANNEL, MQCACH_CHANNEL_NAME, MQCACH_CHANNEL_NAMES, MQCACF_FROM_CHANNEL_NAME,
         MQCACF_TO_CHANNEL_NAME, MQCMD_CHANGE_CHANNEL, MQCACH_DESC},
        {MQCMD_CREATE_TOPIC, MQCMD_INQUIRE_TOPIC, MQCMD_INQUIRE_TOPIC_NAMES, MQCMD_DELETE_TOPIC, MQCMD_COPY_TOPIC,
         MQCA_TOPIC_NAME, MQCACF_TOPIC_NAMES, MQCACF_FROM_TOPIC_NAME, MQCACF_TO_TOPIC_NAME, MQCMD_CHANGE_TOPIC,
         MQCA_TOPIC_DESC},
        {MQCMD_CREATE_NAMELIST, MQCMD_INQUIRE_NAMELIST, MQCMD_INQUIRE_NAMELIST_NAMES, MQCMD_DELETE_NAMELIST,
         MQCMD_COPY_NAMELIST, MQCA_NAMELIST_NAME, MQCACF_NAMELIST_NAMES, MQCACF_FROM_NAMELIST_NAME,
         MQCACF_TO_NAMELIST_NAME, MQCMD_CHANGE_NAMELIST, MQCA_NAMELIST_DESC},
        {MQCMD_CREATE_PROCESS, MQCMD_INQUIRE_PROCESS, MQCMD_INQUIRE_PROCESS_NAMES, MQCMD_DELETE_PROCESS,
         MQCMD_COPY_PROCESS, MQCA_PROCESS_NAME, MQCACF_PROCESS_NAMES, MQCACF_FROM_PROCESS_NAME,
         MQCACF_TO_PROCESS_NAME, MQCMD_CHANGE_PROCESS, MQCA_PROCESS_DESC},
    };
    for (const Kind &k : kinds) {
        Begin(k.create);
        Str(k.nameId, "OBJ.ONE");
        if (k.create == MQCMD_CREATE_CHANNEL) {
            Int(MQIACH_CHANNEL_TYPE, MQCHT_SVRCONN);
            Str(MQCACH_DESC, "svrconn");
        }
        if (k.create == MQCMD_CREATE_TOPIC)
            Str(MQCA_TOPIC_STRING, "price/fruit");
        if (k.create == MQCMD_CREATE_NAMELIST) {
            const char names[] = "Q.ONE                                           Q.TWO                                           ";
            Add(MQCFT_STRING_LIST, MQCA_NAMES, names, 96, 2);
        }
        Ok();
        Begin(k.copy);
        Str(k.fromId, "OBJ.ONE");
        Str(k.toId, "OBJ.TWO");
        Ok();
        Begin(k.change);
        Str(k.nameId, "OBJ.TWO");
        if (k.change == MQCMD_CHANGE_CHANNEL)
            Int(MQIACH_CHANNEL_TYPE, MQCHT_SVRCONN);
        Str(k.descId, "changed copy");
        Ok();
        Begin(k.inquire);
        Str(k.nameId, "OBJ.*");
        std::vector<Reply> r = Send();
        ASSERT_EQ(r.size(), 2u) << k.inquire;
        EXPECT_EQ(r[1].strs.at(k.nameId), "OBJ.TWO");
        EXPECT_EQ(r[1].strs.at(k.descId), "changed copy");
        EXPECT_NE(r[0].strs.at(k.descId), "changed copy");
        if (k.create == MQCMD_CREATE_CHANNEL) {
            EXPECT_EQ(r[1].ints.at(MQIACH_CHANNEL_TYPE), MQCHT_SVRCONN);
        }
        if (k.create == MQCMD_CREATE_TOPIC) {
            EXPECT_EQ(r[1].strs.at(MQCA_TOPIC_STRING), "price/fruit");
        }
        if (k.create == MQCMD_CREATE_NAMELIST) {
            EXPECT_EQ(r[1].slists.at(MQCA_NAMES), (std::vector<std::string>{"Q.ONE", "Q.TWO"}));
            EXPECT_EQ(r[1].ints.at(MQIA_NAME_COUNT), 2);
        }
        Begin(k.names);
        Str(k.nameId, "OBJ.*");
        r = Send();
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].slists.at(k.namesId), (std::vector<std::string>{"OBJ.ONE", "OBJ.TWO"}));
        Begin(k.del);
        Str(k.nameId, "OBJ.ONE");
        Ok();
        Begin(k.del);
        Str(k.nameId, "OBJ.ONE");
        Fails(k.create == MQCMD_CREATE_CHANNEL ? MQRCCF_CHANNEL_NOT_FOUND : MQRC_UNKNOWN_OBJECT_NAME);
    }
    Begin(MQCMD_CREATE_CHANNEL);
    Str(MQCACH_CHANNEL_NAME, "NO.TYPE");
    Reply e = Fails(MQRCCF_PARM_COUNT_TOO_SMALL);
    EXPECT_EQ(e.ints.at(MQIACF_PARAMETER_ID), MQIACH_CHANNEL_TYPE);

    Begin(MQCMD_INQUIRE_CONNECTION);
    std::vector<Reply> r = Send();
    ASSERT_GE(r.size(), 2u);                 /* ours and the command server's */
    EXPECT_EQ(r[0].bytes.at(MQBACF_CONNECTION_ID).size(), 24u);
}

TEST_F(Cmd, ServerStateAndUndeliverableReplies)
{
    /* The running server holds the command queue open for input from the
       moment the queue manager is loaded, as a started IBM MQ queue
       manager's does: seen under the loading's own lock, before the
       server's thread has run, and by the first look of a connection. */
    static int readersAtLoad;
    readersAtLoad = -1;
    SimServiceStart = [](SimQMgr *q) {
        SimCommandServerStart(q);
        SimObject *queue = SimLookup(q, SIM_K_QLOCAL, "SYSTEM.ADMIN.COMMAND.QUEUE");
        readersAtLoad = queue && queue->queue ? queue->queue->openInput : -1;
    };
    Start("QMC", "DEFINE QLOCAL(TINY.REPLY) MAXDEPTH(1)\n");
    SimServiceStart = SimCommandServerStart;
    EXPECT_EQ(readersAtLoad, 1);
    MQHOBJ o = Open(h, "SYSTEM.ADMIN.COMMAND.QUEUE", MQOO_INQUIRE);
    MQLONG sel = MQIA_OPEN_INPUT_COUNT, count = -1, cc, rc;
    MQINQ(h, o, 1, &sel, 1, &count, 0, nullptr, &cc, &rc);
    EXPECT_EQ(count, 1);
    Close(h, o);

    /* Replies that do not fit the reply queue go to the dead-letter queue. */
    memcpy(replyName, "TINY.REPLY                                      ", 48);
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "SYSTEM.DEFAULT.*");
    Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, nullptr, 0);
    MQHOBJ dlq = Open(h, "SYSTEM.DEAD.LETTER.QUEUE", MQOO_INPUT_SHARED);
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_WAIT;
    gmo.WaitInterval = 3000;
    std::string data;
    ASSERT_EQ(Get(h, dlq, &data, 0, &md, &gmo), 0);
    EXPECT_EQ(memcmp(md.Format, MQFMT_DEAD_LETTER_HEADER, 8), 0);
    ASSERT_GT(data.size(), sizeof(MQDLH) + sizeof(MQCFH));
    MQDLH dlh;
    memcpy(&dlh, data.data(), sizeof dlh);
    EXPECT_EQ(dlh.Reason, MQRC_Q_FULL);
    EXPECT_EQ(Trim(dlh.DestQName, 48), "TINY.REPLY");
    EXPECT_EQ(memcmp(dlh.Format, MQFMT_ADMIN, 8), 0);
    Close(h, dlq);

    /* A queue manager whose command server is under manual control has none. */
    Mqsc("QMC", "ALTER QMGR SCMDSERV(MANUAL)");
    MQSimShutdown();
    h = Connect("QMC");
    o = Open(h, "SYSTEM.ADMIN.COMMAND.QUEUE", MQOO_INQUIRE);
    MQINQ(h, o, 1, &sel, 1, &count, 0, nullptr, &cc, &rc);
    EXPECT_EQ(count, 0);
}

/* The replies are put in runs: the one that finds the reply queue full
 * goes to the dead-letter queue, and so does each after it, in order,
 * runs apart as within one. */
TEST_F(Cmd, RepliesPastAFullReplyQueueAreDeadLetteredInOrder)
{
    std::string script = "DEFINE QLOCAL(SMALL.REPLY) MAXDEPTH(3)\n";
    for (int i = 0; i < 150; i++)
        script += "DEFINE QLOCAL(MANY." + std::to_string(1000 + i) + ")\n";
    Start("QMC", script.c_str());
    memcpy(replyName, "SMALL.REPLY                                     ", 48);
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "MANY.*");
    Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, nullptr, 0);
    MQHOBJ dlq = Open(h, "SYSTEM.DEAD.LETTER.QUEUE", MQOO_INPUT_SHARED);
    MQHOBJ small = Open(h, "SMALL.REPLY", MQOO_INPUT_SHARED);
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_WAIT;
    gmo.WaitInterval = 5000;
    /* the dead letters first: a reply got from the full queue would make
     * room for the next reply still to come */
    for (int n = 4; n <= 153; n++) {
        int seq = n <= 150 ? n : n - 150;
        bool dead = n <= 150;
        MQMD md = {MQMD_DEFAULT};
        std::string data;
        ASSERT_EQ(Get(h, dead ? dlq : small, &data, 0, &md, &gmo, 1 << 20), 0) << seq;
        EXPECT_EQ(memcmp(md.CorrelId, sentId, 24), 0);
        size_t at = 0;
        if (dead) {
            ASSERT_GT(data.size(), sizeof(MQDLH));
            MQDLH dlh;
            memcpy(&dlh, data.data(), sizeof dlh);
            EXPECT_EQ(dlh.Reason, MQRC_Q_FULL);
            EXPECT_EQ(Trim(dlh.DestQName, 48), "SMALL.REPLY");
            at = sizeof dlh;
        }
        Reply r = Walk(md, data.substr(at));
        EXPECT_EQ(r.cfh.MsgSeqNumber, seq);
        EXPECT_EQ(r.cfh.Control, seq == 150 ? MQCFC_LAST : MQCFC_NOT_LAST);
        EXPECT_EQ(r.strs[MQCA_Q_NAME], "MANY." + std::to_string(1000 + seq - 1));
    }
    std::string data;
    EXPECT_EQ(Get(h, dlq, &data), MQRC_NO_MSG_AVAILABLE);
    EXPECT_EQ(Get(h, small, &data), MQRC_NO_MSG_AVAILABLE);
}

/* A persistent request's replies are persistent: after a restart of the
 * queue manager every one of them is on the reply queue once, in order,
 * also where they were put in more than one run. */
TEST_F(Cmd, PersistentRepliesOutliveARestartOnceEach)
{
    std::string script = "ALTER QLOCAL(SYSTEM.ADMIN.COMMAND.QUEUE) DEFPSIST(YES)\n"
                         "DEFINE QLOCAL(KEPT.REPLY) MAXDEPTH(5000)\n";
    const int count = 700;
    for (int i = 0; i < count; i++)
        script += "DEFINE QLOCAL(MANY." + std::to_string(1000 + i) + ")\n";
    Start("QMC", script.c_str());
    memcpy(replyName, "KEPT.REPLY                                      ", 48);
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "MANY.*");
    Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, nullptr, 0);
    MQHOBJ browse = Open(h, "KEPT.REPLY", MQOO_BROWSE);     /* each reply browsed as it comes */
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.WaitInterval = SimTestEventMs;
    int put = 0;
    for (MQLONG next = MQGMO_BROWSE_FIRST; put < count; next = MQGMO_BROWSE_NEXT, put++) {
        gmo.Options = next | MQGMO_WAIT;
        if (Get(h, browse, nullptr, 0, nullptr, &gmo) != 0)
            break;
    }
    ASSERT_EQ(put, count);
    ASSERT_EQ(Depth(h, "KEPT.REPLY"), count);

    MQSimShutdown();
    h = Connect("QMC");
    EXPECT_EQ(Depth(h, "KEPT.REPLY"), count);
    MQHOBJ kept = Open(h, "KEPT.REPLY", MQOO_INPUT_SHARED);
    for (int seq = 1; seq <= count; seq++) {
        MQMD md = {MQMD_DEFAULT};
        std::string data;
        ASSERT_EQ(Get(h, kept, &data, MQGMO_NO_WAIT, &md, nullptr, 1 << 20), 0) << seq;
        EXPECT_EQ(md.Persistence, MQPER_PERSISTENT);
        Reply r = Walk(md, data);
        EXPECT_EQ(r.cfh.MsgSeqNumber, seq);
        EXPECT_EQ(r.strs[MQCA_Q_NAME], "MANY." + std::to_string(1000 + seq - 1));
    }
    std::string data;
    EXPECT_EQ(Get(h, kept, &data), MQRC_NO_MSG_AVAILABLE);
}

TEST_F(Cmd, QueueWithUncommittedMessagesIsInUse)
{
    Start("QMC", "DEFINE QLOCAL(UOW.Q)\n");
    MQHOBJ o = Open(h, "UOW.Q", MQOO_OUTPUT);
    EXPECT_EQ(Put(h, o, "pending", nullptr, MQPMO_SYNCPOINT), 0);
    Close(h, o);
    std::string out = Mqsc("QMC", "DELETE QLOCAL(UOW.Q) PURGE", false);
    EXPECT_NE(out.find("AMQ8148E"), std::string::npos) << out;
    Begin(MQCMD_DELETE_Q);
    Str(MQCA_Q_NAME, "UOW.Q");
    Int(MQIACF_PURGE, MQPO_YES);
    Fails(MQRCCF_OBJECT_OPEN);
    MQLONG cc, rc;
    MQCMIT(h, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Depth(h, "UOW.Q"), 1);
    Mqsc("QMC", "DELETE QLOCAL(UOW.Q) PURGE");
}

TEST_F(Cmd, MalformedRequestsAndHeaderVersions)
{
    Start();
    for (MQLONG version : {1, 2, 3}) {
        Begin(MQCMD_PING_Q_MGR);
        ((MQCFH *)pp.message)->Version = version;
        std::vector<Reply> r = Send();
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].cfh.CompCode, 0);
        EXPECT_EQ(r[0].cfh.Version, version);
    }
    Begin(MQCMD_PING_Q_MGR);
    ((MQCFH *)pp.message)->Version = 4;
    Fails(MQRCCF_CFH_VERSION_ERROR);
    Begin(4711);
    Fails(MQRCCF_CFH_COMMAND_ERROR);
    std::string shortMsg = "MQCFH";
    std::vector<Reply> r = Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, &shortMsg);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].cfh.Reason, MQRCCF_CFH_LENGTH_ERROR);
    /* Every prefix of a good request, and a mangled length, give a reply. */
    Begin(MQCMD_INQUIRE_Q);
    Str(MQCA_Q_NAME, "SYSTEM.*");
    Ints(MQIACF_Q_ATTRS, {MQIA_MAX_Q_DEPTH});
    std::string good((const char *)pp.message, (size_t)pp.position);
    for (size_t n = 36; n < good.size(); n += 5) {
        std::string cut = good.substr(0, n);
        r = Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, &cut);
        ASSERT_EQ(r.size(), 1u) << n;
        EXPECT_EQ(r[0].cfh.CompCode, MQCC_FAILED);
    }
    std::string bad = good;
    MQLONG huge = 0x7ffffff0;
    memcpy(&bad[36 + 4], &huge, 4);
    r = Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, &bad);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].cfh.CompCode, MQCC_FAILED);
    /* A Windows queue manager answers MQSC text with a PCF error. */
    r = Send(MQRO_PASS_MSG_ID, MQFMT_STRING, &good);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].cfh.Reason, MQRCCF_MD_FORMAT_ERROR);
    /* Random mutations: always a complete answer, never a crash. */
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (int i = 0; i < 300; i++) {
        std::string m = good;
        for (int k = 1 + (int)(next() % 4); k > 0; k--)
            m[next() % m.size()] = (char)next();
        r = Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, &m);
        ASSERT_FALSE(r.empty()) << i;
        EXPECT_EQ(r.back().cfh.Control, MQCFC_LAST) << i;
    }
}

/* A string list of empty strings may claim any count: the server answers
 * without building the list entry by entry. */
TEST_F(Cmd, StringListCountPastItsBytes)
{
    Start();
    Begin(MQCMD_PING_Q_MGR);
    MQLONG sl[6] = {MQCFT_STRING_LIST, 24, MQCA_NAMES, 0, 0x7fffffff, 0};
    extraParms.assign((const char *)sl, sizeof sl);
    extraCount = 1;
    std::vector<Reply> r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].cfh.Control, MQCFC_LAST);
    Begin(MQCMD_PING_Q_MGR);
    Ok();
}

/* Faults armed for the command server: no reply at all, an error reply,
 * a reply no sooner than its delay.  Each is armed once the server has
 * answered the request before it, so that it strikes the request meant:
 * one left without a reply is followed by one answered after it, in
 * order.  "*" faults are the client's own: the server's calls neither
 * take them nor count towards them. */
TEST_F(Cmd, InjectedFaultsReachTheServer)
{
    Start();
    MQSimFault((PMQCHAR)MQSIM_COMMAND_SERVER, 1, -1, 0);
    Begin(MQCMD_INQUIRE_Q_MGR);
    EXPECT_TRUE(Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, nullptr, 0).empty());
    Begin(MQCMD_PING_Q_MGR);
    std::vector<Reply> r = Send();                  /* the first reply since */
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].cfh.Command, MQCMD_PING_Q_MGR);
    MQSimFault((PMQCHAR)MQSIM_COMMAND_SERVER, 1, MQRC_NOT_AUTHORIZED, 0);
    Begin(MQCMD_INQUIRE_Q_MGR);
    Fails(MQRC_NOT_AUTHORIZED);
    const int delay = 600;
    MQSimFault((PMQCHAR)MQSIM_COMMAND_SERVER, 1, 0, delay);
    Begin(MQCMD_PING_Q_MGR);
    auto start = std::chrono::steady_clock::now();
    r = Send();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(delay - 50));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].cfh.CompCode, MQCC_OK);
    /* the client's put and get of this request are its first and second
     * calls; its third takes the fault */
    MQSimFaultAt((PMQCHAR) "*", (PMQCHAR) "QMC", 3, 1, MQRC_NOT_AUTHORIZED);
    Begin(MQCMD_PING_Q_MGR);
    Ok();
    Open(h, "SYSTEM.ADMIN.COMMAND.QUEUE", MQOO_INQUIRE, MQRC_NOT_AUTHORIZED);
}

/* A stopped command server leaves its requests on the command queue and
 * answers them, in order, once started again; a stop armed for later
 * lets the requests before it through. */
TEST_F(Cmd, StoppedServerAnswersOnceStarted)
{
    Start();
    MQSimFaultAt((PMQCHAR)MQSIM_COMMAND_SERVER, (PMQCHAR) "QMC", 2, 1, MQSIM_CMDSERVER_STOPPED);
    Begin(MQCMD_PING_Q_MGR);
    Ok();                                                          /* the one let through */
    EXPECT_TRUE(Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, nullptr, 300).empty());
    Begin(MQCMD_INQUIRE_Q_MGR);
    EXPECT_TRUE(Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, nullptr, 300).empty());
    EXPECT_EQ(Depth(h, "SYSTEM.ADMIN.COMMAND.QUEUE"), 2);          /* both wait there */
    Begin(MQCMD_PING_Q_MGR);
    EXPECT_TRUE(Send(MQRO_PASS_MSG_ID, MQFMT_ADMIN, nullptr, 300).empty());  /* still stopped */
    MQSimFaultAt((PMQCHAR)MQSIM_COMMAND_SERVER, (PMQCHAR) "QMC", 1, 0, 0);  /* started */
    std::vector<MQLONG> commands;
    for (int i = 0; i < 3; i++) {
        MQMD md = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.WaitInterval = 3000;
        gmo.Options = MQGMO_WAIT;
        std::string data;
        ASSERT_EQ(Get(h, replyq, &data, MQGMO_WAIT, &md, &gmo, 1 << 20), 0) << i;
        Reply r = Walk(md, data);
        EXPECT_EQ(r.cfh.CompCode, MQCC_OK);
        if (r.cfh.Control == MQCFC_LAST)
            commands.push_back(r.cfh.Command);
        else
            i--;
    }
    EXPECT_EQ(commands, (std::vector<MQLONG>{MQCMD_PING_Q_MGR, MQCMD_INQUIRE_Q_MGR, MQCMD_PING_Q_MGR}));
    EXPECT_EQ(Depth(h, "SYSTEM.ADMIN.COMMAND.QUEUE"), 0);
}

TEST_F(Cmd, EscapeCarriesMqscOutput)
{
    Start("QMC", "DEFINE QLOCAL(E.ONE) DESCR('escaped')\nDEFINE QLOCAL(E.TWO)\n");
    Begin(MQCMD_ESCAPE);
    Int(MQIACF_ESCAPE_TYPE, MQET_MQSC);
    Str(MQCACF_ESCAPE_TEXT, "DISPLAY QLOCAL(E.*) DESCR CURDEPTH");
    std::vector<Reply> r = Send();
    ASSERT_EQ(r.size(), 2u);
    for (const Reply &x : r) {
        ASSERT_EQ(x.order, (std::vector<MQLONG>{MQIACF_ESCAPE_TYPE, MQCACF_ESCAPE_TEXT}));
        EXPECT_EQ(x.ints.at(MQIACF_ESCAPE_TYPE), MQET_MQSC);
    }
    const std::string &t = r[0].strs.at(MQCACF_ESCAPE_TEXT);
    EXPECT_EQ(t.substr(0, 33), "AMQ8409I: Display Queue details.\n");
    EXPECT_NE(t.find("\n   QUEUE(E.ONE)                            TYPE(QLOCAL)\n"), std::string::npos) << t;
    EXPECT_NE(t.find("DESCR(escaped)"), std::string::npos) << t;
    EXPECT_NE(t.find("CURDEPTH(0)"), std::string::npos) << t;

    MQHOBJ o = Open(h, "E.ONE", MQOO_OUTPUT);
    Put(h, o, "gone soon");
    Close(h, o);
    Begin(MQCMD_ESCAPE);
    Int(MQIACF_ESCAPE_TYPE, MQET_MQSC);
    Str(MQCACF_ESCAPE_TEXT, "CLEAR QLOCAL(E.ONE)");
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].strs.at(MQCACF_ESCAPE_TEXT), "AMQ8022I: IBM MQ queue cleared.");
    EXPECT_EQ(Depth(h, "E.ONE"), 0);
    Begin(MQCMD_ESCAPE);
    Int(MQIACF_ESCAPE_TYPE, MQET_MQSC);
    Str(MQCACF_ESCAPE_TEXT, "DELETE QLOCAL(E.NONE)");
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].strs.at(MQCACF_ESCAPE_TEXT), "AMQ8147E: IBM MQ object E.NONE not found.");
    for (const char *bad : {"DISPLAY QLOCAL(E.ONE) NOSUCHATTR", "DEFINE QLOCAL('E.Q", "FROB QLOCAL(X)",
                            "DISPLAY QSTATUS(*) DESCR", "DISPLAY QSTATUS(*) TYPE(ALL)", "DISPLAY QSTATUS", ")))"}) {
        Begin(MQCMD_ESCAPE);
        Int(MQIACF_ESCAPE_TYPE, MQET_MQSC);
        Str(MQCACF_ESCAPE_TEXT, bad);
        r = Send();
        ASSERT_EQ(r.size(), 1u) << bad;
        EXPECT_EQ(r[0].strs.at(MQCACF_ESCAPE_TEXT).substr(0, 9), "AMQ8405I:") << bad;
    }
    /* DISPLAY QSTATUS as runmqsc answers it: one message per queue with
       its counts, or per handle open on it; each answer's text in order */
    MQHOBJ in = Open(h, "E.TWO", MQOO_INPUT_SHARED | MQOO_BROWSE);
    o = Open(h, "E.TWO", MQOO_OUTPUT);
    Put(h, o, "one");
    Close(h, o);
    const struct { const char *text; std::vector<std::string> answers; } statuses[] = {
        {"DISPLAY QSTATUS(E.TWO)",
         {"AMQ8450I: Display queue status details.\n"
          "   QUEUE(E.TWO)                            TYPE(QUEUE)\n"
          "   CURDEPTH(1)"}},
        {"dis qs(E.*) ipprocs uncom",
         {"AMQ8450I: Display queue status details.\n"
          "   QUEUE(E.ONE)                            TYPE(QUEUE)\n"
          "   CURDEPTH(0)                             IPPROCS(0)\n"
          "   UNCOM(NO)",
          "AMQ8450I: Display queue status details.\n"
          "   QUEUE(E.TWO)                            TYPE(QUEUE)\n"
          "   CURDEPTH(1)                             IPPROCS(1)\n"
          "   UNCOM(NO)"}},
        {"DISPLAY QSTATUS(E.TWO) ALL",
         {"AMQ8450I: Display queue status details.\n"
          "   QUEUE(E.TWO)                            TYPE(QUEUE)\n"
          "   CURDEPTH(1)                             IPPROCS(1)\n"
          "   LGETDATE( )                             LGETTIME( )\n"
          "   LPUTDATE( )                             LPUTTIME( )\n"
          "   MEDIALOG( )                             MONQ(OFF)\n"
          "   MSGAGE( )                               OPPROCS(0)\n"
          "   QTIME( , )                              UNCOM(NO)"}},
        {"DISPLAY QSTATUS(E.TWO) TYPE(HANDLE)",
         {"AMQ8450I: Display queue status details.\n"
          "   QUEUE(E.TWO)                            TYPE(HANDLE)\n"
          "   APPLTAG("}},
        {"DISPLAY QSTATUS(E.NONE)", {"AMQ8147E: IBM MQ object E.NONE not found."}},
    };
    for (const auto &st : statuses) {
        Begin(MQCMD_ESCAPE);
        Int(MQIACF_ESCAPE_TYPE, MQET_MQSC);
        Str(MQCACF_ESCAPE_TEXT, st.text);
        r = Send();
        ASSERT_EQ(r.size(), st.answers.size()) << st.text;
        for (size_t i = 0; i < r.size(); i++)
            EXPECT_EQ(r[i].strs.at(MQCACF_ESCAPE_TEXT).substr(0, st.answers[i].size()), st.answers[i]) << st.text;
    }
    Begin(MQCMD_ESCAPE);
    Int(MQIACF_ESCAPE_TYPE, MQET_MQSC);
    Str(MQCACF_ESCAPE_TEXT, "DISPLAY QSTATUS(E.TWO) TYPE(HANDLE)");
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    const std::string &handle = r[0].strs.at(MQCACF_ESCAPE_TEXT);
    for (const char *item : {"BROWSE(YES)", "INPUT(SHARED)", "INQUIRE(NO)", "OUTPUT(NO)", "SET(NO)"})
        EXPECT_NE(handle.find(item), std::string::npos) << item << ": " << handle;
    Close(h, in);
    Begin(MQCMD_ESCAPE);
    Int(MQIACF_ESCAPE_TYPE, MQET_MQSC);
    Str(MQCACF_ESCAPE_TEXT, "DISPLAY QMGR DEADQ");
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NE(r[0].strs.at(MQCACF_ESCAPE_TEXT).find("QMNAME(QMC)"), std::string::npos);
    EXPECT_NE(r[0].strs.at(MQCACF_ESCAPE_TEXT).find("DEADQ(SYSTEM.DEAD.LETTER.QUEUE)"), std::string::npos);
}

TEST_F(Cmd, ZosTakesMqscText)
{
    Start("ZQM1", "ALTER QMGR PLATFORM(MVS)\nDEFINE QLOCAL(Z.Q)\n");
    std::string text = "DISPLAY QLOCAL(Z.Q) MAXDEPTH";
    std::vector<Reply> r = Send(MQRO_PASS_MSG_ID, MQFMT_STRING, &text);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].raw, "CSQN205I   COUNT=       3, RETURN=00000000, REASON=00000000");
    EXPECT_EQ(std::string(r[0].md.Format, 8), "MQCMD1  ");
    EXPECT_EQ(std::string(r[1].md.Format, 8), "MQCMD2  ");
    EXPECT_EQ(std::string(r[2].md.Format, 8), "MQCMD2  ");
    EXPECT_EQ(r[1].raw.substr(0, 15), "CSQM401I +ZQM1 ");
    EXPECT_NE(r[1].raw.find("MAXDEPTH(5000)"), std::string::npos) << r[1].raw;
    EXPECT_EQ(r[2].raw.substr(0, 8), "CSQ9022I");
    text = "DELETE QLOCAL(Z.NONE)";
    r = Send(MQRO_PASS_MSG_ID, MQFMT_STRING, &text);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].raw, "CSQN205I   COUNT=       4, RETURN=0000000C, REASON=00000008");
    EXPECT_EQ(r[3].raw.substr(0, 8), "CSQ9023E");
    text = "DISPLAY QUEUE(NOTHING.*)";
    r = Send(MQRO_PASS_MSG_ID, MQFMT_STRING, &text);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].raw, "CSQM297I +ZQM1 CSQMDRTC NO QUEUE FOUND MATCHING REQUEST CRITERIA");
    EXPECT_EQ(r[2].raw.substr(0, 8), "CSQ9022I");
    /* what MQSC text of the program's dialogs holds */
    Mqsc("ZQM1", "DEFINE QALIAS(Z.ALIAS) TARGET(Z.Q)\nALTER QLOCAL(Z.Q) CLUSTER(CL1)\n");
    text = "DISPLAY QUEUE('Z.*') TYPE(QALIAS) CLUSTER(' ') CLUSQMGR CURDEPTH ";
    r = Send(MQRO_PASS_MSG_ID, MQFMT_STRING, &text);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_NE(r[1].raw.find("QUEUE(Z.ALIAS)"), std::string::npos) << r[1].raw;
    text = "DISPLAY QUEUE('Z.*') TYPE(ALL) CLUSTER('CL*') ALL";
    r = Send(MQRO_PASS_MSG_ID, MQFMT_STRING, &text);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_NE(r[1].raw.find("QUEUE(Z.Q)"), std::string::npos) << r[1].raw;
    text = "DISPLAY QUEUE('Z.*') WHERE(DESCR EQ 'it''s') TYPE(QLOCAL)";
    r = Send(MQRO_PASS_MSG_ID, MQFMT_STRING, &text);
    ASSERT_GE(r.size(), 2u);
    EXPECT_EQ(r.back().raw.substr(0, 8), "CSQ9022I");
    text = "DISPLAY QUEUE(*) TYPE(QSOMETHING)";
    r = Send(MQRO_PASS_MSG_ID, MQFMT_STRING, &text);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[3].raw.substr(0, 8), "CSQ9023E");
    EXPECT_EQ(r[1].raw.substr(0, 15), "CSQ9002E +ZQM1 ") << r[1].raw;
    text = "DEFINE QLOCAL(Z.NEW) MAXDEPTH(7)";
    r = Send(MQRO_PASS_MSG_ID, MQFMT_STRING, &text);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].raw, "CSQ9022I +ZQM1 CSQMCMDS ' DEFINE QLOCAL' NORMAL COMPLETION");
    /* DISPLAY ... WHERE as the program sends it: the clause after ALL or
       before it, with or without a blank; what no object passes is
       CSQM297I, a bad clause CSQ9002E */
    Mqsc("ZQM1", "DEFINE QLOCAL(Z.DEEP) DESCR('deep one')\n");
    MQHOBJ deep = Open(h, "Z.DEEP", MQOO_OUTPUT);
    for (int i = 0; i < 3; i++)
        Put(h, deep, "deep");
    Close(h, deep);
    const struct { const char *text; std::vector<std::string> lines; const char *end; } wheres[] = {
        { "DISPLAY QUEUE('Z.*') ALL WHERE(CURDEPTH GT 2)", { "QUEUE(Z.DEEP)" }, "CSQ9022I" },
        { "DISPLAY QUEUE('Z.*')  WHERE(CURDEPTH GT 2) ALL", { "QUEUE(Z.DEEP)" }, "CSQ9022I" },
        { "DISPLAY QUEUE('Z.*') WHERE(CURDEPTH GT 2)ALL", { "QUEUE(Z.DEEP)" }, "CSQ9022I" },
        { "DISPLAY QUEUE('Z.*') TYPE(QLOCAL) CURDEPTH WHERE(CURDEPTH LT 3)", { "QUEUE(Z.NEW)", "QUEUE(Z.Q)" },
          "CSQ9022I" },
        { "DISPLAY QUEUE('Z.*') WHERE(DESCR LK 'deep*')", { "QUEUE(Z.DEEP)" }, "CSQ9022I" },
        { "DISPLAY QUEUE('Z.*') ALL WHERE(CURDEPTH GT 100)",
          { "CSQM297I +ZQM1 CSQMDRTC NO QUEUE FOUND MATCHING REQUEST CRITERIA" }, "CSQ9022I" },
        { "DISPLAY QUEUE('Z.*') WHERE(NOSUCH EQ 1)", { "CSQ9002E +ZQM1 ", "CSQM090E" }, "CSQ9023E" },
        { "DISPLAY QUEUE('Z.*') ALL WHERE(PUT GE DISABLED)",
          { "CSQM569E +ZQM1 Error in filter specification.", "CSQM090E" }, "CSQ9023E" },
        { "DISPLAY QUEUE('Z.*') ALL WHERE(TYPE GT QLOCAL)",
          { "CSQM569E +ZQM1 Error in filter specification.", "CSQM090E" }, "CSQ9023E" },
    };
    for (const auto &w : wheres) {
        text = w.text;
        r = Send(MQRO_PASS_MSG_ID, MQFMT_STRING, &text);
        ASSERT_EQ(r.size(), w.lines.size() + 2) << w.text << ": " << (r.size() > 1 ? r[1].raw : "");
        EXPECT_EQ(r[0].raw.substr(0, 8), "CSQN205I") << w.text;
        for (size_t i = 0; i < w.lines.size(); i++)
            EXPECT_NE(r[i + 1].raw.find(w.lines[i]), std::string::npos) << w.text << ": " << r[i + 1].raw;
        EXPECT_EQ(r.back().raw.substr(0, 8), w.end) << w.text;
    }
    /* The same queue manager still takes PCF. */
    Begin(MQCMD_INQUIRE_Q_MGR);
    r = Send();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].ints.at(MQIA_PLATFORM), MQPL_ZOS);
}

static std::string ReadFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST_F(Cmd, RealScriptsThroughTheInterpreter)
{
    const char *data = getenv("RAVOLT_TEST_DATA");
    if (!data)
        GTEST_SKIP() << "RAVOLT_TEST_DATA not set";
    int ran = 0;
    for (const char *name : {"ewiger__ibm-mq-mtls__scripts_20-config.mqsc", "ibm-messaging__mq-dev-patterns__amqp-qpid_add-tls-amqp.mqsc",
                             "khongks__ws-liberty-mq-ccdt__ibmmq_20-config.mqsc",
                             "ibm-messaging__mq-container__incubating_mqadvanced-server-dev_10-dev.mqsc.tpl"}) {
        std::string text = ReadFile(std::string(data) + "/mqsim/" + name);
        if (text.empty())
            continue;
        std::string out = Mqsc("SCRIPTS", (text + "\nDISPLAY QUEUE(*)\nDISPLAY CHANNEL(*) ALL\n").c_str(), false);
        EXPECT_NE(out.find("AMQ8409I"), std::string::npos) << name;
        ran++;
    }
    EXPECT_GT(ran, 0);
}
