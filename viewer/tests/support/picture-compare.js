'use strict';
// Compares a screenshot with the source picture scaled to the same size.
const { spawnSync } = require('node:child_process');

const run = (program, args) => spawnSync(program, args, { encoding: 'utf8' });

// Normalised root-mean-square difference (0 same, 1 opposite) between two
// pictures of the same size.
function difference(a, b) {
  const r = run('compare', ['-metric', 'RMSE', a, b, 'null:']);
  const m = /\(([\d.e-]+)\)/.exec(r.stderr);
  if (!m) throw new Error(`compare ${a} ${b}: ${r.stderr}`);
  return Number(m[1]);
}

// `crop` of the source (or all of it), scaled to width x height and
// optionally mirrored, written to `out`.
function sourceView(source, crop, width, height, out, { mirror = false } = {}) {
  const args = [source];
  if (crop) args.push('-crop', `${crop.width}x${crop.height}+${crop.x}+${crop.y}`, '+repage');
  args.push('-resize', `${width}x${height}!`);
  if (mirror) args.push('-flop');
  args.push(out);
  const r = run('convert', args);
  if (r.status !== 0) throw new Error(`convert: ${r.stderr}`);
  return out;
}

function cropPicture(file, box, out) {
  const r = run('convert', [file, '-crop', `${box.width}x${box.height}+${box.x}+${box.y}`, '+repage', out]);
  if (r.status !== 0) throw new Error(`convert: ${r.stderr}`);
  return out;
}

module.exports = { difference, sourceView, cropPicture };
