#!/usr/bin/env bash
# Installs the Debian packages a build needs, only those that are missing.
# Usage: tools/install-deps.sh core|bench|fuzz|dev ...
# dev: the compiler cache, which the build uses when it is installed.
set -euo pipefail

core=(cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev valgrind
      zlib1g-dev libpng-dev libjpeg-dev libsdl2-dev libgl-dev libegl-dev
      libgl1-mesa-dri libopenal-dev libenet-dev libimgui-dev)
bench=(libbenchmark-dev libbullet-dev libode-dev libmeshoptimizer-dev libembree-dev libboost-graph-dev
       libprotobuf-dev protobuf-compiler libfccp-dev libimgui-dev)
fuzz=(clang libclang-rt-14-dev)
dev=(ccache)

want=()
for set in "$@"; do
  case "$set" in
    core)  want+=("${core[@]}") ;;
    bench) want+=("${core[@]}" "${bench[@]}") ;;
    fuzz)  want+=("${core[@]}" "${fuzz[@]}") ;;
    dev)   want+=("${core[@]}" "${dev[@]}") ;;
    *) echo "install-deps: unknown package set '$set'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
