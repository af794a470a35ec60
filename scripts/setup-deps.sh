#!/bin/sh
# Installs the Debian packages the build and the tests need; does nothing when
# they are all there already. Wine's 32-bit half (wine32, i386 multiarch) only
# where the kernel runs 32-bit programs: elsewhere the suite runs the x64 build
# alone and says so.
set -eu
cd "$(dirname "$0")/.."

packages="cmake make g++ python3
  g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-posix binutils-mingw-w64
  libz-mingw-w64-dev lzma-dev liblzma-dev googletest clang libclang-rt-14-dev
  wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick nsis xz-utils osslsigncode openssl
  python3-yaml python3-jsonschema"

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

install() {
  echo "Installing:$*"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "$@"
}

missing=""
for p in $packages; do
  installed "$p" || missing="$missing $p"
done
# shellcheck disable=SC2086
[ -z "$missing" ] || install $missing

if why=$(python3 scripts/x86_check.py --kernel); then
  if ! installed wine32:i386; then
    dpkg --add-architecture i386
    install wine32:i386
  fi
else
  echo "x86: not run: $why; wine32 is left out and the tests run the x64 build alone"
fi
