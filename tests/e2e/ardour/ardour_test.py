#!/usr/bin/env python3
"""The built plug-in in a real, headless Ardour 7.

Ardour indexes the bundle, puts it on a stereo track of a new session (on the
dummy backend) and reports every parameter as it offers it to a user; the
steering parameters are set through Ardour's controls and read back. The
session is saved with a renamed program and non-default settings, reopened,
saved again and exported with ardour7-export; the export must equal the
command-line host's render of the same input with the same settings.

With --lv2 BUNDLE the LV2 edition goes on the track instead: its controls in
natural units are set and read back, and a saved session with a renamed,
non-default program store (held by the LV2 state) survives reopening. The
VST library then serves only to rename the program in the saved state.

    ardour_test.py --plugin SO --host SYLVATONE --rename HELPER [--lv2 BUNDLE] [--keep]
"""
import argparse
import base64
import glob
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "support"))
import floatwav  # noqa: E402
ARDOUR_LIB = "/usr/lib/ardour7"
SCANNER = ARDOUR_LIB + "/ardour-vst-scanner"
LUA = "/usr/bin/ardour7-lua"
EXPORT = "/usr/bin/ardour7-export"

RATE = 44100
# Ardour runs the plug-in from the session start while the command-line host
# starts it fresh: a second of silence lets the output gain's smoothing and
# the filters' glides settle in both before the signal comes.
LEAD_IN = RATE
SIGNAL = RATE * 3 // 2
TAIL = RATE // 2
FRAMES = LEAD_IN + SIGNAL + TAIL
PROGRAM_NAME = "Headless Ardour"
SESSION = "sylvatone"

# What Ardour must show of each parameter: the named ones by index.
SWITCHES = {0: "EQ all", 7: "SAT", 12: "LF", 14: "LFQ", 16: "LMF", 18: "LMQ",
            20: "HMF", 22: "HMQ", 24: "HF", 26: "HFQ"}
GAIN = (1 / 60, 6 / 60)
STEPPED = {  # index: (name, step, large step or None)
    1: ("L-S-R", 0.5, None), 6: ("OUTput",) + GAIN, 9: ("HPFfreq", 0.1, None),
    13: ("LFfreq", 0.25, None), 15: ("LFgain",) + GAIN,
    17: ("LMFfreq", 1 / 6, None), 19: ("LMFgain",) + GAIN,
    21: ("HMFfreq", 1 / 6, None), 23: ("HMFgain",) + GAIN,
    25: ("HFfreq", 0.25, None), 27: ("HFgain",) + GAIN,
}
NAMES = {**SWITCHES, **{i: s[0] for i, s in STEPPED.items()}}
COUNT = 42

# The settings saved, reopened and exported: every steering parameter set,
# stereo processing, saturation on, the gains, frequencies, widths and low
# cut away from their defaults.
FINAL = {0: 1, 1: 0.5, 6: 27 / 60, 7: 1, 9: 0.3, 12: 1, 13: 0.75, 14: 1,
         15: 40 / 60, 16: 1, 17: 2 / 6, 18: 1, 19: 22 / 60, 20: 1, 21: 4 / 6,
         22: 0, 23: 36 / 60, 24: 1, 25: 0.25, 26: 1, 27: 26 / 60}
# A value on a step after Ardour's double and the plug-in's float.
VALUE_TOLERANCE = 1e-6
# Export against the host's render. The two agree to one float step in a few
# samples (6e-8 at most, in 12 of 264600; not the block size nor Ardour's
# panner: the two instances settle to within a float step of each other after
# different lengths of silence). One gain step off gives 1e-2.
AUDIO_TOLERANCE = 1e-6

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, flush=True)


def check_values():
    """Each steering parameter set to legal values: the ends and steps in
    between, the switches off and on."""
    plan = []
    for i in sorted(NAMES):
        if i in SWITCHES:
            values = [0, 1, 0]
        else:
            n = round(1 / STEPPED[i][1])
            values = [k / n for k in sorted({n, 0, 1, n // 2, n - 1})]
        plan += [(i, v) for v in values]
    return plan


# ---------------------------------------------------------------- WAV files

def write_wav(path, channels):
    floatwav.write_wav(path, RATE, channels)


read_wav = floatwav.read_wav


def test_signal():
    """Tones at 80 Hz, 1 kHz and 9 kHz and a little noise, different on each
    side, after LEAD_IN of silence and followed by TAIL of it."""
    seed = 20240607
    channels = []
    for c in range(2):
        samples = [0.0] * FRAMES
        for n in range(SIGNAL):
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            t = n / RATE
            samples[LEAD_IN + n] = (0.3 * math.sin(2 * math.pi * 80 * t + c)
                                    + 0.15 * math.sin(2 * math.pi * (1000 + 500 * c) * t)
                                    + 0.1 * math.sin(2 * math.pi * 9000 * t)
                                    + 0.05 * (seed / 0x3FFFFFFF - 1))
        channels.append(samples)
    return channels


# ---------------------------------------------------------------- running

def run(cmd, env, attempts=1, before=None, timeout=60):
    """Runs cmd; a run that dies (a signal, or glibc's heap check failing
    inside Ardour) is run again after before(), up to attempts times. A run
    that ends normally is never repeated, whatever it produced."""
    for attempt in range(1, attempts + 1):
        if before:
            before()
        p = subprocess.run(cmd, env=env, capture_output=True, text=True, errors="replace", timeout=timeout)
        aborted = p.returncode < 0 or (p.returncode != 0 and "double free" in p.stderr)
        if not aborted or attempt == attempts:
            return p
        last = (p.stderr.strip().splitlines() or [""])[-1]
        print("note: %s aborted (status %d: %s), running it again"
              % (os.path.basename(cmd[0]), p.returncode, last), flush=True)
    return p


def require(p, what, last_line=None):
    if p.returncode != 0 or (last_line and last_line not in p.stdout.splitlines()):
        sys.exit("%s failed (status %d):\n%s\n%s" % (what, p.returncode, p.stdout[-3000:], p.stderr[-3000:]))


def records(output, tag):
    return [line.split("\t")[1:] for line in output.splitlines() if line.split("\t")[0] == tag]


def close(a, b):
    return abs(float(a) - b) <= VALUE_TOLERANCE


# ---------------------------------------------------------------- checks

def check_descriptors(output):
    count = records(output, "COUNT")
    if count != [[str(COUNT)]]:
        fail("Ardour sees %s parameters, expected %d" % (count, COUNT))
    offered = []  # hidden parameters Ardour offers automation for
    for i, label, toggled, integer, lower, upper, step, large, positions, automatable \
            in records(output, "DESC"):
        i = int(i)
        name = NAMES.get(i, "")
        got = lambda what, value, expected: fail("parameter %d (%r): %s is %s, expected %s"
                                                 % (i, name, what, value, expected))
        if label != name:
            got("the name", repr(label), repr(name))
        if i not in NAMES:
            if automatable != "false":
                offered.append(i)
            continue
        if automatable != "true":
            got("automatable", automatable, "true")
        if not (close(lower, 0) and close(upper, 1)):
            got("the range", lower + ".." + upper, "0..1")
        if i in SWITCHES:
            if toggled != "true":
                got("toggled", toggled, "true (a switch)")
            continue
        _, expected_step, expected_large = STEPPED[i]
        expected_positions = round(1 / expected_step) + 1
        if toggled != "false" or integer != "false":
            got("toggled/integer", toggled + "/" + integer, "false/false (%d positions)" % expected_positions)
        if not close(step, expected_step):
            got("the step", step, "%.9g" % expected_step)
        if positions != str(expected_positions):
            got("the number of positions", positions, expected_positions)
        if expected_large is not None and not close(large, expected_large):
            got("the large step", large, "%.9g" % expected_large)
    if offered:
        fail("parameters %s: Ardour offers automation, expected none (the plug-in says they cannot be "
             "automated)" % ", ".join(map(str, offered)))


def check_readback(output, tag, what):
    seen = records(output, tag)
    if not seen:
        fail("no %s reported" % what)
    for i, value, read in seen:
        if not close(read, float(value)):
            fail("%s: parameter %s (%s) set to %s, reads %s" % (what, i, NAMES.get(int(i), ""), value, read))


def compare(ardour_path, host_path):
    ardour, host = read_wav(ardour_path), read_wav(host_path)
    if len(ardour) != 2 or len(host) != 2:
        fail("channels: Ardour exported %d, the host rendered %d, expected 2" % (len(ardour), len(host)))
        return
    frames = min(len(ardour[0]), len(host[0]))
    if len(ardour[0]) != FRAMES or len(host[0]) != FRAMES:
        fail("Ardour exported %d frames, the host rendered %d, expected %d"
             % (len(ardour[0]), len(host[0]), FRAMES))
    peak = max(abs(x) for ch in host for x in ch[:frames])
    if peak < 0.05:
        fail("the host's render is silent (peak %.3g)" % peak)
    worst, at = 0.0, (0, 0)
    for c in range(2):
        a, h = ardour[c], host[c]
        for n in range(frames):
            d = abs(a[n] - h[n])
            if d > worst:
                worst, at = d, (c, n)
    print("export vs host: max |difference| %.3g (channel %d, frame %d), peak %.3f"
          % (worst, at[0], at[1], peak))
    if worst > AUDIO_TOLERANCE:
        c, n = at
        fail("Ardour's export differs from the host's render: channel %d frame %d (%.3f s): %.9g vs %.9g"
             % (c, n, n / RATE, ardour[c][n], host[c][n]))


# ---------------------------------------------------------------- the test

def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--plugin", required=True)
    parser.add_argument("--host", required=True)
    parser.add_argument("--rename", required=True)
    parser.add_argument("--lv2", help="the LV2 bundle to test instead of the VST library")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    args = parser.parse_args()
    plugin = os.path.abspath(args.plugin)
    missing = [tool for tool in (SCANNER, LUA, EXPORT) if not os.access(tool, os.X_OK)]
    if missing:
        sys.exit("Ardour 7 is not installed (scripts/bootstrap installs it): no " + ", ".join(missing))

    tmp = tempfile.mkdtemp(prefix="sylvatone-ardour-")
    try:
        if args.lv2:
            run_lv2_test(os.path.abspath(args.lv2), plugin, args, tmp)
        else:
            run_test(plugin, args, tmp)
    finally:
        if args.keep:
            print("kept " + tmp)
        else:
            shutil.rmtree(tmp, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


def private_env(tmp):
    """Ardour's files, caches and preferences in the test's folder."""
    env = dict(os.environ)
    for var, sub in (("HOME", "home"), ("XDG_CONFIG_HOME", "config"), ("XDG_CACHE_HOME", "cache"),
                     ("XDG_DATA_HOME", "data"), ("XDG_STATE_HOME", "state"), ("TMPDIR", "tmp")):
        env[var] = os.path.join(tmp, sub)
        os.makedirs(env[var])
    return env


def run_test(plugin, args, tmp):
    env = private_env(tmp)
    env["LXVST_PATH"] = os.path.dirname(plugin)
    for var in ("VST_PATH", "VST3_PATH", "LADSPA_PATH", "LV2_PATH"):
        env.pop(var, None)
    scan_env = dict(env, LD_LIBRARY_PATH=ARDOUR_LIB)

    # Ardour takes its index of a plug-in only when written after the
    # library's last change, to the second.
    time.sleep(max(0.0, min(2.0, int(os.stat(plugin).st_mtime) + 1 - time.time())))
    require(run([SCANNER, "-q", "-f", plugin], scan_env), "ardour-vst-scanner")

    session_dir = os.path.join(tmp, SESSION)
    xml_path = os.path.join(session_dir, SESSION + ".ardour")
    plan = os.path.join(tmp, "plan.lua")
    lua_pairs = lambda pairs: "{" + ", ".join("{%d, %r}" % (i, v) for i, v in pairs) + "}"
    with open(plan, "w") as f:
        f.write('return { kind = "LXVST", id = "ZYM sylvatone", rate = %d, frames = %d, checks = %s, final = %s }\n'
                % (RATE, FRAMES, lua_pairs(check_values()), lua_pairs(sorted(FINAL.items()))))
    script = os.path.join(HERE, "session.lua")

    # 1. What Ardour offers, and the settings made through its controls.
    p = run([LUA, script, "create", session_dir, SESSION, plan], env, 3,
            lambda: shutil.rmtree(session_dir, ignore_errors=True))
    require(p, "Lua session creation", "DONE")
    print("latency Ardour sees: " + " ".join(sum(records(p.stdout, "LATENCY"), [])))
    check_descriptors(p.stdout)
    check_readback(p.stdout, "GOT", "through Ardour's controls")

    # 2. The saved session: its range, the test signal in its region's files,
    # and the program renamed in the plug-in's chunk.
    with open(xml_path) as f:
        xml = f.read()
    xml, n = re.subn(r'name="[^"]*"( start="[^"]*" end="[^"]*") flags="IsRangeMarker"',
                     r'name="session"\1 flags="IsSessionRange"', xml)
    if n != 1:
        sys.exit("the saved session has %d ranges, expected 1" % n)
    chunk = re.search(r'(<chunk program="\d+">)([^<]*)(</chunk>)', xml)
    if not chunk:
        sys.exit("the saved session holds no state chunk of the plug-in")
    saved, renamed = os.path.join(tmp, "saved.chunk"), os.path.join(tmp, "renamed.chunk")
    with open(saved, "wb") as f:
        f.write(base64.b64decode(chunk.group(2)))
    require(run([args.rename, plugin, saved, renamed, PROGRAM_NAME], env), "renaming the program")
    with open(renamed, "rb") as f:
        encoded = base64.b64encode(f.read()).decode()
    xml = xml[:chunk.start(2)] + encoded + xml[chunk.end(2):]
    with open(xml_path, "w") as f:
        f.write(xml)

    signal = test_signal()
    audio_dir = os.path.join(session_dir, "interchange", SESSION, "audiofiles")
    sources = sorted(os.listdir(audio_dir))
    if sources != ["signal%L.wav", "signal%R.wav"]:
        sys.exit("unexpected region files: %s" % sources)
    for name, channel in zip(sources, signal):
        write_wav(os.path.join(audio_dir, name), [channel])
    stereo_in = os.path.join(tmp, "in.wav")
    write_wav(stereo_in, signal)

    # 3. Reopened and saved again: the settings and the name survive.
    pristine = xml_path + ".test"
    shutil.copy(xml_path, pristine)
    p = run([LUA, script, "reopen", session_dir, SESSION, plan], env, 3,
            lambda: shutil.copy(pristine, xml_path))
    require(p, "Lua session reopening", "DONE")
    check_readback(p.stdout, "HELD", "after reopening")
    with open(xml_path) as f:
        chunk = re.search(r'<chunk program="\d+">([^<]*)</chunk>', f.read())
    resaved = os.path.join(tmp, "resaved.chunk")
    with open(resaved, "wb") as f:
        f.write(base64.b64decode(chunk.group(1)) if chunk else b"")
    info = run([args.host, "info", "--plugin", plugin, "--state", resaved], env)
    if '(current: "%s")' % PROGRAM_NAME not in info.stdout:
        fail("the re-saved session does not hold the program %r as the current one; "
             "`sylvatone info --state` says:\n%s%s" % (PROGRAM_NAME, info.stdout, info.stderr))

    # 4. Ardour's export against the command-line host's render.
    exported = os.path.join(tmp, "ardour.wav")
    p = run([EXPORT, "-b", "float", "-o", exported, session_dir, SESSION], env, 3,
            lambda: os.path.exists(exported) and os.remove(exported))
    require(p, "ardour7-export")
    rendered = os.path.join(tmp, "host.wav")
    settings = sum((["--set", "%s=%r" % (NAMES[i], v)] for i, v in sorted(FINAL.items())), [])
    p = run([args.host, "render", stereo_in, rendered, "--plugin", plugin, "--compensate"] + settings, env)
    require(p, "sylvatone render")
    compare(exported, rendered)


# ---------------------------------------------------------------- LV2

LV2_URI = "https://zym-audio.net/plugins/sylvatone"
LV2_RATE = 48000
# Four audio ports and the latency output come before the controls.
LV2_FIRST_CONTROL = 5
# Ardour's Lua API counts control ports: the latency output is 0, the
# description's controls follow from 1 in port order.
LV2_FINAL = {"eq_all": 1, "l_s_r": 2, "output": -1.5, "sat": 1, "hpffreq": "max", "lf": 1, "lffreq": "max",
             "lfq": 1, "lfgain": 5, "lmf": 1, "lmffreq": "min", "lmq": 1, "lmfgain": -4, "hmf": 0,
             "hmffreq": "max", "hmq": 1, "hmfgain": 3, "hf": 1, "hffreq": "min", "hfq": 1, "hfgain": -2.5}


def lv2_controls(bundle):
    """[(symbol, name, kind, values)] of the control inputs in port order,
    read from the generated description: kind is "toggle", "choice" (scale
    points) or "range"; values are the legal values to try."""
    with open(os.path.join(bundle, "sylvatone.ttl")) as f:
        ports = f.read().split("] , [")
    controls = []
    for port in ports:
        if "lv2:ControlPort , lv2:InputPort" not in port:
            continue
        symbol = re.search(r'lv2:symbol "([^"]+)"', port).group(1)
        name = re.search(r'lv2:name "([^"]+)"', port).group(1)
        points = [float(v) for v in re.findall(r"rdf:value (-?[\d.]+)", port)]
        if "lv2:toggled" in port:
            controls.append((symbol, name, "toggle", [0.0, 1.0, 0.0]))
        elif points:
            controls.append((symbol, name, "choice", points))
        else:
            low = float(re.search(r"lv2:minimum (-?[\d.]+)", port).group(1))
            high = float(re.search(r"lv2:maximum (-?[\d.]+)", port).group(1))
            controls.append((symbol, name, "range", [low, -4.5, 0.0, high]))
    return controls


def state_chunk(session_dir, xml):
    """The path of the state.ttl the session names, and its program store."""
    state_dir = re.search(r'<lv2 [^>]*state-dir="([^"]+)"', xml).group(1)
    found = glob.glob(os.path.join(session_dir, "plugins", "*", state_dir, "state.ttl"))
    if len(found) != 1:
        sys.exit("the saved session has no LV2 state %s (found %s)" % (state_dir, found))
    with open(found[0]) as f:
        ttl = f.read()
    m = re.search(r'<' + re.escape(LV2_URI + "#programs") + r'> """([^"]*)"""', ttl)
    if not m:
        sys.exit("the LV2 state holds no program store:\n" + ttl[:2000])
    return found[0], ttl, m


def run_lv2_test(bundle, plugin, args, tmp):
    env = private_env(tmp)
    env["LV2_PATH"] = os.path.dirname(bundle)
    controls = lv2_controls(bundle)
    if len(controls) != 21:
        sys.exit("the description has %d control inputs, expected 21" % len(controls))
    final = {}
    for symbol, _, kind, values in controls:
        v = LV2_FINAL[symbol]
        final[symbol] = max(values) if v == "max" else min(values) if v == "min" else float(v)
    which = {symbol: n + 1 for n, (symbol, _, _, _) in enumerate(controls)}
    checks = [(which[s], v) for s, _, _, values in controls for v in values]

    session_dir = os.path.join(tmp, SESSION)
    xml_path = os.path.join(session_dir, SESSION + ".ardour")
    plan = os.path.join(tmp, "plan.lua")
    lua_pairs = lambda pairs: "{" + ", ".join("{%d, %r}" % (i, v) for i, v in pairs) + "}"
    with open(plan, "w") as f:
        f.write('return { kind = "LV2", id = "%s", rate = %d, frames = %d, checks = %s, final = %s }\n'
                % (LV2_URI, LV2_RATE, LV2_RATE, lua_pairs(checks),
                   lua_pairs(sorted((which[s], v) for s, v in final.items()))))
    script = os.path.join(HERE, "session.lua")

    p = run([LUA, script, "create", session_dir, SESSION, plan], env, 3,
            lambda: shutil.rmtree(session_dir, ignore_errors=True))
    require(p, "Lua session creation (LV2)", "DONE")
    latency = records(p.stdout, "LATENCY")
    if latency != [["48"]]:
        fail("Ardour sees a latency of %s samples at 48 kHz, expected 48" % latency)
    descs = {int(d[0]): d for d in records(p.stdout, "DESC")}
    for n, (symbol, name, kind, values) in enumerate(controls):
        d = descs.get(LV2_FIRST_CONTROL + n)
        if not d or d[1] != name or d[2] != ("true" if kind == "toggle" else "false") or d[9] != "true":
            fail("Ardour shows control %s as %s, expected %r, %s, automatable" % (symbol, d, name, kind))
        elif not (close(d[4], min(values)) and close(d[5], max(values))):
            fail("Ardour shows control %s with the range %s..%s, expected %s..%s"
                 % (symbol, d[4], d[5], min(values), max(values)))
    check_readback(p.stdout, "GOT", "through Ardour's controls (LV2)")

    # Rename the current program inside the saved LV2 state.
    with open(xml_path) as f:
        xml = f.read()
    state_path, ttl, m = state_chunk(session_dir, xml)
    saved, renamed = os.path.join(tmp, "saved.chunk"), os.path.join(tmp, "renamed.chunk")
    with open(saved, "wb") as f:
        f.write(base64.b64decode(m.group(1)))
    require(run([args.rename, plugin, saved, renamed, PROGRAM_NAME], env), "renaming the program")
    with open(renamed, "rb") as f:
        encoded = base64.b64encode(f.read()).decode()
    with open(state_path, "w") as f:
        f.write(ttl[:m.start(1)] + encoded + ttl[m.end(1):])

    p = run([LUA, script, "reopen", session_dir, SESSION, plan], env, 3)
    require(p, "Lua session reopening (LV2)", "DONE")
    check_readback(p.stdout, "HELD", "after reopening (LV2)")
    with open(xml_path) as f:
        _, _, m = state_chunk(session_dir, f.read())
    resaved = os.path.join(tmp, "resaved.chunk")
    with open(resaved, "wb") as f:
        f.write(base64.b64decode(m.group(1)))
    info = run([args.host, "info", "--plugin", plugin, "--state", resaved], env)
    if '(current: "%s")' % PROGRAM_NAME not in info.stdout:
        fail("the re-saved LV2 state does not hold the program %r as the current one; "
             "`sylvatone info --state` says:\n%s%s" % (PROGRAM_NAME, info.stdout, info.stderr))
    # The store's current program holds the final settings: what the
    # plug-in's own display texts show for each control.
    shown = dict(re.findall(r"^ +\d+  (\S+(?: all)?) +(\S+)", info.stdout, re.M))
    for symbol, name, kind, _ in controls:
        text, value = shown.get(name, "?"), final[symbol]
        if kind == "toggle":
            ok = text == ("On" if value else "Off")
        elif symbol == "l_s_r":
            ok = text == ("Left", "Stereo", "Right")[int(value)]
        else:
            m = re.match(r"(-?[\d.]+)(k?)", text)
            ok = m and abs(float(m.group(1)) * (1000 if m.group(2) else 1) - value) <= 0.01 * max(1, abs(value))
        if not ok:
            fail("after reopening, the plug-in's current program shows %s = %s, expected %s" % (name, text, value))


if __name__ == "__main__":
    sys.exit(main())
