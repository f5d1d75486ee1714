"""Every byte of model input read into NumPy as the peer kit reads its own: a CRC-32 of the token ids
and of the mask, and the mask's sum. Two ways to get there:

    read_arrays.py corpus DIR             # the arrays `tamri corpus --arrays` wrote, memory-mapped
    read_arrays.py module FASTA WIDTH     # prepare_workflow_from_fasta, rows through Python lists
"""

import sys
import zlib

import numpy

import tamri_corpus


def summarize(parts):
    id_crc = mask_crc = attended = rows = 0
    for ids, mask in parts:
        id_crc, mask_crc = zlib.crc32(ids, id_crc), zlib.crc32(mask, mask_crc)
        attended += int(mask.sum(dtype="int64"))
        rows += len(ids)
    # The peer kit prints the CRC-32 of the two CRCs' hexadecimal text.
    print(f"rows={rows} attended={attended} crc32={zlib.crc32(f'{id_crc:08x}{mask_crc:08x}'.encode()):08x}")


def from_corpus(directory):
    summarize((shard["input_ids"], shard["attention_mask"]) for shard in tamri_corpus.load_arrays(directory))


def from_module(path, width):
    import tamri

    with open(path, encoding="utf-8") as fasta:
        output = tamri.prepare_workflow_from_fasta(fasta.read(), width, padding="fixed_length")
    records = output.records
    summarize([(numpy.array([row.input_ids for row in records], dtype=numpy.uint8),
                numpy.array([row.attention_mask for row in records], dtype=numpy.uint8))])


if __name__ == "__main__":
    if sys.argv[1] == "corpus":
        from_corpus(sys.argv[2])
    else:
        from_module(sys.argv[2], int(sys.argv[3]))
