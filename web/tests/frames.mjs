// The frames that the page must show: velmor-capture runs the same program on
// the in-memory backend and writes every presented frame as a PNG; a frame is
// known by the SHA-256 of its RGB bytes, which the page computes the same way.
import { spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import { PNG } from 'pngjs';

export function sha256(bytes) {
  return createHash('sha256').update(bytes).digest('hex');
}

// Rows from a third of the height down lie below any notice that the program
// prints under the frame counter (its font grows with the picture).
export const lowerRows = (height) => Math.floor(height / 3);

export function rgbOf(png) {
  const rgb = Buffer.alloc(png.width * png.height * 3);
  for (let i = 0, j = 0; i < png.data.length; i += 4, j += 3) {
    rgb[j] = png.data[i];
    rgb[j + 1] = png.data[i + 1];
    rgb[j + 2] = png.data[i + 2];
  }
  return rgb;
}

// Runs velmor-capture in a folder of its own holding Font.bmp, Z_Test.3ds and
// any other files given; extra arguments go before --frames. Returns
// { status, stderr, frames, lower, size, folder }: frames maps the hash of a
// whole frame to its number, lower the hash of its rows from lowerRows down
// to the first frame that has them, size is the frames' WxH.
export function capture({ tool, work, name, files, args = [], count }) {
  const folder = path.join(work, name);
  const run = path.join(folder, 'run');
  const out = path.join(folder, 'frames');
  fs.mkdirSync(run, { recursive: true });
  for (const file of files) fs.copyFileSync(file, path.join(run, path.basename(file)));
  const result = spawnSync(tool, [...args, '--frames', String(count), '--out', out], {
    cwd: run,
    encoding: 'utf8',
    timeout: 120000,
  });
  const frames = new Map();
  const lower = new Map();
  let size = '';
  if (fs.existsSync(out)) {
    for (const file of fs.readdirSync(out).sort()) {
      const number = Number(/^frame_(\d+)\.png$/.exec(file)?.[1]);
      const png = PNG.sync.read(fs.readFileSync(path.join(out, file)));
      const rgb = rgbOf(png);
      frames.set(sha256(rgb), number);
      const below = sha256(rgb.subarray(lowerRows(png.height) * png.width * 3));
      if (!lower.has(below)) lower.set(below, number);
      size = `${png.width}x${png.height}`;
    }
  }
  return { status: result.status, stderr: result.stderr ?? '', frames, lower, size, folder: out };
}

// How near the closest captured frame comes to a picture: the fewest pixels
// that differ, for a failure's message.
export function closest(rgb, folder) {
  let best = { pixels: Infinity, file: null };
  for (const file of fs.readdirSync(folder)) {
    const frame = rgbOf(PNG.sync.read(fs.readFileSync(path.join(folder, file))));
    if (frame.length !== rgb.length) continue;
    let differing = 0;
    for (let i = 0; i < rgb.length; i += 3)
      differing += rgb[i] !== frame[i] || rgb[i + 1] !== frame[i + 1] || rgb[i + 2] !== frame[i + 2];
    if (differing < best.pixels) best = { pixels: differing, file };
  }
  return best;
}
