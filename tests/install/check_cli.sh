#!/usr/bin/env bash
# The terminal commands of the built program on a copy of the demo event with
# two recorded winners: check, export in each format, and wrong arguments.
# Arguments: the built executable, the dist folder.
set -euo pipefail
exe="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$2" "$work/event"
ev="$work/event"
fail() { echo "FAIL: $*"; exit 1; }

"$exe" check "$ev" > "$work/check.txt" || fail "check of the demo: $(cat "$work/check.txt")"
grep -q '结论' "$work/check.txt" || fail "check prints no conclusion"

# Two winners of the first award as a stop records them.
printf '0|\xd5\xc5\xce\xb0|\xd5\xc5\xce\xb0\r\n0|\xc0\xee\xc4\xc8|\xc0\xee\xc4\xc8\r\n\r\n' > "$ev/ARecord.dat"
for f in txt csv xlsx; do
    "$exe" export "$ev" --format "$f" -o "$work/out.$f" > /dev/null || fail "export $f"
    [ -s "$work/out.$f" ] || fail "export $f wrote nothing"
done
iconv -f GBK -t UTF-8 "$work/out.txt" | grep -q '张伟' || fail "text export lacks a winner"
head -c 3 "$work/out.csv" | od -An -tx1 | grep -q 'ef bb bf' || fail "csv has no byte-order mark"
grep -q '李娜' "$work/out.csv" || fail "csv lacks a winner"
[ "$(head -c 2 "$work/out.xlsx")" = "PK" ] || fail "xlsx is not a zip"

# Wrong arguments exit with 2; a blocking problem with 1.
set +e
"$exe" export "$ev" --format pdf -o x > /dev/null 2>&1; [ $? -eq 2 ] || fail "bad format not refused"
"$exe" frobnicate > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown command not refused"
printf '5\r\n999999\r\n' > "$ev/tmda.jpg"
"$exe" check "$ev" > "$work/check2.txt"; [ $? -eq 1 ] || fail "check passed a broken draw order"
set -e
grep -q '\[阻止\]' "$work/check2.txt" || fail "blocking finding not shown"
# Import: refused under recorded winners, then with --reset the list is replaced and the draw reset.
printf '\xef\xbb\xbfName,Dept\n王小明,研发\n李四,财务\n' > "$work/staff.csv"
set +e
"$exe" import "$work/staff.csv" "$ev" > /dev/null 2>&1; [ $? -eq 1 ] || fail "import under recorded winners not refused"
set -e
"$exe" import "$work/staff.csv" "$ev" --cols 1-1 --reset > /dev/null || fail "import --reset"
[ "$(iconv -f GBK -t UTF-8 "$ev/data.txt" | tr -d '\r' | sed 's/ *$//')" = "$(printf '王小明\n李四')" ] || fail "imported list: $(iconv -f GBK -t UTF-8 "$ev/data.txt")"
[ ! -s "$ev/ARecord.dat" ] || fail "the records were not cleared by the reset"
# Refused while a stage holds the event folder: the list and the records stay.
cp "$ev/data.txt" "$work/before.txt"
set +e
flock "$ev/.tessaly.lock" "$exe" import "$work/staff.csv" "$ev" --reset > /dev/null 2> "$work/locked.txt"; [ $? -eq 1 ] || fail "import under a running stage not refused"
set -e
grep -q '另一个抽奖程序正在使用' "$work/locked.txt" || fail "the refusal does not say why: $(cat "$work/locked.txt")"
cmp -s "$ev/data.txt" "$work/before.txt" || fail "data.txt changed under a running stage"
printf 'A\r\nB\r\n' > "$work/list.txt"
"$exe" import "$work/list.txt" "$ev" > /dev/null || fail "text import"
[ "$(tr -d '\r' < "$ev/data.txt")" = "$(printf 'A\nB')" ] || fail "text import result"
# A "|" separator would give lines the loader refuses: refused, data.txt left as it was.
before="$(md5sum < "$ev/data.txt")"
set +e
"$exe" import "$work/staff.csv" "$ev" --sep '|' > /dev/null 2>&1; [ $? -ne 0 ] || fail "--sep '|' not refused"
printf '\xef\xbb\xbfName\n\xf0\x9f\x98\x80\xe5\x88\x98\n' > "$work/emoji.csv"
"$exe" import "$work/emoji.csv" "$ev" > /dev/null 2>&1; [ $? -eq 1 ] || fail "a name GBK cannot store not refused"
set -e
[ "$(md5sum < "$ev/data.txt")" = "$before" ] || fail "a refused import changed data.txt"
# Every replacing import kept a dated backup; restore-backup brings the first back.
first="$(ls "$ev/备份" | sort | head -1)"
[ -n "$first" ] && [ -f "$ev/备份/$first/ARecord.dat" ] || fail "no backup kept by the import"
grep -q '0|' "$ev/备份/$first/ARecord.dat" || fail "the backup lacks the recorded winners"
"$exe" restore-backup "$ev" "$first" > /dev/null || fail "restore-backup"
cmp -s "$ev/ARecord.dat" "$ev/备份/$first/ARecord.dat" || fail "restore-backup did not bring the records back"
set +e
"$exe" restore-backup "$ev" "1999-01-01 00-00-00" > /dev/null 2>&1; [ $? -eq 1 ] || fail "an unknown backup not refused"
set -e
echo "1 passed, 0 failed"
