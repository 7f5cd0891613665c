/* The open-file dialog for edit fields: the starting folder and name,
 * the filters and titles, and the result written back. */
#include "dd_test.h"
#include <string>
#include "filedlg.h"
#include "cshost.h"

static std::string split(const char *text)
{
    char folder[200], name[200];
    UIFileNameSplit(text, folder, name, sizeof folder);
    return std::string(folder) + "|" + name;
}

TEST(DDFileDialog, StartingFolderAndName)
{
    EXPECT_EQ(split("C:\\data\\queues"), "C:\\data\\queues|");
    EXPECT_EQ(split("C:\\data\\in.drk"), "C:\\data|in.drk");
    EXPECT_EQ(split("/home/user/in.drk"), "/home/user|in.drk");
    EXPECT_EQ(split("C:\\data/sub\\in.drk"), "C:\\data/sub|in.drk");
    EXPECT_EQ(split("D:in.txt"), "D:|in.txt");
    EXPECT_EQ(split("in.txt"), "|in.txt");
    EXPECT_EQ(split(""), "|");
    char folder[8], name[8];
    UIFileNameSplit("C:\\a-long-folder\\a-long-name.txt", folder, name, sizeof folder);
    EXPECT_STREQ(folder, "C:\\a-lo");
    EXPECT_STREQ(name, "a-long-");
}

static OPENFILENAMEA seen;
static std::string seenDir, seenFile, seenFilter;
static const char *answer;

static BOOL fake(OPENFILENAMEA *ofn)
{
    seen = *ofn;
    seenDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
    seenFile = ofn->lpstrFile;
    seenFilter.assign(ofn->lpstrFilter, 40);
    if (!answer)
        return FALSE;
    snprintf(ofn->lpstrFile, ofn->nMaxFile, "%s", answer);
    return TRUE;
}

TEST(DDFileDialog, ChosenFileGoesToFieldAndBuffer)
{
    CSInitPlatform();
    UISetFileDialogRunner(fake);
    HWND host = DDTestWindow(300, 50);
    HWND edit = CreateWindowExA(0, "EDIT", "Z:\\tmp\\old.drk", WS_CHILD, 0, 0, 200, 20, host, nullptr, nullptr, nullptr);
    char path[256] = "unused.txt";
    answer = "Z:\\tmp\\new.drk";
    EXPECT_EQ(UIGetFileName(host, edit, UIF_INPUT | UIF_DRASK, path), 1);
    EXPECT_EQ(seenDir, "Z:\\tmp");
    EXPECT_EQ(seenFile, "old.drk");
    EXPECT_STREQ(seen.lpstrTitle, "Input DRASK file name");
    EXPECT_TRUE(seen.Flags & OFN_FILEMUSTEXIST);
    EXPECT_EQ(seen.nFilterIndex, 1u);
    EXPECT_EQ(std::string(seen.lpstrFilter), "Drask");
    const char *expect = CSRunningOnWine ? "/tmp/new.drk" : "Z:\\tmp\\new.drk";
    EXPECT_STREQ(path, expect);
    char text[256];
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, expect);

    /* an empty field starts from the buffer; cancel changes nothing */
    SetWindowTextA(edit, "");
    snprintf(path, sizeof path, "C:\\msgs");
    answer = nullptr;
    EXPECT_EQ(UIGetFileName(host, edit, 0, path), 0);
    EXPECT_EQ(seenDir, "C:\\msgs");
    EXPECT_EQ(seenFile, "");
    EXPECT_STREQ(seen.lpstrTitle, "Output Message file name");
    EXPECT_FALSE(seen.Flags & OFN_FILEMUSTEXIST);
    EXPECT_EQ(std::string(seen.lpstrFilter), "Text");
    EXPECT_STREQ(path, "C:\\msgs");
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "");

    answer = nullptr;
    path[0] = 0;
    EXPECT_EQ(UIGetFileName(host, edit, UIF_INPUT | UIF_BITMAP, path), 0);
    EXPECT_STREQ(seen.lpstrTitle, "Queue Manager Bitmap");
    EXPECT_EQ(std::string(seen.lpstrFilter), "Bitmaps");
    EXPECT_EQ(seenDir, "");
    EXPECT_EQ(seenFile, "");
    UISetFileDialogRunner(nullptr);
    DestroyWindow(host);
}

/* the system refuses a choice longer than the buffer it was given */
static BOOL strict(OPENFILENAMEA *ofn)
{
    seenDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
    if (strlen(answer) >= ofn->nMaxFile)
        return FALSE;     /* FNERR_BUFFERTOOSMALL */
    snprintf(ofn->lpstrFile, ofn->nMaxFile, "%s", answer);
    return TRUE;
}

/* a path of up to 255 characters (what the caller's buffer holds) is
 * chosen and started from whole */
TEST(DDFileDialog, LongPathsUpToTheCallersBuffer)
{
    CSInitPlatform();
    UISetFileDialogRunner(strict);
    HWND host = DDTestWindow(300, 50);
    std::string folder = "Z:\\" + std::string(220, 'f');
    std::string chosen = folder + "\\" + std::string(20, 'n') + ".txt";   /* 245 */
    HWND edit = CreateWindowExA(0, "EDIT", (folder + "\\old.txt").c_str(), WS_CHILD | ES_AUTOHSCROLL,
                                0, 0, 200, 20, host, nullptr, nullptr, nullptr);
    char path[256] = "";
    answer = chosen.c_str();
    EXPECT_EQ(UIGetFileName(host, edit, UIF_INPUT, path), 1);
    EXPECT_EQ(seenDir, folder);
    std::string expect = chosen;
    if (CSRunningOnWine) {
        CSNormalisePath(expect.data());
        expect.resize(strlen(expect.c_str()));
    }
    EXPECT_EQ(std::string(path), expect);
    UISetFileDialogRunner(nullptr);
    DestroyWindow(host);
}
