"""How the module runs the program: alone, and within its time limit."""
from __future__ import (absolute_import, division, print_function)
__metaclass__ = type

import os
import subprocess
import sys

import pytest
from ansible_collections.tavrel.wine.plugins.modules import proxy_client

ENV = dict(PATH="/usr/bin:/bin", LC_ALL="C.UTF-8")


class Failed(Exception):
    def fail_json(self, **result):  # as the module's, ends the task
        raise Failed(result["msg"])


def test_a_run_starts_a_session_of_its_own_with_no_input_and_the_environment_given():
    os.dup2(os.pipe()[0], 0)  # an input that the run must not inherit
    script = "import os; print(os.getsid(0) == os.getpid(), os.readlink('/proc/self/fd/0'), sorted(os.environ))"
    assert proxy_client.run(Failed(), [sys.executable, "-c", script], ENV) == "True /dev/null ['LC_ALL', 'PATH']\n"


def test_a_run_past_the_time_limit_is_killed_with_its_process_group(monkeypatch, tmp_path):
    monkeypatch.setattr(proxy_client, "TIME_LIMIT", 1)
    with pytest.raises(Failed, match="^/bin/sh -c .* gave no answer within 1 s: killed$"):
        proxy_client.run(Failed(), ["/bin/sh", "-c", "flock %s sleep 60 & wait" % (tmp_path / "lock")], ENV)
    # The lock that a grandchild held is free once the last of the group is gone.
    assert subprocess.run(["flock", "-w", "10", str(tmp_path / "lock"), "true"], check=False).returncode == 0
