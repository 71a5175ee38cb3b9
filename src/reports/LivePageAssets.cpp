// The style sheet and the polling script of the live pages.
//
// The script asks the page's JSON route once a second. Each answer carries the server's time of
// day in the header X-Server-Time; the script keeps the difference to the browser's monotonic
// clock, so running times and the countdown tick every 100 ms on the timing PC's time even when
// the browser's own clock is wrong. The table is rebuilt only when the JSON text has changed, and
// only its rows: the page never reloads. Texts are set with textContent, never as markup.
#include "reports/LivePageAssets.h"

namespace vandoret {

std::string_view LivePageStyle() {
    return R"CSS(body{margin:0;font-family:system-ui,-apple-system,"Segoe UI",Roboto,Arial,sans-serif;background:#F9F9E6;color:#222;font-size:clamp(15px,1.3vw,32px)}
header{display:flex;flex-wrap:wrap;align-items:baseline;gap:.3em 1.2em;padding:.5em .8em;background:#B0A786;color:#fff}
h1{margin:0;font-size:1.45em}
nav a{color:#fff;margin-right:1em;text-decoration:none;font-weight:600}
nav a.hier{text-decoration:underline}
#stand{margin-left:auto;font-size:.85em;font-variant-numeric:tabular-nums}
#stand.aus{color:#A00000;background:#fff;padding:0 .4em;font-weight:700}
main{padding:.5em}
table{width:100%;border-collapse:collapse;background:#fff}
th,td{padding:.35em .5em;border-bottom:1px solid #E0E0E0;text-align:left;vertical-align:top}
th{background:#E2E6CB;font-weight:600}
tbody tr:nth-child(even){background:#FAFAF0}
.k-platz,.k-nr,.k-zeit,.k-punkte,.k-lauf,.k-start{text-align:right;white-space:nowrap;font-variant-numeric:tabular-nums}
.k-platz{font-weight:700}
.k-lauf{font-weight:700;color:#7A4E1E}
.k-lauf.halt{color:#B00020;white-space:normal}
.halte td:last-child{white-space:normal}
@media (max-width:640px){.halte th:nth-child(2),.halte td:nth-child(2){display:none}.halte{font-size:.9em}}
.leer{padding:1em;font-style:italic}
.countdown{margin:.2em 0 0;font-size:3.2em;font-weight:700;text-align:center;font-variant-numeric:tabular-nums;color:#7A4E1E}
.naechster{margin:0 0 .6em;text-align:center;font-size:1.15em}
.k-name{overflow-wrap:anywhere}
@media (max-width:640px){.k-club,.k-ort,.k-pferd{display:none}body[data-page=unterwegs] .k-start{display:none}th,td{padding:.3em .25em}th{white-space:normal}body{font-size:15px}h1{font-size:1.25em}}
)CSS";
}

std::string_view LivePageScript() {
    return R"JS((function () {
  'use strict';
  var page = document.body.getAttribute('data-page');
  var api = {ergebnisse: '/api/results.json', unterwegs: '/api/oncourse.json', start: '/api/starts.json'}[page];
  var keys = [];
  var heads = document.querySelectorAll('thead th');
  for (var i = 0; i < heads.length; i++) keys.push(heads[i].className.slice(2));
  var body = document.getElementById('zeilen');
  var empty = document.getElementById('leer');
  var stand = document.getElementById('stand');
  var lastText = null, data = [], offset = null, shown = null, failures = 0;

  // "09:30:05,3" or "09:30:05.250": milliseconds after midnight; null when it is no time.
  function ms(text) {
    var p = String(text).match(/\d+/g);
    if (!p || p.length < 3) return null;
    var f = p.length > 3 ? Number('0.' + p[3]) : 0;
    return ((Number(p[0]) * 60 + Number(p[1])) * 60 + Number(p[2]) + f) * 1000;
  }
  function now() { return offset === null ? null : offset + performance.now(); }
  function two(n) { return (n < 10 ? '0' : '') + n; }
  function span(v, tenths) {
    var s = Math.floor(v / 1000), h = Math.floor(s / 3600), m = Math.floor(s / 60) % 60;
    return (h > 0 ? h + ':' + two(m) : String(m)) + ':' + two(s % 60) + (tenths ? ',' + Math.floor(v / 100) % 10 : '');
  }
  function clock(v) {
    v = Math.floor(v / 1000) % 86400;
    return two(Math.floor(v / 3600)) + ':' + two(Math.floor(v / 60) % 60) + ':' + two(v % 60);
  }
  function fill(list) {
    var rows = document.createDocumentFragment();
    for (var r = 0; r < list.length; r++) {
      var tr = document.createElement('tr');
      for (var k = 0; k < keys.length; k++) {
        var td = document.createElement('td');
        td.className = 'k-' + keys[k];
        var v = list[r][keys[k]];
        td.textContent = v == null ? '' : String(v);
        if (keys[k] === 'zeit' && list[r].hand) td.textContent += ' ' + list[r].hand; // hand time
        tr.appendChild(td);
      }
      rows.appendChild(tr);
    }
    while (body.firstChild) body.removeChild(body.firstChild);
    body.appendChild(rows);
    empty.hidden = list.length > 0;
  }
  function tick() {
    var t = now();
    if (t === null) return;
    if (page === 'unterwegs') {
      var trs = body.rows;
      for (var i = 0; i < trs.length; i++) {
        var start = trs[i].querySelector('.k-start'), run = trs[i].querySelector('.k-lauf');
        var s = start ? ms(start.textContent) : null;
        if (!run || s === null) continue;
        var d = t - s;
        if (d < -43200000) d += 86400000; // started before midnight
        // Held on the course: the ride without its holds, and the open hold's time running.
        var rider = data[i] || {}, held = rider.angehalten ? t - ms(rider.angehalten) : null;
        if (held !== null && held < -43200000) held += 86400000;
        d -= (rider.pause || 0) + (held !== null ? Math.max(0, held) : 0);
        run.textContent = span(Math.max(0, d), true) + (held !== null ? ' angehalten ' + span(Math.max(0, held), false) : '');
        run.className = 'k-lauf' + (held !== null ? ' halt' : '');
      }
    } else if (page === 'start') {
      var next = [];
      for (var j = 0; j < data.length && next.length < 3; j++) {
        var p = ms(data[j].start);
        if (p !== null && p > t - 1000) next.push(data[j]);
      }
      var key = JSON.stringify(next);
      if (key !== shown) { shown = key; fill(next); }
      var cd = document.getElementById('countdown'), who = document.getElementById('naechster');
      if (next.length) {
        cd.textContent = span(Math.max(0, Math.ceil((ms(next[0].start) - t) / 1000) * 1000), false);
        who.textContent = 'N\u00e4chster Start um ' + next[0].start + ': ' + next[0].nr + ' ' + next[0].name;
      } else {
        cd.textContent = '\u2013';
        who.textContent = '';
      }
    }
  }
  function poll() {
    fetch(api, {cache: 'no-store'}).then(function (res) {
      if (!res.ok) throw new Error(String(res.status));
      var at = ms(res.headers.get('X-Server-Time'));
      if (at !== null) offset = at - performance.now();
      return res.text();
    }).then(function (text) {
      if (text !== lastText) {
        data = JSON.parse(text);
        lastText = text;
        if (page !== 'start') fill(data);
      }
      failures = 0;
      stand.textContent = 'Stand ' + clock(now());
      stand.className = '';
      tick();
    }).catch(function () {
      if (++failures >= 2) {
        stand.textContent = 'Keine Verbindung zum Zeitmess-PC';
        stand.className = 'aus';
      }
    }).then(function () { setTimeout(poll, 1000); });
  }
  poll();
  setInterval(tick, 100);
})();
)JS";
}

} // namespace vandoret
