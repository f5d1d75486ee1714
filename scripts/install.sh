#!/usr/bin/env bash
# Installs the wheel in dist/ with the given interpreter's pip: the module, its type stubs and the
# tamri tool, removable with `pip uninstall tamri`. Usage: scripts/install.sh /path/to/python3
set -euo pipefail
cd "$(dirname "$0")/.."
python=$1
"$python" -c 'import sys; sys.exit(0 if sys.version_info >= (3, 11) else "tamri needs CPython >= 3.11")'
# An interpreter whose packages the system manages (PEP 668, as Debian's own) refuses pip installs.
if "$python" -c 'import os, sys, sysconfig
managed = os.path.exists(os.path.join(sysconfig.get_path("stdlib"), "EXTERNALLY-MANAGED"))
sys.exit(0 if managed and sys.prefix == sys.base_prefix else 1)'; then
  cat >&2 <<MESSAGE
install: $python is managed by the system (PEP 668) and refuses pip installs. Install into a
virtual environment instead; --system-site-packages lets it use Debian's build backend:
  $python -m venv --system-site-packages ~/venvs/tamri
  make install PYTHON=~/venvs/tamri/bin/python
MESSAGE
  exit 1
fi
wheels=(dist/tamri-"$(cat VERSION)"-cp311-abi3-*.whl)
"$python" -m pip install --force-reinstall --no-deps "${wheels[0]}"
