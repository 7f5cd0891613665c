/* The real sample files of the shared folder (RAVOLT_SAMPLES, else
 * ../shared/samples).  A test that needs one and does not find it ends at
 * once, naming the path that is missing, instead of crashing or waiting
 * on what it could not read. */
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace samples {

/* The samples folder the test run names. */
inline std::string Folder()
{
    const char *d = getenv("RAVOLT_SAMPLES");
    return d && *d ? d : "../shared/samples";
}

/* folder/relative when it exists; else the test ends with the path. */
inline std::string In(const std::string &folder, const std::string &relative)
{
    std::string path = folder + "/" + relative;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw std::runtime_error("missing sample: " + path);
    return path;
}

inline std::string File(const std::string &relative)
{
    return In(Folder(), relative);
}

}  // namespace samples
