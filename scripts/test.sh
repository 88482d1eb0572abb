#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UBSan in build-test/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENZOR_SANITIZE=ON -DQUENZOR_WERROR=ON > build-test.log
cmake --build build-test --parallel "$(nproc)"
cd build-test
ctest --output-on-failure --parallel "$(nproc)"
