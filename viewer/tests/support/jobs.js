'use strict';
// Test pictures and the job folders cut from them.
//
// A job is made by `kerfel make` when this build has it; otherwise it is cut
// here with ImageMagick by the same tile rules, with the descriptor written
// by hand and the page written by the tool's own viewer writer.
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync, spawnSync } = require('node:child_process');

const TILE_EDGE = 256;
const STOP_THRESHOLD = 98;

const repoRoot = path.resolve(__dirname, '..', '..', '..');

function buildDir() {
  return path.resolve(process.env.KERFEL_BUILD_DIR || path.join(repoRoot, 'build'));
}

function kerfel() {
  return path.join(buildDir(), 'kerfel');
}

function run(program, args) {
  const r = spawnSync(program, args, { encoding: 'utf8' });
  if (r.status !== 0) {
    throw new Error(`${program} ${args.join(' ')} failed (${r.status}): ${r.stderr || r.error}`);
  }
  return r.stdout;
}

function levelTable(width, height) {
  const levels = [{ width, height }];
  while (Math.floor(Math.max(levels[0].width, levels[0].height) / 2) >= STOP_THRESHOLD) {
    levels.unshift({ width: Math.floor(levels[0].width / 2), height: Math.floor(levels[0].height / 2) });
  }
  return levels;
}

const tilesOf = (l) => Math.ceil(l.width / TILE_EDGE) * Math.ceil(l.height / TILE_EDGE);

// Eight by six blocks of distinct colours: a tile drawn in the wrong place,
// or not at all, changes what a screenshot shows.
function makePicture(file, width, height) {
  const args = ['-size', `${width}x${height}`, 'xc:#808080'];
  const cols = 8;
  const rows = 6;
  for (let r = 0; r < rows; r++) {
    for (let c = 0; c < cols; c++) {
      const red = Math.round((c / (cols - 1)) * 230) + 10;
      const green = Math.round((r / (rows - 1)) * 230) + 10;
      const blue = ((c + r) % 2) * 200 + 30;
      const x0 = Math.floor((c * width) / cols);
      const y0 = Math.floor((r * height) / rows);
      const x1 = Math.floor(((c + 1) * width) / cols) - 1;
      const y1 = Math.floor(((r + 1) * height) / rows) - 1;
      args.push('-fill', `rgb(${red},${green},${blue})`, '-draw', `rectangle ${x0},${y0} ${x1},${y1}`);
    }
  }
  args.push('-quality', '95', file);
  run('convert', args);
  return file;
}

// About a second of silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz,
// mono): all-zero side information decodes as silence.
function makeSilentMp3(file) {
  const frameBytes = 417;
  const frames = 40;
  const data = Buffer.alloc(frameBytes * frames);
  for (let i = 0; i < frames; i++) data.set([0xff, 0xfb, 0x90, 0xc0], i * frameBytes);
  fs.writeFileSync(file, data);
  return file;
}

let makeAvailable;
function kerfelMakeAvailable() {
  if (makeAvailable === undefined) {
    const r = spawnSync(kerfel(), ['make'], { encoding: 'utf8' });
    makeAvailable = !/not available in this build/.test(r.stderr || '');
  }
  return makeAvailable;
}

function optionFlags(o) {
  return [
    o.smallMap && '--small-map',
    o.navigationScroll && '--navigation-scroll',
    o.zoomSlider && '--zoom-slider',
    o.clickToZoom && '--click-to-zoom',
  ].filter(Boolean);
}

let siteWriter;
function buildSiteWriter(workDir) {
  if (!siteWriter) {
    siteWriter = path.join(workDir, 'write-site');
    run('g++', ['-std=c++20', '-O1', '-I', path.join(repoRoot, 'src'),
      path.join(__dirname, 'write-site.cpp'), path.join(buildDir(), 'libkerfel_core.a'),
      '-o', siteWriter]);
  }
  return siteWriter;
}

function cutWithImageMagick(image, jobFolder, workDir, levelsToZoom, options, music) {
  const [width, height] = run('identify', ['-format', '%w %h', image]).trim().split(' ').map(Number);
  const levels = levelTable(width, height);
  const images = path.join(jobFolder, 'Images');
  fs.mkdirSync(images, { recursive: true });
  let picture = image;
  for (let l = levels.length - 1; l >= 0; l--) {
    const { width: w, height: h } = levels[l];
    if (l < levels.length - 1) {
      const next = path.join(workDir, `level-${l}.png`);
      run('convert', [picture, '-resize', `${w}x${h}!`, next]);
      picture = next;
    }
    const scratch = fs.mkdtempSync(path.join(workDir, 'cut-'));
    run('convert', [picture, '-crop', `${TILE_EDGE}x${TILE_EDGE}`, '+repage', '-quality', '70',
      path.join(scratch, 'tile-%d.jpg')]);
    const columns = Math.ceil(w / TILE_EDGE);
    for (let i = 0; i < tilesOf(levels[l]); i++) {
      const name = `${l}-${i % columns}-${Math.floor(i / columns)}.jpg`;
      fs.renameSync(path.join(scratch, `tile-${i}.jpg`), path.join(images, name));
    }
    fs.rmSync(scratch, { recursive: true });
  }
  const view = levels[levels.length - levelsToZoom];
  const bit = (b) => (b ? '1' : '0');
  const tiles = levels.reduce((sum, l) => sum + tilesOf(l), 0);
  fs.writeFileSync(path.join(jobFolder, 'ImageKerfel.xml'),
    `<Images Width="${width}" Height="${height}" Tiles="${tiles}" Copyright="test"` +
    ` viewHeight="${view.height}" viewWidth="${view.width}" showNav="${bit(options.smallMap)}"` +
    ` showSlider="${bit(options.zoomSlider)}" showpanButtons="${bit(options.navigationScroll)}"` +
    ` clicktoLorvak="${bit(options.clickToZoom)}" soundURL="${music ? 'bgmusic.mp3' : ''}"/>`);
  if (music) fs.copyFileSync(music, path.join(jobFolder, 'bgmusic.mp3'));
  const title = path.basename(image, path.extname(image));
  run(buildSiteWriter(workDir), [path.join(buildDir(), 'viewer'), jobFolder, title,
    width, height, tiles, view.width, view.height,
    bit(options.smallMap), bit(options.zoomSlider), bit(options.navigationScroll),
    bit(options.clickToZoom), bit(music)].map(String));
}

// Cuts `image` into OUT/<name>; returns the job folder.
function makeJob(image, outFolder, { levels = 1, options = {}, music = null, workDir }) {
  fs.mkdirSync(outFolder, { recursive: true });
  const jobFolder = path.join(outFolder, path.basename(image, path.extname(image)));
  if (kerfelMakeAvailable()) {
    const args = ['make', image, outFolder, '--levels', String(levels), ...optionFlags(options), '--quiet'];
    if (music) args.push('--music', music);
    run(kerfel(), args);
  } else {
    cutWithImageMagick(image, jobFolder, workDir, levels, options, music);
  }
  return jobFolder;
}

function kerfelInfo(image) {
  return JSON.parse(execFileSync(kerfel(), ['info', image, '--json'], { encoding: 'utf8' }));
}

module.exports = { makePicture, makeSilentMp3, makeJob, kerfelInfo, levelTable, buildDir };
