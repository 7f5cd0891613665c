/* Host layer, POSIX half (the native checking build): thread ids, the
 * debugger probe, dlopen, processes through posix_spawn and /bin/sh, names.
 * There is no registry (never Wine) and no minidump here. */
#include "cssys.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <pwd.h>
#include <string>
#include <vector>

extern char **environ;

/* The id asked of the system once per thread (a system call each time
 * cost more than the locks that ask for it); a forked child asks again. */
static thread_local uint32_t threadId;

static void forget_thread_id(void)
{
    threadId = 0;
}

uint32_t CSSysThreadId(void)
{
    if (!threadId) {
        static const int registered = pthread_atfork(nullptr, nullptr, forget_thread_id);
        (void)registered;
        threadId = (uint32_t)syscall(SYS_gettid);
    }
    return threadId;
}

int CSSysDebuggerPresent(void)
{
    FILE *f = fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    int traced = 0;
    while (fgets(line, sizeof line, f))
        if (strncmp(line, "TracerPid:", 10) == 0) {
            traced = atoi(line + 10) != 0;
            break;
        }
    fclose(f);
    return traced;
}

void CSSysDebugBreak(void)
{
    raise(SIGTRAP);
}

const char *CSSysTrapFolder(void)
{
    return "/tmp";
}

int CSSysWineKey(void)
{
    return 0;
}

/* dlopen reports text only: missing files get ENOENT's code (2, as the
 * system reports a missing module), anything else 126-like EINVAL. */
static char lastLoadError[500];

int CSSysLoadLibrary(const char *path, void **module)
{
    void *h = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (h) {
        *module = h;
        return 0;
    }
    const char *e = dlerror();
    snprintf(lastLoadError, sizeof lastLoadError, "%s", e ? e : "cannot load");
    return strstr(lastLoadError, "No such file") ? ENOENT : EINVAL;
}

void *CSSysGetProc(void *module, const char *name)
{
    return dlsym(module, name);
}

void CSSysErrorText(int code, char *out, size_t size)
{
    if (size == 0)
        return;
    if (lastLoadError[0] && (code == ENOENT || code == EINVAL))
        snprintf(out, size, "%s: %s", strerror(code), lastLoadError);
    else
        snprintf(out, size, "%s", strerror(code));
}

/* Splits a command line at blanks, honouring double quotes. */
static std::vector<std::string> SplitLine(const char *line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (const char *p = line; *p; p++) {
        if (*p == '"') {
            quoted = !quoted;
            any = true;
        } else if (*p == ' ' && !quoted) {
            if (any)
                words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += *p;
            any = true;
        }
    }
    if (any)
        words.push_back(word);
    return words;
}

int CSSysStartProcess(const char *program, const char *line, int hidden, void **process)
{
    (void)hidden;
    std::vector<std::string> words;
    if (program) {
        /* "/c  command": the command interpreter here is /bin/sh. */
        const char *command = line;
        if (command[0] == '/' && (command[1] == 'c' || command[1] == 'C'))
            command += 2;
        words = {"/bin/sh", "-c", command};
    } else
        words = SplitLine(line);
    if (words.empty())
        return ENOENT;
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid;
    int rc = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (rc != 0)
        return rc;
    *process = (void *)(intptr_t)pid;
    return 0;
}

int CSSysWaitProcess(void *process, uint32_t timeout)
{
    pid_t pid = (pid_t)(intptr_t)process;
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        int status;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return 0;
        if (r < 0)
            return errno == ECHILD ? 0 : -1;
        auto waited = std::chrono::steady_clock::now() - start;
        if (timeout != 0xFFFFFFFFu && waited >= std::chrono::milliseconds(timeout))
            return 2;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void CSSysCloseProcess(void *process)
{
    /* Reap it when it has already ended; a running one is left alone. */
    int status;
    waitpid((pid_t)(intptr_t)process, &status, WNOHANG);
}

int CSSysComputerName(char *out, size_t size)
{
    return gethostname(out, size) == 0 && out[0] ? (out[size - 1] = 0, 1) : 0;
}

int CSSysUserName(char *out, size_t size)
{
    struct passwd *pw = getpwuid(getuid());
    const char *name = pw ? pw->pw_name : getenv("USER");
    if (!name || !*name)
        return 0;
    snprintf(out, size, "%s", name);
    return 1;
}

int CSSysProgramFile(char *out, size_t size)
{
    ssize_t n = readlink("/proc/self/exe", out, size - 1);
    if (n <= 0)
        return 0;
    out[n] = 0;
    return 1;
}

int CSSysInstallDumpHandler(void)
{
    return -1;
}

int CSSysWriteDump(const char *file, void *exceptionInfo, int mode)
{
    (void)file;
    (void)exceptionInfo;
    (void)mode;
    return -1;
}
