// The viewer page of pebble-match in Debian's chromium, headless: stepping
// through an end, opening a shot from the address, and engine text that holds
// markup. Needs PEBBLE_MATCH, SCRIPTED_ENGINE and VIEWER_OUTPUT (set by CTest),
// chromium (CHROMIUM, default /usr/bin/chromium) and `npm ci` in tests/browser.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
const output = process.env.VIEWER_OUTPUT;
const TOLERANCE = 0.001; // metres; drawn coordinates carry two decimals of a pixel at 64 px/m

let puppeteer;
let browser;
let record;
let pageData;
let pageUrl;

async function loadPuppeteer() {
  try {
    return (await import('puppeteer-core')).default;
  } catch (error) {
    throw new Error('puppeteer-core is missing: run `npm ci` in tests/browser (' + error.message + ')');
  }
}

before(async () => {
  for (const name of ['PEBBLE_MATCH', 'SCRIPTED_ENGINE', 'VIEWER_OUTPUT'])
    assert.ok(process.env[name], name + ' is not set: run these tests through CTest');
  assert.ok(fs.existsSync(chromium), 'chromium is missing at ' + chromium + ': apt-get install chromium');
  puppeteer = await loadPuppeteer();
  fs.mkdirSync(output, { recursive: true });
  const recordPath = path.join(output, 'viewer-game.jsonl');
  const htmlPath = path.join(output, 'viewer-game.html');
  // The runner writes over no record unasked, and this folder outlives a run.
  fs.rmSync(recordPath, { force: true });
  execFileSync(process.env.PEBBLE_MATCH, ['--ends', '3', '--record', recordPath, '--html', htmlPath], { stdio: 'pipe' });
  // JSON Lines: the header, then one line per game.
  const lines = fs.readFileSync(recordPath, 'utf8').split('\n').filter((line) => line !== '').map((line) => JSON.parse(line));
  record = { ...lines[0], games: lines.slice(1) };
  // The page made later from the record, without engines, is the same page.
  const replayedPath = path.join(output, 'viewer-replayed.html');
  execFileSync(process.env.PEBBLE_MATCH, ['--replay', recordPath, '--html', replayedPath], { stdio: 'pipe' });
  assert.ok(fs.readFileSync(replayedPath).equals(fs.readFileSync(htmlPath)), 'the page made from the record differs');
  pageUrl = pathToFileURL(htmlPath).href;
  const html = fs.readFileSync(htmlPath, 'utf8');
  const open = '<script type="application/json" id="match-data">';
  const start = html.indexOf(open) + open.length;
  pageData = JSON.parse(html.slice(start, html.indexOf('</script>', start)));
  browser = await puppeteer.launch({ executablePath: chromium, headless: true, args: ['--no-sandbox'] });
});

after(async () => {
  if (browser) await browser.close();
});

// The recorded end: number counts from 1.
function recordedEnd(gameNumber, endNumber) {
  return record.games.find((g) => g.game === gameNumber).ends[endNumber - 1];
}

function inPlay(position) {
  const stones = new Map();
  position.forEach((stone, index) => {
    if (stone[0] !== 0 || stone[1] !== 0) stones.set(index, stone);
  });
  return stones;
}

async function openAt(page, url) {
  await page.goto('about:blank');
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.moving === 'false');
}

// The stones drawn, in metres, read back through the view's scale.
async function drawnStones(page) {
  const drawn = await page.evaluate(() => {
    const view = JSON.parse(document.getElementById('match-data').textContent).view;
    return [...document.querySelectorAll('#stones circle.stone')].map((circle) => [
      Number(circle.dataset.stone),
      view.sheetWidth - (Number(circle.getAttribute('cx')) - view.left) / view.scale,
      (Number(circle.getAttribute('cy')) - view.top) / view.scale + view.nearY,
    ]);
  });
  return new Map(drawn.map(([stone, x, y]) => [stone, [x, y]]));
}

async function assertStonesAt(page, position, where) {
  const expected = inPlay(position);
  const drawn = await drawnStones(page);
  assert.deepEqual([...drawn.keys()].sort((a, b) => a - b), [...expected.keys()], where + ': stones drawn');
  for (const [stone, [x, y]] of expected) {
    const [dx, dy] = drawn.get(stone);
    assert.ok(Math.abs(dx - x) < TOLERANCE && Math.abs(dy - y) < TOLERANCE,
      `${where}: stone ${stone + 1} drawn at (${dx}, ${dy}), recorded (${x}, ${y})`);
  }
}

const text = (page, id) => page.$eval('#' + id, (element) => element.textContent);

function pointsIn(line) {
  const found = /A (\d+), B (\d+)/.exec(line);
  assert.ok(found, 'no score in "' + line + '"');
  return { A: Number(found[1]), B: Number(found[2]) };
}

test('stepping through an end draws every shot where the record has it, with the scores', async () => {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });
  await openAt(page, pageUrl + '#game=1&end=2&shot=0');
  await page.select('#speed', '64');
  const end = recordedEnd(1, 2);
  const before = record.games[0].ends[0].score;
  await assertStonesAt(page, new Array(16).fill([0, 0]), 'before the first stone');
  // Notes every animation however fast the frames come.
  await page.evaluate(() => new MutationObserver(() => {
    if (document.body.dataset.moving === 'true') window.animated = true;
  }).observe(document.body, { attributes: true }));
  for (let shot = 1; shot <= end.shots.length; ++shot) {
    await page.evaluate(() => { window.animated = false; });
    await page.keyboard.press('ArrowRight');
    await page.waitForFunction(() => document.body.dataset.moving === 'false');
    assert.ok(await page.evaluate(() => window.animated), `shot ${shot} is animated`);
    await assertStonesAt(page, end.shots[shot - 1].resting, `shot ${shot}`);
    assert.match(await text(page, 'shot-title'), new RegExp(`shot ${shot} of ${end.shots.length}$`));
    assert.equal(await page.$eval('#shot-facts code', (code) => code.textContent), end.shots[shot - 1].reply);
    const last = shot === end.shots.length;
    const game = pointsIn(await text(page, 'game-score'));
    assert.deepEqual(game, last ? { A: before.A + end.score.A, B: before.B + end.score.B } : before, `game score after shot ${shot}`);
    if (last) assert.deepEqual(pointsIn(await text(page, 'end-score')), end.score, 'the end score');
  }
  assert.match(page.url(), new RegExp(`#game=1&end=2&shot=${end.shots.length}$`));
  await page.keyboard.press('Home');
  await assertStonesAt(page, new Array(16).fill([0, 0]), 'Home');
  await page.keyboard.press('End');
  await assertStonesAt(page, end.shots.at(-1).resting, 'End');
  await page.screenshot({ path: path.join(output, 'viewer-desktop.png') });
  await page.setViewport({ width: 390, height: 844, isMobile: true });
  await page.screenshot({ path: path.join(output, 'viewer-phone.png'), fullPage: true });
  const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
  assert.ok(overflow <= 0, `the page is ${overflow} px wider than a phone`);
  await page.close();
});

// A path of the page data as { stone, left, points: [[time, x, y], ...] } in
// s and m: the data holds its points flat in ms and mm, each after the first
// as the change from the one before.
function pagePath(path) {
  const points = [];
  const sum = [0, 0, 0];
  for (let i = 0; i + 2 < path.points.length; i += 3) {
    for (let k = 0; k < 3; ++k) sum[k] += path.points[i + k];
    points.push(sum.map((value) => value / 1000));
  }
  return { ...path, points };
}

// The first shot of game 1 that set stone moving with a path passing test:
// { end, shot, path }, end and shot counting from 1.
function shotMoving(test) {
  for (const e of pageData.games[0].ends)
    for (const [index, shot] of e.shots.entries())
      for (const path of shot.played ? shot.paths.map(pagePath) : [])
        if (test(path, index)) return { end: e.index + 1, shot: index + 1, path };
  return null;
}

// Run in the page: window.stoneAt(stone) gives the drawn circle of a stone
// in metres and its opacity, or null when it is not drawn.
function installStoneAt() {
  const view = JSON.parse(document.getElementById('match-data').textContent).view;
  window.stoneAt = (stone) => {
    const circle = document.querySelector(`#stones circle[data-stone="${stone}"]`);
    if (!circle) return null;
    return {
      x: view.sheetWidth - (Number(circle.getAttribute('cx')) - view.left) / view.scale,
      y: (Number(circle.getAttribute('cy')) - view.top) / view.scale + view.nearY,
      opacity: Number(circle.parentNode.getAttribute('opacity')),
    };
  };
}

// Metres from p to the nearest point of the path's polyline.
function awayFromPath(points, p) {
  let nearest = Infinity;
  for (let i = 0; i + 1 < points.length; ++i) {
    const [, ax, ay] = points[i];
    const [, bx, by] = points[i + 1];
    const length = (bx - ax) ** 2 + (by - ay) ** 2;
    const f = length > 0 ? Math.min(Math.max(((p.x - ax) * (bx - ax) + (p.y - ay) * (by - ay)) / length, 0), 1) : 0;
    nearest = Math.min(nearest, Math.hypot(p.x - (ax + (bx - ax) * f), p.y - (ay + (by - ay) * f)));
  }
  return nearest;
}

test('a struck stone runs along its traced path, and a stone that left the sheet fades where it left', async () => {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });
  const AWAY = 0.02; // metres from either rest: well on its way

  const struck = shotMoving((path, index) => path.stone !== index && path.left !== true &&
    Math.hypot(path.points[0][1] - path.points.at(-1)[1], path.points[0][2] - path.points.at(-1)[2]) > 4 * AWAY);
  assert.ok(struck, 'game 1 has a shot that moves a struck stone that stays in play');
  const [, fromX, fromY] = struck.path.points[0];
  const [, toX, toY] = struck.path.points.at(-1);
  await openAt(page, pageUrl + `#game=1&end=${struck.end}&shot=${struck.shot - 1}`);
  await page.evaluate(installStoneAt);
  await page.select('#speed', '2');
  await page.keyboard.press('ArrowRight');
  const seen = await (await page.waitForFunction((stone, from, to, away) => {
    const at = window.stoneAt(stone);
    if (!at || document.body.dataset.moving !== 'true') return false;
    const apart = (p) => Math.hypot(at.x - p[0], at.y - p[1]);
    return apart(from) > away && apart(to) > away ? at : false;
  }, { polling: 'raf', timeout: 60000 }, struck.path.stone, [fromX, fromY], [toX, toY], AWAY)).jsonValue();
  // Held there for a picture of the stones under way.
  await page.click('#play');
  await page.click('#play');
  await page.screenshot({ path: path.join(output, 'viewer-struck.png') });
  const trail = await page.$(`#paths polyline[data-stone="${struck.path.stone}"]`);
  assert.ok(trail, 'the struck stone leaves a trail');
  assert.ok(awayFromPath(struck.path.points, seen) < 0.002,
    `stone ${struck.path.stone + 1} drawn at (${seen.x}, ${seen.y}), off its traced path by ${awayFromPath(struck.path.points, seen)} m`);

  const left = shotMoving((path) => path.left === true);
  assert.ok(left, 'game 1 has a shot in which a stone leaves the sheet');
  await openAt(page, pageUrl + `#game=1&end=${left.end}&shot=${left.shot - 1}`);
  await page.evaluate(installStoneAt);
  await page.select('#speed', '2');
  await page.keyboard.press('ArrowRight');
  const fading = await (await page.waitForFunction((stone) => {
    const at = window.stoneAt(stone);
    return at && at.opacity > 0 && at.opacity < 1 ? at : false;
  }, { polling: 'raf', timeout: 60000 }, left.path.stone)).jsonValue();
  const [, leftX, leftY] = left.path.points.at(-1);
  assert.ok(Math.hypot(fading.x - leftX, fading.y - leftY) < 0.002,
    `stone ${left.path.stone + 1} fades at (${fading.x}, ${fading.y}), left the sheet at (${leftX}, ${leftY})`);
  await page.close();
});

test('an address opens the shot it names', async () => {
  const page = await browser.newPage();
  for (const [endNumber, shot] of [[3, 5], [1, 16], [2, 1]]) {
    await openAt(page, pageUrl + `#game=1&end=${endNumber}&shot=${shot}`);
    await assertStonesAt(page, recordedEnd(1, endNumber).shots[shot - 1].resting, `end ${endNumber} shot ${shot}`);
    assert.equal(await page.$eval('#end-select', (select) => select.selectedOptions[0].textContent), String(endNumber));
    assert.match(await text(page, 'shot-title'), new RegExp(`end ${endNumber}, shot ${shot} of`));
  }
  const cells = await page.$$eval('#line-scores tbody tr', (rows) => rows.map((row) => [...row.cells].map((cell) => cell.textContent)));
  const ends = record.games[0].ends;
  assert.deepEqual(cells[0].slice(1, ends.length + 1), ends.map((e) => String(e.score.A) + (e.hammer === 'A' ? '*' : '')));
  assert.deepEqual(cells[1].slice(1, ends.length + 1), ends.map((e) => String(e.score.B) + (e.hammer === 'B' ? '*' : '')));
  await page.close();
});

test('a game from a start position opens its end on the start stones and steps on from them', async () => {
  const folder = fs.mkdtempSync(path.join(output, 'start-'));
  const stones = new Array(16).fill([0, 0]);
  stones[0] = [2.5, 5.25];
  stones[11] = [2.375, 7.5];
  const positions = path.join(folder, 'positions.jsonl');
  fs.writeFileSync(positions, JSON.stringify({ name: 'guarded', end: 1, shot: 12, score: [1, 3], hammer: 1, stones }) + '\n');
  const recordPath = path.join(folder, 'start.jsonl');
  const htmlPath = path.join(folder, 'start.html');
  execFileSync(process.env.PEBBLE_MATCH, ['--ends', '2', '--games', '2', '--positions', positions, '--record', recordPath,
    '--html', htmlPath], { stdio: 'pipe' });
  const games = fs.readFileSync(recordPath, 'utf8').split('\n').filter((line) => line !== '').slice(1).map((line) => JSON.parse(line));
  const page = await browser.newPage();
  for (const [number, startPoints] of [[1, { A: 1, B: 3 }], [2, { A: 3, B: 1 }]]) {
    const end = games[number - 1].ends[0];
    await openAt(page, pathToFileURL(htmlPath).href + `#game=${number}&end=2&shot=0`);
    await assertStonesAt(page, stones, `game ${number}: the start`);
    assert.match(await text(page, 'shot-title'), /the start position "guarded"$/);
    assert.deepEqual(pointsIn(await text(page, 'game-score')), startPoints, `game ${number}: the points it started with`);
    await page.select('#speed', '64');
    await page.keyboard.press('ArrowRight');
    await page.waitForFunction(() => document.body.dataset.moving === 'false');
    await assertStonesAt(page, end.shots[0].resting, `game ${number}: stone 13`);
    assert.match(await text(page, 'shot-title'), /shot 13 of 16$/);
  }
  await page.close();
});

test('play steps on by itself and pause holds the throw where it is', async () => {
  const page = await browser.newPage();
  await openAt(page, pageUrl + '#game=1&end=1&shot=0');
  await page.select('#speed', '64');
  await page.click('#play');
  await page.waitForFunction(() => /shot=[3-9]/.test(location.hash), { timeout: 20000 });
  await page.click('#play');
  const held = await page.evaluate(() => [location.hash, document.getElementById('stones').innerHTML]);
  await new Promise((resolve) => setTimeout(resolve, 1500));
  assert.deepEqual(await page.evaluate(() => [location.hash, document.getElementById('stones').innerHTML]), held);
  assert.equal(await text(page, 'play'), '\u25B6 Play');
  await page.close();
});

// The shot panel's facts as term and detail.
async function shotFacts(page) {
  return page.$$eval('#shot-facts dt', (terms) => Object.fromEntries(terms.map((term) =>
    [term.textContent, term.nextElementSibling.textContent])));
}

const seconds = (ms) => (Math.round(ms) / 1000).toFixed(3) + ' s';

test('each shot shows its think time and, on a clock, both clocks after it', async () => {
  const page = await browser.newPage();
  await openAt(page, pageUrl + '#game=1&end=1&shot=2');
  const plain = await shotFacts(page);
  assert.equal(plain['Think time'], seconds(recordedEnd(1, 1).shots[1].thinkMs));
  assert.equal(plain.Clocks, undefined, 'no clock without --tc');

  const folder = fs.mkdtempSync(path.join(output, 'clock-'));
  const recordPath = path.join(folder, 'clock.jsonl');
  const htmlPath = path.join(folder, 'clock.html');
  const engine = `${process.env.SCRIPTED_ENGINE} sleep-30`;
  execFileSync(process.env.PEBBLE_MATCH, ['--ends', '1', '--tc', '60+0.5', '--record', recordPath, '--html', htmlPath,
    engine, engine], { stdio: 'pipe' });
  const game = JSON.parse(fs.readFileSync(recordPath, 'utf8').split('\n')[1]);
  for (const shot of [1, 4]) {
    await openAt(page, pathToFileURL(htmlPath).href + `#game=1&end=1&shot=${shot}`);
    const recorded = game.ends[0].shots[shot - 1];
    const facts = await shotFacts(page);
    assert.ok(recorded.thinkMs >= 30, 'the think time holds the sleep: ' + recorded.thinkMs);
    assert.equal(facts['Think time'], seconds(recorded.thinkMs));
    assert.equal(facts.Clocks, `A ${seconds(recorded.clockMs[0])}, B ${seconds(recorded.clockMs[1])} left`);
  }
  await page.close();
});

test('engine names, commands and replies holding markup are shown as text', async () => {
  const folder = fs.mkdtempSync(path.join(output, 'markup-'));
  const name = '<img src=x onerror=window.injected=3>';
  fs.symlinkSync(process.env.SCRIPTED_ENGINE, path.join(folder, name));
  const command = `'${path.join(folder, name)}' markup`;
  const htmlPath = path.join(folder, 'markup.html');
  execFileSync(process.env.PEBBLE_MATCH, ['--ends', '1', '--html', htmlPath, command, `${process.env.SCRIPTED_ENGINE} steady`], { stdio: 'pipe' });
  const page = await browser.newPage();
  await openAt(page, pathToFileURL(htmlPath).href + '#game=1&end=1&shot=1');
  const seen = await page.evaluate(() => ({
    injected: window.injected,
    elements: document.querySelectorAll('img, b').length,
    scripts: document.scripts.length,
    engines: document.getElementById('engines').textContent,
    reply: document.querySelector('#shot-facts code').textContent,
    forfeit: document.getElementById('forfeit').textContent,
    forfeitShown: !document.getElementById('forfeit').hidden,
  }));
  assert.equal(seen.injected, undefined, 'no script of the engine ran');
  assert.equal(seen.elements, 0, 'no element of the engine was made');
  assert.equal(seen.scripts, 2, 'only the page data and the page script');
  assert.ok(seen.engines.includes(command), 'the command is shown as written: ' + seen.engines);
  assert.equal(seen.reply, '<img src=x onerror="window.injected=1"></script><script>window.injected=2</script><b>bold</b> \uFFFD');
  assert.ok(seen.forfeitShown && seen.forfeit.includes('<script>window.injected=2'), 'the forfeit message: ' + seen.forfeit);
  await page.close();
});

// A tournament-size record: a few real games of 8 ends written over and over
// with new game numbers, as a long match would have them, made into a page
// through --replay. Its size and the times to open and step are printed.
const TOURNAMENT_GAMES = 200;

function tournamentPage() {
  const fewPath = path.join(output, 'viewer-few.jsonl');
  // The runner writes over no record unasked, and this folder outlives a run.
  fs.rmSync(fewPath, { force: true });
  execFileSync(process.env.PEBBLE_MATCH, ['--games', '2', '--ends', '8', '--seed', '5', '--record', fewPath], { stdio: 'pipe' });
  const [header, ...games] = fs.readFileSync(fewPath, 'utf8').split('\n').filter((line) => line !== '').map((line) => JSON.parse(line));
  const many = Array.from({ length: TOURNAMENT_GAMES }, (_, index) =>
    ({ ...games[index % games.length], game: index + 1, pair: Math.floor(index / 2) + 1 }));
  const recordPath = path.join(output, 'viewer-tournament.jsonl');
  fs.writeFileSync(recordPath, [{ ...header, games: TOURNAMENT_GAMES }, ...many].map((line) => JSON.stringify(line) + '\n').join(''));
  const htmlPath = path.join(output, 'viewer-tournament.html');
  const started = performance.now();
  execFileSync(process.env.PEBBLE_MATCH, ['--replay', recordPath, '--html', htmlPath], { stdio: 'pipe' });
  return { games: many, htmlPath, written: performance.now() - started };
}

test('a 200-game page stays small and opens and steps within seconds', async () => {
  const { games, htmlPath, written } = tournamentPage();
  const bytes = fs.statSync(htmlPath).size;
  const perGame = bytes / TOURNAMENT_GAMES;
  const url = pathToFileURL(htmlPath).href;
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });
  let started = performance.now();
  await openAt(page, url + '#game=1&end=1&shot=0');
  const opened = performance.now() - started;

  // Every shot of the last game's last end, animated at the fastest speed.
  const last = games.at(-1);
  const lastEnd = last.ends.at(-1);
  await page.select('#speed', '64');
  await page.evaluate((address) => { location.hash = address; }, `game=${last.game}&end=${lastEnd.end + 1}&shot=0`);
  await page.waitForFunction((address) => location.hash === '#' + address && document.body.dataset.moving === 'false', {},
    `game=${last.game}&end=${lastEnd.end + 1}&shot=0`);
  started = performance.now();
  for (let shot = 1; shot <= lastEnd.shots.length; ++shot) {
    await page.keyboard.press('ArrowRight');
    await page.waitForFunction(() => document.body.dataset.moving === 'false');
  }
  const stepped = performance.now() - started;
  await assertStonesAt(page, lastEnd.shots.at(-1).resting, `game ${last.game}, the end's last shot`);

  // Back through the end shot by shot, and from game to game.
  started = performance.now();
  for (let shot = lastEnd.shots.length - 1; shot >= 0; --shot) await page.keyboard.press('ArrowLeft');
  const back = performance.now() - started;
  started = performance.now();
  for (let index = 0; index < TOURNAMENT_GAMES; index += 10) await page.select('#game-select', String(index));
  const switched = performance.now() - started;
  assert.match(page.url(), /#game=191&end=1&shot=0$/);
  await page.close();

  const ms = (value) => value.toFixed(0) + ' ms';
  console.log(`${TOURNAMENT_GAMES}-game page: ${bytes} bytes, ${perGame.toFixed(0)} bytes a game, written in ${ms(written)}; ` +
    `opened in ${ms(opened)}; ${lastEnd.shots.length} shots animated at 64x in ${ms(stepped)}, ` +
    `stepped back in ${ms(back)}; ${TOURNAMENT_GAMES / 10} games chosen in ${ms(switched)}`);
  assert.ok(perGame < 100000, `${perGame} bytes a game`);
  for (const [what, time] of [['opening', opened], ['stepping', stepped], ['stepping back', back], ['choosing games', switched]])
    assert.ok(time < 15000, `${what} took ${ms(time)}`);
});
