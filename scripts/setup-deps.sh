#!/bin/sh
# Installs the Debian packages the build and the tests need; does nothing when
# they are all there already.
set -eu

packages="cmake make g++ python3
  g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-posix binutils-mingw-w64
  libz-mingw-w64-dev lzma-dev liblzma-dev googletest clang libclang-rt-14-dev
  wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick nsis xz-utils osslsigncode openssl"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update
# shellcheck disable=SC2086
apt-get install -y --no-install-recommends $missing
