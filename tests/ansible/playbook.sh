#!/bin/bash
# The Ansible module, by one playbook run on localhost: playbook.sh TAVREL
# Also that ansible-doc renders the module and that it compiles.
set -u
here=$(cd "$(dirname "$0")" && pwd)
module_dir=$here/../../integrations/ansible
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# nobody runs the program and owns one prefix: both must be reachable outside the checkout.
chmod 755 "$dir"
install -m 755 "$1" "$dir/tavrel"
touch "$dir/ansible.cfg"
mkdir -p "$dir/p/drive_c/windows" "$dir/n/drive_c/windows"
chown -R nobody "$dir/n"
# A WINDIR inherited from the environment must not override the prefix given.
export WINDIR=$dir/stray ANSIBLE_LIBRARY=$module_dir ANSIBLE_HOME=$dir/home ANSIBLE_LOCAL_TEMP=$dir/tmp \
  ANSIBLE_REMOTE_TEMP=$dir/tmp ANSIBLE_NOCOLOR=1 ANSIBLE_CONFIG=$dir/ansible.cfg PYTHONPYCACHEPREFIX=$dir/pycache
failed=0
check() { "$@" || { echo "FAIL: $*"; failed=1; }; }

out=$(cd "$dir" && ansible-playbook -i localhost, -c local -e ansible_python_interpreter=/usr/bin/python3 \
  -e "tavrel=$dir/tavrel dir=$dir" "$here/playbook.yml" 2>&1)
check test $? = 0
echo "$out"
check grep -qx -- "--- before: $dir/p/drive_c/windows/win.ini" <<<"$out"
check grep -qx -- "+Disable=0" <<<"$out"
check grep -q '^= state' < <(ansible-doc tavrel 2>&1)
check /usr/bin/python3 -m py_compile "$module_dir/tavrel.py"
exit $failed
