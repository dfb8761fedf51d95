#!/usr/bin/env bash
# scripts/install-deps.sh's decisions, with stand-ins for id, dpkg-query, sudo and apt-get on
# a PATH of their own, so nothing is installed: without root and sudo it prints the apt-get
# line to run as root and exits 1; with sudo or as root it runs apt-get (through sudo, or
# not), never with -qq, waiting for dpkg's lock; it tries again while another apt holds the
# lists' lock; it does nothing when every package is there; the run command's list holds no
# test package.
# Usage: install_deps_test.sh PATH/TO/install-deps.sh
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_line="apt-get install -y --no-install-recommends build-essential cmake pkg-config"
run_line+=" qt6-base-dev qt6-tools-dev libqt6opengl6-dev libgl-dev qt6-qpa-plugins"
test_list="libgtest-dev libgmock-dev libbenchmark-dev python3 python3-serial clang libclang-rt-dev"
test_list+=" clang-format ser2net"

failures=0
passes=0
check() {  # check WHAT CONDITION...
    local what=$1
    shift
    if "$@"; then
        passes=$((passes + 1))
    else
        failures=$((failures + 1))
        echo "FAILED: $what"
        echo "  output: $(sed 's/^/    /' "$work/out")"
        echo "  apt log: $(sed 's/^/    /' "$work/log" 2>/dev/null)"
    fi
}

# The PATH: the few real tools the script uses, and the stand-ins.
bin="$work/bin"
mkdir -p "$bin"
for tool in grep cat rm mktemp sleep env; do ln -s "$(command -v "$tool")" "$bin/$tool"; done
cat >"$bin/id" <<'EOF'
#!/bin/sh
[ "$1" = -u ] && echo "$FAKE_UID"
EOF
# Installed: the packages named in $FAKE_INSTALLED.
cat >"$bin/dpkg-query" <<'EOF'
#!/bin/bash
for p in $FAKE_INSTALLED; do
    [ "$p" = "${!#}" ] && { printf 'install ok installed'; exit 0; }
done
exit 1
EOF
cat >"$bin/sudo.stand-in" <<'EOF'
#!/bin/bash
echo -n "sudo " >>"$FAKE_LOG"
exec "$@"
EOF
# Logs its arguments; fails as apt-get does while another apt holds the lists' lock, for the
# first $FAKE_LOCKED calls, and with a download error when $FAKE_BROKEN is set.
cat >"$bin/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $*" >>"$FAKE_LOG"
calls=$(( $(<"$FAKE_CALLS") + 1 ))
echo "$calls" >"$FAKE_CALLS"
if [ "$calls" -le "${FAKE_LOCKED:-0}" ]; then
    echo "E: Could not get lock /var/lib/apt/lists/lock. It is held by process 4242 (apt-get)" >&2
    echo "E: Unable to lock directory /var/lib/apt/lists/" >&2
    exit 100
fi
if [ -n "${FAKE_BROKEN:-}" ]; then
    echo "E: Failed to fetch http://deb.example/pool/cmake.deb  Temporary failure resolving" >&2
    exit 100
fi
exit 0
EOF
chmod +x "$bin"/*

# run [env assignments...] -- [install-deps.sh arguments...]: its status in $status, its
# output (stdout and stderr) in $work/out, apt-get's calls in $work/log.
run() {
    local assignments=()
    while [ "$1" != -- ]; do assignments+=("$1"); shift; done
    shift
    rm -f "$work/log"
    echo 0 >"$work/calls"
    status=0
    env -i PATH="$bin" FAKE_UID=1000 FAKE_INSTALLED= FAKE_LOG="$work/log" \
        FAKE_CALLS="$work/calls" TARVIK_APT_LOCK_POLL=1 TARVIK_APT_LOCK_SLEEP=0.01 "${assignments[@]}" \
        "$BASH" "$script" "$@" >"$work/out" 2>&1 </dev/null || status=$?
}
has() { grep -qF -- "$1" "$work/out"; }
has_line() { grep -qxF -- "$1" "$work/out"; }
logged() { grep -qF -- "$1" "$work/log" 2>/dev/null; }
no_apt() { [ ! -s "$work/log" ]; }

# A user without root and without sudo: the line to run as root, exit 1, apt-get untouched.
run --
check "no sudo: exit 1" [ "$status" -eq 1 ]
check "no sudo: the exact apt-get line of the run command's packages" has_line "  $run_line"
check "no sudo: apt-get update first" has_line "  apt-get update"
check "no sudo: the run command installs no test package" eval '! has clang && ! has libgtest'
check "no sudo: apt-get not run" no_apt
check "no sudo: says why" has "this user has no sudo"

run -- --tests xvfb xauth
check "no sudo, tests: exit 1" [ "$status" -eq 1 ]
check "no sudo, tests: the test packages and the extras follow" \
    has_line "  $run_line $test_list xvfb xauth"

run FAKE_INSTALLED="cmake qt6-base-dev" --
without=${run_line/ cmake/}
check "no sudo, some installed: only the missing ones" has_line "  ${without/ qt6-base-dev/}"
check "no sudo, some installed: no qt6-base-dev" eval '! has " qt6-base-dev"'

# The lists, for the README's uninstall line: printed, nothing run.
run -- --list
check "list: the run command's packages" has_line "${run_line#apt-get install -y --no-install-recommends }"
check "list: apt-get not run" no_apt
run -- --list --tests
check "list, tests: all" has_line "${run_line#apt-get install -y --no-install-recommends } $test_list"

# Everything there: nothing to do, whoever runs it.
all="build-essential cmake pkg-config qt6-base-dev qt6-tools-dev libqt6opengl6-dev libgl-dev"
all+=" qt6-qpa-plugins"
run FAKE_INSTALLED="$all" --
check "all installed: exit 0" [ "$status" -eq 0 ]
check "all installed: apt-get not run" no_apt
check "all installed: silent" [ ! -s "$work/out" ]
run FAKE_INSTALLED="$all" -- --tests
check "tests missing: asks for the test packages only" \
    has_line "  apt-get install -y --no-install-recommends $test_list"

# With sudo: apt-get through it, dpkg's lock waited for, progress shown (never -qq).
ln -s sudo.stand-in "$bin/sudo"
run --
check "sudo: exit 0" [ "$status" -eq 0 ]
check "sudo: update through sudo, waiting for dpkg's lock" \
    logged "sudo apt-get -q -o DPkg::Lock::Timeout=600 update"
check "sudo: install through sudo" \
    logged "sudo apt-get -q -o DPkg::Lock::Timeout=600 ${run_line#apt-get }"
check "sudo: never -qq" eval '! logged "-qq"'
check "sudo: names what it installs" has "Missing Debian packages (8), installed now"

# Root: apt-get itself, even where sudo exists.
run FAKE_UID=0 TARVIK_APT_LOCK_WAIT=30 --
check "root: exit 0" [ "$status" -eq 0 ]
check "root: apt-get without sudo" eval '! logged sudo && logged "apt-get -q -o DPkg::Lock::Timeout=30 update"'
rm "$bin/sudo"

# Another apt holds the lists' lock for two tries: waited for, then done.
run FAKE_UID=0 FAKE_LOCKED=2 --
check "lock held twice: exit 0" [ "$status" -eq 0 ]
check "lock held twice: says it waits" has "Another apt holds its lock: waiting for it"
check "lock held twice: update tried three times, then install" \
    eval '[ "$(grep -c " update$" "$work/log")" -eq 3 ] && logged " install "'
check "lock held twice: the lock's errors are not shown" eval '! has "Could not get lock"'

# A lock that stays: apt's error after the wait, and a failure.
run FAKE_UID=0 FAKE_LOCKED=99 TARVIK_APT_LOCK_WAIT=2 --
check "lock kept: fails" [ "$status" -ne 0 ]
check "lock kept: apt's reason shown" has "Could not get lock /var/lib/apt/lists/lock"
check "lock kept: gave up after its wait" [ "$(grep -c ' update$' "$work/log")" -eq 3 ]

# Another failure is not waited on.
run FAKE_UID=0 FAKE_BROKEN=1 --
check "download error: fails at once" eval '[ "$status" -ne 0 ] && [ "$(wc -l <"$work/log")" -eq 1 ]'
check "download error: apt's reason shown" has "Temporary failure resolving"

echo "install-deps.sh: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
