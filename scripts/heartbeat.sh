#!/usr/bin/env bash
# heartbeat.sh LABEL COMMAND...: runs COMMAND and, while it runs, prints a line a
# minute on stderr saying so, so that a long quiet step (a package install, the i486
# runtime's build) never looks hung. Ends with COMMAND's status.
set -u
label=$1
shift
start=$(date +%s)
"$@" &
work=$!
(
  while sleep 60; do
    echo "$label: still at work after $((($(date +%s) - start) / 60)) min" >&2
  done
) &
beat=$!
trap 'kill "$work" "$beat" 2>/dev/null' INT TERM
wait "$work"
status=$?
kill "$beat" 2>/dev/null
wait "$beat" 2>/dev/null
exit "$status"
