#!/usr/bin/env python3
"""The LV2 window in jalv.gtk3, on a JACK server with the dummy driver, under Xvfb.

    jalv_test.py BUILD_DIR

jalv embeds the window; xdotool switches LF off, drags the LF gain knob up
and switches the HMF band narrow, then saves a jalv preset through jalv's own
menu. The preset holds the port values jalv has, so they show that the
window's edits reached the host's ports; it also holds the program store
saved through the state extension.
"""
import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

URI = "https://zym-audio.net/plugins/sylvatone"
# Places in the window at scale 1 (from the editor's layout).
LF_SWITCH = (225, 12)
LF_GAIN = (172, 58)
HMF_NARROW = (502, 147)
# jalv's menu bar: "Presets", then its first item "Save Preset...".
PRESETS_MENU = (70, 12)
SAVE_PRESET = (110, 37)

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def wait_for(what, check, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        result = check()
        if result:
            return result
        time.sleep(0.2)
    raise SystemExit("timed out waiting for " + what)


def xdo(env, *args):
    p = subprocess.run(["xdotool"] + [str(a) for a in args], env=env, capture_output=True, text=True)
    return p.stdout.strip() if p.returncode == 0 else ""


def origin(env, window):
    geometry = dict(line.split("=", 1) for line in xdo(env, "getwindowgeometry", "--shell", window).splitlines())
    return int(geometry["X"]), int(geometry["Y"])


def click(env, place, at):
    xdo(env, "mousemove", at[0] + place[0], at[1] + place[1], "click", "1")
    time.sleep(0.5)


def port_values(preset_dir):
    """{symbol: value} of a jalv preset, read with sordi."""
    ttl = [f for f in glob.glob(os.path.join(preset_dir, "*.ttl")) if not f.endswith("manifest.ttl")][0]
    nt = subprocess.run(["sordi", "-i", "turtle", "-o", "ntriples", ttl], capture_output=True, text=True).stdout
    symbols, values = {}, {}
    for s, p, o in re.findall(r'^(\S+) <([^>]*)> (.*) \.$', nt, re.M):
        if p.endswith("lv2core#symbol"):
            symbols[s] = o.split('"')[1]
        elif p.endswith("presets#value"):
            values[s] = float(o.split('"')[1])
    return {symbols[s]: values[s] for s in symbols if s in values}, nt


def main():
    build = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="sylvatone-jalv-")
    server = "sylvatone-test-%d" % os.getpid()
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"), LV2_PATH=build,
               JACK_DEFAULT_SERVER=server, JACK_NO_AUDIO_RESERVATION="1", NO_AT_BRIDGE="1")
    procs = []
    try:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        procs.append(xvfb)
        env["DISPLAY"] = ":" + xvfb.stdout.readline().decode().strip()
        procs.append(subprocess.Popen(["jackd", "-n", server, "-d", "dummy", "-r", "48000", "-p", "256"],
                                      env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for("the JACK server", lambda: subprocess.run(["jack_lsp"], env=env, capture_output=True).returncode == 0)
        log = open(os.path.join(work, "jalv.log"), "w")
        jalv = subprocess.Popen(["jalv.gtk3", URI], env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        procs.append(jalv)

        window = wait_for("the plug-in's window", lambda: xdo(env, "search", "--onlyvisible", "--class", "Sylvatone"))
        top = wait_for("jalv's window", lambda: xdo(env, "search", "--onlyvisible", "--name", "ZYM sylvatone"))
        window, top = window.split()[0], top.split()[0]
        time.sleep(1)
        at = origin(env, window)
        click(env, LF_SWITCH, at)
        xdo(env, "mousemove", at[0] + LF_GAIN[0], at[1] + LF_GAIN[1], "mousedown", "1")
        for dy in range(5, 55, 5):
            xdo(env, "mousemove", at[0] + LF_GAIN[0], at[1] + LF_GAIN[1] - dy)
        xdo(env, "mouseup", "1")
        click(env, HMF_NARROW, at)

        menu = origin(env, top)
        click(env, PRESETS_MENU, menu)
        click(env, SAVE_PRESET, menu)
        time.sleep(1)
        xdo(env, "type", "probe")
        time.sleep(0.5)

        def saved_preset():
            # The dialog may still be settling: Return again until it saves.
            xdo(env, "key", "Return")
            time.sleep(1)
            return glob.glob(os.path.join(work, "*probe*.lv2"))
        saved = wait_for("the saved preset", saved_preset, 10)
        time.sleep(0.5)
        values, nt = port_values(saved[0])

        if len(values) != 21:
            fail("the preset holds %d port values, not 21:\n%s" % (len(values), nt))
            fail("the preset holds no port values:\n" + nt)
        if values.get("lf") != 0.0:
            fail("LF is %s in the host, not off" % values.get("lf"))
        if not 3.0 <= values.get("lfgain", 0) <= 15.0:
            fail("the dragged LF gain is %s dB in the host" % values.get("lfgain"))
        if values.get("hmq") != 1.0:
            fail("HMF narrow is %s in the host, not on" % values.get("hmq"))
        if URI + "#programs" not in nt:
            fail("the preset holds no program store (state extension)")
        if jalv.poll() is not None:
            fail("jalv ended early (%s)" % jalv.returncode)
    finally:
        for p in reversed(procs):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        if not failures:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print("jalv's log and files: " + work)
    print("ok" if not failures else "%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
