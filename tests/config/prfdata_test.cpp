/* The profile: defaults, key reading with masks and limits, the locale
 * key, and a profile written and read back. */
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "cfgfile.h"
#include "cfgtest.h"
#include "cs.h"
#include "prffile.h"

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
    PRFDATA before = Prf;
    std::string first = Save();
    EXPECT_NE(first.find("\nMNU:\n"), std::string::npos);   /* the sections follow the keys */
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

/* The export date separator may be any character, a double quote or a
 * tilde included, without spoiling the keys after it; the separator texts
 * keep their blanks, so the defaults survive a save. */
TEST(Profile, SeparatorsReadBackAsWritten)
{
    for (char eds : { '~', '"', '-' }) {
        Load("AP:\n");
        Prf.eds = eds;
        Prf.httpport = 81;
        std::string out = Save();
        Load(out);
        EXPECT_EQ(Prf.eds, eds) << out;
        EXPECT_EQ(Prf.httpport, 81) << eds;
    }
    Load("AP:\n");
    Load(Save());
    EXPECT_STREQ(Prf.sep1000, ",");
    EXPECT_STREQ(Prf.seplist, "; ");
    EXPECT_STREQ(Prf.sepind, " : ");
    /* a blank or no thousands separator at all is a choice too */
    strcpy(Prf.sep1000, " ");
    Prf.seplist[0] = 0;
    Load(Save());
    EXPECT_STREQ(Prf.sep1000, " ");
    EXPECT_STREQ(Prf.seplist, "");
}

/* One row per profile key: a line with a value other than the default, and
 * what the profile writes for it after reading it. */
struct KeyRow {
    const char *input;
    const char *written;
};

const KeyRow keyRows[] = {
    { "main=1 2 3 4 5 6 7 8", "main=1 2 3 4 5 6 7 8\n" },
    { "mainqm=9 8", "mainqm=9 8\n" }, { "mainmsgs=7 6", "mainmsgs=7 6\n" },
    { "mainmax=1", "mainmax=1\n" },
    { "vct=D vcl=123 vcf=4 vcn=5 ver=933", "vct=D vcl=123 vcf=4 vcn=5\n" },
    { "list qms name icon mini tree nofor", "list qms name icon mini tree nofor " },
    { "alarm monitor dynamic", "alarm monitor dynamic savpos savsize " },
    { "nmainobjs mainsearch desc search searchq qprefix qmgr loc",
      "nmainobjs mainsearch desc search searchq qprefix qmgr loc " },
    { "nphex nsavobj nauto nmulti nres nprob naro ntb nexist sys",
      "nphex nsavobj nauto nmulti nres nprob naro ntb nexist sys " },
    { "mqver qdep qcnt netmqver netchscnt", "mqver qdep qcnt netmqver netchscnt " },
    { "layout=1 dsplev=2 maxm=3 maxhdb=4 eosdl=5 maxb=600 msgsms=200 msgdsp=100",
      "layout=1 dsplev=2 maxm=3 maxhdb=4 eosdl=5 maxb=600 msgsms=200 msgdsp=100 " },
    { "disr=\"2,20\"", "disr=\"2,20\" \n" },
    { "dftsrchq=\"Q*\" dftsrchloc=\"L*\" pwc=\"c:\\pw.pwc\"",
      "dftsrchq=\"Q*\"\ndftsrchloc=\"L*\"\npwc=\"c:\\pw.pwc\"\n" },
    { "tb=1 tds=2 autod=3 hsf=4 hso=5 tcma=6 cmdexp=7 sdelay=8 fint=9 prgdelay=10",
      "tb=1 tds=2 autod=3 hsf=4 hso=5 tcma=6 cmdexp=7 sdelay=8 fint=9 prgdelay=10 " },
    { "objo=11 objr=12 objrty=13", "objo=11 objr=12 objrty=13 \n" },
    { "splashs=\"s\" splashqmn=\"n\" splashqms=\"m\"",
      "splashs=\"s\"\nsplashqmn=\"n\"\nsplashqms=\"m\"\n" },
    { "fmtdate=\"%D\" fmtdatet=\"%T\" fmtdatey=\"%Y\" dspwnd=\"ab\"",
      "fmtdate=\"%D\"\nfmtdatet=\"%T\"\nfmtdatey=\"%Y\"\ndspwnd=\"ab\"\n" },
    { "mcsplitp=5 qmlistwid=6 csvsep=\"|\"", "mcsplitp=5 qmlistwid=6\ncsvsep=\"|\"\n" },
    { "dlgadd=1 1 1 1 dlgloc=2 2 2 2 dlgprf=3 3 3 3 dlgsavem=4 4 4 4",
      "dlgadd=1 1 1 1 \ndlgloc=2 2 2 2 \ndlgprf=3 3 3 3 \ndlgsavem=4 4 4 4 \n" },
    { "dlgloadm=5 5 5 5 dlgapiex=6 6 6 6 dlgexp=7 7 7 7 dlgfile=8 8 8 8",
      "dlgloadm=5 5 5 5 \ndlgapiex=6 6 6 6 \ndlgexp=7 7 7 7 \ndlgfile=8 8 8 8 \n" },
    { "dlgprnt=1 2 3 4 dlgfilters=1 2 3 4 dlgsyncs=1 2 3 4 dlgput=1 2 3 4",
      "dlgprnt=1 2 3 4 \ndlgfilters=1 2 3 4 \ndlgsyncs=1 2 3 4 \ndlgput=1 2 3 4 \n" },
    { "dlgalist=1 2 3 4 dlgcolour=1 2 3 4 dlgpub=1 2 3 4 dlgdrask=1 2 3 4",
      "dlgalist=1 2 3 4 \ndlgcolour=1 2 3 4 \ndlgpub=1 2 3 4 \ndlgdrask=1 2 3 4 \n" },
    { "dlgar=1 2 3 4 dlggraph=1 2 3 4 dlggraphdlg=1 2 3 4 dlgversion=1 2 3 4",
      "dlgar=1 2 3 4 \ndlggraph=1 2 3 4 \ndlggraphdlg=1 2 3 4 \ndlgversion=1 2 3 4 \n" },
    { "dlgtrcmsg=1 2 3 4 dlgtrcmsgexp=1 2 3 4 dlgfr=1 2 3 4 prgsz=1 2 3 4",
      "dlgtrcmsg=1 2 3 4 \ndlgtrcmsgexp=1 2 3 4 \ndlgfr=1 2 3 4 \nprgsz=1 2 3 4 \n" },
    { "pom=FFFFFFFF po=1 po2m=FFFFFFFF po2=2 po3m=FFFFFFFF po3=3 po4m=FFFFFFFF po4=4 "
      "po5m=21 po5=20 com=80003FFF co=5 iactx=A iuctx=B",
      "pom=FFFFFFFF po=1 po2m=FFFFFFFF po2=2 po3m=FFFFFFFF po3=3 po4m=FFFFFFFF po4=4 "
      "po5m=21 po5=20 com=80003FFF co=7FFFC005 iactx=A iuctx=B \n" },
    { "snap=none snapsz=3 asnap=grid asnapsz=4", "snap=none snapsz=3\nasnap=grid asnapsz=4\n" },
    { "appf=1 appff=2 trcmsgopt=3", "appf=1 appff=2\ntrcmsgopt=3\n" },
    { "putpers=1 putpmoo=2 pubpers=3 pubpmoo=5 alr=6 acr=7",
      "putpers=1 putpmoo=2 pubpers=3 pubpmoo=5\nalr=6 acr=7\n" },
    { "exp_text\"T\" exp_mqsc\"M\" edf=1 eds=\"-\"",
      "exp_text\"T\"\nexp_mqsc\"M\"\nedf=1 eds=\"-\"\n" },
    { "sep1000=\"'\" seplist=\"|\" sepind=\"=\"", "sep1000=\"'\" seplist=\"|\" sepind=\"=\" \n" },
    { "st=\"x\" wsnd=\"w\" asnd=\"a\" tf1=\"1\" tf2=\"2\" tf3=\"3\"",
      "st=\"x\"\nwsnd=\"w\"\nasnd=\"a\"\ntf1=\"1\"\ntf2=\"2\"\ntf3=\"3\"\n" },
    { "httpport=1 httpreqint=2 httpmaxrsp=3 httpretint=4",
      "httpport=1 httpreqint=2 httpmaxrsp=3 httpretint=4\n" },
    { "httproot=\"r\" httpincl=\"i\" httpexcl=\"e\" httpdc=\"d\" httpbaddr=\"a1\" httpbaddr=\"a2\"",
      "httproot=\"r\"\nhttpincl=\"i\"\nhttpexcl=\"e\"\nhttpdc=\"d\"\nhttpbaddr=\"a1\"\nhttpbaddr=\"a2\"\n" },
    { "netf=1 netff=2", "netf=1 netff=2\n" },
    { "qmiconn=\"n\" qmiconb=\"b\" qmicong=\"g\" qmiconf=\"f\" appicona=\"a\" appiconi=\"i\" appiconb=\"c\"",
      "qmiconn=\"n\"\nqmiconb=\"b\"\nqmicong=\"g\"\nqmiconf=\"f\"\nappicona=\"a\"\nappiconi=\"i\"\nappiconb=\"c\"\n" },
    { "userfmtfile=\"u\" savemsgfile=\"s\" loadmsgfile=\"l\" expfile=\"e\" sffile=\"f\" hlpc=\"h\" hlp=\"p\"",
      "userfmtfile=\"u\"\nsavemsgfile=\"s\"\nloadmsgfile=\"l\"\nexpfile=\"e\"\nsffile=\"f\"\nhlpc=\"h\"\nhlp=\"p\"\n" },
    { "font=\"F/S\" fontsize=12 charset=2", "font=\"F/S\"\nfontsize=12\ncharset=2\n" },
    { "npfont=\"N//u\" npfontsize=-9 npcharset=3", "npfont=\"N//u\"\nnpfontsize=-9\nnpcharset=3\n" },
    { "prnsp=1 prnvm=2 prnhm=3 prnvo=4 prnho=6", "prnsp=1\nprnvm=2\nprnhm=3\nprnvo=4\nprnho=6\n" },
    { "pfont=\"P\" pfontsize=10 pfontpsize=11", "pfont=\"P\"\npfontsize=10\npfontpsize=11\n" },
    { "msgformat=2abcdDfhnosx_ msgformat2=c_", "msgformat=2abcdDfhnosx_ msgformat2=c_\n" },
    { "dq=ADFHMPSbcfhmnpslt_", "dq=ADFHMPSbcfhmnpslt_\n" },
    { "nms_0=\"A\" nms_8=\"B  \"", "nms_0=\"A\"\nnms_8=\"B\"\n" },
    { "ccsid=1208 tz=-60", "ccsid=1208\ntz=-60\n" },
    { "clr0=1 clr65=2", "clr0=1 clr1=0 clr2=11184810 clr3=16711680 \n" },
    { "prb=0 32 -1", "prb=0 32 -1 \n" },
};

TEST(Profile, EveryKeyIsReadAndWritten)
{
    std::string text = "AP:\n";
    for (const KeyRow &row : keyRows)
        text += std::string(row.input) + "\n";
    text += "vx=1 vy=2 vcx=3 vcy=4 chstype=5 chsrate=6 maxcsl=7 mitems=8 rfmaxrsp=9\n";
    Load(text);
    std::string out = Save();
    for (const KeyRow &row : keyRows)
        EXPECT_NE(out.find(row.written), std::string::npos) << row.written;
    /* keys that are read but never written */
    EXPECT_EQ(Prf.view[3], 4);
    EXPECT_EQ(Prf.chstype, 5);
    EXPECT_EQ(Prf.chsrate, 6);
    EXPECT_EQ(Prf.maxcsl, 7);
    EXPECT_EQ(Prf.mitems, 8);
    EXPECT_EQ(Prf.rfmaxrsp, 9);
    for (const char *never : { "vx=", "chstype", "maxcsl", "mitems", "rfmaxrsp" })
        EXPECT_EQ(out.find(never), std::string::npos) << never;
    Load(out);
    EXPECT_EQ(Save(), out);
}

/* The names of the keys a written profile holds ("name=" at a word's
 * start), the print layouts' keys included. */
std::set<std::string> WrittenKeys(const std::string &text)
{
    std::set<std::string> names;
    std::regex key("(^|[ \\n])([a-z][a-z0-9_]*) *=");
    for (std::sregex_iterator i(text.begin(), text.end(), key), end; i != end; ++i)
        names.insert((*i)[2].str());
    return names;
}

/* The profile as written, gathered in memory (no file per call). */
std::string Written()
{
    PRFOUT out;
    PrfOutOpen(&out, nullptr);
    SavePrfData(&out);
    std::string text(out.data ? out.data : "", out.length);
    PrfOutClose(&out);
    return text;
}

/* Whatever value a key is given, damaged, emptied or blank, what is
 * written once reads back as the same value: the second writing equals
 * the first. */
TEST(Profile, EveryKeyReadsBackWhatWasWritten)
{
    Load(cfgtest::Slurp(cfgtest::DataFile("ravolt.cfg")));
    std::set<std::string> keys = WrittenKeys(Save());
    for (const char *k : { "exp_text", "exp_mqsc", "fmtdate", "fmtdatet", "tf1", "tf2", "tf3",
                           "npfont", "font", "pfont", "hlp", "wsnd", "st", "loc" })
        keys.insert(k);
    ASSERT_GT(keys.size(), 100u);
    const char *values[] = { "\"\"", "\" \"", "\"  \"", "\"x \"", "0", "-1", "abc", "99999999999",
                             "\"/\"", "\" /Bold\"", "\"~\"\"", "=" };
    for (const std::string &key : keys)
        for (const char *value : values) {
            std::string line = key + "=" + value + "\n";
            for (const std::string &text : { "AP:\n" + line, "AP:\nPRH:\n" + line }) {
                Load(text);
                std::string first = Written();
                Load(first);
                EXPECT_EQ(Written(), first) << text;
            }
        }
    PrfSetDefaults();
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
