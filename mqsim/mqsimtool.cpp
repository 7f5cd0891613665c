/* mqsim: the stand-in queue manager's command-line tool.
 *
 *   mqsim [-d HOME] -m QMGR mqsc FILE|-         run an MQSC script (creates the queue manager)
 *   mqsim [-d HOME] -m QMGR put QUEUE FILE...   put each file as one message
 *         [-f FORMAT] [-p PRIORITY] [-P] (persistent) [-c CORRELID] [-i MSGID]
 *         [-r REPLYTOQ] [-R REPLYTOQMGR] [-C CCSID] [-E ENCODING] [-t MSGTYPE]
 *         [-e EXPIRY] [-F FEEDBACK] [-u USERID] [-a APPLIDENTITYDATA]
 *         [-A PUTAPPLNAME] [-n COUNT] [-D REASON,DESTQ[,DESTQMGR]]
 *         (a file holding a transmission or dead-letter header goes as it
 *         is, with -f MQXMIT or -f MQDEAD and the header's -E; -D wraps
 *         each file in a dead-letter header instead; -n puts each file
 *         COUNT times, every message with a MsgId of its own)
 *   mqsim [-d HOME] -m QMGR list QUEUE          one line per message
 *   mqsim [-d HOME] -m QMGR dump QUEUE          descriptors and data in hex
 *
 * HOME defaults to the environment variable RAVOLT_MQSIM_HOME.  Ids are
 * given in hex (up to 48 digits) or as text prefixed with "t:". */
#include "mqi.h"
#include "mqsim.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

static int Usage(void)
{
    fprintf(stderr, "usage: mqsim [-d home] -m qmgr mqsc FILE|-\n"
                    "       mqsim [-d home] -m qmgr put QUEUE [-f fmt] [-p prio] [-P] [-c correlid] [-i msgid]\n"
                    "             [-r replytoq] [-R replytoqmgr] [-C ccsid] [-E encoding] [-t msgtype]\n"
                    "             [-e expiry] [-F feedback] [-u userid] [-a applidentitydata]\n"
                    "             [-A putapplname] [-n count] [-D reason,destq[,destqmgr]] FILE...\n"
                    "       mqsim [-d home] -m qmgr list|dump QUEUE\n");
    return 2;
}

static bool ReadFile(const char *path, std::string *out)
{
    FILE *f = strcmp(path, "-") == 0 ? stdin : fopen(path, "rb");
    if (!f)
        return false;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out->append(buf, n);
    if (f != stdin)
        fclose(f);
    return true;
}

static void SetHome(const char *dir)
{
#ifdef _WIN32
    _putenv_s("RAVOLT_MQSIM_HOME", dir);
#else
    setenv("RAVOLT_MQSIM_HOME", dir, 1);
#endif
}

static bool ParseId(const char *s, MQBYTE *id)
{
    memset(id, 0, 24);
    if (strncmp(s, "t:", 2) == 0) {
        size_t n = strlen(s + 2);
        memcpy(id, s + 2, n < 24 ? n : 24);
        return true;
    }
    size_t n = strlen(s);
    if (n % 2 || n > 48)
        return false;
    for (size_t i = 0; i < n; i += 2) {
        unsigned v;
        if (sscanf(s + i, "%2x", &v) != 1)
            return false;
        id[i / 2] = (MQBYTE)v;
    }
    return true;
}

static void Pad(char *dst, size_t size, const char *src)
{
    size_t n = strlen(src);
    memset(dst, ' ', size);
    memcpy(dst, src, n < size ? n : size);
}

static int Fail(const char *what, MQLONG reason)
{
    fprintf(stderr, "mqsim: %s failed, reason %d\n", what, (int)reason);
    return 1;
}

static int Connect(const char *qmgr, MQHCONN *hc)
{
    char name[48];
    Pad(name, sizeof name, qmgr);
    MQLONG cc, rc;
    MQCONN(name, hc, &cc, &rc);
    return cc == MQCC_FAILED ? Fail("MQCONN", rc) : 0;
}

static int OpenQueue(MQHCONN hc, const char *queue, MQLONG options, MQHOBJ *ho)
{
    MQOD od = {MQOD_DEFAULT};
    Pad(od.ObjectName, sizeof od.ObjectName, queue);
    MQLONG cc, rc;
    MQOPEN(hc, &od, options, ho, &cc, &rc);
    return cc == MQCC_FAILED ? Fail("MQOPEN", rc) : 0;
}

/* A dead-letter header for -D: "reason,destq[,destqmgr]"; the body's
 * format, encoding and code page move into it. */
static bool ParseDeadLetter(const char *spec, MQDLH *dlh)
{
    MQDLH d = {MQDLH_DEFAULT};
    char q[49] = "", qm[49] = "";
    int reason;
    if (sscanf(spec, "%d,%48[^,],%48s", &reason, q, qm) < 2)
        return false;
    d.Reason = reason;
    Pad(d.DestQName, 48, q);
    Pad(d.DestQMgrName, 48, qm);
    Pad(d.PutApplName, 28, "mqsim");
    Pad(d.PutDate, 8, "");
    Pad(d.PutTime, 8, "");
    *dlh = d;
    return true;
}

/* The message of one file: the data, behind a dead-letter header when
 * asked; the descriptor then names the header. */
static std::string Wrap(const std::string &data, const MQDLH *dlh, MQMD *md)
{
    if (!dlh)
        return data;
    MQDLH d = *dlh;
    d.Encoding = md->Encoding;
    d.CodedCharSetId = md->CodedCharSetId;
    memcpy(d.Format, md->Format, 8);
    d.PutApplType = MQAT_DEFAULT;
    memcpy(md->Format, MQFMT_DEAD_LETTER_HEADER, 8);
    md->Encoding = MQENC_NATIVE;
    return std::string((const char *)&d, sizeof d) + data;
}

static int Put(const char *qmgr, const char *queue, int argc, char **argv)
{
    MQMD md = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_NO_SYNCPOINT;
    MQDLH dlh;
    bool wrap = false;
    long count = 1;
    MQLONG context = 0;        /* MQPMO_SET_IDENTITY_CONTEXT or MQPMO_SET_ALL_CONTEXT */
    int i = 0;
    for (; i < argc && argv[i][0] == '-' && argv[i][1]; i++) {
        char opt = argv[i][1];
        if (opt == 'P') {
            md.Persistence = MQPER_PERSISTENT;
            continue;
        }
        if (i + 1 >= argc)
            return Usage();
        const char *v = argv[++i];
        switch (opt) {
        case 'f': Pad(md.Format, 8, v); break;
        case 'p': md.Priority = atoi(v); break;
        case 'c': if (!ParseId(v, md.CorrelId)) return Usage(); break;
        case 'i': if (!ParseId(v, md.MsgId)) return Usage(); break;
        case 'r': Pad(md.ReplyToQ, 48, v); break;
        case 'R': Pad(md.ReplyToQMgr, 48, v); break;
        case 'C': md.CodedCharSetId = atoi(v); break;
        case 'E': md.Encoding = atoi(v); break;
        case 't': md.MsgType = atoi(v); break;
        case 'e': md.Expiry = atoi(v); break;
        case 'F': md.Feedback = atoi(v); break;
        case 'u': Pad(md.UserIdentifier, 12, v); context |= MQPMO_SET_IDENTITY_CONTEXT; break;
        case 'a': Pad(md.ApplIdentityData, 32, v); context |= MQPMO_SET_IDENTITY_CONTEXT; break;
        case 'A': Pad(md.PutApplName, 28, v); context = MQPMO_SET_ALL_CONTEXT; break;
        case 'n': count = atol(v); if (count < 1) return Usage(); break;
        case 'D': if (!ParseDeadLetter(v, &dlh)) return Usage(); wrap = true; break;
        default: return Usage();
        }
    }
    if (context & MQPMO_SET_ALL_CONTEXT) {
        context = MQPMO_SET_ALL_CONTEXT;          /* the origin as now, by this tool */
        time_t now = time(nullptr);
        struct tm *t = gmtime(&now);
        char date[9], tod[9];
        strftime(date, sizeof date, "%Y%m%d", t);
        strftime(tod, sizeof tod, "%H%M%S00", t);
        memcpy(md.PutDate, date, 8);
        memcpy(md.PutTime, tod, 8);
        md.PutApplType = MQAT_DEFAULT;
    }
    pmo.Options |= context;
    if (i >= argc)
        return Usage();
    MQHCONN hc;
    MQHOBJ ho;
    MQLONG oo = MQOO_OUTPUT | (context == MQPMO_SET_ALL_CONTEXT ? MQOO_SET_ALL_CONTEXT :
                               context ? MQOO_SET_IDENTITY_CONTEXT : 0);
    if (Connect(qmgr, &hc) || OpenQueue(hc, queue, oo, &ho))
        return 1;
    MQMD given = md;
    for (; i < argc; i++) {
        std::string file;
        if (!ReadFile(argv[i], &file)) {
            fprintf(stderr, "mqsim: cannot read %s\n", argv[i]);
            return 1;
        }
        for (long n = 0; n < count; n++) {
            md = given;
            std::string data = Wrap(file, wrap ? &dlh : nullptr, &md);
            MQLONG cc, rc;
            MQPUT(hc, ho, &md, &pmo, (MQLONG)data.size(), data.empty() ? nullptr : &data[0], &cc, &rc);
            if (cc == MQCC_FAILED)
                return Fail("MQPUT", rc);
        }
    }
    MQLONG cc, rc;
    MQDISC(&hc, &cc, &rc);
    return 0;
}

static void Hex(const MQBYTE *p, size_t n, char *out)
{
    for (size_t i = 0; i < n; i++)
        sprintf(out + 2 * i, "%02X", p[i]);
}

static std::string Field(const char *p, size_t n)
{
    std::string s(p, n);
    while (!s.empty() && (s.back() == ' ' || s.back() == 0))
        s.pop_back();
    return s;
}

static void DumpData(const MQBYTE *p, MQLONG n)
{
    for (MQLONG off = 0; off < n; off += 16) {
        printf("  %08X ", (unsigned)off);
        for (MQLONG i = off; i < off + 16; i++)
            i < n ? printf(" %02X", p[i]) : printf("   ");
        printf("  ");
        for (MQLONG i = off; i < off + 16 && i < n; i++)
            putchar(p[i] >= 32 && p[i] < 127 ? p[i] : '.');
        putchar('\n');
    }
}

static int Browse(const char *qmgr, const char *queue, bool dump)
{
    MQHCONN hc;
    MQHOBJ ho;
    if (Connect(qmgr, &hc) || OpenQueue(hc, queue, MQOO_BROWSE, &ho))
        return 1;
    std::vector<MQBYTE> buf(1024 * 1024);
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Version = MQGMO_VERSION_3;
    gmo.Options = MQGMO_BROWSE_FIRST | MQGMO_NO_WAIT;
    gmo.MatchOptions = MQMO_NONE;
    for (int n = 1;; n++) {
        MQMD md = {MQMD_DEFAULT};
        md.Version = MQMD_VERSION_2;
        MQLONG len, cc, rc;
        MQGET(hc, ho, &md, &gmo, (MQLONG)buf.size(), buf.data(), &len, &cc, &rc);
        if (rc == MQRC_TRUNCATED_MSG_FAILED) {
            buf.resize((size_t)len);
            MQGET(hc, ho, &md, &gmo, (MQLONG)buf.size(), buf.data(), &len, &cc, &rc);
        }
        if (rc == MQRC_NO_MSG_AVAILABLE)
            break;
        if (cc == MQCC_FAILED)
            return Fail("MQGET", rc);
        gmo.Options = MQGMO_BROWSE_NEXT | MQGMO_NO_WAIT;
        char msgId[49], correlId[49], token[33];
        Hex(md.MsgId, 24, msgId);
        Hex(md.CorrelId, 24, correlId);
        Hex(gmo.MsgToken, 16, token);
        if (!dump) {
            printf("%6d %s %s %8d %-8s %s %s\n", n, token, msgId, (int)len, Field(md.Format, 8).c_str(),
                   Field(md.PutDate, 8).c_str(), Field(md.PutTime, 8).c_str());
            continue;
        }
        printf("Message %d  token %s\n", n, token);
        printf("  MsgId %s\n  CorrelId %s\n", msgId, correlId);
        printf("  Format '%s' Encoding %d CCSID %d MsgType %d Priority %d Persistence %d Expiry %d\n",
               Field(md.Format, 8).c_str(), (int)md.Encoding, (int)md.CodedCharSetId, (int)md.MsgType,
               (int)md.Priority, (int)md.Persistence, (int)md.Expiry);
        printf("  ReplyToQ '%s' ReplyToQMgr '%s' BackoutCount %d\n", Field(md.ReplyToQ, 48).c_str(),
               Field(md.ReplyToQMgr, 48).c_str(), (int)md.BackoutCount);
        printf("  UserIdentifier '%s' PutApplType %d PutApplName '%s' PutDate %s PutTime %s\n",
               Field(md.UserIdentifier, 12).c_str(), (int)md.PutApplType, Field(md.PutApplName, 28).c_str(),
               Field(md.PutDate, 8).c_str(), Field(md.PutTime, 8).c_str());
        printf("  ApplIdentityData '%s' Feedback %d\n", Field(md.ApplIdentityData, 32).c_str(), (int)md.Feedback);
        printf("  Length %d\n", (int)len);
        DumpData(buf.data(), len);
    }
    MQLONG cc, rc;
    MQDISC(&hc, &cc, &rc);
    return 0;
}

static int Run(int argc, char **argv)
{
    const char *qmgr = nullptr;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        if (strcmp(argv[i], "-d") == 0)
            SetHome(argv[i + 1]);
        else if (strcmp(argv[i], "-m") == 0)
            qmgr = argv[i + 1];
        else
            return Usage();
    }
    if (!qmgr || i + 1 >= argc)
        return Usage();
    const char *cmd = argv[i], *arg = argv[i + 1];
    if (strcmp(cmd, "mqsc") == 0) {
        std::string text;
        if (!ReadFile(arg, &text)) {
            fprintf(stderr, "mqsim: cannot read %s\n", arg);
            return 1;
        }
        std::vector<char> out(text.size() * 4 + 65536);
        MQLONG failed = MQSimRunMqsc((PMQCHAR)qmgr, &text[0], (MQLONG)out.size(), out.data());
        if (failed < 0) {
            fprintf(stderr, "mqsim: queue manager %s cannot be used (RAVOLT_MQSIM_HOME set? owned by another process?)\n", qmgr);
            return 1;
        }
        fputs(out.data(), stdout);
        return failed ? 1 : 0;
    }
    if (strcmp(cmd, "put") == 0)
        return Put(qmgr, arg, argc - i - 2, argv + i + 2);
    if (strcmp(cmd, "list") == 0 || strcmp(cmd, "dump") == 0)
        return Browse(qmgr, arg, strcmp(cmd, "dump") == 0);
    return Usage();
}

/* The queue managers' command servers are stopped before the process
 * ends, so that no thread of theirs outlives the library's data. */
int main(int argc, char **argv)
{
    int rc = Run(argc, argv);
    MQSimShutdown();
    return rc;
}
