/* The progress window under the display: shown only after "prgdelay"
 * seconds (at once with 0, never with -1), Abort, OK once finished,
 * closing by itself on completion, its remembered size, and pictures of
 * a running and a finished window. */
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "mqengine.h"
#include "progress.h"
#include "dd.h"
#include "prfdata.h"
#include "tkharness.h"

namespace {

/* The engine's clock, moved by hand. */
std::atomic<uint64_t> nowMs{5000000};
int64_t ClockTime(void *) { return (int64_t)(nowMs / 1000); }
uint64_t ClockTick(void *) { return nowMs; }
void ClockSleep(void *, uint32_t ms) { nowMs += ms; }
uint32_t ClockWait(void *, uint32_t ms) { return ms; }
const MQECLOCK manual = { nullptr, ClockTime, ClockTick, ClockSleep, ClockWait };

class ProgressWindow : public ::testing::Test {
public:
    HWND owner;
    uint8_t key[24] = {9};
    void SetUp() override
    {
        static bool ready;
        if (!ready) {
            int version = 100;
            DDInitialise(GetModuleHandleA(nullptr), &version, nullptr, nullptr);
            ready = true;
        }
        owner = TestParent(500, 300);
        PrfSetDefaults();
        MQESetClock(&manual);
    }
    void TearDown() override
    {
        ProgLock();
        while (ProgList) {
            PROGRESS *p = ProgList;
            if (p->window)
                DestroyWindow((HWND)p->window);
            else
                ProgRemove(p);
        }
        ProgUnlock();
        Pump();
        MQESetClock(nullptr);
    }
    void Tick(int seconds)
    {
        nowMs += (uint64_t)seconds * 1000;
        ProgUpdateAll();
        Pump();
    }
    static std::string Field(PROGRESS *p, int id)
    {
        char text[300] = "";
        DDGetFieldText((DDHANDLE)p->dialog, id, text, sizeof text);
        return text;
    }
    static HWND Button(PROGRESS *p)
    {
        return DDGetFieldWindow((DDHANDLE)p->dialog, PROG_BUTTON, 0);
    }
};

bool Listed(PROGRESS *p)
{
    ProgLock();
    bool found = false;
    for (PROGRESS *q = ProgList; q; q = q->next)
        found |= q == p;
    ProgUnlock();
    return found;
}

void Press(HWND button)
{
    RECT rc;
    GetClientRect(button, &rc);
    Click(button, rc.right / 2, rc.bottom / 2);
    Pump();
}

}  // namespace

TEST_F(ProgressWindow, ShowsOnlyWhenStillRunningAfterTheDelay)
{
    PROGRESS *p = ProgCreate(owner, key, "Copying messages");
    ASSERT_NE(p, nullptr);
    HWND w = (HWND)p->window;
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(Field(p, PROG_STATUS), "Waiting to start...");
    Tick(1);
    Tick(1);
    EXPECT_FALSE(IsWindowVisible(w));
    Tick(1);
    EXPECT_TRUE(IsWindowVisible(w));

    /* an operation that ends sooner never shows */
    uint8_t other[24] = {10};
    PROGRESS *quick = ProgCreate(owner, other, "Quick");
    ASSERT_EQ(ProgFind(other), quick);
    ProgMarkTime(quick);
    Tick(1);
    ProgFinish(quick);
    Tick(1);
    EXPECT_FALSE(Listed(quick));               /* window and record gone, never seen */

    /* 0: at once; -1: never a record */
    Prf.prgdelay = 0;
    uint8_t third[24] = {11};
    PROGRESS *now = ProgCreate(owner, third, "Now");
    ASSERT_NE(now, nullptr);
    EXPECT_TRUE(IsWindowVisible((HWND)now->window));
    Prf.prgdelay = -1;
    EXPECT_EQ(ProgCreate(owner, third, "Never"), nullptr);
}

TEST_F(ProgressWindow, AbortThenOkWhenFinished)
{
    Prf.prgdelay = 0;
    PROGRESS *p = ProgCreate(owner, key, "Moving messages");
    ASSERT_EQ(ProgFind(key), p);
    ProgMarkTime(p);
    ProgSetPosition(p, 40, 100);
    ProgCountRead(p, 40, 40 * 2048);
    ProgCountWritten(p, 40, 40 * 2048);
    Tick(2);
    EXPECT_EQ(Field(p, PROG_STATUS), "Operation started...");
    char caption[200];
    GetWindowTextA((HWND)p->window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Moving messages : 40% Completed");
    EXPECT_EQ(Field(p, PROG_READ), "Read : 40 msgs (80 KB) ");
    EXPECT_TRUE(GalleryShot((HWND)p->window, "progress_running", true));

    Press(Button(p));
    EXPECT_EQ(ProgAbortRequested(p), 1);
    Tick(1);
    EXPECT_EQ(Field(p, PROG_STATUS), "Abort requested.");

    /* the user closes it while it runs: hidden, not gone */
    SendMessageA((HWND)p->window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible((HWND)p->window));
    Tick(5);
    EXPECT_FALSE(IsWindowVisible((HWND)p->window));
    ShowWindow((HWND)p->window, SW_SHOWNOACTIVATE);

    ProgSetPosition(p, 100, 100);
    ProgFinish(p);
    Tick(1);
    EXPECT_EQ(Field(p, PROG_STATUS), "Operation completed.");
    char label[20];
    GetWindowTextA(Button(p), label, sizeof label);
    EXPECT_STREQ(label, "OK");
    EXPECT_TRUE(GalleryShot((HWND)p->window, "progress_finished", true));
    Press(Button(p));
    EXPECT_FALSE(Listed(p));
}

/* A run the user aborted: its title says how far it came, as its status
 * line says it was aborted, never that it completed. */
TEST_F(ProgressWindow, AnAbortedRunSaysSoInItsTitle)
{
    Prf.prgdelay = 0;
    PROGRESS *p = ProgCreate(owner, key, "Copying messages");
    ASSERT_EQ(ProgFind(key), p);
    ProgMarkTime(p);
    ProgSetPosition(p, 3, 8);
    ProgCountRead(p, 3, 3 * 1024);
    Tick(1);
    Press(Button(p));
    ProgSetDone(p, 1);
    ProgFinish(p);
    Tick(1);
    EXPECT_EQ(Field(p, PROG_STATUS), "Operation Aborted by request.");
    char caption[200];
    GetWindowTextA((HWND)p->window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Copying messages : Aborted at 38%");
    EXPECT_EQ(Field(p, PROG_READ), "Read : 3 msgs (3 KB) (before rollback)");
}

TEST_F(ProgressWindow, ClosesItselfWhenAskedAndRemembersItsSize)
{
    Prf.prgdelay = 0;
    Prf.po[4] |= PO5_AUTO_DISMISS;
    PROGRESS *p = ProgCreate(owner, key, "Deleting messages");
    HWND w = (HWND)p->window;
    SetWindowPos(w, nullptr, 0, 0, 420, 330, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    EXPECT_EQ(Prf.dialogs[DLG_PRGSZ][2], 420);
    EXPECT_EQ(Prf.dialogs[DLG_PRGSZ][3], 330);
    ASSERT_EQ(ProgFind(key), p);
    ProgMarkTime(p);
    ProgSetPosition(p, 7, 7);
    ProgFinish(p);
    Tick(1);
    EXPECT_FALSE(Listed(p));                   /* closed on completion at 100% */

    uint8_t next[24] = {12};
    PROGRESS *q = ProgCreate(owner, next, "Again");
    RECT rc;
    GetWindowRect((HWND)q->window, &rc);
    EXPECT_EQ(rc.right - rc.left, 420);
    EXPECT_EQ(rc.bottom - rc.top, 330);

    /* without the option a window finished at 100% stays for the user */
    Prf.po[4] &= ~(uint32_t)PO5_AUTO_DISMISS;
    ASSERT_EQ(ProgFind(next), q);
    ProgMarkTime(q);
    ProgSetPosition(q, 7, 7);
    Tick(1);
    ProgFinish(q);
    Tick(1);
    EXPECT_TRUE(Listed(q));
}
