/* The road's kit: what its steps share to drive the program and to
 * check the queues (the road's record, the tree read through the panel's
 * status line, the frame's message list, object dialogs' fields, the
 * program started and its configuration read back). */
#include "road.h"
#include "mqsim.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

const char *const RoadQueues[] = {
    "E2E.TEXT", "E2E.XML", "E2E.JSON", "E2E.PCF", "E2E.RFH2", "E2E.MANY",
    "E2E.TARGET1", "E2E.TARGET2", "E2E.LOADED", "E2E.DLQ",
};
const int RoadQueueCount = (int)(sizeof RoadQueues / sizeof RoadQueues[0]);

/* A path as Windows takes it (Wine's Z: drive for a Unix path). */
std::string WinPath(std::string p)
{
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p;
    for (char &c : p)
        if (c == '/')
            c = '\\';
    return p;
}

void Fail(Road *r, const char *step, const std::string &why)
{
    fprintf(stderr, "e2e: %s: %s\n", step, why.c_str());
    r->failures++;
}

/* An attribute of a queue (or of the queue manager when queue is null)
 * through MQINQ: an integer selector's value into *value, a character
 * selector's (trailing blanks cut) into *text.  False when it cannot be
 * asked. */
bool Inquire(const char *queue, MQLONG selector, MQLONG *value, std::string *text)
{
    MQHCONN hc;
    MQLONG cc, rc;
    if (E2EConnect("E2EQM", &hc))
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
MQLONG Depth(const char *queue)
{
    MQLONG depth = -1;
    return Inquire(queue, MQIA_CURRENT_Q_DEPTH, &depth, nullptr) ? depth : -1;
}

/* Every road queue as it is now: nothing lost or doubled anywhere, and
 * the queues a step did not touch exactly as they were.  The queue of a
 * few thousand is browsed message by message when a step touched it (or
 * full is asked); otherwise its depth must be what it was. */
void CheckQueues(Road *r, const char *step, const char *const *touched, int ntouched, bool full)
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

/* ---- the tree, as a user reads it ---------------------------------------------- */

HWND Panel(Road *r)
{
    return E2EFindChild(r->frame, "RAVOLTQM", -1);
}

HWND Tree(Road *r)
{
    HWND panel = Panel(r);
    return panel ? E2EFindChild(panel, "CntChildContainer", -1) : nullptr;
}

HWND SearchField(HWND frame)
{
    HWND panel = E2EFindChild(frame, "RAVOLTQM", -1);
    return panel ? E2EFindChild(panel, "ComboBox", 33) : nullptr;
}

std::string SearchText(Road *r)
{
    HWND field = SearchField(r->frame);
    return field ? E2EText(field) : std::string();
}

std::string Status(Road *r)
{
    HWND panel = Panel(r);
    HWND status = panel ? E2EFindChild(panel, "Edit", 11) : nullptr;
    return status ? E2EText(status) : std::string();
}

/* Text typed into the panel's Search Queues field: the tree keeps the
 * queues whose names hold it. */
void SearchQueues(Road *r, const char *text)
{
    HWND field = SearchField(r->frame);
    if (field)
        SendMessageA(field, WM_SETTEXT, 0, (LPARAM)text);
}

/* A click on a tree line, as the mouse makes it. */
void ClickLine(HWND tree, int y, bool twice)
{
    LPARAM at = MAKELPARAM(120, y);
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(tree, WM_LBUTTONUP, 0, at);
    if (twice)
        SendMessageA(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
}

/* Every queue line of the tree, found by clicking down its height and
 * reading the status line; "E2EQM/NAME" names a queue of the location. */
void ScanTree(Road *r)
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

const TreeLine *LineOf(Road *r, const char *queue)
{
    for (const TreeLine &l : r->lines)
        if (l.queue == queue)
            return &l;
    return nullptr;
}

/* The tree shows every road queue once the location's queue list came:
 * waited for up to ms. */
bool TreeShowsRoad(Road *r, int ms, std::string *missing)
{
    return E2EUntil(ms, [&] {
        ScanTree(r);
        missing->clear();
        for (int i = 0; i < RoadQueueCount; i++)
            if (!LineOf(r, RoadQueues[i]))
                *missing += std::string(missing->empty() ? "" : " ") + RoadQueues[i];
        return missing->empty();
    }, 200);
}

HWND MessageList(HWND frame)
{
    return E2EFindChild(frame, "ZKTSPLITLIST", -1);
}

bool HoldKeys(Road *r, std::initializer_list<WORD> keys, bool down)
{
    /* two queue lines one below the other: the tree's first two */
    HWND tree = Tree(r);
    auto at = [&](const TreeLine &l) { return Status(r) == "E2EQM/" + l.queue; };
    if (r->lines.size() < 2 || (ClickLine(tree, r->lines[0].y), !at(r->lines[0])))
        ScanTree(r);
    if (r->lines.size() < 2)
        return false;
    const TreeLine &from = r->lines[down ? 0 : 1], &to = r->lines[down ? 1 : 0];
    E2EBringForward(r->frame);
    ClickLine(tree, from.y);                          /* the tree takes the keys */
    E2EKeys(keys, down);
    E2EKey(down ? VK_DOWN : VK_UP);
    return E2EUntil(E2E_WINDOW_MS, [&] { return at(to); });
}

/* The rows of the frame's message list (its split list's list box). */
int ListRows(Road *r)
{
    HWND list = MessageList(r->frame);
    if (!list)
        return -1;
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &n))
        return -1;
    return (int)(LONG_PTR)n;
}

/* Starts the program with the road's configuration and the location
 * opened: 0, 1 on failure, 77 when no window came. */
int Launch(Road *r, const char *step)
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

/* Opens a queue's message list from its tree line (a double click) and
 * waits for the list to hold rows rows: the rows it holds. */
int OpenFromTree(Road *r, const char *step, const char *queue, int rows)
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
    E2EUntil(E2E_QMGR_MS, [&] {
        n = ListRows(r);
        return E2EText(r->frame).find(want) != std::string::npos && n == rows;
    });
    if (E2EText(r->frame).find(want) == std::string::npos)
        Fail(r, step, "the frame's title names no " + want + ": " + E2EText(r->frame));
    return n;
}

/* The field editor of an object dialog: the edit lying over its
 * current line, or the edit of the combo box lying there. */
HWND FieldEditor(HWND dialog)
{
    HWND fields = E2EFindChild(dialog, "PCFFields", 19);
    HWND edit = fields ? E2EFindChild(fields, "Edit", 20) : nullptr;
    if (edit && IsWindowVisible(edit))
        return edit;
    for (int id : { 21, 27 }) {
        HWND combo = fields ? E2EFindChild(fields, "ComboBox", id) : nullptr;
        if (combo && IsWindowVisible(combo))
            return E2EFindChild(combo, "Edit", -1);
    }
    return edit;
}

bool FieldShown(HWND dialog, const char *text)
{
    HWND fields = E2EFindChild(dialog, "PCFFields", 19);
    for (int y = 5; fields && y < 400; y += 10) {
        LPARAM at = MAKELPARAM(300, y);
        SendMessageA(fields, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(fields, WM_LBUTTONUP, 0, at);
        HWND editor = FieldEditor(dialog);
        if (editor && E2EText(editor) == text)
            return true;
    }
    return false;
}

/* Text typed over the whole of a field editor's value. */
void TypeOver(HWND editor, const char *text)
{
    SendMessageA(editor, EM_SETSEL, 0, -1);
    for (const char *p = text; *p; p++)
        SendMessageA(editor, WM_CHAR, (WPARAM)(unsigned char)*p, 0);
}

/* A dialog's push button pressed. */
void Press(HWND dialog, int id)
{
    HWND button = E2EFindChild(dialog, "Button", id);
    if (button)
        SendMessageA(button, BM_CLICK, 0, 0);
}

std::string FileText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string DialogStatus(HWND dialog)
{
    HWND status = dialog ? E2EFindChild(dialog, "ComboBox", 17) : nullptr;
    return status ? E2EText(status) : std::string();
}

bool StatusComes(HWND dialog, const char *text, int ms, bool absent)
{
    return E2EUntil(ms, [&] { return (DialogStatus(dialog).find(text) != std::string::npos) != absent; });
}

/* The status history of a dialog: its status line's list. */
static HWND StatusHistory(HWND dialog)
{
    return dialog ? E2EFindChild(dialog, "ComboBox", 17) : nullptr;
}

/* The mark the road puts at the top of a status history. */
static const char StatusMark[] = "(the road's mark)";

std::string HistoryLine(HWND combo, int i)
{
    /* the text comes from the program's process: asked for in UTF-16
       (an ANSI ask across processes came back as its first letter).
       The program goes on adding lines at the top while they are read,
       so the line asked for may be longer than the one whose length was
       asked: the room is the longest line the program keeps (its status
       texts are under 752 characters) */
    wchar_t wide[1024];
    LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, (WPARAM)i, 0);
    if (n < 0 || n >= (LRESULT)(sizeof wide / sizeof *wide))
        return std::string();
    wide[0] = 0;
    SendMessageW(combo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)wide);
    wide[sizeof wide / sizeof *wide - 1] = 0;
    char text[3 * 1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text - 1, nullptr, nullptr);
    return text;
}

void MarkStatus(HWND dialog)
{
    HWND combo = StatusHistory(dialog);
    DWORD_PTR out;
    if (combo)
        SendMessageTimeoutA(combo, CB_INSERTSTRING, 0, (LPARAM)StatusMark, SMTO_ABORTIFHUNG, E2E_WINDOW_MS, &out);
}

std::vector<std::string> StatusSinceMark(HWND dialog)
{
    std::vector<std::string> said;
    HWND combo = StatusHistory(dialog);
    int kept = combo ? (int)SendMessageA(combo, CB_GETCOUNT, 0, 0) : 0;
    for (int i = 0; i < kept && i < 30; i++) {
        std::string line = HistoryLine(combo, i);
        if (line == StatusMark)
            break;
        said.push_back(line);
    }
    return said;
}

std::string StatusAnswer(HWND dialog, bool (*answers)(const std::string &), int ms)
{
    std::string found;
    E2EUntil(ms, [&] {
        for (const std::string &line : StatusSinceMark(dialog))
            if (found.empty() && answers(line))
                found = line;
        return !found.empty();
    }, 100);
    return found;
}

bool Closed(HWND w)
{
    PostMessageA(w, WM_CLOSE, 0, 0);
    return E2EUntil(E2E_WINDOW_MS, [&] { return !IsWindow(w) || !IsWindowVisible(w); });
}
