#!/usr/bin/env bash
# Writes the velmora(1) man page from the tool's own help texts, so the page
# and `--help` cannot drift apart: the synopsis and command list come from
# `velmora --help`, each command's section from `velmora COMMAND --help`.
#   scripts/manpage.sh PATH/TO/velmora VERSION > velmora.1
set -euo pipefail
tool=$1
version=${2:-}

# roff treats a leading '.' or "'" as a request and '\' as an escape.
roff_text() { sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"; }

usage=$("$tool" --help)
commands=$(printf '%s\n' "$usage" | sed -n '/^commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p')

printf '.TH VELMORA 1 "" "CommonVelmora %s" "User Commands"\n' "$version"
printf '.SH NAME\nvelmora \\- the command-line face of the CommonVelmora library\n'
printf '.SH SYNOPSIS\n.B velmora\n.I COMMAND\n[\\fIARGS\\fR...]\n'
printf '.SH DESCRIPTION\n'
printf 'Scripts and users reach the jobs of the library'"'"'s Work object through\n'
printf '.BR velmora :\n'
printf 'settings in the per-user store, the day'"'"'s log file, property trees, grids,\n'
printf 'the message window, pictures and calls of any member by name.\n'
printf '.PP\n.nf\n'
printf '%s\n' "$usage" | roff_text
printf '.fi\n.SH COMMANDS\n'
for command in $commands; do
  printf '.SS %s\n.nf\n' "$command"
  "$tool" "$command" --help | roff_text
  printf '.fi\n'
done
cat <<'ROFF'
.SH ENVIRONMENT
.TP
.B VELMORA_REGISTRY
path of the settings store (default
.IR $XDG_CONFIG_HOME/CommonVelmora/registry.sqlite3 ).
.TP
.B VELMORA_REGISTRY_BUSY_MS
how long a call waits for another process's write, in milliseconds (default 5000).
.TP
.B TMPDIR
the user's temporary folder, from which the log folder is found (default
.IR ~/.local/tmp ).
.SH EXIT STATUS
0 on success, 2 for bad usage, 3 when a called member raised an automation
error; commands that show a window exit with the button pressed.
.SH SEE ALSO
The library's README and API documentation.
ROFF
