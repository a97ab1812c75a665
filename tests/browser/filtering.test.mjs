// Finding rows as a person does, in headless Chromium: search with Enter, add a column filter,
// click a facet, page on, open a record and return to the list, and export; at every step the
// rows shown are those the SQLite database gives for the same conditions.
import assert from 'node:assert/strict';
import { readFileSync, rmSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import {
  artifacts, failedResponses, follow, launchBrowser, makePageSite, sqliteQuery, startServer,
  stopServer,
} from './harness.mjs';

const cities = ['Oslo', 'Bergen', 'Oslo', 'Tromsø', 'Oslo', 'Bergen'];
const values = [];
for (let id = 1; id <= 90; ++id) {
  values.push(`(${id}, 'Item ${id % 3 === 0 ? 'Special' : 'plain'} ${id}', '${cities[id % 6]}', ${id % 13})`);
}
const schema = `
CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(40), city VARCHAR(20), qty INTEGER);
INSERT INTO items VALUES ${values.join(', ')};
`;

const pageFile = `
title = "Items"

[[grid]]
sql = "SELECT id, name, city, qty FROM items"
EditPrimaryKeys = "id"
OrderByFields = "id"
RecordsPerPage = 5
DisplayNavBar = "both"
SearchFields = "name"
FilterFields = "qty"
FacetFields = "city"
`;

let server;
let workDir;
let base;
let browser;
let page;
let failed;

const query = (sql) => sqliteQuery(join(workDir, 'items.db'), sql);
const ids = (sql) => query(sql).split('\n').filter((line) => line !== '');

const rows = () => page.locator('table.KLVOTable tr.KLVOTableTRodd, table.KLVOTable tr.KLVOTableTReven');
// The id column (after the index column) of the rows shown.
async function shownIds() {
  const found = [];
  for (let i = 0; i < (await rows().count()); ++i) {
    found.push((await rows().nth(i).locator('td').nth(1).innerText()).trim());
  }
  return found;
}
async function reportedCount() {
  const text = (await page.locator('.KLVOTableNavBarTop').first().innerText()).replace(/\s+/g, ' ');
  const match = text.match(/\(\d+\.\.\d+\) of (\d+)/);
  assert.ok(match, `no record count in "${text}"`);
  return Number(match[1]);
}
async function shot(name) {
  await page.screenshot({ path: join(artifacts, `${name}.png`), fullPage: true });
}

before(async () => {
  browser = await launchBrowser();
  const site = makePageSite('kelvo-filtering-', 'items.db', schema, { 'items.toml': pageFile });
  workDir = site.workDir;
  server = await startServer(['--pages', site.pagesDir, '--db', site.database, '--port', '0'], workDir);
  base = server.url;
  page = await browser.newPage({ viewport: { width: 1280, height: 900 }, acceptDownloads: true });
  failed = failedResponses(page);
});

after(async () => {
  await browser?.close();
  await stopServer(server);
  if (workDir) rmSync(workDir, { recursive: true, force: true });
});

test('search, filter, facet, page, record and export agree with the database', async () => {
  await page.goto(`${base}items`);
  // Search: typed into the labelled box, sent with Enter.
  await page.getByLabel('Search', { exact: true }).fill('special');
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  let where = "name LIKE '%special%'";
  assert.equal(await reportedCount(), Number(query(`SELECT COUNT(*) FROM items WHERE ${where}`)));
  assert.deepEqual(await shownIds(), ids(`SELECT id FROM items WHERE ${where} ORDER BY id LIMIT 5`));

  // A column filter: qty from 4.
  await page.locator('select[name="Vexmo1Filter4Op"]').selectOption('from');
  await page.locator('input[name="Vexmo1Filter4"]').fill('4');
  await follow(page, page.locator('.KelvoSearch input[type="submit"]'));
  where += ' AND qty >= 4';
  assert.equal(await reportedCount(), Number(query(`SELECT COUNT(*) FROM items WHERE ${where}`)));
  assert.deepEqual(await shownIds(), ids(`SELECT id FROM items WHERE ${where} ORDER BY id LIMIT 5`));

  // A facet: its count is the database's under the search and filter; the link adds it.
  const oslo = page.locator('.KelvoFacet a', { hasText: /^Oslo$/ });
  const facetText = await page.locator('.KelvoFacet').innerText();
  assert.match(facetText, new RegExp(`Oslo\\s\\(${query(`SELECT COUNT(*) FROM items WHERE ${where} AND city = 'Oslo'`)}\\)`));
  await shot('filtering-facets');
  await follow(page, oslo);
  where += " AND city = 'Oslo'";
  const total = Number(query(`SELECT COUNT(*) FROM items WHERE ${where}`));
  assert.ok(total > 5, 'the view has a second page');
  assert.equal(await reportedCount(), total);
  assert.equal(await page.getByLabel('Search', { exact: true }).inputValue(), 'special');

  // The next page.
  await follow(page, page.locator('input[name="Vexmo1NEXT"]').first());
  const second = ids(`SELECT id FROM items WHERE ${where} ORDER BY id LIMIT 5 OFFSET 5`);
  assert.deepEqual(await shownIds(), second);

  // A record of that page, then back to the list.
  await follow(page, rows().nth(0).locator('td').first().locator('a'));
  const form = await page.locator('table.KLVOTableFormDataView').first().innerText();
  assert.match(form, new RegExp(query(`SELECT name FROM items WHERE id = ${second[0]}`)));
  assert.match(await page.locator('.KLVOTableNavBarTop').first().innerText(), new RegExp(`6 of ${total}`));
  await follow(page, page.locator('a.KLVOTableNavBar', { hasText: 'List' }).first());
  assert.deepEqual(await shownIds(), second);
  assert.equal(await reportedCount(), total);

  // "link to this view" reaches the same rows by itself.
  const link = await page.locator('a.KelvoViewLink').getAttribute('href');
  const other = await browser.newPage();
  await other.goto(new URL(link, page.url()).href);
  assert.equal((await other.locator('table.KLVOTable tr.KLVOTableTRodd td').nth(1).innerText()).trim(), second[0]);
  await other.close();

  // The export holds every row of the view, in its order.
  const [download] = await Promise.all([
    page.waitForEvent('download'),
    page.locator('input[name="Vexmo1ToExcel"]').first().click(),
  ]);
  const file = join(artifacts, 'filtering.xls');
  await download.saveAs(file);
  const html = readFileSync(file, 'utf8');
  const exported = [...html.matchAll(/<tr>\r\n<td [^>]*>(\d+)<\/td>/g)].map((match) => match[1]);
  assert.deepEqual(exported, ids(`SELECT id FROM items WHERE ${where} ORDER BY id`));

  // Clearing the filters shows every row again.
  await follow(page, page.locator('a.KelvoClearFilters'));
  assert.equal(await reportedCount(), 90);
  assert.deepEqual(failed, []);
});

test('a search finds letters of any script whatever their case', async () => {
  query("INSERT INTO items VALUES (91, 'Ærlig Ørn', 'Tromsø', 1)");
  try {
    await page.goto(`${base}items`);
    await page.getByLabel('Search', { exact: true }).fill('ærlig ØRN');
    await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
    assert.deepEqual(await shownIds(), ['91']);
  } finally {
    query('DELETE FROM items WHERE id = 91');
  }
  assert.deepEqual(failed, []);
});
