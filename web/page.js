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

  // Win32 virtual-key codes of the keys the program may hear; 0 for the rest.
  function virtualKey(event) {
    const named = { Escape: 27, Enter: 13, ' ': 32, Backspace: 8, Tab: 9 };
    if (event.key in named) return named[event.key];
    if (/^[0-9A-Za-z]$/.test(event.key)) return event.key.toUpperCase().charCodeAt(0);
    return 0;
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
  window.addEventListener('resize', fitPicture);
  document.addEventListener('fullscreenchange', fitPicture);
  fitPicture();
})();
