/* The four import windows under Xvfb: each filled from a real sample or a
 * fixture and written to the gallery, a file name typed into its field,
 * Read, the hide choice, Select All and Deselect All, Import with its
 * result box, the refill on 11395, the browse dialog, the hand-over of
 * the local list to the main frame, and the Location Settings dialog that
 * an update closes. */
#include "ccdtfixtures.h"
#include "cfgfile.h"
#include "dd.h"
#include "filedlg.h"
#include "impwnd.h"
#include "loctest.h"
#include "tkcontrols.h"
#include "tkharness.h"
#include "tkutil.h"

using namespace loctest;

namespace {

struct Shown {
    std::string text, caption;
    UINT type;
};
std::vector<Shown> shown;

int sink(HWND, const char *text, const char *caption, UINT type)
{
    shown.push_back({text, caption, type});
    return IDOK;
}

/* A message-only window that records what it gets. */
std::vector<std::pair<UINT, LPARAM>> received;
LRESULT CALLBACK recorder(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == FRM_IMPORTLOCAL || m == WM_CLOSE || m == WM_DESTROY || m == UM_LOC_RELOAD)
        received.push_back({m, l});
    if (m == WM_CLOSE)
        return 0;                          /* it stays, to record what follows */
    return DefWindowProcA(h, m, w, l);
}

HWND RecorderWindow()
{
    static HWND h;
    if (!h) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = recorder;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "IMPTESTRECORDER";
        RegisterClassA(&wc);
        h = CreateWindowExA(0, "IMPTESTRECORDER", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    return h;
}

struct Windows : ::testing::Test {
    static void SetUpTestSuite()
    {
        int version = 100;
        DDInitialise(GetModuleHandleA(nullptr), &version, nullptr, nullptr);
        RegisterControlClasses(GetModuleHandleA(nullptr));
    }
    void SetUp() override
    {
        ImportSetHooks(nullptr);           /* the real boxes, through the sink */
        UtilSetMessageBoxSink(sink);
        shown.clear();
        received.clear();
        ClearLocations();
    }
    void TearDown() override
    {
        UtilSetMessageBoxSink(nullptr);
        UISetFileDialogRunner(nullptr);
        tkHost.mainWindow = nullptr;
        ClearLocations();
        JsonCcdtFree();
    }
    HWND w = nullptr;
    IMPORTLIST *list = nullptr;
    DDHANDLE dd = nullptr;
    void Open(HWND hwnd)
    {
        ASSERT_NE(hwnd, nullptr);
        w = hwnd;
        list = ImportWindowList(w);
        ASSERT_NE(list, nullptr);
        dd = (DDHANDLE)list->dialog;
        Pump();
    }
    HWND ListBox() { return DDGetFieldWindow(dd, IMPID_LIST, 0); }
    int Rows() { return (int)SendMessageA(ListBox(), LB_GETCOUNT, 0, 0); }
    int Selected() { return (int)SendMessageA(ListBox(), LB_GETSELCOUNT, 0, 0); }
    IMPORTENTRY *Row(int i) { return (IMPORTENTRY *)SendMessageA(ListBox(), LB_GETITEMDATA, i, 0); }
    void Type(int id, const std::string &text) { SetWindowTextA(DDGetFieldWindow(dd, id, 0), text.c_str()); }
    std::string Text(int id)
    {
        char b[600] = "";
        DDGetFieldText(dd, id, b, sizeof b);
        return b;
    }
    void Command(int id, int code = BN_CLICKED)
    {
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)DDGetFieldWindow(dd, id, 0));
        Pump();
    }
    void Shot(const char *name)
    {
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        EXPECT_TRUE(GalleryShot(w, name, true)) << name;
    }
    void Close()
    {
        Command(2);
        Pump();
        EXPECT_FALSE(IsWindow(w));
    }
    std::string Caption()
    {
        char b[200];
        GetWindowTextA(w, b, sizeof b);
        return b;
    }
    std::string Class()
    {
        char b[200];
        GetClassNameA(w, b, sizeof b);
        return b;
    }
};

OPENFILENAMEA lastDialog;
char lastFilter[200], lastFolder[300];
BOOL choose(OPENFILENAMEA *ofn)
{
    lastDialog = *ofn;
    memcpy(lastFilter, ofn->lpstrFilter, 120);
    snprintf(lastFolder, sizeof lastFolder, "%s", ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "");
    snprintf(ofn->lpstrFile, ofn->nMaxFile, "%s", "C:\\chosen\\TABLE.TAB");
    return TRUE;
}

}  // namespace

TEST_F(Windows, ChannelTableWindow)
{
    std::string dir = TempDir("ccdtwindow");
    SetEnv("MQCHLLIB", dir.c_str());
    SetEnv("MQCHLTAB", nullptr);
    Open(ImportCCDTDialog());
    EXPECT_EQ(Caption(), "Ravolt Import CCDT Locations");
    EXPECT_EQ(Class(), "DD_DLG_IMPORTCCDT");
    EXPECT_EQ(Text(IMPID_FILE), dir + "\\AMQCLCHL.TAB");

    Type(IMPID_FILE, Sample("ccdt-binary", "ewiger__ibm-mq-mtls__ccdt_AMQCLCHL.TAB"));
    Command(IMPID_READ);
    EXPECT_TRUE(shown.empty()) << shown[0].text;
    ASSERT_EQ(Rows(), 3);
    EXPECT_STREQ(Row(0)->qmName, "<Blank>");
    EXPECT_STREQ(Row(2)->channel, "CERT.SVRCONN");
    Command(IMPID_SELECTALL);
    EXPECT_EQ(Selected(), 3);
    Shot("import_ccdt");
    Command(IMPID_DESELECTALL);
    EXPECT_EQ(Selected(), 0);

    SendMessageA(ListBox(), LB_SETSEL, TRUE, 2);
    DDSetCheck(dd, IMPID_MVS, 1);
    Type(IMPID_GROUP, "G1");
    Type(IMPID_NAMES, std::string(499, 'n'));
    Command(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Location imported");
    EXPECT_EQ(shown[0].caption, "CCDT Import Result");
    EXPECT_TRUE(shown[0].type & MB_ICONINFORMATION);
    QMS *r = LocFind("QM1");
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r->flags & LF_MVS);
    EXPECT_STREQ(r->groupName, "G1");
    EXPECT_EQ(strlen(r->networkNames), 499u);  /* "Network Names" holds the location's 499 */

    /* refilled: both QM1 rows are defined now and go when hidden */
    EXPECT_EQ(Rows(), 3);
    EXPECT_TRUE(Row(1)->exists);
    DDSetCheck(dd, IMPID_HIDE, 1);
    Command(IMPID_HIDE);
    EXPECT_EQ(Rows(), 1);
    LocDelete(&LocTree, r, nullptr);
    LocFlushFreed();
    PostMessageA(w, UM_LOCATIONSCHANGED, 0, 0);
    Pump();
    EXPECT_EQ(Rows(), 3);

    /* the browse dialog: the table filters, the current folder, a choice */
    UISetFileDialogRunner(choose);
    Type(IMPID_FILE, "C:\\start\\AMQCLCHL.TAB");
    Command(IMPID_BROWSE);
    EXPECT_STREQ(lastFolder, "C:\\start");
    EXPECT_STREQ(lastFilter, "CCDT Files (*.TAB)");
    EXPECT_EQ(lastDialog.Flags, (DWORD)(OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT));
    EXPECT_EQ(Text(IMPID_FILE), "C:\\chosen\\TABLE.TAB");

    /* an empty name and an empty table */
    shown.clear();
    Type(IMPID_FILE, "");
    Command(IMPID_READ);
    Type(IMPID_FILE, DataDir() + "empty.TAB");
    Command(IMPID_READ);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Please enter a CCDT file name");
    EXPECT_EQ(shown[1].text, "The CCDT file is empty");
    EXPECT_TRUE(shown[1].type & MB_ICONERROR);
    EXPECT_EQ(Rows(), 0);
    Close();
    SetEnv("MQCHLLIB", nullptr);
}

TEST_F(Windows, LocalWindowAndTheHandOver)
{
    std::string dir = TempDir("localwindow");
    WriteText(dir + "/mqs.ini", ReadText(Sample("ini-mqsc", "ibm-doc-example__mqs.ini")));
    SetEnv("MQ_DATA_PATH", dir.c_str());
    tkHost.mainWindow = RecorderWindow();
    ImportLocalQMgrs(1);
    Pump();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].first, (UINT)FRM_IMPORTLOCAL);
    Open(ImportLocalOpenDialog((IMPORTLIST *)received[0].second));
    EXPECT_EQ(Caption(), "Ravolt Import Locations");
    EXPECT_EQ(Class(), "DD_DLG_IMPORT");
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Selected(), 2);                  /* every row selected at first */
    Shot("import_local");
    SendMessageA(ListBox(), LB_SETSEL, FALSE, 1);
    Command(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Location imported");
    EXPECT_EQ(shown[0].caption, "Local QMgr Import Result");
    EXPECT_NE(LocFind("saturn.queue.manager"), nullptr);
    EXPECT_EQ(Rows(), 1);                      /* the defined one leaves the list */
    Close();

    ImportLocalQMgrs(1);
    Pump();
    EXPECT_EQ(received.size(), 2u);
    ImportListFree((IMPORTLIST *)received[1].second);
    AddLocation("pluto.queue.manager");
    ImportLocalQMgrs(1);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "No additional local Queue Managers found");
    EXPECT_EQ(shown[1].caption, "Ravolt Queue Manager Import");
    SetEnv("MQ_DATA_PATH", nullptr);
}

TEST_F(Windows, ConfigurationFileWindowAndTheSettingsDialog)
{
    std::string path = TempDir("configwindow") + "/other.cfg";
    WriteText(path, "AP:\nQM:QMA \"A\" 0 0\ngrp=FILEGRP\nclient\n\nCLN:\n 3501=\"CHL.A\"\n 3506=\"hosta(1414)\"\n"
                    "QM:QMB \"B\" 0 0\nrp=FROM.FILE\n");
    AddLocation("QMB")->settingsWindow = RecorderWindow();
    Open(ImportConfigDialog());
    EXPECT_EQ(Caption(), "Ravolt Import Ravolt Configuration");
    EXPECT_EQ(Class(), "DD_DLG_IMPORTTK47");
    EXPECT_EQ(Text(IMPID_GROUP), IMP_GROUP_TEXT);
    EXPECT_EQ(Text(IMPID_NAMES), IMP_NAMES_TEXT);
    Type(IMPID_FILE, path);
    Command(IMPID_READ);
    ASSERT_EQ(Rows(), 2);
    EXPECT_TRUE(Row(0)->exists);
    EXPECT_TRUE(Row(0)->differs);
    Shot("import_config");
    SendMessageA(ListBox(), LB_SELITEMRANGE, TRUE, MAKELPARAM(0, 1));
    Command(1);
    ASSERT_EQ(shown.size(), 1u) << shown[0].text;
    EXPECT_EQ(shown[0].text, "2 locations imported");
    EXPECT_EQ(shown[0].caption, "Ravolt Config Import Result");
    EXPECT_STREQ(LocFind("QMA")->groupName, "FILEGRP");
    EXPECT_STREQ(LocFind("QMB")->replyPrefix, "FROM.FILE");
    /* QMB's open settings dialog was closed, not destroyed under it, then told */
    Pump();
    std::vector<UINT> got;
    for (auto &m : received)
        got.push_back(m.first);
    EXPECT_EQ(got, (std::vector<UINT>{WM_CLOSE, UM_LOC_RELOAD}));
    LocFind("QMB")->settingsWindow = nullptr;
    Close();
}

TEST_F(Windows, ExplorerWindow)
{
    Open(ImportMQExplorerDialog());
    EXPECT_EQ(Caption(), "Ravolt Import MQ Explorer Locations");
    EXPECT_EQ(Class(), "DD_DLG_IMPORTMQEX");
    EXPECT_EQ(DDGetCheck(dd, IMPID_SETGROUP), 1);
    EXPECT_EQ(DDGetCheck(dd, IMPID_SETNAMES), 1);
    Type(IMPID_FILE, DataDir() + "mqexplorer.xml");
    Command(IMPID_READ);
    ASSERT_EQ(Rows(), 10);
    Shot("import_mqex");
    int plain = -1;
    for (int i = 0; i < Rows(); i++)
        if (!strcmp(Row(i)->qmName, "QM.PLAIN"))
            plain = i;
    ASSERT_GE(plain, 0);
    SendMessageA(ListBox(), LB_SETSEL, TRUE, plain);
    DDSetCheck(dd, IMPID_SETGROUP, 0);
    Type(IMPID_GROUP, "FROM.FIELD");
    Command(1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "MQ Explorer Import Result");
    QMS *r = LocFind("QM.PLAIN");
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->groupName, "FROM.FIELD");
    EXPECT_STREQ(r->networkNames, "Production,Test");
    Close();
}
