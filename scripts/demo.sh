#!/usr/bin/env bash
# Installs what is missing, builds the kelvo program and starts `kelvo serve` on the demo
# database (made in build/demo on the first run), which it serves with the bundled demo pages
# and the table browser until Ctrl+C. Arguments go to `kelvo serve`, e.g. --port 9000 or --edit.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/deps.sh"
source "$(dirname "${BASH_SOURCE[0]}")/builds.sh"

kelvo_install_deps >&2
kelvo_configure_gcc >&2
cmake --build "$KELVO_BUILD" --target kelvo_program >&2
mkdir -p "$KELVO_BUILD/demo"
cd "$KELVO_BUILD/demo"
echo "Open the URL below in a browser; Ctrl+C stops the server." >&2
exec "$KELVO_BUILD/apps/kelvo" serve "$@"
