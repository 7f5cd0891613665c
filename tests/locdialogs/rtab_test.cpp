/* Add Location and Location Settings without windows: the status line,
 * network names, encodings and code pages, the apply with its checks,
 * connection changes, renames and additions refused, the Security tab
 * and the client channel. */
#include "locdlgtest.h"

#include <cstring>
#include <string>

#include "dialogs.h"
#include "pwcache.h"
#ifdef _WIN32
#include "modeless.h"
#endif

using namespace locdlgtest;

namespace {

std::string Status(uint16_t put, uint16_t get, uint32_t status, const int64_t *diag = nullptr)
{
    char out[300];
    RtabStatusText(put, get, status, diag, out, sizeof out);
    return out;
}

TEST(RtabRules, StatusLineFromThreadsAndStatusWord)
{
    /* both threads stopped: no marks, the first comma becomes a blank */
    EXPECT_EQ(Status(0, 0, 0x8000 | 0x4), " QM Unavailable,No response");
    EXPECT_EQ(Status(0x5, 0x5, 0), "[Connected]");
    EXPECT_EQ(Status(0x1, 0x1, 0), "(Connecting)");
    EXPECT_EQ(Status(0x9, 0, 0), "(Retrying");
    EXPECT_EQ(Status(0x3, 0x2, 0), "(Initialising/");
    EXPECT_EQ(Status(0x5, 0x5, 0x4000 | 0x10000 | 0x20 | 0x40 | 0x2),
              "[Connected],State Unknown,Slave,Monitored,Can't send,Restarting");
    EXPECT_EQ(Status(0, 0, 0), "");
    int64_t diag[3] = { 3, 4, 0x1ef };
    EXPECT_EQ(Status(0, 0, 0x4000, diag), " State Unknown GET(3,4) STATE(000001EF)");
}

TEST(RtabRules, NetworkNamesEncodingsAndCodepages)
{
    char message[200];
    std::string twenty(20, 'N'), longer(21, 'L');
    EXPECT_EQ(RtabCheckNetworkNames(("SHORT, " + twenty).c_str(), message, sizeof message), 1);
    EXPECT_EQ(RtabCheckNetworkNames(("SHORT " + longer + ",X").c_str(), message, sizeof message), 0);
    EXPECT_EQ(std::string(message), "Network name '" + longer +
                                        "' is too long. Each network name should be 20 characters or less");
    EXPECT_EQ(RtabCheckNetworkNames("", message, sizeof message), 1);

    EXPECT_STREQ(RtabEncodingName(546), "Reversed");
    EXPECT_STREQ(RtabEncodingName(1041), "Normal TNS");
    EXPECT_STREQ(RtabEncodingName(17), "");
    EXPECT_EQ(RtabEncodingValue("Normal S/390"), 785u);
    EXPECT_EQ(RtabEncodingValue("normal"), 0u);

    QMS r;
    InitLocationDefaults(&r);
    EXPECT_EQ(RtabReadCodepages(&r, "1208", "Reversed"), 1);
    EXPECT_EQ(r.ccsidOverride, 1208u);
    EXPECT_EQ(r.encodingOverride, 546u);
    EXPECT_EQ(RtabReadCodepages(&r, "1208", "Reversed"), 0);
    EXPECT_EQ(RtabReadCodepages(&r, "", "Upside down"), 1);    /* not listed: 0 */
    EXPECT_EQ(r.ccsidOverride, 0u);
    EXPECT_EQ(r.encodingOverride, 0u);
    r.platform = 3;
    r.ccsidQm = 819;
    RtabReadCodepages(&r, "437", "");
    SetDefaultEncoding(&r);
    RTABCODEPAGES cp;
    RtabCodepageTexts(&r, &cp);
    EXPECT_STREQ(cp.ccsid[0], "437");
    EXPECT_STREQ(cp.ccsid[1], "819");
    EXPECT_STREQ(cp.ccsid[2], "437");
    EXPECT_STREQ(cp.encoding[0], "");
    EXPECT_STREQ(cp.encoding[1], "Normal");         /* from the platform */
    EXPECT_STREQ(cp.encoding[2], "Normal");
}

TEST(RtabRules, TitlesAndReplyQueueRule)
{
    char title[100];
    RtabTitle(1, "", title, sizeof title);
    EXPECT_STREQ(title, "Add Location");
    RtabTitle(0, "QM1", title, sizeof title);
    EXPECT_STREQ(title, "Location Settings - QM1");
    EXPECT_STREQ(RtabReplyQueueRule("HUB", "SYSTEM.DEFAULT.MODEL.QUEUE"),
                 "Since you're going to this location via a different Queue Manager you do not need a reply queue");
    EXPECT_STREQ(RtabReplyQueueRule("", ""),
                 "Since you're connecting directly to this Queue Manager you need to specify a reply queue");
    EXPECT_EQ(RtabReplyQueueRule("HUB", ""), nullptr);
    EXPECT_EQ(RtabReplyQueueRule("", "Q"), nullptr);
}

/* The fields of a location, changed and applied. */
struct Apply : Locations {
    RTABINPUT in;
    RTABERROR e;
    int Run(QMS *r, int addMode = 0, QMS **created = nullptr)
    {
        return RtabApply(r, addMode, &in, created, &e);
    }
};

TEST_F(Apply, ConnectionChangesRestartOnlyWhatConnects)
{
    QMS *r = Add("QMA", "", "First");
    r->putThread.state = 0x5;
    r->status |= LS_FIRSTREFRESH;
    RtabLoad(r, &in);
    snprintf(in.location, sizeof in.location, "Renamed");
    ASSERT_EQ(Run(r), RTAB_OK);
    EXPECT_STREQ(r->locationName, "Renamed");
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "configChanged" }));
    EXPECT_FALSE(r->status & LS_RESTARTING);
    EXPECT_TRUE(r->status & LS_FIRSTREFRESH);
    EXPECT_EQ(rec.repaints, std::vector<uint32_t>({ 2048 }));

    rec.calls.clear();
    snprintf(in.commandQueue, sizeof in.commandQueue, "OTHER.COMMAND.QUEUE");
    ASSERT_EQ(Run(r), RTAB_OK);
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "end QMA", "configChanged" }));
    EXPECT_TRUE(r->status & LS_RESTARTING);
    EXPECT_FALSE(r->status & LS_FIRSTREFRESH);
    EXPECT_STREQ(r->commandQueue, "OTHER.COMMAND.QUEUE");

    /* "Client" alone counts as a change too; a stopped location is not ended */
    rec.calls.clear();
    r->putThread.state = 0;
    in.checks |= RTC_CLIENT;
    ASSERT_EQ(Run(r), RTAB_OK);
    EXPECT_TRUE(r->flags & LF_CLIENT);
    EXPECT_EQ(rec.calls, std::vector<std::string>({ "configChanged" }));
}

TEST_F(Apply, ChecksStopInOrderWithTheRecordPartlyUpdated)
{
    QMS *r = Add("QMA", "", "Loc");
    RtabLoad(r, &in);
    in.retry[0] = 0;
    EXPECT_EQ(Run(r), RTAB_MANDATORY);
    EXPECT_EQ(e.field, RTF_RETRY);
    EXPECT_STREQ(e.title, "Retry Interval");
    EXPECT_STREQ(e.text, "Please enter a value for 'Retry Interval'");

    /* the check boxes are stored before the names are checked */
    RtabLoad(r, &in);
    in.checks |= RTC_UCO | RTC_USRP;
    in.location[0] = 0;
    snprintf(in.retry, sizeof in.retry, "30");
    EXPECT_EQ(Run(r), RTAB_MANDATORY);
    EXPECT_EQ(e.field, RTF_LOCATION);
    EXPECT_TRUE(r->flags & LF_UCO);
    EXPECT_TRUE(r->flags & LF_USRP);
    EXPECT_EQ(r->retryInterval, 30);

    snprintf(in.location, sizeof in.location, "L");
    in.commandQueue[0] = 0;
    EXPECT_EQ(Run(r), RTAB_MANDATORY);
    EXPECT_STREQ(e.title, "Command Queue");

    RtabLoad(r, &in);
    in.replyQueue[0] = 0;
    EXPECT_EQ(Run(r), RTAB_FIELD_ERROR);
    EXPECT_EQ(e.field, RTF_REPLYQ);
    EXPECT_STREQ(e.text, "Since you're connecting directly to this Queue Manager you need to specify a reply queue");
    snprintf(r->viaQm, sizeof r->viaQm, "HUB");
    snprintf(in.replyQueue, sizeof in.replyQueue, "R");
    EXPECT_EQ(Run(r), RTAB_FIELD_ERROR);
    EXPECT_STREQ(e.text, "Since you're going to this location via a different Queue Manager you do not need a reply queue");
    r->viaQm[0] = 0;

    /* network names are checked after the names were stored */
    std::string tooLong(21, 'x');
    snprintf(in.networkNames, sizeof in.networkNames, "ok %s", tooLong.c_str());
    snprintf(in.location, sizeof in.location, "Stored first");
    EXPECT_EQ(Run(r), RTAB_NETWORK_NAMES);
    EXPECT_EQ(e.field, RTF_NETNAMES);
    EXPECT_NE(std::string(e.text).find("'" + tooLong + "'"), std::string::npos);
    EXPECT_STREQ(r->locationName, "Stored first");
}

TEST_F(Apply, LongFieldsAreStoredWhole)
{
    QMS *r = Add("QMA", "", "Loc");
    RtabLoad(r, &in);
    std::string url = "https://ccdt.example/" + std::string(479, 'u');
    ASSERT_EQ(url.size(), 500u);
    snprintf(in.ccdtUrl, sizeof in.ccdtUrl, "%s", url.c_str());
    std::string names;
    while (names.size() < 480)
        names += "NETNAME" + std::to_string(names.size()) + ",";
    snprintf(in.networkNames, sizeof in.networkNames, "%s", names.c_str());
    std::string desc(200, 'd');
    snprintf(in.secGroupDesc, sizeof in.secGroupDesc, "%s", desc.c_str());
    snprintf(in.secGroup, sizeof in.secGroup, "  SG1  ");
    ASSERT_EQ(Run(r), RTAB_OK);
    EXPECT_EQ(std::string(r->ccdtUrl), url);
    EXPECT_EQ(std::string(r->networkNames), names);
    EXPECT_EQ(std::string(r->securityGroupDesc), desc);
    EXPECT_STREQ(r->securityGroup, "SG1");
    /* loaded back and applied untouched, nothing is cut */
    RtabLoad(r, &in);
    ASSERT_EQ(Run(r), RTAB_OK);
    EXPECT_EQ(std::string(r->ccdtUrl), url);
    in.ccdtUrl[0] = 0;
    ASSERT_EQ(Run(r), RTAB_OK);
    EXPECT_EQ(r->ccdtUrl, nullptr);
}

TEST_F(Apply, AddingAndRenamingRefuseAPairThatIsTaken)
{
    QMS *a = Add("QMA", "", "Existing");
    QMS *b = Add("QMB");
    QMS *priv = (QMS *)CSGetMem(sizeof(QMS), "QMS - Add");
    InitLocationDefaults(priv);
    RtabLoad(priv, &in);
    snprintf(in.location, sizeof in.location, "New");
    snprintf(in.qmName, sizeof in.qmName, "QMA");
    snprintf(in.networkNames, sizeof in.networkNames, "NET1");
    QMS *created = nullptr;
    EXPECT_EQ(Run(priv, 1, &created), RTAB_DUPLICATE);
    EXPECT_STREQ(e.text, "Can not add new location - a definition for this Queue Manager already exists.");
    EXPECT_EQ(created, nullptr);
    EXPECT_STREQ(priv->networkNames, "NET1");       /* the private record stays */

    snprintf(in.qmName, sizeof in.qmName, "QMC");
    ASSERT_EQ(Run(priv, 1, &created), RTAB_OK);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(LocFindByNames("QMC", "RAVOLT"), created);
    EXPECT_STREQ(created->networkNames, "NET1");
    EXPECT_EQ(priv->networkNames, nullptr);         /* taken over by the new location */
    CSFreeMem(priv);

    /* renaming a location onto another's pair is refused, the name stays */
    RtabLoad(a, &in);
    snprintf(in.qmName, sizeof in.qmName, "QMB");
    EXPECT_EQ(Run(a), RTAB_DUPLICATE);
    EXPECT_EQ(e.field, RTF_QMNAME);
    EXPECT_STREQ(a->qmName, "QMA");
    EXPECT_EQ(LocFindByNames("QMA", "RAVOLT"), a);
    EXPECT_EQ(LocFindByNames("QMB", "RAVOLT"), b);

    /* a free name re-keys the record */
    snprintf(in.qmName, sizeof in.qmName, "QMZ");
    ASSERT_EQ(Run(a), RTAB_OK);
    EXPECT_EQ(LocFindByNames("QMZ", "RAVOLT"), a);
    EXPECT_EQ(LocFindByNames("QMA", "RAVOLT"), nullptr);
    EXPECT_TRUE(a->status & LS_FIRSTOFRING);
}

TEST_F(Apply, SecurityTabAndGroupDescriptions)
{
    QMS *a = Add("QMA"), *b = Add("QMB"), *c = Add("QMC");
    CSStringSet(&b->securityGroup, "SG", -1);
    CSStringSet(&c->securityGroup, "OTHER", -1);
    b->settingsWindow = (void *)0x77;
    a->caps[22] = 1;
    RtabLoad(a, &in);
    snprintf(in.secGroup, sizeof in.secGroup, "SG");
    snprintf(in.secGroupDesc, sizeof in.secGroupDesc, "The group");
    in.checks |= RTC_SSLWK | RTC_USRP | RTC_SECEXIT;
    in.checks &= ~RTC_CACHEFILE;
    RtabApplySecurity(a, &in);
    EXPECT_TRUE(a->flags2 & LF2_SSLWK);
    EXPECT_EQ(a->caps[46], 1);
    EXPECT_TRUE(a->flags & LF_USROAM);
    EXPECT_TRUE(a->flags2 & LF2_USRNPWCF);           /* not stored in the cache file */
    EXPECT_STREQ(b->securityGroupDesc, "The group");
    EXPECT_EQ(c->securityGroupDesc, nullptr);
    EXPECT_EQ(rec.posts, std::vector<uint32_t>({ UM_LOC_RELOAD }));
    b->settingsWindow = nullptr;

    RTABENABLES en;
    RtabEnables(a, RTC_USRP, &en);
    EXPECT_TRUE(en.secExit && en.setPassword && en.deletePassword && en.apply);
    RtabEnables(a, RTC_USRP | RTC_USRSUC | RTC_AUTO, &en);
    EXPECT_FALSE(en.setPassword);
    EXPECT_FALSE(en.disconnect);
    EXPECT_FALSE(en.configure);
    a->authMask = 0x100000000ull;                       /* display only */
    RtabEnables(a, RTC_CLIENT, &en);
    EXPECT_FALSE(en.apply);
    EXPECT_TRUE(en.configure && en.ccdtUrl);
}

/* Without the shell's hooks the Security tab's buttons reach the location's
 * key-database password and its saved credentials themselves. */
TEST_F(Apply, SecurityButtonsReachTheCredentials)
{
    QMS *a = Add("QMA");
    KDBS *kdb = nullptr;
    KDBFind("/keys/qma.kdb", &kdb, 1);
    snprintf(kdb->password, sizeof kdb->password, "kdbpw");
    a->kdbEntry = kdb;
    a->password = (char *)CSGetMem(sizeof "secret", "PWD");
    memcpy(a->password, "secret", sizeof "secret");
    LocDlgSetHooks(nullptr);
    LocDlgHooks()->kdbForget(nullptr, a);
    EXPECT_STREQ(kdb->password, "");
    LocDlgHooks()->deleteCredentials(nullptr, a);       /* no cache in use: just forgotten */
    EXPECT_EQ(a->password, nullptr);
    a->kdbEntry = nullptr;
    PWCResetState();
#ifdef _WIN32
    /* a settings window joins the program's one modeless list, owned by its location */
    int before = ModelessCount();
    HWND window = (HWND)(uintptr_t)0x5151;
    LocDlgHooks()->addModeless(nullptr, window, 1, (uintptr_t)a, 0);
    EXPECT_EQ(ModelessNext(nullptr), window);
    LocDlgHooks()->removeModeless(nullptr, window);
    EXPECT_EQ(ModelessCount(), before);
#endif
}

TEST_F(Apply, ClientChannelAreaAndItsCompletion)
{
    PCFInitCommandDefs();
    QMS *r = Add("QMA");
    r->settingsWindow = (void *)0x99;
    uint8_t *area = RtabClientArea(r);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(RtabClientArea(r), area);              /* made once */
    PCFFieldEntry *type = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, 1511);
    PCFFieldEntry *trans = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, 1501);
    char b[100];
    EXPECT_STREQ(PCFValueText(area, type, 0, b, sizeof b, 0), "Client-connection");
    EXPECT_STREQ(PCFValueText(area, trans, 0, b, sizeof b, 0), "TCP");

    /* a copy made from it keeps its own area */
    QMS copy;
    InitLocationDefaults(&copy);
    r->flags |= 0x1000000 | LF_AUTO;
    RtabCopySource(&copy, r);
    EXPECT_TRUE(copy.flags & LF_AUTO);
    EXPECT_FALSE(copy.flags & 0x1000000);
    ASSERT_NE(copy.clientSettings, nullptr);
    EXPECT_NE(copy.clientSettings, r->clientSettings);
    PCFFreeData(&PCFClientChannelDef, (uint8_t *)copy.clientSettings, 1);

    /* the dialog ends without a channel name: the area goes */
    DialogWords d = {};
    d.first.location = r;
    CfgClient(&d);
    EXPECT_EQ(r->clientSettings, nullptr);
    EXPECT_EQ(rec.posts, std::vector<uint32_t>({ UM_LOC_STATUS }));
    area = RtabClientArea(r);
    PCFFieldEntry *name = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, 3501);
    char message[100];
    PCFStoreText(&PCFClientChannelDef, area, name, "APP.SVRCONN", -1, message, sizeof message);
    CfgClient(&d);
    EXPECT_EQ(r->clientSettings, area);
    r->settingsWindow = nullptr;
}

}  // namespace
