# recordings.py -- recordings made onto full disks, over files that exist, beside another
# game, and recordings that are damaged, hostile or not files at all: nothing is lost or
# spliced, and every failure is said, with an exit code that is never 0.
import os
import re
import resource
import signal
import stat
import subprocess
import time

from failures_lib import Row

HEADER = ("# A game of Driftwing: driftwing --play FILE shows it again, "
          "driftwing-replay --verify FILE checks it\n")


def write(name, text, mode=None):
    def make(ctx):
        with open(ctx.path(name), "wb") as f:
            f.write(text.encode() if isinstance(text, str) else text)
        if mode is not None:
            os.chmod(ctx.path(name), mode)
    return make


def verifies(ctx, name):
    run = subprocess.run([ctx.replay, "--verify", ctx.path(name)], cwd=os.path.join(ctx.dir, "game"),
                         capture_output=True, text=True)
    return run.returncode == 0, run.stderr


def untouched(name, text, mode):
    def check(ctx):
        info = os.stat(ctx.path(name))
        if open(ctx.path(name), "rb").read() != text.encode() or stat.S_IMODE(info.st_mode) != mode:
            return "%s was changed" % name
        left = [f for f in os.listdir(ctx.dir) if f.endswith(".part")]
        if left:
            return "left behind: %s" % left
    return check


def play_then_quit(seconds):
    def act(ctx):
        ctx.wait_window()
        ctx.key("s")
        time.sleep(seconds)
        ctx.key("Escape")
    return act


# A file size limit just past the first line and two runs: the third run's write is cut.
def small_file_limit(ctx):
    limit = len(HEADER) + 12
    resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))


def whole_lines_that_verify(ctx):
    text = open(ctx.path("game.keys")).read()
    if not text.startswith(HEADER) or not text.endswith("\n") or len(text) > len(HEADER) + 12:
        return "the recording is not its whole lines: %r" % text
    ok, said = verifies(ctx, "game.keys")
    if not ok:
        return "what was written does not verify: %s" % said


def link_replaced(ctx):
    if not os.path.isfile(ctx.path("game.keys")) or os.path.islink(ctx.path("game.keys")):
        return "the link was not replaced by the recording"
    if open(ctx.path("target.keys")).read() != "old\n":
        return "the link's target was written"
    if not verifies(ctx, "game.keys")[0]:
        return "the recording does not verify"


# Another game records into the same name first, and goes on after the row's is refused.
def first_game(ctx):
    ctx.first = subprocess.Popen([ctx.game, "--scale", "1", "--record", ctx.path("game.keys"), "--force"],
                                 cwd=os.path.join(ctx.dir, "game"), env=ctx.env(),
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    ctx.proc = ctx.first
    ctx.wait_window()
    ctx.proc = None


def first_game_kept(ctx):
    ctx.proc = ctx.first
    ctx.key("Escape")
    if ctx.first.wait(timeout=5) != 0:
        return "the first game ended with %d" % ctx.first.returncode
    if not verifies(ctx, "game.keys")[0]:
        return "the first game's recording does not verify"


def closed_after_display_lost(ctx):
    text = open(ctx.path("game.keys")).read()
    if not re.search(r"\n# end frame \d+ state [0-9a-f]{16}\n$", text):
        return "no closing line: %r" % text[-120:]
    if not verifies(ctx, "game.keys")[0]:
        return "the rescued recording does not verify"


def fifo(ctx):
    os.mkfifo(ctx.path("pipe.keys"))


def folder(ctx):
    os.mkdir(ctx.path("folder.keys"))


NOTE = "# frame 600 state 0123456789ABCDEF\n"  # upper-case hex reads too
ROWS = [
    Row("recording onto /dev/full", ["--record", "/dev/full", "--force"], x=False, exit=1, lines=1,
        stderr=r"^driftwing: cannot record into /dev/full: No space left on device$"),
    Row("recording into a folder that is not there", ["--record", "/nowhere/game.keys"], x=False, exit=1,
        lines=1, stderr=r"^driftwing: cannot record into /nowhere/game\.keys"),
    Row("a write cut short by a file size limit mid-game", ["--scale", "1", "--record", "{tmp}/game.keys"],
        preexec=small_file_limit, action=play_then_quit(4), exit=1, lines=1,
        stderr=r"^driftwing: cannot write .*game.keys: File too large; the recording stops here$",
        check=whole_lines_that_verify),
    Row("an existing write-only file without --force", ["--record", "{tmp}/old.keys"], x=False,
        setup=write("old.keys", "old\n", 0o200), exit=1, lines=1, stderr=r"exists already",
        check=untouched("old.keys", "old\n", 0o200)),
    Row("--force over a link, and start-up fails", ["--record", "{tmp}/link.keys", "--force"], x=False,
        setup=lambda ctx: (write("target.keys", "old\n", 0o644)(ctx),
                           os.symlink(ctx.path("target.keys"), ctx.path("link.keys"))),
        exit=1, stderr=r"^driftwing: cannot start",
        check=lambda ctx: untouched("target.keys", "old\n", 0o644)(ctx) or
        (None if os.path.islink(ctx.path("link.keys")) else "the link went")),
    Row("--force over a link, and a game", ["--scale", "1", "--record", "{tmp}/game.keys", "--force"],
        setup=lambda ctx: (write("target.keys", "old\n", 0o644)(ctx),
                           os.symlink(ctx.path("target.keys"), ctx.path("game.keys"))),
        action=play_then_quit(0.5), exit=0, check=link_replaced),
    Row("a second game recording into the same name", ["--scale", "1", "--record", "{tmp}/game.keys", "--force"],
        setup=first_game, exit=1, lines=1, within=3,
        stderr=r"^driftwing: cannot record into .*game.keys: another game is recording into it$",
        check=first_game_kept),
    Row("the display lost while recording", ["--scale", "1", "--record", "{tmp}/game.keys"], own_x=True,
        action=lambda ctx: (ctx.wait_window(), ctx.key("s"), time.sleep(0.5), ctx.kill_x()),
        exit=1, within=1, stderr=r"^driftwing: lost the display$", check=closed_after_display_lost),
    Row("a FIFO to record into", ["--record", "{tmp}/pipe.keys", "--force"], setup=fifo, x=False,
        within=2, exit=1, stderr=r"cannot record into .*pipe.keys: no program reads from it"),
    # Reading: refused before anything is read, with the true reason.
    Row("a FIFO to play", ["--play", "{tmp}/pipe.keys"], setup=fifo, x=False, within=2, exit=1,
        stderr=r"cannot play .*pipe.keys: it is not a regular file$"),
    Row("an empty recording to play", ["--play", "{tmp}/empty.keys"], setup=write("empty.keys", ""),
        x=False, exit=1, lines=1, stderr=r"cannot play .*empty.keys: it is empty$"),
    Row("a cut recording that keeps its closing line, played", ["--scale", "1", "--play", "{tmp}/cut.keys"],
        setup=write("cut.keys", HEADER + "30 -\n# end frame 331 state 0123456789abcdef\n"), exit=1,
        stderr=r"notes the game's state at frame 331, but its keys end at frame 30$"),
    Row("a recording cut mid-line", ["--verify", "{tmp}/half.keys"], runner=True,
        setup=write("half.keys", HEADER + "60 -\n2 R"), exit=0,
        stderr=r"half.keys ends mid-line \(cut short\?\); played to its last whole line"),
    Row("a folder to verify", ["--verify", "{tmp}/folder.keys"], runner=True, setup=folder, exit=2,
        stderr=r"folder.keys: it is a folder$"),
    Row("a run of more than ten hours", ["{tmp}/long.keys"], runner=True,
        setup=write("long.keys", "60 -\n2147483647 -\n"), exit=2, within=2,
        stderr=r"long.keys: line 2: frame count '2147483647' is too large"),
    Row("a bad word, long and with escapes", ["{tmp}/bad.keys"], runner=True,
        setup=write("bad.keys", "1 \x1b[31m" + "X" * 100000 + "\n"), exit=2, lines=1,
        stderr=r"line 1: unknown key '\\x1b\[31mX{35}\.\.\.'$"),
    Row("a state note's negative frame", ["--verify", "{tmp}/neg.keys"], runner=True,
        setup=write("neg.keys", HEADER + "600 -\n# frame -600 state 0123456789abcdef\n"), exit=2,
        stderr=r"line 3: the state note's frame '-600' is not a frame number$"),
    Row("a state note past 2^50", ["--verify", "{tmp}/far.keys"], runner=True,
        setup=write("far.keys", HEADER + "600 -\n# frame 1125899906842625 state 0123456789abcdef\n"),
        exit=2, stderr=r"line 3: the state note's frame '1125899906842625' is not a frame number$"),
    Row("a byte-order mark and an upper-case digest", ["--verify", "{tmp}/bom.keys"], runner=True,
        setup=write("bom.keys", b"\xef\xbb\xbf" + (HEADER + "600 -\n" + NOTE).encode()), exit=1,
        stderr=r"played out differently: frame 600 of 600 .*the recording's 0123456789abcdef\)$"),
]
