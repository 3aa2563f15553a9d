// browser_page.js -- the page around the game: its data files, layout, keys, buttons and line
//
// Runs before the game's program starts (emcc --pre-js). It fetches the six data files into
// the program's file system, keeps the frame at the largest whole scale that fits, queues
// the keys for the platform (browser.js) and shows the page's one message line.

// The page's state, shared with the platform's functions in browser.js.
var DW = {
  frameWidth: 320, frameHeight: 300, bandRows: 15,
  fixedScale: 0,    // 0: the largest whole scale that fits; else the game's choice
  scale: 1, band: false, fullscreen: false,
  keyOf: {},        // KeyboardEvent.code -> Allegro's KEY_ number, filled by the platform
  events: [],       // [kind, alt, key] not yet read by the game, oldest first
  maxEvents: 1024,
  buttons: 0,       // the recording buttons pressed since the game last looked
  dropped: [],      // File objects dropped on the page, oldest first
  audio: null,      // Web Audio, made on the first key or click (browser.js)
  music: null,      // the music started before then, kept for it
  loudness: null,   // the player's loudness [music, effects] as last asked
  makeAudio: null,  // makes it (browser.js)
  // The last frames' work and the time between their starts, in milliseconds.
  times: {work: new Float64Array(4096), intervals: new Float64Array(4096), count: 0},
  frames: 0,        // frames the game has shown
  images: {},       // ImageData over the frame's and the band's colours, by address
  bandDrawn: false, // the band canvas holds a line
  padSeen: false,   // the browser has announced a gamepad
  element: function (id) { return document.getElementById(id); },
};

// The four kinds of InputEvent (platform.h).
DW.KeyDown = 0; DW.KeyUp = 1; DW.Close = 2; DW.FocusLost = 3;

// Shows TEXT on the page's message line; called by the game (browserShowMessage) and for
// anything that stops the page.
DW.say = function (text) {
  var line = DW.element('line');
  if (line) line.textContent = text;
};

// An event for the game's next readInput; the oldest go when the game has not looked for a
// long time (a hidden tab).
DW.queue = function (kind, alt, key) {
  if (DW.events.length >= DW.maxEvents) DW.events.shift();
  DW.events.push([kind, alt ? 1 : 0, key]);
};

// Every resize, fullscreen change and start: the frame (and the band below it, where there is
// room) at a whole number of device pixels a game pixel.
DW.layout = function () {
  var area = DW.element('game'), frame = DW.element('frame'), band = DW.element('band');
  if (!area || !frame) return;
  var ratio = window.devicePixelRatio || 1;
  var width = area.clientWidth * ratio, height = area.clientHeight * ratio;
  var fits = Math.max(1, Math.floor(Math.min(width / DW.frameWidth, height / DW.frameHeight)));
  DW.scale = DW.fixedScale > 0 ? DW.fixedScale : fits;
  DW.band = height >= (DW.frameHeight + DW.bandRows) * DW.scale;
  frame.style.width = DW.frameWidth * DW.scale / ratio + 'px';
  frame.style.height = DW.frameHeight * DW.scale / ratio + 'px';
  if (band) {
    band.style.display = DW.band ? 'block' : 'none';
    band.style.width = frame.style.width;
    band.style.height = DW.bandRows * DW.scale / ratio + 'px';
  }
};

// The first key or click lets the page make sound (browsers start Web Audio suspended).
DW.unlockAudio = function () {
  if (!DW.audio && DW.makeAudio) DW.makeAudio();
  if (DW.audio && DW.audio.context.state === 'suspended') DW.audio.context.resume();
};

// Keys: Allegro's number for the key's place on the keyboard, queued with both edges; the
// browser's own use of a game key (scrolling, F12's tools, Space on a button) is stopped.
// A key pressed with Ctrl or Meta, and F5, stays the browser's; every release is the
// game's, so that no key stays down in it.
DW.held = {};
DW.onKey = function (event) {
  DW.unlockAudio();
  var key = DW.keyOf[event.code];
  if (!key) return;
  var browsers = event.ctrlKey || event.metaKey || event.code === 'F5';
  if (!browsers) event.preventDefault();
  if (event.type === 'keyup') {
    if (DW.held[key]) DW.queue(DW.KeyUp, false, key);
    delete DW.held[key];
  } else if (!browsers && !event.repeat) {
    DW.held[key] = true;
    DW.queue(DW.KeyDown, event.altKey, key);
  }
};

// The page losing the keyboard or going out of sight pauses a game, as a window's focus does:
// the keys held are let go, then the game is told, once until the page has the keyboard and
// is in sight again.
DW.onFocus = function (event) {
  var lost = event.type === 'blur' || document.visibilityState === 'hidden';
  if (document.visibilityState === 'hidden') DW.keepSettings();
  if (lost && !DW.focusLost) {
    for (var key in DW.held) DW.queue(DW.KeyUp, false, Number(key));
    DW.held = {};
    DW.queue(DW.FocusLost, false, 0);
  }
  DW.focusLost = lost;
};

DW.start = function () {
  window.addEventListener('keydown', DW.onKey, true);
  window.addEventListener('keyup', DW.onKey, true);
  window.addEventListener('blur', DW.onFocus);
  window.addEventListener('focus', DW.onFocus);
  document.addEventListener('visibilitychange', DW.onFocus);
  window.addEventListener('pagehide', function () { DW.keepSettings(); });
  window.addEventListener('pointerdown', DW.unlockAudio, true);
  window.addEventListener('resize', DW.layout);
  window.addEventListener('gamepadconnected', function () { DW.padSeen = true; });
  document.addEventListener('fullscreenchange', function () {
    DW.fullscreen = document.fullscreenElement === DW.element('game');
    DW.layout();
  });
  // A recording dropped anywhere on the page (the game reads it; the browser must not open it).
  window.addEventListener('dragover', function (event) { event.preventDefault(); });
  window.addEventListener('drop', function (event) {
    event.preventDefault();
    var files = event.dataTransfer ? event.dataTransfer.files : [];
    for (var i = 0; i < files.length; ++i) DW.dropped.push(files[i]);
  });
  var press = function (id, action) {
    var button = DW.element(id);
    if (!button) return;
    button.addEventListener('click', function () {
      DW.unlockAudio();
      action();
      button.blur();  // keys go to the game, not to the button
    });
  };
  press('fullscreen', function () {
    var area = DW.element('game');
    if (document.fullscreenElement) document.exitFullscreen();
    else if (area.requestFullscreen) area.requestFullscreen().catch(function () {
      DW.say('The browser refused fullscreen.');
    });
  });
  press('save', function () { DW.buttons |= 1; });
  press('link', function () { DW.buttons |= 2; });
  window.addEventListener('hashchange', function () { DW.buttons |= 4; });
  DW.layout();
};

// The six data files, fetched side by side into /data before the game starts. One that
// cannot be had is left out: the game then names it, as on the desktop.
DW.dataFiles = ['main.bmp', 'back.bmp', 'main2.bmp', 'effect.wav', 'fall.wav', 'gmsong.wav'];
DW.fetchData = function () {
  FS.mkdir('/data');
  DW.dataFiles.forEach(function (name) {
    addRunDependency('data/' + name);
    fetch('data/' + name).then(function (response) {
      if (!response.ok) throw new Error('HTTP ' + response.status);
      return response.arrayBuffer();
    }).then(function (bytes) {
      FS.writeFile('/data/' + name, new Uint8Array(bytes));
    }).catch(function (why) {
      console.error('data/' + name + ': ' + why);
    }).finally(function () {
      removeRunDependency('data/' + name);
    });
  });
};

// The player's settings (the loudness) kept by the browser between visits: the settings
// file the game writes, put back before it starts and taken whenever the page is hidden or
// left. Where the browser keeps nothing, the game starts with its defaults.
DW.settingsFile = '/home/web_user/.config/driftwing/settings.cfg';
DW.restoreSettings = function () {
  var kept = null;
  try { kept = localStorage.getItem('driftwing-settings'); } catch (e) { kept = null; }
  if (kept === null) return;
  FS.mkdirTree(DW.settingsFile.replace(/\/[^/]*$/, ''));
  FS.writeFile(DW.settingsFile, kept);
};
DW.keepSettings = function () {
  try { localStorage.setItem('driftwing-settings', FS.readFile(DW.settingsFile, {encoding: 'utf8'})); } catch (e) { }
};

Module.preRun = [DW.fetchData, DW.restoreSettings];
Module.print = function (text) { console.log(text); };
// The game's error lines (standard error on the desktop) show on the page too, but for
// the runtime's own after the game stopped.
Module.printErr = function (text) {
  console.error(text);
  if (!DW.stopped) DW.say(String(text).replace(/^driftwing: /, ''));
};
Module.onAbort = function (what) {
  DW.stopped = true;
  var why = String(what).replace(/^RuntimeError: /, '').replace(/^Aborted\((.*)\)$/, '$1')
    .replace(/\. Build with -s ASSERTIONS=1 for more info\.$/, '');
  if (/fetching of the wasm failed/.test(why)) why = 'driftwing.wasm could not be loaded';
  DW.say('The game stopped: ' + why);
};

// An error the page's code did not expect leaves the game's loop stopped: the line says so,
// rather than leaving a picture that no longer moves.
window.addEventListener('error', function (event) {
  if (DW.stopped) return;
  DW.stopped = true;
  DW.say('The game stopped: ' + event.message);
});

// What the tests and benchmarks read from the page. A test may also set
// window.driftwingOnFrame before the page's script runs: it is called with each frame's
// number as the frame is shown.
window.driftwing = {
  frames: function () { return DW.frames; },
  // Milliseconds from the start of the page's navigation to its first frame shown.
  firstFrame: function () { return DW.firstFrameAt; },
  // The last N frames' work and the intervals between their starts, in milliseconds.
  frameTimes: function (n) {
    var t = DW.times, have = Math.min(n, t.count, t.work.length), work = [], intervals = [];
    for (var i = t.count - have; i < t.count; ++i) {
      work.push(t.work[i % t.work.length]);
      intervals.push(t.intervals[i % t.intervals.length]);
    }
    return {work: work, intervals: intervals};
  },
  scale: function () { return DW.scale; },
};

if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', DW.start);
else DW.start();
