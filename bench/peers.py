"""The peers' side of zel_compare: reads one benchmark file the way a
python user would, with numpy, pandas or python itself.

    peers.py version
    peers.py TASK FILE COUNT VALUES_OUT REPS
    peers.py make-csvload FILE COUNT VALUES_OUT

TASK is one of
    doubles    COUNT little-endian doubles: numpy.fromfile as '<f8'
    int16gap   COUNT signed 16-bit values, each followed by 2 gap bytes: a
               structured dtype of itemsize 4, its field converted to float64
    records    COUNT records of SHORT|-LONG2|4|DOUBLE (22 bytes): a structured
               dtype u2, i4, i4, 4 bytes of padding, f8, each field converted
               to a float64 column
    csvrows    COUNT lines of three comma-separated numbers (CRLF):
               numpy.loadtxt with delimiter ',', three float64 columns
    csvline    one line of COUNT comma-separated numbers: pandas.read_csv with
               the comma as line terminator (one column) and the round-trip
               parser (correct to the last bit), as float64
    lines      COUNT lines of text: readlines of the file opened as text
    wav        a 16-bit stereo PCM WAV file of COUNT frames:
               scipy.io.wavfile.read, then three float64 columns: the time of
               frame i as i * step + step with step = 1.0 / rate (the way ZEL
               computes it, to the last bit), the left and the right samples
    csvload    the CSV file of COUNT rows that make-csvload wrote:
               pandas.read_csv(FILE); its table goes to VALUES_OUT (below)
    csvsave    FILE holds COUNT little-endian doubles, read untimed into a
               one-column frame "d"; the timed part is
               DataFrame.to_csv(VALUES_OUT, index=False)

make-csvload writes FILE with DataFrame.to_csv(index=False) from a seeded
frame of COUNT rows (numeric columns, one with small numbers that print with
exponents such as 1.5e-07, one of large ones, a text column, empty fields in
numeric and text columns) and the frame's table to VALUES_OUT. A table is
two files: VALUES_OUT (float64 numbers of the numeric columns, column after
column, NaN where a field is empty) and VALUES_OUT.txt (the column names,
tab-separated; their kinds, n or t, tab-separated; then the texts of the
text columns, one a line, column after column, an empty line for an empty
field).

The read (and conversion) runs REPS times, each on fresh objects; the best
time prints as "best SECONDS". The values of the last run go to VALUES_OUT
as float64, column after column for records and rows (the lines as read,
line ends included), for zel_compare to check.
Run it with Debian's /usr/bin/python3, which has python3-numpy,
python3-pandas and python3-scipy.
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


def read_csvrows(path):
    table = np.loadtxt(path, delimiter=",", dtype=np.float64)
    return [table[:, k] for k in range(table.shape[1])]


def read_csvline(path):
    import pandas  # imported once, before the first timed run
    frame = pandas.read_csv(path, header=None, lineterminator=",", float_precision="round_trip",
                            dtype=np.float64)
    return [frame[0].to_numpy(dtype=np.float64)]


def read_lines(path):
    with open(path, encoding="ascii") as text:
        return text.readlines()


def read_wav(path):
    from scipy.io import wavfile  # imported once, before the first timed run
    rate, samples = wavfile.read(path)
    if samples.dtype != np.int16 or samples.ndim != 2 or samples.shape[1] != 2:
        raise ValueError(f"{path}: {samples.dtype} samples of shape {samples.shape}, not 16-bit stereo")
    step = 1.0 / rate
    # Each product and sum rounded once, as ZEL's i * step + step in double.
    times = np.arange(samples.shape[0], dtype=np.float64) * step + step
    return [times, samples[:, 0].astype(np.float64), samples[:, 1].astype(np.float64)]


def read_csvload(path):
    import pandas  # imported once, before the first timed run
    return pandas.read_csv(path)


def write_table(frame, out):
    """A frame's table as zel_compare reads it (see make-csvload)."""
    kinds = ["n" if frame[name].dtype.kind in "iuf" else "t" for name in frame.columns]
    with open(out, "wb") as values:
        for name, kind in zip(frame.columns, kinds):
            if kind == "n":
                frame[name].to_numpy(dtype=np.float64).tofile(values)
    with open(out + ".txt", "w", encoding="utf-8", newline="") as texts:
        texts.write("\t".join(frame.columns) + "\n" + "\t".join(kinds) + "\n")
        for name, kind in zip(frame.columns, kinds):
            if kind == "t":
                texts.write("".join(("" if isinstance(v, float) else v) + "\n" for v in frame[name]))


WORDS = ["sensor", "reading", "value", "ok", "channel", "north", "calibrated", "pressure", "run", "unit"]


def make_csvload(path, count, out):
    """A seeded frame of count rows, written by pandas as CSV. Its numbers
    have at most 10 significant digits and decimal exponents within 22, so
    that pandas' default parser reads each back to the very double written
    (it is not correctly rounded for longer ones)."""
    import pandas
    rng = np.random.default_rng(20240608)

    def holes(values, share):
        values[rng.random(count) < share] = np.nan
        return values

    readings = rng.integers(-10**9, 10**9, count) / 10.0**6
    small = rng.integers(1, 10**4, count) / 10.0**rng.integers(7, 14, count)
    large = rng.integers(1, 10**5, count) * 10.0**rng.integers(8, 18, count)
    names = np.array([f"{WORDS[a]} {WORDS[b]} {c}" for a, b, c in
                      zip(rng.integers(0, len(WORDS), count), rng.integers(0, len(WORDS), count),
                          rng.integers(0, 100000, count))], dtype=object)
    names[rng.random(count) < 0.05] = None
    frame = pandas.DataFrame({
        "id": np.arange(count, dtype=np.int64),
        "reading": holes(readings, 0.05),
        "small": holes(small, 0.03),
        "large": large,
        "label": names,
    })
    frame.to_csv(path, index=False)
    frame["label"] = frame["label"].where(frame["label"].notna(), np.nan)
    write_table(frame, out)


def save_csvsave(path, count, out, reps):
    import pandas
    values = np.fromfile(path, dtype="<f8")
    if values.shape != (count,):
        raise ValueError(f"{path} holds {values.size} doubles, not {count}")
    frame = pandas.DataFrame({"d": values})
    best = float("inf")
    for _ in range(max(reps, 1)):
        start = time.perf_counter()
        frame.to_csv(out, index=False)
        best = min(best, time.perf_counter() - start)
    return best


READERS = {"doubles": read_doubles, "int16gap": read_int16gap, "records": read_records,
           "csvrows": read_csvrows, "csvline": read_csvline, "lines": read_lines, "wav": read_wav,
           "csvload": read_csvload}


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
    if len(argv) == 5 and argv[1] == "make-csvload":
        make_csvload(argv[2], int(argv[3]), argv[4])
        return 0
    if len(argv) == 6 and argv[1] == "csvsave":
        best = save_csvsave(argv[2], int(argv[3]), argv[4], int(argv[5]))
        print(f"best {best:.9f}")
        return 0
    if len(argv) != 6 or argv[1] not in READERS:
        print(__doc__, file=sys.stderr)
        return 2
    task, path, count, out, reps = argv[1], argv[2], int(argv[3]), argv[4], int(argv[5])
    if not os.path.isfile(path):
        print(f"peers.py: no file {path}", file=sys.stderr)
        return 2
    read = READERS[task]
    if task in ("csvline", "csvload"):
        try:
            import pandas  # noqa: F401 (the import is not timed)
        except ImportError as error:
            sys.exit(f"peers.py: pandas is missing for {sys.executable} ({error}); "
                     "bench/run installs Debian's python3-pandas")
    if task == "wav":
        try:
            from scipy.io import wavfile  # noqa: F401 (the import is not timed)
        except ImportError as error:
            sys.exit(f"peers.py: scipy is missing for {sys.executable} ({error}); "
                     "bench/run installs Debian's python3-scipy")
    best = float("inf")
    columns = None
    for _ in range(max(reps, 1)):
        columns = None  # each run makes its arrays afresh
        start = time.perf_counter()
        columns = read(path)
        best = min(best, time.perf_counter() - start)
    if task == "csvload":
        if len(columns) != count:
            print(f"peers.py: csvload gave {len(columns)} rows, expected {count}", file=sys.stderr)
            return 1
        write_table(columns, out)
        print(f"best {best:.9f}")
        return 0
    if task == "lines":
        if len(columns) != count:
            print(f"peers.py: lines gave {len(columns)} lines, expected {count}", file=sys.stderr)
            return 1
        with open(out, "w", encoding="ascii", newline="") as values:
            values.write("".join(columns))
        print(f"best {best:.9f}")
        return 0
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
