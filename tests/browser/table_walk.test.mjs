// The table browser with --edit, walked as a person does, over the demo database, the lending
// library (foreign keys, a composite key, a virtual table, mixed types, unicode) and a
// PostgreSQL database of odd types (arrays, JSON, binary, UUID, intervals, time zones, NULLs, a
// quoted table name): every table lists, opens its first record and saves it untouched with
// Enter, on a desktop and on a phone, without one failed response, without a stored script
// running or markup shown twice encoded, and without changing a byte of the database; a grid
// opened anew then counts what another program committed, and its search box finds text in
// JSON. On a phone, a page file's filters on those columns work by keyboard and stay in view.
import assert from 'node:assert/strict';
import { copyFileSync, mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import {
  artifacts, failedResponses, launchBrowser, postgresQuery, sqliteQuery, startServer, stopServer,
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

// A hash of the SQLite database's schema and content.
const sqliteHash = (database) => () => sqliteQuery(database, '.sha3sum --schema');

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

async function walk(label, contentHash, serverArgs, cwd) {
  const server = await startServer([...serverArgs, '--edit', '--port', '0'], cwd);
  try {
    const before = contentHash();
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
    assert.equal(contentHash(), before, `${label}: untouched saves change nothing`);
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
  const database = join(dir, 'kelvo-demo.db');
  await walk('demo', sqliteHash(database), ['--db', database], dir);
});

test('the lending library walks clean', async () => {
  assert.ok(process.env.KELVO_LIBRARY_DB, 'KELVO_LIBRARY_DB names the library database');
  const dir = mkdtempSync(join(tmpdir(), 'kelvo-walk-library-'));
  workDirs.push(dir);
  const database = join(dir, 'library.db');
  copyFileSync(process.env.KELVO_LIBRARY_DB, database);
  await walk('library', sqliteHash(database), ['--db', database], dir);
});

const oddTypes = `
CREATE TABLE authors (id serial PRIMARY KEY, name text NOT NULL, born date, bio text);
CREATE TABLE books (isbn char(13) PRIMARY KEY, title varchar(200) NOT NULL,
  author_id int REFERENCES authors (id), price numeric(8, 2), pages smallint, rating real,
  tags text[], meta jsonb, cover bytea, uid uuid, published timestamptz, reading interval,
  available boolean, weight double precision);
CREATE TABLE loans (isbn char(13) REFERENCES books (isbn), copy int, member text, due date,
  returned timestamp, PRIMARY KEY (isbn, copy));
CREATE TABLE "Odd Name" ("Key Col" int PRIMARY KEY, "quote""d" text, "ünïcødé" text);
INSERT INTO authors (name, born, bio) VALUES
  ('Åsa Ørn', '1970-05-01', E'Line one\nline two <b>bold</b> & "quotes"'),
  ('李白', NULL, NULL), ('O''Brien', '1901-01-01', '<script>alert(1)</script>');
INSERT INTO books VALUES
  ('9780000000001', 'Ærø — tales', 1, 12.50, 320, 4.5, '{a,b,"c d"}', '{"k": [1, 2], "s": "x<y"}',
   '\\x00ff10', 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11', '2020-02-29 13:45:00+01',
   '2 hours 30 minutes', true, 0.1),
  ('9780000000002', 'NULLs', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),
  ('9780000000003', 'Big', 3, 999999.99, -32768, 1e-30, '{}', '[]', '', '00000000-0000-0000-0000-000000000000',
   '1900-01-01 00:00:00+00', '-1 day', false, 1e300);
INSERT INTO loans VALUES ('9780000000001', 1, 'Zoë', '2026-12-24', NULL),
  ('9780000000001', 2, 'Bob', '2026-01-01', '2026-01-02 10:00:00'), ('9780000000003', 1, NULL, NULL, NULL);
INSERT INTO "Odd Name" VALUES (1, 'it''s', 'ok'), (2, NULL, '日本語');
`;

// Every row of every table, as text, in a stable order.
const postgresContent = (connection) => () => postgresQuery(connection, `
  SELECT string_agg(x, ' / ' ORDER BY x) FROM (
    SELECT 'authors ' || a::text AS x FROM authors a UNION ALL
    SELECT 'books ' || b::text FROM books b UNION ALL
    SELECT 'loans ' || l::text FROM loans l UNION ALL
    SELECT 'odd ' || o::text FROM "Odd Name" o) AS t`);

test('a PostgreSQL database of odd types walks clean', { skip: !process.env.KELVO_TEST_POSTGRES }, async () => {
  const server = process.env.KELVO_TEST_POSTGRES;
  const name = `kelvo_walk_${process.pid}`;
  postgresQuery(server, `CREATE DATABASE ${name}`);
  const connection = server.replace(/^(postgresql:\/\/[^/?]*\/)[^?]*/, `$1${name}`);
  try {
    postgresQuery(connection, oddTypes);
    const dir = mkdtempSync(join(tmpdir(), 'kelvo-walk-postgres-'));
    workDirs.push(dir);
    await walk('postgres', postgresContent(connection), ['--db', connection], dir);
    // The grid opened anew counts what another program committed since, though its count
    // was kept.
    const pagesDir = join(dir, 'pages');
    mkdirSync(pagesDir);
    writeFileSync(join(pagesDir, 'books.toml'), `title = "Books"

[[grid]]
sql = "SELECT isbn, title, uid, meta, meta::json AS doc, tags, published FROM books"
EditPrimaryKeys = "isbn"
OrderByFields = "isbn"
FilterFields = "uid, doc, published"
FacetFields = "doc"
`);
    const served = await startServer(['--pages', pagesDir, '--db', connection, '--edit', '--port', '0'],
      dir);
    try {
      const page = await browser.newPage();
      const count = async () => {
        await page.goto(new URL('table/authors', served.url).href);
        return Number((await page.locator('body').innerText()).match(/Record \(\d+\.\.\d+\) of (\d+)/)[1]);
      };
      assert.equal(await count(), 3);
      assert.equal(await count(), 3);
      postgresQuery(connection, "INSERT INTO authors (name) VALUES ('Ny')");
      assert.equal(await count(), 4, 'the count after another program added');
      postgresQuery(connection, "DELETE FROM authors WHERE name = 'Ny'");
      assert.equal(await count(), 3, 'the count after another program deleted');
      // Pages that saw no commit trust the column facts kept; another program making a column
      // optional still shows in the next edit form.
      const nameRequired = async () => {
        await page.goto(new URL('table/authors', served.url).href);
        await tabTo(page, 'table.KLVOTable tr.KLVOTableTRodd a');
        await pressEnter(page);
        await page.locator('input[name="Vexmo1FormEdit"]').focus();
        await pressEnter(page);
        return page.locator('[name="Vexmo1_Form_name"]:not([type="hidden"])').evaluate((input) => input.required);
      };
      for (let i = 0; i < 3; ++i) assert.equal(await nameRequired(), true, `edit form ${i}`);
      postgresQuery(connection, 'ALTER TABLE authors ALTER COLUMN name DROP NOT NULL');
      assert.equal(await nameRequired(), false, 'the edit form after the column became optional');
      // The search box reads columns that only show as text (JSON, an array, a uuid) as the
      // text they show.
      await page.goto(new URL('table/books', served.url).href);
      await page.locator('#Vexmo1Search').focus();
      await page.keyboard.type('X<Y');
      await pressEnter(page);
      assert.equal(await page.locator('.KelvoErrorBox').count(), 0, 'the search runs');
      assert.equal(await rows(page).count(), 1, 'the search finds the text inside the JSON');
      await page.close();

      // Filters typed by keyboard: a uuid that is empty, text that is no uuid, JSON as shown.
      const phone = await browser.newPage({ viewport: { width: 390, height: 844 } });
      const failed = failedResponses(phone);
      const filter = async (column, choice, text) => {
        await phone.goto(new URL('books', served.url).href);
        await phone.locator(`#Vexmo1Filter${column}Op`).focus();
        await phone.keyboard.type(choice);
        await phone.keyboard.press('Tab');
        await phone.keyboard.type(text);
        await pressEnter(phone);
        assert.equal(await phone.locator('.KelvoErrorBox').count(), 0, `${choice} ${text}: no error`);
        return rows(phone).count();
      };
      assert.equal(await filter(3, 'is', ''), 1, 'one book has no uuid');
      assert.equal(await filter(3, 'eq', 'no uuid'), 0, 'text that is no uuid matches nothing');
      assert.equal(await filter(5, 'eq', '[]'), 1, 'JSON equals the text it shows');
      assert.match(await phone.locator('.KelvoFacet').innerText(), /\[\]\s\(1\)/);
      const search = await phone.locator('.KelvoSearch input[type="submit"]').boundingBox();
      assert.ok(search.x + search.width <= 390, 'the Search button is on the screen');
      for (const field of await phone.locator('.KelvoFilter input').all()) {
        const box = await field.boundingBox();
        assert.ok(box.x + box.width <= 390, 'every filter field is on the screen');
      }
      for (const date of await phone.locator('.KelvoFilter input[type="date"]').all()) {
        assert.ok((await date.boundingBox()).width >= 130, 'a date field is wide enough to show a date');
      }
      await phone.screenshot({ path: join(artifacts, 'walk-postgres-filters-phone.png'), fullPage: true });
      assert.deepEqual(failed, []);
      await phone.close();
    } finally {
      await stopServer(served);
    }
  } finally {
    postgresQuery(server, `DROP DATABASE IF EXISTS ${name} WITH (FORCE)`);
  }
});
