'use strict';
// The match viewer: draws the stones of the chosen shot on the sheet drawn by
// pebble-match, animates each throw, and keeps the panel and the address in
// step. Every text that came from an engine is set as text, never as markup.
(function () {
  const data = JSON.parse(document.getElementById('match-data').textContent);
  const view = data.view;
  const SVG = 'http://www.w3.org/2000/svg';
  const FADE = 0.5;           // seconds of sheet time for a stone leaving play
  const PAUSE_BETWEEN = 600;  // milliseconds between shots while playing
  const STONES = 16;
  const EMPTY = [];           // a position lists the stones in play as [stone, x, y] in mm

  const $ = (id) => document.getElementById(id);
  const px = (x) => view.left + (view.sheetWidth - x) * view.scale;
  const py = (y) => view.top + (y - view.nearY) * view.scale;
  const other = (letter) => (letter === 'A' ? 'B' : 'A');
  // The data gives lengths in whole millimetres and times in whole milliseconds.
  const thousandths = (count) => count / 1000;

  const here = { game: 0, end: 0, shot: 0 };  // shot: how many shots of the end are shown
  let motion = null;     // the throw being animated
  let playing = false;   // stepping on by itself
  let playTimer = 0;

  function html(name, text, attributes) {
    const element = document.createElement(name);
    if (text !== undefined) element.textContent = text;
    for (const [key, value] of Object.entries(attributes || {})) element.setAttribute(key, value);
    return element;
  }

  function svg(name, attributes) {
    const element = document.createElementNS(SVG, name);
    for (const [key, value] of Object.entries(attributes)) element.setAttribute(key, String(value));
    return element;
  }

  const game = () => data.games[here.game];
  const end = () => game().ends[here.end];
  const engine = (letter) => game().engines[letter === 'A' ? 0 : 1];
  const endLabel = (g, index) => (index < g.regularEnds ? String(index + 1) : 'X' + (index - g.regularEnds + 1));
  const endName = (g, index) => (index < g.regularEnds ? 'end ' + (index + 1) : 'extra end ' + (index - g.regularEnds + 1));
  const ownerOf = (e, stone) => (stone % 2 === 1 ? e.hammer : other(e.hammer));
  // The stone the end's first recorded shot threw: past 0 in the end a start position opens.
  const firstStone = (e) => e.first || 0;
  const label = (letter) => letter + ' ' + engine(letter).name;

  // The position after the first count shots of an end: its stones in play.
  function positionAfter(e, count) {
    let position = e.opening || EMPTY;
    for (const shot of e.shots.slice(0, count)) if (shot.played) position = shot.resting;
    return position;
  }

  function scoreAfter(e, count) {
    return count === 0 ? e.openingScore || [0, 0] : e.shots[count - 1].score;
  }

  function gameScore(g, endIndex, endFinished) {
    const total = g.start ? g.start.points.slice() : [0, 0];
    g.ends.forEach((e, index) => {
      if (e.complete && (index < endIndex || (index === endIndex && endFinished))) {
        total[0] += e.points[0];
        total[1] += e.points[1];
      }
    });
    return total;
  }

  function pointsText(points) {
    const lead = points[0] > 0 ? 'A scores ' + points[0] : points[1] > 0 ? 'B scores ' + points[1] : 'nobody scores';
    return 'A ' + points[0] + ', B ' + points[1] + ' (' + lead + ')';
  }

  // Drawing: a circle and its throw number per stone, paths below them.
  function stoneElement(e, stone) {
    const owner = ownerOf(e, stone);
    const group = svg('g', { class: 'stone-group' });
    group.append(svg('circle', { class: 'stone', 'data-stone': stone, 'data-engine': owner, r: view.stoneRadius * view.scale,
      fill: engine(owner).stone, stroke: '#333333', 'stroke-width': 1 }));
    const number = svg('text', { 'font-size': 10, 'font-weight': 'bold', 'text-anchor': 'middle',
      fill: owner === 'A' ? '#ffffff' : '#222222', 'aria-hidden': 'true' });
    number.textContent = String(stone + 1);
    group.append(number);
    return group;
  }

  function placeStone(group, point, opacity) {
    const [circle, number] = group.children;
    circle.setAttribute('cx', px(point[0]).toFixed(2));
    circle.setAttribute('cy', py(point[1]).toFixed(2));
    number.setAttribute('x', px(point[0]).toFixed(2));
    number.setAttribute('y', (py(point[1]) + 3.5).toFixed(2));
    group.setAttribute('opacity', opacity === undefined ? 1 : opacity);
  }

  // A path's points as [time, x, y] in s and m, in time order. The data holds
  // them flat, [t, x, y, dt, dx, dy, ...], each after the first as the change
  // from the one before; read once, when first drawn.
  function pointsOf(path) {
    if (!path.shown) {
      const flat = path.points;
      const sum = [0, 0, 0];
      path.shown = [];
      for (let i = 0; i + 2 < flat.length; i += 3) {
        for (let k = 0; k < 3; ++k) sum[k] += flat[i + k];
        path.shown.push(sum.map(thousandths));
      }
    }
    return path.shown;
  }

  // The points as a polyline's, in pixels to a tenth.
  function pathPoints(points) {
    return points.map(([, x, y]) => px(x).toFixed(1) + ',' + py(y).toFixed(1)).join(' ');
  }

  // A path's line, in the colour of its stone's side; the thrown stone's bolder.
  function pathLine(e, shotIndex, path, opacity) {
    const thrown = path.stone === shotIndex;
    return svg('polyline', { class: thrown ? 'path' : 'path struck', 'data-stone': path.stone, fill: 'none',
      stroke: engine(ownerOf(e, path.stone)).path, 'stroke-width': thrown ? 1.5 : 1, 'stroke-opacity': opacity });
  }

  // The thrown stone's path of each of the first count shots, and with struck
  // the paths of the stones the last of them set moving.
  function drawPaths(e, count, struck) {
    const layer = $('paths');
    layer.replaceChildren();
    e.shots.slice(0, count).forEach((shot, index) => {
      if (!shot.played) return;
      const last = index === count - 1;
      const stone = firstStone(e) + index;
      for (const path of shot.paths) {
        if (pointsOf(path).length < 2 || (path.stone !== stone && !(last && struck))) continue;
        const line = pathLine(e, stone, path, last ? 0.9 : 0.35);
        line.setAttribute('points', pathPoints(pointsOf(path)));
        layer.append(line);
      }
    });
  }

  function drawStones(e, position) {
    const layer = $('stones');
    layer.replaceChildren();
    const groups = Array.from({ length: STONES }, (_, stone) => stoneElement(e, stone));
    for (const [stone, x, y] of position) {
      placeStone(groups[stone], [thousandths(x), thousandths(y)]);
      layer.append(groups[stone]);
    }
    return groups;
  }

  function showStill() {
    const e = end();
    if (!e) {
      $('paths').replaceChildren();
      $('stones').replaceChildren();
    } else {
      drawPaths(e, here.shot, true);
      drawStones(e, positionAfter(e, here.shot));
    }
    document.body.dataset.moving = 'false';
    renderPanel(here.shot);
  }

  // Animation of one throw in sheet seconds, scaled by the chosen speed: every
  // stone it set moving runs along its traced path from its start to its end
  // time, and one that left the sheet, or was removed once all came to rest,
  // fades where its path ends.
  function startMotion() {
    const e = end();
    const thrown = here.shot - 1;
    const shot = e.shots[thrown];
    const after = new Set(shot.resting.map(([stone]) => stone));
    drawPaths(e, thrown, false);
    const groups = drawStones(e, positionAfter(e, thrown));
    const moving = shot.paths.filter((path) => pointsOf(path).length > 0).map((path) => ({ path, points: pointsOf(path),
      fades: path.left === true || !after.has(path.stone), trail: pathLine(e, firstStone(e) + thrown, path, 0.9) }));
    let start = Infinity;
    let finish = 0;
    for (const m of moving) {
      start = Math.min(start, m.points[0][0]);
      finish = Math.max(finish, m.points.at(-1)[0] + (m.fades ? FADE : 0));
      $('paths').append(m.trail);
      if (!groups[m.path.stone].isConnected) $('stones').append(groups[m.path.stone]);
    }
    motion = { moving, groups, time: Math.min(start, finish), finish, frozen: false, last: null };
    document.body.dataset.moving = 'true';
    renderPanel(thrown);
    drawMotion(motion);
    requestAnimationFrame(frame);
  }

  // Where a path has its stone at time, from its start to its end: it runs
  // evenly from each point to the next.
  function pointAt(points, time) {
    let i = 0;
    while (i + 1 < points.length - 1 && points[i + 1][0] <= time) ++i;
    const j = Math.min(i + 1, points.length - 1);
    const span = points[j][0] - points[i][0];
    const f = span > 0 ? Math.min(Math.max((time - points[i][0]) / span, 0), 1) : 1;
    return { index: i, point: [0, 1, 2].map((k) => points[i][k] + (points[j][k] - points[i][k]) * f) };
  }

  function drawMotion(m) {
    for (const { path, points, fades, trail } of m.moving) {
      if (m.time < points[0][0]) continue;
      const { index, point } = pointAt(points, m.time);
      const past = m.time - points.at(-1)[0];
      placeStone(m.groups[path.stone], [point[1], point[2]], fades && past > 0 ? Math.max(0, 1 - past / FADE) : 1);
      trail.setAttribute('points', pathPoints(points.slice(0, index + 1).concat([point])));
    }
  }

  function frame(now) {
    const m = motion;
    if (!m || m.frozen) return;
    if (m.last !== null) m.time += ((now - m.last) / 1000) * Number($('speed').value);
    m.last = now;
    if (m.time >= m.finish) {
      finishMotion();
      return;
    }
    drawMotion(m);
    requestAnimationFrame(frame);
  }

  function finishMotion() {
    motion = null;
    showStill();
    if (playing) playTimer = setTimeout(playOn, PAUSE_BETWEEN);
  }

  function stopMotion() {
    motion = null;
    clearTimeout(playTimer);
  }

  // Navigation.
  function shotCount() {
    return end() ? end().shots.length : 0;
  }

  function go(shot, animate) {
    stopMotion();
    here.shot = Math.max(0, Math.min(shot, shotCount()));
    writeAddress();
    const shotData = here.shot > 0 ? end().shots[here.shot - 1] : null;
    if (animate && shotData && shotData.played) startMotion();
    else showStill();
    if (!animate) setPlaying(false);
  }

  function next() {
    if (here.shot < shotCount()) go(here.shot + 1, true);
  }

  function playOn() {
    if (here.shot < shotCount()) next();
    else setPlaying(false);
  }

  function setPlaying(on) {
    playing = on;
    const button = $('play');
    button.textContent = on ? '\u2016 Pause' : '\u25B6 Play';
  }

  function togglePlay() {
    if (playing) {
      setPlaying(false);
      clearTimeout(playTimer);
      if (motion) motion.frozen = true;
      return;
    }
    setPlaying(true);
    if (motion) {
      motion.frozen = false;
      motion.last = null;
      requestAnimationFrame(frame);
    } else if (here.shot < shotCount()) {
      next();
    } else {
      go(0, false);
      setPlaying(true);
      next();
    }
  }

  function choose(gameIndex, endIndex, shot) {
    here.game = Math.max(0, Math.min(gameIndex, data.games.length - 1));
    here.end = Math.max(0, Math.min(endIndex, game().ends.length - 1));
    fillEndSelect();
    $('game-select').value = String(here.game);
    $('end-select').value = String(here.end);
    markCurrentEnd();
    go(shot, false);
  }

  // The address names the shot shown: #game=2&end=5&shot=11.
  function writeAddress() {
    const e = end();
    const address = '#game=' + game().number + '&end=' + (e ? e.index + 1 : 1) + '&shot=' + here.shot;
    if (location.hash !== address) history.replaceState(null, '', address);
  }

  function readAddress() {
    const fields = new URLSearchParams(location.hash.replace(/^#/, ''));
    const number = Number(fields.get('game'));
    const found = data.games.findIndex((g) => g.number === number);
    const gameIndex = found >= 0 ? found : 0;
    const endNumber = Number(fields.get('end'));
    const endIndex = data.games[gameIndex].ends.findIndex((e) => e.index + 1 === endNumber);
    const shot = Number.parseInt(fields.get('shot') || '0', 10);
    choose(gameIndex, Math.max(endIndex, 0), Number.isFinite(shot) ? shot : 0);
  }

  // "stones 2 and 5 at 14.23 s, ...", stones numbered as drawn.
  function contactsText(contacts) {
    if (contacts.length === 0) return 'none';
    return contacts.map(([time, first, second]) =>
      'stones ' + (first + 1) + ' and ' + (second + 1) + ' at ' + thousandths(time).toFixed(2) + ' s').join(', ');
  }

  // The panel: the shot, the end so far, the game.
  function fact(list, term, value) {
    list.append(html('dt', term));
    const detail = html('dd');
    detail.append(value instanceof Node ? value : document.createTextNode(value));
    list.append(detail);
  }

  function renderPanel(settled) {
    const g = game();
    const e = end();
    const facts = $('shot-facts');
    facts.replaceChildren();
    const total = e ? e.shots.length : 0;
    const forfeit = $('forfeit');
    const forfeitShown = g.forfeit && (!e || (here.end === g.ends.length - 1 && here.shot === total && !e.shots[total - 1].played));
    forfeit.hidden = !forfeitShown;
    forfeit.textContent = forfeitShown ? 'Forfeit: ' + g.forfeit.message : '';
    if (!e) {
      $('shot-title').textContent = 'No stone was thrown in this game';
      $('end-score').textContent = '';
      $('game-score').textContent = 'Game: ' + g.result;
      $('sheet-caption').textContent = 'The empty sheet.';
      for (const id of ['first', 'previous', 'play', 'next', 'last']) $(id).disabled = true;
      return;
    }
    for (const id of ['first', 'previous']) $(id).disabled = here.shot === 0;
    for (const id of ['next', 'last']) $(id).disabled = here.shot === total;
    $('play').disabled = false;
    const where = 'Game ' + g.number + ', ' + endName(g, e.index);
    const first = firstStone(e);
    if (here.shot === 0) {
      $('shot-title').textContent = where + (e.opening ? ': the start position "' + g.start.name + '"' : ': before the first stone');
      if (e.opening) fact(facts, 'Start', g.start.text);
      fact(facts, 'Hammer', label(e.hammer));
      fact(facts, e.opening ? 'Next stone' : 'First stone', label(ownerOf(e, first)));
    } else {
      const shot = e.shots[here.shot - 1];
      const thrower = ownerOf(e, first + here.shot - 1);
      $('shot-title').textContent = where + ', shot ' + (first + here.shot) + ' of ' + (first + total);
      const who = html('span');
      who.append(html('span', '', { class: 'swatch', style: 'background:' + engine(thrower).stone, 'aria-hidden': 'true' }));
      who.append(document.createTextNode(label(thrower) + ', stone ' + (first + here.shot)));
      fact(facts, 'Engine', who);
      fact(facts, 'Reply', html('code', shot.reply));
      if (shot.thinkMs !== undefined) fact(facts, 'Think time', thousandths(shot.thinkMs).toFixed(3) + ' s');
      if (shot.clockMs) fact(facts, 'Clocks', 'A ' + thousandths(shot.clockMs[0]).toFixed(3) + ' s, B ' +
        thousandths(shot.clockMs[1]).toFixed(3) + ' s left');
      if (shot.played) {
        fact(facts, 'Vector', 'vx ' + shot.vx.toFixed(4) + ', vy ' + shot.vy.toFixed(4) + ' m/s');
        fact(facts, 'Spin', shot.spin + (shot.spin === 0 ? ' (clockwise)' : ' (counter-clockwise)'));
        fact(facts, 'Seed', String(shot.seed));
        fact(facts, 'Contacts', contactsText(shot.contacts));
      }
    }
    const endPoints = scoreAfter(e, settled);
    const finished = settled === total && e.complete;
    $('end-score').textContent = (finished ? 'End: ' : 'End so far: ') + pointsText(endPoints);
    const points = gameScore(g, here.end, finished);
    $('game-score').textContent = 'Game: A ' + points[0] + ', B ' + points[1] + (finished ? ' after ' : ' before ') + endName(g, e.index);
    const stones = positionAfter(e, settled).length;
    const caption = 'Shot ' + (first + settled) + ' of ' + (first + total) + '. ' + stones + ' stone' + (stones === 1 ? '' : 's') + ' in play. ' +
      (endPoints[0] > 0 ? 'A lies ' + endPoints[0] : endPoints[1] > 0 ? 'B lies ' + endPoints[1] : 'Nobody lies') + '.';
    $('sheet-caption').textContent = caption;
    $('status').textContent = $('shot-title').textContent + '. ' + caption;
  }

  // The line score of every game, each end a link to its first shot.
  function lineScore(g, gameIndex) {
    const wrap = html('div', undefined, { class: 'table-wrap' });
    const table = html('table');
    table.append(html('caption', 'Game ' + g.number + ': ' + g.result + (g.start ? ', ' + g.start.text : '')));
    const head = html('tr');
    head.append(html('th', 'Engine', { scope: 'col' }));
    if (g.start) head.append(html('th', 'S', { scope: 'col', title: 'the points at the start position' }));
    g.ends.forEach((e) => {
      const cell = html('th', undefined, { scope: 'col', 'data-game': gameIndex, 'data-end': e.index });
      const link = html('a', endLabel(g, e.index), { href: '#game=' + g.number + '&end=' + (e.index + 1) + '&shot=0',
        'aria-label': 'Game ' + g.number + ', ' + endName(g, e.index) });
      cell.append(link);
      head.append(cell);
    });
    head.append(html('th', 'Total', { scope: 'col' }));
    const thead = html('thead');
    thead.append(head);
    table.append(thead);
    const body = html('tbody');
    for (const letter of ['A', 'B']) {
      const side = letter === 'A' ? 0 : 1;
      const row = html('tr');
      row.append(html('th', label(letter), { scope: 'row' }));
      if (g.start) row.append(html('td', String(g.start.points[side])));
      g.ends.forEach((e) => {
        const text = e.complete ? String(e.points[side]) + (e.hammer === letter ? '*' : '') : '-';
        row.append(html('td', text, { 'data-game': gameIndex, 'data-end': e.index }));
      });
      row.append(html('td', String(g.totals[side]), { class: 'total' }));
      body.append(row);
    }
    table.append(body);
    wrap.append(table);
    return wrap;
  }

  function markCurrentEnd() {
    for (const cell of document.querySelectorAll('#line-scores .current')) cell.classList.remove('current');
    const selector = '[data-game="' + here.game + '"][data-end="' + (end() ? end().index : -1) + '"]';
    for (const cell of document.querySelectorAll(selector)) cell.classList.add('current');
  }

  function fillEndSelect() {
    const select = $('end-select');
    select.replaceChildren();
    game().ends.forEach((e, index) => select.append(html('option', endLabel(game(), e.index), { value: index })));
    select.disabled = game().ends.length === 0;
  }

  function build() {
    // Two engines keep their colours all match long; a tournament's change from game to game.
    const engines = $('engines');
    const colours = data.engines.length === 2 && data.games.length > 0 ? data.games[0].engines : null;
    data.engines.forEach((e, index) => {
      if (index > 0) engines.append(document.createTextNode(colours ? ' vs ' : ', '));
      if (colours) engines.append(html('span', '', { class: 'swatch', style: 'background:' + colours[index].stone, 'aria-hidden': 'true' }));
      engines.append(document.createTextNode((colours ? colours[index].letter + ' ' : '') + e.name + ' (' + e.command + ')'));
    });
    const sheet = document.querySelector('#sheet svg');
    sheet.setAttribute('role', 'img');
    sheet.setAttribute('aria-labelledby', 'sheet-caption');
    const games = $('game-select');
    data.games.forEach((g, index) => games.append(html('option', 'Game ' + g.number + ': ' + g.result, { value: index })));
    const scores = $('line-scores');
    data.games.forEach((g, index) => scores.append(lineScore(g, index)));

    games.addEventListener('change', () => choose(Number(games.value), 0, 0));
    $('end-select').addEventListener('change', () => choose(here.game, Number($('end-select').value), 0));
    $('first').addEventListener('click', () => go(0, false));
    $('previous').addEventListener('click', () => go(here.shot - 1, false));
    $('next').addEventListener('click', next);
    $('last').addEventListener('click', () => go(shotCount(), false));
    $('play').addEventListener('click', togglePlay);
    document.addEventListener('keydown', onKey);
    window.addEventListener('hashchange', readAddress);
    readAddress();
  }

  function onKey(event) {
    const target = event.target;
    if (event.altKey || event.ctrlKey || event.metaKey || (target instanceof Element && target.closest('select, input, a'))) return;
    const actions = {
      ArrowRight: next,
      ArrowLeft: () => go(here.shot - 1, false),
      Home: () => go(0, false),
      End: () => go(shotCount(), false),
    };
    if (event.key === ' ' && !(target instanceof HTMLButtonElement)) actions[' '] = togglePlay;
    const action = actions[event.key];
    if (!action) return;
    event.preventDefault();
    action();
  }

  build();
})();
