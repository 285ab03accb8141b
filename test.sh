#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite; non-zero on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"

glimra_install_packages
glimra_build
ctest --test-dir "$GLIMRA_BUILD" --output-on-failure -j "$(nproc)" "$@"
