/* List rows from crafted replies: separators, the program's own types,
 * IBM i string lists, old-level topic strings, channel-authentication
 * order, unknown types, local put times, big values, and the areas handed
 * to windows that are gone. */
#include "dlgtest.h"

#include "autfile.h"
#include "pcfint.h"
#include "qms.h"

#include <algorithm>
#include <random>

using namespace dlgtest;

namespace {

/* Descriptors of columns these tests need beyond the tables. */
PCFFieldDef Col(uint32_t id, int16_t type, int32_t max = 48)
{
    PCFFieldDef f = {};
    f.title = "Column";
    f.shortTitle = "Col";
    f.attrId = id;
    f.type = type;
    f.maximum = max;
    return f;
}

const PCFFieldDef ChlName = Col(MQCACH_CHANNEL_NAME, PCFT_NAME, 20), ChlType = Col(1352, PCFT_ENUM),
                  Peer = Col(MQCACH_SSL_PEER_NAME, PCFT_STRING, 1024),
                  Conn = Col(MQCACH_CONNECTION_NAME, PCFT_STRING, 264),
                  User = Col(MQCACH_CLIENT_USER_ID, PCFT_STRING, 1024),
                  Topic = Col(2094, PCFT_STRING, 10240), TopicName = Col(2092, PCFT_STRING, 48),
                  Names = Col(MQCACF_Q_NAMES, PCFT_MULTISTR, 48), Depth = Col(MQIA_CURRENT_Q_DEPTH, PCFT_INT),
                  QName = Col(MQCA_Q_NAME, PCFT_NAME), Flags = Col(10032, PCFT_FLAGSET),
                  Bytes = Col(10040, PCFT_HEX, 40000), PutDate = Col(10027, PCFT_STRING25, 8),
                  PutTime = Col(10028, PCFT_STRING25, 8);

struct Fill : ::testing::Test {
    Recorder rec;
    QMS location = {};
    PCFLISTREQ req = {};
    int64_t before = 0;
    void SetUp() override
    {
        PCFPrefsDefaults();
        rec.Install();
        strcpy(location.qmName, "QM1");
        strcpy(location.locationName, "First location");
        location.commandLevel = 940;
        req.location = &location;
        before = Blocks();
    }
    void TearDown() override
    {
        ReleaseRefBlock(&req.filling);
        ReleaseRefBlock(&req.replyArea);
        rec.ReleasePosted();
        Recorder::Clear();
        PCFPrefsDefaults();
        EXPECT_EQ(Blocks(), before);
    }
    /* The area the last reply posted, taken as the window takes it. */
    PCFLISTAREA *Taken()
    {
        for (Post &p : rec.posts)
            if (p.message == UM_PCF_UPDATE_LIST) {
                PCFTakeListArea(nullptr, (PCFLISTREQ *)p.wParam, (PCFLISTAREA *)p.lParam);
                p.message = 0;
            }
        return req.replyArea;
    }
    /* Text of a row's column as written. */
    static std::string Text(PCFLISTAREA *a, PCFROW *r, uint32_t id)
    {
        uint8_t *v = FindItemAttr(a, id, r);
        return v && (PCFState(v) & PCFS_PRESENT) ? std::string((char *)v + PCFLV_TEXT, PCFListLength(v)) : "-";
    }
    static std::vector<PCFROW *> Rows(PCFLISTAREA *a)
    {
        std::vector<PCFROW *> rows;
        for (PCFROW *r = PCFFirstRow(a); r; r = PCFNextRow(a, r))
            rows.push_back(r);
        return rows;
    }
};

TEST_F(Fill, SeparatedRowsAndAFreshAreasColumns)
{
    Dialog d(&PCFMessageListDef, (void *)5);
    req.columns = PCFMessageListDef.list->current;
    req.sequence = 0;
    Reply r(10002);
    r.Int(10033, 1).Bytes(10038, std::string(16, '\x11'), 1001).Int(10035, 5).Bytes(10034, "hello", 1001)
        .Str(10016, "MQSTR   ").Int(10015, 1208).Int(10014, 546).Bytes(10019, std::string("\x01\x02", 2), 1001);
    r.End().Int(10033, 2).Bytes(10034, std::string("a\0b", 3), MQCFT_BYTE_STRING);
    r.Separator().Int(10033, 3);
    ASSERT_EQ(FillListArea(d.get(), nullptr, &req, r.Bytes(), r.Length(), 0), 0);
    PCFLISTAREA *a = Taken();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->columns, 8);                     /* column table of sequence 0 */
    PCFLISTPARTS p;
    PCFListAreaPointers(a, &p);
    const PCFFieldDef *first = p.columns[0].field;
    EXPECT_EQ(first->attrId, 10033u);
    auto rows = Rows(a);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(PCFListInt(FindItemAttr(a, 10033, rows[2])), 3);
    EXPECT_EQ(Text(a, rows[0], 10019), "0102");
    EXPECT_EQ(Text(a, rows[0], 10038), std::string(32, '1'));
    EXPECT_EQ(Text(a, rows[0], 10034), "hello");
    EXPECT_EQ(Text(a, rows[1], 10034), "a.b");  /* a type-9 message as type 1001 */
    EXPECT_EQ(Text(a, rows[0], 10016), "MQSTR");
    EXPECT_EQ(Text(a, rows[2], 10016), "-");
    EXPECT_NE(rows[0]->keyOffset, 0);          /* the message token */
    EXPECT_EQ(rows[1]->index, 1u);
    EXPECT_EQ(rows[0]->length % 8, 0);
    /* a reply of another command starts the area again */
    req.sequence = 2;
    Reply again(10002);
    again.Int(10033, 9);
    FillListArea(d.get(), nullptr, &req, again.Bytes(), again.Length(), 0);
    a = Taken();
    ASSERT_EQ(Rows(a).size(), 1u);
    EXPECT_EQ(a->sequence, 2u);
}

TEST_F(Fill, RepliesAcrossPartsAndTheQueueManagerColumn)
{
    Dialog d(&PCFQueueListDef, (void *)5);
    req.columns = PCFQueueListDef.list->current;
    /* the name column moved after the first reply (the user moves a
       column while the list loads): the later replies still fill the
       area's own columns */
    std::vector<PCFLISTENTRY> moved;
    for (PCFLISTENTRY *c = PCFQueueListDef.list->current; c->field; c++)
        moved.push_back(*c);
    std::rotate(moved.begin(), moved.begin() + 1, moved.end());
    moved.push_back({});
    QMS answering = {};
    strcpy(answering.qmName, "QMB");
    for (int i = 0; i < 3; i++) {
        Reply r(MQCMD_INQUIRE_Q, i == 2);
        r.Str(MQCA_Q_NAME, "Q" + std::to_string(i), 45).Int(MQIA_Q_TYPE, MQQT_LOCAL).Int(MQIA_CURRENT_Q_DEPTH, i);
        ASSERT_EQ(FillListArea(d.get(), i == 1 ? &answering : nullptr, &req, r.Bytes(), r.Length(), 0), 0);
        EXPECT_EQ(rec.posts.size(), i == 2 ? 1u : 0u);
        req.columns = moved.data();
    }
    PCFLISTAREA *a = Taken();
    auto rows = Rows(a);
    ASSERT_EQ(rows.size(), 3u);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(Text(a, rows[(size_t)i], MQCA_Q_NAME), "Q" + std::to_string(i));   /* blanks trimmed */
    EXPECT_EQ(Text(a, rows[0], 10044), "QM1");
    EXPECT_EQ(PCFState(FindItemAttr(a, 10044, rows[0])), 1);
    EXPECT_EQ(Text(a, rows[1], 10044), "QMB");
    EXPECT_EQ(PCFState(FindItemAttr(a, 10044, rows[1])), 129);
    EXPECT_EQ(PCFState(FindItemAttr(a, MQCA_CLUSTER_NAME, rows[1])), 0);
    EXPECT_EQ(req.sizeHint, a->used + 1024);
    EXPECT_EQ(req.filling, nullptr);
}

TEST_F(Fill, IbmIStringListsAndUnknownTypes)
{
    const PCFLISTENTRY cols[] = { { &Names, 2 }, { &Depth, 2 }, { nullptr, 0 } };
    req.columns = (PCFLISTENTRY *)cols;
    location.platform = MQPL_OS400;
    Reply r(MQCMD_INQUIRE_Q_NAMES, false);
    r.Strs(MQCACF_Q_NAMES, { "A", "BB" }, 5, 34).Int(MQIA_CURRENT_Q_DEPTH, 7);
    ASSERT_EQ(FillListArea(nullptr, nullptr, &req, r.Bytes(), r.Length(), 0), 0);
    PCFLISTAREA *a = req.filling;
    PCFROW *row = PCFFirstRow(a);
    EXPECT_EQ(Text(a, row, MQCACF_Q_NAMES), std::string("A\005BB"));
    EXPECT_EQ(PCFState(FindItemAttr(a, MQCACF_Q_NAMES, row)), PCFS_PRESENT | PCFS_RECEIVED);
    EXPECT_EQ(PCFListInt(FindItemAttr(a, MQIA_CURRENT_Q_DEPTH, row)), 7);
    /* a structure a row may not hold ends the fill without a row */
    Reply bad(MQCMD_INQUIRE_Q_NAMES, false);
    bad.Int(MQIA_CURRENT_Q_DEPTH, 1).Put({ 99, 16, 1, 0 });
    uint32_t rows = a->rows;
    EXPECT_EQ(FillListArea(nullptr, nullptr, &req, bad.Bytes(), bad.Length(), 0), 1099);
    EXPECT_EQ(req.filling->rows, rows);
    /* an integer list answering a flag-set column is one integer */
    const PCFLISTENTRY flagCols[] = { { &Flags, 2 }, { nullptr, 0 } };
    PCFLISTREQ other = {};
    other.columns = (PCFLISTENTRY *)flagCols;
    Reply f(10002, false);
    f.Ints(10032, { 1, 8 });
    FillListArea(nullptr, nullptr, &other, f.Bytes(), f.Length(), 0);
    EXPECT_EQ(PCFListInt(FindItemAttr(other.filling, 10032, PCFFirstRow(other.filling))), 9);
    ReleaseRefBlock(&other.filling);
}

TEST_F(Fill, OldLevelTopicStrings)
{
    const PCFLISTENTRY cols[] = { { &TopicName, 2 }, { &Topic, 2 }, { nullptr, 0 } };
    req.columns = (PCFLISTENTRY *)cols;
    location.commandLevel = 710;
    PcfPrefs.topicStrings = 1;
    rec.topicName = "SPORTS";
    rec.topicString = "a/b";
    Dialog d(&PCFQueueListDef, (void *)5);
    for (const char *t : { "a/b/c", "a/bc" }) {
        Reply r(MQCMD_INQUIRE_SUBSCRIPTION, false);
        r.Str(2092, "SPORTS", 42).Str(2094, t);
        FillListArea(d.get(), nullptr, &req, r.Bytes(), r.Length(), 0);
    }
    auto rows = Rows(req.filling);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(Text(req.filling, rows[0], 2094), "c");
    EXPECT_EQ(Text(req.filling, rows[1], 2094), "a/bc");
    EXPECT_EQ(d->topicValue, 77u);
}

TEST_F(Fill, ChannelAuthenticationOrder)
{
    static const PCFActionDef actions[] = { { 0, 0, 0, MQCMD_INQUIRE_CHLAUTH_RECS, 1, nullptr, "&Refresh",
                                              0x10001, 0, nullptr, nullptr, nullptr, nullptr },
                                            {} };
    static PCFLISTENTRY cols[] = { { &ChlName, 2 }, { &ChlType, 2 }, { &Peer, 2 }, { &Conn, 2 },
                                   { &User, 2 }, { nullptr, 0 } };
    static PCFListDef list = { cols, cols, 1352, 1 };
    PCFFieldEntry fields[1] = {};
    PCFCommandDef def = {};
    def.title = "Channel Authentication";
    def.actions = actions;
    def.fields = fields;
    def.list = &list;
    Dialog d(&def, (void *)5);
    req.columns = cols;
    struct { const char *chl; int type; const char *key; } recs[] = {
        { "B", 2, "x1" }, { "A", 1, "" }, { "A", 2, "first" }, { "A", 3, "zz" }, { "A", 2, "second" },
        { "A", 5, "usr" }, { "A", 3, "aa" },
    };
    Reply r(MQCMD_INQUIRE_CHLAUTH_RECS);
    for (auto &c : recs) {
        if (&c != recs)
            r.Separator();
        r.Str(MQCACH_CHANNEL_NAME, c.chl).Int(1352, c.type);
        if (c.type == 3)
            r.Str(MQCACH_SSL_PEER_NAME, c.key);
        if (c.type == 2)
            r.Str(MQCACH_CONNECTION_NAME, c.key);
        if (c.type == 5)
            r.Str(MQCACH_CLIENT_USER_ID, c.key);
    }
    ASSERT_EQ(FillListArea(d.get(), nullptr, &req, r.Bytes(), r.Length(), 0), 0);
    PCFLISTAREA *a = Taken();
    std::vector<std::string> order;
    for (PCFROW *row : Rows(a))
        order.push_back(Text(a, row, MQCACH_CHANNEL_NAME) + ":" + std::to_string(PCFListInt(FindItemAttr(a, 1352, row))) +
                        ":" + Text(a, row, MQCACH_SSL_PEER_NAME) + Text(a, row, MQCACH_CONNECTION_NAME));
    /* peer maps, user maps, block users, block addresses in arrival order */
    EXPECT_EQ(order, (std::vector<std::string>{ "A:3:aa-", "A:3:zz-", "A:5:--", "A:1:--", "A:2:-first",
                                                 "A:2:-second", "B:2:-x1" }));
}

TEST_F(Fill, LocalPutTimesAndBigValues)
{
    const PCFLISTENTRY cols[] = { { &PutDate, 2 }, { &PutTime, 2 }, { &Bytes, 2 }, { &Topic, 2 },
                                  { &Depth, 2 }, { nullptr, 0 } };
    req.columns = (PCFLISTENTRY *)cols;
    PcfPrefs.localTime = 1;
    PcfPrefs.localOffset = 60;
    Reply r(10002, false);
    r.Str(10027, "20240229").Str(10028, "23300000").Bytes(10040, std::string(30000, '\x7f'))
        .Str(2094, std::string(10240, 't')).Int(MQIA_CURRENT_Q_DEPTH, 4);
    ASSERT_EQ(FillListArea(nullptr, nullptr, &req, r.Bytes(), r.Length(), 0), 0);
    PCFLISTAREA *a = req.filling;
    PCFROW *row = PCFFirstRow(a);
    EXPECT_EQ(Text(a, row, 10027), "20240301");
    EXPECT_EQ(Text(a, row, 10028), "00300000");
    /* the row stays below 64 KB: the hex text is cut, the rest kept */
    EXPECT_LE(row->length, 65528);
    EXPECT_EQ(PCFListInt(FindItemAttr(a, MQIA_CURRENT_Q_DEPTH, row)), 4);
    std::string hex = Text(a, row, 10040), topic = Text(a, row, 2094);
    EXPECT_EQ(hex.size(), 60000u);
    EXPECT_EQ(hex.substr(0, 4), "7F7F");
    EXPECT_GT(topic.size(), 0u);
    EXPECT_LT(topic.size(), 10240u);          /* what no longer fits is cut */
    EXPECT_LE(hex.size() + topic.size(), 65528u);
    EXPECT_LE(a->used, a->size);
}

/* Each column takes the first parameter with its id before a response
 * delimiter, whether the row's columns are found in one walk (up to 256
 * columns, ids passed over by the filter) or each searches the row: the
 * same reply through both, against the values the reply was built with. */
TEST_F(Fill, ColumnsFoundInOneWalkOrBySearching)
{
    static PCFFieldDef defs[300];
    static PCFLISTENTRY wide[301], narrow[41];
    for (int i = 0; i < 300; i++) {
        defs[i] = Col((uint32_t)(7 * i + 1), PCFT_INT);
        wide[i] = { &defs[i], 2 };
    }
    for (int i = 0; i < 40; i++)
        narrow[i] = wide[(i * 37) % 300];
    wide[300] = narrow[40] = { nullptr, 0 };
    /* rows of ids in a scrambled order, most not a column's, some twice,
     * one row with a delimiter part way */
    std::vector<std::vector<int32_t>> want(5, std::vector<int32_t>(2200, 0));
    Reply r(10002, false);
    for (int row = 0; row < 5; row++) {
        if (row)
            r.Separator();
        for (int k = 0; k < 2200; k++) {
            int32_t id = (k * 613 + row * 101) % 2200 + 1, v = row * 10000 + k + 1;
            if (row == 3 && k == 1500)
                r.Int(40000, 0);               /* the response delimiter */
            r.Int(id, v);
            if (!(row == 3 && k >= 1500) && !want[row][id - 1])
                want[row][id - 1] = v;
            if (k % 9 == 0)
                r.Int(id, -v);                 /* a second of the id: passed over */
        }
    }
    for (PCFLISTENTRY *cols : { wide, narrow }) {
        ReleaseRefBlock(&req.filling);
        req.columns = cols;
        ASSERT_EQ(FillListArea(nullptr, nullptr, &req, r.Bytes(), r.Length(), 0), 0);
        PCFLISTAREA *a = req.filling;
        auto rows = Rows(a);
        ASSERT_EQ(rows.size(), 5u);
        for (int row = 0; row < 5; row++)
            for (int i = 0; cols[i].field; i++) {
                uint32_t id = cols[i].field->attrId;
                uint8_t *v = FindItemAttr(a, id, rows[(size_t)row]);
                ASSERT_NE(v, nullptr);
                int32_t expect = want[(size_t)row][id - 1];
                EXPECT_EQ(PCFListInt(v), expect) << "row " << row << " id " << id;
                EXPECT_EQ(PCFState(v) & PCFS_PRESENT, expect ? PCFS_PRESENT : 0) << "row " << row << " id " << id;
            }
    }
}

/* The byte-at-a-time trim the word-at-a-time one replaced. */
int32_t TrimmedByBytes(const uint8_t *text, int32_t length)
{
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == 0))
        length--;
    return length;
}

/* The fixed parts the walk knew by a list of types before its table. */
int32_t FixedByList(int32_t type)
{
    static const int32_t known[][2] = { { MQCFT_INTEGER, 16 },     { MQCFT_STRING, 20 },
                                        { MQCFT_INTEGER_LIST, 16 }, { MQCFT_STRING_LIST, 24 },
                                        { MQCFT_BYTE_STRING, 16 },  { MQCFT_INTEGER64, 24 },
                                        { MQCFT_INTEGER64_LIST, 16 }, { MQCFT_GROUP, 16 },
                                        { PCFT_OWN_BYTES, 20 } };
    for (const auto &k : known)
        if (k[0] == type)
            return k[1];
    return 0;
}

TEST_F(Fill, PaddingTrimmedAndStructuresWalkedAsBefore)
{
    /* names padded with blanks and NULs, and bytes one bit away from
       them (0xA0, 0x40, 0x01, 0x21), at every length and alignment */
    static const uint8_t tails[] = { ' ', 0, 0xA0, 0x40, 0x01, 0x21, 'Q' };
    std::mt19937 rng(41);
    uint8_t text[80];
    for (int round = 0; round < 20000; round++) {
        int32_t length = (int32_t)(rng() % 72), at = (int32_t)(rng() % 8);
        for (int32_t i = 0; i < length; i++)
            text[at + i] = rng() % 4 ? tails[rng() % 2] : tails[rng() % sizeof tails];
        ASSERT_EQ(PCFTrimmedLength(text + at, length), TrimmedByBytes(text + at, length)) << round;
    }
    /* a queue name with a NUL and a blank tail reaches its row trimmed */
    PCFLISTENTRY cols[] = { { &QName, 2 }, { nullptr, 0 } };
    req.columns = cols;
    Reply r(MQCMD_INQUIRE_Q, false);
    r.Str(MQCA_Q_NAME, std::string("APP.ONE\0 \0\0  \0 ", 15) + std::string(33, ' '));
    ASSERT_EQ(FillListArea(nullptr, nullptr, &req, r.Bytes(), r.Length(), 0), 0);
    uint8_t *v = FindItemAttr(req.filling, MQCA_Q_NAME, Rows(req.filling)[0]);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(PCFListLength(v), 7u);

    /* every type word, at every length a structure may claim: the walk
       takes the known ones at their fixed parts and no others */
    for (int32_t type = -2; type < 1100; type++)
        for (int32_t length = 8; length <= 32; length += 4) {
            uint8_t parm[64] = {};
            memcpy(parm, &type, 4);
            memcpy(parm + 4, &length, 4);
            PCFWALK w = { parm, parm + sizeof parm, 1, 0 };
            PCFPARM p;
            int took = PCFWalkNext(&w, &p);
            int32_t fixed = FixedByList(type);
            int want = type == PCFT_OWN_END || !fixed || length >= fixed;
            ASSERT_EQ(took, want) << "type " << type << " length " << length;
            if (took && fixed) {
                ASSERT_EQ(w.pos, parm + length) << "type " << type << " length " << length;
            }
        }
}

TEST_F(Fill, AreasForAWindowThatIsGoneAreReleased)
{
    Dialog d(&PCFQueueListDef, (void *)5);
    req.columns = PCFQueueListDef.list->current;
    rec.windowGone = 1;
    Reply r(MQCMD_INQUIRE_Q);
    r.Str(MQCA_Q_NAME, "Q1");
    EXPECT_EQ(FillListArea(d.get(), nullptr, &req, r.Bytes(), r.Length(), 0), 0);
    EXPECT_EQ(req.filling, nullptr);
    /* an error reply's empty list goes the same way */
    FillListArea(d.get(), nullptr, &req, nullptr, 0, 0);
    ASSERT_NE(req.filling, nullptr);
    EXPECT_EQ(req.filling->columns, 9);
    PCFPostListArea(d.get(), &req);
    EXPECT_EQ(req.filling, nullptr);
    PCFPostListArea(d.get(), &req);
}

TEST(NameFilter, TermsAndQueueList)
{
    AUTQMASK s = { nullptr, 1, 2, "S*" }, ab = { nullptr, 1, 3, "AB*" }, a = { &ab, 0, 2, "A*" };
    EXPECT_EQ(PCFMatchNameTerms(&a, "AC1", 3), 1);
    EXPECT_EQ(PCFMatchNameTerms(&a, "AB1", 3), 0);
    EXPECT_EQ(PCFMatchNameTerms(&a, "X1", 2), 0);
    EXPECT_EQ(PCFMatchNameTerms(&s, "Q1", 2), 1);
    EXPECT_EQ(PCFMatchNameTerms(&s, "SYS", 3), 0);
    EXPECT_EQ(PCFMatchNameTerms(nullptr, "X", 1), 1);
    QMS loc = {};
    loc.queueMasks = &a;
    strcpy(loc.queueList, "A?1");
    loc.queueListLength = 3;
    Reply yes(MQCMD_INQUIRE_Q), no(MQCMD_INQUIRE_Q), none(MQCMD_INQUIRE_Q);
    yes.Str(MQCA_Q_NAME, "AC1", 20);
    no.Str(MQCA_Q_NAME, "AC2");
    none.Int(MQIA_Q_TYPE, 1);
    EXPECT_EQ(PCFObjectNameSelected(&loc, yes.Bytes(), yes.Length()), 1);
    EXPECT_EQ(PCFObjectNameSelected(&loc, no.Bytes(), no.Length()), 0);
    EXPECT_EQ(PCFObjectNameSelected(&loc, none.Bytes(), none.Length()), 1);
}

}  // namespace
