/* Copy, move, delete, update and add: the selections, a message that
 * moved, an abort, header stripping with the real dead-letter sample and
 * built transmission messages in both encodings, batch commits and the
 * uncommitted limit, the context options, updates by token, adds without
 * syncpoint, a second queue manager as target, and the progress record. */
#include "agenttest.h"
#include "sampletest.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cs.h"
#include "progress.h"

namespace {

std::vector<std::string> Datas(const std::vector<QMsg> &msgs)
{
    std::vector<std::string> out;
    for (const QMsg &m : msgs)
        out.push_back(m.data);
    return out;
}

std::string Sample(const char *name)
{
    std::string path = samples::File(name);
    FILE *f = fopen(path.c_str(), "rb");
    EXPECT_TRUE(f) << path;
    std::string bytes;
    if (f) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            bytes.append(buf, n);
        fclose(f);
    }
    return bytes;
}

void Put32(std::string &s, size_t at, int32_t v, bool bigEndian)
{
    for (int i = 0; i < 4; i++)
        s[at + i] = (char)(bigEndian ? (v >> (24 - 8 * i)) : (v >> (8 * i)));
}

/* A transmission message: header for queue/qm, inner descriptor with
 * the given format, encoding and id, then the data; integers in the
 * order of encoding. */
std::string XmitMessage(const char *queue, const char *qm, MQLONG encoding, const std::string &data)
{
    bool big = (encoding & MQENC_INTEGER_MASK) == MQENC_INTEGER_NORMAL;
    std::string s(428, '\0');
    memcpy(&s[0], "XQH ", 4);
    Put32(s, 4, 1, big);
    memset(&s[8], ' ', 96);
    memcpy(&s[8], queue, strlen(queue));
    memcpy(&s[56], qm, strlen(qm));
    MQMD inner = {MQMD_DEFAULT};
    memcpy(&s[104], &inner, MQMD_LENGTH_1);
    Put32(s, 104 + 4, 1, big);                                   /* Version */
    Put32(s, 104 + 12, MQMT_DATAGRAM, big);                      /* MsgType */
    Put32(s, 104 + 16, -1, big);                                 /* Expiry */
    Put32(s, 104 + 24, 273, big);                                /* Encoding of the data */
    Put32(s, 104 + 28, 37, big);                                 /* CodedCharSetId */
    memcpy(&s[104 + 32], "MQSTR   ", 8);
    Put32(s, 104 + 40, 4, big);                                  /* Priority */
    Put32(s, 104 + 44, 1, big);                                  /* Persistence */
    memcpy(&s[104 + 48], "INNER-MSGID-0123456789AB", 24);
    return s + data;
}

}  // namespace

TEST_F(AgentTest, DeleteByPositionsIdsBothAndAll)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    auto del = [&](int32_t qualifier, std::vector<int32_t> positions, std::vector<std::string> ids) {
        Pcf req(MYCMD_DELETE_MSGS);
        req.Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, qualifier);
        if (!positions.empty())
            req.Ints(MYPCFA_POSITION, positions);
        std::string all;
        for (const std::string &id : ids)
            all += id;
        if (!all.empty())
            req.Bytes(MYPCFA_MSGID, all);
        return Run(r, req)[0];
    };
    std::vector<std::string> ids = Fill("QM1", "APP.Q", 6, "m");
    PcfPart p = del(0x2, {5, 2, 2}, {});
    EXPECT_EQ(p.cfh.Reason, MYRC_INFORMATION);
    EXPECT_EQ(p.Text(), "2 messages deleted");
    EXPECT_EQ(Datas(Browse("QM1", "APP.Q")), (std::vector<std::string>{"m1", "m3", "m4", "m6"}));
    EXPECT_EQ(del(0x4, {}, {ids[5], ids[0]}).Text(), "2 messages deleted");
    EXPECT_EQ(Datas(Browse("QM1", "APP.Q")), (std::vector<std::string>{"m3", "m4"}));
    EXPECT_EQ(del(0x1, {2}, {ids[3]}).Text(), "1 message deleted");
    EXPECT_EQ(Datas(Browse("QM1", "APP.Q")), (std::vector<std::string>{"m3"}));
    Fill("QM1", "APP.Q", 3, "n");
    EXPECT_EQ(del(0x8, {}, {}).Text(), "4 messages deleted");
    EXPECT_TRUE(Browse("QM1", "APP.Q").empty());
    /* what the selection lacks */
    EXPECT_EQ(del(0, {1}, {}).cfh.Reason, MQRCCF_CFIN_PARM_ID_ERROR);
    EXPECT_EQ(del(0, {1}, {}).Int(MQIACF_PARAMETER_ID), MYPCFA_DIALOG_QUALIFIER);
    for (int32_t q : {0x1, 0x2, 0x4}) {
        PcfPart none = del(q, {}, {});
        EXPECT_EQ(none.cfh.Reason, MQRCCF_ATTR_VALUE_ERROR);
        EXPECT_EQ(none.Text(), "A message selection is requried for this operation");
    }
    /* an id no longer there */
    Fill("QM1", "APP.Q", 2, "k");
    PcfPart missing = del(0x4, {}, {std::string(24, 'Z')});
    EXPECT_EQ(missing.Text(), "Message 1 is missing");
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 2u);
}

TEST_F(AgentTest, AMessageThatMovedIsNotTouched)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    std::vector<std::string> ids = Fill("QM1", "APP.Q", 5, "m");
    /* the list showed message 3 at position 3; another program took message 1 */
    MQHCONN h = Conn("QM1");
    (void)h;
    Run(r, Pcf(MYCMD_DELETE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, 0x2)
               .Ints(MYPCFA_POSITION, {1}));
    PcfPart p = Run(r, Pcf(MYCMD_MOVE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "APP.Q")
                           .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x1)
                           .Ints(MYPCFA_POSITION, {2, 3}).Bytes(MYPCFA_MSGID, ids[1] + ids[2]))[0];
    EXPECT_EQ(p.cfh.Reason, MQRCCF_ATTR_VALUE_ERROR);
    EXPECT_EQ(p.Text(), "Selected message number 1 has changed it's position");
    EXPECT_EQ(Datas(Browse("QM1", "APP.Q")), (std::vector<std::string>{"m2", "m3", "m4", "m5"}));
    /* the browse lock was let go: another program gets the message */
    std::string data;
    MQLONG cc, rc, len;
    MQOD od = {MQOD_DEFAULT};
    memcpy(od.ObjectName, "APP.Q", 5);
    MQHOBJ o;
    StandIn.MQOPEN(Conn("QM1"), &od, MQOO_INPUT_SHARED, &o, &cc, &rc);
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_NO_WAIT | MQGMO_ACCEPT_TRUNCATED_MSG;
    char buf[16];
    for (const char *want : {"m2", "m3"}) {
        MQMD md = {MQMD_DEFAULT};
        StandIn.MQGET(Conn("QM1"), o, &md, &gmo, sizeof buf, buf, &len, &cc, &rc);
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(std::string(buf, (size_t)len), want);
    }
}

TEST_F(AgentTest, AnAbortBacksEverythingOut)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)\nDEFINE QLOCAL(TARGET.Q)");
    Fill("QM1", "APP.Q", 8);
    QMS *r = Connected("QM1");
    PROGRESS *p = TestProgress(0x41);
    p->abortRequested = 1;
    MQMD md = RequestMD(r, 0x41);
    PcfPart part = Run(r, Pcf(MYCMD_MOVE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q")
                              .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x8), &md)[0];
    EXPECT_EQ(part.cfh.Reason, MQRC_CHANNEL_STOPPED_BY_USER);
    EXPECT_EQ(part.Text(), "Message(0) : Operation aborted by user.");   /* at the first message read */
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 8u);
    EXPECT_TRUE(Browse("QM1", "TARGET.Q").empty());
    EXPECT_TRUE(p->ended);
    EXPECT_TRUE(p->rolledBack);
    EXPECT_EQ(p->references, 1);                    /* the worker let go */
}

TEST_F(AgentTest, HeadersAreStrippedAndNameTheirTarget)
{
    Mqsc("QM1", "DEFINE QLOCAL(DLQ)\nDEFINE QLOCAL(XMITQ) USAGE(XMITQ)\nDEFINE QLOCAL(QL.A)\n"
                "DEFINE QLOCAL(TARGET.Q)\nDEFINE QLOCAL(OTHER.Q)");
    Mqsc("QMW", "DEFINE QLOCAL(QL.A)");
    QMS *r = Connected("QM1");
    /* the real dead-letter message: to the queue and queue manager it names */
    std::string dlh = Sample("mq-messages/yukun-blog_DLH_enc546_reason2051.bin");
    ASSERT_EQ(dlh.size(), 198u);
    MQMD md = {MQMD_DEFAULT};
    memcpy(md.Format, "MQDEAD  ", 8);
    md.Encoding = 546;
    md.CodedCharSetId = 819;
    Put("QM1", "DLQ", dlh, &md);
    auto copy = [&](const char *queue, const char *target, const char *targetQm, int32_t qualifier) {
        return Run(r, Pcf(MYCMD_COPY_MSGS).Str(MQCA_Q_NAME, queue).Str(MYPCFA_TARGET_Q, target)
                          .Str(MYPCFA_TARGET_QM, targetQm).Int(MYPCFA_DIALOG_QUALIFIER, qualifier))[0];
    };
    PcfPart p = copy("DLQ", "*", "*", 0x8 | 0x10);
    EXPECT_EQ(p.Text(), "1 message copied");
    EXPECT_EQ(p.Str(MYCA_ACTION_TARGET_QM), "QMW");
    EXPECT_EQ(p.Str(MYCA_ACTION_TARGET_Q), "QL.A");
    auto moved = Browse("QMW", "QL.A");
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].data, "I send a message from QMC.");
    EXPECT_EQ(Trim(moved[0].md.Format, 8), "MQSTR");
    EXPECT_EQ(moved[0].md.Encoding, 546);
    EXPECT_EQ(moved[0].md.CodedCharSetId, 819);
    /* the queue from the header, the queue manager named */
    EXPECT_EQ(copy("DLQ", "*", "QM1", 0x8 | 0x10).Text(), "1 message copied");
    EXPECT_EQ(Browse("QM1", "QL.A").size(), 1u);
    /* a named queue with "*" for the queue manager: the location's own */
    EXPECT_EQ(copy("DLQ", "TARGET.Q", "*", 0x8 | 0x10).Text(), "1 message copied");
    ASSERT_EQ(Browse("QM1", "TARGET.Q").size(), 1u);
    EXPECT_EQ(Browse("QM1", "TARGET.Q")[0].data, "I send a message from QMC.");
    /* without stripping the header stays; "*" needs stripping */
    EXPECT_EQ(copy("DLQ", "OTHER.Q", "*", 0x8).Text(), "1 message copied");
    ASSERT_EQ(Browse("QM1", "OTHER.Q").size(), 1u);
    EXPECT_EQ(Browse("QM1", "OTHER.Q")[0].data, dlh);
    PcfPart star = copy("DLQ", "*", "*", 0x8);
    EXPECT_EQ(star.cfh.Reason, MQRCCF_CFH_COMMAND_ERROR);
    EXPECT_EQ(star.Text(), "Message(1) : No defined target queue and 'strip header' not specified");

    /* built transmission messages in both integer encodings */
    for (MQLONG encoding : {273, 546}) {
        Drain("QM1", "XMITQ");
        Drain("QM1", "QL.A");
        MQMD xmd = {MQMD_DEFAULT};
        memcpy(xmd.Format, "MQXMIT  ", 8);
        xmd.Encoding = encoding;
        Put("QM1", "XMITQ", XmitMessage("QL.A", "QM1", encoding, "payload"), &xmd);
        EXPECT_EQ(Run(r, Pcf(MYCMD_MOVE_MSGS).Str(MQCA_Q_NAME, "XMITQ").Str(MYPCFA_TARGET_Q, "*")
                                 .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | 0x10))[0].Text(),
                  "1 message moved");
        auto got = Browse("QM1", "QL.A");
        ASSERT_EQ(got.size(), 1u) << encoding;
        EXPECT_EQ(got[0].data, "payload");
        EXPECT_EQ(got[0].md.Encoding, 273) << encoding;
        EXPECT_EQ(got[0].md.CodedCharSetId, 37) << encoding;
        EXPECT_EQ(got[0].md.Priority, 4) << encoding;
        EXPECT_EQ(got[0].md.MsgType, MQMT_DATAGRAM) << encoding;
        EXPECT_EQ(got[0].Id(), "INNER-MSGID-0123456789AB");
        EXPECT_TRUE(Browse("QM1", "XMITQ").empty());
    }
    /* damaged headers count as none: too short, or the wrong StrucId */
    std::string broken = XmitMessage("QL.A", "QM1", 546, "p");
    broken[0] = 'Y';
    for (const std::string &data : {broken, broken.substr(0, 200)}) {
        Drain("QM1", "XMITQ");
        Drain("QM1", "TARGET.Q");
        MQMD xmd = {MQMD_DEFAULT};
        memcpy(xmd.Format, "MQXMIT  ", 8);
        Put("QM1", "XMITQ", data, &xmd);
        EXPECT_EQ(Run(r, Pcf(MYCMD_COPY_MSGS).Str(MQCA_Q_NAME, "XMITQ").Str(MYPCFA_TARGET_Q, "*")
                                 .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | 0x10))[0].Text(),
                  "Message(1) : No header and no defined target queue");
        EXPECT_EQ(Run(r, Pcf(MYCMD_COPY_MSGS).Str(MQCA_Q_NAME, "XMITQ").Str(MYPCFA_TARGET_Q, "TARGET.Q")
                                 .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | 0x10))[0].Text(),
                  "1 message copied");
        ASSERT_EQ(Browse("QM1", "TARGET.Q").size(), 1u);
        EXPECT_EQ(Browse("QM1", "TARGET.Q")[0].data, data);
    }
}

/* Many messages to one target: a named queue takes every message, each
 * stripped when it carries a whole header; with "*" each header names
 * its own queue; a put failing part way backs all out, and the next
 * action to the same target puts again. */
TEST_F(AgentTest, ManyMessagesToOneTargetOrToTheQueuesTheirHeadersName)
{
    Mqsc("QM1", "DEFINE QLOCAL(XMITQ) USAGE(XMITQ)\nDEFINE QLOCAL(QL.A)\nDEFINE QLOCAL(QL.B)\n"
                "DEFINE QLOCAL(TARGET.Q)");
    QMS *r = Connected("QM1");
    MQMD xmd = {MQMD_DEFAULT};
    memcpy(xmd.Format, "MQXMIT  ", 8);
    xmd.Encoding = 546;
    std::string broken = XmitMessage("QL.B", "QM1", 546, "two");
    broken[0] = 'Y';
    Put("QM1", "XMITQ", XmitMessage("QL.A", "QM1", 546, "one"), &xmd);
    Put("QM1", "XMITQ", broken, &xmd);
    Put("QM1", "XMITQ", XmitMessage("QL.B", "QM1", 546, "three"), &xmd);
    auto action = [&](int32_t command, const char *target, int32_t qualifier) {
        return Run(r, Pcf(command).Str(MQCA_Q_NAME, "XMITQ").Str(MYPCFA_TARGET_Q, target)
                          .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, qualifier))[0];
    };
    EXPECT_EQ(action(MYCMD_COPY_MSGS, "TARGET.Q", 0x8 | 0x10).Text(), "3 messages copied");
    /* the stripped ones with their inner descriptor's priority 4 first */
    EXPECT_EQ(Datas(Browse("QM1", "TARGET.Q")), (std::vector<std::string>{"one", "three", broken}));
    Drain("QM1", "TARGET.Q");
    EXPECT_EQ(action(MYCMD_COPY_MSGS, "TARGET.Q", 0x8).Text(), "3 messages copied");
    auto whole = Browse("QM1", "TARGET.Q");
    ASSERT_EQ(whole.size(), 3u);
    EXPECT_EQ(whole[1].data, broken);
    EXPECT_EQ(whole[2].data, XmitMessage("QL.B", "QM1", 546, "three"));

    /* each header names its queue; the damaged one names none */
    PcfPart none = action(MYCMD_COPY_MSGS, "*", 0x8 | 0x10);
    EXPECT_EQ(none.Text(), "Message(2) : No header and no defined target queue");
    EXPECT_TRUE(Browse("QM1", "QL.A").empty());
    Drain("QM1", "XMITQ");
    Put("QM1", "XMITQ", XmitMessage("QL.A", "QM1", 546, "one"), &xmd);
    Put("QM1", "XMITQ", XmitMessage("QL.B", "QM1", 546, "two"), &xmd);
    Put("QM1", "XMITQ", XmitMessage("QL.A", "QM1", 546, "three"), &xmd);
    EXPECT_EQ(action(MYCMD_MOVE_MSGS, "*", 0x8 | 0x10).Text(), "3 messages moved");
    EXPECT_EQ(Datas(Browse("QM1", "QL.A")), (std::vector<std::string>{"one", "three"}));
    EXPECT_EQ(Datas(Browse("QM1", "QL.B")), (std::vector<std::string>{"two"}));

    /* the third put fails: nothing moved; then all of them are */
    Drain("QM1", "TARGET.Q");
    Fill("QM1", "XMITQ", 4);
    Rec.Fail("MQPUT", "TARGET.Q", MQRC_RESOURCE_PROBLEM, 1, 2);
    PcfPart failed = action(MYCMD_MOVE_MSGS, "TARGET.Q", 0x8);
    EXPECT_EQ(failed.cfh.Reason, MQRC_RESOURCE_PROBLEM);
    EXPECT_EQ(failed.Text().rfind("Message(3) : Error putting to queue 'TARGET.Q' RC(2102)", 0), 0u) << failed.Text();
    EXPECT_EQ(Browse("QM1", "XMITQ").size(), 4u);
    EXPECT_TRUE(Browse("QM1", "TARGET.Q").empty());
    EXPECT_EQ(action(MYCMD_MOVE_MSGS, "TARGET.Q", 0x8).Text(), "4 messages moved");
    EXPECT_EQ(Datas(Browse("QM1", "TARGET.Q")), (std::vector<std::string>{"msg1", "msg2", "msg3", "msg4"}));
}

TEST_F(AgentTest, BatchCommitsAndTheUncommittedLimit)
{
    Mqsc("QM1", "ALTER QMGR MAXUMSGS(10)\nDEFINE QLOCAL(APP.Q)\nDEFINE QLOCAL(TARGET.Q)");
    QMS *r = Connected("QM1");
    EXPECT_EQ(MQELocOf(r)->maxUncommitted, 10);
    auto action = [&](int32_t command, int32_t qualifier) {
        Rec.Clear();
        return Run(r, Pcf(command).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q")
                          .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, qualifier))[0];
    };
    Fill("QM1", "APP.Q", 25);
    EXPECT_EQ(action(MYCMD_COPY_MSGS, 0x8 | 0x20).Text(), "25 messages copied");
    EXPECT_EQ(Rec.Count("MQCMIT"), 3u);                 /* at 10, 20 and the end */
    Drain("QM1", "TARGET.Q");
    EXPECT_EQ(action(MYCMD_MOVE_MSGS, 0x8 | 0x20).Text(), "25 messages moved");
    EXPECT_EQ(Rec.Count("MQCMIT"), 5u);                 /* every 5: a get and a put each */
    EXPECT_EQ(Browse("QM1", "TARGET.Q").size(), 25u);
    /* over the limit without batches: refused, nothing lost */
    Drain("QM1", "TARGET.Q");
    Fill("QM1", "APP.Q", 25);
    PcfPart over = Run(r, Pcf(MYCMD_MOVE_MSGS).Str(MQCA_Q_NAME, "TARGET.Q").Str(MYPCFA_TARGET_Q, "APP.Q")
                              .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x8))[0];
    EXPECT_EQ(over.Text(), "0 messages moved");           /* TARGET.Q was empty */
    over = action(MYCMD_MOVE_MSGS, 0x8);
    EXPECT_EQ(over.cfh.Reason, MQRC_SYNCPOINT_LIMIT_REACHED);
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 25u);
    EXPECT_TRUE(Browse("QM1", "TARGET.Q").empty());
    EXPECT_EQ(action(MYCMD_DELETE_MSGS, 0x8).cfh.Reason, MQRC_SYNCPOINT_LIMIT_REACHED);
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 25u);
    /* all messages of a queue moved onto itself in batches: as many as it held */
    EXPECT_EQ(Run(r, Pcf(MYCMD_MOVE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "APP.Q")
                         .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | 0x20))[0].Text(),
              "25 messages moved");
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 25u);
}

TEST_F(AgentTest, ContextOptionsOfMovedMessages)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)\nDEFINE QLOCAL(TARGET.Q)");
    QMS *r = Connected("QM1");
    MQMD model = {MQMD_DEFAULT};
    memcpy(model.UserIdentifier, "alice       ", 12);
    memcpy(model.PutApplName, "origin-app                  ", 28);
    memcpy(model.ApplIdentityData, "identity-data                   ", 32);
    const struct { int32_t qualifier; bool user, app; MQLONG pmo; } cases[] = {
        { 0x100, true, true, MQPMO_SET_ALL_CONTEXT },
        { 0x200, true, true, MQPMO_PASS_ALL_CONTEXT },
        { 0x800, true, false, MQPMO_SET_IDENTITY_CONTEXT },
        { 0, false, false, 0 },
    };
    for (const auto &c : cases) {
        Drain("QM1", "TARGET.Q");
        Fill("QM1", "APP.Q", 1, "m", &model);
        Rec.Clear();
        PcfPart p = Run(r, Pcf(MYCMD_MOVE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q")
                               .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | c.qualifier))[0];
        EXPECT_EQ(p.Text(), "1 message moved") << c.qualifier;
        auto got = Browse("QM1", "TARGET.Q");
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(Trim(got[0].md.UserIdentifier, 12) == "alice", c.user) << c.qualifier;
        EXPECT_EQ(Trim(got[0].md.PutApplName, 28) == "origin-app", c.app) << c.qualifier;
        auto puts = Rec.Of("MQPUT", "TARGET.Q");
        ASSERT_EQ(puts.size(), 1u);
        EXPECT_EQ(puts[0].options & (MQPMO_SET_ALL_CONTEXT | MQPMO_PASS_ALL_CONTEXT | MQPMO_SET_IDENTITY_CONTEXT),
                  c.pmo);
        EXPECT_TRUE(puts[0].options & MQPMO_SYNCPOINT);
    }
    /* a copy browses, which saves no context to pass: "pass all" sets all
     * from the message read */
    Drain("QM1", "TARGET.Q");
    Fill("QM1", "APP.Q", 1, "c", &model);
    Rec.Clear();
    EXPECT_EQ(Run(r, Pcf(MYCMD_COPY_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q")
                         .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | 0x200))[0].Text(),
              "1 message copied");
    auto copied = Browse("QM1", "TARGET.Q");
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_EQ(Trim(copied[0].md.UserIdentifier, 12), "alice");
    EXPECT_EQ(Trim(copied[0].md.PutApplName, 28), "origin-app");
    EXPECT_EQ(Trim(copied[0].md.ApplIdentityData, 32), "identity-data");
    EXPECT_TRUE(Rec.Of("MQPUT", "TARGET.Q")[0].options & MQPMO_SET_ALL_CONTEXT);
}

TEST_F(AgentTest, UpdateByTokenAndAddWithoutSyncpoint)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    r->commandLevel = 900;
    Fill("QM1", "APP.Q", 3, "old");
    PcfPart list = Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Ints(MYPCFA_MSG_ATTRS, {MYPCFA_MSG_TOKEN}))[0];
    std::string token = list.Bytes(MYPCFA_MSG_TOKEN, 1);
    MQMD md = {MQMD_DEFAULT};
    md.Version = MQMD_VERSION_2;
    memcpy(md.Format, "MQSTR   ", 8);
    memcpy(md.MsgId, "UPDATED-MESSAGE-ID-00001", 24);
    std::string desc((const char *)&md, MQMD_LENGTH_2);
    PcfPart p = Run(r, Pcf(MYCMD_UPDATE_MSG).Str(MQCA_Q_NAME, "APP.Q").Bytes(MYPCFA_MSG_TOKEN, token)
                           .Bytes(MYPCFA_MSGDESCRIPTOR, desc).Bytes(MYPCFA_FULLMESSAGE, "new2"))[0];
    EXPECT_EQ(p.Text(), "1 message updated");
    auto got = Browse("QM1", "APP.Q");
    EXPECT_EQ(Datas(got), (std::vector<std::string>{"old1", "old3", "new2"}));
    EXPECT_EQ(got[2].Id(), "UPDATED-MESSAGE-ID-00001");
    /* the token of a message now gone */
    p = Run(r, Pcf(MYCMD_UPDATE_MSG).Str(MQCA_Q_NAME, "APP.Q").Bytes(MYPCFA_MSG_TOKEN, token)
                   .Bytes(MYPCFA_MSGDESCRIPTOR, desc).Bytes(MYPCFA_FULLMESSAGE, "x"))[0];
    EXPECT_EQ(p.Text(), "Message is no longer on the queue");
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 3u);
    /* without a token or id nothing is replaced */
    p = Run(r, Pcf(MYCMD_UPDATE_MSG).Str(MQCA_Q_NAME, "APP.Q").Bytes(MYPCFA_MSGDESCRIPTOR, desc)
                   .Bytes(MYPCFA_FULLMESSAGE, "x"))[0];
    EXPECT_EQ(p.cfh.Reason, MQRCCF_ATTR_VALUE_ERROR);

    /* The information names the message put by its token, and an Update
     * by that token takes it, wherever another message with its id stands
     * (ahead of it on a FIFO queue, behind it by priority).  A message put
     * that cannot be found again is not named. */
    auto tokenAt = [&](const char *queue, size_t item) {
        return Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, queue).Ints(MYPCFA_MSG_ATTRS, {MYPCFA_MSG_TOKEN}))[0]
            .Bytes(MYPCFA_MSG_TOKEN, item);
    };
    auto descOf = [](MQLONG priority) {
        MQMD m = {MQMD_DEFAULT};
        m.Version = MQMD_VERSION_2;
        memcpy(m.Format, "MQSTR   ", 8);
        memcpy(m.MsgId, "SHARED-BY-TWO-MESSAGES-1", 24);
        m.Priority = priority;
        return std::string((const char *)&m, MQMD_LENGTH_2);
    };
    const struct {
        const char *queue, *sequence;
        MQLONG priority;                        /* of the Updates' puts */
        size_t putAt;                           /* where the first Update's message stands */
        std::vector<std::string> first, second;
    } twins[] = {
        { "APP.FIFO", "FIFO", 0, 1, {"twin", "mine2"}, {"twin", "mine3"} },
        { "APP.PRIO", "PRIORITY", 9, 0, {"mine2", "twin"}, {"mine3", "twin"} },
    };
    for (const auto &t : twins) {
        Mqsc("QM1", (std::string("DEFINE QLOCAL(") + t.queue + ") MSGDLVSQ(" + t.sequence + ")").c_str());
        for (const char *data : {"twin", "mine"})
            ASSERT_EQ(Run(r, Pcf(MYCMD_ADD_MSG).Str(MQCA_Q_NAME, t.queue).Bytes(MYPCFA_MSGDESCRIPTOR, descOf(0))
                                 .Bytes(MYPCFA_FULLMESSAGE, data))[0].Text(), "1 message added");
        std::string mine = tokenAt(t.queue, 1);
        p = Run(r, Pcf(MYCMD_UPDATE_MSG).Str(MQCA_Q_NAME, t.queue).Bytes(MYPCFA_MSG_TOKEN, mine)
                       .Bytes(MYPCFA_MSGDESCRIPTOR, descOf(t.priority)).Bytes(MYPCFA_FULLMESSAGE, "mine2"))[0];
        EXPECT_EQ(p.Text(), "1 message updated") << t.queue;
        EXPECT_EQ(Datas(Browse("QM1", t.queue)), t.first) << t.queue;
        std::string named = p.Bytes(MYPCFA_MSG_TOKEN);
        EXPECT_EQ(named, tokenAt(t.queue, t.putAt)) << t.queue;
        p = Run(r, Pcf(MYCMD_UPDATE_MSG).Str(MQCA_Q_NAME, t.queue).Bytes(MYPCFA_MSG_TOKEN, named)
                       .Bytes(MYPCFA_MSGDESCRIPTOR, descOf(t.priority)).Bytes(MYPCFA_FULLMESSAGE, "mine3"))[0];
        EXPECT_EQ(p.Text(), "1 message updated") << t.queue;
        EXPECT_EQ(Datas(Browse("QM1", t.queue)), t.second) << t.queue;
        EXPECT_EQ(p.Bytes(MYPCFA_MSG_TOKEN), tokenAt(t.queue, t.putAt)) << t.queue;
    }
    /* gets: the two messages with the id, the end, the old message; the
     * fifth is the first look for the message put */
    std::string mine3 = tokenAt("APP.FIFO", 1);
    FaultAt("MQGET", "QM1", 5, MQRC_NO_MSG_AVAILABLE);
    p = Run(r, Pcf(MYCMD_UPDATE_MSG).Str(MQCA_Q_NAME, "APP.FIFO").Bytes(MYPCFA_MSG_TOKEN, mine3)
                   .Bytes(MYPCFA_MSGDESCRIPTOR, descOf(0)).Bytes(MYPCFA_FULLMESSAGE, "mine4"))[0];
    EXPECT_EQ(p.Text(), "1 message updated");
    EXPECT_FALSE(p.Has(MYPCFA_MSG_TOKEN));
    EXPECT_EQ(Datas(Browse("QM1", "APP.FIFO")), (std::vector<std::string>{"twin", "mine4"}));

    /* add: put at once, outside any unit of work */
    Rec.Clear();
    std::string v1 = desc.substr(0, MQMD_LENGTH_1);
    v1[4] = 1;                                              /* a version 1 descriptor */
    p = Run(r, Pcf(MYCMD_ADD_MSG).Str(MQCA_Q_NAME, "APP.Q").Bytes(MYPCFA_MSGDESCRIPTOR, v1)
                   .Bytes(MYPCFA_FULLMESSAGE, "added"))[0];
    EXPECT_EQ(p.Text(), "1 message added");
    auto puts = Rec.Of("MQPUT", "APP.Q");
    ASSERT_EQ(puts.size(), 1u);
    EXPECT_TRUE(puts[0].options & MQPMO_NO_SYNCPOINT);
    EXPECT_EQ(Rec.Count("MQCMIT"), 0u);
    EXPECT_EQ(Browse("QM1", "APP.Q").back().data, "added");
    EXPECT_EQ(Run(r, Pcf(MYCMD_ADD_MSG).Str(MQCA_Q_NAME, "APP.Q").Bytes(MYPCFA_FULLMESSAGE, "x"))[0].cfh.Reason,
              MQRCCF_CFST_PARM_ID_ERROR);
}

TEST_F(AgentTest, ASecondQueueManagerAsTargetIsCommittedFirst)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Mqsc("QM2", "DEFINE QLOCAL(REMOTE.Q)");
    QMS *r1 = Connected("QM1");
    QMS *r2 = Location("QM2");                          /* connected when the action needs it */
    Fill("QM1", "APP.Q", 4);
    auto move = [&](const char *qm) {
        Rec.Clear();
        return Run(r1, Pcf(MYCMD_MOVE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "REMOTE.Q")
                           .Str(MYPCFA_TARGET_QM, qm).Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | 0x2000))[0];
    };
    PcfPart p = move("QM2");
    EXPECT_EQ(p.Text(), "4 messages moved");
    EXPECT_EQ(p.Str(MYCA_ACTION_TARGET_QM), "QM2");
    EXPECT_EQ(Browse("QM2", "REMOTE.Q").size(), 4u);
    EXPECT_TRUE(Browse("QM1", "APP.Q").empty());
    EXPECT_TRUE(MQEState(&r2->putThread) & TS_SETUP);
    auto commits = Rec.Of("MQCMIT");
    ASSERT_EQ(commits.size(), 2u);
    EXPECT_EQ(commits[0].object, "QM2");
    EXPECT_EQ(commits[1].object, "QM1");
    for (const MQCall &c : Rec.Of("MQPUT", "REMOTE.Q"))
        EXPECT_EQ(c.hconn, r2->putThread.hConn);
    /* a queue manager no location names */
    Fill("QM1", "APP.Q", 1);
    p = move("QM9");
    EXPECT_EQ(p.cfh.Reason, MQRCCF_CFH_COMMAND_ERROR);
    EXPECT_EQ(p.Text(), "Unable to find definition of target queue manager");
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 1u);
    /* a location whose queue manager cannot be reached */
    QMS *down = Location("QMDOWN");
    (void)down;
    p = move("QMDOWN");
    EXPECT_EQ(p.cfh.Reason, MQRCCF_CFH_COMMAND_ERROR);
    EXPECT_EQ(p.Text().rfind("Error connecting to 'QMDOWN' RC(2059)", 0), 0u) << p.Text();
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 1u);
}

TEST_F(AgentTest, TheProgressRecordCountsAndFinishes)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)\nDEFINE QLOCAL(TARGET.Q)");
    Fill("QM1", "APP.Q", 5, "12345");
    QMS *r = Connected("QM1");
    /* what was asked for (the total), what was read and what was done
       differ: each count in its own place */
    const struct {
        int32_t command, qualifier;
        std::vector<int32_t> positions, ids, gone; /* ids and the messages gone: indexes */
        MQLONG reason;
        const char *text;
        uint64_t total, done;
        uint32_t read;
        size_t left, copied;
    } cases[] = {
        /* message 3 read and passed over */
        { MYCMD_COPY_MSGS, 0x2, {1, 2, 4}, {}, {}, MYRC_INFORMATION, "3 messages copied", 3, 3, 4, 5, 3 },
        /* message 6 gone before the walk reached it: the walk ends there
           (a finished record's counter is at its total) */
        { MYCMD_COPY_MSGS, 0x2, {2, 4, 6}, {}, {}, MYRC_INFORMATION, "2 messages copied", 3, 3, 5, 5, 2 },
        /* the third listed message got by another program: named by the
           count done so far, and the two deleted before it are back */
        { MYCMD_DELETE_MSGS, 0x4, {}, {0, 1, 3, 4}, {3}, MQRCCF_ATTR_VALUE_ERROR, "Message 3 is missing", 4, 2, 2,
          4, 0 },
    };
    uint8_t key = 0x60;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        Drain("QM1", "APP.Q");
        Drain("QM1", "TARGET.Q");
        std::vector<std::string> ids = Fill("QM1", "APP.Q", 5, "12345");
        std::string listed;
        for (int32_t i : c.ids)
            listed += ids[(size_t)i];
        for (int32_t i : c.gone)
            Run(r, Pcf(MYCMD_DELETE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, 0x4)
                       .Bytes(MYPCFA_MSGID, ids[(size_t)i]));
        PROGRESS *p = TestProgress(key);
        MQMD md = RequestMD(r, key++);
        Pcf req(c.command);
        req.Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, c.qualifier);
        if (c.command == MYCMD_COPY_MSGS)
            req.Str(MYPCFA_TARGET_Q, "TARGET.Q").Str(MYPCFA_TARGET_QM, "*");
        if (!c.positions.empty())
            req.Ints(MYPCFA_POSITION, c.positions);
        if (!listed.empty())
            req.Bytes(MYPCFA_MSGID, listed);
        PcfPart part = Run(r, req, &md)[0];
        EXPECT_EQ(part.cfh.Reason, c.reason);
        EXPECT_EQ(part.Text(), c.text);
        EXPECT_EQ(p->now.total, c.total);
        EXPECT_EQ(p->now.done, c.done);
        EXPECT_EQ(p->now.messagesRead, c.read);
        EXPECT_EQ(p->now.messagesWritten, (uint32_t)c.copied);
        EXPECT_EQ(p->now.bytesWritten, 6u * c.copied);
        EXPECT_EQ(Browse("QM1", "APP.Q").size(), c.left);
        EXPECT_EQ(Browse("QM1", "TARGET.Q").size(), c.copied);
    }
    Drain("QM1", "APP.Q");
    Fill("QM1", "APP.Q", 5, "12345");
    PROGRESS *p = TestProgress(0x42);
    MQMD md = RequestMD(r, 0x42);
    Run(r, Pcf(MYCMD_COPY_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q")
               .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x2).Ints(MYPCFA_POSITION, {1}), &md);
    EXPECT_NE(p->started, 0u);
    EXPECT_NE(p->finished, 0u);
    EXPECT_FALSE(p->ended);
    EXPECT_EQ(p->apiCode, 0);
    EXPECT_EQ(p->references, 1);
    /* all messages: the total is the queue's depth */
    PROGRESS *q = TestProgress(0x43);
    md = RequestMD(r, 0x43);
    Run(r, Pcf(MYCMD_DELETE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, 0x8), &md);
    EXPECT_EQ(q->now.total, 5u);
    EXPECT_EQ(q->now.messagesRead, 5u);
    /* a failure marks the record ended */
    PROGRESS *f = TestProgress(0x44);
    md = RequestMD(r, 0x44);
    Fill("QM1", "APP.Q", 2);
    Rec.Break("MQGET", "APP.Q", 1);
    EXPECT_EQ(Run(r, Pcf(MYCMD_DELETE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, 0x8),
                  &md)[0].cfh.Reason, MQRC_CONNECTION_BROKEN);
    EXPECT_TRUE(f->ended);
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 2u);
}

/* Copy and move carry a message as it is: a message in another code
 * page (EBCDIC, or Latin-1 with accented letters) keeps every byte, its
 * CCSID and its encoding, whatever the view's conversion option says;
 * only the reads that show a message convert it. */
TEST_F(AgentTest, CopyAndMoveNeverConvert)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)\nDEFINE QLOCAL(TARGET.Q)");
    QMS *r = Connected("QM1");
    const struct { MQLONG ccsid, encoding; std::string data; } messages[] = {
        { 500, 785, "\xC8\x85\x93\x93\x96\x40\xE6\x96\x99\x93\x84\x4F\x5A" },  /* "Hello World!" */
        { 819, 273, "caf\xE9 cr\xE8me \xFC" },
    };
    for (const auto &m : messages)
        for (int32_t command : {MYCMD_COPY_MSGS, MYCMD_MOVE_MSGS})
            for (int32_t view : {0, 0x40}) {
                MQMD model = {MQMD_DEFAULT};
                memcpy(model.Format, "MQSTR   ", 8);
                model.CodedCharSetId = m.ccsid;
                model.Encoding = m.encoding;
                Drain("QM1", "APP.Q");
                Drain("QM1", "TARGET.Q");
                Fill("QM1", "APP.Q", 1, m.data, &model);
                PcfPart p = Run(r, Pcf(command).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q")
                                       .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_CONVERT_CCSID, 437)
                                       .Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | view))[0];
                std::string what = std::to_string(m.ccsid) + " " + std::to_string(command) + " " +
                                   std::to_string(view);
                EXPECT_EQ(p.cfh.Reason, MYRC_INFORMATION) << what << " " << p.Text();
                auto got = Browse("QM1", "TARGET.Q");
                ASSERT_EQ(got.size(), 1u) << what;
                EXPECT_EQ(got[0].data, m.data + "1") << what;
                EXPECT_EQ(got[0].md.CodedCharSetId, m.ccsid) << what;
                EXPECT_EQ(got[0].md.Encoding, m.encoding) << what;
                EXPECT_EQ(Browse("QM1", "APP.Q").size(), command == MYCMD_COPY_MSGS ? 1u : 0u);
            }
    /* a message list still shows it converted */
    Drain("QM1", "TARGET.Q");
    Rec.Clear();
    Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_CONVERT_CCSID, 437));
    auto gets = Rec.Of("MQGET", "APP.Q");
    ASSERT_FALSE(gets.empty());
    EXPECT_TRUE(gets[0].options & MQGMO_CONVERT);
}

/* The Message dialog's read takes a message as it lies on the queue
 * unless a CCSID to convert to is named, so that an edit saved with
 * Update keeps the message's code page, encoding and every byte the user
 * did not change. */
TEST_F(AgentTest, AnEditedMessageKeepsItsOwnCodePage)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    r->commandLevel = 900;
    const std::string latin1 = "caf\xE9 cr\xE8me \xA3";
    MQMD model = {MQMD_DEFAULT};
    memcpy(model.Format, "MQSTR   ", 8);
    model.CodedCharSetId = 819;
    const struct { int32_t ccsid; std::string shown; MQLONG shownCcsid; } reads[] = {
        { 0, latin1 + "1", 819 },                        /* as it lies */
        { 437, "caf\x82 cr\x8Ame \x9C" "1", 437 },       /* converted when asked */
    };
    for (auto &c : reads) {
        Drain("QM1", "APP.Q");
        Fill("QM1", "APP.Q", 1, latin1, &model);
        Pcf req(MYCMD_INQUIRE_MSGDETAIL);
        req.Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 1).Ints(MYPCFA_MSG_ATTRS, {MYPCFA_MSG_TOKEN});
        if (c.ccsid)
            req.Int(MYPCFA_CONVERT_CCSID, c.ccsid);
        PcfPart detail = Run(r, req)[0];
        std::string data = detail.Bytes(MYPCFA_FULLMESSAGE), desc = detail.Bytes(MYPCFA_MSGDESCRIPTOR);
        EXPECT_EQ(data, c.shown) << c.ccsid;
        ASSERT_EQ(desc.size(), (size_t)MQMD_LENGTH_2);
        MQMD md;
        memcpy(&md, desc.data(), sizeof md);
        EXPECT_EQ(md.CodedCharSetId, c.shownCcsid) << c.ccsid;
        /* one letter typed over, Update */
        data[0] = 'C';
        PcfPart p = Run(r, Pcf(MYCMD_UPDATE_MSG).Str(MQCA_Q_NAME, "APP.Q")
                               .Bytes(MYPCFA_MSG_TOKEN, detail.Bytes(MYPCFA_MSG_TOKEN))
                               .Bytes(MYPCFA_MSGDESCRIPTOR, desc).Bytes(MYPCFA_FULLMESSAGE, data))[0];
        EXPECT_EQ(p.Text(), "1 message updated");
        auto got = Browse("QM1", "APP.Q");
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].data, data) << c.ccsid;
        EXPECT_EQ(got[0].md.CodedCharSetId, c.shownCcsid) << c.ccsid;
        if (!c.ccsid) {
            EXPECT_EQ(got[0].data, "C" + latin1.substr(1) + "1");
        }
    }
}

/* A walk over many messages that are not selected counts each one it
 * reads and stops at once when the user aborts, long before it reaches
 * the selected message. */
TEST_F(AgentTest, AnAbortStopsAWalkOverUnselectedMessages)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q) MAXDEPTH(10000)\nDEFINE QLOCAL(TARGET.Q)");
    Fill("QM1", "APP.Q", 600);
    QMS *r = Connected("QM1");
    for (int32_t qualifier : {0x2, 0x1}) {
        PROGRESS *p = TestProgress((uint8_t)(0x50 + qualifier));
        std::atomic_ref<int32_t>(p->abortRequested).store(1);
        MQMD md = RequestMD(r, (uint8_t)(0x50 + qualifier));
        Rec.Clear();
        Pcf req(MYCMD_MOVE_MSGS);
        req.Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q").Str(MYPCFA_TARGET_QM, "*")
            .Int(MYPCFA_DIALOG_QUALIFIER, qualifier).Ints(MYPCFA_POSITION, {600});
        if (qualifier == 0x1)
            req.Bytes(MYPCFA_MSGID, std::string(24, 'x'));
        PcfPart part = Run(r, req, &md)[0];
        EXPECT_EQ(part.cfh.Reason, MQRC_CHANNEL_STOPPED_BY_USER) << part.Text();
        EXPECT_EQ(part.Text(), "Message(0) : Operation aborted by user.");
        EXPECT_LE(Rec.Count("MQGET", "APP.Q"), 2u) << qualifier;
        EXPECT_EQ(p->now.messagesRead, 1u);
        EXPECT_TRUE(p->ended);
    }
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 600u);
    EXPECT_TRUE(Browse("QM1", "TARGET.Q").empty());
    /* without an abort every message passed over is counted */
    PROGRESS *q = TestProgress(0x5F);
    MQMD md = RequestMD(r, 0x5F);
    EXPECT_EQ(Run(r, Pcf(MYCMD_COPY_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q")
                         .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x2)
                         .Ints(MYPCFA_POSITION, {300}), &md)[0].Text(), "1 message copied");
    EXPECT_EQ(q->now.messagesRead, 300u);
    EXPECT_EQ(q->now.done, 1u);
}
