/* Every action of every shipped definition performed through its real
 * dialog on objects the stand-in holds, over the program's own wiring:
 * each is accepted (the reply's status line) and takes effect, read back
 * through the MQI or in the dialog it opens.  An action of a definition
 * that the table does not name fails, so a new action needs its line. */
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <set>

#include "walk.h"
#include "cmddlg.h"
#include "locstore.h"
#include "mq/mqown.h"
#include "mqi.h"
#include "pcflistwin.h"
#include "pcflists.h"
#include "pcfwin.h"
#include "qms.h"
#include "shellint.h"
#include "edpane.h"

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

/* The reply of the dialog's command in: nothing outstanding, a status. */
static void Answered(DialogWords *d)
{
    PumpUntil([d] { return !(d->markFlags & DM_REQUEST_SENT) && d->first.sequence == d->first.lastAnswered; }, 8000);
    PumpAll();
}

static void Refresh(DialogWords *d)
{
    Command(d, 1);
    Answered(d);
}

/* The object typed into the dialog's name field, and shown. */
static void Shown(DialogWords *d, uint32_t attr, const char *name)
{
    PCFSetFieldText(d, attr, name);
    Refresh(d);
}

/* A list's row of the object selected (the first row without one). */
static void Row(DialogWords *d, const char *name)
{
    PumpUntil([d] { return d->rowCounts[0] > 0; }, 5000);
    PCFLISTSTATE *st = PCFListState(d);
    LPARAM at = 0;
    for (uint32_t i = 0; name && st && i < st->count; i++) {
        int length = 0;
        const char *t = PCFParmText(d, st->rows[i].row, nullptr, MQCA_Q_NAME, &length);
        if (t && (int)strlen(name) <= length && !strncmp(t, name, strlen(name)) &&
            ((int)strlen(name) == length || t[strlen(name)] == ' '))
            at = (LPARAM)i;
    }
    PCFSelectRows(d, PCFSEL_NONE);
    SendMessageA(PCFWnd(d->splitList), LB_SETSEL, TRUE, at);
    PCFSetMenu(d);
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
    { "Queue Manager", 1, Demo, nullptr, "refreshed", nullptr, nullptr },
    { "Queue Manager", 575, Demo, Q(Refresh(d); PCFSetFieldText(d, MQCA_Q_MGR_DESC, "altered by the walk")),
      "altered", CHECK(QmgrDesc(Demo) == "altered by the walk"), nullptr },
    { "Queue Manager", 576, Demo, nullptr, "Status refreshed", nullptr, nullptr },
    { "Command Level", 1, Demo, nullptr, "Display refreshed", nullptr, nullptr },
    /* a queue, on a PCF and on a z/OS queue manager */
    { "Queue", 1, Demo, Q(PCFSetFieldText(d, MQCA_Q_NAME, "ACT.Q")), "Display refreshed", nullptr, nullptr },
    { "Queue", 565, Demo, Q(PCFSetFieldText(d, MQCA_Q_NAME, "ACT.NEW")), "defined",
      CHECK(QueueDepth(Demo, "ACT.NEW") == 0), nullptr },
    { "Queue", 575, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.Q"); PCFSetFieldText(d, MQCA_Q_DESC, "altered")), "altered",
      CHECK(QueueDesc(Demo, "ACT.Q") == "altered"), nullptr },
    { "Queue", 577, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.Q"); PCFSetFieldText(d, MQCACF_TO_Q_NAME, "ACT.COPY")),
      "copied", CHECK(QueueDesc(Demo, "ACT.COPY") == "altered"), nullptr },
    { "Queue", 580, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.Q")), "reset", nullptr, nullptr },
    { "Queue", 581, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.Q")), "closed", nullptr, nullptr },
    { "Queue", 579, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.FULL")), "cleared", CHECK(QueueDepth(Demo, "ACT.FULL") == 0),
      nullptr },
    { "Queue", 578, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.NEW")), "deleted", CHECK(QueueDepth(Demo, "ACT.NEW") == -1),
      nullptr },
    { "Queue", 566, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", CHECK(Opened("Message List", "ACT.MSGS")),
      nullptr },
    { "Queue", 567, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", CHECK(WindowTitled("MQPUT from")), nullptr },
    { "Queue", 565, Zos, Q(PCFSetFieldText(d, MQCA_Q_NAME, "ZACT.NEW")), "defined",
      CHECK(QueueDepth(Zos, "ZACT.NEW") == 0), nullptr },
    { "Queue", 575, Zos, Q(Shown(d, MQCA_Q_NAME, "ZACT.NEW"); PCFSetFieldText(d, MQCA_Q_DESC, "altered on z/OS")),
      "altered", CHECK(QueueDesc(Zos, "ZACT.NEW") == "altered on z/OS"), nullptr },
    { "Queue", 577, Zos, Q(Shown(d, MQCA_Q_NAME, "ZACT.NEW"); PCFSetFieldText(d, MQCACF_TO_Q_NAME, "ZACT.COPY")),
      "copied", CHECK(QueueDesc(Zos, "ZACT.COPY") == "altered on z/OS"), nullptr },
    { "Queue", 578, Zos, Q(Shown(d, MQCA_Q_NAME, "ZACT.NEW")), "deleted", CHECK(QueueDepth(Zos, "ZACT.NEW") == -1),
      nullptr },
    /* the queue list's rows */
    { "Queue List", 1, Demo, nullptr, "Display refreshed", CHECK(d->rowCounts[0] > 0), nullptr },
    { "Queue List", 585, Demo, nullptr, "", CHECK(d->rowCounts[0] > 0), nullptr },
    { "Queue List", 517, Demo, Q(Row(d, "ACT.Q")), "", CHECK(Opened("Queue", "ACT.Q")), nullptr },
    { "Queue List", 565, Demo, nullptr, "", CHECK(NewestDialog("Queue") != nullptr), nullptr },
    { "Queue List", 566, Demo, Q(Row(d, "ACT.MSGS")), "", CHECK(Opened("Message List", "ACT.MSGS")), nullptr },
    { "Queue List", 567, Demo, Q(Row(d, "ACT.MSGS")), "", CHECK(WindowTitled("MQPUT from")), nullptr },
    { "Queue List", 583, Demo, Q(Row(d, "ACT.MSGS")), "", CHECK(WindowTitled("Load/Unload from")), nullptr },
    { "Queue List", 584, Demo, Q(Row(d, "ACT.MSGS")), "", CHECK(WindowTitled("Publish from")), nullptr },
    { "Queue List", 580, Demo, Q(Row(d, "ACT.Q")), "reset", nullptr, nullptr },
    { "Queue List", 579, Demo, Q(Row(d, "ACT.FULL")), "cleared", CHECK(QueueDepth(Demo, "ACT.FULL") == 0), nullptr },
    { "Queue List", 578, Demo, Q(Row(d, "ACT.COPY")), "deleted", CHECK(QueueDepth(Demo, "ACT.COPY") == -1), nullptr },
    /* the messages of a queue */
    { "Message List", 1, Demo, Q(PCFSetFieldText(d, MQCA_Q_NAME, "ACT.MSGS")), "Display refreshed",
      CHECK(d->rowCounts[0] == 3), nullptr },
    { "Message List", 596, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS"); Row(d, nullptr)), "",
      CHECK(Opened("Message", "ACT.MSGS")), nullptr },
    { "Message List", 597, Demo,
      Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS"); PCFSetFieldText(d, MYPCFA_TARGET_Q, "ACT.TARGET"); Row(d, nullptr)),
      "copied", CHECK(QueueDepth(Demo, "ACT.TARGET") == 1 && QueueDepth(Demo, "ACT.MSGS") == 3), nullptr },
    { "Message List", 598, Demo,
      Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS"); PCFSetFieldText(d, MYPCFA_TARGET_Q, "ACT.TARGET"); Row(d, nullptr)),
      "moved", CHECK(QueueDepth(Demo, "ACT.TARGET") == 2 && QueueDepth(Demo, "ACT.MSGS") == 2), nullptr },
    { "Message List", 599, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.TARGET"); Row(d, nullptr)), "deleted",
      CHECK(QueueDepth(Demo, "ACT.TARGET") == 1), nullptr },
    { "Message List", 567, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS"); Row(d, nullptr)), "",
      CHECK(WindowTitled("MQPUT from")), nullptr },
    { "Message List", 583, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS"); Row(d, nullptr)), "",
      CHECK(WindowTitled("Load/Unload from")), nullptr },
    { "Message List", 581, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS"); Row(d, nullptr)), "closed", nullptr, nullptr },
    { "Message List", 941, Demo, nullptr, nullptr, nullptr, "a list holds no edited message to add" },
    /* one message */
    { "Message", 1, Demo, Q(PCFSetFieldText(d, MQCA_Q_NAME, "ACT.MSGS"); PCFSetFieldText(d, MYPCFA_POSITION, "1")),
      "Message refreshed", CHECK(d->editor && d->editor->data.length > 0), nullptr },
    { "Message", 887, Demo,
      Q(PCFSetFieldText(d, MQCA_Q_NAME, "ACT.MSGS"); PCFSetFieldText(d, MYPCFA_POSITION, "1"); Refresh(d)), "",
      CHECK(Position(d) == "2"), nullptr },
    { "Message", 904, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", CHECK((d->viewOptions & 0x8000000) != 0),
      nullptr },
    { "Message", 920, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", nullptr, nullptr },
    { "Message", 921, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", nullptr, nullptr },
    { "Message", 941, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "added", CHECK(QueueDepth(Demo, "ACT.MSGS") == 3),
      nullptr },
    { "Message", 946, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "updated", CHECK(QueueDepth(Demo, "ACT.MSGS") == 3),
      nullptr },
    { "Message", 557, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", CHECK(Opened("Queue", "ACT.MSGS")), nullptr },
    { "Message", 558, Demo, Q(Shown(d, MQCA_Q_NAME, "ACT.MSGS")), "", CHECK(Opened("Message List", "ACT.MSGS")),
      nullptr },
    /* no menu row, button or action opens it (the shell's window table
       names it for 565, which nothing sends) */
    { "Message Detail", 0, Demo, nullptr, nullptr, nullptr, "no command of the program opens it" },
    /* the console */
    { "MQSC Commands", 1, Demo, nullptr, "", nullptr, "its input is the console's own box (the road types it)" },
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

TEST(Walk, EveryActionOfEveryDefinitionTakesEffect)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    AppMqsc(Demo, "DEFINE QLOCAL(ACT.Q) REPLACE\nDEFINE QLOCAL(ACT.MSGS) REPLACE\nDEFINE QLOCAL(ACT.FULL) REPLACE\n"
                  "DEFINE QLOCAL(ACT.TARGET) REPLACE\nDELETE QLOCAL(ACT.NEW)\nDELETE QLOCAL(ACT.COPY)\n");
    ASSERT_TRUE(AppPut(Demo, "ACT.MSGS", { "one", "two", "three" }));
    ASSERT_TRUE(AppPut(Demo, "ACT.FULL", { "to be cleared" }));
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
            Answered(d);
        bool alive = IsWindow(w) && PCFDialogOf(w) == d;
        std::string status = alive ? WindowText(PCFWnd(d->statusWindow)) : "";
        bool ok = (!*t.status || Said(alive ? d : nullptr, status, t.status)) && (!t.took || t.took(alive ? d : nullptr));
        performed++;
        kinds.insert(t.definition);
        if (!ok) {
            failed++;
            ADD_FAILURE() << t.definition << " " << t.id << " on " << t.where << ": status '" << status << "'\n"
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
    printf("actions performed: %d of %zu definitions, %d failed\n", performed, kinds.size(), failed);
    AppRemoveLocation(zos);
}
