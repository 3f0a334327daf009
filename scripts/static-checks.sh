#!/usr/bin/env bash
# Static analysis of the program's own code with cppcheck, of every C++ file with clang-tidy,
# and the layout of every C++ file against .clang-format. Compiler warnings are errors in every
# build already (CMakeLists.txt); this adds the checks a compiler does not make.
# cppcheck:
#   warning      undefined behaviour, wrong use of the library, resource leaks
#   performance  needless copies and allocations
#   portability  code whose meaning depends on the platform
# "style" is left out: most of its findings are taste, not faults. Tests and benchmarks are not
# checked by it: cppcheck cannot expand GoogleTest's macros.
# clang-tidy: the bugprone, concurrency and performance checks that .clang-tidy names, over
# the program, its tests, benchmarks and tools, the Windows halves included.
# Any suppression is made inline, next to the code, with a comment saying why.
set -euo pipefail
cd "$(dirname "$0")/.."

# clang for the compile commands clang-tidy reads; the benchmark libraries so that the
# benchmarks are among them; MinGW's C++ headers for the Windows halves.
./scripts/install-deps.sh cppcheck clang-format clang-tidy clang libbenchmark-dev \
  libprimesieve-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix

# Every C++ file the repository tracks, laid out as .clang-format says.
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}"; then
  echo "static checks: the files above are not formatted; run clang-format -i on them" >&2
  exit 1
fi

# Each folder uses only those below it (docs/architecture.md): calc/sieve/ knows nothing of the
# rest of calc/, calc/ none of the others, report/ only calc/, platform/ nothing of windows/;
# neither calc/ nor report/ sees Qt.
layering() {
  local folder="$1" forbidden="$2"
  git grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($forbidden)" -- "$folder/" || true
}
violations="$(layering calc/sieve 'calc/[A-Za-z0-9_]+\.h|report/|platform/|windows/|Q|qt')
$(layering calc 'report/|platform/|windows/|Q|qt')
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

# clang-tidy over what a build with everything compiles: the compile commands of a build that
# is configured, not built, but for the output of moc that some sources include. Debug, so
# that the checks see every assert.
tidy_build=build-tidy
CXX=clang++ cmake -S . -B "$tidy_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCMAKE_AUTOGEN_ORIGIN_DEPENDS=OFF \
  -DVODAZI_BUILD_BENCH=ON -DVODAZI_BUILD_PICTURES=ON -DVODAZI_BUILD_FUZZ=ON >/dev/null
cmake --build "$tidy_build" --target vodazi_platform_autogen vodazi_windows_autogen >/dev/null
mapfile -t tidy_sources < <(sed -n 's/^ *"file": "\(.*\)",*$/\1/p' "$tidy_build/compile_commands.json" |
  sed "s|^$PWD/||" | grep -E '^(bench|calc|platform|report|scripts|tests|windows)/' | sort -u)
# The Windows halves, parsed as the MinGW-w64 cross-build compiles them.
mingw_cxx_headers=()
while read -r folder; do
  mingw_cxx_headers+=(-isystem "$folder")
done < <(echo | x86_64-w64-mingw32-g++-posix -std=c++20 -x c++ -E -v - 2>&1 |
  sed -n '/^#include <...> search starts here:/,/^End of search list./p' | grep '^ .*c++' | sed 's/^ //')
mapfile -t windows_sources < <(git ls-files '*/win32/*.cpp' 'tests/report/Win32ReportTest.cpp')
windows_flags=(--target=x86_64-w64-mingw32 -std=c++20 -I . -isystem /usr/src/googletest/googletest/include
  -nostdinc++ "${mingw_cxx_headers[@]}" -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
  -Wold-style-cast -Woverloaded-virtual)
header_filter="^$PWD/(bench|calc|platform|report|scripts|tests|windows)/"
tidy() {
  # Only what clang-tidy finds; not its count of the warnings it hid in foreign headers.
  clang-tidy --quiet --header-filter="$header_filter" "$@" 2> >(grep -v 'warnings\? generated\.$' >&2)
}
export -f tidy
export header_filter
status=0
printf '%s\n' "${tidy_sources[@]}" | xargs -P "$(nproc)" -I{} bash -c 'tidy -p "$0" "$1"' "$tidy_build" {} ||
  status=1
for source in "${windows_sources[@]}"; do
  tidy "$source" -- "${windows_flags[@]}" || status=1
done
if [ "$status" -ne 0 ]; then
  echo "static checks: clang-tidy's findings above; mend them, or excuse one where it stands" >&2
  exit 1
fi
echo "static checks: no findings"
