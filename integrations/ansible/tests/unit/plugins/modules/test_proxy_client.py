"""How the module runs the program: alone, within its time limit, in the file that the task names,
and failing the task with the program's reason whenever the program fails or does not switch."""
from __future__ import (absolute_import, division, print_function)
__metaclass__ = type

import json
import os
import pwd
import subprocess
import sys

import pytest
from ansible.module_utils import basic
from ansible_collections.tavrel.wine.plugins.modules import proxy_client

ENV = dict(PATH="/usr/bin:/bin", LC_ALL="C.UTF-8")
MINE, NOBODYS = pwd.getpwuid(os.geteuid()).pw_dir, pwd.getpwnam("nobody").pw_dir


class Failed(Exception):
    def fail_json(self, **result):  # as the module's, ends the task
        raise Failed(result["msg"])


@pytest.mark.parametrize("prefix, windir, owner, names", [
    ("~/.wine-office", None, "nobody", dict(WINEPREFIX=NOBODYS + "/.wine-office")),  # the owner's home
    ("~", None, None, dict(WINEPREFIX=MINE)),  # the acting user's
    ("~nobody/w", None, None, dict(WINEPREFIX="~nobody/w")),  # only ~ and ~/ are expanded
    ("~/w", None, "no-such-user", dict(WINEPREFIX="~/w")),  # left for the program to refuse
    (None, "/srv/w/windows", "nobody", dict(WINDIR="/srv/w/windows")),
    (None, None, None, {}),  # the program's own default
])
def test_the_environment_names_the_file_and_nothing_else(prefix, windir, owner, names):
    env = proxy_client.environment(dict(prefix=prefix, windir=windir, owner=owner))
    assert env == dict(PATH="/usr/sbin:/usr/bin:/sbin:/bin", LC_ALL="C.UTF-8", **names)


def test_a_run_starts_a_session_of_its_own_with_no_input_and_the_environment_given():
    os.dup2(os.pipe()[0], 0)  # an input that the run must not inherit
    script = "import os; print(os.getsid(0) == os.getpid(), os.readlink('/proc/self/fd/0'), sorted(os.environ))"
    assert proxy_client.run(Failed(), [sys.executable, "-c", script], ENV) == "True /dev/null ['LC_ALL', 'PATH']\n"


@pytest.mark.parametrize("command, reason", [
    ([sys.executable, "-c", "import sys; sys.exit('tavrel: first\\ntavrel: last')"], "^tavrel: last$"),
    ([sys.executable, "-c", "raise SystemExit(3)"], "raise SystemExit\\(3\\) --state ended with status 3$"),
    (["/nonexistent/tavrel"], "^cannot run /nonexistent/tavrel: No such file or directory$"),
    ([sys.executable, "-c", "print('maybe')"], "^tavrel --state printed 'maybe', not enabled, disabled or unread$"),
])
def test_a_run_that_fails_or_reads_no_state_fails_the_task_with_its_reason(command, reason):
    with pytest.raises(Failed, match=reason):
        proxy_client.read_state(Failed(), command, ENV)


def test_a_switch_that_does_not_take_fails_the_task(tmp_path, monkeypatch):
    (tmp_path / "tavrel").write_text("#!/bin/sh\ncase $1 in --path) echo /w/win.ini;; --state) echo enabled;; esac\n")
    (tmp_path / "tavrel").chmod(0o755)
    arguments = dict(state="disabled", executable=str(tmp_path / "tavrel"))
    monkeypatch.setattr(basic, "_ANSIBLE_ARGS", json.dumps(dict(ANSIBLE_MODULE_ARGS=arguments)).encode())
    monkeypatch.setattr(basic.AnsibleModule, "fail_json", Failed.fail_json)
    with pytest.raises(Failed, match="^/w/win.ini still reads enabled after tavrel /off$"):
        proxy_client.main()


def test_a_run_past_the_time_limit_is_killed_with_its_process_group(monkeypatch, tmp_path):
    monkeypatch.setattr(proxy_client, "TIME_LIMIT", 1)
    with pytest.raises(Failed, match="^/bin/sh -c .* gave no answer within 1 s: killed$"):
        proxy_client.run(Failed(), ["/bin/sh", "-c", "flock %s sleep 60 & wait" % (tmp_path / "lock")], ENV)
    # The lock that a grandchild held is free once the last of the group is gone.
    assert subprocess.run(["flock", "-w", "10", str(tmp_path / "lock"), "true"], check=False).returncode == 0
