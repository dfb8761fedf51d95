#!/usr/bin/env bash
# Fails, naming each file, when a tracked C++ file differs from what the
# repository's .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests
bad=0
while IFS= read -r file; do
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
        echo "not formatted: $file (clang-format -i $file)"
        bad=1
    fi
done < <(git ls-files '*.cpp' '*.h')
[ "$bad" -eq 0 ] && echo "format: every file as .clang-format wants it"
exit "$bad"
