/* The 10 MB messages of the message benchmarks: a descriptor of a
 * format, a text body of short lines and a PCF message of integer and
 * string parameters. */
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

inline void BenchPut32(std::vector<unsigned char> &b, uint32_t v)
{
    for (int i = 0; i < 4; i++) b.push_back((unsigned char)(v >> (8 * i)));
}

inline std::vector<unsigned char> BenchDescriptor(const char *format)
{
    std::vector<unsigned char> md(364, 0);
    memcpy(md.data(), "MD  ", 4);
    md[4] = 2;
    md[24] = 0x22; md[25] = 0x02;                      /* 546 */
    md[28] = 0x52; md[29] = 0x03;                      /* 850 */
    memcpy(md.data() + 32, format, 8);
    return md;
}

inline std::vector<unsigned char> BenchTextBody(size_t size)
{
    std::vector<unsigned char> b;
    const char *line = "The formatter shows each line of a text body on its own display line.\r\n";
    while (b.size() < size) b.insert(b.end(), line, line + strlen(line));
    b.resize(size);
    return b;
}

inline std::vector<unsigned char> BenchPcfBody(size_t size)
{
    std::vector<unsigned char> b;
    uint32_t head[9] = { 2, 36, 1, 13, 1, 1, 0, 0, 0 };
    for (uint32_t v : head) BenchPut32(b, v);
    uint32_t count = 0;
    while (b.size() + 64 < size) {
        BenchPut32(b, 3); BenchPut32(b, 16); BenchPut32(b, 20); BenchPut32(b, count & 7);           /* MQCFIN */
        BenchPut32(b, 4); BenchPut32(b, 40); BenchPut32(b, 2016); BenchPut32(b, 0); BenchPut32(b, 20);   /* MQCFST */
        const char *s = "QUEUE.NAME.000000   ";
        b.insert(b.end(), s, s + 20);
        count += 2;
    }
    for (int i = 0; i < 4; i++) b[32 + i] = (unsigned char)(count >> (8 * i));
    return b;
}
