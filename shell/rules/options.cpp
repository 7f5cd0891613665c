/* The program's options: both passes over the command line, what each
 * option sets, and the checks of their arguments. */
#include "shellrules.h"

#include <cctype>
#include <cstdio>
#include <cstring>

SHELLOPTIONS ShellOptions;

static const char tokenCaption[] = "Ravolt parameter error";

/* Copies a path argument; 0 when it does not fit. */
static int take_path(char *to, const char *arg)
{
    size_t n = strlen(arg);
    if (n >= SHELL_PATH)
        return 0;
    memcpy(to, arg, n + 1);
    return 1;
}

/* A name up to its first blank, at most 48 characters. */
static void take_name(char *to, const char *arg)
{
    size_t n = 0;
    while (arg[n] && arg[n] != ' ' && n < 48)
        n++;
    memcpy(to, arg, n);
    to[n] = 0;
}

/* "-t": exactly 32 hexadecimal characters, else a notice (no error). */
static void take_token(SHELLOPTIONS *o, const char *arg, ShellNotice notice, void *ctx)
{
    const char *problem = nullptr;
    if (strlen(arg) != 32)
        problem = "The Message Token parameter should be 32 characters of HEX.";
    else
        for (const char *p = arg; *p && !problem; p++)
            if (!isxdigit((unsigned char)*p))
                problem = "The Message Token parameter should only contain HEX characters.";
    if (problem) {
        if (notice)
            notice(ctx, problem, tokenCaption);
        return;
    }
    memcpy(o->token, arg, 33);
}

/* One option; 0 when it is wrong. */
static int apply(int pass, int letter, const char *arg, SHELLOPTIONS *o, ShellNotice notice,
                 void *ctx)
{
    switch (letter) {
    case 'd': o->diagnostics = 1; o->debugWindow = 1; return 1;
    case 'D': o->debugWindow = 1; return 1;
    case 'E':
        if (pass)
            return 1;
        o->dumpGiven = 1;
        return take_path(o->dumpDir, arg);
    case 'f':
        if (pass)
            return 1;
        o->configGiven = 1;
        return take_path(o->config, arg);
    case 'F':
        if (!strcmp(arg, "full"))
            o->dumpFull = 1;
        else if (!strcmp(arg, "normal"))
            o->dumpFull = 0;
        else
            return 0;
        return 1;
    case 'j': return take_path(o->master, arg);
    case 'J': o->pruneMaster = 1; return 1;
    case 'm': take_name(o->qmName, arg); return 1;
    case 'P': o->password = arg; return 1;
    case 'q': take_name(o->queue, arg); return 1;
    case 'r': o->readOnly = 1; return 1;
    case 't': take_token(o, arg, notice, ctx); return 1;
    case 'T': o->trace = 1; return 1;
    }
    return 0;
}

int ShellParseOptions(int pass, int argc, char *const *argv, SHELLOPTIONS *o, ShellNotice notice,
                      void *ctx)
{
    GetOptReset();
    int good = 1, letter;
    while ((letter = GetOpt(argc, argv, SHELL_OPTIONS)) != -1)
        if (letter == '?' || !apply(pass, letter, GetOptState.arg ? GetOptState.arg : "", o,
                                    notice, ctx))
            good = 0;
    if (GetOptState.index < argc)
        good = 0;
    return good;
}
