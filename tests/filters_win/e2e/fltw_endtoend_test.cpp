/* End to end under Xvfb: a Queue List and a Message List opened on the
 * stand-in queue manager, filled through the command engine and the
 * list pane, filtered from their filter field (system() running its
 * command too) with the hooks the program installs (the command dialog
 * tests' helpers, tests/dialogs_win/wintest.h). */
#include "dialogs_win/wintest.h"
#include "fltwin.h"
#include "tkcontrols.h"
#include "pcflistwin.h"
#include "mq/capability.h"

#include <tlhelp32.h>

#include <cstring>
#include <map>
#include <set>

using namespace wintest;

namespace {

/* The command lines system() asked to run, each passed on to the hook
 * installed before. */
std::vector<std::string> Asked;
int (*Installed)(void *, QMS *, DialogWords *, PCFROW *, const char *, char **);
int RecordRun(void *ctx, QMS *location, DialogWords *d, PCFROW *row, const char *text, char **error)
{
    Asked.push_back(text);
    return Installed(ctx, location, d, row, text, error);
}

/* The processes this program started that still run. */
int Children(void)
{
    HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (all == INVALID_HANDLE_VALUE)
        return -1;
    int n = 0;
    PROCESSENTRY32 p = { sizeof p };
    for (BOOL more = Process32First(all, &p); more; more = Process32Next(all, &p))
        n += p.th32ParentProcessID == GetCurrentProcessId();
    CloseHandle(all);
    return n;
}

struct EndToEnd : Windows {
    Location *loc = nullptr;
    void SetUp() override
    {
        Windows::SetUp();
        engine.standin = 1;
        dlgtest::StandinMqsc("FLTQM", "DEFINE QLOCAL(APP.ONE)\nDEFINE QLOCAL(APP.TWO)\nDEFINE QLOCAL(SYS.X)\n"
                                      "DEFINE QREMOTE(APP.REMOTE) RNAME(A) RQMNAME(B)\n");
        loc = new Location("FLTQM");
        FLTHOOKS h = {};
        PCFFilterWindowHooks(&h);          /* the dialog's status, recent lists, updates */
        FltInstallWindowHooks(&h);
    }
    void TearDown() override
    {
        FltCloseDialog();
        delete loc;
        Windows::TearDown();
    }
    HWND List(DialogWords *d) { return (HWND)d->rightList; }
    /* A Queue List of every queue, read through the engine. */
    DialogWords *Queues()
    {
        DialogWords *d = Open(&PCFQueueListDef, &loc->q);
        PCFSetFieldText(d, MQCA_Q_NAME, "*");
        SendMessageA((HWND)d->window, WM_COMMAND, 1, 0);
        Settle();
        return d;
    }
    int Rows(DialogWords *d) { return (int)SendMessageA(List(d), LB_GETCOUNT, 0, 0); }
    void Filter(DialogWords *d, const char *text)
    {
        SetWindowTextA((HWND)d->filterWindow, text);
        SendMessageA((HWND)d->window, WM_COMMAND, MAKEWPARAM(23, BN_CLICKED), (LPARAM)d->filterButton);
        Settle();
    }
    /* The command lines a filter's system() asks to run while it runs. */
    std::vector<std::string> RunCommands(DialogWords *d, const char *text)
    {
        FLTHOOKS h = *FltHooks();
        Asked.clear();
        Installed = h.runCommand;
        h.runCommand = RecordRun;
        FltSetHooks(&h);
        Filter(d, text);
        h.runCommand = Installed;
        FltSetHooks(&h);
        return Asked;
    }
};

TEST_F(EndToEnd, ATypedFilterHidesAndShowsRows)
{
    DialogWords *d = Queues();
    int all = Rows(d);
    ASSERT_GT(all, 4);
    Filter(d, "queue == 'APP.*' & type = local");
    EXPECT_EQ(Rows(d), 2);
    /* a failed compile keeps the filter and selects the error */
    Filter(d, "queue == 'APP.*' & nosuch > 1");
    EXPECT_EQ(Rows(d), 2);
    DWORD sel = (DWORD)SendMessageA((HWND)d->filterWindow, CB_GETEDITSEL, 0, 0);
    EXPECT_EQ(LOWORD(sel), 19);
    EXPECT_EQ(HIWORD(sel), 25);
    /* the recent filters fill the drop-down */
    EXPECT_GE(SendMessageA((HWND)d->filterWindow, CB_GETCOUNT, 0, 0), 1);
    /* system() runs its command for the rows it holds for, and only for
       them, each time the rows are filtered: the commands asked for are
       read at once (the filter asks while it runs), and once their
       processes have ended the folder they make is there */
    RemoveDirectoryA("FLTRUN.APP.ONE");
    std::vector<std::string> ran = RunCommands(d, "system(queue = 'APP.ONE', 'cmd /c mkdir FLTRUN.' + queue); "
                                                  "type = local");
    EXPECT_EQ(std::set<std::string>(ran.begin(), ran.end()),
              std::set<std::string>({ "cmd /c mkdir FLTRUN.APP.ONE" }));
    EXPECT_TRUE(PumpUntil([] { return Children() == 0; })) << "the commands' processes never ended";
    EXPECT_NE(GetFileAttributesA("FLTRUN.APP.ONE"), INVALID_FILE_ATTRIBUTES) << "the command made no folder";
    RemoveDirectoryA("FLTRUN.APP.ONE");
    /* clearing shows every row */
    Filter(d, "");
    EXPECT_EQ(Rows(d), all);
    Close(d);
}

TEST_F(EndToEnd, ColumnsColoursAndFlashing)
{
    DialogWords *d = Queues();
    Filter(d, "@n# := _index; showcol(curdepth, 0); hidecol(type); bg(queue == 'SYS.*', red); "
              "flash(queue == 'APP.*' & type = remote); 1");
    PCFLISTENTRY *cols = FltDialogColumns(d);
    EXPECT_EQ(cols[0].field->attrId, (uint32_t)MQIA_CURRENT_Q_DEPTH);
    bool named = false;
    for (PCFLISTENTRY *c = cols; c->field; c++)
        named |= !strcmp(c->field->shortTitle, "n");
    EXPECT_TRUE(named);
    int flashing = 0, red = 0;
    for (int i = 0; i < Rows(d); i++) {
        PCFROW *r = (PCFROW *)SendMessageA(List(d), LB_GETITEMDATA, (WPARAM)i, 0);
        flashing += (r->flags & FLTR_FLASH) != 0;
        red += (r->flags & FLTR_BG) && r->colours[FLTR_BACKCOLOUR] == 0xFF;
    }
    EXPECT_EQ(flashing, 1);
    EXPECT_GE(red, 1);
    /* the flashing row is drawn inverted and plain in turn, while no
       other row changes */
    int at = -1;
    for (int i = 0; i < Rows(d) && at < 0; i++)
        if (((PCFROW *)SendMessageA(List(d), LB_GETITEMDATA, (WPARAM)i, 0))->flags & FLTR_FLASH)
            at = i;
    ASSERT_GE(at, 0);
    EXPECT_TRUE(d->markFlags & DM_FLASHING);
    int top = (int)SendMessageA(List(d), LB_GETTOPINDEX, 0, 0);
    int height = (int)SendMessageA(List(d), LB_GETITEMHEIGHT, 0, 0);
    int y = (at - top) * height + height / 2;
    auto pixel = [&] {
        int w = 0, h = 0;
        std::vector<uint32_t> px = Capture(List(d), &w, &h);
        return y >= 0 && y < h && w > 3 ? PixelAt(px, w, 3, y) : 0u;
    };
    /* the row's pixel in each phase of the flash clock: read, then read
       again once the phase has turned (Capture paints it with the phase
       its own pumping leaves) */
    std::map<int, uint32_t> looks;
    for (;;) {
        uint32_t px = pixel();
        int phase = PCFFlashPhase;
        looks[phase] = px;
        if (looks.size() == 2)
            break;
        ASSERT_TRUE(PumpUntil([phase] { return PCFFlashPhase != phase; })) << "the flash phase never turned";
    }
    EXPECT_NE(looks[0], looks[1]) << "the flashing row looked the same in both phases";
    /* a filter without flash stops it */
    Filter(d, "1");
    EXPECT_FALSE(d->markFlags & DM_FLASHING);
    Close(d);
}

TEST_F(EndToEnd, AnErrorInANamedFilterOpensTheManager)
{
    FILKEY *named = nullptr;
    ASSERT_EQ(FltStoreEntry("BROKEN", "curdepth >", 1, 0, &named), 0);
    DialogWords *d = Queues();
    Filter(d, "$BROKEN");
    EXPECT_NE(FltManagerWindow(), nullptr);
    FltCloseDialog();
    FltDeleteEntry(named);
    Close(d);
}

TEST_F(EndToEnd, AMessageList)
{
    dlgtest::StandinMqsc("FLTQM", "DEFINE QLOCAL(MSGS)\n");
    /* messages of 10, 200 and 3000 bytes put by the stand-in's tool */
    DialogWords *d = Open(&PCFMessageListDef, &loc->q);
    PCFSetFieldText(d, MQCA_Q_NAME, "MSGS");
    SendMessageA((HWND)d->window, WM_COMMAND, 1, 0);
    Settle();
    int all = Rows(d);
    Filter(d, "msglen > 100");
    EXPECT_LE(Rows(d), all);
    Close(d);
}

/* Messages put to a queue of the stand-in. */
void PutMessages(const char *qmgr, const char *queue, int count)
{
    MQHCONN h;
    MQHOBJ q;
    MQLONG cc, rc;
    char name[MQ_Q_MGR_NAME_LENGTH];
    memset(name, ' ', sizeof name);
    memcpy(name, qmgr, strlen(qmgr));
    MQCONN(name, &h, &cc, &rc);
    ASSERT_EQ(rc, 0);
    MQOD od = { MQOD_DEFAULT };
    memset(od.ObjectName, ' ', sizeof od.ObjectName);
    memcpy(od.ObjectName, queue, strlen(queue));
    MQOPEN(h, &od, MQOO_OUTPUT, &q, &cc, &rc);
    ASSERT_EQ(rc, 0);
    for (int i = 0; i < count; i++) {
        MQMD md = { MQMD_DEFAULT };
        MQPMO pmo = { MQPMO_DEFAULT };
        pmo.Options = MQPMO_NO_SYNCPOINT;
        MQPUT(h, q, &md, &pmo, 4, (PMQVOID) "deep", &cc, &rc);
        ASSERT_EQ(rc, 0);
    }
    MQCLOSE(h, &q, MQCO_NONE, &cc, &rc);
    MQDISC(&h, &cc, &rc);
}

/* A filter on one attribute is the WHERE condition of the list's
 * requests, on a PCF location and on an mvs (z/OS) one: the queue
 * manager sends only the rows the filter can show (the list area holds
 * just them), the title says so, and without the filter every row is
 * asked for again. */
TEST_F(EndToEnd, AFilterOnOneAttributeIsTheWhereOfTheListRequests)
{
    const char *const queues = "DEFINE QLOCAL(APP.DEEP)\nDEFINE QLOCAL(APP.EMPTY)\n";
    dlgtest::StandinMqsc("FLTWQM", queues);
    dlgtest::StandinMqsc("FLTZQM", std::string("ALTER QMGR PLATFORM(MVS) CMDLEVEL(910)\n") + queues);
    Location pcf("FLTWQM"), zos("FLTZQM");
    zos.q.flags |= LF_MVS;
    zos.q.platform = MQPL_ZOS;
    zos.q.commandLevel = 910;
    CapSetForQmgr(zos.q.caps, MQPL_ZOS, 910);
    for (QMS *q : { &pcf.q, &zos.q }) {
        SCOPED_TRACE(q->qmName);
        PutMessages(q->qmName, "APP.DEEP", 11);
        DialogWords *d = Open(&PCFQueueListDef, q);
        PCFSetFieldText(d, MQCA_Q_NAME, "APP.*");
        Filter(d, "curdepth > 10");                 /* applied, and the list asked for under it */
        Settle();
        EXPECT_EQ(Rows(d), 1);
        ASSERT_NE(d->first.replyArea, nullptr);
        EXPECT_EQ(d->first.replyArea->rows, 1u);
        char title[200];
        GetWindowTextA((HWND)d->window, title, sizeof title);
        EXPECT_NE(strstr(title, "[WHERE Active]"), nullptr) << title;
        Filter(d, "");
        EXPECT_EQ(d->whereFilter, nullptr);
        Settle();
        EXPECT_EQ(Rows(d), 2);
        Close(d);
    }
}

}  // namespace
