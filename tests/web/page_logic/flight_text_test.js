// The flight as the page shows it: with its airline's name when the message
// carries one, and the live filter finding a message by that name.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const logic = require('./load_logic.js');

test('a flight shows its airline when the message names one, and only then', () => {
  assert.strictEqual(logic.flightText({ flight: 'BA0306', airline: 'British Airways' }), 'BA0306 \u00b7 British Airways');
  assert.strictEqual(logic.flightText({ flight: ' U21234 ', airline: ' easyJet ' }), 'U21234 \u00b7 easyJet');
  assert.strictEqual(logic.flightText({ flight: 'XA0001' }), 'XA0001');
  assert.strictEqual(logic.flightText({ flight: 'XA0001', airline: '' }), 'XA0001');
  assert.strictEqual(logic.flightText({ flight: 'XA0001', airline: null }), 'XA0001');
  assert.strictEqual(logic.flightText({ flight: '      ', airline: 'British Airways' }), '');
  assert.strictEqual(logic.flightText({}), '');
});

test('the live filter finds a message by its airline', () => {
  const msg = { time: '2026-12-07T09:00:00.250Z', flight: 'BA0306', airline: 'British Airways', label: 'H1', text: 'X' };
  assert.ok(logic.haystack(msg).includes('british airways'));
  assert.ok(!logic.haystack(Object.assign({}, msg, { airline: undefined })).includes('british'));
});
