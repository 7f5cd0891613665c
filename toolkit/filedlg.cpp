/* UIGetFileName: the system's open-file dialog for an edit field, started
 * in the folder and with the file name the field holds. */
#include <windows.h>
#include <commdlg.h>
#include <cstring>
#include <cstdio>
#include "filedlg.h"
#include "cshost.h"

static UIFileDialogRunner runner;

void UISetFileDialogRunner(UIFileDialogRunner r)
{
    runner = r;
}

BOOL UIRunFileDialog(OPENFILENAMEA *ofn)
{
    return runner ? runner(ofn) : GetOpenFileNameA(ofn);
}

static void copy_part(char *out, size_t size, const char *from, size_t length)
{
    if (!size)
        return;
    if (length > size - 1)
        length = size - 1;
    memcpy(out, from, length);
    out[length] = 0;
}

void UIFileNameSplit(const char *text, char *folder, char *name, size_t size)
{
    size_t n = strlen(text);
    if (!strchr(text, '.')) {
        copy_part(folder, size, text, n);
        copy_part(name, size, "", 0);
        return;
    }
    /* "\" and "/" separate on every host; a drive prefix when neither is there */
    const char *cut = nullptr;
    for (const char *p = text; *p; p++)
        if (*p == '\\' || *p == '/')
            cut = p;
    if (cut) {
        copy_part(folder, size, text, (size_t)(cut - text));
        copy_part(name, size, cut + 1, strlen(cut + 1));
        return;
    }
    const char *colon = strchr(text, ':');
    if (colon) {
        copy_part(folder, size, text, (size_t)(colon - text + 1));
        copy_part(name, size, colon + 1, strlen(colon + 1));
        return;
    }
    copy_part(folder, size, "", 0);
    copy_part(name, size, text, n);
}

struct FileKind {
    const char *filter;      /* pairs, each ended by a NUL, the list by a second NUL */
    const char *inputTitle;
};

static const FileKind kinds[3] = {
    {"Text\0*.TXT\0All\0*.*\0", "Input Message file name"},
    {"Bitmaps\0*.BMP\0All\0*.*\0", "Queue Manager Bitmap"},
    {"Drask\0*.DRK\0Text\0*.TXT\0All\0*.*\0", "Input DRASK file name"},
};

int UIGetFileName(HWND owner, HWND edit, uint32_t flags, char *path)
{
    char start[256] = "";
    if (edit)
        GetWindowTextA(edit, start, sizeof start);
    if (!start[0] && path)
        snprintf(start, sizeof start, "%s", path);
    /* as long as the caller's buffer: a longer choice could not be handed back,
     * a shorter one would cut the starting folder or refuse a path that fits */
    char folder[256], file[256];
    UIFileNameSplit(start, folder, file, sizeof folder);
    const FileKind &k = kinds[(flags & UIF_BITMAP) ? 1 : (flags & UIF_DRASK) ? 2 : 0];
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = k.filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = folder[0] ? folder : nullptr;
    ofn.lpstrTitle = (flags & UIF_INPUT) ? k.inputTitle : "Output Message file name";
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | ((flags & UIF_INPUT) ? OFN_FILEMUSTEXIST : 0);
    BOOL ok = UIRunFileDialog(&ofn);
    if (!ok)
        return 0;
    if (CSRunningOnWine)
        CSNormalisePath(file);
    if (edit)
        SetWindowTextA(edit, file);
    if (path)
        snprintf(path, 256, "%s", file);
    return 1;
}
