#!/usr/bin/env bash
# Remakes the committed PNG icons in hicolor/ from the two SVG drawings
# (rsvg-convert, Debian package librsvg2-bin, installed by scripts/setup).
# Run it after changing an SVG and commit the PNGs with it.
set -euo pipefail
cd "$(dirname "$0")"
command -v rsvg-convert >/dev/null || ../../scripts/setup
for size in 16 24 32 48 64 128 256; do
  src=uPVelmora.svg
  [ "$size" -eq 16 ] && src=uPVelmora-16.svg
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$src" -o "hicolor/${size}x${size}/apps/uPVelmora.png"
done
echo "render: hicolor/*/apps/uPVelmora.png"
