"""The command-line tool run as a subprocess: its stdout is byte for byte what the Python function returns."""

import gzip
import importlib.metadata
import json
import os
import pathlib
import random
import shutil
import subprocess

import pytest

import tamri

ROOT = pathlib.Path(__file__).resolve().parents[2]
DEMO_FASTA = ROOT / "examples" / "data" / "demo.fasta"
MANIFEST = ROOT / "examples" / "package" / "manifest.json"
# scripts/run-tests.sh names the tool of the build under test; otherwise it sits beside the module's folder.
TOOL = os.environ.get("TAMRI_CLI") or str(pathlib.Path(tamri.__file__).resolve().parents[1] / "cli" / "tamri")


def run(*args, stdin=b""):
    return subprocess.run([TOOL, *map(str, args)], input=stdin, capture_output=True, check=False)


def compact(value):
    return json.dumps(value, separators=(",", ":"), ensure_ascii=False)


def issues(items):
    return [{"residue": issue.residue, "position": issue.position} for issue in items]


def sequence_report(report):
    sequences = [
        {"id": s.id, "sequence": s.sequence, "alphabet": s.alphabet, "valid": s.valid,
         "warnings": issues(s.warnings), "errors": issues(s.errors)}
        for s in report.sequences
    ]
    return compact({"records": report.records, "valid_records": report.valid_records,
                    "warning_count": report.warning_count, "error_count": report.error_count,
                    "sequences": sequences}) + "\n", int(report.valid_records != report.records)


def parsed_lines(text):
    return "".join(compact({"id": r.id, "sequence": r.sequence}) + "\n" for r in tamri.parse_fasta_records(text)), 0


def tokenized_lines(text):
    return "".join(
        compact({"id": r.id, "length": r.length, "alphabet": r.alphabet, "valid": r.valid, "tokens": r.tokens,
                 "warnings": issues(r.warnings), "errors": issues(r.errors)}) + "\n"
        for r in tamri.tokenize_fasta_records(text, profile="protein-20-special")
    ), 0


def workflow_report(text):
    output = tamri.prepare_workflow_from_fasta(text, 64, 21, "fixed_length", "protein-20-special")
    return output.report_json + "\n", int(not output.model_ready)


FASTA_COMMANDS = [
    (["parse"], parsed_lines),
    (["tokenize", "--profile", "protein-20-special"], tokenized_lines),
    (["validate"], lambda text: sequence_report(tamri.validate_fasta_input(text))),
    (["validate", "--kind", "auto"], lambda text: sequence_report(tamri.validate_fasta_input_with_kind(text, "auto"))),
    (["workflow", "--max-length", "64", "--pad-token-id", "21", "--padding", "fixed_length",
      "--profile", "protein-20-special"], workflow_report),
]


def generated_fasta(seed):
    rng = random.Random(seed)
    records = []
    for index in range(40):
        residues = "M" + "".join(rng.choice("ACDEFGHIKLMNPQRSTVWYacgtXB* ") for _ in range(rng.randint(1, 150)))
        lines = [residues[i:i + 60] for i in range(0, len(residues), 60)]
        records.append(f">r{index} \"é\\ {rng.random()}\n" + "\n".join(lines) + rng.choice(["\n", "\r\n", "\n\n"]))
    return "".join(records)


INPUTS = {"demo": DEMO_FASTA.read_text(encoding="utf-8"), "generated": generated_fasta(13), "ready": ">a\nMKV\n"}


@pytest.mark.parametrize("feed", ["path", "gzip path", "stdin", "gzip stdin"])
@pytest.mark.parametrize("name", INPUTS)
@pytest.mark.parametrize("arguments, python", FASTA_COMMANDS, ids=[" ".join(c[0][:3]) for c in FASTA_COMMANDS])
def test_stdout_and_exit_status_are_the_python_functions(tmp_path, feed, name, arguments, python):
    data = INPUTS[name].encode()
    if "gzip" in feed:
        data = gzip.compress(data[:7]) + gzip.compress(data[7:])  # two members read as one stream
    path = tmp_path / "in.fa"
    path.write_bytes(data)
    result = run(*arguments, "-", stdin=data) if "stdin" in feed else run(*arguments, path)
    expected, status = python(INPUTS[name])
    assert (result.stdout.decode(), result.stderr, result.returncode) == (expected, b"", status)


def local_cpu_copy(folder):
    copy = folder / "pkg"
    shutil.copytree(MANIFEST.parent, copy)
    manifest = json.loads(MANIFEST.read_text(encoding="utf-8"))
    manifest["runtime"]["target"] = "local-cpu"
    (copy / "manifest.json").write_text(json.dumps(manifest), encoding="utf-8")
    (copy / "docs" / "LICENSE.txt").unlink()
    return copy / "manifest.json"


PACKAGE_COMMANDS = [
    ("validate", lambda path: tamri.validate_package_manifest_file(str(path)), "valid"),
    ("inspect", lambda path: tamri.inspect_package_manifest(path.read_text(encoding="utf-8")), None),
    ("plan", lambda path: tamri.plan_runtime_bridge(path.read_text(encoding="utf-8")), "ready"),
]


@pytest.mark.parametrize("broken", [False, True])
@pytest.mark.parametrize("command, python, verdict", PACKAGE_COMMANDS, ids=[c[0] for c in PACKAGE_COMMANDS])
def test_package_commands_print_the_python_report(tmp_path, broken, command, python, verdict):
    path = local_cpu_copy(tmp_path) if broken else MANIFEST
    result = run("package", command, path)
    expected = python(path)
    status = 0 if verdict is None or json.loads(expected)[verdict] else 1
    assert (result.stdout.decode(), result.returncode) == (expected + "\n", status)
    assert status == (broken and verdict is not None)


EMPTY_GZIP = gzip.compress(b">a\nMK\n")[:-9]
FAILURES = [
    (["parse", "-"], b">a\nMK\n>b\n>c\nM\n",
     "fasta.missing_sequence: FASTA record 'b' at index 1 does not contain a sequence (line 3, record_index 1)"),
    (["validate", "-"], b"", "fasta.empty_input: FASTA input is empty"),
    (["tokenize", "-"], EMPTY_GZIP, "io.read_failed: gzip input ends inside a compressed member"),
    (["parse", "/nonexistent.fa"], b"", "io.read_failed: failed to open '/nonexistent.fa': No such file or directory (os error 2)"),
    (["tokenize", "--profile", "x", "-"], b"",
     "tokenizer.invalid_profile: invalid tokenizer profile: 'x'. Expected one of protein-20, protein-20-special, "
     "dna-iupac, dna-iupac-special, rna-iupac, rna-iupac-special"),
    (["validate", "--kind", "x", "-"], b"", "sequence.invalid_kind: invalid sequence kind: 'x'. Expected one of "
     "auto, protein, dna, rna"),
    (["workflow", "-"], b"", "cli.invalid_arguments: --max-length is required"),
    (["workflow", "--max-length", "-1", "-"], b"",
     "cli.invalid_arguments: --max-length: expected a whole number from 0 to 18446744073709551615, got '-1'"),
    (["workflow", "--max-length", "8", "--padding", "fixed", "-"], b">a\nM\n",
     "model_input.invalid_policy: invalid padding: 'fixed'. Expected 'fixed_length' or 'no_padding'"),
    (["package", "plan", "/nonexistent.json"], b"",
     "io.read_failed: failed to read package manifest '/nonexistent.json': No such file or directory (os error 2)"),
]


@pytest.mark.parametrize("arguments, stdin, message", FAILURES, ids=[f[2].split(":")[0] for f in FAILURES])
def test_failures_print_code_message_and_location_to_stderr_and_nothing_to_stdout(arguments, stdin, message):
    result = run(*arguments, stdin=stdin)
    assert (result.stdout, result.stderr.decode(), result.returncode) == (b"", f"tamri: {message}\n", 2)


@pytest.mark.parametrize("fasta, status", [(b">a\nMK\n", 0), (b">a\nMK\n>b\n", 2)])
def test_output_file_is_written_whole_or_left_as_it_was(tmp_path, fasta, status):
    target = tmp_path / "out.jsonl"
    target.write_text("old\n")
    result = run("parse", "-o", target, "-", stdin=fasta)
    assert (result.stdout, result.returncode) == (b"", status)
    assert target.read_text() == ('{"id":"a","sequence":"MK"}\n' if status == 0 else "old\n")
    assert os.listdir(tmp_path) == ["out.jsonl"]


@pytest.mark.parametrize("command, options", [
    ("parse", ["INPUT", "-o,--output TEXT=-"]),
    ("tokenize", ["--profile TEXT=protein-20"]),
    ("validate", ["--kind TEXT"]),
    ("workflow", ["--max-length UINT", "--pad-token-id UINT=0", "--padding TEXT=no_padding", "--pipeline-config TEXT"]),
    ("package validate", ["MANIFEST"]),
    ("shard", ["-o,--output TEXT REQUIRED", "--shard-size TEXT=64M"]),
    ("corpus", ["--jobs UINT", "--unready TEXT:{keep,drop}=keep", "--pipeline-config TEXT"]),
])
def test_help_names_the_options_and_their_defaults(command, options):
    result = run(*command.split(), "--help")
    assert result.returncode == 0 and all(option in result.stdout.decode() for option in options)


def test_version_is_the_core_version_the_workflow_records_and_the_installed_distribution():
    version = json.loads(tamri.prepare_workflow_from_fasta(">a\nM\n", 4).report_json)["provenance"]["tamri_core_version"]
    assert run("--version").stdout.decode() == version + "\n"
    if not os.environ.get("TAMRI_INSTALLED"):
        return  # a build tree has no distribution metadata
    assert importlib.metadata.version("tamri") == version
