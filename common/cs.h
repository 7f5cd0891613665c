/* Common services: one header for all of them.
 *
 * Each topic has its own header; this one pulls in those present so that
 * callers need only #include "cs.h". */
#pragma once

#include <cstddef>
#include <cstdint>

#if __has_include("csmem.h")
#include "csmem.h"      /* tagged memory, buffers, static pools */
#endif
#if __has_include("cslock.h")
#include "cslock.h"     /* recursive and numbered global locks */
#endif
#if __has_include("cstrace.h")
#include "cstrace.h"    /* trace, trap and crash dumps */
#endif
#if __has_include("cslist.h")
#include "cslist.h"     /* lists, balanced trees and links */
#endif
#if __has_include("csbuffer.h")
#include "csbuffer.h"   /* growable buffers and shared strings */
#endif
#if __has_include("csthread.h")
#include "csthread.h"   /* threads and inter-thread queues */
#endif
#if __has_include("cshost.h")
#include "cshost.h"     /* processes, libraries and host probes */
#endif
#if __has_include("cscodepage.h")
#include "cscodepage.h" /* code pages and number encodings */
#endif
#if __has_include("cstext.h")
#include "cstext.h"     /* string, hex and byte routines */
#endif
#if __has_include("cspattern.h")
#include "cspattern.h"  /* name patterns */
#endif
#if __has_include("csdate.h")
#include "csdate.h"     /* dates, times and intervals */
#endif
