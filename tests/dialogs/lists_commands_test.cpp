/* Commands built from selected list rows as byte images (one per row, or
 * one with lists), the WHERE filter's structures, the difference from
 * the default object of data areas and of list rows, and the date texts
 * of list columns. */
#include "listtest.h"

#include "csdate.h"
#include "cmdint.h"
#include "mqengine.h"
#include "mq/pcf.h"
#include "prfdata.h"

using namespace listtest;
using dlgtest::Reply;

namespace {

/* A default object of a type kept for a location, as the download keeps
 * the ones it accepts. */
void KeepDefault(QMS *r, int32_t type, const uint8_t *area)
{
    CMDLOC *l = CmdLocOf(r);
    ASSERT_NE(l, nullptr);
    size_t size = sizeof(DEFOBJ) + PCFQueueDef.dataSize;
    DEFOBJ *o = (DEFOBJ *)CSGetMem(size, "DFT");
    memset(o, 0, size);
    PCFCopyData(&PCFQueueDef, DefObjArea(o), area);
    o->type = type;
    CSListAdd(&l->objects[l->shown[0]][0], "DEFOBJ", 0, o, size);
    CSFreeMem(o);
    l->downloadState |= DL_DONE;
}

int32_t Get32(const uint8_t *p)
{
    int32_t v;
    memcpy(&v, p, 4);
    return v;
}

/* ---- a definition of channels to act on ---- */

const PCFCommandUse DeleteUses[] = { { MQCMD_DELETE_CHANNEL, nullptr, 0 }, { MQCMD_DELETE_AUTH_REC, nullptr, 0 },
                                     { 0, nullptr, 0 } };
const PCFValueDef ChannelTypes[] = { { 0, 0, 0, MQCHT_SENDER, "Sender", "SDR" },
                                     { 0, 0, 0, MQCHT_CLNTCONN, "Client-connection", "CLNTCONN" },
                                     { 0, 0, 0, 10, "Cluster-receiver", "CLUSRCVR" },
                                     { 0, 0, 0, 0, nullptr, nullptr } };
PCFFieldDef Field(const char *title, uint32_t id, int16_t type, int32_t max, const PCFValueDef *values = nullptr)
{
    PCFFieldDef f = {};
    f.title = title;
    f.shortTitle = title;
    f.attrId = id;
    f.type = type;
    f.maximum = max;
    f.values = values;
    f.uses = DeleteUses;
    return f;
}
const PCFFieldDef ChName = Field("Channel Name", MQCACH_CHANNEL_NAME, PCFT_NAME, 20),
                  ChType = Field("Channel Type", MQIACH_CHANNEL_TYPE, PCFT_ENUM, 999, ChannelTypes),
                  Entity = Field("Entity", MQCACF_ENTITY_NAME, PCFT_STRING, 1024),
                  EntityType = Field("Entity Type", MQIACF_ENTITY_TYPE, PCFT_ENUM13, 9),
                  Conn = Field("Connection", MQBACF_CONNECTION_ID, PCFT_WIDEHEX, 24);
PCFFieldEntry Entries[] = {
    { 0, 0, 0, nullptr, &ChName, 0, 0x800, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &ChType, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &Conn, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &Entity, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &EntityType, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 },
};
PCFLISTENTRY Columns[] = { { &ChName, 0x817 }, { &ChType, 0x3 }, { &Entity, 0x3 }, { &EntityType, 0x3 },
                           { &Conn, 0x3 }, { nullptr, 0 } };
const PCFListDef ChannelList = { Columns, Columns, 0, 1 };
const PCFActionDef Actions[] = {
    { 0, 0, 0, MQCMD_INQUIRE_CHANNEL, 1, nullptr, "&Refresh", 0x1C001, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, MQCMD_DELETE_CHANNEL, 520, nullptr, "De&lete", 0x1, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, MQCMD_DELETE_AUTH_REC, 521, nullptr, "Delete &Record", 0x1, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr },
};
PCFCommandDef Channels = { 0, 0, 0, "Test Channels", Actions, Entries, 0, 0, &ChannelList, Entries,
                           0, 0, 0, 0, nullptr, nullptr, nullptr };

/* The parameters of a PCF message: type, id and a text of each value. */
struct Parm {
    int32_t type, id;
    std::string value;
    int32_t length;
};
std::vector<Parm> Walk(const uint8_t *message, uint32_t length, int32_t *command = nullptr)
{
    std::vector<Parm> out;
    MQPP pp;
    MQLONG cmd, cc, rc, type, id, len, count;
    void *value;
    PCFInitParse(&pp, message, (int32_t)length, &cmd, &cc, &rc);
    if (command)
        *command = cmd;
    for (;;) {
        PCFGetNextParm(&pp, &type, &id, &value, &len, &count, &cc, &rc);
        if (cc)
            break;
        std::string text;
        const uint8_t *v = (const uint8_t *)value;
        if (type == MQCFT_INTEGER)
            text = std::to_string(Get32(v));
        else if (type == MQCFT_INTEGER_LIST)
            for (int i = 0; i < count; i++)
                text += (i ? "," : "") + std::to_string(Get32(v + 4 * i));
        else
            text.assign((const char *)v, (size_t)len);
        int32_t strucLength;
        memcpy(&strucLength, v - (type == MQCFT_INTEGER ? 12 : type == MQCFT_BYTE_STRING ? 16 : type == MQCFT_STRING_LIST ? 24 : type == MQCFT_INTEGER_LIST ? 16 : 20) + 4, 4);
        out.push_back({ type, id, text, strucLength });
    }
    EXPECT_EQ(rc, PCF_RC_END_OF_PARMS);
    return out;
}

struct Commands : Lists {
    DialogWords *d = nullptr;
    void SetUp() override
    {
        Lists::SetUp();
        PCFPrepareDef(&Channels);
        static QMS qm = {};
        strcpy(qm.qmName, "QM1");
        CapSetAll(qm.caps);
        d = Open(&Channels, &qm);
        Reply r(MQCMD_INQUIRE_CHANNEL);
        r.Str(MQCACH_CHANNEL_NAME, "CH.CLIENT").Int(MQIACH_CHANNEL_TYPE, MQCHT_CLNTCONN)
            .Str(MQCACF_ENTITY_NAME, "mqm").Int(MQIACF_ENTITY_TYPE, 2).Bytes(MQBACF_CONNECTION_ID, "\x01\x02\x03\x04\x05");
        r.Separator().Str(MQCACH_CHANNEL_NAME, "CH.SENDER").Int(MQIACH_CHANNEL_TYPE, MQCHT_SENDER)
            .Str(MQCACF_ENTITY_NAME, "alice").Int(MQIACF_ENTITY_TYPE, 1);
        r.Separator().Str(MQCACH_CHANNEL_NAME, "CH.CLUS").Int(MQIACH_CHANNEL_TYPE, 10);
        Feed(d, r);
        Build(d);
    }
    std::vector<std::vector<Parm>> PerRow(uint32_t actionId, std::vector<std::string> *names = nullptr)
    {
        std::vector<std::vector<Parm>> out;
        const PCFActionDef *a = PCFFindActionDef(Actions, actionId);
        int32_t cursor = -1;
        for (int guard = 0; cursor != -2 && guard < 10; guard++) {
            uint8_t buffer[2048];
            uint32_t length = 0;
            QMS *location = nullptr;
            PCFREQINFO info;
            char name[500];
            int rc = PCFRowCommand(d, &location, &info, &Channels, a, &cursor, buffer, sizeof buffer, &length, name);
            if (rc)
                break;
            EXPECT_EQ(location, d->first.location);
            out.push_back(Walk(buffer, length));
            if (names)
                names->push_back(name);
        }
        return out;
    }
};

TEST_F(Commands, OneCommandPerSelectedRow)
{
    EXPECT_EQ(Shown(d, MQCACH_CHANNEL_NAME), std::vector<std::string>({ "CH.CLIENT", "CH.CLUS", "CH.SENDER" }));
    Select(d, { 0, 1, 2 });
    std::vector<std::string> names;
    auto commands = PerRow(520, &names);
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(names, std::vector<std::string>({ "CH.CLIENT", "CH.CLUS", "CH.SENDER" }));
    /* a client connection is deleted from the channel table 2, others from 1; type 10 as it is */
    const std::vector<Parm> &client = commands[0];
    ASSERT_GE(client.size(), 2u);
    EXPECT_EQ(client[0].id, MQCACH_CHANNEL_NAME);
    EXPECT_EQ(client[0].value, "CH.CLIENT");
    EXPECT_EQ(client[1].id, MQIACH_CHANNEL_TABLE);
    EXPECT_EQ(client[1].value, "2");
    EXPECT_EQ(commands[1][1].id, MQIACH_CHANNEL_TYPE);
    EXPECT_EQ(commands[1][1].value, "10");
    EXPECT_EQ(commands[2][1].id, MQIACH_CHANNEL_TABLE);
    EXPECT_EQ(commands[2][1].value, "1");
    /* the byte string: 5 bytes in 24, and the walk goes on past it */
    auto bytes = std::find_if(client.begin(), client.end(), [](const Parm &p) { return p.type == MQCFT_BYTE_STRING; });
    ASSERT_NE(bytes, client.end());
    EXPECT_EQ(bytes->length, 24);
    EXPECT_EQ(bytes->value, std::string("\x01\x02\x03\x04\x05", 5));
    EXPECT_EQ(client.back().id, MQIACF_ENTITY_TYPE);
    /* nothing selected: nothing built */
    Select(d, {});
    EXPECT_TRUE(PerRow(520).empty());
}

TEST_F(Commands, EntityNamesAsStringListsOfTheirKind)
{
    Select(d, { 0, 2 });
    auto commands = PerRow(521);
    ASSERT_EQ(commands.size(), 2u);
    auto find = [](const std::vector<Parm> &c, int32_t type) {
        return std::find_if(c.begin(), c.end(), [type](const Parm &p) { return p.type == type; });
    };
    auto group = find(commands[0], MQCFT_STRING_LIST), principal = find(commands[1], MQCFT_STRING_LIST);
    ASSERT_NE(group, commands[0].end());
    EXPECT_EQ(group->id, MQCACF_GROUP_ENTITY_NAMES);
    EXPECT_EQ(group->value.substr(0, 3), "mqm");
    ASSERT_NE(principal, commands[1].end());
    EXPECT_EQ(principal->id, MQCACF_PRINCIPAL_ENTITY_NAMES);
}

TEST_F(Commands, OneCommandForAllRowsWithLists)
{
    Select(d, { 0, 1, 2 });
    uint8_t buffer[4096];
    uint32_t length = 0;
    ASSERT_EQ(BuildSelectionList(d, &Channels, PCFFindActionDef(Actions, 520), buffer, sizeof buffer, &length), 0);
    int32_t command;
    auto parms = Walk(buffer, length, &command);
    EXPECT_EQ(command, MQCMD_DELETE_CHANNEL);
    ASSERT_GE(parms.size(), 3u);
    EXPECT_EQ(parms[0].type, MQCFT_STRING_LIST);
    EXPECT_EQ(parms[0].id, MQCACH_CHANNEL_NAME);
    EXPECT_EQ(parms[0].value, std::string("CH.CLIENT") + std::string(11, ' ') + "CH.CLUS" + std::string(13, ' ') +
                                  "CH.SENDER" + std::string(11, ' '));
    EXPECT_EQ(parms[1].type, MQCFT_INTEGER_LIST);
    EXPECT_EQ(parms[1].value, "6,10,1");
    EXPECT_EQ(parms.back().id, 10051);                 /* the dialog's qualifier last */
    /* the qualifier is the view's selection mode; none chosen: each id at
       its position (never the dialog's address) */
    d->viewOptions = 0x20;
    ASSERT_EQ(BuildSelectionList(d, &Channels, PCFFindActionDef(Actions, 520), buffer, sizeof buffer, &length), 0);
    EXPECT_EQ(Walk(buffer, length, &command).back().value, "33");
    d->viewOptions = 0x8;
    ASSERT_EQ(BuildSelectionList(d, &Channels, PCFFindActionDef(Actions, 520), buffer, sizeof buffer, &length), 0);
    EXPECT_EQ(Walk(buffer, length, &command).back().value, "8");
}

TEST_F(Commands, WhereFilters)
{
    uint32_t length;
    EXPECT_EQ(SetWhereFilter(d, 1, MQCFT_BYTE_STRING_FILTER, MQBACF_GENERIC_CONNECTION_ID, MQCFOP_EQUAL, "0A0B0C", -1), 0);
    const uint8_t *w = PCFWhereFilter(d, &length);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Get32(w), MQCFT_BYTE_STRING_FILTER);
    EXPECT_EQ(Get32(w + 4), (3 + 23) & ~3);
    EXPECT_EQ(Get32(w + 8), MQBACF_CONNECTION_ID);
    EXPECT_EQ(Get32(w + 16), 3);
    EXPECT_EQ(std::string((const char *)w + 20, 3), "\x0A\x0B\x0C");
    EXPECT_EQ(length, (uint32_t)Get32(w + 4));
    EXPECT_EQ(SetWhereFilter(d, 1, MQCFT_STRING_FILTER, MQCA_Q_DESC, MQCFOP_LIKE, "Act*", -1), 0);
    w = PCFWhereFilter(d, &length);
    EXPECT_EQ(Get32(w + 4), (4 + 27) & ~3);
    EXPECT_EQ(Get32(w + 20), 4);
    EXPECT_EQ(std::string((const char *)w + 24, 4), "Act*");
    int32_t depth = 5;
    EXPECT_EQ(SetWhereFilter(d, 1, MQCFT_INTEGER_FILTER, MQIA_CURRENT_Q_DEPTH, MQCFOP_GREATER, &depth, 4), 0);
    w = PCFWhereFilter(d, &length);
    EXPECT_EQ(length, 20u);
    EXPECT_EQ(Get32(w + 16), 5);
    EXPECT_EQ(SetWhereFilter(d, 1, MQCFT_BYTE_STRING_FILTER, MQBACF_CONNECTION_ID, MQCFOP_EQUAL, "XY", -1), 1);
    EXPECT_EQ(PCFWhereFilter(d, &length), nullptr);    /* bad hex: no filter at all */
    SetWhereFilter(d, 1, MQCFT_INTEGER_FILTER, MQIA_Q_TYPE, MQCFOP_EQUAL, &depth, 4);
    SetWhereFilter(d, 0, 0, 0, 0, nullptr, 0);
    EXPECT_EQ(PCFWhereFilter(d, &length), nullptr);
}

/* ---- the default object ---- */

struct Defaults : Lists {
    QMS qm = {};
    uint8_t *local = nullptr;
    void SetUp() override
    {
        strcpy(qm.qmName, "QMDEF");
        CmdLocOf(&qm);                   /* the engine's first location makes its list */
        MQEForgetLocation(&qm);
        Lists::SetUp();
        CapSetAll(qm.caps);
        local = PCFNewData(&PCFQueueDef, "DEFAULTQ");
        Set(local, MQCA_Q_NAME, "SYSTEM.DEFAULT.LOCAL.QUEUE");
        Set(local, MQIA_Q_TYPE, "Local");
        Set(local, MQIA_MAX_Q_DEPTH, "5000");
        SetList(local, { "ONE", "TWO" });
        KeepDefault(&qm, MQQT_LOCAL, local);
    }
    void TearDown() override
    {
        FreeDownloadData(&qm);
        MQEForgetLocation(&qm);          /* the engine's block of the location */
        PCFFreeData(&PCFQueueDef, local, 1);
        Lists::TearDown();
    }
    static void Set(uint8_t *area, uint32_t id, const char *text)
    {
        char message[200];
        PCFFieldEntry *e = PCFFindField(nullptr, nullptr, PCFQueueDef.fields, id);
        ASSERT_NE(e, nullptr);
        PCFStoreText(&PCFQueueDef, area, e, text, -1, message, sizeof message);
    }
    /* The TPIPE names (shown only, so set straight into the record). */
    static void SetList(uint8_t *area, std::vector<const char *> items)
    {
        PCFFieldEntry *e = PCFFindField(nullptr, nullptr, PCFQueueDef.fields, 2085);
        uint8_t *r = area + e->offset;
        PCFSTRLIST *l = PCFRecStrList(r);
        if (!l) {
            l = PCFNewStrList(5, e->field->maximum, "TPIPES");
            PCFSetRecPtr(r, l);
        }
        l->count = (int16_t)items.size();
        for (size_t i = 0; i < items.size(); i++)
            memcpy(PCFStrListItem(l, e->field->maximum, (int)i), items[i], strlen(items[i]));
        PCFSetState(r, PCFS_PRESENT);
    }
    static uint16_t Mark(uint8_t *area, uint32_t id)
    {
        PCFFieldEntry *e = PCFFindField(nullptr, nullptr, PCFQueueDef.fields, id);
        return PCFState(area + e->offset) & 0x20;
    }
};

TEST_F(Defaults, DataAreaMarksAndTheSystemName)
{
    uint8_t *q = PCFNewData(&PCFQueueDef, "TESTQ");
    Set(q, MQCA_Q_NAME, "SYSTEM.ADMIN.X");
    Set(q, MQIA_Q_TYPE, "Local");
    Set(q, MQIA_MAX_Q_DEPTH, "5000");
    SetList(q, { "ONE", "TWO" });
    int listed, system;
    ASSERT_EQ(PCFCompareDefault(&qm, &PCFQueueDef, q, &listed, &system), 1);
    EXPECT_TRUE(system);                           /* even when nothing else differs */
    EXPECT_FALSE(listed);
    EXPECT_TRUE(Mark(q, MQCA_Q_NAME));             /* the key and its type are always marked */
    EXPECT_TRUE(Mark(q, MQIA_Q_TYPE));
    EXPECT_FALSE(Mark(q, MQIA_MAX_Q_DEPTH));
    EXPECT_FALSE(Mark(q, 2085));
    Set(q, MQIA_MAX_Q_DEPTH, "4000");
    SetList(q, { "ONE", "TWO", "TRI" });
    Set(q, MQCA_Q_NAME, "SYSTEM.DEFAULT.LOCAL.QUEUE");
    PCFCompareDefault(&qm, &PCFQueueDef, q, &listed, &system);
    EXPECT_TRUE(Mark(q, MQIA_MAX_Q_DEPTH));
    EXPECT_TRUE(Mark(q, 2085));                    /* three elements against two */
    EXPECT_TRUE(listed);
    /* no default object: every mark cleared, 0 */
    QMS other = {};
    EXPECT_EQ(PCFCompareDefault(&other, &PCFQueueDef, q, &listed, &system), 0);
    EXPECT_FALSE(Mark(q, MQCA_Q_NAME));
    EXPECT_FALSE(Mark(q, MQIA_MAX_Q_DEPTH));
    PCFFreeData(&PCFQueueDef, q, 1);
}

TEST_F(Defaults, ListRowsMarkedAgainstTheirDefault)
{
    PCFLISTENTRY columns[] = { { PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQCA_Q_NAME)->field, 0x3 },
                               { PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQIA_Q_TYPE)->field, 0x3 },
                               { PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQIA_MAX_Q_DEPTH)->field, 0x3 },
                               { PCFFindField(nullptr, nullptr, PCFQueueDef.fields, 2085)->field, 0x3 },
                               { nullptr, 0 } };
    DialogWords *d = Open(&PCFQueueListDef, &qm, columns);
    d->viewOptions |= 0x400000;
    Reply r(MQCMD_INQUIRE_Q);
    r.Str(MQCA_Q_NAME, "SAME").Int(MQIA_Q_TYPE, MQQT_LOCAL).Int(MQIA_MAX_Q_DEPTH, 5000)
        .Strs(2085, { "ONE", "TWO" }, 8);
    r.Separator().Str(MQCA_Q_NAME, "OTHER").Int(MQIA_Q_TYPE, MQQT_LOCAL).Int(MQIA_MAX_Q_DEPTH, 1)
        .Strs(2085, { "ONE" }, 8);
    r.Separator().Str(MQCA_Q_NAME, "ALIAS").Int(MQIA_Q_TYPE, MQQT_ALIAS);
    Feed(d, r);
    Build(d);
    PCFLISTAREA *a = PCFCurrentArea(&d->first);
    auto mark = [&](int row, uint32_t id) {
        PCFROW *x = PCFFirstRow(a);
        for (int i = 0; i < row; i++)
            x = PCFNextRow(a, x);
        return (PCFState(FindItemAttr(a, id, x)) & PCFV_DIFFERS) != 0;
    };
    EXPECT_TRUE(mark(0, MQCA_Q_NAME));
    EXPECT_TRUE(mark(0, MQIA_Q_TYPE));
    EXPECT_FALSE(mark(0, MQIA_MAX_Q_DEPTH));
    EXPECT_FALSE(mark(0, 2085));                   /* two against the blank-padded two */
    EXPECT_TRUE(mark(1, MQIA_MAX_Q_DEPTH));
    EXPECT_TRUE(mark(1, 2085));
    EXPECT_TRUE(mark(2, MQIA_MAX_Q_DEPTH));        /* no default alias: everything differs */
}

/* ---- date texts ---- */

struct Dates : ::testing::Test {
    const char *saved[3];
    void SetUp() override
    {
        saved[0] = Prf.fmtdate;
        saved[1] = Prf.fmtdatet;
        saved[2] = Prf.fmtdatey;
        Prf.fmtdate = "%YY-%N-%E %T";
        Prf.fmtdatet = "today %T";
        Prf.fmtdatey = "yesterday %T";
        CSSetTimeZoneProc([](int64_t, CSZoneInfo *z) {
            z->offset = z->standardOffset = 3600;
            z->isDst = 0;
            return 1;
        });
        CSSetCurrentTime(1735722000);              /* 2025-01-01 09:00 UTC, 10:00 local */
        PCFListPrefsDefaults();
    }
    void TearDown() override
    {
        Prf.fmtdate = saved[0];
        Prf.fmtdatet = saved[1];
        Prf.fmtdatey = saved[2];
        CSSetTimeZoneProc(nullptr);
        CSSetCurrentTime(0);
        PCFListPrefsDefaults();
    }
    static std::string Text(const char *date, const char *time, int64_t *value = nullptr)
    {
        char out[120];
        int64_t v;
        int h;
        int n = FormatMQDateTime(out, sizeof out, date, (int)strlen(date), time, (int)strlen(time), &v, &h);
        if (value)
            *value = v;
        return std::string(out, (size_t)n);
    }
};

TEST_F(Dates, TodayYesterdayAndOtherDays)
{
    int64_t v;
    EXPECT_EQ(Text("", "", &v), "");
    EXPECT_EQ(v, INT64_MIN);
    EXPECT_EQ(Text("", "12.00.00"), "????");
    EXPECT_EQ(Text("2025-01-01", "08.30.00"), "today 08:30");
    EXPECT_EQ(Text("2024-12-31", "23.00.00"), "yesterday 23:00");      /* across the year's end */
    EXPECT_EQ(Text("20241231", "07000000"), "yesterday 07:00");        /* the 8 + 8 form */
    EXPECT_EQ(Text("2024-12-30", "23.00.00"), "2024-12-30 23:00");
    PcfListPrefs.elapsedDays = 1;                 /* 35 hours ago counts as yesterday */
    EXPECT_EQ(Text("2024-12-30", "23.00.00"), "yesterday 23:00");
    /* pair records: the text and the time (hundredths for type 36) */
    uint8_t r[200];
    uint32_t n = PCFPairRecord(r, PCFT_DATETIME100, "20250101", 8, "08300012", 8);
    EXPECT_EQ(std::string((char *)r + 36, n - 36), "today 08:30");
    Text("2025-01-01", "08.30.00", &v);
    EXPECT_EQ(PCFPairTime(r), v * 100 + 12);
}

}  // namespace

/* Paging keeps the page's size; it never goes before message 1 or past
 * the largest number, and an unreadable range pages from "1,100". */
TEST(Paging, PagesOfTheRangesSize)
{
    const struct { const char *range; int how; const char *paged; } cases[] = {
        { "1,100", PCFPAGE_NEXT, "101,200" }, { "101,200", PCFPAGE_PREVIOUS, "1,100" },
        { "31,80", PCFPAGE_PREVIOUS, "1,50" }, { "51,60", PCFPAGE_FIRST, "1,10" },
        { "50", PCFPAGE_NEXT, "51,100" }, { "x", PCFPAGE_NEXT, "101,200" },
        { "9,3", PCFPAGE_NEXT, "101,200" }, { nullptr, PCFPAGE_PREVIOUS, "1,100" },
    };
    for (const auto &c : cases) {
        char out[40] = "";
        EXPECT_EQ(PCFPageRange(c.range, c.how, out, sizeof out), 1) << (c.range ? c.range : "null");
        EXPECT_STREQ(out, c.paged) << (c.range ? c.range : "null");
    }
    char out[40] = "unchanged";
    EXPECT_EQ(PCFPageRange("2147483600,2147483647", PCFPAGE_NEXT, out, sizeof out), 0);
    EXPECT_STREQ(out, "unchanged");
}
