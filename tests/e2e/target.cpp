/* e2e_target.exe: a small program for the harness's own test.  It owns
 * queue manager E2ETQ and shows one window ("E2E target") with a field
 * and a Put button: the field's text goes to queue T.Q as one
 * persistent message, and a message box tells how the put went. */
#include <windows.h>

#include "mqi.h"

#include <cstdio>
#include <cstring>

enum { ID_FIELD = 100, ID_PUT = 101 };

static MQHCONN Conn = MQHC_UNUSABLE_HCONN;

/* The field's text onto T.Q: 0 or the reason. */
static MQLONG PutText(const char *text)
{
    MQOD od = {MQOD_DEFAULT};
    memset(od.ObjectName, ' ', 48);
    memcpy(od.ObjectName, "T.Q", 3);
    MQMD md = {MQMD_DEFAULT};
    memcpy(md.Format, MQFMT_STRING, 8);
    md.Persistence = MQPER_PERSISTENT;
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_NO_SYNCPOINT;
    MQLONG cc, rc;
    MQPUT1(Conn, &od, &md, &pmo, (MQLONG)strlen(text), (PMQVOID)text, &cc, &rc);
    return rc;
}

static void OnPut(HWND hwnd)
{
    char text[256];
    GetDlgItemTextA(hwnd, ID_FIELD, text, sizeof text);
    MQLONG rc = PutText(text);
    char msg[64];
    if (rc)
        snprintf(msg, sizeof msg, "Put failed, reason %d", (int)rc);
    else
        snprintf(msg, sizeof msg, "Put done");
    MessageBoxA(hwnd, msg, "E2E target", MB_OK);
}

static LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        CreateWindowA("Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 300, 24, hwnd,
                      (HMENU)ID_FIELD, nullptr, nullptr);
        CreateWindowA("Button", "Put", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 44, 80, 26, hwnd, (HMENU)ID_PUT,
                      nullptr, nullptr);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == ID_PUT && HIWORD(wp) == BN_CLICKED)
            OnPut(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int)
{
    char name[48];
    memset(name, ' ', 48);
    memcpy(name, "E2ETQ", 5);
    MQLONG cc, rc;
    MQCONN(name, &Conn, &cc, &rc);
    if (rc)
        return 1;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = inst;
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "E2ETarget";
    RegisterClassA(&wc);
    CreateWindowA("E2ETarget", "E2E target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 340, 120, nullptr, nullptr,
                  inst, nullptr);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    MQDISC(&Conn, &cc, &rc);
    return 0;
}
