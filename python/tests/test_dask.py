"""scrivlet.dask on a real cluster: a scheduler and two worker processes
over TCP on the loopback (dask.distributed.LocalCluster), converting the
corpus and the built documents as the command line does, and documents
that kill their worker."""

import concurrent.futures
import json
import logging
import os
import shutil
import signal
import sys
import time

import cloudpickle
import dask
import pytest
from dask.distributed import Client, LocalCluster
from distributed.diagnostics.plugin import WorkerPlugin

import scrivlet
import scrivlet.dask
from conftest import run_cli
from test_convert import DOCUMENTS

# The worker plugin below travels to the workers by value: they cannot
# import this file.
cloudpickle.register_pickle_by_value(sys.modules[__name__])

# No run may hang the suite: each waits this long at most.
SECONDS = 300


@pytest.fixture(scope="module")
def client(tmp_path_factory):
    # A task whose worker dies is run again once; the second death ends it
    # (KilledWorker), so that a document that always kills is found fast.
    with dask.config.set({"distributed.scheduler.allowed-failures": 1}):
        cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                               protocol="tcp://", host="127.0.0.1", dashboard_address=None,
                               local_directory=str(tmp_path_factory.mktemp("dask")),
                               silence_logs=logging.CRITICAL)
        try:
            with Client(cluster, timeout=SECONDS) as client:
                client.wait_for_workers(2, timeout=SECONDS)
                yield client
                settle(client)
        finally:
            cluster.close(timeout=SECONDS)


def settle(client, workers=2):
    """Waits until the cluster has its workers and no nanny is restarting
    one: the same worker processes answer twice, a second apart (a cluster
    closed while a worker starts may never finish closing)."""
    deadline = time.monotonic() + SECONDS
    previous = None
    while time.monotonic() < deadline:
        try:
            pids = sorted(client.run(os.getpid).values())
        except Exception:
            pids = None
        if pids is not None and len(pids) == workers and pids == previous:
            return
        previous = pids
        time.sleep(1)
    raise TimeoutError("the cluster has not settled in %d s" % SECONDS)


def bounded(function, *args, **kwargs):
    with concurrent.futures.ThreadPoolExecutor(max_workers=1) as pool:
        return pool.submit(function, *args, **kwargs).result(timeout=SECONDS)


def command_line_records(paths, tmp_path):
    listing = tmp_path / "paths.txt"
    listing.write_text("".join("%s\n" % path for path in paths), encoding="utf-8")
    status, out, err = run_cli("--json", "--jobs", "2", "--files-from", listing)
    return [json.loads(line) for line in out.decode("utf-8").splitlines()]


def assert_as_the_command_line(records, expected):
    assert len(records) == len(expected)
    for record, cli in zip(records, expected):
        assert record["path"] == cli["file"]
        assert record["error"] == cli["error"], record["path"]
        assert record["reader"] == cli["reader"], record["path"]
        assert record["summary"] == cli["summary"], record["path"]
        if cli["error"] is None:
            assert record["text"] == cli["text"], record["path"]


def test_the_cluster_is_processes_over_tcp(client):
    assert client.scheduler.address.startswith("tcp://127.0.0.1:")
    pids = set(client.run(os.getpid).values())
    assert len(pids) == 2 and os.getpid() not in pids


def test_jsonl_partitions_hold_what_the_command_line_gives(client, documents, corpus, tmp_path):
    paths = [str(documents / name) for name in DOCUMENTS + ["locked.pdf", "notes.txt"]]
    paths += [str(path) for path in corpus]
    counts = bounded(scrivlet.dask.convert_to_jsonl, client, paths, tmp_path / "out")
    records = []
    for name in counts["files"]:
        with open(name, encoding="utf-8") as partition:
            records += [json.loads(line) for line in partition]
    expected = command_line_records(paths, tmp_path)
    assert_as_the_command_line(records, expected)
    failed = sum(1 for cli in expected if cli["error"] is not None)
    assert counts["documents"] == len(paths)
    assert (counts["converted"], counts["failed"]) == (len(paths) - failed, failed)
    assert counts["partitions"] == len(counts["files"]) >= 4
    print("%d documents, %d failed, in %d partitions" % (len(paths), failed,
                                                          counts["partitions"]))


def test_a_bag_of_results(client, documents, tmp_path):
    paths = [documents / name for name in DOCUMENTS + ["locked.pdf"]]
    bag = scrivlet.dask.convert_bag(paths, npartitions=3)
    records = bounded(bag.compute)
    assert_as_the_command_line(records, command_line_records(paths, tmp_path))
    assert records[-1]["error_type"] == "PasswordRequired"
    markdown = bounded(scrivlet.dask.convert_bag(paths[:2], format="markdown").compute)
    assert markdown[0]["markdown"] == scrivlet.convert(paths[0], format="markdown")


class KillingDocuments(WorkerPlugin):
    """Stands in for the conversion in each worker: a document named
    kills-always.* kills its worker's process whenever it is converted,
    one named kills-once.* the first time only (a marker file says so)."""

    name = "killing-documents"

    def __init__(self, marker):
        self.marker = marker

    def setup(self, worker):
        import scrivlet.dask
        convert = scrivlet.dask._record
        marker = self.marker

        def record(path, **options):
            name = os.path.basename(path)
            if name.startswith("kills-always") or (
                    name.startswith("kills-once") and not os.path.exists(marker)):
                open(marker, "w").close()
                os.kill(os.getpid(), signal.SIGKILL)
            return convert(path, **options)

        scrivlet.dask._record = record


def test_a_document_that_kills_its_worker_is_retried_or_reported(client, documents, tmp_path):
    names = ["letter.wri", "kills-once.wri", "book.fb2", "kills-always.wri", "structure.docx"]
    for name in names:
        source = documents / (name if not name.startswith("kills") else "letter.wri")
        shutil.copyfile(source, tmp_path / name)
    paths = [str(tmp_path / name) for name in names]
    client.register_worker_plugin(KillingDocuments(str(tmp_path / "killed")))
    counts = bounded(scrivlet.dask.convert_to_jsonl, client, paths, tmp_path / "out",
                     partitions=2)
    assert (counts["documents"], counts["converted"], counts["failed"]) == (5, 4, 1)
    records = []
    for name in counts["files"]:
        with open(name, encoding="utf-8") as partition:
            records += [json.loads(line) for line in partition]
    assert [record["path"] for record in records] == paths
    letter = scrivlet.convert(documents / "letter.wri")
    assert records[1]["text"] == letter  # retried by Dask on a fresh worker
    assert records[3]["text"] is None
    assert records[3]["error"].startswith(scrivlet.dask.KILLED_MESSAGE)
    for record in (records[0], records[2], records[4]):
        assert record["error"] is None and record["text"]
    # The cluster goes on with its replaced workers.
    settle(client)
    assert bounded(scrivlet.dask.convert_bag([paths[0]]).compute)[0]["text"] == letter
