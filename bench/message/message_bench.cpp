/* Formats a 10 MB text message, a 10 MB PCF message (also counting lines
 * only, as the editor's line count does), a 10 MB body of unknown format
 * (shown as hex) and 10 MB of records described by a user structure
 * repeated with "*", each into a counting sink and, in the same run, dumps
 * the same bytes as plain 16-byte hex lines; prints the ratios.
 *   message_bench [MB] [case] [--check]   (10 MB by default; a case name
 *   runs only the cases whose name holds it) */
#include "benchcheck.h"
#include "fapparse.h"
#include "benchmsgs.h"
#include "userfmt.h"
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

/* The formatter hands each line to its sink through a pointer; so does the
 * baseline (through one the compiler cannot see through). */
uint32_t (*volatile BaselineSink)(uint64_t, FmtLineRec *, char *, uint32_t) = CountSink;

/* The baseline: 16 bytes a line, offset, hex digits then characters,
 * each byte through a table (no formatted printing). */
Count PlainHexDump(const std::vector<unsigned char> &data)
{
    static const char hex[] = "0123456789ABCDEF";
    static char pairs[256][2], shown[256];
    if (!shown[0])
        for (int b = 0; b < 256; b++) {
            pairs[b][0] = hex[b >> 4];
            pairs[b][1] = hex[b & 15];
            shown[b] = b >= 0x20 && b < 0x7F ? (char)b : '.';
        }
    Count c;
    char line[128];
    for (size_t at = 0; at < data.size(); at += 16) {
        size_t n = data.size() - at < 16 ? data.size() - at : 16, o = 0;
        for (int shift = 28; shift >= 0; shift -= 4)
            line[o++] = hex[(at >> shift) & 15];
        line[o++] = ' ';
        line[o++] = ' ';
        for (size_t i = 0; i < 16; i++) {
            if (i < n) { memcpy(line + o, pairs[data[at + i]], 2); }
            else { line[o] = ' '; line[o + 1] = ' '; }
            o += 2;
            if ((i & 3) == 3) line[o++] = ' ';
        }
        for (size_t i = 0; i < n; i++)
            line[o++] = shown[data[at + i]];
        line[o] = 0;
        BaselineSink((uint64_t)(uintptr_t)&c, nullptr, line, (uint32_t)o);
    }
    return c;
}

template <class F> double Best(F f, int rounds = 11)
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

/* Records of a user structure: id, name, amount, quantity. */
std::vector<unsigned char> RecordBody(size_t size)
{
    std::vector<unsigned char> b;
    for (uint32_t id = 0; b.size() + 22 <= size; id++) {
        BenchPut32(b, id);
        const char *name = "WIDGET.NAME ";
        b.insert(b.end(), name, name + 12);
        unsigned char amount[4] = { 0x00, 0x12, 0x34, 0x5C };
        b.insert(b.end(), amount, amount + 4);
        b.push_back((unsigned char)id);
        b.push_back(0);
    }
    return b;
}

std::string RecordFile;      /* removed at the end */

/* Loads the user structure "All" (records repeated with "*"). */
FmtStructDef *RecordStructure()
{
    static uint32_t options = UF_OPT_ALLOW;
    std::string dir = std::filesystem::temp_directory_path().string();
    std::string file = dir + "/ravolt_bench_records.fmt";
    FILE *f = fopen(file.c_str(), "wb");
    if (!f)
        return nullptr;
    fputs("struct Rec ; A record\n{\n int id;\n char name[12];\n packed (5.2) amount;\n short qty;\n}\n"
          "struct All ; Records\n{\n struct Rec recs[*];\n}\nqueue BENCH {\n struct All;\n}\n", f);
    fclose(f);
    static std::string name = file;
    RecordFile = file;
    UFPREFS p = { &options, name.c_str(), "", 850 };
    UFSetPreferences(&p);
    UFLoadFormats(nullptr, 0);
    UFMatchState s = {};
    return UFFindFormat(0, "BENCH", 5, nullptr, 0, &s);
}

double Run(const char *name, const char *format, const std::vector<unsigned char> &body,
           uint32_t flags = 0, FmtStructDef *def = nullptr)
{
    std::vector<unsigned char> md = BenchDescriptor(format);
    Count fc, hc;
    double tf = Best([&] {
        fc = Count();
        FmtMsgInfo m = {};
        m.encoding = 546;
        m.ccsid = 850;
        FmtLineRec lr = {};
        lr.flags = 3 | flags;
        lr.width = 100;
        if (def) {
            const unsigned char *p = body.data();
            uint32_t rem = (uint32_t)body.size();
            FapFormatStructure(&m, def, nullptr, CountSink, (uint64_t)(uintptr_t)&fc, &lr, &rem, &p);
        } else {
            FapFormatMessage(md.data(), (uint32_t)md.size(), body.data(), (uint32_t)body.size(), &m, CountSink,
                             (uint64_t)(uintptr_t)&fc, &lr);
        }
    });
    double th = Best([&] { hc = PlainHexDump(body); });
    double mb = body.size() / 1048576.0;
    printf("%-14s %6.1f MB  format %8.3f s (%7.1f MB/s, %9llu lines)  hex dump %7.3f s (%7.1f MB/s, %8llu lines)  ratio %.2f\n",
           name, mb, tf, mb / tf, (unsigned long long)fc.lines, th, mb / th, (unsigned long long)hc.lines, tf / th);
    return tf / th;
}

}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    long mb = BenchCount(argc, argv, 1, 0);
    const size_t size = (size_t)(mb ? mb : 10) * 1024 * 1024;
    const char *only = argc > (mb ? 2 : 1) ? argv[mb ? 2 : 1] : "";
    auto wanted = [&](const char *name) { return strstr(name, only) != nullptr; };
    if (wanted("text body"))
        Run("text body", "MQSTR   ", BenchTextBody(size));
    if (wanted("PCF message"))
        Run("PCF message", "MQADMIN ", BenchPcfBody(size));
    if (wanted("PCF count only"))
        Run("PCF count only", "MQADMIN ", BenchPcfBody(size), LR_NO_TEXT);
    if (wanted("binary body"))
        Run("binary body", "BINARY  ", BenchTextBody(size));     /* unknown format: hex dump lines */
    if (wanted("user records")) {
        FmtStructDef *def = RecordStructure();
        if (def)
            BenchTarget("user-record formatting", Run("user records", "RECORDS ", RecordBody(size), 0, def), 3);
        else
            printf("user records: the structure did not load\n");
        UFFreeFormats();
        if (!RecordFile.empty())
            remove(RecordFile.c_str());
    }
    return BenchExit();
}
