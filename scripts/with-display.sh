#!/usr/bin/env bash
# Runs a command with an X display: the current one, or a virtual one.
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
