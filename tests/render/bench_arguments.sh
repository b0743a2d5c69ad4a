#!/bin/sh
# velmor-bench BENCH: a count that is not a whole number in range is refused
# with exit status 2 and a line naming the option; good ones are taken (the
# missing scene then ends it with 1).
bench=$1
failed=0

expect() { # STATUS ARGS...
    want=$1
    shift
    err=$("$bench" "$@" missing.3ds 2>&1 >/dev/null)
    got=$?
    if [ "$got" != "$want" ]; then
        echo "velmor-bench $*: exit $got, not $want: $err"
        failed=1
    elif [ "$want" = 2 ] && ! echo "$err" | grep -q "^velmor-bench: $1 needs a whole number"; then
        echo "velmor-bench $*: says: $err"
        failed=1
    fi
}

for frames in 12x "" -3 0 1000001 99999999999 0x10; do
    expect 2 --frames "$frames"
done
for threads in abc 0 -1 257 2.5; do
    expect 2 --threads "$threads"
done
expect 1 --frames 1 --threads 1
expect 1 --frames 1000000 --threads 2
exit $failed
