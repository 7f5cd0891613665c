/* Benchmark of the export of object definitions: a queue list of N
 * queues of the stand-in, with every Queue field as a column, exported as
 * MQSC and as CSV into a file, beside writing the same bytes with plain
 * file calls in the same run.
 *
 *   bench_export [N] [--check]   (default 10000; RAVOLT_MQSIM_HOME or a
 *                                 temp folder; target: 3 x plain writes) */
#include "benchcheck.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "benchask.h"
#include "export.h"
#include "mqsim.h"
#include "prffile.h"
#include "qms.h"

static double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

static PCFLISTAREA *Posted;

static int KeepPosted(void *, void *, uint32_t, uintptr_t, intptr_t lParam)
{
    Posted = (PCFLISTAREA *)lParam;
    return 1;
}

/* One export into a file: its time and size. */
static double Export(DialogWords *dialog, int type, const std::string &path, long *size)
{
    FILE *f = fopen(path.c_str(), "wb");
    EXPTARGET target = {f, nullptr, 0};
    EXPORTRUN run = {};
    run.dialog = dialog;
    run.type = type;
    run.target = &target;
    auto t0 = std::chrono::steady_clock::now();
    int count = ExpRun(&run);
    fclose(f);
    double s = Seconds(t0);
    if (count <= 0) {
        fprintf(stderr, "export failed: %s\n", run.message);
        exit(1);
    }
    *size = (long)std::filesystem::file_size(path);
    return s;
}

/* The baseline: the same bytes written with plain file calls, in lines. */
static double PlainWrite(const std::string &from, const std::string &to)
{
    FILE *in = fopen(from.c_str(), "rb");
    std::string bytes;
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, in)) > 0)
        bytes.append(chunk, n);
    fclose(in);
    auto t0 = std::chrono::steady_clock::now();
    FILE *out = fopen(to.c_str(), "wb");
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        end = end == std::string::npos ? bytes.size() : end + 1;
        fwrite(bytes.data() + at, 1, end - at, out);
        at = end;
    }
    fclose(out);
    return Seconds(t0);
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    int n = (int)BenchCount(argc, argv, 1, 10000);
    std::string home;
    if (!getenv("RAVOLT_MQSIM_HOME")) {
        home = (std::filesystem::temp_directory_path() / "ravolt-bench-export").string();
        std::filesystem::remove_all(home);
        std::string env = "RAVOLT_MQSIM_HOME=" + home;
        putenv(strdup(env.c_str()));
    }
    std::string script;
    char line[200];
    for (int i = 0; i < n; i++) {
        snprintf(line, sizeof line,
                 "DEFINE QLOCAL(BENCH.Q%06d) DESCR('benchmark queue %d, it''s \"quoted\"') MAXDEPTH(%d) %s\n",
                 i, i, 1000 + i, i % 3 ? "TRIGGER TRIGTYPE(DEPTH) TRIGDPTH(7) INITQ(BENCH.INIT)" : "NOSHARE");
        script += line;
    }
    script += "DEFINE QLOCAL(REPLY.BENCH) MAXDEPTH(999999999)\n";
    if (MQSimRunMqsc((PMQCHAR) "BENCHEXP", (PMQCHAR)script.c_str(), 0, nullptr) != 0) {
        fprintf(stderr, "queue definitions failed\n");
        return 1;
    }
    MQHCONN h;
    MQLONG cc, rc;
    MQCONN((PMQCHAR) "BENCHEXP", &h, &cc, &rc);
    BenchCheck("MQCONN", rc);
    std::vector<std::string> replies = BenchInquireQueues(h, "BENCH.*", "REPLY.BENCH");

    PrfLoadText("AP:\n", 4);
    PCFPrefsDefaults();
    PCFHOOKS hooks = {};
    hooks.post = KeepPosted;
    PCFSetHooks(&hooks);
    PCFInitCommandDefs();
    std::vector<PCFLISTENTRY> columns;
    for (PCFFieldEntry *e = PCFQueueDef.fields; e->field; e++)
        if (PCFStoresValue(e) && e->field->type != PCFT_HEADING)
            columns.push_back({e->field, PCFL_SHOWN});
    columns.push_back({nullptr, 0});
    QMS location = {};
    snprintf(location.qmName, sizeof location.qmName, "BENCHEXP");
    DialogWords dialog = {};
    dialog.definition = &PCFQueueListDef;
    dialog.window = &dialog;
    dialog.first.location = &location;
    dialog.first.columns = columns.data();
    for (const std::string &r : replies)
        FillListArea(&dialog, nullptr, &dialog.first, (const uint8_t *)r.data(), (uint32_t)r.size(), 0);
    dialog.first.replyArea = Posted;
    printf("%u queues in a list of %zu columns\n", Posted ? Posted->rows : 0, columns.size() - 1);

    std::string dir = (std::filesystem::temp_directory_path() / "ravolt-bench-export-files").string();
    std::filesystem::create_directories(dir);
    const struct { int type; const char *name, *file; } kinds[] = {
        {EXP_MQSC, "MQSC", "/export.mqs"}, {EXP_CSV, "CSV", "/export.csv"}};
    for (const auto &k : kinds) {
        double best = 1e9, plain = 1e9;
        long size = 0;
        for (int round = 0; round < 3; round++) {
            double s = Export(&dialog, k.type, dir + k.file, &size);
            double p = PlainWrite(dir + k.file, dir + "/plain.out");
            best = s < best ? s : best;
            plain = p < plain ? p : plain;
        }
        printf("%-4s export: %.1f MB in %.4f s; plain writes of the same bytes %.4f s; ratio %.1f\n", k.name,
               size / 1048576.0, best, plain, best / plain);
        BenchTarget((std::string(k.name) + " export").c_str(), best / plain, 3);
    }
    ReleaseRefBlock(&dialog.first.replyArea);
    std::filesystem::remove_all(dir);
    MQDISC(&h, &cc, &rc);
    MQSimShutdown();
    if (!home.empty())
        std::filesystem::remove_all(home);
    return BenchExit();
}
