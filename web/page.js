// The page around the saver core: it loads the module and then keeps the
// canvas, the ticks on the saver's own schedule, the keys and the buttons,
// the screen awake while the moiré is shown full screen, and a copy of the
// site for offline use. `window.morvelux.frame()` tells which frame is on
// show.
'use strict';

(() => {
  const kCursorHideMs = 2500;  // the pointer and the buttons go after this long without a move
  const kLoadFailed = 'The moiré could not load: this browser did not get its WebAssembly module or cannot run it.';
  const kNoPictures = 'The moiré could not start: its pictures did not load.';
  const kCrashed = 'The moiré stopped after an error. Reload the page to start it again.';

  // One message, the first: a failure to load and a crash later say
  // different things (data-kind "load" or "crash").
  function showAlert(kind, text) {
    const alert = document.getElementById('alert');
    if (!alert.hidden) return;
    alert.textContent = text;
    alert.dataset.kind = kind;
    alert.hidden = false;
  }

  // The site's files kept by the service worker, so the page also opens
  // offline and as an installed app. Without one it is an ordinary page.
  if ('serviceWorker' in navigator) {
    window.addEventListener('load', () => {
      navigator.serviceWorker.register('worker.js').catch(error => console.warn('morvelux: no offline copy:', error));
    });
  }

  let running = false;
  const module = {
    onRuntimeInitialized: () => {
      running = true;
      startPage(module);
    },
    onAbort: () => (running ? showAlert('crash', kCrashed) : showAlert('load', kLoadFailed)),
  };
  if (typeof WebAssembly !== 'object') {
    showAlert('load', kLoadFailed);
    return;
  }
  window.Module = module;
  const loader = document.createElement('script');
  loader.src = 'morvelux.js';
  loader.onerror = () => showAlert('load', kLoadFailed);
  document.body.appendChild(loader);

  function startPage(core) {
    const page = core._web_open();
    if (!page) {
      showAlert('load', kNoPictures);
      return;
    }
    const width = core._web_panel_width();
    const height = core._web_panel_height();
    const canvas = document.getElementById('moire');
    const context = canvas.getContext('2d', { alpha: false });
    const panel = document.createElement('canvas');
    panel.width = width;
    panel.height = height;
    const panelContext = panel.getContext('2d', { alpha: false });
    // The panel's words live in the module's memory, which never grows, so
    // one ImageData over them serves every frame.
    const image = new ImageData(new Uint8ClampedArray(core.HEAPU8.buffer, core._web_rgba(page), width * height * 4),
                                width, height);
    const playButton = document.getElementById('play');
    const fullscreenButton = document.getElementById('fullscreen');
    const appDisplay = matchMedia('(display-mode: fullscreen), (display-mode: standalone)');

    const state = {
      started: false,  // the page has been seen and the saver activated
      stopped: matchMedia('(prefers-reduced-motion: reduce)').matches,  // by the Play/Pause button
      spaceHeld: false,
      request: 0,      // the animation frame asked for, if any
      place: { zoom: 1, x: 0, y: 0 },
      wakeLock: null,  // the screen wake lock held, if any
      wakeLockAsked: false,
      cursorTimer: 0,
    };
    const paused = () => state.stopped || state.spaceHeld;

    function draw() {
      core._web_rgba(page);
      panelContext.putImageData(image, 0, 0);
      context.imageSmoothingEnabled = false;
      const place = state.place;
      context.drawImage(panel, place.x, place.y, width * place.zoom, height * place.zoom);
    }

    // The canvas has one pixel per device pixel; the panel goes on it at a
    // whole-number zoom, so every pattern pixel stays a sharp square.
    function resize(deviceWidth, deviceHeight) {
      canvas.width = deviceWidth;
      canvas.height = deviceHeight;
      const at = core._web_place(page, deviceWidth, deviceHeight, devicePixelRatio) >> 2;
      state.place = { zoom: core.HEAP32[at], x: core.HEAP32[at + 1], y: core.HEAP32[at + 2] };
      context.fillStyle = '#000';
      context.fillRect(0, 0, deviceWidth, deviceHeight);
      draw();
    }
    const resizeToCss = () => {
      const box = canvas.getBoundingClientRect();
      resize(Math.round(box.width * devicePixelRatio), Math.round(box.height * devicePixelRatio));
    };

    const observer = new ResizeObserver(entries => {
      const box = entries[entries.length - 1].devicePixelContentBoxSize;
      if (box) resize(box[0].inlineSize, box[0].blockSize);
      else resizeToCss();
    });
    try {
      // Also told when only the device pixel ratio changes (browser zoom, another screen).
      observer.observe(canvas, { box: 'device-pixel-content-box' });
    } catch (notSupported) {
      observer.observe(canvas);
      // Without that box a new ratio is heard of from a media query, asked
      // again for each new ratio.
      const followRatio = () => {
        matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener('change', () => {
          resizeToCss();
          followRatio();
        }, { once: true });
      };
      followRatio();
    }

    // One animation frame, at most one tick: the module keeps the saver's
    // schedule. After a stall, or when a hidden tab (which gets no animation
    // frames) comes back, the motion goes on from where it stood.
    function frame(time) {
      state.request = 0;
      try {
        if (core._web_advance(page, time >>> 0)) draw();
      } catch (error) {
        showAlert('crash', kCrashed);
        console.error('morvelux:', error);
        return;
      }
      state.request = requestAnimationFrame(frame);
    }

    // The screen stays on while the moiré moves full screen (or as the
    // installed app) in sight; an ordinary tab never keeps it on. The
    // browser lets the lock go itself when the page is hidden.
    function keepAwake() {
      const wanted = state.started && !paused() && document.visibilityState === 'visible' &&
                     (!!document.fullscreenElement || appDisplay.matches);
      if (wanted && !state.wakeLock && !state.wakeLockAsked && 'wakeLock' in navigator) {
        state.wakeLockAsked = true;
        navigator.wakeLock.request('screen').then(lock => {
          state.wakeLockAsked = false;
          state.wakeLock = lock;
          lock.addEventListener('release', () => {
            if (state.wakeLock === lock) state.wakeLock = null;
          });
          keepAwake();  // let go at once if it is no longer wanted
        }, error => {
          state.wakeLockAsked = false;
          console.info('morvelux: the screen may go dark:', error.message);
        });
      } else if (!wanted) {
        letGoOfWakeLock();
      }
    }
    function letGoOfWakeLock() {
      const lock = state.wakeLock;
      state.wakeLock = null;
      if (lock) lock.release().catch(() => {});
    }

    function update() {
      playButton.textContent = state.stopped ? 'Play' : 'Pause';
      document.body.classList.toggle('stopped', state.stopped);
      if (!state.started) return;
      core._web_pause(page, paused() ? 1 : 0);
      if (paused() && state.request) {
        cancelAnimationFrame(state.request);
        state.request = 0;
      } else if (!paused() && !state.request) {
        state.request = requestAnimationFrame(frame);
      }
      keepAwake();
    }

    // The saver starts (and the title card's time with it) when the page is
    // first seen, not when a tab opened in the background loads it.
    function start() {
      if (state.started || document.visibilityState !== 'visible') return;
      state.started = true;
      core._web_activate(page, performance.now() >>> 0);
      draw();
      update();
    }
    document.addEventListener('visibilitychange', () => {
      start();
      keepAwake();
    });
    window.addEventListener('pagehide', letGoOfWakeLock);
    window.addEventListener('pageshow', keepAwake);
    appDisplay.addEventListener('change', keepAwake);
    update();

    // A button clicked with the mouse gives the focus back, so that Space
    // pauses rather than presses it; from the keyboard it keeps the focus.
    const release = (button, event) => {
      if (event.detail > 0) button.blur();
    };
    playButton.addEventListener('click', event => {
      state.stopped = !state.stopped;
      update();
      release(playButton, event);
    });

    fullscreenButton.hidden = !document.fullscreenEnabled;
    const leaveFullscreen = () => document.exitFullscreen().catch(() => {});
    function toggleFullscreen() {
      if (document.fullscreenElement) {
        leaveFullscreen();
        return;
      }
      document.documentElement.requestFullscreen().catch(error => {
        console.info('morvelux: no full screen:', error.message);
      });
    }
    fullscreenButton.addEventListener('click', event => {
      toggleFullscreen();
      release(fullscreenButton, event);
    });
    document.addEventListener('fullscreenchange', () => {
      fullscreenButton.textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
      keepAwake();
    });

    const onButton = event => event.target instanceof HTMLButtonElement;
    document.addEventListener('keydown', event => {
      if (event.ctrlKey || event.metaKey || event.altKey) return;
      if (event.key === 'f' || event.key === 'F') {
        if (!event.repeat) toggleFullscreen();  // a held key toggles once
      } else if (event.key === 'Escape' && document.fullscreenElement) {
        leaveFullscreen();
      } else if (event.key === ' ' && !onButton(event)) {
        event.preventDefault();
        if (!state.spaceHeld) {
          state.spaceHeld = true;
          update();
        }
      }
    });
    const letGoOfSpace = () => {
      if (!state.spaceHeld) return;
      state.spaceHeld = false;
      update();
    };
    document.addEventListener('keyup', event => {
      if (event.key === ' ') letGoOfSpace();
    });
    // A Space let go in another window sends no keyup here.
    window.addEventListener('blur', letGoOfSpace);

    document.addEventListener('pointermove', () => {
      document.body.classList.add('awake');
      clearTimeout(state.cursorTimer);
      state.cursorTimer = setTimeout(() => document.body.classList.remove('awake'), kCursorHideMs);
    });

    window.morvelux = {
      frame: () => ({
        tick: core._web_tick(page), title: core._web_title(page) === 1, at: core._web_composed_at(page),
      }),
      placement: () => Object.assign({}, state.place),
    };
    start();
  }
})();
