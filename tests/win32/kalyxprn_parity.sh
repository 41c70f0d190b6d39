#!/usr/bin/env bash
# kalyxprn.exe under wine against the Linux kalyxprn on the same jobs: the document commands
# print the same text (Windows ends its lines with CR LF and names a missing file in its own
# words) and exit the same way, and render draws the same pixels. With the examples folder, the
# example badge batch too: the same problems found, and the same jobs written.
#   kalyxprn_parity.sh LINUX_KALYXPRN WINDOWS_KALYXPRN_EXE [EXAMPLES_DIR]
set -euo pipefail
linux=$(realpath "$1")
windows=$(realpath "$2")
examples=${3:+$(realpath "$3")}
work=$(mktemp -d "${TMPDIR:-/tmp}/kalyxprn-parity.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir jobs out

# The jobs: the sample, an edited and a composed one, and invalid ones of every kind.
"$linux" sample -o jobs/sample.prn
"$linux" render jobs/sample.prn --side 0 -o front.png
"$linux" render jobs/sample.prn --side 1 -o back.png
"$linux" compose --front front.png --back back.png --black-level 40 -o jobs/composed.prn
"$linux" set jobs/sample.prn num-copies /prn/card/card-options 3 -o jobs/edited.prn
"$linux" compose --front front.png --track2 ';123=45?' -o jobs/tracks-after-planes.prn
head -c 5000 jobs/sample.prn > jobs/cut-short.prn
cp jobs/sample.prn jobs/bad-checksum.prn
printf '\x55' | dd of=jobs/bad-checksum.prn bs=1 seek=$(($(stat -c %s jobs/sample.prn) - 1)) \
  conv=notrunc status=none
: > jobs/empty.prn
printf 'no job at all\n' > jobs/text.prn
printf '<prn><card/><binary-size>9</binary-size></prn>\0abc' > jobs/short-binary.prn
jobs=(jobs/*.prn jobs/missing.prn)

failures=0
differ() {
  echo "DIFFERENT: $*" >&2
  failures=$((failures + 1))
}

# Runs one command on both builds and compares output streams and exit status.
same() {
  local name=$1; shift
  local lrc=0 wrc=0
  "$linux" "$@" > "out/$name.linux.out" 2> "out/$name.linux.err" || lrc=$?
  wine "$windows" "$@" > "out/$name.win.out" 2> "out/$name.win.err" || wrc=$?
  for stream in out err; do
    # The system's own words for a missing file differ; everything else must not.
    tr -d '\r' < "out/$name.win.$stream" |
      sed 's/: File not found\./: No such file or directory/' > "out/$name.win.$stream.lf"
    cmp -s "out/$name.linux.$stream" "out/$name.win.$stream.lf" ||
      { differ "$* (std$stream)"; diff "out/$name.linux.$stream" "out/$name.win.$stream.lf" | head -n 5 >&2; }
  done
  [ "$lrc" = "$wrc" ] || differ "$* (exit status $lrc on Linux, $wrc on Windows)"
}

checked=0
for job in "${jobs[@]}"; do
  base=$(basename "$job" .prn)
  same "$base.check" check --json "$job"
  same "$base.info" info --json "$job"
  same "$base.mag" mag --json "$job"
  same "$base.jis" mag --jis --json "$job"
  for side in 0 1; do
    png="out/$base.$side"
    same "$base.render$side" render "$job" --side "$side" -o "$png.linux.png"
    [ -f "$png.linux.png" ] || continue
    wine "$windows" render "$job" --side "$side" -o "$png.win.png" > /dev/null
    # ImageMagick counts the pixels that differ (alpha included).
    pixels=$(compare -metric AE "$png.linux.png" "$png.win.png" null: 2>&1 || true)
    [ "$pixels" = 0 ] || differ "render $job --side $side: $pixels pixels differ"
    checked=$((checked + 1))
  done
done
same "several.check" check "${jobs[@]}"
# A job read from standard input (binary: no line ends translated).
for job in jobs/sample.prn jobs/cut-short.prn; do
  "$linux" info --json - < "$job" > out/stdin.linux.out || true
  wine "$windows" info --json - < "$job" | tr -d '\r' > out/stdin.win.out || true
  cmp -s out/stdin.linux.out out/stdin.win.out || differ "info --json - < $job"
done
same "hidden.render" render jobs/sample.prn --side 0 --hide yk -o out/hidden.linux.png
wine "$windows" render jobs/sample.prn --side 0 --hide yk -o out/hidden.win.png
pixels=$(compare -metric AE out/hidden.linux.png out/hidden.win.png null: 2>&1 || true)
[ "$pixels" = 0 ] || differ "render --hide yk: $pixels pixels differ"

# The other image formats come from Qt's plugins: they must be written and read back.
for format in jpg bmp; do
  wine "$windows" render jobs/sample.prn --side 0 -o "out/front.$format" > /dev/null ||
    differ "render to .$format failed"
  [ "$(identify -format '%wx%h' "out/front.$format" 2>/dev/null)" = \
    "$(identify -format '%wx%h' out/sample.0.linux.png)" ] || differ "render to .$format: no such picture"
done

# The example batch, its time fixed so that jobs made again are the same bytes.
batch_jobs=0
if [ -n "$examples" ] && [ -f "$examples/badge/badge.card.json" ]; then
  export SOURCE_DATE_EPOCH=1700000000
  cp -r "$examples/badge" badge
  same "batch.check" batch badge/badge.card.json badge/people.csv --check
  "$linux" batch badge/badge.card.json badge/people.csv -o out/batch.linux > /dev/null
  wine "$windows" batch badge/badge.card.json badge/people.csv -o out/batch.win > /dev/null ||
    differ "batch -o failed under wine"
  for job in out/batch.linux/*.prn; do
    batch_jobs=$((batch_jobs + 1))
    cmp -s "$job" "out/batch.win/${job##*/}" || differ "batch: ${job##*/} differs"
  done
  [ "$batch_jobs" -gt 0 ] || differ "batch -o wrote no job on Linux"
  [ "$(ls out/batch.win | wc -l)" = "$batch_jobs" ] || differ "batch -o wrote other jobs under wine"
fi

echo "${#jobs[@]} jobs, $((checked + 1)) rendered sides, $batch_jobs batch jobs compared," \
     "$failures differences"
[ "$failures" = 0 ]
