# Sourced by the scripts that run Windows programs: a Wine prefix inside the build folder, one
# persistent wineserver for the whole run (a Wine process then starts in about 0.1 s), and a display
# (a headless X server when none is set).
#   ORV_BUILD   the build folder (required)
# Sets ORV_WINE64 and ORV_WINE32 (empty when this machine cannot run 32-bit code) and exports
# WINEPREFIX, WINEDEBUG, ORV_WINEPREFIX and DISPLAY.

export WINEPREFIX="$ORV_BUILD/wineprefix"
export ORV_WINEPREFIX="$WINEPREFIX"
export WINEDEBUG=-all
# No .NET or HTML engine is needed; without this a new prefix offers to install them in a dialog
# that would sit on the test display.
export WINEDLLOVERRIDES="mscoree=;mshtml="
ORV_WINE64=/usr/lib/wine/wine64
ORV_WINE32=/usr/lib/wine/wine
# Some kernels are built or booted without 32-bit user space; 32-bit Wine cannot start there.
if ! "$ORV_WINE32" --version >/dev/null 2>&1; then ORV_WINE32=""; fi

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      ORV_XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    fi
  done
fi

mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine: preparing the prefix in $WINEPREFIX (once)"
  "$ORV_WINE64" wineboot --init >/dev/null 2>&1 || true
  # A crashing test program must fail its test, not wait for a debugger that nobody attends.
  "$ORV_WINE64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1 || true
  # Windows not managed by an X window manager: a desktop widget wants no frame or taskbar entry, and
  # without a window manager Wine would otherwise wait 2 s for every hidden window to be withdrawn.
  "$ORV_WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
fi
/usr/lib/wine/wineserver -p >/dev/null 2>&1 || true
# The first Wine program of a server session starts Wine's background services, which inherit its
# output: start them here, detached from ours, or ctest would wait for them to close its pipes.
"$ORV_WINE64" wineboot >/dev/null 2>&1 </dev/null || true

orv_wine_cleanup() {
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  if [ -n "${ORV_XVFB_PID:-}" ]; then kill "$ORV_XVFB_PID" 2>/dev/null || true; fi
}
