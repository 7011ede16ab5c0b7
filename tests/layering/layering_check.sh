#!/usr/bin/env bash
# Usage: layering_check.sh SOURCE_DIR CMAKE GENERATOR
# Configures copies of the source tree, each with one arrow the table does not
# allow, and expects each to be refused with a message that names it.
set -euo pipefail
src=$1
cmake=$2
generator=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

copy() {
    local to=$1
    mkdir -p "$to"
    (cd "$src" && tar --exclude='./build*' --exclude='./.git' -cf - .) | (cd "$to" && tar -xf -)
}

# Configures the copy in $1; passes when configuring fails and its output
# holds the text $2.
expect_refusal() {
    local tree=$1 text=$2 out
    if out=$("$cmake" -S "$tree" -B "$tree/build" -G "$generator" -DFARROWDALE_BUILD_TESTS=OFF \
        -DFARROWDALE_BUILD_BENCH=OFF 2>&1); then
        echo "FAIL: $tree configured although it holds a forbidden arrow"
        return 1
    fi
    # CMake folds a long message over lines: compare with the blanks joined.
    if ! tr -s ' \n' '  ' <<<"$out" | grep -qF -- "$text"; then
        echo "FAIL: configuring $tree failed, but not with: $text"
        echo "$out" | tail -20
        return 1
    fi
    echo "refused as expected: $text"
}

status=0

# The site audit may not use the window: an include of the window's interface
# in one of its files.
copy "$work/include"
printf '#include "window/MainHub.h"\n' >>"$work/include/app/audit/AuditUrl.cpp"
expect_refusal "$work/include" \
    'app/audit/AuditUrl.cpp: #include "window/MainHub.h": the audit room may not use the window room' \
    || status=1

# The catalogue update may not use the audit: a link to its library.
copy "$work/link"
printf 'target_link_libraries(farrowdale_update PRIVATE farrowdale_audit)\n' \
    >>"$work/link/app/update/CMakeLists.txt"
expect_refusal "$work/link" \
    'farrowdale_update links farrowdale_audit, but the update room may not use the audit room' \
    || status=1

# Core uses no room at all: even a header of the platform it sits under.
copy "$work/core"
printf '#include "platform/HttpClient.h"\n' >>"$work/core/app/core/Globals.cpp"
expect_refusal "$work/core" \
    'app/core/Globals.cpp: #include "platform/HttpClient.h": the core room may not use the platform room' \
    || status=1

exit $status
