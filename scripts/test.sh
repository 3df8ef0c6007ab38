#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
skiff_install_packages
skiff_build
cd "$SKIFF_BUILD"
exec ctest --output-on-failure --parallel "$(nproc)" "$@"
