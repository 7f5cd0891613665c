/* Every action of every shipped definition performed through its real
 * dialog on objects the stand-in holds, over the program's own wiring:
 * each is accepted (the reply's status line) and takes effect, read back
 * through the MQI or in the dialog it opens.  An action of a definition
 * that the table does not name fails, so a new action needs its line. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>

#include "walk.h"
#include "cmddlg.h"
#include "cstext.h"
#include "consolewnd.h"
#include "locstore.h"
#include "mq/mqown.h"
#include "mqi.h"
#include "pcflistwin.h"
#include "pcflists.h"
#include "pcfwin.h"
#include "qms.h"
#include "shellint.h"
#include "edpane.h"
#include "dd.h"
#include "tkharness.h"
#include "filters.h"
#include "fltlist.h"
#include "prfdata.h"

static const char *const Demo = "RAVOLT.DEMO", *const Zos = "WALKZ";

/* The window each definition opens by (the shell's window table and the
 * object menu's lists). */
static int32_t OpenId(const char *title)
{
    static const struct { const char *title; int32_t id; } ids[] = {
        { "Queue Manager", 542 }, { "Queue", 533 }, { "Queue List", 534 }, { "Message Detail", 565 },
        { "Message List", 566 }, { "Message", 567 }, { "Command Level", 543 }, { "MQSC Commands", 556 },
        { "Broker Subscribers", 591 }, { "Broker Publishers", 592 },
    };
    for (const auto &i : ids)
        if (!strcmp(i.title, title))
            return i.id;
    return 0;
}

static void Command(DialogWords *d, int32_t id)
{
    SendMessageA(PCFWnd(d->window), WM_COMMAND, (WPARAM)id, 0);
    PumpAll();
}


static void Refresh(DialogWords *d)
{
    Command(d, 1);
    WalkAnswered(d);
}

/* The object typed into the dialog's name field, and shown. */
static void Shown(DialogWords *d, uint32_t attr, const char *name)
{
    PCFSetFieldText(d, attr, name);
    Refresh(d);
}

/* The index of a list's row of the object among the list state's rows, or -1. */
static int StateRowOf(DialogWords *d, const char *name)
{
    PCFLISTSTATE *st = PCFListState(d);
    for (uint32_t i = 0; st && i < st->count; i++) {
        int length = 0;
        const char *t = PCFParmText(d, st->rows[i].row, nullptr, MQCA_Q_NAME, &length);
        if (t && (int)strlen(name) <= length && !strncmp(t, name, strlen(name)) &&
            ((int)strlen(name) == length || t[strlen(name)] == ' '))
            return (int)i;
    }
    return -1;
}

/* A list's row of the object selected (the first row without one). */
static void Row(DialogWords *d, const char *name)
{
    PumpUntil([d] { return d->rowCounts[0] > 0; }, 5000);
    int at = name ? StateRowOf(d, name) : 0;
    PCFSelectRows(d, PCFSEL_NONE);
    SendMessageA(PCFWnd(d->splitList), LB_SETSEL, TRUE, (LPARAM)(at < 0 ? 0 : at));
    PCFSetMenu(d);
}

/* A value read back as the row expects, or what was read instead. */
static bool Is(const std::string &what, const std::string &got, const std::string &want)
{
    if (got != want)
        printf("%s: read '%s', expected '%s'\n", what.c_str(), got.c_str(), want.c_str());
    return got == want;
}

static bool Depth(const char *qmgr, const char *queue, int depth)
{
    return Is(std::string("depth of ") + queue, std::to_string(QueueDepth(qmgr, queue)), std::to_string(depth));
}

/* The list read again after a command: its rows, and whether it shows
 * the object (its row gone after a delete). */
static bool Rows(DialogWords *d, uint32_t count)
{
    PumpUntil([d, count] {
        PCFLISTSTATE *st = d ? PCFListState(d) : nullptr;
        return st && d->rowCounts[0] == count && st->count == count;
    }, 5000);
    PCFLISTSTATE *st = d ? PCFListState(d) : nullptr;
    return Is("list rows", std::to_string(st ? st->count : 0), std::to_string(count));
}

static bool Lists(DialogWords *d, const char *name, bool shown)
{
    PumpUntil([d, name, shown] { return d && (StateRowOf(d, name) >= 0) == shown; }, 5000);
    return Is(std::string("row of ") + name, d && StateRowOf(d, name) >= 0 ? "listed" : "not listed",
              shown ? "listed" : "not listed");
}

/* The newest dialog of a kind that shows the object. */
static bool Opened(const char *title, const char *name)
{
    return PumpUntil([title, name] {
        DialogWords *d = NewestDialog(title);
        char text[64] = "";
        const char *v = d ? PCFGetValueText(d, MQCA_Q_NAME, text, sizeof text) : nullptr;
        return v && !strcmp(v, name);
    }, 5000);
}

/* A window of this thread whose title holds the piece. */
static bool WindowTitled(const char *piece)
{
    return PumpUntil([piece] {
        for (const auto &[k, v] : Observe(nullptr))
            if (!k.rfind("window ", 0) && v.find(piece) != std::string::npos)
                return true;
        return false;
    }, 5000);
}

/* The position the message dialog shows. */
static std::string Position(DialogWords *d)
{
    char t[24] = "";
    const char *v = d ? PCFGetValueText(d, MYPCFA_POSITION, t, sizeof t) : nullptr;
    return v ? v : "";
}

/* A message on the queue the close rows browse. */
static void Held(void)
{
    AppPut(Demo, "ACT.HELD", { "held" });
}

/* The queue cleared: no handle of the program holds it any more. */
static bool Clears(const char *queue)
{
    std::string clear = std::string("CLEAR QLOCAL(") + queue + ")\n";
    bool cleared = PumpUntil([&clear] { return AppMqsc(Demo, clear) == 0; }, 5000);
    return Is(std::string("clear of ") + queue, cleared ? "done" : "refused (held open)", "done") && Depth(Demo, queue, 0);
}

/* A message dialog's queue and position typed. */
static void At(DialogWords *d, const char *queue, const char *position)
{
    PCFSetFieldText(d, MQCA_Q_NAME, queue);
    PCFSetFieldText(d, MYPCFA_POSITION, position);
}

/* The text of a value the dialog shows. */
static std::string Text(DialogWords *d, uint32_t attr)
{
    char t[64] = "";
    const char *v = d ? PCFGetValueText(d, attr, t, sizeof t) : nullptr;
    return v ? v : "";
}

/* The Message window of the message a Message Detail shows, read: its
 * position, and the whole length the detail reports in its editor. */
static bool OpenedInFull(DialogWords *detail)
{
    if (!Opened("Message", "ACT.MSGS"))
        return false;
    DialogWords *m = NewestDialog("Message");
    uint32_t length = (uint32_t)atoi(Text(detail, MYPCFA_MSGLEN).c_str());
    return Position(m) == Position(detail) &&
           PumpUntil([m, length] { return m->editor && m->editor->data.length == length && length > 0; }, 5000);
}

/* The fields of a definition that its Define or Alter sends, each with a
 * value other than its default (numbers below a thousand: the dialog
 * shows them without a separator): set once in the action's dialog and
 * read back in a fresh dialog of the object, so that a field the
 * definition lost fails.  A queue manager's fields that change how it
 * serves the walk stay out. */
struct Field {
    const char *definition;
    uint32_t attr;
    const char *text;
};

static const Field Fields[] = {
    { "Queue Manager", MQCA_Q_MGR_DESC, "altered by the walk" },
    { "Queue Manager", MQIA_TRIGGER_INTERVAL, "999" },
    { "Queue Manager", MQIA_MAX_UNCOMMITTED_MSGS, "998" },
    { "Queue Manager", MQCA_DEAD_LETTER_Q_NAME, "ACT.DLQ" },
    { "Queue", MQCA_Q_DESC, "every field" },
    { "Queue", MQIA_INHIBIT_PUT, "Put inhibited" },
    { "Queue", MQIA_INHIBIT_GET, "Get inhibited" },
    { "Queue", MQIA_DEF_PRIORITY, "6" },
    { "Queue", MQIA_DEF_PERSISTENCE, "Persistent" },
    { "Queue", MQIA_SHAREABILITY, "Not shareable" },
    { "Queue", MQIA_MAX_Q_DEPTH, "432" },
    { "Queue", MQIA_MAX_MSG_LENGTH, "655" },
    { "Queue", MQIA_BACKOUT_THRESHOLD, "3" },
    { "Queue", MQCA_BACKOUT_REQ_Q_NAME, "ACT.BACKOUT" },
    { "Queue", MQIA_RETENTION_INTERVAL, "77" },
    { "Queue", MQIA_TRIGGER_DEPTH, "4" },
    { "Queue", MQIA_TRIGGER_MSG_PRIORITY, "5" },
    { "Queue", MQCA_TRIGGER_DATA, "trigger data" },
    { "Queue", MQCA_PROCESS_NAME, "ACT.PROCESS" },
    { "Queue", MQCA_INITIATION_Q_NAME, "ACT.INITQ" },
    { "Queue", MQIA_Q_DEPTH_HIGH_LIMIT, "81" },
    { "Queue", MQIA_Q_DEPTH_LOW_LIMIT, "21" },
    { "Queue", MQIA_Q_SERVICE_INTERVAL, "999" },
    { "Queue", MQIA_CLWL_Q_RANK, "7" },
    { "Queue", MQIA_CLWL_Q_PRIORITY, "8" },
};

static void SetEvery(DialogWords *d)
{
    for (const Field &f : Fields)
        if (!strcmp(f.definition, d->definition->title))
            PCFSetFieldText(d, f.attr, f.text);
}

/* The fields read back in a new dialog of the object (a queue by name). */
static bool ReadBack(const char *title, const char *name)
{
    DialogWords *d = DoAction(AppMain()->window, AppDemo(), nullptr, OpenId(title));
    if (!d)
        return false;
    if (name)
        Shown(d, MQCA_Q_NAME, name);
    else
        Refresh(d);
    bool same = true;
    for (const Field &f : Fields)
        if (!strcmp(f.definition, title) && Text(d, f.attr) != f.text) {
            printf("%s %u read back '%s', set '%s'\n", title, f.attr, Text(d, f.attr).c_str(), f.text);
            same = false;
        }
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();
    return same;
}

/* The message dialog's editor: its data's length and its descriptor's
 * format. */
static bool Edited(DialogWords *d, uint32_t length, const char *format)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    std::string got = ed && ed->descriptor.length >= 40 ? std::string((const char *)ed->descriptor.data + 32, 8) : "";
    return Is("message length", std::to_string(ed ? ed->data.length : 0), std::to_string(length)) &&
           Is("message format", got, format);
}

/* A Message List of the queue in a window of its own (whatever the
 * preference to reuse an open one says), shown. */
static DialogWords *ListOf(const char *queue)
{
    const uint32_t opt1 = Prf.opt1;
    Prf.opt1 &= ~0x40000u;
    DialogWords *l = DoAction(AppMain()->window, AppDemo(), nullptr, OpenId("Message List"));
    Prf.opt1 = opt1;
    Shown(l, MQCA_Q_NAME, queue);
    return l;
}

/* A message list held open on the queue while the row runs, closed by
 * Gone after reading that the queue is let go. */
static HWND holder;

static void Hold(const char *queue)
{
    Held();
    DialogWords *l = ListOf(queue);
    holder = l ? PCFWnd(l->window) : nullptr;
}

/* A Message List of a move's target open beside the walked list: the
 * move's reply has it read again. */
static DialogWords *beside;

static bool BesideShows(uint32_t count)
{
    bool shows = Rows(beside, count);
    if (beside && IsWindow(PCFWnd(beside->window)))
        SendMessageA(PCFWnd(beside->window), WM_CLOSE, 0, 0);
    beside = nullptr;
    PumpAll();
    return shows;
}

static bool Gone(const char *queue)
{
    bool clear = Clears(queue);
    if (holder && IsWindow(holder))
        SendMessageA(holder, WM_CLOSE, 0, 0);
    holder = nullptr;
    PumpAll();
    return clear;
}

/* The console's input box given a command, typed key by key as the user
 * types it. */
static BOOL CALLBACK ConsoleOf(HWND child, LPARAM found)
{
    char cls[40] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (!strcmp(cls, "RavoltMQSCConsole"))
        *(HWND *)found = child;
    return TRUE;
}

static void Typed(DialogWords *d, const char *command)
{
    HWND console = nullptr;
    EnumChildWindows(PCFWnd(d->window), ConsoleOf, (LPARAM)&console);
    HWND input = console ? MQSCConsoleInput(console) : nullptr;
    HWND edit = input ? FindWindowExA(input, nullptr, "Edit", nullptr) : nullptr;
    for (const char *c = command; edit && *c; c++)
        SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)*c, 0);
    PumpAll();
}

/* A line of the console's replies. */
static bool Replied(DialogWords *d, const char *line)
{
    return d && PumpUntil([d, line] {
        MQSCCONSOLE *c = MQSCConsoleFind(d);
        char text[2000];
        uint32_t type = 0;
        for (int32_t i = 0; c && MQSCLineText(c, i, text, sizeof text, &type); i++)
            if (!strcmp(text, line))
                return true;
        return false;
    }, 5000);
}

struct Action {
    const char *definition;
    int32_t id;
    const char *where;                              /* the queue manager */
    std::function<void(DialogWords *)> fill;        /* fields typed, a row chosen */
    const char *status;                             /* a piece of the reply's status, or "" */
    std::function<bool(DialogWords *)> took;        /* the effect, read back */
    const char *why;                                /* an action the stand-in cannot answer: why */
};

#define Q(text) [](DialogWords *d) { text; }
#define CHECK(expr) [](DialogWords *d) -> bool { (void)d; return expr; }

static const Action Actions[] = {
    /* the queue manager */
    { "Queue Manager", 1, Demo, nullptr, "Display refreshed", CHECK(Text(d, MQCA_Q_MGR_NAME) == Demo), nullptr },
    { "Queue Manager", 575, Demo, Q(Refresh(d); SetEvery(d)), "Queue manager 'RAVOLT.DEMO' altered",
      CHECK(QmgrDesc(Demo) == "altered by the walk" && ReadBack("Queue Manager", nullptr)), nullptr },
    { "Queue Manager", 576, Demo, nullptr, "Status refreshed", CHECK(Text(d, MQIACF_Q_MGR_STATUS) == "Running"),
      nullptr },
    { "Command Level", 1, Demo, nullptr, "Display refreshed", CHECK(Is("command level", Text(d, MQIA_COMMAND_LEVEL), "940")),
      nullptr },
    /* a queue, on a PCF and on a z/OS queue manager */
    { "Queue", 1, Demo, Q(PCFSetFieldText(d, MQCA_Q_NAME, "ACT.Q")), "Display refreshed",
      CHECK(Text(d, MQIA_CURRENT_Q_DEPTH) == "2"), nullptr },
    { "Queue", 565, Demo, Q(PCFSetFieldText(d, MQCA_Q_NAME, "ACT.NEW"); SetEvery(d)), "Queue 'ACT.NEW' defined",
      CHECK(Depth(Demo, "ACT.NEW", 0) && ReadBack("Queue", "ACT.NEW")), nullptr },
    { "Queue", 575, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.Q"); PCFSetFieldText(d, MQCA_Q_DESC, "altered")),
      "Queue 'ACT.Q' altered", CHECK(QueueDesc(Demo, "ACT.Q") == "altered"), nullptr },
    { "Queue", 577, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.Q"); PCFSetFieldText(d, MQCACF_TO_Q_NAME, "ACT.COPY")),
      "Queue 'ACT.Q' copied", CHECK(QueueDesc(Demo, "ACT.COPY") == "altered"), nullptr },
    { "Queue", 580, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.Q")), "Statistics of queue 'ACT.Q' reset",
      CHECK(Is("messages put since the reset", std::to_string(QueueEnqueuedSinceReset(Demo, "ACT.Q")), "0")), nullptr },
    { "Queue", 581, Demo, Q(Hold("ACT.HELD"); Shown(d, MQCA_Q_NAME, "ACT.HELD")), "Handles of queue 'ACT.HELD' closed",
      CHECK(Gone("ACT.HELD")), nullptr },
    { "Queue", 579, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.FULL")), "Queue 'ACT.FULL' cleared",
      CHECK(Depth(Demo, "ACT.FULL", 0)), nullptr },
    { "Queue", 578, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.NEW")), "Queue 'ACT.NEW' deleted",
      CHECK(Depth(Demo, "ACT.NEW", -1)), nullptr },
    { "Queue", 566, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "",
      CHECK(Opened("Message List", "ACT.MSGS") && Rows(NewestDialog("Message List"), 3)), nullptr },
    { "Queue", 567, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", CHECK(WindowTitled("MQPUT from")), nullptr },
    { "Queue", 565, Zos, Q(PCFSetFieldText(d, MQCA_Q_NAME, "ZACT.NEW")), "Queue 'ZACT.NEW' defined",
      CHECK(Depth(Zos, "ZACT.NEW", 0)), nullptr },
    { "Queue", 575, Zos, Q(Shown(d, MQCA_Q_NAME, "ZACT.NEW"); PCFSetFieldText(d, MQCA_Q_DESC, "altered on z/OS")),
      "Queue 'ZACT.NEW' altered", CHECK(QueueDesc(Zos, "ZACT.NEW") == "altered on z/OS"), nullptr },
    { "Queue", 577, Zos, Q(Shown(d, MQCA_Q_NAME, "ZACT.NEW"); PCFSetFieldText(d, MQCACF_TO_Q_NAME, "ZACT.COPY")),
      "Queue 'ZACT.NEW' copied", CHECK(QueueDesc(Zos, "ZACT.COPY") == "altered on z/OS"), nullptr },
    { "Queue", 578, Zos, Q(Shown(d, MQCA_Q_NAME, "ZACT.NEW")), "Queue 'ZACT.NEW' deleted",
      CHECK(Depth(Zos, "ZACT.NEW", -1)), nullptr },
    /* the queue list's rows, the list read again after each command */
    { "Queue List", 1, Demo, nullptr, "Display refreshed", CHECK(Lists(d, "ACT.Q", true)), nullptr },
    { "Queue List", 585, Demo, nullptr, "", CHECK(Lists(d, "DEMO.ALIAS", true)), nullptr },
    { "Queue List", 517, Demo, Q(Row(d, "ACT.Q")), "", CHECK(Opened("Queue", "ACT.Q")), nullptr },
    { "Queue List", 565, Demo, nullptr, "", CHECK(NewestDialog("Queue") != nullptr), nullptr },
    { "Queue List", 566, Demo, Q(Row(d, "ACT.MSGS")), "", CHECK(Opened("Message List", "ACT.MSGS")), nullptr },
    { "Queue List", 567, Demo, Q(Row(d, "ACT.MSGS")), "", CHECK(WindowTitled("MQPUT from")), nullptr },
    { "Queue List", 583, Demo, Q(Row(d, "ACT.MSGS")), "", CHECK(WindowTitled("Load/Unload from")), nullptr },
    { "Queue List", 584, Demo, Q(Row(d, "ACT.MSGS")), "", CHECK(WindowTitled("Publish from")), nullptr },
    { "Queue List", 580, Demo, Q(AppPut(Demo, "ACT.Q", { "counted" }); Row(d, "ACT.Q")),
      "Statistics of queue 'ACT.Q' reset", CHECK(Is("messages put since the reset", std::to_string(QueueEnqueuedSinceReset(Demo, "ACT.Q")), "0")), nullptr },
    { "Queue List", 579, Demo, Q(AppPut(Demo, "ACT.FULL", { "again" }); Row(d, "ACT.FULL")), "Queue 'ACT.FULL' cleared",
      CHECK(Depth(Demo, "ACT.FULL", 0)), nullptr },
    { "Queue List", 578, Demo, Q(Row(d, "ACT.COPY")), "Queue 'ACT.COPY' deleted",
      CHECK(Depth(Demo, "ACT.COPY", -1) && Lists(d, "ACT.COPY", false) && Lists(d, "ACT.Q", true)), nullptr },
    /* the messages of a queue, the list read again after each command */
    { "Message List", 1, Demo, Q(PCFSetFieldText(d, MQCA_Q_NAME, "ACT.MSGS")), "Display refreshed",
      CHECK(Rows(d, 3)), nullptr },
    { "Message List", 596, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS"); Row(d, nullptr)), "",
      CHECK(Opened("Message", "ACT.MSGS")), nullptr },
    { "Message List", 597, Demo,
      Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS"); PCFSetFieldText(d, MYPCFA_TARGET_Q, "ACT.TARGET"); Row(d, nullptr)),
      "1 message copied",
      CHECK(Depth(Demo, "ACT.TARGET", 1) && Depth(Demo, "ACT.MSGS", 3) && Rows(d, 3)), nullptr },
    { "Message List", 598, Demo,
      Q(beside = ListOf("ACT.TARGET"); Shown(d, MQCA_Q_NAME, "ACT.MSGS"); PCFSetFieldText(d, MYPCFA_TARGET_Q, "ACT.TARGET");
        Row(d, nullptr)),
      "1 message moved",
      CHECK(Depth(Demo, "ACT.TARGET", 2) && Depth(Demo, "ACT.MSGS", 2) && Rows(d, 2) && BesideShows(2)), nullptr },
    { "Message List", 599, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.TARGET"); Row(d, nullptr)), "1 message deleted",
      CHECK(Depth(Demo, "ACT.TARGET", 1) && Rows(d, 1)), nullptr },
    { "Message List", 567, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS"); Row(d, nullptr)), "",
      CHECK(WindowTitled("MQPUT from")), nullptr },
    { "Message List", 583, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS"); Row(d, nullptr)), "",
      CHECK(WindowTitled("Load/Unload from")), nullptr },
    { "Message List", 581, Demo, Q(Held(); Shown(d, MQCA_Q_NAME, "ACT.HELD")), "Handles of queue 'ACT.HELD' closed",
      CHECK(Clears("ACT.HELD")), nullptr },
    { "Message List", 941, Demo, nullptr, nullptr, nullptr, "a list holds no edited message to add" },
    /* the close command of the message kinds: the browsed queue is let go
       (a queue held open cannot be cleared), by the window's close too */
    { "Message List", 2, Demo, Q(Held(); Shown(d, MQCA_Q_NAME, "ACT.HELD")), "", CHECK(Clears("ACT.HELD")), nullptr },
    { "Message List", 10010, Demo, Q(Held(); Shown(d, MQCA_Q_NAME, "ACT.HELD")), "", CHECK(Clears("ACT.HELD")),
      nullptr },
    { "Message", 2, Demo,
      Q(Held(); PCFSetFieldText(d, MQCA_Q_NAME, "ACT.HELD"); PCFSetFieldText(d, MYPCFA_POSITION, "1"); Refresh(d)),
      "", CHECK(Clears("ACT.HELD")), nullptr },
    { "Message", 10010, Demo,
      Q(Held(); PCFSetFieldText(d, MQCA_Q_NAME, "ACT.HELD"); PCFSetFieldText(d, MYPCFA_POSITION, "1"); Refresh(d)),
      "", CHECK(Clears("ACT.HELD")), nullptr },
    /* one message */
    { "Message", 1, Demo, Q(PCFSetFieldText(d, MQCA_Q_NAME, "ACT.MSGS"); PCFSetFieldText(d, MYPCFA_POSITION, "1")),
      "Message refreshed", CHECK(Edited(d, 3, "MQSTR   ") && !memcmp(d->editor->data.data, "two", 3)), nullptr },
    { "Message", 887, Demo,
      Q(PCFSetFieldText(d, MQCA_Q_NAME, "ACT.MSGS"); PCFSetFieldText(d, MYPCFA_POSITION, "1"); Refresh(d)), "",
      CHECK(Position(d) == "2" && Edited(d, 5, "MQSTR   ")), nullptr },
    { "Message", 904, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", CHECK((d->viewOptions & 0x8000000) != 0),
      nullptr },
    /* the format chosen (the descriptor's, a dead-letter header) laid out,
       and the generic string */
    { "Message", 920, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.FMT")), "", CHECK(Edited(d, 172, "MQDEAD  ")), nullptr },
    { "Message", 921, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.FMT")), "", CHECK(Edited(d, 0, "MQSTR   ")), nullptr },
    { "Message", 941, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "1 message added",
      CHECK(Depth(Demo, "ACT.MSGS", 3)), nullptr },
    { "Message", 946, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "1 message updated",
      CHECK(Depth(Demo, "ACT.MSGS", 3)), nullptr },
    { "Message", 557, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", CHECK(Opened("Queue", "ACT.MSGS")), nullptr },
    { "Message", 558, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", CHECK(Opened("Message List", "ACT.MSGS")),
      nullptr },
    /* one message's descriptor (the frame's Objects menu opens it, 565):
       Next steps on by one, Open shows the same message in full, Delete
       takes the message shown (by its position and id) */
    { "Message Detail", 1, Demo, Q(At(d, "ACT.MSGS", "1")), "Message refreshed", CHECK(Is("message length", Text(d, MYPCFA_MSGLEN), "5")),
      nullptr },
    { "Message Detail", 887, Demo, Q(At(d, "ACT.MSGS", "1"); Refresh(d)), "", CHECK(Position(d) == "2"), nullptr },
    { "Message Detail", 596, Demo, Q(At(d, "ACT.MSGS", "2"); Refresh(d)), "", CHECK(OpenedInFull(d)), nullptr },
    { "Message Detail", 597, Demo, nullptr, nullptr, nullptr,
      "found failing: the kind has no target fields; Copy is refused without a target queue" },
    { "Message Detail", 598, Demo, nullptr, nullptr, nullptr,
      "found failing: the kind has no target fields; Move is refused without a target queue" },
    { "Message Detail", 599, Demo, Q(At(d, "ACT.TARGET", "1"); Refresh(d)), "1 message deleted",
      CHECK(QueueDepth(Demo, "ACT.TARGET") == 0), nullptr },
    { "Message Detail", 10010, Demo, Q(Held(); At(d, "ACT.HELD", "1"); Refresh(d)), "", CHECK(Clears("ACT.HELD")),
      nullptr },
    /* the console */
    { "MQSC Commands", 1, Demo, Q(Typed(d, "DISPLAY QLOCAL(ACT.Q) DESCR")), "",
      CHECK(Replied(d, "AMQ8409I: Display Queue details.") && Replied(d, "DESCR(altered)")), nullptr },
    /* the queued publish/subscribe broker */
    { "Broker Subscribers", 1, Demo, nullptr, nullptr, nullptr,
      "no queued publish/subscribe broker serves the stand-in's broker queue" },
    { "Broker Publishers", 1, Demo, nullptr, nullptr, nullptr,
      "no queued publish/subscribe broker serves the stand-in's broker queue" },
};

/* Whether the table names every action of every shipped definition. */
static std::string Unnamed(void)
{
    std::string missing;
    for (PCFCommandDef *const *def = PCFCommandDefs; *def; def++)
        for (const PCFActionDef *a = (*def)->actions; a && a->id; a++) {
            if (!a->command && !(a->flags & 0x800) && !(a->flags2 & 0x800))
                continue;
            bool named = false;
            for (const Action &t : Actions)
                named = named || (!strcmp(t.definition, (*def)->title) && (t.id == (int32_t)a->id || !t.id));
            if (!named)
                missing += std::string((*def)->title) + " " + std::to_string(a->id) + "; ";
        }
    return missing;
}

static QMS *ZosLocation(void)
{
    AppMqsc(Zos, "ALTER QMGR PLATFORM(MVS) CMDLEVEL(910)\nDEFINE QLOCAL(ZACT.Q) REPLACE\n");
    QMS *z = AppLocation(Zos);
    if (z)
        z->flags |= LF_MVS;
    return z && AppConnect(z) ? z : nullptr;
}

/* Whether the dialog said text: on its status line, or among its recent
 * texts (the refresh that follows a change puts its own text over the
 * command's). */
static bool Said(DialogWords *d, const std::string &status, const char *text)
{
    if (status.find(text) != std::string::npos)
        return true;
    HWND line = d ? PCFWnd(d->statusWindow) : nullptr;
    int n = line ? (int)SendMessageA(line, CB_GETCOUNT, 0, 0) : 0;
    for (int i = 0; i < n; i++) {
        char item[800] = "";
        if (SendMessageA(line, CB_GETLBTEXTLEN, (WPARAM)i, 0) < (LRESULT)sizeof item)
            SendMessageA(line, CB_GETLBTEXT, (WPARAM)i, (LPARAM)item);
        if (strstr(item, text))
            return true;
    }
    return false;
}

/* ---- the windows of their own that store or send: the Filter Manager,
 * Load/Unload, Put and Publish ---- */

/* The messages of a queue of the demo, browsed through the MQI: each
 * one's bytes, "|" between them. */
static std::string Browsed(const char *queue)
{
    MqiSession s(Demo);
    std::string all;
    if (!s.Open(queue, MQOO_BROWSE))
        return all;
    for (int n = 0; s.cc != MQCC_FAILED; n++) {
        MQMD md = { MQMD_DEFAULT };
        MQGMO gmo = { MQGMO_DEFAULT };
        gmo.Options = MQGMO_BROWSE_NEXT | MQGMO_NO_WAIT | MQGMO_ACCEPT_TRUNCATED_MSG;
        char data[4000];
        MQLONG length = 0;
        s.get(s.h, s.o, &md, &gmo, (MQLONG)sizeof data, data, &length, &s.cc, &s.rc);
        if (s.cc != MQCC_FAILED)
            all += (n ? "|" : "") + std::string(data, (size_t)length);
    }
    return all;
}

static std::string Hex(const std::string &bytes)
{
    std::string out(2 * bytes.size() + 1, '\0');
    UTBytesToHex((const unsigned char *)bytes.data(), (int)bytes.size(), out.data(), 0);
    out.pop_back();
    return out;
}

static std::string Scratch(const char *name)
{
    char dir[MAX_PATH] = "";
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

/* A file's lines that begin with one of the pieces, "|" between them. */
static std::string FileLines(const std::string &path, std::initializer_list<const char *> pieces)
{
    std::string all, line;
    FILE *f = fopen(path.c_str(), "rb");
    for (char b[400]; f && fgets(b, sizeof b, f);) {
        line = b;
        line.erase(line.find_last_not_of("\r\n") + 1);
        for (const char *p : pieces)
            if (!line.rfind(p, 0))
                all += (all.empty() ? "" : "|") + line;
    }
    if (f)
        fclose(f);
    return all;
}

/* A field of a transfer window typed, a box clicked, a tab chosen. */
static void Type(HWND w, int id, const std::string &text)
{
    HWND c = WalkControl(w, id);
    SetWindowTextA(c, text.c_str());
    SendMessageA(GetParent(c), WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), (LPARAM)c);
}
static void Click(HWND w, int id) { SendMessageA(WalkControl(w, id), BM_CLICK, 0, 0); }
static void Tab(HWND w, int id, int index) { TestSelectTab(DDFindHandle(w), w, id, index); }

struct Transfer {
    const char *what;
    int32_t open;                       /* the frame's command that opens the window */
    void (*fill)(HWND);
    int32_t button;
    const char *status;                 /* its status line after begins so, or null: the window is gone */
    std::string (*read)(void);          /* the effect, read back through the MQI or the file */
    const char *want;
};

enum { LU_INQUEUE = 171, LU_INFILE = 286, LU_OUTFILE = 287, LU_OUTQUEUE = 290, LU_INTAB = 301, LU_OUTTAB = 302,
       LU_MOVE = 339, LU_OVERWRITE = 187, LU_APPLY = 131, PT_QUEUE = 171, PT_COUNT = 169, PT_FILE = 286,
       PT_MESSAGE = 170, PB_TABS = 426, PB_STREAM = 330, PB_TOPIC = 331 };

static const Transfer Transfers[] = {
    { "Filter Manager OK: a named filter stored", 685, [](HWND w) {
          Type(w, 258, "walkf");
          Type(w, 259, "curdepth > 0");
      }, IDOK, nullptr, [] {
          const FILKEY *k = FltFindFilter("walkf");
          return std::string(k && k->text ? k->text : "(none)") + (k && (k->flags & 1) ? " local" : "");
      }, "curdepth > 0 local" },
    { "Load/Unload OK: XFER.SRC unloaded to a file", 731, [](HWND w) {
          Type(w, LU_INQUEUE, "XFER.SRC");
          Tab(w, LU_OUTTAB, 1);
          Type(w, LU_OUTFILE, Scratch("xfer-unload.drk"));
          Click(w, LU_OVERWRITE);
      }, IDOK, nullptr,
      [] { return FileLines(Scratch("xfer-unload.drk"), { "* Queue", "X " }); },
      "* Queue = XFER.SRC|X 6F6E65|X 74776F|X 7468726565" },
    { "Load/Unload Apply: the file loaded to XFER.LOAD", 731, [](HWND w) {
          Tab(w, LU_INTAB, 1);
          Type(w, LU_INFILE, Scratch("xfer-unload.drk"));
          Type(w, LU_OUTQUEUE, "XFER.LOAD");
      }, LU_APPLY, "Completed: 3 Messages (11 Bytes) written", [] { return Browsed("XFER.LOAD"); }, "one|two|three" },
    { "Load/Unload OK: XFER.SRC moved to XFER.MOVED", 731, [](HWND w) {
          Type(w, LU_INQUEUE, "XFER.SRC");
          Click(w, LU_MOVE);
          Type(w, LU_OUTQUEUE, "XFER.MOVED");
      }, IDOK, nullptr, [] { return Browsed("XFER.MOVED") + " and " + std::to_string(QueueDepth(Demo, "XFER.SRC")); },
      "one|two|three and 0" },
    { "Put: a typed message twice to XFER.PUT", 641, [](HWND w) {
          Type(w, PT_QUEUE, "XFER.PUT");
          Type(w, PT_COUNT, "2");
          Type(w, PT_MESSAGE, "put by the walk");
      }, IDOK, "2 messages put in ", [] { return Browsed("XFER.PUT"); }, "put by the walk|put by the walk" },
    { "Put: a file's bytes to XFER.FILE", 641, [](HWND w) {
          FILE *f = fopen(Scratch("xfer-put.bin").c_str(), "wb");
          fwrite("from a file\r\n\x01\x00\xff", 1, 16, f);
          fclose(f);
          Type(w, PT_QUEUE, "XFER.FILE");
          Type(w, PT_FILE, Scratch("xfer-put.bin"));
      }, IDOK, "1 message put in ", [] { return Hex(Browsed("XFER.FILE")); }, "66726F6D20612066696C650D0A0100FF" },
    { "Publish: a queued publication on XFER.STREAM", 747, [](HWND w) {
          Tab(w, PB_TABS, 1);
          Type(w, PB_STREAM, "XFER.STREAM");
          Type(w, PB_TOPIC, "walk/topic");
          Type(w, PT_MESSAGE, "published");
      }, IDOK, "1 message put in ", [] {
          std::string m = Browsed("XFER.STREAM");
          return Hex(m.substr(0, 32)) + " " + m.substr(std::min<size_t>(32, m.size()));
      },
      /* an MQRFH of 32 bytes and its name/value string (43), then the text */
      "52464820" "01000000" "4B000000" "22020000" "B5010000" "4D51535452202020" "00000000"
      " MQPSCommand  Publish  MQPSTopic walk/topic published" },
};

/* Each transfer window opened from the frame, filled and its button
 * pressed; the effect read back, and the status line or the window gone. */
static int WalkTransfers(FrameWords *f)
{
    AppMqsc(Demo, "DEFINE QLOCAL(XFER.SRC) REPLACE\nDEFINE QLOCAL(XFER.LOAD) REPLACE\nDEFINE QLOCAL(XFER.MOVED) REPLACE\n"
                  "DEFINE QLOCAL(XFER.PUT) REPLACE\nDEFINE QLOCAL(XFER.FILE) REPLACE\nDEFINE QLOCAL(XFER.STREAM) REPLACE\n"
                  "CLEAR QLOCAL(XFER.SRC)\nCLEAR QLOCAL(XFER.LOAD)\nCLEAR QLOCAL(XFER.MOVED)\nCLEAR QLOCAL(XFER.PUT)\n"
                  "CLEAR QLOCAL(XFER.FILE)\nCLEAR QLOCAL(XFER.STREAM)\n");
    AppPut(Demo, "XFER.SRC", { "one", "two", "three" });
    DeleteFileA(Scratch("xfer-unload.drk").c_str());
    int failed = 0;
    for (const Transfer &t : Transfers) {
        Snapshot before = Observe(nullptr);
        SendMessageA(f->window, WM_COMMAND, (WPARAM)t.open, 0);
        PumpAll();
        HWND w = GetActiveWindow();
        for (const auto &[k, v] : Observe(nullptr))
            if (!k.rfind("window ", 0) && !before.count(k))
                w = (HWND)(uintptr_t)strtoull(k.c_str() + 7, nullptr, 16);
        t.fill(w);
        SetWindowTextA(WalkControl(w, 103), "");
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(t.button, BN_CLICKED), (LPARAM)WalkControl(w, t.button));
        std::string got;
        auto said = [&] { return IsWindow(w) ? WindowText(WalkControl(w, 103)) : std::string("(gone)"); };
        std::string want = t.status ? t.status : "(gone)";
        PumpUntil([&] { return (got = t.read()) == t.want && !said().rfind(want, 0); }, 8000);
        std::string status = said();
        if (got != t.want || status.rfind(want, 0)) {
            failed++;
            ADD_FAILURE() << t.what << ": read '" << got << "', want '" << t.want << "'; status '" << status
                          << "', want '" << want << "'";
        }
        CloseNewWindows(before, nullptr);
    }
    return failed;
}

TEST(Walk, EveryActionOfEveryDefinitionTakesEffect)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    AppMqsc(Demo, "DEFINE QLOCAL(ACT.Q) REPLACE\nDEFINE QLOCAL(ACT.MSGS) REPLACE\nDEFINE QLOCAL(ACT.FULL) REPLACE\n"
                  "DEFINE QLOCAL(ACT.TARGET) REPLACE\nDEFINE QLOCAL(ACT.HELD) REPLACE\nDEFINE QLOCAL(ACT.FMT) REPLACE\nDELETE QLOCAL(ACT.NEW)\nDELETE QLOCAL(ACT.COPY)\n");
    ASSERT_TRUE(AppPut(Demo, "ACT.MSGS", { "one", "two", "three" }));
    ASSERT_TRUE(AppPut(Demo, "ACT.FULL", { "to be cleared" }));
    ASSERT_TRUE(AppPut(Demo, "ACT.Q", { "counted", "twice" }));
    ASSERT_TRUE(AppPutData(Demo, "ACT.FMT", "MQDEAD  ", { "dead" }));
    QMS *zos = ZosLocation();
    ASSERT_NE(zos, nullptr);
    EXPECT_EQ(Unnamed(), "");
    AnswerQuestions(1);
    WalkAnswerYes(1);
    WalkStartAnswering();
    int performed = 0, failed = 0;
    std::set<std::string> kinds;
    for (const Action &t : Actions) {
        if (t.why) {
            printf("not performed: %s %d: %s\n", t.definition, t.id, t.why);
            continue;
        }
        QMS *location = !strcmp(t.where, Zos) ? zos : AppDemo();
        DialogWords *d = DoAction(f->window, location, nullptr, OpenId(t.definition));
        if (!d) {
            ADD_FAILURE() << t.definition << " does not open";
            continue;
        }
        HWND w = PCFWnd(d->window);
        if (t.fill)
            t.fill(d);
        Snapshot before = Observe(w);
        SetWindowTextA(PCFWnd(d->statusWindow), "");
        Command(d, t.id);
        if (IsWindow(w) && PCFDialogOf(w) == d)
            WalkAnswered(d);
        bool alive = IsWindow(w) && PCFDialogOf(w) == d;
        std::string status = alive ? WindowText(PCFWnd(d->statusWindow)) : "";
        bool said = !*t.status || Said(alive ? d : nullptr, status, t.status);
        bool ok = (!t.took || t.took(alive ? d : nullptr)) && said;
        performed++;
        kinds.insert(t.definition);
        if (!ok) {
            failed++;
            ADD_FAILURE() << t.definition << " " << t.id << " on " << t.where << ": status '" << status << "'"
                          << (said ? "" : std::string(", expected '") + t.status + "'") << "\n"
                          << Changes(before, Observe(w));
        }
        CloseNewWindows(before, nullptr);
        if (alive)
            SendMessageA(w, WM_CLOSE, 0, 0);
        PumpAll();
    }
    WalkStopAnswering();
    WalkAnswerYes(0);
    AnswerQuestions(1);
    int transfers = WalkTransfers(f);
    printf("actions performed: %d of %zu definitions, %d failed; transfers %zu, %d failed\n", performed, kinds.size(),
           failed, sizeof Transfers / sizeof *Transfers, transfers);
    AppRemoveLocation(zos);
}
