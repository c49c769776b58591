#!/usr/bin/env bash
# quelter-cli.exe under Wine against the Linux quelter-tracker-sim, through a
# COM port of the test's own Wine prefix mapped onto the simulator's
# pseudo-terminal, checked against the Linux quelter-cli on the same tracker.
# Usage: cli_e2e.sh QUELTER_CLI_EXE LINUX_QUELTER_CLI LINUX_QUELTER_TRACKER_SIM
set -euo pipefail
source "$(dirname "$0")/wine_ports.sh"
cli_exe=$1 linux_cli=$2 sim=$3

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# expect STATUS command...: runs it with a deadline and checks its exit status.
expect() {
  local want=$1 got=0
  shift
  timeout "$WINE_TIMEOUT" "$@" || got=$?
  [[ $got == "$want" ]] || fail "exit $got, not $want: $*"
}
win() { expect "$1" wine "$cli_exe" "${@:2}"; }
linux() { expect "$1" "$linux_cli" "${@:2}"; }
same() { cmp "$1" "$2" || fail "$1 and $2 differ"; }

wine_prefix_new
mkdir "$WINEPREFIX/work"
cd "$WINEPREFIX/work"
# The Linux tool's backups stay in the prefix too, never in the real home.
export XDG_DATA_HOME=$WINEPREFIX/work/data

start_helper port "$sim" --model RQ30
wine_map_port COM5 "$port"

# A tracker holding settings of a user's: a phone, a CP1251 name, a period.
printf '[GPS Quelter Config file]\r\nBootVersion=17\r\nMainPhone.PhoneNum=+79161234567\r\nQuelterName=\xcc\xe0\xf8\xe8\xed\xe0\r\nWakeupPeriod=1500\r\nMonServerIP=gps.example.org:5050\r\n' >user.ini
linux 0 write user.ini --port "$port"
linux 0 read --port "$port" -o linux.ini

# Read: the same settings file, byte for byte, to a file and to standard output.
win 0 read --port COM5 -o windows.ini
same linux.ini windows.ini
win 0 read --port COM5 >stdout.ini 2>read.log
same linux.ini stdout.ini
grep -q "Параметры прочитаны успешно" read.log || fail "no success text: $(cat read.log)"

# Write: what Windows wrote, Linux reads back.
sed 's/^MainPhone.PhoneNum=+79161234567/MainPhone.PhoneNum=+70000000001/' linux.ini >edited.ini
! cmp -s linux.ini edited.ini || fail "the edit changed nothing"
win 0 write edited.ini --port COM5 2>write.log
linux 0 read --port "$port" -o back.ini
same edited.ini back.ini

# The write's backup, in %LOCALAPPDATA%\quelter-config\backups: the tracker as
# it was; restored, the tracker is back to it.
backup=$(sed -n 's/^Резервная копия: //p' write.log | tr -d '\r')
[[ $backup == *'\quelter-config\backups\'*-RQ30.bin || $backup == *'\quelter-config\backups\'*-RQ30-[0-9]*.bin ]] || fail "no backup named: $(cat write.log)"
win 0 restore "$backup" --port COM5
linux 0 read --port "$port" -o restored.ini
same linux.ini restored.ini
win 0 write edited.ini --port COM5

# Reset: refused for another model, else the factory configuration, as Linux writes it.
win 2 reset --model RQ10 --port COM5
win 0 reset --port COM5
linux 0 read --port "$port" -o windows-reset.ini
linux 0 write edited.ini --port "$port"
linux 0 reset --port "$port"
linux 0 read --port "$port" -o linux-reset.ini
same linux-reset.ini windows-reset.ini
! cmp -s edited.ini windows-reset.ini || fail "reset changed nothing"

# A port nothing is mapped to: no tracker found.
win 1 read --port COM9
echo "quelter-cli.exe read, wrote and reset the simulated tracker as the Linux tool does"
