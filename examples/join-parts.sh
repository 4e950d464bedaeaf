#!/bin/sh
# Joins the result files of `qrlx-batch --part K/N`, named PREFIXK-of-N.csv, into one
# result file: the title line once, then the rows of parts 1 to N in order, which is byte
# for byte the result of one run. Refuses, leaving RESULT_CSV as it was, when a part is
# missing, does not end with a line end (cut short), has another title line than part 1,
# or is the result file itself.
#
#   usage: join-parts.sh N RESULT_CSV [PREFIX]     (PREFIX: "part" when not given)
set -eu

fail() {
    echo "join-parts.sh: $1" >&2
    exit "${2:-1}"
}

[ $# -eq 2 ] || [ $# -eq 3 ] || fail "usage: join-parts.sh N RESULT_CSV [PREFIX]" 2
n=$1
result=$2
prefix=${3:-part}
case $result in -*) result=./$result ;; esac # a name, never an option of the tools below
case $n in
'' | 0* | *[!0-9]*) fail "N is a whole number from 1, not '$n'" 2 ;;
esac

title=
k=1
while [ "$k" -le "$n" ]; do
    part="$prefix$k-of-$n.csv"
    [ -f "$part" ] || fail "part $k of $n ($part) is missing"
    [ -s "$part" ] && [ -z "$(tail -c 1 "$part")" ] ||
        fail "part $k of $n ($part) does not end with a line end: it was cut short"
    [ "$k" -gt 1 ] || title=$(head -n 1 "$part")
    [ "$(head -n 1 "$part")" = "$title" ] || fail "part $k of $n ($part) has other titles than part 1"
    [ ! "$result" -ef "$part" ] || fail "the result file $result is part $k of $n"
    k=$((k + 1))
done

# Written beside the result and renamed over it only when whole.
joined=$(mktemp "$result.XXXXXX")
trap 'rm -f "$joined"' EXIT
{
    head -n 1 "${prefix}1-of-$n.csv"
    k=1
    while [ "$k" -le "$n" ]; do
        tail -n +2 "$prefix$k-of-$n.csv"
        k=$((k + 1))
    done
} >"$joined"
chmod "$(printf %o $((0666 & ~$(umask))))" "$joined"  # as a new file
mv "$joined" "$result"
trap - EXIT
