#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test, benchmark and fuzz
# CommonVelmora. Safe to run again; needs root (or sudo).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config git
  libsqlite3-dev libutf8proc-dev nlohmann-json3-dev
  qt6-base-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libspdlog-dev libboost-dev
  clang libclang-rt-14-dev
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 update -qq
"${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}"
