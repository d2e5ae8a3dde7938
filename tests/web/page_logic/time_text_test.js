// The page's UTC times and the message texts as the page shows them.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const logic = require('./load_logic.js');

test('times are UTC whatever the browser\'s zone', () => {
  assert.strictEqual(logic.formatTime({ time: '2026-12-07T09:00:01.999Z' }), '2026-12-07 09:00:01');
  assert.strictEqual(logic.formatTime({ time: '2026-12-31T23:30:00-02:00' }), '2027-01-01 01:30:00');
  assert.strictEqual(logic.formatTime({ utc: Date.UTC(2026, 1, 3, 4, 5, 6) / 1000 }), '2026-02-03 04:05:06');
  // "time" wins over "utc"; a "time" that is not one falls back on "utc", else is shown as it came
  assert.strictEqual(logic.formatTime({ time: '2026-12-07T00:00:00Z', utc: 0 }), '2026-12-07 00:00:00');
  assert.strictEqual(logic.formatTime({ time: 'soon', utc: 0 }), '1970-01-01 00:00:00');
  assert.strictEqual(logic.formatTime({ time: 'soon' }), 'soon');
  assert.strictEqual(logic.formatTime({}), '');
  assert.strictEqual(logic.messageDay({ time: '2026-12-07T23:59:59.999Z' }), '2026-12-07');
  assert.strictEqual(logic.utcMinute(new Date(Date.UTC(2026, 0, 2, 3, 4, 59))), '2026-01-02T03:04');
});

test('days move across months, years and leap days', () => {
  assert.strictEqual(logic.shiftDay('2024-02-28', 1), '2024-02-29');
  assert.strictEqual(logic.shiftDay('2026-02-28', 1), '2026-03-01');
  assert.strictEqual(logic.shiftDay('2026-12-31', 1), '2027-01-01');
  assert.strictEqual(logic.shiftDay('2026-01-01', -1), '2025-12-31');
  assert.strictEqual(logic.shiftDay('not a day', 1), 'not a day');
});

test('control characters are shown by their code, markup stays text, line ends become new lines', () => {
  assert.strictEqual(logic.visibleText('CTRL \x01\x07\x1b[31m END'), 'CTRL \u27e801\u27e9\u27e807\u27e9\u27e81B\u27e9[31m END');
  assert.strictEqual(logic.visibleText('\x00\x7f\x85\x9f\xa0'), '\u27e800\u27e9\u27e87F\u27e9\u27e885\u27e9\u27e89F\u27e9\xa0');
  assert.strictEqual(logic.visibleText('a\r\nb\rc\nd\te'), 'a\nb\nc\nd\te');
  const markup = '<img src=x onerror="alert(1)"> &amp; &lt;';
  assert.strictEqual(logic.visibleText(markup), markup);
  assert.strictEqual(logic.visibleText(null), '');
  assert.strictEqual(logic.visibleText(42), '42');
  assert.strictEqual(logic.firstLine('\r\n   \r\n  first \x07 \nsecond'), 'first \u27e807\u27e9');
});

test('the live filter sees every shown text, in lower case', () => {
  const hay = logic.haystack({
    time: '2026-12-07T09:00:01Z', address: '.N123UA', label: 'H1', text: 'POS N48',
    readable: { title: 'Position Report', fields: { waypoints: ['NAPSI', 'DOMUX'], latitude: 48.4 } },
    alerts: ['MEDICAL'],
  });
  for (const seen of ['2026-12-07 09:00:01', '.n123ua', 'pos n48', 'position report', 'waypoints: napsi, domux',
    'latitude: 48.4', 'medical']) {
    assert.ok(hay.includes(seen), seen);
  }
});
