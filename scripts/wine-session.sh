# Sourced by the test and run scripts: a private Wine prefix with a warm, primed wineserver and,
# when asked, a private Xvfb display. kw_session_end stops both.
# Needs: $build (the build folder, holding wine-exec).

export WINEPREFIX="${KW_WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"
kw_xvfb_pid=""
kw_wm_pid=""

kw_start_display() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${KW_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
  kw_xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    if xdpyinfo >/dev/null 2>&1; then
      # A window manager, so that focus and always-on-top behave as on a Windows desktop.
      if command -v openbox >/dev/null; then
        openbox >/dev/null 2>&1 &
        kw_wm_pid=$!
        sleep 0.5
      fi
      return 0
    fi
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

# Runs a command with every file descriptor above 2 closed, so that Wine's long-lived service
# processes do not inherit (and hold forever) a lock or pipe of the caller.
kw_detached() {
  (
    for fd in /proc/$BASHPID/fd/*; do
      fd=${fd##*/}
      [ "$fd" -gt 2 ] 2>/dev/null && eval "exec $fd>&-"
    done
    "$@"
  )
}

kw_start_wine() {
  kw_detached kw_start_wine_server
}

kw_start_wine_server() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating prefix $WINEPREFIX"
    timeout 300 wine wineboot -i >/dev/null 2>&1 || true
    timeout 120 wineserver -w || true
  fi
  # A persistent server makes each test start in ~0.05 s; priming it first keeps helper
  # processes from holding ctest's output pipe.
  wineserver -p 2>/dev/null || true  # already running for this prefix is fine
  timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  kw_install_script_fonts
}

# Fonts for names in every script, as a Windows installation has them: Debian's Noto faces and
# Symbola (installed by scripts/setup.sh), which Wine reads from the system's fonts for every
# prefix. They are not copied into the prefix's Fonts folder as well: with each family there
# twice, Wine's DirectWrite fallback was seen to pick bold faces and to lose the replacement
# below. Windows draws emoji with Segoe UI Emoji, which no Debian package has; Symbola stands in
# for it under that name (a replacement of the prefix's registry).
kw_install_script_fonts() {
  local file
  for file in /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc \
              /usr/share/fonts/truetype/noto/NotoSans{Arabic,Hebrew,Thai,Devanagari}-Regular.ttf \
              /usr/share/fonts/truetype/ancient-scripts/Symbola_hint.ttf; do
    [ -f "$file" ] || echo "wine: font $file is missing (run scripts/setup.sh)" >&2
  done
  # Asked for each session until the prefix holds it: a server ended with -k may not have
  # written the registry out.
  if ! grep -qs '"Segoe UI Emoji"="Symbola"' "$WINEPREFIX/user.reg"; then
    timeout 60 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI Emoji' /t REG_SZ /d Symbola /f \
      </dev/null >/dev/null 2>&1 || true
  fi
}

kw_session_end() {
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  if [ -n "$kw_wm_pid" ]; then kill "$kw_wm_pid" 2>/dev/null || true; fi
  if [ -n "$kw_xvfb_pid" ]; then kill "$kw_xvfb_pid" 2>/dev/null || true; fi
}
