/* The Map tab: a Leaflet map with no tile layer (a plain sea colour, coastlines.json's coasts and
 * borders drawn as lines), the airports as small circles, and each aircraft of today at its last known
 * position with its track of the day. Today's positions come from api/positions; live messages with a
 * position move the aircraft after that. Everything is drawn on canvases (one per layer), one circle
 * and one polyline per aircraft, so thousands of positions draw at once. The live ADS-B aircraft, when the
 * receiver has a source, are adsb.js's, on the same map.
 * The aircraft are kept from the start (window.corvane.aircraft); the map itself is made the first
 * time the tab is shown, when its container has a size. */
'use strict';

(function () {
  const Page = window.CorvanePage;
  const U = Page.util;

  const ALT_COLOURS = { low: '#2f9e44', mid: '#1c7ed6', high: '#862e9c', none: '#868e96' };
  const TRACK_COLOUR = '#e8590c';

  let day = U.utcDay(new Date()); // the UTC day whose positions are kept
  let planes = {}; // tail -> {hook, parts (the drawn line, null until drawn again), alt, utc, flight, marker, line}
  let positionCount = 0;
  let loaded = false; // today's positions are in
  let early = []; // live messages with a position that came before them
  let airports = null;

  let map = null;
  let layers = null; // {coast, airports, tracks, planes}
  let renderers = null;
  let coastDone = false;
  let fitted = false;
  let touched = false; // the user has moved or zoomed the map

  // ---- The aircraft (kept whether or not the map is shown) ----

  function altClass(alt) {
    if (typeof alt !== 'number') return 'none';
    if (alt < 10000) return 'low';
    if (alt <= 25000) return 'mid';
    return 'high';
  }

  // Adds one position to an aircraft's track; its drawn line is worked out again when next drawn.
  function addPosition(tail, lat, lon, alt, utc, flight) {
    let plane = planes[tail];
    if (!plane) {
      plane = { hook: { lat: lat, lon: lon, track: [] }, parts: null, alt: null, utc: 0, flight: '', marker: null, line: null };
      planes[tail] = plane;
      window.corvane.aircraft[tail] = plane.hook;
    }
    const track = plane.hook.track;
    const last = track[track.length - 1];
    if (last && last[0] === lat && last[1] === lon) {
      plane.utc = Math.max(plane.utc, utc || 0);
      return plane;
    }
    track.push([lat, lon]);
    plane.hook.lat = lat;
    plane.hook.lon = lon;
    plane.parts = null;
    plane.alt = typeof alt === 'number' ? alt : null;
    if (utc) plane.utc = utc;
    if (flight) plane.flight = flight;
    positionCount++;
    return plane;
  }

  // The aircraft's line as drawn (logic.js's drawnTrack: continuous across the 180th meridian, within
  // one world copy, the newest position where it is).
  function partsOf(plane) {
    if (!plane.parts) plane.parts = Page.logic.drawnTrack(plane.hook.track);
    return plane.parts;
  }

  // Where the aircraft's marker goes: the newest point of its drawn line.
  function markerPoint(plane) {
    const parts = partsOf(plane);
    const newest = parts[parts.length - 1];
    return newest[newest.length - 1];
  }

  async function loadPositions() {
    const since = U.startOfTodayUtc();
    try {
      const answer = await U.api('api/positions', { since: since });
      if (since !== U.startOfTodayUtc()) return; // the day turned meanwhile: a newer load runs
      const positions = Array.isArray(answer.positions) ? answer.positions : [];
      for (const p of positions) {
        const tail = U.str(p.tail).trim();
        if (!tail || typeof p.lat !== 'number' || typeof p.lon !== 'number') continue;
        if (!isFinite(p.lat) || !isFinite(p.lon) || Math.abs(p.lat) > 90 || Math.abs(p.lon) > 180) continue;
        addPosition(tail, p.lat, p.lon, p.alt, p.utc, U.str(p.flight).trim());
      }
      U.showError(U.$('map-error'), null);
    } catch (error) {
      U.showError(U.$('map-error'), 'Positions: ' + error.message);
    }
    loaded = true;
    const waiting = early;
    early = [];
    for (const msg of waiting) onLive(msg);
    if (map) {
      drawAllPlanes();
      fitOnce();
      markReady();
    }
  }

  // A live message: when it has a position, its aircraft moves (and the map follows when shown).
  function onLive(msg) {
    const pos = U.positionOf(msg);
    const tail = U.str(msg.address).trim();
    if (!pos || !tail) return;
    if (!loaded) {
      early.push(msg);
      return;
    }
    const msgDay = U.messageDay(msg);
    if (msgDay > day) {
      startNewDay(msgDay);
      early.push(msg);
      return;
    }
    if (msgDay < day) return;
    const date = U.messageDate(msg);
    const plane = addPosition(tail, pos.lat, pos.lon, pos.alt, date ? Math.floor(date.getTime() / 1000) : 0, U.str(msg.flight).trim());
    if (map) drawPlane(tail, plane);
    updateInfo();
  }

  // Midnight UTC: the tracks of the day before go, today's positions are asked again.
  function startNewDay(newDay) {
    day = newDay;
    for (const tail of Object.keys(planes)) forget(tail);
    planes = {};
    window.corvane.aircraft = {};
    positionCount = 0;
    loaded = false;
    loadPositions();
  }

  function forget(tail) {
    const plane = planes[tail];
    if (plane.marker && layers) layers.planes.removeLayer(plane.marker);
    if (plane.line && layers) layers.tracks.removeLayer(plane.line);
  }

  // ---- The map ----

  function makeMap() {
    map = L.map('map', {
      worldCopyJump: true,
      minZoom: 1,
      maxZoom: 12,
      zoomSnap: 0.5,
      attributionControl: true,
    });
    map.attributionControl.setPrefix(false);
    map.attributionControl.addAttribution('Coastlines: GSHHG (LGPL-3.0+)');
    // One canvas per pane. A canvas takes every mouse event over it, so the lines' canvases let them
    // through (style.css) and the airports and aircraft, which have tooltips, share the top one.
    const panes = { coast: 250, tracks: 400, points: 450 };
    renderers = {};
    for (const [name, z] of Object.entries(panes)) {
      map.createPane(name + 'Pane').style.zIndex = String(z);
      renderers[name] = L.canvas({ pane: name + 'Pane', padding: 0.3 });
    }
    layers = {};
    for (const name of ['coast', 'tracks', 'airports', 'planes']) layers[name] = L.layerGroup().addTo(map);
    map.setView([30, 0], 2);
    U.$('map-fit').addEventListener('click', fitAll);
    for (const name of ['pointerdown', 'wheel', 'keydown']) {
      map.getContainer().addEventListener(name, function () {
        touched = true;
      });
    }
    Page.adsb.attach(
      map,
      renderers.coast,
      function (alt) {
        return ALT_COLOURS[altClass(alt)];
      },
      function () {
        if (!touched) fitAll(); // the receiver's own sky with the day's aircraft
      },
    );
  }

  async function drawCoastlines() {
    try {
      const response = await fetch(new URL('coastlines.json', document.baseURI), { cache: 'force-cache' });
      if (!response.ok) throw new Error('the server answered ' + response.status);
      const data = await response.json();
      L.geoJSON(data, {
        renderer: renderers.coast,
        interactive: false,
        style: function (feature) {
          const border = feature && feature.properties && feature.properties.kind === 'border';
          return border
            ? { color: '#a7b3bf', weight: 0.8, opacity: 1, dashArray: '3 3' }
            : { color: '#4a5d70', weight: 1, opacity: 1 };
        },
      }).addTo(layers.coast);
    } catch (error) {
      U.showError(U.$('map-error'), 'Coastlines could not be loaded: ' + error.message);
    }
    coastDone = true;
    markReady();
  }

  async function loadAirports() {
    try {
      const answer = await U.api('api/airports');
      airports = Array.isArray(answer.airports) ? answer.airports : [];
    } catch (error) {
      airports = [];
      U.showError(U.$('map-error'), 'Airports: ' + error.message);
    }
    for (const airport of airports) {
      if (typeof airport.lat !== 'number' || typeof airport.lon !== 'number') continue;
      L.circleMarker([airport.lat, airport.lon], {
        renderer: renderers.points,
        radius: 2.5,
        weight: 1,
        color: '#495057',
        fillColor: '#ffffff',
        fillOpacity: 1,
      })
        .bindTooltip(airportTooltip(airport), { direction: 'top', offset: [0, -3] })
        .addTo(layers.airports)
        .bringToBack(); // under the aircraft drawn before the airports came
    }
    updateInfo();
  }

  function airportTooltip(airport) {
    const box = U.el('div', 'tip');
    box.appendChild(U.el('strong', '', U.str(airport.code)));
    if (airport.name) box.appendChild(U.el('div', '', U.str(airport.name)));
    const place = [U.str(airport.city), U.str(airport.country)].filter(Boolean).join(', ');
    if (place) box.appendChild(U.el('div', 'muted', place));
    return box;
  }

  function planeTooltip(tail, plane) {
    const box = U.el('div', 'tip');
    box.appendChild(U.el('strong', '', U.visibleText(tail + (plane.flight ? '  ' + plane.flight : ''))));
    box.appendChild(U.el('div', '', typeof plane.alt === 'number' ? plane.alt.toLocaleString('en') + ' ft' : 'altitude unknown'));
    const lat = plane.hook.lat;
    const lon = plane.hook.lon;
    box.appendChild(U.el('div', '', Math.abs(lat).toFixed(3) + (lat >= 0 ? 'N ' : 'S ') + Math.abs(lon).toFixed(3) + (lon >= 0 ? 'E' : 'W')));
    if (plane.utc) box.appendChild(U.el('div', 'muted', U.formatTime({ utc: plane.utc }) + 'Z, ' + U.plural(plane.hook.track.length, 'position')));
    box.appendChild(U.el('div', 'muted', "Click for the aircraft's day"));
    return box;
  }

  // Draws or moves one aircraft (its whole line: a new position may move the older ones to another
  // world copy).
  function drawPlane(tail, plane) {
    const last = markerPoint(plane);
    if (!plane.line) {
      plane.line = L.polyline(partsOf(plane), {
        renderer: renderers.tracks,
        color: TRACK_COLOUR,
        weight: 1.5,
        opacity: 0.65,
        interactive: false,
      }).addTo(layers.tracks);
    } else {
      plane.line.setLatLngs(partsOf(plane));
    }
    const fill = ALT_COLOURS[altClass(plane.alt)];
    if (!plane.marker) {
      plane.marker = L.circleMarker(last, {
        renderer: renderers.points,
        radius: 5,
        weight: 1,
        color: '#212529',
        fillColor: fill,
        fillOpacity: 0.95,
      })
        .bindTooltip(function () {
          return planeTooltip(tail, plane);
        }, { direction: 'top', offset: [0, -5] })
        .on('click', function () {
          Page.day.show(tail, plane.utc ? U.utcDay(new Date(plane.utc * 1000)) : day);
        })
        .addTo(layers.planes);
    } else {
      plane.marker.setLatLng(last);
      if (plane.marker.options.fillColor !== fill) plane.marker.setStyle({ fillColor: fill });
    }
  }

  function drawAllPlanes() {
    for (const [tail, plane] of Object.entries(planes)) drawPlane(tail, plane);
    updateInfo();
  }

  function planeBounds() {
    const points = Object.values(planes).map(markerPoint);
    return points.length ? L.latLngBounds(points) : null;
  }

  // The day's aircraft and the ADS-B ones (with the receiver's range).
  function allBounds() {
    const bounds = planeBounds();
    const adsb = Page.adsb.bounds();
    if (bounds && adsb) return bounds.extend(adsb);
    return bounds || adsb;
  }

  function fitAll() {
    const bounds = allBounds();
    if (bounds) map.fitBounds(bounds.pad(0.1), { maxZoom: 7 });
    else map.setView([30, 0], 2);
  }

  function fitOnce() {
    if (fitted || !loaded) return;
    fitted = true;
    if (planeBounds()) fitAll();
  }

  function markReady() {
    if (map && coastDone && loaded) window.corvane.ready.map = true;
  }

  function updateInfo() {
    const count = Object.keys(planes).length;
    let text = U.plural(count, 'aircraft', 'aircraft') + ' today, ' + U.plural(positionCount, 'position');
    if (airports) text += ', ' + U.plural(airports.length, 'airport');
    U.$('map-info').textContent = text;
  }

  // The tab is shown: make the map the first time, or let Leaflet measure its container again.
  function onShow() {
    if (typeof L === 'undefined') return; // app.js has said the map library is missing
    if (!map) {
      makeMap();
      drawCoastlines();
      loadAirports();
      if (loaded) {
        drawAllPlanes();
        fitOnce();
        markReady();
      }
    } else {
      map.invalidateSize();
    }
    Page.adsb.start();
  }

  // The tab is left: the ADS-B aircraft are no longer asked for.
  function onHide() {
    Page.adsb.stop();
  }

  function init() {
    updateInfo();
    loadPositions();
  }

  Page.map = { init: init, onShow: onShow, onHide: onHide, onLive: onLive };
})();
