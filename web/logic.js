/* The page's logic that needs no DOM: UTC time texts, message texts made visible, routes, the search
 * query behind a chart's bar, the drawn line of an aircraft's track, and which stored messages the Live
 * list still lacks. The browser loads it as a plain script (window.CorvanePage.logic, before common.js);
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

  // Everything a person sees of a message, lower case, for the live filter.
  function haystack(msg) {
    const parts = [formatTime(msg), msg.station, msg.address, msg.flight, msg.label, msg.block, msg.msn, msg.mode, msg.text];
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
    fieldValueText: fieldValueText,
    haystack: haystack,
    parseRoute: parseRoute,
    routeHash: routeHash,
    queryValue: queryValue,
    barQuery: barQuery,
    drawnTrack: drawnTrack,
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
