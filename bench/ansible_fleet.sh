#!/bin/bash
# A fleet of 100 hosts, simulated on this machine: each host a local connection with two
# Wine prefixes of its own, forks 10. Every run is made twice on the same hosts, one after
# the other: with the collection tavrel.wine as the build stages it (module proxy_client),
# and with community.general.ini_file (Debian's package ansible) writing the same key, each
# tool in its own prefixes. Runs: the first switch (100 changed), the same again (0
# changed), check and diff mode the other way (100 would change, no file written), then
# with one prefix missing and one win.ini that its owner may not read (the module acts as
# the owner there; ini_file has no such option). Writes the times to bench/fleet.md.
#   bench/ansible_fleet.sh [BUILD_DIR]   (default build/linux, built first)
#   TAVREL=PROGRAM bench/ansible_fleet.sh ...   measures with another tavrel than the build's
set -eu
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-$root/build/linux}
[ $# -gt 0 ] || { cmake --preset linux >/dev/null && cmake --build --preset linux >/dev/null; }
scripts/setup-debian.sh ansible
work=$(mktemp -d) && chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
install -m 755 "${TAVREL:-$build/src/tavrel}" "$work/tavrel"
hosts=100
{
  echo "[fleet]"
  for i in $(seq -w 1 $hosts); do
    echo "h$i home=$work/h$i"
    mkdir -p "$work/h$i"/{proxy_client,ini_file}/drive_c/windows
  done
  echo "[fleet:vars]"
  echo "ansible_connection=local"
  echo "ansible_python_interpreter=/usr/bin/python3"
} >"$work/inventory"
cat >"$work/proxy_client.yml" <<EOF
- hosts: fleet
  gather_facts: false
  tasks:
    - tavrel.wine.proxy_client:
        state: "{{ wanted }}"
        prefix: "{{ home }}/proxy_client"
        owner: "{{ owner | default(omit) }}"
        executable: $work/tavrel
EOF
cat >"$work/ini_file.yml" <<EOF
- hosts: fleet
  gather_facts: false
  tasks:
    - community.general.ini_file:
        path: "{{ home }}/ini_file/drive_c/windows/win.ini"
        section: Microsoft Proxy Service
        option: Disable
        value: "{{ '1' if wanted == 'disabled' else '0' }}"
        no_extra_spaces: true
EOF
touch "$work/ansible.cfg"
export ANSIBLE_COLLECTIONS_PATH=$build ANSIBLE_CONFIG=$work/ansible.cfg \
  ANSIBLE_HOME=$work/home ANSIBLE_LOCAL_TEMP=$work/tmp ANSIBLE_FORKS=10 ANSIBLE_NOCOLOR=1 \
  PYTHONPYCACHEPREFIX=$work/pycache

sums() { cat "$work"/h*/*/drive_c/windows/win.ini 2>/dev/null | md5sum; }
# run NAME WANTED [OPTIONS...]: one playbook run with each tool; their times and the
# recaps' counts, in a row of the table.
run() {
  local name=$1 wanted=$2 tool started elapsed recap row
  shift 2
  row="| $name |"
  for tool in proxy_client ini_file; do
    started=$(date +%s.%N)
    ansible-playbook -i "$work/inventory" "$work/$tool.yml" -e "wanted=$wanted" "$@" >"$work/$tool.out" 2>&1 || true
    elapsed=$(awk "BEGIN { print $(date +%s.%N) - $started }")
    recap=$(sed -n '/^PLAY RECAP/,$p' "$work/$tool.out")
    row+=$(printf ' %.1f s | %d / %d / %d |' "$elapsed" "$(grep -c ' ok=1 ' <<<"$recap")" \
      "$(grep -c ' changed=1 ' <<<"$recap")" "$(grep -c ' failed=1 ' <<<"$recap")")
  done
  echo "$row" >>"$work/rows"
}

load=$(cut -d ' ' -f 1-3 /proc/loadavg)
run "first run, state disabled" disabled
run "second run, state disabled" disabled
before=$(sums)
run "check and diff mode, state enabled" enabled --check --diff
[ "$(sums)" = "$before" ] && unchanged=yes || unchanged=NO
diffs=$(for tool in proxy_client ini_file; do awk '/^--- /{p=1} p && /^changed:/{exit} p' "$work/$tool.out"; echo; done)
rm -r "$work/h001"
chmod 600 "$work"/h002/*/drive_c/windows/win.ini
sed -i 's|^h002 .*|& owner=nobody|' "$work/inventory"
run "h001 missing, h002 unreadable by its owner, state enabled" enabled
messages() { grep -o '^\(fatal\|changed\|ok\): \[h00[12]\].*' "$work/$1.out" | sed "s|$work|WORK|g" | sort; }

{
  echo "# A simulated fleet"
  echo
  echo "Measured by \`bench/ansible_fleet.sh\` on $(date -u +%F), $(nproc) cores, ansible-core"
  echo "$(ansible --version | sed -n 's/^ansible \[core \(.*\)\]/\1/p'), community.general $(sed -n 's/^  "version": "\(.*\)",/\1/p' \
    /usr/lib/python3/dist-packages/ansible_collections/community/general/MANIFEST.json): $hosts hosts, each a local"
  echo "connection with a prefix of its own for each tool, forks 10; load average $load before, and"
  echo "$(cut -d ' ' -f 1-3 /proc/loadavg) after. The program: ${TAVREL:+TAVREL=}$("$work/tavrel" --version | head -n 1)."
  echo "Each row is one run of the same play over the fleet with each tool, one after the other."
  echo
  echo "| run | proxy_client: wall time | ok / changed / failed | ini_file: wall time | ok / changed / failed |"
  echo "|---|---|---|---|---|"
  cat "$work/rows"
  echo
  echo "Check mode left every win.ini as it was: $unchanged. The diff that each tool showed for a host"
  echo "(proxy_client's, then ini_file's):"
  echo
  sed "s|$work|WORK|g; s/^/    /" <<<"$diffs"
  echo
  echo "The last run on h001 and h002, proxy_client (h002 with \`owner: nobody\`):"
  echo
  messages proxy_client | sed 's/^/    /'
  echo
  echo "ini_file (running as root, with no owner to act as):"
  echo
  messages ini_file | sed 's/^/    /'
} >bench/fleet.md
cat bench/fleet.md
