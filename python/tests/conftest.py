"""What the module's tests share: the build, the documents made by the test
builders, the command line to compare with, and the corpus (when there is
one).

SCRIVLET_BUILD names the build folder (default: build/ beside the sources),
SCRIVLET_CORPUS the corpus (default: ../shared/corpus beside the sources).
"""

import os
import pathlib
import subprocess

import pytest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
BUILD = pathlib.Path(os.environ.get("SCRIVLET_BUILD", SOURCE / "build"))
CLI = BUILD / "scrivlet"


@pytest.fixture(scope="session")
def documents(tmp_path_factory):
    """The folder of the documents that scrivlet_make_python_documents writes."""
    folder = tmp_path_factory.mktemp("documents")
    subprocess.run([str(BUILD / "python" / "scrivlet_make_python_documents"), str(folder)],
                   check=True)
    return folder


def run_cli(*args, env=None):
    """The command line's exit status, standard output (bytes) and error (str)."""
    done = subprocess.run([str(CLI), *map(str, args)], capture_output=True, env=env,
                          timeout=120)
    return done.returncode, done.stdout, done.stderr.decode("utf-8", "replace")


@pytest.fixture(scope="session")
def corpus():
    """The corpus's documents, or a skip that says where none was found."""
    folder = pathlib.Path(os.environ.get("SCRIVLET_CORPUS", SOURCE.parent / "shared" / "corpus"))
    manifest = folder / "MANIFEST.tsv"
    if not manifest.is_file():
        pytest.skip("no corpus at %s (SCRIVLET_CORPUS names another)" % folder)
    lines = manifest.read_text(encoding="utf-8").splitlines()[1:]
    paths = [folder / line.split("\t")[0] for line in lines if line.strip()]
    return [path for path in paths if path.is_file()]
