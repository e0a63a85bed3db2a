#!/usr/bin/env bash
# Starts the game from its build folder (the game finds its Data folder beside itself).
set -euo pipefail
bin=$1
exec "$bin/quelmar-game"
