#!/usr/bin/python3
# Ansible module: switches the proxy client of a Wine prefix through the tavrel program,
# which stays the only writer of win.ini.

DOCUMENTATION = r"""
module: tavrel
short_description: Switch the proxy client of a Wine prefix on or off
description:
  - Reads the key C(Disable) of section C([Microsoft Proxy Service]) in C(win.ini) with
    C(tavrel --state), and runs C(tavrel /on) or C(tavrel /off) only when the state differs.
  - The module never edits C(win.ini) itself; the C(tavrel) program is its only writer.
  - Supports check mode (nothing is written) and diff mode (the line C(Disable=...) that changes).
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
        (C($WINDIR), else C($WINEPREFIX), else C(~/.wine)); with I(owner), the owner's C(~/.wine).
    type: str
  windir:
    description:
      - The Windows directory holding C(win.ini), as C($WINDIR) gives it to the program.
      - Mutually exclusive with I(prefix).
    type: str
  owner:
    description:
      - The user whose prefix it is. C(tavrel) then runs as that user (through C(runuser)),
        with that user's home, so the write has only that user's rights.
      - Needs the module to run as root (C(become=true)), unless the owner is the connecting user.
    type: str
  executable:
    description: Path of the C(tavrel) program; found on C(PATH) when not given.
    type: path
notes:
  - I(path) mirrors the program's own rule for which C(win.ini) it uses.
requirements: [tavrel]
author: Tavrel developers
"""

EXAMPLES = r"""
- name: Switch off the proxy client in alice's default prefix
  become: true
  tavrel:
    state: disabled
    owner: alice

- name: Switch it on in a prefix of the connecting user
  tavrel:
    state: enabled
    prefix: ~/.wine-office
"""

RETURN = r"""
before:
  description: The state read before the task (C(unread) when the key holds no value).
  returned: always
  type: str
  sample: enabled
after:
  description: The state after the task (in check mode, the state it would have).
  returned: always
  type: str
  sample: disabled
path:
  description: The C(win.ini) the program reads and writes.
  returned: always
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
    """The variables given to tavrel, and the environment it then sees."""
    if user:
        home = user.pw_dir
    else:  # as the program: HOME, or the password database's home when HOME is unset or empty
        home = os.environ.get("HOME") or pwd.getpwuid(os.getuid()).pw_dir
    update = {"HOME": home} if user else {}
    if module.params["windir"] is not None:
        update.update(WINDIR=module.params["windir"])
    elif module.params["prefix"] is not None:
        prefix = module.params["prefix"]
        if prefix == "~" or prefix.startswith("~/"):
            prefix = home + prefix[1:]
        update.update(WINDIR="", WINEPREFIX=prefix)
    elif user:
        update.update(WINDIR="", WINEPREFIX="")
    seen = dict(os.environ, **update)
    seen["HOME"] = home
    return update, seen


def win_ini(seen):
    """The program's rule: $WINDIR, else $WINEPREFIX/drive_c/windows, WINEPREFIX defaulting to ~/.wine."""
    directory = seen.get("WINDIR", "")
    if not directory:
        prefix = seen.get("WINEPREFIX") or (seen["HOME"] + "/.wine" if seen["HOME"] else "")
        directory = prefix + "/drive_c/windows" if prefix else ""
    return directory + "/win.ini"


def run(module, command, update, *args):
    rc, out, err = module.run_command(command + list(args), environ_update=update, cwd="/")
    if rc != 0:
        lines = err.strip().splitlines()
        module.fail_json(msg=lines[-1] if lines else "tavrel %s ended with status %d" % (" ".join(args), rc), rc=rc)
    return out.strip()


def read_state(module, command, update):
    state = run(module, command, update, "--state")
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
    update, seen = environment(module, user)
    command = [module.params["executable"] or module.get_bin_path("tavrel", required=True)]
    if switch_user:
        command = [module.get_bin_path("runuser", required=True), "-u", user.pw_name, "--"] + command
    wanted = module.params["state"]
    path = win_ini(seen)
    before = read_state(module, command, update)
    after = wanted
    if before != wanted and not module.check_mode:
        run(module, command, update, SWITCHES[wanted])
        after = read_state(module, command, update)
        if after != wanted:
            module.fail_json(msg="%s still reads %s after tavrel %s" % (path, after, SWITCHES[wanted]))
    result = dict(changed=before != wanted, before=before, after=after, path=path)
    if module._diff and before != wanted:
        result["diff"] = dict(before=LINES[before], after=LINES[wanted], before_header=path, after_header=path)
    module.exit_json(**result)


if __name__ == "__main__":
    main()
