#!/usr/bin/env bash
# Builds the benchmarks (Release, build-bench), generates label sets of 10,000 and 100,000
# labels in a temporary directory and prints every figure beside its target. Apply and
# Duplicate run on both ID shapes of the generator (plain and realistic).
#
#   bench/run.sh              everything at 10,000 and 100,000 labels
#   MILLION=1 bench/run.sh    the N=1,000,000 figures too (by hand only: about 8 GB of disk
#                             and several minutes; skipped when the disk is short)
#   KEEP=1 bench/run.sh       keep the temporary directory (its path is printed)
#
# TMPDIR chooses the disk: Apply and Duplicate include fsync, so use the disk labels live on.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVERBOLT_BUILD_BENCH=ON -DVERBOLT_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/verbolt-run-XXXXXX")
[[ -n "${KEEP:-}" ]] && echo "sets in $work" || trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/xdg"
mkdir -m 700 "$work/xdg"

million=
if [[ -n "${MILLION:-}" ]]; then
    free=$(df --output=avail -B1 "$work" | tail -1)
    if ((free < 8 * 1024 ** 3)); then
        echo "N=1,000,000 skipped: $((free / 1024 ** 2)) MB free in $work, 8 GB needed" >&2
    else
        million=1
    fi
fi

gen() { "$build/bench/verbolt_labelgen" "$@" >/dev/null; }
sizes=(10000 100000)
for n in "${sizes[@]}"; do
    for shape in plain realistic; do
        for kind in load block scattered; do
            [[ $shape == realistic && $kind == load ]] && continue
            mkdir "$work/$kind-$shape-$n"
            gen --ids=$shape "$work/$kind-$shape-$n" "$n"
        done
    done
done

# Core figures: the minimum of five repetitions, the figure least disturbed by other work.
echo "core benchmarks..." >&2
TMPDIR="$work" "$build/bench/verbolt_bench_core" --benchmark_repetitions=5 \
    --benchmark_out="$work/core.json" --benchmark_out_format=json >"$work/core.txt" 2>&1

# Window figures: the median of five processes after one that warms the caches.
window() { # DIR [MODE]
    "$build/bench/verbolt_bench_window" "$@" 2>/dev/null
}
echo "window process..." >&2
for n in "${sizes[@]}"; do
    window "$work/load-plain-$n" >/dev/null
    for i in 1 2 3 4 5; do
        window "$work/load-plain-$n" >>"$work/window-$n.txt"
    done
    for shape in plain realistic; do
        for kind in block scattered; do
            window "$work/$kind-$shape-$n" "$kind" | sed "s/^duplicate=/shape=$shape duplicate=/" \
                >>"$work/dupwin-$n.txt"
        done
    done
done

if [[ -n "$million" ]]; then
    n=1000000
    echo "N=1,000,000: core benchmarks..." >&2
    mkdir "$work/load-plain-$n"
    gen "$work/load-plain-$n" "$n"
    # Several writes per loaded session: one write alone would be the first after the load,
    # whose fresh memory and the load's pending disk writes cost more than the write itself.
    TMPDIR="$work" "$build/bench/verbolt_bench_core" --sizes=$n --benchmark_repetitions=3 \
        --benchmark_min_time=4 --benchmark_filter='B1|B3|B4_(DuplicateBlock|UndoBlock|Baseline)|B5|B7' \
        --benchmark_out="$work/core-$n.json" --benchmark_out_format=json >"$work/core-$n.txt" 2>&1
    echo "N=1,000,000: window process..." >&2
    window "$work/load-plain-$n" >/dev/null
    for i in 1 2 3 4 5; do
        window "$work/load-plain-$n" >>"$work/window-$n.txt"
    done
    # Another program replaces one language file while the window is open (three times).
    for i in 1 2 3; do
        window "$work/load-plain-$n" reload | grep '^reload_ms=' >>"$work/reload-$n.txt"
    done
fi

# The command line, whole processes, the same way (its figures are compared with the window's).
echo "command line..." >&2
python3 - "$build/app/verbolt" "$work" "${sizes[@]}" ${million:+1000000} <<'PY'
import os, subprocess, sys, time
verbolt, work, sizes = sys.argv[1], sys.argv[2], sys.argv[3:]
with open(f"{work}/cli.txt", "w") as out:
    for n in sizes:
        # The XLIFF export of one language, then its import back unchanged (it writes nothing).
        xlf = f"{work}/german-{n}.xlf"
        # "--spelling" is --check with spelling (its flag first: the option is the figure's name);
        # "wc" is wc -l over the same files, the bar plain --check is held to.
        lan = sorted(f for f in os.listdir(f"{work}/load-plain-{n}") if f.endswith(".lan"))
        for option, args in (("--check", []), ("--spelling", ["--check"]), ("wc", lan),
                             ("--export-csv", []),
                             ("--export", [xlf, "--language", "german"]), ("--import", [xlf])):
            command = ["wc", "-l"] if option == "wc" else [verbolt, option]
            for run in range(6):  # one to warm the caches, then five
                start = time.perf_counter()
                p = subprocess.Popen(command + args, cwd=f"{work}/load-plain-{n}",
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                _, status, usage = os.wait4(p.pid, 0)
                p.returncode = os.waitstatus_to_exitcode(status)
                ms = (time.perf_counter() - start) * 1000
                if run:
                    print(f"n={n} option={option} ms={ms:.1f} exit={p.returncode} "
                          f"maxrss_kb={usage.ru_maxrss} cpu_ms={(usage.ru_utime + usage.ru_stime) * 1000:.0f}",
                          file=out)
PY

python3 - "$work" "$million" <<'PY'
import json, statistics, sys, datetime, platform, os
work, million = sys.argv[1], sys.argv[2]

best = {}
for path in [f"{work}/core.json"] + ([f"{work}/core-1000000.json"] if million else []):
    for b in json.load(open(path))["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        name = b["name"].replace("/real_time", "")
        ms = b["real_time"] if b["time_unit"] == "ms" else b["real_time"] / 1e6
        best[name] = min(best.get(name, ms), ms)

def core(name, n): return best.get(f"{name}/{n}")

def fields(line): return dict(kv.split("=", 1) for kv in line.split())

def window(n):
    vals = [fields(l) for l in open(f"{work}/window-{n}.txt") if l.startswith("rows=")]
    return (statistics.median(float(v["shown_ms"]) for v in vals),
            max(int(v["vmhwm_kb"]) for v in vals) / 1024, int(vals[0]["label_bytes"]) / 2**20,
            max(float(v["max_gap_ms"]) for v in vals),
            statistics.median(float(v["marks_ms"]) for v in vals))

def cli(n, option):
    vals = [fields(l) for l in open(f"{work}/cli.txt")
            if l.startswith(f"n={n} option={option} ")]
    assert all(v["exit"] == "0" for v in vals), f"{option} failed at N={n}"
    return (statistics.median(float(v["ms"]) for v in vals),
            max(int(v["maxrss_kb"]) for v in vals) / 1024)

select = {}
def dupwin(n, shape, kind):
    for line in open(f"{work}/dupwin-{n}.txt"):
        if line.startswith(f"shape={shape} duplicate={kind} "):
            v = fields(line)
            # The handler and the repaint; making the selection is Qt's and printed apart.
            select[(n, shape, kind)] = float(v["select_ms"])
            return float(v["duplicate_ms"])

def figures(n, shapes, kinds):
    f = {"load": core("B1_Load", n), "raw": core("B1_RawScan", n),
         "find": core("B5_FindNothing", n), "narrow": core("B7_FilterNarrow", n),
         "nothing": core("B7_FilterNothing", n)}
    for shape in shapes:
        f[shape] = {"apply": core(f"B3_Apply/{shape}", n),
                    "apply_base": core(f"B3_Baseline/{shape}", n),
                    "block": core(f"B4_DuplicateBlock/{shape}", n),
                    "scat": core(f"B4_DuplicateScattered/{shape}", n),
                    "undo": core(f"B4_UndoBlock/{shape}", n),
                    "dup_base": core(f"B4_Baseline/{shape}", n)}
        if kinds:
            f[shape]["wblock"] = dupwin(n, shape, "block")
            f[shape]["wscat"] = dupwin(n, shape, "scattered")
    f["win"], f["hwm"], f["lanmb"], f["gap"], f["marks"] = window(n)
    f["check"], f["check_mb"] = cli(n, "--check")
    f["spelling"], _ = cli(n, "--spelling")
    f["wc"], _ = cli(n, "wc")
    f["csv"], f["csv_mb"] = cli(n, "--export-csv")
    f["xlf"], f["xlf_mb"] = cli(n, "--export")
    f["imp"], f["imp_mb"] = cli(n, "--import")
    return f

yes = lambda c: "yes" if c else "NO"
def table(header, rows):
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(len(header))]
    def line(r): print("| " + " | ".join(c.ljust(widths[i]) for i, c in enumerate(r)) + " |")
    line(header)
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        line(r)

def linear(a10, a100, base10=None, base100=None, slack=1.25):
    # Ten times the labels may cost at most ten times as much, within noise; where a baseline
    # doing the bare file work grows faster (caches), as fast as that baseline.
    growth = 10.0
    if base10 and base100:
        growth = max(growth, base100 / base10)
    return a100 <= growth * a10 * slack

shapes = ("plain", "realistic")
a, b = figures(10000, shapes, True), figures(100000, shapes, True)
rows = []
def add(figure, f10, f100, target, met, fmt="{:.1f}"):
    rows.append((figure, fmt.format(f10), fmt.format(f100), target, met))

add("B1 load (ms)", a["load"], b["load"], "-", yes(linear(a["load"], b["load"], a["raw"], b["raw"])))
add("B1 raw scan (ms)", a["raw"], b["raw"], "-", "")
add("B1 load / raw scan", a["load"] / a["raw"], b["load"] / b["raw"], "<= 3x",
    yes(b["load"] / b["raw"] <= 3), "{:.2f}x")
add("B2 window shown (ms)", a["win"], b["win"], "< 1500", yes(b["win"] < 1500 and linear(a["win"], b["win"])))
add("   marks filled in, from process start (ms)", a["marks"], b["marks"], "-", "")
for shape in shapes:
    s10, s100 = a[shape], b[shape]
    add(f"B3 Apply, 6 files, {shape} IDs (ms)", s10["apply"], s100["apply"], "-",
        yes(linear(s10["apply"], s100["apply"], s10["apply_base"], s100["apply_base"])))
    add(f"B3 replace 6 files, {shape} IDs (ms)", s10["apply_base"], s100["apply_base"], "-", "")
    add(f"B3 Apply / baseline, {shape} IDs", s10["apply"] / s10["apply_base"],
        s100["apply"] / s100["apply_base"], "<= 1.5x", yes(s100["apply"] / s100["apply_base"] <= 1.5),
        "{:.2f}x")
    for key, label in (("block", "block of 10,000"), ("scat", "every 10th row"),
                       ("undo", "undo of the block")):
        add(f"B4 Duplicate All, {label}, {shape} IDs (ms)", s10[key], s100[key], "< 1000",
            yes(s100[key] < 1000 and linear(s10[key], s100[key], s10["dup_base"], s100["dup_base"])))
        add(f"B4 {label} / baseline, {shape} IDs", s10[key] / s10["dup_base"],
            s100[key] / s100["dup_base"], "<= 2x", yes(s100[key] / s100["dup_base"] <= 2), "{:.2f}x")
    add(f"B4 replace 8 files, {shape} IDs (ms)", s10["dup_base"], s100["dup_base"], "-", "")
    for key, label in (("wblock", "block"), ("wscat", "every 10th")):
        add(f"B4 in the window, {label}, {shape} IDs (ms)", s10[key], s100[key], "< 1000",
            yes(s100[key] < 1000))
# Find next reads one column as the raw scan reads the files: it may grow as that does when
# the larger set no longer fits the caches.
add("B5 Find next, no hit (ms)", a["find"], b["find"], "< 20",
    yes(b["find"] < 20 and linear(a["find"], b["find"], a["raw"], b["raw"])))
# The filter over every column: one more key that narrows it, and a fresh query that matches
# nothing; both are linear in the rows they test.
add("B7 filter, a key that narrows (ms)", a["narrow"], b["narrow"], "-",
    yes(linear(a["narrow"], b["narrow"])))
add("B7 filter, fresh query, no match (ms)", a["nothing"], b["nothing"], "-",
    yes(linear(a["nothing"], b["nothing"])))
add("B6 peak memory (MB)", a["hwm"], b["hwm"], f"< {2.5 * b['lanmb'] + 80:.0f}",
    yes(b["hwm"] < 2.5 * b["lanmb"] + 80))
add("   label files (MB)", a["lanmb"], b["lanmb"], "-", "")
add("loading window, longest gap between repaints (ms)", a["gap"], b["gap"], "-", "")
add("--check, whole process (ms)", a["check"], b["check"], "-", "")
add("--check / wc -l over the same files", a["check"] / a["wc"], b["check"] / b["wc"], "<= 10x",
    yes(b["check"] / b["wc"] <= 10), "{:.1f}x")
add("--check --spelling, whole process (ms)", a["spelling"], b["spelling"], "-", "")
add("--export-csv > /dev/null, whole process (ms)", a["csv"], b["csv"], "-", "")
add("--export-csv peak memory (MB)", a["csv_mb"], b["csv_mb"], "-", "")
add("--export german.xlf, whole process (ms)", a["xlf"], b["xlf"], "-", "")
add("--import german.xlf, unchanged (ms)", a["imp"], b["imp"], "-", "")

print(f"\nVerbolt benchmarks, {datetime.date.today()}, {os.cpu_count()} cores, "
      f"{platform.system()} {platform.release()}; times: best of 5 (core), median of 5 (processes)\n")
table(("figure", "N=10k", "N=100k", "target", "met?"), rows)
print("\nSelecting the rows in the window (Qt, before Duplicate): " + ", ".join(
    f"{k[2]} {k[1]} N={k[0]}: {v:.0f} ms" for k, v in sorted(select.items())))

if million:
    m = figures(1000000, shapes, False)
    limit = 1.15 * m["lanmb"] + 80
    rows = [("B1 load (ms)", f"{m['load']:.0f}", "-", ""),
            ("B1 raw scan (ms)", f"{m['raw']:.0f}", "-", ""),
            ("B2 window shown (ms)", f"{m['win']:.0f}", "<= 500", yes(m["win"] <= 500)),
            ("   marks filled in, from process start (ms)", f"{m['marks']:.0f}", "-", ""),
            ("--check, whole process (ms)", f"{m['check']:.0f}", f"<= 2x window = {2 * m['win']:.0f}",
             yes(m["check"] <= 2 * m["win"])),
            ("--check --spelling, whole process (ms)", f"{m['spelling']:.0f}",
             f"<= 5x --check = {5 * m['check']:.0f}", yes(m["spelling"] <= 5 * m["check"])),
            ("--export-csv > /dev/null, whole process (ms)", f"{m['csv']:.0f}",
             f"<= 2x window = {2 * m['win']:.0f}", yes(m["csv"] <= 2 * m["win"])),
            ("B6 peak memory, window with its marks (MB)", f"{m['hwm']:.0f}", f"<= 1.15x files + 80 = {limit:.0f}",
             yes(m["hwm"] <= limit)),
            ("--export-csv peak memory (MB)", f"{m['csv_mb']:.0f}", f"<= {limit:.0f}",
             yes(m["csv_mb"] <= limit)),
            ("   label files (MB)", f"{m['lanmb']:.0f}", "-", ""),
            ("--export german.xlf, whole process (ms)", f"{m['xlf']:.0f}",
             f"<= 2x --export-csv = {2 * m['csv']:.0f}", yes(m["xlf"] <= 2 * m["csv"])),
            ("--import german.xlf, unchanged (ms)", f"{m['imp']:.0f}",
             f"<= 2x export = {2 * m['xlf']:.0f}", yes(m["imp"] <= 2 * m["xlf"])),
            ("--export / --import peak memory (MB)", f"{max(m['xlf_mb'], m['imp_mb']):.0f}",
             f"<= window = {m['hwm']:.0f}", yes(max(m["xlf_mb"], m["imp_mb"]) <= m["hwm"])),
            ("B5 Find next, no hit (ms)", f"{m['find']:.1f}", "<= 40", yes(m["find"] <= 40)),
            ("B7 filter, a key that narrows (ms)", f"{m['narrow']:.0f}", "<= 150",
             yes(m["narrow"] <= 150)),
            ("B7 filter, fresh query, no match (ms)", f"{m['nothing']:.0f}", "<= 300",
             yes(m["nothing"] <= 300)),
            ("loading window, longest gap between repaints (ms)", f"{m['gap']:.0f}", "<= 100",
             yes(m["gap"] <= 100))]
    for shape in shapes:
        s = m[shape]
        rows += [(f"B3 Apply, 6 files, {shape} IDs (ms)", f"{s['apply']:.0f}", "-", ""),
                 (f"B3 replace 6 files, {shape} IDs (ms)", f"{s['apply_base']:.0f}", "-", ""),
                 (f"B3 Apply / baseline, {shape} IDs", f"{s['apply'] / s['apply_base']:.2f}x",
                  "<= 1.5x", yes(s["apply"] / s["apply_base"] <= 1.5)),
                 (f"B4 Duplicate All, block of 10,000, {shape} IDs (ms)", f"{s['block']:.0f}", "-", ""),
                 (f"B4 replace 8 files, {shape} IDs (ms)", f"{s['dup_base']:.0f}", "-", ""),
                 (f"B4 block / baseline, {shape} IDs", f"{s['block'] / s['dup_base']:.2f}x", "<= 2x",
                  yes(s["block"] / s["dup_base"] <= 2)),
                 (f"B4 undo of the block / baseline, {shape} IDs",
                  f"{s['undo'] / s['dup_base']:.2f}x", "<= 2x", yes(s["undo"] / s["dup_base"] <= 2))]
    reloads = [fields(l) for l in open(f"{work}/reload-1000000.txt")]
    reload = statistics.median(float(v["reload_ms"]) for v in reloads)
    share = statistics.median(float(v["share_ms"]) for v in reloads)
    busiest = max(float(v["busiest_ms"]) for v in reloads)
    rows += [("reload of one language file changed on disk (ms)", f"{reload:.0f}",
              f"<= 1.5x its share of the load = {1.5 * share:.0f}", yes(reload <= 1.5 * share)),
             ("   longest the window was busy meanwhile (ms)", f"{busiest:.0f}", "<= 100",
              yes(busiest <= 100))]
    print("\nN=1,000,000\n")
    table(("figure", "N=1M", "target", "met?"), rows)
PY
