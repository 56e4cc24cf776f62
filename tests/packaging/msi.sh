#!/bin/bash
# msi.sh SOURCE_DIR WINDOWS_BUILD_DIR CERTIFICATE KEY MSI_VERSION FILE_VERSION: Tavrel.exe and
# Tavrel.msi carry valid signatures by CERTIFICATE, and the build's signing step, given a
# time-stamp server (here one of the test's own on 127.0.0.1), adds an RFC 3161 time stamp.
# The MSI's tables hold what deployment tools look for (a versioned Tavrel.exe, the icon for
# Programs and Features and the shortcut, the upgrade rows, a _Validation row for every column).
# Under Wine the MSI installs silently, "start /wait Tavrel.exe /off" from another folder finds
# the program (App Paths) and switches, Programs and Features names its folder; the same
# package again changes nothing, a rebuild of
# the same version or a newer version replaces it, an older one is refused (1603); removing
# it leaves none of its files or keys.
. "$(dirname "$0")/../support/fixture.sh"
src=$1 build=$2 cert=$3 key=$4 version=$5 file_version=$6
wxs=$src/packaging/Tavrel.wxs
msi=$build/Tavrel.msi windows=$WINEPREFIX/drive_c/windows
export WINEDLLOVERRIDES=winemenubuilder.exe=d # no menu entries for the desktop outside the prefix

for file in "$build/src/Tavrel.exe" "$msi"; do
  verified=$(osslsigncode verify -CAfile "$cert" -in "$file" 2>&1)
  check "${file##*/} is signed: $verified" test $? = 0
done
# The authority signs with a certificate of its own, for time stamping alone.
(cd "$scratch" && echo 01 >serial && openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Test TSA" \
  -keyout tsa.key -out tsa.pem -addext extendedKeyUsage=critical,timeStamping 2>/dev/null)
printf '%s\n' "[tsa]" "default_tsa = local" "[local]" "serial = serial" "signer_cert = tsa.pem" "signer_key = tsa.key" \
  "signer_digest = sha256" "default_policy = 1.2.3.4.1" "digests = sha256" >"$scratch/ts.cnf"
coproc TSA { cd "$scratch" && exec /usr/bin/python3 "$src/tests/support/tsa.py" ts.cnf; }
# The server prints its port once it listens, or ends (end of file) without one.
read -r port <&"${TSA[0]}" || fail "the time-stamp server gave no port"
osslsigncode remove-signature -in "$msi" -out "$scratch/stamped.msi" >/dev/null && cmake -DFILE="$scratch/stamped.msi" \
  -DCERT="$cert" -DKEY="$key" -DTIMESTAMP_URL="http://127.0.0.1:$port" -P "$src/cmake/sign_file.cmake"
kill "$TSA_PID"
verified=$(osslsigncode verify -CAfile "$cert" -TSA-CAfile "$scratch/tsa.pem" -in "$scratch/stamped.msi" 2>&1)
grep -E "Timestamp time|^Timestamp Server|^Signature verification" <<<"$verified"
check "signed with a time stamp that verifies" \
  [ "$(grep -c -E "^(Timestamp Server Signature|Signature) verification: ok" <<<"$verified")" = 2 ]

table() { (cd "$scratch" && msiinfo export "$msi" "$1") | tr -d '\r' | tail -n +"${2:-4}"; }
check "Tavrel.exe is versioned $file_version, without a hash row" eval \
  '[[ $(table File) == *"TavrelExe	Program	Tavrel.exe	"*"	$file_version	1033	"* && $(table MsiFileHash) != *TavrelExe* ]]'
check "the Icon table holds Tavrel.ico" eval 'table Icon | grep -q "^Tavrel.ico	"'
props=$(table Property | grep -E "^(ARP|ProductVersion)" | sort | tr '\t\n' '= ')
check "Programs and Features: $props" [ "$props" = "ARPNOMODIFY=1 ARPPRODUCTICON=Tavrel.ico ProductVersion=$version " ]
# ICE validation reads _Validation: a row for every column of every table, nullable as the column is.
columns=$(for name in $(msiinfo tables "$msi" | grep -v -x -E "_(SummaryInformation|ForceCodepage)"); do table "$name" 0 |
  awk -F'\t' -v t="$name" 'NR == 1 { split($0, n) } NR == 2 { for (i = 1; i <= NF; i++) print t "\t" n[i] "\t" ($i ~ /^[A-Z]/ ? "Y" : "N") }'; done)
missing=$(comm -13 <(table _Validation | cut -f 1-3 | sort) <(sort <<<"$columns"))
check "_Validation describes all $(wc -l <<<"$columns") columns: $missing" [ -z "$missing" ]
check "the shortcut is not advertised and has the icon" eval 'table Shortcut | cut -f 5,9 | grep -qx "\[#TavrelExe\]	Tavrel.ico"'
upgrade=$(table Upgrade | cut -f 2-5,7 | sort | tr '\t\n' ' ;')
check "upgrade rows: $upgrade" [ "$upgrade" = "0.0.0 ${version%.*}.$((${version##*.} + 1))  256 OLDER_FOUND;$version   2 NEWER_FOUND;" ]

# Other builds of the same files: an older version, a rebuild and a newer version.
cp -r "$build/msi" "$scratch/stage"
build_msi() { (cd "$scratch/stage" && wixl -a x64 -D Version="$1" -D NextVersion="${1%.*}.$((${1##*.} + 1))" \
  -D Manufacturer=Tavrel -o "$2" "$wxs"); }
build_msi 1.0.0 "$scratch/older.msi" && build_msi "$version" "$scratch/rebuilt.msi" &&
  build_msi "$((${version%%.*} + 1)).0.0" "$scratch/newer.msi" || { fail "wixl" && finish; }

# The files and the registry keys that hold values, as the prefix has them on disk.
snapshot() {
  wineserver -w
  (cd "$WINEPREFIX" && find drive_c -type f -not -path 'drive_c/windows/temp/*' | sort) >"$scratch/$1.files"
  awk '/^\[/ { key = $1 } /^("|@)/ && key { print key; key = "" }' "$WINEPREFIX"/{system,user}.reg |
    sort -u >"$scratch/$1.keys"
}
uninstall='Software\Microsoft\Windows\CurrentVersion\Uninstall'
installed() { wine reg query "HKLM\\$uninstall" /s 2>/dev/null |
  tr -d '\r' | awk '$1 == "DisplayVersion" { printf "%s ", $3 }'; }
install() { wine msiexec /i "$(winepath -w "$1")" /qn; echo $?; }
cp -p "$windows/win.ini" "$scratch/win.ini" 2>/dev/null
cleanup() { [ -f "$scratch/win.ini" ] && cp -p "$scratch/win.ini" "$windows/win.ini"; }

snapshot before
check "installs silently" [ "$(install "$msi")" = 0 ]
check "installed: $(installed)" [ "$(installed)" = "$version " ]
check "Tavrel.exe, the readme and the licence in Program Files\\Tavrel" \
  [ -f "$WINEPREFIX/drive_c/Program Files/Tavrel/LICENSE.txt" -a -f "$WINEPREFIX/drive_c/Program Files/Tavrel/README.txt" ]
check "a Start-menu shortcut" test -n "$(find "$WINEPREFIX/drive_c" -name Tavrel.lnk -path '*Start Menu*')"
printf '[Microsoft Proxy Service]\r\nDisable=0\r\n' >"$windows/win.ini"
check "start /wait Tavrel.exe /off, from another folder, finds it through App Paths and switches" \
  eval '(cd "$scratch" && wine start /wait Tavrel.exe /off) && grep -q "^Disable=1" "$windows/win.ini"'
location=$(wine reg query "HKLM\\$uninstall" /s 2>/dev/null | tr -d '\r' | sed -n 's/^ *InstallLocation *REG_SZ *//p')
check "Programs and Features names the folder (ARPINSTALLLOCATION): $location" [ "$location" = 'C:\Program Files\Tavrel\' ]

check "the same package again succeeds" [ "$(install "$msi")" = 0 ]
check "a rebuild of the same version replaces it" [ "$(install "$scratch/rebuilt.msi")" = 0 ]
check "... one product installed: $(installed)" [ "$(installed)" = "$version " ]
check "an older version is refused with 1603" [ "$(install "$scratch/older.msi")" = $((1603 % 256)) ]
check "... and changes nothing: $(installed)" [ "$(installed)" = "$version " ]
check "a newer version replaces it" [ "$(install "$scratch/newer.msi")" = 0 ]
check "... alone: $(installed)" [ "$(installed)" = "$((${version%%.*} + 1)).0.0 " ]

check "removes silently" wine msiexec /x "$(winepath -w "$scratch/newer.msi")" /qn
check "nothing installed: $(installed)" [ -z "$(installed)" ]
snapshot after
left=$(comm -13 "$scratch/before.files" "$scratch/after.files")
check "no file left: $left" [ -z "$left" ]
left=$(comm -13 "$scratch/before.keys" "$scratch/after.keys")
check "no registry value left: $left" [ -z "$left" ]
finish
