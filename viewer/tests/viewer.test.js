'use strict';
// The published viewer in headless Chromium: opened from disk and from a web
// server, drawing the image, honouring each option, zooming to the source's
// own pixels and playing the music.
const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { execFileSync } = require('node:child_process');

const jobs = require('./support/jobs');
const { launch, openViewer, settle } = require('./support/browser');
const { startServer } = require('./support/static-server');
const { difference, sourceView, cropPicture } = require('./support/picture-compare');

const ALL = { smallMap: true, navigationScroll: true, zoomSlider: true, clickToZoom: true };
const NONE = {};
const SAME = 0.06;  // normalised RMS difference of a faithful rendering (JPEG quality 70, scaling)

let work;
let out;
let browser;
let server;
const job = {};  // name -> { folder, picture, options, music }

function fileUrl(name) {
  return pathToFileURL(path.join(job[name].folder, 'index.html')).href;
}

function httpUrl(name) {
  return `${server.url}/${encodeURIComponent(path.basename(job[name].folder))}/index.html`;
}

async function open(name, url = fileUrl(name)) {
  return openViewer(browser.context, url);
}

const shot = (file) => path.join(work, file);

async function frameBox(page) {
  const box = await page.locator('#kv-frame').boundingBox();
  return { x: Math.round(box.x), y: Math.round(box.y), width: Math.round(box.width), height: Math.round(box.height) };
}

// The frame's region `region` (frame pixels) against the same region of the
// source scaled to the frame.
async function regionDifference(page, picture, region, tag) {
  const box = await frameBox(page);
  const frameShot = await page.screenshot({ path: shot(`${tag}-frame.png`), clip: box });
  assert.ok(frameShot.length > 0);
  const seen = cropPicture(shot(`${tag}-frame.png`), region, shot(`${tag}-seen.png`));
  const whole = sourceView(picture, null, box.width, box.height, shot(`${tag}-source.png`));
  const expected = cropPicture(whole, region, shot(`${tag}-expected.png`));
  return difference(seen, expected);
}

const viewState = (page) => page.evaluate(() => {
  const vp = window.KerfelViewer.viewer.viewport;
  const c = vp.getCenter();
  return { zoom: vp.getZoom(), min: vp.getMinZoom(), max: vp.getMaxZoom(), x: c.x, y: c.y };
});

const count = (page, selector) => page.locator(selector).count();

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'kerfel-viewer-test-'));
  out = path.join(work, 'out');
  const music = jobs.makeSilentMp3(path.join(work, 'theme.mp3'));
  const specs = {
    // An odd size, so every level is rounded down; a name that needs escaping in a page and a URL.
    all: { file: 'Harbour & Dock #1.jpg', size: [1025, 771], options: ALL, music },
    none: { file: 'plain.jpg', size: [600, 450], options: NONE },
    navClick: { file: 'nav-click.jpg', size: [600, 450], options: { smallMap: true, clickToZoom: true } },
    sliderPan: { file: 'slider-pan.jpg', size: [600, 450], options: { zoomSlider: true, navigationScroll: true } },
  };
  for (const [name, s] of Object.entries(specs)) {
    const picture = jobs.makePicture(path.join(work, s.file), ...s.size);
    const folder = jobs.makeJob(picture, out, { levels: 2, options: s.options, music: s.music });
    job[name] = { folder, picture, options: s.options, music: s.music };
  }
  browser = await launch();
  server = await startServer(out);
});

after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  if (work && !process.env.KERFEL_KEEP_TEST_FILES) fs.rmSync(work, { recursive: true, force: true });
});

describe('a published job', { timeout: 120000 }, () => {
  for (const [how, url] of [['from disk', fileUrl], ['from a web server', httpUrl]]) {
    test(`opens ${how} at the view size, draws the image and loads nothing amiss`, async () => {
      const { page, problems, requests } = await open('all', url('all'));
      assert.deepEqual(problems, []);
      assert.equal(await page.title(), 'Harbour & Dock #1');
      const box = await frameBox(page);
      assert.deepEqual([box.width, box.height], [512, 385]);

      // Every file the page asks for lies in the job folder.
      const base = decodeURIComponent(url('all').replace(/index\.html$/, ''));
      const outside = requests.filter((r) => !r.startsWith(base) && !r.startsWith('data:'));
      assert.deepEqual(outside, []);
      assert.ok(requests.some((r) => r.endsWith('/Images/2-1-1.jpg')), 'the view level was not loaded');

      // Away from the controls, the canvas shows the source; a mirrored
      // source must not pass for it, or the check proves nothing.
      const region = { x: 100, y: 50, width: 280, height: 230 };
      const tag = how.replace(/ /g, '-');
      assert.ok(await regionDifference(page, job.all.picture, region, tag) < SAME);
      const mirrored = sourceView(job.all.picture, null, 512, 385, shot(`${tag}-mirrored.png`), { mirror: true });
      assert.ok(difference(cropPicture(mirrored, region, shot(`${tag}-mirrored-region.png`)),
        shot(`${tag}-seen.png`)) > 2 * SAME);

      if (how === 'from disk') {
        const keep = path.join(jobs.buildDir(), 'viewer-test-shots');
        fs.mkdirSync(keep, { recursive: true });
        await page.screenshot({ path: path.join(keep, 'all-options.png') });
      }
      await page.close();
    });
  }

  test('without controls the whole frame is the image', async () => {
    const { page, problems } = await open('none');
    assert.deepEqual(problems, []);
    const box = await frameBox(page);
    assert.deepEqual([box.width, box.height], [300, 225]);
    assert.ok(await regionDifference(page, job.none.picture, { x: 0, y: 0, width: 300, height: 225 }, 'none') < SAME);
    await page.close();
  });

  test('in a window smaller than the view it shrinks and keeps its proportions', async () => {
    const { page, problems } = await open('all');
    await page.setViewportSize({ width: 400, height: 300 });
    await settle(page);
    const box = await frameBox(page);
    assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= 400 && box.y + box.height <= 300, JSON.stringify(box));
    assert.ok(Math.abs(box.width / box.height - 512 / 385) < 0.01, JSON.stringify(box));
    assert.ok(box.height >= 299, 'the frame does not use the window');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a tile that cannot be loaded is noticed', async () => {
    const broken = path.join(work, 'broken');
    fs.cpSync(job.none.folder, broken, { recursive: true });
    fs.rmSync(path.join(broken, 'Images', '1-0-0.jpg'));
    const page = await browser.context.newPage();
    const failures = [];
    page.on('requestfailed', (r) => failures.push(r.url()));
    await page.goto(pathToFileURL(path.join(broken, 'index.html')).href);
    await page.waitForTimeout(1500);
    assert.ok(failures.some((u) => u.endsWith('/Images/1-0-0.jpg')), failures.join('\n'));
    await page.close();
  });
});

describe('each option shows its control only when it is on', { timeout: 120000 }, () => {
  for (const name of ['all', 'none', 'navClick', 'sliderPan']) {
    test(name, async () => {
      const o = job[name].options;
      const { page, problems } = await open(name);
      assert.equal(await count(page, '.navigator'), o.smallMap ? 1 : 0, 'navigator');
      assert.equal(await count(page, '#kv-zoom-slider'), o.zoomSlider ? 1 : 0, 'zoom slider');
      for (const dir of ['up', 'down', 'left', 'right']) {
        assert.equal(await count(page, `#kv-pan-${dir}`), o.navigationScroll ? 1 : 0, `pan ${dir}`);
      }
      if (o.smallMap) assert.ok(await page.locator('.navigator').isVisible());

      // A click in the middle zooms in, a shift-click zooms back out.
      const box = await frameBox(page);
      const middle = [box.x + box.width / 2, box.y + box.height / 2];
      const home = (await viewState(page)).zoom;
      await page.mouse.click(...middle);
      await page.waitForTimeout(400);
      const clicked = (await viewState(page)).zoom;
      if (o.clickToZoom) {
        assert.ok(clicked > home * 1.9, `click zoomed ${home} -> ${clicked}`);
        await settle(page);
        await page.keyboard.down('Shift');
        await page.mouse.click(...middle);
        await page.keyboard.up('Shift');
        await page.waitForTimeout(400);
        assert.ok(Math.abs((await viewState(page)).zoom - home) < home * 0.01, 'shift-click did not zoom out');
      } else {
        assert.equal(clicked, home);
      }
      assert.deepEqual(problems, []);
      await page.close();
    });
  }
});

describe('zooming and panning', { timeout: 120000 }, () => {
  test('the slider zooms down to the source pixels of the deepest level', async () => {
    const { page, problems, requests } = await open('all');
    const start = await viewState(page);
    assert.ok(start.max > start.min * 1.9, 'nothing to zoom into');
    await page.locator('#kv-zoom-slider').evaluate((s) => {
      s.value = s.max;
      s.dispatchEvent(new Event('input', { bubbles: true }));
    });
    await settle(page);
    const deep = await viewState(page);
    assert.ok(Math.abs(deep.zoom - deep.max) < deep.max * 1e-6);
    // The middle tile of level 3 (the source's own size) holds the centre.
    assert.ok(requests.some((r) => r.endsWith('/Images/3-2-1.jpg')), 'no tile of the deepest level');

    // One source pixel per screen pixel around the centre of the image.
    const box = await frameBox(page);
    const region = { x: Math.round(box.width / 2) - 100, y: Math.round(box.height / 2) - 75, width: 200, height: 150 };
    await page.screenshot({ path: shot('deep-frame.png'), clip: box });
    const seen = cropPicture(shot('deep-frame.png'), region, shot('deep-seen.png'));
    const crop = { x: Math.round(1025 / 2) - 100, y: Math.round(771 / 2) - 75, width: 200, height: 150 };
    const expected = sourceView(job.all.picture, crop, 200, 150, shot('deep-expected.png'));
    assert.ok(difference(seen, expected) < SAME);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('the pan and zoom buttons move the view and the slider follows the wheel', async () => {
    const { page, problems } = await open('all');
    await page.locator('#kv-zoom-in').click();
    await settle(page);
    const zoomed = await viewState(page);
    assert.ok(Math.abs(zoomed.zoom - zoomed.min * 2) < zoomed.min * 0.01);

    const moves = [['left', 'x', -1], ['right', 'x', 1], ['up', 'y', -1], ['down', 'y', 1]];
    for (const [dir, axis, sign] of moves) {
      const before = await viewState(page);
      await page.locator(`#kv-pan-${dir}`).click();
      await settle(page);
      const after = await viewState(page);
      assert.ok(sign * (after[axis] - before[axis]) > 0.01, `pan ${dir} did not move ${axis}`);
    }

    await page.locator('#kv-zoom-out').click();
    await settle(page);
    assert.equal(await page.locator('#kv-zoom-slider').inputValue(), '0');
    const box = await frameBox(page);
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.wheel(0, -400);
    await settle(page);
    assert.ok(Number(await page.locator('#kv-zoom-slider').inputValue()) > 0, 'slider stayed at the bottom');
    assert.deepEqual(problems, []);
    await page.close();
  });
});

describe('background music', { timeout: 120000 }, () => {
  test('loops, starts with the first interaction and can be muted', async () => {
    const { page, problems } = await open('all');
    const audio = page.locator('audio');
    assert.equal(await audio.count(), 1);
    assert.equal(await audio.evaluate((a) => a.loop), true);
    assert.match(await audio.evaluate((a) => a.src), /\/bgmusic\.mp3$/);
    assert.equal(await audio.evaluate((a) => a.paused), true, 'music started before any interaction');

    const box = await frameBox(page);
    await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    await page.waitForFunction(() => !document.querySelector('audio').paused, null, { timeout: 5000 });

    await page.locator('#kv-mute').click();
    assert.equal(await audio.evaluate((a) => a.muted), true);
    assert.equal(await page.locator('#kv-mute').getAttribute('aria-pressed'), 'true');
    await page.locator('#kv-mute').click();
    assert.equal(await audio.evaluate((a) => a.muted), false);
    assert.deepEqual(problems, []);
    await page.close();
  });

  // Where the browser would allow sound at once, the page still waits for
  // the visitor, as every browser that blocks it makes it wait.
  test('waits for the first interaction even where sound is allowed at once', async () => {
    const permissive = await launch({ extraArgs: ['--autoplay-policy=no-user-gesture-required'] });
    try {
      const { page } = await openViewer(permissive.context, fileUrl('all'));
      await page.waitForTimeout(500);
      assert.equal(await page.locator('audio').evaluate((a) => a.paused), true);
      await page.keyboard.press('ArrowRight');
      await page.waitForFunction(() => !document.querySelector('audio').paused, null, { timeout: 5000 });
    } finally {
      await permissive.close();
    }
  });

  test('a job without music has no sound at all', async () => {
    for (const name of ['none', 'navClick', 'sliderPan']) {
      const { page, problems, requests } = await open(name);
      assert.equal(await count(page, 'audio'), 0);
      assert.equal(await count(page, '#kv-mute'), 0);
      await page.mouse.click(10, 10);
      await page.waitForTimeout(200);
      assert.equal(requests.filter((r) => r.includes('bgmusic')).length, 0);
      assert.deepEqual(problems, []);
      await page.close();
    }
  });
});

// The viewer finds the tiles by the job's own level sizes, tile size and
// tile path: it asks for every tile the tool wrote, by its name, each the
// size it was cut.
describe('the tiles', () => {
  test('are the ones the tool wrote, each the size it was cut', async () => {
    const { page } = await open('all');
    const asked = await page.evaluate(() => {
      const source = window.KerfelViewer.viewer.world.getItemAt(0).source;
      const tiles = [];
      for (let level = source.minLevel; level <= source.maxLevel; level++) {
        const n = source.getNumTiles(level);
        for (let x = 0; x < n.x; x++) {
          for (let y = 0; y < n.y; y++) {
            const size = source.getTileBounds(level, x, y, true);
            tiles.push(`${decodeURIComponent(source.getTileUrl(level, x, y))} ${size.width} ${size.height}`);
          }
        }
      }
      return tiles;
    });
    const written = execFileSync('identify', ['-format', 'Images/%f %w %h\n', ...fs.readdirSync(
      path.join(job.all.folder, 'Images')).map((n) => path.join(job.all.folder, 'Images', n))], { encoding: 'utf8' });
    assert.deepEqual(asked.sort(), written.trim().split('\n').sort());
    await page.close();
  });

  // A layout whose paths name each tile's region of the full picture, filled
  // as the tool fills them (tests/unit/layout_test.cpp has the same paths).
  test('follow any layout\'s tile path', async () => {
    const { page } = await open('none');
    const urls = await page.evaluate(() => {
      const levels = [[63, 50], [125, 100], [250, 200], [500, 400], [1000, 800]];
      const source = window.KerfelViewer.tileSource({
        Width: 1000, Height: 800, name: 'a b', tileSize: 100, overlap: 0, levels,
        tilePath: '{x},{y},{w},{h}/{tw},{th}/0/{name}{nothing}.jpg'
      });
      return [source.getTileUrl(4, 9, 7), source.getTileUrl(2, 2, 0), source.getTileUrl(0, 0, 0)];
    });
    assert.deepEqual(urls, ['900,700,100,100/100,100/0/a%20b%7Bnothing%7D.jpg',
      '800,0,200,400/50,100/0/a%20b%7Bnothing%7D.jpg', '0,0,1000,800/63,50/0/a%20b%7Bnothing%7D.jpg']);
    await page.close();
  });
});
