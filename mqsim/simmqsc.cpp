/* MQSC scripts against a stand-in queue manager: DEFINE, ALTER and DELETE
 * of queues, channels, topics, namelists, processes and the other object
 * kinds, and ALTER QMGR, answered in runmqsc's layout (echo of each
 * command with its line number, then message lines).  The objects of a
 * new queue manager are made here too, from the default-object tables. */
#include "sim.h"
#include "simparse.h"
#include "simcall.h"

#include <cstring>
#include <ctime>

struct KindWord { const char *word; int kind; };
static const KindWord KindWords[] = {
    {"QLOCAL", SIM_K_QLOCAL}, {"QL", SIM_K_QLOCAL}, {"QMODEL", SIM_K_QMODEL}, {"QM", SIM_K_QMODEL},
    {"QALIAS", SIM_K_QALIAS}, {"QA", SIM_K_QALIAS}, {"QREMOTE", SIM_K_QREMOTE}, {"QR", SIM_K_QREMOTE},
    {"QMGR", SIM_K_QMGR}, {"CHANNEL", SIM_K_CHANNEL}, {"CHL", SIM_K_CHANNEL}, {"TOPIC", SIM_K_TOPIC},
    {"TOP", SIM_K_TOPIC}, {"NAMELIST", SIM_K_NAMELIST}, {"NL", SIM_K_NAMELIST},
    {"PROCESS", SIM_K_PROCESS}, {"PRO", SIM_K_PROCESS}, {"AUTHINFO", SIM_K_AUTHINFO},
    {"LISTENER", SIM_K_LISTENER}, {"LSTR", SIM_K_LISTENER}, {"SERVICE", SIM_K_SERVICE},
    {"COMMINFO", SIM_K_COMMINFO}, {"SUB", SIM_K_SUB},
};

/* Messages of object changes: created, changed, deleted. */
struct KindText { int kind; const char *created, *changed, *deleted; };
static const KindText KindTexts[] = {
    {SIM_K_QLOCAL, "AMQ8006I: IBM MQ queue created.", "AMQ8008I: IBM MQ queue changed.", "AMQ8007I: IBM MQ queue deleted."},
    {SIM_K_PROCESS, "AMQ8010I: IBM MQ process created.", "AMQ8012I: IBM MQ process changed.", "AMQ8011I: IBM MQ process deleted."},
    {SIM_K_CHANNEL, "AMQ8014I: IBM MQ channel created.", "AMQ8016I: IBM MQ channel changed.", "AMQ8015I: IBM MQ channel deleted."},
    {SIM_K_NAMELIST, "AMQ8551I: IBM MQ namelist created.", "AMQ8552I: IBM MQ namelist changed.", "AMQ8553I: IBM MQ namelist deleted."},
    {SIM_K_TOPIC, "AMQ8690I: IBM MQ topic created.", "AMQ8691I: IBM MQ topic changed.", "AMQ8692I: IBM MQ topic deleted."},
    {SIM_K_QMGR, "", "AMQ8005I: IBM MQ queue manager changed.", ""},
    {-1, "AMQ8563I: IBM MQ object created.", "AMQ8564I: IBM MQ object changed.", "AMQ8565I: IBM MQ object deleted."},
};

static const KindText *TextOf(int kind)
{
    if (kind == SIM_K_QMODEL || kind == SIM_K_QALIAS || kind == SIM_K_QREMOTE)
        kind = SIM_K_QLOCAL;
    const KindText *t = KindTexts;
    while (t->kind != -1 && t->kind != kind)
        t++;
    return t;
}

void SimStamp(SimObject *o)
{
    time_t now = time(nullptr);
    struct tm tmv;
#ifdef _WIN32
    gmtime_s(&tmv, &now);
#else
    gmtime_r(&now, &tmv);
#endif
    char d[16], t[16];
    strftime(d, sizeof d, "%Y-%m-%d", &tmv);
    strftime(t, sizeof t, "%H.%M.%S", &tmv);
    SimSetStr(o, MQCA_ALTERATION_DATE, d);
    SimSetStr(o, MQCA_ALTERATION_TIME, t);
}

/* Attributes every object of a kind has whatever the script says. */
void SimSetFixed(SimObject *o)
{
    static const MQLONG qtypes[][2] = {
        {SIM_K_QLOCAL, MQQT_LOCAL}, {SIM_K_QMODEL, MQQT_MODEL},
        {SIM_K_QALIAS, MQQT_ALIAS}, {SIM_K_QREMOTE, MQQT_REMOTE},
    };
    for (const auto &qt : qtypes)
        if (o->kind == qt[0])
            SimSetInt(o, MQIA_Q_TYPE, qt[1]);
    if (o->kind == SIM_K_QLOCAL && !o->temporary && !o->attrs.count(MQIA_DEFINITION_TYPE))
        SimSetInt(o, MQIA_DEFINITION_TYPE, MQQDT_PREDEFINED);
}

/* The default object a new object of this kind copies. */
SimObject *SimTypeDefault(SimQMgr *q, int kind, MQLONG chltype)
{
    for (const SimDefaultObject &d : SimTypeDefaults) {
        if (d.kind != kind)
            continue;
        SimObject *o = SimLookup(q, kind, d.name);
        if (!o)
            continue;
        if (kind == SIM_K_CHANNEL && SimInt(o, MQIACH_CHANNEL_TYPE) != chltype)
            continue;
        return o;
    }
    return nullptr;
}

static SimObject *Define(SimQMgr *q, int kind, const char *name, const SimObject *like,
                         const char *attrs)
{
    SimObject *o = SimNewObject(q, kind, name, like);
    size_t errpos;
    SimApplyAttrs(kind, &o->attrs, attrs, &errpos, true);
    SimSetFixed(o);
    SimStamp(o);
    return o;
}

int SimDefineDefaults(SimQMgr *q)
{
    for (const SimDefaultObject &d : SimTypeDefaults)
        Define(q, d.kind, d.name, nullptr, d.attrs);
    for (const SimDefaultObject &d : SimSystemObjects) {
        const SimObject *like = SimTypeDefault(q, d.kind, strstr(d.name, "SVRCONN") ? MQCHT_SVRCONN : MQCHT_RECEIVER);
        Define(q, d.kind, d.name, like, d.attrs);
    }
    SimObject *m = q->qmgrObj;
    size_t errpos;
    SimApplyAttrs(SIM_K_QMGR, &m->attrs, SimQMgrDefaults, &errpos, true);
    SimSetStr(m, MQCA_Q_MGR_NAME, q->name);
    SimSetStr(m, MQCA_DEAD_LETTER_Q_NAME, "SYSTEM.DEAD.LETTER.QUEUE");
    SimSetStr(m, MQCA_COMMAND_INPUT_Q_NAME, "SYSTEM.ADMIN.COMMAND.QUEUE");
    SimSetInt(m, MQIA_CODED_CHAR_SET_ID, 437);
    SimSetInt(m, MQIA_PLATFORM, MQPL_WINDOWS_NT);
    SimSetInt(m, MQIA_COMMAND_LEVEL, 940);
    SimSetInt(m, MQIA_MAX_PRIORITY, 9);
    SimSetInt(m, MQIA_SYNCPOINT, MQSP_AVAILABLE);
    SimStamp(m);
    SimSetStr(m, MQCA_CREATION_DATE, SimStr(m, MQCA_ALTERATION_DATE));
    SimSetStr(m, MQCA_CREATION_TIME, SimStr(m, MQCA_ALTERATION_TIME));
    SimSetStr(m, MQCA_Q_MGR_IDENTIFIER, q->name + "_" + SimStr(m, MQCA_CREATION_DATE) + "_" +
              SimStr(m, MQCA_CREATION_TIME));
    return 0;
}

/* ---- one command ----------------------------------------------------------- */

struct Command {
    std::string text;
    int line;
};

/* Output of one command: one string per message (its lines joined by
 * newlines), as runmqsc prints them and escape responses carry them. */
typedef std::vector<std::string> SimOut;

static void Say(SimOut *out, const std::string &line)
{
    out->push_back(line);
}

static int SyntaxError(SimOut *out, const std::string &text, size_t pos)
{
    Say(out, "AMQ8405I: Syntax error detected at or near end of command segment below:-\n" +
             text.substr(0, pos < text.size() ? pos + 1 : text.size()));
    return 1;
}

static int NotFound(SimOut *out, const std::string &name)
{
    Say(out, "AMQ8147E: IBM MQ object " + name + " not found.");
    return 1;
}

bool SimQueueBusy(const SimObject *o)
{
    if (!o->queue)
        return false;
    const SimQueue *sq = o->queue;
    if (sq->openInput || sq->openOutput || sq->openBrowse)
        return true;
    for (const SimMsg *m = sq->head; m; m = m->next)
        if (m->state == SIM_MSG_PUT_PENDING || m->state == SIM_MSG_GET_PENDING)
            return true;
    return false;
}

void SimFinishObject(SimQMgr *q, SimObject *o)
{
    SimSetFixed(o);
    SimStamp(o);
    SimStoreObject(q, o);
}

void SimRemoveObject(SimQMgr *q, SimObject *o)
{
    SimForgetQueue(o);
    SimStoreDelete(q, o);
    SimDeleteObject(q, o);
}

void SimClearQueue(SimQMgr *q, SimObject *o)
{
    SimMsg *m = o->queue->head;
    while (m) {
        SimMsg *next = m->next;
        if (m->state == SIM_MSG_LIVE) {
            SimStoreRemove(q, o, m);
            SimMsgRemove(o->queue, m);
        }
        m = next;
    }
}

/* Finds a bare keyword (REPLACE, PURGE ...) or KEYWORD(value) in the text. */
static bool FindWord(const char *text, const char *word, std::string *value)
{
    SimToken t;
    size_t pos = 0;
    while (SimNextToken(text, &pos, &t) == 1)
        if (t.word == word) {
            if (value && t.hasValue && !t.values.empty())
                *value = t.values[0];
            return true;
        }
    return false;
}

static int Clear(SimQMgr *q, const std::string &name, SimOut *out)
{
    SimObject *o = SimLookup(q, SIM_K_QLOCAL, name);
    if (!o)
        return NotFound(out, name);
    if (!o->queue) {
        Say(out, "AMQ8147E: IBM MQ object " + name + " not found.");
        return 1;
    }
    if (SimQueueBusy(o)) {
        Say(out, "AMQ8148E: IBM MQ object in use.");
        return 1;
    }
    SimClearQueue(q, o);
    Say(out, "AMQ8022I: IBM MQ queue cleared.");
    return 0;
}

static int Run(SimQMgr *q, const std::string &text, SimOut *out)
{
    SimToken verb, obj;
    size_t pos = 0;
    if (SimNextToken(text.c_str(), &pos, &verb) != 1)
        return SyntaxError(out, text, pos);
    size_t objStart = pos;
    if (SimNextToken(text.c_str(), &pos, &obj) != 1)
        return SyntaxError(out, text, pos);
    int kind = -1;
    for (const KindWord &k : KindWords)
        if (obj.word == k.word)
            kind = k.kind;
    enum { DEFINE, ALTER, DELETE, OTHER } op = OTHER;
    if (verb.word == "DEFINE" || verb.word == "DEF")
        op = DEFINE;
    else if (verb.word == "ALTER" || verb.word == "ALT")
        op = ALTER;
    else if (verb.word == "DELETE" || verb.word == "DELE")
        op = DELETE;
    if (verb.word == "DISPLAY" || verb.word == "DIS")
        return SimMqscDisplay(q, obj, text.c_str() + pos, out);
    if (verb.word == "CLEAR" && kind == SIM_K_QLOCAL && obj.values.size() == 1)
        return Clear(q, obj.values[0], out);
    if (op == OTHER || kind < 0 || (kind == SIM_K_QMGR) != (op == ALTER && !obj.hasValue))
        return SyntaxError(out, text, objStart);
    const char *rest = text.c_str() + pos;
    const KindText *say = TextOf(kind);
    size_t errpos = 0;
    if (kind == SIM_K_QMGR) {
        SimAttrs a = q->qmgrObj->attrs;
        if (SimApplyAttrs(kind, &a, rest, &errpos))
            return SyntaxError(out, text, pos + errpos);
        q->qmgrObj->attrs = a;
        SimStamp(q->qmgrObj);
        SimStoreObject(q, q->qmgrObj);
        Say(out, say->changed);
        return 0;
    }
    if (obj.values.size() != 1 || obj.values[0].empty() || obj.values[0].size() > 48)
        return SyntaxError(out, text, pos);
    const std::string name = obj.values[0];
    SimObject *o = SimLookup(q, kind, name);
    if (op == DELETE) {
        if (!o || o->kind != kind)
            return NotFound(out, name);
        if (SimQueueBusy(o)) {
            Say(out, "AMQ8148E: IBM MQ object in use.");
            return 1;
        }
        if (o->queue && o->queue->depth > 0 && !FindWord(rest, "PURGE", nullptr)) {
            Say(out, "AMQ8143E: IBM MQ queue not empty.");
            return 1;
        }
        SimRemoveObject(q, o);
        Say(out, say->deleted);
        return 0;
    }
    if (op == ALTER) {
        if (!o || o->kind != kind)
            return NotFound(out, name);
        SimAttrs a = o->attrs;
        if (SimApplyAttrs(kind, &a, rest, &errpos))
            return SyntaxError(out, text, pos + errpos);
        o->attrs = a;
        SimSetFixed(o);
        SimStamp(o);
        SimStoreObject(q, o);
        Say(out, say->changed);
        return 0;
    }
    /* DEFINE */
    std::string likeName, chl;
    MQLONG chltype = 0;
    if (kind == SIM_K_CHANNEL) {
        const SimValueKeyword *v = nullptr;
        if (FindWord(rest, "CHLTYPE", &chl))
            v = SimFindValue(MQIACH_CHANNEL_TYPE, chl.data(), chl.size());
        if (!v)
            return SyntaxError(out, text, text.size());
        chltype = v->value;
    }
    const SimObject *like = SimTypeDefault(q, kind, chltype);
    if (FindWord(rest, "LIKE", &likeName)) {
        like = SimLookup(q, kind, likeName);
        if (!like || like->kind != kind)
            return NotFound(out, likeName);
    }
    if (o && (!FindWord(rest, "REPLACE", nullptr) || o->kind != kind)) {
        Say(out, "AMQ8150E: IBM MQ object already exists.");
        return 1;
    }
    SimAttrs a = like ? like->attrs : SimAttrs();
    if (o && !FindWord(rest, "LIKE", nullptr))
        a = o->attrs;
    if (SimApplyAttrs(kind, &a, rest, &errpos))
        return SyntaxError(out, text, pos + errpos);
    if (!o)
        o = SimNewObject(q, kind, name, nullptr);
    o->attrs = a;
    o->attrs.erase(MQCA_ALTERATION_DATE);
    SimSetFixed(o);
    SimStamp(o);
    SimStoreObject(q, o);
    Say(out, say->created);
    return 0;
}

/* ---- scripts ------------------------------------------------------------------ */

/* Splits a script into commands: "*" comment lines, "+" (continue at the
 * next line's first non-blank) and "-" (continue at its start). */
static std::vector<Command> Split(const char *text)
{
    std::vector<Command> cmds;
    std::string cur;
    int line = 0, first = 0;
    bool cont = false, skipLead = false;
    const char *p = text;
    while (*p) {
        const char *e = p;
        while (*e && *e != '\n')
            e++;
        std::string l(p, (size_t)(e - p));
        p = *e ? e + 1 : e;
        line++;
        while (!l.empty() && (l.back() == '\r' || l.back() == ' ' || l.back() == '\t'))
            l.pop_back();
        size_t lead = l.find_first_not_of(" \t");
        if (lead != std::string::npos && l[lead] == '*')
            continue;              /* comments, also between continued lines */
        if (!cont && lead == std::string::npos)
            continue;
        if (cont && skipLead)
            l = lead == std::string::npos ? "" : l.substr(lead);
        if (!cont)
            first = line;
        cont = !l.empty() && (l.back() == '+' || l.back() == '-');
        if (cont) {
            skipLead = l.back() == '+';
            l.pop_back();
        }
        cur += cont || cur.empty() ? l : l;
        if (!cont) {
            size_t a = cur.find_first_not_of(" \t");
            cmds.push_back({a == std::string::npos ? "" : cur.substr(a), first});
            cur.clear();
        }
    }
    if (!cur.empty())
        cmds.push_back({cur, first});
    return cmds;
}

int SimRunMqsc(SimQMgr *q, const char *text, std::string *out)
{
    int failed = 0;
    for (const Command &c : Split(text)) {
        if (c.text.empty())
            continue;
        char echo[32];
        snprintf(echo, sizeof echo, "%6d : ", c.line);
        out->append(echo + c.text + "\n");
        SimOut msgs;
        failed += Run(q, c.text, &msgs);
        for (const std::string &m : msgs)
            out->append(m + "\n");
    }
    return failed;
}

int SimMqscCommand(SimQMgr *q, const std::string &text, std::vector<std::string> *msgs)
{
    int failed = 0;
    for (const Command &c : Split(text.c_str()))
        if (!c.text.empty())
            failed += Run(q, c.text, msgs);
    return failed;
}
