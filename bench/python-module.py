#!/usr/bin/python3
"""What the Python module costs, and what Dask gives, on this machine.

    PYTHONPATH=build/python bench/python-module.py [--build build]
        [--bench build-bench/bench/scrivlet_bench] [--corpus ../shared/corpus]
        [--rounds 3]

1. Per call: 10,000 calls of scrivlet.convert on two small documents (the
   sample Write letter, 1 KB, and a .docx of some 20 KB of text, made by the
   test builders), from bytes and from a file, in CPU time per call; against
   ConvertDocument's own time per call (the Google Benchmark case
   BM_ConvertDocument*, when --bench names the benchmark program: make bench
   builds it), and against the program started once per document (1,000
   runs of scrivlet FILE).
2. Resident size before and after 10,000 calls.
3. Documents per second for the corpus (repeated --rounds times):
   scrivlet --json --jobs 2 --files-from, and scrivlet.dask.convert_to_jsonl
   on a LocalCluster of one and of two single-threaded worker processes
   (the cluster's start not counted).
"""

import argparse
import json
import logging
import os
import pathlib
import resource
import subprocess
import sys
import tempfile
import time

import scrivlet

CALLS = 10000


def cpu_seconds():
    return time.process_time()


def children_cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def resident_kib():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE") // 1024


def per_call(function, calls=CALLS):
    function()
    start = cpu_seconds()
    for _ in range(calls):
        function()
    return (cpu_seconds() - start) / calls


def benchmark_times(bench):
    """ConvertDocument's CPU time per call (microseconds) by case name."""
    if not bench or not os.access(bench, os.X_OK):
        return {}
    done = subprocess.run([bench, "--benchmark_filter=ConvertDocument",
                           "--benchmark_repetitions=3", "--benchmark_format=json",
                           "--benchmark_report_aggregates_only=true"],
                          capture_output=True, check=True)
    times = {}
    for case in json.loads(done.stdout)["benchmarks"]:
        if case.get("aggregate_name") == "median":
            times[case["run_name"]] = case["cpu_time"]
    return times


def program_per_call(cli, path, runs=1000):
    before = children_cpu_seconds()
    start = time.perf_counter()
    for _ in range(runs):
        subprocess.run([cli, path], stdout=subprocess.DEVNULL, check=True)
    return (children_cpu_seconds() - before) / runs, (time.perf_counter() - start) / runs


def measure_calls(args, folder):
    print("== Per call (CPU time, microseconds; load average %.1f) ==" % os.getloadavg()[0])
    bench = benchmark_times(args.bench)
    cases = [("letter.wri", "0"), ("report.docx", "1")]
    print("| document | source | module | ConvertDocument | overhead | program per run (CPU / wall) |")
    print("|---|---|---:|---:|---:|---:|")
    for name, arg in cases:
        path = str(folder / name)
        data = (folder / name).read_bytes()
        program_cpu, program_wall = program_per_call(str(args.build / "scrivlet"), path)
        for source, value, case in (("bytes", data, "BM_ConvertDocumentBytes/" + arg),
                                    ("file", path, "BM_ConvertDocumentFile/" + arg)):
            module = per_call(lambda: scrivlet.convert(value)) * 1e6
            native = bench.get(case)
            overhead = "%.2f (%.1f %%)" % (module - native, 100 * (module - native) / native) \
                if native else "-"
            print("| %s | %s | %.2f | %s | %s | %.0f / %.0f |" % (
                name, source, module, "%.2f" % native if native else "-", overhead,
                program_cpu * 1e6, program_wall * 1e6))


def measure_memory(folder):
    data = (folder / "report.docx").read_bytes()
    path = str(folder / "letter.wri")
    for _ in range(1000):
        scrivlet.convert(data)
        scrivlet.convert(path)
    before = resident_kib()
    for _ in range(CALLS):
        scrivlet.convert(data)
        scrivlet.convert(path)
    print("\n== Resident size: %d KiB after 1,000 rounds, %d KiB after 10,000 more "
          "(each round: a .docx from bytes and a .wri from its file) ==" % (before, resident_kib()))


def corpus_paths(folder, rounds):
    lines = (folder / "MANIFEST.tsv").read_text(encoding="utf-8").splitlines()[1:]
    paths = [str(folder / line.split("\t")[0]) for line in lines if line.strip()]
    return [path for path in paths if os.path.isfile(path)] * rounds


def dask_rate(paths, workers, out_dir):
    import dask
    from dask.distributed import Client, LocalCluster
    import scrivlet.dask
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                      protocol="tcp://", host="127.0.0.1", dashboard_address=None,
                      local_directory=out_dir, silence_logs=logging.CRITICAL) as cluster, \
            Client(cluster) as client:
        client.wait_for_workers(workers)
        client.run(lambda: __import__("scrivlet.dask"))
        workers_before = sum(client.run(process_cpu_seconds).values())
        own_before = cpu_seconds()
        start = time.perf_counter()
        counts = scrivlet.dask.convert_to_jsonl(client, paths, os.path.join(out_dir, "out"),
                                                partitions=8 * workers)
        seconds = time.perf_counter() - start
        workers_cpu = sum(client.run(process_cpu_seconds).values()) - workers_before
        own_cpu = cpu_seconds() - own_before
    return counts["documents"] / seconds, seconds, workers_cpu, own_cpu


def process_cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_SELF)
    return usage.ru_utime + usage.ru_stime


def measure_corpus(args):
    if not (args.corpus / "MANIFEST.tsv").is_file():
        print("\n== No corpus at %s: no documents per second ==" % args.corpus)
        return
    paths = corpus_paths(args.corpus, args.rounds)
    print("\n== The corpus: %d documents (%d rounds), load average %.1f ==" % (
        len(paths), args.rounds, os.getloadavg()[0]))
    with tempfile.TemporaryDirectory() as work:
        listing = os.path.join(work, "paths.txt")
        with open(listing, "w") as out:
            out.writelines(path + "\n" for path in paths)
        cpu_before = children_cpu_seconds()
        start = time.perf_counter()
        subprocess.run([str(args.build / "scrivlet"), "--json", "--jobs", "2", "--files-from",
                        listing], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
        cpu = children_cpu_seconds() - cpu_before
        print("| run | documents/s | seconds | CPU ms per document (workers + scheduler and "
              "client) |")
        print("|---|---:|---:|---:|")
        print("| scrivlet --json --jobs 2 --files-from | %.0f | %.2f | %.2f |" % (
            len(paths) / seconds, seconds, 1000 * cpu / len(paths)))
        rates = {}
        for workers in (1, 2):
            rate, seconds, workers_cpu, own_cpu = dask_rate(paths, workers,
                                                            os.path.join(work, "dask%d" % workers))
            rates[workers] = rate
            print("| scrivlet.dask, %d worker process%s | %.0f | %.2f | %.2f + %.2f |" % (
                workers, "es" if workers > 1 else "", rate, seconds,
                1000 * workers_cpu / len(paths), 1000 * own_cpu / len(paths)))
        print("\n2 workers / 1 worker: %.2f x" % (rates[2] / rates[1]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    source = pathlib.Path(__file__).resolve().parents[1]
    parser.add_argument("--build", type=pathlib.Path, default=source / "build")
    parser.add_argument("--bench", default=str(source / "build-bench" / "bench" / "scrivlet_bench"))
    parser.add_argument("--corpus", type=pathlib.Path, default=source.parent / "shared" / "corpus")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--skip", choices=["calls", "corpus"], action="append", default=[])
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        folder = pathlib.Path(work)
        subprocess.run([str(args.build / "python" / "scrivlet_make_python_documents"), work],
                       check=True)
        if "calls" not in args.skip:
            measure_calls(args, folder)
            measure_memory(folder)
    if "corpus" not in args.skip:
        measure_corpus(args)


if __name__ == "__main__":
    sys.exit(main())
