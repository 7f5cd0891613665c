/* Fuzz target: names from outside (a monitor record's reply-to names, an
 * imported table, MQ Explorer file or configuration) saved into
 * RAVOLT.CFG.  The input cut at NUL bytes gives a location's texts; the
 * location the store takes is written at exit and read at the next start
 * with every text as it was (blanks at the end aside, which are never
 * written), and the first three writings are the same bytes. */
#include "fzconfig.h"

#include "prffile.h"

namespace {

std::string Trim(const std::string &t)
{
    return t.substr(0, t.find_last_not_of(' ') + 1);
}

void Seeds(FuzzSeeds *s)
{
    std::string z(1, '\0');
    s->Add("QM1" + z + "RAVOLT" + z + "Main location" + z + z + "SYSTEM.ADMIN.COMMAND.QUEUE" + z +
           "SYSTEM.DEFAULT.MODEL.QUEUE" + z + "RAVOLT.*" + z + "Group A" + z + "DIS QMGR" + z + "SEC");
    s->Add("QM2" + z + "REPLY.Q" + z + "QM2(REPLY.Q\r\n)" + z + "QM1");
    s->Add("QM \"3\"" + z + "~second~" + z + "name; # comment" + z + "via=(x)" + z + " " + z + "  ");
    s->Add("QM4\r\nQM:X" + z + "A\r\n" + z + "line\nend\r\n\r" + z + z + z + z + z + "g\r\nDLG:");
}

void Init(void)
{
    FuzzConfigQuiet();
    PrfSetDefaults();
}

/* An exit and the next start: the text written. */
std::string ExitAndStart(void)
{
    CfgStatus |= CFG_STATUS_READ;
    FUZZ_CHECK(CfgFileWrite() == 0, "the configuration was not written");
    std::string text = FuzzConfigText();
    FuzzEmptyLocations();
    CfgFileRead(ConfigFile, &LocTree, 0, nullptr);
    return text;
}

void Run(const uint8_t *data, size_t size)
{
    std::vector<std::string> t(10);
    for (size_t i = 0, k = 0; i < size && k < t.size(); i++) {
        if (data[i])
            t[k] += (char)data[i];
        else
            k++;
    }
    FuzzEmptyLocations();
    QMS r;
    InitLocationDefaults(&r);
    char *fields[] = { r.qmName, r.secondName, r.locationName, r.viaQm, r.commandQueue, r.replyModel,
                       r.replyPrefix, r.groupName };
    size_t sizes[] = { sizeof r.qmName, sizeof r.secondName, sizeof r.locationName, sizeof r.viaQm,
                       sizeof r.commandQueue, sizeof r.replyModel, sizeof r.replyPrefix, sizeof r.groupName };
    for (int i = 0; i < 8; i++)
        snprintf(fields[i], sizes[i], "%s", t[(size_t)i].c_str());
    if (!t[8].empty())
        CSListAdd(&r.mqscCommands, "MQSCCMD", CSLIST_COPYDATA, t[8].c_str(), t[8].size() + 1);
    CSStringSet(&r.securityGroup, t[9].c_str(), -1);
    QMS *made = LocCreate(&LocTree, &r, 0);
    if (!made) {
        LocFreeRecordData(&r);
        return;
    }
    /* what the store keeps must come back; a blank queue-manager name is
       not read back by design of the reader */
    std::vector<std::string> kept;
    fields[0] = made->qmName, fields[1] = made->secondName, fields[2] = made->locationName;
    fields[3] = made->viaQm, fields[4] = made->commandQueue, fields[5] = made->replyModel;
    fields[6] = made->replyPrefix, fields[7] = made->groupName;
    for (char *f : fields)
        kept.push_back(Trim(f));
    /* texts without a bound of their own read back as far as a token goes */
    std::string mqsc = made->mqscCommands.first ? (const char *)(made->mqscCommands.first + 1) : "";
    kept.push_back(Trim(mqsc.substr(0, PRF_TOKEN_MAX)));
    kept.push_back(Trim(std::string(made->securityGroup ? made->securityGroup : "").substr(0, PRF_TOKEN_MAX)));
    if ((made->flags & LF_NOTSAVED) || !strncmp(made->secondName, "AMQ.", 4) || kept[0].empty()) {
        FuzzEmptyLocations();
        return;
    }
    std::string first = ExitAndStart();
    QMS *back = LocFindByNames(kept[0].c_str(), kept[1].c_str());
    FUZZ_CHECK(back && CSTreeFirst(LocTree)->next == nullptr, "not read back as one location\n" + first);
    const char *got[] = { back->qmName, back->secondName, back->locationName, back->viaQm, back->commandQueue,
                          back->replyModel, back->replyPrefix, back->groupName,
                          back->mqscCommands.first ? (const char *)(back->mqscCommands.first + 1) : "",
                          back->securityGroup ? back->securityGroup : "" };
    for (size_t i = 0; i < kept.size(); i++)
        FUZZ_CHECK(kept[i] == Trim(got[i]), "text " + std::to_string(i) + " [" + kept[i] + "] reads back as [" +
                                                 got[i] + "]\n" + first);
    std::string second = ExitAndStart(), third = ExitAndStart();
    FUZZ_CHECK(first == second && second == third, "the writings differ\n" + first + "\n----\n" + second);
    FuzzEmptyLocations();
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
