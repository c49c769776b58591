#!/usr/bin/env bash
# Runs the Win32 port tests (the program given) in a prefix of their own:
# COM5 and COM6 are the two ends of a null-modem cable, COM7 a device that is
# no serial port.  Usage: com_port_test.sh NULL_MODEM TEST_EXE
set -euo pipefail
source "$(dirname "$0")/wine_ports.sh"
null_modem=$1 test_exe=$2

wine_prefix_new
start_helper ends "$null_modem"
read -r end_a end_b <<<"$ends"
wine_map_port COM5 "$end_a"
wine_map_port COM6 "$end_b"
wine_map_port COM7 /dev/null
wine_run "$test_exe"
