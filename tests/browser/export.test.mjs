// The spreadsheet download as a person starts it, in headless Chromium: the export icon of the
// navigation bar gives a file with the grid's whole result, in the page's sort order, checked
// against the demo database read directly with sqlite3.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import { artifacts, failedResponses, launchBrowser, startServer, stopServer } from './harness.mjs';

let server;
let workDir;
let base;
let browser;
let page;
let failedRequests = [];

// Starts `kelvo serve` on a free port in a new folder, where it makes the demo database, and
// resolves with the URL it prints.
async function startDemoServer() {
  workDir = mkdtempSync(join(tmpdir(), 'kelvo-export-'));
  server = await startServer(['--port', '0'], workDir);
  return server.url;
}

// One column of the demo database's answer to `sql`, one value a line.
function queryDatabase(sql) {
  const result = spawnSync('sqlite3', [join(workDir, 'kelvo-demo.db'), sql], { encoding: 'utf8' });
  assert.equal(result.status, 0, `sqlite3 failed: ${result.stderr}`);
  return result.stdout.split('\n').filter((line) => line !== '');
}

// The grid whose navigation bar has the export icon of `tag`.
function grid(tag) {
  return page.locator('.KelvoGrid', { has: page.locator(`input[name="Vexmo${tag}ToExcel"]`) });
}

// The number of records the grid's top navigation bar reports: "Record (1..10) of 1500", or in
// the German page "Datensatz (1..20) von 240".
async function reportedCount(tag) {
  const text = (await grid(tag).locator('.KLVOTableNavBarTop').first().innerText()).replace(/\s+/g, ' ');
  const match = text.match(/\(\d+\.\.\d+\) \S+ (\d+)/);
  assert.ok(match, `no record count in "${text}"`);
  return Number(match[1]);
}

// Presses the export icon of grid `tag` and returns the download's suggested name and its table
// as the browser's HTML parser reads it: the header cells and the data rows' cell texts, trimmed
// (an empty value is written as a no-break space).
async function exportGrid(tag, name) {
  const urlBefore = page.url();
  const [download] = await Promise.all([
    page.waitForEvent('download'),
    page.locator(`input[name="Vexmo${tag}ToExcel"]`).first().click(),
  ]);
  const file = join(artifacts, `${name}.xls`);
  await download.saveAs(file);
  assert.equal(await download.failure(), null);
  // A download leaves the page where it was.
  assert.equal(page.url(), urlBefore);
  const html = readFileSync(file, 'utf8');
  assert.match(html, /^<meta http-equiv="Content-Type" content="text\/html; charset=utf-8">\r\n<table border=1>/);
  assert.match(html, /<\/table>$/, 'the export ends with its table closed');
  assert.doesNotMatch(html, /export is incomplete/);
  const reader = await browser.newPage();
  try {
    await reader.setContent(html);
    const table = await reader.evaluate(() => [...document.querySelectorAll('table tr')]
      .map((row) => [...row.cells].map((cell) => ({ header: cell.tagName === 'TH', text: cell.textContent.trim() }))));
    assert.ok(table.length > 0 && table[0].every((cell) => cell.header), 'the first row is the header');
    return {
      filename: download.suggestedFilename(),
      header: table[0].map((cell) => cell.text),
      rows: table.slice(1).map((row) => row.map((cell) => cell.text)),
    };
  } finally {
    await reader.close();
  }
}

before(async () => {
  assert.equal(spawnSync('sqlite3', ['-version']).status, 0, 'the sqlite3 program is missing');
  browser = await launchBrowser();
  base = await startDemoServer();
  page = await browser.newPage({ viewport: { width: 1280, height: 900 }, acceptDownloads: true });
  failedRequests = failedResponses(page);
});

after(async () => {
  await browser?.close();
  const code = await stopServer(server);
  if (code !== null) assert.equal(code, 0, 'kelvo serve stops cleanly on SIGTERM');
  if (workDir) rmSync(workDir, { recursive: true, force: true });
});

test('the export icon downloads every product, not just the page shown', async () => {
  await page.goto(`${base}products`);
  const reported = await reportedCount('prod');
  assert.equal(String(reported), queryDatabase('SELECT COUNT(*) FROM products')[0]);
  assert.equal(await grid('prod').locator('tr.KLVOTableTRodd, tr.KLVOTableTReven').count(), 20);

  const exported = await exportGrid('prod', 'products');
  assert.equal(exported.filename, 'KelvoExcelExport.xls');
  // Field names as the query gives them, not the page's captions.
  assert.deepEqual(exported.header, ['category', 'name', 'price', 'in_stock', 'added', 'description']);
  assert.equal(exported.rows.length, reported);
  assert.ok(exported.rows.every((row) => row.length === 6));
  assert.deepEqual(exported.rows.map((row) => row[1]),
    queryDatabase('SELECT name FROM products ORDER BY category, name'));
  assert.deepEqual(exported.rows.map((row) => row[0]),
    queryDatabase('SELECT category FROM products ORDER BY category, name'));
  // The price column goes through the page's currency format, in the page's German locale.
  const [firstPrice] = queryDatabase("SELECT printf('%.2f', price) FROM products ORDER BY category, name LIMIT 1");
  assert.equal(exported.rows[0][2], `${firstPrice.replace('.', ',')} €`);

  // The grid still works after the download.
  await Promise.all([page.waitForNavigation(), page.locator('input[name="VexmoprodNEXT"]').first().click()]);
  assert.match(await grid('prod').locator('.KLVOTableNavBarTop').first().innerText(), /\(21\.\.40\)/);
});

test('the export follows the sort order chosen on the page and leaves hidden columns out', async () => {
  await page.goto(`${base}customers`);
  await Promise.all([page.waitForNavigation(),
    page.locator('a.KLVOTableTH', { hasText: /^Name$/ }).click()]);
  const reported = await reportedCount('1');
  assert.equal(String(reported), queryDatabase('SELECT COUNT(*) FROM customers')[0]);

  const exported = await exportGrid('1', 'customers-by-name');
  assert.equal(exported.filename, 'KelvoExcelExport.xls');
  assert.deepEqual(exported.header,
    ['id', 'name', 'email', 'city', 'country', 'credit_limit', 'vip', 'joined']);
  assert.equal(exported.rows.length, reported);
  assert.deepEqual(exported.rows.map((row) => row[1]), queryDatabase('SELECT name FROM customers ORDER BY name'));
  // Every row is a whole record: its id, e-mail and city belong together.
  const byId = new Map(queryDatabase("SELECT id || '|' || ifnull(email, '') || '|' || city FROM customers")
    .map((line) => [line.split('|')[0], line]));
  for (const row of exported.rows) {
    assert.equal(`${row[0]}|${row[2]}|${row[3]}`, byId.get(row[0]));
  }
  assert.deepEqual(failedRequests, []);
});
