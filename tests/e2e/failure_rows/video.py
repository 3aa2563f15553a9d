# video.py -- driftwing-replay --video against the machine: two makers of one video, a
# signal while ffmpeg encodes, a file size limit, links where its part files go, an output
# that exists, is the recording or links to it, its options given twice or wrong, a game that
# played out differently, no ffmpeg. Whatever happens, one line says it, and no part file
# and no ffmpeg is left behind.
import os
import resource
import signal
import subprocess
import time

from failures_lib import Row

HEADER = ("# A game of Driftwing: driftwing --play FILE shows it again, "
          "driftwing-replay --verify FILE checks it\n")
SHORT = "30 -\n1 S\n60 SPACE\n"      # 91 frames: a video of it is made in a moment
MINUTE = "1 S\n3600 SPACE\n"          # ffmpeg encodes it for seconds
FOUR_SECONDS = "1 S\n240 SPACE\n"    # 241 frames, encoded while a second maker tries
GAME = "30 -\n1 S\n300 SPACE\n800 LEFT+SPACE\n"  # the tester's r.keys: 1131 frames


def files(**texts):
    """A setup: files in the row's folder, named by the keywords (a_b for a.b)."""
    def setup(ctx):
        for name, text in texts.items():
            with open(ctx.path(name.replace("_", ".")), "w") as f:
                f.write(text)
    return setup


def holders(ctx):
    """The processes (but ours) that hold a file of the row's folder open: an ffmpeg left
    encoding holds the part file as its descriptor 3."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        if int(pid) == os.getpid():
            continue
        try:
            fds = os.listdir("/proc/%s/fd" % pid)
            if any(os.readlink("/proc/%s/fd/%s" % (pid, fd)).startswith(ctx.dir + "/") for fd in fds):
                found.append(open("/proc/%s/cmdline" % pid).read().replace("\0", " ")[:80])
        except OSError:
            pass  # gone meanwhile, or not ours to look at
    return found


def left(*kept, check=None):
    """A check: only KEPT beside the row's own folders, no process holding one of them, no
    child of the runner still running; then CHECK, if any."""
    def judge(ctx):
        extra = sorted(set(os.listdir(ctx.dir)) - {"game", "home"} - set(kept))
        if extra:
            return "left behind: %s" % extra
        running = [pid for pid in getattr(ctx, "children", ()) if os.path.exists("/proc/%d" % pid)]
        if running or holders(ctx):
            return "processes left: %s %s" % (running, holders(ctx))
        return check(ctx) if check else None
    return judge


def signalled_while_encoding(sig):
    """An action: once the runner has started ffmpeg and fed it a moment, the signal."""
    def act(ctx):
        end = time.monotonic() + 5
        while time.monotonic() < end:
            ctx.children = [int(p) for p in subprocess.run(
                ["pgrep", "-P", str(ctx.proc.pid)], capture_output=True, text=True).stdout.split()]
            if ctx.children:
                break
            time.sleep(0.02)
        time.sleep(0.3)
        ctx.signal(sig)
    return act


def whole(name, frames):
    """A check: the video NAME holds a sound and FRAMES pictures, as ffprobe reads it."""
    def check(ctx):
        said = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_entries",
                               "stream=codec_type,nb_read_frames", "-of", "csv=p=0", ctx.path(name)],
                              capture_output=True, text=True).stdout.split()
        got = sorted(kind.split(",")[0] if kind.startswith("audio") else kind for kind in said)
        if got != ["audio", "video,%d" % frames]:
            return "%s holds %s, not a sound and %d pictures" % (name, got, frames)
    return check


def first_maker(ctx):
    """A setup: another runner makes the same video, and has begun its part file."""
    files(one_keys=FOUR_SECONDS)(ctx)
    ctx.first = subprocess.Popen([ctx.replay, "--scale", "1", "--video", ctx.path("o.mp4"),
                                  ctx.path("one.keys")], cwd=os.path.join(ctx.dir, "game"),
                                 env=ctx.env(), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    end = time.monotonic() + 5
    while not os.path.exists(ctx.path(".o.mp4.part")) and time.monotonic() < end:
        time.sleep(0.01)


def first_kept(ctx):
    said = ctx.first.communicate(timeout=20)[1].decode(errors="replace")
    if ctx.first.returncode != 0:
        return "the first maker ended with %d: %s" % (ctx.first.returncode, said)
    return left("one.keys", "o.mp4", check=whole("o.mp4", 241))(ctx)


def links(ctx):
    """A setup: links where the video's part files go, each to a file of its own."""
    files(s_keys=SHORT, v1_txt="one\n", v2_txt="two\n", v3_txt="three\n")(ctx)
    for suffix, target in (("", "v3.txt"), (".pcm", "v1.txt"), (".log", "v2.txt")):
        os.symlink(ctx.path(target), ctx.path(".o.mp4.part" + suffix))


def targets_kept(ctx):
    for name, text in (("v1.txt", "one\n"), ("v2.txt", "two\n"), ("v3.txt", "three\n")):
        if open(ctx.path(name)).read() != text:
            return "%s was written through its link" % name
    return left("s.keys", "o.mp4", "v1.txt", "v2.txt", "v3.txt", check=whole("o.mp4", 91))(ctx)


def unchanged(name, text, *kept):
    def check(ctx):
        if open(ctx.path(name)).read() != text:
            return "%s was changed" % name
        return left(name, *kept)(ctx)
    return check


def file_limit(kib):
    """In the runner's process, as `ulimit -f` does: SIGXFSZ is not ignored."""
    return lambda ctx: resource.setrlimit(resource.RLIMIT_FSIZE, (kib << 10, kib << 10))


def no_ffmpeg(ctx):  # s.keys, and a PATH where no ffmpeg is found
    files(s_keys=SHORT)(ctx)
    ctx.env = lambda env=ctx.env(): dict(env, PATH="/nowhere")


def refused(name, args, exit, says, setup=files(s_keys=SHORT), kept="s.keys", check=None):  # in one line
    return Row(name, args, runner=True, x=False, setup=setup, exit=exit, lines=1, within=5,
               stderr=r"^driftwing-replay: " + says, check=check or left(kept))


def usage(reason):
    return r"\Adriftwing-replay: %s\nusage: driftwing-replay " % reason


# Encoding the minute takes some twenty seconds: three to end it is no wait for the encoder
# to finish, and room for a sanitizer build on a busy machine.
ENCODING = dict(runner=True, setup=files(m_keys=MINUTE), within=3, lines=0, check=left("m.keys"))
ROWS = [
    Row("a second maker of the same video", ["--scale", "1", "--video", "{tmp}/o.mp4", "{tmp}/one.keys"],
        runner=True, setup=first_maker, exit=2, within=1, lines=1, check=first_kept,
        stderr=r"^driftwing-replay: cannot write the video \S+/o\.mp4: another driftwing-replay is making it$"),
    Row("SIGHUP while ffmpeg encodes", ["--scale", "1", "--video", "{tmp}/h.mp4", "{tmp}/m.keys"],
        action=signalled_while_encoding(signal.SIGHUP), exit=128 + signal.SIGHUP, **ENCODING),
    Row("SIGQUIT while ffmpeg encodes", ["--scale", "1", "--video", "{tmp}/h.webm", "{tmp}/m.keys"],
        action=signalled_while_encoding(signal.SIGQUIT), exit=128 + signal.SIGQUIT, **ENCODING),
    Row("a GIF past a file size limit of 1000 KiB", ["--video", "{tmp}/o.gif", "{tmp}/r.keys"],
        runner=True, setup=files(r_keys=GAME), preexec=file_limit(1000), exit=1, lines=1, within=5,
        stderr=r"^driftwing-replay: cannot write \S+/o\.gif: File too large$", check=left("r.keys")),
    Row("an MP4 whose sound is past a file size limit", ["--video", "{tmp}/o.mp4", "{tmp}/s.keys"],
        runner=True, setup=files(s_keys=SHORT), preexec=file_limit(100), exit=1, lines=1, within=5,
        stderr=r"^driftwing-replay: cannot write \S+\.o\.mp4\.part\.pcm: File too large$",
        check=left("s.keys")),
    Row("links where the part files go", ["--scale", "1", "--video", "{tmp}/o.mp4", "{tmp}/s.keys"],
        runner=True, setup=links, exit=0, lines=0, within=10, check=targets_kept),
    Row("an output that links to the recording, --force", ["--force", "--video", "{tmp}/l.gif", "{tmp}/s.keys"],
        runner=True, setup=lambda ctx: (files(s_keys=SHORT)(ctx), os.symlink("s.keys", ctx.path("l.gif"))),
        exit=2, lines=1, within=1, stderr=r"^driftwing-replay: cannot write the video \S+/l\.gif: it is the recording$",
        check=unchanged("s.keys", SHORT, "l.gif")),
    refused("an existing output without --force", ["--video", "{tmp}/x.gif", "{tmp}/s.keys"], 2,
            r"cannot write the video \S+/x\.gif: it exists already \(--force writes over it\)$",
            setup=files(s_keys=SHORT, x_gif="mine\n"), check=unchanged("x.gif", "mine\n", "s.keys")),
    refused("the recording as its own output, --force", ["--force", "--video", "{tmp}/r.gif", "{tmp}/r.gif"], 2,
            r"cannot write the video \S+/r\.gif: it is the recording$", setup=files(r_gif=SHORT),
            check=unchanged("r.gif", SHORT)),
    refused("a video of another kind", ["--video", "{tmp}/a.avi", "{tmp}/s.keys"], 2,
            r"--video makes \.mp4, \.webm or \.gif files"),
    refused("--from after --to", ["--video", "{tmp}/a.mp4", "--from", "3", "--to", "2", "{tmp}/s.keys"], 2,
            r"--from must come before --to$"),
    refused("--from past the end", ["--video", "{tmp}/a.mp4", "--from", "1.6", "{tmp}/s.keys"], 2,
            r"--from 1\.600 s is past the end of \S+/s\.keys \(1\.517 s\)$"),
    refused("a game that played out differently", ["--video", "{tmp}/a.webm", "{tmp}/d.keys"], 1,
            r"this recording played out differently", kept="d.keys",
            setup=files(d_keys=HEADER + SHORT + "# end frame 91 state 0000000000000000\n")),
    refused("no ffmpeg on the PATH", ["--video", "{tmp}/a.mp4", "{tmp}/s.keys"], 1,
            r"--video needs ffmpeg \(apt-get install ffmpeg\)$", setup=no_ffmpeg),
    # The command line: an option that takes one value, given twice (--shot aside).
    Row("the runner's --scale given twice", ["--scale", "2", "--scale", "3", "--video", "{tmp}/o.gif", "s.keys"],
        runner=True, x=False, exit=2, lines=3, within=1, stderr=usage("option --scale is given twice")),
    Row("the runner's --video given twice", ["--video", "{tmp}/a.gif", "--video", "{tmp}/b.gif", "s.keys"],
        runner=True, x=False, exit=2, lines=3, within=1, stderr=usage("option --video is given twice")),
]
