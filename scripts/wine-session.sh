# Sourced by scripts/run and scripts/test: one Wine session on one virtual
# desktop, on an Xvfb display of its own unless told to use the user's; or,
# with wine_session_start_dual, a session with two monitors.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$ROOT/.wine-test}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"  # no Mono/Gecko prompts; shortcuts stay inside the prefix
export LC_ALL="${VD_LOCALE:-C.UTF-8}"
# The two-monitor session has a prefix of its own: its programs must not run
# on a virtual desktop, and its display settings stay out of the other one.
WINE_DUAL_PREFIX="${WINE_DUAL_PREFIX:-$ROOT/.wine-test-dual}"
WINE_SESSION_PIDS=()
WINE_SESSION_FILES=()

_wine_free_display() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  echo "$n"
}

_wine_wait_display() {
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# Makes the prefix once; with "yes", every wine program shares one virtual desktop.
_wine_prefix() {
  local virtual_desktop="$1"
  if [ ! -f "$WINEPREFIX/.vd-prefix-ready-2" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    {
      printf 'REGEDIT4\n\n'
      if [ "$virtual_desktop" = yes ]; then
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="1024x768"\n\n'
      fi
      cat <<'REG'
[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Times New Roman"="Liberation Serif"
"Arial"="Liberation Sans"
"Tahoma"="Liberation Sans"
"Verdana"="Liberation Sans"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""
"Auto"="1"
REG
    } > "$WINEPREFIX/vd-session.reg"
    wine regedit /S "$(winepath -w "$WINEPREFIX/vd-session.reg")" >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vd-prefix-ready-2"
  fi
}

_wine_start_server() {
  wineserver -p >/dev/null 2>&1 || true  # already running is fine
  if [ -n "${WINE_KEEPER:-}" ] && [ -f "$WINE_KEEPER" ]; then
    wine "$WINE_KEEPER" >/dev/null 2>&1 &
    WINE_SESSION_PIDS+=($!)
    sleep 1
  fi
}

wine_session_start() {
  local use_own_display="${1:-yes}"
  if [ "$use_own_display" = yes ] || [ -z "${DISPLAY:-}" ]; then
    local n; n="$(_wine_free_display)"
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_SESSION_PIDS+=($!)
    export DISPLAY=":$n"
    _wine_wait_display
  fi
  _wine_prefix yes
  _wine_start_server
}

# Two monitors of 1024x768, the second right of the primary, on an X server
# with the dummy video driver (Xvfb's screens all sit at 0,0, so Wine would see
# one monitor). Wine's virtual desktop is off: its programs see the X
# server's outputs as monitors. Tests may change the layout with
# ChangeDisplaySettingsEx; every mode below is offered on both outputs.
wine_session_start_dual() {
  local n; n="$(_wine_free_display)"
  local conf="/tmp/vd-xorg-$n.conf" log="/tmp/vd-xorg-$n.log"
  cat > "$conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
  Modeline "1024x768" 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync
  Modeline "1280x1024" 109.00 1280 1368 1496 1712 1024 1027 1034 1063 -hsync +vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
    Virtual 2560 1024
  EndSubSection
EndSection
CONF
  Xorg ":$n" -config "$conf" -logfile "$log" -noreset -nolisten tcp -novtswitch -sharevts >/dev/null 2>&1 &
  WINE_SESSION_PIDS+=($!)
  WINE_SESSION_FILES+=("$conf" "$log")
  export DISPLAY=":$n"
  if ! _wine_wait_display; then
    echo "wine_session_start_dual: Xorg did not start:" >&2
    grep -E '\((EE|WW)\)' "$log" >&2
    return 1
  fi
  # The driver reports DUMMY1 connected only once a query has probed the
  # outputs again; Wine reads the unprobed state and would see one monitor.
  xrandr --addmode DUMMY1 1024x768 &&
    xrandr --addmode DUMMY1 1280x1024 &&
    xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary \
           --output DUMMY1 --mode 1024x768 --right-of DUMMY0 &&
    xrandr >/dev/null
  if [ "$(xrandr --current | grep -cE '^DUMMY(0 connected primary 1024x768\+0\+0|1 connected 1024x768\+1024\+0) ')" != 2 ]; then
    echo "wine_session_start_dual: xrandr could not add the second monitor:" >&2
    xrandr --current | grep -E '^DUMMY[01] ' >&2
    return 1
  fi
  export WINEPREFIX="$WINE_DUAL_PREFIX"
  _wine_prefix no
  # Windows 10, as the setup program asks for: Wine says Windows 7 by
  # default, which has no span position for a wallpaper over all monitors.
  wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
  _wine_start_server
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  for p in "${WINE_SESSION_PIDS[@]}"; do kill "$p" >/dev/null 2>&1 || true; done
  wait >/dev/null 2>&1 || true
  if ((${#WINE_SESSION_FILES[@]})); then rm -f "${WINE_SESSION_FILES[@]}"; fi
  WINE_SESSION_PIDS=()
  WINE_SESSION_FILES=()
}
