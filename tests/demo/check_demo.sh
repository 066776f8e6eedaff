#!/usr/bin/env bash
# Runs the demo client as a new user would, on a scratch profile with no
# display, and checks that each step of the day did its work.
set -euo pipefail
demo=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
out=$(env -u DISPLAY -u WAYLAND_DISPLAY HOME="$scratch" TMPDIR= XDG_CONFIG_HOME= \
  VELMORA_REGISTRY="$scratch/registry.sqlite3" "$demo")
echo "$out"
expect() {
  grep -qF -- "$1" <<<"$out" || { echo "demo output lacks: $1" >&2; exit 1; }
}
expect "SetRegistryValue LastRun   ErrorCode 0"
expect "StoreMessageToLog          True"
expect "GetObjectData and back     2 entries, Dealing desk"
expect "RestoreGridSetting         first column Instrument, Qty width 900"
expect "GetDataImage               a picture"
expect 'ExecMetodLet GetClipString True, 3 rows, the first "EURUSD Buy 1.08 250000"'
expect "MsgActivate                skipped: no display"
[ -s "$scratch/registry.sqlite3" ] || { echo "no settings store written" >&2; exit 1; }
ls "$scratch/.local/Velmora Manager/LogFiles/"*.log >/dev/null
