#!/usr/bin/env bash
# A Wine prefix for the Windows tests: `create DIR` makes a fresh one (any old
# one there is removed first), `remove DIR` stops its server and deletes it.
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all

stop_server() {
  # Waits for the prefix's own server to end; starts none if none runs.
  [[ -d $WINEPREFIX ]] && wineserver -k 2>/dev/null || true
}

case $action in
  create)
    stop_server
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    [[ -f $WINEPREFIX/system.reg ]]
    ;;
  remove)
    stop_server
    rm -rf "$WINEPREFIX"
    ;;
  *)
    echo "usage: $0 create|remove DIR" >&2
    exit 64
    ;;
esac
