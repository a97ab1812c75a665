// Editing records as a person does, in headless Chromium: open a record, edit and save, add
// one, delete with the confirmation accepted and dismissed, leave a required field empty, and
// pick a value from a lookup list. The page and its SQLite database are made here.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import { artifacts, launchBrowser, startServer, stopServer } from './harness.mjs';

const schema = `
CREATE TABLE teams (code VARCHAR(10) PRIMARY KEY, label VARCHAR(40) NOT NULL);
INSERT INTO teams VALUES ('red', 'Red team'), ('blue', 'Blue team'), ('green', 'Green team');
CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL, team VARCHAR(10),
                     score INTEGER, note TEXT);
INSERT INTO people VALUES (1, 'Ann', 'red', 10, 'first'), (2, 'Bob', 'blue', 20, NULL),
                          (3, 'Cy', 'green', 30, 'Tom & Jerry <3');
`;

const pageFile = `
title = "People"

[[grid]]
sql = "SELECT id, name, team, score, note FROM people"
EditOptions = "ALL"
EditPrimaryKeys = "id"
EditNewPKStatement = "autoincrement"
EditFieldsReadOnly = "id"
DeleteSQL = "DELETE FROM people"
EditConfirmDeleteString = "Delete this person for good?"

[[grid.AddEditLookup]]
FieldName = "team"
LookupTable = "teams"
LinkField = "code"
DisplayField = "label"
OrderBy = "label"
AllowNulls = true
`;

let server;
let workDir;
let base;
let browser;
let page;

async function startPeopleServer() {
  workDir = mkdtempSync(join(tmpdir(), 'kelvo-editing-'));
  const database = join(workDir, 'people.db');
  const made = spawnSync('sqlite3', [database], { input: schema, encoding: 'utf8' });
  assert.equal(made.status, 0, `sqlite3 could not make the database: ${made.stderr}`);
  mkdirSync(join(workDir, 'pages'));
  writeFileSync(join(workDir, 'pages', 'people.toml'), pageFile);
  server = await startServer(['--pages', join(workDir, 'pages'), '--db', database, '--port', '0'],
    workDir);
  return server.url;
}

// What the database holds, read with sqlite3 rather than through the pages.
function query(sql) {
  const result = spawnSync('sqlite3', [join(workDir, 'people.db'), sql], { encoding: 'utf8' });
  assert.equal(result.status, 0, result.stderr);
  return result.stdout.trim();
}

async function shot(name) {
  await page.screenshot({ path: join(artifacts, `${name}.png`), fullPage: true });
}

async function go(locator) {
  await Promise.all([page.waitForLoadState('load'), page.waitForNavigation(), locator.click()]);
}

const rows = () => page.locator('table.KLVOTable tr.KLVOTableTRodd, table.KLVOTable tr.KLVOTableTReven');
const statusBar = () => page.locator('.KelvoEditBtnBar').first();

// The record view of grid row `row` (from 0), then its edit form.
async function openEdit(row) {
  await page.goto(`${base}people`);
  await go(rows().nth(row).locator('td').first().locator('a'));
  await go(page.locator('input[name="Vexmo1FormEdit"]'));
  await page.locator('table.KLVOTableFormDataEdit').first().waitFor();
}

before(async () => {
  browser = await launchBrowser();
  base = await startPeopleServer();
  page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
});

after(async () => {
  await browser?.close();
  await stopServer(server);
  if (workDir) rmSync(workDir, { recursive: true, force: true });
});

test('open a record, edit and save', async () => {
  await openEdit(0);
  assert.equal(await page.locator('#Vexmo1_Form_name').inputValue(), 'Ann');
  assert.ok(await page.locator('#Vexmo1_Form_id').isDisabled(), 'the read-only key is disabled');
  await page.locator('#Vexmo1_Form_name').fill('Ann Smith');
  await page.locator('#Vexmo1_Form_score').fill('11');
  await go(page.locator('input[name="Vexmo1FormUpdate"]'));
  assert.match(await statusBar().innerText(), /\[Record saved ok\]/);
  await shot('editing-saved');
  await go(page.locator('a.KLVOTableNavBar', { hasText: 'List' }).first());
  assert.equal((await rows().nth(0).locator('td').nth(2).innerText()).trim(), 'Ann Smith');
  assert.equal(query('SELECT name, score, note FROM people WHERE id = 1'), 'Ann Smith|11|first');
});

test('an untouched form saves nothing new', async () => {
  await openEdit(2);
  assert.equal(await page.locator('#Vexmo1_Form_note').inputValue(), 'Tom & Jerry <3');
  await go(page.locator('input[name="Vexmo1FormUpdate"]'));
  assert.match(await statusBar().innerText(), /\[Record saved ok\]/);
  assert.equal(query('SELECT name, team, score, note FROM people WHERE id = 3'),
    'Cy|green|30|Tom & Jerry <3');
});

test('add a record', async () => {
  await page.goto(`${base}people`);
  await go(page.locator('input[value="Add"]').first());
  await page.locator('#Vexmo1_Form_name').fill('Dee');
  await page.locator('#Vexmo1_Form_team').selectOption('blue');
  await page.locator('#Vexmo1_Form_score').fill('40');
  await go(page.locator('input[name="Vexmo1FormUpdate"]'));
  assert.match(await statusBar().innerText(), /\[New record saved ok\]/);
  assert.equal(query("SELECT team, score FROM people WHERE name = 'Dee'"), 'blue|40');
  await shot('editing-added');
});

test('a required field left empty is refused', async () => {
  await openEdit(1);
  await page.locator('#Vexmo1_Form_name').fill('');
  await page.locator('#Vexmo1_Form_score').fill('99');
  await go(page.locator('input[name="Vexmo1FormUpdate"]'));
  assert.match(await statusBar().innerText(), /Record WAS NOT SAVED\. Fill out all required fields\./);
  // The form is shown again with what was typed.
  assert.equal(await page.locator('#Vexmo1_Form_score').inputValue(), '99');
  assert.equal(query('SELECT name, score FROM people WHERE id = 2'), 'Bob|20');
  await shot('editing-required');
});

test('a lookup list shows the labels and saves the code', async () => {
  await openEdit(1);
  const team = page.locator('#Vexmo1_Form_team');
  assert.equal(await team.inputValue(), 'blue');
  const labels = (await team.locator('option').allInnerTexts()).map((text) => text.trim());
  assert.deepEqual(labels, ['', 'Blue team', 'Green team', 'Red team']);
  await team.selectOption({ label: 'Green team' });
  await go(page.locator('input[name="Vexmo1FormUpdate"]'));
  assert.match(await statusBar().innerText(), /\[Record saved ok\]/);
  assert.equal(query('SELECT team FROM people WHERE id = 2'), 'green');
});

test('delete asks first: dismissed keeps the record, accepted deletes it', async () => {
  await openEdit(1);
  let asked = '';
  page.once('dialog', async (dialog) => {
    asked = dialog.message();
    await dialog.dismiss();
  });
  await page.locator('input[name="Vexmo1FormDelete"]').click();
  assert.equal(asked, 'Delete this person for good?');
  assert.equal(query('SELECT COUNT(*) FROM people WHERE id = 2'), '1');
  assert.ok(await page.locator('table.KLVOTableFormDataEdit').first().isVisible());

  page.once('dialog', (dialog) => dialog.accept());
  await go(page.locator('input[name="Vexmo1FormDelete"]'));
  assert.match(await statusBar().innerText(), /\[Record deleted\]/);
  assert.equal(query('SELECT COUNT(*) FROM people WHERE id = 2'), '0');
  await shot('editing-deleted');
});
