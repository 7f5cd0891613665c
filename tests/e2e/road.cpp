/* The road: ravolt.exe driven as a user drives it, against a queue
 * manager filled by fill.mqsim, each step followed by a check of the
 * queues through the MQI and a picture into the gallery.
 *
 *   e2e_road RAVOLT.EXE MQSIM.EXE FILL-SCRIPT
 *
 * The steps driven: the start with the location expanded (every road
 * queue in the tree), a queue's message list opened from the tree (as
 * many rows as the depth), the dead-letter queue's list, exit with the
 * configuration written, and a second start that finds the location and
 * its queues again.  The tree is read as a user reads it: a line is
 * clicked and the panel's status line names the queue on it.
 *
 * Exit code 0 when every step driven passed, 1 when one failed, 77 (the
 * test skipped) when the program opens no window. */
#include "e2e.h"
#include "mqsim.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

/* The queues the fill script fills or leaves empty for the road. */
static const char *const RoadQueues[] = {
    "E2E.TEXT", "E2E.XML", "E2E.JSON", "E2E.PCF", "E2E.RFH2", "E2E.MANY",
    "E2E.TARGET1", "E2E.TARGET2", "E2E.LOADED", "E2E.DLQ",
};
static const int RoadQueueCount = (int)(sizeof RoadQueues / sizeof RoadQueues[0]);

/* Where a queue's line is in the tree (client y of the tree's child). */
struct TreeLine {
    std::string queue;
    int y;
};

struct Road {
    std::string ravolt, tool, fill, home, config;
    E2EProcess program;
    HWND frame;
    std::vector<TreeLine> lines;                    /* as the last scan found them */
    std::vector<E2EMsg> queues[RoadQueueCount];     /* as the last check left them */
    int failures;
};

/* A path as Windows takes it (Wine's Z: drive for a Unix path). */
static std::string WinPath(std::string p)
{
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p;
    for (char &c : p)
        if (c == '/')
            c = '\\';
    return p;
}

static void Fail(Road *r, const char *step, const std::string &why)
{
    fprintf(stderr, "e2e: %s: %s\n", step, why.c_str());
    r->failures++;
}

/* An attribute of a queue (or of the queue manager when queue is null)
 * through MQINQ: an integer selector's value into *value, a character
 * selector's (trailing blanks cut) into *text.  False when it cannot be
 * asked. */
static bool Inquire(const char *queue, MQLONG selector, MQLONG *value, std::string *text)
{
    char qm[48];
    memset(qm, ' ', sizeof qm);
    memcpy(qm, "E2EQM", 5);
    MQHCONN hc;
    MQLONG cc, rc;
    MQCONN(qm, &hc, &cc, &rc);
    if (cc == MQCC_FAILED)
        return false;
    MQOD od = {MQOD_DEFAULT};
    od.ObjectType = queue ? MQOT_Q : MQOT_Q_MGR;
    if (queue)
        memcpy(od.ObjectName, queue, strlen(queue));
    MQHOBJ ho;
    MQOPEN(hc, &od, MQOO_INQUIRE, &ho, &cc, &rc);
    bool ok = cc != MQCC_FAILED;
    if (ok) {
        char chars[MQ_Q_MGR_DESC_LENGTH + 1] = "";
        MQLONG ints = 0;
        bool isText = selector >= MQCA_FIRST && selector <= MQCA_LAST;
        MQINQ(hc, ho, 1, &selector, isText ? 0 : 1, &ints, isText ? MQ_Q_MGR_DESC_LENGTH : 0, chars, &cc, &rc);
        ok = cc != MQCC_FAILED;
        if (ok && value)
            *value = ints;
        if (ok && text) {
            *text = std::string(chars, isText ? MQ_Q_MGR_DESC_LENGTH : 0);
            text->erase(text->find_last_not_of(' ') + 1);
        }
        MQCLOSE(hc, &ho, MQCO_NONE, &cc, &rc);
    }
    MQDISC(&hc, &cc, &rc);
    return ok;
}

/* A queue's current depth through MQINQ: -1 when it cannot be asked. */
static MQLONG Depth(const char *queue)
{
    MQLONG depth = -1;
    return Inquire(queue, MQIA_CURRENT_Q_DEPTH, &depth, nullptr) ? depth : -1;
}

/* Every road queue as it is now: nothing lost or doubled anywhere, and
 * the queues a step did not touch exactly as they were.  The queue of a
 * few thousand is browsed message by message when a step touched it (or
 * full is asked); otherwise its depth must be what it was. */
static void CheckQueues(Road *r, const char *step, const char *const *touched, int ntouched, bool full = false)
{
    std::vector<E2EMsg> now;
    for (int i = 0; i < RoadQueueCount; i++) {
        bool isTouched = false;
        for (int t = 0; t < ntouched; t++)
            isTouched |= strcmp(touched[t], RoadQueues[i]) == 0;
        if (!isTouched && !full && r->queues[i].size() > 1000) {
            MQLONG depth = Depth(RoadQueues[i]);
            if (depth != (MQLONG)r->queues[i].size())
                Fail(r, step, std::string(RoadQueues[i]) + " holds " + std::to_string(depth) + " messages, not " +
                                  std::to_string(r->queues[i].size()));
            now.insert(now.end(), r->queues[i].begin(), r->queues[i].end());
            continue;
        }
        std::vector<E2EMsg> q;
        MQLONG rc = E2EQueue("E2EQM", RoadQueues[i], &q);
        if (rc) {
            Fail(r, step, std::string("browse of ") + RoadQueues[i] + " failed, reason " + std::to_string(rc));
            continue;
        }
        std::string diff = E2ESameMessages(r->queues[i], q);
        if (!isTouched && !diff.empty())
            Fail(r, step, std::string(RoadQueues[i]) + " changed:\n" + diff);
        now.insert(now.end(), q.begin(), q.end());
        r->queues[i] = q;
    }
    std::map<std::string, E2EMsg> ids;
    std::string why;
    if (!E2EById(now, &ids, &why))
        Fail(r, step, why);
}

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
    /* the configuration names the road's one location, with the reply
       queue model a location added by hand gets */
    std::ofstream cfg(r->config + "\\RAVOLT.CFG", std::ios::binary);
    cfg << "AP:\nQM:E2EQM \"E2EQM\" 0 0 auto\nrq=SYSTEM.DEFAULT.MODEL.QUEUE\n";
    cfg.close();
    std::string qmHome = r->home + "\\qm";
    SetEnvironmentVariableA("RAVOLT_MQSIM_HOME", qmHome.c_str());
    _putenv_s("RAVOLT_MQSIM_HOME", qmHome.c_str());
    const char *samples = getenv("RAVOLT_SAMPLES");
    std::string failed = E2EFill(r->tool, r->fill, qmHome, samples ? samples : "");
    if (!failed.empty()) {
        Fail(r, "fill", failed);
        return false;
    }
    for (int i = 0; i < RoadQueueCount; i++)
        E2EQueue("E2EQM", RoadQueues[i], &r->queues[i]);
    MQSimShutdown();                               /* the program owns the queue manager */
    if (r->queues[5].size() != 3000)
        Fail(r, "fill", "E2E.MANY holds " + std::to_string(r->queues[5].size()) + " messages");
    return true;
}

/* ---- the tree, as a user reads it ---------------------------------------------- */

static HWND Panel(Road *r)
{
    return E2EFindChild(r->frame, "RAVOLTQM", -1);
}

static HWND Tree(Road *r)
{
    HWND panel = Panel(r);
    return panel ? E2EFindChild(panel, "CntChildContainer", -1) : nullptr;
}

static std::string SearchText(Road *r)
{
    HWND panel = Panel(r);
    HWND field = panel ? E2EFindChild(panel, "ComboBox", 33) : nullptr;
    return field ? E2EText(field) : std::string();
}

static std::string Status(Road *r)
{
    HWND panel = Panel(r);
    HWND status = panel ? E2EFindChild(panel, "Edit", 11) : nullptr;
    return status ? E2EText(status) : std::string();
}

/* Text typed into the panel's Search Queues field: the tree keeps the
 * queues whose names hold it. */
static void SearchQueues(Road *r, const char *text)
{
    HWND panel = Panel(r);
    HWND field = panel ? E2EFindChild(panel, "ComboBox", 33) : nullptr;
    if (field)
        SendMessageA(field, WM_SETTEXT, 0, (LPARAM)text);
}

/* A click on a tree line, as the mouse makes it. */
static void ClickLine(HWND tree, int y, bool twice = false)
{
    LPARAM at = MAKELPARAM(120, y);
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(tree, WM_LBUTTONUP, 0, at);
    if (twice)
        SendMessageA(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
}

/* Every queue line of the tree, found by clicking down its height and
 * reading the status line; "E2EQM/NAME" names a queue of the location. */
static void ScanTree(Road *r)
{
    r->lines.clear();
    HWND tree = Tree(r);
    if (!tree)
        return;
    RECT rc;
    GetClientRect(tree, &rc);
    std::string last;
    for (int y = 2; y < rc.bottom; y += 3) {
        ClickLine(tree, y);
        std::string s = Status(r);
        if (s.empty() || s == last)
            continue;
        last = s;
        size_t slash = s.find('/');
        if (slash != std::string::npos && s.compare(0, slash, "E2EQM") == 0)
            r->lines.push_back({s.substr(slash + 1), y + 1});
    }
}

static const TreeLine *LineOf(Road *r, const char *queue)
{
    for (const TreeLine &l : r->lines)
        if (l.queue == queue)
            return &l;
    return nullptr;
}

/* The tree shows every road queue once the location's queue list came:
 * waited for up to ms. */
static bool TreeShowsRoad(Road *r, int ms, std::string *missing)
{
    for (int waited = 0;; waited += 500) {
        ScanTree(r);
        missing->clear();
        for (int i = 0; i < RoadQueueCount; i++)
            if (!LineOf(r, RoadQueues[i]))
                *missing += std::string(missing->empty() ? "" : " ") + RoadQueues[i];
        if (missing->empty() || waited >= ms)
            return missing->empty();
        Sleep(500);
    }
}

/* The rows of the frame's message list (its split list's list box). */
static int ListRows(Road *r)
{
    HWND list = E2EFindChild(r->frame, "ZKTSPLITLIST", -1);
    if (!list)
        return -1;
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &n))
        return -1;
    return (int)(LONG_PTR)n;
}

/* ---- the steps ------------------------------------------------------------------ */

/* Starts the program with the road's configuration and the location
 * opened: 0, 1 on failure, 77 when no window came. */
static int Launch(Road *r, const char *step)
{
    r->frame = nullptr;
    std::string cmd = "\"" + r->ravolt + "\" -f \"" + r->config + "\" -m E2EQM";
    if (!E2EStart(&r->program, cmd, r->config)) {
        Fail(r, step, "cannot start " + r->ravolt);
        return 1;
    }
    E2EWatchdogStart(r->program.pid, IDOK);
    for (int waited = 0; !r->frame && waited < 30000 && !E2EEnded(&r->program, 0); waited += 200)
        r->frame = E2EWaitWindow(r->program.pid, "Ravolt", 200);
    if (!r->frame)
        return 77;
    E2EBringForward(r->frame);
    return 0;
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

/* Opens a queue's message list from its tree line (a double click) and
 * waits for the list to hold rows rows: the rows it holds. */
static int OpenFromTree(Road *r, const char *step, const char *queue, int rows)
{
    HWND tree = Tree(r);
    RECT rc = {};
    GetClientRect(tree, &rc);
    std::string want = std::string("E2EQM/") + queue;
    bool found = false;
    for (int y = 2; y < rc.bottom && !found; y += 3) {
        ClickLine(tree, y);
        if (Status(r) == want) {
            ClickLine(tree, y, true);
            found = true;
        }
    }
    if (!found) {
        Fail(r, step, std::string(queue) + " has no tree line");
        return -1;
    }
    int n = -1;
    for (int waited = 0; waited < 8000; waited += 200) {
        n = ListRows(r);
        if (E2EText(r->frame).find(want) != std::string::npos && n == rows)
            break;
        Sleep(200);
    }
    if (E2EText(r->frame).find(want) == std::string::npos)
        Fail(r, step, "the frame's title names no " + want + ": " + E2EText(r->frame));
    return n;
}

/* 2: a queue's message list opened from the tree (the frame's title
 * names it): as many rows as the depth; the queue of a few thousand
 * shows its first page. */
static void Browse(Road *r)
{
    int n = OpenFromTree(r, "browse", "E2E.TEXT", (int)r->queues[0].size());
    if (n != (int)r->queues[0].size())
        Fail(r, "browse", "the list of E2E.TEXT shows " + std::to_string(n) + " rows");
    E2EShot(r->frame, "road-02-browse");
    n = OpenFromTree(r, "browse", "E2E.MANY", 100);               /* the first page of 100 */
    if (n != 100)
        Fail(r, "browse", "the first page of E2E.MANY shows " + std::to_string(n) + " rows");
    E2EShot(r->frame, "road-02-browse-many");
    CheckQueues(r, "browse", nullptr, 0);
}

/* 8: the dead-letter queue's list. */
static void DeadLetters(Road *r)
{
    int n = OpenFromTree(r, "dead letters", "E2E.DLQ", (int)r->queues[9].size());
    if (n != (int)r->queues[9].size())
        Fail(r, "dead letters", "the list of E2E.DLQ shows " + std::to_string(n) + " rows");
    E2EShot(r->frame, "road-08-dead-letters");
    CheckQueues(r, "dead letters", nullptr, 0);
}

/* The field editor of an object dialog: the edit lying over its
 * current line. */
static HWND FieldEditor(HWND dialog)
{
    HWND fields = E2EFindChild(dialog, "PCFFields", 19);
    return fields ? E2EFindChild(fields, "Edit", 20) : nullptr;
}

/* Text typed over the whole of a field editor's value. */
static void TypeOver(HWND editor, const char *text)
{
    SendMessageA(editor, EM_SETSEL, 0, -1);
    for (const char *p = text; *p; p++)
        SendMessageA(editor, WM_CHAR, (WPARAM)(unsigned char)*p, 0);
}

/* A dialog's push button pressed. */
static void Press(HWND dialog, int id)
{
    HWND button = E2EFindChild(dialog, "Button", id);
    if (button)
        SendMessageA(button, BM_CLICK, 0, 0);
}

/* Opens an object dialog with a menu command on the tree's selection,
 * steps its field editor down to the line showing was, types now over
 * it, presses Alter and waits for the status line to say so: the dialog
 * (closed by the caller), or null with the failure logged. */
static HWND AlterField(Road *r, const char *step, int command, const char *title, const char *name,
                       const char *was, const char *now, const char *shot)
{
    E2ECommand(r->frame, command);
    HWND dialog = nullptr;
    for (int waited = 0; !dialog && waited < 10000; waited += 200) {
        for (HWND w : E2ETopWindows(r->program.pid)) {
            std::string t = E2EText(w);
            if (t.size() >= strlen(title) && t.compare(t.size() - strlen(title), strlen(title), title) == 0)
                dialog = w;
        }
        Sleep(200);
    }
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
       until the editor lies over the one that shows was */
    HWND fields = E2EFindChild(dialog, "PCFFields", 19);
    bool found = false;
    for (int round = 0; round < 20 && !found; round++) {
        Sleep(250);
        for (int y = 5; y < 400 && !found; y += 10) {
            LPARAM at = MAKELPARAM(300, y);
            SendMessageA(fields, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageA(fields, WM_LBUTTONUP, 0, at);
            editor = FieldEditor(dialog);
            found = editor && E2EText(editor) == was;
        }
    }
    if (!found) {
        Fail(r, step, std::string("the field showing \"") + was + "\" was not reached");
        return dialog;
    }
    TypeOver(editor, now);
    Press(dialog, 575);
    HWND status = E2EFindChild(dialog, "ComboBox", 17);
    std::string said;
    for (int waited = 0; waited < 10000; waited += 200) {
        said = status ? E2EText(status) : "";
        if (said.find("altered") != std::string::npos)
            break;
        Sleep(200);
    }
    if (said.find("altered") == std::string::npos)
        Fail(r, step, "Alter was not confirmed: \"" + said + "\"");
    E2EShot(dialog, shot);
    return dialog;
}

/* 9: the Queue Manager and Queue dialogs alter a description each; MQINQ
 * shows the new values, and no message moved. */
static void Alter(Road *r)
{
    ClickLine(Tree(r), 8);                           /* the location's line */
    HWND d = AlterField(r, "queue", 533, "/Queue", "E2E.TARGET1", "empty target", "target of the road",
                        "road-09-queue");
    std::string text;
    if (!Inquire("E2E.TARGET1", MQCA_Q_DESC, nullptr, &text) || text != "target of the road")
        Fail(r, "queue", "MQINQ shows the description \"" + text + "\"");
    if (d)
        PostMessageA(d, WM_CLOSE, 0, 0);
    d = AlterField(r, "queue manager", 542, "/Queue Manager", nullptr, "road queue manager", "altered on the road",
                   "road-09-queue-manager");
    if (!Inquire(nullptr, MQCA_Q_MGR_DESC, nullptr, &text) || text != "altered on the road")
        Fail(r, "queue manager", "MQINQ shows the description \"" + text + "\"");
    if (d)
        PostMessageA(d, WM_CLOSE, 0, 0);
    CheckQueues(r, "alter", nullptr, 0);
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

static std::string FileText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

/* 10: the program ends through its own exit (the question answered
 * Yes): the configuration is written once, the previous one kept; the
 * next start finds the location and its queues again. */
static void Exit(Road *r)
{
    std::string before = FileText(r->config + "\\RAVOLT.CFG");
    E2ECommand(r->frame, 934);                      /* View, Save search values */
    E2ECommand(r->frame, 519);
    if (!E2EEnded(&r->program, 30000))
        Fail(r, "exit", "the program did not end after File Exit");
    E2EWatchdogStop();
    E2EEnd(&r->program, 1000);
    std::string after = FileText(r->config + "\\RAVOLT.CFG");
    if (after.find("QM:E2EQM") == std::string::npos)
        Fail(r, "exit", "the configuration written holds no location E2EQM");
    if (after == before)
        Fail(r, "exit", "the configuration was not written");
    if (FileText(r->config + "\\RAVOLT.BAK") != before)
        Fail(r, "exit", "RAVOLT.BAK is not the configuration the program started with");
    CheckQueues(r, "exit", nullptr, 0);

    if (Launch(r, "start again")) {
        Fail(r, "start again", "no window");
        return;
    }
    if (SearchText(r) != "E2E.")
        Fail(r, "start again", "the search text is not back: \"" + SearchText(r) + "\"");
    std::string missing;
    if (!TreeShowsRoad(r, 30000, &missing))
        Fail(r, "start again", "queues missing from the tree: " + missing);
    E2EShot(r->frame, "road-10-start-again");
    E2ECommand(r->frame, 519);
    if (!E2EEnded(&r->program, 30000))
        Fail(r, "start again", "the program did not end after File Exit");
    E2EWatchdogStop();
    E2EEnd(&r->program, 1000);
    CheckQueues(r, "start again", nullptr, 0, true);
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: e2e_road RAVOLT.EXE MQSIM.EXE FILL-SCRIPT\n");
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
    Browse(&r);
    DeadLetters(&r);
    Alter(&r);
    Exit(&r);
    fprintf(stderr, "e2e: %d failure(s)\n", r.failures);
    return Finish(&r, r.failures ? 1 : 0);
}
