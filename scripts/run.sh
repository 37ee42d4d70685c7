#!/usr/bin/env bash
# Builds Tessaly and starts it from its program folder build/tessaly/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
exec "$root/build/tessaly/tessaly"
