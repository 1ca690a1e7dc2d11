#!/usr/bin/env python3
"""zentor-sim against an independent Modbus master (mbpoll): it prints its terminal first,
answers a status read, takes a run command whose run state follows, and ends cleanly on
SIGTERM, taking its symlink with it. Exits 77 (skipped) when mbpoll is not installed."""

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


def main():
    if len(sys.argv) != 2:
        fail("usage: e2e_sim_mbpoll.py PATH-TO-zentor-sim")
    if shutil.which("mbpoll") is None:
        print("mbpoll is not installed: skipped")
        return SKIP
    bad = subprocess.run([sys.argv[1], "--slave", "0"], stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=20)
    if bad.returncode == 0 or "--slave" not in bad.stderr or bad.stdout:
        fail("a bad argument gave exit %d, stderr %r, stdout %r" % (bad.returncode, bad.stderr, bad.stdout))
    workdir = tempfile.mkdtemp(prefix="zentor-sim-e2e-")
    link = os.path.join(workdir, "driver")
    sim = subprocess.Popen([sys.argv[1], "--link", link], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, text=True)
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
        expected = {0: 100, 28: 800, 29: 1000, 30: 8, 31: 3000, 33: 1000, 5: 1000, 6: 1000, 13: 0}
        for reg, value in expected.items():
            if regs[reg] != value:
                fail("register %d reads %d, not %d" % (reg, regs[reg], value))

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
    if os.path.lexists(link):
        fail("zentor-sim left its symlink behind")
    os.rmdir(workdir)
    print("zentor-sim answered mbpoll and ended cleanly")
    return 0


if __name__ == "__main__":
    sys.exit(main())
