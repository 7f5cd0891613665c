/* Helpers of the shell parts' window tests: a message pump that serves
 * the modeless list as the shell's loop does, waiting for a condition,
 * scratch files, the windows of a class, the recorded message boxes and
 * opened links. */
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tkharness.h"

/* runs the message queue (modeless dialogs first) until empty */
void PumpAll(void);
/* pumps until the condition holds or ms pass; the condition's last value */
bool PumpUntil(const std::function<bool()> &done, int ms = 10000);

/* a fresh scratch folder per call, with a trailing backslash */
std::string ScratchDir(void);
std::string WriteScratch(const std::string &name, const std::string &bytes);
std::string ReadWhole(const std::string &path);

/* the visible top-level windows of a class, newest first */
std::vector<HWND> WindowsOfClass(const char *cls);
void CloseAllOfClass(const char *cls);
std::string WindowText(HWND hwnd);

/* message boxes shown (text and caption), answered with OK */
struct ShownBox { std::string text, caption; };
std::vector<ShownBox> &Boxes(void);
/* links the "open" hook was given */
std::vector<std::string> &OpenedLinks(void);
/* installs the box sink and the open hook (once per test is enough) */
void RecordBoxesAndLinks(void);
