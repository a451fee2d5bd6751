#!/usr/bin/env bash
# Registers the in-process modules of a build into the data root
# ($QUORVANE_ROOT, default ~/.local/share/quorvane).
#   scripts/register-modules.sh BUILD_DIR
set -euo pipefail
build_dir=${1:?usage: $0 BUILD_DIR}
regsvr="$build_dir/bin/regsvr"
[ -x "$regsvr" ] || exit 0
for m in "$build_dir"/lib/VkReg.so "$build_dir"/lib/QVCtrl.so "$build_dir"/lib/TwQlVw.so; do
  [ -f "$m" ] || continue
  # Modules not yet built out export no registration entry point. (grep reads
  # all of nm's output: with pipefail, grep -q would fail the check.)
  nm -D --defined-only "$m" 2>/dev/null | grep ' DllRegisterServer$' >/dev/null || continue
  "$regsvr" /s "$m"
done
