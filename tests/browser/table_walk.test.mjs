// The table browser with --edit, walked as a person does, over the demo database and the
// lending library (foreign keys, a composite key, a virtual table, mixed types, unicode): every
// table lists, opens its first record and saves it untouched with Enter, on a desktop and on a
// phone, without one failed response, without a stored script running or markup shown twice
// encoded, and without changing a byte of the database.
import assert from 'node:assert/strict';
import { copyFileSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import {
  artifacts, failedResponses, launchBrowser, sqliteQuery, startServer, stopServer,
} from './harness.mjs';

const viewports = [
  { name: 'desktop', width: 1280, height: 800 },
  { name: 'phone', width: 390, height: 844 },
];

let browser;
const workDirs = [];

before(async () => {
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  for (const dir of workDirs) rmSync(dir, { recursive: true, force: true });
});

// A hash of the database's schema and content.
const contentHash = (database) => sqliteQuery(database, '.sha3sum --schema');

// The tables the index page links to, as { name, href }.
async function tableLinks(page, base) {
  await page.goto(base);
  const links = page.locator('a[href^="table/"]');
  const found = [];
  for (let i = 0; i < (await links.count()); ++i) {
    const href = await links.nth(i).getAttribute('href');
    found.push({ name: decodeURIComponent(href.slice('table/'.length)), href });
  }
  return found;
}

const rows = (page) =>
  page.locator('table.KLVOTable tr.KLVOTableTRodd, table.KLVOTable tr.KLVOTableTReven');

// Presses Enter on the focused element and waits for the page it posts.
async function pressEnter(page) {
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
}

// Tabs forward until an element matching `selector` has the focus; fails after `limit` presses.
async function tabTo(page, selector, limit = 200) {
  for (let i = 0; i < limit; ++i) {
    if (await page.evaluate((s) => document.activeElement?.matches(s) ?? false, selector)) return;
    await page.keyboard.press('Tab');
  }
  assert.fail(`Tab never reached ${selector}`);
}

async function walk(label, database, serverArgs, cwd) {
  const server = await startServer([...serverArgs, '--edit', '--port', '0'], cwd);
  try {
    const before = contentHash(database);
    for (const viewport of viewports) {
      const page = await browser.newPage({ viewport });
      const failed = failedResponses(page);
      const dialogs = [];
      page.on('dialog', (dialog) => {
        dialogs.push(dialog.message());
        dialog.dismiss();
      });
      const tables = await tableLinks(page, server.url);
      assert.ok(tables.length > 0, `${label}: the index lists tables`);
      for (const table of tables) {
        const where = `${label} ${viewport.name} ${table.name}`;
        await page.goto(new URL(table.href, server.url).href);
        await page.screenshot({ path: join(artifacts, `walk-${label}-${viewport.name}-${table.name}.png`) });
        assert.doesNotMatch(await page.locator('body').innerText(), /&(nbsp|amp|lt|gt|quot|#\d+);/,
          `${where}: no markup is shown encoded twice`);
        if ((await rows(page).count()) === 0) continue;
        // The first record, reached with the keyboard.
        await tabTo(page, 'table.KLVOTable tr.KLVOTableTRodd a');
        await pressEnter(page);
        const edit = page.locator('input[name="Vexmo1FormEdit"]');
        if ((await edit.count()) === 0) continue; // no key: the table is read-only
        await edit.focus();
        await pressEnter(page);
        const editor = page.locator(
          'table.KLVOTableFormDataEdit input[type="text"]:not([disabled]):not([readonly])').first();
        if ((await editor.count()) === 0) continue;
        await editor.focus();
        await pressEnter(page);
        const status = (await page.locator('.KelvoEditBtnBar').first().innerText()).trim();
        assert.match(status, /\[Record saved ok\]/, `${where}: Enter saves the untouched record`);
      }
      assert.deepEqual(failed, [], `${label} ${viewport.name}: no failed responses`);
      assert.deepEqual(dialogs, [], `${label} ${viewport.name}: no stored script ran`);
      await page.close();
    }
    assert.equal(contentHash(database), before, `${label}: untouched saves change nothing`);
  } finally {
    await stopServer(server);
  }
}

test('the demo database walks clean', async () => {
  const dir = mkdtempSync(join(tmpdir(), 'kelvo-walk-demo-'));
  workDirs.push(dir);
  // Without --db the server makes the demo database in its folder and serves it with the pages.
  const server = await startServer(['--port', '0'], dir);
  await stopServer(server);
  await walk('demo', join(dir, 'kelvo-demo.db'), ['--db', join(dir, 'kelvo-demo.db')], dir);
});

test('the lending library walks clean', async () => {
  assert.ok(process.env.KELVO_LIBRARY_DB, 'KELVO_LIBRARY_DB names the library database');
  const dir = mkdtempSync(join(tmpdir(), 'kelvo-walk-library-'));
  workDirs.push(dir);
  const database = join(dir, 'library.db');
  copyFileSync(process.env.KELVO_LIBRARY_DB, database);
  await walk('library', database, ['--db', database], dir);
});
