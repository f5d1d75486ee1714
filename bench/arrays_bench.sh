#!/usr/bin/env bash
# Training arrays, whole process, interleaved rounds, on the peer kit's generated clean protein
# FASTA (MB megabytes, every record model-ready), max_length 1024, fixed_length:
#   workflow                 tamri workflow FILE -o report.json
#   workflow --arrays        the same, and the NumPy files beside the report
#   corpus --arrays, read    tamri corpus --arrays --jobs 2, then every array byte read in Python
#   module, lists            prepare_workflow_from_fasta, its rows read into NumPy through lists
#   numpy peer               the peer kit's model-input-numpy (validates nothing, stamps nothing)
# The rows that read rows print the peer's CRC-32 of ids and masks, which must agree.
#
#   bench/arrays_bench.sh                 # after a release build (make build)
#   MB=20 ROUNDS=1 bench/arrays_bench.sh  # a quick pass
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=bench/rounds.sh
source bench/rounds.sh
data=${DATA:-/tmp/tamri-arrays-bench}
mb=${MB:-200}
python=/usr/bin/python3
export PYTHONPATH=${PYTHONPATH:-build/release/python}:python TAMRI_CLI=$tool

mkdir -p "$data"
input=$data/protein-clean-$mb.fa
[ -f "$input" ] || $python "$kit/gen_fasta.py" protein --clean --mb "$mb" --seed 20240501 -o "$input"
settings="--max-length 1024 --padding fixed_length"

rows=(
  "workflow|$tool workflow $input $settings -o $data/report.json"
  "workflow --arrays|$tool workflow $input $settings -o $data/report.json --arrays $data/batch"
  "corpus --arrays --jobs 2, read|$tool corpus $input -o $data/corpus $settings --arrays --jobs 2 && $python bench/read_arrays.py corpus $data/corpus"
  "module, rows through lists|$python bench/read_arrays.py module $input 1024"
  "numpy peer|$python $kit/peers.py model-input-numpy $input --max-length 1024 --digest"
)

run_rounds "$rounds" "rm -rf $data/corpus" "${rows[@]}"  # a rerun would keep the shards already run
print_table "${rows[@]}"
echo
awk -v plain="$(best workflow)" -v arrays="$(best "workflow --arrays")" \
  -v corpus="$(best "corpus --arrays --jobs 2, read")" -v lists="$(best "module, rows through lists")" \
  -v peer="$(best "numpy peer")" 'BEGIN {
    printf "- the arrays add %.1f %% to the workflow\n", 100 * (arrays - plain) / plain
    printf "- corpus --arrays --jobs 2 and reading them is %.2f x as fast as the module through lists\n", lists / corpus
    printf "- against the NumPy peer: %.2f x its time\n", corpus / peer
  }'
