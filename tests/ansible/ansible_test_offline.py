#!/usr/bin/python3
"""ansible-test, offline: each sanity test's Python environment is made from Debian's packages
(pylint, pycodestyle, yamllint, voluptuous, ...) instead of PyPI's, which this machine cannot
reach. Units and integration, on this Python, install nothing: pytest is Debian's."""

# pylint: disable=protected-access  # the two steps to replace are ansible-test's own
from ansible_test._internal import main, venv
from ansible_test._internal.commands import sanity

def with_system_packages(args, python, path, system_site_packages=False, pip=False):
    del system_site_packages
    return venv.create_virtual_environment(args, python, path, True, pip)

sanity.create_virtual_environment = with_system_packages
sanity.run_pip = lambda *arguments: None
main()
