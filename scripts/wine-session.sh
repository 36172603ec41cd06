# Sourced by scripts/run and scripts/test: one Wine session on one virtual
# desktop, on an Xvfb display of its own unless told to use the user's.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$ROOT/.wine-test}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"  # no Mono/Gecko prompts; shortcuts stay inside the prefix
export LC_ALL="${VD_LOCALE:-C.UTF-8}"
WINE_SESSION_PIDS=()

wine_session_start() {
  local use_own_display="${1:-yes}"
  if [ "$use_own_display" = yes ] || [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_SESSION_PIDS+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
  if [ ! -f "$WINEPREFIX/.vd-prefix-ready-2" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    cat > "$WINEPREFIX/vd-session.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Times New Roman"="Liberation Serif"
"Arial"="Liberation Sans"
"Tahoma"="Liberation Sans"
"Verdana"="Liberation Sans"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""
"Auto"="1"
REG
    wine regedit /S "$(winepath -w "$WINEPREFIX/vd-session.reg")" >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vd-prefix-ready-2"
  fi
  wineserver -p >/dev/null 2>&1 || true  # already running is fine
  if [ -n "${WINE_KEEPER:-}" ] && [ -f "$WINE_KEEPER" ]; then
    wine "$WINE_KEEPER" >/dev/null 2>&1 &
    WINE_SESSION_PIDS+=($!)
    sleep 1
  fi
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  for p in "${WINE_SESSION_PIDS[@]}"; do kill "$p" >/dev/null 2>&1 || true; done
  wait >/dev/null 2>&1 || true
}
