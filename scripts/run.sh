#!/usr/bin/env bash
# Starts the game from its build folder (the game finds its Data folder beside itself).
set -euo pipefail
bin=$1
if [ -x "$bin/quelmar-game" ]; then
  exec "$bin/quelmar-game"
fi
# Before the game program exists, show what does: the pack tool run over the built data.
echo "The game program is not built yet; running the pack tool over the built data instead."
mkdir -p "$bin/Data"
cd "$bin/Data" && exec ../crateforge
