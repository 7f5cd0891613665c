/* MQSC text on a z/OS queue manager's command queue, answered as the
 * z/OS command server does: a CSQN205I count line, one message per
 * reply line (object attributes, errors), and a CSQ9022I or CSQ9023E
 * completion line, each carrying the queue manager's command prefix.  A
 * DISPLAY that finds no object, by its name or by its WHERE clause,
 * answers CSQM297I and completes normally. */
#include "sim.h"

#include <cstring>

static std::string Verb(const std::string &text)
{
    std::string v;
    size_t p = 0;
    for (int words = 0; words < 2 && p < text.size(); words++) {
        while (p < text.size() && text[p] == ' ')
            p++;
        size_t s = p;
        while (p < text.size() && text[p] != ' ' && text[p] != '(')
            p++;
        v += " " + text.substr(s, p - s);
    }
    for (char &c : v)
        c = (char)toupper((unsigned char)c);
    return v;
}

/* A reply line of the interpreter turned into z/OS form. */
static std::string ZosLine(const std::string &cpf, const std::string &msg)
{
    std::string id = "CSQM401I";
    std::string body = msg;
    size_t nl = msg.find('\n');
    if (msg.compare(0, 8, "AMQ8405I") == 0) {
        id = "CSQ9002E";                         /* a syntax error, not attributes */
        body = nl != std::string::npos ? msg.substr(nl + 1) : "";
    } else if (msg.compare(0, 3, "AMQ") == 0 && nl != std::string::npos) {
        body = msg.substr(nl + 1);               /* DISPLAY: attribute lines */
        if (msg.compare(0, 8, "AMQ8408I") == 0)
            id = "CSQM409I";
        std::string flat;
        for (char c : body)
            flat += c == '\n' ? ' ' : c;
        body = flat;
    } else if (msg.compare(0, 8, "AMQ8147E") == 0) {
        id = "CSQM125I";
    } else if (msg.size() > 10 && msg.compare(0, 3, "AMQ") == 0) {
        id = "CSQM" + msg.substr(4, 4);
        body = msg.substr(10);
    }
    return id + " " + cpf + " " + body;
}

void SimZosCommand(SimQMgr *q, const std::string &text, MQLONG injected, std::vector<std::string> *replies)
{
    std::string cpf = "+" + q->name.substr(0, 4);
    std::vector<std::string> msgs;
    int failed = 0;
    std::string cmd = text;
    while (!cmd.empty() && (cmd.back() == ' ' || cmd.back() == '\0'))
        cmd.pop_back();
    if (injected > 0)
        failed = 1;
    else
        failed = SimMqscCommand(q, cmd, &msgs);
    std::string verb = Verb(cmd);
    bool display = verb.compare(0, 4, " DIS") == 0;
    std::string none = "CSQM297I " + cpf + " CSQMDRTC NO" + verb.substr(verb.find(' ', 1)) +
                       " FOUND MATCHING REQUEST CRITERIA";
    if (display && failed && msgs.size() == 1 && msgs[0].compare(0, 8, "AMQ8147E") == 0) {
        /* a display that finds nothing completes normally */
        msgs[0] = none;
        failed = 0;
    } else if (display && !failed && msgs.empty()) {
        msgs.push_back(none);                  /* its WHERE let no object through */
    }
    std::vector<std::string> lines;
    for (const std::string &m : msgs) {
        if (m.compare(0, 4, "CSQM") == 0) {
            lines.push_back(m);
            continue;
        }
        bool change = m.compare(0, 3, "AMQ") == 0 && m.find('\n') == std::string::npos && m[7] == 'I' && !failed;
        if (!change)
            lines.push_back(ZosLine(cpf, m));
    }
    if (failed) {
        char code[64];
        snprintf(code, sizeof code, "CSQM090E %s CSQMCMDS FAILURE REASON CODE X'%08X'", cpf.c_str(),
                 (unsigned)(injected > 0 ? injected : 0x00D44002));
        lines.push_back(code);
    }
    lines.push_back((failed ? "CSQ9023E " : "CSQ9022I ") + cpf + " CSQMCMDS '" + verb + "' " +
                    (failed ? "ABNORMAL COMPLETION" : "NORMAL COMPLETION"));
    char head[80];
    snprintf(head, sizeof head, "CSQN205I   COUNT=%8d, RETURN=%08X, REASON=%08X", (int)lines.size() + 1,
             failed ? 0xC : 0, failed ? 8 : 0);
    replies->push_back(head);
    for (const std::string &l : lines)
        replies->push_back(l);
}
