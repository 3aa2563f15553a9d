# failures_lib.py -- the machinery of the failure table: each row starts the real game (or
# the replay runner) in a folder of its own, does something to it, and checks how it ended:
# the exit code, what standard error said, how soon, and the files left behind.
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time


class Row:
    """One case: see failures_test.py for the fields."""

    def __init__(self, name, args=(), setup=None, action=None, exit=0, stderr=None, lines=None,
                 within=10, check=None, runner=False, own_x=False, x=True, preexec=None,
                 sanitized=True):
        self.name, self.args, self.setup, self.action = name, list(args), setup, action
        self.exit, self.stderr, self.lines, self.within = exit, stderr, lines, within
        self.check, self.runner, self.own_x, self.x, self.preexec = check, runner, own_x, x, preexec
        self.sanitized = sanitized  # False: the row means nothing in a sanitizer build


def sanitizer_build(program):
    """Whether the program was built with AddressSanitizer (which maps terabytes of memory):
    the build says so, and a program linked with the sanitizer carries its entry point."""
    if os.environ.get("DRIFTWING_SANITIZED") == "1":
        return True
    with open(program, "rb") as f:
        return b"__asan_init" in f.read()


class Xvfb:
    """A private X server on a free display, kept running between clients (-noreset)."""

    def __init__(self, screen="640x480x24", *options):
        read, write = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", screen,
                                      "-noreset", "-nolisten", "tcp", *options], pass_fds=[write],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as numbers:
            self.display = ":" + numbers.readline().strip()

    def stop(self):
        self.proc.kill()
        self.proc.wait()


class Context:
    """What a row's setup, action and check see."""

    def __init__(self, paths, display):
        self.game, self.replay, self.data, self.xprobe = paths
        self.dir = tempfile.mkdtemp(prefix="driftwing-row.")
        self.home = os.path.join(self.dir, "home")
        self.settings = os.path.join(self.home, ".config", "driftwing", "settings.cfg")
        os.makedirs(os.path.join(self.dir, "game"))
        os.makedirs(self.home)
        os.symlink(self.data, os.path.join(self.dir, "game", "data"))
        self.sound("{ type null }")
        self.display, self.xvfb, self.proc, self.stderr, self.window = display, None, None, "", None

    def path(self, name):
        return os.path.join(self.dir, name)

    def env(self):
        env = dict(os.environ, HOME=self.home)
        env.pop("DISPLAY", None)
        env.pop("XDG_CONFIG_HOME", None)
        env.pop("XDG_PICTURES_DIR", None)  # screenshots go to the row's HOME/Pictures
        if self.display:
            env["DISPLAY"] = self.display
        return env

    def wait_window(self, size="320x300", seconds=10):
        end = time.monotonic() + seconds
        while time.monotonic() < end and self.proc.poll() is None:
            tree = subprocess.run(["xwininfo", "-root", "-children"], env=self.env(),
                                  capture_output=True, text=True).stdout
            for line in tree.splitlines():
                if " %s+" % size in line:
                    window = line.split()[0]
                    info = subprocess.run(["xwininfo", "-id", window], env=self.env(),
                                          capture_output=True, text=True).stdout
                    if "IsViewable" in info:
                        self.window = window
                        return window
            time.sleep(0.05)
        raise AssertionError("no %s window" % size)

    def start(self, *args, size="320x300", scale="1"):
        """The game at that scale (None: as it chooses) with ARGS in its window of SIZE;
        what it says is kept for finish()."""
        self.launch(self.game, (["--scale", scale] if scale else []) + list(args))
        self.window = None
        self.wait_window(size)

    def launch(self, program, args, preexec=None, env=None):
        # PROGRAM with ARGS in the row's game folder; what it writes is kept in self.said
        # through pipes (a row's file size limit must not cut it).
        self.proc = subprocess.Popen([program] + list(args), cwd=self.path("game"), env=env or self.env(),
                                     stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, preexec_fn=preexec)
        self.said = {}
        self.readers = [threading.Thread(target=lambda s=s: self.said.update(
            {s: getattr(self.proc, s).read().decode(errors="replace")}), daemon=True) for s in ("stdout", "stderr")]
        for reader in self.readers:
            reader.start()

    def finish(self, seconds):
        """The exit code of the program launch() began, once it ends, and its standard error."""
        code = self.proc.wait(timeout=seconds)
        for reader in self.readers:
            reader.join(5)
        return code, self.said.get("stderr", "")

    def key(self, name, seconds=0.2):
        xdotool = lambda *a: subprocess.run(["xdotool"] + list(a), env=self.env(),
                                            stderr=subprocess.DEVNULL)
        xdotool("windowfocus", self.window or self.wait_window())
        xdotool("keydown", name)
        time.sleep(seconds)
        xdotool("keyup", name)

    def sound(self, pcm):
        # The sound card the game finds: an ALSA default device.
        open(os.path.join(self.home, ".asoundrc"), "w").write("pcm.!default " + pcm + "\n")

    def capture_to(self, path):
        # All the game plays recorded into a 16-bit stereo WAV file.
        self.sound('{ type plug; slave { pcm "cap"; format S16_LE; } }\n'
                   'pcm.cap { type file; slave.pcm "null"; file "%s"; format "wav" }' % path)

    def quit(self, seconds=10):
        # Escape; the game must end with 0 within SECONDS. What it said.
        self.key("Escape")
        code, said = self.finish(seconds)
        assert code == 0, "exit %d after Escape: %s" % (code, said)
        return said

    def signal(self, sig):
        self.proc.send_signal(sig)

    def kill_x(self):
        self.xvfb.stop()

    def cleanup(self):
        """Ends a game still running, the row's own X server, and removes the row's folder."""
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if self.xvfb:
            self.xvfb.stop()
        subprocess.run(["chmod", "-R", "u+rwX", self.dir], stderr=subprocess.DEVNULL)
        shutil.rmtree(self.dir, ignore_errors=True)


def run_row(row, paths, shared_display):
    """Runs one row; returns None when it went as expected, else what went wrong."""
    ctx = Context(paths, None)
    try:
        if row.x:
            if row.own_x:
                ctx.xvfb = Xvfb()
                ctx.display = ctx.xvfb.display
            else:
                ctx.display = shared_display
        if row.setup:
            row.setup(ctx)
        ctx.launch(ctx.replay if row.runner else ctx.game, [a.replace("{tmp}", ctx.dir) for a in row.args],
                   row.preexec and (lambda: row.preexec(ctx)))
        if row.action:
            row.action(ctx)
        began = time.monotonic()
        try:
            code = ctx.proc.wait(timeout=row.within)
        except subprocess.TimeoutExpired:
            ctx.proc.kill()
            ctx.proc.wait()
            return "still running %.1f s after it should have ended" % row.within
        took = time.monotonic() - began
        ctx.stderr = ctx.finish(0)[1]
        # ALSA speaks for itself about the sound card it does not find; only the game's count.
        said = [l for l in ctx.stderr.strip().splitlines() if not l.startswith("ALSA lib ")]
        wrong = []
        if code != row.exit:
            wrong.append("exit %d, expected %d" % (code, row.exit))
        if row.stderr and not re.search(row.stderr, ctx.stderr, re.MULTILINE):
            wrong.append("standard error lacks /%s/" % row.stderr)
        if row.lines is not None and len(said) != row.lines:
            wrong.append("%d lines on standard error, expected %d" % (len(said), row.lines))
        if row.check and not wrong:
            problem = row.check(ctx)
            if problem:
                wrong.append(problem)
        if wrong:
            return "; ".join(wrong) + " (ended %.2f s after; standard error: %r)" % (took, ctx.stderr[:600])
        return None
    except AssertionError as e:
        return str(e)
    finally:
        ctx.cleanup()


def run_table(what, rows, paths, only=""):
    # Each row whose name holds ONLY: (name, a function of a Context that raises at a fault
    # or returns what is wrong, the arguments of its own X server). report()'s exit code.
    failures = []
    for name, row, *screen in (r for r in rows if only in r[0]):
        xvfb = Xvfb(*screen)
        ctx = Context(tuple(p and os.path.realpath(p) for p in paths), xvfb.display)
        try:
            failures += ["%s: %s" % (name, w) for w in row(ctx) or []]
        except (AssertionError, subprocess.SubprocessError, OSError, ValueError) as e:
            failures.append("%s: %s" % (name, e))
        finally:
            ctx.cleanup()
            xvfb.stop()
    return report(what, failures)


def report(what, failures):
    """Prints each failure and a closing line; the exit code of the test."""
    for failure in failures:
        print("FAIL: " + failure, file=sys.stderr)
    print("%s: %s" % (what, "ok" if not failures else "%d failures" % len(failures)))
    return 1 if failures else 0
