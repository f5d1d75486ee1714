#!/usr/bin/env bash
# Package checksums: `validate_package_manifest_artifacts` from Python on a copy of the example
# package whose model file is SIZE_MIB MiB of random bytes, against sha256sum, `openssl dgst
# -sha256` and Python's hashlib (64 KiB chunks) on the same file. Whole processes, timed with
# hyperfine in interleaved rounds (every round runs every command, in a rotated order), the file
# in the page cache; then the peak RSS of each, from /usr/bin/time -v. Prints a Markdown table.
#
#   bench/checksum_bench.sh [BUILD_DIR]      (default build/release; SIZE_MIB=1024 ROUNDS=5 RUNS=3)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${1:-build/release}
PYTHON=${PYTHON:-/usr/bin/python3}
SIZE_MIB=${SIZE_MIB:-1024}
ROUNDS=${ROUNDS:-5}
RUNS=${RUNS:-3}
for tool in hyperfine openssl sha256sum /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "checksum_bench: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tamri-checksum-XXXXXX")
trap 'rm -rf "$work"' EXIT
package=$work/pkg
model=$package/models/protein-probe.onnx
cp -r examples/package "$package"
head -c "$((SIZE_MIB << 20))" /dev/urandom >"$model"
"$PYTHON" - "$package/manifest.json" "sha256:$(sha256sum "$model" | cut -d' ' -f1)" <<'EOF'
import json, sys
path, checksum = sys.argv[1:]
with open(path, encoding="utf-8") as file:
    manifest = json.load(file)
manifest["model"]["checksum"] = checksum
with open(path, "w", encoding="utf-8") as file:
    json.dump(manifest, file)
EOF

cat >"$work/tamri_check.py" <<'EOF'
import sys
import tamri
package = sys.argv[1]
with open(f"{package}/manifest.json", encoding="utf-8") as file:
    report = tamri.validate_package_manifest_artifacts(file.read(), package)
assert report == '{"valid":true,"issues":[],"structured_issues":[]}', report
EOF
cat >"$work/hashlib_check.py" <<'EOF'
import hashlib
import sys
digest = hashlib.sha256()
with open(sys.argv[1], "rb") as file:
    while chunk := file.read(65536):
        digest.update(chunk)
print(digest.hexdigest())
EOF

names=(tamri sha256sum openssl hashlib)
commands=(
  "env PYTHONPATH=$BUILD_DIR/python $PYTHON $work/tamri_check.py $package"
  "sha256sum $model"
  "openssl dgst -sha256 $model"
  "$PYTHON $work/hashlib_check.py $model"
)

for ((round = 0; round < ROUNDS; ++round)); do
  args=()
  for ((i = 0; i < ${#commands[@]}; ++i)); do
    k=$(((i + round) % ${#commands[@]}))
    args+=(--command-name "${names[k]}" "${commands[k]}")
  done
  warmup=0
  [ "$round" -eq 0 ] && warmup=1
  nice -n 10 hyperfine --style none --warmup "$warmup" --runs "$RUNS" --export-json "$work/round$round.json" \
    "${args[@]}" >/dev/null
done

for ((k = 0; k < ${#commands[@]}; ++k)); do
  # shellcheck disable=SC2086 # each command is a plain word list
  nice -n 10 /usr/bin/time -v ${commands[k]} 2>"$work/time-${names[k]}.txt" >/dev/null
done

"$PYTHON" - "$work" "$SIZE_MIB" "${names[@]}" <<'EOF'
import json, pathlib, re, statistics, sys
work, size_mib, names = pathlib.Path(sys.argv[1]), int(sys.argv[2]), sys.argv[3:]
times = {name: [] for name in names}
for round_file in sorted(work.glob("round*.json")):
    for result in json.loads(round_file.read_text())["results"]:
        times[result["command"]].extend(result["times"])
print(f"{size_mib} MiB model file, {len(times[names[0]])} runs of each command in interleaved rounds\n")
print("| Command | Mean ± sd (s) | Min (s) | Throughput (mean) | Peak RSS |")
print("|---|---|---|---|---|")
for name in names:
    runs = times[name]
    mean = statistics.mean(runs)
    peak = re.search(r"Maximum resident set size \(kbytes\): (\d+)", (work / f"time-{name}.txt").read_text())
    print(f"| {name} | {mean:.3f} ± {statistics.stdev(runs):.3f} | {min(runs):.3f} | "
          f"{size_mib / 1024 / mean:.2f} GiB/s | {int(peak.group(1)) / 1024:.1f} MiB |")
EOF
