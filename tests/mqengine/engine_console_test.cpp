/* The event console: the replacement rules, the uniquifier of equal
 * keys, trimming to the profile's maximum, the events the location store
 * records, and the inquiry and delete commands with their filters and
 * texts. */
#include "agenttest.h"

#include <algorithm>
#include <cstring>

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"

namespace {

int staleMarks;
void CountStale(int32_t attribute)
{
    if (attribute == MYCMD_INQUIRE_CONSOLE)
        staleMarks++;
}

/* The console's entries as an inquiry with every attribute lists them. */
std::vector<PcfPart> Entries(void)
{
    Got.Clear();
    std::vector<uint8_t> req = Pcf(MYCMD_INQUIRE_CONSOLE).Ints(MYIACF_CSL_ATTRS, {MQCA_Q_MGR_NAME, MYIA_EVENT_TYPE,
                                   MYCA_CSL_OBJECTNAME, MYCA_CSL_DATE, MYCA_CSL_TIME, MYIA_CSL_PRIORITY, MYCA_LOCATION,
                                   MYPCFA_POSITION}).Data();
    MQMD md = {MQMD_DEFAULT};
    md.MsgType = MQMT_REQUEST;
    ProcessCommand(nullptr, nullptr, MQHC_UNUSABLE_HCONN, &md, req.data(), (int32_t)req.size());
    std::vector<PcfPart> parts = Got.All();
    if (!parts.empty() && parts.back().cfh.Reason == 0)
        parts.pop_back();                          /* the closing part */
    return parts;
}

std::vector<int32_t> Events(void)
{
    std::vector<int32_t> out;
    for (const PcfPart &p : Entries())
        if (p.cfh.Reason == 0)
            out.push_back(p.Int(MYIA_EVENT_TYPE));
    return out;
}

}  // namespace

class Console : public AgentTest {
public:
    QMS *a = nullptr, *b = nullptr;
    void SetUp() override
    {
        AgentTest::SetUp();
        ConsoleClear();
        Prf.maxcsl = 1000;
        staleMarks = 0;
        MQEHooks.markStale = CountStale;
        a = Location("QMA");
        b = Location("QMB");
        snprintf(a->locationName, sizeof a->locationName, "Payments hub");
        snprintf(b->locationName, sizeof b->locationName, "Archive");
        snprintf(a->groupName, sizeof a->groupName, "EUROPE");
    }
    void TearDown() override
    {
        ConsoleClear();
        LocSetHooks(nullptr);
        AgentTest::TearDown();
    }
    std::vector<PcfPart> Ask(const Pcf &request)
    {
        Got.Clear();
        std::vector<uint8_t> data = request.Data();
        MQMD md = {MQMD_DEFAULT};
        md.MsgType = MQMT_REQUEST;
        ProcessCommand(nullptr, nullptr, MQHC_UNUSABLE_HCONN, &md, data.data(), (int32_t)data.size());
        return Got.All();
    }
    void Add(QMS *r, int32_t event, const char *object, int mode = CSL_NORMAL, int kind = 40)
    {
        EXPECT_EQ(ConsoleAddEntry(r, event, mode, kind, nullptr, nullptr, object, -1, 0, nullptr), 0);
    }
};

TEST_F(Console, NewerEventsReplaceWhatTheyMakeObsolete)
{
    const struct { int32_t clearing; std::vector<int32_t> cleared; } rules[] = {
        { MQRC_CHANNEL_ACTIVATED, { MQRC_CHANNEL_NOT_ACTIVATED } },
        { MQRC_Q_DEPTH_LOW, { MQRC_Q_FULL, MQRC_Q_DEPTH_HIGH } },
        { MQRC_Q_SERVICE_INTERVAL_OK, { MQRC_Q_SERVICE_INTERVAL_HIGH } },
        { MQRC_CHANNEL_STARTED, { MQRC_CHANNEL_STOPPED_BY_USER, MQRC_CHANNEL_STOPPED } },
        { ZKT_EVENT_LOCATION_AVAILABLE, { ZKT_EVENT_LOCATION_UNAVAILABLE } },
        { ZKT_EVENT_OBJECT_CLEARED, { ZKT_EVENT_OBJECT_STATE_1, ZKT_EVENT_OBJECT_STATE_2 } },
    };
    for (const auto &rule : rules) {
        ConsoleClear();
        for (int32_t e : rule.cleared) {
            Add(a, e, "Q1");
            Add(b, e, "Q1");                          /* another location */
            Add(a, e, "Q2");                          /* another object */
        }
        Add(a, MQRC_Q_FULL + 1000, "Q1");             /* an event the rule does not name */
        Add(a, rule.clearing, "Q1");
        std::vector<int32_t> left = Events();
        EXPECT_EQ(left.size(), 2 * rule.cleared.size() + 1) << rule.clearing;
        for (const PcfPart &p : Entries())
            EXPECT_FALSE(p.Str(MQCA_Q_MGR_NAME) == "QMA" && p.Str(MYCA_CSL_OBJECTNAME) == "Q1" &&
                         p.Int(MYIA_EVENT_TYPE) != MQRC_Q_FULL + 1000) << rule.clearing;
        /* recorded when asked to, and then it clears its own kind as well */
        Add(a, rule.clearing, "Q1", CSL_RECORD_REMOVE);
        Add(a, rule.clearing, "Q1", CSL_RECORD_REMOVE);
        int kept = 0;
        for (int32_t e : Events())
            kept += e == rule.clearing;
        EXPECT_EQ(kept, 1) << rule.clearing;
    }
    /* the same event again replaces the older one; record-only keeps both;
     * remove-only records nothing; other modes do nothing */
    ConsoleClear();
    Add(a, MQRC_Q_FULL, "Q1");
    Add(a, MQRC_Q_FULL, "Q1");
    EXPECT_EQ(ConsoleCount(), 1);
    Add(a, MQRC_Q_FULL, "Q1", CSL_RECORD);
    EXPECT_EQ(ConsoleCount(), 2);
    Add(a, MQRC_Q_DEPTH_LOW, "Q1", CSL_REMOVE);
    EXPECT_EQ(ConsoleCount(), 0);
    Add(a, MQRC_Q_FULL, "Q1", 7);
    EXPECT_EQ(ConsoleCount(), 0);
    EXPECT_GT(staleMarks, 0);
}

TEST_F(Console, KeysAreMadeUniqueAndTheLogIsTrimmed)
{
    /* the same kind in the same second: distinct keys, kept in order */
    Clock.Freeze();
    Add(a, MQRC_Q_FULL, "Q1", CSL_RECORD);
    Add(a, MQRC_Q_FULL, "Q1", CSL_RECORD);
    Add(a, MQRC_Q_FULL, "Q1", CSL_RECORD);
    std::vector<PcfPart> e = Entries();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].Int(MYPCFA_POSITION), e[1].Int(MYPCFA_POSITION) - 1);
    EXPECT_EQ(e[0].Str(MYCA_CSL_TIME), e[2].Str(MYCA_CSL_TIME));
    EXPECT_EQ(e[0].Str(MYCA_CSL_DATE).size(), 10u);
    EXPECT_EQ(e[0].Str(MYCA_CSL_TIME).size(), 8u);
    /* with the maximum at 10 the eleventh removes the first in key order:
     * the lowest kind, then the oldest */
    ConsoleClear();
    Prf.maxcsl = 10;
    Add(b, 1, "first", CSL_RECORD, 50);
    Add(b, 2, "lowest", CSL_RECORD, 10);
    for (int i = 0; i < 8; i++)
        Add(a, 100 + i, "Q", CSL_RECORD, 40);
    EXPECT_EQ(ConsoleCount(), 10);
    Add(a, 200, "Q", CSL_RECORD, 40);
    EXPECT_EQ(ConsoleCount(), 10);
    std::vector<int32_t> left = Events();
    EXPECT_EQ(std::count(left.begin(), left.end(), 2), 0);
    EXPECT_EQ(std::count(left.begin(), left.end(), 1), 1);
    EXPECT_EQ(Entries()[0].Int(MYIA_CSL_PRIORITY), 40);
    /* an MQ put stamp gives the entry's date */
    ConsoleClear();
    EXPECT_EQ(ConsoleAddEntry(a, 5, CSL_RECORD, 40, "20130114", "11241665", nullptr, -1, 4, "data"), 0);
    EXPECT_EQ(Entries()[0].Str(MYCA_CSL_DATE), "2013-01-14");
}

TEST_F(Console, TheLocationStoreRecordsAvailability)
{
    LOCHOOKS hooks = {};
    hooks.consoleEvent = ConsoleLocationEvent;
    LocSetHooks(&hooks);
    a->flags |= LF_CSL;
    LocSetStatus(a, LS_UNAVAILABLE, 0, 0);
    EXPECT_EQ(Events(), (std::vector<int32_t>{ZKT_EVENT_LOCATION_UNAVAILABLE}));
    LocSetStatus(a, 0, LS_UNAVAILABLE | LS_UNKNOWN | 0x6, 0);
    EXPECT_TRUE(Events().empty());                 /* available again: the entry goes */
    LocSetStatus(b, LS_UNAVAILABLE, 0, 0);         /* not a "csl" location */
    EXPECT_TRUE(Events().empty());
    /* a location that goes takes its entries with it */
    LocSetStatus(a, LS_UNAVAILABLE, 0, 0);
    Add(b, MQRC_Q_FULL, "Q1");
    EXPECT_EQ(ConsoleCount(), 2);
    ConsoleForgetLocation(a);
    EXPECT_EQ(Events(), (std::vector<int32_t>{MQRC_Q_FULL}));
}

TEST_F(Console, InquiryAndDeleteWithTheirFiltersAndTexts)
{
    auto text = [](const std::vector<PcfPart> &p) { return p.size() == 1 ? p[0].Text() : std::string("?"); };
    auto reason = [](const std::vector<PcfPart> &p) { return p.size() == 1 ? p[0].cfh.Reason : -1; };
    EXPECT_EQ(text(Ask(Pcf(MYCMD_INQUIRE_CONSOLE).Ints(MYIACF_CSL_ATTRS, {MYIA_EVENT_TYPE}))), "No matching entry found.");
    EXPECT_EQ(reason(Ask(Pcf(MYCMD_INQUIRE_CONSOLE).Ints(MYIACF_CSL_ATTRS, {MYIA_EVENT_TYPE}))), MYRC_INFORMATION);
    EXPECT_EQ(ConsoleAddEntry(a, MQRC_Q_FULL, CSL_RECORD, 40, nullptr, nullptr, "APP.Q", -1, 5, "event"), 0);
    Add(b, MQRC_CHANNEL_STOPPED, "TO.QMA", CSL_RECORD);
    std::vector<PcfPart> all = Entries();
    ASSERT_EQ(all.size(), 2u);
    int32_t idA = all[0].Str(MQCA_Q_MGR_NAME) == "QMA" ? all[0].Int(MYPCFA_POSITION) : all[1].Int(MYPCFA_POSITION);

    /* an inquiry with an attribute list: one part per entry, then a closing part */
    auto parts = Ask(Pcf(MYCMD_INQUIRE_CONSOLE).Str(MQCA_Q_MGR_NAME, "QM*").Ints(MYIACF_CSL_ATTRS, {MYIA_EVENT_TYPE}));
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0].cfh.Control, MQCFC_NOT_LAST);
    EXPECT_EQ(parts[2].cfh.Control, MQCFC_LAST);
    EXPECT_EQ(parts[2].cfh.ParameterCount, 0);
    EXPECT_EQ(parts[0].Ids(), (std::vector<int32_t>{MYPCFA_POSITION, MQCA_Q_MGR_NAME, MYIA_EVENT_TYPE}));
    /* without a list: one entry by its id, everything and its data, last */
    parts = Ask(Pcf(MYCMD_INQUIRE_CONSOLE).Int(MYPCFA_POSITION, idA));
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].cfh.Control, MQCFC_LAST);
    EXPECT_EQ(parts[0].Bytes(MYCA_CSL_FULLENTRY), "event");
    EXPECT_EQ(parts[0].Str(MYCA_LOCATION), "Payments hub");
    EXPECT_EQ(parts[0].Str(MYCA_CSL_OBJECTNAME), "APP.Q");
    EXPECT_EQ(parts[0].Int(MYIA_EVENT_TYPE), MQRC_Q_FULL);
    EXPECT_EQ(text(Ask(Pcf(MYCMD_INQUIRE_CONSOLE))), "Console Id not specified.");
    EXPECT_EQ(text(Ask(Pcf(MYCMD_DELETE_CONSOLE))), "Console Id not specified.");

    /* the filters, and the text of the first one nothing passed */
    const struct { const char *what; int32_t parm; const char *pattern; const char *text; int32_t reason; } filters[] = {
        { "queue manager", MQCA_Q_MGR_NAME, "QMZ*", "No matching Queue Manager found.", MYRC_INFORMATION },
        { "location", MYCA_LOCATION, "Pay?ents*", nullptr, 0 },
        { "location", MYCA_LOCATION, "Ledger*", "No matching location found.", MYRC_INFORMATION },
        { "group", MYCA_GROUP, "EUR*", nullptr, 0 },
        { "group", MYCA_GROUP, "ASIA", "No matching QM Group found.", MYRC_INFORMATION },
        { "group up to a blank", MYCA_GROUP, "EUROPE and more", nullptr, 0 },
    };
    for (const auto &f : filters) {
        parts = Ask(Pcf(MYCMD_INQUIRE_CONSOLE).Str(f.parm, f.pattern).Ints(MYIACF_CSL_ATTRS, {MYIA_EVENT_TYPE}));
        if (f.text) {
            EXPECT_EQ(text(parts), f.text) << f.what;
            EXPECT_EQ(reason(parts), f.reason) << f.what;
        } else {
            ASSERT_EQ(parts.size(), 2u) << f.what;
            EXPECT_EQ(parts[0].Int(MYIA_EVENT_TYPE), MQRC_Q_FULL) << f.what;
        }
    }
    parts = Ask(Pcf(MYCMD_INQUIRE_CONSOLE).Int(MYIA_EVENT_TYPE, 2999).Ints(MYIACF_CSL_ATTRS, {MYIA_EVENT_TYPE}));
    EXPECT_EQ(text(parts), "No matching console entry found");
    EXPECT_EQ(reason(parts), MYRC_NO_CONSOLE_ENTRY);
    parts = Ask(Pcf(MYCMD_INQUIRE_CONSOLE).Int(MYPCFA_POSITION, 99999));
    EXPECT_EQ(reason(parts), MYRC_NO_CONSOLE_ENTRY);
    /* attributes and parameters it does not know */
    parts = Ask(Pcf(MYCMD_INQUIRE_CONSOLE).Ints(MYIACF_CSL_ATTRS, {MYIA_EVENT_TYPE, 2016}));
    EXPECT_EQ(reason(parts), MQRCCF_ATTR_VALUE_ERROR);
    EXPECT_EQ(parts[0].Int(MQIACF_ERROR_IDENTIFIER), 2016);
    parts = Ask(Pcf(MYCMD_INQUIRE_CONSOLE).Int(4711, 1));
    EXPECT_EQ(reason(parts), MQRCCF_CFIN_PARM_ID_ERROR);
    EXPECT_EQ(parts[0].Int(MQIACF_SELECTOR), 4711);

    /* a delete: its text under reason 100004, the entry gone */
    int before = staleMarks;
    parts = Ask(Pcf(MYCMD_DELETE_CONSOLE).Int(MYPCFA_POSITION, idA));
    EXPECT_EQ(reason(parts), MYRC_INFORMATION);
    EXPECT_EQ(parts[0].Str(MYPCFA_INFO_MESSAGE), "Console entry " + std::to_string(idA) + " deleted");
    EXPECT_EQ(ConsoleCount(), 1);
    EXPECT_GT(staleMarks, before);
    EXPECT_EQ(reason(Ask(Pcf(MYCMD_DELETE_CONSOLE).Int(MYPCFA_POSITION, idA))), MYRC_NO_CONSOLE_ENTRY);
}
