#!/usr/bin/env bash
# Unpacks Debian source packages into a folder, fetched through a private deb-src list made from
# the machine's own apt sources (the machine's apt configuration is untouched).
#   scripts/apt-source.sh DIR NAME[=VERSION]...
set -euo pipefail
dest=$1
shift
apt_dir=$(mktemp -d)
trap 'rm -rf "$apt_dir"' EXIT
mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts" "$dest"
for f in /etc/apt/sources.list.d/*.sources; do
  [ -e "$f" ] && sed 's/^Types: deb$/Types: deb-src/' "$f" > "$apt_dir/parts/$(basename "$f")"
done
if [ -s /etc/apt/sources.list ]; then
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > "$apt_dir/parts/main.list"
fi
apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/parts"
             -o "Dir::State::Lists=$apt_dir/lists")
apt-get "${apt_options[@]}" update -qq 2>&1 | grep -v 'Download is performed unsandboxed' || true
(cd "$dest" && apt-get "${apt_options[@]}" source -qq "$@" 2>&1 |
   grep -v 'Download is performed unsandboxed' || true)
