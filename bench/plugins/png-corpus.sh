#!/usr/bin/env bash
# Lists the real PNGs the PNG benches use, one path a line: small PNGs (under
# 32 kB) that installed Debian packages ship (an icon theme's sampled icons,
# documentation figures), in a fixed order. With --packages, prints instead
# which package and version each group comes from. Nothing is copied.
#   bash bench/plugins/png-corpus.sh [--packages]
set -euo pipefail
export LC_ALL=C
{
  # Every 6th full-colour icon and every 60th symbolic icon of the theme.
  find /usr/share/icons/Adwaita -name '*.png' -size -32k ! -name '*symbolic*' | sort | awk 'NR % 6 == 1'
  find /usr/share/icons/Adwaita -name '*.png' -size -32k -name '*symbolic*' | sort | awk 'NR % 60 == 1'
  # Documentation figures and program images.
  find /usr/share/doc /usr/share/gtk-doc /usr/share/qt6 /usr/share/pixmaps /usr/share/gitweb \
       /usr/share/cmake-* -name '*.png' -size -32k 2>/dev/null | sort
} > "${TMPDIR:-/tmp}/png-corpus.$$"
trap 'rm -f "${TMPDIR:-/tmp}/png-corpus.$$"' EXIT
if [ "${1:-}" = --packages ]; then
  # shellcheck disable=SC2046
  xargs -d '\n' dpkg -S < "${TMPDIR:-/tmp}/png-corpus.$$" 2>/dev/null | cut -d: -f1 | sort | uniq -c |
    while read -r count package; do
      printf '%5d  %s %s\n' "$count" "$package" "$(dpkg-query -W -f='${Version}' "$package")"
    done
else
  cat "${TMPDIR:-/tmp}/png-corpus.$$"
fi
