#!/usr/bin/python3
# Writes twenty_frames.dbc with the DBC writer of python3-canmatrix (Debian package): twenty
# 8-byte J1939 messages FRAME_1 to FRAME_20 (PGN 0xFF01 to 0xFF14, source address 0x20), so
# that many programs can import one message each into the same project. Run from this folder:
#   /usr/bin/python3 make_twenty_frames_dbc.py
import canmatrix
import canmatrix.formats

db = canmatrix.CanMatrix()
db.add_ecu(canmatrix.Ecu("Engine"))
for number in range(1, 21):
    identifier = 0x18FF0020 | (number << 8)
    message = canmatrix.Frame("FRAME_%d" % number, arbitration_id=canmatrix.ArbitrationId(identifier, extended=True),
                              size=8, transmitters=["Engine"], comment="Proprietary B frame %d" % number)
    message.is_j1939 = True
    message.add_signal(canmatrix.Signal("Value%d" % number, start_bit=0, size=16, is_little_endian=True,
                                        is_signed=False))
    db.add_frame(message)

canmatrix.formats.dumpp({"": db}, "twenty_frames.dbc")
