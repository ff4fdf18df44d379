#!/usr/bin/env bash
# Installs what is missing, builds the two programs (not the tests) and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh indicator-diagram indicator-batch
exec ./build/indicator-diagram "$@"
