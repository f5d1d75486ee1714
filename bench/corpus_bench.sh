#!/usr/bin/env bash
# Corpus preparation against one workflow call, whole process, interleaved rounds, on the peer
# kit's generated protein FASTA (--clean: every record model-ready, so every shard builds its model
# input) of MB megabytes cut into shards of SHARD bytes:
#   tamri workflow FILE             the whole input in one call
#   tamri workflow SHARD            one shard's workflow: the unit of memory of a corpus job
#   tamri corpus FILE --jobs 1|2    cut, run every shard, merge (into a fresh directory each round)
# Prints a markdown table of best and median wall time and peak RSS, then the ratios that matter:
# corpus RSS against jobs x one shard's, --jobs 2 against --jobs 1, --jobs 1 against the one call.
#
#   bench/corpus_bench.sh                         # after a release build (make build)
#   MB=64 SHARD=8M ROUNDS=3 bench/corpus_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=bench/rounds.sh
source bench/rounds.sh
data=${DATA:-/tmp/tamri-corpus-bench}
mb=${MB:-64}
shard=${SHARD:-8M}
settings=(--max-length 1024 --padding fixed_length)

mkdir -p "$data"
input=$data/protein-$mb.fa
[ -f "$input" ] || /usr/bin/python3 "$kit/gen_fasta.py" protein --clean --mb "$mb" --seed 20261207 -o "$input"
rm -rf "$data/cut" && "$tool" shard "$input" -o "$data/cut" --shard-size "$shard"

rows=(
  "workflow, whole input|$tool workflow $input ${settings[*]} -o $data/whole.json"
  "workflow, one shard|$tool workflow $data/cut/shard-00000.fa ${settings[*]} -o $data/shard.json"
  "corpus --jobs 1|$tool corpus $input -o $data/jobs1 --shard-size $shard --jobs 1 ${settings[*]}"
  "corpus --jobs 2|$tool corpus $input -o $data/jobs2 --shard-size $shard --jobs 2 ${settings[*]}"
)

run_rounds "$rounds" "rm -rf $data/jobs1 $data/jobs2" "${rows[@]}"  # a rerun would keep the shards already run

echo "$(stat -c %s "$input") bytes in $(jq '.shards | length' "$data/cut/plan.json" 2>/dev/null || grep -o '"index"' "$data/cut/plan.json" | wc -l) shards of $shard, $rounds rounds"
echo
print_table "${rows[@]}"
echo
one=${rss["workflow, one shard"]}
awk -v j1="$(best "corpus --jobs 1")" -v j2="$(best "corpus --jobs 2")" \
  -v whole="$(best "workflow, whole input")" -v one="$one" \
  -v r1="${rss["corpus --jobs 1"]}" -v r2="${rss["corpus --jobs 2"]}" 'BEGIN {
    printf "- peak RSS against one shard'"'"'s workflow: --jobs 1 %.2f x, --jobs 2 %.2f x (2 jobs)\n", r1 / one, r2 / one
    printf "- --jobs 2 is %.2f x as fast as --jobs 1\n", j1 / j2
    printf "- --jobs 1 takes %.2f x the time of one workflow call on the whole input\n", j1 / whole
  }'
