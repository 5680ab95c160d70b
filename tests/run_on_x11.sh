#!/usr/bin/env bash
# Runs a test program on a virtual X display with a window manager (Xvfb and
# openbox) and passes on its exit status.
#   run_on_x11.sh PROGRAM [ARGUMENTS...]
# Exits 77 (skipped) when the X tools are not installed.
set -euo pipefail

source "$(dirname "$0")/support/x11_session.sh"
x11_require_tools

work="$(mktemp -d)"
trap 'x11_stop; rm -rf "$work"' EXIT
x11_start 1280x1024 "$work"
status=0
QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
