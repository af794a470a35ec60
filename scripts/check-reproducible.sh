#!/bin/sh
# Builds the current commit twice, in two fresh clones at different paths (of
# different lengths), one after the other and with a different time zone, umask
# and locale, and compares what the builds ship byte for byte: both targets'
# VelantrixInstaller.exe and the uninst.exe inside them. Prints the result and,
# when something differs, every differing file of the two builds' products.
#
#   scripts/check-reproducible.sh [--keep] [COMMIT]
#
# COMMIT defaults to HEAD: what is committed is what is checked (uncommitted
# changes are not in the clones). The clones are removed afterwards unless the
# files differ or --keep is given. Exit code 0: identical; 1: they differ.
set -eu
cd "$(dirname "$0")/.."
repo=$(pwd)

keep=0
commit=HEAD
for arg in "$@"; do
  case "$arg" in
    --keep) keep=1 ;;
    -*) echo "usage: scripts/check-reproducible.sh [--keep] [COMMIT]" >&2; exit 2 ;;
    *) commit=$arg ;;
  esac
done
commit=$(git rev-parse --verify "$commit^{commit}")
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "note: the worktree has uncommitted changes; checking commit $commit as committed"
fi

jobs=$(nproc)
base=$(mktemp -d "${TMPDIR:-/tmp}/velantrix-repro.XXXXXX")
# Paths of different lengths: any path that reached a file would show.
first=$base/a
second=$base/second-build-with-a-much-longer-path/and/deeper
mkdir -p "$first" "$second"

build() {
  dir=$1
  git clone --quiet --no-checkout "$repo" "$dir/src"
  git -C "$dir/src" checkout --quiet --detach "$commit"
  (
    cd "$dir/src"
    cmake --preset host >/dev/null
    cmake --build --preset host -j "$jobs" --target make_package zlib_compress StampConsistencyDigest >/dev/null
    cmake --preset x64 >/dev/null
    cmake --build --preset x64 -j "$jobs" --target VelantrixInstaller >/dev/null
    cmake --preset x86 >/dev/null
    cmake --build --preset x86 -j "$jobs" >/dev/null
  ) >"$dir/build.log" 2>&1 || { echo "build in $dir failed, see $dir/build.log" >&2; exit 1; }
}

started=$(date +%s)
echo "commit $commit"
echo "build 1: $first/src"
(umask 022; TZ=UTC LC_ALL=C build "$first")
# Time enough that a clock read by any step would differ.
sleep 2
echo "build 2: $second/src"
(umask 002; TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 build "$second")

shipped="build/x86/VelantrixInstaller.exe build/x64/VelantrixInstaller.exe build/x86/product/uninst.exe build/x64/product/uninst.exe"
status=0
for file in $shipped; do
  a=$(sha256sum <"$first/src/$file" | cut -c1-64)
  b=$(sha256sum <"$second/src/$file" | cut -c1-64)
  size=$(stat -c %s "$first/src/$file")
  if [ "$a" = "$b" ]; then
    echo "identical  $file  $size bytes  sha256 $a"
  else
    echo "DIFFERENT  $file  ($a against $b)"
    status=1
  fi
done

if [ "$status" -ne 0 ]; then
  echo "differing files of the two builds (programs, libraries, objects, resources, streams, icons):"
  for preset in x86 x64; do
    (cd "$first/src/build/$preset" && find . -type f \( -name '*.exe' -o -name '*.dll' -o -name '*.lzma' \
      -o -name '*.z' -o -name '*.ico' -o -name '*.res' -o -name '*.obj' -o -name '*.a' -o -name '*.manifest' \) \
      | grep -v '^\./CMakeFiles/[0-9]' | sort) | while read -r path; do
      other="$second/src/build/$preset/$path"
      if [ ! -f "$other" ]; then
        echo "  build/$preset/${path#./}: missing in build 2"
      elif ! cmp -s "$first/src/build/$preset/$path" "$other"; then
        echo "  build/$preset/${path#./}"
      fi
    done
  done
fi

echo "took $(( $(date +%s) - started )) s"
if [ "$status" -eq 0 ] && [ "$keep" -eq 0 ]; then
  rm -rf "$base"
else
  echo "builds kept in $base"
fi
if [ "$status" -eq 0 ]; then
  echo "reproducible: both targets' installers and uninstallers are identical"
else
  echo "NOT reproducible"
fi
exit "$status"
