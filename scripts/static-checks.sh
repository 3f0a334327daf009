#!/usr/bin/env bash
# Static analysis of the program's own code with cppcheck, and the layout of every C++ file
# against .clang-format. Compiler warnings are errors in every build already
# (CMakeLists.txt); this adds the checks a compiler does not make.
#   warning      undefined behaviour, wrong use of the library, resource leaks
#   performance  needless copies and allocations
#   portability  code whose meaning depends on the platform
# "style" is left out: most of its findings are taste, not faults. Any suppression is made
# inline, next to the code, with a comment saying why.
# Tests and benchmarks are not checked: cppcheck cannot expand GoogleTest's macros.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh cppcheck clang-format

# Every C++ file the repository tracks, laid out as .clang-format says.
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}"; then
  echo "static checks: the files above are not formatted; run clang-format -i on them" >&2
  exit 1
fi

# Each folder uses only those below it (docs/architecture.md): calc/ knows none of the others,
# report/ only calc/, platform/ nothing of windows/; neither calc/ nor report/ sees Qt.
layering() {
  local folder="$1" forbidden="$2"
  git grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($forbidden)" -- "$folder/" || true
}
violations="$(layering calc 'report/|platform/|windows/|Q|qt')
$(layering report 'platform/|windows/|Q|qt')
$(layering platform 'windows/')"
if [ -n "${violations//[[:space:]]/}" ]; then
  echo "$violations" | sed '/^$/d'
  echo "static checks: the includes above break the layering of the folders" >&2
  exit 1
fi

# No thread waits through libstdc++'s atomic waits (stop tokens, semaphores, latches,
# barriers): without a futex, as on MinGW-w64, such a wait can miss its wake-up and never end
# (docs/architecture.md). Threads stop on a flag under a mutex and a condition variable.
atomic_waits="$(git grep -nE 'stop_token|stop_callback|<semaphore>|<latch>|<barrier>' \
  -- calc/ report/ platform/ windows/ || true)"
if [ -n "$atomic_waits" ]; then
  echo "$atomic_waits"
  echo "static checks: the lines above wait in a way that can hang on Windows" >&2
  exit 1
fi

cppcheck --enable=warning,performance,portability --std=c++20 --language=c++ \
  --error-exitcode=1 --inline-suppr --quiet -I . calc platform report windows
echo "static checks: no findings"
