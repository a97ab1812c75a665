// What the browser tests share: the kelvo program and headless Chromium they drive, and
// starting and stopping `kelvo serve`.
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const chromiumPath = '/usr/bin/chromium';

export const program = process.env.KELVO_PROGRAM;
export const artifacts = process.env.KELVO_ARTIFACTS ?? join(tmpdir(), 'kelvo-browser-artifacts');

// Checks that the program, Chromium and playwright-core are there, then launches Chromium.
export async function launchBrowser() {
  assert.ok(program, 'KELVO_PROGRAM names the kelvo program');
  assert.ok(existsSync(chromiumPath), `${chromiumPath} is missing: install Debian's chromium`);
  assert.ok(existsSync(join(here, 'node_modules', 'playwright-core')),
    'playwright-core is missing: run `npm ci` in tests/browser');
  const { chromium } = await import('playwright-core');
  mkdirSync(artifacts, { recursive: true });
  return chromium.launch({
    executablePath: chromiumPath,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

// The responses of `page` that fail (status 400 and above), as "STATUS URL", and the errors its
// pages report (a script's, or a request the browser made of itself, such as the site's icon),
// as "error: TEXT", collected from now on into the array returned.
export function failedResponses(page) {
  const failed = [];
  page.on('response', (response) => {
    if (response.status() >= 400) failed.push(`${response.status()} ${response.url()}`);
  });
  page.on('console', (message) => {
    if (message.type() === 'error') failed.push(`error: ${message.text()}`);
  });
  page.on('pageerror', (error) => failed.push(`error: ${error.message}`));
  return failed;
}

// Starts `kelvo serve` with `args` in the folder `cwd` and resolves, once it prints the URL it
// listens on, with { url, process, exit } (exit: a promise of { code, signal }).
export function startServer(args, cwd) {
  const server = spawn(program, ['serve', ...args], { cwd, stdio: ['ignore', 'pipe', 'pipe'] });
  const exit = new Promise((resolve) => server.on('exit', (code, signal) => resolve({ code, signal })));
  server.stderr.resume();
  return new Promise((resolve, reject) => {
    let printed = '';
    const timer = setTimeout(() => {
      server.kill('SIGKILL');
      reject(new Error(`kelvo serve printed no URL: ${printed}`));
    }, 120_000);
    server.stdout.on('data', (chunk) => {
      printed += chunk;
      const match = printed.match(/at (http:\/\/127\.0\.0\.1:\d+\/)/);
      if (match) {
        clearTimeout(timer);
        resolve({ url: match[1], process: server, exit });
      }
    });
    server.on('exit', (code) => reject(new Error(`kelvo serve ended (${code}): ${printed}`)));
  });
}

// Stops a server that still runs with SIGTERM and resolves with its exit code (null when it
// had ended already).
export async function stopServer(server) {
  if (!server || server.process.exitCode !== null) return null;
  server.process.kill('SIGTERM');
  return (await server.exit).code;
}

// A new folder holding the SQLite database `databaseName`, made from `schema` with sqlite3, and a
// folder pages/ with the page files `pages` ({ 'NAME.toml': text }). Resolves with { workDir,
// database, pagesDir }.
export function makePageSite(prefix, databaseName, schema, pages) {
  const workDir = mkdtempSync(join(tmpdir(), prefix));
  const database = join(workDir, databaseName);
  const made = spawnSync('sqlite3', [database], { input: schema, encoding: 'utf8' });
  assert.equal(made.status, 0, `sqlite3 could not make the database: ${made.stderr}`);
  const pagesDir = join(workDir, 'pages');
  mkdirSync(pagesDir);
  for (const [name, text] of Object.entries(pages)) writeFileSync(join(pagesDir, name), text);
  return { workDir, database, pagesDir };
}

// What `sql` reads from the SQLite file `database`, as sqlite3 prints it: read beside the pages,
// not through them.
export function sqliteQuery(database, sql) {
  const result = spawnSync('sqlite3', [database, sql], { encoding: 'utf8' });
  assert.equal(result.status, 0, result.stderr);
  return result.stdout.trim();
}

// What `sql` reads through psql from the PostgreSQL database `connection` (a URI), unaligned
// and without headers.
export function postgresQuery(connection, sql) {
  const result = spawnSync('psql', ['-X', '-q', '-A', '-t', '-v', 'ON_ERROR_STOP=1', '-d', connection],
    { input: sql, encoding: 'utf8' });
  assert.equal(result.status, 0, result.stderr);
  return result.stdout.trim();
}

// Clicks `locator` on `page` and waits for the page the click opens.
export async function follow(page, locator) {
  await Promise.all([page.waitForLoadState('load'), page.waitForNavigation(), locator.click()]);
}
