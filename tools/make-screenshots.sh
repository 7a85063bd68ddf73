#!/usr/bin/env bash
# Makes the README's pictures with the demo: the main dialog in German and in
# English, each under an Xvfb server of its own, into docs/. Run after
# `make demo` has built the executables (or give LINTRA_DEMO_EXE).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mkdir -p "$root/docs"
for shot in 1031:de 1033:en; do
  env -u DISPLAY LINTRA_DEMO_LANGUAGE="${shot%%:*}" \
    LINTRA_DEMO_SCREENSHOT="$root/docs/main-dialog-${shot##*:}.png" "$root/tools/demo.sh"
done
