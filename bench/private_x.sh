# Sourced by the benchmarks that drive the real program: builds the target
# when missing, starts a private X server of the size given, and points HOME
# and the XDG folders at a private work folder, removed on exit with the
# server. After it: $work, $DISPLAY and the private folders.
#   private_x_session BUILD TARGET WIDTHxHEIGHT
private_x_session() {
  local build="$1" target="$2" size="$3" here
  here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  if [ ! -x "$build/bench/$target" ]; then
    cmake -S "$here" --preset release -B "$build" >/dev/null
    cmake --build "$build" --target "$target" >/dev/null
  fi
  command -v Xvfb >/dev/null || { echo "Xvfb missing (apt-get install xvfb)"; exit 1; }
  work="$(mktemp -d "${TMPDIR:-/tmp}/glimmerbox-bench.XXXXXX")"
  xpid=""
  trap '[ -n "$xpid" ] && kill "$xpid" 2>/dev/null; rm -rf "$work"' EXIT
  mkdir -p "$work/home"
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  xpid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
  export XDG_CACHE_HOME="$work/home/.cache" DISPLAY=":$(head -n1 "$work/display")"
  unset XDG_CURRENT_DESKTOP SWAYSOCK WAYLAND_DISPLAY
}
