/* MQSC DISPLAY QSTATUS, as runmqsc answers it: one AMQ8450I message per
 * local queue the name matches (TYPE(QUEUE), the default) or per handle
 * open on one (TYPE(HANDLE)), its items laid out as DISPLAY lays out an
 * object's.  The counts are the queue's own; what the stand-in does not
 * keep (last get and put, message age, media log) is shown blank, as
 * IBM MQ shows it while queue monitoring is off. */
#include "simcall.h"
#include "simparse.h"

#include <algorithm>

static const char QStatusHeader[] = "AMQ8450I: Display queue status details.";

/* The status items of a queue: the keyword, then the value as shown. */
struct QueueItem {
    const char *word;
    int count;                /* 1 depth, 2 input, 3 output, 4 uncommitted; 0 blank */
};
static const QueueItem QueueItems[] = {
    {"CURDEPTH", 1}, {"IPPROCS", 2},  {"LGETDATE", 0}, {"LGETTIME", 0}, {"LPUTDATE", 0}, {"LPUTTIME", 0},
    {"MEDIALOG", 0}, {"MONQ", -1},    {"MSGAGE", 0},   {"OPPROCS", 3},  {"QTIME", -2},   {"UNCOM", 4},
};

static MQLONG Uncommitted(const SimQueue *sq)
{
    MQLONG n = 0;
    for (const SimMsg *m = sq->head; m; m = m->next)
        n += m->state == SIM_MSG_PUT_PENDING || m->state == SIM_MSG_GET_PENDING;
    return n;
}

static std::string QueueValue(const QueueItem &it, const SimQueue *sq)
{
    switch (it.count) {
    case 1: return std::to_string(sq->depth);
    case 2: return std::to_string(sq->openInput);
    case 3: return std::to_string(sq->openOutput);
    case 4: {
        MQLONG n = Uncommitted(sq);
        return n ? std::to_string(n) : "NO";
    }
    case -1: return "OFF";
    case -2: return " , ";
    default: return " ";
    }
}

static bool Wanted(const std::vector<std::string> &words, bool all, const char *word)
{
    return all || std::find(words.begin(), words.end(), word) != words.end();
}

static std::string QueueStatus(const SimObject *o, const std::vector<std::string> &words, bool all)
{
    std::vector<std::string> items = {"QUEUE(" + o->name + ")", "TYPE(QUEUE)"};
    for (const QueueItem &it : QueueItems)
        if (it.count == 1 || Wanted(words, all, it.word))
            items.push_back(std::string(it.word) + "(" + QueueValue(it, o->queue) + ")");
    return QStatusHeader + SimMqscLayout(items);
}

static const char *YesNo(bool yes) { return yes ? "YES" : "NO"; }

/* One handle open on the queue: who holds it and how it is open. */
static std::string HandleStatus(const SimObject *o, const SimHandle *h)
{
    MQLONG opt = h->options;
    const char *input = h->exclusive ? "EXCL" : (opt & SimInputOptions) ? "SHARED" : "NO";
    std::vector<std::string> items = {
        "QUEUE(" + o->name + ")",
        "TYPE(HANDLE)",
        "APPLTAG(" + h->conn->applName + ")",
        "APPLTYPE(USER)",
        std::string("BROWSE(") + YesNo(opt & MQOO_BROWSE) + ")",
        "CHANNEL( )",
        "CONNAME( )",
        "HSTATE(ACTIVE)",
        std::string("INPUT(") + input + ")",
        std::string("INQUIRE(") + YesNo(opt & MQOO_INQUIRE) + ")",
        std::string("OUTPUT(") + YesNo(opt & MQOO_OUTPUT) + ")",
        "PID(1)",
        std::string("SET(") + YesNo(opt & MQOO_SET) + ")",
        "USERID(" + h->conn->user + ")",
    };
    return QStatusHeader + SimMqscLayout(items);
}

static void SyntaxError(const std::string &segment, std::vector<std::string> *out)
{
    out->push_back("AMQ8405I: Syntax error detected at or near end of command segment below:-\n" + segment);
}

int SimMqscQueueStatus(SimQMgr *q, const SimToken &obj, const char *rest, std::vector<std::string> *out)
{
    if (obj.values.size() != 1 || obj.values[0].empty())
        return SyntaxError("DISPLAY " + obj.word, out), 1;
    bool all = false, handles = false;
    std::vector<std::string> words;
    SimToken t;
    size_t pos = 0;
    int rc;
    while ((rc = SimNextToken(rest, &pos, &t)) == 1) {
        bool known = false;
        for (const QueueItem &it : QueueItems)
            known = known || t.word == it.word;
        if (t.word == "TYPE" && t.hasValue && t.values.size() == 1 &&
            (t.values[0] == "QUEUE" || t.values[0] == "HANDLE"))
            handles = t.values[0] == "HANDLE";
        else if (t.word == "ALL" && !t.hasValue)
            all = true;
        else if (known && !t.hasValue)
            words.push_back(t.word);
        else
            return SyntaxError(t.word, out), 1;
    }
    if (rc < 0)
        return SyntaxError("", out), 1;
    const std::string &name = obj.values[0];
    bool named = false;
    for (auto &kv : q->objects[SIM_K_QLOCAL]) {
        const SimObject *o = kv.second;
        if (o->kind != SIM_K_QLOCAL || !o->queue || !SimNameMatch(name, o->name))
            continue;
        named = true;
        if (!handles) {
            out->push_back(QueueStatus(o, words, all));
            continue;
        }
        for (auto &cv : SimConns)
            for (auto &hv : cv.second->handles)
                if (hv.second->target == o)
                    out->push_back(HandleStatus(o, hv.second));
    }
    if (!named) {
        out->push_back("AMQ8147E: IBM MQ object " + name + " not found.");
        return 1;
    }
    return 0;
}
