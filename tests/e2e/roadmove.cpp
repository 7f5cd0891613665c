/* The road's copy, move and delete: rows of a queue's message list in
 * the frame, or all its messages, copied and moved by dropping them on a
 * queue's tree line, deleted by the list's command, with their
 * confirmations; and the connection broken in the middle of a batched
 * Move All of the queue of a few thousand. */
#include "road.h"
#include "mqsim.h"

#include <cstdio>
#include <cstring>

#define CN_DROP 6027            /* what the message list tells its pane of a drop */
#define ALL_MESSAGES 604        /* the list's Options menu: All Messages */
#define IN_BATCHES 608          /* and Commit in Batches */
#define CONFIRM_QUESTION 238    /* the confirmation's question */

/* ---- the frame's message list ------------------------------------------------ */

static HWND ListBox(Road *r)
{
    return MessageList(r->frame);
}

/* The message list's pane and its dialog window (the pane's parent). */
static HWND ListPane(Road *r)
{
    HWND list = ListBox(r);
    return list ? GetParent(list) : nullptr;
}

static HWND ListDialog(Road *r)
{
    HWND pane = ListPane(r);
    return pane ? GetParent(pane) : nullptr;
}

static std::string ListStatus(Road *r)
{
    return DialogStatus(ListDialog(r));
}

/* Whether the list acts on all messages: its action reads "Move All". */
static bool AllMessages(Road *r)
{
    HWND d = ListDialog(r);
    HWND button = d ? E2EFindChild(d, "Button", RA_MOVE) : nullptr;
    return button && E2EText(button).find("All") != std::string::npos;
}

/* An item of the list's Options menu chosen (the list's context menu
 * offers its menu): what the item sends, taken once this returns. */
static void ListOption(Road *r, int id)
{
    E2EDo(ListDialog(r), id);
}

/* All Messages turned on or off as asked: whether the list's actions
 * then read as asked (the option renames them as it is taken). */
static bool SwitchAll(Road *r, bool on)
{
    if (AllMessages(r) != on)
        ListOption(r, ALL_MESSAGES);
    return E2EUntil(E2E_WINDOW_MS, [&] { return AllMessages(r) == on; });
}

/* Commit in Batches, whose state only the menu's check mark shows: the
 * road turns it on and off in pairs, beginning from off. */
static bool Batches;

void RoadBatches(Road *r, bool on)
{
    if (Batches != on)
        ListOption(r, IN_BATCHES);
    Batches = on;
}


/* The list's rows box and the client point of one of its rows (by the
 * rows' height). */
static HWND RowAt(Road *r, int index, POINT *pt)
{
    HWND rowsBox = E2EFindChild(ListBox(r), "ZKTLISTBOX", -1);
    if (!rowsBox)
        return nullptr;
    int height = (int)SendMessageA(rowsBox, LB_GETITEMHEIGHT, 0, 0);
    if (height <= 0)
        height = 16;
    int top = (int)SendMessageA(rowsBox, LB_GETTOPINDEX, 0, 0);
    *pt = {60, (index - top) * height + height / 2};
    return rowsBox;
}

/* The rows clicked as a user clicks them: the first alone, the others
 * with Ctrl held. */
static bool ClickRows(Road *r, const std::vector<int> &rows)
{
    for (size_t i = 0; i < rows.size(); i++) {
        POINT pt;
        HWND rowsBox = RowAt(r, rows[i], &pt);
        if (!rowsBox)
            return false;
        LPARAM at = MAKELPARAM(pt.x, pt.y);
        WPARAM keys = MK_LBUTTON | (i ? MK_CONTROL : 0);
        SendMessageA(rowsBox, WM_LBUTTONDOWN, keys, at);
        SendMessageA(rowsBox, WM_LBUTTONUP, keys & ~MK_LBUTTON, at);
    }
    return (int)SendMessageA(ListBox(r), LB_GETSELCOUNT, 0, 0) == (int)rows.size();
}

/* The screen point of a queue's tree line (the tree scanned again when
 * the line is not known). */
static bool TreePoint(Road *r, const char *queue, POINT *pt)
{
    const TreeLine *line = LineOf(r, queue);
    if (!line) {
        ScanTree(r);
        line = LineOf(r, queue);
    }
    HWND tree = Tree(r);
    if (!line || !tree)
        return false;
    *pt = {120, line->y};
    ClientToScreen(tree, pt);
    return true;
}

/* The screen point of a row of the list. */
static bool RowPoint(Road *r, int index, POINT *pt)
{
    HWND rowsBox = RowAt(r, index, pt);
    if (rowsBox)
        ClientToScreen(rowsBox, pt);
    return rowsBox != nullptr;
}

/* The selected rows dragged with the mouse as a user drags them:
 * pressed on one of them, Shift held, moved in steps to a point, all in
 * the one input queue in order.  (Here the pointer's moves come back
 * from the display without Shift, which lets it go: a drop at the end
 * moves.) */
static void DragRows(POINT from, POINT to)
{
    E2EMouse(from, MOUSEEVENTF_LEFTDOWN);
    E2EKeys({VK_SHIFT}, true);
    for (int i = 1; i <= 10; i++)
        E2EMouse({from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10}, 0);
}

/* The program's confirmation box, waited for up to ms. */
static HWND Confirmation(Road *r, int ms)
{
    HWND box = nullptr;
    E2EUntil(ms, [&] {
        for (HWND w : E2ETopWindows(r->program.pid)) {
            char cls[32];
            GetClassNameA(w, cls, sizeof cls);
            if (strcmp(cls, "#32770") == 0)
                box = w;
        }
        return box != nullptr;
    });
    return box;
}

/* Whether a status text answers a copy, move or delete: its count, or
 * its failure (a refresh's "Display refreshed" answers none). */
static bool ActAnswer(const std::string &said)
{
    for (const char *w : {" copied", " moved", " deleted", "RC(", "MQRC_"})
        if (said.find(w) != std::string::npos)
            return true;
    return false;
}

bool RoadActRows(Road *r, const char *step, RoadAct act, const char *queue, const std::vector<int> &rows,
                 const char *target, RoadSaid *said, int ms, const char *shot)
{
    *said = RoadSaid();
    std::string want = std::string("E2EQM/") + queue;
    MQLONG depth = Depth(queue);
    int shown = depth > 100 ? 100 : (int)depth;
    if (E2EText(r->frame).find(want + "]") == std::string::npos) {
        OpenFromTree(r, step, queue, shown);
    } else {                                       /* the list refreshed, as a user does first */
        E2EDo(ListDialog(r), 1);
        E2EUntil(E2E_QMGR_MS, [&] { return ListRows(r) == shown; });
    }
    E2EBringForward(r->frame);
    if (!SwitchAll(r, rows.empty())) {
        Fail(r, step, "the list of " + std::string(queue) + " cannot be switched " +
                          (rows.empty() ? "to" : "from") + " all messages");
        return false;
    }
    if (!rows.empty() && !ClickRows(r, rows)) {
        Fail(r, step, "the rows to act on could not be selected in the list of " + std::string(queue));
        return false;
    }
    POINT drop = {};
    if (act != RA_DELETE && !TreePoint(r, target, &drop)) {
        Fail(r, step, std::string(target) + " has no tree line to drop the rows on");
        return false;
    }
    /* what the list says from here on goes above the mark */
    MarkStatus(ListDialog(r));
    E2EWatchdogTake();
    E2EWatchdogAnswer(0x7FFF);                       /* the confirmation is answered here */
    if (act == RA_DELETE) {
        PostMessageA(ListDialog(r), WM_COMMAND, act, 0);
    } else {
        /* the drop as the list tells its pane of it, Shift held for a copy */
        if (act == RA_COPY && !HoldKeys(r, {VK_SHIFT}, true))
            Fail(r, step, "the program does not take Shift held for the copy");
        PostMessageA(ListPane(r), CN_DROP, 0, MAKELPARAM(drop.x, drop.y));
    }
    HWND box = Confirmation(r, E2E_WINDOW_MS);
    if (box) {
        std::string name = shot ? std::string(shot) + "-confirm" : std::string();
        if (shot)
            E2EShot(box, name.c_str());
        E2EBox b;
        b.caption = E2EText(box);
        if (HWND question = E2EFindChild(box, nullptr, CONFIRM_QUESTION))
            b.text = E2EText(question);
        said->boxes.push_back(b);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        if (!E2EUntil(E2E_WINDOW_MS, [&] { return !IsWindow(box); }))
            Fail(r, step, "the confirmation stays after Yes");
    }
    E2EWatchdogAnswer(IDOK);
    if (act == RA_COPY)                              /* let go once the box is gone */
        HoldKeys(r, {VK_SHIFT}, false);
    /* the command's answer: its count or its failure, above the mark */
    said->ended = !StatusAnswer(ListDialog(r), ActAnswer, ms).empty();
    said->history = StatusSinceMark(ListDialog(r));
    said->status = ListStatus(r);
    for (E2EBox &b : E2EWatchdogTake())
        said->boxes.push_back(b);
    if (shot)
        E2EShot(r->frame, shot);
    return said->ended;
}

bool RoadMoveRows(Road *r, const char *step, const char *queue, const std::vector<int> &rows, const char *target,
                  RoadSaid *said, int ms, const char *shot)
{
    return RoadActRows(r, step, RA_MOVE, queue, rows, target, said, ms, shot);
}

/* ---- the step ---------------------------------------------------------------- */

/* The messages of a queue now, through the MQI. */
static std::vector<E2EMsg> Now(const char *queue)
{
    std::vector<E2EMsg> q;
    E2EQueue("E2EQM", queue, &q);
    return q;
}

/* Whether two lists hold the same messages, in order: id, every byte,
 * CCSID and encoding (a copy or move never converts). */
static bool Same(const std::vector<E2EMsg> &a, const std::vector<E2EMsg> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (a[i].msgId != b[i].msgId || a[i].digest != b[i].digest ||
            a[i].md.CodedCharSetId != b[i].md.CodedCharSetId || a[i].md.Encoding != b[i].md.Encoding)
            return false;
    return true;
}

static void Expect(Road *r, const char *step, const char *queue, const std::vector<E2EMsg> &want)
{
    std::vector<E2EMsg> now = Now(queue);
    if (!Same(now, want))
        Fail(r, step, std::string(queue) + " holds " + std::to_string(now.size()) + " messages, not the " +
                          std::to_string(want.size()) + " asked:\n" + E2ESameMessages(want, now));
}

bool RoadSaidHas(const RoadSaid &said, const std::string &text)
{
    bool recent = false;
    for (const std::string &h : said.history)
        recent |= h.find(text) != std::string::npos;
    return recent || said.status.find(text) != std::string::npos;
}

/* The status line's recent texts, for a failure's message. */
static std::string Recent(const RoadSaid &said)
{
    std::string all;
    for (const std::string &h : said.history)
        all += " \"" + h + "\"";
    return all;
}

/* What the program said of a command: that it ended with want, after a
 * confirmation (whose question holds asked, when given). */
static void Said(Road *r, const char *step, bool ended, const RoadSaid &said, const std::string &want,
                 const char *asked = nullptr)
{
    if (!ended)
        Fail(r, step, "the program did not say the command ended: \"" + said.status + "\"");
    else if (!RoadSaidHas(said, want))
        Fail(r, step, "the program said \"" + said.status + "\", not \"" + want + "\" (recent:" + Recent(said) + ")");
    if (said.boxes.empty() || said.boxes[0].caption.find("Confirmation") == std::string::npos)
        Fail(r, step, "no confirmation was asked");
    else if (asked && said.boxes[0].text.find(asked) == std::string::npos)
        Fail(r, step, "the confirmation asked \"" + said.boxes[0].text + "\", not \"" + asked + "\"");
}

/* ---- the queue of a few thousand, without a browse of all of it ------------------ */

bool RoadHolds(Road *r, const char *step, const char *queue, const std::vector<E2EMsg> &want, size_t from,
               size_t depth)
{
    size_t before = (size_t)r->failures;
    MQLONG now = Depth(queue);
    if (now != (MQLONG)depth)
        Fail(r, step, std::string(queue) + " holds " + std::to_string(now) + " messages, not " +
                          std::to_string(depth));
    size_t n = depth < 5 ? depth : 5;
    if (from + depth > want.size()) {
        Fail(r, step, std::string(queue) + ": fewer messages known than it should hold");
        return false;
    }
    std::vector<E2EMsg> head, first(want.begin() + (long)from, want.begin() + (long)(from + n));
    MQLONG rc = E2EQueue("E2EQM", queue, &head, n);
    if (rc)
        Fail(r, step, std::string("browse of ") + queue + " failed, reason " + std::to_string(rc));
    else if (!Same(head, first))
        Fail(r, step, std::string(queue) + " does not begin with the messages it should:\n" +
                          E2ESameMessages(first, head));
    /* and its last message found by its MsgId */
    const E2EMsg &last = want[from + depth - 1];
    if (depth && (E2EQueue("E2EQM", queue, &head, 1, last.md.MsgId) || !Same(head, {last})))
        Fail(r, step, std::string(queue) + " does not hold message " + last.msgId + " as it should");
    return (size_t)r->failures == before;
}

/* A row dragged with the mouse over a queue's tree line, Shift held: the
 * drop tip shows beside the pointer; the drop's question names the queue
 * the row would go to, and is answered No, so nothing moves. */
static void DragTip(Road *r, const char *step, const char *queue, const char *target)
{
    OpenFromTree(r, step, queue, (int)Depth(queue));
    E2EBringForward(r->frame);
    HWND tip = nullptr;
    POINT from = {}, to = {};
    if (!RowPoint(r, 0, &from) || !TreePoint(r, target, &to))
        return Fail(r, step, std::string("no row of ") + queue + " or no line of " + target + " to drag between");
    E2EMouse(from, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);   /* the row clicked, then dragged */
    DragRows(from, to);
    /* the tip follows the pointer as the list takes its moves */
    RECT at = {};
    auto beside = [&] {
        return at.left >= to.x - 200 && at.left <= to.x + 60 && at.top >= to.y - 80 && at.top <= to.y + 60;
    };
    E2EUntil(E2E_WINDOW_MS, [&] {
        char cls[32];
        tip = nullptr;
        for (HWND w : E2ETopWindows(r->program.pid))
            if (GetClassNameA(w, cls, sizeof cls) && !strcmp(cls, "ZKTDROPTIP"))
                tip = w;
        return tip && GetWindowRect(tip, &at) && beside();
    });
    if (!tip || !beside())
        Fail(r, step, "no drop tip beside the pointer at " + std::to_string(to.x) + "," + std::to_string(to.y));
    E2EWatchdogAnswer(0x7FFF);                       /* the question is answered here */
    E2EMouse(to, MOUSEEVENTF_LEFTUP);
    E2EKeys({VK_SHIFT}, false);
    HWND box = Confirmation(r, E2E_WINDOW_MS), question = box ? E2EFindChild(box, nullptr, CONFIRM_QUESTION) : nullptr;
    std::string asked = question ? E2EText(question) : std::string();
    if (asked.find(std::string("'") + target + "'") == std::string::npos)
        Fail(r, step, "the drop's question \"" + asked + "\" does not name " + target);
    PostMessageA(box, WM_COMMAND, 2, 0);             /* No */
    E2EUntil(E2E_WINDOW_MS, [&] { return !box || !IsWindow(box); });
    E2EWatchdogAnswer(IDOK);
}

/* 6: two rows of the text queue copied to an empty target (dropped on
 * its tree line with Shift), the copies deleted one selected row at a
 * time; three rows of the queue of a few thousand moved to the second
 * target (dropped on its line) and moved back the same way.  Then all
 * rows, the list switched to all messages: the text queue copied whole
 * to the first target (Copy All), that moved whole to the second (Move
 * All) and deleted there (Delete All), each after its question.  Every
 * queue ends as filled (the three moved rows now last on their queue). */
void CopyMoveDelete(Road *r)
{
    const char *step = "copy, move, delete";
    RoadSaid said;
    DragTip(r, step, "E2E.TEXT", "E2E.TARGET1");
    std::vector<E2EMsg> text = Now("E2E.TEXT");
    bool ok = RoadActRows(r, step, RA_COPY, "E2E.TEXT", {0, 2}, "E2E.TARGET1", &said, 30000, "road-06-copy");
    Said(r, step, ok, said, "2 messages copied");
    Expect(r, step, "E2E.TARGET1", {text[0], text[2]});
    Expect(r, step, "E2E.TEXT", text);

    /* a Queue List that keeps E2E.TARGET1 only at a depth of one: no row
       while it holds two, its row once the delete has refreshed it; the
       frame's list of the queue drops the row deleted, both unasked */
    HWND list = nullptr;
    HWND queues = RoadQueueList(r, step, "queue == 'E2E.TARGET1' & curdepth == 1", 0, &list);
    ok = RoadActRows(r, step, RA_DELETE, "E2E.TARGET1", {0}, nullptr, &said, 30000, "road-06-delete");
    Said(r, step, ok, said, "1 message deleted");
    Expect(r, step, "E2E.TARGET1", {text[2]});
    if (!E2EUntil(E2E_QMGR_MS, [&] { return ListRows(r) == 1; }))
        Fail(r, step, "the list of E2E.TARGET1 shows " + std::to_string(ListRows(r)) + " rows after the delete");
    if (queues && !RoadRowsCome(list, 1, E2E_QMGR_MS))
        Fail(r, step, "the Queue List does not show the depth of E2E.TARGET1 fall to 1");
    if (queues) {
        E2EShot(queues, "road-06-delete-queue-list");
        if (!Closed(queues))
            Fail(r, step, "the Queue List did not close");
    }
    ok = RoadActRows(r, step, RA_DELETE, "E2E.TARGET1", {0}, nullptr, &said, 30000, "road-06-delete-last");
    Said(r, step, ok, said, "1 message deleted");
    Expect(r, step, "E2E.TARGET1", {});
    const char *copied[] = {"E2E.TEXT", "E2E.TARGET1"};
    CheckQueues(r, step, copied, 2);

    std::vector<E2EMsg> many = r->queues[RQ_MANY];
    ok = RoadMoveRows(r, step, "E2E.MANY", {0, 1, 2}, "E2E.TARGET2", &said, 30000, "road-06-move");
    Said(r, step, ok, said, "3 messages moved");
    Expect(r, step, "E2E.TARGET2", {many[0], many[1], many[2]});
    if (Depth("E2E.MANY") != (MQLONG)many.size() - 3)
        Fail(r, step, "E2E.MANY holds " + std::to_string(Depth("E2E.MANY")) + " messages after the move");
    const char *moved[] = {"E2E.MANY", "E2E.TARGET2"};
    CheckQueues(r, step, moved, 2);

    /* one row back first: its question names where it goes */
    ok = RoadMoveRows(r, step, "E2E.TARGET2", {0}, "E2E.MANY", &said, 30000, "road-06-move-one");
    Said(r, step, ok, said, "1 message moved", "move message 'E2E.MANY'");
    Expect(r, step, "E2E.TARGET2", {many[1], many[2]});
    ok = RoadMoveRows(r, step, "E2E.TARGET2", {0, 1}, "E2E.MANY", &said, 30000, "road-06-move-back");
    Said(r, step, ok, said, "2 messages moved");
    Expect(r, step, "E2E.TARGET2", {});
    CheckQueues(r, step, moved, 2);
    if (r->queues[RQ_MANY].size() != many.size())
        Fail(r, step, "E2E.MANY holds " + std::to_string(r->queues[RQ_MANY].size()) + " messages at the end");

    /* all rows */
    text = Now("E2E.TEXT");
    std::string n = std::to_string(text.size());
    ok = RoadActRows(r, step, RA_COPY, "E2E.TEXT", {}, "E2E.TARGET1", &said, 30000, "road-06-copy-all");
    Said(r, step, ok, said, n + " messages copied", "copy all messages from queue 'E2E.TEXT'");
    Expect(r, step, "E2E.TARGET1", text);
    Expect(r, step, "E2E.TEXT", text);
    ok = RoadActRows(r, step, RA_MOVE, "E2E.TARGET1", {}, "E2E.TARGET2", &said, 30000, "road-06-move-all");
    Said(r, step, ok, said, n + " messages moved", "move all messages from queue 'E2E.TARGET1'");
    Expect(r, step, "E2E.TARGET1", {});
    Expect(r, step, "E2E.TARGET2", text);
    ok = RoadActRows(r, step, RA_DELETE, "E2E.TARGET2", {}, nullptr, &said, 30000, "road-06-delete-all");
    Said(r, step, ok, said, n + " messages deleted", "delete all messages from queue 'E2E.TARGET2'");
    Expect(r, step, "E2E.TARGET2", {});
    if (!SwitchAll(r, false))
        Fail(r, step, "the list cannot be switched back to the selected rows");
    const char *all[] = {"E2E.TEXT", "E2E.TARGET1", "E2E.TARGET2"};
    CheckQueues(r, step, all, 3);
}

/* ---- the fault run ------------------------------------------------------------- */

/* The connection broken in the middle of a move: all of the queue of a
 * few thousand moved to an empty target in batches (Move All with Commit
 * in Batches) while the program's 1200th MQPUT from now breaks its
 * connection (2009).  The batches committed before the break have moved,
 * in order; the rest, the batch cut off among them, is still on the
 * source; the user is told so, with the reason's name.  Once the location is
 * connected again (on the next request) moving the rest completes.  The
 * queues of a few thousand are checked by their depths, their first
 * messages and their last one; the part moved first is browsed whole. */
void BrokenMove(Road *r)
{
    const char *step = "broken move";
    std::vector<E2EMsg> many = r->queues[RQ_MANY];     /* as the last check browsed it */
    size_t total = many.size();
    MQLONG rc = MQSimFaultInOwner((PMQCHAR) "MQPUT", (PMQCHAR) "E2EQM", 1200, 1, MQRC_CONNECTION_BROKEN, 0);
    if (rc) {
        Fail(r, step, "the fault cannot be armed in the program: reason " + std::to_string(rc));
        return;
    }
    RoadSaid said;
    OpenFromTree(r, step, "E2E.MANY", 100);
    RoadBatches(r, true);
    ULONGLONG began = GetTickCount64();
    bool ended = RoadMoveRows(r, step, "E2E.MANY", {}, "E2E.TARGET1", &said, 300000, "fault-01-broken-move");
    fprintf(stderr, "e2e: %s: the move cut off took %.1f s\n", step, (GetTickCount64() - began) / 1000.0);
    MQSimFaultInOwner((PMQCHAR) "MQPUT", (PMQCHAR) "E2EQM", 1, 0, 0, 0);
    if (!ended)
        Fail(r, step, "the program did not say the move ended: \"" + said.status + "\"");
    std::string told = said.status;
    for (const E2EBox &b : said.boxes)
        told += "\n" + b.caption + ": " + b.text;
    if (!RoadSaidHas(said, "MQRC_CONNECTION_BROKEN"))
        Fail(r, step, "the user was not told of the broken connection by its name: " + told);
    fprintf(stderr, "e2e: %s: the program said: %s\n", step, told.c_str());

    /* whole batches moved, in order; the rest on the source */
    MQLONG moved = Depth("E2E.TARGET1");
    if (moved <= 0 || moved >= 1200)
        Fail(r, step, "E2E.TARGET1 holds " + std::to_string(moved) + " messages: no batch committed before " +
                          "the break, or the batch cut off was kept");
    size_t n = moved > 0 && (size_t)moved < total ? (size_t)moved : 0;
    std::string before = "; " + std::to_string(n) + " messages moved before the failure";
    if (n && !RoadSaidHas(said, before))
        Fail(r, step, "the user was not told that " + std::to_string(n) + " messages had moved: " + said.status);
    r->queues[RQ_TARGET1].assign(many.begin(), many.begin() + (long)n);
    r->queues[RQ_MANY].assign(many.begin() + (long)n, many.end());
    RoadHolds(r, step, "E2E.MANY", many, n, total - n);
    const char *target[] = {"E2E.TARGET1"};
    CheckQueues(r, step, target, 1);
    if (!Same(r->queues[RQ_TARGET1], std::vector<E2EMsg>(many.begin(), many.begin() + (long)n)))
        Fail(r, step, "E2E.TARGET1 does not hold the first " + std::to_string(n) + " messages in order");

    /* connected again on the next request: the rest moved */
    began = GetTickCount64();
    ended = RoadMoveRows(r, step, "E2E.MANY", {}, "E2E.TARGET1", &said, 300000, "fault-01-move-rest");
    fprintf(stderr, "e2e: %s: moving the rest took %.1f s\n", step, (GetTickCount64() - began) / 1000.0);
    Said(r, step, ended, said, std::to_string(total - n) + " messages moved",
         "move all messages from queue 'E2E.MANY'");
    RoadBatches(r, false);
    r->queues[RQ_MANY].clear();
    r->queues[RQ_TARGET1] = many;
    RoadHolds(r, step, "E2E.TARGET1", many, 0, total);
    const char *source[] = {"E2E.MANY"};
    CheckQueues(r, step, source, 1);
}
