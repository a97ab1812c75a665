// The demo pages as a person uses them, in headless Chromium: paging, sorting, the page size,
// the record view and back, keyboard focus, narrow screens and the table browser.
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync } from 'node:fs';
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
  workDir = mkdtempSync(join(tmpdir(), 'kelvo-browser-'));
  server = await startServer(['--port', '0'], workDir);
  return server.url;
}

async function shot(name) {
  await page.screenshot({ path: join(artifacts, `${name}.png`), fullPage: true });
}

// The "Record (a..b) of n" text of the top navigation bar.
async function recordText() {
  return (await page.locator('.KLVOTableNavBarTop').first().innerText()).replace(/\s+/g, ' ');
}

// Clicks something that posts or follows a link and waits for the new page.
async function go(locator) {
  await Promise.all([page.waitForLoadState('load'), page.waitForNavigation(), locator.click()]);
}

// The text of cell `column` (0 is the index column) of data row `row` (from 0).
async function cell(row, column) {
  return (await page.locator('table.KLVOTable tr.KLVOTableTRodd, table.KLVOTable tr.KLVOTableTReven')
    .nth(row).locator('td').nth(column).innerText()).trim();
}

before(async () => {
  browser = await launchBrowser();
  base = await startDemoServer();
  page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
  failedRequests = failedResponses(page);
});

after(async () => {
  await browser?.close();
  const code = await stopServer(server);
  if (code !== null) assert.equal(code, 0, 'kelvo serve stops cleanly on SIGTERM');
  if (workDir) rmSync(workDir, { recursive: true, force: true });
});

test('next, previous, last and first pages', async () => {
  await page.goto(`${base}events`);
  assert.match(await recordText(), /Record \(1\.\.20\) of 100000/);
  assert.match(await recordText(), /Page 1 of 5000/);
  await shot('events-first-page');

  await go(page.locator('input[name="Vexmo1NEXT"]').first());
  assert.match(await recordText(), /Record \(21\.\.40\) of 100000/);
  assert.equal(await cell(0, 1), '21');

  await go(page.locator('input[name="Vexmo1PREV"]').first());
  assert.match(await recordText(), /Record \(1\.\.20\)/);

  await go(page.locator('input[name="Vexmo1LAST"]').first());
  assert.match(await recordText(), /Record \(99981\.\.100000\) of 100000/);
  assert.match(await recordText(), /Page 5000 of 5000/);
  assert.equal(await cell(19, 1), '100000');
  // On the last page next and last are drawn disabled.
  assert.equal(await page.locator('input[name="Vexmo1NEXT"]').count(), 0);
  await shot('events-last-page');

  await go(page.locator('input[name="Vexmo1FIRST"]').first());
  assert.match(await recordText(), /Record \(1\.\.20\)/);
  assert.equal(await cell(0, 1), '1');
});

test('sorting a column ascending then descending', async () => {
  await page.goto(`${base}events`);
  const levelHeading = page.locator('a.KLVOTableTH', { hasText: 'Level' });
  await go(levelHeading);
  assert.equal(await cell(0, 3), 'DEBUG');
  assert.ok(await page.locator('a.KLVOTableTH', { hasText: 'Level' }).locator('img[src$="orderasc.gif"]').count());

  await go(page.locator('a.KLVOTableTH', { hasText: 'Level' }));
  assert.equal(await cell(0, 3), 'WARN');
  assert.ok(await page.locator('a.KLVOTableTH', { hasText: 'Level' }).locator('img[src$="orderdesc.gif"]').count());
  await shot('events-sorted-descending');
});

test('changing the page size: an arrow key chooses, the button beside applies', async () => {
  await page.goto(`${base}orders`);
  assert.match(await recordText(), /Record \(1\.\.15\) of 12000/);
  const select = page.getByLabel('Records per Page');
  await select.focus();
  let navigated = false;
  const onNavigation = () => { navigated = true; };
  page.on('framenavigated', onNavigation);
  await page.keyboard.press('ArrowDown');
  await page.waitForTimeout(500);
  page.off('framenavigated', onNavigation);
  assert.equal(navigated, false, 'the arrow key leaves the page as it is');
  assert.equal(await select.inputValue(), '25');
  await page.keyboard.press('Tab');
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  assert.match(await recordText(), /Record \(1\.\.25\) of 12000/);
  assert.equal(await page.locator('table.KLVOTable tr.KLVOTableTRodd, table.KLVOTable tr.KLVOTableTReven').count(), 25);
  assert.equal(await page.locator('select[name="Vexmo1maxrecords"]').first().inputValue(), '25');
  await shot('orders-25-rows');
});

test('record view from the index column and back to the list', async () => {
  await page.goto(`${base}orders`);
  const order = await cell(2, 1);
  await go(page.locator('table.KLVOTable tr.KLVOTableTRodd, table.KLVOTable tr.KLVOTableTReven')
    .nth(2).locator('td').first().locator('a'));
  assert.match(await recordText(), /Record 3 of 12000/);
  const view = page.locator('table.KLVOTableFormDataView');
  await view.first().waitFor();
  assert.match(await view.first().innerText(), new RegExp(`Order\\s+${order}`));
  await shot('orders-record-view');

  await go(page.locator('a.KLVOTableNavBar', { hasText: 'List' }).first());
  assert.match(await recordText(), /Record \(1\.\.15\) of 12000/);
  assert.equal(await cell(2, 1), order);
});

// The bar below a record offers what the bar above offers, after a move as well.
test('the bottom bar of a record view matches its top bar', async () => {
  const bar = async (selector) => (await page.locator(selector).first().innerHTML())
    .replaceAll('KLVOTableNavBarTop', 'KLVOTableNavBar')
    .replace(/<span role="status">(.*?)<\/span>/, '$1');
  const barsMatch = async () => assert.equal(await bar('th.KLVOTableNavBar'),
    await bar('th.KLVOTableNavBarTop'));
  await page.goto(`${base}orders`);
  await go(page.locator('table.KLVOTable tr.KLVOTableTRodd, table.KLVOTable tr.KLVOTableTReven')
    .nth(2).locator('td').first().locator('a'));
  await barsMatch();
  await go(page.locator('input[name="Vexmo1LAST"]').last());
  assert.match(await recordText(), /Record 12000 of 12000/);
  await barsMatch();
  assert.equal(await page.locator('img[src$="nextpgd.gif"]').count(), 2);
  await go(page.locator('a.KLVOTableNavBar', { hasText: 'List' }).last());
  assert.match(await recordText(), /Record \(11986\.\.12000\) of 12000/);
});

test('keyboard focus reaches the navigation buttons and shows', async () => {
  await page.goto(`${base}events?Vexmo1CurrRecord=41`);
  await page.locator('body').click({ position: { x: 5, y: 5 } });
  const reached = [];
  for (let i = 0; i < 40; i++) {
    await page.keyboard.press('Tab');
    const name = await page.evaluate(() => document.activeElement?.getAttribute('name') ?? '');
    reached.push(name);
    if (name === 'Vexmo1NEXT') break;
  }
  assert.ok(reached.includes('Vexmo1FIRST'), `focus went ${reached.join(', ')}`);
  assert.ok(reached.includes('Vexmo1PREV'));
  assert.equal(reached.at(-1), 'Vexmo1NEXT');
  const outline = await page.evaluate(() => getComputedStyle(document.activeElement).outlineStyle);
  assert.equal(outline, 'solid');
  await shot('events-keyboard-focus');
  await go(page.locator('input[name="Vexmo1NEXT"]:focus'));
  assert.match(await recordText(), /Record \(61\.\.80\)/);
});

test('two grids on one page each keep their own page', async () => {
  await page.setViewportSize({ width: 390, height: 844 });
  await page.goto(`${base}shipping`);
  const barOf = async (tag) => (await page.locator(`#FormKelvoGrid${tag} [role="status"]`).allInnerTexts())
    .join(' ');
  // By keyboard: focus the second grid's Next, press Enter; then the first grid's.
  await page.locator('input[name="VexmonewNEXT"]').first().focus();
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  assert.match(await barOf('new'), /Page 2 of/);
  await page.locator('input[name="VexmoconfirmedNEXT"]').first().focus();
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  assert.match(await barOf('confirmed'), /Record \(11\.\.20\)/);
  assert.match(await barOf('new'), /Page 2 of/, 'paging one grid sent the other back');
  // The page text at the bar's right end is on the screen, not past the edge of a wide grid.
  const right = await page.locator('#FormKelvoGridnew [role="status"]')
    .evaluate((status) => status.getBoundingClientRect().right);
  assert.ok(right <= 390, `the page text ends at ${right}px`);
  await shot('shipping-two-grids-narrow');
  await page.setViewportSize({ width: 1280, height: 900 });
});

test('a narrow screen scrolls the grid, not the page', async () => {
  await page.setViewportSize({ width: 380, height: 800 });
  await page.goto(`${base}orders`);
  const sizes = await page.evaluate(() => {
    const grid = document.querySelector('.KelvoGrid');
    return { grid: grid.scrollWidth, box: grid.clientWidth, page: document.documentElement.scrollWidth };
  });
  assert.ok(sizes.grid > sizes.box, `the grid fits (${JSON.stringify(sizes)})`);
  assert.ok(sizes.page <= 380, `the page scrolls sideways (${JSON.stringify(sizes)})`);
  // Every piece of the bars, the page text at their right end included, is in sight without
  // scrolling, in a page file's grid and in the table browser's, whose bar tells records and pages.
  for (const path of ['orders', 'table/orders']) {
    await page.goto(`${base}${path}`);
    const past = await page.evaluate(() => [...document.querySelectorAll(
      'td.KLVOTableNavBar, td.KLVOTableNavBarTop')]
      .filter((cell) => cell.getBoundingClientRect().right > cell.closest('.KelvoGrid')
        .getBoundingClientRect().right)
      .map((cell) => cell.innerText.trim()));
    assert.deepEqual(past, [], `${path}: out of sight at the bar's end`);
  }
  await page.goto(`${base}orders`);
  // A number column's heading lines up with its right-aligned numbers.
  assert.equal(await page.locator('th.KLVOTableTH[align="right"]').first()
    .evaluate((th) => getComputedStyle(th).textAlign), 'right');
  await shot('orders-narrow');
  await page.setViewportSize({ width: 1280, height: 900 });
});

test('table browser: index, a table and its images', async () => {
  await page.goto(base);
  await shot('index');
  await go(page.locator('a[href="table/customers"]'));
  assert.equal(new URL(page.url()).pathname, '/table/customers');
  assert.match(await recordText(), /Record \(1\.\.20\) of 1500/);
  // On the first page, first and previous are drawn as disabled images from ../gfx/.
  const images = await page.evaluate(() => [...document.querySelectorAll('img')].map((img) => img.naturalWidth));
  assert.ok(images.length >= 2 && images.every((width) => width > 0), `broken images: ${images}`);
  await go(page.locator('input[name="Vexmo1NEXT"]').first());
  assert.match(await recordText(), /Record \(21\.\.40\)/);
  assert.equal(await page.evaluate(() => getComputedStyle(document.querySelector('.KelvoGrid')).overflowX), 'auto');
  await shot('table-customers');
  assert.deepEqual(failedRequests, []);
});
