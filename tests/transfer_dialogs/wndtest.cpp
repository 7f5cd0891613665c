/* Window tests of the transfer dialogs: shared helpers. */
#include "wndtest.h"

#include <chrono>

#include "confirm.h"
#include "cs.h"
#include "dd.h"
#include "tkcontrols.h"
#include "tkharness.h"

static int port_message(void *, void *window, uint32_t message, uintptr_t wp, void *lp, int send)
{
    if (message == FM_PUT_CONNECTED) {
        StartGetThread((QMS *)lp);
        return 1;
    }
    if (!window || !IsWindow((HWND)window))
        return 0;
    if (send)
        SendMessageA((HWND)window, message, wp, (LPARAM)lp);
    else if (!PostMessageA((HWND)window, message, wp, (LPARAM)lp))
        return 0;
    return 1;
}

static void port_error(void *, void *, QMS *, uint32_t, const char *) {}

void WindowPort(void)
{
    static const MQEPORT port = {nullptr, port_message, port_error};
    MQESetPort(&port);
}

bool PumpUntil(std::function<bool()> done, uint32_t realMs)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
    for (;;) {
        Pump();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > until)
            return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void StartWindows(void)
{
    static bool started;
    if (started)
        return;
    started = true;
    int version = 100;
    DDInitialise(GetModuleHandleA(nullptr), &version, nullptr, nullptr);
    RegisterControlClasses(GetModuleHandleA(nullptr));
}

std::string Status(DDHANDLE dd)
{
    char text[600] = "";
    DDGetFieldText(dd, 103, text, sizeof text);
    return text;
}

HWND FindTransferWindow(const char *cls)
{
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, cls, nullptr)) != nullptr;) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId())
            return w;
    }
    return nullptr;
}

static int confirmButton;
static std::string *confirmQuestion;

static void CALLBACK confirm_timer(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!DDModalHandle || !DDModalHandle->root.hwnd)
        return;
    KillTimer(nullptr, id);
    char text[600] = "";
    DDGetFieldText(DDModalHandle, CONFIRM_QUESTION, text, sizeof text);
    if (confirmQuestion)
        *confirmQuestion = text;
    SendMessageA(DDGetFieldWindow(DDModalHandle, confirmButton, 0), BM_CLICK, 0, 0);
}

void AnswerConfirmation(int button, std::string *question)
{
    confirmButton = button;
    confirmQuestion = question;
    SetTimer(nullptr, 0, 30, confirm_timer);
}
