/* Helpers of the location import tests: data and sample folders, files,
 * environment variables, golden comparisons, the boxes the imports show,
 * and emptying the location store. */
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cfgfile.h"
#include "sampletest.h"
#include "cs.h"
#include "dialogs.h"
#include "locimport.h"

namespace loctest {

inline std::string DataDir()
{
    const char *d = getenv("RAVOLT_TEST_DATA");
    return std::string(d ? d : "tests/data") + "/locations/";
}

/* A real sample of the shared folder that RAVOLT_SAMPLES names (the test
 * ends naming the path when it is missing). */
inline std::string Sample(const std::string &folder, const std::string &name)
{
    return samples::File(folder + "/" + name);
}

inline std::string ReadText(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline std::vector<uint8_t> ReadBytes(const std::string &path)
{
    std::string t = ReadText(path);
    return std::vector<uint8_t>(t.begin(), t.end());
}

inline void WriteBytes(const std::string &path, const std::vector<uint8_t> &b)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write((const char *)b.data(), (std::streamsize)b.size());
}

inline void WriteText(const std::string &path, const std::string &t)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << t;
}

inline std::string TempDir(const char *name)
{
    auto dir = std::filesystem::temp_directory_path() / "ravolt-locations-tests" / name;
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir);
    return dir.string();
}

inline void SetEnv(const char *name, const char *value)
{
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

inline void SetZone(const char *tz)
{
    SetEnv("TZ", tz);
#ifdef _WIN32
    _tzset();
#else
    tzset();
#endif
}

/* Compares with tests/data/locations/<name>; RAVOLT_UPDATE_GOLDEN=1 writes
 * the file instead.  The first differing line, or empty. */
inline std::string CompareGolden(const std::string &name, const std::string &actual)
{
    std::string path = DataDir() + name;
    if (getenv("RAVOLT_UPDATE_GOLDEN")) {
        WriteText(path, actual);
        return "";
    }
    std::string expected = ReadText(path);
    if (expected == actual)
        return "";
    std::istringstream a(expected), b(actual);
    std::string la, lb;
    for (int n = 1;; n++) {
        bool ga = (bool)std::getline(a, la), gb = (bool)std::getline(b, lb);
        if (!ga && !gb)
            return "differs";
        if (la != lb || ga != gb)
            return "line " + std::to_string(n) + "\n expected: " + (ga ? la : "<end>") +
                   "\n actual:   " + (gb ? lb : "<end>");
    }
}

/* The boxes shown through the import hooks. */
struct Box {
    std::string text, caption;
    int error;
};

struct Recorder {
    std::vector<Box> boxes;
    std::vector<IMPORTLIST *> posted;
    std::vector<std::pair<QMS *, int>> settings;
};

inline Recorder &Seen()
{
    static Recorder r;
    return r;
}

inline void RecordHooks()
{
    Seen() = Recorder();
    IMPORTHOOKS h = {};
    h.box = [](void *, void *, const char *text, const char *caption, int error) {
        Seen().boxes.push_back({text, caption, error});
    };
    h.postLocal = [](void *, IMPORTLIST *list) { Seen().posted.push_back(list); };
    h.settings = [](void *, QMS *r, int event) { Seen().settings.push_back({r, event}); };
    ImportSetHooks(&h);
}

inline std::string LastBox()
{
    return Seen().boxes.empty() ? "" : Seen().boxes.back().text;
}

inline void ClearLocations()
{
    while (LocTree)
        LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
    LocFlushFreed();
}

/* A location of the program's tree. */
inline QMS *AddLocation(const char *qm, const char *group = "", uint32_t flags = 0,
                        const char *second = nullptr)
{
    QMS t;
    InitLocationDefaults(&t);
    UTStrCopy(t.qmName, qm, sizeof t.qmName);
    UTStrCopy(t.groupName, group, sizeof t.groupName);
    if (second)
        UTStrCopy(t.secondName, second, sizeof t.secondName);
    t.flags |= flags;
    return LocCreate(&LocTree, &t, 0);
}

/* A field of a blank-padded record without its padding. */
inline std::string Trim(const char *field, size_t width)
{
    size_t n = strnlen(field, width);
    while (n && (field[n - 1] == ' ' || field[n - 1] == 0))
        n--;
    return std::string(field, n);
}
#define TRIM(f) loctest::Trim(f, sizeof(f))

}  // namespace loctest

namespace loctest {

/* Every import test starts from an empty store with recorded hooks. */
struct ImportTest : ::testing::Test {
    void SetUp() override
    {
        RecordHooks();
        ClearLocations();
        LocGlobals.loadingConfig = 0;
    }
    void TearDown() override
    {
        ClearLocations();
        ImportSetHooks(nullptr);
        JsonCcdtFree();
    }
};

inline IMPORTLIST *ReadList(uint32_t kind, const std::string &file)
{
    IMPORTLIST *list = ImportListCreate(kind);
    UTStrCopy(list->fileName, file.c_str(), sizeof list->fileName);
    if (kind & IMP_CCDT)
        ReadCCDTFile(list);
    else if (kind & IMP_CONFIG)
        ReadConfigImportFile(list);
    else
        ReadMQExplorerFile(list);
    return list;
}

inline std::vector<IMPORTENTRY *> Entries(IMPORTLIST *list)
{
    std::vector<IMPORTENTRY *> v;
    for (IMPORTENTRY *e = list->entries; e; e = e->next)
        v.push_back(e);
    return v;
}

inline IMPORTENTRY *Entry(IMPORTLIST *list, const std::string &qm)
{
    for (IMPORTENTRY *e = list->entries; e; e = e->next)
        if (qm == e->qmName)
            return e;
    return nullptr;
}

/* Client settings holding a channel and connection name. */
inline void *ClientArea(const char *channel, const char *connection)
{
    PCFCommandDef *def = &PCFClientChannelDef;
    uint8_t *area = PCFNewData(def, "pClCfgData");
    PCFStoreText(def, area, PCFFindField(nullptr, nullptr, def->fields, 3501), channel, -1, nullptr, 0);
    PCFStoreText(def, area, PCFFindField(nullptr, nullptr, def->fields, 3506), connection, -1, nullptr, 0);
    return area;
}

/* A location's client settings as the configuration file's "CLN:" block
 * holds them (empty without settings). */
inline std::string Client(const QMS *r)
{
    if (!r || !r->clientSettings)
        return "";
    PRFOUT out;
    PrfOutOpen(&out, nullptr);                 /* kept in memory */
    SaveObject(&out, (const uint8_t *)r->clientSettings, &PCFClientChannelDef);
    std::string text(out.data ? out.data : "", out.length);
    PrfOutClose(&out);
    return text;
}

}  // namespace loctest
