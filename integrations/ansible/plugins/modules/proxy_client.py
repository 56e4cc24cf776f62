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
options:
  state:
    description: C(enabled) writes C(Disable=0), C(disabled) writes C(Disable=1).
    type: str
    choices: [enabled, disabled]
    required: true
  prefix:
    description:
      - The Wine prefix whose C(drive_c/windows/win.ini) holds the key.
      - A leading C(~) is the acting user's home (the I(owner)'s when given).
      - Without I(prefix) and I(windir), the program decides as it does from a shell
        (C(tavrel --help) tells how); with I(owner), from the owner's home.
    type: str
  windir:
    description:
      - The Windows directory holding C(win.ini), as C($WINDIR) gives it to the program.
      - Mutually exclusive with I(prefix).
    type: str
  owner:
    description:
      - The user whose prefix it is. C(tavrel) then runs as that user (through C(runuser)),
        with that user's home, so its reads and writes have only that user's rights.
      - Needs the module to run as root (C(become=true)), unless the owner is the connecting user.
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
    description: Shows the line C(Disable=...) before and after, headed by the file's path.
  platform:
    support: full
    platforms: posix
    description: Runs on Linux hosts that have the C(tavrel) program (package C(tavrel)).
requirements:
  - the C(tavrel) program, with its option C(--path), on the managed host
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

from ansible.module_utils.basic import AnsibleModule

LINES = {"enabled": "Disable=0\n", "disabled": "Disable=1\n", "unread": "Disable=\n"}
SWITCHES = {"enabled": "/on", "disabled": "/off"}


def acting_user(module):
    """The password entry of the user tavrel runs as, and whether runuser must switch to it."""
    owner = module.params["owner"]
    if owner is None:
        return None, False
    try:
        entry = pwd.getpwnam(owner)
    except KeyError:
        module.fail_json(msg="owner %s: no such user" % owner)
    if entry.pw_uid == os.geteuid():
        return entry, False
    if os.geteuid() != 0:
        module.fail_json(msg="owner %s: acting as another user needs root (become: true)" % owner)
    return entry, True


def environment(module, user):
    """The variables given to tavrel: which file it uses is the program's own rule."""
    update = {"HOME": user.pw_dir} if user else {}
    if module.params["windir"] is not None:
        update.update(WINDIR=module.params["windir"])
    elif module.params["prefix"] is not None:
        prefix = module.params["prefix"]
        if prefix == "~" or prefix.startswith("~/"):
            home = user.pw_dir if user else os.environ.get("HOME") or pwd.getpwuid(os.geteuid()).pw_dir
            prefix = home + prefix[1:]
        update.update(WINDIR="", WINEPREFIX=prefix)
    elif user:
        update.update(WINDIR="", WINEPREFIX="")
    return update


def run(module, command, update, argument):
    """What tavrel printed; a failure ends the task with the program's own last line."""
    rc, out, err = module.run_command(command + [argument], environ_update=update, cwd="/")
    if rc != 0:
        lines = err.strip().splitlines()
        module.fail_json(msg=lines[-1] if lines else "tavrel %s ended with status %d" % (argument, rc), rc=rc)
    return out


def read_state(module, command, update):
    state = run(module, command, update, "--state").strip()
    if state not in LINES:
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
    user, switch_user = acting_user(module)
    update = environment(module, user)
    command = [module.params["executable"] or module.get_bin_path("tavrel", required=True)]
    if switch_user:
        command = [module.get_bin_path("runuser", required=True), "-u", user.pw_name, "--"] + command
    wanted = module.params["state"]
    win_ini = run(module, command, update, "--path")
    win_ini = win_ini[:-1] if win_ini.endswith("\n") else win_ini
    before = read_state(module, command, update)
    after = wanted
    if before != wanted and not module.check_mode:
        run(module, command, update, SWITCHES[wanted])
        after = read_state(module, command, update)
        if after != wanted:
            module.fail_json(msg="%s still reads %s after tavrel %s" % (win_ini, after, SWITCHES[wanted]))
    result = dict(changed=before != wanted, before=before, after=after, win_ini=win_ini)
    if module._diff and before != wanted:
        result["diff"] = dict(before=LINES[before], after=LINES[wanted], before_header=win_ini, after_header=win_ini)
    module.exit_json(**result)


if __name__ == "__main__":
    main()
