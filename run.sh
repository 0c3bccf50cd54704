#!/usr/bin/env bash
# Installs what is missing, builds, installs the program into its application folder and starts it there.
# The default database hydb.mdb and its backups live in that folder, so they survive rebuilds.
set -euo pipefail
cd "$(dirname "$0")"
PREFIX="${RSGZ_HOME:-$HOME/.local/lib/rsgz}"
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$PREFIX"
cmake --build build
cmake --install build --prefix "$PREFIX"
exec "$PREFIX/rsgz" "$@"
