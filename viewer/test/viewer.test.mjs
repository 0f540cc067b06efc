// Drives viewer/index.html in headless Chromium: opens the example game's preview document
// through the file chooser and by drag and drop, checks the text of its save slot, compares
// every pixel of each face, as the page holds it and as the screen shows it at 1× and 2×,
// with the BMP in the document decoded here, checks the messages for files that are no
// preview documents, and that hostile text stays text. Then opens game folders (chosen, and
// dropped, and on a page that can start no worker): every slot and every face must be what
// the vantrix executable's documents for the same folder show, and a slot's downloaded
// document must be the executable's. Saves a screenshot of a game folder.
//
//   node viewer.test.mjs [screenshot.png]
// VANTRIX_CHROMIUM names the browser (default /usr/bin/chromium), VANTRIX_EXE the vantrix
// executable (default build/release/vantrix), VANTRIX_TEST_NAME the name of the closing count.

import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";
import { launchBrowser } from "./browser.mjs";

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, "..", "..");
const pagePath = path.join(root, "viewer", "index.html");
const documentPath = path.join(root, "examples", "expected", "Save01.xml");
const savePath = path.join(root, "examples", "game", "Save01.lsd");
const screenshotPath = path.resolve(process.argv[2] ?? path.join(root, "build", "viewer-screenshot.png"));
const vantrixExe = path.resolve(process.env.VANTRIX_EXE || path.join(root, "build", "release", "vantrix"));

// Game folders the page opens; each save's document comes from the executable, run in the
// folder as "vantrix Save01.lsd". A game whose names are in another code page joins here.
const gameFolders = [
  { name: "the example game", folder: path.join(root, "examples", "game"),
    expected: { "Save01.lsd": path.join(root, "examples", "expected", "Save01.xml") } },
  // Names in Shift-JIS, GBK, UHC and Windows-1251, file names in UTF-8.
  { name: "the unpacked game", folder: path.join(root, "examples", "unpacked-game"),
    expected: { "Save01.lsd": path.join(root, "examples", "expected", "unpacked-game.xml") } },
];

let passed = 0;
let failed = 0;
function check(name, ok, detail = "") {
  if (ok) {
    passed++;
  } else {
    failed++;
    console.log(`FAILED: ${name}${detail ? ": " + detail : ""}`);
  }
}
function checkEqual(name, expected, actual) {
  const same = JSON.stringify(expected) === JSON.stringify(actual);
  check(name, same, `expected ${JSON.stringify(expected)}, got ${JSON.stringify(actual)}`);
}

// A BMP file's pixels as [r, g, b], rows top first: 8-bit with a palette or 24-bit, stored
// bottom row first unless the height is negative.
function readBmp(bytes) {
  if (bytes.toString("latin1", 0, 2) !== "BM") throw new Error("no BMP signature");
  const pixelOffset = bytes.readUInt32LE(10);
  const headerSize = bytes.readUInt32LE(14);
  const width = bytes.readInt32LE(18);
  const storedHeight = bytes.readInt32LE(22);
  const bitsPerPixel = bytes.readUInt16LE(28);
  const compression = bytes.readUInt32LE(30);
  if (compression !== 0) throw new Error("compressed BMP");
  if (bitsPerPixel !== 8 && bitsPerPixel !== 24) throw new Error(`${bitsPerPixel}-bit BMP`);
  const height = Math.abs(storedHeight);
  const stride = Math.ceil((width * bitsPerPixel) / 32) * 4;
  const paletteOffset = 14 + headerSize;
  const pixels = [];
  for (let y = 0; y < height; y++) {
    const row = pixelOffset + stride * (storedHeight > 0 ? height - 1 - y : y);
    const line = [];
    for (let x = 0; x < width; x++) {
      if (bitsPerPixel === 8) {
        const entry = paletteOffset + 4 * bytes[row + x];
        line.push([bytes[entry + 2], bytes[entry + 1], bytes[entry]]);
      } else {
        const at = row + 3 * x;
        line.push([bytes[at + 2], bytes[at + 1], bytes[at]]);
      }
    }
    pixels.push(line);
  }
  return { width, height, bitsPerPixel, pixels };
}

// The faces of the example document, in order, with their BMPs decoded.
const documentBytes = fs.readFileSync(documentPath);
const documentText = documentBytes.toString("latin1");
const faces = [...documentText.matchAll(/<face>([\s\S]*?)<\/face>/g)].map((match) => {
  const bitmap = /<bitmap>\s*([A-Za-z0-9+/=]+)\s*<\/bitmap>/.exec(match[1]);
  return {
    title: `${/<filename>(.*?)<\/filename>/.exec(match[1])[1]}, face ${/<id>(.*?)<\/id>/.exec(match[1])[1]}`,
    bmp: bitmap ? readBmp(Buffer.from(bitmap[1], "base64")) : null,
  };
});
const pictures = faces.filter((face) => face.bmp);
checkEqual("faces in the example document", [4, [8, 24, 8]], [faces.length, pictures.map((f) => f.bmp.bitsPerPixel)]);

// Page side: the RGBA pixels of a PNG (a screenshot) or of a shown face picture.
async function pngPixels(page, png) {
  return page.evaluate(async (base64) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: "image/png" }),
                                           { colorSpaceConversion: "none" });
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext("2d");
    context.drawImage(bitmap, 0, 0);
    return { width: bitmap.width, height: bitmap.height,
             data: Array.from(context.getImageData(0, 0, bitmap.width, bitmap.height).data) };
  }, png.toString("base64"));
}

// Compares RGBA pixels of a width × height picture with a BMP enlarged `scale` times.
function pixelMismatches(image, bmp, scale) {
  if (image.width !== bmp.width * scale || image.height !== bmp.height * scale) {
    return [`size ${image.width} × ${image.height}`];
  }
  const wrong = [];
  for (let y = 0; y < image.height; y++) {
    for (let x = 0; x < image.width; x++) {
      const at = 4 * (y * image.width + x);
      const want = [...bmp.pixels[Math.floor(y / scale)][Math.floor(x / scale)], 255];
      const got = image.data.slice(at, at + 4);
      if (want.some((value, i) => value !== got[i])) wrong.push(`(${x}, ${y}) ${got} not ${want}`);
    }
  }
  return wrong;
}

function sampleText(bmp) {
  return [[0, 0], [47, 0], [24, 24], [0, 47], [47, 47]]
    .map(([x, y]) => `(${x},${y})=#${bmp.pixels[y][x].map((v) => v.toString(16).padStart(2, "0")).join("")}`)
    .join(" ");
}

async function slotTexts(page) {
  return page.$$eval(".slot", (slots) => slots.map((slot) => {
    const text = (selector) => slot.querySelector(selector)?.textContent ?? null;
    return {
      slot: slot.querySelector(".slot-number")?.firstChild?.textContent ?? null,
      file: text(".file-name"),
      hero: text(".hero"),
      name: text(".hero .name"),
      level: text(".hero .level .value"),
      hp: text(".hero .hp .value"),
      saved: text(".saved .value"),
      played: text(".played .value"),
      money: text(".money .value"),
      faces: Array.from(slot.querySelectorAll(".faces > *"), (face) => face.title),
      missing: Array.from(slot.querySelectorAll(".no-face .why"), (face) => face.textContent),
      error: slot.classList.contains("bad") ? slot.textContent : null,
    };
  }));
}

const exampleSlot = {
  slot: "Slot 1", file: "Save01.xml", hero: "AlexLv12HP345", name: "Alex", level: "12",
  hp: "345", saved: "2026-12-07 20:15:42", played: "005:42:56", money: "4321",
  faces: ["Hero, face 1", "Friends, face 6", "Spirits, face 11", "Monster1, face 4: no picture"],
  missing: ["no picture"], error: null,
};

// Drops files on the page as a user's drag and drop does.
async function dropFiles(page, files) {
  const transfer = await page.evaluateHandle((list) => {
    const data = new DataTransfer();
    for (const { name, base64 } of list) {
      data.items.add(new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], name,
                              { type: "text/xml" }));
    }
    return data;
  }, files.map(({ name, bytes }) => ({ name, base64: Buffer.from(bytes).toString("base64") })));
  await page.dispatchEvent("main", "dragenter", { dataTransfer: transfer });
  await page.dispatchEvent("main", "dragover", { dataTransfer: transfer });
  await page.dispatchEvent("main", "drop", { dataTransfer: transfer });
}

// Every file under a folder, with its path from the folder's parent ("game/FaceSet/Hero.bmp").
function filesUnder(folder) {
  const files = [];
  const walk = (dir, relative) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true }).sort((a, b) => a.name < b.name ? -1 : 1)) {
      const full = path.join(dir, entry.name);
      if (entry.isDirectory()) walk(full, `${relative}/${entry.name}`);
      else files.push({ path: `${relative}/${entry.name}`, bytes: fs.readFileSync(full) });
    }
  };
  walk(folder, path.basename(folder));
  return files;
}

// Drops a folder on the page. No script can put a folder in a DataTransfer, so the drop
// carries entries of the shape webkitGetAsEntry gives, made here from the folder's files; a
// folder's reader hands them out two at a time, as Chromium's does in batches.
async function dropFolder(page, folder) {
  const files = filesUnder(folder).map(({ path: file, bytes }) => ({ file, base64: bytes.toString("base64") }));
  await page.evaluate((list) => {
    const top = new Map();
    for (const { file, base64 } of list) {
      const names = file.split("/");
      let node = top;
      for (const name of names.slice(0, -1)) {
        if (!node.has(name)) node.set(name, new Map());
        node = node.get(name);
      }
      const name = names[names.length - 1];
      node.set(name, new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], name));
    }
    const entryOf = (name, node, fullPath) => node instanceof Map
      ? { isFile: false, isDirectory: true, name, fullPath, createReader: () => {
          const children = [...node];
          return { readEntries: (ok) => setTimeout(() => ok(children.splice(0, 2).map(
            ([child, value]) => entryOf(child, value, `${fullPath}/${child}`)))) };
        } }
      : { isFile: true, isDirectory: false, name, fullPath, file: (ok) => setTimeout(() => ok(node)) };
    const items = [...top].map(([name, node]) => {
      const entry = entryOf(name, node, `/${name}`);
      return { kind: "file", webkitGetAsEntry: () => entry };
    });
    const drop = new Event("drop", { bubbles: true, cancelable: true });
    Object.defineProperty(drop, "dataTransfer", { value: { items, files: [] } });
    document.querySelector("main").dispatchEvent(drop);
  }, files);
}

// The executable's document for each save of a game folder, run in a copy of the folder.
function executableDocuments(folder) {
  const copy = fs.mkdtempSync(path.join(os.tmpdir(), "vantrix-game-"));
  fs.cpSync(folder, copy, { recursive: true });
  const documents = {};
  for (const save of fs.readdirSync(copy).filter((name) => /\.lsd$/i.test(name)).sort()) {
    execFileSync(vantrixExe, [save, "out.xml"], { cwd: copy });
    documents[save] = fs.readFileSync(path.join(copy, "out.xml"));
  }
  fs.rmSync(copy, { recursive: true, force: true });
  return documents;
}

// The pixels of each face picture as the page decoded it.
async function facePixels(page) {
  return page.$$eval(".slot img.face", (images) => images.map((image) => {
    const canvas = document.createElement("canvas");
    canvas.width = image.naturalWidth;
    canvas.height = image.naturalHeight;
    const context = canvas.getContext("2d");
    context.drawImage(image, 0, 0);
    return { width: canvas.width, height: canvas.height,
             data: Array.from(context.getImageData(0, 0, canvas.width, canvas.height).data) };
  }));
}

// Opens a game folder on a page, after a file that leaves one error slot, and waits for its
// `count` slots: slots still shown from before are never taken for the folder's.
async function openFolder(page, open, count) {
  await page.bringToFront();
  await page.setInputFiles("#files", { name: "empty.xml", mimeType: "text/xml", buffer: Buffer.alloc(0) });
  await page.waitForFunction(() => document.querySelectorAll(".slot").length === 1 &&
                                   document.querySelector(".slot.bad") !== null);
  await open();
  await page.waitForFunction((n) => document.querySelectorAll(".slot:not(.bad)").length === n &&
    Array.from(document.images).every((image) => image.complete), count, { timeout: 20000 });
}

async function waitForSlots(page, count) {
  await page.waitForFunction((n) => document.querySelectorAll(".slot").length === n &&
    Array.from(document.images).every((image) => image.complete), count, { timeout: 10000 });
}

const { context, close } = await launchBrowser("vantrix-viewer", {
  viewport: { width: 900, height: 480 },
  deviceScaleFactor: 1,
});
try {
  const page = context.pages()[0] ?? await context.newPage();
  const outside = [];
  page.on("request", (request) => {
    if (!/^(file|data|blob):/.test(request.url())) outside.push(request.url());
  });
  const pageErrors = [];
  page.on("pageerror", (error) => pageErrors.push(String(error)));
  await page.goto(pathToFileURL(pagePath).href);
  check("hint before any document", (await page.textContent("#slots")).includes("No save slots yet"));

  // The example document through the file chooser.
  await page.setInputFiles("#files", documentPath);
  await waitForSlots(page, 1);
  checkEqual("slot text", [exampleSlot], await slotTexts(page));

  // Each face picture as the page decoded it, pixel for pixel.
  const shown = await page.$$eval(".slot img.face", (images) => images.map((image) => {
    const canvas = document.createElement("canvas");
    canvas.width = image.naturalWidth;
    canvas.height = image.naturalHeight;
    const context = canvas.getContext("2d");
    context.drawImage(image, 0, 0);
    return { width: canvas.width, height: canvas.height, box: [image.clientWidth, image.clientHeight],
             data: Array.from(context.getImageData(0, 0, canvas.width, canvas.height).data) };
  }));
  checkEqual("face pictures shown", pictures.length, shown.length);
  for (const [i, face] of pictures.entries()) {
    if (!shown[i]) break;
    console.log(`${face.title}: ${face.bmp.bitsPerPixel}-bit BMP, samples ${sampleText(face.bmp)}`);
    checkEqual(`${face.title}: shown at 48 × 48`, [48, 48], shown[i].box);
    const wrong = pixelMismatches(shown[i], face.bmp, 1);
    check(`${face.title}: decoded pixels`, wrong.length === 0, `${wrong.length} differ, first ${wrong[0]}`);
  }

  // What the screen shows: at 1× each face pixel once; at 2× and 3× as a crisp block. Each face
  // lies on whole pixels, whatever the fonts make of the text above and beside it.
  for (const zoom of [1, 2, 3]) {
    await page.click(`[data-zoom="${zoom}"]`);
    const images = await page.$$(".slot img.face");
    for (const [i, face] of pictures.entries()) {
      if (!images[i]) break;
      const box = await images[i].boundingBox();
      checkEqual(`${face.title}: on whole pixels at ${zoom}×`, [48 * zoom, 48 * zoom, true, true],
                 [box.width, box.height, Number.isInteger(box.x), Number.isInteger(box.y)]);
      const clip = { x: Math.round(box.x), y: Math.round(box.y), width: 48 * zoom, height: 48 * zoom };
      const rendered = await pngPixels(page, await page.screenshot({ clip }));
      const wrong = pixelMismatches(rendered, face.bmp, zoom);
      check(`${face.title}: on screen at ${zoom}×`, wrong.length === 0,
            `${wrong.length} differ, first ${wrong[0]}`);
    }
  }
  fs.mkdirSync(path.dirname(screenshotPath), { recursive: true });
  await page.click('[data-zoom="1"]');

  // Files that are no preview documents, each with its own message.
  await page.setInputFiles("#files", [
    { name: "Save05.lsd", mimeType: "application/octet-stream", buffer: fs.readFileSync(documentPath) },
    { name: "notes.xml", mimeType: "text/xml", buffer: Buffer.from("<?xml version=\"1.0\"?>\r\n<notes>hi</notes>") },
    { name: "empty.xml", mimeType: "text/xml", buffer: Buffer.alloc(0) },
    { name: "short.xml", mimeType: "text/xml", buffer: Buffer.from("<savegame><timestamp>x</timestamp></savegame>") },
  ]);
  await waitForSlots(page, 4);
  checkEqual("messages for files that are no preview documents", [
    "empty.xml is not a vantrix preview document: the file is empty.",
    "notes.xml is not a vantrix preview document: its root element is <notes>, not <savegame>.",
    "Save05.lsd is not an RPG Maker 2000 or 2003 save: it does not start with LcfSaveData.",
    "short.xml is not a vantrix preview document: its <savegame> has no <playingtime>.",
  ], (await slotTexts(page)).map((slot) => slot.error));
  check("error slots are alerts", (await page.$$("[role=alert]")).length === 4);

  // Markup in a document's text is shown as text, and a bitmap that is no Base64 BMP is no picture.
  const hostileName = "<img src=x onerror=\"document.title='owned'\">&";
  const hostile = documentText
    .replace("<name>Alex</name>", "<name>&lt;img src=x onerror=\"document.title='owned'\"&gt;&amp;</name>")
    .replace(/<bitmap>\s*Qk[^<]*<\/bitmap>/, "<bitmap>Qk<script>alert(1)</script></bitmap>")
    .replace(/<bitmap>\s*Qk[^<]*<\/bitmap>/, "<bitmap>Qk0!not base64</bitmap>");
  const title = await page.title();
  await page.setInputFiles("#files", { name: "Save01.xml", mimeType: "text/xml", buffer: Buffer.from(hostile, "latin1") });
  await page.waitForFunction(() => document.querySelector(".slot .hero .name") !== null);
  await waitForSlots(page, 1);
  const [hostileSlot] = await slotTexts(page);
  checkEqual("hostile name shown as text", hostileName, hostileSlot.name);
  checkEqual("hostile bitmaps", ["damaged picture", "damaged picture", "no picture"], hostileSlot.missing);
  checkEqual("nothing injected", [1, title], [await page.$$eval(".slot img", (images) => images.length), await page.title()]);

  // Names are shown in the game's code page: guessed from their bytes, or chosen in the menu.
  const heroNamed = (bytes) => Buffer.concat([documentBytes.subarray(0, documentBytes.indexOf("Alex")),
    Buffer.from(bytes), documentBytes.subarray(documentBytes.indexOf("Alex") + 4)]);
  const namesCases = [
    ["Japanese", [0x83, 0x41, 0x83, 0x8C, 0x83, 0x62, 0x83, 0x4E, 0x83, 0x58], "auto", "アレックス"],
    ["Traditional Chinese", [0xA5, 0x44, 0xA8, 0xA4], "auto", "主角"],
    ["Traditional Chinese read as Western", [0xA5, 0x44, 0xA8, 0xA4], "windows-1252", "¥D¨¤"],
    ["Korean chosen", [0xBE, 0xF3, 0xB1, 0xBC], "euc-kr", "얼굴"],
    ["Western, an accented letter before another", [0x41, 0x6E, 0x64, 0x72, 0xE9, 0x73], "auto", "Andrés"],
  ];
  for (const [what, bytes, page_, expected] of namesCases) {
    await page.selectOption("#code-page", page_);
    await page.setInputFiles("#files", { name: "Save01.xml", mimeType: "text/xml", buffer: heroNamed(bytes) });
    await waitForSlots(page, 1);
    checkEqual(`names: ${what}`, expected, (await slotTexts(page))[0].name);
  }
  await page.selectOption("#code-page", "auto");

  // Drag and drop of two documents: slots in slot order, a save without hero says so.
  const thirdSlot = documentText
    .replace('<savegame id="1">', '<savegame id="3">')
    .replace(/ *<hero>[\s\S]*?<\/hero>\r\n/, "")
    .replace(/ *<face>[\s\S]*<\/face>\r\n/, "")
    .replace("<money>4321</money>", "<money>7</money>");
  await dropFiles(page, [
    { name: "Save03.xml", bytes: Buffer.from(thirdSlot, "latin1") },
    { name: "Save01.xml", bytes: documentBytes },
  ]);
  await waitForSlots(page, 2);
  const dropped = await slotTexts(page);
  checkEqual("dropped: first slot", exampleSlot, dropped[0]);
  checkEqual("dropped: second slot", {
    slot: "Slot 3", file: "Save03.xml", hero: "No hero", name: null, level: null, hp: null,
    saved: "2026-12-07 20:15:42", played: "005:42:56", money: "7", faces: [], missing: [], error: null,
  }, dropped[1]);
  check("the drop highlight is gone", !(await page.$eval("body", (body) => body.classList.contains("dragging"))));

  // A save opened alone has no game folder beside it: its faces have no pictures.
  await page.setInputFiles("#files", savePath);
  await waitForSlots(page, 1);
  checkEqual("a save alone", [{ ...exampleSlot, file: "Save01.lsd",
    faces: exampleSlot.faces.map((face) => face.replace(/(: no picture)?$/, ": no picture")),
    missing: ["no picture", "no picture", "no picture", "no picture"] }], await slotTexts(page));

  // Game folders: chosen and dropped, and so on a page that can start no worker, where the
  // saves are converted on the page itself.
  const noWorkerPage = await context.newPage();
  await noWorkerPage.addInitScript(() => { delete window.Worker; });
  noWorkerPage.on("pageerror", (error) => pageErrors.push(String(error)));
  await noWorkerPage.goto(pathToFileURL(pagePath).href);
  for (const game of gameFolders) {
    const documents = executableDocuments(game.folder);
    const saves = Object.keys(documents);
    check(`${game.name}: the executable made documents`, saves.length > 0);
    for (const [save, expectedPath] of Object.entries(game.expected)) {
      check(`${game.name}: the executable's ${save} is the reviewed document`,
            documents[save]?.equals(fs.readFileSync(expectedPath)));
    }
    // What the page shows of the executable's documents (each named as its save with ".xml"
    // added), in slot order, and their faces' BMPs in the same order.
    await page.setInputFiles("#files", saves.map((save) => ({
      name: `${save}.xml`, mimeType: "text/xml", buffer: documents[save] })));
    await waitForSlots(page, saves.length);
    const wanted = (await slotTexts(page)).map((slot) => ({ ...slot, file: slot.file.slice(0, -4) }));
    const bitmaps = wanted.flatMap((slot) => [...documents[slot.file.split("/").pop()].toString("latin1")
      .matchAll(/<bitmap>\s*([A-Za-z0-9+/=]+)\s*<\/bitmap>/g)].map((match) => readBmp(Buffer.from(match[1], "base64"))));

    const ways = [
      ["chosen", page, () => page.setInputFiles("#folder", game.folder), "worker"],
      ["dropped", page, () => dropFolder(page, game.folder), "worker"],
      ["chosen, no worker", noWorkerPage, () => noWorkerPage.setInputFiles("#folder", game.folder), "page"],
      ["dropped, no worker", noWorkerPage, () => dropFolder(noWorkerPage, game.folder), "page"],
    ];
    if (game.name === "the unpacked game") {
      checkEqual("the unpacked game: the hero's Shift-JIS name", "アレックス", wanted[0].name);
      checkEqual("the unpacked game: the 0x5C face set name", "ソ表, face 1", wanted[0].faces[0]);
    }
    for (const [way, on, open, converter] of ways) {
      await openFolder(on, open, saves.length);
      const what = `${game.name} ${way}`;
      checkEqual(`${what}: slots`, wanted, await slotTexts(on));
      checkEqual(`${what}: converted in the ${converter}`, converter, await on.evaluate(() => document.body.dataset.converter));
      const shownFaces = await facePixels(on);
      checkEqual(`${what}: face pictures`, bitmaps.length, shownFaces.length);
      for (const [i, bmp] of bitmaps.entries()) {
        const wrong = shownFaces[i] ? pixelMismatches(shownFaces[i], bmp, 1) : ["missing"];
        check(`${what}: face ${i + 1} pixels`, wrong.length === 0, `${wrong.length} differ, first ${wrong[0]}`);
      }
    }

    // Each slot saved as its preview document is the executable's, byte for byte.
    await openFolder(page, () => page.setInputFiles("#folder", game.folder), saves.length);
    const buttons = await page.$$(".slot .download");
    checkEqual(`${game.name}: download buttons`, saves.length, buttons.length);
    for (const [i, save] of saves.entries()) {
      if (!buttons[i]) break;
      const [download] = await Promise.all([page.waitForEvent("download"), buttons[i].click()]);
      checkEqual(`${game.name}: downloaded name`, save.replace(/\.lsd$/i, ".xml"), download.suggestedFilename());
      check(`${game.name}: downloaded ${save}`, fs.readFileSync(await download.path()).equals(documents[save]));
    }
    // The page the module found the face sets by names the hero; the menu still overrides it.
    if (game.name === "the unpacked game") {
      const names = [];
      for (const choice of ["windows-1252", "auto"]) {
        await page.selectOption("#code-page", choice);
        names.push((await slotTexts(page))[0].name);
      }
      checkEqual("the unpacked game: names in the chosen page, then in the module's", ["ƒAƒŒƒbƒNƒX", "アレックス"], names);
    }
  }
  // The last game folder, as the README shows it.
  await page.setViewportSize({ width: 900, height: 260 });
  await page.screenshot({ path: screenshotPath, fullPage: true });
  console.log(`Screenshot: ${screenshotPath}`);

  // Several games in one folder: grouped by game, each headed by its RPG_RT.ini's title (read
  // in the page the conversion found its face sets by) or else its folder's name. On a narrow
  // page, long folder and save names wrap; the values are never cut.
  const library = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "vantrix-library-")), "library");
  const longFolder = "A game whose folder name goes on and on, as unpacked archives' names do (Version 1.02, fan translation)";
  const longSave = "Backup_of_the_first_slot_from_the_old_computer_Save03.lsd";
  fs.cpSync(path.join(root, "examples", "game"), path.join(library, longFolder), { recursive: true });
  fs.copyFileSync(savePath, path.join(library, longFolder, longSave));
  fs.writeFileSync(path.join(library, longFolder, "rpg_rt.INI"), "[RPG_RT]\r\nGameTitle = \"The Long Road\"\r\nMapEditMode=1\r\n");
  fs.cpSync(path.join(root, "examples", "game"), path.join(library, "plain"), { recursive: true });
  fs.cpSync(path.join(root, "examples", "unpacked-game"), path.join(library, "ゲーム"), { recursive: true });
  fs.writeFileSync(path.join(library, "ゲーム", "RPG_RT.ini"), Buffer.concat([
    Buffer.from("[Editor]\r\nGameTitle=not this one\r\n[RPG_RT]\r\nGameTitle="),
    Buffer.from([151, 69, 142, 210, 130, 204, 150, 96, 140, 175]), Buffer.from("\r\n")]));  // 勇者の冒険 in Shift-JIS
  await page.setViewportSize({ width: 640, height: 480 });
  await openFolder(page, () => page.setInputFiles("#folder", library), 4);
  checkEqual("games: headings", [
    ["The Long Road", `library/${longFolder}`], ["plain", "library/plain"], ["勇者の冒険", "library/ゲーム"],
  ], await page.$$eval(".game-heading", (headings) => headings.map((heading) => [
    heading.querySelector(".game-title").textContent, heading.querySelector(".game-folder").textContent])));
  checkEqual("games: slots in their games", [["Save01.lsd", longSave], ["Save01.lsd"], ["Save01.lsd"]],
    await page.$$eval(".game", (games) => games.map((game) => Array.from(game.querySelectorAll(".slot .file-name"), (name) => name.textContent))));
  checkEqual("games: values in full", Array(4).fill(["12", "345", "2026-12-07 20:15:42", "005:42:56", "4321"]),
    (await slotTexts(page)).map((slot) => [slot.level, slot.hp, slot.saved, slot.played, slot.money]));
  const cut = await page.$$eval(".slot", (slots) => slots.flatMap((slot) => {
    const inside = slot.getBoundingClientRect();
    return Array.from(slot.querySelectorAll(".details > div, .details > div > span:not(.name), .file-name, .slot-number"), (item) => {
      const box = item.getBoundingClientRect();
      return item.scrollWidth > item.clientWidth || box.right > inside.right || box.left < inside.left ? item.textContent : null;
    }).filter((text) => text !== null);
  }));
  checkEqual("games: nothing cut or outside its slot", [], cut);
  await page.screenshot({ path: screenshotPath.replace(/\.png$/, "-games.png"), fullPage: true });
  for (const zoom of [1, 2, 3]) {
    await page.click(`[data-zoom="${zoom}"]`);
    const off = await page.$$eval(".slot img.face", (images) => images.map((image) => image.getBoundingClientRect())
      .filter((box) => !Number.isInteger(box.x) || !Number.isInteger(box.y)).length);
    checkEqual(`games: faces on whole pixels at ${zoom}×`, 0, off);
  }
  await page.click('[data-zoom="1"]');
  await page.setViewportSize({ width: 900, height: 480 });
  fs.rmSync(path.dirname(library), { recursive: true, force: true });


  checkEqual("requests beyond the page", [], outside);
  checkEqual("script errors", [], pageErrors);
} catch (error) {
  check("the viewer test ran to its end", false, error.stack);
} finally {
  await close();
}

console.log(`${process.env.VANTRIX_TEST_NAME || "Viewer"}: ${passed} passed, ${failed} failed`);
process.exitCode = failed === 0 ? 0 : 1;
