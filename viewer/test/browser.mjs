// Headless Chromium as the viewer's tests start it: a fresh profile each run, nothing fetched
// behind the page's back, and sRGB colours so that screen pixels compare exactly with the
// document's. VANTRIX_CHROMIUM names the browser (default /usr/bin/chromium).

import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { chromium } from "playwright-core";

// Returns the browser context and a function that closes it and removes its profile.
export async function launchBrowser(name, options) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), `${name}-`));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.VANTRIX_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--force-color-profile=srgb"],
    ...options,
  });
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}
