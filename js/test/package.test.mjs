// The package as a user gets it: `npm pack` of build/wasm/npm (VANTRIX_PACKAGE) gives
// vantrix-<project version>.tgz, which installs offline into an empty folder, where a
// five-line script converts the example game to examples/expected/Save01.xml byte for byte,
// vantrix/node does the same from disk, CommonJS can import it, and TypeScript (tsc, or
// VANTRIX_TSC) checks a program against its types.

import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import test from "node:test";
import { fileURLToPath } from "node:url";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "..", "..");
const packageDir = path.resolve(process.env.VANTRIX_PACKAGE || path.join(root, "build", "wasm", "npm"));
const game = path.join(root, "examples", "game");
const expected = fs.readFileSync(path.join(root, "examples", "expected", "Save01.xml"));
const version = /project\(vantrix VERSION ([0-9.]+)/.exec(fs.readFileSync(path.join(root, "CMakeLists.txt"), "utf8"))[1];

const run = (command, args, cwd) => execFileSync(command, args, { cwd, stdio: "pipe", encoding: "utf8" });

test("the packed package installs offline and converts the example game", async (t) => {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), "vantrix-pack-"));
  t.after(() => fs.rmSync(work, { recursive: true, force: true }));
  run("npm", ["pack", "--pack-destination", work, "--loglevel=error"], packageDir);
  assert.deepEqual(fs.readdirSync(work), [`vantrix-${version}.tgz`]);

  const app = path.join(work, "app");
  fs.mkdirSync(app);
  run("npm", ["install", "--offline", "--no-audit", "--no-fund", "--loglevel=error", path.join(work, `vantrix-${version}.tgz`)], app);
  const installed = path.join(app, "node_modules", "vantrix");
  assert.deepEqual(fs.readdirSync(installed).sort(),
                   ["README.md", "node.d.ts", "node.js", "package.json", "vantrix.d.ts", "vantrix.js"]);

  fs.writeFileSync(path.join(app, "convert.mjs"), `import fs from "node:fs";
import { convertSave } from "vantrix";
const game = process.argv[2], faces = fs.readdirSync(game + "/FaceSet");
const files = new Map(faces.map((name) => ["FaceSet/" + name, fs.readFileSync(game + "/FaceSet/" + name)]));
fs.writeFileSync("Save01.xml", (await convertSave(fs.readFileSync(game + "/Save01.lsd"), "Save01.lsd", files)).document);
`);
  run("node", ["convert.mjs", game], app);
  assert.ok(fs.readFileSync(path.join(app, "Save01.xml")).equals(expected), "the script's document");

  // vantrix/node, from the game's folder; and the package imported from CommonJS.
  fs.writeFileSync(path.join(app, "node.mjs"), `import { convertSaveFile } from "vantrix/node";
process.stdout.write((await convertSaveFile("Save01.lsd")).document);
`);
  const fromDisk = execFileSync("node", [path.join(app, "node.mjs")], { cwd: game });
  assert.ok(fromDisk.equals(expected), "vantrix/node's document");
  fs.writeFileSync(path.join(app, "common.cjs"), `import("vantrix").then((v) => process.stdout.write(v.version));
`);
  assert.equal(run("node", ["common.cjs"], app), version);

  // The types: a program using every call type-checks, and a wrong use does not.
  const tsc = process.env.VANTRIX_TSC || "tsc";
  fs.writeFileSync(path.join(app, "typed.mts"), `import { convertSave, readSavePreview, textToUtf8, type Conversion, type FaceSetSource } from "vantrix";
import { convertSaveFile } from "vantrix/node";
const source: FaceSetSource = { listFolder: () => null, isFile: () => false, readFile: () => null };
const c: Conversion = await convertSave(new Uint8Array(0), "Save01.lsd", source);
const page: number | null = c.faceSetCodePage;
const p = await readSavePreview(new Uint8Array(0), { codePage: page });
const name: string | null | undefined = p?.faces[3].name.text;
const text: string | null = await textToUtf8(new Uint8Array(0), "Shift_JIS");
const status: "converted" | "invalidSave" | "outOfMemory" | "cannotOpenInput" = (await convertSaveFile("Save01.lsd")).status;
export { name, text, status };
`);
  const options = ["--noEmit", "--strict", "--module", "node16", "--moduleResolution", "node16", "--target", "es2022", "--types", "node"];
  fs.mkdirSync(path.join(app, "node_modules", "@types", "node"), { recursive: true });
  // tsc needs no Node.js types for these files but for "node" being named; an empty package is enough.
  fs.writeFileSync(path.join(app, "node_modules", "@types", "node", "index.d.ts"), "export {};\n");
  run(tsc, [...options, "typed.mts"], app);
  fs.writeFileSync(path.join(app, "wrong.mts"), `import { convertSave } from "vantrix";
await convertSave("Save01", "Save01.lsd");
`);
  assert.throws(() => run(tsc, [...options, "wrong.mts"], app), (error) => /error TS2345/.test(error.stdout));
});
