/* The harness itself, against e2e_target.exe: its window found, typed
 * into and clicked with synthesized input, its field read back, its
 * message boxes answered and logged, a fault armed inside it, and its
 * queue checked through the MQI while it owns the queue manager. */
#include "e2e.h"
#include "mqsim.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

static std::string ExeDir(void)
{
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string s(buf, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

static bool BoxSaid(const char *text)
{
    return E2EUntil(E2E_WINDOW_MS, [&] {
        for (const E2EBox &b : E2EWatchdogTake())
            if (b.text.find(text) != std::string::npos)
                return true;
        return false;
    });
}

TEST(Harness, DrivesAProgramThatOwnsItsQueueManager)
{
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    std::string home = std::string(tmp) + "ravolt-e2e.harness-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(home.c_str(), nullptr);
    SetEnvironmentVariableA("RAVOLT_MQSIM_HOME", home.c_str());
    _putenv_s("RAVOLT_MQSIM_HOME", home.c_str());
    char out[4096];
    ASSERT_EQ(MQSimRunMqsc((PMQCHAR) "E2ETQ", (PMQCHAR) "DEFINE QLOCAL(T.Q)", sizeof out, out), 0) << out;
    MQSimShutdown();

    E2EProcess p = {};
    ASSERT_TRUE(E2EStart(&p, "\"" + ExeDir() + "e2e_target.exe\"", home));
    HWND w = E2EWaitWindow(p.pid, "E2E target", 20000);
    ASSERT_TRUE(w);
    E2EWatchdogStart(p.pid, IDOK);
    HWND field = E2EFindChild(w, "Edit", 100), put = E2EFindChild(w, "Button", 101);
    ASSERT_TRUE(field && put);

    E2EBringForward(w);
    RECT rc;
    GetClientRect(field, &rc);
    E2EClick(field, rc.right / 2, rc.bottom / 2);
    E2ETypeText("typed by the harness");
    E2EUntil(E2E_WINDOW_MS, [&] { return E2EText(field) == "typed by the harness"; });
    EXPECT_EQ(E2EText(field), "typed by the harness");
    GetClientRect(put, &rc);
    E2EClick(put, rc.right / 2, rc.bottom / 2);
    EXPECT_TRUE(BoxSaid("Put done"));
    std::vector<E2EMsg> q;
    ASSERT_EQ(E2EQueue("E2ETQ", "T.Q", &q), 0);
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].digest, E2EDigest("typed by the harness", 20));
    EXPECT_TRUE(E2EShot(w, "e2e-harness-target"));

    /* a fault armed inside the program strikes its next put */
    EXPECT_EQ(MQSimFaultInOwner((PMQCHAR) "MQPUT1", (PMQCHAR) "E2ETQ", 1, 1, MQRC_Q_FULL, 0), 0);
    SendMessageA(put, BM_CLICK, 0, 0);
    EXPECT_TRUE(BoxSaid("reason 2053"));
    ASSERT_EQ(E2EQueue("E2ETQ", "T.Q", &q), 0);
    EXPECT_EQ(q.size(), 1u);

    E2EWatchdogStop();
    E2EEnd(&p, 10000);
    EXPECT_TRUE(E2EEnded(&p, 0));
    /* ended, the queue manager is this process's own: the message kept */
    std::vector<E2EMsg> after;
    ASSERT_EQ(E2EQueue("E2ETQ", "T.Q", &after), 0);
    EXPECT_EQ(E2ESameMessages(q, after), "");
    MQSimShutdown();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}

/* A status that changes between the harness's two questions (its length,
 * then its text) is read whole: "Putting...." turning into a longer
 * result was read cut to the old length. */
static const char *shownText = "Putting....";
static LRESULT CALLBACK ChangingText(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_GETTEXTLENGTH) {
        LRESULT n = (LRESULT)strlen(shownText);
        shownText = "1 message put in E2E.TEXT";
        return n;
    }
    if (msg == WM_GETTEXT) {
        size_t n = strlen(shownText);
        if (wp == 0)
            return 0;
        if (n > wp - 1)
            n = wp - 1;
        memcpy((char *)lp, shownText, n);
        ((char *)lp)[n] = 0;
        return (LRESULT)n;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(Harness, ATextChangedWhileReadIsReadWhole)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ChangingText;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "E2EChangingText";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "E2EChangingText", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(E2EText(w), "1 message put in E2E.TEXT");
    EXPECT_EQ(E2EText(w), "1 message put in E2E.TEXT");
    DestroyWindow(w);
}
