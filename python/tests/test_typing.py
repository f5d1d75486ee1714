"""The type stubs as a typed project sees them, through Debian's mypy in strict mode."""

import os
import pathlib
import subprocess
import sys

import pytest

import tamri

pytest.importorskip("mypy")
pytestmark = pytest.mark.skipif(bool(os.environ.get("TAMRI_SANITIZED")), reason="mypy is not under test")

EXAMPLE = pathlib.Path(__file__).parent / "typed" / "usage.py"
MANIFEST = pathlib.Path(__file__).parents[2] / "examples" / "package" / "manifest.json"


def mypy(path, cache):
    # A build tree keeps tamri.pyi beside the module; an installed copy has the tamri-stubs package.
    module_dir = pathlib.Path(tamri.__file__).parent
    stubs_beside = (module_dir / "tamri.pyi").exists()
    env = dict(os.environ, MYPYPATH=str(module_dir)) if stubs_beside else os.environ
    command = [sys.executable, "-m", "mypy", "--strict", "--no-error-summary", "--cache-dir", str(cache), path.name]
    return subprocess.run(command, env=env, capture_output=True, text=True, cwd=path.parent)


def test_the_typed_example_passes_strict_checking_and_runs(tmp_path):
    checked = mypy(EXAMPLE, tmp_path)
    assert (checked.returncode, checked.stdout) == (0, ""), checked.stderr
    ran = subprocess.run([sys.executable, str(EXAMPLE), str(MANIFEST)], capture_output=True, text=True)
    assert ran.returncode == 0 and ran.stdout.endswith(" None\n"), ran.stderr


def test_a_wrong_call_is_refused_by_the_stubs(tmp_path):
    wrong = tmp_path / "wrong.py"
    wrong.write_text("import tamri\n\ntamri.parse_fasta_records(1)\n")
    checked = mypy(wrong, tmp_path / "cache")
    assert (checked.returncode, checked.stdout) == (
        1,
        'wrong.py:3: error: Argument 1 to "parse_fasta_records" has incompatible type "int"; '
        'expected "str"  [arg-type]\n',
    )
