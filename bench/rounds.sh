# Whole-process timing shared by the tool benchmarks; source it. Rows are "name|shell command".
#   run_rounds ROUNDS CLEANUP ROW...   runs every row once per round, in order, CLEANUP before each;
#                                      fills times[name] (ms, one per round) and rss[name] (KiB);
#                                      in the first round prints the "crc32=" a row's output names
#   print_table ROW...                 a markdown table of best and median time and peak RSS
#   best NAME                          the best time of a row, in ms

# The tool, the peer kit and the number of rounds, from the environment or by default.
tool=${TAMRI_CLI:-build/release/cli/tamri}
kit=${PEERS_KIT:-$(cd .. && pwd)/shared/peers}
rounds=${ROUNDS:-3}
[ -x "$tool" ] || { echo "$(basename "$0" .sh): no tool at $tool (make build)" >&2; exit 1; }

declare -A times rss

run_rounds() {
  local rounds=$1 cleanup=$2 round row name start end
  shift 2
  for ((round = 0; round < rounds; round++)); do
    for row in "$@"; do
      name=${row%%|*}
      sh -c "$cleanup"
      start=$(date +%s%N)
      /usr/bin/time -f '%M' -o "$data/rss" sh -c "${row#*|}" >"$data/out" || { echo "$0: $name failed" >&2; exit 1; }
      end=$(date +%s%N)
      times[$name]+="$(((end - start) / 1000000)) "
      rss[$name]=$(tail -n 1 "$data/rss")
      [ "$round" -gt 0 ] || grep -o 'crc32=[0-9a-f]*' "$data/out" | sed "s/^/$name: /" || true
    done
  done
}

best() { tr ' ' '\n' <<<"${times[$1]}" | sed '/^$/d' | sort -n | head -n 1; }
median() { tr ' ' '\n' <<<"${times[$1]}" | sed '/^$/d' | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

print_table() {
  local row name
  echo "| Command | Best | Median | Peak RSS |"
  echo "|---|---|---|---|"
  for row in "$@"; do
    name=${row%%|*}
    printf '| %s | %s ms | %s ms | %s MB |\n' "$name" "$(best "$name")" "$(median "$name")" "$((rss[$name] / 1024))"
  done
}
