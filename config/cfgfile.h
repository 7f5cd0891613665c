/* The configuration file "RAVOLT.CFG": the profile followed by one block
 * per location; the location reader, the location writer and the safe
 * rewrite through a "CFN" file with the previous file kept as "BAK".
 *
 * What the file code asks of the windows (error boxes, fitting a rectangle
 * to a monitor) goes through CFGHOOKS; an unset hook answers OK. */
#pragma once

#include <cstdint>
#include <cstdio>
#include "cfghost.h"
#include "locstore.h"
#include "prftext.h"
#include "cfghooks.h"

/* Program status bits kept by the configuration code. */
#define CFG_STATUS_READ    2           /* a read reached the end of the file */
#define CFG_STATUS_PRESENT 8           /* the program's own file exists */

extern uint32_t CfgStatus;             /* CFG_STATUS_ bits */
extern int CfgNoWrite;                 /* "-r": never write the file */

#define CFG_ERROR_TEXT 400             /* size of a reader's error text */
void CfgFileRead(const char *path, CSTREE **tree, int report, char *errorText);
/* The same from a text in memory. */
void CfgReadText(const char *text, size_t length, CSTREE **tree);
int CfgFileWrite(void);
int CfgFileWriteLocation(QMS *location, PRFOUT *out);
int CfgFileWriteLocation(QMS *location, FILE *out);
/* Every location of the tree, in key order. */
void CfgFileWriteLocations(PRFOUT *out);
/* The rewrite's file names: the path with its last three characters
 * replaced by "CFN" or "BAK". */
void CfgSiblingName(char *out, size_t size, const char *path, const char *ending);

/* The "CLN:" lines of a client-channel data area (dialogs/pcfdefs.h):
 * written from the values present; read back into an area that
 * PCFInitData prepared, returning the length of the token that ended
 * them (in token; 0 at the end of the text). */
struct PCFCommandDef;
void SaveObject(PRFOUT *out, const uint8_t *area, const PCFCommandDef *def);
int RestoreObject(PRFIN *in, char *token, uint32_t *quoted, uint8_t *area, const PCFCommandDef *def);
/* Frees a location's client-channel area (null: nothing); the location
 * store frees it with the record through its release hook. */
void CfgFreeClientSettings(QMS *location);

/* Location block keywords (one block, after its header). */
void CfgLocationDefaults(QMS *record);
/* Applies keywords until a section tag or the end of the text; the tag (or
 * an empty token) is left in token with its length returned. */
int CfgReadLocationKeywords(PRFIN *in, QMS *record, char *token, uint32_t *quoted);
void CfgFinishLocation(QMS *record, int64_t readTime);
void CfgWriteLocationKeywords(QMS *record, PRFOUT *out);
/* A name stored at w (room for 2 * width + 2 bytes) from a field of at
 * most `width` characters: bare, or quoted when it would not read back as
 * one word (a LF in it as CR LF when `crlf`); past what it stored. */
char *CfgStoreWord(char *w, const char *value, size_t width, int crlf);
