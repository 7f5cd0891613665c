/* The password cache: a text file that remembers, from one run to the
 * next, the user id and password a location connects with, its passwords
 * enciphered under a key derived from one cache password.  Here: the two
 * ciphers, the file operations on an open cache (PWCHND), the log-on rule
 * with its limited attempts, the result codes, the cache file name, the
 * cache lock and the remembered key-database passwords (KDBS).
 *
 * The credential exchange with the connection code, the pending requests
 * and the dialogs are pwcreds.h. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include "cslist.h"
#include "lochooks.h"
#include "qms.h"

/* Result codes (PWCErrorText gives their texts). */
enum PwcCode {
    PWC_OK = 0,
    PWC_NOFILE = 1000,        /* file not found */
    PWC_FORMAT = 1001,        /* not a cache file */
    PWC_NOPASSWORD = 1002,    /* entry not found */
    PWC_WRONG = 1003,         /* password incorrect */
    PWC_STORAGE = 1004,
    PWC_CREATE = 1005,        /* cannot create or replace the file */
    PWC_NOENTRY = 1006,       /* nothing to remove */
    PWC_BADPARM = 1007,
    PWC_NOHINT = 1008,
};

#define PWC_PASSWORD_MAX 100         /* characters of a cache password */
#define PWC_PATH_MAX 300
#define PWC_TEXT_MAX 400             /* PWCErrorText's buffer */
#define PWC_ATTEMPTS 4

/* An open cache (the name PWCH is taken by the Windows headers). */
struct PWCHND {
    char readPassword[PWC_PASSWORD_MAX + 1];
    char writePassword[PWC_PASSWORD_MAX + 1];
    FILE *in;                         /* the cache file */
    FILE *out;                        /* the ".NEW" file of a rewrite, or null */
    char fileName[PWC_PATH_MAX + 1];
    char newName[PWC_PATH_MAX + 8];
};

/* A remembered key-database password (tag "KDBS"). */
struct KDBS {
    CSLISTELEM links;
    char file[256];
    char password[50];
};

/* ---- ciphers -------------------------------------------------------- */

/* XTEA (32 cycles) of one block given as two words under a key of four. */
void XTEAEncipherWords(uint32_t v[2], const uint32_t key[4]);
/* XTEA of an 8-byte block under the cache's fixed key, halves read and
 * written little-endian. */
void XTEAEncipher(const unsigned char in[8], unsigned char out[8]);
/* XOR of the XTEA of each zero-padded 8-byte block of the text (length
 * -1: up to its zero); with extra, also of its first 8 bytes reversed at
 * the end of a zero block. */
void XTEAHashString(const char *text, int length, int extra, unsigned char out[8]);
/* The check value of a password as 16 upper-case hex digits. */
void PWCAuthCode(const char *password, char out[17]);
/* A password enciphered for an entry: upper-case hex in a new block
 * (null for an empty password); 0 or 1004. */
int PWCEncryptPassword(const char *cachePassword, const char *password, char **hex);
/* A Pwd value deciphered into a new block, trailing blanks removed; 0,
 * 1007 for a value that is not whole blocks of hex, 1004. */
int PWCDecryptPassword(const char *cachePassword, const char *hex, char **password);

/* ---- the file ------------------------------------------------------- */

/* A value as written in the file: bare, or quoted with backslashes. */
void PWCWriteKeyValue(FILE *out, const char *key, const char *value);
/* A backslash takes the next character literally; in place. */
void PWCUnescape(char *text);

int PWCOpen(const char *fileName, const char *password, const char *newPassword,
            const char *hint, int rewrite, int mustExist, PWCHND **handle);
void PWCClose(PWCHND **handle);
/* user id and password in new blocks for the caller to free */
int PWCFindEntry(PWCHND *h, const char *qmName, const char *secondName, const char *group,
                 char **userId, char **password);
int PWCWriteEntry(PWCHND *h, const char *qmName, const char *secondName, const char *group,
                  const char *userId, const char *password);
int PWCDeleteEntry(PWCHND *h, const char *qmName, const char *secondName, const char *group);
int PWCChangePassword(const char *fileName, const char *oldPassword,
                      const char *newPassword, const char *hint);
int PWCGetHint(const char *fileName, char **hint);
/* Puts a rewritten file in the cache file's place in one step: 0, or the
 * system error (CfgHostReplace; tests make it fail). */
extern int (*PWCReplaceFile)(const char *from, const char *to);
const char *PWCErrorText(int code, const char *fileName, char *out);

/* ---- program-wide state -------------------------------------------- */

/* 0, 1003 (counted against the attempts) or the open's code. */
int PWCLogon(const char *password, const char *hint);
/* The cache file name of a template into out (PWC_PATH_MAX + 1 bytes): 1,
 * or 0 with out empty when the name is longer than PWC_PATH_MAX. */
int PWCResolveFileName(const char *templ, char *out);
void PWCRefreshFileName(void);
void PWCSetPassword(const char *text);
int PWCIsOpen(void);
int PWCIsEnabled(void);
/* whether the cache is used: the profile option, a file name, access */
int PWCInUse(void);
const char *PWCFileName(void);
const char *PWCCurrentPassword(void);
int PWCAttemptsLeft(void);
/* one wrong password more (log-on and set-password dialogs); reports the
 * lock-out when the attempts run out; 1 when access was switched off now */
int PWCCountFailure(void);
void PWCResetAttempts(void);
/* back to the start of a run: closed, 4 attempts, access allowed, no
 * key-database passwords (tests and the end of the program) */
void PWCResetState(void);

/* The cache lock: recursive; *held says whether this caller holds it. */
void PWCLock(int *held);
void PWCUnlock(int *held);

int KDBFind(const char *file, KDBS **slot, int add);
void KDBForget(KDBS *entry, QMS *location, int notify);

/* The lock-out report. */
extern const char PWCLockOutText[];
