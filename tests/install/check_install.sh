#!/usr/bin/env bash
# The library as a downstream project gets it, two ways:
#  1. `cmake --install` into a scratch prefix;
#  2. the Debian package from CPack, unpacked into a clean folder.
# Each time a small client is built against it through find_package and
# through pkg-config and run against a scratch store and temporary folder.
set -euo pipefail
build_dir=$1
source_dir=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Builds the consumer against the tree under $1 (a prefix) and runs both builds.
check_prefix() {
  local prefix=$1 name=$2
  local libdir
  libdir=$(dirname "$(find "$prefix" -name 'libcommonvelmora.so.*' | head -n 1)")
  PKG_CONFIG_PATH="$libdir/pkgconfig" \
    cmake -S "$source_dir/tests/install/consumer" -B "$scratch/build-$name" -G Ninja \
    -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$scratch/build-$name" >/dev/null
  for client in consumer consumer_pc; do
    local home="$scratch/home-$name-$client"
    mkdir -p "$home/tmp"
    echo "--- $name: $client"
    HOME="$home" TMPDIR="$home/tmp" VELMORA_REGISTRY="$home/registry.sqlite3" \
      LD_LIBRARY_PATH="$libdir" "$scratch/build-$name/$client"
  done
  # The tool and its man page come along.
  test -x "$prefix/bin/velmora"
  test -s "$prefix/share/man/man1/velmora.1"
}

cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null
check_prefix "$scratch/prefix" install

(cd "$build_dir" && cpack -G DEB -B "$scratch/package" >/dev/null)
deb=$(find "$scratch/package" -maxdepth 1 -name 'commonvelmora_*.deb' | head -n 1)
test -n "$deb"
dpkg-deb -x "$deb" "$scratch/root"
echo "--- package $(basename "$deb")"
# The package's pkg-config and CMake files find their prefix relative to
# themselves, so the unpacked tree works where it lies.
check_prefix "$scratch/root/usr" package
