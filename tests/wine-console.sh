#!/usr/bin/env bash
# Runs tob-list.exe under Wine on a console (a tmux pane) in a Czech locale and checks what the
# console shows: one Czech text saved three ways (Windows-1250, UTF-8 with a byte-order mark,
# UTF-8 without) must show as that text, a 1250 row that alone would be valid UTF-8 among them,
# and so must a UTF-8 character that a conversion piece's
# end would cut, and Japanese in Shift JIS in a Japanese locale; control
# characters must show as text; a listing longer than the program's console batch, and an empty
# list, must show exactly. Alone
# on its console, as after a double-click, the program must then prompt and wait for a key, also
# after a message; started through cmd it must not.
# Usage: tests/wine-console.sh PROGRAM.EXE (Wine's prefix from WINEPREFIX). Needs wine, tmux,
# iconv and the cs_CZ.UTF-8 and ja_JP.UTF-8 locales.
set -euo pipefail
exe=$(realpath "$1")
source_dir=$(realpath "$(dirname "$0")/..")
for locale in cs_CZ ja_JP; do
    locale -a | grep -qx "$locale.utf8" ||
        { echo "the locale $locale.UTF-8 is not generated, and without it Wine shows only ASCII"; exit 1; }
done
work=$(mktemp -d)
socket="tob-console-$$"
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT

lang=cs_CZ.UTF-8
prompt=$(sed -n 's/.*pause_message = "\(.*\)";/\1/p' "$source_dir/app/messages.hpp")

# Runs the program in the folder $work/$1 on a console 200 columns wide in the locale $lang,
# then the shell command $2 if given, and prints what the console shows, "status=N" after each.
# The program must show the prompt, still be running 2 s later, and end with the key sent to it.
show() {
    tmux -L "$socket" -f /dev/null new-session -d -s "$1" -x 200 -y 40 \
        "cd '$work/$1' && export LANG=$lang LC_ALL=$lang && wine '$exe'; echo status=\$?; ${2:-}
        tmux -L '$socket' wait-for -S '$1'; sleep 60"
    local waited=0
    until tmux -L "$socket" capture-pane -p -S - -t "$1" | grep -q -x -F "$prompt"; do
        [ $((waited += 1)) -le 300 ] || { echo "$1: no prompt within 30 s"; exit 1; }
        sleep 0.1
    done
    sleep 2
    ! tmux -L "$socket" capture-pane -p -S - -t "$1" | grep -q '^status=' || { echo "$1: did not wait for a key"; exit 1; }
    tmux -L "$socket" send-keys -t "$1" x
    timeout 30 tmux -L "$socket" wait-for "$1" || { echo "$1: did not end within 30 s of the key"; exit 1; }
    tmux -L "$socket" capture-pane -p -S - -t "$1" | sed '/^$/d'
    tmux -L "$socket" kill-session -t "$1"
}

# Wine's console wraps a long line itself: joins the rows of the line that starts with D.
join_long() {
    awk '/^D/ { long = 1 } long && !/^Nacteno/ { printf "%s", $0; next } long { long = 0; print "" } { print }'
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
printf 'kód;text\nA1;Příliš žluťoučký kůň\nB2;úpěl;ďábelské;ódy\nC3;cena\t100 €\nE5;ÚŽINA\n%s\n' "$long" >"$work/text"
want=$(printf 'A1Příliš žluťoučký kůň\nB2úpělďábelskéódy\nC3cena100 €\nE5ÚŽINA\n%s\nNacteno 6 radku\n%s\nstatus=0' "$long" "$prompt")
for table in cp1250 utf8-bom utf8; do
    mkdir "$work/$table"
    case $table in
    cp1250) iconv -f UTF-8 -t CP1250 "$work/text" ;;
    utf8-bom) printf '\xef\xbb\xbf' && cat "$work/text" ;;
    utf8) cat "$work/text" ;;
    esac >"$work/$table/tob_10.csv"
    check "$table" "$(show "$table" | join_long)" "$want"
done

# A sequence of three bytes that a piece's end would cut after its second byte: the piece must
# end before it, so that it is shown whole. (A character of four bytes would do for one cut after
# its first byte, but Wine's console shows such a character, a UTF-16 surrogate pair, as two
# replacement characters.)
mkdir "$work/cut"
x=$(printf 'x%.0s' {1..1021})
printf 'kod;text\nD%s\xe2\x82\xacabc\n' "$x" >"$work/cut/tob_10.csv"
check cut "$(show cut | join_long)" "$(printf 'D%s€abc\nNacteno 2 radku\n%s\nstatus=0' "$x" "$prompt")"

# A Japanese locale, whose ANSI code page has characters of two bytes: the long field starts at
# an odd byte, so that the last byte of its first piece is a lead byte, which must go with the
# byte after it into the next piece.
long="D$(printf '日本語の表%.0s' {1..120})"
mkdir "$work/sjis"
printf 'kod;text\nA1;日本語\n%s\n' "$long" | iconv -f UTF-8 -t SHIFT_JIS >"$work/sjis/tob_10.csv"
check sjis "$(lang=ja_JP.UTF-8 show sjis | join_long)" "$(printf 'A1日本語\n%s\nNacteno 3 radku\n%s\nstatus=0' "$long" "$prompt")"

# Control characters, which a console that processes virtual-terminal sequences would obey: a
# cursor move and a line wipe, BEL and DEL; U+009B (CSI) in a UTF-8 table, also with a delimiter
# between its two bytes; ESC after Windows-1250 letters in a 1250 table. The console must show
# each as text.
mkdir "$work/controls" "$work/controls-1250"
printf 'kod;text\nA1;\033[1A\033[2KB\007;\177\nA2;\302\2331J\nA3;\302;\2332J\n' >"$work/controls/tob_10.csv"
check controls "$(show controls)" "$(printf 'A1^[[1A^[[2KB^G^?\nA2M-^[1J\nA3M-^[2J\nNacteno 4 radku\n%s\nstatus=0' "$prompt")"
printf 'kod;text\nA4;\232\236\033\n' >"$work/controls-1250/tob_10.csv"
check controls-1250 "$(show controls-1250)" "$(printf 'A4šž^[\nNacteno 2 radku\n%s\nstatus=0' "$prompt")"

# Lines of one field that fill the console batch exactly, line ends included; then lines whose
# characters fill it exactly, so that the last line end goes to the next batch; then lines whose
# characters end one short of its end, where the line end's CR would fit and its LF would not;
# then lines whose ends fall anywhere.
batch=$(sed -n 's/^constexpr std::size_t batch_size = \([0-9]*\);.*/\1/p' "$source_dir/app/console.cpp")
mkdir "$work/batch"
{
    echo header
    for i in $(seq 1 127); do printf "%04d%0$((batch / 64 - 6))d\n" "$i" 0; done
    printf "%04d%0$((batch / 64 - 4))d\n" 128 0
    for i in $(seq 129 191); do printf "%04d%0$((batch / 64 - 6))d\n" "$i" 0; done
    printf "%04d%0$((batch / 64 - 7))d\n" 192 0
    for i in $(seq 193 250); do printf "%04d%0$((i % 190 + 1))d\n" "$i" 0; done
} >"$work/batch/tob_10.csv"
check batch "$(show batch)" "$(tail -n +2 "$work/batch/tob_10.csv"; printf 'Nacteno 251 radku\n%s\nstatus=0' "$prompt")"

# An empty list; then, in the same console, the program started by cmd, which shares the console
# with it: no prompt, and it ends by itself.
mkdir "$work/empty"
echo header >"$work/empty/tob_10.csv"
cp "$exe" "$work/empty/"
check empty "$(show empty 'wine cmd /c tob-list.exe; echo status=$?')" \
    "$(printf 'Seznam je prazdny\nNacteno 1 radku\n%s\nstatus=0\nSeznam je prazdny\nNacteno 1 radku\nstatus=0' "$prompt")"

# No table: the message, then the prompt.
mkdir "$work/missing"
check missing "$(show missing)" "$(printf 'Soubor nesel otevrit.\n%s\nstatus=1' "$prompt")"
exit $failed
