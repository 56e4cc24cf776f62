#!/usr/bin/python
# -*- coding: utf-8 -*-

# Copyright (c) 2026, The Tavrel developers
# MIT License (see LICENSE or https://opensource.org/licenses/MIT)
# SPDX-License-Identifier: MIT

from __future__ import (absolute_import, division, print_function)
__metaclass__ = type

DOCUMENTATION = r"""
module: proxy_client
short_description: Switch the proxy client of a Wine prefix on or off
version_added: 2.0.0
description:
  - Asks the C(tavrel) program which C(win.ini) it uses (C(tavrel --path)) and reads the key
    C(Disable) of section C([Microsoft Proxy Service]) there (C(tavrel --state)); runs
    C(tavrel /on) or C(tavrel /off) only when the state differs.
  - The module never reads or edits C(win.ini) itself; the C(tavrel) program is its only
    reader and writer, and decides which file that is.
  - A C(win.ini) that the program cannot look at (a missing prefix, a file it may not read)
    fails the task with the program's reason, in check mode too.
  - Every run of the program starts in a session of its own, without a terminal, with standard
    input from C(/dev/null) and an environment of its own (C(PATH), C(LC_ALL), and C(WINEPREFIX)
    or C(WINDIR) from I(prefix) or I(windir)); nothing of the module's environment, such as what
    the play sets with C(environment), reaches it. The program ends every run within 60 seconds;
    one still going after 75 seconds is killed and fails the task.
options:
  state:
    description: C(enabled) writes C(Disable=0), C(disabled) writes C(Disable=1).
    type: str
    choices: [enabled, disabled]
    required: true
  prefix:
    description:
      - The Wine prefix whose C(drive_c/windows/win.ini) holds the key.
      - A leading C(~) is the home directory that the password database gives for the acting
        user (the I(owner) when given).
      - Without I(prefix) and I(windir), the prefix is C(~/.wine).
    type: str
  windir:
    description:
      - The Windows directory holding C(win.ini), as C($WINDIR) gives it to the program.
      - Mutually exclusive with I(prefix).
    type: str
  owner:
    description:
      - The user whose prefix it is. The program itself acts as that user (C(tavrel --user)).
        Root's run of it hands the work to a child that has taken the owner's identity from the
        start, so every read and write has only that user's rights, and the owner can neither
        trace that child nor read its memory or environment. The module never starts a process
        as another user.
      - Needs the module to run as root (C(become=true)), unless the owner is the acting user.
    type: str
  executable:
    description: Path of the C(tavrel) program; found on C(PATH) when not given.
    type: path
attributes:
  check_mode:
    support: full
    description: Reads the state and reports what would change; writes nothing.
  diff_mode:
    support: full
    description:
      - The diff that C(tavrel --diff) prints for the switch, taken before it (in check mode,
        instead of it), headed by the file's path; the changed lines with their line numbers in
        the file and the section as context. A key or section that is added shows as added lines only.
  platform:
    support: full
    platforms: posix
    description: Runs on Linux hosts that have the C(tavrel) program (package C(tavrel)).
requirements:
  - the C(tavrel) program 2.0.0 or later (options C(--path), C(--diff) and C(--user)) on the managed host
author:
  - Tavrel developers (@tavrel)
"""

EXAMPLES = r"""
- name: Switch off the proxy client in alice's default prefix
  become: true
  tavrel.wine.proxy_client:
    state: disabled
    owner: alice

- name: Switch it on in a prefix of the connecting user
  tavrel.wine.proxy_client:
    state: enabled
    prefix: ~/.wine-office
"""

RETURN = r"""
before:
  description: The state read before the task (C(unread) when the key holds no value).
  returned: success
  type: str
  sample: enabled
after:
  description: The state after the task (in check mode, the state it would have).
  returned: success
  type: str
  sample: disabled
win_ini:
  description: The C(win.ini) that the program reads and writes, as C(tavrel --path) prints it.
  returned: success
  type: str
  sample: /home/alice/.wine/drive_c/windows/win.ini
"""

import os
import pwd
import signal
import subprocess

from ansible.module_utils.basic import AnsibleModule

SWITCHES = {"enabled": "/on", "disabled": "/off"}
# The program ends every run within 60 s: one still going after this is stuck (stopped, say).
TIME_LIMIT = 75


def environment(params):
    """The whole environment of tavrel: what names the file, nothing of the module's own
    (which holds what the play set with `environment:`, a password say)."""
    env = dict(PATH="/usr/sbin:/usr/bin:/sbin:/bin", LC_ALL="C.UTF-8")
    if params["windir"] is not None:
        env.update(WINDIR=params["windir"])
    elif params["prefix"] is not None:
        prefix = params["prefix"]
        if prefix == "~" or prefix.startswith("~/"):
            try:
                user = pwd.getpwuid(os.geteuid()) if params["owner"] is None else pwd.getpwnam(params["owner"])
                prefix = user.pw_dir + prefix[1:]
            except KeyError:
                pass  # no such owner: the program says so
        env.update(WINEPREFIX=prefix)
    return env


def run(module, command, env):
    """What the command printed. It runs in a session of its own, without a terminal or
    standard input, and is killed with its process group when still going after TIME_LIMIT.
    A failure ends the task with the command's last line on standard error."""
    try:
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, env=env, cwd="/", start_new_session=True)
    except OSError as error:
        module.fail_json(msg="cannot run %s: %s" % (command[0], error.strerror))
    try:
        out, err = process.communicate(timeout=TIME_LIMIT)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        module.fail_json(msg="%s gave no answer within %g s: killed" % (" ".join(command), TIME_LIMIT))
    if process.returncode != 0:
        lines = err.decode("utf-8", "replace").strip().splitlines()
        module.fail_json(msg=lines[-1] if lines else "%s ended with status %d" % (" ".join(command), process.returncode),
                         rc=process.returncode)
    return out.decode("utf-8", "replace")


def read_state(module, command, env):
    state = run(module, command + ["--state"], env).strip()
    if state not in ("enabled", "disabled", "unread"):
        module.fail_json(msg="tavrel --state printed %r, not enabled, disabled or unread" % state)
    return state


def main():
    module = AnsibleModule(
        argument_spec=dict(
            state=dict(type="str", required=True, choices=["enabled", "disabled"]),
            prefix=dict(type="str"),
            windir=dict(type="str"),
            owner=dict(type="str"),
            executable=dict(type="path"),
        ),
        mutually_exclusive=[("prefix", "windir")],
        supports_check_mode=True,
    )
    params = module.params
    tavrel = params["executable"] or module.get_bin_path("tavrel", required=True)
    # The program itself becomes the owner: the child that acts as the owner is one that the
    # owner cannot trace, and it holds no terminal of root's.
    command = [tavrel] + (["--user", params["owner"]] if params["owner"] is not None else [])
    env = environment(params)
    if params["owner"] is not None or module._diff:
        # An older tavrel finds the /on of "--diff /on" and would switch.
        usage = run(module, [tavrel, "--help"], env)
        if "--user" not in usage or "--diff" not in usage:
            module.fail_json(msg="%s has no --user or --diff, which owner and diff mode need: update tavrel" % tavrel)
    wanted = params["state"]
    win_ini = run(module, command + ["--path"], env)
    win_ini = win_ini[:-1] if win_ini.endswith("\n") else win_ini
    before = read_state(module, command, env)
    result = dict(changed=before != wanted, before=before, after=wanted, win_ini=win_ini)
    if before != wanted and module._diff:
        # The program's own diff of the switch, taken before it (in check mode, instead of it).
        prepared = run(module, command + ["--diff", SWITCHES[wanted]], env)
        result.update(diff=dict(before_header=win_ini, after_header=win_ini, prepared=prepared))
    if before != wanted and not module.check_mode:
        run(module, command + [SWITCHES[wanted]], env)
        result.update(after=read_state(module, command, env))
        if result["after"] != wanted:
            module.fail_json(msg="%s still reads %s after tavrel %s" % (win_ini, result["after"], SWITCHES[wanted]))
    module.exit_json(**result)


if __name__ == "__main__":
    main()
