#!/usr/bin/env python3
"""Writes the binary and text seed inputs of the fuzz harnesses into corpus/<parser>/.

Small valid files and a few near misses, each built field by field so a hex dump reads
against the record layouts. Run from anywhere; the files are committed.
  make_seeds.py [path of kelvrant-simulate]
With the simulator, simulated sessions (sim_*) are added: whole B-, E-, S-, ION and met files.
"""
import glob
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def write(parser, name, data):
    directory = os.path.join(HERE, "corpus", parser)
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


# ---- E-file: 129-byte records, satellite number then the body.
def gps_record(prn, week, seconds, sqrt_a=5153.6, toe=None):
    toe = seconds + 7200 if toe is None else toe
    body = struct.pack("<hifiifffif", week, seconds, -1.1e-8, 77, toe, 0.0, 1.2e-12, 3.4e-5,
                       77, 1.5e-9)
    body += struct.pack("<ddd", 0.25, 0.0123, sqrt_a)
    body += struct.pack("<iffffff", toe, 1e-7, 250.5, -2e-7, 30.25, 1e-6, 8e-6)
    body += struct.pack("<dddff", -0.6, 0.3, 0.3055, -2.6e-9, 1.5e-10)
    body += struct.pack("<hhh", 2, 0, 0)
    assert len(body) == 128
    return bytes([prn]) + body


def glonass_record(slot, week, seconds, tk, tb):
    body = struct.pack("<HIiidffd", week, seconds, 0, tk, tb, 1.5e-5, 9.1e-13, -2.8e-8)
    body += struct.pack("<ddddddddd", 12345678.9, -9876543.2, 19000000.5, 1234.5, -2345.25,
                        345.125, 1e-6, -2e-6, 3e-6)
    body += struct.pack("<bBH", -7, 3, 0)
    body += bytes(128 - len(body))
    assert len(body) == 128
    return bytes([slot + 32]) + body


efile = gps_record(5, 1200, 259200) + gps_record(12, 1200, 252000) + \
    glonass_record(8, 1200, 259230, 43200, 45900.0) + gps_record(5, 1200, 259200)
write("efile", "gps_glonass_repeat", efile)
write("efile", "implausible_and_trailing",
      gps_record(7, 1200, 1000, sqrt_a=100.0) + gps_record(7, 1200, 1000) + b"\x07" * 60)
# GLONASS records near the Moscow and GPS midnights, and at the end of a week.
write("efile", "glonass_midnights",
      glonass_record(1, 1201, 86390, 300, 900.0) + glonass_record(2, 1201, 604790, 10790, 10800.0)
      + glonass_record(24, 0xFFFF, 0xFFFFFFFF, -1, -1.0))

# ---- ION file: one 74-byte record (A1 before A0).
ion = struct.pack("<ffffffffddihh", 1.1e-8, 1.5e-8, -6e-8, -1.2e-7, 90112.0, 16384.0, -196608.0,
                  -65536.0, 1.2e-14, -9.3e-9, 405504, 1200, 13)
ion += bytes(74 - len(ion))
write("ion", "valid", ion)
write("ion", "long_negative_week", ion[:52] + struct.pack("<hh", -1, -32768) + ion[56:] + b"x" * 126)
write("ion", "short", ion[:73])

# ---- S-file: nine lines; the columns of lines 3, 6 and 9 are read.
line3 = "SIT1 123 4 5" + " " * 18 + "A  007 012 ABCD OBS THIRTEENCHARS TAIL OF LINE THREE"
sfile = "\n".join([
    "        SITE INFORMATION",
    "line two",
    line3,
    "line four",
    "line five",
    "      1.4500 0 0 0 0",
    "      0.1 0.2 0.3 0.4 0.5",
    "line eight",
    "              Z-12          1B00          1A00          tail text",
]) + "\n"
write("sfile", "valid", sfile)
write("sfile", "crlf_short_line3", sfile.replace(line3, "SIT2").replace("\n", "\r\n"))
write("sfile", "eight_lines", "\n".join(sfile.split("\n")[:8]) + "\n")


# ---- B-file: 90-byte header, 67-byte epoch records, satellite blocks of 4 + 31 n bytes.
def bfile_header(week, blocks, data_type=3, receiver=b"GG24", version=3, magic=b"VERSION"):
    h = bytearray(90)
    h[0:7] = magic
    h[10] = version
    h[11:11 + len(receiver)] = receiver
    h[21:25] = b"UNKN"
    h[31:35] = b"1A00"
    struct.pack_into("<hib", h, 41, data_type, week, blocks)
    return bytes(h)


def obs_block(k, warning=0, quality=24, snr=45):
    return struct.pack("<df3sBBBBid", 0.0712345 + k * 1e-9, 0.25, b"\0\0\0", warning, quality, snr,
                       0, -12345678, 1.0e7 + k)


def epoch(time, sats, blocks, site=b"SIT1", pdop100=180):
    e = site + struct.pack("<dddd", time, 4510000.1, 600000.2, 4500000.3) + bytes(12)
    e += struct.pack("<d", 1.5) + bytes(8) + struct.pack("<Hb", pdop100, len(sats))
    assert len(e) == 67
    for s in sats:
        e += bytes([s, 0, 0, 0]) + b"".join(obs_block(k, warning=8 * (s % 2)) for k in range(blocks))
    return e


write("bfile", "three_blocks",
      bfile_header(1200, 3) + epoch(259200.0, [5, 12, 40], 3) + epoch(259230.0, [5, 12], 3)
      + epoch(259290.0, [5], 3, pdop100=0))
write("bfile", "one_block_week_rollover",
      bfile_header(1200, 1, data_type=1, receiver=b"G12") + epoch(604770.0, [1, 2], 1)
      + epoch(30.0, [1, 2, 0], 1, site=b"????") + epoch(60.0, [3], 1)[:40])
write("bfile", "header_only_lower_case", bfile_header(0, 2, magic=b"version"))
write("bfile", "bad_version", bfile_header(1200, 2, version=2) + epoch(1.0, [1], 2))


# ---- Parameter file: keys padded to column 29, records ended by a line of 50 dashes.
def param(key, value):
    return key.ljust(29) + value + "\n"


SEPARATOR = "-" * 50 + "\n"
write("paramfile", "observation_run",
      param("KELVRANT_PRESNT", "Yes") + param("KELVRANT_MODE", "0") + param("SITE_NAME", '"KELVIN"')
      + param("SFILE_OVERRRIDE", "No") + param("COMMENT2", '"second"')
      + param("APPROX_POS_BFILE", "No") + param("APPROX_POS_X", "4075580.5")
      + param("ANT_OFFSET_V", "-0.25") + param("MS_OBS_HANDLING", "no")
      + param("MET_UTC_2_GPS", "13") + param("KELVRANT_BFNAME", '"/d/BN102A97.323"')
      + param("KELVRANT_EFNAME", '"/d/EN102A97.323"') + param("KELVRANT_OBSFNAME", '"/o/x.97O"')
      + SEPARATOR + "\n" + param("SITE_NAME", '"SITE"') + param("OBSERVER", '"Bob"') + SEPARATOR
      + param("SITE_NAME", '"ABCD"') + param("RCVR_TYPE", '"Z18"') + SEPARATOR)
write("paramfile", "met_run_crlf",
      (param("KELVRANT_PRESNT", "yes") + param("KELVRANT_MODE", "1") + param("MET_USE_OBS_POS", "No")
       + param("MET_PRESS_POS_X", "7") + param("MET_TEMP_POS_AT_PRES", "No")
       + param("MET_HUMID_ACC", "2.5") + param("KELVRANT_IMETFNAME", '"/d/met"')
       + param("KELVRANT_OMETFNAME", '"/o/x.97M"') + SEPARATOR).replace("\n", "\r\n"))
write("paramfile", "errors",
      param("SITE_NAME", "ABCD") + param("KELVRANT_MODE", "2") + param("APPROX_POS_Z", "1e99")
      + param("NO_SUCH_KEY", "1") + param("COMMENT1", '"unclosed') + "-" * 49 + "\n")


# ---- Command line: arguments separated by NUL bytes, the program path first. Paths are
# relative to the repository root, where the smoke run works.
def args(*items):
    return "\0".join(("kelvrant",) + items)


write("cmdline", "obs_run",
      args("-I", "tests/fuzz/corpus/bfile/three_blocks", "EN102A97.323", "SN102A97.323",
           "IN102A97.323", "-O", "/tmp/out", "-N", "0", "-C", "1", "-S", "0", "-X"))
write("cmdline", "forced_names", args("-i", "BN102A97.323", "EN102A97.323", "-F", "A", "323", "97",
                                      "-T", "-G", "1"))
write("cmdline", "met_run", args("-M", "met.txt", "out.97M", "1200", "259200.5"))
write("cmdline", "auto_parameters", args("-P", "tests/fuzz/corpus/paramfile/observation_run"))
write("cmdline", "errors", args("-XS", "2", "-I", "-Q", "7"))


# ---- Simulated sessions: a GPS+GLONASS session across the week's end with a clock jump,
# repeated and implausible ephemerides and a met log; a GPS session with a moving stretch and
# a site change.
def simulate(simulator, tag, options):
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([simulator, "--out", out] + options, check=True, stdout=subprocess.DEVNULL)
        for pattern, parser in (("B*", "bfile"), ("E*", "efile"), ("S*", "sfile"), ("ION*", "ion"),
                                ("*.NMA", "met")):
            for path in glob.glob(os.path.join(out, pattern)):
                with open(path, "rb") as f:
                    write(parser, "sim_" + tag, f.read())


if len(sys.argv) > 1:
    simulate(sys.argv[1], "glonass_week_end",
             ["--glonass", "--length", "150", "--interval", "30", "--clock-jump", "2",
              "--bad-ephemeris", "--met", "--met-interval", "60", "--week", "2047", "--start",
              "604680"])
    simulate(sys.argv[1], "gps_moving_site_change",
             ["--receiver", "G12", "--data-type", "1", "--length", "180", "--interval", "15",
              "--moving", "2,4", "--site-change", "8,SIT2", "--seed", "7"])
