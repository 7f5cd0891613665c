/* Test helpers of the dialogs library: the hook recorder and dialogs on
 * real definitions. */
#include "dlgtest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "mqsim.h"

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace dlgtest {

Recorder *Rec;

static int HookPost(void *, void *window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    std::lock_guard<std::mutex> g(Rec->lock);
    if (Rec->windowGone)
        return 0;
    Rec->posts.push_back({ window, message, wParam, lParam });
    return 1;
}

static void HookStatus(void *, DialogWords *, const char *text, uint32_t)
{
    std::lock_guard<std::mutex> g(Rec->lock);
    Rec->statuses.push_back(text ? text : "");
}

static int HookDoCommand(void *, DialogWords *, uint32_t actionId, PCFLISTREQ *, void *)
{
    Rec->commands.push_back(actionId);
    return 0;
}

static int HookSendToAll(void *, DialogWords *, uint32_t actionId)
{
    Rec->commands.push_back(100000 + actionId);
    return 0;
}

static void HookDepend(void *, DialogWords *) { Rec->dependChanged++; }
static void HookNewFilter(void *, DialogWords *) { Rec->filtersCompiled++; }

static int HookValueText(void *, DialogWords *, char *buffer, int size)
{
    snprintf(buffer, (size_t)size, "%s", Rec->windowText.c_str());
    return 1;
}

static void HookSetValueText(void *, DialogWords *, const char *text) { Rec->valueWindow = text; }
static void HookSelection(void *, DialogWords *, const char *text) { Rec->selections.push_back(text); }
static void HookError(void *, QMS *, uint32_t, const char *text) { Rec->errors.push_back(text); }

static int HookTopic(void *, QMS *, const char *name, char *topic, int size, uint64_t *value)
{
    if (Rec->topicName != name)
        return 0;
    snprintf(topic, (size_t)size, "%s", Rec->topicString.c_str());
    *value = 77;
    return 1;
}

void Recorder::Install()
{
    Rec = this;
    PCFHOOKS h = {};
    h.post = HookPost;
    h.status = HookStatus;
    h.doCommand = HookDoCommand;
    h.sendToAll = HookSendToAll;
    h.dependChanged = HookDepend;
    h.newFilter = HookNewFilter;
    h.valueText = HookValueText;
    h.setValueText = HookSetValueText;
    h.setSelectionText = HookSelection;
    h.postError = HookError;
    h.findTopic = HookTopic;
    PCFSetHooks(&h);
}

void Recorder::Clear()
{
    PCFSetHooks(nullptr);
    Rec = nullptr;
}

void Recorder::ReleasePosted()
{
    for (Post &p : posts)
        if (p.message == UM_PCF_UPDATE_LIST) {
            PCFLISTAREA *a = (PCFLISTAREA *)p.lParam;
            ReleaseRefBlock(&a);
        }
    posts.clear();
}

Dialog::Dialog(PCFCommandDef *def, void *window)
{
    PCFInitCommandDefs();
    d.definition = def;
    d.window = window;
    d.dataArea = PCFNewData(def, "TESTDATA");
    d.listIndex = 0;
}

Dialog::~Dialog()
{
    PCFFreePending(d.pending);
    PCFFreeData(d.definition, d.dataArea, 1);
    PCFLISTREQ *lists[] = { &d.first, &d.second };
    for (PCFLISTREQ *r : lists) {
        ReleaseRefBlock(&r->filling);
        ReleaseRefBlock(&r->replyArea);
    }
    if (d.unhandled)
        CSFreeMem(d.unhandled);
}

PCFFieldEntry *Dialog::Field(uint32_t attrId)
{
    return PCFFindField(nullptr, nullptr, d.definition->fields, attrId);
}

uint8_t *Dialog::Record(uint32_t attrId)
{
    PCFFieldEntry *e = Field(attrId);
    return e ? d.dataArea + e->offset : nullptr;
}

std::string Dialog::Text(uint32_t attrId, int index)
{
    char buffer[600];
    return PCFValueText(d.dataArea, Field(attrId), index, buffer, sizeof buffer, 1);
}

uint16_t Dialog::State(uint32_t attrId)
{
    return PCFState(Record(attrId));
}

void StandinHome(void)
{
    static std::string home;
    if (!home.empty())
        return;
    home = (std::filesystem::temp_directory_path() / ("ravolt-dialogs-" + std::to_string(getpid()))).string();
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
#ifdef _WIN32
    _putenv_s("RAVOLT_MQSIM_HOME", home.c_str());
#else
    setenv("RAVOLT_MQSIM_HOME", home.c_str(), 1);
#endif
}

std::string StandinMqsc(const char *qmgr, const std::string &script)
{
    StandinHome();
    std::string out(65536, '\0');
    MQSimRunMqsc((PMQCHAR)qmgr, (PMQCHAR)script.c_str(), (MQLONG)out.size(), &out[0]);
    out.resize(strlen(out.c_str()));
    return out;
}

Reply Request(int32_t command)
{
    Reply r(command);
    r.Put32At(0, MQCFT_COMMAND);
    r.Put32At(24, 0);
    return r;
}

static void Blank(char *field, size_t size, const char *text)
{
    size_t n = strlen(text);
    memset(field, ' ', size);
    memcpy(field, text, n < size ? n : size);
}

std::vector<std::string> StandinAsk(const char *qmgr, const Reply &request)
{
    std::vector<std::string> replies;
    MQHCONN h;
    MQLONG cc, rc;
    char name[MQ_Q_MGR_NAME_LENGTH];
    Blank(name, sizeof name, qmgr);
    MQCONN(name, &h, &cc, &rc);
    EXPECT_EQ(rc, 0);
    if (cc == MQCC_FAILED)
        return replies;
    MQOD od = { MQOD_DEFAULT }, rod = { MQOD_DEFAULT };
    Blank(od.ObjectName, sizeof od.ObjectName, "SYSTEM.ADMIN.COMMAND.QUEUE");
    Blank(rod.ObjectName, sizeof rod.ObjectName, "SYSTEM.DEFAULT.MODEL.QUEUE");
    MQHOBJ cmd, reply;
    MQOPEN(h, &od, MQOO_OUTPUT, &cmd, &cc, &rc);
    MQOPEN(h, &rod, MQOO_INPUT_EXCLUSIVE, &reply, &cc, &rc);
    MQMD md = { MQMD_DEFAULT };
    MQPMO pmo = { MQPMO_DEFAULT };
    md.MsgType = MQMT_REQUEST;
    memcpy(md.Format, MQFMT_ADMIN, MQ_FORMAT_LENGTH);
    memcpy(md.ReplyToQ, rod.ObjectName, sizeof md.ReplyToQ);
    MQPUT(h, cmd, &md, &pmo, (MQLONG)request.Length(), (PMQVOID)request.Bytes(), &cc, &rc);
    EXPECT_EQ(rc, 0);
    std::string buffer(1 << 20, '\0');
    for (;;) {
        MQMD gmd = { MQMD_DEFAULT };
        MQGMO gmo = { MQGMO_DEFAULT };
        gmo.Options = MQGMO_WAIT | MQGMO_NO_SYNCPOINT;
        gmo.WaitInterval = 10000;
        MQLONG length = 0;
        MQGET(h, reply, &gmd, &gmo, (MQLONG)buffer.size(), &buffer[0], &length, &cc, &rc);
        if (cc == MQCC_FAILED)
            break;
        replies.push_back(buffer.substr(0, (size_t)length));
        MQLONG control;
        memcpy(&control, &buffer[20], 4);
        if (control & MQCFC_LAST)
            break;
    }
    MQCLOSE(h, &cmd, MQCO_NONE, &cc, &rc);
    MQCLOSE(h, &reply, MQCO_NONE, &cc, &rc);
    MQDISC(&h, &cc, &rc);
    return replies;
}

std::string FactsDir(void)
{
    const char *dir = getenv("RAVOLT_MQFACTS");
    return dir ? dir : "";
}

std::string ReadFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

int64_t Blocks(void)
{
    CSMEMSTATS s;
    CSMemStats(&s);
    return s.blocks;
}

}  // namespace dlgtest
