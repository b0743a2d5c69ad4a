// The page as web_backend_test plays it (linked in place of web_library.js):
// the calls that matter go to the test's own hooks.
mergeInto(LibraryManager.library, {
  web_window_open: function(title, width, height, resizable) { _test_follows_page(resizable); },
  web_room_size: function(width, height) {
    HEAP32[width >> 2] = 1600;
    HEAP32[height >> 2] = 900;
  },
  web_canvas_size: function(width, height) {
    HEAP32[width >> 2] = 640;
    HEAP32[height >> 2] = 360;
  },
  web_window_fullscreen: function(fullscreen) { return _test_fullscreen(fullscreen); },
  web_window_show: function(shown) {},
  web_cursor_hide: function(hidden) { _test_cursor_hidden(hidden); },
  web_clock_ms: function() { return _test_clock(); },
  // The program would sleep here; the test lets the page act instead.
  web_wait_for_message: function(timeout) { _test_page_acts(timeout); },
  web_canvas_present: function(pixels, width, height) { _test_canvas(pixels, width, height); },
  web_show_message: function(title, text) {},
  web_program_started: function() {},
  web_program_ended: function(exitCode) {},
  web_wait_for_restart: function() {},
});
