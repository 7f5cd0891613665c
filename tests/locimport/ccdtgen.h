/* The fixture generator of the channel-table tests: stored channel records
 * of any version, laid out field by field from the stored record's own
 * field list (kept here apart from the reader's table), and binary tables
 * built from them with their key chain, free slots and special records.
 * Used by the tests, the fixture writer and the benchmark. */
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace ccdtgen {

using Bytes = std::vector<uint8_t>;

/* The stored record's fields in order: name, first version, bytes. */
struct Field { const char *name; int version; int bytes; };
inline const std::vector<Field> &Fields()
{
    static const std::vector<Field> f = {
        {"Channel Name", 1, 20}, {"Version", 1, 4}, {"Channel Type", 1, 4}, {"Transport Type", 1, 4},
        {"Description", 1, 64}, {"QMgr Name", 1, 48}, {"XmitQ name", 1, 48},
        {"Short Connection Name", 1, 20}, {"MCA Name", 1, 20}, {"Mode Name", 1, 8}, {"Tp Name", 1, 64},
        {"Batch Size", 1, 4}, {"Disc. Interval", 1, 4}, {"Short Retry Count", 1, 4},
        {"Short Retry Interval", 1, 4}, {"Long Retry Count", 1, 4}, {"Long Retry Interval", 1, 4},
        {"Security Exit", 1, 128}, {"Message Exit", 1, 128}, {"Send Exit", 1, 128},
        {"Receive Exit", 1, 128}, {"Sequence Wrap", 1, 4}, {"Max Message Length", 1, 4},
        {"Put Authority", 1, 4}, {"Data Conversion", 1, 4}, {"Security User Data", 1, 32},
        {"Message User Data", 1, 32}, {"Send User Data", 1, 32}, {"Receive User Data", 1, 32},
        {"User Identifier", 2, 12}, {"Password", 2, 12}, {"MCA User Id", 2, 12}, {"MCA Type", 2, 4},
        {"Connection Name", 2, 264}, {"Remote Useridentifer", 2, 12}, {"Remote Password", 2, 12},
        {"Msg Retry Exit", 3, 128}, {"Msg Retry User Data", 3, 32}, {"Msg Retry Count", 3, 4},
        {"Msg Retry Interval", 3, 4}, {"Heartbeat Interval", 4, 4}, {"Batch Interval", 4, 4},
        {"NPM Speed", 4, 4}, {"Struc Length", 4, 4}, {"Exit Name Length", 4, 4},
        {"Exit Data Length", 4, 4}, {"Msg Exits Defined", 4, 4}, {"Snd Exits Defined", 4, 4},
        {"Rcv Exits Defined", 4, 4}, {"Msg Exits Ptr", 4, 4}, {"Msg Data Ptr", 4, 4},
        {"Snd Exits Ptr", 4, 4}, {"Snd Data Ptr", 4, 4}, {"Rcv Exits Ptr", 4, 4}, {"Rcv Data Ptr", 4, 4},
        {"Cluster Ptr", 5, 4}, {"Clusters Defined", 5, 4}, {"Network Priority", 5, 4},
        {"Long MCA UserId Length", 6, 4}, {"Long Remote UserId Length", 6, 4},
        {"Long MCA Userid Ptr", 6, 4}, {"Long Remote Ptr", 6, 4}, {"MCA Security Id", 6, 40},
        {"Remote Security Id", 6, 40}, {"SSL Cipher Spec", 7, 32}, {"SSL PeerName Ptr", 7, 4},
        {"SSL PeerName Length", 7, 4}, {"SSL Client Auth", 7, 4}, {"Keep Alive Int.", 7, 4},
        {"Local Address", 7, 48}, {"Batch Heartbeat", 7, 4}, {"Hdr Comp", 8, 8}, {"Msg Comp", 8, 64},
        {"CLWL Rank", 8, 4}, {"CLWL Priority", 8, 4}, {"CLWL Weight", 8, 4}, {"Monitoring", 8, 4},
        {"Statistics", 8, 4}, {"Sharing Conversations", 9, 4}, {"Property Control", 9, 4},
        {"Maximum Instances", 9, 4}, {"Max Instances per Client", 9, 4},
        {"Client Channel Weight", 9, 4}, {"Connection Affinity", 9, 4}, {"Batch Data Limit", 10, 4},
        {"Use DLQ", 10, 4}, {"Default Reconnect", 10, 4}, {"Certificate Label", 11, 64},
        {"SPL Protection", 12, 4}, {"New Sequence Number", 1, 4}, {"Encrypt", 1, 4},
        {"ExitListsLen", 4, 4}, {"Flags", 5, 4}, {"Cluster", 5, 48}, {"Alter Time", 5, 4},
        {"Long MCA User", 6, 64},
    };
    return f;
}

inline void Put32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (uint8_t)(v >> (8 * i));
}

/* One stored channel record: its fields by name, then its tail. */
struct Record {
    int version = 12;
    std::map<std::string, Bytes> values;
    Bytes tail;                        /* raw; v4+ records take it as stored */
    bool tailSet = false;

    Record &Text(const std::string &field, const std::string &text)
    {
        values[field] = Bytes(text.begin(), text.end());
        return *this;
    }
    Record &Raw(const std::string &field, const Bytes &bytes)
    {
        values[field] = bytes;
        return *this;
    }
    Record &Int(const std::string &field, int32_t v)
    {
        Bytes b(4);
        Put32(b, 0, (uint32_t)v);
        values[field] = b;
        return *this;
    }
    Record &Ints(const std::string &field, const std::vector<int32_t> &v)
    {
        Bytes b(v.size() * 4);
        for (size_t i = 0; i < v.size(); i++)
            Put32(b, 4 * i, (uint32_t)v[i]);
        values[field] = b;
        return *this;
    }
    Record &Tail(const Bytes &t)
    {
        tail = t;
        tailSet = true;
        return *this;
    }
    /* The content of the record's slot: fields of its version, then the
     * tail (six empty exit lists for v4+ unless one was given). */
    Bytes Content() const
    {
        Bytes out;
        for (const Field &f : Fields()) {
            if (f.version > version)
                continue;
            std::string name = f.name;
            bool chars = f.bytes != 4 && name != "Hdr Comp" && name != "Msg Comp";
            Bytes b(f.bytes, (uint8_t)(chars ? ' ' : 0));
            if (name == "Version")
                Put32(b, 0, (uint32_t)version);
            if (name == "ExitListsLen" && !tailSet)
                Put32(b, 0, 6);
            auto v = values.find(f.name);
            if (v != values.end())
                std::copy_n(v->second.begin(), std::min(v->second.size(), b.size()), b.begin());
            out.insert(out.end(), b.begin(), b.end());
        }
        if (tailSet)
            out.insert(out.end(), tail.begin(), tail.end());
        else if (version >= 4)
            out.insert(out.end(), 6, 0x01);
        return out;
    }
    std::string Key() const
    {
        auto v = values.find("Channel Name");
        std::string k = v != values.end() ? std::string(v->second.begin(), v->second.end()) : "";
        k.resize(20, ' ');
        return k;
    }
};

/* A record named name of a version, with a queue manager and connection. */
inline Record Channel(const std::string &name, int version = 12, const std::string &qm = "QM1",
                      const std::string &conn = "host(1414)")
{
    Record r;
    r.version = version;
    r.Text("Channel Name", name).Int("Channel Type", 6).Int("Transport Type", 2).Text("QMgr Name", qm);
    if (version >= 2)
        r.Text("Connection Name", conn);
    return r;
}

/* A slot as the table holds it: a record, a free slot or a special one. */
struct Slot {
    Bytes content;                     /* empty: a free slot of freeLength bytes */
    std::string key;
    uint32_t freeLength = 0;
};

inline Slot FromRecord(const Record &r) { return Slot{r.Content(), r.Key(), 0}; }
inline Slot Free(uint32_t length) { return Slot{Bytes(), "", length}; }
inline Slot Special(const std::string &key)
{
    Slot s;
    s.key = key;
    s.key.resize(20, ' ');
    s.content.assign(s.key.begin(), s.key.end());
    s.content.resize(64, 0);
    return s;
}

/* A table: the signature, the slots in the given physical order chained in
 * key order, and the end of the chain. */
inline Bytes Table(const std::vector<Slot> &slots)
{
    Bytes out = {'A', 'M', 'Q', 'R'};
    std::vector<size_t> offsets;
    for (const Slot &s : slots) {
        offsets.push_back(out.size());
        size_t len = s.content.empty() ? s.freeLength : 20 + s.content.size();
        Bytes header(20, 0);
        Put32(header, 0, (uint32_t)len);
        Put32(header, 4, (uint32_t)s.content.size());
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), s.content.begin(), s.content.end());
        if (s.content.empty())
            out.resize(offsets.back() + len, 0);
    }
    std::vector<size_t> used;
    for (size_t i = 0; i < slots.size(); i++)
        if (!slots[i].content.empty())
            used.push_back(i);
    std::sort(used.begin(), used.end(), [&](size_t a, size_t b) { return slots[a].key < slots[b].key; });
    for (size_t k = 0; k < used.size(); k++) {
        size_t at = offsets[used[k]];
        Put32(out, at + 12, k ? (uint32_t)offsets[used[k - 1]] : 0);
        Put32(out, at + 16, k + 1 < used.size() ? (uint32_t)offsets[used[k + 1]] : 0);
    }
    out.insert(out.end(), 4, 0);
    return out;
}

/* Offsets of the slots of a table built by Table (for damaging it). */
inline std::vector<size_t> SlotOffsets(const Bytes &table)
{
    std::vector<size_t> o;
    for (size_t at = 4; at + 4 <= table.size();) {
        uint32_t len = table[at] | table[at + 1] << 8 | table[at + 2] << 16 | (uint32_t)table[at + 3] << 24;
        if (!len)
            break;
        o.push_back(at);
        at += len;
    }
    return o;
}

/* Exit lists of a tail: six lists of entries. */
inline Bytes ExitLists(const std::vector<std::vector<std::string>> &lists)
{
    Bytes t;
    for (const auto &l : lists) {
        for (const auto &e : l) {
            t.insert(t.end(), e.begin(), e.end());
            t.push_back(0x02);
        }
        t.push_back(0x01);
    }
    return t;
}

}  // namespace ccdtgen
