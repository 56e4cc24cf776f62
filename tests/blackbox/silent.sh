#!/bin/bash
# The command line, without a display: silent.sh WINDOWS_DIR ("auto": a scratch WINDIR) COMMAND...
# LINUX_CHECKS=1 adds the Linux program's options (VERSION: the one it prints) and complaints.
set -u
. "$(dirname "$0")/../support/fixture.sh"
windir=$1 && shift
[ "$windir" = auto ] && windir=$scratch/windows && mkdir -m 755 "$windir"
export WINDIR=$windir
unset DISPLAY WAYLAND_DISPLAY
ini=$windir/win.ini
h='[Microsoft Proxy Service]\r\nDisable=' # escapes, expanded by printf %b

# Rows "AS|ARGS|STATUS|BEFORE|AFTER|STDOUT|STDERR" run AS COMMAND ARGS (AS other than env: as
# root only). BEFORE, AFTER: the file, "-" none, "=" unchanged; STDOUT, STDERR: regexes.
run_table() {
  local as args status before after out err got
  while IFS='|' read -r as args status before after out err; do
    [[ $as == "" || $as == env* || $(id -u) == 0 ]] || continue
    [ "$after" = = ] && after=$before
    rm -f "$ini"
    [ "$before" = - ] || printf '%b' "$before" >"$ini"
    # shellcheck disable=SC2086 # split on purpose
    timeout 60 $as "$@" $args >"$scratch/out" 2>"$scratch/err" </dev/null
    got=$?
    if [ "$got" = "$status" ] && [[ $(<"$scratch/out") =~ $out && $(<"$scratch/err") =~ $err ]] &&
      { [ "$after" = - ] && [ ! -e "$ini" ] || cmp -s <(printf '%b' "$after") "$ini"; }; then
      passed=$((passed + 1))
    else
      fail "'$as' '$args': $got, '$(<"$scratch/out")', '$(<"$scratch/err")', $(od -An -c "$ini" 2>&1)"
    fi
  done
}

# The switches write the key, making the file if need be, and end without a word.
run_table "$@" <<EOF
|/off|0|${h}0\r\n|${h}1\r\n|^$|^$
|/on|0|${h}1\r\n|${h}0\r\n|^$|^$
|/off|0|-|${h}1\r\n|^$|^$
EOF

if [ "${LINUX_CHECKS:-0}" = 1 ]; then
  cp "$1" "$scratch/tavrel" && set -- "$scratch/tavrel" # a copy that other users can run
  # A sanitizer build's suppressions must be readable by them too.
  [[ ${LSAN_OPTIONS:-} == suppressions=* ]] && cp "${LSAN_OPTIONS#*=}" "$scratch/lsan.supp" &&
    export LSAN_OPTIONS=suppressions=$scratch/lsan.supp
  # A file only root may read; a directory name with a control character, which messages escape.
  mkdir "$scratch/secret" && printf '%b' "${h}1\r\n" >"$scratch/secret/win.ini" && chmod 600 "$scratch/secret/win.ini"
  esc=$(printf '\033')
  # Arguments are joined by a blank. The last rows fail, the last without HOME or account.
  run_table "$@" <<EOF
|--help|0|${h}0\r\n|=|^Usage: tavrel .*/on .*Disable=0.*/off .*Disable=1.*/\? .*--state .*--path .*--version .*WINDIR.*Exit status|^$
|--version|0|-|-|^tavrel ${VERSION//./\\.}.License: MIT$|^$
|--path|0|-|-|^${ini//./\\.}$|^$
env WINDIR=/|--path|0|-|-|^/win\.ini$|^$
env -u WINDIR WINEPREFIX=/p/|--path|0|-|-|^/p/drive_c/windows/win\.ini$|^$
env WINDIR= WINEPREFIX= HOME=/h|--path|0|-|-|^/h/\.wine/drive_c/windows/win\.ini$|^$
|--state|0|${h}1\r\n|=|^disabled$|^$
|--state|0|${h}0\r\n|=|^enabled$|^$
|--state|0|${h}\r\n|=|^unread$|^$
|--state|0|${h}$(printf %049d 1)\r\n|=|^disabled$|^$
|--state|0|-|-|^enabled$|^$
|--state /off|2|${h}0\r\n|=|^$|^tavrel: --state and /off cannot go together; see tavrel --help$
|--bogus|2|-|-|^$|^tavrel: unrecognized option --bogus; see tavrel --help$
|--diff=/off|0|${h}0\r\n|=|^--- |^$
|--user=nobody /on|1|${h}1\r\n|=|^$|^tavrel: cannot write $ini: Permission denied$
|--user= /on|1|${h}1\r\n|=|^$|^tavrel: no such user: ""$
runuser -u root -- env -u WINDIR -u WINEPREFIX HOME=/tmp|--user nobody --path|0|-|-|^/nonexistent/\.wine/drive_c/windows/win\.ini$|^$
runuser -u root -- env WINDIR=$scratch/secret|--user nobody --state|1|-|-|^$|^tavrel: cannot read $scratch/secret/win\.ini: Permission denied$
runuser -u nobody -- env|--user root --state|1|-|-|^$|^tavrel: only root may act as another account than its own$
|/o n|3|${h}1\r\n|=|^$|^tavrel: cannot open a window: the package tavrel-window is not installed; install it, or use /on or /off, which need none$
|/?|3|-|-|^$|^tavrel: cannot show the help box: the package tavrel-window is not installed; install it, or see tavrel --help$
env WINDIR=$scratch/missing|--state|1|-|-|^$|^tavrel: cannot read $scratch/missing/win\.ini: No such file or directory$
env WINDIR=$ini|--state|1|${h}1\r\n|=|^$|^tavrel: cannot read $ini/win\.ini: Not a directory$
runuser -u nobody -- env WINDIR=$scratch/secret|--state|1|-|-|^$|^tavrel: cannot read $scratch/secret/win\.ini: Permission denied$
env WINDIR=$scratch/missing|/off|1|-|-|^$|^tavrel: cannot write $scratch/missing/win\.ini: No such file or directory$
env WINDIR=$scratch/a${esc}b|/off|1|-|-|^$|^tavrel: cannot write "$scratch/a\\\\033b/win\.ini": No such file or directory$
runuser -u nobody --|/on|1|${h}1\r\n|=|^$|^tavrel: cannot write $ini: Permission denied$
setpriv --reuid=4242 --regid=4242 --clear-groups env -u WINDIR -u WINEPREFIX -u HOME|/on|1|-|-|^$|^tavrel: cannot write /win\.ini: Permission denied$
EOF
  "$@" --state >/dev/full 2>/dev/null && fail "--state lost its answer"
  # A diff larger than a pipe holds, made as the file's owner, comes whole.
  mkdir "$scratch/big" && printf '%b%070000d\r\n' "${h}0\r\n" 0 >"$scratch/big/win.ini" && chown -R nobody "$scratch/big"
  big=$(WINDIR=$scratch/big "$1" --diff /off | wc -c)
  check "a diff of 70 KB made as nobody: $big bytes" [ "$big" -gt 70000 ]
  # The loader's error names the program's directory: one line there too.
  mkdir "$scratch/x${esc}y" && cp "$1" "$scratch/x${esc}y/tavrel" && touch "$scratch/x${esc}y/tavrel-fltk.so"
  err=$("$scratch/x${esc}y/tavrel" /o n 2>&1 >/dev/null </dev/null)
  escaped_line() { [ "${err/x\\033y/}" != "$err" ] && [ "$err" = "${err%%$'\n'*}" ]; }
  check "the window error escapes the program's directory: $err" escaped_line
  # --diff prints what diff -u prints, dates aside, for each switch of each golden file:
  # patch --binary makes of a copy what the switch writes (the file itself when unchanged).
  golden=$(dirname "$0")/../profile/golden
  while read -r name _ off on; do
    for switch in off on; do
      outcome=${!switch} after=$golden/$name.$switch
      [ "$outcome" = changed ] || after=$golden/$name.ini
      cp "$golden/$name.ini" "$ini" && cp "$ini" "$scratch/copy"
      "$@" --diff /$switch >"$scratch/diff" 2>/dev/null
      [ $? = "$([ "$outcome" = refused ] && echo 1 || echo 0)" ] &&
        diff -a -u --label "$ini" --label "$ini" "$ini" "$after" | cmp -s - "$scratch/diff" &&
        { [ ! -s "$scratch/diff" ] || patch --binary -s "$scratch/copy" <"$scratch/diff"; } &&
        cmp -s "$scratch/copy" "$after" && passed=$((passed + 1)) || fail "--diff /$switch of $name.ini"
    done
  done < <(grep -v '^#' "$golden/index")
  # --help and the bash completion as installed offer the options of their table
  # (OPTIONS_TOOL names them).
  names=$("$OPTIONS_TOOL" names | sort)
  helped=$("$@" --help | sed -nE 's/^  (-[^ ,]*(, -[^ ]*)?) .*/\1/p' | tr -s ', ' '\n' | sort)
  check "--help lists the options: $helped" [ "$helped" = "$names" ]
  cmake --install "$BUILD_DIR" --prefix "$scratch/usr" --component tavrel >/dev/null
  sorted() { printf '%s\n' "$@" | sort | tr '\n' ' '; }
  export -f sorted
  # Rows "WORDS BEFORE|WORD|OFFERED": a line begun, the word being completed, what is offered.
  while IFS='|' read -r before word offered; do
    # shellcheck disable=SC2016,SC2086 # expanded by the inner shell; split on purpose
    got=$(bash -c '. "$1" && COMP_WORDS=("${@:2}") COMP_CWORD=$(($# - 2)) && _tavrel && sorted "${COMPREPLY[@]}"' \
      - "$scratch/usr/share/bash-completion/completions/tavrel" tavrel $before "$word")
    check "completion of '$before' '$word': $got" [ "$got" = "$(sorted $offered)" ]
  done <<EOF
|-|$(echo $names)
--state||
--user nobody||/on /off --state --path --diff
--user = nobody||/on /off --state --path --diff
--user nobody --diff||/on /off
--diff = /on||
/off||
EOF
fi

finish
