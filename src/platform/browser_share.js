// browser_share.js -- what the page offers around the game: its buttons, downloads, the
// page's address, the clipboard, a recording deflated into a link and inflated from one, and
// files dropped on the page.
//
// Linked with emcc --js-library beside browser.js; the page's state (DW) comes from
// browser_page.js.
mergeInto(LibraryManager.library, {
  // The page's buttons pressed since the last call (PageButton bits).
  dw_take_buttons: function () {
    var pressed = DW.buttons;
    DW.buttons = 0;
    return pressed;
  },

  dw_download: function (name, bytes, size, type) {
    var blob = new Blob([HEAPU8.slice(bytes, bytes + size)], {type: UTF8ToString(type)});
    var link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = UTF8ToString(name);
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 60000);
  },

  // Results of the calls below are held in DW.result (bytes) and DW.resultName until the
  // C++ side copies them out with dw_copy_result.
  dw_result_length: function () {
    return DW.result ? DW.result.length : 0;
  },

  dw_copy_result: function (to) {
    if (DW.result) HEAPU8.set(DW.result, to);
    DW.result = null;
  },

  // The address's part after '#', as UTF-8 in DW.result; its length.
  dw_location_hash: function () {
    var hash = window.location.hash.replace(/^#/, '');
    DW.result = new TextEncoder().encode(hash);
    return DW.result.length;
  },

  // The page's whole address, as UTF-8 in DW.result; its length.
  dw_address: function () {
    DW.result = new TextEncoder().encode(window.location.href);
    return DW.result.length;
  },

  dw_set_location_hash: function (hash) {
    var text = UTF8ToString(hash);
    var address = window.location.href.replace(/#.*$/, '') + (text ? '#' + text : '');
    history.replaceState(history.state, '', address);
  },

  dw_copy_text__deps: ['$Asyncify'],
  dw_copy_text: function (text) {
    var value = UTF8ToString(text);
    return Asyncify.handleSleep(function (wakeUp) {
      // The older way, for pages the Clipboard API refuses.
      var byCommand = function () {
        var area = document.createElement('textarea');
        area.value = value;
        document.body.appendChild(area);
        area.select();
        var copied = false;
        try { copied = document.execCommand('copy'); } catch (e) { copied = false; }
        area.remove();
        wakeUp(copied ? 1 : 0);
      };
      if (navigator.clipboard && navigator.clipboard.writeText) {
        navigator.clipboard.writeText(value).then(function () { wakeUp(1); }, byCommand);
      } else {
        byCommand();
      }
    });
  },

  // SIZE bytes at BYTES, deflated (raw) and in base64url without padding, in DW.result;
  // its length.
  dw_deflate__deps: ['$Asyncify'],
  dw_deflate: function (bytes, size) {
    var input = HEAPU8.slice(bytes, bytes + size);
    return Asyncify.handleSleep(function (wakeUp) {
      var stream = new Blob([input]).stream().pipeThrough(new CompressionStream('deflate-raw'));
      new Response(stream).arrayBuffer().then(function (packed) {
        var bytes = new Uint8Array(packed), text = '';
        for (var i = 0; i < bytes.length; i += 0x8000)
          text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
        var url = btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
        DW.result = new TextEncoder().encode(url);
        wakeUp(DW.result.length);
      }, function () {
        DW.result = null;
        wakeUp(-1);
      });
    });
  },

  // TEXT (base64url) inflated into DW.result, at most MAX_BYTES of it. Returns 0, or 1: no
  // base64url, 2: damaged or cut, 3: over MAX_BYTES.
  dw_inflate__deps: ['$Asyncify'],
  dw_inflate: function (text, maxBytes) {
    var value = UTF8ToString(text);
    return Asyncify.handleSleep(function (wakeUp) {
      DW.result = null;
      if (!/^[A-Za-z0-9_-]*={0,2}$/.test(value) || value.replace(/=+$/, '').length % 4 === 1) {
        wakeUp(1);
        return;
      }
      var binary = atob(value.replace(/-/g, '+').replace(/_/g, '/').replace(/=+$/, '') +
                        '==='.slice((value.replace(/=+$/, '').length + 3) % 4));
      var packed = new Uint8Array(binary.length);
      for (var i = 0; i < binary.length; ++i) packed[i] = binary.charCodeAt(i);
      var reader = new Blob([packed]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
      var parts = [], total = 0;
      var read = function () {
        reader.read().then(function (chunk) {
          if (chunk.done) {
            var all = new Uint8Array(total), at = 0;
            parts.forEach(function (part) { all.set(part, at); at += part.length; });
            DW.result = all;
            wakeUp(0);
            return;
          }
          total += chunk.value.length;
          if (total > maxBytes) {
            reader.cancel();
            wakeUp(3);
            return;
          }
          parts.push(chunk.value);
          read();
        }, function () { wakeUp(2); });
      };
      read();
    });
  },

  dw_dropped_waiting: function () {
    return DW.dropped.length;
  },

  // The oldest file dropped on the page and not yet taken: its bytes in DW.result (none
  // when it holds over MAX_BYTES: it is not read) and its name in DW.resultName; their
  // lengths in LENGTHS[0] and [1], and 1 in [2] when it was too large. 0: none.
  dw_take_dropped__deps: ['$Asyncify'],
  dw_take_dropped: function (maxBytes, lengths) {
    return Asyncify.handleSleep(function (wakeUp) {
      var file = DW.dropped.shift();
      if (!file) {
        wakeUp(0);
        return;
      }
      var name = new TextEncoder().encode(file.name), large = file.size > maxBytes;
      var taken = function (bytes) {
        DW.result = new Uint8Array(bytes);
        DW.resultName = name;
        HEAP32[lengths >> 2] = DW.result.length;
        HEAP32[(lengths >> 2) + 1] = name.length;
        HEAP32[(lengths >> 2) + 2] = large ? 1 : 0;
        wakeUp(1);
      };
      if (large) taken(new ArrayBuffer(0));
      else file.arrayBuffer().then(taken, function () { taken(new ArrayBuffer(0)); });
    });
  },

  dw_copy_result_name: function (to) {
    if (DW.resultName) HEAPU8.set(DW.resultName, to);
    DW.resultName = null;
  },
});
