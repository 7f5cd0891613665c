/* The command-line option scanner: option letters one at a time from the
 * argument vector, grouped or apart, with arguments in the same word or
 * the next; "-" and "/" both begin an option word. */
#include "shellrules.h"

#include <cstring>

GETOPTSTATE GetOptState = { 1, "", 0, nullptr };

void GetOptReset(void)
{
    GetOptState.index = 1;
    GetOptState.place = "";
    GetOptState.letter = 0;
    GetOptState.arg = nullptr;
}

/* The word at the index starts an option word: 1, with the position past
 * its "-" or "/". */
static int next_word(int argc, char *const *argv)
{
    GETOPTSTATE &s = GetOptState;
    if (s.index >= argc)
        return 0;
    const char *w = argv[s.index];
    if (!w || (w[0] != '-' && w[0] != '/') || !w[1])
        return 0;
    s.place = w + 1;
    return 1;
}

int GetOpt(int argc, char *const *argv, const char *options)
{
    GETOPTSTATE &s = GetOptState;
    if (!s.place || !*s.place) {
        if (!next_word(argc, argv))
            return -1;
    }
    s.letter = (unsigned char)*s.place++;
    const char *known = s.letter != ':' ? strchr(options, s.letter) : nullptr;
    if (!known || !s.letter) {
        s.arg = nullptr;
        if (!*s.place)
            s.index++;
        return '?';
    }
    if (known[1] != ':') {
        s.arg = nullptr;
        if (!*s.place)
            s.index++;
        return s.letter;
    }
    if (*s.place) {
        s.arg = s.place;
        s.index++;
    } else if (s.index + 1 < argc) {
        s.arg = argv[s.index + 1];
        s.index += 2;
    } else {
        s.arg = nullptr;
        s.place = "";
        s.index++;
        return '?';
    }
    if (*s.arg == ':')
        s.arg++;
    s.place = "";
    return s.letter;
}
