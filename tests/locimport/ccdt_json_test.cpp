/* JSON channel tables: every real sample against its golden file, the
 * samples' particular contents, the reader's rules on written tables
 * (members, arrays, connections, local addresses, exits, compression,
 * times, widths), finding the file, and searching the channel list. */
#include "ccdtdump.h"

using namespace loctest;
using namespace ccdtdump;

namespace {

std::vector<std::string> JsonSamples()
{
    std::vector<std::string> names;
    for (auto &e : std::filesystem::directory_iterator(Sample("ccdt-json", "")))
        if (e.path().extension() != ".txt")
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

/* Reads a table text: the messages (without the file name) and channels. */
struct Read {
    std::vector<std::string> messages;
    std::vector<std::vector<uint8_t>> channels;
    int ok = 0;
    explicit Read(const std::string &text)
    {
        auto report = [](void *ctx, int, const char *t) { ((Read *)ctx)->messages.push_back(t); };
        auto sink = [](void *ctx, CHLDEF *c) {
            uint8_t *p = (uint8_t *)c;
            ((Read *)ctx)->channels.emplace_back(p, p + CHL_LENGTH(c));
            CSFreeMem(c);
        };
        ok = JsonReadText(text.data(), text.size(), "t.json", report, this, sink, this);
    }
    CHLDEF *c(size_t i = 0) { return (CHLDEF *)channels.at(i).data(); }
    bool Said(const std::string &m) const
    {
        return std::find(messages.begin(), messages.end(), m) != messages.end();
    }
};

std::string Wrap(const std::string &members)
{
    return "{\"channel\": [{\"name\": \"C1\", " + members + "}]}";
}

}  // namespace

/* ---- the real samples ------------------------------------------------------------ */

TEST(JsonSamples, GoldenFieldsAndMessagesOfEverySample)
{
    std::vector<std::string> names = JsonSamples();
    ASSERT_GE(names.size(), 16u);
    std::string dir = Sample("ccdt-json", "");
    for (const std::string &name : names) {
        int loaded = 0;
        std::string out = Unfold(WalkJson(dir + name, &loaded), dir);
        EXPECT_EQ(loaded, 1) << name;
        EXPECT_EQ("", CompareGolden("golden/" + name + ".golden", out)) << name;
    }
    JsonCcdtFree();
}

TEST(JsonSamples, WhatTheSamplesHold)
{
    std::string dir = Sample("ccdt-json", "");
    auto load = [&](const char *name) {
        Read r(ReadText(dir + name));
        EXPECT_EQ(r.ok, 1) << name;
        return r;
    };
    /* a connection list */
    Read list = load("Jencheng1__jms-2__mq_ccdt_ccdt.json");
    EXPECT_EQ(TRIM(list.c()->cd.ConnectionName), "10.10.10.10(1414),10.10.10.11(1414),10.10.10.12(1414)");
    /* compression, local address range and alter time */
    Read all = load("colinpaicemq__MQccdt.json__MQccdt_IBMccdt.json");
    EXPECT_EQ(all.c()->cd.HdrCompList[0], 8);
    EXPECT_EQ(all.c()->cd.HdrCompList[1], -1);
    EXPECT_EQ(all.c()->cd.MsgCompList[0], 2);
    EXPECT_EQ(TRIM(all.c()->cd.LocalAddress), "(2020,3030)");
    EXPECT_EQ(all.c()->alterTime, 1543937842);
    EXPECT_EQ(all.c()->cd.KeepAliveInterval, -1);
    EXPECT_EQ(all.c()->cd.DefReconnect, 1);
    /* trailing commas pass */
    Read ssl = load("bdsaen__mqtoolbox__MQSamples_AMQCLCHL_QMGR1_SSL.JSON");
    ASSERT_EQ(ssl.channels.size(), 1u);
    EXPECT_EQ(TRIM(ssl.c()->cd.SSLCipherSpec), "ECDHE_RSA_AES_256_GCM_SHA384");
    EXPECT_EQ(load("bdsaen__mqtoolbox__MQSamples_AMQCLCHL_QMGR_GROUP.JSON").channels.size(), 2u);
    /* a byte-order mark */
    Read bom = load("ibm-messaging__mq-dev-patterns__dotnet_ccdt.json");
    EXPECT_EQ(bom.channels.size(), 3u);
    EXPECT_TRUE(bom.messages.empty());
    /* a member IBM's schema does not have */
    Read odd = load("ewiger__ibm-mq-mtls__client_ccdt.json");
    EXPECT_TRUE(odd.Said("At line 7 of file 't.json', unrecognised field name 'queueManagerName' found"));
    EXPECT_EQ(TRIM(odd.c()->cd.QMgrName), "");
}

TEST(JsonSamples, OrdinalsOfChannelsOfOneName)
{
    char spec[CHL_PATH_SIZE];
    snprintf(spec, sizeof spec, "%s", Sample("ccdt-json", "Jencheng1__jms-2__mq_ccdt_ccdt-uniform.json").c_str());
    ASSERT_EQ(LoadJsonCcdt(nullptr, nullptr, spec, 0), 1);
    RCHN *h;
    char error[CHL_ERROR_SIZE];
    ASSERT_EQ(RchnOpenJson(&h, spec, error), 0);
    std::vector<uint8_t> b(CHL_BUFFER);
    CHLDEF *c = (CHLDEF *)b.data();
    JSONSEARCH s = {};
    std::vector<int> ordinals;
    size_t n = b.size();
    for (int rc = RchnFirstJson(h, &s, &n, c); rc == 0; n = b.size(), rc = RchnNextJson(h, &s, &n, c)) {
        EXPECT_EQ(TRIM(c->cd.ChannelName), "APP.SVRCONN");
        ordinals.push_back(s.currentOrdinal);
    }
    EXPECT_EQ(ordinals, (std::vector<int>{1, 2, 3}));

    /* found by name and ordinal, by position, by queue-manager pattern */
    JSONSEARCH find = {};
    find.channelPattern = "APP.*";
    find.channelLength = 5;
    find.ordinal = 2;
    n = b.size();
    ASSERT_EQ(RchnFindJson(h, &find, &n, c, error), 0);
    EXPECT_EQ(TRIM(c->cd.QMgrName), "QM2");
    find = JSONSEARCH{};
    find.channelPattern = "APP.SVRCONN";
    find.channelLength = 11;
    find.qmPattern = "QM?";
    find.qmLength = 3;
    find.position = 3;
    n = b.size();
    ASSERT_EQ(RchnFindJson(h, &find, &n, c, error), 0);
    EXPECT_EQ(TRIM(c->cd.QMgrName), "QM3");
    find.qmPattern = "qm3";                /* compared with regard to case */
    EXPECT_EQ(RchnFindJson(h, &find, &n, c, error), RCHN_NOTFOUND);
    EXPECT_STREQ(error, "AMQ8147: WebSphere MQ channel 'APP.SVRCONN' not found");
    /* the caller's length bounds the copy */
    n = 100;
    s = JSONSEARCH{};
    EXPECT_EQ(RchnFirstJson(h, &s, &n, c), 0);
    EXPECT_EQ(n, 100u);
    RchnCloseJson(h);
    JsonCcdtFree();
}

/* ---- the reader's rules ------------------------------------------------------------- */

TEST(JsonReader, TablesThatAreNot)
{
    Read array("[{\"channel\": []}]");
    EXPECT_EQ(array.ok, 0);
    EXPECT_TRUE(array.Said("CCDT file 't.json' does not appear to be a JSON file"));
    Read other("{\"queue\": []}");
    EXPECT_EQ(other.ok, 0);
    EXPECT_TRUE(other.Said("CCDT file 't.json' does not appear to contain channel definitions"));
    Read empty("{\"channel\": []}");
    EXPECT_EQ(empty.ok, 1);
    EXPECT_TRUE(empty.channels.empty());
    Read missing("{\"channel\" [ {\"name\": \"X\"} ]}");
    EXPECT_TRUE(missing.Said("At line 1 of file 't.json', '[' found where ':' expected"));
    EXPECT_EQ(missing.channels.size(), 1u);
    /* an element without its "{": its members up to the "}" are a channel */
    Read stray("{\"channel\": [ \"name\": \"LOOSE\", \"type\": \"clientConnection\"} ]}");
    EXPECT_TRUE(stray.Said("At line 1 of file 't.json', 'name' found where channel definition expected"));
    EXPECT_EQ(stray.messages.size(), 1u);
    ASSERT_EQ(stray.channels.size(), 1u);
    EXPECT_EQ(TRIM(stray.c(0)->cd.ChannelName), "LOOSE");
}

/* A damaged table keeps every channel it can: an element without its
 * "{" is read as one with a message, a table cut off says so, and a
 * number out of range is refused naming its field and channel. */
TEST(JsonReader, DamagedTablesKeepWhatIsReadable)
{
    Read mixed("{\"channel\": [ \"name\": \"A\"}, {\"name\": \"B\"},\n \"name\": \"C\", \"colour\": 5},"
               " {\"name\": \"D\"} ]}");
    ASSERT_EQ(mixed.channels.size(), 4u);
    for (size_t i = 0; i < 4; i++)
        EXPECT_EQ(TRIM(mixed.c(i)->cd.ChannelName), std::string(1, (char)('A' + i)));
    EXPECT_TRUE(mixed.Said("At line 1 of file 't.json', 'name' found where channel definition expected"));
    EXPECT_TRUE(mixed.Said("At line 2 of file 't.json', 'name' found where channel definition expected"));
    EXPECT_TRUE(mixed.Said("At line 2 of file 't.json', unrecognised field name 'colour' found"));
    EXPECT_EQ(mixed.messages.size(), 3u);
    Read open("{\"channel\": [ {\"name\": \"A\"}, \"name\": \"B\"");
    ASSERT_EQ(open.channels.size(), 1u);
    EXPECT_TRUE(open.Said("At line 1 of file 't.json', the file ends inside channel 'B': the table is "
                          "cut off and that channel is not read"));

    Read cut("{\"channel\": [ {\"name\": \"A\"}, {\"name\": \"B\"");
    ASSERT_EQ(cut.channels.size(), 1u);
    EXPECT_TRUE(cut.Said("At line 1 of file 't.json', the file ends inside channel 'B': the table is "
                         "cut off and that channel is not read"));
    Read after("{\"channel\": [ {\"name\": \"A\"}, {\"name\": \"B\"}");
    EXPECT_EQ(after.channels.size(), 2u);
    EXPECT_TRUE(after.Said("At line 1 of file 't.json', the file ends before the end of the channel "
                           "list: the table is cut off"));
    Read whole("{\"channel\": [ {\"name\": \"A\"} ]}");
    EXPECT_TRUE(whole.messages.empty());

    Read numbers("{\"channel\": [{\"name\": \"N1\", \"clientConnection\": {\"connection\": "
                 "[{\"host\": \"h\", \"port\": 99999999999999999999}]}, \"connectionManagement\": "
                 "{\"heartbeatInterval\": -5, \"sharingConversations\": 3, \"clientWeight\": \"12abc\","
                 " \"keepAliveInterval\": 100000, \"localAddress\": {\"port\": 70000}}}]}");
    ASSERT_EQ(numbers.channels.size(), 1u);
    CHLDEF *n = numbers.c();
    EXPECT_EQ(TRIM(n->cd.ConnectionName), "h");
    EXPECT_TRUE(numbers.Said("At line 1 of file 't.json', value 99999999999999999999 of field 'port' in "
                             "channel 'N1' is out of range (0 to 65535); the field is not set"));
    EXPECT_EQ(n->cd.HeartbeatInterval, 1);           /* the default stays */
    EXPECT_TRUE(numbers.Said("At line 1 of file 't.json', value -5 of field 'heartbeatInterval' in "
                             "channel 'N1' is out of range (0 to 999999); the field is not set"));
    EXPECT_EQ(n->cd.SharingConversations, 3);
    EXPECT_EQ(n->cd.ClientChannelWeight, 0);
    EXPECT_TRUE(numbers.Said("At line 1 of file 't.json', value '12abc' of field 'clientWeight' in "
                             "channel 'N1' is not a number; the field is not set"));
    EXPECT_EQ(n->cd.KeepAliveInterval, -1);
    EXPECT_TRUE(numbers.Said("At line 1 of file 't.json', value 100000 of field 'keepAliveInterval' in "
                             "channel 'N1' is out of range (-1 to 99999); the field is not set"));
    EXPECT_EQ(TRIM(n->cd.LocalAddress), "");
    EXPECT_EQ(numbers.messages.size(), 5u);
}

TEST(JsonReader, ConnectionsLocalAddressesAndWidths)
{
    Read two(Wrap("\"clientConnection\": {\"connection\": [{\"host\": \"h1\", \"port\": 1414},"
                  "{\"host\": \"h2\", \"port\": 1415}, {\"port\": 7}, {\"host\": \"h4\"}]}"));
    EXPECT_EQ(TRIM(two.c()->cd.ConnectionName), "h1(1414),h2(1415),(7),h4");

    Read range(Wrap("\"connectionManagement\": {\"localAddress\": [{\"host\": \"a\", \"portRange\": "
                    "{\"low\": 1000, \"high\": 2000}}]}"));
    EXPECT_EQ(TRIM(range.c()->cd.LocalAddress), "a(1000,2000)");
    EXPECT_TRUE(range.messages.empty());
    Read both(Wrap("\"connectionManagement\": {\"localAddress\": [{\"host\": \"a\", \"port\": 9, "
                   "\"portRange\": {\"low\": 1000, \"high\": 2000}}]}"));
    EXPECT_EQ(TRIM(both.c()->cd.LocalAddress), "a(1000,2000)");
    EXPECT_TRUE(both.Said("At line 1 of file 't.json', 'port' ignored because port range specified"));
    Read low(Wrap("\"connectionManagement\": {\"localAddress\": [{\"portRange\": {\"low\": 5}}, {\"host\": \"b\"}]}"));
    EXPECT_EQ(TRIM(low.c()->cd.LocalAddress), "(5),b");

    /* a list too long for its field is cut to it and says so */
    std::string hosts;
    for (int i = 0; i < 30; i++)
        hosts += std::string(i ? "," : "") + "{\"host\": \"host" + std::to_string(i) + ".example\", \"port\": 1414}";
    Read many(Wrap("\"clientConnection\": {\"connection\": [" + hosts + "]}"));
    std::string conn(many.c()->cd.ConnectionName, 264);
    EXPECT_EQ(conn.substr(0, 26), "host0.example(1414),host1.");
    EXPECT_NE(conn.back(), ' ');
    EXPECT_TRUE(many.Said("At line 1 of file 't.json', value of field 'connection' truncated"));
    Read wide(Wrap("\"connectionManagement\": {\"localAddress\": [{\"host\": \"" + std::string(60, 'w') + "\"}]}"));
    EXPECT_EQ(TRIM(wide.c()->cd.LocalAddress), std::string(48, 'w'));
    EXPECT_TRUE(wide.Said("At line 1 of file 't.json', value of field 'host' truncated"));

    /* text copies: a second value and a long value */
    Read twice(Wrap("\"general\": {\"description\": \"one\", \"description\": \"" + std::string(70, 'd') + "\"}"));
    EXPECT_EQ(TRIM(twice.c()->cd.Desc), std::string(64, 'd'));
    EXPECT_TRUE(twice.Said("At line 1 of file 't.json', field 'description' duplicated"));
    EXPECT_TRUE(twice.Said("At line 1 of file 't.json', value of field 'description' truncated"));
}

TEST(JsonReader, ExitsKeepNamesAndUserDataPaired)
{
    Read one(Wrap("\"exits\": {\"send\": [{\"name\": \"sx\"}], \"receive\": [{\"userData\": \"ru\"},"
                  "{\"name\": \"rx\", \"userData\": \"rv\"}], \"security\": {\"name\": \"sec\"}}"));
    CHLDEF *c = one.c();
    std::string tail((char *)CHL_TAIL(c), c->tailLength);
    EXPECT_EQ(tail, std::string("\x01\x01sx\x02\x01\x02\x01\x02rx\x02\x01ru\x02rv\x02\x01"));
    EXPECT_EQ(c->exitListsLen, (int)tail.size());
    EXPECT_EQ(TRIM(c->cd.SecurityExit), "sec");
    char error[CHL_ERROR_SIZE];
    ASSERT_EQ(ReadChannelExits(c, error), 0) << error;
    EXPECT_EQ(ExitList(c->cd.SendExitPtr), "1x128 [sx]");
    EXPECT_EQ(ExitList(c->cd.SendUserDataPtr), "1x32 []");
    EXPECT_EQ(ExitList(c->cd.ReceiveExitPtr), "2x128 [|rx]");
    FreeChannelDef(c, 0);

    Read repeated(Wrap("\"exits\": {\"send\": [{\"name\": \"a\", \"name\": \"b\"}]}"));
    EXPECT_TRUE(repeated.Said("At line 1 of file 't.json', field 'name' is repeated"));
    /* exit texts beyond their room are cut to it */
    std::string big(6000, 'x');
    Read full(Wrap("\"exits\": {\"send\": [{\"name\": \"" + big + "\"}, {\"name\": \"" + big + "\"}, {\"name\": \"z\"}]}"));
    EXPECT_TRUE(full.Said("At line 1 of file 't.json', value of field 'name' truncated"));
    EXPECT_TRUE(full.Said("At line 1 of file 't.json', no space for field 'name'"));
    EXPECT_LE(full.c()->exitListsLen, 2 + 10000 + 3 + 3);

    Read peer(Wrap("\"transmissionSecurity\": {\"certificatePeerName\": \"CN=peer\"}"));
    EXPECT_EQ(peer.c()->cd.SSLPeerNameLength, 7);
    ASSERT_EQ(ReadChannelExits(peer.c(), error), 0);
    EXPECT_STREQ((const char *)peer.c()->cd.SSLPeerNamePtr, "CN=peer");
    FreeChannelDef(peer.c(), 0);
}

TEST(JsonReader, ValueTablesNumbersAndCompression)
{
    Read r(Wrap("\"compression\": {\"header\": [\"system\", \"system\"], \"message\": "
                "[\"RLE\", \"zlibhigh\", \"best\"]}, \"connectionManagement\": {\"affinity\": \"preferred\","
                "\"defaultReconnect\": 3, \"keepAliveInterval\": \"auto\", \"clientWeight\": \"12\","
                "\"heartbeatInterval\": 999999}"));
    CHLDEF *c = r.c();
    EXPECT_EQ(c->cd.HdrCompList[0], 8);
    EXPECT_EQ(c->cd.HdrCompList[1], -1);
    EXPECT_TRUE(r.Said("At line 1 of file 't.json', repeated value 'system' for field 'header'"));
    EXPECT_EQ(c->cd.MsgCompList[0], 1);
    EXPECT_EQ(c->cd.MsgCompList[1], 4);
    EXPECT_EQ(c->cd.MsgCompList[2], -1);
    EXPECT_TRUE(r.Said("At line 1 of file 't.json', unrecognised value 'best' for field 'message'"));
    EXPECT_EQ(c->cd.ConnectionAffinity, 1);
    EXPECT_EQ(c->cd.DefReconnect, 3);
    EXPECT_EQ(c->cd.KeepAliveInterval, -1);
    EXPECT_EQ(c->cd.ClientChannelWeight, 12);
    EXPECT_EQ(c->cd.HeartbeatInterval, 999999);

    std::string seventeen;
    for (int i = 0; i < 17; i++)
        seventeen += std::string(i ? "," : "") + (i % 2 ? "\"rle\"" : "\"none\"");
    Read many(Wrap("\"compression\": {\"message\": [" + seventeen + "]}"));
    EXPECT_TRUE(many.Said("At line 1 of file 't.json', repeated value 'none' for field 'message'"));

    /* ten digits for a field with a value table: unrecognised, and 0 */
    Read ten(Wrap("\"connectionManagement\": {\"defaultReconnect\": 1234567890, \"affinity\": -5}"));
    EXPECT_EQ(ten.c()->cd.DefReconnect, 0);
    EXPECT_TRUE(ten.Said("At line 1 of file 't.json', unrecognised value '1234567890' for field 'defaultReconnect'"));
    EXPECT_EQ(ten.c()->cd.ConnectionAffinity, -5);
}

TEST(JsonReader, AlterTimeIsUtcWhateverTheZone)
{
    std::string text = Wrap("\"timestamps\": {\"altered\": \"2018-12-04T15:37:22.000Z\"}");
    for (const char *tz : {"UTC", "EST5EDT", "JST-9"}) {
        SetZone(tz);
        Read r(text);
        EXPECT_EQ(r.c()->alterTime, 1543937842) << tz;
    }
    SetZone("UTC");
    struct { const char *text; int64_t want; } zones[] = {
        {"2018-12-04T15:37:22.000", 1543937842}, {"2018-12-04T17:37:22.500+02:00", 1543937842},
        {"2018-12-04T10:07:22.000-0530", 1543937842}, {"2018-12-04T16:37:22.000+01", 1543937842},
    };
    for (auto &z : zones) {
        Read r(Wrap(std::string("\"timestamps\": {\"altered\": \"") + z.text + "\"}"));
        EXPECT_EQ(r.c()->alterTime, z.want) << z.text;
        EXPECT_TRUE(r.messages.empty()) << z.text;
    }
    for (const char *bad : {"2018-12-04T15:37:22", "2018-12-04 15:37:22.000", "2018-12-04T15:37:22.000Q",
                            "2018-12-04T15:37:22.000+1", "2018-12-04T15:37:22.000+01:0"}) {
        Read r(Wrap(std::string("\"timestamps\": {\"altered\": \"") + bad + "\"}"));
        EXPECT_TRUE(r.Said("At line 1 of file 't.json', format of field 'altered' incorrect")) << bad;
    }
    Read early(Wrap("\"timestamps\": {\"altered\": \"1970-01-01T00:00:05.000Z\"}"));
    EXPECT_TRUE(early.Said("At line 1 of file 't.json', value of field 'altered' incorrect"));
    Read again(Wrap("\"timestamps\": {\"altered\": \"2018-12-04T15:37:22.000Z\", \"altered\": \"x\"}"));
    EXPECT_TRUE(again.Said("At line 1 of file 't.json', field 'altered' duplicated"));
}

TEST(JsonReader, LayoutMembersAndEscapes)
{
    std::string spaced = "{\n  \"channel\": [\n    {\n      \"name\": \"T1\",\n      \"clientConnection\": "
                         "{\"queueManager\": \"QMT\"}\n    }\n  ]\n}\n";
    std::string tabbed = spaced;
    for (size_t at; (at = tabbed.find("  ")) != std::string::npos;)
        tabbed.replace(at, 2, "\t");
    Read a(spaced), b(tabbed);
    ASSERT_EQ(a.channels.size(), 1u);
    ASSERT_EQ(b.channels.size(), 1u);
    EXPECT_EQ(a.channels[0], b.channels[0]);

    Read colour("{\"channel\": [{\"name\": \"C\",\n\"general\": {\"colour\": \"red\", \"description\": \"d\"}}]}");
    EXPECT_TRUE(colour.Said("At line 2 of file 't.json', unrecognised field name 'colour' found"));
    EXPECT_EQ(TRIM(colour.c()->cd.Desc), "d");

    Read esc(Wrap("\"general\": {\"description\": \"q\\\"t\\tn\\u0041\\\\\"}"));
    EXPECT_EQ(TRIM(esc.c()->cd.Desc), "q\"t\tnu0041\\");
    /* members found by their last name when the path is unknown */
    Read moved(Wrap("\"other\": {\"queueManager\": \"QX\"}"));
    EXPECT_EQ(TRIM(moved.c()->cd.QMgrName), "QX");
    /* deep nesting is passed over */
    std::string deep(500, '[');
    Read nested(Wrap("\"general\": " + deep + std::string(500, ']') + ", \"type\": \"clientConnection\""));
    EXPECT_EQ(nested.channels.size(), 1u);
}

/* ---- finding the file --------------------------------------------------------------- */

TEST(JsonFile, NameDirectoryAndMessages)
{
    std::string dir = TempDir("jsonfile"), sep(1, CSPathSep);
    WriteText(dir + "/amqclchl.json", Wrap("\"type\": \"clientConnection\""));
    WriteText(dir + "/plain", Wrap("\"type\": \"clientConnection\""));
    SetEnv("MQCHLLIB", dir.c_str());
    std::vector<std::string> said;
    auto report = [](void *ctx, int severity, const char *text) {
        ((std::vector<std::string> *)ctx)->push_back(std::to_string(severity) + " " + text);
    };
    char spec[CHL_PATH_SIZE] = "*";
    EXPECT_EQ(LoadJsonCcdt(report, &said, spec, 1), 1);
    EXPECT_EQ(std::string(spec), dir + sep + "amqclchl.json");
    EXPECT_EQ(said.back(), "32 CCDT file '" + dir + sep + "amqclchl.json', 1 channels read");
    snprintf(spec, sizeof spec, "amqclchl");
    EXPECT_EQ(LoadJsonCcdt(report, &said, spec, 1), 1);
    EXPECT_EQ(std::string(spec), dir + sep + "amqclchl.json");
    /* a table named without ".json" is read under its own name */
    snprintf(spec, sizeof spec, "plain");
    EXPECT_EQ(LoadJsonCcdt(report, &said, spec, 1), 1);
    EXPECT_EQ(std::string(spec), dir + sep + "plain");
    snprintf(spec, sizeof spec, "absent");
    EXPECT_EQ(LoadJsonCcdt(report, &said, spec, 1), 0);
    EXPECT_EQ(said.back(), "32 Commands directed to file '" + dir + sep + "absent.json' (Does not exist)");
    EXPECT_EQ(JsonCcdtCount(), 0);
    WriteText(dir + "/none.json", "{\"channel\": []}");
    snprintf(spec, sizeof spec, "%s/none.json", dir.c_str());
    EXPECT_EQ(LoadJsonCcdt(report, &said, spec, 1), 1);
    EXPECT_EQ(said.back(), "32 CCDT file '" + dir + sep + "none.json', No files found");
    RCHN *h;
    char error[CHL_ERROR_SIZE];
    RchnOpenJson(&h, spec, error);
    JSONSEARCH s = {};
    std::vector<uint8_t> b(CHL_BUFFER);
    size_t n = b.size();
    EXPECT_EQ(RchnFirstJson(h, &s, &n, (CHLDEF *)b.data()), RCHN_END);
    RchnCloseJson(h);
    SetEnv("MQCHLLIB", nullptr);
}
