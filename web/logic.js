/* The page's logic that needs no DOM: UTC time texts, message texts made visible, routes, the search
 * query behind a chart's bar, the drawn line of an aircraft's track, the ADS-B aircraft's icons, labels,
 * fading and range rings, and which stored messages the Live list still lacks. The browser loads it as a plain script (window.CorvanePage.logic, before common.js);
 * Node loads it with require() for the page's unit tests (tests/web/logic). */
'use strict';

(function (root) {
  // ---- Time (always UTC) ----

  function pad2(n) {
    return n < 10 ? '0' + n : String(n);
  }

  function utcDay(date) {
    return date.getUTCFullYear() + '-' + pad2(date.getUTCMonth() + 1) + '-' + pad2(date.getUTCDate());
  }

  function utcMinute(date) {
    return utcDay(date) + 'T' + pad2(date.getUTCHours()) + ':' + pad2(date.getUTCMinutes());
  }

  function shiftDay(day, by) {
    const date = new Date(day + 'T00:00:00Z');
    if (isNaN(date.getTime())) return day;
    date.setUTCDate(date.getUTCDate() + by);
    return utcDay(date);
  }

  // When a message was received, as a Date (from "time", or the stored "utc").
  function messageDate(msg) {
    if (msg && typeof msg.time === 'string') {
      const date = new Date(msg.time);
      if (!isNaN(date.getTime())) return date;
    }
    if (msg && typeof msg.utc === 'number' && isFinite(msg.utc)) return new Date(msg.utc * 1000);
    return null;
  }

  function formatTime(msg) {
    const date = messageDate(msg);
    if (!date) return typeof msg.time === 'string' ? msg.time : '';
    return utcDay(date) + ' ' + pad2(date.getUTCHours()) + ':' + pad2(date.getUTCMinutes()) + ':' + pad2(date.getUTCSeconds());
  }

  function messageDay(msg) {
    const date = messageDate(msg);
    return date ? utcDay(date) : utcDay(new Date());
  }

  // ---- Message texts ----

  function str(value) {
    return typeof value === 'string' ? value : value === undefined || value === null ? '' : String(value);
  }

  function isAlert(msg) {
    return Array.isArray(msg.alerts) && msg.alerts.length > 0;
  }

  function readableOf(msg) {
    return msg && msg.readable && typeof msg.readable === 'object' ? msg.readable : null;
  }

  // The message's position when its readable decoding has one.
  function positionOf(msg) {
    const readable = readableOf(msg);
    const fields = readable && readable.fields;
    if (!fields || typeof fields !== 'object') return null;
    const lat = fields.latitude;
    const lon = fields.longitude;
    if (typeof lat !== 'number' || typeof lon !== 'number' || !isFinite(lat) || !isFinite(lon)) return null;
    if (Math.abs(lat) > 90 || Math.abs(lon) > 180) return null;
    const alt = typeof fields.altitude_ft === 'number' ? fields.altitude_ft : null;
    return { lat: lat, lon: lon, alt: alt };
  }

  // The card text made readable on screen: line ends as new lines, every other control character as its
  // code in angle brackets (⟨7F⟩), so nothing is silently invisible. (Few fonts have the control
  // pictures U+2400..., so they are not used.) Markup characters stay as they are: every text goes into
  // the page as text (textContent), never as HTML.
  function visibleText(text) {
    return str(text)
      .replace(/\r\n|\r/g, '\n')
      .replace(/[\u0000-\u0008\u000b-\u001f\u007f-\u009f]/g, function (c) {
        const hex = c.charCodeAt(0).toString(16).toUpperCase();
        return '\u27e8' + (hex.length < 2 ? '0' + hex : hex) + '\u27e9';
      });
  }

  // One line for lists: the readable title, or the message's kind.
  function kindText(msg) {
    const readable = readableOf(msg);
    if (readable && readable.title) return str(readable.title);
    return str(msg.kind);
  }

  // The text's first non-empty line, made visible.
  function firstLine(text) {
    const lines = visibleText(text).split('\n');
    for (const line of lines) if (line.trim()) return line.trim();
    return '';
  }

  function fieldValueText(value) {
    if (Array.isArray(value)) return value.map(str).join(', ');
    if (value && typeof value === 'object') return JSON.stringify(value);
    return str(value);
  }

  // The flight as a person reads it: "BA0306 \u00b7 British Airways" when the message names its airline
  // (the server's built-in airline list), the flight alone otherwise; empty for a blank flight.
  function flightText(msg) {
    const flight = str(msg.flight).trim();
    const airline = str(msg.airline).trim();
    if (!flight) return '';
    return airline ? flight + ' \u00b7 ' + airline : flight;
  }

  // A message joined from its blocks carries how many ("blocks") and its whole text ("whole_text"); the
  // block that completed it keeps its own "text".
  function blockCount(msg) {
    return typeof msg.blocks === 'number' && msg.blocks > 1 ? msg.blocks : 0;
  }

  // "3 blocks" for a message joined from three blocks; '' for any other.
  function blocksText(msg) {
    const count = blockCount(msg);
    return count ? count + ' blocks' : '';
  }

  // The text to read: the whole text of a joined message, otherwise the message's own.
  function wholeText(msg) {
    return blockCount(msg) && typeof msg.whole_text === 'string' ? msg.whole_text : str(msg.text);
  }

  // Everything a person sees of a message, lower case, for the live filter.
  function haystack(msg) {
    const parts = [formatTime(msg), msg.station, msg.address, msg.flight, msg.airline, msg.label, msg.block, msg.msn,
      msg.mode, wholeText(msg), blocksText(msg)];
    const readable = readableOf(msg);
    if (readable) {
      parts.push(readable.title, readable.kind, readable.text);
      if (readable.fields && typeof readable.fields === 'object') {
        for (const [name, value] of Object.entries(readable.fields)) parts.push(name + ': ' + fieldValueText(value));
      }
    }
    if (Array.isArray(msg.alerts)) parts.push(msg.alerts.join(' '));
    return parts.map(str).join('\n').toLowerCase();
  }

  // ---- Routes: "#name?param=value" ----

  function parseRoute(hash) {
    const text = (hash || '').replace(/^#/, '');
    const q = text.indexOf('?');
    const name = q >= 0 ? text.slice(0, q) : text;
    const params = new URLSearchParams(q >= 0 ? text.slice(q + 1) : '');
    return { name: name, params: params };
  }

  function routeHash(name, params) {
    let hash = '#' + name;
    const parts = [];
    for (const [key, value] of Object.entries(params || {})) {
      parts.push(encodeURIComponent(key) + '=' + encodeURIComponent(value));
    }
    if (parts.length) hash += '?' + parts.join('&');
    return hash;
  }

  // ---- What the decoder knew of a message ----

  // "131.725 MHz · -22 dB · acars · acarsdec 3.7 · station sigint" from the members LiveJSON and the
  // search hits carry for a decoder's message; '' for a card's message, which has none of them.
  function receptionText(msg) {
    if (!msg || typeof msg !== 'object') return '';
    const parts = [];
    if (typeof msg.freq === 'number') parts.push(msg.freq + ' MHz');
    if (typeof msg.level === 'number') {
      let level = msg.level + (str(msg.level_unit) ? ' ' + str(msg.level_unit) : '');
      if (typeof msg.noise === 'number') level += ' (noise ' + msg.noise + ')';
      parts.push(level);
    }
    if (str(msg.link)) parts.push(str(msg.link));
    if (str(msg.channel)) parts.push('channel ' + str(msg.channel));
    if (str(msg.decoder)) parts.push(str(msg.decoder) + (str(msg.decoder_version) ? ' ' + str(msg.decoder_version) : ''));
    if (str(msg.decoder_station)) parts.push('station ' + str(msg.decoder_station));
    if (str(msg.satellite)) parts.push('GES ' + str(msg.satellite));
    if (str(msg.aes)) parts.push('AES ' + str(msg.aes));
    return parts.join(' \u00b7 ');
  }

  // ---- The search behind a chart's bar ----

  // The field term of each chart's bars (byHour is a time range, made apart).
  const BAR_TERMS = {
    byLabel: 'label:',
    byKind: 'kind:',
    byStation: 'station:',
    byAircraft: 'address:',
    byFrequency: 'freq:',
    byLink: 'link:',
  };

  // A value as the search language reads it whole: bare when it is only letters, digits and "_.-", else in
  // quotes with every character kept (a label's space or DEL is part of it, so nothing is trimmed) and a
  // quote inside written twice.
  function queryValue(value) {
    return /^[A-Za-z0-9_.\-]+$/.test(value) ? value : '"' + value.replace(/"/g, '""') + '"';
  }

  // The period of a statistics answer ({from, to} in seconds) as from: and to: terms.
  function periodTerms(range) {
    if (!range || typeof range.from !== 'number') return '';
    let text = 'from:' + utcMinute(new Date(range.from * 1000));
    if (typeof range.to === 'number') text += ' to:' + utcMinute(new Date(range.to * 1000));
    return text;
  }

  // The query that lists the messages behind one bar of a series, or '' when there is none. range is the
  // statistics answer's period ({from, to}).
  function barQuery(series, key, range) {
    key = str(key);
    if (series === 'byHour') {
      if (!/^\d{4}-\d{2}-\d{2}T\d{2}$/.test(key)) return '';
      return 'from:' + key + ':00 to:' + key + ':59';
    }
    // An empty key (no kind) has no term to find it with.
    if (!key || !BAR_TERMS[series]) return '';
    const period = periodTerms(range);
    return BAR_TERMS[series] + queryValue(key) + (period ? ' ' + period : '');
  }

  // ---- The drawn line of an aircraft's track ----

  // The longitude lon + 360k nearest to `near`; of two as near, the one in [-180, 180] (lon itself), so
  // that a track jumping half the world back and forth does not drift a world further each time.
  function nearestCopy(lon, near) {
    const k = Math.round((near - lon) / 360);
    const candidate = lon + 360 * k;
    return Math.abs(near - candidate) === 180 ? lon : candidate;
  }

  // The track's positions ([[lat, lon], ...], oldest first, lon in [-180, 180]) as the parts of the line to
  // draw, each [[lat, lon], ...]. The newest position is drawn where it is; each older one is put in the
  // world copy nearest its successor, so a track crossing the 180th meridian stays one continuous line
  // instead of a line across the whole map. All parts together span at most 360 degrees of longitude (one
  // world copy, with the newest position inside [-180, 180]): where a track would go on around the world,
  // the line is broken and its older part drawn back within that span.
  function drawnTrack(track) {
    if (!track.length) return [];
    const parts = [];
    let part = [];
    let later = null; // the longitude drawn for the next newer position
    let west = Infinity;
    let east = -Infinity;
    for (let i = track.length - 1; i >= 0; i--) {
      const lat = track[i][0];
      const lon = track[i][1];
      let drawn = later === null ? lon : nearestCopy(lon, later);
      if (Math.max(east, drawn) - Math.min(west, drawn) > 360) {
        // once more around the world: a new part, its start within the span drawn so far
        drawn = lon + 360 * Math.ceil((east - 360 - lon) / 360);
        parts.push(part.reverse());
        part = [];
      }
      part.push([lat, drawn]);
      west = Math.min(west, drawn);
      east = Math.max(east, drawn);
      later = drawn;
    }
    parts.push(part.reverse());
    return parts.reverse();
  }

  // ---- ADS-B aircraft on the map (api/adsb) ----

  // The canvas rotation (radians, clockwise, [0, 2pi)) that turns an icon drawn nose up to the aircraft's
  // track (degrees clockwise from true north), or null without a track. The map's projection keeps angles,
  // so the track on screen is the true track.
  function trackRotation(track) {
    if (typeof track !== 'number' || !isFinite(track)) return null;
    const degrees = ((track % 360) + 360) % 360;
    return (degrees * Math.PI) / 180;
  }

  // How strongly an aircraft is drawn by the age of its position: fully for a fresh one, fading to a
  // floor as it ages, and not at all without a position or past POSITION_GONE_S (the feed gives up on it).
  const POSITION_FRESH_S = 5;
  const POSITION_GONE_S = 60;
  const FADED_OPACITY = 0.2;
  function positionOpacity(secondsAgo) {
    if (typeof secondsAgo !== 'number' || !isFinite(secondsAgo) || secondsAgo >= POSITION_GONE_S) return 0;
    if (secondsAgo <= POSITION_FRESH_S) return 1;
    const faded = (secondsAgo - POSITION_FRESH_S) / (POSITION_GONE_S - POSITION_FRESH_S);
    return 1 - faded * (1 - FADED_OPACITY);
  }

  const EARTH_RADIUS_NM = 3440.065;

  // The point `distanceNm` away from (lat, lon) along the great circle leaving it at `bearing` degrees,
  // as [lat, lon] with lon in lon +- 180 (degrees).
  function destination(lat, lon, bearing, distanceNm) {
    const rad = Math.PI / 180;
    const phi = lat * rad;
    const theta = bearing * rad;
    const delta = distanceNm / EARTH_RADIUS_NM;
    const sinPhi2 = Math.sin(phi) * Math.cos(delta) + Math.cos(phi) * Math.sin(delta) * Math.cos(theta);
    const phi2 = Math.asin(Math.max(-1, Math.min(1, sinPhi2)));
    const turn = Math.atan2(Math.sin(theta) * Math.sin(delta) * Math.cos(phi), Math.cos(delta) - Math.sin(phi) * sinPhi2);
    return [phi2 / rad, lon + turn / rad];
  }

  // A range ring: the points `radiusNm` from the station along great circles, one every 360/steps degrees
  // of bearing, as one line to draw ([[lat, lon], ...]). Each point's longitude is put in the world copy
  // nearest the one before, so a ring across the 180th meridian stays one closed line around the station.
  // A ring around a pole does not close (it comes back a world further): it is drawn on over a world copy
  // each side, so it runs across the whole visible map as the projection shows it.
  function rangeRing(station, radiusNm, steps) {
    steps = steps || 180;
    const points = [];
    let previous = station.lon;
    for (let i = 0; i <= steps; i++) {
      const point = destination(station.lat, station.lon, (360 * i) / steps, radiusNm);
      point[1] = nearestCopy(point[1], previous);
      previous = point[1];
      points.push(point);
    }
    const turned = points[steps][1] - points[0][1];
    if (Math.abs(turned) < 180) {
      points[steps] = points[0].slice(); // closed exactly
      return points;
    }
    const around = [];
    for (const shift of [-turned, 0, turned]) {
      for (let i = around.length ? 1 : 0; i <= steps; i++) around.push([points[i][0], points[i][1] + shift]);
    }
    return around;
  }

  // The aircraft with ACARS messages today, by their hex address.
  function aircraftWithMessages(aircraft) {
    const marked = new Set();
    for (const plane of Array.isArray(aircraft) ? aircraft : []) {
      if (plane && typeof plane.messagesToday === 'number' && plane.messagesToday > 0) marked.add(str(plane.hex));
    }
    return marked;
  }

  // The search that lists an aircraft's messages: the server's own query, or one made from the
  // registration or callsign it was matched by; '' when it has no messages.
  function aircraftQuery(plane) {
    if (!plane || !(plane.messagesToday > 0)) return '';
    if (typeof plane.search === 'string' && plane.search.trim()) return plane.search.trim();
    const registration = str(plane.registration).trim();
    const callsign = str(plane.callsign).trim();
    if (registration) return 'tail:' + queryValue(registration);
    if (callsign) return 'flight:' + queryValue(callsign);
    return '';
  }

  // The two lines of an aircraft's label: its callsign (or registration, or hex address) and altitude.
  function aircraftLabel(plane) {
    const name = str(plane.callsign).trim() || str(plane.registration).trim() || str(plane.hex);
    const alt = plane.altitudeFt;
    const altitude = typeof alt === 'number' && isFinite(alt) ? Math.round(alt).toLocaleString('en') + ' ft' : '';
    return [name, altitude];
  }

  // ---- The Live list's messages from the store ----

  // What makes a message the same on the live feed and in the store: its time and card fields (the store
  // keeps this receiver's own messages without a station name, so the station is not part of it).
  function messageKey(msg) {
    return [msg.time, msg.mode, msg.address, msg.label, msg.block, msg.msn, msg.text].map(str).join('\u0000');
  }

  // Of the stored messages (newest first), those the list does not show yet, at most room of them.
  function olderToShow(shown, stored, room) {
    const known = new Set(shown.map(messageKey));
    const out = [];
    for (const msg of stored) {
      if (out.length >= room) break;
      if (!msg || typeof msg !== 'object' || known.has(messageKey(msg))) continue;
      known.add(messageKey(msg));
      out.push(msg);
    }
    return out;
  }

  const logic = {
    pad2: pad2,
    utcDay: utcDay,
    utcMinute: utcMinute,
    shiftDay: shiftDay,
    messageDate: messageDate,
    messageDay: messageDay,
    formatTime: formatTime,
    str: str,
    isAlert: isAlert,
    readableOf: readableOf,
    positionOf: positionOf,
    visibleText: visibleText,
    kindText: kindText,
    firstLine: firstLine,
    flightText: flightText,
    blocksText: blocksText,
    wholeText: wholeText,
    fieldValueText: fieldValueText,
    haystack: haystack,
    parseRoute: parseRoute,
    routeHash: routeHash,
    queryValue: queryValue,
    barQuery: barQuery,
    drawnTrack: drawnTrack,
    nearestCopy: nearestCopy,
    trackRotation: trackRotation,
    positionOpacity: positionOpacity,
    destination: destination,
    rangeRing: rangeRing,
    aircraftWithMessages: aircraftWithMessages,
    aircraftQuery: aircraftQuery,
    aircraftLabel: aircraftLabel,
    messageKey: messageKey,
    olderToShow: olderToShow,
    receptionText: receptionText,
  };

  if (typeof module === 'object' && module && module.exports) {
    module.exports = logic;
  } else {
    const Page = (root.CorvanePage = root.CorvanePage || {});
    Page.logic = logic;
  }
})(typeof window !== 'undefined' ? window : globalThis);
