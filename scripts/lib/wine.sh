# Sourced by the scripts that run Windows programs: the 64-bit Wine loader,
# its wineserver, a quiet environment, and a prefix made once.
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=$(command -v wine64 || command -v wine)
wineserver=$(dirname "$wine64")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# wine_prefix_ready: makes $WINEPREFIX if it is not there yet. Serialised, so
# programs started side by side share one boot.
wine_prefix_ready() {
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine64" wineboot -i >/dev/null 2>&1 || true
      "$wineserver" -w 2>/dev/null || true
    fi
  ) 9>"$WINEPREFIX.lock"
}
