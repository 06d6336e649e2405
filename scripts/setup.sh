#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Idempotent: apt-get and locale-gen run only when something is missing. Works as root or through sudo.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libwxgtk3.2-dev
  unixodbc-dev odbcinst libsqliteodbc sqlite3 libsqlite3-dev
  googletest libgtest-dev libgmock-dev
  xvfb xauth fonts-wqy-microhei imagemagick
  libcairo2-dev
  # the GUI tests look at what GTK itself draws
  libgtk-3-dev
  # the sanitizer build and the fuzz targets: clang with its runtimes (libFuzzer) and symbolizer
  clang libclang-rt-14-dev llvm
  # the tests check the install's menu entry with desktop-file-validate
  desktop-file-utils
  # the program runs in the locale of its UI language, so that the toolkit's
  # own buttons and dialogs speak Chinese or English
  locales
)
locales=(zh_CN.UTF-8 en_US.UTF-8)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
missing_locales=()
for l in "${locales[@]}"; do
  # locale -a lists zh_CN.UTF-8 as zh_CN.utf8.
  locale -a 2>/dev/null | grep -qix "${l%.UTF-8}.utf8" || missing_locales+=("$l")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # Waits for another apt or dpkg run (an update in the background, a second build) instead of failing.
  lock=(-o DPkg::Lock::Timeout=600)
  "${sudo_cmd[@]}" apt-get "${lock[@]}" update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get "${lock[@]}" install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#missing_locales[@]} -gt 0 ]; then
  echo "Generating locales: ${missing_locales[*]}"
  # Listed in /etc/locale.gen, so that the next locale-gen (after an update of
  # the locales package) keeps them.
  for l in "${missing_locales[@]}"; do
    if grep -q "^# *$l UTF-8" /etc/locale.gen 2>/dev/null; then
      "${sudo_cmd[@]}" sed -i "s/^# *$l UTF-8/$l UTF-8/" /etc/locale.gen
    elif ! grep -q "^$l UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "$l UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    fi
  done
  "${sudo_cmd[@]}" locale-gen
fi
