#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and checks it from outside:
# the program runs from there (its home is the prefix), the public headers
# leak no libpq, OpenSSL, libxml2, PCRE2, uchardet or GLib types (GLib only in
# the application object's C header, by design) and include only installed
# headers, and a small program builds and runs against the prefix both with
# find_package(dizezida) and with pkg-config.
# Usage: install-test.sh BUILD_DIR CONSUMER_SOURCE_DIR [EXTRA_COMPILER_FLAGS]
set -euo pipefail
build=$1 consumer=$2 flags=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
program=$prefix/bin/dizezida-postgresql
[ "$("$program" home)" = "$prefix" ] || fail "home is $("$program" home), not $prefix"
"$program" --version | grep -q '^dizezida-postgresql [0-9]' || fail "--version"
[ -f "$prefix/share/man/man1/dizezida-postgresql-query.1" ] || fail "no man page for query"
[ -f "$prefix/share/bash-completion/completions/dizezida-postgresql" ] || fail "no completion"

include=$prefix/include/dizezida
leaks=$(grep -rlE '#include *<(libpq|openssl/|libxml/|pcre2|uchardet|glib|gio/|gobject/)' "$include" |
  grep -v '/ui/rezizida\.h$' || true)
[ -z "$leaks" ] || fail "public headers include platform headers: $leaks"
grep -rE '^#include "' "$include" | sed -E 's|^([^:]*):#include "([^"]+)".*|\1 \2|' |
  while read -r header included; do
    [ -f "$include/$included" ] || [ -f "$include/dovodarud/$included" ] ||
      fail "$header includes $included, which is not installed"
  done

expected=$(printf '%s\n' "me@db.example:6543/shop" "SELECT a, b FROM t" 1 1 /opt/home)
cmake -S "$consumer" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$work/cmake" >/dev/null
[ "$("$work/cmake/consumer")" = "$expected" ] || fail "find_package program printed: $("$work/cmake/consumer")"

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
# shellcheck disable=SC2046,SC2086
g++ -std=c++23 $flags -o "$work/pc-consumer" "$consumer/main.cpp" \
  $(pkg-config --cflags --libs dovodarud rezizida)
[ "$(LD_LIBRARY_PATH=$prefix/lib "$work/pc-consumer")" = "$expected" ] || fail "pkg-config program"
echo "installed tree OK: $(find "$prefix" -type f | wc -l) files"
