#!/usr/bin/env python3
# install_test.py -- cmake --install into a scratch prefix with a space in its name, moved
# afterwards: the layout, then from another folder (whose own data/ holds something else)
# the game started by its path and through a link on PATH, quit with Escape, and
# driftwing-replay drawing the title from its installed data.
#
#   install_test.py CMAKE BUILD_DIR   the install
#   install_test.py --installed       the programs on PATH alone (the package's check)
import gzip
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "e2e"), os.path.join(HERE, "..", "support")]
import pictures  # noqa: E402
from failures_lib import Context, Xvfb, report  # noqa: E402

LAYOUT = ["games/driftwing", "games/driftwing-replay", "share/man/man6/driftwing.6.gz",
          "share/man/man6/driftwing-replay.6.gz", "share/doc/driftwing/copyright",
          "share/doc/driftwing/changelog.gz", "share/applications/io.github.driftwing.Driftwing.desktop",
          "share/metainfo/io.github.driftwing.Driftwing.metainfo.xml",
          "share/icons/hicolor/64x64/apps/io.github.driftwing.Driftwing.png"] + \
    ["share/games/driftwing/data/" + f for f in ("main.bmp", "back.bmp", "main2.bmp", "effect.wav", "fall.wav", "gmsong.wav")]


def played(games, replay, data):
    """Each of GAMES started in a folder of its own and quit; REPLAY's shot of frame 1 there."""
    xvfb = Xvfb("1024x768x24")
    ctx = Context((None, replay, data, None), xvfb.display)
    try:
        os.remove(ctx.path("game/data"))
        os.mkdir(ctx.path("game/data"))
        open(ctx.path("game/data/notes.txt"), "w").write("not the game's\n")
        for ctx.game in games:
            ctx.start()
            ctx.quit(5)
        shot = subprocess.run([replay, "--shot", "1:title.bmp", "-"], cwd=ctx.path("game"), input="1 -\n",
                              capture_output=True, text=True)
        assert shot.returncode == 0, "%s: exit %d: %s" % (replay, shot.returncode, shot.stderr)
        found = pictures.title_problems(pictures.bmp_picture(ctx.path("game/title.bmp"), data), data, 1)
        assert not found, "%s --shot: %s" % (replay, found)
        return []
    except (AssertionError, subprocess.SubprocessError) as e:
        return [str(e)]
    finally:
        ctx.cleanup()
        xvfb.stop()


def main(cmake, build=None):
    if cmake == "--installed":
        root = os.path.dirname(os.path.dirname(shutil.which("driftwing")))
        return report("installed programs", played(["driftwing"], shutil.which("driftwing-replay"),
                                                   os.path.join(root, "share/games/driftwing/data")))
    work = tempfile.mkdtemp(prefix="driftwing-install.")
    try:
        prefix = os.path.join(work, "first prefix")
        subprocess.run([cmake, "--install", build, "--prefix", prefix], check=True, capture_output=True)
        failures = ["%s is not installed" % f for f in LAYOUT
                    if not os.path.isfile(os.path.join(prefix, f)) or not os.path.getsize(os.path.join(prefix, f))]
        page = gzip.open(os.path.join(prefix, LAYOUT[3])).read()
        if not page.startswith(b".TH DRIFTWING\\-REPLAY 6"):
            failures.append("driftwing-replay.6: %r" % page[:80])
        moved = os.path.join(work, "moved prefix")
        os.rename(prefix, moved)
        os.symlink(os.path.join(moved, LAYOUT[0]), os.path.join(work, "driftwing"))
        os.environ["PATH"] = work + os.pathsep + os.environ["PATH"]
        failures += played([os.path.join(moved, "games", "driftwing"), "driftwing"],
                           os.path.join(moved, LAYOUT[1]), os.path.join(moved, "share/games/driftwing/data"))
    except (OSError, subprocess.CalledProcessError) as e:
        failures = [str(e)]
    finally:
        shutil.rmtree(work)
    return report("installed game", failures)


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
