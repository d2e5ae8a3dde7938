// The Live list at the start: the newest stored messages go under what the
// live feed has shown meanwhile, each message once.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const logic = require('./load_logic.js');

function message(second, text, extra) {
  return Object.assign(
    { time: '2026-12-07T09:00:' + String(second).padStart(2, '0') + '.250Z', mode: '2', address: '.N123UA',
      label: 'H1', block: '1', msn: 'M01A', flight: 'BA0306', text: text },
    extra || {}
  );
}

test('a stored message the feed has shown already is left out, whatever station and identity it carries', () => {
  const live = [message(3, 'C', { station: 'HOME', hops: 1, id: 'abc' }), message(2, 'B', { station: 'HOME', hops: 1 })];
  const stored = [message(2, 'B', { station: '', id: 17, utc: 1765098002 }), message(1, 'A', { id: 16 }),
    message(0, 'A', { id: 15 })];
  assert.deepStrictEqual(logic.olderToShow(live, stored, 100), [stored[1], stored[2]]);
  assert.deepStrictEqual(logic.olderToShow(live, stored, 1), [stored[1]]);
  assert.deepStrictEqual(logic.olderToShow(live, stored, 0), []);
  assert.deepStrictEqual(logic.olderToShow([], [], 10), []);
});

test('messages differing in any card field or time are different messages', () => {
  const base = message(1, 'TEXT');
  const same = logic.messageKey(base);
  assert.strictEqual(logic.messageKey(Object.assign({}, base, { station: 'ELSEWHERE', hops: 3 })), same);
  for (const [field, value] of [['time', '2026-12-07T09:00:01.251Z'], ['mode', 'X'], ['address', '.N123UB'],
    ['label', 'H2'], ['block', '2'], ['msn', 'M01B'], ['text', 'TEXT ']]) {
    assert.notStrictEqual(logic.messageKey(Object.assign({}, base, { [field]: value })), same, field);
  }
  // the key's separator cannot be forged by moving text between fields
  assert.notStrictEqual(logic.messageKey(message(1, 'A', { msn: 'M' })), logic.messageKey(message(1, '\u0000A', { msn: '' })));
});
