/* The MQSC console window (Windows): a console dialog's reply lines in a
 * scrolled pane over an input box, the dialog's history combo box;
 * Enter issues the input through the console's action. */
#pragma once

#include <windows.h>

#include "mqsc.h"

/* A child of parent showing the console of dialog; null on failure. */
HWND MQSCConsoleWindow(HWND parent, DialogWords *dialog, const PCFActionDef *action, int id);
/* The input box (a drop-down combo box) and the lines pane of a console
 * window, for the dialog that hosts it and for tests. */
HWND MQSCConsoleInput(HWND console);
HWND MQSCConsolePane(HWND console);
/* Fills a history combo box's list again from the MQSC command history
 * (the location's, or the program's by the shared-history option, Alt
 * swapping the two), keeping the text typed in it. */
void FillHistoryCombo(QMS *location, HWND combo);
