/* Benchmark of the stand-in's command server: an INQUIRE_Q of "*" with
 * every attribute on a queue manager of N queues, timed from the request
 * put to the last reply got; beside N plain puts and gets of the same
 * total bytes (a raw MQI loop) in the same run.  Five rounds of the two
 * in turn; each side's median is compared.
 *
 *   bench_cmdsrv [N] [--check]   (default 10000; RAVOLT_MQSIM_HOME or a temp
 *       folder; guard: the inquiry within 4 x the plain puts and gets) */
#include "benchcheck.h"
#include "mqi.h"
#include "mqsim.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

static double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

static void Fill(char *field, size_t size, const char *text)
{
    size_t n = strlen(text);
    memset(field, ' ', size);
    memcpy(field, text, n < size ? n : size);
}

static void Check(const char *what, MQLONG rc)
{
    if (rc) {
        fprintf(stderr, "%s failed: %d\n", what, (int)rc);
        exit(1);
    }
}

static MQHOBJ Open(MQHCONN h, const char *name, MQLONG options, char *dynName = nullptr)
{
    MQOD od = {MQOD_DEFAULT};
    Fill(od.ObjectName, sizeof od.ObjectName, name);
    MQHOBJ o;
    MQLONG cc, rc;
    MQOPEN(h, &od, options, &o, &cc, &rc);
    Check("MQOPEN", rc);
    if (dynName)
        memcpy(dynName, od.ObjectName, 48);
    return o;
}

/* INQUIRE_Q for every queue, all attributes: header and two parameters. */
static std::string InquireAll(void)
{
    std::string m;
    auto put = [&m](MQLONG v) { m.append((const char *)&v, 4); };
    MQLONG header[9] = {MQCFT_COMMAND, 36, 1, MQCMD_INQUIRE_Q, 1, MQCFC_LAST, 0, 0, 2};
    m.append((const char *)header, sizeof header);
    put(MQCFT_STRING), put(24), put(MQCA_Q_NAME), put(0), put(1);
    m.append("*\0\0\0", 4);
    put(MQCFT_INTEGER_LIST), put(20), put(MQIACF_Q_ATTRS), put(1), put(MQIACF_ALL);
    return m;
}

static const int Rounds = 5;

static double Median(double *v)
{
    std::sort(v, v + Rounds);
    return v[Rounds / 2];
}

/* The request put and every reply got, until the one marked last. */
static double TimeInquiry(MQHCONN h, MQHOBJ cmd, MQHOBJ reply, const char *replyName, std::string &request,
                          std::string *buf, long *replies, int64_t *bytes)
{
    auto t0 = std::chrono::steady_clock::now();
    MQMD md = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    MQLONG cc, rc;
    pmo.Options = MQPMO_NO_SYNCPOINT;
    md.MsgType = MQMT_REQUEST;
    memcpy(md.Format, MQFMT_ADMIN, 8);
    memcpy(md.ReplyToQ, replyName, 48);
    MQPUT(h, cmd, &md, &pmo, (MQLONG)request.size(), &request[0], &cc, &rc);
    Check("MQPUT request", rc);
    *replies = 0;
    *bytes = 0;
    for (;;) {
        MQMD rmd = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_WAIT | MQGMO_NO_SYNCPOINT;
        gmo.WaitInterval = 60000;
        MQLONG len = 0;
        MQGET(h, reply, &rmd, &gmo, (MQLONG)buf->size(), &(*buf)[0], &len, &cc, &rc);
        Check("MQGET reply", rc);
        ++*replies;
        *bytes += len;
        MQCFH cfh;
        memcpy(&cfh, buf->data(), sizeof cfh);
        if (cfh.Control == MQCFC_LAST)
            break;
    }
    return Seconds(t0);
}

/* The baseline: as many puts and gets of the same total bytes. */
static double TimePlain(MQHCONN h, MQHOBJ plain, long count, MQLONG size, std::string *buf)
{
    auto t0 = std::chrono::steady_clock::now();
    MQPMO pmo = {MQPMO_DEFAULT};
    MQLONG cc, rc;
    pmo.Options = MQPMO_NO_SYNCPOINT;
    for (long i = 0; i < count; i++) {
        MQMD pmd = {MQMD_DEFAULT};
        MQPUT(h, plain, &pmd, &pmo, size, &(*buf)[0], &cc, &rc);
        Check("MQPUT", rc);
    }
    for (long i = 0; i < count; i++) {
        MQMD gmd = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_NO_WAIT | MQGMO_NO_SYNCPOINT;
        MQLONG len = 0;
        MQGET(h, plain, &gmd, &gmo, (MQLONG)buf->size(), &(*buf)[0], &len, &cc, &rc);
        Check("MQGET", rc);
    }
    return Seconds(t0);
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    int n = (int)BenchCount(argc, argv, 1, 10000);
    std::string home;
    if (!getenv("RAVOLT_MQSIM_HOME")) {
        home = (std::filesystem::temp_directory_path() / "ravolt-bench-cmdsrv").string();
        std::filesystem::remove_all(home);
        std::string env = "RAVOLT_MQSIM_HOME=" + home;
        putenv(strdup(env.c_str()));
    }
    std::string script;
    char line[96];
    for (int i = 0; i < n; i++) {
        snprintf(line, sizeof line, "DEFINE QLOCAL(BENCH.Q%06d) DESCR('benchmark queue %d')\n", i, i);
        script += line;
    }
    script += "DEFINE QLOCAL(BENCH.PLAIN) MAXDEPTH(999999999)\n"
              "DEFINE QLOCAL(BENCH.REPLY) MAXDEPTH(999999999)\n";
    auto t0 = std::chrono::steady_clock::now();
    if (MQSimRunMqsc((PMQCHAR) "BENCHQM", (PMQCHAR)script.c_str(), 0, nullptr) != 0) {
        fprintf(stderr, "queue definitions failed\n");
        return 1;
    }
    printf("defined %d queues in %.3f s\n", n, Seconds(t0));

    MQHCONN h;
    MQLONG cc, rc;
    MQCONN((PMQCHAR) "BENCHQM", &h, &cc, &rc);
    Check("MQCONN", rc);
    MQHOBJ cmd = Open(h, "SYSTEM.ADMIN.COMMAND.QUEUE", MQOO_OUTPUT);
    char replyName[48];
    MQHOBJ reply = Open(h, "BENCH.REPLY", MQOO_INPUT_EXCLUSIVE, replyName);
    std::string request = InquireAll();
    std::string buf(1 << 20, '\0');
    MQHOBJ plain = Open(h, "BENCH.PLAIN", MQOO_OUTPUT | MQOO_INPUT_EXCLUSIVE);

    /* Rounds of the inquiry and the plain loop in turn, each side's median
     * taken: one pair alone swung with whatever else the machine did (the
     * plain loop, a few hundredths of a second, by twice its time), and
     * the first round of each pays for the heap's first growth. */
    double inquire[Rounds], baseline[Rounds];
    long replies = 0;
    int64_t bytes = 0;
    for (int r = 0; r < Rounds; r++) {
        inquire[r] = TimeInquiry(h, cmd, reply, replyName, request, &buf, &replies, &bytes);
        baseline[r] = TimePlain(h, plain, replies, (MQLONG)(bytes / replies), &buf);
        printf("round %d: inquiry %.4f s, plain puts and gets %.4f s\n", r + 1, inquire[r], baseline[r]);
    }
    MQLONG size = (MQLONG)(bytes / replies);
    double inq = Median(inquire), base = Median(baseline);
    printf("INQUIRE_Q * ALL on %d queues: %ld replies, %.1f MB, %.3f s (%.0f replies/s)\n", n, replies,
           bytes / 1048576.0, inq, replies / inq);
    printf("plain puts and gets: %ld of %d bytes, %.3f s (%.0f messages/s)\n", replies, (int)size, base,
           replies / base);
    printf("ratio inquiry / plain put+get: %.2f (medians of %d rounds)\n", inq / base, Rounds);
    BenchTarget("command server inquiry", inq / base, 4);
    MQDISC(&h, &cc, &rc);
    MQSimShutdown();
    if (!home.empty())
        std::filesystem::remove_all(home);
    return BenchExit();
}
