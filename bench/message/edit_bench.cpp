/* Editing 10 MB messages in the pane without a window: one character
 * typed into a text message and into a string of a PCF message (its
 * StringLength and StrucLength rewritten), then undone; each keystroke and
 * each Undo timed beside one counting run of the formatter over the same
 * message (the line count the pane makes after a change), in the same
 * run.  Each figure is given in counting runs.
 *   edit_bench [MB] [--check]   (10 MB by default; target: each within 2
 *   counting runs) */
#include "benchcheck.h"
#include "edpane.h"
#include "edops.h"
#include "edbytes.h"
#include "benchmsgs.h"
#include "fmtint.h"
#include "qms.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

struct Headless : EdHeadlessPane {
    Headless(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
    {
        ed->insertMode = 1;
        Fill(md, body);
        EdReload(ed);
        EdBuildLineData(ed, 1);
    }
};

/* The first line from the middle of the message whose text holds the piece. */
int32_t LineFromMiddle(PCFDATA *ed, const char *piece)
{
    for (int32_t i = ed->scroll.lineCount / 2; i < ed->scroll.lineCount; i++) {
        LINEDATA *l = EdGetLine(ed, i);
        if (l && l->text && std::string(l->text, l->textLength).find(piece) != std::string::npos)
            return i;
    }
    return -1;
}

void Run(const char *name, const std::vector<unsigned char> &md, const std::vector<unsigned char> &body,
         const char *piece, int pcf)
{
    const int keys = 10;
    Headless h(md, body);
    PCFDATA *ed = h.ed;
    auto t = Clock::now();
    EdCountLines(ed);
    double counting = Since(t);
    int32_t line = LineFromMiddle(ed, piece);
    if (line < 0) {
        printf("%s: no line with \"%s\"\n", name, piece);
        return;
    }
    LINEDATA *l = EdGetLine(ed, line);
    uint32_t structAt = l->structOffset;
    EdMoveCursor(ed, 0, 0, MC_GOTO, l->valueColumn + 2, line);
    uint32_t length = ed->data.length;
    int32_t strucLength = pcf ? (int32_t)FmtRd32(ed->data.data + structAt + 4, 546) : 0;
    double typing = 0, undoing = 0;
    for (int k = 0; k < keys; k++) {
        t = Clock::now();
        EdCharProc(ed, 'x');
        typing += Since(t);
    }
    int grown = (int)(ed->data.length - length);
    int32_t strucNow = pcf ? (int32_t)FmtRd32(ed->data.data + structAt + 4, 546) : 0;
    for (int k = 0; k < keys; k++) {
        t = Clock::now();
        EdUndo(ed, 0);
        undoing += Since(t);
    }
    typing /= keys;
    undoing /= keys;
    printf("%s, %.1f MB, %d lines: one counting run %.4f s\n", name, body.size() / 1048576.0,
           (int)ed->scroll.lineCount, counting);
    printf("  keystroke  %8.4f s  %6.2f counting runs\n", typing, typing / counting);
    printf("  undo       %8.4f s  %6.2f counting runs\n", undoing, undoing / counting);
    BenchTarget((std::string(name) + " keystroke").c_str(), typing / counting, 2);
    BenchTarget((std::string(name) + " undo").c_str(), undoing / counting, 2);
    printf("  %d keystrokes grew the data by %d bytes", keys, grown);
    if (pcf)
        printf(", the string's StrucLength %d -> %d", strucLength, strucNow);
    printf("; after the undos the data is %s\n", ed->data.length == length ? "as before" : "NOT as before");
}

}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    const size_t size = (size_t)BenchCount(argc, argv, 1, 10) * 1024 * 1024;
    Run("text message", BenchDescriptor("MQSTR   "), BenchTextBody(size), "The formatter", 0);
    Run("PCF message", BenchDescriptor("MQADMIN "), BenchPcfBody(size), "String  ", 1);
    return BenchExit();
}
