/* What the version check, the splash display and the debug window use of
 * the application shell and the MQ engine: the program's version text,
 * the modeless-dialog list, window activation and the thread requests of
 * the analyser thread.
 *
 * Until the shell and the engine exist, shell/standin/ stands in for
 * them with the same signatures; the engine's own header replaces the
 * request declarations below as soon as it is on the include path. */
#pragma once

#include <cstddef>
#include <cstdint>

struct QMS;
struct HWND__;

/* The program's version text ("9.3.3") and build date ("Mmm dd yyyy"). */
extern const char RavoltVersionText[];
extern const char RavoltBuildDate[];

/* The modeless-dialog list of the message loop: kind 1 is a dialog that
 * needs IsDialogMessage. */
int AddModeless(void *window, int kind, void *owner1, void *owner2);
void UtilRemoveModeless(void *window);
/* Restores (when minimized) and activates a window. */
void ActivateWindow(HWND__ *window);

#if __has_include("mqengine.h")
#include "mqengine.h"
#else
/* ThreadRequestKind and ThreadRequestFlags used here. */
enum { TRK_VERCHECK = 11 };
enum : uint32_t { TRF_MSGINFO = 0x20, TRF_KIND = 0x40, TRF_ANALYSER = 0x4000 };

/* One request, copied whole into the consumer's queue (200 bytes). */
struct ThreadRequest {
    uint32_t kind;
    uint32_t flags;
    uint8_t key[24];
    char qmName[48];
    uint16_t info1;
    char queueName[48];
    uint16_t info2;
    void *resultWindow;
    uint32_t dataLength;
    uint32_t count;
    uint8_t persistent;
    uint8_t syncpoint;
    uint8_t asynchronous;
    uint8_t correlId[24];
    char userId[12];
    QMS *location;
};
static_assert(sizeof(ThreadRequest) == 200, "a thread request is 200 bytes");

struct SELECTIONINFO;
/* 0 queued; the block passes to the consumer only then. */
int PostThreadRequest(QMS *location, const SELECTIONINFO *selection, uint32_t flags,
                      const ThreadRequest *templ, const uint8_t *key, void *block,
                      uint32_t length);
#endif
