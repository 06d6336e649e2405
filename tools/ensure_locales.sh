#!/bin/sh
# Generates the locales named (as zh_CN.UTF-8) that the system lacks. They are
# listed in /etc/locale.gen, so that the next locale-gen (after an update of
# the locales package) keeps them. Used by the set-up (through sudo when not
# root, and only when one is missing) and by the package's configuration.
#   ensure_locales.sh LOCALE...
set -e
as_root=
[ "$(id -u)" -eq 0 ] || as_root=sudo
missing=
for l in "$@"; do
  # locale -a lists zh_CN.UTF-8 as zh_CN.utf8.
  locale -a 2>/dev/null | grep -qix "${l%.UTF-8}.utf8" && continue
  missing="$missing $l"
  if grep -q "^# *$l UTF-8" /etc/locale.gen 2>/dev/null; then
    $as_root sed -i "s/^# *$l UTF-8/$l UTF-8/" /etc/locale.gen
  elif ! grep -q "^$l UTF-8" /etc/locale.gen 2>/dev/null; then
    echo "$l UTF-8" | $as_root tee -a /etc/locale.gen >/dev/null
  fi
done
[ -n "$missing" ] || exit 0
echo "Generating locales:$missing"
$as_root locale-gen
