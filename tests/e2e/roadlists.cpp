/* The road's object lists and console: a Queue List opened from the
 * Objects menu, filtered from its filter field and sorted by a click on
 * its first column's title, exported as CSV with "All Shown" and, after
 * two rows are clicked, with "Selected", each file read back row by row
 * against the rows the list shows (copied from it as a user copies
 * them); "Put..." of a row putting one message, checked through the MQI;
 * Queue Lists filtered on depth with the filter sent to the queue
 * manager, on the road's location and on a z/OS one; and the MQSC
 * console of the location running DISPLAY QLOCAL with its answer
 * redirected into a file. */
#include "road.h"

#include <cctype>
#include <cstring>
#include <sstream>

enum {
    CMD_QUEUE_LIST = 534, CMD_SHOW_FILTER = 503, CMD_EXPORT = 657, CMD_COPY = 796, CMD_SELECT_ALL = 6010,
    CMD_SELECT_NONE = 6011, CMD_PUT = 567, CMD_MQSC = 556, ID_FILTER = 22, ID_FILTER_BUTTON = 23,
    EXD_TYPE = 700, EXD_SELECTION = 701, EXD_FILE = 704, EXD_STATUS = 709, EXD_APPLY = 131,
    PUT_QUEUE = 171, PUT_MESSAGE = 170,
};

/* The road queues a list of this step shows: its filter keeps these. */
static const char *const Shown[] = { "E2E.TARGET1", "E2E.TARGET2", "E2E.TEXT" };

/* A top-level window of the program whose title holds text. */
static HWND WindowEnding(Road *r, const char *text, int ms)
{
    HWND found = nullptr;
    E2EUntil(ms, [&] {
        for (HWND w : E2ETopWindows(r->program.pid))
            if (E2EText(w).find(text) != std::string::npos && IsWindowVisible(w))
                found = w;
        return found != nullptr;
    }, 200);
    return found;
}

static std::string Titles(Road *r)
{
    std::string titles;
    for (HWND w : E2ETopWindows(r->program.pid))
        titles += " \"" + E2EText(w) + "\"";
    return titles;
}

/* The visible list box of a list dialog and its row count. */
static HWND ListBox(HWND dialog)
{
    struct Find { HWND found; } f = { nullptr };
    EnumChildWindows(dialog, [](HWND w, LPARAM lp) -> BOOL {
        char cls[32] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (!strcmp(cls, "ZKTLISTBOX") && IsWindowVisible(w))
            ((Find *)lp)->found = w;
        return ((Find *)lp)->found == nullptr;
    }, (LPARAM)&f);
    return f.found;
}

static int Rows(HWND list)
{
    DWORD_PTR n = 0;
    if (!list || !SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &n))
        return -1;
    return (int)(LONG_PTR)n;
}

static bool WaitRows(HWND list, int rows, int ms)
{
    return E2EUntil(ms, [&] { return Rows(list) == rows; });
}

/* The road queue a line of text names (the first of Shown it holds as
 * a whole name). */
static std::string NameIn(const std::string &line)
{
    for (const char *q : Shown) {
        for (size_t at = line.find(q); at != std::string::npos; at = line.find(q, at + 1)) {
            size_t end = at + strlen(q);
            char next = end < line.size() ? line[end] : ' ';
            if (!isalnum((unsigned char)next) && next != '.' && next != '_')
                return q;
        }
    }
    return "";
}

/* The road queues of a text's lines, in order. */
static std::vector<std::string> NamesOf(const std::string &text)
{
    std::vector<std::string> names;
    std::stringstream s(text);
    std::string line;
    while (std::getline(s, line)) {
        std::string name = NameIn(line);
        if (!name.empty())
            names.push_back(name);
    }
    return names;
}

static std::string Joined(const std::vector<std::string> &names)
{
    std::string out;
    for (const std::string &n : names)
        out += (out.empty() ? "" : ", ") + n;
    return "[" + out + "]";
}

/* The selected rows' text as the list's Copy puts it on the clipboard
 * (its command puts it there before it returns). */
static std::string CopiedText(HWND dialog)
{
    E2EEmptyClipboard();
    E2EDo(dialog, CMD_COPY);
    return E2EClipboard();
}

/* The selected rows the list shows, copied as a user copies them. */
static std::vector<std::string> Copied(HWND dialog)
{
    return NamesOf(CopiedText(dialog));
}

/* The export dialog of the list: CSV into a file with a selection; its
 * status line, and the file's road queues in order. */
static std::string Export(Road *r, HWND dialog, const char *selection, const std::string &path,
                          std::vector<std::string> *names)
{
    PostMessageA(dialog, WM_COMMAND, CMD_EXPORT, 0);
    HWND ex = WindowEnding(r, "Export IBM MQ Definition", E2E_WINDOW_MS);
    if (!ex)
        return "no export dialog";
    for (int id : { EXD_TYPE, EXD_SELECTION }) {
        HWND combo = E2EFindChild(ex, "ComboBox", id);
        const char *want = id == EXD_TYPE ? "CSV" : selection;
        int n = combo ? (int)SendMessageA(combo, CB_GETCOUNT, 0, 0) : 0;
        for (int i = 0; i < n; i++) {
            SendMessageA(combo, CB_SETCURSEL, (WPARAM)i, 0);
            if (E2EText(combo) == want) {
                SendMessageA(ex, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
                break;
            }
        }
    }
    DeleteFileA(path.c_str());
    HWND file = E2EFindChild(ex, "Edit", EXD_FILE);
    if (!file)
        file = E2EFindChild(E2EFindChild(ex, "ComboBox", EXD_FILE), "Edit", -1);
    SendMessageA(file, WM_SETTEXT, 0, (LPARAM)path.c_str());
    HWND status = E2EFindChild(ex, nullptr, EXD_STATUS);
    std::string was = status ? E2EText(status) : "", said;
    Press(ex, EXD_APPLY);
    E2EUntil(E2E_WINDOW_MS, [&] {                       /* what the export says of itself */
        said = status ? E2EText(status) : "";
        return !said.empty() && said != was;
    });
    if (!Closed(ex))                                  /* gone before the next export looks for its own */
        said += " (and the export dialog stays)";
    *names = NamesOf(FileText(path));
    return said;
}

/* A row clicked (Ctrl held to add it). */
static void ClickRow(HWND list, int index, bool ctrl)
{
    int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    LPARAM at = MAKELPARAM(40, index * height + height / 2);
    WPARAM keys = MK_LBUTTON | (ctrl ? MK_CONTROL : 0);
    SendMessageA(list, WM_LBUTTONDOWN, keys, at);
    SendMessageA(list, WM_LBUTTONUP, ctrl ? MK_CONTROL : 0, at);
}

/* The Queue List of the location a tree line shows, once it has rows
 * (null with the failure logged). */
static HWND OpenQueueList(Road *r, const char *step, const char *location, int y)
{
    ClickLine(Tree(r), y);
    E2ECommand(r->frame, CMD_QUEUE_LIST);
    std::string title = std::string(location) + "/Queue List";
    HWND dialog = WindowEnding(r, title.c_str(), E2E_QMGR_MS);
    HWND list = nullptr;
    E2EUntil(dialog ? E2E_WINDOW_MS : 0, [&] { return (list = dialog ? ListBox(dialog) : nullptr) != nullptr; });
    if (!list) {
        Fail(r, step, "no " + title + " window with a list among" + Titles(r));
        return nullptr;
    }
    MoveWindow(dialog, 50, 50, 900, 560, TRUE);
    if (!E2EUntil(E2E_QMGR_MS, [&] { return Rows(list) > 0; }))
        Fail(r, step, title + " shows no rows");
    return dialog;
}

/* A filter typed into a list's filter field and applied. */
static void ApplyFilter(HWND dialog, const char *text)
{
    HWND filter = E2EFindChild(dialog, "ComboBox", ID_FILTER);
    if (filter && !IsWindowVisible(filter))
        SendMessageA(dialog, WM_COMMAND, CMD_SHOW_FILTER, 0);
    HWND button = E2EFindChild(dialog, "Button", ID_FILTER_BUTTON);
    SendMessageA(filter, WM_SETTEXT, 0, (LPARAM)text);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ID_FILTER_BUTTON, BN_CLICKED), (LPARAM)button);
}

/* Whether the list's request under a WHERE condition was answered within
 * ms: the title says the condition is active and no longer waits. */
static bool WhereAnswered(HWND dialog, int ms)
{
    return E2EUntil(ms, [&] {
        std::string title = E2EText(dialog);
        return title.find("[WHERE Active]") != std::string::npos && title.find("waiting") == std::string::npos;
    });
}

HWND RoadQueueList(Road *r, const char *step, const char *filterText, int rows, HWND *list)
{
    HWND dialog = OpenQueueList(r, step, "E2EQM", 8);  /* the location's line */
    *list = dialog ? ListBox(dialog) : nullptr;
    if (!*list)
        return nullptr;
    if (!E2EFindChild(dialog, "ComboBox", ID_FILTER) || !E2EFindChild(dialog, "Button", ID_FILTER_BUTTON)) {
        Fail(r, step, "no filter field");
        return nullptr;
    }
    ApplyFilter(dialog, filterText);
    if (!WaitRows(*list, rows, E2E_QMGR_MS))
        Fail(r, step, std::string("the filter ") + filterText + " leaves " + std::to_string(Rows(*list)) +
                          " rows, not " + std::to_string(rows));
    return dialog;
}

bool RoadRowsCome(HWND list, int rows, int ms)
{
    return WaitRows(list, rows, ms);
}

/* The road's Queue List: the filter, the sort, both exports and Put. */
void QueueListExport(Road *r)
{
    const char *step = "queue list";
    HWND dialog = OpenQueueList(r, step, "E2EQM", 8);  /* the location's line */
    if (!dialog)
        return;
    HWND list = ListBox(dialog);
    /* the filter typed into its field */
    if (!E2EFindChild(dialog, "ComboBox", ID_FILTER) || !E2EFindChild(dialog, "Button", ID_FILTER_BUTTON)) {
        Fail(r, step, "no filter field");
        return;
    }
    ApplyFilter(dialog, "queue == 'E2E.T*'");            /* the queue manager is asked for E2E.T* */
    if (!WhereAnswered(dialog, E2E_QMGR_MS))
        Fail(r, step, "the filter's WHERE condition was not answered: \"" + E2EText(dialog) + "\"");
    if (!WaitRows(list, 3, E2E_QMGR_MS))
        Fail(r, step, "the filter leaves " + std::to_string(Rows(list)) + " rows, not 3");
    /* a click on the first column's title sorts by it, a second turns
       the order round */
    /* clicks along the title band until the name column's title turns
       the order round (a click on another column sorts by it) */
    HWND title = E2EFindChild(dialog, "ZKTTITLE", -1);
    std::vector<std::string> before = (SendMessageA(dialog, WM_COMMAND, CMD_SELECT_ALL, 0), Copied(dialog));
    std::vector<std::string> shown = before;
    for (int x = 20; title && x < 600 && (shown.empty() || shown.front() != "E2E.TEXT"); x += 30) {
        for (int clicks = 0; clicks < 2 && (shown.empty() || shown.front() != "E2E.TEXT"); clicks++) {
            /* the list sorts as the click is sent */
            SendMessageA(title, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 6));
            SendMessageA(title, WM_LBUTTONUP, 0, MAKELPARAM(x, 6));
            SendMessageA(dialog, WM_COMMAND, CMD_SELECT_ALL, 0);
            shown = Copied(dialog);
        }
    }
    std::vector<std::string> reversed = { "E2E.TEXT", "E2E.TARGET2", "E2E.TARGET1" };
    if (shown != reversed)
        Fail(r, step, "no title click turned the names round: the list shows " + Joined(shown));
    E2EShot(dialog, "road-10-queue-list");
    std::string path = r->home + "\\shown.csv";
    std::vector<std::string> names;
    std::string said = Export(r, dialog, "All Shown", path, &names);
    if (said != "3 objects exported.")
        Fail(r, step, "All Shown said \"" + said + "\"");
    if (names != shown)
        Fail(r, step, "All Shown wrote " + Joined(names) + ", the list shows " + Joined(shown) +
                          " (before the sort " + Joined(before) + "): \"" + FileText(path).substr(0, 400) + "\"");
    /* two rows clicked */
    SendMessageA(dialog, WM_COMMAND, CMD_SELECT_NONE, 0);
    ClickRow(list, 0, false);
    ClickRow(list, 2, true);
    std::vector<std::string> picked = Copied(dialog);
    said = Export(r, dialog, "Selected", r->home + "\\selected.csv", &names);
    if (said != "2 objects exported." || picked.size() != 2 || names != picked)
        Fail(r, step, "Selected said \"" + said + "\" and wrote " + Joined(names) + ", the rows picked " +
                          Joined(picked));
    /* Put... of the E2E.TARGET2 row: the put window for it puts one message */
    int row = -1;
    for (size_t i = 0; i < shown.size(); i++)
        if (shown[i] == "E2E.TARGET2")
            row = (int)i;
    SendMessageA(dialog, WM_COMMAND, CMD_SELECT_NONE, 0);
    if (row >= 0)
        ClickRow(list, row, false);
    MQLONG depth = Depth("E2E.TARGET2");
    PostMessageA(dialog, WM_COMMAND, CMD_PUT, 0);
    HWND put = WindowEnding(r, "MQPUT from", E2E_WINDOW_MS);
    if (!put) {
        Fail(r, "put from the list", "Put... opened no put window");
    } else {
        HWND queue = E2EFindChild(put, nullptr, PUT_QUEUE);
        std::string q = queue ? E2EText(queue) : "";
        if (q.find("E2E.TARGET2") == std::string::npos)
            Fail(r, "put from the list", "the put window names the queue \"" + q + "\"");
        HWND text = E2EFindChild(put, nullptr, PUT_MESSAGE);
        if (text)
            SendMessageA(text, WM_SETTEXT, 0, (LPARAM)"put from the queue list");
        Press(put, IDOK);
        std::string result = RoadPutResult(put, E2E_QMGR_MS);
        if (Depth("E2E.TARGET2") != depth + 1)
            Fail(r, "put from the list", "E2E.TARGET2 holds " + std::to_string(Depth("E2E.TARGET2")) +
                                             " messages after the put (\"" + result + "\")");
        E2EShot(put, "road-10-put-from-list");
        if (!Closed(put))
            Fail(r, "put from the list", "the put window did not close");
    }
    if (!Closed(dialog))                             /* gone before the next Queue List is looked for */
        Fail(r, step, "the Queue List did not close");
    const char *touched[] = { "E2E.TARGET2" };
    CheckQueues(r, step, touched, 1);
}

/* One depth filter on an open Queue List: the rows it keeps (copied as
 * a user copies them), the title's "[WHERE Active]", and a depth no
 * queue has, which only the queue manager's answer can report (none). */
static void DepthFilter(Road *r, const char *step, HWND dialog, const char *filter,
                        const std::vector<std::string> &want, const std::vector<std::string> &unwanted,
                        const char *nothing, const char *none, const char *shot)
{
    HWND list = ListBox(dialog);
    ApplyFilter(dialog, filter);
    if (!WhereAnswered(dialog, E2E_QMGR_MS))
        Fail(r, step, std::string(filter) + " is not answered under a WHERE condition: \"" + E2EText(dialog) + "\"");
    if (!WaitRows(list, (int)want.size(), E2E_QMGR_MS))
        Fail(r, step, std::string(filter) + " leaves " + std::to_string(Rows(list)) + " rows, not " +
                          std::to_string(want.size()));
    SendMessageA(dialog, WM_COMMAND, CMD_SELECT_ALL, 0);
    std::string copied = CopiedText(dialog);
    for (const std::string &q : want)
        if (copied.find(q) == std::string::npos)
            Fail(r, step, std::string(filter) + " does not show " + q + ": \"" + copied.substr(0, 300) + "\"");
    for (const std::string &q : unwanted)
        if (copied.find(q) != std::string::npos)
            Fail(r, step, std::string(filter) + " shows " + q);
    E2EShot(dialog, shot);
    ApplyFilter(dialog, nothing);
    if (!StatusComes(dialog, none, E2E_QMGR_MS))
        Fail(r, step, std::string(nothing) + " brought no answer saying \"" + none + "\": \"" +
                          DialogStatus(dialog) + "\"");
    if (Rows(list) != 0)
        Fail(r, step, std::string(nothing) + " leaves " + std::to_string(Rows(list)) + " rows");
}

/* Queue Lists filtered on depth, the filter sent to the queue manager as
 * the lists' WHERE condition: the road's location (PCF) keeps its deep
 * queues, the z/OS location (MQSC text) its one deep queue; a depth no
 * queue reaches is answered by each queue manager as nothing found. */
void FilteredLists(Road *r)
{
    const char *step = "filtered lists";
    std::vector<std::string> deep, shallow;
    for (int i = 0; i < RoadQueueCount; i++)
        (r->queues[i].size() > 2 ? deep : shallow).push_back(RoadQueues[i]);
    /* E2E.EDIT is no queue of the road's record (its messages are edited
       in place, and a save may add one): its depth as it stands */
    (Depth("E2E.EDIT") > 2 ? deep : shallow).push_back("E2E.EDIT");
    HWND dialog = OpenQueueList(r, step, "E2EQM", 8);
    if (dialog) {
        DepthFilter(r, step, dialog, "curdepth > 2 & queue == 'E2E.*'", deep, shallow, "curdepth > 100000000",
                    "No definitions found with a matching", "road-10-queue-list-where");
        if (!Closed(dialog))
            Fail(r, step, "the Queue List of E2EQM did not close");
    }
    /* the z/OS location alone in the tree: its line is the first */
    HWND panel = Panel(r);
    HWND search = panel ? E2EFindChild(panel, "ComboBox", 31) : nullptr;
    if (!search) {
        Fail(r, step, "no location search field");
        return;
    }
    /* the search applies after a pause in the typing: the tree then
       shows the road's location no more */
    SendMessageA(search, WM_SETTEXT, 0, (LPARAM)"E2EZOS");
    if (!E2EUntil(E2E_WINDOW_MS, [&] { ScanTree(r); return r->lines.empty(); }, 200))
        Fail(r, step, "the location search E2EZOS leaves E2EQM's queues in the tree");
    dialog = OpenQueueList(r, step, "E2EZOS", 8);
    if (dialog) {
        DepthFilter(r, step, dialog, "curdepth > 10", { "APP.DEEP" }, { "APP.EMPTY" }, "curdepth > 100000",
                    "CSQM297I", "road-10-queue-list-zos");
        if (!Closed(dialog))
            Fail(r, step, "the Queue List of E2EZOS did not close");
    }
    /* emptied, the search shows E2EQM again at the top, closed: opened
       by its box as a user opens it (its queues are known), the road's
       queues are back.  Until the search applies, the box opens or
       closes E2EZOS instead. */
    SendMessageA(search, WM_SETTEXT, 0, (LPARAM)"");
    HWND tree = Tree(r);
    std::string missing;
    if (!E2EUntil(E2E_QMGR_MS, [&] {
            if (TreeShowsRoad(r, 0, &missing))
                return true;
            SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(9, 8));
            SendMessageA(tree, WM_LBUTTONUP, 0, MAKELPARAM(9, 8));
            return TreeShowsRoad(r, 0, &missing);
        }, 500))
        Fail(r, step, "the location search emptied, the tree lacks " + missing);
    CheckQueues(r, step, nullptr, 0);
}

/* The frame's message list printed: its pane's Print... runs the print
 * dialog.  Wine here offers no printer: its box saying so is answered
 * and the pane's status line says no printer is installed; with a
 * printer the dialog is cancelled.  The list and the queues stay. */
void PrintList(Road *r)
{
    const char *step = "print";
    int rows = (int)r->queues[RQ_TEXT].size();
    if (OpenFromTree(r, step, "E2E.TEXT", rows) != rows)
        Fail(r, step, "the list of E2E.TEXT does not show its rows");
    HWND pane = MessageList(r->frame);
    while (pane && GetParent(pane) && GetParent(pane) != r->frame)
        pane = GetParent(pane);
    if (!pane) {
        Fail(r, step, "the frame has no message list");
        return;
    }
    PostMessageA(pane, WM_COMMAND, 786, 0);
    HWND print = nullptr;
    bool none = false;
    E2EUntil(E2E_WINDOW_MS, [&] {
        for (HWND w : E2ETopWindows(r->program.pid))
            if (E2EText(w) == "Print" && IsWindowVisible(w) && E2EFindChild(w, "ComboBox", -1))
                print = w;
        none = DialogStatus(pane).find("No printer is installed") != std::string::npos;
        return print || none;
    }, 200);
    if (print) {
        E2EShot(print, "road-11-print");
        PostMessageA(print, WM_COMMAND, IDCANCEL, 0);
        if (!E2EUntil(E2E_WINDOW_MS, [&] { return !IsWindow(print); }))
            Fail(r, step, "the print dialog stays after Cancel");
    } else if (!none) {
        Fail(r, step, "neither a print dialog nor the status \"No printer is installed\": \"" + DialogStatus(pane) +
                          "\"" + Titles(r));
    }
    if (ListRows(r) != rows)
        Fail(r, step, "the list shows " + std::to_string(ListRows(r)) + " rows after printing");
    CheckQueues(r, step, nullptr, 0);
}

/* The location's MQSC console: DISPLAY QLOCAL redirected into a file
 * that holds the stand-in's answer. */
void MqscConsole(Road *r)
{
    const char *step = "mqsc console";
    ClickLine(Tree(r), 8);
    E2ECommand(r->frame, CMD_MQSC);                  /* as the location's context menu sends it */
    HWND dialog = WindowEnding(r, "/MQSC Commands", E2E_WINDOW_MS);
    if (!dialog)
        Fail(r, step, std::string("no MQSC Commands window among") + Titles(r));
    HWND console = dialog ? E2EFindChild(dialog, "RavoltMQSCConsole", -1) : nullptr;
    HWND input = console ? E2EFindChild(console, "ComboBox", -1) : nullptr;
    HWND edit = input ? E2EFindChild(input, "Edit", -1) : nullptr;
    if (!edit) {
        Fail(r, step, "no MQSC Commands window with a console");
        return;
    }
    /* typed as a user types, at the size the window opens with, run by
       Enter (DISPLAY QMGR) or by Execute, each answer redirected to a file
       read back */
    E2EBringForward(dialog);
    auto run = [&](const char *command, const char *file, int button, const char *answer) {
        std::string path = r->home + "\\" + file, text;
        DeleteFileA(path.c_str());
        E2EClick(edit, 4, 4);
        E2ETypeText((std::string(command) + " > " + path).c_str());
        if (button)
            E2EClick(E2EFindChild(dialog, "Button", button), 8, 8);
        else
            E2EKey(VK_RETURN);
        if (!E2EUntil(E2E_QMGR_MS, [&] { return (text = FileText(path)).find(answer) != std::string::npos; }, 200))
            Fail(r, step, std::string(command) + " answered no " + answer + ": \"" + text.substr(0, 300) + "\"");
    };
    run("DISPLAY QMGR", "qmgr.txt", 0, "QMNAME(E2EQM)");
    if (!E2EText(input).empty())
        Fail(r, step, "the command stays in the input box: \"" + E2EText(input) + "\"");
    run("DISPLAY QLOCAL(E2E.*)", "qlocal.txt", 1, "QUEUE(E2E.TEXT)");
    E2EShot(dialog, "road-11-mqsc-console");
    if (!Closed(dialog))
        Fail(r, step, "the MQSC Commands window did not close");
    CheckQueues(r, step, nullptr, 0);
}
