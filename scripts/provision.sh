#!/usr/bin/env bash
# Prepares the data root ($QUORVANE_ROOT, default ~/.local/share/quorvane)
# for a build: registers its modules, creates the demo Oracle home and, when
# the user has no last palette yet, writes the demo palette (a queue on DEMO
# and one on LEGACY) and makes it the one the next start opens.
#   scripts/provision.sh BUILD_DIR
# Safe to run again: a user's own last palette is never replaced.
set -euo pipefail
build_dir=${1:?usage: $0 BUILD_DIR}
build_dir=$(cd "$build_dir" && pwd)
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

bash "$top/scripts/register-modules.sh" "$build_dir"

oradmin="$build_dir/bin/oradmin"
if [ -x "$oradmin" ]; then
  "$oradmin" demo >/dev/null ||
    echo "warning: the demo Oracle home could not be set up; Quorvane runs, but connecting to the demo databases will fail" >&2
fi

quorvane="$build_dir/bin/quorvane"
if [ -x "$quorvane" ]; then
  # Written by the program itself, without a window on the screen.
  QT_QPA_PLATFORM=offscreen "$quorvane" --write-demo-palette ||
    echo "warning: the demo palette could not be written; Quorvane starts with a new palette" >&2
fi
