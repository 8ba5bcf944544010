// tintrix-fade --moving in a real browser: headless chromium, driven over the DevTools
// protocol, holds each moving document still at several times through the Web Animations API
// and reads every code point's colour, which must be that of the same text's frame
// floor(t / SECONDS x 2n) of --frames 2n; then, asked for reduced motion, the plain fade.
// All documents share one page, so that their names must keep their motions apart.
//
//   node moving_test.mjs TINTRIX_FADE
//
// Exit status 0 when every check passes, 1 when one fails, 77 (skip) when chromium is missing.
import { execFile, spawn } from 'node:child_process';
import { existsSync } from 'node:fs';
import { mkdtemp, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';

const run = promisify(execFile);
const [fadeProgram] = process.argv.slice(2);
const chromium = process.env.CHROMIUM ?? '/usr/bin/chromium';
if (!existsSync(chromium)) {
  console.log(`skipped: chromium missing (${chromium})`);
  process.exit(77);
}

const kCases = [
  { name: 'five colours, wave, styles, font', seconds: '2',
    args: ['--colors', '5', '--wavy', '--seed', '3', '--bold', '--italic', '--font', 'Sans'],
    text: 'Hello, moving world!' },
  { name: 'the same, a slower loop', seconds: '3',
    args: ['--colors', '5', '--wavy', '--seed', '3', '--bold', '--italic', '--font', 'Sans'],
    text: 'Hello, moving world!' },
  { name: 'two colours, blanks joined, characters of many code points', seconds: '0.1',
    args: ['--colors', '2', '--skip-blanks', '--underline', '--blend', 'oklch'],
    text: 'Hi 👋🏽  family 👨‍👩‍👧‍👦 <&> e\u0301' },
  { name: 'more colours than characters, the longest loop', seconds: '3600',
    args: ['--colors', '10'], text: 'abc' },
];
const kPalette = ['#e6194b', '#3cb44b', '#ffe119', '#4363d8', '#f58231', '#911eb4', '#46f0f0',
  '#f032e6', '#bcf60c', '#008080'].flatMap((c, k) => ['--color', `${k + 1}=${c}`]);

async function fade(args) {
  const { stdout } = await run(fadeProgram, ['--defaults', '--no-bold', ...kPalette, ...args],
    { env: { ...process.env, HOME: tmpdir() }, maxBuffer: 1 << 26 });
  return stdout.split('\n').slice(0, -1);
}

// Runs in the page: per code point of each box's text, its colour; the moving boxes first
// held at time `t` (ms) of their animations, when `t` is given.
function readBoxes(ids, t) {
  return ids.map((id) => {
    const box = document.getElementById(id);
    const animations = document.getAnimations().filter((a) => box.contains(a.effect.target));
    for (const animation of animations) {
      animation.pause();
      if (t !== undefined) animation.currentTime = t;
    }
    const cells = [];
    const walker = document.createTreeWalker(box, NodeFilter.SHOW_TEXT);
    for (let node; (node = walker.nextNode());) {
      if (node.parentElement.tagName === 'STYLE') continue;
      const colour = getComputedStyle(node.parentElement).color;
      for (const c of node.data) cells.push(`${c.codePointAt(0)} ${colour}`);
    }
    return { animations: animations.length, cells };
  });
}

// A DevTools session over --remote-debugging-pipe: commands on fd 3, answers on fd 4, each a
// JSON message ended by a NUL.
function startBrowser(profile) {
  const browser = spawn(chromium, ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
    '--no-first-run', '--disable-background-networking', '--disable-component-update',
    '--disable-sync', `--user-data-dir=${profile}`, '--remote-debugging-pipe'],
  { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'], env: { ...process.env, HOME: profile } });
  const pending = new Map();
  let next = 0;
  let received = '';
  browser.stdio[4].setEncoding('utf8');
  browser.stdio[4].on('data', (chunk) => {
    received += chunk;
    for (let end; (end = received.indexOf('\0')) >= 0; received = received.slice(end + 1)) {
      const message = JSON.parse(received.slice(0, end));
      const waiting = pending.get(message.id);
      if (!waiting) continue;
      pending.delete(message.id);
      if (message.error) waiting.reject(new Error(JSON.stringify(message.error)));
      else waiting.resolve(message.result);
    }
  });
  const send = (method, params = {}, sessionId = undefined) => new Promise((resolve, reject) => {
    pending.set(++next, { resolve, reject });
    browser.stdio[3].write(`${JSON.stringify({ id: next, method, params, sessionId })}\0`);
  });
  return { browser, send };
}

const folder = await mkdtemp(join(tmpdir(), 'tintrix-moving-'));
const failures = [];
const started = Date.now();
const { browser, send } = startBrowser(join(folder, 'profile'));
const guard = setTimeout(() => {
  console.log('FAIL: the browser took more than 90 s');
  browser.kill('SIGKILL');
  process.exit(1);
}, 90000);
try {
  const cases = [];
  for (const c of kCases) {
    const [moving] = await fade([...c.args, '--format', 'html', '--moving', c.seconds, c.text]);
    // Character 0 starts 2n - 1 steps into the loop, the most of any.
    const places = 1 + Math.max(...[...moving.matchAll(/--tx:(\d+)/g)].map((m) => +m[1]));
    const frames = await fade([...c.args, '--format', 'html', '--frames', `${places}`, c.text]);
    cases.push({ ...c, moving, frames, places, step: (+c.seconds * 1000) / places });
  }
  const boxes = cases.flatMap((c, i) => [`<div id="m${i}">${c.moving}</div>`,
    ...c.frames.map((f, k) => `<div id="f${i}-${k}">${f}</div>`)]);
  await writeFile(join(folder, 'page.html'), '<!doctype html><meta charset="utf-8"><body>' +
    `${boxes.join('\n')}<script>${readBoxes}</script>`);

  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
  const evaluate = async (expression) => (await send('Runtime.evaluate',
    { expression, returnByValue: true, awaitPromise: true }, sessionId)).result.value;
  const load = async () => {
    await send('Page.navigate', { url: `file://${folder}/page.html` }, sessionId);
    while (await evaluate('document.readyState') !== 'complete') {
      await new Promise((resolve) => { setTimeout(resolve, 20); });
    }
  };
  const read = (ids, t) => evaluate(`readBoxes(${JSON.stringify(ids)}, ${t})`);
  const same = (what, got, expected) => {
    const at = got.findIndex((cell, k) => cell !== expected[k]);
    if (got.length !== expected.length || at >= 0) {
      failures.push(`${what}: code point ${at < 0 ? got.length : at}: ` +
        `expected ${expected[at]}, got ${got[at]}`);
    }
  };

  await load();
  for (const [i, c] of cases.entries()) {
    const frames = await read(c.frames.map((_, k) => `f${i}-${k}`));
    const n = c.places / 2;
    // Both halves of the loop, its ends, past one loop; each step at its middle, some also
    // near their edges.
    const steps = [0, 1, n - 1, n, n + 1, c.places - 1, c.places, c.places + 3, 5 * n + 1];
    for (const k of steps) {
      for (const within of k % 2 ? [0.5] : [0.02, 0.5, 0.98]) {
        const [moving] = await read([`m${i}`], (k + within) * c.step);
        if (moving.animations === 0) failures.push(`${c.name}: nothing moves`);
        same(`${c.name}, step ${k} + ${within}`, moving.cells, frames[k % c.places].cells);
      }
    }
  }

  await send('Emulation.setEmulatedMedia',
    { features: [{ name: 'prefers-reduced-motion', value: 'reduce' }] }, sessionId);
  await load();
  for (const [i, c] of cases.entries()) {
    const [still, plain] = await read([`m${i}`, `f${i}-0`]);
    if (still.animations !== 0) failures.push(`${c.name}: moves under reduced motion`);
    same(`${c.name}, reduced motion`, still.cells, plain.cells);
  }
  await send('Browser.close').catch(() => {});
} catch (error) {
  failures.push(`the test broke: ${error.stack}`);
} finally {
  clearTimeout(guard);
  if (browser.exitCode === null && browser.signalCode === null) {
    const exited = new Promise((resolve) => { browser.once('exit', resolve); });
    browser.kill();
    await exited;
  }
  await rm(folder, { recursive: true, force: true, maxRetries: 5 });
}
for (const failure of failures) console.log(`FAIL ${failure}`);
console.log(`moving: ${kCases.length} documents in ${((Date.now() - started) / 1000).toFixed(1)} s, ` +
  `${failures.length} failures`);
process.exit(failures.length ? 1 : 0);
