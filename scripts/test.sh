#!/usr/bin/env bash
# Installs what is missing, builds, checks formatting and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
bash scripts/check-format.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --timeout 300
