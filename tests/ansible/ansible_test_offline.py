#!/usr/bin/python3
"""ansible-test, offline: each sanity test's Python environment is made from Debian's packages
(pylint, pycodestyle, yamllint, voluptuous, ...) instead of PyPI's, which this machine cannot
reach. Units and integration, on this Python, install nothing: pytest is Debian's."""
import inspect
import sys

from ansible.release import __version__

# pylint: disable=protected-access  # the two steps to replace are ansible-test's own
try:  # ansible-test's steps as ansible-core 2.14 has them, the one this was written for
    from ansible_test._internal import main, venv
    from ansible_test._internal.commands import sanity
    SAME = [list(inspect.signature(step).parameters) for step in (sanity.create_virtual_environment, sanity.run_pip)] == [
        ["args", "python", "path", "system_site_packages", "pip"], ["args", "python", "commands", "connection"]]
except (ImportError, AttributeError):
    SAME = False
if not SAME:
    sys.exit("ansible_test_offline.py knows ansible-core 2.14: ansible-test's create_virtual_environment and run_pip "
             "differ in ansible-core %s, so it cannot run it offline" % __version__)


def with_system_packages(args, python, path, system_site_packages=False, pip=False):
    del system_site_packages
    return venv.create_virtual_environment(args, python, path, True, pip)


sanity.create_virtual_environment = with_system_packages
sanity.run_pip = lambda *arguments: None
main()
