/* List dialogs benchmark: a Queue List dialog given a list area of 10,000
 * queues and a Message List dialog given one of 100,000 messages, each
 * rebuilt by PCFUpdateList (sort keys, sort, the split list filled, the
 * columns measured), and a full repaint of the list with the top row at
 * the start, the middle and the end; beside a plain LISTBOX of the same
 * size given the same row texts in their final order, and repainted at
 * the same places, in the same run.  A repaint of the split list repaints
 * its list window's frame (the scroll bars) with it, so the list box is
 * repainted with its frame too; each place is repainted a few times and
 * the best time kept, on both sides.
 *   bench_lists [queues] [rounds] [--check]   (10,000 queues and ten times
 *   as many messages, 3 rounds by default; needs a display; targets: the
 *   rebuild within 2 x, a repaint within 3 x the list box) */
#include "benchcheck.h"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cs.h"
#include "mqi.h"
#include "pcflistwin.h"
#include "pcfwin.h"
#include "tkcontrols.h"

static double Now(void)
{
    static LARGE_INTEGER f;
    if (!f.QuadPart)
        QueryPerformanceFrequency(&f);
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart / (double)f.QuadPart;
}

static void Pump(void)
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
}

/* ---- replies ---- */

struct Reply {
    std::string data;
    int32_t count = 0;
    explicit Reply(int32_t command)
    {
        MQLONG h[9] = { MQCFT_RESPONSE, 36, 1, command, 1, MQCFC_LAST, 0, 0, 0 };
        data.assign((const char *)h, sizeof h);
    }
    void Words(std::initializer_list<int32_t> w)
    {
        for (int32_t v : w)
            data.append((const char *)&v, 4);
        count++;
    }
    void Int(int32_t id, int32_t v) { Words({ MQCFT_INTEGER, 16, id, v }); }
    void Str(int32_t id, const std::string &s)
    {
        int32_t len = (int32_t)((20 + s.size() + 3) & ~3u);
        Words({ MQCFT_STRING, len, id, 0, (int32_t)s.size() });
        data += s;
        data.append((size_t)len - 20 - s.size(), '\0');
    }
    void Bytes(int32_t id, const std::string &b)
    {
        int32_t len = (int32_t)((16 + b.size() + 3) & ~3u);
        Words({ MQCFT_BYTE_STRING, len, id, (int32_t)b.size() });
        data += b;
        data.append((size_t)len - 16 - b.size(), '\0');
    }
    void Separator() { Int(301162, 0); }
    void Done() { memcpy(&data[32], &count, 4); }
};

/* Queues in a scrambled order, mixed depths and types. */
static Reply Queues(int n)
{
    Reply r(MQCMD_INQUIRE_Q);
    char name[48];
    for (int i = 0; i < n; i++) {
        if (i)
            r.Separator();
        int k = (int)(((int64_t)i * 7919) % n);
        snprintf(name, sizeof name, "APP.%s.QUEUE.%06d", k % 3 ? "ORDERS" : "PAYMENTS", k);
        r.Str(MQCA_Q_NAME, name);
        r.Int(MQIA_Q_TYPE, k % 5 ? MQQT_LOCAL : MQQT_ALIAS);
        r.Int(MQIA_CURRENT_Q_DEPTH, (k * 37) % 100000);
    }
    r.Done();
    return r;
}

/* Messages: position, id, format, length, summary, code page, encoding. */
static Reply Messages(int n, int32_t command)
{
    Reply r(command);
    char text[64];
    for (int i = 0; i < n; i++) {
        if (i)
            r.Separator();
        r.Int(10033, i + 1);
        std::string id(24, '\0');
        memcpy(&id[0], "AMQ QMBENCH     ", 16);
        memcpy(&id[16], &i, 4);
        r.Bytes(10019, id);
        r.Str(10016, i % 4 ? "MQSTR   " : "MQHRF2  ");
        r.Int(10035, 100 + (i * 131) % 50000);
        snprintf(text, sizeof text, "order %d for customer %d", i, (i * 17) % 9973);
        r.Str(10034, text);
        r.Int(10015, 1208);
        r.Int(10014, 273);
    }
    r.Done();
    return r;
}

/* ---- the two sides ---- */

static HWND Parent;

static DialogWords *OpenList(PCFCommandDef *def)
{
    DialogWords t = {};
    t.definition = def;
    t.optionFlags = DO_CHILD;
    DialogWords *d = PCFCommandDialog(nullptr, Parent, &t, nullptr);
    Pump();
    if (d)
        MoveWindow(PCFWnd(d->window), 0, 0, 900, 700, TRUE);
    Pump();
    return d;
}

/* The reply filled into an area the way the reply thread does; the
 * posted hand-over is taken off the queue. */
static int Fill(DialogWords *d, const Reply &r, MSG *handOver)
{
    if (FillListArea(d, nullptr, &d->first, (const uint8_t *)r.data.data(), (uint32_t)r.data.size(), 0))
        return 0;
    return PeekMessageA(handOver, PCFWnd(d->window), UM_PCF_UPDATE_LIST, UM_PCF_UPDATE_LIST, PM_REMOVE);
}

static HWND ListOf(DialogWords *d)
{
    return PCFWnd(d->rightList);
}

#define REPAINTS 3

static double Repaint(HWND list, HWND frame, int top, UINT extra)
{
    SendMessageA(list, LB_SETTOPINDEX, (WPARAM)top, 0);
    Pump();
    double best = 1e9;
    for (int i = 0; i < REPAINTS; i++) {
        double t = Now();
        RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | extra);
        t = Now() - t;
        if (t < best)
            best = t;
    }
    return best;
}

struct Result {
    double fill = 1e9, base = 1e9, paint[3] = { 1e9, 1e9, 1e9 }, basePaint[3] = { 1e9, 1e9, 1e9 };
};

static void Min(double *at, double v)
{
    if (v < *at)
        *at = v;
}

static void Measure(const char *what, PCFCommandDef *def, const Reply &reply, int rounds)
{
    Result r;
    DialogWords *d = OpenList(def);
    if (!d) {
        printf("%s: the dialog did not open\n", what);
        return;
    }
    HWND plain = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT |
                                     LBS_NOTIFY | LBS_EXTENDEDSEL,
                                 0, 0, 900, 700, Parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(plain, WM_SETFONT, SendMessageA(ListOf(d), WM_GETFONT, 0, 0), 0);
    std::vector<std::string> texts;
    uint32_t rows = 0;
    for (int i = 0; i < rounds; i++) {
        MSG m;
        if (!Fill(d, reply, &m)) {
            printf("%s: the reply did not fill\n", what);
            break;
        }
        ShowWindow(plain, SW_HIDE);
        ShowWindow(PCFWnd(d->window), SW_SHOW);
        Pump();
        double t = Now();
        PCFUpdateList(d, 0, nullptr, 1, m.wParam, (PCFLISTAREA *)m.lParam);
        Pump();
        Min(&r.fill, Now() - t);
        PCFLISTSTATE *st = PCFListState(d);
        rows = st ? st->count : 0;
        if (texts.empty())
            for (uint32_t k = 0; k < rows; k++) {
                char line[2048];
                int n = PCFRowText(d, st->rows[k].row, line, sizeof line);
                texts.emplace_back(line, (size_t)(n > 0 ? n : 0));
            }
        int tops[3] = { 0, (int)rows / 2, (int)rows > 30 ? (int)rows - 30 : 0 };
        for (int k = 0; k < 3; k++)
            Min(&r.paint[k], Repaint(ListOf(d), PCFWnd(d->splitList), tops[k], 0));
        /* the plain list box: the same texts in final order */
        ShowWindow(PCFWnd(d->window), SW_HIDE);
        ShowWindow(plain, SW_SHOW);
        Pump();
        t = Now();
        SendMessageA(plain, WM_SETREDRAW, FALSE, 0);
        SendMessageA(plain, LB_RESETCONTENT, 0, 0);
        for (const std::string &s : texts)
            SendMessageA(plain, LB_ADDSTRING, 0, (LPARAM)s.c_str());
        SendMessageA(plain, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(plain, nullptr, TRUE);
        Pump();
        Min(&r.base, Now() - t);
        for (int k = 0; k < 3; k++)
            Min(&r.basePaint[k], Repaint(plain, plain, tops[k], RDW_FRAME));
    }
    printf("%-13s %7u rows  rebuild %8.2f ms  list box %8.2f ms  ratio %5.2f\n", what, rows, r.fill * 1e3,
           r.base * 1e3, r.fill / r.base);
    BenchTarget((std::string(what) + " rebuild").c_str(), r.fill / r.base, 2);
    static const char *const places[] = { "top", "middle", "end" };
    for (int k = 0; k < 3; k++)
        printf("%-13s repaint at %-6s %7.2f ms  list box %7.2f ms  ratio %5.2f\n", what, places[k],
               r.paint[k] * 1e3, r.basePaint[k] * 1e3, r.paint[k] / r.basePaint[k]);
    for (int k = 0; k < 3; k++)
        BenchTarget((std::string(what) + " repaint at " + places[k]).c_str(), r.paint[k] / r.basePaint[k], 3);
    DestroyWindow(plain);
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    Pump();
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    long count = BenchCount(argc, argv, 1, 10000);
    int rounds = (int)BenchCount(argc, argv, 2, 3);
    RegisterControlClasses(nullptr);
    if (!PCFRegisterClasses())
        return 1;
    PCFInitCommandDefs();
    PCFWinPrefsDefaults();
    PCFListPrefsDefaults();
    PCFHOOKS h = {};
    PCFWindowHooks(&h);
    PCFSetHooks(&h);
    PCFSetMonitors(1, 1);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RVOLTLISTBENCH";
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    Parent = CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                             940, 760, nullptr, nullptr, wc.hInstance, nullptr);
    Pump();
    Reply queues = Queues((int)count);
    Measure("Queue List", &PCFQueueListDef, queues, rounds);
    int32_t command = PCFMessageListDef.actions && PCFMessageListDef.actions[0].command
                          ? (int32_t)PCFMessageListDef.actions[0].command
                          : 10001;
    Reply messages = Messages((int)count * 10, command);
    Measure("Message List", &PCFMessageListDef, messages, rounds);
    DestroyWindow(Parent);
    return BenchExit();
}
