/* The aircraft's day: a side panel listing one aircraft's messages of one UTC day (newest first), opened
 * from a tail in any list, the Search tab's "Aircraft's day" button or an aircraft on the map. */
'use strict';

(function () {
  const Page = window.CorvanePage;
  const U = Page.util;

  let current = null; // {tail, day}
  let request = 0; // the newest request wins when several overlap

  async function show(tail, day) {
    current = { tail: tail, day: day };
    const mine = ++request;
    const panel = U.$('day-panel');
    const opening = panel.hidden;
    panel.hidden = false;
    if (opening) U.$('day-close').focus();
    document.body.classList.add('with-drawer');
    U.$('day-title').textContent = U.visibleText(tail) + ' \u2014 ' + day;
    U.$('day-summary').textContent = 'Loading...';
    U.showError(U.$('day-error'), null);
    U.$('day-next').disabled = day >= U.utcDay(new Date());
    const list = U.$('day-list');
    U.clear(list);
    try {
      const answer = await U.api('api/aircraft', { tail: tail, day: day });
      if (mine !== request) return;
      const hits = Array.isArray(answer.hits) ? answer.hits : [];
      window.corvane.aircraftDay = { tail: tail, day: day, hits: hits };
      U.$('day-summary').textContent = hits.length
        ? U.plural(hits.length, 'message') + ', newest first'
        : 'No message from this aircraft on that day.';
      U.fillMessageList(list, hits, {});
      list.scrollTop = 0;
    } catch (error) {
      if (mine !== request) return;
      U.$('day-summary').textContent = '';
      U.showError(U.$('day-error'), error);
    }
  }

  function close() {
    request++;
    current = null;
    U.$('day-panel').hidden = true;
    document.body.classList.remove('with-drawer');
  }

  function init() {
    U.$('day-close').addEventListener('click', close);
    U.$('day-prev').addEventListener('click', function () {
      if (current) show(current.tail, U.shiftDay(current.day, -1));
    });
    U.$('day-next').addEventListener('click', function () {
      if (current) show(current.tail, U.shiftDay(current.day, 1));
    });
    document.addEventListener('keydown', function (event) {
      if (event.key === 'Escape' && current) close();
    });
  }

  Page.day = { init: init, show: show, close: close };
})();
