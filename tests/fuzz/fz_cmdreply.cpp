/* Fuzz target: a PCF reply as a hostile queue manager sends it, into the
 * command engine's reply processing while a window's command is in
 * flight: the first input byte chooses the window kind, its display or
 * list command is sent (and swallowed), and the input's reply comes back
 * under the command's key, then once more after the command ended. */
#include "fuzz.h"

#include "replysamples.h"
#include "cmdtest.h"

using namespace cmdtest;

namespace {

Hooks *hooks;
Loc *location;
int kinds;

void Init(void)
{
    PCFInitCommandDefs();
    hooks = new Hooks;
    hooks->Install();
    hooks->swallow = 1;
    location = new Loc("QMREPLY");
    while (PCFCommandDefs[kinds])
        kinds++;
}

void Seeds(FuzzSeeds *s)
{
    for (const std::string &r : dlgtest::SampleReplies())
        for (int k = 0; k < kinds; k++)
            s->Add(std::string(1, (char)k) + r);
}

void Run(const uint8_t *data, size_t size)
{
    FuzzInput in = { data, size };
    PCFCommandDef *def = PCFCommandDefs[in.Byte() % kinds];
    std::string reply = in.Rest();
    {
        TestDialog d(def, &*location);
        size_t before = hooks->sent.size();
        PCFDoCommand(d.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
        if (hooks->sent.size() > before) {
            CMDKEY key = hooks->sent.back().key;
            for (int i = 0; i < 2; i++) {
                MQMD md = ReplyMd(key);
                FuzzBlock copy(reply);
                ProcessResponse(&*location, 0, &md, copy.data(), (uint32_t)copy.size());
                hooks->Pump();
            }
        }
        IfcmdPurge(0, nullptr, 1);
        hooks->Pump();
    }
    std::lock_guard<std::mutex> g(hooks->lock);
    hooks->statuses.clear();
    hooks->titles.clear();
    hooks->messages.clear();
    hooks->frames.clear();
    hooks->questions.clear();
    hooks->boxes.clear();
    hooks->errors.clear();
    hooks->sent.clear();
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
