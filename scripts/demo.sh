#!/usr/bin/env bash
# Installs what is missing, builds the kelvo program and the sample database, and renders a grid
# page for a query against the sample database to standard output.
#   scripts/demo.sh ["SQL statement"]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/deps.sh"
source "$(dirname "${BASH_SOURCE[0]}")/builds.sh"

sql=${1:-"SELECT id, name, category, price, in_stock, added FROM products"}

kelvo_install_deps >&2
kelvo_configure_gcc >&2
cmake --build "$KELVO_BUILD" --target kelvo_program kelvo_sample_db >&2
exec "$KELVO_BUILD/apps/kelvo" render "$KELVO_BUILD/examples/sample/sample.db" "$sql"
