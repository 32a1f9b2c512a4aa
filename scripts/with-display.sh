#!/usr/bin/env bash
# Runs a command with an X display: the current one, or a private virtual
# one (Xvfb) that lives exactly as long as the command.
#   with-display.sh [--shared | --alone] COMMAND [ARG...]
#
# Xvfb picks a free display number itself (-displayfd), so several of these
# can start at once on one machine without racing for the same number.
#
# Tests run in parallel. On a private display they cannot meet; on the
# user's own display a test that types into its window (--alone) waits
# until no other test is on it, and one that only draws (--shared) waits
# while such a test runs, so no window takes the keyboard focus from it.
set -u
lock=()
case "${1:-}" in
  --shared) lock=(-s); shift ;;
  --alone) lock=(-x); shift ;;
esac
if [ -n "${DISPLAY:-}" ]; then
  if [ ${#lock[@]} -gt 0 ]; then
    exec flock "${lock[@]}" "${TMPDIR:-/tmp}/with-display-${DISPLAY//[^0-9A-Za-z.]/_}.lock" "$@"
  fi
  exec "$@"
fi
# Listing a test program's cases (CTest's test discovery) opens no window.
case " $* " in *" --gtest_list_tests "*) exec "$@" ;; esac

work=$(mktemp -d "${TMPDIR:-/tmp}/with-display.XXXXXX")
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
  3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!

# The number is written once the server accepts connections.
for _ in $(seq 400); do
  [ -s "$work/display" ] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
  sleep 0.05
done
number=$(tr -dc '0-9' <"$work/display")
if [ -z "$number" ]; then
  echo "with-display: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi

DISPLAY=":$number" "$@"
