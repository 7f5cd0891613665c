/* Window tests of the transfer dialogs: the engine's port delivering the
 * put thread's texts to the dialog windows, message pumping while the
 * put thread works, and the dynamic dialog engine started once. */
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "dd.h"
#include "mqengine.h"
#include "xferwnd.h"

/* The engine's port of these tests: messages for a window reach it (the
 * put thread's texts), 11237 starts the get thread, others go nowhere. */
void WindowPort(void);
/* Runs the thread's messages until done() holds, waking for each new
 * message; done()'s last value once realMs of real time have passed. */
bool PumpUntil(std::function<bool()> done, uint32_t realMs = 20000);
/* The engine of dynamic dialogs and the program's controls, once. */
void StartWindows(void);
/* The status line (103) of a dynamic dialog. */
std::string Status(DDHANDLE dd);
/* This process's top-level window of a class (others that run at the
 * same time may show windows of the same class). */
HWND FindTransferWindow(const char *cls);
/* The shell's location commands as these tests need them (wndshell.cpp):
 * of DoAction only the transfer windows' (641 put, 747 publish, 731
 * load/unload), for the given location. */
struct DialogWords;
DialogWords *DoAction(HWND window, QMS *location, void *object, int id);
/* Answers the next modal confirmation with Yes (1) or No (2); the
 * question asked goes to *question. */
void AnswerConfirmation(int button, std::string *question);
