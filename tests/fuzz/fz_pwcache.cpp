/* Fuzz target: the password cache file, searched, its hint read, an entry
 * written into it (a rewrite of the file) and its password changed.  An
 * entry that could be found before a rewrite is found after it with the
 * same user and password, and the entry written reads back as written. */
#include "fuzz.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "cs.h"
#include "pwcache.h"

namespace {

const char *const Cache = "secret";

std::string CacheFile(void)
{
    return FuzzScratch() + "/RAVOLT.PWC";
}

struct Found {
    int rc;
    std::string user, password;
};

Found Find(const char *qm, const char *second, const char *group)
{
    Found f = { -1, "", "" };
    PWCHND *h = nullptr;
    if (PWCOpen(CacheFile().c_str(), Cache, nullptr, nullptr, 0, 1, &h))
        return f;
    char *u = nullptr, *p = nullptr;
    f.rc = PWCFindEntry(h, qm, second, group, &u, &p);
    if (f.rc == 0) {
        f.user = u ? u : "";
        f.password = p ? p : "";
    }
    CSFreeMemAndClear(&u);
    CSFreeMemAndClear(&p);
    PWCClose(&h);
    return f;
}

int Write(const char *qm, const char *second, const char *group, const char *user, const char *password)
{
    PWCHND *h = nullptr;
    int rc = PWCOpen(CacheFile().c_str(), Cache, nullptr, nullptr, 1, 1, &h);
    if (rc)
        return rc;
    rc = PWCWriteEntry(h, qm, second, group, user, password);
    PWCClose(&h);
    return rc;
}

void Seeds(FuzzSeeds *s)
{
    remove(CacheFile().c_str());
    PWCHND *h = nullptr;
    if (PWCOpen(CacheFile().c_str(), Cache, nullptr, "my hint", 1, 0, &h) == 0)
        PWCClose(&h);
    Write("QM1", "RAVOLT", nullptr, "app", "mqpass");
    Write("QM2", "RAVOLT", "GRP", "u \"q\"", "123456789");
    Write("QM3", "X Y", "", "a\\b", "");
    std::ifstream f(CacheFile(), std::ios::binary);
    std::stringstream text;
    text << f.rdbuf();
    s->Add(text.str());
}

void Run(const uint8_t *data, size_t size)
{
    if (FILE *f = fopen(CacheFile().c_str(), "wb")) {
        fwrite(data, 1, size, f);
        fclose(f);
    }
    char *hint = nullptr;
    PWCGetHint(CacheFile().c_str(), &hint);
    CSFreeMemAndClear(&hint);
    Found before = Find("QM1", "RAVOLT", nullptr), group = Find("X", "Y", "GRP");
    if (Write("NEW.QM", "NEW", "G", "newuser", "newpass") == 0) {
        Found after = Find("QM1", "RAVOLT", nullptr), written = Find("NEW.QM", "NEW", "G");
        FUZZ_CHECK(written.rc == 0 && written.user == "newuser" && written.password == "newpass",
                   "the entry written does not read back");
        if (before.rc == 0)
            FUZZ_CHECK(after.rc == 0 && after.user == before.user && after.password == before.password,
                       "an entry was lost or changed by writing another: " + before.user + "/" + before.password +
                       " became " + after.user + "/" + after.password);
    }
    if (PWCChangePassword(CacheFile().c_str(), Cache, "other", "h") == 0)
        PWCChangePassword(CacheFile().c_str(), "other", Cache, "h");
    (void)group;
}

}  // namespace

FUZZ_TARGET(Seeds, nullptr, Run)
