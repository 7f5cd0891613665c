/* Test helpers of the dialogs library: the hook recorder and dialogs on
 * real definitions. */
#include "dlgtest.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

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
