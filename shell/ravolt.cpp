/* ravolt.exe: start-up of the program.
 *
 * Until the application shell is built, the program initialises the common
 * services and exits.  Options:
 *   -T            write the trace to ravolt.trc
 *   -E directory  write a minidump there for every exception
 *   -F full|normal  kind of those dumps (normal unless "full") */
#include <windows.h>
#include <cstdlib>
#include <cstring>

#include "cs.h"

struct StartOptions {
    int trace;
    const char *dumpDir;
    const char *dumpKind;
};

/* The value after an option: attached ("-Edir") or the next argument. */
static const char *OptionValue(int argc, char **argv, int *i)
{
    if (argv[*i][2])
        return argv[*i] + 2;
    return *i + 1 < argc ? argv[++*i] : nullptr;
}

/* Option letters of the program; those followed by ':' take a value. */
static const char optionLetters[] = "dDE:f:F:j:Jm:P:q:rt:T";

static void ParseOptions(int argc, char **argv, StartOptions *opt)
{
    memset(opt, 0, sizeof *opt);
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        const char *letter = a[0] == '-' && a[1] ? strchr(optionLetters, a[1]) : nullptr;
        if (!letter || *letter == ':')
            continue;
        const char *value = letter[1] == ':' ? OptionValue(argc, argv, &i) : nullptr;
        switch (a[1]) {
        case 'T': opt->trace = 1; break;
        case 'E': opt->dumpDir = value; break;
        case 'F': opt->dumpKind = value; break;
        }
    }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    StartOptions opt;
    CSInitPlatform();
    ParseOptions(__argc, __argv, &opt);
    if (opt.dumpDir || opt.dumpKind)
        CSInstallExceptionHandler(opt.dumpDir,
                                  opt.dumpKind && _stricmp(opt.dumpKind, "full") == 0 ? 1 : 0);
    if (opt.trace)
        CSTraceOpen("ravolt.trc");
    CSTraceEntry("WinMain");
    CSTrace(1, "Ravolt started on %s by %s%s\n", CSGetComputerName(), CSGetUserName(),
            CSRunningOnWine ? " under Wine" : "");
    CSTraceExit("WinMain", 0);
    CSTraceClose();
    return 0;
}
