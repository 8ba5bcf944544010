// Reads tintrix-fade's documents of every format with the program that really consumes them
// (readers.mjs) and checks, per code point, the text, the colour and the styles against the
// colours the engine gives each character (the reference program) and the case's own styles.
//
//   node consumers_test.mjs TINTRIX_FADE REFERENCE
//
// Exit status 0 when every case passes, 1 when one fails, 77 (skip) when chromium or the npm
// packages are missing.
import { execFile } from 'node:child_process';
import { existsSync } from 'node:fs';
import { mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { promisify } from 'node:util';

const [fadeProgram, referenceProgram] = process.argv.slice(2);
const chromium = process.env.CHROMIUM ?? '/usr/bin/chromium';
const here = dirname(fileURLToPath(import.meta.url));
for (const [path, what] of [[chromium, 'chromium'],
  [join(here, 'node_modules/@bbob/html'), 'the npm packages (scripts/setup installs them)'],
  [join(here, 'node_modules/@xterm/headless'), 'the npm packages (scripts/setup installs them)'],
  [join(here, 'node_modules/prismarine-chat'), 'the npm packages (scripts/setup installs them)']]) {
  if (!existsSync(path)) {
    console.log(`skipped: ${what} missing (${path})`);
    process.exit(77);
  }
}
const { bbcodeToHtml, readHtml, readAnsi, readMinecraft, readMinimessage, readJson } =
  await import('./readers.mjs');

// The cases. Every format reads each text in two of the variants, and its own texts of markup
// characters with and without --merge and --skip-blanks. Merging shows only where neighbours
// share a colour, so the variants that merge repeat colours.
const kSpread = ['#e6194b', '#3cb44b', '#ffe119', '#4363d8', '#f58231', '#911eb4', '#46f0f0',
  '#f032e6', '#bcf60c', '#008080'];
const kRuns = ['#cc0000', '#cc0000', '#00aa00', '#00aa00', '#0000ff', '#0000ff', '#102030',
  '#102030', '#ffffff', '#ffffff'];
const kVariants = [
  { name: '2-plain', colors: 2, palette: kSpread, styles: '' },
  { name: '5-bold-merge', colors: 5, palette: kRuns, styles: 'b', merge: true },
  { name: '10-all-skip-oklch', colors: 10, palette: kSpread, styles: 'biu', skipBlanks: true,
    blend: 'oklch' },
  { name: '5-italic-merge-skip-oklab', colors: 5, palette: kRuns, styles: 'i', merge: true,
    skipBlanks: true, blend: 'oklab' },
  { name: '2-underline-merge-hsv', colors: 2, palette: ['#000000', '#0f0f0f'], styles: 'u',
    merge: true, blend: 'hsv' },
  { name: '10-markup-only-skip', colors: 10, palette: kRuns, styles: 'biu', markupOnly: true,
    skipBlanks: true },
];
const kTexts = {
  ordinary: 'Hello, faded world!',
  long: 'The quick brown fox jumps over the lazy dog; café, naïve, Ærø 0123456789. '.repeat(40),
  emoji: 'Hi 👋🏽 family 👨‍👩‍👧‍👦 flag 🇯🇵 ok',
  marks: 'e\u0301te\u0301 n\u0303o a\u0308\u0323 Z\u0327\u030c',
  cjk: '漢字かな交じり文、한국어 텍스트',
  rtl: 'abc שלום עולם مرحبا xyz',
  blanks: '  two  spaces\u00a0and\u3000wide \t ',
};
// The codes of the game's both marks, for the two spellings of hex colours with a mark before
// each digit; the last holds a mark and a combining mark in one character.
const kMinecraftCodeTexts = ['R&D', '&l and §l', '&x&f&f&0&0&0 §x§F§F §#00ff00', 'ends in &',
  'ends in §', '&&§§ &r §r §', '&\u0301x §\u0308l'];
// Characters that mean something in each format (classic is verbatim and the forum renderer
// does not escape, so neither holds `<` or `&`); the ansi and json texts hold control
// characters. A Buffer is a text of bytes that are no UTF-8, given on standard input: json
// writes each ill-formed sequence (its maximal subpart) as one U+FFFD.
const kMarkupTexts = {
  classic: ['quotes > "x" \'y\''],
  html: ['a<b & c>d "e" \'f\' &amp; &lt;'],
  bbcode: ['use [b]bold[/b] and [/color] here', '[i]x[/i] [u]y[/u] [color=#00ff00]z[/color]',
    'ends in ['],
  ansi: ['a\x1b]0;title\x07b', 'esc\x1b[31m red bel\x07 bs\b cr\r lf\n c1\u009b del\x7f tab\tend'],
  minecraft: ['R&D', '&l and §l', 'a & b', 'ends in &', '&#FF0000 &x&f §r &'],
  minimessage: ['a<b> \\ \\<i> </b> <#ff0000>x <reset> \\'],
  json: ['quotes "x" \'y\' back\\slash \\" \\\\ ends in \\',
    'c0 \x01\x02\x1b\x1f tab\t lf\n cr\r del\x7f c1 \u0080\u0085\u009b\u009f nbsp\u00a0 ' +
      'ls\u2028 end',
    'literal \\u0000 \\n \\"x\\" \\ud83d\\ude00 \\\\u0041 \\',
    '"},{"text":"x","color":"#FF0000","bold":true},{"text":"y', '\\"}]} ", "extra":["z"]',
    Buffer.concat([Buffer.from('nul '), Buffer.from([0x00, 0x20, 0xe2, 0x82, 0x41, 0x20, 0xc0,
      0x80, 0x20, 0xed, 0xa0, 0x80, 0x20, 0xf4, 0x90, 0x80, 0x80, 0x20, 0xff, 0x80, 0x20, 0xe2,
      0x82, 0x22, 0xc2, 0x5c, 0x20, 0xf0, 0x9f, 0x91]), Buffer.from(' \u00e9 end')]),
    Buffer.from([0xf0, 0x9f, 0x91, 0x8b, 0xf0, 0x9f, 0x8f, 0xbd, 0xcc, 0x81, 0x61, 0xcc, 0x81,
      0xe1, 0x80, 0x22, 0x7d, 0x2c, 0xfe])],
  'minecraft-x': kMinecraftCodeTexts,
  'minecraft-section': kMinecraftCodeTexts,
};
// --merge with one colour makes the whole text one run; the last variant has a run, then a blend.
const kMarkupVariants = [
  { name: 'plain', styles: '', colors: 3, palette: kSpread },
  { name: 'merge', styles: '', merge: true, colors: 2, palette: ['#00aa00', '#00aa00'] },
  { name: 'skip-italic-underline', styles: 'iu', skipBlanks: true, colors: 3,
    palette: kSpread.slice(4) },
  { name: 'merge-skip-italic-underline', styles: 'iu', merge: true, skipBlanks: true, colors: 3,
    palette: ['#00aa00', '#00aa00', '#cc0000'] },
];
const kFormats = ['classic', 'html', 'bbcode', 'ansi', 'minecraft', 'minimessage', 'json',
  'minecraft-x', 'minecraft-section'];
const cases = [];
kFormats.forEach((format, f) => {
  Object.entries(kTexts).forEach(([textName, text], t) => {
    for (const v of [kVariants[(t + f) % 6], kVariants[(t + f + 3) % 6]]) {
      cases.push({ ...v, name: `${format}/${textName}/${v.name}`, format, text });
    }
  });
  kMarkupTexts[format].forEach((text, t) => {
    // The control characters' cases stay without --skip-blanks (a control is no blank once
    // it is shown); the first is red in decimal colour values.
    const variants = format === 'ansi' ? kMarkupVariants.slice(0, 2) : kMarkupVariants;
    for (const v of variants) {
      const palette = format === 'ansi' && t === 0 ? ['255', '255', '#00ff00'] : v.palette;
      cases.push({ ...v, name: `${format}/markup-${t + 1}/${v.name}`, format, text, palette });
    }
  });
});

// Font names from shared fade files that try to become markup: an element, a declaration of
// their own, a tag. bbcode's renderer passes `<` through, so bbcode is tried with the names
// it must refuse.
const kHostileFonts = {
  element: 'x"><img src=x onerror="document.title=\'pwned\'">',
  declaration: "x';font-style:italic;'",
  'line-declaration': 'x\n;font-style:italic;',
  tag: 'x][url=javascript:alert(1)]y[/url][font=z',
  'line-tag': 'two\n[i]lines',
};
kFormats.forEach((format) => {
  for (const [fontName, font] of Object.entries(kHostileFonts)) {
    if (format === 'bbcode' && !/[[\]\n]/.test(font)) continue;
    cases.push({ ...kVariants[0], name: `${format}/font-${fontName}`, format, styles: 'b',
      text: 'a font', font });
  }
});

if (new Set(cases.map((c) => c.name)).size !== cases.length) throw new Error('case names repeat');

function fadeOptions(c) {
  const options = ['--defaults', '--colors', String(c.colors), '--blend', c.blend ?? 'rgb'];
  for (let k = 1; k <= c.colors; ++k) options.push('--color', `${k}=${c.palette[k - 1]}`);
  return c.skipBlanks ? [...options, '--skip-blanks'] : options;
}

function documentArguments(c) {
  const styles = [['b', 'bold'], ['i', 'italic'], ['u', 'underline']]
    .map(([s, word]) => (c.styles.includes(s) ? `--${word}` : `--no-${word}`));
  return [...fadeOptions(c), '--format', c.format, '--no-wavy', ...styles,
    ...(c.font !== undefined ? ['--font', c.font] : c.format === 'bbcode' ? ['--font', ''] : []),
    ...(c.merge ? ['--merge'] : []),
    ...(c.markupOnly ? ['--markup-only'] : []), ...(onStdin(c) ? [] : ['--', c.text])];
}

// A text of bytes goes on standard input: tintrix-fade fades its one line, the reference
// reads all of it.
const onStdin = (c) => Buffer.isBuffer(c.text);

// The shown text of a control character in ansi: a Control Picture for C0 (TAB apart) and DEL,
// U+FFFD for C1.
const shownInTerminal = (cp) => (cp === 9 ? cp : cp < 0x20 ? 0x2400 + cp : cp === 0x7f ? 0x2421
  : cp >= 0x80 && cp < 0xa0 ? 0xfffd : cp);

const home = await mkdtemp(join(tmpdir(), 'tintrix-consumers-home-'));
const env = { ...process.env, HOME: home, XDG_CONFIG_HOME: join(home, '.config') };
// The program's standard output, as a string or, with bytes, as a Buffer.
const run = async (program, args, { input = '', bytes = false } = {}) => {
  const running = promisify(execFile)(program, args,
    { env, maxBuffer: 1 << 28, encoding: bytes ? 'buffer' : 'utf8' });
  running.child.stdin.on('error', () => {});  // a program that reads no input may be gone
  running.child.stdin.end(input);
  return (await running).stdout;
};

async function prepare(c) {
  try {
    return await fadeAndReference(c);
  } catch (error) {
    return { ...c, error: `${error.message}`.trim(), expected: [], document: '' };
  }
}

async function fadeAndReference(c) {
  const styled = !c.markupOnly;
  const expected = (await (onStdin(c)
    ? run(referenceProgram, ['--text-on-stdin', ...fadeOptions(c)], { input: c.text })
    : run(referenceProgram, [...fadeOptions(c), c.text]))).split('\n')
    .filter(Boolean).map((line) => {
      const [cp, colour] = line.split(' ');
      return { cp: c.format === 'ansi' ? shownInTerminal(+cp) : +cp, colour: colour.toLowerCase(),
        bold: styled && c.styles.includes('b'), italic: styled && c.styles.includes('i'),
        underline: styled && c.styles.includes('u') };
    });
  // json is read from its bytes, which must be UTF-8 whatever the text's.
  const output = await run(fadeProgram, documentArguments(c), {
    input: onStdin(c) ? Buffer.concat([c.text, Buffer.from('\n')]) : '',
    bytes: c.format === 'json',
  });
  const document = c.format === 'json'
    ? output.subarray(0, output.length - (output.at(-1) === 0x0a ? 1 : 0))
    : output.replace(/\n$/, '');
  return { ...c, expected, document };
}

async function inPool(items, size, work) {
  const results = [];
  let next = 0;
  const worker = async () => {
    while (next < items.length) {
      const i = next++;
      results[i] = await work(items[i]);
    }
  };
  await Promise.all(Array.from({ length: size }, worker));
  return results;
}

const describe = (cell) => {
  if (!cell) return 'nothing';
  if (cell.cp === -1) return 'an empty cell';
  const character = cell.cp < 0x20 || (cell.cp >= 0x7f && cell.cp < 0xa0) ? ''
    : ` '${String.fromCodePoint(cell.cp)}'`;
  const name = `U+${cell.cp.toString(16).toUpperCase().padStart(4, '0')}${character}`;
  if (cell.tab) return name;
  const styles = ['bold', 'italic', 'underline'].filter((s) => cell[s]).join(' ') || 'no style';
  return `${name} ${cell.colour ? `#${cell.colour}` : 'no colour'} ${styles}`;
};
const same = (e, g) => e.cp === g.cp && (g.tab || (e.colour === g.colour && e.bold === g.bold &&
  e.italic === g.italic && e.underline === g.underline));

function check(c, cells, events = []) {
  if (c.error) return c.error;
  const problems = events.length ? [`the document ${events.join(', ')}`] : [];
  for (let i = 0; i < Math.max(c.expected.length, cells.length); ++i) {
    if (!c.expected[i] || !cells[i] || !same(c.expected[i], cells[i])) {
      const [expected, got] = [describe(c.expected[i]), describe(cells[i])];
      problems.push(`code point ${i}: expected ${expected}, got ${got}`);
      break;
    }
  }
  return problems.join('; ') || null;
}

const started = Date.now();
let prepared;
try {
  prepared = await inPool(cases, 4, prepare);
} finally {
  await rm(home, { recursive: true, force: true });
}
const toBrowser = prepared.filter((c) => ['classic', 'html', 'bbcode'].includes(c.format));
const pages = await readHtml(toBrowser.map((c) =>
  (c.format === 'bbcode' ? bbcodeToHtml(c.document) : c.document)), chromium);
const failures = new Map();
toBrowser.forEach((c, i) => failures.set(c.name, check(c, pages[i].cells, pages[i].events)));
for (const c of prepared) {
  if (c.format === 'ansi') {
    const { cells, events } = await readAnsi(c.document, c.expected.length);
    failures.set(c.name, check(c, cells, events));
  } else if (['minecraft', 'minecraft-x', 'minecraft-section'].includes(c.format)) {
    failures.set(c.name, check(c, readMinecraft(c.document)));
  } else if (c.format === 'json') {
    const { cells, events } = readJson(c.document);
    failures.set(c.name, check(c, cells, events));
  } else if (c.format === 'minimessage') {
    failures.set(c.name, check(c, readMinimessage(c.document)));
  }
}

let failed = 0;
for (const c of cases) {
  const failure = failures.has(c.name) ? failures.get(c.name) : `no reader for ${c.format}`;
  if (failure) ++failed;
  console.log(failure ? `FAIL ${c.name}: ${failure}` : `ok   ${c.name}`);
}
console.log(`consumers: ${cases.length} cases in ${((Date.now() - started) / 1000).toFixed(1)} s`);
console.log(`${cases.length - failed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
