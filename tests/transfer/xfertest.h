/* Helpers of the transfer tests: temporary files, fixtures and samples,
 * reading a file through the block's readers, writing messages through
 * the writer, and random descriptors. */
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "drask.h"

struct XMsg {
    MQMD md;
    std::string data;
};

struct XRead {
    std::vector<XMsg> msgs;
    int rc = 0;                /* 0, or the reader's error code */
    std::string error;
};

/* A folder of this process's own; a file in it with the bytes. */
std::string TempDir(void);
std::string TempFile(const std::string &name, const std::string &bytes);
std::string ReadAll(const std::string &path);
/* A fixture of tests/data/transfer, a real sample of RAVOLT_SAMPLES. */
std::string DataPath(const std::string &name);
std::string SamplePath(const std::string &name);

/* Every message of a file as the engine's readers see it. */
XRead ReadMessages(const std::string &path, uint32_t options = 0, uint32_t options2 = 0,
                   const std::string &start = "", const std::string &end = "");
/* The text of a Drask file of the messages (header time fixed). */
std::string WriteMessages(const std::vector<XMsg> &msgs, uint32_t options, const char *queue = nullptr);

/* A descriptor as the reader defaults it, then a plain text message. */
MQMD DefaultMD(void);
XMsg TextMessage(const std::string &data);
/* A random descriptor whose fields a Drask file keeps (character fields
 * text padded with blanks, or all NUL where that is the default). */
MQMD RandomMD(std::mt19937 &rng, int version);
std::string RandomBytes(std::mt19937 &rng, size_t n);
/* Fields of a descriptor, for messages when two differ. */
std::string DescribeMD(const MQMD &md);
void ExpectSameMD(const MQMD &a, const MQMD &b);

/* A fixed character field from text, blank padded. */
void Fill(char *field, size_t size, const char *text);
#define FILLF(field, text) Fill(field, sizeof(field), text)
