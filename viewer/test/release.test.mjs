// Opens a released viewer page (the one unpacked from the Windows zip) in headless Chromium,
// chooses a game folder with "Open game folder…", and checks that the page converted its save
// into the example game's slot: the hero Alex, four faces, three of them with 48 × 48 pictures.
//
//   node release.test.mjs PAGE GAME_FOLDER
// VANTRIX_CHROMIUM names the browser (default /usr/bin/chromium).

import path from "node:path";
import { pathToFileURL } from "node:url";
import { launchBrowser } from "./browser.mjs";

const [pagePath, gameFolder] = process.argv.slice(2).map((arg) => path.resolve(arg));
let passed = 0;
let failed = 0;
function checkEqual(name, expected, actual) {
  if (JSON.stringify(expected) === JSON.stringify(actual)) {
    passed++;
  } else {
    failed++;
    console.log(`FAILED: ${name}: expected ${JSON.stringify(expected)}, got ${JSON.stringify(actual)}`);
  }
}

const { context, close } = await launchBrowser("vantrix-release-viewer", {
  viewport: { width: 900, height: 260 },
});
try {
  const page = context.pages()[0] ?? await context.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(String(error)));
  await page.goto(pathToFileURL(pagePath).href);
  await page.setInputFiles("#folder", gameFolder);
  await page.waitForFunction(() => document.querySelectorAll(".slot").length > 0 &&
    Array.from(document.images).every((image) => image.complete), null, { timeout: 20000 });
  const slots = await page.$$eval(".slot", (all) => all.map((slot) => ({
    error: slot.classList.contains("bad") ? slot.textContent : null,
    name: slot.querySelector(".hero .name")?.textContent ?? null,
    faces: slot.querySelectorAll(".faces > *").length,
    pictures: Array.from(slot.querySelectorAll("img.face"), (image) => [image.naturalWidth, image.naturalHeight]),
  })));
  checkEqual("the game folder's slot", [{ error: null, name: "Alex", faces: 4,
    pictures: [[48, 48], [48, 48], [48, 48]] }], slots);
  checkEqual("converted by the page's module", "worker", await page.evaluate(() => document.body.dataset.converter));
  checkEqual("script errors", [], errors);
} catch (error) {
  failed++;
  console.log(`FAILED: the viewer did not show the game folder: ${error.stack}`);
} finally {
  await close();
}
// One line without a tally: the calling script counts this whole test as one check.
console.log(`the released viewer: ${failed === 0 ? "all" : passed} of ${passed + failed} checks held`);
process.exitCode = failed === 0 ? 0 : 1;
