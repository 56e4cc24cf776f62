# -*- coding: utf-8 -*-
# Copyright (c) 2026, The Tavrel developers
# SPDX-License-Identifier: MIT
"""The module's own logic: which runs of tavrel it makes, with what environment, and how."""

from __future__ import (absolute_import, division, print_function)
__metaclass__ = type

import json
import os
import sys
import time

import pytest
from ansible.module_utils import basic
from ansible_collections.tavrel.wine.plugins.modules import proxy_client

INI = "/p/drive_c/windows/win.ini"
DIFF = "--- %s\n+++ %s\n@@ -3 +3 @@ [Microsoft Proxy Service]\n-Disable=0\n+Disable=1\n" % (INI, INI)
ENV = dict(PATH="/usr/sbin:/usr/bin:/sbin:/bin", LC_ALL="C.UTF-8")
USAGE = "tavrel --user USER CMD\ntavrel --diff /on | /off\n"


class Done(Exception):
    """The module ended (exit_json or fail_json) with this result."""

    def fail_json(self, **result):
        raise Done(result)


def play(monkeypatch, args, answers):
    """The module's result for `args`, and the runs it made (arguments, environment), each
    printing the next of `answers`."""
    runs = []
    monkeypatch.setattr(basic, "_ANSIBLE_ARGS", json.dumps(dict(ANSIBLE_MODULE_ARGS=dict(args, executable="/t"))).encode())
    monkeypatch.setattr(proxy_client, "run", lambda module, command, env: runs.append((" ".join(command), env)) or answers.pop(0))
    monkeypatch.setattr(basic.AnsibleModule, "exit_json", Done.fail_json)
    monkeypatch.setattr(basic.AnsibleModule, "fail_json", Done.fail_json)
    with pytest.raises(Done) as done:
        proxy_client.main()
    return done.value.args[0], runs


def test_owner_and_the_diff_in_check_mode(monkeypatch):
    args = dict(state="disabled", owner="nobody", prefix="~/w", _ansible_check_mode=True, _ansible_diff=True)
    result, runs = play(monkeypatch, args, [USAGE, INI + "\n", "enabled\n", DIFF])
    env = dict(ENV, WINEPREFIX=os.path.expanduser("~nobody/w"))
    assert runs == [("/t --help", env)] + [("/t --user nobody " + c, env) for c in ("--path", "--state", "--diff /off")]
    assert result == dict(changed=True, before="enabled", after="disabled", win_ini=INI,
                          diff=dict(before_header=INI, after_header=INI, prepared=DIFF))


def test_switch_reads_the_state_again(monkeypatch):
    result, runs = play(monkeypatch, dict(state="enabled", windir="/w"), [INI + "\n", "unread\n", "", "enabled\n"])
    assert runs == [("/t " + c, dict(ENV, WINDIR="/w")) for c in ("--path", "--state", "/on", "--state")]
    assert result == dict(changed=True, before="unread", after="enabled", win_ini=INI)


@pytest.mark.parametrize("args, answers, message, made", [
    # An older tavrel would take the /on of "--diff /on" for a switch: it is not asked.
    (dict(_ansible_diff=True), ["Usage: tavrel [/on | /off]\n"], "/t has no --user or --diff", 1),
    (dict(), [INI, "enabled\n", "", "enabled\n"], INI + " still reads enabled after tavrel /off", 4),
])
def test_failures(monkeypatch, args, answers, message, made):
    result, runs = play(monkeypatch, dict(args, state="disabled"), answers)
    assert result["msg"].startswith(message) and len(runs) == made


def test_a_run_is_alone():
    os.dup2(os.pipe()[0], 0)  # a standard input that the run must not inherit
    script = "import os; print(os.getsid(0) == os.getpid(), os.readlink('/proc/self/fd/0'), sorted(os.environ))"
    assert proxy_client.run(Done(), [sys.executable, "-c", script], ENV) == "True /dev/null ['LC_ALL', 'PATH']\n"


def test_a_run_past_the_time_limit_is_killed_with_its_group(monkeypatch, tmp_path):
    monkeypatch.setattr(proxy_client, "TIME_LIMIT", 1)
    with pytest.raises(Done, match="no answer within 1 s: killed"):
        proxy_client.run(Done(), ["/bin/sh", "-c", "sleep 60 & echo $! >%s; wait" % (tmp_path / "pid")], ENV)
    stat = "/proc/%s/stat" % (tmp_path / "pid").read_text().strip()
    deadline = time.monotonic() + 10
    while not killed(stat) and time.monotonic() < deadline:
        time.sleep(0.01)
    assert killed(stat)


def killed(stat):
    """Whether the process is gone, or dead and waiting for its parent."""
    try:
        with open(stat) as f:
            return f.read().split(") ")[1][0] == "Z"
    except OSError:
        return True
