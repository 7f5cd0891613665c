/* The test runs themselves: a missing sample ends a test at once with its
 * path, and a Windows test program that crashes ends at once with its
 * backtrace, without a debugger or a dialog. */
#include <gtest/gtest.h>

#include <string>

#include "sampletest.h"

#ifdef _WIN32
#include <windows.h>

#include <fstream>
#include <sstream>
#endif

TEST(Samples, AMissingSampleEndsTheTestNamingItsPath)
{
    try {
        samples::In("no/such/samples", "ccdt/none.json");
        FAIL() << "a missing sample was taken";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "missing sample: no/such/samples/ccdt/none.json");
    }
    /* a folder that is there is taken as it is */
    EXPECT_EQ(samples::In(".", "."), "./.");
}

#ifdef _WIN32
namespace {

/* A program beside this one, run with its output into a file: 1 when it
 * ended within the wait (its exit code in *code), 0 when it did not, -1
 * when it could not be started. */
int RunBeside(const char *program, DWORD waitMs, DWORD *code, std::string *output)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path, n);
    dir.resize(dir.find_last_of("\\/") + 1);
    std::string exe = dir + program, log = dir + program + ".log";
    SECURITY_ATTRIBUTES sa = { sizeof sa, nullptr, TRUE };
    HANDLE out = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return -1;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = si.hStdError = out;
    PROCESS_INFORMATION pi;
    std::string line = "\"" + exe + "\"";
    BOOL ok = CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    if (!ok)
        return -1;
    int ended = WaitForSingleObject(pi.hProcess, waitMs) == WAIT_OBJECT_0;
    if (ended)
        GetExitCodeProcess(pi.hProcess, code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::ifstream f(log, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    *output = s.str();
    return ended;
}

}  // namespace

TEST(Crashes, ACrashingProgramEndsAtOnceWithItsBacktrace)
{
    std::string output;
    DWORD start = GetTickCount();
    DWORD code = 0;
    int ended = RunBeside("crash_probe.exe", 60000, &code, &output);
    DWORD took = GetTickCount() - start;
    ASSERT_NE(ended, -1) << "the probe could not be started";
    ASSERT_EQ(ended, 1) << "the crashing program did not end within 60 s:\n" << output;
    EXPECT_EQ(code, 0xC0DE0005ul) << output;
    EXPECT_LT(took, 30000u) << output;
    EXPECT_NE(output.find("crash probe started"), std::string::npos) << output;
    EXPECT_EQ(output.find("crash probe survived"), std::string::npos) << output;
    EXPECT_NE(output.find("Unhandled exception 0xc0000005"), std::string::npos) << output;
    EXPECT_NE(output.find("writing address 0x0000000000000000"), std::string::npos) << output;
    EXPECT_NE(output.find("crash_probe.exe+0x"), std::string::npos) << output;
}
#endif
