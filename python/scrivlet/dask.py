"""Converting collections larger than one machine on a Dask cluster.

    from dask.distributed import Client
    import scrivlet.dask
    client = Client("tcp://scheduler-host:8786")
    counts = scrivlet.dask.convert_to_jsonl(client, scrivlet.dask.files_under("/archive"),
                                            "/shared/archive-json")

Documents are read where the workers run: every worker must reach the same
paths (a shared file system, or object storage mounted on each host), and
convert_to_jsonl's folder too.

Each document gives one result dict:

    {"path": "/archive/a.docx", "reader": "docx", "text": "...",
     "summary": {"Title": ..., ...} or None, "error": None, "error_type": None}

The output is under "text" for format="text", else under the format's
name ("markdown", "html5", "rtf", "html").  A document that fails is a
result with "error" (the command line's message) and "error_type" (the
scrivlet exception class's name); it never ends the computation.  A worker
that dies (a process that crashes or is killed for its memory) is replaced
and its task retried by Dask; convert_to_jsonl goes further: a partition
that keeps killing its workers is converted again document by document
(those that fail so, once more each on its own), and a document that still
kills its worker is written with the error "the conversion ended its
worker" rather than lost.
"""

import json
import os
import uuid

import dask.bag

from . import _scrivlet

__all__ = ["convert_document", "convert_bag", "convert_to_jsonl", "files_under"]

# Looked up at each call, so that a test can stand in for it in a worker.
_record = _scrivlet._record

KILLED_MESSAGE = "the conversion ended its worker"


def _output_key(format):
    return "text" if format in ("text", "plain") else format


def convert_document(path, *, format="text", items=None, password=None, max_length=None,
                     reader=None):
    """Converts one document into its result dict; never raises for the document.

    The arguments are those of scrivlet.convert() (output in UTF-8, as str).
    """
    path = os.fspath(path)
    output, reader_name, summary, error_type, message = _record(
        path, format=format, items=items, password=password, max_length=max_length,
        reader=reader)
    return {
        "path": path,
        "reader": reader_name,
        _output_key(format): output,
        "summary": json.loads(summary),
        "error": message,
        "error_type": error_type,
    }


def _paths(paths):
    return [os.fspath(path) for path in paths]


def convert_bag(paths, *, format="text", items=None, password=None, max_length=None,
                reader=None, npartitions=None, partition_size=None):
    """A Dask bag of the documents' result dicts, one per path, in order.

    paths: an iterable of paths (str or os.PathLike), or a dask bag of them.
    npartitions, partition_size: as dask.bag.from_sequence takes them.
    The other arguments are those of scrivlet.convert().
    """
    options = dict(format=format, items=items, password=password, max_length=max_length,
                   reader=reader)
    bag = paths if isinstance(paths, dask.bag.Bag) else dask.bag.from_sequence(
        _paths(paths), npartitions=npartitions, partition_size=partition_size)
    return bag.map(convert_document, **options)


def files_under(folder):
    """The paths of every regular file below folder, depth first, sorted per folder."""
    for root, folders, files in os.walk(folder):
        folders.sort()
        for name in sorted(files):
            path = os.path.join(root, name)
            if os.path.isfile(path):
                yield path


def _counts(records):
    failed = sum(1 for record in records if record["error"] is not None)
    return {"documents": len(records), "converted": len(records) - failed, "failed": failed}


def _write_lines(records, out_path):
    # Written beside and renamed: a partition is there whole or not at all,
    # also when its worker dies while writing and the task is run again.
    temporary = "%s.%s.tmp" % (out_path, uuid.uuid4().hex)
    with open(temporary, "w", encoding="utf-8") as out:
        for record in records:
            out.write(json.dumps(record, ensure_ascii=False))
            out.write("\n")
    os.replace(temporary, out_path)
    return _counts(records)


def _convert_partition(paths, out_path, options):
    return _write_lines([convert_document(path, **options) for path in paths], out_path)


def _killed_record(path, error, format):
    return {"path": path, "reader": None, _output_key(format): None, "summary": None,
            "error": "%s (%s)" % (KILLED_MESSAGE, type(error).__name__),
            "error_type": "Error"}


def _chunks(paths, partitions):
    size, extra = divmod(len(paths), partitions)
    start = 0
    for index in range(partitions):
        end = start + size + (1 if index < extra else 0)
        yield paths[start:end]
        start = end


def convert_to_jsonl(client, paths, out_dir, partitions=None, *, format="text", items=None,
                     password=None, max_length=None, reader=None):
    """Converts the documents on the client's cluster into JSON Lines files.

    Writes out_dir/part-00000.jsonl, ... (one result dict per line, the
    documents in the order given) from the workers, and returns the counts:
    {"documents", "converted", "failed", "partitions", "files"}.
    partitions: how many files (default: some 1,000 documents each, and at
    least two per worker thread).  The other arguments are those of
    scrivlet.convert().
    """
    from dask.distributed import as_completed

    paths = _paths(paths)
    options = dict(format=format, items=items, password=password, max_length=max_length,
                   reader=reader)
    if partitions is None:
        threads = sum(client.nthreads().values()) or 1
        partitions = max(2 * threads, -(-len(paths) // 1000))
    partitions = max(1, min(int(partitions), len(paths)))
    os.makedirs(out_dir, exist_ok=True)
    chunks = list(_chunks(paths, partitions)) if paths else []
    files = [os.path.join(out_dir, "part-%05d.jsonl" % index) for index in range(len(chunks))]
    futures = {client.submit(_convert_partition, chunk, out_path, options, pure=False): index
               for index, (chunk, out_path) in enumerate(zip(chunks, files))}
    results = [None] * len(chunks)
    for future in as_completed(futures):
        index = futures[future]
        try:
            results[index] = future.result()
        except Exception:
            # A partition whose workers died (or that failed in another way):
            # each document alone, so that only the one at fault fails.
            results[index] = _convert_alone(client, chunks[index], files[index], options)
    totals = {"documents": 0, "converted": 0, "failed": 0}
    for counts in results:
        for key in totals:
            totals[key] += counts[key]
    totals["partitions"] = len(chunks)
    totals["files"] = files
    return totals


def _convert_alone(client, paths, out_path, options):
    futures = [client.submit(convert_document, path, pure=False, **options) for path in paths]
    records = []
    for future in futures:
        try:
            records.append(future.result())
        except Exception:
            records.append(None)
    # A document whose worker died beside another one's may have died for
    # that one: each is converted again on its own, one after the other.
    for index, record in enumerate(records):
        if record is not None:
            continue
        try:
            records[index] = client.submit(convert_document, paths[index], pure=False,
                                           **options).result()
        except Exception as error:
            records[index] = _killed_record(paths[index], error, options["format"])
    return client.submit(_write_lines, records, out_path, pure=False).result()
