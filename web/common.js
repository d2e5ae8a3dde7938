/* Shared pieces of Corvane's page: DOM building (every text goes in as text, never as HTML), the API
 * client with the access token, the message view that every tab uses, and the read-only state that
 * browser tests look at (window.corvane). The logic without DOM (time, texts, routes) is logic.js's,
 * handed on here in Page.util with the rest. */
'use strict';

(function () {
  const Page = (window.CorvanePage = window.CorvanePage || {});
  const {
    utcDay,
    utcMinute,
    shiftDay,
    messageDate,
    messageDay,
    formatTime,
    str,
    isAlert,
    readableOf,
    positionOf,
    visibleText,
    kindText,
    firstLine,
    flightText,
    blocksText,
    wholeText,
    fieldValueText,
    haystack,
    parseRoute,
    routeHash,
  } = Page.logic;

  // Test hooks: read-only state kept up to date by the tabs.
  window.corvane = {
    messages: [], // the messages in the Live list (live and, at the start, stored), newest first
    aircraft: {}, // tail -> {lat, lon, track: [[lat, lon], ...]} of today
    charts: {}, // byHour, byLabel, byKind, byStation, byAircraft, byFrequency, byLink -> {labels, data}
    searchHits: [], // the Search tab's hits, in the order shown
    aircraftDay: null, // {tail, day, hits} of the aircraft's day last shown
    // the map's ADS-B aircraft: enabled (null until asked), the receiver, how many the answer had, and
    // hex -> {x, y (map container pixels), lat, lon, rotation, opacity, marked, query, label, labelled} drawn
    adsb: { enabled: null, station: null, count: 0, aircraft: {}, polls: 0, draws: 0, drawMs: 0, lastQuery: '' },
    ready: { live: false, map: false, stats: false },
  };

  // ---- DOM ----

  // An element with an optional class and text (as text, whatever it holds).
  function el(tag, className, text) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined && text !== null) node.textContent = String(text);
    return node;
  }

  function clear(node) {
    while (node.firstChild) node.removeChild(node.firstChild);
  }

  function $(id) {
    return document.getElementById(id);
  }

  // Shows an error as text in a (hidden until then) error paragraph, or hides it for null.
  function showError(node, error) {
    if (!node) return;
    if (!error) {
      node.hidden = true;
      node.textContent = '';
      return;
    }
    node.textContent = error instanceof Error ? error.message : String(error);
    node.hidden = false;
  }

  // ---- Token ----

  const TOKEN_KEY = 'corvane.token';

  // Takes "#token=..." from the address into sessionStorage and removes it from the address bar.
  function takeTokenFromHash() {
    const hash = location.hash;
    if (!hash.startsWith('#token=')) return false;
    let value = hash.slice('#token='.length);
    // "#token=...&map" opens the map once the token is kept
    const amp = value.indexOf('&');
    const view = amp >= 0 ? '#' + value.slice(amp + 1) : '';
    if (amp >= 0) value = value.slice(0, amp);
    try {
      value = decodeURIComponent(value);
    } catch (e) {
      // a malformed escape: keep it as typed
    }
    setToken(value);
    history.replaceState(null, '', location.pathname + location.search + view);
    return true;
  }

  function token() {
    try {
      return sessionStorage.getItem(TOKEN_KEY) || '';
    } catch (e) {
      return '';
    }
  }

  function setToken(value) {
    try {
      if (value) sessionStorage.setItem(TOKEN_KEY, value);
      else sessionStorage.removeItem(TOKEN_KEY);
    } catch (e) {
      // storage refused (private mode): the token lasts until the page is left
    }
  }

  // ---- API ----

  class ApiError extends Error {
    constructor(message, status) {
      super(message);
      this.status = status;
    }
  }

  // GET a JSON answer from the API (path relative to the page, e.g. "api/search").
  async function api(path, params) {
    const url = new URL(path, document.baseURI);
    if (params) {
      for (const [name, value] of Object.entries(params)) {
        if (value !== undefined && value !== null && value !== '') url.searchParams.set(name, String(value));
      }
    }
    const headers = { Accept: 'application/json' };
    const bearer = token();
    if (bearer) headers.Authorization = 'Bearer ' + bearer;
    let response;
    try {
      response = await fetch(url, { headers: headers, cache: 'no-store' });
    } catch (e) {
      throw new ApiError('The server cannot be reached (' + e.message + ').', 0);
    }
    let body = null;
    try {
      body = await response.json();
    } catch (e) {
      body = null;
    }
    if (!response.ok) {
      const reason =
        body && typeof body.error === 'string' && body.error
          ? body.error
          : 'The server answered ' + response.status + ' ' + response.statusText + '.';
      if (response.status === 401 && Page.onUnauthorized) Page.onUnauthorized(reason);
      throw new ApiError(reason, response.status);
    }
    if (body === null || typeof body !== 'object') {
      throw new ApiError('The server sent an answer that is not a JSON object.', response.status);
    }
    return body;
  }

  // The WebSocket address of the live feed, with the token when there is one.
  function liveUrl() {
    const url = new URL('api/live', document.baseURI);
    url.protocol = url.protocol === 'https:' ? 'wss:' : 'ws:';
    const bearer = token();
    if (bearer) url.searchParams.set('token', bearer);
    return url.href;
  }

  // ---- Routes: "#name?param=value" ----

  // Opens the Search tab on a query.
  function searchFor(query) {
    location.hash = routeHash('search', { q: query });
  }

  // ---- Time (always UTC) ----

  function startOfTodayUtc() {
    const now = new Date();
    return Math.floor(Date.UTC(now.getUTCFullYear(), now.getUTCMonth(), now.getUTCDate()) / 1000);
  }

  // The day DAYS before today, as YYYY-MM-DD (UTC).
  function daysAgo(days) {
    return utcDay(new Date((startOfTodayUtc() - days * 86400) * 1000));
  }

  // ---- Message helpers ----

  function tailButton(msg) {
    const tail = str(msg.address).trim();
    if (!tail) return el('span', 'msg-tail none', '(no address)');
    const button = el('button', 'msg-tail linkish', visibleText(tail));
    button.type = 'button';
    button.title = "This aircraft's messages of that day";
    button.addEventListener('click', function (event) {
      event.stopPropagation();
      if (Page.day) Page.day.show(tail, messageDay(msg));
    });
    return button;
  }

  function headItem(className, caption, value) {
    const item = el('span', className);
    if (caption) item.appendChild(el('span', 'caption', caption));
    item.appendChild(document.createTextNode(visibleText(value)));
    return item;
  }

  // The full view of one message: header, alerts, readable title, fields and lines, raw text.
  // options.fieldsOpen: show the fields unfolded.
  function messageView(msg, options) {
    options = options || {};
    const view = el('article', 'msg');
    if (isAlert(msg)) view.classList.add('alert');

    const head = el('div', 'msg-head');
    const date = messageDate(msg);
    const time = el('time', 'msg-time', formatTime(msg) + (date ? 'Z' : ''));
    if (date) time.dateTime = date.toISOString();
    head.appendChild(time);
    if (str(msg.station)) head.appendChild(headItem('msg-station', '', str(msg.station)));
    head.appendChild(tailButton(msg));
    if (flightText(msg)) head.appendChild(headItem('msg-flight', 'flight ', flightText(msg)));
    head.appendChild(headItem('msg-label', 'label ', str(msg.label)));
    const kind = kindText(msg);
    if (kind) head.appendChild(el('span', 'msg-kind', visibleText(kind)));
    const meta = [];
    if (str(msg.mode)) meta.push('mode ' + str(msg.mode));
    if (str(msg.block).trim()) meta.push('block ' + str(msg.block));
    if (str(msg.msn).trim()) meta.push('msn ' + str(msg.msn));
    if (blocksText(msg)) meta.push(blocksText(msg));
    if (typeof msg.hops === 'number') meta.push(msg.hops + (msg.hops === 1 ? ' hop' : ' hops'));
    if (meta.length) head.appendChild(el('span', 'msg-meta', meta.join(' \u00b7 ')));
    view.appendChild(head);

    const reception = Page.logic.receptionText(msg);
    if (reception) view.appendChild(el('div', 'msg-reception', visibleText(reception)));

    if (isAlert(msg)) {
      const alerts = el('div', 'msg-alerts');
      alerts.appendChild(el('span', 'caption', 'Alert: '));
      for (const entry of msg.alerts) alerts.appendChild(el('span', 'alert-tag', visibleText(entry)));
      view.appendChild(alerts);
    }

    const readable = readableOf(msg);
    if (readable) {
      const block = el('div', 'readable');
      const fields = readable.fields && typeof readable.fields === 'object' ? Object.entries(readable.fields) : [];
      if (readable.text) block.appendChild(el('pre', 'readable-text', visibleText(readable.text).replace(/\n+$/, '')));
      if (fields.length) {
        const details = el('details', 'fields');
        if (options.fieldsOpen) details.open = true;
        details.appendChild(el('summary', '', 'Fields (' + fields.length + ')'));
        const list = el('dl');
        for (const [name, value] of fields) {
          const row = el('div', 'field');
          row.appendChild(el('dt', '', name + ':'));
          row.appendChild(el('dd', '', visibleText(fieldValueText(value))));
          list.appendChild(row);
        }
        details.appendChild(list);
        block.appendChild(details);
      }
      view.appendChild(block);
    }

    const raw = el('pre', 'raw', visibleText(wholeText(msg)));
    if (!wholeText(msg)) raw.classList.add('raw-empty');
    view.appendChild(raw);
    return view;
  }

  // Shows a list of messages (full views) in a container, replacing what was there.
  function fillMessageList(container, messages, options) {
    clear(container);
    const fragment = document.createDocumentFragment();
    for (const msg of messages) fragment.appendChild(messageView(msg, options));
    container.appendChild(fragment);
  }

  function plural(n, one, many) {
    return n.toLocaleString('en') + ' ' + (n === 1 ? one : many || one + 's');
  }

  Page.util = {
    el: el,
    clear: clear,
    $: $,
    showError: showError,
    api: api,
    ApiError: ApiError,
    liveUrl: liveUrl,
    token: token,
    setToken: setToken,
    takeTokenFromHash: takeTokenFromHash,
    parseRoute: parseRoute,
    routeHash: routeHash,
    searchFor: searchFor,
    utcDay: utcDay,
    utcMinute: utcMinute,
    startOfTodayUtc: startOfTodayUtc,
    daysAgo: daysAgo,
    shiftDay: shiftDay,
    messageDate: messageDate,
    messageDay: messageDay,
    formatTime: formatTime,
    str: str,
    isAlert: isAlert,
    positionOf: positionOf,
    visibleText: visibleText,
    kindText: kindText,
    firstLine: firstLine,
    blocksText: blocksText,
    wholeText: wholeText,
    haystack: haystack,
    tailButton: tailButton,
    messageView: messageView,
    fillMessageList: fillMessageList,
    plural: plural,
  };
})();
