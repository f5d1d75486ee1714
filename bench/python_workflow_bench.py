"""End-to-end timing of the sequence workflow from Python, against the same job in plain Python.

Each job runs in a fresh interpreter so that its peak RSS is its own. tamri's job calls
prepare_workflow_from_fasta and reads report_json once (reading every row as lists is timed
apart); the plain-Python job builds
the same report structure (validation, tokenization, rows, provenance) and writes it with
json.dumps, and takes the output-data digest with hashlib over the canonical rewrite. It skips the
FNV-1a input hash, which alone would take minutes in pure Python.
Usage: PYTHONPATH=build/release/python python3 bench/python_workflow_bench.py [megabytes]
"""

import hashlib
import json
import os
import resource
import subprocess
import sys
import tempfile
import time

from python_bench import PROTEIN, generate_fasta

MAX_LENGTH = 1024


def tamri_job(text, padding):
    import tamri

    output = tamri.prepare_workflow_from_fasta(text, MAX_LENGTH, padding=padding)
    return output.report_json, output


def read_rows(output):
    """What reading every row as lists adds to tamri's job (the plain job's rows are lists already)."""
    return [(row.input_ids, row.attention_mask) for row in output.records]


def plain_job(text, padding):
    lookup = {residue: token for token, residue in enumerate(PROTEIN)}
    sequences, tokenized, rows = [], [], []
    for block in text.split(">")[1:]:
        header, _, body = block.partition("\n")
        identifier, sequence = header.split()[0], "".join(body.split()).upper()
        errors = [{"residue": r, "position": i + 1} for i, r in enumerate(sequence) if r not in lookup]
        sequences.append({"id": identifier, "sequence": sequence, "alphabet": "protein-20",
                          "valid": not errors, "warnings": [], "errors": errors})
        tokens = [lookup.get(residue, 20) for residue in sequence]
        tokenized.append({"id": identifier, "alphabet": "protein-20", "valid": not errors, "tokens": tokens,
                          "length": len(tokens), "warnings": [], "errors": errors})
        ids = tokens[:MAX_LENGTH]
        pad = MAX_LENGTH - len(ids) if padding == "fixed_length" else 0
        rows.append({"id": identifier, "input_ids": ids + [0] * pad, "attention_mask": [1] * len(ids) + [0] * pad,
                     "truncated": len(tokens) > MAX_LENGTH})
    policy = {"max_length": MAX_LENGTH, "pad_token_id": 0, "padding": padding}
    data = {"workflow": "protein_model_input.v0", "model_ready": True, "tamri_core_version": "0.52.0",
            "invocation": {"command": "plain", "arguments": []}, "input_hash": "fnv1a64:0000000000000000",
            "normalization": "strip_ascii_whitespace_uppercase", "validation_alphabet": "protein-20",
            "model_input_policy": policy, "validation": {"sequences": sequences},
            "tokenization": {"records": tokenized}, "model_input": {"policy": policy, "records": rows},
            "readiness_issues": []}
    canonical = json.dumps(data, sort_keys=True, separators=(",", ":"), ensure_ascii=False)
    digest = "sha256:" + hashlib.sha256(canonical.encode()).hexdigest()
    report = json.dumps({**data, "hashes": {"output_data_sha256": digest}}, separators=(",", ":"),
                        ensure_ascii=False)
    return report, None


JOBS = {"tamri": tamri_job, "plain Python": plain_job}


def run_child(job, padding, path):
    with open(path, encoding="utf-8") as handle:
        text = handle.read()
    start = time.perf_counter()
    report, output = JOBS[job](text, padding)
    seconds = time.perf_counter() - start
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
    rows_seconds = 0.0
    if output is not None:
        start = time.perf_counter()
        read_rows(output)
        rows_seconds = time.perf_counter() - start
    print(json.dumps({"seconds": seconds, "peak": peak, "report": len(report), "rows_seconds": rows_seconds,
                      "text": len(text)}))


def main():
    megabytes = float(sys.argv[1]) if len(sys.argv) > 1 else 100.0
    with tempfile.NamedTemporaryFile("w", suffix=".fasta", delete=False) as handle:
        handle.write(generate_fasta(int(megabytes * 1e6)))
        path = handle.name
    try:
        print(f"{os.path.getsize(path) / 1e6:.1f} MB of protein FASTA, max_length {MAX_LENGTH}")
        for padding in ["no_padding", "fixed_length"]:
            for job in JOBS:
                result = json.loads(subprocess.run([sys.executable, __file__, "--child", job, padding, path],
                                                   check=True, capture_output=True, text=True).stdout)
                print(f"{padding:<13} {job:<13} {result['seconds']:7.2f} s "
                      f"{result['text'] / result['seconds'] / 1e6:7.1f} MB/s  "
                      f"peak RSS {result['peak'] / 1e6:7.0f} MB = {result['peak'] / result['text']:5.1f} x input, "
                      f"report {result['report'] / 1e6:6.0f} MB"
                      + (f", reading every row adds {result['rows_seconds']:.2f} s" if result["rows_seconds"] else ""))
    finally:
        os.unlink(path)


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--child":
        run_child(*sys.argv[2:5])
    else:
        main()
