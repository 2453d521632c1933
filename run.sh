#!/usr/bin/env bash
# One entry point for people and CI.
#   ./run.sh agent [kxagent options]  install what is missing, build, start kxagent
#   ./run.sh test                     install what is missing, build, run every test
#   ./run.sh test-sanitize            the same under AddressSanitizer + UBSan
#   ./run.sh bench                    build and run the benchmarks
#   ./run.sh format-check             check the formatting of our sources
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake ninja-build pkg-config clang-format libgtest-dev libgmock-dev
          libbenchmark-dev libsodium-dev libinih-dev nlohmann-json3-dev libreadline-dev)

deps() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

case "${1:-}" in
  agent)
    shift; deps; build default
    exec ./build/agent/kxagent "$@" ;;
  test)
    deps; build default
    ctest --preset default -j2 ;;
  test-sanitize)
    deps; build sanitize
    ctest --preset sanitize -j2 ;;
  bench)
    deps; build default
    for b in build/bench/*_bench; do "$b"; done ;;
  format-check)
    deps
    git ls-files '*.cc' '*.h' | xargs clang-format --dry-run --Werror ;;
  *)
    sed -n '2,7p' "$0"; exit 2 ;;
esac
