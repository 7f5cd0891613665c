/* The open-file dialog for edit fields that hold a file name. */
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <cstddef>
#include <cstdint>

enum { UIF_INPUT = 1, UIF_BITMAP = 2, UIF_DRASK = 4 };

/* Splits a starting text into the initial folder and file name: with a
 * "." the cut is at the last "\" or "/" (else after a drive "X:"), without
 * one the whole text is the folder. folder and name hold size bytes. */
void UIFileNameSplit(const char *text, char *folder, char *name, size_t size);
/* 1 when a file was chosen (written into the field and into path, which
 * holds at least 256 bytes), 0 when cancelled or failed. */
int UIGetFileName(HWND owner, HWND edit, uint32_t flags, char *path);
/* The system's open-file dialog, or the test hook's when one is set. */
BOOL UIRunFileDialog(OPENFILENAMEA *ofn);
/* Test hook: replaces the system dialog (same contract as GetOpenFileNameA). */
typedef BOOL (*UIFileDialogRunner)(OPENFILENAMEA *ofn);
void UISetFileDialogRunner(UIFileDialogRunner runner);
