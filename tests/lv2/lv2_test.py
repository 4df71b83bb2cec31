#!/usr/bin/env python3
"""The LV2 edition through the LV2 tools (lilv-utils, sordi).

    lv2_test.py info     BUILD_DIR
    lv2_test.py validate BUILD_DIR
    lv2_test.py render   BUILD_DIR

info: lv2info finds the plug-in in the build folder with its ports, units,
scale points, latency output and the six factory presets. validate:
sord_validate accepts the bundle's files against the LV2 schemas Debian's
lv2-dev installs. render: lv2apply with each factory preset's port values
gives, sample for sample, what the command-line host renders through the VST
edition with the same program, at 44100, 48000 and 96000 Hz.
"""
import glob
import math
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import floatwav  # noqa: E402

URI = "https://zym-audio.net/plugins/sylvatone"
PSET = "http://lv2plug.in/ns/ext/presets#"
LV2 = "http://lv2plug.in/ns/lv2core#"
RDFS = "http://www.w3.org/2000/01/rdf-schema#"
RDF_TYPE = "http://www.w3.org/1999/02/22-rdf-syntax-ns#type"
# Only the bundles of the LV2 definitions themselves, never plug-ins.
SCHEMA_BUNDLES = ["schemas", "core", "units", "port-props", "presets", "state", "ui", "urid", "instance-access", "options", "atom"]

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def run(cmd, env=None):
    p = subprocess.run(cmd, env=env, capture_output=True, text=True, errors="replace")
    if p.returncode != 0:
        raise SystemExit("%s failed (%d):\n%s%s" % (" ".join(cmd), p.returncode, p.stdout, p.stderr))
    return p.stdout


def lv2_env(build):
    return dict(os.environ, LV2_PATH=build)


def triples(path):
    """(subject, predicate, object) of a Turtle file, read with sordi."""
    out = run(["sordi", "-i", "turtle", "-o", "ntriples", path])
    pattern = re.compile(r'^(\S+) <([^>]*)> (.*) \.$')
    result = []
    for line in out.splitlines():
        m = pattern.match(line)
        if m:
            s, p, o = m.groups()
            result.append((s.strip("<>"), p, o))
    return result


def literal(o):
    m = re.match(r'^"(.*)"(\^\^<[^>]*>)?$', o)
    return m.group(1) if m else o.strip("<>")


def presets(bundle):
    """{label: {symbol: value}} of every preset the manifest names."""
    found = {}
    for s, p, o in triples(os.path.join(bundle, "manifest.ttl")):
        if p == RDFS + "seeAlso" and "#preset-" in s:
            path = os.path.join(bundle, literal(o).replace("file://", ""))
            t = triples(path)
            label = [literal(o2) for s2, p2, o2 in t if s2 == s and p2 == RDFS + "label"]
            nodes = [o2 for s2, p2, o2 in t if s2 == s and p2 == LV2 + "port"]
            values = {}
            for n in nodes:
                sym = [literal(o2) for s2, p2, o2 in t if s2 == n and p2 == LV2 + "symbol"]
                val = [literal(o2) for s2, p2, o2 in t if s2 == n and p2 == PSET + "value"]
                values[sym[0]] = float(val[0])
            found[label[0]] = values
    return found


# ---------------------------------------------------------------- info

def check_info(build):
    out = run(["lv2info", URI], lv2_env(build))
    bundle = os.path.join(build, "sylvatone.lv2")
    ports = re.split(r"\n\tPort \d+:\n", out)
    if len(ports) < 2:
        fail("lv2info lists no ports:\n" + out)
        return
    head, ports = ports[0], ports[1:]
    # lilv's benchmark runs it as it does any plug-in (make bench reports it).
    bench = run(["lv2bench", "-f", "-b", "32", "-n", "4800", URI], lv2_env(build))
    if not re.search(r"^32 4800 \S+ " + re.escape(URI), bench, re.M):
        fail("lv2bench does not run the plug-in:\n" + bench)
    for want in ("Name:              ZYM sylvatone - soft acoustic eq",
                 "Binary:            file://" + os.path.join(bundle, "sylvatone.so"),
                 "Has latency:       yes, reported by port 4"):
        if want not in head:
            fail("lv2info does not say %r:\n%s" % (want, head))
    by_symbol = {}
    for p in ports:
        m = re.search(r"Symbol:\s+(\S+)", p)
        by_symbol[m.group(1) if m else "?"] = re.sub(r"\s+", " ", p)
    if len(ports) != 26:
        fail("%d ports, not 4 audio, the latency and 21 controls" % len(ports))
    expect = {
        "in_r": ["lv2core#AudioPort", "lv2core#InputPort", "connectionOptional"],
        "out_r": ["lv2core#AudioPort", "lv2core#OutputPort", "connectionOptional"],
        "latency": ["lv2core#OutputPort", "reportsLatency"],
        "eq_all": ["Default: 1.000000", "lv2core#toggled"],
        "l_s_r": ["lv2core#enumeration", "0.0 = \"Left\"", "1.0 = \"Stereo\"",
                  "2.0 = \"Right\"", "Default: 1.000000"],
        "output": ["Minimum: -15.000000", "Maximum: 15.000000", "Default: 0.000000"],
        "hpffreq": ["Minimum: 3.000000", "Maximum: 250.000000", "3.0 = \"OFF\"",
                    "250.0 = \"250Hz\"", "lv2core#enumeration", "Default: 3.000000"],
        "lmffreq": ["443.0 = \"443Hz\"", "Default: 443.000000"],
        "hmffreq": ["3279.0 = \"3.28kHz\"", "Default: 3279.000000"],
        "hfgain": ["Default: 0.000000"],
        "sat": ["Default: 0.000000", "lv2core#toggled"],
    }
    for sym, wants in expect.items():
        for want in wants:
            if want not in by_symbol.get(sym, ""):
                fail("port %s lacks %r:\n%s" % (sym, want, by_symbol.get(sym, "(no such port)")))
    # Units come from the description itself: lv2info shows no units.
    described = triples(os.path.join(bundle, "sylvatone.ttl"))
    desc = {(s, p): o for s, p, o in described}
    if (URI, RDF_TYPE, "<%sEQPlugin>" % LV2) not in described:
        fail("the plug-in is no lv2:EQPlugin")
    units = {}
    for (s, p), o in desc.items():
        if p == "http://lv2plug.in/ns/extensions/units#unit":
            sym = literal(desc.get((s, LV2 + "symbol"), ""))
            units[sym] = o.rsplit("#", 1)[-1].strip(">")
    for sym, unit in (("output", "db"), ("lfgain", "db"), ("hpffreq", "hz"), ("hffreq", "hz"),
                      ("latency", "frame")):
        if units.get(sym) != unit:
            fail("port %s has unit %r, not %r" % (sym, units.get(sym), unit))
    found = presets(bundle)
    if len(found) != 6:
        fail("%d presets, not 6: %s" % (len(found), sorted(found)))
    for label, values in found.items():
        if label not in out:
            fail("lv2info does not list the preset %r" % label)
        if sorted(values) != sorted(s for s in by_symbol if s not in
                                    ("in_l", "in_r", "out_l", "out_r", "latency")):
            fail("preset %r does not set every control: %s" % (label, sorted(values)))


# ---------------------------------------------------------------- validate

def check_validate(build):
    schemas = []
    for name in SCHEMA_BUNDLES:
        schemas += sorted(glob.glob("/usr/lib/lv2/%s.lv2/*.ttl" % name))
    ours = sorted(glob.glob(os.path.join(build, "sylvatone.lv2", "*.ttl")))
    if len(ours) != 8:
        fail("the bundle holds %d .ttl files, not 8" % len(ours))
    p = subprocess.run(["sord_validate"] + schemas + ours, capture_output=True, text=True)
    said = p.stdout + p.stderr
    complaints = [l for l in said.splitlines() if "error:" in l or "warning:" in l]
    if p.returncode != 0 or complaints or "Found 0 errors" not in said:
        fail("sord_validate (%d):\n%s" % (p.returncode, "\n".join(complaints) or p.stderr))


# ---------------------------------------------------------------- render

write_wav = floatwav.write_wav
read_wav = floatwav.read_wav


def signal(rate, frames):
    """Tones at 60 Hz, 1 kHz and 12 kHz and a little noise, different on
    each side, loud enough for the saturation to work."""
    seed = 4242
    channels = []
    for c in range(2):
        x = []
        for n in range(frames):
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            t = n / rate
            x.append(0.5 * math.sin(2 * math.pi * 60 * t + c)
                     + 0.3 * math.sin(2 * math.pi * (1000 + 300 * c) * t)
                     + 0.1 * math.sin(2 * math.pi * 12000 * t)
                     + 0.05 * (seed / 0x3FFFFFFF - 1))
        channels.append(x)
    return channels


def check_render(build, tmp):
    host = os.path.join(build, "sylvatone")
    found = presets(os.path.join(build, "sylvatone.lv2"))
    for rate in (44100, 48000, 96000):
        src = os.path.join(tmp, "in-%d.wav" % rate)
        write_wav(src, rate, signal(rate, rate // 4))
        for label, values in sorted(found.items()):
            vst = os.path.join(tmp, "vst.wav")
            lv2 = os.path.join(tmp, "lv2.wav")
            run([host, "render", src, vst, "--program", label])
            controls = sum((["-c", sym, repr(v)] for sym, v in sorted(values.items())), [])
            run(["lv2apply", "-i", src, "-o", lv2] + controls + [URI], lv2_env(build))
            a, b = read_wav(vst), read_wav(lv2)
            if len(a) != 2 or len(b) != 2 or len(a[0]) != len(b[0]):
                fail("%s at %d Hz: %d channels of %d frames from the VST, %d of %d from LV2"
                     % (label, rate, len(a), len(a[0]), len(b), len(b[0])))
                continue
            differing = [(c, n) for c in range(2) for n in range(len(a[0])) if a[c][n] != b[c][n]]
            if differing:
                c, n = differing[0]
                fail("%s at %d Hz: %d samples differ, first channel %d frame %d: %r against %r"
                     % (label, rate, len(differing), c, n, a[c][n], b[c][n]))
            elif max(abs(v) for v in a[0]) == 0:
                fail("%s at %d Hz: silence" % (label, rate))


def main():
    what, build = sys.argv[1], os.path.abspath(sys.argv[2])
    if what == "info":
        check_info(build)
    elif what == "validate":
        check_validate(build)
    elif what == "render":
        with tempfile.TemporaryDirectory() as tmp:
            check_render(build, tmp)
    else:
        raise SystemExit(__doc__)
    if failures:
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
