/* Test helpers of the dialogs library: PCF replies built byte by byte
 * (so that damaged and unusual ones can be made too), a hook recorder
 * standing in for the windows and the command engine, and dialogs on
 * real definitions. */
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "cs.h"
#include "dialogs.h"
#include "mqi.h"

namespace dlgtest {

/* A PCF reply: an MQCFH (type 2) and the parameters appended. */
class Reply {
public:
    explicit Reply(int32_t command, bool last = true, int32_t reason = 0)
    {
        MQLONG h[9] = { MQCFT_RESPONSE, 36, 1, command, 1, last ? MQCFC_LAST : MQCFC_NOT_LAST,
                        reason ? 2 : 0, reason, 0 };
        data.assign((const char *)h, sizeof h);
    }
    Reply &Int(int32_t id, int32_t v) { return Put({ MQCFT_INTEGER, 16, id, v }); }
    Reply &Int64(int32_t id, int64_t v)
    {
        Put({ MQCFT_INTEGER64, 24, id, 0 });
        data.append((const char *)&v, 8);
        return *this;
    }
    Reply &Str(int32_t id, const std::string &s, int pad = 0)
    {
        std::string t = s + std::string((size_t)pad, ' ');
        int32_t len = (int32_t)((20 + t.size() + 3) & ~3u);
        Put({ MQCFT_STRING, len, id, 0, (int32_t)t.size() });
        data += t;
        data.append((size_t)(len - 20) - t.size(), '\0');
        return *this;
    }
    /* Type 9 (MQCFBS) or the program's 1001. */
    Reply &Bytes(int32_t id, const std::string &b, int32_t type = MQCFT_BYTE_STRING)
    {
        int32_t fixed = type == MQCFT_BYTE_STRING ? 16 : 20;
        int32_t len = (int32_t)((fixed + b.size() + 3) & ~3u);
        if (type == MQCFT_BYTE_STRING)
            Put({ type, len, id, (int32_t)b.size() });
        else
            Put({ type, len, id, 0, (int32_t)b.size() });
        data += b;
        data.append((size_t)(len - fixed) - b.size(), '\0');
        return *this;
    }
    Reply &Ints(int32_t id, const std::vector<int32_t> &v)
    {
        Put({ MQCFT_INTEGER_LIST, (int32_t)(16 + 4 * v.size()), id, (int32_t)v.size() });
        data.append((const char *)v.data(), 4 * v.size());
        return *this;
    }
    /* An MQCFSL; strucLength 0: the right one. */
    Reply &Strs(int32_t id, const std::vector<std::string> &v, int32_t width, int32_t strucLength = 0)
    {
        int32_t len = (int32_t)((24 + v.size() * (size_t)width + 3) & ~3u);
        Put({ MQCFT_STRING_LIST, strucLength ? strucLength : len, id, 0, (int32_t)v.size(), width });
        for (const std::string &s : v)
            data += (s + std::string((size_t)width, ' ')).substr(0, (size_t)width);
        data.append((size_t)(len - 24) - v.size() * (size_t)width, '\0');
        return *this;
    }
    Reply &Separator() { return Int(301162, 0); }
    Reply &End() { return Put({ 1000 }); }
    /* Any structure: its words. */
    Reply &Put(std::vector<int32_t> words)
    {
        data.append((const char *)words.data(), 4 * words.size());
        count++;
        Put32At(32, count);
        return *this;
    }
    void Put32At(size_t at, int32_t v) { memcpy(&data[at], &v, 4); }
    const uint8_t *Bytes() const { return (const uint8_t *)data.data(); }
    uint32_t Length() const { return (uint32_t)data.size(); }

    std::string data;
    int32_t count = 0;
};

/* One recorded post. */
struct Post {
    void *window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

/* Records what the library asks of the windows and the engine. */
struct Recorder {
    std::mutex lock;
    std::vector<Post> posts;
    std::vector<std::string> statuses;
    std::vector<uint32_t> commands;
    std::vector<std::string> selections;
    std::vector<std::string> errors;
    int dependChanged = 0;
    int filtersCompiled = 0;        /* a list's typed filter compiled again */
    int windowGone = 0;             /* posts fail */
    std::string windowText;         /* what the value window holds */
    std::string valueWindow;        /* what FieldHWNDData put into it */
    std::string topicName, topicString;

    void Install();
    static void Clear();
    /* Releases the list areas posted and not taken. */
    void ReleasePosted();
};

extern Recorder *Rec;

/* A dialog on a definition, with a fresh data area; released at the end. */
struct Dialog {
    DialogWords d = {};
    explicit Dialog(PCFCommandDef *def, void *window = nullptr);
    ~Dialog();
    DialogWords *operator->() { return &d; }
    DialogWords *get() { return &d; }
    PCFFieldEntry *Field(uint32_t attrId);
    uint8_t *Record(uint32_t attrId);
    std::string Text(uint32_t attrId, int index = 0);
    uint16_t State(uint32_t attrId);
};

/* The stand-in queue manager: a home folder of this process, MQSC run
 * against a queue manager, and a PCF request put to its command queue
 * with every reply read back (up to the last). */
void StandinHome(void);
std::string StandinMqsc(const char *qmgr, const std::string &script);
std::vector<std::string> StandinAsk(const char *qmgr, const Reply &request);
/* A request: the header of a command. */
Reply Request(int32_t command);

/* The facts folder (RAVOLT_MQFACTS), empty when not known. */
std::string FactsDir(void);
std::string ReadFile(const std::string &path);

/* A test case's own memory count, to show that nothing leaks. */
int64_t Blocks(void);

}  // namespace dlgtest
