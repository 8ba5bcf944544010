// The consumers of tintrix-fade's documents. Each reading is a list of code points with what
// the consumer shows for them: { cp, colour: 'rrggbb' or null, bold, italic, underline }.
import { execFile } from 'node:child_process';
import { mkdtemp, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';
import bbobHtml from '@bbob/html';
import presetHtml5 from '@bbob/preset-html5';
import xterm from '@xterm/headless';
import prismarineChat from 'prismarine-chat';

const run = promisify(execFile);
const hex = (n) => n.toString(16).padStart(6, '0');

// bbcode: the forum renderer's HTML, read by the browser as html is. Its preset renders
// color, b, i, u (and s, size, url, img, quote, code, list) but no font, sub or sup, and it
// passes text through unescaped, so the bbcode cases hold no `<` or `&`, no font and no wave.
export const bbcodeToHtml = (document) => bbobHtml(document, presetHtml5());

// Runs inside the browser: parses each document as a page's body would be parsed and writes,
// per code point of its text nodes, the computed colour, weight, style and whether the element
// or an ancestor is underlined (text-decoration is not inherited).
function readInPage(documents) {
  const underlined = new Map();
  const isUnderlined = (element) => {
    if (element === document.body) return false;
    if (!underlined.has(element)) {
      const line = getComputedStyle(element).textDecorationLine.includes('underline');
      underlined.set(element, line || isUnderlined(element.parentElement));
    }
    return underlined.get(element);
  };
  // Elements a document of colours and styles never holds, and handlers of any element.
  const foreign = (box) => [...box.querySelectorAll('*')].flatMap((element) => [
    ...(/^(FONT|SPAN|B|I|U|SUB|SUP|STRONG|EM|S|DIV|P|BR)$/.test(element.tagName) ? []
      : [`makes an element ${element.tagName.toLowerCase()}`]),
    ...[...element.attributes].filter((a) => !/^(color|face|style)$/.test(a.name))
      .map((a) => `gives ${element.tagName.toLowerCase()} the attribute ${a.name}`)]);
  const results = documents.map((html) => {
    const box = document.createElement('div');
    document.body.append(box);
    box.innerHTML = html;
    const events = foreign(box);
    const cells = [];
    const walker = document.createTreeWalker(box, NodeFilter.SHOW_TEXT);
    for (let node; (node = walker.nextNode()); ) {
      const style = getComputedStyle(node.parentElement);
      const underline = isUnderlined(node.parentElement);
      for (const c of node.data) {
        cells.push([c.codePointAt(0), style.color, style.fontWeight, style.fontStyle, underline]);
      }
    }
    return { cells, events };
  });
  const out = document.createElement('pre');
  out.id = 'results';
  out.textContent = JSON.stringify(results);  // numbers, "rgb(…)", keywords, words: no `<`
  document.body.replaceChildren(out);
}

// classic, html and bbcode's HTML: every document in one start of headless chromium.
export async function readHtml(documents, chromium) {
  const folder = await mkdtemp(join(tmpdir(), 'tintrix-consumers-'));
  try {
    const data = JSON.stringify(documents).replace(/</g, '\\u003c');
    const page = `<!doctype html><meta charset="utf-8"><body><script>\n${readInPage}\n` +
      `try { readInPage(${data}); } catch (e) { document.body.textContent = 'error: ' + e; }` +
      '\n</script>\n';
    await writeFile(join(folder, 'page.html'), page);
    const { stdout } = await run(chromium, [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      `--user-data-dir=${join(folder, 'profile')}`, '--dump-dom', `file://${folder}/page.html`,
    ], { maxBuffer: 1 << 30, timeout: 120000, env: { ...process.env, HOME: folder } });
    const found = /<pre id="results">([^<]*)<\/pre>/.exec(stdout);
    if (!found) throw new Error(`chromium gave no results: ${stdout.slice(0, 500)}`);
    return JSON.parse(found[1]).map(({ cells, events }) => ({
      events,
      cells: cells.map(([cp, colour, weight, style, u]) => {
        const rgb = /^rgba?\((\d+), (\d+), (\d+)/.exec(colour);
        return {
          cp,
          colour: rgb && hex((+rgb[1] << 16) | (+rgb[2] << 8) | +rgb[3]),
          bold: +weight >= 600,
          italic: style === 'italic',
          underline: u,
        };
      }),
    }));
  } finally {
    await rm(folder, { recursive: true, force: true });
  }
}

// ansi: a headless terminal with room for the whole line, read cell by cell. Besides the
// reading, lists what else the document did: a title, a bell, the cursor not after the text.
// An empty cell that a TAB skipped reads as one TAB per tab stop, without colour; any other
// empty cell before the cursor as code point -1.
export async function readAnsi(document, codePoints) {
  const cols = 2 * codePoints + 16;
  const term = new xterm.Terminal({
    cols, rows: 4, scrollback: 0, allowProposedApi: true, logLevel: 'off',
  });
  const events = [];
  term.onTitleChange((title) => events.push(`changes the title to ${JSON.stringify(title)}`));
  term.onBell(() => events.push('rings the bell'));
  await new Promise((resolve) => term.write(document, resolve));
  const buffer = term.buffer.active;
  if (buffer.type !== 'normal') events.push('switches to the alternate screen');
  if (buffer.baseY + buffer.cursorY !== 0) {
    events.push(`leaves the cursor on line ${buffer.baseY + buffer.cursorY}`);
  }
  for (let y = 1; y < buffer.length; ++y) {
    if (buffer.getLine(y).translateToString(true) !== '') events.push(`writes on line ${y}`);
  }
  const line = buffer.getLine(0);
  const isEmpty = (x) => line.getCell(x).getChars() === '' && line.getCell(x).getWidth() === 1;
  let end = cols;
  while (end > 0 && isEmpty(end - 1)) --end;
  if (end > buffer.cursorX) {
    events.push(`leaves the cursor at column ${buffer.cursorX}, not after the text (${end})`);
  }
  const cells = [];
  for (let x = 0; x < Math.max(end, buffer.cursorX); ) {
    if (isEmpty(x)) {
      let gap = x;
      while (gap < buffer.cursorX && isEmpty(gap)) ++gap;
      for (; x < gap; x = Math.min((Math.floor(x / 8) + 1) * 8, gap)) {
        cells.push({ cp: (Math.floor(x / 8) + 1) * 8 <= gap ? 9 : -1, tab: true });
      }
      continue;
    }
    const cell = line.getCell(x);
    for (const c of cell.getChars()) {
      cells.push({
        cp: c.codePointAt(0),
        colour: cell.isFgRGB() ? hex(cell.getFgColor()) : null,
        bold: !!cell.isBold(),
        italic: !!cell.isItalic(),
        underline: !!cell.isUnderline(),
      });
    }
    x += Math.max(cell.getWidth(), 1);
  }
  term.dispose();
  return { cells, events };
}

// Reads a text of codes and literal characters: at each position the first code whose sticky
// pattern matches there either changes the state (apply) or stands for literal text (text);
// any other code point is text in the current state.
function decode(text, codes) {
  const cells = [];
  let state = { colour: null, bold: false, italic: false, underline: false };
  const put = (characters) => {
    for (const c of characters) cells.push({ cp: c.codePointAt(0), ...state });
  };
  for (let i = 0; i < text.length; ) {
    let match = null;
    const code = codes.find((c) => ((c.pattern.lastIndex = i), (match = c.pattern.exec(text))));
    if (code) {
      if (code.text) put(code.text(match));
      else state = code.apply(state, match);
      i = code.pattern.lastIndex;
    } else {
      const c = String.fromCodePoint(text.codePointAt(i));
      put(c);
      i += c.length;
    }
  }
  return cells;
}

// minecraft, minecraft-x and minecraft-section: the server plugins' convention, `&` or `§`
// before a code character (a server turns each `&` code into a `§` one, and the game reads
// `§` codes, so either mark is read as a code in all three). `&#RRGGBB` and
// `&x&R&R&G&G&B&B` (each mark `&` or `§`) are hex colours, `&0` to `&f` the sixteen colours;
// a colour resets the styles; `&r` resets everything; k (obfuscated) and m (strikethrough)
// are read and not checked; a mark before anything else is text.
const kLegacyColours = ('000000 0000aa 00aa00 00aaaa aa0000 aa00aa ffaa00 aaaaaa ' +
  '555555 5555ff 55ff55 55ffff ff5555 ff55ff ffff55 ffffff').split(' ');
const kPlain = { bold: false, italic: false, underline: false };
const kStyleCodes = { l: 'bold', o: 'italic', n: 'underline' };
const kMinecraftCodes = [
  { pattern: /[&§]#([0-9a-f]{6})/iy, apply: (s, m) => ({ ...kPlain, colour: m[1].toLowerCase() }) },
  { pattern: /[&§]x((?:[&§][0-9a-f]){6})/iy,
    apply: (s, m) => ({ ...kPlain, colour: m[1].replace(/[&§]/g, '').toLowerCase() }) },
  { pattern: /[&§]([0-9a-f])/iy,
    apply: (s, m) => ({ ...kPlain, colour: kLegacyColours[parseInt(m[1], 16)] }) },
  { pattern: /[&§]r/iy, apply: () => ({ ...kPlain, colour: null }) },
  { pattern: /[&§]([k-o])/iy, apply: (s, m) => {
    const style = kStyleCodes[m[1].toLowerCase()];
    return style ? { ...s, [style]: true } : s;
  } },
];
export const readMinecraft = (document) => decode(document, kMinecraftCodes);

// minimessage: no MiniMessage parser for node was found on npm (the library is Java), so this
// small decoder of what the writer uses: `<#rrggbb>`, `<b> <i> <u>` (and their long names and
// closing tags) and `\` before `<` or `\`. Any other `<` is text, as MiniMessage leaves tags it
// does not know.
const kStyleNames = { b: 'bold', bold: 'bold', i: 'italic', italic: 'italic', em: 'italic',
  u: 'underline', underlined: 'underline' };
const kMinimessageCodes = [
  { pattern: /\\([<\\])/y, text: (m) => m[1] },
  { pattern: /<#([0-9a-f]{6})>/iy, apply: (s, m) => ({ ...s, colour: m[1].toLowerCase() }) },
  { pattern: /<(\/?)(b|bold|i|italic|em|u|underlined)>/iy,
    apply: (s, m) => ({ ...s, [kStyleNames[m[2].toLowerCase()]]: !m[1] }) },
];
export const readMinimessage = (document) => decode(document, kMinimessageCodes);

// json: the game's text components as prismarine-chat reads them, from the document's bytes.
// The document must be UTF-8 and JSON (JSON.parse, strict); prismarine-chat makes the message
// tree (with a game version's registry from minecraft-data, which only translations and NBT
// chat use), which is walked as the game draws it: each component's text in its own colour
// and styles, or where it has none, those of the component around it.
const ChatMessage = prismarineChat('1.21.11');
// The game reads an array as its first element with the others appended to it, so that they
// take its styles; prismarine-chat would make every element a child of an empty component.
const toMessage = (json) => {
  if (!Array.isArray(json)) return new ChatMessage(json);
  if (json.length === 0) throw new Error('an empty array');
  const message = toMessage(json[0]);
  message.extra = [...(message.extra ?? []), ...json.slice(1).map(toMessage)];
  return message;
};
const kStyleKeys = { bold: 'bold', italic: 'italic', underlined: 'underline' };
export function readJson(bytes) {
  const events = [];
  let text;
  try {
    text = new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    events.push('is not UTF-8');
    text = new TextDecoder('utf-8').decode(bytes);
  }
  let message;
  try {
    message = toMessage(JSON.parse(text));
  } catch (error) {
    return { cells: [], events: [...events, `is no text component (${error.message})`] };
  }
  const cells = [];
  const walk = (node, around) => {
    const state = { ...around };
    // prismarine-chat makes a colour it does not know null, which leaves the colour around.
    if (typeof node.color === 'string') {
      state.colour = /^#[0-9a-f]{6}$/i.test(node.color) ? node.color.slice(1).toLowerCase()
        : node.color;
    }
    for (const [key, style] of Object.entries(kStyleKeys)) {
      if (node[key] !== undefined && node[key] !== null) state[style] = node[key] === true;
    }
    if (typeof node.text === 'string' || typeof node.text === 'number') {
      for (const c of String(node.text)) cells.push({ cp: c.codePointAt(0), ...state });
    } else if (['translate', 'selector', 'keybind', 'score'].some((k) => node[k] !== undefined)) {
      events.push('holds a component that is not text');
    }
    for (const child of node.extra ?? []) walk(child, state);
  };
  walk(message, { colour: null, ...kPlain });
  return { cells, events };
}
