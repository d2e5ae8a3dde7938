// The ADS-B aircraft on the map: the icon turned to the track, the fading of
// old positions, the range rings as great circles (across the 180th meridian
// and around a pole), the aircraft marked as having messages and the search
// a click on one opens.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const logic = require('./load_logic.js');

const EARTH_RADIUS_NM = 3440.065;

// The great-circle distance in nautical miles (haversine), worked out apart
// from the code under test.
function distanceNm(a, b) {
  const rad = Math.PI / 180;
  const dLat = (b[0] - a[0]) * rad;
  const dLon = (b[1] - a[1]) * rad;
  const h = Math.sin(dLat / 2) ** 2 + Math.cos(a[0] * rad) * Math.cos(b[0] * rad) * Math.sin(dLon / 2) ** 2;
  return 2 * EARTH_RADIUS_NM * Math.asin(Math.sqrt(h));
}

test('the icon turns clockwise by the track, whatever turn the track is given in', () => {
  const quarter = Math.PI / 2;
  assert.strictEqual(logic.trackRotation(0), 0);
  assert.strictEqual(logic.trackRotation(90), quarter);
  assert.strictEqual(logic.trackRotation(450), quarter);
  assert.strictEqual(logic.trackRotation(-90), 3 * quarter);
  assert.strictEqual(logic.trackRotation(360), 0);
  assert.ok(Math.abs(logic.trackRotation(271.5) - (271.5 * Math.PI) / 180) < 1e-12);
  for (const none of [null, undefined, NaN, Infinity, '90']) assert.strictEqual(logic.trackRotation(none), null, String(none));
});

test('an aircraft fades as its position ages and goes without one', () => {
  assert.strictEqual(logic.positionOpacity(0), 1);
  assert.strictEqual(logic.positionOpacity(5), 1);
  const ages = [6, 10, 20, 30, 45, 59.9];
  const opacities = ages.map(logic.positionOpacity);
  for (let i = 1; i < opacities.length; i++) assert.ok(opacities[i] < opacities[i - 1], opacities.join(' '));
  assert.ok(opacities[opacities.length - 1] >= 0.2 && opacities[0] < 1, opacities.join(' '));
  for (const gone of [60, 300, null, undefined, NaN, '1']) assert.strictEqual(logic.positionOpacity(gone), 0, String(gone));
});

// What every drawn ring must be: each point at the radius from the station,
// and no step of the line jumping across the map.
function checkRing(station, radius, points) {
  for (const point of points) {
    const off = Math.abs(distanceNm([station.lat, station.lon], point) - radius);
    assert.ok(off < 0.01, 'a point ' + off + ' NM off the ring: ' + point);
  }
  for (let i = 1; i < points.length; i++) {
    assert.ok(Math.abs(points[i][1] - points[i - 1][1]) < 90, 'a jump from ' + points[i - 1] + ' to ' + points[i]);
  }
}

test('range rings are great circles around the station, closed, even across the 180th meridian', () => {
  for (const station of [{ lat: 51.47, lon: -0.45 }, { lat: -33.9, lon: 151.2 }, { lat: 65, lon: 179.5 }, { lat: 10, lon: -179.9 }]) {
    for (const radius of [50, 100, 200]) {
      const ring = logic.rangeRing(station, radius, 90);
      assert.strictEqual(ring.length, 91);
      checkRing(station, radius, ring);
      assert.deepStrictEqual(ring[ring.length - 1], ring[0], 'not closed');
      const lons = ring.map((p) => p[1]);
      assert.ok(Math.min(...lons) < station.lon && Math.max(...lons) > station.lon, 'not around the station: ' + lons);
    }
  }
  // far north the ring is wider in longitude than in latitude, as a circle on the sphere is
  const north = logic.rangeRing({ lat: 80, lon: 20 }, 200, 180);
  checkRing({ lat: 80, lon: 20 }, 200, north);
  const lats = north.map((p) => p[0]);
  const lons = north.map((p) => p[1]);
  assert.ok(Math.max(...lons) - Math.min(...lons) > 3 * (Math.max(...lats) - Math.min(...lats)), 'a screen circle');
});

test('a ring around a pole runs across the whole map, one world copy each side', () => {
  for (const station of [{ lat: 88.5, lon: 10 }, { lat: -89, lon: -170 }]) {
    const ring = logic.rangeRing(station, 200, 120);
    checkRing(station, 200, ring);
    const lons = ring.map((p) => p[1]);
    assert.ok(Math.max(...lons) - Math.min(...lons) >= 3 * 360 - 1e-9, 'does not span three world copies: ' + Math.min(...lons) + ' to ' + Math.max(...lons));
    // monotonic: the line goes once around each copy, never back
    const rising = lons[lons.length - 1] > lons[0];
    for (let i = 1; i < lons.length; i++) assert.ok(rising ? lons[i] >= lons[i - 1] : lons[i] <= lons[i - 1], 'turns back at ' + i);
  }
});

test('the aircraft with messages today are marked, and a click searches exactly their messages', () => {
  const aircraft = [
    { hex: '4CA87C', registration: 'EI-DEF', callsign: 'RYR123', messagesToday: 3, matchedBy: 'registration', search: 'tail:EI-DEF' },
    { hex: '400001', registration: null, callsign: 'BAW12 ', messagesToday: 1, matchedBy: 'callsign', search: null },
    { hex: '400002', registration: 'G-A B"C', callsign: null, messagesToday: 2, matchedBy: 'address', search: '' },
    { hex: '400003', registration: 'G-NONE', callsign: 'EZY1', messagesToday: 0, matchedBy: null, search: null },
    { hex: '400004', registration: null, callsign: null, messagesToday: 4, search: null },
    { hex: '400005', messagesToday: null },
    null,
  ];
  assert.deepStrictEqual([...logic.aircraftWithMessages(aircraft)], ['4CA87C', '400001', '400002', '400004']);
  assert.deepStrictEqual([...logic.aircraftWithMessages(undefined)], []);
  assert.deepStrictEqual(
    aircraft.map(logic.aircraftQuery),
    ['tail:EI-DEF', 'flight:BAW12', 'tail:"G-A B""C"', '', '', '', ''],
  );
});

test("an aircraft's label names it by its callsign, registration or address, with its altitude", () => {
  assert.deepStrictEqual(logic.aircraftLabel({ hex: '4CA87C', callsign: 'RYR123 ', registration: 'EI-DEF', altitudeFt: 35000 }), ['RYR123', '35,000 ft']);
  assert.deepStrictEqual(logic.aircraftLabel({ hex: '4CA87C', callsign: null, registration: 'EI-DEF', altitudeFt: null }), ['EI-DEF', '']);
  assert.deepStrictEqual(logic.aircraftLabel({ hex: '4CA87C', callsign: '', registration: null, altitudeFt: 812.4 }), ['4CA87C', '812 ft']);
});
