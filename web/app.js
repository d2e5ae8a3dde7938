/* The page's start and its routes: takes the token from "#token=...", asks api/info for the station and
 * the watch list, starts the live feed and the map's positions, and shows one tab per route
 * (#live, #search?q=..., #map, #stats, #alerts), calling each tab's onShow and onHide. */
'use strict';

(function () {
  const Page = window.CorvanePage;
  const U = Page.util;

  const ROUTES = ['live', 'search', 'map', 'stats', 'alerts'];
  const INFO_POLL_MS = 10000;

  let currentRoute = null;

  function module(name) {
    return { live: Page.live, search: Page.search, map: Page.map, stats: Page.stats, alerts: Page.alerts }[name];
  }

  function route() {
    if (U.takeTokenFromHash()) {
      // a token given while the page is open: start again with it (the live feed too)
      location.reload();
      return;
    }
    const parsed = U.parseRoute(location.hash);
    const name = ROUTES.indexOf(parsed.name) >= 0 ? parsed.name : 'live';
    if (currentRoute && currentRoute !== name) {
      const leaving = module(currentRoute);
      if (leaving && leaving.onHide) leaving.onHide();
    }
    for (const other of ROUTES) {
      const on = other === name;
      U.$('view-' + other).hidden = !on;
      const tab = U.$('tab-' + other);
      tab.classList.toggle('active', on);
      if (on) tab.setAttribute('aria-current', 'page');
      else tab.removeAttribute('aria-current');
    }
    currentRoute = name;
    const shown = module(name);
    if (shown && shown.onShow) shown.onShow(parsed.params);
  }

  // ---- Station information ----

  function showInfo(info) {
    const parts = [];
    if (info.station) parts.push(U.str(info.station));
    if (info.version) parts.push('v' + U.str(info.version));
    U.$('station').textContent = parts.join(' \u00b7 ');
    document.title = info.station ? 'Corvane \u2014 ' + U.str(info.station) : 'Corvane';
    Page.alerts.setWatchList(info.watchList);
    const indexing = info.indexing;
    const badge = U.$('indexing');
    if (indexing && typeof indexing.done === 'number' && typeof indexing.total === 'number' && indexing.done < indexing.total) {
      const percent = indexing.total ? Math.floor((100 * indexing.done) / indexing.total) : 0;
      badge.textContent = 'Indexing ' + percent + '%';
      badge.title = 'Older messages being indexed for search: ' + indexing.done.toLocaleString('en') + ' of ' + indexing.total.toLocaleString('en') + '; those not yet indexed are not found.';
      badge.hidden = false;
    } else {
      badge.hidden = true;
    }
    if (info.store === false) {
      U.showError(U.$('global-error'), 'This receiver keeps no store: search, statistics, alerts of the past and the tracks of the day are not available.');
    }
    if (info.tokenRequired && !U.token()) onUnauthorized('This server needs a token.');
    return indexing && indexing.done < indexing.total;
  }

  async function loadInfo() {
    try {
      const info = await U.api('api/info');
      if (showInfo(info)) setTimeout(loadInfo, INFO_POLL_MS);
    } catch (error) {
      U.showError(U.$('global-error'), 'Station information: ' + error.message);
    }
  }

  // ---- Token ----

  function onUnauthorized(reason) {
    const sentence = /[.!?]$/.test(reason) ? reason : reason + '.';
    U.$('token-reason').textContent = sentence + ' Open the page with #token=... or give the token here.';
    U.$('token-bar').hidden = false;
  }

  function saveToken() {
    const value = U.$('token-input').value.trim();
    if (!value) return;
    U.setToken(value);
    location.reload();
  }

  function start() {
    Page.onUnauthorized = onUnauthorized;
    U.takeTokenFromHash();
    // the form is never sent anywhere (the page's policy allows no form action): it only keeps the token
    U.$('token-bar').addEventListener('submit', function (event) {
      event.preventDefault();
      saveToken();
    });
    Page.day.init();
    Page.live.init();
    Page.search.init();
    Page.map.init();
    Page.stats.init();
    Page.alerts.init();
    if (typeof L === 'undefined') U.showError(U.$('map-error'), 'The map library (vendor/leaflet/leaflet.js) did not load.');
    window.addEventListener('hashchange', route);
    route();
    loadInfo();
  }

  start();
})();
