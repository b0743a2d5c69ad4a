// The page around Velmor's program (velmor.js): the demo's picture scaled to
// fit, view mode's canvas at the device's pixels of the room it is given, full
// screen, opening a .3DS file by button or by dropping it anywhere, keys, the
// mouse and touch, the program's one-line messages, and starting it again
// after it ends.
// Everything lives in this function but Module, which velmor.js takes up.
(() => {
  'use strict';

  const canvas = document.getElementById('canvas');
  const screenBox = document.getElementById('screen');
  const statusLine = document.getElementById('status');
  const ended = document.getElementById('ended');
  const endedText = document.getElementById('ended-text');
  const fileInput = document.getElementById('file');

  // In view mode the program draws at the canvas's size, which follows the
  // room; the demo's picture keeps its size.
  let viewMode = false;

  function say(text) {
    statusLine.textContent = text;
  }

  // The keys the program hears, by their DOM key names ("Numpad" before those
  // of the keypad), as Win32 virtual-key codes.
  const KEYS = {
    Escape: 0x1b, ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
    Shift: 0x10, '+': 0xbb, '=': 0xbb, '-': 0xbd, 'Numpad+': 0x6b, 'Numpad-': 0x6d,
    Home: 0x24, r: 0x52, R: 0x52, 1: 0x31, 3: 0x33, 7: 0x37, u: 0x55, U: 0x55,
    h: 0x48, H: 0x48, F11: 0x7a, ' ': 0x20,
  };

  // 0 for a key the program has no use for.
  function virtualKey(event) {
    const onKeypad = event.location === KeyboardEvent.DOM_KEY_LOCATION_NUMPAD;
    const name = (onKeypad ? 'Numpad' : '') + event.key;
    return Object.hasOwn(KEYS, name) ? KEYS[name] : 0;
  }

  // The mouse in Win32's terms: each DOM button's down message (its up message
  // is one more), and the MK_ flag of each bit of event.buttons.
  const BUTTON_DOWN = { 0: 0x201, 1: 0x207, 2: 0x204 };
  const HELD_FLAGS = [[1, 0x01], [2, 0x02], [4, 0x10]];

  function mouseFlags(event) {
    let flags = event.shiftKey ? 0x04 : 0;
    for (const [bit, flag] of HELD_FLAGS) if (event.buttons & bit) flags |= flag;
    return flags;
  }

  // Where the pointer is in the picture, whatever size the canvas is shown at.
  function pictureX(event) {
    return Math.floor((event.offsetX * canvas.width) / canvas.clientWidth);
  }
  function pictureY(event) {
    return Math.floor((event.offsetY * canvas.height) / canvas.clientHeight);
  }

  function postMouse(event, message) {
    if (Module.velmorMouse)
      Module.velmorMouse(message, mouseFlags(event), pictureX(event), pictureY(event));
  }

  // The largest size with the picture's aspect that fits the box.
  function fitPicture() {
    const box = screenBox.getBoundingClientRect();
    const scale = Math.min(box.width / canvas.width, box.height / canvas.height);
    canvas.style.width = Math.max(1, Math.floor(canvas.width * scale)) + 'px';
    canvas.style.height = Math.max(1, Math.floor(canvas.height * scale)) + 'px';
  }

  // The canvas fills the room at the device's pixels (velmorRoomSize); true
  // when its size changed, which the program must hear of.
  function fillRoom() {
    const box = screenBox.getBoundingClientRect();
    canvas.style.width = box.width + 'px';
    canvas.style.height = box.height + 'px';
    const [width, height] = Module.velmorRoomSize();
    if (canvas.width === width && canvas.height === height) return false;
    canvas.width = width;
    canvas.height = height;
    return true;
  }

  function postSize() {
    if (viewMode && Module.velmorSize) Module.velmorSize(canvas.width, canvas.height);
  }

  // The program's window is view mode's (resizable) or the demo's. The canvas
  // is sized at once: the window's size is the canvas's.
  function setViewMode(on) {
    viewMode = on;
    document.body.classList.toggle('view', on);
    if (on) fillRoom();
    else fitPicture();
  }

  // The file goes into the program's in-memory file system, and the program
  // hears of it as of a file dropped on its window.
  async function openFile(file) {
    if (!file) return;
    const FS = Module.FS;
    if (!FS) {
      say('Velmor is still loading: open the file again in a moment.');
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    if (!FS.analyzePath('/opened').exists) FS.mkdir('/opened');
    const path = '/opened/' + file.name.replace(/[\/\\]/g, '_');
    FS.writeFile(path, bytes);
    say('');
    if (!Module.velmorOpenFile || !Module.velmorOpenFile(path)) {
      FS.unlink(path);
      say('Velmor is not running: start it again, then open the file.');
    }
  }

  window.Module = {
    canvas: canvas,
    print: (text) => console.log(text),
    // What the program says on stderr is one line: the page shows the last.
    printErr: (text) => {
      console.error(text);
      say(text);
    },
    setStatus: (text) => say(text),
    onAbort: (what) => say('Velmor stopped: ' + what),
    // The same line as on stderr, where a desktop would also show a box.
    onVelmorMessage: (title, text) => say(text),
    onVelmorView: setViewMode,
    onVelmorStarted: () => {
      ended.hidden = true;
      fitPicture();
    },
    onVelmorEnded: (exitCode) => {
      endedText.textContent =
        exitCode === 0 ? 'Velmor has ended.' : `Velmor has ended (exit code ${exitCode}).`;
      ended.hidden = false;
    },
  };

  document.getElementById('open').addEventListener('click', () => fileInput.click());
  fileInput.addEventListener('change', () => {
    openFile(fileInput.files[0]);
    fileInput.value = '';
  });
  document.getElementById('fullscreen').addEventListener('click', () => {
    screenBox.requestFullscreen().catch((error) => say('No full screen: ' + error.message));
  });
  document.getElementById('restart').addEventListener('click', () => {
    say('');
    if (Module.velmorRestart) Module.velmorRestart();
  });

  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    document.body.classList.add('dropping');
  });
  document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dropping');
    openFile(event.dataTransfer.files[0]);
  });

  window.addEventListener('keydown', (event) => {
    const key = virtualKey(event);
    if (key === 0 || !Module.velmorKeyDown) return;
    const taken = Module.velmorKeyDown(key);
    if (taken && (key === 0x1b || (viewMode && key === 0x7a))) event.preventDefault();
  });
  window.addEventListener('keyup', (event) => {
    const key = virtualKey(event);
    if (key !== 0 && Module.velmorKeyUp) Module.velmorKeyUp(key);
  });
  canvas.addEventListener('mousemove', (event) => postMouse(event, 0x200));
  canvas.addEventListener('mousedown', (event) => {
    if (event.button in BUTTON_DOWN) postMouse(event, BUTTON_DOWN[event.button]);
  });
  canvas.addEventListener('mouseup', (event) => {
    if (event.button in BUTTON_DOWN) postMouse(event, BUTTON_DOWN[event.button] + 1);
  });
  // In view mode the wheel zooms the picture instead of scrolling the page,
  // and the right button pans instead of opening a menu.
  canvas.addEventListener('wheel', (event) => {
    if (viewMode) event.preventDefault();
    if (event.deltaY === 0 || !Module.velmorWheel) return;
    const turn = event.deltaY < 0 ? 120 : -120; // away from the person is positive
    Module.velmorWheel(turn, mouseFlags(event), pictureX(event), pictureY(event));
  }, { passive: false });
  canvas.addEventListener('contextmenu', (event) => {
    if (viewMode) event.preventDefault();
  });

  // Touch in view mode, as the mouse: one finger drags as the left button
  // (orbit); two move their midpoint as the right button (pan) and pinch as
  // the wheel, a notch for every 10% of their spread.
  const NOTCH = Math.log(1.1);
  let touch = { fingers: 0 };

  function touchNow(touches) {
    const box = canvas.getBoundingClientRect();
    const at = (t) => [((t.clientX - box.left) * canvas.width) / box.width,
      ((t.clientY - box.top) * canvas.height) / box.height];
    if (touches.length === 0) return { fingers: 0 };
    const [ax, ay] = at(touches[0]);
    if (touches.length === 1) return { fingers: 1, x: Math.floor(ax), y: Math.floor(ay) };
    const [bx, by] = at(touches[1]);
    return { fingers: 2, x: Math.floor((ax + bx) / 2), y: Math.floor((ay + by) / 2),
      spread: Math.max(1, Math.hypot(bx - ax, by - ay)) };
  }

  // A change of fingers ends one drag where it was and begins the next. The
  // finger left when one of two lifts rests until it lifts too, so that the
  // end of a pinch does not orbit.
  function touchRegrip(now) {
    if (!touch.idle && touch.fingers === 1) Module.velmorMouse(0x202, 0, touch.x, touch.y);
    if (!touch.idle && touch.fingers === 2) Module.velmorMouse(0x205, 0, touch.x, touch.y);
    const idle = now.fingers > 0 && (touch.idle || now.fingers < touch.fingers);
    if (!idle && now.fingers === 1) Module.velmorMouse(0x201, 0x01, now.x, now.y);
    if (!idle && now.fingers === 2) Module.velmorMouse(0x204, 0x02, now.x, now.y);
    touch = { ...now, idle, start: now.spread, turned: 0 };
  }

  function touchChanged(event) {
    if (!viewMode || !Module.velmorMouse) return;
    event.preventDefault();
    const now = touchNow(event.touches);
    if (now.fingers !== touch.fingers) touchRegrip(now);
    else if (now.fingers > 0 && !touch.idle) touchMoved(now);
  }

  function touchMoved(now) {
    Module.velmorMouse(0x200, now.fingers === 1 ? 0x01 : 0x02, now.x, now.y);
    if (now.fingers === 2) {
      const turn = Math.round((120 * Math.log(now.spread / touch.start)) / NOTCH);
      if (turn !== touch.turned) Module.velmorWheel(turn - touch.turned, 0x02, now.x, now.y);
      touch.turned = turn;
    }
    touch.x = now.x;
    touch.y = now.y;
  }
  for (const type of ['touchstart', 'touchmove', 'touchend', 'touchcancel'])
    canvas.addEventListener(type, touchChanged, { passive: false });

  // The room the page gives the picture: the demo's is scaled into it, view
  // mode's canvas is made anew at its size.
  function resized() {
    if (!viewMode) fitPicture();
    else if (fillRoom()) postSize();
  }
  window.addEventListener('resize', resized); // also when only the pixel ratio changes
  document.addEventListener('fullscreenchange', resized);
  new ResizeObserver(resized).observe(screenBox);
  fitPicture();
})();
