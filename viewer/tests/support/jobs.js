'use strict';
// Test pictures and the job folders `kerfel make` cuts from them.
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');

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

function optionFlags(o) {
  return [
    o.smallMap && '--small-map',
    o.navigationScroll && '--navigation-scroll',
    o.zoomSlider && '--zoom-slider',
    o.clickToZoom && '--click-to-zoom',
  ].filter(Boolean);
}

// Cuts `image` into OUT/<name>; returns the job folder.
// With `szi`, the job is one archive, OUT/<name>.szi, beside the page.
function makeJob(image, outFolder, { levels = 1, options = {}, music = null, layout = null, id = null, szi = false }) {
  fs.mkdirSync(outFolder, { recursive: true });
  const args = ['make', image, outFolder, '--levels', String(levels), ...optionFlags(options), '--quiet'];
  if (music) args.push('--music', music);
  if (layout) args.push('--layout', layout);
  if (id) args.push('--id', id);
  if (szi) args.push('--szi');
  run(kerfel(), args);
  return path.join(outFolder, path.basename(image, path.extname(image)) + (szi ? '.szi' : ''));
}

module.exports = { makePicture, makeSilentMp3, makeJob, buildDir };
