#!/usr/bin/env bash
# Installs the Debian packages the project needs.
#   setup.sh run   what building and running the program need
#   setup.sh       that and everything the tests, the sanitizer and fuzz builds
#                  and the package's build and test need
# Idempotent: apt-get and locale-gen run only when something is missing. Works as root or through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-all}

packages=(
  g++ cmake make pkg-config
  libwxgtk3.2-dev libcairo2-dev
  unixodbc-dev odbcinst libsqliteodbc sqlite3 libsqlite3-dev
  fonts-wqy-microhei
  # the program runs in the locale of its UI language, so that the toolkit's
  # own buttons and dialogs speak Chinese or English
  locales
)
test_packages=(
  googletest libgtest-dev libgmock-dev
  xvfb xauth imagemagick
  # the GUI tests look at what GTK itself draws
  libgtk-3-dev
  # the sanitizer build and the fuzz targets: clang with its runtimes (libFuzzer, below) and symbolizer
  clang llvm
  # the tests check the install's menu entry and metainfo
  desktop-file-utils appstream
  # the package's build, its check and the scratch system it is installed into
  dpkg-dev debhelper lintian debootstrap
  # the data layer's suites and benchmark on a database server of their own
  postgresql odbc-postgresql
)
locales=(zh_CN.UTF-8 en_US.UTF-8)
[ "$kind" = run ] || packages+=("${test_packages[@]}")

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
# Waits for another apt or dpkg run (an update in the background, a second build) instead of failing.
apt_lock=(-o DPkg::Lock::Timeout=600)
updated=0

apt_update_once() {
  [ "$updated" = 1 ] || "${sudo_cmd[@]}" apt-get "${apt_lock[@]}" update -q
  updated=1
}

missing_of() {  # PACKAGE...: prints those not installed
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

install_packages() {  # PACKAGE...
  local missing
  mapfile -t missing < <(missing_of "$@")
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  apt_update_once
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get "${apt_lock[@]}" install -y -q --no-install-recommends "${missing[@]}"
}

install_packages "${packages[@]}"
if [ "$kind" != run ]; then
  # The runtimes that go with the installed clang are libclang-rt-NN-dev, the
  # number changing with each Debian release; older releases had them in
  # clang's own packages, and there is nothing to add.
  runtime=libclang-rt-$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)-dev
  if [ -n "$(missing_of "$runtime")" ]; then
    apt_update_once
    if apt-cache show "$runtime" >/dev/null 2>&1; then
      install_packages "$runtime"
    fi
  fi
fi

sh tools/ensure_locales.sh "${locales[@]}"
