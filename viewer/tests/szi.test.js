'use strict';
// A job written as one archive (`kerfel make --szi`), shown by the page beside
// it from a web server that serves parts of files: the page reads the
// archive's end and central directory once, then each tile it draws, so a
// view fetches a small part of the archive, and zooming in fetches deeper
// tiles. The same from an archive with ZIP64 records (another writer's, with
// its limits lowered) and from another host that allows it (CORS), and plain
// words where the archive cannot be read: a page opened from disk, a host
// that sends whole files only.
const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');

const jobs = require('./support/jobs');
const { launch, openViewer, settle } = require('./support/browser');
const { startServer } = require('./support/static-server');

const WIDTH = 4000;
const HEIGHT = 3000;
const TOP_LEVEL = 12;  // Deep Zoom: 4000 pixels is level 12

// Every entry of an archive by the offset of its header, read by Python's
// own reader; and the same archive written again by Python with ZIP64
// records for every offset past 1000 bytes and for the count.
const ENTRIES = `import json, sys, zipfile
print(json.dumps({i.header_offset: i.filename for i in zipfile.ZipFile(sys.argv[1]).infolist()}))`;
const AS_ZIP64 = `import sys, zipfile
zipfile.ZIP64_LIMIT, zipfile.ZIP_FILECOUNT_LIMIT = 1000, 10
with zipfile.ZipFile(sys.argv[1]) as a, zipfile.ZipFile(sys.argv[2], 'w') as b:
    for info in a.infolist(): b.writestr(info, a.read(info))`;

let work;
let out;
let archive;
let entries;
let browser;
let server;

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'kerfel-szi-test-'));
  out = path.join(work, 'out');
  const picture = jobs.makePicture(path.join(work, 'harbour.jpg'), WIDTH, HEIGHT);
  // Shown 500 x 375 pixels large: level 4 of the levels list.
  archive = jobs.makeJob(picture, out, { layout: 'dzi', szi: true, levels: 4, options: { smallMap: true } });
  entries = JSON.parse(execFileSync('python3', ['-c', ENTRIES, archive], { encoding: 'utf8' }));
  execFileSync('python3', ['-c', AS_ZIP64, archive, path.join(out, 'harbour64.szi')]);
  const page = fs.readFileSync(path.join(out, 'index.html'), 'utf8');
  fs.writeFileSync(path.join(out, 'zip64.html'), page.replace('"archive":"harbour.szi"', '"archive":"harbour64.szi"'));
  browser = await launch();
  server = await startServer(out, { ranges: true });
});

after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  if (work && !process.env.KERFEL_KEEP_TEST_FILES) fs.rmSync(work, { recursive: true, force: true });
});

// What the page read of the archive since `from`: the entries (by the
// header each range starts at), and every request's bytes.
function readSince(from) {
  const asked = server.log.slice(from).filter((r) => r.url === '/harbour.szi');
  return { asked, names: asked.map((r) => entries[r.first]).filter(Boolean),
           bytes: asked.reduce((sum, r) => sum + r.bytes, 0) };
}

const levelOf = (name) => Number((name.match(/harbour_files\/(\d+)\//) || [])[1]);

describe('a job in one archive', { timeout: 180000 }, () => {
  test('drawn by range requests: its end, its directory, then the tiles of the view alone', async () => {
    const size = fs.statSync(archive).size;
    const { page, problems } = await openViewer(browser.context, `${server.url}/index.html`);
    assert.deepEqual(problems, []);
    const first = readSince(0);
    assert.ok(first.asked.every((r) => !r.whole), 'the whole archive was fetched');
    assert.equal(first.asked[0].last, size - 1, 'the first read is the end');
    assert.equal(first.asked[1].last, size - 23, 'the second read is not the directory, up to the 22-byte end');
    // Every other read is one tile (the navigator draws some of them too).
    const tiles = first.names;
    assert.equal(tiles.length, first.asked.length - 2);
    assert.ok(tiles.every((n) => /^harbour\/harbour_files\/\d+\/\d+_\d+\.jpg$/.test(n)), tiles.join(' '));
    assert.ok(first.bytes < size / 10, `${first.bytes} of ${size} bytes for the first view`);
    const shown = Math.max(...tiles.map(levelOf));
    assert.ok(shown < TOP_LEVEL, 'the whole picture was drawn from full-size tiles');

    // Zoomed into the middle: deeper tiles, read by range like the others.
    const mark = server.log.length;
    await page.evaluate(() => {
      const vp = window.KerfelViewer.viewer.viewport;
      vp.zoomTo(vp.getMaxZoom());
    });
    await settle(page);
    const zoomed = readSince(mark);
    assert.ok(zoomed.names.length > 0 && zoomed.names.length === zoomed.asked.length);
    assert.equal(Math.max(...zoomed.names.map(levelOf)), TOP_LEVEL);
    assert.ok(zoomed.bytes < size / 10, `${zoomed.bytes} of ${size} bytes when zoomed in`);
    assert.equal(await page.locator('.navigator').count(), 1);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('from an archive with ZIP64 records', async () => {
    const mark = server.log.length;
    const { page, problems } = await openViewer(browser.context, `${server.url}/zip64.html`);
    assert.deepEqual(problems, []);
    const asked = server.log.slice(mark).filter((r) => r.url === '/harbour64.szi');
    assert.ok(asked.length > 2 && asked.every((r) => !r.whole));
    await page.close();
  });

  test('from an archive on another host that lets the page read it by range', async () => {
    const other = await startServer(out, { ranges: true, cors: true });
    try {
      const page = fs.readFileSync(path.join(out, 'index.html'), 'utf8');
      fs.writeFileSync(path.join(out, 'elsewhere.html'),
        page.replace('"archive":"harbour.szi"', `"archive":"${other.url}/harbour.szi"`));
      const { page: shown, problems } = await openViewer(browser.context, `${server.url}/elsewhere.html`);
      assert.deepEqual(problems, []);
      assert.ok(other.log.filter((r) => r.url === '/harbour.szi' && !r.whole).length > 2);
      await shown.close();
    } finally {
      await other.close();
    }
  });

  test('says why where it cannot read the archive: from disk, or a host without range requests', async () => {
    const plain = await startServer(out);
    try {
      for (const [url, words] of [[`file://${out}/index.html`, 'web server'],
                                  [`${plain.url}/index.html`, 'does not serve range requests']]) {
        const page = await browser.context.newPage();
        await page.goto(url);
        const message = await page.locator('#kv-message').textContent();
        assert.ok(message.includes(words), message);
        assert.equal(await page.locator('.openseadragon-canvas').count(), 0);
        await page.close();
      }
      assert.ok(plain.log.filter((r) => r.url === '/harbour.szi').length <= 1, 'the whole archive was read');
    } finally {
      await plain.close();
    }
  });
});
