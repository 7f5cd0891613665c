/* Trace line format and indentation, the trap record, and dumps. */
#include "cs.h"
#include "cssys.h"

#include <gtest/gtest.h>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

static fs::path TestFolder(const char *name)
{
    fs::path p = fs::temp_directory_path() / name;
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

static std::vector<std::string> ReadLines(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

/* The line holding text, or "". */
static std::string LineWith(const std::vector<std::string> &lines, const std::string &text)
{
    for (auto &l : lines)
        if (l.find(text) != std::string::npos)
            return l;
    return "";
}

static std::string Prefix(int blanks)
{
    char p[32];
    snprintf(p, sizeof p, "TID(%5d):", (int)CSGetThreadId());
    return p + std::string(blanks, ' ');
}

static int BlanksAfterPrefix(const std::string &line)
{
    size_t colon = line.find("):");
    if (colon == std::string::npos)
        return -1;
    size_t i = colon + 2, n = 0;
    while (i + n < line.size() && line[i + n] == ' ')
        n++;
    return (int)n;
}

TEST(Trace, LinesIndentationAndThreads)
{
    fs::path dir = TestFolder("ravolt_trace_test");
    std::string d = dir.string();
    ASSERT_EQ(CSSetTraceDir(d.c_str()), 0);
    EXPECT_EQ(CSSetTraceDir(std::string(149, 'd').c_str()), 1);  /* too long: kept */
    ASSERT_EQ(CSTraceOpen("first.trc"), 0);
    EXPECT_EQ(CSTraceIsOn(), 1);
    EXPECT_EQ(CSTraceOpen("second.trc"), 0);
    EXPECT_FALSE(fs::exists(dir / "second.trc"));

    CSTraceEntry("Outer");
    CSTraceEntry("Inner");
    CSTrace(1, "inside %d\n", 42);
    CSTraceExit("Inner", 0);
    CSTraceExit("Outer", 0x12);
    CSTrace(0, "plain %s\n", "text");
    CSTraceMsgIn("WndProc", (void *)0x1234, 512, 1, 2);
    CSTraceMsgIn("WndProc", (void *)0x1234, 49152, 1, 2);
    CSTraceMsgIn("WndProc", (void *)0x1234, 273, 3, 4);
    CSTraceMsgOut("WndProc", (void *)0x1234, 273, 5);
    CSLockGlobal(3);
    CSUnlockGlobal(3);
    void *p = CSGetMem(10, "TEST");
    CSFreeMem(p);

    /* Threads beyond the twentieth share the last slot's depth. */
    std::vector<std::string> names;
    for (int i = 0; i < 25; i++) {
        names.push_back("Deep" + std::to_string(i));
        std::thread([&names, i] { CSTraceEntry(names[i].c_str()); }).join();
    }

    auto lines = ReadLines(dir / "first.trc");
    CSTraceClose();
    EXPECT_EQ(CSTraceIsOn(), 0);
    CSTraceEntry("AfterClose");   /* a no-op now */

    EXPECT_EQ(LineWith(lines, "--> Outer"), Prefix(1) + "--> Outer");
    EXPECT_EQ(LineWith(lines, "--> Inner"), Prefix(2) + "--> Inner");
    EXPECT_EQ(LineWith(lines, "inside"), Prefix(3) + "inside 42");
    EXPECT_EQ(LineWith(lines, "<-- Inner"), Prefix(2) + "<-- Inner RC(0x00000000)");
    EXPECT_EQ(LineWith(lines, "<-- Outer"), Prefix(1) + "<-- Outer RC(0x00000012)");
    EXPECT_EQ(LineWith(lines, "plain"), "plain text");
    EXPECT_EQ(LineWith(lines, "MP1(       1) MP2(       2)"),
              Prefix(1) + ">WndProc HWND(    1234) MSG(                c000) MP1(       1) MP2(       2)");
    EXPECT_EQ(LineWith(lines, "MSG(                 200)"), "");
    EXPECT_EQ(LineWith(lines, ">WndProc HWND(    1234) MSG(          WM_COMMAND)"),
              Prefix(1) + ">WndProc HWND(    1234) MSG(          WM_COMMAND) MP1(       3) MP2(       4)");
    EXPECT_EQ(LineWith(lines, "<WndProc"),
              Prefix(1) + "<WndProc HWND(    1234) MSG(          WM_COMMAND) RES(       5)");
    EXPECT_NE(LineWith(lines, "--> CSLockIt"), "");
    EXPECT_NE(LineWith(lines, ") CNT(0) WAIT"), "");
    EXPECT_NE(LineWith(lines, "CSGetMem Ptr:"), "");
    EXPECT_EQ(LineWith(lines, "AfterClose"), "");

    std::vector<int> blanks;
    for (auto &n : names)
        blanks.push_back(BlanksAfterPrefix(LineWith(lines, "--> " + n)));
    size_t firstShared = 0;
    while (firstShared < blanks.size() && blanks[firstShared] == 1)
        firstShared++;
    EXPECT_GE(firstShared, 15u);
    EXPECT_LE(firstShared, 19u);
    for (size_t i = firstShared > 0 ? firstShared : 1; i < blanks.size(); i++)
        EXPECT_EQ(blanks[i], blanks[i - 1] + 1) << "thread " << i;
    fs::remove_all(dir);
}

TEST(Trace, WindowMessageNames)
{
    EXPECT_STREQ(WinMsgName(0), "WM_NULL");
    EXPECT_STREQ(WinMsgName(256), "WM_KEYDOWN");
    EXPECT_STREQ(WinMsgName(265), "WM_KEYLAST");
    EXPECT_STREQ(WinMsgName(271), "WM_IME_COMPOSITION");
    EXPECT_STREQ(WinMsgName(512), "WM_MOUSEMOVE");
    EXPECT_STREQ(WinMsgName(856), "WM_HANDHELDFIRST");
    EXPECT_STREQ(WinMsgName(911), "WM_PENWINLAST");
    EXPECT_STREQ(WinMsgName(1024), "WM_USER");
    EXPECT_STREQ(WinMsgName(32768), "WM_APP");
    EXPECT_EQ(WinMsgName(4), nullptr);
    EXPECT_EQ(WinMsgName(49152), nullptr);
    int named = 0;
    for (uint32_t m = 0; m <= 0x10000; m++)
        named += WinMsgName(m) != nullptr;
    EXPECT_EQ(named, 193);
}

TEST(Trap, RecordWrittenAndTheCallerGoesOn)
{
    char path[600];
    ASSERT_EQ(CSTrapFileName(path, sizeof path), 0);
    CSTrap("C:\\src\\common\\first.cpp", "Mon Mar 11 20:31:30 2024", 10, 1);
    CSTrap("/src/common/second.cpp", "Tue Mar 12 08:00:01 2024", 77, -2);
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "cstrap line 77 file second.cpp (Tue Mar 12 08:00:01 2024) value -2");
#ifdef _WIN32
    /* c:\temp is made when missing (a fresh Wine prefix has none). */
    EXPECT_TRUE(strncmp(path, "c:\\temp\\", 8) == 0 || fs::exists(path)) << path;
#endif
}

TEST(Dump, FileName)
{
    struct tm when = {};
    when.tm_year = 125;
    when.tm_mon = 2;
    when.tm_mday = 2;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_sec = 7;
    char name[400];
    ASSERT_EQ(CSDumpFileName(name, sizeof name, nullptr, "  C:\\tools\\Tool.exe", &when, 1234), 0);
    EXPECT_STREQ(name, "C:\\tools\\Tool_20250302_090507_1234.dmp");
    ASSERT_EQ(CSDumpFileName(name, sizeof name, "D:\\dumps", "/opt/x/Tool.v2.exe", &when, 7), 0);
    EXPECT_STREQ(name, "D:\\dumps\\Tool_20250302_090507_7.dmp");
    ASSERT_EQ(CSDumpFileName(name, sizeof name, "D:\\dumps\\", "Tool", &when, 7), 0);
    EXPECT_STREQ(name, "D:\\dumps\\Tool_20250302_090507_7.dmp");
    EXPECT_EQ(CSDumpFileName(name, 20, "D:\\dumps", "Tool", &when, 7), -1);
    EXPECT_EQ(CSDumpWanted(0xC0000005), 1);
    for (uint32_t quiet : {0x40010006u, 0x4001000Au, 0x406D1388u, 0xE06D7363u, 0x20474343u})
        EXPECT_EQ(CSDumpWanted(quiet), 0);
}

#ifdef _WIN32
static std::vector<fs::path> Dumps(const fs::path &dir)
{
    std::vector<fs::path> out;
    for (auto &e : fs::directory_iterator(dir))
        if (e.path().extension() == ".dmp")
            out.push_back(e.path());
    return out;
}

static LONG CALLBACK ResumeTestExceptions(EXCEPTION_POINTERS *info)
{
    DWORD code = info->ExceptionRecord->ExceptionCode;
    if (code == 0xE0001234 || code == 0x406D1388)
        return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST(Dump, WrittenAndNamed)
{
    fs::path dir = TestFolder("ravolt_dump_test");
    std::string d = dir.string();
    char name[600] = {0};
    ASSERT_EQ(CSWriteDump(d.c_str(), nullptr, 0, name, sizeof name), 0);
    ASSERT_TRUE(fs::exists(name)) << name;
    EXPECT_GT(fs::file_size(name), 0u);
    std::string file = fs::path(name).filename().string();
    char tid[16];
    snprintf(tid, sizeof tid, "%u", CSGetThreadId());
    EXPECT_TRUE(std::regex_match(file, std::regex("common_tests_20[0-9]{6}_[0-9]{6}_" +
                                                  std::string(tid) + "\\.dmp"))) << file;
    fs::remove(name);

    /* The handler: a dump for an ordinary exception, none for the ones the
     * system and the runtime raise and handle themselves. */
    ASSERT_EQ(CSInstallExceptionHandler(d.c_str(), 0), 0);
    PVOID resume = AddVectoredExceptionHandler(0, ResumeTestExceptions);
    RaiseException(0xE0001234, 0, 0, nullptr);
    EXPECT_EQ(Dumps(dir).size(), 1u);
    for (auto &p : Dumps(dir))
        fs::remove(p);
    ULONG_PTR naming[4] = {0x1000, (ULONG_PTR) "worker", (ULONG_PTR)-1, 0};
    RaiseException(0x406D1388, 0, 4, naming);
    OutputDebugStringA("debug output\n");
    try {
        throw 5;
    } catch (int) {
    }
    EXPECT_EQ(Dumps(dir).size(), 0u);
    RemoveVectoredExceptionHandler(resume);
    CSInstallExceptionHandler(d.c_str(), 0);
    fs::remove_all(dir);
}
#else
TEST(Dump, NotAvailableNatively)
{
    char name[16] = "x";
    EXPECT_EQ(CSWriteDump(nullptr, nullptr, 0, name, sizeof name), -1);
    EXPECT_STREQ(name, "x");
}
#endif
