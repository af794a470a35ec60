# Sourced by the scripts that need a display: start_xvfb WxHxD starts a private
# Xvfb on a display it picks itself, returns once it accepts clients, exports
# DISPLAY and leaves the server's process id in $xvfb for the caller to end.
start_xvfb() {
  display_file=$(mktemp)
  Xvfb -displayfd 1 -screen 0 "$1" -nolisten tcp </dev/null >"$display_file" 2>/dev/null &
  xvfb=$!
  waited=0
  # The number and its newline come in separate writes: wait for the whole line.
  while [ "$(wc -l <"$display_file")" -lt 1 ]; do
    waited=$((waited + 1))
    if [ "$waited" -gt 300 ]; then echo "Xvfb did not start" >&2; rm -f "$display_file"; return 1; fi
    sleep 0.1
  done
  DISPLAY=":$(head -n 1 "$display_file")"
  export DISPLAY
  rm -f "$display_file"
}
