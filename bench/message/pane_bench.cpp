/* The editor pane on 10 MB messages (a text body and a PCF message):
 * opening (the count and the first display run, and on Windows the whole
 * open as the message dialog's window takes a reply's message over, with
 * its menu state, scroll bar and paint), then Ctrl+End (the last screen);
 * beside the formatter alone formatting the same message into a counting
 * sink in the same run.  Each figure is given in formatter runs; an open
 * and the formatter alone are each timed five times in turn, each open
 * after an empty message, and their medians compared.
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
#include <algorithm>
#include <vector>
#ifdef _WIN32
#include "edhost.h"
#include "csmem.h"
#include "dialogs.h"
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

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void RunHeadless(const char *name, const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    uint64_t lines;
    double counting = FormatterAlone(md, body, 100, &lines, 1);
    /* five of each in turn, the medians compared (one cold run of either
     * swings with the machine); each open follows an empty message, as
     * stepping from one message to another does */
    Headless h;
    const std::vector<unsigned char> none;
    std::vector<double> alones, opens;
    uint32_t counts = 0, displays = 0;
    for (int i = 0; i < 5; i++) {
        alones.push_back(FormatterAlone(md, body, 100, &lines));
        h.Fill(md, none);
        EdReload(h.ed);
        EdBuildLineData(h.ed, 1);
        h.Fill(md, body);
        uint32_t c = h.ed->countRuns, d = h.ed->displayRuns;
        auto t = Clock::now();
        EdReload(h.ed);
        EdBuildLineData(h.ed, 1);
        opens.push_back(Since(t));
        counts += h.ed->countRuns - c;
        displays += h.ed->displayRuns - d;
    }
    double alone = Median(alones), open = Median(opens);
    uint32_t c0 = h.ed->countRuns, d0 = h.ed->displayRuns;
    auto t = Clock::now();
    edHost.keyDown = [](int key) { return key == ED_KEY_CONTROL ? 1 : 0; };
    EdKeyDown(h.ed, 35);
    EdHostDefaults(&edHost);
    double end = Since(t);
    printf("%s, %.1f MB, %llu lines; formatter alone %.3f s, median of 5 (count only %.3f s, %.2f runs)\n", name,
           body.size() / 1048576.0, (unsigned long long)lines, alone, counting, counting / alone);
    Report("open (no window, median of 5)", open, alone, counts, displays);
    BenchTarget(name, open / alone, 2);
    Report("Ctrl+End (no window)", end, alone, h.ed->countRuns - c0, h.ed->displayRuns - d0);
    if (h.ed->cursor.line != h.ed->scroll.lineCount - 1)
        printf("  ** the cursor is not on the last line\n");
}

#ifdef _WIN32
/* A message as reply processing leaves it for the dialog's window: a
 * copy of the dialog's area holding the message, pending until the
 * window takes it over (not timed: the reply thread's work). */
void LeavePending(EdHostDialog &host, const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    DialogWords *d = host.d;
    PCFCommandDef *def = d->definition;
    PCFPENDING *p = (PCFPENDING *)CSGetMem(sizeof *p, "PCFPENDING");
    uint8_t *area = (uint8_t *)CSGetMem(def->dataSize ? def->dataSize : 1, "PCFDATA");
    memset(p, 0, sizeof *p);
    memset(area, 0, def->dataSize);
    PCFCopyData(def, area, d->dataArea);
    PCFFieldEntry *mdField = PCFFindField(d, PCFDialogCaps(d), def->fields, ATTR_MSGDESCRIPTOR);
    PCFFieldEntry *dataField = PCFFindField(d, PCFDialogCaps(d), def->fields, ATTR_FULLMESSAGE);
    FillMessageRecords(area + mdField->offset, area + dataField->offset, md, body);
    p->area = area;
    p->definition = def;
    PCFFreePending(d->pending);
    d->pending = p;
}

/* One open as the user meets it: the dialog window told that a reply
 * left a message (10004 with the area taken over, as reply processing
 * posts it), its pane counting and showing it, the window painted. */
double OpenInWindow(EdHostDialog &host, const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    LeavePending(host, md, body);
    auto t = Clock::now();
    PostMessageA(host.window, UM_PCF_UPDATE_DIALOG, 0, 1);
    PumpWith(&host);
    UpdateWindow(host.window);
    return Since(t);
}

void RunWindow(const char *name, const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    EdHostDialog &host = SharedHost();
    if (!host.pane) {
        printf("no window could be made (run with a display and RAVOLT_NEEDS_DISPLAY=1)\n");
        return;
    }
    ResetHost(host);
    int cell = edHost.cellWidth(host.ed, 850);
    uint32_t width = (uint32_t)(host.ed->width / (cell ? cell : 8));
    uint64_t lines;
    /* Five of each, the median taken (a single run of a millisecond is
     * mostly noise).  Before each open the dialog shows an empty message,
     * so that every open changes the scroll bar, the caption and the
     * menu state as stepping from one message to another does (the same
     * message again would find them all as they are). */
    std::vector<double> alone, opens;
    const std::vector<unsigned char> none;
    uint32_t counts = 0, displays = 0;
    for (int i = 0; i < 5; i++) {
        alone.push_back(FormatterAlone(md, body, width, &lines));
        OpenInWindow(host, md, none);
        uint32_t c0 = host.ed->countRuns, d0 = host.ed->displayRuns;
        opens.push_back(OpenInWindow(host, md, body));
        counts += host.ed->countRuns - c0;
        displays += host.ed->displayRuns - d0;
    }
    double formatter = Median(alone), open = Median(opens);
    uint32_t c1 = host.ed->countRuns, d1 = host.ed->displayRuns;
    auto t = Clock::now();
    Key(host.pane, VK_END, false, true);
    UpdateWindow(host.pane);
    PumpWith(&host);
    double end = Since(t);
    printf("%s in the window; formatter alone %.4f s (median of 5)\n", name, formatter);
    Report("open and paint (median of 5)", open, formatter, counts, displays);
    if (counts < 5 || host.ed->scroll.lineCount != (int32_t)lines)
        printf("  ** the pane did not count the message (%d lines, the formatter %llu): nothing was measured\n",
               host.ed->scroll.lineCount, (unsigned long long)lines);
    else
        BenchTarget((std::string(name) + " in the window").c_str(), open / formatter, 2);
    Report("Ctrl+End and paint", end, formatter, host.ed->countRuns - c1, host.ed->displayRuns - d1);
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
