#!/usr/bin/env bash
# The Debian package, as the person who sets up the desk PC meets it: built
# from a copy of this tree with dpkg-buildpackage, checked by lintian, then
# installed with apt into a scratch Debian system of the same release made by
# debootstrap, where the maintainer scripts run for real (chroot). There
# package_root.sh checks the install, two clerks and the program on the one
# hotel, an upgrade to a rebuilt package with a higher version, remove, purge
# and installing again. Needs root and the Debian mirror; prints the seconds
# of each stage.
#   package.sh SOURCE_DIR
set -euo pipefail
src=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ]; then
  echo "The package test needs root (debootstrap, chroot): skipped."
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quillan-package-XXXXXX")
root="$work/root"
cleanup() {
  # Every mount lives in a namespace of its own that ended with its command;
  # should one still show, the folder is left alone rather than deleted through it.
  if grep -q " $work/" /proc/mounts; then
    echo "Still mounted below $work; not deleted." >&2
    return
  fi
  rm -rf "$work"
}
trap cleanup EXIT

stage() {  # NAME COMMAND...
  local name=$1 start=$SECONDS
  shift
  echo "--- $name"
  "$@"
  echo "--- $name: $((SECONDS - start)) s"
}

# Runs a command as root in the scratch system, with /proc and a clean environment.
in_root() {
  unshare -m -- sh -c 'mount -t proc proc "$0/proc" && exec chroot "$0" "$@"' "$root" \
    env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

# Runs the command with its output kept in a log that shows only when it fails.
quietly() {  # LOG COMMAND...
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { tail -n 60 "$log"; echo "FAILED: $* (log: $log)"; return 1; }
}

copy_tree() {
  mkdir "$work/src"
  tar -C "$src" --exclude=./.git --exclude=./build --exclude='./build-*' --exclude='./obj-*' \
      --exclude=./debian/.debhelper --exclude=./debian/quillan2021 --exclude=./debian/files \
      -cf - . | tar -C "$work/src" -xf -
}

build_package() {  # LOG [dpkg-buildpackage option...]
  local log=$1
  shift
  (cd "$work/src" && quietly "$log" env DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-parallel=2}" \
     dpkg-buildpackage -us -uc -b "$@")
}

run_lintian() {
  lintian --fail-on error,warning "$work/quillan2021_${version}_${arch}.changes" 2>&1 |
    { grep -v "running with root privileges" || true; }
}

# The same package, built again with a version above the first: the build is
# kept (-nc), so only the packaging runs again.
build_upgrade() {
  local changelog="$work/src/debian/changelog"
  { printf 'quillan2021 (%s) unstable; urgency=medium\n\n  * A rebuild for the upgrade test.\n\n' "$upgrade"
    printf ' -- %s  %s\n\n' "$(dpkg-parsechangelog -l "$changelog" -S Maintainer)" "$(date -R)"
    cat "$changelog"; } >"$changelog.new"
  mv "$changelog.new" "$changelog"
  build_package "$work/build-upgrade.log" -nc
}

make_root() {
  local codename
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  quietly "$work/debootstrap.log" debootstrap --variant=minbase "$codename" "$root" \
    "${QUILLAN_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
  # The host's package sources (its updates and security fixes too), so that
  # the libraries the package was built against can be had there.
  rm -f "$root/etc/apt/sources.list"
  cp /etc/apt/sources.list "$root/etc/apt/" 2>/dev/null || true
  cp /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources "$root/etc/apt/sources.list.d/" 2>/dev/null || true
  cp /etc/resolv.conf "$root/etc/"
  quietly "$work/apt-update.log" in_root apt-get update
  mkdir -p "$root/tmp/pkg"
  cp "$work"/quillan2021_*.deb "$here/package_root.sh" "$here/opened_databases.sh" "$root/tmp/pkg/"
}

apt_install() {  # LOG PACKAGE...
  local log=$1
  shift
  quietly "$log" in_root apt-get install -y --no-install-recommends "$@"
}

check() {  # STAGE
  in_root bash /tmp/pkg/package_root.sh "$@"
}

arch=$(dpkg --print-architecture)
stage "copy of the tree" copy_tree
version=$(dpkg-parsechangelog -l "$work/src/debian/changelog" -S Version)
upgrade="$version+upgrade1"
stage "dpkg-buildpackage" build_package "$work/build.log"
stage "lintian" run_lintian
stage "rebuild as $upgrade" build_upgrade
stage "debootstrap" make_root
# The package alone first: what it depends on must bring everything it needs.
stage "install $version" apt_install "$work/install.log" "/tmp/pkg/quillan2021_${version}_${arch}.deb"
stage "installed" check installed "$version"
# Then the tools the checks use.
stage "test tools" apt_install "$work/tools.log" xvfb xauth unixodbc sqlite3
stage "clerks" check clerks
stage "upgrade to $upgrade" apt_install "$work/upgrade.log" "/tmp/pkg/quillan2021_${upgrade}_${arch}.deb"
stage "upgraded" check upgraded "$upgrade"
stage "remove" quietly "$work/remove.log" in_root apt-get remove -y quillan2021
stage "removed" check removed
stage "purge" quietly "$work/purge.log" in_root dpkg --purge quillan2021
grep -q "databases in /var/lib/quillan2021 were kept" "$work/purge.log" || { cat "$work/purge.log"; echo "FAIL: purge did not say the hotel was kept"; exit 1; }
stage "purged" check purged
stage "install again" apt_install "$work/reinstall.log" "/tmp/pkg/quillan2021_${upgrade}_${arch}.deb"
stage "installed again" check reinstalled
echo "package: all passed"
