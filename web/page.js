// The page around the game: the field's size, the covers over it, the keys' focus,
// the touch controls, full screen and the end of a game.
var canvas = document.getElementById('game');
var frame = document.getElementById('frame');
var stage = document.getElementById('stage');
var statusLine = document.getElementById('status');
var progress = document.getElementById('progress');
var loadingCover = document.getElementById('loading');
var pausedCover = document.getElementById('paused');
var endedCover = document.getElementById('ended');
var touchControls = document.getElementById('touch');
var pad = document.getElementById('pad');
// The passes run: the game has loaded and not ended.
var running = false;

// Whole-number scales keep the field's pixels hard; below 1 it shrinks smoothly, so that the score line stays readable.
function fitField() {
  var ratio = window.devicePixelRatio || 1;
  var room = stage.getBoundingClientRect();
  var scale = Math.min(room.width / 640, room.height / 480) * ratio;
  var sharp = scale >= 1;
  scale = sharp ? Math.floor(scale) : scale;
  frame.style.width = 640 * scale / ratio + 'px';
  frame.style.height = 480 * scale / ratio + 'px';
  canvas.classList.toggle('sharp', sharp);
}
new ResizeObserver(fitField).observe(stage);

// The game's SDL reads its canvases back every frame: such canvases belong in memory, as the browser advises.
var getContext = HTMLCanvasElement.prototype.getContext;
HTMLCanvasElement.prototype.getContext = function (type, options) {
  return getContext.call(this, type, type === '2d' ? Object.assign({ willReadFrequently: true }, options) : options);
};

function toggleFullScreen() {
  if (document.fullscreenElement) {
    document.exitFullscreen();
  } else if (document.body.classList.contains('touch')) {
    fillPhoneScreen();
  } else {
    canvas.requestFullscreen();
  }
  canvas.focus();
}

// On a phone the whole page goes full screen, so that the controls stay, and turns sideways where the browser
// lets a page lock the screen's orientation; where it does not, the page follows the phone as before.
function fillPhoneScreen() {
  document.documentElement.requestFullscreen().then(function () {
    return screen.orientation.lock('landscape');
  }).catch(function () {});
}

// The game pauses itself on P or a pad's Start, and when the page asks as the canvas loses the
// keys or the page is hidden; the cover follows the game's own pause, and a click resumes it.
function pauseGame() {
  if (running) {
    Module._PauseGame();
  }
}
canvas.addEventListener('blur', pauseGame);
document.addEventListener('visibilitychange', function () {
  if (document.hidden) {
    pauseGame();
  }
});
function play() {
  canvas.focus();
  if (running && !document.hidden) {
    Module._ResumeGame();
  }
}

// Emscripten's SDL keeps a click from focusing the canvas: a click or tap anywhere but on a button gives it the keys.
document.addEventListener('pointerdown', function (event) {
  if (!event.target.closest('button')) {
    play();
  }
}, true);
document.addEventListener('mousedown', function (event) {
  if (!event.target.closest('button')) {
    event.preventDefault();
  }
}, true);

// A browser lets a page's audio start only after the player's first click, tap or key, and warns
// of any that starts before: the game's audio opens at the first one once the game runs.
function startSound() {
  if (running && (!navigator.userActivation || navigator.userActivation.hasBeenActive)) {
    Module._StartSoundAfterGesture();
    ['keydown', 'pointerdown'].forEach(function (type) { window.removeEventListener(type, startSound, true); });
  }
}
// Listening before the keys' own listener below, which keeps some keys from the rest.
['keydown', 'pointerdown'].forEach(function (type) { window.addEventListener(type, startSound, true); });

// The game reads the arrows, Space, Enter, Esc, P and M, by the key codes Emscripten's SDL knows them by;
// every other key, and any key with Alt, stays the browser's, so that F5 or F11 still work.
var KEY_CODES = { ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, Space: 32, Enter: 13, Escape: 27, KeyP: 80, KeyM: 77 };
window.addEventListener('keydown', function (event) {
  if (event.altKey && event.code === 'Enter') {
    event.preventDefault();
    toggleFullScreen();
  }
  if (event.altKey || !(event.code in KEY_CODES)) {
    event.stopImmediatePropagation();
  } else if ((!pausedCover.hidden || event.target !== canvas) && !event.target.closest('button')) {
    // The key that gives the game its keys back is not played.
    event.stopImmediatePropagation();
    play();
  }
}, true);

// A touch control presses a key as the keyboard does; a made event has no key code of its own.
function sendKey(type, code) {
  var event = new KeyboardEvent(type, { code: code, bubbles: true, cancelable: true });
  Object.defineProperty(event, 'keyCode', { value: KEY_CODES[code] });
  canvas.dispatchEvent(event);
}

// The pad holds the arrow toward the thumb from its centre, and follows the thumb as it slides.
var heldArrow = null;
function steer(code) {
  if (code !== heldArrow) {
    if (heldArrow) {
      sendKey('keyup', heldArrow);
    }
    heldArrow = code;
    if (code) {
      sendKey('keydown', code);
    }
  }
}
function arrowAt(event) {
  var box = pad.getBoundingClientRect();
  var x = event.clientX - box.left - box.width / 2, y = event.clientY - box.top - box.height / 2;
  if (Math.abs(x) > Math.abs(y)) {
    return x > 0 ? 'ArrowRight' : 'ArrowLeft';
  }
  return y > 0 ? 'ArrowDown' : 'ArrowUp';
}
pad.addEventListener('pointerdown', function (event) {
  event.preventDefault();
  pad.setPointerCapture(event.pointerId);
  steer(arrowAt(event));
});
pad.addEventListener('pointermove', function (event) {
  if (heldArrow) {
    steer(arrowAt(event));
  }
});
pad.addEventListener('pointerup', function () { steer(null); });
pad.addEventListener('pointercancel', function () { steer(null); });

// The sound button beside full screen presses M as they do.
document.querySelectorAll('#actions button[data-key], #sound').forEach(function (button) {
  button.addEventListener('pointerdown', function (event) {
    event.preventDefault();
    canvas.focus();
    sendKey('keydown', button.dataset.key);
    sendKey('keyup', button.dataset.key);
  });
});
if (navigator.maxTouchPoints > 0) {
  document.body.classList.add('touch');
  touchControls.hidden = false;
}

document.getElementById('fullscreen').addEventListener('click', toggleFullScreen);
// A phone's browser that keeps pages out of full screen, as an iPhone's does, shows no button for it.
document.getElementById('touch-fullscreen').hidden = !document.fullscreenEnabled;
document.getElementById('touch-fullscreen').addEventListener('click', toggleFullScreen);
document.getElementById('again').addEventListener('click', function () {
  location.reload();
});

// The game's WebAssembly compiles while the script around it still loads; as it arrives where the
// server says what it is, after it has arrived elsewhere.
var compiledGame = fetch('kanamiina.wasm', { credentials: 'same-origin' }).then(function (response) {
  return WebAssembly.compileStreaming(response.clone()).catch(function () {
    return response.arrayBuffer().then(WebAssembly.compile);
  });
});

// Where Emscripten's SDL looks for the pictures decoded as the data loaded: Emscripten 3.1.6 keeps them
// in Module.preloadedImages, 3.1.69 in a preloadedImages of the page's own.
function decodedPictures() {
  return Module.preloadedImages || window.preloadedImages;
}

// The browser build's pictures are lossless WebP under the names of the BMPs they replace; a RIFF file is WebP.
function pictureType(bytes) {
  return String.fromCharCode(bytes[0], bytes[1], bytes[2], bytes[3]) === 'RIFF' ? 'image/webp' : 'image/bmp';
}

// Once the game runs, a service worker keeps its files for the next visit, with or without a network.
// Where the browser has none, or refuses one (a page opened from a file), each visit needs the network.
function keepForOffline() {
  if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('service-worker.js').catch(function () {});
  }
}

var Module = {
  canvas: canvas,
  instantiateWasm: function (imports, receive) {
    compiledGame.then(function (compiled) {
      return WebAssembly.instantiate(compiled, imports).then(function (instance) {
        receive(instance, compiled);
      });
    }).catch(function (error) {
      Module.onAbort(error);
    });
    return {};
  },
  // Where the browser lets a script decode pictures, they decode off the page's thread, all at once,
  // with no image element or blob on the way; elsewhere Emscripten's own plugin decodes them.
  preloadPlugins: [{
    canHandle: function (name) {
      return typeof ImageDecoder !== 'undefined' && decodedPictures() !== undefined && /\.bmp$/.test(name);
    },
    handle: function (bytes, name, onload, onerror) {
      var decoder = new ImageDecoder({ data: bytes, type: pictureType(bytes) });
      decoder.decode().then(function (decoded) {
        decoder.close();
        return createImageBitmap(decoded.image).finally(function () { decoded.image.close(); });
      }).then(function (picture) {
        decodedPictures()[name] = picture;
        onload(bytes);
      }, onerror);
    },
  }],
  keyboardListeningElement: canvas,
  // Emscripten's SDL queues this many buffers of sound ahead, 23 ms each, after the game's delay of 2 ms.
  SDL_numSimultaneouslyQueuedBuffers: 1,
  setStatus: function (text) {
    var downloaded = /\((\d+)\/(\d+)\)/.exec(text);
    if (downloaded) {
      progress.value = downloaded[1] / downloaded[2];
      statusLine.textContent = 'Loading ' + Math.floor(100 * progress.value) + ' %';
    }
    // With the data in, the page needs no more news; without a listener the game starts at once,
    // where Emscripten would first give the page a turn to show that it runs.
    if (progress.value === 1) {
      delete Module.setStatus;
    }
  },
  // Emscripten's SDL says once that it copies a picture into memory, as the sprites need: nothing for the player.
  printErr: function (text) {
    if (!text.startsWith('WARNING: copying canvas data to memory')) {
      console.error(text);
    }
  },
  onAbort: function (what) {
    progress.hidden = true;
    statusLine.textContent = 'The game could not start: ' + what;
  },
  onRuntimeInitialized: function () {
    running = true;
    loadingCover.hidden = true;
    if (document.activeElement !== canvas || !document.hasFocus()) {
      pauseGame();
    }
    keepForOffline();
  },
  onPause: function (paused) {
    pausedCover.hidden = paused === 0;
  },
  onSign: function (up) {
    document.body.classList.toggle('sign-up', up !== 0);
    document.getElementById('end').textContent = up ? 'Quit' : 'End';
  },
  // Esc on a finished game quits it, as on the desktop: the loop has stopped.
  onGameEnd: function () {
    pausedCover.hidden = true;
    running = false;
    touchControls.style.visibility = 'hidden';
    endedCover.hidden = false;
    document.getElementById('again').focus();
  },
};

fitField();
canvas.focus();
