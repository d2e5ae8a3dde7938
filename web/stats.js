/* The Statistics tab: bar charts (Chart.js) of the messages by hour, label, kind, station and the top
 * aircraft, and of the decoders' messages by frequency and link, over today, 7 days or 30 days, from api/stats. A click on a bar searches its messages.
 * The charts' data is also kept in window.corvane.charts ({labels: the keys, data: the counts}). */
'use strict';

(function () {
  const Page = window.CorvanePage;
  const U = Page.util;

  const SERIES = ['byHour', 'byLabel', 'byKind', 'byStation', 'byAircraft', 'byFrequency', 'byLink'];
  const COLOURS = {
    byHour: '#1c7ed6',
    byLabel: '#0ca678',
    byKind: '#f08c00',
    byStation: '#7048e8',
    byAircraft: '#e8590c',
    byFrequency: '#1098ad',
    byLink: '#d6336c',
  };
  const REFRESH_MS = 60000;

  let period = 'today';
  let charts = {}; // Chart instances by series
  let last = null; // the last answer
  let request = 0;
  let refreshTimer = 0;
  let shown = false;

  function keyText(item) {
    const key = U.str(item && item.key);
    return key === '' ? '(none)' : key;
  }

  // "2026-12-09T13" -> "13:00" (today) or "12-09 13h" (several days).
  function hourText(key) {
    const hour = key.slice(11, 13);
    return period === 'today' ? hour + ':00' : key.slice(5, 10) + ' ' + hour + 'h';
  }

  function chartOptions(series, horizontal) {
    return {
      indexAxis: horizontal ? 'y' : 'x',
      responsive: true,
      maintainAspectRatio: false,
      animation: false,
      plugins: {
        legend: { display: false },
        tooltip: {
          callbacks: {
            title: function (items) {
              const item = last && last[series] && last[series][items[0].dataIndex];
              if (!item) return '';
              if (series === 'byHour') return U.str(item.key) + ':00 UTC';
              return keyText(item) + (item.name ? ' \u2014 ' + U.str(item.name) : '');
            },
          },
        },
      },
      scales: {
        x: {
          beginAtZero: true,
          ticks: horizontal ? { precision: 0 } : { maxRotation: 0, autoSkip: true, autoSkipPadding: 8 },
          grid: { display: horizontal },
        },
        y: {
          beginAtZero: true,
          ticks: horizontal ? { autoSkip: false } : { precision: 0 },
          grid: { display: !horizontal },
        },
      },
      onClick: function (event, elements) {
        if (!elements.length || !last || !last[series]) return;
        const item = last[series][elements[0].index];
        const query = item ? Page.logic.barQuery(series, item.key, last) : '';
        if (query) U.searchFor(query);
      },
      onHover: function (event, elements) {
        event.native.target.style.cursor = elements.length ? 'pointer' : 'default';
      },
    };
  }

  function drawSeries(series, items) {
    const labels = items.map(keyText);
    const data = items.map(function (item) {
      return typeof item.count === 'number' ? item.count : 0;
    });
    window.corvane.charts[series] = { labels: labels, data: data };
    const display = series === 'byHour' ? labels.map(hourText) : labels.map(U.visibleText);
    const chart = charts[series];
    if (chart) {
      chart.data.labels = display;
      chart.data.datasets[0].data = data;
      chart.update();
      return;
    }
    const canvas = U.$('chart-' + series);
    charts[series] = new Chart(canvas, {
      type: 'bar',
      data: {
        labels: display,
        datasets: [{ label: 'messages', data: data, backgroundColor: COLOURS[series], borderRadius: 2, maxBarThickness: 28 }],
      },
      options: chartOptions(series, series !== 'byHour'),
    });
  }

  // A horizontal chart gets the height its bars need, so no label is skipped.
  function sizeBox(series, count) {
    if (series === 'byHour') return;
    const box = U.$('chart-' + series).parentNode;
    box.style.height = Math.max(160, 40 + count * 22) + 'px';
  }

  function summary(answer) {
    const total = (answer.byHour || []).reduce(function (sum, item) {
      return sum + (typeof item.count === 'number' ? item.count : 0);
    }, 0);
    let text = U.plural(total, 'message');
    if (typeof answer.from === 'number' && typeof answer.to === 'number') {
      text += ' from ' + U.formatTime({ utc: answer.from }) + ' to ' + U.formatTime({ utc: answer.to }) + ' UTC';
    }
    return text;
  }

  async function load() {
    const mine = ++request;
    U.$('stats-summary').textContent = 'Loading...';
    try {
      const answer = await U.api('api/stats', { period: period });
      if (mine !== request) return;
      last = answer;
      if (typeof Chart !== 'function') throw new Error('The chart library (vendor/chart.js/chart.min.js) did not load.');
      for (const series of SERIES) {
        const items = Array.isArray(answer[series]) ? answer[series] : [];
        sizeBox(series, items.length);
        drawSeries(series, items);
      }
      U.$('stats-summary').textContent = summary(answer);
      U.showError(U.$('stats-error'), null);
      window.corvane.ready.stats = true;
    } catch (error) {
      if (mine !== request) return;
      U.$('stats-summary').textContent = '';
      U.showError(U.$('stats-error'), error);
    }
  }

  function showPeriod() {
    for (const button of document.querySelectorAll('.period-btn')) {
      const on = button.dataset.period === period;
      button.classList.toggle('btn-active', on);
      button.setAttribute('aria-pressed', on ? 'true' : 'false');
    }
  }

  function onShow() {
    shown = true;
    load();
    clearInterval(refreshTimer);
    refreshTimer = setInterval(function () {
      if (shown && !document.hidden) load();
    }, REFRESH_MS);
  }

  function onHide() {
    shown = false;
    clearInterval(refreshTimer);
  }

  function init() {
    for (const button of document.querySelectorAll('.period-btn')) {
      button.addEventListener('click', function () {
        period = button.dataset.period;
        showPeriod();
        load();
      });
    }
    showPeriod();
  }

  Page.stats = { init: init, onShow: onShow, onHide: onHide };
})();
