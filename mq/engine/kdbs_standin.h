/* Stand-in for the password cache's lock and its remembered key-database
 * passwords, until the location code's password cache replaces it (then
 * this header and pwc_standin.cpp go and engint.h includes its header). */
#pragma once

#include <cstdint>

/* One remembered key-database password (tag "KDBS"). */
struct KDBS {
    KDBS *next;
    char file[256];            /* key database file name */
    char password[50];         /* empty when none is known */
};

/* The password-cache lock; token records whether this caller holds it. */
void PWCLock(uint32_t *token);
void PWCUnlock(uint32_t *token);
/* Under the lock: the entry of a key database file, appended (with no
 * password) when add is set; 1 when the entry holds a password. */
int KDBFind(const char *file, KDBS **slot, int add);
/* Drops every entry (program end). */
void KDBForgetAll(void);
