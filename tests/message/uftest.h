/* Shared pieces of the user format tests (the editor's too): format files
 * written into a folder of their own, the preferences pointed at them,
 * and every parse error recorded instead of shown in a box. */
#pragma once

#include "fmttest.h"
#include "userfmt.h"
#include "ufint.h"
#include "cshost.h"
#include <gtest/gtest.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

struct UFErrors {
    std::vector<std::string> texts;
    std::vector<std::string> captions;
    /* the message alone, after the "At line" lines */
    std::string Last() const
    {
        if (texts.empty()) return "";
        const std::string &t = texts.back();
        size_t p = t.find("\n\n");
        return p == std::string::npos ? t : t.substr(p + 2);
    }
};

inline void UFRecordError(void *context, void *, const char *text, const char *caption)
{
    UFErrors *e = (UFErrors *)context;
    e->texts.push_back(text);
    e->captions.push_back(caption);
}

/* A folder of format files of its own, the preferences pointed at it and
 * every parse error recorded instead of shown: Start before, Stop after. */
struct UFFiles {
    std::string dir;
    UFErrors errors;
    uint32_t options = UF_OPT_ALLOW | UF_OPT_EDIFACT | UF_OPT_SUMMARY;
    std::string fileName = "RAVOLT.FMT";

    void Start()
    {
        static int serial;
        dir = (std::filesystem::temp_directory_path() /
               ("ravolt_uf_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                "_" + std::to_string(++serial))).string();
        std::filesystem::create_directories(dir);
        UFSetErrorReporter(UFRecordError, &errors);
        Prefs();
    }
    void Stop()
    {
        UFFreeFormats();
        UFSetErrorReporter(nullptr, nullptr);
        UFSetReformatWalk(nullptr, nullptr);
        UFPREFS p = {};
        UFSetPreferences(&p);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    void Prefs()
    {
        UFPREFS p = { &options, fileName.c_str(), dir.c_str(), 850 };
        UFSetPreferences(&p);
    }
    /* A file's name as the program joins it to the folder. */
    std::string Path(const std::string &name) const
    {
        char joined[700];
        CSAppendPath(joined, dir.c_str(), name.c_str());
        return joined;
    }
    void Write(const std::string &name, const std::string &text)
    {
        std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
        FILE *f = fopen(Path(name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }
    /* Writes the top file and loads it as a reload does. */
    int Load(const std::string &text)
    {
        Write(fileName, text);
        return UFLoadFormats(nullptr, 0);
    }
};

class UserFormats : public ::testing::Test, public UFFiles {
protected:
    void SetUp() override
    {
        InstallStubTables();
        Start();
    }
    void TearDown() override { Stop(); }
    UFSTRUCT *Struct(const char *name) { return UFFindStruct(UFCurrent(), name); }
    const FmtStructRow *Row(const char *structName, int index)
    {
        UFSTRUCT *s = Struct(structName);
        return s ? &s->def.rows[index] : nullptr;
    }
};

/* Formats data with one structure into golden-file lines. */
inline std::string FormatWith(FmtStructDef *def, const std::vector<unsigned char> &data, uint32_t encoding = 546,
                              uint32_t ccsid = 850, uint32_t width = 100)
{
    FmtMsgInfo m = MakeMsg("        ", encoding, ccsid);
    FmtLineRec lr = MakeLineRec(4);
    lr.width = width;
    lr.options |= LO_EBCDIC_TO_ASCII;           /* EBCDIC text shown readable */
    Recorder r;
    std::vector<unsigned char> copy(data);
    const unsigned char *p = copy.data();
    uint32_t rem = (uint32_t)copy.size();
    FapFormatStructure(&m, def, nullptr, RecordSink, (uint64_t)(uintptr_t)&r, &lr, &rem, &p);
    return Render(r);
}
