/* The Live tab and the live feed: one WebSocket to api/live (reconnected with a growing delay when it
 * drops), each message handed to the map and the alerts, and shown newest first in a list of at most
 * 500. Pause keeps what arrives in a queue that Resume shows; the filter hides what does not hold its
 * text. When the page opens, the newest stored messages (api/search) go under what the feed has brought
 * meanwhile, each message once.
 *
 * Connection states (the header shows them):
 *   connecting --socket 'open'--> live --socket 'close'--> scheduleReconnect(): reconnecting
 *   reconnecting --(delay)--> connect(): connecting; a try that fails goes to reconnecting again.
 *   The delay doubles from 1 s up to 30 s after each try and goes back to 1 s once a socket opens.
 */
'use strict';

(function () {
  const Page = window.CorvanePage;
  const U = Page.util;

  const MAX_SHOWN = 500;
  const FIRST_DELAY_MS = 1000;
  const MAX_DELAY_MS = 30000;
  // The newest stored messages shown when the page opens: a query every stored message matches, whose
  // hits come newest first.
  const STORED_QUERY = 'from:1970-01-01';
  const STORED_COUNT = 100;

  let socket = null;
  let delay = FIRST_DELAY_MS;
  let retryTimer = 0;
  let countdownTimer = 0;
  let badFrames = 0;

  let entries = []; // shown: {msg, node, hay}, newest first
  let pending = []; // arrived, to be shown at the next flush (oldest first)
  let flushTimer = 0;
  let paused = false;
  let queue = []; // arrived while paused (oldest first), the newest MAX_SHOWN kept
  let queuedCount = 0;
  let filterText = '';
  let loadingStored = true; // the newest stored messages are being asked for
  let storedKeys = new Set(); // logic.messageKey of the stored messages shown

  // ---- Connection ----

  function setState(state, text) {
    const node = U.$('conn');
    node.className = 'conn conn-' + state;
    node.textContent = text;
  }

  function connect() {
    clearTimeout(retryTimer);
    clearInterval(countdownTimer);
    setState('connecting', 'Connecting');
    let ws;
    try {
      ws = new WebSocket(U.liveUrl());
    } catch (error) {
      U.showError(U.$('live-error'), 'The live feed cannot be opened: ' + error.message);
      scheduleReconnect();
      return;
    }
    socket = ws;
    ws.addEventListener('open', function () {
      if (socket !== ws) return;
      delay = FIRST_DELAY_MS;
      setState('live', 'Live');
      U.showError(U.$('live-error'), null);
      window.corvane.ready.live = true;
    });
    ws.addEventListener('message', function (event) {
      if (socket === ws) onFrame(event.data);
    });
    ws.addEventListener('close', function () {
      if (socket !== ws) return;
      socket = null;
      window.corvane.ready.live = false;
      scheduleReconnect();
    });
  }

  function scheduleReconnect() {
    const wait = delay;
    delay = Math.min(delay * 2, MAX_DELAY_MS);
    const until = Date.now() + wait;
    const tell = function () {
      const seconds = Math.max(0, Math.ceil((until - Date.now()) / 1000));
      setState('reconnecting', 'Reconnecting in ' + seconds + ' s');
    };
    tell();
    countdownTimer = setInterval(tell, 1000);
    retryTimer = setTimeout(connect, wait);
  }

  function onFrame(data) {
    let msg;
    try {
      msg = JSON.parse(data);
    } catch (error) {
      msg = null;
    }
    if (!msg || typeof msg !== 'object' || Array.isArray(msg)) {
      badFrames++;
      U.showError(U.$('live-error'), 'Live frames that could not be read as a message, left out: ' + badFrames.toLocaleString('en') + '.');
      return;
    }
    receive(msg);
  }

  // ---- Messages ----

  // Takes one live message: the map and the alerts always see it; the list when not paused.
  function receive(msg) {
    if (Page.map) Page.map.onLive(msg);
    if (Page.alerts && U.isAlert(msg)) Page.alerts.onLive(msg);
    if (paused) {
      queue.push(msg);
      queuedCount++;
      if (queue.length > MAX_SHOWN) queue.splice(0, queue.length - MAX_SHOWN);
      updatePauseButton();
      return;
    }
    pending.push(msg);
    if (!flushTimer) flushTimer = setTimeout(flush, 40);
  }

  // Shows the pending messages at the top of the list and trims it to MAX_SHOWN.
  function flush() {
    flushTimer = 0;
    if (!pending.length) return;
    let arrived = pending.length > MAX_SHOWN ? pending.slice(pending.length - MAX_SHOWN) : pending;
    pending = [];
    if (storedKeys.size) {
      arrived = arrived.filter(function (msg) {
        return !storedKeys.has(Page.logic.messageKey(msg));
      });
    }
    const list = U.$('live-list');
    const fragment = document.createDocumentFragment();
    const fresh = [];
    for (let i = arrived.length - 1; i >= 0; i--) {
      const entry = newEntry(arrived[i]);
      fresh.push(entry);
      fragment.appendChild(entry.node);
    }
    list.insertBefore(fragment, list.firstChild);
    entries = fresh.concat(entries);
    if (entries.length > MAX_SHOWN) {
      for (const gone of entries.splice(MAX_SHOWN)) list.removeChild(gone.node);
    }
    showListed();
  }

  function newEntry(msg) {
    const entry = { msg: msg, node: U.messageView(msg), hay: U.haystack(msg) };
    entry.node.hidden = !matches(entry);
    return entry;
  }

  function showListed() {
    window.corvane.messages = entries.map(function (e) {
      return e.msg;
    });
    updateCount();
  }

  // The newest stored messages go under those the feed has brought since the page opened (they are
  // older), leaving out any the feed has shown already.
  async function loadStored() {
    try {
      const answer = await U.api('api/search', { q: STORED_QUERY, limit: STORED_COUNT });
      flush();
      const stored = Page.logic.olderToShow(
        entries.map(function (e) {
          return e.msg;
        }),
        Array.isArray(answer.hits) ? answer.hits : [],
        MAX_SHOWN - entries.length
      );
      const fragment = document.createDocumentFragment();
      for (const msg of stored) {
        const entry = newEntry(msg);
        storedKeys.add(Page.logic.messageKey(msg));
        entries.push(entry);
        fragment.appendChild(entry.node);
      }
      U.$('live-list').appendChild(fragment);
    } catch (error) {
      // 503: no store (or it cannot answer now), 401: the token bar says so; the feed still fills the list
      if (error.status !== 503 && error.status !== 401) {
        U.showError(U.$('live-error'), 'The last stored messages could not be shown: ' + error.message);
      }
    }
    loadingStored = false;
    showListed();
  }

  function matches(entry) {
    return !filterText || entry.hay.indexOf(filterText) >= 0;
  }

  function applyFilter() {
    filterText = U.$('live-filter').value.trim().toLowerCase();
    for (const entry of entries) entry.node.hidden = !matches(entry);
    updateCount();
  }

  function updateCount() {
    const shown = filterText ? entries.filter(matches).length : entries.length;
    let text = U.plural(entries.length, 'message');
    if (filterText) text += ', ' + shown.toLocaleString('en') + ' matching the filter';
    if (entries.length >= MAX_SHOWN) text += ' (the newest ' + MAX_SHOWN + ' are kept)';
    U.$('live-count').textContent = text;
    U.$('live-empty').hidden = entries.length > 0;
    const empty = loadingStored ? 'Loading the last messages...' : 'Waiting for messages...';
    U.$('live-empty').textContent = entries.length ? '' : empty;
  }

  function updatePauseButton() {
    const button = U.$('live-pause');
    button.textContent = paused ? 'Resume' + (queuedCount ? ' (' + queuedCount.toLocaleString('en') + ' waiting)' : '') : 'Pause';
    button.classList.toggle('btn-active', paused);
    button.setAttribute('aria-pressed', paused ? 'true' : 'false');
  }

  function togglePause() {
    paused = !paused;
    if (!paused) {
      pending = pending.concat(queue);
      queue = [];
      queuedCount = 0;
      flush();
    }
    updatePauseButton();
  }

  function init() {
    U.$('live-pause').addEventListener('click', togglePause);
    let filterTimer = 0;
    U.$('live-filter').addEventListener('input', function () {
      clearTimeout(filterTimer);
      filterTimer = setTimeout(applyFilter, 120);
    });
    updatePauseButton();
    updateCount();
    connect();
    loadStored();
  }

  // receive() is reachable for tests that feed messages without a server.
  Page.live = { init: init, receive: receive };
})();
