/* Host services: libraries, commands, Wine detection, path helpers, whole
 * files and the cached names. */
#include "cs.h"
#include "cssys.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

/* Runs the test body with a given separator, restoring the real one. */
struct SeparatorScope {
    char saved;
    explicit SeparatorScope(char sep) : saved(CSPathSep) { CSPathSep = sep; }
    ~SeparatorScope() { CSPathSep = saved; }
};

static void SetDebugVariable(const char *value)
{
#ifdef _WIN32
    _putenv_s("ZODADAVE_DEBUG", value ? value : "");
#else
    if (value)
        setenv("ZODADAVE_DEBUG", value, 1);
    else
        unsetenv("ZODADAVE_DEBUG");
#endif
}

/* The path CSLoadLibrary tried, from its debug output. */
static std::string TriedPath(const char *file, const char *dir)
{
    SetDebugVariable("1");
    testing::internal::CaptureStdout();
    void *module = nullptr;
    char text[300];
    CSLoadLibrary(file, dir, text, sizeof text, &module);
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    SetDebugVariable(nullptr);
    size_t a = out.find("Loading '"), b = out.find("'\n", a + 9);
    return a == std::string::npos || b == std::string::npos ? "" : out.substr(a + 9, b - a - 9);
}

TEST(Library, PathsAndMissingLibrary)
{
    SeparatorScope sep('\\');
    EXPECT_EQ(TriedPath("nolib.dll", "D:\\x"), "D:\\x\\nolib.dll");
    EXPECT_EQ(TriedPath("nolib.dll", "D:\\x\\"), "D:\\x\\nolib.dll");
    EXPECT_EQ(TriedPath("nolib.dll", "D:/x/"), "D:/x/nolib.dll");
    EXPECT_EQ(TriedPath("nolib.dll", ""), "nolib.dll");
    /* A full path, whatever its separators, is never prefixed again. */
    EXPECT_EQ(TriedPath("C:\\mq\\bin\\nolib.dll", "D:\\x"), "C:\\mq\\bin\\nolib.dll");
    EXPECT_EQ(TriedPath("/opt/mq/lib/nolib.so", "D:\\x"), "/opt/mq/lib/nolib.so");
    EXPECT_EQ(TriedPath("C:nolib.dll", "D:\\x"), "C:nolib.dll");
    EXPECT_EQ(TriedPath("sub/nolib.dll", "D:\\x"), "sub/nolib.dll");

    char text[300] = {0};
    void *module = nullptr;
    int rc = CSLoadLibrary("ravolt_no_such_library.dll", nullptr, text, sizeof text, &module);
#ifdef _WIN32
    EXPECT_EQ(rc, 126);   /* the specified module could not be found */
#else
    EXPECT_EQ(rc, 2);
#endif
    EXPECT_GT(strlen(text), 5u) << text;
    EXPECT_EQ(module, nullptr);
    /* No text buffer: the message goes to a private one. */
    EXPECT_EQ(CSLoadLibrary("ravolt_no_such_library.dll", nullptr, nullptr, 0, &module), rc);
    /* A path longer than a library path may be: refused with the
       system's code and its message, joined or given whole. */
#ifdef _WIN32
    const int tooLong = 206;   /* the filename or extension is too long */
#else
    const int tooLong = ENAMETOOLONG;
#endif
    char said[300];
    CSSysErrorText(tooLong, said, sizeof said);
    std::string longDir(600, 'd'), longName = std::string(570, 'n') + "/x.dll";
    for (const char *dir : {longDir.c_str(), (const char *)nullptr}) {
        text[0] = 0;
        EXPECT_EQ(CSLoadLibrary(dir ? "x.dll" : longName.c_str(), dir, text, sizeof text, &module), tooLong);
        EXPECT_STREQ(text, said);
    }
    EXPECT_GT(strlen(said), 5u) << said;

#ifdef _WIN32
    ASSERT_EQ(CSLoadLibrary("kernel32.dll", nullptr, text, sizeof text, &module), 0);
#else
    ASSERT_EQ(CSLoadLibrary("libc.so.6", nullptr, text, sizeof text, &module), 0);
#endif
    EXPECT_NE(CSGetProcAddress(module, "malloc") ? (void *)1
              : CSGetProcAddress(module, "GetTickCount"), nullptr);
    EXPECT_EQ(CSGetProcAddress(module, "ravolt_no_such_entry"), nullptr);
}

static std::string ReadAll(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(Command, InterpreterLinesAndFailures)
{
    char *err = nullptr;
    /* Lines that start nothing, and the text each leaves: only an empty
     * line is no command; blanks alone are run and the system refuses
     * them, with its code and its own words after it. */
    const struct { const char *line, *text; } failing[] = {
        { "", "No command supplied" },
        { "   ", "Command failed RC(2) " },
        { "  ravolt_no_such_program_xyz arg", "Command failed RC(2) " },
    };
    for (const auto &f : failing) {
        std::string line = f.line;
        EXPECT_EQ(CSRunCommand(line.data(), 0, nullptr, &err), 0) << "[" << f.line << "]";
        ASSERT_NE(err, nullptr) << "[" << f.line << "]";
        EXPECT_EQ(std::string(err).rfind(f.text, 0), 0u) << "[" << f.line << "] " << err;
        if (*f.line)
            EXPECT_GT(strlen(err), strlen(f.text)) << "[" << f.line << "] " << err;
        else
            EXPECT_STREQ(err, f.text);
        CSFreeMemAndClear(&err);
    }

    fs::path dir = fs::temp_directory_path() / "ravolt_cmd_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::path out = dir / "out.txt";
    std::string line = "cmd /c echo hello> \"" + out.string() + "\"";
    std::string buf = line;
    CSHANDLE proc = nullptr;
    ASSERT_EQ(CSRunCommand(buf.data(), CSRUN_HIDDEN, &proc, &err), 1) << (err ? err : "");
    EXPECT_EQ(err, nullptr);
    EXPECT_EQ(buf.substr(0, 7), "/c     ");    /* the switch given once */
    EXPECT_EQ(buf.substr(7), line.substr(7));
    ASSERT_NE(proc, nullptr);
    EXPECT_EQ(CSWaitEvent(&proc, 20000), CSWAIT_DONE);
    CSCloseHandle(&proc);
    EXPECT_EQ(ReadAll(out).substr(0, 5), "hello");

    std::string plain = "cmd echo again> \"" + (dir / "two.txt").string() + "\"";
    ASSERT_EQ(CSRunCommand(plain.data(), 0, &proc, &err), 1) << (err ? err : "");
    EXPECT_EQ(plain.substr(0, 4), "/c  ");
    EXPECT_EQ(CSWaitEvent(&proc, 20000), CSWAIT_DONE);
    CSCloseHandle(&proc);
    EXPECT_EQ(ReadAll(dir / "two.txt").substr(0, 5), "again");
    fs::remove_all(dir);
}

TEST(Host, WineDetection)
{
    CSInitPlatform();
#ifdef _WIN32
    /* The Windows tests run under Wine. */
    if (getenv("WINEPREFIX") || getenv("WINELOADER")) {
        EXPECT_EQ(CSIsWine(), 1);
        EXPECT_EQ(CSRunningOnWine, 1);
        EXPECT_EQ(CSPathSep, '/');
        EXPECT_STREQ(CSPathSepString, "/");
    }
#else
    EXPECT_EQ(CSIsWine(), 0);
    EXPECT_EQ(CSPathSep, '/');
#endif
    EXPECT_STRNE(CSGetComputerName(), "");
    EXPECT_STRNE(CSGetUserName(), "");
    EXPECT_EQ(CSGetUserName(), CSGetUserName());
}

TEST(Host, PathHelpers)
{
    SeparatorScope sep('\\');
    char out[100];
    CSAppendPath(out, "a\\", "\\b");
    EXPECT_STREQ(out, "a\\b");
    CSAppendPath(out, "a", "b");
    EXPECT_STREQ(out, "a\\b");
    CSAppendPath(out, "a/", "b");
    EXPECT_STREQ(out, "a/b");
    CSAppendPath(out, "a", "/b");
    EXPECT_STREQ(out, "a/b");
    CSAppendPath(out, "", "b");
    EXPECT_STREQ(out, "\\b");
    CSAppendPath(out, "dir", "");
    EXPECT_STREQ(out, "dir");
    strcpy(out, "x");
    CSAppendPath(out, out, "y");
    EXPECT_STREQ(out, "x\\y");

    char p1[] = "Z:\\home\\u\\f.txt", p2[] = "D:\\a", p3[] = "z:/x";
    CSNormalisePath(p1);
    CSNormalisePath(p2);
    CSNormalisePath(p3);
    EXPECT_STREQ(p1, "/home/u/f.txt");
    EXPECT_STREQ(p2, "D:/a");
    EXPECT_STREQ(p3, "/x");

    char dir[100], name[100];
    int rel, drive;
    CSParseFileSpec("dir\\sub", 0, dir, name, &rel, &drive);
    EXPECT_STREQ(dir, "dir\\sub");
    EXPECT_STREQ(name, "");
    EXPECT_EQ(rel, 1);
    CSParseFileSpec("dir\\f.txt", 0, dir, name, &rel, &drive);
    EXPECT_STREQ(dir, "dir");
    EXPECT_STREQ(name, "f.txt");
    CSParseFileSpec("  f.txt", 0, dir, name, &rel, &drive);
    EXPECT_STREQ(dir, "");
    EXPECT_STREQ(name, "f.txt");
    EXPECT_EQ(rel, 1);
    EXPECT_EQ(drive, 0);
    CSParseFileSpec("C:\\data\\", 0, dir, name, &rel, &drive);
    EXPECT_STREQ(dir, "C:\\data");
    EXPECT_EQ(rel, 0);
    EXPECT_EQ(drive, 1);
    /* Either separator marks an absolute directory on every host. */
    CSParseFileSpec("/home/u/f.txt", 0, dir, name, &rel, &drive);
    EXPECT_STREQ(dir, "/home/u");
    EXPECT_EQ(rel, 0);
    CSParseFileSpec("\\srv\\f", 1, dir, name, &rel, &drive);
    EXPECT_STREQ(dir, "\\srv");
    EXPECT_STREQ(name, "f");
    EXPECT_EQ(rel, 0);
    CSParseFileSpec("", 0, dir, name, &rel, &drive);
    EXPECT_STREQ(dir, "");
    EXPECT_STREQ(name, "");
}

TEST(Host, FileLoadEndsWithNul)
{
    fs::path p = fs::temp_directory_path() / "ravolt_fileload.bin";
    {
        std::ofstream o(p, std::ios::binary);
        o.write("ab\0cd", 5);
    }
    FILE *f = fopen(p.string().c_str(), "rb");
    ASSERT_NE(f, nullptr);
    size_t len = 99;
    char *block = CSFileLoad(f, &len);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(len, 5u);
    EXPECT_EQ(memcmp(block, "ab\0cd", 5), 0);
    EXPECT_EQ(block[5], 0);
    EXPECT_STREQ(block + 3, "cd");
    CSFreeMem(block);
    fclose(f);
    {
        std::ofstream o(p, std::ios::binary | std::ios::trunc);
    }
    f = fopen(p.string().c_str(), "rb");
    block = CSFileLoad(f, &len);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(block[0], 0);
    CSFreeMem(block);
    fclose(f);
    fs::remove(p);
}

/* Thread ids: the system's own id of each thread, the same at every ask
 * (a lock compares them to know its holder), and a forked child's its
 * own, never the id its parent thread had kept. */
TEST(Host, ThreadIds)
{
    uint32_t self = CSSysThreadId();
    EXPECT_NE(self, 0u);
    EXPECT_EQ(CSSysThreadId(), self);
    uint32_t other = 0, otherAgain = 0;
    std::thread t([&] {
        other = CSSysThreadId();
        otherAgain = CSSysThreadId();
    });
    t.join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, self);
    EXPECT_EQ(otherAgain, other);
#ifdef _WIN32
    EXPECT_EQ(self, (uint32_t)GetCurrentThreadId());
#else
    EXPECT_EQ(self, (uint32_t)syscall(SYS_gettid));
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        uint32_t ids[2] = { CSSysThreadId(), (uint32_t)syscall(SYS_gettid) };
        ssize_t n = write(pipeFds[1], ids, sizeof ids);
        _exit(n == (ssize_t)sizeof ids ? 0 : 1);
    }
    uint32_t ids[2] = {};
    EXPECT_EQ(read(pipeFds[0], ids, sizeof ids), (ssize_t)sizeof ids);
    int status = 0;
    waitpid(child, &status, 0);
    close(pipeFds[0]);
    close(pipeFds[1]);
    EXPECT_EQ(ids[0], ids[1]);
    EXPECT_NE(ids[0], self);
    EXPECT_EQ(CSSysThreadId(), self);
#endif
}
