// The map's line of an aircraft's track: continuous across the 180th
// meridian, every position at its own place on the Earth, and the whole
// line within one world copy with the newest position inside [-180, 180].
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const logic = require('./load_logic.js');

// What any drawn line must be: the track's positions in order, each at the
// same place (its longitude a whole number of turns away), within one world
// copy, the newest drawn where it is, and no part jumping half the world.
function checkDrawn(track, parts) {
  const points = [].concat(...parts);
  assert.strictEqual(points.length, track.length);
  points.forEach(([lat, lon], i) => {
    assert.strictEqual(lat, track[i][0]);
    assert.strictEqual((((lon - track[i][1]) % 360) + 360) % 360, 0, 'point ' + i + ' moved: ' + lon);
  });
  const lons = points.map((p) => p[1]);
  assert.ok(Math.max(...lons) - Math.min(...lons) <= 360, 'more than one world copy: ' + lons);
  assert.strictEqual(lons[lons.length - 1], track[track.length - 1][1]);
  for (const part of parts) {
    for (let i = 1; i < part.length; i++) {
      assert.ok(Math.abs(part[i][1] - part[i - 1][1]) <= 180, 'a line across the world: ' + part[i - 1][1] + ' to ' + part[i][1]);
    }
  }
  return lons;
}

test('a track crossing the 180th meridian is one continuous line ending where the aircraft is', () => {
  const eastward = [[35, 150], [40, 170], [45, -170], [47, -150]];
  const parts = logic.drawnTrack(eastward);
  assert.deepStrictEqual(parts, [[[35, -210], [40, -190], [45, -170], [47, -150]]]);
  checkDrawn(eastward, parts);
  const westward = [[10, -170], [11, 175], [12, 160]];
  assert.deepStrictEqual(logic.drawnTrack(westward), [[[10, 190], [11, 175], [12, 160]]]);
});

test('positions jumping half the world back and forth do not drift a world further each time', () => {
  const flips = [];
  for (let i = 0; i < 12; i++) flips.push([50, i % 2 ? 90 : -90]);
  const lons = checkDrawn(flips, logic.drawnTrack(flips));
  assert.ok(lons.every((lon) => Math.abs(lon) <= 180), lons);
});

test('a track going on around the world is broken, never drawn past one world copy', () => {
  const around = [];
  for (let i = 0; i <= 14; i++) around.push([i, ((i * 60 + 180) % 360) - 180]); // 0, 60, 120, -180, -120 ...
  const parts = logic.drawnTrack(around);
  assert.ok(parts.length >= 2, JSON.stringify(parts));
  checkDrawn(around, parts);
  // a noisy track wandering the same way
  const noisy = [[1, 0], [1, 179], [1, -179], [1, -10], [1, 90], [1, -175], [1, 170], [1, -100], [1, 10]];
  checkDrawn(noisy, logic.drawnTrack(noisy));
});

test('short tracks', () => {
  assert.deepStrictEqual(logic.drawnTrack([]), []);
  assert.deepStrictEqual(logic.drawnTrack([[1, 180]]), [[[1, 180]]]);
  assert.deepStrictEqual(logic.drawnTrack([[1, 2], [3, 4]]), [[[1, 2], [3, 4]]]);
});
