'use strict';
// The IIIF layouts in the viewers people publish them with, each served from
// a plain web server and zoomed through every level: OpenSeadragon's IIIF
// tile source (info.json), Leaflet-IIIF (info.json) and Tify (manifest.json);
// and our own page for each layout with every option and music. No request
// may fail, and every scale factor must have been asked for.
const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const jobs = require('./support/jobs');
const { launch, openViewer, settle } = require('./support/browser');
const { startServer } = require('./support/static-server');

const VERSIONS = { iiif3: 'v3', iiif2: 'v2' };
const PICTURE = [1500, 1100];  // four levels: scale factors 1, 2, 4 and 8
const modules = path.join(__dirname, '..', 'node_modules');

let work;
let browser;
let server;

// The files each viewer page loads, copied under lib/ of the served folder.
const LIBS = {
  'openseadragon.min.js': 'openseadragon/build/openseadragon/openseadragon.min.js',
  'leaflet.js': 'leaflet/dist/leaflet.js',
  'leaflet.css': 'leaflet/dist/leaflet.css',
  'leaflet-iiif.js': 'leaflet-iiif/leaflet-iiif.js',
  'tify.js': 'tify/dist/tify.js',
  'tify.css': 'tify/dist/tify.css',
};

const PAGE_HEAD = '<!DOCTYPE html><html><head><meta charset="utf-8"><link rel="icon" href="data:,">' +
  '<style>html,body{margin:0;height:100%}#v{width:1000px;height:800px}</style>';
const PAGES = {
  'osd.html': `${PAGE_HEAD}<script src="lib/openseadragon.min.js"></script></head><body><div id="v"></div><script>
    const info = new URLSearchParams(location.search).get('info');
    window.testViewer = OpenSeadragon({ element: document.getElementById('v'), tileSources: info,
      drawer: 'canvas', showNavigationControl: false, maxZoomPixelRatio: 1 });
  </script></body></html>`,
  'leaflet.html': `${PAGE_HEAD}<link rel="stylesheet" href="lib/leaflet.css"><script src="lib/leaflet.js"></script>
    <script src="lib/leaflet-iiif.js"></script></head><body><div id="v"></div><script>
    const info = new URLSearchParams(location.search).get('info');
    window.testMap = L.map('v', { center: [0, 0], crs: L.CRS.Simple, zoom: 0, zoomAnimation: false });
    window.testLayer = L.tileLayer.iiif(info, { fitBounds: true }).addTo(window.testMap);
  </script></body></html>`,
  'tify.html': `${PAGE_HEAD}<link rel="stylesheet" href="lib/tify.css"></head><body><div id="v"></div>
    <script type="module">
    import Tify from './lib/tify.js';
    const manifestUrl = new URLSearchParams(location.search).get('manifest');
    window.testTify = new Tify({ container: '#v', manifestUrl });
    window.testTify.ready.then(() => { window.testViewer = window.testTify.viewer; });
  </script></body></html>`,
};

// Every request and every problem a page meets.
async function watch(page) {
  const problems = [];
  const requests = [];
  page.on('console', (m) => { if (m.type() === 'error') problems.push(`console error: ${m.text()}`); });
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()} ${r.failure().errorText}`));
  page.on('response', (r) => { if (r.status() >= 400) problems.push(`HTTP ${r.status()}: ${r.url()}`); });
  page.on('request', (r) => requests.push(decodeURIComponent(r.url())));
  return { problems, requests };
}

// The scale factor of each tile asked for: full-size region over tile size.
function scalesAsked(requests) {
  const scales = new Set();
  for (const url of requests) {
    const m = /\/(full|\d+,\d+,(\d+),\d+)\/(max|full|(\d+),\d*)\/0\/default\.jpg$/.exec(url);
    if (!m) continue;
    const regionWidth = m[2] ? Number(m[2]) : PICTURE[0];
    const width = m[4] ? Number(m[4]) : regionWidth;
    scales.add(Math.round(regionWidth / width));
  }
  return [...scales].sort((a, b) => a - b);
}

// An OpenSeadragon viewer (the page's own, or one inside another viewer)
// zoomed to each level's own pixels in turn, waiting each time until every
// tile in view is drawn.
async function zoomThroughLevels(page, viewerExpression) {
  const levels = await page.evaluate(`${viewerExpression}.world.getItemAt(0).source.maxLevel`);
  for (let k = levels; k >= 0; k--) {
    await page.evaluate(([v, scale]) => {
      const viewer = eval(v);
      const item = viewer.world.getItemAt(0);
      viewer.viewport.zoomTo(item.imageToViewportZoom(scale), null, true);
    }, [viewerExpression, 1 / 2 ** k]);
    await page.waitForFunction((v) => {
      const viewer = eval(v);
      const item = viewer.world.getItemAt(0);
      const vp = viewer.viewport;
      return item.getFullyLoaded() && Math.abs(vp.getZoom(true) - vp.getZoom()) < 1e-9;
    }, viewerExpression, { timeout: 30000 });
  }
}

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'kerfel-iiif-test-'));
  const www = path.join(work, 'www');
  fs.mkdirSync(path.join(www, 'lib'), { recursive: true });
  for (const [name, from] of Object.entries(LIBS)) fs.copyFileSync(path.join(modules, from), path.join(www, 'lib', name));
  for (const [name, text] of Object.entries(PAGES)) fs.writeFileSync(path.join(www, name), text);
  server = await startServer(www);
  const picture = jobs.makePicture(path.join(work, 'photo.jpg'), ...PICTURE);
  const music = jobs.makeSilentMp3(path.join(work, 'theme.mp3'));
  const all = { smallMap: true, navigationScroll: true, zoomSlider: true, clickToZoom: true };
  for (const [layout, folder] of Object.entries(VERSIONS)) {
    jobs.makeJob(picture, path.join(www, folder), { layout, id: `${server.url}/${folder}/photo`, options: all, music });
  }
  browser = await launch();
});

after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  if (work) fs.rmSync(work, { recursive: true, force: true });
});

for (const [layout, folder] of Object.entries(VERSIONS)) {
  describe(`the ${layout} layout`, { timeout: 180000 }, () => {
    const info = () => `${server.url}/${folder}/photo/info.json`;

    test('opens in OpenSeadragon\'s IIIF tile source and zooms through every level', async () => {
      const page = await browser.context.newPage();
      const seen = await watch(page);
      await page.goto(`${server.url}/osd.html?info=${encodeURIComponent(info())}`);
      await page.waitForFunction(() => window.testViewer && window.testViewer.world.getItemCount() === 1);
      await zoomThroughLevels(page, 'window.testViewer');
      assert.deepEqual(seen.problems, []);
      assert.deepEqual(scalesAsked(seen.requests), [1, 2, 4, 8]);
      await page.close();
    });

    test('opens in Leaflet-IIIF and zooms through every level', async () => {
      const page = await browser.context.newPage();
      const seen = await watch(page);
      await page.goto(`${server.url}/leaflet.html?info=${encodeURIComponent(info())}`);
      await page.waitForFunction(() => window.testLayer && window.testLayer.maxNativeZoom !== undefined);
      const deepest = await page.evaluate(() => window.testLayer.maxNativeZoom);
      assert.equal(deepest, 3);
      for (let zoom = 0; zoom <= deepest; zoom++) {
        await page.evaluate((z) => new Promise((done) => {
          window.testLayer.once('load', () => done());
          window.testMap.setZoom(z, { animate: false });
        }), zoom);
      }
      assert.deepEqual(seen.problems, []);
      assert.deepEqual(scalesAsked(seen.requests), [1, 2, 4, 8]);
      await page.close();
    });

    test('opens its manifest in Tify and zooms through every level', async () => {
      const page = await browser.context.newPage();
      const seen = await watch(page);
      const manifest = `${server.url}/${folder}/photo/manifest.json`;
      await page.goto(`${server.url}/tify.html?manifest=${encodeURIComponent(manifest)}`);
      await page.waitForFunction(() => window.testViewer && window.testViewer.world.getItemCount() === 1,
        null, { timeout: 30000 });
      await zoomThroughLevels(page, 'window.testViewer');
      assert.deepEqual(seen.problems, []);
      assert.deepEqual(scalesAsked(seen.requests), [1, 2, 4, 8]);
      await page.close();
    });

    test('opens in our own page with every option and zooms through every level', async () => {
      const { page, problems, requests } = await openViewer(browser.context, `${server.url}/${folder}/photo/index.html`);
      for (const id of ['#kv-zoom-slider', '#kv-pan-up', '#kv-mute']) assert.equal(await page.locator(id).count(), 1, id);
      assert.equal(await page.locator('.navigator').count(), 1);
      await zoomThroughLevels(page, 'window.KerfelViewer.viewer');
      await settle(page);
      assert.deepEqual(problems, []);
      assert.deepEqual(scalesAsked(requests), [1, 2, 4, 8]);
      await page.close();
    });
  });
}
