#!/usr/bin/env bash
# Runs tob-list.exe under Wine on a console (a tmux pane) in a Czech locale and checks what the
# console shows: one Czech text saved three ways (Windows-1250, UTF-8 with a byte-order mark,
# UTF-8 without) must show as that text; a listing longer than the program's console batch, and
# an empty list, must show exactly. Usage: tests/wine-console.sh PROGRAM.EXE (Wine's prefix from
# WINEPREFIX). Needs wine, tmux, iconv and the cs_CZ.UTF-8 locale.
set -euo pipefail
exe=$(realpath "$1")
source_dir=$(realpath "$(dirname "$0")/..")
locale -a | grep -qx 'cs_CZ.utf8' ||
    { echo "the locale cs_CZ.UTF-8 is not generated, and without it Wine shows only ASCII"; exit 1; }
work=$(mktemp -d)
socket="tob-console-$$"
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT

# Runs the program on the table $work/$1/tob_10.csv in a console 200 columns wide and prints
# what the console shows, followed by "status=N".
show() {
    tmux -L "$socket" -f /dev/null new-session -d -s "$1" -x 200 -y 40 \
        "cd '$work/$1' && env LANG=cs_CZ.UTF-8 LC_ALL=cs_CZ.UTF-8 wine '$exe'; echo status=\$?; tmux -L '$socket' wait-for -S '$1'; sleep 60"
    timeout 30 tmux -L "$socket" wait-for "$1" || { echo "$1: tob-list.exe did not end within 30 s"; exit 1; }
    tmux -L "$socket" capture-pane -p -S - -t "$1" | sed '/^$/d'
    tmux -L "$socket" kill-session -t "$1"
}

failed=0
# Compares what the console showed for table $1 with $2.
check() {
    if [ "$2" == "$3" ]; then
        echo "$1: the console shows the listing"
    else
        echo "$1: the console shows something else:"
        diff <(printf '%s\n' "$3") <(printf '%s\n' "$2") || true
        failed=1
    fi
}

# The last line's field is longer than the program's conversion piece in both encodings, and its
# odd start puts a piece's end inside a UTF-8 sequence.
long="D$(printf 'ěščřžýáíéůúťďňó%.0s' {1..80})"
printf 'kód;text\nA1;Příliš žluťoučký kůň\nB2;úpěl;ďábelské;ódy\nC3;cena\t100 €\n%s\n' "$long" >"$work/text"
want=$(printf 'A1Příliš žluťoučký kůň\nB2úpělďábelskéódy\nC3cena100 €\n%s\nNacteno 5 radku\nstatus=0' "$long")
for table in cp1250 utf8-bom utf8; do
    mkdir "$work/$table"
    case $table in
    cp1250) iconv -f UTF-8 -t CP1250 "$work/text" ;;
    utf8-bom) printf '\xef\xbb\xbf' && cat "$work/text" ;;
    utf8) cat "$work/text" ;;
    esac >"$work/$table/tob_10.csv"
    # Wine's console wraps the long line itself: it is compared with its pieces joined.
    got=$(show "$table" | awk '/^D/ { long = 1 } long && !/^Nacteno/ { printf "%s", $0; next }
        long { long = 0; print "" } { print }')
    check "$table" "$got" "$want"
done

# Lines of one field that fill the console batch exactly, line ends included; then lines whose
# characters fill it exactly, so that the last line end goes to the next batch; then lines whose
# ends fall anywhere.
batch=$(sed -n 's/^constexpr std::size_t batch_size = \([0-9]*\);.*/\1/p' "$source_dir/app/console.cpp")
mkdir "$work/batch"
{
    echo header
    for i in $(seq 1 127); do printf "%04d%0$((batch / 64 - 6))d\n" "$i" 0; done
    printf "%04d%0$((batch / 64 - 4))d\n" 128 0
    for i in $(seq 129 250); do printf "%04d%0$((i % 190 + 1))d\n" "$i" 0; done
} >"$work/batch/tob_10.csv"
check batch "$(show batch)" "$(tail -n +2 "$work/batch/tob_10.csv"; echo "Nacteno 251 radku"; echo status=0)"

mkdir "$work/empty"
echo header >"$work/empty/tob_10.csv"
check empty "$(show empty)" "$(printf 'Seznam je prazdny\nNacteno 1 radku\nstatus=0')"
exit $failed
