#!/usr/bin/env python3
"""What taviplay costs a classroom PC: a book played in a real window on a private X server (Xvfb).

For each screen size, renderer and page it starts the engine, lets the page settle, then measures over
a fixed time the CPU seconds per second of the whole process (user + system, all threads, from
/proc/PID/stat), the frames presented and of those the frames drawn only where they changed (the engine
logs its frame counts once a second when TAVIPLAY_FRAME_STATS is set) and the threads it runs. With
--before, another build of the engine (say, main's) is measured on every case as well, right before
this one, so the two compare under the same conditions. Pages:

  animated  page 0 of the sample book (tools/bookgen "Happy Meadow"): sun rays turning, balloons
            drifting, sparkles blinking, a glow pulsing, music looping
  still     the same page with its sprites' own actions taken out: nothing moves, no transition, no
            music timer due (the music still plays)

Renderers are chosen with SDL_RENDER_DRIVER: "software" (SDL's software renderer) and "opengl" (Mesa's
llvmpipe under Xvfb); "default" leaves the choice to the engine.

    window_cost.py --taviplay PATH --bookgen PATH [--before PATH] [--seconds 10] [--warmup 3]
                   [--sizes 1024x768,1920x1080,3840x2160] [--renderers software,opengl]
                   [--pages animated,still] [--book DIR] [--json FILE]
"""

import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
STATS_LINE = re.compile(r"^(\S+ \S+) .*frames presented: (\d+) steps: (\d+)(?: in part: (\d+))?")


def cpu_seconds(pid):
    """User + system time of the whole process (every thread), in seconds."""
    with open(f"/proc/{pid}/stat") as f:
        text = f.read()
    fields = text[text.rindex(")") + 2:].split()
    # After the command: state is field 3, utime field 14, stime field 15 (1-based, see proc(5)).
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def threads(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("Threads:"):
                return int(line.split()[1])
    return 0


def start_xvfb(width, height):
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp",
         "-noreset"],
        pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        c = os.read(read_fd, 1)
        if not c or c == b"\n":
            break
        number += c
    os.close(read_fd)
    if not number:
        server.terminate()
        sys.exit("Xvfb reported no display")
    return server, ":" + number.decode()


def find_book(root):
    for folder, _, files in os.walk(root):
        if "tavigame.dat" in files:
            return folder.rstrip("/") + "/"
    sys.exit(f"no book (tavigame.dat) below {root}")


def still_copy(book, target):
    """The book with page 0's sprites' own actions taken out and its music looping (no replay timer)."""
    shutil.copytree(book, target)
    page = os.path.join(target, "json", "scene_json0.txt")
    with open(page, encoding="utf-8") as f:
        doc = json.load(f)
    scene = doc["scene"]
    for sprite in scene["sprite"]:
        sprite["default_action"] = []
    scene["scene_music_type"] = "0"
    with open(page, "w", encoding="utf-8") as f:
        json.dump(doc, f, ensure_ascii=False)
    return target.rstrip("/") + "/"


def stats_lines(log):
    """(timestamp text, frames presented, of those in part or None) of every frame-count line so far."""
    try:
        with open(log, encoding="utf-8", errors="replace") as f:
            return [(m.group(1), int(m.group(2)), int(m.group(4)) if m.group(4) else None)
                    for m in map(STATS_LINE.match, f) if m]
    except FileNotFoundError:
        return []


def wait_for(predicate, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.02)
    return False


def measure(args, taviplay, display, book, renderer, work):
    engine_dir = os.path.join(work, "engine")
    os.makedirs(engine_dir)
    program = os.path.join(engine_dir, "taviplay")
    shutil.copy(taviplay, program)
    log = os.path.join(engine_dir, "taviengine.log")
    env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy", TAVIPLAY_FRAME_STATS="1")
    env.pop("WAYLAND_DISPLAY", None)
    if renderer != "default":
        env["SDL_RENDER_DRIVER"] = renderer
    else:
        env.pop("SDL_RENDER_DRIVER", None)
    with open(os.path.join(work, "output.txt"), "w") as out:
        engine = subprocess.Popen([program, book], cwd=work, env=env, stdout=out, stderr=subprocess.STDOUT)
    try:
        if not wait_for(lambda: "<<< ThePage::drawView" in open(log, errors="replace").read()
                        if os.path.exists(log) else False, 30):
            raise RuntimeError("the page did not appear")
        time.sleep(args.warmup)
        # The window opens on a frame-count line, then runs for whole seconds of them.
        first = len(stats_lines(log))
        if not wait_for(lambda: len(stats_lines(log)) > first, 5):
            raise RuntimeError("no frame counts in the log (TAVIPLAY_FRAME_STATS)")
        cpu0, t0 = cpu_seconds(engine.pid), time.monotonic()
        begin = stats_lines(log)[-1]
        count = len(stats_lines(log))
        if not wait_for(lambda: len(stats_lines(log)) >= count + args.seconds, args.seconds + 10):
            raise RuntimeError("the frame counts stopped")
        cpu1, t1 = cpu_seconds(engine.pid), time.monotonic()
        end = stats_lines(log)[count + args.seconds - 1]
        thread_count = threads(engine.pid)
        renderer_used = ""
        for line in open(log, errors="replace"):
            m = re.search(r"renderer: (\S+)", line)
            if m:
                renderer_used = m.group(1)
    finally:
        engine.send_signal(signal.SIGTERM)
        try:
            engine.wait(10)
        except subprocess.TimeoutExpired:
            engine.kill()
            engine.wait()
    wall = t1 - t0
    frames = end[1] - begin[1]
    in_part = end[2] - begin[2] if end[2] is not None and begin[2] is not None else None
    cpu = (cpu1 - cpu0) / wall
    return {
        "frames_in_part_per_second": None if in_part is None else round(in_part / wall, 1),
        "renderer": renderer,
        "renderer_used": renderer_used,
        "seconds": round(wall, 2),
        "cpu_per_second": round(cpu, 4),
        "frames_per_second": round(frames / wall, 1),
        "ms_cpu_per_frame": round(1000 * (cpu1 - cpu0) / frames, 2) if frames else None,
        "threads": thread_count,
        "engine_exit": engine.returncode,
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--taviplay", required=True)
    parser.add_argument("--before", default="", help="another taviplay (say, main's) measured on every case too")
    parser.add_argument("--bookgen", default="")
    parser.add_argument("--book", default="", help="a book folder to play instead of the sample book")
    parser.add_argument("--seconds", type=int, default=10)
    parser.add_argument("--warmup", type=float, default=3)
    parser.add_argument("--sizes", "--size", dest="sizes", default="1024x768",
                        help="screen sizes, comma-separated (each gets its own X server)")
    parser.add_argument("--renderers", default="software,opengl")
    parser.add_argument("--pages", default="animated,still")
    parser.add_argument("--json", default="", help="also write the results to this file")
    args = parser.parse_args()
    sizes = [tuple(int(v) for v in size.split("x")) for size in args.sizes.split(",")]
    builds = [("before", args.before)] if args.before else []
    builds.append(("after" if args.before else "", args.taviplay))
    for program in ("Xvfb",):
        if shutil.which(program) is None:
            sys.exit(f"{program} is not installed (scripts/install-deps)")

    root = tempfile.mkdtemp(prefix="tavi-window-cost-")
    server = None
    try:
        if args.book:
            book = args.book.rstrip("/") + "/"
        else:
            if not args.bookgen or not os.path.exists(args.bookgen):
                sys.exit("no book: give --book DIR or --bookgen PATH")
            subprocess.run([args.bookgen, os.path.join(root, "sample")], check=True,
                           env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), stdout=subprocess.DEVNULL)
            book = find_book(os.path.join(root, "sample"))
        books = {"animated": book, "still": still_copy(book, os.path.join(root, "still"))}
        results = []
        run = 0
        print(f"{'size':<10} {'renderer':<10} {'page':<9} {'build':<7} {'CPU s/s':>8} {'frames/s':>9} "
              f"{'in part/s':>10} {'ms CPU/frame':>13} {'threads':>8}")
        for width, height in sizes:
            server, display = start_xvfb(width, height)
            for renderer in args.renderers.split(","):
                for page in args.pages.split(","):
                    for build, taviplay in builds:
                        run += 1
                        r = measure(args, taviplay, display, books[page], renderer,
                                    os.path.join(root, f"run{run}"))
                        r.update(page=page, size=f"{width}x{height}", build=build or "this")
                        results.append(r)
                        per_frame = "-" if r["ms_cpu_per_frame"] is None else f"{r['ms_cpu_per_frame']:.2f}"
                        in_part = ("-" if r["frames_in_part_per_second"] is None
                                   else f"{r['frames_in_part_per_second']:.1f}")
                        used = f" ({r['renderer_used']})" if r["renderer_used"] else ""
                        print(f"{f'{width}x{height}':<10} {renderer:<10} {page:<9} {build:<7} {r['cpu_per_second']:>8.3f} "
                              f"{r['frames_per_second']:>9.1f} {in_part:>10} {per_frame:>13} {r['threads']:>8}{used}",
                              flush=True)
            server.terminate()
            server.wait()
            server = None
        if args.json:
            with open(args.json, "w") as f:
                json.dump(results, f, indent=2)
    finally:
        if server is not None:
            server.terminate()
            server.wait()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
