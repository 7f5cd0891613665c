/* Replies into data areas: key matching, conversion by parameter type,
 * fields given by the reply, the message dialog's status, the hand-over
 * to the window (also between threads), and refreshes after commands. */
#include "dlgtest.h"

#include <atomic>
#include <thread>

#include "pcflists.h"
#include "qms.h"

using namespace dlgtest;

namespace {

struct Replies : ::testing::Test {
    Recorder rec;
    QMS location = {};
    int64_t before = 0;
    void SetUp() override
    {
        PCFPrefsDefaults();
        rec.Install();
        strcpy(location.qmName, "QM1");
        strcpy(location.locationName, "First location");
        location.commandLevel = 940;
        before = Blocks();
    }
    void TearDown() override
    {
        rec.ReleasePosted();
        Recorder::Clear();
        PCFPrefsDefaults();
        EXPECT_EQ(Blocks(), before);
    }
};

Reply ThreeQueues(void)
{
    Reply r(MQCMD_INQUIRE_Q);
    int depth = 100;
    for (const char *q : { "Q1", "Q2", "Q3" }) {
        if (depth > 100)
            r.Separator();
        r.Str(MQCA_Q_NAME, q, 46).Int(MQIA_Q_TYPE, MQQT_LOCAL).Int(MQIA_MAX_Q_DEPTH, depth);
        depth += 100;
    }
    return r;
}

TEST_F(Replies, KeyMatchingInstallsOnlyTheMatchingObject)
{
    Reply r = ThreeQueues();
    {
        Dialog q(&PCFQueueDef);
        FieldHWNDData(q.get(), 0, nullptr, 0, q.Field(MQCA_Q_NAME), "Q2", -1, 0);
        EXPECT_EQ(PCFSetDialogData(q.get(), &location, nullptr, nullptr, 1, r.Bytes(), r.Length(), nullptr), 0);
        EXPECT_EQ(PCFRecInt(q.Record(MQIA_MAX_Q_DEPTH)), 200);
        EXPECT_TRUE(q->statusFlags & DS_MATCHED);
        FieldHWNDData(q.get(), 0, nullptr, 0, q.Field(MQCA_Q_NAME), "Q9", -1, 0);
        PCFSetDialogData(q.get(), &location, nullptr, nullptr, 1, r.Bytes(), r.Length(), nullptr);
        EXPECT_EQ(PCFRecInt(q.Record(MQIA_MAX_Q_DEPTH)), 200);      /* none matched: nothing */
        PcfPrefs.takeFirstObject = 1;
        PCFSetDialogData(q.get(), &location, nullptr, nullptr, 1, r.Bytes(), r.Length(), nullptr);
        EXPECT_EQ(PCFRecInt(q.Record(MQIA_MAX_Q_DEPTH)), 100);
        EXPECT_STREQ(q->objectName, "Q1");
    }
    /* with a window: a new area waits until the window takes it */
    Dialog w(&PCFQueueDef, (void *)9);
    FieldHWNDData(w.get(), 0, nullptr, 0, w.Field(MQCA_Q_NAME), "Q3", -1, 0);
    PcfPrefs.takeFirstObject = 0;
    uint8_t *old = w->dataArea;
    PCFSetDialogData(w.get(), &location, nullptr, nullptr, 1, r.Bytes(), r.Length(), nullptr);
    ASSERT_EQ(rec.posts.size(), 1u);
    EXPECT_EQ(rec.posts[0].message, (uint32_t)UM_PCF_UPDATE_DIALOG);
    EXPECT_EQ(rec.posts[0].lParam, 1);
    EXPECT_EQ(w->dataArea, old);
    EXPECT_EQ(w.State(MQIA_MAX_Q_DEPTH), 0);
    EXPECT_EQ(PCFTakeDialogData(w.get()), 1);
    EXPECT_NE(w->dataArea, old);
    EXPECT_EQ(PCFRecInt(w.Record(MQIA_MAX_Q_DEPTH)), 300);
    EXPECT_STREQ(PCFRecText(w.Record(MQCA_Q_NAME)), "Q3");
    EXPECT_EQ(PCFTakeDialogData(w.get()), 0);
}

TEST_F(Replies, ConversionByParameterType)
{
    Dialog m(&PCFMessageDef);
    PcfPrefs.diagnostics = 1;
    PcfPrefs.timeOffset = 1;
    PcfPrefs.timeOffsetMinutes = -90;
    Reply r(10004);
    r.Str(MQCA_Q_NAME, "APP" + std::string(3, ' ')).Int(10033, 3).Int(10035, 5000).Int(10052, 100)
        .Bytes(10019, std::string(40, '\x01'), MQCFT_BYTE_STRING)         /* cut to 24 */
        .Bytes(10037, std::string("body\0\0", 6), MQCFT_BYTE_STRING)
        .Bytes(10036, std::string(364, 'D'), 1001)
        .Str(10016, "        ").Int(19, 1).Str(3507, "x").Int(4711, 1).Int64(10061, 0x100000437);
    m->stateFlags = 0;
    EXPECT_EQ(PCFSetDialogData(m.get(), &location, nullptr, nullptr, 0, r.Bytes(), r.Length(), nullptr), 0);
    EXPECT_STREQ(PCFRecText(m.Record(MQCA_Q_NAME)), "APP");
    EXPECT_EQ(m.State(MQCA_Q_NAME), PCFS_RECEIVED | PCFS_SPECIFIED);
    EXPECT_EQ(m.State(10016), PCFS_RECEIVED);                      /* all blanks */
    EXPECT_EQ(PCFRecBytesLength(m.Record(10019)), 24u);
    PCFMSGBUF *body = PCFRecMsgBuf(m.Record(10037));
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->length, 6u);              /* message data keeps its trailing zeros */
    EXPECT_EQ((PCFRecMsgBuf(m.Record(10036)))->length, 364u);
    EXPECT_EQ(PCFRecInt(m.Record(10061)), 0x437);
    EXPECT_STREQ(m->unhandled, "4711,");
    /* the message was longer than what was retrieved */
    EXPECT_TRUE(m->statusFlags & DS_TRUNCATED);
    EXPECT_EQ(rec.statuses.back(), "Only the first 100 bytes have been retrieved from the Queue Manager");
    m->statusFlags |= DS_WANT_COMPLETE;
    PCFSetDialogData(m.get(), &location, nullptr, nullptr, 0, r.Bytes(), r.Length(), nullptr);
    EXPECT_FALSE(m->statusFlags & DS_TRUNCATED);
    EXPECT_EQ(rec.statuses.back(), "The complete message has been retrieved from Queue Manager");

    /* put date and time shifted by the offset, days carried */
    Dialog d(&PCFMessageDetailDef);
    Reply t(10001);
    t.Str(10027, "20240301").Str(10028, "00300000");
    PCFSetDialogData(d.get(), &location, nullptr, nullptr, 0, t.Bytes(), t.Length(), nullptr);
    EXPECT_STREQ(PCFRecText(d.Record(10027)), "20240229");
    EXPECT_STREQ(PCFRecText(d.Record(10028)), "23000000");
    /* an unknown structure ends the conversion; what came before stays */
    Reply bad(10001);
    bad.Int(10033, 8).Put({ 77, 16, 1, 0 }).Int(10035, 1);
    EXPECT_EQ(PCFSetDialogData(d.get(), &location, nullptr, nullptr, 0, bad.Bytes(), bad.Length(), nullptr), 1077);
    EXPECT_EQ(PCFRecInt(d.Record(10033)), 8);
}

TEST_F(Replies, FlagSetsStringListsAndIbmI)
{
    static const PCFValueDef rows[] = { { 0, 0, 0, 0x1, "One", "ONE" }, { 0, 0, 0, 0x2, "Two", "TWO" },
                                        { 0, 0, 0, 0, nullptr, nullptr } };
    PCFFieldDef flags = {};
    flags.title = "Flags", flags.attrId = 5, flags.type = PCFT_FLAGSET, flags.values = rows;
    PCFFieldEntry fields[2] = {};
    fields[0].field = &flags;
    PCFCommandDef def = {};
    def.title = "Flags";
    def.fields = fields;
    PCFPrepareDef(&def);
    uint8_t *area = PCFNewData(&def, "FLAGS");
    Reply r(1);
    r.Int(5, 0x13);
    uint32_t changed = 0;
    PCFSetDialogData(nullptr, &location, &def, area, 0, r.Bytes(), r.Length(), &changed);
    PCFINTLIST *l = PCFRecIntList(area + fields[0].offset);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(std::vector<int32_t>(PCFIntListItems(l), PCFIntListItems(l) + l->count),
              (std::vector<int32_t>{ 1, 2, 0x10 }));
    EXPECT_GE(l->capacity, 5);
    PCFFreeData(&def, area, 1);

    /* an IBM i string list into the client channel's exits, elements cut */
    uint8_t *client = PCFNewData(&PCFClientChannelDef, "CLIENT");
    location.platform = MQPL_OS400;
    Reply c(MQCMD_INQUIRE_CHANNEL);
    c.Strs(MQCACH_SEND_EXIT_NAME, { "exitA", "", std::string(200, 'L') }, 200, 24 + 600 - 2)
        .Str(MQCACH_CONNECTION_NAME, "host(1414)");
    EXPECT_EQ(PCFSetDialogData(nullptr, &location, &PCFClientChannelDef, client, 0, c.Bytes(), c.Length(), &changed), 0);
    EXPECT_EQ(changed, 1u);
    PCFFieldEntry *exits = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, MQCACH_SEND_EXIT_NAME);
    PCFSTRLIST *s = PCFRecStrList(client + exits->offset);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->count, 2);                                  /* the blank element is left out */
    EXPECT_EQ(std::string(PCFStrListItem(s, 128, 1), 128), std::string(128, 'L'));
    EXPECT_STREQ((char *)PCFGetStrValue(nullptr, &PCFClientChannelDef, client, MQCACH_CONNECTION_NAME, nullptr),
                 "host(1414)");
    PCFFreeData(&PCFClientChannelDef, client, 1);

    /* an MQCFSL built from a multi-string */
    uint8_t out[64];
    uint32_t n = PCFMeasureList(exits->field, (const uint8_t *)"ab\005cde\005f", 8, out, sizeof out);
    EXPECT_EQ(n, 36u);
    int32_t words[6];
    memcpy(words, out, sizeof words);
    EXPECT_EQ(words[0], MQCFT_STRING_LIST);
    EXPECT_EQ(words[2], MQCACH_SEND_EXIT_NAME);
    EXPECT_EQ(words[4], 3);
    EXPECT_EQ(words[5], 3);
    EXPECT_EQ(std::string((char *)out + 24, 9), "ab cdef  ");
    EXPECT_EQ(PCFMeasureList(exits->field, (const uint8_t *)"abc", 3, out, 20), 0u);
}

TEST_F(Replies, FieldsGivenByTheReply)
{
    PCFFieldDef name = {}, depth = {}, desc = {};
    name.title = "Name", name.attrId = MQCA_Q_NAME, name.type = PCFT_NAME, name.maximum = 48;
    depth.title = "Depth", depth.attrId = MQIA_CURRENT_Q_DEPTH, depth.type = PCFT_INT, depth.maximum = 1000;
    desc.title = "Description", desc.attrId = MQCA_Q_DESC, desc.type = PCFT_STRING, desc.maximum = 64;
    PCFFieldEntry fields[2] = {}, detail[3] = {};
    fields[0].field = &name;
    detail[0].field = &depth, detail[1].field = &desc;
    PCFCommandDef def = {};
    def.title = "Status";
    def.fields = fields;
    def.detail = detail;
    def.objectId = 3333;
    def.flags = PCFD_REPLYFIELDS;
    PCFPrepareDef(&def);
    /* the nested list: a count and the parameters */
    Reply inner(0);
    inner.Int(MQIA_CURRENT_Q_DEPTH, 17).Str(MQCA_Q_DESC, "inside");
    int32_t count = 2;
    std::string nested = std::string((char *)&count, 4) + inner.data.substr(36);
    Reply r(1);
    r.Str(MQCA_Q_NAME, "Q1").Bytes(3333, nested, 1001);
    for (void *window : { (void *)nullptr, (void *)4 }) {
        Dialog d(&def, window);
        PCFCommandDef *start = d->definition;
        PCFSetDialogData(d.get(), &location, nullptr, nullptr, 0, r.Bytes(), r.Length(), nullptr);
        if (window) {
            EXPECT_EQ(PCFTakeDialogData(d.get()), 1);
        }
        ASSERT_NE(d->definition, start);
        EXPECT_EQ(d->definition->fields[2].field, &desc);
        EXPECT_EQ(d->listIndex, -1);
        EXPECT_EQ(PCFGetIntValue(nullptr, d->definition, d->dataArea, MQIA_CURRENT_Q_DEPTH, nullptr), 17);
        EXPECT_STREQ((char *)PCFGetStrValue(nullptr, d->definition, d->dataArea, MQCA_Q_DESC, nullptr), "inside");
        EXPECT_STREQ((char *)PCFGetStrValue(nullptr, d->definition, d->dataArea, MQCA_Q_NAME, nullptr), "Q1");
        EXPECT_EQ(d->ownsDefinition, 1u);
        PCFFreeData(d->definition, d->dataArea, 1);
        d->dataArea = nullptr;
        PCFCommandDef *copy = d->definition;
        d->definition = start;
        CSFreeMem(copy->fields);
        CSFreeMem(copy);
    }
}

TEST_F(Replies, WindowsGoneAutoExecuteAndReplacedConversions)
{
    Reply r(MQCMD_INQUIRE_Q_MGR);
    r.Str(MQCA_Q_MGR_NAME, "QM1").Int(MQIA_MAX_HANDLES, 256);
    Dialog d(&PCFQueueManagerDef, (void *)3);
    d->stateFlags |= DF_AUTO_EXECUTE;
    PCFSetDialogData(d.get(), &location, nullptr, nullptr, 0, r.Bytes(), r.Length(), nullptr);
    ASSERT_EQ(rec.posts.size(), 2u);
    EXPECT_EQ(rec.posts[1].message, (uint32_t)PCF_WM_COMMAND);
    EXPECT_EQ(rec.posts[1].wParam, (uintptr_t)PCFID_EXECUTE);
    /* a second conversion before the window took the first builds on it */
    Reply s(MQCMD_INQUIRE_Q_MGR_STATUS);
    s.Int(MQIACF_CONNECTION_COUNT, 12);
    PCFSetDialogData(d.get(), &location, nullptr, nullptr, 0, s.Bytes(), s.Length(), nullptr);
    EXPECT_EQ(PCFTakeDialogData(d.get()), 1);
    EXPECT_EQ(PCFRecInt(d.Record(MQIA_MAX_HANDLES)), 256);
    EXPECT_EQ(PCFRecInt(d.Record(MQIACF_CONNECTION_COUNT)), 12);
    EXPECT_EQ(d.Text(10200), "First location");
    /* a window that is gone: the converted area is released */
    rec.windowGone = 1;
    PCFSetDialogData(d.get(), &location, nullptr, nullptr, 0, r.Bytes(), r.Length(), nullptr);
    EXPECT_EQ(d->pending, nullptr);
}

TEST_F(Replies, HandOverBetweenThreads)
{
    Dialog d(&PCFQueueManagerDef, (void *)3);
    const int replies = 3000;
    std::atomic<int> done{ 0 };
    std::thread worker([&] {
        for (int i = 1; i <= replies; i++) {
            Reply r(MQCMD_INQUIRE_Q_MGR, true);
            r.Str(MQCA_Q_MGR_NAME, "QM1").Int(MQIA_MAX_HANDLES, i).Str(MQCA_Q_MGR_DESC, std::string(i % 60, 'd'));
            PCFSetDialogData(d.get(), &location, nullptr, nullptr, 0, r.Bytes(), r.Length(), nullptr);
        }
        done = 1;
    });
    int taken = 0, last = 0;
    char text[80];
    while (!done || d->pending) {
        taken += PCFTakeDialogData(d.get());
        int v = PCFRecInt(d.Record(MQIA_MAX_HANDLES));
        EXPECT_GE(v, last);                        /* never a half-written area */
        last = v;
        PCFValueText(d->dataArea, d.Field(MQCA_Q_MGR_DESC), 0, text, sizeof text, 1);
        FieldHWNDData(d.get(), 0, nullptr, 0, d.Field(MQIA_MAX_UNCOMMITTED_MSGS), "10", -1, 0);
        {
            std::lock_guard<std::mutex> g(rec.lock);
            rec.posts.clear();
        }
    }
    worker.join();
    PCFTakeDialogData(d.get());
    EXPECT_GT(taken, 0);
    EXPECT_EQ(PCFRecInt(d.Record(MQIA_MAX_HANDLES)), replies);
}

TEST_F(Replies, RefreshAfterCommands)
{
    static PCFActionDef statusActions[] = { { 0, 0, 0, 42, 1, nullptr, "&Refresh", 0x10001, 0, nullptr,
                                              nullptr, nullptr, nullptr },
                                            {} };
    PCFFieldDef chl = {};
    chl.title = "Channel", chl.attrId = MQCACH_CHANNEL_NAME, chl.type = PCFT_NAME, chl.maximum = 20;
    PCFFieldEntry fields[2] = {};
    fields[0].field = &chl;
    PCFListDef list = { PCFQueueListDef.list->current, PCFQueueListDef.list->current, 0, 1 };
    PCFCommandDef status = {};
    status.title = "Channel Status";
    status.actions = statusActions;
    status.fields = fields;
    status.list = &list;
    PCFPrepareDef(&status);
    Dialog msgs(&PCFMessageListDef, (void *)1), chls(&status, (void *)2), queues(&PCFQueueListDef, (void *)3);
    strcpy(msgs->objectName, "APP.Q");
    strcpy(chls->objectName, "TO.*");
    strcpy(queues->objectName, "APP.*");
    for (Dialog *d : { &msgs, &chls, &queues }) {
        d->get()->first.location = &location;
        d->get()->first.replyArea = PCFColumnOnlyList(PCFQueueListDef.list->current);
        d->get()->first.replyArea->rows = 1;
    }
    msgs->next = chls.get();
    chls->next = queues.get();
    PCFOpenDialogs = msgs.get();
    PcfPrefs.refreshMessageLists = 1;

    Reply clear(MQCMD_CLEAR_Q);
    clear.Str(MQCA_Q_NAME, "APP.Q");
    /* cleared from the queue list: the queue's message list refreshed */
    PCFRefreshAfterResponse(&location, 0, clear.Bytes(), clear.Length(), nullptr, queues.get(), 1000);
    EXPECT_EQ(rec.commands, std::vector<uint32_t>{ 1 });        /* refreshed at once */
    EXPECT_EQ(msgs->lastRefresh, 1000);
    EXPECT_EQ(queues->lastRefresh, 0);
    PCFRefreshAfterResponse(&location, 0, clear.Bytes(), clear.Length(), nullptr, queues.get(), 1003);
    EXPECT_TRUE(msgs->first.refreshFlags & PCFLR_REFRESH_DUE);  /* too soon: marked */

    /* a channel, listener or service started or stopped: its status list
       a second or two later */
    const struct { MQLONG command, list; int64_t due; } started[] = {
        { MQCMD_START_CHANNEL, MQCMD_INQUIRE_CHANNEL_STATUS, 2001 },
        { MQCMD_STOP_CHANNEL, MQCMD_INQUIRE_CHANNEL_STATUS, 2002 },
        { MQCMD_START_CHANNEL_LISTENER, MQCMD_INQUIRE_LISTENER_STATUS, 2001 },
        { MQCMD_STOP_CHANNEL_LISTENER, MQCMD_INQUIRE_LISTENER_STATUS, 2002 },
        { MQCMD_START_SERVICE, MQCMD_INQUIRE_SERVICE_STATUS, 2001 },
        { MQCMD_STOP_SERVICE, MQCMD_INQUIRE_SERVICE_STATUS, 2002 },
    };
    for (const auto &c : started) {
        statusActions[0].command = (uint32_t)c.list;     /* a status list of that kind */
        chls->first.refreshFlags = 0;
        chls->optionFlags &= ~(uint32_t)DO_LISTS_WAIT;
        Reply done(c.command);
        done.Str(MQCACH_CHANNEL_NAME, "TO.QM2");
        PCFRefreshAfterResponse(&location, 0, done.Bytes(), done.Length(), nullptr, chls.get(), 2000);
        EXPECT_TRUE(chls->first.refreshFlags & PCFLR_REFRESH_DUE) << c.command;
        EXPECT_EQ(chls->first.refreshDue, c.due);
        EXPECT_TRUE(chls->optionFlags & DO_LISTS_WAIT);          /* the timed check re-issues it */
    }
    statusActions[0].command = MQCMD_INQUIRE_CHANNEL_STATUS;

    /* messages moved or deleted: the queue lists showing the queue are
       inquired again with the message list; copied: nothing */
    int64_t now = 3000;
    for (uint32_t command : { 10008u, 10009u, 10007u }) {
        Reply moved(command);
        moved.Str(MQCA_Q_NAME, "APP.Q");
        now += 1000;
        PCFRefreshAfterResponse(&location, 0, moved.Bytes(), moved.Length(), nullptr, msgs.get(), now);
        EXPECT_EQ(queues->lastRefresh, command == 10007 ? 5000 : now) << command;
    }
    EXPECT_EQ(rec.commands.size(), 5u);
    location.flags |= LF_NAU;
    EXPECT_EQ(PCFRefreshObjectDialogs(&location, nullptr, 0, 10002, MQCA_Q_NAME, "APP.Q", 5000), 0);
    location.flags = 0;
    PcfPrefs.refreshMessageLists = 0;
    EXPECT_EQ(PCFRefreshObjectDialogs(&location, nullptr, 0, 10002, MQCA_Q_NAME, "APP.Q", 5000), 0);
    EXPECT_EQ(rec.commands.size(), 5u);
    PCFOpenDialogs = nullptr;

    /* lists up to date: counts of requests, replies and ends */
    PCFLISTREQ &r = chls->first;
    r.requestCount = 3, r.replyCount = 1, r.endCount = 0, r.lastRequest = 100;
    EXPECT_EQ(PCFListsUpToDate(chls.get(), 1, 60, 0, 120), 1);    /* rows present, no force */
    EXPECT_EQ(PCFListsUpToDate(chls.get(), 1, 60, 1, 120), 0);
    EXPECT_EQ(PCFListsUpToDate(chls.get(), 0, 60, 1, 120), 0);    /* two missing, young */
    EXPECT_EQ(PCFListsUpToDate(chls.get(), 0, 60, 1, 200), 1);    /* old */
    r.endCount = 3;
    EXPECT_EQ(PCFListsUpToDate(chls.get(), 1, 60, 1, 120), 1);
    chls->stateFlags |= DF_CLOSING;
    EXPECT_EQ(PCFListsUpToDate(chls.get(), 0, 60, 0, 120), 0);
}

}  // namespace
