/* Formats a 10 MB text message, a 10 MB PCF message and a 10 MB body of
 * unknown format (shown as hex) into a counting sink and, in the same run,
 * dumps the same bytes as plain 16-byte hex lines; prints the ratios. */
#include "fapparse.h"
#include "benchmsgs.h"
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Count { uint64_t lines = 0, bytes = 0; };

uint32_t CountSink(uint64_t context, FmtLineRec *, char *, uint32_t n)
{
    Count *c = (Count *)(uintptr_t)context;
    c->lines++;
    c->bytes += n;
    return 0;
}

/* The baseline: 16 bytes a line, hex digits then characters. */
Count PlainHexDump(const std::vector<unsigned char> &data)
{
    static const char hex[] = "0123456789ABCDEF";
    Count c;
    char line[128];
    for (size_t at = 0; at < data.size(); at += 16) {
        size_t n = data.size() - at < 16 ? data.size() - at : 16, o = 0;
        o += (size_t)snprintf(line, 16, "%8.8zX  ", at);
        for (size_t i = 0; i < 16; i++) {
            if (i < n) { line[o++] = hex[data[at + i] >> 4]; line[o++] = hex[data[at + i] & 15]; }
            else { line[o++] = ' '; line[o++] = ' '; }
            if ((i & 3) == 3) line[o++] = ' ';
        }
        for (size_t i = 0; i < n; i++) {
            unsigned char ch = data[at + i];
            line[o++] = ch >= 0x20 && ch < 0x7F ? (char)ch : '.';
        }
        line[o] = 0;
        CountSink((uint64_t)(uintptr_t)&c, nullptr, line, (uint32_t)o);
    }
    return c;
}

template <class F> double Best(F f, int rounds = 3)
{
    double best = 1e30;
    for (int i = 0; i < rounds; i++) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (s < best) best = s;
    }
    return best;
}

void Run(const char *name, const char *format, const std::vector<unsigned char> &body)
{
    std::vector<unsigned char> md = BenchDescriptor(format);
    Count fc, hc;
    double tf = Best([&] {
        fc = Count();
        FmtMsgInfo m = {};
        m.encoding = 546;
        m.ccsid = 850;
        FmtLineRec lr = {};
        lr.flags = 3;
        lr.width = 100;
        FapFormatMessage(md.data(), (uint32_t)md.size(), body.data(), (uint32_t)body.size(), &m, CountSink,
                         (uint64_t)(uintptr_t)&fc, &lr);
    });
    double th = Best([&] { hc = PlainHexDump(body); });
    double mb = body.size() / 1048576.0;
    printf("%-12s %6.1f MB  format %8.3f s (%7.1f MB/s, %9llu lines)  hex dump %7.3f s (%7.1f MB/s, %8llu lines)  ratio %.2f\n",
           name, mb, tf, mb / tf, (unsigned long long)fc.lines, th, mb / th, (unsigned long long)hc.lines, tf / th);
}

}

int main()
{
    const size_t size = 10 * 1024 * 1024;
    Run("text body", "MQSTR   ", BenchTextBody(size));
    Run("PCF message", "MQADMIN ", BenchPcfBody(size));
    Run("binary body", "BINARY  ", BenchTextBody(size));     /* unknown format: hex dump lines */
    return 0;
}
