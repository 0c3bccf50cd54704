#!/usr/bin/env bash
# Installs what is missing, builds, installs the program into its application folder and starts it there.
# The default database hydb.mdb and its backups live in that folder, so they survive rebuilds. The
# command rsgz, the desktop entry and the icon go under the user's ~/.local, so the desktop's menu
# offers the program.
set -euo pipefail
cd "$(dirname "$0")"
PREFIX="${RSGZ_PREFIX:-$HOME/.local}"
APP="${RSGZ_HOME:-$PREFIX/lib/rsgz}"
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$PREFIX" -DRSGZ_APP_DIR="$APP"
cmake --build build
cmake --install build --prefix "$PREFIX"
command -v update-desktop-database >/dev/null && update-desktop-database -q "$PREFIX/share/applications" || true
exec "$APP/rsgz" "$@"
