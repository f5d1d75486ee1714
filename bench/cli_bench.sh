#!/usr/bin/env bash
# The tamri tool against seqkit, whole process, interleaved rounds:
#   tamri parse FILE     against  seqkit seq FILE      (every record read and written out again)
#   tamri validate FILE  against  seqkit fx2tab FILE   (every record read and written out with its sequence)
# on the peer kit's generated 200 MB protein FASTA, plain and gzip-compressed (the compressed copy
# is made beside it). Each round runs every command once, so a slow phase of the shared machine
# hits all of them alike. Output goes to /dev/null. Prints a markdown table: best and median wall
# time, throughput of the uncompressed bytes at the best time, peak RSS and the ratio to seqkit.
#
#   bench/cli_bench.sh                 # after a release build (make build)
#   ROUNDS=9 TAMRI_CLI=/path/to/tamri bench/cli_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

tool=${TAMRI_CLI:-build/release/cli/tamri}
data=${DATA:-/tmp/tamri-bench}
kit=${PEERS_KIT:-$(cd .. && pwd)/shared/peers}
rounds=${ROUNDS:-5}

command -v seqkit >/dev/null || { echo "cli_bench: seqkit is missing (scripts/install-deps.sh --bench)" >&2; exit 1; }
[ -x "$tool" ] || { echo "cli_bench: no tool at $tool (make build)" >&2; exit 1; }

mkdir -p "$data"
plain=$data/protein.fa
gen_args="protein --mb 200 --seed 20240501"
if [ ! -f "$plain" ] || [ "$(cat "$plain.args" 2>/dev/null)" != "$gen_args" ]; then
  # shellcheck disable=SC2086 # the arguments are words
  /usr/bin/python3 "$kit/gen_fasta.py" $gen_args -o "$plain"
  printf '%s' "$gen_args" >"$plain.args"
fi
compressed=$plain.gz
if [ ! "$compressed" -nt "$plain" ]; then
  gzip -6 -c "$plain" >"$compressed"
fi
bytes=$(stat -c %s "$plain")

# name|command; seqkit rows are the references of the tamri rows with the same verb after them.
rows=(
  "tamri parse|$tool parse"
  "seqkit seq|seqkit seq"
  "tamri validate|$tool validate"
  "seqkit fx2tab|seqkit fx2tab"
)
inputs=(plain compressed)

declare -A times rss
for ((round = 0; round < rounds; round++)); do
  for input in "${inputs[@]}"; do
    file=${!input}
    for row in "${rows[@]}"; do
      name=${row%%|*}
      start=$(date +%s%N)
      status=0
      # shellcheck disable=SC2086 # the command is words
      /usr/bin/time -f '%M' -o "$data/rss" ${row#*|} "$file" >/dev/null || status=$?
      end=$(date +%s%N)
      # Exit status 1 is validate's "some records are invalid", which the generated file has.
      [ "$status" -le 1 ] || { echo "cli_bench: $name $file failed ($status)" >&2; exit 1; }
      times[$name,$input]+="$(((end - start) / 1000000)) "
      rss[$name,$input]=$(tail -n 1 "$data/rss")
    done
  done
done

best() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort -n | head -n 1; }
median() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "| Command | Input | Best | Median | Throughput (best) | Peak RSS | Best / seqkit |"
echo "|---|---|---|---|---|---|---|"
for input in "${inputs[@]}"; do
  for row in "${rows[@]}"; do
    name=${row%%|*}
    b=$(best "${times[$name,$input]}")
    m=$(median "${times[$name,$input]}")
    ratio="–"
    case $name in
      "tamri parse") ratio=$(awk -v a="$b" -v s="$(best "${times[seqkit seq,$input]}")" 'BEGIN { printf "%.2f", a / s }') ;;
      "tamri validate") ratio=$(awk -v a="$b" -v s="$(best "${times[seqkit fx2tab,$input]}")" 'BEGIN { printf "%.2f", a / s }') ;;
    esac
    throughput=$(awk -v n="$bytes" -v ms="$b" 'BEGIN { printf "%.0f MB/s", n / 1e6 / (ms / 1000) }')
    echo "| \`$name\` | $input | $b ms | $m ms | $throughput | $((rss[$name,$input] / 1024)) MB | $ratio |"
  done
done
rm -f "$data/rss"
