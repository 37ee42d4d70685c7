#!/usr/bin/env bash
# Builds Tessaly and makes the Debian package build/tessaly_<version>_<arch>.deb.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
cd "$root/build"
cpack -G DEB
ls -1 "$root"/build/tessaly_*.deb
