// The page around the saver core (appended to the compiled module): the
// canvas, the tick paced from animation frames, the keys and the buttons.
// `window.morvelux.frame()` tells which frame is on show.
Module['onRuntimeInitialized'] = () => {
  const page = _web_open();
  if (!page) {
    showAlert('The moiré could not start: its pictures did not load.');
    return;
  }
  const width = _web_panel_width();
  const height = _web_panel_height();
  const canvas = document.getElementById('moire');
  const context = canvas.getContext('2d', { alpha: false });
  const panel = document.createElement('canvas');
  panel.width = width;
  panel.height = height;
  const panelContext = panel.getContext('2d', { alpha: false });
  // The panel's words live in the module's memory, which never grows, so
  // one ImageData over them serves every frame.
  const image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, _web_rgba(page), width * height * 4),
                              width, height);
  let place = { zoom: 1, x: 0, y: 0 };

  function draw() {
    _web_rgba(page);
    panelContext.putImageData(image, 0, 0);
    context.imageSmoothingEnabled = false;
    context.drawImage(panel, place.x, place.y, width * place.zoom, height * place.zoom);
  }

  // The canvas has one pixel per device pixel; the panel goes on it at a
  // whole-number zoom, so every pattern pixel stays a sharp square.
  function resize(deviceWidth, deviceHeight) {
    canvas.width = deviceWidth;
    canvas.height = deviceHeight;
    const at = _web_place(page, deviceWidth, deviceHeight, Math.round(96 * devicePixelRatio)) >> 2;
    place = { zoom: HEAP32[at], x: HEAP32[at + 1], y: HEAP32[at + 2] };
    context.fillStyle = '#000';
    context.fillRect(0, 0, deviceWidth, deviceHeight);
    draw();
  }

  const observer = new ResizeObserver(entries => {
    const entry = entries[entries.length - 1];
    const box = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
    if (box) resize(box.inlineSize, box.blockSize);
    else resize(Math.round(entry.contentRect.width * devicePixelRatio),
                Math.round(entry.contentRect.height * devicePixelRatio));
  });
  try {
    // Also told when only the device pixel ratio changes (browser zoom, another screen).
    observer.observe(canvas, { box: 'device-pixel-content-box' });
  } catch (notSupported) {
    observer.observe(canvas);
  }

  // One paced tick per animation frame, never more: after a stall, or when
  // a hidden tab (which gets no animation frames) comes back, the motion
  // goes on from where it stood.
  let request = 0;
  function frame() {
    request = 0;
    if (_web_advance(page)) draw();
    request = requestAnimationFrame(frame);
  }

  const playButton = document.getElementById('play');
  let stopped = matchMedia('(prefers-reduced-motion: reduce)').matches;
  let spaceHeld = false;
  function update() {
    playButton.textContent = stopped ? 'Play' : 'Pause';
    document.body.classList.toggle('stopped', stopped);
    if (!started) return;
    const paused = stopped || spaceHeld;
    _web_pause(page, paused ? 1 : 0);
    if (paused && request) {
      cancelAnimationFrame(request);
      request = 0;
    } else if (!paused && !request) {
      request = requestAnimationFrame(frame);
    }
  }

  // The saver starts (and the title card's time with it) when the page is
  // first seen, not when a tab opened in the background loads it.
  let started = false;
  function start() {
    if (started || document.visibilityState !== 'visible') return;
    started = true;
    _web_activate(page);
    draw();
    update();
  }
  document.addEventListener('visibilitychange', start);
  update();
  // A button clicked with the mouse gives the focus back, so that Space
  // pauses rather than presses it; from the keyboard it keeps the focus.
  const release = (button, event) => {
    if (event.detail > 0) button.blur();
  };
  playButton.addEventListener('click', event => {
    stopped = !stopped;
    update();
    release(playButton, event);
  });

  const fullscreenButton = document.getElementById('fullscreen');
  fullscreenButton.hidden = !document.fullscreenEnabled;
  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else document.documentElement.requestFullscreen().catch(() => {});
  }
  fullscreenButton.addEventListener('click', event => {
    toggleFullscreen();
    release(fullscreenButton, event);
  });
  document.addEventListener('fullscreenchange', () => {
    fullscreenButton.textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
  });

  const onButton = event => event.target instanceof HTMLButtonElement;
  document.addEventListener('keydown', event => {
    if (event.ctrlKey || event.metaKey || event.altKey) return;
    if (event.key === 'f' || event.key === 'F') {
      toggleFullscreen();
    } else if (event.key === 'Escape' && document.fullscreenElement) {
      document.exitFullscreen();
    } else if (event.key === ' ' && !onButton(event)) {
      event.preventDefault();
      if (!spaceHeld) {
        spaceHeld = true;
        update();
      }
    }
  });
  document.addEventListener('keyup', event => {
    if (event.key === ' ' && spaceHeld) {
      spaceHeld = false;
      update();
    }
  });
  // A Space let go in another window sends no keyup here.
  window.addEventListener('blur', () => {
    if (spaceHeld) {
      spaceHeld = false;
      update();
    }
  });

  let sleepTimer = 0;
  document.addEventListener('pointermove', () => {
    document.body.classList.add('awake');
    clearTimeout(sleepTimer);
    sleepTimer = setTimeout(() => document.body.classList.remove('awake'), 2500);
  });

  window.morvelux = {
    frame: () => ({ tick: _web_tick(page), title: _web_title(page) === 1, at: _web_composed_at(page) }),
    placement: () => Object.assign({}, place),
  };
  start();
};

Module['onAbort'] = () => showAlert('The moiré could not start in this browser.');

function showAlert(text) {
  const alert = document.getElementById('alert');
  alert.textContent = text;
  alert.hidden = false;
}
