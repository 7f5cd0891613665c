/* CSQ replies into PCF responses: the reply state (counts, codes, the
 * queue managers to wait for, the collected text) and attribute text read
 * parameter by parameter, within the response and the value buffers. */
#include "mqsctest.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "cs.h"

using namespace cmdtest;
using namespace mqsctest;

namespace {

const PCFValueDef Colours[] = { { 0, 0, 0, 1, "Red", "RED" }, { 0, 0, 0, 2, "Blue", "BLUE" }, { 0, 0, 0, 0, "", nullptr } };
const PCFFieldDef FNames = { 0, 0, 0, "Names", "names", nullptr, 0, "NAMES", "Names", 2020, 7, 0, 48, nullptr, 0 };
const PCFFieldDef FColours = { 0, 0, 0, "Colours", "colours", nullptr, 0, "COLOURS", "Colours", 1002, 19, 0, 9, Colours, 0 };
const PCFFieldDef FFlags = { 0, 0, 0, "Flags", "flags", nullptr, 0, "FLAGS", "Flags", 1003, 24, 0, 9, Colours, 0 };
const PCFFieldDef FId = { 0, 0, 0, "Id", "id", nullptr, 0, "ID", "Id", 7001, 23, 0, 24, nullptr, 0 };
PCFFieldEntry Fields[] = {
    { 0, 0, 0, nullptr, &FNames, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FColours, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FFlags, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FId, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 },
};
const PCFActionDef Actions[] = {
    { 0, 0, 0, 36, 1, "DISPLAY THING", "&Refresh", 0, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr },
};
PCFCommandDef Thing = { 0, 0, 0, "Thing", Actions, Fields, 0, 0, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr,
                        nullptr };

/* A request in flight with its reply state. */
struct Request {
    IFCMD r = {};
    MQSCPcf *s;
    Request(const PCFCommandDef *def, uint32_t command, QMS *location = nullptr)
    {
        r.command = command;
        r.location = location;
        s = (MQSCPcf *)CSGetMem(sizeof *s, "MQSCPcf");
        memset(s, 0, sizeof *s);
        s->definition = def;
        s->command = command;
        r.mqscState = s;
    }
    ~Request() { MQSCFreeState(&r); }
    /* One reply; its PCF response parsed (empty when none). */
    Parsed Feed(const std::string &text, int *converted = nullptr)
    {
        uint8_t *pcf = nullptr;
        uint32_t n = 0;
        EXPECT_EQ(MQSCResponseToPcf(&r, nullptr, (const uint8_t *)text.data(), (uint32_t)text.size(), &pcf, &n), 0);
        if (converted)
            *converted = pcf != nullptr;
        Parsed p = pcf ? Parse(pcf, n) : Parsed();
        CSFreeMemAndClear(&pcf);
        return p;
    }
};

struct Replies : CmdFixture {};

TEST_F(Replies, SummaryCompletionAndCollectedText)
{
    PCFInitCommandDefs();
    Request q(&PCFQueueDef, MQCMD_DELETE_Q);
    q.Feed("CSQN205I   COUNT=       4, RETURN=0000000C, REASON=00000008");
    EXPECT_EQ(q.s->items, 4u);
    EXPECT_EQ(q.s->returnCode, 12u);
    EXPECT_EQ(q.s->reason, 8);
    q.Feed("CSQM125I +CSQ1 CSQMUQLC QLOCAL (Q2) QSGDISP(QMGR) WAS NOT FOUND");
    q.Feed("CSQM090E +CSQ1 CSQMUQLC FAILURE REASON CODE X'00D44002'");
    q.Feed("CSQM125I +CSQ1 CSQMUQLC AND MORE");
    EXPECT_FALSE(q.s->complete);
    q.Feed("CSQ9023E +CSQ1 CSQMUQLC ' DELETE QLOCAL' ABNORMAL COMPLETION");
    EXPECT_TRUE(q.s->complete);
    EXPECT_STREQ(q.s->text, "CSQM125I +CSQ1 CSQMUQLC QLOCAL (Q2) QSGDISP(QMGR) WAS NOT FOUND CSQMUQLC AND MORE");
    EXPECT_EQ(q.s->replies, 5u);
    /* two queue managers answer a group command */
    Request g(&PCFQueueDef, MQCMD_CHANGE_Q);
    g.Feed("CSQN137I +CSQ1 'ALTER QLOCAL' command accepted for CMDSCOPE(*), sent to 2");
    g.Feed("CSQN121I +CSQ1 'ALTER QLOCAL' command responses from QM1");
    EXPECT_STREQ(g.s->member, "QM1");
    g.Feed("CSQ9022I +CSQ1 CSQMAQLC ' ALTER QLOCAL' NORMAL COMPLETION");
    EXPECT_FALSE(g.s->complete);
    g.Feed("CSQN121I +CSQ1 'ALTER QLOCAL' command responses, no member");
    EXPECT_STREQ(g.s->member, "QM?");
    g.Feed("CSQN121I +CSQ1 'ALTER QLOCAL' command responses from Q");   /* the reply ends in the name */
    EXPECT_STREQ(g.s->member, "Q");
    g.Feed("CSQ9022I +CSQ2 CSQMAQLC ' ALTER QLOCAL' NORMAL COMPLETION");
    EXPECT_TRUE(g.s->complete);
    EXPECT_EQ(g.s->text, nullptr);
    /* a reply that is not CSQ text, a short one, one with a zero byte */
    Request t(&PCFQueueDef, MQCMD_CHANGE_Q);
    t.Feed("plain words");
    t.Feed("CSQ");
    t.Feed(std::string("CSQM999I +CSQ1 cut\0hidden", 25));
    EXPECT_STREQ(t.s->text, "plain words cut");
}

TEST_F(Replies, AttributeTextOfTheQueueDefinition)
{
    PCFInitCommandDefs();
    Request q(&PCFQueueListDef, MQCMD_INQUIRE_Q);
    int converted = 0;
    Parsed p = q.Feed("CSQM401I +CSQ1    QUEUE(APP.A                                           )    TYPE(QLOCAL  ) "
                      "QSGDISP(QMGR    )   DESCR(Bob's queue   )   MAXDEPTH(      5000)  NOTRIGGER  SHARE "
                      "CURDEPTH(         7)   INITQ( )   TRIGDATA(a)b) ) PROCESS()",
                      &converted);
    ASSERT_TRUE(converted);
    EXPECT_EQ(p.head.Type, MQCFT_RESPONSE);
    EXPECT_EQ(p.head.Command, MQCMD_INQUIRE_Q);
    EXPECT_EQ(p.strs[MQCA_Q_NAME], "APP.A");
    EXPECT_EQ(p.ints[MQIA_Q_TYPE], MQQT_LOCAL);
    EXPECT_EQ(p.strs[MQCA_Q_DESC], "Bob's queue");
    EXPECT_EQ(p.ints[MQIA_MAX_Q_DEPTH], 5000);
    EXPECT_EQ(p.ints[MQIA_TRIGGER_CONTROL], MQTC_OFF);
    EXPECT_EQ(p.ints[MQIA_SHAREABILITY], MQQA_SHAREABLE);
    EXPECT_EQ(p.ints[MQIA_CURRENT_Q_DEPTH], 7);
    EXPECT_EQ(p.strs[MQCA_INITIATION_Q_NAME], " ");
    EXPECT_EQ(p.strs[MQCA_TRIGGER_DATA], "a)b");
    EXPECT_EQ(p.strs[MQCA_PROCESS_NAME], " ");
    EXPECT_EQ((int32_t)p.order.size(), p.head.ParameterCount);
    /* summary and completion lines are no responses */
    q.Feed("CSQ9022I +CSQ1 CSQMDRTS ' DISPLAY QUEUE' NORMAL COMPLETION", &converted);
    EXPECT_FALSE(converted);
}

/* Numbers read as the C library's strtol reads them in base 10, whether
 * short enough to read at once or not: signs, blanks, other white space,
 * leading zeros, digits running on, overflow and no digits at all. */
TEST_F(Replies, NumbersAsStrtolReadsThem)
{
    PCFInitCommandDefs();
    const char *numbers[] = {
        "      5000", "0", "-17", "+42", "   -0012x", "999999999", "1000000000", "2147483647", "2147483648",
        "-2147483649", "99999999999999999999", "\t7", "12 34", "-", "+", "abc", "0x1F", "000000000123",
    };
    for (const char *n : numbers) {
        std::string text = n;
        Request q(&PCFQueueListDef, MQCMD_INQUIRE_Q);
        Parsed p = q.Feed("CSQM401I +CSQ1    QUEUE(APP.N)    MAXDEPTH(" + text + ")");
        EXPECT_EQ(p.ints[MQIA_MAX_Q_DEPTH], (int32_t)strtol(text.c_str(), nullptr, 10)) << "'" << text << "'";
    }
}

TEST_F(Replies, ListsFlagsAndBytes)
{
    PCFPrepareDef(&Thing);
    Request q(&Thing, 36);
    Parsed p = q.Feed("CSQM407I +CSQ1 THING NAMES( ALPHA, B ,, CHARLIE  ) COLOURS(BLUE, GREEN XX,RED) "
                      "FLAGS(RED,BLUE) ID(0AFF10) COLOURS(PINK)");
    EXPECT_EQ(p.strlists[2020], (std::vector<std::string>{ "ALPHA  ", "B      ", "CHARLIE" }));
    EXPECT_EQ(p.lists[1002], (std::vector<int32_t>{ 2, 1 }));
    EXPECT_EQ(p.ints[1003], 3);
    EXPECT_EQ(p.bytes[7001], std::string("\x0A\xFF\x10", 3));
    EXPECT_EQ(std::count(p.order.begin(), p.order.end(), 1002), 1);   /* a list without rows adds nothing */
    /* unclosed parentheses are closed within the value */
    p = q.Feed("CSQM407I +CSQ1 THING NAMES(A,(B");
    EXPECT_EQ(p.strlists[2020].size(), 2u);
}

TEST_F(Replies, BoundsOfTheResponseTheValueAndTheUnhandledText)
{
    PCFInitCommandDefs();
    DialogWords d = {};
    char unhandled[MQSC_UNHANDLED_SIZE] = "";
    d.unhandled = unhandled;
    Request q(&PCFQueueListDef, MQCMD_INQUIRE_Q);
    q.r.dialog = &d;
    /* 3000 descriptions of 60 characters: more than the response holds */
    std::string text = "CSQM401I +CSQ1 ";
    for (int i = 0; i < 3000; i++)
        text += "DESCR(" + std::string(60, 'a' + i % 26) + ") ";
    for (int i = 0; i < 200; i++)
        text += "ODD" + std::to_string(i) + "(v) ";
    Parsed p = q.Feed(text);
    EXPECT_GT(p.order.size(), 300u);
    EXPECT_LT(p.order.size(), 3000u);
    EXPECT_LT(strlen(unhandled), (size_t)MQSC_UNHANDLED_SIZE);
    EXPECT_EQ(std::string(unhandled).compare(0, 15, "ODD0(v),ODD1(v)"), 0);
    /* a value longer than the value buffer */
    p = q.Feed("CSQM401I +CSQ1 DESCR(" + std::string(5000, 'x') + ")");
    EXPECT_EQ(p.strs[MQCA_Q_DESC].size(), 5000u);
    /* MQSCNextKeyword alone: keyword cut, value buffer full with open
       parentheses, the text run out, a run of five blanks inside them */
    const struct { const char *item, *keyword, *value; int32_t size; } items[] = {
        { "AVERYLONGKEYWORDOFTWENTYFIVE(a(b(cdefgh", "AVERYLONGKEYWORDOFTW", "a(b(cde", 7 },   /* no room to close */
        { "X(a(b(c", "X", "a(b(c))", 7 },
        { "X(a(b     c) Y(1)", "X", "a(b", 20 },              /* the gap ends it, left open */
        { "X(a(b    c)) Y(1)", "X", "a(b    c)", 20 },        /* four blanks do not */
    };
    for (const auto &t : items) {
        char keyword[MQSC_KEYWORD_SIZE + 1], value[24];
        const char *at = t.item;
        int32_t left = (int32_t)strlen(t.item);
        MQSCNextKeyword(nullptr, &at, &left, keyword, value, t.size);
        EXPECT_STREQ(keyword, t.keyword) << t.item;
        EXPECT_STREQ(value, t.value) << t.item;
    }
}

/* Every keyword with every value word of every definition, and each value
 * word alone (in lower case too), read through the sorted index and by the
 * walk over the fields: the same responses byte for byte, the same
 * unhandled text. */
TEST_F(Replies, IndexedLookupsMatchTheWalkOverTheFields)
{
    PCFInitCommandDefs();
    int definitions = 0;
    std::vector<const PCFCommandDef *> defs;
    for (PCFCommandDef *const *table : {PCFCommandDefs, PCFInternalDefs})
        for (PCFCommandDef *const *t = table; *t; t++)
            defs.push_back(*t);
    for (const PCFCommandDef *def : defs) {
        const PCFFieldEntry *fields = def->detail ? def->detail : def->fields;
        if (!fields || !def->actions)
            continue;
        std::string line = "CSQM401I +CSQ1 ";
        for (const PCFFieldEntry *e = fields; e->field; e++) {
            const PCFFieldDef *f = e->field;
            std::string keyword = f->keyword ? std::string(f->keyword).substr(0, std::string(f->keyword).find('/')) : "";
            for (const PCFValueDef *v = f->values; v && v->name && *v->name; v++) {
                if (!v->keyword)
                    continue;
                std::string word = v->keyword[0] == '!' ? v->keyword + 1 : v->keyword;
                std::string lower = word;
                for (char &c : lower)
                    c = (char)tolower((unsigned char)c);
                if (!keyword.empty())
                    line += keyword + "(" + lower + ") ";
                line += word + " " + lower + " ";
            }
            if (!keyword.empty())
                line += keyword + "(12) ";
        }
        line += "NOSUCHWORD ODDKEY(v)";
        std::string bytes[2], unhandledText[2];
        for (int indexed = 0; indexed < 2; indexed++) {
            MQSCIndexLookups(indexed);
            DialogWords d = {};
            char unhandled[MQSC_UNHANDLED_SIZE] = "";
            d.unhandled = unhandled;
            Request q(def, def->actions->command);
            q.r.dialog = &d;
            uint8_t *pcf = nullptr;
            uint32_t n = 0;
            ASSERT_EQ(MQSCResponseToPcf(&q.r, nullptr, (const uint8_t *)line.data(), (uint32_t)line.size(), &pcf,
                                        &n), 0);
            bytes[indexed].assign((const char *)pcf, pcf ? n : 0);
            unhandledText[indexed] = unhandled;
            CSFreeMemAndClear(&pcf);
        }
        MQSCIndexLookups(1);
        EXPECT_FALSE(bytes[1].empty()) << def->title;
        EXPECT_EQ(bytes[0], bytes[1]) << def->title;
        EXPECT_EQ(unhandledText[0], unhandledText[1]) << def->title;
        definitions++;
    }
    EXPECT_GE(definitions, 7);
}

/* An attribute line is read where it lies, up to a zero byte in it. */
TEST_F(Replies, AttributeLineEndsAtAZeroByte)
{
    PCFInitCommandDefs();
    Request q(&PCFQueueListDef, MQCMD_INQUIRE_Q);
    std::string line("CSQM401I +CSQ1    QUEUE(APP.B)   MAXDEPTH(9)\0   DESCR(hidden)", 61);
    int converted = 0;
    Parsed p = q.Feed(line, &converted);
    ASSERT_TRUE(converted);
    EXPECT_EQ(p.strs[MQCA_Q_NAME], "APP.B");
    EXPECT_EQ(p.ints[MQIA_MAX_Q_DEPTH], 9);
    EXPECT_EQ(p.strs.count(MQCA_Q_DESC), 0u);
    /* a zero byte inside the message number leaves no attribute text */
    p = q.Feed(std::string("CSQM401\0I +CSQ1    QUEUE(APP.C)", 31), &converted);
    ASSERT_TRUE(converted);
    EXPECT_EQ(p.head.ParameterCount, 0);
}

}  // namespace
