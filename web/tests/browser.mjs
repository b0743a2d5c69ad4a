// The page as a person meets it: served by python3's http.server on 127.0.0.1
// and shown by Debian's chromium, headless, driven by puppeteer-core.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

// Serves a folder on a free port; resolves to { url, stop }.
export function serve(folder) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1'], {
    cwd: folder,
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  const stop = () => {
    if (server.exitCode === null) server.kill();
  };
  return new Promise((resolve, reject) => {
    let said = '';
    const timer = setTimeout(() => {
      stop();
      reject(new Error(`http.server did not start: ${said}`));
    }, 20000);
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const port = /port (\d+)/.exec(said)?.[1];
      if (!port) return;
      clearTimeout(timer);
      resolve({ url: `http://127.0.0.1:${port}/`, stop });
    });
    server.stderr.on('data', () => {}); // one line per request
    server.on('exit', (code) => reject(new Error(`http.server ended with ${code}: ${said}`)));
  });
}

export const CHROMIUM_FLAGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

// A fresh profile each time; resolves to { browser, close }.
export async function launch(executablePath) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'velmor-chromium-'));
  const browser = await puppeteer.launch({
    executablePath,
    headless: true,
    userDataDir: profile,
    args: CHROMIUM_FLAGS,
    timeout: 90000, // a busy machine starts it slowly
  });
  const close = async () => {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { browser, close };
}

// What the canvas holds now, from row top down: the SHA-256 of its RGB bytes,
// whether every pixel is opaque, its size and the page's clock.
export function readCanvas(page, top = 0) {
  return page.evaluate(async (top) => {
    const canvas = document.getElementById('canvas');
    const width = canvas.width;
    const height = canvas.height - top;
    const rgba = canvas.getContext('2d').getImageData(0, top, width, height).data;
    const rgb = new Uint8Array(width * height * 3);
    let opaque = true;
    for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) {
      rgb[j] = rgba[i];
      rgb[j + 1] = rgba[i + 1];
      rgb[j + 2] = rgba[i + 2];
      opaque &&= rgba[i + 3] === 255;
    }
    const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', rgb));
    const hash = Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join('');
    return { hash, opaque, width, height: canvas.height, at: performance.now() };
  }, top);
}

// The canvas's RGB bytes, for a failure's message.
export async function canvasRgb(page) {
  const base64 = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const rgba = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < rgba.length; i += 4)
      text += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    return btoa(text);
  });
  return Buffer.from(base64, 'base64');
}

export const statusLine = (page) => page.$eval('#status', (e) => e.textContent);
export const endedShown = (page) =>
  page.$eval('#ended', (e) => !e.hidden && getComputedStyle(e).display !== 'none');
export const endedText = (page) => page.$eval('#ended-text', (e) => e.textContent);

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
