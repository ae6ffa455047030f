#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (only the
# missing ones). Runs apt-get as root, or through sudo when there is one.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libpq-dev libglib2.0-dev nlohmann-json3-dev libxml2-dev libuchardet-dev libssl-dev
  libpcre2-dev libfmt-dev libcli11-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
  libspdlog-dev postgresql openssh-server sshpass procps iproute2 openssl
  chromium
)
# npm installs the test servers of the PostgreSQL versions Debian lacks
# (scripts/pg-versions.sh). A node and npm of other origin are used as they are.
command -v npm >/dev/null || packages+=(nodejs npm)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q >&2
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
