// Values in the edit form as a person types and sees them, in headless Chromium on a de-DE
// server: numbers in the locale's notation, a text area that starts with a line break, a value a
// form cannot carry, and an add form's list that nobody has chosen from yet. The page and its
// SQLite database are made here.
import assert from 'node:assert/strict';
import { rmSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import {
  artifacts, follow, launchBrowser, makePageSite, sqliteQuery, startServer, stopServer,
} from './harness.mjs';

const schema = `
CREATE TABLE teams (code VARCHAR(10) PRIMARY KEY, label VARCHAR(40) NOT NULL);
INSERT INTO teams VALUES ('red', 'Red team'), ('blue', 'Blue team');
CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL,
                    team VARCHAR(10) NOT NULL, price DOUBLE PRECISION, memo TEXT, raw TEXT);
INSERT INTO items VALUES (1, 'Lamp', 'red', 2.5, char(10) || 'first', 'a' || char(0) || 'b');
`;

const pageFile = `
title = "Items"

[[grid]]
sql = "SELECT id, name, team, price, memo, raw FROM items"
EditOptions = "ALL"
EditPrimaryKeys = "id"
EditNewPKStatement = "autoincrement"
EditFieldsReadOnly = "id"

[[grid.AddEditLookup]]
FieldName = "team"
LookupTable = "teams"
LinkField = "code"
DisplayField = "label"
OrderBy = "label"
AllowNulls = false
`;

let server;
let workDir;
let base;
let browser;
let page;

const query = (sql) => sqliteQuery(join(workDir, 'items.db'), sql);
const go = (locator) => follow(page, locator);

const statusBar = () => page.locator('.KelvoEditBtnBar').first();
const save = () => page.locator('.KelvoEditBtnBar input[name="Vexmo1FormUpdate"]');

async function openEdit() {
  await page.goto(`${base}items`);
  await go(page.locator('table.KLVOTable td a').first());
  await go(page.locator('input[name="Vexmo1FormEdit"]'));
  await page.locator('table.KLVOTableFormDataEdit').first().waitFor();
}

before(async () => {
  browser = await launchBrowser();
  const site = makePageSite('kelvo-form-values-', 'items.db', schema, { 'items.toml': pageFile });
  workDir = site.workDir;
  server = await startServer(['--pages', site.pagesDir, '--db', site.database, '--port', '0',
    '--locale', 'de-DE'], workDir);
  base = server.url;
  page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
});

after(async () => {
  await browser?.close();
  await stopServer(server);
  if (workDir) rmSync(workDir, { recursive: true, force: true });
});

test('numbers are read as the locale writes them, and anything else is refused', async () => {
  await openEdit();
  const price = page.locator('[name="Vexmo1_Form_price"]');
  assert.equal(await price.inputValue(), '2,5');
  await price.fill('1.500,25');
  await go(save());
  assert.match(await statusBar().innerText(), /\[Record saved ok\]/);
  assert.equal(query('SELECT price FROM items WHERE id = 1'), '1500.25');
  await openEdit();
  await page.locator('[name="Vexmo1_Form_price"]').fill('1.5');
  await go(save());
  assert.match(await statusBar().innerText(), /1\.5 is not a number/);
  assert.equal(query('SELECT price FROM items WHERE id = 1'), '1500.25');
});

test('a text area keeps its leading line break, and a value no form carries stays', async () => {
  await openEdit();
  const memo = page.locator('[name="Vexmo1_Form_memo"]');
  assert.equal(await memo.inputValue(), '\nfirst');
  await memo.press('Control+End');
  await memo.pressSequentially(' more');
  const raw = page.locator('[name="Vexmo1_Form_raw"]');
  assert.ok(await raw.isDisabled(), 'the value holding a NUL is read-only');
  assert.match(await raw.locator('xpath=..').innerText(), /holds characters a web form cannot send/);
  await page.screenshot({ path: join(artifacts, 'form-values-uncarried.png'), fullPage: true });
  await go(save());
  assert.match(await statusBar().innerText(), /\[Record saved ok\]/);
  assert.equal(query('SELECT hex(memo), hex(raw) FROM items WHERE id = 1'),
    `${Buffer.from('\r\nfirst more').toString('hex').toUpperCase()}|610062`);
});

test("an add form's list starts unchosen and must be chosen", async () => {
  await page.goto(`${base}items`);
  await go(page.locator('a.KelvoInputBtn', { hasText: 'Add' }).first());
  const team = page.locator('[name="Vexmo1_Form_team"]');
  assert.equal(await team.inputValue(), '');
  await page.locator('[name="Vexmo1_Form_name"]').fill('Desk');
  await go(save());
  assert.match(await statusBar().innerText(), /Fill out all required fields/);
  assert.equal(query('SELECT COUNT(*) FROM items'), '1');
  await page.locator('[name="Vexmo1_Form_team"]').selectOption({ label: 'Blue team' });
  await go(save());
  assert.match(await statusBar().innerText(), /\[New record saved ok\]/);
  assert.equal(query("SELECT team FROM items WHERE name = 'Desk'"), 'blue');
});
