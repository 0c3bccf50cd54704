#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests and the program need and is missing.
set -euo pipefail
PKGS=(qt6-base-dev qt6-translations-l10n libqt6sql6-sqlite libqt6sql6-odbc tdsodbc unixodbc libsqlite3-dev
      libxlsxwriter-dev libzip-dev fonts-wqy-zenhei xvfb xauth poppler-utils cmake ninja-build g++ pkgconf unzip
      postgresql libqt6sql6-psql libpq-dev)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
