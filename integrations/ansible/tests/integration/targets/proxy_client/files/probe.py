# -*- coding: utf-8 -*-
# Copyright (c) 2026, The Tavrel developers
# SPDX-License-Identifier: MIT
"""As a prefix's owner: holds the lock beside its win.ini, so that a switch waits for it,
and once the switch runs, looks at every process whose environment the owner may read (as
it may trace it) for root's environment (MARKER), and at tavrel's for a terminal.
probe.py PREFIX TAVREL MARKER: writes PREFIX/ready once it holds the lock, then
PREFIX/report, "clean" or what it found, and lets the lock go."""
import fcntl
import glob
import os
import sys
import time

PREFIX, TAVREL, MARKER = (argument.encode() for argument in sys.argv[1:])


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def switching(process):
    """Whether the process is tavrel /on, acting as this user."""
    cmdline = read(process + "/cmdline") or b""
    return TAVREL + b"\0" in cmdline and cmdline.endswith(b"\0/on\0") and \
        b"\nUid:\t%d\t" % os.getuid() in (read(process + "/status") or b"")


with open(PREFIX + b"/drive_c/windows/.win.ini.tavrel-lock", "wb") as lock:
    fcntl.lockf(lock, fcntl.LOCK_EX)
    open(PREFIX + b"/ready", "wb").close()
    deadline = time.monotonic() + 8
    while not any(switching(process) for process in glob.glob("/proc/[0-9]*")) and time.monotonic() < deadline:
        time.sleep(0.02)
    found = [] if time.monotonic() < deadline else ["no run of tavrel /on acted as the owner"]
    for process in glob.glob("/proc/[0-9]*"):
        environ, stat, cmdline = (read(process + name) or b"" for name in ("/environ", "/stat", "/cmdline"))
        if MARKER in environ:
            found.append("%r shows root's environment" % cmdline)
        if environ and stat and TAVREL + b"\0" in cmdline and stat.rsplit(b")", 1)[1].split()[4] != b"0":
            found.append("%r holds a terminal" % cmdline)
    with open(PREFIX + b"/report", "w") as report:
        report.write("\n".join(found) or "clean")
