// The interface of the vantrix package, on the conversion module (createVantrixModule, whose
// Module.vantrix is src/driver/web/module.js). The same text runs as the npm package's ES
// module and as the viewer page's classic script and worker (js/assemble.cmake wraps it both
// ways), so it uses nothing but the module and standard JavaScript.

const version = "@VANTRIX_VERSION@";
const statuses = ["converted", "cannotOpenInput", "invalidSave", "outOfMemory"];
const noBytes = () => new Uint8Array(0);

// One module instance serves every call; calls run one at a time, each whole. An instance
// that failed (a trap) may be broken, so the next call starts a new one.
let starting = null;
function instance() {
  if (starting === null) {
    try {
      starting = createVantrixModule().then((module) => module["vantrix"]);
    } catch (error) {
      starting = Promise.reject(error);
    }
  }
  return starting.catch((error) => {
    starting = null;
    throw new Error("vantrix: the WebAssembly module cannot start: " + describe(error), {cause: error});
  });
}

async function run(work) {
  const module = await instance();
  const mine = starting;
  try {
    return work(module);
  } catch (error) {
    if (starting === mine) starting = null;
    throw error;
  }
}

function describe(error) {
  return error && error.message ? error.message : String(error);
}

const encoder = new TextEncoder();
const strictUtf8 = new TextDecoder("utf-8", {fatal: true, ignoreBOM: true});
const utf8 = new TextDecoder("utf-8", {ignoreBOM: true});

// The text of UTF-8 bytes, or null when they are not UTF-8.
function textOfUtf8(bytes) {
  try {
    return strictUtf8.decode(bytes);
  } catch {
    return null;
  }
}

function checkBytes(value, call, name) {
  if (!(value instanceof Uint8Array)) {
    throw new TypeError(`${call}: ${name} must be a Uint8Array, not ${typeName(value)}`);
  }
}

function typeName(value) {
  if (value === null) return "null";
  if (typeof value !== "object") return typeof value;
  return value.constructor && value.constructor.name ? `a ${value.constructor.name}` : "an object";
}

// A name a folder can hold: not empty, not "." or "..", without "/" or a zero byte.
function isFolderEntry(bytes) {
  if (bytes.length === 0 || bytes.includes(0x2f) || bytes.includes(0)) return false;
  return !(bytes[0] === 0x2e && (bytes.length === 1 || (bytes.length === 2 && bytes[1] === 0x2e)));
}

// Bytes as a Map key.
function keyOf(bytes) {
  let key = "";
  for (let at = 0; at < bytes.length; at += 8192) {
    key += String.fromCharCode.apply(null, bytes.subarray(at, at + 8192));
  }
  return key;
}

// A game folder held in a Map of paths ("FaceSet/Hero.png") to bytes: its files and folders
// by their paths' bytes. Empty and "." names in a path are left out, as the lookup leaves them
// out of its own paths.
function mapFolder(map) {
  const files = new Map();
  const folders = new Map([["", []]]);
  const seen = new Set();
  for (const [path, bytes] of map) {
    if (typeof path !== "string") {
      throw new TypeError(`convertSave: gameFiles' keys must be strings (paths), not ${typeName(path)}`);
    }
    if (!(bytes instanceof Uint8Array)) {
      throw new TypeError(`convertSave: gameFiles' value for "${path}" must be a Uint8Array, not ${typeName(bytes)}`);
    }
    const names = path.split("/").filter((name) => name !== "" && name !== ".").map((name) => encoder.encode(name));
    if (names.length === 0) continue;
    let folder = "";
    for (const [i, name] of names.entries()) {
      const key = (folder === "" ? "" : folder + "/") + keyOf(name);
      if (!seen.has(key)) {
        seen.add(key);
        folders.get(folder).push(name);
      }
      if (i === names.length - 1) {
        files.set(key, bytes);
      } else if (!folders.has(key)) {
        folders.set(key, []);
      }
      folder = key;
    }
  }
  return {
    isFile: (path) => files.has(keyOf(path)),
    list: (path) => folders.get(keyOf(path)) ?? null,
    read: (path) => files.get(keyOf(path)) ?? null,
  };
}

// A FaceSetSource's answers on bytes. An answer that throws counts as "none"; a Promise or an
// answer of the wrong type is the caller's mistake, kept in `fault` to reject the call with.
function sourceFolder(source) {
  const names = source.names ?? "text";
  if (names !== "text" && names !== "bytes") {
    throw new TypeError(`convertSave: gameFiles.names must be "text" or "bytes", not ${JSON.stringify(String(names))}`);
  }
  const byBytes = names === "bytes";
  const folder = {fault: null};
  const mistake = (text) => {
    folder.fault ??= new TypeError("convertSave: " + text);
  };
  // Asks the source about a path; text sources hold no path that is not UTF-8.
  const ask = (method, path) => {
    const asked = byBytes ? path : textOfUtf8(path);
    if (asked === null) return undefined;
    let answer;
    try {
      answer = source[method](asked);
    } catch {
      return undefined;
    }
    if (answer !== null && typeof answer === "object" && typeof answer.then === "function") {
      mistake(`gameFiles.${method} returned a Promise: a FaceSetSource answers synchronously`);
      return undefined;
    }
    return answer;
  };
  const nameBytes = (name) => {
    if (typeof name === "string") return encoder.encode(name);
    if (byBytes && name instanceof Uint8Array) return name;
    mistake(`gameFiles.listFolder must give ${byBytes ? "strings or Uint8Arrays" : "strings"}, not ${typeName(name)}`);
    return null;
  };
  folder.isFile = (path) => Boolean(ask("isFile", path));
  folder.list = (path) => {
    const answer = ask("listFolder", path);
    if (answer === undefined || answer === null) return null;
    if (!Array.isArray(answer)) {
      mistake(`gameFiles.listFolder must return an array, null or undefined, not ${typeName(answer)}`);
      return null;
    }
    return answer.map(nameBytes).filter((name) => name !== null && isFolderEntry(name));
  };
  folder.read = (path) => {
    const answer = ask("readFile", path);
    if (answer === undefined || answer === null) return null;
    if (answer instanceof Uint8Array) return answer;
    if (answer instanceof ArrayBuffer) return new Uint8Array(answer);
    mistake(`gameFiles.readFile must return a Uint8Array, an ArrayBuffer, null or undefined, not ${typeName(answer)}`);
    return null;
  };
  return folder;
}

function gameFolder(gameFiles) {
  if (gameFiles === undefined || gameFiles === null) {
    return {isFile: () => false, list: () => null, read: () => null};
  }
  if (gameFiles instanceof Map) return mapFolder(gameFiles);
  if (typeof gameFiles === "object" && ["listFolder", "isFile", "readFile"].every((m) => typeof gameFiles[m] === "function")) {
    return sourceFolder(gameFiles);
  }
  throw new TypeError(`convertSave: gameFiles must be a Map of paths to Uint8Array, a FaceSetSource (listFolder, isFile, readFile) or undefined, not ${typeName(gameFiles)}`);
}

async function convertSave(save, fileName, gameFiles) {
  checkBytes(save, "convertSave", "save");
  if (typeof fileName !== "string") {
    throw new TypeError(`convertSave: fileName must be a string, not ${typeName(fileName)}`);
  }
  const folder = gameFolder(gameFiles);
  // The caller may reuse its array while the module starts.
  const saveBytes = save.slice();
  const name = encoder.encode(fileName);
  const result = await run((module) => module.convert(saveBytes, name, folder));
  if (folder.fault) throw folder.fault;
  return {
    status: statuses[result.status] ?? "outOfMemory",
    document: result.document,
    faceSetCodePage: result.codePage === 0 ? null : result.codePage,
  };
}

// The Windows number of a code page given as a number or a name ("932", "Shift_JIS"), or
// undefined when none is given.
function codePageNumber(module, codePage, call) {
  if (codePage === undefined || codePage === null) return undefined;
  if (typeof codePage !== "number" && typeof codePage !== "string") {
    throw new TypeError(`${call}: codePage must be a number or a string, not ${typeName(codePage)}`);
  }
  const number = Number.isInteger(codePage) || typeof codePage === "string"
    ? module.parseCodePage(encoder.encode(String(codePage))) : 0;
  if (number === 0) throw new RangeError(`${call}: ${JSON.stringify(codePage)} is no code page vantrix reads`);
  return number;
}

// How much names' two-byte characters look like text of a double-byte page: common
// characters count; less common ones, the pages' extensions and half-width katakana do not (a
// Western "é" and the letter after it are such a character of each page); user-defined ones
// count against. (The viewer guesses a document's page the same way.)
function doubleByteScore(bytes, page) {
  let score = 0;
  for (let at = 0; at < bytes.length; at++) {
    const lead = bytes[at];
    if (lead < 0x80) continue;
    if (page === 932) {
      if (lead >= 0xa1 && lead <= 0xdf) { score -= 1; continue; }  // half-width katakana
      at++;
      if (lead >= 0xf0) score -= 3;                                  // user-defined
      else if (lead === 0x82 || lead === 0x83) score += 3;           // kana
      else if (lead >= 0x88 && lead <= 0x98) score += 2;             // common kanji
      continue;
    }
    const trail = bytes[++at];
    if (page === 936) {
      if (lead >= 0xb0 && lead <= 0xd7 && trail >= 0xa1) score += 2;       // common GB2312 hanzi
      else if (lead >= 0xa1 && lead <= 0xa7 && trail < 0xa1) score -= 3;   // user-defined
    } else if (page === 949) {
      if (lead >= 0xb0 && lead <= 0xc8 && trail >= 0xa1) score += 2;       // common hangul
      else if (lead >= 0xca && lead <= 0xfd && trail >= 0xa1) score += 1;  // hanja
    } else if (page === 950) {
      if (lead >= 0xa4 && lead <= 0xc6) score += 2;                        // common hanzi
    }
  }
  return score;
}

// The page a save's names are read in when none is given: UTF-8 when it reads them all; else
// of the double-byte pages that read them all, the one they look most like text of (bytes of
// one such page are often text of another too: a Korean name reads as Shift-JIS); else the
// first single-byte page that reads them all. Null when no page does.
function guessCodePage(module, names) {
  const pages = module.trialOrder();
  const reads = (page) => names.every((name) => module.textToUtf8(name, page) !== null);
  const doubleByte = [932, 936, 949, 950];
  if (reads(65001)) return 65001;
  let best = null;
  let bestScore = 0;
  for (const page of pages.filter((p) => doubleByte.includes(p) && reads(p))) {
    const score = names.reduce((sum, name) => sum + doubleByteScore(name, page), 0);
    if (score > bestScore) [best, bestScore] = [page, score];
  }
  return best ?? pages.find((p) => p !== 65001 && !doubleByte.includes(p) && reads(p)) ?? null;
}

function readText(module, bytes, codePage) {
  const text = module.textToUtf8(bytes, codePage);
  return text === null ? null : utf8.decode(text);
}

async function readSavePreview(save, options) {
  checkBytes(save, "readSavePreview", "save");
  if (options !== undefined && options !== null && typeof options !== "object") {
    throw new TypeError(`readSavePreview: options must be an object, not ${typeName(options)}`);
  }
  const saveBytes = save.slice();
  return run((module) => {
    const wanted = codePageNumber(module, options?.codePage, "readSavePreview");
    const values = module.readPreview(saveBytes);
    if (values === null) return null;
    const names = values.texts.slice(0, 5);
    const pages = wanted !== undefined ? [wanted] : module.trialOrder();
    const page = wanted ?? guessCodePage(module, names);
    const named = (bytes) => {
      let text = null;
      if (page !== null) {
        text = readText(module, bytes, page);
      } else {
        // No page reads them all: each name in the first page that reads it.
        for (const p of pages) if ((text = readText(module, bytes, p)) !== null) break;
      }
      return {bytes, text};
    };
    const [level, hp, frameCount, money, ...indices] = values.numbers;
    return {
      timestamp: values.timestamp,
      timestampText: utf8.decode(values.texts[5]),
      heroName: named(names[0]),
      heroLevel: level,
      heroHp: hp,
      faces: indices.map((index, i) => ({name: named(names[i + 1]), index})),
      frameCount,
      playingTimeText: utf8.decode(values.texts[6]),
      money,
      codePage: page,
    };
  });
}

async function textToUtf8(bytes, codePage) {
  checkBytes(bytes, "textToUtf8", "bytes");
  if (codePage === undefined || codePage === null) {
    throw new TypeError("textToUtf8: codePage must be a number or a string");
  }
  const copy = bytes.slice();
  return run((module) => readText(module, copy, codePageNumber(module, codePage, "textToUtf8")));
}
