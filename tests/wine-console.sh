#!/usr/bin/env bash
# Runs tob-list.exe under Wine on a console (a tmux pane) in a Czech locale, on one Czech text
# saved three ways: Windows-1250, UTF-8 with a byte-order mark, UTF-8 without. The console
# must show the text itself. Usage: tests/wine-console.sh PROGRAM.EXE (Wine's prefix from
# WINEPREFIX). Needs wine, tmux, iconv and the cs_CZ.UTF-8 locale.
set -euo pipefail
exe=$(realpath "$1")
locale -a | grep -qx 'cs_CZ.utf8' ||
    { echo "the locale cs_CZ.UTF-8 is not generated, and without it Wine shows only ASCII"; exit 1; }
work=$(mktemp -d)
socket="tob-console-$$"
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT

# The last line's field is longer than the program's 1024-byte conversion piece in both
# encodings, and its odd start puts a cut inside a UTF-8 sequence.
long="D$(printf 'ěščřžýáíéůúťďňó%.0s' {1..80})"
printf 'kód;text\nA1;Příliš žluťoučký kůň\nB2;úpěl;ďábelské;ódy\nC3;cena\t100 €\n%s\n' "$long" >"$work/text"
want=$(printf 'A1Příliš žluťoučký kůň\nB2úpělďábelskéódy\nC3cena100 €\n%s\nNacteno 5 radku\nstatus=0' "$long")

failed=0
for table in cp1250 utf8-bom utf8; do
    mkdir "$work/$table"
    case $table in
    cp1250) iconv -f UTF-8 -t CP1250 "$work/text" ;;
    utf8-bom) printf '\xef\xbb\xbf' && cat "$work/text" ;;
    utf8) cat "$work/text" ;;
    esac >"$work/$table/tob_10.csv"
    tmux -L "$socket" -f /dev/null new-session -d -s "$table" -x 200 -y 40 \
        "cd '$work/$table' && env LANG=cs_CZ.UTF-8 LC_ALL=cs_CZ.UTF-8 wine '$exe'; echo status=\$?; tmux -L '$socket' wait-for -S '$table'; sleep 60"
    timeout 30 tmux -L "$socket" wait-for "$table" || { echo "$table: tob-list.exe did not end within 30 s"; exit 1; }
    shown=$(tmux -L "$socket" capture-pane -p -t "$table" | sed '/^$/d')
    tmux -L "$socket" kill-session -t "$table"
    # Wine's console wraps the long line itself: it is compared with its pieces joined.
    got=$(printf '%s\n' "$shown" | awk '/^D/ { long = 1 } long && !/^Nacteno/ { printf "%s", $0; next }
        long { long = 0; print "" } { print }')
    if [ "$got" == "$want" ]; then
        echo "$table: the console shows the text"
    else
        echo "$table: the console shows something else:"
        diff <(printf '%s\n' "$want") <(printf '%s\n' "$got") || true
        failed=1
    fi
done
exit $failed
