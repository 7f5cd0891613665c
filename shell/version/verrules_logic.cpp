/* The version check's rules: comparing the page's version and build date
 * with the program's, the verdict texts, what an automatic check shows,
 * and when the next automatic check is due. */
#include "version.h"

#include <cstdio>

#include "prfdata.h"

static int sign3(const int32_t *a, const int32_t *b, const int *fields)
{
    for (int i = 0; i < 3; i++) {
        int32_t x = a[fields[i]], y = b[fields[i]];
        if (x != y)
            return x > y ? 1 : -1;
    }
    return 0;
}

int VerCompareNumbers(const TK47VERSION *r)
{
    static const int fields[3] = {VER_MAJOR, VER_MINOR, VER_PATCH};
    return sign3(r->page, r->own, fields);
}

int VerCompareDates(const TK47VERSION *r)
{
    static const int fields[3] = {VER_YEAR, VER_MONTH, VER_DAY};
    return sign3(r->page, r->own, fields);
}

int VerSameBuildNewer(const TK47VERSION *r)
{
    return VerCompareDates(r) > 0;
}

void VerCompare(TK47VERSION *r)
{
    int version = VerCompareNumbers(r), date = VerCompareDates(r);
    const char *text;
    r->sameVersion = version == 0;
    r->sameBuild = version == 0 && date == 0;
    if (version > 0)
        text = "A later version of Ravolt is available.";
    else if (version < 0)
        text = "You are using a more recent version than is available for download.";
    else if (date > 0)
        text = "A later build of this Ravolt version is available.";
    else if (date < 0)
        text = "You are using a more recent build than is available for download.";
    else
        text = "Your version of Ravolt is up to date.";
    snprintf(r->text, sizeof r->text, "%s", text);
    if (!r->sameBuild)
        Prf.vcn = 1;
}

int VerResultAction(char vct, int32_t failedInARow, const TK47VERSION *r)
{
    if (vct == 'N')
        return VER_SHOW_NOTHING;
    if (r->failed)
        return failedInARow >= 5 ? VER_SHOW_FAILURE : VER_SHOW_NOTHING;
    int version = VerCompareNumbers(r);
    if (version > 0)
        return VER_SHOW_DIALOG;
    if (vct != 'V' && version == 0 && VerSameBuildNewer(r))
        return VER_SHOW_DIALOG;
    return VER_SHOW_NOTHING;
}

int64_t VerCheckInterval(void)
{
    if (Prf.vcf > 0)
        return 86400;
    return Prf.vcn == 1 ? 604800 : 86400;
}

int VerCheckDue(int64_t now)
{
    return Prf.vct != 'N' && now - Prf.vcl >= VerCheckInterval();
}

int VerTickConsidered(int32_t tick)
{
    return ((int64_t)tick - 60) % 86400 == 0;
}
