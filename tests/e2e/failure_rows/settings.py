# settings.py -- the command line spelt wrong stops before any window; a damaged, huge or
# strange settings file is named on standard error and the game starts with the defaults;
# a save that fails leaves the file as it was, and one that works keeps the rest of it.
import os
import resource
import signal
import stat

from failures_lib import Row

DISPLAY = "[display]\nscale = auto\nfullscreen = no\n"
# A file as a player might have it: comments, other sections, the library's spelling.
KEPT = "# my keys\n[keys]\nleft=a\n\n[display]\nScale=3\r\n# the window\n\n[pad]\nx = 1"


def settings(text):
    """A setup: the settings file holding text (bytes or str)."""
    def setup(ctx):
        os.makedirs(os.path.dirname(ctx.settings), exist_ok=True)
        with open(ctx.settings, "wb") as f:
            f.write(text if isinstance(text, bytes) else text.encode())
    return setup


def fifo(ctx):
    os.makedirs(os.path.dirname(ctx.settings))
    os.mkfifo(ctx.settings)


def folder_is_a_file(ctx):
    os.makedirs(os.path.join(ctx.home, ".config"))
    with open(os.path.dirname(ctx.settings), "w") as f:
        f.write("not a folder\n")


def small_files(ctx):
    """In the game's process: no file may grow past 16 KB (the settings are larger)."""
    resource.setrlimit(resource.RLIMIT_FSIZE, (16384, 16384))


def escape(ctx, size="320x300"):
    ctx.wait_window(size)
    ctx.key("Escape")


def holds(text, alone=True):
    """A check: the settings file holds exactly text; alone: nothing else in its folder."""
    def check(ctx):
        got = open(ctx.settings, "rb").read()
        if got != (text if isinstance(text, bytes) else text.encode()):
            return "the settings file holds %r" % got
        others = set(os.listdir(os.path.dirname(ctx.settings))) - {"settings.cfg"}
        if alone and others:
            return "left beside the settings: %s" % sorted(others)
    return check


def still_a_file(ctx):
    if open(os.path.dirname(ctx.settings)).read() != "not a folder\n":
        return "the file in the settings folder's place changed"


def still_a_fifo(ctx):
    if not stat.S_ISFIFO(os.lstat(ctx.settings).st_mode):
        return "the FIFO was replaced"


def pad_device_a_fifo(ctx):
    """A FIFO where the settings say the pad is: it opens, but it is no joystick."""
    os.mkfifo(ctx.path("pad"))
    settings("[pad]\ndevice = %s\n" % ctx.path("pad"))(ctx)


def no_library_config(ctx):
    """The pad's device is handed to the library without its configuration file, which it
    would write beside the program (or in the working folder) at exit."""
    for folder in (os.path.dirname(ctx.game), os.path.join(ctx.dir, "game"), ctx.home):
        for name in ("allegro.cfg", ".allegrorc"):
            path = os.path.join(folder, name)
            if os.path.exists(path) and ctx.path("pad") in open(path, errors="replace").read():
                return "the library's configuration written: %s" % path


def sound(music, effects):
    """A check: the settings file remembers these loudnesses."""
    def check(ctx):
        text = open(ctx.settings).read()
        for name, value in (("music", music), ("effects", effects)):
            if "\n%s = %d\n" % (name, value) not in text:
                return "%s is not remembered as %d: %r" % (name, value, text)
    return check


def usage(reason):
    """Standard error of a command line refused: the reason, then the usage line."""
    return r"\Adriftwing: %s\nusage: driftwing \[--scale" % reason

REMEMBERED = "[sound]\nmusic = 70\neffects = 60\n"
LARGE = KEPT + "\n" + "# a comment in a file of 20 KB\n" * 640
BIG = "# a comment long enough to make the file large\n" * 1500 + DISPLAY
FILE = r"^driftwing: \S+/\.config/driftwing/settings\.cfg"
ROWS = [
    # The command line: each a fault the reader once let through.
    Row("--record --force: a value that is an option", ["--record", "--force"], exit=2,
        stderr=usage("--record needs a value"), lines=2, within=2, x=False),
    Row("--scale given twice", ["--scale", "2", "--scale", "3"], exit=2,
        stderr=usage("'--scale' is given twice"), lines=2, within=2, x=False),
    Row("--fullscreen with --window", ["--fullscreen", "--window"], exit=2,
        stderr=usage("--fullscreen and --window do not go together"), lines=2, within=2, x=False),
    Row("--scale 9", ["--scale", "9"], exit=2,
        stderr=usage("--scale takes 1 to 8 or auto, not '9'"), lines=2, within=2, x=False),
    Row("a data folder that is not there", ["--data", "{tmp}/nowhere"], exit=1, lines=1,
        stderr=r"^driftwing: cannot load \S+/nowhere/data/main\.bmp$"),
    Row("--scale 02", ["--scale", "02"], exit=2,
        stderr=usage("--scale takes 1 to 8 or auto, not '02'"), lines=2, within=2, x=False),
    Row("--volume with --music", ["--volume", "50", "--music", "20"], exit=2,
        stderr=usage("--volume sets the music and the effects both: leave out --music and --effects"), lines=2, within=2, x=False),
    # Damaged settings: named, the default taken, the file left alone.
    Row("scale = 999 in the settings", setup=settings("[display]\nscale = 999\n"),
        action=escape, stderr=FILE + r": scale = 999 is not 1 to 8 or auto; using auto$",
        lines=1, check=holds("[display]\nscale = 999\n")),
    Row("fullscreen = maybe in the settings", setup=settings("[display]\nfullscreen = maybe\n"),
        action=escape, stderr=FILE + r": fullscreen = maybe is not yes or no; using no$",
        lines=1),
    Row("lines that are no settings, control bytes in one",
        setup=settings(b"[display\nscale = auto\n\x1b[2J" + b"x" * 60 + b"\n"), action=escape,
        stderr=FILE + r": line 1 '\[display' is not a key = value, a \[section\] or a # "
        r"comment; skipped \(and 1 more such lines\)$", lines=1),
    Row("a settings file over 64 KB", setup=settings(BIG), action=escape,
        stderr=FILE.replace("driftwing: ", "driftwing: cannot read the settings in ") +
        r": it is larger than 64 KiB; using the defaults$", lines=1, check=holds(BIG)),
    Row("a FIFO in the settings file's place", setup=fifo, action=escape,
        stderr=r"settings\.cfg: it is not a regular file; using the defaults$", lines=1,
        check=still_a_fifo),
    Row("a loudness set twice", setup=settings("[sound]\nmusic = 20\nmusic = 30\n"),
        action=escape, stderr=FILE + r": line 3: music is set again; line 2 stands$", lines=1),
    Row("a volume key given to fire", setup=settings("[keys]\nfire = OPENBRACE\n"), action=escape,
        stderr=FILE + r": line 2: OPENBRACE is quieter's key too; fire keeps SPACE$", lines=1),
    # The pad's section: a device that is no pad.
    Row("the pad's device a FIFO", setup=pad_device_a_fifo, action=escape,
        stderr=r"^driftwing: the pad's device \S+/pad is no pad the library can read \(.*joystick API.*\)$",
        lines=1, check=no_library_config),
    # Saving: whole or not at all, and the rest of the file kept.
    Row("--scale 2, the settings folder a regular file", ["--scale", "2"],
        setup=folder_is_a_file, action=lambda ctx: escape(ctx, "640x600"),
        stderr=r"^driftwing: cannot save the settings in \S+settings\.cfg: Not a directory$",
        lines=1, check=still_a_file),
    Row("--scale 1 with files limited to 16 KB", ["--scale", "1"],
        setup=settings(LARGE), preexec=small_files, action=escape,
        stderr=r"^driftwing: cannot save the settings in \S+settings\.cfg: File too large$",
        lines=1, check=holds(LARGE)),
    Row("--scale 1 --window keeps the rest of the file", ["--scale", "1", "--window"],
        setup=settings(KEPT), action=escape, lines=0,
        check=holds(KEPT.replace("Scale=3\r\n", "Scale=1\r\nfullscreen = no\n"))),
    # Each volume option sets what it names and keeps the other.
    Row("--music 30 over remembered loudnesses", ["--music", "30"],
        setup=settings(REMEMBERED), action=escape, lines=0,
        check=sound(30, 60)),
    Row("--effects 20 over remembered loudnesses", ["--effects", "20"],
        setup=settings(REMEMBERED), action=escape, lines=0,
        check=sound(70, 20)),
    Row("--volume 40 sets both", ["--volume", "40"],
        setup=settings(REMEMBERED), action=escape, lines=0,
        check=sound(40, 40)),
]
