// Every demo page and table-browser page, in each state a person meets it (grid, sorted deep
// page, record view, edit form, failed save, add form), checked by axe-core at a desktop and a
// phone size and by the Nu HTML Checker on the bytes served; a screenshot of each is kept in the
// browser artifacts.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import { artifacts, failedResponses, launchBrowser, startServer, stopServer } from './harness.mjs';

const require = createRequire(import.meta.url);
const axePath = require.resolve('axe-core/axe.min.js');
const validatorJar = join(require.resolve('vnu-jar/package.json'), '..', 'build', 'dist', 'vnu.jar');

const viewports = [
  { name: 'desktop', width: 1280, height: 800 },
  { name: 'phone', width: 390, height: 844 },
];

let browser;
let workDir;
let servedFolder;
const servers = [];
// The pages checked, as { name, file } of the bytes served, for the validator at the end.
const served = [];
// What axe-core found, one line per violation and page size, reported by each test at its end.
let found = [];

before(async () => {
  browser = await launchBrowser();
  workDir = mkdtempSync(join(tmpdir(), 'kelvo-a11y-'));
  servedFolder = join(artifacts, 'accessibility');
  rmSync(servedFolder, { recursive: true, force: true });
  mkdirSync(servedFolder, { recursive: true });
});

after(async () => {
  await browser?.close();
  for (const server of servers) await stopServer(server);
  if (workDir) rmSync(workDir, { recursive: true, force: true });
});

// The axe-core violations on `page`, one line each with the elements at fault.
async function axeViolations(page) {
  await page.addScriptTag({ path: axePath });
  const violations = await page.evaluate(async () => (await globalThis.axe.run(document)).violations);
  return violations.map((v) => `${v.id} (${v.impact}): ${v.help}\n    ${
    v.nodes.slice(0, 4).map((n) => n.target.join(' ')).join('\n    ')}`);
}

// Keeps the bytes of `response`, the page now shown, and checks it at both sizes.
async function check(page, name, response) {
  assert.ok(response, `${name}: the page answered`);
  assert.equal(response.status(), 200, `${name}: status`);
  const file = join(servedFolder, `${name}.html`);
  writeFileSync(file, await response.text());
  served.push({ name, file });
  for (const viewport of viewports) {
    await page.setViewportSize({ width: viewport.width, height: viewport.height });
    await page.screenshot({ path: join(artifacts, `a11y-${name}-${viewport.name}.png`), fullPage: true });
    // A grid may scroll sideways in its box; a single record's form must fit the screen.
    if (/-(record|edit|failed-save|add)$/.test(name)) {
      const overflow = await page.evaluate(() => Array.from(document.querySelectorAll('.KelvoGrid'))
        .map((box) => box.scrollWidth - box.clientWidth).filter((extra) => extra > 0));
      if (overflow.length) found.push(`${name} ${viewport.name} the form is wider than its box by ${overflow} px`);
    }
    for (const line of await axeViolations(page)) found.push(`${name} ${viewport.name} ${line}`);
  }
  await page.setViewportSize(viewports[0]);
}

// Opens `url` and checks it.
async function open(page, name, url) {
  await check(page, name, await page.goto(url));
}

// Clicks `locator`, waits for the page it opens and checks that.
async function follow(page, name, locator) {
  const [response] = await Promise.all([page.waitForNavigation(), locator.click()]);
  await page.waitForLoadState('load');
  await check(page, name, response);
}

const rowLink = (page, row) => page
  .locator('table.KLVOTable tr.KLVOTableTRodd, table.KLVOTable tr.KLVOTableTReven')
  .nth(row).locator('td').first().locator('a');

// A grid, sorted by a heading and paged deep, then a record of it.
async function walkGrid(page, prefix, url, heading) {
  await open(page, `${prefix}-grid`, url);
  await Promise.all([page.waitForNavigation(), page.locator('th a', { hasText: heading }).first().click()]);
  await Promise.all([page.waitForNavigation(), page.locator('input[name$="NEXT"]').first().click()]);
  await follow(page, `${prefix}-sorted-deep`, page.locator('input[name$="NEXT"]').first());
  await follow(page, `${prefix}-record`, rowLink(page, 1));
}

// From the record view shown: its edit form, a save that fails for an empty required field,
// and the grid's add form.
async function walkEdit(page, prefix, url, required) {
  await follow(page, `${prefix}-edit`, page.locator('input[name="Vexmo1FormEdit"]'));
  await page.locator(`[name="${required}"]`).fill('');
  await follow(page, `${prefix}-failed-save`,
    page.locator('.KelvoEditBtnBar input[name="Vexmo1FormUpdate"]'));
  await page.goto(url);
  await follow(page, `${prefix}-add`, page.locator('a.KelvoInputBtn', { hasText: 'Add' }).first());
}

test('demo pages', async () => {
  const server = await startServer(['--port', '0'], workDir);
  servers.push(server);
  const page = await browser.newPage({ viewport: viewports[0] });
  const failed = failedResponses(page);
  found = [];
  await open(page, 'demo-index', server.url);
  await walkGrid(page, 'demo-orders', `${server.url}orders`, 'Customer');
  await open(page, 'demo-events', `${server.url}events`);
  await open(page, 'demo-products', `${server.url}products`);
  await open(page, 'demo-shipping', `${server.url}shipping`);
  await walkGrid(page, 'demo-customers', `${server.url}customers`, 'Name');
  await walkEdit(page, 'demo-customers', `${server.url}customers`, 'Vexmo1_Form_name');
  assert.deepEqual(failed, [], 'no failed responses');
  await page.close();
  assert.deepEqual(found, [], 'axe-core finds no violations');
});

test('table browser pages', async () => {
  const database = join(workDir, 'kelvo-demo.db');
  const server = await startServer(['--db', database, '--edit', '--port', '0'], workDir);
  servers.push(server);
  const page = await browser.newPage({ viewport: viewports[0] });
  const failed = failedResponses(page);
  found = [];
  await open(page, 'browser-index', server.url);
  await walkGrid(page, 'browser-customers', `${server.url}table/customers`, 'name');
  await walkEdit(page, 'browser-customers', `${server.url}table/customers`, 'Vexmo1_Form_name');
  assert.deepEqual(failed, [], 'no failed responses');
  await page.close();
  assert.deepEqual(found, [], 'axe-core finds no violations');
});

test('the Nu HTML Checker finds no errors', () => {
  assert.ok(served.length > 0, 'pages were checked');
  const result = spawnSync('java', ['-jar', validatorJar, '--format', 'json', '--errors-only',
    ...served.map((s) => s.file)], { encoding: 'utf8', maxBuffer: 64 * 1024 * 1024 });
  assert.ok(result.stderr.trim().startsWith('{'), `the checker ran: ${result.error ?? result.stderr}`);
  const messages = JSON.parse(result.stderr).messages.filter((m) => m.type === 'error');
  const lines = messages.map((m) => `${m.url.replace(/^.*\//, '')}:${m.lastLine}: ${m.message}  [${
    (m.extract ?? '').replace(/\s+/g, ' ').slice(0, 120)}]`);
  assert.deepEqual(lines, [], 'the checker finds no errors');
});
