#!/usr/bin/env bash
# Runs a command inside a private Xvfb with openbox, then stops both.
# Usage: with_x.sh COMMAND [ARGS...]
source "$(dirname "$0")/lib.sh"
x_start
"$@"
