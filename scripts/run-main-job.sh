#!/bin/sh
# The main job: builds the installer, installs the product unattended into a
# fresh Wine prefix, and shows what it installed.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
scripts/build.sh

# No Mono or Gecko prompts, and no menu entries written into the Unix home.
export WINEPREFIX="$PWD/build/main-job/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
echo "== Booting a fresh Wine prefix in $WINEPREFIX"
$wine wineboot -i >/dev/null 2>&1
wineserver -w
# Wine links the profile's Desktop and the like to the Unix home; keep them inside the prefix.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
done

installer=build/x64/VelantrixInstaller.exe
echo "== Built: build/x64/VelantrixInstaller.exe ($(stat -c %s $installer) bytes)," \
     "build/x86/VelantrixInstaller.exe ($(stat -c %s build/x86/VelantrixInstaller.exe) bytes)"
echo "== $installer -?"
status=0; $wine $installer -? || status=$?
echo "(exit code $status)"

target='C:\Program Files\Korvane Velantrix'
echo "== $installer -installDir=\"$target\" -acceptEULA"
start=$(date +%s%N)
status=0; $wine $installer "-installDir=$target" -acceptEULA || status=$?
end=$(date +%s%N)
echo "(exit code $status, $(( (end - start) / 1000000 )) ms)"
wineserver -w

python3 tests/e2e/show_installation.py "$WINEPREFIX" "$target" build/x64/tests/probes/LinkProbe.exe $wine
# The server may have ended on its own already.
wineserver -k 2>/dev/null || true
exit $status
