/* Fuzz target: names that come from outside (a monitor record's reply-to
 * names, an imported channel table, MQ Explorer file or configuration)
 * saved into RAVOLT.CFG.  The input is cut at NUL bytes into the texts of
 * a location (queue-manager name, second name, location name, the queue
 * manager it is reached through, command queue, reply model and prefix,
 * group, the location's MQSC command and security group); the location is
 * made as an import makes it, the configuration written at exit and read
 * at the next start.  A location the store takes reads back with every
 * text as it was, and the second and third writings are the same bytes. */
#include "fuzz.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "cfgfile.h"
#include "cs.h"
#include "prffile.h"

namespace {

std::string ReadWhole(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void EmptyLocations(void)
{
    while (LocTree)
        LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
    LocFlushFreed();
}

/* The texts of a location, by field. */
struct Texts {
    std::string qm, second, location, via, command, model, prefix, group, mqsc, security;
};

void Take(char *field, size_t size, const std::string &text)
{
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(field, text.data(), n);
    field[n] = 0;
}

/* A text as a quoted value keeps it: blanks at its end are not written. */
std::string Trim(const std::string &text)
{
    size_t n = text.size();
    while (n && text[n - 1] == ' ')
        n--;
    return text.substr(0, n);
}

int Locations(void)
{
    int n = 0;
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        n++;
    return n;
}

void Seeds(FuzzSeeds *s)
{
    std::string z(1, '\0');
    s->Add("QM1" + z + "RAVOLT" + z + "Main location" + z + z + "SYSTEM.ADMIN.COMMAND.QUEUE" + z +
           "SYSTEM.DEFAULT.MODEL.QUEUE" + z + "RAVOLT.*" + z + "Group A" + z + "DIS QMGR" + z + "SEC");
    s->Add("QM2" + z + "REPLY.Q" + z + "QM2(REPLY.Q\r\n)" + z + "QM1");
    s->Add("QM \"3\"" + z + "~second~" + z + "name; # comment" + z + "via=(x)");
    s->Add("QM4\r\nQM:X" + z + "A\r\n" + z + "line\nend\r\n\r" + z + z + z + z + z + "g\r\nDLG:");
}

void Init(void)
{
    snprintf(ConfigPath, sizeof ConfigPath, "%s/", FuzzScratch().c_str());
    snprintf(ConfigFile, sizeof ConfigFile, "%s/RAVOLT.CFG", FuzzScratch().c_str());
    static CFGHOOKS quiet = {};
    quiet.errorBox = [](void *, const char *, const char *, int, int) { return 0; };
    quiet.notice = [](void *, const char *, const char *) {};
    CfgSetHooks(&quiet);
    PrfSetDefaults();
}

/* An exit and the next start: the text written. */
std::string ExitAndStart(void)
{
    CfgStatus |= CFG_STATUS_READ;
    FUZZ_CHECK(CfgFileWrite() == 0, "the configuration was not written");
    std::string text = ReadWhole(ConfigFile);
    EmptyLocations();
    CfgStatus = 0;
    CfgFileRead(ConfigFile, &LocTree, 0, nullptr);
    return text;
}

void Run(const uint8_t *data, size_t size)
{
    std::vector<std::string> parts(10);
    size_t k = 0;
    for (size_t i = 0; i < size && k < parts.size(); i++) {
        if (data[i])
            parts[k] += (char)data[i];
        else
            k++;
    }
    Texts t = { parts[0], parts[1], parts[2], parts[3], parts[4], parts[5], parts[6], parts[7], parts[8],
                parts[9] };
    EmptyLocations();
    QMS r;
    InitLocationDefaults(&r);
    Take(r.qmName, sizeof r.qmName, t.qm);
    Take(r.secondName, sizeof r.secondName, t.second);
    Take(r.locationName, sizeof r.locationName, t.location);
    Take(r.viaQm, sizeof r.viaQm, t.via);
    Take(r.commandQueue, sizeof r.commandQueue, t.command);
    Take(r.replyModel, sizeof r.replyModel, t.model);
    Take(r.replyPrefix, sizeof r.replyPrefix, t.prefix);
    Take(r.groupName, sizeof r.groupName, t.group);
    if (!t.mqsc.empty())
        CSListAdd(&r.mqscCommands, "MQSCCMD", CSLIST_COPYDATA, t.mqsc.c_str(), t.mqsc.size() + 1);
    if (!t.security.empty())
        CSStringSet(&r.securityGroup, t.security.c_str(), -1);
    QMS *made = LocCreate(&LocTree, &r, 0);
    if (!made) {
        LocFreeRecordData(&r);
        return;
    }
    /* what the store keeps is what must come back */
    QMS kept = *made;
    std::string mqsc = made->mqscCommands.first ? (const char *)(made->mqscCommands.first + 1) : "";
    std::string security = made->securityGroup ? made->securityGroup : "";
    /* never written, or (a blank queue-manager name) not read back by
       design of the reader */
    if ((made->flags & LF_NOTSAVED) || !strncmp(made->secondName, "AMQ.", 4) || Trim(made->qmName).empty()) {
        EmptyLocations();
        return;
    }
    std::string first = ExitAndStart();
    QMS *back = LocFindByNames(Trim(kept.qmName).c_str(), Trim(kept.secondName).c_str());
    FUZZ_CHECK(back, "the location is not read back\n" + first);
    FUZZ_CHECK(Locations() == 1, "the location reads back as more than one\n" + first);
    auto same = [&](const char *what, const std::string &a, const std::string &b) {
        FUZZ_CHECK(Trim(a) == Trim(b), std::string(what) + " [" + a + "] reads back as [" + b + "]\n" + first);
    };
    same("location name", kept.locationName, back->locationName);
    same("via", kept.viaQm, back->viaQm);
    same("command queue", kept.commandQueue, back->commandQueue);
    same("reply model", kept.replyModel, back->replyModel);
    same("reply prefix", kept.replyPrefix, back->replyPrefix);
    same("group", kept.groupName, back->groupName);
    same("MQSC command", mqsc, back->mqscCommands.first ? (const char *)(back->mqscCommands.first + 1) : "");
    same("security group", security, back->securityGroup ? back->securityGroup : "");
    std::string second = ExitAndStart();
    std::string third = ExitAndStart();
    FUZZ_CHECK(second == third, "a written configuration reads back differently\n" + second + "\n----\n" + third);
    FUZZ_CHECK(first == second, "the first writing differs from the second\n" + first + "\n----\n" + second);
    EmptyLocations();
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
