/* The Search tab: a query in the store's search language (route "#search?q=..."), its hits newest first
 * a page of 100 at a time ("More" asks for the next with before=<next>), how many there are in all,
 * and the chosen hit read in full beside the list with a button for its aircraft's day. */
'use strict';

(function () {
  const Page = window.CorvanePage;
  const U = Page.util;

  const PAGE_SIZE = 100;

  let query = ''; // the query whose hits are shown
  let next = null; // the "before" of the next page, or null
  let hits = [];
  let request = 0; // the newest query wins
  let selectedRow = null;

  function tbody() {
    return U.$('search-results').tBodies[0];
  }

  function setEmpty(text) {
    const node = U.$('search-empty');
    node.textContent = text || '';
    node.hidden = !text;
  }

  // Runs a query from the start (the route calls this).
  async function run(text) {
    query = text;
    next = null;
    hits = [];
    window.corvane.searchHits = [];
    selectedRow = null;
    const mine = ++request;
    U.clear(tbody());
    showDetail(null);
    U.showError(U.$('search-error'), null);
    U.$('search-more').hidden = true;
    U.$('search-count').textContent = '';
    if (!text.trim()) {
      setEmpty('Type a query and press Enter.');
      return;
    }
    setEmpty('Searching...');
    countHits(text, mine);
    try {
      const answer = await U.api('api/search', { q: text, limit: PAGE_SIZE });
      if (mine !== request) return;
      addPage(answer);
    } catch (error) {
      if (mine !== request) return;
      setEmpty('');
      U.showError(U.$('search-error'), error);
    }
  }

  async function countHits(text, mine) {
    try {
      const answer = await U.api('api/count', { q: text });
      if (mine !== request || typeof answer.count !== 'number') return;
      U.$('search-count').textContent = U.plural(answer.count, 'message') + ' found';
    } catch (error) {
      // the search itself tells what is wrong
    }
  }

  async function more() {
    if (next === null) return;
    const mine = request;
    const button = U.$('search-more');
    button.disabled = true;
    button.textContent = 'Loading...';
    try {
      const answer = await U.api('api/search', { q: query, limit: PAGE_SIZE, before: next });
      if (mine !== request) return;
      addPage(answer);
    } catch (error) {
      if (mine === request) U.showError(U.$('search-error'), error);
    } finally {
      button.disabled = false;
      button.textContent = 'More';
    }
  }

  function addPage(answer) {
    const page = Array.isArray(answer.hits) ? answer.hits : [];
    const fragment = document.createDocumentFragment();
    for (const hit of page) fragment.appendChild(row(hit));
    tbody().appendChild(fragment);
    hits = hits.concat(page);
    window.corvane.searchHits = hits;
    next = answer.more && answer.next !== undefined && answer.next !== null ? answer.next : null;
    U.$('search-more').hidden = next === null;
    setEmpty(hits.length ? '' : 'No message matches this query.');
  }

  function cell(text, className) {
    const td = U.el('td', className, text);
    return td;
  }

  function row(hit) {
    const tr = U.el('tr', U.isAlert(hit) ? 'hit alert' : 'hit');
    tr.tabIndex = 0;
    tr.appendChild(cell(U.formatTime(hit), 'nowrap'));
    const tail = U.el('td', 'nowrap');
    tail.appendChild(U.tailButton(hit));
    tr.appendChild(tail);
    const flight = cell(U.visibleText(hit.flight), 'nowrap');
    if (U.str(hit.airline)) flight.title = U.str(hit.airline);
    tr.appendChild(flight);
    tr.appendChild(cell(U.visibleText(hit.label), 'nowrap'));
    tr.appendChild(cell(U.visibleText(U.kindText(hit)), 'kind'));
    tr.appendChild(cell(U.firstLine(U.wholeText(hit)), 'text'));
    tr.addEventListener('click', function (event) {
      select(tr, hit);
      // stacked columns (narrow screens): bring the message into view under the list
      if (event.isTrusted && window.matchMedia('(max-width: 900px)').matches) {
        U.$('search-detail').scrollIntoView({ block: 'start' });
      }
    });
    tr.addEventListener('keydown', function (event) {
      if (event.key === 'Enter' || event.key === ' ') {
        event.preventDefault();
        select(tr, hit);
      } else if (event.key === 'ArrowDown' && tr.nextElementSibling) {
        event.preventDefault();
        tr.nextElementSibling.focus();
        tr.nextElementSibling.click();
      } else if (event.key === 'ArrowUp' && tr.previousElementSibling) {
        event.preventDefault();
        tr.previousElementSibling.focus();
        tr.previousElementSibling.click();
      }
    });
    return tr;
  }

  function select(tr, hit) {
    if (selectedRow) selectedRow.classList.remove('selected');
    selectedRow = tr;
    tr.classList.add('selected');
    showDetail(hit);
  }

  function showDetail(hit) {
    const detail = U.$('search-detail');
    U.clear(detail);
    if (!hit) {
      detail.appendChild(U.el('p', 'empty', 'Choose a message to read it here.'));
      return;
    }
    const tail = U.str(hit.address).trim();
    const bar = U.el('div', 'detail-bar');
    const dayButton = U.el('button', 'btn', "Aircraft's day");
    dayButton.type = 'button';
    dayButton.id = 'search-day';
    dayButton.disabled = !tail;
    dayButton.addEventListener('click', function () {
      Page.day.show(tail, U.messageDay(hit));
    });
    bar.appendChild(dayButton);
    if (typeof hit.id === 'number') bar.appendChild(U.el('span', 'muted', 'stored row ' + hit.id));
    detail.appendChild(bar);
    detail.appendChild(U.messageView(hit, { fieldsOpen: true }));
  }

  function submit() {
    const text = U.$('search-q').value.trim();
    const hash = U.routeHash('search', text ? { q: text } : {});
    if (location.hash === hash) run(text);
    else location.hash = hash;
  }

  // The route "#search?q=...": runs the query unless it is the one already shown.
  function onShow(params) {
    if (!params.has('q') && query) {
      // back on the tab without a query: keep the last one and its hits
      history.replaceState(null, '', U.routeHash('search', { q: query }));
      return;
    }
    const text = params.get('q') || '';
    const box = U.$('search-q');
    if (box.value.trim() !== text) box.value = text;
    if (text !== query || (!text && !hits.length)) run(text);
    box.focus();
  }

  function init() {
    U.$('search-go').addEventListener('click', submit);
    U.$('search-q').addEventListener('keydown', function (event) {
      if (event.key === 'Enter') {
        event.preventDefault();
        submit();
      }
    });
    U.$('search-more').addEventListener('click', more);
  }

  Page.search = { init: init, onShow: onShow, run: run };
})();
