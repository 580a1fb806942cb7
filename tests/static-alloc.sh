#!/usr/bin/env bash
# Refuses each allocation of a test build of the static program (TOB_WRAP_ALLOC) in turn, from the
# n-th on, for each n up to one past the count of a normal run, on a table with a line that takes
# the read buffer several doublings: every run must give the whole listing, or exactly
# "Nedostatek pameti." and status 1, with nothing on standard error and every block freed. Run
# natively, it then holds the program to address-space limits from 4 MB up, with the same rule:
# the C library must start and report, whatever mimalloc could reserve. (qemu-user does not
# apply such limits.)
# Usage: tests/static-alloc.sh PROGRAM [RUNNER...]   (RUNNER: an emulator such as qemu-aarch64-static)
set -euo pipefail
program=$(realpath "$1")
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
long=$(head -c $((16 << 16)) /dev/zero | tr '\0' L)
printf 'h;h\n%s;x\n\n;;\nf1;f2;f3;f4;f5;f6;f7;f8;f9;f10;f11;f12;f13;f14;f15\na;b\r\nab\0cd;e\n\nlast;line' "$long" \
    >"$work/tob_10.csv"
printf '%sx\n\n\nf1f2f3f4f5f6f7f8\nab\nab\n\nlastline\nNacteno 9 radku\n' "$long" >"$work/listing"
printf 'Nedostatek pameti.\n' >"$work/message"

# Runs the program refusing from allocation $1 on; sets status, requests and live.
runner=("$@")
run_with() {
    status=0
    (cd "$work" && TOB_FAIL_FROM=$1 TOB_ALLOC_REPORT="$work/report" "${runner[@]}" "$program" >"$work/out" 2>"$work/err") ||
        status=$?
    read -r requests live <"$work/report"
}

run_with 0
cmp -s "$work/out" "$work/listing" && [ "$status" -eq 0 ] && [ "$live" -eq 0 ] ||
    { echo "static-alloc: the program does not list the table (status $status, $live blocks live)"; exit 1; }
total=$requests
failed=0
declare -A counts
for n in $(seq 1 $((total + 1))); do
    run_with "$n"
    if [ "$status" -eq 0 ] && cmp -s "$work/out" "$work/listing"; then
        result=listing
    elif [ "$status" -eq 1 ] && cmp -s "$work/out" "$work/message"; then
        result=message
    else
        echo "refused from allocation $n: status $status, output $(head -c 60 "$work/out" | od -An -c | head -2)"
        failed=1
        continue
    fi
    [ ! -s "$work/err" ] || { echo "refused from allocation $n: standard error: $(cat "$work/err")"; failed=1; }
    [ "$live" -eq 0 ] || { echo "refused from allocation $n: $live blocks live at exit"; failed=1; }
    [ "$n" -le "$total" ] || [ "$result" = listing ] || { echo "nothing refused, yet no listing"; failed=1; }
    counts[$result]=$((${counts[$result]:-0} + 1))
done
echo "static-alloc: $total allocations, each refused in turn: ${counts[message]:-0} runs gave the message, ${counts[listing]:-0} the listing"
if [ ${#runner[@]} -eq 0 ]; then
    shown=()
    for mb in 4 8 16 24 32 40 48 64 96 128; do
        status=0
        (ulimit -v $((mb << 10)) && cd "$work" && "$program" >"$work/out" 2>"$work/err") || status=$?
        if [ "$status" -eq 0 ] && cmp -s "$work/out" "$work/listing"; then
            shown+=("$mb MB: listing")
        elif [ "$status" -eq 1 ] && cmp -s "$work/out" "$work/message" && [ ! -s "$work/err" ]; then
            shown+=("$mb MB: message")
        else
            echo "under an address-space limit of $mb MB: status $status, output $(head -c 40 "$work/out" | od -An -c | head -1)"
            failed=1
        fi
    done
    echo "static-alloc: under address-space limits: $(printf "%s; " "${shown[@]}")"
fi
exit $failed
