#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Idempotent: apt-get runs only when something is missing. Works as root or through sudo.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libwxgtk3.2-dev
  unixodbc-dev odbcinst libsqliteodbc sqlite3 libsqlite3-dev
  googletest libgtest-dev libgmock-dev
  xvfb xauth fonts-wqy-microhei imagemagick
  libcairo2-dev
  # the sanitizer build and the fuzz targets: clang with its runtimes (libFuzzer) and symbolizer
  clang libclang-rt-14-dev llvm
  # the tests check the install's menu entry with desktop-file-validate
  desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
# Waits for another apt or dpkg run (an update in the background, a second build) instead of failing.
lock=(-o DPkg::Lock::Timeout=600)
"${sudo_cmd[@]}" apt-get "${lock[@]}" update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get "${lock[@]}" install -y -q --no-install-recommends "${missing[@]}"
