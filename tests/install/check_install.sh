#!/usr/bin/env bash
# Installs the built library into a scratch prefix and builds a small client
# against it through find_package(CommonVelmora) and pkg-config.
set -euo pipefail
build_dir=$1
source_dir=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null
export PKG_CONFIG_PATH="$scratch/prefix/lib/pkgconfig:$scratch/prefix/lib/x86_64-linux-gnu/pkgconfig"
cmake -S "$source_dir/tests/install/consumer" -B "$scratch/build" -G Ninja \
  -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/build" >/dev/null
libdir=$(dirname "$(find "$scratch/prefix" -name 'libcommonvelmora.so.*' | head -n 1)")
LD_LIBRARY_PATH="$libdir" "$scratch/build/consumer"
LD_LIBRARY_PATH="$libdir" "$scratch/build/consumer_pc"
