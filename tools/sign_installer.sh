#!/bin/sh
# Signs stamped installer executables with Authenticode (osslsigncode), each in
# place, and fails unless every signed file still passes the installer's own
# integrity check (StampConsistencyDigest --verify) and osslsigncode verifies
# its signature. Sign after stamping: the check leaves out exactly what signing
# changes (the checksum, the certificate-table entry, the table at the end).
#
#   tools/sign_installer.sh --cert CERT.pem --key KEY.pem [--pass-file FILE]
#                           [--ca CA.pem] [--stamp-tool PATH] EXECUTABLE...
#
# --ca: the CA certificates to verify the signature against (default: the
# certificate itself, right for a self-signed one). --stamp-tool: the host
# build's StampConsistencyDigest (default build/host/tools/, built when missing).
# The build runs this when CMake is given VELANTRIX_SIGN_CERT and
# VELANTRIX_SIGN_KEY; nothing is signed otherwise.
set -eu

usage() {
  echo "usage: tools/sign_installer.sh --cert CERT.pem --key KEY.pem [--pass-file FILE] [--ca CA.pem]" >&2
  echo "                               [--stamp-tool PATH] EXECUTABLE..." >&2
  exit 2
}

cert="" key="" pass_file="" ca="" tool=""
while [ $# -gt 0 ]; do
  case $1 in
    --cert) [ $# -ge 2 ] || usage; cert=$2; shift 2 ;;
    --key) [ $# -ge 2 ] || usage; key=$2; shift 2 ;;
    --pass-file) [ $# -ge 2 ] || usage; pass_file=$2; shift 2 ;;
    --ca) [ $# -ge 2 ] || usage; ca=$2; shift 2 ;;
    --stamp-tool) [ $# -ge 2 ] || usage; tool=$2; shift 2 ;;
    --) shift; break ;;
    -*) usage ;;
    *) break ;;
  esac
done
[ -n "$cert" ] && [ -n "$key" ] && [ $# -gt 0 ] || usage

fail() {
  echo "sign_installer: $*" >&2
  exit 1
}

command -v osslsigncode >/dev/null || fail "osslsigncode is missing (scripts/setup-deps.sh installs it)"
if [ -z "$tool" ]; then
  root=$(cd "$(dirname "$0")/.." && pwd)
  tool=$root/build/host/tools/StampConsistencyDigest
  if [ ! -x "$tool" ]; then
    (cd "$root" && cmake --preset host >/dev/null && cmake --build --preset host --target StampConsistencyDigest >/dev/null)
  fi
fi

sign() {
  if [ -n "$pass_file" ]; then
    osslsigncode sign -certs "$cert" -key "$key" -readpass "$pass_file" -h sha256 \
      -n "Korvane Velantrix 4.10 Setup" -in "$1" -out "$2"
  else
    osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "Korvane Velantrix 4.10 Setup" -in "$1" -out "$2"
  fi
}

for exe; do
  # osslsigncode pads a file to a multiple of 8 bytes before the table; the
  # padding would lie outside the table and so be covered, failing the check.
  size=$(stat -c %s "$exe") || fail "$exe: cannot be read"
  [ $((size % 8)) -eq 0 ] || fail "$exe: $size bytes, not a multiple of 8: signing would pad it and break its check"
  checked=$("$tool" --verify "$exe") || fail "$exe: does not pass its check before signing (stamp it first)"
  case $checked in
    *"certificate table at"*) fail "$exe: already signed (sign a freshly stamped file)" ;;
  esac

  signing=$exe.signing
  rm -f "$signing"
  if ! sign "$exe" "$signing" >"$signing.log" 2>&1; then
    cat "$signing.log" >&2
    rm -f "$signing" "$signing.log"
    fail "$exe: osslsigncode sign failed"
  fi
  if ! osslsigncode verify -CAfile "${ca:-$cert}" -in "$signing" >"$signing.log" 2>&1; then
    cat "$signing.log" >&2
    rm -f "$signing" "$signing.log"
    fail "$exe: osslsigncode does not verify the signed file"
  fi
  rm -f "$signing.log"
  if ! "$tool" --verify "$signing"; then
    rm -f "$signing"
    fail "$exe: the signed file does not pass the installer's own check"
  fi
  # Keep the file's mode: the signed copy replaces its contents.
  cat "$signing" >"$exe"
  rm -f "$signing"
  echo "$exe: signed with $cert"
done
