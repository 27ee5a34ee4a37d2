'use strict';
// Headless Chromium from the system, driven by playwright-core, with a fresh
// profile per run; and the viewer page with every problem it reports recorded.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const CHROMIUM = process.env.KERFEL_CHROMIUM || '/usr/bin/chromium';
const ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

async function launch({ extraArgs = [] } = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kerfel-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    args: [...ARGS, ...extraArgs],
    viewport: { width: 1000, height: 800 },
    deviceScaleFactor: 1,
  });
  return {
    context,
    close: async () => {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// True once the image's tiles for the current view are all drawn and no
// zoom or pan is under way.
function viewSettled() {
  const v = window.KerfelViewer && window.KerfelViewer.viewer;
  const image = v && v.world.getItemAt(0);
  if (!image || !image.getFullyLoaded()) return false;
  const vp = v.viewport;
  return Math.abs(vp.getZoom(true) - vp.getZoom()) < 1e-9 &&
    vp.getCenter(true).distanceTo(vp.getCenter()) < 1e-9;
}

async function settle(page) {
  for (let attempt = 0; attempt < 3; attempt++) {
    await page.waitForFunction(viewSettled, null, { timeout: 15000 });
    // A drawn frame later the view must still be complete.
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    if (await page.evaluate(viewSettled)) return;
  }
  throw new Error('the view did not settle');
}

async function openViewer(context, url) {
  const page = await context.newPage();
  const problems = [];
  const requests = [];
  page.on('console', (m) => { if (m.type() === 'error') problems.push(`console error: ${m.text()}`); });
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()} ${r.failure().errorText}`));
  page.on('response', (r) => { if (r.status() >= 400) problems.push(`HTTP ${r.status()}: ${r.url()}`); });
  page.on('request', (r) => requests.push(decodeURIComponent(r.url())));
  await page.goto(url);
  await settle(page);
  return { page, problems, requests };
}

module.exports = { launch, openViewer, settle };
