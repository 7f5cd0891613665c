#!/usr/bin/env python3
"""Writes the demonstration messages that scripts/run puts on RAVOLT.DEMO:
one file per message and a list of what to put where, one line each:

    QUEUE <tab> mqsim put options <tab> file

Run as  demo_messages.py <output folder>; the list is <folder>/list.txt.
Every message is drawn here; nothing comes from outside.  All are
persistent: each put is a process of its own, and a non-persistent message
would be gone with it, as IBM MQ drops them when a queue manager ends."""

import os
import struct
import sys

ENC = 546          # integers little-endian, as the descriptors say


def pad(text, n):
    return text.encode("ascii").ljust(n, b" ")


def cfh(kind, command, count, comp=0, reason=0):
    return struct.pack("<9i", kind, 36, 1, command, 1, 1, comp, reason, count)


def cfst(parameter, text):
    data = text.encode("ascii")
    length = (20 + len(data) + 3) & ~3
    return struct.pack("<5i", 4, length, parameter, 0, len(data)) + data.ljust(length - 20, b"\0")


def cfin(parameter, value):
    return struct.pack("<4i", 3, 16, parameter, value)


def rfh2(folders, body):
    """An MQRFH2 with its name/value folders (each padded to four bytes)."""
    data = b""
    for f in folders:
        raw = f.encode("utf-8")
        raw += b" " * ((-len(raw)) % 4)
        data += struct.pack("<i", len(raw)) + raw
    header = b"RFH " + struct.pack("<iiii", 2, 36 + len(data), ENC, 1208) + pad("MQSTR", 8) + \
        struct.pack("<ii", 0, 1208)
    return header + data + body.encode("utf-8")


def ebcdic(text):
    """Text in code page 500 (letters, digits, space and a few signs)."""
    table = {" ": 0x40, ".": 0x4B, ",": 0x6B, ":": 0x7A, "-": 0x60, "'": 0x7D}
    for i, c in enumerate("abcdefghi"):
        table[c] = 0x81 + i
    for i, c in enumerate("jklmnopqr"):
        table[c] = 0x91 + i
    for i, c in enumerate("stuvwxyz"):
        table[c] = 0xA2 + i
    for i, c in enumerate("ABCDEFGHI"):
        table[c] = 0xC1 + i
    for i, c in enumerate("JKLMNOPQR"):
        table[c] = 0xD1 + i
    for i, c in enumerate("STUVWXYZ"):
        table[c] = 0xE2 + i
    for i in range(10):
        table[str(i)] = 0xF0 + i
    return bytes(table[c] for c in text)


MESSAGES = [
    # queue, options, file, data
    ("DEMO.MESSAGES", "-P -f MQSTR -C 819", "text.txt",
     b"Hello from the demonstration queue manager. Open me to see the message formatted field by field."),
    ("DEMO.MESSAGES", "-P -f MQSTR -C 1208", "order.xml",
     b'<?xml version="1.0" encoding="UTF-8"?>\n<order id="1042">\n  <customer>Ada Byron</customer>\n'
     b'  <line item="widget" quantity="3" price="4.50"/>\n  <line item="gadget" quantity="1" price="12.00"/>\n'
     b'</order>\n'),
    ("DEMO.MESSAGES", "-P -f MQSTR -C 1208", "order.json",
     b'{"order": 1043, "customer": "Grace Hopper", "lines": [{"item": "widget", "quantity": 2},'
     b' {"item": "cable", "quantity": 5}], "express": true}'),
    ("DEMO.MESSAGES", "-P -f MQHRF2 -E 546 -C 1208", "rfh2.bin",
     rfh2(["<mcd><Msd>jms_text</Msd></mcd>",
           "<jms><Dst>queue:///DEMO.MESSAGES</Dst><Pri>4</Pri></jms>",
           "<usr><Region>North</Region><Batch>17</Batch></usr>"],
          "A JMS text message with its folders")),
    ("DEMO.MESSAGES", "-P -f MQADMIN -t 1 -E 546 -C 437 -r DEMO.REPLY", "pcf_command.bin",
     cfh(1, 13, 2) + cfst(2016, "DEMO.*") + cfin(20, 1)),
    ("DEMO.MESSAGES", "-P -f MQEVENT -t 8 -E 546 -C 437", "pcf_event.bin",
     cfh(7, 44, 3, 1, 2085) + cfst(2015, "RAVOLT.DEMO") + cfst(2016, "DEMO.MISSING") + cfin(1, 11)),
    ("DEMO.MESSAGES", "-P -f MQSTR -E 785 -C 500", "ebcdic.txt",
     ebcdic("An EBCDIC text message in code page 500, shown as text by the program.")),
    ("DEMO.MESSAGES", "-P -f MQSTR -C 819", "persistent.txt",
     b"A persistent message: it survives a restart of the queue manager."),
    ("SYSTEM.DEAD.LETTER.QUEUE", "-P -f MQSTR -C 819 -D 2053,DEMO.REPLY,RAVOLT.DEMO", "dead.txt",
     b"A reply that found its queue full and went to the dead-letter queue."),
    ("DEMO.DEEP", "-P -f MQSTR -C 819 -n 5000", "deep.txt",
     b"One of five thousand messages on a deep queue, for paging through the Message List."),
]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = []
    for queue, options, name, data in MESSAGES:
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        lines.append("%s\t%s\t%s" % (queue, options, name))
    with open(os.path.join(out, "list.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
