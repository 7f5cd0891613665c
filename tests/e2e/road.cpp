/* The road: ravolt.exe driven as a user drives it, against a queue
 * manager filled by fill.mqsim, each step followed by a check of the
 * queues through the MQI and a picture into the gallery.
 *
 *   e2e_road RAVOLT.EXE MQSIM.EXE FILL-SCRIPT [--faults]
 *
 * With --faults it makes the fault run instead, on a queue manager of
 * its own: MQ faults struck while the user works.
 *
 * The steps driven: the start with the location expanded (every road
 * queue in the tree), a queue's message list opened from the tree (as
 * many rows as the depth, a queue opened after Next Page on another
 * from its first message), the dead-letter queue's list, a Queue List
 * filtered, sorted, exported and put from, Queue Lists filtered on depth
 * with the filter sent to the queue manager (a PCF one and a z/OS one),
 * the MQSC console (commands typed, run by Enter and by Execute, answers
 * read back), the frame made
 * small and large again, exit with the configuration written, and a
 * second start that finds the location and its queues again, beside a
 * location whose stopped queue manager is tried every "autod" seconds.
 * The tree is read as a user reads it: a line is
 * clicked and the panel's status line names the queue on it.
 *
 * Exit code 0 when every step driven passed, 1 when one failed, 77 (the
 * test skipped) when the program opens no window. */
#include "road.h"
#include "mqsim.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

/* ---- the steps -------------------------------------------------------------- */

static bool Prepare(Road *r)
{
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    /* process ids come round again in a Wine prefix: the time as well */
    r->home = std::string(tmp) + "ravolt-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(GetTickCount64());
    r->config = r->home + "\\config.road";          /* a dot in the path */
    CreateDirectoryA(r->home.c_str(), nullptr);
    CreateDirectoryA(r->config.c_str(), nullptr);
    /* the configuration names the road's location, with the reply queue
       model a location added by hand gets, a z/OS one (administered with
       MQSC text; the stand-in serves its usual command queue), and the
       user formats' file that describes the messages of format LEDGER */
    std::string fmt = r->home + "\\RAVOLT.FMT", quoted;
    for (char c : fmt)
        quoted += c == '~' ? std::string("~~") : std::string(1, c);   /* the configuration's escape */
    std::ofstream cfg(r->config + "\\RAVOLT.CFG", std::ios::binary);
    cfg << "AP:\nuserfmtfile=\"" << quoted << "\"\n"
        << "QM:E2EQM \"E2EQM\" 0 0 auto\nrq=SYSTEM.DEFAULT.MODEL.QUEUE\n"
           "QM:E2EZOS \"E2EZOS\" 0 0 mvs\nrq=SYSTEM.DEFAULT.MODEL.QUEUE\ncq=SYSTEM.ADMIN.COMMAND.QUEUE\n";
    cfg.close();
    std::ofstream(fmt, std::ios::binary) << RoadLedgerFormat;
    std::string qmHome = r->home + "\\qm";
    SetEnvironmentVariableA("RAVOLT_MQSIM_HOME", qmHome.c_str());
    _putenv_s("RAVOLT_MQSIM_HOME", qmHome.c_str());
    const char *samples = getenv("RAVOLT_SAMPLES");
    std::string here = r->fill.substr(0, r->fill.find_last_of("/\\") + 1);
    std::string failed = E2EFill(r->tool, r->fill, qmHome, samples ? samples : "");
    if (failed.empty())
        failed = E2EFill(r->tool, here + "zos.mqsim", qmHome, samples ? samples : "", "E2EZOS");
    if (!failed.empty()) {
        Fail(r, "fill", failed);
        return false;
    }
    for (int i = 0; i < RoadQueueCount; i++)
        E2EQueue("E2EQM", RoadQueues[i], &r->queues[i]);
    /* a queue manager of its own that asks for a user id and password
       (Location Settings, Set Password) */
    std::ofstream auth(r->home + "\\auth.mqsc", std::ios::binary);
    auth << "ALTER QMGR CUSTOM('SIMUSER(" << RoadAuthUser << ") SIMPWD(" << RoadAuthPassword << ")')\n";
    auth.close();
    if (E2ERun("\"" + r->tool + "\" -d \"" + qmHome + "\" -m E2EAUTH mqsc \"" + r->home + "\\auth.mqsc\"", 120000) != 0)
        Fail(r, "fill", "the queue manager E2EAUTH was not made");
    MQSimShutdown();                               /* the program owns the queue manager */
    if (r->queues[RQ_MANY].size() != 3000)
        Fail(r, "fill", "E2E.MANY holds " + std::to_string(r->queues[RQ_MANY].size()) + " messages");
    return true;
}

/* 1: the program starts with its own configuration; the location is
 * expanded with every road queue (and its depth) in the tree. */
static int Start(Road *r)
{
    int rc = Launch(r, "start");
    if (rc)
        return rc;
    SearchQueues(r, "E2E.");
    E2ECommand(r->frame, 885);                      /* View, Show Queue Depth */
    std::string missing;
    if (!TreeShowsRoad(r, 30000, &missing))
        Fail(r, "start", "queues missing from the tree: " + missing);
    E2EShot(r->frame, "road-01-start");
    CheckQueues(r, "start", nullptr, 0);
    return 0;
}

static std::string CopiedRows(Road *r);

/* 2: a queue's message list opened from the tree (the frame's title
 * names it): as many rows as the depth; the queue of a few thousand
 * shows its first page, Next Page its second (its 101st message first). */
static void Browse(Road *r)
{
    int n = OpenFromTree(r, "browse", "E2E.TEXT", (int)r->queues[RQ_TEXT].size());
    if (n != (int)r->queues[RQ_TEXT].size())
        Fail(r, "browse", "the list of E2E.TEXT shows " + std::to_string(n) + " rows");
    E2EShot(r->frame, "road-02-browse");
    n = OpenFromTree(r, "browse", "E2E.MANY", 100);               /* the first page of 100 */
    if (n != 100)
        Fail(r, "browse", "the first page of E2E.MANY shows " + std::to_string(n) + " rows");
    E2EShot(r->frame, "road-02-browse-many");
    /* the next page of the deep queue, then another queue opened: it
       shows from its first message, every one of them */
    HWND list = MessageList(r->frame);
    HWND dialog = list ? GetParent(GetParent(list)) : nullptr;
    E2EDo(dialog, 6014);                                         /* Range, Next Page */
    std::string second = r->queues[RQ_MANY].size() > 100 ? r->queues[RQ_MANY][100].msgId : "(none)";
    std::string shown;
    if (!E2EUntil(E2E_QMGR_MS, [&] { return (shown = CopiedRows(r)).find(second) != std::string::npos; }, 200))
        Fail(r, "browse", "Next Page on E2E.MANY does not show its 101st message " + second + ": \"" +
                              shown.substr(0, 400) + "\"");
    n = OpenFromTree(r, "browse", "E2E.TEXT", (int)r->queues[RQ_TEXT].size());
    if (n != (int)r->queues[RQ_TEXT].size())
        Fail(r, "browse", "after Next Page on E2E.MANY the list of E2E.TEXT shows " + std::to_string(n) + " rows");
    CheckQueues(r, "browse", nullptr, 0);
}

/* Every row of the frame's message list as text, as a user copies it:
 * the list's Copy with Ctrl (the rows' text, not their export) and Shift
 * (all rows) held; the command puts the text on the clipboard before it
 * returns. */
static std::string CopiedRows(Road *r)
{
    HWND pane = nullptr;                                  /* the list's command window */
    for (HWND w = MessageList(r->frame); w && w != r->frame && !pane; w = GetParent(w)) {
        char cls[64];
        GetClassNameA(w, cls, sizeof cls);
        if (strncmp(cls, "RAVOLT_", 7) == 0 && strstr(cls, "COMMAND"))
            pane = w;
    }
    E2EEmptyClipboard();
    bool held = HoldKeys(r, {VK_CONTROL, VK_SHIFT}, true);
    if (held)
        E2EDo(pane, 796);
    HoldKeys(r, {VK_CONTROL, VK_SHIFT}, false);
    return held ? E2EClipboard() : std::string();
}

/* 8: the dead-letter queue's list; its summary column gives each dead
 * letter's reason in words and where it was going. */
static void DeadLetters(Road *r)
{
    int n = OpenFromTree(r, "dead letters", "E2E.DLQ", (int)r->queues[RQ_DLQ].size());
    if (n != (int)r->queues[RQ_DLQ].size())
        Fail(r, "dead letters", "the list of E2E.DLQ shows " + std::to_string(n) + " rows");
    std::string rows = CopiedRows(r);
    for (const char *want : { "DLQ: Reason(Puts inhibited for the queue)", "DLQ: Reason(Queue full) E2EQM/E2E.FULL",
                              "NO.SUCH.Q" })
        if (rows.find(want) == std::string::npos)
            Fail(r, "dead letters", std::string("the summary column does not show \"") + want + "\":\n" + rows);
    E2EShot(r->frame, "road-08-dead-letters");
    CheckQueues(r, "dead letters", nullptr, 0);
}

/* An object dialog opened with a menu command on the tree's selection:
 * the window whose title ends in title, or null. */
static HWND ObjectDialog(Road *r, int command, const char *title)
{
    E2ECommand(r->frame, command);
    HWND dialog = nullptr;
    E2EUntil(E2E_WINDOW_MS, [&] {
        for (HWND w : E2ETopWindows(r->program.pid)) {
            std::string t = E2EText(w);
            if (t.size() >= strlen(title) && t.compare(t.size() - strlen(title), strlen(title), title) == 0)
                dialog = w;
        }
        return dialog != nullptr;
    }, 200);
    return dialog;
}

/* Opens an object dialog with a menu command on the tree's selection,
 * steps its field editor down to the line showing was, types now over
 * it, presses Alter and waits for the status line to say so: the dialog
 * (closed by the caller), or null with the failure logged. */
static HWND AlterField(Road *r, const char *step, int command, const char *title, const char *name,
                       const char *was, const char *now, const char *shot)
{
    HWND dialog = ObjectDialog(r, command, title);
    HWND editor = dialog ? FieldEditor(dialog) : nullptr;
    if (!editor) {
        std::string titles;
        for (HWND w : E2ETopWindows(r->program.pid))
            titles += " \"" + E2EText(w) + "\"";
        Fail(r, step, std::string("no ") + title + " dialog with a field editor among" + titles);
        return dialog;
    }
    if (name) {                                        /* the object's name typed, then Refresh */
        TypeOver(editor, name);
        Press(dialog, 1);
    }
    /* the reply fills the fields; then each line is clicked from the top
       until the editor lies over the one that shows was, on the tab shown
       first, then (once the reply is in) on each tab clicked in turn */
    HWND fields = E2EFindChild(dialog, "PCFFields", 19), tabs = E2EFindChild(dialog, "SysTabControl32", 30);
    auto scan = [&] {
        for (int y = 5; y < 400; y += 10) {
            LPARAM at = MAKELPARAM(300, y);
            SendMessageA(fields, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageA(fields, WM_LBUTTONUP, 0, at);
            editor = FieldEditor(dialog);
            if (editor && E2EText(editor) == was)
                return true;
        }
        return false;
    };
    RECT strip = {};
    if (tabs)
        GetClientRect(tabs, &strip);
    auto scanTabs = [&] {
        for (int x = 8; x < strip.right; x += 16) {
            /* a click along the headers: a tab it selects shows its page
               at once (the dialog takes the tab's notice as it is sent) */
            LRESULT shown = SendMessageA(tabs, TCM_GETCURSEL, 0, 0);
            SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 8));
            SendMessageA(tabs, WM_LBUTTONUP, 0, MAKELPARAM(x, 8));
            if (SendMessageA(tabs, TCM_GETCURSEL, 0, 0) != shown && scan())
                return true;
        }
        return false;
    };
    /* the answer's fields are in place by the time its status shows: the
       tab shown is looked at until then, every tab after it */
    bool found = E2EUntil(E2E_QMGR_MS, [&] {
        bool answered = DialogStatus(dialog).find("Display refreshed") != std::string::npos;
        return scan() || (answered && scanTabs());
    }, 250);
    editor = FieldEditor(dialog);
    if (!found) {
        Fail(r, step, std::string("the field showing \"") + was + "\" was not reached");
        return dialog;
    }
    TypeOver(editor, now);
    Press(dialog, 575);
    if (!StatusComes(dialog, "altered", E2E_QMGR_MS))
        Fail(r, step, "Alter was not confirmed: \"" + DialogStatus(dialog) + "\"");
    E2EShot(dialog, shot);
    return dialog;
}

/* The edit control shown over a field line (a line with a history
 * edits in a combo box's edit). */
static BOOL CALLBACK ShownEdit(HWND w, LPARAM found)
{
    char cls[16] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (!lstrcmpiA(cls, "Edit") && IsWindowVisible(w)) {
        *(HWND *)found = w;
        return FALSE;
    }
    return TRUE;
}

/* The Queue dialog's Copy: the new name typed into the line below the
 * queue's name, Copy chosen; MQINQ finds the new queue with the source's
 * description. */
static void CopyQueue(Road *r, HWND dialog, const char *source, const char *copy, const char *desc)
{
    const char *step = "copy queue";
    HWND fields = E2EFindChild(dialog, "PCFFields", 19);
    HWND editor = nullptr;
    int nameTop = -1;
    for (int y = 2; fields && y < 400; y += 2) {
        LPARAM at = MAKELPARAM(300, y);
        SendMessageA(fields, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(fields, WM_LBUTTONUP, 0, at);
        HWND e = nullptr;
        EnumChildWindows(fields, ShownEdit, (LPARAM)&e);
        RECT rc = {};
        if (e)
            GetWindowRect(e, &rc);
        if (e && nameTop < 0 && E2EText(e) == source) {
            nameTop = rc.top;
        } else if (e && nameTop >= 0 && rc.top > nameTop) {
            editor = e;
            break;
        }
    }
    if (!editor) {
        Fail(r, step, "no line below the queue's name");
        return;
    }
    TypeOver(editor, copy);
    Press(dialog, 577);
    if (!StatusComes(dialog, "copied", E2E_QMGR_MS))
        Fail(r, step, "Copy was not confirmed: \"" + DialogStatus(dialog) + "\"");
    std::string text;
    if (!Inquire(copy, MQCA_Q_DESC, nullptr, &text) || text != desc)
        Fail(r, step, std::string("MQINQ finds no ") + copy + " described \"" + desc + "\": \"" + text + "\"");
    E2EShot(dialog, "road-09-queue-copy");
}

/* 9: the Queue Manager and Queue dialogs alter a description each, and
 * the Queue dialog a maximum depth shown as "5,000" to "6,000"; MQINQ
 * shows the new values, and no message moved.  The altered queue is
 * copied from its dialog. */
static void Alter(Road *r)
{
    ClickLine(Tree(r), 8);                           /* the location's line */
    HWND d = AlterField(r, "queue", 533, "/Queue", "E2E.TARGET1", "empty target", "target of the road",
                        "road-09-queue");
    std::string text;
    if (!Inquire("E2E.TARGET1", MQCA_Q_DESC, nullptr, &text) || text != "target of the road")
        Fail(r, "queue", "MQINQ shows the description \"" + text + "\"");
    if (d)
        CopyQueue(r, d, "E2E.TARGET1", "E2E.COPY", "target of the road");
    if (d && !Closed(d))                             /* gone before the next Queue dialog is looked for */
        Fail(r, "queue", "the Queue dialog did not close");
    /* a number shown with thousands separators, typed over with them */
    d = AlterField(r, "queue depth", 533, "/Queue", "E2E.TARGET1", "5,000", "6,000", "road-09-queue-depth");
    MQLONG depth = 0;
    if (!Inquire("E2E.TARGET1", MQIA_MAX_Q_DEPTH, &depth, nullptr) || depth != 6000)
        Fail(r, "queue depth", "MQINQ shows the maximum depth " + std::to_string(depth));
    if (d && !Closed(d))
        Fail(r, "queue depth", "the Queue dialog did not close");
    d = AlterField(r, "queue manager", 542, "/Queue Manager", nullptr, "road queue manager", "altered on the road",
                   "road-09-queue-manager");
    if (!Inquire(nullptr, MQCA_Q_MGR_DESC, nullptr, &text) || text != "altered on the road")
        Fail(r, "queue manager", "MQINQ shows the description \"" + text + "\"");
    if (d && !Closed(d))
        Fail(r, "queue manager", "the Queue Manager dialog did not close");
    CheckQueues(r, "alter", nullptr, 0);
}

/* 9: a Queue dialog asked for a queue with Queue Type "All" shows it:
 * the name typed, the type stepped to and typed over, Refresh; the
 * description the Alter step gave the queue comes back. */
static void QueueOfAnyType(Road *r)
{
    const char *step = "queue of any type";
    ClickLine(Tree(r), 8);
    HWND dialog = ObjectDialog(r, 533, "/Queue");
    HWND editor = dialog ? FieldEditor(dialog) : nullptr;
    if (!editor) {
        Fail(r, step, "no Queue dialog with a field editor");
        return;
    }
    TypeOver(editor, "E2E.TARGET1");
    if (!FieldShown(dialog, "Local")) {
        Fail(r, step, "no line shows the Queue Type \"Local\"");
    } else {
        TypeOver(FieldEditor(dialog), "All");
        Press(dialog, 1);
        if (!StatusComes(dialog, "Display refreshed", E2E_QMGR_MS))
            Fail(r, step, "Refresh was not answered: \"" + DialogStatus(dialog) + "\"");
        else if (!FieldShown(dialog, "target of the road"))
            Fail(r, step, "the dialog does not show the queue's description after a Refresh with Queue Type All");
    }
    E2EShot(dialog, "road-09-queue-all");
    if (!Closed(dialog))
        Fail(r, step, "the Queue dialog did not close");
    CheckQueues(r, step, nullptr, 0);
}

/* The road's folders go unless a step failed (kept to look into). */
static int Finish(Road *r, int result)
{
    MQSimShutdown();
    if (result != 1) {
        std::error_code ec;
        std::filesystem::remove_all(r->home, ec);
    }
    return result;
}

/* File Exit, as the menu sends it: the program must end within 30 s
 * (the watchdog answering its question), and is ended otherwise. */
static void ExitProgram(Road *r, const char *step)
{
    E2ECommand(r->frame, 519);
    if (!E2EEnded(&r->program, 30000))
        Fail(r, step, "the program did not end after File Exit");
    E2EWatchdogStop();
    E2EEnd(&r->program, 1000);
}

/* 10: the program ends through its own exit (the question answered
 * Yes): the configuration is written once, the previous one kept; the
 * next start finds the location and its queues, the queue depths shown
 * (kept in the configuration), the search text and the frame where the
 * user had put it. */
static void Exit(Road *r)
{
    std::string before = FileText(r->config + "\\RAVOLT.CFG");
    /* the frame moved and sized as a user's drag leaves it */
    const RECT placed = { 40, 30, 1000, 690 };
    MoveWindow(r->frame, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, TRUE);
    E2ECommand(r->frame, 934);                      /* View, Save search values */
    ExitProgram(r, "exit");
    std::string after = FileText(r->config + "\\RAVOLT.CFG");
    if (after.find("QM:E2EQM") == std::string::npos)
        Fail(r, "exit", "the configuration written holds no location E2EQM");
    if (after.find("qdep") == std::string::npos)
        Fail(r, "exit", "the configuration written does not keep View, Show Queue Depth");
    if (after == before)
        Fail(r, "exit", "the configuration was not written");
    if (FileText(r->config + "\\RAVOLT.BAK") != before)
        Fail(r, "exit", "RAVOLT.BAK is not the configuration the program started with");
    CheckQueues(r, "exit", nullptr, 0);
    const int autod = 10;
    AddStoppedLocation(r, autod);
    AddAuthLocation(r);

    if (Launch(r, "start again")) {
        Fail(r, "start again", "no window");
        return;
    }
    if (SearchText(r) != "E2E.")
        Fail(r, "start again", "the search text is not back: \"" + SearchText(r) + "\"");
    RECT now;
    GetWindowRect(r->frame, &now);
    if (!EqualRect(&now, &placed))
        Fail(r, "start again", "the frame is at " + std::to_string(now.left) + "," + std::to_string(now.top) + " " +
                                   std::to_string(now.right - now.left) + "x" + std::to_string(now.bottom - now.top) +
                                   ", not where it was left");

    std::string why;
    if (!PanelReadable(r->frame, &why))
        Fail(r, "start again", why);
    StoppedLocationTries(r, autod, 30);

    std::string missing;
    if (!TreeShowsRoad(r, 30000, &missing))
        Fail(r, "start again", "queues missing from the tree: " + missing);
    E2EShot(r->frame, "road-10-start-again");
    SetPassword(r);
    ExitProgram(r, "start again");
    CheckQueues(r, "start again", nullptr, 0, true);
}

/* The fault run ends through File Exit as well: every queue browsed
 * in full, nothing lost or doubled by the faults. */
static void Quit(Road *r)
{
    ExitProgram(r, "quit");
    CheckQueues(r, "quit", nullptr, 0, true);
}

typedef void (*RoadStep)(Road *r);

/* The road after the start, in a user's order. */
static const RoadStep RoadSteps[] = {
    Browse,
    OpenMessages,
    EditMessage,
    EditByField,
    PutNew,
    CopyMoveDelete,
    UnloadLoad,
    DeadLetters,
    OpenDeadLetter,
    SmallFrame,
    SecondFrame,
    Alter,
    QueueOfAnyType,
    QueueListExport,
    PrintList,
    FilteredLists,
    MqscConsole,
    Exit,
};

/* The fault run after the start, on a queue manager of its own. */
static const RoadStep FaultSteps[] = {
    BrokenMove,
    PutDuringMove,
    SilentServer,
    FailedSave,
    Quit,
};

int main(int argc, char **argv)
{
    bool faults = argc == 5 && strcmp(argv[4], "--faults") == 0;
    if (argc != 4 && !faults) {
        fprintf(stderr, "usage: e2e_road RAVOLT.EXE MQSIM.EXE FILL-SCRIPT [--faults]\n");
        return 2;
    }
    Road r = {};
    r.ravolt = WinPath(argv[1]);
    r.tool = WinPath(argv[2]);
    r.fill = argv[3];
    if (!Prepare(&r))
        return Finish(&r, 1);
    int started = Start(&r);
    if (started) {
        E2EWatchdogStop();
        E2EEnd(&r.program, 1000);
        if (started == 77)
            fprintf(stderr, "e2e: the program opened no window: the road is not driven\n");
        return Finish(&r, started);
    }
    const RoadStep *steps = faults ? FaultSteps : RoadSteps;
    size_t count = faults ? sizeof FaultSteps / sizeof *FaultSteps : sizeof RoadSteps / sizeof *RoadSteps;
    for (size_t i = 0; i < count; i++) {
        ULONGLONG began = GetTickCount64();
        steps[i](&r);
        fprintf(stderr, "e2e: step %zu of the %s took %.1f s\n", i + 1, faults ? "fault run" : "road",
                (GetTickCount64() - began) / 1000.0);
    }
    fprintf(stderr, "e2e: %d failure(s)\n", r.failures);
    return Finish(&r, r.failures ? 1 : 0);
}
