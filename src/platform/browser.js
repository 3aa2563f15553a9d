// browser.js -- the browser platform's JavaScript half: canvas, keys, pad, Web Audio, waits
//
// Linked with emcc --js-library. Each dw_ function is called by browser.cpp or by the
// browser's Allegro drivers; the page's state (DW) comes from browser_page.js.
mergeInto(LibraryManager.library, {
  // The platform opens: the frame's and the band's sizes, the game's scale (0: the largest
  // that fits). Web Audio is made at the first key or click, when the page may make sound
  // (making it takes a third of a second in some browsers). 0: no canvas.
  dw_open__deps: ['$DWAudio', '$DWSleep'],
  dw_open: function (frameWidth, frameHeight, bandRows, scale) {
    var frame = DW.element('frame'), band = DW.element('band');
    if (!frame || !frame.getContext) return 0;
    DW.frameWidth = frameWidth; DW.frameHeight = frameHeight; DW.bandRows = bandRows;
    DW.fixedScale = scale;
    frame.width = frameWidth; frame.height = frameHeight;
    // Desynchronized: the browser shows the canvas as it is drawn, not through the page's
    // next picture; a frame's putImageData takes about half the time (0.06 ms, not 0.11).
    DW.frameContext = frame.getContext('2d', {alpha: false, desynchronized: true});
    if (band) {
      band.width = frameWidth; band.height = bandRows;
      DW.bandContext = band.getContext('2d', {alpha: false});
    }
    DW.makeAudio = DWAudio.make;
    DW.channel = new MessageChannel();
    DW.channel.port1.onmessage = DWSleep.step;
    DW.layout();
    DW.say('');
    return 1;
  },

  // One key of the table in browser.cpp: the KeyboardEvent.code of a key's place and
  // Allegro's number for it.
  dw_map_key: function (code, key) {
    DW.keyOf[UTF8ToString(code)] = key;
  },

  dw_set_title: function (title) {
    document.title = UTF8ToString(title);
  },

  dw_show_message: function (text) {
    DW.say(UTF8ToString(text));
  },

  // The screen's size in device pixels, for Allegro's get_desktop_resolution.
  dw_desktop_size: function (width, height) {
    var ratio = window.devicePixelRatio || 1;
    HEAP32[width >> 2] = Math.round(screen.width * ratio);
    HEAP32[height >> 2] = Math.round(screen.height * ratio);
  },

  // A finished frame (RGBA, frameWidth x frameHeight) into the canvas, and the band below
  // it (RGBA, or 0 for black: made black once, when it held a line). The pictures over the
  // program's memory are made again only when it has grown. (What this code, and the waits
  // and reads below, make for a frame is kept for the next; a frame still leaves the
  // collector Emscripten's closures for the sleep and the message that wakes the wait.)
  dw_present__deps: ['$DWImage'],
  dw_present: function (frame, band) {
    DW.frameContext.putImageData(DWImage(frame, DW.frameHeight), 0, 0);
    if (DW.bandContext && DW.band) {
      if (band) {
        DW.bandContext.putImageData(DWImage(band, DW.bandRows), 0, 0);
      } else if (DW.bandDrawn) {
        DW.bandContext.fillStyle = '#000';
        DW.bandContext.fillRect(0, 0, DW.frameWidth, DW.bandRows);
      }
      DW.bandDrawn = !!band;
    }
    DW.presentedAt = performance.now();
    if (!DW.frames) DW.firstFrameAt = DW.presentedAt;
    DW.frames += 1;
    if (window.driftwingOnFrame) window.driftwingOnFrame(DW.frames);  // a test's look at it
  },

  $DWImage: function (at, rows) {
    var kept = DW.images[at];
    if (!kept || kept.data.buffer !== HEAPU8.buffer) {
      var bytes = new Uint8ClampedArray(HEAPU8.buffer, at, DW.frameWidth * rows * 4);
      kept = DW.images[at] = new ImageData(bytes, DW.frameWidth, rows);
    }
    return kept;
  },

  // Back to an empty page before a start-up failure's line: the canvas black.
  dw_leave: function () {
    if (!DW.frameContext) return;
    DW.frameContext.fillStyle = '#000';
    DW.frameContext.fillRect(0, 0, DW.frameWidth, DW.frameHeight);
  },

  // Up to ROOM queued events into EVENTS (kind, alt, key: three ints each); how many.
  dw_read_input: function (events, room) {
    var n = Math.min(room, DW.events.length);
    for (var i = 0; i < n; ++i) {
      var e = DW.events[i];
      HEAP32[(events >> 2) + 3 * i] = e[0];
      HEAP32[(events >> 2) + 3 * i + 1] = e[1];
      HEAP32[(events >> 2) + 3 * i + 2] = e[2];
    }
    if (n === DW.events.length) DW.events.length = 0;
    else DW.events.splice(0, n);
    return n;
  },

  // The first pad's stick and D-pad (bits 0-3: left, right, up, down) and its buttons
  // (bit n: button n + 1), into STATE[0] and STATE[1].
  // The pads are asked for only once the browser has announced one (gamepadconnected).
  dw_read_pad: function (state) {
    if (!DW.padSeen || !navigator.getGamepads) {
      HEAPU32[state >> 2] = HEAPU32[(state >> 2) + 1] = 0;
      return;
    }
    var pads = navigator.getGamepads(), pad = null;
    for (var i = 0; i < pads.length && !pad; ++i) if (pads[i] && pads[i].connected) pad = pads[i];
    var directions = 0, buttons = 0;
    if (pad) {
      var x = pad.axes.length > 0 ? pad.axes[0] : 0, y = pad.axes.length > 1 ? pad.axes[1] : 0;
      var held = function (n) { return n < pad.buttons.length && pad.buttons[n].pressed; };
      // The standard mapping's D-pad is buttons 12 to 15: up, down, left, right.
      var standard = pad.mapping === 'standard';
      if (x < -0.5 || (standard && held(14))) directions |= 1;
      if (x > 0.5 || (standard && held(15))) directions |= 2;
      if (y < -0.5 || (standard && held(12))) directions |= 4;
      if (y > 0.5 || (standard && held(13))) directions |= 8;
      for (var b = 0; b < Math.min(32, pad.buttons.length); ++b) if (held(b)) buttons |= 1 << b;
    }
    HEAPU32[state >> 2] = directions;
    HEAPU32[(state >> 2) + 1] = buttons >>> 0;
  },

  // Waits until performance.now() reaches TARGET (milliseconds), always letting the page
  // draw and take its events first, however late the frame is. One timer wakes it half a
  // millisecond to a millisecond and a half early, and the rest is spun, so that no drawing
  // of the page's starts within it. (A timer of less than a millisecond is never asked for:
  // the sixth of a chain of them is held back 4 ms. Waiting out the rest in messages to the
  // page itself let the page's drawing start in it, two to six milliseconds late. A spin of
  // 1.5 to 2.5 ms kept the frames as close to their times, but the page's thread took half
  // as much again of the processor, and a thread that has spun that long is the one the
  // system takes a core from: the frame's work after it was slower at p99.) Notes each
  // frame's work (from the last wake to its picture's present) and the time between frame
  // starts. The sounds' nodes for the next frames are made as the wait begins.
  dw_sleep_until__deps: ['$Asyncify', '$DWSleep', '$DWAudio'],
  dw_sleep_until: function (target) {
    DWSleep.target = target;
    return Asyncify.handleSleep(DWSleep.begin);
  },
  $DWSleep: {
    target: 0, asleep: 0, wakeUp: null,
    begin: function (wakeUp) {
      DWSleep.wakeUp = wakeUp;
      DWSleep.asleep = performance.now();
      DW.channel.port2.postMessage(0);
      if (DW.audio) DWAudio.stock();
    },
    step: function () {
      var now = performance.now(), left = DWSleep.target - now;
      if (left >= 2) {
        setTimeout(DWSleep.step, Math.floor(left - 0.5));
        return;
      }
      while (now < DWSleep.target) now = performance.now();
      var t = DW.times;
      if (DW.frameStart !== undefined) {
        var shown = DW.presentedAt > DW.frameStart ? DW.presentedAt : DWSleep.asleep;
        t.work[t.count % t.work.length] = shown - DW.frameStart;
        t.intervals[t.count % t.intervals.length] = now - DW.frameStart;
        t.count += 1;
      }
      DW.frameStart = now;
      DWSleep.wakeUp();
    },
  },

  // Starts a sound. The sample (Allegro's unsigned 8- or 16-bit, mono or interleaved stereo)
  // becomes an AudioBuffer once; each side's gain is Allegro's mixer's linear pan law at
  // VOLUME; the rate is FREQUENCY / 1000 of its own. A looping sound is the music, in place
  // of any before it. Effects before the page may make sound are dropped; the music before
  // it is kept (DW.music) and starts when Web Audio is made.
  dw_sample__deps: ['$DWAudio'],
  dw_sample: function (data, bits, stereo, rate, length, volume, pan, frequency, loop) {
    var audio = DW.audio;
    if (length <= 0 || (!loop && !(audio && audio.context.state === 'running'))) return;
    // AudioBuffers take 3000 to 768000 samples a second: outside, the rate makes up for it.
    var stored = Math.min(768000, Math.max(3000, rate));
    var voice = {buffer: null, rate: frequency / 1000 * rate / stored, volume: volume, pan: pan,
                 offset: 0, source: null, startedAt: 0};
    var key = data + ':' + bits + ':' + stereo + ':' + rate + ':' + length;
    if (!audio) {
      DW.music = {key: key, sides: DWAudio.samples(data, bits, stereo, length), stored: stored, voice: voice,
                  held: false};
      return;
    }
    voice.buffer = audio.buffers.get(key);
    if (!voice.buffer) {
      voice.buffer = DWAudio.buffer(DWAudio.samples(data, bits, stereo, length), stored);
      audio.buffers.set(key, voice.buffer);
      // A new session loads its sounds again, elsewhere: the oldest buffers go.
      if (audio.buffers.size > 8) audio.buffers.delete(audio.buffers.keys().next().value);
    }
    if (loop) {
      if (audio.voice && audio.voice.source) audio.voice.source.stop();
      audio.voice = voice;
    }
    DWAudio.start(voice, loop ? audio.music : audio.effects, loop);
  },

  $DWAudio: {
    // Web Audio, made once: the two buses at the player's loudness, and the music kept
    // before it, started (or held, if the game holds it).
    make: function () {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!Context || DW.audio) return;
      var context = new Context();
      var bus = function (loudness) {
        var gain = context.createGain();
        gain.gain.value = loudness / 100;
        gain.connect(context.destination);
        return gain;
      };
      var loudness = DW.loudness || [100, 100], music = DW.music;
      DW.audio = {context: context, music: bus(loudness[0]), effects: bus(loudness[1]), buffers: new Map(), voice: null,
                  routes: [], sources: []};
      DW.music = null;
      if (!music) return;
      music.voice.buffer = DWAudio.buffer(music.sides, music.stored);
      DW.audio.buffers.set(music.key, music.voice.buffer);  // the next start of the music finds it
      DW.audio.voice = music.voice;
      if (!music.held) DWAudio.start(music.voice, DW.audio.music, true);
    },
    // Allegro's unsigned 8- or 16-bit samples (interleaved when stereo) as -1..1, a side each.
    samples: function (data, bits, stereo, length) {
      var channels = stereo ? 2 : 1, sides = [], n = length * channels;
      for (var c = 0; c < channels; ++c) sides.push(new Float32Array(length));
      if (bits === 8) {
        var bytes = HEAPU8.subarray(data, data + n);
        for (var i = 0; i < n; ++i) sides[i % channels][(i / channels) | 0] = (bytes[i] - 128) / 128;
      } else {
        var words = HEAPU16.subarray(data >> 1, (data >> 1) + n);
        for (var j = 0; j < n; ++j) sides[j % channels][(j / channels) | 0] = (words[j] - 32768) / 32768;
      }
      return sides;
    },
    buffer: function (sides, stored) {
      var buffer = DW.audio.context.createBuffer(sides.length, sides[0].length, stored);
      sides.forEach(function (side, c) { buffer.copyToChannel(side, c); });
      return buffer;
    },
    // Allegro's mixer: each side linear in the pan, a centred sound at half on both.
    sides: function (volume, pan) {
      var left = volume * (255 - pan), right = volume * pan;
      left += left >> 7;
      right += right >> 7;
      return [Math.min(left, 65535) / 65536, Math.min(right, 65535) / 65536];
    },
    // Ways into a bus: a gain for each side (a stereo sound's sides parted before them), into
    // a merger. Each is kept for the next sound when its sound ends, and sources and ways
    // for the next sounds are made between frames (stock): making and joining nodes waits
    // for the audio thread, and a sound's start took up to milliseconds of its frame.
    // The first way into BUS that no sound plays on, made if there is none.
    route: function (bus, after) {
      var routes = DW.audio.routes, context = DW.audio.context;
      for (var i = after || 0; i < routes.length; ++i) if (!routes[i].source && routes[i].bus === bus) return routes[i];
      var route = {bus: bus, source: null, parts: context.createChannelSplitter(2), left: context.createGain(),
                   right: context.createGain()}, merger = context.createChannelMerger(2);
      route.parts.connect(route.left, 0);
      route.parts.connect(route.right, 1);
      route.left.connect(merger, 0, 0);
      route.right.connect(merger, 0, 1);
      merger.connect(bus);
      routes.push(route);
      return route;
    },
    // Four sources for the next sounds (making one takes a tenth of a millisecond, more than
    // all the rest of a start), two free ways into the effects' bus and one into the music's.
    stock: function () {
      var audio = DW.audio;
      while (audio.sources.length < 4) audio.sources.push(audio.context.createBufferSource());
      DWAudio.route(audio.effects, audio.routes.indexOf(DWAudio.route(audio.effects)) + 1);
      DWAudio.route(audio.music);
    },
    // Plays VOICE into BUS from its offset (seconds into its buffer).
    start: function (voice, bus, loop) {
      var context = DW.audio.context, route = DWAudio.route(bus);
      var source = DW.audio.sources.pop() || context.createBufferSource();
      source.buffer = voice.buffer;
      source.loop = loop;
      source.playbackRate.value = voice.rate;
      var gains = DWAudio.sides(voice.volume, voice.pan);
      route.left.gain.value = gains[0];
      route.right.gain.value = gains[1];
      if (voice.buffer.numberOfChannels === 2) {
        source.connect(route.parts);
      } else {
        source.connect(route.left);
        source.connect(route.right);
      }
      route.source = source;
      source.onended = function () {
        source.disconnect();
        if (route.source === source) route.source = null;
      };
      voice.source = source;
      voice.startedAt = context.currentTime;
      source.start(0, voice.offset);
    },
  },

  // The player's loudness (0..100) for the music and for the effects, at once.
  dw_loudness: function (music, effects) {
    DW.loudness = [music, effects];
    if (!DW.audio) return;
    DW.audio.music.gain.value = music / 100;
    DW.audio.effects.gain.value = effects / 100;
  },

  // The music held where it is (a pause) or going on from there; asked again and again (each
  // tick of a watched recording), it changes only what changes.
  dw_hold_music__deps: ['$DWAudio'],
  dw_hold_music: function (held) {
    var audio = DW.audio, voice = audio ? audio.voice : null;
    if (!audio && DW.music) DW.music.held = !!held;
    if (!voice || !!held === !voice.source) return;
    if (held) {
      var played = (audio.context.currentTime - voice.startedAt) * voice.rate;
      voice.offset = (voice.offset + played) % voice.buffer.duration;
      voice.source.stop();
      voice.source = null;
    } else {
      DWAudio.start(voice, audio.music, true);
    }
  },

  // Into the browser's fullscreen (the game's area only) or out of it; 1 when it is so.
  dw_set_fullscreen__deps: ['$Asyncify'],
  dw_set_fullscreen: function (wanted) {
    return Asyncify.handleSleep(function (wakeUp) {
      var area = DW.element('game'), answered = false;
      var answer = function () {
        if (answered) return;
        answered = true;
        DW.fullscreen = document.fullscreenElement === area;
        DW.layout();
        wakeUp(DW.fullscreen === !!wanted ? 1 : 0);
      };
      var asked = null;
      if (!!wanted !== DW.fullscreen) {
        if (wanted && area && area.requestFullscreen) asked = area.requestFullscreen();
        else if (!wanted && document.exitFullscreen) asked = document.exitFullscreen();
      }
      if (asked) asked.then(answer, answer);
      // A browser that never answers (a denied request can stay pending) leaves it as it was.
      setTimeout(answer, asked ? 2000 : 0);
    });
  },

  // The screen now: SCREEN[0] scale, [1] fullscreen, [2] room for the band.
  dw_screen: function (screen) {
    HEAP32[screen >> 2] = DW.scale;
    HEAP32[(screen >> 2) + 1] = DW.fullscreen ? 1 : 0;
    HEAP32[(screen >> 2) + 2] = DW.band ? 1 : 0;
  },
});
