#!/usr/bin/env bash
# Runs a command with a display and a Wine prefix of its own, made afresh in
# WORK as for the end-to-end scenarios (Spanish, unmanaged windows); both end
# with the run. Wine needs an X display to create windows, and a private
# prefix keeps window tests away from the other tests' Wine server.
#   with_display.sh WORK COMMAND...
# shellcheck source=tests/e2e/run_e2e.sh
source "$(dirname "$0")/../e2e/run_e2e.sh"
e2e_start "$1" || exit 1
shift
QEB_WINEPREFIX=$WINEPREFIX "$@"
