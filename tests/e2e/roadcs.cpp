/* Two steps of the road: a second frame driven by its accelerators, and
 * (in the fault run) the command server silent while the Queue Manager
 * dialog and a refresh wait on it.
 *
 * The command server is stopped from this process inside the program's
 * own queue manager, as a stopped one behaves: requests stay on the
 * command queue unanswered and are answered once it is started again. */
#include "road.h"
#include "mqsim.h"

#include <cstring>
#include <string>

/* ---- small helpers ---------------------------------------------------------- */

/* Whether the window's thread answers within two seconds: a window that
 * waits on the command server would not. */
static bool Answers(HWND w)
{
    DWORD_PTR out;
    return w && SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &out) != 0;
}

/* The command server of the road's queue manager stopped (or started),
 * inside the program that owns it. */
static void CommandServer(Road *r, const char *step, bool stopped)
{
    MQLONG rc = MQSimFaultInOwner((PMQCHAR)MQSIM_COMMAND_SERVER, (PMQCHAR) "E2EQM", 1, stopped ? 1 : 0,
                                  MQSIM_CMDSERVER_STOPPED, 0);
    if (rc)
        Fail(r, step, "the command server cannot be " + std::string(stopped ? "stopped" : "started") +
                          ", reason " + std::to_string(rc));
}

/* The requests waiting on the command queue (-1: not to be asked). */
static MQLONG Waiting(void)
{
    return Depth("SYSTEM.ADMIN.COMMAND.QUEUE");
}

/* Waits up to ms for the command queue to be empty: every request
 * answered. */
static bool CommandsAnswered(int ms)
{
    return E2EUntil(ms, [] { return Waiting() == 0; }, 100);
}

/* Waits up to ms for a request put to the command queue after it held
 * before: one that a silent server leaves waiting. */
static bool RequestWaits(MQLONG before, int ms)
{
    return E2EUntil(ms, [before] { return Waiting() > before; }, 100);
}

/* Whether the window is visible, waited for up to ms to be shown. */
static bool Visible(HWND w, bool shown, int ms)
{
    return E2EUntil(ms, [w, shown] { return w && (IsWindowVisible(w) != FALSE) == shown; }, 100);
}

/* ---- a second frame ------------------------------------------------------------ */

/* A key pressed in a window brought forward: false when it would not
 * come forward (the key then goes nowhere).  The caller waits for what
 * the key does. */
static bool KeyIn(HWND w, WORD vk, bool ctrl, bool shift = false, bool alt = false)
{
    E2EBringForward(w);
    if (GetForegroundWindow() != w)
        return false;
    E2EKey(vk, ctrl, shift, alt);
    return true;
}

/* One step from a second frame opened as a user opens it (File, New
 * instance, by its Ctrl+I), driven there by its accelerators: Alt+Q
 * shows that frame's Search Queues field and Ctrl+E expands its edit
 * panel, the first frame untouched by either; a queue's list opens in
 * it; Ctrl+L opens the Load/Unload dialog.  Closing it leaves the
 * program running in the first frame.  No message moves. */
void SecondFrame(Road *r)
{
    const char *step = "second frame";
    HWND first = r->frame;
    if (!KeyIn(first, 'I', true)) {
        Fail(r, step, "the frame does not come forward");
        return;
    }
    HWND second = nullptr;
    E2EUntil(10000, [&] {
        for (HWND w : E2ETopWindows(r->program.pid)) {
            char cls[32] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (w != first && strcmp(cls, "RAVOLT") == 0)
                second = w;
        }
        return second != nullptr;
    }, 100);
    if (!second) {
        Fail(r, step, "Ctrl+I opened no second frame");
        return;
    }
    std::string why;
    if (!E2EUntil(10000, [&] { return PanelReadable(second, &why); }, 100))
        Fail(r, step, "the second frame: " + why);

    /* Alt+Q: the second frame's Search Queues field comes or goes, the
       first frame's stays */
    HWND field = SearchField(second), firstField = SearchField(first);
    bool shown = field && IsWindowVisible(field), firstShown = firstField && IsWindowVisible(firstField);
    if (!KeyIn(second, 'Q', false, false, true))
        Fail(r, step, "the second frame does not come forward");
    if (!Visible(field, !shown, 10000))
        Fail(r, step, "Alt+Q did not toggle the second frame's Search Queues field");
    if (firstField && IsWindowVisible(firstField) != firstShown)
        Fail(r, step, "Alt+Q in the second frame toggled the first frame's field");
    if (field && !IsWindowVisible(field) && (!KeyIn(second, 'Q', false, false, true) || !Visible(field, true, 10000)))
        Fail(r, step, "a second Alt+Q did not bring the second frame's Search Queues field back");
    if (field)
        SendMessageA(field, WM_SETTEXT, 0, (LPARAM) "E2E.");

    /* the tree of the second frame, its location opened as a user opens
       it, and a queue's list there, read with the kit's own readers
       pointed at it */
    r->frame = second;
    HWND tree = Tree(r);                             /* the location's line opened by its box */
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(9, 8));
    SendMessageA(tree, WM_LBUTTONUP, 0, MAKELPARAM(9, 8));
    std::string missing;
    if (!TreeShowsRoad(r, 20000, &missing))
        Fail(r, step, "queues missing from the second frame's tree: " + missing);
    int n = OpenFromTree(r, step, "E2E.XML", (int)r->queues[RQ_XML].size());
    if (n != (int)r->queues[RQ_XML].size())
        Fail(r, step, "the second frame's list of E2E.XML shows " + std::to_string(n) + " rows");
    r->frame = first;
    if (E2EText(first).find("E2E.XML") != std::string::npos)
        Fail(r, step, "the first frame's title follows the second: " + E2EText(first));

    /* Ctrl+E: the second frame's edit panel fills it (its message list
       hidden), and back; the first frame's list stays */
    HWND list = MessageList(second), firstList = MessageList(first);
    bool firstListShown = firstList && IsWindowVisible(firstList);
    KeyIn(second, 'E', true);
    if (!Visible(list, false, 10000))
        Fail(r, step, "Ctrl+E did not expand the second frame's edit panel");
    if (firstList && IsWindowVisible(firstList) != firstListShown)
        Fail(r, step, "Ctrl+E in the second frame changed the first frame");
    KeyIn(second, 'E', true);
    if (list && !Visible(list, true, 10000))
        Fail(r, step, "a second Ctrl+E did not bring the second frame's list back");
    E2EShot(second, "road-08-second-frame");

    /* Ctrl+L: the Load/Unload dialog of the location selected there,
       named in its title */
    KeyIn(second, 'L', true);
    HWND drask = nullptr;
    E2EUntil(10000, [&] {
        for (HWND w : E2ETopWindows(r->program.pid)) {
            char cls[32] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (w != first && w != second && strcmp(cls, "RAVOLT") != 0 &&
                E2EText(w).find("Load/Unload from 'E2EQM'") != std::string::npos)
                drask = w;
        }
        return drask != nullptr;
    }, 100);
    if (!drask) {
        Fail(r, step, "Ctrl+L in the second frame opened no Load/Unload dialog");
    } else {
        E2EShot(drask, "road-08-second-frame-load");
        PostMessageA(drask, WM_CLOSE, 0, 0);
    }

    /* the second frame closed: the program goes on in the first */
    PostMessageA(second, WM_CLOSE, 0, 0);
    if (!E2EUntil(10000, [second] { return !IsWindow(second); }, 100))
        Fail(r, step, "the second frame did not close");
    if (E2EEnded(&r->program, 500) || !Answers(first))
        Fail(r, step, "closing the second frame ended the program or its first frame");
    E2EBringForward(first);
    CheckQueues(r, step, nullptr, 0);
}

/* ---- the command server silent ------------------------------------------------ */

/* The command server silent while the Queue Manager dialog and a
 * refresh of the location wait on it: the dialog says "No response from
 * Command Server" and every window goes on (a message list opened, the
 * Queue dialog opened, the tree read); started again, a refresh of the
 * dialog is answered.  Stopped once more with a refresh waiting, File
 * Exit still ends the program; the program started again finds the
 * requests left waiting answered, their replies (whose reply queues went
 * with the program) on the dead-letter queue as the server puts them. */
void SilentServer(Road *r)
{
    const char *step = "silent server";
    ClickLine(Tree(r), 8);                           /* the location's line */
    CommandServer(r, step, true);
    E2ECommand(r->frame, 542);                       /* Objects, Queue Manager */
    HWND qm = E2EWaitWindow(r->program.pid, "/Queue Manager", 10000);
    if (!qm) {
        Fail(r, step, "no Queue Manager dialog while the command server is silent");
        CommandServer(r, step, false);
        return;
    }
    MQLONG waiting = Waiting();
    if (!KeyIn(r->frame, 'R', true))                 /* File, Refresh Information */
        Fail(r, step, "the frame does not come forward for Ctrl+R");
    else if (!RequestWaits(waiting, 15000))
        Fail(r, step, "Ctrl+R left no refresh waiting on the command queue");
    if (!Answers(r->frame))
        Fail(r, step, "the frame does not answer while its refresh waits");
    E2EBringForward(qm);
    if (!StatusComes(qm, "No response from Command Server", 15000))
        Fail(r, step, "the dialog's status says \"" + DialogStatus(qm) + "\"");
    E2EShot(qm, "faults-02-silent-server");

    /* a message list, another dialog and the tree go on */
    int n = OpenFromTree(r, step, "E2E.TEXT", (int)r->queues[RQ_TEXT].size());
    if (n != (int)r->queues[RQ_TEXT].size())
        Fail(r, step, "the list of E2E.TEXT shows " + std::to_string(n) + " rows");
    E2ECommand(r->frame, 533);                       /* Objects, Queue */
    HWND queue = E2EWaitWindow(r->program.pid, "/Queue", 10000, qm);
    if (!queue || !Answers(queue))
        Fail(r, step, "the Queue dialog did not open while the command server is silent");
    else
        PostMessageA(queue, WM_CLOSE, 0, 0);
    std::string missing;
    if (!TreeShowsRoad(r, 5000, &missing))
        Fail(r, step, "queues missing from the tree: " + missing);
    if (!Answers(qm) || !Answers(r->frame))
        Fail(r, step, "a window does not answer while the command server is silent");

    /* started again: the waiting requests are answered, and so is a
       refresh of the dialog */
    CommandServer(r, step, false);
    if (!CommandsAnswered(15000))
        Fail(r, step, "requests wait on the command queue after the server started");
    /* the status line marked first: the text that follows "Request
       sent..." is this refresh's end (its answer, or the silence) */
    const char *mark = "(refresh pressed)";
    SendMessageA(E2EFindChild(qm, "ComboBox", 17), WM_SETTEXT, 0, (LPARAM)mark);
    Press(qm, 1);
    std::string said;
    E2EUntil(30000, [&] {
        said = DialogStatus(qm);
        return said != mark && said != "Request sent...";
    }, 100);
    if (said == mark || said == "Request sent..." || said.find("No response") != std::string::npos)
        Fail(r, step, "the refresh after the server started was not answered: \"" + said + "\"");
    if (!FieldShown(qm, "road queue manager"))
        Fail(r, step, "the refreshed dialog does not show the queue manager's description");
    E2EBringForward(qm);
    E2EShot(qm, "faults-02-server-answers");

    /* silent again, a refresh waiting: File Exit ends the program */
    CommandServer(r, step, true);
    waiting = Waiting();
    KeyIn(r->frame, 'R', true);
    Press(qm, 1);
    if (!RequestWaits(waiting, 15000))
        Fail(r, step, "no refresh waits on the silent command server before File Exit");
    E2ECommand(r->frame, 519);
    if (!E2EEnded(&r->program, 30000))
        Fail(r, step, "File Exit did not end the program while the command server is silent");
    E2EWatchdogStop();
    E2EEnd(&r->program, 1000);
    if (FileText(r->config + "\\RAVOLT.CFG").find("QM:E2EQM") == std::string::npos)
        Fail(r, step, "the configuration written holds no location E2EQM");

    /* started again: the program loads its queue manager and shows its
       queues, the requests the first program left waiting answered
       before its own.  This process reaches the queue manager only
       then: the first process whose connection reaches a queue manager
       that no process has loaded loads it, and a connection of the
       program while this one loaded it would be refused (its tree left
       empty, the faults after this step struck in the wrong process). */
    if (Launch(r, step)) {
        Fail(r, step, "the program did not start again");
        return;
    }
    SearchQueues(r, "E2E.");
    if (!TreeShowsRoad(r, 30000, &missing))
        Fail(r, step, "queues missing from the tree after the start: " + missing);
    if (!CommandsAnswered(15000))
        Fail(r, step, "requests of the ended program wait on the command queue");
    std::vector<E2EMsg> dlq;
    E2EQueue("E2EQM", "E2E.DLQ", &dlq);
    std::map<std::string, E2EMsg> before;
    std::string why;
    E2EById(r->queues[RQ_DLQ], &before, &why);
    std::map<std::string, E2EMsg> after;
    E2EById(dlq, &after, &why);
    for (const auto &m : before)
        if (!after.count(m.first))
            Fail(r, step, "E2E.DLQ lost " + m.first);
    for (const E2EMsg &m : dlq)
        if (!before.count(m.msgId) && memcmp(m.md.Format, MQFMT_DEAD_LETTER_HEADER, 8) != 0)
            Fail(r, step, "a message other than a dead reply came to E2E.DLQ: " + m.msgId);
    r->queues[RQ_DLQ] = dlq;
    static const char *const touched[] = {"E2E.DLQ"};
    CheckQueues(r, step, touched, 1);
}
