/* The confirmation dialog: the question texts, a switched-off question,
 * "Don't show again" taking effect while the dialog is open, and the
 * answers of the buttons and the close box. */
#include "dd_test.h"
#include <string>
#include <functional>
#include "confirm.h"

static std::string question(const char *verb, const char *name)
{
    char out[512];
    WinConfirmQuestion(verb, name, out, sizeof out);
    return out;
}

TEST(DDConfirm, QuestionTexts)
{
    EXPECT_EQ(question("!Leave without saving?", nullptr), "Leave without saving?");
    EXPECT_EQ(question("!Leave without saving?", "Q1"), "Leave without saving?");
    EXPECT_EQ(question("delete", "Q1"), "Are you sure you want to delete 'Q1' ?");
    EXPECT_EQ(question("delete all messages", nullptr), "Are you sure you want to delete all messages ?");
    EXPECT_EQ(question("delete all messages", ""), "Are you sure you want to delete all messages ?");
    EXPECT_EQ(question("clear queue %s now", "Q1"), "Are you sure you want to clear queue Q1 now ? ");
    /* a verb is never a printf format: other directives stand as they are */
    EXPECT_EQ(question("copy %d of %s at 100%%", "Q1"), "Are you sure you want to copy %d of Q1 at 100% ? ");
    std::string longName(400, 'N');
    std::string q = question("delete", longName.c_str());
    EXPECT_EQ(q, "Are you sure you want to delete '" + std::string(295, 'N') + "...' ?");
    std::string huge(2000, 'v');
    huge[0] = '!';
    EXPECT_EQ(question(huge.c_str(), nullptr).size(), 511u);
}

static std::function<void(void)> step;
static void CALLBACK on_timer(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!DDModalHandle || !DDModalHandle->root.hwnd)
        return;
    KillTimer(nullptr, id);
    if (step)
        step();
}

static int run(HWND owner, const char *verb, const char *name, uint32_t *option, uint32_t mask,
               std::function<void(void)> act)
{
    step = act;
    SetTimer(nullptr, 0, 30, on_timer);
    return WinConfirm(owner, 0, verb, name, option, mask);
}

static int created;
static LRESULT CALLBACK cbt(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_CREATEWND)
        created++;
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST(DDConfirm, SwitchedOffQuestionOpensNoWindow)
{
    HWND owner = DDTestWindow(200, 100);
    uint32_t option = 0x10;
    HHOOK hook = SetWindowsHookExA(WH_CBT, cbt, nullptr, GetCurrentThreadId());
    created = 0;
    EXPECT_EQ(WinConfirm(owner, 0, "delete", "Q1", &option, 0x4), 1);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(created, 0);
    EXPECT_EQ(option, 0x10u);
    DestroyWindow(owner);
}

TEST(DDConfirm, DontShowAgainTakesEffectAtOnce)
{
    HWND owner = DDTestWindow(200, 100);
    uint32_t option = 0x7;
    uint32_t seenOpen = 0;
    std::string shown, caption;
    int rc = run(owner, "delete", "Q1", &option, 0x2, [&] {
        DDHANDLE dd = DDModalHandle;
        char buf[512];
        DDGetFieldText(dd, CONFIRM_QUESTION, buf, sizeof buf);
        shown = buf;
        GetWindowTextA(dd->root.hwnd, buf, sizeof buf);
        caption = buf;
        HWND check = DDGetFieldWindow(dd, CONFIRM_AGAIN, 0);
        EXPECT_TRUE(check && IsWindowVisible(check));
        /* the focus is ours to read only while another test's window is
         * not in front */
        DWORD front = 0;
        GetWindowThreadProcessId(GetForegroundWindow(), &front);
        if (front == GetCurrentProcessId()) {
            EXPECT_EQ(GetFocus(), DDGetFieldWindow(dd, 2, 0));
        }
        EXPECT_TRUE(DDTestShot(dd->root.hwnd, "dd_confirm"));
        RECT q = DDTestRect(dd, CONFIRM_QUESTION), yes = DDTestRect(dd, 1), no = DDTestRect(dd, 2);
        RECT client;
        GetClientRect(dd->root.hwnd, &client);
        EXPECT_GE(q.right - q.left, 20 * dd->cw);      /* the question shows on one line */
        EXPECT_LE(q.bottom - q.top, 3 * dd->ch);
        EXPECT_GE(yes.top, q.bottom);
        EXPECT_EQ(yes.right - yes.left, no.right - no.left);
        EXPECT_LE(no.right, client.right);
        EXPECT_LE(no.bottom, client.bottom);
        SendMessageA(check, BM_CLICK, 0, 0);
        seenOpen = option;
        SendMessageA(DDGetFieldWindow(dd, 2, 0), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(seenOpen, 0x5u);     /* cleared while the dialog was open */
    EXPECT_EQ(option, 0x5u);       /* and No does not undo it */
    EXPECT_EQ(shown, "Are you sure you want to delete 'Q1' ?");
    EXPECT_EQ(caption, "Ravolt - Confirmation");
    /* switched off now: asked no more */
    EXPECT_EQ(WinConfirm(owner, 0, "delete", "Q1", &option, 0x2), 1);
    DestroyWindow(owner);
}

TEST(DDConfirm, YesAndTheCloseBox)
{
    HWND owner = DDTestWindow(200, 100);
    bool checkShown = true;
    EXPECT_EQ(run(owner, "!Overwrite the file?", nullptr, nullptr, 0, [&] {
        DDHANDLE dd = DDModalHandle;
        HWND check = DDFindField(dd, CONFIRM_AGAIN)->hwnd;
        checkShown = check && IsWindowVisible(check);
        SendMessageA(DDGetFieldWindow(dd, 1, 0), BM_CLICK, 0, 0);
    }), 1);
    EXPECT_FALSE(checkShown);      /* no option word: no check box */
    EXPECT_EQ(run(owner, "delete", "Q2", nullptr, 0, [&] {
        PostMessageA(DDModalHandle->root.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }), 0);
    ConfirmRequest rq = {};
    rq.owner = owner;
    rq.verb = "rename";
    rq.name = "Q3";
    rq.nameChanged = 1;
    std::string caption;
    step = [&] {
        char buf[128];
        GetWindowTextA(DDModalHandle->root.hwnd, buf, sizeof buf);
        caption = buf;
        SendMessageA(DDGetFieldWindow(DDModalHandle, 2, 0), BM_CLICK, 0, 0);
    };
    SetTimer(nullptr, 0, 30, on_timer);
    EXPECT_EQ(WinConfirmDialog(&rq), 0);
    EXPECT_EQ(rq.answer, 2u);
    EXPECT_EQ(caption, "Ravolt - Object name has changed");
    DestroyWindow(owner);
}

/* Return answers with the default button "No" wherever the focus is in the
 * dialog: on "No" itself, on the check box, in the question */
TEST(DDConfirm, ReturnAnswersNo)
{
    HWND owner = DDTestWindow(200, 100);
    static const int focusOn[] = {2, CONFIRM_AGAIN, CONFIRM_QUESTION};
    for (int id : focusOn) {
        uint32_t option = 1;
        ConfirmRequest rq = {};
        rq.owner = owner;
        rq.verb = "delete";
        rq.name = "Q1";
        rq.option = &option;
        rq.mask = 1;
        step = [&] {
            HWND w = DDGetFieldWindow(DDModalHandle, id, 0);
            SetFocus(w);
            /* posted: the modal loop sees the key as typed */
            PostMessageA(w, WM_KEYDOWN, VK_RETURN, 0);
            PostMessageA(w, WM_KEYUP, VK_RETURN, 0);
        };
        SetTimer(nullptr, 0, 30, on_timer);
        EXPECT_EQ(WinConfirmDialog(&rq), 0) << "focus on " << id;
        EXPECT_EQ(rq.answer, 2u) << "focus on " << id;
    }
    DestroyWindow(owner);
}

/* a long name without blanks (a file path) wraps inside the question: the
 * dialog stays on the screen with the whole question in view */
TEST(DDConfirm, LongNameWrapsOnTheScreen)
{
    HWND owner = DDTestWindow(200, 100);
    std::string name = "C:\\" + std::string(280, 'a') + ".txt";
    RECT dialog = {}, q = {};
    int lines = 0, ch = 0;
    run(owner, "overwrite", name.c_str(), nullptr, 0, [&] {
        DDHANDLE dd = DDModalHandle;
        GetWindowRect(dd->root.hwnd, &dialog);
        q = DDTestRect(dd, CONFIRM_QUESTION);
        ch = dd->ch;
        lines = (int)DDSendFieldMsg(dd, CONFIRM_QUESTION, EM_GETLINECOUNT, 0, 0);
        SendMessageA(DDGetFieldWindow(dd, 2, 0), BM_CLICK, 0, 0);
    });
    EXPECT_GE(dialog.left, 0);
    EXPECT_LE(dialog.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GE(lines, 2);
    EXPECT_GE(q.bottom - q.top, lines * ch);     /* every line in view */
    DestroyWindow(owner);
}
