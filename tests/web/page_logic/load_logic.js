// Loads the page's logic (web/logic.js) as the unit tests see it, with the
// local time zone set well away from UTC (+05:45), so that anything reading
// local time instead of UTC shows in the results.
'use strict';
process.env.TZ = 'Asia/Kathmandu';
const path = require('node:path');

module.exports = require(path.join(__dirname, '..', '..', '..', 'web', 'logic.js'));
