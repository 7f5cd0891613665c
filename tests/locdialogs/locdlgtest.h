/* Helpers of the location-dialog tests: a recorder of what the dialogs
 * ask of other parts, and locations made in the program-wide tree and
 * removed again after each case. */
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cs.h"
#include "dialogs.h"
#include "locdlg.h"

namespace locdlgtest {

struct Recorder {
    std::vector<std::string> calls;
    std::vector<uint32_t> posts;        /* messages posted */
    std::vector<uint32_t> repaints;
    DialogWords *lastDialog = nullptr;   /* the template of the last command dialog */
    uint8_t *lastArea = nullptr;
    void (*done)(DialogWords *) = nullptr;
    DialogWords opened = {};             /* the dialog the hook "opens" */
    int counter = 0;
};

extern Recorder *Rec;
void InstallHooks(Recorder *rec);

struct Locations : ::testing::Test {
    Recorder rec;
    void SetUp() override
    {
        LocGlobals.defaultAuthMask = ~0ull;
        InstallHooks(&rec);
    }
    void TearDown() override
    {
        while (LocTree)
            LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
        LocFlushFreed();
        LocDlgSetHooks(nullptr);
        LocDlgSettings = LOCDLGSETTINGS{};
        LocGlobals.defaultAuthMask = 0;
    }
    static QMS *Add(const char *qm, const char *second = "", const char *location = "",
                    const char *group = "")
    {
        QMS t;
        InitLocationDefaults(&t);
        snprintf(t.qmName, sizeof t.qmName, "%s", qm);
        snprintf(t.secondName, sizeof t.secondName, "%s", second);
        snprintf(t.locationName, sizeof t.locationName, "%s", location);
        snprintf(t.groupName, sizeof t.groupName, "%s", group);
        return LocCreate(&LocTree, &t, 0);
    }
};

}  // namespace locdlgtest
