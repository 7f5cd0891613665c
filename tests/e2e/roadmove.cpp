/* The road's copy, move and delete: rows of a queue's message list in
 * the frame copied and moved by dropping them on a queue's tree line,
 * deleted by the list's command, with their confirmations; and the
 * connection broken in the middle of a batched move. */
#include "road.h"
#include "mqsim.h"

#include <cstdio>
#include <cstring>

#define CN_DROP 6027            /* what the message list tells its pane of a drop */

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


/* The rows clicked as a user clicks them: the first alone, the others
 * with Ctrl held. */
static bool ClickRows(Road *r, const std::vector<int> &rows)
{
    HWND rowsBox = E2EFindChild(ListBox(r), "ZKTLISTBOX", -1);
    if (!rowsBox)
        return false;
    int height = (int)SendMessageA(rowsBox, LB_GETITEMHEIGHT, 0, 0);
    if (height <= 0)
        height = 16;
    int top = (int)SendMessageA(rowsBox, LB_GETTOPINDEX, 0, 0);
    for (size_t i = 0; i < rows.size(); i++) {
        LPARAM at = MAKELPARAM(60, (rows[i] - top) * height + height / 2);
        WPARAM keys = MK_LBUTTON | (i ? MK_CONTROL : 0);
        SendMessageA(rowsBox, WM_LBUTTONDOWN, keys, at);
        SendMessageA(rowsBox, WM_LBUTTONUP, keys & ~MK_LBUTTON, at);
    }
    Sleep(200);
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

static void Shift(bool down)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = VK_SHIFT;
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof in);
    Sleep(150);
}

/* The program's confirmation box, waited for up to ms. */
static HWND Confirmation(Road *r, int ms)
{
    for (int waited = 0; waited <= ms; waited += 100) {
        for (HWND w : E2ETopWindows(r->program.pid)) {
            char cls[32];
            GetClassNameA(w, cls, sizeof cls);
            if (strcmp(cls, "#32770") == 0)
                return w;
        }
        Sleep(100);
    }
    return nullptr;
}

/* Whether a status line tells the end of a copy, move or delete. */
static bool Ended(const std::string &status)
{
    if (status.empty())
        return false;
    return status.find("Request sent") == std::string::npos && status.find("waiting") == std::string::npos;
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
        SendMessageA(ListDialog(r), WM_COMMAND, 1, 0);
        for (int waited = 0; waited < 8000 && ListRows(r) != shown; waited += 200)
            Sleep(200);
    }
    E2EBringForward(r->frame);
    /* the message list offers no way to its all-messages view: its View
       All command is its Next Page */
    if (rows.empty() && !AllMessages(r)) {
        Fail(r, step, "the list of " + std::string(queue) + " cannot be switched to all messages");
        return false;
    }
    if (AllMessages(r) != rows.empty() || (!rows.empty() && !ClickRows(r, rows))) {
        Fail(r, step, "the rows to act on could not be selected in the list of " + std::string(queue));
        return false;
    }
    POINT drop = {};
    if (act != RA_DELETE && !TreePoint(r, target, &drop)) {
        Fail(r, step, std::string(target) + " has no tree line to drop the rows on");
        return false;
    }
    std::string before = ListStatus(r);
    E2EWatchdogTake();
    E2EWatchdogAnswer(0x7FFF);                       /* the confirmation is answered here */
    if (act == RA_DELETE) {
        PostMessageA(ListDialog(r), WM_COMMAND, act, 0);
    } else {
        if (act == RA_COPY)
            Shift(true);
        PostMessageA(ListPane(r), CN_DROP, 0, MAKELPARAM(drop.x, drop.y));
    }
    HWND box = Confirmation(r, 10000);
    if (act == RA_COPY)
        Shift(false);
    if (box) {
        std::string name = shot ? std::string(shot) + "-confirm" : std::string();
        if (shot)
            E2EShot(box, name.c_str());
        E2EBox b;
        b.caption = E2EText(box);
        said->boxes.push_back(b);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    E2EWatchdogAnswer(IDOK);
    bool changed = false;
    for (int waited = 0; waited <= ms && !said->ended; waited += 200) {
        Sleep(200);
        std::string now = ListStatus(r);
        changed |= now != before;
        said->ended = changed && Ended(now) && now == said->status;     /* the same twice: all written */
        said->status = now;
    }
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

/* Whether two lists hold the same messages (id and data), in order. */
static bool Same(const std::vector<E2EMsg> &a, const std::vector<E2EMsg> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (a[i].msgId != b[i].msgId || a[i].digest != b[i].digest)
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

static void Said(Road *r, const char *step, bool ended, const RoadSaid &said, const char *want)
{
    if (!ended)
        Fail(r, step, "the program did not say the command ended: \"" + said.status + "\"");
    else if (said.status.find(want) == std::string::npos)
        Fail(r, step, "the program said \"" + said.status + "\", not \"" + want + "\"");
    if (said.boxes.empty() || said.boxes[0].caption.find("Confirmation") == std::string::npos)
        Fail(r, step, "no confirmation was asked");
}

/* 6: two rows of the text queue copied to an empty target (dropped on
 * its tree line with Shift), the copies deleted one selected row at a
 * time; three rows of the queue of a few thousand moved to the second
 * target (dropped on its line) and moved back the same way.  Every queue
 * ends as filled (the three moved rows now last on their queue). */
void CopyMoveDelete(Road *r)
{
    const char *step = "copy, move, delete";
    RoadSaid said;
    std::vector<E2EMsg> text = Now("E2E.TEXT");
    bool ok = RoadActRows(r, step, RA_COPY, "E2E.TEXT", {0, 2}, "E2E.TARGET1", &said, 30000, "road-06-copy");
    Said(r, step, ok, said, "2 messages copied");
    Expect(r, step, "E2E.TARGET1", {text[0], text[2]});
    Expect(r, step, "E2E.TEXT", text);

    ok = RoadActRows(r, step, RA_DELETE, "E2E.TARGET1", {0}, nullptr, &said, 30000, "road-06-delete");
    Said(r, step, ok, said, "1 message deleted");
    Expect(r, step, "E2E.TARGET1", {text[2]});
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

    ok = RoadMoveRows(r, step, "E2E.TARGET2", {0, 1, 2}, "E2E.MANY", &said, 30000, "road-06-move-back");
    Said(r, step, ok, said, "3 messages moved");
    Expect(r, step, "E2E.TARGET2", {});
    CheckQueues(r, step, moved, 2);
    if (r->queues[RQ_MANY].size() != many.size())
        Fail(r, step, "E2E.MANY holds " + std::to_string(r->queues[RQ_MANY].size()) + " messages at the end");
}

/* ---- the fault run ------------------------------------------------------------- */

/* The connection broken in the middle of a move: ten rows of the queue
 * of a few thousand moved to an empty target while the program's third
 * MQPUT from now breaks its connection (2009).  The move is one unit of
 * work: nothing has moved, nothing is doubled, the user is told with the
 * reason's name; the same move once the location is connected again
 * completes. */
void BrokenMove(Road *r)
{
    const char *step = "broken move";
    std::vector<E2EMsg> many = r->queues[RQ_MANY];     /* as the last check browsed it */
    std::vector<int> rows;
    std::vector<E2EMsg> moved;
    for (int i = 0; i < 10 && i < (int)many.size(); i++) {
        rows.push_back(i);
        moved.push_back(many[i]);
    }
    MQLONG rc = MQSimFaultInOwner((PMQCHAR) "MQPUT", (PMQCHAR) "E2EQM", 3, 1, MQRC_CONNECTION_BROKEN, 0);
    if (rc) {
        Fail(r, step, "the fault cannot be armed in the program: reason " + std::to_string(rc));
        return;
    }
    RoadSaid said;
    bool ended = RoadMoveRows(r, step, "E2E.MANY", rows, "E2E.TARGET1", &said, 60000, "fault-01-broken-move");
    if (!ended)
        Fail(r, step, "the program did not say the move ended: \"" + said.status + "\"");
    std::string told = said.status;
    for (const E2EBox &b : said.boxes)
        told += "\n" + b.caption + ": " + b.text;
    if (told.find("MQRC_CONNECTION_BROKEN") == std::string::npos && told.find("2009") == std::string::npos)
        Fail(r, step, "the user was not told of the broken connection: " + told);
    fprintf(stderr, "e2e: %s: the program said: %s\n", step, told.c_str());
    MQSimFaultInOwner((PMQCHAR) "MQPUT", (PMQCHAR) "E2EQM", 1, 0, 0, 0);
    /* backed out as one unit: the source as it was, the target empty */
    Expect(r, step, "E2E.TARGET1", {});
    if (Depth("E2E.MANY") != (MQLONG)many.size())
        Fail(r, step, "E2E.MANY holds " + std::to_string(Depth("E2E.MANY")) + " messages after the break");
    const char *touched[] = {"E2E.MANY", "E2E.TARGET1"};
    CheckQueues(r, step, touched, 2);

    /* connected again on the next request: the same rows moved */
    ended = RoadMoveRows(r, step, "E2E.MANY", rows, "E2E.TARGET1", &said, 60000, "fault-01-move-again");
    Said(r, step, ended, said, "10 messages moved");
    Expect(r, step, "E2E.TARGET1", moved);
    CheckQueues(r, step, touched, 2);
}
