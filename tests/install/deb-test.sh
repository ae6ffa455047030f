#!/usr/bin/env bash
# Builds the Debian package from the built tree (cpack -G DEB) and checks its
# control data and contents: dependencies computed from the linked libraries,
# the libraries with their sonames, the program, headers, pkg-config files,
# CMake package, man pages and bash completion, all under /usr.
# Usage: deb-test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail cpack; }
deb=$(find "$work" -maxdepth 1 -name 'dizezida_*.deb')
[ -n "$deb" ] || fail "no package"
info=$(dpkg-deb -I "$deb")
depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',' '\n' <<<"$depends" | sed -E 's/^ *//; s/ .*//')
for package in libc6 libstdc++6 libpq5 libglib2.0-0 libssl3 libxml2 libpcre2-8-0 libuchardet0 libfmt9; do
  grep -qxF "$package" <<<"$names" || fail "Depends lacks $package: $depends"
done
grep -q 'shlibs' <<<"$info" || fail "no shlibs file: $info"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/dizezida-postgresql ./usr/lib/libdovodarud.so.0 ./usr/lib/libzozuvoru.so.0 \
  ./usr/lib/librezizida.so.0 ./usr/lib/libdizezida_core.so.0 \
  ./usr/include/dizezida/dovodarud/Supports/Database/ConnectionImpl.hpp \
  ./usr/lib/pkgconfig/dovodarud.pc ./usr/lib/cmake/dizezida/dizezida-config.cmake \
  ./usr/share/man/man1/dizezida-postgresql.1.gz ./usr/share/man/man1/dizezida-postgresql-query.1.gz \
  ./usr/share/bash-completion/completions/dizezida-postgresql; do
  grep -qxF "$path" <<<"$contents" || grep -qxF "${path%.gz}" <<<"$contents" || fail "package lacks $path"
done
if grep -q 'PostgreSQLSession.hpp\|OpenSSLSupport.hpp' <<<"$contents"; then fail "private headers packed"; fi
# Unpacked, the program runs from the package's tree.
dpkg-deb -x "$deb" "$work/root"
[ "$("$work/root/usr/bin/dizezida-postgresql" home)" = "$work/root/usr" ] || fail "home in the package tree"
echo "package OK: $(basename "$deb"), Depends: $depends"
