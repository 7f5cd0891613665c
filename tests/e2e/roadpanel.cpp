/* The queue-manager panel as the road leaves it: the frame made small
 * by a user's drag and large again, after which a new frame and the next
 * start still have a panel wide enough to read the queues; a location
 * set to connect automatically whose queue manager is stopped, tried
 * again only every "autod" seconds; and a location whose queue manager
 * asks for a user id and password, given through Set Password. */
#include "road.h"

#include <set>
#include <string>

/* The width a road queue's line needs: its name in the dialog font and
 * room for its icons. */
static int ReadableWidth(HWND frame)
{
    HDC dc = GetDC(frame);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    GetTextExtentPoint32A(dc, "E2E.TARGET1", 11, &size);
    SelectObject(dc, old);
    ReleaseDC(frame, dc);
    return size.cx + 32;
}

bool PanelReadable(HWND frame, std::string *why)
{
    HWND panel = E2EFindChild(frame, "RAVOLTQM", -1);
    RECT rc = {};
    if (!panel || !GetClientRect(panel, &rc)) {
        *why = "the frame has no queue-manager panel";
        return false;
    }
    int need = ReadableWidth(frame);
    if (rc.right >= need)
        return true;
    *why = "the queue-manager panel is " + std::to_string(rc.right) + " pixels wide; a queue name needs " +
           std::to_string(need);
    return false;
}

/* The frame dragged small and back to its size: its panel reads again.
 * Each size is awaited in the panel itself: too narrow to read a queue
 * name in the small frame, wide enough again in the large one. */
void SmallFrame(Road *r)
{
    const char *step = "small frame";
    RECT was;
    GetWindowRect(r->frame, &was);
    MoveWindow(r->frame, was.left, was.top, 140, 300, TRUE);
    std::string why;
    if (!E2EUntil(E2E_WINDOW_MS, [&] { return !PanelReadable(r->frame, &why); }))
        Fail(r, step, "the panel stays wide in a frame 140 pixels wide");
    E2EShot(r->frame, "road-08-small-frame");
    MoveWindow(r->frame, was.left, was.top, was.right - was.left, was.bottom - was.top, TRUE);
    if (!E2EUntil(E2E_WINDOW_MS, [&] { return PanelReadable(r->frame, &why); }))
        Fail(r, step, "made large again: " + why);
    CheckQueues(r, step, nullptr, 0);
}

/* The configuration the next start reads: the stopped queue manager's
 * location set to connect automatically, tried every autod seconds. */
void AddStoppedLocation(Road *r, int autod)
{
    std::string path = r->config + "\\RAVOLT.CFG", text = FileText(path);
    size_t ap = text.find("AP:");
    size_t eol = ap == std::string::npos ? ap : text.find('\n', ap);
    if (eol == std::string::npos) {
        Fail(r, "stopped location", "the configuration written has no AP: block");
        return;
    }
    const char *nl = eol > 0 && text[eol - 1] == '\r' ? "\r\n" : "\n";
    text.insert(eol + 1, "autod=" + std::to_string(autod) + nl);
    text += std::string(nl) + "QM:E2ESTOPPED \"E2ESTOPPED\" 0 0 auto" + nl;
    FILE *f = fopen(path.c_str(), "wb");
    if (!f || fwrite(text.data(), 1, text.size(), f) != text.size())
        Fail(r, "stopped location", "cannot write " + path);
    if (f)
        fclose(f);
}

/* The connection attempts seen over seconds: each failed one says so on
 * the panel's status line, stamped with its time of day. */
void StoppedLocationTries(Road *r, int autod, int seconds)
{
    const char *step = "stopped location";
    std::set<std::string> seen;
    /* the clock's seconds, not the sleeps': on a loaded machine each
       look takes longer than its sleep */
    for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start < (ULONGLONG)seconds * 1000;) {
        std::string s = Status(r);
        if (s.find("E2ESTOPPED") != std::string::npos)
            seen.insert(s);
        Sleep(100);                                  /* the next look at the line */
    }
    int most = seconds / autod + 1, least = seconds / autod - 1;
    int n = (int)seen.size();
    if (n < least || n > most)
        Fail(r, step, std::to_string(n) + " connection attempts in " + std::to_string(seconds) +
                          " s with autod=" + std::to_string(autod) + " (between " + std::to_string(least) +
                          " and " + std::to_string(most) + " expected)");
    else
        fprintf(stderr, "e2e: %d connection attempts in %d s with autod=%d\n", n, seconds, autod);
}

/* ---- a user id and password through Location Settings ---- */

const char RoadAuthUser[] = "roaduser", RoadAuthPassword[] = "roadpw";

/* The location of E2EAUTH for the next start: its queue manager asks for
 * a user id and password, so "Userid and Password" is on and "Security
 * Exit Only" off ("usroam"); not connected until asked.  It sorts first
 * in the tree. */
void AddAuthLocation(Road *r)
{
    std::string path = r->config + "\\RAVOLT.CFG", text = FileText(path);
    const char *nl = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    text += std::string(nl) + "QM:E2EAUTH \"E2EAUTH\" 0 0 usrp usroam" + nl + "rq=SYSTEM.DEFAULT.MODEL.QUEUE" + nl;
    FILE *f = fopen(path.c_str(), "wb");
    if (!f || fwrite(text.data(), 1, text.size(), f) != text.size())
        Fail(r, "set password", "cannot write " + path);
    if (f)
        fclose(f);
}

/* Text typed into an edit of a dialog, as the field's change notes it:
 * whether the edit was there to take it. */
static bool Type(HWND dialog, int id, const char *text)
{
    HWND edit = E2EFindChild(dialog, nullptr, id);
    for (const char *c = text; edit && *c; c++)
        SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)*c, 1);
    return edit && E2EText(edit) == text;
}

/* E2EAUTH's Location Settings: Set Password opens the credentials
 * prompt for it, the user id and password typed there are kept, Forget
 * KDB Password says there is none to forget, and Connect connects with
 * them (the queue manager refuses any other). */
void SetPassword(Road *r)
{
    const char *step = "set password";
    ClickLine(Tree(r), 8);                                   /* E2EAUTH's line, the first */
    E2ECommand(r->frame, 749);                               /* Location Settings */
    HWND settings = E2EWaitWindow(r->program.pid, "Location Settings - E2EAUTH", E2E_WINDOW_MS);
    if (!settings) {
        Fail(r, step, "no Location Settings of E2EAUTH opened");
        return;
    }
    /* Set Password, on the Security tab, as its click sends it */
    PostMessageA(settings, WM_COMMAND, MAKEWPARAM(482, BN_CLICKED), 0);
    HWND prompt = E2EWaitWindow(r->program.pid, "Credentials for connecting to 'E2EAUTH'", E2E_WINDOW_MS);
    if (!prompt) {
        Fail(r, step, "Set Password opened no credentials prompt");
        PostMessageA(settings, WM_CLOSE, 0, 0);
        return;
    }
    if (!Type(prompt, 322, RoadAuthUser) || !Type(prompt, 323, RoadAuthPassword))
        Fail(r, step, "the prompt's fields did not take the typing");
    E2EShot(prompt, "road-12-set-password");
    Press(prompt, IDOK);
    if (!E2EUntil(E2E_WINDOW_MS, [&] { return !IsWindow(prompt); }))
        Fail(r, step, "the credentials prompt stayed open after OK");
    HWND note = E2EFindChild(settings, nullptr, 115);          /* the error line */
    PostMessageA(settings, WM_COMMAND, MAKEWPARAM(604, BN_CLICKED), 0);   /* Forget KDB Password */
    if (!E2EUntil(E2E_WINDOW_MS, [&] { return E2EText(note) == "No current KDB password known"; }))
        Fail(r, step, "Forget KDB Password said \"" + E2EText(note) + "\"");
    HWND status = E2EFindChild(settings, nullptr, 103);
    Press(settings, 957);                                    /* Connect */
    std::string shown;
    if (!E2EUntil(E2E_QMGR_MS, [&] { return (shown = status ? E2EText(status) : "").find("Connected") != std::string::npos; }))
        Fail(r, step, "E2EAUTH did not connect with the user id and password typed: " + shown + " " + E2EText(note));
    E2EShot(settings, "road-12-connected");
    PostMessageA(settings, WM_CLOSE, 0, 0);
}
