"""probe.py PREFIX TAVREL MARKER, as the prefix's owner: keeps its win.ini open (so that no lease
can be had) and holds the lock beside it while tavrel /on waits for them as the owner, and writes
to PREFIX/report what the owner sees meanwhile:
MARKER in a process whose environment it may read (so may trace), or such a tavrel with a tty."""
import fcntl
import glob
import os
import sys
import time

PREFIX, TAVREL, MARKER = (argument.encode() for argument in sys.argv[1:])


def read(process, name):
    try:
        with open(process + name, "rb") as f:
            return f.read()
    except OSError:
        return b""


with open(PREFIX + b"/drive_c/windows/.win.ini.tavrel-lock", "wb") as lock, \
        open(PREFIX + b"/drive_c/windows/win.ini", "rb"):
    fcntl.lockf(lock, fcntl.LOCK_EX)
    open(PREFIX + b"/ready", "wb").close()
    deadline, me = time.monotonic() + 8, b"\nUid:\t%d\t" % os.getuid()
    while time.monotonic() < deadline and not any(TAVREL + b"\0" in read(p, "/cmdline") and read(p, "/cmdline").endswith(b"\0/on\0")
                                                  and me in read(p, "/status") for p in glob.glob("/proc/[0-9]*")):
        time.sleep(0.02)
    found = [] if time.monotonic() < deadline else ["no tavrel /on acted as the owner"]
    for p in glob.glob("/proc/[0-9]*"):
        environ, stat, cmdline = (read(p, name) for name in ("/environ", "/stat", "/cmdline"))
        if MARKER in environ or environ and stat and TAVREL + b"\0" in cmdline and stat.split(b") ")[-1].split()[4] != b"0":
            found.append("%r shows root's environment or holds a terminal" % cmdline)
    with open(PREFIX + b"/report", "w") as report:
        report.write("\n".join(found) or "clean")
