#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into tests/fuzz/corpus/<target>/.

The monitor and identification frames were captured from qm17-sim; the files are laid out as
qm17 and qm17ctl write them. Run it again only to change the seeds: they are kept in the repo.
"""
import os
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"

MONITOR = bytes.fromhex(
    "b0ed0500000a00000094070000010097000a000000000000000000000000010001000000000000000000"
    "000000000000000000a2")
IDENT = bytes.fromhex(
    "c053494d030e20190a1e001a0000000000514d3137207465737420756e69740000000000000000000000"
    "00000000000000000058")
BLOCK1 = bytes.fromhex(
    "c10f0a960100023c0601780a141e28323c46505a646e78828c9600000000000a0a0a0a0a0a0a0a0a0a0a"
    "0a0a0a0a0a000000000067")


def frame(first, payload=bytes(50)):
    body = bytes([first]) + payload
    check = 0xFF
    for b in body:
        check ^= b
    return body + bytes([check])


def default_image():
    image = bytearray(IDENT[1:51] + BLOCK1[1:51])
    return image


def side_file(image):
    out = ""
    for i, b in enumerate(image):
        out += "%5u " % b
        if i % 10 == 9:
            out += "\r\n"
    return out.encode()


def put(target, name, data):
    folder = ROOT / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


# Link scripts. Header: bits 0-1 language, bit 2 print layout, bits 3-4 ticks under a version
# box, bit 5 compatibility code follows. Operations (byte % 16): 0-3 tick, 4 deliver the unit's
# oldest answer, 5 lose it, 6 B flip a bit, 7 N bytes junk, 8 F 50 bytes forged frame,
# 9 Read, 10 Verify, 11 B Program, 12 B programming after change, 13 AT V edit the image,
# 14 B message countdown / lose the next request, 15 N cap reads.
TICK, DELIVER, LOSE, FLIP, JUNK, FORGE = 0, 4, 5, 6, 7, 8
READ, VERIFY, PROGRAM, AFTER_CHANGE, EDIT, COUNTDOWN, CAP = 9, 10, 11, 12, 13, 14, 15

ENGLISH, GERMAN = 1, 2
step = [DELIVER, TICK]
put("fuzz_link", "read", bytes([ENGLISH, READ] + step * 3 + [TICK] * 4))
put("fuzz_link", "verify", bytes([GERMAN, VERIFY] + step + [TICK] * 2))
put("fuzz_link", "program", bytes([0, PROGRAM, 0] + [TICK] * 4 + step * 3 + [TICK] * 2))
put("fuzz_link", "program_after_change",
    bytes([ENGLISH, EDIT, 52, 160, AFTER_CHANGE, 1] + [TICK] * 4 + step * 3 +
          [EDIT, 80, 12, AFTER_CHANGE, 1] + [TICK] * 4 + step * 3))
put("fuzz_link", "poll_and_silence",
    bytes([ENGLISH] + ([TICK] * 6 + [DELIVER]) * 4 + [TICK] * 30))
put("fuzz_link", "read_bad_line",
    bytes([ENGLISH, READ, LOSE] + [TICK] * 4 + [FLIP, 77, TICK] + [TICK] * 3 + step +
          [COUNTDOWN, 0] + [TICK] * 4 + [TICK] * 4 + step * 2 + [TICK] * 30))
put("fuzz_link", "version_mismatch",
    bytes([ENGLISH | 0x20 | 0x10, 25, READ] + step + [TICK] * 8 + [PROGRAM, 1] + [TICK] * 4 +
          step + [TICK] * 4))
put("fuzz_link", "forged_and_junk",
    bytes([ENGLISH, JUNK, 5, 1, 2, 3, 4, 5, TICK, FORGE]) + MONITOR[:51] +
    bytes([TICK, CAP, 60, READ, FORGE]) + IDENT[:51] + bytes([TICK, FORGE]) + BLOCK1[:51] +
    bytes([TICK, TICK]))

put("fuzz_monitor", "live_and_ident", MONITOR + IDENT[1:51] + BLOCK1[1:51] + bytes([1, 0x10, 0x27]))
put("fuzz_monitor", "unit_text", frame(0xB0, bytes(range(50))) +
    bytes([0x8A, 0x9E, 0xE8, 0, 31, 12, 99, 23, 59] + [0] * 7) + "Zündung Č".encode("cp1250") +
    bytes(84 - len("Zündung Č")) + bytes([2, 0xFF, 0xFF]))

image = default_image()
put("fuzz_side_file", "side_file", side_file(image))
put("fuzz_side_file", "short_and_signed", b"  12 300\t65536\r\n-4 7\n")

# The default set as `qm17ctl new` writes it: QM17_DEFAULT_IGN=file names a fresh one.
if "QM17_DEFAULT_IGN" in os.environ:
    put("fuzz_parameter_file", "default.ign", pathlib.Path(os.environ["QM17_DEFAULT_IGN"]).read_bytes())
put("fuzz_parameter_file", "edited.ign",
    b"; a file edited by hand\nKORVALEX_KEY 026\nLIMITER 7000 x 60\nRPM_ADV 900 -5 1200 "
    b"ADVANCE 4 5 6\nPOCET_BODU 99999999999\nPILOT_LIGHT 65600\nGEBER_NR 2\n")
put("fuzz_parameter_file", "old_version.ign", b"KORVALEX_KEY  25 \r\nBASE_ADV 3\r\n")
# A history file as `qm17ctl read` keeps it: QM17_HISTORY_IGN=file names a fresh one.
if "QM17_HISTORY_IGN" in os.environ:
    put("fuzz_parameter_file", "history.ign", pathlib.Path(os.environ["QM17_HISTORY_IGN"]).read_bytes())

settings = ("[FORM_HLAV]\r\nLeft=120\r\nTop=80\r\nHeight=540\r\nWidth=760\r\nComPort=1\r\n"
            "Language=1\r\nFile=/home/rider/curves/race.ign\r\nIniDir=/home/rider/curves\r\n"
            "CheckBoxBlackZobr->Checked=0\r\nCheckBoxIgnAll->Checked=1\r\n"
            "[PORTS]\r\nCOM1=/tmp/qm17-unit\r\n").encode()
put("fuzz_settings", "settings", settings + b"\0/tmp/new.ign\0" + bytes([0x40, 1, 0, 0, 0, 0, 0, 0]))
put("fuzz_settings", "odd_lines",
    "\ufeff; comment\n[ form_hlav ]\nfile = a=b\n[PORTS\nCOM2\n=x\n".encode() +
    b"\0 two\r\n[PORTS]\nCOM1=/dev/evil \0" + bytes([0xFF] * 8))

put("fuzz_sim_frames", "poll_read_write",
    bytes([0, 52, 0]) + frame(0x30) + bytes([52, 5]) + frame(0x40) +
    bytes([30, 5]) + frame(0x01, BLOCK1[1:51])[:30] + bytes([22, 3]) +
    frame(0x01, BLOCK1[1:51])[30:] + bytes([52, 0]) + frame(0x41))
put("fuzz_sim_frames", "faults_and_gaps",
    bytes([0x80 | 0x40 | 0x1F, 20, 0]) + frame(0x41)[:20] + bytes([52, 40]) + frame(0x41) +
    bytes([52, 1]) + frame(0x30))
