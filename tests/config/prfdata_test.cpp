/* The profile: defaults, key reading with masks and limits, the locale
 * key, and a profile written and read back. */
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cfgfile.h"
#include "cfgtest.h"
#include "cs.h"
#include "prfdata.h"

namespace {

void Load(const std::string &text)
{
    PrfLoadText(text.data(), text.size());
}

std::string Save()
{
    std::string path = cfgtest::TempDir("profile") + "/p.txt";
    FILE *f = fopen(path.c_str(), "w");
    SavePrfData(f);
    fclose(f);
    return cfgtest::Slurp(path);
}

TEST(Profile, DefaultsAndWhatTheyWrite)
{
    Load("AP:\n");
    EXPECT_EQ(Prf.maxb, 10000);
    EXPECT_EQ(Prf.layout, 3);
    EXPECT_EQ(Prf.opt1, 0xFDBF0u);
    EXPECT_EQ(Prf.opt2, (uint32_t)PRF_OPT2_QMGR);
    EXPECT_EQ(Prf.viewWord, PRF_VIEW_LIST);
    EXPECT_EQ(Prf.po[0], 0x310A1Bu);
    EXPECT_EQ(Prf.po[1], 0x4436488u & ~0x8600u);
    EXPECT_EQ(Prf.co, 0xFFFFFFFFu);
    EXPECT_STREQ(Prf.disr, "1,100");
    EXPECT_EQ(Prf.disrFirst, 1);
    EXPECT_EQ(Prf.disrLast, 100);
    EXPECT_STREQ(Prf.loc, "C");
    EXPECT_EQ(Prf.dumpFormat, 0x41u | 0xF0000u);
    EXPECT_EQ(Prf.msgFormat, 1);
    EXPECT_EQ(Prf.msgFlags, 0x200u);
    EXPECT_STREQ(Prf.fmtdate, "%DD %MM %YY %TT");
    EXPECT_STREQ(Prf.npfont.face, "DejaVu Sans Mono");
    EXPECT_EQ(Prf.csvsep, ',');
    std::string out = Save();
    for (const char *absent : { "layout=", "maxm=", "disr=", "wsnd=", "hlp=", "dlgadd=",
                                "list ", "csvsep", "loc=", "prb=", "iactx", "nmainobjs" })
        EXPECT_EQ(out.find(absent), std::string::npos) << absent;
    for (const char *present : { "\nAP:\nver=933 ", "tb=1056 ", "cmdexp=90 ", "fmtdate=",
                                 "sep1000=\",\" ", "exp_text\"RAVOLT ", "exp_mqsc\"* RAVOLT ",
                                 "pom=FFFFFFFF po=310A1B ", "snap=qm ", "asnap=obj ",
                                 "msgformat=1f_ msgformat2=_\n", "dq=", "qmgr ",
                                 "prgsz=0 0 400 250 " })
        EXPECT_NE(out.find(present), std::string::npos) << present;
}

TEST(Profile, MasksLimitsAndFlags)
{
    Load("junk before\nAP:\npom=F po=5 po5=FFFFFFFF maxb=5 msgsms=50 msgdsp=500 "
         "list snap=grid asnap=none csvsep=\";\" disr=\"0,99\" "
         "msgformat=3ax_ dq=zz_ nms_9=\"x\" clr66=5 clr-1=5 clr3=77 prb=1 40 -7 2 -1 "
         "vcn=5 ver=900\nQM:A\n");
    EXPECT_EQ(Prf.po[0], (0x310A1Bu & ~0xFu) | 5);
    EXPECT_EQ(Prf.po[4], 0x21u);                /* only bits 1 and 20 */
    EXPECT_EQ(Prf.maxb, 10);
    EXPECT_EQ(Prf.msgsms, 108);
    EXPECT_EQ(Prf.msgdsp, 200);
    EXPECT_EQ(Prf.viewWord & PRF_VIEW_LIST, 0);
    EXPECT_EQ(Prf.opt1 & (PRF_OPT1_SNAPQM | PRF_OPT1_SNAPGRID), (uint32_t)PRF_OPT1_SNAPGRID);
    EXPECT_EQ(Prf.opt1 & (PRF_OPT1_ASNAPOBJ | PRF_OPT1_ASNAPGRID), 0u);
    EXPECT_EQ(Prf.csvsep, ';');
    EXPECT_STREQ(Prf.disr, "1,100");
    EXPECT_EQ(Prf.msgFormat, 3);
    EXPECT_EQ(Prf.msgFlags, 0x180000u);
    EXPECT_EQ(Prf.dumpFormat, 0xF0000u);
    EXPECT_EQ(Prf.nameStandards[8], nullptr);
    EXPECT_EQ(Prf.colours[3], 77u);
    EXPECT_EQ(Prf.switchOff[1], 1);
    EXPECT_EQ(Prf.switchOff[2], 0);             /* after the negative end */
    EXPECT_EQ(Prf.vcn, 0);                      /* another version */
    EXPECT_EQ(Prf.sections, nullptr);
    std::string out = Save();
    EXPECT_NE(out.find("csvsep=\";\"\n"), std::string::npos);
    EXPECT_NE(out.find("list "), std::string::npos);
    EXPECT_NE(out.find("prb=1 -1 \n"), std::string::npos);
    EXPECT_NE(out.find("snap=grid "), std::string::npos);

    Load("AP:\ndisr=250\n");
    EXPECT_EQ(Prf.disrFirst, 1);
    EXPECT_EQ(Prf.disrLast, 250);
}

/* "loc" with "=" is the locale text; a bare "loc" is the option flag. */
TEST(Profile, LocaleKeyAndFlag)
{
    Load("AP:\nloc\n");
    EXPECT_TRUE(Prf.opt2 & PRF_OPT2_LOC);
    EXPECT_FALSE(Prf.opt2 & PRF_OPT2_QMGR);
    EXPECT_STREQ(Prf.loc, "C");
    Load("AP:\nloc=\"C\" maxb=20\n");
    EXPECT_FALSE(Prf.opt2 & PRF_OPT2_LOC);
    EXPECT_EQ(Prf.maxb, 20);                   /* the value was not taken as a key */
    Load("AP:\nloc=\"POSIX\"\n");
    EXPECT_FALSE(Prf.opt2 & PRF_OPT2_LOC);
    EXPECT_TRUE(std::string(Prf.loc) == "C" || std::string(Prf.loc) == "POSIX");
}

TEST(Profile, WrittenProfileReadsBackEqual)
{
    std::string text = cfgtest::Slurp(cfgtest::DataFile("ravolt.cfg"));
    Load(text);
    EXPECT_EQ(Prf.main[6], 1024);
    EXPECT_EQ(Prf.vct, 'W');
    EXPECT_EQ(Prf.layout, 4);
    EXPECT_STREQ(Prf.expText, "Text \"export\" header");
    EXPECT_STREQ(Prf.npfont.face, "Courier New");
    EXPECT_EQ(Prf.npfont.underline, 1);
    EXPECT_EQ(Prf.npfont.height, -15);
    EXPECT_EQ(Prf.msgFlags2, 2u);
    EXPECT_EQ(Prf.tz, 60);
    EXPECT_STREQ(Prf.httpbaddr.first ? (const char *)(Prf.httpbaddr.first + 1) : "", "127.0.0.1");
    ASSERT_NE(Prf.sections, nullptr);
    EXPECT_EQ(std::string(Prf.sections).rfind("FLK:", 0), 0u);
    PRFDATA before = Prf;
    std::string first = Save();
    Load(first + "\nQM:X \"\" 0 0\n");
    std::string second = Save();
    EXPECT_EQ(first, second);
    EXPECT_EQ(memcmp(before.main, Prf.main, sizeof Prf.main), 0);
    EXPECT_EQ(before.opt1, Prf.opt1);
    EXPECT_EQ(before.opt2, Prf.opt2);
    EXPECT_EQ(before.viewWord, Prf.viewWord);
    EXPECT_EQ(memcmp(before.po, Prf.po, sizeof Prf.po), 0);
    EXPECT_EQ(memcmp(before.colours, Prf.colours, sizeof Prf.colours), 0);
    EXPECT_EQ(before.dumpFormat, Prf.dumpFormat);
    EXPECT_STREQ(before.wsnd, Prf.wsnd);
    EXPECT_STREQ(before.disr, Prf.disr);
    EXPECT_STREQ(before.dftsrchq, Prf.dftsrchq);
    EXPECT_EQ(before.iactx, Prf.iactx);
}

/* Every prefix and random mutations of the profile load and save without
 * a fault. */
TEST(Profile, FuzzLoader)
{
    std::string text = cfgtest::Slurp(cfgtest::DataFile("ravolt.cfg"));
    size_t end = text.find("\nQM:");
    ASSERT_NE(end, std::string::npos);
    text.resize(end);
    FILE *sink = tmpfile();
    ASSERT_NE(sink, nullptr);
    auto run = [&](const std::string &t) {
        std::vector<char> copy(t.begin(), t.end());
        PrfLoadText(copy.data(), copy.size());
        SavePrfData(sink);
        rewind(sink);
    };
    for (size_t i = 0; i <= text.size(); i += 2)
        run(text.substr(0, i));
    std::mt19937 rng(11);
    const char alphabet[] = "\"~=:;# \n-19clr99prb nms_ loc AP:";
    for (int n = 0; n < 2000; n++) {
        std::string m = text;
        for (int k = 1 + rng() % 6; k > 0 && !m.empty(); k--) {
            size_t at = rng() % m.size();
            if (rng() % 2)
                m[at] = alphabet[rng() % (sizeof alphabet - 1)];
            else
                m.erase(at, 1 + rng() % 30);
        }
        run(m);
    }
    fclose(sink);
    PrfSetDefaults();
}

}  // namespace
