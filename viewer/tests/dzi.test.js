'use strict';
// A Deep Zoom job (`kerfel make --layout dzi`) over a plain web server: read
// by OpenSeadragon's own Deep Zoom tile source from its .dzi alone, every
// tile it can ask for is one the tool wrote, of the size it expects, and
// zooming through every level asks for nothing that fails; and the job's own
// index.html shows it with its four options and music.
const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');

const jobs = require('./support/jobs');
const { launch, openViewer, settle } = require('./support/browser');
const { startServer } = require('./support/static-server');

const ALL = { smallMap: true, navigationScroll: true, zoomSlider: true, clickToZoom: true };
const WIDTH = 1025;  // one pixel past a power of two: 12 levels, the last column and row 2 pixels wide
const HEIGHT = 771;
const LEVELS = 12;

let work;
let out;
let folder;
let browser;
let server;

// OpenSeadragon alone, pointed at the .dzi: what any Deep Zoom page does.
const PLAIN_PAGE = `<!doctype html><meta charset="utf-8"><title>plain</title><link rel="icon" href="data:,">
<div id="v" style="width:800px;height:600px"></div>
<script src="harbour/viewer/openseadragon.min.js"></script>
<script>
  var viewer = OpenSeadragon({ id: 'v', prefixUrl: 'harbour/viewer/images/', tileSources: 'harbour/harbour.dzi',
    drawer: 'canvas', maxZoomPixelRatio: 1, animationTime: 0.2 });
  window.KerfelViewer = { viewer: viewer };
</script>`;

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'kerfel-dzi-test-'));
  out = path.join(work, 'out');
  const picture = jobs.makePicture(path.join(work, 'harbour.jpg'), WIDTH, HEIGHT);
  const music = jobs.makeSilentMp3(path.join(work, 'theme.mp3'));
  folder = jobs.makeJob(picture, out, { levels: 2, options: ALL, music, layout: 'dzi' });
  fs.writeFileSync(path.join(out, 'plain.html'), PLAIN_PAGE);
  browser = await launch();
  server = await startServer(out);
});

after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  if (work && !process.env.KERFEL_KEEP_TEST_FILES) fs.rmSync(work, { recursive: true, force: true });
});

// Zooms in by twos from the whole picture to the source's own pixels,
// settling at each step, so every level the viewer shows is drawn.
async function zoomThroughEveryLevel(page) {
  const steps = await page.evaluate(() => {
    const vp = window.KerfelViewer.viewer.viewport;
    return Math.ceil(Math.log2(vp.getMaxZoom() / vp.getMinZoom())) + 1;
  });
  for (let i = 0; i <= steps; i++) {
    await page.evaluate((step) => {
      const vp = window.KerfelViewer.viewer.viewport;
      vp.zoomTo(Math.min(vp.getMaxZoom(), vp.getMinZoom() * Math.pow(2, step)));
    }, i);
    await settle(page);
  }
}

const levelsAsked = (requests) => new Set(requests.map((r) => (r.match(/harbour_files\/(\d+)\/\d+_\d+\.jpg$/) || [])[1])
  .filter(Boolean).map(Number));

describe('a Deep Zoom job', { timeout: 180000 }, () => {
  test('in OpenSeadragon\'s Deep Zoom reader: every tile it counts is written, of its size', async () => {
    const { page, problems } = await openViewer(browser.context, `${server.url}/plain.html`);
    assert.deepEqual(problems, []);
    const asked = await page.evaluate(() => {
      const source = window.KerfelViewer.viewer.world.getItemAt(0).source;
      const tiles = [];
      for (let level = 0; level <= source.maxLevel; level++) {
        const n = source.getNumTiles(level);
        for (let x = 0; x < n.x; x++) {
          for (let y = 0; y < n.y; y++) {
            // The library places a level's tiles at the picture's size over 2^k, which the
            // files' sizes (rounded up level by level) exceed by less than a pixel.
            const size = source.getTileBounds(level, x, y, true);
            const w = Math.ceil(size.width - 1e-9);
            const h = Math.ceil(size.height - 1e-9);
            tiles.push(`${source.getTileUrl(level, x, y).replace(/^.*harbour_files\//, '')} ${w} ${h}`);
          }
        }
      }
      return { dzi: source instanceof OpenSeadragon.DziTileSource, maxLevel: source.maxLevel, tiles };
    });
    assert.ok(asked.dzi, 'not read as Deep Zoom');
    assert.equal(asked.maxLevel, LEVELS - 1);
    const files = [];
    for (let level = 0; level < LEVELS; level++) {
      for (const name of fs.readdirSync(path.join(folder, 'harbour_files', String(level)))) {
        files.push(path.join(folder, 'harbour_files', String(level), name));
      }
    }
    const written = execFileSync('identify', ['-format', '%d %f %w %h\n', ...files], { encoding: 'utf8' })
      .trim().split('\n').map((l) => {
        const [dir, name, w, h] = l.split(' ');
        return `${path.basename(dir)}/${name} ${w} ${h}`;
      });
    assert.deepEqual(asked.tiles.sort(), written.sort());
    await page.close();
  });

  test('in OpenSeadragon\'s Deep Zoom reader: zoomed through every level, no request fails', async () => {
    const { page, problems, requests } = await openViewer(browser.context, `${server.url}/plain.html`);
    await zoomThroughEveryLevel(page);
    const levels = levelsAsked(requests);
    assert.ok(levels.has(LEVELS - 1), 'the full-size level was never drawn');
    for (let l = Math.min(...levels); l < LEVELS; l++) assert.ok(levels.has(l), `level ${l} was skipped`);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('in its own index.html: the four options, the music and every level, no request fails', async () => {
    const { page, problems, requests } = await openViewer(browser.context, `${server.url}/harbour/index.html`);
    assert.equal(await page.locator('.navigator').count(), 1);
    assert.equal(await page.locator('#kv-zoom-slider').count(), 1);
    for (const dir of ['up', 'down', 'left', 'right']) assert.equal(await page.locator(`#kv-pan-${dir}`).count(), 1);
    assert.equal(await page.evaluate(() => Boolean(window.KerfelViewer.audio)), true, 'no music');
    const box = await page.locator('#kv-frame').boundingBox();
    assert.deepEqual([Math.round(box.width), Math.round(box.height)], [513, 386]);  // level 2 of the list
    await zoomThroughEveryLevel(page);
    const levels = levelsAsked(requests);
    assert.ok(levels.has(LEVELS - 1), 'the full-size level was never drawn');
    assert.deepEqual(problems, []);
    await page.close();
  });
});
