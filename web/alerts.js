/* The Alerts tab: the watch list (from api/info) and the alerts of the chosen period (the search
 * "is:alert from:DAY", newest first, with "More"); alerts arriving on the live feed go on top, and the
 * tab counts those not yet looked at. */
'use strict';

(function () {
  const Page = window.CorvanePage;
  const U = Page.util;

  const PAGE_SIZE = 100;
  const PERIOD_DAYS = { today: 0, '7d': 6, '30d': 29 };

  let period = 'today';
  let query = '';
  let next = null;
  let shownCount = 0;
  let total = null; // how many alerts the period has, once counted
  let request = 0;
  let loadedOnce = false;
  let visible = false;
  let unseen = 0;

  function periodQuery() {
    return 'is:alert from:' + U.daysAgo(PERIOD_DAYS[period]);
  }

  function setWatchList(entries) {
    const list = U.$('watch-list');
    U.clear(list);
    const items = Array.isArray(entries) ? entries : [];
    for (const entry of items) {
      const item = U.el('li', 'chip');
      const link = U.el('a', 'chip-link', U.str(entry));
      link.href = U.routeHash('search', { q: U.str(entry) });
      link.title = 'Search the stored messages for this entry';
      item.appendChild(link);
      list.appendChild(item);
    }
    U.$('watch-empty').hidden = items.length > 0;
  }

  async function load() {
    query = periodQuery();
    next = null;
    shownCount = 0;
    total = null;
    const mine = ++request;
    const list = U.$('alerts-list');
    U.clear(list);
    U.$('alerts-more').hidden = true;
    U.$('alerts-empty').hidden = true;
    U.showError(U.$('alerts-error'), null);
    U.$('alerts-summary').textContent = 'Loading...';
    U.$('alerts-open-search').href = U.routeHash('search', { q: query });
    try {
      const answer = await U.api('api/search', { q: query, limit: PAGE_SIZE });
      if (mine !== request) return;
      addPage(answer);
      loadedOnce = true;
      U.$('alerts-summary').textContent = U.plural(shownCount, 'alert') + (next !== null ? ' shown' : '') + ' (' + query + ')';
      countAll(mine);
    } catch (error) {
      if (mine !== request) return;
      U.$('alerts-summary').textContent = '';
      U.showError(U.$('alerts-error'), error);
    }
  }

  async function countAll(mine) {
    try {
      const answer = await U.api('api/count', { q: query });
      if (mine === request && typeof answer.count === 'number') {
        total = answer.count;
        showTotal();
      }
    } catch (error) {
      // the list itself says what went wrong
    }
  }

  async function more() {
    if (next === null) return;
    const mine = request;
    const button = U.$('alerts-more');
    button.disabled = true;
    try {
      const answer = await U.api('api/search', { q: query, limit: PAGE_SIZE, before: next });
      if (mine === request) addPage(answer);
    } catch (error) {
      if (mine === request) U.showError(U.$('alerts-error'), error);
    } finally {
      button.disabled = false;
    }
  }

  function addPage(answer) {
    const hits = Array.isArray(answer.hits) ? answer.hits : [];
    const fragment = document.createDocumentFragment();
    for (const hit of hits) fragment.appendChild(U.messageView(hit));
    U.$('alerts-list').appendChild(fragment);
    shownCount += hits.length;
    next = answer.more && answer.next !== undefined && answer.next !== null ? answer.next : null;
    U.$('alerts-more').hidden = next === null;
    U.$('alerts-empty').hidden = shownCount > 0;
  }

  function showTotal() {
    U.$('alerts-summary').textContent = U.plural(total, 'alert') + ' (' + query + ')';
  }

  // A live message that matched the watch list.
  function onLive(msg) {
    if (loadedOnce) {
      const list = U.$('alerts-list');
      list.insertBefore(U.messageView(msg), list.firstChild);
      shownCount++;
      U.$('alerts-empty').hidden = true;
      if (total !== null) {
        total++;
        showTotal();
      }
    }
    if (!visible) {
      unseen++;
      const badge = U.$('alert-badge');
      badge.textContent = String(unseen);
      badge.hidden = false;
    }
  }

  function showPeriod() {
    for (const button of document.querySelectorAll('.alerts-period-btn')) {
      const on = button.dataset.period === period;
      button.classList.toggle('btn-active', on);
      button.setAttribute('aria-pressed', on ? 'true' : 'false');
    }
  }

  function onShow() {
    visible = true;
    unseen = 0;
    U.$('alert-badge').hidden = true;
    // a new day, or never loaded: ask again (otherwise live alerts keep the list current)
    if (!loadedOnce || query !== periodQuery()) load();
  }

  function onHide() {
    visible = false;
  }

  function init() {
    for (const button of document.querySelectorAll('.alerts-period-btn')) {
      button.addEventListener('click', function () {
        period = button.dataset.period;
        showPeriod();
        load();
      });
    }
    U.$('alerts-more').addEventListener('click', more);
    showPeriod();
  }

  Page.alerts = { init: init, onShow: onShow, onHide: onHide, onLive: onLive, setWatchList: setWatchList };
})();
