// The page around the game: its canvas and messages, full screen, and the end of a game.
var canvas = document.getElementById('game');
var statusLine = document.getElementById('status');
var againButton = document.getElementById('again');

function toggleFullScreen() {
  if (document.fullscreenElement) {
    document.exitFullscreen();
  } else {
    canvas.requestFullscreen();
  }
  canvas.focus();
}

// The game reads the arrows, Space, Enter and Esc; every other key, and any key with Alt,
// stays the browser's, so that F5 or F11 still work while the canvas has the keyboard.
var GAME_KEYS = ['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', ' ', 'Enter', 'Escape'];
window.addEventListener('keydown', function (event) {
  if (event.altKey && event.key === 'Enter') {
    event.preventDefault();
    toggleFullScreen();
  }
  if (event.altKey || !GAME_KEYS.includes(event.key)) {
    event.stopImmediatePropagation();
  }
}, true);

document.getElementById('fullscreen').addEventListener('click', toggleFullScreen);
againButton.addEventListener('click', function () {
  location.reload();
});

var Module = {
  canvas: canvas,
  keyboardListeningElement: canvas,
  setStatus: function (text) {
    statusLine.textContent = text;
  },
  // Esc on a finished game quits it, as on the desktop: the loop has stopped.
  onGameEnd: function () {
    statusLine.textContent = 'The game has ended.';
    againButton.hidden = false;
    againButton.focus();
  },
};

canvas.focus();
