/* The editor pane on 10 MB messages (a text body and a PCF message):
 * opening (the count and the first display run, and on Windows the paint
 * of the first screen), then Ctrl+End (the last screen); beside the
 * formatter alone formatting the same message into a counting sink in
 * the same run.  Each figure is given in formatter runs.
 *   pane_bench [MB] [--check]   (10 MB by default; target: opening within
 *   2 formatter runs) */
#include "benchcheck.h"
#include "edpane.h"
#include "edbytes.h"
#include "benchmsgs.h"
#include "qms.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#ifdef _WIN32
#include "edhost.h"
#include "tkharness.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;
static double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

struct Count { uint64_t lines = 0; };

uint32_t CountSink(uint64_t context, FmtLineRec *, char *, uint32_t)
{
    ((Count *)(uintptr_t)context)->lines++;
    return 0;
}

/* The formatter alone: descriptor and data into a counting sink, text
 * built (or, with countOnly, suppressed as the pane's line count does). */
double FormatterAlone(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body,
                      uint32_t width, uint64_t *lines, int countOnly = 0)
{
    Count c;
    FmtMsgInfo m = {};
    m.encoding = 546;
    m.ccsid = 850;
    FmtLineRec lr = {};
    lr.flags = 3 | VW_FORMATTED | VW_SHOW_MD | (countOnly ? LR_NO_TEXT : 0);
    lr.options = LO_KEEP_ENCODING;
    lr.width = width;
    auto t = Clock::now();
    FapFormatMessage(md.data(), (uint32_t)md.size(), body.data(), (uint32_t)body.size(), &m, CountSink,
                     (uint64_t)(uintptr_t)&c, &lr);
    *lines = c.lines;
    return Since(t);
}

using Headless = EdHeadlessPane;

void Report(const char *what, double seconds, double formatter, uint32_t counts, uint32_t displays)
{
    printf("  %-28s %8.3f s  %5.2f formatter runs  (%u counts, %u display runs)\n", what, seconds,
           seconds / formatter, counts, displays);
}

void RunHeadless(const char *name, const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    uint64_t lines;
    double alone = FormatterAlone(md, body, 100, &lines);
    double counting = FormatterAlone(md, body, 100, &lines, 1);
    Headless h;
    h.Fill(md, body);
    auto t = Clock::now();
    EdReload(h.ed);
    EdBuildLineData(h.ed, 1);
    double open = Since(t);
    uint32_t c0 = h.ed->countRuns, d0 = h.ed->displayRuns;
    t = Clock::now();
    edHost.keyDown = [](int key) { return key == ED_KEY_CONTROL ? 1 : 0; };
    EdKeyDown(h.ed, 35);
    EdHostDefaults(&edHost);
    double end = Since(t);
    printf("%s, %.1f MB, %llu lines; formatter alone %.3f s (count only %.3f s, %.2f runs)\n", name,
           body.size() / 1048576.0, (unsigned long long)lines, alone, counting, counting / alone);
    Report("open (no window)", open, alone, c0, d0);
    BenchTarget(name, open / alone, 2);
    Report("Ctrl+End (no window)", end, alone, h.ed->countRuns - c0, h.ed->displayRuns - d0);
    if (h.ed->cursor.line != h.ed->scroll.lineCount - 1)
        printf("  ** the cursor is not on the last line\n");
}

#ifdef _WIN32
void RunWindow(const char *name, const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    EdHostDialog &host = SharedHost();
    if (!host.pane) {
        printf("no window could be made (run with a display and RAVOLT_NEEDS_DISPLAY=1)\n");
        return;
    }
    ResetHost(host);
    int cell = edHost.cellWidth(host.ed, 850);
    uint64_t lines;
    double alone = FormatterAlone(md, body, (uint32_t)(host.ed->width / (cell ? cell : 8)), &lines);
    uint32_t c0 = host.ed->countRuns, d0 = host.ed->displayRuns;
    host.Fill(md, body);
    auto t = Clock::now();
    /* To the pane, as reply processing hands it a new message: the dialog
     * itself would only pass on whether it took data over. */
    PostMessageA(host.pane, UM_PCF_UPDATE_DIALOG, 0, 1);
    PumpWith(&host);
    UpdateWindow(host.pane);
    double open = Since(t);
    uint32_t c1 = host.ed->countRuns, d1 = host.ed->displayRuns;
    t = Clock::now();
    Key(host.pane, VK_END, false, true);
    UpdateWindow(host.pane);
    PumpWith(&host);
    double end = Since(t);
    printf("%s in the window; formatter alone %.3f s\n", name, alone);
    Report("open and paint", open, alone, c1 - c0, d1 - d0);
    if (c1 == c0)
        printf("  ** the pane did not count the message: nothing was measured\n");
    else
        BenchTarget((std::string(name) + " in the window").c_str(), open / alone, 2);
    Report("Ctrl+End and paint", end, alone, host.ed->countRuns - c1, host.ed->displayRuns - d1);
}
#endif

}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    const size_t size = (size_t)BenchCount(argc, argv, 1, 10) * 1024 * 1024;
    std::vector<unsigned char> text = BenchTextBody(size), pcf = BenchPcfBody(size);
    RunHeadless("text message", BenchDescriptor("MQSTR   "), text);
    RunHeadless("PCF message", BenchDescriptor("MQADMIN "), pcf);
#ifdef _WIN32
    if (getenv("RAVOLT_NEEDS_DISPLAY")) {
        RunWindow("text message", BenchDescriptor("MQSTR   "), text);
        RunWindow("PCF message", BenchDescriptor("MQADMIN "), pcf);
    }
#endif
    return BenchExit();
}
