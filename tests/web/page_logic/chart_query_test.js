// A click on a statistics bar opens the search for exactly the bar's key:
// the query, read back by the search language's rules and through the
// route the click sets, gives the key whole (spaces, quotes and control
// characters kept).
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const logic = require('./load_logic.js');

// The field terms of a query as the store's reader sees them: a value is
// bare up to a space or a quote, or quoted with a doubled quote standing for
// one; a quote never closed makes the query unreadable.
function fieldTerms(query) {
  const terms = [];
  let at = 0;
  const bare = () => {
    const start = at;
    while (at < query.length && !/[ \t\r\n"]/.test(query[at])) at++;
    return query.slice(start, at);
  };
  const quoted = () => {
    let inside = '';
    for (let from = at + 1; ; ) {
      const close = query.indexOf('"', from);
      if (close < 0) throw new Error('a quote is never closed in ' + JSON.stringify(query));
      inside += query.slice(from, close);
      if (query[close + 1] !== '"') {
        at = close + 1;
        return inside;
      }
      inside += '"';
      from = close + 2;
    }
  };
  while (at < query.length) {
    if (/[ \t\r\n]/.test(query[at])) {
      at++;
      continue;
    }
    if (query[at] === '"') throw new Error('a phrase where a field term was meant in ' + JSON.stringify(query));
    const token = bare();
    const colon = token.indexOf(':');
    assert.ok(colon > 0, 'not a field term: ' + token);
    let value = token.slice(colon + 1);
    if (!value && query[at] === '"') value = quoted();
    terms.push([token.slice(0, colon), value]);
  }
  return terms;
}

// The query as the Search tab gets it: through the route the click sets.
function throughRoute(query) {
  return logic.parseRoute(logic.routeHash('search', { q: query })).params.get('q');
}

const DAY = Date.UTC(2026, 11, 9) / 1000;
const TODAY = { from: DAY, to: DAY + 13 * 3600 + 5 * 60 + 1 };

test('a bar of each field chart searches its key whole, whatever the key holds', () => {
  const keys = ['H1', '_d', 'N123-UA.', 'A ', ' A', '5"', '"', 'A""B', 'Bob\'s "North" site', 'tab\there',
    'SQ\u007f', 'a:b', '-5', 'AND', 'Z\u00fcrich', '\\', 'two  spaces', '"quoted"', '#&%+=?'];
  const fields = { byLabel: 'label', byKind: 'kind', byStation: 'station', byAircraft: 'address' };
  for (const [series, field] of Object.entries(fields)) {
    for (const key of keys) {
      const query = logic.barQuery(series, key, TODAY);
      assert.notStrictEqual(query, '', series + ' ' + JSON.stringify(key) + ' gives no search');
      assert.strictEqual(throughRoute(query), query);
      assert.deepStrictEqual(fieldTerms(query), [
        [field, key],
        ['from', '2026-12-09T00:00'],
        ['to', '2026-12-09T13:05'],
      ]);
    }
  }
});

test('a plain key goes in bare, others in quotes', () => {
  assert.strictEqual(logic.barQuery('byLabel', 'H1', null), 'label:H1');
  assert.strictEqual(logic.barQuery('byStation', 'Bob\'s "North"', null), 'station:"Bob\'s ""North"""');
  assert.strictEqual(logic.barQuery('byLabel', 'Q ', { from: DAY }), 'label:"Q " from:2026-12-09T00:00');
  assert.strictEqual(logic.barQuery('byFrequency', '131.725', null), 'freq:131.725');
  assert.strictEqual(logic.barQuery('byLink', 'vdl2', null), 'link:vdl2');
});

test('an hour bar searches its hour; what has no term searches nothing', () => {
  const query = logic.barQuery('byHour', '2026-12-09T13', TODAY);
  assert.strictEqual(query, 'from:2026-12-09T13:00 to:2026-12-09T13:59');
  assert.strictEqual(throughRoute(query), query);
  assert.strictEqual(logic.barQuery('byHour', '2026-12-09', TODAY), '');
  assert.strictEqual(logic.barQuery('byKind', '', TODAY), '');
  assert.strictEqual(logic.barQuery('byKind', null, TODAY), '');
  assert.strictEqual(logic.barQuery('byWeather', 'X', TODAY), '');
});
