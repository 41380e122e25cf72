#!/usr/bin/env bash
# Runs every benchmark and prints its figures.
set -euo pipefail
build=${1:-build}
cd "$build"
QT_QPA_PLATFORM=offscreen ctest -L bench --output-on-failure -V | grep -v -E '^(UpdateCTestConfiguration|Test project|Constructing|Checking|Parse|Add|test [0-9]+$)' || true
