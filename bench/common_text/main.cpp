/* Benchmark: a buffer of ASCII text (100 MB, or the size in MB given
 * first; --check: exit code 1 when the hex dump is above 6 x memcpy) converted to EBCDIC in place
 * (through the system's code page where it has one, and through the own
 * tables), and formatted as hex dump lines, each timed beside a plain
 * memcpy of the same buffer in the same run.  Prints times and ratios. */
#include "benchcheck.h"
#include "cscodepage.h"
#include "cscpint.h"
#include "cstext.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

static size_t BUFFER_BYTES = 100u * 1024 * 1024;
#define ROUNDS 3

typedef void (*Work)(void *context);

struct Buffers {
    std::vector<unsigned char> source, target;
    unsigned checksum;
    int toCcsid;
};

/* Best of ROUNDS, in seconds; the target is refreshed before each round. */
static double Time(Work work, Buffers *b)
{
    double best = 1e9;
    for (int r = 0; r < ROUNDS; r++) {
        memcpy(b->target.data(), b->source.data(), BUFFER_BYTES);
        auto start = std::chrono::steady_clock::now();
        work(b);
        std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
        if (d.count() < best)
            best = d.count();
        b->checksum += b->target[(r * 4099) % BUFFER_BYTES];
    }
    return best;
}

static void Copy(void *context)
{
    Buffers *b = (Buffers *)context;
    memcpy(b->target.data(), b->source.data(), BUFFER_BYTES);
}

static void Convert(void *context)
{
    Buffers *b = (Buffers *)context;
    unsigned char bad;
    int rc = CSConvertCodepage(b->target.data(), BUFFER_BYTES, 819, b->toCcsid, nullptr, &bad);
    if (rc) {
        fprintf(stderr, "conversion failed: %d at byte %02X\n", rc, bad);
        exit(1);
    }
}

/* The formatter's layout for an 80-character line: 24 bytes a line. */
static void HexDump(void *context)
{
    Buffers *b = (Buffers *)context;
    CSDumpLayout layout = {0, 80, 0, 0, 0};
    CSSetDumpLayout(&layout);
    char line[256];
    const unsigned char *p = b->target.data(), *end = p + BUFFER_BYTES;
    unsigned sum = 0;
    for (; p < end; p += layout.bytesPerLine) {
        int n = end - p < layout.bytesPerLine ? (int)(end - p) : layout.bytesPerLine;
        UTHexDumpLine(p, n, layout.bytesPerLine, line, layout.gap, 0);
        sum += (unsigned char)line[n];
    }
    b->checksum += sum;
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    BUFFER_BYTES = (size_t)BenchCount(argc, argv, 1, 100) * 1024 * 1024;
    Buffers b;
    b.source.resize(BUFFER_BYTES);
    b.target.resize(BUFFER_BYTES);
    b.checksum = 0;
    static const char text[] = "The quick brown fox jumps over the lazy dog 0123456789.\r\n";
    for (size_t i = 0; i < BUFFER_BYTES; i++)
        b.source[i] = (unsigned char)text[i % (sizeof text - 1)];

    double copy = Time(Copy, &b);
    b.toCcsid = 37;
    double conv37 = Time(Convert, &b);
    b.toCcsid = 1047;
    double conv1047 = Time(Convert, &b);
    double dump = Time(HexDump, &b);
    double copy2 = Time(Copy, &b);
    if (copy2 < copy)
        copy = copy2;

    double mb = BUFFER_BYTES / 1048576.0;
    printf("buffer %.0f MB, best of %d rounds (checksum %u)\n", mb, ROUNDS, b.checksum);
    printf("memcpy                     %8.1f ms %8.0f MB/s\n", copy * 1e3, mb / copy);
    printf("convert 819->37            %8.1f ms %8.0f MB/s  ratio %.1f x memcpy (%s)\n",
           conv37 * 1e3, mb / conv37, conv37 / copy,
           CSCpSysHas(37) ? "the system's code page" : "own table");
    printf("convert 819->1047          %8.1f ms %8.0f MB/s  ratio %.1f x memcpy (%s)\n",
           conv1047 * 1e3, mb / conv1047, conv1047 / copy,
           CSCpSysHas(1047) ? "the system's code page" : "own table");
    printf("hex dump lines (24 B/line) %8.1f ms %8.0f MB/s  ratio %.1f x memcpy\n",
           dump * 1e3, mb / dump, dump / copy);
    BenchTarget("hex dump lines", dump / copy, 6);
    return BenchExit();
}
