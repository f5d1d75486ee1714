"""Reads a FASTA file and a model package manifest with tamri and prints what the module makes of them."""

import gzip
import json
import os
import shutil
import subprocess
import sys
import tempfile

import tamri


def show_records(text):
    print("== parse_fasta_records")
    for record in tamri.parse_fasta_records(text):
        preview = record.sequence if len(record.sequence) <= 40 else record.sequence[:37] + "..."
        print(f"  {record.id:<24} {len(record.sequence):>4} residues  {preview}")


def describe_issues(issues):
    return ", ".join(f"{issue.residue}@{issue.position}" for issue in issues) or "-"


def show_validation(text):
    print("== validate_fasta_input_with_kind(..., 'auto')")
    report = tamri.validate_fasta_input_with_kind(text, "auto")
    print(
        f"  records={report.records} valid={report.valid_records} "
        f"warnings={report.warning_count} errors={report.error_count}"
    )
    for sequence in report.sequences:
        print(
            f"  {sequence.id:<24} {sequence.alphabet:<11} valid={sequence.valid!s:<5} "
            f"warnings={describe_issues(sequence.warnings)} errors={describe_issues(sequence.errors)}"
        )


def show_model_inputs(text):
    print("== tokenize_fasta_records + build_model_inputs_checked (protein-20-special, max_length 12)")
    tokenized = tamri.tokenize_fasta_records(text, profile="protein-20-special")
    ready = [record for record in tokenized if record.valid]
    for record in tokenized:
        if not record.valid:
            print(f"  {record.id:<24} skipped: {len(record.warnings)} warnings, {len(record.errors)} errors")
    model_input = tamri.build_model_inputs_checked(ready, 12, pad_token_id=21, padding="fixed_length")
    for row in model_input.records:
        print(f"  {row.id:<24} ids={row.input_ids} mask={row.attention_mask} truncated={row.truncated}")


def show_workflow(text):
    print("== prepare_workflow_from_fasta (protein-20, max_length 12, fixed_length)")
    output = tamri.prepare_workflow_from_fasta(text, 12, padding="fixed_length")
    report = json.loads(output.report_json)
    hashes = report["provenance"]["hashes"]
    print(f"  model_ready={output.model_ready} input_hash={output.input_hash}")
    print(f"  vocabulary_sha256={hashes['vocabulary_sha256']}")
    print(f"  output_data_sha256={hashes['output_data_sha256']}")
    for issue in report["readiness_issues"]:
        print(f"  {issue['code']}: {issue['message']}")
    ready = tamri.prepare_workflow_from_fasta(">ready\nMKVLA\n", 8, padding="fixed_length")
    print(f"  a ready batch: model_ready={ready.model_ready} rows={[row.input_ids for row in ready.records]}")


def show_error(text):
    print("== a malformed input")
    try:
        tamri.parse_fasta_records(text)
    except tamri.TamriError as error:
        print(f"  {error.code}: {error.message}  location={error.location}")


def show_package(manifest_text):
    print("== validate_package_manifest")
    print(f"  {tamri.validate_package_manifest(manifest_text)}")
    print("== inspect_package_manifest")
    summary = json.loads(tamri.inspect_package_manifest(manifest_text))
    print(f"  {summary['name']} ({summary['schema_version']}): {summary['model_format']} model "
          f"on {summary['runtime_backend']}/{summary['runtime_target']}, tokenizer {summary['tokenizer']}, "
          f"{summary['preprocessing_steps']} preprocessing step(s), {summary['fixtures']} fixture(s)")
    for role, paths in summary["layout"].items():
        print(f"  {role:<16} {paths}")
    print("== plan_runtime_bridge")
    plan = json.loads(tamri.plan_runtime_bridge(manifest_text))
    print(f"  ready={plan['ready']} provider={plan['execution_provider']} backend_id={plan['backend_config']['backend_id']}")
    for check in plan["compatibility_checks"]:
        print(f"  {check['code']:<21} passed={check['passed']!s:<5} {check['message']}")
    print("== plan_runtime_bridge, same package on local-cpu")
    manifest = json.loads(manifest_text)
    manifest["runtime"]["target"] = "local-cpu"
    plan = json.loads(tamri.plan_runtime_bridge(json.dumps(manifest)))
    print(f"  ready={plan['ready']} provider={plan['execution_provider']} blocking_issues={plan['blocking_issues']}")
    print("== a manifest with a misspelt key")
    try:
        tamri.validate_package_manifest(manifest_text.replace('"fixtures": [', '"fixture": [', 1))
    except tamri.TamriError as error:
        print(f"  {error.code}: {error.message}")


def show_package_files(manifest_path):
    print("== validate_package_manifest_file")
    print(f"  {tamri.validate_package_manifest_file(manifest_path)}")
    print("== validate_package_manifest_file, a broken copy")
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, "pkg")
        shutil.copytree(os.path.dirname(os.path.abspath(manifest_path)), copy)
        with open(os.path.join(copy, "models", "protein-probe.onnx"), "ab") as model:
            model.write(b"tampered")
        os.remove(os.path.join(copy, "docs", "LICENSE.txt"))
        os.symlink("/etc/hostname", os.path.join(copy, "docs", "LICENSE.txt"))
        report = json.loads(tamri.validate_package_manifest_file(os.path.join(copy, "manifest.json")))
    print(f"  valid={report['valid']}")
    for issue in report["structured_issues"]:
        print(f"  {issue['code']:<17} {issue['message'][:110]}")


def show_command_line(path, text):
    tool = os.environ.get("TAMRI_CLI", "build/release/cli/tamri")
    print("== the command line: tamri validate --kind auto demo.fasta.gz")
    with tempfile.TemporaryDirectory() as folder:
        compressed = os.path.join(folder, os.path.basename(path) + ".gz")
        with open(path, "rb") as plain, gzip.open(compressed, "wb") as packed:
            packed.write(plain.read())
        result = subprocess.run([tool, "validate", "--kind", "auto", compressed], capture_output=True, text=True)
    report = json.loads(result.stdout)
    print(f"  exit status {result.returncode}: {report['valid_records']} of {report['records']} records valid")
    python = tamri.validate_fasta_input_with_kind(text, "auto")
    print(f"  same counts as validate_fasta_input_with_kind: {(report['records'], report['valid_records']) == (python.records, python.valid_records)}")
    failure = subprocess.run([tool, "parse", "-"], input=">first\nMKV\n>second\n\n>third\nAC\n",
                             capture_output=True, text=True)
    print(f"  exit status {failure.returncode}, stderr: {failure.stderr.strip()}")


def main(path, manifest_path):
    with open(path, encoding="utf-8") as handle:
        text = handle.read()
    show_records(text)
    show_validation(text)
    show_model_inputs(text)
    show_workflow(text)
    show_error(">first\nMKV\n>second\n\n>third\nAC\n")
    with open(manifest_path, encoding="utf-8") as handle:
        show_package(handle.read())
    show_package_files(manifest_path)
    show_command_line(path, text)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "examples/data/demo.fasta",
         sys.argv[2] if len(sys.argv) > 2 else "examples/package/manifest.json")
