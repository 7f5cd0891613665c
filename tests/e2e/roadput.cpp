/* The road's put dialog, unload and load: a message typed into the put
 * dialog and put, a queue unloaded to a file and the file loaded into an
 * empty queue, each dialog opened from the frame's menu and filled as a
 * user fills it, and what arrived checked through the MQI. */
#include "road.h"

#include <commctrl.h>

#include <cctype>
#include <cstring>
#include <map>

enum {
    ID_STATUS = 103, ID_QUEUE = 171, ID_PERSISTENCE = 172, ID_COUNT = 169, ID_SYNCPOINT = 173,
    ID_MESSAGE = 170, ID_INFILE = 286, ID_OUTFILE = 287, ID_OUTQUEUE = 290, ID_CONTEXT = 293,
    ID_INPUTTAB = 301, ID_OUTPUTTAB = 302, ID_MOVE = 339, ID_APPLY = 131,
    MENU_PUT = 641, MENU_LOADUNLOAD = 731,
};

/* ---- the dialogs' fields, as a user fills them -------------------------------- */

/* Text typed over a field's value (a combo box's edit); a line end is
 * the Enter key. */
static void TypeInto(HWND dialog, int id, const char *text)
{
    HWND field = E2EFindChild(dialog, nullptr, id);
    char cls[32] = "";
    if (field)
        GetClassNameA(field, cls, sizeof cls);
    HWND edit = _stricmp(cls, "ComboBox") == 0 ? E2EFindChild(field, "Edit", -1) : field;
    if (!edit)
        return;
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (const char *p = text; *p; p++)
        SendMessageA(edit, WM_CHAR, *p == '\n' ? VK_RETURN : (WPARAM)(unsigned char)*p, 0);
}

/* An entry of a drop-down list chosen as the mouse chooses it: the list
 * tells its dialog of the new selection.  False when no entry says text. */
static bool Choose(HWND dialog, int id, const char *text)
{
    HWND combo = E2EFindChild(dialog, "ComboBox", id);
    int n = combo ? (int)SendMessageA(combo, CB_GETCOUNT, 0, 0) : 0;
    for (int i = 0; i < n; i++) {
        SendMessageA(combo, CB_SETCURSEL, (WPARAM)i, 0);
        if (E2EText(combo) == text) {
            SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
            return true;
        }
    }
    return false;
}

/* A check box clicked when it is not as wanted. */
static void Check(HWND dialog, int id, bool on)
{
    HWND box = E2EFindChild(dialog, "Button", id);
    if (box && (SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != on)
        SendMessageA(box, BM_CLICK, 0, 0);
}

/* A tab of a tab control clicked: its header is found by clicking along
 * the row of headers.  False when no click reached it. */
static bool ChooseTab(HWND dialog, int id, int index)
{
    HWND tab = E2EFindChild(dialog, "SysTabControl32", id);
    for (int x = 4; tab && x < 400; x += 8) {
        if ((int)SendMessageA(tab, TCM_GETCURSEL, 0, 0) == index)
            return true;
        LPARAM at = MAKELPARAM(x, 8);
        SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(tab, WM_LBUTTONUP, 0, at);
    }
    return tab && (int)SendMessageA(tab, TCM_GETCURSEL, 0, 0) == index;
}

static std::string StatusOf(HWND dialog)
{
    HWND status = E2EFindChild(dialog, "Static", ID_STATUS);
    return status ? E2EText(status) : std::string();
}

/* The status line once it shows a text other than any of busy (waited
 * for up to ms); what it shows then. */
static std::string WaitStatus(HWND dialog, const char *const *busy, int nbusy, int ms)
{
    std::string said;
    E2EUntil(ms, [&] {
        said = StatusOf(dialog);
        bool waiting = said.empty();
        for (int i = 0; i < nbusy; i++)
            waiting |= said == busy[i];
        return !waiting;
    });
    return said;
}

/* A dialog of the program opened by a menu command of the frame on the
 * location's line: its window, or null with the failure logged. */
static HWND OpenByMenu(Road *r, const char *step, int command, const char *title)
{
    if (const TreeLine *l = LineOf(r, "E2E.TEXT"))
        ClickLine(Tree(r), l->y);
    E2ECommand(r->frame, command);
    HWND dialog = E2EWaitWindow(r->program.pid, title, E2E_WINDOW_MS);
    if (!dialog)
        Fail(r, step, std::string("no window \"") + title + "\" came");
    return dialog;
}

/* ---- the put dialog ---------------------------------------------------------- */

HWND RoadPutFill(Road *r, const char *step, const RoadPut &put)
{
    HWND dialog = OpenByMenu(r, step, MENU_PUT, "MQPUT from 'E2EQM'");
    if (!dialog)
        return nullptr;
    TypeInto(dialog, ID_QUEUE, put.queue);
    if (!Choose(dialog, ID_PERSISTENCE, put.persistence))
        Fail(r, step, std::string("the put dialog offers no persistence \"") + put.persistence + "\"");
    TypeInto(dialog, ID_COUNT, put.count ? put.count : "1");
    Check(dialog, ID_SYNCPOINT, put.syncpoint);
    TypeInto(dialog, ID_MESSAGE, put.text);
    if (put.shot)
        E2EShot(dialog, put.shot);
    return dialog;
}

HWND RoadPutDialog(Road *r, const char *step, const RoadPut &put)
{
    HWND dialog = RoadPutFill(r, step, put);
    if (dialog)
        Press(dialog, IDOK);
    return dialog;
}

std::string RoadPutResult(HWND dialog, int ms)
{
    static const char *const busy[] = {"Putting...."};
    return WaitStatus(dialog, busy, 1, ms);
}

/* The messages of after that before did not hold. */
static std::vector<E2EMsg> NewMessages(const std::vector<E2EMsg> &before, const std::vector<E2EMsg> &after)
{
    std::map<std::string, E2EMsg> had;
    std::string why;
    E2EById(before, &had, &why);
    std::vector<E2EMsg> fresh;
    for (const E2EMsg &m : after)
        if (!had.count(m.msgId))
            fresh.push_back(m);
    return fresh;
}

/* 5: a new text message typed into the put dialog, persistent and under
 * syncpoint: one message more on E2E.TEXT, with the text as typed (line
 * ends as the queue manager's platform keeps them), format MQSTR,
 * persistent, a datagram; the others as they were. */
void PutNew(Road *r)
{
    const char *typed = "Put through the road's put dialog\nsecond line: 42 <ok/>";
    RoadPut put = {"E2E.TEXT", typed, "Persistent", "1", true, nullptr};
    std::vector<E2EMsg> before = r->queues[RQ_TEXT];
    HWND dialog = RoadPutDialog(r, "put", put);
    if (!dialog)
        return;
    std::string said = RoadPutResult(dialog, E2E_QMGR_MS);
    if (said.compare(0, 17, "1 message put in ") != 0)
        Fail(r, "put", "the put dialog says \"" + said + "\"");
    E2EShot(dialog, "road-05-put");
    if (!Closed(dialog))                             /* gone before the next put window is looked for */
        Fail(r, "put", "the put window did not close");

    MQLONG platform = 0;
    Inquire(nullptr, MQIA_PLATFORM, &platform, nullptr);
    std::string want;
    for (const char *p = typed; *p; p++)
        want += *p == '\n' ? (platform == MQPL_WINDOWS_NT ? "\r\n" : "\n") : std::string(1, *p);
    std::vector<E2EMsg> after;
    if (E2EQueue("E2EQM", "E2E.TEXT", &after)) {
        Fail(r, "put", "E2E.TEXT cannot be browsed");
        return;
    }
    std::vector<E2EMsg> fresh = NewMessages(before, after);
    if (fresh.size() != 1)
        Fail(r, "put", std::to_string(fresh.size()) + " new messages on E2E.TEXT, not 1");
    else {
        const MQMD &md = fresh[0].md;
        if (fresh[0].digest != E2EDigest(want.data(), want.size()) || fresh[0].length != (MQLONG)want.size())
            Fail(r, "put", "the message put holds other data than typed (" + std::to_string(fresh[0].length) +
                               " bytes)");
        if (memcmp(md.Format, MQFMT_STRING, 8) != 0)
            Fail(r, "put", "the message put has format \"" + std::string(md.Format, 8) + "\"");
        if (md.Persistence != MQPER_PERSISTENT || md.MsgType != MQMT_DATAGRAM)
            Fail(r, "put", "the message put has persistence " + std::to_string(md.Persistence) +
                               " and type " + std::to_string(md.MsgType));
    }
    std::string kept = E2ESameMessages(before, after);
    if (fresh.size() == 1 && kept != "new " + fresh[0].msgId + "\n")
        Fail(r, "put", "E2E.TEXT changed besides the new message:\n" + kept);
    const char *touched[] = {"E2E.TEXT"};
    CheckQueues(r, "put", touched, 1);
}

/* ---- unload and load ------------------------------------------------------------ */

/* The descriptor fields a load keeps whatever its context option: the
 * message's own (its MsgId and data are checked apart); then the
 * context fields, which only "Set all context" keeps. */
#define FIELD(f) {#f, offsetof(MQMD, f), sizeof(((MQMD *)nullptr)->f)}
static const struct { const char *name; size_t at, size; } Kept[] = {
    FIELD(Report), FIELD(MsgType), FIELD(Expiry), FIELD(Feedback), FIELD(Encoding),
    FIELD(CodedCharSetId), FIELD(Format), FIELD(Priority), FIELD(Persistence), FIELD(CorrelId),
    FIELD(ReplyToQ), FIELD(ReplyToQMgr),
    FIELD(UserIdentifier), FIELD(AccountingToken), FIELD(ApplIdentityData), FIELD(PutApplType),
    FIELD(PutApplName), FIELD(PutDate), FIELD(PutTime), FIELD(ApplOriginData),
};
#undef FIELD
enum { OWN_FIELDS = 12 };

/* The context a load with "Default context" gives: the loading
 * program's, put now.  Empty, or what is not. */
static std::string DefaultContextDiff(const MQMD &was, const MQMD &now)
{
    std::string why, name(now.PutApplName, 28);
    for (char &c : name)
        c = (char)tolower((unsigned char)c);
    if (name.find("ravolt") == std::string::npos)
        why += "PutApplName \"" + std::string(now.PutApplName, 28) + "\" ";
    std::string put(was.PutDate, 16), loaded(now.PutDate, 16);
    if (loaded < put)
        why += "PutDate and PutTime " + loaded + " before " + put + " ";
    if (std::string(now.UserIdentifier, 12).find_first_not_of(' ') == std::string::npos)
        why += "a blank UserIdentifier ";
    return why;
}

/* Each message of loaded as it was in source: data, MsgId, its own
 * descriptor fields, and its context as the option gives it. */
static void CheckLoaded(Road *r, const std::vector<E2EMsg> &source, const std::vector<E2EMsg> &loaded,
                        const char *context)
{
    std::string diff = E2ESameMessages(source, loaded);
    if (!diff.empty() || loaded.size() != source.size())
        Fail(r, "load", std::string("E2E.LOADED does not hold what was unloaded:\n") + diff);
    std::map<std::string, E2EMsg> was;
    E2EById(source, &was, &diff);
    bool setAll = strcmp(context, "Set all context") == 0;
    for (const E2EMsg &m : loaded) {
        auto it = was.find(m.msgId);
        if (it == was.end())
            continue;
        std::string why;
        for (size_t i = 0; i < (setAll ? sizeof Kept / sizeof Kept[0] : (size_t)OWN_FIELDS); i++)
            if (memcmp((const char *)&it->second.md + Kept[i].at, (const char *)&m.md + Kept[i].at, Kept[i].size))
                why += std::string(Kept[i].name) + " ";
        if (!setAll)
            why += DefaultContextDiff(it->second.md, m.md);
        if (!why.empty())
            Fail(r, "load", "message " + m.msgId + " loaded with " + context + " has other " + why);
    }
}

/* The run's texts in the dialog's status line until it is done: what
 * it says at the end. */
static std::string RunResult(HWND dialog)
{
    static const char *const busy[] = {"Processing all messages."};
    return WaitStatus(dialog, busy, 1, E2E_QMGR_MS);
}

/* A queue unloaded to a file, its messages got (Move), then the file
 * loaded into E2E.LOADED with a context option, in the one dialog: the
 * queue left empty, the file an unload of it, E2E.LOADED holding its
 * messages as the option says. */
static void UnloadThenLoad(Road *r, HWND dialog, int queue, const char *file, const char *context,
                           const char *unloadShot, const char *loadShot)
{
    const char *name = RoadQueues[queue];
    std::vector<E2EMsg> source = r->queues[queue], before = r->queues[RQ_LOADED];
    if (!ChooseTab(dialog, ID_INPUTTAB, 0) || !ChooseTab(dialog, ID_OUTPUTTAB, 1))
        Fail(r, "unload", "the Queue input and DRASK File output tabs cannot be chosen");
    TypeInto(dialog, ID_QUEUE, name);
    Check(dialog, ID_MOVE, true);
    TypeInto(dialog, ID_OUTFILE, file);
    Press(dialog, ID_APPLY);
    std::string said = RunResult(dialog);
    std::string want = "Completed: " + std::to_string(source.size()) + " Message" + (source.size() == 1 ? "" : "s") + " (";
    if (said.compare(0, want.size(), want) != 0)
        Fail(r, "unload", "the dialog says \"" + said + "\"");
    if (unloadShot)
        E2EShot(dialog, unloadShot);
    std::string text = FileText(file);
    if (text.compare(0, 7, "* DRASK") != 0 || text.find(std::string("* Queue = ") + name) == std::string::npos)
        Fail(r, "unload", std::string("the file ") + file + " is no unload of " + name);
    if (Depth(name) != 0)
        Fail(r, "unload", std::string(name) + " still holds " + std::to_string(Depth(name)) + " messages");

    if (!ChooseTab(dialog, ID_INPUTTAB, 1) || !ChooseTab(dialog, ID_OUTPUTTAB, 0))
        Fail(r, "load", "the DRASK File input and Queue output tabs cannot be chosen");
    TypeInto(dialog, ID_INFILE, file);
    TypeInto(dialog, ID_OUTQUEUE, "E2E.LOADED");
    if (!Choose(dialog, ID_CONTEXT, context))
        Fail(r, "load", std::string("the dialog offers no \"") + context + "\"");
    Press(dialog, ID_APPLY);
    said = RunResult(dialog);
    if (said.compare(0, want.size(), want) != 0)
        Fail(r, "load", "the dialog says \"" + said + "\"");
    if (loadShot)
        E2EShot(dialog, loadShot);

    std::vector<E2EMsg> loaded;
    if (E2EQueue("E2EQM", "E2E.LOADED", &loaded)) {
        Fail(r, "load", "E2E.LOADED cannot be browsed");
        return;
    }
    CheckLoaded(r, source, NewMessages(before, loaded), context);
    if (loaded.size() != before.size() + source.size())
        Fail(r, "load", "E2E.LOADED holds " + std::to_string(loaded.size()) + " messages");
    const char *touched[] = {name, "E2E.LOADED"};
    CheckQueues(r, "load", touched, 2);
}

/* 7: E2E.RFH2 unloaded to a file in the road's home and loaded into the
 * empty E2E.LOADED with "Set all context" (every descriptor field as it
 * was); then E2E.JSON the same way with "Default context" (the message's
 * own fields kept, the context the program's, put now). */
void UnloadLoad(Road *r)
{
    HWND dialog = OpenByMenu(r, "unload", MENU_LOADUNLOAD, "Queue Load/Unload from 'E2EQM'");
    if (!dialog)
        return;
    UnloadThenLoad(r, dialog, RQ_RFH2, (r->home + "\\rfh2.drask").c_str(), "Set all context", "road-07-unload",
                   "road-07-load");
    UnloadThenLoad(r, dialog, RQ_JSON, (r->home + "\\json.drask").c_str(), "Default context", nullptr, nullptr);
    if (!Closed(dialog))
        Fail(r, "load", "the Load/Unload window did not close");
}

