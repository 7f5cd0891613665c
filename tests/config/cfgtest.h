/* Helpers shared by the configuration tests: temporary files, reading a
 * file whole, and emptying the location store. */
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "locstore.h"

namespace cfgtest {

inline std::string TempDir(const char *name)
{
    auto dir = std::filesystem::temp_directory_path() / "ravolt-config-tests" / name;
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir);
    return dir.string();
}

/* A text file's contents with CR LF read as LF (files are written in
 * text mode, which differs between the hosts). */
inline std::string Slurp(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    std::string text = s.str(), out;
    for (size_t i = 0; i < text.size(); i++)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

inline void Spit(const std::string &path, const std::string &text)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
}

inline bool Exists(const std::string &path)
{
    return std::filesystem::exists(path);
}

inline std::string DataFile(const char *name)
{
    const char *dir = getenv("RAVOLT_TEST_DATA");
    return std::string(dir ? dir : "tests/data") + "/config/" + name;
}

/* Deletes every location of the program-wide tree and frees them. */
inline void ClearLocations()
{
    while (LocTree)
        LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
    LocFlushFreed();
}

}  // namespace cfgtest
