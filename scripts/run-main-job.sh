#!/bin/sh
# The main job: builds the installer, installs the product unattended into a
# fresh Wine prefix, and shows what it installed.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
scripts/build.sh

# The shipped 32-bit installer, where this machine can run 32-bit programs.
if why=$(python3 scripts/x86_check.py); then
  arch=x86 wine=/usr/lib/wine/wine
else
  arch=x64 wine=/usr/lib/wine/wine64
  echo "== x86: not run: $why; installing with the x64 build instead"
fi
installer=build/$arch/VelantrixInstaller.exe

# No Mono or Gecko prompts, and no menu entries written into the Unix home.
export WINEPREFIX="$PWD/build/main-job/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
echo "== Booting a fresh Wine prefix in $WINEPREFIX"
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
wineserver -w
# Wine links the profile's Desktop and the like to the Unix home; keep them inside the prefix.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
done

echo "== Built: build/x86/VelantrixInstaller.exe ($(stat -c %s build/x86/VelantrixInstaller.exe) bytes, shipped)," \
     "build/x64/VelantrixInstaller.exe ($(stat -c %s build/x64/VelantrixInstaller.exe) bytes)"
echo "== Running the $arch build: $installer"
echo "== $installer -?"
status=0; $wine $installer -? || status=$?
echo "(exit code $status)"

# A 32-bit program's "Program Files" on 64-bit Windows.
target='C:\Program Files\Korvane Velantrix'
[ "$arch" = x64 ] || target='C:\Program Files (x86)\Korvane Velantrix'
echo "== $installer -installDir=\"$target\" -acceptEULA"
start=$(date +%s%N)
status=0; $wine $installer "-installDir=$target" -acceptEULA || status=$?
end=$(date +%s%N)
echo "(exit code $status, $(( (end - start) / 1000000 )) ms)"
wineserver -w

VELANTRIX_ARCH=$arch python3 tests/e2e/show_installation.py "$WINEPREFIX" "$target" build/$arch/tests/probes/LinkProbe.exe $wine
# The server may have ended on its own already.
wineserver -k 2>/dev/null || true
exit $status
