// The npm package as built in build/wasm/npm (VANTRIX_PACKAGE names another folder): the
// example games' documents, byte for byte the reviewed ones and the vantrix executable's
// (VANTRIX_EXE, default build/release/vantrix) for the same save beside the same files; the
// preview values; and what bad input gives.
//
//   node --test js/test/

import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import test from "node:test";
import { fileURLToPath, pathToFileURL } from "node:url";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..", "..");
const packageDir = path.resolve(process.env.VANTRIX_PACKAGE || path.join(root, "build", "wasm", "npm"));
const vantrixExe = path.resolve(process.env.VANTRIX_EXE || path.join(root, "build", "release", "vantrix"));
const { convertSave, readSavePreview, textToUtf8, version } = await import(pathToFileURL(path.join(packageDir, "vantrix.js")).href);
const { convertSaveFile } = await import(pathToFileURL(path.join(packageDir, "node.js")).href);

const games = {
  game: { folder: path.join(root, "examples", "game"), expected: path.join(root, "examples", "expected", "Save01.xml") },
  unpacked: { folder: path.join(root, "examples", "unpacked-game"), expected: path.join(root, "examples", "expected", "unpacked-game.xml") },
};
const read = (file) => new Uint8Array(fs.readFileSync(file));
const saveOf = (game) => read(path.join(games[game].folder, "Save01.lsd"));
const expectedOf = (game) => fs.readFileSync(games[game].expected);

// A game folder's files as a Map of paths relative to it.
function filesOf(folder, prefix = "") {
  const files = new Map();
  for (const entry of fs.readdirSync(folder, { withFileTypes: true })) {
    const full = path.join(folder, entry.name);
    if (entry.isDirectory()) for (const [key, bytes] of filesOf(full, `${prefix}${entry.name}/`)) files.set(key, bytes);
    else files.set(prefix + entry.name, read(full));
  }
  return files;
}

// The same files answered by a FaceSetSource.
function sourceOf(files) {
  const folders = new Map();
  for (const key of files.keys()) {
    const names = key.split("/");
    for (let i = 0; i < names.length; i++) {
      const folder = names.slice(0, i).join("/");
      if (!folders.has(folder)) folders.set(folder, new Set());
      folders.get(folder).add(names[i]);
    }
  }
  return {
    listFolder: (folder) => (folders.has(folder) ? [...folders.get(folder)] : null),
    isFile: (file) => files.has(file),
    readFile: (file) => files.get(file) ?? null,
  };
}

function tempFolder(t) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "vantrix-js-"));
  t.after(() => fs.rmSync(folder, { recursive: true, force: true }));
  return folder;
}

// The executable's document for `name` run in `cwd` (null when it writes none).
function executableDocument(cwd, name, t) {
  const out = path.join(tempFolder(t), "out.xml");
  try {
    execFileSync(vantrixExe, [name, out], { cwd, stdio: "pipe" });
  } catch {
    return null;
  }
  return fs.readFileSync(out);
}

test("the example games' documents are the reviewed ones", async () => {
  for (const game of Object.keys(games)) {
    const files = filesOf(games[game].folder);
    for (const [way, gameFiles] of [["a Map", files], ["a FaceSetSource", sourceOf(files)]]) {
      const conversion = await convertSave(saveOf(game), "Save01.lsd", gameFiles);
      assert.equal(conversion.status, "converted", `${game}, ${way}`);
      assert.ok(Buffer.from(conversion.document).equals(expectedOf(game)), `${game} from ${way}: document`);
      assert.equal(conversion.faceSetCodePage, game === "unpacked" ? 932 : null, `${game}, ${way}: code page`);
    }
  }
});

// convertSaveFile against the executable, run with the same name in the same folder.
test("convertSaveFile gives the executable's document", async (t) => {
  const tree = tempFolder(t);
  fs.cpSync(games.game.folder, path.join(tree, "game"), { recursive: true });
  fs.cpSync(games.unpacked.folder, path.join(tree, "unpacked"), { recursive: true });
  // Windows letter case, and a face set whose file name keeps its Shift-JIS bytes ("ソ表").
  fs.cpSync(games.game.folder, path.join(tree, "cased"), { recursive: true });
  fs.renameSync(path.join(tree, "cased", "FaceSet"), path.join(tree, "cased", "faceset"));
  fs.renameSync(path.join(tree, "cased", "faceset", "Hero.bmp"), path.join(tree, "cased", "faceset", "HERO.BMP"));
  fs.cpSync(games.unpacked.folder, path.join(tree, "raw"), { recursive: true });
  const rawFaces = Buffer.from(path.join(tree, "raw", "FaceSet/"));
  const utf8Name = fs.readdirSync(path.join(tree, "raw", "FaceSet")).find((name) => name.startsWith("ソ表"));
  assert.ok(utf8Name, "the unpacked game has a face set named ソ表");
  fs.renameSync(Buffer.concat([rawFaces, Buffer.from(utf8Name)]),
                Buffer.concat([rawFaces, Buffer.from([0x83, 0x5c, 0x95, 0x5c]), Buffer.from(path.extname(utf8Name))]));
  const cases = [
    [tree, "game/Save01.lsd"],
    [path.join(tree, "game"), "Save01.lsd"],
    [path.join(tree, "game"), "./Save01.lsd"],
    [path.join(tree, "unpacked"), "../game/Save01.lsd"],
    [root, path.join(tree, "unpacked", "Save01.lsd")],
    [root, path.join(tree, "game") + "//Save01.lsd"],
    [tree, "cased/Save01.lsd"],
    [tree, "raw/Save01.lsd"],
    [tree, "missing/Save01.lsd"],
    [tree, "game"],
  ];
  const before = process.cwd();
  t.after(() => process.chdir(before));
  for (const [cwd, name] of cases) {
    const expected = executableDocument(cwd, name, t);
    process.chdir(cwd);
    const conversion = await convertSaveFile(name);
    process.chdir(before);
    assert.equal(conversion.status, expected ? "converted" : "cannotOpenInput", name);
    assert.ok(Buffer.from(conversion.document).equals(expected ?? Buffer.alloc(0)), `${name} in ${cwd}: document`);
  }
  // The renamed face sets are found, so the documents above compared pictures too.
  assert.match(executableDocument(tree, "raw/Save01.lsd", t).toString("latin1"), /<bitmap>/);
  assert.equal((executableDocument(tree, "cased/Save01.lsd", t).toString("latin1").match(/<bitmap>/g) ?? []).length, 3);
});

test("readSavePreview gives the values behind the document", async () => {
  const face = (bytes, text, index) => ({ name: { bytes: new Uint8Array(bytes), text }, index });
  const ascii = (text) => [...Buffer.from(text)];
  // The example save with its hero's four bytes ("Alex") replaced.
  const heroNamed = (bytes) => { const save = saveOf("game"); save.set(bytes, Buffer.from(save).indexOf("Alex")); return save; };
  const cases = [
    ["the example game", saveOf("game"), undefined, {
      heroName: { bytes: new Uint8Array(ascii("Alex")), text: "Alex" },
      faces: [face(ascii("Hero"), "Hero", 0), face(ascii("Friends"), "Friends", 5),
              face(ascii("Spirits"), "Spirits", 10), face(ascii("Monster1"), "Monster1", 3)],
      codePage: 65001 }],
    ["the unpacked game in the page its conversion found", saveOf("unpacked"), 932, {
      heroName: { bytes: new Uint8Array([0x83, 0x41, 0x83, 0x8c, 0x83, 0x62, 0x83, 0x4e, 0x83, 0x58]), text: "アレックス" },
      codePage: 932 }],
    ["the unpacked game named by a page's name", saveOf("unpacked"), "Shift_JIS", { codePage: 932 }],
    // No page is given: the page the names look most like text of.
    ["the unpacked game", saveOf("unpacked"), undefined, { codePage: 932 }],
    ["a Japanese hero", heroNamed([0x83, 0x41, 0x83, 0x8c]), undefined, { heroName: { bytes: new Uint8Array([0x83, 0x41, 0x83, 0x8c]), text: "アレ" }, codePage: 932 }],
    ["a Simplified Chinese hero", heroNamed([0xd6, 0xf7, 0xbd, 0xc7]), undefined, { heroName: { bytes: new Uint8Array([0xd6, 0xf7, 0xbd, 0xc7]), text: "主角" }, codePage: 936 }],
    // Hangul's bytes are as often GBK's common hanzi: a Korean game's page must be given.
    ["a Korean hero", heroNamed([0xbe, 0xf3, 0xb1, 0xbc]), 949, { heroName: { bytes: new Uint8Array([0xbe, 0xf3, 0xb1, 0xbc]), text: "얼굴" }, codePage: 949 }],
    ["a Traditional Chinese hero", heroNamed([0xa5, 0x44, 0xa8, 0xa4]), undefined, { heroName: { bytes: new Uint8Array([0xa5, 0x44, 0xa8, 0xa4]), text: "主角" }, codePage: 950 }],
    ["a Western hero", heroNamed([0x4a, 0xfc, 0x72, 0x67]), undefined, { heroName: { bytes: new Uint8Array([0x4a, 0xfc, 0x72, 0x67]), text: "Jürg" }, codePage: 1252 }],
    ["the unpacked game in UTF-8, which does not read its names", saveOf("unpacked"), 65001, {
      heroName: { bytes: new Uint8Array([0x83, 0x41, 0x83, 0x8c, 0x83, 0x62, 0x83, 0x4e, 0x83, 0x58]), text: null },
      codePage: 65001 }],
  ];
  for (const [what, save, codePage, expected] of cases) {
    const preview = await readSavePreview(save, { codePage });
    assert.equal(preview.timestampText, "2026-12-07-20:15:42", what);
    assert.equal(Math.round((preview.timestamp % 1) * 86400), 20 * 3600 + 15 * 60 + 42, what);
    assert.deepEqual([preview.heroLevel, preview.heroHp, preview.frameCount, preview.playingTimeText, preview.money],
                     [12, 345, 1234567, "005:42:56", 4321], what);
    for (const [field, value] of Object.entries(expected)) assert.deepEqual(preview[field], value, `${what}: ${field}`);
  }
  assert.equal(await readSavePreview(read(games.game.expected)), null, "a document is no save");
  assert.equal(await textToUtf8(new Uint8Array([0xa5, 0x44, 0xa8, 0xa4]), 950), "主角");
  assert.equal(await textToUtf8(new Uint8Array([0xff]), "UTF-8"), null);
});

test("bad input: a clear status or a TypeError naming the argument", async () => {
  const save = saveOf("game");
  const files = filesOf(games.game.folder);
  const faceless = Buffer.from((await convertSave(save, "Save01.lsd")).document);
  const throwing = { listFolder() { throw new Error("no"); }, isFile() { throw new Error("no"); }, readFile() { throw new Error("no"); } };
  const source = sourceOf(files);
  const answering = (method, answer) => ({ ...source, [method]: () => answer });
  const withFile = (name, bytes) => new Map([...files, [name, bytes]]);
  // The example's BMP face set with bytes after its pixels, which a BMP may hold.
  const hero = files.get("FaceSet/Hero.bmp");
  const padded = (size) => { const bytes = new Uint8Array(size); bytes.set(hero); return bytes; };
  const heroOnly = Buffer.from((await convertSave(save, "Save01.lsd", new Map([["FaceSet/Hero.bmp", hero]]))).document);
  assert.match(heroOnly.toString("latin1"), /<bitmap>/);
  const cases = [
    // [what, call, expected: a status with its document, or an error]
    ["save is a string", () => convertSave("Save01", "Save01.lsd", files), { error: TypeError, match: /convertSave: save must be a Uint8Array/ }],
    ["save is an ArrayBuffer", () => convertSave(save.buffer, "Save01.lsd", files), { error: TypeError, match: /save must be a Uint8Array/ }],
    ["save is missing", () => convertSave(), { error: TypeError, match: /save must be a Uint8Array, not undefined/ }],
    ["fileName is missing", () => convertSave(save), { error: TypeError, match: /fileName must be a string/ }],
    ["gameFiles is a number", () => convertSave(save, "Save01.lsd", 42), { error: TypeError, match: /gameFiles must be a Map/ }],
    ["gameFiles is an object of files", () => convertSave(save, "Save01.lsd", { "FaceSet/Hero.bmp": save }), { error: TypeError, match: /gameFiles must be/ }],
    ["a Map value is no Uint8Array", () => convertSave(save, "Save01.lsd", withFile("FaceSet/x.png", "x")), { error: TypeError, match: /gameFiles' value for "FaceSet\/x.png"/ }],
    ["a Map key is no string", () => convertSave(save, "Save01.lsd", new Map([[1, save]])), { error: TypeError, match: /gameFiles' keys must be strings/ }],
    ["gameFiles.names is unknown", () => convertSave(save, "Save01.lsd", { ...source, names: "latin1" }), { error: TypeError, match: /gameFiles.names/ }],
    ["readFile answers with a Promise", () => convertSave(save, "Save01.lsd", answering("readFile", Promise.resolve(save))), { error: TypeError, match: /synchronously/ }],
    ["listFolder answers with a string", () => convertSave(save, "Save01.lsd", answering("listFolder", "FaceSet")), { error: TypeError, match: /listFolder must return an array/ }],
    ["readFile answers with a string", () => convertSave(save, "Save01.lsd", answering("readFile", "BM")), { error: TypeError, match: /readFile must return a Uint8Array/ }],
    ["an empty save", () => convertSave(new Uint8Array(0), "Save01.lsd", files), { status: "invalidSave", document: Buffer.alloc(0) }],
    ["a document for a save", () => convertSave(read(games.game.expected), "Save01.lsd", files), { status: "invalidSave", document: Buffer.alloc(0) }],
    ["no game files", () => convertSave(save, "Save01.lsd", null), { status: "converted", document: faceless }],
    ["every answer throws", () => convertSave(save, "Save01.lsd", throwing), { status: "converted", document: faceless }],
    ["every read throws", () => convertSave(save, "Save01.lsd", { ...source, readFile() { throw new Error("no"); } }), { status: "converted", document: faceless }],
    ["an ArrayBuffer answer", () => convertSave(save, "Save01.lsd", { ...source, readFile: (file) => files.get(file)?.slice().buffer }), { status: "converted", document: expectedOf("game") }],
    ["a face set of 16 MiB", () => convertSave(save, "Save01.lsd", new Map([["FaceSet/Hero.bmp", padded(16 << 20)]])), { status: "converted", document: heroOnly }],
    ["a face set of 16 MiB and a byte", () => convertSave(save, "Save01.lsd", new Map([["FaceSet/Hero.bmp", padded((16 << 20) + 1)]])), { status: "converted", document: faceless }],
    ["the save read from a folder", () => convertSaveFile(games.game.folder), { status: "cannotOpenInput", document: Buffer.alloc(0) }],
    ["the save read from a device", () => convertSaveFile("/dev/null"), { status: "invalidSave", document: Buffer.alloc(0) }],
    ["the save's name is no string", () => convertSaveFile(Buffer.from("Save01.lsd")), { error: TypeError, match: /convertSaveFile: fileName must be a string/ }],
    ["the save read as a preview is no string of bytes", () => readSavePreview([1, 2]), { error: TypeError, match: /readSavePreview: save must be a Uint8Array/ }],
    ["a code page vantrix does not read", () => readSavePreview(save, { codePage: "EBCDIC" }), { error: RangeError, match: /"EBCDIC" is no code page/ }],
    ["an empty save's preview", () => readSavePreview(new Uint8Array(0)), { value: null }],
    ["text without a code page", () => textToUtf8(save), { error: TypeError, match: /textToUtf8: codePage/ }],
  ];
  for (const [what, call, expected] of cases) {
    if (expected.error) {
      await assert.rejects(call, (error) => error instanceof expected.error && expected.match.test(error.message), what);
    } else if ("value" in expected) {
      assert.equal(await call(), expected.value, what);
    } else {
      const conversion = await call();
      assert.equal(conversion.status, expected.status, what);
      assert.ok(Buffer.from(conversion.document).equals(expected.document), `${what}: document`);
      assert.equal(conversion.faceSetCodePage, null, `${what}: code page`);
    }
  }
});

test("a pipe for a save reads as empty, and the conversion does not wait for its writer", async (t) => {
  const fifo = path.join(tempFolder(t), "Save01.lsd");
  execFileSync("mkfifo", [fifo]);
  const conversion = await convertSaveFile(fifo);
  assert.equal(conversion.status, "invalidSave");
});

test("conversions at once, and one started from a source's answer", async () => {
  const files = filesOf(games.game.folder);
  let inner = null;
  const source = { ...sourceOf(files), isFile: (file) => { inner ??= convertSave(saveOf("game"), "Save01.lsd", files); return files.has(file); } };
  const all = await Promise.all([...Array(8)].map((_, i) => convertSave(saveOf("game"), "Save01.lsd", i === 0 ? source : files)));
  for (const conversion of [...all, await inner]) assert.ok(Buffer.from(conversion.document).equals(expectedOf("game")));
});

test("the version is the project's", () => {
  const project = /project\(vantrix VERSION ([0-9.]+)/.exec(fs.readFileSync(path.join(root, "CMakeLists.txt"), "utf8"));
  assert.equal(version, project[1]);
  assert.equal(JSON.parse(fs.readFileSync(path.join(packageDir, "package.json"), "utf8")).version, project[1]);
});
