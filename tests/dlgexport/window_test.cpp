/* The export dialog and Choose Queue Manager on the display: a type change
 * replacing the extension, OK writing the file with its count, the
 * clipboard read back, the file dialog, the boxes of a missing name and
 * an existing file, and Choose Queue Manager asking once per generation
 * with OK disabled while the name is empty. */
#include "exptest.h"

#include <filesystem>
#include <functional>

#include "expwin.h"
#include "filedlg.h"
#include "locstore.h"
#include "prffile.h"
#include "tkharness.h"

using namespace exptest;

namespace {

Reply ThreeQueues()
{
    Reply r(MQCMD_INQUIRE_Q);
    r.Str(MQCA_Q_NAME, "APP.ONE").Int(MQIA_Q_TYPE, MQQT_LOCAL).Int(MQIA_MAX_Q_DEPTH, 10).Separator();
    r.Str(MQCA_Q_NAME, "APP.TWO").Int(MQIA_Q_TYPE, MQQT_LOCAL).Int(MQIA_MAX_Q_DEPTH, 20).Separator();
    r.Str(MQCA_Q_NAME, "APP.THREE").Int(MQIA_Q_TYPE, MQQT_ALIAS);
    return r;
}

/* Runs a step once the modal dialog of the engine is up. */
std::function<void(void)> step;
void CALLBACK OnModal(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!DDModalHandle || !DDModalHandle->root.hwnd)
        return;
    KillTimer(nullptr, id);
    if (step)
        step();
}

std::string chosenFile;
BOOL PickFile(OPENFILENAMEA *ofn)
{
    snprintf(ofn->lpstrFile, ofn->nMaxFile, "%s", chosenFile.c_str());
    return TRUE;
}

struct ExportWindow : ::testing::Test {
    std::unique_ptr<ListDialog> list;
    HWND h = nullptr;
    DDHANDLE dd = nullptr;
    void SetUp() override
    {
        TestDialogsInit();
        TestCatchBoxes(IDOK);
        PrfLoadText("AP:\n", 4);
        PCFPrefsDefaults();
        list.reset(new ListDialog(&PCFQueueListDef, AllColumns(&PCFQueueDef)));
        list->Fill(ThreeQueues());
    }
    void TearDown() override
    {
        if (h && IsWindow(h))
            SendMessageA(h, WM_CLOSE, 0, 0);
        Pump();
        list.reset();
    }
    void Open()
    {
        h = ExpOpenDialog(list->get(), nullptr);
        ASSERT_NE(h, nullptr);
        Pump();
        dd = DDFindHandle(h);
    }
    std::string Text(int id)
    {
        char b[400];
        DDGetFieldText(dd, id, b, sizeof b);
        return b;
    }
    void Press(int id)
    {
        SendMessageA(DDGetFieldWindow(dd, id, 0), BM_CLICK, 0, 0);
        Pump();
    }
    void ChooseType(const char *name)
    {
        HWND combo = DDGetFieldWindow(dd, EXD_TYPE, 0);
        SendMessageA(combo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)name);
        SendMessageA(h, WM_COMMAND, MAKEWPARAM(EXD_TYPE, CBN_SELCHANGE), (LPARAM)combo);
        Pump();
    }
};

TEST_F(ExportWindow, TypeChangeFileAndCount)
{
    std::string path = TempPath("window.mqs");
    std::filesystem::remove(path);
    std::filesystem::remove(TempPath("window.csv"));
    DialogWords *d = list->get();
    d->exportType = EXP_MQSC;
    snprintf(d->exportFile, sizeof d->exportFile, "%s", path.c_str());
    Open();
    EXPECT_EQ(ExpOpenDialog(d, nullptr), h);            /* one per dialog */
    char title[100];
    GetWindowTextA(h, title, sizeof title);
    EXPECT_STREQ(title, "Export IBM MQ Definition");
    EXPECT_TRUE(GalleryDialogShot(h, "export_dialog"));
    ChooseType("CSV");
    EXPECT_EQ(Text(EXD_FILE), TempPath("window.csv"));
    EXPECT_FALSE(IsWindowEnabled(DDGetFieldWindow(dd, EXD_HEADER, 0)));
    Press(EXD_APPEND);
    EXPECT_TRUE(IsWindowEnabled(DDGetFieldWindow(dd, EXD_HEADER, 0)));
    Press(EXD_APPEND);
    Press(EXD_APPLY);
    EXPECT_EQ(Text(EXD_STATUS), "3 objects exported.");
    EXPECT_NE(ReadFile(TempPath("window.csv")).find("APP.THREE"), std::string::npos);
    EXPECT_EQ(d->exportType, EXP_CSV);

    /* the file exists: asked before overwriting; No writes nothing */
    FILE *f = fopen(TempPath("window.csv").c_str(), "wb");
    fputs("keep", f);
    fclose(f);
    step = [] { SendMessageA(DDGetFieldWindow(DDModalHandle, 2, 0), BM_CLICK, 0, 0); };
    SetTimer(nullptr, 0, 30, OnModal);
    Press(1);
    EXPECT_EQ(ReadFile(TempPath("window.csv")), "keep");
    EXPECT_TRUE(IsWindow(h));
    Press(EXD_OVERWRITE);
    Press(1);                                           /* written: OK closes */
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(d->exportDialog, nullptr);
    EXPECT_NE(ReadFile(TempPath("window.csv")).find("APP.ONE"), std::string::npos);
}

TEST_F(ExportWindow, ClipboardBrowseAndMissingName)
{
    DialogWords *d = list->get();
    d->exportType = EXP_TEXT;
    d->exportFile[0] = 0;
    Open();
    Press(1);
    ASSERT_EQ(TestBoxes().size(), 1u);
    EXPECT_EQ(TestBoxes()[0].text, "Please enter a filename");
    EXPECT_EQ(TestBoxes()[0].caption, "No filename supplied");
    chosenFile = TempPath("picked.txt");
    UISetFileDialogRunner(PickFile);
    Press(EXD_BROWSE);
    UISetFileDialogRunner(nullptr);
    EXPECT_EQ(Text(EXD_FILE), chosenFile);

    Press(EXD_TOCLIP);
    Press(EXD_APPLY);
    EXPECT_EQ(Text(EXD_STATUS), "3 objects exported.");
    ASSERT_TRUE(OpenClipboard(h));
    HANDLE data = GetClipboardData(CF_TEXT);
    std::string clip = data ? (const char *)GlobalLock(data) : "";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_NE(clip.find("APP.TWO"), std::string::npos) << clip;
    EXPECT_NE(clip.find("RAVOLT Qm: QMX Queue List Export"), std::string::npos) << clip;
    EXPECT_EQ(d->exportToClipboard, 1);
}

TEST_F(ExportWindow, ChooseQueueManagerOncePerGeneration)
{
    QMS t;
    InitLocationDefaults(&t);
    snprintf(t.qmName, sizeof t.qmName, "QMFIRST");
    QMS *a = LocCreate(&LocTree, &t, 0);
    snprintf(t.qmName, sizeof t.qmName, "QMSECOND");
    QMS *b = LocCreate(&LocTree, &t, 0);
    int okWhileEmpty = -1, okWithName = -1, items = 0;
    step = [&] {
        DDHANDLE m = DDModalHandle;
        HWND combo = DDGetFieldWindow(m, CQM_NAME, 0);
        items = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
        okWhileEmpty = IsWindowEnabled(DDGetFieldWindow(m, 1, 0));
        GalleryDialogShot(m->root.hwnd, "choose_qmgr");
        SendMessageA(combo, CB_SETCURSEL, 1, 0);
        SendMessageA(m->root.hwnd, WM_COMMAND, MAKEWPARAM(CQM_NAME, CBN_SELCHANGE), (LPARAM)combo);
        Pump();
        okWithName = IsWindowEnabled(DDGetFieldWindow(m, 1, 0));
        SendMessageA(DDGetFieldWindow(m, 1, 0), BM_CLICK, 0, 0);
    };
    SetTimer(nullptr, 0, 30, OnModal);
    char name[50] = "";
    EXPECT_EQ(ChooseQMgrDialog(nullptr, name, 7), 1);
    EXPECT_STREQ(name, "QMSECOND");
    EXPECT_EQ(items, 2);
    EXPECT_EQ(okWhileEmpty, 0);
    EXPECT_EQ(okWithName, 1);
    /* the same generation: the first answer, no dialog */
    step = nullptr;
    name[0] = 0;
    EXPECT_EQ(ChooseQMgrDialog(nullptr, name, 7), 1);
    EXPECT_STREQ(name, "QMSECOND");
    /* a new generation: cancelled */
    step = [] { SendMessageA(DDGetFieldWindow(DDModalHandle, 2, 0), BM_CLICK, 0, 0); };
    SetTimer(nullptr, 0, 30, OnModal);
    EXPECT_EQ(ChooseQMgrDialog(nullptr, name, 8), 0);
    LocDelete(&LocTree, a, nullptr);
    LocDelete(&LocTree, b, nullptr);
    LocFlushFreed();
}

}  // namespace
