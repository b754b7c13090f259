#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Asks apt only when something is missing, so it is cheap to run again.
set -euo pipefail
PACKAGES=(
  cmake
  make
  g++
  clang
  libclang-rt-14-dev
  libgtest-dev
  libbenchmark-dev
  libsqlite3-dev
  sqlite3
  libsodium-dev
  libpq-dev
  postgresql
  python3-vega-datasets
  nginx-light
  systemd
  g++-mingw-w64-x86-64
  wine
  wine64
  locales
  xvfb
  xauth
  iproute2
  x11-utils
  fonts-ipafont-gothic
  imagemagick
  python3
  nsis
  chromium
  libreoffice-calc-nogui
  openssl
  curl
  prometheus-cpp-dev
  libsystemd-dev
  prometheus
  lintian
  logrotate
  man-db
  php-fpm
  php-sqlite3
)
if dpkg -s "${PACKAGES[@]}" >/dev/null 2>&1; then
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${PACKAGES[@]}"
