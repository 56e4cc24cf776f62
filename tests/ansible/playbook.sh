#!/bin/bash
# The module tavrel.wine.proxy_client, by one playbook run on localhost: playbook.sh TAVREL
# COLLECTIONS (the build directory, which holds the staged ansible_collections/tavrel/wine).
set -u
. "$(dirname "$0")/../support/fixture.sh"
here=$(cd "$(dirname "$0")" && pwd)
dir=$scratch
install -m 755 "$1" "$dir/tavrel"
touch "$dir/ansible.cfg"
# Prefixes: p and c root's, n nobody's, u root's with a win.ini that only root may read.
mkdir -p "$dir"/{p,c,n,u}/drive_c/windows
chown -R nobody "$dir/n"
printf '[Microsoft Proxy Service]\r\nDisable=1\r\n' >"$dir/u/drive_c/windows/win.ini"
chmod 600 "$dir/u/drive_c/windows/win.ini"
# A WINDIR inherited from the environment must not override the prefix given.
export WINDIR=$dir/stray ANSIBLE_COLLECTIONS_PATH=$2 ANSIBLE_HOME=$dir/home ANSIBLE_LOCAL_TEMP=$dir/tmp \
  ANSIBLE_REMOTE_TEMP=$dir/tmp ANSIBLE_NOCOLOR=1 ANSIBLE_CONFIG=$dir/ansible.cfg PYTHONPYCACHEPREFIX=$dir/pycache

out=$(cd "$dir" && ansible-playbook -i localhost, -c local -e ansible_python_interpreter=/usr/bin/python3 \
  -e "tavrel=$dir/tavrel dir=$dir" "$here/playbook.yml" 2>&1)
check "the playbook's assertions hold" test $? = 0
echo "$out"
check "diff mode names the file" grep -qx -- "--- before: $dir/p/drive_c/windows/win.ini" <<<"$out"
check "diff mode shows the line" grep -qx -- "+Disable=0" <<<"$out"
finish
