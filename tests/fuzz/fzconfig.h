/* What the targets that write the configuration share: RAVOLT.CFG in the
 * scratch folder with quiet boxes, the file's text, and the location
 * store emptied (a location's client settings and dialog entries freed
 * with it, as the program wires it). */
#pragma once

#include "fuzz.h"

#include <fstream>
#include <sstream>

#include "cfgfile.h"
#include "cs.h"
#include "dlginfo.h"
#include "locstore.h"

inline void FuzzConfigQuiet(void)
{
    snprintf(ConfigPath, sizeof ConfigPath, "%s/", FuzzScratch().c_str());
    snprintf(ConfigFile, sizeof ConfigFile, "%s/RAVOLT.CFG", FuzzScratch().c_str());
    static CFGHOOKS quiet = {};
    quiet.errorBox = [](void *, const char *, const char *, int, int) { return 0; };
    quiet.notice = [](void *, const char *, const char *) {};
    CfgSetHooks(&quiet);
    static LOCRELEASEHOOKS records = {};
    records.freeClientData = [](void *, QMS *r) { CfgFreeClientSettings(r); };
    records.freeDialogs = [](void *, CSTREE **tree) { DlgInfoFreeTree(tree); };
    LocSetReleaseHooks(&records);
}

inline std::string FuzzConfigText(void)
{
    std::ifstream f(ConfigFile, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void FuzzEmptyLocations(void)
{
    while (LocTree)
        LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
    LocFlushFreed();
}
