/* Test helpers of MQSC: a fixture on the engine's real threads and the
 * stand-in with the windows recorded (the refresh asked again on 11383),
 * and the parameters of a PCF response read back. */
#pragma once

#include "../command/cmdtest.h"
#include "../enginetest.h"

#include <initializer_list>
#include <map>

#include "mqsc.h"

namespace mqsctest {

/* A PCF message read back: parameters by id, in order. */
struct Parsed {
    MQCFH head = {};
    std::vector<int32_t> order;
    std::map<int32_t, int32_t> ints;
    std::map<int32_t, std::string> strs;
    std::map<int32_t, std::vector<int32_t>> lists;
    std::map<int32_t, std::vector<std::string>> strlists;
    std::map<int32_t, std::string> bytes;
};
Parsed Parse(const uint8_t *data, uint32_t length);

struct Live : EngineTest {
    cmdtest::Hooks hooks;
    void SetUp() override;
    void TearDown() override;
    /* A location that may do everything. */
    QMS *Location(const char *qm, uint32_t flags = 0);
    /* The action of a dialog, waited for to its end and taken over. */
    int Do(cmdtest::TestDialog &d, uint32_t action);
    /* The queue refresh done and the named queues in its list (the marks
       of an earlier refresh may still stand when a new one is posted). */
    bool Listed(QMS *r, std::initializer_list<const char *> queues);
    /* The texts put to the command queue. */
    std::vector<std::string> Puts();
};

}  // namespace mqsctest
