#!/usr/bin/env python3
"""Checks the built user manual with poppler's tools.

    check_manual.py MANUAL.pdf --host build/sylvatone --version X.Y.Z

The PDF must carry its title, keep to its page range, hold every chapter
and the facts a musician looks up, name every program and parameter the
plug-in itself reports, and show its pictures, none of them the black
window of an editor drawn without its artwork.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

TITLE = "ZYM sylvatone Manual"
PAGES = range(8, 17)
MIN_PICTURES = 18  # cover, tour, 5 programs, about, strip; 6 program and 3 band curves

CHAPTERS = ["Contents", "What sylvatone is for", "Installing", "The window at a glance",
            "The controls", "The programs", "Programs, banks, defaults and memories",
            "Latency and oversampling", "Files and preferences", "The command-line host",
            "Troubleshooting"]

FACTS = [
    # controls
    "OFF, 20, 35, 50, 70, 100, 120, 150, 170, 200 and 250 Hz",
    "30, 42, 60, 85, 120 Hz", "200, 265, 350, 443, 560, 710, 900 Hz",
    "1.5, 1.9, 2.5, 3.3, 4.3, 5.6, 7.2 kHz", "10, 12.6, 16, 20, 25 kHz",
    "−15 to +15 dB in 0.5 dB steps", "NARROW", "Shift", "Ctrl-click", "CLIP", "SAT",
    "click the lamp", "about box", "L – STEREO – R",
    # latency
    "44.1 kHz 46 samples", "48 kHz 48 samples", "96 kHz 64 samples", "below 65 kHz",
    # programs, files and preferences
    ".zym", ".zyb", "right-click", "Double-click BANK", "Double-click PRESET",
    "Ctrl + double-click", "memory A", "$XDG_CONFIG_HOME/net.zym-audio.sylvatone/",
    "~/.config/net.zym-audio.sylvatone/", "CurrDir", "CurrBank", "CurrPreset", "DefaultBank",
    "DefaultPreset", "MemoAPreset", "MemoBPreset", "DefaultMidi", "EditorScale",
    "~/Documents/ZYM Audio/ZYM sylvatone/",
    "Sylvatone.vst/Contents/Resources/ZYM sylvatone Manual.pdf",
    # installing, the command-line host, troubleshooting
    "~/.vst", "make install", "Ardour", "REAPER", "Bitwig", "Qtractor", "LXVST_PATH",
    "sylvatone info", "render in.wav out.flac", "response piano.png", "demo out",
    "snapshot ed.png", "zenity", "kdialog", "portal", "Xft.dpi", "GDK_SCALE", "96 dpi",
    "100, 150 or 200 %", "right-click an empty part of the panel",
]


def tool(name, *args):
    if not shutil.which(name):
        sys.exit(f"FAIL: {name} not found: install the Debian package poppler-utils")
    return subprocess.run([name, *args], capture_output=True, text=True, check=True).stdout


def black_pixels(path):
    """Width, height and the number of pure black pixels of a binary PPM."""
    with open(path, "rb") as f:
        data = f.read()
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
    if not header:
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    width, height = int(header.group(1)), int(header.group(2))
    pixels = data[header.end():header.end() + width * height * 3]
    lit = 0
    for channel in range(3):
        lit |= int.from_bytes(pixels[channel::3], "big")
    return width, height, lit.to_bytes(width * height, "big").count(0)


def reported_by_plugin(host):
    """Program names, parameter names and the latency line of `sylvatone info`,
    with an empty preference folder so the factory programs show."""
    with tempfile.TemporaryDirectory() as config:
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        out = subprocess.run([host, "info"], capture_output=True, text=True, check=True,
                             env=env).stdout
    section, names = None, []
    latency = re.search(r"^latency:\s+(\d+ samples)", out, re.M).group(1)
    for line in out.splitlines():
        if not line.startswith(" "):
            section = line.split(":")[0]
            continue
        m = re.match(r"\s*\d+  (.+?)\s*$", line)
        if section == "parameters":
            m = re.match(r"\s*\d+  (.{8}) ", line + " ")
        if m and section in ("parameters", "programs") and m.group(1).strip() != "-":
            names.append(m.group(1).strip())
    return names, latency


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pdf")
    parser.add_argument("--host", required=True)
    parser.add_argument("--version", required=True)
    args = parser.parse_args()
    failures = []

    info = tool("pdfinfo", args.pdf)
    title = re.search(r"^Title:\s*(.*)$", info, re.M)
    pages = int(re.search(r"^Pages:\s*(\d+)", info, re.M).group(1))
    if not title or title.group(1).strip() != TITLE:
        failures.append(f"title is {title.group(1).strip() if title else None!r}, not {TITLE!r}")
    if pages not in PAGES:
        failures.append(f"{pages} pages, expected {PAGES.start} to {PAGES.stop - 1}")

    text = " ".join(tool("pdftotext", "-enc", "UTF-8", args.pdf, "-").split())
    names, latency = reported_by_plugin(args.host)
    wanted = CHAPTERS + FACTS + names + [latency, f"Version {args.version}"]
    failures += [f"the text lacks {w!r}" for w in wanted if w not in text]

    listed = [l for l in tool("pdfimages", "-list", args.pdf).splitlines()[2:] if l.strip()]
    if len(listed) < MIN_PICTURES:
        failures.append(f"{len(listed)} pictures, expected at least {MIN_PICTURES}")
    with tempfile.TemporaryDirectory() as folder:
        tool("pdfimages", args.pdf, os.path.join(folder, "p"))  # colour pictures as .ppm
        for name in sorted(n for n in os.listdir(folder) if n.endswith(".ppm")):
            width, height, black = black_pixels(os.path.join(folder, name))
            if black > width * height // 2:
                failures.append(f"picture {name} ({width}x{height}) is mostly black")

    for f in failures:
        print("FAIL:", f)
    print(f"manual: {pages} pages, {len(listed)} pictures, {len(wanted)} texts looked up; "
          f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
