#!/bin/bash
# A fleet of 100 hosts, simulated on this machine: each host a local connection with a Wine
# prefix of its own, forks 10, driven by the collection tavrel.wine as the build stages it.
# Runs: the first switch (100 changed), the same again (0 changed), check mode the other
# way (100 would change, no file written), then with one prefix missing and one win.ini
# its owner may not read (those two fail with the program's reason, 98 ok). Writes the
# time of each run to bench/fleet.md.
#   bench/ansible_fleet.sh [BUILD_DIR]   (default build/linux, built first)
set -eu
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-$root/build/linux}
[ $# -gt 0 ] || { cmake --preset linux >/dev/null && cmake --build --preset linux >/dev/null; }
work=$(mktemp -d) && chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
install -m 755 "$build/src/tavrel" "$work/tavrel"
hosts=100
{
  echo "[fleet]"
  for i in $(seq -w 1 $hosts); do
    echo "h$i prefix=$work/h$i"
    mkdir -p "$work/h$i/drive_c/windows"
  done
  echo "[fleet:vars]"
  echo "ansible_connection=local"
  echo "ansible_python_interpreter=/usr/bin/python3"
} >"$work/inventory"
cat >"$work/fleet.yml" <<EOF
- hosts: fleet
  gather_facts: false
  tasks:
    - tavrel.wine.proxy_client:
        state: "{{ wanted }}"
        prefix: "{{ prefix }}"
        owner: "{{ owner | default(omit) }}"
        executable: $work/tavrel
EOF
touch "$work/ansible.cfg"
export ANSIBLE_COLLECTIONS_PATH=$build ANSIBLE_CONFIG=$work/ansible.cfg ANSIBLE_HOME=$work/home \
  ANSIBLE_LOCAL_TEMP=$work/tmp ANSIBLE_FORKS=10 ANSIBLE_NOCOLOR=1 PYTHONPYCACHEPREFIX=$work/pycache

sums() { cat "$work"/h*/drive_c/windows/win.ini 2>/dev/null | md5sum; }
# run NAME WANTED [OPTIONS...]: one playbook run; its time, and the recap's counts.
run() {
  local name=$1 wanted=$2 started elapsed recap
  shift 2
  started=$(date +%s.%N)
  ansible-playbook -i "$work/inventory" "$work/fleet.yml" -e "wanted=$wanted" "$@" >"$work/out" 2>&1 || true
  elapsed=$(awk "BEGIN { print $(date +%s.%N) - $started }")
  recap=$(sed -n '/^PLAY RECAP/,$p' "$work/out")
  ok=$(grep -c ' ok=1 ' <<<"$recap" || true)
  changed=$(grep -c ' changed=1 ' <<<"$recap" || true)
  failed=$(grep -c ' failed=1 ' <<<"$recap" || true)
  printf '| %s | %.1f s | %d | %d | %d |\n' "$name" "$elapsed" "$ok" "$changed" "$failed" >>"$work/rows"
}

run "first run, state disabled" disabled
run "second run, state disabled" disabled
before=$(sums)
run "check mode, state enabled" enabled --check
[ "$(sums)" = "$before" ] && unchanged=yes || unchanged=NO
rm -r "$work/h001"
chmod 600 "$work/h002/drive_c/windows/win.ini"
sed -i 's|^h002 .*|& owner=nobody|' "$work/inventory"
run "h001 missing, h002 unreadable by its owner, state enabled" enabled
reasons=$(grep -o 'tavrel: cannot read [^"]*' "$work/out" | sed "s|$work|WORK|" | sort)

{
  echo "# A simulated fleet"
  echo
  echo "Measured by \`bench/ansible_fleet.sh\` on $(date -u +%F), $(nproc) cores, ansible-core"
  echo "$(ansible --version | sed -n 's/^ansible \[core \(.*\)\]/\1/p'): $hosts hosts, each a local connection with a"
  echo "prefix of its own, forks 10, module \`tavrel.wine.proxy_client\`."
  echo
  echo "| run | wall time | ok | changed | failed |"
  echo "|---|---|---|---|---|"
  cat "$work/rows"
  echo
  echo "Check mode left every win.ini as it was: $unchanged. The failed hosts' messages:"
  echo
  sed 's/^/    /' <<<"$reasons"
} >bench/fleet.md
cat bench/fleet.md
