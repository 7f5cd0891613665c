/* The confirmation dialog: every "are you sure" question of the program,
 * with a "Don't show again" check box tied to a bit of the caller's
 * settings. */
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstdint>
#include "dd.h"
#include "tkhooks.h"

struct ConfirmRequest {
    HWND owner;              /* may be null; the focus goes back to it */
    HWND topOwner;           /* computed: the last ancestor of the owner */
    const char *caption;     /* may be null */
    const char *verb;        /* verb, or the whole question after a leading "!" */
    char question[512];      /* filled by WinConfirmDialog */
    const char *name;        /* object name, may be null or empty */
    uint32_t nameChanged;    /* selects the "Object name has changed" caption */
    DDHANDLE dialog;         /* set when the dialog starts */
    uint32_t answer;         /* 1 Yes, 2 No, 0 closed otherwise */
    uint32_t icon;           /* system icon id; 0 = IDI_QUESTION */
    uint32_t *option;        /* the caller's settings word, or null */
    uint32_t mask;           /* its bits that keep the question switched on */
};

#include "ravoltids.h"
enum { CONFIRM_ICON = 398, CONFIRM_QUESTION = 238, CONFIRM_AGAIN = 239, CONFIRM_AREA = 240,
       CONFIRM_BAND = 241 };

extern DDFieldDef DLG_CONFIRM[];

/* The question for a verb (or "!" question) and an object name. */
void WinConfirmQuestion(const char *verb, const char *name, char *out, size_t size);
int WinConfirm(HWND owner, uint32_t nameChanged, const char *verb, const char *name,
               uint32_t *option, uint32_t mask);
int WinConfirmDialog(ConfirmRequest *request);
INT_PTR CALLBACK WinConfirmDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
