"""tamri from Python against what a user would run instead, whole process, interleaved rounds.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_peers.py
    BEFORE=/path/to/older/module/dir /usr/bin/python3 bench/python_peers.py --rounds 3

Runs the tasks of the peer kit (../shared/peers/peers.py: it reads the file, calls the library and
reads every result back into Python) on the kit's generated 200 MB protein files. Each round runs
every task once, so a slow phase of the shared machine hits all of them alike; only ratios from one
run count. With BEFORE set, the tamri tasks also run against the module in that directory, so a
change is measured before and after in the same run. Prints a markdown table: best wall time,
throughput, peak RSS of the process and the ratio to the task's peer.
"""

import argparse
import os
import subprocess
import sys
import time
from pathlib import Path

KIT = Path(os.environ.get("PEERS_KIT", Path(__file__).resolve().parents[2] / "shared" / "peers"))
PYTHON = "/usr/bin/python3"  # the interpreter that sees the peer libraries

# (tamri task, dataset, peers it is compared with; the first is the ratio's reference)
ROWS = [
    ("tamri-parse", "protein", ["parse-pyfastx-fasta"]),
    ("tamri-validate", "protein", ["validate-regex"]),
    ("tamri-tokenize", "protein", ["tokenize-translate", "tokenize-dict"]),
    ("tamri-model-input", "protein-clean", ["model-input-lists", "model-input-numpy"]),
]


def generate(data, dataset, megabytes):
    path = data / f"{dataset}.fa"
    flags = ["--clean"] if dataset == "protein-clean" else []
    args = ["protein", "--mb", str(megabytes), "--seed", "20240501", *flags]
    stamp = path.with_suffix(".fa.args")
    if not path.exists() or not stamp.exists() or stamp.read_text() != " ".join(args):
        subprocess.run([PYTHON, str(KIT / "gen_fasta.py"), *args, "-o", str(path)], check=True)
        stamp.write_text(" ".join(args))
    return path


def run_once(task, path, module_dir):
    env = dict(os.environ)
    if module_dir is not None:
        env["PYTHONPATH"] = module_dir
    command = [PYTHON, str(KIT / "peers.py"), task, str(path), "--kind", "protein"]
    start = time.perf_counter()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"python_peers: {task} failed on {path}")
    return elapsed, usage.ru_maxrss / 1024


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--mb", type=int, default=200)
    parser.add_argument("--data", default=os.environ.get("DATA", "/tmp/tamri-bench"))
    args = parser.parse_args()
    data = Path(args.data)
    data.mkdir(parents=True, exist_ok=True)
    before = os.environ.get("BEFORE")
    variants = [("tamri", os.environ.get("PYTHONPATH"))] + ([("before", before)] if before else [])

    jobs = []  # (label, task, dataset, module dir)
    for task, dataset, peers in ROWS:
        jobs += [(f"{task} ({name})", task, dataset, module) for name, module in variants]
        jobs += [(peer, peer, dataset, None) for peer in peers]
    paths = {dataset: generate(data, dataset, args.mb) for _, dataset, _ in ROWS}
    best = {}
    for round_number in range(1, args.rounds + 1):
        for label, task, dataset, module in jobs:
            elapsed, rss = run_once(task, paths[dataset], module)
            print(f"round {round_number} {label}: {elapsed:.2f} s", file=sys.stderr)
            previous = best.get(label)
            best[label] = (min(elapsed, previous[0]), max(rss, previous[1])) if previous else (elapsed, rss)

    print("| task | way | best of %d | MB/s | peak RSS | peer / this |" % args.rounds)
    print("|---|---|---:|---:|---:|---:|")
    for task, dataset, peers in ROWS:
        megabytes = paths[dataset].stat().st_size / 1e6
        reference = best[peers[0]][0]
        labels = [f"{task} ({name})" for name, _ in variants] + peers
        for label in labels:
            elapsed, rss = best[label]
            print(f"| {task.removeprefix('tamri-')} | {label} | {elapsed:.2f} s | {megabytes / elapsed:.1f} | "
                  f"{rss:,.0f} MB | {reference / elapsed:.2f} |")


if __name__ == "__main__":
    main()
