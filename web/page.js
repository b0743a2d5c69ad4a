// The page around Velmor's program (velmor.js): the picture scaled to fit,
// full screen, opening a .3DS file by button or by dropping it anywhere, keys,
// the program's one-line messages, and starting it again after it ends.
// Everything lives in this function but Module, which velmor.js takes up.
(() => {
  'use strict';

  const canvas = document.getElementById('canvas');
  const screenBox = document.getElementById('screen');
  const statusLine = document.getElementById('status');
  const ended = document.getElementById('ended');
  const endedText = document.getElementById('ended-text');
  const fileInput = document.getElementById('file');

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
    if (Module.velmorKeyDown(key) && key === 27) event.preventDefault();
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
  canvas.addEventListener('wheel', (event) => {
    if (event.deltaY === 0 || !Module.velmorWheel) return;
    const turn = event.deltaY < 0 ? 120 : -120; // away from the person is positive
    Module.velmorWheel(turn, mouseFlags(event), pictureX(event), pictureY(event));
  });

  // The room the page gives the picture, as the window's size.
  function resized() {
    fitPicture();
    const box = screenBox.getBoundingClientRect();
    if (Module.velmorSize) Module.velmorSize(Math.floor(box.width), Math.floor(box.height));
  }
  window.addEventListener('resize', resized);
  document.addEventListener('fullscreenchange', resized);
  fitPicture();
})();
