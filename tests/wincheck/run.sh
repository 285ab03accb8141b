#!/usr/bin/env bash
# Checks on paper that the Windows build compiles: MinGW-w64 parses every *_win.cpp and every
# shared source of the program and of the tests (-fsyntax-only) against Debian's Qt headers.
# Nothing is linked or run. Needs the Linux build for buildconfig.h, testpaths.h and the files
# uic and moc generate. Names each file that fails and exits non-zero when any does.
# With arguments, checks only those files (paths relative to the top folder).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

glimra_install_packages "${GLIMRA_WINCHECK_PACKAGES[@]}"

# The POSIX thread model, as in Qt's own MinGW builds: with the win32 model GCC 12 lacks
# std::future, which qthread.h uses.
compiler=x86_64-w64-mingw32-g++-posix
command -v "$compiler" >/dev/null 2>&1 || compiler=x86_64-w64-mingw32-g++

if [ ! -f "$GLIMRA_BUILD/src/buildconfig.h" ] || [ ! -f "$GLIMRA_BUILD/tests/testpaths.h" ]; then
    echo "wincheck: no Linux build in $GLIMRA_BUILD; run ./test.sh first." >&2
    exit 1
fi

qt=/usr/include/x86_64-linux-gnu/qt5
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# zlib and OpenSSL as Debian ships them, and nothing else of /usr/include, so that a Linux-only
# header in shared code still fails here.
mkdir -p "$work/include/openssl"
ln -s /usr/include/zlib.h /usr/include/zconf.h "$work/include/"
ln -s /usr/include/openssl/*.h /usr/include/x86_64-linux-gnu/openssl/*.h "$work/include/openssl/"

flags=(-std=c++17 -fsyntax-only -Wall -Wextra -DUNICODE -D_UNICODE
       -DQT_NO_VERSION_TAGGING -DQT_DEPRECATED_WARNINGS -DQT_NO_FOREACH
       -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NETWORK_LIB -DQT_TESTLIB_LIB
       -isystem "$qt")
for module in QtCore QtGui QtWidgets QtNetwork QtTest; do
    flags+=(-isystem "$qt/$module")
done
flags+=(-isystem "$work/include"
        -I "$GLIMRA_ROOT/src" -I "$GLIMRA_BUILD/src"
        -I "$GLIMRA_ROOT/tests/support" -I "$GLIMRA_BUILD/tests")
# ui_*.h and the tests' *.moc.
while IFS= read -r folder; do
    flags+=(-I "$folder")
done < <(find "$GLIMRA_BUILD" -type d -path '*_autogen/include*' -prune | sort)

# The tests CMake leaves out of the Windows build.
linux_only="$(sed -n 's/^set(GLIMRA_LINUX_ONLY_TESTS \(.*\))$/\1/p' "$GLIMRA_ROOT/tests/CMakeLists.txt")"

cd "$GLIMRA_ROOT"
sources=()
while IFS= read -r file; do
    case " $linux_only " in *" ${file#tests/} "*) continue ;; esac
    sources+=("$file")
done < <(if [ $# -gt 0 ]; then printf '%s\n' "$@"; else
    find src tests/support -name '*.cpp' ! -name '*_unix.cpp'
    find tests -maxdepth 1 -name 'test_*.cpp'
fi | sort)

printf '%s\0' "${flags[@]}" >"$work/flags"
export compiler work
check() {
    local file="$1" flags=() log
    mapfile -d '' flags <"$work/flags"
    # One write per file, so that parallel checks do not interleave their reports.
    if log="$("$compiler" "${flags[@]}" "$file" 2>&1)"; then
        printf '%s%sok      %s\n' "$log" "${log:+$'\n'}" "$file"
    else
        printf '%s\nFAILED  %s\n' "$log" "$file"
        echo "$file" >>"$work/failed"
    fi
}
export -f check

echo "wincheck: $compiler on ${#sources[@]} files"
start=$SECONDS
printf '%s\0' "${sources[@]}" | xargs -0 -n 1 -P "$(nproc)" bash -c 'check "$1"' _
if [ -s "$work/failed" ]; then
    echo "wincheck: these files do not compile for Windows:" >&2
    sort "$work/failed" | sed 's/^/  /' >&2
    exit 1
fi
echo "wincheck: all ${#sources[@]} files compile for Windows ($((SECONDS - start)) s)"
