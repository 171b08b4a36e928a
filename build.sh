#!/usr/bin/env bash
# One entry point for users and CI: ./build.sh {deps|build|test|run|bench|fuzz|screenshots}
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD_DIR="${ZQ_BUILD_DIR:-$ROOT/build}"
BUILD_TYPE="${ZQ_BUILD_TYPE:-RelWithDebInfo}"
JOBS="${ZQ_JOBS:-$(nproc)}"

# Debian packages the build, the tests and the program need.
PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libssl-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  fonts-wqy-microhei xvfb
  clang  # ./build.sh fuzz: libFuzzer targets
  libclang-rt-14-dev  # ./build.sh fuzz: libFuzzer, ASan and UBSan runtimes
)

usage() {
  cat <<USAGE
usage: ./build.sh COMMAND [options]
  deps          install the Debian packages that are missing
  build         deps, compile, assemble the program folder build/ZQ
  test [--asan] build, then run every test (ctest)
  run           build, then start the program from build/ZQ
  bench         build, then run the benchmarks
  fuzz [SECONDS] build the libFuzzer targets (clang, ASan, UBSan) in build-fuzz
                and run each in turn for SECONDS (default 60)
USAGE
}

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

cmd_deps() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

cmd_build() {
  cmd_deps
  cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" >/dev/null
  cmake --build "$BUILD_DIR" -j "$JOBS"
}

cmd_test() {
  if [ "${1:-}" = "--asan" ]; then
    BUILD_DIR="$ROOT/build-asan"
    BUILD_TYPE=Asan
    shift
  fi
  cmd_build
  (cd "$BUILD_DIR" && ctest --output-on-failure -j "$JOBS" --timeout 600 "$@")
}

cmd_run() {
  cmd_build
  local prog="$BUILD_DIR/ZQ"
  if [ -x "$prog/ZQ" ]; then
    exec "$prog/ZQ" "$@"
  fi
  if [ -x "$prog/zqscan" ]; then
    echo "The desktop program is not built yet; running the command-line scanner over a demo folder instead."
    local demo="$BUILD_DIR/demo"
    rm -rf "$demo" && mkdir -p "$demo/sub"
    "$prog/zqsig" sample "$demo/sub/test-sample.exe"
    echo "harmless text" >"$demo/readme.txt"
    set +e
    "$prog/zqscan" --home "$prog" "$demo"
    local rc=$?
    set -e
    echo "(zqscan exit status: $rc)"
    return 0
  fi
  echo "Nothing to run yet: the program folder $prog holds no program."
}

cmd_bench() {
  cmd_build
  local found=0
  for b in "$BUILD_DIR"/bench/*; do
    [ -x "$b" ] && [ -f "$b" ] || continue
    found=1
    echo "== $(basename "$b")"
    "$b" "$@"
  done
  for s in "$ROOT"/bench/*.sh; do
    [ -f "$s" ] || continue
    echo "(side-by-side script available: $s)"
  done
  [ $found = 1 ] || echo "No benchmarks built."
}

cmd_fuzz() {
  local seconds="${1:-60}"
  cmd_deps
  local dir="${ZQ_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
  local flags="-O2 -g -fno-omit-frame-pointer -fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all"
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DZQ_BUILD_FUZZ=ON -DZQ_BUILD_TESTS=OFF -DZQ_BUILD_BENCH=OFF >/dev/null
  cmake --build "$dir" --target fuzzers -j "$JOBS"
  local failed=0
  # The targets rewrite a file on every run: keep that off the disk when we can.
  local tmp="${TMPDIR:-/tmp}"
  [ -d /dev/shm ] && [ -w /dev/shm ] && tmp=/dev/shm
  for f in "$dir"/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    local name
    name="$(basename "$f")"
    local corpus="$dir/corpus/$name" artifacts="$dir/artifacts/$name"
    mkdir -p "$corpus" "$artifacts"
    local seeds=()
    [ -d "$ROOT/fuzz/corpus/$name" ] && seeds+=("$ROOT/fuzz/corpus/$name")
    [ -d "$ROOT/fuzz/regressions/$name" ] && seeds+=("$ROOT/fuzz/regressions/$name")
    echo "== $name for ${seconds}s (crash inputs go to $artifacts/)"
    set +e
    TMPDIR="$tmp" "$f" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}" 2>"$dir/$name.log"
    local rc=$?
    set -e
    grep -E "^Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb" "$dir/$name.log" || true
    if [ $rc -ne 0 ]; then
      echo "$name FAILED (exit $rc), see $dir/$name.log"
      failed=1
    fi
  done
  return $failed
}

main() {
  local cmd="${1:-}"
  [ $# -gt 0 ] && shift
  case "$cmd" in
    deps) cmd_deps "$@" ;;
    build) cmd_build ;;
    test) cmd_test "$@" ;;
    run) cmd_run "$@" ;;
    bench) cmd_bench "$@" ;;
    -h|--help|help|"") usage ;;
    *)
      if declare -F "cmd_$cmd" >/dev/null; then
        "cmd_$cmd" "$@"
      else
        usage
        exit 2
      fi
      ;;
  esac
}

main "$@"
