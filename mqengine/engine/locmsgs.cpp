/* Texts and questions from worker threads: a location's connection error
 * text, a text for a window, and a question the main window answers while
 * the worker waits. */
#include "engint.h"

#include <atomic>
#include <cstring>

#include "cs.h"
#include "locstore.h"

void SetLocationErrorText(QMS *r, const char *text)
{
    if (LocSetLastError(r, text))
        AnalyserRefresh(nullptr);
}

void SendErrorText(void *window, const char *text)
{
    char *block = EngTextBlock(text, "ERROR");
    if (block)
        MQEPostBlock(window, FM_TEXT, 0, block, 1);
}

/* The wait steps: 1 s for the first 300 s, then longer. */
static uint32_t answer_step(uint64_t slept)
{
    if (slept < 300000)
        return 1000;
    if (slept < 600000)
        return 2000;
    if (slept < 900000)
        return 4000;
    return 10000;
}

int PostAndWaitReply(int32_t value, const char *text)
{
    size_t n = text ? strlen(text) : 0;
    MQEASK *ask = (MQEASK *)CSGetMem(sizeof *ask + n + 1, "ASKREPLY");
    if (!ask)
        return 0;
    memset(ask, 0, sizeof *ask);
    ask->value = value;
    ask->text = (char *)(ask + 1);
    memcpy(ask->text, text ? text : "", n + 1);
    if (!MQEPostFrame(nullptr, FM_ASK, 0, ask, 0)) {
        CSFreeMem(ask);
        return 0;
    }
    uint64_t slept = 0;
    while (!std::atomic_ref<int32_t>(ask->done).load()) {
        if (MQEProgramState() & PS_ENDING)
            return 0;          /* the block stays with the main window */
        uint32_t step = answer_step(slept);
        MQESleep(step);
        slept += step;
    }
    int answer = std::atomic_ref<int32_t>(ask->answer).load();
    CSFreeMem(ask);
    return answer;
}
