#!/usr/bin/env python3
# install_test.py -- cmake --install into a scratch prefix with a space in its name, moved
# afterwards: the layout, then from another folder (whose own data/ holds something else)
# the game started by its path and through a link on PATH with an argument, quit with
# Escape, and driftwing-replay drawing the title from its installed data.
#
#   install_test.py CMAKE BUILD_DIR   the install
#   install_test.py --installed       the programs on PATH alone (the package's check)
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "e2e"), os.path.join(HERE, "..", "support")]
import pictures  # noqa: E402
from failures_lib import run_table  # noqa: E402

DATA = "share/games/driftwing/data/"
LAYOUT = ["games/driftwing", "games/driftwing-replay", "share/man/man6/driftwing.6.gz",
          "share/man/man6/driftwing-replay.6.gz", "share/doc/driftwing/copyright", "share/doc/driftwing/changelog.gz",
          "share/applications/io.github.driftwing.Driftwing.desktop",
          "share/metainfo/io.github.driftwing.Driftwing.metainfo.xml",
          "share/icons/hicolor/64x64/apps/io.github.driftwing.Driftwing.png"] + \
    [DATA + f for f in ("main.bmp", "back.bmp", "main2.bmp", "effect.wav", "fall.wav", "gmsong.wav")]


def check(prefix, games):
    # From a folder of its own whose data/ holds something else: the layout under PREFIX,
    # each of GAMES started and quit, and the replay runner's picture of the title.
    def row(ctx):
        size = lambda f: os.path.isfile(f) and os.path.getsize(f)
        missing = [f + " is not installed" for f in LAYOUT if not size(os.path.join(prefix, f))]
        os.remove(ctx.path("game/data"))
        os.mkdir(ctx.path("game/data"))
        open(ctx.path("game/data/notes.txt"), "w").write("not the game's\n")
        for ctx.game in games:
            ctx.start()
            ctx.quit(5)
        shot = subprocess.run([ctx.replay, "--shot", "1:title.bmp", "-"], cwd=ctx.path("game"), input="1 -\n",
                              capture_output=True, text=True)
        assert shot.returncode == 0, "exit %d: %s" % (shot.returncode, shot.stderr)
        return missing + pictures.title_problems(pictures.bmp_picture(ctx.path("game/title.bmp"), ctx.data), ctx.data, 1)
    return run_table("installed programs", [("from another folder", row, "1024x768x24")],
                     (None, os.path.join(prefix, LAYOUT[1]), os.path.join(prefix, DATA), None))


if __name__ == "__main__":
    if sys.argv[1] == "--installed":
        sys.exit(check(os.path.dirname(os.path.dirname(shutil.which("driftwing"))), ["driftwing"]))
    work = tempfile.mkdtemp(prefix="driftwing-install.")
    prefix, moved = os.path.join(work, "first prefix"), os.path.join(work, "moved prefix")
    subprocess.run([sys.argv[1], "--install", sys.argv[2], "--prefix", prefix], check=True, stdout=subprocess.DEVNULL)
    os.rename(prefix, moved)
    os.symlink(os.path.join(moved, LAYOUT[0]), os.path.join(work, "driftwing"))
    os.environ["PATH"] = work + os.pathsep + os.environ["PATH"]
    code = check(moved, [os.path.join(moved, LAYOUT[0]), "driftwing"])
    shutil.rmtree(work)
    sys.exit(code)
