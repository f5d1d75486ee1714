"""End-to-end timing of tokenization and model-input building from Python.

Compares tamri with the two ways people would do the same in plain Python and with numpy.
Usage: PYTHONPATH=build/release/python python3 bench/python_bench.py [megabytes]
"""

import random
import sys
import time

import tamri

PROTEIN = "ACDEFGHIKLMNPQRSTVWY"
MAX_LENGTH = 1024


def generate_fasta(target_bytes):
    rng = random.Random(7)
    parts, size, index = [], 0, 0
    while size < target_bytes:
        residues = "".join(rng.choices(PROTEIN, k=rng.randint(300, 1000)))
        record = f">seq{index} generated record\n" + "\n".join(
            residues[i : i + 60] for i in range(0, len(residues), 60)
        ) + "\n"
        parts.append(record)
        size += len(record)
        index += 1
    return "".join(parts)


def plain_python(text):
    lookup = {residue: token for token, residue in enumerate(PROTEIN)}
    rows = []
    for block in text.split(">")[1:]:
        header, _, body = block.partition("\n")
        sequence = "".join(body.split()).upper()
        ids = [lookup.get(residue, 20) for residue in sequence][:MAX_LENGTH]
        padding = MAX_LENGTH - len(ids)
        rows.append((header.split()[0], ids + [0] * padding, [1] * len(ids) + [0] * padding))
    return rows


def with_numpy(text):
    import numpy as np

    table = np.full(256, 20, dtype=np.uint8)
    for token, residue in enumerate(PROTEIN):
        table[ord(residue)] = token
    blocks = text.split(">")[1:]
    input_ids = np.zeros((len(blocks), MAX_LENGTH), dtype=np.uint8)
    attention = np.zeros((len(blocks), MAX_LENGTH), dtype=np.uint8)
    for row, block in enumerate(blocks):
        _, _, body = block.partition("\n")
        ids = table[np.frombuffer(body.replace("\n", "").encode(), dtype=np.uint8)][:MAX_LENGTH]
        input_ids[row, : len(ids)] = ids
        attention[row, : len(ids)] = 1
    return input_ids, attention


def with_tamri(text):
    tokenized = tamri.tokenize_fasta_records(text)
    return tamri.build_model_inputs_checked(tokenized, MAX_LENGTH, padding="fixed_length")


def measure(name, function, text):
    start = time.perf_counter()
    function(text)
    seconds = time.perf_counter() - start
    print(f"{name:<14} {seconds:8.2f} s  {len(text) / seconds / 1e6:8.1f} MB/s")


def main():
    megabytes = float(sys.argv[1]) if len(sys.argv) > 1 else 100.0
    text = generate_fasta(int(megabytes * 1e6))
    print(f"{len(text) / 1e6:.1f} MB of protein FASTA, max_length {MAX_LENGTH}, fixed_length padding")
    measure("tamri", with_tamri, text)
    try:
        measure("numpy", with_numpy, text)
    except ImportError:
        print("numpy          not installed")
    measure("plain Python", plain_python, text)


if __name__ == "__main__":
    main()
