#!/usr/bin/python3
# Writes j1939_vehicle.dbc with the DBC writer of python3-canmatrix (Debian package), so the
# reader is tested on a file that another tool made. Run from this folder:
#   /usr/bin/python3 make_j1939_dbc.py
import canmatrix
import canmatrix.formats


def frame(name, identifier, size, comment, signals, j1939=True, extended=True, sender="Engine"):
    message = canmatrix.Frame(name, arbitration_id=canmatrix.ArbitrationId(identifier, extended=extended),
                              size=size, transmitters=[sender], comment=comment)
    message.is_j1939 = j1939
    for start, (signal, bits) in enumerate(signals):
        message.add_signal(canmatrix.Signal(signal, start_bit=start * 8, size=bits, is_little_endian=True,
                                            is_signed=False, factor=0.125, unit="rpm" if "Speed" in signal else ""))
    return message


db = canmatrix.CanMatrix()
for ecu in ("Engine", "Brakes", "Gateway"):
    db.add_ecu(canmatrix.Ecu(ecu))
db.add_frame(frame("EEC1", 0x0CF00400, 8, 'Electronic Engine Controller 1, "fast"',
                   [("EngineTorqueMode", 4), ("EngineSpeed", 16)]))
db.add_frame(frame("EEC1_SA1", 0x0CF00401, 8, "Second engine", [("EngineSpeed2", 16)]))
db.add_frame(frame("CCVS", 0x18FEF100, 8, "Cruise control\nand vehicle speed",
                   [("WheelBasedVehicleSpeed", 16)], sender="Brakes"))
db.add_frame(frame("RQST", 0x18EA00FE, 3, "Request", [("RequestedPGN", 24)], sender="Gateway"))
db.add_frame(frame("DM1", 0x18FECA00, 20, "Active diagnostic trouble codes", [("LampStatus", 8)]))
db.add_frame(frame("PROP_DP1", 0x19FF1017, 8, "Proprietary B on data page 1", [("Counter", 8)]))
db.add_frame(frame("EDP_FRAME", 0x1AFEF100, 8, "Extended data page set", [("Reserved", 8)]))
db.add_frame(frame("DIAG_11BIT", 0x123, 8, "An 11-bit frame", [("Status", 8)], j1939=False, extended=False))

canmatrix.formats.dumpp({"": db}, "j1939_vehicle.dbc")
