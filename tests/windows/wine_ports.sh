# Sourced by the Windows tests that need COM ports: a Wine prefix of their own
# whose COM ports they map onto Linux devices. Everything started here is
# stopped, and the prefix removed, when the sourcing script exits.

WINE_TIMEOUT=${WINE_TIMEOUT:-120}

# A fresh prefix with no COM port mapped.
wine_prefix_new() {
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/quelter-wine-XXXXXX")
  export WINEPREFIX WINEDEBUG=-all
  trap wine_cleanup EXIT
  timeout "$WINE_TIMEOUT" wineboot -i >/dev/null 2>&1
  rm -f "$WINEPREFIX"/dosdevices/com[0-9]*
}

# wine_map_port COM5 /dev/pts/7
wine_map_port() {
  ln -sfn "$2" "$WINEPREFIX/dosdevices/${1,,}"
}

# Runs a Windows program with a deadline.
wine_run() {
  timeout "$WINE_TIMEOUT" wine "$@"
}

# Starts `command...` in the background with a pipe on its standard input
# (closing it is how the helpers here are told to end) and reads the first
# line it prints into the variable named first.
start_helper() {
  local -n line=$1
  shift
  local fifo_in fifo_out
  fifo_in=$(mktemp -u) fifo_out=$(mktemp -u)
  mkfifo "$fifo_in" "$fifo_out"
  "$@" <"$fifo_in" >"$fifo_out" &
  helper_pids+=($!)
  exec {fd}>"$fifo_in"
  helper_fds+=("$fd")
  exec {out}<"$fifo_out"
  rm -f "$fifo_in" "$fifo_out"
  read -r -t 20 line <&"$out" || { echo "$1 did not start" >&2; return 1; }
  exec {out}<&-
}

helper_pids=()
helper_fds=()

wine_cleanup() {
  local fd pid
  for fd in "${helper_fds[@]}"; do exec {fd}>&-; done
  for pid in "${helper_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
}
