#!/usr/bin/env bash
# Sets up Quorvane on Debian 12 and then runs it or its tests.
#   scripts/setup.sh run     install what is missing, build, register, start the program
#   scripts/setup.sh test    install what is missing, build, register, run every test
#                            in the C.UTF-8 and the tr_TR.UTF-8 locale
# Both are idempotent and incremental. QUORVANE_SANITIZE=1 builds with the
# address and undefined-behaviour sanitizers (in build-asan/).
set -euo pipefail

mode=${1:-}
case "$mode" in
  run|test|build) ;;
  *) echo "usage: $0 run|test|build" >&2; exit 2 ;;
esac
shift || true

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libsqlite3-dev
          libgtest-dev libgmock-dev googletest libbenchmark-dev fonts-dejavu-core locales)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

install_missing

# The tests run in the Turkish locale as well: there the C library's case
# mapping leaves 'i' alone and numbers are written with a decimal comma.
test_locales=(C.UTF-8 tr_TR.UTF-8)
generate_locales() {
  locale -a 2>/dev/null | grep -qix 'tr_TR.utf-\?8' && return 0
  echo "Generating the tr_TR.UTF-8 locale"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  if grep -q '^# *tr_TR.UTF-8 UTF-8' /etc/locale.gen; then
    "${sudo[@]}" sed -i 's/^# *\(tr_TR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^tr_TR.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'tr_TR.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo[@]}" locale-gen
}

generate_locales

build_dir=build
cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${QUORVANE_SANITIZE:-0}" = 1 ]; then
  build_dir=build-asan
  cmake_args+=(-DQUORVANE_SANITIZE=ON)
  # Up to GCC 13 the runtime can take a malloc'd block of dynamic TLS (the
  # client library's, loaded with dlopen) for an old glibc's and read its
  # bounds from the words before it; the leak check at exit then dies on a
  # coincidence of addresses. Nothing of ours keeps heap pointers in TLS.
  export ASAN_OPTIONS=${ASAN_OPTIONS:-intercept_tls_get_addr=0}
  # Instrumented frames are larger: the deepest statements need more stack.
  ulimit -s 65536 2>/dev/null || true
fi

[ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" "${cmake_args[@]}"
cmake --build "$build_dir" -j "$(nproc)"

# Register the modules, create the demo Oracle home and the demo palette in
# the data root ($QUORVANE_ROOT, default ~/.local/share/quorvane).
provision() {
  bash scripts/provision.sh "$build_dir"
}

case "$mode" in
  build)
    ;;
  run)
    provision
    exec "$build_dir/bin/quorvane" "$@"
    ;;
  test)
    provision
    export QT_QPA_PLATFORM=offscreen
    # Tests make their own data roots; nothing here touches the user's.
    failed=0
    summary=()
    for loc in "${test_locales[@]}"; do
      echo "== Tests with LC_ALL=$loc"
      log="$build_dir/Testing/run-$loc.log"
      mkdir -p "$build_dir/Testing"
      if ! LC_ALL=$loc ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "$@" 2>&1 | tee "$log"; then
        failed=1
        summary+=("$loc")
      fi
    done
    # Tests shut down what they start: a job queue process of this build
    # still running after the suite is a leak (it ends within a second of
    # its database's files going, so give it that long).
    queue_pattern="^$(cd "$build_dir" && pwd -P)/bin/oradmin queue-process "
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      pgrep -f "$queue_pattern" >/dev/null || break
      sleep 0.2
    done
    if pgrep -af "$queue_pattern"; then
      echo "== Job queue processes were left running by the tests (listed above)"
      failed=1
    fi
    # The end of a long log is what gets read: say there what failed and why.
    for loc in "${summary[@]}"; do
      echo "== Failed with LC_ALL=$loc:"
      grep -E '\*\*\*(Failed|Timeout|Exception)|Not Run|: Failure$|^Expected|^  Actual|Which is:|Value of:|^\[  FAILED  \]' \
        "$build_dir/Testing/run-$loc.log" | head -60 || true
    done
    exit $failed
    ;;
esac
