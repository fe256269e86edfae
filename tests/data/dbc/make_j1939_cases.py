#!/usr/bin/python3
# Writes the DBC files of J1939 databases as users have them, with the DBC writer of
# python3-canmatrix (Debian package 0.9.5). Run from this folder:
#   /usr/bin/python3 make_j1939_cases.py
#
#   j1939_pdu1.dbc            PDU1 messages: one PGN to three destinations, a command to address 2
#   j1939_one_bad_message.dbc good messages around odd ones (each odd in one way only)
#   j1939_null_address.dbc    every identifier from source address 254, as public databases give it
#   j1939_long_names.dbc      names longer than 32 characters (BA_ "SystemMessageLongSymbol")
#
# Where canmatrix refuses to write a file as users have it, the script says so below:
# - canmatrix refuses an identifier above 0x7FF without the extended bit, and one above 29 bits,
#   when a frame is made; the script makes the frame with a valid identifier and sets the
#   identifier afterwards, so that canmatrix's writer writes it as it stands.
# - canmatrix's writer renames a signal whose name begins with a digit ("2ND" becomes "_2ND");
#   the script puts the name back into the written line.
import canmatrix
import canmatrix.formats


def frame(name, identifier, size, comment="", signals=(("Value", 8),), extended=True, sender="Engine"):
    message = canmatrix.Frame(name, arbitration_id=canmatrix.ArbitrationId(identifier, extended=extended),
                              size=size, transmitters=[sender], comment=comment)
    message.is_j1939 = extended
    for start, (signal, bits) in enumerate(signals):
        message.add_signal(canmatrix.Signal(signal, start_bit=start * 8, size=bits, is_little_endian=True,
                                            is_signed=False, factor=1))
    return message


def database(frames, ecus=("Engine",)):
    db = canmatrix.CanMatrix()
    for ecu in ecus:
        db.add_ecu(canmatrix.Ecu(ecu))
    for message in frames:
        db.add_frame(message)
    return db


def with_identifier(message, identifier):
    message.arbitration_id.id = identifier  # past canmatrix's range check (see above)
    return message


def write(db, path, replace=()):
    canmatrix.formats.dumpp({"": db}, path)
    if replace:
        with open(path, encoding="cp1252") as f:
            text = f.read()
        for old, new in replace:
            assert old in text, old
            text = text.replace(old, new)
        with open(path, "w", encoding="cp1252", newline="") as f:
            f.write(text)


# PDU format 0x56 is below 0xF0: the PDU-specific byte is the destination (0x6D, 0x6F, 0x6E).
write(database([
    frame("CMD_TO_6D", 0x09566D24, 8, "Command to node 0x6D", [("Mode", 8)], sender="Controller"),
    frame("CMD_TO_6F", 0x09566F24, 8, "Command to node 0x6F", [("Mode", 8)], sender="Controller"),
    frame("CMD_TO_6E", 0x09566E24, 8, "Command to node 0x6E", [("Mode", 8)], sender="Controller"),
    frame("TSC1_TO_02", 0x0C000203, 8, "Torque/speed control to address 2", [("OverrideMode", 2)],
          sender="Controller"),
    frame("CCVS", 0x18FEF100, 8, "Cruise control/vehicle speed", [("WheelBasedVehicleSpeed", 16)]),
], ecus=("Engine", "Controller")), "j1939_pdu1.dbc")

write(database([
    frame("EEC1", 0x0CF00400, 8, "Electronic engine controller 1", [("EngineSpeed", 16)]),
    with_identifier(frame("BIG_11BIT", 0x7FF, 8, "Above 0x7FF without the extended bit", extended=False), 0x800),
    frame("1ST_GEAR", 0x18F00500, 8, "A name beginning with a digit"),
    frame("ETC2", 0x18F00503, 8, "A signal name beginning with a digit", [("2ND_GEAR", 8)]),
    with_identifier(frame("ALL_ONES", 0x1FFFFFFF, 8, "Identifier 0xFFFFFFFF"), 0x7FFFFFFF),
    frame("DUP", 0x18FEF500, 8, "The first of a name used twice"),
    frame("DUP", 0x18FEF600, 8, "The second of a name used twice"),
    frame("CCVS", 0x18FEF100, 8, "Cruise control/vehicle speed", [("WheelBasedVehicleSpeed", 16)]),
]), "j1939_one_bad_message.dbc", replace=[(" SG_ _2ND_GEAR :", " SG_ 2ND_GEAR :")])

# Source address 254 (the null address) stands for "whichever node sends it".
write(database([
    frame("EEC1", 0x0CF004FE, 8, "Electronic engine controller 1", [("EngineSpeed", 16)]),
    frame("EEC2", 0x0CF003FE, 8, "Electronic engine controller 2", [("AcceleratorPedalPosition", 8)]),
    frame("CCVS", 0x18FEF1FE, 8, "Cruise control/vehicle speed", [("WheelBasedVehicleSpeed", 16)]),
    frame("ET1", 0x18FEEEFE, 8, "Engine temperature 1", [("EngineCoolantTemperature", 8)]),
    frame("EEC1_SA0", 0x0CF00400, 8, "Electronic engine controller 1 of the engine", [("EngineSpeed", 16)]),
]), "j1939_null_address.dbc")

# canmatrix cuts a name to 32 characters on its BO_ line and keeps the whole name in
# BA_ "SystemMessageLongSymbol"; the two temperature messages share their first 32 characters.
write(database([
    frame("ELECTRONIC_ENGINE_CONTROLLER_1_MESSAGE", 0x0CF00400, 8, "", [("EngineSpeed", 16)]),
    frame("ENGINE_TEMPERATURE_1_FROM_ENGINE_CONTROLLER", 0x18FEEE00, 8, "", [("EngineCoolantTemperature", 8)]),
    frame("ENGINE_TEMPERATURE_1_FROM_ENGINE_RETARDER", 0x18FEEE0F, 8, "", [("EngineCoolantTemperature", 8)]),
    frame("CCVS", 0x18FEF100, 8, "Cruise control/vehicle speed", [("WheelBasedVehicleSpeed", 16)]),
]), "j1939_long_names.dbc")
