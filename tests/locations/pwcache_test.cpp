/* The password cache: cipher vectors (checked by an independent
 * implementation), the file with its values, entries, hint, password
 * change and one-step rewrite, the log-on limit, key-database passwords,
 * the file name, and the reader against damaged files. */
#include "pwcache.h"
#include "cfgfile.h"
#include "prfdata.h"
#include "cs.h"
#include "config/cfgtest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

std::string hex(const unsigned char *b, int n)
{
    char out[64];
    UTBytesToHex(b, n, out, 0);
    return out;
}

std::string encrypt(const char *cachePassword, const char *password)
{
    char *h = nullptr;
    EXPECT_EQ(PWCEncryptPassword(cachePassword, password, &h), 0);
    std::string s = h ? h : "";
    CSFreeMemAndClear(&h);
    return s;
}

TEST(PwcCipher, Vectors)
{
    uint32_t key[4] = { 0x00010203, 0x04050607, 0x08090A0B, 0x0C0D0E0F };
    uint32_t v[2] = { 0x41424344, 0x45464748 };
    XTEAEncipherWords(v, key);
    EXPECT_EQ(v[0], 0x497DF3D0u);
    EXPECT_EQ(v[1], 0x72612CB5u);
    char auth[17];
    PWCAuthCode("secret", auth);
    EXPECT_STREQ(auth, "94831924AB27AAE1");
    PWCAuthCode("Passw0rd!", auth);
    EXPECT_STREQ(auth, "C94DA875DD60F5D3");
    const struct { const char *cache, *password, *want; } rows[] = {
        { "secret", "mqpass", "06353038163AA27B" },
        { "secret", "12345678", "428435E7E9DA09CD" },
        { "secret", "123456789", "428435E7E9DA09CD5336DE2EB0F702AF" },
        { "b", "mqpass", "753E1FEB388EA6DC" },     /* key bits 62 and 63 differ */
        { "cf", "mqpass", "042817C766D7A5E0" },    /* a zero key byte */
    };
    for (const auto &r : rows) {
        EXPECT_EQ(encrypt(r.cache, r.password), r.want) << r.password << " under " << r.cache;
        char *back = nullptr;
        ASSERT_EQ(PWCDecryptPassword(r.cache, r.want, &back), 0);
        EXPECT_STREQ(back, r.password);
        CSFreeMem(back);
    }
    EXPECT_EQ(encrypt("secret", ""), "");
    char *back = nullptr;
    EXPECT_EQ(PWCDecryptPassword("secret", "0635303816", &back), PWC_BADPARM);
    EXPECT_EQ(PWCDecryptPassword("secret", "06353038163AA27X", &back), PWC_BADPARM);
    /* a password that ended in blanks comes back without them */
    std::string padded = encrypt("secret", "pw  ");
    ASSERT_EQ(PWCDecryptPassword("secret", padded.c_str(), &back), 0);
    EXPECT_STREQ(back, "pw");
    CSFreeMem(back);
    unsigned char h[8];
    XTEAHashString("", -1, 0, h);                 /* no block at all */
    EXPECT_EQ(hex(h, 8), "0000000000000000");
}

TEST(PwcCipher, EveryCodeHasItsText)
{
    char out[PWC_TEXT_MAX];
    const struct { int code; const char *text; } rows[] = {
        { 0, "success" },
        { 1000, "Password cache file 'F' not found." },
        { 1001, "The Password cache file 'F' does not appear to be in the correct format." },
        { 1002, "Password not found." }, { 1003, "Password incorrect." },
        { 1004, "No storage." }, { 1005, "Can not create cache file 'F'." },
        { 1006, "Queue Manager not found in cache file." },
        { 1007, "Password cache file bad parameter." },
        { 1008, "Hint not found in cache file." }, { 42, "Password cache error 42" },
    };
    for (const auto &r : rows)
        EXPECT_STREQ(PWCErrorText(r.code, "F", out), r.text);
}

class Cache : public ::testing::Test {
protected:
    std::string dir, file;
    void SetUp() override
    {
        dir = cfgtest::TempDir("pwcache");
        file = dir + CSPathSepString + "RAVOLT.PWC";
        PWCResetState();
        PWCReplaceFile = CfgHostReplace;
    }
    void TearDown() override { PWCReplaceFile = CfgHostReplace; }
    /* a new cache with a password and a hint */
    void Create(const char *password = "secret", const char *hint = "my hint")
    {
        PWCHND *h = nullptr;
        ASSERT_EQ(PWCOpen(file.c_str(), password, nullptr, hint, 1, 0, &h), 0);
        PWCClose(&h);
    }
    int Write(const char *qm, const char *second, const char *group, const char *user,
              const char *password, const char *cache = "secret")
    {
        PWCHND *h = nullptr;
        int rc = PWCOpen(file.c_str(), cache, nullptr, nullptr, 1, 1, &h);
        if (rc)
            return rc;
        rc = PWCWriteEntry(h, qm, second, group, user, password);
        PWCClose(&h);
        return rc;
    }
    int Find(const char *qm, const char *second, const char *group, std::string *user,
             std::string *password, const char *cache = "secret")
    {
        PWCHND *h = nullptr;
        int rc = PWCOpen(file.c_str(), cache, nullptr, nullptr, 0, 1, &h);
        if (rc)
            return rc;
        char *u = nullptr, *p = nullptr;
        rc = PWCFindEntry(h, qm, second, group, &u, &p);
        if (rc == 0) {
            *user = u;
            *password = p;
        }
        CSFreeMemAndClear(&u);
        CSFreeMemAndClear(&p);
        PWCClose(&h);
        return rc;
    }
};

TEST_F(Cache, NewFileHeaderHintAndCheck)
{
    Create("secret", "");
    std::string text = cfgtest::Slurp(file);
    EXPECT_EQ(text, "* TK47 Password Cache File\n\nAuthCode = 94831924AB27AAE1\nHint=\"\"\n\n");
    char *hint = nullptr;
    EXPECT_EQ(PWCGetHint(file.c_str(), &hint), PWC_NOHINT);
    PWCHND *h = nullptr;
    EXPECT_EQ(PWCOpen(file.c_str(), "other", nullptr, "blue", 1, 0, &h), PWC_WRONG);
    EXPECT_EQ(PWCOpen(file.c_str(), "other", nullptr, nullptr, 0, 0, &h), PWC_WRONG);
    EXPECT_EQ(PWCOpen(file.c_str(), nullptr, nullptr, nullptr, 0, 0, &h), 0);
    PWCClose(&h);
    cfgtest::Spit(file, "*x\nauthcode = 94831924AB27AAE1\nHint=\"a \\\"b\\\"\"\nQm=A Q=B\n");
    EXPECT_EQ(PWCOpen(file.c_str(), "secret", nullptr, nullptr, 0, 1, &h), 0);   /* any case */
    PWCClose(&h);
    ASSERT_EQ(PWCGetHint(file.c_str(), &hint), 0);
    EXPECT_STREQ(hint, "a \\\"b\\\"");        /* quotes gone, escapes kept */
    CSFreeMem(hint);
    for (const char *bad : { "AuthCode = 94831924AB27AAE\n", "AuthCode = 94831924AB27AAE12\n",
                             "Hint=x\n", "AuthCode 94831924AB27AAE1\n", "" }) {
        cfgtest::Spit(file, std::string("* c\n\n") + bad);
        EXPECT_EQ(PWCOpen(file.c_str(), "secret", nullptr, nullptr, 0, 1, &h), PWC_FORMAT) << bad;
    }
    remove(file.c_str());
    EXPECT_EQ(PWCOpen(file.c_str(), "secret", nullptr, nullptr, 0, 0, &h), PWC_NOFILE);
    EXPECT_EQ(PWCOpen(file.c_str(), "secret", nullptr, nullptr, 1, 1, &h), PWC_NOFILE);
    EXPECT_EQ(PWCGetHint(file.c_str(), &hint), PWC_NOFILE);
}

TEST_F(Cache, EntriesQuotedFoundReplacedAndRemoved)
{
    Create();
    EXPECT_EQ(Write("QM1", "RAVOLT", nullptr, "app", "mqpass"), 0);
    EXPECT_EQ(Write("QM 2", "RAVOLT", nullptr, "dom\\us\"er", "12345678"), 0);
    EXPECT_EQ(Write("QM3", "X", nullptr, "u", "123456789"), 0);
    std::string text = cfgtest::Slurp(file);
    EXPECT_NE(text.find("Qm=QM1 Q=RAVOLT User=app Pwd=06353038163AA27B\n"), std::string::npos);
    EXPECT_NE(text.find("Qm=\"QM 2\" Q=RAVOLT User=\"dom\\\\us\\\"er\" Pwd=428435E7E9DA09CD\n"),
              std::string::npos);
    EXPECT_NE(text.find("Pwd=428435E7E9DA09CD5336DE2EB0F702AF"), std::string::npos);
    std::string user, pw;
    ASSERT_EQ(Find("QM 2", "RAVOLT", nullptr, &user, &pw), 0);
    EXPECT_EQ(user, "dom\\us\"er");
    EXPECT_EQ(pw, "12345678");
    EXPECT_EQ(Find("QM1", "OTHER", nullptr, &user, &pw), PWC_NOPASSWORD);
    /* replaced in place, then removed by an empty password */
    EXPECT_EQ(Write("QM1", "RAVOLT", nullptr, "app", "new-pw"), 0);
    ASSERT_EQ(Find("QM1", "RAVOLT", nullptr, &user, &pw), 0);
    EXPECT_EQ(pw, "new-pw");
    EXPECT_EQ(Write("QM1", "RAVOLT", nullptr, "app", ""), 0);
    EXPECT_EQ(Find("QM1", "RAVOLT", nullptr, &user, &pw), PWC_NOPASSWORD);
    EXPECT_EQ(Write("QM1", "RAVOLT", nullptr, "app", ""), PWC_NOENTRY);
    /* an entry without Pwd gives an empty password */
    cfgtest::Spit(file, cfgtest::Slurp(file) + "Qm=QM9 Q=RAVOLT User=bare\n");
    ASSERT_EQ(Find("QM9", "RAVOLT", nullptr, &user, &pw), 0);
    EXPECT_EQ(user, "bare");
    EXPECT_EQ(pw, "");
}

TEST_F(Cache, GroupsAndValuesThatSplitTokens)
{
    Create();
    /* the group is looked up by its name only, whatever queue manager asks */
    EXPECT_EQ(Write("QM1", "RAVOLT", "A,B", "grp|user", "pw;1"), 0);
    EXPECT_EQ(Write("QM2", "OTHER", "A,B", "grp|user", "pw;2"), 0);
    std::string text = cfgtest::Slurp(file);
    EXPECT_EQ(text.find("Group="), text.rfind("Group="));      /* one entry, not two */
    EXPECT_NE(text.find("Group=\"A,B\" User=\"grp|user\""), std::string::npos);
    std::string user, pw;
    ASSERT_EQ(Find("ANY", "X", "A,B", &user, &pw), 0);
    EXPECT_EQ(user, "grp|user");
    EXPECT_EQ(pw, "pw;2");
    EXPECT_EQ(Find("QM1", "RAVOLT", nullptr, &user, &pw), PWC_NOPASSWORD);
    for (const char *odd : { "t\tab", "[x]", "!y", "semi;colon" }) {
        EXPECT_EQ(Write(odd, odd, nullptr, odd, odd), 0);
        EXPECT_EQ(Write(odd, odd, nullptr, odd, odd), 0);
        ASSERT_EQ(Find(odd, odd, nullptr, &user, &pw), 0) << odd;
        EXPECT_EQ(user, odd);
    }
    text = cfgtest::Slurp(file);
    EXPECT_EQ(text.find("Qm=\"!y\""), text.rfind("Qm=\"!y\""));
    /* a line end in a name, group or user id would start an entry of its
       own: refused, the file as it was */
    const char *lines[][3] = { { "QM\nQm=QMV Q=RAVOLT User=x Pwd=0635303816", nullptr, "u" },
                               { "QM5", "G\r\nGroup=H", "u" }, { "QM5", nullptr, "u\nQm=QM6" } };
    for (const auto &l : lines) {
        EXPECT_EQ(Write(l[0], "RAVOLT", l[1], l[2], "pw"), PWC_BADPARM) << l[0];
        EXPECT_EQ(cfgtest::Slurp(file), text);
    }
}

TEST_F(Cache, PasswordChangeReenciphersEveryEntry)
{
    Create("secret", "old hint");
    Write("QM1", "RAVOLT", nullptr, "u1", "p1");
    Write("QM2", "RAVOLT", "G", "u2", "p2");
    EXPECT_EQ(PWCChangePassword(file.c_str(), "wrong", "fresh", "h"), PWC_WRONG);
    EXPECT_EQ(PWCChangePassword((file + ".none").c_str(), "secret", "fresh", "h"), PWC_NOFILE);
    ASSERT_EQ(PWCChangePassword(file.c_str(), "secret", "fresh", "new hint"), 0);
    std::string user, pw;
    ASSERT_EQ(Find("QM1", "RAVOLT", nullptr, &user, &pw, "fresh"), 0);
    EXPECT_EQ(pw, "p1");
    ASSERT_EQ(Find("X", "Y", "G", &user, &pw, "fresh"), 0);
    EXPECT_EQ(pw, "p2");
    EXPECT_EQ(Find("QM1", "RAVOLT", nullptr, &user, &pw, "secret"), PWC_WRONG);
    char *hint = nullptr;
    ASSERT_EQ(PWCGetHint(file.c_str(), &hint), 0);
    EXPECT_STREQ(hint, "new hint");
    CSFreeMem(hint);
    std::string text = cfgtest::Slurp(file);
    EXPECT_EQ(text.rfind("* TK47 Password Cache File\n\nAuthCode = ", 0), 0u);
    EXPECT_EQ(text.find("old hint"), std::string::npos);
    EXPECT_FALSE(cfgtest::Exists(file + ".NEW"));
}

/* A rewrite whose new file cannot take the cache file's place keeps the
 * old file whole, leaves no ".NEW" and says so. */
TEST_F(Cache, FailedReplaceKeepsEveryPassword)
{
    Create();
    Write("QM1", "RAVOLT", nullptr, "u1", "p1");
    std::string before = cfgtest::Slurp(file);
    PWCReplaceFile = [](const char *, const char *) { return 5; };
    EXPECT_EQ(Write("QM2", "RAVOLT", nullptr, "u2", "p2"), PWC_CREATE);
    EXPECT_EQ(PWCChangePassword(file.c_str(), "secret", "fresh", "h"), PWC_CREATE);
    EXPECT_EQ(cfgtest::Slurp(file), before);
    EXPECT_FALSE(cfgtest::Exists(file + ".NEW"));
    PWCReplaceFile = CfgHostReplace;
    /* a ".NEW" that cannot be made */
    std::filesystem::create_directory(file + ".NEW");
    EXPECT_EQ(Write("QM2", "RAVOLT", nullptr, "u2", "p2"), PWC_CREATE);
    EXPECT_EQ(cfgtest::Slurp(file), before);
    std::filesystem::remove(file + ".NEW");
}

TEST_F(Cache, LogonLimitsAttempts)
{
    Prf.po[3] |= 0x200;
    Prf.pwc[0] = 0;
    snprintf(Prf.pwc, sizeof Prf.pwc, "%s", file.c_str());
    PWCRefreshFileName();
    EXPECT_EQ(std::string(PWCFileName()), file);
    std::vector<std::string> errors;
    static std::vector<std::string> *sink;
    sink = &errors;
    PWCHOOKS hooks = {};
    hooks.postError = [](void *, QMS *, const char *text) { sink->push_back(text); };
    PWCSetHooks(&hooks);
    ASSERT_EQ(PWCLogon("secret", "hint"), 0);            /* creates the cache */
    EXPECT_TRUE(PWCIsOpen());
    EXPECT_EQ(PWCLogon("bad", nullptr), PWC_WRONG);
    EXPECT_FALSE(PWCIsOpen());
    EXPECT_EQ(PWCAttemptsLeft(), 3);
    EXPECT_EQ(PWCLogon("secret", nullptr), 0);          /* right: back to 4 */
    EXPECT_EQ(PWCAttemptsLeft(), 4);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(PWCLogon("bad", nullptr), PWC_WRONG);
    EXPECT_TRUE(PWCIsEnabled());
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(PWCLogon("bad", nullptr), PWC_WRONG);
    EXPECT_FALSE(PWCIsEnabled());
    EXPECT_FALSE(PWCInUse());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], PWCLockOutText);
    PWCSetHooks(nullptr);
    PWCResetState();
}

TEST_F(Cache, KeyDatabasePasswords)
{
    KDBS *a = nullptr, *b = nullptr;
    EXPECT_EQ(KDBFind("/keys/a.kdb", &a, 0), 0);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(KDBFind("/keys/a.kdb", &a, 1), 0);
    ASSERT_NE(a, nullptr);
    strcpy(a->password, "kdbpw");
    EXPECT_EQ(KDBFind("/keys/a.kdb", &b, 1), 1);
    EXPECT_EQ(a, b);
    static std::string told;
    PWCHOOKS hooks = {};
    hooks.settingsText = [](void *, QMS *, const char *text) { told = text; };
    PWCSetHooks(&hooks);
    QMS loc;
    memset(&loc, 0, sizeof loc);
    loc.settingsWindow = &loc;
    KDBForget(a, &loc, 1);
    EXPECT_EQ(told, "KDB password forgotten");
    EXPECT_EQ(KDBFind("/keys/a.kdb", nullptr, 0), 0);
    KDBForget(a, &loc, 1);
    EXPECT_EQ(told, "No current KDB password known");
    PWCSetHooks(nullptr);
}

TEST_F(Cache, FileNameFromTheTemplate)
{
    char out[PWC_PATH_MAX + 1];
    snprintf(ConfigFile, sizeof ConfigFile, "%s/RAVOLT.CFG", dir.c_str());
#ifdef _WIN32
    _putenv_s("RAVOLT_PWC_TEST", dir.c_str());
#else
    setenv("RAVOLT_PWC_TEST", dir.c_str(), 1);
#endif
    PWCResolveFileName("%RAVOLT_PWC_TEST%/cache", out);
    EXPECT_EQ(std::string(out), dir + "/cache" + CSPathSepString + "RAVOLT.PWC");
    PWCResolveFileName("", out);
    EXPECT_EQ(std::string(out), dir + CSPathSepString + "RAVOLT.PWC");
    PWCResolveFileName("sub/my.pwc", out);
    EXPECT_EQ(std::string(out), dir + CSPathSepString + "sub" + CSPathSepString + "my.pwc");
    /* an existing directory is one even with a dot in its name */
    std::filesystem::create_directory(dir + "/v1.2");
    PWCResolveFileName((dir + "/v1.2").c_str(), out);
    EXPECT_EQ(std::string(out), dir + "/v1.2" + CSPathSepString + "RAVOLT.PWC");
    PWCResolveFileName("%NO_SUCH_VARIABLE_HERE%x.pwc", out);
    EXPECT_EQ(std::string(out), dir + CSPathSepString + "x.pwc");

    /* a name longer than 300 characters is refused whole with a message,
       never cut to name a file elsewhere (the folder above, a shorter name) */
#ifdef _WIN32
    _putenv_s("RAVOLT_PWC_LONG", std::string(400, 'e').c_str());
#else
    setenv("RAVOLT_PWC_LONG", std::string(400, 'e').c_str(), 1);
#endif
    std::string fits = dir + CSPathSepString + std::string(294 - dir.size(), 'f') + ".pwc";   /* 299 */
    static std::vector<std::string> told;
    PWCHOOKS hooks = {};
    hooks.postError = [](void *, QMS *, const char *text) { told.push_back(text); };
    PWCSetHooks(&hooks);
    for (const std::string &t : { "/" + std::string(294, 'd'), std::string("%RAVOLT_PWC_LONG%"),
                                  std::string(280, 'n') + ".pwc", fits }) {
        bool ok = t == fits;
        EXPECT_EQ(PWCResolveFileName(t.c_str(), out), ok ? 1 : 0) << t;
        EXPECT_EQ(std::string(out), ok ? t : "") << t;
        told.clear();
        snprintf(Prf.pwc, sizeof Prf.pwc, "%s", t.c_str());
        PWCRefreshFileName();
        EXPECT_EQ(std::string(PWCFileName()), ok ? t : "") << t;
        EXPECT_EQ(told.size() == 1 && told[0].find("is longer than 300 characters") != std::string::npos, !ok);
    }
    PWCSetHooks(nullptr);
    Prf.pwc[0] = 0;
    PWCRefreshFileName();
    PWCHND *h = nullptr;
    EXPECT_EQ(PWCOpen((dir + "/" + std::string(310 - dir.size(), 'o')).c_str(), "pw", nullptr, "", 1, 0, &h),
              PWC_BADPARM);
    for (const auto &e : std::filesystem::recursive_directory_iterator(dir))
        EXPECT_FALSE(e.is_regular_file()) << e.path();      /* nothing made anywhere */
    snprintf(ConfigFile, sizeof ConfigFile, "RAVOLT.CFG");
}

/* Every prefix of a cache file and random mutations of it go through the
 * readers without harm. */
TEST_F(Cache, DamagedFiles)
{
    Create();
    Write("QM1", "RAVOLT", nullptr, "app", "mqpass");
    Write("QM2", "RAVOLT", "GRP", "u \"q\"", "123456789");
    const std::string good = cfgtest::Slurp(file);
    auto exercise = [&](const std::string &text) {
        cfgtest::Spit(file, text);
        std::string user, pw;
        Find("QM1", "RAVOLT", nullptr, &user, &pw);
        Find("X", "Y", "GRP", &user, &pw);
        char *hint = nullptr;
        PWCGetHint(file.c_str(), &hint);
        CSFreeMemAndClear(&hint);
        PWCChangePassword(file.c_str(), "secret", "other", "h");
    };
    for (size_t n = 0; n <= good.size(); n++)
        exercise(good.substr(0, n));
    std::mt19937 rng(418);
    const char alphabet[] = "\"\\= \t\n,;[]!|QmUserPwdGroup0123456789ABCDEF*";
    int count = getenv("RAVOLT_LONG_FUZZ") ? 20000 : 1500;
    for (int i = 0; i < count; i++) {
        std::string t = good;
        for (int k = 0, n = 1 + (int)(rng() % 6); k < n && !t.empty(); k++)
            t[rng() % t.size()] = alphabet[rng() % (sizeof alphabet - 1)];
        exercise(t);
    }
}

}  // namespace
