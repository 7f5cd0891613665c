/* Queued publish/subscribe queries against a broker the test plays on the
 * stand-in's queues: the request reaches the command agent through the
 * location's reply queue, the program's broker commands are read from
 * SYSTEM.BROKER.CONTROL.QUEUE and checked, and replies and publications
 * go back to the reply queue as a broker would send them. */
#include "mqsctest.h"
#include "../agenttest.h"
#include "../fuzztest.h"

#include <cstring>
#include <map>

#include "cs.h"
#include "cstext.h"
#include "agent.h"

using namespace mqsctest;

namespace {

const char *const Control = "SYSTEM.BROKER.CONTROL.QUEUE";

/* Responses whose MsgId begins "PSQ", copied before the engine sees them. */
std::mutex answersLock;
std::vector<PcfPart> answers;
int (*passOn)(QMS *, uint32_t, MQMD *, void *, uint32_t);

int Capture(QMS *r, uint32_t value, MQMD *md, void *data, uint32_t length)
{
    if (md && !memcmp(md->MsgId, "PSQ", 3)) {
        std::lock_guard<std::mutex> g(answersLock);
        answers.push_back(ParsePart(data, length));
    }
    return passOn(r, value, md, data, length);
}

std::vector<PcfPart> Answers()
{
    std::lock_guard<std::mutex> g(answersLock);
    return answers;
}

/* One broker command as the broker read it. */
struct Got {
    MQMD md;
    Parsed p;
    std::string Str(int32_t id) const
    {
        auto i = p.strs.find(id);
        return i == p.strs.end() ? "" : Trim(i->second.c_str(), i->second.size());
    }
};

std::string Hex(const uint8_t *bytes, int n)
{
    char out[100];
    UTBytesToHex(bytes, n, out, 2 * n);
    return std::string(out, (size_t)2 * n);
}

/* A publication or reply set into an MQCFH's fields. */
std::vector<uint8_t> Head(std::vector<uint8_t> m, int32_t type, int32_t reason)
{
    MQCFH h;
    memcpy(&h, m.data(), sizeof h);
    h.Type = type;
    h.Control = MQCFC_LAST;
    h.CompCode = reason ? MQCC_FAILED : 0;
    h.Reason = reason;
    memcpy(m.data(), &h, sizeof h);
    return m;
}

struct Broker : Live {
    QMS *r = nullptr;
    MQHCONN h = 0;
    MQHOBJ in = 0;
    std::vector<Got> got;
    std::vector<std::string> streams;                            /* supported */
    std::map<std::string, std::vector<std::vector<uint8_t>>> pubs; /* by stream */
    int32_t registerReason = 0;
    char qm48[49];

    void SetUp() override
    {
        Live::SetUp();
        answers.clear();
        passOn = MQEHooks.response;
        MQEHooks.response = Capture;
    }
    void TearDown() override
    {
        MQEHooks.response = passOn;
        Live::TearDown();
    }
    void Start(const char *qm, uint32_t flags = 0)
    {
        Mqsc(qm, "DEFINE QLOCAL(APP.IN)\n");
        r = Location(qm, flags);
        Connect(r);
        h = Own(qm);
        in = OpenOwn(h, Control, MQOO_INPUT_SHARED);
        snprintf(qm48, sizeof qm48, "%-48.48s", qm);
    }
    std::string Prefix(const char *kind)
    {
        return (r->flags & LF_NPSAI) ? std::string("MQ/SA/") + qm48 + "/" + kind + "/AllIdentities/"
                                      : std::string("MQ/S/") + qm48 + "/" + kind + "/Identities/";
    }
    /* The query request put to the location's reply queue, as the
     * program puts its own (only those run there). */
    void Ask(const Pcf &request, char tag = '1')
    {
        uint8_t key[24] = {};
        memcpy(key, "PSQ", 3);
        key[3] = (uint8_t)tag;
        std::vector<uint8_t> d = request.Data();
        ASSERT_EQ(PostThreadRequest(r, nullptr, TRF_REPLYQ, nullptr, key, Block(d.data(), d.size()),
                                    (uint32_t)d.size()), 0);
    }
    void Send(const Got &to, const std::vector<uint8_t> &m, int32_t msgType)
    {
        MQHOBJ o = OpenOwn(h, Trim(to.md.ReplyToQ, 48).c_str(), MQOO_OUTPUT);
        MQMD md = {MQMD_DEFAULT};
        md.MsgType = msgType;
        memcpy(md.Format, msgType == MQMT_REPLY ? "MQADMIN " : "MQPCF   ", 8);
        if (msgType == MQMT_REPLY)
            memcpy(md.MsgId, to.md.MsgId, 24);
        memcpy(md.CorrelId, to.md.CorrelId, 24);
        MQPMO pmo = {MQPMO_DEFAULT};
        pmo.Options = MQPMO_NO_SYNCPOINT;
        MQLONG cc, rc;
        StandIn.MQPUT(h, o, &md, &pmo, (MQLONG)m.size(), (void *)m.data(), &cc, &rc);
        EXPECT_EQ(rc, 0);
        StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    }
    /* Answers one command: publications first for a request update. */
    void Answer(const Got &c)
    {
        int32_t command = c.p.head.Command;
        if (command == MQCMD_REQUEST_UPDATE) {
            if (c.Str(MQCACF_TOPIC).find("/StreamSupport") != std::string::npos) {
                Pcf pub(MQCMD_PUBLISH);
                pub.Str(MQCACF_TOPIC, c.Str(MQCACF_TOPIC));
                for (const std::string &s : streams)
                    pub.Str(MQCACF_SUPPORTED_STREAM_NAME, s);
                Send(c, Head(pub.Data(), MQCFT_COMMAND, 0), MQMT_DATAGRAM);
            } else {
                for (const std::vector<uint8_t> &m : pubs[c.Str(MQCACF_STREAM_NAME)])
                    Send(c, m, MQMT_DATAGRAM);
            }
        }
        Pcf reply(command);
        Send(c, Head(reply.Data(), MQCFT_RESPONSE, command == MQCMD_REGISTER_SUBSCRIBER ? registerReason : 0),
             MQMT_REPLY);
    }
    /* One broker command read (waiting a little): the reason. */
    MQLONG Take()
    {
        MQMD md = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_WAIT | MQGMO_NO_SYNCPOINT;
        gmo.WaitInterval = 100;
        std::vector<uint8_t> buf(4000);
        MQLONG n = 0, cc, rc;
        StandIn.MQGET(h, in, &md, &gmo, (MQLONG)buf.size(), buf.data(), &n, &cc, &rc);
        if (!rc)
            got.push_back({ md, Parse(buf.data(), (uint32_t)n) });
        return rc;
    }
    /* Plays the broker until a last answer came and nothing more is asked. */
    void Play()
    {
        for (int idle = 0;;) {
            MQLONG rc = Take();
            if (rc == MQRC_NO_MSG_AVAILABLE) {
                bool done = false;
                for (const PcfPart &a : Answers())
                    done = done || a.cfh.Control == MQCFC_LAST;
                if ((done && ++idle >= 5) || ++idle >= 100)
                    break;
                continue;
            }
            ASSERT_EQ(rc, 0);
            idle = 0;
            Answer(got.back());
        }
    }
    /* An identity publication of a stream: common part, then per identity
     * queue manager, queue and whatever else is given. */
    std::vector<uint8_t> Publication(const char *kind, const std::string &topic,
                                     const std::vector<std::vector<std::pair<int32_t, std::string>>> &ids)
    {
        Pcf pub(MQCMD_PUBLISH);
        pub.Str(MQCACF_TOPIC, Prefix(kind) + topic).Int(MQIACF_PUBLICATION_OPTIONS, 0);
        for (const auto &id : ids)
            for (const auto &f : id)
                pub.Str(f.first, f.second);
        return Head(pub.Data(), MQCFT_COMMAND, 0);
    }
};

std::vector<std::pair<int32_t, std::string>> Identity(const char *qm, const char *queue, const char *sub,
                                                      const std::string &correl = std::string(48, '0'))
{
    return { { MQCACF_REG_Q_MGR_NAME, qm }, { MQCACF_REG_Q_NAME, queue }, { MQCACF_REG_SUB_NAME, sub },
             { MQCACF_REG_CORREL_ID, correl } };
}

TEST_F(Broker, OneStreamRegistersAsksAndDeregistersAndAnswersTheFirstIdentity)
{
    Start("PSQA", LF_NPSAI);
    /* the program's own registration comes first and is dropped: its
     * correlation id is only known once the broker has the command, so
     * the publications are written when the update is asked */
    Pcf q(MYCMD_INQUIRE_SUBSCRIBER);
    q.Str(MQCACF_STREAM_NAME, "APP.STREAM").Str(MQCACF_TOPIC, "prices/#");
    Ask(q);
    /* first command: read it to learn the correlation id */
    for (int i = 0; i < 100 && got.empty(); i++)
        Take();
    ASSERT_EQ(got.size(), 1u);
    std::string own = Hex(got[0].md.CorrelId, 24);
    pubs["APP.STREAM"] = {
        Publication("Subscribers", "prices/#", { Identity("PSQA", "RAVOLT.REPLY", "RAVOLT", own) }),
        Publication("Subscribers", "prices/#", { Identity("PSQB", "APP.IN", "first") }),
        Publication("Subscribers", "prices/#", { Identity("PSQC", "APP.IN2", "second") }),
    };
    Answer(got[0]);
    Play();

    /* the broker's commands: register, update, deregister, in order */
    ASSERT_EQ(got.size(), 3u);
    const int32_t commands[] = { MQCMD_REGISTER_SUBSCRIBER, MQCMD_REQUEST_UPDATE, MQCMD_DEREGISTER_SUBSCRIBER };
    const std::vector<int32_t> orders[] = {
        { MQCACF_TOPIC, MQIACF_REGISTRATION_OPTIONS, MQCACF_STREAM_NAME, MQCACF_SUBSCRIPTION_NAME, MQCA_Q_MGR_NAME,
          MQCA_Q_NAME },
        { MQCACF_TOPIC, MQIACF_REGISTRATION_OPTIONS, MQCACF_STREAM_NAME, MQCA_Q_MGR_NAME, MQCA_Q_NAME },
        { MQCACF_TOPIC, MQIACF_REGISTRATION_OPTIONS, MQCACF_STREAM_NAME, MQCACF_SUBSCRIPTION_NAME, MQCA_Q_MGR_NAME,
          MQCA_Q_NAME },
    };
    MQELOC *e = MQELocOf(r);
    for (size_t i = 0; i < 3; i++) {
        const Got &c = got[i];
        EXPECT_EQ(c.p.head.Command, commands[i]) << i;
        EXPECT_EQ(c.p.order, orders[i]) << i;
        EXPECT_EQ(c.p.ints.at(MQIACF_REGISTRATION_OPTIONS), i == 0 ? 1185 : 1) << i;
        EXPECT_EQ(c.Str(MQCACF_TOPIC), Prefix("Subscribers") + "prices/#");
        EXPECT_EQ(c.Str(MQCACF_STREAM_NAME), "APP.STREAM");
        if (i != 1) {
            EXPECT_EQ(c.Str(MQCACF_SUBSCRIPTION_NAME), "RAVOLT");
        }
        EXPECT_EQ(c.Str(MQCA_Q_MGR_NAME), "PSQA");
        EXPECT_EQ(c.Str(MQCA_Q_NAME), e->replyQ);
        EXPECT_EQ(c.md.Report, MQRO_PASS_MSG_ID | MQRO_PASS_CORREL_ID);
        EXPECT_EQ(c.md.MsgType, MQMT_REQUEST);
        EXPECT_EQ(c.md.Expiry, 3000);
        EXPECT_EQ(std::string(c.md.Format, 8), "MQPCF   ");
        EXPECT_EQ(Trim(c.md.ReplyToQ, 48), e->replyQ);
        EXPECT_EQ(c.md.MsgId[0], 2);
        uint32_t sequence;
        memcpy(&sequence, c.md.MsgId + 4, 4);
        EXPECT_EQ(sequence, i + 1);
        EXPECT_EQ(memcmp(c.md.MsgId + 8, got[0].md.MsgId + 8, 16), 0);
        EXPECT_EQ(memcmp(c.md.CorrelId, got[0].md.CorrelId, 24), 0) << "one stream, one correlation id";
    }
    EXPECT_NE(Hex(got[0].md.CorrelId, 24), std::string(48, '0'));

    /* without an attribute list: the first identity not our own, renamed,
     * marked last, and nothing after it */
    std::vector<PcfPart> a = Answers();
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].walkReason, PCF_RC_END_OF_PARMS);
    EXPECT_EQ(a[0].cfh.Command, MYCMD_INQUIRE_SUBSCRIBER);
    EXPECT_EQ(a[0].cfh.Control, MQCFC_LAST);
    EXPECT_EQ(a[0].cfh.Reason, 0);
    EXPECT_EQ(a[0].Str(MQCACF_TOPIC), "prices/#");
    EXPECT_EQ(a[0].Str(MQCA_Q_MGR_NAME), "PSQB");
    EXPECT_EQ(a[0].Str(MQCA_Q_NAME), "APP.IN");
    EXPECT_EQ(a[0].Str(MQCACF_SUBSCRIPTION_NAME), "first");
    EXPECT_FALSE(a[0].Has(MQCACF_REG_SUB_NAME));
    EXPECT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
}

TEST_F(Broker, AnAttributeListAnswersEveryIdentityThatPassesTheFilters)
{
    Start("PSQL");
    pubs["S1"] = {
        Publication("Publishers", "t", { Identity("QMX", "Q.A", "a"), Identity("QMY", "Q.B", "b"),
                                         Identity("QMX", "Q.C", "c") }),
        Publication("Publishers", "t", { Identity("QMY", "Q.D", "d") }),
    };
    Pcf q(MYCMD_INQUIRE_PUBLISHER);
    q.Str(MQCACF_STREAM_NAME, "S1").Str(MQCACF_TOPIC, "t").Str(MQCA_Q_MGR_NAME, "QMX");
    q.Ints(MYPCFA_PUB_ATTRS, { MQCACF_STREAM_NAME, MQCA_Q_NAME });
    Ask(q);
    Play();
    std::vector<PcfPart> a = Answers();
    /* the first publication's two QMX identities in one response, the
     * second publication has none, then the final last response */
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].cfh.Control, MQCFC_NOT_LAST);
    EXPECT_EQ(a[0].walkReason, PCF_RC_END_OF_PARMS);
    std::vector<std::string> queues;
    int separators = 0;
    MQPP pp;
    MQLONG command, cc, rc;
    PCFInitParse(&pp, a[0].raw.data(), (int32_t)a[0].raw.size(), &command, &cc, &rc);
    for (;;) {
        MQLONG type, id, n, count;
        void *v;
        PCFGetNextParm(&pp, &type, &id, &v, &n, &count, &cc, &rc);
        if (cc)
            break;
        if (id == ZKT_OBJECT_SEPARATOR)
            separators++;
        if (id == MQCA_Q_NAME)
            queues.push_back(Trim((const char *)v, (size_t)n));
        if (id == MQCACF_TOPIC) {
            EXPECT_EQ(Trim((const char *)v, (size_t)n), "t");
        }
    }
    EXPECT_EQ(rc, PCF_RC_END_OF_PARMS) << "count and lengths agree";
    EXPECT_EQ(queues, (std::vector<std::string>{ "Q.A", "Q.C" }));
    EXPECT_EQ(separators, 1);
    EXPECT_EQ(a[1].cfh.Control, MQCFC_LAST);
    EXPECT_EQ(a[1].cfh.Command, MYCMD_INQUIRE_PUBLISHER);
    EXPECT_EQ(a[1].cfh.Reason, 0);
    EXPECT_EQ(Prefix("Publishers").rfind("MQ/S/", 0), 0u);
}

TEST_F(Broker, AQueueFilterAndASubscriptionPatternTakeOnlyWhatMatches)
{
    Start("PSQF");
    pubs["S1"] = {
        Publication("Subscribers", "t", { Identity("QMX", "Q.A", "alpha") }),
        Publication("Subscribers", "t", { Identity("QMX", "Q.B", "beta") }),
        Publication("Subscribers", "t", { Identity("QMX", "Q.B", "bravo") }),
    };
    Pcf q(MYCMD_INQUIRE_SUBSCRIBER);
    q.Str(MQCACF_STREAM_NAME, "S1").Str(MQCACF_TOPIC, "t").Str(MQCA_Q_NAME, "Q.B");
    q.Str(MQCACF_SUBSCRIPTION_NAME, "br*").Ints(MYPCFA_SUB_ATTRS, { MQCA_Q_NAME });
    Ask(q);
    Play();
    std::vector<PcfPart> a = Answers();
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].Str(MQCACF_SUBSCRIPTION_NAME), "bravo");
    EXPECT_EQ(a[1].cfh.Control, MQCFC_LAST);
}

TEST_F(Broker, AStreamPatternLearnsTheStreamsThenRegistersOnEachMatch)
{
    Start("PSQP");
    std::string longName = "APP." + std::string(56, 'L');
    streams = { "APP.ONE", "OTHER", longName, "APP.TWO" };
    pubs["APP.TWO"] = { Publication("Subscribers", "t", { Identity("QMX", "Q.TWO", "two") }) };
    Pcf q(MYCMD_INQUIRE_SUBSCRIBER);
    q.Str(MQCACF_STREAM_NAME, "APP.*").Str(MQCACF_TOPIC, "t");
    Ask(q);
    Play();
    /* stream support: register and update on the admin stream, then its
     * deregistration, then a registration per matching stream, each with a
     * correlation id of its own */
    std::vector<std::pair<int32_t, std::string>> seen;
    std::map<std::string, std::string> correl;
    for (const Got &c : got) {
        seen.push_back({ c.p.head.Command, c.Str(MQCACF_STREAM_NAME) });
        std::string id((const char *)c.md.CorrelId, 24);
        std::string s = c.Str(MQCACF_STREAM_NAME);
        if (correl.count(s)) {
            EXPECT_EQ(correl[s], id) << s;
        }
        correl[s] = id;
    }
    ASSERT_GE(seen.size(), 5u);
    EXPECT_EQ(seen[0], std::make_pair((int32_t)MQCMD_REGISTER_SUBSCRIBER, std::string("SYSTEM.BROKER.ADMIN.STREAM")));
    EXPECT_EQ(got[0].Str(MQCACF_TOPIC), std::string("MQ/") + qm48 + "/StreamSupport");
    EXPECT_EQ(seen[1], std::make_pair((int32_t)MQCMD_REQUEST_UPDATE, std::string("SYSTEM.BROKER.ADMIN.STREAM")));
    EXPECT_EQ(seen[2], std::make_pair((int32_t)MQCMD_DEREGISTER_SUBSCRIBER, std::string("SYSTEM.BROKER.ADMIN.STREAM")));
    int registers = 0;
    for (const auto &s : seen)
        if (s.first == MQCMD_REGISTER_SUBSCRIBER && s.second != "SYSTEM.BROKER.ADMIN.STREAM") {
            registers++;
            EXPECT_TRUE(s.second == "APP.ONE" || s.second == "APP.TWO") << s.second;
        }
    EXPECT_EQ(registers, 2) << "the 60-character name is passed over, never cut";
    int adminDeregisters = 0;
    for (const auto &s : seen)
        adminDeregisters += s.first == MQCMD_DEREGISTER_SUBSCRIBER && s.second == "SYSTEM.BROKER.ADMIN.STREAM";
    EXPECT_EQ(adminDeregisters, 1);
    EXPECT_EQ(correl.size(), 3u);
    EXPECT_NE(correl["APP.ONE"], correl["APP.TWO"]);
    std::vector<PcfPart> a = Answers();
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].Str(MQCA_Q_NAME), "Q.TWO");
}

TEST_F(Broker, NothingFoundAndARefusedRegistrationEndTheQuery)
{
    Start("PSQN");
    Pcf q(MYCMD_INQUIRE_SUBSCRIBER);
    q.Str(MQCACF_STREAM_NAME, "EMPTY").Str(MQCACF_TOPIC, "t");
    Ask(q, '1');
    Play();
    std::vector<PcfPart> a = Answers();
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].cfh.Reason, MQRCCF_NONE_FOUND);
    EXPECT_EQ(a[0].Text(), "None Found");
    EXPECT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));

    {
        std::lock_guard<std::mutex> g(answersLock);
        answers.clear();
    }
    got.clear();
    registerReason = 3074;
    Ask(q, '2');
    Play();
    a = Answers();
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].cfh.Reason, 3074);
    EXPECT_EQ(a[0].cfh.Control, MQCFC_LAST);
    EXPECT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
}

TEST_F(Broker, BadRequestsAreAnsweredWithoutAQuery)
{
    Start("PSQV");
    struct Case {
        std::function<void(Pcf &)> fill;
        int32_t reason, parm, value;
    } cases[] = {
        { [](Pcf &p) { p.Str(MQCACF_TOPIC, "t"); }, MQRCCF_CFST_PARM_ID_ERROR, MQIACF_PARAMETER_ID, MQCACF_STREAM_NAME },
        { [](Pcf &p) { p.Str(MQCACF_STREAM_NAME, "S"); }, MQRCCF_CFST_PARM_ID_ERROR, MQIACF_PARAMETER_ID, MQCACF_TOPIC },
        { [](Pcf &p) { p.Str(MQCACF_STREAM_NAME, "S").Str(MQCACF_TOPIC, "t").Int(MQIA_Q_TYPE, 1); },
          MQRCCF_CFIN_PARM_ID_ERROR, MQIACF_SELECTOR, MQIA_Q_TYPE },
        { [](Pcf &p) { p.Str(MQCACF_STREAM_NAME, "S").Str(MQCACF_TOPIC, "t").Ints(MYPCFA_SUB_ATTRS, { 3030, 2017 }); },
          MQRCCF_ATTR_VALUE_ERROR, MQIACF_ERROR_IDENTIFIER, 2017 },
        { [](Pcf &p) { p.Str(MQCACF_STREAM_NAME, std::string(49, 'S')).Str(MQCACF_TOPIC, "t"); },
          MQRCCF_CFST_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, MQCACF_STREAM_NAME },
        { [](Pcf &p) { p.Str(MQCACF_STREAM_NAME, "S").Str(MQCACF_TOPIC, std::string(257, 't')); },
          MQRCCF_CFST_STRING_LENGTH_ERR, MQIACF_PARAMETER_ID, MQCACF_TOPIC },
    };
    char tag = 'a';
    for (Case &c : cases) {
        {
            std::lock_guard<std::mutex> g(answersLock);
            answers.clear();
        }
        Pcf q(MYCMD_INQUIRE_SUBSCRIBER);
        c.fill(q);
        Ask(q, tag++);
        ASSERT_TRUE(WaitFor([] { return !Answers().empty(); })) << tag;
        std::vector<PcfPart> a = Answers();
        EXPECT_EQ(a[0].cfh.Reason, c.reason) << tag;
        EXPECT_EQ(a[0].Int(c.parm), c.value) << tag;
    }
    EXPECT_EQ(Depth("PSQV", Control), 0);
}

/* A query sent by the command engine without a dialog: the request goes
 * to the location's own reply queue and the responses come back through
 * the reply callback. */
const PCFCommandUse QueryUse[] = { { MYCMD_INQUIRE_SUBSCRIBER, nullptr, 0 }, { 0, nullptr, 0 } };
const PCFFieldDef StreamField = { 0, 0, 0, "Stream Name", "stream", QueryUse, 0, nullptr, "Stream", MQCACF_STREAM_NAME, 4, 0,
                                  48, nullptr, 0 };
const PCFFieldDef TopicField = { 0, 0, 0, "Topic", "topic", QueryUse, 0, nullptr, "Topic", MQCACF_TOPIC, 4, 0, 256, nullptr,
                                 0 };
PCFFieldEntry QueryFields[] = {
    { 0, 0, 0, nullptr, &StreamField, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &TopicField, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 },
};
const PCFActionDef QueryActions[] = {
    { 0, 0, 0, MYCMD_INQUIRE_SUBSCRIBER, PCFID_DEFAULT, nullptr, "&Refresh", 0, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr },
};
PCFCommandDef QueryDef = { 0, 0, 0, "Subscribers", QueryActions, QueryFields, 0, 0, nullptr, nullptr, 0, 0, 0x2, 0,
                           nullptr, nullptr, nullptr };

std::vector<PcfPart> called;
void Collect(IFCMD *, uint32_t, const uint8_t *data, uint32_t length, uint32_t, const char *)
{
    std::lock_guard<std::mutex> g(answersLock);
    if (data)
        called.push_back(ParsePart(data, length));
}

TEST_F(Broker, TheCommandEngineSendsAQueryAndTakesItsAnswer)
{
    Start("PSQE");
    pubs["S1"] = { Publication("Subscribers", "t", { Identity("QMX", "Q.A", "a") }) };
    PCFPrepareDef(&QueryDef);
    uint8_t *area = (uint8_t *)CSGetMem(QueryDef.dataSize ? QueryDef.dataSize : 1, "Query Area");
    PCFInitData(&QueryDef, area, nullptr, 0, 0, 0);
    char message[200];
    ASSERT_EQ(PCFStoreText(&QueryDef, area, &QueryFields[0], "S1", -1, message, sizeof message), 0) << message;
    ASSERT_EQ(PCFStoreText(&QueryDef, area, &QueryFields[1], "t", -1, message, sizeof message), 0) << message;
    called.clear();
    ASSERT_EQ(PCFDoCommand(nullptr, 0, 1, PCFID_DEFAULT, &QueryDef, area, nullptr, r, 1, 0, Collect, nullptr, nullptr), 0);
    for (int i = 0; i < 100 && got.empty(); i++)
        Take();
    ASSERT_FALSE(got.empty());
    Answer(got[0]);
    for (int i = 0; i < 50 && got.size() < 3; i++) {
        if (Take() == 0)
            Answer(got.back());
    }
    EXPECT_TRUE(WaitFor([] {
        std::lock_guard<std::mutex> g(answersLock);
        return !called.empty();
    }));
    {
        std::lock_guard<std::mutex> g(answersLock);
        ASSERT_EQ(called.size(), 1u);
        EXPECT_EQ(called[0].cfh.Command, MYCMD_INQUIRE_SUBSCRIBER);
        EXPECT_EQ(called[0].Str(MQCA_Q_NAME), "Q.A");
    }
    EXPECT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
    PCFFreeData(&QueryDef, area, 1);
}

/* Publications and broker replies cut at every length and mutated, given
 * to a waiting query on this thread: whatever goes out is a whole PCF
 * message, and the query ends cleanly afterwards. */
TEST_F(Broker, DamagedPublicationsAndRepliesAreReadSafely)
{
    Start("PSQZ");
    Pcf q(MYCMD_INQUIRE_SUBSCRIBER);
    q.Str(MQCACF_STREAM_NAME, "S1").Str(MQCACF_TOPIC, "t").Str(MQCA_Q_MGR_NAME, "QMX").Str(MQCACF_SUBSCRIPTION_NAME, "*");
    q.Ints(MYPCFA_SUB_ATTRS, { MQCA_Q_NAME });
    Ask(q);
    for (int i = 0; i < 100 && got.empty(); i++)
        Take();
    ASSERT_EQ(got.size(), 1u);
    std::vector<uint8_t> pub = Publication("Subscribers", "t", { Identity("QMX", "Q.A", "a"), Identity("QMY", "Q.B", "b"),
                                                                 Identity("QMX", "Q.C", "c") });
    MQMD md = {MQMD_DEFAULT};
    md.MsgType = MQMT_DATAGRAM;
    memcpy(md.Format, "MQPCF   ", 8);
    memcpy(md.CorrelId, got[0].md.CorrelId, 24);
    MQHCONN getConn = r->getThread.hConn;
    auto give = [&](const std::vector<uint8_t> &m) {
        MQMD d = md;
        ProcessCommand(r, nullptr, getConn, &d, (void *)m.data(), (int32_t)m.size());
    };
    fuzz::Rng rng = { 30 };
    for (size_t n = 0; n <= pub.size(); n++)
        give(std::vector<uint8_t>(pub.begin(), pub.begin() + (long)n));
    for (int i = 0; i < fuzz::Mutations() * 20; i++)
        give(fuzz::Mutate(pub, rng));
    for (const PcfPart &a : Answers())
        ASSERT_EQ(a.walkReason, PCF_RC_END_OF_PARMS);
    EXPECT_GT(Answers().size(), 1u);
    /* damaged broker replies: none ends the query early but a last one */
    std::vector<uint8_t> reply = Head(Pcf(MQCMD_REGISTER_SUBSCRIBER).Data(), MQCFT_RESPONSE, 0);
    MQCFH notLast;
    memcpy(&notLast, reply.data(), sizeof notLast);
    notLast.Control = MQCFC_NOT_LAST;
    memcpy(reply.data(), &notLast, sizeof notLast);
    for (size_t n = 0; n < reply.size(); n++) {
        MQMD rmd = got[0].md;
        rmd.MsgType = MQMT_REPLY;
        std::vector<uint8_t> cut(reply.begin(), reply.begin() + (long)n);
        ProcessResponse(r, (uint32_t)getConn, &rmd, cut.data(), (uint32_t)cut.size());
    }
    EXPECT_EQ(IfcmdCount(), 1);
    Answer(got[0]);
    Play();
    EXPECT_TRUE(WaitFor([] { return IfcmdCount() == 0; }));
    EXPECT_EQ(Answers().back().cfh.Control, MQCFC_LAST);
}

}  // namespace
