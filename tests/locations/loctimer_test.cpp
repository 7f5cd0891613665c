/* The location timer on a fake clock with recorded hooks: one table of
 * LocTimerOne cases, then LocTimerTick's counts, icon and status post. */
#include "loccache.h"
#include "locstore.h"
#include "prfdata.h"
#include "cs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const int64_t NOW = 1700000000;

struct Recorder {
    std::vector<std::string> calls;
    int icons = 0, lastIcon = -1, endStatus = 0;
};
Recorder rec;

void record(const char *what, uint32_t bits = 0, int wait = -1)
{
    char text[64];
    if (wait >= 0)
        snprintf(text, sizeof text, "%s %x/%d", what, bits, wait);
    else
        snprintf(text, sizeof text, "%s", what);
    rec.calls.push_back(text);
}

void install_hooks()
{
    LOCTIMERHOOKS t = {};
    t.requestRefresh = [](void *, QMS *, uint32_t bits, const char *, int wait) {
        record("refresh", bits, wait);
        return 1;
    };
    t.startPutThread = [](void *, QMS *r) {
        record("start");
        r->lastAutoConnect = LocNow();
    };
    t.setDownloadState = [](void *, QMS *, uint32_t bits) { record("state", bits, 0); };
    t.postMonitor = [](void *, QMS *r) {
        record("monitor");
        r->monitorSent = LocNow();
    };
    t.setMainIcon = [](void *, int error) {
        rec.icons++;
        rec.lastIcon = error;
    };
    t.postFrame = [](void *, uint32_t message, QMS *) {
        if (message == FRM_ENDSTATUS)
            rec.endStatus++;
    };
    LocSetTimerHooks(&t);
    LOCHOOKS h = {};
    h.endPutThread = [](void *, QMS *, int) { record("end"); };
    h.updateRow = [](void *, QMS *) { record("row"); };
    LocSetHooks(&h);
}

void clear_tree()
{
    /* a location with a running thread only asks it to end */
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        ((QMS *)e)->putThread.state = ((QMS *)e)->getThread.state = 0;
    while (LocTree)
        LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
    LocFlushFreed();
}

QMS *add(const char *name, const std::function<void(QMS *)> &setup = nullptr)
{
    QMS t;
    InitLocationDefaults(&t);
    snprintf(t.qmName, sizeof t.qmName, "%s", name);
    if (setup)
        setup(&t);
    return LocCreate(&LocTree, &t, 0);
}

class Timer : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrfSetDefaults();
        Prf.objo = 0;
        Prf.objr = 0;
        Prf.alr = Prf.acr = 0;
        Prf.chsrate = 180;
        Prf.chstype = 99;                  /* no polls unless a case asks */
        Prf.opt1 &= ~0x1u;                 /* no monitor messages */
        LocGlobals.now = NOW;
        LocGlobals.exiting = 0;
        install_hooks();
        clear_tree();
        rec = Recorder();
    }
    void TearDown() override
    {
        LocGlobals.exiting = 0;
        clear_tree();
        LocSetHooks(nullptr);
        LocSetTimerHooks(nullptr);
        LocGlobals.now = 0;
    }
};

/* One case of LocTimerOne: the profile and the location as it stands,
 * and the calls expected, in order. */
struct Case {
    const char *name;
    std::function<void()> profile;
    std::function<void(QMS *)> location;
    std::vector<std::string> calls;
};

void connect(QMS *r) { r->putThread.state = 0x5; }

const Case cases[] = {
    { "object download after objr unused, then the 60 s pending-reply request",
      [] { Prf.objr = 100; },
      [](QMS *r) { connect(r); r->lastUsed = NOW - 100; r->pendingReply = 1;
                   r->lastDownloadRequest = NOW - 61; },
      { "refresh 8/1" } },
    { "a pending reply alone, 61 s after the last download request",
      [] {}, [](QMS *r) { connect(r); r->pendingReply = 1; r->lastDownloadRequest = NOW - 61; },
      { "refresh 2/0" } },
    { "download in progress: repeated only after objrty",
      [] { Prf.objr = 100; Prf.objrty = 50; },
      [](QMS *r) { connect(r); r->downloadState = 0x1; r->lastDownloadRequest = NOW - 50; },
      {} },
    { "download in progress, objrty passed",
      [] { Prf.objr = 100; Prf.objrty = 50; },
      [](QMS *r) { connect(r); r->downloadState = 0x1; r->lastDownloadRequest = NOW - 51; },
      { "refresh 8/1" } },
    { "no download without objd, with nc or fgn, can't send or suspended",
      [] { Prf.objr = 1; },
      [](QMS *r) { connect(r); r->flags &= ~LF_OBJD; },
      {} },
    { "missing via queue manager counts as not connected",
      [] { Prf.objr = 1; Prf.alr = 10; Prf.chstype = 2; Prf.chsrate = 0; },
      [](QMS *r) { connect(r); strcpy(r->viaQm, "NOT.THERE"); },
      {} },
    { "arra with a window open",
      [] {}, [](QMS *r) { connect(r); r->openWindow = r; r->autoRefreshOpen = 5; r->autoRefresh = 60;
                          r->lastAutoRefresh = NOW - 5; },
      { "refresh 13/1" } },
    { "arra -1 with a window falls back to arr",
      [] {}, [](QMS *r) { connect(r); r->openWindow = r; r->autoRefresh = 15;
                          r->lastAutoRefresh = NOW - 14; },
      {} },
    { "arr -1 falls back to acr for a client",
      [] { Prf.acr = 30; Prf.alr = 5; },
      [](QMS *r) { connect(r); r->flags |= LF_CLIENT; r->lastAutoRefresh = NOW - 30; },
      { "refresh 13/1" } },
    { "arr -1 falls back to alr for a local location",
      [] { Prf.acr = 30; Prf.alr = 50; },
      [](QMS *r) { connect(r); r->lastAutoRefresh = NOW - 30; },
      {} },
    { "an interval of 0 never refreshes",
      [] {}, [](QMS *r) { connect(r); r->autoRefresh = 0; },
      {} },
    { "option word 3 bit 30 stops automatic refreshes",
      [] { Prf.po[2] |= 0x40000000; Prf.alr = 1; },
      [](QMS *r) { connect(r); },
      {} },
    { "poll mode 0: network, first of ring and connected",
      [] { Prf.chstype = 0; },
      [](QMS *r) { connect(r); r->flags |= LF_NETWORK; },
      { "refresh 4/1" } },
    { "poll mode 0 not connected",
      [] { Prf.chstype = 0; }, [](QMS *r) { r->flags |= LF_NETWORK; }, {} },
    { "poll mode 1: not in trouble",
      [] { Prf.chstype = 1; }, [](QMS *r) { r->flags |= LF_NETWORK; }, { "refresh 4/1" } },
    { "poll mode 1 in trouble",
      [] { Prf.chstype = 1; },
      [](QMS *r) { r->flags |= LF_NETWORK; r->putThread.state = 0x8; }, {} },
    { "poll mode 2: connected",
      [] { Prf.chstype = 2; }, [](QMS *r) { connect(r); }, { "refresh 4/1" } },
    { "poll mode 3 with the queue manager unavailable",
      [] { Prf.chstype = 3; }, [](QMS *r) { r->status |= LS_UNAVAILABLE; }, {} },
    { "poll mode 3: not in trouble; suspended locations do not poll",
      [] { Prf.chstype = 3; }, [](QMS *r) { r->state |= LST_SUSPENDED; }, {} },
    { "poll interval not yet passed",
      [] { Prf.chstype = 2; }, [](QMS *r) { connect(r); r->lastStatusPoll = NOW - 179; }, {} },
    { "auto-connect after autod",
      [] {}, [](QMS *r) { r->flags |= LF_AUTO; r->lastAutoConnect = NOW - 60; }, { "start" } },
    { "auto-connect waits for autod",
      [] {}, [](QMS *r) { r->flags |= LF_AUTO; r->lastAutoConnect = NOW - 59; }, {} },
    { "no auto-connect through a via queue manager or with a thread",
      [] {}, [](QMS *r) { r->flags |= LF_AUTO; r->putThread.state = 0x2; }, {} },
    { "download state cleared 30 s after the retry time",
      [] {}, [](QMS *r) { r->downloadRetry = 1; r->downloadRetryTime = NOW - 31; }, { "state 0/0" } },
    { "not yet 30 s",
      [] {}, [](QMS *r) { r->downloadRetry = 1; r->downloadRetryTime = NOW - 30; }, {} },
    { "monitor: first message when due",
      [] { Prf.opt1 |= 0x1; },
      [](QMS *r) { r->monitorSent = NOW - 60; r->monitorAnswered = NOW - 59; },
      { "monitor", "row" } },
    { "monitor: no answer for 15 s, then the silent interval",
      [] { Prf.opt1 |= 0x1; },
      [](QMS *r) { r->monitorAnswered = NOW - 100; r->monitorSent = NOW - 15; },
      { "row" } },
    { "monitor off for a disabled location; process now still sends",
      [] { Prf.opt1 |= 0x1; },
      [](QMS *r) { r->status |= LS_DISABLED | LS_PROCESSNOW; r->monitorSent = NOW - 100; },
      { "monitor", "row" } },
    { "foreign location: its put thread ends, nothing else",
      [] { Prf.objr = 1; Prf.chstype = 2; Prf.opt1 |= 0x1; },
      [](QMS *r) { connect(r); r->flags |= LF_FGN | LF_AUTO; },
      { "refresh 4/1", "end" } },
};

TEST_F(Timer, LocTimerOneCases)
{
    for (const Case &c : cases) {
        SetUp();
        c.profile();
        QMS *r = add("QM1");
        ASSERT_NE(r, nullptr);
        c.location(r);
        rec.calls.clear();
        LocTimerOne(r);
        EXPECT_EQ(rec.calls, c.calls) << c.name;
    }
}

TEST_F(Timer, ViaLocationConnectionCounts)
{
    Prf.chstype = 2;
    QMS *gw = add("GATEWAY");
    QMS *r = add("BEHIND", [](QMS *t) { strcpy(t->viaQm, "GATEWAY"); t->flags |= LF_AUTO; });
    LocTimerOne(r);
    EXPECT_TRUE(rec.calls.empty());
    gw->putThread.state = 0x5;
    LocTimerOne(r);                          /* polls through the gateway; never connects itself */
    EXPECT_EQ(rec.calls, std::vector<std::string>{ "refresh 4/1" });
}

TEST_F(Timer, MonitorStatusAndSlaveMark)
{
    Prf.opt1 |= 0x1;
    QMS *r = add("QM1");
    r->monitorAnswered = NOW - 100;
    r->monitorSent = NOW - 15;
    LocTimerOne(r);
    EXPECT_TRUE(r->status & LS_NORESPONSE);
    /* silent: the next message waits for the interval while not answering */
    LocGlobals.now = NOW + 100;
    rec.calls.clear();
    LocTimerOne(r);
    EXPECT_TRUE(rec.calls.empty());
    LocGlobals.now = NOW - 15 + 1800;
    LocTimerOne(r);
    EXPECT_EQ(rec.calls.front(), "monitor");
    /* the slave mark goes 25 s after the last answer; no message meanwhile */
    r->status |= LS_SLAVE;
    r->monitorAnswered = LocGlobals.now - 26;
    r->monitorSent = LocGlobals.now - 5000;
    LocTimerOne(r);
    EXPECT_FALSE(r->status & LS_SLAVE);
}

TEST_F(Timer, TickCountsIconAndEndStatus)
{
    Prf.po[0] |= PO1_SWAP_ICON;
    QMS *a = add("A"), *b = add("B");
    (void)a;
    add("F", [](QMS *t) { t->flags |= LF_FGN; });    /* a foreign location is counted too */
    LocTimerTick(NOW);
    EXPECT_EQ(LocCounts.seen, 3);
    EXPECT_EQ(LocCounts.inError, 0);
    EXPECT_EQ(rec.icons, 0);                 /* no change, no swap */
    EXPECT_EQ(rec.endStatus, 1);
    LocSetStatus(b, LS_CANTSEND, 0, 0);
    LocTimerTick(NOW + 1);
    EXPECT_EQ(LocCounts.inError, 1);
    EXPECT_EQ(rec.icons, 1);
    EXPECT_EQ(rec.lastIcon, 1);
    LocTimerTick(NOW + 2);
    EXPECT_EQ(rec.icons, 1);
    LocSetStatus(b, LS_NORESPONSE | LS_DISABLED, LS_CANTSEND, 0);
    LocTimerTick(NOW + 3);                   /* no answer while disabled is no error */
    EXPECT_EQ(LocCounts.inError, 0);
    EXPECT_EQ(rec.icons, 2);
    EXPECT_EQ(rec.lastIcon, 0);
    EXPECT_EQ(rec.endStatus, 4);
    /* with the option off the icon stays, errors or not */
    Prf.po[0] &= ~(uint32_t)PO1_SWAP_ICON;
    LocSetStatus(b, LS_CANTSEND, LS_NORESPONSE | LS_DISABLED, 0);
    LocTimerTick(NOW + 4);
    EXPECT_EQ(LocCounts.inError, 1);
    EXPECT_EQ(rec.icons, 2);
}

TEST_F(Timer, ExitEndsThreadsAndNamesTheStillConnected)
{
    QMS *a = add("A"), *b = add("B"), *c = add("C");
    a->putThread.state = 0x5;
    b->getThread.state = 0x1;
    b->threadStop = 1;                       /* asked to stop: not counted */
    c->putThread.state = 0;
    LocGlobals.exiting = 1;
    LocTimerTick(NOW);
    EXPECT_EQ(rec.calls, std::vector<std::string>{ "end" });
    EXPECT_EQ(LocCounts.running, 1);
    EXPECT_STREQ(LocNameList(), "A,B");
}

}  // namespace
