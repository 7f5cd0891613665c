/* Benchmark of MQSC reply parsing: N CSQM401I queue lines (as a z/OS
 * command server sends them, values padded to their fixed lengths)
 * through MQSCResponseToPcf into PCF responses, beside a plain split of
 * the same text into keyword and value pairs, in the same run.
 *
 *   bench_mqsc [N] [--check]     (default 10000; target: 5 x the split) */
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <algorithm>
#include <vector>

#include "benchcheck.h"
#include "cs.h"
#include "mqsc.h"

using Clock = std::chrono::steady_clock;

static double Since(Clock::time_point t)
{
    return std::chrono::duration<double>(Clock::now() - t).count();
}

static std::string Line(int i)
{
    char name[64];
    snprintf(name, sizeof name, "APP.QUEUE.%06d", i);
    std::string n = name;
    n.resize(48, ' ');
    char text[2000];
    snprintf(text, sizeof text,
             "CSQM401I +CSQ1    QUEUE(%s)    TYPE(QLOCAL  )    QSGDISP(QMGR    )    DEFTYPE(PREDEFINED) "
             "   DESCR(Queue number %-51d)    PUT(ENABLED  )    DEFPRTY(         0)    DEFPSIST(NO )"
             "    GET(ENABLED  )    MAXDEPTH(      5000)    MAXMSGL(   4194304)    SHARE    NOTRIGGER"
             "    USAGE(NORMAL  )    CURDEPTH(%10d)    IPPROCS(         0)    OPPROCS(         0)"
             "    INITQ(%-48s)    PROCESS(%-48s)",
             n.c_str(), i, i % 100, "", "");
    return text;
}

/* The baseline: every KEYWORD(value) and bare word found, blanks trimmed. */
static long PlainSplit(const std::string &s)
{
    long items = 0, bytes = 0;
    const char *p = s.c_str() + 15;
    while (*p) {
        while (*p == ' ')
            p++;
        const char *k = p;
        while (*p && *p != ' ' && *p != '(')
            p++;
        if (p == k)
            break;
        if (*p == '(') {
            const char *v = ++p;
            while (*p && *p != ')')
                p++;
            const char *e = p;
            while (e > v && e[-1] == ' ')
                e--;
            bytes += e - v;
            if (*p)
                p++;
        }
        items++;
    }
    return items + bytes;
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    int n = (int)BenchCount(argc, argv, 1, 10000);
    PCFInitCommandDefs();
    std::vector<std::string> lines;
    for (int i = 0; i < n; i++)
        lines.push_back(Line(i));
    double best[2] = { 1e9, 1e9 };
    long params = 0, check = 0;
    for (int round = 0; round < 3; round++) {
        Clock::time_point t = Clock::now();
        check = 0;
        for (const std::string &l : lines)
            check += PlainSplit(l);
        best[0] = std::min(best[0], Since(t));
        IFCMD r = {};
        r.command = MQCMD_INQUIRE_Q;
        r.definition = &PCFQueueListDef;
        t = Clock::now();
        params = 0;
        for (const std::string &l : lines) {
            uint8_t *pcf = nullptr;
            uint32_t length = 0;
            MQSCResponseToPcf(&r, nullptr, (const uint8_t *)l.data(), (uint32_t)l.size(), &pcf, &length);
            if (pcf)
                params += ((MQCFH *)pcf)->ParameterCount;
            CSFreeMemAndClear(&pcf);
        }
        best[1] = std::min(best[1], Since(t));
        MQSCFreeState(&r);
    }
    printf("%d CSQM401I lines (%zu bytes each)\n", n, lines[0].size());
    printf("plain split:         %8.3f ms  (check %ld)\n", best[0] * 1000, check);
    printf("MQSCResponseToPcf:   %8.3f ms  (%ld parameters)\n", best[1] * 1000, params);
    printf("ratio: %.1f x the plain split\n", best[1] / best[0]);
    BenchTarget("MQSC reply conversion", best[1] / best[0], 5);
    return BenchExit();
}
