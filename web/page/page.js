// The page around the game: the modal box, the pop-up menu, the world
// picker, the pointer lock and the status line. The game calls in through
// Module.arroyoPage (src/platform/web); the page calls the game's exported
// arroyo_* functions.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const canvas = $('canvas');
  const rocketStates = ['flying', 'exploded', 'ready'];
  // Visitors' worlds larger than this are refused before anything is read.
  const largestPick = 256 * 1024 * 1024;

  const page = {
    ignoreKeyRepeat: false,
    menuEntries: [],
    status: { frames: 0, fps: 0, camera: [0, 0, 0], world: false, rocketState: -1,
              burstParticles: 0, errorBoxes: 0, glErrors: [], modal: null, ended: false,
              worldsOpened: 0 },
    pointerWanted: false,
    ctrl: false,
    alt: false,
    modals: [],
    picks: 0,

    showModal(caption, text) {
      page.modals.push({ caption, text });
      if (page.modals.length === 1) showFirstModal();
    },
    capturePointer(on) {
      page.pointerWanted = on;
      if (!on && document.pointerLockElement) document.exitPointerLock();
    },
    modifierDown(alt) { return alt ? page.alt : page.ctrl; },
    report(frame) {
      Object.assign(page.status, frame);
      if (frame.frames % 10 === 0) {
        checkGlErrors();
        const c = frame.camera.map((v) => v.toFixed(2)).join(', ');
        $('status').textContent = `frames ${frame.frames} · FPS ${frame.fps.toFixed(1)} · ` +
          `camera (${c}) · rocket ${rocketStates[frame.rocketState] || 'ready'}`;
      }
    },
    addMenuEntry(label, value) { page.menuEntries.push({ label, value }); },
    gameEnded() {
      page.status.ended = true;
      page.capturePointer(false);
      $('status').textContent = 'The game has ended. Reload the page to play again.';
    },
    download(path) {
      const bytes = Module.FS.readFile(path);
      const url = URL.createObjectURL(new Blob([bytes], { type: 'image/png' }));
      const link = document.createElement('a');
      link.href = url;
      link.download = path.split('/').pop();
      link.click();
      setTimeout(() => URL.revokeObjectURL(url), 1000);
    },
    // For the tests and the console: open a world the page holds.
    openWorld(path) {
      page.status.worldsOpened++;
      Module.ccall('arroyo_open_world', null, ['string'], [path]);
    },
  };

  function checkGlErrors() {
    const gl = Module.ctx;
    if (!gl) return;
    for (let e = gl.getError(), n = 0; e !== 0 && n < 8; e = gl.getError(), n++) {
      page.status.glErrors.push(e);
      console.error(`GL error 0x${e.toString(16)}`);
    }
  }

  // ---- the modal box: the game holds still until it is dismissed
  function showFirstModal() {
    const { caption, text } = page.modals[0];
    $('modal-caption').textContent = caption;
    $('modal-text').textContent = text;
    $('modal').hidden = false;
    page.status.modal = { caption, text };
    if (document.pointerLockElement) document.exitPointerLock();
    $('modal-ok').focus();
  }
  // A box the game raised tells the game it is gone; one the page raised
  // (a refusal before the game saw the files) ends the pause it began.
  function closeModal() {
    const first = page.modals.shift();
    if (!first) return;
    $('modal').hidden = true;
    page.status.modal = null;
    if (first.fromPage) Module._arroyo_menu_in_use(0);
    else Module._arroyo_modal_closed();
    if (page.modals.length) showFirstModal();
    else canvas.focus();
  }
  $('modal-ok').addEventListener('click', closeModal);

  // ---- the pop-up menu on the right button
  const menu = $('menu');
  function openMenu(x, y) {
    if (document.pointerLockElement) document.exitPointerLock();
    menu.replaceChildren(...page.menuEntries.map(({ label, value }) => {
      const item = document.createElement('button');
      item.textContent = label;
      item.addEventListener('click', () => chooseFromMenu(label, value));
      return item;
    }));
    menu.style.left = `${x}px`;
    menu.style.top = `${y}px`;
    menu.hidden = false;
    Module._arroyo_menu_in_use(1);
  }
  function closeMenu() {
    if (menu.hidden) return;
    menu.hidden = true;
    Module._arroyo_menu_in_use(0);
  }
  function chooseFromMenu(label, value) {
    closeMenu();
    // The page's picker stands in for the file dialog: the world keeps
    // playing until the chosen one has loaded.
    if (label === 'Run World') openPicker();
    else Module._arroyo_menu_chosen(value);
  }
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  canvas.addEventListener('mousedown', (e) => {
    if (e.button === 2 && !overlayOpen()) openMenu(e.clientX, e.clientY);
    else if (e.button === 0 && page.pointerWanted && !document.pointerLockElement) {
      canvas.requestPointerLock();
    }
  });
  document.addEventListener('mousedown', (e) => { if (!menu.contains(e.target)) closeMenu(); });

  // ---- the world picker
  function openPicker() {
    const list = $('picker-worlds');
    const worlds = Module.FS.readdir('/game/Worlds').filter((n) => /\.wrl$/i.test(n)).sort();
    list.replaceChildren(...worlds.map((name) => {
      const item = document.createElement('li');
      const button = document.createElement('button');
      button.textContent = name;
      button.addEventListener('click', () => { closePicker(); page.openWorld(`/game/Worlds/${name}`); });
      item.append(button);
      return item;
    }));
    $('picker-files').value = '';
    $('picker-folder').value = '';
    $('picker').hidden = false;
    Module._arroyo_menu_in_use(1);
  }
  function closePicker() {
    if ($('picker').hidden) return;
    $('picker').hidden = true;
    Module._arroyo_menu_in_use(0);
    canvas.focus();
  }
  $('picker-cancel').addEventListener('click', closePicker);

  function removeTree(path) {
    const FS = Module.FS;
    if (!FS.analyzePath(path).exists) return;
    for (const name of FS.readdir(path)) {
      if (name === '.' || name === '..') continue;
      const child = `${path}/${name}`;
      if (FS.isDir(FS.stat(child).mode)) removeTree(child);
      else FS.unlink(child);
    }
    FS.rmdir(path);
  }

  // A visitor's files go into a folder of their own under /visitor, laid
  // out as the game's tree (a chosen folder keeps its own layout; loose
  // files put the worlds in Worlds/ and the rest in Textures/), so the
  // world's ..\Textures\ names resolve as they would on disk. Only the
  // last two picks are kept: the world playing and the one being opened.
  async function pickFiles(files) {
    closePicker();
    if (!files.length) return;
    let total = 0;
    for (const f of files) total += f.size;
    if (total > largestPick) {
      page.showModalFromPage('Error', `The chosen files are too large (${total} bytes).`);
      return;
    }
    const FS = Module.FS;
    const pick = ++page.picks;
    if (pick > 2) removeTree(`/visitor/${pick - 2}`);
    const root = `/visitor/${pick}`;
    let world = null;
    for (const f of files) {
      const relative = f.webkitRelativePath ||
        (/\.wrl$/i.test(f.name) ? `Worlds/${f.name}` : `Textures/${f.name}`);
      const parts = relative.split('/').filter((p) => p && p !== '.' && p !== '..');
      if (!parts.length) continue;
      const path = `${root}/${parts.join('/')}`;
      FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
      FS.writeFile(path, new Uint8Array(await f.arrayBuffer()));
      if (/\.wrl$/i.test(path) && (!world || path < world)) world = path;
    }
    if (!world) {
      page.showModalFromPage('Error', 'No world file (.wrl) among the chosen files.');
      return;
    }
    page.openWorld(world);
  }
  $('picker-files').addEventListener('change', (e) => pickFiles([...e.target.files]));
  $('picker-folder').addEventListener('change', (e) => pickFiles([...e.target.files]));
  // A refusal of the page's own, shown and counted like the game's.
  page.showModalFromPage = (caption, text) => {
    Module._arroyo_menu_in_use(1);
    page.modals.push({ caption, text, fromPage: true });
    if (page.modals.length === 1) showFirstModal();
  };
  function overlayOpen() { return !$('modal').hidden || !$('picker').hidden || !menu.hidden; }

  // ---- keys: nothing reaches the game while a box, the menu or the
  // picker is open; repeats are dropped as the game asks.
  window.addEventListener('keydown', (e) => {
    page.ctrl = e.ctrlKey;
    page.alt = e.altKey;
    if (overlayOpen()) {
      if (!$('modal').hidden && (e.key === 'Enter' || e.key === 'Escape' || e.key === ' ')) {
        closeModal();
      } else if (e.key === 'Escape') {
        closeMenu();
        closePicker();
      }
      if (e.target.tagName !== 'INPUT') e.preventDefault();
      e.stopImmediatePropagation();
      return;
    }
    if (page.ignoreKeyRepeat && e.repeat) {
      e.preventDefault();
      e.stopImmediatePropagation();
    }
  }, true);
  window.addEventListener('keyup', (e) => { page.ctrl = e.ctrlKey; page.alt = e.altKey; }, true);
  window.addEventListener('blur', () => { if (Module._arroyo_focus_lost) Module._arroyo_focus_lost(); });
  document.addEventListener('visibilitychange', () => {
    if (Module._arroyo_page_visible) Module._arroyo_page_visible(document.hidden ? 0 : 1);
  });

  window.arroyo = page;
  window.Module = {
    canvas,
    arroyoPage: page,
    // The game starts in Bin/ of its tree, as on a desktop.
    preRun: [() => { Module.FS.mkdirTree('/game/Bin'); Module.FS.chdir('/game/Bin'); }],
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
  };
})();
