#!/usr/bin/env python3
"""Writes the replay fixtures: one recorded bus in three trace formats.

  bus.log         candump -l log file
  bus_screen.txt  the same frames as candump prints them on screen with absolute times (-t a)
  bus.asc         bus.log converted by log2asc from can-utils (Debian package can-utils)

Run from this folder:  python3 make_traces.py && log2asc -I bus.log -O bus.asc can0
The frames go with project/ (Receive_Frame.xml): speed from source 0 every 100 ms, DM1 from
source 3 by broadcast, software identification from 0x11 to 0x00 by request to send, traffic
no row takes (EEC1, a standard frame, a frame with the extended data page bit).
"""

START = 1436509052.0
frames = []  # (time, identifier text, data bytes)


def frame(time, identifier, data):
    frames.append((START + time, identifier, bytes(data)))


def ext(priority, page, pf, ps, sa):
    return "%08X" % (priority << 26 | page << 24 | pf << 16 | ps << 8 | sa)


def cm(t, source, destination, data, pgn):
    frame(t, ext(7, 0, 0xEC, destination, source), data + [pgn & 0xFF, pgn >> 8 & 0xFF, pgn >> 16])


def dt(t, source, destination, sequence, message):
    chunk = list(message[(sequence - 1) * 7:sequence * 7])
    frame(t, ext(7, 0, 0xEB, destination, source), [sequence] + chunk + [0xFF] * (7 - len(chunk)))


for i in range(10):
    t = i * 0.1
    frame(t, ext(6, 0, 0xFE, 0xF1, 0), [i, 0x10 + i, 2, 3, 4, 5, 6, 7])
    frame(t + 0.005, ext(3, 0, 0xF0, 0x04, 0), [0xF0, 0x7D, 0x7D, 0, 0, 0, 0xFF, 0xFF])

dm1 = list(range(1, 21))  # 20 bytes, 3 packets
cm(0.200, 3, 255, [32, 20, 0, 3, 0xFF], 0xFECA)
for p in (1, 2, 3):
    dt(0.250 + p * 0.05, 3, 255, p, dm1)

soft = [0x30 + i for i in range(20)]
cm(0.500, 0x11, 0x00, [16, 20, 0, 3, 0xFF], 0xFEDA)
cm(0.510, 0x00, 0x11, [17, 3, 1, 0xFF, 0xFF], 0xFEDA)
for p in (1, 2, 3):
    dt(0.510 + p * 0.01, 0x11, 0x00, p, soft)
cm(0.550, 0x00, 0x11, [19, 20, 0, 3, 0xFF], 0xFEDA)

frame(0.600, "123", [1, 2])
frame(0.700, ext(6, 2, 0xFE, 0xF1, 0), [1])  # extended data page

frames.sort(key=lambda f: f[0])
with open("bus.log", "w") as log, open("bus_screen.txt", "w") as screen:
    for time, identifier, data in frames:
        log.write("(%.6f) can0 %s#%s\n" % (time, identifier, data.hex().upper()))
        screen.write(" (%.6f)  can0  %s   [%d]  %s\n"
                     % (time, identifier.rjust(8), len(data), " ".join("%02X" % b for b in data)))
