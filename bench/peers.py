"""numpy's side of zel_compare: reads one benchmark file the numpy way.

    peers.py version
    peers.py TASK FILE COUNT VALUES_OUT REPS

TASK is one of
    doubles    COUNT little-endian doubles: numpy.fromfile as '<f8'
    int16gap   COUNT signed 16-bit values, each followed by 2 gap bytes: a
               structured dtype of itemsize 4, its field converted to float64
    records    COUNT records of SHORT|-LONG2|4|DOUBLE (22 bytes): a structured
               dtype u2, i4, i4, 4 bytes of padding, f8, each field converted
               to a float64 column

The read (and conversion) runs REPS times, each on fresh arrays; the best
time prints as "best SECONDS". The values of the last run go to VALUES_OUT
as float64, column after column for records, for zel_compare to check.
Run it with Debian's /usr/bin/python3, which has python3-numpy.
"""

import os
import sys
import time

try:
    import numpy as np
except ImportError as error:
    sys.exit(f"peers.py: numpy is missing for {sys.executable} ({error}); "
             "bench/run installs Debian's python3-numpy")

INT16_GAP = np.dtype({"names": ["v"], "formats": ["<i2"], "offsets": [0], "itemsize": 4})
RECORD = np.dtype({"names": ["a", "b", "c", "d"],
                   "formats": ["<u2", "<i4", "<i4", "<f8"],
                   "offsets": [0, 2, 6, 14],
                   "itemsize": 22})
assert RECORD.itemsize == 22


def read_doubles(path):
    return [np.fromfile(path, dtype="<f8")]


def read_int16gap(path):
    return [np.fromfile(path, dtype=INT16_GAP)["v"].astype(np.float64)]


def read_records(path):
    records = np.fromfile(path, dtype=RECORD)
    return [records[name].astype(np.float64) for name in RECORD.names]


READERS = {"doubles": read_doubles, "int16gap": read_int16gap, "records": read_records}


def version():
    parts = [f"numpy {np.__version__} ({os.path.dirname(np.__file__)})",
             f"python {sys.version.split()[0]} ({sys.executable})"]
    for name in ("pandas", "scipy"):
        try:
            module = __import__(name)
            parts.append(f"{name} {module.__version__}")
        except ImportError:
            parts.append(f"no {name}")
    print(", ".join(parts))


def main(argv):
    if len(argv) == 2 and argv[1] == "version":
        version()
        return 0
    if len(argv) != 6 or argv[1] not in READERS:
        print(__doc__, file=sys.stderr)
        return 2
    task, path, count, out, reps = argv[1], argv[2], int(argv[3]), argv[4], int(argv[5])
    if not os.path.isfile(path):
        print(f"peers.py: no file {path}", file=sys.stderr)
        return 2
    read = READERS[task]
    best = float("inf")
    columns = None
    for _ in range(max(reps, 1)):
        columns = None  # each run makes its arrays afresh
        start = time.perf_counter()
        columns = read(path)
        best = min(best, time.perf_counter() - start)
    for column in columns:
        if column.dtype != np.float64 or column.shape != (count,):
            print(f"peers.py: {task} gave {column.shape} of {column.dtype}, "
                  f"expected ({count},) of float64", file=sys.stderr)
            return 1
    with open(out, "wb") as values:
        for column in columns:
            column.tofile(values)
    print(f"best {best:.9f}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
