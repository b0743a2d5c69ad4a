#!/bin/sh
# velmor-bench BENCH: a count that is not a whole number in range, a size
# that is not WxH within bounds, a view that is not AZ,EL[,ZOOM] within the
# camera's ranges, are refused with exit status 2 and a line naming the
# option; good ones are taken (the missing scene then ends it with 1).
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
    elif [ "$want" = 2 ] && ! echo "$err" | grep -q "^velmor-bench: $1 needs "; then
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
for size in 512 512x 63x384 512x63 7681x384 512x4321 x384 512x384x2 -512x384 512X384; do
    expect 2 --size "$size"
done
for view in 45 45, 45,91 45,-91 361,0 45,20,0.04 45,20,51 45,20, 45,20,1,2 a,b nan,0; do
    expect 2 --view "$view"
done
expect 1 --size 64x64 --view -360,-90,0.05
expect 1 --size 7680x4320 --view 360,90,50
expect 1 --view 45,20 --size 1920x1080 --threads 2 --frames 1
expect 1 --frames 1 --threads 1
expect 1 --frames 1000000 --threads 2
exit $failed
