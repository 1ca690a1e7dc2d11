#!/usr/bin/env python3
"""zentor-sim as a driver on its line, with masters that misbehave: a master that writes 500
reads in one burst and closes leaves nothing for the next one, whose first answer comes alone;
a master that writes reads without waiting for 5 s neither grows the driver's memory nor keeps
SIGTERM from ending it at once; a --log whose reader has gone ends it as SIGTERM does. Needs no
other program."""

import os
import select
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import tty


STARTED = []  # every zentor-sim of the run: a failed case must not leave one running


def end_all():
    for proc in STARTED:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def fail(text):
    print("FAIL: " + text)
    end_all()
    sys.exit(1)


def crc16(data):
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return struct.pack("<H", crc)


READ_34 = bytes.fromhex("640300000022") + crc16(bytes.fromhex("640300000022"))
ANSWER_LENGTH = 3 + 2 * 34 + 2


class Sim:
    """zentor-sim on a pseudo terminal with a symlink, its log (if any) in a file or a pipe."""

    def __init__(self, program, workdir, log=None, pipe_log=False):
        self.link = os.path.join(workdir, "driver")
        args = [program, "--link", self.link] + (["--log"] if log or pipe_log else [])
        out = subprocess.PIPE if pipe_log or not log else open(log, "w")
        self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.PIPE)
        STARTED.append(self.proc)
        if out is subprocess.PIPE:
            ready, _, _ = select.select([self.proc.stdout], [], [], 15)
            if not ready:
                fail("zentor-sim printed no terminal path")
            self.path = self.proc.stdout.readline().decode().strip()
        else:
            deadline = time.monotonic() + 15
            while not os.path.lexists(self.link):
                if time.monotonic() > deadline or self.proc.poll() is not None:
                    fail("zentor-sim made no link")
                time.sleep(0.02)
            self.path = os.path.realpath(self.link)
        if not self.path.startswith("/dev/"):
            fail("first line is not a terminal path: %r" % self.path)

    def stop(self, sig, within):
        """Sends sig and waits; fails unless it ends with 0 within that many seconds, link removed."""
        sent = time.monotonic()
        self.proc.send_signal(sig)
        self.wait(within, "signal %d" % sig, sent)

    def wait(self, within, why, since=None):
        since = since if since is not None else time.monotonic()
        try:
            code = self.proc.wait(timeout=max(within, 10))
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            fail("zentor-sim did not end after %s" % why)
        took = time.monotonic() - since
        if took > within:
            fail("zentor-sim took %.2f s to end after %s" % (took, why))
        if code != 0:
            fail("zentor-sim ended with %d after %s: %s" % (code, why, self.proc.stderr.read().decode()))
        if os.path.lexists(self.link):
            fail("zentor-sim left its symlink behind after %s" % why)

    def rss_kb(self):
        with open("/proc/%d/status" % self.proc.pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        fail("no VmRSS for zentor-sim")


def open_client(path):
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)
    return fd


def read_until_quiet(fd, quiet_s=0.2, limit_s=3.0):
    """The bytes that come until the line has been quiet for quiet_s (at most limit_s)."""
    data = b""
    end = time.monotonic() + limit_s
    while time.monotonic() < end:
        ready, _, _ = select.select([fd], [], [], quiet_s)
        if not ready:
            if data:
                break
            continue
        data += os.read(fd, 4096)
    return data


def burst_then_the_next_master(program, workdir):
    log = os.path.join(workdir, "burst.log")
    sim = Sim(program, workdir, log=log)
    # The burst's master closes at once, or once the driver is busy answering it.
    for wait_for_the_first_answer in (False, True):
        first = open_client(sim.path)
        os.write(first, READ_34 * 500)
        if wait_for_the_first_answer:
            got = b""
            while len(got) < ANSWER_LENGTH:
                ready, _, _ = select.select([first], [], [], 5)
                if not ready:
                    fail("no answer to the burst")
                got += os.read(first, ANSWER_LENGTH - len(got))
        os.close(first)
        time.sleep(0.3)  # the next master comes a moment later
        second = open_client(sim.path)
        os.write(second, READ_34)
        answer = read_until_quiet(second)
        os.close(second)
        if len(answer) != ANSWER_LENGTH or answer[:3] != bytes.fromhex("640344") or crc16(answer[:-2]) != answer[-2:]:
            fail("the next master's first answer is not one answer of %d bytes but %d: %s..."
                 % (ANSWER_LENGTH, len(answer), answer[:16].hex(" ")))
    sim.stop(signal.SIGINT, 1.0)
    with open(log) as f:
        lines = f.read().splitlines()
    texts = [line.split("  ", 1)[1] for line in lines[1:] if "  " in line]
    for wanted in ("dropped: busy, 16 requests wait", "dropped: the master closed the terminal"):
        if wanted not in texts:
            fail("no log line %r among:\n%s" % (wanted, "\n".join(sorted(set(texts)))))
    # One at a time with a bounded backlog: of each burst the driver took at most the first
    # request and the 16 that waited behind it; and each next master's.
    answered = [t for t in texts if t == "read 34 registers from 0"]
    if len(answered) > 2 * 18:
        fail("%d requests were served; 16 wait at most besides the one answered" % len(answered))


def flood(program, workdir):
    sim = Sim(program, workdir)
    client = open_client(sim.path)
    stop = threading.Event()

    def write_without_waiting():
        chunk = READ_34 * 64
        while not stop.is_set():
            try:
                os.write(client, chunk)
            except OSError:
                return

    writer = threading.Thread(target=write_without_waiting, daemon=True)
    writer.start()
    time.sleep(1.0)
    early = sim.rss_kb()
    time.sleep(4.0)
    late = sim.rss_kb()
    if late - early > 8 * 1024:
        fail("a flood of reads grew zentor-sim from %d kB to %d kB in 4 s" % (early, late))
    sim.stop(signal.SIGTERM, 1.0)  # while the flood goes on
    stop.set()
    os.close(client)
    writer.join(5)


def log_into_a_closed_pipe(program, workdir):
    sim = Sim(program, workdir, pipe_log=True)
    sim.proc.stdout.close()  # as `| head -1` does after the terminal's path
    client = open_client(sim.path)
    os.write(client, READ_34)
    sim.wait(2.0, "its log's reader went away")
    os.close(client)


def main():
    if len(sys.argv) != 2:
        fail("usage: e2e_sim_line.py PATH-TO-zentor-sim")
    for case in (burst_then_the_next_master, flood, log_into_a_closed_pipe):
        workdir = tempfile.mkdtemp(prefix="zentor-sim-line-")
        case(sys.argv[1], workdir)
        for name in os.listdir(workdir):
            os.unlink(os.path.join(workdir, name))
        os.rmdir(workdir)
        print("%s: ok" % case.__name__)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    finally:
        end_all()
