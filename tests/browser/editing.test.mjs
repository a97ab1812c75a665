// Editing records as a person does, in headless Chromium: open a record, edit and save, add
// one and see the grid count it, save with Enter from the keyboard, be asked before leaving
// unsaved changes, delete with the confirmation accepted and dismissed and with script off,
// leave a required field empty, pick a value from a lookup list, and with script off delete
// the last record and add one.
// The page and its SQLite database are made here.
import assert from 'node:assert/strict';
import { rmSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import {
  artifacts, follow, launchBrowser, makePageSite, sqliteQuery, startServer, stopServer,
} from './harness.mjs';

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
DisplayNavBar = "both"

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
  const site = makePageSite('kelvo-editing-', 'people.db', schema, { 'people.toml': pageFile });
  workDir = site.workDir;
  server = await startServer(['--pages', site.pagesDir, '--db', site.database, '--port', '0'],
    workDir);
  return server.url;
}

const query = (sql) => sqliteQuery(join(workDir, 'people.db'), sql);

async function shot(name) {
  await page.screenshot({ path: join(artifacts, `${name}.png`), fullPage: true });
}

const go = (locator) => follow(page, locator);

const rows = () => page.locator('table.KLVOTable tr.KLVOTableTRodd, table.KLVOTable tr.KLVOTableTReven');
const statusBar = () => page.locator('.KelvoEditBtnBar').first();
// A button of the edit form's bar (the form also holds a hidden default Save for Enter).
const barButton = (name, on = page) => on.locator(`.KelvoEditBtnBar input[name="${name}"]`);

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
  assert.equal(await page.locator('[name="Vexmo1_Form_name"]').inputValue(), 'Ann');
  assert.ok(await page.locator('[name="Vexmo1_Form_id"]:not([type="hidden"])').isDisabled(), 'the read-only key is disabled');
  await page.locator('[name="Vexmo1_Form_name"]').fill('Ann Smith');
  await page.locator('[name="Vexmo1_Form_score"]').fill('11');
  await go(barButton('Vexmo1FormUpdate'));
  assert.match(await statusBar().innerText(), /\[Record saved ok\]/);
  await shot('editing-saved');
  await go(page.locator('a.KLVOTableNavBar', { hasText: 'List' }).first());
  assert.equal((await rows().nth(0).locator('td').nth(2).innerText()).trim(), 'Ann Smith');
  assert.equal(query('SELECT name, score, note FROM people WHERE id = 1'), 'Ann Smith|11|first');
});

test('an untouched form saves nothing new', async () => {
  await openEdit(2);
  assert.equal(await page.locator('[name="Vexmo1_Form_note"]').inputValue(), 'Tom & Jerry <3');
  await go(barButton('Vexmo1FormUpdate'));
  assert.match(await statusBar().innerText(), /\[Record saved ok\]/);
  assert.equal(query('SELECT name, team, score, note FROM people WHERE id = 3'),
    'Cy|green|30|Tom & Jerry <3');
});

// The grid opened anew, carrying no count, counts the records as they are now.
async function freshCount() {
  await page.goto(`${base}people`);
  return (await page.locator('body').innerText()).match(/Record \(\d+\.\.\d+\) of (\d+)/)[1];
}

test('add a record', async () => {
  const before = Number(await freshCount());
  await go(page.locator('a.KelvoInputBtn', { hasText: 'Add' }).first());
  // Refused first: shown again as the new record it is, with no position among the others.
  await page.locator('[name="Vexmo1_Form_score"]').fill('40');
  await go(barButton('Vexmo1FormUpdate'));
  assert.match(await statusBar().innerText(), /Record WAS NOT SAVED/);
  assert.doesNotMatch(await page.locator('body').innerText(), /Record \d+ of/);
  await page.locator('[name="Vexmo1_Form_name"]').fill('Dee');
  await page.locator('[name="Vexmo1_Form_team"]').selectOption('blue');
  await page.locator('[name="Vexmo1_Form_score"]').fill('40');
  await go(barButton('Vexmo1FormUpdate'));
  assert.match(await statusBar().innerText(), /\[New record saved ok\]/);
  assert.equal(query("SELECT team, score FROM people WHERE name = 'Dee'"), 'blue|40');
  await shot('editing-added');
  assert.equal(Number(await freshCount()), before + 1, 'the count after the add');
  query("INSERT INTO people (name) VALUES ('Eve')");
  assert.equal(Number(await freshCount()), before + 2, 'the count after another program added');
  query("DELETE FROM people WHERE name = 'Eve'");
});

test('a required field left empty is refused', async () => {
  await openEdit(1);
  await page.locator('[name="Vexmo1_Form_name"]').fill('');
  await page.locator('[name="Vexmo1_Form_score"]').fill('99');
  await go(barButton('Vexmo1FormUpdate'));
  assert.match(await statusBar().innerText(), /Record WAS NOT SAVED\. Fill out all required fields\./);
  // The form is shown again with what was typed.
  assert.equal(await page.locator('[name="Vexmo1_Form_score"]').inputValue(), '99');
  assert.equal(query('SELECT name, score FROM people WHERE id = 2'), 'Bob|20');
  await shot('editing-required');
});

test('a lookup list shows the labels and saves the code', async () => {
  await openEdit(1);
  const team = page.locator('[name="Vexmo1_Form_team"]');
  assert.equal(await team.inputValue(), 'blue');
  const labels = (await team.locator('option').allInnerTexts()).map((text) => text.trim());
  assert.deepEqual(labels, ['', 'Blue team', 'Green team', 'Red team']);
  await team.selectOption({ label: 'Green team' });
  await go(barButton('Vexmo1FormUpdate'));
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
  await barButton('Vexmo1FormDelete').click();
  assert.equal(asked, 'Delete this person for good?');
  assert.equal(query('SELECT COUNT(*) FROM people WHERE id = 2'), '1');
  assert.ok(await page.locator('table.KLVOTableFormDataEdit').first().isVisible());

  page.once('dialog', (dialog) => dialog.accept());
  await go(barButton('Vexmo1FormDelete'));
  assert.match(await statusBar().innerText(), /\[Record deleted\]/);
  assert.equal(query('SELECT COUNT(*) FROM people WHERE id = 2'), '0');
  await shot('editing-deleted');
});

test('Enter in an editor saves the edit and the new record', async () => {
  await openEdit(0);
  await page.locator('[name="Vexmo1_Form_score"]').focus();
  await page.keyboard.press('Control+A');
  await page.keyboard.type('12');
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  assert.match(await statusBar().innerText(), /\[Record saved ok\]/);
  assert.equal(query('SELECT score FROM people WHERE id = 1'), '12');

  await page.goto(`${base}people`);
  await go(page.locator('a.KelvoInputBtn', { hasText: 'Add' }).first());
  await page.locator('[name="Vexmo1_Form_name"]').focus();
  await page.keyboard.press('Control+A');
  await page.keyboard.type('Eve');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Control+A');
  await page.keyboard.type('50');
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  assert.match(await statusBar().innerText(), /\[New record saved ok\]/);
  assert.equal(query("SELECT score FROM people WHERE name = 'Eve'"), '50');
  await shot('editing-enter-saved');
});

test('paging or List with unsaved changes asks first', async () => {
  await openEdit(0);
  const next = page.locator('input[name="Vexmo1NEXT"]').first();
  await page.locator('[name="Vexmo1_Form_score"]').fill('77');
  let asked = '';
  page.once('dialog', async (dialog) => {
    asked = dialog.message();
    await dialog.dismiss();
  });
  await next.click();
  assert.match(asked, /unsaved changes/);
  assert.equal(await page.locator('[name="Vexmo1_Form_score"]').inputValue(), '77');

  asked = '';
  page.once('dialog', async (dialog) => {
    asked = dialog.message();
    await dialog.accept();
  });
  await go(page.locator('a.KLVOTableNavBar', { hasText: 'List' }).first());
  assert.match(asked, /unsaved changes/);
  assert.equal(await rows().count() > 0, true);
  assert.notEqual(query('SELECT score FROM people WHERE id = 1'), '77');

  // An untouched form leaves without a question.
  await openEdit(0);
  page.once('dialog', () => assert.fail('asked without changes'));
  await go(next);
  page.removeAllListeners('dialog');
});

test('with script off a delete is confirmed by a second form', async () => {
  const context = await browser.newContext({ javaScriptEnabled: false });
  const plain = await context.newPage();
  try {
    const id = query("SELECT id FROM people WHERE name = 'Eve'");
    await plain.goto(`${base}people`);
    const submit = async (locator) => Promise.all([plain.waitForNavigation(), locator.click()]);
    const row = plain.locator('table.KLVOTable tr').filter({ hasText: 'Eve' }).first();
    await submit(row.locator('td').first().locator('a'));
    await submit(plain.locator('input[name="Vexmo1FormEdit"]'));
    await submit(barButton('Vexmo1FormDelete', plain));
    assert.match(await plain.locator('.KelvoDeleteQuestion').innerText(), /Delete this person for good\?/);
    assert.equal(query(`SELECT COUNT(*) FROM people WHERE id = ${id}`), '1');
    await plain.screenshot({ path: join(artifacts, 'editing-delete-question.png'), fullPage: true });
    await submit(barButton('Vexmo1FormDelete', plain));
    assert.equal(query(`SELECT COUNT(*) FROM people WHERE id = ${id}`), '0');
  } finally {
    await context.close();
  }
});

test('a save refused as changed by another user shows the conflict screen', async () => {
  await openEdit(0);
  const other = await browser.newPage({ viewport: { width: 1280, height: 900 } });
  try {
    // The other user opens the same record and saves first.
    await other.goto(`${base}people`);
    await Promise.all([other.waitForNavigation(),
      other.locator('table.KLVOTable tr.KLVOTableTRodd td a').first().click()]);
    await Promise.all([other.waitForNavigation(), other.locator('input[name="Vexmo1FormEdit"]').click()]);
    await other.locator('[name="Vexmo1_Form_note"]').fill('their note');
    await other.locator('[name="Vexmo1_Form_score"]').fill('13');
    await Promise.all([other.waitForNavigation(), barButton('Vexmo1FormUpdate', other).click()]);
  } finally {
    await other.close();
  }

  await page.locator('[name="Vexmo1_Form_note"]').fill('my note');
  await go(barButton('Vexmo1FormUpdate'));
  assert.match(await statusBar().innerText(), /It was changed by another user\./);
  const note = page.locator('fieldset.KelvoConflict').filter({ has: page.locator('input[name="Vexmo1Choice_Form_note"]') });
  assert.match(await note.innerText(), /Yours\s*my note[\s\S]*Stored now\s*their note[\s\S]*You started from\s*first/);
  assert.equal(await page.locator('[name="Vexmo1_Form_note"]').inputValue(), 'my note');
  assert.equal(await page.locator('[name="Vexmo1_Form_score"]').inputValue(), '13', 'untouched: the stored value');
  await shot('editing-conflict');
  // On a phone each value has a line of its own, not a sliver beside its caption.
  await page.setViewportSize({ width: 390, height: 844 });
  const widths = await note.locator('.KelvoConflictValue').evaluateAll((values) =>
    values.map((value) => Math.round(value.getBoundingClientRect().width)));
  assert.ok(widths.every((width) => width >= 150), JSON.stringify(widths));
  await shot('editing-conflict-phone');
  await page.setViewportSize({ width: 1280, height: 900 });
  // Taking the stored note puts it in the editor; typing again makes it the user's.
  await note.locator('input[value="stored"]').check();
  assert.equal(await page.locator('[name="Vexmo1_Form_note"]').inputValue(), 'their note');
  await note.locator('input[value="mine"]').check();
  await go(barButton('Vexmo1FormUpdate'));
  assert.match(await statusBar().innerText(), /\[Record saved ok\]/);
  assert.equal(query('SELECT score, note FROM people WHERE id = 1'), '13|my note');
});

// Last: it deletes every record.
test('with script off the last record is deleted and a new one added', async () => {
  query('DELETE FROM people WHERE id <> (SELECT MIN(id) FROM people)');
  const context = await browser.newContext({ javaScriptEnabled: false });
  const plain = await context.newPage();
  try {
    const submit = async (locator) => Promise.all([plain.waitForNavigation(), locator.click()]);
    await plain.goto(`${base}people`);
    await submit(plain.locator('table.KLVOTable tr.KLVOTableTRodd td a').first());
    await submit(plain.locator('input[name="Vexmo1FormEdit"]'));
    await submit(barButton('Vexmo1FormDelete', plain));
    await submit(barButton('Vexmo1FormDelete', plain));
    assert.equal(query('SELECT COUNT(*) FROM people'), '0');
    const body = await plain.locator('body').innerText();
    assert.match(body, /\[Record deleted\]/);
    assert.deepEqual(body.match(/Record \d+ of \d+/g), ['Record 0 of 0', 'Record 0 of 0'],
      'both bars count no record');
    await plain.screenshot({ path: join(artifacts, 'editing-last-deleted.png'), fullPage: true });
    await submit(plain.locator('a.KelvoInputBtn', { hasText: 'Add' }));
    await plain.locator('[name="Vexmo1_Form_name"]').fill('Fay');
    await submit(barButton('Vexmo1FormUpdate', plain));
    assert.equal(query('SELECT name FROM people'), 'Fay');
  } finally {
    await context.close();
  }
});
