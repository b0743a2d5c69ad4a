// The JavaScript half of Velmor's web backend, linked in with --js-library:
// what the C++ half calls (the canvas, the clock, the cursor, the waits), and
// what the page calls to hand the program its messages (Module.velmor*).
//
// The program runs on the page's one thread. While platform_get_message has
// nothing to return, the program sleeps (Asyncify) and the browser runs the
// page; a message queued by the page, or the time of the next timer tick,
// wakes it.

mergeInto(LibraryManager.library, {
  $WebPage: {
    wake: null,    // resumes the wait of platform_get_message, once
    restart: null, // resumes main's wait between two runs
    running: false,
    timeout: 0,    // ends that wait when the next tick falls due
    context: null,
    picture: [0, 0], // the size of the latest picture presented

    // Queues a message through one of the exported C++ calls, then lets the
    // sleeping program take it. False while no program runs.
    post: function(queue) {
      if (!WebPage.running) return false;
      queue();
      if (WebPage.wake) WebPage.wake();
      return true;
    },

    // The room the page gives the canvas, in the device's pixels, at most
    // 3840 x 2160 (scaled down whole, its aspect kept).
    roomSize: function() {
      var box = Module['canvas'].parentElement.getBoundingClientRect();
      var ratio = window.devicePixelRatio || 1;
      var width = box.width * ratio, height = box.height * ratio;
      var fit = Math.min(1, 3840 / width, 2160 / height);
      return [Math.max(1, Math.floor(width * fit)), Math.max(1, Math.floor(height * fit))];
    },

    // Pictures of another size than the canvas's are scaled onto it through
    // a canvas of their own, never smoothed.
    scaler: null,
    scaled: function(image) {
      var scaler = WebPage.scaler || (WebPage.scaler = document.createElement('canvas'));
      scaler.width = image.width;
      scaler.height = image.height;
      scaler.getContext('2d').putImageData(image, 0, 0);
      var context = WebPage.context;
      context.imageSmoothingEnabled = false;
      context.drawImage(scaler, 0, 0, Module['canvas'].width, Module['canvas'].height);
    },

    install: function() {
      Module['velmorRoomSize'] = function() { return WebPage.roomSize(); };
      Module['velmorPictureSize'] = function() { return WebPage.picture.slice(); };
      Module['velmorKeyDown'] = function(key) {
        return WebPage.post(function() { _web_key_down(key); });
      };
      Module['velmorKeyUp'] = function(key) {
        return WebPage.post(function() { _web_key_up(key); });
      };
      Module['velmorMouse'] = function(message, flags, x, y) {
        return WebPage.post(function() { _web_mouse(message, flags, x, y); });
      };
      Module['velmorWheel'] = function(turn, flags, x, y) {
        return WebPage.post(function() { _web_wheel(turn, flags, x, y); });
      };
      Module['velmorSize'] = function(width, height) {
        return WebPage.post(function() { _web_size(width, height); });
      };
      Module['velmorOpenFile'] = function(path) {
        return WebPage.post(function() {
          ccall('web_open_file', null, ['string'], [path]);
        });
      };
      Module['velmorRestart'] = function() {
        var restart = WebPage.restart;
        WebPage.restart = null;
        if (restart) restart();
        return restart != null;
      };
    },
  },
  $WebPage__postset: 'WebPage.install();',

  web_window_open__deps: ['$WebPage'],
  web_window_open: function(title, width, height, resizable) {
    var canvas = Module['canvas'];
    if (!resizable) {
      canvas.width = width;
      canvas.height = height;
    }
    if (Module['onVelmorView']) Module['onVelmorView'](resizable != 0);
    document.title = UTF8ToString(title);
  },

  web_room_size__deps: ['$WebPage'],
  web_room_size: function(width, height) {
    var size = WebPage.roomSize();
    HEAP32[width >> 2] = size[0];
    HEAP32[height >> 2] = size[1];
  },

  web_canvas_size: function(width, height) {
    HEAP32[width >> 2] = Module['canvas'].width;
    HEAP32[height >> 2] = Module['canvas'].height;
  },

  // The page's full screen is asked of the canvas's container, with the
  // buttons and notices around the canvas; fullscreenchange resizes it.
  web_window_fullscreen: function(fullscreen) {
    var box = Module['canvas'].parentElement;
    if (fullscreen) {
      if (!box.requestFullscreen) return 0;
      if (document.fullscreenElement !== box) box.requestFullscreen().catch(function() {});
      return 1;
    }
    if (document.fullscreenElement) document.exitFullscreen().catch(function() {});
    return 1;
  },

  web_window_show: function(shown) {
    Module['canvas'].style.visibility = shown ? 'visible' : 'hidden';
  },

  web_cursor_hide: function(hidden) {
    Module['canvas'].style.cursor = hidden ? 'none' : '';
  },

  web_clock_ms: function() {
    return performance.now();
  },

  // Sleeps until the page posts a message or timeout milliseconds have gone
  // (-1: no limit). Listed in ASYNCIFY_IMPORTS.
  web_wait_for_message__deps: ['$WebPage'],
  web_wait_for_message: function(timeout) {
    return Asyncify.handleSleep(function(wakeUp) {
      WebPage.wake = function() {
        clearTimeout(WebPage.timeout);
        WebPage.timeout = 0;
        WebPage.wake = null;
        wakeUp();
      };
      if (timeout >= 0) WebPage.timeout = setTimeout(WebPage.wake, timeout);
    });
  },

  // Shows width x height pixels, already in the canvas's byte order, on all
  // of the canvas: as they are when the sizes agree, else scaled.
  web_canvas_present__deps: ['$WebPage'],
  web_canvas_present: function(pixels, width, height) {
    var canvas = Module['canvas'];
    if (!WebPage.context) WebPage.context = canvas.getContext('2d');
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
    var image = new ImageData(bytes, width, height);
    WebPage.picture = [width, height];
    if (width === canvas.width && height === canvas.height)
      WebPage.context.putImageData(image, 0, 0);
    else
      WebPage.scaled(image);
  },

  web_show_message: function(title, text) {
    if (Module['onVelmorMessage']) Module['onVelmorMessage'](UTF8ToString(title), UTF8ToString(text));
  },

  web_program_started__deps: ['$WebPage'],
  web_program_started: function() {
    WebPage.running = true;
    if (Module['onVelmorStarted']) Module['onVelmorStarted']();
  },

  web_program_ended__deps: ['$WebPage'],
  web_program_ended: function(exitCode) {
    WebPage.running = false;
    WebPage.wake = null;
    clearTimeout(WebPage.timeout);
    WebPage.timeout = 0;
    if (Module['onVelmorEnded']) Module['onVelmorEnded'](exitCode);
  },

  // Sleeps until the page asks for another run. Listed in ASYNCIFY_IMPORTS.
  web_wait_for_restart__deps: ['$WebPage'],
  web_wait_for_restart: function() {
    return Asyncify.handleSleep(function(wakeUp) { WebPage.restart = wakeUp; });
  },
});
