// Signing in as a person does, in headless Chromium: a page needs a sign-in and leads back to
// itself after it, the signed-in user edits and saves a record, signs out, and then finds the
// edit form closed: the record view leads to the sign-in page and a save posted from the old
// form is refused without a change.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { rmSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import {
  artifacts, follow, launchBrowser, makePageSite, program, sqliteQuery, startServer, stopServer,
} from './harness.mjs';

const schema = `
CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL);
INSERT INTO people VALUES (1, 'Ann'), (2, 'Bob');
`;

const pageFile = `
title = "People"

[[grid]]
sql = "SELECT id, name FROM people"
EditOptions = "ALL"
EditPrimaryKeys = "id"
EditFieldsReadOnly = "id"
`;

let server;
let workDir;
let base;
let browser;
let page;

const query = (sql) => sqliteQuery(join(workDir, 'people.db'), sql);
const go = (locator) => follow(page, locator);
const shot = (name) => page.screenshot({ path: join(artifacts, `${name}.png`), fullPage: true });

before(async () => {
  browser = await launchBrowser();
  const site = makePageSite('kelvo-sign-in-', 'people.db', schema, { 'people.toml': pageFile });
  workDir = site.workDir;
  const users = join(workDir, 'users.toml');
  const short = spawnSync(program, ['users', 'add', 'eve', '--role', 'editor', '--users', users],
    { input: 'seven77\n', encoding: 'utf8' });
  assert.equal(short.status, 1);
  assert.match(short.stderr, /fewer than 8 characters; nothing was changed/);
  for (const [user, role] of [['ann', 'editor'], ['vic', 'viewer']]) {
    const added = spawnSync(program, ['users', 'add', user, '--role', role, '--users', users],
      { input: 'correct horse\n', encoding: 'utf8' });
    assert.equal(added.status, 0, added.stderr);
  }
  server = await startServer(['--pages', site.pagesDir, '--db', site.database, '--port', '0',
    '--users', users], workDir);
  base = server.url;
  page = await browser.newPage({ viewport: { width: 1100, height: 700 } });
});

after(async () => {
  await browser?.close();
  await stopServer(server);
  if (workDir) rmSync(workDir, { recursive: true, force: true });
});

test('sign in, edit, sign out, and find the edit form closed', async () => {
  await page.goto(`${base}people`);
  assert.match(page.url(), /\/login\?next=%2Fpeople$/);
  // By keyboard: the name field has the cursor, and after a refusal the password field has it.
  const cursorIn = (name) => page.waitForFunction((n) => document.activeElement?.name === n, name,
    { timeout: 5000 });
  await cursorIn('user');
  await page.keyboard.type('ann');
  await page.keyboard.press('Tab');
  await page.keyboard.type('wrong');
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  assert.match(await page.locator('.KelvoSignInMessage').innerText(),
    /The user name or the password is wrong\./);
  await cursorIn('password');
  await page.keyboard.type('correct horse');
  await shot('sign-in');
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  assert.equal(page.url(), `${base}people`);
  assert.match(await page.locator('.KelvoUser').innerText(), /ann/);

  await go(page.locator('table.KLVOTable td a').first());
  const recordView = page.url();
  await go(page.locator('input[name="Vexmo1FormEdit"]'));
  await page.locator('[name="Vexmo1_Form_name"]').fill('Ann Smith');
  await go(page.locator('.KelvoEditBtnBar input[name="Vexmo1FormUpdate"]'));
  assert.match(await page.locator('.KelvoEditBtnBar').first().innerText(), /\[Record saved ok\]/);
  assert.equal(query('SELECT name FROM people WHERE id = 1'), 'Ann Smith');
  await shot('sign-in-saved');

  // The edit form, still open, as the old page holds it.
  await go(page.locator('input[name="Vexmo1FormEdit"]'));
  const form = await page.locator('form').first().evaluate((element) =>
    new URLSearchParams(new FormData(element)).toString());

  await go(page.locator('.KelvoUser a', { hasText: 'Sign out' }));
  await go(page.locator('button[type="submit"]', { hasText: 'Sign out' }));
  assert.match(page.url(), /\/login$/);

  await page.goto(recordView);
  assert.match(page.url(), /\/login\?next=/);
  await page.locator('input[name="user"]').waitFor();
  await shot('sign-in-closed');
  const saved = await page.request.post(`${base}people`, {
    headers: { 'Content-Type': 'application/x-www-form-urlencoded' },
    data: `${form.replace(/Vexmo1_Form_name=[^&]*/, 'Vexmo1_Form_name=Mallory')}&Vexmo1FormUpdate=Save`,
    maxRedirects: 0,
  });
  assert.equal(saved.status(), 403);
  assert.equal(query('SELECT name FROM people WHERE id = 1'), 'Ann Smith');
});

test('a viewer is offered nothing it may not do', async () => {
  const viewer = await browser.newPage({ viewport: { width: 390, height: 844 } });
  await viewer.goto(`${base}people`);
  await viewer.waitForFunction(() => document.activeElement?.name === 'user');
  await viewer.keyboard.type('vic');
  await viewer.keyboard.press('Tab');
  await viewer.keyboard.type('correct horse');
  await Promise.all([viewer.waitForNavigation(), viewer.keyboard.press('Enter')]);
  assert.equal(viewer.url(), `${base}people`);
  // Tab to the first record's link and open it.
  for (let n = 0; n < 30; n++) {
    await viewer.keyboard.press('Tab');
    if (await viewer.evaluate(() => document.activeElement.closest('table.KLVOTable td') !== null)) break;
  }
  await Promise.all([viewer.waitForNavigation(), viewer.keyboard.press('Enter')]);
  assert.match(viewer.url(), /FormDisplay=formOneRec/);
  assert.match(await viewer.locator('main').innerText(), /Ann/);
  await viewer.screenshot({ path: join(artifacts, 'sign-in-viewer.png'), fullPage: true });
  // The grid sits below the user's name, with its whole bar inside its box.
  const box = await viewer.locator('.KelvoGrid').boundingBox();
  const download = await viewer.locator('input[name="Vexmo1ToExcel"]').last().boundingBox();
  assert.ok(download.x + download.width <= box.x + box.width, JSON.stringify({ box, download }));
  const offered = await viewer.locator('input[type="submit"], a').evaluateAll((elements) =>
    elements.map((element) => element.value || element.textContent).join('|'));
  assert.doesNotMatch(offered, /Edit|Add|Delete/);
  // The record's bar leads on to the next one.
  for (let n = 0; n < 30; n++) {
    await viewer.keyboard.press('Tab');
    if (await viewer.evaluate(() => document.activeElement.name === 'Vexmo1NEXT')) break;
  }
  await Promise.all([viewer.waitForNavigation(), viewer.keyboard.press('Enter')]);
  assert.match(await viewer.locator('main').innerText(), /Record 2 of 2[\s\S]*Bob|Bob[\s\S]*Record 2 of 2/);
  await viewer.close();
});
