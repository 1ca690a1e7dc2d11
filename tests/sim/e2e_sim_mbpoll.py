#!/usr/bin/env python3
"""zentor-sim against an independent Modbus master (mbpoll): it prints its terminal first,
answers a status read, shows the alarm it was started with until the master stops the drive,
takes a run command whose run state follows, logs each request and answer (--log), and ends
cleanly on SIGTERM, taking its symlink with it. Exits 77 (skipped) when mbpoll is not
installed."""

import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def mbpoll(device, *args, values=()):
    cmd = ["mbpoll", "-m", "rtu", "-a", "100", "-b", "115200", "-P", "none", "-o", "2", "-1", *args, device, *values]
    run = subprocess.run(cmd, stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=20)
    return run.returncode, run.stdout + run.stderr


def read_registers(device, first, count):
    """Registers first .. first+count-1 (0-based) as a dict, via mbpoll's 1-based references."""
    code, out = mbpoll(device, "-t", "4", "-r", str(first + 1), "-c", str(count))
    if code != 0:
        fail("mbpoll read failed (%d):\n%s" % (code, out))
    values = {int(m.group(1)) - 1: int(m.group(2)) for m in re.finditer(r"^\[(\d+)\]:\s+(-?\d+)", out, re.M)}
    if len(values) != count:
        fail("mbpoll read %d of %d registers:\n%s" % (len(values), count, out))
    return values


LOG_LINE = re.compile(r"^(\d+\.\d{3}) (rx|tx) ((?:[0-9A-F]{2} )*[0-9A-F]{2})  (.+)$")


def check_log(lines):
    """The lines after the terminal's path: a request line for every request, an answer line
    after each answered one, in time order."""
    parsed = []
    for line in lines:
        m = LOG_LINE.match(line)
        if not m:
            fail("not a log line: %r" % line)
        parsed.append((float(m.group(1)), m.group(2), m.group(3), m.group(4)))
    times = [p[0] for p in parsed]
    if times != sorted(times):
        fail("log times go backwards: %r" % times)
    wanted = [
        ("rx", "64 03 00 00 00 22", "read 34 registers from 0"),
        ("tx", "64 03 44 00 64", "answer"),
        ("rx", "64 06 00 03 00 00", "write reg 3 = 0"),
        ("tx", "64 06 00 03 00 00", "answer"),
        ("rx", "64 06 00 03 00 01", "write reg 3 = 1"),
        ("rx", "64 03 00 0D 00 01", "read 1 register from 13"),
    ]
    at = 0
    for direction, start, text in wanted:
        while at < len(parsed) and not (parsed[at][1] == direction and parsed[at][2].startswith(start)):
            at += 1
        if at == len(parsed) or parsed[at][3] != text:
            fail("no log line %s %s... %r in order in:\n%s" % (direction, start, text, "\n".join(lines)))
    # Every request was answered here, each answer right after its request.
    for i, entry in enumerate(parsed):
        if entry[1] == "rx" and (i + 1 == len(parsed) or parsed[i + 1][1] != "tx"):
            fail("request without its answer line: %r" % (entry,))


def main():
    if len(sys.argv) != 2:
        fail("usage: e2e_sim_mbpoll.py PATH-TO-zentor-sim")
    if shutil.which("mbpoll") is None:
        print("mbpoll is not installed: skipped")
        return SKIP
    for slave in ("0", "248"):
        bad = subprocess.run([sys.argv[1], "--slave", slave], stdin=subprocess.DEVNULL, capture_output=True, text=True,
                             timeout=20)
        if bad.returncode != 2 or "--slave" not in bad.stderr or bad.stdout:
            fail("--slave %s gave exit %d, stderr %r, stdout %r" % (slave, bad.returncode, bad.stderr, bad.stdout))
    workdir = tempfile.mkdtemp(prefix="zentor-sim-e2e-")
    link = os.path.join(workdir, "driver")
    sim = subprocess.Popen([sys.argv[1], "--link", link, "--log", "--alarm", "3"], stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        ready, _, _ = select.select([sim.stdout], [], [], 15)
        if not ready:
            fail("zentor-sim printed no terminal path")
        path = sim.stdout.readline().strip()
        if not path.startswith("/dev/"):
            fail("first line is not a terminal path: %r" % path)
        if os.path.realpath(link) != os.path.realpath(path):
            fail("--link does not point at %s" % path)

        regs = read_registers(path, 0, 34)
        expected = {0: 100, 28: 800, 29: 1000, 30: 8, 31: 3000, 33: 1000, 5: 1000, 6: 1000, 13: 0, 27: 3}
        for reg, value in expected.items():
            if regs[reg] != value:
                fail("register %d reads %d, not %d" % (reg, regs[reg], value))

        # The alarm it started with holds until the master stops the drive (RunCommand 0).
        code, out = mbpoll(link, "-t", "4", "-r", "4", values=["0"])
        if code != 0:
            fail("mbpoll write failed (%d):\n%s" % (code, out))
        if read_registers(link, 27, 1)[27] != 0:
            fail("the alarm did not end with the stop")

        code, out = mbpoll(link, "-t", "4", "-r", "4", values=["1"])  # RunCommand, register 3
        if code != 0:
            fail("mbpoll write failed (%d):\n%s" % (code, out))
        deadline = time.monotonic() + 10
        while read_registers(link, 13, 1)[13] != 1:  # RunState
            if time.monotonic() > deadline:
                fail("RunState did not follow the run command")
            time.sleep(0.2)
    finally:
        if sim.poll() is None:
            sim.send_signal(signal.SIGTERM)
        try:
            code = sim.wait(timeout=10)
        except subprocess.TimeoutExpired:
            sim.kill()
            fail("zentor-sim did not end on SIGTERM")
    if code != 0:
        fail("zentor-sim exited %d: %s" % (code, sim.stderr.read()))
    check_log(sim.stdout.read().splitlines())
    if os.path.lexists(link):
        fail("zentor-sim left its symlink behind")
    os.rmdir(workdir)
    print("zentor-sim answered mbpoll and ended cleanly")
    return 0


if __name__ == "__main__":
    sys.exit(main())
