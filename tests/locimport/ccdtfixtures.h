/* The generated channel-table fixtures of tests/data/locations (written
 * again with RAVOLT_UPDATE_GOLDEN=1 and checked against the generator),
 * and the marker values of the version fixture. */
#pragma once

#include "ccdtgen.h"

namespace ccdtfix {

using namespace ccdtgen;

/* A field each version brings, the value the version fixture stores in it
 * and the channel record's value when the stored version lacks it. */
struct Marker {
    int version;
    const char *field;
    int32_t value;                     /* integers */
    const char *text;                  /* characters (null: an integer) */
    int32_t missing;
};
inline const std::vector<Marker> &Markers()
{
    static const std::vector<Marker> m = {
        {1, "Disc. Interval", 111, nullptr, 6000},
        {1, "Description", 0, "V1DESC", 0},
        {2, "Connection Name", 0, "conn2(2)", 0},
        {2, "MCA Type", 2, nullptr, 1},
        {3, "Msg Retry Count", 33, nullptr, 10},
        {4, "Heartbeat Interval", 44, nullptr, 300},
        {5, "Network Priority", 5, nullptr, 0},
        {5, "Alter Time", 555555, nullptr, 0},
        {6, "Long MCA User", 0, "LONGUSER", 0},
        {7, "SSL Cipher Spec", 0, "CIPHER7", 0},
        {7, "Keep Alive Int.", 77, nullptr, -1},
        {8, "CLWL Weight", 88, nullptr, 50},
        {9, "Sharing Conversations", 99, nullptr, 10},
        {10, "Batch Data Limit", 1010, nullptr, 5000},
        {11, "Certificate Label", 0, "LABEL11", 0},
        {12, "SPL Protection", 12, nullptr, 0},
    };
    return m;
}

inline std::string VersionName(int v)
{
    char name[16];
    snprintf(name, sizeof name, "V%02d.CHL", v);
    return name;
}

/* One channel of every version 1 to 13, every marker stored. */
inline Bytes Versions()
{
    std::vector<Slot> slots;
    for (int v = 1; v <= 13; v++) {
        Record r = Channel(VersionName(v), v);
        for (const Marker &m : Markers()) {
            if (m.text)
                r.Text(m.field, m.text);
            else
                r.Int(m.field, m.value);
        }
        slots.push_back(FromRecord(r));
    }
    return Table(slots);
}

/* The stored user id and password "mquser      mqpass      " under the
 * program's key (checked with another DES implementation). */
inline Bytes EncryptedAuth()
{
    static const uint8_t b[24] = {0xDC, 0xC7, 0x8F, 0x25, 0xF7, 0xEC, 0x76, 0x00,
                                  0xA8, 0x79, 0xBD, 0x49, 0x39, 0x22, 0x9F, 0x05,
                                  0xF4, 0x44, 0x9E, 0xA9, 0xE3, 0xF3, 0xA7, 0x6C};
    return Bytes(b, b + 24);
}

inline Bytes Encrypt()
{
    Bytes auth = EncryptedAuth();
    Bytes user(auth.begin(), auth.begin() + 12), pass(auth.begin() + 12, auth.end());
    Record on = Channel("ENC.ON", 9), off = Channel("ENC.OFF", 9);
    on.Raw("User Identifier", user).Raw("Password", pass).Int("Encrypt", 1);
    off.Raw("User Identifier", user).Raw("Password", pass).Int("Encrypt", 0);
    return Table({FromRecord(on), FromRecord(off)});
}

/* A version 3 record with only a send exit. */
inline Bytes SendExit3()
{
    Record r = Channel("SEND3.CHL", 3);
    r.Text("Send Exit", "sendexit(Entry)");
    return Table({FromRecord(r)});
}

/* A version 8 record whose peer name follows the lists after two bytes and
 * two zero bytes. */
inline Bytes PeerName8()
{
    Record r = Channel("PEER8.CHL", 8);
    std::string peer = "CN=QM1,O=Example";
    Bytes tail = ExitLists({{}, {}, {}, {}, {}, {}});
    tail.insert(tail.end(), {0xEE, 0xEE, 0x00, 0x00});
    tail.insert(tail.end(), peer.begin(), peer.end());
    r.Tail(tail).Int("ExitListsLen", 6).Int("SSL PeerName Length", (int32_t)peer.size());
    return Table({FromRecord(r)});
}

/* A free slot at offset 4, channels stored out of order, then IBM MQ's two
 * special records. */
inline Bytes Specials()
{
    return Table({Free(64), FromRecord(Channel("ZULU.CHL")), FromRecord(Channel("ALPHA.CHL")),
                  Special("{000SSL_CRL_DATA000}"), FromRecord(Channel("MIKE.CHL")),
                  Special("{000SSL_OCSP_DATA00}")});
}

inline Bytes Empty() { return {'A', 'M', 'Q', 'R', 0, 0, 0, 0}; }
inline Bytes Short() { return {'A', 'M', 'Q'}; }
inline Bytes BadSignature() { return {'A', 'M', 'Q', 'X', 0, 0, 0, 0}; }

struct Fixture { const char *name; Bytes (*make)(); };
inline const std::vector<Fixture> &All()
{
    static const std::vector<Fixture> f = {
        {"versions.TAB", Versions}, {"encrypt.TAB", Encrypt}, {"send3.TAB", SendExit3},
        {"peer8.TAB", PeerName8}, {"special.TAB", Specials}, {"empty.TAB", Empty},
        {"short.TAB", Short}, {"badsig.TAB", BadSignature},
    };
    return f;
}

}  // namespace ccdtfix
