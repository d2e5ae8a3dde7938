// The page puts every text in as text: no script of the page hands a string
// to the browser's HTML or code parsers, and the page itself runs only its
// own script files (its Content-Security-Policy forbids the rest).
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');

const WEB = path.join(__dirname, '..', '..', '..', 'web');

test('no script of the page parses a string as HTML or code', () => {
  const sinks = /\.innerHTML\b|\.outerHTML\b|insertAdjacentHTML|document\.write|\beval\s*\(|new\s+Function\s*\(|createContextualFragment|DOMParser|srcdoc/;
  const scripts = fs.readdirSync(WEB).filter((name) => name.endsWith('.js'));
  assert.ok(scripts.length >= 9, scripts);
  for (const name of scripts) {
    fs.readFileSync(path.join(WEB, name), 'utf8').split('\n').forEach((line, i) => {
      assert.ok(!sinks.test(line), name + ':' + (i + 1) + ': ' + line.trim());
    });
  }
});

test('the page loads every script of its own from a file, and has no inline script or handler', () => {
  const html = fs.readFileSync(path.join(WEB, 'index.html'), 'utf8');
  const tags = html.match(/<script\b[^>]*>/g) || [];
  const loaded = tags.map((tag) => (tag.match(/\bsrc="([^"]+)"/) || [])[1]);
  assert.ok(loaded.every(Boolean), tags);
  assert.ok(!/<script\b[^>]*>[^<\s]/.test(html));
  assert.ok(!/\son[a-z]+\s*=/i.test(html.replace(/<!--[\s\S]*?-->/g, '')));
  const own = fs.readdirSync(WEB).filter((name) => name.endsWith('.js')).sort();
  assert.deepStrictEqual(loaded.filter((src) => !src.startsWith('vendor/')).sort(), own);
  // the logic the other scripts use comes first
  assert.ok(loaded.indexOf('logic.js') < loaded.indexOf('common.js'));
});
