/* The command agent's dispatch and responses: the main road end to end
 * through the message thread, unknown commands, datagrams, in-process and
 * foreign reply queues, what a reply queue brings, the common error
 * patterns with their fixed area, the closing of cached handles, requests
 * that do not fit, and the cache of the connection a command runs on. */
#include "agenttest.h"

#include <cstring>

#include "cs.h"
#include "savedlg.h"

namespace {

int PostMessageCommand(QMS *r, const Pcf &request, uint8_t keyByte)
{
    std::vector<uint8_t> data = request.Data();
    uint8_t key[24];
    memset(key, keyByte, sizeof key);
    void *block = Block(data.data(), data.size());
    int rc = PostThreadRequest(r, nullptr, TRF_MESSAGE, nullptr, key, block, (uint32_t)data.size());
    if (rc)
        CSFreeMem(block);
    return rc;
}

std::string Name(size_t n, char c = 'Q')
{
    return std::string(n, c);
}

}  // namespace

TEST_F(AgentTest, TheMainRoadListsReadsAndNextFastsThroughTheMessageThread)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Fill("QM1", "APP.Q", 5, "payload-");
    QMS *r = Connected("QM1");
    r->commandLevel = 900;
    ASSERT_EQ(StartMessageThread(), 0);

    ASSERT_EQ(PostMessageCommand(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q")
                                        .Ints(MYPCFA_MSG_ATTRS, {MYPCFA_POSITION, MYPCFA_MSG_TOKEN,
                                                                 MYPCFA_MSGLEN, MYPCFA_MESSAGE}), 3), 0);
    ASSERT_TRUE(WaitFor([] { return Got.Count() == 1; }));
    PcfPart list = Got.All()[0];
    EXPECT_EQ(list.location, r);
    EXPECT_EQ(list.md.MsgId[0], 3);
    EXPECT_EQ(Trim(list.md.Format, 8), "MQADMIN");
    EXPECT_EQ(list.cfh.Type, MQCFT_RESPONSE);
    EXPECT_EQ(list.cfh.Control, MQCFC_LAST);
    EXPECT_EQ(list.cfh.Command, MYCMD_INQUIRE_MSGS);
    EXPECT_EQ(list.walkReason, PCF_RC_END_OF_PARMS);
    ASSERT_EQ(list.items.size(), 5u);
    for (size_t i = 0; i < 5; i++) {
        EXPECT_EQ(list.Int(MYPCFA_POSITION, i), (int)i + 1);
        EXPECT_EQ(list.Bytes(MYPCFA_MESSAGE, i), "payload-" + std::to_string(i + 1));
        EXPECT_EQ(list.Bytes(MYPCFA_MSG_TOKEN, i).size(), 16u);
    }
    std::string token3 = list.Bytes(MYPCFA_MSG_TOKEN, 2);

    /* emptied: the token and id fields cleared in the dialog, the
       message found by its position */
    struct { int32_t command; bool token; int32_t position; const char *data; bool emptied; } reads[] = {
        { MYCMD_INQUIRE_MSG, false, 2, "payload-2" },
        { MYCMD_INQUIRE_MSG_NEXT_FAST, true, 4, "payload-4" },
        { MYCMD_INQUIRE_MSGDETAIL, false, 5, "payload-5" },
        { MYCMD_INQUIRE_MSGDETAIL_NEXT_FAST, true, 4, "payload-4" },
        { MYCMD_INQUIRE_MSGDETAIL, false, 2, "payload-2", true },
    };
    for (const auto &rd : reads) {
        Got.Clear();
        Pcf req(rd.command);
        req.Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, rd.token ? 3 : rd.position);
        if (rd.token)
            req.Bytes(MYPCFA_MSG_TOKEN, token3);
        if (rd.emptied)
            req.Bytes(MYPCFA_MSG_TOKEN, "", MQCFT_BYTE_STRING).Bytes(MYPCFA_MSGID, "", MQCFT_BYTE_STRING);
        ASSERT_EQ(PostMessageCommand(r, req, 4), 0);
        ASSERT_TRUE(WaitFor([] { return Got.Count() == 1; })) << rd.command;
        PcfPart part = Got.All()[0];
        EXPECT_EQ(part.cfh.Reason, 0) << rd.command;
        EXPECT_EQ(part.Int(MYPCFA_POSITION), rd.position) << rd.command;
        int32_t data = rd.command == MYCMD_INQUIRE_MSG || rd.command == MYCMD_INQUIRE_MSG_NEXT_FAST
                           ? MYPCFA_MESSAGE : MYPCFA_FULLMESSAGE;
        EXPECT_EQ(part.Bytes(data), rd.data) << rd.command;
    }
}

TEST_F(AgentTest, UnknownCommandsAreAnsweredWithoutParameters)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    for (int32_t code : {10005, 10006, 10011, 10017, 10029, 10043, 10050, 10200, 10240, 10243, 99999}) {
        auto parts = Run(r, Pcf(code).Str(MQCA_Q_NAME, "X"));
        ASSERT_EQ(parts.size(), 1u) << code;
        EXPECT_EQ(parts[0].cfh.Command, code);
        EXPECT_EQ(parts[0].cfh.CompCode, MQCC_FAILED);
        EXPECT_EQ(parts[0].cfh.Reason, MQRCCF_CFH_COMMAND_ERROR);
        EXPECT_EQ(parts[0].cfh.ParameterCount, 0);
        EXPECT_EQ(parts[0].cfh.Control, MQCFC_LAST);
    }
    /* a publication no query waits for is not answered; a broker query
     * without its stream name is refused */
    EXPECT_TRUE(Run(r, Pcf(63)).empty());
    for (int32_t code : {10026, 10027})
        EXPECT_EQ(Run(r, Pcf(code))[0].cfh.Reason, MQRCCF_CFST_PARM_ID_ERROR) << code;
    /* the saved dialogs answer their commands: a create, then its record by id */
    auto made = Run(r, Pcf(MYCMD_CREATE_DIALOG).Int(10096, 1).Str(10105, "QM1").Str(10109, "Mine"));
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].cfh.Command, MYCMD_CREATE_DIALOG);
    EXPECT_EQ(made[0].cfh.Reason, 100004);
    EXPECT_EQ(made[0].Str(10084), "Dialog created");
    auto found = Run(r, Pcf(MYCMD_INQUIRE_DIALOG).Int(10095, made[0].Int(10095)));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].cfh.CompCode, MQCC_OK);
    EXPECT_EQ(found[0].Str(10109), "Mine");
    EXPECT_EQ(found[0].cfh.Control, MQCFC_LAST);
    SavedDialogFreeAll();
    /* shorter than a PCF header: nothing is answered */
    Got.Clear();
    int32_t stop = 0;
    MQMD md = RequestMD(r);
    uint8_t shortData[20] = {};
    ProcessCommand(r, &stop, r->putThread.hConn, &md, shortData, sizeof shortData);
    EXPECT_EQ(Got.Count(), 0u);
    /* the stop command only sets the caller's indicator */
    std::vector<uint8_t> stopCmd = Pcf(MYCMD_STOP_SVR).Data();
    ProcessCommand(r, &stop, r->putThread.hConn, &md, stopCmd.data(), (int32_t)stopCmd.size());
    EXPECT_EQ(stop, 1);
    EXPECT_EQ(Got.Count(), 0u);
}

TEST_F(AgentTest, ResponsesGoInProcessOrToTheirReplyQueue)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)\nDEFINE QLOCAL(FOREIGN.REPLY)");
    Fill("QM1", "APP.Q", 3);
    QMS *r = Connected("QM1");

    /* a datagram runs and is never answered */
    MQMD md = RequestMD(r);
    md.MsgType = MQMT_DATAGRAM;
    auto parts = Run(r, Pcf(MYCMD_DELETE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, 0x8), &md);
    EXPECT_TRUE(parts.empty());
    EXPECT_EQ(Browse("QM1", "APP.Q").size(), 0u);
    Fill("QM1", "APP.Q", 3);

    /* names that differ only by trailing blanks or NULs are the location's own */
    md = RequestMD(r);
    memset(md.ReplyToQMgr + strlen(r->qmName), 0, 48 - strlen(r->qmName));
    EXPECT_EQ(Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q"), &md).size(), 1u);
    /* a blank reply queue is answered in process too */
    md = RequestMD(r);
    memset(md.ReplyToQ, ' ', 48);
    EXPECT_EQ(Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q"), &md).size(), 1u);

    /* another reply queue: put there like a command server would */
    md = RequestMD(r, 0x5A);
    memset(md.ReplyToQ, ' ', 48);
    memcpy(md.ReplyToQ, "FOREIGN.REPLY", 13);
    EXPECT_TRUE(Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q"), &md).empty());
    auto replies = Browse("QM1", "FOREIGN.REPLY");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].md.MsgType, MQMT_REPLY);
    EXPECT_EQ(Trim(replies[0].md.Format, 8), "MQADMIN");
    EXPECT_EQ(replies[0].md.MsgId[0], 0x5A);
    EXPECT_EQ(replies[0].md.MsgId[23], 0x5A);
    PcfPart put = ParsePart(replies[0].data.data(), replies[0].data.size());
    EXPECT_EQ(put.cfh.Command, MYCMD_INQUIRE_MSGS);
    EXPECT_EQ(put.items.size(), 3u);

    /* a reply queue that cannot be opened: the error goes to the main window */
    memcpy(md.ReplyToQ, "NO.SUCH.QUEUE", 13);
    Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q"), &md);
    auto errors = Main.ErrorTexts(r);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back().rfind("Error opening queue 'QM1/NO.SUCH.QUEUE' RC(2085)", 0), 0u) << errors.back();
}

TEST_F(AgentTest, WhatAReplyQueueBringsIsSorted)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    RecordAgent();
    MQHCONN h = r->getThread.hConn;
    auto analyse = [&](MQLONG type, const char *format, const std::string &data) {
        MQMD md = {MQMD_DEFAULT};
        md.MsgType = type;
        memcpy(md.Format, format, 8);
        std::string copy = data;
        Got.Clear();
        return AnalyseCommand(r, nullptr, h, &md, copy.empty() ? nullptr : &copy[0], (int32_t)copy.size());
    };
    /* three NUL-separated MQSC texts: three calls of the receiver */
    std::string mqsc = std::string("CSQN205I") + "*" + "COUNT=3" + std::string(1, '\0') + "CSQM401I" +
                       std::string(1, '\0') + "CSQ9022I";
    analyse(MQMT_REPLY, "MQCMD1  ", mqsc);
    auto pieces = Got.All();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].raw, "CSQN205I*COUNT=3");
    EXPECT_EQ(pieces[2].raw, "CSQ9022I");
    /* not split: under nine bytes, no "*", another format, a report */
    analyse(MQMT_REPLY, "MQCMD1  ", std::string("CSQ\0X", 5));
    EXPECT_EQ(Got.Count(), 1u);
    analyse(MQMT_REPLY, "MQCMD2  ", std::string("CSQN205IxA\0B", 12));
    EXPECT_EQ(Got.Count(), 1u);
    analyse(MQMT_REPLY, "MQADMIN ", std::string("CSQN205I*A\0B", 12));
    EXPECT_EQ(Got.Count(), 1u);
    analyse(MQMT_REPORT, "MQCMD1  ", std::string("CSQN205I*A\0B", 12));
    EXPECT_EQ(Got.Count(), 1u);
    analyse(99, "MQADMIN ", "x");
    EXPECT_EQ(Got.Count(), 0u);
    /* a request or datagram this program did not seal never reaches the agent */
    std::vector<uint8_t> cmd = Pcf(12345).Data();
    size_t before = Agent.Commands();
    analyse(MQMT_DATAGRAM, "MQADMIN ", std::string(cmd.begin(), cmd.end()));
    analyse(MQMT_REQUEST, "MQADMIN ", std::string(cmd.begin(), cmd.end()));
    EXPECT_EQ(Agent.Commands(), before);
    /* a blank format is a monitor message: neither a command nor a reply */
    analyse(MQMT_REQUEST, "        ", std::string(cmd.begin(), cmd.end()));
    analyse(MQMT_REPLY, "        ", "m");
    EXPECT_EQ(Agent.Commands(), before);
    EXPECT_EQ(Got.Count(), 0u);
}

TEST_F(AgentTest, ErrorPatternsAndTheFixedErrorArea)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    struct Case {
        const char *what;
        std::vector<uint8_t> request;
        MQLONG reason;
        int32_t parm;
        int32_t value;
    };
    std::vector<Case> cases = {
        { "unknown parameter", Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(4711, 1).Data(),
          MQRCCF_CFIN_PARM_ID_ERROR, MQIACF_SELECTOR, 4711 },
        { "no queue", Pcf(MYCMD_INQUIRE_MSGS).Int(MYPCFA_MAX_MSG_SIZE, 10).Data(),
          MQRCCF_CFST_PARM_ID_ERROR, MQIACF_PARAMETER_ID, MQCA_Q_NAME },
        { "attribute outside the list", Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q")
              .Ints(MYPCFA_MSG_ATTRS, {MYPCFA_MSGID, 2016}).Data(),
          MQRCCF_ATTR_VALUE_ERROR, MQIACF_ERROR_IDENTIFIER, 2016 },
        { "queue name of 49", Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, Name(49)).Data(),
          MQRCCF_CFST_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, MQCA_Q_NAME },
        { "target of 49", Pcf(MYCMD_COPY_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, Name(49)).Data(),
          MQRCCF_CFST_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, MYPCFA_TARGET_Q },
        { "id of 23", Pcf(MYCMD_DELETE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Bytes(MYPCFA_MSGID, Name(23, 'i')).Data(),
          MQRCCF_CFBS_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, MYPCFA_MSGID },
        { "token of 15", Pcf(MYCMD_INQUIRE_MSG).Str(MQCA_Q_NAME, "APP.Q")
              .Bytes(MYPCFA_MSG_TOKEN, Name(15, 't'), MQCFT_BYTE_STRING).Data(),
          MQRCCF_CFBS_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, MYPCFA_MSG_TOKEN },
        { "descriptor shorter than its version", Pcf(MYCMD_ADD_MSG).Str(MQCA_Q_NAME, "APP.Q")
              .Bytes(MYPCFA_MSGDESCRIPTOR, std::string("MD  \x02\0\0\0", 8) + Name(330, '\0')).Data(),
          MQRCCF_CFBS_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, MYPCFA_MSGDESCRIPTOR },
        { "console pattern of 100", Pcf(MYCMD_INQUIRE_CONSOLE).Str(MYCA_LOCATION, Name(100)).Data(),
          MQRCCF_CFST_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, MYCA_LOCATION },
        { "a string where a number goes", Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q")
              .Str(MYPCFA_MAX_MSG_SIZE, "10").Data(),
          MQRCCF_CFIN_PARM_ID_ERROR, MQIACF_SELECTOR, MYPCFA_MAX_MSG_SIZE },
        { "close with another parameter", Pcf(MYCMD_CLOSE_QUEUE).Str(MQCA_Q_NAME, "APP.Q")
              .Int(MYPCFA_POSITION, 1).Data(),
          MQRCCF_CFIN_PARM_ID_ERROR, MQIACF_SELECTOR, MYPCFA_POSITION },
    };
    /* a parameter type the walker does not know */
    std::vector<uint8_t> bad = Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 1).Data();
    int32_t unknownType = 77;
    memcpy(&bad[bad.size() - 16], &unknownType, 4);
    cases.push_back({ "unknown type", bad, MQRCCF_CFH_TYPE_ERROR, 0, 0 });
    MQMD md = RequestMD(r);
    for (const Case &c : cases) {
        Got.Clear();
        int32_t stop = 0;
        std::vector<uint8_t> data = c.request;
        ProcessCommand(r, &stop, r->putThread.hConn, &md, data.data(), (int32_t)data.size());
        auto parts = Got.All();
        ASSERT_EQ(parts.size(), 1u) << c.what;
        EXPECT_EQ(parts[0].cfh.CompCode, MQCC_FAILED) << c.what;
        EXPECT_EQ(parts[0].cfh.Reason, c.reason) << c.what;
        EXPECT_EQ(parts[0].cfh.Control, MQCFC_LAST) << c.what;
        if (c.parm)
            EXPECT_EQ(parts[0].Int(c.parm), c.value) << c.what;
        else
            EXPECT_EQ(parts[0].cfh.ParameterCount, 0) << c.what;
    }
    /* MQCFBS (type 9) is a byte string like the program's own type */
    auto parts = Run(r, Pcf(MYCMD_INQUIRE_MSGDETAIL).Str(MQCA_Q_NAME, "APP.Q")
                            .Bytes(MYPCFA_MSGID, Name(24, 'x'), MQCFT_BYTE_STRING));
    EXPECT_EQ(parts[0].cfh.Reason, MQRC_NO_MSG_AVAILABLE);

    /* the error area does not grow: a text longer than any the program
       makes is left out, the rest goes */
    std::string text(1200, 'e');
    Got.Clear();
    SendErrorResponse(r, 1208, nullptr, r->putThread.hConn, nullptr, 10002, &md, 2085,
                      MYPCFA_POSITION, 7, MYPCFA_ERROR_MESSAGE, (intptr_t)text.c_str());
    parts = Got.All();
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].cfh.Reason, 2085);
    EXPECT_EQ(parts[0].Int(MYPCFA_POSITION), 7);
    EXPECT_FALSE(parts[0].Has(MYPCFA_ERROR_MESSAGE));
    EXPECT_EQ(parts[0].Int(MYIA_REPLY_OPTIONS), 1208);
    EXPECT_EQ(parts[0].Ids(), (std::vector<int32_t>{MYPCFA_POSITION, MYIA_REPLY_OPTIONS}));
    /* the longest text the program makes fits, with the integers and
       the target names of a copy or move */
    MQACTION action = {};
    action.targetChosen = 1;
    memset(action.targetQMgr, 'M', 48);
    memset(action.targetQ, 'Q', 48);
    text.assign(399, 't');
    Got.Clear();
    SendErrorResponse(r, 1208, &action, r->putThread.hConn, nullptr, 10008, &md, 2009,
                      MYPCFA_POSITION, 7, MYPCFA_ERROR_MESSAGE, (intptr_t)text.c_str());
    parts = Got.All();
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].Text(), text);
    EXPECT_EQ(parts[0].Ids(), (std::vector<int32_t>{MYPCFA_POSITION, MYPCFA_ERROR_MESSAGE, MYIA_REPLY_OPTIONS,
                                                    MYCA_ACTION_TARGET_QM, MYCA_ACTION_TARGET_Q}));
    /* a short one fits, its NUL included */
    Got.Clear();
    SendErrorResponse(r, 0, nullptr, r->putThread.hConn, nullptr, 10002, &md, 2085, 0, 0,
                      MYPCFA_INFO_MESSAGE, (intptr_t) "short");
    EXPECT_EQ(Got.All()[0].Bytes(MYPCFA_INFO_MESSAGE), std::string("short\0", 6));
}

TEST_F(AgentTest, CloseQueueClosesEveryCachedHandleOfTheQueue)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Fill("QM1", "APP.Q", 2);
    QMS *r = Connected("QM1");
    Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q"));
    Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q"));
    EXPECT_EQ(Rec.Count("MQOPEN", "APP.Q"), 1u);       /* the second list used the cached handle */
    size_t closes = Rec.Count("MQCLOSE", "APP.Q");
    auto parts = Run(r, Pcf(MYCMD_CLOSE_QUEUE).Str(MQCA_Q_NAME, "APP.Q"));
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].cfh.Reason, 0);
    EXPECT_EQ(parts[0].cfh.ParameterCount, 0);
    EXPECT_EQ(parts[0].raw.size(), 36u);
    EXPECT_EQ(Rec.Count("MQCLOSE", "APP.Q"), closes + 1);
    Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q"));
    EXPECT_EQ(Rec.Count("MQOPEN", "APP.Q"), 2u);
    EXPECT_EQ(Run(r, Pcf(MYCMD_CLOSE_QUEUE))[0].cfh.Reason, MQRCCF_CFST_PARM_ID_ERROR);
}

/* A command uses the handle cache of the connection it runs on: a list
 * that comes through the reply queue runs on the get connection and never
 * takes a handle of the put connection, where the same number may name
 * another queue. */
TEST_F(AgentTest, ACommandUsesTheCacheOfItsOwnConnection)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)\nDEFINE QLOCAL(OTHER.Q)");
    Fill("QM1", "APP.Q", 2, "app");
    Fill("QM1", "OTHER.Q", 3, "other");
    QMS *r = Connected("QM1");
    void **putCache, **getCache;
    MQEConnection(r, MQE_PUTSIDE, nullptr, &putCache);
    MQEConnection(r, MQE_GETSIDE, nullptr, &getCache);
    auto holds = [](void **cache, const char *queue) {
        MQCACHE *c = (MQCACHE *)*cache;
        for (int i = 0; c && i < MQCACHE_ENTRIES; i++)
            if (!strcmp(c->entries[i].objectName, queue))
                return true;
        return false;
    };
    auto put = Run(r, Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "OTHER.Q").Ints(MYPCFA_MSG_ATTRS, {MYPCFA_MESSAGE}));
    EXPECT_EQ(put[0].items.size(), 3u);
    EXPECT_TRUE(holds(putCache, "OTHER.Q"));

    /* the same kind of request read by the get thread from the reply queue */
    Got.Clear();
    std::vector<uint8_t> req = Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q")
                                   .Ints(MYPCFA_MSG_ATTRS, {MYPCFA_MESSAGE}).Data();
    uint8_t key[24];
    memset(key, 9, sizeof key);
    ASSERT_EQ(PostThreadRequest(r, nullptr, TRF_REPLYQ, nullptr, key, Block(req.data(), req.size()),
                                (uint32_t)req.size()), 0);
    ASSERT_TRUE(WaitFor([] { return Got.Count() == 1; }));
    PcfPart get = Got.All()[0];
    ASSERT_EQ(get.items.size(), 2u);
    EXPECT_EQ(get.Bytes(MYPCFA_MESSAGE), "app1");
    EXPECT_TRUE(holds(getCache, "APP.Q"));
    EXPECT_FALSE(holds(putCache, "APP.Q"));
    for (const MQCall &c : Rec.Of("MQOPEN", "APP.Q"))
        EXPECT_EQ(c.hconn, r->getThread.hConn);
}

/* A reply the queue manager cannot convert (2119) is handed on as it
 * came, and the replies after it still arrive: the get thread goes on. */
TEST_F(AgentTest, AReplyThatCannotBeConvertedIsStillHandedOn)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    RecordAgent();
    Agent.Clear();
    std::vector<uint8_t> reply = Pcf(MQCMD_INQUIRE_Q_MGR).Data();
    for (MQLONG ccsid : {1208, 0}) {
        MQMD md = {MQMD_DEFAULT};
        md.MsgType = MQMT_REPLY;
        md.CodedCharSetId = ccsid;
        memcpy(md.Format, "MQADMIN ", 8);
        Put("QM1", MQELocOf(r)->replyQ, std::string(reply.begin(), reply.end()), &md);
    }
    ASSERT_TRUE(WaitFor([] { return Agent.Replies() == 2; })) << Agent.Replies();
    EXPECT_TRUE(MQEState(&r->getThread) & TS_RUNNING);
}
