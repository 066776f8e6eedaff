#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test, benchmark and fuzz
# CommonVelmora. Safe to run again; needs root (or sudo).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config git
  libsqlite3-dev libutf8proc-dev nlohmann-json3-dev
  qt6-base-dev
  # Event sounds of the message window; a real X server for the window tests.
  libcanberra-dev xvfb xauth
  libgtest-dev libgmock-dev libbenchmark-dev
  libspdlog-dev libboost-dev
  clang libclang-rt-14-dev
  locales
  doxygen dpkg-dev
  # The Windows DLL: cross compiler, widl and the system IDL files, and Wine
  # to register and test it.
  g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine wine64
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages present"
else
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 update -qq
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}"
fi

# The conversion tests read numbers and dates under real English, German and
# Russian locales as well as the C locale.
for loc in en_US de_DE ru_RU; do
  if ! locale -a 2>/dev/null | grep -qi "^${loc}\.utf-\?8$"; then
    echo "install-deps: enabling ${loc}.UTF-8 for the locale tests"
    "${sudo_cmd[@]}" sed -i "s/^# *\(${loc}.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    generate=1
  fi
done
if [ "${generate:-0}" = 1 ]; then
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
