#!/usr/bin/env python3
"""zentor-cli against an independent Modbus RTU slave (pymodbus) over a socat pty pair.

Usage: test_cli_pymodbus.py ZENTOR_CLI MODBUS_SLAVE_PY
Exit 0 when every check passes, 1 on a failure, 77 (skipped) when socat or pymodbus is missing.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
SLAVE = 100


def python_with_pymodbus():
    for candidate in (sys.executable, "/usr/bin/python3", shutil.which("python3")):
        if not candidate or not os.path.exists(candidate):
            continue
        probe = subprocess.run([candidate, "-c", "import pymodbus, serial_asyncio"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if probe.returncode == 0:
            return candidate
    return None


def wait_for(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.02)
    return False


def stop(process):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=5)


class Checks:
    def __init__(self, cli, port):
        self.cli = cli
        self.port = port
        self.failures = 0

    def run(self, *args):
        cmd = [self.cli, "--port", self.port] + list(args)
        done = subprocess.run(cmd, capture_output=True, text=True, timeout=30)
        return done.returncode, done.stdout, done.stderr

    def expect(self, what, condition, detail=""):
        if condition:
            print("ok    " + what)
        else:
            self.failures += 1
            print("FAIL  " + what + ("\n      " + detail if detail else ""))


def main():
    cli, slave_script = sys.argv[1], sys.argv[2]
    socat = shutil.which("socat")
    python = python_with_pymodbus()
    if not socat or not python:
        print("SKIP: needs socat and python3-pymodbus with python3-serial-asyncio")
        return SKIP

    folder = tempfile.mkdtemp(prefix="zentor-cli-e2e-")
    master_end = os.path.join(folder, "master")
    slave_end = os.path.join(folder, "slave")
    pair = slave = None
    try:
        pair = subprocess.Popen([socat, "-d", "-d", "pty,raw,echo=0,link=" + master_end,
                                 "pty,raw,echo=0,link=" + slave_end],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(lambda: os.path.exists(master_end) and os.path.exists(slave_end), 10):
            print("FAIL  socat made no pty pair")
            return 1
        # Speed layout values where the status text can be read back; the rest holds 1000 + r.
        seeds = ["0=100", "25=1500", "26=123", "27=0", "31=3000", "30=8", "33=0"]
        slave = subprocess.Popen([python, slave_script, "--port", slave_end, "--slave", str(SLAVE)]
                                 + [a for s in seeds for a in ("--set", s)],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = slave.stdout.readline()
        if line.strip() != "ready":
            print("FAIL  the pymodbus slave did not start: " + line + slave.stderr.read())
            return 1

        c = Checks(cli, master_end)

        code, out, err = c.run("status", "--json")
        c.expect("status --json exits 0", code == 0, err)
        try:
            values = json.loads(out.strip().splitlines()[0]) if out.strip() else {}
        except ValueError:
            values = {}
        c.expect("status --json is one JSON object per line", len(out.strip().splitlines()) == 1 and values, out)
        c.expect("MotorRpm is the seeded 1500", values.get("MotorRpm") == 1500, out)
        c.expect("MaxRpm is the seeded 3000", values.get("MaxRpm") == 3000, out)
        c.expect("DeviceIdRegister is the seeded 100", values.get("DeviceIdRegister") == 100, out)
        c.expect("SpeedFeedback comes from register 9", values.get("SpeedFeedback") == 1009, out)
        c.expect("the speed layout has no PositionHigh", "PositionHigh" not in values, out)

        code, out, err = c.run("status")
        c.expect("status text shows the speed", code == 0 and "speed: 1500 RPM" in out, out + err)
        c.expect("status text shows the current", "current: 1.23 A" in out, out)
        c.expect("status text shows no reducer", "reducer none" in out, out)

        code, out, err = c.run("--json", "--every", "50", "--count", "3", "status")
        c.expect("status --every 50 --count 3 gives three lines", code == 0 and len(out.strip().splitlines()) == 3, out + err)

        code, out, err = c.run("write", "31", "2500")
        c.expect("write 31 2500 is confirmed", code == 0 and "confirmed" in out, out + err)
        code, out, err = c.run("read", "31")
        c.expect("read 31 gives 2500 back", code == 0 and out.strip() == "31 = 2500 (0x09C4)", out + err)

        code, out, err = c.run("write", "0x20", "-2")
        code2, out2, err2 = c.run("read", "31", "2")
        c.expect("a negative value goes out in two's complement",
                 code == 0 and code2 == 0 and out2.strip().splitlines() == ["31 = 2500 (0x09C4)", "32 = 65534 (0xFFFE)"],
                 out + err + out2 + err2)

        code, out, err = c.run("--type", "position", "write-position", "-70000")
        code2, out2, err2 = c.run("read", "33", "2")
        # -70000 = 0xFFFEEE90: high word first.
        c.expect("write-position writes both words, high first",
                 code == 0 and out2.strip().splitlines() == ["33 = 65534 (0xFFFE)", "34 = 61072 (0xEE90)"],
                 out + err + out2 + err2)
        code, out, err = c.run("--type", "position", "status")
        c.expect("position status reads the target back", code == 0 and "target position: -70000 steps" in out, out + err)

        code, out, err = c.run("--slave", "7", "status")
        c.expect("a wrong slave address is no answer (exit 4)", code == 4 and "no answer" in err, "%d %s" % (code, err))

        code, out, err = c.run("write", "0x0300", "1")
        c.expect("an exception answer is a bad answer (exit 5)", code == 5 and "exception" in err, "%d %s" % (code, err))

        code, out, err = subprocess.run([cli, "--port", os.path.join(folder, "none"), "status"],
                                        capture_output=True, text=True, timeout=30).returncode, "", ""
        c.expect("a port that is not there exits 3", code == 3, str(code))

        if slave.poll() is not None:
            c.expect("the slave is still running", False, slave.stderr.read())
        return 0 if c.failures == 0 else 1
    finally:
        stop(slave)
        stop(pair)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
