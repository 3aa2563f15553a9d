# display.py -- the X server gone under the game, wherever it is: one line, exit code 1 within
# a second, never an abort, a segfault or a hang.
# And the window as a task switcher finds it: the desktop entry's class, the installed icon.
import os
import re
import resource
import subprocess
import time

from failures_lib import Row

LOST = r"^driftwing: lost the display$"


def killed_after(keys, size="320x300"):
    """An action: the window, the keys in turn, a moment of play, then the X server killed."""
    def act(ctx):
        ctx.wait_window(size)
        for name in keys:
            ctx.key(name)
            time.sleep(0.3)
        time.sleep(0.3)
        ctx.kill_x()
    return act


def script(ctx):
    with open(ctx.path("some.keys"), "w") as f:
        f.write("20 -\n1 S\n3000 LEFT\n")


def lost(name, args, action, setup=None):
    return Row(name, args, setup=setup, action=action, exit=1, stderr=LOST, lines=1, within=1,
               own_x=True)


def address_space(kib):
    return lambda ctx: resource.setrlimit(resource.RLIMIT_AS, (kib << 10, kib << 10))


def read_window(ctx):
    """An action: the window's class and icons as xprop reads them, then Escape."""
    window = ctx.wait_window()
    ctx.xprop = subprocess.run(["xprop", "-notype", "-f", "_NET_WM_ICON", "32c", " $0+\n",
                                "-id", window, "WM_CLASS", "_NET_WM_ICON", "WM_HINTS"],
                               env=ctx.env(), capture_output=True, text=True).stdout
    ctx.key("Escape")


def named_with_its_icon(ctx):
    """WM_CLASS is driftwing and the desktop entry's StartupWMClass; _NET_WM_ICON is the
    installed icon's size and pixels (0xAARRGGBB); WM_HINTS holds no other icon."""
    entry = os.path.join(os.path.dirname(__file__), "..", "..", "..", "packaging",
                         "io.github.driftwing.Driftwing.desktop")
    wm_class = re.search(r"^StartupWMClass=(.*)$", open(entry).read(), re.MULTILINE).group(1)
    icon = os.path.join(os.path.dirname(ctx.data), "driftwing.png")
    argb = subprocess.run(["ffmpeg", "-v", "error", "-i", icon, "-f", "rawvideo", "-pix_fmt",
                           "argb", "-"], capture_output=True, check=True).stdout
    pixels = ", ".join(str(int.from_bytes(argb[i:i + 4], "big")) for i in range(0, len(argb), 4))
    want = 'WM_CLASS = "driftwing", "%s"\n_NET_WM_ICON 64, 64, %s\n' % (wm_class, pixels)
    if not ctx.xprop.startswith(want):
        return "xprop says %r" % ctx.xprop[:200]
    hints = ctx.xprop[len(want):]
    return "the library's icon is in %r" % hints if "icon" in hints else None


ROWS = [
    Row("the window's class and icon", ["--scale", "1"], action=read_window,
        check=named_with_its_icon, lines=0),
    # 70 MB of address space: enough for the library's window of 2560 x 2400, not for the
    # enlarged frame beside it.
    Row("a picture that cannot be had", ["--scale", "8"], preexec=address_space(70000), exit=1,
        lines=1, stderr=r"^driftwing: cannot make a 2560 × 2400 picture$", sanitized=False),
    lost("X server killed while paused", ["--scale", "1"], killed_after(["s", "p"])),
    lost("X server killed fullscreen", ["--fullscreen"], killed_after([], "640x480")),
    lost("X server killed while playing a recording", ["--scale", "1", "--play", "{tmp}/some.keys"],
         killed_after([]), setup=script),
]
