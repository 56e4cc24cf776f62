#!/bin/sh
# Makes or removes a Wine prefix of the test run's own: prefix.sh create|remove DIR [bare]
# "bare": without Wine's own fonts, whose Tahoma the window's layout was made for, as a
# fresh prefix is; its GUI font then falls back to DejaVu Sans, the widest that hosts
# commonly have, rather than to whatever this host's fontconfig would pick.
set -eu
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case $action in
  create)
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # Without a window manager Wine waits in every window destruction unless unmanaged.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    if [ "${3:-}" = bare ]; then
      fc-list | grep -q DejaVuSans.ttf || { echo "no DejaVu Sans (fonts-dejavu-core)" && exit 1; }
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v 'MS Shell Dlg' /d 'DejaVu Sans' /f >/dev/null 2>&1
    else
      # Wine's own fonts (package fonts-wine), Marlett among them, which draws the caption
      # buttons: this Wine looks for them in the prefix's Fonts folder only.
      ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
    wineserver -w
    test -d "$WINEPREFIX/drive_c/windows"
    ;;
  remove)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    ;;
esac
