/* The Map tab's ADS-B aircraft: api/adsb asked every second while the map is shown (never while it is
 * hidden), every aircraft with a position drawn as an icon turned to its track with its callsign and
 * altitude, fading as its position ages, those with ACARS messages today ringed (a click lists them in the
 * Search tab), and the receiver with its range rings. With ADS-B off (enabled false, or a server without
 * the route) nothing of it is drawn and the map is as it was.
 * The aircraft are drawn on one canvas of their own, redrawn whole (a few milliseconds for a thousand)
 * on each answer and after each move of the map; the range rings are map lines (true great circles,
 * projected as the coastlines are). The state drawn is kept for tests in window.corvane.adsb. */
'use strict';

(function () {
  const Page = window.CorvanePage;
  const U = Page.util;
  const G = Page.logic;

  const POLL_MS = 1000;
  const OFF_POLL_MS = 30000; // asked again now and then, for a receiver started again with a source
  const RING_NM = [50, 100, 200];
  const RING_COLOUR = '#364fc7';
  const MARK_COLOUR = '#e8590c';
  const STATION_COLOUR = '#c92a2a';
  const PADDING = 0.3; // the canvas reaches this far past the view (of its size) so a drag shows no edge
  const HIT_PX = 12;
  const LABEL_FONT = '11px system-ui, sans-serif';
  const LABEL_CELL = 8; // labels are kept apart on a grid of cells this many pixels wide

  let map = null;
  let colourOf = null; // altitude -> fill colour, the map's own
  let ringLayer = null;
  let ringKey = '';
  let layer = null;
  let shown = false;
  let timer = 0;
  let request = 0;
  let station = null;
  let planes = []; // the aircraft with a position, those with messages last (drawn on top)
  let receivedAt = 0; // performance.now() of the answer the ages are counted from
  let drawn = []; // {plane, x, y} in map container pixels, as last drawn
  let hovered = null;
  let tooltip = null;
  let onFirstAnswer = null; // map.js's, told once where the receiver's aircraft are
  const labelWidths = new Map(); // label text -> its width in LABEL_FONT (measuring is dear)

  function hook() {
    return window.corvane.adsb;
  }

  // ---- The canvas ----

  // The aircraft's icon, nose up, centred on the aircraft.
  const ICON = (function () {
    const path = new Path2D();
    path.moveTo(0, -9);
    path.lineTo(1.6, -5);
    path.lineTo(1.6, -2);
    path.lineTo(8, 2);
    path.lineTo(8, 3.5);
    path.lineTo(1.6, 1.5);
    path.lineTo(1.2, 6);
    path.lineTo(3.5, 8);
    path.lineTo(3.5, 9);
    path.lineTo(0, 8);
    path.lineTo(-3.5, 9);
    path.lineTo(-3.5, 8);
    path.lineTo(-1.2, 6);
    path.lineTo(-1.6, 1.5);
    path.lineTo(-8, 3.5);
    path.lineTo(-8, 2);
    path.lineTo(-1.6, -2);
    path.lineTo(-1.6, -5);
    path.closePath();
    return path;
  })();

  // A canvas over the map in its own pane, sized to the view plus PADDING each side and put back in place
  // after each move; during a zoom it is scaled with the other layers until it is drawn again.
  function makeLayer() {
    return new (L.Layer.extend({
      options: { pane: 'adsbPane' },
      onAdd: function () {
        this.canvas = L.DomUtil.create('canvas', 'adsb-canvas leaflet-zoom-animated');
        this.getPane().appendChild(this.canvas);
        this.reset();
      },
      onRemove: function () {
        L.DomUtil.remove(this.canvas);
      },
      getEvents: function () {
        return { moveend: this.reset, viewreset: this.reset, resize: this.reset, zoomanim: this.zoomTo };
      },
      reset: function () {
        const size = this._map.getSize();
        const full = size.multiplyBy(1 + 2 * PADDING).round();
        this.topLeft = this._map.containerPointToLayerPoint(size.multiplyBy(-PADDING)).round();
        this.size = full;
        this.centre = this._map.getCenter();
        this.zoom = this._map.getZoom();
        const ratio = window.devicePixelRatio || 1;
        this.canvas.width = Math.round(full.x * ratio);
        this.canvas.height = Math.round(full.y * ratio);
        this.canvas.style.width = full.x + 'px';
        this.canvas.style.height = full.y + 'px';
        L.DomUtil.setPosition(this.canvas, this.topLeft);
        draw();
      },
      // The canvas's middle shows the centre it was drawn at: at the new zoom that point sits as far from
      // the new centre as their projections are apart, and the canvas around it grows by the zoom's scale.
      zoomTo: function (event) {
        const scale = this._map.getZoomScale(event.zoom, this.zoom);
        const half = this.size.divideBy(2);
        const apart = this._map.project(this.centre, event.zoom).subtract(this._map.project(event.center, event.zoom));
        const middle = this.topLeft.add(half);
        L.DomUtil.setTransform(this.canvas, middle.add(apart).subtract(half.multiplyBy(scale)), scale);
      },
    }))();
  }

  // How old the plane's position is now, in seconds.
  function ageOf(plane) {
    return plane.positionSecondsAgo + (performance.now() - receivedAt) / 1000;
  }

  // The longitude drawn: the copy nearest the receiver, so the aircraft around it stay inside its rings
  // when they are on either side of the 180th meridian.
  function drawnLon(lon) {
    return station ? G.nearestCopy(lon, station.lon) : lon;
  }

  // Free grid cells for a label box, taken when free.
  function takeCells(cells, columns, x0, y0, x1, y1) {
    const c0 = Math.max(0, Math.floor(x0 / LABEL_CELL));
    const c1 = Math.min(columns - 1, Math.floor(x1 / LABEL_CELL));
    const r0 = Math.max(0, Math.floor(y0 / LABEL_CELL));
    const r1 = Math.floor(y1 / LABEL_CELL);
    const rows = cells.length / columns;
    if (c0 > c1 || r0 >= rows) return false;
    for (let r = r0; r <= Math.min(r1, rows - 1); r++) {
      for (let c = c0; c <= c1; c++) if (cells[r * columns + c]) return false;
    }
    for (let r = r0; r <= Math.min(r1, rows - 1); r++) {
      for (let c = c0; c <= c1; c++) cells[r * columns + c] = 1;
    }
    return true;
  }

  // The icons are drawn once each, per colour and per turn of ROTATION_STEP degrees, and copied onto the
  // canvas from then on: a copy costs far less than filling and stroking the outline a thousand times.
  const ROTATION_STEPS = 72;
  const SPRITE_PX = 30;
  const sprites = new Map();
  let spriteRatio = 0;

  // A cached sprite by key, drawn by paint(ctx) (centred on the origin) the first time; all are drawn again
  // when the screen's pixel ratio changes (the browser zoomed).
  function sprite(key, ratio, paint) {
    if (ratio !== spriteRatio) {
      sprites.clear();
      spriteRatio = ratio;
    }
    let image = sprites.get(key);
    if (!image) {
      image = document.createElement('canvas');
      image.width = image.height = Math.ceil(SPRITE_PX * ratio);
      const ctx = image.getContext('2d');
      ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
      ctx.translate(SPRITE_PX / 2, SPRITE_PX / 2);
      paint(ctx);
      sprites.set(key, image);
    }
    return image;
  }

  function iconSprite(colour, rotation, ratio) {
    const step = rotation === null ? 0 : Math.round((rotation / (2 * Math.PI)) * ROTATION_STEPS) % ROTATION_STEPS;
    return sprite(colour + ' ' + step, ratio, function (ctx) {
      ctx.rotate((step * 2 * Math.PI) / ROTATION_STEPS);
      ctx.fillStyle = colour;
      ctx.fill(ICON);
      ctx.lineWidth = 1;
      ctx.strokeStyle = '#212529';
      ctx.stroke(ICON);
    });
  }

  // The ring around an aircraft with messages.
  function markSprite(ratio) {
    return sprite('mark', ratio, function (ctx) {
      ctx.beginPath();
      ctx.arc(0, 0, 12, 0, 2 * Math.PI);
      ctx.lineWidth = 2.5;
      ctx.strokeStyle = MARK_COLOUR;
      ctx.stroke();
    });
  }

  function drawIcon(ctx, x, y, plane) {
    const corner = SPRITE_PX / 2;
    if (plane.marked) ctx.drawImage(markSprite(layer.ratio), x - corner, y - corner, SPRITE_PX, SPRITE_PX);
    ctx.drawImage(iconSprite(plane.colour, plane.rotation, layer.ratio), x - corner, y - corner, SPRITE_PX, SPRITE_PX);
  }

  function labelWidth(ctx, text) {
    let width = labelWidths.get(text);
    if (width === undefined) {
      if (labelWidths.size > 20000) labelWidths.clear();
      width = ctx.measureText(text).width;
      labelWidths.set(text, width);
    }
    return width;
  }

  function drawLabel(ctx, x, y, plane) {
    const lines = plane.label;
    ctx.strokeText(lines[0], x, y);
    ctx.fillText(lines[0], x, y);
    if (lines[1]) {
      ctx.strokeText(lines[1], x, y + 12);
      ctx.fillText(lines[1], x, y + 12);
    }
  }

  function drawStation(ctx, toCanvas) {
    if (!station) return;
    const at = toCanvas(station.lat, station.lon);
    ctx.globalAlpha = 1;
    ctx.fillStyle = STATION_COLOUR;
    ctx.strokeStyle = '#ffffff';
    ctx.lineWidth = 1.5;
    ctx.beginPath();
    ctx.moveTo(at.x, at.y - 7);
    ctx.lineTo(at.x + 6, at.y + 5);
    ctx.lineTo(at.x - 6, at.y + 5);
    ctx.closePath();
    ctx.fill();
    ctx.stroke();
    ctx.fillStyle = RING_COLOUR;
    for (const radius of RING_NM) {
      const north = G.destination(station.lat, station.lon, 0, radius);
      const point = toCanvas(north[0], north[1]);
      if (at.y - point.y < 40) continue; // a ring this small on screen is left unnamed
      ctx.strokeText(radius + ' NM', point.x + 3, point.y - 3);
      ctx.fillText(radius + ' NM', point.x + 3, point.y - 3);
    }
  }

  // Draws the icons of the aircraft on the canvas (or near it) and returns them with where they are:
  // {plane, at (canvas pixels), x, y (map container pixels), opacity}.
  function drawIcons(ctx, toCanvas, fromCanvas) {
    const shownNow = [];
    for (const plane of planes) {
      const opacity = G.positionOpacity(ageOf(plane));
      if (!opacity) continue;
      const at = toCanvas(plane.lat, plane.lon);
      if (at.x < -20 || at.y < -20 || at.x > layer.size.x + 20 || at.y > layer.size.y + 20) continue;
      ctx.globalAlpha = opacity;
      drawIcon(ctx, at.x, at.y, plane);
      shownNow.push({ plane: plane, at: at, x: at.x + fromCanvas.x, y: at.y + fromCanvas.y, opacity: opacity });
    }
    return shownNow;
  }

  // Draws as many labels as fit without covering one another, the aircraft with messages first; returns
  // the set of the aircraft labelled.
  function drawLabels(ctx, shownNow) {
    ctx.font = LABEL_FONT;
    ctx.textBaseline = 'top';
    ctx.lineJoin = 'round';
    ctx.lineWidth = 3;
    ctx.strokeStyle = 'rgba(255, 255, 255, 0.85)';
    ctx.fillStyle = '#212529';
    const columns = Math.ceil(layer.size.x / LABEL_CELL);
    const cells = new Uint8Array(columns * Math.ceil(layer.size.y / LABEL_CELL));
    const labelled = new Set();
    for (let i = shownNow.length - 1; i >= 0; i--) {
      const item = shownNow[i];
      const lines = item.plane.label;
      const x = item.at.x + 11;
      const y = item.at.y - 9;
      const width = Math.max(labelWidth(ctx, lines[0]), labelWidth(ctx, lines[1]));
      if (!takeCells(cells, columns, x, y, x + width, y + (lines[1] ? 24 : 12))) continue;
      ctx.globalAlpha = item.opacity;
      drawLabel(ctx, x, y, item.plane);
      labelled.add(item.plane);
    }
    return labelled;
  }

  // What was drawn, for tests: hex -> where and how.
  function drawnState(shownNow, labelled) {
    const state = {};
    for (const item of shownNow) {
      const plane = item.plane;
      state[plane.hex] = {
        x: item.x,
        y: item.y,
        lat: plane.lat,
        lon: plane.lon,
        rotation: plane.rotation,
        opacity: item.opacity,
        marked: plane.marked,
        query: plane.query,
        label: plane.label,
        labelled: labelled.has(plane),
      };
    }
    return state;
  }

  // Draws every aircraft again, their labels and the receiver; keeps what was drawn for the mouse and tests.
  function draw() {
    if (!layer || !layer.canvas) return;
    const started = performance.now();
    const ctx = layer.canvas.getContext('2d');
    layer.ratio = window.devicePixelRatio || 1;
    ctx.setTransform(layer.ratio, 0, 0, layer.ratio, 0, 0);
    ctx.clearRect(0, 0, layer.size.x, layer.size.y);
    const topLeft = layer.topLeft;
    const toCanvas = function (lat, lon) {
      return map.latLngToLayerPoint([lat, drawnLon(lon)]).subtract(topLeft);
    };
    const fromCanvas = topLeft.subtract(map.containerPointToLayerPoint([0, 0]));
    const shownNow = drawIcons(ctx, toCanvas, fromCanvas);
    const labelled = drawLabels(ctx, shownNow);
    drawStation(ctx, toCanvas);
    ctx.globalAlpha = 1;
    drawn = shownNow;
    const out = hook();
    out.aircraft = drawnState(shownNow, labelled);
    out.draws++;
    out.drawMs = performance.now() - started;
    if (hovered) showTooltip(hovered.hex);
  }

  // ---- The range rings ----

  function drawRings() {
    const key = station ? station.lat + ',' + station.lon : '';
    if (key === ringKey) return;
    ringKey = key;
    ringLayer.clearLayers();
    if (!station) return;
    for (const radius of RING_NM) {
      L.polyline(G.rangeRing(station, radius), {
        renderer: ringLayer.renderer,
        color: RING_COLOUR,
        weight: 1,
        opacity: 0.55,
        interactive: false,
      }).addTo(ringLayer);
    }
  }

  // Where the receiver's aircraft are: its outer ring and every aircraft drawn, or null without either.
  function bounds() {
    const points = [];
    if (station) {
      const outer = RING_NM[RING_NM.length - 1];
      for (const bearing of [0, 90, 180, 270]) {
        const point = G.destination(station.lat, station.lon, bearing, outer);
        points.push([point[0], drawnLon(point[1])]);
      }
    }
    for (const item of drawn) points.push([item.plane.lat, drawnLon(item.plane.lon)]);
    return points.length ? L.latLngBounds(points) : null;
  }

  // ---- The mouse ----

  function nearest(point) {
    let best = null;
    let bestDistance = HIT_PX * HIT_PX;
    for (const item of drawn) {
      const dx = item.x - point.x;
      const dy = item.y - point.y;
      const d = dx * dx + dy * dy;
      if (d <= bestDistance) {
        best = item.plane;
        bestDistance = d;
      }
    }
    return best;
  }

  function tooltipBox(plane) {
    const box = U.el('div', 'tip');
    const names = [plane.callsign, plane.registration].filter(Boolean).join('  ');
    box.appendChild(U.el('strong', '', U.visibleText(names || plane.hex)));
    box.appendChild(U.el('div', 'muted', 'ICAO ' + plane.hex));
    const facts = [];
    facts.push(plane.label[1] || 'altitude unknown');
    if (typeof plane.groundSpeedKt === 'number') facts.push(Math.round(plane.groundSpeedKt) + ' kt');
    if (typeof plane.track === 'number') facts.push('track ' + Math.round(plane.track) + '\u00b0');
    box.appendChild(U.el('div', '', facts.join(', ')));
    box.appendChild(U.el('div', 'muted', 'position ' + Math.round(ageOf(plane)) + ' s old'));
    if (plane.marked) {
      box.appendChild(U.el('div', '', U.plural(plane.messagesToday, 'ACARS message') + ' today'));
      if (plane.query) box.appendChild(U.el('div', 'muted', 'Click to list them'));
    }
    return box;
  }

  function showTooltip(hex) {
    const plane = planes.find(function (p) {
      return p.hex === hex;
    });
    const item = plane && drawn.find(function (d) {
      return d.plane === plane;
    });
    if (!item) {
      hideTooltip();
      return;
    }
    hovered = plane;
    if (!tooltip) tooltip = L.tooltip({ direction: 'top', offset: [0, -10] });
    tooltip.setLatLng(map.containerPointToLatLng([item.x, item.y])).setContent(tooltipBox(plane));
    if (!map.hasLayer(tooltip)) map.openTooltip(tooltip);
  }

  function hideTooltip() {
    hovered = null;
    if (tooltip && map.hasLayer(tooltip)) map.closeTooltip(tooltip);
    map.getContainer().classList.remove('adsb-pointer');
  }

  function onMouseMove(event) {
    const plane = nearest(event.containerPoint);
    if (!plane) {
      if (hovered) hideTooltip();
      return;
    }
    map.getContainer().classList.toggle('adsb-pointer', Boolean(plane.query));
    if (plane !== hovered) showTooltip(plane.hex);
  }

  function onClick(event) {
    const plane = nearest(event.containerPoint);
    if (plane && plane.query) {
      hook().lastQuery = plane.query;
      U.searchFor(plane.query);
    }
  }

  // ---- The answers ----

  function validStation(value) {
    if (!value || typeof value.lat !== 'number' || typeof value.lon !== 'number') return null;
    if (!isFinite(value.lat) || !isFinite(value.lon) || Math.abs(value.lat) > 90 || Math.abs(value.lon) > 180) return null;
    return { lat: value.lat, lon: value.lon };
  }

  // The answer's aircraft that have a position, ready to draw, those with messages last.
  function planesOf(aircraft, marked) {
    const out = [];
    for (const a of aircraft) {
      if (!a || typeof a.lat !== 'number' || typeof a.lon !== 'number') continue;
      if (!isFinite(a.lat) || !isFinite(a.lon) || Math.abs(a.lat) > 90 || Math.abs(a.lon) > 180) continue;
      if (typeof a.positionSecondsAgo !== 'number') continue;
      const hex = U.str(a.hex);
      out.push({
        hex: hex,
        lat: a.lat,
        lon: a.lon,
        callsign: U.str(a.callsign).trim(),
        registration: U.str(a.registration).trim(),
        track: a.track,
        groundSpeedKt: a.groundSpeedKt,
        positionSecondsAgo: a.positionSecondsAgo,
        messagesToday: typeof a.messagesToday === 'number' ? a.messagesToday : 0,
        rotation: G.trackRotation(a.track),
        colour: colourOf(a.altitudeFt),
        label: G.aircraftLabel(a).map(U.visibleText),
        marked: marked.has(hex),
        query: G.aircraftQuery(a),
      });
    }
    out.sort(function (a, b) {
      return a.marked - b.marked;
    });
    return out;
  }

  function turnOn() {
    if (layer) return;
    layer = makeLayer().addTo(map);
    ringLayer.addTo(map);
    U.$('map-adsb-legend').hidden = false;
    U.$('map-adsb').hidden = false;
    map.on('mousemove', onMouseMove);
    map.on('click', onClick);
  }

  function turnOff() {
    hook().enabled = false;
    planes = [];
    drawn = [];
    station = null;
    if (!layer) return;
    hideTooltip();
    map.off('mousemove', onMouseMove);
    map.off('click', onClick);
    map.removeLayer(layer);
    layer = null;
    ringLayer.clearLayers();
    ringKey = '';
    map.removeLayer(ringLayer);
    U.$('map-adsb-legend').hidden = true;
    U.$('map-adsb').hidden = true;
    hook().aircraft = {};
  }

  // Takes an answer of api/adsb; false when ADS-B is off.
  function take(answer) {
    if (answer.enabled !== true) {
      turnOff();
      return false;
    }
    const aircraft = Array.isArray(answer.aircraft) ? answer.aircraft : [];
    const marked = G.aircraftWithMessages(aircraft);
    turnOn();
    station = validStation(answer.station);
    U.$('map-adsb-receiver').hidden = !station;
    planes = planesOf(aircraft, marked);
    receivedAt = performance.now();
    const out = hook();
    out.enabled = true;
    out.station = station;
    out.count = aircraft.length;
    U.$('map-adsb').textContent =
      'ADS-B: ' + U.plural(aircraft.length, 'aircraft', 'aircraft') + ', ' + marked.size + ' with messages today';
    drawRings();
    draw();
    if (onFirstAnswer) {
      const first = onFirstAnswer;
      onFirstAnswer = null;
      first();
    }
    return true;
  }

  async function poll() {
    timer = 0;
    if (!shown) return;
    if (document.hidden) {
      timer = setTimeout(poll, POLL_MS);
      return;
    }
    const mine = ++request;
    const started = performance.now();
    let wait = POLL_MS;
    try {
      const answer = await U.api('api/adsb');
      if (mine !== request) return;
      wait = take(answer) ? POLL_MS : OFF_POLL_MS;
      U.showError(U.$('map-adsb-error'), null);
    } catch (error) {
      if (mine !== request) return;
      if (error.status === 404) {
        turnOff(); // a server without ADS-B
        wait = OFF_POLL_MS;
      } else {
        U.showError(U.$('map-adsb-error'), 'ADS-B: ' + error.message);
        if (error.status === 401 || error.status === 403) wait = OFF_POLL_MS;
        draw(); // the aircraft kept fade on
      }
    }
    hook().polls++;
    if (shown) timer = setTimeout(poll, Math.max(0, wait - (performance.now() - started)));
  }

  // ---- For map.js ----

  // The map is made: the pane the aircraft's canvas goes in (above the day's tracks, below the markers,
  // which take the mouse first) and the layer of the rings. colours(alt) gives an altitude's colour;
  // firstAnswer() is called once, after the first answer with ADS-B on is drawn.
  function attach(leafletMap, ringRenderer, colours, firstAnswer) {
    map = leafletMap;
    colourOf = colours;
    onFirstAnswer = firstAnswer;
    map.createPane('adsbPane').style.zIndex = '430';
    ringLayer = L.layerGroup();
    ringLayer.renderer = ringRenderer;
  }

  function start() {
    if (!map || shown) return;
    shown = true;
    poll();
  }

  function stop() {
    shown = false;
    request++; // an answer on its way is dropped
    clearTimeout(timer);
    timer = 0;
    if (map && hovered) hideTooltip();
  }

  Page.adsb = { attach: attach, start: start, stop: stop, bounds: bounds };
})();
