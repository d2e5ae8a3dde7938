// A message joined from its blocks reads as its whole text, with how many blocks it took; any other
// message reads as its own text, and the live filter finds a joined one by a word of any block.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const logic = require('./load_logic.js');

test('a joined message shows "N blocks" and its whole text, any other neither', () => {
  const joined = { label: 'H1', text: 'ECHO', blocks: 3, whole_text: 'ALPHA BRAVO ECHO' };
  assert.strictEqual(logic.blocksText(joined), '3 blocks');
  assert.strictEqual(logic.wholeText(joined), 'ALPHA BRAVO ECHO');
  assert.ok(logic.haystack(joined).includes('alpha bravo echo'));
  assert.ok(logic.haystack(joined).includes('3 blocks'));

  for (const single of [{ text: 'ONE' }, { text: 'ONE', blocks: 1, whole_text: 'X' }, { text: 'ONE', blocks: '3' }]) {
    assert.strictEqual(logic.blocksText(single), '');
    assert.strictEqual(logic.wholeText(single), 'ONE');
  }
  assert.strictEqual(logic.wholeText({ blocks: 2 }), '', 'no whole text and no text');
});
